// GRANT, DENY and REVOKE, kept in sysprotects so that a query shows who
// holds what and the security checks read it.

#include <map>

#include "platform/mssql/collation.h"
#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"
#include "platform/mssql/security_store.h"

namespace court::mssql {

namespace {

using access::Value;

// sysprotects action codes.
const std::map<std::string, int>& Actions() {
  static const std::map<std::string, int> actions = {
      {"REFERENCES", 26},        {"CREATE FUNCTION", 178}, {"SELECT", 193},
      {"INSERT", 195},           {"DELETE", 196},          {"UPDATE", 197},
      {"CREATE TABLE", 198},     {"CREATE DATABASE", 203}, {"CREATE VIEW", 207},
      {"CREATE PROCEDURE", 222}, {"EXECUTE", 224},         {"EXEC", 224},
      {"BACKUP DATABASE", 228},  {"CREATE DEFAULT", 233},  {"BACKUP LOG", 235},
      {"CREATE RULE", 236}};
  return actions;
}

std::vector<int> StatementActions(bool in_master) {
  std::vector<int> actions = {198, 207, 222, 233, 236, 178, 228, 235};
  if (in_master) actions.push_back(203);
  return actions;
}

std::vector<int> ObjectActions(const std::string& xtype) {
  if (xtype == "U" || xtype == "S") return {193, 195, 196, 197, 26};
  if (xtype == "V") return {193, 195, 196, 197};
  if (xtype == "P" || xtype == "X") return {224};
  if (xtype == "FN") return {224, 26};
  return {193, 195, 196, 197};
}

// The sysprotects.columns bitmap of the named columns (bit colid).
access::Bytes ColumnBits(StatementContext& x, const std::string& table_name, const std::vector<std::string>& columns) {
  std::shared_ptr<const TableMeta> table = x.session().catalog().FindTable(table_name);
  access::Bytes bits;
  for (const std::string& name : columns) {
    const int index = table ? table->Find(name) : -1;
    if (index < 0) throw InvalidColumnName(name);
    const int colid = table->columns[static_cast<std::size_t>(index)].colid;
    if (bits.size() <= static_cast<std::size_t>(colid / 8)) bits.resize(static_cast<std::size_t>(colid / 8) + 1);
    bits[static_cast<std::size_t>(colid / 8)] |= static_cast<unsigned char>(1 << (colid % 8));
  }
  return bits;
}

// Sets (or clears) columns in the column-level row of one kind; a row left
// without columns goes.
void MergeColumns(StatementContext& x, const RightKey& key, ProtectType protecttype, const access::Bytes& bits, bool set) {
  UserStore users = Users(x.session());
  access::Bytes map = users.ColumnRights(key, protecttype);
  if (map.size() < bits.size()) map.resize(bits.size());
  for (std::size_t i = 0; i < map.size(); ++i) {
    const unsigned char b = i < bits.size() ? bits[i] : 0;
    map[i] = static_cast<unsigned char>(set ? map[i] | b : map[i] & ~b);
  }
  users.SetColumnRights(key, protecttype, map, x.session().user().uid);
}

std::string Privileges(const std::vector<std::string>& privileges) {
  std::string text;
  for (const std::string& p : privileges) text += (text.empty() ? "" : ", ") + p;
  return text;
}

}  // namespace

namespace {

// The users a GRANT, REVOKE or DENY names: their uids, or 4604 for the first
// that does not exist.
std::vector<Value> Grantees(StatementContext& x, const GrantStmt& s) {
  std::vector<Value> users;
  for (const std::string& grantee : s.grantees) {
    Value uid = x.session().db().Scalar("SELECT uid FROM sysusers WHERE name = ?1", {Value::Text(grantee)});
    if (uid.is_null()) throw Message(Msg::kNoSuchGrantee, {grantee});
    users.push_back(uid);
  }
  return users;
}

bool AllPrivileges(const GrantStmt& s) { return s.privileges.size() == 1 && s.privileges[0] == "ALL"; }

// The statement permissions named (CREATE TABLE, ...), or all of them;
// object permissions are a syntax error here, and CREATE DATABASE is
// granted in master only.
std::vector<int> StatementActionsOf(StatementContext& x, const GrantStmt& s) {
  if (AllPrivileges(s)) return StatementActions(x.session().in_master());
  std::vector<int> actions;
  for (const std::string& p : s.privileges) {
    auto it = Actions().find(p);
    if (it == Actions().end() || it->second == 193 || it->second == 195 || it->second == 196 ||
        it->second == 197 || it->second == 26 || it->second == 224)
      throw SyntaxNear(p);
    if (it->second == 203 && !x.session().in_master()) throw Message(Msg::kCreateDatabaseGrant);
    actions.push_back(it->second);
  }
  return actions;
}

// The permissions named on an object, or all its kind allows (4606 for one
// it does not).
std::vector<int> ObjectActionsOf(StatementContext& x, const GrantStmt& s, int object_id) {
  std::optional<ObjectRow> object = x.session().catalog().ObjectById(object_id);
  std::vector<int> allowed = ObjectActions(object ? object->xtype : "U");
  if (AllPrivileges(s)) return allowed;
  std::vector<int> actions;
  for (const std::string& p : s.privileges) {
    auto it = Actions().find(p);
    if (it == Actions().end() || std::find(allowed.begin(), allowed.end(), it->second) == allowed.end())
      throw Message(Msg::kPrivilegeNotCompatible, {Privileges({p})});
    actions.push_back(it->second);
  }
  return actions;
}

int GrantedObject(StatementContext& x, const GrantStmt& s) {
  CompileEnv env = x.Env();
  Compiler compiler(env);
  std::optional<int> id = compiler.ObjectId(s.object.back());
  if (!id) throw InvalidObjectName(s.object.back());
  return *id;
}

// Rights on some columns merge into the column bitmaps of each kind of
// row: only SELECT, UPDATE and REFERENCES go by column.
void ChangeColumnRights(StatementContext& x, const GrantStmt& s, int object_id, const std::vector<Value>& users,
                        const std::vector<int>& actions, ProtectType protecttype) {
  for (int action : actions)
    if (action != 193 && action != 197 && action != 26)
      throw Message(Msg::kPrivilegeNotCompatible, {Privileges(s.privileges)});
  const access::Bytes bits = ColumnBits(x, s.object.back(), s.columns);
  for (const Value& uid : users) {
    for (int action : actions) {
      const RightKey key{object_id, uid.integer(), action};
      for (ProtectType type : {kGrantWithGrant, kGrant, kDeny})
        MergeColumns(x, key, type, bits, s.verb != GrantVerb::kRevoke && type == protecttype);
    }
  }
}

}  // namespace

// GRANT, REVOKE and DENY: each grantee's right to each action replaces
// what it had (REVOKE leaves nothing), on the whole object or statement,
// or merged column by column.
void RunGrant(StatementContext& x, const GrantStmt& s) {
  const std::vector<Value> users = Grantees(x, s);
  const int object_id = s.object.empty() ? 0 : GrantedObject(x, s);
  const std::vector<int> actions = s.object.empty() ? StatementActionsOf(x, s) : ObjectActionsOf(x, s, object_id);
  RequireGrantor(x.session(), object_id);
  const ProtectType protecttype = s.verb == GrantVerb::kDeny ? kDeny : s.with_grant_option ? kGrantWithGrant : kGrant;
  if (!s.columns.empty()) return ChangeColumnRights(x, s, object_id, users, actions, protecttype);
  UserStore store = Users(x.session());
  for (const Value& uid : users) {
    for (int action : actions) {
      const RightKey key{object_id, uid.integer(), action};
      store.RemoveRights(key);
      if (s.verb != GrantVerb::kRevoke) store.AddRight(key, protecttype, x.session().user().uid);
    }
  }
}

}  // namespace court::mssql
