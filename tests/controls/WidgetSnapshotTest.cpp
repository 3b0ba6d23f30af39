// One window of the framework-drawn widgets in their states, kept as widgets.png in the test
// output for a person to look at, with chosen pixels checked: tab panels with the first and the
// second tab selected, sliders idle, held and upright, counters, icon panel buttons up and
// pressed, and a radio group with one button down.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpOC_IconButtonControl.h"
#include "SpOriginalControl.h"
#include "SpResourceManager.h"
#include "SpSliderControl.h"
#include "SpStdDrawingFunction.h"
#include "SpTabPanelObject.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"
#include "WidgetTestColours.h"

namespace {

using widget_test::Grey;
using widget_test::Mix;
using widget_test::Rgb;

class WidgetSnapshot : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_InitializeResourceManager();
    const Rect content = {60, 60, 360, 540};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
  }
  void TearDown() override {
    buttons_.clear();
    panels_.clear();
    sliders_.clear();
    counters_.clear();
    Sp_EnableMouseTrace(0);
    Sp_InitializeResourceManager();
    sp_testing::ResetResources();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  cSp_OrgTabPanelControl* Panel(const Rect& area) {
    panels_.emplace_back(new cSp_OrgTabPanelControl(window_, area, nullptr, 0));
    cSp_OrgTabPanelControl* p = panels_.back().get();
    for (const char* title : {"One", "Two", "Three"}) p->SetupPanelItem(title, 0);
    for (tPositionType side :
         {kSpPositionLeft, kSpPositionRight, kSpPositionTop, kSpPositionBottom}) {
      p->SetupContentAreaFrameOffset(-1, side, 12, 1, 0);
    }
    const RGBColor content = Grey(92);
    p->SetupContentAreaColor(-1, &content, 0);
    p->SetupContentAreaFrameDrawFlag(-1, 1, 0);
    p->SetupContentAreaFrameType(-1, kSp3DFrameSunken, 0);
    return p;
  }
  cSp_OrigSliderControl* Slider(const Rect& area, SInt32 value) {
    sliders_.emplace_back(new cSp_OrigSliderControl(window_, area, 1, 0, 10, value, nullptr, 0));
    return sliders_.back().get();
  }
  UInt32 Pixel(short h, short v) const {
    return sp_testing::ReadPixel(GetWindowPort(window_), h, v);
  }

  WindowRef window_ = nullptr;
  std::vector<std::unique_ptr<cSp_OrgTabPanelControl>> panels_;
  std::vector<std::unique_ptr<cSp_OrigSliderControl>> sliders_;
  std::vector<std::unique_ptr<cSp_OriginalCounterControl>> counters_;
  std::vector<std::unique_ptr<cSp_OriginalIconButtonControl>> buttons_;
  ErrorLogCapture errors_;
  sp_testing::FixedMetricFontScope font_;
};

