// The edit-text object: a new field, setting the text with a selection, text positions across
// wrapped and broken lines, growing and scrolling to show a position, resizing, hiding, and
// how the selection is drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "Scrap.h"
#include "SpViewClass.h"

namespace edit_test {
namespace {

class EditTextObjectTest : public EditTextFixture {};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST_F(EditTextObjectTest, ANewFieldHoldsOneEmptyLineWithTheCaretAtItsStart) {
  cEditTextObject* f = Field(R(10, 10, 40, 130));
  EXPECT_EQ(f->GetNumOfLine(), 1);
  EXPECT_EQ(f->GetTextCharByte(1, 1), 0);
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(1), SInt32(0)));
  EXPECT_EQ(f->GetCaretSetupFlag(), 1);
  EXPECT_EQ(f->GetCurrentWidth(), 120);
  EXPECT_EQ(f->GetLineHeight(0, 1, 1), 12);
  f->SetupOnlyNumberFlag(1, 0);
  EXPECT_EQ(f->GetOnlyAlfaFlag(), 1);
  f->SetupOnlyNumberFlag(0, 0);
  EXPECT_EQ(f->GetOnlyAlfaFlag(), 1);
  // A drop target for text over its own rectangle, hilited there.
  EXPECT_EQ(f->IsEnableFlavorType(kScrapFlavorTypeText), 1);
  EXPECT_EQ(f->IsEnableFlavorType(kScrapFlavorTypeTextStyle), 1);
  EXPECT_EQ(f->IsEnableFlavorType(SpFourCC("hfs ")), 0);
  EXPECT_EQ(f->GetHiliteType(), kDDO_HiliteTargetArea);
  EXPECT_EQ(f->GetWindowHiliteFlag(), 1);
  Rect target;
  f->GetDropTargetArea(target);
  EXPECT_EQ(target.left, 10);
  EXPECT_EQ(target.right, 130);
}

TEST_F(EditTextObjectTest, SettingTheTextKeepsASelectedRangeHeldToTheNewLength) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abcdefghij", 0);
  f->SetupSelectionPosition(2, 0, 8, 0, 0, 0);
  f->SetupText("abcd", 0);
  SInt32 start = 0, end = 0;
  unsigned char startFlag = 0, endFlag = 0;
  ASSERT_EQ(f->GetSelectionPosition(start, startFlag, end, endFlag), 1);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 4);
  f->SetupText("", 0);
  EXPECT_EQ(f->GetNumOfLine(), 1);
  EXPECT_EQ(f->ExistSelectionText(), 0);
  EXPECT_EQ(Text(f), "");
}

void Modified(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(type));
}

