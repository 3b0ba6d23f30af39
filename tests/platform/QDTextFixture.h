// A GWorld to draw text into, current while the test runs, erased to white, with the
// fixed-metric test font standing in for the system font (exact widths).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "QuickDraw.h"
#include "TestFonts.h"

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

  // True when the pixel at local (h, v) is darker than mid grey.
  static bool Dark(SInt16 h, SInt16 v) {
    RGBColor c{};
    GetCPixel(h, v, &c);
    return (UInt32(c.red) + c.green + c.blue) / 3 < 0x8000;
  }
  static RGBColor Pixel(SInt16 h, SInt16 v) {
    RGBColor c{};
    GetCPixel(h, v, &c);
    return c;
  }
  static bool IsWhite(SInt16 h, SInt16 v) {
    const RGBColor c = Pixel(h, v);
    return c.red == 0xFFFF && c.green == 0xFFFF && c.blue == 0xFFFF;
  }

  sp_testing::FixedMetricFontScope fixedFont_;
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

}  // namespace qdtext_test
