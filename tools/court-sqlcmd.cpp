// court-sqlcmd -S SERVER [-U LOGIN [-P PASSWORD]] [-d DATABASE] -Q "BATCH" | -i FILE
//
// Runs one T-SQL batch, given or read whole from FILE (for a batch longer
// than a command line may be), and prints its result sets; errors go to standard
// error and make the exit status 1. SERVER is the root directory of an
// embedded server, "odbc:CONNECTION" (an ODBC connection string or
// DSN=name), or, with -U, a server on the network as "host[,port]" reached
// through FreeTDS's ODBC driver. The password comes from -P, else the
// environment's SQLCMDPASSWORD (or the connection string, or odbc.ini).

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/result_text.h"
#include "platform/odbc/connection_settings.h"
#include "platform/odbc/odbc_driver.h"

namespace {

struct Arguments {
  std::string server, login, password, database = "master", batch;
  bool has_batch = false, has_password = false;
};

int Usage() {
  std::cerr << "usage: court-sqlcmd -S DIR|odbc:CONNECTION|HOST[,PORT] [-U LOGIN [-P PASSWORD]] "
               "[-d DATABASE] -Q \"BATCH\" | -i FILE\n";
  return 2;
}

// Prints the result sets; returns whether any message was an error.
template <typename Outcome>
bool Print(const Outcome& outcome) {
  for (std::size_t i = 0; i < outcome.results.size(); ++i)
    std::cout << (i ? "\n" : "") << court::mssql::ResultText(outcome.results[i]);
  bool failed = false;
  for (const court::access::Error& e : outcome.messages) {
    if (e.severity() <= 10) continue;
    std::cerr << court::mssql::ErrorText(e);
    failed = true;
  }
  return failed;
}

// "host[,port]" with a login: FreeTDS's driver on that address.
std::string NetworkConnection(const Arguments& a) {
  const std::size_t comma = a.server.find(',');
  const std::string host = a.server.substr(0, comma);
  const std::string port = comma == std::string::npos ? "1433" : a.server.substr(comma + 1);
  return "Driver=FreeTDS;Server=" + host + ";Port=" + port +
         ";UID=" + court::odbc::QuotedAttribute(a.login);
}

bool RunOverOdbc(const Arguments& a, const std::string& connection) {
  const char* environment = std::getenv("SQLCMDPASSWORD");
  const std::string password = a.has_password ? a.password : environment ? environment : "";
  court::odbc::OdbcDriver driver(court::odbc::ConnectionSettings(connection, password));
  return Print(driver.Open(a.database)->Run(a.batch));
}

bool RunEmbedded(const Arguments& a) {
  court::mssql::EmbeddedDriver driver(a.server);
  return Print(driver.Open(a.database)->Run(a.batch));
}

bool ReadBatch(const char* file, std::string& batch) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "court-sqlcmd: cannot read " << file << "\n";
    return false;
  }
  batch.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments a;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == "-S") a.server = argv[++i];
    else if (arg == "-U") a.login = argv[++i];
    else if (arg == "-P") a.password = argv[++i], a.has_password = true;
    else if (arg == "-d") a.database = argv[++i];
    else if (arg == "-Q") a.batch = argv[++i], a.has_batch = true;
    else if (arg == "-i") a.has_batch = ReadBatch(argv[++i], a.batch);
    else return Usage();
  }
  if (a.server.empty() || !a.has_batch) return Usage();
  try {
    bool failed;
    if (a.server.starts_with("odbc:")) failed = RunOverOdbc(a, a.server.substr(5));
    else if (!a.login.empty()) failed = RunOverOdbc(a, NetworkConnection(a));
    else failed = RunEmbedded(a);
    return failed ? 1 : 0;
  } catch (const court::access::Error& e) {
    std::cerr << court::mssql::ErrorText(e);
    return 1;
  }
}
