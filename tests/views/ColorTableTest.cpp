// The colour table from its resources, and the colour picker's colours, grid, hit test,
// drawing and saved selection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "Resources.h"
#include "SpColorTableObj.h"
#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::ColorIs;
using drawing_test::DrawingPortTest;
using drawing_test::kBlack;
using drawing_test::kWhite;
using drawing_test::R;

constexpr ResType kClut = SpFourCC("clut");

// A 'clut' of n colours: entry i is (i, 2i, 3i) x 100.
std::vector<UInt8> Clut(int n, int sizeField = -2) {
  std::vector<UInt8> bytes(8 + std::size_t(n) * 8, 0);
  sp::StoreBE16(&bytes[6], UInt16(sizeField == -2 ? n - 1 : sizeField));
  for (int i = 0; i < n; ++i) {
    UInt8* e = &bytes[8 + std::size_t(i) * 8];
    sp::StoreBE16(e, UInt16(i));
    sp::StoreBE16(e + 2, UInt16(i * 100));
    sp::StoreBE16(e + 4, UInt16(i * 200));
    sp::StoreBE16(e + 6, UInt16(i * 300));
  }
  return bytes;
}

class ColorTable : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::ResetResources(); }
  void TearDown() override { sp_testing::ResetResources(); }
};

TEST_F(ColorTable, ATableWhoseSizeFieldOverstatesItsBytesHoldsOnlyWhatIsThere) {
  ASSERT_EQ(sp_testing::AddAppResource(kClut, 704, Clut(3, 200)), noErr);
  cSpColorTableObj table(704, 0, 0);
  EXPECT_EQ(table.GetItemCount(), 3);
}

TEST_F(ColorTable, ItemsAreFoundByNumberAndByExactColour) {
  ASSERT_EQ(sp_testing::AddAppResource(kClut, 700, Clut(5)), noErr);
  cSpColorTableObj table(700, 0, 0);
  RGBColor c{};
  EXPECT_EQ(table.GetTargetColor(0, c), 0);
  EXPECT_EQ(table.GetTargetColor(6, c), 0);
  ASSERT_EQ(table.GetTargetColor(5, c), 1);
  EXPECT_TRUE(ColorIs(c, 400, 800, 1200));
  short n = -1;
  EXPECT_EQ(table.SerchTargetColorNo(RGBColor{300, 600, 900}, n), 1);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(table.SerchTargetColorNo(RGBColor{300, 600, 901}, n), 0);
  EXPECT_EQ(n, 0);
  table.SetupTargetItem(3);
  ASSERT_EQ(table.GetCurrentTargetColorRefNum(n), 1);
  EXPECT_EQ(n, 3);
  table.SetupTargetItem(9);
  table.GetCurrentTargetColorRefNum(n);
  EXPECT_EQ(n, 3) << "no ninth item: the current one stays";
}

TEST(ColorTableItem, NumbersFollowTheListAndTitlesAreCutOnCharacterBoundaries) {
  cSpColorTableItemObj a, b, c;
  a.LinkToNext(&b);
  a.LinkToNext(&c);
  a.SetupRefNum(1);
  EXPECT_EQ(b.GetRefNum(), 2);
  EXPECT_EQ(c.GetRefNum(), 3);
  EXPECT_EQ(a.SerchTargetRefNumItem(3), &c);
  EXPECT_EQ(b.SerchTargetRefNumItem(1), nullptr) << "only from the item onward";
  b.SetupColorValue(RGBColor{1, 2, 3});
  EXPECT_EQ(a.SerchTargetColorItem(RGBColor{1, 2, 3}), &b);

  std::string longTitle(600, 'x');
  a.SetupColorTitle(longTitle.c_str());
  char buffer[kSpColorTitleSize];
  a.GetColorTitle(buffer);
  EXPECT_EQ(std::strlen(buffer), kSpColorTitleSize - 1);

  a.SetupColorTitle("ab\x82\xA0");  // two letters and a two-byte character
  char small[4];
  a.GetColorTitle(small, sizeof small);
  EXPECT_STREQ(small, "ab") << "the two-byte character is not split";

  ErrorLogCapture log;
  a.GetColorTitle(nullptr);
  EXPECT_TRUE(log.Has("cSpColorTableItemObj::GetColorTitle", 1));
  while (a.UnlinkNext() != nullptr) {
  }
}

// ---- The picker's colours and grid ----

