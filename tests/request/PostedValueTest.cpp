// A posted value reaches the data exactly, whatever it holds: line breaks
// (CR LF as a text area posts them, LF alone, one that leads the value),
// tabs, quotes, characters that URL encoding escapes, non-ASCII text. Each
// value goes through the rendered page's controls, a text input and a
// memo's text area, by an update and by an add, on every kind of data
// source; the page that shows the stored value then posts it back
// unchanged (with its line breaks as CR LF, as browsers post them).
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "data/DelimitedText.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "harness/PgServer.h"
#include "edit/EditBackends.h"
#include "edit/EditTestSupport.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;
using Stored = std::pair<std::string, std::string>;  // Note, Memo

// Table Notes: ID (integer), Note (text of up to 200 characters), Memo (a
// memo); records 0 to 2 with the texts "n<i>" and "m<i>".
class Source {
 public:
  virtual ~Source() = default;
  // Links the request's grid to the data.
  virtual void Bind(Components& page, TZylHTMLGrid& grid) = 0;
  // Note and Memo of the record with ID `id`, read back as stored.
  virtual Stored Read(int id) = 0;
};

// Finds the record through a dataset of the test's own.
Stored ReadRecord(TDataSet& ds, int id) {
  for (ds.First(); !ds.Eof(); ds.Next()) {
    if (ds.GetField(0)->AsString() == std::to_string(id)) {
      return {ds.GetField(1)->AsString(), ds.GetField(2)->AsString()};
    }
  }
  ADD_FAILURE() << "no record " << id;
  return {};
}

class MemorySource : public Source {
 public:
  MemorySource() {
    data_.AddField("ID", TFieldType::ftInteger);
    data_.AddField("Note", TFieldType::ftString, 200);
    data_.AddField("Memo", TFieldType::ftMemo);
    for (int i = 0; i < 3; ++i) {
      std::string n = std::to_string(i);
      data_.AddRecord({TVariant(i), TVariant("n" + n), TVariant("m" + n)});
    }
    data_.Open();
  }
  void Bind(Components&, TZylHTMLGrid& grid) override { grid.SetDataset(&data_); }
  Stored Read(int id) override { return ReadRecord(data_, id); }

 private:
  TZylMemDataset data_{nullptr};
};

// An SQLite or PostgreSQL table, opened afresh by every request as
// separate processes would.
class SqlSource : public Source {
 public:
  explicit SqlSource(std::function<std::unique_ptr<TDataSet>()> open) : open_(std::move(open)) {}
  void Bind(Components& page, TZylHTMLGrid& grid) override { grid.SetDataset(&page.Keep(open_())); }
  Stored Read(int id) override { return ReadRecord(*open_(), id); }

 private:
  std::function<std::unique_ptr<TDataSet>()> open_;
};

constexpr const char* kRecords =
    "INSERT INTO Notes VALUES (0, 'n0', 'm0'), (1, 'n1', 'm1'), (2, 'n2', 'm2')";

std::unique_ptr<Source> SQLite(const std::string& path) {
  testing::RunSql(path, "CREATE TABLE Notes (ID INTEGER, Note VARCHAR(200), Memo MEMO);" +
                            std::string(kRecords));
  return std::make_unique<SqlSource>([path] {
    auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
    ds->SetDatabase(path);
    ds->SetTableName("Notes");
    ds->Open();
    return ds;
  });
}

std::unique_ptr<Source> Postgres(const std::string& connInfo) {
  PGconn* conn = PQconnectdb(connInfo.c_str());
  for (const char* sql :
       {"DROP TABLE IF EXISTS Notes",
        "CREATE TABLE Notes (ID integer PRIMARY KEY, Note varchar(200), Memo text)", kRecords}) {
    PGresult* result = PQexec(conn, sql);
    EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(conn);
    PQclear(result);
  }
  PQfinish(conn);
  return std::make_unique<SqlSource>([connInfo] {
    auto ds = std::make_unique<TZylPgDataset>(nullptr);
    ds->SetConnectionInfo(connInfo);
    ds->SetTableName("notes");
    ds->Open();
    return ds;
  });
}

