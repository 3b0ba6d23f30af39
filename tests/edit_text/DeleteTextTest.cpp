// Deleting text: what is recorded for undo, clearing the whole text, and where the caret is
// left when the lines it stood on go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"
#include "StyleSnapshot.h"

namespace edit_test {
namespace {

void Modified(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(type));
}

class DeleteTextTest : public EditTextFixture {
 protected:
  cEditTextObject* FieldWith(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 200, 130));
    f->SetupText(text, 0);
    f->SetupCaretPosition(SInt32(0), 0);
    f->SetupModifyTextCB(Modified, 0);
    return f;
  }
  static SInt32 CaretAt(const cEditTextObject* f) {
    SInt32 start = 0, end = 0;
    unsigned char sf = 0, ef = 0;
    EXPECT_EQ(f->GetSelectionInfoStock(start, sf, end, ef), 1);
    EXPECT_EQ(start, end);
    return start;
  }
};

TEST_F(DeleteTextTest, AnEmptyStretchRecordsNothing) {
  cEditTextObject* f = FieldWith("abc\rdef");
  f->DeleteTargetArea(f->GetLinePtr(2), 1, f->GetLinePtr(2), 1, 0, 1, 1, 1, 1);
  EXPECT_EQ(f->ExistUnDoOperationRecord(), 0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(DeleteTextTest, ClearingTheTextIsOneStepAndLeavesTheCaretAtTheStart) {
  struct Case {
    const char* why;
    const char* text;
    unsigned char recorded;
  } cases[] = {
      {"an empty text records nothing", "", 0},
      {"several lines", "abc\rdefghijklmnopqrstuvwxyz\r", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    Log().clear();
    cEditTextObject* f = FieldWith(c.text);
    const StyleSnapshot before = Snapshot(f);
    f->SetupCaretPosition(SInt32(std::string(c.text).size()), 0);
    f->ClearAllText(0, 1, 1, 1);
    EXPECT_EQ(Text(f), "");
    EXPECT_EQ(f->GetNumOfLine(), 1);
    EXPECT_EQ(CaretAt(f), 0);
    EXPECT_EQ(f->ExistUnDoOperationRecord(), c.recorded);
    EXPECT_EQ(Log().size(), std::size_t(c.recorded));
    if (c.recorded != 0) {
      f->ExecUnDoOneOperation(0);
      EXPECT_EQ(Snapshot(f), before);
    }
  }
}

TEST_F(DeleteTextTest, ACaretLeftPastTheStretchMovesBackWithItsText) {
  struct Case {
    const char* why;
    SInt32 caret, from, to;
    SInt32 expected;
  } cases[] = {
      {"after the stretch, on a line that goes", 14, 2, 12, 4},
      {"inside the stretch", 6, 2, 12, 2},
      {"before the stretch", 1, 2, 12, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = FieldWith("abc\rdef\rghi\rjkl");
    f->SetupCaretPosition(c.caret, 0);
    cTextLineObject* a = nullptr;
    cTextLineObject* b = nullptr;
    SInt32 ab = 0, bb = 0;
    ASSERT_TRUE(f->GetCursorPositFromAbsPosit(c.from, 1, a, ab));
    ASSERT_TRUE(f->GetCursorPositFromAbsPosit(c.to, 0, b, bb));
    f->DeleteTargetArea(a, ab, b, bb, 0, 1, 1, 1, 1);
    EXPECT_EQ(CaretAt(f), c.expected);
    EXPECT_EQ(f->GetLinePtr(f->GetNumOfLine()), f->GetLastLinePtr());
  }
}

TEST_F(DeleteTextTest, TypingAfterDeletingTheSelectionTakesTheStyleOfItsFirstCharacter) {
  cEditTextObject* f = FieldWith("abcdef");
  f->SetupSelectionPosition(2, 1, 4, 0, 0, 0);
  f->SetupSelectionTextStyle(bold, 0);
  f->SetupSelectionPosition(2, 1, 5, 0, 0, 0);
  EXPECT_EQ(f->DeleteCurrentSelection(0, 0, 1, 1, 1, 1), 1);
  sTextStyleAttributes a;
  f->GetInsertPointAttribute(a);
  EXPECT_EQ(a.face, bold);
  EXPECT_EQ(Text(f), "abf");
  f->ExecUnDoOneOperation(0);
  EXPECT_EQ(Text(f), "abcdef");
  EXPECT_EQ(Snapshot(f).styles[3].face, bold);
  EXPECT_EQ(Snapshot(f).styles[4].face, normal);
}

}  // namespace
}  // namespace edit_test
