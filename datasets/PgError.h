// The exception the PostgreSQL dataset raises when the server (or libpq)
// refuses something: a failed connection, a constraint, a type error. The
// message carries the server's own text after the object involved:
// "PostgreSQL table 'orders': duplicate key value violates unique constraint
// "orders_pkey"".
#pragma once

#include <string>
#include <utility>

#include "platform/Exception.h"

namespace zyl {

class EPgError : public Exception {
 public:
  EPgError(std::string message, std::string sqlState)
      : Exception(std::move(message)), sqlState_(std::move(sqlState)) {}
  // The server's five-character SQLSTATE ("23505", ...), empty when unknown.
  const std::string& SqlState() const noexcept { return sqlState_; }

 private:
  std::string sqlState_;
};

}  // namespace zyl
