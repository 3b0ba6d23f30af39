// Progress windows: cancelling by the cancel button, by Escape and by Command-period, each
// running the owner's cancel procedure once, through the real event loop.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "ErrorLogCapture.h"
#include "Events.h"
#include "SpProgressBarWinObject.h"
#include "SpStdFunction.h"
#include "SpTesting.h"
#include "SpWindowControlItemObj.h"
#include "SpWindowHandlers.h"
#include "TestControls.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;
constexpr short kSeveralItemsDialog = 9136;
constexpr short kCancelItem = 1;
constexpr short kMainBarItem = 2;

// Mac virtual key codes.
constexpr UInt8 kEscapeKeyCode = 53;
constexpr UInt8 kPeriodKeyCode = 47;
constexpr UInt8 kAKeyCode = 0;

struct CancelCall {
  cSp_ProgressBarWin* window;
  unsigned long userData;
};

std::vector<CancelCall>& Calls() {
  static std::vector<CancelCall> calls;
  return calls;
}

void RecordCancel(cSp_ProgressBarWin* window, unsigned long userData) {
  Calls().push_back({window, userData});
}

void OtherCancel(cSp_ProgressBarWin* window, unsigned long) {
  Calls().push_back({window, 999});
}

// The owner that ends the work by deleting the window from its cancel procedure.
void DeleteOnCancel(cSp_ProgressBarWin* window, unsigned long userData) {
  Calls().push_back({window, userData});
  delete window;
}

// Raw key-downs that got past the window to the application's target.
int& KeysReachingApplication() {
  static int count = 0;
  return count;
}

OSStatus CountApplicationKey(EventHandlerCallRef, EventRef, void*) {
  ++KeysReachingApplication();
  return eventNotHandledErr;
}

class ProgressWindowCancelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    ResetAll();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
  void TearDown() override {
    window_.reset();
    ResetAll();
    sp_testing::UseRealClock();
  }
  static void ResetAll() {
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::SetModifierKeys(0);
    Calls().clear();
    KeysReachingApplication() = 0;
  }

  // The window as the save makes it in the program's mode: (dialog, 2, 1, 100), modal, open,
  // with the cancel procedure.
  cSp_ProgressBarWin* MakeOpenWindow(short cancelItem = kCancelItem) {
    Sp_CarbonEvent_ModeEnable();
    window_.reset(new cSp_ProgressBarWin(kSeveralItemsDialog, kMainBarItem, cancelItem, 100));
    window_->SetupModalDialogFlag(1);
    window_->SetupCancelButtonProc(RecordCancel, 77);
    window_->Open(1, nullptr);
    return window_.get();
  }

  void WatchApplicationKeys() {
    static const EventTypeSpec kRawKeyDown[] = {{kEventClassKeyboard, kEventRawKeyDown}};
    ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), CountApplicationKey, 1, kRawKeyDown,
                                  nullptr, nullptr),
              noErr);
  }

  ControlRef CancelButton() const {
    ControlRef control = nullptr;
    GetDialogItemAsControl(window_->GetDialogRef(), kCancelItem, &control);
    return control;
  }

  std::unique_ptr<cSp_ProgressBarWin> window_;
  ErrorLogCapture errors_;
};

// A raw key-down event as the keyboard sends it; without `withChar` it lacks its character,
// without `withModifiers` its modifiers.
EventRef RawKey(char key, UInt32 modifiers, bool withChar = true, bool withModifiers = true) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, kEventAttributeNone, &event) !=
      noErr) {
    return nullptr;
  }
  if (withChar) SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &key);
  if (withModifiers) {
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  }
  return event;
}

// ---- The cancel button ----------------------------------------------------------------------

TEST_F(ProgressWindowCancelTest, ClickOnCancelButtonRunsTheCancelProcedureOnce) {
  cSp_ProgressBarWin* window = MakeOpenWindow();
  ASSERT_NE(CancelButton(), nullptr);
  sp_testing::ClickControl(CancelButton());
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].window, window);
  EXPECT_EQ(Calls()[0].userData, 77u);
  EXPECT_EQ(window->IsOpen(), 1) << "the window leaves closing to its owner";
}

