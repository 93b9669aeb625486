#include "platform/jet/table_definition.h"

#include <algorithm>

#include "platform/jet/value_bytes.h"

namespace court::jet {
namespace {

constexpr std::size_t kHeaderSize = 63;
constexpr std::size_t kDescriptorSize = 25;
constexpr std::size_t kContinuationHeader = 8;
constexpr std::uint32_t kAccessConstant = 1625;  // found in every Access-written definition

std::uint8_t TypeCode(ColumnType type) {
  switch (type) {
    case ColumnType::kBoolean: return 0x01;
    case ColumnType::kByte: return 0x02;
    case ColumnType::kInteger: return 0x03;
    case ColumnType::kLong: return 0x04;
    case ColumnType::kCurrency: return 0x05;
    case ColumnType::kSingle: return 0x06;
    case ColumnType::kDouble: return 0x07;
    case ColumnType::kDateTime: return 0x08;
    case ColumnType::kText: return 0x0A;
    case ColumnType::kOle: return 0x0B;
    case ColumnType::kMemo: return 0x0C;
  }
  return 0;
}

ByteString Descriptor(const Column& column, const ColumnSlot& slot, std::uint32_t number) {
  ByteString d(kDescriptorSize);
  d[0] = TypeCode(column.type);
  PutU32(d, 1, kAccessConstant);
  PutU16(d, 5, number);
  PutU16(d, 7, slot.variable_index);
  PutU16(d, 9, number);
  if (column.type == ColumnType::kText || column.type == ColumnType::kMemo)
    PutU16(d, 11, 0x0409);  // General sort order
  d[15] = IsVariable(column.type) ? 0x02 : 0x03;  // 0x01 fixed length, 0x02 updatable
  PutU16(d, 21, slot.fixed_offset);
  const int bytes = column.type == ColumnType::kText      ? 2 * column.size
                  : column.type == ColumnType::kBoolean ? 1
                                                        : FixedSize(column.type);
  const auto length = static_cast<std::uint32_t>(bytes);
  PutU16(d, 23, length);
  return d;
}

}  // namespace

ByteString TableDefinition(const std::vector<Column>& columns, const RowLayout& layout,
                           const DefinitionFacts& facts) {
  const auto count = static_cast<std::uint32_t>(columns.size());
  ByteString def(kHeaderSize);
  def[0] = 0x02;
  def[1] = 0x01;
  PutU32(def, 12, kAccessConstant);
  PutU32(def, 16, facts.row_count);
  def[24] = 0x01;
  def[40] = facts.system ? 0x53 : 0x4E;
  PutU16(def, 41, count);
  PutU16(def, 43, layout.variable_count());
  PutU16(def, 45, count);
  PutU32(def, 55, facts.usage_map);
  PutU32(def, 59, facts.usage_map);  // the free-space map: nothing reads more than its address
  for (std::uint32_t i = 0; i < count; ++i) {
    ByteString d = Descriptor(columns[i], layout.slots()[i], i);
    def.insert(def.end(), d.begin(), d.end());
  }
  for (const Column& column : columns) {
    ByteString name = Ucs2Bytes(column.name);
    AppendU16(def, static_cast<std::uint32_t>(name.size()));
    def.insert(def.end(), name.begin(), name.end());
  }
  AppendU16(def, 0xFFFF);
  PutU32(def, 8, static_cast<std::uint32_t>(def.size()));
  return def;
}

std::uint32_t DefinitionPageCount(std::size_t definition_size) {
  if (definition_size <= kPageSize) return 1;
  const std::size_t rest = definition_size - kPageSize;
  const std::size_t per_page = kPageSize - kContinuationHeader;
  return static_cast<std::uint32_t>(1 + (rest + per_page - 1) / per_page);
}

std::vector<Page> DefinitionPages(const ByteString& definition,
                                  const std::vector<std::uint32_t>& pages) {
  std::vector<Page> out(pages.size());
  std::size_t taken = 0;
  for (std::size_t k = 0; k < pages.size(); ++k) {
    Page& page = out[k];
    // The first page holds the start of the stream, header included.
    const std::size_t header = k == 0 ? 0 : kContinuationHeader;
    const std::size_t size = std::min(kPageSize - header, definition.size() - taken);
    std::copy_n(definition.begin() + static_cast<std::ptrdiff_t>(taken), size, page.begin() + header);
    taken += size;
    page[0] = 0x02;
    page[1] = 0x01;
    const std::size_t used = std::min(size, kPageSize - kContinuationHeader);
    PutU16(page, 2, static_cast<std::uint32_t>(kPageSize - kContinuationHeader - used));  // free bytes, as Access counts them
    PutU32(page, 4, k + 1 < pages.size() ? pages[k + 1] : 0);
  }
  return out;
}

}  // namespace court::jet
