#include "platform/mssql/session_state.h"

#include "platform/mssql/messages.h"

namespace court::mssql {

const access::Error* BatchResult::FirstError() const {
  for (const access::Error& e : messages)
    if (e.severity() > 10) return &e;
  return nullptr;
}

SessionState::SessionState(Server& server, const std::string& database) : server_(server) {
  SqliteDb master(server.MasterFile(), false);
  std::optional<DatabaseEntry> entry = server.FindDatabase(master, "main", database);
  if (!entry || !std::filesystem::exists(entry->file))
    throw Message(4060, "Cannot open database requested in login '" + database + "'. Login fails.", 11);
  Open(*entry);
}

bool SessionState::DatabaseExists(const std::string& database) {
  return server_.FindDatabase(db(), in_master() ? "main" : "master", database).has_value();
}

void SessionState::Use(const std::string& database) {
  std::optional<DatabaseEntry> entry =
      server_.FindDatabase(db(), in_master() ? "main" : "master", database);
  if (!entry || !std::filesystem::exists(entry->file))
    throw Message(911, "Could not locate entry in sysdatabases for database '" + database +
                           "'. No entry found with that name. Make sure that the name is entered "
                           "correctly.");
  Open(*entry);
}

void SessionState::Open(const DatabaseEntry& entry) {
  master_catalog_.reset();
  catalog_.reset();
  db_.reset();
  db_ = std::make_unique<SqliteDb>(entry.file, false);
  database_ = entry.name;
  if (entry.dbid == 1) {
    catalog_ = std::make_unique<Catalog>(*db_, "main", true);
  } else {
    db_->Rows("ATTACH DATABASE ?1 AS master", {access::Value::Text(server_.MasterFile().string())});
    catalog_ = std::make_unique<Catalog>(*db_, "main", false);
    master_catalog_ = std::make_unique<Catalog>(*db_, "master", true);
  }
  db_->functions().date_order = date_order;
}

}  // namespace court::mssql
