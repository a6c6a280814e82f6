// TZylPgDataset beyond the contract: PostgreSQL's own types, keyless tables,
// hidden key columns, the server's messages and broken connections.
#include <arpa/inet.h>
#include <dirent.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "PgFactory.h"
#include "PgServer.h"
#include "datasets/PgDataset.h"
#include "platform/DateTime.h"

namespace zyl::test {
namespace {

using FT = TFieldType;
using testing::HasSubstr;

class PostgresDatasetTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!PgServer::Get().Available()) GTEST_SKIP() << PgServer::Get().Reason();
  }
  std::unique_ptr<TZylPgDataset> Table(const std::string& name, const std::string& hidden = "") {
    auto ds = std::make_unique<TZylPgDataset>(nullptr);
    ds->SetConnectionInfo(PgServer::Get().ConnInfo());
    ds->SetTableName(name);
    ds->SetHiddenFields(hidden);
    ds->Open();
    return ds;
  }
  std::unique_ptr<TZylPgDataset> Query(const std::string& sql) {
    auto ds = std::make_unique<TZylPgDataset>(nullptr);
    ds->SetConnectionInfo(PgServer::Get().ConnInfo());
    ds->SetSQL(sql);
    ds->Open();
    return ds;
  }
};

TEST_F(PostgresDatasetTest, TypesMapToFieldTypesAndValuesReadBack) {
  PgExec("DROP TABLE IF EXISTS types");
  PgExec(
      "CREATE TABLE types (id serial PRIMARY KEY, s int2, i int4, l int8, n numeric(10,2), "
      "m money, f4 real, f8 float8, b bool, d date, t time, ts timestamp, tz timestamptz, "
      "v varchar(12), c char(3), tx text, by bytea, j jsonb)");
  PgExec(
      "INSERT INTO types (s, i, l, n, m, f4, f8, b, d, t, ts, tz, v, c, tx, by, j) VALUES "
      "(-2, 70000, 9000000000, 12.34, 1234.56, 0.5, 1e300, true, '2024-02-29', '13:45:30', "
      "'2024-02-29 13:45:30', '2024-02-29 13:45:30+00', 'abc', 'xy', 'long', '\\x00ff41', "
      "'{\"a\": 1}')");
  auto ds = Table("types");
  struct Expected {
    const char* name;
    FT type;
    int size;
  };
  for (const Expected& e : std::vector<Expected>{{"id", FT::ftInteger, 0},
                                                 {"s", FT::ftSmallint, 0},
                                                 {"l", FT::ftLargeint, 0},
                                                 {"n", FT::ftBCD, 0},
                                                 {"m", FT::ftCurrency, 0},
                                                 {"f4", FT::ftFloat, 0},
                                                 {"b", FT::ftBoolean, 0},
                                                 {"d", FT::ftDate, 0},
                                                 {"t", FT::ftTime, 0},
                                                 {"ts", FT::ftDateTime, 0},
                                                 {"tz", FT::ftDateTime, 0},
                                                 {"v", FT::ftString, 12},
                                                 {"c", FT::ftString, 3},
                                                 {"tx", FT::ftString, 255},
                                                 {"by", FT::ftBlob, 0},
                                                 {"j", FT::ftMemo, 0}}) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(ds->FieldByName(e.name)->DataType(), e.type);
    if (e.size > 0) {
      EXPECT_EQ(ds->FieldByName(e.name)->DataSize(), e.size);
    }
  }
  ds->First();
  EXPECT_EQ(ds->FieldByName("s")->Value().ToInt64(), -2);
  EXPECT_EQ(ds->FieldByName("l")->Value().ToInt64(), 9000000000LL);
  EXPECT_DOUBLE_EQ(ds->FieldByName("n")->AsFloat(), 12.34);
  EXPECT_DOUBLE_EQ(ds->FieldByName("m")->AsFloat(), 1234.56) << "money reads without currency sign";
  EXPECT_DOUBLE_EQ(ds->FieldByName("f8")->AsFloat(), 1e300);
  EXPECT_DOUBLE_EQ(ds->FieldByName("d")->AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_NEAR(ds->FieldByName("t")->AsDateTime(), EncodeTime(13, 45, 30, 0), 1e-9);
  EXPECT_EQ(ds->FieldByName("c")->AsString(), "xy ");
  EXPECT_EQ(ds->FieldByName("by")->Value().ToBytes(), (std::vector<std::uint8_t>{0, 255, 65}));
  EXPECT_TRUE(ds->FieldByName("id")->ReadOnly() == false) << "serial is a plain default";

  ds->Edit();
  ds->FieldByName("m")->SetAsString("99.5");
  ds->FieldByName("by")->SetAsString(std::string("a\0b", 3));
  ds->FieldByName("n")->SetAsString("0.25");
  ds->Post();
  auto again = Table("types");
  again->First();
  EXPECT_DOUBLE_EQ(again->FieldByName("m")->AsFloat(), 99.5);
  EXPECT_EQ(again->FieldByName("by")->Value().ToBytes(), (std::vector<std::uint8_t>{'a', 0, 'b'}));
  EXPECT_DOUBLE_EQ(again->FieldByName("n")->AsFloat(), 0.25);
}

