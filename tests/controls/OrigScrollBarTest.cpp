// The framework-drawn scroll bar: its layout for lengths and values (the degenerate ones
// included), the part under a point, arrows held on the virtual clock, the thumb dragged to
// both ends, the target view it mirrors and drives, and its look active and inactive.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpOC_ScrollBarControl.h"
#include "SpStdDrawingFunction.h"
#include "TestClock.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void NoteModify(SInt32 value, short, unsigned long refCon, unsigned char thumb) {
  Log().push_back((refCon == 1 ? "modify " : "done ") + std::to_string(value) +
                  (thumb != 0 ? " thumb" : ""));
}

short TargetV(const cSp_View& view) {
  short h = 0, v = 0;
  view.GetScrollValue(h, v);
  return v;
}

// A pixel of the window within one step of the colour (8 bits a channel).
bool Near(UInt32 pixel, const RGBColor& c) {
  const int want[] = {c.red >> 8, c.green >> 8, c.blue >> 8};
  const int got[] = {int(pixel >> 16) & 0xFF, int(pixel >> 8) & 0xFF, int(pixel) & 0xFF};
  for (int i = 0; i < 3; ++i) {
    if (std::abs(want[i] - got[i]) > 1) return false;
  }
  return true;
}

RGBColor Percent(float r, float g, float b) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, r, g, b);
  return c;
}

RGBColor Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

