// Pictures from the application's compiled resources: where their pixels land, scaled,
// clipped, through their alpha; damaged pictures, icons and cursors
// are refused whole and never make the layer read or write outside its memory (the
// sanitizers watch these runs).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Icons.h"
#include "MacMemory.h"
#include "QDPixelsFixture.h"
#include "Resources.h"
#include "TestResources.h"
#include "quickdraw/detail/Cursors.h"
#include "quickdraw/detail/PngImages.h"

namespace {

using qdtest::kGrey;
using qdtest::kRed;
using qdtest::kWhite;
using qdtest::R;

constexpr ResType kPICT = SpFourCC("PICT");
constexpr ResType kCicn = SpFourCC("cicn");
constexpr ResType kCrsr = SpFourCC("crsr");
constexpr SInt16 kRedBlue = 9070;  // 4 x 2: two red columns, then two blue
constexpr SInt16 kAlpha = 9071;    // 2 x 2: green, clear / black at half alpha, clear
constexpr SInt16 kScratch = 9099;

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
};

TEST_F(QDPictures, PictureLandsOnItsRectangleScaledClippedThroughItsAlpha) {
  PicHandle pic = GetPicture(kRedBlue);
  ASSERT_NE(pic, nullptr);
  EXPECT_GT(HomeResFile(reinterpret_cast<Handle>(pic)), 1) << "the resource's own handle";
  Rect frame{}, want = R(0, 0, 2, 4);
  ASSERT_EQ(QDGetPictureBounds(pic, &frame), &frame);
  EXPECT_TRUE(EqualRect(&frame, &want));
  const Rect clip = R(0, 0, 40, 5), wide = R(-32767, -32767, 32767, 32767);
  const struct {
    const char* what;
    std::function<void()> setUp;
    Rect dst;
    const char* rows;  // rows 0 to 4, columns 0 to 7
  } cases[] = {
      {"its own size", [] {}, R(0, 1, 2, 5), ".rrbb.../.rrbb.../......../......../......../"},
      {"twice its size", [] {}, R(0, 0, 4, 8), "rrrrbbbb/rrrrbbbb/rrrrbbbb/rrrrbbbb/......../"},
      {"4 columns onto 5: source columns 0 0 1 2 3", [] {}, R(0, 0, 3, 5),
       "rrrbb.../rrrbb.../rrrbb.../......../......../"},
      {"shrunk to 2 x 1: a pixel of each half", [] {}, R(0, 0, 1, 2),
       "rb....../......../......../......../......../"},
      {"clipped", [&] { ClipRect(&clip); }, R(0, 0, 2, 8),
       "rrrrb.../rrrrb.../......../......../......../"},
  };
  for (const auto& c : cases) {
    Clear();
    c.setUp();
    DrawPicture(pic, &c.dst);
    EXPECT_EQ(QDError(), noErr);
    ClipRect(&wide);
    EXPECT_EQ(Picture(R(0, 0, 5, 8)), c.rows) << c.what;
  }
  EXPECT_EQ(GetPicture(9098), nullptr);
  EXPECT_EQ(ResError(), resNotFound);
  Clear(kGrey);  // transparent pixels keep the port, half alpha mixes
  const Rect two = R(0, 0, 2, 2);
  DrawPicture(GetPicture(kAlpha), &two);
  EXPECT_EQ(Row(0, 0, 2), (std::vector<UInt32>{0x00FF00, kGrey}));
  EXPECT_EQ(Row(1, 0, 2), (std::vector<UInt32>{0x404040, kGrey})) << "black at alpha 128 on grey";
}

