// The text of a field across its lines: reading stretches of it, deleting them, stepping over
// line breaks by a byte count, widths that follow the text, settings kept as a record, the
// client's callbacks, and what activation does to the keyboard and the Tab ring.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "Script.h"
#include "TestTextServices.h"

namespace edit_test {
namespace {

class TextAndLinesTest : public EditTextFixture {};

void Modified(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(type));
}

TEST_F(TextAndLinesTest, AStyledStretchFromInsideATwoByteCharacterTakesItWhole) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  const std::string k1 = "\x88\x9F", k2 = "\x88\xA0";
  f->SetupText(("a" + k1 + k2 + "b").c_str(), 0);
  cTextLineObject* line = f->GetFirstLinePtr();
  const struct {
    SInt32 from, to;
    std::string text;
  } cases[] = {
      {2, 4, k1 + k2},        // both ends inside a character
      {2, 6, k1 + k2 + "b"},  // the start inside
      {0, 4, "a" + k1 + k2},  // the end inside
      {1, 3, k1},             // whole characters as given
  };
  for (const auto& c : cases) {
    cSp_RunSet set;
    EXPECT_EQ(f->GetTargetString(set, line, c.from, line, c.to, 1), SInt32(c.text.size()))
        << c.from << ".." << c.to;
    char buffer[16] = {};
    unsigned char cut = 0;
    set.GetString(buffer, sizeof buffer, cut);
    EXPECT_EQ(std::string(buffer), c.text) << c.from << ".." << c.to;
  }
}

TEST_F(TextAndLinesTest, APointOnOrPastAnEdgeOfTheViewIsOutsideOnThatSide) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abc\rdef", 0);
  Rect v;
  ASSERT_TRUE(f->GetViewableDrawingAreaOnWindow(v));
  const short midH = short((v.left + v.right) / 2), midV = short((v.top + v.bottom) / 2);
  const struct {
    Point where;
    bool outside;
    tETO_AreaOutType sides;  // 1 left, 2 above, 4 right, 8 below
  } cases[] = {
      {{midV, v.left}, false, 0},          {{midV, short(v.right - 1)}, false, 0},
      {{v.top, midH}, false, 0},           {{short(v.bottom - 1), midH}, false, 0},
      {{midV, short(v.left - 1)}, true, 1}, {{midV, v.right}, true, 4},
      {{short(v.top - 1), midH}, true, 2},  {{v.bottom, midH}, true, 8},
      {{v.bottom, v.right}, true, 4 | 8},
  };
  for (const auto& c : cases) {
    SInt32 lineNumber = 0, byte = 0;
    unsigned char charFlag = 0, outsideArea = 9, outsideText = 0;
    tETO_AreaOutType areaOut = 99, lineOut = 0, charOut = 0;
    EXPECT_EQ(f->PixPositToCharBytePosit(c.where, 1, 1, 1, lineNumber, byte, charFlag,
                                         outsideArea, outsideText, areaOut, lineOut, charOut),
              1);
    EXPECT_EQ(outsideArea != 0, c.outside) << c.where.v << "," << c.where.h;
    EXPECT_EQ(areaOut, c.sides) << c.where.v << "," << c.where.h;
  }
}

TEST_F(TextAndLinesTest, StretchesReadTheSameInEitherOrderAndSearchesGoOnToLaterLines) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abc\rdef\rghi", 0);
  cTextLineObject* first = f->GetFirstLinePtr();
  cTextLineObject* last = f->GetLastLinePtr();
  sSO_StringObjectBase* s = SpSO_NewStringObject();
  EXPECT_EQ(f->GetTargetString(s, last, 1, first, 2, 1), 7);
  char buffer[16] = {};
  unsigned char cut = 0;
  SpSO_GetString(s, buffer, sizeof buffer, cut);
  EXPECT_STREQ(buffer, "c\rdef\rg");
  EXPECT_EQ(f->GetTargetString(s, first, 2, first, 2, 1), 0);
  SpSO_DisposeStringObject(s);
  cTextLineObject* found = nullptr;
  SInt32 at = -1;
  EXPECT_EQ(f->SerchTargetCharactor('h', first, 1, &found, &at), 1);
  EXPECT_EQ(found, last);
  EXPECT_EQ(at, 1);
  EXPECT_EQ(f->SerchTargetCharactor('z', nullptr, 0, &found, &at), 0);
  EXPECT_EQ(found, last);
  EXPECT_EQ(f->EqualText("abc\rdef\rghi", 1), 1);
  EXPECT_EQ(f->EqualText("abc\rdeF\rghi", 1), 0);
  f->GetTargetLineText(2, 1, buffer, 3, cut);
  EXPECT_EQ(cut, 1);
}

