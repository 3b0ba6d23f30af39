// The view window: the global list of view windows, marking views from an update event and
// from regions, copying offscreens to the window, and a window that goes before its views.
#include "ViewTestSupport.h"

namespace view_test {
namespace {

class ViewWindows : public ViewFixture {};

TEST_F(ViewWindows, TheNewestViewWindowHeadsTheListAndTheNextTakesOverWhenItGoes) {
  EXPECT_EQ(Sp_GetViewWindowObject(nullptr, 1), nullptr);
  EXPECT_EQ(viewWindowList_GlV, nullptr);
  View(R(0, 0, 10, 10), kRed);
  WindowRef other = NewWindowAt(R(500, 500, 600, 600));
  std::unique_ptr<cColourView> elsewhere(new cColourView(other, R(0, 0, 10, 10), kRed));
  cSp_ViewWindow* first = ViewWindow();
  cSp_ViewWindow* second = Sp_GetViewWindowObject(other, 0);
  EXPECT_EQ(viewWindowList_GlV, second);
  EXPECT_EQ(second->GetNextObjectPtr(), first);
  elsewhere.reset();
  EXPECT_EQ(viewWindowList_GlV, first);
  EXPECT_EQ(first->GetBeforeObjectPtr(), nullptr);

  // A hot spot alone keeps the view window; it goes with the hot spot.
  std::unique_ptr<cSp_HotSpotArea> spot(new cSp_HotSpotArea(other, R(0, 0, 10, 10)));
  EXPECT_NE(Sp_GetViewWindowObject(other, 0), nullptr);
  spot.reset();
  EXPECT_EQ(Sp_GetViewWindowObject(other, 0), nullptr);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ViewWindows, AnUpdateMarksTheViewsUnderItsRegionOrUnderTheWholeContent) {
  cColourView* a = View(R(0, 0, 50, 50), kRed);
  cColourView* b = View(R(100, 100, 150, 150), kBlue);
  const Rect whole = R(0, 0, 300, 400);
  EventRecord update = {};
  update.what = updateEvt;
  update.message = reinterpret_cast<unsigned long>(window_);
  struct Case {
    bool invalidate;  // a small part of A waits, else nothing waits
    bool a, b;
    const char* why;
  };
  const Case cases[] = {
      {true, true, false, "the update region"},
      {false, true, true, "nothing waits: the whole content"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Redraw();
    ValidWindowRect(window_, &whole);
    const Rect part = R(10, 10, 20, 20);
    if (c.invalidate) InvalWindowRect(window_, &part);
    Sp_WindowRedrawSetupFromUpdateRgn(&update);
    EXPECT_EQ(a->IsWaitRedraw() != 0, c.a);
    EXPECT_EQ(b->IsWaitRedraw() != 0, c.b);
  }
  Redraw();
  update.what = mouseDown;
  Sp_WindowRedrawSetupFromUpdateRgn(&update);
  EXPECT_EQ(a->IsWaitRedraw(), 0) << "only update events mark";
  EXPECT_EQ(errors_.Count(), 0u);
  Sp_WindowRedrawSetupFromUpdateRgn(nullptr);
  EXPECT_TRUE(errors_.Has("Sp_WindowRedrawSetupFromUpdateRgn", 1));
}

TEST_F(ViewWindows, RegionsMarkEveryViewUnderThemAndRectanglesOnlyTheShownOnes) {
  cColourView* a = View(R(0, 0, 50, 50), kRed);
  cColourView* off = View(R(0, 60, 50, 110), kBlue);
  cColourView* inOff = View(R(0, 0, 10, 10), kBlue, off);
  off->DisableViewOutput(0);
  Redraw();
  RgnHandle rgn = NewRgn();
  SetRectRgn(rgn, 0, 0, 200, 200);
  ViewWindow()->SetupModifyDrawingRgnAndFlag(rgn, 0);
  EXPECT_EQ(off->IsWaitRedraw(), 1) << "disabled views too";
  EXPECT_EQ(inOff->IsWaitRedraw(), 1);
  DisposeRgn(rgn);

  Redraw();
  ViewWindow()->ClearAllViewClippingArea(1);
  ViewWindow()->SetupViewModifyFlagForArea(R(0, 0, 200, 200), 1);
  EXPECT_EQ(a->IsWaitRedraw(), 1);
  EXPECT_EQ(off->IsWaitRedraw(), 0) << "a disabled view is passed over";
  EXPECT_EQ(inOff->IsWaitRedraw(), 0) << "and its items with it";
}

TEST_F(ViewWindows, CopyingToTheWindowTakesTheViewsTheAreaMeets) {
  View(R(0, 0, 50, 50), kRed);
  View(R(100, 100, 150, 150), kBlue);
  Redraw();
  RgnHandle area = NewRgn();
  SetRectRgn(area, 0, 0, 60, 60);
  sp_testing::FillPort(GetWindowPort(window_), 0);
  ViewWindow()->RedrawWindowWithViewOffscreen(area);
  EXPECT_EQ(Px(10, 10), kRed);
  EXPECT_EQ(Px(110, 110), 0u);
  SetEmptyRgn(area);
  ViewWindow()->RedrawWindowWithViewOffscreen(area);
  EXPECT_EQ(Px(110, 110), kBlue) << "an empty area copies every view";
  DisposeRgn(area);
}

TEST_F(ViewWindows, AWindowThatGoesBeforeItsViewsLeavesThemHarmless) {
  cColourView* a = View(R(0, 0, 50, 50), kRed);
  View(R(0, 0, 10, 10), kBlue, a);
  a->SetInInterruptViewList(5);
  hotSpots_.emplace_back(new cSp_HotSpotArea(window_, R(0, 0, 10, 10)));
  ASSERT_EQ(Sp_MouseDownHotSpot(window_, Pt(5, 5), 0), 1);

  Sp_DisposeTargetWindowView(window_);
  DisposeWindow(window_);
  EXPECT_EQ(viewWindowList_GlV, nullptr);
  EXPECT_EQ(interruptViewList_GlV, nullptr);
  EXPECT_EQ(mouseDownHotSpot_GlV, nullptr);
  EXPECT_EQ(a->GetViewWindowObjPtr(), nullptr);
  Sp_InterruptDrawView();
  a->SetupModifyDrawingRectAndFlag(nullptr, 1);
  views_.clear();
  hotSpots_.clear();
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace view_test
