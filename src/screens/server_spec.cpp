#include "screens/server_spec.h"

#include <string>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "screens/options.h"

namespace court::screens {
namespace {

// The client library's number when no server answers.
constexpr int kServerNotFound = 17;

// The root of an embedded server SPEC.
std::filesystem::path EmbeddedRoot(std::string_view spec) {
  constexpr std::string_view kEmbedded = "embedded:";
  if (!spec.starts_with(kEmbedded) || spec.size() == kEmbedded.size())
    throw UsageError("--server wants embedded:DIR, not '" + std::string(spec) + "'");
  return std::string(spec.substr(kEmbedded.size()));
}

}  // namespace

std::optional<std::vector<std::string>> DrivesOfUnusedServer(std::string_view spec) {
  const std::filesystem::path root = EmbeddedRoot(spec);
  std::error_code error;
  if (std::filesystem::exists(root / "master.mdf", error)) return std::nullopt;
  std::vector<std::string> drives = {"C:", "D:"};  // what the server sets up on first use
  if (std::filesystem::is_directory(root / "drives", error))
    for (const std::string& drive : system::DriveMap(root / "drives").Drives())
      if (drive != "C:" && drive != "D:") drives.push_back(drive);
  return drives;
}

Server OpenServer(std::string_view spec) {
  const std::filesystem::path root = EmbeddedRoot(spec);
  try {
    return Server{std::make_unique<mssql::EmbeddedDriver>(root), system::Files(system::DriveMap(root / "drives"))};
  } catch (const std::filesystem::filesystem_error& e) {
    // A server root that cannot be used is a server that does not answer.
    throw access::Error(kServerNotFound,
                        "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied. (" +
                            std::string(e.what()) + ")");
  }
}

}  // namespace court::screens
