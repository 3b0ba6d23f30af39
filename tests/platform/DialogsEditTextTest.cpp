// Dialog Manager: edit-text fields: typing, the editing keys, selection, the keyboard focus,
// clicks and the clipboard. Measured with the fixed-metric test font: at size 12 a one-byte
// character is 6 pixels wide, a two-byte character 12, a line 12 high.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestClock.h"
#include "TestFonts.h"
#include "TestTextServices.h"
#include "UiFixture.h"
#include "ui/detail/DialogRecord.h"
#include "ui/internal/InputMethod.h"
#include "ui/internal/PreeditDraft.h"

namespace ui_test {
namespace {

class EditTextTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseResources(R"(
resource 'DLOG' 9200 { bounds 100, 100, 300, 500; procID documentProc; items 9200; title "Fields" }
resource 'DITL' 9200 {
  button 160, 300, 180, 380 { text "OK" }
  staticText 10, 10, 30, 100 { text "Name" }
  editText 10, 120, 22, 240 { text "" }
  staticText 40, 10, 60, 100 { text "Memo" }
  editText 40, 120, 76, 240 { text "memo" }
}
resource 'DLOG' 9201 { bounds 100, 100, 200, 400; procID documentProc; items 9201 }
resource 'DITL' 9201 { editText 10, 10, 22, 200 { text "only" } }
)");
    dialog_ = OpenDialog(9200);
    ASSERT_NE(dialog_, nullptr);
  }
  void SetText(DialogItemIndex item, const std::string& bytes) {
    Handle handle = nullptr;
    GetDialogItem(dialog_, item, nullptr, &handle, nullptr);
    SetDialogItemText(handle, PStr(bytes));
  }
  std::string Text(DialogItemIndex item) { return sp_testing::DialogItemText(dialog_, item); }
  // The focused field, its text and its selection: "3:text[0,4]".
  std::string State() {
    const sp_testing::TextSelection s = sp_testing::DialogSelection(dialog_);
    const DialogItemIndex focus = GetDialogKeyboardFocusItem(dialog_);
    return std::to_string(focus) + ":" + (focus > 0 ? Text(focus) : "") + "[" +
           std::to_string(s.start) + "," + std::to_string(s.end) + "]";
  }

  sp_testing::FixedMetricFontScope font_;
  DialogRef dialog_ = nullptr;
};

TEST_F(EditTextTest, TypedJapaneseTextGoesIntoTheFocusedFieldAndTabMovesRoundTheFields) {
  sp_testing::TypeTextUTF8("日本語abc");
  EXPECT_EQ(State(), "3:" + SJ("日本語abc") + "[9,9]");
  EXPECT_EQ(Text(5), "memo");
  sp_testing::PressTab();
  EXPECT_EQ(State(), "5:memo[0,4]");
  sp_testing::TypeTextUTF8("新しい");
  EXPECT_EQ(State(), "5:" + SJ("新しい") + "[6,6]") << "typing replaces the selection";
  sp_testing::PressTab();
  EXPECT_EQ(State(), "3:" + SJ("日本語abc") + "[0,9]") << "after the last field comes the first";
  sp_testing::PressTab(shiftKey);
  EXPECT_EQ(State(), "5:" + SJ("新しい") + "[0,6]") << "and back";

  // Without the standard handler the dialog takes no keys.
  ChangeWindowAttributes(GetDialogWindow(dialog_), 0, kWindowStandardHandlerAttribute);
  sp_testing::TypeText("x");
  sp_testing::PressTab();
  EXPECT_EQ(State(), "5:" + SJ("新しい") + "[0,6]");

  DialogRef single = OpenDialog(9201);
  ASSERT_NE(single, nullptr);
  sp_testing::PressTab();
  EXPECT_EQ(GetDialogKeyboardFocusItem(single), 1) << "a lone field keeps the focus";
}

// A text's lines end where Japanese text may break: never before closing punctuation (。 goes
// to the next line with the character before it) nor after an opening bracket, and after a
// space rather than inside a word.
TEST_F(EditTextTest, LinesEndWhereJapaneseAndLatinTextMayBreak) {
  SetPortWindowPort(GetDialogWindow(dialog_));
  auto lines = [](const std::string& text, SInt16 width) {
    std::vector<std::string> out;
    for (const auto& line : sp_platform::dialogs::LayOut(text, width).lines)
      out.push_back(text.substr(line.start, line.end - line.start));
    return out;
  };
  using Lines = std::vector<std::string>;
  // Ten two-byte characters fill 120 pixels.
  EXPECT_EQ(lines(SJ("あいうえおかきくけこ。さしす"), 120),
            (Lines{SJ("あいうえおかきくけ"), SJ("こ。さしす")}));
  EXPECT_EQ(lines(SJ("あいうえおかきくけ「こさしす」"), 120),
            (Lines{SJ("あいうえおかきくけ"), SJ("「こさしす」")}));
  EXPECT_EQ(lines("one two three\rfour", 48), (Lines{"one two ", "three", "four"}));
  EXPECT_EQ(lines(std::string(25, 'a'), 120), (Lines{std::string(20, 'a'), "aaaaa"}))
      << "a word longer than the line is cut where it overflows";
}

