// Who may log in. The listener asks an Authenticator for every login.

#ifndef COURT_PLATFORM_TDS_AUTHENTICATOR_H_
#define COURT_PLATFORM_TDS_AUTHENTICATOR_H_

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/mssql/security.h"
#include "platform/mssql/server.h"

namespace court::tds {

struct Credentials {
  std::string login;
  std::string password;
  std::string client;  // the client's address ("host:port"), for a check that counts failures
};

class Authenticator {
 public:
  virtual ~Authenticator() = default;
  // The login when it exists, may log in and the password is its own; null
  // otherwise. Called from several connections at once.
  virtual std::optional<mssql::Principal> Check(const Credentials& credentials) = 0;
};

// Checks logins against master's syslogins. Failed attempts from one host
// slow down that host's next attempts (after a few free ones, each waits
// twice as long as the one before, up to a few seconds) until it has
// stayed quiet for a minute. Only a couple of password hashes are computed
// at once, which bounds the memory that many logins at once take.
class LoginAuthenticator : public Authenticator {
 public:
  explicit LoginAuthenticator(mssql::Server& engine) : engine_(engine) {}
  std::optional<mssql::Principal> Check(const Credentials& credentials) override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Failures {
    int count = 0;
    Clock::time_point last;
  };

  Clock::duration Delay(const std::string& host);
  void Failed(const std::string& host);
  std::optional<mssql::Principal> Verify(const Credentials& credentials);

  mssql::Server& engine_;
  std::mutex mutex_;  // guards everything below
  std::condition_variable free_slot_;
  int hashing_ = 0;
  std::map<std::string, Failures> failures_;  // by host
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_AUTHENTICATOR_H_
