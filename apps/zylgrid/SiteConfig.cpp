#include "apps/zylgrid/SiteConfig.h"

// Byte strings as they are; the header's template definitions are
// instantiated here (SI_IMPLEMENTATION), so no SimpleIni library is linked.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/Digest.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace zylgrid {

namespace fs = std::filesystem;
using zyl::AsciiLowerCase;
using zyl::Trim;

namespace {

// Reads one section's keys and reports problems with file, section and key.
class SectionReader {
 public:
  SectionReader(const CSimpleIniA& ini, std::string file, std::string section)
      : ini_(ini), file_(std::move(file)), section_(std::move(section)) {}

  [[noreturn]] void Fail(const std::string& key, const std::string& message) const {
    throw ConfigError(file_ + ": [" + section_ + "] " + key + ": " + message);
  }
  bool Has(const char* key) const { return ini_.GetValue(section_.c_str(), key) != nullptr; }
  std::string Text(const char* key) const {
    const char* value = ini_.GetValue(section_.c_str(), key);
    return value == nullptr ? std::string() : Trim(value, " \t");
  }
  bool Flag(const char* key, bool fallback) const {
    if (!Has(key)) return fallback;
    std::string v = AsciiLowerCase(Text(key));
    if (v == "1" || v == "true" || v == "yes" || v == "on") return true;
    if (v == "0" || v == "false" || v == "no" || v == "off") return false;
    Fail(key, "'" + Text(key) + "' is not 0 or 1");
  }
  int Number(const char* key, int low, int high) const {
    std::string v = Text(key);
    int n = 0;
    auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || ptr != v.data() + v.size() || n < low || n > high) {
      Fail(key, "'" + v + "' is not a number from " + std::to_string(low) + " to " +
                    std::to_string(high));
    }
    return n;
  }
  // A file name relative to the configuration file's folder; it must exist.
  std::string ExistingFile(const char* key, const std::string& value, const fs::path& base) const {
    if (value.empty()) Fail(key, "no file name given");
    fs::path p = fs::path(value).is_absolute() ? fs::path(value) : base / value;
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) Fail(key, "file '" + p.string() + "' does not exist");
    return fs::absolute(p, ec).lexically_normal().string();
  }

 private:
  const CSimpleIniA& ini_;
  std::string file_;
  std::string section_;
};

bool ValidIdentifier(const std::string& name) {
  if (name.empty() || name.size() > 128) return false;
  return std::all_of(name.begin(), name.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0 || c == '_'; });
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    item = Trim(item, " \t");
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

