// The slider: its orientation and knob from the rectangle, the knob's place for values at and
// past the limits, the value a point stands for (the reversed horizontal slider's half unit
// included), ranges with nothing to divide, and what a drag reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpSliderControl.h"
#include "SpViewClass.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void Note(SInt32 value, short modifiers, unsigned long refCon) {
  Log().push_back((refCon == 1 ? "m" : "c") + std::to_string(value) +
                  (modifiers != 0 ? "+" + std::to_string(modifiers) : ""));
}

std::string Joined() {
  std::string out;
  for (const auto& s : Log()) out += (out.empty() ? "" : " ") + s;
  return out;
}

// Sliders at (20, 20) of their window: offscreen point (h, v) is window point (20 + h, 20 + v).
// The standard one is 106 x 20 from 0 to 10, so its slit runs from 3 to 103: 10 pixels a unit.
class Slider : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Log().clear();
    const Rect content = {100, 100, 400, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  }
  void TearDown() override {
    slider_.reset();
    Sp_EnableMouseTrace(0);
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  cSp_OrigSliderControl* Make(short width, short height, tDirectionType direction,
                              SInt32 minimum = 0, SInt32 maximum = 10, SInt32 value = 0) {
    slider_.reset(new cSp_OrigSliderControl(window_,
                                            Rect{20, 20, short(20 + height), short(20 + width)},
                                            direction, minimum, maximum, value, nullptr, 0));
    slider_->SetupSliderModifyValueProc(Note, 1);
    slider_->SetupSliderModifyValueCmpleateProc(Note, 2);
    return slider_.get();
  }
  static Point At(short h, short v) { return Point{short(20 + v), short(20 + h)}; }
  // The value the slider takes for a press at the offscreen point.
  SInt32 ValueAt(short h, short v) {
    slider_->ChangeValueByMousePosit(1, At(h, v));
    return slider_->GetOrigSliderCntValue();
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_OrigSliderControl> slider_;
  ErrorLogCapture errors_;
};

TEST_F(Slider, TheRectangleSetsTheOrientationAndTheKnobsThickness) {
  const struct {
    short width, height;
    UInt8 orientation;
    short thickness;
  } cases[] = {
      {30, 30, cSp_OrigSliderControl::kHorizontal, 14},  // a square lies horizontally
      {100, 10, cSp_OrigSliderControl::kHorizontal, 10},
      {20, 100, cSp_OrigSliderControl::kVertical, 14},
      {8, 100, cSp_OrigSliderControl::kVertical, 8},
  };
  for (const auto& c : cases) {
    Make(c.width, c.height, 1);
    EXPECT_EQ(slider_->GetOrientation(), c.orientation) << c.width << " x " << c.height;
    EXPECT_EQ(slider_->GetKnobThickness(), c.thickness) << c.width << " x " << c.height;
  }
  Make(106, 20, 1);
  Rect slit, travel, knob;
  slider_->GetSlitRect(slit);
  slider_->GetKnobTravelRect(travel);
  slider_->GetKnobRect(knob);
  EXPECT_EQ((std::vector<short>{slit.left, slit.top, slit.right, slit.bottom}),
            (std::vector<short>{3, 7, 103, 12}));
  EXPECT_EQ((std::vector<short>{travel.left, travel.top, travel.right, travel.bottom}),
            (std::vector<short>{0, 3, 106, 17}));
  EXPECT_EQ((std::vector<short>{knob.left, knob.top, knob.right, knob.bottom}),
            (std::vector<short>{0, 2, 6, 16}));
}

TEST_F(Slider, TheKnobIsHeldAtTheEndOfTheLimitAValuePassesOnlyForDirectionsOneAndMinusOne) {
  const struct {
    tDirectionType direction;
    SInt32 value;
    short knobLeft;
  } cases[] = {
      {1, -5, 0},
      {1, 0, 0},
      {1, 5, 50},
      {1, 10, 100},
      {1, 15, 100},
      {-1, 15, 0},
      {-1, 10, 0},
      {-1, 5, 50},
      {-1, 0, 100},
      {-1, -5, 100},
      // Any other direction places the knob as -1 does, but past the end when the value is.
      {7, 3, 70},
      {7, 12, -20},
  };
  for (const auto& c : cases) {
    Make(106, 20, c.direction);
    slider_->SetOrigSliderCntValue(c.value, 0, 0);
    Rect knob;
    slider_->GetKnobRect(knob);
    EXPECT_EQ(knob.left, c.knobLeft) << "direction " << int(c.direction) << ", value " << c.value;
    EXPECT_EQ(slider_->GetOrigSliderCntValue(), c.value) << "the value is stored as given";
  }
}

TEST_F(Slider, APointMapsToTheNearestUnitButReversedHorizontallyHalfAUnitLater) {
  const struct {
    short width, height;
    tDirectionType direction;
    short h, v;
    SInt32 value;
    const char* why;
  } cases[] = {
      {106, 20, 1, 2, 10, 0, "left of the slit: the minimum"},
      {106, 20, 1, 7, 10, 0, "4 pixels in: under half a unit"},
      {106, 20, 1, 8, 10, 1, "5 pixels in: half a unit rounds up"},
      {106, 20, 1, 110, 10, 10, "right of the slit: the maximum"},
      {106, 20, -1, 89, 10, 0, "14 pixels from the right end"},
      {106, 20, -1, 88, 10, 1, "15 pixels: the half unit is taken off, not added"},
      {106, 20, -1, 0, 10, 10, "left of the slit: the maximum"},
      {106, 20, -1, 104, 10, 0, "right of the slit: the minimum"},
      {20, 106, 1, 10, 3, 0, "vertical: the minimum at the top"},
      {20, 106, 1, 10, 103, 10, "and the maximum at the bottom"},
      {20, 106, -1, 10, 98, 1, "vertical reversed: 5 pixels from the bottom end rounds up"},
      {20, 106, -1, 10, 99, 0, "4 pixels do not"},
  };
  for (const auto& c : cases) {
    Make(c.width, c.height, c.direction, 0, 10, 99);
    EXPECT_EQ(ValueAt(c.h, c.v), c.value) << c.why;
  }

  // Nothing to divide by: one value, or a slider too short for a track, gives the minimum.
  Make(106, 20, 1, 5, 5, 0);
  EXPECT_EQ(ValueAt(60, 10), 5);
  Make(6, 5, 1, 0, 10, 7);
  EXPECT_EQ(ValueAt(5, 2), 0);
  // A minimum above the maximum is refused.
  Make(106, 20, 1, 0, 10, 0);
  slider_->SetOrigSliderCntMaxMinValue(10, 0);
  EXPECT_TRUE(errors_.Has("cSp_OrigSliderControl::SetOrigSliderCntMaxMinValue", 1));
  SInt32 minimum = -1, maximum = -1;
  slider_->GetOrgSliderCntMaxMinValue(minimum, maximum, 0, 0);
  EXPECT_EQ(minimum, 0);
  EXPECT_EQ(maximum, 10);
}

TEST_F(Slider, ADragReportsEachChangeAndCompletesOnlyWhenTheValueMoved) {
  Make(106, 20, 1, 0, 10, 2);
  EXPECT_EQ(slider_->HotSpotMouseDonwProc(0, At(50, 1)), 0) << "above the knob's travel";
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());

  EXPECT_EQ(slider_->HotSpotMouseDonwProc(0, At(53, 10)), 1);
  EXPECT_TRUE(Sp_IsMouseTraceDisabled());
  EXPECT_EQ(slider_->IsTracking(), 1);
  slider_->HotSpotMouseDownTraceProc(0, At(63, 10));
  slider_->HotSpotMouseDownTraceProc(0, At(63, 10));
  slider_->HotSpotMouseDownTraceProc(0, At(23, 10));
  EXPECT_EQ(slider_->HotSpotMouseUpProc(0, At(23, 10)), 1);
  EXPECT_EQ(Joined(), "m5 m6 m2") << "back where it started: no completion";
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  EXPECT_EQ(slider_->IsTracking(), 0);

  Log().clear();
  slider_->HotSpotMouseDonwProc(0, At(53, 10));
  slider_->HotSpotMouseUpProc(shiftKey, At(53, 10));
  EXPECT_EQ(Joined(), "m5 c5+512");

  // From code: both procedures with notify, nothing for the same value.
  Log().clear();
  slider_->SetOrigSliderCntValue(25, 1, 1);
  slider_->SetOrigSliderCntValue(25, 1, 1);
  EXPECT_EQ(Joined(), "m25 c25");

  // Asking for the range with variables that already hold it marks nothing.
  Sp_RedrawViewForUpdateEvent(window_);
  SInt32 minimum = 0, maximum = 10;
  slider_->GetOrgSliderCntMaxMinValue(minimum, maximum, 1, 0);
  EXPECT_EQ(slider_->IsWaitRedraw(), 0);
  maximum = 3;
  slider_->GetOrgSliderCntMaxMinValue(minimum, maximum, 1, 0);
  EXPECT_EQ(maximum, 10);
  EXPECT_EQ(slider_->IsWaitRedraw(), 1);
  EXPECT_EQ(errors_.Count(), 0u);
}

