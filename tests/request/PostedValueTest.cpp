// A posted value reaches the data exactly, whatever it holds: line breaks
// (CR LF as a text area posts them, LF alone, one that leads the value),
// tabs, quotes, characters that URL encoding escapes, non-ASCII text. Each
// value goes through the rendered page's controls, a text input and a
// memo's text area, by an update and by an add, on every kind of data
// source; the page that shows the stored value then posts it back
// unchanged (with its line breaks as CR LF, as browsers post them).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "data/DelimitedText.h"
#include "data/contract/PgServer.h"
#include "datasets/PgConnection.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "edit/EditBackends.h"
#include "edit/EditTestSupport.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using Stored = std::pair<std::string, std::string>;  // Note, Memo

// Table Notes: ID (integer), Note (text of up to 200 characters), Memo (a
// memo); records 0 to 2 with the texts "n<i>" and "m<i>". `bind` links a
// request's grid to it; `open` gives a dataset of the stored data.
struct Source {
  std::function<void(Components&, TZylHTMLGrid&)> bind;
  std::function<TDataSet&()> open;
  std::unique_ptr<TDataSet> kept;
};

Stored Read(TDataSet& ds, int id) {
  for (ds.First(); !ds.Eof(); ds.Next()) {
    if (ds.GetField(0)->AsString() == std::to_string(id)) {
      return {ds.GetField(1)->AsString(), ds.GetField(2)->AsString()};
    }
  }
  return {"no record", std::to_string(id)};
}

constexpr const char* kRecords =
    "INSERT INTO Notes VALUES (0, 'n0', 'm0'), (1, 'n1', 'm1'), (2, 'n2', 'm2')";

// An SQLite or PostgreSQL table that every request opens afresh.
template <class DataSet>
void OverTable(Source& source, std::function<void(DataSet&)> connect, const char* table) {
  auto open = [connect, table] {
    auto ds = std::make_unique<DataSet>(nullptr);
    connect(*ds);
    ds->SetTableName(table);
    ds->Open();
    return ds;
  };
  source.bind = [open](Components& page, TZylHTMLGrid& grid) { grid.SetDataset(&page.Keep(open())); };
  source.open = [open, &source]() -> TDataSet& { return *(source.kept = open()); };
}

struct Value {
  const char* name;
  std::string text;
};
void PrintTo(const Value& value, std::ostream* out) { *out << value.name; }

const Value kValues[] = {
    {"CrLf", "line one\r\nline two"},
    {"Lf", "first\nsecond\n"},
    {"LeadingBreak", "\r\nafter a break\r\n\r\nand an empty line"},
    {"TabsQuotesUnicode", "tab\there \"double\" 'single' & = % + ; Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"},
};
const char* const kKinds[] = {"memory", "sqlite", "postgres", "textfile"};

class PostedValue : public ::testing::TestWithParam<std::tuple<Value, const char*>> {
 protected:
  void SetUp() override {
    const std::string kind = std::get<1>(GetParam());
    if (kind == "memory") {
      memory_.AddField("ID", TFieldType::ftInteger);
      memory_.AddField("Note", TFieldType::ftString, 200);
      memory_.AddField("Memo", TFieldType::ftMemo);
      for (int i = 0; i < 3; ++i) {
        memory_.AddRecord({TVariant(i), TVariant("n" + std::to_string(i)), TVariant("m" + std::to_string(i))});
      }
      memory_.Open();
      source_.bind = [this](Components&, TZylHTMLGrid& grid) { grid.SetDataset(&memory_); };
      source_.open = [this]() -> TDataSet& { return memory_; };
    } else if (kind == "sqlite") {
      std::string path = temp_.File("notes.db");
      testing::RunSql(path, "CREATE TABLE Notes (ID INTEGER, Note VARCHAR(200), Memo MEMO);" + std::string(kRecords));
      OverTable<TZylSQLiteDataset>(source_, [path](TZylSQLiteDataset& ds) { ds.SetDatabase(path); }, "Notes");
    } else if (kind == "postgres") {
      test::PgServer& server = test::PgServer::Get();
      if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
      std::string conninfo = server.ConnInfo();
      pg::Connection admin(conninfo, "posted value test");
      admin.Exec("DROP TABLE IF EXISTS Notes");
      admin.Exec("CREATE TABLE Notes (ID integer PRIMARY KEY, Note varchar(200), Memo text)");
      admin.Exec(kRecords);
      OverTable<TZylPgDataset>(source_, [conninfo](TZylPgDataset& ds) { ds.SetConnectionInfo(conninfo); }, "notes");
    } else {
      file_ = temp_.File("notes.txt");
      std::ofstream(file_, std::ios::binary) << "ID\tNote\tMemo\r\n0\tn0\tm0\r\n1\tn1\tm1\r\n2\tn2\tm2\r\n";
      source_.bind = [this](Components&, TZylHTMLGrid& grid) {
        grid.SetFileName(file_);
        grid.GetColumns(3)->SetDataType(TFieldType::ftMemo);
      };
      source_.open = [this]() -> TDataSet& {  // the file read back by a text grid of its own
        auto ds = std::make_unique<TZylMemDataset>(nullptr);
        for (const char* field : {"ID", "Note", "Memo"}) ds->AddField(field, TFieldType::ftMemo);
        TStringList lines, fields;
        delimited::SplitLines(ReadFileBytes(file_), lines);
        for (const std::string& line : lines) {
          delimited::ParseLine(line, '\t', fields);
          if (fields.Count() == 3) ds->AddRecord({TVariant(fields[0]), TVariant(fields[1]), TVariant(fields[2])});
        }
        ds->Open();
        return *(source_.kept = std::move(ds));
      };
    }
  }

