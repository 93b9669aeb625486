// The headless front: the installation run without windows.
//
// The splash screen's load, the main screen's load and the installation run
// happen as with the screens; a fresh installation takes its drive from
// --drive. At the end the main screen's texts go to out, one per line:
// Lab提示(0), Lab提示(1) (its CR LF as a line break), Lab提示(2), Texfwq.
// A failure prints "error NUMBER: DESCRIPTION" to err.

#ifndef COURT_SCREENS_HEADLESS_H_
#define COURT_SCREENS_HEADLESS_H_

#include <ostream>

#include "screens/options.h"

namespace court::screens {

// Returns the program's exit code (kExitDone, kExitFailure or kExitUsage).
int RunHeadless(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace court::screens

#endif  // COURT_SCREENS_HEADLESS_H_
