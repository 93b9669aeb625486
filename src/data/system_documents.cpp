#include "data/system_documents.h"

#include "data/quoted_value.h"
#include "data/table_copy.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"

namespace court::data {

void ReplaceSystemDocuments(provisioning::RunState& run, access::Connection& court,
                            access::Connection& catalogue, const DocumentTable& documents) {
  access::Recordset shipped;
  access::OpenRecordset(catalogue, shipped,
                              "select " + documents.id_column + " from " + documents.table + " where " +
                                  documents.owner_column + " = '(系统文书)'");
  for (; !shipped.Eof(); shipped.MoveNext())
    court.Execute("delete from " + documents.table + " where " + documents.id_column + " = " +
                  QuotedValue(access::Trimmed(shipped.Fields(documents.id_column).value())));
  shipped.Close();
  CopyCatalogueTable(run, documents.table, " where " + documents.owner_column + " = '(系统文书)' ", "");
}

}  // namespace court::data
