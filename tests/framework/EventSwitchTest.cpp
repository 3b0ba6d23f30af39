// The event switch as the modal filters and the tracking loops use it: what a filter hands on,
// what a tracking loop looks at, the first-call procedures, and the key-down stack (who took
// each pressed key, so that its key-up goes the same way).
#include <gtest/gtest.h>

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
