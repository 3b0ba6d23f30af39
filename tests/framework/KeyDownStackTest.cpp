// The key-down stack: who took each pressed key, so that its key-up goes the same way.
#include <gtest/gtest.h>

#include "CarbonHandlersTestSupport.h"

namespace fw_events_test {
namespace {

using Strings = std::vector<std::string>;

void Switch(EventKind what, char charCode, char keyCode, short modifiers = 0) {
  EventRecord event = framework_test::Record(
      what, Pt(0, 0), UInt16(modifiers),
      UInt8(charCode) | (static_cast<unsigned long>(static_cast<unsigned char>(keyCode)) << 8));
  Sp_EventSwitch(&event);
}

int StackDepth() {
  int depth = 0;
  for (cKeyDownStackItemObj* i = keyDownStackItemList_GlV; i != nullptr;
       i = i->GetNextObjectPtr()) {
    ++depth;
  }
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
      {"key-ups off: nothing is stacked and the key-up is ignored", false, true, keyDown, 0, 'x',
       0, {"A.key:78"}},
      {"a key the window took is stacked and its key-up goes to the window", true, true, keyDown,
       0, 'x', 1, {"A.key:78", "A.up:78"}},
      {"a key nobody took is not stacked, so its key-up reaches nobody", true, false, keyDown, 0,
       'x', 0, {"A.key:78"}},
      {"a short-cut is stacked but gives the window no key-up", true, true, keyDown, cmdKey, 'k',
       1, {"shortcut"}},
      {"an auto-key is never stacked", true, true, autoKey, 0, 'x', 0, {"A.key:78"}},
  };
  // clang-format on
  InstallShortCut();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Log().clear();
    windows_.clear();
    AddWindow("A", c.windowTakes);
    if (c.keyUpsOn) {
      SpKeyUpEventEnable();
    } else {
      SpKeyUpEventDisable();
    }
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
  cKeyDownStackItemObj* newest = SpGetkeyDownStackItemByKeyCode(0x10);
  ASSERT_NE(newest, nullptr);
  EXPECT_TRUE(newest->EqualDownProcType(kSpKeyDownFrontWindow));
  SpDeleteKeyDownStackItem(newest);
  cKeyDownStackItemObj* older = SpGetkeyDownStackItemByKeyCode(0x10);
  ASSERT_NE(older, nullptr);
  EXPECT_TRUE(older->EqualDownProcType(kSpKeyDownShortCut));
  // Taking an item out of the middle keeps the rest of the stack linked.
  SpDeleteKeyDownStackItem(older);
  ASSERT_NE(SpGetkeyDownStackItemByKeyCode(0x11), nullptr);
  EXPECT_EQ(StackDepth(), 1);
  EXPECT_EQ(SpGetkeyDownStackItemByKeyCode(0x10), nullptr);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(KeyDownStackTest, DeletingAnItemThatIsNotOnTheStackIsReportedAndHarmless) {
  SpKeyDownStack('a', 0x10, kSpKeyDownFrontWindow);
  SpDeleteKeyDownStackItem(nullptr);
  EXPECT_TRUE(errors_.Has("SpDeleteKeyDownStackItem", 1));
  cKeyDownStackItemObj stranger('z', 0x12, kSpKeyDownNobody);
  SpDeleteKeyDownStackItem(&stranger);
  EXPECT_TRUE(errors_.Has("SpDeleteKeyDownStackItem", 2));
  EXPECT_EQ(StackDepth(), 1);
  // Switching key-ups off empties the stack.
  SpKeyUpEventDisable();
  EXPECT_EQ(keyDownStackItemList_GlV, nullptr);
}

}  // namespace
}  // namespace fw_events_test
