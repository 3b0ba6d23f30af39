// A GWorld to draw text into, current while the test runs, erased to white, with the
// fixed-metric test font standing in for the system font (exact widths).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "QuickDraw.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"

namespace qdtext_test {

inline std::string P(const std::string& s) {
  return std::string(1, char(s.size())) + s;
}
inline ConstStr255Param PStr(const std::string& pascal) {
  return reinterpret_cast<ConstStr255Param>(pascal.data());
}

class TextPortTest : public ::testing::Test {
 protected:
  static constexpr SInt16 kWidth = 200;
  static constexpr SInt16 kHeight = 60;

  void SetUp() override {
    GetGWorld(&savedPort_, &savedDevice_);
    Rect bounds{0, 0, kHeight, kWidth};
    ASSERT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
    SetGWorld(world_, nullptr);
    EraseRect(&bounds);
  }

  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    if (world_ != nullptr) DisposeGWorld(world_);
    SetFractEnable(false);
  }

  // The pixel at local (h, v) as 0xRRGGBB.
  UInt32 Px(SInt16 h, SInt16 v) const { return sp_testing::ReadPixel(world_, h, v); }
  // Pixels darker than mid grey in [left, right) x [top, bottom).
  int Ink(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) const {
    int n = 0;
    for (SInt16 v = top; v < bottom; ++v)
      for (SInt16 h = left; h < right; ++h) {
        const UInt32 p = Px(h, v);
        n += ((p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3 < 0x80 ? 1 : 0;
      }
    return n;
  }
  static SInt16 PenH() {
    Point pen{};
    GetPen(&pen);
    return pen.h;
  }

  sp_testing::FixedMetricFontScope fixedFont_;
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

}  // namespace qdtext_test
