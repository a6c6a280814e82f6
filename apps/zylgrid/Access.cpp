#include "apps/zylgrid/Access.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "apps/zylgrid/PagePolicy.h"
#include "platform/Digest.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "request/FormProtocol.h"
#include "request/RequestChannel.h"

namespace zylgrid {

namespace fs = std::filesystem;

namespace {

// Failed sign-ins an address may make before it is held back kFirstWait
// seconds; each one after that doubles the wait, up to kLongestWait.
constexpr int kFreeFailures = 5;
constexpr std::int64_t kFirstWait = 30;
constexpr std::int64_t kLongestWait = 900;
constexpr std::size_t kMaxSignInBody = 4096;

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool ValidUserName(const std::string& name) {
  return !name.empty() && name.size() <= 64 &&
         std::all_of(name.begin(), name.end(), [](unsigned char c) {
           return std::isalnum(c) != 0 || c == '_' || c == '-' || c == '.' || c == '@';
         });
}

// The value of cookie `name` in a Cookie header, "" when absent.
std::string CookieValue(const std::string& header, const std::string& name) {
  std::size_t at = 0;
  while (at < header.size()) {
    std::size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string pair = zyl::Trim(header.substr(at, end - at), " \t");
    if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 &&
        pair[name.size()] == '=') {
      return pair.substr(name.size() + 1);
    }
    at = end + 1;
  }
  return {};
}

// The CGI variable of request header `header` ("X-Remote-User": HTTP_X_REMOTE_USER).
std::string HeaderVariable(const std::string& header) {
  std::string name = "HTTP_";
  for (char c : header)
    name += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

bool Listed(const std::vector<std::string>& names, const std::string& user) {
  if (names.empty()) return true;  // not given: every signed-in user
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return n == "*" || n == user; });
}

// The query a visitor asked for before signing in, to return to afterwards:
// only a query string of URL characters (no line breaks, no scheme or host:
// the answer's Location is "?" followed by it), else none.
std::string ReturnQuery(const std::string& query) {
  constexpr std::size_t kLongest = 2048;
  if (query.size() > kLongest || query.rfind("zg=", 0) == 0) return {};
  for (unsigned char c : query) {
    if (!std::isalnum(c) && std::string_view("-._~%&=+!$'()*,;:@/?").find(static_cast<char>(c)) ==
                                std::string_view::npos) {
      return {};
    }
  }
  return query;
}

std::string Field(const zyl::form::FormFields& fields, const std::string& name) {
  for (const auto& f : fields)
    if (f.name == name) return f.value;
  return {};
}

void SendText(zyl::RequestChannel& channel, int status, const std::string& text) {
  channel.SendPage(status, "text/plain; charset=UTF-8", text + "\n");
}

// Writes `text` to `file` whole: a temporary file renamed into place.
bool ReplaceFile(const std::string& file, const std::string& text) {
  std::string temp = file + "." + zyl::CreateGuidString() + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  bool written =
      fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fd >= 0) written = ::close(fd) == 0 && written;
  if (written && ::rename(temp.c_str(), file.c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}

}  // namespace

std::string HashPassword(const std::string& password) {
  if (sodium_init() < 0) throw zyl::Exception("libsodium cannot be initialised");
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    throw zyl::Exception("out of memory hashing a password");
  }
  return hash;
}

bool CheckPassword(const std::string& hash, const std::string& password) {
  if (sodium_init() < 0 || hash.rfind("$argon2id$", 0) != 0) return false;
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::map<std::string, std::string> ReadUsersFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) throw ConfigError(file + ": the users file cannot be read");
  std::map<std::string, std::string> users;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = zyl::Trim(line, " \t\r");
    if (line.empty() || line[0] == '#') continue;
    std::size_t colon = line.find(':');
    std::string name = line.substr(0, colon);
    if (colon == std::string::npos || !ValidUserName(name) ||
        line.find(':', colon + 1) != std::string::npos) {
      throw ConfigError(file + ":" + std::to_string(number) + ": expected name:hash");
    }
    users[name] = line.substr(colon + 1);
  }
  return users;
}

