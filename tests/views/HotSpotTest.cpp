// Hot-spot areas: which one takes a press, the tracking while the button is held, clicks and
// double clicks on the virtual clock, hot spots that go during their own dispatch, and the
// layers of hot spots.
#include "TestClock.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

class cLoggingHotSpot : public cSp_HotSpotArea {
 public:
  cLoggingHotSpot(WindowRef window, const Rect& area, std::string name)
      : cSp_HotSpotArea(window, area), name_(std::move(name)) {}

  unsigned char HotSpotMouseDonwProc(short, Point) override {
    Log().push_back(name_ + " down");
    return takesPress_ ? 1 : 0;
  }
  unsigned char HotSpotMouseAreaOutProc(short, Point) override {
    Log().push_back(name_ + " out");
    return 0;
  }
  unsigned char HotSpotMouseAreaInProc(short, Point) override {
    Log().push_back(name_ + " in");
    return 0;
  }
  void HotSpotClickProc(short, Point) override { Log().push_back(name_ + " click"); }
  unsigned char HotSpotDblClickProc(short, Point) override {
    if (takesDouble_) Log().push_back(name_ + " double");
    return takesDouble_ ? 1 : 0;
  }
  unsigned char HotSpotMouseMoveProc(short, Point p) override {
    Log().push_back(name_ + " move " + std::to_string(p.h) + "," + std::to_string(p.v));
    return 1;
  }
  unsigned char HotSpotMouseDownTraceProc(short, Point) override {
    ++traces_;
    return 1;
  }

  bool takesPress_ = true;
  bool takesDouble_ = false;
  int traces_ = 0;

 private:
  std::string name_;
};

class HotSpots : public ViewFixture {
 protected:
  cLoggingHotSpot* Spot(const Rect& area, const std::string& name) {
    hotSpots_.emplace_back(new cLoggingHotSpot(window_, area, name));
    return static_cast<cLoggingHotSpot*>(hotSpots_.back().get());
  }
  unsigned char Press(short h, short v) { return Sp_MouseDownHotSpot(window_, Pt(h, v), 0); }
  void Release(short h, short v) { Sp_MouseUpHotSpot(window_, Pt(h, v), 0); }
  // The mouse, in window-local coordinates (the content lies at (100, 100)).
  static void MouseAt(short h, short v) {
    sp_testing::PostMouseMoved(Pt(short(h + 100), short(v + 100)));
  }
};

TEST_F(HotSpots, APressGoesToTheTopLayerThatTakesIt) {
  cLoggingHotSpot* bottom = Spot(R(0, 0, 50, 50), "bottom");
  cLoggingHotSpot* top = Spot(R(0, 0, 50, 50), "top");
  top->takesPress_ = false;
  EXPECT_EQ(Press(10, 10), 1);
  EXPECT_EQ(mouseDownHotSpot_GlV, bottom) << "the top one declined";
  EXPECT_EQ(Log(), (std::vector<std::string>{"top down", "bottom down"}));
  EXPECT_EQ(top->IsMouseDownProcEnable(), 1) << "a declining hot spot keeps its down flag";

  top->takesPress_ = true;
  EXPECT_EQ(Press(10, 10), 1);
  EXPECT_EQ(mouseDownHotSpot_GlV, top);
  EXPECT_EQ(Press(60, 60), 0);
  EXPECT_EQ(mouseDownHotSpot_GlV, nullptr);

  // Items are offered the press before their container, a disabled container included.
  cLoggingHotSpot* container = Spot(R(100, 100, 200, 200), "container");
  cLoggingHotSpot* item = Spot(R(110, 110, 120, 120), "item");
  container->SetupHotSpotContainerItemOnHightLayer(item);
  container->DisableHotSpotArea();
  Log().clear();
  EXPECT_EQ(Press(115, 115), 1);
  EXPECT_EQ(mouseDownHotSpot_GlV, item);
  item->takesPress_ = false;
  EXPECT_EQ(Press(115, 115), 0) << "the container is disabled";
  container->EnableHotSpotArea();
  EXPECT_EQ(Press(115, 115), 1);
  EXPECT_EQ(mouseDownHotSpot_GlV, container);
  EXPECT_EQ(errors_.Count(), 0u);
}

