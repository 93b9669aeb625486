// The headless front: the installation run without windows.
//
// The splash screen's load, the main screen's load and the installation run
// happen as with the screens; a fresh installation takes its drive from
// --drive. At the end the main screen's texts go to out, one per line:
// Lab提示(0), Lab提示(1) (its CR LF as a line break), Lab提示(2), Texfwq.
// A failure prints "error NUMBER: DESCRIPTION" to err.

#ifndef COURT_SCREENS_HEADLESS_H_
#define COURT_SCREENS_HEADLESS_H_

#include <functional>
#include <ostream>
#include <string>

#include "screens/options.h"
#include "screens/run_context.h"

namespace court::screens {

// What the main screen shows at the end of a run (Lab提示(1) with a line
// break for its CR LF).
struct MainScreenTexts {
  std::string outcome, location, server_name;
};

// Stops a fresh installation without --drive, or with a drive the server
// lacks, before anything is made on the server: throws UsageError.
void CheckFreshInstallation(const Options& options);

// One run on context's server as the headless front makes it: the run lock,
// start-up and the installation run, progress and warnings on err. Throws
// what the run throws.
MainScreenTexts HeadlessInstallation(const Options& options, RunContext& context, std::ostream& err);

// Runs a front and gives its exit code: a failure it throws is printed to
// err as the headless front prints failures.
int WithExitCode(std::ostream& err, const std::function<int()>& front);

// Returns the program's exit code (kExitDone, kExitFailure or kExitUsage).
int RunHeadless(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace court::screens

#endif  // COURT_SCREENS_HEADLESS_H_