void ReadPage(const CSimpleIniA& ini, const std::string& file, const fs::path& base,
              SiteConfig& config) {
  SectionReader page(ini, file, "Page");
  CSimpleIniA::TNamesDepend keys;
  ini.GetAllKeys("Page", keys);
  for (const auto& key : keys) {
    std::string k = AsciiLowerCase(key.pItem);
    static const std::set<std::string> known = {
        "title", "imagesurl",  "imagesdir", "stylesheet",     "locks",        "secretfile",
        "theme", "accessible", "usersfile", "sessionminutes", "trustedproxy", "remoteuserheader"};
    if (known.count(k) == 0) {
      page.Fail(key.pItem,
                "unknown key (known: Title, ImagesURL, ImagesDir, Stylesheet, Locks, SecretFile, "
                "Theme, Accessible, UsersFile, SessionMinutes, TrustedProxy, RemoteUserHeader)");
    }
  }
  AccessSettings& access = config.access;
  if (page.Has("UsersFile"))
    access.usersFile = page.ExistingFile("UsersFile", page.Text("UsersFile"), base);
  if (page.Has("SessionMinutes")) access.sessionMinutes = page.Number("SessionMinutes", 1, 525600);
  access.trustedProxies = SplitList(page.Text("TrustedProxy"));
  access.remoteUserHeader = page.Text("RemoteUserHeader");
  if (access.remoteUserHeader.find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-") != std::string::npos) {
    page.Fail("RemoteUserHeader", "a header name holds letters, digits and '-' only");
  }
  if (access.remoteUserHeader.empty() != access.trustedProxies.empty()) {
    page.Fail("TrustedProxy", "TrustedProxy and RemoteUserHeader go together");
  }
  if (page.Has("Title")) config.title = page.Text("Title");
  if (page.Has("ImagesURL")) {
    config.imagesURL = page.Text("ImagesURL");
    if (config.imagesURL.empty() || config.imagesURL.back() != '/' ||
        config.imagesURL.find_first_of("\"<>'\r\n ") != std::string::npos) {
      page.Fail("ImagesURL", "'" + config.imagesURL +
                                 "' must end with '/' and hold no quotes, "
                                 "angle brackets or blanks");
    }
  }
  if (page.Has("ImagesDir")) {
    std::string dir = page.Text("ImagesDir");
    fs::path p = fs::path(dir).is_absolute() ? fs::path(dir) : base / dir;
    std::error_code ec;
    if (!fs::is_regular_file(p / "GBevel.gif", ec)) {
      page.Fail("ImagesDir", "folder '" + p.string() + "' does not hold the image set");
    }
    config.imagesDir = fs::absolute(p, ec).lexically_normal().string();
  }
  if (page.Has("Locks")) {
    std::string locks = page.Text("Locks");
    std::size_t colon = locks.find(':');
    std::string scheme = AsciiLowerCase(locks.substr(0, colon));
    if (colon == std::string::npos && scheme == "files") {
      config.locks = LockKind::Files;
    } else if (colon != std::string::npos && scheme == "postgres") {
      config.locks = LockKind::Postgres;
      config.locksConnInfo = Trim(locks.substr(colon + 1), " \t");
      if (config.locksConnInfo.empty()) page.Fail("Locks", "postgres: needs a connection string");
    } else {
      page.Fail("Locks", "'" + zyl::MaskPasswords(locks) + "' is not files or postgres:CONNINFO");
    }
  }
  if (page.Has("Theme")) {
    std::string theme = AsciiLowerCase(page.Text("Theme"));
    if (theme != "classic" && theme != "modern") {
      page.Fail("Theme", "'" + page.Text("Theme") + "' is not classic or modern");
    }
    config.modernTheme = theme == "modern";
  }
  config.accessible = page.Flag("Accessible", true);
  if (page.Has("SecretFile")) {
    fs::path p(page.Text("SecretFile"));
    config.secretFile = (p.is_absolute() ? p : base / p).lexically_normal().string();
  }
  if (page.Has("Stylesheet")) {
    std::string css = page.ExistingFile("Stylesheet", page.Text("Stylesheet"), base);
    std::ifstream in(css, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    config.stylesheet = text.str();
    if (AsciiLowerCase(config.stylesheet).find("</style") != std::string::npos) {
      page.Fail("Stylesheet", "the style sheet must not close the style element");
    }
  }
}

GridSettings ReadGrid(const CSimpleIniA& ini, const std::string& file, const fs::path& base,
                      const std::string& section) {
  SectionReader in(ini, file, section);
  GridSettings grid;
  grid.name = section;
  if (!ValidIdentifier(section)) {
    in.Fail("(name)", "a grid's name holds letters, digits and '_' only");
  }
  static const std::set<std::string> known = {"source",
                                              "table",
                                              "query",
                                              "layout",
                                              "editable",
                                              "rowsperpage",
                                              "master",
                                              "detailkey",
                                              "header",
                                              "headerhtml",
                                              "showmemos",
                                              "globalsorting",
                                              "readers",
                                              "editors",
                                              "filters",
                                              "search",
                                              "viewlink",
                                              "wholetotals",
                                              "estimatecountabove"};
  CSimpleIniA::TNamesDepend keys;
  ini.GetAllKeys(section.c_str(), keys);
  for (const auto& key : keys) {
    std::string k = AsciiLowerCase(key.pItem);
    if (known.count(k) != 0) continue;
    if (k.rfind("picklist.", 0) == 0 && k.size() > 9) {
      grid.pickLists[std::string(key.pItem).substr(9)] = SplitList(in.Text(key.pItem));
      continue;
    }
    in.Fail(key.pItem, "unknown key");
  }

  std::string source = in.Text("Source");
  if (source.empty()) {
    in.Fail("Source", "missing (sqlite:PATH, postgres:CONNINFO, text:PATH or csv:PATH)");
  }
  std::size_t colon = source.find(':');
  std::string scheme =
      colon == std::string::npos ? std::string() : AsciiLowerCase(source.substr(0, colon));
  std::string rest =
      colon == std::string::npos ? std::string() : Trim(source.substr(colon + 1), " \t");
  if (scheme == "sqlite") {
    grid.kind = SourceKind::SQLite;
  } else if (scheme == "text") {
    grid.kind = SourceKind::Text;
  } else if (scheme == "csv") {
    grid.kind = SourceKind::Csv;
  } else if (scheme == "postgres") {
    grid.kind = SourceKind::Postgres;
  } else {
    in.Fail("Source", "'" + zyl::MaskPasswords(source) +
                          "' is not sqlite:PATH, postgres:CONNINFO, text:PATH or csv:PATH");
  }
  if (grid.kind == SourceKind::Postgres) {
    if (rest.empty()) in.Fail("Source", "postgres: needs a connection string");
    grid.path = rest;  // the libpq connection string
  } else {
    grid.path = in.ExistingFile("Source", rest, base);
  }

  grid.table = in.Text("Table");
  grid.query = in.Text("Query");
  if (grid.kind == SourceKind::SQLite || grid.kind == SourceKind::Postgres) {
    if (grid.table.empty() == grid.query.empty()) {
      in.Fail("Table", "give either Table or Query for an SQL source");
    }
    if (!grid.query.empty()) {
      std::string q = AsciiLowerCase(grid.query);
      if (q.rfind("select", 0) != 0 && q.rfind("with", 0) != 0) {
        in.Fail("Query", "must be a SELECT statement");
      }
    }
  } else if (!grid.table.empty() || !grid.query.empty()) {
    in.Fail(grid.table.empty() ? "Query" : "Table", "only SQL sources take a table or query");
  }

  if (in.Has("Layout")) grid.layout = in.ExistingFile("Layout", in.Text("Layout"), base);
  grid.header = in.Text("Header");
  grid.headerHTML = in.Text("HeaderHTML");
  grid.editable = in.Flag("Editable", false);
  if (grid.editable && !grid.query.empty()) in.Fail("Editable", "a query cannot be edited");
  if (in.Has("RowsPerPage")) grid.rowsPerPage = in.Number("RowsPerPage", 1, 10000);
  grid.globalSorting = in.Flag("GlobalSorting", false);
  grid.showMemos = in.Flag("ShowMemos", false);
  grid.readers = SplitList(in.Text("Readers"));
  grid.editors = SplitList(in.Text("Editors"));
  grid.filterRow = in.Flag("Filters", true);
  grid.quickSearch = in.Flag("Search", true);
  grid.viewLink = in.Flag("ViewLink", true);
  grid.wholeResultTotals = in.Flag("WholeTotals", true);
  if (in.Has("EstimateCountAbove"))
    grid.estimateCountAbove = in.Number("EstimateCountAbove", 0, 2000000000);
  grid.master = in.Text("Master");
  std::string detailKey = in.Text("DetailKey");
  if (grid.master.empty() != detailKey.empty()) {
    in.Fail(grid.master.empty() ? "DetailKey" : "Master", "Master and DetailKey go together");
  }
  if (!detailKey.empty()) {
    std::size_t eq = detailKey.find('=');
    if (eq == std::string::npos) in.Fail("DetailKey", "expected detailcolumn=mastercolumn");
    grid.detailColumn = Trim(detailKey.substr(0, eq), " \t");
    grid.masterColumn = Trim(detailKey.substr(eq + 1), " \t");
    if (grid.detailColumn.empty() || grid.masterColumn.empty()) {
      in.Fail("DetailKey", "expected detailcolumn=mastercolumn");
    }
    bool sql = grid.kind == SourceKind::SQLite || grid.kind == SourceKind::Postgres;
    if (!sql || grid.table.empty()) {
      in.Fail("Master", "a detail grid needs an SQLite or PostgreSQL table as its source");
    }
  }
  return grid;
}

}  // namespace

