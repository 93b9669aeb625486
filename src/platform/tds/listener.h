// The listening socket: accepts clients and serves each on a thread of its
// own until the server is asked to stop.

#ifndef COURT_PLATFORM_TDS_LISTENER_H_
#define COURT_PLATFORM_TDS_LISTENER_H_

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/tds/context.h"

namespace court::tds {

// The address cannot be listened on; the text says which and why.
class ListenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Listener {
 public:
  // Binds host:port (port 0: any free port). Throws ListenError.
  Listener(ServerContext& context, const std::string& host, std::uint16_t port);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  std::uint16_t port() const { return port_; }

  // Accepts clients until the context's stop descriptor becomes readable,
  // then waits until every connection has finished its request and closed.
  void Run();

 private:
  void Start(int fd);

  ServerContext& context_;
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::size_t active_ = 0;    // connections being served
  std::uint16_t next_spid_ = 51;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_LISTENER_H_
