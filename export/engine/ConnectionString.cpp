#include "export/engine/ConnectionString.h"

#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "platform/Text.h"

namespace zyl::exporting {
namespace {

[[noreturn]] void Malformed(std::string_view text, const std::string& why) {
  throw EOleException("Jet engine: connection string '" + std::string(text) + "': " + why);
}

}  // namespace

bool IsJetProvider(std::string_view provider) {
  return SameAsciiText(TrimView(provider, " \t"), kJetProvider);
}

ConnectionSettings ParseConnectionString(std::string_view text) {
  ConnectionSettings settings;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t eq = text.find('=', i);
    const std::size_t semi = text.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      if (TrimView(text.substr(i, semi == std::string_view::npos ? semi : semi - i), " \t")
              .empty()) {
        i = semi == std::string_view::npos ? text.size() : semi + 1;
        continue;
      }
      Malformed(text, "a pair without '='");
    }
    const std::string_view key = TrimView(text.substr(i, eq - i), " \t");
    std::size_t j = eq + 1;
    while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
    std::string value;
    if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
      const char quote = text[j++];
      while (true) {
        if (j >= text.size()) Malformed(text, "a quoted value is not closed");
        if (text[j] == quote) {
          if (j + 1 < text.size() && text[j + 1] == quote) {
            value += quote;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        value += text[j++];
      }
      while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
      if (j < text.size() && text[j] != ';') Malformed(text, "text after a quoted value");
    } else {
      const std::size_t end = text.find(';', j);
      value = std::string(
          TrimView(text.substr(j, end == std::string_view::npos ? end : end - j), " \t"));
      j = end == std::string_view::npos ? text.size() : end;
    }
    i = j < text.size() ? j + 1 : j;

    if (SameAsciiText(key, "Provider")) {
      settings.provider = value;
    } else if (SameAsciiText(key, "Data Source")) {
      settings.dataSource = value;
    } else if (SameAsciiText(key, "User ID")) {
      settings.userId = value;
    } else if (SameAsciiText(key, "Password")) {
      settings.password = value;
    } else if (SameAsciiText(key, "Mode") || SameAsciiText(key, "Persist Security Info") ||
               (key.size() > 10 && SameAsciiText(key.substr(0, 10), "Jet OLEDB:"))) {
      // Accepted and without effect: the engine has no sharing modes or options.
    } else {
      Malformed(text, "unknown property '" + std::string(key) + "'");
    }
  }
  return settings;
}

}  // namespace zyl::exporting
