// Line and word breaks of the Script Manager, and the measuring behind them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FixMath.h"
#include "QuickDraw.h"
#include "Script.h"
#include "TestFonts.h"

namespace {

const std::string kKanji = "\x88\x9F";
const std::string kMaru = "\x81\x42";

class ScriptBreaks : public ::testing::Test {
 protected:
  void SetUp() override {
    GetGWorld(&savedPort_, &savedDevice_);
    const Rect bounds = {0, 0, 10, 10};
    ASSERT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
    SetGWorld(world_, nullptr);
    TextFont(0);
    TextSize(12);
    TextFace(0);
    SetFractEnable(true);
  }
  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    DisposeGWorld(world_);
  }
  sp_testing::FixedMetricFontScope font_;  // one-byte 6 pixels, two-byte 12
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

TEST_F(ScriptBreaks, StyledLineBreakFindsWhereALineMustEnd) {
  const struct {
    std::string text;
    SInt32 start, end, width;
    bool firstRun;
    StyledLineBreakCode code;
    SInt32 offset;
    const char* why;
  } cases[] = {
      {"hello", 0, 5, 30, true, smBreakOverflow, 5, "fits exactly"},
      {"hello world", 6, 11, 20, false, smBreakWord, 6, "the word moves: break at its start"},
      {"hello world", 0, 11, 40, true, smBreakWord, 6, "the break before the overflowing word"},
      {"abcdefghij", 0, 10, 40, true, smBreakChar, 6, "one word on the first run: cut it"},
      {"abcdefghij", 4, 10, 10, false, smBreakWord, 0, "a later run: the line ends before"},
      {"abcdefghij", 0, 10, 3, true, smBreakChar, 1, "a line always takes a character"},
      {"ab   cd", 0, 7, 18, true, smBreakWord, 5, "spaces hang past the room"},
      {kKanji + kKanji + kKanji, 0, 6, 30, true, smBreakWord, 4, "between kanji"},
      {kKanji + kKanji + kMaru, 0, 6, 30, true, smBreakWord, 2,
       "never before the full stop: the kanji before it goes along"},
      {"well-known", 0, 10, 40, true, smBreakWord, 5, "after a hyphen"},
      // A word too long for the line after other text: the line ends before it.
      {kKanji + kKanji + "abcdefghij", 4, 14, 30, false, smBreakWord, 4, "a word after kanji"},
      {kKanji + kKanji + "abcdefghij", 0, 14, 30, true, smBreakWord, 4,
       "a word after kanji on the first run"},
      {"ab\tcdefghij", 3, 11, 30, false, smBreakWord, 3, "a word after a tab"},
      {"ab cdefghijkl", 0, 13, 40, true, smBreakWord, 3, "a word after a space"},
      {"abcd\x88", 0, 5, 30, true, smBreakOverflow, 5, "a lead byte cut off at the end"},
  };
  for (const auto& c : cases) {
    // Exactly the text's bytes: nothing past them is read.
    std::vector<char> text(c.text.begin(), c.text.end());
    Fixed width = Long2Fix(c.width);
    SInt32 offset = c.firstRun ? 1 : 0;
    const StyledLineBreakCode code =
        StyledLineBreak(&text[0], SInt32(text.size()), c.start, c.end, 0, &width, &offset);
    EXPECT_EQ(code, c.code) << c.why;
    EXPECT_EQ(offset, c.offset) << c.why;
    if (code == smBreakOverflow) {
      EXPECT_EQ(width, Long2Fix(c.width - 30)) << c.why;
    }
  }
}

TEST_F(ScriptBreaks, FindWordBreaksGivesTheWordHoldingAnOffset) {
  const std::string kana = "\x82\xA0\x82\xA2";
  const struct {
    std::string text;
    SInt32 offset;
    bool leading;
    SInt32 first, end;
    const char* why;
  } cases[] = {
      {"hello world", 8, true, 6, 11, "inside a word"},
      {"hello world", 6, false, 5, 6, "the trailing edge: the space before"},
      {"hello world", 5, true, 5, 6, "a run of spaces"},
      {"abc, def", 3, true, 3, 4, "one mark of punctuation"},
      {"abc" + kana, 4, true, 3, 7, "an offset inside a two-byte character"},
      {"hello", 99, true, 0, 5, "past the end: the last word"},
      {"ab \x85\xAB\x85\xAB cd", 5, true, 3, 7,
       "a character read as four letters (XIII), met again: one word"},
      {"ab \x88", 3, true, 3, 4, "a lead byte cut off at the end is a character of its own"},
  };
  for (const auto& c : cases) {
    std::vector<char> text(c.text.begin(), c.text.end());
    OffsetTable offsets;
    FindWordBreaks(&text[0], SInt32(text.size()), c.offset, c.leading, nullptr, offsets,
                   smJapanese);
    EXPECT_EQ(offsets[0].offFirst, c.first) << c.why;
    EXPECT_EQ(offsets[0].offSecond, c.end) << c.why;
    EXPECT_EQ(offsets[1].offFirst, 0);
  }
}

TEST_F(ScriptBreaks, MeasuringCountsTheBytesItMeasures) {
  sp_testing::ResetMeasuredTextBytes();
  const char text[] = "abc\x88\x9F";
  EXPECT_EQ(TextWidth(text, 0, 5), 30);
  EXPECT_EQ(sp_testing::MeasuredTextBytes(), 5u);
  EXPECT_EQ(SpTextWidthLong(text, 1, 4), 24);
  EXPECT_EQ(sp_testing::MeasuredTextBytes(), 9u);
  std::string wide(6000, '\0');
  for (std::size_t i = 0; i < wide.size(); i += 2) wide.replace(i, 2, "\x88\x9F");
  EXPECT_EQ(TextWidth(wide.data(), 0, SInt16(wide.size())), 32767) << "TextWidth is a short";
  EXPECT_EQ(SpTextWidthLong(wide.data(), 0, SInt32(wide.size())), 36000);
}

TEST_F(ScriptBreaks, TheScriptsFontsAreTheSystemsFonts) {
  EXPECT_EQ(GetScriptVariable(smJapanese, smScriptSysFond), GetSysFont());
  EXPECT_EQ(GetScriptVariable(smJapanese, smScriptAppFond), GetAppFont());
  EXPECT_EQ(GetScriptVariable(smJapanese, 0), 0);
  EXPECT_EQ(Long2Fix(3), 0x30000);
  EXPECT_EQ(Long2Fix(40000), 0x7FFFFFFF);
  EXPECT_EQ(Long2Fix(-40000), SInt32(0x80000000u));
}

}  // namespace