TEST_F(ProgressWindowCancelTest, ClickWithTheFrameworkHandlersInstalledCancelsOnce) {
  // The program's set-up: the framework's mouse and control handlers on the application
  // target see the click (and a hit) before and after the cancel button's own handler.
  Sp_SetupWindowEventHandlerForCarbonEvent();
  cSp_ProgressBarWin* window = MakeOpenWindow();
  sp_testing::ClickControl(CancelButton());
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].window, window);
}

TEST_F(ProgressWindowCancelTest, LaterCancelProcedureReplacesTheEarlierOne) {
  cSp_ProgressBarWin* window = MakeOpenWindow();
  window->SetupCancelButtonProc(OtherCancel, 5);
  sp_testing::ClickControl(CancelButton());
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].userData, 999u);

  Calls().clear();
  window->SetupCancelButtonProc(nullptr, 0);
  sp_testing::ClickControl(CancelButton());
  EXPECT_TRUE(Calls().empty());
}

TEST_F(ProgressWindowCancelTest, CancelButtonCallbackWithoutWindowIsReported) {
  SpProgWin_CatchCancelButtonExecCB(0, 0);
  EXPECT_TRUE(errors_.Has("SpProgWin_CatchCancelButtonExecCB", 1));
  EXPECT_EQ(errors_.Records().back().message, "Required argument is null !! ");
  EXPECT_EQ(errors_.Beeps(), 1u);
}

// ---- Keys through the loop ------------------------------------------------------------------

TEST_F(ProgressWindowCancelTest, CancelKeysRunTheProcedureOnceAndAreConsumed) {
  struct Case {
    const char* what;
    UInt8 charCode;
    UInt8 keyCode;
    UInt32 modifiers;
    bool cancels;
  };
  const Case cases[] = {
      {"Escape", 0x1B, kEscapeKeyCode, 0, true},
      {"Command-Escape", 0x1B, kEscapeKeyCode, cmdKey, true},
      {"Shift-Option-Escape", 0x1B, kEscapeKeyCode, shiftKey | optionKey, true},
      {"Control-Escape", 0x1B, kEscapeKeyCode, controlKey, true},
      {"Command-period", '.', kPeriodKeyCode, cmdKey, true},
      {"Command-Shift-period", '.', kPeriodKeyCode, cmdKey | shiftKey, true},
      {"period", '.', kPeriodKeyCode, 0, false},
      {"Option-period", '.', kPeriodKeyCode, optionKey, false},
      {"Control-period", '.', kPeriodKeyCode, controlKey, false},
      {"a", 'a', kAKeyCode, 0, false},
  };
  MakeOpenWindow();
  WatchApplicationKeys();
  for (const Case& c : cases) {
    Calls().clear();
    KeysReachingApplication() = 0;
    sp_testing::PressKey(c.charCode, c.keyCode, c.modifiers);
    EXPECT_EQ(Calls().size(), c.cancels ? 1u : 0u) << c.what;
    EXPECT_EQ(KeysReachingApplication(), c.cancels ? 0 : 1) << c.what;
  }
}

TEST_F(ProgressWindowCancelTest, WindowWithoutCancelButtonStillCancelsByEscape) {
  MakeOpenWindow(0);
  EXPECT_EQ(window_->GetControlItemList(), nullptr) << "no control item for a cancel button";
  sp_testing::PressEscape();
  EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(ProgressWindowCancelTest, OwnerMayDeleteTheWindowFromItsCancelProcedure) {
  cSp_ProgressBarWin* window = MakeOpenWindow();
  window->SetupCancelButtonProc(DeleteOnCancel, 1);
  cSp_ProgressBarWin* released = window_.release();
  sp_testing::PressEscape();
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].window, released);
  EXPECT_EQ(WindowListHead_GlV, nullptr);
  // Nothing of the deleted window hears keys any more.
  sp_testing::PressEscape();
  EXPECT_EQ(Calls().size(), 1u);
}

