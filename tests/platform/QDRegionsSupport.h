// Pixel sets computed without the region code, to judge regions against.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "QDRegions.h"
#include "QuickDraw.h"
#include "SpTesting.h"
#include "detail/RegionTools.h"

namespace qdr_test {

// The pixels of a square window of the plane, one flag each.
class Pixels {
 public:
  static constexpr int kMin = -48;
  static constexpr int kMax = 96;

  bool At(int h, int v) const { return Inside(h, v) && bits_[Index(h, v)] != 0; }
  void Set(int h, int v, bool on = true) {
    if (Inside(h, v)) bits_[Index(h, v)] = on ? 1 : 0;
  }
  void AddRect(const Rect& r, bool on = true) {
    for (int v = r.top; v < r.bottom; ++v)
      for (int h = r.left; h < r.right; ++h) Set(h, v, on);
  }
  // The tight bounds, (0, 0, 0, 0) when empty, and the number of pixels.
  Rect Bounds(int* count) const {
    int top = kMax, left = kMax, bottom = kMin, right = kMin;
    *count = 0;
    for (int v = kMin; v < kMax; ++v)
      for (int h = kMin; h < kMax; ++h)
        if (At(h, v)) {
          top = std::min(top, v), left = std::min(left, h), ++*count;
          bottom = std::max(bottom, v + 1), right = std::max(right, h + 1);
        }
    if (top == kMax) return Rect{0, 0, 0, 0};
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
  }
  bool operator==(const Pixels& o) const { return bits_ == o.bits_; }

  // The first difference, for failure messages.
  std::string DiffTo(const Pixels& o) const {
    for (int v = kMin; v < kMax; ++v)
      for (int h = kMin; h < kMax; ++h)
        if (At(h, v) != o.At(h, v)) {
          std::ostringstream s;
          s << "pixel (" << h << "," << v << ") is " << At(h, v) << " here, " << o.At(h, v)
            << " there";
          return s.str();
        }
    return "same";
  }

 private:
  static bool Inside(int h, int v) { return h >= kMin && h < kMax && v >= kMin && v < kMax; }
  static std::size_t Index(int h, int v) {
    return std::size_t(v - kMin) * std::size_t(kMax - kMin) + std::size_t(h - kMin);
  }
  std::vector<unsigned char> bits_ =
      std::vector<unsigned char>(std::size_t(kMax - kMin) * std::size_t(kMax - kMin), 0);
};

// The region's pixels read through its rectangles.
inline Pixels PixelsOf(RgnHandle rgn) {
  Pixels p;
  for (const Rect& r : sp_platform::RegionRects(rgn)) p.AddRect(r);
  return p;
}

// Checks everything a region must agree on with the pixel set it should hold: its pixels, its
// bounds, emptiness, and that it is stored exactly as a region built pixel by pixel from the
// set (the canonical form EqualRgn relies on).
inline ::testing::AssertionResult Holds(RgnHandle rgn, const Pixels& want) {
  Pixels got = PixelsOf(rgn);
  if (!(got == want)) return ::testing::AssertionFailure() << "rectangles: " << got.DiffTo(want);
  int count = 0;
  Rect b{}, wb = want.Bounds(&count);
  GetRegionBounds(rgn, &b);
  if (!EqualRect(&b, &wb))
    return ::testing::AssertionFailure()
           << "bounds " << b.top << "," << b.left << " want " << wb.top << "," << wb.left;
  if (bool(EmptyRgn(rgn)) != (count == 0)) return ::testing::AssertionFailure() << "EmptyRgn";
  RgnHandle built = NewRgn();
  const Rect all{Pixels::kMin, Pixels::kMin, Pixels::kMax, Pixels::kMax};
  sp_platform::MaskToRgn(
      all, [&](SInt16 h, SInt16 v) { return want.At(h, v); }, built);
  const bool same = EqualRgn(rgn, built);
  DisposeRgn(built);
  if (!same) return ::testing::AssertionFailure() << "not in canonical form (EqualRgn)";
  return ::testing::AssertionSuccess();
}

// Regions made in a test and disposed of at its end.
class RegionsTest : public ::testing::Test {
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
  RgnHandle Rgn(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    RgnHandle r = Rgn();
    SetRectRgn(r, left, top, right, bottom);
    return r;
  }
  std::vector<RgnHandle> owned_;
};

}  // namespace qdr_test
