// The SQL datasets beyond the contract: SQLite's stored forms, names that must
// not reach SQL, reading in windows; PostgreSQL keys and broken connections.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "DatasetFactory.h"
#include "datasets/PgDataset.h"
#include "datasets/PgEstimateCache.h"
#include "datasets/SQLiteDataset.h"
#include "harness/Golden.h"
#include "harness/PgServer.h"
#include "platform/DateTime.h"

namespace zyl::test {
namespace {

using FT = TFieldType;
using testing::HasSubstr;

class SQLiteDatasetTest : public testing::Test {
 protected:
  std::unique_ptr<TZylSQLiteDataset> Table(const std::string& table, bool query = false) {
    auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
    ds->SetDatabase(path_), ds->SetBusyTimeout(2000);
    query ? ds->SetSQL(table) : ds->SetTableName(table);
    ds->Open();
    return ds;
  }
  std::string Scalar(const std::string& sql) {  // the first value of a query, as text
    auto ds = Table(sql, true);
    return ds->First(), ds->GetField(0)->AsString();
  }
  std::string path_;
  std::unique_ptr<DatasetFactory> factory_ = MakeSQLiteFactory(&path_);
};

TEST_F(SQLiteDatasetTest, ValuesAreStoredInPlainSQLiteFormsAndReadInTheirs) {
  SqliteExec(path_,
             "CREATE TABLE S (D DATE, DT DATETIME, TM TIME, B BOOLEAN, N INTEGER, V VARCHAR(5));"
             "CREATE TABLE R (V DATETIME PRIMARY KEY) WITHOUT ROWID; INSERT INTO R VALUES "
             "('2024-01-02 03:04:05Z'), "
             "(julianday('2000-01-01 12:00')), ('not a date')");
  auto ds = Table("S");
  ds->Append();
  const char* const values[][2] = {{"D", "29.02.2024"}, {"DT", "2024-02-29T13:45:30.250"},
                                   {"TM", "7:05"},      {"B", "on"},
                                   {"N", " -12 "},      {"V", "Zoë☃!"}};
  for (const auto& v : values) ds->FieldByName(v[0])->SetAsString(v[1]);
  ds->Post();
  EXPECT_EQ(Scalar("SELECT D || '|' || DT || '|' || TM || '|' || B || typeof(B) || '|' || N || "
                   "typeof(N) FROM S"),
            "2024-02-29|2024-02-29 13:45:30.250|07:05:00|1integer|-12integer");
  ds->Edit();
  EXPECT_EQ(harness::MessageOf([&] { ds->FieldByName("N")->SetAsString("3000000000"); }),
            "Field 'N': 3000000000 is out of range (-2147483648 to 2147483647)");
  EXPECT_EQ(harness::MessageOf([&] { ds->FieldByName("V")->SetAsString("toolong"); }),
            "Field 'V': the value is longer than 5 characters");  // characters, not bytes
  auto read = Table("R");
  read->First();  // in key order: numbers before text
  EXPECT_NEAR(read->FieldByName("V")->AsDateTime(), EncodeDate(2000, 1, 1) + 0.5, 1e-6);
  read->Next();
  EXPECT_NEAR(read->FieldByName("V")->AsDateTime(), EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 0),
              1e-9);
  read->Next();
  EXPECT_EQ(read->FieldByName("V")->AsString(), "not a date") << "stored text shows as it is";
}

// Table and field names come from outside (configuration, requests): they
// are quoted or refused, never spliced into SQL.
TEST_F(SQLiteDatasetTest, NamesFromOutsideNeverReachSQL) {
  SqliteExec(path_,
             "CREATE TABLE \"we\"\"ird; name\" (\"x y\" TEXT, rowid TEXT); "
             "INSERT INTO \"we\"\"ird; name\" VALUES ('1', 'r')");
  EXPECT_THAT(harness::MessageOf([&] { Table("we\"ird; name; DROP TABLE x"); }),
              HasSubstr("no table or view named"));
  auto weird = Table("WE\"IRD; NAME");
  weird->SetStrProp("IndexFieldNames", "\"x y\" DESC");
  weird->First();
  weird->Edit();
  weird->FieldByName("x y")->SetAsString("2");
  weird->FieldByName("rowid")->SetAsString("s");  // a column that shadows the rowid
  weird->Post();
  EXPECT_EQ(Scalar("SELECT \"x y\" || rowid FROM \"we\"\"ird; name\""), "2s");
  EXPECT_THAT(harness::MessageOf([&] { weird->SetIndexFieldNames("x y; DROP TABLE T"); }),
              HasSubstr("IndexFieldNames: no field named 'DROP TABLE T'"));
  EXPECT_THAT(harness::MessageOf([&] { weird->SetTableName("T"); }),
              HasSubstr("on an open dataset"));
  EXPECT_THAT(harness::MessageOf([&] { path_ += "-gone", Table("T"); }),
              HasSubstr("-gone': unable to open"));
}

// Reading: a page costs one query, moving does not read, walking back costs
// nothing; sorted walks with Nulls and ties cross window edges both ways.
TEST_F(SQLiteDatasetTest, ReadsInWindows) {
  SqliteExec(
      path_,
      "CREATE TABLE L (N INT, K INT); WITH RECURSIVE c(n) AS (SELECT 0 UNION ALL SELECT n + 1 "
      "FROM c WHERE n < 9999) INSERT INTO L SELECT n, CASE WHEN n % 7 = 0 THEN NULL ELSE "
      "(n * 37) % 11 END FROM c");
  auto ds = Table("L");
  std::int64_t before = ds->QueriesRun();
  EXPECT_EQ(ds->RecordCount() + ds->RecordCount(), 20000);
  ds->First(), ds->MoveBy(9000);
  for (int i = 0; i < 40; ++i, ds->Next()) ASSERT_EQ(ds->FieldByName("N")->AsFloat(), 9000 + i);
  EXPECT_EQ(ds->QueriesRun() - before, 2) << "one count(*), one page read from the end";
  for (int i = 0; i < 500; ++i) ds->Next();
  before = ds->QueriesRun();
  int k = -1;
  for (; !ds->Bof(); ++k) ds->Prior();
  EXPECT_EQ(k, 9540);
  EXPECT_EQ(ds->QueriesRun() - before, 0) << "walking back to count costs no query";
  for (bool descending : {false, true}) {
    std::vector<int> ids(10000);
    for (int i = 0; i < 10000; ++i) ids[static_cast<std::size_t>(i)] = i;
    auto key = [](int i) { return i % 7 == 0 ? -1 : (i * 37) % 11; };  // Null sorts first
    std::stable_sort(ids.begin(), ids.end(),
                     [&](int a, int b) { return descending ? key(a) > key(b) : key(a) < key(b); });
    ds->SetIndexFieldNames(descending ? "K DESC" : "K");
    before = ds->QueriesRun();
    int at = 0;
    for (ds->First(); !ds->Eof(); ds->Next(), ++at)
      ASSERT_EQ(ds->FieldByName("N")->AsFloat(), ids[at]) << at;
    for (ds->Prior(); !ds->Bof(); ds->Prior())
      ASSERT_EQ(ds->FieldByName("N")->AsFloat(), ids[--at - 1]) << at;
    EXPECT_LE(ds->QueriesRun() - before, 40) << "a whole walk reads growing blocks";
  }
}

class PostgresDatasetTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!PgServer::Get().Available()) GTEST_SKIP() << PgServer::Get().Reason();
  }
  std::unique_ptr<TZylPgDataset> Open(const std::string& table, const std::string& sql = "") {
    auto ds = std::make_unique<TZylPgDataset>(nullptr);
    ds->SetConnectionInfo(PgServer::Get().ConnInfo());
    sql.empty() ? ds->SetTableName(table) : ds->SetSQL(sql);
    ds->Open();
    return ds;
  }
};

