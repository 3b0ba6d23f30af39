// Text: measuring (widths of one- and two-byte characters, extras, styles, font information)
// with the fixed-metric test font (exact) and the system font, the font table, drawing and
// truncating.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "QDTextFixture.h"
#include "TestFonts.h"
#include "quickdraw/internal/FontTable.h"

namespace {

using qdtext_test::P;
using qdtext_test::PStr;
using qdtext_test::TextPortTest;

class QDTextMetricsTest : public TextPortTest {};

TEST_F(QDTextMetricsTest, WidthsCountTwoByteCharactersOnceAndAddExtrasPerCharacter) {
  const struct {
    const char* why;
    std::string text;
    SInt16 size;
    Fixed charExtra, spaceExtra;
    StyleParameter face;
    SInt16 expected;
  } cases[] = {
      {"ASCII, 6 px each at size 12", "abc", 12, 0, 0, normal, 18},
      {"half-width katakana are one-byte characters", "\xB1\xB2\xB3", 12, 0, 0, normal, 18},
      {"two-byte characters are 12 px, not two halves", "\x82\xA0\x82\xA2", 12, 0, 0, normal, 24},
      {"a second byte that looks like ASCII is no character", "\x83\x41\x83\x62", 12, 0, 0, normal,
       24},
      {"mixed one- and two-byte",
       "a\x93\xFA"
       "b",
       12, 0, 0, normal, 24},
      {"a lead byte at the end counts as one byte", "a\x82", 12, 0, 0, normal, 12},
      {"odd size: halves round down", "a\x82\xA0", 9, 0, 0, normal, 13},
      {"char extra on every character, two-byte ones once", "a\x82\xA0", 12, 2 << 16, 0, normal,
       22},
      {"space extra only on spaces", "a b c", 12, 0, 3 << 16, normal, 36},
      {"the two-byte space takes no space extra", "\x81\x40", 12, 0, 3 << 16, normal, 12},
      {"half-pixel extras round once over the run", "abcd", 12, 0x8000, 0, normal, 26},
      {"negative char extra narrows", "abc", 12, -(1 << 16), 0, normal, 15},
      {"huge extras saturate", "a b c", 12, 0x7FFFFFFF, 0x7FFFFFFF, normal, 32767},
      {"huge negative extras saturate", "a b c", 12, SInt32(0x80000000), 0, normal, -32768},
      {"bold", "abc", 12, 0, 0, bold, 21},
      {"outline", "abc", 12, 0, 0, outline, 21},
      {"shadow", "abc", 12, 0, 0, shadow, 24},
      {"condense", "abc", 12, 0, 0, condense, 15},
      {"extend", "abc", 12, 0, 0, extend, 21},
      {"bold and condense", "abc", 12, 0, 0, bold | condense, 18},
  };
  for (const auto& c : cases) {
    TextSize(c.size);
    CharExtra(c.charExtra);
    SpaceExtra(c.spaceExtra);
    TextFace(c.face);
    EXPECT_EQ(TextWidth(c.text.data(), 0, SInt16(c.text.size())), c.expected) << c.why;
    EXPECT_EQ(StringWidth(PStr(P(c.text))), c.expected) << c.why;
  }
  CharExtra(SInt32(0x80000000));
  MoveTo(0, 20);
  DrawString(PStr(P("a b c")));
  EXPECT_EQ(PenH(), -32768) << "the pen stops at the plane's edge";
}

// CharWidth takes a one-byte character as the low byte, up to 0xFF, and a two-byte one with
// its first byte high: each measures as the same bytes given to TextWidth.
TEST_F(QDTextMetricsTest, CharWidthMeasuresOneAndTwoByteCharactersAsTheirBytes) {
  TextSize(12);
  const struct {
    UInt16 ch;
    std::string bytes;
    SInt16 expected;
  } cases[] = {
      {'a', "a", 6},           {0xB1, "\xB1", 6},        {0xFE, "\xFE", 6},
      {0xFF, "\xFF", 6},       {0x82A0, "\x82\xA0", 12}, {0x8140, "\x81\x40", 12},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CharWidth(CharParameter(c.ch)), c.expected) << std::hex << c.ch;
    EXPECT_EQ(TextWidth(c.bytes.data(), 0, SInt16(c.bytes.size())), c.expected) << std::hex << c.ch;
  }
}

