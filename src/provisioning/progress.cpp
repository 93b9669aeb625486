#include "provisioning/progress.h"

#include <cstdio>

namespace court::provisioning {

void Progress::Table(const std::string& table, long k, long n, TableChange change) {
  static constexpr const char* kDone[] = {" (created)", " (altered)", ""};
  if (change == TableChange::kCreated) ++figures_.tables_created;
  if (change == TableChange::kAltered) ++figures_.tables_altered;
  Show("  table " + std::to_string(k) + " of " + std::to_string(n) + ": " + table +
       kDone[static_cast<int>(change)]);
}

void Progress::Copied(const std::string& table, long long rows) {
  figures_.rows_copied += rows;
  Show("  " + table + ": " + std::to_string(rows) + " rows copied");
}

void Progress::Archived(long long rows, const std::string& file) {
  figures_.rows_archived += rows;
  Show("  " + std::to_string(rows) + " rows archived in " + file);
}

std::string Progress::Summary(double seconds) const {
  char time[32];
  std::snprintf(time, sizeof time, "%.1f", seconds);
  return std::string("done in ") + time + " s: " + std::to_string(figures_.tables_created) + " tables created, " +
         std::to_string(figures_.tables_altered) + " altered, " + std::to_string(figures_.rows_copied) +
         " rows copied, " + std::to_string(figures_.rows_archived) + " rows archived";
}

}  // namespace court::provisioning