class TextFileSource : public Source {
 public:
  explicit TextFileSource(std::string path) : path_(std::move(path)) {
    std::ofstream(path_, std::ios::binary)
        << "ID\tNote\tMemo\r\n0\tn0\tm0\r\n1\tn1\tm1\r\n2\tn2\tm2\r\n";
  }
  void Bind(Components&, TZylHTMLGrid& grid) override {
    grid.SetFileName(path_);
    grid.GetColumns(3)->SetDataType(TFieldType::ftMemo);
  }
  Stored Read(int id) override {
    TStringList lines;
    TStringList fields;
    delimited::SplitLines(ReadFileBytes(path_), lines);
    for (const std::string& line : lines) {
      delimited::ParseLine(line, '\t', fields);
      if (fields.Count() == 3 && fields[0] == std::to_string(id)) return {fields[1], fields[2]};
    }
    ADD_FAILURE() << "no record " << id;
    return {};
  }
  // The file's bytes: every field is written in double quotes.
  std::string Bytes() const { return ReadFileBytes(path_); }

 private:
  std::string path_;
};

struct Value {
  const char* name;
  std::string text;
};
void PrintTo(const Value& value, std::ostream* out) {
  *out << value.name;
}

const Value kValues[] = {
    {"CrLf", "line one\r\nline two"},
    {"Lf", "first\nsecond\n"},
    {"LeadingBreak", "\r\nafter a break\r\n\r\nand an empty line"},
    {"TabsQuotesUnicode",
     "tab\there \"double\" 'single' & = % + ; Gr\xC3\xBC\xC3\x9F"
     "e \xE2\x82\xAC"},
};
const char* const kKinds[] = {"memory", "sqlite", "postgres", "textfile"};

class PostedValue : public ::testing::TestWithParam<std::tuple<Value, const char*>> {
 protected:
  void SetUp() override {
    std::string kind = std::get<1>(GetParam());
    if (kind == "memory") {
      source_ = std::make_unique<MemorySource>();
    } else if (kind == "sqlite") {
      source_ = SQLite(temp_.File("notes.db"));
    } else if (kind == "postgres") {
      test::PgServer& server = test::PgServer::Get();
      if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
      source_ = Postgres(server.ConnInfo());
    } else {
      source_ = std::make_unique<TextFileSource>(temp_.File("notes.txt"));
    }
  }

  Site MakeSite() {
    return Site([this](Components& c) {
      TZylHTMLGrid& grid = c.AddGrid("Grid1");
      grid.SetShowMemos(true);
      source_->Bind(c, grid);
      if (grid.GetFileName().empty()) grid.ReadValues();
      grid.SetEditMode(true);
    });
  }

  harness::PrivateTempDir temp_;
  std::unique_ptr<Source> source_;
};

TEST_P(PostedValue, StoredExactlyByUpdateAndAdd) {
  const std::string& value = std::get<0>(GetParam()).text;
  Site site = MakeSite();

  // Update: the text input and the memo's text area of record 1.
  Response page = site.Click(site.Open(), "Grid1_TABLE", "GRecNo1");
  Response updated = site.Click(page, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
    f.SetText("GCELL_1_1", value);
    f.SetText("GCELL_1_2", value);
  });
  EXPECT_EQ(updated.ErrorText(), "");
  EXPECT_EQ(source_->Read(1), Stored(value, value));

  // The page shows the stored value in its controls and posts it back
  // unchanged, but for line breaks, which it writes (as browsers post them)
  // as CR LF.
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
  EXPECT_EQ(source_->Read(1), Stored(crLf, crLf)) << "posted again unchanged";

  // Add: the new-record row's controls.
  Response adding = site.Click(site.Open(), "Grid1_TABLE", "GADD");
  Response added = site.Click(adding, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
    f.SetText(testing::CellControls(f, 0).at(0), "9");
    f.SetText(testing::CellControls(f, 1).at(0), value);
    f.SetText(testing::CellControls(f, 2).at(0), value);
  });
  EXPECT_EQ(added.ErrorText(), "");
  EXPECT_EQ(source_->Read(9), Stored(value, value));
  EXPECT_EQ(source_->Read(0), Stored("n0", "m0")) << "other records keep their values";

  if (auto* text = dynamic_cast<TextFileSource*>(source_.get())) {
    std::string quoted = "\"";
    for (char ch : value) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    EXPECT_NE(text->Bytes().find(quoted + "\"\t" + quoted + "\""), std::string::npos)
        << "written in double quotes, line breaks and all";
  }
}

INSTANTIATE_TEST_SUITE_P(ValuesAndSources, PostedValue,
                         ::testing::Combine(::testing::ValuesIn(kValues),
                                            ::testing::ValuesIn(kKinds)),
                         [](const ::testing::TestParamInfo<std::tuple<Value, const char*>>& param) {
                           std::string kind = std::get<1>(param.param);
                           return std::string(std::get<0>(param.param).name) + "_" + kind;
                         });

}  // namespace
}  // namespace zyl
