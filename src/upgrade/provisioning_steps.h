// The two steps that bring a database up to the release: they drive the
// schema sync and the reference data, so they sit above both, while the
// login, the grants and the connections they use sit below.

#ifndef COURT_UPGRADE_PROVISIONING_STEPS_H_
#define COURT_UPGRADE_PROVISIONING_STEPS_H_

#include "provisioning/run_state.h"

namespace court::provisioning {

// Login and roles, the upgrade driver, then database access and grants in 法院.
void ProvisioningStep(RunState& run);

// The mail table synchronisation, then database access and grants in 内部邮件.
void MailAccessStep(RunState& run);

}  // namespace court::provisioning

#endif  // COURT_UPGRADE_PROVISIONING_STEPS_H_
