#include "datasets/PgReader.h"

#include <algorithm>
#include <climits>

#include "datasets/PgEstimateCache.h"
#include "datasets/PgLibrary.h"
#include "platform/Format.h"

namespace zyl::pg {

Row RowOf(const Result& result, int row) {
  const Library& pq = Libpq();
  PGresult* raw = result.Raw();
  const int columns = pq.nfields(raw);
  Row values;
  values.reserve(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    // A null reads as "": only an empty value needs asking which it is.
    const char* value = pq.getvalue(raw, row, c);
    if (*value == '\0' && pq.getisnull(raw, row, c) != 0) {
      values.push_back(TVariant::Null());
    } else {
      values.emplace_back(
          std::string_view(value, static_cast<std::size_t>(pq.getlength(raw, row, c))));
    }
  }
  return values;
}

Text TextOf(const TVariant& stored) {
  if (stored.IsNullOrEmpty()) return std::nullopt;
  return stored.ToString();
}

Reader::Reader(Connection& connection, const Source& source, std::vector<SqlIndexTerm> order,
               SqlKeyFilter filter, int estimateAbove)
    : connection_(connection),
      source_(source),
      order_(std::move(order)),
      filter_(std::move(filter)),
      estimateAbove_(estimateAbove),
      from_(" FROM " + source_.From() + Where(1)) {
  // The source, the order and the filter stay for the reader's life: so do
  // the statements' texts.
  for (bool reversed : {false, true}) {
    read_[reversed ? 1 : 0] = "SELECT " + source_.SelectList() + " FROM " + source_.From() +
                              Where(3) + OrderBy(false, reversed) + " LIMIT $1 OFFSET $2";
  }
}

std::string Reader::OrderBy(bool expressions, bool reversed) const {
  std::string sql;
  for (const SqlIndexTerm& t : order_) {
    sql += sql.empty() ? " ORDER BY " : ", ";
    // Positions in the select list for a read, names inside a window clause.
    sql += expressions ? source_.Columns()[static_cast<std::size_t>(t.field)].quoted
                       : std::to_string(t.field + 1);
    if (t.descending != reversed) sql += " DESC";
  }
  return sql;
}

std::string Reader::Where(std::size_t number) const {
  std::string where;
  if (filter_.Active()) {
    where = filter_.never ? "false"
                          : source_.Columns()[static_cast<std::size_t>(filter_.field)].quoted +
                                " = $" + std::to_string(number++);
  }
  if (filter_.where.Active()) {
    if (!where.empty()) where += " AND ";
    where += "(" +
             filter_.where.Sql(number, [](std::size_t n) { return "$" + std::to_string(n); }) + ")";
  }
  return where.empty() ? where : " WHERE " + where;
}

void Reader::AddFilter(std::vector<Text>& parameters) const {
  if (filter_.Active() && !filter_.never) parameters.push_back(TextOf(filter_.value));
  for (const TVariant& value : filter_.where.values) parameters.push_back(TextOf(value));
}

bool Reader::Aggregate(int field, bool average, double& value) {
  std::vector<Text> parameters;
  AddFilter(parameters);
  Result r = connection_.Exec(std::string("SELECT ") + (average ? "avg(" : "sum(") +
                                  source_.Columns()[static_cast<std::size_t>(field)].quoted +
                                  ")::float8" + from_,
                              parameters);
  if (r.Rows() == 0 || r.IsNull(0, 0)) return false;
  value = StrToFloat(r.Value(0, 0));
  return true;
}

Statement Reader::Read(int rows, int offset, bool reversed) const {
  Statement read{read_[reversed ? 1 : 0], {std::to_string(rows), std::to_string(offset)}};
  AddFilter(read.parameters);
  return read;
}

bool Reader::Keep(const Result& read, int from, int to, bool reversed, int position) {
  rows_.clear();
  const int got = read.Rows();
  for (int i = 0; i < got; ++i) rows_.push_back(RowOf(read, reversed ? got - 1 - i : i));
  start_ = reversed ? to - got : from;
  endRows_ = reversed && to == count_ ? to - from : 0;
  if (position >= start_ && position - start_ < got) return true;
  // The data shrank under us, or the estimate was above the records:
  // count them from now on.
  count_ = -1;
  if (estimated_) {
    estimateAbove_ = 0;
    if (estimates_ != nullptr) estimates_->Forget(estimateKey_);
  }
  rows_.clear();
  return false;
}

void Reader::SetEstimateCache(PgEstimateCache* cache, const std::string& source) {
  estimates_ = cache;
  estimateKey_.clear();
  sourceKey_ = source;
}

std::string Reader::EstimateKey(const std::vector<Text>& parameters) const {
  // Each part after its length: no text can pass for another.
  std::string key;
  auto add = [&key](std::string_view part) {
    key += std::to_string(part.size());
    key += ':';
    key += part;
  };
  add(sourceKey_);
  add(from_);
  for (const Text& p : parameters) p ? add(*p) : add("\x01null");
  return key;
}

int Reader::Count() {
  if (count_ < 0) {
    std::vector<Text> parameters;
    AddFilter(parameters);
    const std::string& from = from_;
    estimated_ = false;
    if (estimateAbove_ > 0 && estimates_ != nullptr) {
      // A recent estimate of the same records, kept by the process.
      estimateKey_ = EstimateKey(parameters);
      if (std::optional<long long> kept = estimates_->Find(estimateKey_);
          kept && *kept > estimateAbove_) {
        estimated_ = true;
        count_ = static_cast<int>(std::min<long long>(*kept, INT_MAX));
        return count_;
      }
    }
    if (estimateAbove_ > 0) {
      // The plan's top line: "Seq Scan on orders  (cost=0.00..18334.00
      // rows=1000000 width=0)". A reader whose last read was the records'
      // end (a grid on its last page, refreshed) reads that end again in
      // the same round trip.
      std::vector<Statement> statements{{"EXPLAIN SELECT 1" + from, parameters}};
      const int endRows = endRows_;
      if (endRows > 0) statements.push_back(Read(endRows, 0, true));
      std::vector<Result> results = connection_.ExecAll(statements);
      const std::string line = results[0].Rows() > 0 ? results[0].Value(0, 0) : "";
      std::size_t at = line.find(" rows=");
      long long n = at == std::string::npos ? -1 : std::strtoll(line.c_str() + at + 6, nullptr, 10);
      if (estimates_ != nullptr && n >= 0) estimates_->Keep(estimateKey_, n);
      estimated_ = n > estimateAbove_;
      if (estimated_) {
        count_ = static_cast<int>(std::min<long long>(n, INT_MAX));
        const int first = count_ - endRows;
        if (endRows == 0 || first < 0 || Keep(results[1], first, count_, true, first))
          return count_;
        estimated_ = false;
      }
    }
    count_ = static_cast<int>(std::min<long long>(
        std::stoll(connection_.Exec("SELECT count(*)" + from, parameters).Value(0, 0)), INT_MAX));
  }
  return count_;
}

const Row* Reader::At(int position) {
  const int count = Count();
  if (position < 0 || position >= count) return nullptr;
  int end = start_ + static_cast<int>(rows_.size());
  if (position >= start_ && position < end)
    return &rows_[static_cast<std::size_t>(position - start_)];
  // Walking back reads the chunk that ends at the position, else the one
  // that starts there.
  int from = position;
  if (!rows_.empty() && position == start_ - 1) from = std::max(0, position - kChunk + 1);
  int to = std::min(count, from + kChunk);
  // With an estimated count a window past the middle is read from the end.
  bool reversed = estimated_ && count - to < from;
  Statement read = Read(to - from, reversed ? count - to : from, reversed);
  if (!Keep(connection_.ExecPrepared(read.sql, read.parameters), from, to, reversed, position))
    return nullptr;
  return &rows_[static_cast<std::size_t>(position - start_)];
}

int Reader::PositionOf(const Row& row) {
  const auto& columns = source_.Columns();
  std::string keys, where;
  std::vector<Text> parameters;
  AddFilter(parameters);
  std::string filter = Where(1);
  for (int k : source_.KeyRaw()) {
    std::string alias = "zyl_k" + std::to_string(parameters.size());
    keys += ", " + columns[static_cast<std::size_t>(k)].quoted + " AS " + alias;
    if (!where.empty()) where += " AND ";
    parameters.push_back(TextOf(row[static_cast<std::size_t>(k)]));
    where += alias + " = $" + std::to_string(parameters.size());
  }
  Result r = connection_.Exec("SELECT zyl_n, zyl_all FROM (SELECT row_number() OVER (" +
                                  OrderBy(true).substr(1) + ") - 1 AS zyl_n, count(*) OVER () " +
                                  "AS zyl_all" + keys + " FROM " + source_.From() + filter +
                                  ") AS zyl_ranked WHERE " + where,
                              parameters);
  if (r.Rows() == 0) return -1;
  long long n = std::stoll(r.Value(0, 0));
  // Under an estimated count the second half counts from the last record.
  if (estimated_ && count_ > 0 && n >= count_ / 2)
    n = std::clamp<long long>(count_ - (std::stoll(r.Value(0, 1)) - n), 0, count_ - 1);
  return static_cast<int>(std::min<long long>(n, INT_MAX));
}

void Reader::Invalidate() {
  rows_.clear();
  count_ = -1;
}

}  // namespace zyl::pg
