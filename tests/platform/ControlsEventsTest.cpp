// The Control Manager's events and standard handling: hit events on the control's target and
// then the window's, the track event a handler may take over, value changes, clicks nobody
// took, and the default and cancel buttons.
#include <vector>

#include "UiFixture.h"

namespace ui_test {
namespace {

// What a handler saw: the event's kind, the control and part parameters, and who saw it.
struct Seen {
  UInt32 kind;
  ControlRef control;
  ControlPartCode part;
  Point where;
  const char* who;
};
std::vector<Seen>* gSeen = nullptr;

OSStatus Note(EventRef event, const char* who, OSStatus answer) {
  gSeen->push_back({GetEventKind(event),
                    Param<ControlRef>(event, kEventParamDirectObject, typeControlRef),
                    Param<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode),
                    Param<Point>(event, kEventParamMouseLocation, typeQDPoint), who});
  return answer;
}

OSStatus OnControlPass(EventHandlerCallRef, EventRef event, void*) {
  return Note(event, "control", eventNotHandledErr);
}
OSStatus OnWindowTake(EventHandlerCallRef, EventRef event, void*) {
  return Note(event, "window", noErr);
}
OSStatus Take(EventHandlerCallRef, EventRef, void*) {
  return noErr;
}

const EventTypeSpec kHit[] = {{kEventClassControl, kEventControlHit}};

class ControlEvents : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    gSeen = &seen_;
  }
  void TearDown() override {
    gSeen = nullptr;
    ControlsTest::TearDown();
  }
  static void On(EventTargetRef target, EventHandlerUPP handler, UInt32 cls = kEventClassControl,
                 UInt32 kind = kEventControlHit) {
    ui_test::On(target, cls, kind, handler);
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
  On(GetControlEventTarget(button), OnControlPass);
  On(GetControlEventTarget(pane), OnControlPass);
  On(GetWindowEventTarget(window_), OnWindowTake);
  On(GetApplicationEventTarget(), OnWindowTake);
  sp_testing::ClickControl(button);
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_STREQ(seen_[2].who, "window");
  for (const Seen& s : seen_) {
    EXPECT_EQ(s.kind, kEventControlHit);
    EXPECT_EQ(s.control, button);
    EXPECT_EQ(s.part, kControlButtonPart);
    EXPECT_EQ(s.where.h, 100 + 50) << "the release point, global";
    EXPECT_EQ(s.where.v, 100 + 20);
  }
}

TEST_F(ControlEvents, NoHitForAPressReleasedOutsideTakenOrInAWindowWithoutTheStandardHandler) {
  ControlRef button = Button(R(10, 10, 30, 90));
  On(GetWindowEventTarget(window_), OnWindowTake);
  Point in = sp_testing::ControlPointToGlobal(button, Pt(50, 20));
  Point out = sp_testing::ControlPointToGlobal(button, Pt(50, 60));
  sp_testing::PostMouseDown(in);
  sp_testing::PostMouseDragged(out);
  sp_testing::PostMouseUp(out);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(seen_.empty());

  WindowRef plain = MakeWindow(R(450, 100, 600, 400));
  ControlRef other = Make(pushButProc, R(10, 10, 30, 90), 0, 0, 1, "P", plain);
  On(GetWindowEventTarget(plain), OnWindowTake);
  sp_testing::ClickControl(other);
  EXPECT_TRUE(seen_.empty());
  ChangeWindowAttributes(plain, kWindowStandardHandlerAttribute, 0);
  sp_testing::ClickControl(other);
  EXPECT_EQ(seen_.size(), 1u);

  On(GetApplicationEventTarget(), Take, kEventClassMouse, kEventMouseDown);
  sp_testing::ClickControl(other);
  EXPECT_EQ(seen_.size(), 1u) << "a click someone took is not tracked again";
}

// A handler that tracks the control itself and answers the page-down part.
OSStatus TrackItself(EventHandlerCallRef, EventRef event, void*) {
  ControlPartCode part = kControlPageDownPart;
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  return Note(event, "track", noErr);
}

TEST_F(ControlEvents, TrackHandlerThatAnswersTakesTheTrackingOver) {
  ControlRef bar = ScrollBar();
  On(GetControlEventTarget(bar), TrackItself, kEventClassControl, kEventControlTrack);
  On(GetWindowEventTarget(window_), OnWindowTake);
  Point arrow;
  ASSERT_TRUE(sp_testing::PointInControlPart(bar, kControlUpButtonPart, &arrow));
  sp_testing::PostMouseUp(sp_testing::ControlPointToGlobal(bar, arrow));
  EXPECT_EQ(TrackControl(bar, arrow, nullptr), kControlPageDownPart);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].kind, kEventControlTrack);
  EXPECT_EQ(seen_[1].part, kControlPageDownPart) << "the hit carries the handler's part";
  EXPECT_EQ(sp_testing::QueuedEventCount(), 1u) << "the layer did not track the mouse";

  // Left unhandled (as the framework's control handler does), the layer tracks.
  seen_.clear();
  ControlRef button = Button(R(10, 10, 30, 90));
  On(GetApplicationEventTarget(), OnControlPass, kEventClassControl, kEventControlTrack);
  sp_testing::PumpUntilIdle();
  sp_testing::PostMouseUp(sp_testing::ControlPointToGlobal(button, Pt(50, 20)));
  EXPECT_EQ(TrackControl(button, Pt(50, 20), nullptr), kControlButtonPart);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].control, button);
}

