// The driver behind the Jet connection string: it answers the installer's
// catalogue queries on table.mdb with Jet's meaning.
//
// Connect reads the file's table definitions into a SQLite snapshot
// (cached while the file stays unchanged), which reads each table's rows
// when a query first uses it; a session that writes works on its own copy.
// Rows added or changed through a session stay in that copy: nothing is
// ever written to the file.

#ifndef COURT_PLATFORM_JET_CATALOGUE_DRIVER_H_
#define COURT_PLATFORM_JET_CATALOGUE_DRIVER_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/access/driver.h"

namespace court::jet {

class CatalogueSnapshot;

class CatalogueDriver : public access::Driver {
 public:
  CatalogueDriver();
  ~CatalogueDriver() override;

  // `database` is the path of the .mdb file.
  std::unique_ptr<access::Session> Connect(const std::string& database) override;

 private:
  // What tells one version of a file from another: a file replaced by
  // rename has a new inode even when size and time look the same.
  struct Version {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modified_ns = 0;
    bool operator==(const Version&) const = default;
  };
  struct Loaded {
    Version version;
    std::shared_ptr<CatalogueSnapshot> snapshot;
  };
  std::map<std::filesystem::path, Loaded> loaded_;
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_CATALOGUE_DRIVER_H_
