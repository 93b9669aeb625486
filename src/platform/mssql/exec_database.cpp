// CREATE DATABASE: the files at their mapped paths, the new database's
// system tables, and its rows in master.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "platform/access/number_text.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/database_records.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"
#include "platform/mssql/server_lock.h"
#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/text.h"
#include "platform/text/ascii.h"

namespace court::mssql {

namespace {

using access::Value;

struct PlannedFile {
  FileSpec spec;
  bool log = false;
  std::filesystem::path local;
  int fileid = 0;
};

// The number a size text starts with: 10 of "10%", 5 of "5MB". The parser
// lets only numbers through.
double Number(const std::string& text) {
  return access::ParseReal(text.substr(0, text.find_first_not_of("0123456789."))).value_or(0);
}

// Pages of 8 KB for a size text: "1" (MB), "512KB", "2GB"; at most 2^50.
long long Pages(const std::string& text, long long fallback) {
  if (text.empty()) return fallback;
  double number = Number(text);
  std::string unit;
  for (char c : text)
    if (text::IsAsciiLetter(c)) unit += text::UpperChar(c);
  double kb = unit == "KB" ? number : unit == "GB" ? number * 1024 * 1024 : unit == "TB" ? number * 1024.0 * 1024 * 1024 : number * 1024;
  return static_cast<long long>(std::min(kb / 8, 0x1p50));
}

std::string Padded(const std::string& text, int width) {
  const auto length = static_cast<int>(CharCount(text));
  return text + std::string(static_cast<std::size_t>(std::max(0, width - length)), ' ');
}

std::vector<PlannedFile> Plan(StatementContext& x, const CreateDatabaseStmt& s) {
  std::vector<PlannedFile> files;
  for (const FileSpec& spec : s.data_files) files.push_back({spec, false, {}, 0});
  for (const FileSpec& spec : s.log_files) files.push_back({spec, true, {}, 0});
  std::string dir = "C:\\Program Files\\Microsoft SQL Server\\MSSQL\\data\\";
  if (s.data_files.empty()) {
    files.insert(files.begin(), {FileSpec{s.name, dir + s.name + ".mdf", "1", "", "10%"}, false, {}, 0});
    std::filesystem::create_directories(x.session().server().drives().Map(dir));
  }
  if (s.log_files.empty()) {
    files.push_back({FileSpec{s.name + "_log", dir + s.name + "_log.LDF", "1", "", "10%"}, true, {}, 0});
    std::filesystem::create_directories(x.session().server().drives().Map(dir));
  }
  int next_id = 1;
  for (PlannedFile& f : files) {
    if (!f.log) f.fileid = next_id++;
  }
  for (PlannedFile& f : files) {
    if (f.log) f.fileid = next_id++;
    f.local = x.session().server().drives().Map(f.spec.filename);
  }
  return files;
}

void WriteSysfiles(SqliteDb& db, const std::vector<PlannedFile>& files, const std::string& schema,
                   std::optional<long long> dbid) {
  for (const PlannedFile& f : files) {
    bool percent = f.spec.filegrowth.find('%') != std::string::npos;
    long long growth = percent ? static_cast<long long>(std::min(Number(f.spec.filegrowth), 1e9))
                               : Pages(f.spec.filegrowth, 128);
    long long maxsize = f.spec.maxsize.empty() || f.spec.maxsize == "UNLIMITED" ? -1 : Pages(f.spec.maxsize, -1);
    long long status = (f.log ? 0x42 : 0x2) | (percent ? 0x100000 : 0);
    AddDatabaseFile(db, schema,
                    {f.fileid, f.log ? 0 : 1, Pages(f.spec.size, 128), maxsize, growth, status,
                     Padded(f.spec.name, 128), Padded(f.spec.filename, 260)},
                    dbid);
  }
}

// A CREATE DATABASE that stops between making its files and committing
// master's row must leave nothing behind. Before the first file is made,
// the journal names the database and its files; it goes once the row is
// committed. The next CREATE DATABASE, under the same server lock, removes
// the files of a journal whose database master never recorded.
class CreationJournal {
 public:
  explicit CreationJournal(const Server& server) : file_(server.root() / "create-database.journal") {}

