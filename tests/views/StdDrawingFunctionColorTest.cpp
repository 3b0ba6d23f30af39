// Colour arithmetic, colour tables and recolouring an area.
#include <gtest/gtest.h>

#include <vector>

#include "SpStdDrawingFunction.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::ColorIs;
using drawing_test::DrawingPortTest;
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

class StdDrawingFunctionPort : public DrawingPortTest {};

TEST_F(StdDrawingFunctionPort, LookupsFindEntriesUpToTheSizeFieldAndWithinTheBytes) {
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
}

TEST_F(StdDrawingFunctionPort, RecolouringChangesOnlyTheRectangleWithinTheComponentRange) {
  sp_testing::FillPort(world_, 0x404040u);
  const RGBColor red{65535, 0, 0};
  RGBForeColor(&red);
  const Rect lighten = R(10, 10, 20, 20), darken = R(30, 30, 40, 40);
  const Rect up = R(50, 50, 55, 55), down = R(60, 60, 65, 65);
  Sp_ModifyAreaColor(0, &lighten, 0.5f);
  Sp_ModifyAreaColor(1, &darken, 0.5f);
  Sp_ModifyAreaColor(1, &up, 5.0f);
  Sp_ModifyAreaColor(0, &down, -3.0f);
  // 0x40 is 16448: half way to white is 40991 (0xA0), half of it 8224 (0x20).
  const struct {
    SInt16 h, v;
    UInt32 rgb;
    const char* why;
  } probes[] = {
      {10, 10, 0xA0A0A0u, "lightened"},
      {19, 19, 0xA0A0A0u, "the last pixel inside"},
      {20, 19, 0x404040u, "the right edge is outside"},
      {19, 20, 0x404040u, "the bottom edge is outside"},
      {35, 35, 0x202020u, "scaled"},
      {52, 52, drawing_test::kWhite, "scaled up: capped at white, no wrap"},
      {62, 62, drawing_test::kBlack, "lightened backwards: stops at black"},
  };
  for (const auto& p : probes) EXPECT_EQ(Px(p.h, p.v), p.rgb) << p.why;
  RGBColor fore{};
  GetForeColor(&fore);
  EXPECT_TRUE(ColorIs(fore, 65535, 0, 0)) << "the foreground colour is put back";
}

}  // namespace
