// Style runs and run sets: building runs from text, cutting and merging them, and the sets
// that carry styled text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Script.h"
#include "SpETOTextStyle.h"
#include "TextModelTestSupport.h"

namespace {

using text_test::kA;
using text_test::kKanji;

class StyleRuns : public text_test::TextModelTest {
 protected:
  struct RunShape {
    tETO_StyleRunDataType type;
    SInt32 start;
    SInt32 length;
    bool twoByte;
    bool operator==(const RunShape& o) const {
      return type == o.type && start == o.start && length == o.length && twoByte == o.twoByte;
    }
  };
  std::vector<RunShape> Build(const std::string& text) {
    SpETO_DeleteFreeRunList(head_);
    cTextStyleRunObject* tail = nullptr;
    SpETO_CreateStyleRunObjectFromBytes(text.data(), SInt32(text.size()), world_, attributes_,
                                        head_, tail);
    return Shapes(head_);
  }
  static std::vector<RunShape> Shapes(const cTextStyleRunObject* head) {
    std::vector<RunShape> out;
    for (; head != nullptr; head = head->GetNextObjectPtr()) {
      out.push_back({head->GetStyleRunDataType(), head->GetStartCharBytePosition(),
                     head->ByteLength(), head->IsTwoByte()});
    }
    return out;
  }
  void TearDown() override {
    SpETO_DeleteFreeRunList(head_);
    text_test::TextModelTest::TearDown();
  }
  cTextStyleRunObject* head_ = nullptr;
};

TEST_F(StyleRuns, TextBecomesRunsOfOneCharacterKindTabsAndLineBreaks) {
  const std::string two = std::string(kA) + kA;
  const struct {
    std::string text;
    std::vector<RunShape> runs;
    const char* why;
  } cases[] = {
      {"ab\t" + two + "\rc",
       {{kETO_TextRun, 0, 2, false},
        {kETO_TabRun, 2, 1, false},
        {kETO_TextRun, 3, 4, true},
        {kETO_LineBreakRun, 7, 1, false},
        {kETO_TextRun, 8, 1, false}},
       "the five runs"},
      {"Abc", {{kETO_TextRun, 0, 1, false}, {kETO_TextRun, 1, 2, false}}, "case splits runs"},
      {"a\nb\x03", {{kETO_TextRun, 0, 1, false}, {kETO_LineBreakRun, 1, 1, false},
                    {kETO_TextRun, 2, 1, false}, {kETO_LineBreakRun, 3, 1, false}},
       "LF and byte 3 break lines"},
      {"ab\x82", {{kETO_TextRun, 0, 2, false}, {kETO_TextRun, 2, 1, false}},
       "a lead byte ending the text is a one-byte character"},
      {"\t\t", {{kETO_TabRun, 0, 1, false}, {kETO_TabRun, 1, 1, false}}, "a run per tab"},
  };
  for (const auto& c : cases) EXPECT_EQ(Build(c.text), c.runs) << c.why;
  Build("ab\x82");
  EXPECT_EQ(head_->GetNextObjectPtr()->GetTextWidthPixel(), 6)
      << "the lone lead byte is measured alone, not with the byte after the text";
}

TEST_F(StyleRuns, EveryRunHasTheKindAndWidthOfItsOwnCharacters) {
  // Kinds met again and again, in other orders: each run is made from the runs before it.
  const std::string text = std::string("Ab1, ") + kA + kKanji + "cD\t" + kKanji + "2a" + kA +
                           "\r, bA" + kKanji + kA + "1\t\x82";
  Build(text);
  SInt32 expectedStart = 0;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 start = run->GetStartCharBytePosition();
    EXPECT_EQ(start, expectedStart);
    expectedStart += run->ByteLength();
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) continue;
    sCharactorInfoStruct first;
    if (start + 1 == SInt32(text.size())) {
      Sp_GetCharacterInfo(' ', first);  // the lone lead byte: a one-byte mark
      first.charType = smCharPunct;
    } else {
      Sp_GetCharacterInfo(text.c_str(), SInt16(start), first);
    }
    EXPECT_TRUE(Sp_EqualCharacterInfo(run->CharacterInfo(), first, 1, 0, 1)) << "at " << start;
    EXPECT_EQ(run->Attributes().direction, first.rightToLeft ? 1 : 0) << "at " << start;
    if (run->IsText()) {  // 6 pixels a byte, one-byte and two-byte characters alike
      EXPECT_EQ(run->GetTextWidthPixel(), run->ByteLength() * 6) << "at " << start;
    }
  }
  EXPECT_EQ(expectedStart, SInt32(text.size()));
}

