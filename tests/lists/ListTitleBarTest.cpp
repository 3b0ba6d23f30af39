// The list's top title bar: items built from the columns, titles and numbers, the room it
// takes from the list, and separator drags that resize the columns under it.
#include <string>

#include "ListTestSupport.h"
#include "SpOriginalControl.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"

namespace list_test {
namespace {

class ListTitleBar : public ListFixture {
 protected:
  void SetUp() override {
    ListFixture::SetUp();
    Sp_OCnt_InstallScrollBarServices();
  }
  void TearDown() override {
    list_.reset();
    while (OriginalControlItemList_GlV != nullptr) delete OriginalControlItemList_GlV;
    Sp_SetupScrollBarServices(nullptr);
    Sp_SetupViewServices(nullptr);
    ListFixture::TearDown();
  }
  // Three columns 40 wide with one-pixel lines at both ends: each 42 wide in all.
  cSp_TittleBarControl* MakeTitledList(short height) {
    MakeList(5, 3);
    list_->SetupColLineWidth(-1, 1, 1);
    list_->SetupTopTitleBar(height);
    return list_->GetTopTitleBar();
  }
  static std::string Titles(const cSp_TittleBarControl* bar) {
    std::string out;
    for (auto* i = bar->GetFirstItem(); i; i = i->GetNextObjectPtr()) {
      char text[64];
      out += std::string(i->TitleText(text, sizeof text)) + "/" + std::to_string(i->width) + " ";
    }
    return out;
  }
  short ListTop() const {
    Rect area;
    list_->GetImmediateDrawingArea(&area);
    return area.top;
  }
};

TEST_F(ListTitleBar, ItemsTakeTheColumnsWidthsAndTheirNumbersUntilTitled) {
  cSp_TittleBarControl* bar = MakeTitledList(16);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Titles(bar), "1/42 2/42 3/42 ");
  EXPECT_EQ(ListTop(), kArea.top + 16) << "the list gives the bar its room";
  Rect barArea;
  bar->GetImmediateDrawingArea(&barArea);
  EXPECT_EQ(barArea.top, kArea.top);
  EXPECT_EQ(barArea.bottom, kArea.top + 16);
  EXPECT_EQ(bar->GetItem(1)->widthFixed, 1) << "nothing can be dragged at first";

  // Again with another height: the same bar, higher.
  list_->SetupTopTitleBar(20);
  EXPECT_EQ(list_->GetTopTitleBar(), bar);
  EXPECT_EQ(bar->GetNumOfItem(), 3);
  EXPECT_EQ(ListTop(), kArea.top + 20);

  list_->SetupTitle(kLMgrColumnDirection, 2, "Name");
  list_->SetupTitleFontSize(kLMgrColumnDirection, -1, 10);
  EXPECT_EQ(Titles(bar), "1/42 Name/42 3/42 ");
  EXPECT_EQ(bar->GetItem(3)->textSize, 10);
  list_->ClearTitleString(kLMgrColumnDirection, -1, 1);
  EXPECT_EQ(Titles(bar), "1/42 2/42 3/42 ") << "the numbers show";
  ASSERT_NE(list_->GetColumnRoot(2)->GetTitle(), nullptr) << "the column keeps its title";
  list_->ClearTitleString(kLMgrColumnDirection, 2, 0);
  EXPECT_EQ(list_->GetColumnRoot(2)->GetTitle(), nullptr);
  EXPECT_EQ(Titles(bar), "1/42 /42 3/42 ");

  // Columns that change width take their items with them.
  list_->SetColumnWidth(1, 60, 0);
  EXPECT_EQ(Titles(bar), "1/62 /42 3/42 ");
  EXPECT_EQ(bar->GetItem(2)->start, 62);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ListTitleBar, DraggingASeparatorWidensOneColumnAndTheCellsFollow) {
  cSp_TittleBarControl* bar = MakeTitledList(16);
  ASSERT_NE(bar, nullptr);
  const RGBColor blue = Colour(kBlue);
  list_->SetCellBackColor(2, 1, &blue, 0);
  // Item 1 ends at content 42, in its separator zone; the drag takes it ten pixels on.
  const Point separator = {short(kArea.top + 8), short(kArea.left + 42)};
  const Point moved = {short(kArea.top + 8), short(kArea.left + 52)};
  auto drag = [&] {
    if (bar->HotSpotMouseDonwProc(0, separator) == 0) return;
    bar->HotSpotMouseDownTraceProc(0, moved);
    bar->HotSpotMouseUpProc(0, moved);
  };
  drag();
  EXPECT_EQ(list_->GetColumnRoot(1)->size, 40) << "width-fixed items: nothing moves";

  list_->SetupCellWidthFlex(kLMgrColumnDirection, -1);
  Sp_InstallViewServices();  // the hover area takes its cursor from the resources
  list_->EnableMoveingSeparator(kLMgrColumnDirection);
  ASSERT_NE(bar->GetSeparatorMouseTrace(), nullptr);
  EXPECT_NE(bar->GetSeparatorMouseTrace()->GetTraceCrsrHandle(), nullptr) << "the separator cursor";
  drag();
  EXPECT_EQ(list_->GetColumnRoot(1)->size, 50);
  EXPECT_EQ(list_->GetColumnRoot(2)->size, 30);
  EXPECT_EQ(list_->GetColumnRoot(3)->size, 40);
  EXPECT_EQ(Titles(bar), "1/52 2/32 3/42 ");
  Rect cell;
  ASSERT_EQ(list_->GetCellArea(Cell(2, 1), &cell, nullptr, nullptr), 1);
  EXPECT_EQ(cell.left, 52);
  EXPECT_EQ(cell.right, 84);
  // The cell is drawn at its new place at once.
  const short top = short(kArea.top + 16);
  EXPECT_EQ(Px(short(kArea.left + 60), short(top + 5)), kBlue);
  EXPECT_EQ(Px(short(kArea.left + 50), short(top + 5)), kWhite);

  list_->DisableMoveingSeparator(kLMgrColumnDirection);
  EXPECT_EQ(bar->IsSeparatorMoveEnable(), 0);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ListTitleBar, TheTitlesScrollWithTheColumnsThroughTheListsBar) {
  Rect hBar = {110, 20, 126, 220};
  list_.reset(Sp_CreateNewList(window_, kArea, 60, 15, 10, 5, 1, &hBar, nullptr, nullptr, 0));
  ASSERT_NE(list_, nullptr);
  list_->SetupTopTitleBar(16);
  cSp_TittleBarControl* bar = list_->GetTopTitleBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetViewScrollBarPtr(kSpHorizontalScrollBar),
            list_->GetViewScrollBarPtr(kSpHorizontalScrollBar));
  ASSERT_EQ(list_->CellScroll(2, 1, 0, 0, 0, 1, 0), 1);
  short listH = 0, barH = 0, v = 0;
  list_->GetScrollValue(listH, v);
  bar->GetScrollValue(barH, v);
  EXPECT_GT(listH, 0);
  EXPECT_EQ(barH, listH);

  // Switched off, the list hides its titles too, and takes no presses.
  list_->DisableList(0);
  EXPECT_EQ(bar->IsEnableView(), 0);
  EXPECT_EQ(list_->IsHotSpotEnable(), 0);
  list_->DisableList(0);
  list_->EnableList(0);
  EXPECT_EQ(bar->IsEnableView(), 1);
  EXPECT_EQ(list_->IsHotSpotEnable(), 1);
}

}  // namespace
}  // namespace list_test
