// TZylSQLiteDataset beyond the contract: declared types, stored forms, keys,
// views, names that must not reach SQL, busy databases and the cost of
// reading.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "SQLiteFactory.h"
#include "datasets/SQLiteDataset.h"
#include "platform/DateTime.h"

namespace zyl::test {
namespace {

using FT = TFieldType;
using testing::HasSubstr;

class SQLiteDatasetTest : public testing::Test {
 protected:
  // A dataset over table `table` of the test database, opened.
  std::unique_ptr<TZylSQLiteDataset> Table(const std::string& table) {
    auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
    ds->SetDatabase(db_.Path());
    ds->SetTableName(table);
    ds->Open();
    return ds;
  }
  std::unique_ptr<TZylSQLiteDataset> Query(const std::string& sql) {
    auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
    ds->SetDatabase(db_.Path());
    ds->SetSQL(sql);
    ds->Open();
    return ds;
  }
  void Exec(const std::string& sql) { ExecSql(db_.Path(), sql); }
  // The first value of a query run directly on the file, as text.
  std::string Scalar(const std::string& sql) {
    sqlite3* db = OpenRaw(db_.Path());
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    std::string out = "<none>";
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      out = std::string(sqlite3_column_type(stmt, 0) == SQLITE_NULL ? "<null>" : "") +
            (text != nullptr ? reinterpret_cast<const char*>(text) : "");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
  }
  template <typename F>
  std::string MessageOf(F&& action) {
    try {
      action();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "<no exception>";
  }

  SQLiteFactory db_;
};

TEST_F(SQLiteDatasetTest, FieldTypesFollowTheDeclaredTypes) {
  Exec(
      "CREATE TABLE K (Id INTEGER PRIMARY KEY, A INT, B BIGINT, C SMALLINT, D TINYINT, "
      "E REAL, F DOUBLE PRECISION, G FLOAT, H NUMERIC(10,2), I DECIMAL, J MONEY, "
      "K VARCHAR(40), L CHAR(3), M TEXT, N NVARCHAR ( 12 ), O CLOB, P MEMO, Q BLOB, "
      "R BOOLEAN, S bool, T DATE, U DATETIME, V TIMESTAMP, W TIME, X, Y JSON, "
      "Z UNSIGNED INTEGER, AA VARCHAR(100000), AB int GENERATED ALWAYS AS (A * 2))");
  auto ds = Table("k");
  const std::vector<std::pair<FT, int>> expected = {
      {FT::ftAutoInc, 0},  {FT::ftInteger, 0},  {FT::ftLargeint, 0}, {FT::ftSmallint, 0},
      {FT::ftSmallint, 0}, {FT::ftFloat, 0},    {FT::ftFloat, 0},    {FT::ftFloat, 0},
      {FT::ftBCD, 0},      {FT::ftBCD, 0},      {FT::ftCurrency, 0}, {FT::ftString, 40},
      {FT::ftString, 3},   {FT::ftString, 255}, {FT::ftString, 12},  {FT::ftMemo, 0},
      {FT::ftMemo, 0},     {FT::ftBlob, 0},     {FT::ftBoolean, 0},  {FT::ftBoolean, 0},
      {FT::ftDate, 0},     {FT::ftDateTime, 0}, {FT::ftDateTime, 0}, {FT::ftTime, 0},
      {FT::ftString, 255}, {FT::ftString, 255}, {FT::ftInteger, 0},  {FT::ftMemo, 0},
      {FT::ftInteger, 0}};
  ASSERT_EQ(ds->FieldCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < ds->FieldCount(); ++i) {
    SCOPED_TRACE(ds->GetField(i)->FieldName());
    EXPECT_EQ(ds->GetField(i)->DataType(), expected[static_cast<std::size_t>(i)].first);
    EXPECT_EQ(ds->GetField(i)->DataSize(), expected[static_cast<std::size_t>(i)].second);
  }
  EXPECT_TRUE(ds->FieldByName("Id")->ReadOnly()) << "the rowid is numbered by SQLite";
  EXPECT_TRUE(ds->FieldByName("AB")->ReadOnly()) << "generated column";
  EXPECT_FALSE(ds->FieldByName("A")->ReadOnly());
}

TEST_F(SQLiteDatasetTest, ValuesAreStoredInTheirPlainSQLiteForms) {
  Exec("CREATE TABLE S (D DATE, DT DATETIME, TM TIME, B BOOLEAN, N INTEGER, R REAL)");
  auto ds = Table("S");
  ds->Append();
  ds->FieldByName("D")->SetAsString("29.02.2024");
  ds->FieldByName("DT")->SetAsString("2024-02-29T13:45:30.250");
  ds->FieldByName("TM")->SetAsString("7:05");
  ds->FieldByName("B")->SetAsString("on");
  ds->FieldByName("N")->SetAsString(" -12 ");
  ds->FieldByName("R")->SetAsString("1e-3");
  ds->Post();
  EXPECT_EQ(Scalar("SELECT D || '|' || DT || '|' || TM || '|' || B || '|' || typeof(B) FROM S"),
            "2024-02-29|2024-02-29 13:45:30.250|07:05:00|1|integer");
  EXPECT_EQ(Scalar("SELECT typeof(N) || typeof(R) || N FROM S"), "integerreal-12");
  ds->Edit();
  ds->FieldByName("B")->SetAsBoolean(false);
  ds->Post();
  EXPECT_EQ(Scalar("SELECT B FROM S"), "0");
}

TEST_F(SQLiteDatasetTest, DateColumnsReadTheFormsSQLiteWrites) {
  Exec(
      "CREATE TABLE D (V DATETIME); INSERT INTO D VALUES ('2024-01-02 03:04:05Z'), "
      "(julianday('2000-01-01 12:00')), ('2024-01-02T03:04'), ('not a date')");
  auto ds = Table("D");
  ds->First();
  EXPECT_NEAR(ds->FieldByName("V")->AsDateTime(), EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 0),
              1e-9);
  ds->Next();
  EXPECT_NEAR(ds->FieldByName("V")->AsDateTime(), EncodeDate(2000, 1, 1) + 0.5, 1e-6);
  ds->Next();
  EXPECT_NEAR(ds->FieldByName("V")->AsDateTime(), EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 0, 0),
              1e-9);
  ds->Next();
  EXPECT_EQ(ds->FieldByName("V")->AsString(), "not a date") << "stored text is shown as it is";
}

TEST_F(SQLiteDatasetTest, TypedFieldsRefuseTextWithClearMessages) {
  Exec("CREATE TABLE C (I INTEGER, S SMALLINT, F REAL, B BOOLEAN, D DATE, V VARCHAR(5))");
  auto ds = Table("C");
  ds->Append();
  EXPECT_EQ(MessageOf([&] { ds->FieldByName("I")->SetAsString("x"); }),
            "Field 'I': 'x' is not a valid integer value");
  EXPECT_EQ(MessageOf([&] { ds->FieldByName("I")->SetAsString("3000000000"); }),
            "Field 'I': 3000000000 is out of range (-2147483648 to 2147483647)");
  EXPECT_THAT(MessageOf([&] { ds->FieldByName("S")->SetAsString("40000"); }),
              HasSubstr("out of range"));
  EXPECT_EQ(MessageOf([&] { ds->FieldByName("F")->SetAsString("1,5"); }),
            "Field 'F': '1,5' is not a valid floating point value");
  EXPECT_EQ(MessageOf([&] { ds->FieldByName("B")->SetAsString("maybe"); }),
            "Field 'B': 'maybe' is not a valid boolean value");
  EXPECT_EQ(MessageOf([&] { ds->FieldByName("D")->SetAsString("2024-13-01"); }),
            "Field 'D': '2024-13-01' is not a valid date");
  EXPECT_EQ(MessageOf([&] { ds->FieldByName("V")->SetAsString("toolong"); }),
            "Field 'V': the value is longer than 5 characters");
  ds->FieldByName("V")->SetAsString("Zoë☃!");  // five characters, more bytes
  ds->Post();
  EXPECT_EQ(Scalar("SELECT V FROM C"), "Zoë☃!");
}

TEST_F(SQLiteDatasetTest, IntegerPrimaryKeyIsNumberedBySQLite) {
  Exec("CREATE TABLE P (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT)");
  auto ds = Table("P");
  for (const char* name : {"a", "b"}) {
    ds->Append();
    EXPECT_EQ(MessageOf([&] { ds->FieldByName("Id")->SetAsString("9"); }),
              "Field 'Id' cannot be modified");
    ds->FieldByName("Name")->SetAsString(name);
    ds->Post();
  }
  EXPECT_EQ(ds->FieldByName("Id")->AsString(), "2");
  EXPECT_EQ(ds->FieldByName("Id")->DataType(), FT::ftAutoInc);
}

TEST_F(SQLiteDatasetTest, TableWithoutRowidIsEditedByItsPrimaryKey) {
  Exec(
      "CREATE TABLE W (Code TEXT, Part INT, Qty INT, PRIMARY KEY (Code, Part)) WITHOUT ROWID;"
      "INSERT INTO W VALUES ('b', 1, 10), ('a', 2, 20), ('a', 1, 30)");
  auto ds = Table("W");
  ds->First();
  EXPECT_EQ(ds->FieldByName("Qty")->AsString(), "30") << "ordered by the primary key";
  EXPECT_FALSE(ds->FieldByName("Code")->ReadOnly());
  ds->Edit();
  ds->FieldByName("Code")->SetAsString("c");  // moves the record to the end
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Qty")->AsString(), "30");
  EXPECT_FALSE(ds->Bof());
  ds->Next();
  EXPECT_TRUE(ds->Eof()) << "the cursor followed the record to its new place";
  ds->First();
  ds->Delete();
  EXPECT_EQ(Scalar("SELECT group_concat(Code || Part, ',') FROM W"), "b1,c1");
}

TEST_F(SQLiteDatasetTest, ConstraintViolationCarriesSQLiteMessage) {
  Exec(
      "CREATE TABLE U (Code TEXT UNIQUE, Qty INT CHECK (Qty >= 0)); INSERT INTO U VALUES ('a', 1)");
  auto ds = Table("U");
  ds->Append();
  ds->FieldByName("Code")->SetAsString("a");
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const ESQLiteError& e) {
    EXPECT_EQ(e.Message(), "SQLite table 'U': UNIQUE constraint failed: U.Code");
    EXPECT_EQ(e.ResultCode(), SQLITE_CONSTRAINT_UNIQUE);
  }
  ds->FieldByName("Code")->SetAsString("b");
  ds->FieldByName("Qty")->SetAsString("-1");
  EXPECT_THAT(MessageOf([&] { ds->Post(); }), HasSubstr("CHECK constraint failed"));
  ds->FieldByName("Qty")->SetAsString("2");
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST_F(SQLiteDatasetTest, NamesFromOutsideNeverReachSQL) {
  Exec(
      "CREATE TABLE \"we\"\"ird; name\" (\"x y\" TEXT, rowid TEXT); "
      "INSERT INTO \"we\"\"ird; name\" VALUES ('1', 'r')");
  EXPECT_THAT(MessageOf([&] { Table("we\"ird; name; DROP TABLE x"); }),
              HasSubstr("no table or view named"));
  auto ds = Table("WE\"IRD; NAME");
  ds->SetStrProp("IndexFieldNames", "\"x y\" DESC");
  ds->First();
  ds->Edit();
  ds->FieldByName("x y")->SetAsString("2");
  ds->FieldByName("rowid")->SetAsString("s");  // a column that shadows the rowid
  ds->Post();
  EXPECT_EQ(Scalar("SELECT \"x y\" || rowid FROM \"we\"\"ird; name\""), "2s");
  EXPECT_THAT(MessageOf([&] { ds->SetIndexFieldNames("x y; DROP TABLE T"); }),
              HasSubstr("IndexFieldNames: no field named 'DROP TABLE T'"));
}

TEST_F(SQLiteDatasetTest, ViewIsReadOnly) {
  Exec(
      "CREATE TABLE O (A INT); INSERT INTO O VALUES (2), (1); "
      "CREATE VIEW V AS SELECT A, A * 10 AS B FROM O");
  auto ds = Table("V");
  EXPECT_TRUE(ds->IsReadOnly());
  EXPECT_EQ(ds->RecordCount(), 2);
  ds->SetIndexFieldNames("A");
  ds->First();
  EXPECT_EQ(ds->FieldByName("B")->AsString(), "10");
  EXPECT_THROW(ds->Edit(), Exception);
}

TEST_F(SQLiteDatasetTest, OpenReportsMissingFilesAndTables) {
  TZylSQLiteDataset ds(nullptr);
  ds.SetDatabase(db_.Path() + ".missing");
  ds.SetTableName("T");
  EXPECT_THAT(MessageOf([&] { ds.Open(); }), HasSubstr("unable to open database file"));
  Exec("CREATE TABLE T (A INT)");
  ds.SetDatabase(db_.Path());
  ds.SetTableName("Nope");
  EXPECT_THAT(MessageOf([&] { ds.Open(); }), HasSubstr("no table or view named 'Nope'"));
  ds.SetTableName("T");
  ds.SetIndexFieldNames("B");
  EXPECT_THAT(MessageOf([&] { ds.Open(); }), HasSubstr("no field named 'B'"));
  EXPECT_FALSE(ds.GetActive());
  ds.SetIndexFieldNames("A");
  ds.Open();
  EXPECT_THROW(ds.SetTableName("U"), Exception) << "the source is fixed while open";
}

// Walks an order with Nulls and ties on the sort key across window edges in
// both directions, against the order computed here.
TEST_F(SQLiteDatasetTest, SortedWalksCrossWindowEdgesWithNullsAndTies) {
  Exec("CREATE TABLE N (K INT, Id INT)");
  std::string sql = "BEGIN;";
  for (int i = 0; i < 700; ++i) {
    std::string key = i % 7 == 0 ? "NULL" : std::to_string((i * 37) % 11);
    sql += "INSERT INTO N VALUES (" + key + ", " + std::to_string(i) + ");";
  }
  Exec(sql + "COMMIT;");
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "DESC" : "ASC");
    std::vector<int> ids(700);
    for (int i = 0; i < 700; ++i) ids[static_cast<std::size_t>(i)] = i;
    auto key = [](int i) { return i % 7 == 0 ? -1 : (i * 37) % 11; };  // Null sorts first
    std::stable_sort(ids.begin(), ids.end(),
                     [&](int a, int b) { return descending ? key(a) > key(b) : key(a) < key(b); });
    auto ds = Table("N");
    ds->SetIndexFieldNames(descending ? "K DESC" : "K");
    int at = 0;
    for (ds->First(); !ds->Eof(); ds->Next(), ++at) {
      ASSERT_EQ(ds->FieldByName("Id")->AsFloat(), ids[static_cast<std::size_t>(at)]) << at;
    }
    ASSERT_EQ(at, 700);
    for (ds->First(), ds->MoveBy(699); !ds->Bof(); ds->Prior()) {
      --at;
      ASSERT_EQ(ds->FieldByName("Id")->AsFloat(), ids[static_cast<std::size_t>(at)]) << at;
    }
    ASSERT_EQ(at, 0);
  }
}

