// Inline input in a field: updates put the unconfirmed text into the field's own text over
// a selection, a full confirm is one typing undo step, clauses redraw only where they changed,
// hostile ranges are held to the area, and the input method's position questions (hit tests,
// offset to point, the style there) are answered.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "EditTextTestSupport.h"
#include "SpETOOperationRec.h"
#include "TestTextServices.h"
#include "display/internal/XimCallbacks.h"

namespace edit_test {
namespace {

void Modified(cEditTextObject*, tETO_ModifyType type, unsigned long) {
  Log().push_back("modify " + std::to_string(int(type)));
}

TextRange TR(SInt32 start, SInt32 end, SInt16 style = 0) {
  return TextRange{start, end, style};
}

class InlineInputTest : public EditTextFixture {
 protected:
  // An active field at (10, 10): one-byte characters 6 pixels wide after a left offset of 1,
  // lines 14 high after a top offset of 2.
  cEditTextObject* Active(const char* text) {
    cEditTextObject* f = Field(R(10, 10, 100, 200));
    f->SetupText(text, 0);
    f->ActivateEditText(1, 0);
    f->GetUndoManager()->SetupStockRecTermNumMax(10);
    f->SetupModifyTextCB(Modified, 0);
    Log().clear();
    return f;
  }
  // One update: the whole unconfirmed text, how much of it is confirmed, the old and new
  // ranges and the hilite ranges.
  static void Update(cEditTextObject* f, const std::string& text, SInt32 fixed, TextRange old,
                     TextRange now, const std::vector<TextRange>& hilites) {
    cTSO_UpdateData data;
    if (!text.empty()) data.SetupEditString(text.c_str(), SInt32(text.size()));
    data.SetupFixStrigLength(fixed);
    data.SetupUpdateOldPoist(old);
    data.SetupUpdateNewPosit(now);
    for (const TextRange& h : hilites) data.AddHiliteRange(h);
    f->UpdateActiveInputArea(&data);
  }
  static std::vector<SInt32> Clauses(const cEditTextObject* f) {
    std::vector<SInt32> out;
    for (cETOAreaInfo* c = f->GetActiveInputAreaClauseList(); c != nullptr;
         c = c->GetNextObjectPtr()) {
      cTextLineObject *l1 = nullptr, *l2 = nullptr;
      SInt32 b1 = 0, b2 = 0;
      c->GetStartPoint(l1, b1);
      c->GetEndPoint(l2, b2);
      out.insert(out.end(), {c->GetAreaType(), b1, b2});
    }
    return out;
  }
  // The dark pixels of a row of the window between two columns, as '#' and '.'.
  std::string DarkRow(short v, short from, short to) const {
    std::string out;
    for (short h = from; h <= to; ++h) {
      const UInt32 c = Px(h, v);
      const bool dark =
          ((c >> 16) & 0xFF) < 0x40 && ((c >> 8) & 0xFF) < 0x40 && (c & 0xFF) < 0x40;
      out += dark ? '#' : '.';
    }
    return out;
  }
  static Point At(SInt32 byte, SInt32 line = 1) {
    return Pt(short(10 + 1 + 6 * byte + 1), short(10 + 2 + 14 * (line - 1) + 7));
  }
};

TEST_F(InlineInputTest, InputOverASelectionReplacesItAndAFullConfirmIsOneUndoStep) {
  cEditTextObject* f = Active("abcdef");
  f->SetupSelectionPosition(1, 0, 3, 0, 0, 0);
  Update(f, "ka", 0, TR(0, 0), TR(0, 2), {TR(0, 2, 2), TR(2, 2, 1)});
  EXPECT_EQ(Text(f), "akadef");
  EXPECT_EQ(f->IsTextInputInProgress(), 1);
  EXPECT_EQ(f->GetActiveInputAreaLength(), 2);
  EXPECT_EQ(Clauses(f), (std::vector<SInt32>{1, 1, 3}));
  EXPECT_EQ(Caret(f), (std::pair<SInt32, SInt32>{1, 3}));
  EXPECT_EQ(Log(), std::vector<std::string>{"modify 2"});
  // Converted: the raw text is replaced, the clause is selected converted text.
  Update(f, kKanji, 0, TR(0, 2), TR(0, 2), {TR(0, 2, 5)});
  EXPECT_EQ(Text(f), std::string("a") + kKanji + "def");
  EXPECT_EQ(Clauses(f), (std::vector<SInt32>{4, 1, 3}));
  // Confirmed whole.
  Update(f, kKanji, 2, TR(0, 0), TR(0, 0), {});
  EXPECT_EQ(f->IsTextInputInProgress(), 0);
  EXPECT_TRUE(Clauses(f).empty());
  EXPECT_EQ(f->GetUndoManager()->GetOperationTermCount(), 1);
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "abcdef");  // the replaced selection comes back too
}

TEST_F(InlineInputTest, AnUpdateThatInsertsNothingOverASelectionStillDeletesItAndTellsTheClient) {
  cEditTextObject* f = Active("abcdef");
  f->SetupSelectionPosition(1, 0, 3, 0, 0, 0);
  Update(f, "", 0, TR(0, 0), TR(0, 0), {});
  EXPECT_EQ(Text(f), "adef");
  EXPECT_EQ(Log(), std::vector<std::string>{"modify 2"});
}

TEST_F(InlineInputTest, OnlyClausesThatChangedAreMarkedForRedraw) {
  cEditTextObject* f = Active("");
  f->SetupCaretPosition(0, 0);
  Update(f, "abcd", 0, TR(0, 0), TR(0, 4), {TR(0, 2, 4), TR(2, 4, 5)});
  ASSERT_EQ(Clauses(f), (std::vector<SInt32>{3, 0, 2, 4, 2, 4}));
  struct Case {
    const char* why;
    std::vector<std::pair<SInt32, std::pair<SInt32, SInt32>>> clauses;  // type, start, end
    unsigned char marks;
  };
  const Case cases[] = {
      {"the same clauses", {{3, {0, 2}}, {4, {2, 4}}}, 0},
      {"the selection moved to the first clause", {{4, {0, 2}}, {3, {2, 4}}}, 1},
      {"a boundary moved", {{3, {0, 1}}, {4, {1, 4}}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    cETOAreaInfo* head = nullptr;
    cETOAreaInfo* tail = nullptr;
    cTextLineObject* line = f->GetFirstLinePtr();
    for (const auto& k : c.clauses) {
      cETOAreaInfo* clause = new (std::nothrow) cETOAreaInfo(k.first);
      clause->SetupStartPoint(line, k.second.first);
      clause->SetupEndPoint(line, k.second.second);
      SpAppendToList(head, tail, clause);
    }
    EXPECT_EQ(f->SetupDrawingAreaOnActionInputAreaCancelAndNewClauseItem(head), c.marks);
    SpDeleteList(head);
  }
}

TEST_F(InlineInputTest, RangesPastTheAreaOrTheTextAreHeldToThemAndNothingBreaks) {
  cEditTextObject* f = Active("xy");
  f->SetupCaretPosition(1, 0);
  Update(f, "ab", 0, TR(0, 0), TR(0, 2), {});
  ASSERT_EQ(Text(f), "xaby");
  // Removing past the area's end, a new range past the text, hilites far out, a confirmed
  // length past everything.
  Update(f, "c", 0, TR(-5, 90), TR(0, 40), {TR(-3, 77, 2), TR(9, 1, 1)});
  EXPECT_EQ(Text(f), "xcy");
  EXPECT_EQ(f->GetActiveInputAreaLength(), 1);
  EXPECT_EQ(Clauses(f), (std::vector<SInt32>{1, 1, 2}));
  Update(f, "c", 1000, TR(0, 0), TR(0, 0), {});
  EXPECT_EQ(Text(f), "xcy");
  EXPECT_EQ(f->IsTextInputInProgress(), 0);
  EXPECT_EQ(f->GetActiveInputAreaLength(), 0);
  // Ranges that end inside a two-byte character take the whole character.
  cEditTextObject* g = Active("");
  g->SetupCaretPosition(0, 0);
  Update(g, std::string(kKanji) + kA, 0, TR(0, 0), TR(1, 3), {});
  EXPECT_EQ(Text(g), std::string(kKanji) + kA);
  Update(g, "", 0, TR(1, 3), TR(0, 0), {});
  EXPECT_EQ(Text(g), "");
}

TEST_F(InlineInputTest, HitTestsAndOffsetsToPointsFollowTheArea) {
  cEditTextObject* f = Active("abcdefghij");
  f->SetupCaretPosition(5, 0);
  // The input starts in the first line and, with its line break, ends in the second.
  Update(f, "ABCD\rEFGH", 0, TR(0, 0), TR(0, 9), {TR(0, 9, 2)});
  ASSERT_EQ(Lines(f), (std::vector<std::string>{"abcdeABCD\r", "EFGHfghij"}));
  struct Case {
    const char* why;
    Point point;
    SInt16 part;
  };
  const Case cases[] = {
      {"before the area's start on its first line", At(3), 2},
      {"in the area on the first line", At(7), 3},
      {"on the second line inside the area", At(2, 2), 3},
      {"on the second line after the area", At(6, 2), 2},
      {"outside the field", Pt(300, 300), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(f->PositionToPartsTypeNo(c.point), c.part);
  }
  SInt32 offset = 0;
  ASSERT_EQ(f->PositionToByteChar(At(2, 2), 3, offset), 1);
  EXPECT_EQ(offset, 7);
  EXPECT_EQ(f->PositionToByteChar(At(3), 3, offset), 0);
  // Offset to point: the bottom of the byte's line at its pixel.
  Point p{0, 0};
  ASSERT_EQ(f->ByteCharToPositon(2, p), 1);
  EXPECT_EQ(p.h, At(7).h - 1);
  EXPECT_EQ(p.v, 10 + 2 + 14);
  ASSERT_EQ(f->ByteCharToPositon(6, p), 1);
  EXPECT_EQ(p.h, At(1).h - 1);
  EXPECT_EQ(p.v, 10 + 2 + 28);
  // The style questions are refused while a non-empty area is open.
  SInt16 font = 0;
  EXPECT_EQ(f->GetPositionFont(0, font), 0);
  f->EmergencyFixAllString();
  EXPECT_EQ(f->IsTextInputInProgress(), 0);
  EXPECT_EQ(f->GetPositionFont(0, font), 1);
  SInt16 height = 0;
  EXPECT_EQ(f->GetPositionLineHeight(0, height), 1);
  EXPECT_EQ(height, 14);
}

TEST_F(InlineInputTest, TheAreasFirstAndLastPositionsAreInsideItAndTheirNeighboursAreNot) {
  struct Case {
    Point point;
    SInt16 part;
    SInt32 offset;  // in the area, when inside
  };
  const struct {
    const char* input;
    std::vector<Case> cases;
  } areas[] = {
      // On one line: "abcde" then the area "ABC" (bytes 5 to 8), then "fghij".
      {"ABC", {{At(4), 2, 0}, {At(5), 3, 0}, {At(8), 3, 3}, {At(9), 2, 0}}},
      // Over two lines: "abcdeABCD\r" then "EFGH" (area bytes 0 to 4 of the second line).
      {"ABCD\rEFGH",
       {{At(4), 2, 0}, {At(5), 3, 0}, {At(0, 2), 3, 5}, {At(4, 2), 3, 9}, {At(5, 2), 2, 0}}},
  };
  for (const auto& area : areas) {
    fields_.clear();
    cEditTextObject* f = Active("abcdefghij");
    f->SetupCaretPosition(5, 0);
    const SInt32 length = SInt32(std::string(area.input).size());
    Update(f, area.input, 0, TR(0, 0), TR(0, length), {TR(0, length, 2)});
    for (const Case& c : area.cases) {
      SCOPED_TRACE(std::string(area.input) + " at " + std::to_string(c.point.h) + "," +
                   std::to_string(c.point.v));
      EXPECT_EQ(f->PositionToPartsTypeNo(c.point), c.part);
      SInt32 offset = -1;
      EXPECT_EQ(f->PositionToByteChar(c.point, 3, offset), c.part == 3 ? 1 : 0);
      if (c.part == 3) {
        EXPECT_EQ(offset, c.offset);
      }
    }
  }
}

TEST_F(InlineInputTest, TheInputMethodsPreeditShowsInlineAndItsCommitIsTyping) {
  SpTextServiceInitialize();
  cEditTextObject* f = Active("ab");
  f->SetupCaretPosition(1, 1, 0);
  f->EnableInlineInput(1);
  sp_testing::PostPreedit("\xE3\x81\x8B\xE3\x81\xAA", 2, 0, 2);  // "kana"
  sp_testing::PumpPending();
  EXPECT_EQ(Text(f), std::string("a\x82\xA9\x82\xC8") + "b");
  EXPECT_EQ(f->IsTextInputInProgress(), 1);
  // The candidate window goes to the caret of the preedit.
  Rect caret;
  ASSERT_TRUE(sp_testing::InputMethodCaretRect(&caret));
  EXPECT_EQ(caret.left, 100 + At(5).h - 1);
  sp_testing::PostCommit("\xE3\x81\x8B\xE3\x81\xAA");
  sp_testing::PumpPending();
  EXPECT_EQ(Text(f), std::string("a\x82\xA9\x82\xC8") + "b");
  EXPECT_EQ(f->IsTextInputInProgress(), 0);
  ASSERT_EQ(f->ExecUnDoOneOperation(0), 1);
  EXPECT_EQ(Text(f), "ab");
}

TEST_F(InlineInputTest, TwoClausesOfAnXimPreeditShowTwoMarks) {
  SpTextServiceInitialize();
  cEditTextObject* f = Active("ab");
  f->SetupCaretPosition(1, 1, 0);
  f->EnableInlineInput(1);
  sp_platform::display::XimPreeditDoneForTests();
  // Four characters the server has converted as two clauses, as its preedit callbacks draw
  // them: the first selected (reverse), the second converted (underline). Spaces, so that
  // only the marks are dark.
  const std::string text = "    ";
  sp_platform::display::XimPreeditDrawForTests(4, 0, 0, &text, {1, 1, 2, 2});
  sp_testing::PumpPending();
  EXPECT_EQ(Text(f), "a" + text + "b");
  EXPECT_EQ(Clauses(f), (std::vector<SInt32>{4, 1, 3, 3, 3, 5}));
  Redraw();
  // The rows under the preedit (short of the caret after it) that have dark pixels.
  std::vector<std::string> rows;
  for (short v = At(1).v - 7; v < At(1).v + 7; ++v) {
    const std::string row = DarkRow(v, short(At(1).h - 1), short(At(5).h - 2));
    if (row.find('#') != std::string::npos) rows.push_back(row);
  }
  ASSERT_EQ(rows.size(), 2u);
  // Two marks side by side with a gap between, the selected clause's the thicker.
  const auto runs = [](const std::string& row) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (row[i] != '#') continue;
      if (out.empty() || out.back().second != i) out.emplace_back(i, i);
      out.back().second = i + 1;
    }
    return out;
  };
  const auto bottom = runs(rows[1]);
  ASSERT_EQ(bottom.size(), 2u) << rows[1];
  EXPECT_GE(bottom[0].second - bottom[0].first, 10u);
  EXPECT_GE(bottom[1].second - bottom[1].first, 10u);
  EXPECT_EQ(runs(rows[0]), (std::vector<std::pair<std::size_t, std::size_t>>{bottom[0]}))
      << rows[0];
  // The server moves the selection to the second clause: the marks change places.
  sp_platform::display::XimPreeditDrawForTests(4, 0, 0, nullptr, {2, 2, 1, 1});
  sp_testing::PumpPending();
  EXPECT_EQ(Clauses(f), (std::vector<SInt32>{3, 1, 3, 4, 3, 5}));
  sp_platform::display::XimPreeditDoneForTests();
  sp_testing::PumpPending();
  EXPECT_EQ(Text(f), "ab");
}

}  // namespace
}  // namespace edit_test