TEST_F(TextAndLinesTest, DeletingAStretchTakesTheSameTextInEitherOrderAndTellsTheClientOnce) {
  struct Case {
    const char* why;
    SInt32 fromLine, fromByte, toLine, toByte;
    std::vector<std::string> lines;
  } cases[] = {
      {"inside one line", 2, 1, 2, 3, {"abc\r", "d\r", "ghi"}},
      {"ends given backwards", 2, 3, 2, 1, {"abc\r", "d\r", "ghi"}},
      {"from a line's start to a later line's end", 1, 0, 2, 3, {"\r", "ghi"}},
      {"across three lines", 1, 2, 3, 1, {"abhi"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    Log().clear();
    cEditTextObject* f = Field(R(10, 10, 100, 200));
    f->SetupText("abc\rdef\rghi", 0);
    f->SetupModifyTextCB(Modified, 0);
    f->DeleteTargetArea(f->GetLinePtr(c.fromLine), c.fromByte, f->GetLinePtr(c.toLine), c.toByte,
                        0, 0, 0, 1, 1);
    EXPECT_EQ(Lines(f), c.lines);
    EXPECT_EQ(Log(), std::vector<std::string>{"modify 1"});
  }
  Log().clear();
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abc", 0);
  f->SetupModifyTextCB(Modified, 0);
  f->SetupCaretPosition(SInt32(1), 0);
  EXPECT_EQ(f->DeleteCurrentSelection(0, 0, 0, 0, 1, 1), 0);
  f->DeleteTargetArea(f->GetFirstLinePtr(), 2, f->GetFirstLinePtr(), 2, 0, 0, 0, 1, 1);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Text(f), "abc");
}

TEST_F(TextAndLinesTest, AByteCountForwardCountsACountedLineBreakAsOneByte) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("ab\rcde", 0);
  cTextLineObject* first = f->GetFirstLinePtr();
  struct Case {
    const char* why;
    SInt32 byte, count;
    unsigned char nextLine, withBreak;
    SInt32 line, at;
  } cases[] = {
      {"inside the line", 0, 1, 0, 1, 1, 1},
      {"the break is a byte of its own", 1, 3, 0, 1, 2, 1},
      {"uncounted, the next line starts where the first ends", 1, 3, 0, 0, 2, 2},
      {"exactly at the end, with the next-line flag", 1, 1, 1, 1, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cTextLineObject* line = nullptr;
    SInt32 at = -1;
    ASSERT_EQ(f->GetOffsetBytePosition(first, c.byte, 1, c.count, c.nextLine, c.withBreak, line,
                                       at),
              1);
    EXPECT_EQ(line->GetReferenceNo(), c.line);
    EXPECT_EQ(at, c.at);
  }
  cTextLineObject* line = nullptr;
  SInt32 at = 0;
  EXPECT_EQ(f->GetOffsetBytePosition(first, 0, 1, 20, 0, 1, line, at), 0);
}

TEST_F(TextAndLinesTest, AVariableWidthFollowsTheWidestLineWithinItsLimitsAndTheInitialWidth) {
  struct Case {
    const char* why;
    SInt16 min, max;
    const char* text;
    SInt16 width;
  } cases[] = {
      {"the widest line, offsets included", 30, 0, "abcdefghijklmnopqrstuvwxyz", 159},
      {"wrapped within the maximum: 16 characters and the offsets", 30, 100,
       "abcdefghijklmnopqrstuvwxyz", 99},
      {"never below the initial width", 30, 0, "ab", 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    cEditTextObject* f = Field(R(10, 10, 40, 70));
    f->SetupAutoGrowFlag(1, 1);
    f->SetupLineMinWidth(c.min, 0, 0);
    f->SetupLineMaxWidth(c.max, 0, 0);
    f->SetupText(c.text, 0);
    EXPECT_EQ(f->GetCurrentWidth(), c.width);
    Rect area;
    f->GetImmediateDrawingArea(&area);
    EXPECT_EQ(area.right - area.left, c.width);
  }
  fields_.clear();
  cEditTextObject* fixed = Field(R(10, 10, 40, 70));
  fixed->SetupText("abcdefghijklmnopqrstuvwxyz", 0);
  EXPECT_EQ(fixed->FitWidthForAutoLineChange(0), 0);
  EXPECT_EQ(fixed->GetCurrentWidth(), 60);
}

TEST_F(TextAndLinesTest, TheSettingsRecordCarriesThePositionsAndHoldsThemToTheText) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abcdef", 0);
  f->SetupSelectionPosition(1, 0, 4, 0, 0, 0);
  sEditTextInfo info;
  f->GetEditObjectInfo(info);
  EXPECT_EQ(info.selectionMode, 1);
  EXPECT_EQ(info.selectionStart, 1);
  EXPECT_EQ(info.selectionEnd, 4);
  EXPECT_EQ(info.leftOffset, 1);
  cEditTextObject* g = Field(R(110, 10, 200, 200));
  g->SetupText("abc", 0);
  info.selectionEnd = 400;
  info.topOffset = 6;
  g->SetEditObjectInfo(info, 0);
  SInt32 start = 0, end = 0;
  unsigned char sf = 0, ef = 0;
  ASSERT_EQ(g->GetSelectionPosition(start, sf, end, ef), 1);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 3);
  EXPECT_EQ(g->GetEditorTopOffset(), 6);
}