TEST_F(QDTextMetricsTest, OnlyTheBytesAskedAreMeasuredFontInformationIsExactAndPortSettingsValid) {
  EXPECT_EQ(std::vector<int>({GetPortTextFont(world_), GetPortTextSize(world_),
                              GetPortTextFace(world_), GetPortTextMode(world_)}),
            std::vector<int>({0, 0, normal, srcOr}))
      << "a new port's";
  const char text[] = "xx\x82\xA0yy";
  EXPECT_EQ(std::vector<int>({TextWidth(text, 2, 3), TextWidth(text, 0, 0), TextWidth(text, 0, -4),
                              TextWidth(nullptr, 0, 4), StringWidth(nullptr)}),
            std::vector<int>({18, 0, 0, 0, 0}));
  FontInfo info{};
  auto metrics = [&info] {
    GetFontInfo(&info);
    return std::vector<int>({info.ascent, info.descent, info.widMax, info.leading});
  };
  EXPECT_EQ(metrics(), std::vector<int>({9, 3, 12, 0}));
  TextSize(24);
  TextFace(bold);
  EXPECT_EQ(metrics(), std::vector<int>({18, 6, 26, 0}));
  GetFontInfo(nullptr);  // no crash
  // Only valid values are kept: the high bit is no style, extras are whole pixels.
  TextFace(bold | italic | 0x80);
  CharExtra(0x18000);
  SetPortTextSize(world_, -3);  // a negative size is the default size
  SetPortTextFont(nullptr, 3);  // ignored
  EXPECT_EQ(std::vector<int>({GetPortTextFace(world_), GetPortChExtra(world_),
                              GetPortTextSize(world_), GetPortTextFont(nullptr)}),
            std::vector<int>({bold | italic, 2, 0, 0}));
}

// The system font spans about its size, bold is wider than plain, and the width of a
// Japanese run is the sum of its characters' (whole pixels each), in a Western family too.
TEST_F(QDTextMetricsTest, SystemFontMetricsAreConsistent) {
  sp_testing::UseFixedMetricFont(false);
  for (SInt16 size : {9, 12, 18, 36}) {
    TextSize(size);
    FontInfo info{};
    GetFontInfo(&info);
    const int height = info.ascent + info.descent;
    EXPECT_TRUE(height >= size && height <= size + size / 2 + 1 && info.ascent > info.descent &&
                info.widMax >= size / 2 && info.leading >= 0)
        << size;
  }
  TextSize(12);
  const std::string text = P("Bold \x93\xFA\x96\x7B");
  const SInt16 plain = StringWidth(PStr(text));
  TextFace(bold);
  EXPECT_GT(StringWidth(PStr(text)), plain);
  TextFace(normal);
  const std::string kanji = "\x93\xFA\x96\x7B\x8C\xEA";
  SInt32 sum = 0;
  for (std::size_t i = 0; i < kanji.size(); i += 2) sum += TextWidth(kanji.data(), SInt16(i), 2);
  EXPECT_EQ(TextWidth(kanji.data(), 0, SInt16(kanji.size())), sum);
  EXPECT_GE(sum, 3 * 10);
}

// The font table: numbers and names, the system and application fonts, the installed list
// and the fixed-metric test font.
std::string Name(SInt16 number) {
  Str255 name;
  name[0] = 77;
  GetFontName(number, name);
  return std::string(reinterpret_cast<char*>(name + 1), name[0]);
}

SInt16 Number(const std::string& name) {
  SInt16 number = -1;
  GetFNum(PStr(P(name)), &number);
  return number;
}

TEST(QDFontsTest, EveryInstalledFamilyRoundTripsBetweenNumberAndName) {
  const auto families = sp_platform::InstalledFontFamilies();
  ASSERT_FALSE(families.empty());
  for (std::size_t i = 0; i < families.size(); ++i) {
    const auto& f = families[i];
    // 0 means "not installed" to GetFNum's callers; sorted, one entry per family.
    EXPECT_TRUE(f.number != 0 && Number(f.name) == f.number && Name(f.number) == f.name) << f.name;
    EXPECT_TRUE(i == 0 || families[i - 1].name < f.name) << f.name;
  }
}

