// bench_schema_sync [TABLES]
//
// Times the court table sync of a TABLES-table (default 300), 20-column
// catalogue: once into an empty database, then once more when there is
// nothing left to change. The repeat is what every upgrade pays for every
// table, so it must stay well under two seconds. Then the same for twice
// the tables, and the ratio of the two: twice the tables should cost about
// twice the time. Times are processor seconds.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/count_argument.h"
#include "bench/cpu_time.h"
#include "schema/sync.h"
#include "tests/support/catalogue_json.h"
#include "tests/support/installation.h"

namespace {

using court::testing::CatalogueTable;
using court::testing::Column;
using court::testing::IdentityColumn;

constexpr int kColumnsPerTable = 20;

// Columns of the kinds a court table carries, defaults included.
court::testing::ColumnRow NthColumn(int n) {
  std::string name = "列" + std::to_string(n);
  switch (n % 5) {
    case 0: return Column(name, "varchar", 167, 50, 1);
    case 1: return Column(name, "int", 56, 4, 1, "(0)");
    case 2: return Column(name, "datetime", 61, 8, 1, "(getdate())");
    case 3: return Column(name, "money", 60, 8, 1);
    default: return Column(name, "ntext", 99, 16, 1);
  }
}

std::vector<CatalogueTable> LargeCatalogue(int count) {
  std::vector<CatalogueTable> tables;
  for (int t = 0; t < count; ++t) {
    // Named so that no table is called like another one's key ("<name>1").
    CatalogueTable table{"案卷" + std::to_string(t) + "号", {IdentityColumn("序号", "int", 56, 4)}};
    for (int c = 1; c < kColumnsPerTable; ++c) table.columns.push_back(NthColumn(c));
    tables.push_back(std::move(table));
  }
  return tables;
}

// What one sync asked of the two data sources, from the run's transcript.
std::string Load(court::testing::Installation& installation) {
  int queries = 0, statements = 0;
  for (const court::testing::Sent& sent : installation.Transcript()) ++(sent.kind == "query" ? queries : statements);
  installation.ClearTranscript();
  return std::to_string(queries) + " queries, " + std::to_string(statements) + " statements";
}

double Seconds(const std::function<void()>& work) {
  const double start = court::bench::CpuSeconds();
  work();
  return court::bench::CpuSeconds() - start;
}

// Both syncs of a count-table catalogue; returns their seconds together.
double SyncTwice(int count) {
  court::testing::Installation installation(court::testing::Catalogue(LargeCatalogue(count)));
  installation.CreateDatabase("法院");
  installation.ClearTranscript();
  double first = Seconds([&] { court::schema::SyncCourtTables(installation.run()); });
  std::string first_load = Load(installation);
  double repeat = Seconds([&] { court::schema::SyncCourtTables(installation.run()); });
  std::string repeat_load = Load(installation);
  std::printf("%d tables x %d columns into an empty database: %.2f s CPU (%s)\n", count, kColumnsPerTable, first,
              first_load.c_str());
  std::printf("the same catalogue again, nothing to change:   %.2f s CPU (%s; target < 2 s)\n", repeat,
              repeat_load.c_str());
  return first + repeat;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = court::bench::OptionalCount(argc, argv, 300, "bench_schema_sync [TABLES]");
  const double single = SyncTwice(count);
  const double twice = SyncTwice(2 * count);
  std::printf("twice the tables cost %.2fx (target <= 2.2x)\n", twice / single);
  return 0;
}