struct ClickCase {
  bool takesDouble;
  bool doubleCallback;         // a double-click callback that takes it
  std::vector<UInt32> gaps;    // ticks before each press
  std::vector<std::string> heard;
  const char* why;
};

unsigned char TakeDouble(short, Point, unsigned long) {
  Log().push_back("double by callback");
  return 1;
}

TEST_F(HotSpots, ClicksWithinTheDoubleClickTimeMakeADoubleClick) {
  const ClickCase cases[] = {
      {true, false, {0, 10, 10}, {"click", "double", "click"}, "a third click is a click again"},
      {true, false, {0, 30}, {"click", "double"}, "the double-click time is inclusive"},
      {true, false, {0, 31}, {"click", "click"}, "one tick past it: two clicks"},
      {false, false, {0, 10}, {"click", "click"}, "nobody takes the double click"},
      {false, true, {0, 10}, {"click", "double by callback"}, "the callback takes it"},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.why);
    hotSpots_.clear();
    cLoggingHotSpot* spot = Spot(R(0, 0, 50, 50), "");
    spot->takesDouble_ = c.takesDouble;
    if (c.doubleCallback) spot->SetupHotSpotDblClickCB(TakeDouble, 0);
    Log().clear();
    for (UInt32 gap : c.gaps) {
      sp_testing::AdvanceClockTicks(gap);
      ASSERT_EQ(Press(10, 10), 1);
      Release(10, 10);
    }
    std::vector<std::string> heard;
    for (const std::string& line : Log()) {
      if (line != " down") heard.push_back(line.substr(line.front() == ' ' ? 1 : 0));
    }
    EXPECT_EQ(heard, c.heard);
  }
}

TEST_F(HotSpots, APressMissingAHotSpotForgetsItsLastClick) {
  Spot(R(0, 0, 50, 50), "a");
  cLoggingHotSpot* b = Spot(R(60, 0, 110, 50), "b");
  ASSERT_EQ(Press(10, 70), 1);
  Release(10, 70);
  EXPECT_EQ(b->GetClickState(), 1);
  EXPECT_EQ(Press(10, 10), 1) << "b, on top, is tested first and missed";
  EXPECT_EQ(b->GetClickState(), 0);
}

TEST_F(HotSpots, TrackingTellsLeavingAndComingBackOnceAndMovesOnlyWhenTheMouseMoved) {
  cLoggingHotSpot* spot = Spot(R(0, 0, 50, 50), "s");
  sp_testing::AdvanceClockTicks(30);
  MouseAt(10, 10);
  ASSERT_EQ(Press(10, 10), 1);
  Log().clear();
  const std::pair<short, short> path[] = {{10, 10}, {20, 20}, {20, 20}, {70, 70},
                                          {80, 80}, {30, 30}};
  for (const auto& [h, v] : path) {
    MouseAt(h, v);
    Sp_MouseDownMouseTrace();
  }
  EXPECT_EQ(Log(), (std::vector<std::string>{"s move 20,20", "s out", "s move 70,70",
                                             "s move 80,80", "s in", "s move 30,30"}));
  EXPECT_EQ(spot->traces_, 6);
  Log().clear();
  Release(30, 30);
  EXPECT_EQ(Log(), (std::vector<std::string>{"s click"}));
  Sp_MouseDownMouseTrace();
  EXPECT_EQ(spot->traces_, 6) << "no tracking after the release";
}

unsigned char DeleteSpot(short, Point, unsigned long refCon) {
  auto* spots = reinterpret_cast<std::vector<std::unique_ptr<cSp_HotSpotArea>>*>(refCon);
  spots->clear();
  return 1;
}

