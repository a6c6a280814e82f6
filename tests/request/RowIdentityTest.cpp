// Edits with row identity from pages that other visitors or other programs
// have overtaken, over every kind of data source: the edit lands on the
// record its row showed while that is unchanged, is refused (nothing
// written) when it changed or went, and a forged identity is refused like a
// stale page. People sorted by Name: 1 Alice Paris, 2 Bob Rome, 3 Carol Oslo.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "datasets/PgDataset.h"
#include "datasets/RecordKey.h"
#include "datasets/ZylMemDataset.h"
#include "edit/EditBackends.h"
#include "harness/PgServer.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;

struct Conflict {
  const char* name;
  std::string other;  // SQL another program runs after A's page was shown ("B:<name>": visitor B)
  std::string city;   // A then posts this as Alice's city; "" deletes Alice
  const char* error;  // "", "another user" (refused record) or "stale" (refused post)
  const char* after;  // the records afterwards
};
void PrintTo(const Conflict& conflict, std::ostream* out) { *out << conflict.name; }
const Conflict kConflicts[] = {
    {"SameRecordSecondRefused", "B:Nice", "Lyon", "another user", "1 Alice Nice|2 Bob Rome|3 Carol Oslo"},
    {"ChangedByAnotherProgram", "UPDATE People SET City = 'Berlin' WHERE Id = 1", "Lyon", "another user",
     "1 Alice Berlin|2 Bob Rome|3 Carol Oslo"},
    {"AddOnSortedPage", "INSERT INTO People VALUES (4, 'Aaron', 'Kyiv')", "Lyon", "",
     "1 Alice Lyon|2 Bob Rome|3 Carol Oslo|4 Aaron Kyiv"},
    {"RenameOnSortedPage", "UPDATE People SET Name = 'Aaa' WHERE Id = 2", "Lyon", "", "1 Alice Lyon|2 Aaa Rome|3 Carol Oslo"},
    {"SortedUpdateAfterRename", "B:rename", "Lyon", "another user", "1 Zoe Paris|2 Bob Rome|3 Carol Oslo"},
    {"DeleteOfDeleted", "DELETE FROM People WHERE Id = 1", "", "another user", "2 Bob Rome|3 Carol Oslo"},
    {"ForgedIdentity", "forge", "Lyon", "stale", "1 Alice Paris|2 Bob Rome|3 Carol Oslo"},
};
const char* const kKinds[] = {"memory", "sqlite", "postgres", "textfile"};
const char* const kPeople = "INSERT INTO People VALUES (1, 'Alice', 'Paris'), (2, 'Bob', 'Rome'), (3, 'Carol', 'Oslo');";

class RowIdentity : public ::testing::TestWithParam<std::tuple<Conflict, const char*>> {
 protected:
  void SetUp() override {
    const std::string kind = std::get<1>(GetParam());
    std::function<std::unique_ptr<TDataSet>()> open;
    if (kind == "memory") {
      for (const char* name : {"Id", "Name", "City"}) memory_.AddField(name, *name == 'I' ? TFieldType::ftInteger : TFieldType::ftString, 40);
      for (auto [id, name, city] : {std::tuple{1, "Alice", "Paris"}, {2, "Bob", "Rome"}, {3, "Carol", "Oslo"}}) memory_.AddRecord({id, name, city});
      memory_.SetKeyFields("Id");
      memory_.SetIndexFieldNames("Name");
      memory_.Open();
      bind_ = [this](Components&, TZylHTMLGrid& grid) { grid.SetDataset(&memory_); };
      run_ = [this](const std::string& sql) {  // the three statements of the table, by hand
        if (sql.starts_with("INSERT")) return memory_.AddRecord({4, "Aaron", "Kyiv"});
        memory_.LocateKey(EncodeValues({TVariant(sql.back() - '0')}));
        if (sql.starts_with("DELETE")) return memory_.Delete();
        memory_.Edit();
        memory_.FieldByName(sql.find("City") != std::string::npos ? "City" : "Name")->SetAsString(sql.find("City") != std::string::npos ? "Berlin" : "Aaa");
        memory_.Post();
      };
      read_ = [this] {
        std::set<std::string> rows;
        for (const auto& r : memory_.StoredRecords()) rows.insert(r[0].ToString() + " " + r[1].ToString() + " " + r[2].ToString());
        return rows;
      };
    } else if (kind == "textfile") {
      file_ = temp_.File("people.txt");
      std::ofstream(file_, std::ios::binary) << "Id\tName\tCity\r\n1\tAlice\tParis\r\n2\tBob\tRome\r\n3\tCarol\tOslo\r\n";
      bind_ = [this](Components&, TZylHTMLGrid& grid) { grid.SetFileName(file_); };
      run_ = [this](const std::string& sql) {  // lines written as another program would: a new one first
        std::string text = "Id\tName\tCity\r\n" + std::string(sql.starts_with("INSERT") ? "4\tAaron\tKyiv\r\n" : "");
        for (std::set<std::string> rows = read_(); const std::string& row : rows) {
          std::string line = row;
          for (char& c : line) c = c == ' ' ? '\t' : c;
          if (line[0] == sql.back() && sql.starts_with("DELETE")) continue;
          if (line[0] == sql.back()) line = sql.find("City") != std::string::npos ? "1\tAlice\tBerlin" : "2\tAaa\tRome";
          text += line + "\r\n";
        }
        std::ofstream(file_, std::ios::binary) << text;
      };
      read_ = [this] {
        std::set<std::string> rows;
        for (const auto& f : testing::TextRecords(file_)) if (f.size() == 3 && f[0] != "Id") rows.insert(f[0] + " " + f[1] + " " + f[2]);
        return rows;
      };
    } else if (kind == "sqlite") {
      std::string path = temp_.File("people.db");
      harness::SqliteExec(path, "CREATE TABLE People (Id INTEGER PRIMARY KEY, Name TEXT, City TEXT);" + std::string(kPeople));
      run_ = [path](const std::string& sql) { harness::SqliteExec(path, sql); };
      open = [path] { return std::unique_ptr<TDataSet>(testing::OpenSqlite(path, "People")); };
    } else {
      test::PgServer& server = test::PgServer::Get();
      if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
      test::PgExec("DROP TABLE IF EXISTS People; CREATE TABLE People (Id integer PRIMARY KEY, Name text, City text);" + std::string(kPeople));
      run_ = [](const std::string& sql) { test::PgExec(sql); };
      open = [conninfo = server.ConnInfo()]() -> std::unique_ptr<TDataSet> {
        auto ds = std::make_unique<TZylPgDataset>(nullptr);
        ds->SetConnectionInfo(conninfo);
        ds->SetTableName("people");
        ds->Open();
        return ds;
      };
    }
    if (!open) return;
    bind_ = [open](Components& page, TZylHTMLGrid& grid) {
      grid.SetDataset(&page.Keep(open()));
      grid.GetDataset()->SetStrProp("IndexFieldNames", "Name");
    };
    read_ = [open] {
      std::set<std::string> rows;
      auto ds = open();
      for (ds->First(); !ds->Eof(); ds->Next()) rows.insert(ds->GetField(0)->AsString() + " " + ds->GetField(1)->AsString() + " " + ds->GetField(2)->AsString());
      return rows;
    };
  }

