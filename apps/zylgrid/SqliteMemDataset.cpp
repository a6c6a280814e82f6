#include "apps/zylgrid/SqliteMemDataset.h"

#include <algorithm>
#include <cctype>

#include "platform/DateTime.h"

namespace zylgrid {

using zyl::TFieldType;
using zyl::TVariant;

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool SameName(const std::string& a, const std::string& b) {
  return Upper(a) == Upper(b);
}

}  // namespace

TFieldType FieldTypeOf(const std::string& declaredType) {
  std::string t = Upper(declaredType.substr(0, declaredType.find('(')));
  while (!t.empty() && t.back() == ' ') t.pop_back();
  if (t == "BOOLEAN" || t == "BOOL" || t == "BIT" || t == "LOGICAL") return TFieldType::ftBoolean;
  if (t == "DATE") return TFieldType::ftDate;
  if (t == "TIME") return TFieldType::ftTime;
  if (t == "DATETIME" || t == "TIMESTAMP") return TFieldType::ftDateTime;
  if (t == "MONEY" || t == "SMALLMONEY" || t == "CURRENCY") return TFieldType::ftCurrency;
  if (t == "NUMERIC" || t == "DECIMAL" || t == "NUMBER") return TFieldType::ftBCD;
  if (t == "BIGINT" || t == "INT8" || t == "INT64") return TFieldType::ftLargeint;
  if (t == "SMALLINT" || t == "TINYINT" || t == "INT2") return TFieldType::ftSmallint;
  if (t.find("INT") != std::string::npos) return TFieldType::ftInteger;
  if (t.find("CHAR") != std::string::npos || t.find("TEXT") != std::string::npos)
    return TFieldType::ftString;
  if (t.find("BLOB") != std::string::npos) return TFieldType::ftBlob;
  if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos ||
      t.find("DOUB") != std::string::npos) {
    return TFieldType::ftFloat;
  }
  return TFieldType::ftString;
}

SqliteMemDataset::SqliteMemDataset(zyl::TComponent* owner, SqliteSourceSettings source)
    : zyl::TZylMemDataset(owner), spec_(std::move(source)) {}

SqliteMemDataset::~SqliteMemDataset() = default;

void SqliteMemDataset::Open() {
  if (!loaded_) Load();
  zyl::TZylMemDataset::Open();
}

void SqliteMemDataset::Load() {
  db_ = std::make_unique<sql::Database>(spec_.path, !spec_.editable);
  std::string select;
  if (!spec_.table.empty()) {
    std::vector<sql::Column> columns = db_->Columns(spec_.table);
    if (columns.empty())
      throw sql::Error("SQLite: " + spec_.path + ": no table '" + spec_.table + "'");
    // An INTEGER PRIMARY KEY column is the rowid itself; otherwise the rowid
    // is shown as a read-only first column.
    int alias = -1;
    int keys = 0;
    for (const sql::Column& c : columns) keys += c.primaryKey ? 1 : 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (keys == 1 && columns[i].primaryKey && Upper(columns[i].declaredType) == "INTEGER") {
        alias = static_cast<int>(i);
      }
    }
    if (alias < 0) {
      columns_.push_back({"rowid", TFieldType::ftInteger, false});
      rowidField_ = 0;
      select = "SELECT rowid";
    } else {
      select = "SELECT";
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
      bool key = !spec_.keyColumn.empty() && SameName(columns[i].name, spec_.keyColumn);
      bool writable = static_cast<int>(i) != alias && !key && spec_.editable;
      if (static_cast<int>(i) == alias) rowidField_ = static_cast<int>(columns_.size());
      columns_.push_back({columns[i].name, FieldTypeOf(columns[i].declaredType), writable});
      select += (select.size() > 6 ? ", " : " ") + sql::QuoteIdentifier(columns[i].name);
    }
    select += " FROM " + sql::QuoteIdentifier(spec_.table);
    if (!spec_.keyColumn.empty())
      select += " WHERE " + sql::QuoteIdentifier(spec_.keyColumn) + " = ?1";
    select += " ORDER BY rowid";
  } else {
    select = spec_.query;
  }

  select_ = select;
  sql::Statement st(*db_, select_);
  if (spec_.table.empty()) {
    for (int i = 0; i < st.ColumnCount(); ++i) {
      columns_.push_back({st.ColumnName(i), FieldTypeOf(st.DeclaredType(i)), false});
    }
  }
  for (const ColumnInfo& c : columns_) {
    int size = c.type == TFieldType::ftString ? 255 : 0;
    AddField(c.name, c.type, size, !c.writable);
  }
  loaded_ = true;
  ReadRecords();
}

void SqliteMemDataset::ReadRecords() {
  ClearRecords();
  sql::Statement st(*db_, select_);
  if (!spec_.table.empty() && !spec_.keyColumn.empty()) st.Bind(1, spec_.keyValue);
  while (st.Step()) {
    std::vector<TVariant> values;
    values.reserve(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      values.push_back(FromStored(st.Value(static_cast<int>(i)), columns_[i].type));
    }
    AddRecord(std::move(values));
  }
}

