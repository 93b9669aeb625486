#include "platform/mssql/security.h"

#include <algorithm>
#include <array>

#include "platform/mssql/catalog.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/password_hash.h"
#include "platform/mssql/security_store.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

namespace {

using access::Value;

constexpr int kGuest = 2;

constexpr std::array<const char*, 8> kServerRoles = {"sysadmin",     "securityadmin", "serveradmin",
                                                     "setupadmin",   "processadmin",  "diskadmin",
                                                     "dbcreator",    "bulkadmin"};

std::string MasterSchema(const SessionState& session) { return session.in_master() ? "main" : "master"; }

// Checked lazily against a hash no login has, so that an unknown login
// takes as long to refuse as a wrong password.
const std::string& DecoyHash() {
  static const std::string hash = HashPassword("no login has this password");
  return hash;
}

std::string ActionName(Action action) {
  switch (action) {
    case kSelect: return "SELECT";
    case kInsert: return "INSERT";
    case kUpdate: return "UPDATE";
    case kDelete: return "DELETE";
    case kExecute: return "EXECUTE";
    case kReferences: return "REFERENCES";
    case kCreateTable: return "CREATE TABLE";
    case kCreateDatabase: return "CREATE DATABASE";
    case kCreateView: return "CREATE VIEW";
    case kCreateProcedure: return "CREATE PROCEDURE";
    case kCreateDefault: return "CREATE DEFAULT";
    case kBackupDatabase: return "BACKUP DATABASE";
  }
  return "";
}

bool Contains(const std::vector<int>& groups, int role) {
  return std::find(groups.begin(), groups.end(), role) != groups.end();
}

// The uids whose rights the session's user holds: its own and its roles'.
std::string Holders(const DatabaseUser& user) {
  std::string uids = std::to_string(user.uid);
  for (int group : user.groups) uids += "," + std::to_string(group);
  return uids;
}

// What sysprotects says on the whole object for the user and its roles:
// -1 denied, 1 granted, 0 nothing.
int Protection(SessionState& session, const std::string& schema, int object_id, Action action) {
  auto rows = session.db().Rows("SELECT max(protecttype = " + std::to_string(kDeny) + "), count(*) FROM " +
                                    QuoteIdentifier(schema) + ".sysprotects WHERE id = ?1 AND action = ?2 AND uid IN (" +
                                    Holders(session.user()) + ") AND columns IS NULL",
                                {Value::Integer(object_id), Value::Integer(action)});
  if (rows.empty() || rows[0][1].integer() == 0) return 0;
  return rows[0][0].integer() == 1 ? -1 : 1;
}

// The columns granted and denied one by one to the user and its roles.
struct ColumnRights {
  access::Bytes granted, denied;  // bitmaps by colid
  static bool Has(const access::Bytes& map, int colid) {
    const std::size_t byte = static_cast<std::size_t>(colid) / 8;
    return byte < map.size() && (map[byte] >> (colid % 8) & 1);
  }
};

ColumnRights ColumnProtection(SessionState& session, int object_id, Action action) {
  ColumnRights rights;
  for (const auto& row : session.db().Rows("SELECT protecttype, columns FROM sysprotects WHERE id = ?1 AND action = ?2 "
                                           "AND columns IS NOT NULL AND uid IN (" + Holders(session.user()) + ")",
                                           {Value::Integer(object_id), Value::Integer(action)})) {
    access::Bytes& map = row[0].integer() == kDeny ? rights.denied : rights.granted;
    const access::Bytes& bits = row[1].binary();
    if (map.size() < bits.size()) map.resize(bits.size());
    for (std::size_t i = 0; i < bits.size(); ++i) map[i] |= bits[i];
  }
  return rights;
}

// What the fixed database roles give or take away, before sysprotects.
int RoleProtection(const DatabaseUser& user, Action action) {
  const bool read = action == kSelect;
  const bool write = action == kInsert || action == kUpdate || action == kDelete;
  if ((read && Contains(user.groups, kDbDenydatareader)) || (write && Contains(user.groups, kDbDenydatawriter)))
    return -1;
  if ((read && Contains(user.groups, kDbDatareader)) || (write && Contains(user.groups, kDbDatawriter))) return 1;
  return 0;
}

int ObjectOwner(SessionState& session, int object_id) {
  Value uid = session.db().Scalar("SELECT uid FROM sysobjects WHERE id = ?1", {Value::Integer(object_id)});
  return uid.is_null() ? -1 : static_cast<int>(uid.integer());
}

}  // namespace

