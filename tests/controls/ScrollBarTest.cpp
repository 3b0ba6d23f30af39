// The scroll bar views share: its range over several views, its arrows, pages and live thumb
// moving them together, the views' own scrolls moving the bar and the other views, and bars
// that go with the last view that lets go of them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Controls.h"
#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMainEventLoop.h"
#include "SpOriginalControl.h"
#include "SpTesting.h"
#include "TestClock.h"
#include "TestControls.h"
#include "TestEvents.h"
#include "TestWindows.h"

namespace {

Rect R(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  Rect r;
  SetRect(&r, left, top, right, bottom);
  return r;
}

short ScrollV(const cSp_View* view) {
  short h = 0, v = 0;
  view->GetScrollValue(h, v);
  return v;
}

int& ActionCalls() {
  static int calls = 0;
  return calls;
}

// One window (content at (100, 100)) with the bars handed to the views.
class SharedScrollBar : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    appearanceEnableFlag_GlV = 1;
    Sp_OCnt_InstallScrollBarServices();
    ActionCalls() = 0;
    const Rect content = R(100, 100, 500, 400);
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    views_.clear();
    while (OriginalControlItemList_GlV != nullptr) delete OriginalControlItemList_GlV;
    Sp_SetupScrollBarServices(nullptr);
    appearanceEnableFlag_GlV = 0;
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // A view at the window rectangle whose content is `contentHeight` high.
  cSp_View* View(const Rect& area, short contentHeight) {
    views_.emplace_back(new cSp_View(window_, area, 0, 0, nullptr, 0));
    views_.back()->SetupViewScrollArea(short(area.right - area.left), contentHeight, 0, 1);
    return views_.back().get();
  }

  // A press at the local point, released there after `holdMicroseconds`, through the window's
  // wrapped controls.
  unsigned char Press(Point local, SInt64 holdMicroseconds) {
    const Point down = {short(local.v + 100), short(local.h + 100)};
    sp_testing::PostMouseDown(down);
    sp_testing::ScheduleInput(holdMicroseconds, [down] { sp_testing::PostMouseUp(down); });
    return Sp_OCnt_BasicWinControlMouseDown(window_, local);
  }

  WindowRef window_ = nullptr;
  std::vector<std::unique_ptr<cSp_View>> views_;
  ErrorLogCapture errors_;
};

TEST_F(SharedScrollBar, TheNarrowestOverflowBoundsTheBarAndAViewsScrollMovesTheOthers) {
  cSp_View* a = View(R(0, 0, 100, 100), 400);  // overflow 300
  const Rect barRect = R(100, 0, 116, 100);
  a->SetupViewScrollAtAutoSetup(nullptr, &barRect);
  cScrollBarObj* bar = a->GetViewScrollBarPtr(kSpVerticalScrollBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetMaxValue(), 300);
  EXPECT_EQ(bar->GetPageValueWidth(), 100);

  cSp_View* b = View(R(200, 0, 300, 150), 300);  // overflow 150, taller
  b->SetupViewScrollBar(kSpVerticalScrollBar, bar);
  EXPECT_EQ(bar->GetNumOfAtachView(), 2);
  EXPECT_EQ(bar->GetMaxValue(), 150) << "a larger overflow does not raise the maximum";
  EXPECT_EQ(bar->GetPageValueWidth(), 100) << "the page is the smaller view";

  // A view that scrolls itself moves the bar and the other view, and is not moved again.
  short dh = 0, dv = 40;
  ASSERT_EQ(a->ScrollView(dh, dv, 1, 1, 0, 0), 1);
  EXPECT_EQ(ScrollV(a), 40);
  EXPECT_EQ(ScrollV(b), 40);
  EXPECT_EQ(GetControlValue(bar->GetControlHandle()), 40);

  // Content that shrinks under the value pulls the bar and every view back.
  a->SetupViewScrollArea(100, 130, 0, 1);  // overflow 30
  EXPECT_EQ(bar->GetMaxValue(), 30);
  EXPECT_EQ(bar->GetCurrnetValue(), 30);
  EXPECT_EQ(ScrollV(b), 30);
  EXPECT_EQ(ScrollV(a), 30);
  EXPECT_EQ(errors_.Count(), 0u);
}