// Without a key no record can be addressed safely: read-only, and every
// column breaks ties in the order.
TEST_F(PostgresDatasetTest, KeylessTablesAreReadOnly) {
  PgExec(
      "DROP TABLE IF EXISTS nokey; CREATE TABLE nokey (a int, b text); "
      "INSERT INTO nokey VALUES (2, 'x'), (1, 'y'), (2, 'a')");
  auto table = Open("nokey");
  EXPECT_TRUE(table->IsReadOnly());
  EXPECT_THROW(table->Edit(), Exception);
  std::string rows;
  for (table->First(); !table->Eof(); table->Next())
    rows += table->GetField(0)->AsString() + table->GetField(1)->AsString();
  EXPECT_EQ(rows, "1y2a2x");
}

// PostgreSQL's own types: money, bytea as bytes both ways, smallint's range, json.
TEST_F(PostgresDatasetTest, OwnTypesReadAndWriteBack) {
  PgExec(
      "DROP TABLE IF EXISTS types; CREATE TABLE types (id serial PRIMARY KEY, m money, by bytea, "
      "s smallint, j json); INSERT INTO types (m, by, s, j) VALUES (1234.56, '\\x00ff41', 5, "
      "'[1]')");
  auto ds = Open("types");
  EXPECT_EQ(ds->FieldByName("m")->AsString() + ds->FieldByName("j")->AsString(), "1234.56[1]");
  EXPECT_EQ(ds->FieldByName("by")->Value().ToBytes(), (std::vector<std::uint8_t>{0, 255, 65}));
  ds->Edit();
  EXPECT_THAT(harness::MessageOf([&] { ds->FieldByName("s")->SetAsString("40000"); }),
              HasSubstr("The allowed range is -32768 to 32767"));
  ds->FieldByName("by")->SetAsString(std::string("a\0\xfe", 3)), ds->Post();
  EXPECT_EQ(Open("types")->FieldByName("by")->Value().ToBytes(),
            (std::vector<std::uint8_t>{'a', 0, 254}));
}

