// The event switch as the modal filters, the tracking loops and the classic main loop use it:
// what a filter hands on, what a tracking loop looks at, suspend/resume, Apple events, clicks
// and drags, the first-call procedures, the main loop's end, and the key-down stack (who took
// each pressed key, so that its key-up goes the same way).
#include <gtest/gtest.h>

#include "AppleEvents.h"
#include "CarbonHandlersTestSupport.h"

namespace fw_events_test {
namespace {


// Counts the idle work: it runs exactly when an event is not dispatched.
int gIdleCalls = 0;
void CountIdle(unsigned long) {
  ++gIdleCalls;
}

class EventSwitchTest : public FrameworkEventsTest {
 protected:
  void SetUp() override {
    FrameworkEventsTest::SetUp();
    gIdleCalls = 0;
    Sp_SetupEventIdleTimeProcedure(CountIdle, 0, 0, &idleRef_);
  }
  void TearDown() override {
    Sp_UnsetEventIdleTimeProcedure(idleRef_);
    FrameworkEventsTest::TearDown();
  }

  static EventRecord Record(EventKind what, unsigned long message = 0) {
    return framework_test::Record(what, Pt(0, 0), 0, message);
  }

  unsigned long idleRef_ = 0;
};

TEST_F(EventSwitchTest, ModalFiltersHandOnKeysUpdatesSuspendResumeAndAppleEventsOnly) {
  // The kinds dispatched, one character per kind 0 to 23; a mask of 0 lets nothing through.
  std::string dispatched, dispatchedWithoutMask;
  for (EventKind kind = 0; kind <= 23; ++kind) {
    // A high-level event names its class; no Apple event is queued, so nothing runs.
    EventRecord event = Record(kind, kind == kHighLevelEvent ? SpFourCC("zzzz") : 0);
    for (EventMask mask : {EventMask(kSpModalFilterEventMask), EventMask(0)}) {
      const int idleBefore = gIdleCalls;
      Sp_EventProcInterface(&event, mask);
      (mask ? dispatched : dispatchedWithoutMask) += gIdleCalls == idleBefore ? 'x' : '.';
    }
  }
  // keyDown 3, keyUp 4, autoKey 5, updateEvt 6, osEvt 15, kHighLevelEvent 23.
  EXPECT_EQ(dispatched, "...xxxx........x.......x");
  EXPECT_EQ(dispatchedWithoutMask, std::string(24, '.'));
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(EventSwitchTest, ModalFilterKeyReachesTheFrontWindowButAClickDoesNot) {
  Rect content;
  GetWindowBounds(AddWindow("A")->GetWindowRef(), kWindowContentRgn, &content);
  EventRecord click = Record(mouseDown);
  click.where = Pt(SInt16(content.left + 5), SInt16(content.top + 5));
  Sp_EventProcInterface(&click, kSpModalFilterEventMask);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr) << "the click must stay with the filter's dialog";

  EventRecord key = Record(keyDown, 'x' | (0x07 << 8));
  Sp_EventProcInterface(&key, kSpModalFilterEventMask);
  EXPECT_EQ(Log(), (Strings{"A.key:78"}));
}

// ---- Tracking loops -------------------------------------------------------------------------

int gIdleUntilRelease = 0;  // the release comes on the third idle pass

TEST_F(EventSwitchTest, StillDownHoldsUntilTheReleaseIsQueuedAndReportsTheModifiers) {
  unsigned long ref = 0;
  gIdleUntilRelease = 0;
  Sp_SetupEventIdleTimeProcedure(
      [](unsigned long) {
        if (++gIdleUntilRelease == 3) sp_testing::PostMouseUp(Pt(10, 100));
      },
      0, 0, &ref);
  sp_testing::SetModifierKeys(shiftKey);
  sp_testing::PostMouseDown(Pt(10, 100));
  int held = 0;
  short modifiers = 0;
  while (Sp_StillDown(&modifiers) != 0 && held < 100) {
    ++held;
    EXPECT_NE(modifiers & shiftKey, 0);
  }
  Sp_UnsetEventIdleTimeProcedure(ref);
  sp_testing::SetModifierKeys(0);
  EXPECT_EQ(held, 2);
}

// ---- First-call procedures ------------------------------------------------------------------

unsigned char TakeClicks(EventRecord* event, unsigned long userData) {
  Log().push_back("first" + std::to_string(userData) + ":" + std::to_string(event->what));
  return event->what == mouseDown ? 1 : 0;
}

TEST_F(EventSwitchTest, FirstCallProceduresRunInOrderUntilOneTakesTheEvent) {
  SInt32 first = 0, second = 0;
  ASSERT_EQ(Sp_SetupFirstCallProcPtr(TakeClicks, 1, &first), 1);
  ASSERT_EQ(Sp_SetupFirstCallProcPtr(TakeClicks, 2, &second), 1);
  EXPECT_GT(second, first);
  EXPECT_EQ(Sp_ExecFirstCallProcForCarbonMouseEvent(mouseDown, Pt(1, 1), 0), 1);
  EXPECT_EQ(Sp_ExecFirstCallProcForCarbonKeyEvent(keyDown, 'x', 7, 0), 0);
  EXPECT_EQ(Log(), (Strings{"first1:1", "first1:3", "first2:3"}));
  EXPECT_EQ(Sp_DeleteFirstCallProcPtr(first), 1);
  EXPECT_EQ(Sp_DeleteFirstCallProcPtr(first), 0) << "a number is removed once";
  EXPECT_EQ(Sp_SetupFirstCallProcPtr(nullptr, 0, nullptr), 0);
  EXPECT_TRUE(errors_.Has("cFirstCallIdleEventCBMgr::SetupNewCBProcPtr", 1));
  EXPECT_EQ(Sp_DeleteFirstCallProcPtr(second), 1);
}

// ---- Suspend and resume, Apple events ------------------------------------------------------

TEST_F(EventSwitchTest, SuspendAndResumeEventsSwitchTheApplicationState) {
  EventRecord suspend = Record(osEvt, 0x01000000ul);
  Sp_EventSwitch(&suspend);
  EXPECT_EQ(SpGetFrontApplicationFlag(), 0);
  EXPECT_TRUE(Sp_IsMouseTraceDisabled());
  // A mouse-moved OS event changes nothing.
  EventRecord moved = Record(osEvt, 0xFA000000ul);
  Sp_EventSwitch(&moved);
  EXPECT_EQ(SpGetFrontApplicationFlag(), 0);
  EventRecord resume = Record(osEvt, 0x01000001ul);
  Sp_EventSwitch(&resume);
  EXPECT_EQ(SpGetFrontApplicationFlag(), 1);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
}

int gPingCalls = 0;
OSErr PingHandler(const AppleEvent*, AppleEvent*, URefCon) {
  ++gPingCalls;
  return noErr;
}

// Queues a 'Test'/'ping' Apple event to this process, counted by PingHandler.
void SendPingToSelf() {
  gPingCalls = 0;
  ASSERT_EQ(AEInstallEventHandler(SpFourCC("Test"), SpFourCC("ping"), PingHandler, 0, false),
            noErr);
  ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc target = {typeNull, nullptr};
  ASSERT_EQ(AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target), noErr);
  AppleEvent ping = {typeNull, nullptr};
  ASSERT_EQ(AECreateAppleEvent(SpFourCC("Test"), SpFourCC("ping"), &target, kAutoGenerateReturnID,
                               kAnyTransactionID, &ping),
            noErr);
  ASSERT_EQ(AESend(&ping, nullptr, kAENoReply, kAENormalPriority, kNoTimeOut, nullptr, nullptr),
            noErr);
  AEDisposeDesc(&ping);
  AEDisposeDesc(&target);
}

TEST_F(EventSwitchTest, HighLevelEventWithoutAClassIsLoggedAndNotProcessed) {
  ASSERT_NO_FATAL_FAILURE(SendPingToSelf());
  EventRecord noClass = Record(kHighLevelEvent, 0);
  Sp_EventSwitch(&noClass);
  EXPECT_EQ(gPingCalls, 0);
  EXPECT_TRUE(errors_.Has("Sp_EventSwitch", 1));
  EventRecord withClass = Record(kHighLevelEvent, SpFourCC("Test"));
  Sp_EventSwitch(&withClass);
  EXPECT_EQ(gPingCalls, 1);
}

TEST_F(EventSwitchTest, StillDownHandlesAppleEventsButLeavesKeysForTheTracker) {
  AddWindow("A");
  sp_testing::PostKeyDown('x', 0x07);
  ASSERT_NO_FATAL_FAILURE(SendPingToSelf());
  Sp_StillDown(nullptr);
  EXPECT_EQ(gPingCalls, 1);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(sp_testing::QueuedEventCount(), 1u);
}

// ---- Classic mouse dispatch -----------------------------------------------------------------

TEST_F(EventSwitchTest, ClickInABackWindowBringsItForwardUnlessAModalDialogIsInFront) {
  RecordingWindow* back = AddWindow("Back");
  RecordingWindow* front = AddWindow("Front");
  Rect backContent;
  GetWindowBounds(back->GetWindowRef(), kWindowContentRgn, &backContent);
  // The back window's top-left corner is not covered by the front one.
  EventRecord click = framework_test::Record(
      mouseDown, Pt(SInt16(backContent.left + 5), SInt16(backContent.top + 5)));

  front->SetupModalDialogFlag(1);
  front->SetupModalDialogBackgroundMouseDownBeepFlag(1);
  Sp_EventSwitch(&click);
  EXPECT_EQ(WindowListHead_GlV, front) << "a modal dialog in front keeps the order";
  EXPECT_EQ(FrontWindow(), front->GetWindowRef());
  EXPECT_EQ(errors_.Beeps(), 1u);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr);

