// Who the visitor is and what each grid lets them do: sign-in with the
// site's user list (Argon2id password hashes) and a signed session cookie,
// or the user a trusted reverse proxy names in a header; per grid Readers
// and Editors. A site without a user list and without RemoteUserHeader
// lets every visitor read and edit as configured (it must then stand
// behind a proxy that authenticates).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "apps/zylgrid/SiteConfig.h"

namespace zyl {
class RequestChannel;
}

namespace zylgrid {

// Adds one header to the answer the host is about to send.
using AddHeader = std::function<void(const std::string& name, const std::string& value)>;

// What a visitor may do with one grid.
enum class GridRole { None, Read, Edit };

// The visitor of one request: the user name ("" on a site without sign-in)
// and the role per grid of the configuration, in its order.
struct Visitor {
  std::string user;
  std::string address;  // REMOTE_ADDR
  std::vector<GridRole> roles;
};

// The session cookie's name.
inline constexpr const char* kSessionCookie = "zg_session";

// Argon2id hash of `password` in libsodium's text form ("$argon2id$...").
std::string HashPassword(const std::string& password);
// True when `password` matches `hash` (a hash in another form: false).
bool CheckPassword(const std::string& hash, const std::string& password);
// A users file: one "name:hash" line per user; blank lines and lines
// starting with '#' are skipped. Raises ConfigError for other lines.
std::map<std::string, std::string> ReadUsersFile(const std::string& file);
// Adds `user` to the users file (made when missing, mode 0600) or changes
// their password; the file is replaced whole. Raises zyl::Exception.
void SetUserPassword(const std::string& file, const std::string& user, const std::string& password);

class Access {
 public:
  // `secret`: the site's secret ("": one per process). `throttleDir`: the
  // folder of the failed sign-ins per address ("": the temporary folder).
  Access(const SiteConfig& config, const std::string& secret, std::string throttleDir = "");
  ~Access();

  // True when the site signs visitors in (users or a proxy's header).
  bool Enabled() const { return enabled_; }

  // Settles who the visitor is. Returns the visitor, or nullopt when this
  // request was answered here (the sign-in page, a sign-in or sign-out and
  // its redirect, 429 while an address is held back, 403 for a visitor who
  // may see no grid).
  std::optional<Visitor> Admit(zyl::RequestChannel& channel, const AddHeader& addHeader) const;

  // The session cookie's value for `user`, valid until `expires` (seconds
  // since the epoch), and the user a value names while valid at `now`.
  std::string SessionValue(const std::string& user, std::int64_t expires) const;
  std::optional<std::string> SessionUser(const std::string& value, std::int64_t now) const;

 private:
  struct Users;
  std::string UserHash(const std::string& user) const;
  GridRole RoleOf(const GridSettings& grid, const std::string& user) const;
  std::vector<GridRole> Roles(const std::string& user) const;
  bool HeldBack(const std::string& address, std::int64_t now) const;
  void NoteSignIn(const std::string& address, bool ok, std::int64_t now) const;
  std::string ThrottleFile(const std::string& address) const;

  const SiteConfig& config_;
  bool enabled_ = false;
  std::string key_;  // signs session cookies
  std::string throttleDir_;
  std::unique_ptr<Users> users_;
};

// The sign-in page (`failed`: after a wrong name or password; `back`: the
// query to return to once signed in, checked by the caller).
std::string SignInPage(const SiteConfig& config, bool failed, const std::string& back);
// The bar above the grids of a signed-in visitor: their name and sign-out.
std::string UserBar(const std::string& user);

}  // namespace zylgrid
