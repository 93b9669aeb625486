#include "platform/tds/code_page.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "platform/text/utf8.h"

namespace court::tds {

namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Converts all of in; an unconvertible sequence is replaced by `replacement`
// and skipped by `skip` bytes (1 for a byte, a whole UTF-8 character for text).
std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement, bool utf8_input) {
  std::string out;
  out.reserve(in.size() * 3 / 2 + 8);
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char buffer[4096];
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (left > 0) {
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    std::size_t rc = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    out += replacement;
    std::size_t skip = 1;
    if (utf8_input) {
      while (skip < left && text::IsContinuation(src[skip])) ++skip;
    }
    src += skip;
    left -= skip;
  }
  return out;
}

}  // namespace

CodePage::CodePage(const char* name)
    : to_page_(iconv_open(name, "UTF-8")), from_page_(iconv_open("UTF-8", name)) {
  if (to_page_ == reinterpret_cast<iconv_t>(-1) || from_page_ == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("code page ") + name + " is not available");
}

CodePage::~CodePage() {
  iconv_close(to_page_);
  iconv_close(from_page_);
}

std::string CodePage::Encode(std::string_view utf8) const {
  if (IsAscii(utf8)) return std::string(utf8);
  return Convert(to_page_, utf8, "?", true);
}

std::string CodePage::Decode(std::string_view bytes) const {
  if (IsAscii(bytes)) return std::string(bytes);
  return Convert(from_page_, bytes, "\xEF\xBF\xBD", false);
}

}  // namespace court::tds
