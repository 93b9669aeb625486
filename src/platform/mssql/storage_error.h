// SQLite's failures as the SQL Server errors a client knows: SQLite's own
// texts name its internals and never reach a client.

#ifndef COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_
#define COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_

#include <string>

#include "platform/access/error.h"

namespace court::mssql {

// code: SQLite's (extended) result code; message: sqlite3_errmsg's text or
// what failed; system_errno: the operating system's error behind it, when
// known. Faults of the machine (lock wait ran out 1222, disk full 1105,
// read-only 3906, I/O 823) say what to do about them; faults of the
// statement become the errors SQL Server raises for them.
access::Error StorageError(int code, const std::string& message, int system_errno = 0);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_
