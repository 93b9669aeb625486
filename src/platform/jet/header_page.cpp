#include "platform/jet/header_page.h"

#include <cstring>
#include <utility>

namespace court::jet {
namespace {

constexpr std::size_t kObscuredStart = 0x18;
constexpr std::size_t kObscuredSize = 128;

// RC4 with the fixed key every Jet 4 reader uses for the header block.
void Rc4(std::uint8_t* data, std::size_t size) {
  static constexpr std::uint8_t kKey[] = {0xC7, 0xDA, 0x39, 0x6B};
  std::uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + kKey[static_cast<std::size_t>(i) % sizeof kKey]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  for (std::size_t n = 0, i = 0, j = 0; n < size; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    data[n] ^= s[(s[i] + s[j]) & 0xFF];
  }
}

}  // namespace

Page DatabaseHeaderPage() {
  Page page{};
  page[1] = 0x01;
  std::memcpy(&page[4], "Standard Jet DB", 16);
  page[0x14] = 0x01;  // Jet 4
  PutU16(page, 0x3C, 1252);    // code page (Jet 4 text is UCS-2 regardless)
  PutU32(page, 0x3E, 0);       // database key: pages are not encrypted
  PutU16(page, 0x6E, 0x0409);  // sort order: General
  Rc4(&page[kObscuredStart], kObscuredSize);
  return page;
}

}  // namespace court::jet
