#include "datasets/PgSource.h"

#include <algorithm>

#include "platform/Locale.h"

namespace zyl::pg {

namespace {

constexpr unsigned kMoneyOid = 790;

std::string SelectExpr(const std::string& quoted, const ColumnType& type) {
  // money prints in the server's locale; numeric reads back exactly.
  if (type.oid == kMoneyOid) return quoted + "::numeric AS " + quoted;
  return quoted;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return AnsiSameText(n, name); });
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

Source Source::ForTable(Connection& connection, const std::string& name,
                        const std::vector<std::string>& hidden) {
  Source s;
  s.context_ = "PostgreSQL table '" + name + "'";
  connection.SetContext(s.context_);
  Result found = connection.Exec(
      "SELECT c.oid::text, n.nspname, c.relname FROM pg_catalog.pg_class c "
      "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
      "WHERE c.relkind IN ('r','v','m','p','f') AND pg_catalog.pg_table_is_visible(c.oid) "
      "AND c.relname = $1",
      {name});
  if (found.Rows() == 0) {
    found = connection.Exec(
        "SELECT c.oid::text, n.nspname, c.relname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r','v','m','p','f') AND c.oid = pg_catalog.to_regclass($1)",
        {name});
  }
  if (found.Rows() == 0) throw EPgError(s.context_ + ": no such table or view", "42P01");
  std::string oid = found.Value(0, 0);
  s.from_ = connection.Quote(found.Value(0, 1)) + "." + connection.Quote(found.Value(0, 2));

  Result attributes = connection.Exec(
      "SELECT a.attname, a.atttypid::text, a.atttypmod::text, a.attidentity, a.attgenerated, "
      "a.attnum::text, a.attnotnull, a.atthasdef FROM pg_catalog.pg_attribute a "
      "WHERE a.attrelid = $1::oid "
      "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
      {oid});
  Result primary = connection.Exec(
      "SELECT a.attname FROM pg_catalog.pg_index i "
      "JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey) "
      "WHERE i.indrelid = $1::oid AND i.indisprimary "
      "ORDER BY pg_catalog.array_position(i.indkey::int2[], a.attnum)",
      {oid});
  std::vector<std::string> keyNames;
  for (int r = 0; r < primary.Rows(); ++r) keyNames.push_back(primary.Value(r, 0));

  std::vector<SourceColumn> hiddenKeys;
  for (int r = 0; r < attributes.Rows(); ++r) {
    SourceColumn c;
    c.name = attributes.Value(r, 0);
    c.type = MapType(static_cast<unsigned>(std::stoul(attributes.Value(r, 1))),
                     std::stoi(attributes.Value(r, 2)));
    c.readOnly = attributes.Value(r, 3) == "a" || !attributes.Value(r, 4).empty();
    c.defaultForNull = attributes.Value(r, 6) == "t" &&
                       (attributes.Value(r, 7) == "t" || attributes.Value(r, 3) == "d");
    c.quoted = connection.Quote(c.name);
    c.select = SelectExpr(c.quoted, c.type);
    bool isKey = std::find(keyNames.begin(), keyNames.end(), c.name) != keyNames.end();
    if (!Contains(hidden, c.name)) {
      s.columns_.push_back(std::move(c));
    } else if (isKey) {
      hiddenKeys.push_back(std::move(c));
    }
  }
  s.fieldWidth_ = static_cast<int>(s.columns_.size());
  for (SourceColumn& c : hiddenKeys) s.columns_.push_back(std::move(c));
  for (const std::string& key : keyNames) {
    for (std::size_t i = 0; i < s.columns_.size(); ++i) {
      if (s.columns_[i].name == key) s.keyRaw_.push_back(static_cast<int>(i));
    }
  }
  if (s.keyRaw_.size() != keyNames.size()) s.keyRaw_.clear();
  return s;
}

Source Source::ForQuery(Connection& connection, const std::string& sql) {
  Source s;
  s.isQuery_ = true;
  s.context_ = "PostgreSQL query";
  connection.SetContext(s.context_);
  std::string body = Trim(sql);
  while (!body.empty() && body.back() == ';') body = Trim(body.substr(0, body.size() - 1));
  if (body.empty()) throw Exception(s.context_ + ": the SQL is empty");
  // A sub-select admits one query that returns rows and nothing else; the
  // connection is read-only besides.
  s.from_ = "(" + body + "\n) AS zyl_query";
  Result described = connection.Exec("SELECT * FROM " + s.from_ + " LIMIT 0");
  for (int c = 0; c < described.Columns(); ++c) {
    SourceColumn column;
    column.name = described.ColumnName(c);
    column.type = MapType(described.ColumnType(c), described.ColumnTypmod(c));
    column.readOnly = true;
    column.quoted = connection.Quote(column.name);
    column.select = SelectExpr(column.quoted, column.type);
    s.columns_.push_back(std::move(column));
  }
  s.fieldWidth_ = static_cast<int>(s.columns_.size());
  return s;
}

std::string Source::SelectList() const {
  std::string list;
  for (const SourceColumn& c : columns_) {
    if (!list.empty()) list += ", ";
    list += c.select;
  }
  return list;
}

std::vector<SqlIndexTerm> Source::Order(const std::vector<SqlIndexTerm>& index) const {
  for (const SqlIndexTerm& term : index) {
    const SourceColumn& column = columns_[static_cast<std::size_t>(term.field)];
    if (!column.type.orderable) {
      throw Exception(context_ + ": field '" + column.name + "' cannot be sorted");
    }
  }
  std::vector<SqlIndexTerm> order = index;
  auto add = [&](int column) {
    bool present = std::any_of(order.begin(), order.end(),
                               [&](const SqlIndexTerm& t) { return t.field == column; });
    if (!present) order.push_back({column, false});
  };
  if (!keyRaw_.empty()) {
    for (int k : keyRaw_) add(k);
  } else {
    for (int c = 0; c < RawWidth(); ++c) {
      if (columns_[static_cast<std::size_t>(c)].type.orderable) add(c);
    }
  }
  return order;
}

}  // namespace zyl::pg
