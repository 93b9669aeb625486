#include "platform/mssql/file_upgrades.h"

#include <iterator>

#include "platform/mssql/catalog.h"
#include "platform/mssql/sql_type.h"

namespace court::mssql {

namespace {

// Every float in a money or decimal column of a user table becomes units of
// the column's scale.
void StoreExactNumbersAsUnits(SqliteDb& db) {
  const auto columns = db.Rows(
      "SELECT o.name, c.name, c.xtype, c.xscale FROM main.sysobjects o JOIN main.syscolumns c ON c.id = o.id "
      "WHERE o.xtype = 'U ' AND c.xtype IN (60, 106, 108, 122)");
  for (const auto& row : columns) {
    const SqlType type = TypeFromCatalog(static_cast<int>(row[2].integer()), 0, 0, static_cast<int>(row[3].integer()));
    const std::string column = QuoteIdentifier(row[1].text());
    db.Exec("UPDATE " + QualifiedName("main", row[0].text()) + " SET " + column + " = court_exact(" + column +
            ", 0, " + std::to_string(type.family == TypeFamily::kMoney ? 4 : type.scale) + ") WHERE typeof(" +
            column + ") = 'real'");
  }
}

struct Upgrade {
  const char* name;
  void (*apply)(SqliteDb&);
};

constexpr Upgrade kUpgrades[] = {
    {"exact units", StoreExactNumbersAsUnits},
    {"system indexes", IndexSystemTables},
};

bool Done(SqliteDb& db) {
  if (db.Scalar("SELECT count(*) FROM main.sqlite_schema WHERE name = 'court_upgrades'").integer() == 0)
    return false;
  return db.Scalar("SELECT count(*) FROM main.court_upgrades").integer() == std::ssize(kUpgrades);
}

bool Had(SqliteDb& db, const Upgrade& upgrade) {
  return db.Scalar("SELECT count(*) FROM main.court_upgrades WHERE name = ?1", {access::Value::Text(upgrade.name)})
             .integer() > 0;
}

void Record(SqliteDb& db, const Upgrade& upgrade) {
  db.Rows("INSERT OR IGNORE INTO main.court_upgrades VALUES (?1)", {access::Value::Text(upgrade.name)});
}

}  // namespace

void MarkUpgradesDone(SqliteDb& db) {
  db.Exec("CREATE TABLE IF NOT EXISTS main.court_upgrades (name TEXT PRIMARY KEY)");
  for (const Upgrade& upgrade : kUpgrades) Record(db, upgrade);
}

void UpgradeFile(SqliteDb& db) {
  if (Done(db)) return;
  db.Exec("BEGIN IMMEDIATE");
  try {
    db.Exec("CREATE TABLE IF NOT EXISTS main.court_upgrades (name TEXT PRIMARY KEY)");
    for (const Upgrade& upgrade : kUpgrades) {
      if (Had(db, upgrade)) continue;
      upgrade.apply(db);
      Record(db, upgrade);
    }
    db.Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace court::mssql
