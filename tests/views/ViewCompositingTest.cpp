// Compositing: which views a change marks, what each offscreen holds (the back colour, the
// images of the views under it, its content), translucency, views drawn in their holder's
// offscreen, views their containers hide, and the animations.
#include "Clock.h"
#include "ViewTestSupport.h"

namespace view_test {
namespace {

class ViewCompositing : public ViewFixture {};

struct MarkCase {
  Rect changed;  // window coordinates, on view A
  bool a, b, c;  // which views wait afterwards
  const char* why;
};

TEST_F(ViewCompositing, AChangeMarksOnlyTheViewsThatShowIt) {
  cColourView* a = View(R(0, 0, 100, 100), kRed);
  cColourView* b = View(R(50, 50, 150, 150), kBlue);
  cColourView* c = View(R(200, 200, 250, 250), kGreen);
  const MarkCase cases[] = {
      {R(300, 300, 310, 310), false, false, false, "outside the view: nothing"},
      {R(10, 10, 20, 20), true, false, false, "a part no other view covers"},
      {R(60, 60, 70, 70), true, true, false, "a part under B: B keeps a copy of it"},
  };
  for (const MarkCase& mc : cases) {
    SCOPED_TRACE(mc.why);
    Redraw();
    const Rect whole = R(0, 0, 300, 400);
    ValidWindowRect(window_, &whole);
    a->SetupModifyDrawingRectAndFlag(&mc.changed, 1);
    EXPECT_EQ(a->IsWaitRedraw() != 0, mc.a);
    EXPECT_EQ(b->IsWaitRedraw() != 0, mc.b);
    EXPECT_EQ(c->IsWaitRedraw() != 0, mc.c);
    const Rect waiting = sp_testing::UpdateRegionBounds(window_);
    EXPECT_EQ(Show(waiting), mc.a ? Show(Offset(mc.changed, 100, 100)) : Show(R(0, 0, 0, 0)));
  }
  // B waits only for the part that changed, in its own content coordinates.
  RgnHandle pending = NewRgn();
  b->GetViewClippingRgn(pending);
  Rect bounds;
  GetRegionBounds(pending, &bounds);
  EXPECT_EQ(Show(bounds), Show(R(10, 10, 20, 20)));
  DisposeRgn(pending);
}

TEST_F(ViewCompositing, AViewShowsTheViewsUnderItWhereItsContentLeavesRoom) {
  View(R(0, 0, 100, 100), kRed);
  cColourView* b = View(R(50, 50, 150, 150), kBlue);
  b->content_ = R(0, 0, 25, 25);
  Redraw();
  EXPECT_EQ(Px(25, 25), kRed);
  EXPECT_EQ(Px(60, 60), kBlue);
  EXPECT_EQ(Px(90, 90), kRed) << "A's image lies under B";
  EXPECT_EQ(Px(120, 120), kBack) << "the back colour where nothing lies under B";
  EXPECT_EQ(Px(175, 175), kWhite) << "no view: the window is not touched";

  b->SetupUnderViewImageOffFlag(1, 1);
  EXPECT_EQ(Px(90, 90), kBack);
  EXPECT_EQ(Px(25, 25), kRed);
}

TEST_F(ViewCompositing, ADisabledViewShowsTheBackColourAndTheViewsUnderIt) {
  View(R(0, 0, 100, 100), kRed);
  cColourView* b = View(R(50, 50, 150, 150), kBlue);
  Redraw();
  b->DisableViewOutput(1);
  EXPECT_EQ(Px(75, 75), kRed);
  EXPECT_EQ(Px(125, 125), kBack);
  b->EnableViewOutput(1);
  EXPECT_EQ(Px(75, 75), kBlue);
  EXPECT_EQ(Px(125, 125), kBlue);
}

struct TranslucentCase {
  tTransmitType type;
  float rate;
  UInt32 outside, inside;  // around and in the content's square
  const char* why;
};

TEST_F(ViewCompositing, TranslucentViewsBlendOverWhatLiesUnderThem) {
  const TranslucentCase cases[] = {
      {kSpTransmitBackgroundType, 100, kRed, kBlue, "type 1 at 100: the view under, content on top"},
      {kSpTransmitBackgroundType, 0, kGreen, kBlue, "type 1 at 0: the background, content on top"},
      {kSpTransmitContentType, 0, kRed, kBlue, "type 2 at 0: the content image, opaque"},
      {kSpTransmitContentType, 100, kRed, kRed, "type 2 at 100: the content does not show"},
  };
  View(R(0, 0, 100, 100), kRed);
  cColourView* t = View(R(0, 0, 100, 100), kBlue);
  t->content_ = R(40, 40, 60, 60);
  t->background_ = kGreen;
  for (const TranslucentCase& c : cases) {
    SCOPED_TRACE(c.why);
    t->TransmitViewTurnOn(c.type, c.rate, 1);
    EXPECT_EQ(Px(10, 10), c.outside);
    EXPECT_EQ(Px(50, 50), c.inside);
  }
  // Half way: each channel half of each.
  t->TransmitViewTurnOn(kSpTransmitBackgroundType, 50, 1);
  const UInt32 mixed = Px(10, 10);
  EXPECT_NEAR(int(mixed >> 16), 0x80, 2);
  EXPECT_NEAR(int((mixed >> 8) & 0xFF), 0x80, 2);
  EXPECT_EQ(t->SetupTransmitViewRate(50, 1), 0) << "the same rate changes nothing";
  // A new rate alone, without turning the translucency on again, reaches the pixels.
  EXPECT_EQ(t->SetupTransmitViewRate(100, 1), 1);
  EXPECT_EQ(Px(10, 10), kRed);
  EXPECT_EQ(t->SetupTransmitViewRate(0, 1), 1);
  EXPECT_EQ(Px(10, 10), kGreen);

  t->TransmitViewTurnOff(1, 1);
  EXPECT_EQ(Px(10, 10), kRed) << "opaque again: only the content's square is painted";
  EXPECT_EQ(Px(50, 50), kBlue);
}

TEST_F(ViewCompositing, ViewsDrawnInTheirHoldersOffscreenLandWhereTheHolderShowsThem) {
  cColourView* holder = View(R(0, 0, 100, 100), kRed);
  holder->SetScroll(5, 5);
  cColourView* item = View(R(10, 10, 30, 30), kBlue, holder, 1);
  cColourView* inner = View(R(2, 2, 6, 6), kGreen, item, 1);
  holder->SetupModifyDrawingRectAndFlag(nullptr, 1);
  Redraw();
  EXPECT_EQ(item->GetTargetOffscreenGWorld(), holder->GetTargetOffscreenGWorld());
  EXPECT_EQ(inner->GetOffscreenView(), holder);
  EXPECT_EQ(Px(4, 4), kRed);
  EXPECT_EQ(Px(6, 6), kBlue);
  EXPECT_EQ(Px(8, 8), kGreen);
  EXPECT_EQ(Px(12, 12), kBlue);
  EXPECT_EQ(Px(26, 26), kRed);

  // A change of the item marks its holder, which paints that part and the item again.
  item->rgb_ = kGreen;
  item->SetupModifyDrawingRectAndFlag(nullptr, 1);
  EXPECT_EQ(holder->IsWaitRedraw(), 1);
  Redraw();
  EXPECT_EQ(Px(6, 6), kGreen);
  EXPECT_EQ(Px(4, 4), kRed);
}

TEST_F(ViewCompositing, WhatAContainerHidesOfItsItemsNeverReachesTheWindow) {
  cColourView* c = View(R(100, 100, 200, 200), kGreen);
  cColourView* x = View(R(0, 0, 50, 50), kRed, c);
  c->SetScroll(30, 10);
  c->SetupModifyDrawingRectAndFlag(nullptr, 1);
  Redraw();
  EXPECT_EQ(Px(110, 110), kRed);
  EXPECT_EQ(Px(130, 145), kGreen);
  EXPECT_EQ(Px(95, 95), kWhite) << "the part of the item outside its container";
  EXPECT_EQ(Px(80, 130), kWhite);

  // Scrolled out entirely: the item draws nothing and keeps what waits.
  c->SetScroll(60, 60);
  const Rect pending = R(0, 0, 10, 10);
  x->AddViewClippingRect(pending);
  x->SetupRedrawFlag(1);
  EXPECT_EQ(x->DrawOffscreen(0), 0);
  EXPECT_EQ(x->IsWaitRedraw(), 1);
  EXPECT_EQ(x->EmptyViewClippingArea(), 0);
}

TEST_F(ViewCompositing, AViewWhoseContentWasOnceEmptyIsShownWhenItDrawsAgain) {
  cColourView* v = View(R(0, 0, 50, 50), cColourView::kNone);
  Redraw();
  EXPECT_EQ(Px(10, 10), kWhite) << "nothing drawn: the window keeps what it had";
  v->rgb_ = kRed;
  v->SetupModifyDrawingRectAndFlag(nullptr, 1);
  Redraw();
  EXPECT_EQ(Px(10, 10), kRed);
}

TEST_F(ViewCompositing, ImmediateCopyPutsTheViewsAboveBackOnTopWhenAsked) {
  cColourView* a = View(R(0, 0, 100, 100), kRed);
  View(R(50, 50, 150, 150), kBlue);
  Redraw();
  for (unsigned char upper : {0, 1}) {
    sp_testing::FillPort(GetWindowPort(window_), 0);
    a->UpdateViewableDrawingArea(0, upper, nullptr);
    EXPECT_EQ(Px(25, 25), kRed);
    EXPECT_EQ(Px(75, 75), upper != 0 ? kBlue : kRed);
    EXPECT_EQ(Px(125, 125), 0u) << "only A's area is copied";
  }
}

TEST_F(ViewCompositing, ImagesOfAViewAndOfWhatLiesUnderItForOtherPorts) {
  View(R(0, 0, 100, 100), kRed);
  cColourView* b = View(R(50, 50, 150, 150), kBlue);
  b->content_ = R(0, 0, 25, 25);
  Redraw();

  GWorldPtr image = nullptr;
  Rect bounds;
  ASSERT_EQ(b->GetImageOffscreen(nullptr, 1, nullptr, 0, 32, image, bounds), 1);
  EXPECT_EQ(Show(bounds), Show(R(0, 0, 100, 100)));
  EXPECT_EQ(sp_testing::ReadPixel(image, 10, 10), kBlue);
  EXPECT_EQ(sp_testing::ReadPixel(image, 40, 40), kWhite) << "painted white, no content there";
  DisposeGWorld(image);

  GWorldPtr under = nullptr;
  ASSERT_EQ(NewGWorld(&under, 32, &bounds, nullptr, nullptr, 0), noErr);
  EXPECT_EQ(b->DrawBackgoundToTargetPort(under, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(sp_testing::ReadPixel(under, 10, 10), kRed) << "A lies under B there";
  EXPECT_EQ(sp_testing::ReadPixel(under, 80, 80), kBack);
  DisposeGWorld(under);

  // Drawing straight into the offscreen: under it the views below, then what is drawn.
  ASSERT_EQ(b->BeginDraw(), 1);
  const RGBColor green = Colour(kGreen);
  RGBForeColor(&green);
  const Rect corner = R(0, 0, 10, 10);
  PaintRect(&corner);
  b->EndDraw();
  b->PutPictureOnWindowFromOffscreen();
  EXPECT_EQ(Px(55, 55), kGreen);
  EXPECT_EQ(Px(90, 90), kRed);
  EXPECT_EQ(Px(120, 120), kBack);
}

// Frames as the animation draws them: the tick of each, and the frame that ends it.
struct Frames {
  std::vector<UInt32> ticks;
  SInt32 last;
};

unsigned char DrawBlueFrame(unsigned long refCon, SInt32& frameNo, GrafPtr, short, short,
                            unsigned char& copyNow, RgnHandle, unsigned char&, RgnHandle) {
  Frames* frames = reinterpret_cast<Frames*>(refCon);
  frames->ticks.push_back(TickCount());
  const RGBColor blue = Colour(kBlue);
  RGBForeColor(&blue);
  const Rect all = R(-100, -100, 100, 100);
  PaintRect(&all);
  copyNow = 1;
  return frameNo >= frames->last ? 1 : 0;
}

TEST_F(ViewCompositing, AnimationFramesComeNoSoonerThanTheirIntervalAndReachTheWindow) {
  cColourView* v = View(R(0, 0, 50, 50), kRed);
  Redraw();
  for (SInt32 last : {0, 2}) {
    Frames frames{{}, last};
    v->AnimationDrawing(nullptr, 5, reinterpret_cast<unsigned long>(&frames), DrawBlueFrame);
    ASSERT_EQ(frames.ticks.size(), std::size_t(last + 1));
    for (std::size_t i = 1; i < frames.ticks.size(); ++i) {
      EXPECT_EQ(frames.ticks[i] - frames.ticks[i - 1], 5u);
    }
  }
  EXPECT_EQ(Px(10, 10), kBlue);
}

TEST_F(ViewCompositing, FadeStepsFromRateToRateAndEndsAtTheLast) {
  View(R(0, 0, 100, 100), kRed);
  cColourView* v = View(R(0, 0, 100, 100), kBlue);
  Redraw();
  const int before = v->draws_;
  const UInt32 start = TickCount();
  v->AnimationDrawingByTransmitRateChange(nullptr, 2, 100, 0, -30, 1, 0);
  EXPECT_EQ(v->draws_ - before, 5) << "100, 70, 40, 10, 0";
  EXPECT_EQ(TickCount() - start, 8u);
  EXPECT_EQ(Px(10, 10), kBlue) << "at rate 0 the view is opaque";

  v->AnimationDrawingByTransmitRateChange(nullptr, 2, 100, 0, 30, 1, 0);
  EXPECT_EQ(v->draws_ - before, 5) << "a step away from the end rate draws nothing";
  EXPECT_TRUE(errors_.Has("cSp_View::AnimationDrawingByTransmitRateChange", 1));
}

}  // namespace
}  // namespace view_test