// A vertical bar 16 x 200 at (300, 10) of its window beside a target view 280 x 100 whose
// content is 400 high: total 400, page 100. Bar point (x, y) is window point (300 + x, 10 + y).
class OrigScrollBar : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Log().clear();
    const Rect content = {100, 100, 400, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    target_.reset(new cSp_View(window_, Rect{10, 10, 110, 290}, 0, 0, nullptr, 0));
    target_->SetupViewScrollArea(280, 400, 0, 1);
    bar_.reset(new cSp_OrigScrollBarControl(window_, Rect{10, 300, 210, 316}, target_.get(),
                                            nullptr, 0));
    bar_->SetupScrollModifyValueProc(NoteModify, 1);
    bar_->SetupScrollModifyValueCmpleateProc(NoteModify, 2);
  }
  void TearDown() override {
    bar_.reset();
    target_.reset();
    Sp_EnableMouseTrace(0);
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  static Point At(short x, short y) { return Point{short(10 + y), short(300 + x)}; }
  UInt32 Pixel(short x, short y) const {
    return sp_testing::ReadPixel(GetWindowPort(window_), short(300 + x), short(10 + y));
  }
  std::string Joined() const {
    std::string out;
    for (const auto& s : Log()) out += s + "; ";
    return out;
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_View> target_;
  std::unique_ptr<cSp_OrigScrollBarControl> bar_;
  ErrorLogCapture errors_;
};

TEST_F(OrigScrollBar, TheThumbFollowsTheLengthsAndValueAndDegenerateLengthsLeaveItWhole) {
  // Track: 18 ... 182 (two pixels clear of each 16-pixel arrow), 164 pixels long.
  const struct {
    short total, page, value;
    short thumbTop, thumbBottom, valueAfter;
    bool inactive;
    const char* why;
  } cases[] = {
      {400, 100, 0, 18, 59, 0, false, "a quarter of the track at its start"},
      {400, 100, 150, 79, 120, 150, false, "half way: 123 x 150 / 300 = 61.5, cut to 61"},
      {400, 100, 300, 141, 182, 300, false, "at the maximum the thumb ends with the track"},
      {400, 100, 500, 141, 182, 500, false, "past the maximum likewise (the value is kept)"},
      {400, 100, -5, 18, 59, -5, false, "below 0 the thumb stays at the start"},
      {100, 100, 40, 18, 182, 0, true, "the page covers it all: inactive, value 0"},
      {50, 100, 10, 18, 182, 0, true, "a page longer than the total likewise"},
      {0, 0, 0, 18, 182, 0, true, "nothing to scroll divides by nothing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    cSp_OrigScrollBarControl bar(window_, Rect{10, 330, 210, 346}, c.total, c.page, c.value,
                                 nullptr, 0);
    EXPECT_EQ(bar.GetOrientation(), 2);
    EXPECT_EQ(bar.GetTrackLength(), 164.0f);
    EXPECT_EQ(bar.GetThumbRect().top, c.thumbTop);
    EXPECT_EQ(bar.GetThumbRect().bottom, c.thumbBottom);
    EXPECT_EQ(bar.GetThumbRect().left, 3);
    EXPECT_EQ(bar.GetThumbRect().right, 13);
    EXPECT_EQ(bar.GetOrigScrollBarScrollValue(), c.valueAfter);
    EXPECT_EQ(bar.IsInactive() != 0, c.inactive);
  }
  cSp_OrigScrollBarControl bar(window_, Rect{10, 330, 210, 346}, 400, 100, 0, nullptr, 0);
  EXPECT_NEAR(bar.GetUnitsPerPixel(), 300.0f / 123.0f, 1e-4);
  // Too short for a track: the arrows still step, the thumb has no room and drags nothing.
  cSp_OrigScrollBarControl tiny(window_, Rect{10, 330, 40, 346}, 400, 100, 0, nullptr, 0);
  EXPECT_EQ(tiny.GetTrackLength(), 0.0f);
  EXPECT_EQ(tiny.GetUnitsPerPixel(), 0.0f);
  EXPECT_EQ(tiny.IsInactive(), 0);
  EXPECT_EQ(tiny.ExecScrollValue(1), 1);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(OrigScrollBar, APointHitsTheTriangleOfAnArrowTheThumbAcrossTheTrackOrAPage) {
  bar_->SetOrigScrollBarScrollValue(150, 0);  // thumb 79 ... 120
  cSp_OrigScrollBarControl horizontal(window_, Rect{250, 10, 266, 210}, 400, 100, 150, nullptr,
                                      0);
  const struct {
    bool vertical;
    short x, y;
    tOrigScrollBarPartType part;
    const char* why;
  } cases[] = {
      {true, 8, 2, kOSB_FirstArrowPart, "near the up arrow's apex"},
      {true, 1, 2, kOSB_NoPart, "the corner of the arrow's square is outside the triangle"},
      {true, 8, 16, kOSB_FirstArrowPart, "the triangle reaches a pixel past its square"},
      {true, 8, 17, kOSB_NoPart, "the gap before the track"},
      {true, 8, 40, kOSB_PageBeforePart, "above the thumb"},
      {true, 1, 100, kOSB_ThumbPart, "the thumb counts across the whole track"},
      {true, 8, 150, kOSB_PageAfterPart, "below the thumb"},
      {true, 8, 195, kOSB_SecondArrowPart, "the down arrow"},
      {true, 1, 198, kOSB_NoPart, "beside the down arrow's apex"},
      {true, 20, 100, kOSB_NoPart, "beside the bar"},
      {false, 2, 8, kOSB_FirstArrowPart, "a wide bar is horizontal: left arrow"},
      {false, 40, 8, kOSB_PageBeforePart, "left of its thumb"},
      {false, 197, 8, kOSB_SecondArrowPart, "its right arrow"},
  };
  for (const auto& c : cases) {
    const Point p = c.vertical ? At(c.x, c.y) : Point{short(250 + c.y), short(10 + c.x)};
    const cSp_OrigScrollBarControl& bar = c.vertical ? *bar_ : horizontal;
    EXPECT_EQ(bar.GetPartsTypeByMousePosit(p), c.part) << c.why;
  }
  EXPECT_EQ(horizontal.GetOrientation(), 1);
}

TEST_F(OrigScrollBar, AHeldArrowStepsAtOnceThenAfterTheIntervalOncePerTrackingStep) {
  bar_->SetScrollAddValue(10);
  const Point arrow = At(8, 195), track = At(8, 150);
  ASSERT_EQ(bar_->HotSpotMouseDonwProc(0, arrow), 1);
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 10);
  EXPECT_EQ(TargetV(*target_), 10) << "the target scrolls with the bar";
  EXPECT_EQ(bar_->IsArrowPressed(), 1);
  EXPECT_TRUE(Sp_IsMouseTraceDisabled());

  sp_testing::AdvanceClockTicks(19);
  EXPECT_EQ(bar_->HotSpotMouseDownTraceProc(0, arrow), 1);
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 10) << "the repeat waits 20 ticks";
  sp_testing::AdvanceClockTicks(1);
  bar_->HotSpotMouseDownTraceProc(0, arrow);
  bar_->HotSpotMouseDownTraceProc(0, arrow);
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 30) << "then one step per tracking step";

  bar_->HotSpotMouseDownTraceProc(0, track);
  EXPECT_EQ(bar_->IsArrowPressed(), 0) << "off the arrow it is released";
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 30);
  bar_->HotSpotMouseDownTraceProc(0, arrow);
  EXPECT_EQ(bar_->IsArrowPressed(), 1);
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 40) << "back on it, the steps go on";

  EXPECT_EQ(bar_->HotSpotMouseUpProc(0, arrow), 1);
  EXPECT_EQ(Joined(), "modify 10; modify 20; modify 30; modify 40; done 40; ");
  EXPECT_EQ(bar_->IsArrowPressed(), 0);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());

  // Paging stops where the thumb reaches the mouse, and at the end.
  Log().clear();
  ASSERT_EQ(bar_->HotSpotMouseDonwProc(0, At(8, 170)), 1);
  sp_testing::AdvanceClockTicks(20);
  for (int i = 0; i < 5; ++i) bar_->HotSpotMouseDownTraceProc(0, At(8, 170));
  bar_->HotSpotMouseUpProc(0, At(8, 170));
  EXPECT_EQ(Joined(), "modify 140; modify 240; modify 300; done 300; ");
  EXPECT_EQ(bar_->GetPartsTypeByMousePosit(At(8, 170)), kOSB_ThumbPart);
}

