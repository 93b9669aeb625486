#include "platform/text/hex.h"

#include <gtest/gtest.h>

namespace court::text {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Hex, AnOddCountOfDigitsReadsWithALeadingZero) {
  EXPECT_EQ(FromHex("abC"), (Bytes{0x0A, 0xBC}));
  EXPECT_EQ(FromHex(""), Bytes{});
  EXPECT_EQ(FromHex("0g"), std::nullopt);
  EXPECT_EQ(Hex(*FromHex("00fF1")), "000FF1");
}

}  // namespace
}  // namespace court::text
