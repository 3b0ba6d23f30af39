// Undo and redo in a field: deletions across lines, the selection each replay leaves, the
// callbacks, and a replay that cannot be done.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"

namespace edit_test {
namespace {

void NoteUndo(cEditTextObject*, unsigned long refCon) {
  Log().push_back(reinterpret_cast<const char*>(refCon));
}

class UndoRedoTest : public EditTextFixture {
 protected:
  // A field 19 one-byte characters wide holding `text`, the caret at its end.
  cEditTextObject* FieldWith(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 200, 130));
    f->SetupText(text, 0);
    f->SetupCaretPosition(f->GetTextCharByte(1, 1), 0);
    return f;
  }
  static std::pair<SInt32, SInt32> Selection(const cEditTextObject* f) {
    SInt32 start = 0, end = 0;
    unsigned char startFlag = 0, endFlag = 0;
    f->GetSelectionInfoStock(start, startFlag, end, endFlag);
    return {std::min(start, end), std::max(start, end)};
  }
  static cTextLineObject* Line(const cEditTextObject* f, SInt32 n) { return f->GetLinePtr(n); }
};

TEST_F(UndoRedoTest, DeletingFromALineStartIntoALaterLineComesBackSelected) {
  cEditTextObject* f = FieldWith("first\rsecond\rthird\rfourth");
  // From offset 0 of "second" to offset 2 of "fourth".
  f->DeleteTargetArea(Line(f, 2), 0, Line(f, 4), 2, 0, 1, 1, 1, 1);
  EXPECT_EQ(Lines(f), (std::vector<std::string>{"first\r", "urth"}));
  ASSERT_EQ(f->ExistUnDoOperationRecord(), 1);
  EXPECT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "first\rsecond\rthird\rfourth");
  EXPECT_EQ(Lines(f).size(), 4u);
  EXPECT_EQ(Selection(f), std::make_pair(SInt32(6), SInt32(21)));
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
  EXPECT_EQ(f->ExecReDoOneOperation(0), 1);
  EXPECT_EQ(Lines(f), (std::vector<std::string>{"first\r", "urth"}));
  EXPECT_EQ(Selection(f), std::make_pair(SInt32(6), SInt32(6)));
}

TEST_F(UndoRedoTest, ReversedEndsDeleteAndRecordTheSameText) {
  cEditTextObject* f = FieldWith("first\rsecond\rthird");
  f->DeleteTargetArea(Line(f, 3), 2, Line(f, 1), 3, 0, 1, 1, 1, 1);
  EXPECT_EQ(Text(f), "firird");
  const cETOOperationRecItem* item =
      f->GetUndoManager()->GetCurrentTerm()->GetOperationItemListHead();
  EXPECT_EQ(item->GetStartCharBytePosition(), 3);
  EXPECT_EQ(item->GetTargetCharByteLength(), 12);
  f->ExecUnDoOneOperation(0);
  EXPECT_EQ(Text(f), "first\rsecond\rthird");
}

TEST_F(UndoRedoTest, TheFieldTellsItsClientWhenUndoAndRedoComeAndGo) {
  cEditTextObject* f = FieldWith("abcdef");
  f->SetupUnDoExistInCB(NoteUndo, reinterpret_cast<unsigned long>("undo in"));
  f->SetupUnDoExistOutCB(NoteUndo, reinterpret_cast<unsigned long>("undo out"));
  f->SetupReDoExistInCB(NoteUndo, reinterpret_cast<unsigned long>("redo in"));
  f->SetupReDoExistOutCB(NoteUndo, reinterpret_cast<unsigned long>("redo out"));
  f->DeleteTargetArea(Line(f, 1), 0, Line(f, 1), 2, 0, 1, 1, 1, 0);
  f->ExecUnDoOneOperation(0);
  f->ExecReDoOneOperation(0);
  // One level: the next edit replaces the step.
  f->DeleteTargetArea(Line(f, 1), 0, Line(f, 1), 1, 0, 1, 1, 1, 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"undo in", "redo in", "undo out", "undo in",
                                             "redo out"}));
  EXPECT_EQ(f->GetUnDoOperationRecordCount(), 1);
  EXPECT_EQ(Text(f), "def");
}

