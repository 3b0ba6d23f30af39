// The window events of the loop (activation, updates), drawing inside an update, and the
// standard handling of windows: clicks in the close box, title strip, grow box and content.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "QDRegions.h"
#include "TestQuickDraw.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;

struct Seen {
  WindowRef window;
  UInt32 kind;
};

// Records the window events that reach the application's target (every window passes them
// on there) and leaves them unhandled, so the layer's own handling goes on as without it.
class WindowEventLog {
 public:
  WindowEventLog() {
    std::vector<EventTypeSpec> specs = {{kEventClassMouse, kEventMouseDown}};
    for (UInt32 kind :
         {kEventWindowUpdate, kEventWindowDrawContent, kEventWindowActivated,
          kEventWindowDeactivated, kEventWindowGetClickActivation, kEventWindowBoundsChanging,
          kEventWindowResizeCompleted, kEventWindowDragCompleted, kEventWindowClose,
          kEventWindowClosed, kEventWindowZoom}) {
      specs.push_back({kEventClassWindow, kind});
    }
    InstallEventHandler(GetApplicationEventTarget(), Record, specs.size(), specs.data(), this,
                        &handler_);
  }
  ~WindowEventLog() { RemoveEventHandler(handler_); }

  int Count(WindowRef window, UInt32 kind) const {
    return int(std::count_if(seen.begin(), seen.end(),
                             [&](const Seen& s) { return s.window == window && s.kind == kind; }));
  }
  std::vector<UInt32> KindsOf(WindowRef window) const {
    std::vector<UInt32> kinds;
    for (const Seen& s : seen) {
      if (s.window == window) kinds.push_back(s.kind);
    }
    return kinds;
  }

  std::vector<Seen> seen;

 private:
  static OSStatus Record(EventHandlerCallRef, EventRef event, void* self) {
    const bool mouse = GetEventClass(event) == kEventClassMouse;
    static_cast<WindowEventLog*>(self)->seen.push_back(
        {Param<WindowRef>(event, mouse ? kEventParamWindowRef : kEventParamDirectObject,
                          typeWindowRef),
         GetEventKind(event)});
    return eventNotHandledErr;
  }
  EventHandlerRef handler_ = nullptr;
};

class WindowsEvents : public UiTest {
 protected:
  // A visible document window with the standard handling, a close box, and a grow box.
  static WindowRef Standard(const Rect& content, WindowAttributes more = 0) {
    return MakeWindow(content, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute |
                                   kWindowResizableAttribute | more);
  }
  static void Invalidate(WindowRef w, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    const Rect r{top, left, bottom, right};
    InvalWindowRect(w, &r);
  }
};

bool Same(const Rect& a, const Rect& b) {
  return EqualRect(&a, &b);
}

TEST_F(WindowsEvents, BeginUpdateLimitsDrawingToTheUpdateRegionAndEndUpdateClearsIt) {
  WindowRef w = MakeWindow(R(100, 100, 160, 200));
  Invalidate(w, 10, 10, 30, 20);
  GrafPtr saved;
  GetPort(&saved);
  SetPortWindowPort(w);
  SetOrigin(50, 50);  // the region and the visible region follow the origin
  BeginUpdate(w);
  const Rect during = sp_testing::UpdateRegionBounds(w);
  EXPECT_FALSE(EmptyRect(&during)) << "the update region can be read while drawing";
  const Rect all{50, 50, 110, 150};
  PaintRect(&all);
  EndUpdate(w);
  CGrafPtr port = GetWindowPort(w);
  EXPECT_EQ(sp_testing::ReadPixel(port, 60, 60), kBlack) << "inside the update region";
  EXPECT_EQ(sp_testing::ReadPixel(port, 79, 69), kBlack);
  EXPECT_EQ(sp_testing::ReadPixel(port, 80, 60), kWhite) << "right of it: unchanged";
  EXPECT_EQ(sp_testing::ReadPixel(port, 60, 70), kWhite) << "below it: unchanged";
  const Rect after = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&after));

  const Rect corner{100, 140, 110, 150};
  PaintRect(&corner);
  EXPECT_EQ(sp_testing::ReadPixel(port, 145, 105), kBlack) << "after EndUpdate all is drawable";
  SetOrigin(0, 0);
  SetPort(saved);
}

TEST_F(WindowsEvents, InvalidationsDuringAnUpdateOutsideWhatWasHandedOverSurvive) {
  WindowRef w = MakeWindow(R(100, 100, 160, 200));
  Invalidate(w, 0, 0, 10, 10);
  BeginUpdate(w);
  Invalidate(w, 50, 50, 60, 60);
  EndUpdate(w);
  const Rect left = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(Same(left, R(150, 150, 160, 160)));
  EndUpdate(w);  // without BeginUpdate: nothing
  const Rect still = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(Same(still, R(150, 150, 160, 160)));
}

