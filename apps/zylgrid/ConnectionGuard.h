// What one client may hold of `zylgrid serve`: a cap on the connections
// open from one address, a deadline for a connection's first request head
// and one for the whole connection. The HTTP library reads a request
// without a deadline of its own (only one per read), so a client that
// sends a header line every few seconds would hold a worker for as long
// as it likes, and a few addresses could hold them all.
//
// The guard sees each connection as it is accepted: zylgrid-serve defines
// accept() (ConnectionGuard.cpp), which the library's listening loop calls,
// and hands it the new socket; a connection over its address's cap is
// closed at once. A watchdog shuts down the sockets that miss a deadline,
// which ends the library's read of them (it then closes them).
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace zylgrid {

struct ConnectionLimits {
  int perAddress = 16;                 // open connections from one address
  std::chrono::seconds firstHead{10};  // until the first request's head is read
  std::chrono::seconds life{300};      // of a connection (keep-alive requests included)
};

class ConnectionGuard {
 public:
  // Guards the connections accepted from now on until it goes (one guard
  // at a time per process).
  explicit ConnectionGuard(ConnectionLimits limits);
  ~ConnectionGuard();
  ConnectionGuard(const ConnectionGuard&) = delete;
  ConnectionGuard& operator=(const ConnectionGuard&) = delete;

  // The head of a request from `address`:`port` was read (the server's
  // pre-routing handler tells it).
  void HeadRead(const std::string& address, int port);

  // Called by accept() for each new socket: false when its address has
  // its cap of connections open (the caller closes it).
  bool Admit(int socket);

 private:
  struct Connection {
    std::string address;
    int port = 0;
    std::chrono::steady_clock::time_point accepted;
    bool headRead = false;
  };
  // Drops the connections whose socket is closed or now another one's
  // (the caller holds mutex_).
  void Forget();
  void Watch();

  const ConnectionLimits limits_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::map<int, Connection> open_;  // by socket
  std::thread watchdog_;
};

}  // namespace zylgrid
