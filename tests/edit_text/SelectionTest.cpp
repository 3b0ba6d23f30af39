// The selection: where a position lies against a range made either way, its text in text
// order, the callbacks of each change and the highlight regions it marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"

namespace edit_test {
namespace {

void Note(cEditTextObject*, unsigned long refCon) {
  Log().push_back(reinterpret_cast<const char*>(refCon));
}

class SelectionTest : public EditTextFixture {
 protected:
  cEditTextObject* Noted(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 100, 200));
    f->SetupText(text, 0);
    f->SetupSelectInCB(Note, reinterpret_cast<unsigned long>("in"));
    f->SetupSelectOutCB(Note, reinterpret_cast<unsigned long>("out"));
    f->SetupSelectionModifyCB(Note, reinterpret_cast<unsigned long>("modify"));
    f->SetupCaretModifyCB(Note, reinterpret_cast<unsigned long>("caret"));
    return f;
  }
};

TEST_F(SelectionTest, ARangeMadeBackwardsAnswersItsOwnClassesAndGivesItsTextInTextOrder) {
  cEditTextObject* f = Noted("abc\rdefgh");
  cTextLineObject* first = f->GetFirstLinePtr();
  cTextLineObject* second = first->GetNextObjectPtr();
  struct Case {
    const char* why;
    bool backwards;
    SInt32 line, offset;
    tETO_SelectPositType expected;
  } cases[] = {
      {"before a forward range", false, 1, 0, 1},
      {"at its start counts as inside", false, 1, 1, 2},
      {"after it", false, 2, 4, 3},
      {"before a backward range", true, 1, 0, 4},
      {"at its end (its start) counts as inside", true, 2, 3, 5},
      {"after it", true, 2, 5, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    if (c.backwards) {
      f->SetupSelection(second, 3, first, 1, 0, 0);
    } else {
      f->SetupSelection(first, 1, second, 3, 0, 0);
    }
    tETO_SelectPositType at = 0;
    ASSERT_EQ(f->IsInSelectionArea(c.line, c.offset, at), 1);
    EXPECT_EQ(at, c.expected);
    char buffer[16];
    unsigned char overflow = 0;
    f->GetSelectionString(1, buffer, sizeof buffer, overflow);
    EXPECT_STREQ(buffer, "bc\rdef");
    EXPECT_EQ(f->GetSelectionStringSize(1), 6);
    EXPECT_EQ(f->GetSelectionStringSize(0), 5);
  }
  char tiny[4];
  unsigned char overflow = 0;
  EXPECT_EQ(f->GetSelectionString(1, tiny, sizeof tiny, overflow), 3);
  EXPECT_EQ(overflow, 1);
}

TEST_F(SelectionTest, EachChangeOfTheRangeCallsTheOneCallbackThatSaysWhatChanged) {
  cEditTextObject* f = Noted("abcdef");
  cTextLineObject* line = f->GetFirstLinePtr();
  f->SetupCaretPosition(line, 1, 0);
  f->SetupSelectionEndPoint(line, 4, 0, 1);  // a range appears
  f->SetupSelectionEndPoint(line, 5, 0, 1);  // it grows
  f->SetupSelection(line, 5, line, 1, 0, 1);  // the same range turned round: nothing
  f->SetupSelectionStartPoint(line, 1, 0, 1);  // the end back onto the start: a caret
  f->SetupSelectionStartPoint(line, 2, 0, 1);  // a range again
  f->SelectionAll(0, 1);                       // another range
  f->SelectionAll(0, 1);                       // the same range again: no call
  f->SelectionSetupFlagOff(0, 1);
  EXPECT_EQ(Log(), (std::vector<std::string>{"in", "modify", "out", "in", "modify", "out"}));
  Log().clear();
  f->SelectionLineAll(1, 0, 0);
  f->SetupSelectionStartPoint(line, 3, 0, 0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(SelectionTest, TheFirstPointSetWithoutAnySelectionMakesACaret) {
  cEditTextObject* f = Noted("abcdef");
  f->InitializeSelection();
  f->SetupSelectionStartPoint(1, 2, 0, 0);
  EXPECT_EQ(f->GetCaretSetupFlag(), 1);
  f->SetupSelectionEndPoint(1, 5, 0, 0);
  EXPECT_EQ(f->GetSelectionStringSize(1), 3);
  EXPECT_EQ(f->SelectionLineAll(7, 0, 0), 0);
}

TEST_F(SelectionTest, AMultiLineRangeEndingAtALinesStartHighlightsNothingOnThatLine) {
  cEditTextObject* f = Noted("abc\rdef\rghi");
  cTextLineObject* first = f->GetFirstLinePtr();
  cTextLineObject* third = f->GetLastLinePtr();
  RgnHandle area = NewRgn();
  unsigned char caretOnly = 0;
  ASSERT_EQ(f->GetSelectionOffscreenArea(first, 1, third, 0, nullptr, area, caretOnly), 1);
  Rect box;
  GetRegionBounds(area, &box);
  SInt32 top = 0, bottom = 0;
  third->GetLinePosition(top, bottom);
  EXPECT_EQ(box.bottom, top);
  // The first line's part starts at its point; the middle line is whole.
  SInt32 firstTop = 0, firstBottom = 0;
  first->GetLinePosition(firstTop, firstBottom);
  const Rect beforePoint = {SInt16(firstTop), 1, SInt16(firstBottom), 6};
  EXPECT_FALSE(RectInRgn(&beforePoint, area));
  EXPECT_EQ(box.right, f->GetCurrentWidth());
  // The same ends on one line with one offset give an empty region that is only a caret.
  EXPECT_EQ(f->GetSelectionOffscreenArea(first, 2, first, 2, nullptr, area, caretOnly), 0);
  EXPECT_EQ(caretOnly, 1);
  DisposeRgn(area);
}

TEST_F(SelectionTest, APointOnTheHighlightIsInsideItAndOneBesideItIsNot) {
  cEditTextObject* f = Noted("abcdef\rghijkl");
  f->SetupSelectionPosition(2, 0, 10, 0, 0, 0);  // "cdef\rghi"
  // One-byte characters are 6 pixels after the left offset of 1; lines are 14 high from 2.
  EXPECT_EQ(f->PtInSelectedArea(Pt(1 + 12 + 3, 8)), 1);
  EXPECT_EQ(f->PtInSelectedArea(Pt(1 + 6, 8)), 0);
  EXPECT_EQ(f->PtInSelectedArea(Pt(1 + 12, 22)), 1);
  EXPECT_EQ(f->PtInSelectedArea(Pt(1 + 24, 22)), 0);
}

TEST_F(SelectionTest, ANewRangeMarksOnlyTheLinesInOneOfTheOldAndNewBandsForRedraw) {
  cEditTextObject* f = Noted("abc\rdef\rghi\rjkl");
  cTextLineObject* lines[4];
  lines[0] = f->GetFirstLinePtr();
  for (int i = 1; i < 4; ++i) lines[i] = lines[i - 1]->GetNextObjectPtr();
  f->SetupSelection(lines[0], 1, lines[1], 1, 0, 0);
  Redraw();
  f->SetupSelection(lines[1], 2, lines[2], 1, 0, 0);
  RgnHandle pending = NewRgn();
  f->GetViewClippingRgn(pending);
  // The middle of each line's band, lines 14 high from the top offset of 2.
  auto marked = [&](int line) { return PtInRgn(Pt(40, short(2 + 14 * line + 7)), pending) != 0; };
  EXPECT_TRUE(marked(0));
  EXPECT_FALSE(marked(1));
  EXPECT_TRUE(marked(2));
  EXPECT_FALSE(marked(3));
  DisposeRgn(pending);
}

}  // namespace
}  // namespace edit_test
