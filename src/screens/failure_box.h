// The program-wide failure rule on screen: the message box with the error's
// number and description; and the box with the run's warnings.

#ifndef COURT_SCREENS_FAILURE_BOX_H_
#define COURT_SCREENS_FAILURE_BOX_H_

#include <exception>
#include <string>
#include <vector>

class QWidget;

namespace court::screens {

// Shows the failure box over owner (centred on the screen without one).
void ShowFailureBox(const std::exception& error, QWidget* owner = nullptr);

// The run's warnings, one a line, in a warning box over owner; nothing
// when there are none.
void ShowWarnings(const std::vector<std::string>& warnings, QWidget* owner);

// Thrown on from a screen that has shown the failure box itself, while it
// was still open; the program then ends as after any failure.
struct FailureShown {};

}  // namespace court::screens

#endif  // COURT_SCREENS_FAILURE_BOX_H_
