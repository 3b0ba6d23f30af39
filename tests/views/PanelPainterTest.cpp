// The 3D panel painters by chosen pixels, and a rendered sample to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>

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

TEST_F(PanelPainter, DepthZeroPaintsNoShadowAndTheCallLeavesPenAndColour) {
  const Rect r = R(10, 10, 80, 110);
  const RGBColor red{65535, 0, 0};
  RGBForeColor(&red);
  PenSize(3, 3);
  SpDraw3DPanel(&r, 20, 0, &face_);
  EXPECT_EQ(Px(60, 45), Pixel(face_));
  EXPECT_EQ(Px(113, 45), kWhite);
  EXPECT_EQ(Px(60, 83), kWhite);
  RGBColor fore{};
  GetForeColor(&fore);
  EXPECT_EQ(fore.red, 65535);
  PenState pen{};
  GetPenState(&pen);
  EXPECT_EQ(pen.pnSize.h, 3);
}

TEST_F(PanelPainter, CornerDiameterOneGivesSquareCorners) {
  const Rect r = R(10, 10, 80, 110);
  SpDraw3DPanel(&r, 1, 0, &face_);
  EXPECT_NE(Px(10, 10), kWhite);
  EXPECT_NE(Px(109, 10), kWhite);
  EXPECT_NE(Px(10, 79), kWhite);
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

TEST_F(PanelPainter, ANullPanelIsRecordedAndDrawsNothing) {
  ErrorLogCapture log;
  SpDraw3DPanel(nullptr, 20, 6, &face_);
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Records()[0].source, "SpStdDrawingFunction.cpp");
  EXPECT_EQ(log.Records()[0].message, "Required argument is null !! ");
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

TEST_F(PanelPainter, TheTabPanelWithoutShadowKeepsTheGroundAroundIt) {
  const Rect r = R(10, 10, 110, 150);
  const RGBColor grey{40000, 40000, 40000};
  Sp_DrawingLeftTab3DPanelOnCurrentPort(r, 10, 6, 0, 30, 40, grey, face_, 0, 5);
  EXPECT_EQ(Px(100, 113), kWhite);
  EXPECT_EQ(Px(153, 60), kWhite);
  EXPECT_EQ(Px(140, 100), Pixel(face_)) << "no notch: the corner is the body";
}

// Renders frames, a panel with its shadow, a soft shadow and Japanese text into a GWorld and
// writes it as a PNG for a person to look at.
TEST_F(PanelPainter, RendersASampleToLookAt) {
  GWorldPtr sample = NewWorld(R(0, 0, 220, 360), 0xE8E8E8);
  SetGWorld(sample, nullptr);
  RGBColor back{};
  Sp_SetRGBColorByPercentage(&back, 91, 91, 91);
  RGBBackColor(&back);

  RGBColor panel{}, shadow{};
  Sp_SetRGBColorByPercentage(&panel, 72, 82, 95);
  Sp_SetRGBColorByPercentage(&shadow, 60, 60, 60);
  Sp_Draw3DSmoothPanel(R(12, 12, 130, 220), 12, 6, panel, shadow);
  PenNormal();

  const Rect box = R(40, 30, 70, 200);
  const RGBColor white{65535, 65535, 65535};
  RGBForeColor(&white);
  PaintRect(&box);
  Sp_Draw3DFrame(nullptr, &box, kSp3DFrameSunken);

  const char text[] =
      "\x97\xA7\x91\xCC\x83\x70\x83\x6C\x83\x8B\x82\xC6\x89\x65\x82\xCC\x8C"
      "\xA9\x96\x7B";  // the sample's Japanese title
  TextFont(systemFont);
  TextSize(14);
  const RGBColor ink{0, 0, 0};
  RGBForeColor(&ink);
  Sp_DrawStringInRect(text, &box, kSpPositionCenter, kSpPositionCenter, 4, 4, 0, 0, 1, 1, 1, 1,
                      nullptr);

  const Rect card = R(150, 240, 200, 340);
  Sp_DrawShadowRectOnCurrentPort(R(156, 246, 206, 346), 45, 4, nullptr, 0);
  RGBForeColor(&white);
  PaintRect(&card);
  Sp_Draw3DFrameVer2(nullptr, &card, &panel, 0.3f, 0.3f, kSp3DFrameRaised, 0);

  RGBColor red{};
  Sp_SetRGBColorBy255(&red, 200, 40, 40);
  const Rect tabPanel = R(140, 20, 205, 215);
  Sp_DrawingLeftTab3DPanelOnCurrentPort(tabPanel, 10, 6, 12, 24, 60, shadow, red, 1, 4);

  const std::string path = ::testing::TempDir() + "views-panel-sample.png";
  ASSERT_TRUE(sp_testing::SnapshotPort(sample, path));
  std::cout << "[ sample ] " << path << std::endl;
  RecordProperty("sample", path);

  // The title was drawn: some dark pixels inside the box.
  int dark = 0;
  for (SInt16 v = box.top; v < box.bottom; ++v) {
    for (SInt16 h = box.left; h < box.right; ++h) {
      if (Lightness(sp_testing::ReadPixel(sample, h, v)) < 3 * 0x60) ++dark;
    }
  }
  EXPECT_GT(dark, 40);
  EXPECT_LT(Lightness(sp_testing::ReadPixel(sample, 343, 190)),
            Lightness(sp_testing::ReadPixel(sample, 350, 190)))
      << "the card's shadow";
}

}  // namespace
