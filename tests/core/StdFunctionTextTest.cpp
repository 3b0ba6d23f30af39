// The text helpers on plain bytes: string forms, fields, trimming, case and character tests.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Script.h"
#include "SpStdFunction.h"
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

// ---- Length-prefixed strings ---------------------------------------------------------------

TEST(StdFunctionText, PascalConversionRoundTripsTextAndLength) {
  for (const char* word : {"hello", ""}) {
    char text[16];
    std::strcpy(text, word);
    CtoPstr(text);
    EXPECT_EQ(PascalText(reinterpret_cast<unsigned char*>(text)), word);
    PtoCstr(text);
    EXPECT_STREQ(text, word);
  }
}

TEST(StdFunctionText, LongTextIsCutToLengthByteOnCharacterBoundary) {
  struct Case {
    std::string text;
    std::size_t expectedLength;
    const char* why;
  } cases[] = {
      {std::string(300, 'x'), 255, "one-byte text cut at 255"},
      {"ab" +
           [] {
             std::string s;
             for (int i = 0; i < 150; ++i) s += kHiraganaA;
             return s;
           }(),
       254, "the two-byte character at 255-256 is dropped whole"},
      {std::string(255, 'y'), 255, "exactly 255 stays"},
      {std::string(2048, 'z'), 255, "the longest accepted text"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<char[]> buffer(new char[c.text.size() + 1]);
    std::memcpy(buffer.get(), c.text.c_str(), c.text.size() + 1);
    Sp_CStringToPascalString(buffer.get());
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), c.expectedLength) << c.why;
    EXPECT_EQ(std::string(buffer.get() + 1, c.expectedLength), c.text.substr(0, c.expectedLength))
        << c.why;

    // The copying form cuts the same way and leaves the text as it is.
    Str255 copy;
    Sp_CopyCStringToStr255(c.text.c_str(), copy);
    EXPECT_EQ(copy[0], c.expectedLength) << c.why;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy + 1), copy[0]),
              c.text.substr(0, c.expectedLength))
        << c.why;
  }
  Str255 none = {9};
  Sp_CopyCStringToStr255(nullptr, none);
  EXPECT_EQ(none[0], 0) << "a null text copies as the empty string";
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

TEST(StdFunctionText, TextOf2049BytesIsRefusedUnchanged) {
  std::string text(2049, 'q');
  std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
  std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
  ErrorLogCapture log;
  Sp_CStringToPascalString(buffer.get());
  EXPECT_EQ(std::string(buffer.get()), text);
  EXPECT_TRUE(log.Has("Sp_CStringToPascalString", 1));
}

TEST(StdFunctionText, PascalJoinNeverGrowsPast255) {
  Str255 destination;
  Str255 source;
  destination[0] = 250;
  std::memset(destination + 1, 'd', 250);
  source[0] = 10;
  std::memset(source + 1, 's', 10);
  EXPECT_EQ(Sp_pStrcat(destination, source), destination);
  EXPECT_EQ(destination[0], 255);
  EXPECT_EQ(PascalText(destination), std::string(250, 'd') + std::string(5, 's'));

  // Already full: nothing more goes in.
  EXPECT_EQ(Sp_pStrcat(destination, source), destination);
  EXPECT_EQ(destination[0], 255);

  Str255 copy;
  EXPECT_EQ(Sp_pStrcpy(copy, destination), copy);
  EXPECT_EQ(PascalText(copy), PascalText(destination));
}

// ---- Fields, trimming, replacing -----------------------------------------------------------

TEST(StdFunctionText, FieldSplittingFindsFieldsAndReportsMissingOnes) {
  struct Case {
    const char* text;
    SInt32 index;
    Boolean result;
    const char* output;
  } cases[] = {
      {"a,b,,c", 0, true, "a"}, {"a,b,,c", 1, true, "b"}, {"a,b,,c", 2, true, ""},
      {"a,b,,c", 3, true, "c"}, {"a,b,,c", 4, false, ""}, {"a,b,,c", -1, false, ""},
      {"", 0, true, ""},        {"", 1, false, ""},       {"a,", 1, true, ""},
      {",,", 2, true, ""},      {"abc", 0, true, "abc"},  {"abc", 1, false, ""},
  };
  for (const Case& c : cases) {
    char output[16];
    std::memset(output, '#', sizeof output);
    unsigned char overflow = 7;
    EXPECT_EQ(Sp_GetSeparateString(c.text, ',', c.index, output, sizeof output, &overflow),
              c.result)
        << c.text << " field " << c.index;
    EXPECT_STREQ(output, c.output) << c.text << " field " << c.index;
    EXPECT_EQ(overflow, 0) << c.text << " field " << c.index;
  }
}

