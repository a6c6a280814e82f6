// Helpers of the zylgrid tests: a scratch folder, files and small databases.
#pragma once

#include <filesystem>
#include <string>

#include "request/RequestChannel.h"

namespace zylgrid {
class PageBuilder;
}

namespace zylgrid::test {

// The answer of `builder` to one request whose method, query and
// URL-encoded body a web-module host hands over.
zyl::WebModuleChannel::Answer Ask(const PageBuilder& builder, const std::string& method,
                                  const std::string& query = "", const std::string& body = "");

// A fresh folder under the system's temporary directory, removed with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  // Writes `text` to `name` inside the folder and returns the full path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

// Runs SQL statements on the database file (creating it).
void ExecSql(const std::string& path, const std::string& sql);
// The first column of the first row of a query, as text ("" when none).
std::string QueryText(const std::string& path, const std::string& sql);

// A database with customers(Id INTEGER PRIMARY KEY, Name TEXT) of 3 rows and
// orders(OrderId INTEGER PRIMARY KEY, CustomerId INTEGER, Item TEXT, Qty
// INTEGER, Due DATE, Paid BOOLEAN, Status TEXT): customer 1 has 2 orders,
// customer 2 has 1, customer 3 none.
std::string MakeShopDb(const ScratchDir& dir);

}  // namespace zylgrid::test