const GridSettings* SiteConfig::Find(const std::string& name) const {
  for (const GridSettings& grid : grids) {
    if (AsciiLowerCase(grid.name) == AsciiLowerCase(name)) return &grid;
  }
  return nullptr;
}

void CheckStructure(const SiteConfig& config) {
  std::string file = config.fileName.empty() ? "site configuration" : config.fileName;
  if (config.grids.empty()) throw ConfigError(file + ": no grid section");
  std::set<std::string> seen;
  std::set<std::string> masters;
  for (const GridSettings& grid : config.grids) {
    auto fail = [&](const std::string& key, const std::string& message) {
      throw ConfigError(file + ": [" + grid.name + "] " + key + ": " + message);
    };
    if (!ValidIdentifier(grid.name)) fail("(name)", "letters, digits and '_' only");
    if (!seen.insert(AsciiLowerCase(grid.name)).second) {
      fail("(name)", "a second grid of this name");
    }
    if (grid.master.empty()) continue;
    const GridSettings* master = config.Find(grid.master);
    if (master == nullptr) fail("Master", "no grid named '" + grid.master + "'");
    if (seen.count(AsciiLowerCase(grid.master)) == 0 || master == &grid) {
      fail("Master", "the master grid's section must come before its detail");
    }
    if (!masters.insert(AsciiLowerCase(grid.master)).second) {
      fail("Master", "grid '" + grid.master + "' already has a detail grid");
    }
  }
}

