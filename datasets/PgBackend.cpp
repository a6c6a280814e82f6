#include "datasets/PgBackend.h"

#include "datasets/PgTypes.h"

namespace zyl::pg {

namespace {

std::unique_ptr<Connection> Connect(const std::string& conninfo, const std::string& context,
                                    bool readOnly) {
  auto connection = std::make_unique<Connection>(conninfo, context);
  if (readOnly) connection->Exec("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
  return connection;
}

std::string Placeholder(std::size_t number) {
  return "$" + std::to_string(number);
}

}  // namespace

Backend::Backend(const std::string& conninfo, const std::string& context,
                 const std::string& table, const std::string& query,
                 const std::vector<std::string>& hidden)
    : connection_(Connect(conninfo, context, table.empty())),
      source_(table.empty() ? Source::ForQuery(*connection_, query)
                            : Source::ForTable(*connection_, table, hidden)) {
  for (int i = 0; i < source_.FieldWidth(); ++i) {
    const SourceColumn& c = Column(i);
    fields_.push_back({c.name, c.type.type, c.type.dataSize, c.readOnly});
  }
}

TVariant Backend::SetKeyFilter(int field, const TVariant& value) {
  const SourceColumn& column = Column(field);
  filter_ = {column.quoted, std::nullopt, true, value.IsNullOrEmpty()};
  if (!filter_.never) {
    try {
      // Text is read as the column's type first: a value the type cannot
      // hold matches no record rather than failing the statement.
      TVariant typed = value.GetKind() == TVariant::Kind::String
                           ? InputToValue(value.ToString(), column.type, column.name)
                           : value;
      filter_.value = ValueToText(typed, column.type);
    } catch (const Exception&) {
      filter_.never = true;
    }
  }
  return filter_.never ? TVariant::Null() : TVariant(*filter_.value);
}

void Backend::SetOrder(const std::vector<SqlIndexTerm>& index) {
  reader_ = std::make_unique<Reader>(*connection_, source_, source_.Order(index), filter_);
}

TVariant Backend::ToValue(int field, const TVariant& stored) const {
  return TextToValue(TextOf(stored), Column(field).type);
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

std::vector<std::string> Backend::KeyColumns() const {
  std::vector<std::string> keys;
  for (int k : source_.KeyRaw()) keys.push_back(Column(k).quoted);
  return keys;
}

SqlRow Backend::WriteReturning(const std::string& sql, const std::vector<Text>& parameters) {
  Result result = connection_->Exec(sql + " RETURNING " + source_.SelectList(), parameters);
  return result.Rows() == 0 ? SqlRow() : RowOf(result, 0);
}

SqlRow Backend::Insert(const std::vector<int>& fields, const SqlRow& record) {
  std::vector<std::string> names;
  std::vector<Text> parameters;
  for (int f : fields) {
    const TVariant& value = record[static_cast<std::size_t>(f)];
    // A new record left empty in a serial or identity key takes the default.
    if (Column(f).defaultForNull && value.IsNullOrEmpty()) continue;
    names.push_back(Column(f).quoted);
    parameters.push_back(TextOf(value));
  }
  return WriteReturning(SqlInsert(source_.From(), names, Placeholder), parameters);
}

SqlRow Backend::Update(const SqlRow& original, const std::vector<int>& fields,
                       const SqlRow& record) {
  std::vector<std::string> names;
  std::vector<Text> parameters;
  for (int f : fields) {
    names.push_back(Column(f).quoted);
    parameters.push_back(TextOf(record[static_cast<std::size_t>(f)]));
  }
  for (int k : source_.KeyRaw()) parameters.push_back(TextOf(original[static_cast<std::size_t>(k)]));
  return WriteReturning(SqlUpdate(source_.From(), names, KeyColumns(), Placeholder), parameters);
}

bool Backend::Delete(const SqlRow& original) {
  std::vector<Text> parameters;
  for (int k : source_.KeyRaw()) parameters.push_back(TextOf(original[static_cast<std::size_t>(k)]));
  return connection_->Command(SqlDelete(source_.From(), KeyColumns(), Placeholder), parameters) > 0;
}

}  // namespace zyl::pg
