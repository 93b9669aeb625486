#include "platform/jet/catalogue_driver.h"

#include "platform/jet/catalogue_session.h"
#include "platform/jet/catalogue_snapshot.h"

namespace court::jet {

CatalogueDriver::CatalogueDriver() = default;
CatalogueDriver::~CatalogueDriver() = default;

std::unique_ptr<access::Session> CatalogueDriver::Connect(const std::string& database) {
  const std::filesystem::path path = database;
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(path, error);
  const auto size = std::filesystem::file_size(path, error);
  auto cached = loaded_.find(path);
  if (error || cached == loaded_.end() || cached->second.modified != modified ||
      cached->second.size != size) {
    auto snapshot = std::make_shared<const CatalogueSnapshot>(path);  // throws for a bad file
    cached = loaded_.insert_or_assign(path, Loaded{modified, size, snapshot}).first;
  }
  return std::make_unique<CatalogueSession>(cached->second.snapshot);
}

}  // namespace court::jet
