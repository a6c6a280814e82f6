// The data the editing tests run against: an in-memory dataset shared by
// every request like a database, an SQLite file every request opens afresh
// (as separate CGI processes would), and text files read back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RequestHarness.h"
#include "data/DelimitedText.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "harness/Sqlite.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zyl::testing {

inline std::unique_ptr<TZylSQLiteDataset> OpenSqlite(const std::string& path, const char* table) {
  auto ds = std::make_unique<TZylSQLiteDataset>(nullptr);
  ds->SetDatabase(path);
  ds->SetTableName(table);
  ds->Open();
  return ds;
}

// The lines of a tab-separated text file (header first), split into fields.
inline std::vector<std::vector<std::string>> TextRecords(const std::string& file) {
  TStringList lines, fields;
  delimited::SplitLines(ReadFileBytes(file), lines);
  std::vector<std::vector<std::string>> records;
  for (const std::string& line : lines) {
    delimited::ParseLine(line, '\t', fields);
    records.emplace_back(fields.begin(), fields.end());
  }
  return records;
}

// Table Orders: ID (integer), Name (text), Active and Paid (booleans), Qty
// (integer); record i: i, "n<i>", true, true, i. `sqlite` empty: in memory.
class EditBackend {
 public:
  EditBackend(std::string sqlite, int records) : path_(std::move(sqlite)) {
    if (path_.empty()) {
      memory_ = std::make_unique<TZylMemDataset>(nullptr);
      using T = TFieldType;
      for (auto [name, type] : {std::pair{"ID", T::ftInteger}, {"Name", T::ftString},
                                {"Active", T::ftBoolean}, {"Paid", T::ftBoolean}, {"Qty", T::ftInteger}}) {
        memory_->AddField(name, type, type == T::ftString ? 20 : 0);
      }
      for (int i = 0; i < records; ++i) {
        memory_->AddRecord({TVariant(i), TVariant("n" + std::to_string(i)), TVariant(true), TVariant(true), TVariant(i)});
      }
      memory_->Open();
      return;
    }
    std::string sql = "CREATE TABLE Orders (ID INTEGER, Name VARCHAR(20), Active BOOLEAN, Paid BOOLEAN, Qty INTEGER); BEGIN;";
    for (int i = 0; i < records; ++i) {
      std::string n = std::to_string(i);
      sql += "INSERT INTO Orders VALUES (" + n + ", 'n" + n + "', 1, 1, " + n + ");";
    }
    harness::SqliteExec(path_, sql + "COMMIT;");
  }
  TDataSet& ForRequest(harness::Components& page) {
    return memory_ ? static_cast<TDataSet&>(*memory_) : page.Keep(OpenSqlite(path_, "Orders"));
  }
  // The stored data; a fresh connection sees every change.
  TDataSet& Reader() { return memory_ ? static_cast<TDataSet&>(*memory_) : *(reader_ = OpenSqlite(path_, "Orders")); }
  // From now on every append is refused with a message holding "disk full".
  void RefuseAppends() {
    if (memory_) return memory_->SetPostError("disk full");
    harness::SqliteExec(path_, "CREATE TRIGGER Refuse BEFORE INSERT ON Orders BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
  }
  // Record `recNo` as "ID Name Active Paid Qty", flags as 1/0, NULL as "null".
  std::string Record(int recNo) {
    TDataSet& ds = Reader();
    ds.First();
    if (ds.MoveBy(recNo) != recNo || ds.Eof()) return "none";
    std::string text;
    for (int f = 0; f < 5; ++f) {
      TVariant v = ds.GetField(f)->Value();
      text += (f ? " " : "") + (v.IsNull() ? "null" : f == 2 || f == 3 ? std::to_string(v.ToBoolean()) : v.ToString());
    }
    return text;
  }
  int RecordCount() { return Reader().RecordCount(); }

 private:
  std::string path_;
  std::unique_ptr<TZylMemDataset> memory_;
  std::unique_ptr<TZylSQLiteDataset> reader_;
};

}  // namespace zyl::testing
