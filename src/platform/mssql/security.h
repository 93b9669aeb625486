// Who a session acts for and what it may do: the one place where the
// engine decides rights, as SQL Server 2000 does.
//
// A session opened in-process (the installer, court-sqlcmd) has no
// principal: it is the machine's administrator and passes every check, as
// integrated security makes a local administrator sysadmin. A session
// opened for a network login carries that login's principal; sysadmin
// passes every check too, everyone else gets what the server holds:
// - server roles (syslogins), fixed when the login logs in;
// - a user in each database it enters (sysusers; guest where guest has
//   access, and always in master), with its roles (sysmembers), fixed when
//   it enters the database; the database's owner and db_owner are dbo;
// - object and statement permissions (sysprotects), looked up at each
//   statement: a DENY to the user or any of its roles (public included)
//   wins over every GRANT, no GRANT means no right; SELECT and UPDATE may
//   be granted or denied on single columns (sysprotects.columns, a bitmap
//   by colid). An object's owner holds every right on it; system tables may
//   be read by everyone.
// Each Require* returns when the right is held and throws the server's
// error otherwise. The rows read here are written only through
// security_store.h.

#ifndef COURT_PLATFORM_MSSQL_SECURITY_H_
#define COURT_PLATFORM_MSSQL_SECURITY_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

class SessionState;
struct TableMeta;

// The fixed server roles, one bit each; their names are syslogins columns.
enum ServerRole : unsigned {
  kSysadmin = 1u << 0,
  kSecurityadmin = 1u << 1,
  kServeradmin = 1u << 2,
  kSetupadmin = 1u << 3,
  kProcessadmin = 1u << 4,
  kDiskadmin = 1u << 5,
  kDbcreator = 1u << 6,
  kBulkadmin = 1u << 7,
};
// The role of that (lower-case) name, or 0.
unsigned ServerRoleNamed(const std::string& name);

// Fixed database roles, by their uid in sysusers.
enum DatabaseRole : int {
  kDbOwner = 16384,
  kDbAccessadmin = 16385,
  kDbSecurityadmin = 16386,
  kDbDdladmin = 16387,
  kDbBackupoperator = 16389,
  kDbDatareader = 16390,
  kDbDatawriter = 16391,
  kDbDenydatareader = 16392,
  kDbDenydatawriter = 16393,
};

// Permissions, by their sysprotects action codes.
enum Action : int {
  kReferences = 26,
  kSelect = 193,
  kInsert = 195,
  kDelete = 196,
  kUpdate = 197,
  kCreateTable = 198,
  kCreateDatabase = 203,
  kCreateView = 207,
  kCreateProcedure = 222,
  kExecute = 224,
  kCreateDefault = 233,
  kBackupDatabase = 228,
};

struct ColumnMeta;

struct Principal {
  std::string login;  // as recorded in syslogins
  access::Value sid;
  std::string default_database;
  unsigned roles = 0;  // ServerRole bits
};

// The session's user in its current database.
struct DatabaseUser {
  int uid = 1;
  std::vector<int> groups;  // public and every role the user belongs to
  bool owner = true;        // dbo or a member of db_owner: every right here
};

// On master's own connection: the login of that name (any letter case)
// when it may log in and the password is its own; null otherwise, without
// saying why.
std::optional<Principal> Authenticate(SqliteDb& master, const std::string& login, const std::string& password);

// The session's user in the database it has just opened; 916 when the
// login has no access to it.
DatabaseUser EnterDatabase(SessionState& session);

bool IsAdministrator(const SessionState& session);  // local administrator or sysadmin
bool HasServerRole(const SessionState& session, unsigned any_of);
bool HasDatabaseRole(const SessionState& session, int role);  // db_owner holds every role

void RequireServerRole(const SessionState& session, unsigned any_of);  // 15247
void RequireDatabaseRole(const SessionState& session, int role);       // 15247
// A right on a table or view (229); writes to system tables are refused
// (259) whatever was granted. False when the right is held on some
// columns only: each column used must then pass RequireColumn.
bool RequireObject(SessionState& session, const TableMeta& object, Action action);
// A right on one column (230).
void RequireColumn(SessionState& session, const TableMeta& object, const ColumnMeta& column, Action action);
// Where a query reads a table or view from, once the session may read it
// (229): the table itself, or for syslogins one without password hashes,
// which only sysadmin sees.
// whole: set to RequireObject's answer.
std::string ReadSource(SessionState& session, const TableMeta& table, bool* whole);
// A statement permission in the current database (262).
void RequireStatement(SessionState& session, Action action);
// What only an object's owner may do: alter, drop, truncate, bind (3704).
void RequireOwner(SessionState& session, int object_id, const std::string& object_name);
// Granting and revoking rights on an object (0 for statement permissions): 4613.
void RequireGrantor(SessionState& session, int object_id);
// A new object belongs to the user who created it.
void TakeOwnership(SessionState& session, int object_id);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SECURITY_H_
