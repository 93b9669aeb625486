// The system procedures: logins, server roles, database users, database
// options, default bindings and the type catalogue. Each reports its errors
// as the server's procedures do (raiserror) and lets the batch go on.

#include <array>
#include <cctype>
#include <functional>
#include <map>
#include <optional>

#include "platform/mssql/collation.h"
#include "platform/mssql/database_records.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/name_table.h"
#include "platform/mssql/password_hash.h"
#include "platform/mssql/security.h"
#include "platform/mssql/security_store.h"
#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/text.h"
#include "platform/mssql/type_info.h"
#include "platform/text/fnv.h"

namespace court::mssql {

namespace {

using access::Value;

// The procedure's arguments by parameter name; absent ones are null.
class Arguments {
 public:
  Arguments(StatementContext& x, const ExecStmt& s, std::vector<std::string> parameters) {
    for (std::size_t i = 0; i < s.args.size(); ++i) {
      const ExecArg& arg = s.args[i];
      std::string name = arg.parameter.empty()
                             ? (i < parameters.size() ? parameters[i] : "")
                             : Lower(arg.parameter);
      if (name.empty() || !arg.value) continue;
      Value v = arg.value->kind == ExprKind::kLiteral ? LiteralValue(arg.value->literal) : x.Evaluate(*arg.value);
      if (!v.is_null()) values_[name] = v.ToText();
    }
  }
  bool Has(const std::string& name) const { return values_.count(name) > 0; }
  std::string Text(const std::string& name, const std::string& fallback = "") const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
  }