TEST_F(PostgresDatasetTest, KeylessTablesAreReadOnlyInAStableOrder) {
  PgExec("DROP TABLE IF EXISTS nokey");
  PgExec("CREATE TABLE nokey (a int, b text)");
  PgExec("INSERT INTO nokey VALUES (2, 'x'), (1, 'y'), (2, 'a')");
  auto table = Table("nokey");
  EXPECT_TRUE(table->IsReadOnly());
  EXPECT_TRUE(table->FieldByName("a")->ReadOnly());
  EXPECT_THROW(table->Edit(), Exception);
  EXPECT_THROW(table->Append(), Exception);
  std::vector<std::string> rows;
  for (table->First(); !table->Eof(); table->Next()) {
    rows.push_back(table->FieldByName("a")->AsString() + table->FieldByName("b")->AsString());
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"1y", "2a", "2x"})) << "all columns break ties";
}

TEST_F(PostgresDatasetTest, HiddenKeyColumnsAddressRecordsWithoutBeingFields) {
  PgExec("DROP TABLE IF EXISTS hid");
  PgExec("CREATE TABLE hid (k int GENERATED ALWAYS AS IDENTITY PRIMARY KEY, name text)");
  PgExec("INSERT INTO hid (name) VALUES ('a'), ('b')");
  auto shown = Table("hid");
  EXPECT_TRUE(shown->FieldByName("k")->ReadOnly()) << "identity ALWAYS is generated";
  auto ds = Table("hid", "K");
  ASSERT_EQ(ds->FieldCount(), 1);
  ds->First();
  ds->Next();
  ds->Edit();
  ds->FieldByName("name")->SetAsString("B");
  ds->Post();
  ds->First();
  EXPECT_EQ(ds->FieldByName("name")->AsString(), "a");
  ds->Next();
  EXPECT_EQ(ds->FieldByName("name")->AsString(), "B");
}

// A grid's new-record row posts every cell, the empty key included: an empty
// serial or identity key takes its default; other columns keep what was set.
TEST_F(PostgresDatasetTest, NewRecordsLeavingAGeneratedKeyEmptyGetTheDefault) {
  PgExec("DROP TABLE IF EXISTS autokey");
  PgExec(
      "CREATE TABLE autokey (id int GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
      "n serial, note varchar(10) DEFAULT 'x', name text NOT NULL)");
  auto ds = Table("autokey");
  for (const char* name : {"a", "b"}) {
    ds->Append();
    ds->FieldByName("id")->SetAsString("");
    ds->FieldByName("n")->SetAsString("");
    ds->FieldByName("note")->SetAsString("");
    ds->FieldByName("name")->SetAsString(name);
    ds->Post();
  }
  ds->Append();
  ds->FieldByName("id")->SetAsString("7");
  ds->FieldByName("name")->SetAsString("c");
  ds->Post();
  auto read = Query("SELECT id, n, '[' || note || ']', name FROM autokey ORDER BY id");
  std::vector<std::string> rows;
  for (read->First(); !read->Eof(); read->Next()) {
    rows.push_back(read->GetField(0)->AsString() + " " + read->GetField(1)->AsString() + " " +
                   read->GetField(2)->AsString() + " " + read->GetField(3)->AsString());
  }
  EXPECT_THAT(rows, testing::ElementsAre("1 1 [] a", "2 2 [] b", "7 3 [x] c"));
  ds->Append();
  ds->FieldByName("name")->SetAsString("");
  ds->FieldByName("name")->Clear();
  EXPECT_THROW(ds->Post(), EPgError) << "a NOT NULL column without default still refuses Null";
  ds->Cancel();
}

