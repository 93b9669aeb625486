#include "schema/sync.h"

#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "schema/table_alteration.h"
#include "schema/table_creation.h"
#include "schema/target.h"

namespace court::schema {
namespace {

// Any object of the name counts: a view named like a table sends the table
// to alteration, whose first statement the server then rejects.
std::string ExistenceQuery(const std::string& table) {
  return "SELECT name FROM sysobjects where  name = '" + table + "'";
}

void SyncTables(provisioning::RunState& run, const Target& target) {
  access::Connection database(run.sources);
  access::Connection catalogue(run.sources);
  access::Recordset tables;
  access::Recordset existing;
  target.open_connection(run, database);
  provisioning::OpenCatalogueConnection(run, catalogue);
  access::OpenRecordset(catalogue, tables, target.table_list_query);
  const long count = tables.RecordCount();
  for (long k = 1; !tables.Eof(); tables.MoveNext(), ++k) {
    std::string table = access::Trimmed(tables.Fields("name").value());
    access::OpenRecordset(database, existing, ExistenceQuery(table));
    provisioning::TableChange change = provisioning::TableChange::kCreated;
    if (existing.RecordCount() != 0)
      change = AlterTable(run, target, table) ? provisioning::TableChange::kAltered
                                              : provisioning::TableChange::kUnchanged;
    else
      CreateTable(run, target, table);
    run.progress.Table(table, k, count, change);
  }
  tables.Close();
  database.Close();
}

}  // namespace

void SyncCourtTables(provisioning::RunState& run) { SyncTables(run, CourtTarget()); }

void SyncMailTables(provisioning::RunState& run) { SyncTables(run, MailTarget()); }

}  // namespace court::schema
