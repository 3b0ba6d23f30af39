// The framework's text helpers.
//
// Text inside the program is MacJapanese (Shift-JIS) bytes, zero-terminated unless a function
// says it works on a length-prefixed string (one length byte, at most 255 bytes of text).
// These helpers convert between the two forms in place, copy and join length-prefixed strings,
// move text in and out of CFStrings and other text encodings (reading a CFString back tries
// the Japanese encodings MacJapanese, Shift-JIS, DOS Japanese and Shift-JIS X0213 in turn),
// look strings up in the bundle's string tables and in 'STR#' resources, split fields, trim,
// change case, and classify characters through the Script Manager in the Japanese script.
//
// A null required pointer sounds the beep, logs one record (source "SpStdFunction", the
// function's name, code 1) and the function returns 0, null or false without touching
// anything. A CFString, a memory block or a converter that cannot be made gives 0 without a
// record. Every CFString a function returns is new; the caller releases it.
#pragma once

#include "CFString.h"
#include "MacTypes.h"

// ---- Character descriptions ----------------------------------------------------------------

// One character as the Script Manager's CharacterType describes it.
struct sCharactorInfoStruct {
  UInt16 charType;         // CharacterType result & 0x000F
  UInt16 charClass;        // result & 0x0F00
  Boolean horizontal;      // true when the 0x1000 bit is clear
  UInt16 orientationBits;  // result & 0x1000
  Boolean rightToLeft;     // true when the 0x2000 bit is set
  UInt16 rightToLeftBits;  // result & 0x2000
  Boolean upperCase;       // true when the 0x4000 bit is set
  UInt16 upperCaseBits;    // result & 0x4000
  Boolean twoByte;         // true when the 0x8000 bit is set
  UInt16 twoByteBits;      // result & 0x8000
};

// ---- Zero-terminated and length-prefixed strings -------------------------------------------

// Longest zero-terminated text the in-place conversion to a length-prefixed string accepts.
enum { kSpMaxCStringForPascalConversion = 2048 };

// In place: zero-terminated to length-prefixed. A text longer than 255 bytes keeps only the
// whole characters that fit in 255 bytes; a text of 2049 bytes or more is refused and left
// unchanged. Both return 0.
short CtoPstr(char* text);
void Sp_CStringToPascalString(char* text);
// Copies the zero-terminated text into a length-prefixed string, keeping the whole characters
// that fit in 255 bytes. A null text gives the empty string.
void Sp_CopyCStringToStr255(const char* text, Str255 out);
// Copies the zero-terminated name whole into a length-prefixed string. A name longer than 255
// bytes would be another name if cut, so it is refused: false, out empty (also for null).
bool Sp_CopyCStringToPascalName(const char* text, Str255 out);
// In place: length-prefixed to zero-terminated. The buffer must hold length + 1 bytes.
short PtoCstr(char* text);
void Sp_PascalStringToCString(char* text);

// Copies a length-prefixed string with its length byte; returns the destination.
StringPtr Sp_pStrcpy(StringPtr destination, ConstStr255Param source);
// Appends the source's bytes to the destination, never beyond 255 bytes; returns the
// destination.
StringPtr Sp_pStrcat(StringPtr destination, ConstStr255Param source);
// Sets byteCount bytes to 0.
void Sp_ClearPtr(void* pointer, SInt32 byteCount);

// ---- CFStrings and text encodings ----------------------------------------------------------

// Reads a CFString into a zero-terminated buffer, trying MacJapanese, Shift-JIS, DOS Japanese
// and Shift-JIS X0213 until one gives a non-empty text. Returns the last attempt's result and
// stores its encoding in *encodingOut when given. A failed attempt leaves the buffer empty.
Boolean Sp_GetCStringFromCFString(CFStringRef str, char* buffer, SInt32 bufferSize,
                                  CFStringEncoding* encodingOut);
// UTF-16 characters to a zero-terminated buffer through Sp_GetCStringFromCFString; the
// encoding is stored only when the result is true and the text is not empty.
Boolean Sp_UnicodeToCString(const UniChar* characters, SInt32 count, char* buffer,
                            SInt32 bufferSize, CFStringEncoding* encodingOut);
