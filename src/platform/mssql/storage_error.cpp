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
    // so they keep SQLite's number and its text, which names the key's columns.
    case SQLITE_CONSTRAINT: return access::Error(code, message, 14, 1);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return Message(Msg::kLockTimeout);
    case SQLITE_NOMEM: return Message(Msg::kOutOfMemory);
    case SQLITE_FULL:
      return Message(Msg::kDiskFull, {message});
    case SQLITE_TOOBIG: return Message(Msg::kRowTooLarge);
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return Message(Msg::kReadOnly, {message});
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      if (system_errno == ENOSPC) return StorageError(SQLITE_FULL, message);
      if (system_errno == EROFS || system_errno == EACCES) return StorageError(SQLITE_READONLY, message);
      [[fallthrough]];
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return Message(Msg::kIoError, {message});
  }
  if (Says(message, "cannot commit - no transaction"))
    return Message(Msg::kCommitWithoutBegin);
  if (Says(message, "cannot rollback - no transaction"))
    return Message(Msg::kRollbackWithoutBegin);
  // sum() past 64 bits, of integers or of money and decimal units.
  if (Says(message, "integer overflow")) return OverflowConverting("expression", "numeric");
  if (Says(message, "misuse of aggregate"))
    return Message(Msg::kAggregateInWhere);
  if (Says(message, "too large") || Says(message, "too many") || Says(message, "stack overflow") ||
      Says(message, "too deep"))
    return NestedTooDeeply();
  if (Says(message, "unrecognized token") || Says(message, "syntax error"))
    return Message(Msg::kSyntaxNearString);
  return Message(Msg::kInternalError);
}

}  // namespace court::mssql
