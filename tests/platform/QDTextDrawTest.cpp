// Drawing text: where the glyphs land, the pen, transfer modes, styles, clipping and origins.
#include <gtest/gtest.h>

#include <string>

#include "QDTextFixture.h"
#include "QuickDraw.h"
#include "TestFonts.h"

namespace {

using qdtext_test::P;
using qdtext_test::PStr;
using qdtext_test::TextPortTest;

class QDTextDrawTest : public TextPortTest {
 protected:
  // The rows from `top` to `bottom` (exclusive) at column h that are dark.
  static int DarkInColumn(SInt16 h, SInt16 top, SInt16 bottom) {
    int n = 0;
    for (SInt16 v = top; v < bottom; ++v) n += Dark(h, v) ? 1 : 0;
    return n;
  }
};

// The test font at size 12 draws "ab" from pen (10, 20) as two boxes: columns 10-14 and
// 16-20, rows 11-19 (ascent 9 above the baseline row 20).
TEST_F(QDTextDrawTest, GlyphsAreBoxesAtThePenAndThePenMovesByTheWidth) {
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  Point pen{};
  GetPen(&pen);
  EXPECT_EQ(pen.h, 22);
  EXPECT_EQ(pen.v, 20);
  const struct {
    SInt16 h, v;
    bool dark;
    const char* why;
  } probes[] = {
      {10, 11, true, "top-left of the first box"},
      {14, 19, true, "bottom-right of the first box"},
      {15, 15, false, "the gap between the characters"},
      {16, 15, true, "second box"},
      {20, 15, true, "second box's last column"},
      {21, 15, false, "after the text"},
      {10, 10, false, "above the ascent"},
      {10, 20, false, "the baseline row is below the glyph"},
      {9, 15, false, "left of the pen"},
  };
  for (const auto& p : probes) EXPECT_EQ(Dark(p.h, p.v), p.dark) << p.why;
}

TEST_F(QDTextDrawTest, DrawTextAndDrawCharDrawTheBytesAskedAndTwoByteCharactersWhole) {
  const char text[] = "zz\x82\xA0 b";
  MoveTo(0, 30);
  DrawText(text, 2, 4);  // the two-byte character (12 px), a space (blank), "b"
  EXPECT_TRUE(Dark(0, 25));
  EXPECT_TRUE(Dark(10, 25));
  EXPECT_FALSE(Dark(11, 25));
  EXPECT_FALSE(Dark(14, 25));  // the space
  EXPECT_TRUE(Dark(18, 25));
  Point pen{};
  GetPen(&pen);
  EXPECT_EQ(pen.h, 24);
  DrawChar(CharParameter(0x82A0));
  GetPen(&pen);
  EXPECT_EQ(pen.h, 36);
  EXPECT_TRUE(Dark(34, 25));
  DrawText(nullptr, 0, 3);
  DrawString(nullptr);
  GetPen(&pen);
  EXPECT_EQ(pen.h, 36);
}

TEST_F(QDTextDrawTest, SrcOrDrawsInTheForeColourAndLeavesTheRestAlone) {
  const RGBColor red{0xFFFF, 0, 0};
  RGBForeColor(&red);
  MoveTo(10, 20);
  DrawString(PStr(P("a")));
  const RGBColor inside = Pixel(12, 15);
  EXPECT_EQ(inside.red, 0xFFFF);
  EXPECT_EQ(inside.green, 0);
  EXPECT_TRUE(IsWhite(12, 22));  // the descent below the baseline: untouched
}

TEST_F(QDTextDrawTest, SrcCopyFillsTheTextBoxWithTheBackColour) {
  const RGBColor blue{0, 0, 0xFFFF};
  RGBBackColor(&blue);
  TextMode(srcCopy);
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  EXPECT_TRUE(Dark(12, 15));              // glyph: black
  EXPECT_EQ(Pixel(15, 15).blue, 0xFFFF);  // the gap: back colour
  EXPECT_EQ(Pixel(15, 15).red, 0);
  EXPECT_EQ(Pixel(12, 22).blue, 0xFFFF);  // the descent: inside the box
  EXPECT_EQ(Pixel(12, 22).red, 0);
  EXPECT_TRUE(IsWhite(12, 23));  // below the box
  EXPECT_TRUE(IsWhite(22, 15));  // right of the box
  EXPECT_TRUE(IsWhite(12, 10));  // above it
}

TEST_F(QDTextDrawTest, SrcXorTwiceRestoresThePixels) {
  const Rect half{0, 0, 60, 13};
  PaintRect(&half);  // black on the left, white on the right of column 13
  TextMode(srcXor);
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  EXPECT_FALSE(Dark(11, 15));  // black inverted to white
  EXPECT_TRUE(Dark(17, 15));   // white inverted to black
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  EXPECT_TRUE(Dark(11, 15));
  EXPECT_FALSE(Dark(17, 15));
  EXPECT_TRUE(IsWhite(15, 15));
}

TEST_F(QDTextDrawTest, UnderlineRunsOnePixelBelowTheBaselineUnderTheWholeRun) {
  TextFace(underline);
  MoveTo(10, 20);
  DrawString(PStr(P("a b")));
  for (SInt16 h = 10; h < 28; ++h) EXPECT_TRUE(Dark(h, 21)) << h;
  EXPECT_FALSE(Dark(28, 21));
  EXPECT_FALSE(Dark(9, 21));
  EXPECT_FALSE(Dark(12, 20));
  EXPECT_FALSE(Dark(12, 22));
}

TEST_F(QDTextDrawTest, BoldWidensTheGlyphsAndOutlineLeavesThemHollow) {
  TextFace(bold);
  MoveTo(10, 20);
  DrawString(PStr(P("a")));  // box of 6 columns, advance 7
  EXPECT_TRUE(Dark(15, 15));
  EXPECT_FALSE(Dark(16, 15));

  TextFace(outline);
  MoveTo(40, 40);
  DrawString(PStr(P("a")));    // box columns 40-44, rows 31-39: the ring around it
  EXPECT_FALSE(Dark(42, 35));  // inside: not drawn
  EXPECT_TRUE(Dark(39, 35));   // left of the box
  EXPECT_TRUE(Dark(45, 35));   // right of it
  EXPECT_TRUE(Dark(42, 30));   // above
  EXPECT_TRUE(Dark(42, 40));   // below
  EXPECT_FALSE(Dark(46, 35));

  TextFace(shadow);
  MoveTo(100, 40);
  DrawString(PStr(P("a")));
  EXPECT_FALSE(Dark(102, 35));
  EXPECT_TRUE(Dark(106, 35));  // the shadow reaches one pixel further right
  EXPECT_TRUE(Dark(102, 41));  // and down
}

TEST_F(QDTextDrawTest, ClipAndOriginDecideWhereTheTextLands) {
  const Rect clip{0, 0, 60, 14};
  ClipRect(&clip);
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  EXPECT_TRUE(Dark(12, 15));
  EXPECT_FALSE(Dark(17, 15));  // clipped away
  const Rect all{-32767, -32767, 32767, 32767};
  ClipRect(&all);

  SetOrigin(100, 0);  // local h 110 is pixel column 10
  MoveTo(110, 50);
  DrawString(PStr(P("a")));
  SetOrigin(0, 0);
  ClipRect(&all);
  EXPECT_TRUE(Dark(12, 45));
  EXPECT_FALSE(Dark(112, 45));
}

TEST_F(QDTextDrawTest, TextOutsideThePixelsOnlyMovesThePen) {
  MoveTo(-500, 20);
  DrawString(PStr(P("abc")));
  Point pen{};
  GetPen(&pen);
  EXPECT_EQ(pen.h, -482);
  MoveTo(30000, 20);
  const std::string longText(1000, 'x');
  DrawText(longText.data(), 0, SInt16(longText.size()));
  GetPen(&pen);
  EXPECT_EQ(pen.h, 32767);  // the pen stops at the edge of the coordinate plane
  for (SInt16 h = 0; h < kWidth; h += 7) EXPECT_TRUE(IsWhite(h, 15)) << h;
}

TEST_F(QDTextDrawTest, HiddenPenDrawsNoText) {
  HidePen();
  MoveTo(10, 20);
  DrawString(PStr(P("a")));
  ShowPen();
  EXPECT_FALSE(Dark(12, 15));
  Point pen{};
  GetPen(&pen);
  EXPECT_EQ(pen.h, 16);
}

// The system font (IPA Gothic) draws Japanese: ink inside the text's box, none far from it,
// and anti-aliased edges.
TEST_F(QDTextDrawTest, JapaneseInTheSystemFontInksInsideItsBox) {
  sp_testing::UseFixedMetricFont(false);
  Str255 name;
  GetFontName(0, name);
  if (std::string(reinterpret_cast<char*>(name + 1), name[0]) != "IPAGothic") {
    GTEST_SKIP() << "IPA Gothic is not installed";
  }
  TextSize(16);
  const std::string text = P("\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67");
  const SInt16 width = StringWidth(PStr(text));
  FontInfo info{};
  GetFontInfo(&info);
  const SInt16 h = 20, v = 35;
  MoveTo(h, v);
  DrawString(PStr(text));
  Point pen{};
  GetPen(&pen);
  EXPECT_EQ(pen.h, h + width);
  EXPECT_GE(width, 7 * 14);

  int inkInside = 0, inkOutside = 0, greys = 0;
  for (SInt16 y = 0; y < kHeight; ++y) {
    for (SInt16 x = 0; x < kWidth; ++x) {
      const RGBColor c = Pixel(x, y);
      const bool dark = c.red < 0x8000;
      const bool inBox =
          x >= h - 1 && x < h + width + 1 && y >= v - info.ascent - 1 && y < v + info.descent + 1;
      if (dark && inBox) ++inkInside;
      if (dark && !inBox) ++inkOutside;
      if (c.red > 0x1000 && c.red < 0xF000) ++greys;
    }
  }
  EXPECT_GT(inkInside, 7 * 20);  // every character leaves strokes
  EXPECT_EQ(inkOutside, 0);
  EXPECT_GT(greys, 0);  // anti-aliased
  // Each character has ink in its own cell: none is missing.
  SInt16 left = h;
  for (std::size_t i = 1; i < text.size(); i += 2) {
    const SInt16 cw = TextWidth(text.data(), SInt16(i), 2);
    int ink = 0;
    for (SInt16 x = left; x < left + cw; ++x) ink += DarkInColumn(x, v - info.ascent, v + 1);
    EXPECT_GT(ink, 5) << "character " << i / 2;
    left = SInt16(left + cw);
  }
}

TEST_F(QDTextDrawTest, WesternFamilyDrawsJapaneseFromTheSystemFont) {
  sp_testing::UseFixedMetricFont(false);
  const std::string sansName = P("DejaVu Sans");
  SInt16 sans = 0;
  GetFNum(PStr(sansName), &sans);
  if (sans == 0) GTEST_SKIP() << "no Western sans family installed";
  TextFont(sans);
  TextSize(14);
  MoveTo(10, 30);
  DrawString(PStr(P("\x93\xFA")));
  int ink = 0;
  for (SInt16 x = 10; x < 24; ++x) ink += DarkInColumn(x, 16, 31);
  EXPECT_GT(ink, 10);
}

}  // namespace
