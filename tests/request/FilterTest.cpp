// Filters and the quick search reach every kind of data source through a
// GET of the view's fields (the link a page offers): each operator over
// memory, SQLite, PostgreSQL and a text file gives the same records;
// malformed filters are shown back with their message and leave the
// records unfiltered; hostile text is matched literally.
#include <gtest/gtest.h>

#include <fstream>

#include "PrivateTempDir.h"
#include "RequestHarness.h"
#include "datasets/PgDataset.h"
#include "datasets/ZylMemDataset.h"
#include "edit/EditBackends.h"
#include "harness/PgServer.h"
#include "platform/DateTime.h"
#include "platform/Locale.h"

namespace zyl {
namespace {

using harness::Components;

// Fields: ID, City, Amount, Day, Paid (indices 0-4). Record 5 has empty
// cells only (ID aside).
constexpr const char* kRows[][5] = {
    {"0", "Z\xC3\xBCrich", "10.5", "2024-01-05", "1"},
    {"1", "\xC3\x96REBRO", "20", "2024-01-31", "0"},
    {"2", "Oslo", "30", "2024-02-01", "1"},
    {"3", "50% off_x", "40", "2024-02-15", "0"},
    {"4", "O'Brien \\ SELECT", "50", "2024-03-01", "1"},
    {"5", "", "", "", ""},
};

struct Case {
  const char* fields;  // the view's filter fields
  const char* ids;     // the records shown, or the message shown
};
const Case kCases[] = {
    {"GFLT_1=z%C3%9C", "0"},  // non-ASCII, another case
    {"GFLT_1=%C3%B6rebro", "1"},
    {"GFLT_1=%3Doslo", "2"},
    {"GFLT_1=%3D", "5"},
    {"GFLT_1=%3C%3E", "0,1,2,3,4"},
    {"GFLT_1=%25", "3"},
    {"GFLT_1=_", "3"},
    {"GFLT_1=%27", "4"},
    {"GFLT_1=%5C", "4"},
    {"GFLT_1=select", "4"},
    {"GFLT_1=%27+OR+1%3D1+--", ""},
    {"GFLT_1=b..p", "2,4"},
    {"GFLT_2=20", "1"},
    {"GFLT_2=%3E%3D30", "2,3,4"},
    {"GFLT_2=%3E30", "3,4"},
    {"GFLT_2=%3C20", "0"},
    {"GFLT_2=%3C%3D20", "0,1"},
    {"GFLT_2=20..40", "1,2,3"},
    {"GFLT_2=..15", "0"},
    {"GFLT_2=%3D", "5"},
    {"GFLT_3=2024-01-31", "1"},
    {"GFLT_3=01.02.2024..15.02.2024", "2,3"},
    {"GFLT_3=%3C2024-02-01", "0,1"},
    {"GFLT_3=%3E01.02.2024", "3,4"},
    {"GFLT_3=%3C%3D2024-02-01", "0,1,2"},
    {"GFLT_4=yes", "0,2,4"},
    {"GFLT_4=No", "1,3"},
    {"GFLT_2=%3E15&GFLT_4=yes", "2,4"},
    {"GSEARCH=O", "1,2,3,4"},
    {"GSEARCH=%C3%BC&GFLT_2=%3C99", "0"},
    {"GFLT_2=abc", "not a number: abc"},
    {"GFLT_2=5..1", "the range ends before it starts: 5..1"},
    {"GFLT_2=%3E%3D", "a value is missing after >="},
    {"GFLT_3=31.02.2024", "not a date: 31.02.2024 (dd.mm.yyyy or yyyy-mm-dd)"},
    {"GFLT_4=maybe", "yes or no: maybe"},
};

class Filter : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string kind = GetParam();
    const TFieldType types[] = {TFieldType::ftInteger, TFieldType::ftString, TFieldType::ftFloat,
                                TFieldType::ftDate, TFieldType::ftBoolean};
    const char* names[] = {"ID", "City", "Amount", "Day", "Paid"};
    std::string insert = "INSERT INTO Cities VALUES ";
    for (const auto& row : kRows) {
      insert += std::string(row[0] == std::string("0") ? "(" : ", (") + row[0];
      for (int f = 1; f < 5; ++f) {
        std::string v = row[f];
        for (std::size_t p = v.find('\''); p != std::string::npos; p = v.find('\'', p + 2))
          v.insert(p, "'");
        bool quoted = f == 1 || f == 3 || (f == 4 && kind == "postgres");
        insert += ", " + (row[f][0] == 0 && f != 1 ? "NULL" : quoted ? "'" + v + "'" : v);
      }
      insert += ")";
    }
    if (kind == "memory") {
      for (int f = 0; f < 5; ++f) memory_.AddField(names[f], types[f]);
      for (const auto& row : kRows) {
        std::vector<TVariant> values{TVariant(std::stoi(row[0])), TVariant(row[1])};
        bool empty = row[2][0] == 0;
        values.push_back(empty ? TVariant::Null() : TVariant(std::stod(row[2])));
        values.push_back(empty ? TVariant::Null() : TVariant::FromDate(StrToDateTime(row[3])));
        values.push_back(empty ? TVariant::Null() : TVariant(row[4][0] == '1'));
        memory_.AddRecord(values);
      }
      memory_.Open();
      bind_ = [this](Components&, TZylHTMLGrid& grid) { grid.SetDataset(&memory_); };
    } else if (kind == "sqlite") {
      std::string path = temp_.File("cities.db");
      harness::SqliteExec(path,
                          "CREATE TABLE Cities (ID INTEGER PRIMARY KEY, City TEXT, Amount REAL, "
                          "Day DATE, Paid BOOLEAN);" +
                              insert);
      bind_ = [path](Components& page, TZylHTMLGrid& grid) {
        grid.SetDataset(&page.Keep(testing::OpenSqlite(path, "Cities")));
      };
    } else if (kind == "postgres") {
      test::PgServer& server = test::PgServer::Get();
      if (!server.Available()) GTEST_SKIP() << "no PostgreSQL server: " << server.Reason();
      test::PgExec(
          "DROP TABLE IF EXISTS Cities; CREATE TABLE Cities (ID integer PRIMARY KEY, "
          "City text, Amount double precision, Day date, Paid boolean);" +
          insert);
      bind_ = [conninfo = server.ConnInfo()](Components& page, TZylHTMLGrid& grid) {
        auto ds = std::make_unique<TZylPgDataset>(nullptr);
        ds->SetConnectionInfo(conninfo), ds->SetTableName("cities"), ds->Open();
        grid.SetDataset(&page.Keep(std::move(ds)));
      };
    } else {
      std::string file = temp_.File("cities.txt");
      std::ofstream out(file, std::ios::binary);
      out << "ID\tCity\tAmount\tDay\tPaid\r\n";
      for (const auto& row : kRows) {
        std::string day = row[3][0] == 0 ? "" : FormatDateTime("dd.mm.yyyy", StrToDateTime(row[3]));
        std::string paid = row[4][0] == 0 ? "" : row[4][0] == '1' ? "True" : "False";
        // Every value quoted: a single quote would open a quoted stretch.
        out << row[0] << "\t\"" << row[1] << "\"\t" << row[2] << '\t' << day << '\t' << paid
            << "\r\n";
      }
      bind_ = [file](Components&, TZylHTMLGrid& grid) {
        grid.SetFileName(file);
        int first = grid.GetShowRowNumber() ? 1 : 0;
        for (int f = 0; f < 5; ++f) grid.GetColumns(first + f)->SetDataType(types_[f]);
      };
    }
  }

