// Drawing text: where the glyphs land, the pen, transfer modes, styles, clipping and origins.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "QDTextFixture.h"

namespace {

using qdtext_test::P;
using qdtext_test::PStr;
using qdtext_test::TextPortTest;

// Probes "h,v# h,v." as the pixel (h, v) each must be: '#' black, '.' white, 'r' red, 'b'
// blue. Returns the probes that differ.
class QDTextDrawTest : public TextPortTest {
 protected:
  std::string WrongProbes(const std::string& probes) const {
    std::string wrong;
    std::istringstream in(probes);
    int h = 0, v = 0;
    char comma = 0, want = 0;
    while (in >> h >> comma >> v >> want) {
      const UInt32 p = Px(SInt16(h), SInt16(v));
      const char got = p == 0          ? '#'
                       : p == 0xFFFFFF ? '.'
                       : p == 0xFF0000 ? 'r'
                       : p == 0xFF     ? 'b'
                                       : 'o';
      if (got != want) wrong += std::to_string(h) + "," + std::to_string(v) + got + " ";
    }
    return wrong;
  }
};

// The test font at size 12 draws "ab" from pen (10, 20) as two boxes: columns 10-14 and
// 16-20, rows 11-19 (ascent 9 above the baseline row 20).
TEST_F(QDTextDrawTest, GlyphsLandAtThePenInTheirModeStyleAndClip) {
  const RGBColor red{0xFFFF, 0, 0}, blue{0, 0, 0xFFFF};
  const Rect clip{0, 0, 60, 14};
  const struct {
    const char* what;
    std::function<void()> setUp;
    SInt16 h, v;
    const char* text;
    SInt16 penAfter;
    const char* probes;
  } cases[] = {
      {"plain: boxes, gap, nothing above the ascent or on the baseline", [] {}, 10, 20, "ab", 22,
       "10,11# 14,19# 15,15. 16,15# 20,15# 21,15. 10,10. 10,20. 9,15."},
      {"srcOr in the fore colour, the rest untouched", [&] { RGBForeColor(&red); }, 10, 20, "a", 16,
       "12,15r 12,22."},
      {"srcCopy fills the text's box (descent included) with the back colour",
       [&] { RGBBackColor(&blue), TextMode(srcCopy); }, 10, 20, "ab", 22,
       "12,15# 15,15b 12,22b 12,23. 22,15. 12,10."},
      {"underline one pixel below the baseline under the whole run", [] { TextFace(underline); },
       10, 20, "a b", 28, "10,21# 20,21# 27,21# 28,21. 9,21. 12,20. 12,22."},
      {"bold: a box of 6 columns", [] { TextFace(bold); }, 10, 20, "a", 17, "15,15# 16,15."},
      {"outline: the ring around the box", [] { TextFace(outline); }, 40, 40, "a", 47,
       "42,35. 39,35# 45,35# 42,30# 42,40# 46,35."},
      {"shadow: one pixel further right and down", [] { TextFace(shadow); }, 100, 40, "a", 108,
       "102,35. 106,35# 102,41#"},
      {"clipped", [&] { ClipRect(&clip); }, 10, 20, "ab", 22, "12,15# 17,15."},
      {"moved by the origin: local h 110 is column 10", [] { SetOrigin(100, 0); }, 110, 50, "a",
       116, "12,45# 112,45."},
      {"hidden pen (last: it stays hidden): only the pen moves", [] { HidePen(); }, 10, 20, "a", 16,
       "12,15."},
  };
  const Rect all{0, 0, kHeight, kWidth}, wide{-32767, -32767, 32767, 32767};
  for (const auto& c : cases) {
    c.setUp();
    MoveTo(c.h, c.v);
    DrawString(PStr(P(c.text)));
    EXPECT_EQ(PenH(), c.penAfter) << c.what;
    SetOrigin(0, 0);
    EXPECT_EQ(WrongProbes(c.probes), "") << c.what;
    TextFace(normal);
    TextMode(srcOr);
    ForeColor(blackColor);
    BackColor(whiteColor);
    ClipRect(&wide);
    EraseRect(&all);
  }
}

TEST_F(QDTextDrawTest, DrawTextDrawsTheBytesAskedAndTwoByteCharactersWhole) {
  const char text[] = "zz\x82\xA0 b";
  MoveTo(0, 30);
  DrawText(text, 2, 4);  // the two-byte character (12 px), a space (blank), "b"
  EXPECT_EQ(Ink(0, 25, 24, 26), 11 + 5);
  EXPECT_EQ(WrongProbes("10,25# 11,25. 14,25."), "");
  DrawText(nullptr, 0, 3);
  DrawString(nullptr);
  EXPECT_EQ(PenH(), 24);
}

TEST_F(QDTextDrawTest, SrcXorTwiceRestoresThePixels) {
  const Rect half{0, 0, 60, 13};
  PaintRect(&half);  // black on the left, white on the right of column 13
  TextMode(srcXor);
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  EXPECT_EQ(WrongProbes("11,15. 17,15#"), "") << "black and white inverted";
  MoveTo(10, 20);
  DrawString(PStr(P("ab")));
  EXPECT_EQ(WrongProbes("11,15# 17,15. 15,15."), "");
}

TEST_F(QDTextDrawTest, TextOutsideThePixelsOnlyMovesThePen) {
  MoveTo(-500, 20);
  DrawString(PStr(P("abc")));
  EXPECT_EQ(PenH(), -482);
  MoveTo(30000, 20);
  const std::string longText(1000, 'x');
  DrawText(longText.data(), 0, SInt16(longText.size()));
  EXPECT_EQ(PenH(), 32767) << "the pen stops at the edge of the coordinate plane";
  EXPECT_EQ(Ink(0, 0, kWidth, kHeight), 0);
}

// The system font (IPA Gothic) draws Japanese: ink inside the text's box, none far from it,
// and a Western family draws Japanese
// from the system font's glyphs.
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
  const SInt16 h = 20, v = 35, top = SInt16(v - info.ascent - 1),
               bottom = SInt16(v + info.descent + 1);
  MoveTo(h, v);
  DrawString(PStr(text));
  EXPECT_TRUE(PenH() == h + width && width >= 7 * 14);
  const int inside = Ink(h - 1, top, h + width + 1, bottom);
  EXPECT_GT(inside, 7 * 20);
  EXPECT_EQ(Ink(0, 0, kWidth, kHeight), inside) << "no ink outside the box";
  SInt16 sans = 0;
  GetFNum(PStr(P("DejaVu Sans")), &sans);
  if (sans == 0) return;
  const Rect all{0, 0, kHeight, kWidth};
  EraseRect(&all);
  TextFont(sans);
  TextSize(14);
  MoveTo(10, 30);
  DrawString(PStr(P("\x93\xFA")));
  EXPECT_GT(Ink(10, 16, 24, 31), 10);
}

}  // namespace
