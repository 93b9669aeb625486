#include "upgrade/provisioning_steps.h"

#include "platform/access/connection.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "provisioning/service_login.h"
#include "upgrade/upgrade_driver.h"
#include "schema/sync.h"

namespace court::provisioning {

void ProvisioningStep(RunState& run) {
  EnsureServiceLogin(run);
  UpgradeCourtDatabase(run);
  GrantPass(run, std::string(kCourtDatabase));
}

void MailAccessStep(RunState& run) {
  run.shared_connection = access::Connection(run.sources);
  run.shared_recordset = access::Recordset();
  schema::SyncMailTables(run);
  GrantPass(run, std::string(kMailDatabase));
}

}  // namespace court::provisioning
