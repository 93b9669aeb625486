// The rows that say who may do what, and the only code that writes them:
// master's logins (syslogins), and in each database its users (sysusers),
// their role memberships (sysmembers) and permissions (sysprotects).
//
// Every table name is qualified by its SQLite schema, so that a user table
// of the same name in the current database never receives these rows.
// Procedures and statements decide whether a change is allowed and what it
// is; they make it through these operations, never with SQL of their own.
// The checks that read these rows live in security.h.

#ifndef COURT_PLATFORM_MSSQL_SECURITY_STORE_H_
#define COURT_PLATFORM_MSSQL_SECURITY_STORE_H_

#include <optional>
#include <string>

#include "platform/access/value.h"
#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

class SessionState;

// sysprotects protecttype codes.
enum ProtectType : int {
  kGrantWithGrant = 204,
  kGrant = 205,
  kDeny = 206,
};

// Master's logins.
class LoginStore {
 public:
  // master: master's SQLite schema on db ("main" on master's own
  // connection, "master" where it is attached to a user database's).
  LoginStore(SqliteDb& db, std::string master);

  struct NewLogin {
    access::Bytes sid;
    std::string name;
    std::string database;  // the default database
    std::string language;
    std::optional<std::string> password;  // in clear; stored hashed
  };
  // A SQL login that may log in, with no server role.
  void AddLogin(const NewLogin& login);
  void DropLogin(const std::string& name);
  // Turns the login away (deny) or lets it in again.
  void SetDenied(const std::string& name, bool deny);
  // role: a fixed server role's name, as ServerRoleNamed knows it; each is
  // a column of syslogins.
  void AddServerRole(const std::string& name, const std::string& role);
  bool HasPassword(const std::string& name);
  void SetPassword(const std::string& name, const std::string& password);

 private:
  std::string Table() const;

  SqliteDb& db_;
  std::string master_;
};

// Who a permission row is about: an object (0 for statement permissions),
// a user or role, and an action (security.h's Action codes).
struct RightKey {
  int object_id = 0;
  long long uid = 0;
  int action = 0;
};

// One database's users, role memberships and permissions.
class UserStore {
 public:
  // schema: the database's SQLite schema on db.
  UserStore(SqliteDb& db, std::string schema);

  // A user for the login of that sid, with database access; returns its
  // uid, the next one free below the roles'.
  long long AddUser(const std::string& name, const access::Value& sid);
  // The user goes with its memberships and the permissions granted or
  // denied to it.
  void DropUser(long long uid);
  void AddMember(long long uid, long long role);

  // Every row of the key, on the whole object and on single columns.
  void RemoveRights(const RightKey& key);
  // A GRANT or DENY on the whole object.
  void AddRight(const RightKey& key, ProtectType type, long long grantor);
  // The columns (a bitmap by colid) that the key's column-level row of that
  // type names; empty when there is none.
  access::Bytes ColumnRights(const RightKey& key, ProtectType type);
  // Replaces that row: a bitmap without any column set removes it.
  void SetColumnRights(const RightKey& key, ProtectType type, const access::Bytes& columns, long long grantor);
  // Every permission on an object that is going.
  void RemoveObjectRights(int object_id);

 private:
  std::string Table(const char* name) const;

  SqliteDb& db_;
  std::string schema_;
};

// The stores of a session: master's logins, and the current database's users.
LoginStore Logins(SessionState& session);
UserStore Users(SessionState& session);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SECURITY_STORE_H_
