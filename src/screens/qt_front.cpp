#include "screens/qt_front.h"

#include <cstdlib>
#include <iostream>
#include <memory>

#include <QApplication>

#include "provisioning/run_lock.h"
#include "screens/failure_box.h"
#include "screens/form_layout.h"
#include "screens/main_screen.h"
#include "screens/run_context.h"
#include "screens/splash_screen.h"
#include "installation/start_up.h"

namespace court::screens {
namespace {

// Runs one step of the program under the failure rule. Returns false when
// the program must end, with the exit code in exit_code.
template <typename Step>
bool Guarded(Step step, int& exit_code) {
  try {
    step();
    return true;
  } catch (const installation::InstallationCancelled&) {
    exit_code = kExitUsage;
  } catch (const FailureShown&) {
    exit_code = kExitFailure;
  } catch (const std::exception& error) {
    ShowFailureBox(error);
    exit_code = kExitFailure;
  }
  return false;
}

}  // namespace

// Whether Qt has somewhere to show windows: a display, or a platform chosen
// by the caller (offscreen in tests).
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

int RunScreens(const Options& options, int& argc, char** argv) {
  if (!HasDisplay()) {
    std::cerr << "court-setup: no display to show the screens on; use --headless\n";
    return kExitUsage;
  }
  QApplication application(argc, argv);
  std::unique_ptr<RunContext> context;
  int exit_code = kExitDone;
  try {
    context = std::make_unique<RunContext>(options);
  } catch (const UsageError& error) {
    std::cerr << "court-setup: " << error.what() << '\n';
    return kExitUsage;
  } catch (const std::exception& error) {
    ShowFailureBox(error);
    return kExitFailure;
  }
  std::unique_ptr<provisioning::RunLock> lock;
  const auto start = [&] {
    lock = std::make_unique<provisioning::RunLock>(context->run(), options.lock_wait);
    installation::StartUp(context->run());
  };
  if (!Guarded(start, exit_code)) return exit_code;
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
