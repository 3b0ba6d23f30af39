// The application's window and mouse handlers: what each answers the toolbox, what it hands to
// the framework window, the mouse-down tracking timer; and clicks in a window's content (a back
// window only comes forward, then the wrapped controls, then the views' hot-spot areas).
#include <gtest/gtest.h>

#include "SpOriginalControl.h"
#include "WindowGeometryTestSupport.h"

namespace window_geometry_test {
namespace {

// ---- Sending events -------------------------------------------------------------------------

EventRef NewEvent(UInt32 eventClass, UInt32 kind) {
  EventRef event = nullptr;
  EXPECT_EQ(CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event), noErr);
  return event;
}

OSStatus SendAndRelease(EventRef event, EventTargetRef target) {
  const OSStatus result = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return result;
}

// A window event about `window` (none: no direct object) to the application.
// Bounds-changing events propose the window's present content.
OSStatus SendWindowEvent(UInt32 kind, WindowRef window, Point where = Pt(0, 0)) {
  EventRef event = NewEvent(kEventClassWindow, kind);
  if (window != nullptr) {
    SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
    const Rect bounds = Content(window);
    SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof bounds, &bounds);
  }
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
  return SendAndRelease(event, GetApplicationEventTarget());
}

// A mouse event at a global point to the application.
OSStatus SendMouseEvent(UInt32 kind, Point where, UInt32 modifiers = 0) {
  EventRef event = NewEvent(kEventClassMouse, kind);
  SetEventParameter(event, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  return SendAndRelease(event, GetApplicationEventTarget());
}

// A plain toolbox window, not a framework window, behind the others.
WindowRef NewPlainWindow(const Rect& content) {
  static const unsigned char kNoTitle[] = {0};
  return NewCWindow(nullptr, &content, kNoTitle, true, documentProc, kLastWindowOfClass, true, 0);
}

class WindowHandlers : public WindowGeometryFixture {
 protected:
  void SetUp() override {
    WindowGeometryFixture::SetUp();
    Script().takeArea = R(0, 0, 100, 50);
    Sp_SetupWindowEventHandlerForCarbonEvent();
  }
};

// ---- Window events --------------------------------------------------------------------------

// Windows the framework does not list (floating ones, plain toolbox windows) and events
// without a window are left to the toolbox.
TEST_F(WindowHandlers, WindowEventsAreAnsweredAsTheToolboxExpects) {
  WindowRef w = AddWindow(R(100, 100, 300, 200))->GetWindowRef();
  cSp_Window* floating = AddWindow(R(100, 300, 300, 400), floatProc, kSpFloatingWindowType);
  WindowRef plain = NewPlainWindow(R(400, 100, 600, 200));
  struct Case {
    UInt32 kind;
    OSStatus want;  // for the framework's window; 1: not sent to it
    const char* why;
  } cases[] = {
      {kEventWindowDrawContent, noErr, "drawn by the framework"},
      {kEventWindowActivated, eventNotHandledErr, "the toolbox activates"},
      {kEventWindowDeactivated, eventNotHandledErr, "the toolbox deactivates"},
      {kEventWindowGetClickActivation, eventNotHandledErr, "the toolbox's click activation"},
      {kEventWindowZoom, eventNotHandledErr, "without a zoom box part: the toolbox's"},
      {kEventWindowBoundsChanging, noErr, "the size is checked"},
      {kEventWindowResizeCompleted, noErr, "the new size is taken"},
      {kEventWindowDragCompleted, eventNotHandledErr, "told, then the toolbox's turn"},
      {kEventWindowClosed, 1, "closing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    for (WindowRef other : {w, floating->GetWindowRef(), plain, WindowRef(nullptr)}) {
      if (other == w && c.want == 1) continue;
      EXPECT_EQ(SendWindowEvent(c.kind, other), other == w ? c.want : eventNotHandledErr);
    }
  }
  DisposeWindow(plain);
}

TEST_F(WindowHandlers, ClosedClosesOnlyWhenTheCloseBoxTrackingEndsInsideIt) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  WindowRef w = window->GetWindowRef();
  const Point box = sp_testing::WindowPartPoint(w, inGoAway);
  // The mouse stands elsewhere: the tracking ends outside the box.
  sp_testing::PostMouseMoved(Pt(500, 500));
  sp_testing::PumpPending();
  EXPECT_EQ(SendWindowEvent(kEventWindowClosed, w, box), noErr);
  EXPECT_EQ(window->IsOpen(), 1);
  sp_testing::PostMouseMoved(box);
  sp_testing::PumpPending();
  EXPECT_EQ(SendWindowEvent(kEventWindowClosed, w, box), noErr);
  EXPECT_EQ(window->IsOpen(), 0);
  // A window on its way out of the toolbox is never tracked again.
  windows_.clear();
  EXPECT_EQ(SendWindowEvent(kEventWindowClosed, w, box), eventNotHandledErr);
}

