// Pictures from the application's compiled resources: where their pixels land, scaled,
// clipped and moved by the origin, through their alpha; damaged pictures draw nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "QDPixelsFixture.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "TestResources.h"

namespace {

using qdtest::R;

constexpr ResType kPICT = SpFourCC("PICT");
constexpr SInt16 kRedBlue = 9070;  // 4 x 2: two red columns, then two blue
constexpr SInt16 kAlpha = 9071;    // 2 x 2: green, clear / black at half alpha, clear
constexpr UInt32 kRed = 0xFF0000;
constexpr UInt32 kBlue = 0x0000FF;
constexpr UInt32 kGreen = 0x00FF00;
constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kGrey = 0x808080;

std::vector<UInt8> ResourceBytes(ResType type, SInt16 id) {
  Handle h = GetResource(type, id);
  if (h == nullptr) return {};
  const UInt8* p = reinterpret_cast<const UInt8*>(*h);
  return std::vector<UInt8>(p, p + GetHandleSize(h));
}

UInt32 Crc32(const UInt8* p, std::size_t n) {
  UInt32 crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// The picture's PNG with the size in its header replaced (and the header's checksum made
// right again, so that only the size lies).
std::vector<UInt8> WithPngSize(std::vector<UInt8> pict, UInt32 width, UInt32 height) {
  // picture header 10, signature 8, chunk length 4, "IHDR" 4: the width follows.
  UInt8* ihdr = pict.data() + 10 + 8 + 4;
  for (int i = 0; i < 4; ++i) {
    ihdr[4 + i] = UInt8(width >> (24 - 8 * i));
    ihdr[8 + i] = UInt8(height >> (24 - 8 * i));
  }
  const UInt32 crc = Crc32(ihdr, 4 + 13);
  for (int i = 0; i < 4; ++i) ihdr[17 + i] = UInt8(crc >> (24 - 8 * i));
  return pict;
}

class QDPictures : public qdtest::QDPixelsFixture {
 protected:
  void SetUp() override {
    QDPixelsFixture::SetUp();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
  void TearDown() override {
    sp_testing::ResetResources();
    QDPixelsFixture::TearDown();
  }

  void Draw(SInt16 id, const Rect& dst) {
    PicHandle pic = GetPicture(id);
    ASSERT_NE(pic, nullptr);
    DrawPicture(pic, &dst);
    EXPECT_EQ(QDError(), noErr);
  }

  // The colours of row v from h = left to right - 1.
  std::vector<UInt32> Row(SInt16 v, SInt16 left, SInt16 right) const {
    std::vector<UInt32> out;
    for (SInt16 h = left; h < right; ++h) out.push_back(Px(h, v));
    return out;
  }
};

TEST_F(QDPictures, CompiledPictureLoadsByIdWithItsFrame) {
  PicHandle pic = GetPicture(kRedBlue);
  ASSERT_NE(pic, nullptr);
  EXPECT_GT(HomeResFile(reinterpret_cast<Handle>(pic)), 1) << "the resource's own handle";
  Rect frame{};
  ASSERT_EQ(QDGetPictureBounds(pic, &frame), &frame);
  EXPECT_EQ(frame.top, 0);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.bottom, 2);
  EXPECT_EQ(frame.right, 4);
  EXPECT_EQ(GetPicture(9099), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(QDPictures, PictureAtItsSizeLandsOnItsRectangleOnly) {
  Draw(kRedBlue, R(5, 3, 7, 7));
  const std::vector<UInt32> inside = {kWhite, kRed, kRed, kBlue, kBlue, kWhite};
  EXPECT_EQ(Row(5, 2, 8), inside);
  EXPECT_EQ(Row(6, 2, 8), inside);
  EXPECT_EQ(Row(4, 2, 8), std::vector<UInt32>(6, kWhite));
  EXPECT_EQ(Row(7, 2, 8), std::vector<UInt32>(6, kWhite));
}

TEST_F(QDPictures, PictureScaledToLargerRectangleKeepsItsHalves) {
  struct Case {
    SInt16 width;
    SInt16 height;
    std::vector<UInt32> row;
  };
  const Case cases[] = {
      {8, 4, {kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, kBlue, kWhite}},
      // 4 pixels onto 6: source columns 0 0 1 2 2 3.
      {6, 3, {kRed, kRed, kRed, kBlue, kBlue, kBlue, kWhite, kWhite, kWhite}},
      // Shrunk to 2 x 1: one pixel of each half.
      {2, 1, {kRed, kBlue, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},
  };
  for (const Case& c : cases) {
    sp_testing::FillPort(world_, kWhite);
    Draw(kRedBlue, R(10, 0, SInt16(10 + c.height), c.width));
    for (SInt16 v = 10; v < 10 + c.height; ++v) {
      EXPECT_EQ(Row(v, 0, 9), c.row) << c.width << " x " << c.height << " row " << v;
    }
    EXPECT_EQ(Row(SInt16(10 + c.height), 0, 9), std::vector<UInt32>(9, kWhite));
  }
}

TEST_F(QDPictures, PictureIsClippedByTheClipRegion) {
  Rect clip = R(0, 0, 40, 5);
  ClipRect(&clip);
  Draw(kRedBlue, R(0, 0, 4, 8));
  EXPECT_EQ(Row(1, 0, 8),
            (std::vector<UInt32>{kRed, kRed, kRed, kRed, kBlue, kWhite, kWhite, kWhite}));
}

TEST_F(QDPictures, PictureFollowsTheOrigin) {
  SetOrigin(-10, -20);  // local (0, 0) is now the pixel that was (10, 20)
  Draw(kRedBlue, R(0, 0, 2, 4));
  SetOrigin(0, 0);
  EXPECT_EQ(Row(20, 9, 15), (std::vector<UInt32>{kWhite, kRed, kRed, kBlue, kBlue, kWhite}));
  EXPECT_EQ(Px(0, 0), kWhite);
}

TEST_F(QDPictures, TransparentPixelsKeepThePortAndHalfAlphaMixes) {
  sp_testing::FillPort(world_, kGrey);
  Draw(kAlpha, R(0, 0, 2, 2));
  EXPECT_EQ(Px(0, 0), kGreen);
  EXPECT_EQ(Px(1, 0), kGrey);
  EXPECT_EQ(Px(0, 1), 0x404040u) << "black at alpha 128 over 0x80 grey";
  EXPECT_EQ(Px(1, 1), kGrey);
}

TEST_F(QDPictures, DamagedOrLyingPicturesGiveNoPictureAndDrawNothing) {
  const std::vector<UInt8> good = ResourceBytes(kPICT, kRedBlue);
  ASSERT_GT(good.size(), 30u);
  std::vector<UInt8> lyingFrame = good;
  lyingFrame[7] = 3;  // frame bottom 3, the image is 2 high
  std::vector<UInt8> emptyFrame = good;
  emptyFrame[9] = 0;  // frame right 0
  std::vector<UInt8> notPng = good;
  notPng[11] = 'X';
  std::vector<UInt8> badChecksum = good;
  badChecksum[10 + 8 + 8 + 13] ^= 0xFF;
  std::vector<UInt8> huge = WithPngSize(good, 5000, 2);
  huge[8] = UInt8(5000 >> 8), huge[9] = UInt8(5000 & 0xFF);  // the frame agrees
  struct Case {
    const char* name;
    std::vector<UInt8> bytes;
  };
  const Case cases[] = {
      {"truncated image", std::vector<UInt8>(good.begin(), good.begin() + good.size() / 2)},
      {"header only", std::vector<UInt8>(good.begin(), good.begin() + 10)},
      {"shorter than the header", std::vector<UInt8>(good.begin(), good.begin() + 6)},
      {"frame of another size", lyingFrame},
      {"empty frame", emptyFrame},
      {"not a PNG", notPng},
      {"damaged header checksum", badChecksum},
      {"image wider than the limit", huge},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, 9098, c.bytes), noErr) << c.name;
    EXPECT_EQ(GetPicture(9098), nullptr) << c.name;
    Handle raw = GetResource(kPICT, 9098);
    ASSERT_NE(raw, nullptr);
    sp_testing::FillPort(world_, kWhite);
    const Rect dst = R(0, 0, 10, 10);
    DrawPicture(reinterpret_cast<PicHandle>(raw), &dst);
    EXPECT_EQ(QDError(), paramErr) << c.name;
    EXPECT_EQ(AllPixels(world_), std::vector<UInt32>(40 * 40, kWhite)) << c.name;
  }
}

TEST_F(QDPictures, NullArgumentsAndEmptyRectanglesDrawNothing) {
  PicHandle pic = GetPicture(kRedBlue);
  ASSERT_NE(pic, nullptr);
  const Rect empty = R(5, 5, 5, 9);
  DrawPicture(pic, &empty);
  EXPECT_EQ(QDError(), paramErr);
  DrawPicture(pic, nullptr);
  const Rect dst = R(0, 0, 2, 4);
  DrawPicture(nullptr, &dst);
  EXPECT_EQ(AllPixels(world_), std::vector<UInt32>(40 * 40, kWhite));
  Rect frame{};
  EXPECT_EQ(QDGetPictureBounds(nullptr, &frame), nullptr);
  EXPECT_EQ(QDGetPictureBounds(pic, nullptr), nullptr);
}

TEST_F(QDPictures, KillPictureReleasesAResourceInsteadOfFreeingItUnderTheMap) {
  KillPicture(GetPicture(kRedBlue));
  // The resource map must still hold a good picture (a freed handle would be read here).
  PicHandle again = GetPicture(kRedBlue);
  ASSERT_NE(again, nullptr);
  Draw(kRedBlue, R(0, 0, 2, 4));
  EXPECT_EQ(Px(0, 0), kRed);

  // A picture that is no resource is disposed of (the leak checker would see it otherwise).
  const std::vector<UInt8> bytes = ResourceBytes(kPICT, kRedBlue);
  Handle copy = NewHandle(Size(bytes.size()));
  ASSERT_NE(copy, nullptr);
  std::memcpy(*copy, bytes.data(), bytes.size());
  const Rect dst = R(10, 10, 12, 14);
  DrawPicture(reinterpret_cast<PicHandle>(copy), &dst);
  EXPECT_EQ(Px(13, 11), kBlue);
  KillPicture(reinterpret_cast<PicHandle>(copy));
  KillPicture(nullptr);
}

}  // namespace