  front->SetupModalDialogFlag(0);
  Sp_EventSwitch(&click);
  EXPECT_EQ(WindowListHead_GlV, back);
  EXPECT_EQ(FrontWindow(), back->GetWindowRef());
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), back);
  // The release ends the press that the click left open.
  EXPECT_EQ(mouseDownWindowObj_GlV, back);
  EventRecord release = framework_test::Record(mouseUp, click.where);
  Sp_EventSwitch(&release);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr);
}

int gDragIdle = 0;

TEST_F(EventSwitchTest, TitleBarDragMovesTheWindowWithTheMouse) {
  RecordingWindow* a = AddWindow("A");
  Rect before;
  GetWindowBounds(a->GetWindowRef(), kWindowContentRgn, &before);
  // Pressed in the title strip above the content.
  const Point press = Pt(SInt16(before.left + 50), SInt16(before.top - 10));
  ASSERT_EQ(FindWindow(press, nullptr), inDrag);
  unsigned long ref = 0;
  gDragIdle = 0;
  Sp_SetupEventIdleTimeProcedure(
      [](unsigned long) {
        ++gDragIdle;
        if (gDragIdle == 1) sp_testing::PostMouseDragged(Pt(150, 51));
        if (gDragIdle == 2) sp_testing::PostMouseDragged(Pt(151, 52));  // within the slop
        if (gDragIdle == 4) sp_testing::PostMouseUp(Pt(151, 52));
      },
      0, 0, &ref);
  sp_testing::PostMouseDown(press);
  EventRecord down = framework_test::Record(mouseDown, press);
  Sp_EventSwitch(&down);
  Sp_UnsetEventIdleTimeProcedure(ref);
  Rect after;
  GetWindowBounds(a->GetWindowRef(), kWindowContentRgn, &after);
  EXPECT_EQ(after.left - before.left, 150 - press.h);
  EXPECT_EQ(after.top - before.top, 51 - press.v);
}

