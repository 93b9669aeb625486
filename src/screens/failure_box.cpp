#include "screens/failure_box.h"

#include <QMessageBox>

#include "screens/failure.h"

namespace court::screens {

void ShowFailureBox(const std::exception& error, QWidget* owner) {
  const Failure failure = DescribeFailure(error);
  QMessageBox::critical(
      owner, QStringLiteral("court-setup"),
      QStringLiteral("错误 %1：%2").arg(failure.number).arg(QString::fromStdString(failure.description)));
}

}  // namespace court::screens
