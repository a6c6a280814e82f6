// The datasets the contract suite runs over. A factory that returns null
// (PostgreSQL without a server) makes its tests skip.
#include "DatasetFactory.h"
#include "MemFactory.h"
#include "PgFactory.h"
#include "SQLiteFactory.h"

#include <gtest/gtest.h>

#include "platform/DateTime.h"

namespace zyl::test {

std::string DeclaredType(const FieldSpec& f, bool postgres) {
  if (f.type == TFieldType::ftString) {
    if (f.size == 0) return postgres ? "text" : "TEXT";
    return (postgres ? "varchar(" : "VARCHAR(") + std::to_string(f.size) + ")";
  }
  static const struct {
    TFieldType type;
    const char* sqlite;
    const char* postgres;
  } kTypes[] = {
      {TFieldType::ftSmallint, "SMALLINT", "smallint"},
      {TFieldType::ftInteger, "INTEGER", "integer"},
      {TFieldType::ftLargeint, "BIGINT", "bigint"},
      {TFieldType::ftFloat, "REAL", "double precision"},
      {TFieldType::ftCurrency, "MONEY", "money"},
      {TFieldType::ftBCD, "DECIMAL(18,4)", "numeric(18,4)"},
      {TFieldType::ftBoolean, "BOOLEAN", "boolean"},
      {TFieldType::ftDate, "DATE", "date"},
      {TFieldType::ftTime, "TIME", "time"},
      {TFieldType::ftDateTime, "DATETIME", "timestamp"},
      {TFieldType::ftMemo, "MEMO", "json"},
      {TFieldType::ftBlob, "BLOB", "bytea"},
  };
  for (const auto& t : kTypes) {
    if (t.type == f.type) return postgres ? t.postgres : t.sqlite;
  }
  ADD_FAILURE() << "no declared type for field " << f.name;
  return "";
}

std::string IsoText(const FieldSpec& f, const TVariant& v) {
  const char* pattern = f.type == TFieldType::ftDate   ? "yyyy-mm-dd"
                        : f.type == TFieldType::ftTime ? "hh:nn:ss"
                                                       : "yyyy-mm-dd hh:nn:ss";
  return FormatDateTime(pattern, v.ToDateTime());
}

std::vector<FactoryEntry> AllFactories() {
  return {
      {"Memory", [] { return std::make_unique<MemFactory>(); }},
      {"SQLite", [] { return std::make_unique<SQLiteFactory>(); }},
      {"Postgres", []() -> std::unique_ptr<DatasetFactory> { return PgFactory::Make(); }},
  };
}

}  // namespace zyl::test
