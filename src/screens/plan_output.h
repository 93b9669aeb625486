// A plan as the administrator reads it (text) and as programs read it
// (JSON). Both carry the same content in the same order.
//
// The JSON document, one object:
//   {"outcome": "升级程序完成。",
//    "databases": [{"name": "法院", "data_file": "D:\\法院_SQL数据\\法院_Data.MDF"}],
//    "tables": [{"database": "法院", "table": "案件"}],
//    "columns": [{"database", "table", "column", "change": "add|alter|default",
//                 "before": "varchar(50) null" (alter only), "after": "[varchar] (100 ) ..."}],
//    "reference_data": [{"table": "常用数据", "deleted": 12, "inserted": 15}],
//    "release": 2 (null when no upgrade is due),
//    "views": ["计算交接", "最后次交接"],
//    "duplicates": [{"table": "常用数据", "rows": 3}],
//    "constraints": {"dropped": [{"table", "name"}],
//                    "added": [{"table", "name", "condition", "rows_deleted"}]},
//    "login": {"name": "vek", "server_roles": ["serveradmin", ...]} (null when not sent),
//    "grants": [{"database": "法院", "objects": 120}]}

#ifndef COURT_SCREENS_PLAN_OUTPUT_H_
#define COURT_SCREENS_PLAN_OUTPUT_H_

#include <string>

#include "screens/plan.h"

namespace court::screens {

// Lines ending in a line feed: a heading per part with its count, its items
// indented below, "(none)" for an empty part.
std::string PlanText(const Plan& plan);

// The document above, on one line, ending in a line feed.
std::string PlanJson(const Plan& plan);

}  // namespace court::screens

#endif  // COURT_SCREENS_PLAN_OUTPUT_H_
