// Text dropped on a field: from another program at the drop point (styles from 'styl' or the
// drop point), refused by alphabet- and number-only fields without touching the selection or
// the undo history; the field's own selection moved or, with Option, copied by a drag, refused
// on itself; and the drag caret that follows a drag over the text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpDragAndDropObject.h"
#include "SpETOManagerObject.h"
#include "SpETOOperationRec.h"
#include "SpHotSpotArea.h"
#include "SpMouseTraceManager.h"
#include "StyleSnapshot.h"
#include "TestDrags.h"

namespace edit_test {
namespace {

void Imported(cEditTextObject*, SInt32 position, SInt32 length, SInt16, unsigned long) {
  Log().push_back("import " + std::to_string(position) + "," + std::to_string(length));
}

class DropTextTest : public ClipboardFixture {
 protected:
  void SetUp() override {
    ClipboardFixture::SetUp();
    sp_testing::ResetDrags();
    sp_testing::ResetDragAndDropManager();
    SpDDO_InitializeDragAndDrop();
  }
  void TearDown() override {
    Sp_HotspotMouseTraceCancel();
    fields_.clear();
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    ClipboardFixture::TearDown();
  }
  // An active one-line-high field at (10, 10) of the window (content at global (100, 100)):
  // one-byte characters 6 pixels wide after a left offset of 1, lines 14 high.
  cEditTextObject* Active(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 100, 200));
    f->SetupText(text, 0);
    f->ActivateEditText(1, 0);
    f->GetUndoManager()->SetupStockRecTermNumMax(10);
    f->SetupImportDropCatchCB(Imported, 0);
    return f;
  }
  static Point At(SInt32 byte, SInt32 line = 1) {
    return Pt(short(10 + 1 + 6 * byte + 1), short(10 + 2 + 14 * (line - 1) + 7));
  }
  static Point Global(Point local) { return Pt(short(local.h + 100), short(local.v + 100)); }
  static std::vector<SInt32> Range(const cEditTextObject* f) {
    SInt32 a = 0, b = 0;
    unsigned char af = 0, bf = 0;
    f->GetSelectionInfoStock(a, af, b, bf);
    return {a, b};
  }
  static SInt32 Steps(const cEditTextObject* f) {
    return f->GetUndoManager()->GetOperationTermCount();
  }
  // Drags the field's own selection from `from` to `to` (bytes of line 1) and drops it there.
  void DragOwn(cEditTextObject* f, SInt32 from, SInt32 to, UInt32 modifiers = 0) {
    sp_testing::PostMouseDragged(Global(At(to)), modifiers);
    sp_testing::PostMouseUp(Global(At(to)), modifiers);
    ASSERT_NE(Sp_MouseDownHotSpot(window_, At(from), 0), 0);
    sp_testing::SetModifierKeys(modifiers);
    Point moved = At(from);
    moved.h += 1;
    f->HotSpotMouseDownTraceProc(0, moved);
    sp_testing::SetModifierKeys(0);
  }
};

TEST_F(DropTextTest, TextFromAnotherProgramGoesInAtTheDropPointSelectedAndTellsTheClient) {
  cEditTextObject* f = Active("abcdef");
  f->SetupCaretPosition(1, 1, 0);
  EXPECT_EQ(sp_testing::DropText("xy", {Global(At(3)), Global(At(2))}), noErr);
  EXPECT_EQ(Text(f), "abxycdef");
  EXPECT_EQ(Range(f), (std::vector<SInt32>{2, 4}));
  EXPECT_EQ(Log(), (std::vector<std::string>{"import 2,2"}));
  EXPECT_EQ(Steps(f), 1);
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "abcdef");
}

TEST_F(DropTextTest, ADropThatInsertsNothingLeavesTextSelectionAndUndoAlone) {
  struct Case {
    const char* why;
    std::string dropped;
    unsigned char alphaOnly, numberOnly;
  };
  const std::string japanese = std::string("a") + kA;
  const Case cases[] = {
      {"Japanese into an alphabet-only field", japanese, 1, 0},
      {"a letter into a number-only field", "12a", 0, 1},
      {"an empty text", "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cEditTextObject* f = Active("1234");
    f->SetupOnlyAlfaFlag(c.alphaOnly);
    f->SetupOnlyNumberFlag(c.numberOnly, 0);
    f->SetupCaretPosition(4, 0);
    Keys("5");
    f->SetupSelectionPosition(1, 0, 3, 0, 0, 0);
    Log().clear();
    EXPECT_NE(sp_testing::DropText(c.dropped, {Global(At(4))}), noErr);
    EXPECT_EQ(Text(f), "12345");
    EXPECT_EQ(Range(f), (std::vector<SInt32>{1, 3}));
    EXPECT_EQ(Steps(f), 1);
    EXPECT_TRUE(Log().empty());
    ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);  // the typing is still the step to undo
    EXPECT_EQ(Text(f), "1234");
    fields_.clear();
  }
  // Digits alone still go into the number-only field.
  cEditTextObject* f = Active("12");
  f->SetupOnlyNumberFlag(1, 0);
  EXPECT_EQ(sp_testing::DropText("34", {Global(At(2))}), noErr);
  EXPECT_EQ(Text(f), "1234");
}

