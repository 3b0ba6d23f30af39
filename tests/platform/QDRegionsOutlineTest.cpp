// Regions recorded from lines and frames, judged against the even-odd rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MacWindows.h"
#include "QDRegions.h"
#include "QDRegionsSupport.h"
#include "QuickDraw.h"
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

class QDRegionsOutline : public qdr_test::RegionsTest {
 protected:
  void SetUp() override {
    sp_testing::ResetWindows();
    sp_platform::ResetOutlineRecording();
    GetPort(&port_);
  }
  void TearDown() override {
    RegionsTest::TearDown();
    sp_platform::ResetOutlineRecording();
    sp_testing::ResetWindows();
  }
  // A line as MoveTo/LineTo report it.
  void Line(int h1, int v1, int h2, int v2, GrafPtr port = nullptr) {
    sp_platform::RecordLine(port != nullptr ? port : port_, Point{SInt16(v1), SInt16(h1)},
                            Point{SInt16(v2), SInt16(h2)});
  }
  // The path as lines, closed back to its first point unless `open`.
  void Draw(const Path& path, bool open = false) {
    for (std::size_t i = 0; i + (open ? 1 : 0) < path.size(); ++i) {
      const Pt& a = path[i];
      const Pt& b = path[(i + 1) % path.size()];
      Line(a.h, a.v, b.h, b.v);
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
          if (a.h + (py - a.v) * double(b.h - a.h) / double(b.v - a.v) < px) ++crossings;
        }
      out.Set(h, v, crossings % 2 == 1);
    }
  return out;
}

// Rows as first and last pixel (inclusive), from row 0 down.
Pixels Rows(const std::vector<std::pair<int, int>>& rows) {
  Pixels p;
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (int h = rows[i].first; h <= rows[i].second; ++h) p.Set(h, int(i));
  return p;
}

const Path kStar{{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};

// Centres on a left side are in, on a right side out: the triangle's hypotenuse passes
// through the centres of its last row, which stays empty.
TEST_F(QDRegionsOutline, OutlinesMatchTheEvenOddJudgeWhichKeepsLeftSidesAndDropsRightSides) {
  const Path triangle{{0, 0}, {8, 0}, {0, 8}}, diamond{{4, 0}, {8, 4}, {4, 8}, {0, 4}};
  EXPECT_TRUE(Rows({{0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}}) ==
              EvenOdd({triangle}));
  EXPECT_TRUE(Rows({{3, 3}, {2, 4}, {1, 5}, {0, 6}, {0, 6}, {1, 5}, {2, 4}, {3, 3}}) ==
              EvenOdd({diamond}));
  const struct {
    const char* what;
    std::vector<Path> paths;
  } cases[] = {
      {"triangle", {triangle}},
      {"diamond", {diamond}},
      {"rectangle along pixel edges", {{{3, 4}, {20, 4}, {20, 9}, {3, 9}}}},
      {"U shape", {{{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}}}},
      {"concave with slanted sides",
       {{{0, 0}, {20, 10}, {40, 0}, {30, 20}, {40, 40}, {20, 30}, {0, 40}, {10, 20}}}},
      {"self-intersecting star: the centre is crossed twice", {kStar}},
      {"shallow and steep slopes", {{{-20, 1}, {60, 3}, {61, 70}, {-19, 69}}}},
      {"two loops, one inside the other (a ring)",
       {{{0, 0}, {40, 0}, {40, 40}, {0, 40}}, {{10, 10}, {10, 30}, {30, 30}, {30, 10}}}},
      {"overlapping loops cancel where they overlap",
       {{{0, 0}, {20, 0}, {20, 20}, {0, 20}}, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}}},
  };
  for (const auto& c : cases) EXPECT_TRUE(Holds(OutlineRgn(c.paths), EvenOdd(c.paths))) << c.what;
}

TEST_F(QDRegionsOutline, SidesInAnyOrderFramesJoinEvenOddAndUnclosedLinesGiveNothing) {
  RgnHandle r = Rgn(), frames = Rgn(), open = Rgn();
  OpenRgn();
  Line(20, 9, 20, 4);  // the sides out of order, in mixed directions
  Line(3, 4, 20, 4);
  Line(3, 4, 3, 9);
  Line(3, 9, 20, 9);
  Line(9, 9, 9, 9);  // a dot adds nothing
  CloseRgn(r);
  Pixels want, wantFrames;
  want.AddRect(Rect{4, 3, 9, 20});
  EXPECT_TRUE(Holds(r, want));
  OpenRgn();
  sp_platform::RecordFrameRect(port_, Rect{0, 0, 30, 30});
  sp_platform::RecordFrameArea(port_, Rgn(10, 10, 20, 40));
  sp_platform::RecordFrameRect(port_, Rect{5, 5, 5, 25});  // empty: nothing
  CloseRgn(frames);
  wantFrames.AddRect(Rect{0, 0, 30, 30});
  wantFrames.AddRect(Rect{10, 10, 30, 20}, false);
  wantFrames.AddRect(Rect{30, 10, 40, 20});
  EXPECT_TRUE(Holds(frames, wantFrames));
  // Three sides of a square and a lone slanted line: every row crosses one line only.
  OpenRgn();
  Draw({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
  Line(0, 30, 40, 35);
  CloseRgn(open);
  EXPECT_TRUE(EmptyRgn(open));
}

TEST_F(QDRegionsOutline, RecordingBelongsToThePortItWasOpenedOnAndReopeningStartsAgain) {
  const Rect content{40, 40, 140, 140};
  WindowRef w =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  ASSERT_NE(w, nullptr);
  SetPort(port_);
  GrafPtr other = GetWindowPort(w);
  OpenRgn();
  Draw({{30, 30}, {35, 30}, {35, 35}});  // dropped by the second OpenRgn
  OpenRgn();
  EXPECT_TRUE(sp_platform::IsRecordingOutline(port_));
  EXPECT_FALSE(sp_platform::IsRecordingOutline(other));
  Draw({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  sp_platform::RecordFrameRect(other, Rect{0, 0, 50, 50});
  Line(0, 50, 50, 50, other);
  RgnHandle r = Rgn();
  CloseRgn(r);
  EXPECT_FALSE(sp_platform::IsRecordingOutline(port_));
  Pixels want;
  want.AddRect(Rect{0, 0, 10, 10});
  EXPECT_TRUE(Holds(r, want));
  CloseRgn(r);
  EXPECT_TRUE(EmptyRgn(r)) << "no region open: the outline is empty";
}

TEST_F(QDRegionsOutline, CloseRgnThatCannotStoreLeavesTheDestinationAndStopsRecording) {
  RgnHandle r = Rgn(1, 1, 2, 2);
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

}  // namespace