void SetUserPassword(const std::string& file, const std::string& user,
                     const std::string& password) {
  if (!ValidUserName(user)) {
    throw zyl::Exception("'" + user + "': a user name holds letters, digits and _ - . @ only");
  }
  std::map<std::string, std::string> users;
  std::error_code ec;
  if (fs::exists(file, ec)) users = ReadUsersFile(file);
  users[user] = HashPassword(password);
  std::string text;
  for (const auto& [name, hash] : users) text += name + ":" + hash + "\n";
  if (!ReplaceFile(file, text)) throw zyl::Exception(file + ": cannot be written");
}

// The user list: the configuration's [Users] and the users file, read again
// when the file changes (a `zylgrid passwd` takes effect without a restart).
struct Access::Users {
  std::mutex mutex;
  std::map<std::string, std::string> fromFile;
  struct timespec stamp {};
  off_t size = -1;
};

Access::Access(const SiteConfig& config, const std::string& secret, std::string throttleDir)
    : config_(config), throttleDir_(std::move(throttleDir)), users_(std::make_unique<Users>()) {
  const AccessSettings& a = config.access;
  enabled_ = !a.users.empty() || !a.usersFile.empty() || !a.remoteUserHeader.empty();
  key_ = zyl::HmacSha256(secret.empty() ? zyl::RandomBytes(32) : secret, "zylgrid session");
  if (throttleDir_.empty()) throttleDir_ = (fs::temp_directory_path() / "zylgrid-signin").string();
  if (!a.usersFile.empty()) UserHash("");  // a bad file fails at start
}

Access::~Access() = default;

std::string Access::UserHash(const std::string& user) const {
  const AccessSettings& a = config_.access;
  if (auto it = a.users.find(user); it != a.users.end()) return it->second;
  if (a.usersFile.empty()) return {};
  std::lock_guard<std::mutex> lock(users_->mutex);
  struct stat st {};
  if (::stat(a.usersFile.c_str(), &st) != 0) {
    users_->fromFile.clear();
    users_->size = -1;
  } else if (st.st_size != users_->size || st.st_mtim.tv_sec != users_->stamp.tv_sec ||
             st.st_mtim.tv_nsec != users_->stamp.tv_nsec) {
    users_->fromFile = ReadUsersFile(a.usersFile);
    users_->size = st.st_size;
    users_->stamp = st.st_mtim;
  }
  auto it = users_->fromFile.find(user);
  return it == users_->fromFile.end() ? std::string() : it->second;
}

std::string Access::SessionValue(const std::string& user, std::int64_t expires) const {
  std::string data = user + "|" + std::to_string(expires) + "|" + UserHash(user);
  return zyl::ToBase64Url(user) + "." + std::to_string(expires) + "." +
         zyl::ToBase64Url(zyl::HmacSha256(key_, data));
}

std::optional<std::string> Access::SessionUser(const std::string& value, std::int64_t now) const {
  std::size_t dot1 = value.find('.');
  std::size_t dot2 = dot1 == std::string::npos ? dot1 : value.find('.', dot1 + 1);
  if (dot2 == std::string::npos || value.size() > 512) return std::nullopt;
  std::optional<std::string> user = zyl::FromBase64Url(value.substr(0, dot1));
  std::string expiry = value.substr(dot1 + 1, dot2 - dot1 - 1);
  if (!user || !ValidUserName(*user) || expiry.empty() || expiry.size() > 18 ||
      expiry.find_first_not_of("0123456789") != std::string::npos || std::stoll(expiry) <= now) {
    return std::nullopt;
  }
  std::string hash = UserHash(*user);
  if (hash.empty()) return std::nullopt;  // no longer a user
  std::string expected = SessionValue(*user, std::stoll(expiry));
  if (!zyl::SameBytes(expected, value)) return std::nullopt;
  return user;
}

