// Text lines: inserting and deleting across two-byte characters and line starts, heights,
// alignment, tabs, and the mapping between pixels and bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextModelTestSupport.h"

namespace {

using text_test::kA;
using text_test::kKanji;

class TextLine : public text_test::TextModelTest {};

TEST_F(TextLine, InsertingAndDeletingKeepRunsTextAndCountsTogether) {
  const std::string a = kA;
  Wrap("ab" + a + "cd", 400);
  SInt32 bytes = 0, tabs = 0, breaks = 0;
  first_->InsertString("x\ty", 3, attributes_, bytes, tabs, breaks);
  EXPECT_EQ(TextOf(first_), "abx\ty" + a + "cd") << "3 falls inside the kana: it goes before it";
  EXPECT_EQ(bytes, 2);
  EXPECT_EQ(tabs, 1);
  EXPECT_EQ(first_->GetNumOfTextByte(1, 1), 9);
  EXPECT_EQ(first_->GetTabCount(), 1);
  SInt32 start = 0;
  for (cTextStyleRunObject* r = first_->GetStyleRunListHeadPtr(); r != nullptr;
       r = r->GetNextObjectPtr()) {
    EXPECT_EQ(r->GetStartCharBytePosition(), start);
    start += r->ByteLength();
  }
  EXPECT_EQ(start, 9);

  first_->DeleteCharInBetween(1, 6);
  EXPECT_EQ(TextOf(first_), "a" + a + "cd") << "6 falls inside the kana: the range ends before it";
  ErrorLogCapture log;
  first_->DeleteCharInBefore(6);  // of 5
  EXPECT_TRUE(log.Has("cTextLineObject::DeleteCharInBefore", 1)) << "more than the line holds";
  EXPECT_EQ(TextOf(first_), "a" + a + "cd");
  first_->DeleteCharInAfer(3);
  EXPECT_EQ(TextOf(first_), "a" + a);
}

TEST_F(TextLine, BackspaceTakesWholeCharactersAndJoinsLinesAtTheirStart) {
  const std::string k = kKanji;
  Wrap("ab" + k + "\r" + k + "c", 400);
  std::vector<cTextLineObject*> lines = LineObjects();
  ASSERT_EQ(lines.size(), 2u);
  SInt32 deleted = 0;
  unsigned char atStart = 0;
  cSp_RunSet saved;
  EXPECT_EQ(lines[1]->BackSpaceCharacter(2, deleted, atStart, handled_, added_, removed_, &saved,
                                         widthChanged_),
            1);
  EXPECT_EQ(deleted, 2) << "the kanji goes whole";
  EXPECT_EQ(atStart, 1);
  EXPECT_EQ(TextOf(lines[1]), "c");
  EXPECT_EQ(saved.GetStringLen(1, 1), 2) << "the deleted kanji is kept for undo";

  EXPECT_EQ(lines[1]->BackSpaceCharacter(0, deleted, atStart, handled_, added_, removed_, nullptr,
                                         widthChanged_),
            1);
  EXPECT_EQ(deleted, 1) << "the line break of the line before";
  EXPECT_EQ(Lines(), (std::vector<std::string>{"ab" + k + "c"}))
      << "the line before re-wraps and takes this line's text";

  EXPECT_EQ(first_->BackSpaceCharacter(0, deleted, atStart, handled_, added_, removed_, nullptr,
                                       widthChanged_),
            0)
      << "nothing before the first line";
  EXPECT_EQ(first_->BackSpaceCharacter(4, deleted, atStart, handled_, added_, removed_, nullptr,
                                       widthChanged_),
            1);
  EXPECT_EQ(TextOf(first_), "abc");
  saved.ClearRunSet();
}

TEST_F(TextLine, CharacterStepsAndCaseChangesRespectTwoByteText) {
  const std::string a = kA;
  Wrap("Ab" + a + "\r", 400);
  SInt32 q = -1;
  EXPECT_EQ(first_->GetNextCharPosition(2, q), 0);
  EXPECT_EQ(q, 4);
  EXPECT_EQ(first_->GetNextCharPosition(4, q), 1) << "the end of the line, before its break";
  EXPECT_EQ(first_->GetBeforeCharPosition(4, q), 0);
  EXPECT_EQ(q, 2);
  EXPECT_EQ(first_->GetBeforeCharPosition(0, q), 1);
  unsigned char changed = 0;
  first_->ModifyTargetAreaAlphaText(kETO_ToUpperCase, 0, 5, changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(TextOf(first_), "AB" + a + "\r");
  EXPECT_EQ(first_->GetStyleRunListHeadPtr()->ByteLength(), 2) << "the upper-case runs merged";
}

TEST_F(TextLine, HeightFollowsTheTallestFontAndCentresTheText) {
  Wrap("ab", 400);
  EXPECT_EQ(first_->GetLineHeight(1, 1), 12 + 2) << "ascent 9 + descent 3 + 1 above + 1 below";
  EXPECT_EQ(first_->GetBaseline() - first_->GetTextTop(), 9);
  unsigned char changed = 0;
  first_->SetupTargetTextFontOrSize(1, 2, kTextStyleAttSize, 24, changed);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(first_->GetLineHeight(1, 1), 24 + 2);
  EXPECT_EQ(first_->GetStyleRunListHeadPtr()->ByteLength(), 1) << "cut at the range";
  EXPECT_EQ(first_->GetRealLineWidth(0, 0), 6 + 12);
  EXPECT_EQ(first_->SetupHorizontalPositionType(tPositionType(4)), 0);
  EXPECT_EQ(first_->GetHorizontalPositionType(), kSpPositionLeft);
  first_->SetupLineWidth(200);
  EXPECT_EQ(first_->SetupLineMaxWidth(150, 1, changed), 1);
  EXPECT_EQ(first_->GetLineWidth(), 150);
}

TEST_F(TextLine, TabsStopOnTheGridOrAdvanceByTheirWidth) {
  Wrap("", 400);
  SInt16 next = 0;
  const struct {
    UInt8 mode;
    SInt16 x;
    SInt16 width;
  } cases[] = {{1, 0, 32},  {1, 1, 31},  {1, 31, 1},  {1, 32, 32}, {1, 40, 24},
               {1, 63, 1},  {1, 64, 32}, {0, 40, 32}, {0, 0, 32}};
  for (const auto& c : cases) {
    first_->SetupTabMode(c.mode);
    EXPECT_EQ(first_->GetNextTabPosition(c.x, next), c.width) << "mode " << int(c.mode) << " x " << c.x;
    EXPECT_EQ(next, c.x + c.width);
  }
}

TEST_F(TextLine, AlignmentPlacesTheTextForDrawingAndBothMappings) {
  // A right-aligned line of width 200, right offset 4, text 50 pixels wide (fixed font: 8
  // letters are 48, so one bold letter makes 50).
  first_ = Wrap("abcdefgh", 200);
  first_->SetupRightOffset(4);
  first_->SetupHorizontalPositionType(kSpPositionRight);
  unsigned char changed = 0;
  sTextStyleInfo mask, values;
  Sp_InitalizeStyleInfo(mask, 0);
  Sp_InitalizeStyleInfo(values, 0);
  mask.bold = values.bold = 1;
  first_->SetupTargetTextStyle(0, 2, mask, values, changed);
  ASSERT_EQ(first_->GetRealLineWidth(0, 0), 50);
  char work[64];
  SInt16 x = 0;
  first_->CharBytePositToPixPosit(work, sizeof work, 0, x);
  EXPECT_EQ(x, 146);
  SInt32 position = -1;
  unsigned char leading = 0, where = 0;
  tETO_AreaOutType area = 99;
  first_->PixPositToCharBytePosit(work, sizeof work, 0, 147, position, leading, where, area);
  EXPECT_EQ(position, 0);
  first_->PixPositToCharBytePosit(work, sizeof work, 0, 155, position, leading, where, area);
  EXPECT_EQ(position, 1) << "the right half of the first (bold, 7-pixel) letter";
  first_->PixPositToCharBytePosit(work, sizeof work, 0, 100, position, leading, where, area);
  EXPECT_EQ(area, kETO_AreaLeft);
  first_->PixPositToCharBytePosit(work, sizeof work, 0, 199, position, leading, where, area);
  EXPECT_EQ(area, kETO_AreaRight);
  EXPECT_EQ(position, 8);
  first_->CharBytePositToPixPosit(work, sizeof work, 8, x);
  EXPECT_EQ(x, 196);
  first_->CharBytePositToPixPosit(work, sizeof work, 3, x);
  EXPECT_EQ(x, 146 + 14 + 6);

  // Drawing starts at the same place: the first letter's box begins at 146.
  sp_testing::FillPort(world_, 0xFFFFFF);
  first_->DrawLine(0, 400);
  const SInt16 row = SInt16(first_->GetBaseline() - 2);
  EXPECT_EQ(sp_testing::ReadPixel(world_, 145, row), 0xFFFFFFu);
  EXPECT_NE(sp_testing::ReadPixel(world_, 147, row), 0xFFFFFFu);
}

TEST_F(TextLine, PixelsInATabGiveTheByteBeforeOrAfterItByHalves) {
  first_ = Wrap("ab\tc", 400);
  cTextStyleRunObject* tab = first_->GetStyleRunListHeadPtr()->GetNextObjectPtr();
  ASSERT_EQ(tab->GetTextWidthPixel(), 20) << "from 12 to the stop at 32";
  char work[16];
  SInt32 position = -1;
  unsigned char leading = 0, where = 0;
  tETO_AreaOutType area = 0;
  const struct {
    SInt16 x;
    SInt32 position;
  } cases[] = {{13, 2}, {21, 2}, {22, 3}, {31, 3}, {32, 3}, {36, 4}, {5, 1}, {2, 0}};
  for (const auto& c : cases) {
    first_->PixPositToCharBytePosit(work, sizeof work, 0, c.x, position, leading, where, area);
    EXPECT_EQ(position, c.position) << "x " << c.x;
  }
  SInt16 x = 0;
  first_->CharBytePositToPixPosit(work, sizeof work, 3, x);
  EXPECT_EQ(x, 32);
}

TEST_F(TextLine, ACentredLineWithATabCentresThePartAfterIt) {
  first_ = Wrap("ab\tcd", 200);
  first_->SetupHorizontalPositionType(kSpPositionCenter);
  char work[16];
  SInt16 x = 0;
  first_->CharBytePositToPixPosit(work, sizeof work, 0, x);
  EXPECT_EQ(x, 0) << "the part up to the tab starts at the left offset";
  first_->CharBytePositToPixPosit(work, sizeof work, 3, x);
  // (width + left + total - 2 x after-tab - right) / 2 = (200 + 0 + 24 - 24 - 0) / 2
  EXPECT_EQ(x, 100);
}

TEST_F(TextLine, AnUnknownVerticalPlacementDrawsOnTheBaselineWithAReport) {
  first_ = Wrap("ab", 200);
  SpChangeTextStyleAttribute(attributes_, kTextStyleAttFlag1, 3);
  unsigned char changed = 0;
  first_->SetupTextAttributeAtAll(attributes_, changed);
  ErrorLogCapture log;
  first_->DrawLine(0, 200);
  EXPECT_TRUE(log.Has("cTextLineObject::DrawLine", 2));
}

}  // namespace

namespace {

class TextLineRanges : public text_test::TextModelTest {};

TEST_F(TextLineRanges, CopiedRangesCarryTheirBytesAndStylesAndNoMore) {
  const std::string k = kKanji;
  first_ = Wrap("ab" + k + "\tcd\r", 400);
  cSp_RunSet set;
  SInt32 count = 0;
  const struct {
    SInt32 a, b;
    unsigned char withBreak;
    std::string text;
    SInt32 runs;
    const char* why;
  } cases[] = {
      {1, 2, 0, "b" + k, 2, "a range ending inside the kanji takes it whole"},
      {3, 4, 0, k + "\t", 2, "a range starting inside the kanji takes it whole"},
      {4, 8, 0, "\tcd", 2, "the line break only when asked"},
      {4, 8, 1, "\tcd\r", 3, "with the line break"},
      {5, -1, 1, "cd\r", 2, "to the end of the line"},
  };
  for (const auto& c : cases) {
    first_->GetRunStringByRunSet(c.a, c.b, c.withBreak, set, count);
    char buffer[32];
    unsigned char overflow = 0;
    set.GetString(buffer, sizeof buffer, overflow);
    EXPECT_EQ(std::string(buffer), c.text) << c.why;
    EXPECT_EQ(count, SInt32(c.text.size())) << c.why;
    EXPECT_EQ(set.GetRunCount(), c.runs) << c.why;
  }
  char scope[8];
  unsigned char overflow = 0;
  EXPECT_EQ(first_->GetScopeString(0, 2, scope, sizeof scope, overflow), 2);
  EXPECT_STREQ(scope, "ab");
  ErrorLogCapture log;
  EXPECT_EQ(first_->GetScopeString(set, -1, 2, 0), 0);
  EXPECT_TRUE(log.Has("cTextLineObject::GetScopeString", 1));
  set.ClearRunSet();
}

TEST_F(TextLineRanges, ScopeStringsFillTheirBufferLessTheTerminatorAndReportACut) {
  first_ = Wrap("abcdef", 400);
  const struct {
    SInt32 a, b, size;
    SInt32 count;
    unsigned char overflow;
    const char* text;
  } cases[] = {
      {0, 6, 7, 6, 0, "abcdef"},  // room for every byte and the terminator
      {0, 6, 6, 5, 1, "abcde"},   // one byte short: cut and told
      {2, 5, 4, 3, 0, "cde"},
      {2, 5, 3, 2, 1, "cd"},
      {1, 9, 8, 5, 0, "bcdef"},  // an end past the line stops at it
      {0, 6, 2, 0, 1, ""},       // too small for any text
  };
  for (const auto& c : cases) {
    // A buffer of exactly the size given, so a byte written past it is seen.
    std::vector<char> buffer(std::size_t(c.size), 'x');
    unsigned char overflow = 9;
    EXPECT_EQ(first_->GetScopeString(c.a, c.b, buffer.data(), c.size, overflow), c.count)
        << c.a << ".." << c.b << " in " << c.size;
    EXPECT_EQ(overflow, c.overflow) << c.a << ".." << c.b << " in " << c.size;
    if (c.count > 0) {
      EXPECT_EQ(std::string(buffer.data()), c.text);
    }
  }
}

TEST_F(TextLineRanges, RunRangesReachTheLineEndFromEitherSideAndNotPastIt) {
  first_ = Wrap("abcdef", 400);
  const struct {
    SInt32 a, b;
    SInt32 count;
    bool refused;
  } cases[] = {
      {0, 6, 6, false}, {6, 0, 6, false}, {6, 6, 0, false}, {6, 4, 2, false},
      {7, 0, 0, true},  {0, 7, 0, true},
  };
  for (const auto& c : cases) {
    cSp_RunSet set;
    ErrorLogCapture log;
    EXPECT_EQ(first_->GetScopeString(set, c.a, c.b, 0), c.count) << c.a << ".." << c.b;
    EXPECT_EQ(log.Has("cTextLineObject::GetScopeString", 1), c.refused) << c.a << ".." << c.b;
    EXPECT_EQ(set.GetStringLen(0, 0), c.count) << c.a << ".." << c.b;
    set.ClearRunSet();
  }
}

}  // namespace
