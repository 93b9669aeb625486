#include "schema/table_alteration.h"

#include <cstdlib>

#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "schema/catalogue.h"
#include "schema/column_definition.h"
#include "schema/default_creation.h"

namespace court::schema {
namespace {

// Catalogue fields 0..2 (类型id, 长度, 允许空) pair with these by position.
constexpr int kComparedFields = 3;
constexpr int kBoundDefaultField = 3;  // cdefault

std::string ServerColumnQuery(const std::string& column, const std::string& table) {
  return "SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='" + column +
         "' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = '" +
         access::RightTrim(table) + "'))";
}

// A null on either side is no evidence of a difference.
bool IsChanged(access::Recordset& catalogue, access::Recordset& server) {
  bool changed = false;
  for (int i = 0; i < kComparedFields; ++i) {
    const access::Value& wanted = catalogue.Fields(i).value();
    const access::Value& found = server.Fields(i).value();
    if (!wanted.is_null() && !found.is_null() && access::Trimmed(wanted) != access::Trimmed(found))
      changed = true;
  }
  return changed;
}

bool HasBoundDefault(access::Recordset& server) {
  return std::strtod(access::Trimmed(server.Fields(kBoundDefaultField).value()).c_str(), nullptr) > 0;
}

std::string AddColumnStatement(const std::string& table, const CatalogueColumn& column) {
  return "alter table " + table + "\r\n add " + column.name + DefineColumn(column, table).declaration;
}

std::string AlterColumnStatement(const std::string& table, const CatalogueColumn& column) {
  return "alter table " + table + "\r\nalter column " + column.name +
         DefineColumn(column, table, IdentityUse::kIgnored).declaration;
}

// One pass over one table, on its own catalogue and target connections.
class AlterationPass {
 public:
  AlterationPass(const provisioning::RunState& run, const Target& target, const std::string& table)
      : run_(run), target_(target), table_(table), catalogue_(run.sources), database_(run.sources) {}

  // Whether it changed the table.
  bool Run() {
    provisioning::OpenCatalogueConnection(run_, catalogue_);
    target_.open_connection(run_, database_);
    access::OpenRecordset(catalogue_, columns_, AlterationColumnsQuery(table_));
    while (!columns_.Eof()) {
      Reconcile(ReadCatalogueColumn(columns_));
      columns_.MoveNext();
      server_column_.Close();
    }
    columns_.Close();
    return changed_;
  }

 private:
  void Reconcile(const CatalogueColumn& column) {
    access::OpenRecordset(database_, server_column_, ServerColumnQuery(column.name, table_));
    bool bind = column.HasStoredDefault();
    if (server_column_.RecordCount() == 0) {
      database_.Execute(AddColumnStatement(table_, column));
      changed_ = true;
    } else {
      if (IsChanged(columns_, server_column_)) {
        database_.Execute(AlterColumnStatement(table_, column));
        changed_ = true;
      }
      bind = bind && !HasBoundDefault(server_column_);
    }
    if (bind) BindDefault(column);
    changed_ = changed_ || bind;
  }

  void BindDefault(const CatalogueColumn& column) {
    const std::string bound_column = "'" + table_ + "." + column.name + "'";
    const std::string expression = column.DefaultExpression();
    if (expression == "(getdate())") {
      if (!current_time_default_ensured_) EnsureCurrentTimeDefault(database_);
      current_time_default_ensured_ = true;
      database_.Execute("sp_bindefault " + std::string(kCurrentTimeDefault) + ", " + bound_column);
      return;
    }
    CreateDefault(run_, target_, table_, column.name, expression);
    database_.Execute("sp_bindefault [" + DefaultName(table_, column.name) + "] , " + bound_column);
  }

  const provisioning::RunState& run_;
  const Target& target_;
  const std::string& table_;
  access::Connection catalogue_;
  access::Connection database_;
  access::Recordset columns_;
  access::Recordset server_column_;
  bool current_time_default_ensured_ = false;
  bool changed_ = false;
};

}  // namespace

bool AlterTable(const provisioning::RunState& run, const Target& target, const std::string& table) {
  return AlterationPass(run, target, table).Run();
}

void AlterCourtTable(const provisioning::RunState& run, const std::string& table) {
  AlterTable(run, CourtTarget(), table);
}

void AlterMailTable(const provisioning::RunState& run, const std::string& table) {
  AlterTable(run, MailTarget(), table);
}

}  // namespace court::schema
