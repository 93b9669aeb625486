// For建立硬盘: the data-drive screen of a fresh installation.
//
// Shown modally. The create button runs the creation for the drive chosen in
// Drive1 while the screen is open; cancel, or closing the window, ends the
// installation without touching the server.

#ifndef COURT_SCREENS_DRIVE_SCREEN_H_
#define COURT_SCREENS_DRIVE_SCREEN_H_

#include <exception>
#include <string>
#include <vector>

#include <QComboBox>
#include <QDialog>

#include "screens/screens.h"

namespace court::screens {

class DriveScreen : public QDialog {
 public:
  // drives as "C:", "D:", ...; the first one, or C: when present, is selected.
  DriveScreen(const std::vector<std::string>& drives, QWidget* owner = nullptr);

  // Shows the screen modally; true once create has run, false on cancel.
  // A failure of create closes the screen and passes on from here.
  bool Run(const CreateOnDrive& create);

 private:
  void Create();

  QComboBox* drive_list_;  // Drive1
  const CreateOnDrive* create_ = nullptr;
  std::exception_ptr failure_;
};

}  // namespace court::screens

#endif  // COURT_SCREENS_DRIVE_SCREEN_H_
