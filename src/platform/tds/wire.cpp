#include "platform/tds/wire.h"

#include <cstring>

#include "platform/text/utf8.h"

namespace court::tds {

void Writer::U16(std::uint16_t v) {
  out_.push_back(static_cast<unsigned char>(v));
  out_.push_back(static_cast<unsigned char>(v >> 8));
}

void Writer::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void Writer::U64(std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void Writer::U16Be(std::uint16_t v) {
  out_.push_back(static_cast<unsigned char>(v >> 8));
  out_.push_back(static_cast<unsigned char>(v));
}

void Writer::U32Be(std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void Writer::Raw(const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  out_.insert(out_.end(), p, p + size);
}

std::size_t Writer::Utf16(std::string_view utf8) { return AppendUtf16(utf8, out_); }

void Writer::BVarChar(std::string_view utf8) {
  std::size_t at = out_.size();
  U8(0);
  std::size_t units = Utf16(utf8);
  if (units > 255) {  // names longer than a name may be are cut
    out_.resize(at + 1 + 255 * 2);
    units = 255;
  }
  out_[at] = static_cast<unsigned char>(units);
}

void Writer::UsVarChar(std::string_view utf8) {
  std::size_t at = out_.size();
  U16(0);
  std::size_t units = Utf16(utf8);
  if (units > 65535) throw ProtocolError("text longer than 65535 characters");
  PatchU16(at, static_cast<std::uint16_t>(units));
}

void Writer::PatchU16(std::size_t at, std::uint16_t v) {
  out_[at] = static_cast<unsigned char>(v);
  out_[at + 1] = static_cast<unsigned char>(v >> 8);
}

const unsigned char* Reader::Take(std::size_t n) {
  if (n > size_ - pos_) throw ProtocolError("message ends inside a field");
  const unsigned char* p = data_ + pos_;
  pos_ += n;
  return p;
}

std::uint8_t Reader::U8() { return *Take(1); }

std::uint16_t Reader::U16() {
  const unsigned char* p = Take(2);
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Reader::U32() {
  const unsigned char* p = Take(4);
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t Reader::U64() {
  std::uint64_t low = U32();
  return low | static_cast<std::uint64_t>(U32()) << 32;
}

std::uint16_t Reader::U16Be() {
  const unsigned char* p = Take(2);
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::string Reader::Text(std::size_t n) {
  const unsigned char* p = Take(n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

std::string Reader::Utf16(std::size_t units) {
  if (units > (size_ - pos_) / 2) throw ProtocolError("message ends inside a text");
  return Utf16ToUtf8(Take(units * 2), units * 2);
}

std::uint8_t Reader::PeekU8() const {
  if (pos_ >= size_) throw ProtocolError("message ends early");
  return data_[pos_];
}

void Reader::Seek(std::size_t pos) {
  if (pos > size_) throw ProtocolError("offset beyond the end of the message");
  pos_ = pos;
}

std::string Utf16ToUtf8(const unsigned char* data, std::size_t bytes) {
  std::u16string units(bytes / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  return text::FromUtf16(units);
}

std::size_t AppendUtf16(std::string_view utf8, Bytes& out) {
  const std::u16string units = text::ToUtf16(utf8);
  for (char16_t unit : units) {
    out.push_back(static_cast<unsigned char>(unit));
    out.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return units.size();
}

}  // namespace court::tds
