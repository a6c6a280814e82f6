#include "AppTestSupport.h"

#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <stdexcept>

#include "apps/zylgrid/PageBuilder.h"

namespace zylgrid::test {

zyl::WebModuleChannel::Answer Ask(const PageBuilder& builder, const std::string& method,
                                  const std::string& query, const std::string& body) {
  zyl::WebModuleChannel channel;
  channel.SetVariable("REQUEST_METHOD", method);
  channel.SetVariable("QUERY_STRING", query);
  channel.SetVariable("CONTENT_LENGTH", std::to_string(body.size()));
  channel.SetBody(body);
  builder.Handle(channel);
  return channel.GetAnswer();
}

ScratchDir::ScratchDir() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("zylgrid-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ScratchDir::Write(const std::string& name, const std::string& text) const {
  std::filesystem::path p = path_ / name;
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << text;
  return p.string();
}

void ExecSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  char* error = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + message);
}

std::string QueryText(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* st = nullptr;
  std::string result;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0) != nullptr) {
    result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return result;
}

std::string MakeShopDb(const ScratchDir& dir) {
  std::string path = (dir.Path() / "shop.db").string();
  ExecSql(path,
          "CREATE TABLE customers (Id INTEGER PRIMARY KEY, Name TEXT);"
          "INSERT INTO customers VALUES (1, 'Ada'), (2, 'Bob'), (3, 'Cy');"
          "CREATE TABLE orders (OrderId INTEGER PRIMARY KEY, CustomerId INTEGER, Item TEXT,"
          " Qty INTEGER, Due DATE, Paid BOOLEAN, Status TEXT);"
          "INSERT INTO orders VALUES (10, 1, 'Lamp', 2, '2024-03-01', 1, 'New'),"
          " (11, 1, 'Desk', 1, '2024-04-15', 0, 'Shipped'), (12, 2, 'Pen', 9, NULL, 0, 'New');");
  return path;
}

}  // namespace zylgrid::test
