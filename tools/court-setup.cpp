// court-setup: installs or upgrades the court and mail databases from a
// release's table.mdb. The screens by default; --headless without windows;
// --plan tells what a run would do.

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "screens/headless.h"
#include "screens/options.h"
#include "screens/plan_run.h"
#ifdef COURT_SETUP_SCREENS
#include "screens/qt_front.h"
#endif

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace court::screens;
  Options options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), Environment("COURT_SETUP_SERVER"),
                           Environment("HOME"));
    options.password = Environment("COURT_SETUP_PASSWORD");
    if (options.log_dir.empty()) options.log_dir = DefaultLogDir(Environment("XDG_STATE_HOME"), Environment("HOME"));
  } catch (const UsageError& error) {
    std::cerr << "court-setup: " << error.what() << "\nTry 'court-setup --help'.\n";
    return kExitUsage;
  }
  if (options.help) {
    std::cout << UsageText();
    return kExitDone;
  }
  if (options.plan != PlanFormat::kNone) return RunPlan(options, std::cout, std::cerr);
  if (options.headless) return RunHeadless(options, std::cout, std::cerr);
#ifdef COURT_SETUP_SCREENS
  return RunScreens(options, argc, argv);
#else
  std::cerr << "court-setup: this build has no screens (Qt 6 was not found); use --headless\n";
  return kExitUsage;
#endif
}
