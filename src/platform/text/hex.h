// Bytes as hexadecimal digits, as binary literals (0x1F...), binary values
// on display and GUIDs write them: two upper-case digits a byte.

#ifndef COURT_PLATFORM_TEXT_HEX_H_
#define COURT_PLATFORM_TEXT_HEX_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace court::text {

void AppendHex(std::uint8_t byte, std::string& out);

std::string Hex(const std::vector<std::uint8_t>& bytes);

// The bytes that hexadecimal digits (either case) spell; an odd count reads
// as if it had a leading 0. Nothing when a character is no digit.
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view digits);

}  // namespace court::text

#endif  // COURT_PLATFORM_TEXT_HEX_H_
