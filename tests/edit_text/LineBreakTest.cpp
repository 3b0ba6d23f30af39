// Re-wrapping lines: where lines break, how wide they may grow, where a re-wrap stops, and
// that the work follows the text re-wrapped, not the whole text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fonts.h"
#include "TextModelTestSupport.h"

namespace {

using text_test::kA;
using text_test::kCloseKagi;
using text_test::kKanji;
using text_test::kMaru;
using text_test::Repeat;

class LineBreak : public text_test::TextModelTest {};

TEST_F(LineBreak, BreaksLatinAtWordsAndJapaneseBetweenCharactersWithinTheWidth) {
  const std::string k = kKanji;
  const struct {
    std::string text;
    SInt16 width;
    std::vector<std::string> lines;
    const char* why;
  } cases[] = {
      {"hello world", 60, {"hello ", "world"}, "the word that overflows moves whole"},
      {"hello, world", 60, {"hello, ", "world"}, "a space may hang past the edge"},
      {"abcdefghijklmnop", 60, {"abcdefghij", "klmnop"}, "a word longer than the line is cut"},
      {Repeat(k, 8), 60, {Repeat(k, 5), Repeat(k, 3)}, "kanji break between any characters"},
      {Repeat(k, 3) + k + kMaru + k, 48, {Repeat(k, 3), k + kMaru + k},
       "a full stop never starts a line: the kanji before it goes along"},
      {Repeat(k, 3) + kCloseKagi + k, 48, {Repeat(k, 3) + kCloseKagi, k},
       "a closing bracket that fits stays"},
      {"ab" + Repeat(k, 6), 60, {"ab" + Repeat(k, 4), Repeat(k, 2)},
       "a Japanese run after Latin letters breaks inside itself"},
      {"abc\rdef", 60, {"abc\r", "def"}, "a line break ends the line"},
      {"abc\r", 60, {"abc\r", ""}, "text ending with a line break has an empty line after it"},
  };
  for (const auto& c : cases) {
    Wrap(c.text, c.width);
    EXPECT_EQ(Lines(), c.lines) << c.why;
  }
}

TEST_F(LineBreak, AWordLongerThanTheLineBreaksWhereTheWidthRunsOutNotWhereItsStyleChanges) {
  // Plain letters are 6 pixels wide, bold ones 7; the line is 60 pixels wide.
  const struct {
    SInt32 boldFrom, boldTo;
    std::vector<std::string> lines;
    const char* why;
  } cases[] = {
      {4, 16, {"abcdefghi", "jklmnop"}, "4 plain (24) and 5 bold (35) letters fill the line"},
      {0, 4, {"abcdefghi", "jklmnop"}, "4 bold (28) and 5 plain (30) letters fill the line"},
      {9, 16, {"abcdefghi", "jklmnop"}, "9 plain letters and no bold one fit"},
      {2, 4, {"abcdefghi", "jklmnop"}, "a bold stretch inside the part that fits"},
  };
  for (const auto& c : cases) {
    FreeLines();
    first_ = new (std::nothrow) cTextLineObject(world_, 12, kSpPositionLeft, 1, attributes_);
    first_->SetupLineWidth(60);
    first_->SetupTextBytes("abcdefghijklmnop", 16);
    sTextStyleInfo mask, values;
    Sp_InitalizeStyleInfo(mask, 0);
    Sp_InitalizeStyleInfo(values, 0);
    mask.bold = values.bold = 1;
    unsigned char changed = 0;
    first_->SetupTargetTextStyle(c.boldFrom, c.boldTo, mask, values, changed);
    Rewrap(first_);
    EXPECT_EQ(Lines(), c.lines) << c.why;
  }
}

// A word longer than the line that follows other runs on it (a tab, Japanese text, a word
// and a space) goes whole to a line of its own, which it fills before it is cut; nothing is
// lost or doubled, and the runs before it keep their line.
TEST_F(LineBreak, ALongWordAfterOtherRunsStartsALineOfItsOwnAndIsCutThere) {
  const std::string k = kKanji;
  const std::string word = "abcdefghijklmnop";  // 96 pixels: ten letters fill a line
  const struct {
    std::string text;
    std::vector<std::string> lines;
    const char* why;
  } cases[] = {
      {"ab\t" + word, {"ab\t", "abcdefghij", "klmnop"}, "after a tab"},
      {"\t" + word, {"\t", "abcdefghij", "klmnop"}, "after a tab that starts the line"},
      {Repeat(k, 2) + word, {Repeat(k, 2), "abcdefghij", "klmnop"}, "after Japanese text"},
      {"ab " + word, {"ab ", "abcdefghij", "klmnop"}, "after a word and a space"},
      {k + "\t" + word + word, {k + "\t", "abcdefghij", "klmnopabcd", "efghijklmn", "op"},
       "cut into as many lines as it takes"},
      {"ab\t" + word + " " + k, {"ab\t", "abcdefghij", "klmnop " + k}, "and the text after it follows"},
  };
  for (const auto& c : cases) {
    Wrap(c.text, 60);
    EXPECT_EQ(Lines(), c.lines) << c.why;
  }
}

TEST_F(LineBreak, ATabThatReachesTheLimitEndsTheLine) {
  Wrap("abcdefg\tx", 60);  // the tab runs from 42 to 64
  EXPECT_EQ(Lines(), (std::vector<std::string>{"abcdefg\t", "x"}));
}

TEST_F(LineBreak, VariableWidthGrowsByTheMissingWidthPlusOneUpToTheMaximum) {
  first_ = new (std::nothrow) cTextLineObject(world_, 12, kSpPositionLeft, 1, attributes_);
  first_->SetupLineWidth(60);
  first_->SetupVariableWidthFlag(1);
  first_->SetupTextBytes("abcdefghijkl", 12);  // 72 pixels
  Rewrap(first_);
  EXPECT_EQ(first_->GetLineWidth(), 60 + 12 + 1);
  EXPECT_EQ(widthChanged_, 1);
  EXPECT_EQ(Lines().size(), 1u);

  unsigned char changed = 0;
  first_->SetupLineWidth(60);
  first_->SetupLineMaxWidth(66, 0, changed);
  first_->SetupTextBytes("abcdefghijkl", 12);
  Rewrap(first_);
  EXPECT_EQ(first_->GetLineWidth(), 66) << "held at the maximum";
  EXPECT_EQ(Lines(), (std::vector<std::string>{"abcdefghijk", "l"}));
  for (cTextLineObject* line : LineObjects()) EXPECT_EQ(line->GetLineWidth(), 66);
}

TEST_F(LineBreak, TextThatFillsTheLineExactlyStaysOnItAndOnePixelMoreDoesNot) {
  const std::string k = kKanji;
  const struct {
    std::string text;
    bool variable;
    std::vector<std::string> lines;
    SInt16 width;
    const char* why;
  } cases[] = {
      {"abcdefghij", false, {"abcdefghij"}, 60, "ten letters fill 60 pixels"},
      {"abcdefghijk", false, {"abcdefghij", "k"}, 60, "the eleventh goes down"},
      {"ab" + Repeat(k, 4), false, {"ab" + Repeat(k, 4)}, 60, "two runs that fill the line"},
      {"abcdefghij", true, {"abcdefghij"}, 60, "a growing line that is full does not grow"},
      {"ab" + Repeat(k, 4), true, {"ab" + Repeat(k, 4)}, 60, "nor does it for two runs"},
      {"abcdefghijk", true, {"abcdefghijk"}, 60 + 6 + 1, "one letter more grows it"},
  };
  for (const auto& c : cases) {
    FreeLines();
    first_ = new (std::nothrow) cTextLineObject(world_, 12, kSpPositionLeft, 1, attributes_);
    first_->SetupLineWidth(60);
    first_->SetupVariableWidthFlag(c.variable ? 1 : 0);
    first_->SetupTextBytes(c.text.data(), SInt32(c.text.size()));
    Rewrap(first_);
    EXPECT_EQ(Lines(), c.lines) << c.why;
    EXPECT_EQ(first_->GetLineWidth(), c.width) << c.why;
    EXPECT_EQ(widthChanged_, c.width != 60 ? 1 : 0) << c.why;
  }
}

TEST_F(LineBreak, ReWrappingStopsAfterTheFourthUnchangedParagraphEnd) {
  Wrap(Repeat("aaa\r", 10), 60);
  ASSERT_EQ(Lines().size(), 11u);
  SInt32 bytes = 0, tabs = 0, breaks = 0;
  first_->InsertString("b", 0, attributes_, bytes, tabs, breaks);
  Rewrap(first_);
  // The state a re-wrap compares with is the one it starts from: the edited line came out as
  // it went in, so it is the first of the four.
  EXPECT_EQ(handled_, 4) << "four unchanged paragraph ends";
  EXPECT_EQ(Lines()[0], "baaa\r");

  widthChanged_ = 1;
  first_->ResetBreakLine(handled_, added_, removed_, widthChanged_);
  EXPECT_EQ(handled_, 11) << "a change of width re-wraps every line";
}

TEST_F(LineBreak, ALineCountsUnchangedByWhatItHoldsNotByWhichRunsHoldIt) {
  // Four short paragraphs made bold in their own runs after their state was noted: the same
  // runs and bytes, other styles. Taken as unchanged, they would stop the re-wrap before the
  // last paragraph, which bold widens past the line.
  Wrap("ab\rab\rab\rab\rabcdefghij\r", 60);
  first_->RememberRunList(1);
  sTextStyleInfo mask, values;
  Sp_InitalizeStyleInfo(mask, 0);
  Sp_InitalizeStyleInfo(values, 0);
  mask.bold = values.bold = 1;
  for (cTextLineObject* line : LineObjects()) {
    unsigned char changed = 0;
    line->SetupTargetTextStyle(0, line->GetNumOfTextByte(1, 1), mask, values, changed);
  }
  SInt16 unchanged = 0;
  first_->ResetBreakLineEachLine(handled_, added_, removed_, widthChanged_, unchanged);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "ab\r", "ab\r", "ab\r", "abcdefgh",
                                                "ij\r", ""}));
}

