#include "datasets/SQLiteBackend.h"

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "datasets/SQLiteConnectionPool.h"
#include "datasets/SQLiteTypes.h"
#include "platform/Exception.h"

namespace zyl::sqlite {

namespace {

// What a table's description was taken from: the database file (device,
// inode, modification time) and its schema_version. A schema change, a
// write to the file or another file at its path makes a new stamp.
struct SchemaStamp {
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t modified = 0;
  std::int64_t schemaVersion = 0;
  bool operator==(const SchemaStamp&) const = default;
};

std::optional<SchemaStamp> StampOf(Connection& connection, const std::string& database) {
  struct stat info {};
  if (::stat(database.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  SchemaStamp stamp{
      info.st_dev, info.st_ino,
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, 0};
  Statement& version = connection.Prepared("PRAGMA schema_version");
  ResetGuard guard(version);
  if (!version.Step()) return std::nullopt;
  stamp.schemaVersion = version.ColumnInt64(0);
  return stamp;
}

// Table descriptions kept for the life of the process (a long-running host
// opens the same tables for every request), by database and table name.
// Queries are described anew each time: their column types come from the
// rows they return.
class DescriptionCache {
 public:
  Source Describe(Connection& connection, const std::string& database, const std::string& table) {
    std::optional<SchemaStamp> stamp;
    try {
      stamp = StampOf(connection, database);  // taken before the description
    } catch (const Exception&) {
      // No stamp: described without the cache.
    }
    if (!stamp) return Source::ForTable(connection, table);
    const std::pair key(database, table);
    {
      std::lock_guard lock(mutex_);
      auto it = kept_.find(key);
      if (it != kept_.end() && it->second.first == *stamp) {
        connection.SetContext(it->second.second.Context());
        return it->second.second;
      }
    }
    Source source = Source::ForTable(connection, table);
    std::lock_guard lock(mutex_);
    if (kept_.size() >= kMaxKept) kept_.clear();
    kept_.insert_or_assign(key, std::pair(*stamp, source));
    return source;
  }

 private:
  static constexpr std::size_t kMaxKept = 256;
  std::mutex mutex_;
  std::map<std::pair<std::string, std::string>, std::pair<SchemaStamp, Source>> kept_;
};

Source Describe(Connection& connection, const std::string& database, const std::string& table,
                const std::string& query) {
  static DescriptionCache cache;
  return table.empty() ? Source::ForQuery(connection, query)
                       : cache.Describe(connection, database, table);
}

// The stored form of a key value given by a host (a master record's field
// value) for `column`: what the column keeps for it, or the value itself
// where it cannot be converted (then it matches stored text only).
TVariant KeyToStored(const TVariant& value, const ColumnSpec& column) {
  using K = TVariant::Kind;
  switch (value.GetKind()) {
    case K::Empty:
    case K::Null:
      return TVariant::Null();
    case K::Boolean:
      return TVariant(static_cast<std::int64_t>(value.ToBoolean() ? 1 : 0));
    case K::Date:
      return IsDateType(column.type.type)
                 ? TVariant(FormatIsoDateTime(value.ToDateTime(), column.type.type))
                 : TVariant(value.ToDouble());
    case K::String:
      try {
        return TextToStored(value.ToString(), column);
      } catch (const Exception&) {
        return value;
      }
    default:
      return value;
  }
}

}  // namespace

namespace {

std::unique_ptr<Connection> OpenConnection(const std::string& database, bool readOnly,
                                           int busyTimeoutMs, std::int64_t memoryMap,
                                           SQLiteConnectionPool* pool) {
  std::unique_ptr<Connection> connection =
      pool != nullptr ? pool->Take(database, readOnly, busyTimeoutMs)
                      : std::make_unique<Connection>(database, readOnly, busyTimeoutMs);
  connection->SetMemoryMap(memoryMap);
  return connection;
}

}  // namespace

Backend::Backend(const std::string& database, const std::string& table, const std::string& query,
                 int busyTimeoutMs, std::int64_t memoryMap, SQLiteCountCache* cache,
                 SQLiteConnectionPool* pool)
    : database_(database),
      cache_(cache),
      pool_(pool),
      connection_(OpenConnection(database, table.empty(), busyTimeoutMs, memoryMap, pool)),
      source_(DescribeOrGiveBack(database, table, query)) {
  context_ = source_.Context();
  isQuery_ = source_.IsQuery();
  editable_ = source_.Editable();
  for (const SourceColumn& c : source_.Columns()) {
    fields_.push_back({c.field.name, c.field.type.type, c.field.type.dataSize, c.readOnly});
  }
}

Backend::~Backend() {
  rows_.reset();  // the reader goes before the connection it reads
  if (pool_ != nullptr) pool_->Give(std::move(connection_));
}

Source Backend::DescribeOrGiveBack(const std::string& database, const std::string& table,
                                   const std::string& query) {
  try {
    return Describe(*connection_, database, table, query);
  } catch (...) {
    if (pool_ != nullptr) pool_->Give(std::move(connection_));
    throw;
  }
}

TVariant Backend::SetKeyFilter(int field, const TVariant& value) {
  filter_.field = field;
  filter_.value = KeyToStored(value, Column(field).field);
  return filter_.value;
}

void Backend::SetOrder(const std::vector<SqlIndexTerm>& index) {
  SqlKeyFilter filter = filter_;
  filter.where = where_;
  auto reader = std::make_unique<Reader>(*connection_, source_, source_.Order(index), filter);
  reader->SetCountCache(cache_, database_);
  rows_ = std::move(reader);
}

TVariant Backend::FilterOperand(FilterKind kind, const TVariant& operand) const {
  // Dates are stored as ISO text; a day's start compares below its times.
  if (kind == FilterKind::kDate)
    return TVariant(FormatIsoDateTime(operand.ToDateTime(), TFieldType::ftDate));
  if (kind == FilterKind::kBoolean)
    return TVariant(static_cast<std::int64_t>(operand.ToBoolean() ? 1 : 0));
  return operand;
}

TVariant Backend::ToValue(int field, const TVariant& stored) const {
  return StoredToValue(stored, Column(field).field.type.type);
}

TVariant Backend::TextToStored(int field, const std::string& text) const {
  return sqlite::TextToStored(text, Column(field).field);
}

TVariant Backend::BooleanToStored(int field, bool value) const {
  return sqlite::BooleanToStored(value, Column(field).field);
}

SqlRow Backend::RunReturning(const std::string& sql, const std::vector<TVariant>& values) {
  return RunRows(sql + " RETURNING " + source_.SelectList(), values);
}

SqlRow Backend::RunSelect(const std::string& where, const std::vector<TVariant>& values) {
  return RunRows("SELECT " + source_.SelectList() + " FROM " + source_.From() + where, values);
}

SqlRow Backend::RunRows(const std::string& sql, const std::vector<TVariant>& values) {
  Statement statement(*connection_, sql);
  for (std::size_t i = 0; i < values.size(); ++i)
    statement.Bind(static_cast<int>(i + 1), values[i]);
  SqlRow stored;
  ResetGuard guard(statement);
  while (statement.Step()) {
    if (!stored.empty()) continue;
    stored.resize(static_cast<std::size_t>(source_.RawWidth()));
    for (int i = 0; i < source_.RawWidth(); ++i) {
      stored[static_cast<std::size_t>(i)] = statement.Column(i);
    }
  }
  return stored;
}

std::int64_t Backend::RunCommand(const std::string& sql, const std::vector<TVariant>& values) {
  Statement statement(*connection_, sql);
  for (std::size_t i = 0; i < values.size(); ++i)
    statement.Bind(static_cast<int>(i + 1), values[i]);
  {
    ResetGuard guard(statement);
    statement.Step();
  }
  return connection_->Changes();
}

}  // namespace zyl::sqlite
