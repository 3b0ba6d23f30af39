// Pixel sets computed without the region code, to judge regions against.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "QDRegions.h"
#include "detail/RegionTools.h"

namespace qdr_test {

// The pixels of a square window of the plane, one flag each.
class Pixels {
 public:
  static constexpr int kMin = -48;
  static constexpr int kMax = 96;

  bool At(int h, int v) const {
    if (h < kMin || h >= kMax || v < kMin || v >= kMax) return false;
    return bits_[Index(h, v)] != 0;
  }
  void Set(int h, int v, bool on = true) {
    if (h < kMin || h >= kMax || v < kMin || v >= kMax) return;
    bits_[Index(h, v)] = on ? 1 : 0;
  }
  void AddRect(const Rect& r) {
    for (int v = r.top; v < r.bottom; ++v)
      for (int h = r.left; h < r.right; ++h) Set(h, v);
  }
  bool Empty() const {
    for (unsigned char b : bits_)
      if (b) return false;
    return true;
  }
  // The tight bounds, (0, 0, 0, 0) when empty.
  Rect Bounds() const {
    Rect r{0, 0, 0, 0};
    bool any = false;
    for (int v = kMin; v < kMax; ++v)
      for (int h = kMin; h < kMax; ++h)
        if (At(h, v)) {
          if (!any) r = Rect{SInt16(v), SInt16(h), SInt16(v + 1), SInt16(h + 1)};
          any = true;
          if (v < r.top) r.top = SInt16(v);
          if (h < r.left) r.left = SInt16(h);
          if (v + 1 > r.bottom) r.bottom = SInt16(v + 1);
          if (h + 1 > r.right) r.right = SInt16(h + 1);
        }
    return r;
  }
  bool IsRectangle() const {
    Rect b = Bounds();
    for (int v = b.top; v < b.bottom; ++v)
      for (int h = b.left; h < b.right; ++h)
        if (!At(h, v)) return false;
    return true;
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

// Checks everything a region must agree on with the pixel set it should hold: its pixels,
// PtInRgn everywhere, its bounds, emptiness, rectangularity, and that it is stored exactly
// as a region built pixel by pixel from the set (the canonical form EqualRgn relies on).
inline ::testing::AssertionResult Holds(RgnHandle rgn, const Pixels& want) {
  Pixels got = PixelsOf(rgn);
  if (!(got == want)) return ::testing::AssertionFailure() << "rectangles: " << got.DiffTo(want);
  for (int v = Pixels::kMin; v < Pixels::kMax; ++v)
    for (int h = Pixels::kMin; h < Pixels::kMax; ++h)
      if (bool(PtInRgn(Point{SInt16(v), SInt16(h)}, rgn)) != want.At(h, v))
        return ::testing::AssertionFailure() << "PtInRgn wrong at (" << h << "," << v << ")";
  Rect b{};
  GetRegionBounds(rgn, &b);
  Rect wb = want.Bounds();
  if (b.top != wb.top || b.left != wb.left || b.bottom != wb.bottom || b.right != wb.right)
    return ::testing::AssertionFailure()
           << "bounds (" << b.top << "," << b.left << "," << b.bottom << "," << b.right
           << ") want (" << wb.top << "," << wb.left << "," << wb.bottom << "," << wb.right << ")";
  if (bool(EmptyRgn(rgn)) != want.Empty()) return ::testing::AssertionFailure() << "EmptyRgn";
  if (bool(IsRegionRectangular(rgn)) != want.IsRectangle())
    return ::testing::AssertionFailure() << "IsRegionRectangular";
  RgnHandle built = NewRgn();
  Rect all{Pixels::kMin, Pixels::kMin, Pixels::kMax, Pixels::kMax};
  sp_platform::MaskToRgn(
      all, [&](SInt16 h, SInt16 v) { return want.At(h, v); }, built);
  bool same = EqualRgn(rgn, built);
  DisposeRgn(built);
  if (!same) return ::testing::AssertionFailure() << "not in canonical form (EqualRgn)";
  return ::testing::AssertionSuccess();
}

}  // namespace qdr_test