TEST(StdFunctionText, FieldTooLongForOutputIsCutAndFlagged) {
  struct Case {
    SInt32 size;
    const char* output;
    unsigned char overflow;
  } cases[] = {{4, "bcd", 1}, {6, "bcdef", 0}, {5, "bcde", 1}, {1, "", 1}};
  for (const Case& c : cases) {
    std::unique_ptr<char[]> output(new char[static_cast<std::size_t>(c.size)]);
    unsigned char overflow = 0;
    EXPECT_TRUE(Sp_GetSeparateString("a\tbcdef\tg", '\t', 1, output.get(), c.size, &overflow));
    EXPECT_STREQ(output.get(), c.output) << "size " << c.size;
    EXPECT_EQ(overflow, c.overflow) << "size " << c.size;
  }
  char output[4];
  EXPECT_TRUE(Sp_GetSeparateString("abcdef", ',', 0, output, sizeof output, nullptr));
  EXPECT_STREQ(output, "abc");
}

TEST(StdFunctionText, TrimmingShrinksRunsAndCutsEndsAsAsked) {
  struct Case {
    const char* text;
    Boolean leading;
    Boolean trailing;
    const char* expected;
  } cases[] = {
      {"  a  b  ", true, true, "a b"},
      {"  a  b  ", true, false, "a b "},
      {"  a  b  ", false, true, " a b"},
      {"  a  b  ", false, false, " a b "},
      {"    ", true, true, ""},
      {"    ", false, true, " "},
      {" ", true, true, ""},
      {" ", false, true, " "},
      {"a", true, true, "a"},
      {"a   ", false, true, "a"},
      {"ab", true, true, "ab"},
      {"", true, true, ""},
  };
  for (const Case& c : cases) {
    char text[16];
    std::strcpy(text, c.text);
    SInt32 length = Sp_CutSpaceFromString(text, static_cast<SInt32>(std::strlen(c.text)), c.leading,
                                          c.trailing, true);
    EXPECT_STREQ(text, c.expected) << "'" << c.text << "' " << int(c.leading) << int(c.trailing);
    EXPECT_EQ(length, static_cast<SInt32>(std::strlen(c.expected))) << "'" << c.text << "'";
  }
}

TEST(StdFunctionText, ByteCuttingNeverSplitsTwoByteCharacter) {
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
  };
  for (const Case& c : cases) {
    char output[16];
    std::memset(output, '#', sizeof output);
    Sp_CutStringByByteLen(c.text.c_str(), c.limit, output);
    EXPECT_EQ(std::string(output), c.expected) << "limit " << c.limit;
  }
}

// ---- Case ------------------------------------------------------------------------------------

TEST(StdFunctionText, UppercaseLeavesTrailBytesOfTwoByteCharacters) {
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
}

TEST(StdFunctionText, UppercaseOfTextLongerThanLengthByteKeepsWholeText) {
  std::string text(300, 'k');
  std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
  std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
  Sp_ChangeToUpperString(buffer.get(), false);
  EXPECT_EQ(std::string(buffer.get()), std::string(300, 'K'));
}

// ---- Character and string tests --------------------------------------------------------------

TEST(StdFunctionText, TwoByteTestTellsLeadTrailAndPastTheEnd) {
  const std::string text = "a" + kHiraganaA + kKatakanaA + "b";  // a, HH, KA, b
  struct Case {
    SInt32 offset;
    Boolean twoByte;
    Boolean firstByte;
  } cases[] = {
      {0, false, true}, {1, true, true},  {2, true, false},   {3, true, true},   {4, true, false},
      {5, false, true}, {6, false, true}, {100, false, true}, {-1, false, true},
  };
  for (const Case& c : cases) {
    Boolean firstByte = 9;
    EXPECT_EQ(Sp_IsTwoByteChar(text.c_str(), c.offset, &firstByte), c.twoByte)
        << "offset " << c.offset;
    EXPECT_EQ(firstByte, c.firstByte) << "offset " << c.offset;
  }
  EXPECT_TRUE(Sp_IsTwoByteChar(text.c_str(), 4, nullptr));
}

