// The text helpers across encodings: CFStrings, UTF-16, the converter, string tables and
// 'STR#' resources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CFString.h"
#include "ErrorLogCapture.h"
#include "LatinLetters.h"
#include "MacMemory.h"
#include "SpStdFunction.h"
#include "TestResources.h"
#include "TextCommon.h"

namespace {

const std::string kHiraganaA = "\x82\xA0";  // U+3042 in MacJapanese

CFStringRef MakeString(const std::string& macJapanese) {
  return CFStringCreateWithCString(kCFAllocatorDefault, macJapanese.c_str(),
                                   kCFStringEncodingMacJapanese);
}

// Releases a CF object when the test leaves its scope.
struct CFHolder {
  ~CFHolder() { CFRelease(object); }
  CFTypeRef object;
};

}  // namespace

// ---- Reading CFStrings back ----------------------------------------------------------------

TEST(StdFunctionTextEncoding, CharacterMissingFromMacJapaneseFallsThroughTheChain) {
  struct Case {
    UniChar character;
    Boolean result;
    std::string text;
    CFStringEncoding encoding;
  } cases[] = {
      {0x3042, true, kHiraganaA, kCFStringEncodingMacJapanese},
      {0x7E8A, true, "\xFA\x5C", kCFStringEncodingMacJapanese},     // an IBM kanji
      {0xE000, true, "\xF0\x40", kCFStringEncodingDOSJapanese},     // a user-defined character
      {0x4FF1, true, "\x87\x9F", kCFStringEncodingShiftJIS_X0213},  // a third-level kanji
      {0x0B9F, false, "", kCFStringEncodingShiftJIS_X0213},         // in no Japanese set
  };
  for (const Case& c : cases) {
    CFStringRef str = CFStringCreateWithCharacters(kCFAllocatorDefault, &c.character, 1);
    CFHolder hold{str};
    char buffer[8];
    CFStringEncoding encoding = 0;
    EXPECT_EQ(Sp_GetCStringFromCFString(str, buffer, sizeof buffer, &encoding), c.result)
        << std::hex << c.character;
    EXPECT_EQ(std::string(buffer) + " " + std::to_string(encoding),
              c.text + " " + std::to_string(c.encoding));
  }
  // A buffer too small fails and stays terminated.
  CFStringRef str = MakeString("abcdef");
  CFHolder hold{str};
  std::vector<char> buffer{'x', 'y', 'z', 0};
  CFStringEncoding encoding = 0;
  EXPECT_FALSE(Sp_GetCStringFromCFString(str, buffer.data(), 4, &encoding));
  EXPECT_STREQ(buffer.data(), "");
}

TEST(StdFunctionTextEncoding, EmptyCFStringTriesEveryEncodingAndReportsTheLast) {
  CFStringRef empty = MakeString("");
  CFHolder hold{empty};
  char buffer[8] = "junk";
  CFStringEncoding encoding = 0xDEAD;
  EXPECT_TRUE(Sp_GetCStringFromCFString(empty, buffer, sizeof buffer, &encoding));
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(encoding, kCFStringEncodingShiftJIS_X0213);
}

TEST(StdFunctionTextEncoding, UnicodeToCStringKeepsEncodingOnlyForText) {
  const UniChar characters[] = {'a', 0x3042};
  char buffer[16];
  CFStringEncoding encoding = 0xDEAD;
  EXPECT_TRUE(Sp_UnicodeToCString(characters, 2, buffer, sizeof buffer, &encoding));
  EXPECT_EQ(std::string(buffer), "a" + kHiraganaA);
  EXPECT_EQ(encoding, kCFStringEncodingMacJapanese);

  encoding = 0xDEAD;
  EXPECT_TRUE(Sp_UnicodeToCString(characters, 0, buffer, sizeof buffer, &encoding));
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(encoding, 0xDEADu);
}

