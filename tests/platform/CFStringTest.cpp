#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CFString.h"

namespace {

using namespace std::string_literals;  // "..."s keeps zero bytes

// Owns one reference for the length of a test.
struct Owned {
  explicit Owned(CFTypeRef r) : ref(static_cast<CFStringRef>(r)) {}
  ~Owned() { CFRelease(ref); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  CFStringRef ref;
};

CFStringRef Str(const std::u16string& s) {
  return CFStringCreateWithCharacters(nullptr, reinterpret_cast<const UniChar*>(s.data()),
                                      CFIndex(s.size()));
}

std::u16string Chars(CFStringRef s) {
  std::u16string out(std::size_t(CFStringGetLength(s)), u'\0');
  CFStringGetCharacters(s, CFRangeMake(0, CFIndex(out.size())),
                        reinterpret_cast<UniChar*>(&out[0]));
  return out;
}

// Callers tell "not text in this encoding" (NULL) apart from "empty" (a string).
TEST(CFString, CreationFailsOnInvalidBytesButNotOnEmptyText) {
  const struct {
    const char* bytes;
    CFStringEncoding encoding;
    bool created;
  } cases[] = {
      {"", kCFStringEncodingMacJapanese, true},
      {"\x83\x41", kCFStringEncodingMacJapanese, true},
      {"\x83", kCFStringEncodingMacJapanese, false},
      {"\xF0\x40", kCFStringEncodingMacJapanese, false},
      {"\xF0\x40", kCFStringEncodingDOSJapanese, true},  // user-defined row in code page 932
      {"\xE3\x81", kCFStringEncodingUTF8, false},
      {"\x80", kCFStringEncodingASCII, false},
      {"abc", 0x0BFF, false},  // an encoding the layer does not know
      {nullptr, kCFStringEncodingUTF8, false},
  };
  for (const auto& c : cases) {
    Owned s(CFStringCreateWithCString(nullptr, c.bytes, c.encoding));
    EXPECT_EQ(s.ref != nullptr, c.created) << (c.bytes ? c.bytes : "(null)");
  }
}

// The room includes the terminator; on failure an empty string is left, which the program's
// fallback through the encodings checks. 'x' marks bytes not written.
TEST(CFString, GetCStringNeedsRoomForTheTerminatorAndTheWholeText) {
  const struct {
    std::u16string text;
    CFStringEncoding encoding;
    CFIndex room;
    bool ok;
    std::string buffer;  // its first bytes afterwards
  } cases[] = {
      {u"\u30A2b", kCFStringEncodingMacJapanese, 4, true,
       "\x83\x41"
       "b\0x"s},
      {u"\u30A2b", kCFStringEncodingMacJapanese, 3, false, "\0xxx"s},
      {u"\u30A2b", kCFStringEncodingMacJapanese, 0, false, "xxxx"},
      {u"\u9AD9", kCFStringEncodingMacJapanese, 8, true, "\xFB\xFC\0"s},  // IBM kanji
      {u"\u9AD9", kCFStringEncodingShiftJIS, 8, false, "\0x"s},
      {u"\u9AD9", kCFStringEncodingDOSJapanese, 8, true, "\xFB\xFC\0"s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.buffer);
    Owned s(Str(c.text));
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(bool(CFStringGetCString(s.ref, buffer, c.room, c.encoding)), c.ok);
    EXPECT_EQ(std::string(buffer, c.buffer.size()), c.buffer);
  }
  // A Pascal string needs room for its length byte as well.
  Owned ab(Str(u"ab"));
  unsigned char pascal[4] = {9, 'x', 'x', 'x'};
  EXPECT_FALSE(CFStringGetPascalString(ab.ref, pascal, 2, kCFStringEncodingMacJapanese));
  EXPECT_EQ(pascal[0], 0);
  EXPECT_TRUE(CFStringGetPascalString(ab.ref, pascal, 3, kCFStringEncodingMacJapanese));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(pascal), 3), "\x02" "ab");
}

// Returns the characters converted; `used` the bytes they took; 0xEE marks bytes not written.
TEST(CFString, GetBytesConvertsWholeCharactersIntoTheRoomThereIs) {
  const struct {
    std::u16string text;
    CFStringEncoding encoding;
    UInt8 lossByte;
    bool mark;
    CFIndex room;  // 0: no buffer, only count
    CFIndex converted, used;
    std::string bytes;
    const char* why;
  } cases[] = {
      {u"a\u4E02b", kCFStringEncodingMacJapanese, '?', false, 8, 3, 3, "a?b", "the loss byte"},
      {u"a\u4E02b", kCFStringEncodingMacJapanese, 0, false, 8, 1, 1, "a", "no loss byte: stops"},
      {u"\u30A2a\u30A4", kCFStringEncodingMacJapanese, 0, false, 0, 3, 5, "", "only counting"},
      {u"\u30A2\u30A4", kCFStringEncodingMacJapanese, 0, false, 4, 2, 4, "\x83\x41\x83\x43",
       "exactly the room"},
      {u"\u30A2\u30A4", kCFStringEncodingMacJapanese, 0, false, 3, 1, 2, "\x83\x41\xEE",
       "never half a character"},
      {u"a\U0001F600", kCFStringEncodingUnicode, 0, false, 16, 3, 6, "a", "units, not characters"},
      {u"a\U0001F600", kCFStringEncodingUnicode, 0, true, 16, 3, 8,
       "\xFF\xFE"
       "a",
       "a host-order mark when asked"},
      {u"\U0001F600", kCFStringEncodingUTF8, '?', false, 16, 1, 1, "?",
       "half a surrogate pair is unmappable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Owned s(Str(c.text));
    UInt8 buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    CFIndex used = -1;
    const CFIndex length = c.encoding == kCFStringEncodingUTF8 ? 1 : CFIndex(c.text.size());
    EXPECT_EQ(CFStringGetBytes(s.ref, CFRangeMake(0, length), c.encoding, c.lossByte, c.mark,
                               c.room == 0 ? nullptr : buffer, c.room, &used),
              c.converted);
    EXPECT_EQ(used, c.used);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.bytes.size()), c.bytes);
  }
}

