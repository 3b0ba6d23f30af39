// Keys in a field: typed text wraps and leaves the caret after it, the number-only filter, the
// Return keys, Backspace across lines, and the arrows with the column they keep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"

namespace edit_test {
namespace {

class KeyInTest : public EditTextFixture {
 protected:
  void TearDown() override {
    sp_testing::SetModifierKeys(0);
    EditTextFixture::TearDown();
  }
  cEditTextObject* ActiveField(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 100, 130));
    f->SetupText(text, 0);
    f->SetupCaretPosition(f->GetTextCharByte(1, 1), 0);
    f->ActivateEditText(1, 0);
    return f;
  }
};

TEST_F(KeyInTest, TypedTextWrapsAndLeavesTheCaretAfterIt) {
  cEditTextObject* f = ActiveField("");
  Keys(std::string(25, 'x'));
  Keys(std::string(kA) + kKanji);
  const std::vector<std::string> lines = Lines(f);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(19, 'x'));
  EXPECT_EQ(lines[1], std::string(6, 'x') + kA + kKanji);
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(2), SInt32(10)));
}

TEST_F(KeyInTest, ANumberFieldTakesDigitsAndOnePointAndRefusesAStringWithALetterAnywhere) {
  struct Case {
    const char* why;
    unsigned char decimals;
    const char* before;
    const char* typed;
    SInt32 taken;
    const char* after;
  } cases[] = {
    {"a digit", 0, "1", "7", 1, "17"},
    {"a letter", 0, "1", "a", 0, "1"},
    {"a point where decimals are allowed", 1, "1", ".", 1, "1."},
    {"a second point", 1, "1.5", ".", 0, "1.5"},
    {"a point where they are not", 0, "1", ".", 0, "1"},
    {"a string whose letter is not first", 0, "1", "2a", 0, "1"},
    {"every digit", 0, "", "0123456789", 1, "0123456789"},
    {"the first digit", 0, "1", "0", 1, "10"},
    {"the last digit", 0, "1", "9", 1, "19"},
    {"the byte before the digits", 0, "1", "/", 0, "1"},
    {"the byte after them", 0, "1", ":", 0, "1"},
    {"two points in one string", 1, "1", "2.5.", 0, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = ActiveField(c.before);
    f->SetupOnlyNumberFlag(1, c.decimals);
    EXPECT_EQ(SpETO_EventKeyStringInProcedure(c.typed) != 0 ? 1 : 0, c.taken);
    if (std::string(c.typed).size() == 1) {
      // One byte goes the way of keys too.
      EXPECT_EQ(Text(f), c.after);
    }
    EXPECT_EQ(Text(f), c.after);
  }
}

TEST_F(KeyInTest, ReturnWithOptionOrControlBreaksTheLineOnlyWhereThatIsEnabled) {
  struct Case {
    const char* why;
    UInt32 modifiers;
    bool enableOption, enableControl;
    unsigned char taken;
  } cases[] = {
      {"plain Return", 0, false, false, 1},
      {"shift-Return", shiftKey, false, false, 1},
      {"option-Return, not enabled", optionKey, false, false, 0},
      {"option-Return, enabled", optionKey, true, false, 1},
      {"control-Return, enabled", controlKey, false, true, 1},
      {"option-control-Return", optionKey | controlKey, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = ActiveField("ab");
    f->SetupOptionReturnEnableFlag(c.enableOption ? 1 : 0);
    f->SetupControlReturnEnableFlag(c.enableControl ? 1 : 0);
    sp_testing::SetModifierKeys(c.modifiers);
    EXPECT_EQ(SpETO_EventKeyInProcedure('\r', 0), c.taken);
    EXPECT_EQ(f->GetNumOfLine(), c.taken != 0 ? 2 : 1);
  }
}

TEST_F(KeyInTest, BackspaceAtALinesStartJoinsItToTheLineBeforeAndInAnEmptyTextDoesNothing) {
  cEditTextObject* f = ActiveField("ab\rcd");
  f->SetupCaretPosition(2, 0, 0);
  Keys("\b");
  EXPECT_EQ(Lines(f), std::vector<std::string>{"abcd"});
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(2)));
  Keys("\b\b\b");
  EXPECT_EQ(Text(f), "cd");
  fields_.clear();
  cEditTextObject* empty = ActiveField("");
  EXPECT_EQ(SpETO_EventKeyInProcedure('\b', 0), 1);
  EXPECT_EQ(Text(empty), "");
}

TEST_F(KeyInTest, UpThenDownKeepsTheColumnAcrossAShorterLineAndASideMoveForgetsIt) {
  cEditTextObject* f = ActiveField("abcdefgh\rab\rabcdefgh");
  f->SetupCaretPosition(1, 6, 0);
  Keys("\x1F\x1F");  // down, down
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(3), SInt32(6)));
  Keys("\x1E");  // up: the short line's end
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(2), SInt32(2)));
  Keys("\x1E");
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(6)));
  Keys("\x1C\x1F\x1F");  // left, then down twice from column 5
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(3), SInt32(5)));
}

TEST_F(KeyInTest, WithARangeTheRightArrowGoesToItsLaterEndAndTypingReplacesIt) {
  cEditTextObject* f = ActiveField("abcdef");
  f->SetupSelectionPosition(5, 0, 1, 0, 0, 0);  // made backwards
  Keys("\x1D");
  EXPECT_EQ(f->ExistSelectionText(), 0);
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(5)));
  f->SetupSelectionPosition(1, 0, 5, 0, 0, 0);
  Keys("XY");
  EXPECT_EQ(Text(f), "aXYf");
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(3)));
}

}  // namespace
}  // namespace edit_test
