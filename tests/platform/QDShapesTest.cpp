// Shapes: frames against paints, ovals, rounded rectangles, arcs, regions, polygons, inverting
// modes and recorded outlines.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "QDPixelsFixture.h"

namespace {

using qdtest::kBlack;
using qdtest::kWhite;
using qdtest::R;
using qdtest::RGB8;

class QDShapes : public qdtest::QDPixelsFixture {};

// Each shape drawn alone on white; the picture of its pixels.
TEST_F(QDShapes, ShapesCoverThePixelsWhoseCentresAreInside) {
  const Rect r = R(1, 1, 6, 7), sq = R(0, 0, 10, 10), flat = R(0, 0, 5, 9);
  const Rect round = R(0, 0, 10, 16), ring = R(10, 10, 30, 30);
  const RGBColor blue = RGB8(0, 0, 255);
  const struct {
    const char* what;
    std::function<void()> draw;
    Rect area;
    const char* picture;
  } cases[] = {
      {"framed rectangle inside its bounds", [&] { FrameRect(&r); }, R(0, 0, 7, 8),
       "......../.######./.#....#./.#....#./.#....#./.######./......../"},
      {"pen 2 wide", [&] { PenSize(2, 1), FrameRect(&r); }, R(1, 1, 3, 7), "######/##..##/"},
      {"pen half as wide as the rectangle: all of it", [&] { PenSize(3, 3), FrameRect(&r); },
       R(3, 0, 4, 8), ".######./"},
      {"painted rectangle, right and bottom edges out", [&] { PaintRect(&r); }, R(4, 4, 7, 8),
       "###./###./..../"},
      {"erased in the back colour", [&] { RGBBackColor(&blue), EraseRect(&r); }, R(5, 5, 7, 8),
       "bb./.../"},
      {"oval inscribed in 10 x 10", [&] { PaintOval(&sq); }, sq,
       "...####.../.########./.########./##########/##########/##########/##########/"
       ".########./.########./...####.../"},
      {"flat oval", [&] { PaintOval(&flat); }, flat,
       "..#####../#########/#########/#########/..#####../"},
      {"framed oval leaves its inside", [&] { FrameOval(&sq); }, sq,
       "...####.../.##....##./.#......#./#........#/#........#/#........#/#........#/"
       ".#......#./.##....##./...####.../"},
      {"round rectangle: quarter ovals in the corners", [&] { PaintRoundRect(&round, 10, 10); },
       R(0, 0, 4, 16), "...##########.../.##############./.##############./################/"},
      {"round rectangle without an oval: square", [&] { PaintRoundRect(&round, 0, 0); },
       R(0, 0, 1, 3), "###/"},
      {"corners larger than the rectangle: the oval", [&] { PaintRoundRect(&round, 100, 100); },
       R(0, 0, 1, 16), ".....######...../"},
      {"framed round rectangle: three pixels of pen, rounded corner",
       [&] { PenSize(3, 3), FrameRoundRect(&ring, 18, 18); }, R(10, 10, 11, 11), "./"},
      {"... and its top edge", [&] { PenSize(3, 3), FrameRoundRect(&ring, 18, 18); },
       R(10, 20, 14, 21), "#/#/#/./"},
      {"xor line inverts each pixel once where the pen overlaps itself",
       [&] { PenMode(patXor), PenSize(2, 2), MoveTo(0, 0), LineTo(3, 3); }, R(0, 0, 5, 5),
       "##.../###../.###./..###/...##/"},
      {"hidden pen draws no shapes", [&] { HidePen(), PaintRect(&r), FrameOval(&r), ShowPen(); },
       R(0, 0, 1, 8), "......../"},
  };
  for (const auto& c : cases) {
    Clear();
    PenNormal();
    BackColor(whiteColor);
    c.draw();
    EXPECT_EQ(Picture(c.area), c.picture) << c.what;
  }
}

// Angles run clockwise from twelve o'clock, relative to the rectangle (in a wide one 45
// degrees points at the top-right corner).
TEST_F(QDShapes, ArcsRunClockwiseFromTwelveOClock) {
  const struct {
    SInt16 start, arc;
    const char* quarters;  // upper right, lower right, lower left, upper left
  } cases[] = {
      {0, 90, "#..."},   {90, 90, ".#.."},  {180, 90, "..#."},
      {270, 90, "...#"}, {90, -90, "#..."}, {-90, 180, "#..#"},
      {450, 90, ".#.."}, {0, 360, "####"},  {0, 0, "...."},
  };
  const Rect r = R(0, 0, 20, 20), wide = R(0, 0, 10, 40);
  for (const auto& c : cases) {
    Clear();
    PaintArc(&r, c.start, c.arc);
    const std::string got = Picture(R(5, 15, 6, 16)) + Picture(R(15, 15, 16, 16)) +
                            Picture(R(15, 5, 16, 6)) + Picture(R(5, 5, 6, 6)) +
                            Picture(R(0, 0, 1, 1));
    std::string want;
    for (char q : std::string(c.quarters)) want += std::string(1, q) + "/";
    EXPECT_EQ(got, want + "./") << c.start << "+" << c.arc;
  }
  Clear();
  FrameArc(&r, 0, 90);
  EXPECT_EQ(Picture(R(0, 7, 1, 13)), "...###/") << "top, right of twelve o'clock only";
  EXPECT_EQ(Picture(R(8, 19, 13, 20)), "#/#/./././") << "right side, above three o'clock only";
  EXPECT_EQ(Px(15, 5), kWhite) << "inside";
  Clear();
  PaintArc(&wide, 0, 45);
  EXPECT_EQ(Picture(R(1, 30, 2, 31)) + Picture(R(3, 30, 4, 31)), "#/./") << "71 degrees on screen";
}

TEST_F(QDShapes, XorFramesTwiceRestoreThePixels) {
  Stripes(world_);
  const std::vector<UInt32> before = AllPixels(world_);
  const Rect r = R(3, 4, 30, 33);
  PenMode(patXor);
  PenSize(3, 2);
  for (int round = 0; round < 2; ++round) {
    FrameRect(&r);
    FrameOval(&r);
    FrameRoundRect(&r, 10, 10);
    MoveTo(1, 38);
    LineTo(35, 2);
    EXPECT_EQ(Px(4, 3) == before[3 * 40 + 4], round == 1) << "once does change them";
  }
  EXPECT_EQ(AllPixels(world_), before);
}

TEST_F(QDShapes, RegionsAndPolygonsArePaintedAndFramedInsideTheirOutline) {
  RgnHandle rgn = NewRgn(), other = NewRgn();
  SetRectRgn(rgn, 0, 0, 8, 4);
  SetRectRgn(other, 0, 4, 4, 8);
  UnionRgn(rgn, other, rgn);
  PaintRgn(rgn);
  EXPECT_EQ(Picture(R(3, 0, 9, 9)), "########./####...../####...../####...../####...../........./");
  Clear();
  FrameRgn(rgn);
  EXPECT_EQ(Picture(R(0, 0, 9, 9)),
            "########./#......#./#......#./#..#####./#..#...../#..#...../#..#...../####...../"
            "........./");
  EraseRgn(rgn);
  EXPECT_EQ(Px(0, 0), kWhite);
  DisposeRgn(rgn);
  DisposeRgn(other);
  PolyHandle poly = OpenPoly();
  ASSERT_NE(poly, nullptr);
  MoveTo(0, 0);
  LineTo(10, 0);
  LineTo(0, 10);
  LineTo(0, 0);
  ClosePoly();
  EXPECT_TRUE(AllAre(kWhite)) << "recording a polygon draws nothing";
  PenMode(patXor);
  FramePoly(poly);
  EXPECT_EQ(Picture(R(0, 0, 1, 11)) + Picture(R(2, 2, 3, 3)), "###########/./")
      << "the closing corner is inverted once";
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
  EXPECT_TRUE(AllAre(kWhite));
  EXPECT_TRUE(PtInRgn(Point{5, 5}, rgn));
  EXPECT_TRUE(PtInRgn(Point{22, 28}, rgn)) << "inside the triangle (v 22, h 28)";
  EXPECT_FALSE(PtInRgn(Point{28, 22}, rgn));
  PaintRgn(rgn);
  EXPECT_EQ(Px(3, 2), kBlack) << "the pen draws again after CloseRgn";
  DisposeRgn(rgn);
}

}  // namespace
