#include "integrity/check_constraints.h"

#include <cstdint>

#include "platform/access/connection.h"
#include "platform/access/recordset.h"
#include "platform/access/value.h"
#include "provisioning/connections.h"
#include "provisioning/row_archive.h"
#include "provisioning/step_transaction.h"

namespace court::integrity {

void RebuildCheckConstraints(provisioning::RunState& run) {
  // Counts only the catalogue rows used, so one catalogue always gives the
  // same names; it starts over with every rebuild.
  std::int32_t constraint_number = 1;
  DropCheckConstraints(run);

  access::Connection catalogue(run.sources);
  provisioning::OpenCatalogueConnection(run, catalogue);
  access::Recordset rows;
  access::OpenRecordset(
      catalogue, rows,
      "SELECT [约束名], [表名], [约束语句] FROM 约束表 where ( not  约束语句 is null ) "
      "and (not rtrim(约束语句)='' ) ");
  for (; !rows.Eof(); rows.MoveNext()) {
    const std::string table = access::Trimmed(rows.Fields(1).value());
    const std::string condition = access::Trimmed(rows.Fields(2).value());
    AddCheckConstraint(run, table + std::to_string(constraint_number) + "_ck", table, condition);
    ++constraint_number;
  }
  rows.Close();
  catalogue.Close();
}

void DropCheckConstraints(provisioning::RunState& run) {
  access::Connection court(run.sources);
  provisioning::OpenCourtConnection(run, court);
  access::Recordset constraints;
  access::OpenRecordset(
      court, constraints,
      "SELECT sysobjects.name, sysobjects_1.name AS 表名, syscomments.text FROM sysobjects LEFT OUTER JOIN "
      "syscomments ON sysobjects.id = syscomments.id LEFT OUTER JOIN sysobjects sysobjects_1 ON "
      "sysobjects.parent_obj = sysobjects_1.id WHERE (sysobjects.xtype = 'c') ");
  for (; !constraints.Eof(); constraints.MoveNext())
    court.Execute("alter table " + access::Trimmed(constraints.Fields(1).value()) + " drop " +
                  access::Trimmed(constraints.Fields(0).value()));
  constraints.Close();
  court.Close();
}

void AddCheckConstraint(provisioning::RunState& run, const std::string& name, const std::string& table,
                        const std::string& condition) {
  access::Connection court(run.sources);
  provisioning::OpenCourtConnection(run, court);
  // The constraint goes in unchecked, so the rows that would break it must go
  // first; rows where the condition is unknown satisfy a CHECK and stay.
  const std::string violating = table + " where not ( " + condition + ")";
  provisioning::InTransaction(court, [&] {
    provisioning::ArchiveRows(run, court, table, "check constraint " + name, "select * from " + violating);
    court.Execute("delete from " + violating);
    court.Execute("use " + std::string(provisioning::kCourtDatabase) + "\r\nALTER TABLE " + table +
                  " WITH NOCHECK \r\nADD CONSTRAINT " + name + " CHECK ( " + condition + " )");
  });
  court.Close();
}

}  // namespace court::integrity
