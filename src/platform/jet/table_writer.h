// Writes one table into a Jet 4 file being built: first its long values
// (so that its data pages follow each other and one usage-map row covers
// them), then its rows, its usage map, and last its definition, which
// records the row count and where the map is.

#ifndef COURT_PLATFORM_JET_TABLE_WRITER_H_
#define COURT_PLATFORM_JET_TABLE_WRITER_H_

#include <cstdint>
#include <optional>

#include "platform/jet/page_file.h"
#include "platform/jet/paged_rows.h"
#include "platform/jet/table.h"

namespace court::jet {

struct TablePlacement {
  // The definition's first page when it must sit at a fixed place
  // (MSysObjects on page 2); otherwise one is allocated.
  std::optional<std::uint32_t> definition_page;
  bool system = false;
};

// Returns the page number of the table's definition. `usage_maps` collects
// the map rows of all tables. Values must already have been checked.
std::uint32_t WriteTable(PageFile& file, PagedRows& usage_maps, const Table& table,
                         const TablePlacement& placement);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TABLE_WRITER_H_
