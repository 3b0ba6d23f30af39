// The edit-text manager: which field has the keyboard, whole characters out of single keys,
// and the caret's timer that runs only while a field is active and the program in front.
#include <gtest/gtest.h>

#include <string>

#include "EditTextTestSupport.h"

namespace edit_test {
namespace {

void Note(cEditTextObject*, unsigned long refCon) {
  Log().push_back(reinterpret_cast<const char*>(refCon));
}

class ManagerTest : public EditTextFixture {
 protected:
  cEditTextObject* Named(const Rect& area, const char* active, const char* inactive) {
    cEditTextObject* f = Field(area);
    f->SetupActiveTextCB(Note, reinterpret_cast<unsigned long>(active));
    f->SetupDeActiveTextCB(Note, reinterpret_cast<unsigned long>(inactive));
    return f;
  }
};

TEST_F(ManagerTest, ActivatingASecondFieldFirstCancelsTheFirstAndAgainChangesNothing) {
  cEditTextObject* a = Named(R(10, 10, 40, 200), "A in", "A out");
  cEditTextObject* b = Named(R(50, 10, 80, 200), "B in", "B out");
  a->ActivateEditText(1, 0);
  b->ActivateEditText(1, 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"A in", "A out", "B in"}));
  EXPECT_TRUE(b->IsActiveEditText());
  EXPECT_FALSE(a->IsActiveEditText());
  Log().clear();
  SpETO_SetupAcitiveEditItemIntoManager(b, 0);
  SpETO_CancelActiveEditItemFromManager(a, 0);
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(b->IsActiveEditText());
}

TEST_F(ManagerTest, AFirstByteIsHeldUntilItsSecondAndAByteThatCannotFollowItReplacesIt) {
  struct Case {
    const char* why;
    std::string keys;
    std::string results;  // one digit per key: what the manager answered
    std::string text;
  } cases[] = {
      {"a lead byte alone reaches nobody", "\x82", "0", ""},
      {"the second byte delivers both", "\x82\xA0", "01", "\x82\xA0"},
      {"a byte that cannot follow replaces the held one", "\x82" "1", "01", "1"},
      {"one-byte keys go at once", "ab", "11", "ab"},
      {"the lowest second byte", "\x81\x40", "01", "\x81\x40"},
      {"the last second byte below the gap", "\x81\x7E", "01", "\x81\x7E"},
      {"the first second byte above the gap", "\x81\x80", "01", "\x81\x80"},
      {"the highest second byte", "\x81\xFC", "01", "\x81\xFC"},
      {"the byte just below the second bytes replaces the held one", "\x81?", "01", "?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    sp_testing::ResetEditTextManager();
    fields_.clear();
    cEditTextObject* f = Field(R(10, 10, 40, 200));
    f->ActivateEditText(1, 0);
    std::string results;
    for (char k : c.keys) results += char('0' + SpETO_EventKeyInProcedure(k, 0));
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(Text(f), c.text);
  }
}

TEST_F(ManagerTest, AnEmptyStringIsTakenWithoutTheFieldAndAStringGoesWhole) {
  cEditTextObject* f = Field(R(10, 10, 40, 200));
  EXPECT_EQ(SpETO_EventKeyStringInProcedure(""), 1);
  EXPECT_EQ(SpETO_EventKeyStringInProcedure("xy"), 0);  // nobody active
  f->ActivateEditText(1, 0);
  EXPECT_EQ(SpETO_EventKeyStringInProcedure("xy"), 1);
  EXPECT_EQ(Text(f), "xy");
}

TEST_F(ManagerTest, TheCaretTimerRunsOnlyWhileAFieldIsActiveAndTheProgramInFront) {
  cEditTextObject* f = Field(R(10, 10, 40, 200));
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
  f->ActivateEditText(1, 0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  SpETO_SuspendEditManager();
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
  EXPECT_FALSE(f->IsActiveEditText());
  SpETO_ResumeEditManager();
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  f->DeActiveEditText(0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
  // A field activated in the background waits for the program to come forward.
  SpETO_SuspendEditManager();
  f->ActivateEditText(1, 0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
  SpETO_ResumeEditManager();
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 1);
  SpETO_CancelCurrnetActiveEditItem(0);
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
}

TEST_F(ManagerTest, WhilePausedKeysReachNoFieldAndPausingTwiceIsPausingOnce) {
  cEditTextObject* f = Field(R(10, 10, 40, 200));
  f->ActivateEditText(1, 0);
  SpETO_PauseEventProc();
  SpETO_PauseEventProc();
  EXPECT_EQ(SpETO_EventKeyInProcedure('a', 0), 0);
  SpETO_PauseOutEventProc();
  EXPECT_EQ(SpETO_EventKeyInProcedure('a', 0), 1);
  EXPECT_EQ(Text(f), "a");
}

}  // namespace
}  // namespace edit_test
