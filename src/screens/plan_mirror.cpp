#include "screens/plan_mirror.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/access/connection.h"
#include "platform/access/error.h"
#include "platform/access/sql_text.h"
#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/sql_type.h"
#include "platform/system/drive_map.h"
#include "provisioning/connections.h"
#include "provisioning/service_login.h"

namespace court::screens {
namespace {

namespace fs = std::filesystem;
using access::Bracketed;
using access::ResultSet;
using access::Row;
using access::UnicodeLiteral;
using provisioning::kCourtDatabase;
using provisioning::kLoginName;
using provisioning::kMailDatabase;

constexpr std::string_view kPlanKind = "plan";

std::string Text(const Row& row, std::size_t column) { return access::Trimmed(row[column]); }
long long Number(const Row& row, std::size_t column) {
  return row[column].is_null() ? 0 : std::atoll(row[column].ToText().c_str());
}

// The installation's databases that the server has, with their files.
struct DatabaseFiles {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;  // logical name, Windows path; data first
};

// One database of the server and its counterpart in the mirror.
class DatabaseMirror {
 public:
  DatabaseMirror(const access::DataSources& sources, mssql::EmbeddedDriver& copy, const std::string& name)
      : server_(sources), copy_(copy.Open(name)) {
    server_.Open(provisioning::ServerConnectionString(name));
  }

  ResultSet Read(const std::string& sql) { return server_.Query(sql, kPlanKind); }
  void Write(const std::string& sql) { copy_->Execute(sql); }

  // The tables, their keys, defaults and rows, then their CHECK
  // constraints (unchecked: the rows are the server's), then the views.
  void CopyTables(Mirror& mirror) {
    const std::vector<TableShape> tables = Tables();
    for (const TableShape& table : tables) Write("CREATE TABLE " + Bracketed(table.name) + " (" + table.columns + ")");
    CopyKeys();
    CopyDefaults();
    for (const TableShape& table : tables) mirror.rows += CopyRows(table);
    mirror.tables += static_cast<long long>(tables.size());
    // In the order the server lists them, which the run's own unordered
    // query of them then finds in the mirror too.
    for (const Row& check : Read("SELECT o.name, t.name, m.text FROM sysobjects o JOIN sysobjects t ON t.id = "
                                 "o.parent_obj JOIN syscomments m ON m.id = o.id WHERE o.xtype = 'C'")
                                .rows)
      Write("ALTER TABLE " + Bracketed(Text(check, 1)) + " WITH NOCHECK ADD CONSTRAINT " + Bracketed(Text(check, 0)) +
            " CHECK " + check[2].ToText());
    CopyViews();
  }

  // The server's system tables and procedures less the mirror's.
  long long SystemObjectsBeyondMirror() {
    const std::string count = "SELECT count(*) FROM sysobjects WHERE xtype IN ('s', 'p')";
    return Number(Read(count).rows.at(0), 0) - Number(copy_->Query(count).rows.at(0), 0);
  }

 private:
  struct TableShape {
    std::string name;
    std::string columns{};  // the column list of CREATE TABLE
    bool identity = false;
    std::vector<std::string> timestamps{};  // columns whose values the mirror makes itself
  };

  // Every user table with its columns, in column order.
  std::vector<TableShape> Tables() {
    std::vector<TableShape> tables;
    for (const Row& c : Read("SELECT o.name, c.name, c.xtype, c.length, c.xprec, c.xscale, c.isnullable, "
                             "c.colstat FROM sysobjects o JOIN syscolumns c ON c.id = o.id WHERE o.xtype = "
                             "'U' ORDER BY o.name, c.colid")
                            .rows) {
      if (tables.empty() || tables.back().name != Text(c, 0)) tables.push_back({Text(c, 0)});
      TableShape& table = tables.back();
      const mssql::SqlType type =
          mssql::TypeFromCatalog(static_cast<int>(Number(c, 2)), static_cast<int>(Number(c, 3)),
                                 static_cast<int>(Number(c, 4)), static_cast<int>(Number(c, 5)));
      const bool identity = Number(c, 7) & 1;
      table.identity = table.identity || identity;
      if (type.name == "timestamp") table.timestamps.push_back(Text(c, 1));
      table.columns += (table.columns.empty() ? "" : ", ") + Bracketed(Text(c, 1)) + " " + type.Declaration() +
                       (identity ? " IDENTITY" : "") + (Number(c, 6) ? " NULL" : " NOT NULL");
    }
    return tables;
  }