TEST_F(WindowsEvents, UpdatesGoOnlyToVisibleWindowsWithSomethingToRedrawOncePerChange) {
  WindowEventLog log;
  WindowRef dirty = MakeWindow(R(30, 10, 100, 100));
  WindowRef clean = MakeWindow(R(30, 200, 100, 300));
  WindowRef hidden = MakeWindow(R(30, 400, 100, 500));
  HideWindow(hidden);
  Invalidate(dirty, 0, 0, 5, 5);
  Invalidate(hidden, 0, 0, 5, 5);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(dirty, kEventWindowUpdate), 1);
  EXPECT_EQ(log.Count(clean, kEventWindowUpdate), 0);
  EXPECT_EQ(log.Count(hidden, kEventWindowUpdate), 0);

  // Nobody redrew (no standard handling, no handler took it): not asked again until more
  // is invalidated.
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(dirty, kEventWindowUpdate), 1);
  Invalidate(dirty, 20, 20, 25, 25);
  ShowWindow(hidden);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(dirty, kEventWindowUpdate), 2);
  EXPECT_EQ(log.Count(hidden, kEventWindowUpdate), 1) << "shown: its region is due now";
}

TEST_F(WindowsEvents, TheUpdateNobodyTookDrawsTheContentBetweenBeginAndEndUpdate) {
  WindowRef w = Standard(R(100, 100, 160, 200));
  struct Drawn {
    int calls = 0;
    GrafPtr port = nullptr;
  } drawn;
  const EventTypeSpec draw = {kEventClassWindow, kEventWindowDrawContent};
  auto paint = [](EventHandlerCallRef, EventRef, void* data) -> OSStatus {
    Drawn& d = *static_cast<Drawn*>(data);
    ++d.calls;
    GetPort(&d.port);
    Rect all{0, 0, 60, 100};
    PaintRect(&all);
    return noErr;
  };
  InstallEventHandler(GetWindowEventTarget(w), paint, 1, &draw, &drawn, nullptr);
  Invalidate(w, 0, 0, 10, 10);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(drawn.calls, 1);
  EXPECT_EQ(drawn.port, GetWindowPort(w)) << "the window's port is current while it draws";
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(w), 5, 5), kBlack);
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(w), 50, 50), kWhite);
  const Rect left = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&left));
}

TEST_F(WindowsEvents, ActivationFollowsTheFrontNonFloatingWindow) {
  WindowEventLog log;
  WindowRef a = MakeWindow(R(30, 10, 100, 100));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.KindsOf(a), std::vector<UInt32>{kEventWindowActivated});

  WindowRef b = MakeWindow(R(30, 200, 100, 300));
  Rect r{30, 400, 100, 500};
  WindowRef floating = nullptr;
  CreateNewWindow(kFloatingWindowClass, 0, &r, &floating);
  ShowWindow(floating);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(a, kEventWindowDeactivated), 1);
  EXPECT_EQ(log.Count(b, kEventWindowActivated), 1);
  EXPECT_EQ(log.Count(floating, kEventWindowActivated), 0) << "floating windows are never active";

  SelectWindow(a);
  HideWindow(a);  // both before the loop runs: b ends active, a was never told
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(b, kEventWindowDeactivated), 0);
  EXPECT_EQ(log.Count(a, kEventWindowActivated), 1);

  log.seen.clear();
  DisposeWindow(b);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(log.seen.empty()) << "a disposed window gets nothing, and no window is left";
}

TEST_F(WindowsEvents, CloseBoxReleasedInsideSendsCloseRequestOnly) {
  WindowEventLog log;
  WindowRef w = Standard(R(100, 100, 200, 300));
  const Point box = sp_testing::WindowPartPoint(w, inGoAway);
  sp_testing::PostClick(box);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(w, kEventWindowClose), 1);
  EXPECT_TRUE(IsValidWindowPtr(w)) << "a close request nobody took leaves the window alone";
  EXPECT_EQ(log.Count(w, kEventWindowClosed), 0);

  sp_testing::PostClick(box, {Pt(box.h + 40, box.v)});  // released outside the box
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(w, kEventWindowClose), 1);

  ChangeWindowAttributes(w, 0, kWindowStandardHandlerAttribute);
  sp_testing::PostClick(box);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(w, kEventWindowClose), 1) << "no standard handling without the attribute";
}

