// The field's own command keys (cut, copy, paste with the text's styles), the keys swallowed,
// forward delete, and a number-only field's paste.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"

namespace edit_test {
namespace {

class ClipboardKeysTest : public ClipboardFixture {
 protected:
  cEditTextObject* ActiveField(const char* text, short top = 10) {
    cEditTextObject* f = Field(R(top, 10, top + 90, 130));
    f->SetupText(text, 0);
    f->SetupCaretPosition(f->GetTextCharByte(1, 1), 0);
    f->ActivateEditText(1, 0);
    return f;
  }
  static SInt32 Command(char key) {
    sp_testing::SetModifierKeys(cmdKey);
    const char text[2] = {key, '\0'};
    const SInt32 taken = SpETO_EventKeyStringInProcedure(text);
    sp_testing::SetModifierKeys(0);
    return taken;
  }
  static std::string Flavor(ScrapFlavorType type) {
    ScrapRef scrap = nullptr;
    Size size = 0;
    if (GetCurrentScrap(&scrap) != noErr || GetScrapFlavorSize(scrap, type, &size) != noErr) {
      return "(none)";
    }
    std::string bytes(std::size_t(size), '\0');
    GetScrapFlavorData(scrap, type, &size, &bytes[0]);
    return bytes;
  }
  static void PutText(const std::string& text) {
    ClearCurrentScrap();
    ScrapRef scrap = nullptr;
    GetCurrentScrap(&scrap);
    PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, Size(text.size()), text.data());
  }
  // The face of each byte of the first line.
  static std::string Faces(const cEditTextObject* f) {
    std::string out;
    cTextLineObject* line = f->GetFirstLinePtr();
    for (SInt32 i = 1; i <= line->GetNumOfTextByte(1, 0); ++i) {
      sTextStyleAttributes a;
      line->GetPositionAttribute(i, a);
      out += (a.face & bold) != 0 ? 'B' : '-';
    }
    return out;
  }
  // "ab" plain, then "cd" typed bold.
  cEditTextObject* StyledField(short top = 10) {
    cEditTextObject* f = ActiveField("ab", top);
    sTextStyleAttributes a;
    f->GetInsertPointAttribute(a);
    a.face = bold;
    f->SetupInsertPointAttribute(a);
    Keys("cd");
    return f;
  }
};

TEST_F(ClipboardKeysTest, CommandLettersCopyCutAndPasteAndLeaveEveryOtherToTheMenus) {
  cEditTextObject* f = ActiveField("hello");
  // Without a selection copy and cut leave the clipboard alone but the letters are taken.
  PutText("old");
  EXPECT_EQ(Command('c'), 1);
  EXPECT_EQ(Command('X'), 1);
  EXPECT_EQ(Flavor(kScrapFlavorTypeText), "old");
  EXPECT_EQ(Command('z'), 0);
  EXPECT_EQ(Command('a'), 0);
  f->SetupSelectionPosition(1, 0, 4, 0, 0, 0);
  EXPECT_EQ(Command('C'), 1);
  EXPECT_EQ(Flavor(kScrapFlavorTypeText), "ell");
  EXPECT_EQ(Text(f), "hello");
  EXPECT_EQ(Command('x'), 1);
  EXPECT_EQ(Text(f), "ho");
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(1)));
  EXPECT_EQ(Command('v'), 1);
  EXPECT_EQ(Command('V'), 1);
  EXPECT_EQ(Text(f), "hellello");
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(7)));
}

TEST_F(ClipboardKeysTest, PasteWithNeitherCaretNorSelectionIsTakenAndChangesNothing) {
  cEditTextObject* f = ActiveField("abc");
  PutText("xyz");
  f->InitializeSelection();
  EXPECT_EQ(Command('v'), 1);
  EXPECT_EQ(Text(f), "abc");
  EXPECT_EQ(f->ExecPastScrapText(1), 0);
  ClearCurrentScrap();
  f->SetupCaretPosition(1, 0);
  EXPECT_EQ(f->ExecPastScrapText(1), 0);
  EXPECT_EQ(Text(f), "abc");
}

TEST_F(ClipboardKeysTest, StyledTextCopiedInOneFieldPastesWithItsStylesIntoAnother) {
  cEditTextObject* from = StyledField();
  ASSERT_EQ(Faces(from), "--BB");
  from->SelectionAll(0, 0);
  ASSERT_EQ(from->ExecCopySelectedTextIntoScrap(0, 0), 1);
  EXPECT_EQ(Flavor(kScrapFlavorTypeText), "abcd");
  // Two runs: a count and two elements.
  EXPECT_EQ(Flavor(kScrapFlavorTypeTextStyle).size(), 2u + 2u * 20u);
  cEditTextObject* to = ActiveField("XY", 110);
  to->SetupCaretPosition(1, 0);
  ASSERT_EQ(to->ExecPastScrapText(0), 1);
  EXPECT_EQ(Text(to), "XabcdY");
  EXPECT_EQ(Faces(to), "---BB-");
}

