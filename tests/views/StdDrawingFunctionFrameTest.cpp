// 3D frames and their removal, the smooth panel, the default-button ring, the caret, dotted
// lines and the zoom-rect animation, by chosen pixels.
#include <gtest/gtest.h>

#include "ErrorLogCapture.h"
#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::DrawingPortTest;
using drawing_test::kBlack;
using drawing_test::kWhite;
using drawing_test::Lightness;
using drawing_test::Pixel;
using drawing_test::R;
using drawing_test::Times;

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

TEST_F(Frames, TheSmoothPanelIsTheRoundedPanelLessItsShadowWidth) {
  const RGBColor face{20000, 30000, 50000};
  const RGBColor white{65535, 65535, 65535};
  // The panel is (10, 10) to (104, 84); the shadow runs 6 pixels on below and right.
  Sp_Draw3DSmoothPanel(R(10, 10, 90, 110), 10, 6, face, white);
  EXPECT_EQ(Px(55, 45), Pixel(face)) << "the face";
  EXPECT_EQ(Px(10, 10), kWhite) << "outside the rounded corner";
  EXPECT_EQ(Px(60, 10), Pixel(Times(face, 0.81))) << "outer rim along the top";
  EXPECT_LT(Lightness(Px(55, 86)), Lightness(Px(55, 89))) << "the shadow fades outward";
  EXPECT_LT(Lightness(Px(55, 89)), Lightness(kWhite));
  EXPECT_EQ(Px(55, 90), kWhite) << "the shadow ends 6 pixels below the panel";
  EXPECT_LT(Lightness(Px(107, 45)), Lightness(Px(109, 45))) << "and fades to the right too";
}

TEST_F(Frames, TheDefaultButtonRingIsThreePixelsThickFourOutsideTheButton) {
  const RGBColor red{65535, 0, 0};
  RGBForeColor(&red);
  GWorldPtr other = NewWorld(R(0, 0, 10, 10), kWhite);
  SetGWorld(other, nullptr);
  const Rect button = R(30, 30, 50, 90);
  Sp_DrawDialogDefaultButtonFrame(world_, &button);
  CGrafPtr now = nullptr;
  GetGWorld(&now, nullptr);
  EXPECT_EQ(now, other) << "the current port is put back";
  // The ring: (26, 26) to (54, 94), its top edge rows 26-28 and left edge columns 26-28.
  const struct {
    SInt16 h, v;
    UInt32 rgb;
  } probes[] = {{60, 25, kWhite},   {60, 26, 0xFF0000}, {60, 28, 0xFF0000},
                {60, 29, kWhite},   {26, 40, 0xFF0000}, {93, 40, 0xFF0000},
                {60, 53, 0xFF0000}, {26, 26, kWhite},  // the corner is rounded
                {40, 40, kWhite}};                     // the button itself
  for (const auto& p : probes) EXPECT_EQ(Px(p.h, p.v), p.rgb) << p.h << "," << p.v;
}

// ---- Dotted lines ----

class DottedLines : public DrawingPortTest {
 protected:
  void SetUp() override {
    DrawingPortTest::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
};

TEST_F(DottedLines, ADottedRectangleDrawnTwiceRestoresThePixelsAndKeepsInItsClip) {
  Stripes();
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
