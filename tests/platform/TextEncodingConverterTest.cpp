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
  UInt8 pastTheRoom;
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
  return {status, inUsed, std::string(reinterpret_cast<char*>(buffer), outUsed), buffer[outUsed],
          buffer[outputSize]};
}

// "アイ" in host-order UTF-16.
const std::string kAI("\xA2\x30\xA4\x30", 4);

}  // namespace

// Output is never terminated, never holds half a character, and what was used of the input
// is exactly what the output holds, so a caller that goes on neither loses nor repeats text.
TEST(TextEncodingConverter, StopsOnCharacterBoundariesAndReportsWhy) {
  const TextEncoding kUTF16 = kTextEncodingUnicodeDefault, kMac = kTextEncodingMacJapanese;
  const struct {
    TextEncoding from, to;
    std::string input;
    ByteCount room;
    OSStatus status;
    ByteCount inputUsed;
    std::string output;
    const char* why;
    bool scratchPastOutput = false;  // bytes past the output but inside the room may change
  } cases[] = {
      {kUTF16, kMac, kAI, 8, noErr, 4, "\x83\x41\x83\x43", "room to spare, no zero added"},
      {kUTF16, kMac, kAI, 4, noErr, 4, "\x83\x41\x83\x43", "exactly enough room"},
      {kUTF16, kMac, kAI, 3, kTECOutputBufferFullStatus, 2, "\x83\x41", "half a character short"},
      {kUTF16, kMac, std::string("a\x00\x02\x4E", 4), 8, kTECUnmappableElementErr, 2, "a",
       "stops at a character MacJapanese lacks"},
      {kMac, kTextEncodingUTF8, "a\x82\x7F", 16, kTextMalformedInputErr, 1, "a", "malformed"},
      {kMac, kTextEncodingUTF8, "a\x82", 16, kTECPartialCharErr, 1, "a", "cut in a character"},
      {kTextEncodingUTF8, kMac, "\xE5\xA4\xA7\xE2\x83\x9D", 8, noErr, 6, "\x87\x91",
       "a base and its combining mark become one Mac code"},
      {kMac, kTextEncodingUTF8, "a\x87\xFB", 7, kTECOutputBufferFullStatus, 1, "a",
       "one code reading as several characters is converted whole or not at all", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const Result r = Convert(c.from, c.to, c.input, c.room);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.inputUsed, c.inputUsed);
    EXPECT_EQ(r.output, c.output);
    EXPECT_EQ(r.pastTheRoom, 0xEE);
    if (!c.scratchPastOutput) {
      EXPECT_EQ(r.firstUnwritten, 0xEE) << "half a character is never written";
    }
  }
}

TEST(TextEncodingConverter, RefusesUnknownEncodingsAndNullArguments) {
  TECObjectRef converter = reinterpret_cast<TECObjectRef>(1);
  EXPECT_EQ(TECCreateConverter(&converter, 0x0BFF, kTextEncodingMacJapanese),
            kTECNoConversionPathErr);
  EXPECT_EQ(converter, nullptr);
  EXPECT_EQ(TECCreateConverter(nullptr, 0, 1), paramErr);
  ByteCount in = 0, out = 0;
  UInt8 buffer[4];
  EXPECT_EQ(TECConvertText(nullptr, buffer, 1, &in, buffer, 4, &out), paramErr);
  EXPECT_EQ(TECDisposeConverter(nullptr), paramErr);
}
