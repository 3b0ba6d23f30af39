// The undo manager's list of steps: the current step, the counts, trimming to the maximum,
// the exists notifications, and how items join typing, Backspaces and forward deletes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"

namespace edit_test {
namespace {

std::vector<std::string>& Heard() {
  static std::vector<std::string> heard;
  return heard;
}

void Note(cETOOperationRecMgr*, unsigned long refCon) {
  Heard().push_back(reinterpret_cast<const char*>(refCon));
}

class UndoRecordTest : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    Heard().clear();
  }
  static void Listen(cETOOperationRecMgr& m) {
    m.SetupUnDoExistInCallBack(Note, reinterpret_cast<unsigned long>("undo in"));
    m.SetupUnDoExistOutCallBack(Note, reinterpret_cast<unsigned long>("undo out"));
    m.SetupReDoExistInCallBack(Note, reinterpret_cast<unsigned long>("redo in"));
    m.SetupReDoExistOutCallBack(Note, reinterpret_cast<unsigned long>("redo out"));
  }
  // A run set of plain text in the default style.
  static void Plain(cSp_RunSet& set, const char* text) {
    set.ClearRunSet();
    sTextStyleAttributes a;
    Sp_InitializeTextStyleAttribute(a);
    cTextStyleRunObject* head = nullptr;
    cTextStyleRunObject* tail = nullptr;
    SpETO_CreateStyleRunObjectFromString(text, nullptr, a, head, tail);
    set.CopyString(text);
    if (head != nullptr) set.AppendStyleRun(head);
  }
  static std::string ItemText(const cETOOperationRecItem* item) {
    char buffer[64];
    unsigned char overflow = 0;
    item->GetTargetString(buffer, sizeof buffer, overflow);
    return overflow ? "<overflow>" : buffer;
  }
};

TEST_F(UndoRecordTest, OneUndoOfThreeStepsLeavesTwoToUndoAndOneToRedo) {
  cETOOperationRecMgr m(3);
  for (int i = 0; i < 3; ++i) m.CreateNewOperationTerm(kETOOperationStyle);
  EXPECT_EQ(m.ExecMoveBackOperation(), 1);
  EXPECT_EQ(m.GetReDoOperationRecordCount(), 1);
  EXPECT_EQ(m.GetUnDoOperationRecordCount(), 2);
  EXPECT_EQ(m.GetOperationTermListHeadPtr()->GetOperationTermNumInList(), 3);
}

TEST_F(UndoRecordTest, TheExistsNotificationsFollowWhatUndoAndRedoCanDo) {
  cETOOperationRecMgr m(2);
  Listen(m);
  struct Step {
    const char* why;
    int action;  // 0 new step, 1 undo, 2 redo, 3 maximum 1, 4 maximum 0
    std::vector<std::string> heard;
    SInt32 undo, redo;
  } steps[] = {
      {"the first step makes undo possible", 0, {"undo in"}, 1, 0},
      {"a second step says nothing new", 0, {}, 2, 0},
      {"a third pushes the oldest out", 0, {}, 2, 0},
      {"undo makes redo possible", 1, {"redo in"}, 1, 1},
      {"undoing the last leaves nothing to undo", 1, {"redo in", "undo out"}, 0, 2},
      {"redo from nothing undone", 2, {"undo in"}, 1, 1},
      {"a new step drops what redo could do", 0, {"redo out"}, 2, 0},
      {"undo, then trimming to one step", 1, {"redo in"}, 1, 1},
      {"the current step goes with the oldest", 3, {"undo out"}, 0, 1},
      {"a maximum of 0 keeps nothing", 4, {"redo out"}, 0, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.why);
    Heard().clear();
    switch (s.action) {
      case 0: EXPECT_NE(m.CreateNewOperationTerm(kETOOperationFont), nullptr); break;
      case 1: m.ExecMoveBackOperation(); break;
      case 2: m.ExecMoveFowerdOperation(); break;
      case 3: m.SetupStockRecTermNumMax(1); break;
      default: m.SetupStockRecTermNumMax(0); break;
    }
    EXPECT_EQ(Heard(), s.heard);
    EXPECT_EQ(m.GetUnDoOperationRecordCount(), s.undo);
    EXPECT_EQ(m.GetReDoOperationRecordCount(), s.redo);
  }
  EXPECT_EQ(m.CreateNewOperationTerm(kETOOperationFont), nullptr);
}

