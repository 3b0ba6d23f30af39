// Keys through the real event loop: raw keys posted as the display would post them reach the
// application's short-cuts, the input method or the front window, and each key-up follows
// its key-down.
#include <gtest/gtest.h>

#include "CarbonHandlersTestSupport.h"

namespace fw_events_test {
namespace {


const UInt8 kKeyCodeK = 0x28;
const UInt8 kKeyCodeX = 0x07;

class CarbonKeyTest : public FrameworkEventsTest {
 protected:
  void SetUp() override {
    FrameworkEventsTest::SetUp();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
    InstallShortCut();
  }

  // Presses and releases one key and runs the loop until it is handled.
  static void Type(UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
    sp_testing::PostKeyDown(charCode, keyCode, modifiers);
    sp_testing::PostKeyUp(charCode, keyCode, modifiers);
    sp_testing::PumpUntilIdle();
  }
};

TEST_F(CarbonKeyTest, EachKeyTakesOneRouteAndItsKeyUpFollowsIt) {
  struct Case {
    const char* why;
    bool window;       // an open framework window
    bool windowTakes;  // its operations take the keys
    bool inlineInput;  // an edit-text object has inline input under way
    UInt8 charCode;
    UInt8 keyCode;
    UInt32 modifiers;
    Strings expected;
  };
  const UInt8 K = kKeyCodeK, X = kKeyCodeX;
  // clang-format off
  const Case cases[] = {
      {"a short-cut is taken before the window and the window hears no key-up", true, true, false, 'k', K, cmdKey, {"shortcut"}},
      {"a short-cut is taken before the input method", true, true, true, 'k', K, cmdKey, {"shortcut"}},
      {"inline input keeps the key and its key-up from the window", true, true, true, 'x', X, 0, {}},
      {"an ordinary key goes down and up to the front window", true, true, false, 'x', X, 0, {"A.down:78", "A.up:78"}},
      {"a key nobody took still offers its key-up to the window", true, false, false, 'x', X, 0, {"A.down:78", "A.up:78"}},
      {"the short-cut letter without Command is an ordinary key", true, true, false, 'k', K, 0, {"A.down:6B", "A.up:6B"}},
      {"without a window nobody hears the key", false, true, false, 'x', X, 0, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Log().clear();
    windows_.clear();
    if (c.window) AddWindow("A", c.windowTakes);
    sp_testing::SetInlineInputInProgress(c.inlineInput);
    Type(c.charCode, c.keyCode, c.modifiers);
    EXPECT_EQ(Log(), c.expected);
    EXPECT_EQ(keyDownStackItemList_GlV, nullptr) << "every key-up takes its key off the stack";
  }
}

// A held short-cut fires once per press while its repeats go to the window. The same key
// pressed twice before either is released (first as the short-cut, then without Command): the
// first release belongs to the newer press (the window's); the second to the short-cut, whose
// key-up the window never hears.
TEST_F(CarbonKeyTest, HeldShortCutFiresOncePerPressAndKeyUpMatchesTheNewestPress) {
  AddWindow("A");
  sp_testing::PostKeyDown('k', kKeyCodeK, cmdKey);
  sp_testing::PostKeyRepeat('k', kKeyCodeK, cmdKey);
  sp_testing::PostKeyDown('k', kKeyCodeK, 0);
  sp_testing::PumpUntilIdle();
  sp_testing::PostKeyUp('k', kKeyCodeK, 0);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Log(), (Strings{"shortcut", "A.repeat:6B", "A.down:6B", "A.up:6B"}));
  ASSERT_NE(keyDownStackItemList_GlV, nullptr);
  EXPECT_EQ(keyDownStackItemList_GlV->GetDownProcType(), kSpKeyDownShortCut);
  sp_testing::PostKeyUp('k', kKeyCodeK, cmdKey);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(Log().size(), 4u);
  EXPECT_EQ(keyDownStackItemList_GlV, nullptr);
}

TEST_F(CarbonKeyTest, KeyCallbackHearsWhatTheWindowOperationLeft) {
  RecordingWindow* a = AddWindow("A", false);
  static int calls = 0;
  calls = 0;
  a->SetupRowKeyDownIntoWindowCallback(
      [](char, char, unsigned char, short, unsigned long userData) -> unsigned char {
        ++calls;
        EXPECT_EQ(userData, 77ul);
        return 1;
      },
      77);
  Type('x', kKeyCodeX, 0);
  EXPECT_EQ(calls, 1);
  // The callback took the key-down, so the key-up goes to the window too (route 4).
  EXPECT_EQ(Log(), (Strings{"A.down:78", "A.up:78"}));
}

// ---- Typed text -----------------------------------------------------------------------------

class TextInputTest : public CarbonKeyTest {
 protected:
  void SetUp() override {
    CarbonKeyTest::SetUp();
    SpTSMSetupEventHandlerForCarbonEvent();
  }
};

// One-byte text reaches the window as MacJapanese (half-width katakana A is one byte) after the
// short-cuts had their look; two-byte text is for the edit-text engine only.
TEST_F(TextInputTest, TypedTextGoesThroughTheShortCutsAndOnlyOneByteTextReachesTheWindow) {
  struct Case {
    const char* why;
    std::vector<std::string> utf8;
    UInt32 modifiers;
    Strings expected;
  } cases[] = {
      {"half-width katakana", {"\xEF\xBD\xB1"}, 0, {"A.key:B1"}},
      {"Command-k", {"k"}, cmdKey, {"shortcut"}},
      {"hiragana, then two characters at once", {"\xE3\x81\x82", "ab"}, 0, {}},
  };
  AddWindow("A");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Log().clear();
    sp_testing::SetModifierKeys(c.modifiers);
    for (const std::string& text : c.utf8) sp_testing::PostTextInputUTF8(text, c.modifiers);
    sp_testing::PumpUntilIdle();
    sp_testing::SetModifierKeys(0);
    EXPECT_EQ(Log(), c.expected);
  }
}

}  // namespace
}  // namespace fw_events_test
