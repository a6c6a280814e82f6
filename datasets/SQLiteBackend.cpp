#include "datasets/SQLiteBackend.h"

#include "datasets/SQLiteTypes.h"
#include "platform/Exception.h"

namespace zyl::sqlite {

namespace {

Source Describe(Connection& connection, const std::string& table, const std::string& query) {
  return table.empty() ? Source::ForQuery(connection, query) : Source::ForTable(connection, table);
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

Backend::Backend(const std::string& database, const std::string& table, const std::string& query,
                 int busyTimeoutMs, SQLiteCountCache* cache)
    : database_(database),
      cache_(cache),
      connection_(std::make_unique<Connection>(database, table.empty(), busyTimeoutMs)),
      source_(Describe(*connection_, table, query)) {
  context_ = source_.Context();
  isQuery_ = source_.IsQuery();
  editable_ = source_.Editable();
  for (const SourceColumn& c : source_.Columns()) {
    fields_.push_back({c.field.name, c.field.type.type, c.field.type.dataSize, c.readOnly});
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
