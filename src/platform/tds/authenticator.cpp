#include "platform/tds/authenticator.h"

#include <algorithm>
#include <cctype>

namespace court::tds {

namespace {

// Compares in time that does not depend on where the texts first differ.
bool SameSecret(const std::string& a, const std::string& b) {
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
  return diff == 0;
}

}  // namespace

bool AdministratorAuthenticator::Check(const Credentials& credentials) {
  std::string login = credentials.login;
  std::transform(login.begin(), login.end(), login.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const bool password_ok = SameSecret(credentials.password, password_);
  return login == "sa" && password_ok;
}

}  // namespace court::tds