// ---- The key handler ------------------------------------------------------------------------

TEST_F(ProgressWindowCancelTest, KeyHandlerAnswersByKeyModifiersAndParameters) {
  struct Case {
    const char* what;
    char key;
    UInt32 modifiers;
    bool withChar;
    bool withModifiers;
    OSStatus result;
    bool cancels;
  };
  const Case cases[] = {
      {"Escape", 27, 0, true, true, noErr, true},
      {"Escape without modifiers parameter", 27, 0, true, false, noErr, true},
      {"Command-period", '.', cmdKey, true, true, noErr, true},
      {"period", '.', 0, true, true, eventNotHandledErr, false},
      {"period without modifiers parameter", '.', 0, true, false, eventNotHandledErr, false},
      // Only the low 16 bits are modifier bits.
      {"period with Command above 16 bits", '.', UInt32(cmdKey) << 16, true, true,
       eventNotHandledErr, false},
      {"Command-period with high bits", '.', 0xFFFF0000u | cmdKey, true, true, noErr, true},
      {"no character", 27, 0, false, true, eventNotHandledErr, false},
      {"Command-comma", ',', cmdKey, true, true, eventNotHandledErr, false},
  };
  cSp_ProgressBarWin* window = MakeOpenWindow();
  for (const Case& c : cases) {
    Calls().clear();
    EventRef event = RawKey(c.key, c.modifiers, c.withChar, c.withModifiers);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(nullptr, event, window), c.result)
        << c.what;
    EXPECT_EQ(Calls().size(), c.cancels ? 1u : 0u) << c.what;
    ReleaseEvent(event);
  }
}

TEST_F(ProgressWindowCancelTest, CancelKeyWithoutProcedureIsStillConsumed) {
  cSp_ProgressBarWin* window = MakeOpenWindow();
  window->SetupCancelButtonProc(nullptr, 0);
  EventRef event = RawKey(27, 0);
  EXPECT_EQ(SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(nullptr, event, window), noErr);
  EXPECT_EQ(window->CatchRawKeyEventForOSXCarbonEventCB('.', cmdKey), 1);
  EXPECT_TRUE(Calls().empty());
  ReleaseEvent(event);
}

TEST_F(ProgressWindowCancelTest, KeyHandlerWithoutWindowPassesTheKeyOnSilently) {
  EventRef event = RawKey(27, 0);
  EXPECT_EQ(SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(nullptr, event, nullptr),
            eventNotHandledErr);
  EXPECT_EQ(errors_.Count(), 0u);
  EXPECT_EQ(errors_.Beeps(), 0u);
  ReleaseEvent(event);
}

// ---- Outside the Carbon-event mode ----------------------------------------------------------

TEST_F(ProgressWindowCancelTest, OutsideCarbonEventModeOnlyTheCancelButtonCancels) {
  if (Sp_Is_CarbonEvent_ModeEnable()) {
    // The mode is set once per process; ctest runs every test in a process of its own.
    GTEST_SKIP() << "the Carbon-event mode was switched on earlier in this process";
  }
  window_.reset(new cSp_ProgressBarWin(kSeveralItemsDialog, kMainBarItem, kCancelItem, 100));
  window_->SetupCancelButtonProc(RecordCancel, 3);
  window_->Open(1, nullptr);
  sp_testing::PressEscape();
  sp_testing::PressCommandPeriod();
  EXPECT_TRUE(Calls().empty()) << "no key handler in the classic mode";

  // The framework's dialog mouse handling completes the button's operation.
  cSp_ControlItem* cancel = window_->GetTargetDialogControlItemObjPtr(kCancelItem);
  ASSERT_NE(cancel, nullptr);
  cancel->ExecuteButtonOperationCompleatedProc(0);
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].userData, 3u);
}

}  // namespace
