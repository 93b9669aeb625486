#include "schema/default_creation.h"

#include "platform/access/error.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "schema/column_definition.h"

namespace court::schema {

void CreateDefault(const provisioning::RunState& run, const Target& target, const std::string& table,
                   const std::string& column, const std::string& expression) {
  access::Connection connection(run.sources);
  try {
    target.open_connection(run, connection);
    connection.Execute("CREATE DEFAULT [" + DefaultName(table, column) + "]  AS " + expression);
    connection.Close();
  } catch (const access::Error&) {
    // Deliberately silent; see the header.
  }
}

void CreateCourtDefault(const provisioning::RunState& run, const std::string& table,
                        const std::string& column, const std::string& expression) {
  CreateDefault(run, CourtTarget(), table, column, expression);
}

void CreateMailDefault(const provisioning::RunState& run, const std::string& table,
                       const std::string& column, const std::string& expression) {
  CreateDefault(run, MailTarget(), table, column, expression);
}

void EnsureCurrentTimeDefault(access::Connection& connection) {
  const std::string name(kCurrentTimeDefault);
  access::Recordset existing;
  access::OpenRecordset(connection, existing, "SELECT name FROM sysobjects WHERE name = '" + name + "'");
  if (existing.RecordCount() == 0) connection.Execute("CREATE DEFAULT " + name + " AS getdate()");
  existing.Close();
}

}  // namespace court::schema