GridRole Access::RoleOf(const GridSettings& grid, const std::string& user) const {
  if (!enabled_) return grid.editable ? GridRole::Edit : GridRole::Read;
  // Editors not given: the readers of an editable grid edit it.
  bool reads = Listed(grid.readers, user);
  bool edits = grid.editors.empty() ? reads : Listed(grid.editors, user);
  if (grid.editable && edits) return GridRole::Edit;
  return edits || reads ? GridRole::Read : GridRole::None;
}

std::vector<GridRole> Access::Roles(const std::string& user) const {
  std::vector<GridRole> roles;
  for (const GridSettings& grid : config_.grids) {
    GridRole role = RoleOf(grid, user);
    // A detail is shown inside its master only.
    if (!grid.master.empty()) {
      for (std::size_t m = 0; m < roles.size(); ++m) {
        if (zyl::AnsiSameText(config_.grids[m].name, grid.master) && roles[m] == GridRole::None)
          role = GridRole::None;
      }
    }
    roles.push_back(role);
  }
  return roles;
}

std::string Access::ThrottleFile(const std::string& address) const {
  return throttleDir_ + "/" + zyl::ToBase64Url(zyl::Sha256(address).substr(0, 12));
}

bool Access::HeldBack(const std::string& address, std::int64_t now) const {
  std::ifstream in(ThrottleFile(address));
  long long failures = 0, until = 0;
  return static_cast<bool>(in >> failures >> until) && until > now;
}

void Access::NoteSignIn(const std::string& address, bool ok, std::int64_t now) const {
  std::string file = ThrottleFile(address);
  if (ok) {
    ::unlink(file.c_str());
    return;
  }
  long long failures = 0, until = 0;
  std::ifstream(file) >> failures >> until;
  ++failures;
  if (failures >= kFreeFailures) {
    int steps = static_cast<int>(std::min<long long>(failures - kFreeFailures, 10));
    until = now + std::min<std::int64_t>(kFirstWait << steps, kLongestWait);
  }
  std::error_code ec;
  fs::create_directories(throttleDir_, ec);
  ::chmod(throttleDir_.c_str(), 0700);
  ReplaceFile(file, std::to_string(failures) + " " + std::to_string(until) + "\n");
}

