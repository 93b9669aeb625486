#include "screens/headless.h"

#include <algorithm>
#include <chrono>

#include "provisioning/run_lock.h"
#include "screens/failure.h"
#include "installation/installation_run.h"
#include "screens/run_context.h"
#include "installation/start_up.h"

namespace court::screens {
namespace {

// A fresh installation needs --drive naming one of the server's drives.
void CheckDrive(const std::optional<std::string>& drive, const std::vector<std::string>& drives) {
  if (!drive) throw UsageError("the server has no court database yet: a fresh installation needs --drive X:");
  if (std::find(drives.begin(), drives.end(), *drive) == drives.end())
    throw UsageError("the server has no drive " + *drive);
}

// The data-drive screen answered by --drive; the main screen's labels kept
// for printing.
class HeadlessScreens : public installation::Screens {
 public:
  HeadlessScreens(const std::optional<std::string>& drive, std::vector<std::string> drives)
      : drive_(drive), drives_(std::move(drives)) {}

  bool ShowDataDriveScreen(const installation::CreateOnDrive& create) override {
    CheckDrive(drive_, drives_);
    create(*drive_);
    return true;
  }
  void SetOutcome(const std::string& text) override { outcome_ = text; }
  void SetLocation(const std::string& text) override { location_ = text; }

  const std::string& outcome() const { return outcome_; }
  const std::string& location() const { return location_; }

 private:
  std::optional<std::string> drive_;
  std::vector<std::string> drives_;
  std::string outcome_, location_;
};

std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

}  // namespace

void CheckFreshInstallation(const Options& options) {
  if (auto drives = DrivesOfUnusedServer(options.server)) CheckDrive(options.drive, *drives);
}

MainScreenTexts HeadlessInstallation(const Options& options, RunContext& context, std::ostream& err) {
  const auto start = std::chrono::steady_clock::now();
  if (!options.quiet) context.run().progress.show = [&err](const std::string& line) { err << line << '\n'; };
  provisioning::RunLock lock(context.run(), options.lock_wait);
  installation::StartUp(context.run());
  const std::string server_name = installation::ServerName(context.ComputerName());
  HeadlessScreens screens(options.drive, context.Drives());
  installation::InstallationRun(context.run(), screens);
  for (const std::string& warning : context.run().warnings) err << "court-setup: warning: " << warning << '\n';
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  if (!options.quiet) err << context.run().progress.Summary(seconds.count()) << '\n';
  return {screens.outcome(), WithoutCarriageReturns(screens.location()), server_name};
}

int WithExitCode(std::ostream& err, const std::function<int()>& front) {
  try {
    return front();
  } catch (const UsageError& e) {
    err << "court-setup: " << e.what() << '\n';
    return kExitUsage;
  } catch (const std::exception& e) {
    const Failure failure = DescribeFailure(e);
    err << "error " << failure.number << ": " << failure.description << '\n';
    return kExitFailure;
  }
}

int RunHeadless(const Options& options, std::ostream& out, std::ostream& err) {
  return WithExitCode(err, [&] {
    CheckFreshInstallation(options);
    RunContext context(options);
    const MainScreenTexts texts = HeadlessInstallation(options, context, err);
    out << texts.outcome << '\n' << texts.location << '\n' << installation::kClientNotice << '\n' << texts.server_name << '\n';
    return kExitDone;
  });
}

}  // namespace court::screens
