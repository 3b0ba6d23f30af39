// The wrappers of toolbox controls, their windows' lists, and the press they take from a
// window's content.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMainEventLoop.h"
#include "SpOriginalControl.h"
#include "SpTesting.h"
#include "TestControls.h"
#include "TestEvents.h"
#include "TestWindows.h"

namespace {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

Rect R(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  Rect r;
  SetRect(&r, left, top, right, bottom);
  return r;
}

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

// A wrapper whose four procedures write into the log.
class Wrapper : public cSp_OCnt_BasicWindowControlObj {
 public:
  Wrapper(WindowRef window, Rect rect, short procID, short min = 0, short max = 10, short value = 0)
      : cSp_OCnt_BasicWindowControlObj(window, rect, min, max, value, true, procID) {
    beforeTrackProc_ = [](unsigned long) { Log().push_back("before"); };
    actionProc_ = [](ControlRef, short part, unsigned long) {
      const std::string entry = "action:" + std::to_string(part);
      if (Log().empty() || Log().back() != entry) Log().push_back(entry);
    };
    hitProc_ = [](unsigned long) { Log().push_back("hit"); };
    missProc_ = [](unsigned long) { Log().push_back("miss"); };
  }
};

class OriginalControl : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    appearanceEnableFlag_GlV = 1;
    Log().clear();
    static const unsigned char kNoTitle[] = {0};
    const Rect content = R(100, 100, 400, 300);
    window_ =
        NewCWindow(nullptr, &content, kNoTitle, true, documentProc, kFirstWindowOfClass, false, 0);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    wrappers_.clear();
    while (OriginalControlItemList_GlV != nullptr) delete OriginalControlItemList_GlV;
    appearanceEnableFlag_GlV = 0;
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  Wrapper* Add(Rect rect, short procID = pushButProc, bool listed = true) {
    wrappers_.emplace_back(new Wrapper(window_, rect, procID));
    if (listed) Sp_OCnt_SetItemIntoItemList(window_, wrappers_.back().get());
    return wrappers_.back().get();
  }

  // A press at a local point of the window, released (global) after `holdMicroseconds`.
  unsigned char Press(Point local, Point releaseLocal, SInt64 holdMicroseconds = 0) {
    const Point down = Global(local);
    const Point up = Global(releaseLocal);
    sp_testing::PostMouseDown(down);
    if (holdMicroseconds == 0) {
      if (up.h != down.h || up.v != down.v) sp_testing::PostMouseDragged(up);
      sp_testing::PostMouseUp(up);
    } else {
      sp_testing::ScheduleInput(holdMicroseconds, [up] { sp_testing::PostMouseUp(up); });
    }
    return Sp_OCnt_BasicWinControlMouseDown(window_, local);
  }
  static Point Global(Point local) {
    Point p = local;
    p.h = SInt16(p.h + 100);
    p.v = SInt16(p.v + 100);
    return p;
  }
  static Point Middle(const Rect& r) {
    Point p;
    p.h = SInt16((r.left + r.right) / 2);
    p.v = SInt16((r.top + r.bottom) / 2);
    return p;
  }

  WindowRef window_ = nullptr;
  std::vector<std::unique_ptr<Wrapper>> wrappers_;
  ErrorLogCapture errors_;
};

TEST_F(OriginalControl, TheValueIsClampedBeforeTheControlIsMade) {
  wrappers_.emplace_back(new Wrapper(window_, R(10, 10, 200, 26), scrollBarProc, 0, 10, 25));
  Wrapper* bar = wrappers_.back().get();
  EXPECT_EQ(bar->GetCurrnetValue(), 10);
  EXPECT_EQ(GetControlValue(bar->GetControlHandle()), 10);
  wrappers_.emplace_back(new Wrapper(window_, R(10, 30, 200, 46), scrollBarProc, 5, 10, -3));
  EXPECT_EQ(wrappers_.back()->GetCurrnetValue(), 5);
}

