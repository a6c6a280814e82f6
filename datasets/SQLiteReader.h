// The windowed record reader of the SQLite dataset. Records are numbered
// 0..Count()-1 in a fixed order; the reader keeps a window of consecutive
// records in memory and fills it on demand:
//   - a jump to a far position costs one query with LIMIT/OFFSET; past the
//     middle it reads from the end in the reversed order (every direction
//     flipped, which flips where Nulls go too) and turns the rows round, so
//     the last page is a keyset read with no OFFSET (kept only when the file
//     has not changed since the count);
//   - moving on from either edge of the window seeks from the edge record's
//     order values ("after this record" / "before this record") when the
//     source has a key, so reading a page, a whole table or walking back
//     costs no OFFSET scans; without a key (queries, views) the next block
//     comes from an OFFSET query whose size doubles while reading goes on
//     in one direction;
//   - positions inside the window cost nothing.
// Every statement is reset after use, so the reader holds no lock between
// calls. The count is one count(*), kept until Invalidate or until a read
// finds that the data has shrunk; with a count cache (SQLiteCountCache.h)
// it is taken from there while the database file has not changed. A filter
// (a column equal to a bound value) limits every read and count, so a
// detail's records cost what a page of them costs with an index.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "datasets/SQLiteConnection.h"
#include "datasets/SQLiteSource.h"

namespace zyl {
class SQLiteCountCache;
}

namespace zyl::sqlite {

using Row = SqlRow;  // stored values, Source::RawWidth() of them

class Reader : public SqlReader {
 public:
  // Reads the records of `source` that pass `filter`, in `order`; the
  // connection and the source must outlive the reader.
  Reader(Connection& connection, const Source& source, std::vector<OrderTerm> order,
         SqlKeyFilter filter = {});

  // Number of records (clamped to INT_MAX).
  int Count() override;
  // Takes counts through `cache` (not owned; null: count every time), which
  // watches the database file `database`.
  void SetCountCache(SQLiteCountCache* cache, std::string database);
  // The record at `position`, or null outside 0..Count()-1 or when the data
  // has shrunk under the reader. The pointer lives until the next call.
  const Row* At(int position) override;
  // Position that `row` (a row of this source, not necessarily read through
  // the reader) has in the order: the number of records before it. Needs a
  // source with a key.
  int PositionOf(const Row& row) override;
  bool Aggregate(int field, bool average, double& value) override;
  // Forgets the window and the count (after a change of the data).
  void Invalidate() override;
  // Forgets the window only (after a change that keeps the count).
  void ForgetRows() override;
  void Replace(int position, const Row& row) override {
    if (position >= start_ && position - start_ < static_cast<int>(rows_.size())) {
      rows_[static_cast<std::size_t>(position - start_)] = row;
    }
  }

  static constexpr int kChunk = 64;        // rows of a jump, first block of a walk
  static constexpr int kMaxChunk = 1024;   // largest block of a long walk
  static constexpr int kReach = 1024;      // farthest continuation from a window edge
  static constexpr int kMaxWindow = 4096;  // rows kept in memory

 private:
  enum class Direction { kNone, kForward, kBackward };

  Statement& Prepared(const std::string& sql) { return connection_.Prepared(sql); }
  // " WHERE " with `predicate` and the filter, whose value is parameter
  // `filterParameter`; "" when there is neither.
  std::string Where(const std::string& predicate, std::size_t filterParameter) const;
  void BindFilter(Statement& statement, std::size_t filterParameter);
  // Seek predicate: rows strictly after (or before) `row` in the order.
  std::string SeekPredicate(const Row& row, bool after) const;
  void BindTerms(Statement& statement, const Row& row);
  std::string OrderBy(bool reversed) const;
  // Runs `statement` and appends (or prepends) its rows; returns the count.
  int Fetch(Statement& statement, bool prepend);
  void LoadAt(int offset, int limit, bool prepend);
  // The window of a jump to `position`, read from the end when that is nearer.
  void LoadJump(int position);
  // The database file's version as this connection's last read saw it
  // (SQLITE_FCNTL_DATA_VERSION: it changes with every commit, this
  // connection's too); -1 when it cannot be told.
  std::int64_t DataVersion();
  void LoadAfterWindow(int limit);
  void LoadBeforeWindow(int limit);
  int NextChunk(Direction direction);
  void Trim(int keep, bool fromFront);

  Connection& connection_;
  const Source& source_;
  std::vector<OrderTerm> order_;
  SqlKeyFilter filter_;
  std::string select_;  // "SELECT <list> FROM <from>"
  SQLiteCountCache* countCache_ = nullptr;
  std::string database_;  // the file the count cache watches
  std::deque<Row> rows_;
  int start_ = 0;   // position of rows_.front()
  int count_ = -1;  // cached count, -1 unknown
  bool countStale_ = false;
  std::int64_t countVersion_ = -1;  // DataVersion() when count_ was taken
  Direction lastDirection_ = Direction::kNone;
  int runLength_ = 0;  // continuation loads in lastDirection_
};

}  // namespace zyl::sqlite
