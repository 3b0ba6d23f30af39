// Truncating text to a width: the ellipsis at the end or in the middle, whole characters only,
// and the result always fitting.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "QDTextFixture.h"

namespace {

using qdtext_test::TextPortTest;

class QDTextTruncTest : public TextPortTest {};

// TruncText on a copy of `text` (with room for nothing more): the result.
std::string Trunc(const std::string& text, SInt16 width, TruncCode where, SInt16* result) {
  std::string buffer = text;
  SInt16 length = SInt16(buffer.size());
  *result = TruncText(width, buffer.data(), &length, where);
  return buffer.substr(0, std::size_t(length));
}

const std::string kKana = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6";  // four two-byte characters, 48 px

// The ellipsis is one byte, 6 px wide in the test font (7 in bold).
TEST_F(QDTextTruncTest, CutsOnWholeCharactersPutsTheEllipsisWhereAskedAndRefusesBadArguments) {
  const struct {
    const char* why;
    std::string text;
    SInt16 width;
    TruncCode where;
    SInt16 result;
    std::string expected;
  } cases[] = {
      {"fits exactly: unchanged", "abcdef", 36, truncEnd, notTruncated, "abcdef"},
      {"one pixel short", "abcdef", 35, truncEnd, truncated, "abcd\xFF"},
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
      {"empty text", "", 0, truncEnd, notTruncated, ""},
  };
  for (const auto& c : cases) {
    SInt16 result = 99;
    const std::string out = Trunc(c.text, c.width, c.where, &result);
    EXPECT_EQ(std::to_string(result) + " " + out, std::to_string(c.result) + " " + c.expected)
        << c.why;
    EXPECT_LE(TextWidth(out.data(), 0, SInt16(out.size())), c.width) << c.why;
  }
  SInt16 result = 0;
  TextFace(bold);  // styles and extras count as in TextWidth
  EXPECT_EQ(Trunc("abcdefgh", 30, truncEnd, &result), "abc\xFF");
  TextFace(normal);
  CharExtra(2 << 16);
  EXPECT_EQ(Trunc("abcdefgh", 32, truncEnd, &result), "abc\xFF");
  char text[] = "abc";  // bad arguments change nothing
  SInt16 length = -1;
  EXPECT_EQ(TruncText(10, nullptr, &length, truncEnd), truncErr);
  EXPECT_EQ(TruncText(10, text, nullptr, truncEnd), truncErr);
  EXPECT_EQ(TruncText(10, text, &length, truncEnd), truncErr);
  EXPECT_EQ(length, -1);
  EXPECT_STREQ(text, "abc");
}

// The result is whole characters of the original's start, the ellipsis, and whole characters
// of its end.
bool IsCutOnCharacterBoundaries(const std::string& original, const std::string& result) {
  const std::size_t mark = result.find('\xFF');
  if (mark == std::string::npos) return false;
  const std::size_t tail = result.size() - mark - 1;
  if (original.compare(0, mark, result, 0, mark) != 0) return false;
  if (original.compare(original.size() - tail, tail, result, mark + 1, tail) != 0) return false;
  auto isBoundary = [&](std::size_t at) {
    std::size_t pos = 0;
    while (pos < at) {
      const UInt8 b = UInt8(original[pos]);
      const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
      pos += (lead && pos + 1 < original.size()) ? 2 : 1;
    }
    return pos == at;
  };
  return isBoundary(mark) && isBoundary(original.size() - tail);
}

TEST_F(QDTextTruncTest, RandomJapaneseTextsFitAndAreNeverSplit) {
  const char* pieces[] = {"a",        "W",        " ",        "\xB1",     "\x82\xA0", "\x93\xFA",
                          "\x83\x41", "\x81\x63", "\x88\x9F", "\x96\x7B", "1"};
  for (int font = 0; font < 3; ++font) {
    sp_testing::UseFixedMetricFont(font == 0);
    TextFace(font == 2 ? bold | italic : normal);
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
      std::string text;
      for (int i = 1 + int(random() % 20); i > 0; --i) text += pieces[random() % 11];
      const SInt16 width = SInt16((font == 2 ? 10 : 0) + random() % 160);
      SInt16 result = 0;
      const std::string out = Trunc(text, width, round % 2 ? truncMiddle : truncEnd, &result);
      SCOPED_TRACE(testing::Message()
                   << "font " << font << " round " << round << " width " << width);
      const SInt16 full = TextWidth(text.data(), 0, SInt16(text.size()));
      const bool fits = TextWidth(out.data(), 0, SInt16(out.size())) <= width;
      if (result == notTruncated) {
        EXPECT_TRUE(out == text && fits);
      } else if (result == truncated) {
        EXPECT_TRUE(IsCutOnCharacterBoundaries(text, out) && fits && full > width) << out;
      } else {
        EXPECT_TRUE(result == truncErr && out.empty());
      }
    }
  }
}

}  // namespace
