// BACKUP DATABASE on the embedded server.
//
// The backup is one consistent read of the database, taken while other
// sessions go on reading and writing, written into a new file at the
// device's mapped path. When every page of that read is in the database file
// itself (its write-ahead log checkpointed), the file's bytes are copied as
// they are, by the kernel; otherwise SQLite's online backup copies the pages
// one by one, from the log where they are there. The copy is an ordinary database
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
#include <optional>

#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;


[[noreturn]] void Terminate(StatementContext& x, const access::Error& error) {
  x.Fail(error, Message(Msg::kBackupTerminating));
}

access::Error DeviceError(const std::string& device) {
  return Message(Msg::kCannotOpenDevice, {device});
}

access::Error WriteError(const std::string& device, int status) {
  return Message(Msg::kWriteFailed, {device, std::to_string(status)});
}

bool HasOption(const BackupStmt& s, std::string_view option) {
  for (const std::string& o : s.options)
    if (o == option) return true;
  return false;
}

struct DestinationCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// Ends a read transaction however the copy ends; nothing was written.
class ReadSnapshot {
 public:
  explicit ReadSnapshot(SqliteDb& db) : db_(db) { db_.Prepare("BEGIN")->Step(); }
  ~ReadSnapshot() {
    if (!sqlite3_get_autocommit(db_.handle())) sqlite3_exec(db_.handle(), "COMMIT", nullptr, nullptr, nullptr);
  }
  ReadSnapshot(const ReadSnapshot&) = delete;
  ReadSnapshot& operator=(const ReadSnapshot&) = delete;

 private:
  SqliteDb& db_;
};

struct FileCloser {
  void operator()(const int* fd) const { ::close(*fd); }
};

// Copies the first size bytes of from into to; false when the kernel cannot
// copy between these files (another file system, an old kernel), with
// nothing copied. Any other failure is the device's.
bool CopyBytes(const fs::path& from, const fs::path& to, long long size, const std::string& device) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::unique_ptr<const int, FileCloser> close_in(&in);
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) throw DeviceError(device);
  std::unique_ptr<const int, FileCloser> close_out(&out);
  for (long long done = 0; done < size;) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(size - done), 0);
    if (copied < 0 && done == 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
      return false;
    if (copied <= 0) throw WriteError(device, copied < 0 ? errno : EIO);
    done += copied;
  }
  return true;
}

// The pages copied when every page of one read of source is in its database
// file, which then holds still while the read lasts: a checkpoint writes
// into the file only pages no reader still needs from the log. Null when
// another session committed in between or the log could not be emptied
// into the file.
std::optional<int> CopyCheckpointedFile(SqliteDb& source, const fs::path& file, const std::string& device) {
  const long long before = source.Scalar("PRAGMA main.data_version").integer();
  const auto checkpoint = source.Rows("PRAGMA main.wal_checkpoint(PASSIVE)");
  if (checkpoint.empty() || checkpoint[0][0].integer() != 0 || checkpoint[0][1].integer() != checkpoint[0][2].integer())
    return std::nullopt;
  ReadSnapshot snapshot(source);
  if (source.Scalar("PRAGMA main.data_version").integer() != before) return std::nullopt;
  const long long pages = source.Scalar("PRAGMA main.page_count").integer();
  const long long page_size = source.Scalar("PRAGMA main.page_size").integer();
  if (!CopyBytes(sqlite3_db_filename(source.handle(), "main"), file, pages * page_size, device)) return std::nullopt;
  return static_cast<int>(pages);
}

// Copies source's main database into file page by page; the pages copied. A
// busy source (another session in the middle of writing) is waited for a
// bounded time.
int BackUpPages(sqlite3* source, const fs::path& file, const std::string& device) {
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

int CopyDatabase(SqliteDb& source, const fs::path& file, const std::string& device) {
  if (std::optional<int> pages = CopyCheckpointedFile(source, file, device)) return *pages;
  std::error_code ec;
  fs::remove(file, ec);
  return BackUpPages(source.handle(), file, device);
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
    x.Inform(Message(Msg::kProcessedPages, {std::to_string(file_pages), database.database(), row[0].ToText()}));
  }
  const double seconds = std::max(took.count(), 0.001);
  char figures[96];
  std::snprintf(figures, sizeof figures, "%d pages in %.3f seconds (%.3f MB/sec).", pages + 1, seconds,
                (pages + 1) * 8192.0 / 1048576.0 / seconds);
  x.Inform(Message(Msg::kBackupDone, {figures}));
}

}  // namespace

void RunBackup(StatementContext& x, const BackupStmt& s) {
  const auto start = std::chrono::steady_clock::now();
  if (!sqlite3_get_autocommit(x.session().db().handle()))
    Terminate(x, Message(Msg::kBackupInTransaction));
  if (!x.session().DatabaseExists(s.database))
    Terminate(x, UnknownDatabase(s.database));
  if (HasOption(s, "DIFFERENTIAL"))
    Terminate(x, Message(Msg::kNoDifferential, {s.database}));
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
    Terminate(x, Message(Msg::kBackupFileInUse, {device}));
  const fs::path partial = file.string() + ".partial";
  fs::remove(partial, ec);
  int pages = 0;
  try {
    pages = CopyDatabase(database.db(), partial, device);
    Publish(partial, file, device);
  } catch (const access::Error& e) {
    fs::remove(partial, ec);
    Terminate(x, e);
  }
  Report(x, database, pages, std::chrono::steady_clock::now() - start);
}

}  // namespace court::mssql