TEST_F(StyleRuns, ALineBreakRunCarriesTheDefaultAttributes) {
  attributes_.size = 24;
  Build("a\r");
  EXPECT_EQ(head_->Attributes().size, 24);
  EXPECT_EQ(head_->GetNextObjectPtr()->Attributes().size, GetDefFontSize());
  EXPECT_EQ(head_->GetTextWidthPixel(), 12);
}

TEST_F(StyleRuns, DividingNeverSplitsATwoByteCharacter) {
  const std::string text = std::string(kKanji) + kKanji + kKanji;  // 6 bytes, 36 pixels
  const struct {
    SInt32 at;
    std::vector<SInt32> lengths;
    const char* why;
  } cases[] = {
      {3, {2, 4}, "3 becomes 2"},
      {4, {4, 2}, "a character boundary"},
      {1, {6}, "less than one character: nothing"},
      {0, {6}, "no bytes"},
      {6, {6}, "the whole run"},
  };
  for (const auto& c : cases) {
    ErrorLogCapture log;
    Build(text);
    head_->DivideMe(text.data(), c.at);
    std::vector<SInt32> lengths;
    for (const RunShape& r : Shapes(head_)) lengths.push_back(r.length);
    EXPECT_EQ(lengths, c.lengths) << c.why;
    if (lengths.size() == 2) {
      EXPECT_EQ(head_->GetTextWidthPixel(), lengths[0] * 6);
      EXPECT_EQ(head_->GetNextObjectPtr()->GetStartCharBytePosition(), lengths[0]);
    }
  }
}

TEST_F(StyleRuns, MergingJoinsOnlyRunsOfEqualStyleAndKind) {
  Build("abcdef");
  head_->DivideMe("abcdef", 2);
  head_->GetNextObjectPtr()->DivideMe("cdef", 2);
  head_->MargeNextStyleRun(1);
  EXPECT_EQ(Shapes(head_), (std::vector<RunShape>{{kETO_TextRun, 0, 6, false}}));
  EXPECT_EQ(head_->GetTextWidthPixel(), 36);

  Build("ab");
  head_->DivideMe("ab", 1);
  head_->GetNextObjectPtr()->ChangeAttribute(kTextStyleAttFace, bold);
  head_->MargeNextStyleRun(1);
  EXPECT_EQ(Shapes(head_).size(), 2u);
}

TEST_F(StyleRuns, RestylingOneRunLeavesTheRunsOfTheSameStyleAlone) {
  sCharactorInfoStruct kanji;
  Sp_GetCharacterInfo(kKanji, 0, kanji);
  const struct {
    std::function<void(cTextStyleRunObject*)> restyle;
    const char* why;
  } cases[] = {
      {[](cTextStyleRunObject* r) { r->ChangeAttribute(kTextStyleAttSize, 18); }, "size"},
      {[](cTextStyleRunObject* r) { r->SetupTextColor(RGBColor{0xFFFF, 0, 0}, 3); }, "colour"},
      {[](cTextStyleRunObject* r) {
         sETOStyleInfo info;
         SpETOT_InitializeTextStyleInfo(info);
         r->GetStyleInfo(info);
         info.face = bold;
         r->SetupStyleInfo(info);
       },
       "style information"},
      {[this](cTextStyleRunObject* r) {
         sTextStyleAttributes a = attributes_;
         a.mode = srcXor;
         r->SetupAttribute(a, kETO_FontAsGiven);
       },
       "attributes"},
      {[&kanji](cTextStyleRunObject* r) { r->SetCharacterInfo(kanji); }, "character kind"},
  };
  for (const auto& c : cases) {
    Build("ab cd");  // "ab" and "cd" are runs of one style and kind
    cTextStyleRunObject* ab = head_;
    cTextStyleRunObject* cd = head_->GetNextObjectPtr()->GetNextObjectPtr();
    const sTextStyleAttributes before = ab->Attributes();
    const sCharactorInfoStruct kind = ab->CharacterInfo();
    c.restyle(cd);
    EXPECT_FALSE(SpEqualTextStyleAttribute(cd->Attributes(), before) &&
                 Sp_EqualCharacterInfo(cd->CharacterInfo(), kind, 1, 1, 1))
        << c.why << ": the restyled run changed";
    EXPECT_TRUE(SpEqualTextStyleAttribute(ab->Attributes(), before)) << c.why;
    EXPECT_EQ(ab->Attributes().colors[0].kind, before.colors[0].kind) << c.why;
    EXPECT_TRUE(Sp_EqualCharacterInfo(ab->CharacterInfo(), kind, 1, 1, 1)) << c.why;
  }
}

