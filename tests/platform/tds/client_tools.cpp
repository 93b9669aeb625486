#include "tests/platform/tds/client_tools.h"

#include <filesystem>
#include <stdexcept>

#include "tests/support/server_process.h"

namespace court::testing {

namespace {

const std::string kClients = COURT_SOURCE_DIR "/tests/platform/tds/clients";

// Runs a set-up step once across test programs: under a lock, unless done exists.
void OnceUnderLock(const std::string& folder, const std::string& done, const std::string& command,
                   const std::string& what) {
  std::filesystem::create_directories(folder);
  int status = 0;
  RunCommand("flock " + ShellQuoted(folder + "/.lock") + " sh -c " +
                 ShellQuoted("[ -e " + ShellQuoted(done) + " ] || { " + command + "; }") + " >&2",
             &status);
  if (status != 0) throw std::runtime_error(what + " failed");
}

}  // namespace

std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string TediousModules() {
  const std::string prefix = COURT_BUILD_DIR "/tds-clients";
  const std::string modules = prefix + "/node_modules";
  OnceUnderLock(prefix, modules + "/tedious",
                "NODE_EXTRA_CA_CERTS=\"${NODE_EXTRA_CA_CERTS:-/etc/ssl/certs/ca-certificates.crt}\" "
                "timeout 300 npm install --silent --no-audit --no-fund --prefix " + ShellQuoted(prefix) +
                    " tedious@18.6.2",
                "npm install of tedious");
  return modules;
}

std::string CompiledJavaScenario() {
  const std::string folder = COURT_BUILD_DIR "/tds-clients/java";
  OnceUnderLock(folder, folder + "/Connect.class",
                "javac -encoding UTF-8 -d " + ShellQuoted(folder) + " " + ShellQuoted(kClients + "/Scenario.java") +
                    " " + ShellQuoted(kClients + "/Connect.java"),
                "compiling the jTDS clients");
  return folder;
}

std::string Tsql(int port, const std::string& input, const std::string& password, int* status) {
  return TsqlAs(port, "sa", password, input, status);
}

std::string TsqlAs(int port, const std::string& login, const std::string& password, const std::string& input,
                   int* status, const std::string& freetds_conf) {
  const std::string conf = freetds_conf.empty() ? "" : "FREETDSCONF=" + ShellQuoted(freetds_conf) + " ";
  return RunCommand("printf '%s' " + ShellQuoted(input) + " | " + conf + "timeout 60 tsql -H 127.0.0.1 -p " +
                        std::to_string(port) + " -U " + ShellQuoted(login) + " -P " + ShellQuoted(password) +
                        " 2>&1",
                    status);
}

}  // namespace court::testing
