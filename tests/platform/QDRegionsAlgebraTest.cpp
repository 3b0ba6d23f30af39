#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "MacMemory.h"
#include "QDRegions.h"
#include "QDRegionsSupport.h"
#include "QuickDraw.h"
#include "SpTesting.h"
#include "detail/RegionTools.h"

namespace {

using qdr_test::Holds;
using qdr_test::Pixels;
using qdr_test::PixelsOf;

class QDRegionsAlgebra : public ::testing::Test {
 protected:
  void TearDown() override {
    for (RgnHandle r : owned_) DisposeRgn(r);
    sp_testing::FailNthAllocation(0);
    sp_platform::SetRegionByteLimit(0);
  }
  RgnHandle Rgn() {
    RgnHandle r = NewRgn();
    EXPECT_NE(r, nullptr);
    owned_.push_back(r);
    return r;
  }
  // A region made of a few random rectangles, and the same pixels.
  RgnHandle RandomShape(std::mt19937& rng, Pixels* pixels) {
    RgnHandle shape = Rgn();
    RgnHandle block = NewRgn();
    std::uniform_int_distribution<int> count(0, 4);
    std::uniform_int_distribution<int> coord(0, 40);
    int n = count(rng);
    for (int i = 0; i < n; ++i) {
      int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
      Rect r{SInt16(std::min(a, b)), SInt16(std::min(c, d)), SInt16(std::max(a, b)),
             SInt16(std::max(c, d))};
      RectRgn(block, &r);
      // Alternate union and xor so shapes get holes as well as notches.
      if (i % 2 == 0) {
        UnionRgn(shape, block, shape);
        pixels->AddRect(r);
      } else {
        XorRgn(shape, block, shape);
        for (int v = r.top; v < r.bottom; ++v)
          for (int h = r.left; h < r.right; ++h) pixels->Set(h, v, !pixels->At(h, v));
      }
    }
    DisposeRgn(block);
    return shape;
  }
  std::vector<RgnHandle> owned_;
};

Pixels Combine(const Pixels& a, const Pixels& b, int op) {
  Pixels out;
  for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
    for (int h = Pixels::kMin; h < Pixels::kMax; ++h) {
      bool x = a.At(h, v), y = b.At(h, v);
      bool r = op == 0 ? (x || y) : op == 1 ? (x && y) : op == 2 ? (x && !y) : (x != y);
      out.Set(h, v, r);
    }
  return out;
}

// Erosion (d > 0) or dilation (d < 0) along one axis, judged pixel by pixel.
Pixels InsetAxis(const Pixels& in, int d, bool horizontal) {
  Pixels out;
  int reach = d < 0 ? -d : d;
  for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
    for (int h = Pixels::kMin; h < Pixels::kMax; ++h) {
      bool all = true, any = false;
      for (int k = -reach; k <= reach; ++k) {
        bool p = horizontal ? in.At(h + k, v) : in.At(h, v + k);
        all = all && p;
        any = any || p;
      }
      out.Set(h, v, d > 0 ? all : (d < 0 ? any : in.At(h, v)));
    }
  return out;
}

void (*const kOps[])(RgnHandle, RgnHandle, RgnHandle) = {UnionRgn, SectRgn, DiffRgn, XorRgn};
const char* const kOpNames[] = {"union", "sect", "diff", "xor"};

TEST_F(QDRegionsAlgebra, SetOperationsMatchPixelSetsAndStayCanonical) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 60; ++round) {
    Pixels pa, pb;
    RgnHandle a = RandomShape(rng, &pa);
    RgnHandle b = RandomShape(rng, &pb);
    ASSERT_TRUE(Holds(a, pa)) << "round " << round;
    for (int op = 0; op < 4; ++op) {
      RgnHandle d = Rgn();
      kOps[op](a, b, d);
      EXPECT_EQ(QDError(), noErr);
      EXPECT_TRUE(Holds(d, Combine(pa, pb, op))) << kOpNames[op] << " round " << round;
    }
  }
}

