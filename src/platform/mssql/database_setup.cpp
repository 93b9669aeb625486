// The contents of a new database file: system tables with their sysobjects
// rows and fixed users; for master also logins, languages and databases.

#include "platform/mssql/catalog.h"
#include "platform/mssql/datetime_text.h"
#include "platform/mssql/file_upgrades.h"
#include "platform/mssql/system_tables.h"

namespace court::mssql {

namespace {

using access::Value;

// A new file's rows go to its own tables, whatever else the connection sees.
std::string Into(const char* table) { return "INSERT INTO " + QualifiedName("main", table) + " "; }

std::string CreateSql(const SystemTable& table) {
  if (!table.view_sql.empty())
    return "CREATE VIEW " + QuoteIdentifier(table.name) + " AS " + table.view_sql;
  std::string sql = "CREATE TABLE " + QuoteIdentifier(table.name) + " (";
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const SystemColumn& c = table.columns[i];
    bool number = c.type.find("char") == std::string::npos && c.type.find("binary") == std::string::npos &&
                  c.type != "datetime";
    sql += (i ? ", " : "") + SqliteColumn(c.name) + (number ? " DEFAULT 0" : "");
  }
  return sql + ")";
}

void AddSystemObjects(SqliteDb& db, bool is_master) {
  std::string now = FormatDateTime(Now());
  for (const SystemTable& t : SystemTables()) {
    if (t.master_only && !is_master) continue;
    db.Exec(CreateSql(t));
    db.Rows(Into("sysobjects") + "(name, id, xtype, uid, parent_obj, crdate, type, refdate, category) "
            "VALUES (?1, ?2, ?3, 1, 0, ?4, ?3, ?4, 2)",
            {Value::Text(t.name), Value::Integer(t.id), Value::Text(t.view_sql.empty() ? "S " : "V "),
             Value::Text(now)});
  }
}

void AddFixedUsers(SqliteDb& db) {
  struct User {
    int uid;
    const char* name;
    int hasdbaccess, issqluser, issqlrole;
  };
  const User users[] = {{0, "public", 0, 0, 1},
                        {1, "dbo", 1, 0, 0},
                        {2, "guest", 0, 1, 0},
                        {3, "INFORMATION_SCHEMA", 0, 1, 0},
                        {4, "system_function_schema", 0, 1, 0},
                        {16384, "db_owner", 0, 0, 1},
                        {16385, "db_accessadmin", 0, 0, 1},
                        {16386, "db_securityadmin", 0, 0, 1},
                        {16387, "db_ddladmin", 0, 0, 1},
                        {16389, "db_backupoperator", 0, 0, 1},
                        {16390, "db_datareader", 0, 0, 1},
                        {16391, "db_datawriter", 0, 0, 1},
                        {16392, "db_denydatareader", 0, 0, 1},
                        {16393, "db_denydatawriter", 0, 0, 1}};
  std::string now = FormatDateTime(Now());
  for (const User& u : users) {
    db.Rows(Into("sysusers") + "(uid, name, sid, createdate, updatedate, hasdbaccess, islogin, "
            "issqluser, issqlrole) VALUES (?1, ?2, ?3, ?4, ?4, ?5, ?6, ?7, ?8)",
            {Value::Integer(u.uid), Value::Text(u.name),
             u.uid == 1 ? Value::Binary({0x01}) : Value(), Value::Text(now),
             Value::Integer(u.hasdbaccess), Value::Integer(u.uid == 1 ? 1 : 0),
             Value::Integer(u.issqluser), Value::Integer(u.issqlrole)});
  }
}

void AddLanguages(SqliteDb& db) {
  db.Rows(Into("syslanguages") + "(langid, dateformat, datefirst, upgrade, name, alias, months, "
          "shortmonths, days, lcid, msglangid) VALUES "
          "(0, 'mdy', 7, 0, 'us_english', 'English', "
          "'January,February,March,April,May,June,July,August,September,October,November,December', "
          "'Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec', "
          "'Monday,Tuesday,Wednesday,Thursday,Friday,Saturday,Sunday', 1033, 1033), "
          "(28, 'ymd', 7, 0, '繁體中文', 'Traditional Chinese', "
          "'01,02,03,04,05,06,07,08,09,10,11,12', '01,02,03,04,05,06,07,08,09,10,11,12', "
          "'星期一,星期二,星期三,星期四,星期五,星期六,星期日', 1028, 1028), "
          "(30, 'ymd', 7, 0, '简体中文', 'Simplified Chinese', "
          "'01,02,03,04,05,06,07,08,09,10,11,12', '01,02,03,04,05,06,07,08,09,10,11,12', "
          "'星期一,星期二,星期三,星期四,星期五,星期六,星期日', 2052, 2052)");
}

void AddServerLogins(SqliteDb& db) {
  std::string now = FormatDateTime(Now());
  db.Rows(Into("syslogins") + "(sid, status, createdate, updatedate, accdate, name, dbname, "
          "language, hasaccess, isntname, isntgroup, sysadmin, loginname) VALUES "
          "(?1, 9, ?3, ?3, ?3, 'sa', 'master', 'us_english', 1, 0, 0, 1, 'sa'), "
          "(?2, 9, ?3, ?3, ?3, 'BUILTIN\\Administrators', 'master', 'us_english', 1, 1, 1, 1, "
          "'BUILTIN\\Administrators')",
          {Value::Binary({0x01}), Value::Binary({0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05,
                                                 0x20, 0x00, 0x00, 0x00, 0x20, 0x02, 0x00, 0x00}),
           Value::Text(now)});
}

void AddSystemDatabases(SqliteDb& db) {
  std::string now = FormatDateTime(Now());
  const char* kDir = "C:\\Program Files\\Microsoft SQL Server\\MSSQL\\data\\";
  const char* names[] = {"master", "tempdb", "model", "msdb"};
  const char* files[] = {"master.mdf", "tempdb.mdf", "model.mdf", "msdbdata.mdf"};
  for (int i = 0; i < 4; ++i) {
    db.Rows(Into("sysdatabases") + "(name, dbid, sid, mode, status, status2, crdate, reserved, "
            "category, cmptlevel, filename, version) VALUES (?1, ?2, ?3, 0, ?4, 1090520064, ?5, "
            "'1900-01-01 00:00:00.000', 0, 80, ?6, 539)",
            {Value::Text(names[i]), Value::Integer(i + 1), Value::Binary({0x01}),
             Value::Integer(i == 1 ? 8 : 24), Value::Text(now),
             Value::Text(std::string(kDir) + files[i])});
  }
}

}  // namespace

