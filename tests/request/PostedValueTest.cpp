// A posted value (line breaks, tabs, quotes, URL escapes, non-ASCII text)
// reaches every kind of data source exactly, through the rendered text
// input and memo text area, by an update and by an add; the page showing
// it posts it back unchanged (line breaks as CR LF, as browsers post them).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "edit/EditBackends.h"
#include "edit/EditTestSupport.h"
#include "harness/PgServer.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using Stored = std::pair<std::string, std::string>;  // Note, Memo

Stored Read(TDataSet& ds, int id) {
  for (ds.First(); !ds.Eof(); ds.Next()) {
    if (ds.GetField(0)->AsString() == std::to_string(id))
      return {ds.GetField(1)->AsString(), ds.GetField(2)->AsString()};
  }
  return {"no record", std::to_string(id)};
}

constexpr const char* kRecords =
    "INSERT INTO Notes VALUES (0, 'n0', 'm0'), (1, 'n1', 'm1'), (2, 'n2', 'm2')";

struct Value {
  const char* name;
  std::string text;
  std::string postedBack = {};  // as the page posts it back, when that differs
};
void PrintTo(const Value& value, std::ostream* out) {
  *out << value.name;
}

const Value kValues[] = {
    {"CrLf", "line one\r\nline two"},
    {"Lf", "first\nsecond\n", "first\r\nsecond\r\n"},
    {"LeadingBreak", "\r\nafter a break\r\n\r\nand an empty line"},
    {"TabsQuotesUnicode",
     "tab\there \"double\" 'single' & = % + ; Gr\xC3\xBC\xC3\x9F"
     "e \xE2\x82\xAC"},
};
const char* const kKinds[] = {"memory", "sqlite", "postgres", "textfile"};

// Table Notes: ID (integer), Note (text of up to 200 characters), Memo (a
// memo); records 0 to 2 with the texts "n<i>" and "m<i>". `bind_` links a
// request's grid to it; `read_` gives the stored Note and Memo of an ID.
class PostedValue : public ::testing::TestWithParam<std::tuple<Value, const char*>> {
 protected:
  void SetUp() override {
    const std::string kind = std::get<1>(GetParam());
    std::function<std::unique_ptr<TDataSet>()> open;  // a table every request opens afresh
    if (kind == "memory") {
      for (auto [name, type] : {std::pair{"ID", TFieldType::ftInteger},
                                {"Note", TFieldType::ftString},
                                {"Memo", TFieldType::ftMemo}}) {
        memory_.AddField(name, type, type == TFieldType::ftString ? 200 : 0);
      }
      for (int i = 0; i < 3; ++i) {
        memory_.AddRecord(
            {TVariant(i), TVariant("n" + std::to_string(i)), TVariant("m" + std::to_string(i))});
      }
      memory_.Open();
      bind_ = [this](Components&, TZylHTMLGrid& grid) { grid.SetDataset(&memory_); };
      read_ = [this](int id) { return Read(memory_, id); };
    } else if (kind == "sqlite") {
      std::string path = temp_.File("notes.db");
      harness::SqliteExec(path, "CREATE TABLE Notes (ID INTEGER, Note VARCHAR(200), Memo MEMO);" +
                                    std::string(kRecords));
      open = [path]() -> std::unique_ptr<TDataSet> { return testing::OpenSqlite(path, "Notes"); };
    } else if (kind == "postgres") {
      test::PgServer& server = test::PgServer::Get();
      if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
      std::string conninfo = server.ConnInfo();
      test::PgExec("DROP TABLE IF EXISTS Notes;"
                   "CREATE TABLE Notes (ID integer PRIMARY KEY, Note varchar(200), Memo text);" +
                   std::string(kRecords));
      open = [conninfo]() -> std::unique_ptr<TDataSet> {
        auto ds = std::make_unique<TZylPgDataset>(nullptr);
        ds->SetConnectionInfo(conninfo);
        ds->SetTableName("notes");
        ds->Open();
        return ds;
      };
    } else {
      file_ = temp_.File("notes.txt");
      std::ofstream(file_, std::ios::binary)
          << "ID\tNote\tMemo\r\n0\tn0\tm0\r\n1\tn1\tm1\r\n2\tn2\tm2\r\n";
      bind_ = [this](Components&, TZylHTMLGrid& grid) {
        grid.SetFileName(file_);
        grid.GetColumns(3)->SetDataType(TFieldType::ftMemo);
      };
      read_ = [this](int id) {
        for (const auto& fields : testing::TextRecords(file_)) {
          if (fields.size() == 3 && fields[0] == std::to_string(id))
            return Stored{fields[1], fields[2]};
        }
        return Stored{"no record", std::to_string(id)};
      };
    }
    if (open) {
      bind_ = [open](Components& page, TZylHTMLGrid& grid) { grid.SetDataset(&page.Keep(open())); };
      read_ = [open](int id) { return Read(*open(), id); };
    }
  }

  harness::Site Site() {
    return harness::Site([this](Components& c) {
      TZylHTMLGrid& grid = c.AddGrid("Grid1");
      grid.SetShowMemos(true);
      bind_(c, grid);
      if (grid.GetFileName().empty()) grid.ReadValues();
      grid.SetEditMode(true);
    });
  }
  Stored Record(int id) { return read_(id); }

  harness::PrivateTempDir temp_;
  TZylMemDataset memory_{nullptr};
  std::string file_;
  std::function<void(Components&, TZylHTMLGrid&)> bind_;
  std::function<Stored(int)> read_;
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
  const std::string crLf =
      std::get<0>(GetParam()).postedBack.empty() ? value : std::get<0>(GetParam()).postedBack;
  const Form& shown = updated.GetForm("Grid1_TABLE");
  ASSERT_NE(shown.Find("GCELL_1_1"), nullptr);
  EXPECT_EQ(shown.Find("GCELL_1_1")->value, crLf);
  EXPECT_EQ(shown.Find("GCELL_1_2")->value, crLf);
  site.Click(updated, "Grid1_TABLE", "GUPDATE");
  EXPECT_EQ(Record(1), (Stored{crLf, crLf})) << "posted again unchanged";

  // Add: the new-record row's controls.
  Response added = site.Click(
      site.Click(site.Open(), "Grid1_TABLE", "GADD"), "Grid1_TABLE", "GUPDATE", [&](Form& f) {
        for (int field = 0; field < 3; ++field)
          f.SetText(testing::CellControls(f, field).at(0), field ? value : "9");
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
                         ::testing::Combine(::testing::ValuesIn(kValues),
                                            ::testing::ValuesIn(kKinds)),
                         [](const ::testing::TestParamInfo<std::tuple<Value, const char*>>& p) {
                           return std::string(std::get<0>(p.param).name) + "_" +
                                  std::get<1>(p.param);
                         });

}  // namespace
}  // namespace zyl
