#include "screens/drive_screen.h"

#include "provisioning/connections.h"
#include "screens/failure_box.h"
#include "screens/form_layout.h"

#include <QKeyEvent>

namespace court::screens {

DriveScreen::DriveScreen(const std::vector<std::string>& drives, const std::string& current, QWidget* owner)
    : QDialog(owner) {
  setObjectName(QStringLiteral("For建立硬盘"));
  SetUpForm(*this, QStringLiteral("建立数据窗口"), 4620, 3375);
  const std::string court(provisioning::kCourtDatabase);
  QLabel* hint = AddLabel(*this, QStringLiteral("Label1"),
                          LabelText("请选择数据文件保存的硬盘，然后点建立数据库。\r\n"
                                    "    (注意：数据库文件每年约增加1G到2G，硬盘要有足够的空间来保存数据。)"),
                          Twips(240, 240, 4095, 735));
  SetTextColour(*hint, QColor(128, 0, 0));
  AddLabel(*this, QStringLiteral("安装数据的硬盘"), QStringLiteral("安装数据的硬盘"),
           Twips(720, 1200, 1455, 255));
  drive_list_ = new QComboBox(this);
  drive_list_->setObjectName(QStringLiteral("Drive1"));
  drive_list_->setGeometry(Twips(2400, 1200, 1575, 300));
  for (const std::string& drive : drives) drive_list_->addItem(QString::fromStdString(drive));
  drive_list_->setCurrentIndex(std::max(0, drive_list_->findText(QString::fromStdString(current))));
  QLabel* directory = AddLabel(
      *this, QStringLiteral("Label2"),
      LabelText("    安装后将在此硬盘中生成“" + court + "_SQL数据”的目录，数据文件将保存在此目录中。"),
      Twips(240, 1680, 4215, 735));
  SetTextColour(*directory, QColor(0, 128, 128));
  QPushButton* create =
      AddButton(*this, QStringLiteral("Command1"), QStringLiteral("建立数据库"), Twips(720, 2520, 1575, 375));
  QPushButton* cancel =
      AddButton(*this, QStringLiteral("Command2"), QStringLiteral("取消安装"), Twips(2520, 2520, 1575, 375));
  // Command1 comes first in the tab order, and so has the focus.
  setTabOrder(create, cancel);
  setTabOrder(cancel, drive_list_);
  create->setDefault(true);
  create->setFocus();
  connect(create, &QPushButton::clicked, this, [this] { Create(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool DriveScreen::Run(const installation::CreateOnDrive& create) {
  create_ = &create;
  failure_ = nullptr;
  const int result = exec();
  create_ = nullptr;
  // Errors must not cross Qt's event loop: the press keeps its failure until
  // the modal loop has ended, and it passes on from here.
  if (failure_) std::rethrow_exception(failure_);
  return result == QDialog::Accepted;
}

void DriveScreen::Create() {
  try {
    (*create_)(drive_list_->currentText().toStdString());
  } catch (const std::exception& error) {
    ShowFailureBox(error, this);
    failure_ = std::make_exception_ptr(FailureShown());
  } catch (...) {
    failure_ = std::current_exception();
  }
  accept();
}

void DriveScreen::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return event->ignore();
  QDialog::keyPressEvent(event);
}

}  // namespace court::screens
