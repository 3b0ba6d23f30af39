// Text style records: defaults, changes, equality, ports; face flags; cutting strings to a
// width.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "QuickDraw.h"
#include "Script.h"
#include "SpTesting.h"
#include "SpTextStyle.h"
#include "StdDrawingFunctionTestSupport.h"
#include "TestFonts.h"

namespace {

using sp_testing::kFixedMetricFont;

class TextStyle : public drawing_test::DrawingPortTest {};

sTextStyleAttributes Defaults() {
  sTextStyleAttributes a;
  Sp_InitializeTextStyleAttribute(a);
  return a;
}

TEST_F(TextStyle, DefaultsAreTheSystemFontsAtTheDefaultSizeInBlack) {
  const sTextStyleAttributes a = Defaults();
  EXPECT_EQ(a.fontNo, GetSysFont());
  EXPECT_EQ(a.scriptCode, FontToScript(GetSysFont()));
  EXPECT_EQ(a.direction, GetSysDirection());
  EXPECT_EQ(a.size, 12);
  EXPECT_EQ(a.mode, srcOr);
  EXPECT_EQ(a.face, normal);
  EXPECT_EQ(a.charExtra, 0);
  EXPECT_EQ(a.spaceExtra, 0);
  EXPECT_EQ(std::vector<UInt8>(a.flags, a.flags + 6), (std::vector<UInt8>{5, 0, 1, 0, 1, 1}));
  for (const sTextStyleColor& c : a.colors) {
    EXPECT_EQ(c.rgb.red | c.rgb.green | c.rgb.blue, 0);
    EXPECT_EQ(c.kind, 2);
  }
}

TEST_F(TextStyle, ChangingAnAttributeSaysWhetherTheRecordChanged) {
  sTextStyleAttributes a;
  Sp_InitializeTextStyleAttribute(a);
  const SInt16 script = a.scriptCode;
  RGBColor red = {0xFFFF, 0, 0};
  const auto redValue = reinterpret_cast<unsigned long>(&red);
  const struct {
    tTextStyleAttType type;
    unsigned long value;
    Boolean changed;
    const char* why;
  } steps[] = {
      {kTextStyleAttSize, 24, 1, ""},
      {kTextStyleAttSize, 0, 1, "the default size"},
      {kTextStyleAttSize, 12, 0, "which is 12 already"},
      {kTextStyleAttFont, 0, 0, "the system font's real number, which it holds"},
      {kTextStyleAttFont, kFixedMetricFont, 1, ""},
      {kTextStyleAttFont, 0, 1, ""},
      {kTextStyleAttFace, 0x105, 1, "the low byte only: bold + underline"},
      {kTextStyleAttFace, 5, 0, ""},
      {kTextStyleAttScript, 7, 0, "fixed"},
      {kTextStyleAttDirection, 1, 0, "fixed"},
      {kTextStyleAttFlag1, 2, 1, ""},
      {kTextStyleAttFlag6, 1, 0, "the last flag, which holds 1"},
      {kTextStyleAttFlag6, 0, 1, "the last flag"},
      {kTextStyleAttFlag6 + 1, redValue, 1, "the first colour, just past the last flag"},
      {kTextStyleAttColor5, redValue, 1, "the last colour"},
      {kTextStyleAttColor1 + 2, redValue, 1, ""},
      {kTextStyleAttColor1 + 2, redValue, 0, ""},
      {kTextStyleAttColor1, 0, 0, "no colour given"},
      {17, 1, 0, "no such attribute, just past the last colour"},
      {0, 1, 0, "no such attribute"},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(SpChangeTextStyleAttribute(a, s.type, s.value), s.changed)
        << "type " << s.type << " value " << s.value << ": " << s.why;
  }
  EXPECT_TRUE(a.size == 12 && a.fontNo == GetSysFont() && a.face == (bold | underline));
  EXPECT_TRUE(a.scriptCode == script && a.flags[0] == 2 && a.colors[2].rgb.red == 0xFFFF);
  EXPECT_TRUE(a.flags[5] == 0 && a.colors[0].rgb.red == 0xFFFF && a.colors[4].rgb.red == 0xFFFF);
  SpChangeTextStyleAttribute(a, kTextStyleAttFont, 1);
  EXPECT_EQ(a.fontNo, GetAppFont());
}

TEST_F(TextStyle, EqualityLooksAtEveryFieldButTheColourKinds) {
  const std::vector<std::function<void(sTextStyleAttributes&)>> changes = {
      [](sTextStyleAttributes& a) { a.fontNo = 20; },
      [](sTextStyleAttributes& a) { a.scriptCode = 0; },
      [](sTextStyleAttributes& a) { a.direction = -1; },
      [](sTextStyleAttributes& a) { a.size = 9; },
      [](sTextStyleAttributes& a) { a.mode = srcCopy; },
      [](sTextStyleAttributes& a) { a.face = italic; },
      [](sTextStyleAttributes& a) { a.charExtra = 1; },
      [](sTextStyleAttributes& a) { a.spaceExtra = 0x8000; },
      [](sTextStyleAttributes& a) { a.flags[5] = 0; },
      [](sTextStyleAttributes& a) { a.colors[4].rgb.blue = 1; },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    sTextStyleAttributes a = Defaults();
    changes[i](a);
    EXPECT_FALSE(SpEqualTextStyleAttribute(a, Defaults())) << "change " << i;
  }
  sTextStyleAttributes a = Defaults();
  a.colors[1].kind = 7;
  EXPECT_TRUE(SpEqualTextStyleAttribute(a, Defaults()));
}

TEST_F(TextStyle, RecordReadFromAPortHoldsRealFontNumbersAndItsForeColour) {
  TextFont(applFont);
  TextSize(0);
  TextFace(bold);
  TextMode(srcCopy);
  SpaceExtra(0x18000);
  CharExtra(2 << 16);
  const RGBColor green = {0, 0xFFFF, 0};
  RGBForeColor(&green);

  sTextStyleAttributes a = Defaults();
  a.flags[2] = 9;
  a.colors[1].rgb.red = 0x1234;
  Sp_GetCurrentPortTextStyleAttribute(a);
  EXPECT_EQ(a.fontNo, GetAppFont()) << "font 1 is the application font's number";
  EXPECT_EQ(a.size, 12);
  EXPECT_EQ(a.face, bold);
  EXPECT_EQ(a.mode, srcCopy);
  EXPECT_EQ(a.spaceExtra, 0x18000);
  EXPECT_EQ(a.charExtra, 2);
  EXPECT_EQ(a.colors[0].rgb.green, 0xFFFF);
  EXPECT_EQ(a.flags[2], 9) << "what a port does not have stays";
  EXPECT_EQ(a.colors[1].rgb.red, 0x1234);
}

TEST_F(TextStyle, ApplyingARecordSetsThePortButNotItsColour) {
  sTextStyleAttributes a = Defaults();
  a.fontNo = kFixedMetricFont;
  a.size = 20;
  a.face = italic | underline;
  a.mode = srcXor;
  a.spaceExtra = 0x20000;
  a.charExtra = 3;
  a.colors[0].rgb = RGBColor{0xFFFF, 0, 0};
  Sp_SetCurrentPortTextStyleAttribute(a);
  EXPECT_EQ(GetPortTextFont(world_), kFixedMetricFont);
  EXPECT_EQ(GetPortTextSize(world_), 20);
  EXPECT_EQ(GetPortTextFace(world_), italic | underline);
  EXPECT_EQ(GetPortTextMode(world_), srcXor);
  EXPECT_EQ(GetPortSpExtra(world_), 0x20000);
  EXPECT_EQ(GetPortChExtra(world_), 3);
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_EQ(fore.red, 0);

  sTextStyleAttributes back = Defaults();
  Sp_GetCurrentPortTextStyleAttribute(back);
  back.colors[0] = a.colors[0];
  EXPECT_TRUE(SpEqualTextStyleAttribute(back, a)) << "apply then read gives the record back";
}

// ---- Face flags ------------------------------------------------------------------------------

// The eight flag bytes written as digits: plain, bold, italic, underline, outline, shadow,
// condense, extend.
sTextStyleInfo Info(const char* bits) {
  UInt8 bytes[8] = {};
  for (int i = 0; i < 8 && bits[i] != 0; ++i) bytes[i] = UInt8(bits[i] - '0');
  sTextStyleInfo info;
  static_assert(sizeof info == sizeof bytes, "eight flag bytes");
  std::memcpy(&info, bytes, sizeof info);
  return info;
}

TEST(TextStyleInfo, FacesAndFlagBytesConvertBothWaysWithThePlainByteWinning) {
  const struct {
    Style style;
    const char* bytes;
  } faces[] = {{0, "10000000"},
               {bold | underline, "01010000"},
               {italic | extend, "00100001"},
               {0x7F, "01111111"}};
  for (const auto& c : faces) {
    sTextStyleInfo info;
    std::memset(&info, 0xAA, sizeof info);
    Sp_TextStyleToTextStyleInfo(c.style, info);
    EXPECT_TRUE(Sp_EqualTextStyleInfo(info, Info(c.bytes))) << int(c.style);
    Style back = 0xFF;
    Sp_TextStyleInfoToStyle(Info(c.bytes), back);
    EXPECT_EQ(back, c.style);
  }
  Style s = 0xFF;
  Sp_TextStyleInfoToStyle(Info("11100000"), s);
  EXPECT_EQ(s, 0) << "a set plain byte wins";
}

TEST(TextStyleInfo, MergeKeepsThePlainByteRight) {
  const struct {
    const char* what;
    const char *target, *mask, *values, *merged;
  } cases[] = {
      {"bold off on bold only", "01000000", "01000000", "00000000", "10000000"},
      {"italic on keeps bold", "01000000", "00100000", "00100000", "01100000"},
      {"plain mask and values", "01110000", "10000000", "10000000", "10000000"},
      {"plain mask, bold values", "00100000", "11000000", "01000000", "01100000"},
      {"unselected bytes stay", "10000000", "00000110", "01111101", "00000100"},
  };
  for (const auto& c : cases) {
    sTextStyleInfo merged = Info(c.target);
    Sp_ChangeStyleInfoByChangeBitItem(merged, Info(c.mask), Info(c.values));
    EXPECT_TRUE(Sp_EqualTextStyleInfo(merged, Info(c.merged))) << c.what;
  }
}

// ---- Cutting a string to a width (the fixed-metric font: 6 pixels a one-byte character and
// 12 a two-byte one at size 12; the ellipsis is one byte) ------------------------------------

TEST(TextAttributeList, RecordsComeBackByIndexAndReadingAndClearingALongListTakeAStepARecord) {
  const SInt32 kRecords = 5000;
  cTextAttributeList list;
  for (SInt32 i = 1; i <= kRecords; ++i) {
    sTextStyleAttributes a = Defaults();
    a.size = SInt16(i);
    list.SetupNewAttribute(a);
  }
  ASSERT_EQ(list.GetCountItem(), kRecords);
  const UInt64 before = cTextAttributeList::StepsTaken();
  sTextStyleAttributes a;
  for (SInt32 i = 1; i <= kRecords; ++i) {
    ASSERT_EQ(list.GetNumAttribute(i, a), 1) << i;
    ASSERT_EQ(a.size, i) << "in order";
    ASSERT_EQ(list.GetNumAttribute(i, a), 1) << "the same again";
    ASSERT_EQ(list.GetNumAttribute(kRecords, a), 1) << "and the last, as appending lists do";
    ASSERT_EQ(a.size, kRecords);
  }
  list.ClearItem();
  EXPECT_LE(cTextAttributeList::StepsTaken() - before, UInt64(2 * kRecords));
  EXPECT_EQ(list.GetCountItem(), 0);

  const struct {
    SInt32 index;
    Boolean found;
    SInt16 size;
    const char* why;
  } reads[] = {
      {3, 1, 3, "a record after the first ones"},
      {1, 1, 1, "back to the first"},
      {4, 1, 4, "the last"},
      {2, 1, 2, "back again"},
      {0, 0, 12, "before the first: the defaults"},
      {5, 0, 12, "past the last: the defaults"},
      {-1, 0, 12, "a negative index: the defaults"},
  };
  for (SInt16 size = 1; size <= 4; ++size) {
    sTextStyleAttributes r = Defaults();
    r.size = size;
    list.SetupNewAttribute(r);
  }
  for (const auto& r : reads) {
    EXPECT_EQ(list.GetNumAttribute(r.index, a), r.found) << r.why;
    EXPECT_EQ(a.size, r.size) << r.why;
  }
}

TEST_F(TextStyle, StringsAreCutToTheWidthOnWholeCharacters) {
  TextFont(kFixedMetricFont);
  TextSize(12);
  const std::string kana = "\x82\xA0\x82\xA2\x82\xA4";  // three two-byte characters, 36 wide
  const struct {
    std::string src;
    SInt16 width, truncWhere;
    std::string out;
    SInt16 newWidth;
  } cases[] = {
      {"abc", 18, truncEnd, "abc", 18},
      {"abc", 100, truncEnd, "abc", 18},
      {"abcdef", 24, truncEnd, "abc\xFF", 24},
      {"abcdef", 25, truncMiddle, "ab\xFF\x66", 24},  // \x66 is f
      {"abcdef", 0, truncEnd, "", 0},
      {kana, 30, truncEnd, "\x82\xA0\x82\xA2\xFF", 30},
      {kana, 29, truncEnd, "\x82\xA0\xFF", 18},  // a character is never split
      {"", 10, truncEnd, "", 0},
  };
  for (const auto& c : cases) {
    char out[64];
    std::memset(out, 'Z', sizeof out);
    SInt16 srcLength = -1, newLength = -1, newWidth = -1;
    Sp_CutStringByWidth(c.src.c_str(), c.width, c.truncWhere, out, srcLength, newLength, newWidth);
    SCOPED_TRACE(c.src + " into " + std::to_string(c.width));
    EXPECT_EQ(std::string(out), c.out);
    EXPECT_EQ(srcLength, SInt16(c.src.size()));
    EXPECT_EQ(newLength, SInt16(c.out.size()));
    EXPECT_EQ(newWidth, c.newWidth);
  }
}

TEST_F(TextStyle, CuttingOnAnotherPortUsesTheStyleAndRestoresEverything) {
  TextFont(kFixedMetricFont);
  TextSize(12);
  TextFace(bold);
  SetGWorld(savedPort_, savedDevice_);

  sTextStyleAttributes big = Defaults();
  big.fontNo = kFixedMetricFont;
  big.size = 24;  // 12 pixels a one-byte character
  char out[16];
  SInt16 srcLength = 0, newLength = 0, newWidth = 0;
  Sp_CutStringByWidthOnTargetPort(world_, &big, "abcdef", 48, truncEnd, out, &srcLength,
                                  &newLength, &newWidth);
  EXPECT_STREQ(out, "abc\xFF");
  EXPECT_EQ(srcLength, 6);
  EXPECT_EQ(newLength, 4);
  EXPECT_EQ(newWidth, 48);

  GrafPtr now = nullptr;
  GetPort(&now);
  EXPECT_EQ(now, GrafPtr(savedPort_)) << "the current port is back";
  EXPECT_EQ(GetPortTextSize(world_), 12) << "the port's own style is back";
  EXPECT_EQ(GetPortTextFace(world_), bold);

  // Without a style the port's own (bold adds a pixel a character: 7) measures.
  Sp_CutStringByWidthOnTargetPort(world_, nullptr, "abcdef", 42, truncEnd, out, nullptr, nullptr,
                                  &newWidth);
  EXPECT_STREQ(out, "abcdef");
  EXPECT_EQ(newWidth, 42);
}

}  // namespace

namespace {

// The longest text a cut takes is 32,767 bytes; a longer one is taken as its first 32,767.
TEST_F(TextStyle, TextsAreTakenUpToTheLongestLengthAndCutThere) {
  TextFont(kFixedMetricFont);
  TextSize(12);
  const struct {
    std::size_t length;
    SInt16 taken;
  } cases[] = {{32766, 32766}, {32767, 32767}, {32768, 32767}, {40000, 32767}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string src(c.length, 'a');
    std::vector<char> out(c.length + 2, 'Z');
    SInt16 srcLength = -1, newLength = -1, newWidth = -1;
    Sp_CutStringByWidth(src.c_str(), 24, truncEnd, out.data(), srcLength, newLength, newWidth);
    EXPECT_EQ(srcLength, c.taken);
    EXPECT_EQ(std::string(out.data()), "aaa\xFF") << "cut to the width";
    EXPECT_EQ(out[std::size_t(c.taken) + 1], 'Z') << "nothing written past the taken text";
  }
}

}  // namespace
