// How controls are drawn: marks and fills that show the state, hiding that leaves the place to
// what lies beneath, drawing that leaves the port as it was, and a snapshot of every kind for
// a person to look at.
#include <cstdio>
#include <string>

#include "QDRegions.h"
#include "QDText.h"
#include "TestQuickDraw.h"
#include "UiFixture.h"
#include "ui/detail/WindowUpdate.h"

namespace ui_test {
namespace {

constexpr UInt32 kWhite = 0xFFFFFF;

class Drawing : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    port_ = GetWindowPort(window_);
    sp_testing::FillPort(port_, kWhite);
  }
  UInt32 Pixel(SInt16 h, SInt16 v) { return sp_testing::ReadPixel(port_, h, v); }
  // Pixels in the rectangle that are not white.
  int Inked(const Rect& r) {
    int n = 0;
    for (SInt16 v = r.top; v < r.bottom; ++v) {
      for (SInt16 h = r.left; h < r.right; ++h) n += (Pixel(h, v) != kWhite);
    }
    return n;
  }
  CGrafPtr port_ = nullptr;
};

TEST_F(Drawing, MarksAndFillsShowTheValue) {
  ControlRef check = Make(checkBoxProc, R(10, 10, 26, 150), 0, 0, 1, "");
  ControlRef radio = Make(radioButProc, R(40, 10, 56, 150), 0, 0, 1, "");
  const Rect checkBox = R(13, 11, 23, 21);  // inside the frame of the 12 x 12 square
  const Rect radioDot = R(45, 14, 51, 20);
  EXPECT_EQ(Inked(checkBox), 0);
  EXPECT_EQ(Inked(radioDot), 0);
  SetControlValue(check, 1);
  SetControlValue(radio, 1);
  EXPECT_GT(Inked(checkBox), 6) << "a check mark";
  EXPECT_GT(Inked(radioDot), 10) << "a dot";
  SetControlValue(check, 0);
  EXPECT_EQ(Inked(checkBox), 0) << "redrawn without the mark";
  SetControlValue(check, 1);
  EXPECT_GT(Inked(checkBox), 6) << "and with it again";

  ControlRef bar = Make(kControlProgressBarProc, R(70, 10, 86, 210), 0, 0, 100, "");
  const UInt32 empty = Pixel(50, 78);
  SetControlValue(bar, 50);
  EXPECT_NE(Pixel(50, 78), empty) << "a quarter of the way is filled at half";
  EXPECT_EQ(Pixel(150, 78), empty) << "three quarters is not";
  SetControlValue(bar, 100);
  EXPECT_EQ(Pixel(150, 78), Pixel(50, 78));
}

TEST_F(Drawing, HidingErasesThePlaceAndAsksForItToBeRedrawn) {
  ControlRef button = Button(R(10, 10, 30, 90));
  EXPECT_GT(Inked(R(10, 10, 30, 90)), 0);
  RgnHandle update = NewRgn();
  ASSERT_EQ(sp_platform::CopyWindowUpdateRegion(window_, update), noErr);
  ASSERT_TRUE(EmptyRgn(update));
  HideControl(button);
  EXPECT_EQ(Inked(R(10, 10, 30, 90)), 0);
  ASSERT_EQ(sp_platform::CopyWindowUpdateRegion(window_, update), noErr);
  Rect bounds;
  GetRegionBounds(update, &bounds);
  Rect want = R(110, 110, 130, 190);  // global
  EXPECT_TRUE(EqualRect(&bounds, &want));
  DisposeRgn(update);
  const UInt32 drawn = sp_testing::ReadControl(button).drawCount;
  DrawControls(window_);
  Draw1Control(button);
  EXPECT_EQ(Inked(R(10, 10, 30, 90)), 0) << "a hidden control is not drawn";
  EXPECT_EQ(sp_testing::ReadControl(button).drawCount, drawn);
  ShowControl(button);
  EXPECT_GT(Inked(R(10, 10, 30, 90)), 0) << "shown again, it is";
}

TEST_F(Drawing, DrawingLeavesThePortAsItWas) {
  Button(R(10, 10, 30, 90));
  GWorldPtr world = nullptr;
  Rect worldBounds = R(0, 0, 10, 10);
  ASSERT_EQ(NewGWorld(&world, 32, &worldBounds, nullptr, nullptr, 0), noErr);
  SetGWorld(world, nullptr);
  PenSize(3, 3);
  TextSize(24);
  RGBColor red = {0xFFFF, 0, 0};
  SetPort(port_);
  PenSize(5, 5);
  TextFont(applFont);
  TextSize(9);
  RGBForeColor(&red);
  DrawControls(window_);
  GrafPtr now = nullptr;
  GetPort(&now);
  EXPECT_EQ(now, port_);
  EXPECT_EQ(GetPortTextSize(world), 24) << "the port it drew through was left alone";
  PenState pen;
  GetPenState(&pen);
  EXPECT_EQ(pen.pnSize.h, 5);
  EXPECT_EQ(GetPortTextSize(port_), 9);
  EXPECT_EQ(GetPortTextFont(port_), applFont);
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_EQ(fore.red, 0xFFFF);
  EXPECT_EQ(fore.green, 0);
  DisposeGWorld(world);
}

TEST_F(Drawing, ClipOfThePortIsHonoured) {
  SetPort(port_);
  Rect clip = R(0, 0, 20, 500);
  ClipRect(&clip);
  Button(R(10, 10, 40, 90));
  EXPECT_GT(Inked(R(10, 10, 20, 90)), 0);
  EXPECT_EQ(Inked(R(20, 10, 40, 90)), 0);
  Rect wide = R(-32768, -32768, 32767, 32767);
  ClipRect(&wide);
}

TEST_F(Drawing, SnapshotOfEveryKindForAPersonToLookAt) {
  AddMenuResource(230, {"\x83\x82\x83\x6D\x83\x89\x83\x8B", "\x83\x58\x83\x65"});
  // "保存" / "次の項目" / "形式:" in MacJapanese.
  SetWindowDefaultButton(window_,
                         Make(pushButProc, R(20, 300, 42, 380), 0, 0, 1, "\x95\xDB\x91\xB6"));
  HiliteControl(Make(pushButProc, R(50, 200, 72, 290), 0, 0, 1, "Pressed"), kControlButtonPart);
  HiliteControl(Make(pushButProc, R(50, 300, 72, 380), 0, 0, 1, "Inactive"), kControlInactivePart);
  Make(checkBoxProc, R(20, 20, 38, 190), 1, 0, 1, "\x8E\x9F\x82\xCC\x8D\x80\x96\xDA");
  Make(checkBoxProc, R(68, 20, 86, 190), 2, 0, 2, "Mixed");
  Make(radioButProc, R(92, 20, 110, 190), 1, 0, 1, "Radio on");
  Make(popupMenuProc, R(150, 20, 172, 190), 0, 230, 50, "\x8C\x60\x8E\xAE:");
  ScrollBar(R(190, 360, 290, 376), 30, 100);
  ScrollBar(R(260, 20, 276, 300), 70, 100);
  Make(kControlProgressBarProc, R(190, 20, 206, 300), 40, 0, 100, "");
  std::string path = ::testing::TempDir() + "controls-every-kind.png";
  ASSERT_TRUE(sp_testing::SnapshotPort(port_, path));
  std::printf("Control snapshot: %s\n", path.c_str());
  EXPECT_GT(Inked(R(20, 300, 42, 380)), 100);
  EXPECT_GT(Inked(R(260, 20, 276, 300)), 100);
}

}  // namespace
}  // namespace ui_test
