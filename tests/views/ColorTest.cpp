// Colour arithmetic and comparison, recolouring an area, colour tables from their resources, and
// the colour picker's colours, grid and hit test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ErrorLogCapture.h"
#include "SpColorTableObj.h"
#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::ColorIs;
using drawing_test::DrawingPortTest;
using drawing_test::kBlack;
using drawing_test::kWhite;
using drawing_test::R;

TEST(StdDrawingFunctionColor, PercentagesAreClampedAndTruncatedAfterRoundingToFloat) {
  const struct {
    float r, g, b;
    UInt16 er, eg, eb;
    const char* why;
  } cases[] = {
      {50, 0, 100, 32767, 0, 65535, "50 % is 32767.5 truncated"},
      {-3, 120, 10, 0, 65535, 6553, "out of range values are clamped"},
      {150, 0.5f, 1, 65535, 327, 655, "fractions of a percent"},
      {33.3f, 66.6f, 99.9f, 21823, 43646, 65469, "the product rounded to float first"},
  };
  for (const auto& c : cases) {
    RGBColor out{1, 1, 1};
    Sp_SetRGBColorByPercentage(&out, c.r, c.g, c.b);
    EXPECT_TRUE(ColorIs(out, c.er, c.eg, c.eb)) << c.why;
  }
}

TEST(StdDrawingFunctionColor, InBetweenTruncatesTowardTheSmallerAndCapsBothEnds) {
  const RGBColor black{0, 0, 0};
  const RGBColor white{65535, 65535, 65535};
  const struct {
    RGBColor from, to;
    float rate;
    UInt16 er, eg, eb;
    const char* why;
  } cases[] = {
      {black, white, 0.5f, 32767, 32767, 32767, "half way up"},
      {white, black, 0.5f, 32767, 32767, 32767, "half way down truncates toward the smaller"},
      {white, black, -1.0f, 65535, 65535, 65535, "a negative rate counts as 0"},
      {black, RGBColor{60000, 100, 0}, 1.25f, 65535, 125, 0, "beyond the second colour, capped"},
      {RGBColor{1000, 2000, 3000}, RGBColor{1000, 1000, 1000}, 0.5f, 1000, 1500, 2000,
       "equal components stay"},
      {RGBColor{60000, 60000, 60000}, black, 1.5f, 0, 0, 0,
       "beyond black stops at 0 instead of wrapping"},
      {black, white, 0.3f, 19660, 19660, 19660, "a third of a third"},
  };
  for (const auto& c : cases) {
    RGBColor out{};
    Sp_RGBInBetweenColor(&c.from, &c.to, c.rate, &out);
    EXPECT_TRUE(ColorIs(out, c.er, c.eg, c.eb)) << c.why;
    RGBColor self = c.from;
    Sp_RGBInBetweenColor(&self, &c.to, c.rate, &self);
    EXPECT_TRUE(ColorIs(self, c.er, c.eg, c.eb)) << c.why << ", written over the first colour";
  }
}

TEST(StdDrawingFunctionColor, By255MultipliesBy257AndCompareIsOneOnlyForEqualColours) {
  RGBColor out{};
  Sp_SetRGBColorBy255(&out, 255, 128, 0);
  EXPECT_TRUE(ColorIs(out, 65535, 32896, 0));
  Sp_SetRGBColorBy255(&out, 256, 1, 2);  // beyond a byte: the low 16 bits are kept
  EXPECT_TRUE(ColorIs(out, UInt16(256 * 257), 257, 514));
  const RGBColor a{1, 2, 3};
  const RGBColor b{1, 2, 4};
  EXPECT_EQ(Sp_RGBcmp(&a, &a), 1);
  EXPECT_EQ(Sp_RGBcmp(&a, &b), 0);
  ErrorLogCapture log;
  EXPECT_EQ(Sp_RGBcmp(&a, nullptr), 0);
  EXPECT_TRUE(log.Has("Sp_RGBcmp", 1));
}

// ---- Recolouring an area ----

using ModifyAreaColor = DrawingPortTest;

UInt32 Grey(UInt8 level) {
  return UInt32(level) * 0x010101u;
}

TEST_F(ModifyAreaColor, LighteningAndScalingChangeOnlyTheRectangleAndKeepTheForeColour) {
  sp_testing::FillPort(world_, Grey(0x40));
  const RGBColor red{65535, 0, 0};
  RGBForeColor(&red);
  const Rect lighten = R(10, 10, 20, 20);
  const Rect darken = R(30, 30, 40, 40);
  Sp_ModifyAreaColor(0, &lighten, 0.5f);
  Sp_ModifyAreaColor(1, &darken, 0.5f);
  // 0x40 is 16448: half way to white is 40991 (0xA0), half of it 8224 (0x20).
  EXPECT_EQ(Px(10, 10), Grey(0xA0));
  EXPECT_EQ(Px(19, 19), Grey(0xA0));
  EXPECT_EQ(Px(20, 19), Grey(0x40)) << "the right edge is outside";
  EXPECT_EQ(Px(19, 20), Grey(0x40)) << "the bottom edge is outside";
  EXPECT_EQ(Px(35, 35), Grey(0x20));
  EXPECT_EQ(Px(29, 35), Grey(0x40));
  RGBColor fore{};
  GetForeColor(&fore);
  EXPECT_TRUE(ColorIs(fore, 65535, 0, 0)) << "the foreground colour is put back";

  // Rates past the ends stay within the component range.
  sp_testing::FillPort(world_, Grey(0x80));
  const Rect up = R(0, 0, 5, 5);
  const Rect down = R(10, 10, 15, 15);
  Sp_ModifyAreaColor(1, &up, 3.0f);
  Sp_ModifyAreaColor(0, &down, -3.0f);
  EXPECT_EQ(Px(2, 2), kWhite) << "scaled up: capped at white, no wrap";
  EXPECT_EQ(Px(12, 12), kBlack) << "lightened backwards: stops at black";
}