TEST_F(QDRegionsAlgebra, DestinationThatIsAlsoASourceIsReadBeforeItIsWritten) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    Pixels pa, pb;
    RgnHandle a = RandomShape(rng, &pa);
    RgnHandle b = RandomShape(rng, &pb);
    for (int op = 0; op < 4; ++op) {
      RgnHandle a2 = Rgn();
      RgnHandle b2 = Rgn();
      CopyRgn(a, a2);
      CopyRgn(b, b2);
      kOps[op](a2, b2, a2);
      EXPECT_TRUE(Holds(a2, Combine(pa, pb, op))) << kOpNames[op] << " into A";
      CopyRgn(a, a2);
      kOps[op](a2, b2, b2);
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

    int dh = delta(rng), dv = delta(rng);
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

TEST_F(QDRegionsAlgebra, InsetOfARectangleIsInsetRect) {
  struct Case {
    Rect r;
    SInt16 dh, dv;
    Rect want;
  } cases[] = {
      {{10, 10, 20, 30}, 2, 3, {13, 12, 17, 28}},
      {{10, 10, 20, 30}, -2, -3, {7, 8, 23, 32}},  // negative insets grow
      {{10, 10, 20, 30}, 10, 0, {0, 0, 0, 0}},     // too narrow: empty
      {{10, 10, 20, 30}, 0, 5, {0, 0, 0, 0}},      // too low: empty
      {{10, 10, 20, 30}, 3, -1, {9, 13, 21, 27}},  // shrink one way, grow the other
  };
  for (const Case& c : cases) {
    RgnHandle r = Rgn();
    RectRgn(r, &c.r);
    InsetRgn(r, c.dh, c.dv);
    Rect got;
    GetRegionBounds(r, &got);
    EXPECT_TRUE(EqualRect(&got, &c.want)) << c.dh << "," << c.dv;
    EXPECT_TRUE(IsRegionRectangular(r));
  }
}

TEST_F(QDRegionsAlgebra, RectInRgnAnswersWhetherAnyPixelIsShared) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> coord(-4, 44);
  for (int round = 0; round < 30; ++round) {
    Pixels p;
    RgnHandle shape = RandomShape(rng, &p);
    for (int k = 0; k < 40; ++k) {
      int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
      Rect r{SInt16(std::min(a, b)), SInt16(std::min(c, d)), SInt16(std::max(a, b)),
             SInt16(std::max(c, d))};
      bool shared = false;
      for (int v = r.top; v < r.bottom && !shared; ++v)
        for (int h = r.left; h < r.right && !shared; ++h) shared = p.At(h, v);
      EXPECT_EQ(bool(RectInRgn(&r, shape)), shared)
          << "(" << r.top << "," << r.left << "," << r.bottom << "," << r.right << ")";
    }
  }
}

TEST_F(QDRegionsAlgebra, HoleInsideTheBoundsIsNotReportedAsShared) {
  RgnHandle ring = Rgn();
  RgnHandle hole = Rgn();
  SetRectRgn(ring, 0, 0, 30, 30);
  SetRectRgn(hole, 10, 10, 20, 20);
  DiffRgn(ring, hole, ring);
  Rect inside{12, 12, 18, 18};
  Rect touching{12, 12, 18, 21};
  EXPECT_FALSE(RectInRgn(&inside, ring));
  EXPECT_TRUE(RectInRgn(&touching, ring));
  EXPECT_FALSE(PtInRgn(Point{15, 15}, ring));
  EXPECT_TRUE(PtInRgn(Point{15, 20}, ring));
  EXPECT_FALSE(IsRegionRectangular(ring));
}

TEST_F(QDRegionsAlgebra, EmptyRegionsAreHandledByEveryOperation) {
  RgnHandle empty = Rgn();
  RgnHandle box = Rgn();
  SetRectRgn(box, 1, 2, 11, 12);
  Pixels boxPixels;
  boxPixels.AddRect(Rect{2, 1, 12, 11});
  Pixels none;

  RgnHandle d = Rgn();
  UnionRgn(empty, box, d);
  EXPECT_TRUE(Holds(d, boxPixels));
  SectRgn(empty, box, d);
  EXPECT_TRUE(Holds(d, none));
  DiffRgn(box, empty, d);
  EXPECT_TRUE(Holds(d, boxPixels));
  DiffRgn(empty, box, d);
  EXPECT_TRUE(Holds(d, none));
  XorRgn(empty, empty, d);
  EXPECT_TRUE(Holds(d, none));
  DiffRgn(box, box, d);
  EXPECT_TRUE(Holds(d, none));
  EXPECT_TRUE(EqualRgn(d, empty)) << "an emptied region equals a new one";

  OffsetRgn(empty, 5, 5);
  InsetRgn(empty, -3, -3);
  EXPECT_TRUE(Holds(empty, none)) << "an empty region stays empty when moved or grown";

  Rect degenerate{5, 5, 5, 20};
  RectRgn(d, &degenerate);
  EXPECT_TRUE(EmptyRgn(d));
  EXPECT_FALSE(RectInRgn(&degenerate, box));
  EXPECT_FALSE(PtInRgn(Point{0, 0}, empty));
}

