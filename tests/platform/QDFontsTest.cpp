// The font table: numbers and names, the system and application fonts, the installed list
// and the fixed-metric test font.
#include <gtest/gtest.h>

#include <string>

#include "QDTextFixture.h"
#include "QuickDraw.h"
#include "TestFonts.h"
#include "quickdraw/internal/FontTable.h"

namespace {

using qdtext_test::P;
using qdtext_test::PStr;

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
  EXPECT_EQ(width(12345), width(0));
  EXPECT_EQ(width(GetSysFont()), width(0));
  const SInt16 realSystem = GetSysFont();
  EXPECT_FALSE(Listed(sp_testing::kFixedMetricFont));
  {
    sp_testing::FixedMetricFontScope scope;
    EXPECT_TRUE(GetSysFont() == sp_testing::kFixedMetricFont &&
                GetAppFont() == sp_testing::kFixedMetricFont);
    EXPECT_EQ(Name(systemFont), sp_testing::kFixedMetricFontName);
    EXPECT_EQ(Number(sp_testing::kFixedMetricFontName), sp_testing::kFixedMetricFont);
    EXPECT_TRUE(Listed(sp_testing::kFixedMetricFont));
    EXPECT_EQ(width(0), 6 * 6 + 12);
  }
  EXPECT_EQ(GetSysFont(), realSystem);
  EXPECT_FALSE(Listed(sp_testing::kFixedMetricFont));
  EXPECT_EQ(width(sp_testing::kFixedMetricFont), 6 * 6 + 12);
  TextFont(0);
  SetPort(saved);
}

}  // namespace
