// The installation run: everything the main screen's load does after its
// fixed texts are set.
//
// The backups of the databases that exist (unless the run keeps none), then
// one of three paths through the court database (fresh through the data-drive
// screen, upgrade, nothing to do), then the data-file location report, the
// mail database step, views and duplicates, the check constraints and the
// grant passes for both databases. Failures are not caught: they pass to the
// front, which shows them and ends the program.

#ifndef COURT_INSTALLATION_INSTALLATION_RUN_H_
#define COURT_INSTALLATION_INSTALLATION_RUN_H_

#include <string>

#include "provisioning/run_state.h"
#include "installation/screens.h"

namespace court::installation {

// Outcome texts of Lab提示 element 0.
inline constexpr char kInstalledText[] = "服务器安装完成。";
inline constexpr char kUpgradedText[] = "升级程序完成。";
inline constexpr char kCurrentText[] = "服务器已经完成安装或更新。";

void InstallationRun(provisioning::RunState& run, Screens& screens);

// The court database's path: created, upgraded or left alone; then the
// location report and the mail database step.
void InstallationSequence(provisioning::RunState& run, Screens& screens);

// Creates a missing mail database (deleting its leftover files first) and
// brings it up to date, or brings an existing one up to date when the court
// database was created or upgraded in this run.
void MailDatabaseStep(provisioning::RunState& run);

// The location text of Lab提示 element 1 for the court data file's path; sets
// the run's mail file prefix.
std::string LocationReport(provisioning::RunState& run, const std::string& court_data_file);

}  // namespace court::installation

#endif  // COURT_INSTALLATION_INSTALLATION_RUN_H_