TEST_F(SQLiteDatasetTest, ReadingAPageCostsOneQuery) {
  Exec("CREATE TABLE L (N INT)");
  Exec(
      "WITH RECURSIVE c(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM c WHERE n < 9999) "
      "INSERT INTO L SELECT n FROM c");
  auto ds = Table("L");
  auto queries = [&] { return ds->QueriesRun(); };
  std::int64_t before = queries();
  EXPECT_EQ(ds->RecordCount(), 10000);
  EXPECT_EQ(ds->RecordCount(), 10000);
  EXPECT_EQ(queries() - before, 1) << "one count(*), then cached";

  before = queries();
  ds->First();
  ds->MoveBy(9000);
  for (int i = 0; i < 40; ++i, ds->Next()) ASSERT_EQ(ds->FieldByName("N")->AsFloat(), 9000 + i);
  EXPECT_EQ(queries() - before, 1) << "the page comes from one LIMIT/OFFSET query";

  before = queries();
  ds->First();
  ds->MoveBy(9000);
  ds->FieldByName("N")->AsString();
  for (int i = 0; i < 500; ++i) ds->Next();
  EXPECT_EQ(ds->FieldByName("N")->AsFloat(), 9500);
  EXPECT_EQ(queries() - before, 1) << "moves without reading fetch nothing";

  before = queries();
  int k = -1;
  while (!ds->Bof()) ds->Prior(), ++k;
  ds->MoveBy(k);
  EXPECT_EQ(k, 9500);
  EXPECT_EQ(queries() - before, 0) << "walking back to count costs no query";

  before = queries();
  int n = 0;
  for (ds->First(); !ds->Eof(); ds->Next()) n += ds->FieldByName("N")->AsFloat() >= 0 ? 1 : 0;
  EXPECT_EQ(n, 10000);
  EXPECT_LE(queries() - before, 15) << "a whole walk reads growing blocks";
}