void Grown(cEditTextObject*, Rect*, Rect* newArea, unsigned long refCon) {
  Log().push_back(std::string(reinterpret_cast<const char*>(refCon)) + " " +
                  std::to_string(newArea->bottom));
}

TEST_F(TextAndLinesTest, ACallbackSetAgainReplacesTheOldAndNoneFiresAfterTheDeleteStep) {
  cEditTextObject* f = Field(R(10, 10, 40, 130));
  f->SetupAutoViewGrowBeforeTextCB(Grown, reinterpret_cast<unsigned long>("old"));
  f->SetupAutoViewGrowBeforeTextCB(Grown, reinterpret_cast<unsigned long>("before"));
  f->SetupAutoViewGrowAfterTextCB(Grown, reinterpret_cast<unsigned long>("after"));
  f->SetupModifyTextCB(Modified, 0);
  f->SetupText("a\rb\rc", 0);
  f->SetupCaretPosition(SInt32(5), 0);
  unsigned char changed = 0;
  f->ShowTargetPosition(f->GetLastLinePtr(), 0, changed, 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"before 57", "after 57"}));
  Log().clear();
  f->SetupModifyTextCB(nullptr, 0);
  EXPECT_EQ(f->ExecModifyTextCB(kETO_TextInserted), 0);
  f->SetupModifyTextCB(Modified, 0);
  f->ExecEditTextObjDeleteReady(0);
  EXPECT_EQ(f->ExecModifyTextCB(kETO_TextInserted), 0);
  Rect a{}, b{};
  EXPECT_EQ(f->ExecAutoViewGrowAfterTextCB(a, b), 0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(TextAndLinesTest, ARomanOnlyFieldHoldsTheInputMethodOffWhileItHasTheKeyboard) {
  SpTextServiceInitialize();
  cEditTextObject* roman = Field(R(10, 10, 40, 130));
  cEditTextObject* plain = Field(R(50, 10, 80, 130));
  roman->SetupOnlyAlfaFlag(1);
  roman->ActivateEditText(1, 0);
  EXPECT_FALSE(sp_testing::InputMethodTextInputOn());
  EXPECT_FALSE(roman->CheckTextActiveInputTarget());
  plain->ActivateEditText(1, 0);
  EXPECT_TRUE(sp_testing::InputMethodTextInputOn());
  EXPECT_TRUE(plain->CheckTextActiveInputTarget());
}

TEST_F(TextAndLinesTest, AFieldLosingTheKeyboardLeavesTheRingWithTheFieldThatTookIt) {
  cEditTextObject* a = Field(R(10, 10, 40, 130));
  cEditTextObject* b = Field(R(50, 10, 80, 130));
  cEditTextObject* c = Field(R(90, 10, 120, 130));
  for (cEditTextObject* f : {a, b, c}) f->EnableEditTabControlMove();
  a->ActivateEditText(1, 0);
  b->ActivateEditText(1, 0);
  a->DeActiveEditText(0);  // already without the keyboard
  Keys("\t");
  EXPECT_TRUE(c->IsActiveEditText());
}

}  // namespace
}  // namespace edit_test
