#include "datasets/SQLiteReader.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "datasets/SQLiteCountCache.h"

namespace zyl::sqlite {

namespace {

std::vector<Row> ReadRows(Statement& statement, int width) {
  std::vector<Row> rows;
  ResetGuard guard(statement);
  while (statement.Step()) {
    Row row(static_cast<std::size_t>(width));
    for (int c = 0; c < width; ++c) row[static_cast<std::size_t>(c)] = statement.Column(c);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

Reader::Reader(Connection& connection, const Source& source, std::vector<OrderTerm> order,
               SqlKeyFilter filter)
    : connection_(connection),
      source_(source),
      order_(std::move(order)),
      filter_(std::move(filter)),
      select_("SELECT " + source.SelectList() + " FROM " + source.From()) {}

std::string Reader::Where(const std::string& predicate, std::size_t filterParameter) const {
  std::string where;
  if (filter_.Active()) {
    where = source_.Columns()[static_cast<std::size_t>(filter_.field)].expr + " = " +
            Parameter(filterParameter++);
  }
  if (filter_.where.Active()) {
    if (!where.empty()) where += " AND ";
    where += "(" + filter_.where.Sql(filterParameter, Parameter) + ")";
  }
  if (!predicate.empty()) where += where.empty() ? predicate : " AND (" + predicate + ")";
  return where.empty() ? where : " WHERE " + where;
}

void Reader::BindFilter(Statement& statement, std::size_t filterParameter) {
  if (filter_.Active()) statement.Bind(static_cast<int>(filterParameter++), filter_.value);
  for (const TVariant& value : filter_.where.values)
    statement.Bind(static_cast<int>(filterParameter++), value);
}

bool Reader::Aggregate(int field, bool average, double& value) {
  Statement& statement = Prepared(std::string("SELECT ") + (average ? "avg(" : "sum(") +
                                  source_.Columns()[static_cast<std::size_t>(field)].expr +
                                  ") FROM " + source_.From() + Where("", 1));
  ResetGuard guard(statement);
  BindFilter(statement, 1);
  if (!statement.Step()) return false;
  TVariant result = statement.Column(0);
  if (result.IsNullOrEmpty()) return false;
  value = result.ToDouble();
  return true;
}

void Reader::SetCountCache(SQLiteCountCache* cache, std::string database) {
  countCache_ = cache;
  database_ = std::move(database);
}

int Reader::Count() {
  if (count_ >= 0 && !countStale_) return count_;
  const std::string sql = "SELECT count(*) FROM " + source_.From() + Where("", 1);
  auto countNow = [&]() -> std::int64_t {
    Statement& statement = Prepared(sql);
    ResetGuard guard(statement);
    BindFilter(statement, 1);
    return statement.Step() ? statement.ColumnInt64(0) : 0;
  };
  std::int64_t n = 0;
  // Inside a transaction this connection may see its own uncommitted rows,
  // which nobody else may be told about.
  if (countCache_ != nullptr && sqlite3_get_autocommit(connection_.Handle()) != 0) {
    // A filtered count is kept per value (its kind included: 1 is not '1').
    std::string key = sql;
    for (const TVariant& v : filter_.where.values)
      key += "\n-- " + std::to_string(static_cast<int>(v.GetKind())) + ":" + v.ToString();
    if (filter_.Active()) {
      key += "\n-- " + std::to_string(static_cast<int>(filter_.value.GetKind())) + ":" +
             (filter_.value.GetKind() == TVariant::Kind::ByteArray ? std::string("blob")
                                                                   : filter_.value.ToString());
    }
    if (countStale_) countCache_->Drop(database_, key);
    n = countCache_->Count(database_, key, countNow);
  } else {
    n = countNow();
  }
  int count = n > INT_MAX ? INT_MAX : static_cast<int>(n);
  countVersion_ = DataVersion();
  if (count != count_) rows_.clear();
  count_ = count;
  countStale_ = false;
  return count_;
}

void Reader::Invalidate() {
  ForgetRows();
  count_ = -1;
  countStale_ = false;
}

void Reader::ForgetRows() {
  rows_.clear();
  lastDirection_ = Direction::kNone;
  runLength_ = 0;
}

const Row* Reader::At(int position) {
  if (position < 0 || position >= Count()) return nullptr;
  auto inWindow = [&] {
    return !rows_.empty() && position >= start_ &&
           position < start_ + static_cast<int>(rows_.size());
  };
  if (inWindow()) return &rows_[static_cast<std::size_t>(position - start_)];

  if (!rows_.empty()) {
    int end = start_ + static_cast<int>(rows_.size());
    if (position >= end && position - end < kReach) {
      int limit = position - end + NextChunk(Direction::kForward);
      if (source_.HasKey()) {
        LoadAfterWindow(limit);
      } else {
        LoadAt(end, limit, false);
      }
    } else if (position < start_ && start_ - position <= kReach) {
      int first = std::max(0, position - NextChunk(Direction::kBackward) + 1);
      if (source_.HasKey()) {
        LoadBeforeWindow(start_ - first);
      } else {
        LoadAt(first, start_ - first, true);
      }
    }
  }
  if (!inWindow()) {
    // A jump, or a continuation that met changed data: read from the offset.
    rows_.clear();
    lastDirection_ = Direction::kNone;
    runLength_ = 0;
    LoadJump(position);
  }
  if (inWindow()) return &rows_[static_cast<std::size_t>(position - start_)];
  countStale_ = true;  // fewer records than counted
  return nullptr;
}

int Reader::PositionOf(const Row& row) {
  Statement& statement = Prepared("SELECT count(*) FROM " + source_.From() +
                                  Where(SeekPredicate(row, false), order_.size() + 1));
  ResetGuard guard(statement);
  BindTerms(statement, row);
  BindFilter(statement, order_.size() + 1);
  std::int64_t n = statement.Step() ? statement.ColumnInt64(0) : 0;
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

int Reader::NextChunk(Direction direction) {
  if (direction == lastDirection_) {
    ++runLength_;
  } else {
    lastDirection_ = direction;
    runLength_ = 0;
  }
  return std::min(kMaxChunk, kChunk << std::min(runLength_, 4));
}

std::string Reader::OrderBy(bool reversed) const {
  if (order_.empty()) return "";
  std::string sql = " ORDER BY ";
  for (std::size_t i = 0; i < order_.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += order_[i].expr;
    if (order_[i].descending != reversed) sql += " DESC";
  }
  return sql;
}

std::string Reader::SeekPredicate(const Row& row, bool after) const {
  // Rows after R in the order: for some term i, the terms before i equal R's
  // and term i lies beyond R's value. SQLite sorts Null first ascending and
  // last descending; "before" is "after" with every direction flipped.
  std::string disjuncts;
  std::string prefix;  // "t1 = ?1 AND t2 IS NULL ..." for the terms so far
  for (std::size_t i = 0; i < order_.size(); ++i) {
    const OrderTerm& term = order_[i];
    const std::string& e = term.expr;
    std::string p = Parameter(i + 1);
    bool isNull = row[static_cast<std::size_t>(term.rawIndex)].IsNullOrEmpty();
    bool descending = after ? term.descending : !term.descending;
    std::string beyond;
    if (!descending) {
      beyond += e;
      beyond += isNull ? " IS NOT NULL" : " > " + p;
    } else if (!isNull) {
      beyond += "(";
      beyond += e;
      beyond += " < " + p + " OR ";
      beyond += e;
      beyond += " IS NULL)";
    }
    if (!beyond.empty()) {
      if (!disjuncts.empty()) disjuncts += " OR ";
      if (prefix.empty()) {
        disjuncts += beyond;
      } else {
        disjuncts += "(";
        disjuncts += prefix;
        disjuncts += " AND ";
        disjuncts += beyond;
        disjuncts += ")";
      }
    }
    if (!prefix.empty()) prefix += " AND ";
    prefix += e;
    prefix += isNull ? " IS NULL" : " = " + p;
  }
  if (disjuncts.empty()) return "0";
  std::string predicate;
  // A range on the leading term lets an index start at the edge record
  // (only where the rows beyond hold no Nulls of that term).
  const OrderTerm& lead = order_.front();
  bool leadDescending = after ? lead.descending : !lead.descending;
  if (order_.size() > 1 && !leadDescending &&
      !row[static_cast<std::size_t>(lead.rawIndex)].IsNullOrEmpty()) {
    predicate += lead.expr;
    predicate += " >= ?1 AND ";
  }
  predicate += "(";
  predicate += disjuncts;
  predicate += ")";
  return predicate;
}

void Reader::BindTerms(Statement& statement, const Row& row) {
  int parameters = statement.ParameterCount();
  for (std::size_t i = 0; i < order_.size() && static_cast<int>(i) < parameters; ++i) {
    statement.Bind(static_cast<int>(i + 1), row[static_cast<std::size_t>(order_[i].rawIndex)]);
  }
}

void Reader::LoadAt(int offset, int limit, bool prepend) {
  Statement& statement = Prepared(select_ + Where("", 3) + OrderBy(false) + " LIMIT ?1 OFFSET ?2");
  statement.BindInt64(1, limit);
  statement.BindInt64(2, offset);
  BindFilter(statement, 3);
  std::vector<Row> rows = ReadRows(statement, source_.RawWidth());
  int got = static_cast<int>(rows.size());
  if (prepend) {
    if (got != limit) {  // the data changed under the window
      rows_.clear();
      return;
    }
    rows_.insert(rows_.begin(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    start_ = offset;
    Trim(kMaxWindow, false);
    return;
  }
  if (rows_.empty()) start_ = offset;
  for (Row& row : rows) rows_.push_back(std::move(row));
  if (got < limit && offset + got < count_) countStale_ = true;
  Trim(kMaxWindow, true);
}

std::int64_t Reader::DataVersion() {
  unsigned int version = 0;
  if (sqlite3_file_control(connection_.Handle(), "main", SQLITE_FCNTL_DATA_VERSION, &version) !=
      SQLITE_OK)
    return -1;
  return version;
}

void Reader::LoadJump(int position) {
  // Positions from the end hold while the count does: the file's version
  // after the read (the one the read saw) must be the count's. Otherwise
  // the count is asked for again and the read made once more; should the
  // version still differ, the window is read from the start.
  for (int attempt = 0; attempt < 2; ++attempt) {
    int to = std::min(count_, position + kChunk);
    // A query kept in its own order has no order to turn round.
    if (count_ - to >= position || order_.empty()) break;
    Statement& statement = Prepared(select_ + Where("", 3) + OrderBy(true) + " LIMIT ?1 OFFSET ?2");
    statement.BindInt64(1, to - position);
    statement.BindInt64(2, count_ - to);
    BindFilter(statement, 3);
    std::vector<Row> rows = ReadRows(statement, source_.RawWidth());
    if (DataVersion() == countVersion_ && countVersion_ >= 0) {
      if (static_cast<int>(rows.size()) != to - position) {
        countStale_ = true;  // fewer records than counted
        return;
      }
      for (auto row = rows.rbegin(); row != rows.rend(); ++row) rows_.push_back(std::move(*row));
      start_ = position;
      return;
    }
    count_ = -1;  // asked again (a count cache checks the file itself)
    if (position >= Count()) return;
  }
  LoadAt(position, kChunk, false);
}

void Reader::LoadAfterWindow(int limit) {
  const Row& edge = rows_.back();
  Statement& statement = Prepared(select_ + Where(SeekPredicate(edge, true), order_.size() + 2) +
                                  OrderBy(false) + " LIMIT " + Parameter(order_.size() + 1));
  BindTerms(statement, edge);
  statement.BindInt64(static_cast<int>(order_.size() + 1), limit);
  BindFilter(statement, order_.size() + 2);
  std::vector<Row> rows = ReadRows(statement, source_.RawWidth());
  int got = static_cast<int>(rows.size());
  for (Row& row : rows) rows_.push_back(std::move(row));
  if (got < limit && start_ + static_cast<int>(rows_.size()) < count_) countStale_ = true;
  Trim(kMaxWindow, true);
}

void Reader::LoadBeforeWindow(int limit) {
  const Row& edge = rows_.front();
  Statement& statement = Prepared(select_ + Where(SeekPredicate(edge, false), order_.size() + 2) +
                                  OrderBy(true) + " LIMIT " + Parameter(order_.size() + 1));
  BindTerms(statement, edge);
  statement.BindInt64(static_cast<int>(order_.size() + 1), limit);
  BindFilter(statement, order_.size() + 2);
  std::vector<Row> rows = ReadRows(statement, source_.RawWidth());
  if (static_cast<int>(rows.size()) != limit) {  // the data changed under the window
    rows_.clear();
    return;
  }
  for (Row& row : rows) rows_.push_front(std::move(row));
  start_ -= limit;
  Trim(kMaxWindow, false);
}

void Reader::Trim(int keep, bool fromFront) {
  while (static_cast<int>(rows_.size()) > keep) {
    if (fromFront) {
      rows_.pop_front();
      ++start_;
    } else {
      rows_.pop_back();
    }
  }
}

}  // namespace zyl::sqlite
