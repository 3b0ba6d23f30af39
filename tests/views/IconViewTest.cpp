// Colour-icon views switched by status number, the icon block's walk, and picture views
// sharing one cached picture.
#include <png.h>

#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "SpIconView.h"
#include "SpTesting.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

// An 8 x 8 PNG of one opaque colour (0xRRGGBB).
std::vector<UInt8> SolidPng(UInt32 rgb) {
  std::vector<UInt8> pixels;
  for (int i = 0; i < 64; ++i) {
    for (int shift : {16, 8, 0}) pixels.push_back(UInt8(rgb >> shift));
    pixels.push_back(0xFF);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 8;
  image.height = 8;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::vector<UInt8> out(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
  out.resize(size);
  return out;
}

// A 'PICT' as the resources hold one: size and frame, then the PNG.
std::vector<UInt8> SolidPict(UInt32 rgb) {
  const std::vector<UInt8> png = SolidPng(rgb);
  std::vector<UInt8> out(10 + png.size());
  const int header[] = {int(out.size()), 0, 0, 8, 8};
  for (int i = 0; i < 5; ++i) sp::StoreBE16(&out[std::size_t(i) * 2], UInt16(header[i]));
  std::copy(png.begin(), png.end(), out.begin() + 10);
  return out;
}

enum : SInt16 { kRedIcon = 9500, kGreenIcon, kBlueIcon, kPicture = 9510 };

class IconView : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    Sp_InitializeResourceManager();
    const std::pair<SInt16, UInt32> icons[] = {
        {kRedIcon, kRed}, {kGreenIcon, kGreen}, {kBlueIcon, kBlue}};
    for (const auto& icon : icons) {
      ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("cicn"), icon.first, SolidPng(icon.second)),
                noErr);
    }
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("PICT"), kPicture, SolidPict(kGreen)), noErr);
  }
  void TearDown() override {
    ViewFixture::TearDown();
    Sp_InitializeResourceManager();
  }
};

TEST_F(IconView, StatusNumbersFollowTheOrderIconsWereAdded) {
  cSp_CIconView view(window_, R(0, 0, 16, 16), 0, nullptr, 0);
  Redraw();
  EXPECT_EQ(Px(8, 8), kBack) << "built with id 0: nothing drawn";
  SInt32 status = -1;
  for (SInt32 expected = 0; expected < 3; ++expected) {
    view.SetIconData(SInt16(kRedIcon + expected), &status);
    EXPECT_EQ(status, expected);
  }
  view.DrawView(1, 0);
  EXPECT_EQ(Px(8, 8), kRed) << "the first icon added is current";

  const struct {
    SInt32 status;
    unsigned char result;
    bool marked;
    UInt32 shows;
  } steps[] = {{2, 1, true, kBlue}, {2, 0, false, kBlue}, {7, 0, false, kBlue}, {1, 1, true, kGreen}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.status);
    EXPECT_EQ(view.ChangeIconStatus(s.status), s.result);
    EXPECT_EQ(view.IsWaitRedraw() != 0, s.marked);
    Redraw();
    EXPECT_EQ(Px(8, 8), s.shows);
  }
  view.ExecViewObjDeleteReady();
}

TEST_F(IconView, TheBlockWalksAndWrapsOnlyWhenAsked) {
  cIconDataBlock block;
  EXPECT_EQ(block.ChangeCurrentNext(1), 0) << "empty";
  for (SInt16 id : {kRedIcon, kGreenIcon, kBlueIcon}) block.SetIconResourceId(id, nullptr);
  EXPECT_EQ(block.ChangeCurrentGotoListLast(), 1);
  EXPECT_EQ(block.ChangeCurrentNext(0), 0);
  EXPECT_EQ(block.GetCurrentStatusNo(), 2);
  EXPECT_EQ(block.ChangeCurrentNext(1), 1);
  EXPECT_EQ(block.GetCurrentStatusNo(), 0);
  EXPECT_EQ(block.ChangeCurrentBefore(0), 0);
  EXPECT_EQ(block.ChangeCurrentBefore(1), 1);
  EXPECT_EQ(block.GetCurrentStatusNo(), 2);
  EXPECT_EQ(block.GetStatusIconHandle(1), block.GetStatusIconHandle(1));
  EXPECT_NE(block.GetStatusIconHandle(1), nullptr);
  EXPECT_EQ(block.GetStatusIconHandle(3), nullptr);
}

TEST_F(IconView, TwoPictureViewsShareOneCachedPicture) {
  auto* first = new cSp_PictureView(window_, R(0, 0, 8, 8), kPicture, nullptr, 0);
  cSp_PictureView second(window_, R(20, 0, 28, 8), kPicture, nullptr, 0);
  ASSERT_NE(first->GetPictureItem(), nullptr);
  EXPECT_EQ(first->GetPictureItem(), second.GetPictureItem());
  first->ExecViewObjDeleteReady();
  delete first;
  sp_testing::FillPort(GetWindowPort(window_), kWhite);
  second.DrawView(1, 0);
  EXPECT_EQ(Px(4, 24), kGreen);
  second.ExecViewObjDeleteReady();
}

}  // namespace
}  // namespace view_test
