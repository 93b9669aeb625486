// The server a run works on, named by a --server SPEC.
//
// "embedded:DIR" is the embedded server rooted at DIR: its databases in DIR,
// its drives in DIR/drives. The installer's own connections never name a
// server ("(local)"); this is where "(local)" is decided.

#ifndef COURT_SCREENS_SERVER_SPEC_H_
#define COURT_SCREENS_SERVER_SPEC_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/driver.h"
#include "platform/system/files.h"

namespace court::screens {

struct Server {
  std::unique_ptr<access::Driver> driver;  // answers the SQLOLEDB connection strings
  system::Files files;                     // the server's drives, by Windows path
};

// Throws UsageError for a SPEC this build cannot serve, and access::Error 17
// for a server that cannot be reached.
Server OpenServer(std::string_view spec);

// For a server never used before, which opening sets up (master, drives C
// and D), the drives it will have; nothing for a server in use. Lets a
// fresh installation that cannot go ahead stop before the server is touched.
// Throws UsageError as OpenServer.
std::optional<std::vector<std::string>> DrivesOfUnusedServer(std::string_view spec);

}  // namespace court::screens

#endif  // COURT_SCREENS_SERVER_SPEC_H_