  harness::Response View(const std::string& fields) {
    harness::Site site([this](Components& c) {
      TZylHTMLGrid& grid = c.AddGrid("Grid1");
      grid.SetFilterRow(true);
      grid.SetQuickSearch(true);
      bind_(c, grid);
      if (grid.GetFileName().empty()) grid.ReadValues();
    });
    return site.Send({"GET", "/zg?GName=Grid1&" + fields, ""});
  }

  static int Column(TZylHTMLGrid& grid, const char* caption) {
    int c = 0;
    while (c < grid.GetColCount() && !AnsiSameText(grid.GetColumns(c)->GetCaption(), caption)) ++c;
    return c;
  }
  // The IDs the page shows, or the first filter message.
  static std::string Shown(const harness::Response& page) {
    const auto& errors = page.Grid("Grid1").GetFilterErrors();
    if (!errors.empty()) return errors.begin()->second;
    std::string ids;
    TZylHTMLGrid& grid = page.Grid("Grid1");
    int id = Column(grid, "ID");
    for (int r = 0; r < grid.GetRowCount(); ++r)
      ids += (r ? "," : "") + grid.GetCells(r, id)->GetValue();
    return ids;
  }

  static constexpr TFieldType types_[5] = {TFieldType::ftInteger, TFieldType::ftString,
                                           TFieldType::ftFloat, TFieldType::ftDate,
                                           TFieldType::ftBoolean};
  harness::PrivateTempDir temp_;
  TZylMemDataset memory_{nullptr};
  std::function<void(Components&, TZylHTMLGrid&)> bind_;
};

