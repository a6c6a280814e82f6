// Binding a grid to its data source for one request, and checking every
// source of a site configuration once at start.
#pragma once

#include <memory>
#include <string>

#include "apps/zylgrid/SiteConfig.h"
#include "datasets/DataSet.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl {
class SQLiteCountCache;
}

namespace zylgrid {

// Hands a record-count cache (not owned; null: none) to every SQLite table
// or query source that BindSource opens while the object lives, in any
// thread. Long-lived modes (serve, fcgi) install one per process; the
// previous cache comes back when the object ends.
class CountCacheInUse {
 public:
  explicit CountCacheInUse(zyl::SQLiteCountCache* cache);
  ~CountCacheInUse();
  CountCacheInUse(const CountCacheInUse&) = delete;
  CountCacheInUse& operator=(const CountCacheInUse&) = delete;

 private:
  zyl::SQLiteCountCache* previous_;
};

// Opens the grid's source and links it: a dataset for SQL and csv sources
// (returned; the caller keeps it alive as long as the grid), the file name
// for text sources (nothing returned). A detail grid (settings.master set)
// gets only the records whose DetailKey column equals `masterKey`.
// Raises zyl::Exception when the source cannot be opened.
std::unique_ptr<zyl::TDataSet> BindSource(zyl::TZylHTMLGrid& grid, const GridSettings& settings,
                                          const zyl::TVariant& masterKey);

// The value of `column` in the master grid's current record; Null when the
// master shows no record.
zyl::TVariant MasterKeyValue(zyl::TZylHTMLGrid& master, const std::string& column);

// Opens every SQL source: tables must exist, queries must prepare and only
// read, the DetailKey columns must exist on both sides, csv and text files
// must not be empty. Raises ConfigError naming file, section and key.
void CheckSources(const SiteConfig& config);

// The site of a mode: the configuration file FindConfigFile names (after
// `program`, the running program), ImagesDir defaulted to DefaultImagesDir,
// every source checked. Raises ConfigError (zyl::Exception from a source).
SiteConfig LoadCheckedSite(const std::string& configFile, const std::string& program);

}  // namespace zylgrid
