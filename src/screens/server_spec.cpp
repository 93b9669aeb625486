#include "screens/server_spec.h"

#include <string>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "screens/options.h"

namespace court::screens {
namespace {

// The client library's number when no server answers.
constexpr int kServerNotFound = 17;

}  // namespace

Server OpenServer(std::string_view spec) {
  constexpr std::string_view kEmbedded = "embedded:";
  if (spec.starts_with(kEmbedded) && spec.size() > kEmbedded.size()) {
    const std::filesystem::path root(std::string(spec.substr(kEmbedded.size())));
    try {
      return Server{std::make_unique<mssql::EmbeddedDriver>(root),
                    system::Files(system::DriveMap(root / "drives"))};
    } catch (const std::filesystem::filesystem_error& e) {
      // A server root that cannot be used is a server that does not answer.
      throw access::Error(
          kServerNotFound,
          "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied. (" +
              std::string(e.what()) + ")");
    }
  }
  throw UsageError("--server wants embedded:DIR, not '" + std::string(spec) + "'");
}

}  // namespace court::screens
