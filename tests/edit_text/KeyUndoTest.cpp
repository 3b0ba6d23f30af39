// The undo steps keys make: typing and the Backspaces right after it are one step, a caret
// move starts another, a run of forward deletes is one step, and cut and paste are one step
// each that undo takes back exactly, with the text's styles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"

namespace edit_test {
namespace {

class KeyUndoTest : public ClipboardFixture {
 protected:
  cEditTextObject* ActiveField(const char* text, SInt16 maximum = 10) {
    cEditTextObject* f = Field(R(10, 10, 100, 130));
    f->SetupText(text, 0);
    f->SetupCaretPosition(f->GetTextCharByte(1, 1), 0);
    f->ActivateEditText(1, 0);
    f->GetUndoManager()->SetupStockRecTermNumMax(maximum);
    return f;
  }
  static std::vector<tETOOperationRecType> Steps(const cEditTextObject* f) {
    std::vector<tETOOperationRecType> out;
    for (cETOOperationRecTerm* t = f->GetUndoManager()->GetOperationTermListHeadPtr();
         t != nullptr; t = t->GetNextObjectPtr()) {
      out.push_back(t->GetOperationType());
    }
    return out;
  }
};

TEST_F(KeyUndoTest, TypingAndTheBackspacesAfterItAreOneStepAndACaretMoveStartsAnother) {
  cEditTextObject* f = ActiveField("");
  Keys("abc\b\b");
  EXPECT_EQ(Text(f), "a");
  EXPECT_EQ(Steps(f), std::vector<tETOOperationRecType>{kETOOperationTextIn});
  Keys("\x1C");  // left
  Keys("x");
  EXPECT_EQ(Text(f), "xa");
  EXPECT_EQ(Steps(f), (std::vector<tETOOperationRecType>{kETOOperationTextIn,
                                                         kETOOperationTextIn}));
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "a");
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "");
  ASSERT_EQ(f->ExecReDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "a");
}

TEST_F(KeyUndoTest, ARunOfBackspacesAndARunOfForwardDeletesAreOneStepEach) {
  cEditTextObject* f = ActiveField("abcdef\rgh");
  f->SetupCaretPosition(1, 4, 0);
  Keys("\b\b");
  f->SetupCaretPosition(1, 2, 0);  // the same place: the run goes on forwards
  Keys("\x7F\x7F\x7F");            // "ef" and the line break
  EXPECT_EQ(Text(f), "abgh");
  EXPECT_EQ(Steps(f), std::vector<tETOOperationRecType>{kETOOperationDelete});
  Keys("\x1D\x7F");  // right, then one more after a move: a new step
  EXPECT_EQ(Text(f), "abg");
  EXPECT_EQ(Steps(f), (std::vector<tETOOperationRecType>{kETOOperationDelete,
                                                         kETOOperationDelete}));
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Lines(f), (std::vector<std::string>{"abcdef\r", "gh"}));
  // The restored text is selected.
  SInt32 start = 0, end = 0;
  unsigned char startFlag = 0, endFlag = 0;
  ASSERT_EQ(f->GetSelectionPosition(start, startFlag, end, endFlag), 1);
  EXPECT_EQ(std::make_pair(std::min(start, end), std::max(start, end)),
            std::make_pair(SInt32(2), SInt32(7)));
}

TEST_F(KeyUndoTest, CutAndPasteAreOneStepEachAndUndoGivesBackTheTextAndItsStyles) {
  cEditTextObject* f = ActiveField("ab");
  sTextStyleAttributes a;
  f->GetInsertPointAttribute(a);
  a.face = bold;
  f->SetupInsertPointAttribute(a);
  Keys("cd");
  f->SetupSelectionPosition(1, 0, 3, 0, 0, 0);  // "bc": plain and bold
  ASSERT_EQ(f->ExecCutSelectedTextIntoScrap(0), 1);
  EXPECT_EQ(Text(f), "ad");
  f->SetupSelectionPosition(0, 0, 1, 0, 0, 0);  // "a" pasted over
  ASSERT_EQ(f->ExecPastScrapText(0), 1);
  EXPECT_EQ(Text(f), "bcd");
  EXPECT_EQ(Steps(f), (std::vector<tETOOperationRecType>{kETOOperationTextIn, kETOOperationCut,
                                                         kETOOperationPaste}));
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "ad");
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "abcd");
  cTextLineObject* line = f->GetFirstLinePtr();
  std::string faces;
  for (SInt32 i = 1; i <= 4; ++i) {
    line->GetPositionAttribute(i, a);
    faces += (a.face & bold) != 0 ? 'B' : '-';
  }
  EXPECT_EQ(faces, "--BB");
}

TEST_F(KeyUndoTest, DeletingKeysWithNothingToDeleteOpenNoStep) {
  cEditTextObject* f = ActiveField("ab");
  Keys("\x7F");  // at the end
  f->SetupCaretPosition(0, 0);
  Keys("\b");  // at the start
  EXPECT_EQ(Text(f), "ab");
  EXPECT_TRUE(Steps(f).empty());
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
}

TEST_F(KeyUndoTest, ARefusedPasteOpensNoStep) {
  cEditTextObject* f = ActiveField("1");
  f->SetupOnlyNumberFlag(1, 0);
  ScrapRef scrap = nullptr;
  GetCurrentScrap(&scrap);
  PutScrapFlavor(scrap, kScrapFlavorTypeText, 0, 2, "9x");
  EXPECT_EQ(f->ExecPastScrapText(0), 0);
  EXPECT_TRUE(Steps(f).empty());
}

void NotePasteModify(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(type));
}

TEST_F(KeyUndoTest, PastingTextOverTheSelectionIsOnePasteStepThatUndoTakesBackWhole) {
  cEditTextObject* f = ActiveField("abcdef");
  f->SetupModifyTextCB(NotePasteModify, 0);
  f->SetupSelectionPosition(1, 0, 4, 0, 0, 0);  // "bcd"
  f->SetupPastTextOnSelection("XY", 0);
  EXPECT_EQ(Text(f), "aXYef");
  EXPECT_EQ(Caret(f), (std::pair<SInt32, SInt32>{1, 3}));
  EXPECT_EQ(Log().back(), "modify 2");
  // A second paste while the paste step is open goes into it.
  f->SetupPastTextOnSelection("\rZ", 0);
  EXPECT_EQ(Lines(f), (std::vector<std::string>{"aXY\r", "Zef"}));
  EXPECT_EQ(Steps(f), std::vector<tETOOperationRecType>{kETOOperationPaste});
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "abcdef");
  ASSERT_EQ(f->ExecReDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "aXY\rZef");
  // After typing, a paste opens its own step again.
  f->SetupCaretPosition(5, 0);
  Keys("q");
  f->SetupPastTextOnSelection("w", 0);
  EXPECT_EQ(Text(f), "aXY\rZqwef");
  EXPECT_EQ(Steps(f), (std::vector<tETOOperationRecType>{
                          kETOOperationPaste, kETOOperationTextIn, kETOOperationPaste}));
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "aXY\rZqef");
}

TEST_F(KeyUndoTest, PastingNoTextIsRefusedWithoutAStep) {
  cEditTextObject* f = ActiveField("ab");
  f->SetupPastTextOnSelection(nullptr, 0);
  EXPECT_EQ(Text(f), "ab");
  EXPECT_TRUE(Steps(f).empty());
  EXPECT_TRUE(errors_.Has("cEditTextObject::SetupPastTextOnSelection", 1));
}

}  // namespace
}  // namespace edit_test
