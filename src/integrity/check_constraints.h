// The court database's CHECK constraints, rebuilt from the catalogue's 约束表:
// every existing CHECK constraint is dropped, then each catalogue condition is
// added again (WITH NOCHECK) after the rows violating it are deleted, each
// row kept first in the run's archive (provisioning/archive_file.h).

#ifndef COURT_INTEGRITY_CHECK_CONSTRAINTS_H_
#define COURT_INTEGRITY_CHECK_CONSTRAINTS_H_

#include <string>

#include "provisioning/run_state.h"

namespace court::integrity {

void RebuildCheckConstraints(provisioning::RunState& run);
void DropCheckConstraints(provisioning::RunState& run);
void AddCheckConstraint(provisioning::RunState& run, const std::string& name,
                        const std::string& table, const std::string& condition);

}  // namespace court::integrity

#endif  // COURT_INTEGRITY_CHECK_CONSTRAINTS_H_
