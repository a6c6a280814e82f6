#include "apps/zylgrid/GridSources.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "apps/zylgrid/SqliteHelpers.h"
#include "apps/zylgrid/SqliteMemDataset.h"
#include "data/DelimitedText.h"
#include "datasets/PgDataset.h"
#include "datasets/SQLiteCountCache.h"
#include "datasets/SQLiteDataset.h"
#include "datasets/ZylMemDataset.h"
#include "platform/StringList.h"
#include "platform/System.h"

namespace zylgrid {

namespace {

std::atomic<zyl::SQLiteCountCache*> countCache{nullptr};

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

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

std::unique_ptr<zyl::TDataSet> OpenPostgres(const std::string& conninfo, const std::string& table,
                                            const std::string& query) {
  auto ds = std::make_unique<zyl::TZylPgDataset>(nullptr);
  ds->SetConnectionInfo(conninfo);
  if (!table.empty()) {
    ds->SetTableName(table);
  } else {
    ds->SetSQL(query);
  }
  ds->Open();
  return ds;
}

std::vector<std::string> SourceColumns(const GridSettings& g) {
  if (g.kind == SourceKind::Postgres) {
    std::unique_ptr<zyl::TDataSet> ds = OpenPostgres(g.path, g.table, g.query);
    std::vector<std::string> names;
    for (int i = 0; i < ds->FieldCount(); ++i) names.push_back(ds->GetField(i)->FieldName());
    return names;
  }
  sql::Database db(g.path, true);
  std::vector<std::string> names;
  if (!g.table.empty()) {
    for (const sql::Column& c : db.Columns(g.table)) names.push_back(c.name);
    names.push_back("rowid");
  } else {
    sql::Statement st(db, g.query);
    for (int i = 0; i < st.ColumnCount(); ++i) names.push_back(st.ColumnName(i));
  }
  return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return Upper(n) == Upper(name); });
}

}  // namespace

CountCacheInUse::CountCacheInUse(zyl::SQLiteCountCache* cache)
    : previous_(countCache.exchange(cache)) {}

CountCacheInUse::~CountCacheInUse() {
  countCache.store(previous_);
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
    case SourceKind::SQLite: {
      if (!settings.master.empty()) {
        SqliteSourceSettings source;
        source.path = settings.path;
        source.table = settings.table;
        source.keyColumn = settings.detailColumn;
        source.keyValue = masterKey;
        source.editable = settings.editable;
        dataset = std::make_unique<SqliteMemDataset>(nullptr, source);
      } else {
        auto ds = std::make_unique<zyl::TZylSQLiteDataset>(nullptr);
        ds->SetDatabase(settings.path);
        ds->SetCountCache(countCache.load());
        if (!settings.table.empty()) {
          ds->SetTableName(settings.table);
        } else {
          ds->SetSQL(settings.query);
        }
        dataset = std::move(ds);
      }
      dataset->SetName(settings.name + "Data");
      dataset->Open();
      break;
    }
    case SourceKind::Postgres:
      dataset = OpenPostgres(settings.path, settings.table, settings.query);
      dataset->SetName(settings.name + "Data");
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
          OpenPostgres(g.path, "", "SELECT 1");
        } catch (const std::exception& e) {
          fail("Source", std::string("cannot connect: ") + e.what());
        }
        OpenPostgres(g.path, g.table, g.query);
        continue;
      }
      if (g.kind != SourceKind::SQLite) continue;
      sql::Database db(g.path, true);
      if (!g.table.empty()) {
        if (!db.TableExists(g.table)) fail("Table", "no table '" + g.table + "' in " + g.path);
      } else {
        sql::Statement st(db, g.query);
        if (!st.ReadOnly()) fail("Query", "the query must only read");
      }
      if (!g.master.empty()) {
        const GridSettings* master = config.Find(g.master);
        if (master == nullptr ||
            (master->kind != SourceKind::SQLite && master->kind != SourceKind::Postgres)) {
          fail("Master", "the master grid needs an SQL source");
        }
        if (!Contains(SourceColumns(g), g.detailColumn)) {
          fail("DetailKey", "no column '" + g.detailColumn + "' in " + g.table);
        }
        if (!Contains(SourceColumns(*master), g.masterColumn)) {
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

}  // namespace zylgrid
