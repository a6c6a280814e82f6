#include "datasets/RowFilter.h"

#include <cmath>

#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/Text.h"

namespace zyl {

namespace {

// One operand typed by `kind`; a date is its day's start.
TVariant Operand(FilterKind kind, std::string_view text, std::string_view dateFormat) {
  text = TrimView(text);
  std::string shown(text);
  switch (kind) {
    case FilterKind::kText:
      return TVariant(AnsiLowerCase(text));
    case FilterKind::kNumber: {
      double number = 0;
      if (!TryStrToFloat(text, number) || !std::isfinite(number))
        throw EFilterError("not a number: " + shown);
      return TVariant(number);
    }
    case FilterKind::kDate: {
      TDateTime date = 0;
      if (!TryParseDateTime(text, dateFormat, date) && !TryStrToDateTime(text, date))
        throw EFilterError("not a date: " + shown + " (" + std::string(dateFormat) +
                           " or yyyy-mm-dd)");
      return TVariant::FromDate(DatePart(date));
    }
    case FilterKind::kBoolean: {
      std::string word = AnsiLowerCase(text);
      if (word == "yes" || word == "true" || word == "1") return TVariant(true);
      if (word == "no" || word == "false" || word == "0") return TVariant(false);
      throw EFilterError("yes or no: " + shown);
    }
  }
  return TVariant::Null();
}

TVariant NextDay(const TVariant& day) {
  return TVariant::FromDate(day.ToDateTime() + 1);
}

// Orders two values of one kind: negative, 0 or positive.
int Order(FilterKind kind, const TVariant& a, const TVariant& b) {
  switch (kind) {
    case FilterKind::kText:
      return a.ToString().compare(b.ToString());
    case FilterKind::kBoolean:
      return static_cast<int>(a.ToBoolean() ? 1 : 0) - (b.ToBoolean() ? 1 : 0);
    case FilterKind::kNumber:
    case FilterKind::kDate: {
      double x = kind == FilterKind::kDate ? a.ToDateTime() : a.ToDouble();
      double y = kind == FilterKind::kDate ? b.ToDateTime() : b.ToDouble();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
  return 0;
}

bool Holds(const FieldCondition& c, const TVariant& value) {
  bool empty = value.IsNullOrEmpty() || (c.kind == FilterKind::kText && value.ToString().empty());
  switch (c.op) {
    case FilterOp::kEmpty:
      return empty;
    case FilterOp::kNotEmpty:
      return !empty;
    case FilterOp::kContains:
      return !empty && AnsiLowerCase(value.ToString()).find(c.low.ToString()) != std::string::npos;
    case FilterOp::kCompare:
      break;
  }
  if (value.IsNullOrEmpty()) return false;
  try {
    TVariant v = c.kind == FilterKind::kText ? TVariant(AnsiLowerCase(value.ToString())) : value;
    if (!c.low.IsNull()) {
      int o = Order(c.kind, v, c.low);
      if (o < 0 || (o == 0 && !c.lowInclusive)) return false;
    }
    if (!c.high.IsNull()) {
      int o = Order(c.kind, v, c.high);
      if (o > 0 || (o == 0 && !c.highInclusive)) return false;
    }
    return true;
  } catch (const Exception&) {
    return false;  // a value the kind cannot read passes no comparison
  }
}

}  // namespace

FilterKind FilterKindOf(TFieldType type) {
  if (type == TFieldType::ftBoolean) return FilterKind::kBoolean;
  if (type == TFieldType::ftDate || type == TFieldType::ftDateTime) return FilterKind::kDate;
  if (IsNumberType(type) || type == TFieldType::ftLargeint) return FilterKind::kNumber;
  return FilterKind::kText;
}

bool FieldCondition::operator==(const FieldCondition& o) const {
  return field == o.field && kind == o.kind && op == o.op && low == o.low && high == o.high &&
         lowInclusive == o.lowInclusive && highInclusive == o.highInclusive;
}

bool RowFilter::operator==(const RowFilter& o) const {
  return conditions == o.conditions && search == o.search && searchFields == o.searchFields;
}

bool RowFilter::Matches(const std::function<TVariant(int)>& value) const {
  for (const FieldCondition& c : conditions)
    if (!Holds(c, value(c.field))) return false;
  if (search.empty()) return true;
  FieldCondition contains{0, FilterKind::kText, FilterOp::kContains, TVariant(search)};
  for (int field : searchFields)
    if (Holds(contains, value(field))) return true;
  return false;
}

bool ParseFieldFilter(int field, TFieldType type, std::string_view text,
                      std::string_view dateFormat, FieldCondition& condition) {
  text = TrimView(text);
  if (text.empty()) return false;
  FieldCondition c;
  c.field = field;
  c.kind = FilterKindOf(type);
  bool dates = c.kind == FilterKind::kDate;
  if (text == "=" || text == "<>") {
    c.op = text == "=" ? FilterOp::kEmpty : FilterOp::kNotEmpty;
    condition = c;
    return true;
  }
  c.op = FilterOp::kCompare;
  if (std::size_t dots = text.find(".."); dots != std::string_view::npos) {
    std::string_view from = TrimView(text.substr(0, dots));
    std::string_view to = TrimView(text.substr(dots + 2));
    if (from.empty() && to.empty()) throw EFilterError("a range needs a value at one end: ..");
    if (!from.empty()) c.low = Operand(c.kind, from, dateFormat);
    if (!to.empty()) c.high = Operand(c.kind, to, dateFormat);
    if (dates && !to.empty()) c.high = NextDay(c.high), c.highInclusive = false;
    if (!c.low.IsNull() && !c.high.IsNull() && Order(c.kind, c.low, c.high) > 0)
      throw EFilterError("the range ends before it starts: " + std::string(text));
    condition = c;
    return true;
  }
  std::string_view op;
  for (std::string_view o : {"<=", ">=", "<", ">", "="}) {
    if (text.substr(0, o.size()) == o) {
      op = o;
      break;
    }
  }
  std::string_view rest = TrimView(text.substr(op.size()));
  if (rest.empty()) throw EFilterError("a value is missing after " + std::string(op));
  if (op.empty() && c.kind == FilterKind::kText) {
    c.op = FilterOp::kContains;
    c.low = Operand(c.kind, rest, dateFormat);
    condition = c;
    return true;
  }
  TVariant value = Operand(c.kind, rest, dateFormat);
  if (op == "<" || op == "<=") {
    c.high = value;
    c.highInclusive = op == "<=";
    if (dates && op == "<=") c.high = NextDay(value), c.highInclusive = false;
  } else if (op == ">" || op == ">=") {
    c.low = value;
    c.lowInclusive = op == ">=";
    if (dates && op == ">") c.low = NextDay(value), c.lowInclusive = true;
  } else {
    c.low = c.high = value;
    if (dates) c.high = NextDay(value), c.highInclusive = false;
  }
  condition = c;
  return true;
}

}  // namespace zyl
