// One-time changes that bring a file made by an earlier version of the
// engine to what this version makes.
//
// A file lists the upgrades it has had in its table court_upgrades; a new
// file is made with all of them. They are:
// - "exact units": money and decimal values stored as integer units of
//   their scale (exact_number.h), where earlier versions stored floats;
// - "system indexes": the indexes of the system tables that later versions
//   added (see IndexSystemTables).

#ifndef COURT_PLATFORM_MSSQL_FILE_UPGRADES_H_
#define COURT_PLATFORM_MSSQL_FILE_UPGRADES_H_

#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

// Marks a new file (its "main" schema) as having had every upgrade.
void MarkUpgradesDone(SqliteDb& db);

// Brings the file opened as "main" up to date, under a write lock, unless
// it is; an upgrade interrupted is rolled back whole and done again by the
// next opening.
void UpgradeFile(SqliteDb& db);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_FILE_UPGRADES_H_