// A name the catalogue gives reads as the program's text: a letter MacJapanese lacks as its
// plain letter whether the name holds it composed or decomposed, never as the bytes of
// another Japanese encoding (Shift-JIS X0213 has "\u00E9" at a code MacJapanese reads as
// U+2778).
TEST(StdFunctionTextEncoding, NamesShowEveryLatinLetterMacJapaneseLacksAsItsPlainLetter) {
  const auto& letters = sp_testing::LatinLettersMacJapaneseLacks();
  ASSERT_EQ(letters.size(), 0x180u - 0xC0u - 2u);
  auto shown = [](const std::u16string& name) {
    char buffer[64] = "junk";
    const std::vector<UniChar> units(name.begin(), name.end());
    EXPECT_TRUE(Sp_UnicodeNameToCString(units.data(), SInt32(units.size()), buffer, sizeof buffer));
    return std::string(buffer);
  };
  for (const auto& letter : letters) {
    SCOPED_TRACE(std::to_string(int(letter.composed)));
    const std::string plain = "Caf" + letter.plain + " test.wav";
    EXPECT_EQ(shown(u"Caf" + std::u16string(1, letter.composed) + u" test.wav"), plain);
    EXPECT_EQ(shown(u"Caf" + letter.decomposed + u" test.wav"), plain);
  }
  // MacJapanese's own characters stay; what it lacks and no letter becomes '?'.
  EXPECT_EQ(shown(u"\u00D7\u3042\u4FF1\U0001F3B5.aif"), "\x81\x7E" + kHiraganaA + "??.aif");
}

// The name and its terminator fit the buffer, or nothing is given.
TEST(StdFunctionTextEncoding, ANameThatDoesNotFitLeavesTheBufferEmpty) {
  const UniChar name[] = {'C', 'a', 'f', 0x00E9};
  char buffer[8] = "junk";
  EXPECT_TRUE(Sp_UnicodeNameToCString(name, 4, buffer, 5));
  EXPECT_STREQ(buffer, "Cafe");
  std::strcpy(buffer, "junk");
  EXPECT_FALSE(Sp_UnicodeNameToCString(name, 4, buffer, 4));
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(Sp_UnicodeNameToCString(name, -1, buffer, 4));
  EXPECT_STREQ(buffer, "");
}

// ---- Converting to other encodings ---------------------------------------------------------

TEST(StdFunctionTextEncoding, EncodingStringKeepsZeroBytesOfLastCharacter) {
  struct Case {
    std::string text;
    CFStringEncoding target;
    short pad;
    std::vector<UInt8> bytes;  // the converted bytes, then the pad
    SInt32 characters;
  } cases[] = {
      // Little-endian UTF-16: every ASCII character ends in a zero byte.
      {"AB", kCFStringEncodingUTF16LE, 2, {0x41, 0, 0x42, 0, 0, 0}, 2},
      {"AB", kCFStringEncodingUTF16LE, 0, {0x41, 0, 0x42, 0}, 2},
      // The full-width space U+3000 ends in a zero byte too.
      {"\x81\x40", kCFStringEncodingUTF16LE, 2, {0x00, 0x30, 0, 0}, 1},
      {"A", kCFStringEncodingUnicode, 1, {0x41, 0, 0}, 1},
      {kHiraganaA, kCFStringEncodingUTF8, 1, {0xE3, 0x81, 0x82, 0}, 1},
      {"x", kCFStringEncodingUTF32LE, 0, {0x78, 0, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    char* block = nullptr;
    SInt32 characters = -1, length = -1;
    ASSERT_TRUE(Sp_CStringToEncodingString(c.text.c_str(), kCFStringEncodingMacJapanese, c.target,
                                           '?', c.pad, &block, &characters, &length));
    EXPECT_EQ(std::vector<UInt8>(block, block + length), c.bytes) << c.text;
    EXPECT_EQ(characters, c.characters) << c.text;
    EXPECT_GE(GetPtrSize(block), Size(c.bytes.size() + 4));
    DisposePtr(block);
  }
}

// ---- String tables and resources -----------------------------------------------------------

TEST(StdFunctionTextEncoding, ResourceStringIsZeroTerminated) {
  sp_testing::ResetResources();
  ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("STR#"), 500,
                                       sp_testing::MakeStringList({"first", "second", ""})),
            noErr);
  struct Case {
    short index;
    Boolean found;
    const char* text;
  } cases[] = {{2, true, "second"}, {1, true, "first"}, {3, false, ""}, {4, false, ""},
               {0, false, ""},      {-1, false, ""}};  // -1: the first of a list that is not there
  for (const Case& c : cases) {
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(Sp_GetResourceIndexString(buffer, c.index < 0 ? 501 : 500, c.index < 0 ? 1 : c.index),
              c.found);
    EXPECT_STREQ(buffer, c.text) << c.index;
  }
  sp_testing::ResetResources();
}
