// The service login vek: its creation with six server roles, its database
// users, and every right on every object of a database.

#ifndef COURT_PROVISIONING_SERVICE_LOGIN_H_
#define COURT_PROVISIONING_SERVICE_LOGIN_H_

#include <string>
#include <string_view>
#include <vector>

#include "provisioning/run_state.h"

namespace court::provisioning {

// The same in every installation: client programs carry it.
inline constexpr std::string_view kLoginPassword = "pobtrew47";

// The nine-line login batch (CR LF between lines) and the six role statements.
std::string LoginBatch();
std::vector<std::string> ServerRoleStatements();

// On the shared connection (master): unless a database named like the login
// exists, sends the login batch and the role statements. Used at start-up and
// by the provisioning step.
void EnsureServiceLogin(RunState& run);

// Database access and every right in the named database.
void GrantPass(RunState& run, const std::string& database);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_SERVICE_LOGIN_H_