TEST_F(WindowsEvents, TitleStripDragSelectsMovesAndReportsTheDrag) {
  WindowEventLog log;
  WindowRef back = Standard(R(100, 100, 200, 300));
  WindowRef front = Standard(R(100, 400, 200, 600));
  const Point grip = sp_testing::WindowPartPoint(back, inDrag);
  sp_testing::PostClick(grip, {Pt(grip.h + 5, grip.v + 3), Pt(grip.h + 30, grip.v + 40)});
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(Same(Bounds(back), R(140, 130, 240, 330)));
  EXPECT_EQ(FrontWindow(), back);
  EXPECT_TRUE(IsWindowHilited(back));
  EXPECT_FALSE(IsWindowHilited(front));
  EXPECT_EQ(log.Count(back, kEventWindowDragCompleted), 1);
  EXPECT_EQ(log.Count(back, kEventMouseDown), 0) << "the press was taken";

  // With Command the window moves without coming forward; the title strip stays below the
  // menu bar.
  SelectWindow(front);
  sp_testing::PostClick(sp_testing::WindowPartPoint(back, inDrag), {Pt(grip.h + 30, -200)}, cmdKey);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(FrontWindow(), front);
  EXPECT_EQ(Bounds(back).top, GetMBarHeight() + kSpWindowTitleBarHeight);
}

// A bounds-changing handler that records what it saw and, if asked, keeps the width a multiple
// of 50.
struct Corrector {
  bool correct = true;
  std::vector<Rect> proposed;
  std::vector<Rect> windowDuring;
  static OSStatus Handle(EventHandlerCallRef, EventRef event, void* data) {
    Corrector& c = *static_cast<Corrector*>(data);
    Rect r = Param<Rect>(event, kEventParamCurrentBounds, typeQDRectangle);
    c.proposed.push_back(r);
    c.windowDuring.push_back(
        Bounds(Param<WindowRef>(event, kEventParamDirectObject, typeWindowRef)));
    if (!c.correct) return eventNotHandledErr;
    r.right = SInt16(r.left + (r.right - r.left) / 50 * 50);
    SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof r, &r);
    return noErr;
  }
};

TEST_F(WindowsEvents, GrowBoxResizeTakesTheCorrectedBoundsThenReportsTheEnd) {
  WindowEventLog log;
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowLiveResizeAttribute);
  Corrector corrector;
  const EventTypeSpec changing = {kEventClassWindow, kEventWindowBoundsChanging};
  InstallEventHandler(GetWindowEventTarget(w), Corrector::Handle, 1, &changing, &corrector,
                      nullptr);
  const Point grow = sp_testing::WindowPartPoint(w, inGrow);
  sp_testing::PostClick(grow, {Pt(grow.h + 20, grow.v + 10), Pt(grow.h + 77, grow.v + 33)});
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(corrector.proposed.size(), 2u);
  EXPECT_TRUE(Same(corrector.proposed[1], R(100, 100, 233, 377)))
      << "the mouse's travel is proposed";
  EXPECT_TRUE(Same(Bounds(w), R(100, 100, 233, 350)));
  EXPECT_TRUE(Same(corrector.windowDuring[1], R(100, 100, 210, 300)))
      << "live resizing follows each corrected step";
  EXPECT_EQ(log.KindsOf(w).back(), kEventWindowResizeCompleted);
  Rect port{};
  GetWindowPortBounds(w, &port);
  EXPECT_EQ(port.right - port.left, 250);
}

TEST_F(WindowsEvents, ResizeKeepsToTheLimitsAndWithoutLiveResizeWaitsForTheRelease) {
  // Bit 16 is no live-resize flag (that is kWindowLiveResizeAttribute, bit 28).
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowNoUpdatesAttribute);
  const HISize least{150, 80};
  const HISize most{260, 120};
  ASSERT_EQ(SetWindowResizeLimits(w, &least, &most), noErr);
  Corrector seen;  // only what it was offered and the window meanwhile
  seen.correct = false;
  const EventTypeSpec changing = {kEventClassWindow, kEventWindowBoundsChanging};
  InstallEventHandler(GetWindowEventTarget(w), Corrector::Handle, 1, &changing, &seen, nullptr);
  const Point grow = sp_testing::WindowPartPoint(w, inGrow);
  sp_testing::PostClick(grow, {Pt(grow.h - 190, grow.v - 90), Pt(grow.h + 300, grow.v + 300)});
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(seen.proposed.size(), 2u);
  const Rect smallest{100, 100, 180, 250};
  const Rect largest{100, 100, 220, 360};
  EXPECT_TRUE(EqualRect(&seen.proposed[0], &smallest));
  EXPECT_TRUE(EqualRect(&seen.proposed[1], &largest));
  EXPECT_TRUE(Same(seen.windowDuring[1], R(100, 100, 200, 300))) << "no live resizing";
  const Rect now = Bounds(w);
  EXPECT_TRUE(EqualRect(&now, &largest));
}

