// A thin RAII layer over the SQLite C API for the SQLite dataset: one
// connection, prepared statements that always leave their read transaction
// when a use ends, and values passed as bound parameters only.
//
// Values cross this layer as "stored" variants: Null, Integer, Double,
// String or ByteArray, exactly the storage classes SQLite keeps.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zyl::sqlite {

class Statement;

class Connection {
 public:
  // Opens the database file at `path` (it must exist). `readOnly` opens it
  // for reading only. Busy databases are retried for `busyTimeoutMs` before
  // a statement fails with SQLITE_BUSY. Raises ESQLiteError.
  Connection(const std::string& path, bool readOnly, int busyTimeoutMs);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* Handle() const { return db_; }
  const std::string& Path() const { return path_; }
  bool ReadOnly() const { return readOnly_; }
  // The file's device and inode when the connection opened it.
  std::uint64_t Device() const { return device_; }
  std::uint64_t Inode() const { return inode_; }

  // The statement of `sql`, prepared once and kept while the connection
  // lives (up to 64 different texts; more start the set afresh). A use
  // resets it when done (ResetGuard). Raises ESQLiteError.
  Statement& Prepared(const std::string& sql);
  // Ends every unfinished use of the kept statements and rolls back an open
  // transaction: the connection holds no lock. False when it could not.
  bool Settle();
  // Changes the busy timeout of the open connection.
  void SetBusyTimeout(int milliseconds);
  // Reads up to `bytes` of the file through a memory map (SQLite's
  // mmap_size) instead of copying its pages in with system calls; 0 (as a
  // connection opens) maps nothing. With a map, an I/O error on the file
  // while it is read ends the process with SIGBUS instead of failing the
  // statement: for files on local disks.
  void SetMemoryMap(std::int64_t bytes);
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int Changes() const;
  std::int64_t LastInsertRowid() const;
  // Raises ESQLiteError "<context>: <SQLite's message>" for result code `rc`.
  [[noreturn]] void Fail(const std::string& context, int rc) const;

  // Statements run on this connection (counted at their first step).
  std::int64_t Executions() const { return executions_; }
  void CountExecution() { ++executions_; }

  // Context that starts every message ("SQLite table 'Orders'").
  const std::string& Context() const { return context_; }
  void SetContext(std::string context) { context_ = std::move(context); }
  // The context a connection starts with ("SQLite database '<path>'").
  void ResetContext();

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
  bool readOnly_ = false;
  std::uint64_t device_ = 0, inode_ = 0;
  std::int64_t memoryMap_ = 0;
  std::map<std::string, std::unique_ptr<Statement>> statements_;
  std::string context_;
  std::int64_t executions_ = 0;
};

class Statement {
 public:
  Statement() = default;
  // Prepares the first statement of `sql`; raises ESQLiteError with
  // SQLite's message. When `tail` is given it receives the text after that
  // statement. The connection must outlive the statement.
  Statement(Connection& connection, std::string_view sql, std::string_view* tail = nullptr);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Valid() const { return stmt_ != nullptr; }
  // Binds a stored value (Boolean binds as 1/0, Date as its number) to the
  // 1-based parameter `index`.
  void Bind(int index, const TVariant& value);
  void BindInt64(int index, std::int64_t value);
  // Runs to the next row: true when a row is ready, false when done.
  // Raises ESQLiteError (the statement is then reset).
  bool Step();
  // Ends the current use: the statement can be bound and stepped again and
  // holds no lock any more. Bindings are cleared.
  void Reset();

  int ColumnCount() const;
  // The stored value of column `i` of the current row.
  TVariant Column(int i) const;
  std::int64_t ColumnInt64(int i) const;
  int ColumnStorageClass(int i) const;  // SQLITE_INTEGER, ...
  std::string ColumnName(int i) const;
  // Declared type of a result column taken straight from a table; "" else.
  std::string ColumnDeclType(int i) const;
  int ParameterCount() const;
  bool ReadOnly() const;

 private:
  Connection* connection_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when the scope ends, so no read transaction lingers.
class ResetGuard {
 public:
  explicit ResetGuard(Statement& statement) : statement_(statement) {}
  ~ResetGuard() { statement_.Reset(); }
  ResetGuard(const ResetGuard&) = delete;
  ResetGuard& operator=(const ResetGuard&) = delete;

 private:
  Statement& statement_;
};

// The numbered parameter "?<number>".
std::string Parameter(std::size_t number);

// `name` as a quoted SQL identifier: "a""b" for a"b.
std::string QuoteIdentifier(std::string_view name);

// True when `sql` holds a statement, not just blanks, semicolons and
// comments (text that does not parse counts as a statement).
bool HoldsStatement(Connection& connection, std::string_view sql);

}  // namespace zyl::sqlite