unsigned ServerRoleNamed(const std::string& name) {
  for (std::size_t i = 0; i < kServerRoles.size(); ++i)
    if (CompareCi(name, kServerRoles[i]) == 0) return 1u << i;
  return 0;
}

std::optional<Principal> Authenticate(SqliteDb& master, const std::string& login, const std::string& password) {
  std::string columns = "name, sid, dbname, password, denylogin, hasaccess";
  for (const char* role : kServerRoles) columns += std::string(", ") + role;
  auto rows = master.Rows("SELECT " + columns + " FROM syslogins WHERE name = ?1 AND isntname = 0",
                          {Value::Text(login)});
  if (rows.empty()) {
    VerifyPassword(DecoyHash(), password);
    return std::nullopt;
  }
  const auto& row = rows[0];
  const std::string stored = row[3].is_null() ? "" : row[3].ToText();
  const bool legacy = IsLegacyDigest(stored);
  const bool matches = legacy ? VerifyLegacyDigest(stored, password)
                              : VerifyPassword(stored.empty() ? DecoyHash() : stored, password) && !stored.empty();
  if (!matches || row[4].integer() != 0 || row[5].integer() == 0) return std::nullopt;
  if (legacy) LoginStore(master, "main").SetPassword(row[0].ToText(), password);
  Principal principal{row[0].ToText(), row[1], row[2].is_null() ? "master" : row[2].ToText(), 0};
  for (std::size_t i = 0; i < kServerRoles.size(); ++i)
    if (row[6 + i].integer() != 0) principal.roles |= 1u << i;
  return principal;
}

DatabaseUser EnterDatabase(SessionState& session) {
  const Principal* principal = session.principal();
  DatabaseUser user;
  if (principal == nullptr || (principal->roles & kSysadmin)) return user;
  SqliteDb& db = session.db();
  Value owner = db.Scalar("SELECT sid FROM " + QuoteIdentifier(MasterSchema(session)) +
                              ".sysdatabases WHERE name = ?1",
                          {Value::Text(session.database())});
  if (!owner.is_null() && owner.ToText() == principal->sid.ToText()) return user;
  Value uid = db.Scalar("SELECT uid FROM sysusers WHERE sid = ?1 AND hasdbaccess = 1 AND issqlrole = 0",
                        {principal->sid});
  if (uid.is_null()) {
    const bool guest = session.in_master() ||
                       !db.Scalar("SELECT 1 FROM sysusers WHERE uid = ?1 AND hasdbaccess = 1",
                                  {Value::Integer(kGuest)}).is_null();
    if (!guest)
      throw Message(Msg::kNotValidUser, {principal->login, session.database()});
    uid = Value::Integer(kGuest);
  }
  user.uid = static_cast<int>(uid.integer());
  user.groups = {0};
  for (const auto& row : db.Rows("SELECT groupuid FROM sysmembers WHERE memberuid = ?1", {uid}))
    user.groups.push_back(static_cast<int>(row[0].integer()));
  user.owner = user.uid == 1 || Contains(user.groups, kDbOwner);
  return user;
}

bool IsAdministrator(const SessionState& session) {
  return session.principal() == nullptr || (session.principal()->roles & kSysadmin);
}

bool HasServerRole(const SessionState& session, unsigned any_of) {
  return IsAdministrator(session) || (session.principal()->roles & any_of);
}

bool HasDatabaseRole(const SessionState& session, int role) {
  return IsAdministrator(session) || session.user().owner || Contains(session.user().groups, role);
}

void RequireServerRole(const SessionState& session, unsigned any_of) {
  if (!HasServerRole(session, any_of)) throw NoPermission();
}

