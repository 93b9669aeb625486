#include "tests/platform/tds/client_tools.h"

#include "tests/support/child_process.h"
#include "tests/support/shared_setup.h"

namespace court::testing {

namespace {

const std::string kClients = COURT_SOURCE_DIR "/tests/platform/tds/clients";

}  // namespace

std::string TediousModules() { return NpmModules(COURT_BUILD_DIR "/tds-clients", "tedious@18.6.2"); }

std::string CompiledJavaScenario() {
  const std::string folder = COURT_BUILD_DIR "/tds-clients/java";
  RunOnce(folder, folder + "/Connect.class",
          {.argv = {"javac", "-encoding", "UTF-8", "-d", folder, kClients + "/Scenario.java", kClients + "/Connect.java"}},
          "compiling the jTDS clients");
  return folder;
}

std::string Tsql(int port, const std::string& input, const std::string& password, int* status) {
  return TsqlAs(port, "sa", password, input, status);
}

std::string TsqlAs(int port, const std::string& login, const std::string& password, const std::string& input,
                   int* status, const std::string& freetds_conf) {
  Command command{.argv = {"tsql", "-H", "127.0.0.1", "-p", std::to_string(port), "-U", login, "-P", password},
                  .input = input,
                  .timeout = std::chrono::seconds(60),
                  .err_into_out = true};
  if (!freetds_conf.empty()) command.env["FREETDSCONF"] = freetds_conf;
  const ProgramResult run = RunProgram(command);
  *status = run.exit_code;
  return run.out;
}

}  // namespace court::testing