TVariant SqliteMemDataset::FromStored(const TVariant& value, TFieldType type) const {
  if (value.IsNull()) return value;
  if (type == TFieldType::ftBoolean) {
    if (value.GetKind() == TVariant::Kind::Integer || value.GetKind() == TVariant::Kind::Double) {
      return TVariant(value.ToDouble() != 0);
    }
    std::string text = Upper(value.ToString());
    return TVariant(text == "TRUE" || text == "1" || text == "YES");
  }
  if (zyl::IsDateType(type)) {
    zyl::TDateTime date = 0;
    std::string text = value.ToString();
    if (zyl::TryParseDateTime(text, "yyyy-mm-dd hh:nn:ss", date) ||
        zyl::TryParseDateTime(text, "yyyy-mm-dd", date) ||
        zyl::TryParseDateTime(text, "hh:nn:ss", date)) {
      return TVariant::FromDate(date);
    }
    return TVariant::Null();
  }
  return value;
}

TVariant SqliteMemDataset::ToStored(const TVariant& value, TFieldType type) const {
  if (value.IsNullOrEmpty()) return TVariant::Null();
  switch (type) {
    case TFieldType::ftBoolean:
      return TVariant(static_cast<std::int64_t>(value.ToBoolean() ? 1 : 0));
    case TFieldType::ftDate:
      return TVariant(zyl::FormatDateTime("yyyy-mm-dd", value.ToDateTime()));
    case TFieldType::ftTime:
      return TVariant(zyl::FormatDateTime("hh:nn:ss", value.ToDateTime()));
    case TFieldType::ftDateTime:
      return TVariant(zyl::FormatDateTime("yyyy-mm-dd hh:nn:ss", value.ToDateTime()));
    default:
      return value;
  }
}

void SqliteMemDataset::Post() {
  zyl::TDataSetState state = State();
  if (state != zyl::TDataSetState::dsEdit && state != zyl::TDataSetState::dsInsert) {
    zyl::TZylMemDataset::Post();
    return;
  }
  if (!spec_.editable || spec_.table.empty()) {
    throw sql::Error("SQLite: " + spec_.path + ": the source cannot be edited");
  }
  std::vector<std::string> names;
  std::vector<TVariant> values;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!columns_[i].writable) continue;
    names.push_back(sql::QuoteIdentifier(columns_[i].name));
    values.push_back(ToStored(GetField(static_cast<int>(i))->Value(), columns_[i].type));
  }
  if (state == zyl::TDataSetState::dsInsert) {
    if (!spec_.keyColumn.empty()) {
      names.push_back(sql::QuoteIdentifier(spec_.keyColumn));
      values.push_back(spec_.keyValue);
    }
    std::string text = "INSERT INTO " + sql::QuoteIdentifier(spec_.table);
    if (names.empty()) {
      text += " DEFAULT VALUES";
    } else {
      text += " (";
      std::string params;
      for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i ? ", " : "") + names[i];
        params += (i ? ", ?" : "?") + std::to_string(i + 1);
      }
      text += ") VALUES (" + params + ")";
    }
    sql::Statement st(*db_, text);
    for (std::size_t i = 0; i < values.size(); ++i) st.Bind(static_cast<int>(i) + 1, values[i]);
    st.Step();
    // The new record shows its rowid: read the records again and stand on it.
    TVariant rowid(static_cast<std::int64_t>(db_->LastInsertRowid()));
    zyl::TZylMemDataset::Cancel();
    ReadRecords();
    First();
    while (!Eof() && !(GetField(rowidField_)->Value().ToInt64() == rowid.ToInt64())) Next();
    if (Eof() && RecordCount() > 0) Last();
    return;
  }
  if (names.empty()) {
    zyl::TZylMemDataset::Post();
    return;
  }
  std::string text = "UPDATE " + sql::QuoteIdentifier(spec_.table) + " SET ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i ? ", " : "") + names[i] + " = ?" + std::to_string(i + 1);
  }
  text += " WHERE rowid = ?" + std::to_string(names.size() + 1);
  sql::Statement st(*db_, text);
  for (std::size_t i = 0; i < values.size(); ++i) st.Bind(static_cast<int>(i) + 1, values[i]);
  st.Bind(static_cast<int>(names.size()) + 1, GetField(rowidField_)->Value());
  st.Step();
  zyl::TZylMemDataset::Post();
}

void SqliteMemDataset::Delete() {
  if (State() == zyl::TDataSetState::dsInsert) {
    zyl::TZylMemDataset::Delete();
    return;
  }
  if (!spec_.editable || spec_.table.empty()) {
    throw sql::Error("SQLite: " + spec_.path + ": the source cannot be edited");
  }
  if (RecordCount() == 0) return;
  sql::Statement st(*db_, "DELETE FROM " + sql::QuoteIdentifier(spec_.table) + " WHERE rowid = ?1");
  st.Bind(1, GetField(rowidField_)->Value());
  st.Step();
  zyl::TZylMemDataset::Delete();
}

}  // namespace zylgrid