  harness::PrivateTempDir temp_;
  TZylMemDataset memory_{nullptr};
  std::string file_;
  std::function<void(Components&, TZylHTMLGrid&)> bind_;
  std::function<void(const std::string&)> run_;
  std::function<std::set<std::string>()> read_;
};

TEST_P(RowIdentity, EditLandsOnTheRecordShownOrIsRefused) {
  const Conflict& conflict = std::get<0>(GetParam());
  harness::Site site([this](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowIdentity(true);
    bind_(c, grid);
    if (grid.GetFileName().empty()) grid.ReadValues();
    grid.SetEditMode(true);
  });
  Response a = site.Open(), b = site.Open();  // visitors A and B both see Alice first
  ASSERT_NE(a.GetForm("Grid1_TABLE").Find("GROW_0"), nullptr);
  auto post = [&](const Response& page, const char* cell, const std::string& value, const char* button = "GUPDATE") {
    return site.Click(page, "Grid1_TABLE", button, [&](Form& f) {
      if (*cell) f.SetText(cell, value);
      if (conflict.other == "forge") f.SetText("GROW_0", f.Find("GROW_1") ? f.Find("GROW_1")->value : f.Find("GROW_0")->value + "A");
    });
  };
  if (conflict.other.starts_with("B:")) {
    Response byB = conflict.other == "B:rename" ? post(b, "GCELL_0_1", "Zoe") : post(b, "GCELL_0_2", "Nice");
    EXPECT_EQ(byB.ErrorText(), "") << "B's edit is the first";
  } else if (conflict.other != "forge") {
    run_(conflict.other);
  }
  Response byA = conflict.city.empty() ? post(a, "", "", "GDEL") : post(a, "GCELL_0_2", conflict.city);
  const std::string error = conflict.error;
  if (error == "stale") {
    EXPECT_EQ(byA.ErrorText(), byA.Grid("Grid1").GetTextUpdateError());
  } else {
    EXPECT_TRUE(error.empty() ? byA.ErrorText().empty() : byA.ErrorText().find(error) != std::string::npos) << byA.ErrorText();
  }
  std::string after;
  for (const std::string& row : read_()) after += (after.empty() ? "" : "|") + row;
  EXPECT_EQ(after, conflict.after);
}

INSTANTIATE_TEST_SUITE_P(ConflictsAndSources, RowIdentity,
                         ::testing::Combine(::testing::ValuesIn(kConflicts), ::testing::ValuesIn(kKinds)),
                         [](const ::testing::TestParamInfo<std::tuple<Conflict, const char*>>& p) {
                           return std::string(std::get<0>(p.param).name) + "_" + std::get<1>(p.param);
                         });

}  // namespace
}  // namespace zyl
