#include "platform/mssql/security_store.h"

#include <algorithm>

#include "platform/mssql/datetime_text.h"
#include "platform/mssql/password_hash.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

namespace {

using access::Value;

// The fixed database roles take the uids from 16384 up; users, the ones
// below, after the five fixed users.
constexpr long long kFirstRoleUid = 16384;
constexpr long long kFirstUserUid = 5;

std::string NowText() { return FormatDateTime(Now()); }

std::vector<Value> KeyParameters(const RightKey& key) {
  return {Value::Integer(key.object_id), Value::Integer(key.uid), Value::Integer(key.action)};
}

const char kColumnRow[] =
    " WHERE id = ?1 AND uid = ?2 AND action = ?3 AND protecttype = ?4 AND columns IS NOT NULL";

}  // namespace

LoginStore::LoginStore(SqliteDb& db, std::string master) : db_(db), master_(std::move(master)) {}

std::string LoginStore::Table() const { return QualifiedName(master_, "syslogins"); }

void LoginStore::AddLogin(const NewLogin& login) {
  db_.Rows("INSERT INTO " + Table() +
               " (sid, status, createdate, updatedate, accdate, name, dbname, password, language, hasaccess, "
               "loginname) VALUES (?1, 9, ?2, ?2, ?2, ?3, ?4, ?5, ?6, 1, ?3)",
           {Value::Binary(login.sid), Value::Text(NowText()), Value::Text(login.name), Value::Text(login.database),
            login.password ? Value::Text(HashPassword(*login.password)) : Value(), Value::Text(login.language)});
}

void LoginStore::DropLogin(const std::string& name) {
  db_.Rows("DELETE FROM " + Table() + " WHERE name = ?1", {Value::Text(name)});
}

void LoginStore::SetDenied(const std::string& name, bool deny) {
  db_.Rows("UPDATE " + Table() + " SET denylogin = ?2, hasaccess = ?3 WHERE name = ?1",
           {Value::Text(name), Value::Integer(deny ? 1 : 0), Value::Integer(deny ? 0 : 1)});
}

void LoginStore::AddServerRole(const std::string& name, const std::string& role) {
  db_.Rows("UPDATE " + Table() + " SET " + QuoteIdentifier(role) + " = 1 WHERE name = ?1", {Value::Text(name)});
}

bool LoginStore::HasPassword(const std::string& name) {
  Value stored = db_.Scalar("SELECT password FROM " + Table() + " WHERE name = ?1", {Value::Text(name)});
  return !stored.is_null() && !stored.ToText().empty();
}

void LoginStore::SetPassword(const std::string& name, const std::string& password) {
  db_.Rows("UPDATE " + Table() + " SET password = ?2, updatedate = ?3 WHERE name = ?1",
           {Value::Text(name), Value::Text(HashPassword(password)), Value::Text(NowText())});
}

UserStore::UserStore(SqliteDb& db, std::string schema) : db_(db), schema_(std::move(schema)) {}

std::string UserStore::Table(const char* name) const { return QualifiedName(schema_, name); }

long long UserStore::AddUser(const std::string& name, const Value& sid) {
  const long long uid = std::max<long long>(
      db_.Scalar("SELECT max(uid) + 1 FROM " + Table("sysusers") + " WHERE uid < ?1", {Value::Integer(kFirstRoleUid)})
          .integer(),
      kFirstUserUid);
  db_.Rows("INSERT INTO " + Table("sysusers") +
               " (uid, status, name, sid, createdate, updatedate, hasdbaccess, islogin, issqluser) "
               "VALUES (?1, 2, ?2, ?3, ?4, ?4, 1, 1, 1)",
           {Value::Integer(uid), Value::Text(name), sid, Value::Text(NowText())});
  return uid;
}

void UserStore::DropUser(long long uid) {
  db_.Rows("DELETE FROM " + Table("sysprotects") + " WHERE uid = ?1", {Value::Integer(uid)});
  db_.Rows("DELETE FROM " + Table("sysmembers") + " WHERE memberuid = ?1", {Value::Integer(uid)});
  db_.Rows("DELETE FROM " + Table("sysusers") + " WHERE uid = ?1", {Value::Integer(uid)});
}

void UserStore::AddMember(long long uid, long long role) {
  const std::vector<Value> pair = {Value::Integer(uid), Value::Integer(role)};
  db_.Rows("DELETE FROM " + Table("sysmembers") + " WHERE memberuid = ?1 AND groupuid = ?2", pair);
  db_.Rows("INSERT INTO " + Table("sysmembers") + " (memberuid, groupuid) VALUES (?1, ?2)", pair);
}

void UserStore::RemoveRights(const RightKey& key) {
  db_.Rows("DELETE FROM " + Table("sysprotects") + " WHERE id = ?1 AND uid = ?2 AND action = ?3",
           KeyParameters(key));
}

void UserStore::AddRight(const RightKey& key, ProtectType type, long long grantor) {
  std::vector<Value> row = KeyParameters(key);
  row.push_back(Value::Integer(type));
  row.push_back(Value::Integer(grantor));
  db_.Rows("INSERT INTO " + Table("sysprotects") +
               " (id, uid, action, protecttype, grantor) VALUES (?1, ?2, ?3, ?4, ?5)",
           row);
}

access::Bytes UserStore::ColumnRights(const RightKey& key, ProtectType type) {
  std::vector<Value> where = KeyParameters(key);
  where.push_back(Value::Integer(type));
  Value columns = db_.Scalar("SELECT columns FROM " + Table("sysprotects") + kColumnRow, where);
  return columns.is_null() ? access::Bytes() : columns.binary();
}

void UserStore::SetColumnRights(const RightKey& key, ProtectType type, const access::Bytes& columns,
                                long long grantor) {
  std::vector<Value> row = KeyParameters(key);
  row.push_back(Value::Integer(type));
  db_.Rows("DELETE FROM " + Table("sysprotects") + kColumnRow, row);
  if (std::all_of(columns.begin(), columns.end(), [](unsigned char b) { return b == 0; })) return;
  row.push_back(Value::Binary(columns));
  row.push_back(Value::Integer(grantor));
  db_.Rows("INSERT INTO " + Table("sysprotects") +
               " (id, uid, action, protecttype, columns, grantor) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
           row);
}

void UserStore::RemoveObjectRights(int object_id) {
  db_.Rows("DELETE FROM " + Table("sysprotects") + " WHERE id = ?1", {Value::Integer(object_id)});
}

LoginStore Logins(SessionState& session) { return LoginStore(session.db(), session.master().schema()); }

UserStore Users(SessionState& session) { return UserStore(session.db(), session.catalog().schema()); }

}  // namespace court::mssql
