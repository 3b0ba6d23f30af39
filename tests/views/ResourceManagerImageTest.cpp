// Colour icon and picture loans of the views' resource manager: one loaded icon, or one drawn
// GWorld per picture, shared by its users and freed with the last of them (pictures: unless
// preloaded); what a picture copy puts where.
#include <gtest/gtest.h>
#include <png.h>

#include <utility>
#include <vector>

#include "ErrorLogCapture.h"
#include "QDPictures.h"
#include "QuickDraw.h"
#include "SpResourceManager.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"
#include "TestQuickDraw.h"

namespace {

constexpr ResType kPICT = SpFourCC("PICT");
constexpr UInt32 kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;
using drawing_test::kWhite;
using Row = std::vector<UInt32>;

// A PNG of these pixels, 0xRRGGBBAA row by row.
std::vector<UInt8> Png(int width, int height, const std::vector<UInt32>& rgba) {
  std::vector<UInt8> pixels;
  for (UInt32 p : rgba) {
    for (int shift : {24, 16, 8, 0}) pixels.push_back(UInt8(p >> shift));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::vector<UInt8> out(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
  return out;
}

// A 'PICT' as the resource compiler stores one: size, frame (placed at 30, 40 to show that the
// manager moves it to 0, 0), then the PNG.
std::vector<UInt8> Pict(int width, int height, const std::vector<UInt32>& rgba) {
  const std::vector<UInt8> png = Png(width, height, rgba);
  const UInt16 size = UInt16(10 + png.size());
  std::vector<UInt8> out = {UInt8(size >> 8), UInt8(size)};
  for (int v : {30, 40, 30 + height, 40 + width}) out.insert(out.end(), {UInt8(v >> 8), UInt8(v)});
  out.insert(out.end(), png.begin(), png.end());
  return out;
}

enum : SInt16 {
  kRedBlue = 9400,  // 4 x 2: the left two columns red, the right two blue
  kHoles = 9401,    // 4 x 1: green, clear, clear, green
};

class ResourceManagerPicture : public drawing_test::DrawingPortTest {
 protected:
  void SetUp() override {
    DrawingPortTest::SetUp();
    Sp_InitializeResourceManager();
    const UInt32 r = 0xFF0000FF, b = 0x0000FFFF, g = 0x00FF00FF;
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, kRedBlue, Pict(4, 2, {r, r, b, b, r, r, b, b})),
              noErr);
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, kHoles, Pict(4, 1, {g, 0, 0, g})), noErr);
    sp_testing::FillPort(world_, kGreen);
  }
  void TearDown() override {
    Sp_InitializeResourceManager();
    DrawingPortTest::TearDown();
  }

  Row Pixels(GWorldPtr port, SInt16 v, SInt16 left, SInt16 right) const {
    Row out;
    for (SInt16 h = left; h < right; ++h) out.push_back(sp_testing::ReadPixel(port, h, v));
    return out;
  }
  // A loan, answering the item and its user number.
  static std::pair<cSp_PictureItem*, SInt32> Loan(SInt16 id) {
    SInt32 ref = 0;
    cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(id, ref);
    return {item, ref};
  }
};

