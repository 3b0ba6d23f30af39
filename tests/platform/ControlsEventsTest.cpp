// The Control Manager's events and standard handling: hit events on the control's target and
// then the window's, the track event a handler may take over, value changes, clicks nobody
// took, and the default and cancel buttons.
#include <vector>

#include "ControlsFixture.h"

namespace {

using namespace controls_test;

std::vector<Seen>* gSeen = nullptr;

OSStatus Note(EventRef event, const char* who, OSStatus answer) {
  Seen s;
  s.kind = GetEventKind(event);
  s.who = who;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof s.control,
                    nullptr, &s.control);
  GetEventParameter(event, kEventParamControlPart, typeControlPartCode, nullptr, sizeof s.part,
                    nullptr, &s.part);
  GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof s.where, nullptr,
                    &s.where);
  gSeen->push_back(s);
  return answer;
}

OSStatus OnControlPass(EventHandlerCallRef, EventRef event, void*) {
  return Note(event, "control", eventNotHandledErr);
}
OSStatus OnWindowTake(EventHandlerCallRef, EventRef event, void*) {
  return Note(event, "window", noErr);
}
OSStatus OnApplicationTake(EventHandlerCallRef, EventRef event, void*) {
  return Note(event, "application", noErr);
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
  std::vector<Seen> seen_;
};

TEST_F(ControlEvents, HitGoesToTheControlsTargetThenTheWindows) {
  ControlRef button = Button(R(10, 10, 30, 90));
  InstallEventHandler(GetControlEventTarget(button), OnControlPass, 1, kHit, nullptr, nullptr);
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  InstallEventHandler(GetApplicationEventTarget(), OnApplicationTake, 1, kHit, nullptr, nullptr);
  sp_testing::ClickControl(button);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_STREQ(seen_[0].who, "control");
  EXPECT_STREQ(seen_[1].who, "window");
  for (const Seen& s : seen_) {
    EXPECT_EQ(s.kind, kEventControlHit);
    EXPECT_EQ(s.control, button);
    EXPECT_EQ(s.part, kControlButtonPart);
    EXPECT_EQ(s.where.h, 100 + 50) << "the release point, global";
    EXPECT_EQ(s.where.v, 100 + 20);
  }
}

TEST_F(ControlEvents, HitOfAnEmbeddedControlPassesThroughWhatHoldsIt) {
  ControlRef root = nullptr;
  ASSERT_EQ(CreateRootControl(window_, &root), noErr);
  ControlRef pane = nullptr;
  Rect r = R(0, 0, 200, 300);
  ASSERT_EQ(CreateUserPaneControl(window_, &r, 0, &pane), noErr);
  ControlRef button = Button(R(10, 10, 30, 90));
  ASSERT_EQ(EmbedControl(button, pane), noErr);
  InstallEventHandler(GetControlEventTarget(pane), OnControlPass, 1, kHit, nullptr, nullptr);
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  sp_testing::ClickControl(button);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].control, button) << "seen on the pane's target";
  EXPECT_STREQ(seen_[1].who, "window");
}

TEST_F(ControlEvents, NoHitForAPressReleasedOutside) {
  ControlRef button = Button(R(10, 10, 30, 90));
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  Point in = sp_testing::ControlPointToGlobal(button, P(50, 20));
  Point out = sp_testing::ControlPointToGlobal(button, P(50, 60));
  sp_testing::PostMouseDown(in);
  sp_testing::PostMouseDragged(out);
  sp_testing::PostMouseUp(out);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(seen_.empty());
}

TEST_F(ControlEvents, ClicksReachControlsOnlyInWindowsWithTheStandardHandler) {
  WindowRef plain = MakeWindow(R(450, 100, 600, 400), kWindowNoAttributes);
  ControlRef button = Make(pushButProc, R(10, 10, 30, 90), 0, 0, 1, "P", plain);
  InstallEventHandler(GetWindowEventTarget(plain), OnWindowTake, 1, kHit, nullptr, nullptr);
  sp_testing::ClickControl(button);
  EXPECT_TRUE(seen_.empty());
  ChangeWindowAttributes(plain, kWindowStandardHandlerAttribute, 0);
  sp_testing::ClickControl(button);
  EXPECT_EQ(seen_.size(), 1u);
}

OSStatus TakeMouseDown(EventHandlerCallRef, EventRef, void*) {
  return noErr;
}

TEST_F(ControlEvents, AClickSomeoneTookIsNotTrackedAgain) {
  ControlRef button = Button(R(10, 10, 30, 90));
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  const EventTypeSpec down[] = {{kEventClassMouse, kEventMouseDown}};
  InstallEventHandler(GetApplicationEventTarget(), TakeMouseDown, 1, down, nullptr, nullptr);
  sp_testing::ClickControl(button);
  EXPECT_TRUE(seen_.empty());
}

// A handler that tracks the control itself and answers the page-down part.
OSStatus TrackItself(EventHandlerCallRef, EventRef event, void*) {
  ControlPartCode part = kControlPageDownPart;
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  Note(event, "track", noErr);
  return noErr;
}

TEST_F(ControlEvents, TrackHandlerThatAnswersTakesTheTrackingOver) {
  ControlRef bar = ScrollBar();
  const EventTypeSpec track[] = {{kEventClassControl, kEventControlTrack}};
  InstallEventHandler(GetControlEventTarget(bar), TrackItself, 1, track, nullptr, nullptr);
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  Point arrow;
  ASSERT_TRUE(sp_testing::PointInControlPart(bar, kControlUpButtonPart, &arrow));
  sp_testing::PostMouseUp(sp_testing::ControlPointToGlobal(bar, arrow));
  EXPECT_EQ(TrackControl(bar, arrow, nullptr), kControlPageDownPart);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].kind, kEventControlTrack);
  EXPECT_EQ(seen_[1].part, kControlPageDownPart) << "the hit carries the handler's part";
  EXPECT_EQ(sp_testing::QueuedEventCount(), 1u) << "the layer did not track the mouse";
}

