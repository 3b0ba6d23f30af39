// The framework's text helpers on plain bytes: the two string forms, fields, trimming, case
// and the character tests. The CFString and encoding helpers live in
// SpStdFunctionTextEncoding.cpp.
#include "SpStdFunction.h"

#include <cstring>

#include "Fonts.h"
#include "Script.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpStdFunction";
const char kMsgLengthLimit[] = "String Length Limitter Error !! ";
const char kMsgNullArgumentShort[] = "Required argument is null";
const char kMsgNullArgumentTwoByte[] = "Required arugment is null ";

enum { kMaxPascalLength = 255 };

// Ptr is the toolbox's mutable byte pointer; the Script Manager only reads through it.
Ptr AsPtr(const char* text) {
  return const_cast<Ptr>(text);
}

// Bytes of the character that starts at text[0] when `available` bytes are there: 2 for a
// two-byte character whose second byte is present, else 1. A lead byte cut off by the end
// counts as one byte, so no walk ever reads past the text.
SInt32 CharacterLengthAt(const char* text, SInt32 available) {
  if (available >= 2 && (CharacterType(AsPtr(text), 0, smJapanese) & smcDoubleMask) != 0) {
    return 2;
  }
  return 1;
}

// The longest prefix of the length bytes made of whole characters and not longer than limit.
SInt32 WholeCharacterPrefix(const char* text, SInt32 length, SInt32 limit) {
  SInt32 pos = 0;
  while (pos < length) {
    SInt32 step = CharacterLengthAt(text + pos, length - pos);
    if (pos + step > limit) break;
    pos += step;
  }
  return pos;
}

bool IsAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool IsIntegerSuffix(unsigned char c) {
  return c == 'u' || c == 'U' || c == 'l' || c == 'L';
}
bool IsUnsignedMark(unsigned char c) {
  return c == 'u' || c == 'U';
}
bool IsLongMark(unsigned char c) {
  return c == 'l' || c == 'L';
}

// Applies a Script Manager case routine to the whole text. The routines take a signed 16-bit
// length, so a longer text goes through in pieces that end on character boundaries.
void ApplyCaseRoutine(char* text, ScriptCode script, void (*routine)(Ptr, short, ScriptCode)) {
  SInt32 remaining = static_cast<SInt32>(std::strlen(text));
  char* piece = text;
  while (remaining > 0) {
    SInt32 take = WholeCharacterPrefix(piece, remaining, 0x7FFF);
    routine(piece, static_cast<short>(take), script);
    piece += take;
    remaining -= take;
  }
}

}  // namespace

// ---- Zero-terminated and length-prefixed strings -------------------------------------------

short CtoPstr(char* text) {
  Sp_CStringToPascalString(text);
  return 0;
}

void Sp_CStringToPascalString(char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_CStringToPascalString", 1, kSpMsgNullArgument);
    return;
  }
  SInt32 length = static_cast<SInt32>(
      strnlen(text, static_cast<std::size_t>(kSpMaxCStringForPascalConversion) + 1));
  if (length > kSpMaxCStringForPascalConversion) {
    SpReportFailure(kSource, "Sp_CStringToPascalString", 1, kMsgLengthLimit);
    return;
  }
  // The length byte holds at most 255: a longer text keeps the whole characters that fit, so
  // the string never claims a wrong length nor ends in half a character.
  if (length > kMaxPascalLength) length = WholeCharacterPrefix(text, length, kMaxPascalLength);
  std::memmove(text + 1, text, static_cast<std::size_t>(length));
  text[0] = static_cast<char>(length);
}

void Sp_CopyCStringToStr255(const char* text, Str255 out) {
  out[0] = 0;
  if (text == nullptr) return;
  const SInt32 length = WholeCharacterPrefix(
      text, static_cast<SInt32>(strnlen(text, kMaxPascalLength + 1)), kMaxPascalLength);
  std::memcpy(out + 1, text, static_cast<std::size_t>(length));
  out[0] = static_cast<unsigned char>(length);
}

