// One-time rewrites of a file's values when the engine changes the form in
// which it stores a type.
//
// A file lists the forms it has been brought to in its table
// court_stored_forms; a new file is made with all of them. So far there is
// one: money and decimal values as integer units of their scale
// (exact_number.h), where earlier versions stored floats.

#ifndef COURT_PLATFORM_MSSQL_STORED_FORMS_H_
#define COURT_PLATFORM_MSSQL_STORED_FORMS_H_

#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

// Marks a new file (its "main" schema) as holding every current form.
void MarkStoredFormsCurrent(SqliteDb& db);

// Brings the values of the file opened as "main" to the current forms,
// under a write lock, unless it already holds them; a rewrite interrupted
// is rolled back whole and done again by the next opening.
void BringStoredFormsUpToDate(SqliteDb& db);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STORED_FORMS_H_
