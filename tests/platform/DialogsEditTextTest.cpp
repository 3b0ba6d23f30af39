// Dialog Manager: edit-text fields: typing, the editing keys, selection, the keyboard focus,
// clicks and the clipboard. Measured with the fixed-metric test font: at size 12 a one-byte
// character is 6 pixels wide, a two-byte character 12, a line 12 high.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogsTestFixture.h"
#include "TestFonts.h"

namespace dialogs_test {
namespace {

const char kFieldsSource[] = R"(
resource 'DLOG' 9200 {
  bounds 100, 100, 300, 500
  procID documentProc
  items 9200
  title "Fields"
}
resource 'DITL' 9200 {
  button 160, 300, 180, 380 { text "OK" }
  staticText 10, 10, 30, 100 { text "Name" }
  editText 10, 120, 22, 240 { text "" }
  staticText 40, 10, 60, 100 { text "Memo" }
  editText 40, 120, 76, 240 { text "memo" }
}
resource 'DLOG' 9201 {
  bounds 100, 100, 200, 400
  procID documentProc
  items 9201
}
resource 'DITL' 9201 {
  editText 10, 10, 22, 200 { text "only" }
}
)";

class EditTextTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    UseResources(kFieldsSource);
    dialog_ = OpenDialog(9200);
    ASSERT_NE(dialog_, nullptr);
  }

  void SetText(DialogItemIndex item, const std::string& bytes) {
    Handle handle = nullptr;
    GetDialogItem(dialog_, item, nullptr, &handle, nullptr);
    Str255 text;
    text[0] = UInt8(bytes.size());
    bytes.copy(reinterpret_cast<char*>(text + 1), bytes.size());
    SetDialogItemText(handle, text);
  }

  void ExpectSelection(SInt32 start, SInt32 end) {
    sp_testing::TextSelection selection = sp_testing::DialogSelection(dialog_);
    EXPECT_EQ(selection.start, start);
    EXPECT_EQ(selection.end, end);
  }

  sp_testing::FixedMetricFontScope font_;
  DialogRef dialog_ = nullptr;
};

TEST_F(EditTextTest, TypedJapaneseTextGoesIntoTheFocusedField) {
  ASSERT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);
  sp_testing::TypeTextUTF8("日本語abc");
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本語abc"));
  ExpectSelection(9, 9);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 5), "memo");

  sp_testing::PressTab();
  ASSERT_EQ(GetDialogKeyboardFocusItem(dialog_), 5);
  ExpectSelection(0, 4);
  sp_testing::TypeTextUTF8("新しい");
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 5), SJ("新しい"))
      << "typing replaces the selection";
  ExpectSelection(6, 6);
}

enum : UInt8 {
  kLeft = 0x1C,
  kRight = 0x1D,
  kUp = 0x1E,
  kDown = 0x1F,
  kBack = 0x08,
  kForward = 0x7F,
  kHome = 0x01,
  kEnd = 0x04,
};

struct Key {
  UInt8 ch;
  UInt32 modifiers;
};

void Press(const Key& key) {
  switch (key.ch) {
    case kLeft:
      sp_testing::PressLeftArrow(key.modifiers);
      break;
    case kRight:
      sp_testing::PressRightArrow(key.modifiers);
      break;
    case kUp:
      sp_testing::PressUpArrow(key.modifiers);
      break;
    case kDown:
      sp_testing::PressDownArrow(key.modifiers);
      break;
    case kBack:
      sp_testing::PressBackspace(key.modifiers);
      break;
    case kForward:
      sp_testing::PressForwardDelete(key.modifiers);
      break;
    case kHome:
      sp_testing::PressHome(key.modifiers);
      break;
    case kEnd:
      sp_testing::PressEnd(key.modifiers);
      break;
  }
}