void RequireDatabaseRole(const SessionState& session, int role) {
  if (!HasDatabaseRole(session, role)) throw NoPermission();
}

bool RequireObject(SessionState& session, const TableMeta& object, Action action) {
  if (IsAdministrator(session)) return true;
  const bool system = object.xtype == "S";
  if (system && action != kSelect)
    throw Message(Msg::kAdHocUpdates);
  // Master's objects seen from another database: only its system tables, to everyone.
  if (object.schema != "main") {
    if (system) return true;
  } else {
    const DatabaseUser& user = session.user();
    if (user.owner || ObjectOwner(session, object.id) == user.uid) return true;
    int protection = Protection(session, "main", object.id, action);
    if (protection == 0) protection = RoleProtection(user, action);
    if (protection == 0 && system) protection = 1;
    const bool by_column = action == kSelect || action == kUpdate || action == kReferences;
    if (protection >= 0 && by_column) {
      const ColumnRights columns = ColumnProtection(session, object.id, action);
      if (protection > 0) return columns.denied.empty();
      if (!columns.granted.empty()) return false;
    } else if (protection > 0) {
      return true;
    }
  }
  throw Message(Msg::kObjectPermission,
                {ActionName(action), object.name, object.schema == "main" ? session.database() : "master"});
}

void RequireColumn(SessionState& session, const TableMeta& object, const ColumnMeta& column, Action action) {
  if (IsAdministrator(session) || object.schema != "main") return;
  const DatabaseUser& user = session.user();
  if (user.owner || ObjectOwner(session, object.id) == user.uid) return;
  const ColumnRights columns = ColumnProtection(session, object.id, action);
  if (!ColumnRights::Has(columns.denied, column.colid)) {
    int protection = Protection(session, "main", object.id, action);
    if (protection == 0) protection = RoleProtection(user, action);
    if (protection == 0 && object.xtype == "S" && action == kSelect) protection = 1;
    if (protection > 0 || ColumnRights::Has(columns.granted, column.colid)) return;
  }
  throw Message(Msg::kColumnPermission, {ActionName(action), column.name, object.name, session.database()});
}

std::string ReadSource(SessionState& session, const TableMeta& table, bool* whole) {
  *whole = RequireObject(session, table, kSelect);
  if (IsAdministrator(session) || CompareCi(table.name, "syslogins") != 0) return table.SqliteName();
  std::string columns;
  for (const ColumnMeta& column : table.columns)
    columns += (columns.empty() ? "" : ", ") +
               (CompareCi(column.name, "password") == 0 ? "NULL AS password" : QuoteIdentifier(column.name));
  return "(SELECT " + columns + " FROM " + table.SqliteName() + ")";
}

void RequireStatement(SessionState& session, Action action) {
  if (IsAdministrator(session)) return;
  if (action == kCreateDatabase && HasServerRole(session, kDbcreator)) return;
  if (action == kCreateDatabase) {
    // Granted in master only, to master's users.
    if (session.in_master() && Protection(session, "main", 0, action) > 0) return;
  } else if (action == kBackupDatabase) {
    if (HasDatabaseRole(session, kDbBackupoperator) || Protection(session, "main", 0, action) > 0) return;
  } else if (session.user().owner || Contains(session.user().groups, kDbDdladmin) ||
             Protection(session, "main", 0, action) > 0) {
    return;
  }
  throw Message(Msg::kDatabasePermission, {ActionName(action), session.database()});
}

void RequireOwner(SessionState& session, int object_id, const std::string& object_name) {
  if (HasDatabaseRole(session, kDbDdladmin) || ObjectOwner(session, object_id) == session.user().uid) return;
  throw Message(Msg::kNotOwner, {object_name});
}

void RequireGrantor(SessionState& session, int object_id) {
  if (HasDatabaseRole(session, kDbSecurityadmin)) return;
  if (object_id != 0 && ObjectOwner(session, object_id) == session.user().uid) return;
  throw Message(Msg::kNoGrantPermission);
}

void TakeOwnership(SessionState& session, int object_id) {
  if (session.user().owner) return;
  session.catalog().SetOwner(object_id, session.user().uid);
}

}  // namespace court::mssql
