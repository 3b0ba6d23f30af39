// Measuring text: widths of one- and two-byte characters, extras, styles, font information
// and positions within a run, with the fixed-metric test font (exact) and the system font.
#include <gtest/gtest.h>

#include <string>

#include "QDTextFixture.h"
#include "QuickDraw.h"
#include "TestFonts.h"

namespace {

using qdtext_test::P;
using qdtext_test::PStr;
using qdtext_test::TextPortTest;

class QDTextMetricsTest : public TextPortTest {};

struct WidthCase {
  const char* why;
  std::string text;
  SInt16 size;
  Fixed charExtra;
  Fixed spaceExtra;
  SInt16 expected;
};

TEST_F(QDTextMetricsTest, WidthsCountTwoByteCharactersOnceAndAddExtrasPerCharacter) {
  const WidthCase cases[] = {
      {"ASCII, 6 px each at size 12", "abc", 12, 0, 0, 18},
      {"size 0 is the default size 12", "abc", 0, 0, 0, 18},
      {"half-width katakana are one-byte characters", "\xB1\xB2\xB3", 12, 0, 0, 18},
      {"two-byte characters are 12 px, not two halves", "\x82\xA0\x82\xA2", 12, 0, 0, 24},
      {"a second byte that looks like ASCII is not a character", "\x83\x41\x83\x62", 12, 0, 0, 24},
      {"mixed one- and two-byte",
       "a\x93\xFA"
       "b",
       12, 0, 0, 24},
      {"a lead byte at the end counts as one byte", "a\x82", 12, 0, 0, 12},
      {"odd size: halves round down", "a\x82\xA0", 9, 0, 0, 13},
      {"char extra on every character, two-byte ones once", "a\x82\xA0", 12, 2 << 16, 0, 22},
      {"space extra only on spaces", "a b c", 12, 0, 3 << 16, 36},
      {"the two-byte space takes no space extra", "\x81\x40", 12, 0, 3 << 16, 12},
      {"half-pixel extras round once over the run", "abcd", 12, 0x8000, 0, 26},
      {"negative char extra narrows", "abc", 12, -(1 << 16), 0, 15},
  };
  for (const WidthCase& c : cases) {
    TextSize(c.size);
    CharExtra(c.charExtra);
    SpaceExtra(c.spaceExtra);
    EXPECT_EQ(TextWidth(c.text.data(), 0, SInt16(c.text.size())), c.expected) << c.why;
    const std::string pascal = P(c.text);
    EXPECT_EQ(StringWidth(PStr(pascal)), c.expected) << c.why;
  }
}

TEST_F(QDTextMetricsTest, TextWidthMeasuresOnlyTheBytesAsked) {
  const char text[] = "xx\x82\xA0yy";
  EXPECT_EQ(TextWidth(text, 2, 3), 18);
  EXPECT_EQ(TextWidth(text, 0, 0), 0);
  EXPECT_EQ(TextWidth(text, 0, -4), 0);
  EXPECT_EQ(TextWidth(nullptr, 0, 4), 0);
  EXPECT_EQ(StringWidth(nullptr), 0);
}

TEST_F(QDTextMetricsTest, HugeExtrasSaturateInsteadOfOverflowing) {
  CharExtra(0x7FFFFFFF);
  SpaceExtra(0x7FFFFFFF);
  EXPECT_EQ(StringWidth(PStr(P("a b c"))), 32767);
  CharExtra(SInt32(0x80000000));
  SpaceExtra(0);
  EXPECT_EQ(StringWidth(PStr(P("a b c"))), -32768);
  MoveTo(0, 20);
  DrawString(PStr(P("a b c")));  // the pen stops at the plane's edge
  Point pen{};
  GetPen(&pen);
  EXPECT_EQ(pen.h, -32768);
}

TEST_F(QDTextMetricsTest, CharWidthTakesATwoByteCharacterInOneValue) {
  EXPECT_EQ(CharWidth('a'), 6);
  EXPECT_EQ(CharWidth(0xB1), 6);
  EXPECT_EQ(CharWidth(CharParameter(0x82A0)), 12);
}

TEST_F(QDTextMetricsTest, StylesChangeWidthsByTheToolboxExtras) {
  const struct {
    StyleParameter face;
    SInt16 expected;  // "abc" at size 12
  } cases[] = {
      {normal, 18},           {bold, 21},     {italic, 18},
      {underline, 18},        {outline, 21},  {shadow, 24},
      {outline | shadow, 24}, {condense, 15}, {extend, 21},
      {bold | condense, 18},
  };
  for (const auto& c : cases) {
    TextFace(c.face);
    EXPECT_EQ(StringWidth(PStr(P("abc"))), c.expected) << "face " << c.face;
  }
}

TEST_F(QDTextMetricsTest, FontInfoOfTheTestFontIsExact) {
  FontInfo info{};
  GetFontInfo(&info);
  EXPECT_EQ(info.ascent, 9);
  EXPECT_EQ(info.descent, 3);
  EXPECT_EQ(info.widMax, 12);
  EXPECT_EQ(info.leading, 0);
  TextSize(24);
  TextFace(bold);
  GetFontInfo(&info);
  EXPECT_EQ(info.ascent, 18);
  EXPECT_EQ(info.descent, 6);
  EXPECT_EQ(info.widMax, 26);
  GetFontInfo(nullptr);  // no crash
}

TEST_F(QDTextMetricsTest, FontInfoOfTheSystemFontSpansAboutItsSize) {
  sp_testing::UseFixedMetricFont(false);
  for (SInt16 size : {9, 12, 18, 36}) {
    TextSize(size);
    FontInfo info{};
    GetFontInfo(&info);
    EXPECT_GE(info.ascent + info.descent, size) << size;
    EXPECT_LE(info.ascent + info.descent, size + size / 2 + 1) << size;
    EXPECT_GT(info.ascent, info.descent) << size;
    EXPECT_GE(info.widMax, size / 2) << size;
    EXPECT_GE(info.leading, 0) << size;
  }
}

TEST_F(QDTextMetricsTest, BoldIsWiderThanPlainInTheSystemFont) {
  sp_testing::UseFixedMetricFont(false);
  const std::string text = P("Bold \x93\xFA\x96\x7B");
  const SInt16 plain = StringWidth(PStr(text));
  TextFace(bold);
  const SInt16 boldWidth = StringWidth(PStr(text));
  EXPECT_GT(plain, 0);
  EXPECT_GT(boldWidth, plain);
}

TEST_F(QDTextMetricsTest, SystemFontKeepsJapaneseWidthsConsistent) {
  sp_testing::UseFixedMetricFont(false);
  // The width of a run is the sum of its characters' widths (whole pixels each).
  const std::string kanji = "\x93\xFA\x96\x7B\x8C\xEA";
  SInt32 sum = 0;
  for (std::size_t i = 0; i < kanji.size(); i += 2) sum += TextWidth(kanji.data(), SInt16(i), 2);
  EXPECT_EQ(TextWidth(kanji.data(), 0, SInt16(kanji.size())), sum);
  EXPECT_GE(sum, 3 * 10);
  // A Western family still measures Japanese (from the system font's glyphs).
  const std::string latinName = P("DejaVu Sans");
  SInt16 sans = 0;
  GetFNum(PStr(latinName), &sans);
  if (sans != 0) {
    TextFont(sans);
    EXPECT_GE(TextWidth(kanji.data(), 0, SInt16(kanji.size())), 3 * 10);
  }
}

TEST_F(QDTextMetricsTest, PixelToCharFindsTheNearestBoundaryOnCharacterEdges) {
  char text[] = "ab\x82\xA0";  // edges at 0, 6, 12, 24
  const Point one{1, 1};
  const struct {
    Fixed position;
    SInt16 offset;
    Boolean leading;
    Fixed remaining;
  } cases[] = {
      {-(5 << 16), 0, true, -0x10000},  // before the text
      {2 << 16, 0, true, -0x10000},     // first half of "a"
      {4 << 16, 1, false, -0x10000},    // second half of "a": the boundary after it
      {13 << 16, 2, true, -0x10000},    // first half of the two-byte character
      {20 << 16, 4, false, -0x10000},   // its second half: never inside it
      {30 << 16, 4, false, 6 << 16},    // past the end: the width left over
  };
  for (const auto& c : cases) {
    Boolean leading = 2;
    Fixed remaining = 0;
    EXPECT_EQ(PixelToChar(text, 4, 0, c.position, &leading, &remaining, onlyStyleRun, one, one),
              c.offset)
        << c.position;
    EXPECT_EQ(leading, c.leading) << c.position;
    EXPECT_EQ(remaining, c.remaining) << c.position;
  }
  EXPECT_EQ(CharToPixel(text, 4, 0, 3, 0, onlyStyleRun, one, one), 12);  // inside: its start
  EXPECT_EQ(CharToPixel(text, 4, 0, 4, 0, onlyStyleRun, one, one), 24);
  const Point two{2, 2};
  EXPECT_EQ(CharToPixel(text, 4, 0, 2, 0, onlyStyleRun, two, one), 24);  // scaled twice
}

TEST_F(QDTextMetricsTest, PixelToCharSpreadsSlopOverSpaces) {
  char text[] = "a b";  // 6 + 6 + 6, slop 12 on the one space: edges 0, 6, 24, 30
  const Point one{1, 1};
  Boolean leading = 0;
  EXPECT_EQ(PixelToChar(text, 3, 12 << 16, 20 << 16, &leading, nullptr, onlyStyleRun, one, one), 2);
  EXPECT_FALSE(leading);
  EXPECT_EQ(CharToPixel(text, 3, 12 << 16, 3, 0, onlyStyleRun, one, one), 30);
}

TEST_F(QDTextMetricsTest, PortTextSettingsStartAsANewPortsAndReadBack) {
  EXPECT_EQ(GetPortTextFont(world_), 0);
  EXPECT_EQ(GetPortTextSize(world_), 0);
  EXPECT_EQ(GetPortTextFace(world_), normal);
  EXPECT_EQ(GetPortTextMode(world_), srcOr);
  TextFont(16384);
  TextSize(18);
  TextFace(bold | italic | 0x80);  // the high bit is no style
  TextMode(srcCopy);
  SpaceExtra(3 << 16);
  CharExtra(0x18000);
  EXPECT_EQ(GetPortTextFont(world_), 16384);
  EXPECT_EQ(GetPortTextSize(world_), 18);
  EXPECT_EQ(GetPortTextFace(world_), bold | italic);
  EXPECT_EQ(GetPortTextMode(world_), srcCopy);
  EXPECT_EQ(GetPortSpExtra(world_), 3 << 16);
  EXPECT_EQ(GetPortChExtra(world_), 2);
  SetPortTextSize(world_, -3);
  EXPECT_EQ(GetPortTextSize(world_), 0);
  EXPECT_EQ(GetPortTextFont(nullptr), 0);
  SetPortTextFont(nullptr, 3);  // ignored
  EXPECT_EQ(GetSysDirection(), 0);
}

}  // namespace