bool Sp_CopyCStringToPascalName(const char* text, Str255 out) {
  out[0] = 0;
  if (text == nullptr) return false;
  const std::size_t length = strnlen(text, kMaxPascalLength + 1);
  if (length > kMaxPascalLength) return false;
  std::memcpy(out + 1, text, length);
  out[0] = static_cast<unsigned char>(length);
  return true;
}

short PtoCstr(char* text) {
  Sp_PascalStringToCString(text);
  return 0;
}

void Sp_PascalStringToCString(char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_PascalStringToCString", 0, kSpMsgNullArgument);
    return;
  }
  std::size_t length = static_cast<unsigned char>(text[0]);
  std::memmove(text, text + 1, length);
  text[length] = '\0';
}

StringPtr Sp_pStrcpy(StringPtr destination, ConstStr255Param source) {
  if (destination == nullptr || source == nullptr) {
    return SpReportFailure(kSource, "Sp_pStrcpy", 1, kSpMsgPointerArg, StringPtr(nullptr));
  }
  std::memmove(destination, source, static_cast<std::size_t>(source[0]) + 1);
  return destination;
}

StringPtr Sp_pStrcat(StringPtr destination, ConstStr255Param source) {
  if (destination == nullptr || source == nullptr) {
    return SpReportFailure(kSource, "Sp_pStrcat", 1, kSpMsgPointerArg, StringPtr(nullptr));
  }
  std::size_t have = destination[0];
  std::size_t room = kMaxPascalLength - have;
  std::size_t add = source[0] < room ? source[0] : room;
  std::memmove(destination + 1 + have, source + 1, add);
  destination[0] = static_cast<unsigned char>(have + add);
  return destination;
}

void Sp_ClearPtr(void* pointer, SInt32 byteCount) {
  if (pointer == nullptr) {
    SpReportFailure(kSource, "Sp_ClearPtr", 1, kSpMsgPointerArg);
    return;
  }
  if (byteCount > 0) std::memset(pointer, 0, static_cast<std::size_t>(byteCount));
}

// ---- Fields, trimming, replacing -----------------------------------------------------------

Boolean Sp_GetSeparateString(const char* text, char separator, SInt32 fieldIndex, char* output,
                             SInt32 outputSize, unsigned char* overflowOut) {
  if (text == nullptr || output == nullptr) {
    return SpReportFailure(kSource, "Sp_GetSeparateString", 1, kSpMsgPointerArg, Boolean(false));
  }
  if (overflowOut != nullptr) *overflowOut = 0;
  // Without room for the terminator there is nothing the caller could read.
  if (outputSize < 1) return false;

  SInt32 separators = 0;
  SInt32 copied = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == separator) {
      ++separators;
      if (separators > fieldIndex) break;  // the asked field has ended
      continue;
    }
    if (separators != fieldIndex) continue;
    if (copied >= outputSize - 1) {
      if (overflowOut != nullptr) *overflowOut = 1;
      break;
    }
    output[copied++] = *p;
  }
  output[copied] = '\0';
  return fieldIndex == 0 || (fieldIndex > 0 && separators >= fieldIndex);
}

SInt32 Sp_CutSpaceFromString(char* text, SInt32 length, Boolean cutLeading, Boolean cutTrailing,
                             Boolean terminate) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "Sp_CutSpaceFromString", 1, kSpMsgNullArgument, SInt32(0));
  }
  // The trailing run is counted down to the second byte only: a text of spaces keeps its
  // first byte for the pass below to judge.
  SInt32 trailingStart = -1;
  if (cutTrailing && length != 1) {
    SInt32 count = 0;
    for (SInt32 i = length - 1; i >= 1 && text[i] == ' '; --i) ++count;
    if (count > 0) trailingStart = length - count;
  }
  if (length <= 0) {
    if (terminate) text[0] = '\0';
    return 0;
  }

  SInt32 kept = 0;
  bool seenNonSpace = false;
  for (SInt32 i = 0; i < length; ++i) {
    if (i == trailingStart) break;
    char c = text[i];
    if (c == ' ') {
      if (cutLeading && !seenNonSpace) continue;
      if (kept > 0 && text[kept - 1] == ' ') continue;  // runs of spaces shrink to one
    } else {
      seenNonSpace = true;
    }
    text[kept++] = c;
  }
  if (terminate) text[kept] = '\0';
  return kept;
}

