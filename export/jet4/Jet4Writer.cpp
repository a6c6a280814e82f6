#include "export/jet4/Jet4Writer.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>

#include "export/TableRows.h"
#include "export/jet4/Jet4Catalog.h"
#include "export/jet4/Jet4Header.h"
#include "export/jet4/Jet4Rows.h"
#include "export/jet4/Jet4Tdef.h"

namespace zyl::exporting {

using namespace jet4;

namespace {

// The local time now as an OLE date, in whole seconds.
double NowAsOleDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // Days from 1899-12-30 to the local civil date (proleptic Gregorian).
  const int y = local.tm_year + 1900 - (local.tm_mon < 2 ? 1 : 0);
  const int m = local.tm_mon + 1;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + local.tm_mday - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long daysSince1970 = static_cast<long>(era) * 146097 + doe - 719468;
  const long daysSince1899 = daysSince1970 + 25569;
  const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return static_cast<double>(daysSince1899) + seconds / 86400.0;
}

// One user table: its rows on data pages, its long values, usage maps and
// table definition at `tdefPage`, with the maps on `mapPage`.
void WriteUserTable(PageFile& file, const Table& table, std::uint32_t tdefPage,
                    std::uint32_t mapPage) {
  std::vector<JetColumn> columns;
  columns.reserve(table.columns.size());
  for (const Column& c : table.columns) columns.push_back(ColumnFromExport(c, c.name));
  const TableLayout layout(std::move(columns));

  // Long-value pages are only opened for tables with memo or OLE columns.
  std::unique_ptr<LongValueStore> longValues;
  if (std::any_of(layout.Columns().begin(), layout.Columns().end(),
                  [](const JetColumn& c) { return IsLongValue(c.type); })) {
    longValues = std::make_unique<LongValueStore>(file, layout.Columns().size());
  }
  RowWriter data(file, tdefPage);
  RowPacker packer(layout, table.name);
  ByteVector row;
  row.reserve(kMaxRowSize);
  ForEachRow(table, [&](const std::vector<Value>& values, std::size_t i) {
    packer.Pack(values, i + 1, longValues.get(), row);
    data.Add(row);
  });

  // Usage maps: pages the table owns, pages with free space (the last one),
  // then the same pair for each memo/OLE column's long-value pages.
  std::uint8_t* maps = file.Data(mapPage);
  InitDataPage(maps, 0);
  const std::vector<std::uint32_t>& pages = data.Pages();
  AppendDataRow(maps, MakeUsageMap(file, pages));
  AppendDataRow(maps, MakeUsageMap(file, std::span(pages).last(pages.empty() ? 0 : 1)));
  TdefContent tdef;
  for (const JetColumn& c : layout.Columns()) {
    if (!IsLongValue(c.type)) continue;
    const std::vector<std::uint32_t>& owned = longValues->PagesOf(c.number);
    LongValueMaps lv;
    lv.column = c.number;
    lv.owned = PgRow(mapPage, AppendDataRow(maps, MakeUsageMap(file, owned)));
    lv.free = PgRow(
        mapPage,
        AppendDataRow(maps, MakeUsageMap(file, std::span(owned).last(owned.empty() ? 0 : 1))));
    tdef.longValueMaps.push_back(lv);
  }
  tdef.layout = &layout;
  tdef.rowCount = static_cast<std::uint32_t>(RowCount(table));
  tdef.ownedMap = PgRow(mapPage, 0);
  tdef.freeMap = PgRow(mapPage, 1);
  WriteTdef(file, tdefPage, BuildTdefStream(tdef));
}

}  // namespace

void WriteJet4Database(std::span<const Table> tables, ByteSink& sink) {
  WriteJet4Database(tables, sink, Jet4WriteOptions{});
}

void WriteJet4Database(std::span<const Table> tables, ByteSink& sink,
                       const Jet4WriteOptions& options) {
  ValidateJet4Tables(tables);
  const double created = options.created.value_or(NowAsOleDate());
  if (!(created >= -657434.0 && created < 2958466.0)) {
    Fail("the creation time is not a date between the years 100 and 9999");
  }

  // Pages 0-18 are the system area; each user table then gets its TDEF page
  // and its usage-map page, and everything else is allocated as needed.
  PageFile file;
  file.Reserve(kSystemAreaPages + 2 * static_cast<std::uint32_t>(tables.size()));
  WriteHeaderPage(file.Data(kHeaderPage));
  std::vector<CatalogEntry> entries;
  for (std::size_t k = 0; k < tables.size(); ++k) {
    const auto tdefPage = kSystemAreaPages + 2 * static_cast<std::uint32_t>(k);
    WriteUserTable(file, tables[k], tdefPage, tdefPage + 1);
    entries.push_back(CatalogEntry{tables[k].name, tdefPage, created});
  }
  WriteSystemTables(file, entries);
  WriteGlobalMap(file);
  file.WriteTo(sink);
}

}  // namespace zyl::exporting