// The server's texts of each type show as their values do, one conversion
// or none (AsString, the grid's one read) or two (Value, then its text).
TEST_F(PostgresDatasetTest, ServerTextsShowAsTheirValues) {
  auto ds = Open("",
                 "SELECT * FROM (VALUES (0::int8, 12.50::numeric, 0.1::float8, "
                 "'1899-12-30'::date, '2024-01-01 00:00:00'::timestamp, '13:45:30'::time, true), "
                 "(-5, -0.00, 'NaN', '2024-02-29', '2024-02-29 23:59:59', '12:00:00', false), "
                 "(9223372036854775807, 0.000012, 1e20, '2000-01-01', '2024-01-01 00:00:17.5', "
                 "'00:00:00', null), "
                 "(null, 123456789012345.6, 1.5e-7, null, '0001-01-01 00:00:01', null, null), "
                 "(7, 0.0000012, '-Infinity', '9999-12-31', null, '23:59:59.999', true)) "
                 "AS v(i, n, f, d, ts, t, b)");
  std::string shown;
  for (ds->First(); !ds->Eof(); ds->Next()) {
    for (int c = 0; c < ds->FieldCount(); ++c) {
      TField* f = ds->GetField(c);
      TFieldCell cell;
      f->ReadCell(f->DataType(), true, cell);
      EXPECT_EQ(f->AsString(), f->Value().ToString()) << f->FieldName();
      EXPECT_EQ(cell.text, f->AsString()) << f->FieldName();
      shown += f->AsString() + (c + 1 < ds->FieldCount() ? "|" : "\n");
    }
  }
  EXPECT_EQ(shown,  // in the order of every column
            "-5|0|NaN|29.02.2024|29.02.2024 23:59:59|12:00:00|False\n"
            "0|12.5|0.1|00:00:00|01.01.2024|13:45:30|True\n"
            "7|1.2E-6|-Infinity|31.12.9999||23:59:59|True\n"
            "9223372036854775807|0.000012|1E20|01.01.2000|01.01.2024 00:00:17|00:00:00|\n"
            "|123456789012346|1.5E-7||01.01.0001 00:00:01||\n");
}

// Estimates a process keeps: a later dataset takes the first one's without
// asking the planner and still reads the last page from the end (its window
// read prepared from the second run on); a read that finds the kept
// estimate above the records counts them.
TEST_F(PostgresDatasetTest, KeptEstimatesServeLaterDatasets) {
  PgExec(
      "DROP TABLE IF EXISTS many; CREATE TABLE many (id int PRIMARY KEY); "
      "INSERT INTO many SELECT generate_series(1, 300); ANALYZE many");
  PgEstimateCache estimates;
  auto open = [&] {
    auto ds = std::make_unique<TZylPgDataset>(nullptr);
    ds->SetConnectionInfo(PgServer::Get().ConnInfo()), ds->SetTableName("many");
    ds->SetEstimateCountAbove(100), ds->SetEstimateCache(&estimates), ds->Open();
    return ds;
  };
  const int estimate = open()->RecordCount();
  auto later = open();
  const std::int64_t before = later->QueriesRun();
  EXPECT_EQ(later->RecordCount(), estimate);
  EXPECT_TRUE(later->RecordCountEstimated());
  EXPECT_EQ(later->QueriesRun(), before) << "the planner was asked again";
  for (int run = 0; run < 3; ++run) {
    later->Refresh(), later->First(), later->MoveBy(estimate - 1);
    EXPECT_EQ(later->FieldByName("id")->AsString(), "300") << run;
  }
  PgExec("DELETE FROM many WHERE id > 50");
  auto shrunk = open();
  shrunk->First(), shrunk->MoveBy(estimate / 2);
  EXPECT_TRUE(shrunk->FieldByName("id")->IsNull()) << "no record there";
  EXPECT_EQ(shrunk->RecordCount(), 50);
  EXPECT_FALSE(shrunk->RecordCountEstimated());
}

