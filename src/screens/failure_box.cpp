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

void ShowWarnings(const std::vector<std::string>& warnings, QWidget* owner) {
  if (warnings.empty()) return;
  QStringList lines;
  for (const std::string& warning : warnings) lines << QString::fromStdString(warning);
  QMessageBox::warning(owner, QStringLiteral("court-setup"), lines.join(QLatin1Char('\n')));
}

}  // namespace court::screens