void Sp_CutSuffixControlCodeFromString(char* text, Boolean cutCR, Boolean cutETX, Boolean cutTAB) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_CutSuffixControlCodeFromString", 1, kSpMsgNullArgument);
    return;
  }
  // A clear flag keeps its code: the cut stops at the first byte it is not asked to remove.
  std::size_t length = std::strlen(text);
  while (length > 0) {
    char c = text[length - 1];
    bool cut =
        c == '\n' || (cutCR && c == '\r') || (cutETX && c == '\x03') || (cutTAB && c == '\t');
    if (!cut) break;
    --length;
  }
  text[length] = '\0';
}

void Sp_ChangeCharactorInString(char* text, char fromChar, char toChar) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_ChangeCharactorInString", 1, kSpMsgNullArgument);
    return;
  }
  for (char* p = text; *p != '\0'; ++p) {
    if (*p == fromChar) *p = toChar;
  }
}

void Sp_CutStringByByteLen(const char* text, short byteLimit, char* output) {
  if (text == nullptr || output == nullptr) {
    SpReportFailure(kSource, "Sp_CutStringByByteLen", 1, kSpMsgPointerArg);
    return;
  }
  output[0] = '\0';
  if (byteLimit <= 0) return;
  SInt32 length = static_cast<SInt32>(strnlen(text, static_cast<std::size_t>(byteLimit) + 1));
  SInt32 take = WholeCharacterPrefix(text, length, byteLimit);
  std::memmove(output, text, static_cast<std::size_t>(take));
  output[take] = '\0';
}

// ---- Case ------------------------------------------------------------------------------------

void Sp_ChangeToUpperString(char* text, Boolean diacriticsSensitive) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_ChangeToUpperString", 1, kSpMsgPointerArg);
    return;
  }
  // UpperString works on a length-prefixed string of at most 255 bytes; the text goes through
  // a private one piece by piece, so a longer text is changed whole and never cut.
  SInt32 remaining = static_cast<SInt32>(std::strlen(text));
  char* piece = text;
  while (remaining > 0) {
    Str255 buffer;
    SInt32 take = WholeCharacterPrefix(piece, remaining, kMaxPascalLength);
    buffer[0] = static_cast<unsigned char>(take);
    std::memcpy(buffer + 1, piece, static_cast<std::size_t>(take));
    UpperString(buffer, diacriticsSensitive);
    std::memcpy(piece, buffer + 1, static_cast<std::size_t>(take));
    piece += take;
    remaining -= take;
  }
}

void Sp_ChangeToUpperStringWithScriptCode(char* text, ScriptCode script) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_ChangeToUpperStringWithScriptCode", 1, kSpMsgPointerArg);
    return;
  }
  ApplyCaseRoutine(text, script, UppercaseText);
}

void Sp_ChangeToLowercaseStringWithScriptCode(char* text, ScriptCode script) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_ChangeToLowercaseStringWithScriptCode", 1, kSpMsgPointerArg);
    return;
  }
  ApplyCaseRoutine(text, script, LowercaseText);
}

void Sp_ChangeToUpperStringWithFontNo(char* text, short fontNumber) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_ChangeToUpperStringWithFontNo", 1, kSpMsgPointerArg);
    return;
  }
  ApplyCaseRoutine(text, FontToScript(fontNumber), UppercaseText);
}

void Sp_ChangeToLowercaseStringWithFontNo(char* text, short fontNumber) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_ChangeToLowercaseStringWithFontNo", 1, kSpMsgPointerArg);
    return;
  }
  ApplyCaseRoutine(text, FontToScript(fontNumber), LowercaseText);
}

// ---- Character and string tests --------------------------------------------------------------

