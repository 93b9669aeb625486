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

#include "installation/screens.h"

namespace court::screens {

class DriveScreen : public QDialog {
 public:
  // drives as "C:", "D:", ...; current is selected when among them, else the first.
  DriveScreen(const std::vector<std::string>& drives, const std::string& current, QWidget* owner = nullptr);

  // Shows the screen modally; true once create has run, false on cancel.
  // A failure of create shows the failure box over the open screen, then
  // closes it and throws FailureShown.
  bool Run(const installation::CreateOnDrive& create);

 protected:
  // Esc does not cancel: only the cancel button and closing the window do.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Create();

  QComboBox* drive_list_;  // Drive1
  const installation::CreateOnDrive* create_ = nullptr;
  std::exception_ptr failure_;
};

}  // namespace court::screens

#endif  // COURT_SCREENS_DRIVE_SCREEN_H_
