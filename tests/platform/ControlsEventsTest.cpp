// The Control Manager's events and standard handling (hit events on the control's target and
// then the window's, the track event a handler may take over, value changes, the default and
// cancel buttons), and how controls are drawn (marks that show the state, hiding that leaves
// the place to what lies beneath, drawing that leaves the port as it was).
#include <string>
#include <vector>

#include "QDRegions.h"
#include "QDText.h"
#include "UiFixture.h"
#include "ui/detail/WindowUpdate.h"

namespace ui_test {
namespace {

// What a handler saw: the event's kind, the control and part parameters, and who saw it.
struct Seen {
  UInt32 kind;
  ControlRef control;
  ControlPartCode part;
  Point where;
};

class ControlEvents : public ControlsTest {
 protected:
  // Notes the events of the kind reaching the target, answering as told.
  void Note(EventTargetRef target, OSStatus answer, UInt32 kind = kEventControlHit,
            UInt32 cls = kEventClassControl) {
    Listen(target, {{cls, kind}}, [this, answer](EventRef e) {
      seen_.push_back({GetEventKind(e),
                       Param<ControlRef>(e, kEventParamDirectObject, typeControlRef),
                       Param<ControlPartCode>(e, kEventParamControlPart, typeControlPartCode),
                       Param<Point>(e, kEventParamMouseLocation, typeQDPoint)});
      return answer;
    });
  }
  std::vector<Seen> seen_;
};

TEST_F(ControlEvents, HitGoesToTheControlsTargetThenWhatHoldsItThenTheWindows) {
  ControlRef root = nullptr, pane = nullptr;
  ASSERT_EQ(CreateRootControl(window_, &root), noErr);
  Rect r = R(0, 0, 200, 300);
  ASSERT_EQ(CreateUserPaneControl(window_, &r, 0, &pane), noErr);
  ControlRef button = Button(R(10, 10, 30, 90));
  ASSERT_EQ(EmbedControl(button, pane), noErr);
  Note(GetControlEventTarget(button), eventNotHandledErr);
  Note(GetControlEventTarget(pane), eventNotHandledErr);
  Note(GetWindowEventTarget(window_), noErr);
  Note(GetApplicationEventTarget(), noErr);  // the window took it: never reached
  sp_testing::ClickControl(button);
  ASSERT_EQ(seen_.size(), 3u);
  for (const Seen& s : seen_) {
    EXPECT_EQ(s.kind, kEventControlHit);
    EXPECT_EQ(s.control, button);
    EXPECT_EQ(s.part, kControlButtonPart);
    EXPECT_TRUE(s.where.h == 150 && s.where.v == 120) << "the release point, global";
  }
}

// Left unhandled (as the framework's control handler does), the track event lets the layer
// track the press itself.
TEST_F(ControlEvents, UnhandledTrackEventLeavesTheTrackingToTheLayer) {
  ControlRef button = Button(R(10, 10, 30, 90));
  Note(GetWindowEventTarget(window_), noErr);
  Note(GetApplicationEventTarget(), eventNotHandledErr, kEventControlTrack);
  sp_testing::PostMouseUp(sp_testing::ControlPointToGlobal(button, Pt(50, 20)));
  EXPECT_EQ(TrackControl(button, Pt(50, 20), nullptr), kControlButtonPart);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_TRUE(seen_[0].kind == kEventControlTrack && seen_[0].control == button);
}

// The layer tracks a press on a control only when nobody took the click and the window has the
// standard handler: the framework's windows without it track their controls themselves, and a
// second tracking would send a second hit.
TEST_F(ControlEvents, OnlyClicksNobodyTookInWindowsWithTheStandardHandlerAreTracked) {
  WindowRef plain = MakeWindow(R(450, 100, 600, 400));
  ControlRef inPlain = Make(pushButProc, R(10, 10, 30, 90), 0, 0, 1, "P", plain);
  ControlRef button = Button(R(10, 10, 30, 90));
  Note(GetWindowEventTarget(plain), noErr);
  Note(GetWindowEventTarget(window_), noErr);
  sp_testing::ClickControl(inPlain);
  EXPECT_TRUE(seen_.empty()) << "no standard handler, no tracking";
  ChangeWindowAttributes(plain, kWindowStandardHandlerAttribute, 0);
  sp_testing::ClickControl(inPlain);
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].control, inPlain);

  seen_.clear();
  Listen(GetApplicationEventTarget(), {{kEventClassMouse, kEventMouseDown}},
         [](EventRef) { return OSStatus(noErr); });
  sp_testing::ClickControl(button);
  EXPECT_TRUE(seen_.empty()) << "a click someone took is not tracked again";
}

