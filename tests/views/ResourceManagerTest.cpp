// The views' resource manager: cursors, colour icons and pictures lent to their users, one loaded cursor
// icon or drawn GWorld per id shared by its users and freed with the last of them (pictures: unless
// preloaded); what a picture copy puts where.
#include <gtest/gtest.h>
#include <png.h>

#include <utility>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "QDPictures.h"
#include "SpResourceManager.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::kWhite;
using Row = std::vector<UInt32>;

Cursor Image() {
  Cursor c{};
  for (UInt16& row : c.mask) row = 0xFFFF;
  return c;
}

constexpr ResType kPICT = SpFourCC("PICT");
constexpr UInt32 kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kNone = 0xFF000000;

// A PNG of these pixels, 0xRRGGBBAA row by row, behind `skip` zero bytes.
std::vector<UInt8> Png(int width, int height, const std::vector<UInt32>& rgba,
                       std::size_t skip = 0) {
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
  std::vector<UInt8> out(skip + size);
  EXPECT_TRUE(png_image_write_to_memory(&image, &out[skip], &size, 0, pixels.data(), 0, nullptr));
  return out;
}

// A 'PICT' as the resource compiler stores one: size, frame (placed at 30, 40 to show that the
// manager moves it to 0, 0), then a PNG of these pixels.
std::vector<UInt8> Pict(int width, int height, const std::vector<UInt32>& rgba) {
  std::vector<UInt8> out = Png(width, height, rgba, 10);
  const int header[] = {int(out.size()), 30, 40, 30 + height, 40 + width};
  for (int i = 0; i < 5; ++i) sp::StoreBE16(&out[std::size_t(i) * 2], UInt16(header[i]));
  return out;
}

enum : SInt16 {
  kRedBlue = 9400,  // 4 x 2: the left two columns red, the right two blue
  kHoles = 9401,    // 4 x 1: green, clear, clear, green
};

class ResourceManager : public drawing_test::DrawingPortTest {
 protected:
  void SetUp() override {
    DrawingPortTest::SetUp();
    Sp_InitializeResourceManager();
    for (SInt16 id : {610, 611}) {
      ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("crsr"), id,
                                           sp_testing::MakeColorCursorResource(Image())),
                noErr);
    }
    ASSERT_EQ(
        sp_testing::AddAppResource(SpFourCC("CURS"), 6140, sp_testing::MakeCursorResource(Image())),
        noErr);
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

  // A colour cursor that is still alive can be set; a freed one is refused.
  static bool ColourCursorAlive(CCrsrHandle h) {
    const UInt32 before = sp_testing::CurrentCursor().changeCount;
    SetCCursor(h);
    return sp_testing::CurrentCursor().changeCount != before;
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

TEST_F(ResourceManager, CursorLoansShareOneCursorAndOnlyTheLastRightReleaseFreesIt) {
  CCrsrHandle h1 = nullptr, h2 = nullptr;
  SInt32 ref1 = 0, ref2 = 0;
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h1, &ref1));
  ASSERT_TRUE(Sp_ResM_GetCCursorHandle(610, &h2, &ref2));
  EXPECT_EQ(h1, h2) << "the second loan shares the first one's cursor";
  EXPECT_EQ(ref1, 1);
  EXPECT_EQ(ref2, 2);

  ErrorLogCapture log;
  Sp_ResM_ReleaseCCursor(611, ref1);  // another id
  Sp_ResM_ReleaseCCursor(610, 3);     // a number not lent
  Sp_ResM_ReleaseCursor(610, ref1);   // the other kind
  Sp_ResM_ReleaseCCursor(610, ref1);
  EXPECT_TRUE(ColourCursorAlive(h1)) << "one loan is still out";
  Sp_ResM_ReleaseCCursor(610, ref1);  // given back twice: ignored
  EXPECT_TRUE(ColourCursorAlive(h1));
  EXPECT_EQ(log.Count() + log.Beeps(), 0u);
  Sp_ResM_ReleaseCCursor(610, ref2);
  EXPECT_FALSE(ColourCursorAlive(h1)) << "the last release disposes of the cursor";
}

TEST_F(ResourceManager, MissingCursorIsNoErrorAndIsNotCached) {
  ErrorLogCapture log;
  CCrsrHandle c = reinterpret_cast<CCrsrHandle>(&c);
  CursHandle bw = reinterpret_cast<CursHandle>(&bw);
  SInt32 ref = 99, bwRef = 99;
  EXPECT_FALSE(Sp_ResM_GetCCursorHandle(700, &c, &ref));
  EXPECT_FALSE(Sp_ResM_GetCursorHandle(700, &bw, &bwRef));
  EXPECT_TRUE(c == nullptr && bw == nullptr && ref == 0 && bwRef == 0);
  EXPECT_EQ(log.Count() + log.Beeps(), 0u) << "the caller reports a missing cursor";

  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("crsr"), 700,
                                       sp_testing::MakeColorCursorResource(Image())),
            noErr);
  EXPECT_TRUE(Sp_ResM_GetCCursorHandle(700, &c, &ref)) << "the next request tries again";
  EXPECT_NE(c, nullptr);
}

TEST_F(ResourceManager, LoanThatCannotBeRecordedIsReportedAndTakesNoNumber) {
  ErrorLogCapture log;
  CursHandle bw = nullptr;
  SInt32 ref = 0;
  // With the cursor loaded already, the item is the first allocation and the user reference
  // the second.
  ASSERT_NE(GetCursor(6140), nullptr);
  sp_testing::FailNthAllocation(2);
  EXPECT_FALSE(Sp_ResM_GetCursorHandle(6140, &bw, &ref));
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(bw == nullptr && ref == 0);
  EXPECT_TRUE(log.Has("cSp_ResourceManager::GetCursorHandle", 2));
  ASSERT_TRUE(Sp_ResM_GetCursorHandle(6140, &bw, &ref));
  EXPECT_EQ(ref, 1) << "the failed loan took no number";
}

