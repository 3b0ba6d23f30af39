// Colour icon and picture loans of the views' resource manager: one loaded icon, or one drawn
// GWorld per picture, shared by its users and freed with the last of them (pictures: unless
// preloaded); what a picture copy puts where.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "QDPictures.h"
#include "QuickDraw.h"
#include "SpResourceManager.h"
#include "SpTesting.h"
#include "TestQuickDraw.h"
#include "TestResources.h"

namespace {

constexpr ResType kPICT = SpFourCC("PICT");
constexpr UInt32 kRed = 0xFF0000;
constexpr UInt32 kBlue = 0x0000FF;
constexpr UInt32 kGreen = 0x00FF00;
constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;
constexpr UInt32 kClear = 0x00000000;  // RGBA pixels below: 0xRRGGBBAA

// ---- Picture resources made in the test: a PNG (stored, uncompressed) behind the header ----

UInt32 Crc32(const UInt8* p, std::size_t n) {
  UInt32 crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutBE32(std::vector<UInt8>& out, UInt32 v) {
  for (int i = 3; i >= 0; --i) out.push_back(UInt8(v >> (8 * i)));
}

void Chunk(std::vector<UInt8>& png, const char* type, const std::vector<UInt8>& data) {
  PutBE32(png, UInt32(data.size()));
  std::vector<UInt8> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBE32(png, Crc32(body.data(), body.size()));
}

// Pixels are 0xRRGGBBAA, row by row.
std::vector<UInt8> Png(int width, int height, const std::vector<UInt32>& rgba) {
  std::vector<UInt8> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) PutBE32(raw, rgba[std::size_t(y * width + x)]);
  }
  std::vector<UInt8> z = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size() || at == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(UInt8(n));
    z.push_back(UInt8(n >> 8));
    z.push_back(UInt8(~n));
    z.push_back(UInt8(~n >> 8));
    z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
    at += n;
    if (last) break;
  }
  UInt32 a = 1, b = 0;
  for (UInt8 byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);

  std::vector<UInt8> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<UInt8> ihdr;
  PutBE32(ihdr, UInt32(width));
  PutBE32(ihdr, UInt32(height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

// A 'PICT' as the resource compiler stores one: size, frame (placed at `left`, `top` to show
// that the manager moves it to 0, 0), then the PNG.
std::vector<UInt8> Pict(int width, int height, const std::vector<UInt32>& rgba, SInt16 left = 0,
                        SInt16 top = 0) {
  const std::vector<UInt8> png = Png(width, height, rgba);
  std::vector<UInt8> out;
  const UInt32 size = UInt32(10 + png.size());
  out.push_back(UInt8(size >> 8));
  out.push_back(UInt8(size));
  for (SInt16 v : {top, left, SInt16(top + height), SInt16(left + width)}) {
    out.push_back(UInt8(UInt16(v) >> 8));
    out.push_back(UInt8(v));
  }
  out.insert(out.end(), png.begin(), png.end());
  return out;
}

std::vector<UInt32> Solid(int count, UInt32 rgba) {
  return std::vector<UInt32>(std::size_t(count), rgba);
}

// Ids of the test's pictures.
enum : SInt16 {
  kRedBlue = 9400,  // 4 x 2: the left two columns red, the right two blue
  kHoles = 9401,    // 4 x 1: green, clear, clear, green
  kMissing = 9409,  // no such picture
};

class ResourceManagerPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetResources();
    Sp_InitializeResourceManager();
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, kRedBlue,
                                         Pict(4, 2,
                                              {0xFF0000FF, 0xFF0000FF, 0x0000FFFF, 0x0000FFFF,
                                               0xFF0000FF, 0xFF0000FF, 0x0000FFFF, 0x0000FFFF},
                                              30, 40)),
              noErr);
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, kHoles,
                                         Pict(4, 1, {0x00FF00FF, kClear, kClear, 0x00FF00FF})),
              noErr);
    Rect r;
    SetRect(&r, 0, 0, 20, 10);
    ASSERT_EQ(NewGWorld(&target_, 32, &r, nullptr, nullptr, 0), noErr);
    GetGWorld(&savedPort_, &savedDevice_);
    SetGWorld(target_, nullptr);
    sp_testing::FillPort(target_, kGreen);
  }
  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    DisposeGWorld(target_);
    Sp_InitializeResourceManager();
    sp_testing::ResetResources();
  }

  UInt32 Px(SInt16 h, SInt16 v) const { return sp_testing::ReadPixel(target_, h, v); }
  static UInt32 GWorldPx(cSp_PictureItem* item, SInt16 h, SInt16 v) {
    return sp_testing::ReadPixel(item->GetPictureGWorld(), h, v);
  }
  // The colours of row v of the target from h = left to right - 1.
  std::vector<UInt32> Row(SInt16 v, SInt16 left, SInt16 right) const {
    std::vector<UInt32> out;
    for (SInt16 h = left; h < right; ++h) out.push_back(Px(h, v));
    return out;
  }

  GWorldPtr target_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

