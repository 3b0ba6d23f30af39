// The text helpers on plain bytes: string forms, fields, trimming, case and character tests.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Script.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpTesting.h"

namespace {

// MacJapanese two-byte characters. The second one's trail byte is 0x41, the same byte as 'A',
// so code that forgets about two-byte characters takes it for a letter.
const std::string kHiraganaA = "\x82\xA0";
const std::string kKatakanaA = "\x83\x41";

std::string PascalText(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p) + 1, p[0]);
}

}  // namespace

TEST(StdFunctionText, LongTextIsCutToLengthByteOnCharacterBoundaryAndPast2048Refused) {
  std::string kana;
  for (int i = 0; i < 150; ++i) kana += kHiraganaA;
  struct Case {
    std::string text;
    std::size_t length;  // 0: refused, left as it was
  } cases[] = {
      {std::string(300, 'x'), 255},
      {"ab" + kana, 254},  // the two-byte character at 255-256 is dropped whole
      {std::string(255, 'y'), 255},
      {std::string(2048, 'z'), 255},  // the longest accepted text
      {std::string(2049, 'q'), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    std::vector<char> buffer(c.text.c_str(), c.text.c_str() + c.text.size() + 1);
    ErrorLogCapture log;
    Sp_CStringToPascalString(buffer.data());
    if (c.length == 0) {
      EXPECT_EQ(std::string(buffer.data()), c.text);
      EXPECT_TRUE(log.Has("Sp_CStringToPascalString", 1));
      continue;
    }
    EXPECT_EQ(PascalText(reinterpret_cast<unsigned char*>(buffer.data())),
              c.text.substr(0, c.length));
    Str255 copy;  // the copying form cuts the same way
    Sp_CopyCStringToStr255(c.text.c_str(), copy);
    EXPECT_EQ(PascalText(copy), c.text.substr(0, c.length));
  }
  Str255 none = {9};
  Sp_CopyCStringToStr255(nullptr, none);
  EXPECT_EQ(none[0], 0) << "a null text copies as the empty string";
  char word[] = "hello";
  CtoPstr(word);
  EXPECT_EQ(word[0], 5);
  PtoCstr(word);
  EXPECT_STREQ(word, "hello");
}

TEST(StdFunctionText, NamesLongerThan255BytesAreRefusedNotCut) {
  // A cut name would name another file: a name is copied whole or not at all.
  struct Case {
    std::string text;
    bool copied;
  } cases[] = {
      {"", true}, {"a", true}, {std::string(255, 'n'), true}, {std::string(256, 'n'), false}};
  for (const Case& c : cases) {
    Str255 out = {7, 'x'};
    EXPECT_EQ(Sp_CopyCStringToPascalName(c.text.c_str(), out), c.copied) << c.text.size();
    EXPECT_EQ(PascalText(out), c.copied ? c.text : "") << c.text.size();
  }
  Str255 out = {7};
  EXPECT_FALSE(Sp_CopyCStringToPascalName(nullptr, out));
  EXPECT_EQ(out[0], 0);
}

TEST(StdFunctionText, FieldSplittingFindsFieldsCutsToTheOutputAndReportsMissingOnes) {
  struct Case {
    const char* text;
    SInt32 index, size;
    Boolean result;
    const char* output;
    unsigned char overflow;
  } cases[] = {
      {"a,b,,c", 0, 16, true, "a", 0},
      {"a,b,,c", 1, 16, true, "b", 0},
      {"a,b,,c", 2, 16, true, "", 0},
      {"a,b,,c", 3, 16, true, "c", 0},
      {"a,b,,c", 4, 16, false, "", 0},
      {"a,b,,c", -1, 16, false, "", 0},
      {"", 0, 16, true, "", 0},
      {"", 1, 16, false, "", 0},
      {",,", 2, 16, true, "", 0},
      {"abc", 1, 16, false, "", 0},
      {"a,bcdef,g", 1, 6, true, "bcdef", 0},  // just fits
      {"a,bcdef,g", 1, 5, true, "bcde", 1},   // one byte short
      {"a,bcdef,g", 1, 1, true, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " field " + std::to_string(c.index));
    std::vector<char> output(std::size_t(c.size), '#');
    unsigned char overflow = 7;
    EXPECT_EQ(Sp_GetSeparateString(c.text, ',', c.index, output.data(), c.size, &overflow),
              c.result);
    EXPECT_STREQ(output.data(), c.output);
    EXPECT_EQ(overflow, c.overflow);
  }
  char output[4];
  EXPECT_TRUE(Sp_GetSeparateString("abcdef", ',', 0, output, sizeof output, nullptr));
  EXPECT_STREQ(output, "abc");
}

TEST(StdFunctionText, ByteCuttingNeverSplitsTwoByteCharacterNorReadsPastTheEnd) {
  struct Case {
    std::string text;
    short limit;
    std::string expected;
  } cases[] = {
      {kHiraganaA + "bc", 3, kHiraganaA + "b"},
      {kHiraganaA + "b", 1, ""},
      {kHiraganaA + "b", 2, kHiraganaA},
      {"a" + kKatakanaA + "b", 2, "a"},
      {"a" + kKatakanaA + "b", 3, "a" + kKatakanaA},
      {"abc", 10, "abc"},
      {"abc", 0, ""},
      {"abc", -3, ""},
      {"a\x82", 3, "a\x82"},  // a lead byte cut off by the end
  };
  for (const Case& c : cases) {
    std::vector<char> text(c.text.c_str(), c.text.c_str() + c.text.size() + 1);
    char output[16];
    std::memset(output, '#', sizeof output);
    Sp_CutStringByByteLen(text.data(), c.limit, output);
    EXPECT_EQ(std::string(output), c.expected) << "limit " << c.limit;
  }
}

TEST(StdFunctionText, TrimmingShrinksRunsAndCutsEndsAsAskedAndKeepsTwoByteCharacters) {
  struct Case {
    std::string text;
    Boolean leading, trailing;
    std::string expected;
  } cases[] = {
      {"  a  b  ", true, true, "a b"},
      {"  a  b  ", true, false, "a b "},
      {"  a  b  ", false, true, " a b"},
      {"  a  b  ", false, false, " a b "},
      {"    ", true, true, ""},
      {"    ", false, true, " "},
      {" ", true, true, ""},
      {" ", false, true, " "},
      {"a   ", false, true, "a"},
      {"ab", true, true, "ab"},
      {"", true, true, ""},
      {" " + kHiraganaA + "  ", true, true, kHiraganaA},
      {kKatakanaA + "  " + kKatakanaA, true, true, kKatakanaA + " " + kKatakanaA},
  };
  for (const Case& c : cases) {
    std::vector<char> text(c.text.c_str(), c.text.c_str() + c.text.size() + 1);
    SInt32 length =
        Sp_CutSpaceFromString(text.data(), SInt32(c.text.size()), c.leading, c.trailing, true);
    EXPECT_EQ(std::string(text.data()), c.expected)
        << "'" << c.text << "' " << int(c.leading) << int(c.trailing);
    EXPECT_EQ(length, SInt32(c.expected.size())) << "'" << c.text << "'";
  }
}

TEST(StdFunctionText, CaseChangesLeaveTrailBytesAndChangeTextPastTheLengthByte) {
  // 0x83 0x61 is a two-byte character whose trail byte is the same as 'a'.
  char text[] = "ab\x83\x61z";
  Sp_ChangeToUpperStringWithScriptCode(text, smJapanese);
  EXPECT_STREQ(text, "AB\x83\x61Z");
  Sp_ChangeToLowercaseStringWithFontNo(text, 0);
  EXPECT_STREQ(text, "ab\x83\x61z");
  Sp_ChangeToUpperStringWithFontNo(text, 0);
  EXPECT_STREQ(text, "AB\x83\x61Z");
  Sp_ChangeToLowercaseStringWithScriptCode(text, smJapanese);
  EXPECT_STREQ(text, "ab\x83\x61z");
  // Longer than a length byte holds, with a two-byte character across the 255-byte piece.
  std::string longer = std::string(254, 'k') + "\x83\x61" + std::string(44, 'k');
  Sp_ChangeToUpperString(&longer[0], false);
  EXPECT_EQ(longer, std::string(254, 'K') + "\x83\x61" + std::string(44, 'K'));
}

TEST(StdFunctionText, TwoByteTestsTellLeadFromTrailAndStopAtTheEnd) {
  const std::string text = "a" + kHiraganaA + kKatakanaA + "b";  // a, HH, KA, b
  struct Case {
    SInt32 offset;
    Boolean twoByte, firstByte;
  } cases[] = {
      {0, false, true}, {1, true, true},  {2, true, false},   {3, true, true},   {4, true, false},
      {5, false, true}, {6, false, true}, {100, false, true}, {-1, false, true},
  };
  for (const Case& c : cases) {
    Boolean firstByte = 9;
    EXPECT_EQ(Sp_IsTwoByteChar(text.c_str(), c.offset, &firstByte), c.twoByte) << c.offset;
    EXPECT_EQ(firstByte, c.firstByte) << "offset " << c.offset;
  }
  std::vector<char> cutOff{'a', '\x82', 0};  // a lead byte cut off by the end
  EXPECT_FALSE(Sp_IsTwoByteChar(cutOff.data(), 1, nullptr));
  const std::string ab = "ab" + kHiraganaA;
  EXPECT_FALSE(Sp_CheckStringContainTwoByteChar(ab.c_str(), 2));
  EXPECT_TRUE(Sp_CheckStringContainTwoByteChar(ab.c_str(), 3));
  EXPECT_TRUE(Sp_CheckStringContainTwoByteChar(ab.c_str(), -1));
  EXPECT_FALSE(Sp_CheckStringContainTwoByteChar("abc", 100));
}

TEST(StdFunctionText, ComparisonOrdersBytesAsSignedAndThenByLength) {
  const struct {
    const char *first, *second;
    short expected;
  } cases[] = {
      {"abc", "abc", 0},  {"abc", "abd", -1},       {"abd", "abc", 1},
      {"ab", "abc", -1},  {"abc", "ab", 1},         {"", "", 0},
      {"a", "\x82\xA0", 1},  // a byte above 0x7F counts as negative
      {"\x82\xA0", "a", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(Sp_strcmp(c.first, c.second), c.expected) << c.first;
}

TEST(StdFunctionText, NullArgumentsOfTheTextAndNumberHelpersAreLoggedOnce) {
  struct Case {
    const char* method;
    SInt32 code;
    std::function<void()> call;
  } cases[] = {
      {"Sp_CStringToPascalString", 1, [] { Sp_CStringToPascalString(nullptr); }},
      {"Sp_PascalStringToCString", 0, [] { PtoCstr(nullptr); }},
      {"Sp_GetSeparateString", 1,
       [] { Sp_GetSeparateString(nullptr, ',', 0, nullptr, 4, nullptr); }},
      {"Sp_CutStringByByteLen", 1, [] { Sp_CutStringByByteLen("a", 1, nullptr); }},
      {"Sp_ChangeToLowercaseStringWithFontNo", 1,
       [] { Sp_ChangeToLowercaseStringWithFontNo(nullptr, 0); }},
      {"Sp_NumberToString", 1, [] { Sp_NumberToString(1, nullptr); }},
      {"Sp_StringToNumber", 1, [] { Sp_StringToNumber("1", nullptr); }},
      {"Sp_NumberToStringAddZero", 1, [] { Sp_NumberToStringAddZero(1, 2, nullptr); }},
      {"Sp_DoubleToString2", 1, [] { Sp_DoubleToString2(1, nullptr, 1, 1); }},
      {"Sp_CheckEnableModifierKeyOnDisableFlag", 1,
       [] {
         sSpModifiersDataStruct k{};
         Sp_CheckEnableModifierKeyOnDisableFlag(nullptr, &k, &k);
       }},
      {"Sp_GetCStringFromCFString", 1,
       [] { Sp_GetCStringFromCFString(nullptr, nullptr, 4, nullptr); }},
      {"Sp_UnicodeToCString", 1, [] { Sp_UnicodeToCString(nullptr, 1, nullptr, 4, nullptr); }},
      {"Sp_UnicodeNameToCString", 1, [] { Sp_UnicodeNameToCString(nullptr, 1, nullptr, 4); }},
      {"Sp_CStringToEncodingString", 1,
       [] { Sp_CStringToEncodingString("a", 1, 1, 0, 0, nullptr, nullptr, nullptr); }},
  };
  for (const Case& c : cases) {
    ErrorLogCapture log;
    c.call();
    EXPECT_EQ(log.Count(), 1u) << c.method;
    EXPECT_TRUE(log.Has(c.method, c.code)) << c.method;
  }
}

TEST(StdFunctionText, FontSizeSearchGoesDownFirstThenUpToTheLargest) {
  const short kFont = 4;
  struct Case {
    std::vector<short> realSizes;
    bool smaller, larger;
    short largest;
    Boolean found;
    short size;
  } cases[] = {
      {{9, 14}, true, true, 24, true, 9},  // the smaller size wins over the larger
      {{14}, true, true, 24, true, 14},    // none below: up from the given size
      {{30}, true, true, 24, false, 12},   // beyond the largest: none, size unchanged
      {{9}, false, true, 24, false, 12},   // not asked to go down
      {{24}, false, true, 24, true, 24},   // the largest itself is tried
  };
  for (const Case& c : cases) {
    sp_testing::SetRealFontSizes(kFont, c.realSizes);
    short size = 0;
    EXPECT_EQ(Sp_GetEnableFontSize(kFont, 12, size, c.smaller, c.larger, c.largest), c.found);
    EXPECT_EQ(size, c.size);
  }
  sp_testing::SetRealFontSizes(kFont, {});
  short size = 0;
  EXPECT_TRUE(Sp_GetEnableFontSize(kFont, 12, size, true, false, 12));  // every size is real
  EXPECT_EQ(size, 12);
}
