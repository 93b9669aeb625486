#include "provisioning/run_lock.h"

#include <cstdlib>

#include "platform/access/error.h"

#include "provisioning/connections.h"

namespace court::provisioning {
namespace {

constexpr char kLockKind[] = "lock";
constexpr char kResource[] = "@Resource = N'court-setup', @LockOwner = N'Session'";

}  // namespace

RunLock::RunLock(const RunState& run, int wait_seconds) : session_(run.sources) {
  OpenMasterConnection(run, session_);
  const access::ResultSet status = session_.Query(
      std::string("declare @status int exec @status = sp_getapplock ") + kResource +
          ", @LockMode = N'Exclusive', @LockTimeout = " + std::to_string(wait_seconds * 1000) + " select @status",
      kLockKind);
  if (status.rows.empty() || status.rows[0][0].is_null() ||
      std::atoll(status.rows[0][0].ToText().c_str()) < 0) {
    session_.Close();
    throw access::Error(1222, "Another installation is running on this server; waited " +
                                  std::to_string(wait_seconds) +
                                  " seconds for it to finish. Run again when it has finished.");
  }
}

RunLock::~RunLock() {
  try {
    session_.Execute(std::string("exec sp_releaseapplock ") + kResource, kLockKind);
    session_.Close();
  } catch (const std::exception&) {
    // Closing the session lets the lock go anyway.
  }
}

}  // namespace court::provisioning
