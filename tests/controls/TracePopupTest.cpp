// Hover popups: the hidden window and its hover area over another window, the close hooks a
// subclass replaces, and the hover area going with the popup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpTracePopupObject.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestWindows.h"

namespace {

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

class LoggingPopup : public cSp_StringMouseTracePopup {
 public:
  LoggingPopup(WindowRef target, const Rect& rect, unsigned char allow)
      : cSp_StringMouseTracePopup(target, rect, nullptr), allow_(allow) {}
  unsigned char CloseMouseTracePopupWindowBeforeProc() override {
    Log().push_back("before");
    return allow_;
  }
  void CloseMouseTracePopupWindowAfterProc() override { Log().push_back("after"); }

 private:
  unsigned char allow_;
};

class TracePopup : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Log().clear();
    const Rect content = {100, 100, 300, 400};
    target_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  }
  void TearDown() override {
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  sp_testing::EventsScope events_;
  WindowRef target_ = nullptr;
};

TEST_F(TracePopup, TheHiddenPopupTracesItsRectangleAndSwitchesOnAndOff) {
  cSp_StringMouseTracePopup popup(target_, Rect{10, 20, 110, 220}, nullptr);
  EXPECT_EQ(popup.IsMouseTracePopupEnable(), 0);
  ASSERT_NE(popup.GetMouseTraceObject(), nullptr);
  EXPECT_EQ(popup.GetMouseTraceObject()->GetMouseTraceTargetWindowPtr(), target_);
  popup.MouseTracePopupEnable();
  EXPECT_EQ(popup.IsMouseTracePopupEnable(), 1);
  EXPECT_EQ(popup.GetMouseTraceObject()->IsMouseTraceEnable(), 1);
  // The pointer passing through the rectangle shows nothing.
  for (Point p : {Point{150, 150}, Point{160, 170}, Point{400, 700}}) {
    sp_testing::PostMouseMoved(p);
    SpExecuteMouseTrace(0);
  }
  EXPECT_EQ(sp_testing::VisibleWindows().size(), 1u);
  EXPECT_FALSE(IsWindowVisible(popup.GetWindowRef()));
  popup.MouseTracePopupDisable();
  EXPECT_EQ(popup.IsMouseTracePopupEnable(), 0);
  EXPECT_EQ(popup.GetMouseTraceObject()->IsMouseTraceEnable(), 0);
}

TEST_F(TracePopup, ClosingThePopupWindowAsksTheSubclassBeforeAndTellsItAfter) {
  for (unsigned char allow : {1, 0}) {
    Log().clear();
    LoggingPopup popup(target_, Rect{10, 20, 110, 220}, allow);
    popup.Open(1, kSpWindowInFrontOfAll);
    ASSERT_TRUE(IsWindowVisible(popup.GetWindowRef()));
    popup.Close();
    if (allow != 0) {
      EXPECT_EQ(Log(), (std::vector<std::string>{"before", "after"}));
      EXPECT_FALSE(IsWindowVisible(popup.GetWindowRef()));
    } else {
      EXPECT_EQ(Log(), std::vector<std::string>{"before"}) << "a refused close ends there";
      EXPECT_TRUE(IsWindowVisible(popup.GetWindowRef()));
    }
  }
}

TEST_F(TracePopup, TheHoverAreaGoesWithThePopup) {
  cMouseTraceManager* manager = SpGetMouseTraceManager();
  ASSERT_NE(manager, nullptr);
  auto* popup = new cSp_StringMouseTracePopup(target_, Rect{10, 20, 110, 220}, nullptr);
  popup->MouseTracePopupEnable();
  EXPECT_NE(manager->GetMouseTraceWindowObj(target_), nullptr);
  delete popup;
  EXPECT_EQ(manager->GetMouseTraceWindowObj(target_), nullptr) << "no area left to call it";
  sp_testing::PostMouseMoved(Point{150, 150});
  SpExecuteMouseTrace(1);
}

TEST_F(TracePopup, RectangleHelpersAndCallbacksWithoutAPopup) {
  const Rect r = {10, 20, 110, 220};
  EXPECT_EQ(SpTPO_GetSizeFromRect(r).v, 100);
  EXPECT_EQ(SpTPO_GetSizeFromRect(r).h, 200);
  EXPECT_EQ(SpTPO_GetLeftTopPositFromRect(r).v, 10);
  EXPECT_EQ(SpTPO_GetLeftTopPositFromRect(r).h, 20);
  ErrorLogCapture log;
  SpTPO_CatchMouseTraceInCB(Point{0, 0}, 0, 0);
  SpTPO_CatchMouseTraceOutCB(0, 0);
  EXPECT_TRUE(log.Has("SpTPO_CatchMouseTraceInCB", 1));
  EXPECT_TRUE(log.Has("SpTPO_CatchMouseTraceOutCB", 1));
  EXPECT_EQ(SpTPO_PopupWindowCloseBeforeProc(nullptr, 0, 0), 1);
}

}  // namespace