TEST_F(LineBreak, EditsPullFollowingTextUpAndDeleteLinesLeftEmpty) {
  Wrap("aaaa bbbb cccc", 60);
  ASSERT_EQ(Lines(), (std::vector<std::string>{"aaaa bbbb ", "cccc"}));
  cTextLineObject* second = LineObjects()[1];
  first_->DeleteCharInBetween(0, 5);
  Rewrap(first_);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"bbbb cccc"}));
  EXPECT_EQ(removed_, 1);
  (void)second;
  SInt32 top = 0, bottom = 0;
  first_->GetLinePosition(top, bottom);
  EXPECT_EQ(top, 0);
}

TEST_F(LineBreak, TwentyThousandLinesWrapWithoutDeepRecursion) {
  Wrap(Repeat("ab\r", 20000), 60);
  const std::vector<cTextLineObject*> lines = LineObjects();
  ASSERT_EQ(lines.size(), 20001u);
  EXPECT_EQ(added_, 20000);
  SInt32 top = 0, bottom = 0;
  lines.back()->GetLinePosition(top, bottom);
  EXPECT_EQ(top, 20000 * first_->GetLineHeight(1, 1)) << "places are 32-bit and settled";
  EXPECT_EQ(lines.back()->GetReferenceNo(), 20001);
}

