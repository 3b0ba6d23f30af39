// Region algebra judged against pixel sets: set operations, offsets and insets, hit tests,
// failures to store, and building regions from rectangles.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "MacMemory.h"
#include "QDRegions.h"
#include "QDRegionsSupport.h"
#include "QuickDraw.h"
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

TEST_F(QDRegionsAlgebra, EmptyAndNullRegionsAreHandledByEveryOperation) {
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
  InsetRgn(empty, -3, -3);
  EXPECT_TRUE(Holds(empty, none)) << "an empty region stays empty when moved or grown";
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
}

TEST_F(QDRegionsAlgebra, PixelsMovedPastTheCoordinateLimitFallOffInsteadOfWrapping) {
  RgnHandle r = Rgn(32700, 0, 32760, 10);
  OffsetRgn(r, 30, 0);
  Rect b;
  const Rect want{0, 32730, 10, 32767}, grown{-32768, -32768, -32680, -32680};
  EXPECT_TRUE(EqualRect(GetRegionBounds(r, &b), &want));
  OffsetRgn(r, 100, 0);
  EXPECT_TRUE(EmptyRgn(r)) << "everything moved off the plane";
  SetRectRgn(r, -32760, -32760, -32700, -32700);
  InsetRgn(r, -20, -20);
  EXPECT_TRUE(EqualRect(GetRegionBounds(r, &b), &grown));
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
}

TEST_F(QDRegionsAlgebra, RegionsAreBuiltFromRectanglesAndCutIntoThemBandByBand) {
  RgnHandle r = Rgn();
  ASSERT_EQ(sp_platform::RectsToRgn({Rect{0, 0, 10, 10}, Rect{5, 5, 15, 15}, Rect{3, 3, 3, 9}}, r),
            noErr);
  Pixels want, cutWant, fromRects;
  want.AddRect(Rect{0, 0, 10, 10});
  want.AddRect(Rect{5, 5, 15, 15});
  EXPECT_TRUE(Holds(r, want));
  for (int v = 8; v < 12; ++v)
    for (int h = 2; h < 12; ++h) cutWant.Set(h, v, want.At(h, v));
  const std::vector<Rect> rects = sp_platform::RegionRectsInRect(r, Rect{8, 2, 12, 12});
  for (const Rect& x : rects) fromRects.AddRect(x);
  EXPECT_TRUE(fromRects == cutWant) << fromRects.DiffTo(cutWant);
  for (std::size_t i = 1; i < rects.size(); ++i)
    EXPECT_TRUE(rects[i - 1].top < rects[i].top ||
                (rects[i - 1].top == rects[i].top && rects[i - 1].right < rects[i].left))
        << "rectangles come band by band, left to right";
}

}  // namespace
