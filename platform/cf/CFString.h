// CFString: immutable and mutable Unicode strings, stored as UTF-16.
//
// Creation from bytes returns NULL when the bytes are not valid text in the given encoding
// (callers tell failure apart from an empty string). CFSTR("...") gives a constant string
// from an ASCII or UTF-8 literal; constant strings are never freed and may be released
// freely.
#pragma once

#include "CFBase.h"
#include "TextCommon.h"

typedef UInt32 CFStringEncoding;

enum : CFStringEncoding {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingMacJapanese = 1,
  kCFStringEncodingWindowsLatin1 = 0x0500,
  kCFStringEncodingISOLatin1 = 0x0201,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingDOSJapanese = 0x0420,
  kCFStringEncodingShiftJIS_X0213 = 0x0628,
  kCFStringEncodingShiftJIS = 0x0A01,
  kCFStringEncodingUnicode = 0x0100,  // UTF-16, host byte order (byte-order mark honoured)
  kCFStringEncodingUTF16 = 0x0100,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingUTF32 = 0x0C000100,
  kCFStringEncodingUTF16BE = 0x10000100,
  kCFStringEncodingUTF16LE = 0x14000100,
  kCFStringEncodingUTF32BE = 0x18000100,
  kCFStringEncodingUTF32LE = 0x1C000100,
  kCFStringEncodingInvalidId = 0xFFFFFFFFu,
};

typedef CFOptionFlags CFStringCompareFlags;
enum : CFStringCompareFlags {
  kCFCompareCaseInsensitive = 1,  // ASCII letters and full-width Latin letters
  kCFCompareBackwards = 4,        // CFStringFind: the last occurrence
  kCFCompareAnchored = 8,         // CFStringFind: only at the start (or end, with Backwards)
  kCFCompareNonliteral = 16,      // accepted, no effect
  kCFCompareLocalized = 32,       // accepted, no effect
  kCFCompareNumerically = 64,     // runs of ASCII digits compare by value
};

CFTypeID CFStringGetTypeID();

// A constant string for an ASCII or UTF-8 literal, the same object for the same text.
CFStringRef SpCFConstantString(const char* utf8Literal);
#define CFSTR(literal) SpCFConstantString("" literal "")

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding);
CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                           CFStringEncoding encoding);
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars,
                                         CFIndex numChars);
// Same as CFStringCreateWithCharacters (the characters are copied).
CFStringRef CFStringCreateWithCharactersNoCopy(CFAllocatorRef alloc, const UniChar* chars,
                                               CFIndex numChars,
                                               CFAllocatorRef contentsDeallocator);
// isExternalRepresentation: for kCFStringEncodingUnicode / UTF32, bytes without a
// byte-order mark are big-endian (with it false: host order). A mark is always honoured.
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str, CFRange range);
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString);
// maxLength 0: unlimited; otherwise appends that would pass it are cut.
CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength,
                                             CFStringRef theString);

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString);
// Appends nothing when cStr is not valid text in the encoding.
void CFStringAppendCString(CFMutableStringRef theString, const char* cStr,
                           CFStringEncoding encoding);
void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars);
void CFStringAppendPascalString(CFMutableStringRef theString, ConstStr255Param pStr,
                                CFStringEncoding encoding);
void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr);
void CFStringDelete(CFMutableStringRef theString, CFRange range);
void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement);

CFIndex CFStringGetLength(CFStringRef theString);  // in UTF-16 units
UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx);
void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer);
// The string's own UTF-16 units (valid until the string changes or is freed); NULL for an
// empty string.
const UniChar* CFStringGetCharactersPtr(CFStringRef theString);

// Converts the whole string and adds a terminating zero. False when a character cannot be
// converted or the bytes and the zero do not fit in bufferSize; the buffer then holds an
// empty string (when bufferSize > 0).
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding);
// An internal zero-terminated copy in the encoding, or NULL when there is none to lend
// (always NULL for mutable strings and for text the encoding cannot hold).
const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding);

// Converts the characters of range, whole characters only, and returns how many UTF-16
// units were converted. An unmappable character becomes lossByte, or stops the conversion
// when lossByte is 0. With buffer NULL nothing is written and usedBufLen gets the bytes
// needed; otherwise conversion stops before a character that does not fit in maxBufLen.
// isExternalRepresentation adds a byte-order mark to host-order UTF-16/UTF-32 output.
CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen);

// Upper bound of the bytes `length` UTF-16 units need in the encoding (no terminator).
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding);

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions);
CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2,
                                              CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions);
// {kCFNotFound, 0} when absent.
CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind,
                     CFStringCompareFlags compareOptions);
Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix);
Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix);
// Leading spaces, an optional sign and decimal digits; 0 when there are none. Clamped to
// the SInt32 range.
SInt32 CFStringGetIntValue(CFStringRef str);
