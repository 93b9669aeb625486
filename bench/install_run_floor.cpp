#include "bench/cpu_time.h"
#include "bench/install_run_floor.h"

#include <chrono>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/jet/mdb_file.h"
#include "platform/jet/stored_value.h"
#include "platform/jet/table.h"
#include "platform/sqlite/database.h"
#include "platform/sqlite/statement.h"

namespace court::bench {
namespace {

namespace fs = std::filesystem;

Cost Measure(const std::function<void()>& work) {
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds() - cpu};
}

void FailRaw(const sqlite::Failure& failure) {
  throw std::runtime_error("raw SQLite: " + failure.message + " (" + (failure.opening ? "open" : failure.subject) +
                           ")");
}

class RawDb {
 public:
  explicit RawDb(const fs::path& file) : db_(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, FailRaw) {
    Execute("PRAGMA journal_mode=WAL");
    Execute("PRAGMA synchronous=NORMAL");
  }

  void Execute(const std::string& sql) { db_.Exec(sql); }

  // Inserts each row `rows` hands on; each insert commits unless a transaction is open.
  void Insert(const jet::Table& table, const std::function<void(const std::function<void(access::Row&&)>&)>& rows) {
    std::string sql = "INSERT INTO [" + table.name + "] VALUES (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) sql += i == 0 ? "?" : ", ?";
    sqlite::Statement insert(db_, sql + ")");
    rows([&](access::Row&& row) {
      for (std::size_t i = 0; i < row.size(); ++i) jet::BindValue(insert, static_cast<int>(i) + 1, row[i]);
      insert.Step();
      insert.Reset();
    });
  }

 private:
  sqlite::Database db_;
};

// The court tables 表名 and 字段 describe that the catalogue does not hold itself.
void CreateCourtTables(const jet::MdbFile& file, RawDb& db) {
  const std::vector<std::string> held = file.TableNames();
  const std::set<std::string> catalogue(held.begin(), held.end());
  const jet::Table names = file.ReadTable("表名");
  const jet::Table fields = file.ReadTable("字段");
  for (const access::Row& table : names.rows) {
    if (table[1].is_null() || catalogue.count(table[1].text())) continue;
    std::string columns;
    for (const access::Row& field : fields.rows)
      if (field[0] == table[0] && !field[1].is_null())
        columns += (columns.empty() ? "[" : ", [") + field[1].text() + "] " + field[2].text();
    if (!columns.empty()) db.Execute("CREATE TABLE [" + table[1].text() + "] (" + columns + ")");
  }
}

void CopyCatalogue(const fs::path& mdb, const fs::path& target, bool one_transaction) {
  const jet::MdbFile file(mdb);
  RawDb db(target);
  if (one_transaction) db.Execute("BEGIN");
  CreateCourtTables(file, db);
  for (const std::string& name : file.TableNames()) {
    const jet::Table table = file.Definition(name);
    if (table.columns.empty()) continue;
    std::string columns;
    for (const jet::Column& column : table.columns)
      columns += (columns.empty() ? "[" : ", [") + column.name + "] " + std::string(jet::TypeName(column.type));
    db.Execute("CREATE TABLE [" + name + "] (" + columns + ")");
    db.Insert(table, [&](const auto& each) { file.ReadRows(name, each); });
  }
  if (one_transaction) db.Execute("COMMIT");
}

}  // namespace

Floor MeasureFloor(const fs::path& mdb, const fs::path& folder) {
  fs::create_directories(folder);
  Floor floor;
  floor.per_row = Measure([&] { CopyCatalogue(mdb, folder / "per-row.sqlite", false); });
  floor.one_transaction = Measure([&] { CopyCatalogue(mdb, folder / "one-transaction.sqlite", true); });
  fs::remove_all(folder);
  return floor;
}

}  // namespace court::bench