// The input method's candidate window goes to the focused field's caret: a line high, after the
// text typed, on the line the caret is on.
TEST_F(EditTextTest, TheInputMethodsWindowGoesToTheFocusedFieldsCaret) {
  Rect caret = {};
  sp_testing::TypeTextUTF8("日本abc");
  ASSERT_TRUE(sp_testing::InputMethodCaretRect(&caret));
  // The content's corner is at (100, 100); the field at (10, 120); two two-byte characters and
  // three one-byte ones are 42 pixels.
  EXPECT_EQ(caret.top, 110);
  EXPECT_EQ(caret.bottom, 122);
  EXPECT_EQ(caret.left, 262);
  EXPECT_EQ(caret.right, 263);
  sp_testing::PressTab();
  SetText(5, "first line that wraps at the edge");
  SelectDialogItemText(dialog_, 5, 32767, 32767);
  ASSERT_TRUE(sp_testing::InputMethodCaretRect(&caret));
  EXPECT_GT(caret.top, 140) << "the caret is on a line below the field's first";
  EXPECT_LE(caret.bottom, 176);
  EXPECT_LT(caret.left, 340);

  // A front window without a field has no caret to go to.
  WindowRef plain = nullptr;
  Rect bounds = {50, 50, 150, 250};
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds,
                            &plain),
            noErr);
  ShowWindow(plain);
  SelectWindow(plain);
  EXPECT_FALSE(sp_testing::InputMethodCaretRect(&caret));
  DisposeWindow(plain);
}

// The reading of the input method in a dialog's field: the field draws it in place of the
// selection, its text untouched, the candidate window at the reading's caret; the commit comes
// as typed text, in its place among the keys, and replaces the reading.
TEST_F(EditTextTest, TheReadingShowsInTheFieldAndItsCommitIsTypedThere) {
  sp_platform::dialogs::DialogRecord* record = sp_platform::dialogs::Lookup(dialog_);
  ASSERT_NE(record, nullptr);
  sp_testing::TypeTextUTF8("abc");
  SelectDialogItemText(dialog_, 3, 1, 2);
  EXPECT_FALSE(sp_testing::InputMethodUsesOwnWindow()) << "the field shows the reading";
  sp_testing::PostPreedit("てんき", 1);
  EXPECT_EQ(record->preedit, SJ("てんき"));
  EXPECT_EQ(Text(3), "abc");
  Rect caret = {};
  ASSERT_TRUE(sp_testing::InputMethodCaretRect(&caret));
  EXPECT_EQ(caret.left, 100 + 120 + 6 + 12) << "after \"a\" and the reading's first character";
  sp_testing::PostCommit("天気");
  EXPECT_EQ(record->preedit, "");
  sp_testing::PumpPending();
  EXPECT_EQ(State(), "3:a" + SJ("天気") + "c[5,5]");

  // A reading the input method ends without a commit goes, and leaves the text as it was.
  sp_testing::PostPreedit("あ", 1);
  sp_testing::PostPreedit("", 0);
  EXPECT_EQ(record->preedit, "");
  EXPECT_EQ(State(), "3:a" + SJ("天気") + "c[5,5]");
}

// A reading the input method gives up (its server went, or the window lost the keyboard) is
// committed into the field that shows it at once, cut to what the field holds as typed text
// is; shown nowhere, it is left to the caller.
TEST_F(EditTextTest, AReadingGivenUpIsCommittedIntoItsFieldCutToWhatItHolds) {
  sp_platform::dialogs::DialogRecord* record = sp_platform::dialogs::Lookup(dialog_);
  ASSERT_NE(record, nullptr);
  sp_testing::SetClipboardText(std::string(32763, 'a'));
  DialogPaste(dialog_);
  sp_testing::PostPreedit("てんき", 3);
  sp_platform::input_method::PreeditDraft draft;
  draft.Draw(3, 0, 0, sp_platform::input_method::CodePointsOf("てんき"), {}, false);
  EXPECT_TRUE(sp_platform::input_method::CommitDraft(draft));
  EXPECT_TRUE(Text(3) == std::string(32763, 'a') + SJ("てん")) << "two of the three fit";
  EXPECT_EQ(record->preedit, "");
  EXPECT_FALSE(sp_platform::input_method::CommitDraft(draft)) << "committed once";
  EXPECT_EQ(Text(3).size(), 32767u);
}

