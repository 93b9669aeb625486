// A page of rows (page type 01) while it is being filled: rows are packed
// from the end of the page downwards, their offsets listed from byte 14.
// Table data, long values ("LVAL" pages) and usage maps all live on such pages.

#ifndef COURT_PLATFORM_JET_DATA_PAGE_H_
#define COURT_PLATFORM_JET_DATA_PAGE_H_

#include <cstdint>

#include "platform/jet/page.h"

namespace court::jet {

// The owner field of a page of long values.
inline constexpr std::uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

// Rows per page stay below 256 so that a row index fits its address byte.
inline constexpr std::uint32_t kMaxRowsPerPage = 255;

// The largest row a page can hold.
inline constexpr std::size_t kMaxRowSize = kPageSize - 14 - 2;

class DataPage {
 public:
  explicit DataPage(std::uint32_t owner);

  bool Fits(std::size_t row_size) const;
  // Adds a row that fits; returns its index on the page.
  std::uint32_t Add(const ByteString& row);
  std::uint32_t row_count() const { return row_count_; }
  const Page& bytes() const { return page_; }

 private:
  std::uint32_t FreeSpace() const;

  Page page_{};
  std::uint32_t row_count_ = 0;
  std::uint32_t row_start_ = kPageSize;  // where the last row added begins
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_DATA_PAGE_H_
