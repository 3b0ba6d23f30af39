// The classic event switch: what modal filters hand on, the tracking loops' look at events,
// suspend/resume, Apple events, first-call procedures and the classic main loop.
#include <gtest/gtest.h>

#include "CarbonHandlersTestSupport.h"

namespace fw_events_test {
namespace {

using Strings = std::vector<std::string>;

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
  const std::vector<EventKind> passing = {keyDown,   keyUp, autoKey,
                                          updateEvt, osEvt, kHighLevelEvent};
  for (EventKind kind = 0; kind <= 23; ++kind) {
    SCOPED_TRACE(kind);
    // A high-level event names its class; no Apple event is queued, so nothing runs.
    EventRecord event = Record(kind, kind == kHighLevelEvent ? SpFourCC("zzzz") : 0);
    const int idleBefore = gIdleCalls;
    Sp_EventProcInterface(&event, kSpModalFilterEventMask);
    const bool dispatched = (gIdleCalls == idleBefore);
    bool expected = false;
    for (EventKind k : passing) expected = expected || (k == kind);
    EXPECT_EQ(dispatched, expected);
    // A mask of 0 lets nothing through.
    const int idleBeforeZero = gIdleCalls;
    Sp_EventProcInterface(&event, 0);
    EXPECT_EQ(gIdleCalls, idleBeforeZero + 1);
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(EventSwitchTest, ModalFilterKeyReachesTheFrontWindowButAClickDoesNot) {
  RecordingWindow* a = AddWindow("A");
  Rect content;
  GetWindowBounds(a->GetWindowRef(), kWindowContentRgn, &content);
  EventRecord click = Record(mouseDown);
  click.where = Pt(SInt16(content.left + 5), SInt16(content.top + 5));
  Sp_EventProcInterface(&click, kSpModalFilterEventMask);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr) << "the click must stay with the filter's dialog";

  EventRecord key = Record(keyDown, 'x' | (0x07 << 8));
  Sp_EventProcInterface(&key, kSpModalFilterEventMask);
  EXPECT_EQ(Log(), (Strings{"A.key:78"}));
}

// ---- Tracking loops -------------------------------------------------------------------------

int gIdleUntilRelease = 0;
void ReleaseOnThirdIdle(unsigned long) {
  if (++gIdleUntilRelease == 3) sp_testing::PostMouseUp(Pt(10, 100));
}

TEST_F(EventSwitchTest, StillDownHoldsUntilTheReleaseIsQueuedAndReportsTheModifiers) {
  unsigned long ref = 0;
  gIdleUntilRelease = 0;
  Sp_SetupEventIdleTimeProcedure(ReleaseOnThirdIdle, 0, 0, &ref);
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

// ---- Classic mouse dispatch -----------------------------------------------------------------

EventRecord MouseRecord(EventKind what, Point where) {
  return framework_test::Record(what, where);
}

TEST_F(EventSwitchTest, ClickInABackWindowBringsItForwardUnlessAModalDialogIsInFront) {
  RecordingWindow* back = AddWindow("Back");
  RecordingWindow* front = AddWindow("Front");
  Rect backContent;
  GetWindowBounds(back->GetWindowRef(), kWindowContentRgn, &backContent);
  // The back window's top-left corner is not covered by the front one.
  EventRecord click =
      MouseRecord(mouseDown, Pt(SInt16(backContent.left + 5), SInt16(backContent.top + 5)));

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
  EventRecord release = MouseRecord(mouseUp, click.where);
  Sp_EventSwitch(&release);
  EXPECT_EQ(mouseDownWindowObj_GlV, nullptr);
}

// ---- First-call procedures ------------------------------------------------------------------

unsigned char TakeClicks(EventRecord* event, unsigned long userData) {
  Log().push_back("first" + std::to_string(userData) + ":" + std::to_string(event->what));
  return event->what == mouseDown ? 1 : 0;
}

TEST_F(EventSwitchTest, FirstCallProceduresRunInOrderUntilOneTakesTheEvent) {
  SInt32 first = 0;
  SInt32 second = 0;
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

// ---- The classic main loop ------------------------------------------------------------------

// Ends the loop on Escape; a guard ends it too should the keys never arrive.
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
void LoopGuard(unsigned long) {
  if (++gLoopIdle > 10000) SpEndOfMainLoop();
}
int gDisposed = 0;
void CountDispose(unsigned long) {
  ++gDisposed;
}
void Tick(EventLoopTimerRef, void*) {}

TEST_F(EventSwitchTest, ClassicLoopRoutesKeysUntilTheLoopIsEndedThenRunsTheEndingProcedures) {
  unsigned long disposeRef = 0;
  Sp_SetupDisposeProcedure(CountDispose, 0, 0, &disposeRef);
  unsigned long guardRef = 0;
  gLoopIdle = 0;
  gDisposed = 0;
  Sp_SetupEventIdleTimeProcedure(LoopGuard, 0, 0, &guardRef);
  InstallShortCut();
  windows_.emplace_back(new EndingWindow());
  // The ending procedures let a second of events go by; a timer keeps the virtual clock going.
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, 0.05, Tick, nullptr, &timer), noErr);
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

}  // namespace
}  // namespace fw_events_test
