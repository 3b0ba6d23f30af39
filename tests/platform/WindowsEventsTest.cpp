// The window events of the loop (activation, updates), drawing inside an update, and the
// standard handling of windows: clicks in the close box, title strip, grow box and content.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "QDRegions.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

constexpr UInt32 kWhite = 0xFFFFFF;
constexpr UInt32 kBlack = 0x000000;

class WindowsEvents : public UiTest {
 protected:
  // Records the window events reaching the application's target (every window passes them on
  // there), leaving them unhandled so the layer's own handling goes on as without it.
  void LogWindowEvents() {
    std::vector<EventTypeSpec> specs = {{kEventClassMouse, kEventMouseDown}};
    for (UInt32 kind :
         {kEventWindowUpdate, kEventWindowActivated, kEventWindowDeactivated,
          kEventWindowGetClickActivation, kEventWindowResizeCompleted, kEventWindowDragCompleted,
          kEventWindowClose, kEventWindowClosed, kEventWindowZoom}) {
      specs.push_back({kEventClassWindow, kind});
    }
    Listen(GetApplicationEventTarget(), specs, [this](EventRef e) {
      const bool mouse = GetEventClass(e) == kEventClassMouse;
      seen_.push_back({Param<WindowRef>(e, mouse ? kEventParamWindowRef : kEventParamDirectObject,
                                        typeWindowRef),
                       GetEventKind(e)});
      return OSStatus(eventNotHandledErr);
    });
  }
  int Count(WindowRef window, UInt32 kind) const {
    return int(std::count(seen_.begin(), seen_.end(), std::pair{window, kind}));
  }
  // A visible document window with the standard handling, a close box, and a grow box.
  static WindowRef Standard(const Rect& content, WindowAttributes more = 0) {
    return MakeWindow(content, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute |
                                   kWindowResizableAttribute | more);
  }
  static void Invalidate(WindowRef w, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    const Rect r{top, left, bottom, right};
    InvalWindowRect(w, &r);
  }
  static void Click(WindowRef w, WindowPartCode part, std::vector<Point> path = {},
                    UInt32 modifiers = 0) {
    sp_testing::PostClick(sp_testing::WindowPartPoint(w, part), path, modifiers);
    sp_testing::PumpUntilIdle();
  }
  std::vector<std::pair<WindowRef, UInt32>> seen_;
};

TEST_F(WindowsEvents, BeginUpdateLimitsDrawingToTheUpdateRegionAndEndUpdateClearsIt) {
  WindowRef w = MakeWindow(R(100, 100, 160, 200));
  Invalidate(w, 10, 10, 30, 20);
  GrafPtr saved;
  GetPort(&saved);
  SetPortWindowPort(w);
  SetOrigin(50, 50);  // the region and the visible region follow the origin
  BeginUpdate(w);
  EXPECT_TRUE(Same(sp_testing::UpdateRegionBounds(w), R(110, 110, 120, 130)))
      << "readable while drawing";
  const Rect all{50, 50, 110, 150};
  PaintRect(&all);
  EndUpdate(w);
  CGrafPtr port = GetWindowPort(w);
  // Inside the update region (to its last pixel) drawn; right of it and below it unchanged.
  EXPECT_EQ(std::vector<UInt32>(
                {sp_testing::ReadPixel(port, 60, 60), sp_testing::ReadPixel(port, 79, 69),
                 sp_testing::ReadPixel(port, 80, 60), sp_testing::ReadPixel(port, 60, 70)}),
            std::vector<UInt32>({kBlack, kBlack, kWhite, kWhite}));
  const Rect after = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&after));
  const Rect corner{100, 140, 110, 150};
  PaintRect(&corner);
  EXPECT_EQ(sp_testing::ReadPixel(port, 145, 105), kBlack) << "after EndUpdate all is drawable";
  SetOrigin(0, 0);
  SetPort(saved);

  // Invalidations during an update, outside what was handed over, survive it.
  Invalidate(w, 0, 0, 10, 10);
  BeginUpdate(w);
  Invalidate(w, 50, 50, 60, 60);
  EndUpdate(w);
  EndUpdate(w);  // without BeginUpdate: nothing
  EXPECT_TRUE(Same(sp_testing::UpdateRegionBounds(w), R(150, 150, 160, 160)));
}

