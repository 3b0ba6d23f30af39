// Regions judged against pixel sets: set operations, offsets and insets, hit tests, failures
// to store, and outlines recorded from lines and frames.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "MacMemory.h"
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
using qdr_test::PixelsOf;

class QDRegionsAlgebra : public qdr_test::RegionsTest {
 protected:
  // A region made of a few random rectangles, unions and xors in turn (holes as well as
  // notches), and the same pixels.
  RgnHandle RandomShape(std::mt19937& rng, Pixels* pixels) {
    RgnHandle shape = Rgn();
    RgnHandle block = Rgn();
    for (int i = 0, n = int(rng() % 5); i < n; ++i) {
      const Rect r = RandomRect(rng, 0, 40);
      RectRgn(block, &r);
      (i % 2 == 0 ? UnionRgn : XorRgn)(shape, block, shape);
      for (int v = r.top; v < r.bottom; ++v)
        for (int h = r.left; h < r.right; ++h) pixels->Set(h, v, i % 2 == 0 || !pixels->At(h, v));
    }
    return shape;
  }
  static Rect RandomRect(std::mt19937& rng, int from, int to) {
    std::uniform_int_distribution<int> coord(from, to);
    int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
    return Rect{SInt16(std::min(a, b)), SInt16(std::min(c, d)), SInt16(std::max(a, b)),
                SInt16(std::max(c, d))};
  }
};

Pixels Combine(const Pixels& a, const Pixels& b, int op) {
  Pixels out;
  for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
    for (int h = Pixels::kMin; h < Pixels::kMax; ++h) {
      bool x = a.At(h, v), y = b.At(h, v);
      out.Set(h, v, op == 0 ? (x || y) : op == 1 ? (x && y) : op == 2 ? (x && !y) : (x != y));
    }
  return out;
}

// Erosion (d > 0) or dilation (d < 0) along one axis, judged pixel by pixel.
Pixels InsetAxis(const Pixels& in, int d, bool horizontal) {
  Pixels out;
  for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
    for (int h = Pixels::kMin; h < Pixels::kMax; ++h) {
      bool all = true, any = false;
      for (int k = -std::abs(d); k <= std::abs(d); ++k) {
        bool p = horizontal ? in.At(h + k, v) : in.At(h, v + k);
        all = all && p;
        any = any || p;
      }
      out.Set(h, v, d > 0 ? all : any);
    }
  return out;
}

void (*const kOps[])(RgnHandle, RgnHandle, RgnHandle) = {UnionRgn, SectRgn, DiffRgn, XorRgn};
const char* const kOpNames[] = {"union", "sect", "diff", "xor"};

// Each operation into a new region, into either source (read before it is written) and of a
// region with itself.
TEST_F(QDRegionsAlgebra, SetOperationsMatchPixelSetsAndStayCanonical) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    Pixels pa, pb;
    RgnHandle a = RandomShape(rng, &pa);
    RgnHandle b = RandomShape(rng, &pb);
    ASSERT_TRUE(Holds(a, pa));
    for (int op = 0; op < 4; ++op) {
      RgnHandle d = Rgn(), a2 = Rgn(), b2 = Rgn();
      kOps[op](a, b, d);
      EXPECT_EQ(QDError(), noErr);
      EXPECT_TRUE(Holds(d, Combine(pa, pb, op))) << kOpNames[op];
      if (round % 3 != 0) continue;
      CopyRgn(a, a2);
      CopyRgn(b, b2);
      kOps[op](a2, b, a2);
      EXPECT_TRUE(Holds(a2, Combine(pa, pb, op))) << kOpNames[op] << " into A";
      kOps[op](a, b2, b2);
      EXPECT_TRUE(Holds(b2, Combine(pa, pb, op))) << kOpNames[op] << " into B";
      CopyRgn(a, a2);
      kOps[op](a2, a2, a2);
      EXPECT_TRUE(Holds(a2, Combine(pa, pa, op))) << kOpNames[op] << " with itself";
    }
  }
}

