#include <gtest/gtest.h>

#include <vector>

#include "MacWindows.h"
#include "QDRegions.h"
#include "QDRegionsSupport.h"
#include "QuickDraw.h"
#include "SpTesting.h"
#include "TestWindows.h"
#include "detail/RegionRecording.h"
#include "detail/RegionTools.h"

namespace {

using qdr_test::Holds;
using qdr_test::Pixels;

struct Pt {
  int h, v;
};
typedef std::vector<Pt> Path;

class QDRegionsOutline : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetWindows();
    sp_platform::ResetOutlineRecording();
    GetPort(&port_);
  }
  void TearDown() override {
    for (RgnHandle r : owned_) DisposeRgn(r);
    sp_testing::FailNthAllocation(0);
    sp_platform::ResetOutlineRecording();
    sp_testing::ResetWindows();
  }
  RgnHandle Rgn() {
    RgnHandle r = NewRgn();
    EXPECT_NE(r, nullptr);
    owned_.push_back(r);
    return r;
  }
  // Draws the path as lines, closed back to its first point, as MoveTo/LineTo report them.
  void Draw(const Path& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
      const Pt& a = path[i];
      const Pt& b = path[(i + 1) % path.size()];
      sp_platform::RecordLine(port_, Point{SInt16(a.v), SInt16(a.h)},
                              Point{SInt16(b.v), SInt16(b.h)});
    }
  }
  RgnHandle OutlineRgn(const std::vector<Path>& paths) {
    RgnHandle r = Rgn();
    OpenRgn();
    for (const Path& p : paths) Draw(p);
    CloseRgn(r);
    EXPECT_EQ(QDError(), noErr);
    return r;
  }
  GrafPtr port_ = nullptr;
  std::vector<RgnHandle> owned_;
};

// The judge: a pixel is in when a point a hair right of its centre is inside the closed
// paths by the even-odd rule (ray to the left, counted crossings). That is the documented
// rule, ties included: a centre on a left boundary is in, on a right boundary out.
Pixels EvenOdd(const std::vector<Path>& paths) {
  Pixels out;
  for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
    for (int h = Pixels::kMin; h < Pixels::kMax; ++h) {
      double px = h + 0.5 + 1e-6, py = v + 0.5;
      int crossings = 0;
      for (const Path& path : paths)
        for (std::size_t i = 0; i < path.size(); ++i) {
          const Pt& a = path[i];
          const Pt& b = path[(i + 1) % path.size()];
          if ((a.v < py) == (b.v < py)) continue;
          double xc = a.h + (py - a.v) * double(b.h - a.h) / double(b.v - a.v);
          if (xc < px) ++crossings;
        }
      out.Set(h, v, crossings % 2 == 1);
    }
  return out;
}

// Rows as first and last pixel (inclusive), from row `top` down.
Pixels Rows(int top, const std::vector<std::pair<int, int>>& rows) {
  Pixels p;
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (int h = rows[i].first; h <= rows[i].second; ++h) p.Set(h, top + int(i));
  return p;
}

TEST_F(QDRegionsOutline, TriangleKeepsPixelsWhoseCentresAreInside) {
  // The hypotenuse passes through the centres (7 - v + 0.5, v + 0.5); as a right boundary
  // those centres stay out, so the last row is empty.
  Path triangle{{0, 0}, {8, 0}, {0, 8}};
  RgnHandle r = OutlineRgn({triangle});
  Pixels want = Rows(0, {{0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}});
  EXPECT_TRUE(Holds(r, want));
  EXPECT_TRUE(want == EvenOdd({triangle})) << "the judge agrees with the table";
}

TEST_F(QDRegionsOutline, DiamondKeepsCentresOnItsLeftSidesAndDropsThoseOnItsRight) {
  Path diamond{{4, 0}, {8, 4}, {4, 8}, {0, 4}};
  RgnHandle r = OutlineRgn({diamond});
  Pixels want = Rows(0, {{3, 3}, {2, 4}, {1, 5}, {0, 6}, {0, 6}, {1, 5}, {2, 4}, {3, 3}});
  EXPECT_TRUE(Holds(r, want));
  EXPECT_TRUE(want == EvenOdd({diamond}));
}

