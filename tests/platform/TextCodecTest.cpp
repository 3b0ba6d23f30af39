#include <gtest/gtest.h>

#include <string>

#include "SpTextCodec.h"
#include "TextCommon.h"

using sp::text::DecodeToUTF16;
using sp::text::EncodeFromUTF16;

namespace {

using namespace std::string_literals;  // "..."s keeps zero bytes

std::u16string Decode(TextEncoding e, const std::string& bytes, bool* ok = nullptr) {
  std::u16string out;
  const bool r = DecodeToUTF16(e, bytes.data(), bytes.size(), out);
  if (ok != nullptr) *ok = r;
  return out;
}

std::string Encode(TextEncoding e, const std::u16string& chars, UInt8 lossByte, bool* ok) {
  std::string out;
  *ok = EncodeFromUTF16(e, chars.data(), chars.size(), lossByte, out);
  return out;
}

}  // namespace

// The places where MacJapanese differs from code page 932, and the Mac's own rows.
TEST(MacJapaneseCodec, SpecialCodesReadAndWriteAsTheMacDid) {
  struct Case {
    const char* bytes;
    std::u16string text;
    const char* writtenBack;               // nullptr: the same bytes
    const char16_t* dosReading = nullptr;  // where code page 932 reads it otherwise
  } cases[] = {
      {"\x5C", u"\u00A5", nullptr, u"\\"},          // yen sign, not the backslash
      {"\x80", u"\\", nullptr},                     // the backslash lives here
      {"\xA0", u"\u00A0", nullptr},                 // no-break space
      {"\xFD", u"\u00A9", nullptr},                 // copyright
      {"\xFE", u"\u2122", nullptr},                 // trade mark
      {"\xFF", u"\u2026", "\x81\x63"},              // one-byte ellipsis: written as the JIS one
      {"\x81\x60", u"\u301C", nullptr, u"\uFF5E"},  // wave dash (not the full-width tilde)
      {"\x81\x61", u"\u2016", nullptr},             // double vertical line
      {"\x81\x7C", u"\u2212", nullptr},             // minus sign
      {"\x81\x5C", u"\u2014", nullptr},             // em dash
      {"\x81\x91", u"\u00A2", nullptr},             // cent
      {"\x81\x92", u"\u00A3", nullptr},             // pound
      {"\x81\xCA", u"\u00AC", nullptr},             // not sign
      {"\x85\x40", u"\u2460", nullptr},             // circled digit one
      {"\x85\x9F", u"\u2160", nullptr},             // roman numeral one
      {"\x85\xB3", u"\u2170", nullptr},             // small roman numeral one
      {"\x86\x9E", u"\u213B", nullptr},             // facsimile sign
      {"\x86\xD3", u"\u27A1", nullptr},             // black rightwards arrow
      {"\x87\x40", u"\u3230", nullptr, u"\u2460"},  // parenthesised ideograph sun, not circled 1
      {"\x87\x91", u"\u5927\u20DD", nullptr},       // circled "big": base + combining circle
      {"\x87\xFB", u"\u6709\u9650\u4F1A\u793E", "\x97\x4C\x8C\xC0\x89\xEF\x8E\xD0"},
      {"\x85\x91", u"\U0001F100", nullptr},  // digit zero full stop, outside the BMP
      {"\x88\x68", u"\u3094", nullptr},      // hiragana vu
      {"\xEB\x41", u"\u3001", "\x81\x41"},   // vertical comma reads as the comma
      {"\xEB\x69", u"\uFE35", nullptr},      // vertical parenthesis has a form of its own
      {"\x83\x41\x88\x9F", u"\u30A2\u4E9C", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    bool ok = false;
    EXPECT_EQ(Decode(kTextEncodingMacJapanese, c.bytes, &ok), c.text);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Encode(kTextEncodingMacJapanese, c.text, 0, &ok),
              c.writtenBack != nullptr ? c.writtenBack : c.bytes);
    EXPECT_TRUE(ok);
    if (c.dosReading != nullptr) {
      EXPECT_EQ(Decode(kTextEncodingDOSJapanese, c.bytes), c.dosReading);
    }
  }
}

