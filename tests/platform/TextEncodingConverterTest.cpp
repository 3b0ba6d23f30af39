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

namespace {

// Converts `input` in calls whose output room is `room` bytes, each call given the input not
// yet used, as a caller feeding a buffer does; the status of the last call.
OSStatus ConvertInPieces(TECObjectRef converter, const std::string& input, ByteCount room,
                         std::string* output, int* calls = nullptr) {
  std::string buffer(room, '\0');
  ByteCount done = 0;
  OSStatus status = noErr;
  for (int n = 1;; ++n) {
    ByteCount used = 0, written = 0;
    status = TECConvertText(converter, reinterpret_cast<ConstTextPtr>(input.data()) + done,
                            input.size() - done, &used,
                            reinterpret_cast<TextPtr>(&buffer[0]), room, &written);
    output->append(buffer, 0, written);
    done += used;
    if (calls != nullptr) *calls = n;
    if (status != kTECOutputBufferFullStatus || (used == 0 && written == 0)) return status;
  }
}

std::string ConvertWhole(TextEncoding from, TextEncoding to, const std::string& input,
                         ByteCount room, OSStatus* status) {
  TECObjectRef converter = nullptr;
  EXPECT_EQ(TECCreateConverter(&converter, from, to), noErr);
  std::string out;
  *status = ConvertInPieces(converter, input, room, &out);
  TECDisposeConverter(converter);
  return out;
}

}  // namespace

// Host-order Unicode input may open with a byte-order mark: it names the order of the whole
// conversion and is no character. Explicit orders have no mark; later in the text, and in the
// later calls of a conversion fed in pieces, U+FEFF is a character.
TEST(TextEncodingConverter, AByteOrderMarkOpensAHostOrderConversionOnly) {
  const std::string kBE("\xFE\xFF", 2), kLE("\xFF\xFE", 2);
  const std::string kZwnbsp = "\xEF\xBB\xBF";  // U+FEFF in UTF-8
  const struct {
    TextEncoding from;
    std::string input;
    ByteCount room;
    std::string output;
    const char* why;
  } cases[] = {
      {kTextEncodingUTF16, kBE + std::string("\x00" "a\x30\xA2", 4), 16, "a\xE3\x82\xA2",
       "big-endian mark"},
      {kTextEncodingUTF16, kLE + std::string("a\x00\xA2\x30", 4), 16, "a\xE3\x82\xA2",
       "little-endian mark"},
      {kTextEncodingUTF16, std::string("a\x00", 2), 16, "a", "no mark: host order"},
      {kTextEncodingUTF16, kLE, 16, "", "a mark alone is no text"},
      {kTextEncodingUTF32, std::string("\x00\x00\xFE\xFF\x00\x00\x00" "a", 8), 16, "a",
       "UTF-32 mark"},
      {kTextEncodingUTF16LE, kLE + std::string("a\x00", 2), 16, kZwnbsp + "a",
       "an explicit order takes no mark"},
      {kTextEncodingUTF16, kBE + kBE + std::string("\x00" "a", 2), 16, kZwnbsp + "a",
       "a second mark is a character"},
      {kTextEncodingUTF16, kBE + std::string("\x00" "a\x00" "b", 4) + kBE + std::string("\x00" "c", 2),
       3, "ab" + kZwnbsp + "c", "a later call that starts at U+FEFF keeps it"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    OSStatus status = 1;
    EXPECT_EQ(ConvertWhole(c.from, kTextEncodingUTF8, c.input, c.room, &status), c.output);
    EXPECT_EQ(status, noErr);
  }
}

// The byte order a mark chose holds until the conversion is flushed; the next conversion
// looks for a mark of its own.
TEST(TextEncodingConverter, FlushingEndsTheConversionAndItsByteOrder) {
  TECObjectRef converter = nullptr;
  ASSERT_EQ(TECCreateConverter(&converter, kTextEncodingUTF16, kTextEncodingUTF8), noErr);
  std::string out;
  EXPECT_EQ(ConvertInPieces(converter, std::string("\xFE\xFF\x00" "a", 4), 16, &out), noErr);
  EXPECT_EQ(ConvertInPieces(converter, std::string("\x00" "b", 2), 16, &out), noErr)
      << "the next piece keeps the big-endian order";
  ByteCount flushed = 9;
  EXPECT_EQ(TECFlushText(converter, nullptr, 0, &flushed), noErr);
  EXPECT_EQ(flushed, 0u);
  EXPECT_EQ(ConvertInPieces(converter, std::string("c\x00", 2), 16, &out), noErr)
      << "a new conversion without a mark is in host order";
  EXPECT_EQ(out, "abc");
  EXPECT_EQ(TECDisposeConverter(converter), noErr);
}

// A caller with a small output buffer feeds the rest of its input on every call. Each call
// reads only what it converts: were the whole rest read each time, its 65,536 calls would read
// some 4 * 10^9 characters and the test would not end.
TEST(TextEncodingConverter, ALongTextFedThroughASmallBufferIsReadOnce) {
  std::string input;
  for (int i = 0; i < 128 * 1024; ++i) input += i % 3 == 0 ? "\x83\x41" : "a";
  TECObjectRef converter = nullptr;
  ASSERT_EQ(TECCreateConverter(&converter, kTextEncodingMacJapanese, kTextEncodingUTF8), noErr);
  std::string out;
  int calls = 0;
  EXPECT_EQ(ConvertInPieces(converter, input, 4, &out, &calls), noErr);
  EXPECT_EQ(out.size(), std::size_t(128 * 1024 / 3 + 1) * 3 + (128 * 1024 - (128 * 1024 / 3 + 1)));
  EXPECT_GT(calls, 40000);
  TECDisposeConverter(converter);
}