TEST_F(PostgresDatasetTest, ServerRefusalsCarryTheServersMessage) {
  PgExec("DROP TABLE IF EXISTS uniq");
  PgExec("CREATE TABLE uniq (id int PRIMARY KEY, code varchar(3) UNIQUE)");
  PgExec("INSERT INTO uniq VALUES (1, 'a')");
  auto ds = Table("uniq");
  ds->Append();
  ds->FieldByName("id")->SetAsString("2");
  ds->FieldByName("code")->SetAsString("a");
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const EPgError& e) {
    EXPECT_THAT(e.Message(), HasSubstr("PostgreSQL table 'uniq': duplicate key value"));
    EXPECT_EQ(e.SqlState(), "23505");
  }
  ds->FieldByName("code")->SetAsString("toolong");
  EXPECT_THROW(ds->Post(), EPgError);
  ds->Cancel();

  auto missing = std::make_unique<TZylPgDataset>(nullptr);
  missing->SetConnectionInfo(PgServer::Get().ConnInfo());
  missing->SetTableName("uniq; DROP TABLE uniq");
  EXPECT_THROW(missing->Open(), EPgError);
  auto refused = std::make_unique<TZylPgDataset>(nullptr);
  refused->SetConnectionInfo("host=127.0.0.1 port=1 connect_timeout=2");
  refused->SetTableName("uniq");
  try {
    refused->Open();
    FAIL() << "no exception";
  } catch (const EPgError& e) {
    EXPECT_THAT(e.Message(), HasSubstr("cannot connect"));
  }
  EXPECT_EQ(Table("uniq")->RecordCount(), 1);
}

int OpenFiles() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

// A server that lets every client log in and hangs up at its first
// statement, so the connection breaks while it is being set up. Serves
// `clients` connections on a free loopback port.
class HangUpServer {
 public:
  explicit HangUpServer(int clients) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, clients);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, clients] {
      for (int i = 0; i < clients; ++i) {
        int client = accept(listener_, nullptr, nullptr);
        if (client < 0) break;
        unsigned char head[4];
        if (recv(client, head, 4, MSG_WAITALL) == 4) {
          std::vector<char> startup((head[0] << 24 | head[1] << 16 | head[2] << 8 | head[3]) - 4);
          recv(client, startup.data(), startup.size(), MSG_WAITALL);
          // AuthenticationOk, ReadyForQuery (idle).
          const char reply[] = {'R', 0, 0, 0, 8, 0, 0, 0, 0, 'Z', 0, 0, 0, 5, 'I'};
          send(client, reply, sizeof reply, MSG_NOSIGNAL);
          char statement[256];
          recv(client, statement, sizeof statement, 0);
        }
        close(client);
      }
    });
  }
  ~HangUpServer() {
    thread_.join();
    close(listener_);
  }
  std::string ConnInfo() const {
    return "host=127.0.0.1 port=" + std::to_string(port_) +
           " user=zyl dbname=zyl sslmode=disable gssencmode=disable connect_timeout=5";
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// libpq closes the socket of a broken connection itself; the connection
// object left behind is what the sanitizer run (leak checker) would report.
TEST(PostgresConnectionTest, AConnectionThatBreaksWhileBeingSetUpIsClosed) {
  constexpr int kTries = 5;
  int before = OpenFiles();
  {
    HangUpServer server(kTries);
    for (int i = 0; i < kTries; ++i) {
      TZylPgDataset ds(nullptr);
      ds.SetConnectionInfo(server.ConnInfo());
      ds.SetTableName("t");
      EXPECT_THROW(ds.Open(), EPgError);
    }
  }
  EXPECT_EQ(OpenFiles(), before) << "each broken connection must be released";
}

}  // namespace
}  // namespace zyl::test
