#include "screens/server_spec.h"

#include <filesystem>
#include <string>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "platform/odbc/odbc_driver.h"
#include "platform/odbc/server_files.h"

namespace court::screens {
namespace {

// The client library's number when no server answers.
constexpr int kServerNotFound = 17;

constexpr std::string_view kEmbedded = "embedded:", kOdbc = "odbc:";

// The text after PREFIX in SPEC, when SPEC starts with it and names something.
std::optional<std::string> After(std::string_view prefix, std::string_view spec) {
  if (!spec.starts_with(prefix) || spec.size() == prefix.size()) return std::nullopt;
  return std::string(spec.substr(prefix.size()));
}

UsageError BadSpec(std::string_view spec) {
  return UsageError("--server wants embedded:DIR or odbc:CONNECTION, not '" + std::string(spec) + "'");
}

// Drives C: and D: below root, for paths of this machine.
std::unique_ptr<system::Files> LocalDrives(const std::filesystem::path& root) {
  std::filesystem::create_directories(root / "drives" / "C");
  return std::make_unique<system::Files>(system::DriveMap(root / "drives"));
}

Server Embedded(const std::filesystem::path& root) {
  try {
    return Server{std::make_unique<mssql::EmbeddedDriver>(root),
                  std::make_unique<system::Files>(system::DriveMap(root / "drives")),
                  std::make_unique<system::Files>(system::DriveMap(root / "drives")), system::ComputerName(),
                  (std::filesystem::absolute(root) / "backups").string()};
  } catch (const std::filesystem::filesystem_error& e) {
    // A server root that cannot be used is a server that does not answer.
    throw access::Error(
        kServerNotFound,
        "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied. (" +
            std::string(e.what()) + ")");
  }
}

Server Odbc(const std::string& connection, const Options& options) {
  odbc::ConnectionSettings settings(connection, options.password);
  // Clients are told the server's machine, which is this one only when the string says so.
  const std::string host = settings.Host();
  auto driver = std::make_unique<odbc::OdbcDriver>(std::move(settings));
  auto files = std::make_unique<odbc::ServerFiles>(*driver);
  return Server{std::move(driver), std::move(files), LocalDrives(options.local_root),
                host.empty() ? system::ComputerName() : host, ""};
}

}  // namespace

std::optional<std::vector<std::string>> DrivesOfUnusedServer(std::string_view spec) {
  if (After(kOdbc, spec)) return std::nullopt;
  const std::optional<std::string> root_text = After(kEmbedded, spec);
  if (!root_text) throw BadSpec(spec);
  const std::filesystem::path root = *root_text;
  std::error_code error;
  if (std::filesystem::exists(root / "master.mdf", error)) return std::nullopt;
  std::vector<std::string> drives = {"C:", "D:"};  // what the server sets up on first use
  if (std::filesystem::is_directory(root / "drives", error))
    for (const std::string& drive : system::DriveMap(root / "drives").Drives())
      if (drive != "C:" && drive != "D:") drives.push_back(drive);
  return drives;
}

Server OpenServer(const Options& options) {
  if (auto root = After(kEmbedded, options.server)) return Embedded(*root);
  if (auto connection = After(kOdbc, options.server)) return Odbc(*connection, options);
  throw BadSpec(options.server);
}

}  // namespace court::screens
