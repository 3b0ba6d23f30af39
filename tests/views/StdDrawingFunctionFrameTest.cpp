// 3D frames and their removal, and dotted rectangles, by chosen pixels.
#include <gtest/gtest.h>

#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::DrawingPortTest;
using drawing_test::kBlack;
using drawing_test::kWhite;
using drawing_test::R;

// The frame's colours on a port whose background is white: frame grey 6898 (0x1A), shade
// 19660 (white x 3 / 10, 0x4C), mid (65535 + 6898) / 2 = 36216 (0x8D).
constexpr UInt32 kFrame = 0x1A1A1A;
constexpr UInt32 kShade = 0x4C4C4C;
constexpr UInt32 kMid = 0x8D8D8D;
constexpr UInt32 kGround = 0x808080;

class Frames : public DrawingPortTest {
 protected:
  // The rectangle is columns and rows 20-39.
  const Rect rect_ = R(20, 20, 40, 40);
};

TEST_F(Frames, TheSunkenFrameIsDarkAboveAndLeftAndWhiteBelowAndRight) {
  sp_testing::FillPort(world_, kGround);
  Sp_Draw3DFrame(nullptr, &rect_, kSp3DFrameSunken);
  const struct {
    SInt16 h, v;
    UInt32 rgb;
    const char* why;
  } probes[] = {
      {18, 30, kShade, "left, outer column"}, {19, 30, kFrame, "left, the frame"},
      {30, 18, kMid, "top, outer row"},       {30, 19, kFrame, "top, the frame"},
      {40, 30, kFrame, "right, the frame"},   {41, 30, kGround, "between frame and light"},
      {42, 30, kWhite, "right, the light"},   {30, 42, kWhite, "bottom, the light row"},
      {30, 30, kGround, "the inside"},        {20, 20, kGround, "the rectangle's corner"},
  };
  for (const auto& p : probes) EXPECT_EQ(Px(p.h, p.v), p.rgb) << p.why;
}

TEST_F(Frames, DeletingAFrameErasesAllOfItAndNothingElse) {
  const RGBColor black{0, 0, 0};
  for (t3DRectDrowType type : {kSp3DFrameSunken, kSp3DFrameRaised}) {
    sp_testing::FillPort(world_, kWhite);
    SetCPixel(30, 30, &black);  // inside the rectangle
    SetCPixel(45, 30, &black);  // outside the ring
    const std::vector<UInt32> before = AllPixels();
    Sp_Draw3DFrame(world_, &rect_, type);
    Sp_Delete3DFrame(world_, &rect_, type);
    EXPECT_TRUE(AllPixels() == before) << "type " << type;
  }
}

// ---- Dotted lines ----

TEST_F(Frames, ADottedRectangleDrawnTwiceRestoresThePixelsAndKeepsInItsClip) {
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);  // the application's dot pattern
  // Distinct colours everywhere, so that inverted or restored pixels can be told apart.
  for (SInt16 v = 0; v < kHeight; ++v) {
    for (SInt16 h = 0; h < kWidth; ++h) {
      const RGBColor c{UInt16((h * 5 + 10) % 256 * 257), UInt16((v * 7 + 20) % 256 * 257),
                       UInt16((h + v) * 3 % 256 * 257)};
      SetCPixel(h, v, &c);
    }
  }
  const std::vector<UInt32> before = AllPixels();
  const Rect clip = R(10, 10, 60, 60);
  const Rect rect = R(20, 20, 80, 50);
  Sp_DrawDotRect(&clip, &rect);
  // The dots follow the port's pattern grid: even columns of a horizontal edge, even rows of
  // a vertical one.
  const struct {
    SInt16 h, v;
    bool changed;
    const char* why;
  } probes[] = {
      {22, 20, true, "a dot of the top edge"},    {21, 20, false, "a gap of the top edge"},
      {20, 22, true, "a dot of the left edge"},   {20, 21, false, "a gap of the left edge"},
      {20, 58, true, "the last row in the clip"}, {20, 59, false, "the clip is inset by one"},
      {50, 30, true, "a dot of the right edge"},
  };
  for (const auto& p : probes) {
    EXPECT_EQ(Px(p.h, p.v) != before[std::size_t(p.v * kWidth + p.h)], p.changed) << p.why;
  }
  Sp_DrawDotRect(&clip, &rect);
  EXPECT_TRUE(AllPixels() == before);
  PenState pen{};
  GetPenState(&pen);
  EXPECT_EQ(pen.pnMode, patCopy);
}

}  // namespace
