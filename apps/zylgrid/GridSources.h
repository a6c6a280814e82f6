// Binding a grid to its data source for one request, and checking every
// source of a site configuration once at start.
#pragma once

#include <memory>
#include <string>

#include "apps/zylgrid/SiteConfig.h"
#include "datasets/DataSet.h"
#include "grid/ZylHTMLGrid.h"

namespace zyl {
class PgEstimateCache;
class SQLiteConnectionPool;
class SQLiteCountCache;
}  // namespace zyl

namespace zylgrid {

// What the SQL sources of a long-lived process share across requests (not
// owned; null: none).
struct SharedSources {
  zyl::SQLiteCountCache* counts = nullptr;
  zyl::SQLiteConnectionPool* connections = nullptr;
  zyl::PgEstimateCache* estimates = nullptr;
};

// Hands `shared` to every SQL table or query source that BindSource
// opens while the object lives, in any thread. Long-lived modes (serve,
// fcgi) install one per process; the previous one comes back when the
// object ends.
class SharedSourcesInUse {
 public:
  explicit SharedSourcesInUse(SharedSources shared);
  ~SharedSourcesInUse();
  SharedSourcesInUse(const SharedSourcesInUse&) = delete;
  SharedSourcesInUse& operator=(const SharedSourcesInUse&) = delete;

 private:
  SharedSources previous_;
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
