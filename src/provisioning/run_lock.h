// The run lock: one installation at a time on a server.
//
// A run holds the application lock "court-setup" of master, owned by a
// session of its own that stays open for the whole run. A second run waits
// for it a bounded time and then stops before it has changed anything. The
// server lets the lock go when the holder's session ends, so a run that is
// killed or loses its connection never leaves it held.
//
// Its statements reach the transcript as kind "lock".

#ifndef COURT_PROVISIONING_RUN_LOCK_H_
#define COURT_PROVISIONING_RUN_LOCK_H_

#include "platform/access/connection.h"
#include "platform/access/error.h"
#include "provisioning/run_state.h"

namespace court::provisioning {

// The application lock's resource name, the same for every program that
// must not overlap an installation.
inline constexpr char kRunLockResource[] = "court-setup";

// The failure of a run that waited wait_seconds for another one: 1222.
access::Error AnotherInstallationRunning(int wait_seconds);

class RunLock {
 public:
  // Waits up to wait_seconds for the lock; throws access::Error 1222
  // ("another installation is running") when it is not granted by then.
  RunLock(const RunState& run, int wait_seconds);
  ~RunLock();  // releases the lock
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

 private:
  access::Connection session_;
};

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_RUN_LOCK_H_
