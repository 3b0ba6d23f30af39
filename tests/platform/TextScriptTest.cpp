#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Script.h"
#include "TextUtils.h"

namespace {

std::string Changed(const std::string& text, bool upper) {
  std::string buffer = text;
  if (upper) {
    UppercaseText(&buffer[0], SInt16(buffer.size()), smSystemScript);
  } else {
    LowercaseText(&buffer[0], SInt16(buffer.size()), smJapanese);
  }
  return buffer;
}

}  // namespace

// Second bytes 0x40-0x7E look like ASCII; changing them would turn one kanji into another.
TEST(ScriptCase, LeavesSecondBytesThatLookLikeLettersAloneButRomanScriptChangesEveryLetter) {
  struct Case {
    std::string text;
    std::string upper;
    std::string lower;
  } cases[] = {
      {"\x82\x61", "\x82\x61", "\x82\x61"},  // full-width B, second byte 'a'
      {"\x83\x61", "\x83\x61", "\x83\x61"},  // katakana di, second byte 'a'
      {"\x83\x41", "\x83\x41", "\x83\x41"},  // katakana a, second byte 'A'
      {"a\x82\x61z", "A\x82\x61Z", "a\x82\x61z"},
      {"Q\x83\x5A\x83\x7A", "Q\x83\x5A\x83\x7A", "q\x83\x5A\x83\x7A"},
      {"\xB1x\x5C", "\xB1X\x5C", "\xB1x\x5C"},  // half-width katakana and yen are single
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Changed(c.text, true), c.upper);
    EXPECT_EQ(Changed(c.text, false), c.lower);
  }

  char text[] = "\x82\x61\x62";
  UppercaseText(text, 3, smRoman);
  EXPECT_STREQ(text, "\x82\x41\x42");
  unsigned char s[8] = {3, 'a', 0x82, 0x61, 'b', 'c', 0, 0};
  UpperString(s, false);
  const unsigned char expected[8] = {3, 'A', 0x82, 0x61, 'b', 'c', 0, 0};
  EXPECT_EQ(std::memcmp(s, expected, 8), 0);
}

// The byte type must be found by walking from the start: a second byte can have the value
// of a first byte.
TEST(ScriptBytes, ByteTypeWalksFromTheStart) {
  struct Case {
    std::string text;
    SInt16 offset;
    SInt16 expected;
  } cases[] = {
      {"\x82\xA0", 1, smLastByte},  // a two-byte window with offset 1
      {"\x82\xA0", 0, smFirstByte},
      {"a\x82\xA0", 1, smFirstByte},
      {"a\x82\xA0", 2, smLastByte},
      {"\x88\x88\x88\x9F", 1, smLastByte},  // 0x88 as a second byte
      {"\x88\x88\x88\x9F", 2, smFirstByte},
      {"\x88\x88\x88\x9F", 3, smLastByte},
      {"\xB1\x82\xA0", 0, smSingleByte},  // half-width katakana
      {"\x9F\x40", 0, smFirstByte},       // the last lead byte of the first range
      {"\xA0\x40", 0, smSingleByte},      // one past it
      {"\xE0\x40", 0, smFirstByte},       // the first lead byte of the second range
  };
  for (const Case& c : cases) {
    std::string buffer = c.text;
    EXPECT_EQ(CharacterByteType(&buffer[0], c.offset, smJapanese), c.expected)
        << "offset " << c.offset;
  }
  char roman[] = "\x82\xA0";
  EXPECT_EQ(CharacterByteType(roman, 1, smRoman), smSingleByte);
}

TEST(ScriptTypes, ClassifiesByTheOneTable) {
  struct Case {
    std::string text;
    SInt16 offset;
    UInt16 expected;
  } cases[] = {
      {"A", 0, smCharAscii | smCharUpper},
      {"a", 0, smCharAscii},
      {"5", 0, smCharPunct | smPunctNumber},
      {" ", 0, smCharPunct | smPunctBlank},
      {",", 0, smCharPunct | smPunctNormal},
      {"\x5C", 0, smCharPunct | smPunctSymbol},
      {"\xB1", 0, smCharKatakana},
      {"\xA7", 0, smCharKatakana | smKanaSmall},
      {"\xA6", 0, smCharKatakana},  // the small kana run from 0xA7 to 0xAF
      {"\xAF", 0, smCharKatakana | smKanaSmall},
      {"\xB0", 0, smCharKatakana},
      {"\x82\xA0", 0, smChar2byte | smCharHiragana},
      {"\x82\x9F", 0, smChar2byte | smCharHiragana | smKanaSmall},
      {"\x82\xA0", 1, smChar2byte | smCharHiragana},  // the second byte of the same character
      {"\x83\x41", 0, smChar2byte | smCharKatakana},
      {"\x83\x62", 0, smChar2byte | smCharKatakana | smKanaSmall},
      {"\x82\x60", 0, smChar2byte | smCharAscii | smCharUpper},
      {"\x82\x81", 0, smChar2byte | smCharAscii},
      {"\x82\x4F", 0, smChar2byte | smCharPunct | smPunctNumber},
      {"\x81\x40", 0, smChar2byte | smCharPunct | smPunctBlank},
      {"\x81\x58", 0, smChar2byte | smCharPunct | smPunctRepeat},
      {"\x83\x9F", 0, smChar2byte | smCharTwoByteGreek | smCharUpper},
      {"\x84\x70", 0, smChar2byte | smCharTwoByteRussian},
      {"\x88\x9F", 0, smChar2byte | smCharIdeographic | smIdeographicLevel1},
      {"\x98\x9F", 0, smChar2byte | smCharIdeographic | smIdeographicLevel2},
      {"\xEB\x41", 0, smChar2byte | smCharVertical | smCharPunct | smPunctNormal},
      {"\xEC\x9F", 0, smChar2byte | smCharVertical | smCharHiragana | smKanaSmall},
  };
  for (const Case& c : cases) {
    std::string buffer = c.text;
    EXPECT_EQ(UInt16(CharacterType(&buffer[0], c.offset, smJapanese)), c.expected)
        << "text byte " << std::hex << int(UInt8(c.text[0])) << " offset " << c.offset;
  }
}

TEST(TextUtils, NumbersAndPascalStringsConvertDigitByDigitWithoutOverflow) {
  const struct {
    SInt32 value;
    std::string text;
    bool written;  // NumToString writes this text for the value
  } cases[] = {
      {0, "0", true},
      {-7, "-7", true},
      {2147483647, "2147483647", true},
      {-2147483647 - 1, "-2147483648", true},  // its magnitude does not fit in SInt32
      {12, "+12", false},
      {0, "-0", false},
      {169, "12a", false},  // 'a' counts as 'a' - '0' = 49, as the toolbox did
      {0, "", false},
      {1215752191, "99999999999", false},  // wraps at 32 bits instead of overflowing
      {0, "-", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Str255 s;
    std::memset(s, 0xEE, sizeof s);
    NumToString(c.value, s);
    const std::string written(reinterpret_cast<char*>(s + 1), s[0]);
    EXPECT_TRUE(!c.written || written == c.text) << written;
    s[0] = UInt8(c.text.size());
    std::memcpy(s + 1, c.text.data(), c.text.size());
    SInt32 back = 1;
    StringToNum(s, &back);
    EXPECT_EQ(back, c.value);
  }
}