TEST_P(Filter, EachOperatorGivesTheSameRecords) {
  for (const Case& c : kCases) {
    harness::Response page = View(c.fields);
    EXPECT_EQ(Shown(page), c.ids) << c.fields;
    // A malformed filter shows every record, and its message beside its input.
    if (!page.Grid("Grid1").GetFilterErrors().empty()) {
      EXPECT_EQ(page.Grid("Grid1").GetRowCount(), 6) << c.fields;
      EXPECT_NE(page.html.find("role=\"alert\">"), std::string::npos) << c.fields;
    }
  }
}

TEST_P(Filter, TheFilterRowAppliesAndClearsAndTheSumCoversTheResult) {
  harness::Site site([this](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetFilterRow(true), grid.SetWholeResultTotals(true), grid.SetViewLink(true);
    bind_(c, grid);
    if (grid.GetFileName().empty()) grid.ReadValues();
  });
  harness::Response first = site.Send({"GET", "/zg?GName=Grid1&GRPP=2&GPage=2", ""});
  harness::Response filtered = site.Click(
      first, "Grid1_FILTER", "", [](harness::Form& form) { form.SetText("GFLT_2", ">=20"); });
  EXPECT_EQ(Shown(filtered), "1,2");  // back to page 1 of the filtered records
  harness::Response next = site.Click(filtered, "TOOLBARTOP", "GNEXT");
  EXPECT_EQ(Shown(next), "3,4");
  harness::Response sum = site.Click(next, "TOOLBARTOP", "GSUM");
  TZylHTMLGrid& grid = sum.Grid("Grid1");
  ASSERT_EQ(grid.GetRowCount(), 3);
  EXPECT_EQ(grid.GetCells(2, Column(grid, "Amount"))->GetValue(), "140");  // 20 + 30 + 40 + 50
  // The view's link reproduces the page.
  std::string link = grid.GetViewURL();
  EXPECT_EQ(link.find("GUID"), std::string::npos) << link;
  harness::Response linked = site.Send({"GET", link, ""});
  EXPECT_EQ(Shown(linked), "3,4") << link;
  EXPECT_EQ(Shown(site.Send({"GET", link + "&GFCLEAR=Clear", ""})), "2,3");
}

INSTANTIATE_TEST_SUITE_P(Kinds, Filter,
                         ::testing::Values("memory", "sqlite", "postgres", "textfile"));

}  // namespace
}  // namespace zyl