TEST_F(WindowsEvents, UpdatesGoOnlyToVisibleWindowsWithSomethingToRedrawOncePerChange) {
  LogWindowEvents();
  WindowRef dirty = MakeWindow(R(30, 10, 100, 100));
  WindowRef clean = MakeWindow(R(30, 200, 100, 300));
  WindowRef hidden = MakeWindow(R(30, 400, 100, 500));
  HideWindow(hidden);
  Invalidate(dirty, 0, 0, 5, 5);
  Invalidate(hidden, 0, 0, 5, 5);
  sp_testing::PumpUntilIdle();
  // Nobody redrew (no standard handling, no handler took it): not asked again until more
  // is invalidated.
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(dirty, kEventWindowUpdate) * 100 + Count(clean, kEventWindowUpdate) * 10 +
                Count(hidden, kEventWindowUpdate),
            100);
  Invalidate(dirty, 20, 20, 25, 25);
  ShowWindow(hidden);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(dirty, kEventWindowUpdate), 2);
  EXPECT_EQ(Count(hidden, kEventWindowUpdate), 1) << "shown: its region is due now";

  // The update nobody took draws the content between BeginUpdate and EndUpdate.
  WindowRef w = Standard(R(100, 100, 160, 200));
  int calls = 0;
  GrafPtr drawnIn = nullptr;
  Listen(GetWindowEventTarget(w), {{kEventClassWindow, kEventWindowDrawContent}}, [&](EventRef) {
    ++calls;
    GetPort(&drawnIn);
    const Rect all{0, 0, 60, 100};
    PaintRect(&all);
    return OSStatus(noErr);
  });
  Invalidate(w, 0, 0, 10, 10);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(drawnIn, GetWindowPort(w)) << "the window's port is current while it draws";
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(w), 5, 5), kBlack);
  EXPECT_EQ(sp_testing::ReadPixel(GetWindowPort(w), 50, 50), kWhite);
  const Rect left = sp_testing::UpdateRegionBounds(w);
  EXPECT_TRUE(EmptyRect(&left));
}

TEST_F(WindowsEvents, ActivationFollowsTheFrontNonFloatingWindow) {
  LogWindowEvents();
  WindowRef a = MakeWindow(R(30, 10, 100, 100));
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(a, kEventWindowActivated), 1);
  WindowRef b = MakeWindow(R(30, 200, 100, 300));
  WindowRef floating = MakeWindow(R(30, 400, 100, 500), 0, kFloatingWindowClass);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(a, kEventWindowDeactivated), 1);
  EXPECT_EQ(Count(b, kEventWindowActivated), 1);
  EXPECT_EQ(Count(floating, kEventWindowActivated), 0) << "floating windows are never active";
  SelectWindow(a);
  HideWindow(a);  // both before the loop runs: b ends active, a was never told
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Count(b, kEventWindowDeactivated), 0);
  EXPECT_EQ(Count(a, kEventWindowActivated), 1);
  seen_.clear();
  DisposeWindow(b);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(seen_.empty()) << "a disposed window gets nothing, and no window is left";
}

TEST_F(WindowsEvents, CloseBoxReleasedInsideSendsCloseRequestOnly) {
  LogWindowEvents();
  WindowRef w = Standard(R(100, 100, 200, 300));
  Click(w, inGoAway);
  EXPECT_EQ(Count(w, kEventWindowClose), 1);
  EXPECT_TRUE(IsValidWindowPtr(w)) << "a close request nobody took leaves the window alone";
  EXPECT_EQ(Count(w, kEventWindowClosed), 0);
  const Point box = sp_testing::WindowPartPoint(w, inGoAway);
  Click(w, inGoAway, {Pt(box.h + 40, box.v)});  // released outside the box
  ChangeWindowAttributes(w, 0, kWindowStandardHandlerAttribute);
  Click(w, inGoAway);  // no standard handling without the attribute
  EXPECT_EQ(Count(w, kEventWindowClose), 1);
}

