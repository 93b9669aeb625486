// What the server says about the service login vek, for checks after a run.

#ifndef COURT_TESTS_PROVISIONING_SERVICE_LOGIN_CHECKS_H_
#define COURT_TESTS_PROVISIONING_SERVICE_LOGIN_CHECKS_H_

#include <set>
#include <string>
#include <vector>

#include "tests/support/installation.h"

namespace court::provisioning::testing {

// The statements that make sure the login exists, as sent: the query for a
// database named like the login, the login batch and the six role statements.
std::vector<std::string> LoginStatements();

// The texts of the sent statements, in order.
std::vector<std::string> SqlOf(const std::vector<court::testing::Sent>& sent);

// One row per login named vek: name, default database, language and the
// server roles serveradmin..bulkadmin, sysadmin, securityadmin (1/0).
std::vector<std::string> VekLogins(court::testing::Installation& installation);

// Whether the database has a user vek bound to this server's login vek.
bool VekIsUserBoundToLogin(court::testing::Installation& installation, const std::string& database);

// What vek holds in a database, one "object<TAB>action" each; statement
// permissions have the object NULL.
std::set<std::string> VekRights(court::testing::Installation& installation, const std::string& database);

// The rights of a user database that vek does not hold: its statement
// permissions, and per view, table, system table and procedure all that fits it.
std::set<std::string> RightsVekLacks(court::testing::Installation& installation, const std::string& database);

}  // namespace court::provisioning::testing

#endif  // COURT_TESTS_PROVISIONING_SERVICE_LOGIN_CHECKS_H_