// The name of a file, folder or volume (UTF-16, as the catalogue gives it) as the program's
// text shows it, zero-terminated: MacJapanese, where a Latin letter MacJapanese lacks is its
// plain letter ("Caf\u00E9" and "Cafe\u0301" both read "Cafe") and any other character it
// lacks is '?'. Every name the program shows or makes a name from takes this road, never the
// bytes of another Japanese encoding (which MacJapanese reads as other characters). False,
// leaving the buffer empty, when the text and its terminator do not fit in bufferSize.
Boolean Sp_UnicodeNameToCString(const UniChar* characters, SInt32 count, char* buffer,
                                SInt32 bufferSize);
// The text converted from the source to the target encoding (unconvertible characters become
// lossByte, 0 for none) in a new block followed by padCount zero bytes (and four more of
// slack). *lengthOut gets the converted bytes plus padCount, *charactersOut the characters
// converted. The caller disposes the block with DisposePtr. False when nothing was converted.
Boolean Sp_CStringToEncodingString(const char* text, CFStringEncoding sourceEncoding,
                                   CFStringEncoding targetEncoding, UInt8 lossByte, short padCount,
                                   char** out, SInt32* charactersOut, SInt32* lengthOut);
// The same from MacJapanese text.
Boolean Sp_ShiftJISCStringToEncodingString(const char* text, CFStringEncoding targetEncoding,
                                           UInt8 lossByte, short padCount, char** out,
                                           SInt32* charactersOut, SInt32* lengthOut);
// MacJapanese text as UTF-16 characters in a new zeroed block of 2 x count + 4 bytes; the
// caller disposes it with DisposePtr.
Boolean Sp_ShiftJISCStringToUnicode(const char* text, UniChar** out, SInt32* characterCountOut,
                                    SInt32* byteSizeOut);
// A new mutable string: the first with the second appended.
CFMutableStringRef Sp_CFStringCat(CFStringRef first, CFStringRef second);
// A new string of length UTF-16 units from start; null when the range lies outside the string.
CFStringRef Sp_GetCFStringFromCFStringParts(CFStringRef str, SInt32 start, SInt32 length);
// The string's length in UTF-16 units. The second argument is not used.
SInt32 Sp_GetCFStringByte(CFStringRef str, UInt32 unused);
// A new string cut from the end until it holds at most limit UTF-16 units (a copy when it
// already does).
CFStringRef Sp_GetTargetByteCFString(CFStringRef str, SInt32 limit);
// Converts sourceLength bytes with the Text Encoding Converter into at most
// destinationSize - 1 bytes and a terminating NUL.
Boolean Sp_TextConvert(const char* source, SInt32 sourceLength, TextEncoding sourceEncoding,
                       char* destination, SInt32 destinationSize, TextEncoding destinationEncoding);

// ---- Localised and resource strings --------------------------------------------------------

// The key's text in the main bundle's string table; when the table has no such key, the
// fallback (when given), else the key itself. Texts are MacJapanese. The comment is not used.
CFStringRef Sp_GetLocalizedString(const char* tableName, const char* key, const char* comment,
                                  const char* fallback);
// Appends the key's text to the string; when the table has no such key, a non-empty fallback,
// else the key itself.
void Sp_GetLocalizedStringAndAppend(CFMutableStringRef str, const char* tableName, const char* key,
                                    const char* comment, const char* fallback);
// The index-th string (from 1) of the 'STR#' resource, zero-terminated, into a buffer of at
// least 256 bytes. False, and an empty buffer, when there is no such string or it is empty.
Boolean Sp_GetResourceIndexString(char* buffer, short resourceID, short index);

// ---- Fields, trimming, replacing -----------------------------------------------------------

// Copies field fieldIndex (from 0) of the separated text into output, at most outputSize - 1
// bytes and a NUL. *overflowOut (when given) becomes 1 when the field did not fit, else 0.
// True when fieldIndex is 0 or the text holds that many separators.
Boolean Sp_GetSeparateString(const char* text, char separator, SInt32 fieldIndex, char* output,
                             SInt32 outputSize, unsigned char* overflowOut);
