// Forzy: the main screen, the installer's result screen.
//
// Its load sets the fixed texts and this server's name, then runs the whole
// installation; it is shown only after that. During the run it is the
// Screens the run talks to: it opens the data-drive screen and receives the
// outcome and location texts.

#ifndef COURT_SCREENS_MAIN_SCREEN_H_
#define COURT_SCREENS_MAIN_SCREEN_H_

#include <array>
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "screens/run_context.h"
#include "installation/screens.h"

namespace court::screens {

class MainScreen : public QWidget, public installation::Screens {
 public:
  explicit MainScreen(RunContext& context);

  // The load: fixed texts, the server name, then the installation run.
  // Failures pass on (the screen is then never shown).
  void Load();

  bool ShowDataDriveScreen(const installation::CreateOnDrive& create) override;
  void SetOutcome(const std::string& text) override;
  void SetLocation(const std::string& text) override;

 private:
  RunContext& context_;
  std::array<QLabel*, 3> prompts_;  // Lab提示
  QLineEdit* server_name_;          // Texfwq
  QLabel* support_;                 // Label4
};

}  // namespace court::screens

#endif  // COURT_SCREENS_MAIN_SCREEN_H_
