// The server a run works on, named by a --server SPEC.
//
// "embedded:DIR" is the embedded server rooted at DIR: its databases in DIR,
// its drives in DIR/drives, on this machine. "odbc:CONNECTION" is a SQL
// Server (or court-server) reached through ODBC, maybe on another machine:
// its files are reached through the server itself, and this machine's own
// drives (for the temporary file) are below Options::local_root. The
// installer's own connections never name a server ("(local)"); this is
// where "(local)" is decided.

#ifndef COURT_SCREENS_SERVER_SPEC_H_
#define COURT_SCREENS_SERVER_SPEC_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/driver.h"
#include "platform/system/files.h"
#include "screens/options.h"

namespace court::screens {

struct Server {
  std::unique_ptr<access::Driver> driver;             // answers the SQLOLEDB connection strings
  std::unique_ptr<system::ServerFiles> files;         // the server's files, by Windows path
  std::unique_ptr<system::Files> local_files;         // this machine's drives, by Windows path
  std::string computer_name;                          // the server's machine, as clients name it
  std::string backup_root;  // where backups go without --backup-dir: DIR/backups on the embedded server
};

// Throws UsageError for a SPEC this build cannot serve, and access::Error 17
// for a server that cannot be reached.
Server OpenServer(const Options& options);

// For an embedded server never used before, which opening sets up (master,
// drives C and D), the drives it will have; nothing for a server in use or
// one reached through ODBC. Lets a fresh installation that cannot go ahead
// stop before the server is touched. Throws UsageError as OpenServer.
std::optional<std::vector<std::string>> DrivesOfUnusedServer(std::string_view spec);

}  // namespace court::screens

#endif  // COURT_SCREENS_SERVER_SPEC_H_
