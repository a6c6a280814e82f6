// The site configuration: an INI file that names the page's title, the image
// URL and the grids with their data sources, in page order.
//
//   [Page]
//   Title=Orders
//   ImagesURL=/images/
//   Locks=files
//   SecretFile=zylgrid.secret
//   [Customers]
//   Source=sqlite:shop.db
//   Table=customers
//   [Orders]
//   Source=sqlite:shop.db
//   Table=orders
//   Master=Customers
//   DetailKey=CustomerId=Id
//   Editable=1
//
// docs in README.md ("Site configuration") list every key.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace zylgrid {

// A configuration that cannot be used. The message names the file, the
// section and the key: "site.ini: [Orders] Table: no table 'ordrs' in shop.db".
class ConfigError : public zyl::Exception {
 public:
  using zyl::Exception::Exception;
};

enum class SourceKind { SQLite, Text, Csv, Postgres };

struct GridSettings {
  std::string name;  // section name = the grid's Name
  SourceKind kind = SourceKind::SQLite;
  std::string path;        // file of sqlite:, text:, csv: (absolute after loading)
  std::string table;       // Table (SQL sources)
  std::string query;       // Query (SQL sources)
  std::string layout;      // Layout: grid configuration file (absolute), may be empty
  std::string header;      // Header: the grid's title bar text (and download name)
  std::string headerHTML;  // HeaderHTML: markup for the title bar instead
  bool editable = false;
  int rowsPerPage = 0;       // 0: the grid's default
  std::string master;        // Master: section name of the master grid
  std::string detailColumn;  // DetailKey left side: column of this grid's source
  std::string masterColumn;  // DetailKey right side: column of the master's source
  bool globalSorting = false;
  bool showMemos = false;  // ShowMemos: memo (long text) columns are shown and edited
  // Finding: Filters (the filter row), Search (the search box), ViewLink
  // (the "link to this view" anchor), WholeTotals (sum and average rows
  // over the whole filtered result); all on unless set to 0.
  bool filterRow = true;
  bool quickSearch = true;
  bool viewLink = true;
  bool wholeResultTotals = true;
  // EstimateCountAbove: a PostgreSQL source above this many records (the
  // planner's estimate) shows that estimate ("about") instead of counting;
  // 0 always counts.
  int estimateCountAbove = 100000;
  // PickList.<Column>=a,b,c: the choices offered when the column is edited.
  std::map<std::string, std::vector<std::string>> pickLists;
  // Readers=, Editors=: user names or "*" (every signed-in user); empty:
  // "*". Used only on a site that signs visitors in.
  std::vector<std::string> readers, editors;
};

// Who may use the site (apps/zylgrid/Access.h) and where accepted changes
// are recorded.
struct AccessSettings {
  std::map<std::string, std::string> users;  // [Users] name=Argon2id hash
  std::string usersFile;                     // [Page] UsersFile (absolute): name:hash lines
  int sessionMinutes = 480;                  // [Page] SessionMinutes: a session's life
  std::vector<std::string> trustedProxies;   // [Page] TrustedProxy: addresses
  std::string remoteUserHeader;              // [Page] RemoteUserHeader: the proxy's user header
  std::string auditFile;                     // [Audit] File (absolute): JSON lines
};

// Where the pages' update locks live: lock files in the temporary
// directory, or a table in a PostgreSQL database shared by several servers.
enum class LockKind { Files, Postgres };

struct SiteConfig {
  std::string fileName;  // the INI file it came from ("" when built in code)
  std::string title = "zylgrid";
  std::string imagesURL = "/images/";
  std::string imagesDir;             // folder of the image set (absolute)
  std::string stylesheet;            // extra CSS text (read from the Stylesheet file)
  LockKind locks = LockKind::Files;  // Locks=files | postgres:CONNINFO
  std::string locksConnInfo;         // the libpq connection string of postgres:
  // SecretFile: the file that holds the site's secret, which signs the rows'
  // identities (absolute). Default: zylgrid.secret beside the configuration
  // file; "" (a configuration built in code): a secret per process.
  std::string secretFile;
  // Theme=modern: colours from the page's style sheet (light and dark by
  // the visitor's preference), a sticky caption row, a grid that scrolls
  // inside its frame on small screens. classic (the default): the grids'
  // own colours.
  bool modernTheme = false;
  // Accessible=0 turns the grids' AccessibleMarkup off (on by default).
  bool accessible = true;
  std::vector<GridSettings> grids;
  AccessSettings access;

  // The grid named `name` (case-insensitive), or null.
  const GridSettings* Find(const std::string& name) const;
};

// Reads and checks the file: syntax, known sections and keys, values, that
// the files exist and that masters come before their details. Sources are
// checked separately (CheckSources), as that opens databases.
SiteConfig LoadSiteConfig(const std::string& fileName);

// Checks the parts that are the same whether the configuration came from a
// file or from code: grid names, masters, detail keys. Raises ConfigError.
void CheckStructure(const SiteConfig& config);

// The configuration file to use: `option` when given, else the environment's
// ZYLGRID_CONFIG, else `executable` with its extension replaced by ".ini".
std::string FindConfigFile(const std::string& option, const std::string& executable);

// The site's secret from config.secretFile; a missing file is made first
// (mode 0600, 32 random bytes as base64url text; of two processes that
// make it at once, both use the one that lands). "" without a file name.
// Raises ConfigError when the file cannot be read or made, or holds fewer
// than 16 characters.
std::string LoadSiteSecret(const SiteConfig& config);

// The image set folder used when the configuration names none: the one
// installed beside the program, else the source tree's assets/images.
std::string DefaultImagesDir(const std::string& executable);

}  // namespace zylgrid
