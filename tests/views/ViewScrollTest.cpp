// Scrolling: the clamps of relative and absolute scrolls, the shift of the image against the
// whole redraw (same pixels either way), content that shrinks under the scroll value, bars
// shared by views, and scrolling a target into sight through a container.
#include <algorithm>

#include "ViewTestSupport.h"

namespace view_test {
namespace {

// The colour a striped content shows at content point (h, v): a band every 10 pixels on each
// axis, so that a shift by the wrong amount shows.
UInt32 Stripe(int h, int v) {
  const int bh = h / 10, bv = v / 10;
  return (UInt32((bh * 37) % 256) << 16) | (UInt32((bv * 53) % 256) << 8) | 0x40;
}

class cStripeView : public cSp_View {
 public:
  cStripeView(WindowRef window, const Rect& area, cSp_View* container = nullptr)
      : cSp_View(window, area, 0, 0, container, 0) {}
  unsigned char UpdateProc() override {
    for (int bv = 0; bv < 40; ++bv) {
      for (int bh = 0; bh < 40; ++bh) {
        const RGBColor c = Colour(Stripe(bh * 10, bv * 10));
        RGBForeColor(&c);
        const Rect r = R(short(bv * 10), short(bh * 10), short(bv * 10 + 10), short(bh * 10 + 10));
        PaintRect(&r);
      }
    }
    return 1;
  }
  void AfterScrollExecute(short h, short v, short dh, short dv) override {
    Log().push_back("after " + std::to_string(h) + "," + std::to_string(v) + " by " +
                    std::to_string(dh) + "," + std::to_string(dv));
  }
  void AfterContainerScrollExecute(short h, short v, short, short) override {
    Log().push_back("item told " + std::to_string(h) + "," + std::to_string(v));
  }
};

// A stand-in for the controls library's shared bar: it follows the views attached to it.
struct FakeBar {
  tScrollBarType type;
  std::vector<cSp_View*> views;
  short value = 0;
  int executes = 0;
  unsigned char visible = 1;
};

std::vector<FakeBar*>& Bars() {
  static std::vector<FakeBar*> bars;
  return bars;
}

FakeBar* Fake(cScrollBarObj* bar) {
  return reinterpret_cast<FakeBar*>(bar);
}

const sSpScrollBarServices kFakeBars = {
    [](WindowRef, tScrollBarType type, const Rect&, short, short, short,
       unsigned char visible) -> cScrollBarObj* {
      FakeBar* bar = new FakeBar{type, {}, 0, 0, visible};
      Bars().push_back(bar);
      return reinterpret_cast<cScrollBarObj*>(bar);
    },
    [](cScrollBarObj* bar, cSp_View* view) {
      auto& views = Fake(bar)->views;
      if (std::find(views.begin(), views.end(), view) == views.end()) views.push_back(view);
    },
    [](cScrollBarObj* bar, short value, unsigned char, cSp_View* initiator) {
      FakeBar* fake = Fake(bar);
      fake->value = value;
      ++fake->executes;
      for (cSp_View* view : fake->views) {
        if (view == initiator) continue;
        short h = fake->type == kSpHorizontalScrollBar ? value : -1;
        short v = fake->type == kSpHorizontalScrollBar ? -1 : value;
        view->SetScrollValue(h, v, 0, 1, 0, 0);
      }
    },
    [](cScrollBarObj*, cSp_View*) {},
    [](cScrollBarObj* bar, cSp_View* view) {
      FakeBar* fake = Fake(bar);
      fake->views.erase(std::remove(fake->views.begin(), fake->views.end(), view),
                        fake->views.end());
      if (fake->views.empty()) {
        Bars().erase(std::remove(Bars().begin(), Bars().end(), fake), Bars().end());
        delete fake;
      }
    },
    [](cScrollBarObj* bar, unsigned char visible) { Fake(bar)->visible = visible; },
};

class ViewScroll : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    Sp_SetupScrollBarServices(&kFakeBars);
  }
  void TearDown() override {
    stripes_.clear();
    ViewFixture::TearDown();
    Sp_SetupScrollBarServices(nullptr);
    for (FakeBar* bar : Bars()) delete bar;
    Bars().clear();
  }

