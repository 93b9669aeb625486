#include "provisioning/row_archive.h"

namespace court::provisioning {

void ArchiveRows(RunState& run, access::Connection& connection, std::string_view table, std::string_view reason,
                 const std::string& select) {
  if (!run.archive.keeps()) return;
  const access::ResultSet rows = connection.Query(select, kArchiveKind);
  run.archive.Keep(connection.target(), table, reason, rows);
  if (!rows.rows.empty()) run.progress.Archived(static_cast<long long>(rows.rows.size()), run.archive.path().string());
}

}  // namespace court::provisioning
