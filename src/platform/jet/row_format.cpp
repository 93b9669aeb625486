#include "platform/jet/row_format.h"

#include <algorithm>

namespace court::jet {

int FixedSize(ColumnType type) {
  switch (type) {
    case ColumnType::kByte: return 1;
    case ColumnType::kInteger: return 2;
    case ColumnType::kLong:
    case ColumnType::kSingle: return 4;
    case ColumnType::kCurrency:
    case ColumnType::kDouble:
    case ColumnType::kDateTime: return 8;
    default: return 0;
  }
}

bool IsVariable(ColumnType type) {
  return type == ColumnType::kText || type == ColumnType::kMemo || type == ColumnType::kOle;
}

RowLayout::RowLayout(const std::vector<Column>& columns) {
  for (const Column& column : columns) {
    ColumnSlot slot{column.type};
    if (IsVariable(column.type)) {
      slot.variable_index = variable_count_++;
    } else {
      slot.fixed_offset = fixed_size_;
      fixed_size_ += static_cast<std::uint32_t>(FixedSize(column.type));
    }
    slots_.push_back(slot);
  }
}

ByteString EncodeRow(const RowLayout& layout, const std::vector<Cell>& cells) {
  const auto& slots = layout.slots();
  ByteString row;
  AppendU16(row, static_cast<std::uint32_t>(slots.size()));
  row.resize(2 + layout.fixed_size());
  std::vector<std::uint32_t> variable_offsets(layout.variable_count());
  std::vector<std::uint8_t> bitmap((slots.size() + 7) / 8);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const Cell& cell = cells[i];
    if (cell.present) bitmap[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    if (IsVariable(slots[i].type)) {
      variable_offsets[slots[i].variable_index] = static_cast<std::uint32_t>(row.size());
      if (cell.present) row.insert(row.end(), cell.bytes.begin(), cell.bytes.end());
    } else if (cell.present) {
      std::copy(cell.bytes.begin(), cell.bytes.end(), row.begin() + 2 + slots[i].fixed_offset);
    }
  }
  if (layout.variable_count() > 0) {
    AppendU16(row, static_cast<std::uint32_t>(row.size()));  // end of the variable data
    for (auto offset = variable_offsets.rbegin(); offset != variable_offsets.rend(); ++offset)
      AppendU16(row, *offset);
    AppendU16(row, layout.variable_count());
  }
  row.insert(row.end(), bitmap.begin(), bitmap.end());
  return row;
}

}  // namespace court::jet
