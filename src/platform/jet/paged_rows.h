// Rows of one owner (a table, the long values, the usage maps) added to
// pages of the file as they come: a page is written when the next row no
// longer fits on it.

#ifndef COURT_PLATFORM_JET_PAGED_ROWS_H_
#define COURT_PLATFORM_JET_PAGED_ROWS_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/jet/data_page.h"
#include "platform/jet/page_file.h"

namespace court::jet {

class PagedRows {
 public:
  PagedRows(PageFile& file, std::uint32_t owner) : file_(file), owner_(owner) {}

  // Places a row of at most kMaxRowSize bytes; returns its address.
  std::uint32_t Add(const ByteString& row);
  // Writes the page still being filled.
  void Flush();
  // The pages used so far, in order.
  const std::vector<std::uint32_t>& pages() const { return pages_; }

 private:
  PageFile& file_;
  std::uint32_t owner_;
  std::optional<DataPage> open_;
  std::vector<std::uint32_t> pages_;
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_PAGED_ROWS_H_
