// The extended procedures that let a client look at and prepare the
// server's own drives: xp_fileexist, xp_create_subdir and xp_fixeddrives.
// An installer running on another machine reaches the server's files only
// through these, so they answer with SQL Server's result shapes.

#include <filesystem>

#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"
#include "platform/mssql/text.h"

namespace court::mssql {
namespace {

using access::Value;

std::string PathArgument(StatementContext& x, const ExecStmt& s, const std::string& procedure) {
  Value path = s.args.empty() ? Value() : x.Evaluate(*s.args[0].value);
  if (path.is_null() || path.ToText().empty())
    throw Message(Msg::kPathUsage, {procedure});
  return path.ToText();
}

access::ColumnInfo IntColumn(std::string name) {
  return {std::move(name), access::ValueType::kInteger, ""};
}

// One row: File Exists, File is a Directory, Parent Directory Exists.
}  // namespace

void FileExists(StatementContext& x, const ExecStmt& s) {
  std::filesystem::path local = x.session().server().drives().Map(PathArgument(x, s, "xp_fileexist"));
  access::ResultSet result;
  result.columns = {IntColumn("File Exists"), IntColumn("File is a Directory"),
                    IntColumn("Parent Directory Exists")};
  result.rows.push_back({Value::Integer(std::filesystem::is_regular_file(local)),
                         Value::Integer(std::filesystem::is_directory(local)),
                         Value::Integer(std::filesystem::is_directory(local.parent_path()))});
  x.result().results.push_back(std::move(result));
}

// Creates the directory and any missing parents below the drive.
void CreateSubdirectory(StatementContext& x, const ExecStmt& s) {
  const std::string path = PathArgument(x, s, "xp_create_subdir");
  const system::DriveMap& drives = x.session().server().drives();
  std::filesystem::path local = drives.Map(path);
  std::error_code ec;
  // A drive the server does not have is a path that cannot be found.
  if (std::filesystem::is_directory(drives.Map(path.substr(0, 2)))) std::filesystem::create_directories(local, ec);
  if (!std::filesystem::is_directory(local))
    x.Raise(Message(Msg::kPathNotFound, {path}));
}

// One row per drive: its letter and the megabytes free on it.
void FixedDrives(StatementContext& x, const ExecStmt&) {
  access::ResultSet result;
  result.columns = {{"drive", access::ValueType::kText, ""}, IntColumn("MB free")};
  const system::DriveMap& drives = x.session().server().drives();
  for (const std::string& drive : drives.Drives()) {
    std::error_code ec;
    auto space = std::filesystem::space(drives.Map(drive), ec);
    result.rows.push_back({Value::Text(drive.substr(0, 1)),
                           Value::Integer(ec ? 0 : static_cast<std::int64_t>(space.available >> 20))});
  }
  x.result().results.push_back(std::move(result));
}

}  // namespace court::mssql
