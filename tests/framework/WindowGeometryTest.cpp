// A window's size and its limits, growing, dragging, zooming and the drawing of its own parts.
#include <gtest/gtest.h>

#include "WindowGeometryTestSupport.h"

namespace window_geometry_test {
namespace {

using WindowGeometry = WindowGeometryFixture;

// ---- Size limits ----------------------------------------------------------------------------

TEST_F(WindowGeometry, MaxSizeCutsEachDimensionOnItsOwnAndRemembersTheCutSize) {
  struct Case {
    SInt16 width, height;        // the window before
    SInt16 maxWidth, maxHeight;  // the limit
    SInt16 wantWidth, wantHeight;
    const char* why;
  };
  const Case cases[] = {
      {500, 200, 400, 300, 400, 200, "too wide only: the height stays"},
      {300, 400, 400, 300, 300, 300, "too tall only: the width stays"},
      {500, 500, 400, 300, 400, 300, "both cut"},
      {300, 200, 400, 300, 300, 200, "within the limit: untouched"},
      {500, 200, 0, 300, 500, 200, "a limit of 0 limits nothing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cSp_Window* window = AddWindow(R(100, 100, SInt16(100 + c.width), SInt16(100 + c.height)));
    window->SetMaxSize(c.maxWidth, c.maxHeight);
    EXPECT_EQ(Text(Content(window->GetWindowRef())),
              Text(R(100, 100, SInt16(100 + c.wantWidth), SInt16(100 + c.wantHeight))));
    short w = 0, h = 0;
    window->GetMaxSize(w, h);
    EXPECT_EQ(Text(Pt(w, h)), Text(Pt(c.maxWidth, c.maxHeight)));
    // The stored size is the real one: asking for the old size again resizes the window.
    window->SetSize(c.width, c.height);
    EXPECT_EQ(Text(Content(window->GetWindowRef())),
              Text(R(100, 100, SInt16(100 + c.width), SInt16(100 + c.height))));
  }
}

TEST_F(WindowGeometry, MinSizeNeedsSystemTenPointTwo) {
  struct Case {
    SInt32 systemVersion;
    bool kept;
  };
  const Case cases[] = {{0x0922, false}, {0x1019, false}, {0x1020, true}, {0x1049, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.systemVersion);
    sp_testing::SetGestalt(gestaltSystemVersion, c.systemVersion);
    cSp_Window* window = AddWindow(R(100, 100, 300, 200));
    window->SetMinSize(120, 80);
    short w = 0, h = 0;
    window->GetMinSize(w, h);
    HISize minimum = {0, 0};
    ASSERT_EQ(GetWindowResizeLimits(window->GetWindowRef(), &minimum, nullptr), noErr);
    EXPECT_EQ(Text(Pt(w, h)) + " " + Text(Pt(SInt16(minimum.width), SInt16(minimum.height))),
              c.kept ? "120,80 120,80" : "0,0 32,32");
  }
}

TEST_F(WindowGeometry, BoundsChangingCorrectionKeepsTheTopLeftCorner) {
  struct Case {
    SInt16 minWidth, minHeight, maxWidth, maxHeight;
    Rect proposed;
    Rect want;
    unsigned char unchanged;
    const char* why;
  };
  const Case cases[] = {
      {0, 0, 0, 0, R(10, 20, 60, 50), R(10, 20, 60, 50), 1, "no limits: anything goes"},
      {200, 0, 0, 0, R(10, 20, 160, 120), R(10, 20, 210, 120), 0, "too narrow"},
      {0, 0, 300, 0, R(10, 20, 410, 120), R(10, 20, 310, 120), 0, "too wide"},
      {0, 150, 0, 0, R(10, 20, 210, 120), R(10, 20, 210, 170), 0, "too low"},
      {0, 0, 0, 90, R(10, 20, 210, 120), R(10, 20, 210, 110), 0, "too tall"},
      {200, 150, 0, 0, R(10, 20, 60, 50), R(10, 20, 210, 170), 0, "both dimensions"},
      {200, 150, 400, 300, R(10, 20, 260, 220), R(10, 20, 260, 220), 1, "within the limits"},
      // Each limit holds at its value and cuts a pixel past it, whatever the other dimension.
      {0, 0, 0, 100, R(10, 20, 310, 120), R(10, 20, 310, 120), 1, "wide, at the height limit"},
      {0, 0, 0, 100, R(10, 20, 60, 121), R(10, 20, 60, 120), 0, "a pixel past the height limit"},
      {0, 0, 150, 0, R(10, 20, 160, 320), R(10, 20, 160, 320), 1, "tall, at the width limit"},
      {0, 0, 150, 0, R(10, 20, 161, 30), R(10, 20, 160, 30), 0, "a pixel past the width limit"},
      {0, 150, 0, 0, R(10, 20, 110, 170), R(10, 20, 110, 170), 1, "narrow, at the height minimum"},
      {0, 150, 0, 0, R(10, 20, 410, 169), R(10, 20, 410, 170), 0, "a pixel below the height minimum"},
      {200, 0, 0, 0, R(10, 20, 210, 40), R(10, 20, 210, 40), 1, "low, at the width minimum"},
      {200, 0, 0, 0, R(10, 20, 209, 320), R(10, 20, 210, 320), 0, "a pixel below the width minimum"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cSp_Window* window = AddWindow(R(100, 100, 400, 400));
    if (c.minWidth != 0 || c.minHeight != 0) window->SetMinSize(c.minWidth, c.minHeight);
    if (c.maxWidth != 0 || c.maxHeight != 0) window->SetMaxSize(c.maxWidth, c.maxHeight);
    Rect bounds = c.proposed;
    EXPECT_EQ(window->CheckBoundsChangingSizeForCarbonEvent(bounds), c.unchanged);
    EXPECT_EQ(Text(bounds), Text(c.want));
  }
}

// ---- Growing (classic) ----------------------------------------------------------------------

TEST_F(WindowGeometry, GrowingWithoutLimitsStaysBetweenThirtyByFortyAndTheScreenCorner) {
  struct Case {
    Point to;
    Rect want;
    const char* why;
  };
  const Case cases[] = {
      {Pt(-500, -500), R(100, 100, 130, 140), "the least size"},
      {Pt(2000, 2000), R(100, 100, 1024, 768), "up to the screen's bottom-right corner"},
      {Pt(350, 260), R(100, 100, 350, 260), "where the mouse went"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cSp_Window* window = AddWindow(R(100, 100, 300, 200));
    const Point grip = sp_testing::WindowPartPoint(window->GetWindowRef(), inGrow);
    const Point to = Pt(SInt16(c.to.h - (300 - grip.h)), SInt16(c.to.v - (200 - grip.v)));
    sp_testing::PostMouseDragged(to);
    sp_testing::PostMouseUp(to);
    window->Grow(grip);
    EXPECT_EQ(Text(Content(window->GetWindowRef())), Text(c.want));
    sp_testing::ResetEvents();
  }
}

TEST_F(WindowGeometry, GrowingTellsTheAfterGrowProceduresAlsoWithoutAChangeAndStopsWhenRefused) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  SInt32 ref = 0;
  window->SetupAfterGrowProc(LogAfterProc, Tag("afterGrow"), ref);
  const Point grip = sp_testing::WindowPartPoint(window->GetWindowRef(), inGrow);
  sp_testing::PostMouseUp(grip);
  window->Grow(grip);
  EXPECT_EQ(Log(), std::vector<std::string>({"afterGrow"}));
  EXPECT_EQ(Text(Content(window->GetWindowRef())), Text(R(100, 100, 300, 200)));

  Log().clear();
  window->SetupBeforeGrowProc(RefuseBeforeProc, Tag("refuse"), ref);
  sp_testing::PostMouseDragged(Pt(SInt16(grip.h + 50), SInt16(grip.v + 50)));
  sp_testing::PostMouseUp(Pt(SInt16(grip.h + 50), SInt16(grip.v + 50)));
  window->Grow(grip);
  EXPECT_EQ(Log(), std::vector<std::string>({"refuse"}));
  EXPECT_EQ(Text(Content(window->GetWindowRef())), Text(R(100, 100, 300, 200)));
}

// ---- Dragging -------------------------------------------------------------------------------

TEST_F(WindowGeometry, LiveDragFollowsTheMouseOnlyBeyondOnePixel) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  SInt32 ref = 0;
  window->SetupMoveProc(LogAfterProc, Tag("moved"), ref);
  const Point grip = Pt(150, 90);  // in the title strip
  Script().watched = window->GetWindowRef();
  ScriptMouse(grip, {{Pt(151, 91)}, {Pt(190, 120)}, {Pt(191, 121)}, {Pt(160, 100), 0, true}});
  window->Drag(grip);
  // What each idle pass saw: nothing moved for one pixel, then the window followed the mouse,
  // and again stood still for one pixel.
  ASSERT_GE(Script().seen.size(), 4u);
  EXPECT_EQ(Text(Script().seen[1]), Text(R(100, 100, 300, 200)));
  EXPECT_EQ(Text(Script().seen[2]), Text(R(140, 130, 340, 230)));
  EXPECT_EQ(Text(Script().seen[3]), Text(R(140, 130, 340, 230)));
  EXPECT_EQ(Text(Content(window->GetWindowRef())), Text(R(140, 130, 340, 230)));
  EXPECT_EQ(Log(), std::vector<std::string>({"moved"}));
}

// ---- Zooming --------------------------------------------------------------------------------

TEST_F(WindowGeometry, ZoomOutUsesTheMaximumMovedOntoTheScreenAndZoomInGoesBack) {
  cSp_Window* window = AddWindow(R(700, 500, 900, 600), zoomDocProc);
  window->SetMaxSize(500, 400);
  SInt32 ref = 0;
  window->SetupAfterGrowProc(LogAfterProc, Tag("afterGrow"), ref);
  WindowRef w = window->GetWindowRef();

  Point box = sp_testing::WindowPartPoint(w, inZoomOut);
  sp_testing::PostMouseUp(box);
  window->ZoomInOutWindow(box, inZoomOut);
  // 500 x 400 at (700, 500) passes the 1024 x 768 screen: moved left and up onto it.
  EXPECT_EQ(Text(Content(w)), Text(R(524, 368, 1024, 768)));
  EXPECT_EQ(window->GetCurrentZoomOutSizeFlag(), 1);

  box = sp_testing::WindowPartPoint(w, inZoomIn);
  sp_testing::PostMouseUp(box);
  window->ZoomInOutWindow(box, inZoomIn);
  EXPECT_EQ(Text(Content(w)), Text(R(700, 500, 900, 600)));
  EXPECT_EQ(window->GetCurrentZoomOutSizeFlag(), 0);
  EXPECT_EQ(Log(), std::vector<std::string>({"afterGrow", "afterGrow"}));
}

inline unsigned char LogBeforeProc(cSp_Window*, short, unsigned long userData) {
  Log().push_back(reinterpret_cast<const char*>(userData));
  return 1;
}

// The zoom box clicked through each event route: the toolbox's zoom request to the Carbon
// handlers and the classic loop's mouse-down.
TEST_F(WindowGeometry, ZoomBoxKeepsToTheMaximumTellsTheGrowProceduresAndStoresTheSize) {
  Sp_SetupWindowEventHandlerForCarbonEvent();
  struct Case {
    bool classic;
    const char* why;
  };
  const Case cases[] = {{false, "Carbon handlers"}, {true, "classic loop"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Log().clear();
    cSp_Window* window = AddWindow(R(100, 100, 200, 150), zoomDocProc);
    window->SetMaxSize(300, 200);
    SInt32 ref = 0;
    window->SetupBeforeGrowProc(LogBeforeProc, Tag("beforeGrow"), ref);
    window->SetupAfterGrowProc(LogAfterProc, Tag("afterGrow"), ref);
    WindowRef w = window->GetWindowRef();
    const Point box = sp_testing::WindowPartPoint(w, inZoomOut);
    if (c.classic) {
      sp_testing::PostMouseUp(box);
      EventRecord click = framework_test::Record(mouseDown, box);
      Sp_MouseDownProc(&click, 0);
    } else {
      sp_testing::PostClick(box);
      sp_testing::PumpPending();
    }
    EXPECT_EQ(Text(Content(w)), Text(R(100, 100, 400, 300)));
    EXPECT_EQ(Log(), std::vector<std::string>({"beforeGrow", "afterGrow"}));
    // The stored size is the zoomed one: asking for the old size again resizes the window.
    window->SetSize(100, 50);
    EXPECT_EQ(Text(Content(w)), Text(R(100, 100, 200, 150)));
    sp_testing::ResetEvents();
  }
}

TEST_F(WindowGeometry, GrowBoxClickInTheClassicLoopGrowsWithTheMouseBetweenTheGrowProcedures) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  SInt32 ref = 0;
  window->SetupBeforeGrowProc(LogBeforeProc, Tag("beforeGrow"), ref);
  window->SetupAfterGrowProc(LogAfterProc, Tag("afterGrow"), ref);
  WindowRef w = window->GetWindowRef();
  const Point grip = sp_testing::WindowPartPoint(w, inGrow);
  const Point to = Pt(SInt16(grip.h + 80), SInt16(grip.v + 40));
  sp_testing::PostMouseDragged(Pt(SInt16(grip.h + 10), SInt16(grip.v + 10)));
  sp_testing::PostMouseDragged(to);
  sp_testing::PostMouseUp(to);
  EventRecord click = framework_test::Record(mouseDown, grip);
  Sp_MouseDownProc(&click, 0);
  EXPECT_EQ(Text(Content(w)), Text(R(100, 100, 380, 240)));
  EXPECT_EQ(Log(), std::vector<std::string>({"beforeGrow", "afterGrow"}));
  // The stored size is the grown one: asking for the old size again resizes the window.
  window->SetSize(200, 100);
  EXPECT_EQ(Text(Content(w)), Text(R(100, 100, 300, 200)));
}

// ---- Drawing --------------------------------------------------------------------------------

UInt32 PixelAt(WindowRef window, SInt16 h, SInt16 v) {
  return sp_testing::ReadPixel(GetWindowPort(window), h, v);
}

TEST_F(WindowGeometry, UpdateDrawsTheControlsAndTheGrowBoxAndKeepsTheClip) {
  cSp_Window* window = AddWindow(R(100, 100, 300, 200));
  WindowRef w = window->GetWindowRef();
  const Rect buttonRect = R(20, 20, 100, 40);
  static const unsigned char kTitle[] = {2, 'O', 'K'};
  ControlRef button = NewControl(w, &buttonRect, kTitle, false, 0, 0, 1, pushButProc, 0);
  ASSERT_NE(button, nullptr);
  SetControlVisibility(button, true, false);

  SetPortWindowPort(w);
  ClipRect(&buttonRect);
  const UInt32 white = PixelAt(w, 60, 20);
  const UInt32 gripBefore = PixelAt(w, 199, 99);
  window->Update();
  RgnHandle clip = NewRgn();
  GetClip(clip);
  Rect clipBox;
  GetRegionBounds(clip, &clipBox);
  DisposeRgn(clip);
  EXPECT_EQ(Text(clipBox), Text(buttonRect)) << "the clip is put back";
  EXPECT_NE(PixelAt(w, 60, 20), white) << "the button's frame";
  EXPECT_NE(PixelAt(w, 199, 99), gripBefore) << "the grow box's frame";
  DisposeControl(button);
}

}  // namespace
}  // namespace window_geometry_test