  cStripeView* Striped(const Rect& area, cSp_View* container = nullptr) {
    stripes_.emplace_back(new cStripeView(window_, area, container));
    return stripes_.back().get();
  }

  // Every 7th pixel of the view's place on the window shows its content at the scroll value.
  void ExpectShowsContent(cSp_View* view, const Rect& onWindow) {
    short h = 0, v = 0;
    view->GetScrollValue(h, v);
    int wrong = 0;
    for (short y = onWindow.top; y < onWindow.bottom; y = short(y + 7)) {
      for (short x = onWindow.left; x < onWindow.right; x = short(x + 7)) {
        if (Px(x, y) != Stripe(x - onWindow.left + h, y - onWindow.top + v)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << "at scroll " << h << "," << v;
  }

  std::vector<std::unique_ptr<cStripeView>> stripes_;
};

struct ClampCase {
  short start;       // horizontal scroll value before
  short dh;          // the step asked for
  unsigned char clamp;
  unsigned char result;
  short taken;       // dh afterwards
  short end;         // scroll value afterwards
  const char* why;
};

TEST_F(ViewScroll, RelativeStepsStopAtTheEndsOrAreRefused) {
  // Content 200 by 200 in a view 100 by 100: each scroll value runs from 0 to 100.
  const ClampCase cases[] = {
      {90, 30, 0, 0, 30, 90, "past the end without clamp: nothing"},
      {90, 11, 0, 0, 11, 90, "one past the end without clamp: nothing"},
      {90, 30, 1, 1, 10, 100, "past the end with clamp: up to the end"},
      {90, 10, 0, 1, 10, 100, "exactly to the end"},
      {10, -30, 0, 0, -30, 10, "before the start without clamp: nothing"},
      {10, -11, 0, 0, -11, 10, "one before the start without clamp: nothing"},
      {10, -30, 1, 1, -10, 0, "before the start with clamp: to 0"},
      {10, -10, 0, 1, -10, 0, "exactly to the start"},
      {100, 5, 1, 0, 5, 100, "at the end a clamped step is 0: nothing"},
  };
  cStripeView* view = Striped(R(0, 0, 100, 100));
  view->SetupViewScrollArea(200, 200, 0, 0);
  view->EnableViewScroll(kSpHorizontalScrollBar);
  view->EnableViewScroll(kSpVerticalScrollBar);
  for (bool vertical : {false, true}) {
    for (const ClampCase& c : cases) {
      SCOPED_TRACE(std::string(vertical ? "vertical: " : "horizontal: ") + c.why);
      short h = vertical ? 0 : c.start, v = vertical ? c.start : 0;
      view->SetScrollValue(h, v, 1, 0, 0, 0);
      short dh = vertical ? 0 : c.dh, dv = vertical ? c.dh : 0;
      EXPECT_EQ(view->ScrollView(dh, dv, c.clamp, 0, 0, 0), c.result);
      EXPECT_EQ(vertical ? dv : dh, c.taken);
      view->GetScrollValue(h, v);
      EXPECT_EQ(vertical ? v : h, c.end);
      EXPECT_EQ(vertical ? h : v, 0) << "the other axis stays";
    }
  }
}

struct AbsoluteCase {
  short h, v;
  unsigned char clampPastMax;
  unsigned char result;
  short endH, endV;
  const char* why;
};

TEST_F(ViewScroll, AbsoluteScrollsLeaveAnAxisPastItsMaximumUnlessClamped) {
  const AbsoluteCase cases[] = {
      {150, 20, 0, 1, 0, 20, "h past the maximum is left, v moves"},
      {150, 20, 1, 1, 100, 20, "clamped: h ends at the maximum"},
      {-1, 50, 0, 1, 100, 50, "a negative h scrolls only vertically"},
      {100, 50, 0, 0, 100, 50, "the value it has: nothing"},
      {-1, -1, 0, 0, 100, 50, "both negative: nothing"},
  };
  cStripeView* view = Striped(R(0, 0, 100, 100));
  view->SetupViewScrollArea(200, 300, 0, 0);
  view->EnableViewScroll(kSpHorizontalScrollBar);
  view->EnableViewScroll(kSpVerticalScrollBar);
  for (const AbsoluteCase& c : cases) {
    SCOPED_TRACE(c.why);
    short h = c.h, v = c.v;
    EXPECT_EQ(view->SetScrollValue(h, v, c.clampPastMax, 0, 0, 0), c.result);
    view->GetScrollValue(h, v);
    EXPECT_EQ(h, c.endH);
    EXPECT_EQ(v, c.endV);
  }
}

TEST_F(ViewScroll, ContentOfTheViewsSizeCannotScroll) {
  cStripeView* view = Striped(R(0, 0, 100, 100));
  view->EnableViewScroll(kSpHorizontalScrollBar);
  view->EnableViewScroll(kSpVerticalScrollBar);
  EXPECT_EQ(view->IsEnableViewScroll(kSpHorizontalScrollBar), 0);
  short dh = 10, dv = 10, h = 10, v = 10;
  EXPECT_EQ(view->ScrollView(dh, dv, 1, 0, 0, 0), 0);
  EXPECT_EQ(view->SetScrollValue(h, v, 1, 0, 0, 0), 0);
}

TEST_F(ViewScroll, ShrinkingTheContentPullsTheScrollValueBack) {
  cStripeView* view = Striped(R(0, 0, 100, 100));
  view->SetupViewScrollArea(300, -1, 0, 0);
  short h = 180, v = -1;
  view->SetScrollValue(h, v, 0, 0, 0, 0);
  view->SetupViewScrollArea(250, -1, 1, 0);
  view->GetScrollValue(h, v);
  EXPECT_EQ(h, 150) << "back to the new maximum";
  EXPECT_EQ(view->IsEnableViewScroll(kSpHorizontalScrollBar), 1);
  // Content no larger than the view: the direction is off, and the value back at 0, so that
  // nothing past the content shows.
  view->SetupViewScrollArea(80, -1, 1, 0);
  view->GetScrollValue(h, v);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(view->IsEnableViewScroll(kSpHorizontalScrollBar), 0);
  ExpectShowsContent(view, R(0, 0, 100, 100));
}

struct ShiftCase {
  short dh, dv;
  bool whole;          // the whole view waits (a jump) rather than a strip
  short keptH, keptV;  // a point the shift keeps, from the view's top-left
  short newH, newV;    // a point the shift uncovers
  const char* why;
};

TEST_F(ViewScroll, StepsUpToTwoThirdsShiftTheImageAndShowTheSamePixelsAsARedraw) {
  // A 90 x 90 view: two thirds is 60.
  const ShiftCase cases[] = {
      {60, 0, false, 5, 45, 85, 45, "exactly two thirds across: shifted"},
      {61, 0, true, 5, 45, 85, 45, "one pixel more: redrawn whole"},
      {0, -60, false, 45, 85, 45, 5, "two thirds up: shifted"},
      {-7, 13, false, 45, 45, 3, 85, "a small step both ways: two strips"},
      {0, 61, true, 45, 5, 45, 85, "one pixel more down: redrawn whole"},
  };
  const Rect place = R(20, 30, 110, 120);
  cStripeView* view = Striped(place);
  view->SetupViewScrollArea(400, 400, 0, 0);
  view->SetupUnderViewImageOffFlag(1, 0);
  for (const ShiftCase& c : cases) {
    SCOPED_TRACE(c.why);
    short h = 150, v = 150;
    view->SetScrollValue(h, v, 0, 0, 1, 0);
    ExpectShowsContent(view, place);
    short dh = c.dh, dv = c.dv;
    ASSERT_EQ(view->ScrollView(dh, dv, 0, 0, 0, 0), 1);
    // What the shift kept waits only when the whole view is redrawn.
    RgnHandle pending = NewRgn();
    view->GetViewClippingRgn(pending);
    view->GetScrollValue(h, v);
    EXPECT_EQ(PtInRgn(Pt(short(h + c.keptH), short(v + c.keptV)), pending) != 0, c.whole);
    EXPECT_TRUE(PtInRgn(Pt(short(h + c.newH), short(v + c.newV)), pending));
    DisposeRgn(pending);
    Redraw();
    ExpectShowsContent(view, place);
  }
}

// The rectangle of what waits to be drawn in the view, in content coordinates.
Rect Waiting(const cSp_View* view) {
  RgnHandle pending = NewRgn();
  view->GetViewClippingRgn(pending);
  Rect waits;
  GetRegionBounds(pending, &waits);
  DisposeRgn(pending);
  return waits;
}

TEST_F(ViewScroll, AViewThatShowsTheViewsUnderItIsRedrawnWhole) {
  View(R(40, 40, 200, 200), kRed);
  cStripeView* view = Striped(R(0, 0, 90, 90));
  view->SetupViewScrollArea(400, 400, 0, 0);
  Redraw();
  short dh = 10, dv = 0;
  ASSERT_EQ(view->ScrollView(dh, dv, 0, 0, 0, 0), 1);
  EXPECT_EQ(Show(Waiting(view)), Show(R(0, 10, 90, 100))) << "all it shows, in content coordinates";
}

TEST_F(ViewScroll, AViewThatCouldShowViewsUnderItButHasNoneThereShiftsItsImage) {
  cStripeView* view = Striped(R(0, 0, 90, 90));
  view->SetupViewScrollArea(400, 400, 0, 0);
  Redraw();
  short dh = 10, dv = 0;
  ASSERT_EQ(view->ScrollView(dh, dv, 0, 0, 0, 0), 1);
  EXPECT_EQ(Show(Waiting(view)), Show(R(0, 90, 90, 100))) << "only the uncovered strip";
  Redraw();
  ExpectShowsContent(view, R(0, 0, 90, 90));
}

TEST_F(ViewScroll, AShiftRepaintsTheViewsAboveThatShowIt) {
  cStripeView* view = Striped(R(0, 0, 90, 90));
  view->SetupViewScrollArea(400, 400, 0, 0);
  view->SetupUnderViewImageOffFlag(1, 0);
  // A view above it that paints only a corner: the rest of its image is the striped view's.
  cColourView* above = View(R(30, 30, 60, 60), kRed);
  above->content_ = R(0, 0, 5, 5);
  Redraw();
  short dh = 20, dv = 0;
  view->ScrollView(dh, dv, 0, 0, 1, 0);
  EXPECT_EQ(Px(31, 31), kRed);
  EXPECT_EQ(Px(50, 50), Stripe(50 + 20, 50)) << "the image under the upper view moved too";
}

TEST_F(ViewScroll, ABarSharedByTwoViewsMovesTheOtherViewNotTheFirstAgain) {
  cStripeView* a = Striped(R(0, 0, 100, 100));
  cStripeView* b = Striped(R(0, 150, 100, 250));
  for (cStripeView* v : {a, b}) v->SetupViewScrollArea(300, 100, 0, 0);
  const Rect barRect = R(100, 0, 116, 100);
  a->SetupViewScrollAtAutoSetup(&barRect, nullptr);
  cScrollBarObj* bar = a->GetViewScrollBarPtr(kSpHorizontalScrollBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(a->IsEnableViewScroll(kSpHorizontalScrollBar), 1);
  b->SetupViewScrollBar(kSpHorizontalScrollBar, bar);
  EXPECT_EQ(Fake(bar)->views.size(), 2u);

  Log().clear();
  short dh = 30, dv = 0;
  ASSERT_EQ(a->ScrollView(dh, dv, 0, 1, 1, 1), 1);
  short h = 0, v = 0;
  a->GetScrollValue(h, v);
  EXPECT_EQ(h, 30) << "the first view is not scrolled again by the bar";
  b->GetScrollValue(h, v);
  EXPECT_EQ(h, 30);
  EXPECT_EQ(Fake(bar)->value, 30);
  EXPECT_EQ(Log(), (std::vector<std::string>{"after 30,0 by 30,0"}))
      << "the follower was scrolled without its own notification";
  Redraw();
  ExpectShowsContent(b, R(0, 150, 100, 250));

  // Output off hides the bar, on shows it again.
  a->DisableViewOutput(0);
  EXPECT_EQ(Fake(bar)->visible, 0);
  a->EnableViewOutput(0);
  EXPECT_EQ(Fake(bar)->visible, 1);

  // A view that goes lets go of the bar, so that the bar never reaches it again.
  a->ExecViewObjDeleteReady();
  ASSERT_EQ(Bars().size(), 1u);
  EXPECT_EQ(Fake(bar)->views, std::vector<cSp_View*>{b});
  b->ExecViewObjDeleteReady();
  EXPECT_TRUE(Bars().empty()) << "the last view took the bar with it";
}

TEST_F(ViewScroll, ContainedViewsAreToldOfTheirContainersScroll) {
  cStripeView* outer = Striped(R(0, 0, 100, 100));
  outer->SetupViewScrollArea(100, 400, 0, 0);
  Striped(R(0, 0, 50, 50), outer);
  Log().clear();
  short dh = 0, dv = 40;
  outer->ScrollView(dh, dv, 0, 0, 0, 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"item told 0,40"}))
      << "without notify the view itself hears nothing, its item does";
}

TEST_F(ViewScroll, ATargetInAScrolledItemIsBroughtIntoSightByItsContainer) {
  // The container shows 100 of its 400 rows; the item lies at its rows 200 to 300 and is
  // itself scrolled down by 100, so its content row 120 sits at container row 220.
  cStripeView* container = Striped(R(0, 0, 100, 100));
  container->SetupViewScrollArea(100, 400, 0, 0);
  cStripeView* item = Striped(R(200, 0, 300, 100), container);
  item->SetupViewScrollArea(100, 300, 0, 0);
  short h = -1, v = 100;
  item->SetScrollValue(h, v, 0, 0, 0, 0);

  Rect target = R(120, 0, 130, 10);
  unsigned char scrolled = 0;
  item->ScrollForToShowTargetPosition(target, scrolled, 1);
  EXPECT_EQ(scrolled, 1);
  EXPECT_EQ(Show(target), Show(R(220, 0, 230, 10))) << "in the container's content";
  container->GetScrollValue(h, v);
  EXPECT_EQ(v, 130) << "the least scroll that shows container rows 220 to 230";
  // Window row 95 shows the item's content row 120 + 5.
  EXPECT_EQ(Px(5, 95), Stripe(5, 125));
}

// A shift in each direction leaves exactly the uncovered strip waiting (in content
// coordinates, at the new scroll value), and after the redraw every pixel of the view, the
// strip's last line included, shows the content.
TEST_F(ViewScroll, AShiftRepaintsExactlyTheStripItUncoversInEachDirection) {
  const struct {
    short dh, dv;
    Rect strip;
    const char* why;
  } cases[] = {
      {13, 0, R(150, 240, 240, 253), "right: the strip at the right edge"},
      {-13, 0, R(150, 137, 240, 150), "left: the strip at the left edge"},
      {0, 13, R(240, 150, 253, 240), "down: the strip at the bottom"},
      {0, -13, R(137, 150, 150, 240), "up: the strip at the top"},
  };
  const Rect place = R(20, 30, 110, 120);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    stripes_.clear();
    cStripeView* view = Striped(place);
    view->SetupViewScrollArea(400, 400, 0, 0);
    view->SetupUnderViewImageOffFlag(1, 0);
    short h = 150, v = 150;
    view->SetScrollValue(h, v, 0, 0, 1, 0);
    short dh = c.dh, dv = c.dv;
    ASSERT_EQ(view->ScrollView(dh, dv, 0, 0, 0, 0), 1);
    EXPECT_EQ(Show(Waiting(view)), Show(c.strip));
    Redraw();
    view->GetScrollValue(h, v);
    int wrong = 0;
    for (short y = place.top; y < place.bottom; ++y) {
      for (short x = place.left; x < place.right; ++x) {
        if (Px(x, y) != Stripe(x - place.left + h, y - place.top + v)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace view_test
