#include "screens/qt_front.h"

#include <iostream>
#include <memory>

#include <QApplication>
#include <QMessageBox>

#include "screens/failure.h"
#include "screens/form_layout.h"
#include "screens/main_screen.h"
#include "screens/run_context.h"
#include "screens/splash_screen.h"
#include "screens/start_up.h"

namespace court::screens {
namespace {

void ShowFailure(const std::exception& error) {
  const Failure failure = DescribeFailure(error);
  QMessageBox::critical(
      nullptr, QStringLiteral("court-setup"),
      QStringLiteral("错误 %1：%2").arg(failure.number).arg(QString::fromStdString(failure.description)));
}

// Runs one step of the program under the failure rule. Returns false when
// the program must end, with the exit code in exit_code.
template <typename Step>
bool Guarded(Step step, int& exit_code) {
  try {
    step();
    return true;
  } catch (const InstallationCancelled&) {
    exit_code = kExitUsage;
  } catch (const std::exception& error) {
    ShowFailure(error);
    exit_code = kExitFailure;
  }
  return false;
}

}  // namespace

int RunScreens(const Options& options, int& argc, char** argv) {
  QApplication application(argc, argv);
  std::unique_ptr<RunContext> context;
  try {
    context = std::make_unique<RunContext>(options);
  } catch (const UsageError& error) {
    std::cerr << "court-setup: " << error.what() << '\n';
    return kExitUsage;
  }
  int exit_code = kExitDone;
  if (!Guarded([&] { StartUp(context->run()); }, exit_code)) return exit_code;
  MainScreen main_screen(*context);
  SplashScreen splash([&] {
    if (!Guarded([&] { main_screen.Load(); }, exit_code)) {
      QCoreApplication::exit(exit_code);
      return false;
    }
    ShowCentred(main_screen);
    return true;
  });
  ShowCentred(splash);
  return application.exec();
}

}  // namespace court::screens
