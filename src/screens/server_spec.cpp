#include "screens/server_spec.h"

#include <string>

#include "platform/mssql/embedded_driver.h"
#include "screens/options.h"

namespace court::screens {

Server OpenServer(std::string_view spec) {
  constexpr std::string_view kEmbedded = "embedded:";
  if (spec.starts_with(kEmbedded) && spec.size() > kEmbedded.size()) {
    const std::filesystem::path root(std::string(spec.substr(kEmbedded.size())));
    return Server{std::make_unique<mssql::EmbeddedDriver>(root), system::Files(system::DriveMap(root / "drives"))};
  }
  throw UsageError("--server wants embedded:DIR, not '" + std::string(spec) + "'");
}

}  // namespace court::screens