// The focus or the selection moving, or the dialog leaving the front, commits the reading into
// its field first, where it was shown; the next field gets none of it.
TEST_F(EditTextTest, TheReadingStaysInItsFieldWhenTheFocusOrTheFrontWindowMoves) {
  sp_platform::dialogs::DialogRecord* record = sp_platform::dialogs::Lookup(dialog_);
  ASSERT_NE(record, nullptr);
  sp_testing::PostPreedit("てんき", 3);
  SelectDialogItemText(dialog_, 5, 0, 0);
  EXPECT_EQ(Text(3), SJ("てんき"));
  EXPECT_EQ(State(), "5:memo[0,0]");
  EXPECT_EQ(record->preedit, "");

  sp_testing::PostPreedit("あめ", 2);
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 1, 45));
  EXPECT_EQ(State(), "5:" + SJ("あめ") + "memo[0,0]") << "the click is placed after the commit";
  sp_testing::PostPreedit("は", 1);
  sp_testing::ClickDialogPoint(dialog_, Pt(310, 170));
  EXPECT_EQ(State(), "5:" + SJ("はあめ") + "memo[2,2]") << "a click on the button commits it too";

  sp_testing::PostPreedit("ゆき", 2);
  WindowRef plain = nullptr;
  Rect bounds = {50, 50, 150, 250};
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &plain),
            noErr);
  ShowWindow(plain);
  SelectWindow(plain);
  sp_platform::input_method::FollowFront();
  EXPECT_EQ(Text(5), SJ("はゆきあめ") + "memo");
  EXPECT_EQ(record->preedit, "");
  EXPECT_TRUE(sp_testing::InputMethodUsesOwnWindow()) << "no field in front";
  sp_testing::PostPreedit("かぜ", 2);
  EXPECT_EQ(record->preedit, "") << "shown in no field";
  DisposeWindow(plain);
}

struct Key {
  void (*press)(UInt32 modifiers);
  UInt32 modifiers;
};
const Key kLeft{sp_testing::PressLeftArrow, 0}, kRight{sp_testing::PressRightArrow, 0},
    kUp{sp_testing::PressUpArrow, 0}, kDown{sp_testing::PressDownArrow, 0},
    kBack{sp_testing::PressBackspace, 0}, kForward{sp_testing::PressForwardDelete, 0},
    kHome{sp_testing::PressHome, 0}, kEnd{sp_testing::PressEnd, 0},
    kShiftLeft{sp_testing::PressLeftArrow, shiftKey},
    kShiftRight{sp_testing::PressRightArrow, shiftKey};