TEST_F(StyleRuns, ManyStylesMadeAndFreedInAnyOrderKeepTheirOwnValues) {
  Build("a");
  std::vector<cTextStyleRunObject*> runs;
  auto restyleAll = [&runs](UInt16 salt) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (runs[i] != nullptr) runs[i]->SetupTextColor(RGBColor{UInt16(i), salt, 0}, 2);
    }
  };
  for (int i = 0; i < 300; ++i) runs.push_back(head_->GetCopyRun());
  restyleAll(1);
  for (std::size_t i = 0; i < runs.size(); i += 2) {
    delete runs[i];
    runs[i] = nullptr;
  }
  restyleAll(2);  // every style is new; the freed ones are gone
  for (std::size_t i = 0; i < runs.size(); i += 2) runs[i] = head_->GetCopyRun();
  restyleAll(1);  // styles once freed are made again
  for (std::size_t i = 0; i < runs.size(); ++i) {
    RGBColor color;
    SInt16 kind = 0;
    runs[i]->GetTextColor(color, kind);
    EXPECT_EQ(color.red, i) << i;
    EXPECT_EQ(color.green, 1) << i;
    EXPECT_TRUE(SpEqualTextStyleAttribute(runs[i]->Attributes(), runs[i]->Attributes()));
  }
  for (cTextStyleRunObject* run : runs) delete run;
}

TEST_F(StyleRuns, RunsFreedAndMadeAgainNeverShareMemoryWithLiveRuns) {
  // Some thousands of runs: several blocks of the run memory, emptied in part and refilled.
  std::string text;
  for (int i = 0; i < 1500; ++i) text += (i % 3 == 0) ? std::string(kA) : "a ";
  Build(text);
  const std::vector<RunShape> shapes = Shapes(head_);
  cTextStyleRunObject* keep = head_;
  head_ = nullptr;
  // Every other run of the kept list goes, then a second list is made and the first filled.
  for (cTextStyleRunObject* run = keep; run != nullptr && run->GetNextObjectPtr() != nullptr;
       run = run->GetNextObjectPtr()) {
    delete run->TakeOutNext();
  }
  Build(text);
  EXPECT_EQ(Shapes(head_), shapes);
  std::vector<RunShape> expected;
  for (std::size_t i = 0; i < shapes.size(); i += 2) expected.push_back(shapes[i]);
  EXPECT_EQ(Shapes(keep), expected);
  SpETO_DeleteFreeRunList(keep);
  Build(text);
  EXPECT_EQ(Shapes(head_), shapes);
}

TEST_F(StyleRuns, TheMemoryOfARunJustFreedServesTheNextRunEvenInABlockThatWasFull) {
  // Runs come from blocks of a thousand; the first runs' block is full after two thousand.
  std::vector<cTextStyleRunObject*> runs;
  for (int i = 0; i < 2048; ++i) {
    runs.push_back(new (std::nothrow) cTextStyleRunObject(kETO_TextRun, world_));
    ASSERT_NE(runs.back(), nullptr);
  }
  for (std::size_t i : {std::size_t(0), std::size_t(1), std::size_t(1023), std::size_t(2047)}) {
    void* const freed = runs[i];
    delete runs[i];
    runs[i] = new (std::nothrow) cTextStyleRunObject(kETO_TextRun, world_);
    EXPECT_EQ(static_cast<void*>(runs[i]), freed) << "run " << i;
  }
  for (cTextStyleRunObject* run : runs) delete run;
}

