#include "platform/mssql/system_tables.h"

#include "platform/mssql/collation.h"

namespace court::mssql {

namespace {

std::vector<SystemColumn> Columns(std::initializer_list<const char*> pairs) {
  std::vector<SystemColumn> columns;
  for (auto it = pairs.begin(); it != pairs.end(); it += 2) columns.push_back({*it, *(it + 1)});
  return columns;
}

std::vector<SystemTable> Build() {
  const char* kName = "nvarchar(128)";
  std::vector<SystemTable> t;
  t.push_back({"sysobjects", 1, false,
               Columns({"name", kName, "id", "int", "xtype", "char(2)", "uid", "smallint", "info",
                        "smallint", "status", "int", "base_schema_ver", "int", "replinfo", "int",
                        "parent_obj", "int", "crdate", "datetime", "ftcatid", "smallint",
                        "schema_ver", "int", "stats_schema_ver", "int", "type", "char(2)",
                        "userstat", "smallint", "sysstat", "smallint", "indexdel", "smallint",
                        "refdate", "datetime", "version", "int", "deltrig", "int", "instrig",
                        "int", "updtrig", "int", "seltrig", "int", "category", "int", "cache",
                        "smallint"}),
               ""});
  t.push_back({"sysindexes", 2, false,
               Columns({"id", "int", "status", "int", "indid", "smallint", "name", kName}), ""});
  t.push_back({"syscolumns", 3, false,
               Columns({"name", kName, "id", "int", "xtype", "tinyint", "typestat", "tinyint",
                        "xusertype", "smallint", "length", "smallint", "xprec", "tinyint",
                        "xscale", "tinyint", "colid", "smallint", "xoffset", "smallint",
                        "bitpos", "tinyint", "reserved", "tinyint", "colstat", "smallint",
                        "cdefault", "int", "domain", "int", "number", "smallint", "colorder",
                        "smallint", "autoval", "varbinary(255)", "offset", "smallint",
                        "collationid", "int", "status", "tinyint", "type", "tinyint", "usertype",
                        "smallint", "printfmt", "varchar(255)", "prec", "smallint", "scale",
                        "int", "iscomputed", "int", "isoutparam", "int", "isnullable", "int",
                        "collation", kName}),
               ""});
  t.push_back({"systypes", 4, false,
               Columns({"name", kName, "xtype", "tinyint", "xusertype", "smallint", "length",
                        "smallint", "prec", "smallint", "scale", "tinyint", "allownulls", "bit"}),
               ""});
  t.push_back({"syscomments", 6, false,
               Columns({"id", "int", "number", "smallint", "colid", "smallint", "status",
                        "smallint", "ctext", "varbinary(8000)", "texttype", "smallint",
                        "language", "smallint", "encrypted", "bit", "compressed", "bit", "text",
                        "nvarchar(4000)"}),
               ""});
  t.push_back({"sysfiles1", 8, false,
               Columns({"status", "int", "fileid", "smallint", "name", "nchar(128)", "filename",
                        "nchar(260)"}),
               ""});
  t.push_back({"syspermissions", 9, false,
               Columns({"id", "int", "grantee", "smallint", "grantor", "smallint"}), ""});
  t.push_back({"sysusers", 10, false,
               Columns({"uid", "smallint", "status", "smallint", "name", kName, "sid",
                        "varbinary(85)", "roles", "varbinary(2048)", "createdate", "datetime",
                        "updatedate", "datetime", "altuid", "smallint", "password",
                        "varbinary(256)", "gid", "smallint", "environ", "varchar(255)",
                        "hasdbaccess", "int", "islogin", "int", "isntname", "int", "isntgroup",
                        "int", "isntuser", "int", "issqluser", "int", "isaliased", "int",
                        "issqlrole", "int", "isapprole", "int"}),
               ""});
  t.push_back({"sysproperties", 11, false,
               Columns({"id", "int", "smallid", "smallint", "type", "tinyint", "name", kName}),
               ""});
  t.push_back({"sysdepends", 12, false, Columns({"id", "int", "depid", "int"}), ""});
  t.push_back({"sysreferences", 14, false,
               Columns({"constid", "int", "fkeyid", "int", "rkeyid", "int"}), ""});
  t.push_back({"sysfulltextcatalogs", 19, false,
               Columns({"ftcatid", "smallint", "name", kName, "status", "smallint"}), ""});
  t.push_back({"sysindexkeys", 24, false,
               Columns({"id", "int", "indid", "smallint", "colid", "smallint", "keyno",
                        "smallint"}),
               ""});
  t.push_back({"sysforeignkeys", 25, false,
               Columns({"constid", "int", "fkeyid", "int", "rkeyid", "int"}), ""});
  t.push_back({"sysmembers", 26, false,
               Columns({"memberuid", "smallint", "groupuid", "smallint"}), ""});
  t.push_back({"sysprotects", 27, false,
               Columns({"id", "int", "uid", "smallint", "action", "tinyint", "protecttype",
                        "tinyint", "columns", "varbinary(4000)", "grantor", "smallint"}),
               ""});
  t.push_back({"sysfulltextnotify", 28, false, Columns({"tableid", "int", "rowinfo", "smallint"}),
               ""});
  t.push_back({"sysfilegroups", 96, false,
               Columns({"groupid", "smallint", "allocpolicy", "smallint", "status", "int",
                        "groupname", kName}),
               ""});
  t.push_back({"sysfiles", 97, false,
               Columns({"fileid", "smallint", "groupid", "smallint", "size", "int", "maxsize",
                        "int", "growth", "int", "status", "int", "perf", "int", "name",
                        "nchar(128)", "filename", "nchar(260)"}),
               ""});
  t.push_back({"sysconstraints", 98, false,
               Columns({"constid", "int", "id", "int", "colid", "smallint", "spare1", "tinyint",
                        "status", "int", "actions", "int", "error", "int"}),
               "SELECT id AS constid, parent_obj AS id, 0 AS colid, 0 AS spare1, 0 AS status, "
               "0 AS actions, 0 AS error FROM sysobjects WHERE parent_obj <> 0 AND xtype IN "
               "('C ', 'D ', 'PK', 'UQ', 'F ')"});
  t.push_back({"syssegments", 99, false,
               Columns({"segment", "int", "name", kName, "status", "int"}),
               "SELECT 0 AS segment, 'system' AS name, 0 AS status UNION ALL "
               "SELECT 1, 'default', 1 UNION ALL SELECT 2, 'logsegment', 0"});
  // master only
  t.push_back({"sysdatabases", 30, true,
               Columns({"name", kName, "dbid", "smallint", "sid", "varbinary(85)", "mode",
                        "smallint", "status", "int", "status2", "int", "crdate", "datetime",
                        "reserved", "datetime", "category", "int", "cmptlevel", "tinyint",
                        "filename", "nvarchar(260)", "version", "smallint"}),
               ""});
  t.push_back({"syslogins", 31, true,
               Columns({"sid", "varbinary(85)", "status", "smallint", "createdate", "datetime",
                        "updatedate", "datetime", "accdate", "datetime", "totcpu", "int",
                        "totio", "int", "spacelimit", "int", "timelimit", "int", "resultlimit",
                        "int", "name", kName, "dbname", kName, "password", kName, "language",
                        kName, "denylogin", "int", "hasaccess", "int", "isntname", "int",
                        "isntgroup", "int", "isntuser", "int", "sysadmin", "int",
                        "securityadmin", "int", "serveradmin", "int", "setupadmin", "int",
                        "processadmin", "int", "diskadmin", "int", "dbcreator", "int",
                        "bulkadmin", "int", "loginname", kName}),
               ""});
  t.push_back({"syslanguages", 32, true,
               Columns({"langid", "smallint", "dateformat", "nchar(3)", "datefirst", "tinyint",
                        "upgrade", "int", "name", kName, "alias", kName, "months",
                        "nvarchar(372)", "shortmonths", "nvarchar(132)", "days", "nvarchar(217)",
                        "lcid", "int", "msglangid", "smallint"}),
               ""});
  t.push_back({"sysaltfiles", 33, true,
               Columns({"fileid", "smallint", "groupid", "smallint", "size", "int", "maxsize",
                        "int", "growth", "int", "status", "int", "perf", "int", "dbid",
                        "smallint", "name", "nchar(128)", "filename", "nchar(260)"}),
               ""});
  return t;
}

}  // namespace

const std::vector<SystemTable>& SystemTables() {
  static const std::vector<SystemTable> tables = Build();
  return tables;
}

const SystemTable* FindSystemTable(const std::string& name, bool in_master) {
  for (const SystemTable& t : SystemTables()) {
    if ((in_master || !t.master_only) && CompareCi(t.name, name) == 0) return &t;
  }
  return nullptr;
}

}  // namespace court::mssql
