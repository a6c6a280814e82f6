// Several requests editing one text file at the same time, each with its
// own components, as separate CGI processes would: no edit may be lost and
// no line torn.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <thread>

#include "EditBackends.h"
#include "EditTestSupport.h"
#include "PrivateTempDir.h"
#include "data/DelimitedText.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zyl {
namespace {

using harness::Components;
using harness::Form;
using harness::Response;
using harness::Site;

TEST(ConcurrentEdit, AppendsOfEightPagesAtOnceAreAllKept) {
  constexpr int kThreads = 8;
  constexpr int kAppends = 50;
  harness::PrivateTempDir temp;
  const std::string file = temp.File("log.txt");
  std::ofstream(file, std::ios::binary) << "Page\tEntry\r\n";

  Site site([&](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(5);
    grid.SetFileName(file);
    grid.SetEditMode(true);
  });

  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        Response page = site.Open();
        for (int i = 0; i < kAppends; ++i) {
          Response adding = site.Click(page, "Grid1_TABLE", "GADD");
          page = site.Click(adding, "Grid1_TABLE", "GUPDATE", [&](Form& f) {
            f.SetText(testing::CellControls(f, 0).at(0), "p" + std::to_string(t));
            f.SetText(testing::CellControls(f, 1).at(0), std::to_string(i));
          });
          if (!page.ErrorText().empty()) throw std::runtime_error(page.ErrorText());
        }
      } catch (const std::exception& e) {
        failures[static_cast<std::size_t>(t)] = e.what();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& failure : failures) EXPECT_EQ(failure, "");

  TStringList lines;
  delimited::SplitLines(ReadFileBytes(file), lines);
  ASSERT_EQ(lines.Count(), 1 + kThreads * kAppends);
  EXPECT_EQ(lines[0], "\"Page\"\t\"Entry\"");
  std::set<std::string> seen;
  for (int i = 1; i < lines.Count(); ++i) {
    TStringList fields;
    delimited::ParseLine(lines[i], '\t', fields);
    ASSERT_EQ(fields.Count(), 2) << lines[i];
    seen.insert(fields[0] + "/" + fields[1]);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kAppends))
      << "no entry lost or doubled";
  for (const std::string& name : temp.Entries()) {
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << "a temporary file was left: " << name;
  }
}

// The same against an SQLite file, every request with its own connection.
// Each append takes every other page's lock, so a page whose append was
// refused as stale posts it again from its refreshed page.
TEST(ConcurrentEdit, AppendsOfEightPagesToAnSQLiteFileAreAllKept) {
  constexpr int kThreads = 8;
  constexpr int kAppends = 50;
  harness::PrivateTempDir temp;
  const std::string path = temp.File("log.db");
  testing::RunSql(path, "CREATE TABLE Log (Page VARCHAR(10), Entry INTEGER);");

  Site site([&](Components& c) {
    auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
    ds->SetDatabase(path);
    ds->SetTableName("Log");
    ds->Open();
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(5);
    grid.SetDataset(&c.Keep(std::move(ds)));
    grid.ReadValues();
    grid.SetEditMode(true);
  });

  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        Response page = site.Open();
        for (int i = 0; i < kAppends; ++i) {
          for (int attempt = 0;; ++attempt) {
            if (attempt == 5000) throw std::runtime_error("append never accepted");
            page = testing::PostCells(site, page,
                                      {{"GUPDATEADD", "1"},
                                       {"GCELL_0_0", "p" + std::to_string(t)},
                                       {"GCELL_0_1", std::to_string(i)}});
            if (page.ErrorText().empty()) break;
            if (page.ErrorText() != page.Grid("Grid1").GetTextUpdateError()) {
              throw std::runtime_error(page.ErrorText());
            }
          }
        }
      } catch (const std::exception& e) {
        failures[static_cast<std::size_t>(t)] = e.what();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& failure : failures) EXPECT_EQ(failure, "");

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "SELECT count(*), count(DISTINCT Page || '/' || Entry),"
                               " count(Page), count(Entry) FROM Log",
                               -1, &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(sqlite3_column_int(stmt, column), kThreads * kAppends) << "column " << column;
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

}  // namespace
}  // namespace zyl
