// court-setup --plan: what a run would do, printed, with nothing changed.
//
// The run is rehearsed in full on a copy of the embedded server, made in a
// scratch directory while the run lock keeps installations away (the
// server stays free for court-server and court-sqlcmd, whose committed work
// the copy takes as it stands). The rehearsal's writes make the plan
// (plan.h); then the copy is deleted. The server's own files are only read.
//
// A server reached through ODBC cannot be copied, and the run's later
// steps read what its earlier ones wrote, so it has no plan: exit 2.
// --transcript records the rehearsal's statements; --drive, --catalogue and
// --lock-wait mean what they mean for a run.

#ifndef COURT_SCREENS_PLAN_RUN_H_
#define COURT_SCREENS_PLAN_RUN_H_

#include <ostream>

#include "screens/options.h"

namespace court::screens {

// Prints the plan to out in options.plan's format. Returns kExitDone,
// kExitFailure (the rehearsal failed as the run would: "error N: ..." on
// err) or kExitUsage.
int RunPlan(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace court::screens

#endif  // COURT_SCREENS_PLAN_RUN_H_
