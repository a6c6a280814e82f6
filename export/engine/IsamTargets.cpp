#include "export/engine/IsamTargets.h"

#include <filesystem>

#include "export/TableRows.h"
#include "export/dbf/DbfWriter.h"
#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "export/paradox/ParadoxWriter.h"
#include "export/xls/XlsWriter.h"
#include "platform/FileSink.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace zyl::exporting {
namespace {

IsamFormat FormatOf(const std::string& connect) {
  // "dBase 5.0;" — the type, then options; only the type is understood.
  const std::size_t semicolon = connect.find(';');
  const std::string type = Trim(connect.substr(0, semicolon), " ");
  if (semicolon != std::string::npos && !Trim(connect.substr(semicolon + 1), " ").empty()) {
    throw EOleException("Jet engine: Could not find installable ISAM. (options after '" + type +
                        ";' are not supported)");
  }
  if (SameAsciiText(type, "Excel 8.0")) return IsamFormat::Excel;
  for (const char* t : {"dBase III", "dBase IV", "dBase 5.0"}) {
    if (SameAsciiText(type, t)) return IsamFormat::DBase;
  }
  for (const char* t : {"Paradox 3.X", "Paradox 4.X", "Paradox 5.X", "Paradox 7.X"}) {
    if (SameAsciiText(type, t)) return IsamFormat::Paradox;
  }
  throw EOleException("Jet engine: Could not find installable ISAM. ('" + connect +
                      "' names no format the engine writes)");
}

bool IsMemoOrBinary(AdoType t) {
  return t == AdoType::LongVarWChar || t == AdoType::Binary || t == AdoType::VarBinary ||
         t == AdoType::LongVarBinary;
}

// The table with the columns that `keep` accepts.
template <typename Keep>
Table SelectColumns(const Table& table, Keep keep) {
  std::vector<std::size_t> kept;
  std::vector<Column> columns;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (keep(table.columns[c])) {
      kept.push_back(c);
      columns.push_back(table.columns[c]);
    }
  }
  return MapRows(table, std::move(columns), [&](const std::vector<Value>& row, std::size_t) {
    std::vector<Value> values;
    values.reserve(kept.size());
    for (std::size_t c : kept) values.push_back(row[c]);
    return values;
  });
}

}  // namespace

IsamTarget ResolveIsamTarget(const sql::SelectIntoStatement& statement) {
  IsamTarget target;
  target.format = FormatOf(statement.connect);
  target.tableName = statement.target;
  if (target.format == IsamFormat::Excel) {
    if (statement.database.empty()) {
      throw EOleException("Jet engine: the IN clause names no workbook");
    }
    target.file = statement.database;
    return target;
  }
  // An empty path means the current directory.
  const std::string dir = statement.database.empty() ? "./" : statement.database;
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    throw EOleException("Jet engine: '" + dir + "' is not a valid path (no such directory).");
  }
  const std::string& name = statement.target;
  if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos || name == "." ||
      name == "..") {
    throw EOleException("Jet engine: '" + name + "' is not a valid table name for the directory '" +
                        dir + "'.");
  }
  std::string file = name;
  if (ExtractFileName(file).find('.') == std::string::npos) {
    file += target.format == IsamFormat::DBase ? ".dbf" : ".db";
  }
  target.file = dir.back() == '/' ? dir + file : dir + "/" + file;
  return target;
}

void WriteIsamTable(const Table& table, const IsamTarget& target, Substitutions* noted) {
  if (FileExists(target.file)) {
    throw EOleException("Jet engine: Table '" + target.tableName + "' already exists ('" +
                        target.file + "'); the engine does not overwrite or extend files.");
  }
  Table out = target.format == IsamFormat::DBase
                  ? SelectColumns(table, [](const Column& c) { return !IsMemoOrBinary(c.type); })
                  : table;
  out.name = target.tableName;
  if (out.columns.empty()) {
    throw EOleException("Jet engine: table '" + table.name +
                        "' has no column the target format can hold");
  }
  FileSink sink(target.file);
  switch (target.format) {
    case IsamFormat::Excel:
      WriteXls(out, sink, XlsOptions{kXlsMaxDataRowsPerSheet, noted});
      break;
    case IsamFormat::DBase:
      WriteDbf(out, sink, noted);
      break;
    case IsamFormat::Paradox:
      WriteParadox(out, sink, ParadoxOptions{std::nullopt, noted});
      break;
  }
  sink.Commit();
}

}  // namespace zyl::exporting
