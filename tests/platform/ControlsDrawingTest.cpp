// How controls are drawn: marks and fills that show the state, hiding that leaves the place to
// what lies beneath, drawing that leaves the port as it was, and a snapshot of every kind for
// a person to look at.
#include <cstdio>
#include <string>

#include "ControlsFixture.h"
#include "QDRegions.h"
#include "QDText.h"
#include "TestQuickDraw.h"
#include "ui/detail/WindowUpdate.h"

namespace {

using namespace controls_test;

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

TEST_F(Drawing, CheckMarkAndRadioDotShowTheValue) {
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
}

TEST_F(Drawing, ProgressFillFollowsTheValue) {
  ControlRef bar = Make(kControlProgressBarProc, R(10, 10, 26, 210), 0, 0, 100, "");
  const UInt32 empty = Pixel(50, 18);
  SetControlValue(bar, 50);
  EXPECT_NE(Pixel(50, 18), empty) << "a quarter of the way is filled at half";
  EXPECT_EQ(Pixel(150, 18), empty) << "three quarters is not";
  SetControlValue(bar, 100);
  EXPECT_EQ(Pixel(150, 18), Pixel(50, 18));
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
}

TEST_F(Drawing, HiddenControlIsNotDrawn) {
  const Rect bounds = R(10, 10, 30, 90);
  std::vector<unsigned char> title = PStr("Hidden");
  ControlRef c = NewControl(window_, &bounds, title.data(), false, 0, 0, 1, pushButProc, 0);
  ASSERT_NE(c, nullptr);
  DrawControls(window_);
  Draw1Control(c);
  EXPECT_EQ(Inked(bounds), 0);
  EXPECT_EQ(sp_testing::ReadControl(c).drawCount, 0u);
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
  RGBForeColor(&red);
  SetPort(port_);
  PenSize(5, 5);
  TextFont(applFont);
  TextSize(9);
  RGBForeColor(&red);
  DrawControls(window_);
  GrafPtr now = nullptr;
  GetPort(&now);
  EXPECT_EQ(now, port_);
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
  AddMenuResource(230, {"\x83\x82\x83\x6D\x83\x89\x83\x8B", "\x83\x58\x83\x65\x83\x8C\x83\x49"});
  // "保存" / "キャンセル" / "次の項目にも適用" / "形式:" in MacJapanese.
  ControlRef ok = Make(pushButProc, R(20, 300, 42, 380), 0, 0, 1, "\x95\xDB\x91\xB6");
  ControlRef cancel =
      Make(pushButProc, R(20, 200, 42, 290), 0, 0, 1, "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B");
  SetWindowDefaultButton(window_, ok);
  (void)cancel;
  ControlRef pressed = Make(pushButProc, R(50, 200, 72, 290), 0, 0, 1, "Pressed");
  HiliteControl(pressed, kControlButtonPart);
  ControlRef dimmed = Make(pushButProc, R(50, 300, 72, 380), 0, 0, 1, "Inactive");
  HiliteControl(dimmed, kControlInactivePart);
  Make(checkBoxProc, R(20, 20, 38, 190), 1, 0, 1,
       "\x8E\x9F\x82\xCC\x8D\x80\x96\xDA\x82\xC9\x82\xE0\x93\x4B\x97\x70");
  Make(checkBoxProc, R(44, 20, 62, 190), 0, 0, 1, "Off");
  Make(checkBoxProc, R(68, 20, 86, 190), 2, 0, 2, "Mixed");
  Make(radioButProc, R(92, 20, 110, 190), 1, 0, 1, "Radio on");
  Make(radioButProc, R(116, 20, 134, 190), 0, 0, 1, "Radio off");
  Make(popupMenuProc, R(150, 20, 172, 190), 0, 230, 50, "\x8C\x60\x8E\xAE:");
  ScrollBar(R(190, 360, 290, 376), 30, 100);
  ScrollBar(R(260, 20, 276, 300), 70, 100);
  Make(kControlProgressBarProc, R(190, 20, 206, 300), 40, 0, 100, "");
  ControlRef busy = nullptr;
  Rect busyBounds = R(214, 20, 230, 300);
  ASSERT_EQ(CreateProgressBarControl(window_, &busyBounds, 0, 0, 0, true, &busy), noErr);
  ControlRef text = nullptr;
  Rect textBounds = R(100, 200, 180, 390);
  CFStringRef words = CFStringCreateWithCString(
      nullptr,
      "\xE9\x9D\x99\xE7\x9A\x84\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88: static text "
      "wraps at spaces and keeps two-byte characters whole.",
      kCFStringEncodingUTF8);
  ASSERT_EQ(CreateStaticTextControl(window_, &textBounds, words, nullptr, &text), noErr);
  CFRelease(words);
  std::string path = ::testing::TempDir() + "controls-every-kind.png";
  ASSERT_TRUE(sp_testing::SnapshotPort(port_, path));
  std::printf("Control snapshot: %s\n", path.c_str());
  EXPECT_GT(Inked(R(20, 300, 42, 380)), 100);
}

}  // namespace