TEST_F(ControlEvents, ValueChangedOnlyWhenTheValueChangesAndThumbDragSendsIndicatorMoved) {
  ControlRef bar = ScrollBar(R(10, 300, 226, 316), 10, 100);
  On(GetControlEventTarget(bar), OnControlPass, kEventClassControl, kEventControlValueFieldChanged);
  SetControlValue(bar, 10);
  SetControlValue(bar, 500);  // clamped to 100: a change
  SetControlValue(bar, 100);
  SetControlMaximum(bar, 100);
  SetControlMaximum(bar, 50);  // the value follows
  EXPECT_EQ(seen_.size(), 2u);

  seen_.clear();
  SetControlMaximum(bar, 100);
  SetControlValue(bar, 0);
  On(GetControlEventTarget(bar), OnControlPass, kEventClassControl, kEventControlIndicatorMoved);
  On(GetWindowEventTarget(window_), OnWindowTake);
  seen_.clear();
  sp_testing::DragScrollBarThumb(bar, 84);
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[0].kind, kEventControlValueFieldChanged);
  EXPECT_EQ(seen_[1].kind, kEventControlIndicatorMoved);
  EXPECT_EQ(seen_[2].kind, kEventControlHit);
  EXPECT_EQ(seen_[2].part, kControlIndicatorPart);
}

TEST_F(ControlEvents, ReturnEnterEscapeAndCommandPeriodPressOnlyActiveShownButtons) {
  ControlRef ok = Button(R(100, 200, 120, 280));
  ControlRef cancel = Button(R(100, 100, 120, 180));
  ASSERT_EQ(SetWindowDefaultButton(window_, ok), noErr);
  ASSERT_EQ(SetWindowCancelButton(window_, cancel), noErr);
  On(GetWindowEventTarget(window_), OnWindowTake);
  enum State { kNormal, kCancelInactive, kCancelHidden };
  const struct {
    const char* what;
    UInt8 charCode;
    UInt32 modifiers;
    State state;
    int pressed;  // 1 the default, 2 the cancel button, 0 none
  } cases[] = {
      {"Return", 0x0D, 0, kNormal, 1},
      {"Enter", 0x03, 0, kNormal, 1},
      {"Escape", 0x1B, 0, kNormal, 2},
      {"Command-period", '.', cmdKey, kNormal, 2},
      {"period alone", '.', 0, kNormal, 0},
      {"Command-Return", 0x0D, cmdKey, kNormal, 0},
      {"Shift-Return", 0x0D, shiftKey, kNormal, 1},
      {"Escape, cancel inactive", 0x1B, 0, kCancelInactive, 0},
      {"Command-period, cancel hidden", '.', cmdKey, kCancelHidden, 0},
      {"Escape, cancel back again", 0x1B, 0, kNormal, 2},
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
    ASSERT_EQ(seen_.size(), c.pressed == 0 ? 0u : 1u);
    if (c.pressed == 0) continue;
    EXPECT_EQ(seen_[0].control, c.pressed == 1 ? ok : cancel);
    EXPECT_EQ(seen_[0].part, kControlButtonPart);
  }
  EXPECT_EQ(GetControlHilite(ok), 0) << "the flash ends unhilited";
}

TEST_F(ControlEvents, DefaultButtonRoleEndsWithTheButton) {
  ControlRef ok = Button();
  ASSERT_EQ(SetWindowDefaultButton(window_, ok), noErr);
  EXPECT_TRUE(sp_testing::ReadControl(ok).isDefault);
  DisposeControl(ok);
  ControlRef now = reinterpret_cast<ControlRef>(&now);
  EXPECT_EQ(GetWindowDefaultButton(window_, &now), noErr);
  EXPECT_EQ(now, nullptr);
  ControlRef foreign =
      Make(pushButProc, R(10, 10, 30, 90), 0, 0, 1, "F", MakeWindow(R(450, 100, 600, 400)));
  EXPECT_EQ(SetWindowDefaultButton(window_, foreign), errControlIsNotEmbedder);
}

}  // namespace
}  // namespace ui_test