// ---- The classic main loop ------------------------------------------------------------------

// Ends the loop on Escape.
class EndingWindow : public RecordingWindow {
 public:
  EndingWindow() : RecordingWindow("E", Pt(60, 80)) {}
  unsigned char KeyIntoWindow(char charCode, char keyCode, short modifiers,
                              unsigned char autoKey) override {
    RecordingWindow::KeyIntoWindow(charCode, keyCode, modifiers, autoKey);
    if (charCode == 0x1B) SpEndOfMainLoop();
    return 1;
  }
};

int gLoopIdle = 0;
int gDisposed = 0;

TEST_F(EventSwitchTest, ClassicLoopRoutesKeysUntilTheLoopIsEndedThenRunsTheEndingProcedures) {
  unsigned long disposeRef = 0;
  gDisposed = 0;
  Sp_SetupDisposeProcedure([](unsigned long) { ++gDisposed; }, 0, 0, &disposeRef);
  // A guard ends the loop should the keys never arrive.
  unsigned long guardRef = 0;
  gLoopIdle = 0;
  Sp_SetupEventIdleTimeProcedure(
      [](unsigned long) {
        if (++gLoopIdle > 10000) SpEndOfMainLoop();
      },
      0, 0, &guardRef);
  InstallShortCut();
  Keep(new EndingWindow());
  // The ending procedures let a second of events go by; a timer keeps the virtual clock going.
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(
                GetMainEventLoop(), 0, 0.05, [](EventLoopTimerRef, void*) {}, nullptr, &timer),
            noErr);
  SpKeyUpEventEnable();
  SpSetupExecuteMainEventLoopTerminateProcedureFlag(1);
  sp_testing::PostKeyDown('k', 0x28, cmdKey);
  sp_testing::PostKeyUp('k', 0x28, cmdKey);
  sp_testing::PostKeyDown('x', 0x07);
  sp_testing::PostKeyUp('x', 0x07);
  sp_testing::PostKeyDown(0x1B, 0x35);

  Sp_MainEventLoop();

  Sp_UnsetEventIdleTimeProcedure(guardRef);
  RemoveRegistryEntry(quitAppProcDef_GlV, disposeRef);
  RemoveEventLoopTimer(timer);
  EXPECT_LT(gLoopIdle, 10000) << "the loop ended on the guard, not on Escape";
  // Command-K is the short-cut (no key-up for the window); x goes down and up to the window.
  EXPECT_EQ(Log(), (Strings{"shortcut", "E.key:78", "E.up:78", "E.key:1B"}));
  EXPECT_EQ(gDisposed, 1);
  EXPECT_EQ(SpGetMainLoopFlag(), 0);
  EXPECT_EQ(cursorRgnH_GlV, nullptr);
}

