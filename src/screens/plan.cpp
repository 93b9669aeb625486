#include "screens/plan.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "schema/default_creation.h"
#include "screens/plan_statements.h"

namespace court::screens {
namespace {

// Finds the entry of a table in a list kept in the run's order, adding it
// at the end when it is not there yet.
template <typename Entry>
Entry& EntryOf(std::vector<Entry>& entries, const std::string& table) {
  auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.table == table; });
  if (found != entries.end()) return *found;
  entries.push_back(Entry{table});
  return entries.back();
}

// "... ADD CONSTRAINT N CHECK ( C )": C, which may hold brackets of its own.
std::string CheckCondition(const std::string& sql) {
  constexpr std::string_view kOpen = " CHECK ( ", kClose = " )";
  const std::size_t start = sql.find(kOpen) + kOpen.size();
  return sql.ends_with(kClose) && start < sql.size() ? sql.substr(start, sql.size() - kClose.size() - start) : "";
}

// Reads the writes one by one; each statement the plan tells about goes to
// its list, the others (transaction brackets, the run's own bookkeeping,
// SET options, the drops that precede CREATE VIEW) are passed over.
class PlanBuilder {
 public:
  void Add(const Write& write) {
    if (write.sql.empty()) {
      ++EntryOf(plan_.reference_data, write.table).inserted;
      return;
    }
    if (!AddSchema(write) && !AddData(write)) AddRights(write);
  }

  Plan Take() { return std::move(plan_); }

 private:
  // Databases, tables, columns and their defaults, views, check constraints.
  bool AddSchema(const Write& write) {
    const std::string& sql = write.sql;
    if (sql.starts_with("CREATE DATABASE [")) {
      plan_.databases.push_back({Between(sql, "[", "]"), Between(sql, "FILENAME = N'", "'")});
    } else if (sql.starts_with("CREATE TABLE [dbo].[")) {
      plan_.tables.push_back({write.database, Between(sql, "[dbo].[", "]")});
    } else if (auto column = ColumnStatementOf(sql)) {
      plan_.columns.push_back({write.database, column->table, column->column, column->alter ? "alter" : "add",
                               write.before, Collapsed(column->declaration)});
    } else if (sql.starts_with("CREATE DEFAULT ")) {
      defaults_[Collapsed(Between(sql, "CREATE DEFAULT ", " AS "))] = Collapsed(sql.substr(sql.find(" AS ") + 4));
    } else if (sql.starts_with("sp_bindefault ")) {
      BindDefault(write);
    } else if (sql.starts_with("CREATE VIEW dbo.")) {
      plan_.views.push_back(Between(sql, "dbo.", " AS "));
    } else if (sql.find("\r\nADD CONSTRAINT ") != std::string::npos) {
      plan_.added_constraints.push_back({Between(sql, "ALTER TABLE ", " WITH NOCHECK"),
                                         Between(sql, "ADD CONSTRAINT ", " CHECK ( "), CheckCondition(sql),
                                         check_rows_});
    } else if (sql.starts_with("alter table ") && sql.find(" drop ") != std::string::npos) {
      plan_.dropped_constraints.push_back(
          {.table = Between(sql, "alter table ", " drop "), .name = sql.substr(sql.find(" drop ") + 6)});
    } else {
      return false;
    }
    return true;
  }

  // Rows deleted and inserted.
  bool AddData(const Write& write) {
    if (auto table = DeletedFrom(write.sql)) {
      Delete(*table, write);
      return true;
    }
    if (auto table = InsertedInto(write.sql)) {
      Insert(*table, write.sql);
      return true;
    }
    return false;
  }

  // The login, its server roles, and the rights in each database.
  void AddRights(const Write& write) {
    const std::string& sql = write.sql;
    if (sql.starts_with("if not exists (select * from master.dbo.syslogins where loginname = N'")) {
      plan_.login = Between(sql, "loginname = N'", "'");
    } else if (sql.starts_with("exec sp_addsrvrolemember ")) {
      const std::string role = sql.substr(sql.rfind(' ') + 1);
      if (std::find(plan_.server_roles.begin(), plan_.server_roles.end(), role) == plan_.server_roles.end())
        plan_.server_roles.push_back(role);
    } else if (sql.starts_with("GRANT all to ")) {
      plan_.grants.push_back({write.database});
    } else if (sql.starts_with("GRANT all on ") && !plan_.grants.empty()) {
      ++plan_.grants.back().objects;
    }
  }

  void Delete(const std::string& table, const Write& write) {
    const std::string& sql = write.sql;
    if (sql.find(" where not ( ") != std::string::npos) {
      check_rows_ = write.rows;  // the constraint that follows is added once they are gone
    } else if (sql.find(" in (select top 1 ") != std::string::npos) {
      EntryOf(plan_.duplicates, table).rows += write.rows;
    } else if (table != "升级版本") {
      EntryOf(plan_.reference_data, table).deleted += write.rows;
    }
  }

  void Insert(const std::string& table, const std::string& sql) {
    if (table == "升级版本")
      plan_.release = std::atoll(Between(sql, "values ( ", " )").c_str());
    else if (table != "court_setup_run")
      ++EntryOf(plan_.reference_data, table).inserted;
  }

  // "sp_bindefault 当前日时, 'T.C'" or "sp_bindefault [DF_T_C] , 'T.C'".
  void BindDefault(const Write& write) {
    const std::string bound = Between(write.sql, "'", "'");
    const std::size_t dot = bound.find('.');
    std::string name = Collapsed(Between(write.sql, "sp_bindefault ", ","));
    auto expression = defaults_.find(name);
    plan_.columns.push_back({write.database, bound.substr(0, dot), bound.substr(dot + 1), "default", "",
                             expression != defaults_.end() ? expression->second : name});
  }

  Plan plan_;
  // Default objects by name, with their expressions: the ones this run
  // creates, and the current-time default every court database has.
  std::map<std::string, std::string> defaults_ = {{std::string(schema::kCurrentTimeDefault), "getdate()"}};
  long long check_rows_ = 0;
};

}  // namespace

Plan PlanOf(const std::vector<Write>& writes) {
  PlanBuilder builder;
  for (const Write& write : writes) builder.Add(write);
  return builder.Take();
}

}  // namespace court::screens
