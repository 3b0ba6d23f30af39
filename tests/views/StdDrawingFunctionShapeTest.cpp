// Points on circles, arcs as line segments, and soft shadows through CopyDeepMask.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::DrawingPortTest;
using drawing_test::kWhite;
using drawing_test::R;

TEST(StdDrawingFunctionShape, PointsOnACircleAreExactAtQuartersAndTruncatedElsewhere) {
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

class StdDrawingFunctionArc : public DrawingPortTest {};

TEST_F(StdDrawingFunctionArc, ArcsAreCutIntoSegmentsOfAboutOnePixel) {
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

TEST_F(StdDrawingFunctionArc, AShadowOfOnePassDarkensByTheDarknessToItsEdge) {
  const Rect r = R(10, 10, 40, 40);
  Sp_DrawShadowRect(world_, r, 60, 0, nullptr, 0);
  // A 40 % mask (26214, 0x66) lets 40 % of the white through.
  EXPECT_NEAR(int(Px(25, 25) & 0xFF), 0x66, 1);
  EXPECT_EQ(Px(10, 10), Px(25, 25)) << "one pass: even to the edge";
  EXPECT_EQ(Px(9, 25), kWhite);
  EXPECT_EQ(Px(40, 25), kWhite);
}

}  // namespace