  void CopyKeys() {
    std::string name, table, kind, columns;
    auto add = [&] {
      if (!name.empty())
        Write("ALTER TABLE " + Bracketed(table) + " ADD CONSTRAINT " + Bracketed(name) +
              (kind == "PK" ? " PRIMARY KEY (" : " UNIQUE (") + columns + ")");
    };
    for (const Row& key : Read("SELECT o.name, t.name, o.xtype, c.name FROM sysobjects o JOIN sysobjects t ON "
                               "t.id = o.parent_obj JOIN sysindexes i ON i.id = t.id AND i.name = o.name "
                               "JOIN sysindexkeys k ON k.id = i.id AND k.indid = i.indid JOIN syscolumns c "
                               "ON c.id = k.id AND c.colid = k.colid WHERE o.xtype IN ('PK', 'UQ') ORDER BY "
                               "o.name, k.keyno")
                              .rows) {
      if (Text(key, 0) != name) {
        add();
        name = Text(key, 0), table = Text(key, 1), kind = Text(key, 2), columns.clear();
      }
      columns += (columns.empty() ? "" : ", ") + Bracketed(Text(key, 3));
    }
    add();
  }

  // DEFAULT constraints of columns, then defaults made with CREATE DEFAULT
  // and the columns they are bound to.
  void CopyDefaults() {
    for (const Row& d : Read("SELECT o.name, t.name, c.name, m.text FROM sysobjects o JOIN sysobjects t ON t.id "
                             "= o.parent_obj JOIN syscolumns c ON c.id = t.id AND c.cdefault = o.id JOIN "
                             "syscomments m ON m.id = o.id WHERE o.xtype = 'D' ORDER BY o.name")
                            .rows)
      Write("ALTER TABLE " + Bracketed(Text(d, 1)) + " ADD CONSTRAINT " + Bracketed(Text(d, 0)) + " DEFAULT " +
            d[3].ToText() + " FOR " + Bracketed(Text(d, 2)));
    for (const Row& d : Read("SELECT m.text FROM sysobjects o JOIN syscomments m ON m.id = o.id WHERE o.xtype = "
                             "'D' AND o.parent_obj = 0 ORDER BY o.name, m.colid")
                            .rows)
      Write(d[0].ToText());
    for (const Row& b : Read("SELECT o.name, t.name, c.name FROM syscolumns c JOIN sysobjects t ON t.id = c.id "
                             "JOIN sysobjects o ON o.id = c.cdefault WHERE t.xtype = 'U' AND o.xtype = 'D' "
                             "AND o.parent_obj = 0")
                            .rows)
      Write("exec sp_bindefault " + UnicodeLiteral(Bracketed(Text(b, 0))) + ", " +
            UnicodeLiteral(Bracketed(Text(b, 1)) + "." + Bracketed(Text(b, 2))));
  }

  // The table's rows as they are, identity values included, in one
  // transaction of the mirror. Returns how many.
  long long CopyRows(const TableShape& table) {
    const ResultSet rows = Read("SELECT * FROM " + Bracketed(table.name));
    std::vector<std::string> names;
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < rows.columns.size(); ++i)
      if (std::find(table.timestamps.begin(), table.timestamps.end(), rows.columns[i].name) == table.timestamps.end())
        names.push_back(rows.columns[i].name), kept.push_back(i);
    if (table.identity) Write("SET IDENTITY_INSERT " + Bracketed(table.name) + " ON");
    Write("BEGIN TRANSACTION");
    for (const Row& row : rows.rows) {
      std::vector<access::Value> values;
      for (std::size_t i : kept) values.push_back(row[i]);
      copy_->InsertRow(table.name, names, values);
    }
    Write("COMMIT TRANSACTION");
    if (table.identity) Write("SET IDENTITY_INSERT " + Bracketed(table.name) + " OFF");
    return static_cast<long long>(rows.rows.size());
  }