TEST_F(WindowsEvents, AClickInABackWindowAsksItsActivationAndBringsItForward) {
  WindowEventLog log;
  WindowRef back = Standard(R(100, 100, 200, 300));
  WindowRef front = Standard(R(100, 400, 200, 600));
  sp_testing::PostClick(sp_testing::WindowPartPoint(back, inContent));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(back, kEventWindowGetClickActivation), 1);
  EXPECT_EQ(FrontWindow(), back);
  EXPECT_EQ(log.Count(back, kEventMouseDown), 1) << "by default the click goes on";

  // A front window's content click is the content's: left to the handlers.
  sp_testing::PostClick(sp_testing::WindowPartPoint(back, inContent));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(back, kEventWindowGetClickActivation), 1);
  EXPECT_EQ(log.Count(back, kEventMouseDown), 2);

  auto ignore = [](EventHandlerCallRef, EventRef event, void*) -> OSStatus {
    ClickActivationResult r = kActivateAndIgnoreClick;
    SetEventParameter(event, kEventParamClickActivation, typeClickActivationResult, sizeof r, &r);
    return noErr;
  };
  const EventTypeSpec activation = {kEventClassWindow, kEventWindowGetClickActivation};
  InstallEventHandler(GetWindowEventTarget(front), ignore, 1, &activation, nullptr, nullptr);
  sp_testing::PostClick(sp_testing::WindowPartPoint(front, inContent));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(FrontWindow(), front);
  EXPECT_EQ(log.Count(front, kEventMouseDown), 0) << "activated, the click ignored";
}

TEST_F(WindowsEvents, ZoomBoxClickSendsZoomAndZoomsWhenNobodyTookIt) {
  WindowEventLog log;
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowFullZoomAttribute);
  const Rect standard{60, 50, 500, 700};
  SetWindowStandardState(w, &standard);
  sp_testing::PostClick(sp_testing::WindowPartPoint(w, inZoomOut));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(log.Count(w, kEventWindowZoom), 1);
  Rect now = Bounds(w);
  EXPECT_TRUE(EqualRect(&now, &standard));
  sp_testing::PostClick(sp_testing::WindowPartPoint(w, inZoomIn));
  sp_testing::PumpUntilIdle();
  now = Bounds(w);
  EXPECT_TRUE(Same(now, R(100, 100, 200, 300)));
}

TEST_F(WindowsEvents, GrowWindowAnswersTheChosenSizeWithinItsBox) {
  WindowRef w = MakeWindow(R(100, 100, 200, 300));  // 200 x 100
  struct Case {
    SInt16 dh, dv;
    const Rect* box;
    SInt32 answer;
  };
  const Rect box{50, 60, 150, 250};  // heights 50..150, widths 60..250
  const Case cases[] = {
      {30, 20, nullptr, (120 << 16) | 230},
      {0, 0, nullptr, 0},
      {500, -90, &box, (50 << 16) | 250},
      {-190, 500, &box, (150 << 16) | 60},
  };
  for (const Case& c : cases) {
    sp_testing::PostClick(Pt(250, 190), {Pt(SInt16(250 + c.dh), SInt16(190 + c.dv))});
    EXPECT_EQ(GrowWindow(w, Pt(250, 190), c.box), c.answer) << c.dh << "," << c.dv;
    const Rect unchanged{100, 100, 200, 300};
    const Rect now = Bounds(w);
    EXPECT_TRUE(EqualRect(&now, &unchanged)) << "GrowWindow only answers";
  }
}

TEST_F(WindowsEvents, DragGrayRgnAnswersTheTravelOrNothingOutsideTheSlop) {
  const Rect limit{50, 50, 400, 400};
  const Rect slop{0, 0, 500, 500};
  int actions = 0;
  static int* counter = nullptr;
  counter = &actions;
  DragGrayRgnUPP action = NewDragGrayRgnUPP([] { ++*counter; });
  sp_testing::PostClick(Pt(100, 100), {Pt(120, 90), Pt(450, 130)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, noConstraint, action),
            SInt32((30 << 16) | 299))
      << "the mouse is pinned to the limit";
  EXPECT_EQ(actions, 2);
  sp_testing::PostClick(Pt(100, 100), {Pt(120, 90)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, hAxisOnly, nullptr), 20);
  sp_testing::PostClick(Pt(100, 100), {Pt(600, 90)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, noConstraint, nullptr),
            SInt32(0x80008000u));
}

}  // namespace
}  // namespace ui_test
