#include "schema/table_creation.h"


#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "schema/catalogue.h"
#include "schema/column_definition.h"
#include "provisioning/step_transaction.h"

namespace court::schema {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// The two statements of one table, grown column by column. The constraint
// statement's layout reaches the server as it is: once it holds a clause,
// every further column adds a line, with or without a clause of its own.
class CreationStatements {
 public:
  explicit CreationStatements(const std::string& table)
      : table_(table), create_("CREATE TABLE [dbo].[" + table + "] (") {}

  void AddColumn(const ColumnTexts& column) {
    create_ += std::string(kLineBreak) + column.definition;
    if (!column.primary_key.empty()) AddClause(column.primary_key);
    create_ += " , ";
    if (!constraints_.empty()) constraints_ += kLineBreak;
    if (!column.default_clause.empty()) AddClause(column.default_clause);
  }

  std::string Create() const { return create_ + std::string(kLineBreak) + ") ON [PRIMARY]"; }

  // Empty when no column has a key or a default.
  std::string Constraints() const {
    if (constraints_.empty()) return constraints_;
    return "ALTER TABLE [dbo].[" + table_ + "] WITH NOCHECK ADD " + std::string(kLineBreak) +
           constraints_;
  }

 private:
  void AddClause(const std::string& clause) {
    if (!constraints_.empty()) constraints_ += " ," + std::string(kLineBreak);
    constraints_ += clause;
  }

  const std::string& table_;
  std::string create_;
  std::string constraints_;
};

}  // namespace

void CreateTable(provisioning::RunState& run, const Target& target, const std::string& table) {
  access::Connection connection(run.sources);
  access::Recordset columns;
  provisioning::OpenCatalogueConnection(run, connection);
  access::OpenRecordset(connection, columns, CreationColumnsQuery(table));
  if (columns.RecordCount() == 0) {
    run.warnings.push_back("catalogue table " + table + " has no columns; not created");
    return;
  }
  CreationStatements statements(table);
  for (; !columns.Eof(); columns.MoveNext())
    statements.AddColumn(DefineColumn(ReadCatalogueColumn(columns), table));
  columns.Close();
  connection.Close();

  // A table never stands without its key and defaults.
  target.open_connection(run, connection);
  provisioning::InTransaction(connection, [&] {
    connection.Execute(statements.Create());
    std::string constraints = statements.Constraints();
    if (!constraints.empty()) connection.Execute(constraints);
  });
  connection.Close();
}

void CreateCourtTable(provisioning::RunState& run, const std::string& table) {
  CreateTable(run, CourtTarget(), table);
}

void CreateMailTable(provisioning::RunState& run, const std::string& table) {
  CreateTable(run, MailTarget(), table);
}

}  // namespace court::schema
