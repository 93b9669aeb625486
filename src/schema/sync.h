// Table synchronisation: make every catalogued table of a database match the
// release's catalogue. Missing tables are created, existing ones altered.
// The court and mail drivers are one procedure with two targets.

#ifndef COURT_SCHEMA_SYNC_H_
#define COURT_SCHEMA_SYNC_H_

#include "provisioning/run_state.h"

namespace court::schema {

// Every catalogue table except 邮箱 and 邮箱附件, in the court database 法院.
void SyncCourtTables(provisioning::RunState& run);
// The tables 邮箱 and 邮箱附件, in the mail database 内部邮件.
void SyncMailTables(provisioning::RunState& run);

}  // namespace court::schema

#endif  // COURT_SCHEMA_SYNC_H_
