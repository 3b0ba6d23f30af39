// Shared by the drawing-function, panel and colour-table tests: a white GWorld made current
// for the test, and pixels read as 0xRRGGBB.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ByteOrder.h"
#include "QuickDraw.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace drawing_test {

constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;

inline Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}

// The colour has these components; the failure message shows both.
inline ::testing::AssertionResult ColorIs(const RGBColor& got, UInt16 r, UInt16 g, UInt16 b) {
  if (got.red == r && got.green == g && got.blue == b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.red << ", " << got.green << ", "
                                       << got.blue << "), expected (" << r << ", " << g << ", "
                                       << b << ")";
}

// The sum of the three channels: larger is lighter.
inline int Lightness(UInt32 rgb) {
  return int((rgb >> 16) & 0xFF) + int((rgb >> 8) & 0xFF) + int(rgb & 0xFF);
}

// A 'clut' whose size field says `sizeField` (the last index) and holding these colours.
inline std::vector<UInt8> Clut(int sizeField, const std::vector<RGBColor>& colors) {
  std::vector<UInt8> bytes(8 + colors.size() * 8, 0);
  sp::StoreBE16(&bytes[6], UInt16(sizeField));
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const UInt16 fields[] = {UInt16(i), colors[i].red, colors[i].green, colors[i].blue};
    for (int k = 0; k < 4; ++k) sp::StoreBE16(&bytes[8 + i * 8 + std::size_t(k) * 2], fields[k]);
  }
  return bytes;
}

class DrawingPortTest : public ::testing::Test {
 protected:
  // Wide enough for the 331 x 100 colour picker.
  static constexpr SInt16 kWidth = 360;
  static constexpr SInt16 kHeight = 160;

  void SetUp() override {
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    GetGWorld(&savedPort_, &savedDevice_);
    const Rect bounds = R(0, 0, kHeight, kWidth);
    ASSERT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
    sp_testing::FillPort(world_, kWhite);
    SetGWorld(world_, nullptr);
  }
  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    if (world_ != nullptr) DisposeGWorld(world_);
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
  }

  UInt32 Px(SInt16 h, SInt16 v) const { return sp_testing::ReadPixel(world_, h, v); }

  // Every pixel of the test's port, for comparing before and after.
  std::vector<UInt32> AllPixels() const {
    std::vector<UInt32> out;
    for (SInt16 v = 0; v < kHeight; ++v) {
      for (SInt16 h = 0; h < kWidth; ++h) out.push_back(Px(h, v));
    }
    return out;
  }

  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

}  // namespace drawing_test
