#include "platform/mssql/storage_error.h"

#include <sqlite3.h>

#include <cerrno>
#include <string_view>

#include "platform/mssql/messages.h"

namespace court::mssql {
namespace {

bool Says(const std::string& message, std::string_view words) {
  return message.find(words) != std::string::npos;
}

}  // namespace

access::Error StorageError(int code, const std::string& message, int system_errno) {
  switch (code & 0xff) {
    // Callers that write rows turn these into the key errors they stand for,
    // so they keep SQLite's number.
    case SQLITE_CONSTRAINT: return access::Error(code, "Violation of a key constraint.", 14, 1);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return access::Error(1222, "Lock request time out period exceeded. Another program is writing to "
                                 "this server; run again when it has finished.", 16, 56);
    case SQLITE_NOMEM: return Message(701, "There is insufficient system memory to run this query.", 17);
    case SQLITE_FULL:
      return access::Error(1105, "Could not allocate space because the disk holding the database is "
                                 "full. Free disk space, then run again (" + message + ").", 17, 2);
    case SQLITE_TOOBIG: return Message(1701, "Creating or altering the row failed because it is too large.");
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return access::Error(3906, "Could not update the database because its file or disk is "
                                 "read-only. Make it writable, then run again (" + message + ").", 16, 1);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      if (system_errno == ENOSPC) return StorageError(SQLITE_FULL, message);
      if (system_errno == EROFS || system_errno == EACCES) return StorageError(SQLITE_READONLY, message);
      return access::Error(823, "I/O error (" + message + ") detected on a database file. Check the "
                                "disk, then run again.", 24, 2);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return Message(823, "I/O error detected while reading or writing a database file.", 24);
  }
  if (Says(message, "cannot commit - no transaction"))
    return Message(3902, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
  if (Says(message, "cannot rollback - no transaction"))
    return Message(3903, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
  if (Says(message, "misuse of aggregate"))
    return Message(147, "An aggregate may not appear in the WHERE clause unless it is in a subquery "
                        "contained in a HAVING clause or a select list, and the column being "
                        "aggregated is an outer reference.");
  if (Says(message, "too large") || Says(message, "too many") || Says(message, "stack overflow") ||
      Says(message, "too deep"))
    return NestedTooDeeply();
  if (Says(message, "unrecognized token") || Says(message, "syntax error"))
    return Message(170, "Line 1: Incorrect syntax near the character string.", 15);
  return Message(8624, "Internal SQL Server error.");
}

}  // namespace court::mssql