TEST(QDFontsTest, SystemAndApplicationFontsAreTheJapaneseFamilyByItsOwnNumber) {
  const SInt16 sys = GetSysFont();
  EXPECT_TRUE(sys != systemFont && GetAppFont() != applFont && GetDefFontSize() == 12);
  EXPECT_EQ(Name(systemFont), Name(sys));
  EXPECT_EQ(Name(applFont), Name(GetAppFont()));
  EXPECT_FALSE(Name(sys).empty());
  if (Name(sys) == "IPAGothic") {
    EXPECT_EQ(sys, 16384);
    EXPECT_EQ(Number("IPA\x83\x53\x83\x56\x83\x62\x83\x4E"), 16384);  // its Japanese name
    EXPECT_EQ(Number("ipagothic"), 0) << "names are matched exactly";
  }
  EXPECT_EQ(Number("No Such Family") + Number(""), 0);
  SInt16 number = -1;
  GetFNum(nullptr, &number);
  EXPECT_EQ(number, 0);
  GetFNum(PStr(P("x")), nullptr);  // no crash
  EXPECT_EQ(Name(12345), "");
  GetFontName(0, nullptr);                    // no crash
  const std::string text = "Width \x93\xFA";  // unknown numbers measure as the system font
  TextFont(12345);
  const SInt16 unknown = TextWidth(text.data(), 0, SInt16(text.size()));
  TextFont(0);
  EXPECT_EQ(TextWidth(text.data(), 0, SInt16(text.size())), unknown);
}

// Drawing text: where the glyphs land, the pen, transfer modes, styles and clipping.
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
      {"srcXor inverts black and white", [&] { PaintRect(&clip), TextMode(srcXor); }, 10, 20, "ab",
       22, "11,15. 17,15# 15,15. 9,15#"},
      {"srcBic erases the glyphs to the back colour", [&] { PaintRect(&clip), TextMode(srcBic); },
       10, 20, "ab", 22, "12,15. 12,22# 9,15#"},
      {"notSrcBic erases the text's box around the glyphs",
       [&] { PaintRect(&clip), TextMode(notSrcBic); }, 10, 20, "ab", 22, "12,15# 12,22. 12,10# 9,15#"},
      {"outside the pixels only the pen moves", [] {}, -500, 20, "abc", -482, "0,15. 1,15."},
  };
  const Rect all{0, 0, kHeight, kWidth}, wide{-32767, -32767, 32767, 32767};
  for (const auto& c : cases) {
    c.setUp();
    MoveTo(c.h, c.v);
    DrawString(PStr(P(c.text)));
    EXPECT_EQ(PenH(), c.penAfter) << c.what;
    EXPECT_EQ(WrongProbes(c.probes), "") << c.what;
    TextFace(normal);
    TextMode(srcOr);
    ForeColor(blackColor);
    BackColor(whiteColor);
    ClipRect(&wide);
    EraseRect(&all);
  }
}

TEST_F(QDTextDrawTest, DrawTextDrawsTheBytesAskedTwoByteCharactersWholeAndStopsAtThePlanesEdge) {
  const char text[] = "zz\x82\xA0 b";
  MoveTo(0, 30);
  DrawText(text, 2, 4);  // the two-byte character (12 px), a space (blank), "b"
  EXPECT_EQ(Ink(0, 25, 24, 26), 11 + 5);
  EXPECT_EQ(WrongProbes("10,25# 11,25. 14,25."), "");
  DrawText(nullptr, 0, 3);
  DrawString(nullptr);
  EXPECT_EQ(PenH(), 24);
  const int ink = Ink(0, 0, kWidth, kHeight);
  MoveTo(30000, 20);
  const std::string longText(1000, 'x');
  DrawText(longText.data(), 0, SInt16(longText.size()));
  EXPECT_EQ(PenH(), 32767) << "the pen stops at the edge of the coordinate plane";
  EXPECT_EQ(Ink(0, 0, kWidth, kHeight), ink);
}

// The system font (IPA Gothic) draws Japanese: ink inside the text's box, none far from it;
// a Western family draws Japanese from the system font's glyphs.
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

