#include "apps/zylgrid/ConnectionGuard.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace zylgrid {

namespace {

// The guard accept() consults (not owned; null: none).
std::atomic<ConnectionGuard*> current{nullptr};

// The address and port of the other end of `socket`; false when it is no
// connected socket (any more).
bool PeerOf(int socket, std::string& address, int& port) {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
  char text[INET6_ADDRSTRLEN] = "";
  if (peer.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(peer);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (peer.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(peer);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  } else {
    return false;
  }
  address = text;
  return true;
}

}  // namespace

ConnectionGuard::ConnectionGuard(ConnectionLimits limits)
    : limits_(limits), watchdog_([this] { Watch(); }) {
  current = this;
}

ConnectionGuard::~ConnectionGuard() {
  current = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_all();
  watchdog_.join();
}

void ConnectionGuard::HeadRead(const std::string& address, int port) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [socket, connection] : open_) {
    if (connection.port == port && connection.address == address) connection.headRead = true;
  }
}

bool ConnectionGuard::Admit(int socket) {
  Connection connection;
  if (!PeerOf(socket, connection.address, connection.port)) return true;
  connection.accepted = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(mutex_);
  Forget();
  int same = 0;
  for (const auto& [other, known] : open_) same += known.address == connection.address;
  if (same >= limits_.perAddress) return false;
  open_[socket] = std::move(connection);
  return true;
}

void ConnectionGuard::Forget() {
  for (auto it = open_.begin(); it != open_.end();) {
    std::string address;
    int port = 0;
    bool same = PeerOf(it->first, address, port) && port == it->second.port &&
                address == it->second.address;
    it = same ? std::next(it) : open_.erase(it);
  }
}

void ConnectionGuard::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_.wait_for(lock, std::chrono::milliseconds(500), [this] { return stopping_; })) {
    Forget();
    const auto now = std::chrono::steady_clock::now();
    for (auto it = open_.begin(); it != open_.end();) {
      const Connection& c = it->second;
      if ((!c.headRead && now - c.accepted > limits_.firstHead) ||
          now - c.accepted > limits_.life) {
        ::shutdown(it->first, SHUT_RDWR);  // the server's read ends; it closes the socket
        it = open_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

}  // namespace zylgrid

// The server library's listening loop accepts through this definition
// (the program's own comes before the C library's): each new connection is
// shown to the guard, and one over its address's cap is closed unanswered.
extern "C" int accept(int listening, sockaddr* address, socklen_t* length) {
  for (;;) {
    int socket = static_cast<int>(::syscall(SYS_accept4, listening, address, length, 0));
    zylgrid::ConnectionGuard* guard = zylgrid::current;
    if (socket < 0 || guard == nullptr || guard->Admit(socket)) return socket;
    ::close(socket);
  }
}
