// Eight pages appending to one text file or one SQLite file at the same
// time, each request with its own components, as separate CGI processes
// would: no entry may be lost, doubled or torn. An append takes every other
// page's lock, so a page whose append was refused as stale posts it again
// from its refreshed page.
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
using harness::Response;

class ConcurrentEdit : public ::testing::TestWithParam<std::string> {};

TEST_P(ConcurrentEdit, AppendsOfEightPagesAtOnceAreAllKept) {
  constexpr int kThreads = 8;
  constexpr int kAppends = 50;
  harness::PrivateTempDir temp;
  const bool text = GetParam() == "textfile";
  const std::string file = temp.File(text ? "log.txt" : "log.db");
  if (text) {
    std::ofstream(file, std::ios::binary) << "Page\tEntry\r\n";
  } else {
    testing::RunSql(file, "CREATE TABLE Log (Page VARCHAR(10), Entry INTEGER);");
  }
  harness::Site site([&](Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(5);
    if (text) {
      grid.SetFileName(file);
    } else {
      auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
      ds->SetDatabase(file);
      ds->SetTableName("Log");
      ds->Open();
      grid.SetDataset(&c.Keep(std::move(ds)));
      grid.ReadValues();
    }
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
            page = testing::PostCells(site, page, {{"GUPDATEADD", "1"}, {"GCELL_0_0", "p" + std::to_string(t)},
                                                   {"GCELL_0_1", std::to_string(i)}});
            if (page.ErrorText().empty()) break;
            if (page.ErrorText() != page.Grid("Grid1").GetTextUpdateError()) throw std::runtime_error(page.ErrorText());
          }
        }
      } catch (const std::exception& e) {
        failures[static_cast<std::size_t>(t)] = e.what();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& failure : failures) EXPECT_EQ(failure, "");

  std::multiset<std::string> entries;
  if (text) {
    TStringList lines, fields;
    delimited::SplitLines(ReadFileBytes(file), lines);
    EXPECT_EQ(lines[0], "\"Page\"\t\"Entry\"");
    for (int i = 1; i < lines.Count(); ++i) {
      delimited::ParseLine(lines[i], '\t', fields);
      entries.insert(fields.Count() == 2 ? fields[0] + "/" + fields[1] : "torn: " + lines[i]);
    }
    for (const std::string& name : temp.Entries()) EXPECT_FALSE(name.ends_with(".tmp")) << name << " was left";
  } else {
    TZylSQLiteDataset ds(nullptr);
    ds.SetDatabase(file);
    ds.SetTableName("Log");
    ds.Open();
    for (ds.First(); !ds.Eof(); ds.Next()) {
      entries.insert(ds.GetField(0)->AsString() + "/" + ds.GetField(1)->AsString());
    }
  }
  std::multiset<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kAppends; ++i) expected.insert("p" + std::to_string(t) + "/" + std::to_string(i));
  }
  EXPECT_TRUE(entries == expected) << entries.size() << " entries; none may be lost, doubled or torn";
}

INSTANTIATE_TEST_SUITE_P(Files, ConcurrentEdit, ::testing::Values("textfile", "sqlite"));

}  // namespace
}  // namespace zyl