TEST(CFString, CreateWithBytesHonoursTheByteOrderMark) {
  const struct {
    std::string bytes;
    bool external;  // unmarked text is big-endian; else host order
  } cases[] = {
      {"\xFE\xFF\x30\xA2"s, false},
      {"\xFF\xFE\xA2\x30"s, true},
      {"\xA2\x30"s, false},
      {"\x30\xA2"s, true},
  };
  for (const auto& c : cases) {
    Owned s(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(c.bytes.data()),
                                    CFIndex(c.bytes.size()), kCFStringEncodingUnicode, c.external));
    ASSERT_NE(s.ref, nullptr);
    EXPECT_EQ(Chars(s.ref), u"\u30A2");
  }
  EXPECT_EQ(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>("abc"), 3,
                                    kCFStringEncodingUnicode, false),
            nullptr);  // an odd number of bytes
}

TEST(CFString, MutableStringsAppendAndKeepTheirLimit) {
  Owned m(CFStringCreateMutable(nullptr, 4));
  CFMutableStringRef s = const_cast<CFMutableStringRef>(m.ref);
  CFStringAppendCString(s, "ab", kCFStringEncodingASCII);
  CFStringAppendCString(s, "\x83", kCFStringEncodingMacJapanese);  // not text: nothing added
  CFStringAppend(s, s);
  CFStringAppendCString(s, "c", kCFStringEncodingASCII);  // past the limit
  EXPECT_EQ(Chars(s), u"abab");
  Owned c(CFStringCreateWithCString(nullptr, "x", kCFStringEncodingASCII));
  CFStringAppendCString(const_cast<CFMutableStringRef>(c.ref), "y", kCFStringEncodingASCII);
  EXPECT_EQ(CFStringGetLength(c.ref), 1) << "immutable strings do not change";
  Owned sub(CFStringCreateWithSubstring(nullptr, CFSTR("abcdef"), CFRangeMake(2, 3)));
  EXPECT_EQ(Chars(sub.ref), u"cde");
  EXPECT_EQ(CFStringCreateWithSubstring(nullptr, CFSTR("abcdef"), CFRangeMake(4, 3)), nullptr);
  EXPECT_EQ(CFStringCreateWithSubstring(nullptr, CFSTR("abcdef"), CFRangeMake(-1, 1)), nullptr);
}

TEST(CFString, CompareFindAndIntValue) {
  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), 0), kCFCompareGreaterThan);
  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), kCFCompareCaseInsensitive),
            kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("ab"), CFSTR("abc"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("track 9"), CFSTR("track 10"), kCFCompareNumerically),
            kCFCompareLessThan);
  EXPECT_EQ(CFStringFind(CFSTR("a.b.c"), CFSTR("."), kCFCompareBackwards).location, 3);
  EXPECT_EQ(CFStringFind(CFSTR("abc"), CFSTR("x"), 0).location, kCFNotFound);
  EXPECT_TRUE(CFStringHasSuffix(CFSTR("name.aiff"), CFSTR(".aiff")));
  EXPECT_EQ(CFStringGetIntValue(CFSTR("  -42x")), -42);
  EXPECT_EQ(CFStringGetIntValue(CFSTR("99999999999999999999")), 2147483647);
}

TEST(CFString, CopiesAndLentPointers) {
  Owned m(CFStringCreateMutableCopy(nullptr, 0, CFSTR("abc")));
  EXPECT_EQ(CFStringGetCStringPtr(m.ref, kCFStringEncodingUTF8), nullptr);
  Owned copy(CFStringCreateCopy(nullptr, m.ref));
  ASSERT_NE(copy.ref, m.ref);
  EXPECT_STREQ(CFStringGetCStringPtr(copy.ref, kCFStringEncodingUTF8), "abc");
  EXPECT_TRUE(CFEqual(copy.ref, m.ref));
  EXPECT_EQ(CFHash(copy.ref), CFHash(m.ref));
  EXPECT_EQ(CFStringGetCharactersPtr(CFSTR("")), nullptr);
  CFStringRef constant = CFSTR("constant");  // constant strings survive any number of releases
  CFRelease(constant);
  CFRelease(constant);
  EXPECT_EQ(CFStringGetLength(CFSTR("constant")), 8);
  CFRelease(nullptr);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingMacJapanese), 20);
}

}  // namespace