TEST_F(ResourceManagerPicture, FirstLoanDrawsThePictureOnceAtItsFrameMovedToTheOrigin) {
  SInt32 ref = 0;
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kRedBlue, ref);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(ref, 1);
  const Rect frame = item->GetFrame();
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.top, 0);
  EXPECT_EQ(frame.right, 4);
  EXPECT_EQ(frame.bottom, 2);
  ASSERT_NE(item->GetPictureGWorld(), nullptr);
  EXPECT_EQ(GWorldPx(item, 0, 0), kRed);
  EXPECT_EQ(GWorldPx(item, 3, 1), kBlue);

  // The drawn picture does not depend on the resource any more.
  ASSERT_EQ(sp_testing::AddAppResource(kPICT, kRedBlue, Pict(4, 2, Solid(8, 0x000000FF))), noErr);
  SInt32 ref2 = 0;
  EXPECT_EQ(Sp_ResM_GetPictureItemObject(kRedBlue, ref2), item) << "later loans share the item";
  EXPECT_EQ(ref2, 2);
  EXPECT_EQ(GWorldPx(item, 0, 0), kRed) << "not loaded or drawn again";
}

TEST_F(ResourceManagerPicture, UncoveredPixelsOfThePictureGWorldAreWhite) {
  SInt32 ref = 0;
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kHoles, ref);
  ASSERT_NE(item, nullptr);
  ASSERT_NE(item->GetPictureGWorld(), nullptr);
  EXPECT_EQ(GWorldPx(item, 0, 0), kGreen);
  EXPECT_EQ(GWorldPx(item, 1, 0), kWhite) << "a new GWorld holds stale memory until erased";
  EXPECT_EQ(GWorldPx(item, 2, 0), kWhite);
  EXPECT_EQ(GWorldPx(item, 3, 0), kGreen);

  // What a copy shows of the clear parts is that white, not the port underneath.
  sp_testing::FillPort(target_, kRed);
  Rect dst;
  SetRect(&dst, 0, 0, 4, 1);
  item->DrawPicuterOnCurrentPort(dst, 0, nullptr, srcCopy, 0);
  EXPECT_EQ(Row(0, 0, 5), (std::vector<UInt32>{kGreen, kWhite, kWhite, kGreen, kRed}));
}

TEST_F(ResourceManagerPicture, TheLastReleaseFreesTheItemAndTheNextLoanStartsAgain) {
  SInt32 ref1 = 0, ref2 = 0, ref3 = 0, other = 0;
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kRedBlue, ref1);
  ASSERT_EQ(Sp_ResM_GetPictureItemObject(kRedBlue, ref2), item);
  ASSERT_NE(Sp_ResM_GetPictureItemObject(kHoles, other), nullptr);
  EXPECT_EQ(other, 1) << "numbers count per picture";

  Sp_ResM_ReleasePicture(item, ref1);
  ASSERT_EQ(Sp_ResM_GetPictureItemObject(kRedBlue, ref3), item) << "one user still holds it";
  EXPECT_EQ(ref3, 3);
  Sp_ResM_ReleasePicture(item, ref2);
  Sp_ResM_ReleasePicture(item, ref3);

  SInt32 again = 0;
  ASSERT_NE(Sp_ResM_GetPictureItemObject(kRedBlue, again), nullptr);
  EXPECT_EQ(again, 1) << "a fresh item: the old one went with its last user";
}