// In place on length bytes: drops leading and trailing spaces as asked and shrinks runs of
// spaces to one; returns the new length and, with terminate, puts a NUL after it.
SInt32 Sp_CutSpaceFromString(char* text, SInt32 length, Boolean cutLeading, Boolean cutTrailing,
                             Boolean terminate);
// Drops line feeds, and carriage returns, ETX (3) and tabs when asked, from the end of the
// text.
void Sp_CutSuffixControlCodeFromString(char* text, Boolean cutCR, Boolean cutETX, Boolean cutTAB);
// Replaces every byte equal to fromChar by toChar.
void Sp_ChangeCharactorInString(char* text, char fromChar, char toChar);
// Copies the longest run of whole characters from the start of the text that fits in
// byteLimit bytes; output must hold byteLimit + 1 bytes.
void Sp_CutStringByByteLen(const char* text, short byteLimit, char* output);

// ---- Case ------------------------------------------------------------------------------------

void Sp_ChangeToUpperString(char* text, Boolean diacriticsSensitive);
void Sp_ChangeToUpperStringWithScriptCode(char* text, ScriptCode script);
void Sp_ChangeToLowercaseStringWithScriptCode(char* text, ScriptCode script);
void Sp_ChangeToUpperStringWithFontNo(char* text, short fontNumber);
void Sp_ChangeToLowercaseStringWithFontNo(char* text, short fontNumber);

// ---- Character and string tests --------------------------------------------------------------

// Describes the character at the byte offset (Japanese script).
void Sp_GetCharacterInfo(const char* text, short offset, sCharactorInfoStruct& info);
// Describes a one-byte character.
void Sp_GetCharacterInfo(char byte, sCharactorInfoStruct& info);
// True when the two descriptions agree in type, class and upper case (each when asked) and
// always in the horizontal, right-to-left and two-byte flags.
Boolean Sp_EqualCharacterInfo(const sCharactorInfoStruct& first, const sCharactorInfoStruct& second,
                              Boolean compareType, Boolean compareClass, Boolean compareUpperCase);
// True when the byte at the offset belongs to a two-byte character. *firstByteOut (when given)
// is 0 when the offset is a character's second byte, else 1. Offsets outside the text give
// false and 1.
Boolean Sp_IsTwoByteChar(const char* text, SInt32 offset, Boolean* firstByteOut);
// True when any of the first byteCount bytes (the whole text when negative) belongs to a
// two-byte character.
Boolean Sp_CheckStringContainTwoByteChar(const char* text, SInt32 byteCount);
// True when all length bytes are spaces (0x20); true for a length of 0 or less.
Boolean Sp_IsOneByteSpaceString(const char* bytes, SInt32 length);
// True when the length bytes are all full-width spaces (0x81 0x40); true for a length of 0 or
// less.
Boolean Sp_IsTwoByteSpaceString(const char* bytes, SInt32 length);
// True when the text is a C number literal without sign: digits, an optional 0x prefix, one
// point, one exponent mark and an integer suffix (u, l, ul, lu in either case).
Boolean Sp_IsNumberString(const char* text);
// True when the text is an identifier ('_', '~' or a letter, then '_', digits and letters).
Boolean Sp_IsNameString(const char* text);
// True when the text is one of the C control keywords.
Boolean Sp_IsControlInstructionTitle(const char* text);
// Compares as signed bytes: 1, 0 or -1; a text that is a prefix of the other is less.
short Sp_strcmp(const char* first, const char* second);
// True when the first length bytes are equal.
Boolean Sp_DataCmp(const void* first, const void* second, SInt32 length);

// ---- Fonts -----------------------------------------------------------------------------------

// A size at which the font is real (RealFont): with trySmaller the first from size down to 1,
// then, when none was found and with tryLarger, the first from size up to largestSize.
// *sizeOut starts as size and holds the size found. True when one was found.
Boolean Sp_GetEnableFontSize(short font, short size, short& sizeOut, Boolean trySmaller,
                             Boolean tryLarger, short largestSize);

// The numbers, dates and key sets of the same library.
#include "SpStdFunctionDate.h"
#include "SpStdFunctionKeySet.h"
#include "SpStdFunctionNumber.h"
