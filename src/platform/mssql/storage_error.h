// SQLite's failures as the SQL Server errors a client knows: SQLite's own
// texts name its internals and never reach a client.

#ifndef COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_
#define COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_

#include <string>

#include "platform/access/error.h"

namespace court::mssql {

// code is SQLite's (extended) result code, message sqlite3_errmsg's text (or
// what failed), system_errno the operating system's error behind it when
// known. A full disk, a read-only file or disk, a lock wait that ran out and
// an I/O fault become 1105, 3906, 1222 and 823 with a text that says what to do.
access::Error StorageError(int code, const std::string& message, int system_errno = 0);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_
