// The exception the SQLite dataset raises when SQLite refuses a statement
// (constraint, type, busy, I/O). The message carries SQLite's own text after
// the object involved: "SQLite table 'Orders': UNIQUE constraint failed:
// Orders.Code".
#pragma once

#include <string>
#include <utility>

#include "platform/Exception.h"

namespace zyl {

class ESQLiteError : public Exception {
 public:
  ESQLiteError(std::string message, int resultCode)
      : Exception(std::move(message)), resultCode_(resultCode) {}
  // SQLite's extended result code (SQLITE_CONSTRAINT_UNIQUE, SQLITE_BUSY, ...).
  int ResultCode() const noexcept { return resultCode_; }

 private:
  int resultCode_;
};

}  // namespace zyl
