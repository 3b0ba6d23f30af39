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

TEST_F(OriginalControl, TheValueIsClampedAndTheStateReachesTheControl) {
  const struct { short min, max, value, clamped; } cases[] = {{0, 10, 25, 10}, {5, 10, -3, 5}};
  for (const auto& c : cases) {
    wrappers_.emplace_back(
        new Wrapper(window_, R(10, 10, 200, 26), scrollBarProc, c.min, c.max, c.value));
    EXPECT_EQ(wrappers_.back()->GetCurrnetValue(), c.clamped);
    EXPECT_EQ(GetControlValue(wrappers_.back()->GetControlHandle()), c.clamped);
  }
  Wrapper* button = Add(R(10, 10, 80, 30));
  EXPECT_EQ(button->IsControlEnableFlag(), 1) << "a fresh wrapper is enabled like its control";
  button->ControlDisable();
  EXPECT_EQ(GetControlHilite(button->GetControlHandle()), kControlInactivePart);
  button->ControlEnable();
  EXPECT_EQ(GetControlHilite(button->GetControlHandle()), 0);
  button->ControlInvisible();
  EXPECT_FALSE(IsControlVisible(button->GetControlHandle()));
  button->ControlVisible();
  EXPECT_TRUE(IsControlVisible(button->GetControlHandle()));
}

TEST_F(OriginalControl, AWindowsListHoldsEachWrapperOnceNewestFirstAndLosesTheOnesThatGo) {
  Wrapper* a = Add(R(10, 10, 80, 30));
  Wrapper* b = Add(R(40, 20, 120, 40));  // overlaps a
  Wrapper* c = Add(R(10, 40, 80, 60));
  Sp_OCnt_SetItemIntoItemList(window_, a);
  cSp_OCnt_WinBase* base = Sp_OCnt_GetWinBase(window_, false);
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->GetBasicWinCntObjList(), c);
  EXPECT_EQ(c->GetNextLinkItem(), b);
  EXPECT_EQ(b->GetNextLinkItem(), a);
  EXPECT_EQ(a->GetNextLinkItem(), nullptr) << "a second entry of a is not made";
  const Point overlap = {25, 50};
  EXPECT_EQ(base->GetBasicWinCntObject(overlap), b);

  EXPECT_EQ(Sp_OCnt_UnlinkFromItemList(window_, b), 1);
  EXPECT_EQ(Sp_OCnt_UnlinkFromItemList(window_, b), 0);
  EXPECT_EQ(errors_.Beeps(), 1) << "taking out what is not there beeps";
  EXPECT_EQ(base->GetBasicWinCntObject(overlap), a);
  EXPECT_EQ(a->GetBeforeLinkItem(), c);

  wrappers_.erase(wrappers_.begin() + 2);  // c, the first, goes
  EXPECT_EQ(base->GetBasicWinCntObjList(), a);
  EXPECT_EQ(a->GetBeforeLinkItem(), nullptr);
  EXPECT_EQ(Press(Middle(R(10, 40, 80, 60)), Middle(R(10, 40, 80, 60))), 0);
}

TEST_F(OriginalControl, EveryWindowKeepsItsBaseWhenMoreWindowsGetOne) {
  static const unsigned char kNoTitle[] = {0};
  std::vector<WindowRef> windows = {window_};
  for (SInt16 i = 1; i < 4; ++i) {
    const Rect content = R(100, SInt16(100 + 50 * i), 300, SInt16(130 + 50 * i));
    windows.push_back(
        NewCWindow(nullptr, &content, kNoTitle, true, documentProc, kFirstWindowOfClass, false, 0));
  }
  std::vector<cSp_OCnt_WinBase*> bases;
  for (WindowRef w : windows) bases.push_back(Sp_OCnt_GetWinBase(w, true));
  EXPECT_EQ(OriginalControlItemList_GlV, bases.back()) << "the newest base goes in front";
  for (std::size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(Sp_OCnt_GetWinBase(windows[i], false), bases[i]) << "base " << i << " was lost";
  }
  delete bases[2];
  EXPECT_EQ(Sp_OCnt_GetWinBase(windows[2], false), nullptr);
  EXPECT_EQ(Sp_OCnt_GetWinBase(windows[0], false), bases[0]);
  EXPECT_EQ(bases[3]->GetNextLinkItem(), bases[1]);
}

TEST_F(OriginalControl, APressOnAListedControlIsTrackedAndEndsInHitOrMiss) {
  const Rect rect = R(10, 10, 80, 30);
  Add(rect);
  const Point outside = {150, 200};
  const struct {
    Point release;
    std::vector<std::string> log;
  } cases[] = {{Middle(rect), {"before", "action:10", "hit"}},
               {outside, {"before", "action:10", "miss"}}};
  for (const auto& c : cases) {
    Log().clear();
    EXPECT_EQ(Press(Middle(rect), c.release), 1);
    EXPECT_EQ(Log(), c.log);
  }
}

TEST_F(OriginalControl, PressesNoListedControlTakesGoOn) {
  Add(R(10, 10, 80, 30), pushButProc, false);  // never put into the list
  EXPECT_EQ(Press(Middle(R(10, 10, 80, 30)), Middle(R(10, 10, 80, 30))), 0);
  sp_testing::ResetEvents();
  Add(R(10, 40, 80, 60));
  const Point bare = {150, 200};
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