 private:
  std::map<std::string, std::string> values_;
};

std::string Master(StatementContext& x) {
  return x.session().in_master() ? "\"main\"" : "\"master\"";
}

bool LoginExists(StatementContext& x, const std::string& login) {
  return !x.session().db().Scalar("SELECT 1 FROM " + Master(x) + ".syslogins WHERE name = ?1",
                                  {Value::Text(login)}).is_null();
}

std::string Unbracketed(std::string name) {
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
  return name;
}

void AddLogin(StatementContext& x, const ExecStmt& s) {
  RequireServerRole(x.session(), kSecurityadmin);
  Arguments a(x, s, {"loginame", "passwd", "defdb", "deflanguage", "sid", "encryptopt"});
  std::string login = a.Text("loginame");
  std::string database = a.Text("defdb", "master");
  std::string language = a.Text("deflanguage", "us_english");
  if (LoginExists(x, login)) return x.Raise(Message(Msg::kLoginExists, {login}));
  if (!x.session().DatabaseExists(database))
    return x.Raise(Message(Msg::kNoDatabase, {database}));
  if (x.session().db().Scalar("SELECT 1 FROM " + Master(x) + ".syslanguages WHERE name = ?1",
                              {Value::Text(language)}).is_null())
    return x.Raise(Message(Msg::kNoLanguage, {language}));
  // A login's sid: 16 bytes derived from its name, as SQL logins get a GUID.
  access::Bytes sid(16);
  const std::uint64_t h = text::Fnv1a(Lower(login), text::kShortFnvOffsetBasis);
  for (std::size_t i = 0; i < 16; ++i) sid[i] = static_cast<unsigned char>((h >> ((i % 8) * 8)) ^ (i * 37));
  Logins(x.session()).AddLogin({sid, login, database, language,
                                 a.Has("passwd") ? std::optional(a.Text("passwd")) : std::nullopt});
  x.Inform(Message(Msg::kLoginCreated));
}

void DropLogin(StatementContext& x, const ExecStmt& s) {
  RequireServerRole(x.session(), kSecurityadmin);
  Arguments a(x, s, {"loginame"});
  std::string login = a.Text("loginame");
  if (!LoginExists(x, login)) return x.Raise(Message(Msg::kNoLogin, {login}));
  if (CompareCi(login, "sa") == 0) return x.Raise(Message(Msg::kReservedName, {"sa"}));
  Logins(x.session()).DropLogin(login);
  x.Inform(Message(Msg::kLoginDropped));
}

// Turns a login away or lets it in again. SQL Server 2000 keeps this for
// Windows logins; here SQL logins are disabled the same way.
void DenyLogin(StatementContext& x, const ExecStmt& s, bool deny) {
  RequireServerRole(x.session(), kSecurityadmin);
  Arguments a(x, s, {"loginame"});
  std::string login = a.Text("loginame");
  if (!LoginExists(x, login)) return x.Raise(Message(Msg::kNoLogin, {login}));
  if (CompareCi(login, "sa") == 0) return x.Raise(Message(Msg::kReservedName, {"sa"}));
  Logins(x.session()).SetDenied(login, deny);
}

// A login changes its own password by giving the old one; sysadmin and
// securityadmin set anyone's.
void ChangePassword(StatementContext& x, const ExecStmt& s) {
  Arguments a(x, s, {"old", "new", "loginame"});
  SessionState& session = x.session();
  const Principal* principal = session.principal();
  std::string login = a.Text("loginame", principal ? principal->login : "sa");
  const bool own = principal == nullptr || CompareCi(login, principal->login) == 0;
  if (!own) RequireServerRole(session, kSecurityadmin);
  if (!LoginExists(x, login)) return x.Raise(Message(Msg::kNoLogin, {login}));
  if (principal != nullptr && own && !HasServerRole(session, kSecurityadmin)) {
    Value stored = session.db().Scalar("SELECT password FROM " + Master(x) + ".syslogins WHERE name = ?1",
                                       {Value::Text(login)});
    const std::string old = stored.is_null() ? "" : stored.ToText();
    if (!VerifyPassword(old, a.Text("old")) && !VerifyLegacyDigest(old, a.Text("old")))
      return x.Raise(Message(Msg::kWrongOldPassword));
  }
  Logins(session).SetPassword(login, a.Text("new"));
  x.Inform(Message(Msg::kPasswordChanged));
}

void AddServerRoleMember(StatementContext& x, const ExecStmt& s) {
  Arguments a(x, s, {"loginame", "rolename"});
  std::string login = a.Text("loginame"), role = Lower(a.Text("rolename"));
  const unsigned bit = ServerRoleNamed(role);
  if (bit == 0)
    return x.Raise(Message(Msg::kNotServerRole, {a.Text("rolename")}));
  // A role's members may add others to it; securityadmin to any but sysadmin.
  RequireServerRole(x.session(), bit == kSysadmin ? bit : bit | kSecurityadmin);
  if (!LoginExists(x, login)) return x.Raise(Message(Msg::kNoLogin, {login}));
  Logins(x.session()).AddServerRole(login, role);
  x.Inform(Message(Msg::kAddedToRole, {login, role}));
}

// Makes a database user a member of a role (db_owner, db_datareader, ...).
void AddRoleMember(StatementContext& x, const ExecStmt& s) {
  RequireDatabaseRole(x.session(), kDbOwner);
  Arguments a(x, s, {"rolename", "membername"});
  std::string role = a.Text("rolename"), member = a.Text("membername");
  SqliteDb& db = x.session().db();
  Value group = db.Scalar("SELECT uid FROM sysusers WHERE name = ?1 AND issqlrole = 1", {Value::Text(role)});
  if (group.is_null()) return x.Raise(Message(Msg::kNoRole, {role}));
  Value uid = db.Scalar("SELECT uid FROM sysusers WHERE name = ?1", {Value::Text(member)});
  if (uid.is_null()) return x.Raise(Message(Msg::kNoMember, {member}));
  Users(x.session()).AddMember(uid.integer(), group.integer());
  x.Inform(Message(Msg::kAddedToRole, {member, role}));
}

void GrantDbAccess(StatementContext& x, const ExecStmt& s) {
  RequireDatabaseRole(x.session(), kDbAccessadmin);
  Arguments a(x, s, {"loginame", "name_in_db"});
  std::string login = a.Text("loginame"), user = a.Text("name_in_db", login);
  SqliteDb& db = x.session().db();
  if (CompareCi(login, "sa") == 0) return x.Raise(Message(Msg::kReservedName, {"sa"}));
  auto sid_rows = db.Rows("SELECT sid FROM " + Master(x) + ".syslogins WHERE name = ?1", {Value::Text(login)});
  if (sid_rows.empty()) return x.Raise(Message(Msg::kNoLogin, {login}));
  if (!db.Scalar("SELECT 1 FROM sysusers WHERE name = ?1", {Value::Text(user)}).is_null())
    return x.Raise(Message(Msg::kUserExists, {user}));
  if (!db.Scalar("SELECT 1 FROM sysusers WHERE sid = ?1", {sid_rows[0][0]}).is_null())
    return x.Raise(Message(Msg::kLoginHasUser));
  Users(x.session()).AddUser(user, sid_rows[0][0]);
  x.Inform(Message(Msg::kAccessGranted, {user}));
}

void RevokeDbAccess(StatementContext& x, const ExecStmt& s) {
  RequireDatabaseRole(x.session(), kDbAccessadmin);
  Arguments a(x, s, {"name_in_db"});
  std::string user = a.Text("name_in_db");
  SqliteDb& db = x.session().db();
  Value uid = db.Scalar("SELECT uid FROM sysusers WHERE name = ?1 AND issqlrole = 0 AND uid > 1 AND uid < 16384",
                        {Value::Text(user)});
  if (uid.is_null() || CompareCi(user, "guest") == 0)
    return x.Raise(Message(Msg::kNoUser, {user}));
  if (!db.Scalar("SELECT 1 FROM sysobjects WHERE uid = ?1", {uid}).is_null())
    return x.Raise(Message(Msg::kUserOwnsObjects));
  Users(x.session()).DropUser(uid.integer());
  x.Inform(Message(Msg::kUserDropped));
}

// Options kept in sysdatabases.status, and (status2) the ones that are not.
struct DatabaseOption {
  const char* name;
  const char* column;
  long long bit;
};

constexpr DatabaseOption kOptions[] = {
    {"ANSI null default", "status2", 0x1},      {"ANSI nulls", "status2", 0x2},
    {"ANSI padding", "status2", 0x4},           {"ANSI warnings", "status2", 0x8},
    {"arithabort", "status2", 0x10},            {"autoclose", "status", 1},
    {"auto create statistics", "status2", 0x20}, {"autoshrink", "status", 4194304},
    {"auto update statistics", "status2", 0x40}, {"concat null yields null", "status2", 0x80},
    {"cursor close on commit", "status2", 0x100}, {"dbo use only", "status", 2048},
    {"default to local cursor", "status2", 0x200}, {"merge publish", "status2", 0x400},
    {"numeric roundabort", "status2", 0x800},   {"offline", "status", 512},
    {"published", "status2", 0x1000},           {"quoted identifier", "status2", 0x2000},
    {"read only", "status", 1024},              {"recursive triggers", "status2", 0x4000},
    {"select into/bulkcopy", "status", 4},      {"single user", "status", 4096},
    {"subscribed", "status2", 0x8000},          {"torn page detection", "status", 16},
    {"trunc. log on chkpt.", "status", 8},
};

void DbOption(StatementContext& x, const ExecStmt& s) {
  Arguments a(x, s, {"dbname", "optname", "optvalue"});
  std::string database = a.Text("dbname"), option = Lower(a.Text("optname"));
  if (!a.Has("optvalue")) return;  // listing the options changes nothing
  RequireDatabaseRole(x.session(), kDbOwner);
  if (!x.session().DatabaseExists(database))
    return x.Raise(Message(Msg::kNoDatabase, {database}));
  const DatabaseOption* match = nullptr;
  for (const DatabaseOption& o : kOptions) {
    if (Lower(o.name).find(option) == std::string::npos) continue;
    if (match != nullptr) return x.Raise(Message(Msg::kOptionNotUnique, {a.Text("optname")}));
    match = &o;
  }
  if (match == nullptr) return x.Raise(Message(Msg::kNoOption, {a.Text("optname")}));
  std::string value = Lower(a.Text("optvalue"));
  bool on = value == "true" || value == "on";
  if (!on && value != "false" && value != "off")
    return x.Raise(Message(Msg::kDbOptionUsage));
  SetDatabaseOption(x.session().db(), x.session().master().schema(), database, match->column, match->bit, on);
}

void BindDefault(StatementContext& x, const ExecStmt& s, bool bind) {
  Arguments a(x, s, bind ? std::vector<std::string>{"defname", "objname", "futureonly"}
                         : std::vector<std::string>{"objname", "futureonly"});
  Catalog& catalog = x.session().catalog();
  std::string default_name = Unbracketed(a.Text("defname"));
  std::optional<ObjectRow> def;
  if (bind) {
    def = catalog.FindObject(default_name);
    if (!def || def->xtype != "D")
      return x.Raise(Message(Msg::kNoDefault, {default_name}));
    if (def->parent != 0)
      return x.Raise(Message(Msg::kNotCreatedDefault, {default_name}));
  }
  std::string object = a.Text("objname");
  std::size_t dot = object.rfind('.');
  std::string table_name = dot == std::string::npos ? object : Unbracketed(object.substr(0, dot));
  std::string column_name = dot == std::string::npos ? "" : Unbracketed(object.substr(dot + 1));
  std::shared_ptr<const TableMeta> table = dot == std::string::npos ? nullptr : catalog.FindTable(table_name);
  int index = table && table->xtype == "U" ? table->Find(column_name) : -1;
  if (index < 0)
    return x.Raise(Message(Msg::kNoTableColumn, {table_name, column_name}));
  RequireOwner(x.session(), table->id, table->name);
  const ColumnMeta& column = table->columns[static_cast<std::size_t>(index)];
  if (bind) {
    if (column.type.id == TypeId::kTimestamp)
      return x.Raise(Message(Msg::kTimestampDefault));
    if (column.identity) return x.Raise(Message(Msg::kIdentityBinding));
    std::optional<ObjectRow> current = column.cdefault ? catalog.ObjectById(column.cdefault) : std::nullopt;
    if (current && current->parent != 0)
      return x.Raise(Message(Msg::kColumnHasDefault));
  }
  catalog.SetDefault(table->id, column.colid, bind ? def->id : 0);
  catalog.Changed();
  x.Inform(Message(bind ? Msg::kDefaultBound : Msg::kDefaultUnbound));
}

void TypeCatalogue(StatementContext& x, const ExecStmt& s) {
  Arguments a(x, s, {"data_type", "odbcver"});
  DataTypeInfo(x, std::atoi(a.Text("data_type", "0").c_str()), std::atoi(a.Text("odbcver", "2").c_str()));
}

// sp_getapplock and sp_releaseapplock for locks a session owns (app_locks.h);
// a lock owned by a transaction is not offered.
constexpr int kAppLockInvalid = -999;

access::Error InvalidProcedureArgument(const std::string& procedure) {
  return Message(Msg::kInvalidProcedureArgument, {procedure});
}

std::optional<std::string> AppLockResource(StatementContext& x, const Arguments& a, const std::string& procedure) {
  if (!a.Has("resource") || Lower(a.Text("lockowner", "Transaction")) != "session") {
    x.Raise(InvalidProcedureArgument(procedure));
    return std::nullopt;
  }
  return a.Text("resource");
}

int GetAppLock(StatementContext& x, const ExecStmt& s) {
  Arguments a(x, s, {"resource", "lockmode", "lockowner", "locktimeout", "dbprincipal"});
  std::optional<std::string> resource = AppLockResource(x, a, "sp_getapplock");
  const std::string mode = Lower(a.Text("lockmode"));
  if (mode != "shared" && mode != "update" && mode != "exclusive") {
    x.Raise(InvalidProcedureArgument("sp_getapplock"));
    return kAppLockInvalid;
  }
  if (!resource) return kAppLockInvalid;
  return x.session().app_locks.Acquire(x.session().server().root(), *resource, mode != "shared",
                                       std::atol(a.Text("locktimeout", "-1").c_str()));
}

int ReleaseAppLock(StatementContext& x, const ExecStmt& s) {
  Arguments a(x, s, {"resource", "lockowner", "dbprincipal"});
  std::optional<std::string> resource = AppLockResource(x, a, "sp_releaseapplock");
  if (!resource) return kAppLockInvalid;
  if (x.session().app_locks.Release(*resource)) return 0;
  x.Raise(Message(Msg::kAppLockNotHeld, {*resource}));
  return kAppLockInvalid;
}

void SetStatus(StatementContext& x, const ExecStmt& s, int status) {
  if (s.status_variable.empty()) return;
  Variable* variable = x.FindVariable(s.status_variable);
  if (!variable) throw MustDeclareVariable("@" + s.status_variable);
  variable->value = Value::Integer(status);
}

template <void (*Run)(StatementContext&, const ExecStmt&)>
int Succeeds(StatementContext& x, const ExecStmt& s) {
  Run(x, s);
  return 0;
}

void DenyLoginAccess(StatementContext& x, const ExecStmt& s) { DenyLogin(x, s, true); }
void GrantLoginAccess(StatementContext& x, const ExecStmt& s) { DenyLogin(x, s, false); }
void BindColumnDefault(StatementContext& x, const ExecStmt& s) { BindDefault(x, s, true); }
void UnbindColumnDefault(StatementContext& x, const ExecStmt& s) { BindDefault(x, s, false); }

// Sorted by name, which FindSystemProcedure relies on.
constexpr SystemProcedure kProcedures[] = {
    {"sp_addlogin", Succeeds<AddLogin>},
    {"sp_addrolemember", Succeeds<AddRoleMember>},
    {"sp_addsrvrolemember", Succeeds<AddServerRoleMember>},
    {"sp_bindefault", Succeeds<BindColumnDefault>},
    {"sp_datatype_info", Succeeds<TypeCatalogue>},
    {"sp_dboption", Succeeds<DbOption>},
    {"sp_denylogin", Succeeds<DenyLoginAccess>},
    {"sp_droplogin", Succeeds<DropLogin>},
    {.name = "sp_getapplock", .run = GetAppLock, .outside_write_transaction = true},
    {"sp_grantdbaccess", Succeeds<GrantDbAccess>},
    {"sp_grantlogin", Succeeds<GrantLoginAccess>},
    {"sp_password", Succeeds<ChangePassword>},
    {.name = "sp_releaseapplock", .run = ReleaseAppLock, .outside_write_transaction = true},
    {"sp_revokedbaccess", Succeeds<RevokeDbAccess>},
    {"sp_unbindefault", Succeeds<UnbindColumnDefault>},
    // They reach the server's own disks: for sysadmin only, whatever else a
    // login may do.
    {.name = "xp_create_subdir", .run = Succeeds<CreateSubdirectory>, .sysadmin_only = true},
    {.name = "xp_fileexist", .run = Succeeds<FileExists>, .sysadmin_only = true},
    {.name = "xp_fixeddrives", .run = Succeeds<FixedDrives>, .sysadmin_only = true},
};

static_assert(SortedByName(kProcedures));

}  // namespace

const SystemProcedure* FindSystemProcedure(std::string_view name) {
  return FindByName(kProcedures, name);
}

bool RunsOutsideWriteTransaction(const ExecStmt& s) {
  const SystemProcedure* procedure = FindSystemProcedure(s.procedure.back());
  return procedure != nullptr && procedure->outside_write_transaction;
}

void RunExec(StatementContext& x, const ExecStmt& s) {
  const SystemProcedure* procedure = FindSystemProcedure(s.procedure.back());
  if (procedure == nullptr) throw Message(Msg::kProcedureNotFound, {s.procedure.back()});
  if (procedure->sysadmin_only && !IsAdministrator(x.session()))
    throw Message(Msg::kObjectPermission, {"EXECUTE", procedure->name, "master"});
  try {
    SetStatus(x, s, procedure->run(x, s));
  } catch (const access::Error& e) {
    // A refused caller ends the procedure, not the batch.
    if (e.number() != 15247 && e.number() != 3704) throw;
    x.Raise(e);
  }
}

}  // namespace court::mssql
