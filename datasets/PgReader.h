// The windowed record reader of the PostgreSQL dataset. Records are
// numbered 0..Count()-1 in a fixed order (ORDER BY the index terms plus the
// primary key); the reader keeps a window of consecutive rows and fills it
// with one LIMIT/OFFSET query when a position outside it is asked for,
// reading ahead in the direction of travel. The count is one count(*), kept
// until Invalidate. A filter (a column equal to a bound value) limits every
// read and count.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "datasets/PgConnection.h"
#include "datasets/PgSource.h"

namespace zyl::pg {

using Row = SqlRow;  // server text (or Null), Source::RawWidth() values

class Reader : public SqlReader {
 public:
  // Reads the records of `source` that pass `filter` (its value the
  // server's text) in `order`; the connection and the source must outlive
  // the reader.
  Reader(Connection& connection, const Source& source, std::vector<SqlIndexTerm> order,
         SqlKeyFilter filter = {});

  int Count() override;
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
  std::string OrderBy(bool expressions) const;
  // " WHERE <filter>" with its value as parameter `number`, or "".
  std::string Where(std::size_t number) const;
  void AddFilter(std::vector<Text>& parameters) const;

  Connection& connection_;
  const Source& source_;
  std::vector<SqlIndexTerm> order_;
  SqlKeyFilter filter_;
  std::deque<Row> rows_;
  int start_ = 0;
  int count_ = -1;
};

// A row of server texts as stored values.
Row RowOf(const Result& result, int row);
// The server text of a stored value (a parameter).
Text TextOf(const TVariant& stored);

}  // namespace zyl::pg
