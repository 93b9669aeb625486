#include "platform/text/utf8.h"

#include <gtest/gtest.h>

namespace court::text {
namespace {

TEST(Utf8, MalformedBytesReadAsReplacementAndTheNextByteAfresh) {
  // A lone continuation byte, a lead cut short by an ASCII letter, a lead at
  // the very end, and a sequence beyond U+10FFFF.
  EXPECT_EQ(DecodeUtf8("a\x80" "b"), U"a\uFFFDb");
  EXPECT_EQ(DecodeUtf8("\xC3" "A"), U"\uFFFDA");
  EXPECT_EQ(DecodeUtf8("x\xE4\xB8"), U"x\uFFFD\uFFFD");
  EXPECT_EQ(DecodeUtf8("\xF7\xBF\xBF\xBF"), U"\uFFFD");
  EXPECT_EQ(DecodeUtf8("\xE6\xB3\x95\xF0\x9F\x98\x80"), U"法😀");
}

TEST(Utf8, CuttingNeverSplitsACharacter) {
  const std::string_view text = "a法😀b";  // 1 + 3 + 4 + 1 bytes
  for (std::size_t bytes = 0; bytes <= text.size() + 1; ++bytes) {
    const std::string_view cut = CutAtBoundary(text, bytes);
    EXPECT_LE(cut.size(), bytes);
    EXPECT_EQ(FromUtf16(ToUtf16(cut)), cut) << "cut at " << bytes;
    EXPECT_TRUE(cut.size() == text.size() || !IsContinuation(text[cut.size()])) << "cut at " << bytes;
  }
  EXPECT_EQ(CutAtBoundary(text, 5), "a法");
  EXPECT_EQ(FirstChars(text, 2), "a法");
  EXPECT_EQ(FirstChars(text, 3), "a法😀");
  EXPECT_EQ(FirstChars(text, 9), text);
  EXPECT_EQ(CharCount(text), 4u);
  EXPECT_EQ(Utf16Length(text), 5u);
}

TEST(Utf8, CharactersBeyondTheBasicPlaneTravelAsSurrogatePairs) {
  EXPECT_EQ(ToUtf16("😀"), u"\xD83D\xDE00");
  EXPECT_EQ(FromUtf16(u"\xD83D\xDE00"), "😀");
  // Unpaired halves, alone, reversed or at the end, become U+FFFD each.
  EXPECT_EQ(FromUtf16(u"a\xDE00" "b"), "a\uFFFD" "b");
  EXPECT_EQ(FromUtf16(u"\xDE00\xD83D"), "\uFFFD\uFFFD");
  EXPECT_EQ(FromUtf16(u"\xD83D" "a"), "\uFFFD" "a");
}

}  // namespace
}  // namespace court::text