// Code page 932's readings of JIS symbols are written to the Mac's codes; the codes only code
// page 932 has (IBM's kanji, as in family names) read as code page 932 reads them and come back
// from Unicode: to the Mac's own code where it has one, else to code page 932's.
TEST(MacJapaneseCodec, CodePage932OnlyCodesComeBackFromUnicodeAsTheSameText) {
  bool ok = false;
  EXPECT_EQ(Encode(kTextEncodingMacJapanese, u"\uFF5E\u2225\uFF0D\uFFE0\uFFE1\uFFE2", 0, &ok),
            "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA");
  EXPECT_TRUE(ok);
  const struct {
    const char* bytes;
    std::u16string text;
    const char* written;
    const char* why;
  } cases[] = {
      {"\xFB\xFC", u"\u9AD9", "\xFB\xFC", "an IBM kanji: its own code"},
      {"\xFA\x5C", u"\u7E8A", "\xFA\x5C", "the first IBM kanji"},
      {"\xEE\x40", u"\u72BE", "\xFB\x5C", "NEC's copy of an IBM kanji: the code code page 932 writes"},
      {"\xFA\x55", u"\uFFE4", "\xFA\x55", "a sign the Mac lacks"},
      {"\xFA\x40", u"\u2170", "\x85\xB3", "a small roman numeral: the Mac's own code"},
      {"\xEE\xEF", u"\u2170", "\x85\xB3", "the same numeral in NEC's row"},
      {"\xFA\x54", u"\uFFE2", "\x81\xCA", "full-width not sign: the JIS code"},
      {"\xFA\x5B", u"\u2235", "\x81\xE6", "because: the JIS code"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Decode(kTextEncodingMacJapanese, c.bytes, &ok), c.text);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Encode(kTextEncodingMacJapanese, c.text, 0, &ok), c.written);
    EXPECT_TRUE(ok);
  }
  // Every code of those rows: the text it reads as is written to a code that reads the same
  // (but for the full-width not sign above, which the Mac writes and reads as its own sign).
  for (unsigned lead : {0xEEu, 0xFAu, 0xFBu, 0xFCu}) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string code{char(lead), char(trail)};
      const std::u16string text = Decode(kTextEncodingMacJapanese, code, &ok);
      if (!ok || text == u"\uFFE2") continue;
      const std::string written = Encode(kTextEncodingMacJapanese, text, 0, &ok);
      EXPECT_TRUE(ok) << std::hex << lead << trail;
      EXPECT_EQ(Decode(kTextEncodingMacJapanese, written), text) << std::hex << lead << trail;
    }
  }
  // The boundary crossing keeps them too: program text to UTF-8 and back.
  std::string mac;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese(sp::text::MacJapaneseToUTF8("\xFB\xFC\x8B\xB4"), mac));
  EXPECT_EQ(mac, "\xFB\xFC\x8B\xB4");
}

// Apple's MacRoman table, 0x80-0xFF in rows of eight. Every byte must read as its code
// point and be written back as the same byte; iconv's table differs at 0xC6 and 0xF0.
TEST(MacRomanCodec, EveryHighByteReadsAndWritesAsApplesTable) {
  const char16_t table[128] = {
      0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 0x80
      0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 0x88
      0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 0x90
      0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 0x98
      0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
      0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // 0xA8
      0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // 0xB0
      0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // 0xB8 (Omega)
      0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // 0xC0 (increment)
      0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // 0xC8
      0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
      0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8 (euro)
      0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // 0xE0
      0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // 0xE8
      0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // 0xF0 (Apple logo)
      0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // 0xF8
  };
  for (unsigned b = 0x80; b <= 0xFF; ++b) {
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << b);
    const std::string byte(1, char(b));
    const std::u16string text(1, table[b - 0x80]);
    bool ok = false;
    EXPECT_EQ(Decode(kTextEncodingMacRoman, byte, &ok), text);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Encode(kTextEncodingMacRoman, text, 0, &ok), byte);
    EXPECT_TRUE(ok);
  }
  // Greek capital delta looks the same and was written here before: it still is.
  bool ok = false;
  EXPECT_EQ(Encode(kTextEncodingMacRoman, u"\u0394", 0, &ok), "\xC6");
  EXPECT_TRUE(ok);
}

