#include "platform/mssql/stored_forms.h"

#include "platform/mssql/sql_type.h"

namespace court::mssql {

namespace {

constexpr const char* kExactUnits = "exact units";

bool HasForm(SqliteDb& db, const char* form) {
  if (db.Scalar("SELECT count(*) FROM main.sqlite_schema WHERE name = 'court_stored_forms'").integer() == 0)
    return false;
  return db.Scalar("SELECT count(*) FROM main.court_stored_forms WHERE name = ?1", {access::Value::Text(form)})
             .integer() > 0;
}

void Record(SqliteDb& db, const char* form) {
  db.Exec("CREATE TABLE IF NOT EXISTS main.court_stored_forms (name TEXT PRIMARY KEY)");
  db.Rows("INSERT OR IGNORE INTO main.court_stored_forms VALUES (?1)", {access::Value::Text(form)});
}

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

}  // namespace

void MarkStoredFormsCurrent(SqliteDb& db) { Record(db, kExactUnits); }

void BringStoredFormsUpToDate(SqliteDb& db) {
  if (HasForm(db, kExactUnits)) return;
  db.Exec("BEGIN IMMEDIATE");
  try {
    if (!HasForm(db, kExactUnits)) {
      StoreExactNumbersAsUnits(db);
      Record(db, kExactUnits);
    }
    db.Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace court::mssql