TEST_F(EditTextTest, EditingKeysMoveAndDeleteWholeCharacters) {
  const std::string wrapped = std::string(20, 'a') + "bbbbb";  // 20 characters a line
  const std::string w = "5:" + wrapped;
  struct Case {
    DialogItemIndex field;
    std::string text;  // UTF-8
    SInt16 start, end;
    std::vector<Key> keys;
    std::string after;  // State() in UTF-8
    const char* why;
  } cases[] = {
      {3, "あいう", 6, 6, {kLeft}, "3:あいう[4,4]", "left steps over a two-byte character"},
      {3, "あいう", 6, 6, {kBack}, "3:あい[4,4]", "delete removes both bytes"},
      {3, "あいう", 0, 0, {kForward}, "3:いう[0,0]", "forward delete removes both bytes"},
      {3, "aあb", 1, 1, {kRight, kRight}, "3:aあb[4,4]", "right over one then two bytes"},
      {3,
       "あいう",
       1,
       5,
       {},
       "3:あいう[0,4]",
       "a selection inside characters snaps to their starts"},
      {3, "abc", 0, 32767, {}, "3:abc[0,3]", "0 to 32767 selects all"},
      {3, "abc", 1, 1, {kShiftRight, kShiftRight}, "3:abc[1,3]", "shift extends"},
      {3, "abc", 2, 2, {kShiftLeft, kShiftLeft}, "3:abc[0,2]", "back from the anchor"},
      {3, "abcdef", 1, 4, {kLeft}, "3:abcdef[1,1]", "left collapses to the start"},
      {3, "abcdef", 1, 4, {kRight}, "3:abcdef[4,4]", "right collapses to the end"},
      {3, "abcdef", 1, 4, {kBack}, "3:aef[1,1]", "delete takes the selection only"},
      {3, "abc", 1, 1, {kHome}, "3:abc[0,0]", "home"},
      {3, "abc", 1, 1, {kEnd}, "3:abc[3,3]", "end"},
      {3, "abc", 0, 0, {kBack, kLeft}, "3:abc[0,0]", "nothing before the start"},
      {3, "abc", 3, 3, {kForward, kRight}, "3:abc[3,3]", "nothing after the end"},
      {5, wrapped, 3, 3, {kDown}, w + "[23,23]", "down keeps the column"},
      {5, wrapped, 23, 23, {kUp}, w + "[3,3]", "up keeps the column"},
      {5, wrapped, 23, 23, {kDown}, w + "[25,25]", "down from the last line: the end"},
      {5, wrapped, 3, 3, {kUp}, w + "[0,0]", "up from the first line: the start"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    SetText(c.field, SJ(c.text));
    SelectDialogItemText(dialog_, c.field, c.start, c.end);
    for (const Key& key : c.keys) key.press(key.modifiers);
    EXPECT_EQ(State(), SJ(c.after));
  }
  // Field 3 shows one line of 20 characters: it scrolls to keep the caret's line shown.
  SelectDialogItemText(dialog_, 3, 0, 32767);
  sp_testing::TypeText(std::string(45, 'a'));
  EXPECT_EQ(sp_testing::DialogFirstShownLine(dialog_), 2);
  sp_testing::PressHome();
  EXPECT_EQ(sp_testing::DialogFirstShownLine(dialog_), 0);
  sp_testing::PressDownArrow();
  EXPECT_EQ(sp_testing::DialogFirstShownLine(dialog_), 1);
}

TEST_F(EditTextTest, CutCopyPasteMoveTextThroughTheClipboard) {
  SetText(3, SJ("日本語テキスト"));
  SelectDialogItemText(dialog_, 3, 0, 6);
  DialogCopy(dialog_);
  EXPECT_EQ(sp_testing::ClipboardText(), SJ("日本語"));
  DialogCut(dialog_);
  EXPECT_EQ(State(), "3:" + SJ("テキスト") + "[0,0]");
  SelectDialogItemText(dialog_, 3, 32767, 32767);
  DialogPaste(dialog_);
  EXPECT_EQ(State(), "3:" + SJ("テキスト日本語") + "[14,14]");

  // The same through the keys typed with Command, and through the menu commands.
  SelectDialogItemText(dialog_, 3, 0, 8);
  sp_testing::TypeText("x", cmdKey);
  EXPECT_EQ(sp_testing::ClipboardText(), SJ("テキスト"));
  sp_testing::TypeText("a", cmdKey);
  EXPECT_EQ(State(), "3:" + SJ("日本語") + "[0,6]");
  sp_testing::TypeText("v", cmdKey);
  sp_testing::TypeText("q", cmdKey);  // no edit command, and no text
  EXPECT_EQ(Text(3), SJ("テキスト"));
  EXPECT_EQ(SendCommand(kHICommandSelectAll, GetApplicationEventTarget()), noErr);
  EXPECT_EQ(State(), "3:" + SJ("テキスト") + "[0,8]");
  EXPECT_EQ(SendCommand(kHICommandClear, GetApplicationEventTarget()), noErr);
  EXPECT_EQ(Text(3), "");
  EXPECT_EQ(sp_testing::ClipboardText(), SJ("テキスト")) << "clear leaves the clipboard";
}

TEST_F(EditTextTest, PasteIsCutToWhatTheFieldHoldsNeverSplittingACharacter) {
  sp_testing::SetClipboardText(std::string(32760, 'a'));
  DialogPaste(dialog_);
  ASSERT_EQ(Text(3).size(), 32760u);
  sp_testing::SetClipboardText(SJ("ああああ"));
  DialogPaste(dialog_);
  EXPECT_EQ(Text(3).substr(32760), SJ("あああ")) << "three of the four two-byte characters fit";
  EXPECT_EQ(sp_testing::DialogSelection(dialog_).end, 32766);
  DialogPaste(dialog_);
  EXPECT_EQ(Text(3).size(), 32766u);
  EXPECT_EQ(sp_testing::BeepCount(), 1u) << "nothing fitted: the field beeps";
  sp_testing::TypeText("b");
  EXPECT_EQ(Text(3).size(), 32767u) << "one byte still fits";
  sp_testing::TypeText("c");
  EXPECT_EQ(Text(3).size(), 32767u) << "the next does not";
}

// A pasted text that ends in the first byte of a two-byte character would pair that byte with
// the text after it: the lone byte is left out. Bytes just outside the two ranges of first
// bytes are characters of their own and stay.
TEST_F(EditTextTest, PasteLeavesOutALoneFirstByteOfATwoByteCharacterAtItsEnd) {
  const struct {
    UInt8 last;
    bool leftOut;
  } cases[] = {{0x81, true},  {0x9F, true},  {0xE0, true},  {0xFC, true},
               {0x80, false}, {0xA0, false}, {0xDF, false}, {0xFD, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.last));
    SetText(3, "xy");
    SelectDialogItemText(dialog_, 3, 1, 1);
    const std::string pasted = std::string("ab") + char(c.last);
    sp_testing::SetClipboardText(pasted);
    DialogPaste(dialog_);
    EXPECT_EQ(Text(3), "x" + (c.leftOut ? std::string("ab") : pasted) + "y");
  }
}