TEST_F(WindowsEvents, TitleStripDragSelectsMovesAndReportsTheDrag) {
  LogWindowEvents();
  WindowRef back = Standard(R(100, 100, 200, 300));
  WindowRef front = Standard(R(100, 400, 200, 600));
  const Point grip = sp_testing::WindowPartPoint(back, inDrag);
  Click(back, inDrag, {Pt(grip.h + 5, grip.v + 3), Pt(grip.h + 30, grip.v + 40)});
  EXPECT_TRUE(Same(Bounds(back), R(140, 130, 240, 330)));
  EXPECT_EQ(FrontWindow(), back);
  EXPECT_TRUE(IsWindowHilited(back) && !IsWindowHilited(front));
  EXPECT_EQ(Count(back, kEventWindowDragCompleted), 1);
  EXPECT_EQ(Count(back, kEventMouseDown), 0) << "the press was taken";
  // With Command the window moves without coming forward; the title strip stays below the
  // menu bar.
  SelectWindow(front);
  Click(back, inDrag, {Pt(grip.h + 30, -200)}, cmdKey);
  EXPECT_EQ(FrontWindow(), front);
  EXPECT_EQ(Bounds(back).top, GetMBarHeight() + kSpWindowTitleBarHeight);
}

TEST_F(WindowsEvents, GrowBoxResizeTakesTheCorrectedBoundsKeepsToTheLimitsThenReportsTheEnd) {
  LogWindowEvents();
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowLiveResizeAttribute);
  // A bounds-changing handler that records what it saw and, if asked, keeps the width a
  // multiple of 50.
  bool correct = true;
  std::vector<Rect> proposed, during;
  Listen(GetWindowEventTarget(w), {{kEventClassWindow, kEventWindowBoundsChanging}},
         [&](EventRef e) {
           Rect r = Param<Rect>(e, kEventParamCurrentBounds, typeQDRectangle);
           proposed.push_back(r);
           during.push_back(Bounds(w));
           if (!correct) return OSStatus(eventNotHandledErr);
           r.right = SInt16(r.left + (r.right - r.left) / 50 * 50);
           SetEventParameter(e, kEventParamCurrentBounds, typeQDRectangle, sizeof r, &r);
           return OSStatus(noErr);
         });
  Point grow = sp_testing::WindowPartPoint(w, inGrow);
  Click(w, inGrow, {Pt(grow.h + 20, grow.v + 10), Pt(grow.h + 77, grow.v + 33)});
  ASSERT_EQ(proposed.size(), 2u);
  EXPECT_TRUE(Same(proposed[1], R(100, 100, 233, 377))) << "the mouse's travel is proposed";
  EXPECT_TRUE(Same(Bounds(w), R(100, 100, 233, 350)));
  EXPECT_TRUE(Same(during[1], R(100, 100, 210, 300))) << "live resizing follows each step";
  EXPECT_EQ(seen_.back(), std::pair(w, UInt32(kEventWindowResizeCompleted)));
  Rect port{};
  EXPECT_TRUE(Same(*GetWindowPortBounds(w, &port), R(0, 0, 133, 250)));

  // Without live resizing (bit 16 is no live-resize flag) it waits for the release.
  ChangeWindowAttributes(w, kWindowNoUpdatesAttribute, kWindowLiveResizeAttribute);
  SizeWindow(w, 200, 100, false);
  const HISize least{150, 80}, most{260, 120};
  ASSERT_EQ(SetWindowResizeLimits(w, &least, &most), noErr);
  correct = false;
  proposed.clear(), during.clear();
  grow = sp_testing::WindowPartPoint(w, inGrow);
  Click(w, inGrow, {Pt(grow.h - 190, grow.v - 90), Pt(grow.h + 300, grow.v + 300)});
  ASSERT_EQ(proposed.size(), 2u);
  EXPECT_TRUE(Same(proposed[0], R(100, 100, 180, 250)));
  EXPECT_TRUE(Same(proposed[1], R(100, 100, 220, 360)));
  EXPECT_TRUE(Same(during[1], R(100, 100, 200, 300))) << "no live resizing";
  EXPECT_TRUE(Same(Bounds(w), R(100, 100, 220, 360)));
}