TEST_F(WidgetSnapshot, EachWidgetIsDrawnInItsStates) {
  // Tab panels: the first tab selected, and the second after a click on it.
  Panel(Rect{10, 10, 130, 190});
  cSp_OrgTabPanelControl* second = Panel(Rect{10, 200, 130, 380});
  second->GetTabSelector().HotSpotMouseDonwProc(0, Point{18, 250});
  second->GetTabSelector().HotSpotMouseUpProc(0, Point{18, 250});

  // Sliders at rest, held (darker knob) and upright; their slits run 3 pixels in.
  Slider(Rect{150, 10, 170, 116}, 3);
  cSp_OrigSliderControl* held = Slider(Rect{180, 10, 200, 116}, 0);
  held->HotSpotMouseDonwProc(0, Point{190, 63});
  Slider(Rect{150, 130, 256, 150}, 7);

  // Counters: a whole number and a float.
  counters_.emplace_back(
      new cSp_OriginalCounterControl(window_, Rect{150, 170, 166, 250}, nullptr, 12, nullptr, 0));
  counters_.back()->SetOriginalCounterValue(SInt32(-120), 0);
  counters_.emplace_back(
      new cSp_OriginalCounterControl(window_, Rect{170, 170, 186, 250}, nullptr, 12, nullptr, 0));
  counters_.back()->floatDigits = 2;
  counters_.back()->SetOriginalCounterValue(3.25f, 0);

  // Icon panel buttons: up with its active frame, pressed with its pressed frame.
  for (short left : {270, 320}) {
    auto* b = new cSp_OriginalMouseTraceIconPanelButtonControl(
        window_, Rect{150, left, 182, short(left + 32)}, Rect{8, 8, 24, 24}, 0, 0, kOrgB_PushButton,
        kOrgB_ColourIcon, nullptr, 0, 0, 0, nullptr);
    buttons_.emplace_back(b);
    b->SetupIconPanelIconId(9072);
    b->frameState = 1;
    b->activeFrameColour = RGBColor{0, 0, 0xFFFF};
    b->pressedFrameColour = RGBColor{0xFFFF, 0x8000, 0};
    b->pressedFrameEnable = 1;
  }
  auto* pressed = static_cast<cSp_OriginalMouseTraceIconPanelButtonControl*>(buttons_[1].get());
  pressed->framePressed = 1;
  pressed->HotSpotMouseDonwProc(0, Point{166, 336});

  // A radio group of two stoppers, the second locked down.
  cSp_OriginalButtonControlRadioGroup group(window_, 1);
  for (short left : {380, 430}) {
    buttons_.emplace_back(new cSp_OriginalIconButtonControl(
        window_, Rect{150, left, 170, short(left + 40)}, kOrgB_LockStopperButton,
        kOrgB_FrameTitleDrawing, nullptr, 0));
    buttons_.back()->SetButtonOutputString("Go", 0);
    group.SetupItem(buttons_.back().get());
  }
  buttons_.back()->DownStopperButton(0, 0, 0);

  Sp_RedrawViewForUpdateEvent(window_);
  const char* folder = std::getenv("TEST_TMPDIR");
  const std::string path =
      std::string(folder != nullptr && *folder != 0 ? folder : "/tmp") + "/widgets.png";
  EXPECT_TRUE(sp_testing::SnapshotPort(GetWindowPort(window_), path));

  const RGBColor white = Grey(100), black = Grey(0), hole = Grey(10), content = Grey(80);
  const struct {
    short h, v;
    RGBColor colour;
    const char* what;
  } probes[] = {
      {15, 18, white, "first panel: its first tab selected"},
      {15 + 38, 18, Grey(80), "and its second behind"},
      {205, 18, Grey(80), "second panel: its first tab behind"},
      {205 + 38, 18, white, "and its second selected"},
      {10, 100, black, "a body's left edge"},
      {100, 100, Grey(92), "a content area"},
      {21, 80, Mix(white, black, 0.6f), "its sunken frame, dark at the left"},
      {60, 159, hole, "a slit's hole"},
      {60, 157, Mix(hole, white, 0.6f), "its ring, faded toward the background"},
      {60, 156, Grey(60), "its outline"},
      {43, 159, content, "a knob at 3 of 10"},
      {63, 189, Mix(content, black, 0.2f), "a held knob, darker"},
      {140, 221, content, "an upright knob at 7 of 10"},
      {270, 150, RGBColor{0, 0, 0xFFFF}, "a button's active frame"},
      {282, 162, RGBColor{0xFFFF, 0, 0}, "its icon"},
      {320, 150, RGBColor{0xFFFF, 0x8000, 0}, "a pressed button's frame"},
      {332, 162, white, "its icon moved by the press"},
  };
  for (const auto& p : probes) EXPECT_EQ(Pixel(p.h, p.v), Rgb(p.colour)) << p.what;
  EXPECT_NE(Pixel(384, 166), Pixel(434, 166)) << "the group's button down looks pressed";
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
