// OLE DB connection strings as the engine's catalog and connection take
// them: "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\db.mdb" or
// "Data Source=\"/tmp/x.mdb\"". Pairs are separated by ';'; a value in
// double (or single) quotes may hold ';', a doubled quote standing for one;
// an unquoted value runs to the next ';' and is trimmed. Keys ignore case.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace zyl::exporting {

struct ConnectionSettings {
  std::string provider;    // empty when not given
  std::string dataSource;  // empty when not given
  std::string userId;
  std::string password;
};

// Reads the pairs the Jet provider knows: Provider, Data Source, User ID,
// Password, Mode, Persist Security Info and "Jet OLEDB:..." options (the
// last three are accepted and ignored). Throws EOleException for a
// malformed string or another key.
ConnectionSettings ParseConnectionString(std::string_view text);

// True for the one provider the engine stands in for.
bool IsJetProvider(std::string_view provider);

inline constexpr const char* kJetProvider = "Microsoft.Jet.OLEDB.4.0";

}  // namespace zyl::exporting
