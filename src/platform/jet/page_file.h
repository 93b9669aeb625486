// The file being written, page by page. Pages are numbered when they are
// allocated and may be filled in any order; a page is written once, when
// its content is final, so the writer never holds the whole file.

#ifndef COURT_PLATFORM_JET_PAGE_FILE_H_
#define COURT_PLATFORM_JET_PAGE_FILE_H_

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/jet/page.h"

namespace court::jet {

class PageFile {
 public:
  explicit PageFile(const std::filesystem::path& path);  // creates or truncates

  // Reserves `count` consecutive pages; returns the first one's number.
  std::uint32_t Allocate(std::uint32_t count = 1);
  void Write(std::uint32_t page_number, const Page& page);
  // Flushes the file; every allocated page must have been written.
  void Close();

 private:
  std::filesystem::path path_;
  std::ofstream out_;
  std::uint32_t page_count_ = 0;
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_PAGE_FILE_H_
