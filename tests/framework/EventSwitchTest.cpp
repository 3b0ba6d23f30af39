// The event switch as the modal filters and the tracking loops use it: what a filter hands on,
// what a tracking loop looks at, and the first-call procedures.
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

}  // namespace
}  // namespace fw_events_test
