// Colour cursors keep the colour image their resource holds, and a damaged image leaves the
// one-bit image standing in.
#include <gtest/gtest.h>

#include <vector>

#include "MacMemory.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "TestResources.h"
#include "quickdraw/detail/Cursors.h"

namespace {

constexpr ResType kCrsr = SpFourCC("crsr");
constexpr SInt16 kColourCursor = 9074;  // top half green (left) and red (right); hot spot 3, 5

class QDIconsCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_platform::ResetCursor();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
  void TearDown() override {
    sp_platform::ResetCursor();
    sp_testing::ResetResources();
  }
};

TEST_F(QDIconsCursor, ColourCursorKeepsItsPixelsAndHotSpot) {
  CCrsrHandle cursor = GetCCursor(kColourCursor);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ((**cursor).crsrHotSpot.v, 3);
  EXPECT_EQ((**cursor).crsrHotSpot.h, 5);
  // The one-bit image: red is dark (black), green light (white); the bottom half is outside
  // the mask.
  EXPECT_EQ((**cursor).crsr1Data[0], 0x00FF);
  EXPECT_EQ((**cursor).crsrMask[0], 0xFFFF);
  EXPECT_EQ((**cursor).crsrMask[8], 0x0000);

  sp_platform::ArgbImage image;
  ASSERT_TRUE(sp_platform::ColorCursorImage(cursor, &image));
  ASSERT_EQ(image.width, 16u);
  ASSERT_EQ(image.height, 16u);
  EXPECT_EQ(image.pixels[0], 0xFF00FF00u);
  EXPECT_EQ(image.pixels[8], 0xFFFF0000u);
  EXPECT_EQ(image.pixels[8 * 16] >> 24, 0u) << "transparent";

  SetCCursor(cursor);
  const sp_platform::CursorRecord& record = sp_platform::CurrentCursor();
  EXPECT_EQ(record.kind, sp_platform::CursorKind::kColor);
  EXPECT_EQ(record.colorImage.pixels, image.pixels);
  InitCursor();
  EXPECT_TRUE(sp_platform::CurrentCursor().colorImage.Empty());
  DisposeCCursor(cursor);
  EXPECT_FALSE(sp_platform::ColorCursorImage(cursor, &image));
}

TEST_F(QDIconsCursor, DamagedColourImageLeavesTheOneBitCursor) {
  Handle good = GetResource(kCrsr, kColourCursor);
  ASSERT_NE(good, nullptr);
  const UInt8* p = reinterpret_cast<const UInt8*>(*good);
  struct Case {
    const char* name;
    std::vector<UInt8> bytes;
  };
  std::vector<UInt8> pastTheEnd(p, p + GetHandleSize(good));
  pastTheEnd[6] = 0x7F;  // crsrData far beyond the bytes
  std::vector<UInt8> insideHeader(p, p + GetHandleSize(good));
  insideHeader[9] = 20;  // crsrData pointing into the header
  const Case cases[] = {
      {"truncated image", std::vector<UInt8>(p, p + 120)},
      {"header only", std::vector<UInt8>(p, p + 96)},
      {"image offset past the end", pastTheEnd},
      {"image offset inside the header", insideHeader},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(sp_testing::AddAppResource(kCrsr, 9094, c.bytes), noErr);
    CCrsrHandle cursor = GetCCursor(9094);
    ASSERT_NE(cursor, nullptr) << c.name;
    EXPECT_EQ((**cursor).crsrMask[0], 0xFFFF) << c.name;
    sp_platform::ArgbImage image;
    EXPECT_TRUE(sp_platform::ColorCursorImage(cursor, &image)) << c.name;
    EXPECT_TRUE(image.Empty()) << c.name;
    DisposeCCursor(cursor);
  }
}

}  // namespace
