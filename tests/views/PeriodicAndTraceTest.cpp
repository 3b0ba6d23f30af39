// The periodic pass, the tracking interval and moves: a view that draws nothing of its own in a
// periodic pass keeps its image, a hot spot's trace runs once an interval, and the strip a
// view leaves or takes when it changes size or place is repainted.
#include "TestClock.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

// A view with nothing to draw periodically (as lists and title bars are).
class cQuietView : public cColourView {
 public:
  using cColourView::cColourView;
  unsigned char InterruptDraw() override {
    ++periodicDraws_;
    return 0;
  }
};

class PeriodicPass : public ViewFixture {
 protected:
  cColourView* Quiet(const Rect& area, UInt32 rgb) {
    views_.emplace_back(new cQuietView(window_, area, rgb));
    return views_.back().get();
  }
  void Pass() {
    sp_testing::AdvanceClockTicks(1);
    Sp_InterruptDrawView();
  }
  // The window's pixels wiped, then every offscreen copied again: what the offscreens hold.
  void CopyOffscreensAgain() {
    sp_testing::FillPort(GetWindowPort(window_), kWhite);
    Redraw();
  }
};

TEST_F(PeriodicPass, AViewThatDrawsNothingPeriodicallyKeepsItsImage) {
  cColourView* quiet = Quiet(R(0, 0, 50, 50), kRed);
  quiet->SetInInterruptViewList(0);
  Redraw();
  ASSERT_EQ(Px(10, 10), kRed);
  Pass();
  EXPECT_EQ(quiet->periodicDraws_, 1);
  EXPECT_EQ(Px(10, 10), kRed) << "the window after the pass";
  CopyOffscreensAgain();
  EXPECT_EQ(Px(10, 10), kRed) << "the offscreen after the pass";
  quiet->RemoveFromInterruptViewList();
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(PeriodicPass, AWaitingViewTakenByAnotherViewsPassShowsItsChange) {
  cColourView* ticking = View(R(0, 0, 10, 10), kGreen);
  cColourView* quiet = Quiet(R(20, 20, 60, 60), kRed);
  ticking->SetInInterruptViewList(0);
  Redraw();
  ASSERT_EQ(Px(30, 30), kRed);
  quiet->rgb_ = kBlue;
  quiet->SetupModifyDrawingRectAndFlag(nullptr, 1);
  Pass();
  EXPECT_EQ(quiet->IsWaitRedraw(), 0) << "the pass drew every waiting view";
  EXPECT_EQ(Px(30, 30), kBlue) << "the change reached the window";
  CopyOffscreensAgain();
  EXPECT_EQ(Px(30, 30), kBlue);
  EXPECT_EQ(Px(5, 5), kGreen);
  ticking->RemoveFromInterruptViewList();
  EXPECT_EQ(errors_.Count(), 0u);
}

class cCountingHotSpot : public cSp_HotSpotArea {
 public:
  using cSp_HotSpotArea::cSp_HotSpotArea;
  unsigned char HotSpotMouseDownTraceProc(short, Point) override {
    ++traces_;
    return 1;
  }
  int traces_ = 0;
};

TEST_F(PeriodicPass, TheTraceRunsOnceAnIntervalFromTheFirstStepOfEachPress) {
  auto* spot = new cCountingHotSpot(window_, R(0, 0, 50, 50));
  hotSpots_.emplace_back(spot);
  spot->SetupHotSpotTraceInterval(10);
  sp_testing::AdvanceClockTicks(1000);
  const struct {
    bool press;      // a new press before this step
    UInt32 advance;  // ticks before this step
    int traces;      // traces so far
    const char* why;
  } steps[] = {
      {true, 0, 1, "the first step of a press traces at once"},
      {false, 0, 1, "not again in the same tick"},
      {false, 9, 1, "one tick short of the interval"},
      {false, 1, 2, "the interval is inclusive"},
      {false, 15, 3, "a late step traces once"},
      {false, 5, 3, "the interval counts from the last trace, not from the schedule"},
      {true, 0, 4, "a new press traces at its first step again"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.why);
    if (s.press) {
      Sp_MouseUpHotSpot(window_, Pt(5, 5), 0);
      ASSERT_EQ(Sp_MouseDownHotSpot(window_, Pt(5, 5), 0), 1);
    }
    sp_testing::AdvanceClockTicks(s.advance);
    Sp_MouseDownMouseTrace();
    EXPECT_EQ(spot->traces_, s.traces);
  }
  // Without an interval of its own a hot spot traces at every step, as dragging needs.
  spot->SetupHotSpotTraceInterval(0);
  Sp_MouseDownMouseTrace();
  Sp_MouseDownMouseTrace();
  EXPECT_EQ(spot->traces_, 6);
  EXPECT_EQ(errors_.Count(), 0u);
}

// A view that gets smaller, larger or moves: the strip it left shows the view under it again
// and the strip it took shows the view, checked in pixels at the strip's far line.
TEST_F(PeriodicPass, TheStripAViewLeavesOrTakesIsRepainted) {
  const struct {
    unsigned char inContainer;  // the item draws into its container's offscreen
    Rect to;
    struct {
      short h, v;
    } probe;  // a pixel the change concerns
    UInt32 colour;
    const char* why;
  } cases[] = {
      {1, R(10, 10, 30, 60), {20, 59}, kGreen, "lower: the bottom strip shows what lies under"},
      {1, R(10, 10, 60, 30), {59, 20}, kGreen, "narrower: the right strip shows what lies under"},
      {1, R(30, 10, 60, 60), {20, 10}, kGreen, "its top moved down"},
      {1, R(10, 10, 80, 60), {20, 79}, kRed, "higher: the new strip shows the view"},
      {1, R(40, 40, 90, 90), {10, 10}, kGreen, "moved away"},
      {0, R(10, 10, 30, 60), {20, 59}, kGreen, "lower, in an offscreen of its own"},
      {0, R(40, 40, 90, 90), {10, 10}, kGreen, "moved away, in an offscreen of its own"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    views_.clear();
    sp_testing::FillPort(GetWindowPort(window_), kWhite);
    cColourView* container = View(R(0, 0, 100, 100), kGreen);
    cColourView* moving = View(R(10, 10, 60, 60), kRed, container, c.inContainer);
    Redraw();
    ASSERT_EQ(Px(20, 20), kRed);
    ASSERT_EQ(moving->ResizeViewArea(c.to, 1, 0), 1);
    EXPECT_EQ(Px(c.probe.h, c.probe.v), c.colour);
    Redraw();
    EXPECT_EQ(Px(c.probe.h, c.probe.v), c.colour) << "after the next update";
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace view_test
