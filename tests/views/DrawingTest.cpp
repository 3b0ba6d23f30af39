// 3D frames (also coloured ones) and their removal, 3D and smooth panels, the caret, points on
// circles, arcs as line segments and soft shadows, by chosen pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "SpPanelPainter.h"
#include "SpStdDrawingFunction.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::DrawingPortTest;
using drawing_test::kBlack;
using drawing_test::kWhite;
using drawing_test::Lightness;
using drawing_test::R;

// The frame's colours on a port whose background is white: frame grey 6898 (0x1A), shade
// 19660 (white x 3 / 10, 0x4C), mid (65535 + 6898) / 2 = 36216 (0x8D).
constexpr UInt32 kFrame = 0x1A1A1A;
constexpr UInt32 kShade = 0x4C4C4C;
constexpr UInt32 kMid = 0x8D8D8D;
constexpr UInt32 kGround = 0x808080;

class Drawing : public DrawingPortTest {
 protected:
  const Rect rect_ = R(20, 20, 40, 40);  // columns and rows 20-39
  const RGBColor face_{30000, 40000, 50000};
};

TEST_F(Drawing, TheSunkenFrameIsDarkAboveAndLeftAndWhiteBelowAndRight) {
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

TEST_F(Drawing, DeletingAFrameErasesAllOfItAndNothingElse) {
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

TEST_F(Drawing, TheRoundedPanelHasItsFaceRimAndAShadowDarkestNextToIt) {
  const Rect r = R(10, 10, 80, 110);
  SpDraw3DPanel(&r, 20, 6, &face_);
  const struct {
    SInt16 h, v;
    UInt32 rgb;
    const char* why;
  } probes[] = {
      {60, 45, 0x759CC3, "the face"},
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
TEST_F(Drawing, SmallPanelsKeepTheirRimInsideAndAWhiteFaceIsCappedNotWrapped) {
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

// ---- Coloured frames, the smooth panel, the caret --------------------------------------------

// The pixel value of a colour, and a grey of this byte in every channel.
UInt32 Pixel(const RGBColor& c) {
  return (UInt32(c.red >> 8) << 16) | (UInt32(c.green >> 8) << 8) | UInt32(c.blue >> 8);
}
UInt32 Grey(UInt8 level) {
  return UInt32(level) * 0x010101u;
}
// The colour scaled as the drawing code scales it (by a float factor, capped at white).
RGBColor Times(const RGBColor& c, double factor) {
  auto scale = [factor](UInt16 v) -> UInt16 {
    const double s = double(v) * double(float(factor));
    return s >= 65535.0 ? UInt16(65535) : UInt16(s);
  };
  return RGBColor{scale(c.red), scale(c.green), scale(c.blue)};
}

TEST_F(Drawing, TheColouredFrameMixesItsEdgesFromTheBaseColour) {
  const RGBColor base{32767, 32767, 32767};
  // Dark: 32767 x 0.7 = 22936 (0x59); light: 32767 + 32768 x 0.3 = 42597 (0xA6). Outside the
  // rectangle when sunken, inside it when raised.
  const struct {
    t3DRectDrowType type;
    unsigned char outside;
    std::vector<std::tuple<SInt16, SInt16, UInt32>> probes;
  } cases[] = {
      {kSp3DFrameSunken, 1,
       {{19, 30, Grey(0x59)}, {18, 30, Grey(0x59)}, {30, 19, Grey(0x59)}, {30, 18, Grey(0x59)},
        {40, 30, Grey(0xA6)}, {41, 30, Grey(0xA6)}, {30, 40, Grey(0xA6)}, {30, 41, Grey(0xA6)},
        {20, 30, kGround}}},
      {kSp3DFrameRaised, 0,
       {{20, 30, Grey(0xA6)}, {21, 30, Grey(0xA6)}, {22, 30, kGround}, {38, 30, Grey(0x59)},
        {39, 30, Grey(0x59)}, {30, 39, Grey(0x59)}, {19, 30, kGround}, {40, 30, kGround}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    sp_testing::FillPort(world_, kGround);
    Sp_Draw3DFrameVer2(nullptr, &rect_, &base, 0.3f, 0.3f, c.type, c.outside);
    for (const auto& [h, v, rgb] : c.probes) EXPECT_EQ(Px(h, v), rgb) << h << "," << v;
  }
}

TEST_F(Drawing, TheSmoothPanelHasRoundCornersAFadingShadowAndABevel) {
  const RGBColor face{20000, 30000, 50000};
  const RGBColor shadow{65535, 65535, 65535};
  // The panel is (10, 10) to (104, 84); the shadow runs 6 pixels on below and right.
  Sp_Draw3DSmoothPanel(R(10, 10, 90, 110), 10, 6, face, shadow);
  EXPECT_EQ(Px(55, 45), Pixel(face)) << "the face";
  EXPECT_EQ(Px(10, 10), kWhite) << "outside the rounded corner";
  EXPECT_EQ(Px(60, 10), Pixel(Times(face, 0.81))) << "outer rim along the top";
  EXPECT_EQ(Px(60, 11), Pixel(Times(face, 1.18))) << "inner rim along the top";
  EXPECT_EQ(Px(10, 30), Pixel(Times(face, 0.694))) << "outer rim down the left";
  EXPECT_EQ(Px(11, 30), Pixel(Times(face, 1.18))) << "inner rim down the left";
  // Below the bevel's bottom rows (84, 85) the shadow fades from the panel outward.
  const UInt32 near = Px(55, 86);
  const UInt32 middle = Px(55, 88);
  const UInt32 far = Px(55, 89);
  EXPECT_LT(Lightness(near), Lightness(middle));
  EXPECT_LT(Lightness(middle), Lightness(far));
  EXPECT_LT(Lightness(far), Lightness(kWhite));
  EXPECT_EQ(Px(55, 90), kWhite) << "the shadow ends 6 pixels below the panel";
  EXPECT_LT(Lightness(Px(107, 45)), Lightness(Px(109, 45))) << "and fades to the right too";
  PenState pen{};
  GetPenState(&pen);
  EXPECT_EQ(pen.pnSize.h, 2) << "the bevel leaves its pen";
}

TEST_F(Drawing, ACaretDrawnTwiceRestoresThePixels) {
  for (SInt16 v = 0; v < kHeight; ++v) {
    for (SInt16 h = 0; h < kWidth; ++h) {
      const RGBColor c{UInt16((h * 5 + 10) % 256 * 257), UInt16((v * 7 + 20) % 256 * 257),
                       UInt16((h + v) * 3 % 256 * 257)};
      SetCPixel(h, v, &c);
    }
  }
  const std::vector<UInt32> before = AllPixels();
  const Rect clip = R(0, 0, 20, 100);
  PenSize(4, 4);
  Sp_DrawCaret(&clip, Point{5, 10}, Point{30, 10}, 2);
  EXPECT_NE(Px(10, 10), before[10 * kWidth + 10]) << "inverted";
  EXPECT_NE(Px(11, 15), before[15 * kWidth + 11]) << "two pixels wide";
  EXPECT_EQ(Px(12, 15), before[15 * kWidth + 12]);
  EXPECT_EQ(Px(10, 25), before[25 * kWidth + 10]) << "cut at the clip rectangle";
  PenState pen{};
  GetPenState(&pen);
  EXPECT_EQ(pen.pnSize.h, 1) << "a normal pen afterwards";
  EXPECT_EQ(pen.pnMode, patCopy);
  Sp_DrawCaret(&clip, Point{5, 10}, Point{30, 10}, 2);
  EXPECT_TRUE(AllPixels() == before);
}

TEST_F(Drawing, TheDefaultButtonRingPutsTheCurrentPortBack) {
  const RGBColor red{65535, 0, 0};
  RGBForeColor(&red);
  GWorldPtr other = nullptr;
  const Rect small = R(0, 0, 10, 10);
  ASSERT_EQ(NewGWorld(&other, 32, &small, nullptr, nullptr, 0), noErr);
  SetGWorld(other, nullptr);
  const Rect button = R(30, 30, 50, 90);
  Sp_DrawDialogDefaultButtonFrame(world_, &button);
  CGrafPtr now = nullptr;
  GetGWorld(&now, nullptr);
  EXPECT_EQ(now, other);
  // The ring runs from (26, 26) to (54, 94), three pixels thick, with rounded corners.
  EXPECT_EQ(Px(60, 25), kWhite);
  EXPECT_EQ(Px(60, 28), 0xFF0000u);
  EXPECT_EQ(Px(60, 29), kWhite);
  EXPECT_EQ(Px(26, 26), kWhite);
  SetGWorld(world_, nullptr);
  DisposeGWorld(other);
}

TEST_F(Drawing, ADottedRectangleDrawnTwiceRestoresThePixelsAndKeepsInItsClip) {
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);  // the application's dot pattern
  for (SInt16 v = 0; v < 80; ++v) {
    for (SInt16 h = 0; h < 100; ++h) {
      const RGBColor c{UInt16((h * 5 + 10) % 256 * 257), UInt16((v * 7 + 20) % 256 * 257), 0};
      SetCPixel(h, v, &c);
    }
  }
  const std::vector<UInt32> before = AllPixels();
  const Rect clip = R(10, 10, 60, 60);
  const Rect rect = R(20, 20, 80, 50);
  Sp_DrawDotRect(&clip, &rect);
  EXPECT_NE(Px(22, 20), before[22 + 20 * kWidth]) << "a dot of the top edge";
  EXPECT_EQ(Px(21, 20), before[21 + 20 * kWidth]) << "a gap of the top edge";
  EXPECT_NE(Px(20, 58), before[20 + 58 * kWidth]) << "the last row in the clip";
  EXPECT_EQ(Px(20, 59), before[20 + 59 * kWidth]) << "the clip is inset by one";
  Sp_DrawDotRect(&clip, &rect);
  EXPECT_TRUE(AllPixels() == before);
}

TEST(CirclePosition, PointsOnACircleAreExactAtQuartersAndTruncatedElsewhere) {
  const Point c{100, 100};  // v, h
  const struct {
    short radius;
    float angle;
    SInt16 h, v;
    const char* why;
  } cases[] = {
      {10, 0, 100, 90, "12 o'clock"},
      {10, 90, 110, 100, "3 o'clock"},
      {10, 180, 100, 110, "6 o'clock"},
      {10, 270, 90, 100, "9 o'clock"},
      {10, 45, 107, 93, "7.07 truncated toward the centre"},
      {10, -90, 90, 100, "a negative angle gets a turn added"},
      {10, 450, 110, 100, "whole turns are dropped"},
      {10, 720.5f, 100, 91, "the fraction is kept: -9.9996 truncates to -9"},
      {10, -405, 93, 93, "-405 is 315 degrees"},
      {0, 45, 100, 100, "radius 0 is the centre"},
  };
  for (const auto& t : cases) {
    Point out{};
    Sp_GetCerclePosition(c, t.radius, t.angle, out);
    EXPECT_TRUE(out.h == t.h && out.v == t.v) << t.why << ": " << out.h << ", " << out.v;
  }
}

// The points of the lines an arc draws, recorded as a polygon.
std::vector<Point> ArcPoints(Point center, short radius, short start, short arc) {
  PolyHandle poly = OpenPoly();
  Sp_DrawFrameArc(center, radius, start, arc, 1);
  ClosePoly();
  std::vector<Point> points;
  const int count = ((*poly)->polySize - 10) / 4;
  for (int i = 0; i < count; ++i) points.push_back((*poly)->polyPoints[i]);
  KillPoly(poly);
  return points;
}

TEST_F(Drawing, ArcsAreCutIntoSegmentsOfAboutOnePixel) {
  const Point c{50, 50};
  const struct {
    short radius, start, arc;
    int minSegments, maxSegments, longestStep;
    const char* why;
  } cases[] = {
      {1, 0, 90, 2, 2, 1, "radius 1: the step becomes 45 degrees"},
      {10, 0, 90, 8, 16, 2, "about a pixel of arc each"},
      {10, 90, -90, 8, 16, 2, "anticlockwise"},
      {1000, 0, 360, 100, 720, 10, "never more than 720 steps"},
  };
  for (const auto& t : cases) {
    const std::vector<Point> points = ArcPoints(c, t.radius, t.start, t.arc);
    SCOPED_TRACE(t.why);
    ASSERT_GE(points.size(), 2u);
    EXPECT_GE(int(points.size()) - 1, t.minSegments);
    EXPECT_LE(int(points.size()) - 1, t.maxSegments);
    Point first{}, last{};
    Sp_GetCerclePosition(c, t.radius, t.start, first);
    Sp_GetCerclePosition(c, t.radius, float(t.start + t.arc), last);
    EXPECT_TRUE(EqualPt(points.front(), first));
    EXPECT_TRUE(EqualPt(points.back(), last));
    for (std::size_t i = 1; i < points.size(); ++i) {
      EXPECT_FALSE(EqualPt(points[i], points[i - 1])) << "a repeated point";
      EXPECT_LE(std::max(std::abs(points[i].h - points[i - 1].h),
                         std::abs(points[i].v - points[i - 1].v)),
                t.longestStep);
    }
  }
}

// ---- Soft shadows ----

TEST_F(Drawing, AShadowOfOnePassDarkensByTheDarknessToItsEdge) {
  const Rect r = R(10, 10, 40, 40);
  Sp_DrawShadowRect(world_, r, 60, 0, nullptr, 0);
  // A 40 % mask (26214, 0x66) lets 40 % of the white through.
  EXPECT_NEAR(int(Px(25, 25) & 0xFF), 0x66, 1);
  EXPECT_EQ(Px(10, 10), Px(25, 25)) << "one pass: even to the edge";
  EXPECT_EQ(Px(9, 25), kWhite);
  EXPECT_EQ(Px(40, 25), kWhite);
}

TEST_F(Drawing, ShadowSoftnessStacksPassesThatDarkenTowardTheMiddle) {
  const Rect r = R(10, 10, 40, 40);
  Sp_DrawShadowRect(world_, r, 60, 3, nullptr, 0);
  // Four passes of an 85 % mask, each one pixel further in.
  EXPECT_NEAR(int(Px(10, 25) & 0xFF), 217, 2);
  EXPECT_NEAR(int(Px(11, 25) & 0xFF), 184, 3);
  EXPECT_NEAR(int(Px(12, 25) & 0xFF), 157, 3);
  EXPECT_NEAR(int(Px(25, 25) & 0xFF), 133, 4);
  EXPECT_EQ(Px(13, 25), Px(25, 25)) << "all four passes from the fourth pixel in";
}

// The black and the grey mask a shadow is copied through are kept for the next shadow: each
// shadow must still darken by its own darkness, whatever size and darkness came before it.
TEST_F(Drawing, ShadowsOneAfterAnotherEachDarkenByTheirOwnDarkness) {
  const struct {
    Rect rect;
    float darkness;
    int lightness;  // of a white pixel inside, one pass
    const char* why;
  } shadows[] = {
      {R(0, 0, 20, 20), 60, 0x66, "the first shadow"},
      {R(0, 30, 60, 90), 20, 0xCC, "larger and lighter: grown and painted anew"},
      {R(70, 0, 80, 10), 60, 0x66, "smaller and darker again: the grey painted anew"},
      {R(70, 30, 90, 50), 60, 0x66, "the same darkness: kept as it is"},
  };
  for (const auto& s : shadows) {
    Sp_DrawShadowRect(world_, s.rect, s.darkness, 0, nullptr, 0);
    const SInt16 h = SInt16((s.rect.left + s.rect.right) / 2);
    const SInt16 v = SInt16((s.rect.top + s.rect.bottom) / 2);
    EXPECT_NEAR(int(Px(h, v) & 0xFF), s.lightness, 1) << s.why;
    EXPECT_EQ(Px(s.rect.left, s.rect.top), Px(h, v)) << s.why << ": even to the corner";
    EXPECT_EQ(Px(s.rect.right, v), kWhite) << s.why << ": nothing past its edge";
  }
}

TEST_F(Drawing, TheShadowKeepsToItsMaskAndThePortsClip) {
  RgnHandle mask = NewRgn();
  SetRectRgn(mask, 10, 10, 25, 40);  // the left half
  Sp_DrawShadowRect(world_, R(10, 10, 40, 40), 50, 0, mask, 0);
  EXPECT_LT(Lightness(Px(15, 25)), Lightness(kWhite));
  EXPECT_EQ(Px(30, 25), kWhite) << "outside the mask";

  const Rect clip = R(50, 50, 100, 70);
  ClipRect(&clip);
  Sp_DrawShadowRectOnCurrentPort(R(50, 50, 100, 100), 50, 0, nullptr, 1);
  EXPECT_LT(Lightness(Px(60, 60)), Lightness(kWhite));
  EXPECT_EQ(Px(80, 60), kWhite) << "outside the port's clip";
  DisposeRgn(mask);
}

}  // namespace