TEST_F(ResourceManagerPicture, LoansShareOneDrawnItemUntilTheLastReleaseUnlessPreloaded) {
  ErrorLogCapture log;
  const auto [item, ref1] = Loan(kRedBlue);
  ASSERT_NE(item, nullptr);
  const Rect frame = item->GetFrame(), origin = {0, 0, 2, 4};
  EXPECT_TRUE(EqualRect(&frame, &origin)) << "the frame moves to 0, 0";
  ASSERT_NE(item->GetPictureGWorld(), nullptr);
  EXPECT_EQ(Pixels(item->GetPictureGWorld(), 1, 0, 4), (Row{kRed, kRed, kBlue, kBlue}));
  // The drawn picture does not depend on the resource any more.
  ASSERT_EQ(sp_testing::AddAppResource(kPICT, kRedBlue, Pict(4, 2, Row(8, 0x000000FF))), noErr);
  const auto [item2, ref2] = Loan(kRedBlue);
  EXPECT_EQ(item2, item) << "later loans share the item";
  EXPECT_EQ(sp_testing::ReadPixel(item->GetPictureGWorld(), 0, 0), kRed) << "not drawn again";
  Sp_ResM_ReleasePicture(item, ref1);
  const auto [item3, ref3] = Loan(kRedBlue);
  EXPECT_EQ(item3, item) << "one user still holds it";
  EXPECT_EQ((Row{UInt32(ref1), UInt32(ref2), UInt32(ref3)}), (Row{1, 2, 3}));
  Sp_ResM_ReleasePicture(item, ref2);
  Sp_ResM_ReleasePicture(item, ref3);
  EXPECT_EQ(Loan(kRedBlue).second, 1) << "a fresh item: the old one went with its last user";

  EXPECT_TRUE(Sp_ResM_PreLoadPictureItem(kHoles));
  const auto [resident, first] = Loan(kHoles);
  ASSERT_NE(resident, nullptr);
  EXPECT_TRUE(resident->IsResident());
  EXPECT_EQ(first, 1) << "numbers count per picture, and the preload took none";
  Sp_ResM_ReleasePicture(resident, first);
  EXPECT_EQ(Loan(kHoles), std::make_pair(resident, SInt32(2))) << "the resident item stays";
  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(ResourceManagerPicture, CopiesAreScaledShowClearPartsWhiteAndColouriseOnlyWhenAsked) {
  cSp_PictureItem* holes = Loan(kHoles).first;
  cSp_PictureItem* item = Loan(kRedBlue).first;
  ASSERT_NE(holes, nullptr);
  ASSERT_NE(item, nullptr);
  // A new GWorld holds stale memory until erased; a copy shows that white, not the port.
  sp_testing::FillPort(world_, kRed);
  holes->DrawPicuterOnCurrentPort(Rect{0, 0, 1, 4}, 0, nullptr, srcCopy, 0);
  EXPECT_EQ(Pixels(world_, 0, 0, 5), (Row{kGreen, kWhite, kWhite, kGreen, kRed}));

  // Colours of the target port that would colourise a copy made in it.
  sp_testing::FillPort(world_, kGreen);
  const RGBColor yellow = {0xFFFF, 0xFFFF, 0}, black = {0, 0, 0};
  RGBForeColor(&yellow);
  RGBBackColor(&black);
  item->DrawPicuterOnCurrentPort(Rect{1, 2, 5, 10}, 0, nullptr, srcCopy, 0);  // twice the size
  EXPECT_EQ(Pixels(world_, 1, 1, 11),
            (Row{kGreen, kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, kBlue, kGreen}));
  EXPECT_EQ(Pixels(world_, 4, 2, 3), Row{kRed});
  EXPECT_EQ(Pixels(world_, 5, 2, 3), Row{kGreen});
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_TRUE(fore.red == 0xFFFF && fore.blue == 0) << "the port's colours are left alone";

  // Colourised, each channel takes the port's colours: full the back colour's (black), empty
  // the fore colour's (yellow).
  item->DrawPictureOnTargetPort(world_, Rect{0, 12, 2, 16}, nullptr, srcCopy, 1);
  EXPECT_EQ(Pixels(world_, 0, 12, 16), (Row{0x00FF00, 0x00FF00, 0xFFFF00, 0xFFFF00}));
}

TEST_F(ResourceManagerPicture, IconLoansShareOneIconAndTheLastReleaseFreesIt) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("cicn"), 9410, Png(2, 2, Row(4, 0xFF0000FF))),
            noErr);
  // A live icon plots; a disposed one is refused.
  auto alive = [](CIconHandle icon) {
    const Rect r = {0, 0, 2, 2};
    return PlotCIconHandle(&r, kAlignNone, kTransformNone, icon) == noErr;
  };
  CIconHandle h1 = nullptr, h2 = nullptr;
  SInt32 ref1 = 0, ref2 = 0;
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h1, &ref1));
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h2, &ref2));
  EXPECT_EQ(h1, h2);
  EXPECT_EQ(ref2, ref1 + 1);
  Sp_ResM_ReleaseCIcon(9410, ref1);
  EXPECT_TRUE(alive(h1)) << "one loan is still out";
  EXPECT_EQ(Px(0, 0), kRed);
  Sp_ResM_ReleaseCIcon(9410, ref2);
  EXPECT_FALSE(alive(h1)) << "the last release disposes of the icon";
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h1, &ref1));
  EXPECT_EQ(ref1, 3) << "loaded again, numbered on";
}

}  // namespace
