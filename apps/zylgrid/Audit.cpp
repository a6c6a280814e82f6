#include "apps/zylgrid/Audit.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "apps/zylgrid/Access.h"
#include "platform/Exception.h"
#include "platform/Utf8.h"

namespace zylgrid {

namespace {

// `text` as a JSON string: quotes, backslashes and control characters
// escaped, '?' for each byte that is not part of well-formed UTF-8.
std::string Json(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : zyl::WithValidUtf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Json(const std::optional<std::string>& value) {
  return value ? Json(*value) : "null";
}

}  // namespace

std::string AuditLine(std::int64_t time, const Visitor& visitor, const std::string& grid,
                      const zyl::TRecordChange& change) {
  std::time_t t = static_cast<std::time_t>(time);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  const char* action = change.kind == zyl::TRecordChangeKind::rcAdd      ? "add"
                       : change.kind == zyl::TRecordChangeKind::rcDelete ? "delete"
                                                                         : "update";
  std::string line = "{\"time\":\"" + std::string(stamp) + "\",\"user\":" + Json(visitor.user) +
                     ",\"address\":" + Json(visitor.address) + ",\"grid\":" + Json(grid) +
                     ",\"action\":\"" + action + "\",\"record\":" + Json(change.record);
  for (bool old : {true, false}) {
    line += old ? ",\"old\":{" : "},\"new\":{";
    bool first = true;
    for (const zyl::TFieldChange& f : change.fields) {
      if (old ? change.kind == zyl::TRecordChangeKind::rcAdd
              : change.kind == zyl::TRecordChangeKind::rcDelete)
        continue;
      line += (first ? "" : ",") + Json(f.field) + ":" + Json(old ? f.oldValue : f.newValue);
      first = false;
    }
  }
  return line + "}}\n";
}

void AppendAudit(const std::string& file, const Visitor& visitor, const std::string& grid,
                 const zyl::TRecordChange& change) {
  const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  std::string line = AuditLine(now, visitor, grid, change);
  int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) throw zyl::Exception("audit file '" + file + "': " + std::strerror(errno));
  ssize_t written = ::write(fd, line.data(), line.size());
  ::close(fd);
  if (written != static_cast<ssize_t>(line.size())) {
    throw zyl::Exception("audit file '" + file + "': a line could not be written whole");
  }
}

}  // namespace zylgrid
