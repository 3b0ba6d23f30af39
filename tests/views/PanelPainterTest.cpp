// The 3D panel painters by chosen pixels.
#include <gtest/gtest.h>

#include "SpPanelPainter.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::kWhite;
using drawing_test::Lightness;
using drawing_test::Pixel;
using drawing_test::R;

class PanelPainter : public drawing_test::DrawingPortTest {
 protected:
  const RGBColor face_{30000, 40000, 50000};
};

TEST_F(PanelPainter, TheRoundedPanelHasItsFaceRimAndAShadowDarkestNextToIt) {
  const Rect r = R(10, 10, 80, 110);
  SpDraw3DPanel(&r, 20, 6, &face_);
  const struct {
    SInt16 h, v;
    UInt32 rgb;
    const char* why;
  } probes[] = {
      {60, 45, Pixel(face_), "the face"},
      {10, 10, kWhite, "outside the rounded corner"},
      {60, 10, 0x5E7E9E, "outer rim, top: the face x 0.81"},
      {10, 30, 0x516C87, "outer rim, left: x 0.694"},
      {10, 50, 0x5C7A99, "outer rim, lower left: x 0.787"},
      {60, 11, 0x8AB8E6, "inner rim, top: x 1.18"},
      {116, 45, kWhite, "depth 6 ends at column 115"},
  };
  for (const auto& p : probes) EXPECT_EQ(Px(p.h, p.v), p.rgb) << p.why;
  // Right of the rim (columns 110, 111) the shadow runs from 40 % grey out to 98 % grey.
  EXPECT_LT(Lightness(Px(112, 45)), Lightness(Px(114, 45)));
  EXPECT_LT(Lightness(Px(114, 45)), Lightness(Px(115, 45)));
  EXPECT_LT(Lightness(Px(115, 45)), Lightness(kWhite));
}

// The rim's two-tone edges change shade 10, 15 and 30 pixels from a corner; on small panels
// those points stay on the edge instead of sending strokes past the panel.
TEST_F(PanelPainter, SmallPanelsKeepTheirRimInsideAndAWhiteFaceIsCappedNotWrapped) {
  const RGBColor white{65535, 65535, 65535};
  const Rect shortPanel = R(10, 10, 50, 110);   // 40 high: bottom - R - 30 is the top
  const Rect narrowPanel = R(70, 10, 140, 35);  // 25 wide: left + R + 30 is past the right
  const Rect whitePanel = R(10, 120, 50, 190);
  for (const Rect* r : {&shortPanel, &narrowPanel}) SpDraw3DPanel(r, 20, 0, &face_);
  SpDraw3DPanel(&whitePanel, 20, 0, &white);
  EXPECT_EQ(Px(150, 11), kWhite) << "1.18 x white is capped, not wrapped";
  EXPECT_EQ(Px(10, 12), kWhite) << "outside the rounded corner, above the left edge";
  EXPECT_EQ(Px(40, 70), kWhite) << "right of the narrow panel, on its top row";
}

// The tab panel: a tab over the full width at the top (rows 10-39), the body from column 50
// down, and a 20-pixel notch cut out of the lower right.
TEST_F(PanelPainter, TheTabPanelHasItsTabBodyNotchAndShadow) {
  const RGBColor grey{40000, 40000, 40000}, red{65535, 0, 0};
  RGBForeColor(&red);
  Sp_DrawingLeftTab3DPanelOnCurrentPort(R(10, 10, 110, 150), 10, 6, 20, 30, 40, grey, face_, 1, 5);
  EXPECT_EQ(Px(25, 25), Pixel(face_)) << "in the tab";
  EXPECT_EQ(Px(20, 70), kWhite) << "below the tab, left of the body";
  EXPECT_EQ(Px(100, 70), Pixel(face_)) << "in the body";
  EXPECT_NE(Px(140, 100), Pixel(face_)) << "in the notch";
  EXPECT_LT(Lightness(Px(100, 111)), Lightness(Px(100, 113))) << "darkest next to the panel";
  EXPECT_EQ(Px(100, 116), kWhite) << "shadow 5 deep";
  RGBColor fore{};
  GetForeColor(&fore);
  EXPECT_TRUE(drawing_test::ColorIs(fore, 65535, 0, 0)) << "the foreground colour is put back";
}

}  // namespace
