#include "platform/jet/table_writer.h"

#include <stdexcept>

#include "platform/jet/row_format.h"
#include "platform/jet/table_definition.h"
#include "platform/jet/value_bytes.h"

namespace court::jet {
namespace {

constexpr std::size_t kLongValueHeader = 12;
constexpr std::size_t kInlineLimit = 64;         // small values stay in the row, as Access does
constexpr std::size_t kSingleRowLimit = 4076;    // the largest long value kept in one row
constexpr std::size_t kChunkSize = 4072;         // data bytes per row of a chain
constexpr std::uint32_t kInline = 0x80000000;
constexpr std::uint32_t kSingleRow = 0x40000000;

ByteString LongValuePayload(ColumnType type, const access::Value& value) {
  if (type == ColumnType::kMemo) return Ucs2Bytes(value.text());
  return ByteString(value.binary().begin(), value.binary().end());
}

// The 12-byte header a memo or OLE value leaves in its row; the payload
// follows inline or goes to long-value pages.
ByteString LongValueCell(PagedRows& long_values, const ByteString& payload) {
  const auto length = static_cast<std::uint32_t>(payload.size());
  ByteString cell(kLongValueHeader);
  if (payload.size() <= kInlineLimit) {
    PutU32(cell, 0, length | kInline);
    cell.insert(cell.end(), payload.begin(), payload.end());
  } else if (payload.size() <= kSingleRowLimit) {
    PutU32(cell, 0, length | kSingleRow);
    PutU32(cell, 4, long_values.Add(payload));
  } else {
    // Each row of a chain starts with the next row's address, so the chain
    // is written from its end.
    std::uint32_t next = 0;
    const std::size_t chunks = (payload.size() + kChunkSize - 1) / kChunkSize;
    for (std::size_t k = chunks; k-- > 0;) {
      ByteString row;
      AppendU32(row, next);
      auto begin = payload.begin() + static_cast<std::ptrdiff_t>(k * kChunkSize);
      row.insert(row.end(), begin, begin + static_cast<std::ptrdiff_t>(std::min(kChunkSize, payload.size() - k * kChunkSize)));
      next = long_values.Add(row);
    }
    PutU32(cell, 0, length);
    PutU32(cell, 4, next);
  }
  return cell;
}

// Cells of memo and OLE columns of every row, with their payloads placed.
std::vector<std::vector<ByteString>> WriteLongValues(PageFile& file, const Table& table) {
  PagedRows long_values(file, kLongValueOwner);
  std::vector<std::vector<ByteString>> cells(table.rows.size());
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const ColumnType type = table.columns[c].type;
      if (type != ColumnType::kMemo && type != ColumnType::kOle) continue;
      const access::Value& value = table.rows[r][c];
      cells[r].push_back(value.is_null() ? ByteString()
                                         : LongValueCell(long_values, LongValuePayload(type, value)));
    }
  }
  long_values.Flush();
  return cells;
}

std::vector<Cell> RowCells(const Table& table, const access::Row& row,
                           const std::vector<ByteString>& long_cells) {
  std::vector<Cell> cells;
  std::size_t next_long = 0;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const ColumnType type = table.columns[c].type;
    const access::Value& value = row[c];
    Cell cell;
    if (type == ColumnType::kMemo || type == ColumnType::kOle) {
      cell.bytes = long_cells[next_long++];
      cell.present = !value.is_null();
    } else if (type == ColumnType::kBoolean) {
      cell.present = value.boolean();
    } else if (!value.is_null()) {
      cell.present = true;
      cell.bytes = type == ColumnType::kText ? Ucs2Bytes(value.text()) : FixedBytes(type, value);
    }
    cells.push_back(std::move(cell));
  }
  return cells;
}

// A type-0 usage map: its first page, then one bit per page from there on.
ByteString UsageMap(const std::vector<std::uint32_t>& pages, const std::string& table) {
  const std::uint32_t start = pages.empty() ? 0 : pages.front();
  const std::uint32_t span = pages.empty() ? 1 : pages.back() - start + 1;
  ByteString map(5 + (span + 7) / 8);
  PutU32(map, 1, start);
  for (std::uint32_t page : pages) map[5 + (page - start) / 8] |= 1u << ((page - start) % 8);
  if (map.size() > kMaxRowSize)
    throw std::invalid_argument("table '" + table + "': too many rows for one table");
  return map;
}

}  // namespace

std::uint32_t WriteTable(PageFile& file, PagedRows& usage_maps, const Table& table,
                         const TablePlacement& placement) {
  const RowLayout layout(table.columns);
  const std::uint32_t page_count = DefinitionPageCount(TableDefinition(table.columns, layout, {}).size());
  std::vector<std::uint32_t> definition_pages;
  if (placement.definition_page) definition_pages.push_back(*placement.definition_page);
  while (definition_pages.size() < page_count) definition_pages.push_back(file.Allocate());

  const auto long_cells = WriteLongValues(file, table);
  PagedRows data(file, definition_pages.front());
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    ByteString row = EncodeRow(layout, RowCells(table, table.rows[r], long_cells[r]));
    if (row.size() > kMaxRowSize)
      throw std::invalid_argument("table '" + table.name + "', row " + std::to_string(r + 1) +
                                  ": the row takes " + std::to_string(row.size()) +
                                  " bytes, more than a page holds (" + std::to_string(kMaxRowSize) + ")");
    data.Add(row);
  }
  data.Flush();

  DefinitionFacts facts;
  facts.row_count = static_cast<std::uint32_t>(table.rows.size());
  facts.usage_map = usage_maps.Add(UsageMap(data.pages(), table.name));
  facts.system = placement.system;
  const auto pages = DefinitionPages(TableDefinition(table.columns, layout, facts), definition_pages);
  for (std::size_t k = 0; k < pages.size(); ++k) file.Write(definition_pages[k], pages[k]);
  return definition_pages.front();
}

}  // namespace court::jet
