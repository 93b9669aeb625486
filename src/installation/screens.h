// What the installation run asks of the screens.
//
// The run itself knows no window system: the Qt screens and the headless
// front each implement Screens, so both drive the same installation code.

#ifndef COURT_INSTALLATION_SCREENS_H_
#define COURT_INSTALLATION_SCREENS_H_

#include <functional>
#include <stdexcept>
#include <string>

namespace court::installation {

// The create button's procedure of the data-drive screen, given the chosen
// drive ("D:").
using CreateOnDrive = std::function<void(const std::string& drive)>;

class Screens {
 public:
  virtual ~Screens() = default;

  // Shows the data-drive screen modally. When the administrator presses the
  // create button, create runs for the chosen drive while the screen is still
  // open, and the call returns true once the screen has closed. Returns false
  // when the installation was cancelled (cancel button or window closed):
  // then nothing has been sent to the server.
  virtual bool ShowDataDriveScreen(const CreateOnDrive& create) = 0;

  // Lab提示 element 0: the outcome of the run.
  virtual void SetOutcome(const std::string& text) = 0;
  // Lab提示 element 1: where the data files are.
  virtual void SetLocation(const std::string& text) = 0;
};

// Thrown when the administrator cancels the data-drive screen: the program
// ends at once, without a message.
class InstallationCancelled : public std::runtime_error {
 public:
  InstallationCancelled() : std::runtime_error("the installation was cancelled") {}
};

}  // namespace court::installation

#endif  // COURT_INSTALLATION_SCREENS_H_
