// Where each column of a table sits in a Jet 4 row, and the row itself:
//   u16 column count | fixed area | variable data |
//   [u16 end of data | u16 offsets, last column first | u16 count] | null bitmap
// The variable trailer is there only when the table has variable columns.
// A yes/no column takes no space: its value is its bit in the null bitmap.

#ifndef COURT_PLATFORM_JET_ROW_FORMAT_H_
#define COURT_PLATFORM_JET_ROW_FORMAT_H_

#include <vector>

#include "platform/jet/page.h"
#include "platform/jet/table.h"

namespace court::jet {

// Bytes a value of a fixed-length type takes; 0 for variable-length types.
int FixedSize(ColumnType type);
bool IsVariable(ColumnType type);

struct ColumnSlot {
  ColumnType type;
  std::uint32_t fixed_offset = 0;  // within the fixed area, for fixed-length types
  std::uint32_t variable_index = 0;  // among the variable columns, for variable types
};

class RowLayout {
 public:
  explicit RowLayout(const std::vector<Column>& columns);

  const std::vector<ColumnSlot>& slots() const { return slots_; }
  std::uint32_t fixed_size() const { return fixed_size_; }
  std::uint32_t variable_count() const { return variable_count_; }

 private:
  std::vector<ColumnSlot> slots_;
  std::uint32_t fixed_size_ = 0;
  std::uint32_t variable_count_ = 0;
};

// One column's part of a row: whether its bit is set (value present, or a
// yes/no value that is true) and its stored bytes.
struct Cell {
  bool present = false;
  ByteString bytes;
};

ByteString EncodeRow(const RowLayout& layout, const std::vector<Cell>& cells);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_ROW_FORMAT_H_