TEST_F(QDRegionsAlgebra, NullArgumentsDoNothing) {
  RgnHandle r = Rgn();
  SetRectRgn(r, 0, 0, 5, 5);
  UnionRgn(nullptr, r, r);
  SectRgn(r, nullptr, r);
  CopyRgn(nullptr, r);
  RectRgn(r, nullptr);
  OffsetRgn(nullptr, 1, 1);
  DisposeRgn(nullptr);
  Rect b;
  EXPECT_EQ(GetRegionBounds(nullptr, &b), nullptr);
  EXPECT_EQ(GetRegionBounds(r, nullptr), nullptr);
  EXPECT_TRUE(EmptyRgn(nullptr));
  EXPECT_FALSE(EqualRgn(nullptr, nullptr));
  EXPECT_FALSE(PtInRgn(Point{1, 1}, nullptr));
  EXPECT_FALSE(RectInRgn(nullptr, r));
  ASSERT_NE(GetRegionBounds(r, &b), nullptr);
  Rect want{0, 0, 5, 5};
  EXPECT_TRUE(EqualRect(&b, &want));
}

TEST_F(QDRegionsAlgebra, PixelsMovedPastTheCoordinateLimitFallOffInsteadOfWrapping) {
  RgnHandle r = Rgn();
  SetRectRgn(r, 32700, 0, 32760, 10);
  OffsetRgn(r, 30, 0);
  Rect b;
  GetRegionBounds(r, &b);
  Rect want{0, 32730, 10, 32767};
  EXPECT_TRUE(EqualRect(&b, &want));
  OffsetRgn(r, 100, 0);
  EXPECT_TRUE(EmptyRgn(r)) << "everything moved off the plane";

  SetRectRgn(r, -32760, -32760, -32700, -32700);
  InsetRgn(r, -20, -20);
  GetRegionBounds(r, &b);
  Rect grown{-32768, -32768, -32680, -32680};
  EXPECT_TRUE(EqualRect(&b, &grown));
}

TEST_F(QDRegionsAlgebra, MapRgnScalesEveryEdge) {
  RgnHandle r = Rgn();
  RgnHandle hole = Rgn();
  SetRectRgn(r, 0, 0, 10, 10);
  SetRectRgn(hole, 2, 2, 4, 4);
  DiffRgn(r, hole, r);
  Rect src{0, 0, 10, 10};
  Rect dst{20, 10, 40, 30};  // twice the size, moved by (10, 20)
  MapRgn(r, &src, &dst);
  Pixels want;
  want.AddRect(Rect{20, 10, 40, 30});
  for (int v = 24; v < 28; ++v)
    for (int h = 14; h < 18; ++h) want.Set(h, v, false);
  EXPECT_TRUE(Holds(r, want));

  // Shrinking squeezes the two-pixel hole into one pixel.
  Rect half{0, 0, 5, 5};
  MapRgn(r, &dst, &half);
  Pixels small;
  small.AddRect(Rect{0, 0, 5, 5});
  small.Set(1, 1, false);
  EXPECT_TRUE(Holds(r, small));
}

TEST_F(QDRegionsAlgebra, FailedStoreLeavesTheDestinationAsItWas) {
  RgnHandle a = Rgn();
  RgnHandle b = Rgn();
  RgnHandle d = Rgn();
  SetRectRgn(a, 0, 0, 10, 10);
  SetRectRgn(b, 5, 5, 20, 20);
  SetRectRgn(d, 1, 1, 3, 3);
  Pixels before = PixelsOf(d);

  sp_testing::FailNthAllocation(1);
  UnionRgn(a, b, d);  // the union needs band data: the destination must grow
  EXPECT_EQ(QDError(), memFullErr);
  EXPECT_TRUE(Holds(d, before));

  RgnHandle big = Rgn();
  UnionRgn(a, b, big);
  ASSERT_FALSE(IsRegionRectangular(big));
  sp_testing::FailNthAllocation(1);
  CopyRgn(big, d);
  EXPECT_EQ(QDError(), memFullErr);
  EXPECT_TRUE(Holds(d, before));

  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(NewRgn(), nullptr);
  EXPECT_EQ(QDError(), memFullErr);
}

