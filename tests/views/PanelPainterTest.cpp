// The 3D panel painters by chosen pixels, and a rendered sample to look at.
#include <gtest/gtest.h>

#include "ErrorLogCapture.h"
#include "SpPanelPainter.h"
#include "SpStdDrawingFunction.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::DrawingPortTest;
using drawing_test::kWhite;
using drawing_test::Lightness;
using drawing_test::Pixel;
using drawing_test::R;
using drawing_test::Times;

class PanelPainter : public DrawingPortTest {
 protected:
  const RGBColor face_{30000, 40000, 50000};
};

TEST_F(PanelPainter, TheRoundedPanelHasItsFaceRimAndAShadowDarkestNextToIt) {
  const Rect r = R(10, 10, 80, 110);
  SpDraw3DPanel(&r, 20, 6, &face_);
  EXPECT_EQ(Px(60, 45), Pixel(face_));
  EXPECT_EQ(Px(10, 10), kWhite) << "outside the rounded corner";
  EXPECT_EQ(Px(60, 10), Pixel(Times(face_, 0.81))) << "outer rim, top";
  EXPECT_EQ(Px(10, 30), Pixel(Times(face_, 0.694))) << "outer rim, left";
  EXPECT_EQ(Px(10, 50), Pixel(Times(face_, 0.787))) << "outer rim, lower left";
  EXPECT_EQ(Px(60, 11), Pixel(Times(face_, 1.18))) << "inner rim, top";
  // Right of the rim (columns 110, 111) the shadow runs from 40 % grey out to 98 % grey.
  const int nearer = Lightness(Px(112, 45));
  const int middle = Lightness(Px(114, 45));
  const int farther = Lightness(Px(115, 45));
  EXPECT_LT(nearer, middle);
  EXPECT_LT(middle, farther);
  EXPECT_LT(farther, Lightness(kWhite));
  EXPECT_EQ(Px(116, 45), kWhite) << "depth 6 ends at column 115";
}

TEST_F(PanelPainter, RatesAboveOneStayWhiteOnAWhiteFace) {
  sp_testing::FillPort(world_, 0x000000);
  const RGBColor white{65535, 65535, 65535};
  const Rect r = R(10, 10, 80, 110);
  SpDraw3DPanel(&r, 20, 0, &white);
  EXPECT_EQ(Px(60, 11), kWhite) << "1.18 x white is capped, not wrapped";
  EXPECT_EQ(Px(60, 10), Pixel(Times(white, 0.81)));
}

// The rim's two-tone edges change shade 10, 15 and 30 pixels from a corner; on small panels
// those points stay on the edge instead of sending strokes past the panel.
TEST_F(PanelPainter, SmallPanelsKeepTheirRimInside) {
  const Rect shortPanel = R(10, 10, 50, 110);  // 40 high: bottom - R - 30 is the top
  SpDraw3DPanel(&shortPanel, 20, 0, &face_);
  EXPECT_EQ(Px(10, 12), kWhite) << "outside the rounded corner, above the left edge";
  const Rect narrowPanel = R(70, 10, 140, 35);  // 25 wide: left + R + 30 is past the right
  SpDraw3DPanel(&narrowPanel, 20, 0, &face_);
  EXPECT_EQ(Px(40, 70), kWhite) << "right of the panel, on its top row";
  const RGBColor grey{40000, 40000, 40000};
  const Rect tab = R(100, 60, 150, 190);  // a tab 20 high: top + tabHeight - R - 30 is above
  Sp_DrawingLeftTab3DPanelOnCurrentPort(tab, 10, 6, 0, 20, 40, grey, face_, 0, 0);
  EXPECT_EQ(Px(60, 90), kWhite) << "above the tab panel";
}

// The tab panel: a tab over the full width at the top (rows 10-39), the body from column 50
// down, and a 20-pixel notch cut out of the lower right.
TEST_F(PanelPainter, TheTabPanelHasItsTabBodyNotchAndShadow) {
  const Rect r = R(10, 10, 110, 150);
  const RGBColor grey{40000, 40000, 40000};
  const RGBColor red{65535, 0, 0};
  RGBForeColor(&red);
  Sp_DrawingLeftTab3DPanelOnCurrentPort(r, 10, 6, 20, 30, 40, grey, face_, 1, 5);
  EXPECT_EQ(Px(25, 25), Pixel(face_)) << "in the tab";
  EXPECT_EQ(Px(20, 70), kWhite) << "below the tab, left of the body";
  EXPECT_EQ(Px(100, 70), Pixel(face_)) << "in the body";
  EXPECT_NE(Px(140, 100), Pixel(face_)) << "in the notch";
  EXPECT_LT(Lightness(Px(100, 112)), Lightness(kWhite)) << "shadow below the body";
  EXPECT_EQ(Px(100, 116), kWhite) << "shadow 5 deep";
  EXPECT_LT(Lightness(Px(100, 111)), Lightness(Px(100, 113))) << "darkest next to the panel";
  RGBColor fore{};
  GetForeColor(&fore);
  EXPECT_EQ(fore.red, 65535) << "the foreground colour is put back";
  EXPECT_EQ(fore.green, 0);
}

}  // namespace