TEST_F(UndoRedoTest, AStepThatNoLongerFitsTheTextClearsTheHistoryInsteadOfHalfReplaying) {
  cEditTextObject* f = FieldWith("abcdef");
  f->GetUndoManager()->SetupStockRecTermNumMax(3);
  f->DeleteTargetArea(Line(f, 1), 4, Line(f, 1), 6, 0, 1, 1, 1, 0);
  // The text changes behind the history's back: the recorded deletion at 4 cannot be redone.
  f->ExecUnDoOneOperation(0);
  f->SetupText("ab", 0);
  EXPECT_EQ(f->ExecReDoOneOperation(0), 0);
  EXPECT_EQ(Text(f), "ab");
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
  EXPECT_EQ(f->ExistReDoOperationRecord(), 0);
  EXPECT_FALSE(errors_.Records().empty());
}

TEST_F(UndoRedoTest, AnUndoThatNoLongerFitsTheTextClearsTheHistoryAndLeavesTheText) {
  cEditTextObject* f = FieldWith("abcdef");
  f->GetUndoManager()->SetupStockRecTermNumMax(3);
  f->DeleteTargetArea(Line(f, 1), 0, Line(f, 1), 1, 0, 1, 1, 1, 0);  // "bcdef"
  f->DeleteTargetArea(Line(f, 1), 3, Line(f, 1), 5, 0, 1, 1, 1, 0);  // "bcd"
  // The text changes behind the history's back: "ef" cannot go back in at 3.
  f->SetupText("ab", 0);
  EXPECT_EQ(f->ExecUnDoOneOperation(0), 0);
  EXPECT_EQ(Text(f), "ab");
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0) << "the older step is not replayed either";
  EXPECT_EQ(f->ExistReDoOperationRecord(), 0);
  EXPECT_FALSE(errors_.Records().empty());
}

TEST_F(UndoRedoTest, AnEditAfterAnUndoStartsItsOwnStepInsteadOfJoiningAClosedOne) {
  cEditTextObject* f = FieldWith("abcdefgh");
  f->GetUndoManager()->SetupStockRecTermNumMax(3);
  f->DeleteTargetArea(Line(f, 1), 0, Line(f, 1), 1, 0, 1, 1, 1, 0);  // "bcdefgh"
  f->DeleteTargetArea(Line(f, 1), 0, Line(f, 1), 1, 0, 1, 1, 1, 0);  // "cdefgh"
  f->ExecUnDoOneOperation(0);                                         // "bcdefgh"
  // A deletion that would go on with the current step: that step is closed and has a step
  // after it that redo could replay.
  f->DeleteTargetArea(Line(f, 1), 5, Line(f, 1), 7, 0, 1, 0, 1, 0);  // "bcdef"
  EXPECT_EQ(f->GetUnDoOperationRecordCount(), 2);
  EXPECT_EQ(f->GetReDoOperationRecordCount(), 0);
  f->ExecUnDoOneOperation(0);
  EXPECT_EQ(Text(f), "bcdefgh");
  f->ExecUnDoOneOperation(0);
  EXPECT_EQ(Text(f), "abcdefgh");
}

TEST_F(UndoRedoTest, WithAMaximumOfZeroEditsWorkAndNothingIsRecorded) {
  cEditTextObject* f = FieldWith("abcdef");
  f->GetUndoManager()->SetupStockRecTermNumMax(0);
  f->DeleteTargetArea(Line(f, 1), 0, Line(f, 1), 3, 0, 1, 1, 1, 0);
  EXPECT_EQ(Text(f), "def");
  EXPECT_EQ(f->ExecUnDoOneOperation(0), 0);
  EXPECT_EQ(Text(f), "def");
}

}  // namespace
}  // namespace edit_test
