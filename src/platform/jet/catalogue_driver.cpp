#include "platform/jet/catalogue_driver.h"

#include <sys/stat.h>

#include "platform/jet/catalogue_session.h"
#include "platform/jet/catalogue_snapshot.h"

namespace court::jet {

CatalogueDriver::CatalogueDriver() = default;
CatalogueDriver::~CatalogueDriver() = default;

std::unique_ptr<access::Session> CatalogueDriver::Connect(const std::string& database) {
  const std::filesystem::path path = database;
  struct stat status {};
  const bool exists = ::stat(database.c_str(), &status) == 0;
  const Version version{status.st_dev, status.st_ino, static_cast<std::uint64_t>(status.st_size),
                        status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec};
  auto cached = loaded_.find(path);
  if (!exists || cached == loaded_.end() || !(cached->second.version == version)) {
    auto snapshot = std::make_shared<CatalogueSnapshot>(path);  // throws for a bad file
    cached = loaded_.insert_or_assign(path, Loaded{version, snapshot}).first;
  }
  return std::make_unique<CatalogueSession>(cached->second.snapshot);
}

}  // namespace court::jet