  harness::Site Site() {
    return harness::Site([this](Components& c) {
      TZylHTMLGrid& grid = c.AddGrid("Grid1");
      grid.SetShowMemos(true);
      source_.bind(c, grid);
      if (grid.GetFileName().empty()) grid.ReadValues();
      grid.SetEditMode(true);
    });
  }
  Stored Record(int id) { return Read(source_.open(), id); }

  harness::PrivateTempDir temp_;
  TZylMemDataset memory_{nullptr};
  std::string file_;
  Source source_;
};

TEST_P(PostedValue, StoredExactlyByUpdateAndAdd) {
  const std::string& value = std::get<0>(GetParam()).text;
  harness::Site site = Site();
  // Update: the text input and the memo's text area of record 1.
  Response page = site.Click(site.Open(), "Grid1_TABLE", "GRecNo1");
  Response updated = site.Click(page, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
    f.SetText("GCELL_1_1", value);
    f.SetText("GCELL_1_2", value);
  });
  EXPECT_EQ(updated.ErrorText(), "");
  EXPECT_EQ(Record(1), (Stored{value, value}));

  // The page shows the stored value and posts it back unchanged, but for
  // line breaks, which it writes (as browsers post them) as CR LF.
  std::string crLf;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\n' && (i == 0 || value[i - 1] != '\r')) crLf += '\r';
    crLf += value[i];
    if (value[i] == '\r' && (i + 1 == value.size() || value[i + 1] != '\n')) crLf += '\n';
  }
  const Form& shown = updated.GetForm("Grid1_TABLE");
  ASSERT_NE(shown.Find("GCELL_1_1"), nullptr);
  EXPECT_EQ(shown.Find("GCELL_1_1")->value, crLf);
  EXPECT_EQ(shown.Find("GCELL_1_2")->value, crLf);
  site.Click(updated, "Grid1_TABLE", "GUPDATE");
  EXPECT_EQ(Record(1), (Stored{crLf, crLf})) << "posted again unchanged";

  // Add: the new-record row's controls.
  Response added = site.Click(site.Click(site.Open(), "Grid1_TABLE", "GADD"), "Grid1_TABLE", "GUPDATE", [&](Form& f) {
    for (int field = 0; field < 3; ++field) f.SetText(testing::CellControls(f, field).at(0), field ? value : "9");
  });
  EXPECT_EQ(added.ErrorText(), "");
  EXPECT_EQ(Record(9), (Stored{value, value}));
  EXPECT_EQ(Record(0), (Stored{"n0", "m0"})) << "other records keep their values";
  if (!file_.empty()) {
    std::string quoted = "\"";
    for (char ch : value) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    EXPECT_NE(ReadFileBytes(file_).find(quoted + "\"\t" + quoted + "\""), std::string::npos)
        << "written in double quotes, line breaks and all";
  }
}

INSTANTIATE_TEST_SUITE_P(ValuesAndSources, PostedValue,
                         ::testing::Combine(::testing::ValuesIn(kValues), ::testing::ValuesIn(kKinds)),
                         [](const ::testing::TestParamInfo<std::tuple<Value, const char*>>& p) {
                           return std::string(std::get<0>(p.param).name) + "_" + std::get<1>(p.param);
                         });

}  // namespace
}  // namespace zyl