TEST_F(OrigScrollBar, TheDraggedThumbMovesByUnitsPerPixelAndStopsAtBothEnds) {
  bar_->SetOrigScrollBarScrollValue(150, 0);
  ASSERT_EQ(bar_->HotSpotMouseDonwProc(0, At(8, 100)), 1);
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 150) << "a press on the thumb only records";
  bar_->HotSpotMouseDownTraceProc(0, At(8, 100));
  bar_->HotSpotMouseDownTraceProc(0, At(8, 110));  // 10 x 300 / 123 = 24.4
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 174);
  EXPECT_EQ(TargetV(*target_), 174);
  bar_->HotSpotMouseDownTraceProc(0, At(40, 400));
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 300);
  EXPECT_EQ(bar_->GetThumbRect().bottom, 182);
  bar_->HotSpotMouseDownTraceProc(0, At(8, -100));
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 0);
  bar_->HotSpotMouseUpProc(0, At(8, -100));
  EXPECT_EQ(Joined(), "modify 174 thumb; modify 300 thumb; modify 0 thumb; done 0; ");

  // A press and release that changed nothing reports nothing.
  Log().clear();
  bar_->HotSpotMouseDonwProc(0, At(8, 30));
  bar_->HotSpotMouseUpProc(0, At(8, 30));
  EXPECT_EQ(Joined(), "");
}

TEST_F(OrigScrollBar, TheBarMirrorsItsTargetAndAnInactiveBarTakesNoPress) {
  EXPECT_EQ(bar_->GetOrigScrollBarCntPageTotalLength(), 400);
  EXPECT_EQ(bar_->GetOrigScrollBarCntPageOutputLength(), 100);
  EXPECT_EQ(bar_->SetupScrollValueFromTargetView(0, 1, 0, 0), 0) << "nothing changed";
  short h = -1, v = 120;
  target_->SetScrollValue(h, v, 1, 0, 0, 1);
  EXPECT_EQ(bar_->SetupScrollValueFromTargetView(0, 1, 0, 1), 1);
  EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), 120);
  EXPECT_EQ(bar_->ReflectToTargetView(), 0) << "the target stands there already";

  // A content smaller than the view: the page covers everything.
  target_->SetupViewScrollArea(280, 60, 0, 1);
  bar_->SetupScrollValueFromTargetView(1, 1, 0, 1);
  EXPECT_EQ(bar_->GetOrigScrollBarCntPageTotalLength(), 100);
  EXPECT_EQ(bar_->IsInactive(), 1);
  EXPECT_EQ(bar_->HotSpotMouseDonwProc(0, At(8, 195)), 0);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  EXPECT_EQ(Joined(), "");

  bar_->SetupTargetView(nullptr);
  EXPECT_TRUE(errors_.Has("cSp_OrigScrollBarControl::SetupTargetView", 1));
  cSp_OrigScrollBarControl loose(window_, Rect{10, 330, 210, 346}, 400, 100, 0, nullptr, 0);
  EXPECT_EQ(loose.ReflectToTargetView(), 0);
  EXPECT_EQ(loose.SetupScrollValueFromTargetView(1, 1, 0, 0), 0);
  EXPECT_EQ(loose.ExecPageScrollValue(1), 1);
  EXPECT_EQ(loose.GetOrigScrollBarScrollValue(), 100);
}

