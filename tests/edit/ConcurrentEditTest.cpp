// Eight pages appending 50 entries each to one text file or one SQLite file
// at once, as separate CGI processes would: none lost, doubled or torn. An
// append refused as stale is posted again from the refreshed page. Ten
// pages deleting the record each chose at once: one passes, the others are
// stale and refused, no other record goes.
#include <gtest/gtest.h>

#include <fstream>
#include <latch>
#include <set>
#include <thread>

#include "EditBackends.h"
#include "EditTestSupport.h"
#include "PrivateTempDir.h"

namespace zyl {
namespace {

class ConcurrentEdit : public ::testing::TestWithParam<std::string> {};

TEST_P(ConcurrentEdit, AppendsOfEightPagesAtOnceAreAllKept) {
  constexpr int kThreads = 8, kAppends = 50;
  harness::PrivateTempDir temp;
  const bool text = GetParam() == "textfile";
  const std::string file = temp.File(text ? "log.txt" : "log.db");
  if (text) {
    std::ofstream(file, std::ios::binary) << "Page\tEntry\r\n";
  } else {
    harness::SqliteExec(file, "CREATE TABLE Log (Page VARCHAR(10), Entry INTEGER);");
  }
  harness::Site site([&](harness::Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(5);
    if (text) grid.SetFileName(file);
    if (!text) grid.SetDataset(&c.Keep(testing::OpenSqlite(file, "Log")));
    if (!text) grid.ReadValues();
    grid.SetEditMode(true);
  });
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        harness::Response page = site.Open();
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

  std::multiset<std::string> entries, expected;
  if (text) {
    auto records = testing::TextRecords(file);
    EXPECT_TRUE(ReadFileBytes(file).starts_with("\"Page\"\t\"Entry\"\r\n"));
    for (std::size_t i = 1; i < records.size(); ++i) {
      entries.insert(records[i].size() == 2 ? records[i][0] + "/" + records[i][1] : "torn");
    }
    EXPECT_TRUE(temp.Entries(".tmp").empty()) << "temporary files left";
  } else {
    auto ds = testing::OpenSqlite(file, "Log");
    for (ds->First(); !ds->Eof(); ds->Next()) entries.insert(ds->GetField(0)->AsString() + "/" + ds->GetField(1)->AsString());
  }
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kAppends; ++i) expected.insert("p" + std::to_string(t) + "/" + std::to_string(i));
  }
  EXPECT_TRUE(entries == expected) << entries.size() << " entries; none may be lost, doubled or torn";
}

TEST(ConcurrentDelete, TenPagesDeletingAtOnceRemoveOneChosenRecordAndNoOther) {
  constexpr int kPages = 10;
  harness::PrivateTempDir temp;
  testing::EditBackend data(temp.File("shop.db"), 30);
  harness::Site site([&](harness::Components& c) {
    TZylHTMLGrid& grid = c.AddGrid("Grid1");
    grid.SetRowsPerPage(30);
    grid.SetDataset(&data.ForRequest(c));
    grid.ReadValues();
    grid.SetEditMode(true);
  });
  std::vector<std::string> shown(kPages);
  std::latch ready(kPages);
  std::vector<std::thread> threads;
  for (int t = 0; t < kPages; ++t) {
    threads.emplace_back([&, t] {
      harness::Response page = site.Click(site.Open(), "Grid1_TABLE", "GRecNo" + std::to_string(11 + t));
      ready.arrive_and_wait();
      shown[static_cast<std::size_t>(t)] = site.Click(page, "Grid1_TABLE", "GDEL").ErrorText();
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> ids, refused;
  for (int r = 0; r < data.RecordCount(); ++r) {
    std::string record = data.Record(r);
    ids.insert(record.substr(0, record.find(' ')));
  }
  for (int t = 0; t < kPages; ++t) {
    if (shown[static_cast<std::size_t>(t)].empty()) {
      EXPECT_EQ(ids.count(std::to_string(11 + t)), 0u) << "the passing page's choice is gone";
    } else {
      EXPECT_EQ(shown[static_cast<std::size_t>(t)], TZylHTMLGrid(nullptr).GetTextUpdateError());
      refused.insert(std::to_string(11 + t));
    }
  }
  EXPECT_EQ(ids.size(), 29u) << "one delete passes";
  EXPECT_EQ(refused.size(), 9u);
  for (const std::string& id : refused) EXPECT_EQ(ids.count(id), 1u) << "refused, yet deleted: " << id;
}

INSTANTIATE_TEST_SUITE_P(Files, ConcurrentEdit, ::testing::Values("textfile", "sqlite"));

}  // namespace
}  // namespace zyl
