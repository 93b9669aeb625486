#include "installation/database_creation.h"

#include "provisioning/connections.h"
#include "upgrade/provisioning_steps.h"

namespace court::installation {

using provisioning::kCourtDatabase;

std::string DataDirectory(std::string_view drive) {
  return std::string(drive) + "\\" + std::string(kCourtDatabase) + "_SQL数据";
}

std::string CourtFileStem(std::string_view drive) {
  return DataDirectory(drive) + "\\" + std::string(kCourtDatabase);
}

std::string CreateDatabaseStatement(std::string_view database, std::string_view file_stem) {
  const std::string d(database), f(file_stem);
  return "CREATE DATABASE [" + d + "]  ON (NAME = N'" + d + "_Data', FILENAME = N'" + f +
         "_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'" + d + "_Log', FILENAME = N'" + f +
         "_log.LDF' , SIZE = 1, FILEGROWTH = 10%)\r\n";
}

void CreateDatabase(provisioning::RunState& run, std::string_view database, std::string_view file_stem) {
  access::Connection master(run.sources);
  provisioning::OpenMasterConnection(run, master);
  master.Execute(CreateDatabaseStatement(database, file_stem));
  SetDatabaseOptions(master, database);
  master.Close();
}

void SetDatabaseOptions(access::Connection& master, std::string_view database) {
  const std::string d(database);
  master.Execute("exec sp_dboption N'" + d + "', N'trunc. log', N'true'");
  master.Execute("exec sp_dboption N'" + d + "', N'autoshrink', N'true'");
}

void CreateCourtDatabase(provisioning::RunState& run, const std::string& drive) {
  run.court_updated = true;
  const std::string directory = DataDirectory(drive);
  if (!run.files.DirectoryExists(directory)) run.files.MakeDirectory(directory);
  CreateDatabase(run, kCourtDatabase, CourtFileStem(drive));
  provisioning::ProvisioningStep(run);
}

}  // namespace court::installation
