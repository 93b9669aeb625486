// Maintenance on every run: the two hand-over views are recreated and
// duplicate rows of 常用数据 and 案由 are removed, one surplus row at a time.

#ifndef COURT_INSTALLATION_MAINTENANCE_H_
#define COURT_INSTALLATION_MAINTENANCE_H_

#include "platform/access/connection.h"

namespace court::installation {

// Runs on an open court connection that the caller opened and will close.
void RecreateViews(access::Connection& court);
void RemoveDuplicates(access::Connection& court);

}  // namespace court::installation

#endif  // COURT_INSTALLATION_MAINTENANCE_H_
