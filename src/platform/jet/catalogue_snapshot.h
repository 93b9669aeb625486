// A Jet file loaded into SQLite once: every catalogue connection to the same,
// unchanged file starts from a copy of it instead of reading the file again.

#ifndef COURT_PLATFORM_JET_CATALOGUE_SNAPSHOT_H_
#define COURT_PLATFORM_JET_CATALOGUE_SNAPSHOT_H_

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "platform/jet/sqlite_db.h"

namespace court::jet {

class CatalogueSnapshot {
 public:
  // Loads every user table. Throws access::Error naming the file when it is
  // missing, not a Jet database or damaged.
  explicit CatalogueSnapshot(const std::filesystem::path& file);

  const SqliteDb& db() const { return db_; }

  // Whether some table has a text or memo column of that name (any case).
  bool IsTextColumn(std::string_view name) const;

 private:
  SqliteDb db_;
  std::set<std::u32string> text_columns_;  // case-folded
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_CATALOGUE_SNAPSHOT_H_