TEST_F(QDRegionsAlgebra, OffsetAndInsetMatchShiftedErodedAndGrownPixelSets) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> delta(-6, 6);
  for (int round = 0; round < 40; ++round) {
    Pixels p;
    RgnHandle shape = RandomShape(rng, &p);
    RgnHandle r = Rgn();
    const int dh = delta(rng), dv = delta(rng);
    CopyRgn(shape, r);
    OffsetRgn(r, SInt16(dh), SInt16(dv));
    Pixels moved;
    for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
      for (int h = Pixels::kMin; h < Pixels::kMax; ++h) moved.Set(h + dh, v + dv, p.At(h, v));
    EXPECT_TRUE(Holds(r, moved)) << "offset " << dh << "," << dv;
    CopyRgn(shape, r);
    InsetRgn(r, SInt16(dh), SInt16(dv));
    EXPECT_TRUE(Holds(r, InsetAxis(InsetAxis(p, dh, true), dv, false)))
        << "inset " << dh << "," << dv << " round " << round;
  }
}

TEST_F(QDRegionsAlgebra, RectInRgnAnswersWhetherAnyPixelIsShared) {
  std::mt19937 rng(5);
  for (int round = 0; round < 30; ++round) {
    Pixels p;
    RgnHandle shape = RandomShape(rng, &p);
    for (int k = 0; k < 40; ++k) {
      const Rect r = RandomRect(rng, -4, 44);
      bool shared = false;
      for (int v = r.top; v < r.bottom; ++v)
        for (int h = r.left; h < r.right; ++h) shared = shared || p.At(h, v);
      EXPECT_EQ(bool(RectInRgn(&r, shape)), shared)
          << "(" << r.top << "," << r.left << "," << r.bottom << "," << r.right << ")";
    }
  }
  RgnHandle ring = Rgn(0, 0, 30, 30);  // a hole inside the bounds is not shared
  DiffRgn(ring, Rgn(10, 10, 20, 20), ring);
  const Rect inside{12, 12, 18, 18}, touching{12, 12, 18, 21};
  EXPECT_FALSE(RectInRgn(&inside, ring));
  EXPECT_TRUE(RectInRgn(&touching, ring));
}

TEST_F(QDRegionsAlgebra, EmptyAndNullRegionsAreHandledAndPixelsPastTheLimitFallOffNotWrap) {
  RgnHandle empty = Rgn(), box = Rgn(1, 2, 11, 12), d = Rgn();
  Pixels boxPixels, none;
  boxPixels.AddRect(Rect{2, 1, 12, 11});
  const struct {
    RgnHandle a, b;
    int op;
    bool isBox;
  } cases[] = {{empty, box, 0, true},  {empty, box, 1, false},   {box, empty, 2, true},
               {empty, box, 2, false}, {empty, empty, 3, false}, {box, box, 2, false}};
  for (const auto& c : cases) {
    kOps[c.op](c.a, c.b, d);
    EXPECT_TRUE(Holds(d, c.isBox ? boxPixels : none)) << kOpNames[c.op];
  }
  EXPECT_TRUE(EqualRgn(d, empty)) << "an emptied region equals a new one";
  OffsetRgn(empty, 5, 5);
  EXPECT_TRUE(Holds(empty, none)) << "an empty region stays empty when moved";
  Rect degenerate{5, 5, 5, 20};
  RectRgn(d, &degenerate);
  EXPECT_TRUE(EmptyRgn(d));
  EXPECT_FALSE(RectInRgn(&degenerate, box));
  // Null arguments do nothing.
  UnionRgn(nullptr, box, box);
  SectRgn(box, nullptr, box);
  CopyRgn(nullptr, box);
  RectRgn(box, nullptr);
  OffsetRgn(nullptr, 1, 1);
  DisposeRgn(nullptr);
  EXPECT_TRUE(Holds(box, boxPixels));
  Rect b;
  EXPECT_EQ(GetRegionBounds(nullptr, &b), GetRegionBounds(box, nullptr));
  EXPECT_EQ(std::vector<bool>({bool(EmptyRgn(nullptr)), bool(PtInRgn(Point{1, 1}, nullptr)),
                               bool(RectInRgn(nullptr, box))}),
            std::vector<bool>({true, false, false}));
  RgnHandle r = Rgn(32700, 0, 32760, 10);
  OffsetRgn(r, 30, 0);
  const Rect want{0, 32730, 10, 32767}, low{-32768, -32768, -32720, -32720};
  EXPECT_TRUE(EqualRect(GetRegionBounds(r, &b), &want));
  OffsetRgn(r, 100, 0);
  EXPECT_TRUE(EmptyRgn(r)) << "everything moved off the plane";
  SetRectRgn(r, -32760, -32760, -32700, -32700);
  OffsetRgn(r, -20, -20);
  EXPECT_TRUE(EqualRect(GetRegionBounds(r, &b), &low));
}