TEST(ColorPicker, ItemColoursFollowTheGreyAndColourRules) {
  const struct {
    short item;
    UInt16 r, g, b;
    const char* why;
  } cases[] = {
      {1, 65535, 65535, 65535, "white"},
      {2, 0, 0, 0, "black"},
      {3, 52428, 52428, 52428, "grey 1: 80 % white"},
      {30, 3276, 3276, 3276, "grey 28: 5 % white"},
      {31, 26214, 0, 0, "row 1, column 0: red at 40 %"},
      {36, 26214, 26214, 0, "column 5: red and green at 40 %"},
      {37, 20971, 26214, 0, "column 6: red at 32 %"},
      {40, 5242, 26214, 0, "column 9: red at 8 %"},
      {41, 0, 26214, 0, "the second group starts with green"},
      {51, 0, 0, 26214, "the third group starts with blue"},
      {121, 65535, 0, 0, "row 4: pure red"},
      {126, 65535, 65535, 0, "row 4, column 5: red and green"},
      {241, 65535, 52428, 52428, "row 8: red with green and blue at 80 %"},
      {270, 65535, 52428, 55049, "the last cell: blue 84 %, red 100 %, green 80 %"},
  };
  for (const auto& c : cases) {
    RGBColor color{};
    ASSERT_EQ(SpCPF_GetItemColor(c.item, color), 1) << c.why;
    EXPECT_TRUE(ColorIs(color, c.r, c.g, c.b)) << c.item << ": " << c.why;
  }
  RGBColor none{};
  EXPECT_EQ(SpCPF_GetItemColor(0, none), 0);
  EXPECT_EQ(SpCPF_GetItemColor(271, none), 0);
  short w = 0, h = 0;
  SpCPF_GetColorPickerMenuSize(w, h);
  EXPECT_EQ(w, 331);
  EXPECT_EQ(h, 100);
  EXPECT_EQ(SpCPF_GetColorItemNum(), 270);
}

TEST(ColorPicker, PointsHitTheCellWhoseAreaOrFollowingGapTheyAreIn) {
  const short left = 10, top = 20;
  const struct {
    SInt16 h, v;
    unsigned char hit;
    short item;
  } cases[] = {
      {left + 1, top + 1, 1, 1},   {left + 11, top + 1, 1, 1},     {left + 12, top + 1, 1, 2},
      {left + 1, top + 12, 1, 31}, {left + 329, top + 98, 1, 270}, {left + 330, top + 1, 0, 0},
      {left, top + 5, 0, 0},       {left + 5, top + 99, 0, 0},
  };
  for (const auto& c : cases) {
    short item = -1;
    EXPECT_EQ(SpCPR_SerchTargetItem(left, top, Point{c.v, c.h}, item), c.hit) << c.h << "," << c.v;
    EXPECT_EQ(item, c.item) << c.h << "," << c.v;
  }
  Rect area{};
  ASSERT_EQ(SpCPR_GetTargetItemArea(1, left, top, area), 1);
  const Rect first = R(21, 11, 31, 21);
  EXPECT_TRUE(EqualRect(&area, &first));
  ASSERT_EQ(SpCPR_GetTargetItemArea(270, left, top, area), 1);
  const Rect last = R(109, 330, 119, 340);
  EXPECT_TRUE(EqualRect(&area, &last));
  EXPECT_EQ(SpCPR_GetTargetItemArea(0, left, top, area), 0);
}

// ---- Drawing and selection ----

class ColorPickerDrawing : public DrawingPortTest {
 protected:
  static constexpr short kLeft = 10;
  static constexpr short kTop = 20;

  // A port wide enough for the 331 x 100 picker.
  void SetUp() override {
    DrawingPortTest::SetUp();
    world_ = NewWorld(R(0, 0, 140, 360), kWhite);
    ASSERT_NE(world_, nullptr);
    SetGWorld(world_, nullptr);
  }

  Rect Cell(short item) const {
    Rect r{};
    SpCPR_GetTargetItemArea(item, kLeft, kTop, r);
    return r;
  }
  // The pixels around the cell: the ring one pixel outside it.
  UInt32 RingPixel(short item) const {
    const Rect c = Cell(item);
    return Px(SInt16(c.left - 1), SInt16(c.top + 4));
  }
};

TEST_F(ColorPickerDrawing, TheSelectionIsSavedAsAResourceAndCancelledAgain) {
  short saved = -1;
  EXPECT_EQ(SpCPR_GetSaveSelection(300, saved), 0) << "nothing saved yet";
  SpCPR_SetupSelection(300, kLeft, kTop, 45);
  EXPECT_EQ(RingPixel(45), kBlack);
  EXPECT_EQ(Px(kLeft + 300, kTop + 50), kWhite) << "only the cell's surroundings are redrawn";
  ASSERT_EQ(SpCPR_GetSaveSelection(300, saved), 1);
  EXPECT_EQ(saved, 45);

  Handle data = GetResource(kSpColorPickerDataType, 300);
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(GetHandleSize(data), 4);
  EXPECT_EQ(sp::LoadBE32(*data), 45u);
  short id = 0;
  ResType type = 0;
  Str255 name{};
  GetResInfo(data, &id, &type, name);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]),
            "Vorlo Color Picker Default Data");
  ReleaseResource(data);

  SpCPR_SetupSelection(300, kLeft, kTop, 46);
  SpCPR_CancelSelection(300, kLeft, kTop, 46);
  EXPECT_EQ(RingPixel(46), kWhite);
  ASSERT_EQ(SpCPR_GetInitialSelection(300, saved), 1);
  EXPECT_EQ(saved, 0);

  SpCPR_SetInitialSelection(301, 7);
  ASSERT_EQ(SpCPR_GetSaveSelection(301, saved), 1);
  EXPECT_EQ(saved, 7);
}

}  // namespace
