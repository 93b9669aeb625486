#include "installation/maintenance.h"

#include <string>
#include <string_view>

#include "data/quoted_value.h"
#include "platform/access/recordset.h"
#include "platform/access/value.h"
#include "provisioning/row_archive.h"

namespace court::installation {
namespace {

// The SET statements stand between the two CREATE VIEWs so that both views
// are stored with QUOTED_IDENTIFIER and ANSI_NULLS on.
constexpr std::string_view kViewStatements[] = {
    "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[计算交接]') and "
    "OBJECTPROPERTY(id, N'IsView') = 1) drop view [dbo].[计算交接]",
    "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[最后次交接]') and "
    "OBJECTPROPERTY(id, N'IsView') = 1) drop view [dbo].[最后次交接]",
    "SET QUOTED_IDENTIFIER ON ",
    "SET ANSI_NULLS ON ",
    "CREATE VIEW dbo.计算交接 AS SELECT TOP 100 PERCENT aj_id, MAX(交接时间) AS 交接时间, 案件性质 FROM "
    "dbo.交接 GROUP BY aj_id, 案件性质 ORDER BY aj_id",
    "SET QUOTED_IDENTIFIER OFF ",
    "SET ANSI_NULLS ON",
    "SET QUOTED_IDENTIFIER ON ",
    "SET ANSI_NULLS ON",
    "CREATE VIEW dbo.最后次交接 AS SELECT TOP 100 PERCENT dbo.交接.接收人, dbo.交接.交接时间, "
    "dbo.交接.aj_id,  dbo.交接.案件性质, dbo.交接.卷宗数 FROM dbo.计算交接 INNER JOIN  dbo.交接 ON "
    "dbo.计算交接.aj_id = dbo.交接.aj_id AND   dbo.计算交接.案件性质 = dbo.交接.案件性质 AND  "
    "dbo.计算交接.交接时间 = dbo.交接.交接时间 GROUP BY dbo.交接.接收人, dbo.交接.交接, dbo.交接.交接时间, "
    "dbo.交接.aj_id,   dbo.交接.案件性质, dbo.交接.卷宗数, dbo.计算交接.交接时间 HAVING (NOT "
    "(dbo.计算交接.交接时间 IS NULL))",
    "SET QUOTED_IDENTIFIER OFF ",
    "SET ANSI_NULLS ON ",
};

// A reference table whose rows must be unique over its group columns: the
// query lists the groups with more than one row; "delete from " + table +
// one_row, the predicate that matches a group and ")" removes one row of
// that group, and "select * from " in front instead reads the row it removes.
struct DuplicateCleanup {
  std::string_view duplicate_query;
  std::string_view table;
  std::string_view one_row;
};

constexpr DuplicateCleanup kCleanups[] = {
    {"SELECT 名称, 内容1, 内容2, 内容3, 内容4 FROM 常用数据 GROUP BY 名称, 内容1, 内容2, 内容3, 内容4 HAVING "
     "(COUNT(*) > 1)",
     "常用数据", " where [no] in (select top 1 [no] from 常用数据  where "},
    {"SELECT 案由, 性质, 归类1, 归类2, 归类3, 归类4 FROM 案由 GROUP BY 案由, 性质, 归类1, 归类2, "
     "归类3, 归类4 HAVING (COUNT(*) > 1)",
     "案由", " where [案由编号] in (select top 1 [案由编号] from 案由  where "},
};

// Matches the rows of the current row's group: the server ignores trailing
// blanks when comparing, so the trimmed values still match every member.
std::string GroupPredicate(access::Recordset& group) {
  std::string predicate;
  for (int i = 0; i < group.FieldCount(); ++i) {
    access::Field field = group.Fields(i);
    if (i > 0) predicate += " and ";
    predicate += field.name();
    if (field.value().is_null())
      predicate += " is null ";
    else
      predicate += " = " + data::QuotedValue(access::Trimmed(field.value())) + " ";
  }
  return predicate;
}

// One surplus row per pass; the query runs again after every delete.
void RemoveDuplicatesOf(provisioning::RunState& run, access::Connection& court, const DuplicateCleanup& cleanup) {
  access::Recordset groups;
  access::OpenRecordset(court, groups, cleanup.duplicate_query);
  while (groups.RecordCount() > 0) {
    const std::string one_row = std::string(cleanup.table) + std::string(cleanup.one_row) + GroupPredicate(groups) + ")";
    provisioning::ArchiveRows(run, court, cleanup.table, "duplicate", "select * from " + one_row);
    court.Execute("delete from " + one_row);
    groups.Close();
    access::OpenRecordset(court, groups, cleanup.duplicate_query);
  }
  groups.Close();
}

}  // namespace

void RecreateViews(access::Connection& court) {
  for (std::string_view statement : kViewStatements) court.Execute(statement);
}

void RemoveDuplicates(provisioning::RunState& run, access::Connection& court) {
  for (const DuplicateCleanup& cleanup : kCleanups) RemoveDuplicatesOf(run, court, cleanup);
}

}  // namespace court::installation
