// Who may log in. The listener asks an Authenticator for every login; the
// only one today knows the administrator login sa and its password.

#ifndef COURT_PLATFORM_TDS_AUTHENTICATOR_H_
#define COURT_PLATFORM_TDS_AUTHENTICATOR_H_

#include <string>

namespace court::tds {

struct Credentials {
  std::string login;
  std::string password;
  std::string client;  // the client's address, for a check that counts failures
};

class Authenticator {
 public:
  virtual ~Authenticator() = default;
  // True when the login exists and the password is its own. Called from
  // several connections at once.
  virtual bool Check(const Credentials& credentials) = 0;
};

// Admits sa (in any letter case, as login names compare) with one password.
class AdministratorAuthenticator : public Authenticator {
 public:
  explicit AdministratorAuthenticator(std::string password) : password_(std::move(password)) {}
  bool Check(const Credentials& credentials) override;

 private:
  std::string password_;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_AUTHENTICATOR_H_
