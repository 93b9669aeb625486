#include "platform/text/hex.h"

namespace court::text {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void AppendHex(std::uint8_t byte, std::string& out) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 15];
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) AppendHex(b, out);
  return out;
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view digits) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(digits.size() / 2 + 1);
  int value = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int digit = DigitValue(digits[i]);
    if (digit < 0) return std::nullopt;
    value = value << 4 | digit;
    // A byte ends where as many digits remain as make whole bytes.
    if ((digits.size() - i) % 2 == 1) {
      bytes.push_back(static_cast<std::uint8_t>(value));
      value = 0;
    }
  }
  return bytes;
}

}  // namespace court::text
