// One 4096-byte page of a Jet 4 file and little-endian stores into it.

#ifndef COURT_PLATFORM_JET_PAGE_H_
#define COURT_PLATFORM_JET_PAGE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace court::jet {

inline constexpr std::size_t kPageSize = 4096;

using Page = std::array<std::uint8_t, kPageSize>;
using ByteString = std::vector<std::uint8_t>;

// A row's address: page number in the upper 24 bits, row index in the low 8.
inline std::uint32_t PageRow(std::uint32_t page, std::uint32_t row) { return (page << 8) | row; }

template <typename Buffer>
void PutU16(Buffer& buffer, std::size_t offset, std::uint32_t value) {
  buffer[offset] = static_cast<std::uint8_t>(value);
  buffer[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

template <typename Buffer>
void PutU32(Buffer& buffer, std::size_t offset, std::uint32_t value) {
  PutU16(buffer, offset, value & 0xffff);
  PutU16(buffer, offset + 2, value >> 16);
}

inline void AppendU16(ByteString& bytes, std::uint32_t value) {
  bytes.resize(bytes.size() + 2);
  PutU16(bytes, bytes.size() - 2, value);
}

inline void AppendU32(ByteString& bytes, std::uint32_t value) {
  bytes.resize(bytes.size() + 4);
  PutU32(bytes, bytes.size() - 4, value);
}

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_PAGE_H_
