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

SqlRow SqlBackend::Update(const SqlRow& original, const std::vector<int>& fields,
                          const SqlRow& record) {
  std::vector<std::string> columns;
  std::vector<TVariant> values;
  for (int f : fields) {
    columns.push_back(ColumnSql(f));
    values.push_back(record[static_cast<std::size_t>(f)]);
  }
  for (int raw : KeyRaw()) values.push_back(original[static_cast<std::size_t>(raw)]);
  auto placeholder = [this](std::size_t n) { return Placeholder(n); };
  return RunReturning("UPDATE " + Table() + " SET " + EqualsAll(columns, 1, placeholder, ", ") +
                          " WHERE " + EqualsAll(KeySql(), columns.size() + 1, placeholder, " AND "),
                      values);
}

bool SqlBackend::Delete(const SqlRow& original) {
  std::vector<TVariant> values;
  for (int raw : KeyRaw()) values.push_back(original[static_cast<std::size_t>(raw)]);
  auto placeholder = [this](std::size_t n) { return Placeholder(n); };
  return RunCommand("DELETE FROM " + Table() + " WHERE " +
                        EqualsAll(KeySql(), 1, placeholder, " AND "),
                    values) > 0;
}

}  // namespace zyl