TEST_F(StyleRuns, LengthsAndAttributeChangesGuardTheirArguments) {
  Build("ab\t" + std::string(kA));
  ErrorLogCapture log;
  cTextStyleRunObject* tab = head_->GetNextObjectPtr();
  EXPECT_EQ(tab->GetTextByteLength(0, 0), 0);
  EXPECT_EQ(tab->GetTextByteLength(1, 0), 1);
  head_->CountDownStringLen(2);
  EXPECT_EQ(head_->ByteLength(), 2);
  EXPECT_TRUE(log.Has("cTextStyleRunObject::CountDownStringLen", 1));
  head_->SetupStringLen(-1);
  EXPECT_EQ(head_->ByteLength(), 2);
  cTextStyleRunObject* kana = tab->GetNextObjectPtr();
  EXPECT_EQ(kana->ChangeAttribute(kTextStyleAttSize, 18), 1);
  EXPECT_EQ(kana->ChangeAttribute(kTextStyleAttSize, 18), 0);
  EXPECT_EQ(SpETO_GetMaxByteLenInRunList(head_), 2);
  EXPECT_EQ(SpETO_GetTabCountInRunList(head_), 1);
  EXPECT_EQ(SpETO_GetStringLenFromRunList(head_, 0, 0), 4);
}

TEST_F(StyleRuns, ARunSetRefusesANegativeCountOrOffsetWithAReportAndKeepsItsText) {
  const struct {
    SInt32 offset, count;
    const char* text;
    bool reported;
  } cases[] = {
      {1, 2, "xybc", false}, {0, 0, "xy", false}, {0, -1, "xy", true}, {-1, 2, "xy", true},
  };
  for (const auto& c : cases) {
    cSp_RunSet set;
    set.CopyString("xy");
    ErrorLogCapture log;
    set.AppendString("abc", c.offset, c.count);
    char buffer[16];
    unsigned char overflow = 0;
    set.GetString(buffer, sizeof buffer, overflow);
    EXPECT_STREQ(buffer, c.text) << c.offset << "+" << c.count;
    EXPECT_EQ(log.Has("cSp_RunSet::AppendString(string argument type)", 1), c.reported)
        << c.offset << "+" << c.count;
    set.ClearRunSet();
  }
}

TEST_F(StyleRuns, ARunSetBuiltLineByLineTakesWorkInProportionToTheLines) {
  // Copying a text into a run set a line at a time, as copying the whole text does: four times
  // the lines, four times the items stepped over, not sixteen.
  std::vector<UInt64> walked;
  for (int lines : {1000, 4000}) {
    Wrap(text_test::Repeat("abc def\r", lines), 400);
    cSp_RunSet set;
    const UInt64 before = SpSO_WalkedItemCount();
    for (cTextLineObject* line : LineObjects()) line->GetAppendCopyRunSet(set, 1, 1);
    walked.push_back(SpSO_WalkedItemCount() - before);
    EXPECT_EQ(SpSO_GetStringLen(set.GetStringObjectPtr()), 8 * lines);
    set.ClearRunSet();
  }
  EXPECT_LE(walked[1], 4 * walked[0] + 64);
}

TEST_F(StyleRuns, RunSetsCountLinesAndCompareRunsWhenAsked) {
  cSp_RunSet a, b;
  Wrap("ab\rcd", 400);
  first_->GetCopyRunSet(a, 1, 1);
  first_->GetNextObjectPtr()->GetAppendCopyRunSet(a, 1, 1);
  SInt32 length = -1;
  EXPECT_EQ(a.GetLineStringLen(1, 1, 1, length), 1);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(a.GetLineStringLen(2, 1, 1, length), 1);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(a.GetLineStringLen(3, 1, 1, length), 0);

  Wrap("abcd", 400);
  first_->GetCopyRunSet(b, 1, 1);
  EXPECT_EQ(b.GetLineStringLen(2, 1, 1, length), 0);
  EXPECT_EQ(b.GetLineStringLen(1, 1, 1, length), 1);
  EXPECT_EQ(length, 4);

  cSp_RunSet c;
  c.AppendRunSet(b);
  EXPECT_EQ(b.CmpOtherRunSet(&c, 1, 1, 1, 1), 1);
  c.GetStyleRunListHeadPtr()->SetStartCharBytePosition(5);
  EXPECT_EQ(b.CmpOtherRunSet(&c, 1, 1, 1, 1), 0) << "runs differ in start bytes";
  EXPECT_EQ(b.CmpOtherRunSet(&c, 1, 0, 0, 0), 1) << "runs not compared";

  cSp_RunSet d;
  d.CopyString("xy");
  d.InsertRunSetOnTop(b);
  char buffer[16];
  unsigned char overflow = 0;
  d.GetString(buffer, sizeof buffer, overflow);
  EXPECT_STREQ(buffer, "abcdxy");
  a.ClearRunSet();
  b.ClearRunSet();
  c.ClearRunSet();
  d.ClearRunSet();
}

}  // namespace
