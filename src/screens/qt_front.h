// The screens front: the splash screen, the main screen with the whole run
// in its load, and the data-drive screen when a fresh installation needs it.
// A failure that no step handles shows a message box with the error's number
// and description, then ends the program.

#ifndef COURT_SCREENS_QT_FRONT_H_
#define COURT_SCREENS_QT_FRONT_H_

#include "screens/options.h"

namespace court::screens {

// Returns the program's exit code: kExitDone when the main screen is closed,
// kExitFailure after a failure, kExitUsage when the installation was cancelled.
int RunScreens(const Options& options, int& argc, char** argv);

}  // namespace court::screens

#endif  // COURT_SCREENS_QT_FRONT_H_