// A grid's new-record row posts every cell, the empty key included: an empty
// serial or identity key takes its default; other columns keep what was set.
TEST_F(PostgresDatasetTest, NewRecordsLeavingAGeneratedKeyEmptyGetTheDefault) {
  PgExec(
      "DROP TABLE IF EXISTS autokey; CREATE TABLE autokey (id int GENERATED BY DEFAULT AS IDENTITY "
      "PRIMARY KEY, n serial, note varchar(10) DEFAULT 'x', name text NOT NULL)");
  auto ds = Open("autokey");
  for (const char* name : {"a", "b", "c"}) {
    ds->Append();
    if (name[0] == 'c') {
      ds->FieldByName("id")->SetAsString("7");  // the others left unset
    } else {
      for (const char* field : {"id", "n", "note"}) ds->FieldByName(field)->SetAsString("");
    }
    ds->FieldByName("name")->SetAsString(name);
    ds->Post();
  }
  auto read = Open("",
                   "SELECT string_agg(id || ' ' || n || ' [' || coalesce(note, 'null') || '] ' "
                   "|| name, ',' ORDER BY id) FROM autokey");
  EXPECT_EQ(read->GetField(0)->AsString(), "1 1 [] a,2 2 [] b,7 3 [x] c");
  ds->Append();
  ds->FieldByName("name")->Clear();
  EXPECT_THROW(ds->Post(), EPgError) << "a NOT NULL column without default still refuses Null";
  ds->Cancel(), ds->Append(), ds->FieldByName("id")->SetAsString("7");
  ds->FieldByName("name")->SetAsString("d");
  EXPECT_THAT([&] { ds->Post(); }, testing::ThrowsMessage<EPgError>(
                                       HasSubstr("PostgreSQL table 'autokey': duplicate key")));
  ds->Cancel();
  EXPECT_THAT(harness::MessageOf([&] { Open("autokey; DROP TABLE autokey"); }),
              HasSubstr("autokey; DROP TABLE autokey"));
  auto refused = std::make_unique<TZylPgDataset>(nullptr);
  refused->SetConnectionInfo("host=127.0.0.1 port=1 connect_timeout=2");
  refused->SetTableName("autokey");
  EXPECT_THAT(harness::MessageOf([&] { refused->Open(); }), HasSubstr("cannot connect"));
}

auto OpenFiles() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// A stub server on a free loopback port: lets each client log in and hangs
// up at its first statement, so the connection breaks while being set up.
// The connection object left behind was a leak (seen by the sanitizer run).
TEST(PostgresConnectionTest, AConnectionThatBreaksWhileBeingSetUpIsClosed) {
  constexpr int kTries = 5;
  auto before = OpenFiles();
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener, kTries);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::thread server([listener] {
    for (int i = 0; i < kTries; ++i) {
      int client = accept(listener, nullptr, nullptr);
      unsigned char head[4];
      if (client >= 0 && recv(client, head, 4, MSG_WAITALL) == 4) {
        std::vector<char> startup((head[0] << 24 | head[1] << 16 | head[2] << 8 | head[3]) - 4);
        recv(client, startup.data(), startup.size(), MSG_WAITALL);
        const char reply[] = {'R', 0,   0, 0, 8, 0, 0,  0,
                              0,   'Z', 0, 0, 0, 5, 'I'};  // AuthenticationOk, ReadyForQuery
        send(client, reply, sizeof reply, MSG_NOSIGNAL);
        char statement[256];
        recv(client, statement, sizeof statement, 0);
      }
      close(client);
    }
  });
  for (int i = 0; i < kTries; ++i) {
    TZylPgDataset ds(nullptr);
    ds.SetConnectionInfo(
        "host=127.0.0.1 port=" + std::to_string(ntohs(address.sin_port)) +
        " user=zyl dbname=zyl sslmode=disable gssencmode=disable connect_timeout=5");
    ds.SetTableName("t");
    EXPECT_THROW(ds.Open(), EPgError);
  }
  server.join();
  close(listener);
  EXPECT_EQ(OpenFiles(), before) << "each broken connection must be released";
}

}  // namespace
}  // namespace zyl::test
