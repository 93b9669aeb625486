// What every connection of a running server shares: the engine, who may
// log in, the TLS identity, the limits, and the signal that the server is
// stopping.

#ifndef COURT_PLATFORM_TDS_CONTEXT_H_
#define COURT_PLATFORM_TDS_CONTEXT_H_

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/mssql/server.h"
#include "platform/tds/authenticator.h"
#include "platform/tds/tls.h"

namespace court::tds {

struct Limits {
  std::size_t max_connections = 256;
  std::size_t max_request = 256u << 20;    // bytes in one batch or call
  std::size_t max_login_request = 64u << 10;  // bytes in a message before login
  std::size_t max_packet = 32767;
  int io_timeout_ms = 60000;     // a started message or a reply must move on within this
  int login_timeout_ms = 60000;  // from connecting to logging in
};

class ServerContext {
 public:
  // stop_fd: a descriptor that becomes readable when the server is to stop.
  // require_encryption: clients that will not use TLS are turned away.
  ServerContext(mssql::Server& served, Authenticator& logins, const TlsContext& tls_context,
                bool encryption_required, Limits connection_limits, int stop_descriptor, std::string name)
      : engine(served), authenticator(logins), tls(tls_context), require_encryption(encryption_required),
        limits(connection_limits), stop_fd(stop_descriptor), server_name(std::move(name)) {}

  // One line on standard error; lines of several connections never mix.
  void Log(std::string_view line);

  mssql::Server& engine;
  Authenticator& authenticator;
  const TlsContext& tls;
  const bool require_encryption;
  const Limits limits;
  const int stop_fd;
  const std::string server_name;

 private:
  std::mutex log_mutex_;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_CONTEXT_H_
