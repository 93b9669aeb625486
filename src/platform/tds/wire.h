// Reading and writing the little-endian fields of TDS messages.
//
// A Reader never reads past its end: a field that does not fit throws
// ProtocolError, which ends the client's connection and nothing else.

#ifndef COURT_PLATFORM_TDS_WIRE_H_
#define COURT_PLATFORM_TDS_WIRE_H_

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace court::tds {

using Bytes = std::vector<unsigned char>;

// The client broke the protocol: the connection is closed.
class ProtocolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Writer {
 public:
  explicit Writer(Bytes& out) : out_(out) {}
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void U64(std::uint64_t v);
  void U16Be(std::uint16_t v);
  void U32Be(std::uint32_t v);
  void Raw(const void* data, std::size_t size);
  void Raw(std::string_view data) { Raw(data.data(), data.size()); }
  // UTF-8 text as UTF-16LE; returns the UTF-16 units written.
  std::size_t Utf16(std::string_view utf8);
  // Text with its length in UTF-16 units before it: one byte (a name,
  // cut at 255 units), or two.
  void BVarChar(std::string_view utf8);
  void UsVarChar(std::string_view utf8);
  std::size_t size() const { return out_.size(); }
  // Writes a little-endian 16-bit value over bytes already written.
  void PatchU16(std::size_t at, std::uint16_t v);

 private:
  Bytes& out_;
};

class Reader {
 public:
  Reader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  explicit Reader(const Bytes& b) : Reader(b.data(), b.size()) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::uint64_t U64();
  std::uint16_t U16Be();
  // The next n bytes, which must be there.
  const unsigned char* Take(std::size_t n);
  std::string Text(std::size_t n);  // n raw bytes
  std::string Utf16(std::size_t units);  // as UTF-8
  std::string BVarChar() { return Utf16(U8()); }
  std::string UsVarChar() { return Utf16(U16()); }
  std::uint8_t PeekU8() const;
  bool AtEnd() const { return pos_ >= size_; }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return size_ - pos_; }
  void Seek(std::size_t pos);

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// UTF-16LE bytes to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const unsigned char* data, std::size_t bytes);
// UTF-8 to UTF-16LE, appended to out; returns the units written. Bytes that
// are no UTF-8 become U+FFFD.
std::size_t AppendUtf16(std::string_view utf8, Bytes& out);

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_WIRE_H_