// The slider's pixels after its knob moved (by code and by a drag, forwards and back), against
// a slider drawn afresh at the same value: the knob's old place is painted over, the new one
// painted, nothing of the knob left behind.
TEST_F(Slider, AMovedKnobLeavesNothingBehind) {
  auto pixels = [this] {
    Sp_RedrawViewWindow(window_, 0);
    std::vector<UInt32> out;
    for (short v = 20; v < 40; ++v) {
      for (short h = 20; h < 126; ++h)
        out.push_back(sp_testing::ReadPixel(GetWindowPort(window_), h, v));
    }
    return out;
  };
  auto fresh = [&](SInt32 value) {
    slider_.reset();
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    Make(106, 20, 1, 0, 10, value);
    return pixels();
  };
  const struct {
    SInt32 from, to;
    bool drag;
    const char* why;
  } cases[] = {
      {2, 7, false, "forwards by code"},
      {7, 2, false, "back by code"},
      {2, 3, false, "one unit: the old and new knob overlap"},
      {2, 8, true, "forwards by a drag"},
      {8, 1, true, "back by a drag"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<UInt32> expected = fresh(c.to);
    fresh(c.from);
    if (c.drag) {
      ASSERT_EQ(slider_->HotSpotMouseDonwProc(0, At(short(3 + 10 * c.from), 10)), 1);
      slider_->HotSpotMouseDownTraceProc(0, At(short(3 + 10 * c.to), 10));
      slider_->HotSpotMouseUpProc(0, At(short(3 + 10 * c.to), 10));
    } else {
      slider_->SetOrigSliderCntValue(c.to, 1, 0);
    }
    ASSERT_EQ(slider_->GetOrigSliderCntValue(), c.to);
    EXPECT_TRUE(pixels() == expected);
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