TEST_F(OriginalControl, AFreshWrapperIsEnabledLikeItsControl) {
  Wrapper* button = Add(R(10, 10, 80, 30));
  EXPECT_EQ(button->IsControlEnableFlag(), 1);
  button->ControlDisable();
  EXPECT_EQ(GetControlHilite(button->GetControlHandle()), kControlInactivePart);
  button->ControlEnable();
  EXPECT_EQ(GetControlHilite(button->GetControlHandle()), 0);
  button->ControlInvisible();
  EXPECT_FALSE(IsControlVisible(button->GetControlHandle()));
  button->ControlVisible();
  EXPECT_TRUE(IsControlVisible(button->GetControlHandle()));
}

TEST_F(OriginalControl, AWindowsListHoldsEachWrapperOnceNewestFirst) {
  Wrapper* a = Add(R(10, 10, 80, 30));
  Wrapper* b = Add(R(40, 20, 120, 40));  // overlaps a
  Sp_OCnt_SetItemIntoItemList(window_, a);
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window_, false);
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->GetBasicWinCntObjList(), b);
  EXPECT_EQ(b->GetNextLinkItem(), a);
  EXPECT_EQ(a->GetNextLinkItem(), nullptr) << "a second entry of a is not made";
  Point overlap;
  overlap.h = 50;
  overlap.v = 25;
  EXPECT_EQ(base->GetBasicWinCntObject(overlap), b);

  EXPECT_EQ(Sp_OCnt_UnlinkFromItemList(window_, b), 1);
  EXPECT_EQ(Sp_OCnt_UnlinkFromItemList(window_, b), 0);
  EXPECT_EQ(errors_.Beeps(), 1) << "taking out what is not there beeps";
  EXPECT_EQ(base->GetBasicWinCntObject(overlap), a);
}

TEST_F(OriginalControl, AWrapperThatGoesLeavesItsWindowsList) {
  Wrapper* a = Add(R(10, 10, 80, 30));
  Wrapper* b = Add(R(10, 40, 80, 60));
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window_, false);
  wrappers_.erase(wrappers_.begin() + 1);  // b goes
  EXPECT_EQ(base->GetBasicWinCntObjList(), a);
  EXPECT_EQ(a->GetBeforeLinkItem(), nullptr);
  (void)b;
  Log().clear();
  EXPECT_EQ(Press(Middle(R(10, 40, 80, 60)), Middle(R(10, 40, 80, 60))), 0);
}

TEST_F(OriginalControl, APressOnAListedControlIsTrackedAndEndsInHitOrMiss) {
  const Rect rect = R(10, 10, 80, 30);
  Add(rect);
  EXPECT_EQ(Press(Middle(rect), Middle(rect)), 1);
  EXPECT_EQ(Log(), std::vector<std::string>({"before", "action:10", "hit"}));
  Log().clear();
  Point outside;
  outside.h = 200;
  outside.v = 150;
  EXPECT_EQ(Press(Middle(rect), outside), 1);
  EXPECT_EQ(Log(), std::vector<std::string>({"before", "action:10", "miss"}));
}

TEST_F(OriginalControl, PressesNoListedControlTakesGoOn) {
  Add(R(10, 10, 80, 30), pushButProc, false);  // never put into the list
  EXPECT_EQ(Press(Middle(R(10, 10, 80, 30)), Middle(R(10, 10, 80, 30))), 0);
  sp_testing::ResetEvents();
  Add(R(10, 40, 80, 60));
  Point bare;
  bare.h = 200;
  bare.v = 150;
  EXPECT_EQ(Press(bare, bare), 0);
  EXPECT_TRUE(Log().empty());

  // Without a window nothing can be tracked; the press counts as taken.
  EXPECT_EQ(Sp_OCnt_BasicWinControlMouseDown(nullptr, bare), 1);
  EXPECT_TRUE(errors_.Has("Sp_OCnt_BasicWinControlMouseDown", 1));
}

TEST_F(OriginalControl, TheWrappersActionRunsWhileAnArrowIsHeld) {
  Wrapper* bar = Add(R(10, 10, 26, 200), scrollBarProc);
  Point arrow;
  ASSERT_TRUE(
      sp_testing::PointInControlPart(bar->GetControlHandle(), kControlDownButtonPart, &arrow));
  EXPECT_EQ(Press(arrow, arrow, 200000), 1);
  EXPECT_EQ(Log(), std::vector<std::string>({"before", "action:21", "hit"}));
}

}  // namespace
