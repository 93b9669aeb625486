// The command line of court-setup.
//
// No arguments: the screens. --headless runs the same installation without
// windows, the data-drive screen answered by --drive. --server names the
// server (default: the environment's COURT_SETUP_SERVER, else an embedded
// server in the user's data folder), --catalogue the release's table.mdb,
// --transcript a file that records every statement sent, --lock-wait how long
// to wait for another installation on the server, --quiet silences the
// headless progress lines. --plan (text) and --plan=json print what a run
// would do instead of doing it; a plan is always headless. --backup-dir and
// --no-backup say where the databases are backed up before a run changes
// them, --log-dir where the rows it deletes are archived.

#ifndef COURT_SCREENS_OPTIONS_H_
#define COURT_SCREENS_OPTIONS_H_

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace court::screens {

// A command line that cannot be run, or a fresh installation without a
// drive: the program ends with exit code 2 and touches nothing.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class PlanFormat { kNone, kText, kJson };

struct Options {
  bool help = false;
  bool headless = false;
  std::optional<std::string> drive;  // "D:", upper case
  std::string server;                // "embedded:DIR" or "odbc:..."
  std::string catalogue = "table.mdb";
  std::string transcript;  // empty: none kept
  int lock_wait = 60;      // seconds a run waits for another installation on the server
  bool quiet = false;      // headless: no progress lines on standard error
  PlanFormat plan = PlanFormat::kNone;
  // A folder on the server for the backups (embedded default: DIR/backups);
  // none with --no-backup.
  std::optional<std::string> backup_dir;
  bool no_backup = false;
  std::string log_dir;  // the archives of removed rows go below it; see DefaultLogDir
  // odbc: servers only. The login's password (COURT_SETUP_PASSWORD; never an
  // argument), and the folder whose drives/ hold this machine's own files.
  std::string password;
  std::string local_root;
};

// Exit codes of the program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Parses the arguments after the program name. environment_server is
// COURT_SETUP_SERVER (empty when unset), home is $HOME. Throws UsageError.
Options ParseOptions(const std::vector<std::string>& arguments, const std::string& environment_server,
                     const std::string& home);

// Where archives of removed rows go without --log-dir: $XDG_STATE_HOME/court-setup/logs,
// else $HOME/.local/state/court-setup/logs, else below the temporary folder.
std::string DefaultLogDir(const std::string& xdg_state_home, const std::string& home);

// What --help prints.
std::string UsageText();

}  // namespace court::screens

#endif  // COURT_SCREENS_OPTIONS_H_
