// Scrolling a list by its lines: the arrow steps its bars take, scrolls by lines and pages,
// bringing a row into sight, and a scroll value the content no longer reaches.
#include "ListTestSupport.h"
#include "SpOriginalControl.h"

namespace list_test {
namespace {

// Rows of 15 pixels in a view 100 high and 200 wide.
class ListScroll : public ListFixture {
 protected:
  void SetUp() override {
    ListFixture::SetUp();
    Sp_OCnt_InstallScrollBarServices();
  }
  void TearDown() override {
    list_.reset();
    while (OriginalControlItemList_GlV != nullptr) delete OriginalControlItemList_GlV;
    Sp_SetupScrollBarServices(nullptr);
    ListFixture::TearDown();
  }
  short V() const {
    short h = 0, v = 0;
    list_->GetScrollValue(h, v);
    return v;
  }
  void ScrollTo(short v) {
    short h = -1;
    list_->SetScrollValue(h, v, 1, 1, 0, 0);
    ASSERT_EQ(V(), v);
  }
};

TEST_F(ListScroll, ArrowsStepToTheStartOrMiddleOfTheNextLine) {
  MakeList(100, 2);
  const struct {
    tScrollDrawingType type;
    short from;
    short part;
    Boolean decided;
    short amount;
    const char* why;
  } cases[] = {
      {kLMgrScrollToLineStart, 37, kControlUpButtonPart, 1, 22, "up from row 3 to row 2's start"},
      {kLMgrScrollToLineStart, 37, kControlDownButtonPart, 1, 8, "down to row 4's start"},
      {kLMgrScrollToLineStart, 5, kControlUpButtonPart, 1, 5, "the first row partly hidden: to 0"},
      {kLMgrScrollToLineMiddle, 37, kControlUpButtonPart, 1, 15, "up to row 2's middle, 22"},
      {kLMgrScrollToLineMiddle, 37, kControlDownButtonPart, 1, 15, "down to row 4's middle, 52"},
      {kLMgrScrollToLineMiddle, 3, kControlDownButtonPart, 1, 4, "first to row 1's own middle"},
      {kLMgrScrollToLineStart, 37, kControlPageDownPart, 0, 0, "pages are the bar's own"},
      {kLMgrScrollBarOwnStep, 37, kControlDownButtonPart, 0, 20, "the bar's own step"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    list_->SetupScrollDrawingType(kSpVerticalScrollBar, c.type);
    ScrollTo(c.from);
    short amount = 0;
    EXPECT_EQ(list_->DicisionScrollWidth(kSpVerticalScrollBar, c.part, 20, amount), c.decided);
    if (c.decided != 0 || c.type == kLMgrScrollBarOwnStep) {
      EXPECT_EQ(amount, c.amount);
    }
  }
  // In the last line there is no next line to step to.
  list_->SetupScrollDrawingType(kSpVerticalScrollBar, kLMgrScrollToLineStart);
  list_->SetRowHeight(100, 150, 0);
  ScrollTo(short(99 * 15 + 150 - 100));
  short amount = 0;
  EXPECT_EQ(list_->DicisionScrollWidth(kSpVerticalScrollBar, kControlDownButtonPart, 20, amount),
            0);
  // A list without rows leaves the bar its own step, with a record.
  MakeList(0, 2);
  EXPECT_EQ(Sp_LM_DecisionScrollWidthForVScroll(reinterpret_cast<unsigned long>(list_.get()),
                                                kControlUpButtonPart, 20, amount),
            0);
  EXPECT_TRUE(errors_.Has("cLMgr_List_Base::DicisionScrollWidth", 1));
  EXPECT_EQ(Sp_LM_DecisionScrollWidthForVScroll(0, kControlUpButtonPart, 20, amount), 0);
}

TEST_F(ListScroll, TheListsOwnBarsStepFromLineToLine) {
  Rect hBar = {110, 20, 126, 220}, vBar = {10, 220, 110, 236};
  list_.reset(Sp_CreateNewList(window_, kArea, 60, 15, 100, 5, 1, &hBar, &vBar, nullptr, 0));
  ASSERT_NE(list_, nullptr);
  list_->SetupRowLineWidth(-1, 0, 0);
  list_->SetupColLineWidth(-1, 0, 0);
  cScrollBarObj* down = list_->GetViewScrollBarPtr(kSpVerticalScrollBar);
  cScrollBarObj* across = list_->GetViewScrollBarPtr(kSpHorizontalScrollBar);
  ASSERT_NE(down, nullptr);
  ASSERT_NE(across, nullptr);
  EXPECT_EQ(down->GetMaxValue(), 100 * 15 - 100);
  EXPECT_EQ(across->GetMaxValue(), 5 * 60 - 200);

  down->ScrollBarProc(down->GetControlHandle(), kControlDownButtonPart, 0);
  EXPECT_EQ(V(), 15) << "one row, not the bar's 20 pixels";
  down->ScrollBarProc(down->GetControlHandle(), kControlDownButtonPart, 0);
  down->ScrollBarProc(down->GetControlHandle(), kControlUpButtonPart, 0);
  EXPECT_EQ(V(), 15);
  across->ScrollBarProc(across->GetControlHandle(), kControlDownButtonPart, 0);
  short h = 0, v = 0;
  list_->GetScrollValue(h, v);
  EXPECT_EQ(h, 60);

  Rect rect;
  ASSERT_EQ(list_->GetScrollBarSize(kSpVerticalScrollBar, rect), 1);
  EXPECT_TRUE(EqualRect(&rect, &vBar));
  const Rect moved = {20, 230, 100, 246};
  list_->ResizeScrolBar(kSpVerticalScrollBar, moved);
  list_->GetScrollBarSize(kSpVerticalScrollBar, rect);
  EXPECT_TRUE(EqualRect(&rect, &moved));
  Rect control;
  GetControlBounds(down->GetControlHandle(), &control);
  EXPECT_TRUE(EqualRect(&control, &moved));

  // Rows that go pull the scroll value, and the bar with it, back to what is left.
  ScrollTo(1400);
  list_->DeleteRow(1, 80, 0);
  EXPECT_EQ(V(), 20 * 15 - 100);
  EXPECT_EQ(down->GetCurrnetValue(), 200);
  list_->DeleteRow(1, 18, 0);
  EXPECT_EQ(V(), 0);
  EXPECT_EQ(GetControlValue(down->GetControlHandle()), 0);
}

TEST_F(ListScroll, CellScrollsCountWholeLinesAndNeedThemAllUnlessPartial) {
  MakeList(10, 2);  // content 150, view 100: at most 50
  const struct {
    short from;
    Boolean alignStart;
    short count;
    Boolean partial;
    Boolean scrolls;
    short by;
    const char* why;
  } cases[] = {
      {0, 1, 3, 0, 1, 45, "three rows on: row 4 at the top"},
      {20, 0, 3, 0, 0, 0, "only rows 9 and 10 lie below"},
      {20, 0, 3, 1, 1, 30, "partial: to the last of them, the content's end"},
      {37, 1, -1, 0, 1, -7, "one back: row 3 at the top"},
      {37, 1, -2, 0, 1, -22, "two back: row 2"},
      {50, 0, -1, 0, 1, -15, "one back: row 9 at the bottom"},
      {0, 1, -1, 1, 0, 0, "nothing above the top"},
      {37, 1, 0, 1, 0, 0, "no count"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ScrollTo(c.from);
    short by = -99;
    EXPECT_EQ(list_->BasicCellScroll(1, c.alignStart, c.count, c.partial, &by), c.scrolls);
    EXPECT_EQ(by, c.by);
    EXPECT_EQ(list_->CellScroll(0, 0, c.count, c.alignStart, c.partial, 0, 0), c.scrolls);
    EXPECT_EQ(V(), short(c.from + c.by));
  }
}

TEST_F(ListScroll, PagesAndTargetRowsScrollTheLeastThatShowsThem) {
  MakeList(100, 2);  // content 1500: at most 1400
  const struct {
    short from;
    short direction;
    Boolean clamp;
    short to;
    const char* why;
  } pages[] = {
      {0, 1, 0, 100, "a page down"},
      {1350, 1, 0, 1350, "less than a page left: nothing without clamp"},
      {1350, 1, 1, 1400, "with clamp to the end"},
      {1300, 1, 0, 1400, "exactly a page left: the page reaches the end"},
      {1299, 1, 0, 1399, "a pixel more than a page left"},
      {150, -1, 0, 50, "a page up"},
      {100, -1, 0, 100, "exactly a page from the top: nothing without clamp"},
      {100, -1, 1, 0, "with clamp to the top"},
      {101, -1, 0, 1, "a pixel more than a page from the top"},
      {0, -1, 1, 0, "at the top"},
  };
  for (const auto& c : pages) {
    SCOPED_TRACE(c.why);
    ScrollTo(c.from);
    EXPECT_EQ(list_->PageScroll(c.direction, 0, c.clamp, 0, 0, 0), c.from != c.to ? 1 : 0);
    EXPECT_EQ(V(), c.to);
  }

  list_->SetRowHeight(60, 150, 0);  // rows 60 to 100 move down by 135
  const struct {
    short from;
    short row;
    short to;
    const char* why;
  } targets[] = {
      {0, 50, 650, "below: row 50 (735 to 750) comes to the bottom"},
      {700, 20, 285, "above: row 20 comes to the top"},
      {700, 50, 700, "shown already"},
      {0, 60, 910, "a row taller than the view is centred: (885 + 1035 - 100) / 2"},
      {0, 500, 0, "no such row"},
  };
  for (const auto& c : targets) {
    SCOPED_TRACE(c.why);
    ScrollTo(c.from);
    EXPECT_EQ(list_->ScrollWithTargetCellOutput(c.row, -1, 0, 0, 0), c.from != c.to ? 1 : 0);
    EXPECT_EQ(V(), c.to);
  }
}

}  // namespace
}  // namespace list_test