SiteConfig LoadSiteConfig(const std::string& fileName) {
  SiteConfig config;
  config.fileName = fileName;
  std::error_code ec;
  if (!fs::is_regular_file(fileName, ec)) {
    throw ConfigError(fileName + ": the site configuration file does not exist");
  }
  CSimpleIniA ini(true, false, false);
  if (ini.LoadFile(fileName.c_str()) < 0) {
    throw ConfigError(fileName + ": cannot be read as an INI file");
  }
  fs::path base = fs::absolute(fs::path(fileName), ec).parent_path();
  config.secretFile = (base / "zylgrid.secret").string();

  CSimpleIniA::TNamesDepend sections;
  ini.GetAllSections(sections);
  sections.sort(CSimpleIniA::Entry::LoadOrder());
  for (const auto& section : sections) {
    std::string name = section.pItem;
    if (name.empty()) {
      CSimpleIniA::TNamesDepend keys;
      ini.GetAllKeys("", keys);
      if (!keys.empty()) {
        throw ConfigError(fileName + ": key '" + std::string(keys.front().pItem) +
                          "' stands before the first section");
      }
      continue;
    }
    // [Users] and [Audit] without a Source key: a grid may bear those names.
    bool grid = ini.GetValue(name.c_str(), "Source") != nullptr;
    if (AsciiLowerCase(name) == "page") {
      ReadPage(ini, fileName, base, config);
    } else if (AsciiLowerCase(name) == "users" && !grid) {
      CSimpleIniA::TNamesDepend keys;
      ini.GetAllKeys(name.c_str(), keys);
      SectionReader users(ini, fileName, name);
      for (const auto& key : keys) {
        std::string hash = users.Text(key.pItem);
        if (hash.rfind("$argon2id$", 0) != 0) {
          users.Fail(key.pItem, "expected an Argon2id hash (zylgrid passwd makes one)");
        }
        config.access.users[key.pItem] = hash;
      }
    } else if (AsciiLowerCase(name) == "audit" && !grid) {
      SectionReader audit(ini, fileName, name);
      fs::path p(audit.Text("File"));
      if (p.empty()) audit.Fail("File", "no file name given");
      config.access.auditFile = (p.is_absolute() ? p : base / p).lexically_normal().string();
    } else {
      config.grids.push_back(ReadGrid(ini, fileName, base, name));
    }
  }
  CheckStructure(config);
  const AccessSettings& a = config.access;
  for (const GridSettings& g : config.grids) {
    if ((!g.readers.empty() || !g.editors.empty()) && a.users.empty() && a.usersFile.empty() &&
        a.remoteUserHeader.empty()) {
      throw ConfigError(fileName + ": [" + g.name + "] " +
                        (g.readers.empty() ? "Editors" : "Readers") +
                        ": needs [Users], [Page] UsersFile or RemoteUserHeader");
    }
  }
  return config;
}

std::string FindConfigFile(const std::string& option, const std::string& executable) {
  if (!option.empty()) return option;
  std::string env;
  if (zyl::GetEnvVar("ZYLGRID_CONFIG", env) && !env.empty()) return env;
  fs::path exe(executable);
  return (exe.parent_path() / (exe.stem().string() + ".ini")).string();
}

std::string LoadSiteSecret(const SiteConfig& config) {
  const std::string& file = config.secretFile;
  if (file.empty()) return {};
  auto fail = [&](const std::string& why) {
    return ConfigError((config.fileName.empty() ? "site configuration" : config.fileName) +
                       ": [Page] SecretFile '" + file + "': " + why);
  };
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    // Written whole under a name of its own, then linked into place: a
    // reader never sees half a secret, and a second maker keeps the first.
    std::string temp = file + "." + zyl::CreateGuidString() + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    std::string text = zyl::ToBase64Url(zyl::RandomBytes(32));
    bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) ::close(fd);
    bool linked = written && (::link(temp.c_str(), file.c_str()) == 0 || errno == EEXIST);
    ::unlink(temp.c_str());
    if (!linked) throw fail("cannot be made");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) throw fail("cannot be read");
  std::stringstream text;
  text << in.rdbuf();
  std::string secret = Trim(text.str(), " \t\r\n");
  if (secret.size() < 16) throw fail("holds fewer than 16 characters");
  return secret;
}

std::string DefaultImagesDir(const std::string& executable) {
  std::error_code ec;
  fs::path installed = fs::path(executable).parent_path() / ".." / "share" / "zylhg" / "images";
  if (fs::is_regular_file(installed / "GBevel.gif", ec)) {
    return fs::absolute(installed, ec).lexically_normal().string();
  }
  return ZYLGRID_SOURCE_IMAGES;
}

}  // namespace zylgrid