TEST_F(SQLiteDatasetTest, QueryWalksInGrowingBlocksBothWays) {
  Exec("CREATE TABLE L (N INT)");
  Exec(
      "WITH RECURSIVE c(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM c WHERE n < 2999) "
      "INSERT INTO L SELECT n FROM c");
  auto ds = Query("SELECT N, N % 7 AS M FROM L ORDER BY N DESC");
  std::int64_t before = ds->QueriesRun();
  int expected = 2999;
  for (ds->First(); !ds->Eof(); ds->Next()) {
    ASSERT_EQ(ds->FieldByName("N")->AsFloat(), expected--);
  }
  EXPECT_EQ(expected, -1);
  for (expected = 0; !ds->Bof(); ds->Prior()) {
    ASSERT_EQ(ds->FieldByName("N")->AsFloat(), expected++);
  }
  EXPECT_EQ(expected, 3000);
  EXPECT_LE(ds->QueriesRun() - before, 20);
  ds->SetIndexFieldNames("M DESC; N");
  ds->First();
  ds->MoveBy(2000);
  int m = static_cast<int>(ds->FieldByName("M")->AsFloat());
  int n = static_cast<int>(ds->FieldByName("N")->AsFloat());
  ds->Next();
  EXPECT_TRUE(ds->FieldByName("M")->AsFloat() < m || ds->FieldByName("N")->AsFloat() > n);
}

// A second connection holds a lock briefly; the dataset waits instead of
// failing at once.
TEST_F(SQLiteDatasetTest, BusyDatabaseIsRetried) {
  Exec("CREATE TABLE B (N INT); INSERT INTO B VALUES (1)");
  auto ds = Table("B");
  sqlite3* other = OpenRaw(db_.Path());

  ASSERT_EQ(
      sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO B VALUES (2)", nullptr, nullptr, nullptr),
      SQLITE_OK);
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  });
  ds->Refresh();
  EXPECT_EQ(ds->RecordCount(), 2) << "the read waited for the writer";
  release.join();

  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  release = std::thread([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  });
  ds->Append();
  ds->FieldByName("N")->SetAsString("3");
  ds->Post();
  release.join();
  EXPECT_EQ(ds->RecordCount(), 3);

  ds->SetBusyTimeout(50);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ds->Append();
  ds->FieldByName("N")->SetAsString("4");
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const ESQLiteError& e) {
    EXPECT_THAT(e.Message(), HasSubstr("database is locked"));
    EXPECT_EQ(e.ResultCode() & 0xFF, SQLITE_BUSY);
  }
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 4);
  sqlite3_close(other);
}

}  // namespace
}  // namespace zyl::test