void Sp_GetCharacterInfo(const char* text, short offset, sCharactorInfoStruct& info) {
  if (text == nullptr) {
    SpReportFailure(kSource, "Sp_GetCharacterInfo", 1, kMsgNullArgumentTwoByte);
    return;
  }
  UInt16 r = static_cast<UInt16>(CharacterType(AsPtr(text), offset, smJapanese));
  info.charType = r & 0x000F;
  info.charClass = r & 0x0F00;
  info.orientationBits = r & 0x1000;
  info.horizontal = info.orientationBits == 0;
  info.rightToLeftBits = r & 0x2000;
  info.rightToLeft = info.rightToLeftBits == 0x2000;
  info.upperCaseBits = r & 0x4000;
  info.upperCase = info.upperCaseBits == 0x4000;
  info.twoByteBits = r & 0x8000;
  info.twoByte = info.twoByteBits == 0x8000;
}

void Sp_GetCharacterInfo(char byte, sCharactorInfoStruct& info) {
  const char text[2] = {byte, '\0'};
  Sp_GetCharacterInfo(text, 0, info);
}

Boolean Sp_EqualCharacterInfo(const sCharactorInfoStruct& first, const sCharactorInfoStruct& second,
                              Boolean compareType, Boolean compareClass, Boolean compareUpperCase) {
  if (compareType && first.charType != second.charType) return false;
  if (compareClass && first.charClass != second.charClass) return false;
  if (first.horizontal != second.horizontal) return false;
  if (first.rightToLeft != second.rightToLeft) return false;
  if (compareUpperCase && first.upperCase != second.upperCase) return false;
  return first.twoByte == second.twoByte;
}

Boolean Sp_IsTwoByteChar(const char* text, SInt32 offset, Boolean* firstByteOut) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "Sp_IsTwoByteChar", 1, kMsgNullArgumentTwoByte, Boolean(false));
  }
  Boolean isTwoByte = false;
  Boolean isFirstByte = true;
  if (offset >= 0) {
    SInt32 length = static_cast<SInt32>(strnlen(text, static_cast<std::size_t>(offset) + 2));
    SInt32 pos = 0;
    while (pos < length && pos <= offset) {
      SInt32 step = CharacterLengthAt(text + pos, length - pos);
      if (pos == offset) {
        isTwoByte = step == 2;
        break;
      }
      if (step == 2 && pos + 1 == offset) {
        isTwoByte = true;
        isFirstByte = false;
        break;
      }
      pos += step;
    }
  }
  if (firstByteOut != nullptr) *firstByteOut = isFirstByte;
  return isTwoByte;
}

Boolean Sp_CheckStringContainTwoByteChar(const char* text, SInt32 byteCount) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "Sp_CheckStringContainTwoByteChar", 1, kMsgNullArgumentTwoByte,
                           Boolean(false));
  }
  SInt32 available = static_cast<SInt32>(std::strlen(text));
  SInt32 counted = (byteCount >= 0 && byteCount < available) ? byteCount : available;
  // A character whose first byte lies inside the counted bytes belongs to them.
  for (SInt32 pos = 0; pos < counted;) {
    SInt32 step = CharacterLengthAt(text + pos, available - pos);
    if (step == 2) return true;
    pos += step;
  }
  return false;
}

Boolean Sp_IsOneByteSpaceString(const char* bytes, SInt32 length) {
  if (bytes == nullptr) {
    return SpReportFailure(kSource, "Sp_IsOneByteSpaceString", 1, kMsgNullArgumentTwoByte,
                           Boolean(false));
  }
  for (SInt32 i = 0; i < length; ++i) {
    if (bytes[i] != ' ') return false;
  }
  return true;
}

Boolean Sp_IsTwoByteSpaceString(const char* bytes, SInt32 length) {
  if (bytes == nullptr) {
    return SpReportFailure(kSource, "Sp_IsTwoByteSpaceString", 1, kMsgNullArgumentTwoByte,
                           Boolean(false));
  }
  // A lone byte at the end is half a character, never a full-width space.
  for (SInt32 i = 0; i < length; i += 2) {
    if (i + 1 >= length) return false;
    if (static_cast<unsigned char>(bytes[i]) != 0x81 ||
        static_cast<unsigned char>(bytes[i + 1]) != 0x40) {
      return false;
    }
  }
  return true;
}

