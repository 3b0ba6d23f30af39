// Measuring text (widths of one- and two-byte characters, extras, styles, font information)
// with the fixed-metric test font (exact) and the system font, and the font table.
#include <gtest/gtest.h>

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

TEST_F(QDTextMetricsTest, OnlyTheBytesAskedAreMeasuredAndTheTestFontsInformationIsExact) {
  const char text[] = "xx\x82\xA0yy";
  EXPECT_EQ(std::vector<int>({TextWidth(text, 2, 3), TextWidth(text, 0, 0), TextWidth(text, 0, -4),
                              TextWidth(nullptr, 0, 4), StringWidth(nullptr)}),
            std::vector<int>({18, 0, 0, 0, 0}));
  EXPECT_EQ(CharWidth(CharParameter(0x82A0)), 12);
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

TEST_F(QDTextMetricsTest, PortTextSettingsStartAsANewPortsAndKeepOnlyValidValues) {
  EXPECT_EQ(std::vector<int>({GetPortTextFont(world_), GetPortTextSize(world_),
                              GetPortTextFace(world_), GetPortTextMode(world_)}),
            std::vector<int>({0, 0, normal, srcOr}));
  TextFace(bold | italic | 0x80);  // the high bit is no style
  CharExtra(0x18000);
  SetPortTextSize(world_, -3);
  SetPortTextFont(nullptr, 3);  // ignored
  EXPECT_EQ(GetPortTextFace(world_), bold | italic);
  EXPECT_EQ(GetPortChExtra(world_), 2) << "rounded to whole pixels";
  EXPECT_EQ(GetPortTextSize(world_), 0);
  EXPECT_EQ(GetPortTextFont(nullptr), 0);
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

bool Listed(SInt16 number) {
  for (const auto& f : sp_platform::InstalledFontFamilies()) {
    if (f.number == number) return true;
  }
  return false;
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
  GetFontName(0, nullptr);  // no crash
}

// Unknown numbers measure as the system font; the test font stands in for the system font
// only while in use, and selected by number it is there in any case.
TEST(QDFontsTest, TestFontStandsInForTheSystemFontOnlyWhileInUse) {
  CGrafPtr saved = nullptr;
  GetPort(&saved);
  const std::string text = "Width \x93\xFA";
  auto width = [&](SInt16 font) {
    TextFont(font);
    return TextWidth(text.data(), 0, SInt16(text.size()));
  };
  EXPECT_TRUE(width(12345) == width(0) && width(GetSysFont()) == width(0));
  const SInt16 realSystem = GetSysFont();
  {
    sp_testing::FixedMetricFontScope scope;
    EXPECT_EQ(Name(systemFont), sp_testing::kFixedMetricFontName);
    EXPECT_TRUE(Listed(sp_testing::kFixedMetricFont) && width(0) == 6 * 6 + 12);
  }
  EXPECT_TRUE(GetSysFont() == realSystem && !Listed(sp_testing::kFixedMetricFont));
  EXPECT_EQ(width(sp_testing::kFixedMetricFont), 6 * 6 + 12);
  TextFont(0);
  SetPort(saved);
}

}  // namespace
