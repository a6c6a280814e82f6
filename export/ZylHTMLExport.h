// The export module: the grid's visible data as an Excel, Access, dBase or
// Paradox file, and the library's one text-replace function.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "model/GridTypes.h"

namespace zyl {

class TZylHTMLGrid;

namespace exporting {
struct AutomationTrace;
}

enum class TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };

// A set of TReplaceFlag values.
struct TReplaceFlags {
  unsigned bits = 0;
  constexpr TReplaceFlags() = default;
  constexpr TReplaceFlags(std::initializer_list<TReplaceFlag> flags) {
    for (auto f : flags) bits |= static_cast<unsigned>(f);
  }
  constexpr bool Has(TReplaceFlag f) const { return (bits & static_cast<unsigned>(f)) != 0; }
};

// Replaces the first (with rfReplaceAll: every) occurrence of `oldPattern`
// in `s` by `newPattern`. With rfIgnoreCase the search compares the locale
// upper-case forms; the result is built from the original texts. An empty
// `s` gives ""; an empty `oldPattern` is never found.
std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags);

// Writes the grid's visible rows and columns to a file of `exportType`
// through a temporary Access database: `fileName` gets the format's
// extension (".xls", ".mdb", ".dbf", ".db"; TabbedText keeps the name and
// writes nothing to it) and `tempFileName` the name of the temporary
// database. Returns true when the export ran to its end; errors of the
// engine (a value that does not convert, a file that cannot be written)
// raise an exception after both files have been removed. On success the
// caller deletes both files when done with them.
bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType);

// The same for a scope: the page's visible rows (as above) or every row of
// the grid's dataset in its current order (ExportRows.h).
bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType, TExportScope scope);

// The page, reporting every automation call and SQL statement to `trace`
// (not owned; null for none).
bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType, exporting::AutomationTrace* trace);
// A scope, reporting to `trace`.
bool ExportToFile(std::string& fileName, std::string& tempFileName, TZylHTMLGrid& grid,
                  TExportType exportType, TExportScope scope, exporting::AutomationTrace* trace);

}  // namespace zyl