// The installer looks objects and columns up by name and by table id on
// every run, for every column, reads each table's constraints and their
// texts, and grants every right on every object; without these each
// look-up scans.
void IndexSystemTables(SqliteDb& db) {
  db.Exec("CREATE INDEX IF NOT EXISTS main.sysobjects_name ON sysobjects (name)");
  db.Exec("CREATE INDEX IF NOT EXISTS main.sysobjects_id ON sysobjects (id)");
  db.Exec("CREATE INDEX IF NOT EXISTS main.sysobjects_parent ON sysobjects (parent_obj)");
  db.Exec("CREATE INDEX IF NOT EXISTS main.syscolumns_id ON syscolumns (id, name)");
  db.Exec("CREATE INDEX IF NOT EXISTS main.syscomments_id ON syscomments (id, colid)");
  db.Exec("CREATE INDEX IF NOT EXISTS main.sysprotects_id ON sysprotects (id, uid, action)");
}

void InitializeDatabase(SqliteDb& db, bool is_master) {
  db.Exec("BEGIN");
  AddSystemObjects(db, is_master);
  IndexSystemTables(db);
  db.Exec("CREATE TABLE court_identity (id INTEGER PRIMARY KEY, seed, increment, last)");
  MarkUpgradesDone(db);
  AddFixedUsers(db);
  if (is_master) {
    AddLanguages(db);
    AddServerLogins(db);
    AddSystemDatabases(db);
  }
  db.Exec("COMMIT");
}

}  // namespace court::mssql
