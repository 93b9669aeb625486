// The upgrade driver: synchronises the court tables with the catalogue and,
// when the shipped release is newer (or none is recorded), refreshes the
// reference data and records the shipped release number.

#ifndef COURT_UPGRADE_UPGRADE_DRIVER_H_
#define COURT_UPGRADE_UPGRADE_DRIVER_H_

#include <string_view>

#include "platform/access/recordset.h"
#include "provisioning/run_state.h"

namespace court::provisioning {

// Reads the counting release numbers of either side: the shipped one on the
// catalogue connection, the installed one on the court connection.
inline constexpr std::string_view kReleaseQuery = "SELECT 升级版本号 FROM 升级版本 where 升级版本号>0";

// The upgrade decision on the two open results of kReleaseQuery: due when the
// court records no release, or when both sides hold one and the shipped
// number is greater. Only the first row of each side counts; the numbers are
// compared as numbers, whatever their kind (integer, floating, currency).
bool UpgradeDue(access::Recordset& shipped, access::Recordset& installed);

void UpgradeCourtDatabase(RunState& run);

}  // namespace court::provisioning

#endif  // COURT_UPGRADE_UPGRADE_DRIVER_H_