TEST(StdFunctionText, LeadByteCutOffByTheEndIsNotReadPast) {
  std::unique_ptr<char[]> text(new char[3]);
  std::memcpy(text.get(), "a\x82", 3);
  Boolean firstByte = 0;
  EXPECT_FALSE(Sp_IsTwoByteChar(text.get(), 1, &firstByte));
  EXPECT_EQ(firstByte, 1);
  EXPECT_FALSE(Sp_IsTwoByteChar(text.get(), 2, &firstByte));
  char output[4];
  Sp_CutStringByByteLen(text.get(), 3, output);
  EXPECT_STREQ(output, "a\x82");
}

TEST(StdFunctionText, ContainsTwoByteOnlyWithinCountedBytes) {
  const std::string text = "ab" + kHiraganaA;
  EXPECT_FALSE(Sp_CheckStringContainTwoByteChar(text.c_str(), 2));
  EXPECT_TRUE(Sp_CheckStringContainTwoByteChar(text.c_str(), 3));
  EXPECT_TRUE(Sp_CheckStringContainTwoByteChar(text.c_str(), -1));
  EXPECT_FALSE(Sp_CheckStringContainTwoByteChar("abc", -1));
  EXPECT_FALSE(Sp_CheckStringContainTwoByteChar("abc", 100));
}

TEST(StdFunctionText, CompareIsSignedAndShorterPrefixIsLess) {
  struct Case {
    const char* first;
    const char* second;
    short result;
  } cases[] = {
      {"abc", "abd", -1}, {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "ab", 1}, {"abc", "abc", 0},
      {"", "", 0},        {"", "a", -1},     {"\x82", "a", -1},  // 0x82 is a negative byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sp_strcmp(c.first, c.second), c.result) << c.first << " / " << c.second;
  }
  EXPECT_TRUE(Sp_DataCmp("abcX", "abcY", 3));
  EXPECT_FALSE(Sp_DataCmp("abcX", "abcY", 4));
}

// ---- Failure records -------------------------------------------------------------------------

TEST(StdFunctionText, NullArgumentsAreLoggedOnce) {
  struct Case {
    const char* method;
    SInt32 code;
    std::function<void()> call;
  } cases[] = {
      {"Sp_CStringToPascalString", 1, [] { Sp_CStringToPascalString(nullptr); }},
      {"Sp_PascalStringToCString", 0, [] { PtoCstr(nullptr); }},
      {"Sp_pStrcpy", 1, [] { Sp_pStrcpy(nullptr, nullptr); }},
      {"Sp_pStrcat", 1, [] { Sp_pStrcat(nullptr, nullptr); }},
      {"Sp_ClearPtr", 1, [] { Sp_ClearPtr(nullptr, 4); }},
      {"Sp_GetSeparateString", 1,
       [] { Sp_GetSeparateString(nullptr, ',', 0, nullptr, 4, nullptr); }},
      {"Sp_CutSuffixControlCodeFromString", 1,
       [] { Sp_CutSuffixControlCodeFromString(nullptr, true, true, true); }},
      {"Sp_CutStringByByteLen", 1, [] { Sp_CutStringByByteLen("a", 1, nullptr); }},
      {"Sp_ChangeToUpperString", 1, [] { Sp_ChangeToUpperString(nullptr, false); }},
      {"Sp_ChangeToLowercaseStringWithFontNo", 1,
       [] { Sp_ChangeToLowercaseStringWithFontNo(nullptr, 0); }},
      {"Sp_IsTwoByteChar", 1, [] { Sp_IsTwoByteChar(nullptr, 0, nullptr); }},
      {"Sp_CheckStringContainTwoByteChar", 1,
       [] { Sp_CheckStringContainTwoByteChar(nullptr, -1); }},
      {"Sp_IsNumberString", 1, [] { Sp_IsNumberString(nullptr); }},
      {"Sp_IsNameString", 1, [] { Sp_IsNameString(nullptr); }},
      {"Sp_IsControlInstructionTitle", 1, [] { Sp_IsControlInstructionTitle(nullptr); }},
      {"Sp_strcmp", 1, [] { Sp_strcmp("a", nullptr); }},
      {"Sp_DataCmp", 1, [] { Sp_DataCmp(nullptr, "a", 1); }},
      {"Sp_DataCmp", 1, [] { Sp_DataCmp("a", "a", 0); }},
  };
  for (const Case& c : cases) {
    ErrorLogCapture log;
    c.call();
    EXPECT_EQ(log.Count(), 1u) << c.method;
    EXPECT_TRUE(log.Has(c.method, c.code)) << c.method;
  }
}