// A value-changed event means the value really changed: setting the same value, or a range
// that leaves the value where it was, sends none; a clamp or a range that moves it sends one.
TEST_F(ControlEvents, ValueChangedOnlyWhenTheValueOrRangeChanges) {
  ControlRef bar = ScrollBar(R(10, 300, 226, 316), 10, 100);
  Note(GetControlEventTarget(bar), eventNotHandledErr, kEventControlValueFieldChanged);
  const struct {
    void (*change)(ControlRef);
    size_t events;  // after this step, in all
  } steps[] = {
      {[](ControlRef c) { SetControlValue(c, 10); }, 0},
      {[](ControlRef c) { SetControlValue(c, 500); }, 1},  // clamped to 100
      {[](ControlRef c) { SetControlValue(c, 100); }, 1},
      {[](ControlRef c) { SetControlMaximum(c, 100); }, 1},
      {[](ControlRef c) { SetControlMinimum(c, 0); }, 1},
      {[](ControlRef c) { SetControlMaximum(c, 50); }, 2},  // the value follows
      {[](ControlRef c) { SetControl32BitValue(c, 50); }, 2},
  };
  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    steps[i].change(bar);
    EXPECT_EQ(seen_.size(), steps[i].events) << "after step " << i;
  }
  EXPECT_EQ(GetControlValue(bar), 50);
}

TEST_F(ControlEvents, ThumbDragSendsIndicatorMovedThenTheHit) {
  ControlRef bar = ScrollBar(R(10, 300, 226, 316), 10, 100);
  Note(GetControlEventTarget(bar), eventNotHandledErr, kEventControlIndicatorMoved);
  Note(GetWindowEventTarget(window_), noErr);
  sp_testing::DragScrollBarThumb(bar, 84);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_TRUE(seen_[0].kind == kEventControlIndicatorMoved && seen_[1].kind == kEventControlHit);
  EXPECT_EQ(seen_[1].part, kControlIndicatorPart);
}

TEST_F(ControlEvents, ReturnEnterEscapeAndCommandPeriodPressOnlyActiveShownButtons) {
  ControlRef ok = Button(R(100, 200, 120, 280));
  ControlRef cancel = Button(R(100, 100, 120, 180));
  ASSERT_EQ(SetWindowDefaultButton(window_, ok), noErr);
  ASSERT_EQ(SetWindowCancelButton(window_, cancel), noErr);
  Note(GetWindowEventTarget(window_), noErr);
  enum State { kNormal, kCancelInactive, kCancelHidden };
  const struct {
    const char* what;
    UInt8 charCode;
    UInt32 modifiers;
    State state;
    ControlRef pressed;
  } cases[] = {
      {"Return", 0x0D, 0, kNormal, ok},
      {"Enter", 0x03, 0, kNormal, ok},
      {"Escape", 0x1B, 0, kNormal, cancel},
      {"Command-period", '.', cmdKey, kNormal, cancel},
      {"period alone", '.', 0, kNormal, nullptr},
      {"Command-Return", 0x0D, cmdKey, kNormal, nullptr},
      {"Shift-Return", 0x0D, shiftKey, kNormal, ok},
      {"Escape, cancel inactive", 0x1B, 0, kCancelInactive, nullptr},
      {"Command-period, cancel hidden", '.', cmdKey, kCancelHidden, nullptr},
      {"Escape, cancel back again", 0x1B, 0, kNormal, cancel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    seen_.clear();
    if (c.state == kCancelInactive) DeactivateControl(cancel);
    if (c.state == kCancelHidden) HideControl(cancel);
    sp_testing::PostKeyDown(c.charCode, 36, c.modifiers);
    sp_testing::PostKeyUp(c.charCode, 36, c.modifiers);
    sp_testing::PumpUntilIdle();
    ActivateControl(cancel);
    ShowControl(cancel);
    ASSERT_EQ(seen_.size(), c.pressed == nullptr ? 0u : 1u);
    if (c.pressed) {
      EXPECT_TRUE(seen_[0].control == c.pressed && seen_[0].part == kControlButtonPart);
    }
  }
  EXPECT_EQ(GetControlHilite(ok), 0) << "the flash ends unhilited";

  // The default role ends with the button; a button of another window cannot take it.
  DisposeControl(ok);
  ControlRef now = reinterpret_cast<ControlRef>(&now);
  EXPECT_EQ(GetWindowDefaultButton(window_, &now), noErr);
  EXPECT_EQ(now, nullptr);
  ControlRef foreign =
      Make(pushButProc, R(10, 10, 30, 90), 0, 0, 1, "F", MakeWindow(R(450, 100, 600, 400)));
  EXPECT_EQ(SetWindowDefaultButton(window_, foreign), errControlIsNotEmbedder);
}

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

TEST_F(Drawing, DrawingLeavesThePortAsItWas) {
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
}

}  // namespace
}  // namespace ui_test
