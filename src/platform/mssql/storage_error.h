// SQLite's failures as the SQL Server errors a client knows: SQLite's own
// texts name its internals and never reach a client.

#ifndef COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_
#define COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_

#include <string>

#include "platform/access/error.h"

namespace court::mssql {

// code is SQLite's (extended) result code, message sqlite3_errmsg's text.
access::Error StorageError(int code, const std::string& message);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STORAGE_ERROR_H_