TEST_F(EditTextTest, EditingKeysMoveAndDeleteWholeCharacters) {
  const std::string wrapped = std::string(20, 'a') + "bbbbb";  // 20 characters a line
  struct Case {
    DialogItemIndex field;
    std::string text;  // UTF-8
    SInt16 start, end;
    std::vector<Key> keys;
    std::string after;  // UTF-8
    SInt32 selStart, selEnd;
    const char* why;
  } cases[] = {
      {3, "あいう", 6, 6, {{kLeft, 0}}, "あいう", 4, 4, "left steps over a two-byte character"},
      {3, "あいう", 6, 6, {{kBack, 0}}, "あい", 4, 4, "delete removes both bytes"},
      {3, "あいう", 0, 0, {{kForward, 0}}, "いう", 0, 0, "forward delete removes both bytes"},
      {3, "aあb", 1, 1, {{kRight, 0}, {kRight, 0}}, "aあb", 4, 4, "right over one then two bytes"},
      {3,
       "あいう",
       1,
       5,
       {},
       "あいう",
       0,
       4,
       "a selection inside characters snaps to their starts"},
      {3, "abc", 0, 32767, {}, "abc", 0, 3, "0 to 32767 selects all"},
      {3, "abc", 1, 1, {{kRight, shiftKey}, {kRight, shiftKey}}, "abc", 1, 3, "shift extends"},
      {3, "abc", 2, 2, {{kLeft, shiftKey}, {kLeft, shiftKey}}, "abc", 0, 2, "back from the anchor"},
      {3, "abcdef", 1, 4, {{kLeft, 0}}, "abcdef", 1, 1, "left collapses to the start"},
      {3, "abcdef", 1, 4, {{kRight, 0}}, "abcdef", 4, 4, "right collapses to the end"},
      {3, "abcdef", 1, 4, {{kBack, 0}}, "aef", 1, 1, "delete takes the selection only"},
      {3, "abc", 1, 1, {{kHome, 0}}, "abc", 0, 0, "home"},
      {3, "abc", 1, 1, {{kEnd, 0}}, "abc", 3, 3, "end"},
      {3, "abc", 0, 0, {{kBack, 0}, {kLeft, 0}}, "abc", 0, 0, "nothing before the start"},
      {5, wrapped, 3, 3, {{kDown, 0}}, wrapped, 23, 23, "down keeps the column"},
      {5, wrapped, 23, 23, {{kUp, 0}}, wrapped, 3, 3, "up keeps the column"},
      {5, wrapped, 23, 23, {{kDown, 0}}, wrapped, 25, 25, "down from the last line: the end"},
      {5, wrapped, 3, 3, {{kUp, 0}}, wrapped, 0, 0, "up from the first line: the start"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    SetText(c.field, SJ(c.text));
    SelectDialogItemText(dialog_, c.field, c.start, c.end);
    for (const Key& key : c.keys) Press(key);
    EXPECT_EQ(sp_testing::DialogItemText(dialog_, c.field), SJ(c.after));
    ExpectSelection(c.selStart, c.selEnd);
  }
}

TEST_F(EditTextTest, CutCopyPasteMoveTextThroughTheClipboard) {
  SetText(3, SJ("日本語テキスト"));
  SelectDialogItemText(dialog_, 3, 0, 6);
  DialogCopy(dialog_);
  EXPECT_EQ(sp_testing::ClipboardText(), SJ("日本語"));
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本語テキスト"));
  DialogCut(dialog_);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("テキスト"));
  ExpectSelection(0, 0);
  SelectDialogItemText(dialog_, 3, 32767, 32767);
  DialogPaste(dialog_);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("テキスト日本語"));
  ExpectSelection(14, 14);

  // The same through the keys typed with Command, and through the menu commands.
  SelectDialogItemText(dialog_, 3, 0, 8);
  sp_testing::TypeText("x", cmdKey);
  EXPECT_EQ(sp_testing::ClipboardText(), SJ("テキスト"));
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本語"));
  sp_testing::TypeText("a", cmdKey);
  ExpectSelection(0, 6);
  sp_testing::TypeText("v", cmdKey);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("テキスト"));
  sp_testing::TypeText("q", cmdKey);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("テキスト"))
      << "a Command key that is no edit command is not text";

  EventRef command = nullptr;
  ASSERT_EQ(CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &command), noErr);
  HICommand selectAll = {};
  selectAll.commandID = kHICommandSelectAll;
  SetEventParameter(command, kEventParamDirectObject, typeHICommand, sizeof selectAll, &selectAll);
  EXPECT_EQ(SendEventToEventTarget(command, GetApplicationEventTarget()), noErr);
  ExpectSelection(0, 8);
  HICommand clear = {};
  clear.commandID = kHICommandClear;
  SetEventParameter(command, kEventParamDirectObject, typeHICommand, sizeof clear, &clear);
  EXPECT_EQ(SendEventToEventTarget(command, GetApplicationEventTarget()), noErr);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");
  EXPECT_EQ(sp_testing::ClipboardText(), SJ("テキスト")) << "clear leaves the clipboard";
  ReleaseEvent(command);
}

TEST_F(EditTextTest, PasteIsCutToWhatTheFieldHoldsNeverSplittingACharacter) {
  sp_testing::SetClipboardText(std::string(32760, 'a'));
  DialogPaste(dialog_);
  ASSERT_EQ(sp_testing::DialogItemText(dialog_, 3).size(), 32760u);
  sp_testing::SetClipboardText(SJ("ああああ"));
  DialogPaste(dialog_);
  std::string text = sp_testing::DialogItemText(dialog_, 3);
  EXPECT_EQ(text.size(), 32766u) << "three of the four two-byte characters fit";
  EXPECT_EQ(text.substr(32760), SJ("あああ"));
  ExpectSelection(32766, 32766);
  const UInt32 beeps = sp_testing::BeepCount();
  DialogPaste(dialog_);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3).size(), 32766u);
  EXPECT_EQ(sp_testing::BeepCount(), beeps + 1) << "nothing fitted: the field beeps";
  sp_testing::TypeText("b");
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3).size(), 32767u) << "one byte still fits";
}

