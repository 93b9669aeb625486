#include "screens/options.h"

#include <algorithm>
#include <filesystem>

#include "platform/text/ascii.h"

namespace court::screens {
namespace {

// "d:" or "D:" -> "D:"; anything else is not a drive.
std::string DriveArgument(const std::string& text) {
  if (text.size() != 2 || text[1] != ':' || !text::IsAsciiLetter(text[0]))
    throw UsageError("--drive wants a drive letter and a colon, such as D:, not '" + text + "'");
  return std::string(1, text::UpperChar(text[0])) + ":";
}

// A whole number of seconds, 0 to a day.
int Seconds(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 5 &&
                      std::all_of(text.begin(), text.end(), text::IsAsciiDigit);
  if (!digits || std::stoi(text) > 86400)
    throw UsageError("--lock-wait wants a number of seconds from 0 to 86400, not '" + text + "'");
  return std::stoi(text);
}

// --plan and --plan=text print the plan as text, --plan=json as JSON.
PlanFormat PlanArgument(const std::string& flag) {
  if (flag == "--plan" || flag == "--plan=text") return PlanFormat::kText;
  if (flag == "--plan=json") return PlanFormat::kJson;
  throw UsageError("--plan prints text, or JSON with --plan=json, not '" + flag + "'");
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& arguments, const std::string& environment_server,
                     const std::string& home) {
  Options options;
  options.server = environment_server.empty() ? "embedded:" + home + "/.local/share/court-setup/server"
                                              : environment_server;
  bool server_given = !environment_server.empty();
  // This machine's drives for the temporary file, when the server is elsewhere.
  options.local_root = (home.empty() ? std::filesystem::temp_directory_path() / "court-setup-client"
                                     : std::filesystem::path(home) / ".local/share/court-setup/client")
                           .string();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& flag = arguments[i];
    if (flag == "--help" || flag == "-h") {
      options.help = true;
      continue;
    }
    if (flag == "--headless") {
      options.headless = true;
      continue;
    }
    if (flag == "--quiet") {
      options.quiet = true;
      continue;
    }
    if (flag.starts_with("--plan")) {
      options.plan = PlanArgument(flag);
      options.headless = true;
      continue;
    }
    if (flag == "--no-backup") {
      options.no_backup = true;
      continue;
    }
    if (flag != "--drive" && flag != "--server" && flag != "--catalogue" && flag != "--transcript" &&
        flag != "--lock-wait" && flag != "--backup-dir" && flag != "--log-dir")
      throw UsageError("unknown argument '" + flag + "'");
    if (i + 1 == arguments.size()) throw UsageError(flag + " needs a value");
    const std::string& value = arguments[++i];
    if (flag == "--drive") options.drive = DriveArgument(value);
    if (flag == "--server") options.server = value, server_given = true;
    if (flag == "--catalogue") options.catalogue = value;
    if (flag == "--transcript") options.transcript = value;
    if (flag == "--lock-wait") options.lock_wait = Seconds(value);
    if (flag == "--backup-dir") options.backup_dir = value;
    if (flag == "--log-dir") options.log_dir = value;
  }
  // Without a home the default would be a server at the file system's root.
  if (!server_given && home.empty() && !options.help)
    throw UsageError("HOME is not set: give the server with --server embedded:DIR or COURT_SETUP_SERVER");
  if (!options.headless && options.drive)
    throw UsageError("--drive answers the data-drive screen of --headless");
  if (options.no_backup && options.backup_dir) throw UsageError("--backup-dir and --no-backup contradict each other");
  // Only the administrator knows which folder on a real server has room and
  // is itself backed up. A plan backs nothing up.
  if (options.server.starts_with("odbc:") && !options.backup_dir && !options.no_backup && !options.help &&
      options.plan == PlanFormat::kNone)
    throw UsageError("a server reached through ODBC needs --backup-dir PATH (a folder on the server, such as "
                     "D:\\backups) for the backups made before the databases change, or --no-backup");
  return options;
}

std::string DefaultLogDir(const std::string& xdg_state_home, const std::string& home) {
  if (!xdg_state_home.empty()) return (std::filesystem::path(xdg_state_home) / "court-setup/logs").string();
  if (!home.empty()) return (std::filesystem::path(home) / ".local/state/court-setup/logs").string();
  return (std::filesystem::temp_directory_path() / "court-setup-logs").string();
}

std::string UsageText() {
  return "Usage: court-setup [--headless [--drive X:] [--quiet]] [--plan[=json]] [--server SPEC]\n"
         "                   [--catalogue FILE] [--transcript FILE] [--lock-wait SECONDS]\n"
         "                   [--backup-dir PATH | --no-backup] [--log-dir DIR]\n"
         "\n"
         "Installs or upgrades the court database 法院 and the mail database 内部邮件 from a release's\n"
         "table.mdb, with the service login vek and its rights.\n"
         "\n"
         "  (no arguments)      the installer's screens\n"
         "  --headless          the same run without windows; prints the main screen's texts, one per line\n"
         "  --drive X:          headless: the drive for a fresh installation's data directory "
         "(X:\\法院_SQL数据);\n"
         "                      a fresh installation without it stops before anything is created\n"
         "  --server SPEC       embedded:DIR (the embedded server rooted at DIR), or odbc:CONNECTION (an ODBC\n"
         "                      connection string or DSN=name; the password from the string, else\n"
         "                      $COURT_SETUP_PASSWORD, else odbc.ini); default: $COURT_SETUP_SERVER,\n"
         "                      else embedded:$HOME/.local/share/court-setup/server\n"
         "  --catalogue FILE    the release's catalogue (default: table.mdb in the working directory)\n"
         "  --transcript FILE   writes one JSON line per statement and query sent, in order\n"
         "  --lock-wait SECONDS how long to wait while another installation runs on the server (default 60);\n"
         "                      then exit 1 with 'another installation is running', nothing changed\n"
         "  --backup-dir PATH   where 法院 and 内部邮件 are backed up before the run changes them, in a folder\n"
         "                      PATH\\YYYYMMDD-HHMMSS of their own: a folder on the server (embedded: a Windows\n"
         "                      path on its drives or a path of its machine; default DIR/backups); needed\n"
         "                      with odbc: servers\n"
         "  --no-backup         no backups\n"
         "  --log-dir DIR       rows the run deletes (CHECK constraint rebuild, duplicate cleanup) are kept first\n"
         "                      in DIR/YYYYMMDD-HHMMSS/archive.jsonl (default: $XDG_STATE_HOME/court-setup/logs,\n"
         "                      else ~/.local/state/court-setup/logs)\n"
         "  --quiet             headless: no progress lines on standard error\n"
         "  --plan[=json]       prints what the run would do, as text or JSON, and changes nothing: the run is\n"
         "                      rehearsed on a copy of the server (ODBC: of what the plan reads from it);\n"
         "                      implies --headless\n"
         "  --help              this text\n"
         "\n"
         "Exit codes: 0 done; 1 failure (headless: 'error NUMBER: DESCRIPTION' on standard error; work done\n"
         "before it stays, a rerun after the cause is fixed completes); 2 usage, or an installation that "
         "was\n"
         "cancelled or lacked --drive (no database is created; the login vek, made at start-up, stays).\n";
}

}  // namespace court::screens
