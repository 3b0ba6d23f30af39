// The counter: the text of whole numbers and floats, the kind following the last value set,
// redraws only for a changed text, and a disabled counter neither drawn nor clicked.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpOriginalControl.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

int& Clicks() {
  static int clicks = 0;
  return clicks;
}

unsigned char NoteClick(short, unsigned long refCon) {
  Clicks() += int(refCon);
  return 1;
}

// A counter over (20, 20)-(120, 40) of its window, black text on the window's white.
class Counter : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    Clicks() = 0;
    const Rect content = {100, 100, 300, 400};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    counter_.reset(
        new cSp_OriginalCounterControl(window_, Rect{20, 20, 40, 120}, nullptr, 12, nullptr, 0));
    counter_->clickProc = NoteClick;
    counter_->clickRefCon = 1;
  }
  void TearDown() override {
    counter_.reset();
    Sp_EnableMouseTrace(0);
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  // The pixels of the counter's area that are not white.
  int InkedPixels() const {
    int n = 0;
    for (short v = 20; v < 40; ++v) {
      for (short h = 20; h < 120; ++h) {
        n += sp_testing::ReadPixel(GetWindowPort(window_), h, v) != 0xFFFFFFu ? 1 : 0;
      }
    }
    return n;
  }
  void Click() {
    if (Sp_MouseDownHotSpot(window_, Point{30, 60}, 0) != 0) {
      Sp_MouseUpHotSpot(window_, Point{30, 60}, 0);
    }
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_OriginalCounterControl> counter_;
  ErrorLogCapture errors_;
  sp_testing::FixedMetricFontScope font_;
};

TEST_F(Counter, TheTextFollowsTheKindAndTheDigitsOfTheLastValueSet) {
  const struct {
    bool isFloat;
    float value;
    short digits, minimumDecimals;
    const char* text;
  } cases[] = {
      {false, 5, 0, 0, "5"},     {false, -120, 0, 0, "-120"}, {true, 5.0f, 0, 0, "5"},
      {true, 1.5f, 2, 0, "1.5"}, {true, 1.5f, 2, 2, "1.50"},
  };
  for (const auto& c : cases) {
    counter_->floatDigits = c.digits;
    counter_->floatMinimumDecimals = c.minimumDecimals;
    if (c.isFloat) {
      counter_->SetOriginalCounterValue(c.value, 0);
    } else {
      counter_->SetOriginalCounterValue(SInt32(c.value), 0);
    }
    EXPECT_STREQ(counter_->GetString(), c.text);
    EXPECT_EQ(counter_->GetValueKind(), c.isFloat ? cSp_OriginalCounterControl::kFloatValue
                                                  : cSp_OriginalCounterControl::kLongValue);
  }
  // The long 5 after the float 5.0: the kind switches, and the same text is not drawn again.
  counter_->floatMinimumDecimals = 0;
  counter_->SetOriginalCounterValue(5.0f, 0);
  Sp_RedrawViewForUpdateEvent(window_);
  counter_->SetOriginalCounterValue(SInt32(5), 0);
  EXPECT_EQ(counter_->GetValueKind(), cSp_OriginalCounterControl::kLongValue);
  EXPECT_EQ(counter_->GetLongValue(), 5);
  EXPECT_EQ(counter_->IsWaitRedraw(), 0);
  counter_->SetOriginalCounterValue(SInt32(6), 0);
  EXPECT_EQ(counter_->IsWaitRedraw(), 1);
}

TEST_F(Counter, ADisabledCounterIsNeitherDrawnNorClickedUntilEnabledAgain) {
  counter_->SetOriginalCounterValue(SInt32(88), 1);
  Sp_RedrawViewForUpdateEvent(window_);
  EXPECT_GT(InkedPixels(), 0);
  Click();
  EXPECT_EQ(Clicks(), 1);

  counter_->DisableOriginalCounter();
  Sp_RedrawViewForUpdateEvent(window_);
  EXPECT_EQ(InkedPixels(), 0);
  Click();
  EXPECT_EQ(Clicks(), 1);

  counter_->EnableOriginalCounter();
  Sp_RedrawViewForUpdateEvent(window_);
  EXPECT_GT(InkedPixels(), 0);
  Click();
  EXPECT_EQ(Clicks(), 2);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