TEST_F(ResourceManagerPicture, PreloadedPictureStaysAfterItsLastUser) {
  ErrorLogCapture log;
  EXPECT_TRUE(Sp_ResM_PreLoadPictureItem(kRedBlue));
  SInt32 ref = 0;
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kRedBlue, ref);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->IsResident());
  EXPECT_EQ(ref, 1) << "the preload took no number";
  Sp_ResM_ReleasePicture(item, ref);
  SInt32 ref2 = 0;
  EXPECT_EQ(Sp_ResM_GetPictureItemObject(kRedBlue, ref2), item);
  EXPECT_EQ(ref2, 2) << "the resident item kept its counter";

  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(ResourceManagerPicture, CopyIsScaledToTheDestinationAndKeepsThePicturesColours) {
  SInt32 ref = 0;
  cSp_PictureItem* item = Sp_ResM_GetPictureItemObject(kRedBlue, ref);
  ASSERT_NE(item, nullptr);
  // Colours of the target port that would colourise a copy made in it.
  const RGBColor yellow = {0xFFFF, 0xFFFF, 0};
  const RGBColor black = {0, 0, 0};
  RGBForeColor(&yellow);
  RGBBackColor(&black);
  Rect dst;
  SetRect(&dst, 2, 1, 10, 5);  // twice the picture's size
  item->DrawPicuterOnCurrentPort(dst, 0, nullptr, srcCopy, 0);
  EXPECT_EQ(Row(1, 1, 11), (std::vector<UInt32>{kGreen, kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue,
                                                kBlue, kGreen}));
  EXPECT_EQ(Px(2, 4), kRed);
  EXPECT_EQ(Px(2, 5), kGreen);
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_EQ(fore.red, 0xFFFF) << "the target port's colours are left as they were";
  EXPECT_EQ(fore.blue, 0);

  // Colourised, the copy takes the target port's colours, channel by channel: a full channel
  // the back colour's (black), an empty one the fore colour's (yellow).
  SetRect(&dst, 12, 0, 16, 2);
  item->DrawPictureOnTargetPort(target_, dst, nullptr, srcCopy, 1);
  EXPECT_EQ(Px(12, 0), 0x00FF00u) << "red becomes green";
  EXPECT_EQ(Px(15, 0), 0xFFFF00u) << "blue becomes yellow";
}

// ---- Colour icons ----------------------------------------------------------------------------

constexpr ResType kCicn = SpFourCC("cicn");

class ResourceManagerColourIcon : public ResourceManagerPicture {
 protected:
  void SetUp() override {
    ResourceManagerPicture::SetUp();
    ASSERT_EQ(sp_testing::AddAppResource(kCicn, 9410, Png(2, 2, Solid(4, 0xFF0000FF))), noErr);
    ASSERT_EQ(sp_testing::AddAppResource(kCicn, 9411, Png(2, 2, Solid(4, 0x0000FFFF))), noErr);
  }
  // A live icon plots; a disposed one is refused.
  static bool Alive(CIconHandle icon) {
    Rect r;
    SetRect(&r, 0, 0, 2, 2);
    return PlotCIconHandle(&r, kAlignNone, kTransformNone, icon) == noErr;
  }
};

TEST_F(ResourceManagerColourIcon, LoansShareOneIconAndTheLastReleaseFreesIt) {
  CIconHandle h1 = nullptr, h2 = nullptr, h3 = nullptr;
  SInt32 ref1 = 0, ref2 = 0, ref3 = 0;
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h1, &ref1));
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h2, &ref2));
  EXPECT_EQ(h1, h2);
  EXPECT_EQ(ref1, 1);
  EXPECT_EQ(ref2, 2);
  Sp_ResM_ReleaseCIcon(9410, ref1);
  EXPECT_TRUE(Alive(h1)) << "one loan is still out";
  EXPECT_EQ(Px(0, 0), kRed);
  Sp_ResM_ReleaseCIcon(9410, ref2);
  EXPECT_FALSE(Alive(h1)) << "the last release disposes of the icon";
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h3, &ref3));
  EXPECT_EQ(ref3, 3) << "loaded again, numbered on";
}

}  // namespace