  // A view may use another: each round creates those whose objects exist,
  // until a round makes no progress; the rest fail with the server's error.
  void CopyViews() {
    std::vector<std::string> pending;
    std::string last;
    for (const Row& v : Read("SELECT o.name, m.text FROM sysobjects o JOIN syscomments m ON m.id = o.id WHERE "
                             "o.xtype = 'V' AND o.name NOT IN ('sysconstraints', 'syssegments') ORDER BY "
                             "o.name, m.colid")
                            .rows) {
      if (!pending.empty() && Text(v, 0) == last)
        pending.back() += v[1].ToText();
      else
        pending.push_back(v[1].ToText());
      last = Text(v, 0);
    }
    while (!pending.empty()) {
      std::vector<std::string> failed;
      for (const std::string& view : pending) {
        try {
          Write(view);
        } catch (const access::Error&) {
          failed.push_back(view);
        }
      }
      if (failed.size() == pending.size()) Write(failed.front());  // throws the reason
      pending = std::move(failed);
    }
  }

  access::Connection server_;
  std::unique_ptr<mssql::EmbeddedSession> copy_;
};

// On the server's master: which databases of the installation it has.
std::vector<DatabaseFiles> InstallationDatabases(access::Connection& master, const access::DataSources& sources) {
  std::vector<DatabaseFiles> databases;
  for (const Row& row :
       master
           .Query("SELECT name FROM master.dbo.sysdatabases WHERE name IN (" + UnicodeLiteral(kCourtDatabase) + ", " +
                      UnicodeLiteral(kMailDatabase) + ", " + UnicodeLiteral(kLoginName) + ") ORDER BY dbid",
                  kPlanKind)
           .rows)
    databases.push_back({Text(row, 0), {}});
  for (DatabaseFiles& database : databases) {
    access::Connection connection(sources);
    connection.Open(provisioning::ServerConnectionString(database.name));
    for (const Row& file : connection.Query("SELECT name, filename FROM sysfiles ORDER BY fileid", kPlanKind).rows)
      database.files.emplace_back(Text(file, 0), Text(file, 1));
  }
  return databases;
}

bool LoginExists(access::Connection& master) {
  return !master
              .Query("SELECT loginname FROM master.dbo.syslogins WHERE loginname = " + UnicodeLiteral(kLoginName),
                     kPlanKind)
              .rows.empty();
}

// The database with the server's file names, so the run reports and
// derives the same paths; the files' folders are made on the mirror's drives.
void CreateDatabase(mssql::EmbeddedSession& master, const system::DriveMap& drives, const DatabaseFiles& database) {
  std::string data, log;
  for (const auto& [logical, path] : database.files) {
    fs::create_directories(drives.Map(path).parent_path());
    std::string file = "(NAME = " + UnicodeLiteral(logical) + ", FILENAME = " + UnicodeLiteral(path) + ")";
    std::string& part = data.empty() ? data : log;
    part += (part.empty() ? "" : ", ") + file;
  }
  master.Execute("CREATE DATABASE " + Bracketed(database.name) + (data.empty() ? "" : " ON " + data) +
                 (log.empty() ? "" : " LOG ON " + log));
}

}  // namespace

Mirror MirrorServer(const access::DataSources& sources, const std::vector<std::string>& drives, const fs::path& root) {
  const system::DriveMap drive_map(root / "drives");
  for (const std::string& drive : drives) fs::create_directories(drive_map.Map(drive));
  mssql::EmbeddedDriver copy(root);
  Mirror mirror;
  {
    access::Connection server_master(sources);
    server_master.Open(provisioning::MasterConnectionString());
    std::unique_ptr<mssql::EmbeddedSession> master = copy.Open("master");
    for (const DatabaseFiles& database : InstallationDatabases(server_master, sources)) {
      CreateDatabase(*master, drive_map, database);
      mirror.databases.push_back(database.name);
    }
    if (LoginExists(server_master))
      master->Execute("exec sp_addlogin " + UnicodeLiteral(kLoginName) + ", " +
                      UnicodeLiteral(provisioning::kLoginPassword));
  }
  for (const std::string& name : mirror.databases) {
    if (name == kLoginName) continue;  // only its existence counts
    DatabaseMirror database(sources, copy, name);
    database.CopyTables(mirror);
    mirror.system_objects_beyond_mirror[name] = database.SystemObjectsBeyondMirror();
  }
  return mirror;
}

std::vector<std::string> MirrorLimits() {
  return {
      std::string(kChangesAfterThePlan),
      "how the server itself answers where it differs from the embedded engine that rehearsed the run "
      "(text comparison and sorting, error conditions, the server's own objects)",
      "files on the server's drives: none is copied, so the run's checks for existing files see none",
      "the service login's password and rights: only that it exists is carried over",
      "whether the server has room for the new databases and the backups",
  };
}

}  // namespace court::screens
