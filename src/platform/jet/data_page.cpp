#include "platform/jet/data_page.h"

#include <algorithm>

namespace court::jet {
namespace {
constexpr std::uint32_t kOffsetTable = 14;
}

DataPage::DataPage(std::uint32_t owner) {
  page_[0] = 0x01;
  page_[1] = 0x01;
  PutU32(page_, 4, owner);
  PutU16(page_, 2, FreeSpace());
}

std::uint32_t DataPage::FreeSpace() const { return row_start_ - kOffsetTable - 2 * row_count_; }

bool DataPage::Fits(std::size_t row_size) const {
  return row_count_ < kMaxRowsPerPage && row_size + 2 <= FreeSpace();
}

std::uint32_t DataPage::Add(const ByteString& row) {
  row_start_ -= static_cast<std::uint32_t>(row.size());
  std::copy(row.begin(), row.end(), page_.begin() + row_start_);
  PutU16(page_, kOffsetTable + 2 * row_count_, row_start_);
  ++row_count_;
  PutU16(page_, 12, row_count_);
  PutU16(page_, 2, FreeSpace());
  return row_count_ - 1;
}

}  // namespace court::jet