class ColorTable : public DrawingPortTest {};

TEST_F(ColorTable, EntriesAreFoundUpToTheSizeFieldAndNeverPastTheBytes) {
  const std::vector<RGBColor> colors = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("clut"), 700, drawing_test::Clut(2, colors)),
            noErr);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("clut"), 701, drawing_test::Clut(40, colors)),
            noErr);
  const struct {
    short id, index;
    unsigned char found;
    UInt16 red;
  } cases[] = {
      {700, 0, 1, 1},  {700, 2, 1, 7}, {700, 3, 0, 0},  // past the size field
      {700, -1, 0, 0}, {701, 2, 1, 7}, {701, 3, 0, 0},  // a size field past the bytes
      {701, 40, 0, 0}, {702, 0, 0, 0},                  // no such table
  };
  for (const auto& c : cases) {
    RGBColor out{11, 11, 11};
    EXPECT_EQ(Sp_GetColorLoolupTableColorValue(c.id, c.index, out), c.found) << c.id << c.index;
    EXPECT_EQ(out.red, c.found ? c.red : 11) << c.id << ", " << c.index;
  }

  // The table object numbers its items from 1.
  EXPECT_EQ(cSpColorTableObj(701, 0, 0).GetItemCount(), 3) << "the size field overstates";
  cSpColorTableObj table(700, 0, 0);
  RGBColor c{};
  EXPECT_EQ(table.GetTargetColor(0, c) + table.GetTargetColor(4, c), 0) << "items are 1 to 3";
  ASSERT_EQ(table.GetTargetColor(3, c), 1);
  EXPECT_TRUE(ColorIs(c, 7, 8, 9));
  short n = -1;
  EXPECT_EQ(table.SerchTargetColorNo(RGBColor{4, 5, 6}, n), 1);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(table.SerchTargetColorNo(RGBColor{4, 5, 7}, n), 0);
  table.SetupTargetItem(2);
  table.SetupTargetItem(4);
  ASSERT_EQ(table.GetCurrentTargetColorRefNum(n), 1);
  EXPECT_EQ(n, 2) << "no fourth item: the current one stays";
}

TEST(ColorTableItem, TitlesAreCutOnCharacterBoundaries) {
  cSpColorTableItemObj a;
  a.SetupColorTitle(std::string(600, 'x').c_str());
  char buffer[kSpColorTitleSize];
  a.GetColorTitle(buffer);
  EXPECT_EQ(std::strlen(buffer), kSpColorTitleSize - 1);
  a.SetupColorTitle("ab\x82\xA0");  // two letters and a two-byte character
  char small[4];
  a.GetColorTitle(small, sizeof small);
  EXPECT_STREQ(small, "ab") << "the two-byte character is not split";
}

// ---- The picker's colours and grid ----

TEST(ColorPicker, ItemColoursFollowTheGreyAndColourRules) {
  const struct {
    short item;
    UInt16 r, g, b;
    const char* why;
  } cases[] = {
      {1, 65535, 65535, 65535, "white"},
      {2, 0, 0, 0, "black"},
      {30, 3276, 3276, 3276, "grey 28: 5 % white"},
      {37, 20971, 26214, 0, "column 6: red at 32 %"},
      {41, 0, 26214, 0, "the second group starts with green"},
      {121, 65535, 0, 0, "row 4: pure red"},
      {241, 65535, 52428, 52428, "row 8: red with green and blue at 80 %"},
      {270, 65535, 52428, 55049, "the last cell: blue 84 %, red 100 %, green 80 %"},
  };
  for (const auto& c : cases) {
    RGBColor color{};
    ASSERT_EQ(SpCPF_GetItemColor(c.item, color), 1) << c.why;
    EXPECT_TRUE(ColorIs(color, c.r, c.g, c.b)) << c.item << ": " << c.why;
  }
  RGBColor none{};
  EXPECT_EQ(SpCPF_GetItemColor(0, none) + SpCPF_GetItemColor(271, none), 0);
}

TEST(ColorPicker, PointsHitTheCellWhoseAreaOrFollowingGapTheyAreIn) {
  const short left = 10, top = 20;
  const struct {
    SInt16 h, v;
    unsigned char hit;
    short item;
  } cases[] = {
      {left + 1, top + 1, 1, 1},   {left + 11, top + 1, 1, 1},     {left + 12, top + 1, 1, 2},
      {left + 1, top + 12, 1, 31}, {left + 329, top + 98, 1, 270}, {left + 330, top + 1, 0, 0},
      {left, top + 5, 0, 0},       {left + 5, top + 99, 0, 0},
  };
  for (const auto& c : cases) {
    short item = -1;
    EXPECT_EQ(SpCPR_SerchTargetItem(left, top, Point{c.v, c.h}, item), c.hit) << c.h << "," << c.v;
    EXPECT_EQ(item, c.item) << c.h << "," << c.v;
  }
  Rect area{};
  const Rect last = R(109, 330, 119, 340);
  ASSERT_EQ(SpCPR_GetTargetItemArea(270, left, top, area), 1);
  EXPECT_TRUE(EqualRect(&area, &last));
  EXPECT_EQ(SpCPR_GetTargetItemArea(0, left, top, area), 0);
  EXPECT_EQ(SpCPR_GetTargetItemArea(271, left, top, area), 0);
}

}  // namespace
