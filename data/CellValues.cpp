#include "data/CellValues.h"

#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/Locale.h"

namespace zyl {

const std::string& DatePatternFor(const TZylHTMLGrid& grid, TFieldType type) {
  if (type == TFieldType::ftDate) return grid.GetDateFormat();
  if (type == TFieldType::ftTime) return grid.GetTimeFormat();
  return grid.GetDateTimeFormat();
}

bool TryParseCellDate(const TZylHTMLGrid& grid, TFieldType type, std::string_view text,
                      TDateTime& date) {
  return TryParseDateTime(text, DatePatternFor(grid, type), date) ||
         (type == TFieldType::ftDateTime && TryParseDateTime(text, grid.GetDateFormat(), date)) ||
         TryStrToDateTime(text, date);
}

void SetTypedValueFromText(const TZylHTMLGrid& grid, TZylField& cell, TFieldType type,
                           const std::string& text) {
  if (type == TFieldType::ftBoolean) {
    cell.SetBooleanValue(AnsiSameText(text, "true") || text == "1" || text == "-1" ||
                         AnsiSameText(text, "on") || AnsiSameText(text, "yes"));
  } else if (IsNumberType(type) || type == TFieldType::ftLargeint) {
    double number = 0;
    cell.SetNumericValue(TryStrToFloat(text, number) ? number : 0);
  } else if (IsDateType(type)) {
    TDateTime date = 0;
    cell.SetDateValue(TryParseCellDate(grid, type, text, date) ? date : 0);
  }
}

}  // namespace zyl