void Switch(EventKind what, char charCode, char keyCode, short modifiers = 0) {
  EventRecord event = framework_test::Record(
      what, Pt(0, 0), UInt16(modifiers),
      UInt8(charCode) | (static_cast<unsigned long>(static_cast<unsigned char>(keyCode)) << 8));
  Sp_EventSwitch(&event);
}

int StackDepth() {
  int depth = 0;
  for (auto* i = keyDownStackItemList_GlV; i != nullptr; i = i->GetNextObjectPtr()) ++depth;
  return depth;
}

class KeyDownStackTest : public FrameworkEventsTest {};

TEST_F(KeyDownStackTest, ClassicPathStacksOnlyRoutedKeyDownsAndOnlyWhileKeyUpsAreOn) {
  struct Case {
    const char* why;
    bool keyUpsOn;
    bool windowTakes;
    EventKind what;  // keyDown or autoKey
    short modifiers;
    char charCode;
    int depth;         // stack depth after the key-down
    Strings expected;  // after the key-down and its key-up
  };
  // clang-format off
  const Case cases[] = {
      {"key-ups off: nothing is stacked and the key-up is ignored", false, true, keyDown, 0, 'x', 0, {"A.key:78"}},
      {"a key the window took is stacked and its key-up goes to the window", true, true, keyDown, 0, 'x', 1, {"A.key:78", "A.up:78"}},
      {"a key nobody took is not stacked, so its key-up reaches nobody", true, false, keyDown, 0, 'x', 0, {"A.key:78"}},
      {"a short-cut is stacked but gives the window no key-up", true, true, keyDown, cmdKey, 'k', 1, {"shortcut"}},
      {"an auto-key is never stacked", true, true, autoKey, 0, 'x', 0, {"A.key:78"}},
  };
  // clang-format on
  InstallShortCut();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Log().clear();
    windows_.clear();
    AddWindow("A", c.windowTakes);
    c.keyUpsOn ? SpKeyUpEventEnable() : SpKeyUpEventDisable();
    Switch(c.what, c.charCode, 0x21, c.modifiers);
    EXPECT_EQ(StackDepth(), c.depth);
    Switch(keyUp, c.charCode, 0x21, c.modifiers);
    EXPECT_EQ(StackDepth(), 0);
    EXPECT_EQ(Log(), c.expected);
  }
}

TEST_F(KeyDownStackTest, TwoPressesOfOneKeyAreReleasedNewestFirst) {
  SpKeyDownStack('a', 0x10, kSpKeyDownShortCut);
  SpKeyDownStack('a', 0x10, kSpKeyDownFrontWindow);
  SpKeyDownStack('b', 0x11, kSpKeyDownNobody);
  // Taking an item out of the middle keeps the rest of the stack linked.
  for (tKeyDownProcType expected : {kSpKeyDownFrontWindow, kSpKeyDownShortCut}) {
    cKeyDownStackItemObj* newest = SpGetkeyDownStackItemByKeyCode(0x10);
    ASSERT_NE(newest, nullptr);
    EXPECT_TRUE(newest->EqualDownProcType(expected));
    SpDeleteKeyDownStackItem(newest);
  }
  EXPECT_EQ(SpGetkeyDownStackItemByKeyCode(0x10), nullptr);
  ASSERT_NE(SpGetkeyDownStackItemByKeyCode(0x11), nullptr);
  EXPECT_EQ(StackDepth(), 1);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace fw_events_test