std::optional<Visitor> Access::Admit(zyl::RequestChannel& channel,
                                     const AddHeader& addHeader) const {
  Visitor visitor;
  visitor.address = channel.GetVariable("REMOTE_ADDR");
  if (!enabled_) {
    visitor.roles = Roles("");
    return visitor;
  }
  const AccessSettings& a = config_.access;
  const std::int64_t now = Now();
  const std::string query = channel.GetVariable("QUERY_STRING");
  const bool post = channel.GetVariable("REQUEST_METHOD") == "POST";
  const bool secure = zyl::AsciiLowerCase(channel.GetVariable("HTTPS")) == "on";
  auto setCookie = [&](const std::string& value, std::int64_t maxAge) {
    addHeader("Set-Cookie", std::string(kSessionCookie) + "=" + value +
                                "; Path=/; Max-Age=" + std::to_string(maxAge) +
                                "; HttpOnly; SameSite=Strict" + (secure ? "; Secure" : ""));
  };
  auto redirect = [&](const std::string& back) {
    addHeader("Location", "?" + ReturnQuery(back));
    channel.SendPage(303, "text/plain; charset=UTF-8", "See other\n");
  };
  if (!a.remoteUserHeader.empty() && std::find(a.trustedProxies.begin(), a.trustedProxies.end(),
                                               visitor.address) != a.trustedProxies.end()) {
    visitor.user = channel.GetVariable(HeaderVariable(a.remoteUserHeader));
  }
  if (post && (query == "zg=signin" || query == "zg=signout") && IsCrossSite(channel)) {
    // Another site's form must not sign the visitor in (to its own
    // account) nor out.
    SendText(channel, 403, "Forbidden: signing in and out is done on this site's own page.");
    return std::nullopt;
  }
  if (visitor.user.empty() && (!a.users.empty() || !a.usersFile.empty())) {
    if (post && query == "zg=signin") {
      if (HeldBack(visitor.address, now)) {
        addHeader("Retry-After", "60");
        SendText(channel, 429, "Too many failed sign-ins from this address; try again later.");
        return std::nullopt;
      }
      std::int64_t length = 0;
      try {
        length = std::stoll(channel.GetVariable("CONTENT_LENGTH"));
      } catch (const std::exception&) {
      }
      zyl::form::FormFields fields =
          length > 0 ? channel.ReadFields(length, kMaxSignInBody, 16) : zyl::form::FormFields{};
      std::string user = Field(fields, "zg_user");
      const std::string back = ReturnQuery(Field(fields, "zg_back"));
      std::string hash = ValidUserName(user) ? UserHash(user) : std::string();
      bool ok = CheckPassword(hash, Field(fields, "zg_password"));
      NoteSignIn(visitor.address, ok, now);
      if (!ok) {
        channel.SendPage(401, "text/html; charset=UTF-8", SignInPage(config_, true, back));
        return std::nullopt;
      }
      const std::int64_t life = std::int64_t{a.sessionMinutes} * 60;
      setCookie(SessionValue(user, now + life), life);
      redirect(back);
      return std::nullopt;
    }
    std::string cookie = CookieValue(channel.GetVariable("HTTP_COOKIE"), kSessionCookie);
    if (std::optional<std::string> user = SessionUser(cookie, now)) visitor.user = *user;
    if (!visitor.user.empty() && post && query == "zg=signout") {
      setCookie("", 0);
      redirect("");
      return std::nullopt;
    }
    if (visitor.user.empty()) {
      channel.SendPage(401, "text/html; charset=UTF-8",
                       SignInPage(config_, false, ReturnQuery(query)));
      return std::nullopt;
    }
  }
  if (visitor.user.empty()) {
    SendText(channel, 403, "Forbidden: this site is reached through its signing-in proxy.");
    return std::nullopt;
  }
  visitor.roles = Roles(visitor.user);
  if (std::none_of(visitor.roles.begin(), visitor.roles.end(),
                   [](GridRole r) { return r != GridRole::None; })) {
    SendText(channel, 403, "Forbidden: no table of this site is open to " + visitor.user + ".");
    return std::nullopt;
  }
  return visitor;
}

std::string SignInPage(const SiteConfig& config, bool failed, const std::string& back) {
  std::string title = zyl::EscapeHtml(config.title);
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"UTF-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Sign in "
         "- " +
         title +
         "</title>\n<style>body{font-family:sans-serif;background:#eef0f3;margin:0}"
         "form{max-width:20em;margin:4em auto;background:#fff;padding:1.5em;border:1px solid "
         "#c9ced6}"
         "label,input{display:block;width:100%;margin:.3em 0}.zg-error{color:#a00}</style>\n"
         "</head>\n<body>\n<form method=\"POST\" action=\"?zg=signin\" class=\"zg-signin\">\n<h1>" +
         title + "</h1>\n" +
         (failed ? "<p class=\"zg-error\" role=\"alert\">Wrong user name or password.</p>\n" : "") +
         "<label for=\"zg_user\">User name</label><input id=\"zg_user\" name=\"zg_user\" "
         "autocomplete=\"username\" required>\n"
         "<label for=\"zg_password\">Password</label><input id=\"zg_password\" "
         "name=\"zg_password\" "
         "type=\"password\" autocomplete=\"current-password\" required>\n" +
         (back.empty() ? std::string()
                       : "<input type=\"hidden\" name=\"zg_back\" value=\"" + zyl::EscapeHtml(back) +
                             "\">\n") +
         "<input type=\"submit\" value=\"Sign in\">\n</form>\n</body>\n</html>\n";
}

std::string UserBar(const std::string& user) {
  return "<form class=\"zg-user\" method=\"POST\" action=\"?zg=signout\">Signed in as " +
         zyl::EscapeHtml(user) + " <input type=\"submit\" value=\"Sign out\"></form>\n";
}

}  // namespace zylgrid
