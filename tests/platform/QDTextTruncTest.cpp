// Truncating text to a width: the ellipsis at the end or in the middle, whole characters only,
// and the result always fitting.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "QDTextFixture.h"
#include "QuickDraw.h"
#include "TestFonts.h"

namespace {

using qdtext_test::P;
using qdtext_test::TextPortTest;

class QDTextTruncTest : public TextPortTest {
 protected:
  // Runs TruncText on a copy of `text` (with room for nothing more) and returns the result.
  static std::string Trunc(const std::string& text, SInt16 width, TruncCode where, SInt16* result) {
    std::string buffer = text;
    SInt16 length = SInt16(buffer.size());
    *result = TruncText(width, buffer.data(), &length, where);
    return buffer.substr(0, std::size_t(length));
  }
};

const std::string kKana = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6";  // four two-byte characters, 48 px

TEST_F(QDTextTruncTest, CutsOnWholeCharactersAndPutsTheEllipsisWhereAsked) {
  // The ellipsis is one byte, 6 px wide in the test font.
  const struct {
    const char* why;
    std::string text;
    SInt16 width;
    TruncCode where;
    SInt16 result;
    std::string expected;
  } cases[] = {
      {"fits exactly: unchanged", "abcdef", 36, truncEnd, notTruncated, "abcdef"},
      {"end: as many characters as fit with the ellipsis", "abcdefgh", 30, truncEnd, truncated,
       "abcd\xFF"},
      {"end: two-byte characters kept whole", kKana, 30, truncEnd, truncated,
       "\x82\xA0\x82\xA2\xFF"},
      {"end: a two-byte character that does not fit goes whole", kKana, 29, truncEnd, truncated,
       "\x82\xA0\xFF"},
      {"end: never half of a character before the ellipsis",
       "a\x82\xA0"
       "b",
       20, truncEnd, truncated, "a\xFF"},
      {"middle: taken in turn from the front and the back", "abcdefgh", 30, truncMiddle, truncated,
       "ab\xFFgh"},
      {"middle: Japanese", kKana, 30, truncMiddle, truncated, "\x82\xA0\xFF\x82\xA6"},
      {"middle: the back keeps its two-byte character whole", "ab\x82\xA0", 20, truncMiddle,
       truncated, "a\xFF"},
      {"only the ellipsis fits", "abcdef", 6, truncEnd, truncated, "\xFF"},
      {"even the ellipsis does not fit", "abcdef", 5, truncEnd, truncErr, ""},
      {"an unknown place counts as the end", "abcdefgh", 30, 7, truncated, "abcd\xFF"},
      {"half-width katakana are single characters", "\xB1\xB2\xB3\xB4\xB5\xB6", 24, truncEnd,
       truncated, "\xB1\xB2\xB3\xFF"},
  };
  for (const auto& c : cases) {
    SInt16 result = 99;
    const std::string out = Trunc(c.text, c.width, c.where, &result);
    EXPECT_EQ(result, c.result) << c.why;
    EXPECT_EQ(out, c.expected) << c.why;
    if (result != truncErr) {
      EXPECT_LE(TextWidth(out.data(), 0, SInt16(out.size())), c.width) << c.why;
    }
  }
}

TEST_F(QDTextTruncTest, EmptyTextAndBadArgumentsChangeNothing) {
  char text[] = "abc";
  SInt16 length = 0;
  EXPECT_EQ(TruncText(0, text, &length, truncEnd), notTruncated);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(TruncText(10, nullptr, &length, truncEnd), truncErr);
  EXPECT_EQ(TruncText(10, text, nullptr, truncEnd), truncErr);
  length = -1;
  EXPECT_EQ(TruncText(10, text, &length, truncEnd), truncErr);
  EXPECT_EQ(length, -1);
  EXPECT_STREQ(text, "abc");
}

TEST_F(QDTextTruncTest, TruncStringKeepsTheLengthByteInStep) {
  std::string s = P("abcdefgh");
  EXPECT_EQ(TruncString(30, reinterpret_cast<StringPtr>(s.data()), truncMiddle), truncated);
  EXPECT_EQ(std::string(s.data() + 1, UInt8(s[0])), "ab\xFFgh");
  std::string tiny = P("abc");
  EXPECT_EQ(TruncString(2, reinterpret_cast<StringPtr>(tiny.data()), truncEnd), truncErr);
  EXPECT_EQ(tiny[0], 0);
}

TEST_F(QDTextTruncTest, CountsExtrasAndStylesLikeTextWidth) {
  TextFace(bold);  // 7 px a character, the ellipsis too
  SInt16 result = 0;
  EXPECT_EQ(Trunc("abcdefgh", 30, truncEnd, &result), "abc\xFF");
  TextFace(normal);
  CharExtra(2 << 16);  // 8 px a character
  EXPECT_EQ(Trunc("abcdefgh", 32, truncEnd, &result), "abc\xFF");
}

// Walks the result and checks it is whole characters of the original's start, the ellipsis,
// and whole characters of the original's end.
bool IsCutOnCharacterBoundaries(const std::string& original, const std::string& result) {
  const std::size_t mark = result.find('\xFF');
  if (mark == std::string::npos) return false;
  const std::string head = result.substr(0, mark);
  const std::string tail = result.substr(mark + 1);
  if (original.compare(0, head.size(), head) != 0) return false;
  if (original.compare(original.size() - tail.size(), tail.size(), tail) != 0) return false;
  // Both cuts must fall on character starts of the original.
  auto isBoundary = [&](std::size_t at) {
    std::size_t pos = 0;
    while (pos < at) {
      const UInt8 b = UInt8(original[pos]);
      const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
      pos += (lead && pos + 1 < original.size()) ? 2 : 1;
    }
    return pos == at;
  };
  return isBoundary(head.size()) && isBoundary(original.size() - tail.size());
}

void CheckRandomTexts(SInt16 minWidth) {
  std::mt19937 random(20240611);
  const char* pieces[] = {"a",        "W",        " ",        "\xB1",     "\x82\xA0", "\x93\xFA",
                          "\x83\x41", "\x81\x63", "\x88\x9F", "\x96\x7B", "1"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int count = 1 + int(random() % 20);
    for (int i = 0; i < count; ++i) text += pieces[random() % (sizeof(pieces) / sizeof(*pieces))];
    const SInt16 width = SInt16(minWidth + random() % 160);
    const TruncCode where = (round % 2) ? truncMiddle : truncEnd;
    std::string buffer = text;
    SInt16 length = SInt16(buffer.size());
    const SInt16 result = TruncText(width, buffer.data(), &length, where);
    const std::string out = buffer.substr(0, std::size_t(length));
    SCOPED_TRACE(testing::Message() << "round " << round << " width " << width);
    ASSERT_LE(out.size(), text.size());
    if (result == notTruncated) {
      EXPECT_EQ(out, text);
      EXPECT_LE(TextWidth(text.data(), 0, SInt16(text.size())), width);
    } else if (result == truncated) {
      EXPECT_TRUE(IsCutOnCharacterBoundaries(text, out)) << out;
      EXPECT_LE(TextWidth(out.data(), 0, SInt16(out.size())), width);
      EXPECT_GT(TextWidth(text.data(), 0, SInt16(text.size())), width);
    } else {
      EXPECT_EQ(result, truncErr);
      EXPECT_EQ(length, 0);
    }
  }
}

TEST_F(QDTextTruncTest, RandomJapaneseTextsFitAndAreNeverSplitInTheTestFont) {
  CheckRandomTexts(0);
}

TEST_F(QDTextTruncTest, RandomJapaneseTextsFitAndAreNeverSplitInTheSystemFont) {
  sp_testing::UseFixedMetricFont(false);
  CheckRandomTexts(0);
  TextFace(bold | italic);
  CheckRandomTexts(10);
}

}  // namespace
