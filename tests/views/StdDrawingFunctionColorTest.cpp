// Colour arithmetic, colour tables and recolouring an area.
#include <gtest/gtest.h>

#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "SpStdDrawingFunction.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::ColorIs;
using drawing_test::DrawingPortTest;
using drawing_test::Grey;
using drawing_test::R;

bool Same(const RGBColor& a, const RGBColor& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

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
  }
}

TEST(StdDrawingFunctionColor, InBetweenMayWriteOverItsOwnArgument) {
  RGBColor c{0, 30000, 65535};
  const RGBColor white{65535, 65535, 65535};
  Sp_RGBInBetweenColor(&c, &white, 0.5f, &c);
  EXPECT_TRUE(ColorIs(c, 32767, 47767, 65535));
}

// ---- Colour tables ----

std::vector<UInt8> Clut(SInt16 sizeField, const std::vector<RGBColor>& colors) {
  std::vector<UInt8> bytes(8 + colors.size() * 8, 0);
  sp::StoreBE16(&bytes[6], UInt16(sizeField));
  for (std::size_t i = 0; i < colors.size(); ++i) {
    UInt8* entry = &bytes[8 + i * 8];
    sp::StoreBE16(entry, UInt16(i));
    sp::StoreBE16(entry + 2, colors[i].red);
    sp::StoreBE16(entry + 4, colors[i].green);
    sp::StoreBE16(entry + 6, colors[i].blue);
  }
  return bytes;
}

class ColorLookupTable : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::ResetResources(); }
  void TearDown() override { sp_testing::ResetResources(); }
};

TEST_F(ColorLookupTable, EntriesUpToTheSizeFieldAreFoundAndNoFurther) {
  const std::vector<RGBColor> colors = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("clut"), 700, Clut(2, colors)), noErr);
  const struct {
    short index;
    unsigned char found;
    RGBColor color;
  } cases[] = {
      {0, 1, {1, 2, 3}},
      {2, 1, {7, 8, 9}},
      {3, 0, {}},  // ctSize + 1
      {-1, 0, {}},
  };
  for (const auto& c : cases) {
    RGBColor out{11, 11, 11};
    EXPECT_EQ(Sp_GetColorLoolupTableColorValue(700, c.index, out), c.found) << c.index;
    if (c.found) {
      EXPECT_TRUE(Same(out, c.color)) << c.index;
    }
  }
}

TEST_F(ColorLookupTable, ASizeFieldLargerThanTheBytesNeverReadsPastThem) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("clut"), 701, Clut(40, {{1, 2, 3}, {4, 5, 6}})),
            noErr);
  RGBColor out{};
  EXPECT_EQ(Sp_GetColorLoolupTableColorValue(701, 1, out), 1);
  EXPECT_EQ(Sp_GetColorLoolupTableColorValue(701, 2, out), 0);
  EXPECT_EQ(Sp_GetColorLoolupTableColorValue(701, 40, out), 0);
}

// ---- Recolouring an area ----

class ModifyAreaColor : public DrawingPortTest {};

TEST_F(ModifyAreaColor, LighteningAndScalingChangeOnlyTheRectangle) {
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
  EXPECT_TRUE(Same(fore, red)) << "the foreground colour is put back";
}

TEST_F(ModifyAreaColor, RatesPastTheEndsStayWithinTheComponentRange) {
  sp_testing::FillPort(world_, Grey(0x80));
  const Rect up = R(0, 0, 5, 5);
  const Rect down = R(10, 10, 15, 15);
  Sp_ModifyAreaColor(1, &up, 3.0f);
  Sp_ModifyAreaColor(0, &down, -3.0f);
  EXPECT_EQ(Px(2, 2), drawing_test::kWhite) << "scaled up: capped at white, no wrap";
  EXPECT_EQ(Px(12, 12), drawing_test::kBlack) << "lightened backwards: stops at black";
}

}  // namespace
