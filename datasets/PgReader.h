// The windowed record reader of the PostgreSQL dataset. Records are
// numbered 0..Count()-1 in a fixed order (ORDER BY the index terms plus the
// primary key); the reader keeps a window of consecutive rows and fills it
// with one LIMIT query when a position outside it is asked for, reading
// ahead in the direction of travel. A window in the first half is read from
// the start (OFFSET its position); one in the second half from the end, in
// the reversed order (every direction flipped, which also flips where Nulls
// go) with OFFSET the records after it, then turned round: the last page is
// a keyset read with no OFFSET. The count is one count(*), kept until
// Invalidate; above `estimateAbove` records (when set) it is the planner's
// row estimate instead. Positions then are the estimate's: the first half
// counts from the first record, the second from the last, so the last page
// holds the last records; a read that finds fewer records than estimated
// turns to an exact count. A reader whose last window ended the records
// reads the same window with the next estimate, in one round trip. A filter (a column equal to a
// bound value, a row filter) limits every read and count.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "datasets/PgConnection.h"
#include "datasets/PgSource.h"

namespace zyl {
class PgEstimateCache;
}

namespace zyl::pg {

using Row = SqlRow;  // server text (or Null), Source::RawWidth() values

class Reader : public SqlReader {
 public:
  // Reads the records of `source` that pass `filter` (its value the
  // server's text) in `order`; the connection and the source must outlive
  // the reader.
  Reader(Connection& connection, const Source& source, std::vector<SqlIndexTerm> order,
         SqlKeyFilter filter = {}, int estimateAbove = 0);

  // Estimates go through `cache` (not owned, may be null), keyed by
  // `source` (the connection string) and the count's statement.
  void SetEstimateCache(PgEstimateCache* cache, const std::string& source);

  int Count() override;
  bool CountEstimated() const override { return estimated_; }
  // The record at `position`, or null outside the records. The pointer lives
  // until the next call.
  const Row* At(int position) override;
  // The position of the record whose key values are those of `row` (a row
  // of this source with a primary key), or -1 when it is not there.
  int PositionOf(const Row& row) override;
  bool Aggregate(int field, bool average, double& value) override;
  void ForgetRows() override { rows_.clear(); }
  void Replace(int position, const Row& row) override {
    if (position >= start_ && position - start_ < static_cast<int>(rows_.size())) {
      rows_[static_cast<std::size_t>(position - start_)] = row;
    }
  }
  void Invalidate() override;

  static constexpr int kChunk = 64;

 private:
  // Names (inside a window clause) or select-list positions; `reversed`
  // flips every direction.
  std::string OrderBy(bool expressions, bool reversed = false) const;
  // The read of `rows` records after `offset` ones (from the end when
  // `reversed`); keeping what it read as the window [from, to): false, with
  // no count any more, when that does not hold `position`.
  Statement Read(int rows, int offset, bool reversed) const;
  bool Keep(const Result& read, int from, int to, bool reversed, int position);
  // " WHERE <filter>" with its value as parameter `number`, or "".
  std::string Where(std::size_t number) const;
  // The key of the count with `parameters` in the estimate cache.
  std::string EstimateKey(const std::vector<Text>& parameters) const;
  void AddFilter(std::vector<Text>& parameters) const;

  Connection& connection_;
  const Source& source_;
  std::vector<SqlIndexTerm> order_;
  SqlKeyFilter filter_;
  std::deque<Row> rows_;
  int start_ = 0;
  int count_ = -1;
  int estimateAbove_ = 0;  // 0: always count
  bool estimated_ = false;
  PgEstimateCache* estimates_ = nullptr;  // not owned
  std::string estimateKey_;               // the count's key in estimates_
  std::string sourceKey_;                 // the connection string
  int endRows_ = 0;      // the size of the last window read, when it ended the records
  std::string from_;     // " FROM <source> WHERE <filter>", its value as $1
  std::string read_[2];  // a window's read, in the order and reversed
};

// A row of server texts as stored values.
Row RowOf(const Result& result, int row);
// The server text of a stored value (a parameter).
Text TextOf(const TVariant& stored);

}  // namespace zyl::pg