TEST_F(QDRegionsAlgebra, ResultLargerThanTheLimitIsRefusedWithOverflow) {
  RgnHandle comb = Rgn();
  RgnHandle tooth = Rgn();
  for (int i = 0; i < 20; ++i) {
    SetRectRgn(tooth, SInt16(i * 4), 0, SInt16(i * 4 + 2), SInt16(10 + i));
    UnionRgn(comb, tooth, comb);
  }
  Pixels before = PixelsOf(comb);
  sp_platform::SetRegionByteLimit(64);
  RgnHandle d = Rgn();
  SetRectRgn(d, 0, 0, 1, 1);
  Pixels one = PixelsOf(d);
  OffsetRgn(comb, 1, 0);
  OSErr offsetErr = QDError();
  UnionRgn(comb, d, d);
  OSErr unionErr = QDError();
  sp_platform::SetRegionByteLimit(0);
  EXPECT_EQ(offsetErr, rgnOverflowErr);
  EXPECT_EQ(unionErr, rgnOverflowErr);
  EXPECT_TRUE(Holds(comb, before));
  EXPECT_TRUE(Holds(d, one));
}

TEST_F(QDRegionsAlgebra, HelpersCutAndBuildRegions) {
  RgnHandle r = Rgn();
  ASSERT_EQ(sp_platform::RectsToRgn({Rect{0, 0, 10, 10}, Rect{5, 5, 15, 15}, Rect{3, 3, 3, 9}}, r),
            noErr);
  Pixels want;
  want.AddRect(Rect{0, 0, 10, 10});
  want.AddRect(Rect{5, 5, 15, 15});
  EXPECT_TRUE(Holds(r, want));

  RgnHandle cut = Rgn();
  ASSERT_EQ(sp_platform::SectRgnWithRect(r, Rect{8, 2, 12, 12}, cut), noErr);
  Pixels cutWant;
  for (int v = 8; v < 12; ++v)
    for (int h = 2; h < 12; ++h) cutWant.Set(h, v, want.At(h, v));
  EXPECT_TRUE(Holds(cut, cutWant));

  std::vector<Rect> rects = sp_platform::RegionRectsInRect(r, Rect{8, 2, 12, 12});
  Pixels fromRects;
  for (const Rect& x : rects) fromRects.AddRect(x);
  EXPECT_TRUE(fromRects == cutWant) << fromRects.DiffTo(cutWant);
  for (std::size_t i = 1; i < rects.size(); ++i)
    EXPECT_TRUE(rects[i - 1].top < rects[i].top ||
                (rects[i - 1].top == rects[i].top && rects[i - 1].right < rects[i].left))
        << "rectangles come band by band, left to right";
}

TEST_F(QDRegionsAlgebra, BitMapToRegionReadsBitsLeftmostFirst) {
  // Two rows of 12 pixels: row 0 has pixels 0 and 9..11, row 1 has pixels 1..2.
  unsigned char bits[] = {0x80, 0x70, 0x60, 0x00};
  BitMap map{reinterpret_cast<Ptr>(bits), 2, Rect{5, 10, 7, 22}};
  RgnHandle r = Rgn();
  ASSERT_EQ(BitMapToRegion(r, &map), noErr);
  Pixels want;
  want.Set(10, 5);
  want.Set(19, 5);
  want.Set(20, 5);
  want.Set(21, 5);
  want.Set(11, 6);
  want.Set(12, 6);
  EXPECT_TRUE(Holds(r, want));

  BitMap pixmap{reinterpret_cast<Ptr>(bits), SInt16(0x8002), Rect{0, 0, 2, 12}};
  EXPECT_EQ(BitMapToRegion(r, &pixmap), pixmapTooDeepErr);
  BitMap narrow{reinterpret_cast<Ptr>(bits), 1, Rect{0, 0, 2, 12}};
  EXPECT_EQ(BitMapToRegion(r, &narrow), paramErr) << "rows shorter than the bounds are refused";
  EXPECT_TRUE(Holds(r, want));
}

}  // namespace
