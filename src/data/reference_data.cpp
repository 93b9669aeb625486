#include "data/reference_data.h"

#include "data/quoted_value.h"
#include "data/runtime_library_files.h"
#include "data/seed_rows.h"
#include "data/system_documents.h"
#include "data/table_copy.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"

namespace court::data {
namespace {

constexpr const char* kCommonData = "常用数据";

// Lists of 常用数据 that each release ships whole, overwriting the court's edits.
void ReplaceCategory(provisioning::RunState& run, const std::string& category) {
  CopyCatalogueTable(run, kCommonData, " where 名称= '" + category + "'", "no");
}

// Lists of 常用数据 that a court adapts: shipped only to a court without them.
void AddCategoryIfAbsent(provisioning::RunState& run, const std::string& category) {
  CopyCategoryIfAbsent(run, kCommonData, "名称", category, "no");
}

}  // namespace

void CopyCategoryIfAbsent(provisioning::RunState& run, const std::string& table, const std::string& column,
                          const std::string& value, const std::string& key_column) {
  access::Connection court(run.sources);
  provisioning::OpenCourtConnection(run, court);
  std::string quoted = QuotedValue(access::RightTrim(value));
  access::Recordset existing;
  access::OpenRecordset(court, existing,
                              "SELECT top 10 " + column + " FROM " + table + " WHERE (" + column + " = " + quoted + ")");
  if (existing.RecordCount() < 1)
    CopyCatalogueTable(run, table, " where " + column + "= " + quoted + " ", key_column);
  existing.Close();
  court.Close();
}

void RefreshReferenceData(provisioning::RunState& run) {
  access::Connection catalogue(run.sources);
  access::Connection court(run.sources);
  provisioning::OpenCatalogueConnection(run, catalogue);
  provisioning::OpenCourtConnection(run, court);

  ReplaceCategory(run, "案件性质");
  AddCategoryIfAbsent(run, "案款项目");
  AddCategoryIfAbsent(run, "再执行依据分类");
  AddCategoryIfAbsent(run, "归档方式");
  AddCategoryIfAbsent(run, "送达备注");
  AddCategoryIfAbsent(run, "信息功能");
  ReplaceCategory(run, "保管期限");
  ReplaceCategory(run, "字段名");

  CopyCatalogueTable(run, "案由", "", "案由编号");
  CopyCatalogueTable(run, "法律条文", "", "id");
  CopyCatalogueTable(run, "日历", "", "id");

  ReplaceSystemDocuments(run, court, catalogue, {"文书样本库", "id", "来源"});
  ReplaceSystemDocuments(run, court, catalogue, {"文书资料", "ws_id", "所有人"});

  // New libraries get new ids from the court; their files are linked by name next.
  CopyCatalogueTable(run, "运行库", "", "id");
  CopyRuntimeLibraryFiles(run, court, catalogue);

  SeedCaseNumberPrefixes(court);
  SeedCourtDivisions(court);

  court.Close();
  catalogue.Close();
}

}  // namespace court::data