TEST_F(EditTextTest, TabMovesTheFocusRoundTheFieldsSelectingAll) {
  SetText(3, "name");
  ASSERT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);
  sp_testing::PressTab();
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 5);
  ExpectSelection(0, 4);
  sp_testing::PressTab();
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 3) << "after the last field comes the first";
  ExpectSelection(0, 4);
  sp_testing::PressTab(shiftKey);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 5);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "name") << "no tab character typed";
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 5), "memo");

  DialogRef single = OpenDialog(9201);
  ASSERT_NE(single, nullptr);
  ASSERT_EQ(GetDialogKeyboardFocusItem(single), 1);
  sp_testing::PressTab();
  EXPECT_EQ(GetDialogKeyboardFocusItem(single), 1);
  EXPECT_EQ(sp_testing::DialogItemText(single, 1), "only");
}

TEST_F(EditTextTest, ClickTakesTheFocusAndDragSelects) {
  SetText(3, "abcdef");
  SelectDialogItemText(dialog_, 5, 0, 0);
  ASSERT_EQ(GetDialogKeyboardFocusItem(dialog_), 5);
  // Field 3 starts at h 120; each character is 6 pixels wide.
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 13, 15));
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);
  ExpectSelection(2, 2);
  sp_testing::DragInDialog(dialog_, Pt(120 + 7, 15), Pt(120 + 25, 15));
  ExpectSelection(1, 4);
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 35, 15), shiftKey);
  {
    SCOPED_TRACE("shift extends from the anchor");
    ExpectSelection(1, 6);
  }
  sp_testing::DragInDialog(dialog_, Pt(120 + 25, 15), Pt(120 + 1, 15));
  {
    SCOPED_TRACE("a drag to the left selects back to the anchor");
    ExpectSelection(0, 4);
  }

  SetText(3, SJ("あい"));
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 8, 15));
  {
    SCOPED_TRACE("the second half of a character places the caret after it");
    ExpectSelection(2, 2);
  }
  sp_testing::ClickDialogPoint(dialog_, Pt(120 + 100, 15));
  {
    SCOPED_TRACE("right of the text: its end");
    ExpectSelection(4, 4);
  }
}

TEST_F(EditTextTest, FocusIsTheItemNumberAndMinusOneForNone) {
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);
  EXPECT_EQ(SetDialogKeyboardFocusItem(dialog_, 2), paramErr) << "static text takes no focus";
  EXPECT_EQ(SetDialogKeyboardFocusItem(dialog_, 6), paramErr);
  EXPECT_EQ(SetDialogKeyboardFocusItem(dialog_, -1), noErr);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), -1);
  sp_testing::TypeText("x");
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 5), "memo");
  EXPECT_EQ(SetDialogKeyboardFocusItem(dialog_, 5), noErr);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 5);
  ExpectSelection(4, 4);
  SelectDialogItemText(dialog_, 2, 0, 1);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 5) << "selecting in static text changes nothing";
}

TEST_F(EditTextTest, LongTextScrollsToKeepTheCaretLineShown) {
  // Field 3 shows one line of 20 characters.
  sp_testing::TypeText(std::string(45, 'a'));
  ExpectSelection(45, 45);
  EXPECT_EQ(sp_testing::DialogFirstShownLine(dialog_), 2);
  sp_testing::PressHome();
  EXPECT_EQ(sp_testing::DialogFirstShownLine(dialog_), 0);
  sp_testing::PressDownArrow();
  EXPECT_EQ(sp_testing::DialogFirstShownLine(dialog_), 1);
}

TEST_F(EditTextTest, TextEditRecordActsOnTheFocusedField) {
  TEHandle te = GetDialogTextEditHandle(dialog_);
  ASSERT_NE(te, nullptr);
  // Typed a byte at a time, a two-byte character waits for its second byte.
  const std::string a = SJ("あ");
  TEKey(UInt8(a[0]), te);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");
  TEKey(UInt8(a[1]), te);
  TEKey('z', te);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), a + "z");
  TEKey(0x08, te);
  TEKey(0x1C, te);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), a);
  ExpectSelection(0, 0);

  EXPECT_EQ(TEFeatureFlag(teFUseInlineInput, teBitTest, te), teBitClear);
  EXPECT_EQ(TEFeatureFlag(teFUseInlineInput, teBitSet, te), teBitClear);
  EXPECT_EQ(TEFeatureFlag(teFUseInlineInput, teBitTest, te), teBitSet);

  // A click the program hands on: the release waits in the queue, as inside a mouse handler.
  SetText(3, "abcdef");
  Point global = Pt(120 + 13, 15);
  SetPort(GetDialogPort(dialog_));
  LocalToGlobal(&global);
  sp_testing::PostMouseUp(global);
  TEClick(Pt(120 + 13, 15), false, te);
  ExpectSelection(2, 2);

  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  DialogRef say = GetNewDialog(6130, nullptr, nullptr);
  ASSERT_NE(say, nullptr);
  EXPECT_EQ(GetDialogTextEditHandle(say), nullptr) << "no edit-text item, no record";
}

TEST_F(EditTextTest, DialogWithoutTheStandardHandlerTakesNoTyping) {
  ChangeWindowAttributes(GetDialogWindow(dialog_), 0, kWindowStandardHandlerAttribute);
  sp_testing::TypeText("x");
  sp_testing::PressTab();
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);
}

}  // namespace
}  // namespace dialogs_test