  // Finishes what an interrupted creation left: its files go unless master
  // holds its row.
  void Recover(SessionState& session) {
    std::ifstream in(file_, std::ios::binary);
    std::string name;
    if (!in || !std::getline(in, name)) return Remove();
    if (!session.DatabaseExists(name))
      for (std::string line; std::getline(in, line);) RemoveFile(line);
    in.close();
    Remove();
  }

  void Begin(const std::string& name, const std::vector<PlannedFile>& files) {
    std::string text = name + "\n";
    for (const PlannedFile& f : files) text += f.local.string() + "\n";
    int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                   ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (!written) throw StorageError(SQLITE_IOERR, "cannot write " + file_.string(), error);
  }

  // Undoes a creation that failed in this process.
  void Abandon(const std::vector<PlannedFile>& files) {
    for (const PlannedFile& f : files) RemoveFile(f.local.string());
    Remove();
  }

  void Remove() {
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
  }

 private:
  static void RemoveFile(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + suffix, ignored);
  }

  std::filesystem::path file_;
};

void MakeFiles(const std::vector<PlannedFile>& files) {
  const PlannedFile& primary = files.front();
  // A write-ahead log left beside a deleted file must not replay into the new one.
  for (const char* suffix : {"-wal", "-shm"})
    std::filesystem::remove(primary.local.string() + suffix);
  {
    SqliteDb db(primary.local, true);
    InitializeDatabase(db, false);
    WriteSysfiles(db, files, "main", std::nullopt);
  }
  for (const PlannedFile& f : files) {
    if (!f.log) continue;
    std::ofstream log(f.local, std::ios::binary);
    log << "court-setup transaction log\n";
    if (!log.flush()) throw StorageError(SQLITE_IOERR, "cannot write " + f.local.string(), errno);
  }
}

void RecordDatabase(StatementContext& x, const CreateDatabaseStmt& s, const std::vector<PlannedFile>& files) {
  SqliteDb& db = x.session().db();
  const std::string& master = x.session().master().schema();
  const long long dbid =
      AddDatabase(db, master, s.name, x.session().principal() ? x.session().principal()->sid : Value::Binary({0x01}),
                  files.front().spec.filename);
  WriteSysfiles(db, files, master, dbid);
}

}  // namespace

// Files and master's row come together or not at all, and one creation at a
// time per server: two processes creating the same database get one
// database and one 1801.
void RunCreateDatabase(StatementContext& x, const CreateDatabaseStmt& s) {
  RequireStatement(x.session(), kCreateDatabase);
  if (!sqlite3_get_autocommit(x.session().db().handle()))
    throw Message(Msg::kCreateDatabaseInTransaction);
  ServerLock lock(x.session().server().root());
  WriteTransaction transaction(x.session().db(), !x.session().in_master());
  CreationJournal journal(x.session().server());
  journal.Recover(x.session());
  if (x.session().DatabaseExists(s.name)) throw Message(Msg::kDatabaseExists, {s.name});
  std::vector<PlannedFile> files = Plan(x, s);
  bool failed = false;
  for (const PlannedFile& f : files) {
    if (std::filesystem::exists(f.local)) {
      x.Raise(Message(Msg::kFileExists, {f.spec.filename}));
      failed = true;
    } else if (!std::filesystem::is_directory(f.local.parent_path())) {
      x.Raise(Message(Msg::kDeviceActivation, {f.spec.filename}));
      failed = true;
    }
  }
  if (failed)
    throw Message(Msg::kCreateDatabaseFailed);
  journal.Begin(s.name, files);
  try {
    MakeFiles(files);
    RecordDatabase(x, s, files);
    transaction.Commit();
  } catch (...) {
    journal.Abandon(files);
    throw;
  }
  journal.Remove();
  for (const PlannedFile& f : files) {
    char mb[32];
    std::snprintf(mb, sizeof mb, "%.2f", static_cast<double>(Pages(f.spec.size, 128)) / 128.0);
    x.Inform(Message(Msg::kAllocating, {mb, f.spec.name}));
  }
}

}  // namespace court::mssql
