// The writes every SQL backend shares: the statements' text with the
// driver's placeholders, the values bound in their order.
#include "datasets/SqlBackend.h"

#include <functional>

namespace zyl {

namespace {

// "a = p<first> AND b = p<first+1>".
std::string EqualsAll(const std::vector<std::string>& columns, std::size_t first,
                      const std::function<std::string(std::size_t)>& placeholder,
                      const char* separator) {
  std::string text;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) text += separator;
    text += columns[i] + " = " + placeholder(first + i);
  }
  return text;
}

}  // namespace

SqlRow SqlBackend::Insert(const std::vector<int>& fields, const SqlRow& record) {
  std::string names, marks;
  std::vector<TVariant> values;
  for (int f : fields) {
    const TVariant& value = record[static_cast<std::size_t>(f)];
    if (TakesDefault(f, value)) continue;
    if (!values.empty()) names += ", ", marks += ", ";
    values.push_back(value);
    names += ColumnSql(f);
    marks += Placeholder(values.size());
  }
  std::string sql = "INSERT INTO " + Table();
  sql += values.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")";
  return RunReturning(sql, values);
}

std::vector<TVariant> SqlBackend::KeyOf(const SqlRow& row) const {
  std::vector<TVariant> key;
  for (int raw : KeyRaw()) key.push_back(row[static_cast<std::size_t>(raw)]);
  return key;
}

SqlRow SqlBackend::Find(const std::vector<TVariant>& key) {
  auto placeholder = [this](std::size_t n) { return Placeholder(n); };
  return RunSelect(" WHERE " + EqualsAll(KeySql(), 1, placeholder, " AND "), key);
}

// The key's condition, then (checked) every field's value as read.
std::string SqlBackend::RecordCondition(const SqlRow& original, bool checked,
                                        std::vector<TVariant>& values) const {
  auto placeholder = [this](std::size_t n) { return Placeholder(n); };
  std::vector<TVariant> key = KeyOf(original);
  std::string where = " WHERE " + EqualsAll(KeySql(), values.size() + 1, placeholder, " AND ");
  values.insert(values.end(), key.begin(), key.end());
  for (std::size_t f = 0; checked && f < fields_.size(); ++f) {
    values.push_back(original[f]);
    where += " AND " + SameValueSql(static_cast<int>(f), Placeholder(values.size()));
  }
  return where;
}

SqlRow SqlBackend::Update(const SqlRow& original, const std::vector<int>& fields,
                          const SqlRow& record, bool checked) {
  std::vector<std::string> columns;
  std::vector<TVariant> values;
  for (int f : fields) {
    columns.push_back(ColumnSql(f));
    values.push_back(record[static_cast<std::size_t>(f)]);
  }
  auto placeholder = [this](std::size_t n) { return Placeholder(n); };
  std::string set = EqualsAll(columns, 1, placeholder, ", ");
  std::string where = RecordCondition(original, checked, values);
  return RunReturning("UPDATE " + Table() + " SET " + set + where, values);
}

bool SqlBackend::Delete(const SqlRow& original, bool checked) {
  std::vector<TVariant> values;
  std::string where = RecordCondition(original, checked, values);
  return RunCommand("DELETE FROM " + Table() + where, values) > 0;
}

}  // namespace zyl

namespace zyl {

void SqlBackend::SetRowFilter(const RowFilter& filter) {
  SqlCondition c;
  if (filter.Empty()) {
    where_ = c;
    return;
  }
  c.parts.emplace_back();
  auto text = [&](const std::string& sql) { c.parts.back() += sql; };
  auto operand = [&](FilterKind kind, int field, const TVariant& value) {
    c.values.push_back(FilterOperand(kind, value));
    c.parts.push_back(OperandCast(kind, field, value));
  };
  auto column = [&](int field) {
    if (field < 0 || field >= static_cast<int>(fields_.size()))
      throw Exception(context_ + ": no field " + std::to_string(field) + " to filter by");
    return ColumnSql(field);
  };
  auto contains = [&](int field, const TVariant& part) {
    std::string sql = ContainsSql(LowerSql(column(field)), "\x01");
    std::size_t mark = sql.find('\x01');
    text(sql.substr(0, mark));
    operand(FilterKind::kText, field, part);
    text(sql.substr(mark + 1));
  };
  bool first = true;
  for (const FieldCondition& f : filter.conditions) {
    text(first ? "(" : " AND (");
    first = false;
    bool isText = f.kind == FilterKind::kText;
    std::string e = column(f.field);
    std::string empty = isText ? "(" + e + " IS NULL OR " + LowerSql(e) + " = '')" : e + " IS NULL";
    switch (f.op) {
      case FilterOp::kEmpty:
        text(empty);
        break;
      case FilterOp::kNotEmpty:
        text("NOT " + empty);
        break;
      case FilterOp::kContains:
        contains(f.field, f.low);
        break;
      case FilterOp::kCompare: {
        std::string target = isText ? LowerSql(e) : e;
        if (!f.low.IsNull() && f.low == f.high && f.lowInclusive && f.highInclusive) {
          // One value: an equality, which an index on the column serves in
          // the order of its key.
          text(target + " = ");
          operand(f.kind, f.field, f.low);
          break;
        }
        if (!f.low.IsNull()) {
          text(target + (f.lowInclusive ? " >= " : " > "));
          operand(f.kind, f.field, f.low);
        }
        if (!f.high.IsNull()) {
          text(std::string(f.low.IsNull() ? "" : " AND ") + target +
               (f.highInclusive ? " <= " : " < "));
          operand(f.kind, f.field, f.high);
        }
        break;
      }
    }
    text(")");
  }
  if (!filter.search.empty()) {
    text(first ? "(" : " AND (");
    if (filter.searchFields.empty()) text("1 = 0");
    for (std::size_t i = 0; i < filter.searchFields.size(); ++i) {
      if (i > 0) text(" OR ");
      contains(filter.searchFields[i], TVariant(filter.search));
    }
    text(")");
  }
  where_ = std::move(c);
}

}  // namespace zyl