TEST_F(QDPictures, DamagedOrLyingPicturesGiveNoPictureAndDrawNothing) {
  const std::vector<UInt8> good = ResourceBytes(kPICT, kRedBlue);
  ASSERT_GT(good.size(), 30u);
  auto with = [&](std::function<void(std::vector<UInt8>&)> change) {
    std::vector<UInt8> b = good;
    change(b);
    return b;
  };
  // The PNG's size replaced (its header checksum made right again), and the frame agreeing.
  auto huge = [](std::vector<UInt8>& b) {
    UInt8* ihdr = b.data() + 10 + 8 + 4;  // picture header, signature, chunk length
    ihdr[4 + 2] = UInt8(5000 >> 8), ihdr[4 + 3] = UInt8(5000 & 0xFF);
    const UInt32 crc = Crc32(ihdr, 4 + 13);
    for (int i = 0; i < 4; ++i) ihdr[17 + i] = UInt8(crc >> (24 - 8 * i));
    b[8] = UInt8(5000 >> 8), b[9] = UInt8(5000 & 0xFF);
  };
  const struct {
    const char* name;
    std::vector<UInt8> bytes;
  } cases[] = {
      {"header only (every cut is tried below)",
       std::vector<UInt8>(good.begin(), good.begin() + 10)},
      {"frame of another size", with([](std::vector<UInt8>& b) { b[7] = 3; })},
      {"empty frame", with([](std::vector<UInt8>& b) { b[9] = 0; })},
      {"not a PNG", with([](std::vector<UInt8>& b) { b[11] = 'X'; })},
      {"damaged header checksum", with([](std::vector<UInt8>& b) { b[10 + 8 + 8 + 13] ^= 0xFF; })},
      {"image wider than the limit", with(huge)},
  };
  const Rect dst = R(0, 0, 10, 10), empty = R(5, 5, 5, 9);
  for (const auto& c : cases) {
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, kScratch, c.bytes), noErr) << c.name;
    EXPECT_EQ(GetPicture(kScratch), nullptr) << c.name;
    DrawPicture(reinterpret_cast<PicHandle>(GetResource(kPICT, kScratch)), &dst);
    EXPECT_EQ(QDError(), paramErr) << c.name;
    EXPECT_TRUE(AllAre(kWhite)) << c.name;
  }
  PicHandle pic = GetPicture(kRedBlue);
  DrawPicture(pic, &empty);
  EXPECT_EQ(QDError(), paramErr);
  DrawPicture(pic, nullptr);
  DrawPicture(nullptr, &dst);
  EXPECT_TRUE(AllAre(kWhite));
  Rect frame{};
  EXPECT_EQ(QDGetPictureBounds(nullptr, &frame), nullptr);
  EXPECT_EQ(QDGetPictureBounds(pic, nullptr), nullptr);
}

// The frame's corners are read top, left, bottom, right: a frame away from the origin, of the
// image's size, loads and keeps its place; read the other way round it would not fit.
TEST_F(QDPictures, AFrameAwayFromTheOriginKeepsItsCorners) {
  std::vector<UInt8> bytes = ResourceBytes(kPICT, kRedBlue);
  ASSERT_GT(bytes.size(), 30u);
  const UInt8 frame[8] = {0, 1, 0, 3, 0, 3, 0, 7};  // 1, 3, 3, 7: 4 x 2 like the image
  std::copy(frame, frame + 8, bytes.begin() + 2);
  ASSERT_EQ(sp_testing::AddAppResource(kPICT, kScratch, bytes), noErr);
  PicHandle pic = GetPicture(kScratch);
  ASSERT_NE(pic, nullptr);
  Rect bounds{};
  QDGetPictureBounds(pic, &bounds);
  EXPECT_EQ(std::vector<SInt16>({bounds.top, bounds.left, bounds.bottom, bounds.right}),
            std::vector<SInt16>({1, 3, 3, 7}));
  const Rect dst = R(0, 0, 2, 4);
  DrawPicture(pic, &dst);
  EXPECT_EQ(QDError(), noErr);
  EXPECT_EQ(Px(0, 0), kRed);
}

