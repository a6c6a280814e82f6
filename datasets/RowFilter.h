// Filters on a dataset's records: a condition per field and a search term
// over several text fields, all of which a record must pass. What a visitor
// types into a field's filter is read by ParseFieldFilter; a dataset that
// can filter (TDataSet::SetRowFilter) applies the result to every count and
// read: the SQL datasets as a WHERE clause with bound operands, the memory
// dataset (and the grid's text files) by Matches.
//
// Text compares ignoring case: both sides are lower-cased by ICU
// (AnsiLowerCase), also beyond ASCII; PostgreSQL uses lower() under its ICU
// root collation, SQLite a function the connection registers.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/FieldType.h"
#include "platform/Exception.h"
#include "platform/Variant.h"

namespace zyl {

// A filter text that does not parse; the message is short and meant for
// the visitor ("not a number: 12x").
class EFilterError : public Exception {
 public:
  using Exception::Exception;
};

// How a field's values compare.
enum class FilterKind { kText, kNumber, kDate, kBoolean };
FilterKind FilterKindOf(TFieldType type);

enum class FilterOp {
  kContains,  // text: `low` (lower-cased) inside the value
  kCompare,   // low <= value <= high (each bound optional: Null; strict unless inclusive)
  kEmpty,     // Null, or empty text
  kNotEmpty,
};

// One field's condition. Operands are typed by the field's kind: lower-cased
// text, Double, Date (whole days: a day's filter is [day, next day)) or
// Boolean.
struct FieldCondition {
  int field = 0;
  FilterKind kind = FilterKind::kText;
  FilterOp op = FilterOp::kContains;
  TVariant low = TVariant::Null();
  TVariant high = TVariant::Null();
  bool lowInclusive = true;
  bool highInclusive = true;
  bool operator==(const FieldCondition& other) const;
};

struct RowFilter {
  std::vector<FieldCondition> conditions;  // every one holds
  std::string search;                      // lower-cased; "" searches nothing
  std::vector<int> searchFields;           // one of them contains `search`
  bool Empty() const { return conditions.empty() && search.empty(); }
  bool operator==(const RowFilter& other) const;
  // Whether a record passes, given its value of each field (typed as the
  // field's kind; Null for an empty value).
  bool Matches(const std::function<TVariant(int field)>& value) const;
};

// Reads a field's filter text (blanks around it ignored; "" is no filter:
// returns false). Forms: "text" (a text field: contains; another: equals),
// "=x", "<x", ">x", "<=x", ">=x", "a..b" (both ends included; either may
// be left out), "=" alone (empty) and "<>" alone (not empty). Dates are
// read in `dateFormat` or as yyyy-mm-dd and compare by whole days; booleans
// are yes/no (true/false, 1/0). Raises EFilterError for text that does not
// parse.
bool ParseFieldFilter(int field, TFieldType type, std::string_view text,
                      std::string_view dateFormat, FieldCondition& condition);

}  // namespace zyl