TEST_F(DropTextTest, DroppedTextTakesItsOwnStylesOrTheStyleAtTheDropPoint) {
  // A bold "BB" copied from another field gives the 'styl' of a drop.
  cEditTextObject* source = Active("BB");
  source->SelectionAll(0, 0);
  source->ModifySelectionTextStyleRevolve(bold, 0);
  ASSERT_EQ(source->ExecCopySelectedTextIntoScrap(0, 0), 1);
  ScrapRef scrap = nullptr;
  ASSERT_EQ(GetCurrentScrap(&scrap), noErr);
  Size size = 0;
  ASSERT_EQ(GetScrapFlavorSize(scrap, kScrapFlavorTypeTextStyle, &size), noErr);
  std::string style(std::size_t(size), '\0');
  ASSERT_EQ(GetScrapFlavorData(scrap, kScrapFlavorTypeTextStyle, &size, &style[0]), noErr);
  fields_.clear();

  struct Case {
    const char* why;
    std::string style;  // none when empty
    bool bold;
  };
  const Case cases[] = {
      {"with its own runs", style, true},
      {"plain text in the drop point's style", "", false},
      {"a table cut short is not read past its bytes", style.substr(0, 10), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cEditTextObject* f = Active("ab");
    std::vector<sp_testing::DragItem> items{{{kScrapFlavorTypeText, "BB", 0}}};
    if (!c.style.empty()) items[0].push_back({kScrapFlavorTypeTextStyle, c.style, 0});
    EXPECT_EQ(sp_testing::PerformDrag(items, {Global(At(1))}), noErr);
    EXPECT_EQ(Text(f), "aBBb");
    const StyleSnapshot s = Snapshot(f);
    EXPECT_EQ((s.styles[1].face & bold) != 0, c.bold);
    EXPECT_EQ((s.styles[2].face & bold) != 0, c.bold);
    EXPECT_EQ(s.styles[0].face & bold, 0);
    fields_.clear();
  }
}

TEST_F(DropTextTest, AWordDraggedEarlierOrLaterInItsLineMovesAndOneUndoPutsItBack) {
  struct Case {
    const char* why;
    SInt32 start, end, drop;
    const char* after;
    std::vector<SInt32> selected;
  };
  const Case cases[] = {
      {"earlier", 8, 13, 0, "threeone two ", {0, 5}},
      {"later", 0, 4, 8, "two one three", {4, 8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cEditTextObject* f = Active("one two three");
    f->SetupSelectionPosition(c.start, 0, c.end, 0, 0, 0);
    Log().clear();
    DragOwn(f, (c.start + c.end) / 2, c.drop);
    EXPECT_EQ(Text(f), c.after);
    EXPECT_EQ(Range(f), c.selected);
    EXPECT_TRUE(Log().empty());  // the client's import is for drops from elsewhere
    EXPECT_EQ(Steps(f), 1);
    ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
    EXPECT_EQ(Text(f), "one two three");
    EXPECT_EQ(Range(f), (std::vector<SInt32>{c.start, c.end}));
    ASSERT_EQ(f->ExecReDoOneOperation(0), 1);
    EXPECT_EQ(Text(f), c.after);
    EXPECT_EQ(Range(f), c.selected);  // the moved text, at its new place
    fields_.clear();
  }
}

TEST_F(DropTextTest, AnOptionDragCopiesAndSelectsTheCopy) {
  cEditTextObject* f = Active("ab cd");
  f->SetupSelectionPosition(0, 0, 2, 0, 0, 0);
  DragOwn(f, 1, 4, optionKey);
  EXPECT_EQ(Text(f), "ab cabd");
  EXPECT_EQ(Range(f), (std::vector<SInt32>{4, 6}));
  EXPECT_EQ(f->GetUndoManager()->GetCurrentTerm()->GetOperationType(), kETOOperationDrop);
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "ab cd");
}

TEST_F(DropTextTest, ItsOwnSelectionDroppedOnItselfOrAtItsEndsChangesNothing) {
  for (SInt32 drop : {2, 3, 5}) {
    SCOPED_TRACE(drop);
    cEditTextObject* f = Active("abcdefgh");
    f->SetupSelectionPosition(2, 0, 5, 0, 0, 0);
    DragOwn(f, 3, drop);
    EXPECT_EQ(Text(f), "abcdefgh");
    EXPECT_EQ(Range(f), (std::vector<SInt32>{2, 5}));
    EXPECT_EQ(Steps(f), 0);
    fields_.clear();
  }
}

TEST_F(DropTextTest, ADragCaretFollowsTheDragAndLeavingPutsTheCaretWhereItWas) {
  cEditTextObject* f = Active("abcdef");
  f->SetupCaretPosition(1, 1, 0);
  f->TraceDragCursorIn(nullptr, At(2));
  EXPECT_EQ(f->IsDragInside(), 1);
  EXPECT_EQ(SpETO_GetEditTextManager(0)->IsTextEditServiceEnable(), 0);  // no blinking
  f->TraceMoveDragCursor(nullptr, At(4));
  EXPECT_EQ(f->IsDragCaretDrawn(), 1);
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  f->GetDragCaretPosition(line, byte);
  EXPECT_EQ(byte, 4);
  f->TraceDragCursorOut(nullptr, At(4));
  EXPECT_EQ(f->IsDragInside(), 0);
  EXPECT_EQ(f->IsDragCaretDrawn(), 0);
  EXPECT_EQ(Caret(f), (std::pair<SInt32, SInt32>{1, 4}));
  EXPECT_EQ(SpETO_GetEditTextManager(0)->IsTextEditServiceEnable(), 1);
  EXPECT_EQ(f->IsActiveEditText(), 1);
  // Switched off, a field neither follows drags nor takes drops.
  f->DisableEditTextCatchDragItem();
  f->TraceDragCursorIn(nullptr, At(2));
  EXPECT_EQ(f->IsDragInside(), 0);
  EXPECT_EQ(f->CatchDragItems(At(2), nullptr, nullptr), paramErr);
}

}  // namespace
}  // namespace edit_test