// A picture whose image is as wide or as high as the largest side taken loads; one pixel more
// either way is refused.
TEST_F(QDPictures, ImagesAreTakenUpToTheLargestSideAndRefusedPastIt) {
  const struct {
    UInt32 width, height;
    bool loads;
  } cases[] = {{4096, 1, true}, {4097, 1, false}, {1, 4096, true}, {1, 4097, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const std::vector<UInt32> pixels(std::size_t(c.width) * c.height, 0xFFFF0000u);
    sp::ByteWriter pict;
    for (UInt16 v : {UInt16(0), UInt16(0), UInt16(0), UInt16(c.height), UInt16(c.width)}) {
      pict.BE16(v);
    }
    std::vector<UInt8> bytes = pict.Data();
    ASSERT_TRUE(sp_platform::EncodePng(pixels.data(), c.width, c.height, c.width, true, true,
                                       &bytes));
    ASSERT_EQ(sp_testing::AddAppResource(kPICT, kScratch, bytes), noErr);
    EXPECT_EQ(GetPicture(kScratch) != nullptr, c.loads);
  }
}

// Every cut of a picture, a colour icon and a colour cursor, and many random changes: each
// is refused or loads whole; a picture that loads draws what the intact one draws, and
// nothing lands outside the destination.
TEST_F(QDPictures, DamagedImageBytesAreRefusedOrWhole) {
  std::mt19937 random(20240611);
  const Rect dst = R(0, 0, 8, 16);
  auto outside = [this] { return Picture(R(0, 16, 40, 40)) + Picture(R(8, 0, 40, 1)); };
  const std::string blank = outside();
  DrawPicture(GetPicture(kRedBlue), &dst);
  const std::vector<UInt32> intact = AllPixels(world_);
  ASSERT_EQ(Px(0, 0), kRed);
  for (auto [type, id] : {std::pair{kPICT, 9070}, {kCicn, 9072}, {kCrsr, 9074}}) {
    const std::vector<UInt8> bytes = ResourceBytes(type, SInt16(id));
    ASSERT_FALSE(bytes.empty());
    for (std::size_t round = 0; round < bytes.size() + 400; ++round) {
      std::vector<UInt8> changed = bytes;
      if (round < bytes.size()) {
        changed.resize(round);
      } else {
        for (int c = 1 + int(random() % 4); c > 0; --c)
          changed[random() % changed.size()] = UInt8(random());
      }
      ASSERT_EQ(sp_testing::AddAppResource(type, kScratch, changed), noErr);
      Clear();
      if (type == kPICT) {
        PicHandle pic = GetPicture(kScratch);
        DrawPicture(reinterpret_cast<PicHandle>(GetResource(kPICT, kScratch)), &dst);
        if (pic != nullptr && round < bytes.size()) {
          ASSERT_EQ(AllPixels(world_), intact) << round;
        }
      } else if (type == kCicn) {
        CIconHandle icon = GetCIcon(kScratch);
        PlotIconID(&dst, kAlignAbsoluteCenter, kTransformNone, kScratch);
        DisposeCIcon(icon);
      } else if (CCrsrHandle cursor = GetCCursor(kScratch)) {
        sp_platform::ArgbImage image;
        EXPECT_TRUE(sp_platform::ColorCursorImage(cursor, &image));
        EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * image.height);
        SetCCursor(cursor);
        DisposeCCursor(cursor);
      }
      ASSERT_EQ(outside(), blank) << round;
    }
  }
}

// Colour icons and one-bit icon families.
class QDIcons : public QDPictures {};
constexpr SInt16 kColourIcon = 9072;  // 16 x 16: red square (4, 4)-(12, 12), clear around
constexpr SInt16 kOneBitIcon = 9073;  // 32 x 32: black (8, 8)-(24, 24), white ring to 4/28

