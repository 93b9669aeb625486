#include "tests/support/server_dump.h"

#include <algorithm>
#include <vector>

#include "platform/mssql/embedded_driver.h"

namespace court::testing {
namespace {

using Session = access::Session;

// Columns that differ between equal installations.
bool Varies(const std::string& column) {
  return column.find("date") != std::string::npos || column == "id" || column == "parent_obj" ||
         column == "cdefault" || column == "domain" || column == "uid" || column == "grantor" ||
         column == "altuid" || column == "gid";
}

// The rows of a query as sorted lines, without the columns that vary and
// without the columns listed in skip.
std::string Lines(Session& session, const std::string& sql, const std::vector<std::string>& skip = {}) {
  access::ResultSet result = session.Query(sql);
  std::vector<std::string> lines;
  for (const access::Row& row : result.rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const std::string& name = result.columns[i].name;
      if (Varies(name) || std::find(skip.begin(), skip.end(), name) != skip.end()) continue;
      line += name + "=" + (row[i].is_null() ? "NULL" : row[i].ToText()) + "\t";
    }
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The identity column of a table, if any (syscolumns.status bit 0x80).
std::vector<std::string> IdentityColumns(Session& session, const std::string& table) {
  std::vector<std::string> columns;
  for (const access::Row& row :
       session.Query("SELECT name, status FROM syscolumns WHERE id = object_id('" + table + "')").rows)
    if (row[1].integer() & 0x80) columns.push_back(row[0].text());
  return columns;
}

// Columns that hold another table's identity value, and what names the row
// they refer to.
struct Reference {
  const char* table;
  const char* column;
  const char* query;
};
constexpr Reference kReferences[] = {
    {"运行库文件", "运行库_id",
     "SELECT f.文件名, l.使用名称 FROM 运行库文件 f LEFT JOIN 运行库 l ON f.运行库_id = l.id"}};

std::string DatabaseDump(mssql::EmbeddedDriver& server, const std::string& database) {
  auto session = server.Connect(database);
  std::string text = "== " + database + "\n";
  text += Lines(*session,
                "SELECT o.name, o.xtype, p.name AS parent, c.text FROM sysobjects o LEFT JOIN sysobjects p ON "
                "o.parent_obj = p.id LEFT JOIN syscomments c ON c.id = o.id WHERE o.xtype <> 'S'");
  text += Lines(*session,
                "SELECT o.name AS tab, c.name, c.xtype, c.length, c.prec, c.scale, c.isnullable, c.status, "
                "c.colid, d.name AS default_name FROM syscolumns c JOIN sysobjects o ON o.id = c.id LEFT JOIN "
                "sysobjects d ON d.id = c.cdefault WHERE o.xtype = 'U'");
  text += Lines(*session, "SELECT name, hasdbaccess, islogin, issqluser FROM sysusers WHERE name = 'vek'");
  text += Lines(*session,
                "SELECT o.name AS object, p.action, p.protecttype FROM sysprotects p LEFT JOIN sysobjects o ON "
                "o.id = p.id LEFT JOIN sysusers u ON u.uid = p.uid WHERE u.name = 'vek'");
  for (const access::Row& table :
       session->Query("SELECT name FROM sysobjects WHERE xtype = 'U' ORDER BY name").rows) {
    const std::string name = table[0].text();
    std::vector<std::string> skip = IdentityColumns(*session, name);
    for (const Reference& reference : kReferences) {
      if (name != reference.table) continue;
      skip.push_back(reference.column);
      text += "-- " + name + " refers to\n" + Lines(*session, reference.query);
    }
    text += "-- " + name + "\n" + Lines(*session, "SELECT * FROM [" + name + "]", skip);
  }
  return text;
}

}  // namespace

std::string CanonicalDump(const std::filesystem::path& server_root) {
  mssql::EmbeddedDriver server(server_root);
  auto master = server.Connect("master");
  std::string text = "== master\n";
  text += Lines(*master, "SELECT * FROM syslogins WHERE name = 'vek'", {"sid", "password"});
  text += Lines(*master,
                "SELECT name, status, status2, filename FROM sysdatabases WHERE name IN (N'法院', N'内部邮件')");
  text += Lines(*master, "SELECT name FROM sysobjects WHERE xtype = 'U'");
  for (const char* database : {"法院", "内部邮件"}) text += DatabaseDump(server, database);
  return text;
}

}  // namespace court::testing
