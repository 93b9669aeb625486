#include "platform/access/base64.h"

namespace court::access {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
  auto position = kAlphabet.find(c);
  return position == std::string_view::npos ? -1 : static_cast<int>(position);
}

}  // namespace

std::string EncodeBase64(const Bytes& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = std::uint32_t{bytes[i]} << 16;
    if (n > 1) group |= std::uint32_t{bytes[i + 1]} << 8;
    if (n > 2) group |= bytes[i + 2];
    for (std::size_t k = 0; k < 4; ++k)
      text += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return text;
}

std::optional<Bytes> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  Bytes bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      int sextet = k >= 4 - static_cast<std::size_t>(padding) ? 0 : SextetOf(text[i + k]);
      if (sextet < 0) return std::nullopt;
      group = (group << 6) | static_cast<std::uint32_t>(sextet);
    }
    bytes.push_back(static_cast<unsigned char>(group >> 16));
    if (padding < 2) bytes.push_back(static_cast<unsigned char>(group >> 8));
    if (padding < 1) bytes.push_back(static_cast<unsigned char>(group));
  }
  return bytes;
}

}  // namespace court::access