TEST_F(LineBreak, ARunWiderThanAShortIsMeasuredAndWrapped) {
  const std::string text = Repeat(kKanji, 3400);  // 40,800 pixels
  first_ = new (std::nothrow) cTextLineObject(world_, 12, kSpPositionLeft, 1, attributes_);
  first_->SetupLineWidth(600);
  first_->SetupTextBytes(text.data(), SInt32(text.size()));
  EXPECT_EQ(first_->GetRealLineWidth(0, 0), 40800);
  Rewrap(first_);
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 68u);
  for (const std::string& line : lines) EXPECT_EQ(line.size(), 100u);
}

// The text of `paragraphs` paragraphs of mixed Latin and Japanese text.
std::string Paragraphs(int paragraphs) {
  std::string out;
  for (int i = 0; i < paragraphs; ++i) {
    out += "The quick brown fox jumps " + Repeat(kKanji, 9) + Repeat(kA, 5) + kMaru +
           " over the lazy dog, " + Repeat(kA, 7) + "\r";
  }
  return out;
}

TEST_F(LineBreak, TypingInAMiddleParagraphDoesTheSameWorkInASmallAndALargeText) {
  struct Work {
    SInt16 handled;
    UInt64 measured;
  };
  auto typeInMiddle = [this](int paragraphs) {
    Wrap(Paragraphs(paragraphs), 120);
    std::vector<cTextLineObject*> lines = LineObjects();
    cTextLineObject* line = lines[lines.size() / 2];
    while (line->GetBeforeObjectPtr() != nullptr &&
           !line->GetBeforeObjectPtr()->GetContainLineBrakeFlag()) {
      line = line->GetBeforeObjectPtr();
    }
    sp_testing::ResetMeasuredTextBytes();
    SInt32 bytes = 0, tabs = 0, breaks = 0;
    line->InsertString("x", 3, attributes_, bytes, tabs, breaks);
    Rewrap(line->GetBeforeObjectPtr());
    return Work{handled_, sp_testing::MeasuredTextBytes()};
  };
  const Work small = typeInMiddle(50);    // about 10 KB
  const Work large = typeInMiddle(1000);  // about 200 KB
  EXPECT_GE(small.handled, 4);
  EXPECT_EQ(small.handled, large.handled);
  EXPECT_EQ(small.measured, large.measured);
}

