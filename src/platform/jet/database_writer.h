// Writes a complete Jet 4 database file from tables.
//
// Layout: page 0 the header, page 1 the (unused) global usage map, page 2
// the definition of MSysObjects, where every reader looks first; then each
// table in turn; the MSysObjects rows naming the tables come last. The file
// is written under a temporary name and renamed into place, so `path`
// never holds half a database.

#ifndef COURT_PLATFORM_JET_DATABASE_WRITER_H_
#define COURT_PLATFORM_JET_DATABASE_WRITER_H_

#include <filesystem>
#include <vector>

#include "platform/jet/table.h"

namespace court::jet {

// Throws std::invalid_argument naming table, column and row when the tables
// cannot be stored (see table_checks.h), std::runtime_error when the file
// cannot be written.
void WriteDatabase(const std::vector<Table>& tables, const std::filesystem::path& path);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_DATABASE_WRITER_H_
