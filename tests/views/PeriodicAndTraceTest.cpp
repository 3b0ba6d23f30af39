// The periodic pass and the tracking interval: a view that draws nothing of its own in a
// periodic pass keeps its image, and a hot spot's trace procedure runs once an interval.
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

}  // namespace
}  // namespace view_test