TEST_F(ClipboardKeysTest, TextWithoutStylesPastesInTheStyleAtTheCaret) {
  cEditTextObject* f = StyledField();
  PutText("zz");
  f->SetupCaretPosition(3, 0);
  ASSERT_EQ(f->ExecPastScrapText(0), 1);
  EXPECT_EQ(Text(f), "abczzd");
  EXPECT_EQ(Faces(f), "--BBBB");
}

TEST_F(ClipboardKeysTest, AHostileStyleTableIsReadOnlyAsFarAsItsBytesGo) {
  cEditTextObject* f = ActiveField("");
  ClearCurrentScrap();
  ScrapRef scrap = nullptr;
  GetCurrentScrap(&scrap);
  PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, 3, "abc");
  // A count of 1000 elements in 22 bytes: one element, starting far past the text.
  std::vector<unsigned char> style(22, 0);
  style[0] = 0x03;
  style[1] = 0xE8;
  style[2] = 0x7F;
  style[12] = bold;
  PutScrapFlavor(scrap, kScrapFlavorTypeTextStyle, 0, Size(style.size()), style.data());
  ASSERT_EQ(f->ExecPastScrapText(0), 1);
  EXPECT_EQ(Text(f), "abc");
}

TEST_F(ClipboardKeysTest, ANumberOnlyFieldTakesAPasteOnlyWhenEveryByteIsADigit) {
  struct Case {
    const char* why;
    const char* pasted;
    SInt32 taken;
    const char* after;
  } cases[] = {
      {"digits", "42", 1, "142"},
      {"a letter after digits", "4a", 0, "1"},
      {"one point where decimals are allowed", "4.5", 1, "14.5"},
      {"two points", "4.5.", 0, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = ActiveField("1");
    f->SetupOnlyNumberFlag(1, 1);
    PutText(c.pasted);
    EXPECT_EQ(f->ExecPastScrapText(0), c.taken);
    EXPECT_EQ(Text(f), c.after);
  }
}

void NoteModify(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(type));
}

TEST_F(ClipboardKeysTest, ForwardDeleteTakesTheCharacterAfterTheCaretOrTheSelection) {
  cEditTextObject* f = ActiveField(("ab\r" + std::string(kA) + "c").c_str());
  f->SetupModifyTextCB(NoteModify, 0);
  f->SetupCaretPosition(1, 1, 0);
  Keys("\x7F");
  EXPECT_EQ(Text(f), "a\r" + std::string(kA) + "c");
  Keys("\x7F");  // the line break: the lines join
  EXPECT_EQ(Lines(f), std::vector<std::string>{"a" + std::string(kA) + "c"});
  Keys("\x7F");  // a two-byte character goes whole
  EXPECT_EQ(Text(f), "ac");
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(1)));
  f->SetupCaretPosition(1, 2, 0);
  Log().clear();
  Keys("\x7F");  // at the end of the text nothing happens
  EXPECT_EQ(Text(f), "ac");
  EXPECT_TRUE(Log().empty());
  f->SetupSelectionPosition(0, 0, 1, 0, 0, 0);
  Keys("\x7F");
  EXPECT_EQ(Text(f), "c");
  EXPECT_EQ(Log(), std::vector<std::string>{"modify 1"});
}

TEST_F(ClipboardKeysTest, ForwardDeleteAtTheEndOfAWrappedLineTakesTheNextLinesFirstCharacter) {
  cEditTextObject* f = ActiveField("abcdefghijklmnopqrsTUVWXYZ");
  ASSERT_EQ(Lines(f).at(0), "abcdefghijklmnopqrs");
  f->SetupCaretPosition(1, 19, 0);
  Keys("\x7F");
  EXPECT_EQ(Text(f), "abcdefghijklmnopqrsUVWXYZ");
  SInt32 caret = 0;
  unsigned char lineStart = 0;
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  ASSERT_EQ(f->GetSelectionStartPoint(line, byte), 1);
  ASSERT_EQ(f->GetAbsCursorPositionInfo(line, byte, caret, lineStart), 1);
  EXPECT_EQ(caret, 19);
}

TEST_F(ClipboardKeysTest, PageKeysAndEscapeAreSwallowedAndEnterAndLineFeedBreakTheLine) {
  cEditTextObject* f = ActiveField("ab");
  for (char key : {'\x0B', '\x0C', '\x1B'}) {
    EXPECT_EQ(SpETO_EventKeyInProcedure(key, 0), 1);
  }
  EXPECT_EQ(Text(f), "ab");
  Keys("\x03");
  Keys("\n");
  EXPECT_EQ(f->GetNumOfLine(), 3);
}

}  // namespace
}  // namespace edit_test
