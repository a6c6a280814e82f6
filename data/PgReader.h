// The windowed record reader of the PostgreSQL dataset. Records are
// numbered 0..Count()-1 in a fixed order (ORDER BY the index terms plus the
// primary key); the reader keeps a window of consecutive rows and fills it
// with one LIMIT/OFFSET query when a position outside it is asked for,
// reading ahead in the direction of travel. The count is one count(*), kept
// until Invalidate.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "data/PgConnection.h"
#include "data/PgSource.h"

namespace zyl::pg {

using Row = std::vector<Text>;  // server text, Source::RawWidth() values

class Reader {
 public:
  // Reads `source` in `order`; both must outlive the reader.
  Reader(Connection& connection, const Source& source, std::vector<IndexTerm> order);

  int Count();
  // The record at `position`, or null outside the records. The pointer lives
  // until the next call.
  const Row* At(int position);
  // The position of the record whose key values are those of `row` (a row
  // of this source with a primary key), or -1 when it is not there.
  int PositionOf(const Row& row);
  void Invalidate();
  void ForgetRows() { rows_.clear(); }

  static constexpr int kChunk = 64;

 private:
  std::string OrderBy(bool expressions) const;

  Connection& connection_;
  const Source& source_;
  std::vector<IndexTerm> order_;
  std::deque<Row> rows_;
  int start_ = 0;
  int count_ = -1;
};

}  // namespace zyl::pg
