// The table definition (TDEF) of a Jet 4 table: header, one 25-byte
// descriptor per column, the column names, and the end marker. No indexes.
// A definition longer than a page continues on further pages, each with
// its own 8-byte header.

#ifndef COURT_PLATFORM_JET_TABLE_DEFINITION_H_
#define COURT_PLATFORM_JET_TABLE_DEFINITION_H_

#include <cstdint>
#include <vector>

#include "platform/jet/page.h"
#include "platform/jet/row_format.h"
#include "platform/jet/table.h"

namespace court::jet {

struct DefinitionFacts {
  std::uint32_t row_count = 0;
  std::uint32_t usage_map = 0;  // address of the row holding the owned-pages map
  bool system = false;          // a system table (MSysObjects)
};

ByteString TableDefinition(const std::vector<Column>& columns, const RowLayout& layout,
                           const DefinitionFacts& facts);

// How many pages a definition of that many bytes takes.
std::uint32_t DefinitionPageCount(std::size_t definition_size);

// The definition laid out on its pages; `pages` holds their numbers.
std::vector<Page> DefinitionPages(const ByteString& definition,
                                  const std::vector<std::uint32_t>& pages);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TABLE_DEFINITION_H_