// Small text keeps its marks apart: in every installed family, plain and bold, a comma
// reaches below the baseline and a period does not, and in small text (12 pixels and less)
// the period stands on the row the letters stand on. IPA Gothic's period, set a little below
// its letters, reached under the baseline at 9 to 11 pixels and hung a row below the digits
// at 12: "44.100" read "44,100". And every visible character leaves ink.
TEST_F(QDTextDrawTest, APeriodStandsWithTheLettersWhereACommaReachesBelowThem) {
  sp_testing::UseFixedMetricFont(false);
  const SInt16 v = 30;
  const Rect all{0, 0, kHeight, kWidth};
  // Draws the character alone with its pen at (20, v).
  auto draw = [&](char c) {
    EraseRect(&all);
    MoveTo(20, v);
    DrawText(&c, 0, 1);
  };
  // Pixels not left white, from the row `from` down.
  auto below = [&](char c, SInt16 from = 30) {
    draw(c);
    int n = 0;
    for (SInt16 y = from; y < kHeight; ++y)
      for (SInt16 x = 10; x < 50; ++x) n += Px(x, y) != 0xFFFFFF ? 1 : 0;
    return n;
  };
  // The lowest row holding half a pixel of ink or more.
  auto foot = [&](char c) {
    draw(c);
    for (SInt16 y = kHeight - 1; y >= 0; --y) {
      UInt32 ink = 0;
      for (SInt16 x = 10; x < 50; ++x) ink += 0xFF - (Px(x, y) & 0xFF);
      if (ink >= 0x80) return int(y);
    }
    return -1;
  };
  const auto families = sp_platform::InstalledFontFamilies();
  ASSERT_FALSE(families.empty());
  for (const auto& family : families) {
    TextFont(family.number);
    for (Style face : {Style(normal), Style(bold)}) {
      TextFace(face);
      for (SInt16 size = 8; size <= 16; ++size) {
        TextSize(size);
        const std::string what =
            family.name + (face == bold ? " bold " : " ") + std::to_string(size) + " px";
        EXPECT_EQ(below('.'), 0) << what;
        EXPECT_GT(below(','), 0) << what;
        if (size <= 12) {
          EXPECT_EQ(foot('.'), foot('x')) << what;
        }
        // No visible character is fitted away (IPA Gothic's underscore was, at 9 to 12 px).
        for (char c = '!'; c <= '~'; ++c) {
          EXPECT_GT(below(c, 0), 0) << what << " '" << c << "'";
        }
      }
    }
  }
}

// Truncating text to a width: the ellipsis at the end or in the middle, whole characters only,
// and the result always fitting.
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

}  // namespace

namespace {

// Glyph images are kept between draws: the same text drawn again, at another size between and
// at another pen place, must come out as the first time, moved by the pen's step.
TEST_F(TextPortTest, TextDrawnAgainAfterAnotherSizeLooksTheSameMovedByThePen) {
  SInt16 gothic = 0;
  GetFNum(PStr(P("IPAGothic")), &gothic);
  if (gothic == 0) GTEST_SKIP() << "IPA Gothic is not installed";
  TextFont(gothic);
  const std::string text = "\x82\xA0g\x88\x9F";
  auto draw = [&](SInt16 h, SInt16 size) {
    TextSize(size);
    MoveTo(h, 40);
    DrawText(text.data(), 0, SInt16(text.size()));
  };
  draw(10, 12);
  std::vector<UInt32> first;
  for (SInt16 v = 25; v < 45; ++v)
    for (SInt16 h = 5; h < 60; ++h) first.push_back(Px(h, v));
  const int small = Ink(5, 25, 60, 45);
  EXPECT_GT(small, 10);
  Rect all{0, 0, kHeight, kWidth};
  EraseRect(&all);
  draw(70, 24);
  // The larger glyphs are drawn, not the images kept of the smaller ones.
  EXPECT_GT(Ink(60, 0, 200, 60), 2 * small);
  EraseRect(&all);
  draw(110, 12);
  std::vector<UInt32> again;
  for (SInt16 v = 25; v < 45; ++v)
    for (SInt16 h = 105; h < 160; ++h) again.push_back(Px(h, v));
  EXPECT_EQ(again, first);
}

}  // namespace
