// Maintenance on every run: the two hand-over views are recreated and
// duplicate rows of 常用数据 and 案由 are removed, one surplus row at a time.

#ifndef COURT_SCREENS_MAINTENANCE_H_
#define COURT_SCREENS_MAINTENANCE_H_

#include "platform/access/connection.h"
#include "provisioning/module2.h"

namespace court::screens {

// Runs on an open court connection that the caller opened and will close.
void RecreateViews(access::Connection& court);
// Each row is kept in the run's archive before it is deleted.
void RemoveDuplicates(provisioning::Module2& run, access::Connection& court);

}  // namespace court::screens

#endif  // COURT_SCREENS_MAINTENANCE_H_