// The colour icon through its mask, stretched or aligned; the one-bit family through its mask,
// the member that suits the rectangle (a small member that is black everywhere is added
// beside the large one).
TEST_F(QDIcons, IconsAreDrawnThroughTheirMaskWhereTheirAlignmentPutsThem) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("ics#"), kOneBitIcon, std::vector<UInt8>(64, 0xFF)),
            noErr);
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(HomeResFile(reinterpret_cast<Handle>(icon)), -1) << "an icon is no resource";
  const std::string none(32, '-');
  const struct {
    SInt16 id;
    IconAlignmentType align;
    Rect rect;
    SInt16 row;
    std::string pixels;
    OSErr err = noErr;
  } cases[] = {
      {kColourIcon, kAlignNone, R(0, 0, 16, 16), 4, "----rrrrrrrr--------------------"},
      {kColourIcon, kAlignNone, R(0, 0, 16, 16), 11, "----rrrrrrrr--------------------"},
      {kColourIcon, kAlignNone, R(0, 0, 16, 16), 3, none},
      {kColourIcon, kAlignNone, R(0, 0, 16, 16), 12, none},
      {kColourIcon, kAlignRight, R(0, 0, 16, 32), 8, "--------------------rrrrrrrr----"},
      {kColourIcon, kAlignAbsoluteCenter, R(0, 0, 16, 32), 8, "------------rrrrrrrr------------"},
      {kColourIcon, kAlignAbsoluteCenter, R(0, 0, 16, 33), 8, "------------rrrrrrrr------------"},
      {kColourIcon, kAlignBottom, R(0, 0, 32, 16), 20, "----rrrrrrrr--------------------"},
      {kColourIcon, kAlignBottom, R(0, 0, 32, 16), 4, none},
      {kColourIcon, kAlignVerticalCenter, R(0, 0, 32, 16), 12, "----rrrrrrrr--------------------"},
      {kColourIcon, kAlignVerticalCenter, R(0, 0, 32, 16), 11, none},
      {kColourIcon, kAlignTopLeft, R(0, 0, 32, 32), 8, "--------rrrrrrrrrrrrrrrr--------"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 32, 32), 10, "----....################....----"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 32, 32), 2, none},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 16, 16), 0, "################----------------"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 20, 20), 0, "####################------------"},
      {kOneBitIcon, kAlignTopLeft, R(0, 0, 12, 16), 0, "############--------------------"},
      {9097, kAlignTopLeft, R(0, 0, 16, 16), 8, none, resNotFound},
  };
  for (const auto& c : cases) {
    Clear(kGrey);
    EXPECT_EQ(PlotIconID(&c.rect, c.align, kTransformNone, c.id), c.err);
    EXPECT_EQ(Picture(R(c.row, 0, c.row + 1, 32)), c.pixels + "/")
        << c.id << " alignment " << c.align << " row " << c.row << " right " << c.rect.right;
  }
  EXPECT_EQ(PlotIconID(nullptr, kAlignAbsoluteCenter, kTransformNone, kColourIcon), paramErr);
  DisposeCIcon(icon);
}

// The family's member that suits the rectangle: the mini icon (16 x 12) up to its size, the
// small one (16 x 16) past that, the large one (32 x 32) from 32 pixels either way. Here the
// large member is black, the small one white and the mini one striped.
TEST_F(QDIcons, TheMemberPlottedIsTheOneTheRectanglesSizeSuits) {
  constexpr SInt16 kFamily = 9094;
  auto member = [](ResType type, std::size_t plane, UInt8 data) {
    std::vector<UInt8> bytes(plane, data);
    bytes.resize(2 * plane, 0xFF);  // the mask covers the whole icon
    return sp_testing::AddAppResource(type, kFamily, bytes);
  };
  ASSERT_EQ(member(SpFourCC("ICN#"), 4 * 32, 0xFF), noErr);
  ASSERT_EQ(member(SpFourCC("ics#"), 2 * 16, 0x00), noErr);
  ASSERT_EQ(member(SpFourCC("icm#"), 2 * 12, 0xAA), noErr);
  const struct {
    SInt16 height, width;
    const char* firstPixels;
  } cases[] = {
      {12, 16, "#."}, {12, 12, "#."}, {13, 16, ".."}, {12, 17, ".."},
      {31, 31, ".."}, {32, 31, "##"}, {31, 32, "##"},
  };
  for (const auto& c : cases) {
    Clear(kGrey);
    const Rect rect = R(0, 0, c.height, c.width);
    EXPECT_EQ(PlotIconID(&rect, kAlignTopLeft, kTransformNone, kFamily), noErr);
    EXPECT_EQ(Picture(R(0, 0, 1, 2)), std::string(c.firstPixels) + "/")
        << c.height << " x " << c.width;
  }
}

