#include "apps/zylgrid/GridSources.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "data/DelimitedText.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteCountCache.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "platform/Locale.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zylgrid {

namespace {

std::atomic<zyl::SQLiteCountCache*> countCache{nullptr};
std::atomic<zyl::SQLiteConnectionPool*> connectionPool{nullptr};
std::atomic<zyl::PgEstimateCache*> estimateCache{nullptr};

// SQLite databases are read through a memory map of up to 256 MiB: a page
// of a large table costs no copy of the file's pages into the process
// (docs/PERFORMANCE.md). zylgrid serves databases on local disks.
constexpr std::int64_t kSQLiteMemoryMap = 256LL * 1024 * 1024;

// A semicolon-separated file as a read-only dataset of text fields.
std::unique_ptr<zyl::TDataSet> OpenCsv(const std::string& path) {
  zyl::TStringList lines;
  zyl::delimited::SplitLines(zyl::ReadFileBytes(path), lines);
  auto dataset = std::make_unique<zyl::TZylMemDataset>(nullptr);
  zyl::TStringList fields;
  if (lines.Empty()) throw zyl::Exception("csv source " + path + ": the file is empty");
  zyl::delimited::ParseLine(lines[0], ';', fields);
  for (int i = 0; i < fields.Count(); ++i) {
    dataset->AddField(fields[i].empty() ? "Column" + std::to_string(i + 1) : fields[i],
                      zyl::TFieldType::ftString, 255, true);
  }
  for (int r = 1; r < lines.Count(); ++r) {
    zyl::delimited::ParseLine(lines[r], ';', fields);
    std::vector<zyl::TVariant> values;
    for (int i = 0; i < fields.Count() && i < dataset->FieldCount(); ++i) {
      values.emplace_back(fields[i]);
    }
    dataset->AddRecord(std::move(values));
  }
  dataset->Open();
  return dataset;
}

// A table or query of an SQLite or PostgreSQL database, opened; a detail
// (`keyField` set) only with the records whose field equals `keyValue`.
std::unique_ptr<zyl::TDataSet> OpenSql(const GridSettings& g, const std::string& keyField,
                                       const zyl::TVariant& keyValue) {
  std::unique_ptr<zyl::TZylSqlDataset> ds;
  if (g.kind == SourceKind::Postgres) {
    auto pg = std::make_unique<zyl::TZylPgDataset>(nullptr);
    pg->SetConnectionInfo(g.path);
    pg->SetEstimateCountAbove(g.estimateCountAbove);
    pg->SetEstimateCache(estimateCache.load());
    ds = std::move(pg);
  } else {
    auto sqlite = std::make_unique<zyl::TZylSQLiteDataset>(nullptr);
    sqlite->SetDatabase(g.path);
    sqlite->SetCountCache(countCache.load());
    sqlite->SetConnectionPool(connectionPool.load());
    sqlite->SetMemoryMap(kSQLiteMemoryMap);
    ds = std::move(sqlite);
  }
  if (!g.table.empty()) {
    ds->SetTableName(g.table);
  } else {
    ds->SetSQL(g.query);
  }
  if (!keyField.empty()) ds->SetKeyFilter(keyField, keyValue);
  ds->SetName(g.name + "Data");
  ds->Open();
  return ds;
}

bool HasField(const zyl::TDataSet& ds, const std::string& name) {
  return ds.FindField(name) != nullptr;
}

}  // namespace

SharedSourcesInUse::SharedSourcesInUse(SharedSources shared)
    : previous_{countCache.exchange(shared.counts), connectionPool.exchange(shared.connections),
                estimateCache.exchange(shared.estimates)} {}

SharedSourcesInUse::~SharedSourcesInUse() {
  countCache.store(previous_.counts);
  connectionPool.store(previous_.connections);
  estimateCache.store(previous_.estimates);
}

std::unique_ptr<zyl::TDataSet> BindSource(zyl::TZylHTMLGrid& grid, const GridSettings& settings,
                                          const zyl::TVariant& masterKey) {
  std::unique_ptr<zyl::TDataSet> dataset;
  switch (settings.kind) {
    case SourceKind::Text:
      grid.SetFileName(settings.path);
      return nullptr;
    case SourceKind::Csv:
      dataset = OpenCsv(settings.path);
      break;
    case SourceKind::SQLite:
    case SourceKind::Postgres:
      dataset = OpenSql(settings, settings.master.empty() ? "" : settings.detailColumn, masterKey);
      break;
  }
  grid.SetDataset(dataset.get());
  return dataset;
}

zyl::TVariant MasterKeyValue(zyl::TZylHTMLGrid& master, const std::string& column) {
  zyl::TDataSet* ds = master.GetDataset();
  if (ds == nullptr || !ds->GetActive() || ds->RecordCount() == 0) return zyl::TVariant::Null();
  zyl::TField* field = ds->FindField(column);
  if (field == nullptr) return zyl::TVariant::Null();
  ds->First();
  int recNo = std::max(0, master.GetRecNo());
  if (recNo > 0) ds->MoveBy(recNo);
  zyl::TVariant value = field->Value();
  if (value.GetKind() == zyl::TVariant::Kind::Boolean) {
    return zyl::TVariant(static_cast<std::int64_t>(value.ToBoolean() ? 1 : 0));
  }
  return value;
}

void CheckSources(const SiteConfig& config) {
  std::string file = config.fileName.empty() ? "site configuration" : config.fileName;
  for (const GridSettings& g : config.grids) {
    auto fail = [&](const std::string& key, const std::string& message) {
      throw ConfigError(file + ": [" + g.name + "] " + key + ": " + message);
    };
    try {
      if (g.kind == SourceKind::Csv) {
        if (g.editable) fail("Editable", "csv sources are read-only");
        OpenCsv(g.path);
        continue;
      }
      if (g.kind == SourceKind::Postgres) {
        try {
          zyl::TZylPgDataset probe(nullptr);
          probe.SetConnectionInfo(g.path);
          probe.SetSQL("SELECT 1");
          probe.Open();
        } catch (const std::exception& e) {
          fail("Source", std::string("cannot connect: ") + e.what());
        }
      }
      if (g.kind != SourceKind::SQLite && g.kind != SourceKind::Postgres) continue;
      std::unique_ptr<zyl::TDataSet> source = OpenSql(g, "", zyl::TVariant::Null());
      if (!g.master.empty()) {
        if (!HasField(*source, g.detailColumn)) {
          fail("DetailKey", "no column '" + g.detailColumn + "' in " + g.table);
        }
        const GridSettings* master = config.Find(g.master);
        if (master == nullptr ||
            (master->kind != SourceKind::SQLite && master->kind != SourceKind::Postgres)) {
          fail("Master", "the master grid needs an SQL source");
        }
        if (!HasField(*OpenSql(*master, "", zyl::TVariant::Null()), g.masterColumn)) {
          fail("DetailKey", "no column '" + g.masterColumn + "' in the source of " + master->name);
        }
      }
    } catch (const ConfigError&) {
      throw;
    } catch (const std::exception& e) {
      bool sql = g.kind == SourceKind::SQLite || g.kind == SourceKind::Postgres;
      fail(sql ? (g.table.empty() ? "Query" : "Table") : "Source", e.what());
    }
  }
}

SiteConfig LoadCheckedSite(const std::string& configFile, const std::string& program) {
  SiteConfig config = LoadSiteConfig(FindConfigFile(configFile, program));
  if (config.imagesDir.empty()) config.imagesDir = DefaultImagesDir(program);
  CheckSources(config);
  return config;
}

}  // namespace zylgrid
