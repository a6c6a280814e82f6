#include "data/PgReader.h"

#include <algorithm>
#include <climits>

namespace zyl::pg {

Reader::Reader(Connection& connection, const Source& source, std::vector<IndexTerm> order)
    : connection_(connection), source_(source), order_(std::move(order)) {}

std::string Reader::OrderBy(bool expressions) const {
  std::string sql;
  for (const IndexTerm& t : order_) {
    sql += sql.empty() ? " ORDER BY " : ", ";
    // Positions in the select list for a read, names inside a window clause.
    sql += expressions ? source_.Columns()[static_cast<std::size_t>(t.column)].quoted
                       : std::to_string(t.column + 1);
    if (t.descending) sql += " DESC";
  }
  return sql;
}

int Reader::Count() {
  if (count_ < 0) {
    Result r = connection_.Exec("SELECT count(*) FROM " + source_.From());
    long long n = std::stoll(r.Value(0, 0));
    count_ = static_cast<int>(std::min<long long>(n, INT_MAX));
  }
  return count_;
}

const Row* Reader::At(int position) {
  if (position < 0 || position >= Count()) return nullptr;
  int end = start_ + static_cast<int>(rows_.size());
  if (position >= start_ && position < end)
    return &rows_[static_cast<std::size_t>(position - start_)];
  // Walking back reads the chunk that ends at the position, else the one
  // that starts there.
  int from = position;
  if (!rows_.empty() && position == start_ - 1) from = std::max(0, position - kChunk + 1);
  Result r = connection_.Exec("SELECT " + source_.SelectList() + " FROM " + source_.From() +
                                  OrderBy(false) + " LIMIT $1 OFFSET $2",
                              {std::to_string(kChunk), std::to_string(from)});
  rows_.clear();
  start_ = from;
  for (int i = 0; i < r.Rows(); ++i) {
    Row row;
    row.reserve(static_cast<std::size_t>(r.Columns()));
    for (int c = 0; c < r.Columns(); ++c) row.push_back(r.Get(i, c));
    rows_.push_back(std::move(row));
  }
  if (position - start_ >= static_cast<int>(rows_.size())) {
    count_ = -1;  // the data shrank under us
    return nullptr;
  }
  return &rows_[static_cast<std::size_t>(position - start_)];
}

int Reader::PositionOf(const Row& row) {
  const auto& columns = source_.Columns();
  std::string keys, where;
  std::vector<Text> parameters;
  for (int k : source_.KeyRaw()) {
    std::string alias = "zyl_k" + std::to_string(parameters.size());
    keys += ", " + columns[static_cast<std::size_t>(k)].quoted + " AS " + alias;
    if (!where.empty()) where += " AND ";
    parameters.push_back(row[static_cast<std::size_t>(k)]);
    where += alias + " = $" + std::to_string(parameters.size());
  }
  Result r = connection_.Exec("SELECT zyl_n FROM (SELECT row_number() OVER (" +
                                  OrderBy(true).substr(1) + ") - 1 AS zyl_n" + keys + " FROM " +
                                  source_.From() + ") AS zyl_ranked WHERE " + where,
                              parameters);
  if (r.Rows() == 0) return -1;
  return static_cast<int>(std::stoll(r.Value(0, 0)));
}

void Reader::Invalidate() {
  rows_.clear();
  count_ = -1;
}

}  // namespace zyl::pg
