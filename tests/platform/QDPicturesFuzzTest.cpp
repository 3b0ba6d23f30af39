// Untrusted image bytes: every cut and many random changes of a picture, a colour icon and a
// colour cursor either load whole or are refused, and never make the layer read or write
// outside its memory (the sanitizers watch these runs).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "MacMemory.h"
#include "QDPixelsFixture.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "TestResources.h"
#include "quickdraw/detail/Cursors.h"

namespace {

using qdtest::R;

constexpr ResType kPICT = SpFourCC("PICT");
constexpr ResType kCicn = SpFourCC("cicn");
constexpr ResType kCrsr = SpFourCC("crsr");
constexpr SInt16 kFuzzID = 9099;

std::vector<UInt8> ResourceBytes(ResType type, SInt16 id) {
  Handle h = GetResource(type, id);
  if (h == nullptr) return {};
  const UInt8* p = reinterpret_cast<const UInt8*>(*h);
  return std::vector<UInt8>(p, p + GetHandleSize(h));
}

class QDPicturesFuzz : public qdtest::QDPixelsFixture {
 protected:
  void SetUp() override {
    QDPixelsFixture::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
  void TearDown() override {
    sp_testing::ResetResources();
    QDPixelsFixture::TearDown();
  }

  // Loads and draws the bytes as each kind; a picture that loads must draw exactly what the
  // intact one draws, and nothing may land outside the destination.
  // (`intact` null: nothing to compare with yet.)
  void Exercise(ResType type, const std::vector<UInt8>& bytes, const std::vector<UInt32>* intact) {
    ASSERT_EQ(sp_testing::AddAppResource(type, kFuzzID, bytes), noErr);
    sp_testing::FillPort(world_, qdtest::kWhite);
    const Rect dst = R(0, 0, 8, 16);
    if (type == kPICT) {
      PicHandle pic = GetPicture(kFuzzID);
      DrawPicture(reinterpret_cast<PicHandle>(GetResource(kPICT, kFuzzID)), &dst);
      if (pic != nullptr && intact != nullptr) {
        EXPECT_EQ(AllPixels(world_), *intact);
      }
    } else if (type == kCicn) {
      CIconHandle icon = GetCIcon(kFuzzID);
      PlotCIcon(&dst, icon);
      PlotIconID(&dst, kAlignAbsoluteCenter, kTransformNone, kFuzzID);
      DisposeCIcon(icon);
    } else {
      CCrsrHandle cursor = GetCCursor(kFuzzID);
      if (cursor != nullptr) {
        sp_platform::ArgbImage image;
        EXPECT_TRUE(sp_platform::ColorCursorImage(cursor, &image));
        EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * image.height);
        SetCCursor(cursor);
        DisposeCCursor(cursor);
      }
    }
    for (SInt16 v = 0; v < 40; ++v) {
      for (SInt16 h = 0; h < 40; ++h) {
        if (h >= 16 || v >= 8) {
          ASSERT_EQ(Px(h, v), qdtest::kWhite) << h << ", " << v;
        }
      }
    }
  }

  std::vector<UInt32> IntactPicture(const std::vector<UInt8>& bytes) {
    Exercise(kPICT, bytes, nullptr);
    EXPECT_EQ(Px(0, 0), 0xFF0000u) << "the intact picture draws";
    return AllPixels(world_);
  }
};

TEST_F(QDPicturesFuzz, EveryCutOfTheBytesIsRefusedOrWhole) {
  struct Source {
    ResType type;
    SInt16 id;
  };
  const Source sources[] = {{kPICT, 9070}, {kCicn, 9072}, {kCrsr, 9074}};
  for (const Source& source : sources) {
    const std::vector<UInt8> bytes = ResourceBytes(source.type, source.id);
    ASSERT_FALSE(bytes.empty());
    const std::vector<UInt32> intact =
        source.type == kPICT ? IntactPicture(bytes) : std::vector<UInt32>{};
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      Exercise(source.type, std::vector<UInt8>(bytes.begin(), bytes.begin() + n), &intact);
      if (HasFatalFailure()) return;
    }
  }
}

TEST_F(QDPicturesFuzz, RandomChangesAreRefusedOrDrawnWithinTheRectangle) {
  std::mt19937 random(20240611);
  const ResType types[] = {kPICT, kCicn, kCrsr};
  const SInt16 ids[] = {9070, 9072, 9074};
  for (int k = 0; k < 3; ++k) {
    const std::vector<UInt8> bytes = ResourceBytes(types[k], ids[k]);
    ASSERT_FALSE(bytes.empty());
    for (int round = 0; round < 400; ++round) {
      std::vector<UInt8> changed = bytes;
      const int changes = 1 + int(random() % 4);
      for (int c = 0; c < changes; ++c) {
        changed[random() % changed.size()] = UInt8(random());
      }
      ASSERT_EQ(sp_testing::AddAppResource(types[k], kFuzzID, changed), noErr);
      sp_testing::FillPort(world_, qdtest::kWhite);
      const Rect dst = R(0, 0, 8, 16);
      if (types[k] == kPICT) {
        DrawPicture(GetPicture(kFuzzID), &dst);
      } else if (types[k] == kCicn) {
        CIconHandle icon = GetCIcon(kFuzzID);
        PlotCIcon(&dst, icon);
        DisposeCIcon(icon);
      } else {
        DisposeCCursor(GetCCursor(kFuzzID));
      }
      for (SInt16 v = 0; v < 40; ++v) {
        for (SInt16 h = 16; h < 40; ++h) ASSERT_EQ(Px(h, v), qdtest::kWhite);
      }
    }
  }
}

}  // namespace