TEST_F(ResourceManager, PictureLoansShareOneDrawnItemUntilTheLastReleaseUnlessPreloaded) {
  ErrorLogCapture log;
  const auto [item, ref1] = Loan(kRedBlue);
  ASSERT_TRUE(item != nullptr && item->GetPictureGWorld() != nullptr);
  EXPECT_EQ(Pixels(item->GetPictureGWorld(), 1, 0, 5), (Row{kRed, kRed, kBlue, kBlue, kNone}))
      << "drawn once into a GWorld of the frame moved to 0, 0";
  const auto [item2, ref2] = Loan(kRedBlue);
  Sp_ResM_ReleasePicture(item, ref1);
  const auto [item3, ref3] = Loan(kRedBlue);
  EXPECT_TRUE(item2 == item && item3 == item) << "later loans share the item";
  EXPECT_EQ((Row{UInt32(ref1), UInt32(ref2), UInt32(ref3)}), (Row{1, 2, 3}));
  Sp_ResM_ReleasePicture(item, ref2);
  Sp_ResM_ReleasePicture(item, ref3);
  EXPECT_EQ(Loan(kRedBlue).second, 1) << "a fresh item: the old one went with its last user";

  EXPECT_TRUE(Sp_ResM_PreLoadPictureItem(kHoles));
  const auto [resident, first] = Loan(kHoles);
  ASSERT_NE(resident, nullptr);
  EXPECT_EQ(first, 1) << "numbers count per picture, and the preload took none";
  Sp_ResM_ReleasePicture(resident, first);
  EXPECT_EQ(Loan(kHoles), std::make_pair(resident, SInt32(2))) << "the resident item stays";
  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(ResourceManager, CopiesAreScaledAndShowClearPartsWhite) {
  // A new GWorld holds stale memory until erased; a copy shows that white, not the port.
  sp_testing::FillPort(world_, kRed);
  Loan(kHoles).first->DrawPicuterOnCurrentPort(Rect{0, 0, 1, 4}, 0, nullptr, srcCopy, 0);
  EXPECT_EQ(Pixels(world_, 0, 0, 5), (Row{kGreen, kWhite, kWhite, kGreen, kRed}));
  sp_testing::FillPort(world_, kGreen);  // twice the picture's size:
  Loan(kRedBlue).first->DrawPicuterOnCurrentPort(Rect{1, 2, 5, 10}, 0, nullptr, srcCopy, 0);
  EXPECT_EQ(Pixels(world_, 1, 1, 11),
            (Row{kGreen, kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, kBlue, kGreen}));
  EXPECT_EQ(Pixels(world_, 4, 2, 3), Row{kRed});
  EXPECT_EQ(Pixels(world_, 5, 2, 3), Row{kGreen});
}

// A colour icon ('cicn': the PNG itself) that is still alive plots; a disposed one is refused.
bool ColourIconAlive(CIconHandle icon) {
  Rect r;
  SetRect(&r, 0, 0, 2, 2);
  return PlotCIconHandle(&r, kAlignNone, kTransformNone, icon) == noErr;
}

TEST_F(ResourceManager, ColourIconLoansShareOneIconAndTheLastReleaseFreesIt) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("cicn"), 9410, Png(2, 2, Row(4, 0xFF0000FF))),
            noErr);
  CIconHandle h1 = nullptr, h2 = nullptr, h3 = nullptr;
  SInt32 ref1 = 0, ref2 = 0, ref3 = 0;
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h1, &ref1));
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h2, &ref2));
  EXPECT_EQ(h1, h2);
  EXPECT_EQ(ref1, 1);
  EXPECT_EQ(ref2, 2);
  Sp_ResM_ReleaseCIcon(9410, ref1);
  EXPECT_TRUE(ColourIconAlive(h1)) << "one loan is still out";
  EXPECT_EQ(sp_testing::ReadPixel(world_, 0, 0), kRed);
  Sp_ResM_ReleaseCIcon(9410, ref2);
  EXPECT_FALSE(ColourIconAlive(h1)) << "the last release disposes of the icon";
  ASSERT_TRUE(Sp_ResM_GetCIconHandle(9410, &h3, &ref3));
  EXPECT_EQ(ref3, 3) << "loaded again, numbered on";
  Sp_ResM_ReleaseCIcon(9410, ref3);
}

TEST_F(ResourceManager, MissingColourIconIsNoErrorAndIsNotCached) {
  ErrorLogCapture log;
  CIconHandle icon = reinterpret_cast<CIconHandle>(&icon);
  SInt32 ref = 99;
  EXPECT_FALSE(Sp_ResM_GetCIconHandle(9419, &icon, &ref));
  EXPECT_EQ(icon, nullptr);
  EXPECT_EQ(ref, 0);
  EXPECT_EQ(log.Count(), 0u);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("cicn"), 9419, Png(1, 1, Row(1, 0x000000FF))),
            noErr);
  EXPECT_TRUE(Sp_ResM_GetCIconHandle(9419, &icon, &ref)) << "the next request tries again";
  EXPECT_EQ(ref, 1) << "the failed request took no number";
  Sp_ResM_ReleaseCIcon(9419, ref);

  EXPECT_FALSE(Sp_ResM_GetCIconHandle(9419, nullptr, &ref));
  EXPECT_TRUE(log.Has("Sp_ResM_GetCIconHandle", 1));
}

}  // namespace
