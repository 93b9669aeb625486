#include "provisioning/run_lock.h"

#include <cstdlib>

#include "platform/access/error.h"

#include "provisioning/connections.h"

namespace court::provisioning {
namespace {

constexpr char kLockKind[] = "lock";
std::string Resource() { return std::string("@Resource = N'") + kRunLockResource + "', @LockOwner = N'Session'"; }

}  // namespace

access::Error AnotherInstallationRunning(int wait_seconds) {
  return access::Error(1222, "Another installation is running on this server; waited " +
                                 std::to_string(wait_seconds) +
                                 " seconds for it to finish. Run again when it has finished.");
}

RunLock::RunLock(const RunState& run, int wait_seconds) : session_(run.sources) {
  OpenMasterConnection(run, session_);
  const access::ResultSet status = session_.Query(
      "declare @status int exec @status = sp_getapplock " + Resource() +
          ", @LockMode = N'Exclusive', @LockTimeout = " + std::to_string(wait_seconds * 1000) + " select @status",
      kLockKind);
  if (status.rows.empty() || status.rows[0][0].is_null() ||
      std::atoll(status.rows[0][0].ToText().c_str()) < 0) {
    session_.Close();
    throw AnotherInstallationRunning(wait_seconds);
  }
}

RunLock::~RunLock() {
  try {
    session_.Execute("exec sp_releaseapplock " + Resource(), kLockKind);
    session_.Close();
  } catch (const std::exception&) {
    // Closing the session lets the lock go anyway.
  }
}

}  // namespace court::provisioning
