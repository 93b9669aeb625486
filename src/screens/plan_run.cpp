#include "screens/plan_run.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/mssql/app_locks.h"
#include "platform/mssql/server_copy.h"
#include "provisioning/run_lock.h"
#include "screens/headless.h"
#include "screens/plan.h"
#include "screens/plan_mirror.h"
#include "screens/plan_output.h"
#include "screens/plan_recorder.h"
#include "screens/run_context.h"

namespace court::screens {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEmbedded = "embedded:";

// A new directory below the system's temporary directory, removed with
// everything in it when the plan is done, also when it fails.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "court-setup-plan-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw fs::filesystem_error("cannot make a scratch directory for the plan", pattern,
                                 std::error_code(errno, std::generic_category()));
    path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The server as it stands, into copy. A server in use is copied while this
// process holds the run lock, so no installation is half-way through it; a
// root without master has no databases and nothing to hold it.
void CopyRoot(const fs::path& root, const fs::path& copy, int lock_wait) {
  std::error_code error;
  if (!fs::exists(root / "master.mdf", error)) {
    if (fs::is_directory(root, error)) fs::copy(root, copy, fs::copy_options::recursive);
    return;
  }
  mssql::AppLocks locks;
  if (locks.Acquire(root, provisioning::kRunLockResource, true, lock_wait * 1000L) < 0)
    throw provisioning::AnotherInstallationRunning(lock_wait);
  mssql::CopyServer(root, copy);
}

// A server reached through ODBC, read into a mirror at copy under the
// server's run lock; its reads go to the transcript.
Mirror MirrorOf(const Options& options, const fs::path& copy) {
  Options reader = options;
  reader.no_backup = true;
  reader.backup_dir.reset();
  reader.log_dir.clear();
  RunContext server(reader);
  provisioning::RunLock lock(server.run(), options.lock_wait);
  return MirrorServer(server.run().sources, server.Drives(), copy);
}

std::string MirrorText(const Mirror& mirror) {
  std::string databases;
  for (const std::string& name : mirror.databases) databases += (databases.empty() ? "" : ", ") + name;
  return "a scratch embedded server holding what was read from the server (databases: " +
         (databases.empty() ? std::string("none") : databases) + "; " + std::to_string(mirror.tables) + " tables, " +
         std::to_string(mirror.rows) + " rows)";
}

}  // namespace

int RunPlan(const Options& options, std::ostream& out, std::ostream& err) {
  return WithExitCode(err, [&] {
    CheckFreshInstallation(options);
    ScratchDirectory scratch;
    const fs::path copy = scratch.path() / "server";
    Options rehearsal = options;
    std::optional<Mirror> mirror;
    if (options.server.starts_with(kEmbedded)) {
      CopyRoot(options.server.substr(kEmbedded.size()), copy, options.lock_wait);
    } else {
      mirror = MirrorOf(options, copy);
      rehearsal.transcript.clear();  // it holds what was sent to the server
    }
    rehearsal.server = std::string(kEmbedded) + copy.string();
    // A rehearsal keeps nothing: no backups, and its archive of removed rows
    // goes with the copy.
    rehearsal.no_backup = true;
    rehearsal.backup_dir.reset();
    rehearsal.log_dir = (scratch.path() / "logs").string();
    RunContext context(rehearsal);
    PlanRecorder recorder(context.server_driver());
    context.RouteServerThrough(recorder);
    const MainScreenTexts texts = HeadlessInstallation(rehearsal, context, err);
    Plan plan = PlanOf(recorder.writes());
    plan.outcome = texts.outcome;
    plan.rehearsed_on = mirror ? MirrorText(*mirror) : "a copy of the embedded server's files";
    plan.cannot_foresee = {std::string(kChangesAfterThePlan)};
    if (mirror) {
      plan.cannot_foresee = MirrorLimits();
      for (Plan::Grants& grants : plan.grants) grants.objects += mirror->system_objects_beyond_mirror[grants.database];
    }
    out << (options.plan == PlanFormat::kJson ? PlanJson(plan) : PlanText(plan));
    return kExitDone;
  });
}

}  // namespace court::screens
