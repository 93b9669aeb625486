// court-setup --plan: what a run would do, printed, with nothing changed.
//
// On the embedded server the run is rehearsed in full on a copy of it, made in a
// scratch directory while the run lock keeps installations away (the
// server stays free for court-server and court-sqlcmd, whose committed work
// the copy takes as it stands). The rehearsal's writes make the plan
// (plan.h); then the copy is deleted. The server's own files are only read.
//
// A server reached through ODBC cannot be copied, and the run's later steps
// read what its earlier ones wrote, so its plan is rehearsed on a mirror
// that its reads build (plan_mirror.h); the plan then says what it cannot
// foresee. --transcript records the rehearsal's statements on the embedded
// server, the plan's reads and lock on a server reached through ODBC;
// --drive, --catalogue and --lock-wait mean what they mean for a run.

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
