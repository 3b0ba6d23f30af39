#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TextEncodingConverter.h"

namespace {

struct Result {
  OSStatus status;
  ByteCount inputUsed;
  std::string output;
  UInt8 firstUnwritten;
};

Result Convert(TextEncoding from, TextEncoding to, const std::string& input, ByteCount outputSize) {
  TECObjectRef converter = nullptr;
  EXPECT_EQ(TECCreateConverter(&converter, from, to), noErr);
  UInt8 buffer[64];
  std::memset(buffer, 0xEE, sizeof buffer);
  ByteCount inUsed = 999;
  ByteCount outUsed = 999;
  const OSStatus status = TECConvertText(converter, reinterpret_cast<ConstTextPtr>(input.data()),
                                         input.size(), &inUsed, buffer, outputSize, &outUsed);
  EXPECT_EQ(TECDisposeConverter(converter), noErr);
  return {status, inUsed, std::string(reinterpret_cast<char*>(buffer), outUsed), buffer[outUsed]};
}

// "アイ" in host-order UTF-16.
const std::string kAI("\xA2\x30\xA4\x30", 4);

}  // namespace

TEST(TextEncodingConverter, ConvertsWithoutTerminatingZero) {
  const Result r = Convert(kTextEncodingUnicodeDefault, kTextEncodingMacJapanese, kAI, 8);
  EXPECT_EQ(r.status, noErr);
  EXPECT_EQ(r.inputUsed, 4u);
  EXPECT_EQ(r.output, "\x83\x41\x83\x43");
  EXPECT_EQ(r.firstUnwritten, 0xEE);
}

TEST(TextEncodingConverter, SmallOutputKeepsWhatFitsOnACharacterBoundary) {
  const Result r = Convert(kTextEncodingUnicodeDefault, kTextEncodingMacJapanese, kAI, 3);
  EXPECT_EQ(r.status, kTECOutputBufferFullStatus);
  EXPECT_EQ(r.inputUsed, 2u);
  EXPECT_EQ(r.output, "\x83\x41");
  EXPECT_EQ(r.firstUnwritten, 0xEE);  // half a character is never written
}

TEST(TextEncodingConverter, StopsAtAnUnmappableCharacter) {
  const std::string input("a\x00\x02\x4E", 4);  // "a丂"
  const Result r = Convert(kTextEncodingUnicodeDefault, kTextEncodingMacJapanese, input, 8);
  EXPECT_EQ(r.status, kTECUnmappableElementErr);
  EXPECT_EQ(r.inputUsed, 2u);
  EXPECT_EQ(r.output, "a");
}

TEST(TextEncodingConverter, ReportsMalformedAndCutInput) {
  Result r = Convert(kTextEncodingMacJapanese, kTextEncodingUTF8, "a\x82\x7F", 16);
  EXPECT_EQ(r.status, kTextMalformedInputErr);
  EXPECT_EQ(r.inputUsed, 1u);
  EXPECT_EQ(r.output, "a");
  r = Convert(kTextEncodingMacJapanese, kTextEncodingUTF8, "a\x82", 16);
  EXPECT_EQ(r.status, kTECPartialCharErr);
  EXPECT_EQ(r.inputUsed, 1u);
}

// The Mac's circled ideographs are a base and a combining mark in Unicode: two input
// characters, one output code.
TEST(TextEncodingConverter, JoinsBaseAndCombiningMarkIntoOneCode) {
  const Result r =
      Convert(kTextEncodingUTF8, kTextEncodingMacJapanese, "\xE5\xA4\xA7\xE2\x83\x9D", 8);
  EXPECT_EQ(r.status, noErr);
  EXPECT_EQ(r.inputUsed, 6u);
  EXPECT_EQ(r.output, "\x87\x91");
}

TEST(TextEncodingConverter, RefusesUnknownEncodingsAndNullArguments) {
  TECObjectRef converter = reinterpret_cast<TECObjectRef>(1);
  EXPECT_EQ(TECCreateConverter(&converter, 0x0BFF, kTextEncodingMacJapanese),
            kTECNoConversionPathErr);
  EXPECT_EQ(converter, nullptr);
  EXPECT_EQ(TECCreateConverter(nullptr, 0, 1), paramErr);
  ByteCount in = 0;
  ByteCount out = 0;
  UInt8 buffer[4];
  EXPECT_EQ(TECConvertText(nullptr, buffer, 1, &in, buffer, 4, &out), paramErr);
  EXPECT_EQ(TECDisposeConverter(nullptr), paramErr);
}

// One input code that reads as several characters is converted whole or not at all, so a
// caller that continues after a full buffer neither loses nor repeats text.
TEST(TextEncodingConverter, NeverReportsHalfOfOneInputCharacter) {
  const Result r = Convert(kTextEncodingMacJapanese, kTextEncodingUTF8, "a\x87\xFB", 7);
  EXPECT_EQ(r.status, kTECOutputBufferFullStatus);
  EXPECT_EQ(r.inputUsed, 1u);
  EXPECT_EQ(r.output, "a");
}
