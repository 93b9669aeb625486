#include "provisioning/database_backup.h"

#include <string>
#include <vector>

#include "platform/access/error.h"
#include "platform/access/sql_text.h"
#include "provisioning/connections.h"
#include "provisioning/run_folder.h"

namespace court::provisioning {
namespace {

// The server's own separator: a Windows path ("D:\backups") or, on the
// embedded server, a path of its machine ("/srv/court/backups").
std::string Below(std::string folder, const std::string& name) {
  const char separator = folder.size() >= 2 && folder[1] == ':' ? '\\' : '/';
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder + separator + name;
}

std::vector<std::string> DatabasesToBackUp(access::Connection& master) {
  std::vector<std::string> present;
  for (std::string_view name : {kCourtDatabase, kMailDatabase})
    if (!master.Query("SELECT name FROM master.dbo.sysdatabases WHERE name = " + access::UnicodeLiteral(name),
                      kBackupKind)
             .rows.empty())
      present.emplace_back(name);
  return present;
}

// The run's own folder below the root, made through the server.
std::string MakeRunFolder(const RunState& run) {
  const std::string& root = run.backup_root;
  if (!run.files.DirectoryExists(root)) run.files.MakeDirectory(root);
  const std::string folder = Below(root, UnusedFolderName(run.started, [&](const std::string& name) {
                                     return run.files.DirectoryExists(Below(root, name));
                                   }));
  run.files.MakeDirectory(folder);
  return folder;
}

}  // namespace

void BackUpDatabases(RunState& run) {
  if (run.backup_root.empty()) return;
  access::Connection master(run.sources);
  OpenMasterConnection(run, master);
  std::string folder;
  for (const std::string& database : DatabasesToBackUp(master)) {
    try {
      if (folder.empty()) folder = MakeRunFolder(run);
      const std::string file = Below(folder, database + ".bak");
      run.progress.Step("backing up " + database + " to " + file);
      master.Execute("BACKUP DATABASE [" + database + "] TO DISK = " + access::UnicodeLiteral(file) + " WITH INIT", kBackupKind);
    } catch (const access::Error& e) {
      throw access::Error(e.number(), "The backup of " + database + " into '" +
                                          (folder.empty() ? run.backup_root : folder) +
                                          "' failed, so nothing was changed: " + e.description());
    }
  }
  master.Close();
}

}  // namespace court::provisioning
