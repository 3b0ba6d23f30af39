// The colour table from its resources, and the colour picker's colours, grid, hit test,
// drawing and saved selection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Resources.h"
#include "SpColorTableObj.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"

namespace {

using drawing_test::ColorIs;
using drawing_test::DrawingPortTest;
using drawing_test::kBlack;
using drawing_test::kWhite;
using drawing_test::R;

// A 'clut' of n colours, entry i (i, 2i, 3i) x 100, whose size field says `sizeField`.
std::vector<UInt8> Clut(int n, int sizeField) {
  std::vector<RGBColor> colors;
  for (int i = 0; i < n; ++i) colors.push_back({UInt16(i * 100), UInt16(i * 200), UInt16(i * 300)});
  return drawing_test::Clut(sizeField, colors);
}

class ColorTable : public DrawingPortTest {};

TEST_F(ColorTable, ItemsAreFoundByNumberAndByExactColourAndNeverPastTheBytes) {
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("clut"), 700, Clut(5, 4)), noErr);
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("clut"), 704, Clut(3, 200)), noErr);
  EXPECT_EQ(cSpColorTableObj(704, 0, 0).GetItemCount(), 3) << "the size field overstates";
  cSpColorTableObj table(700, 0, 0);
  RGBColor c{};
  EXPECT_EQ(table.GetTargetColor(0, c) + table.GetTargetColor(6, c), 0) << "items are 1 to 5";
  ASSERT_EQ(table.GetTargetColor(5, c), 1);
  EXPECT_TRUE(ColorIs(c, 400, 800, 1200));
  short n = -1;
  EXPECT_EQ(table.SerchTargetColorNo(RGBColor{300, 600, 900}, n), 1);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(table.SerchTargetColorNo(RGBColor{300, 600, 901}, n), 0);
  table.SetupTargetItem(3);
  table.SetupTargetItem(9);
  ASSERT_EQ(table.GetCurrentTargetColorRefNum(n), 1);
  EXPECT_EQ(n, 3) << "no ninth item: the current one stays";
}

TEST(ColorTableItem, TitlesAreCutOnCharacterBoundaries) {
  cSpColorTableItemObj a;
  a.SetupColorTitle(std::string(600, 'x').c_str());
  char buffer[kSpColorTitleSize];
  a.GetColorTitle(buffer);
  EXPECT_EQ(std::strlen(buffer), kSpColorTitleSize - 1);
  a.SetupColorTitle("ab\x82\xA0");  // two letters and a two-byte character
  char small[4];
  a.GetColorTitle(small, sizeof small);
  EXPECT_STREQ(small, "ab") << "the two-byte character is not split";
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
  EXPECT_EQ(SpCPF_GetItemColor(0, none) + SpCPF_GetItemColor(271, none), 0);
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
  const Rect last = R(109, 330, 119, 340);
  ASSERT_EQ(SpCPR_GetTargetItemArea(270, left, top, area), 1);
  EXPECT_TRUE(EqualRect(&area, &last));
  EXPECT_EQ(SpCPR_GetTargetItemArea(0, left, top, area), 0);
  EXPECT_EQ(SpCPR_GetTargetItemArea(271, left, top, area), 0);
}

// ---- Drawing and selection ----

TEST_F(ColorTable, TheSelectionIsDrawnSavedAsAResourceAndCancelledAgain) {
  const short left = 10, top = 20;
  auto ringPixel = [&](short item) {  // one pixel outside the cell
    Rect c{};
    SpCPR_GetTargetItemArea(item, left, top, c);
    return Px(SInt16(c.left - 1), SInt16(c.top + 4));
  };
  short saved = -1;
  EXPECT_EQ(SpCPR_GetSaveSelection(300, saved), 0) << "nothing saved yet";
  SpCPR_SetupSelection(300, left, top, 45);
  EXPECT_EQ(ringPixel(45), kBlack);
  EXPECT_EQ(Px(left + 300, top + 50), kWhite) << "only the cell's surroundings are redrawn";
  Handle data = GetResource(kSpColorPickerDataType, 300);
  ASSERT_TRUE(data != nullptr && GetHandleSize(data) == 4);
  EXPECT_EQ(sp::LoadBE32(*data), 45u);
  ReleaseResource(data);
  SpCPR_SetupSelection(300, left, top, 46);
  SpCPR_CancelSelection(300, left, top, 46);
  EXPECT_EQ(ringPixel(46), kWhite);
  ASSERT_EQ(SpCPR_GetInitialSelection(300, saved), 1);
  EXPECT_EQ(saved, 0);
  SpCPR_SetInitialSelection(301, 7);
  ASSERT_EQ(SpCPR_GetSaveSelection(301, saved), 1);
  EXPECT_EQ(saved, 7);
}

}  // namespace
