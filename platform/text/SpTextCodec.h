// The layer's text codec: every encoding the toolbox calls name, to and from UTF-16.
//
// MacJapanese, Shift-JIS, DOS Japanese (code page 932), Shift-JIS X0213, MacRoman, ISO Latin 1,
// Windows Latin 1, ASCII, UTF-8, UTF-16 and UTF-32 (host order, big- and little-endian).
// Encodings are named by their TextEncoding / CFStringEncoding value.
//
// Linux file names, window titles and drawn text are UTF-8; the program's own text is
// MacJapanese. MacJapaneseToUTF8 / UTF8ToMacJapanese are the crossing at that boundary.
#pragma once

#include <cstddef>
#include <string>

#include "MacTypes.h"
#include "TextCommon.h"

namespace sp {
namespace text {

bool IsSupportedEncoding(TextEncoding encoding);

// True for the UTF-16 and UTF-32 encodings (those whose code units are wider than a byte).
bool IsWideUnicodeEncoding(TextEncoding encoding);

// Longest byte sequence one UTF-16 code unit can become in this encoding (0 if unknown).
std::size_t MaxBytesPerUnit(TextEncoding encoding);

// Bytes to UTF-16. Returns false, leaving out empty, when the bytes are not valid text in
// the encoding (or it is unknown). For the host-order UTF-16 and UTF-32 encodings a leading
// byte-order mark chooses the byte order and is dropped; without one, host order is used,
// or big-endian when externalRepresentation is set (the default of an unmarked stream).
bool DecodeToUTF16(TextEncoding encoding, const void* bytes, std::size_t length,
                   std::u16string& out, bool externalRepresentation = false);

// A byte-order mark at the start of host-order UTF-16 or UTF-32 bytes: returns the bytes it
// takes and sets *ordered to the same encoding in the byte order the mark names, which reads
// what follows. Without a mark (or for any other encoding) returns 0 and *ordered is encoding.
std::size_t ReadByteOrderMark(TextEncoding encoding, const void* bytes, std::size_t length,
                              TextEncoding* ordered);

// One decoding step: the character starting at bytes[0]. Returns the number of bytes it
// takes and appends its UTF-16 units to out; 0 for invalid bytes; -1 when the bytes end
// inside the character. Byte-order marks are not looked for here.
int DecodeStep(TextEncoding encoding, const UInt8* bytes, std::size_t length, std::u16string& out);

// One encoding step: the character at chars[index] (a surrogate pair or a base character
// with the combining mark the encoding joins to it counts as one). Returns the number of
// UTF-16 units taken and appends the bytes to out; 0 when the encoding cannot hold the
// character (out unchanged).
std::size_t EncodeStep(TextEncoding encoding, const char16_t* chars, std::size_t count,
                       std::size_t index, std::string& out);

// UTF-16 to bytes. An unmappable character becomes lossByte, or the conversion fails
// (returns false, out holds what was converted before) when lossByte is 0. With
// externalRepresentation, host-order UTF-16/UTF-32 output begins with a byte-order mark.
bool EncodeFromUTF16(TextEncoding encoding, const char16_t* chars, std::size_t count,
                     UInt8 lossByte, std::string& out, bool externalRepresentation = false);

// Any supported encoding to any other (through UTF-16), with the same loss-byte rule.
bool Convert(TextEncoding from, TextEncoding to, const void* bytes, std::size_t length,
             UInt8 lossByte, std::string& out);

// UTF-8 <-> UTF-16 without failure: invalid UTF-8 becomes U+FFFD, an unpaired surrogate
// becomes U+FFFD.
std::u16string UTF8ToUTF16(const std::string& utf8);
std::string UTF16ToUTF8(const std::u16string& utf16);

// Linux file names and paths are bytes that need not be UTF-8 (names from old archives).
// Their text keeps every byte: valid UTF-8 decodes as usual, and each byte that is no part of
// valid UTF-8 becomes the lone low surrogate U+DC00 + byte (U+DC80..U+DCFF), which valid text
// never holds. FileNameFromUTF16 gives those bytes back; another unpaired surrogate becomes
// U+FFFD's bytes as in UTF16ToUTF8.
std::u16string FileNameToUTF16(const std::string& bytes);
std::string FileNameFromUTF16(const std::u16string& text);

// The boundary crossings. Invalid MacJapanese bytes become U+FFFD in the UTF-8 text. A
// character MacJapanese cannot hold becomes lossByte, or makes the call fail (false) when
// lossByte is 0.
std::string MacJapaneseToUTF8(const char* bytes, std::size_t length);
std::string MacJapaneseToUTF8(const std::string& bytes);
bool UTF8ToMacJapanese(const std::string& utf8, std::string& out, UInt8 lossByte = 0);

// UTF-16 to MacJapanese for text that is only shown (tag text from files): every character
// MacJapanese reads is written as itself, a Latin letter it lacks as the same letter without
// its accent (U+00F6 as "o"; sharp s as "ss", ligatures and thorn as two letters), the accent
// of a decomposed letter is dropped, and anything else becomes '?'. Never fails.
std::string UTF16ToMacJapaneseNearest(const char16_t* chars, std::size_t count);

}  // namespace text
}  // namespace sp