// ---- Mouse events ---------------------------------------------------------------------------

// The toolbox's proposed bounds are written back only when the window's limits corrected them.
TEST_F(WindowHandlers, BoundsChangingWritesBackOnlyACorrectedRectangle) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  window->SetMinSize(150, 80);
  window->SetMaxSize(400, 300);
  const struct {
    Rect proposed;
    Rect want;
  } cases[] = {
      {R(100, 100, 200, 150), R(100, 100, 250, 180)},
      {R(100, 100, 600, 500), R(100, 100, 500, 400)},
      {R(100, 100, 320, 210), R(100, 100, 320, 210)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Text(c.proposed));
    EventRef event = NewEvent(kEventClassWindow, kEventWindowBoundsChanging);
    WindowRef w = window->GetWindowRef();
    SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof w, &w);
    SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof c.proposed,
                      &c.proposed);
    EXPECT_EQ(SendEventToEventTarget(event, GetApplicationEventTarget()), noErr);
    Rect bounds = {0, 0, 0, 0};
    GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr, sizeof bounds,
                      nullptr, &bounds);
    EXPECT_EQ(Text(bounds), Text(c.want));
    ReleaseEvent(event);
  }
}

TEST_F(WindowHandlers, AResizeWithTheMouseEndsWithinTheLimitsAndIsStored) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  window->SetMinSize(150, 80);
  SInt32 ref = 0;
  window->SetupAfterGrowProc(LogAfterProc, Tag("afterGrow"), ref);
  WindowRef w = window->GetWindowRef();
  const Point grip = sp_testing::WindowPartPoint(w, inGrow);
  // Dragged 120 pixels left and up: the window stops at its least size.
  const Point to = Pt(SInt16(grip.h - 120), SInt16(grip.v - 120));
  sp_testing::PostClick(grip, {to});
  sp_testing::PumpPending();
  EXPECT_EQ(Text(Content(w)), Text(R(100, 100, 250, 180)));
  EXPECT_EQ(Log(), std::vector<std::string>({"afterGrow"}));
  // The stored size is the new one: setting it again changes nothing.
  window->SetSize(150, 80);
  EXPECT_EQ(Text(Content(w)), Text(R(100, 100, 250, 180)));
}

TEST_F(WindowHandlers, FirstCallProceduresSeeEveryPressFirst) {
  AddWindow(R(100, 100, 300, 200));
  SInt32 ref = 0;
  ASSERT_EQ(Sp_SetupFirstCallProcPtr(
                [](EventRecord* event, unsigned long) -> unsigned char {
                  Log().push_back("first-call@" + Text(event->where));
                  return 1;
                },
                0, &ref),
            1);
  EXPECT_EQ(SendMouseEvent(kEventMouseDown, Pt(700, 500)), noErr);
  EXPECT_EQ(SendMouseEvent(kEventMouseDown, Pt(150, 130)), noErr);
  EXPECT_EQ(Log(), std::vector<std::string>({"first-call@700,500", "first-call@150,130"}));
  Sp_DeleteFirstCallProcPtr(ref);
}

TEST_F(WindowHandlers, OnlyContentClicksOfFrameworkWindowsAreHandled) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  WindowRef plain = NewPlainWindow(R(400, 100, 600, 200));
  struct Case {
    Point where;
    OSStatus want;
    std::vector<std::string> log;
    const char* why;
  };
  const Case cases[] = {
      {Pt(150, 130), noErr, {"down@50,30", "trace@0", "up@50,30"}, "a hot spot took it"},
      {Pt(250, 180), eventNotHandledErr, {"down@150,80"}, "nothing in the window took it"},
      {Pt(150, 90), eventNotHandledErr, {}, "the title strip is the toolbox's"},
      {Pt(700, 500), eventNotHandledErr, {}, "the desk"},
      {Pt(450, 130), eventNotHandledErr, {}, "a window that is not the framework's"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Log().clear();
    EXPECT_EQ(SendMouseEvent(kEventMouseDown, c.where), c.want);
    EXPECT_EQ(Log(), c.log);
    mouseDownWindowObj_GlV = nullptr;
  }
  EXPECT_EQ(window->IsOpen(), 1);
  DisposeWindow(plain);
}