// PlotCIcon draws the whole icon through its mask into the rectangle, stretched to fill it.
TEST_F(QDIcons, PlotCIconStretchesTheIconThroughItsMaskToTheRectangle) {
  CIconHandle icon = GetCIcon(kColourIcon);
  ASSERT_NE(icon, nullptr);
  const std::string none(32, '-');
  const struct {
    Rect rect;
    SInt16 row;
    std::string pixels;
  } cases[] = {
      {R(0, 0, 16, 16), 4, "----rrrrrrrr--------------------"},
      {R(0, 0, 16, 16), 11, "----rrrrrrrr--------------------"},
      {R(0, 0, 16, 16), 3, none},
      {R(0, 0, 16, 16), 12, none},
      {R(0, 0, 16, 32), 8, "--------rrrrrrrrrrrrrrrr--------"},  // twice as wide
      {R(0, 0, 16, 32), 3, none},
  };
  for (const auto& c : cases) {
    Clear(kGrey);
    PlotCIcon(&c.rect, icon);
    EXPECT_EQ(Picture(R(c.row, 0, c.row + 1, 32)), c.pixels + "/")
        << "row " << c.row << " right " << c.rect.right;
  }
  Clear(kGrey);
  PlotCIcon(nullptr, icon);
  const Rect r = R(0, 0, 16, 16);
  PlotCIcon(&r, nullptr);
  EXPECT_TRUE(AllAre(kGrey));
  DisposeCIcon(icon);
}

// A suite plots the one-bit member that suits the rectangle; a suite without one, or a handle
// that is no suite, is refused.
TEST_F(QDIcons, IconSuitePlotsItsOneBitMemberAndRefusesWhatHasNone) {
  IconSuiteRef suite = nullptr;
  ASSERT_EQ(GetIconSuite(&suite, kOneBitIcon, kSelectorAllLargeData), noErr);
  Clear(kGrey);
  const Rect r = R(0, 0, 16, 16);  // the large icon shrunk to half
  EXPECT_EQ(PlotIconSuite(&r, kAlignAbsoluteCenter, kTransformNone, suite), noErr);
  EXPECT_EQ(Picture(R(4, 0, 5, 16)) + Picture(R(2, 0, 3, 16)) + Picture(R(1, 0, 2, 16)),
            "--..########..--/--............--/----------------/");
  EXPECT_EQ(PlotIconSuite(nullptr, kAlignNone, kTransformNone, suite), paramErr);
  DisposeIconSuite(suite, false);

  IconSuiteRef empty = nullptr;
  ASSERT_EQ(NewIconSuite(&empty), noErr);
  EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, empty), noSuchIconErr);
  DisposeIconSuite(empty, true);
  Handle notASuite = NewHandleClear(16);
  EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, notASuite), paramErr);
  DisposeHandle(notASuite);
}

TEST_F(QDIcons, WhatIsNotAColourIconIsRefused) {
  Handle good = GetResource(kCicn, kColourIcon);
  ASSERT_NE(good, nullptr);
  const UInt8* p = reinterpret_cast<const UInt8*>(*good);
  ASSERT_EQ(
      sp_testing::AddAppResource(kCicn, 9096, std::vector<UInt8>(p, p + GetHandleSize(good) - 20)),
      noErr);
  EXPECT_EQ(GetCIcon(9096), nullptr) << "damaged";
  EXPECT_EQ(GetCIcon(9095), nullptr) << "missing";
  for (UInt32 n = 1; n <= 2; ++n) {  // the resource is loaded: only the icon allocates now
    sp_testing::FailNthAllocation(n);
    EXPECT_EQ(GetCIcon(kColourIcon), nullptr) << "allocation " << n;
    sp_testing::FailNthAllocation(0);
  }
  // A handle GetCIcon did not make is not disposed of.
  Handle other = NewHandleClear(Size(sizeof(CIcon)));
  DisposeCIcon(reinterpret_cast<CIconHandle>(other));
  EXPECT_EQ(GetHandleSize(other), Size(sizeof(CIcon)));
  DisposeHandle(other);
}

}  // namespace
