#include "bench/install_run_release.h"

#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/access/base64.h"
#include "platform/jet/database_writer.h"
#include "platform/jet/json_form.h"
#include "tests/support/release_catalogue.h"

namespace court::bench {
namespace {

using nlohmann::ordered_json;

// Rows are built in the JSON form and converted a batch at a time, so a
// large release is held once, as the tables the writer takes.
constexpr std::size_t kBatch = 5000;

class ReleaseTables {
 public:
  ReleaseTables() {
    std::ifstream in(std::filesystem::path(COURT_SOURCE_DIR) / "catalogue" / "release1.json");
    tables_ = jet::TablesFromJson(jet::ParseJsonForm(in, "release1.json"));
  }

  // Adds a row given in the JSON form to the named table.
  void Add(const std::string& table, ordered_json row) {
    ordered_json& batch = pending_[table];
    batch.push_back(std::move(row));
    if (batch.size() >= kBatch) Convert(table);
  }

  std::size_t Count(const std::string& table) { return Find(table).rows.size(); }

  void SetRows(const std::string& table, ordered_json rows) {
    Find(table).rows.clear();
    for (ordered_json& row : rows) Add(table, std::move(row));
  }

  // The tables with every row added.
  const std::vector<jet::Table>& Finish() {
    while (!pending_.empty()) Convert(pending_.begin()->first);
    return tables_;
  }

 private:
  jet::Table& Find(const std::string& name) {
    for (jet::Table& table : tables_)
      if (table.name == name) return table;
    throw std::runtime_error("release1.json has no table " + name);
  }

  void Convert(const std::string& name) {
    jet::Table& table = Find(name);
    ordered_json form = jet::TablesToJson({jet::Table{table.name, table.columns, {}}});
    form["tables"][0]["rows"] = std::move(pending_.at(name));
    pending_.erase(name);
    std::vector<jet::Table> converted = jet::TablesFromJson(std::move(form));
    for (access::Row& row : converted[0].rows) table.rows.push_back(std::move(row));
  }

  std::vector<jet::Table> tables_;
  std::map<std::string, ordered_json> pending_;
};

// One synthetic court table's catalogue columns: an identity key, then a mix
// of the types a court table holds; release 2 adds one more.
void AddTable(ReleaseTables& release, const ReleaseSize& size, int id, const std::string& name,
              int release_number) {
  release.Add("表名", {id, name});
  release.Add("字段", {id, "id", "int", 56, 4, 0, nullptr, true});
  const ordered_json kinds[] = {{"varchar", 167, 50, nullptr}, {"int", 56, 4, "(0)"},
                                {"datetime", 61, 8, nullptr},  {"money", 60, 8, nullptr},
                                {"text", 35, 16, nullptr},     {"bit", 104, 1, nullptr}};
  for (int c = 1; c < size.columns; ++c) {
    const ordered_json& kind = kinds[c % 6];
    release.Add("字段", {id, "列" + std::to_string(c), kind[0], kind[1], kind[2], 1, kind[3], false});
  }
  if (release_number > 1) release.Add("字段", {id, "新列", "varchar", 167, 20, 1, nullptr, false});
}

std::string Blob(const ReleaseSize& size, int seed) {
  return access::EncodeBase64(testing::Pattern(size.blob_bytes, static_cast<unsigned>(seed)));
}

}  // namespace

std::string ReleaseSize::Describe() const {
  return std::to_string(tables) + " tables x " + std::to_string(columns) + " columns, " +
         std::to_string(reference_rows()) + " reference rows, " + std::to_string(blobs) + " blobs of " +
         std::to_string(blob_bytes / 1024) + " KiB";
}

ReleaseSize SizeAtScale(int scale) {
  return {300 * scale, 20, 50000 * scale, 30000 * scale, 19000 * scale, 1000 * scale, 64 * 1024};
}

void WriteRelease(const ReleaseSize& size, int release_number, const std::filesystem::path& mdb) {
  ReleaseTables release;
  // The sample's own tables keep their numbers; named so that no table is
  // called like another one's primary key (its name + "1").
  const int listed = static_cast<int>(release.Count("表名"));
  for (int id = listed + 1; id <= size.tables; ++id)
    AddTable(release, size, id, "档案" + std::to_string(id) + "号", release_number);
  release.SetRows("升级版本", {{release_number}});
  for (int i = 1; i <= size.causes_of_action; ++i)
    release.Add("案由", {1000 + i, "案由" + std::to_string(i), "民事", "合同纠纷", nullptr, nullptr, nullptr});
  for (int i = 1; i <= size.provisions; ++i)
    release.Add("法律条文", {1000 + i, "法律" + std::to_string(i % 50), "第" + std::to_string(i) + "条", "条文内容",
                         "2020-01-01 00:00:00"});
  for (int i = 1; i <= size.list_rows; ++i)
    release.Add("常用数据",
                {1000 + i, i % 2 ? "案件性质" : "字段名", "内容" + std::to_string(i), nullptr, nullptr, nullptr, i});
  for (int i = 1; i <= size.blobs / 2; ++i) {
    release.Add("文书样本库", {1000 + i, "样本" + std::to_string(i), "通用", "(系统文书)", Blob(size, i),
                          "2026-01-05 09:00:00"});
    release.Add("运行库文件", {1000 + i, 1, "file" + std::to_string(i) + ".dll", nullptr, Blob(size, i + size.blobs)});
  }
  jet::WriteDatabase(release.Finish(), mdb);
}

}  // namespace court::bench
