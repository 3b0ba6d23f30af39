// Shapes: frames against paints, ovals, rounded rectangles, arcs, regions, polygons, inverting
// modes and recorded outlines.
#include <gtest/gtest.h>

#include <string>

#include "QDPixelsFixture.h"

namespace {

using qdtest::kBlack;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

class QDShapes : public qdtest::QDPixelsFixture {};

// The oval inscribed in (0, 0, 10, 10): the pixels whose centres lie inside it.
constexpr const char* kOval10 =
    "...####...\n"
    ".########.\n"
    ".########.\n"
    "##########\n"
    "##########\n"
    "##########\n"
    "##########\n"
    ".########.\n"
    ".########.\n"
    "...####...\n";

TEST_F(QDShapes, FramedRectanglesAreDrawnInsideAndPaintedOnesFill) {
  const Rect r = R(1, 1, 6, 7);
  FrameRect(&r);
  EXPECT_EQ(Picture(R(0, 0, 7, 8)),
            "........\n"
            ".######.\n"
            ".#....#.\n"
            ".#....#.\n"
            ".#....#.\n"
            ".######.\n"
            "........\n");
  sp_testing::FillPort(world_, kWhite);
  PenSize(2, 1);
  FrameRect(&r);
  EXPECT_EQ(Picture(R(1, 1, 3, 7)), "######\n##..##\n");
  sp_testing::FillPort(world_, kWhite);
  PenSize(3, 3);  // the pen is as wide as half the rectangle: all of it
  FrameRect(&r);
  EXPECT_EQ(Picture(R(3, 1, 4, 7)), "######\n");
  sp_testing::FillPort(world_, kWhite);
  PaintRect(&r);
  EXPECT_EQ(Picture(R(0, 0, 2, 8)), "........\n.######.\n");
  EXPECT_EQ(Px(6, 5), kBlack);
  EXPECT_EQ(Px(7, 5), kWhite);
  EXPECT_EQ(Px(6, 6), kWhite);
}

TEST_F(QDShapes, OvalsTouchEverySideOfTheirRectangleSymmetrically) {
  const Rect r = R(0, 0, 10, 10);
  PaintOval(&r);
  EXPECT_EQ(Picture(R(0, 0, 10, 10)), kOval10);
  sp_testing::FillPort(world_, kWhite);
  const Rect flat = R(20, 20, 25, 29);
  PaintOval(&flat);
  EXPECT_EQ(Picture(R(20, 20, 25, 29)),
            "..#####..\n"
            "#########\n"
            "#########\n"
            "#########\n"
            "..#####..\n");
}

TEST_F(QDShapes, FramedOvalsLeaveTheirInsideAlone) {
  const Rect r = R(0, 0, 10, 10);
  FrameOval(&r);
  EXPECT_EQ(Picture(R(0, 0, 10, 10)),
            "...####...\n"
            ".##....##.\n"
            ".#......#.\n"
            "#........#\n"
            "#........#\n"
            "#........#\n"
            "#........#\n"
            ".#......#.\n"
            ".##....##.\n"
            "...####...\n");
}

TEST_F(QDShapes, RoundRectanglesCutTheirCornersWithQuarterOvals) {
  const Rect r = R(0, 0, 10, 16);
  PaintRoundRect(&r, 10, 10);
  EXPECT_EQ(Picture(R(0, 0, 10, 16)),
            "...##########...\n"
            ".##############.\n"
            ".##############.\n"
            "################\n"
            "################\n"
            "################\n"
            "################\n"
            ".##############.\n"
            ".##############.\n"
            "...##########...\n");
  sp_testing::FillPort(world_, kWhite);
  PaintRoundRect(&r, 0, 0);
  EXPECT_EQ(Px(0, 0), kBlack) << "no oval: square corners";
  sp_testing::FillPort(world_, kWhite);
  PaintRoundRect(&r, 100, 100);  // corners larger than the rectangle: the oval
  EXPECT_EQ(Px(0, 0), kWhite);
  EXPECT_EQ(Px(8, 0), kBlack);
  EXPECT_EQ(Px(0, 5), kBlack);

  sp_testing::FillPort(world_, kWhite);
  const Rect ring = R(10, 10, 30, 30);
  PenSize(3, 3);
  FrameRoundRect(&ring, 18, 18);
  EXPECT_EQ(Px(20, 10), kBlack);
  EXPECT_EQ(Px(20, 12), kBlack);
  EXPECT_EQ(Px(20, 13), kWhite) << "three pixels of pen";
  EXPECT_EQ(Px(10, 10), kWhite) << "the corner is rounded";
  EXPECT_EQ(Px(20, 20), kWhite);
}

struct ArcCase {
  SInt16 start, arc;
  bool upperRight, lowerRight, lowerLeft, upperLeft;
};

TEST_F(QDShapes, ArcsRunClockwiseFromTwelveOClock) {
  const ArcCase cases[] = {
      {0, 90, true, false, false, false},   {90, 90, false, true, false, false},
      {180, 90, false, false, true, false}, {270, 90, false, false, false, true},
      {90, -90, true, false, false, false}, {-90, 180, true, false, false, true},
      {450, 90, false, true, false, false}, {0, 360, true, true, true, true},
      {0, 0, false, false, false, false},
  };
  const Rect r = R(0, 0, 20, 20);
  for (const ArcCase& c : cases) {
    sp_testing::FillPort(world_, kWhite);
    PaintArc(&r, c.start, c.arc);
    const std::string what = std::to_string(c.start) + "+" + std::to_string(c.arc);
    EXPECT_EQ(Px(15, 5) == kBlack, c.upperRight) << what;
    EXPECT_EQ(Px(15, 15) == kBlack, c.lowerRight) << what;
    EXPECT_EQ(Px(5, 15) == kBlack, c.lowerLeft) << what;
    EXPECT_EQ(Px(5, 5) == kBlack, c.upperLeft) << what;
    EXPECT_EQ(Px(0, 0), kWhite) << what << ": outside the oval";
  }
}

TEST_F(QDShapes, FramedArcsDrawOnlyTheirPartOfTheOutline) {
  const Rect r = R(0, 0, 20, 20);
  FrameArc(&r, 0, 90);
  EXPECT_EQ(Px(12, 0), kBlack) << "top, right of twelve o'clock";
  EXPECT_EQ(Px(19, 8), kBlack) << "right side, above three o'clock";
  EXPECT_EQ(Px(7, 0), kWhite) << "top, left of twelve o'clock";
  EXPECT_EQ(Px(19, 12), kWhite) << "right side, below three o'clock";
  EXPECT_EQ(Px(15, 5), kWhite) << "inside";
}

TEST_F(QDShapes, ArcAnglesAreRelativeToTheRectangle) {
  // In a wide rectangle 45 degrees points at the top-right corner, not at a 45-degree slope.
  const Rect wide = R(0, 0, 10, 40);
  PaintArc(&wide, 0, 45);
  EXPECT_EQ(Px(30, 1), kBlack) << "above the diagonal to the corner (71 degrees on the screen)";
  EXPECT_EQ(Px(30, 3), kWhite) << "below it";
}

TEST_F(QDShapes, EraseUsesTheBackColourAndFillTheGivenPattern) {
  const RGBColor blue = RGB8(0, 0, 255);
  RGBBackColor(&blue);
  const Rect r = R(0, 0, 2, 4);
  EraseRect(&r);
  EXPECT_EQ(Px(0, 0), 0x0000FFu);
  EXPECT_EQ(Px(4, 0), kWhite);
  Pattern light;
  GetQDGlobalsLightGray(&light);  // 10001000 / 00100010
  BackColor(whiteColor);
  FillRect(&r, &light);
  EXPECT_EQ(Picture(R(0, 0, 2, 4)), "#...\n..#.\n");
  FillRect(&r, nullptr);
  EraseOval(nullptr);
  EXPECT_EQ(Picture(R(0, 0, 2, 4)), "#...\n..#.\n");
}

TEST_F(QDShapes, InvertingTwiceRestoresThePixels) {
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  const Rect r = R(3, 4, 30, 33);
  for (int round = 0; round < 2; ++round) {
    InvertRect(&r);
    InvertOval(&r);
    InvertRoundRect(&r, 12, 8);
    InvertArc(&r, 30, 200);
    PenMode(patXor);
    PenSize(3, 2);
    FrameRect(&r);
    FrameOval(&r);
    FrameRoundRect(&r, 10, 10);
    MoveTo(1, 38);
    LineTo(35, 2);
    PenNormal();
  }
  EXPECT_EQ(AllPixels(world_), before);
  InvertRect(&r);
  EXPECT_NE(Px(4, 3), before[3 * 40 + 4]) << "once does change them";
}

TEST_F(QDShapes, AnXorLineInvertsEachPixelOnceWhereThePenOverlapsItself) {
  PenMode(patXor);
  PenSize(2, 2);
  MoveTo(0, 0);
  LineTo(3, 3);
  EXPECT_EQ(Picture(R(0, 0, 5, 5)),
            "##...\n"
            "###..\n"
            ".###.\n"
            "..###\n"
            "...##\n");
}

TEST_F(QDShapes, HiddenPensDrawNoShapes) {
  const Rect r = R(0, 0, 5, 5);
  HidePen();
  PaintRect(&r);
  FrameOval(&r);
  InvertRect(&r);
  ShowPen();
  EXPECT_EQ(Px(0, 0), kWhite);
  EXPECT_EQ(Px(2, 2), kWhite);
}

TEST_F(QDShapes, RegionsArePaintedAndFramedInsideTheirOutline) {
  RgnHandle rgn = NewRgn(), other = NewRgn();
  const Rect a = R(0, 0, 4, 8), b = R(4, 0, 8, 4);
  RectRgn(rgn, &a);
  RectRgn(other, &b);
  UnionRgn(rgn, other, rgn);
  PaintRgn(rgn);
  EXPECT_EQ(Picture(R(0, 0, 9, 9)),
            "########.\n"
            "########.\n"
            "########.\n"
            "########.\n"
            "####.....\n"
            "####.....\n"
            "####.....\n"
            "####.....\n"
            ".........\n");
  sp_testing::FillPort(world_, kWhite);
  FrameRgn(rgn);
  EXPECT_EQ(Picture(R(0, 0, 9, 9)),
            "########.\n"
            "#......#.\n"
            "#......#.\n"
            "#..#####.\n"
            "#..#.....\n"
            "#..#.....\n"
            "#..#.....\n"
            "####.....\n"
            ".........\n");
  InvertRgn(rgn);
  EraseRgn(rgn);
  EXPECT_EQ(Px(0, 0), kWhite);
  DisposeRgn(rgn);
  DisposeRgn(other);
}

TEST_F(QDShapes, PolygonsFillTheirInsideAndFrameEveryCornerOnce) {
  PolyHandle poly = OpenPoly();
  ASSERT_NE(poly, nullptr);
  MoveTo(0, 0);
  LineTo(10, 0);
  LineTo(0, 10);
  LineTo(0, 0);
  ClosePoly();
  EXPECT_EQ(Px(5, 0), kWhite) << "recording a polygon draws nothing";
  PaintPoly(poly);
  EXPECT_EQ(Px(2, 2), kBlack);
  EXPECT_EQ(Px(8, 8), kWhite);
  sp_testing::FillPort(world_, kWhite);
  PenMode(patXor);
  FramePoly(poly);
  EXPECT_EQ(Px(0, 0), kBlack) << "the corner where the outline closes is inverted once";
  EXPECT_EQ(Px(10, 0), kBlack);
  EXPECT_EQ(Px(5, 0), kBlack);
  EXPECT_EQ(Px(2, 2), kWhite);
  KillPoly(poly);
}

TEST_F(QDShapes, RecordedOutlinesDrawNothingAndBecomeTheRegion) {
  RgnHandle rgn = NewRgn();
  const Rect r = R(2, 3, 9, 12);
  OpenRgn();
  FrameRect(&r);
  MoveTo(20, 20);
  LineTo(30, 20);
  LineTo(30, 30);
  LineTo(20, 20);
  CloseRgn(rgn);
  EXPECT_EQ(Px(3, 2), kWhite);
  EXPECT_EQ(Px(25, 20), kWhite);
  EXPECT_TRUE(PtInRgn(Point{5, 5}, rgn));
  EXPECT_TRUE(PtInRgn(Point{22, 28}, rgn)) << "inside the triangle (v 22, h 28)";
  EXPECT_FALSE(PtInRgn(Point{28, 22}, rgn));
  PaintRgn(rgn);
  EXPECT_EQ(Px(3, 2), kBlack) << "the pen draws again after CloseRgn";
  DisposeRgn(rgn);
}

}  // namespace