TEST_F(WindowHandlers, ReleasesGoToTheWindowThatKeptThePress) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  EXPECT_EQ(SendMouseEvent(kEventMouseUp, Pt(150, 130)), eventNotHandledErr) << "no press kept";
  // A press nothing took is kept for its release.
  SendMouseEvent(kEventMouseDown, Pt(250, 180));
  ASSERT_EQ(mouseDownWindowObj_GlV, window);
  // A release off the content is the toolbox's and keeps the press.
  EXPECT_EQ(SendMouseEvent(kEventMouseUp, Pt(700, 500)), eventNotHandledErr);
  EXPECT_EQ(mouseDownWindowObj_GlV, window);
  EXPECT_EQ(SendMouseEvent(kEventMouseUp, Pt(260, 190)), noErr);
  EXPECT_EQ(Log(), std::vector<std::string>({"down@150,80", "up@160,90"}));
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr);
}

// ---- The tracking timer ---------------------------------------------------------------------

TEST_F(WindowHandlers, TheTrackingTimerRunsOnceHoweverOftenItIsStarted) {
  const int before = sp_testing::InstalledTimerCount();
  Sp_EndWindowMouseIdleEvent();  // not running: nothing happens
  Sp_StartWindowMouseIdleEvent();
  Sp_StartWindowMouseIdleEvent();
  EXPECT_EQ(sp_testing::InstalledTimerCount(), before + 1);
  EXPECT_EQ(currentEnableMouseDownTraceIdleEventFlag_GlV, 1);
  sp_testing::PumpFor(250000);
  EXPECT_EQ(Log().size(), 3u) << "at once, after 0.1 s and after 0.2 s";
  Sp_EndWindowMouseIdleEvent();
  EXPECT_EQ(sp_testing::InstalledTimerCount(), before);
  EXPECT_EQ(mouseDownTraceIdleEventRefNum_GlV, nullptr);
  EXPECT_EQ(SpWindowIdleEventForCarbonEvent(0), 0);
}

// ---- Clicks in the content ----------------------------------------------------------------------

// A wrapped control whose hit and miss procedures write into the log.
class LoggingWrapper : public cSp_OCnt_BasicWindowControlObj {
 public:
  LoggingWrapper(WindowRef window, Rect rect)
      : cSp_OCnt_BasicWindowControlObj(window, rect, 0, 10, 0, true, pushButProc) {
    hitProc_ = [](unsigned long) { Log().push_back("control.hit"); };
    missProc_ = [](unsigned long) { Log().push_back("control.miss"); };
  }
};

class ContentClick : public WindowGeometryFixture {
 protected:
  void SetUp() override {
    WindowGeometryFixture::SetUp();
    // The window's views take presses in the top-left 100 x 50 of its content.
    Script().takeArea = R(0, 0, 100, 50);
  }
};

TEST_F(ContentClick, WrappedControlsTakeTheClickBeforeTheHotSpots) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  WindowRef w = window->GetWindowRef();
  LoggingWrapper listed(w, R(10, 10, 60, 30));
  LoggingWrapper unlisted(w, R(10, 35, 60, 45));
  Sp_OCnt_SetItemIntoItemList(w, &listed);

  sp_testing::PostMouseUp(Pt(120, 115));  // released where it was pressed
  EXPECT_EQ(window->ContentMouseDown(Pt(120, 115), 0), 1);
  EXPECT_EQ(Log(), std::vector<std::string>({"control.hit"}));
  EXPECT_EQ(mouseDownWindowObj_GlV, window);

  // A wrapper that was never put into its window's list leaves the click to the hot spots.
  Log().clear();
  EXPECT_EQ(window->ContentMouseDown(Pt(120, 140), 0), 1);
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log().front(), "down@20,40");
  Sp_OCnt_UnlinkFromItemList(w, &listed);
  delete Sp_OCnt_GetWinBase(w, false);
}

TEST_F(ContentClick, AHotSpotPressIsFollowedWithTheTimerUntilTheRelease) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  // Pressed, dragged to local (70, 45) after 150 ms, released at local (90, 48) after 350 ms.
  sp_testing::PostMouseDown(Pt(150, 140));
  sp_testing::ScheduleInput(150000, [] { sp_testing::PostMouseDragged(Pt(170, 145)); });
  sp_testing::ScheduleInput(350000, [] { sp_testing::PostMouseUp(Pt(190, 148)); });
  EXPECT_EQ(window->ContentMouseDown(Pt(150, 140), 0), 1);
  // The timer fires at once and every 0.1 s while the button is held; the area's release is
  // at the last point the mouse was dragged to.
  EXPECT_EQ(Log(), std::vector<std::string>({"down@50,40", "trace@0", "trace@100", "trace@200",
                                             "trace@300", "up@70,45"}));
  EXPECT_EQ(currentEnableMouseDownTraceIdleEventFlag_GlV, 0);
  EXPECT_EQ(mouseDownTraceIdleEventRefNum_GlV, nullptr);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr) << "the release was handled here";

  // No trace once the press is over.
  Log().clear();
  sp_testing::PumpFor(500000);
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace window_geometry_test