TEST_F(QDRegionsOutline, OutlinesMatchTheEvenOddJudge) {
  struct Case {
    const char* what;
    std::vector<Path> paths;
  } cases[] = {
      {"rectangle along pixel edges", {{{3, 4}, {20, 4}, {20, 9}, {3, 9}}}},
      {"U shape", {{{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}}}},
      {"concave with slanted sides",
       {{{0, 0}, {20, 10}, {40, 0}, {30, 20}, {40, 40}, {20, 30}, {0, 40}, {10, 20}}}},
      {"self-intersecting star", {{{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}}}},
      {"shallow and steep slopes", {{{-20, 1}, {60, 3}, {61, 70}, {-19, 69}}}},
      {"two loops, one inside the other (a ring)",
       {{{0, 0}, {40, 0}, {40, 40}, {0, 40}}, {{10, 10}, {10, 30}, {30, 30}, {30, 10}}}},
      {"overlapping loops cancel where they overlap",
       {{{0, 0}, {20, 0}, {20, 20}, {0, 20}}, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}}},
  };
  for (const Case& c : cases) {
    RgnHandle r = OutlineRgn(c.paths);
    EXPECT_TRUE(Holds(r, EvenOdd(c.paths))) << c.what;
  }
}

TEST_F(QDRegionsOutline, StarLeavesItsCentreOutAndKeepsItsPoints) {
  Path star{{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
  RgnHandle r = OutlineRgn({star});
  EXPECT_FALSE(PtInRgn(Point{20, 20}, r)) << "the pentagon in the middle is crossed twice";
  EXPECT_TRUE(PtInRgn(Point{3, 20}, r)) << "top point";
  EXPECT_TRUE(PtInRgn(Point{15, 4}, r)) << "left point";
}

TEST_F(QDRegionsOutline, RectangleOutlineGivesTheRectangleWhateverTheDrawingOrder) {
  RgnHandle r = Rgn();
  OpenRgn();
  // The sides out of order and in mixed directions, each with its own MoveTo.
  sp_platform::RecordLine(port_, Point{9, 20}, Point{4, 20});
  sp_platform::RecordLine(port_, Point{4, 3}, Point{4, 20});
  sp_platform::RecordLine(port_, Point{4, 3}, Point{9, 3});
  sp_platform::RecordLine(port_, Point{9, 3}, Point{9, 20});
  sp_platform::RecordLine(port_, Point{9, 9}, Point{9, 9});  // a dot adds nothing
  CloseRgn(r);
  Rect b;
  GetRegionBounds(r, &b);
  Rect want{4, 3, 9, 20};
  EXPECT_TRUE(EqualRect(&b, &want));
  EXPECT_TRUE(IsRegionRectangular(r));
}

TEST_F(QDRegionsOutline, FramedShapesJoinTheOutlineEvenOdd) {
  RgnHandle area = Rgn();
  SetRectRgn(area, 10, 10, 20, 40);
  RgnHandle r = Rgn();
  OpenRgn();
  sp_platform::RecordFrameRect(port_, Rect{0, 0, 30, 30});
  sp_platform::RecordFrameArea(port_, area);
  sp_platform::RecordFrameRect(port_, Rect{5, 5, 5, 25});  // empty: nothing
  CloseRgn(r);
  Pixels want;
  want.AddRect(Rect{0, 0, 30, 30});
  for (int v = 10; v < 40; ++v)
    for (int h = 10; h < 20; ++h) want.Set(h, v, v >= 30);
  EXPECT_TRUE(Holds(r, want));
}

TEST_F(QDRegionsOutline, RecordingBelongsToThePortItWasOpenedOn) {
  Rect content{40, 40, 140, 140};
  WindowRef w =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  ASSERT_NE(w, nullptr);
  SetPort(port_);
  GrafPtr other = GetWindowPort(w);
  OpenRgn();
  EXPECT_TRUE(sp_platform::IsRecordingOutline(port_));
  EXPECT_FALSE(sp_platform::IsRecordingOutline(other));
  Draw({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  sp_platform::RecordFrameRect(other, Rect{0, 0, 50, 50});
  sp_platform::RecordLine(other, Point{0, 50}, Point{50, 50});
  RgnHandle r = Rgn();
  CloseRgn(r);
  EXPECT_FALSE(sp_platform::IsRecordingOutline(port_));
  Pixels want;
  want.AddRect(Rect{0, 0, 10, 10});
  EXPECT_TRUE(Holds(r, want));
}

TEST_F(QDRegionsOutline, ReopeningDropsTheOldOutlineAndClosingTwiceGivesNothing) {
  OpenRgn();
  Draw({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  OpenRgn();
  Draw({{20, 20}, {25, 20}, {25, 25}, {20, 25}});
  RgnHandle r = Rgn();
  CloseRgn(r);
  Pixels want;
  want.AddRect(Rect{20, 20, 25, 25});
  EXPECT_TRUE(Holds(r, want));
  CloseRgn(r);
  EXPECT_TRUE(EmptyRgn(r)) << "no region open: the outline is empty";
}

TEST_F(QDRegionsOutline, UnclosedOutlineStaysInsideItsLines) {
  // The top, right and bottom of a square, and a lone slanted line: every row crosses one
  // line only, which bounds nothing.
  RgnHandle r = Rgn();
  OpenRgn();
  sp_platform::RecordLine(port_, Point{0, 0}, Point{0, 10});
  sp_platform::RecordLine(port_, Point{0, 10}, Point{10, 10});
  sp_platform::RecordLine(port_, Point{10, 10}, Point{10, 0});
  sp_platform::RecordLine(port_, Point{30, 0}, Point{35, 40});
  CloseRgn(r);
  EXPECT_TRUE(EmptyRgn(r));
}

TEST_F(QDRegionsOutline, CloseRgnThatCannotStoreLeavesTheDestinationAndStopsRecording) {
  RgnHandle r = Rgn();
  SetRectRgn(r, 1, 1, 2, 2);
  OpenRgn();
  Draw({{0, 0}, {10, 0}, {5, 10}});
  sp_testing::FailNthAllocation(1);
  CloseRgn(r);
  EXPECT_EQ(QDError(), memFullErr);
  Pixels one;
  one.Set(1, 1);
  EXPECT_TRUE(Holds(r, one));
  EXPECT_FALSE(sp_platform::IsRecordingOutline(port_));
}

// ---- Polygons ----

std::vector<Pt> PointsOf(PolyHandle poly) {
  std::vector<Pt> pts;
  int n = ((*poly)->polySize - 10) / 4;
  for (int i = 0; i < n; ++i) pts.push_back(Pt{(*poly)->polyPoints[i].h, (*poly)->polyPoints[i].v});
  return pts;
}

TEST_F(QDRegionsOutline, PolygonRecordsItsStartAndEveryLineEnd) {
  PolyHandle poly = OpenPoly();
  ASSERT_NE(poly, nullptr);
  EXPECT_TRUE(sp_platform::IsRecordingOutline(port_));
  sp_platform::RecordLine(port_, Point{5, 2}, Point{5, 12});
  sp_platform::RecordLine(port_, Point{5, 12}, Point{15, 7});
  sp_platform::RecordFrameRect(port_, Rect{0, 0, 100, 100});  // frames are not recorded
  sp_platform::RecordLine(port_, Point{15, 7}, Point{5, 2});
  ClosePoly();
  EXPECT_FALSE(sp_platform::IsRecordingOutline(port_));
  sp_platform::RecordLine(port_, Point{0, 0}, Point{50, 50});  // after ClosePoly: ignored

  std::vector<Pt> pts = PointsOf(poly);
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts[0].h, 2);
  EXPECT_EQ(pts[1].h, 12);
  EXPECT_EQ(pts[2].v, 15);
  EXPECT_EQ(pts[3].h, 2);
  Rect box = (*poly)->polyBBox;
  Rect want{5, 2, 15, 12};
  EXPECT_TRUE(EqualRect(&box, &want));

  OffsetPoly(poly, 10, -5);
  pts = PointsOf(poly);
  EXPECT_EQ(pts[1].h, 22);
  EXPECT_EQ(pts[1].v, 0);
  box = (*poly)->polyBBox;
  Rect moved{0, 12, 10, 22};
  EXPECT_TRUE(EqualRect(&box, &moved));
  KillPoly(poly);
}

TEST_F(QDRegionsOutline, PolygonPaintsClosedEvenWhenItsLastPointIsNotItsFirst) {
  // The grow box's step shape, r = b = 20, drawn without the closing line.
  Path step{{20, 12}, {16, 12}, {16, 16}, {12, 16}, {12, 20}, {20, 20}};
  PolyHandle poly = OpenPoly();
  for (std::size_t i = 0; i + 1 < step.size(); ++i)
    sp_platform::RecordLine(port_, Point{SInt16(step[i].v), SInt16(step[i].h)},
                            Point{SInt16(step[i + 1].v), SInt16(step[i + 1].h)});
  ClosePoly();
  RgnHandle r = Rgn();
  ASSERT_EQ(sp_platform::PolyToRgn(poly, r), noErr);
  Pixels want;
  want.AddRect(Rect{12, 16, 16, 20});
  want.AddRect(Rect{16, 12, 20, 20});
  EXPECT_TRUE(Holds(r, want));
  KillPoly(poly);

  Path star{{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
  poly = OpenPoly();
  Draw(star);
  ClosePoly();
  ASSERT_EQ(sp_platform::PolyToRgn(poly, r), noErr);
  EXPECT_TRUE(Holds(r, EvenOdd({star})));
  KillPoly(poly);
}

TEST_F(QDRegionsOutline, KilledPolygonIsNoLongerWrittenTo) {
  PolyHandle poly = OpenPoly();
  sp_platform::RecordLine(port_, Point{0, 0}, Point{10, 10});
  KillPoly(poly);
  EXPECT_FALSE(sp_platform::IsRecordingOutline(port_));
  sp_platform::RecordLine(port_, Point{10, 10}, Point{20, 0});  // must not touch freed memory
  KillPoly(nullptr);
  OffsetPoly(nullptr, 1, 1);
  RgnHandle r = Rgn();
  EXPECT_EQ(sp_platform::PolyToRgn(nullptr, r), paramErr);
}

TEST_F(QDRegionsOutline, PolygonDropsPointsItCannotHold) {
  PolyHandle poly = OpenPoly();
  sp_platform::RecordLine(port_, Point{0, 0}, Point{0, 10});
  sp_testing::FailNthAllocation(1);
  sp_platform::RecordLine(port_, Point{0, 10}, Point{10, 10});
  EXPECT_EQ(QDError(), memFullErr);
  EXPECT_EQ(PointsOf(poly).size(), 2u) << "the point that did not fit is dropped";

  for (int i = 0; i < 8200; ++i)
    sp_platform::RecordLine(port_, Point{0, 0}, Point{SInt16(i % 50), SInt16(i % 7)});
  EXPECT_EQ(QDError(), rgnOverflowErr);
  EXPECT_EQ(PointsOf(poly).size(), 8189u) << "a polygon's size is a 16-bit byte count";
  EXPECT_EQ((*poly)->polySize, 10 + 4 * 8189);
  ClosePoly();
  KillPoly(poly);

  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(OpenPoly(), nullptr);
  EXPECT_EQ(QDError(), memFullErr);
  EXPECT_FALSE(sp_platform::IsRecordingOutline(port_));
}

}  // namespace
