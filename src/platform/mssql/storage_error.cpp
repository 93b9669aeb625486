#include "platform/mssql/storage_error.h"

#include <sqlite3.h>

#include <string_view>

#include "platform/mssql/messages.h"

namespace court::mssql {
namespace {

bool Says(const std::string& message, std::string_view words) {
  return message.find(words) != std::string::npos;
}

}  // namespace

access::Error StorageError(int code, const std::string& message) {
  switch (code & 0xff) {
    // Callers that write rows turn these into the key errors they stand for,
    // so they keep SQLite's number.
    case SQLITE_CONSTRAINT: return access::Error(code, "Violation of a key constraint.", 14, 1);
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return Message(1222, "Lock request time out period exceeded.");
    case SQLITE_NOMEM: return Message(701, "There is insufficient system memory to run this query.", 17);
    case SQLITE_FULL:
      return Message(1105, "Could not allocate space for the database because the disk is full.", 17);
    case SQLITE_TOOBIG: return Message(1701, "Creating or altering the row failed because it is too large.");
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
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
