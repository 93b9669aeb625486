#include "data/seed_rows.h"

#include <array>
#include <string>

#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "provisioning/step_transaction.h"

namespace court::data {
namespace {

struct CaseNumberPrefix {
  const char* prefix;
  const char* case_class;
};

constexpr std::array<CaseNumberPrefix, 17> kCaseNumberPrefixes = {{
    {"民初", "民事"},     {"民重", "民事"},     {"民再", "民事再审"}, {"刑初", "刑事"},
    {"刑重", "刑事"},     {"少刑初", "刑事"},   {"刑自初", "刑事"},   {"民保", "特别程序"},
    {"民督", "特别程序"}, {"民特", "特别程序"}, {"民催", "特别程序"}, {"行初", "行政"},
    {"行赔初", "行政"},   {"行重", "行政"},     {"执", "执行"},       {"刑再", "刑事再审"},
    {"行再", "行政再审"},
}};

// In display order: the n-th name gets 排列 n.
constexpr std::array<const char*, 13> kCourtDivisions = {
    "院长室", "办公室", "政治处", "纪检监察室", "审判监督庭", "司法行政科", "刑庭",
    "少年庭", "行政庭", "民一庭", "民二庭", "法警队", "执行局",
};

// True when the count query finds nothing: no row at all, or a count of 0.
bool CountIsZero(access::Connection& court, const std::string& count_query) {
  access::Recordset count;
  access::OpenRecordset(court, count, count_query);
  bool zero = count.RecordCount() == 0 || access::Trimmed(count.Fields(0).value()) == "0";
  count.Close();
  return zero;
}

}  // namespace

// The check and the rows as one transaction: a seed stopped half-way would
// otherwise count as done and its missing rows never come.
void SeedCaseNumberPrefixes(access::Connection& court) {
  provisioning::InTransaction(court, [&] {
    if (!CountIsZero(court, "SELECT COUNT(*) AS Expr1 FROM 常用数据 GROUP BY 名称 HAVING (名称 = '字号')")) return;
    for (const CaseNumberPrefix& row : kCaseNumberPrefixes)
      court.Execute(std::string("insert into  常用数据 (名称, 内容1, 内容2, 内容3) values ( '字号', '") + row.prefix +
                    "' ,'" + row.case_class + "','院机关')");
  });
}

void SeedCourtDivisions(access::Connection& court) {
  provisioning::InTransaction(court, [&] {
    if (!CountIsZero(court, "SELECT COUNT(*) AS Expr1 FROM 法庭概况")) return;
    for (std::size_t i = 0; i < kCourtDivisions.size(); ++i)
      court.Execute(std::string("insert into 法庭概况(法庭名称, 排列) values ('") + kCourtDivisions[i] + "'," +
                    std::to_string(i + 1) + ")");
  });
}

}  // namespace court::data