TEST(TextCodec, RejectsBytesThatAreNoTextAndLeavesNothing) {
  const TextEncoding mac = kTextEncodingMacJapanese, utf8 = kTextEncodingUTF8;
  const struct {
    TextEncoding encoding;
    const char* bytes;
    const char* why;
  } cases[] = {
      {mac, "\x82", "lead byte at the end"},
      {mac, "\x82\x7F", "0x7F is never a second byte"},
      {mac, "a\x82\x20", "nor is a space"},
      {mac, "\x87\xC5", "a gap in the Mac's own rows"},
      {mac, "\x87\x9C\x87\xA0\x87\x80", "NEC row 13 code the Mac leaves empty (0x8780)"},
      {mac, "\xF0\x40", "user-defined rows"},
      {utf8, "\xC0\x80", "a two-byte form of U+0000"},
      {utf8, "\xC1\xBF", "a two-byte form of U+007F"},
      {utf8, "\xE0\x9F\xBF", "a three-byte form of U+07FF"},
      {utf8, "\xF0\x8F\xBF\xBF", "a four-byte form of U+FFFF"},
      {utf8, "\xED\xA0\x80", "a surrogate"},
      {utf8, "\xF4\x90\x80\x80", "past U+10FFFF"},
      {utf8, "\xF5\x80\x80\x80", "a lead byte past U+10FFFF"},
      {utf8, "\xE3\x81", "cut short"},
      {utf8, "\x80", "a lone continuation byte"},
      {0x0BFF, "a", "an unknown encoding"},
      {CreateTextEncoding(mac, 0, 2), "a", "an unknown format"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    bool ok = true;
    EXPECT_EQ(Decode(c.encoding, c.bytes, &ok), u"");
    EXPECT_FALSE(ok);
  }
  EXPECT_FALSE(sp::text::IsSupportedEncoding(0x0BFF));
}

TEST(TextCodec, UnmappableCharacterFailsOrBecomesTheLossByte) {
  const std::u16string text = u"a\u4E02b";  // not in JIS X 0208
  bool ok = true;
  Encode(kTextEncodingMacJapanese, text, 0, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Encode(kTextEncodingMacJapanese, text, '?', &ok), "a?b");
  EXPECT_TRUE(ok);
  EXPECT_EQ(Encode(kTextEncodingShiftJIS_X0213, text, 0, &ok).size(), 4u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(Encode(kTextEncodingASCII, u"caf\u00E9", '_', &ok), "caf_");
  // A surrogate pair is one character: one loss byte.
  EXPECT_EQ(Encode(kTextEncodingMacJapanese, u"\U0001F600", '?', &ok), "?");
  // Shift_JIS X0213 keeps a base and its combining mark as one code.
  const std::u16string pair = Decode(kTextEncodingShiftJIS_X0213, "\x82\xF5", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(pair, u"\u304B\u309A");
  EXPECT_EQ(Encode(kTextEncodingShiftJIS_X0213, pair, 0, &ok), "\x82\xF5");
}

// Each length of UTF-8 starts at a code point; both sides of each start must pick the
// right length, and a longer form of a shorter code point is not text.
TEST(TextCodec, UTF8LengthChangesAtTheRightCodePoints) {
  struct Case {
    const char* bytes;
    std::u16string text;
  } cases[] = {
      {"\x7F", u"\u007F"},
      {"\xC2\x80", u"\u0080"},
      {"\xDF\xBE", u"\u07FE"},
      {"\xDF\xBF", u"\u07FF"},
      {"\xE0\xA0\x80", u"\u0800"},
      {"\xE0\xA0\x81", u"\u0801"},
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"\xF0\x90\x80\x80", u"\U00010000"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    bool ok = false;
    EXPECT_EQ(Decode(kTextEncodingUTF8, c.bytes, &ok), c.text);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Encode(kTextEncodingUTF8, c.text, 0, &ok), c.bytes);
    EXPECT_TRUE(ok);
  }
}

TEST(TextCodec, UnicodeByteOrdersAndConversionsAcrossTheBoundaryKeepTheText) {
  struct Case {
    TextEncoding encoding;
    std::string bytes;
    bool external;
    std::u16string text;
  } cases[] = {
      {kTextEncodingUTF16, "\xFE\xFF\x00\x41"s, false, u"A"},
      {kTextEncodingUTF16, "\xFF\xFE\x41\x00"s, false, u"A"},
      {kTextEncodingUTF16, "\x41\x00"s, false, u"A"},  // host order
      {kTextEncodingUTF16, "\x00\x41"s, true, u"A"},   // unmarked: big-endian
      {kTextEncodingUTF16BE, "\xFE\xFF\x00\x41"s, false,
       u"\uFEFF"
       u"A"},
      {kTextEncodingUTF32, "\x00\x00\xFE\xFF\x00\x01\xF6\x00"s, false, u"\U0001F600"},
      {kTextEncodingUTF32LE, "\x41\x00\x00\x00"s, false, u"A"},
      {kTextEncodingUTF32BE, "\x00\x10\xFF\xFF"s, false, u"\U0010FFFF"},  // the last code point
      {kTextEncodingUTF32LE, "\xFF\xFF\x10\x00"s, false, u"\U0010FFFF"},
  };
  for (const Case& c : cases) {
    std::u16string out;
    EXPECT_TRUE(DecodeToUTF16(c.encoding, c.bytes.data(), c.bytes.size(), out, c.external));
    EXPECT_EQ(out, c.text);
  }
  std::u16string out;
  EXPECT_FALSE(DecodeToUTF16(kTextEncodingUTF16, "\x41", 1, out));                // half a unit
  EXPECT_FALSE(DecodeToUTF16(kTextEncodingUTF32BE, "\x00\x11\x00\x00", 4, out));  // one past

  EXPECT_EQ(sp::text::MacJapaneseToUTF8("\x83\x41\x5C\x80"), "\xE3\x82\xA2\xC2\xA5\\");
  EXPECT_EQ(sp::text::MacJapaneseToUTF8("a\x82"s), "a\xEF\xBF\xBD");
  std::string mac;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese("\xE3\x82\xA2\xC2\xA5\\", mac));
  EXPECT_EQ(mac, "\x83\x41\x5C\x80");
  EXPECT_FALSE(sp::text::UTF8ToMacJapanese("\xE4\xB8\x82", mac));  // 丂
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese("\xE4\xB8\x82", mac, '_'));
  EXPECT_EQ(mac, "_");
}