TEST_F(UndoRecordTest, ClearingTellsOnlyWhatWasPossible) {
  cETOOperationRecMgr m(3);
  Listen(m);
  m.CreateNewOperationTerm(kETOOperationTextIn);
  m.CreateNewOperationTerm(kETOOperationTextIn);
  m.ExecMoveBackOperation();
  Heard().clear();
  m.ClearAllOperationRecord(1);
  EXPECT_EQ(Heard(), (std::vector<std::string>{"undo out", "redo out"}));
  EXPECT_EQ(m.GetOperationTermListHeadPtr(), nullptr);
  Heard().clear();
  m.ClearAllOperationRecord(1);
  EXPECT_TRUE(Heard().empty());
}

TEST_F(UndoRecordTest, TypingJoinsAtItsEndAndBackspacesAndForwardDeletesJoinInTextOrder) {
  cETOOperationRecMgr m(5);
  cSp_RunSet set;
  cETOOperationRecTerm* typing = m.GetOperationTermForTextIn(10);
  for (const char* key : {"a", "b", "c"}) {
    Plain(set, key);
    ASSERT_TRUE(typing->RecordWithTextIn(typing->GetTotalProcLastCursorPosition() == 0
                                             ? 10
                                             : typing->GetTotalProcLastCursorPosition(),
                                         set));
  }
  EXPECT_EQ(m.GetOperationTermForTextIn(13), typing);
  EXPECT_NE(m.GetOperationTermForTextIn(20), typing) << "typing elsewhere is a new step";
  ASSERT_EQ(typing->GetContainRecItemNum(), 1);
  EXPECT_EQ(ItemText(typing->GetOperationItemListHead()), "abc");
  EXPECT_EQ(SpETO_GetRunCountFromRunList(
                typing->GetOperationItemListHead()->GetStyleRunListHeadPtr()),
            1)
      << "a word typed in one style is one run";

  cETOOperationRecTerm* deleting = m.CreateNewOperationTerm(kETOOperationDelete);
  // "xyz" at 5: Backspace removes z then y; forward delete at 5 removes what followed.
  Plain(set, "z");
  deleting->RecordWithDelete(7, set);
  Plain(set, "y");
  deleting->RecordWithDelete(6, set);
  Plain(set, "Q");
  deleting->RecordWithForwardDelete(6, set);
  Plain(set, "x");
  deleting->RecordWithDelete(5, set);
  ASSERT_EQ(deleting->GetContainRecItemNum(), 1);
  const cETOOperationRecItem* item = deleting->GetOperationItemListHead();
  EXPECT_EQ(ItemText(item), "xyzQ");
  EXPECT_EQ(item->GetStartCharBytePosition(), 5);
  EXPECT_EQ(item->GetTargetCharByteLength(), 4);
  EXPECT_TRUE(deleting->CheckTargetPosition(5));
  Plain(set, "w");
  deleting->RecordWithDelete(1, set);
  EXPECT_EQ(deleting->GetContainRecItemNum(), 2) << "a Backspace elsewhere is a new item";
}

TEST_F(UndoRecordTest, AnItemHandsItsTextOutOnlyWithRoomForTwoZeros) {
  cETOOperationRecItem item(kETOOperationTextIn);
  cSp_RunSet set;
  Plain(set, "abcd");
  item.SetupTargetStringRunSet(set);
  struct Case {
    SInt32 size;
    unsigned char overflow;
  } cases[] = {{2, 1}, {5, 1}, {6, 0}};
  for (const Case& c : cases) {
    char buffer[8] = "#######";
    unsigned char overflow = 0;
    item.GetTargetString(buffer, c.size, overflow);
    EXPECT_EQ(overflow, c.overflow) << c.size;
    if (!c.overflow) {
      EXPECT_EQ(std::string(buffer, 6), std::string("abcd\0\0", 6));
    }
  }
}

}  // namespace
}  // namespace edit_test
