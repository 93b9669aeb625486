#include "platform/jet/page_file.h"

#include <stdexcept>

namespace court::jet {

PageFile::PageFile(const std::filesystem::path& path)
    : path_(path), out_(path, std::ios::binary | std::ios::trunc) {
  if (!out_) throw std::runtime_error("cannot create '" + path.string() + "'");
}

std::uint32_t PageFile::Allocate(std::uint32_t count) {
  // Row addresses keep the page number in 24 bits.
  if (page_count_ + count >= (1u << 24)) throw std::runtime_error("the database would exceed Jet's size");
  std::uint32_t first = page_count_;
  page_count_ += count;
  return first;
}

void PageFile::Write(std::uint32_t page_number, const Page& page) {
  out_.seekp(static_cast<std::streamoff>(page_number) * kPageSize);
  out_.write(reinterpret_cast<const char*>(page.data()), kPageSize);
  if (!out_) throw std::runtime_error("cannot write '" + path_.string() + "'");
}

void PageFile::Close() {
  out_.close();
  if (!out_) throw std::runtime_error("cannot write '" + path_.string() + "'");
}

}  // namespace court::jet