TEST_F(WindowsEvents, AClickInABackWindowAsksItsActivationAndBringsItForward) {
  LogWindowEvents();
  WindowRef back = Standard(R(100, 100, 200, 300));
  WindowRef front = Standard(R(100, 400, 200, 600));
  Click(back, inContent);
  EXPECT_EQ(FrontWindow(), back);
  EXPECT_EQ(Count(back, kEventMouseDown), 1) << "by default the click goes on";
  Click(back, inContent);  // a front window's content click is the content's
  EXPECT_EQ(Count(back, kEventWindowGetClickActivation), 1);
  EXPECT_EQ(Count(back, kEventMouseDown), 2);
  Listen(GetWindowEventTarget(front), {{kEventClassWindow, kEventWindowGetClickActivation}},
         [](EventRef e) {
           ClickActivationResult r = kActivateAndIgnoreClick;
           SetEventParameter(e, kEventParamClickActivation, typeClickActivationResult, sizeof r,
                             &r);
           return OSStatus(noErr);
         });
  Click(front, inContent);
  EXPECT_EQ(FrontWindow(), front);
  EXPECT_EQ(Count(front, kEventMouseDown), 0) << "activated, the click ignored";
}

TEST_F(WindowsEvents, ZoomBoxClickSendsZoomAndZoomsWhenNobodyTookIt) {
  LogWindowEvents();
  WindowRef w = Standard(R(100, 100, 200, 300), kWindowFullZoomAttribute);
  const Rect standard{60, 50, 500, 700};
  SetWindowStandardState(w, &standard);
  Click(w, inZoomOut);
  EXPECT_EQ(Count(w, kEventWindowZoom), 1);
  EXPECT_TRUE(Same(Bounds(w), standard));
  Click(w, inZoomIn);
  EXPECT_TRUE(Same(Bounds(w), R(100, 100, 200, 300)));
}

TEST_F(WindowsEvents, GrowWindowAndDragGrayRgnOnlyAnswerTheChosenTravel) {
  WindowRef w = MakeWindow(R(100, 100, 200, 300));  // 200 x 100
  const Rect box{50, 60, 150, 250};                 // heights 50..150, widths 60..250
  const struct {
    SInt16 dh, dv;
    const Rect* box;
    SInt32 answer;
  } cases[] = {
      {30, 20, nullptr, (120 << 16) | 230},
      {0, 0, nullptr, 0},
      {500, -90, &box, (50 << 16) | 250},
      {-190, 500, &box, (150 << 16) | 60},
  };
  for (const auto& c : cases) {
    sp_testing::PostClick(Pt(250, 190), {Pt(SInt16(250 + c.dh), SInt16(190 + c.dv))});
    EXPECT_EQ(GrowWindow(w, Pt(250, 190), c.box), c.answer) << c.dh << "," << c.dv;
    EXPECT_TRUE(Same(Bounds(w), R(100, 100, 200, 300))) << "GrowWindow only answers";
  }
  const Rect limit{50, 50, 400, 400}, slop{0, 0, 500, 500};
  static int actions = 0;
  sp_testing::PostClick(Pt(100, 100), {Pt(120, 90), Pt(450, 130)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, noConstraint,
                        NewDragGrayRgnUPP([] { ++actions; })),
            SInt32((30 << 16) | 299))
      << "the mouse is pinned to the limit";
  EXPECT_EQ(actions, 2);
  sp_testing::PostClick(Pt(100, 100), {Pt(120, 90)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, hAxisOnly, nullptr), 20);
  sp_testing::PostClick(Pt(100, 100), {Pt(600, 90)});
  EXPECT_EQ(DragGrayRgn(nullptr, Pt(100, 100), &limit, &slop, noConstraint, nullptr),
            SInt32(0x80008000u))
      << "outside the slop: nothing";
}

}  // namespace
}  // namespace ui_test