TEST_F(EditTextObjectTest, AddingTextAppendsToTheLastLineAndAddingNothingChangesNothing) {
  cEditTextObject* f = Field(R(10, 10, 100, 130));
  f->SetupText("first\rsecond", 0);
  f->SetupModifyTextCB(Modified, 0);
  f->AddText("", 0);
  EXPECT_EQ(Lines(f), (std::vector<std::string>{"first\r", "second"}));
  f->AddText("!", 0);
  EXPECT_EQ(Lines(f), (std::vector<std::string>{"first\r", "second!"}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(EditTextObjectTest, AbsolutePositionsMapToLinesAndTheLineStartFlagSplitsAWrap) {
  // 120 wide, offsets 1 and 2: 19 one-byte characters to a line.
  cEditTextObject* f = Field(R(10, 10, 100, 130));
  f->SetupText((Repeat("a", 25) + "\rbc").c_str(), 0);
  const std::vector<std::string> lines = Lines(f);
  ASSERT_EQ(lines.size(), 3u);
  const SInt32 wrap = SInt32(lines[0].size());
  struct Case {
    const char* why;
    SInt32 abs;
    unsigned char lineStart, clamp;
    bool found;
    SInt32 line, byte;
    unsigned char clamped;
  } cases[] = {
      {"inside the first line", 3, 0, 0, true, 1, 3, 0},
      {"a wrap's end without the flag is the upper line's end", wrap, 0, 0, true, 1, wrap, 0},
      {"a wrap's end with the flag is the lower line's start", wrap, 1, 0, true, 2, 0, 0},
      {"after a line break is the next line's start", 26, 0, 0, true, 3, 0, 0},
      {"the text's length is the last line's end", 28, 0, 0, true, 3, 2, 0},
      {"one more fails", 29, 0, 0, false, 0, 0, 0},
      {"one more held to the end", 29, 0, 1, true, 3, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cTextLineObject* line = nullptr;
    SInt32 byte = -1;
    unsigned char clamped = 9;
    const unsigned char found =
        f->AbsoluteCharByteToLineByte(c.abs, c.lineStart, c.clamp, 1, line, byte, clamped);
    ASSERT_EQ(found != 0, c.found);
    if (!c.found) continue;
    EXPECT_EQ(line->GetReferenceNo(), c.line);
    EXPECT_EQ(byte, c.byte);
    EXPECT_EQ(clamped, c.clamped);
    SInt32 back = -1;
    ASSERT_EQ(f->LineByteToAbsoluteCharBytePosition(line, byte, 1, back), 1);
    EXPECT_EQ(back, std::min<SInt32>(c.abs, 28));
  }
}

TEST_F(EditTextObjectTest, ACaretAtAWrappedLinesStartStaysThereAcrossAResizeThatKeepsTheWrap) {
  cEditTextObject* f = Field(R(10, 10, 100, 130));
  f->SetupText((Repeat("a", 25)).c_str(), 0);
  f->SetupCaretPosition(2, 0, 0);
  f->ResizeEditTextViewImmediate(R(10, 10, 120, 131), 1, 0, 0);
  EXPECT_EQ(f->GetNumOfLine(), 2);
  EXPECT_EQ(Caret(f), std::make_pair(SInt32(2), SInt32(0)));
  EXPECT_EQ(f->GetCurrentWidth(), 121);
}

TEST_F(EditTextObjectTest, ShowingAPositionGrowsOnlyWithAutoGrowAndNeverWhileScrollingUp) {
  struct Case {
    const char* why;
    unsigned char grow, scroll;
    short scrollFrom;
    SInt32 targetLine;
    short height, scrolled;
  } cases[] = {
      {"auto grow takes in a line below and the bottom offset", 1, 1, 0, 4, 61, 0},
      {"auto scroll alone scrolls to it", 0, 1, 0, 4, 40, 21},
      {"neither leaves the view", 0, 0, 0, 4, 40, 0},
      {"scrolling up to a line taller than the view does not grow it", 1, 1, 5, 1, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = Field(R(10, 10, short(10 + (c.scrollFrom != 0 ? 10 : 40)), 130));
    f->SetupText("a\rb\rc\rd", 0);
    f->SetupAutoGrowFlag(c.grow, 0);
    f->SetupAutoScrollFlag(c.scroll);
    short h = 0, v = c.scrollFrom;
    f->SetScrollValue(h, v, 1, 0, 0, 0);
    unsigned char changed = 0;
    f->ShowTargetPosition(f->GetLinePtr(c.targetLine), 0, changed, 0);
    Rect area;
    f->GetImmediateDrawingArea(&area);
    EXPECT_EQ(area.bottom - area.top, c.height);
    f->GetScrollValue(h, v);
    EXPECT_EQ(v, c.scrolled);
  }
}

TEST_F(EditTextObjectTest, AFieldScrolledOutOfItsContainerTakesNoClicksOrInlineInput) {
  cSp_View container(window_, R(10, 10, 110, 210), 0, 0, nullptr, 0);
  container.SetupViewScrollArea(200, 400, 0, 0);
  container.EnableViewScroll(kSpVerticalScrollBar);
  fields_.emplace_back(
      new (std::nothrow) cEditTextObject(window_, R(10, 10, 40, 190), 12, 1, 1, 1, &container, 0));
  cEditTextObject* f = fields_.back().get();
  f->EnableTextInput();
  EXPECT_EQ(f->GetAreaVisibleFlag(), 1);
  EXPECT_EQ(f->IsHotSpotEnable(), 1);
  short dh = 0, dv = 200;
  container.ScrollView(dh, dv, 1, 0, 0, 1);
  EXPECT_EQ(f->GetAreaVisibleFlag(), 0);
  EXPECT_EQ(f->IsHotSpotEnable(), 0);
  EXPECT_EQ(f->IsTextServiceEnable(), 0);
  EXPECT_EQ(f->IsEnableCacheDragItem(), 0);
  dv = -200;
  container.ScrollView(dh, dv, 1, 0, 0, 1);
  EXPECT_EQ(f->IsHotSpotEnable(), 1);
  EXPECT_EQ(f->IsTextServiceEnable(), 1);
  EXPECT_EQ(f->IsEnableCacheDragItem(), 1);
  fields_.clear();
  container.ExecViewObjDeleteReady();
}

TEST_F(EditTextObjectTest, CuttingTheUnderViewImageFollowsItsFlag) {
  cEditTextObject* f = Field(R(10, 10, 40, 130));
  RgnHandle target = NewRgn(), work = NewRgn();
  const Rect all = R(0, 0, 300, 300);
  RectRgn(target, &all);
  f->SetupUnderViewImage(0);
  f->CutUnderViewImage(target, work);
  Rect box;
  GetRegionBounds(target, &box);
  EXPECT_EQ(box.bottom, 300);
  EXPECT_TRUE(RectInRgn(&all, target));
  const Rect inside = R(20, 20, 30, 100);
  f->SetupUnderViewImage(1);
  f->CutUnderViewImage(target, work);
  EXPECT_FALSE(RectInRgn(&inside, target));
  DisposeRgn(target);
  DisposeRgn(work);
}

TEST_F(EditTextObjectTest, TheSelectionIsPaintedWhileActiveAndOutlinedInsetWhenNot) {
  cEditTextObject* f = Field(R(10, 10, 60, 200));
  f->SetupText("ab   cd", 0);
  f->SetupSelectionPosition(2, 0, 5, 0, 0, 0);
  // Three spaces selected: x 13 to 31 on the line from y 2 to 16 of the field.
  const short left = 10 + 1 + 12, right = 10 + 1 + 30, top = 10 + 2, bottom = 10 + 16;
  f->ActivateEditText(1, 1);
  Redraw();
  EXPECT_EQ(Px(left + 8, top + 6), 0xCCCCFFu);
  f->DeActiveEditText(1);
  f->SetupModifyDrawingRectAndFlag(nullptr, 1);
  Redraw();
  EXPECT_EQ(Px(left + 8, top + 6), 0xFFFFFFu);
  EXPECT_EQ(Px(left, top + 6), 0xCCCCFFu);
  EXPECT_EQ(Px(right - 1, top + 6), 0xCCCCFFu);
  EXPECT_EQ(Px(left + 8, bottom - 1), 0xCCCCFFu);
}

}  // namespace
}  // namespace edit_test
