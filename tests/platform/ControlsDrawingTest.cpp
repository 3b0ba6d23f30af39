// How controls are drawn: marks and fills that show the state, hiding that leaves the place to
// what lies beneath, drawing that leaves the port as it was, and a snapshot of every kind for
// a person to look at.
#include <cstdio>
#include <string>

#include "QDRegions.h"
#include "QDText.h"
#include "UiFixture.h"
#include "ui/detail/WindowUpdate.h"

namespace ui_test {
namespace {

class Drawing : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    port_ = GetWindowPort(window_);
    sp_testing::FillPort(port_, 0xFFFFFF);
  }
  int Ink(const Rect& r) { return Inked(port_, r); }
  UInt32 Pixel(SInt16 h, SInt16 v) { return sp_testing::ReadPixel(port_, h, v); }
  CGrafPtr port_ = nullptr;
};

TEST_F(Drawing, MarksAndFillsShowTheValue) {
  ControlRef check = Make(checkBoxProc, R(10, 10, 26, 150), 0, 0, 1, "");
  ControlRef radio = Make(radioButProc, R(40, 10, 56, 150), 0, 0, 1, "");
  const Rect box = R(13, 11, 23, 21), dot = R(45, 14, 51, 20);  // inside the frames
  EXPECT_EQ(Ink(box) + Ink(dot), 0);
  SetControlValue(radio, 1);
  EXPECT_GT(Ink(dot), 10) << "a dot";
  for (SInt16 value : {1, 0, 1}) {  // marked, redrawn without the mark, and with it again
    SetControlValue(check, value);
    EXPECT_EQ(Ink(box) > 6, value == 1) << value;
  }
  ControlRef bar = Make(kControlProgressBarProc, R(70, 10, 86, 210), 0, 0, 100, "");
  const UInt32 empty = Pixel(50, 78);
  SetControlValue(bar, 50);
  EXPECT_NE(Pixel(50, 78), empty) << "a quarter of the way is filled at half";
  EXPECT_EQ(Pixel(150, 78), empty) << "three quarters is not";
  SetControlValue(bar, 100);
  EXPECT_EQ(Pixel(150, 78), Pixel(50, 78));
}

TEST_F(Drawing, HidingErasesThePlaceAndAsksForItToBeRedrawn) {
  const Rect place = R(10, 10, 30, 90);
  ControlRef button = Button(place);
  EXPECT_GT(Ink(place), 0);
  RgnHandle update = NewRgn();
  ASSERT_EQ(sp_platform::CopyWindowUpdateRegion(window_, update), noErr);
  ASSERT_TRUE(EmptyRgn(update));
  HideControl(button);
  EXPECT_EQ(Ink(place), 0);
  ASSERT_EQ(sp_platform::CopyWindowUpdateRegion(window_, update), noErr);
  Rect bounds;
  EXPECT_TRUE(Same(*GetRegionBounds(update, &bounds), R(110, 110, 130, 190)));  // global
  DisposeRgn(update);
  const UInt32 drawn = sp_testing::ReadControl(button).drawCount;
  DrawControls(window_);
  Draw1Control(button);
  EXPECT_EQ(Ink(place), 0) << "a hidden control is not drawn";
  EXPECT_EQ(sp_testing::ReadControl(button).drawCount, drawn);
  ShowControl(button);
  EXPECT_GT(Ink(place), 0) << "shown again, it is";
}

TEST_F(Drawing, DrawingLeavesThePortAsItWasAndHonoursItsClip) {
  Button(R(10, 10, 30, 90));
  GWorldPtr world = nullptr;
  Rect worldBounds = R(0, 0, 10, 10);
  ASSERT_EQ(NewGWorld(&world, 32, &worldBounds, nullptr, nullptr, 0), noErr);
  SetGWorld(world, nullptr);
  TextSize(24);
  const RGBColor red = {0xFFFF, 0, 0};
  SetPort(port_);
  PenSize(5, 5);
  TextFont(applFont);
  TextSize(9);
  RGBForeColor(&red);
  DrawControls(window_);
  GrafPtr now = nullptr;
  GetPort(&now);
  PenState pen;
  GetPenState(&pen);
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_EQ(now, port_);
  EXPECT_EQ(GetPortTextSize(world), 24) << "the port it drew through was left alone";
  EXPECT_EQ(std::vector<int>({pen.pnSize.h, GetPortTextSize(port_), GetPortTextFont(port_),
                              fore.red, fore.green}),
            std::vector<int>({5, 9, applFont, 0xFFFF, 0}));
  DisposeGWorld(world);

  Rect clip = R(0, 0, 20, 500);
  ClipRect(&clip);
  Button(R(50, 10, 80, 90));
  clip = R(0, 0, 60, 500);
  ClipRect(&clip);
  Button(R(50, 110, 80, 190));
  EXPECT_GT(Ink(R(50, 110, 60, 190)), 0);
  EXPECT_EQ(Ink(R(50, 10, 80, 90)) + Ink(R(60, 110, 80, 190)), 0) << "outside the clip";
  clip = R(-32768, -32768, 32767, 32767);
  ClipRect(&clip);
}

}  // namespace
}  // namespace ui_test