Boolean Decide(unsigned long answer, short, short, short& amount) {
  if (answer == 0) return 0;
  amount = short(answer);
  return 1;
}

TEST_F(SharedScrollBar, ArrowsAndPagesStepByTheirAmountsWithinTheRange) {
  cSp_View* a = View(R(0, 0, 100, 100), 400);
  const Rect barRect = R(100, 0, 116, 100);
  a->SetupViewScrollAtAutoSetup(nullptr, &barRect);
  cScrollBarObj* bar = a->GetViewScrollBarPtr(kSpVerticalScrollBar);
  ASSERT_NE(bar, nullptr);
  bar->SetupScrollActionCBProcPtr([](ControlRef, short, unsigned long) { ++ActionCalls(); }, 0);
  const struct {
    short from;
    short part;
    unsigned long hook;  // 0: no amount from the hook
    short to;
    const char* why;
  } cases[] = {
      {100, kControlDownButtonPart, 0, 120, "the arrow step, the hook declining"},
      {100, kControlUpButtonPart, 7, 93, "the hook's amount"},
      {10, kControlUpButtonPart, 0, 0, "an arrow step past the top stops at 0"},
      {290, kControlDownButtonPart, 0, 300, "and past the bottom at the maximum"},
      {300, kControlDownButtonPart, 0, 300, "at the maximum nothing moves"},
      {150, kControlPageDownPart, 0, 250, "a page is the view's height"},
      {50, kControlPageUpPart, 0, 0, "a page up past the top"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    short h = -1, v = c.from;
    a->SetScrollValue(h, v, 1, 1, 0, 0);
    ASSERT_EQ(ScrollV(a), c.from);
    bar->SetupActionProcPositionDecisionCBProcPtr(Decide, c.hook);
    const int calls = ActionCalls();
    bar->ScrollBarProc(bar->GetControlHandle(), c.part, 0);
    EXPECT_EQ(ScrollV(a), c.to);
    EXPECT_EQ(GetControlValue(bar->GetControlHandle()), c.to);
    EXPECT_EQ(ActionCalls() - calls, c.from != c.to ? 1 : 0) << "the callback follows a move";
  }
  // A bar without views has no page: a page click moves nothing.
  Rect rect = R(10, 10, 26, 200);
  cScrollBarObj alone(window_, kSpVerticalScrollBar, rect, 100, 0, 20, 1);
  alone.ScrollBarProc(alone.GetControlHandle(), kControlPageDownPart, 0);
  EXPECT_EQ(alone.GetCurrnetValue(), 0);
  alone.ScrollBarProc(alone.GetControlHandle(), kControlDownButtonPart, 0);
  EXPECT_EQ(alone.GetCurrnetValue(), 20);
}

TEST_F(SharedScrollBar, HeldArrowsAndTheDraggedThumbMoveEveryViewWithTheBar) {
  cSp_View* a = View(R(0, 0, 100, 100), 400);
  cSp_View* b = View(R(200, 0, 300, 100), 400);
  const Rect barRect = R(100, 0, 116, 100);
  a->SetupViewScrollAtAutoSetup(nullptr, &barRect);
  cScrollBarObj* bar = a->GetViewScrollBarPtr(kSpVerticalScrollBar);
  ASSERT_NE(bar, nullptr);
  b->SetupViewScrollBar(kSpVerticalScrollBar, bar);
  ControlRef control = bar->GetControlHandle();

  // The bar the view made is in its window's list, so a press reaches it.
  Point arrow;
  ASSERT_TRUE(sp_testing::PointInControlPart(control, kControlDownButtonPart, &arrow));
  EXPECT_EQ(Press(arrow, 200000), 1);
  const short held = bar->GetCurrnetValue();
  EXPECT_GT(held, 20) << "a held arrow repeats";
  EXPECT_EQ(ScrollV(a), held);
  EXPECT_EQ(ScrollV(b), held);

  // The live thumb: every step it reports moves the views by that step.
  sp_testing::ResetEvents();
  Point thumb;
  ASSERT_TRUE(sp_testing::PointInControlPart(control, kControlIndicatorPart, &thumb));
  const Point down = {short(thumb.v + 100), short(thumb.h + 100)};
  sp_testing::PostMouseDown(down);
  for (short step = 1; step <= 3; ++step) {
    sp_testing::PostMouseDragged(Point{short(down.v + 10 * step), down.h});
  }
  sp_testing::PostMouseUp(Point{short(down.v + 30), down.h});
  EXPECT_EQ(Sp_OCnt_BasicWinControlMouseDown(window_, thumb), 1);
  const short dragged = GetControlValue(control);
  EXPECT_GT(dragged, held);
  EXPECT_EQ(bar->GetCurrnetValue(), dragged);
  EXPECT_EQ(ScrollV(a), dragged);
  EXPECT_EQ(ScrollV(b), dragged);
}

TEST_F(SharedScrollBar, ABarNotInItsWindowsListTakesNoPress) {
  Rect rect = R(10, 10, 26, 200);
  std::unique_ptr<cScrollBarObj> loose(
      new cScrollBarObj(window_, kSpVerticalScrollBar, rect, 100, 0, 20, 1));
  Point arrow;
  ASSERT_TRUE(
      sp_testing::PointInControlPart(loose->GetControlHandle(), kControlDownButtonPart, &arrow));
  EXPECT_EQ(Press(arrow, 100000), 0);
  EXPECT_EQ(loose->GetCurrnetValue(), 0);
  Sp_OCnt_SetItemIntoItemList(window_, loose.get());
  sp_testing::ResetEvents();
  EXPECT_EQ(Press(arrow, 100000), 1);
  EXPECT_GT(loose->GetCurrnetValue(), 0);
}

TEST_F(SharedScrollBar, AViewThatLetsGoIsDetachedAndTheLastTakesTheBarWithIt) {
  cSp_View* a = View(R(0, 0, 100, 100), 400);
  cSp_View* b = View(R(200, 0, 300, 100), 200);
  const Rect barRect = R(100, 0, 116, 100);
  a->SetupViewScrollAtAutoSetup(nullptr, &barRect);
  cScrollBarObj* bar = a->GetViewScrollBarPtr(kSpVerticalScrollBar);
  b->SetupViewScrollBar(kSpVerticalScrollBar, bar);
  ASSERT_EQ(bar->GetMaxValue(), 100);

  // The view that goes is no longer reached by the bar, and no longer bounds it.
  views_[1].reset();
  EXPECT_EQ(bar->GetNumOfAtachView(), 1);
  EXPECT_EQ(bar->GetMaxValue(), 300);
  bar->ScrollBarProc(bar->GetControlHandle(), kControlPageDownPart, 0);
  EXPECT_EQ(ScrollV(a), 100);

  // The last view's new bar replaces the old one, which leaves the window's list and takes
  // its control with it: the window holds the new bar and its control alone. (The old ones'
  // addresses may come back for the new ones, so they prove nothing.)
  const Rect otherRect = R(100, 0, 116, 90);
  a->SetupViewScrollAtAutoSetup(nullptr, &otherRect);
  cScrollBarObj* replaced = a->GetViewScrollBarPtr(kSpVerticalScrollBar);
  ASSERT_NE(replaced, nullptr);
  EXPECT_EQ(sp_testing::WindowControlList(window_),
            std::vector<ControlRef>{replaced->GetControlHandle()});
  const Rect bounds = sp_testing::ReadControl(replaced->GetControlHandle()).bounds;
  EXPECT_TRUE(bounds.top == otherRect.top && bounds.bottom == otherRect.bottom)
      << "the control is the new bar's";
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window_, false);
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->GetBasicWinCntObjList(), replaced);
  EXPECT_EQ(base->GetBasicWinCntObjList()->GetNextLinkItem(), nullptr);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
