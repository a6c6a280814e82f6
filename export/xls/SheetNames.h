// Sheet names as Excel accepts them: 1 to 31 characters, none of
// : \ / ? * [ ], not starting or ending with an apostrophe, unique within the
// workbook ignoring case, and not the reserved name "History".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::exporting::xls {

inline constexpr std::size_t kMaxSheetName = 31;

// A valid sheet name for `name`: forbidden and control characters become '_',
// apostrophes at either end are dropped, the rest is cut to 31 code units
// (never inside a surrogate pair); an empty result becomes "Sheet".
std::u16string SanitiseSheetName(std::u16string_view name);

// `count` distinct sheet names: `base` (already sanitised), then
// "base (2)", "base (3)" ..., the base shortened so that each fits 31 units.
std::vector<std::u16string> NumberedSheetNames(const std::u16string& base, std::size_t count);

}  // namespace zyl::exporting::xls