// Text shown from files: never another encoding's bytes (Shift-JIS X0213 has accented letters
// at codes MacJapanese reads as other characters), never a neighbour lost.
TEST(MacJapaneseCodec, ShownTextKeepsLettersWithoutAccentsAndOnlyMacJapaneseBytes) {
  struct Case {
    std::u16string text;
    std::string shown;
  } cases[] = {
      {u"Bj\u00F6rk", "Bjork"},
      {u"Stra\u00DFe \u00C6\u00E6 \u0152\u0153 \u00DE\u00FE", "Strasse AEae OEoe THth"},
      {u"\u00D8\u00F8 \u0110\u0111 \u0141\u0142 \u0179\u017A", "Oo Dd Ll Zz"},
      {u"Bjo\u0308rk \u0301", "Bjork "},  // decomposed: only the accents go
      {u"\u0301a", "?a"},                 // an accent on nothing is no letter
      {u"\u5742\u672C & \u00C5sa", "\x8D\xE2\x96\x7B & Asa"},
      {u"\u9AD9\u6A4B", "\xFB\xFC\x8B\xB4"},            // IBM's kanji: read back as themselves
      {u"\u00D7\u00F7\u00A9", "\x81\x7E\x81\x80\xFD"},  // signs MacJapanese has stay
      {u"\u00BF\u0192\u4E02\U0001F600.", "????."},
  };
  for (const Case& c : cases) {
    const std::string shown = sp::text::UTF16ToMacJapaneseNearest(c.text.data(), c.text.size());
    EXPECT_EQ(shown, c.shown) << sp::text::UTF16ToUTF8(c.text);
  }
}
