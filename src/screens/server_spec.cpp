#include "screens/server_spec.h"

#include <string>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "platform/odbc/odbc_driver.h"
#include "platform/odbc/server_files.h"

namespace court::screens {
namespace {

// The client library's number when no server answers.
constexpr int kServerNotFound = 17;

// Drives C: and D: below root, for paths of this machine.
std::unique_ptr<system::Files> LocalDrives(const std::filesystem::path& root) {
  std::filesystem::create_directories(root / "drives" / "C");
  return std::make_unique<system::Files>(system::DriveMap(root / "drives"));
}

Server Embedded(const std::filesystem::path& root) {
  try {
    return Server{std::make_unique<mssql::EmbeddedDriver>(root),
                  std::make_unique<system::Files>(system::DriveMap(root / "drives")),
                  std::make_unique<system::Files>(system::DriveMap(root / "drives")), system::ComputerName()};
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
                host.empty() ? system::ComputerName() : host};
}

}  // namespace

Server OpenServer(const Options& options) {
  constexpr std::string_view kEmbedded = "embedded:", kOdbc = "odbc:";
  const std::string_view spec = options.server;
  if (spec.starts_with(kEmbedded) && spec.size() > kEmbedded.size())
    return Embedded(std::string(spec.substr(kEmbedded.size())));
  if (spec.starts_with(kOdbc) && spec.size() > kOdbc.size())
    return Odbc(std::string(spec.substr(kOdbc.size())), options);
  throw UsageError("--server wants embedded:DIR or odbc:CONNECTION, not '" + std::string(spec) + "'");
}

}  // namespace court::screens