TEST_F(EditTextTest, ClickTakesTheFocusAndDragSelects) {
  SetText(3, "abcdef");
  SelectDialogItemText(dialog_, 5, 0, 0);
  // Field 3 starts at h 120; each character is 6 pixels wide.
  struct Case {
    SInt16 from, to;  // to < 0: a click
    UInt32 modifiers;
    const char* after;
  } cases[] = {
      {13, -1, 0, "3:abcdef[2,2]"},         // a click places the caret
      {7, 25, 0, "3:abcdef[1,4]"},          // a drag selects
      {35, -1, shiftKey, "3:abcdef[1,6]"},  // shift extends from the anchor
      {25, 1, 0, "3:abcdef[0,4]"},          // a drag to the left selects back to the anchor
  };
  for (const Case& c : cases) {
    const Point from = Pt(SInt16(120 + c.from), 15);
    if (c.to < 0) {
      sp_testing::ClickDialogPoint(dialog_, from, c.modifiers);
    } else {
      sp_testing::DragInDialog(dialog_, from, Pt(SInt16(120 + c.to), 15));
    }
    EXPECT_EQ(State(), c.after);
  }
  SetText(3, SJ("あい"));
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 8, 15));
  EXPECT_EQ(sp_testing::DialogSelection(dialog_).start, 2) << "a character's second half: after it";
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 100, 15));
  EXPECT_EQ(sp_testing::DialogSelection(dialog_).start, 4) << "right of the text: its end";
}

TEST_F(EditTextTest, AClickFromACharactersMiddleOnPutsTheCaretAfterIt) {
  SetText(3, "abcdef" + SJ("あ"));
  // Field 3 starts at h 120: one-byte characters start at 0, 6, 12, ...; "あ" spans 36 to 48.
  const struct {
    SInt16 h;
    SInt16 caret;
  } cases[] = {{2, 0}, {3, 1}, {14, 2}, {15, 3}, {20, 3}, {21, 4}, {41, 6}, {42, 8}};
  for (const auto& c : cases) {
    sp_testing::AdvanceClockTicks(120);  // never a double click
    sp_testing::ClickDialogPoint(dialog_, Pt(SInt16(120 + c.h), 15));
    EXPECT_EQ(sp_testing::DialogSelection(dialog_).start, c.caret) << c.h;
  }
}

TEST_F(EditTextTest, TextEditRecordActsOnTheFocusedField) {
  TEHandle te = GetDialogTextEditHandle(dialog_);
  ASSERT_NE(te, nullptr);
  // Typed a byte at a time, a two-byte character waits for its second byte.
  const std::string a = SJ("あ");
  TEKey(UInt8(a[0]), te);
  EXPECT_EQ(Text(3), "");
  for (UInt8 key : {UInt8(a[1]), UInt8('z'), UInt8(0x08), UInt8(0x1C)}) TEKey(key, te);
  EXPECT_EQ(State(), "3:" + a + "[0,0]");
  // A click the program hands on: the release waits in the queue, as inside a mouse handler.
  SetText(3, "abcdef");
  Point global = Pt(120 + 13, 15);
  SetPort(GetDialogPort(dialog_));
  LocalToGlobal(&global);
  sp_testing::PostMouseUp(global);
  TEClick(Pt(120 + 13, 15), false, te);
  EXPECT_EQ(State(), "3:abcdef[2,2]");
}

}  // namespace
}  // namespace ui_test
