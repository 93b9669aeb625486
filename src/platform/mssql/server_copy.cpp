#include "platform/mssql/server_copy.h"

#include <sqlite3.h>

#include <array>
#include <fstream>
#include <string_view>

#include "platform/mssql/server_lock.h"
#include "platform/mssql/storage_error.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;

// Whether the file starts as every SQLite database does.
bool IsDatabase(const fs::path& file) {
  constexpr std::string_view kHeader("SQLite format 3\0", 16);
  std::array<char, kHeader.size()> start{};
  std::ifstream in(file, std::ios::binary);
  return in.read(start.data(), start.size()) && std::string_view(start.data(), start.size()) == kHeader;
}

// Files that belong to a live server, not to its data.
bool StaysBehind(const fs::path& relative) {
  const std::string name = relative.filename().string();
  for (std::string_view side : {"-wal", "-shm", "-journal"})
    if (name.ends_with(side)) return true;
  return relative == "server.lock" || *relative.begin() == "applocks";
}

struct Handle {
  sqlite3* db = nullptr;
  ~Handle() { sqlite3_close(db); }
};

void Open(Handle& handle, const fs::path& file, int flags) {
  const int rc = sqlite3_open_v2(file.c_str(), &handle.db, flags, nullptr);
  if (rc != SQLITE_OK)
    throw StorageError(rc, "cannot open " + file.string(), handle.db ? sqlite3_system_errno(handle.db) : 0);
}

void BackUp(const fs::path& from, const fs::path& to) {
  Handle source, target;
  // Opened as the server opens it: a read-only connection would leave the
  // write-ahead log and shared-memory files it makes behind, where the last
  // read-write connection to close removes them (and reads change no page).
  Open(source, from, SQLITE_OPEN_READWRITE);
  sqlite3_busy_timeout(source.db, 30000);
  Open(target, to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  sqlite3_backup* backup = sqlite3_backup_init(target.db, "main", source.db, "main");
  if (backup == nullptr) throw StorageError(sqlite3_extended_errcode(target.db), "cannot copy " + from.string());
  // One step copies every page inside one read transaction of the source.
  sqlite3_backup_step(backup, -1);
  const int rc = sqlite3_backup_finish(backup);
  if (rc != SQLITE_OK) throw StorageError(rc, "cannot copy " + from.string() + ": " + sqlite3_errmsg(target.db));
}

}  // namespace

void CopyServer(const fs::path& root, const fs::path& destination) {
  ServerLock lock(root);
  fs::create_directories(destination);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const fs::path relative = fs::relative(entry.path(), root);
    if (StaysBehind(relative)) continue;
    const fs::path target = destination / relative;
    if (entry.is_directory())
      fs::create_directories(target);
    else if (IsDatabase(entry.path()))
      BackUp(entry.path(), target);
    else if (entry.is_regular_file())
      fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
  }
}

}  // namespace court::mssql
