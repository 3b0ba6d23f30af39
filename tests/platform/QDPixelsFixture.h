// Shared by the pixel, shape, copy, picture and icon tests: a white 40 x 40 GWorld made
// current, and pixel pictures of parts of a port.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QuickDraw.h"
#include "SpTesting.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace qdtest {

constexpr UInt32 kBlack = 0x000000, kWhite = 0xFFFFFF, kGrey = 0x808080, kRed = 0xFF0000,
                 kBlue = 0x0000FF;

inline Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}
inline RGBColor RGB8(UInt8 r, UInt8 g, UInt8 b) {
  return RGBColor{UInt16(r * 257), UInt16(g * 257), UInt16(b * 257)};
}

class QDPixelsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetWindows();
    world_ = NewWorld(R(0, 0, 40, 40));
    SetGWorld(world_, nullptr);
  }
  void TearDown() override {
    sp_testing::FailNthAllocation(0);
    sp_testing::ResetWindows();
    for (GWorldPtr w : worlds_) DisposeGWorld(w);
  }
  // A new GWorld filled white; disposed of at the end of the test.
  GWorldPtr NewWorld(const Rect& bounds) {
    GWorldPtr w = nullptr;
    EXPECT_EQ(NewGWorld(&w, 32, &bounds, nullptr, nullptr, 0), noErr);
    if (w != nullptr) worlds_.push_back(w), sp_testing::FillPort(w, kWhite);
    return w;
  }
  void Clear(UInt32 colour = kWhite) const { sp_testing::FillPort(world_, colour); }
  UInt32 Px(SInt16 h, SInt16 v) const { return sp_testing::ReadPixel(world_, h, v); }

  // The pixels of r in the port, rows ended by '/': '#' black, '.' white, 'r' red, 'b' blue,
  // '-' grey, 'o' anything else.
  static std::string Picture(CGrafPtr port, const Rect& r) {
    std::string out;
    for (SInt16 v = r.top; v < r.bottom; ++v, out += '/')
      for (SInt16 h = r.left; h < r.right; ++h) {
        const UInt32 p = sp_testing::ReadPixel(port, h, v);
        out += p == kBlack   ? '#'
               : p == kWhite ? '.'
               : p == kRed   ? 'r'
               : p == kBlue  ? 'b'
               : p == kGrey  ? '-'
                             : 'o';
      }
    return out;
  }
  std::string Picture(const Rect& r) const { return Picture(world_, r); }
  std::vector<UInt32> Row(SInt16 v, SInt16 left, SInt16 right) const {
    std::vector<UInt32> out;
    for (SInt16 h = left; h < right; ++h) out.push_back(Px(h, v));
    return out;
  }
  // Every pixel of the port, for comparing before and after.
  static std::vector<UInt32> AllPixels(CGrafPtr port) {
    Rect b;
    GetPortBounds(port, &b);
    std::vector<UInt32> out;
    for (SInt16 v = b.top; v < b.bottom; ++v)
      for (SInt16 h = b.left; h < b.right; ++h) out.push_back(sp_testing::ReadPixel(port, h, v));
    return out;
  }
  bool AllAre(UInt32 colour) const {
    return AllPixels(world_) == std::vector<UInt32>(40 * 40, colour);
  }
  // Stripes of distinct colours, so that moved or restored pixels can be told apart.
  static void Stripes(CGrafPtr port) {
    CGrafPtr saved;
    GetPort(&saved);
    SetPort(port);
    for (SInt16 v = 0; v < 40; ++v)
      for (SInt16 h = 0; h < 40; ++h) {
        const RGBColor c = RGB8(UInt8(h * 5 + 10), UInt8(v * 7 + 20), UInt8((h + v) * 3));
        SetCPixel(h, v, &c);
      }
    SetPort(saved);
  }

  GWorldPtr world_ = nullptr;
  std::vector<GWorldPtr> worlds_;
};

}  // namespace qdtest
