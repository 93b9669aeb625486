// BACKUP DATABASE on the embedded server.
//
// SQLite's online backup copies the database's file page by page into a new
// file at the device's mapped path, from one consistent read of it, while
// other sessions go on reading and writing. The copy is an ordinary database
// file: put in place of the data file while the server is stopped, it is the
// database as it was when the backup began. It is written under a temporary
// name and renamed when complete, so a backup that stops half-way never
// leaves a file that looks like a backup.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;

constexpr char kTerminating[] = "BACKUP DATABASE is terminating abnormally.";

[[noreturn]] void Terminate(StatementContext& x, const access::Error& error) { x.Fail(error, 3013, kTerminating); }

access::Error DeviceError(const std::string& device) {
  return Message(3201, "Cannot open backup device '" + device +
                           "'. Device error or device off-line. See the SQL Server error log for more details.");
}

access::Error WriteError(const std::string& device, int status) {
  return Message(3202, "Write on '" + device + "' failed, status = " + std::to_string(status) +
                           ". See the SQL Server error log for more details.");
}

bool HasOption(const BackupStmt& s, std::string_view option) {
  for (const std::string& o : s.options)
    if (o == option) return true;
  return false;
}

struct DestinationCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// Copies source's main database into file; the pages copied. A busy source
// (another session in the middle of writing) is waited for a bounded time.
int CopyDatabase(sqlite3* source, const fs::path& file, const std::string& device) {
  sqlite3* opened = nullptr;
  const int rc_open = sqlite3_open_v2(file.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::unique_ptr<sqlite3, DestinationCloser> destination(opened);
  if (rc_open != SQLITE_OK) throw DeviceError(device);
  sqlite3_backup* backup = sqlite3_backup_init(destination.get(), "main", source, "main");
  if (backup == nullptr) throw DeviceError(device);
  int rc = SQLITE_OK;
  for (int waits = 0; (rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED; ++waits) {
    if (waits == 600) break;
    sqlite3_sleep(50);
  }
  const int pages = sqlite3_backup_pagecount(backup);
  sqlite3_backup_finish(backup);
  const int error = sqlite3_system_errno(destination.get());
  if (rc != SQLITE_DONE) throw WriteError(device, error ? error : rc);
  return pages;
}

// What the file holds must be on disk before it takes the backup's name.
void Publish(const fs::path& partial, const fs::path& file, const std::string& device) {
  const int fd = ::open(partial.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!synced || std::rename(partial.c_str(), file.c_str()) != 0) throw WriteError(device, error ? error : errno);
}

void Report(StatementContext& x, SessionState& database, int pages, std::chrono::duration<double> took) {
  for (const auto& row : database.db().Rows("SELECT rtrim(name), groupid FROM sysfiles ORDER BY fileid")) {
    const long long file_pages = row[1].integer() == 0 ? 1 : pages;
    x.Inform(4035, "Processed " + std::to_string(file_pages) + " pages for database '" + database.database() +
                       "', file '" + row[0].ToText() + "' on file 1.");
  }
  const double seconds = std::max(took.count(), 0.001);
  char figures[96];
  std::snprintf(figures, sizeof figures, "%d pages in %.3f seconds (%.3f MB/sec).", pages + 1, seconds,
                (pages + 1) * 8192.0 / 1048576.0 / seconds);
  x.Inform(3014, std::string("BACKUP DATABASE successfully processed ") + figures);
}

}  // namespace

void RunBackup(StatementContext& x, const BackupStmt& s) {
  const auto start = std::chrono::steady_clock::now();
  if (!sqlite3_get_autocommit(x.session().db().handle()))
    Terminate(x, Message(3021, "Cannot perform a backup or restore operation within a transaction."));
  if (!x.session().DatabaseExists(s.database))
    Terminate(x, Message(911, "Could not locate entry in sysdatabases for database '" + s.database +
                                  "'. No entry found with that name. Make sure that the name is entered correctly."));
  if (HasOption(s, "DIFFERENTIAL"))
    Terminate(x, Message(3035, "Cannot perform a differential backup for database '" + s.database +
                                   "': this server keeps full backups only."));
  std::optional<Principal> principal;
  if (x.session().principal()) principal = *x.session().principal();
  SessionState database(x.session().server(), s.database, principal);
  try {
    RequireStatement(database, kBackupDatabase);
  } catch (const access::Error& e) {
    Terminate(x, e);
  }

  const std::string device = x.EvaluateText(s.disk.get());
  fs::path file;
  try {
    file = x.session().server().drives().Map(device);
  } catch (const access::Error&) {
    Terminate(x, DeviceError(device));
  }
  std::error_code ec;
  if (!fs::is_directory(file.parent_path(), ec) || fs::is_directory(file, ec)) Terminate(x, DeviceError(device));
  // Each file holds one backup: it is replaced only when asked to be.
  if (fs::exists(file, ec) && !HasOption(s, "INIT") && !HasOption(s, "FORMAT"))
    Terminate(x, Message(3201, "Cannot open backup device '" + device +
                                   "'. It holds a backup already and this server keeps one backup per "
                                   "file: add WITH INIT to replace it, or name a new file."));
  const fs::path partial = file.string() + ".partial";
  fs::remove(partial, ec);
  int pages = 0;
  try {
    pages = CopyDatabase(database.db().handle(), partial, device);
    Publish(partial, file, device);
  } catch (const access::Error& e) {
    fs::remove(partial, ec);
    Terminate(x, e);
  }
  Report(x, database, pages, std::chrono::steady_clock::now() - start);
}

}  // namespace court::mssql
