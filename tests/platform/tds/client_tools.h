// The TDS clients the network tests drive: FreeTDS (tsql, and its ODBC
// driver through pyodbc), jTDS and tedious. None of them is ours.

#ifndef COURT_TESTS_PLATFORM_TDS_CLIENT_TOOLS_H_
#define COURT_TESTS_PLATFORM_TDS_CLIENT_TOOLS_H_

#include <string>

namespace court::testing {

// The node_modules folder holding tedious, installed into the build folder
// the first time (test programs starting together wait for one install).
std::string TediousModules();

// The folder holding the compiled jTDS clients (Scenario, Connect).
std::string CompiledJavaScenario();

// Runs tsql with the batch on its standard input; returns what it printed
// (standard output and standard error as written).
std::string Tsql(int port, const std::string& input, const std::string& password, int* status);
// The same as another login; freetds_conf: a freetds.conf to use instead
// of the machine's (encryption settings), or empty.
std::string TsqlAs(int port, const std::string& login, const std::string& password, const std::string& input,
                   int* status, const std::string& freetds_conf = "");

}  // namespace court::testing

#endif  // COURT_TESTS_PLATFORM_TDS_CLIENT_TOOLS_H_
