// A Jet file as the catalogue driver queries it: its tables in SQLite, each
// read from the file the first time a statement uses it. Every catalogue
// connection to the same, unchanged file shares one snapshot.
//
// A run that only asks for the release number reads one small table, never
// the reference rows and documents of the rest.

#ifndef COURT_PLATFORM_JET_CATALOGUE_SNAPSHOT_H_
#define COURT_PLATFORM_JET_CATALOGUE_SNAPSHOT_H_

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jet/isolated_read.h"
#include "platform/jet/sqlite_db.h"

namespace court::jet {

class CatalogueSnapshot {
 public:
  // Reads the file's table definitions and creates the tables, still
  // empty. Throws access::Error naming the file when it is missing, not a
  // Jet database or damaged.
  explicit CatalogueSnapshot(const std::filesystem::path& file);

  const SqliteDb& db() const { return db_; }

  // Fills those of the tables (named as db() reports them) that have not
  // been read yet. Throws access::Error naming the file when one of them
  // is damaged; it then stays unread.
  void Load(const std::vector<std::string>& tables);
  void LoadAll();

  // Whether some table has a text or memo column of that name (any case).
  bool IsTextColumn(std::string_view name) const;

 private:
  void Load(std::size_t index);

  IsolatedJetFile file_;
  SqliteDb db_;
  std::map<std::string, std::size_t> unread_;  // created tables not read yet, to file_.tables()
  std::set<std::u32string> text_columns_;      // case-folded
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_CATALOGUE_SNAPSHOT_H_
