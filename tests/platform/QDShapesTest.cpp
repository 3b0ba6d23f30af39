// Shapes: frames against paints, ovals, rounded rectangles, regions, inverting modes and
// recorded outlines.
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
  };
  for (const auto& c : cases) {
    Clear();
    PenNormal();
    BackColor(whiteColor);
    c.draw();
    EXPECT_EQ(Picture(c.area), c.picture) << c.what;
  }
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

TEST_F(QDShapes, RegionsArePaintedAndErasedInsideTheirOutline) {
  RgnHandle rgn = NewRgn(), other = NewRgn();
  SetRectRgn(rgn, 0, 0, 8, 4);
  SetRectRgn(other, 0, 4, 4, 8);
  UnionRgn(rgn, other, rgn);
  PaintRgn(rgn);
  EXPECT_EQ(Picture(R(3, 0, 9, 9)), "########./####...../####...../####...../####...../........./");
  EraseRgn(rgn);
  EXPECT_EQ(Px(0, 0), kWhite);
  DisposeRgn(rgn);
  DisposeRgn(other);
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
