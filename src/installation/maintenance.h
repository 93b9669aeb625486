// Maintenance on every run: the two hand-over views are recreated and
// duplicate rows of 常用数据 and 案由 are removed, one surplus row at a time.

#ifndef COURT_INSTALLATION_MAINTENANCE_H_
#define COURT_INSTALLATION_MAINTENANCE_H_

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::installation {

// Runs on an open court connection that the caller opened and will close.
void RecreateViews(access::Connection& court);
// Each row is kept in the run's archive before it is deleted.
void RemoveDuplicates(provisioning::RunState& run, access::Connection& court);

}  // namespace court::installation

#endif  // COURT_INSTALLATION_MAINTENANCE_H_
