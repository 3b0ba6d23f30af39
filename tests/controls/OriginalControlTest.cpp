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

Rect R(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  Rect r;
  SetRect(&r, left, top, right, bottom);
  return r;
}
// A point from its horizontal and vertical coordinates.
Point P(SInt16 h, SInt16 v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}
Point Middle(const Rect& r) {
  return P(SInt16((r.left + r.right) / 2), SInt16((r.top + r.bottom) / 2));
}
WindowRef NewWindow(const Rect& content) {
  static const unsigned char kNoTitle[] = {0};
  return NewCWindow(nullptr, &content, kNoTitle, true, documentProc, kFirstWindowOfClass, false, 0);
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

// One window with its content at (100, 100); wrappers are made in it.
class OriginalControl : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);  // 2004-03-01 12:00:00
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    appearanceEnableFlag_GlV = 1;
    Log().clear();
    window_ = NewWindow(R(100, 100, 400, 300));
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

  // A press at a local point of the window, released there (or at `release`) at once or after
  // `holdMicroseconds`.
  unsigned char Press(Point local, const Point* release = nullptr, SInt64 holdMicroseconds = 0) {
    const Point down = P(SInt16(local.h + 100), SInt16(local.v + 100));
    const Point up = release ? P(SInt16(release->h + 100), SInt16(release->v + 100)) : down;
    sp_testing::PostMouseDown(down);
    if (holdMicroseconds == 0) {
      if (up.h != down.h || up.v != down.v) sp_testing::PostMouseDragged(up);
      sp_testing::PostMouseUp(up);
    } else {
      sp_testing::ScheduleInput(holdMicroseconds, [up] { sp_testing::PostMouseUp(up); });
    }
    return Sp_OCnt_BasicWinControlMouseDown(window_, local);
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
  ControlRef control = button->GetControlHandle();
  EXPECT_EQ(button->IsControlEnableFlag(), 1) << "a fresh wrapper is enabled like its control";
  button->ControlDisable();
  EXPECT_EQ(GetControlHilite(control), kControlInactivePart);
  button->ControlEnable();
  EXPECT_EQ(GetControlHilite(control), 0);
  button->ControlInvisible();
  EXPECT_FALSE(IsControlVisible(control));
  button->ControlVisible();
  EXPECT_TRUE(IsControlVisible(control));
}

TEST_F(OriginalControl, SizeAndPlaceFollowEitherDimensionAloneAndTheSameValuesChangeNothing) {
  const struct {
    bool move;
    short a, b;  // width and height, or left and top
    unsigned char changed;
    Rect after;
  } cases[] = {
      {false, 70, 20, 0, R(10, 10, 80, 30)}, {false, 90, 20, 1, R(10, 10, 100, 30)},
      {false, 70, 40, 1, R(10, 10, 80, 50)}, {false, 90, 40, 1, R(10, 10, 100, 50)},
      {true, 10, 10, 0, R(10, 10, 80, 30)},  {true, 30, 10, 1, R(30, 10, 100, 30)},
      {true, 10, 30, 1, R(10, 30, 80, 50)},
  };
  for (const auto& c : cases) {
    Wrapper* w = Add(R(10, 10, 80, 30), scrollBarProc);
    const unsigned char changed =
        c.move ? w->MoveControlObj(c.a, c.b) : w->SetControlObjSize(c.a, c.b);
    EXPECT_EQ(changed, c.changed) << (c.move ? "move " : "size ") << c.a << "," << c.b;
    Rect held, bounds;
    w->GetContorlAreaRect(held);
    GetControlBounds(w->GetControlHandle(), &bounds);
    for (const Rect& r : {held, bounds}) {
      EXPECT_EQ(r.left, c.after.left) << (c.move ? "move " : "size ") << c.a << "," << c.b;
      EXPECT_EQ(r.top, c.after.top) << (c.move ? "move " : "size ") << c.a << "," << c.b;
      EXPECT_EQ(r.right, c.after.right) << (c.move ? "move " : "size ") << c.a << "," << c.b;
      EXPECT_EQ(r.bottom, c.after.bottom) << (c.move ? "move " : "size ") << c.a << "," << c.b;
    }
  }
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
  EXPECT_EQ(base->GetBasicWinCntObject(P(50, 25)), b);

  EXPECT_EQ(Sp_OCnt_UnlinkFromItemList(window_, b), 1);
  EXPECT_EQ(Sp_OCnt_UnlinkFromItemList(window_, b), 0);
  EXPECT_EQ(errors_.Beeps(), 1) << "taking out what is not there beeps";
  EXPECT_EQ(base->GetBasicWinCntObject(P(50, 25)), a);
  EXPECT_EQ(a->GetBeforeLinkItem(), c);

  wrappers_.erase(wrappers_.begin() + 2);  // c, the first, goes
  EXPECT_EQ(base->GetBasicWinCntObjList(), a);
  EXPECT_EQ(a->GetBeforeLinkItem(), nullptr);
  EXPECT_EQ(Press(Middle(R(10, 40, 80, 60))), 0);
}

TEST_F(OriginalControl, EveryWindowKeepsItsBaseWhenMoreWindowsGetOne) {
  std::vector<WindowRef> windows = {window_};
  for (SInt16 i = 1; i < 4; ++i) {
    windows.push_back(NewWindow(R(100, SInt16(100 + 50 * i), 300, SInt16(130 + 50 * i))));
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
  const Point outside = P(200, 150);
  const struct {
    const Point* release;
    std::vector<std::string> log;
  } cases[] = {{nullptr, {"before", "action:10", "hit"}},
               {&outside, {"before", "action:10", "miss"}}};
  for (const auto& c : cases) {
    Log().clear();
    EXPECT_EQ(Press(Middle(rect), c.release), 1);
    EXPECT_EQ(Log(), c.log);
  }
  // The action runs while an arrow of a scroll bar is held.
  Log().clear();
  Wrapper* bar = Add(R(100, 10, 116, 200), scrollBarProc);
  Point arrow;
  ASSERT_TRUE(
      sp_testing::PointInControlPart(bar->GetControlHandle(), kControlDownButtonPart, &arrow));
  EXPECT_EQ(Press(arrow, nullptr, 200000), 1);
  EXPECT_EQ(Log(), std::vector<std::string>({"before", "action:21", "hit"}));
}

TEST_F(OriginalControl, PressesNoListedControlTakesGoOn) {
  Add(R(10, 10, 80, 30), pushButProc, false);  // never put into the list
  EXPECT_EQ(Press(Middle(R(10, 10, 80, 30))), 0);
  sp_testing::ResetEvents();
  Add(R(10, 40, 80, 60));
  EXPECT_EQ(Press(P(200, 150)), 0);
  EXPECT_TRUE(Log().empty());
  // Without a window nothing can be tracked; the press counts as taken.
  EXPECT_EQ(Sp_OCnt_BasicWinControlMouseDown(nullptr, P(200, 150)), 1);
  EXPECT_TRUE(errors_.Has("Sp_OCnt_BasicWinControlMouseDown", 1));
}

}  // namespace