TEST_F(QDRegionsAlgebra, FailedOrOverflowingStoreLeavesTheDestinationAsItWas) {
  RgnHandle a = Rgn(0, 0, 10, 10), b = Rgn(5, 5, 20, 20), d = Rgn(1, 1, 3, 3), big = Rgn();
  const Pixels before = PixelsOf(d);
  UnionRgn(a, b, big);
  sp_testing::FailNthAllocation(1);
  UnionRgn(a, b, d);  // the union needs band data: the destination must grow
  EXPECT_EQ(QDError(), memFullErr);
  EXPECT_TRUE(Holds(d, before));
  sp_testing::FailNthAllocation(1);
  CopyRgn(big, d);
  EXPECT_EQ(QDError(), memFullErr);
  EXPECT_TRUE(Holds(d, before));
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(NewRgn(), nullptr);
  EXPECT_EQ(QDError(), memFullErr);
  RgnHandle comb = Rgn();  // larger than the limit: refused with an overflow
  for (int i = 0; i < 20; ++i)
    UnionRgn(comb, Rgn(SInt16(i * 4), 0, SInt16(i * 4 + 2), SInt16(10 + i)), comb);
  const Pixels combBefore = PixelsOf(comb);
  SetRectRgn(d, 0, 0, 1, 1);
  sp_platform::SetRegionByteLimit(64);
  OffsetRgn(comb, 1, 0);
  const OSErr offsetErr = QDError();
  UnionRgn(comb, d, d);
  const OSErr unionErr = QDError();
  sp_platform::SetRegionByteLimit(0);
  EXPECT_EQ(offsetErr, rgnOverflowErr);
  EXPECT_EQ(unionErr, rgnOverflowErr);
  EXPECT_TRUE(Holds(comb, combBefore));
  EXPECT_TRUE(Holds(d, PixelsOf(Rgn(0, 0, 1, 1))));
  // A region exactly the size of the limit is stored; one byte under it is refused.
  const SInt32 combBytes = SInt32(GetHandleSize(reinterpret_cast<Handle>(comb)));
  const struct {
    SInt32 limit;
    OSErr expected;
  } limits[] = {{combBytes, noErr}, {combBytes - 1, rgnOverflowErr}};
  for (const auto& l : limits) {
    SetRectRgn(d, 0, 0, 1, 1);
    sp_platform::SetRegionByteLimit(l.limit);
    UnionRgn(comb, comb, d);
    const OSErr err = QDError();
    sp_platform::SetRegionByteLimit(0);
    EXPECT_EQ(err, l.expected) << l.limit;
    EXPECT_TRUE(Holds(d, l.expected == noErr ? combBefore : PixelsOf(Rgn(0, 0, 1, 1)))) << l.limit;
  }
}

// Regions recorded from lines and frames, judged against the even-odd rule.
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
  sp_platform::RecordFrameRect(port_, Rect{10, 10, 40, 20});
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

TEST_F(QDRegionsOutline, RecordingBelongsToThePortOpenedOnRestartsOnReopenAndStopsOnFailure) {
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

}  // namespace