TEST_F(HotSpots, AHotSpotThatGoesDuringItsOwnDispatchEndsIt) {
  const unsigned long spots = reinterpret_cast<unsigned long>(&hotSpots_);
  // Deleted while the button is held: no tracking and no release afterwards.
  Spot(R(0, 0, 50, 50), "held");
  ASSERT_EQ(Press(10, 10), 1);
  hotSpots_.clear();
  EXPECT_EQ(mouseDownHotSpot_GlV, nullptr);
  Sp_MouseDownMouseTrace();
  Release(10, 10);

  // Deleted by its own click callback, by its mouse-up callback, by its mouse-down callback.
  Spot(R(0, 0, 50, 50), "clicked")->SetupHotSpotClickCB(DeleteSpot, spots);
  ASSERT_EQ(Press(10, 10), 1);
  Release(10, 10);
  EXPECT_TRUE(hotSpots_.empty());
  Spot(R(0, 0, 50, 50), "released")->SetupHotSpotMouseUpCB(DeleteSpot, spots);
  ASSERT_EQ(Press(10, 10), 1);
  Release(10, 10);
  EXPECT_TRUE(hotSpots_.empty());
  Spot(R(0, 0, 50, 50), "pressed")->SetupHotspotMouseDownCB(DeleteSpot, spots);
  EXPECT_EQ(Press(10, 10), 0);
  EXPECT_TRUE(hotSpots_.empty());
  EXPECT_EQ(mouseDownHotSpot_GlV, nullptr);
  EXPECT_EQ(ViewWindow(), nullptr) << "the last hot spot took the view window with it";
}

TEST_F(HotSpots, RegionAreasAndLayersOfHotSpots) {
  cLoggingHotSpot* spot = Spot(R(0, 0, 100, 100), "s");
  RgnHandle ell = NewRgn();
  OpenRgn();
  MoveTo(0, 0);
  LineTo(20, 0);
  LineTo(20, 10);
  LineTo(10, 10);
  LineTo(10, 20);
  LineTo(0, 20);
  LineTo(0, 0);
  CloseRgn(ell);
  spot->SetupHotSpotArea(ell);
  DisposeRgn(ell);
  EXPECT_EQ(spot->PtInHotSpotArea(Pt(5, 15)), 1);
  EXPECT_EQ(spot->PtInHotSpotArea(Pt(15, 5)), 1);
  EXPECT_EQ(spot->PtInHotSpotArea(Pt(15, 15)), 0);
  Rect bounds;
  EXPECT_EQ(spot->GetHotSpotArea(bounds), 1);
  EXPECT_EQ(Show(bounds), Show(R(0, 0, 20, 20)));
  spot->SetupHotSpotArea(R(0, 0, 5, 5));
  EXPECT_EQ(spot->PtInHotSpotArea(Pt(15, 5)), 0) << "back to a rectangle";

  // A container that goes hands its items to its place; root hot spots move between layers.
  cLoggingHotSpot* box = Spot(R(0, 0, 10, 10), "box");
  cLoggingHotSpot* i1 = Spot(R(0, 0, 10, 10), "i1");
  cLoggingHotSpot* i2 = Spot(R(0, 0, 10, 10), "i2");
  cLoggingHotSpot* last = Spot(R(0, 0, 10, 10), "last");
  box->SetupHotSpotContainerItemOnHightLayer(i1);
  box->SetupHotSpotContainerItemOnHightLayer(i2);
  auto roots = [&] {
    std::vector<cSp_HotSpotArea*> out;
    for (cSp_HotSpotArea* h = ViewWindow()->GetHotSpotContainerListHead(); h != nullptr;
         h = h->GetHotSpotContainerItemNext()) {
      out.push_back(h);
    }
    return out;
  };
  EXPECT_EQ(roots(), (std::vector<cSp_HotSpotArea*>{spot, box, last}));
  box->ExecHotSpotObjDeleteReady();
  EXPECT_EQ(roots(), (std::vector<cSp_HotSpotArea*>{spot, i1, i2, last}));
  EXPECT_EQ(i1->GetHotSpotContainerPtr(), nullptr);
  EXPECT_EQ(ViewWindow()->GetHotSpotContainerListLast(), last);

  last->MoveToTargetLayerInHotSpotContanerItemList(1);
  EXPECT_EQ(roots(), (std::vector<cSp_HotSpotArea*>{last, spot, i1, i2}));
  spot->MoveToTargetLayerInHotSpotContanerItemList(9);
  EXPECT_EQ(roots(), (std::vector<cSp_HotSpotArea*>{last, spot, i1, i2})) << "past the top";
  spot->MoveToTopLayerInHotSpotContanerItemList();
  EXPECT_EQ(roots(), (std::vector<cSp_HotSpotArea*>{last, i1, i2, spot}));
  EXPECT_EQ(ViewWindow()->GetHotSpotContainerListLast(), spot);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace view_test
