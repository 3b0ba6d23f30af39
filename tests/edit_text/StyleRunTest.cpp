// Style runs and run sets: building runs from text, cutting and merging them, and the sets
// that carry styled text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
