#include "platform/mssql/server.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/mssql/catalog.h"
#include "platform/mssql/server_lock.h"

namespace court::mssql {

Server::Server(std::filesystem::path root) : root_(std::move(root)), drives_(root_ / "drives") {
  std::filesystem::create_directories(root_ / "drives" / "C");
  std::filesystem::create_directories(root_ / "drives" / "D");
  if (std::filesystem::exists(MasterFile())) return;
  // One process builds master, under a temporary name so that a half-made
  // master never stands in the root; the others wait and find it made.
  ServerLock lock(root_);
  if (!std::filesystem::exists(MasterFile())) {
    std::filesystem::path building = root_ / "master.mdf.new";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(building.string() + suffix);
    {
      SqliteDb db(building, true);
      InitializeDatabase(db, true);
      db.Exec("PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE;");
    }
    std::filesystem::rename(building, MasterFile());
  }
}

std::optional<DatabaseEntry> Server::FindDatabase(SqliteDb& master, const std::string& schema,
                                                  const std::string& name) const {
  auto rows = master.Rows("SELECT name, dbid, filename FROM " + QuoteIdentifier(schema) +
                              ".sysdatabases WHERE name = ?1",
                          {access::Value::Text(name)});
  if (rows.empty()) return std::nullopt;
  DatabaseEntry entry;
  entry.name = rows[0][0].text();
  entry.dbid = static_cast<int>(rows[0][1].integer());
  entry.file = entry.dbid == 1 ? MasterFile() : drives_.Map(rows[0][2].text());
  return entry;
}

std::uintmax_t Server::FileId(const std::filesystem::path& file) {
  struct stat status {};
  return ::stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
}

std::unique_ptr<SqliteDb> Server::Borrow(const std::filesystem::path& file, std::uintmax_t file_id) {
  std::lock_guard<std::mutex> lock(idle_mutex_);
  auto found = idle_.find(file);
  if (found == idle_.end()) return nullptr;
  std::vector<Idle>& idle = found->second;
  std::erase_if(idle, [file_id](const Idle& entry) { return entry.file_id != file_id; });
  if (idle.empty()) return nullptr;
  std::unique_ptr<SqliteDb> db = std::move(idle.back().db);
  idle.pop_back();
  return db;
}

std::uint64_t Server::GiveBack(const std::filesystem::path& file, std::uintmax_t file_id,
                               std::unique_ptr<SqliteDb> db) {
  // Sessions give their connection back after every batch: enough are kept
  // for a server busy with many clients at once not to open one per batch.
  constexpr std::size_t kIdlePerFile = 64;
  std::lock_guard<std::mutex> lock(idle_mutex_);
  std::vector<Idle>& idle = idle_[file];
  if (file_id == 0 || !sqlite3_get_autocommit(db->handle()) || idle.size() >= kIdlePerFile) return 0;
  idle.push_back({file_id, ++last_lease_, std::move(db)});
  return last_lease_;
}

std::unique_ptr<SqliteDb> Server::TakeBack(const std::filesystem::path& file, std::uint64_t lease) {
  std::lock_guard<std::mutex> lock(idle_mutex_);
  auto found = idle_.find(file);
  if (found == idle_.end()) return nullptr;
  std::vector<Idle>& idle = found->second;
  auto entry = std::find_if(idle.begin(), idle.end(), [lease](const Idle& e) { return e.lease == lease; });
  if (entry == idle.end()) return nullptr;
  std::unique_ptr<SqliteDb> db = std::move(entry->db);
  idle.erase(entry);
  return db;
}

}  // namespace court::mssql