Boolean Sp_IsNumberString(const char* text) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "Sp_IsNumberString", 1, kSpMsgPointerArg, Boolean(false));
  }
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  SInt32 length = static_cast<SInt32>(std::strlen(text));
  bool point = false;
  bool exponent = false;
  for (SInt32 i = 0; i < length; ++i) {
    unsigned char c = s[i];
    if (IsAsciiDigit(c)) continue;
    if (c == 'x' || c == 'X') {
      if (i == 1 && s[0] == '0') continue;
      return false;
    }
    if (c == '.') {
      if (point) return false;
      point = true;
      continue;
    }
    if (c == 'e' || c == 'E') {
      if (i == 0 || exponent) return false;
      exponent = true;
      continue;
    }
    if (IsIntegerSuffix(c) && !point && !exponent) {
      if (i == length - 1) return true;
      if (i == length - 2 && ((IsUnsignedMark(c) && IsLongMark(s[i + 1])) ||
                              (IsLongMark(c) && IsUnsignedMark(s[i + 1])))) {
        return true;
      }
    }
    return false;
  }
  return true;
}

Boolean Sp_IsNameString(const char* text) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "Sp_IsNameString", 1, kSpMsgPointerArg, Boolean(false));
  }
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  if (s[0] == '\0') return false;
  if (!(s[0] == '_' || s[0] == '~' || IsAsciiLetter(s[0]))) return false;
  for (const unsigned char* p = s + 1; *p != '\0'; ++p) {
    if (!(*p == '_' || IsAsciiDigit(*p) || IsAsciiLetter(*p))) return false;
  }
  return true;
}

Boolean Sp_IsControlInstructionTitle(const char* text) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "Sp_IsControlInstructionTitle", 1, kSpMsgPointerArg,
                           Boolean(false));
  }
  static const char* const kKeywords[] = {"if", "else", "for",   "while",    "switch",
                                          "do", "goto", "break", "continue", "return"};
  for (const char* keyword : kKeywords) {
    if (std::strcmp(text, keyword) == 0) return true;
  }
  return false;
}

short Sp_strcmp(const char* first, const char* second) {
  if (first == nullptr || second == nullptr) {
    return SpReportFailure(kSource, "Sp_strcmp", 1, kSpMsgPointerArg, short(0));
  }
  std::size_t firstLength = std::strlen(first);
  std::size_t secondLength = std::strlen(second);
  std::size_t shorter = firstLength < secondLength ? firstLength : secondLength;
  for (std::size_t i = 0; i < shorter; ++i) {
    signed char a = static_cast<signed char>(first[i]);
    signed char b = static_cast<signed char>(second[i]);
    if (a != b) return a > b ? 1 : -1;
  }
  if (firstLength == secondLength) return 0;
  return firstLength < secondLength ? -1 : 1;
}

Boolean Sp_DataCmp(const void* first, const void* second, SInt32 length) {
  if (first == nullptr || second == nullptr || length <= 0) {
    return SpReportFailure(kSource, "Sp_DataCmp", 1, kMsgNullArgumentShort, Boolean(false));
  }
  return std::memcmp(first, second, static_cast<std::size_t>(length)) == 0;
}

Boolean Sp_GetEnableFontSize(short font, short size, short& sizeOut, Boolean trySmaller,
                             Boolean tryLarger, short largestSize) {
  sizeOut = size;
  if (trySmaller) {
    for (short s = size; s >= 1; --s) {
      if (RealFont(font, s)) {
        sizeOut = s;
        return true;
      }
    }
  }
  if (tryLarger) {
    for (SInt32 s = size; s <= largestSize; ++s) {
      if (RealFont(font, short(s))) {
        sizeOut = short(s);
        return true;
      }
    }
  }
  return false;
}
