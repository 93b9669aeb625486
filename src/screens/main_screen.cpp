#include "screens/main_screen.h"

#include "screens/drive_screen.h"
#include "screens/failure_box.h"
#include "screens/form_layout.h"
#include "installation/installation_run.h"
#include "installation/start_up.h"

namespace court::screens {

MainScreen::MainScreen(RunContext& context) : context_(context) {
  setObjectName(QStringLiteral("Forzy"));
  SetUpForm(*this, QStringLiteral("法院管理服务器安装"), 9555, 7740);
  QLabel* title = AddLabel(*this, QStringLiteral("Label1"), QStringLiteral("法院办公系统服务器安装管理程序"),
                           Twips(480, 240, 7455, 735));
  title->setFont(SongFont(21.75, false, true));
  SetTextColour(*title, QColor(0, 0, 192));
  AddLabel(*this, QStringLiteral("Label2"), QStringLiteral("服务器安装提示："), Twips(600, 1200, 2415, 255));
  prompts_ = {AddLabel(*this, QStringLiteral("Lab提示(0)"), QString(), Twips(1200, 1680, 8055, 375)),
              AddLabel(*this, QStringLiteral("Lab提示(1)"), QString(), Twips(1200, 2760, 6735, 375)),
              AddLabel(*this, QStringLiteral("Lab提示(2)"), QString(), Twips(1200, 4320, 8175, 735))};
  AddLabel(*this, QStringLiteral("Label3"), QStringLiteral("本服务器名称："), Twips(1800, 5280, 1455, 255));
  server_name_ = new QLineEdit(this);
  server_name_->setObjectName(QStringLiteral("Texfwq"));
  server_name_->setGeometry(Twips(3240, 5280, 2655, 375));
  support_ = AddLabel(*this, QStringLiteral("Label4"), QString(), Twips(1200, 6000, 6255, 1455));
}

void MainScreen::Load() {
  const std::string name = installation::ServerName(context_.ComputerName());
  prompts_[2]->setText(LabelText(installation::kClientNotice));
  server_name_->setText(QString::fromStdString(name));
  support_->setText(LabelText(installation::SupportInformation()));
  installation::InstallationRun(context_.run(), *this);
  ShowWarnings(context_.run().warnings, this);
}

bool MainScreen::ShowDataDriveScreen(const installation::CreateOnDrive& create) {
  DriveScreen screen(context_.Drives(), context_.CurrentDrive());
  return screen.Run(create);
}

void MainScreen::SetOutcome(const std::string& text) { prompts_[0]->setText(LabelText(text)); }

void MainScreen::SetLocation(const std::string& text) { prompts_[1]->setText(LabelText(text)); }

}  // namespace court::screens
