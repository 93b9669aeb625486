// The upgrade driver: synchronises the court tables with the catalogue and,
// when the shipped release is newer (or none is recorded), refreshes the
// reference data and records the shipped release number.

#ifndef COURT_PROVISIONING_UPGRADE_DRIVER_H_
#define COURT_PROVISIONING_UPGRADE_DRIVER_H_

#include "provisioning/module2.h"

namespace court::provisioning {

void UpgradeCourtDatabase(Module2& run);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_UPGRADE_DRIVER_H_