TEST_F(LineBreak, AFullWrapMeasuresInProportionToTheText) {
  std::vector<UInt64> measured;
  for (int paragraphs : {320, 640, 1280}) {  // 64, 128 and 256 KB
    sp_testing::ResetMeasuredTextBytes();
    Wrap(Paragraphs(paragraphs), 120);
    measured.push_back(sp_testing::MeasuredTextBytes());
  }
  EXPECT_EQ(measured[1], 2 * measured[0]);
  EXPECT_EQ(measured[2], 4 * measured[0]);
}

// Whole characters from the start of the text: false when it begins or ends inside one.
bool WholeCharacters(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const UInt8 b = UInt8(s[i]);
    i += ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
  }
  return i == s.size();
}

TEST_F(LineBreak, WrapsInIPAGothicWithinTheWidthWithoutLosingOrSplittingText) {
  sp_testing::UseFixedMetricFont(false);
  SInt16 gothic = 0;
  GetFNum(reinterpret_cast<ConstStr255Param>("\x09IPAGothic"), &gothic);
  ASSERT_NE(gothic, 0) << "IPA Gothic is installed";
  attributes_.fontNo = gothic;
  attributes_.size = 12;
  const std::string text = Paragraphs(30) + "Internationalization" + Repeat(kKanji, 40);
  const SInt16 width = 173;
  Wrap(text, width);
  std::string joined;
  for (cTextLineObject* line : LineObjects()) {
    const std::string s = TextOf(line);
    joined += s;
    EXPECT_TRUE(WholeCharacters(s)) << s;
    // The text without trailing spaces and the line break fits the width.
    std::string shown = s;
    while (!shown.empty() && (shown.back() == ' ' || shown.back() == '\r')) shown.pop_back();
    TextFont(gothic);
    TextSize(12);
    SetFractEnable(true);
    EXPECT_LE(SpTextWidthLong(shown.data(), 0, SInt32(shown.size())), width) << shown;
    EXPECT_NE(s.rfind(kMaru, 0), 0u) << "no line starts with a full stop";
  }
  EXPECT_EQ(joined, text);
  sp_testing::UseFixedMetricFont(true);
}

}  // namespace
