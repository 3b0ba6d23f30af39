// Text encodings: the numbering shared by the Text Encoding Converter and CFString.
//
// An encoding value packs a base (the character set), a variant and a format (for Unicode:
// UTF-16, UTF-8 or UTF-32) as base | variant << 16 | format << 26, so a CFStringEncoding and a
// TextEncoding with the same meaning have the same value.
#pragma once

#include "MacTypes.h"

typedef UInt32 TextEncodingBase;
typedef UInt32 TextEncodingVariant;
typedef UInt32 TextEncodingFormat;

typedef UInt8* TextPtr;
typedef const UInt8* ConstTextPtr;

enum : TextEncodingBase {
  kTextEncodingMacRoman = 0,
  kTextEncodingMacJapanese = 1,
  kTextEncodingUnicodeDefault = 0x0100,  // UTF-16 in host byte order
  kTextEncodingUnicodeV2_0 = 0x0103,
  kTextEncodingISOLatin1 = 0x0201,
  kTextEncodingDOSJapanese = 0x0420,  // code page 932
  kTextEncodingWindowsLatin1 = 0x0500,
  kTextEncodingASCII = 0x0600,
  kTextEncodingUS_ASCII = 0x0600,
  kTextEncodingShiftJIS_X0213 = 0x0628,
  kTextEncodingShiftJIS_X0213_00 = 0x0628,
  kTextEncodingShiftJIS = 0x0A01,
  kTextEncodingUnknown = 0xFFFF,
};

enum : TextEncodingVariant { kTextEncodingDefaultVariant = 0 };

enum : TextEncodingFormat {
  kTextEncodingDefaultFormat = 0,
  kUnicode16BitFormat = 0,
  kUnicodeUTF7Format = 1,
  kUnicodeUTF8Format = 2,
  kUnicode32BitFormat = 3,
  // Explicit byte orders (the same numbers CFString uses for its UTF-16BE/LE, UTF-32BE/LE).
  kUnicodeUTF16BEFormat = 4,
  kUnicodeUTF16LEFormat = 5,
  kUnicodeUTF32BEFormat = 6,
  kUnicodeUTF32LEFormat = 7,
};

constexpr TextEncoding CreateTextEncoding(TextEncodingBase base, TextEncodingVariant variant,
                                          TextEncodingFormat format) {
  return (base & 0xFFFFu) | ((variant & 0x3FFu) << 16) | ((format & 0x3Fu) << 26);
}
constexpr TextEncodingBase GetTextEncodingBase(TextEncoding encoding) {
  return encoding & 0xFFFFu;
}
constexpr TextEncodingVariant GetTextEncodingVariant(TextEncoding encoding) {
  return (encoding >> 16) & 0x3FFu;
}
constexpr TextEncodingFormat GetTextEncodingFormat(TextEncoding encoding) {
  return (encoding >> 26) & 0x3Fu;
}

// Unicode encodings by format, for convenience.
enum : TextEncoding {
  kTextEncodingUTF16 = 0x00000100,  // host byte order; a byte-order mark is honoured on input
  kTextEncodingUTF8 = 0x08000100,
  kTextEncodingUTF32 = 0x0C000100,  // host byte order; a byte-order mark is honoured on input
  kTextEncodingUTF16BE = 0x10000100,
  kTextEncodingUTF16LE = 0x14000100,
  kTextEncodingUTF32BE = 0x18000100,
  kTextEncodingUTF32LE = 0x1C000100,
};

// Result codes of text conversion not among the base codes.
enum : OSStatus {
  kTextUnsupportedEncodingErr = -8738,
  kTextMalformedInputErr = -8739,
  kTextUndefinedElementErr = -8740,
};