TEST_F(ControlEvents, TrackEventLeftUnhandledReachesTheApplication) {
  // The framework's control handler answers 51 unhandled so that the layer tracks.
  ControlRef button = Button(R(10, 10, 30, 90));
  const EventTypeSpec track[] = {{kEventClassControl, kEventControlTrack}};
  InstallEventHandler(GetApplicationEventTarget(), OnControlPass, 1, track, nullptr, nullptr);
  sp_testing::PostMouseUp(sp_testing::ControlPointToGlobal(button, P(50, 20)));
  EXPECT_EQ(TrackControl(button, P(50, 20), nullptr), kControlButtonPart);
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].control, button);
}

TEST_F(ControlEvents, ValueChangedOnlyWhenTheValueChanges) {
  ControlRef bar = ScrollBar(R(10, 300, 210, 316), 10, 100);
  const EventTypeSpec changed[] = {{kEventClassControl, kEventControlValueFieldChanged}};
  InstallEventHandler(GetControlEventTarget(bar), OnControlPass, 1, changed, nullptr, nullptr);
  SetControlValue(bar, 10);
  SetControlValue(bar, 500);  // clamped to 100: a change
  SetControlValue(bar, 100);
  SetControlMaximum(bar, 100);
  SetControlMaximum(bar, 50);  // the value follows
  EXPECT_EQ(seen_.size(), 2u);
}

TEST_F(ControlEvents, ThumbDragSendsIndicatorMoved) {
  ControlRef bar = ScrollBar(R(10, 300, 226, 316), 0, 100);
  const EventTypeSpec moved[] = {{kEventClassControl, kEventControlIndicatorMoved}};
  InstallEventHandler(GetControlEventTarget(bar), OnControlPass, 1, moved, nullptr, nullptr);
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  sp_testing::DragScrollBarThumb(bar, 84);
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].kind, kEventControlIndicatorMoved);
  EXPECT_EQ(seen_[1].kind, kEventControlHit);
  EXPECT_EQ(seen_[1].part, kControlIndicatorPart);
}

// ---- Default and cancel buttons ----

struct KeyCase {
  const char* what;
  UInt8 charCode;
  UInt32 modifiers;
  int pressed;  // 1 the default, 2 the cancel button, 0 none
};

TEST_F(ControlEvents, ReturnEnterEscapeAndCommandPeriodPressTheirButtons) {
  ControlRef ok = Button(R(100, 200, 120, 280));
  ControlRef cancel = Button(R(100, 100, 120, 180));
  ASSERT_EQ(SetWindowDefaultButton(window_, ok), noErr);
  ASSERT_EQ(SetWindowCancelButton(window_, cancel), noErr);
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  const KeyCase cases[] = {
      {"Return", 0x0D, 0, 1},
      {"Enter", 0x03, 0, 1},
      {"Escape", 0x1B, 0, 2},
      {"Command-period", '.', cmdKey, 2},
      {"period alone", '.', 0, 0},
      {"Command-Return", 0x0D, cmdKey, 0},
      {"Shift-Return", 0x0D, shiftKey, 1},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    seen_.clear();
    sp_testing::PostKeyDown(c.charCode, 36, c.modifiers);
    sp_testing::PostKeyUp(c.charCode, 36, c.modifiers);
    sp_testing::PumpUntilIdle();
    if (c.pressed == 0) {
      EXPECT_TRUE(seen_.empty());
      continue;
    }
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].control, c.pressed == 1 ? ok : cancel);
    EXPECT_EQ(seen_[0].part, kControlButtonPart);
  }
  EXPECT_EQ(GetControlHilite(ok), 0) << "the flash ends unhilited";
}

TEST_F(ControlEvents, AnInactiveOrHiddenCancelButtonIsNeverPressed) {
  ControlRef cancel = Button(R(100, 100, 120, 180));
  ASSERT_EQ(SetWindowCancelButton(window_, cancel), noErr);
  InstallEventHandler(GetWindowEventTarget(window_), OnWindowTake, 1, kHit, nullptr, nullptr);
  DeactivateControl(cancel);
  sp_testing::PostKeyDown(0x1B, 53);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(seen_.empty());
  ActivateControl(cancel);
  HideControl(cancel);
  sp_testing::PostKeyDown('.', 47, cmdKey);
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(seen_.empty());
}

TEST_F(ControlEvents, DefaultButtonRoleEndsWithTheButton) {
  ControlRef ok = Button();
  ASSERT_EQ(SetWindowDefaultButton(window_, ok), noErr);
  EXPECT_TRUE(sp_testing::ReadControl(ok).isDefault);
  DisposeControl(ok);
  ControlRef now = reinterpret_cast<ControlRef>(&now);
  EXPECT_EQ(GetWindowDefaultButton(window_, &now), noErr);
  EXPECT_EQ(now, nullptr);
  WindowRef other = MakeWindow(R(450, 100, 600, 400));
  ControlRef foreign = Make(pushButProc, R(10, 10, 30, 90), 0, 0, 1, "F", other);
  EXPECT_EQ(SetWindowDefaultButton(window_, foreign), errControlIsNotEmbedder);
}

}  // namespace
