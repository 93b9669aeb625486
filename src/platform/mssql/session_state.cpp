#include "platform/mssql/session_state.h"

#include "platform/mssql/messages.h"
#include "platform/mssql/file_upgrades.h"

namespace court::mssql {

const access::Error* BatchResult::FirstError() const {
  for (const access::Error& e : messages)
    if (e.severity() > 10) return &e;
  return nullptr;
}

SessionState::SessionState(Server& server, const std::string& database, std::optional<Principal> principal)
    : server_(server), principal_(std::move(principal)) {
  const std::uintmax_t master_id = Server::FileId(server.MasterFile());
  std::unique_ptr<SqliteDb> master = server.Borrow(server.MasterFile(), master_id);
  if (!master) master = std::make_unique<SqliteDb>(server.MasterFile(), false);
  std::optional<DatabaseEntry> entry = server.FindDatabase(*master, "main", database);
  server.GiveBack(server.MasterFile(), master_id, std::move(master));
  if (!entry || !std::filesystem::exists(entry->file))
    throw Message(Msg::kCannotOpenDatabase, {database});
  Open(*entry);
  user_ = EnterDatabase(*this);
  Idle();
}

SessionState::~SessionState() { Release(); }

namespace {

int AskInterrupt(void* check) { return (*static_cast<std::function<bool()>*>(check))() ? 1 : 0; }

// Virtual machine steps between two questions: often enough to stop a long
// query at once, rarely enough to cost nothing measurable.
constexpr int kInterruptSteps = 10000;

}  // namespace

void SessionState::SetInterruptCheck(std::function<bool()> check) {
  interrupt_check_ = std::move(check);
  InstallInterruptCheck();
}

void SessionState::InstallInterruptCheck() {
  if (db_)
    sqlite3_progress_handler(db_->handle(), kInterruptSteps, interrupt_check_ ? AskInterrupt : nullptr,
                             &interrupt_check_);
}

SqliteDb& SessionState::db() {
  Acquire();
  return *db_;
}

Catalog& SessionState::catalog() {
  Acquire();
  return *catalog_;
}

Catalog& SessionState::master() {
  Acquire();
  return master_catalog_ ? *master_catalog_ : *catalog_;
}

void SessionState::Idle() {
  if (db_ && sqlite3_get_autocommit(db_->handle())) Release();
}

void SessionState::Release() {
  if (!db_) return;
  if (interrupt_check_) sqlite3_progress_handler(db_->handle(), 0, nullptr, nullptr);
  lease_ = server_.GiveBack(file_, file_id_, std::move(db_));
}

bool SessionState::DatabaseExists(const std::string& database) {
  return server_.FindDatabase(db(), in_master() ? "main" : "master", database).has_value();
}

void SessionState::Use(const std::string& database) {
  std::optional<DatabaseEntry> entry =
      server_.FindDatabase(db(), in_master() ? "main" : "master", database);
  if (!entry || !std::filesystem::exists(entry->file))
    throw UnknownDatabase(database);
  // The current database stays open: a transaction on it goes on.
  if (entry->name == database_) return;
  const DatabaseEntry previous = entry_;
  Open(*entry);
  try {
    user_ = EnterDatabase(*this);
  } catch (const access::Error&) {
    Open(previous);
    throw;
  }
}

void SessionState::Open(const DatabaseEntry& entry) {
  Release();
  lease_ = 0;
  entry_ = entry;
  file_ = entry.file;
  database_ = entry.name;
  master_catalog_.reset();
  catalog_.reset();
  Acquire();
  if (entry.dbid == 1) {
    catalog_ = std::make_unique<Catalog>(*db_, "main", true);
  } else {
    catalog_ = std::make_unique<Catalog>(*db_, "main", false);
    master_catalog_ = std::make_unique<Catalog>(*db_, "master", true);
  }
}

void SessionState::Acquire() {
  if (db_) return;
  if (lease_ != 0) db_ = server_.TakeBack(file_, lease_);
  lease_ = 0;
  if (!db_) {
    file_id_ = Server::FileId(file_);
    db_ = server_.Borrow(file_, file_id_);
  }
  if (!db_) {
    db_ = std::make_unique<SqliteDb>(file_, false);
    // Master's commits (logins, databases, the installer's run marker) are
    // few and order what happens in the other files: each is on disk when
    // it returns, so a power cut cannot take one back while later work stays.
    if (entry_.dbid == 1) {
      db_->Exec("PRAGMA main.synchronous=FULL");
    } else {
      db_->Rows("ATTACH DATABASE ?1 AS master", {access::Value::Text(server_.MasterFile().string())});
      db_->Exec("PRAGMA master.synchronous=FULL");
    }
    UpgradeFile(*db_);
  }
  if (catalog_) catalog_->Rebind(*db_);
  if (master_catalog_) master_catalog_->Rebind(*db_);
  db_->functions().date_order = date_order;
  InstallInterruptCheck();
}

}  // namespace court::mssql
