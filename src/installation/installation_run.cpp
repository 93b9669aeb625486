#include "installation/installation_run.h"

#include "integrity/check_constraints.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "provisioning/database_backup.h"
#include "provisioning/service_login.h"
#include "provisioning/run_marker.h"
#include "upgrade/provisioning_steps.h"
#include "upgrade/upgrade_driver.h"
#include "installation/database_creation.h"
#include "installation/maintenance.h"

namespace court::installation {
namespace {

using access::Connection;
using access::Recordset;
using provisioning::kCourtDatabase;
using provisioning::kMailDatabase;
using provisioning::RunState;

// Opens into databases the server's list of databases of that name.
void FindDatabase(Connection& master, Recordset& databases, std::string_view name) {
  access::OpenRecordset(
      master, databases,
      "SELECT name FROM master.dbo.sysdatabases WHERE name = N'" + std::string(name) + "'");
}

// Whether the shipped release is newer than the installed one, or none is
// installed. A court database without the version table counts as current.
bool UpgradeDue(RunState& run) {
  Connection catalogue(run.sources), court(run.sources);
  provisioning::OpenCatalogueConnection(run, catalogue);
  provisioning::OpenCourtConnection(run, court);
  Recordset installed;
  access::OpenRecordset(court, installed,
                              "SELECT name FROM sysobjects WHERE (name = N'升级版本') AND (xtype = 'u')");
  bool due = false;
  if (installed.RecordCount() > 0) {
    installed.Close();
    Recordset shipped;
    access::OpenRecordset(catalogue, shipped, provisioning::kReleaseQuery);
    access::OpenRecordset(court, installed, provisioning::kReleaseQuery);
    due = provisioning::UpgradeDue(shipped, installed);
    shipped.Close();
  }
  installed.Close();
  court.Close();
  catalogue.Close();
  return due;
}

// The path of the court data file, as the server reports it.
std::string CourtDataFile(RunState& run) {
  Connection court(run.sources);
  provisioning::OpenCourtConnection(run, court);
  Recordset files;
  access::OpenRecordset(court, files,
                              "SELECT filename, name FROM sysfiles WHERE (filename LIKE N'%.mdf%')");
  std::string path = access::Trimmed(files.Fields("filename").value());
  files.Close();
  court.Close();
  return path;
}

// An earlier run stopped half-way: its databases' options are set again and
// its provisioning step is run again, which finishes whatever the tables,
// reference data and release number still lack.
void RedoInterruptedRun(RunState& run, Screens& screens) {
  if (run.marker.court_created) {
    Connection master(run.sources);
    provisioning::OpenMasterConnection(run, master);
    SetDatabaseOptions(master, kCourtDatabase);
    master.Close();
  }
  run.court_updated = true;
  provisioning::ProvisioningStep(run);
  screens.SetOutcome(run.marker.court_created ? kInstalledText : kUpgradedText);
}

void DeleteIfPresent(const RunState& run, const std::string& windows_path) {
  if (run.files.FileExists(windows_path)) run.files.DeleteFile(windows_path);
}

}  // namespace

void InstallationRun(RunState& run, Screens& screens) {
  provisioning::ReadRunMarker(run);
  InstallationSequence(run, screens);
  run.progress.Step("views and duplicate reference rows");
  Connection court(run.sources);
  provisioning::OpenCourtConnection(run, court);
  RecreateViews(court);
  RemoveDuplicates(run, court);
  court.Close();
  run.progress.Step("check constraints");
  integrity::RebuildCheckConstraints(run);
  run.progress.Step("rights of the service login");
  provisioning::GrantPass(run, std::string(kCourtDatabase));
  provisioning::GrantPass(run, std::string(kMailDatabase));
  provisioning::ClearRunMarker(run);
}

void InstallationSequence(RunState& run, Screens& screens) {
  // A missing catalogue, or one whose list of tables or table definitions
  // is damaged, is found before anything changes on the server; the driver
  // keeps what it read for the run's later connections. A table's rows are
  // read when a query first uses them, so a run with nothing to do never
  // reads the reference rows and documents.
  Connection catalogue(run.sources);
  provisioning::OpenCatalogueConnection(run, catalogue);
  catalogue.Close();
  provisioning::BackUpDatabases(run);
  Connection master(run.sources);
  provisioning::OpenMasterConnection(run, master);
  Recordset databases;
  FindDatabase(master, databases, kCourtDatabase);
  if (databases.RecordCount() == 0) {
    const bool created = screens.ShowDataDriveScreen([&run](const std::string& drive) {
      run.progress.Step("creating the court database");
      provisioning::MarkRun(run, kCourtDatabase);
      CreateCourtDatabase(run, drive);
    });
    if (!created) throw InstallationCancelled();
    screens.SetOutcome(kInstalledText);
  } else if (run.marker.set) {
    run.progress.Step("completing an interrupted run on the court database");
    RedoInterruptedRun(run, screens);
  } else if (UpgradeDue(run)) {
    run.progress.Step("upgrading the court database");
    provisioning::MarkRun(run);
    provisioning::ProvisioningStep(run);
    screens.SetOutcome(kUpgradedText);
  } else {
    screens.SetOutcome(kCurrentText);
  }
  databases.Close();
  master.Close();
  screens.SetLocation(LocationReport(run, CourtDataFile(run)));
  MailDatabaseStep(run);
}

std::string LocationReport(RunState& run, const std::string& court_data_file) {
  run.mail_file_prefix =
      court_data_file.substr(0, court_data_file.rfind('\\') + 1) + std::string(kMailDatabase);
  return "数据库文件保存在：" + court_data_file + "\r\n邮件文件保存在：" + run.mail_file_prefix + "_Data.MDF";
}

void MailDatabaseStep(RunState& run) {
  Connection master(run.sources);
  provisioning::OpenMasterConnection(run, master);
  Recordset databases;
  FindDatabase(master, databases, kMailDatabase);
  if (databases.RecordCount() == 0) {
    run.progress.Step("creating the mail database");
    provisioning::MarkRun(run, kMailDatabase);
    DeleteIfPresent(run, run.mail_file_prefix + "_Data.MDF");
    DeleteIfPresent(run, run.mail_file_prefix + "_log.LDF");
    CreateDatabase(run, kMailDatabase, run.mail_file_prefix);
    provisioning::MailAccessStep(run);
  } else if (run.court_updated) {
    run.progress.Step("updating the mail database");
    if (run.marker.mail_created) SetDatabaseOptions(master, kMailDatabase);
    provisioning::MailAccessStep(run);
  }
  databases.Close();
  master.Close();
}

}  // namespace court::installation