TEST_F(OrigScrollBar, ItDrawsShadedArrowsTrackAndThumbAndDimsWhenInactive) {
  Sp_RedrawViewWindow(window_, 0);
  const RGBColor black = {0, 0, 0}, white = {65535, 65535, 65535};
  const RGBColor arrow = Percent(80, 100, 40), held = Percent(97, 7, 11);
  const RGBColor frame = Percent(63, 77, 70), thumb = Percent(46, 34.5f, 90);
  EXPECT_TRUE(Near(Pixel(8, 190), arrow)) << "inside the down arrow";
  EXPECT_TRUE(Near(Pixel(8, 8), arrow)) << "inside the up arrow";
  EXPECT_TRUE(Near(Pixel(0, 100), Mix(frame, black, 0.6f))) << "the track's outer edge";
  EXPECT_TRUE(Near(Pixel(1, 100), frame));
  EXPECT_TRUE(Near(Pixel(3, 30), Mix(thumb, black, 0.3f))) << "the thumb's left column";
  EXPECT_TRUE(Near(Pixel(8, 18), Mix(thumb, black, 0.5f))) << "the thumb's top edge";
  EXPECT_TRUE(Near(Pixel(8, 40), Mix(white, thumb, 0.5f + 4 * 0.5f / 6))) << "shaded columns";

  bar_->HotSpotMouseDonwProc(0, At(8, 195));
  EXPECT_TRUE(Near(Pixel(8, 190), held)) << "a held arrow is drawn at once in its own colour";
  bar_->HotSpotMouseUpProc(0, At(8, 195));
  EXPECT_TRUE(Near(Pixel(8, 190), arrow));

  bar_->SetOrigScrollBarCntPageTotalLength(100, 1, 1);
  EXPECT_EQ(bar_->IsInactive(), 1);
  EXPECT_TRUE(Near(Pixel(8, 190), Mix(arrow, white, 0.5f)));
  EXPECT_TRUE(Near(Pixel(0, 100), frame)) << "the outer edge in the plain frame colour";
  EXPECT_TRUE(Near(Pixel(1, 100), Mix(frame, white, 0.5f)));
}

}  // namespace

// A press belongs to the part it began on: held over another part, neither part steps, and a
// release there completes only what the first part did.
TEST_F(OrigScrollBar, APartPressedAndHeldOverAnotherActsForNeither) {
  bar_->SetScrollAddValue(10);
  const struct {
    const char* why;
    short pressY, otherY;
    SInt32 afterPress;
  } cases[] = {
      {"up arrow, then the down arrow", 5, 195, 140},
      {"down arrow, then the up arrow", 195, 5, 160},
      {"page up, then the down arrow", 40, 195, 50},
      {"page down, then the up arrow", 150, 5, 250},
      {"up arrow, then the page below the thumb", 5, 150, 140},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    bar_->SetOrigScrollBarScrollValue(150, 0);
    Log().clear();
    ASSERT_EQ(bar_->HotSpotMouseDonwProc(0, At(8, c.pressY)), 1);
    EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), c.afterPress);
    sp_testing::AdvanceClockTicks(30);  // past the repeat interval
    for (int i = 0; i < 3; ++i) bar_->HotSpotMouseDownTraceProc(0, At(8, c.otherY));
    EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), c.afterPress);
    EXPECT_EQ(bar_->IsArrowPressed(), 0);
    bar_->HotSpotMouseUpProc(0, At(8, c.otherY));
    EXPECT_EQ(bar_->GetOrigScrollBarScrollValue(), c.afterPress);
    EXPECT_EQ(Joined(), "modify " + std::to_string(c.afterPress) + "; done " +
                            std::to_string(c.afterPress) + "; ");
  }
}
