#include "datasets/PgBackend.h"

#include <cmath>

#include "datasets/FieldText.h"
#include "datasets/PgTypes.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace zyl::pg {

namespace {

std::unique_ptr<Connection> Connect(const std::string& conninfo, const std::string& context,
                                    bool readOnly) {
  auto connection = std::make_unique<Connection>(conninfo, context);
  if (readOnly) connection->Exec("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
  return connection;
}

std::vector<Text> Texts(const std::vector<TVariant>& values) {
  std::vector<Text> texts;
  for (const TVariant& value : values) texts.push_back(TextOf(value));
  return texts;
}

}  // namespace

Backend::Backend(const std::string& conninfo, const std::string& context, const std::string& table,
                 const std::string& query, const std::vector<std::string>& hidden)
    : connection_(Connect(conninfo, context, table.empty())),
      source_(table.empty() ? Source::ForQuery(*connection_, query)
                            : Source::ForTable(*connection_, table, hidden)) {
  context_ = source_.Context();
  isQuery_ = source_.IsQuery();
  editable_ = source_.Editable();
  for (int i = 0; i < source_.FieldWidth(); ++i) {
    const SourceColumn& c = Column(i);
    fields_.push_back({c.name, c.type.type, c.type.dataSize, c.readOnly});
  }
}

TVariant Backend::SetKeyFilter(int field, const TVariant& value) {
  const SourceColumn& column = Column(field);
  filter_ = {field, TVariant::Null(), value.IsNullOrEmpty(), {}};
  if (!filter_.never) {
    try {
      // Text is read as the column's type first: a value the type cannot
      // hold matches no record rather than failing the statement.
      TVariant typed = value.GetKind() == TVariant::Kind::String
                           ? InputToValue(value.ToString(), column.type, column.name)
                           : value;
      Text text = ValueToText(typed, column.type);
      if (text) filter_.value = TVariant(*text);
    } catch (const Exception&) {
      filter_.never = true;
    }
  }
  return filter_.never ? TVariant::Null() : filter_.value;
}

void Backend::SetOrder(const std::vector<SqlIndexTerm>& index) {
  SqlKeyFilter filter = filter_;
  filter.where = where_;
  auto reader =
      std::make_unique<Reader>(*connection_, source_, source_.Order(index), filter, estimateAbove_);
  reader->SetEstimateCache(estimates_, estimateSource_);
  rows_ = std::move(reader);
}

std::string Backend::LowerSql(const std::string& column) const {
  // ICU's lower-casing whatever the database's own locale; compared byte
  // by byte, as RowFilter compares.
  return "lower(" + column + "::text COLLATE \"und-x-icu\") COLLATE \"C\"";
}

std::string Backend::OperandCast(FilterKind kind, int field, const TVariant& operand) const {
  switch (kind) {
    case FilterKind::kNumber: {
      TFieldType t = Column(field).type.type;
      bool integerColumn = t == TFieldType::ftSmallint || t == TFieldType::ftInteger ||
                           t == TFieldType::ftWord || t == TFieldType::ftLargeint ||
                           t == TFieldType::ftAutoInc;
      double value = operand.ToDouble();
      bool whole =
          value == std::trunc(value) && std::fabs(value) < 1e15;  // written without an exponent
      return integerColumn && whole ? "::bigint" : "::numeric";
    }
    case FilterKind::kDate:
      return "::date";
    case FilterKind::kBoolean:
      return "::boolean";
    case FilterKind::kText:
      break;
  }
  return "::text";
}

TVariant Backend::FilterOperand(FilterKind kind, const TVariant& operand) const {
  switch (kind) {
    case FilterKind::kNumber:
      return TVariant(FloatToExactStr(operand.ToDouble()));
    case FilterKind::kDate:
      return TVariant(FormatDateTime("yyyy-mm-dd", operand.ToDateTime()));
    case FilterKind::kBoolean:
      return TVariant(operand.ToBoolean() ? "true" : "false");
    case FilterKind::kText:
      break;
  }
  return operand;
}

TVariant Backend::ToValue(int field, const TVariant& stored) const {
  const ColumnType& type = Column(field).type;
  // Text is handed out as read (Null stays Null), without a copy between.
  if (IsTextFieldType(type.type) && (stored.IsNull() || stored.GetKind() == TVariant::Kind::String))
    return stored;
  if (const std::string* text = stored.StringIf()) return TextToValue(*text, type);
  Text text = TextOf(stored);
  return text ? TextToValue(*text, type) : TVariant::Null();
}

bool Backend::ShortText(int field, const TVariant& stored, std::string& text) const {
  const std::string* server = stored.StringIf();
  if (server == nullptr) return false;
  const ColumnType& type = Column(field).type;
  if (IsTextFieldType(type.type)) {
    text = *server;
    return true;
  }
  return TextToDisplay(*server, type, text);
}

TVariant Backend::TextToStored(int field, const std::string& text) const {
  const SourceColumn& column = Column(field);
  Text stored = ValueToText(InputToValue(text, column.type, column.name), column.type);
  return stored ? TVariant(*stored) : TVariant::Null();
}

TVariant Backend::BooleanToStored(int field, bool value) const {
  const SourceColumn& column = Column(field);
  TFieldType t = column.type.type;
  if (t != TFieldType::ftBoolean && t != TFieldType::ftString && t != TFieldType::ftMemo &&
      t != TFieldType::ftSmallint && t != TFieldType::ftInteger && t != TFieldType::ftLargeint) {
    throw EConvertError("Field '" + column.name + "': a boolean cannot be stored here");
  }
  return TVariant(*ValueToText(TVariant(value), column.type));
}

std::vector<std::string> Backend::KeySql() const {
  std::vector<std::string> keys;
  for (int k : source_.KeyRaw()) keys.push_back(Column(k).quoted);
  return keys;
}

std::string Backend::Placeholder(std::size_t number) const {
  return "$" + std::to_string(number);
}

SqlRow Backend::RunReturning(const std::string& sql, const std::vector<TVariant>& values) {
  Result result = connection_->Exec(sql + " RETURNING " + source_.SelectList(), Texts(values));
  return result.Rows() == 0 ? SqlRow() : RowOf(result, 0);
}

SqlRow Backend::RunSelect(const std::string& where, const std::vector<TVariant>& values) {
  try {
    Result result = connection_->Exec(
        "SELECT " + source_.SelectList() + " FROM " + source_.From() + where + " LIMIT 1",
        Texts(values));
    return result.Rows() == 0 ? SqlRow() : RowOf(result, 0);
  } catch (const EPgError& e) {
    // Values the columns' types cannot hold (class 22, data exception)
    // match no record.
    if (e.SqlState().rfind("22", 0) == 0) return SqlRow();
    throw;
  }
}

std::string Backend::SameValueSql(int field, const std::string& placeholder) const {
  const SourceColumn& c = Column(field);
  // The select list's "<expression> AS <name>" compares its expression.
  std::string read =
      c.select == c.quoted ? c.quoted : c.select.substr(0, c.select.size() - c.quoted.size() - 4);
  if (!c.type.orderable) return read + "::text IS NOT DISTINCT FROM " + placeholder + "::text";
  return read + " IS NOT DISTINCT FROM " + placeholder;
}

std::int64_t Backend::RunCommand(const std::string& sql, const std::vector<TVariant>& values) {
  return connection_->Command(sql, Texts(values));
}

}  // namespace zyl::pg
