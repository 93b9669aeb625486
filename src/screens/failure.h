// The failure rule: a failure that no step handles ends the program after
// showing the error's number and description.

#ifndef COURT_SCREENS_FAILURE_H_
#define COURT_SCREENS_FAILURE_H_

#include <exception>
#include <string>

namespace court::screens {

struct Failure {
  int number;
  std::string description;
};

// The number and description of what was thrown: a data-access error keeps
// its own; anything else is an internal error (51) with its message.
Failure DescribeFailure(const std::exception& failure);

}  // namespace court::screens

#endif  // COURT_SCREENS_FAILURE_H_
