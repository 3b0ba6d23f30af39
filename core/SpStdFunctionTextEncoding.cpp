// The framework's text helpers across encodings: CFStrings, UTF-16, the Text Encoding
// Converter, the bundle's string tables and 'STR#' resources.
#include <cstring>
#include <string>

#include "CFBundle.h"
#include "CFString.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunction.h"
#include "SpTextCodec.h"
#include "TextEncodingConverter.h"

namespace {

const char kSource[] = "SpStdFunction";

// The encodings a CFString is read back with, in the order they are tried.
const CFStringEncoding kJapaneseFallbackChain[] = {
    kCFStringEncodingMacJapanese,
    kCFStringEncodingShiftJIS,
    kCFStringEncodingDOSJapanese,
    kCFStringEncodingShiftJIS_X0213,
};

// Bytes the scratch block of an encoding conversion gets per UTF-16 unit: enough for the
// widest encoding (four bytes a character), so a conversion is never cut short by the block.
enum { kScratchBytesPerUnit = 4 };

CFStringRef MakeMacJapaneseString(const char* text) {
  return CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingMacJapanese);
}

// The key's text in the main bundle's table, or null when the table has no such key. The
// bundle hands back the value it is given for a missing key, so it is given one that no
// string table can hold (a lone non-character) and that answer means "not found".
CFStringRef CopyLocalizedTextOrNull(const char* tableName, const char* key) {
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return nullptr;
  CFStringRef keyString = MakeMacJapaneseString(key);
  CFStringRef tableString = MakeMacJapaneseString(tableName);
  const UniChar kNotFoundMark[] = {0xFFFF};
  CFStringRef notFound = CFStringCreateWithCharacters(kCFAllocatorDefault, kNotFoundMark, 1);
  CFStringRef found = nullptr;
  if (keyString != nullptr && tableString != nullptr && notFound != nullptr) {
    found = CFBundleCopyLocalizedString(bundle, keyString, notFound, tableString);
    if (found != nullptr &&
        CFStringCompare(found, notFound, static_cast<CFStringCompareFlags>(0)) ==
            kCFCompareEqualTo) {
      CFRelease(found);
      found = nullptr;
    }
  }
  if (notFound != nullptr) CFRelease(notFound);
  if (tableString != nullptr) CFRelease(tableString);
  if (keyString != nullptr) CFRelease(keyString);
  return found;
}

}  // namespace

// ---- CFStrings and text encodings ----------------------------------------------------------

Boolean Sp_GetCStringFromCFString(CFStringRef str, char* buffer, SInt32 bufferSize,
                                  CFStringEncoding* encodingOut) {
  if (str == nullptr || buffer == nullptr) {
    return SpReportFailure(kSource, "Sp_GetCStringFromCFString", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  if (bufferSize < 1) return false;
  Boolean result = false;
  CFStringEncoding last = kJapaneseFallbackChain[0];
  for (CFStringEncoding encoding : kJapaneseFallbackChain) {
    last = encoding;
    buffer[0] = '\0';
    result = CFStringGetCString(str, buffer, bufferSize, encoding) ? true : false;
    // A failed attempt may leave part of a text behind: it counts as empty, and the buffer
    // stays terminated for the caller.
    if (!result) buffer[0] = '\0';
    if (buffer[0] != '\0') break;
  }
  if (encodingOut != nullptr) *encodingOut = last;
  return result;
}

Boolean Sp_UnicodeToCString(const UniChar* characters, SInt32 count, char* buffer,
                            SInt32 bufferSize, CFStringEncoding* encodingOut) {
  if (characters == nullptr || buffer == nullptr) {
    return SpReportFailure(kSource, "Sp_UnicodeToCString", 1, kSpMsgNullArgument, Boolean(false));
  }
  if (count < 0) return false;
  CFStringRef str = CFStringCreateWithCharacters(kCFAllocatorDefault, characters, count);
  if (str == nullptr) return false;
  CFStringEncoding used = 0;
  Boolean result = Sp_GetCStringFromCFString(str, buffer, bufferSize, &used);
  CFRelease(str);
  if (result && buffer[0] != '\0' && encodingOut != nullptr) *encodingOut = used;
  return result;
}

Boolean Sp_UnicodeNameToCString(const UniChar* characters, SInt32 count, char* buffer,
                                SInt32 bufferSize) {
  if (characters == nullptr || buffer == nullptr) {
    return SpReportFailure(kSource, "Sp_UnicodeNameToCString", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  if (bufferSize < 1) return false;
  buffer[0] = '\0';
  if (count < 0) return false;
  const std::string text = sp::text::UTF16ToMacJapaneseNearest(
      reinterpret_cast<const char16_t*>(characters), std::size_t(count));
  if (text.size() >= std::size_t(bufferSize)) return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return true;
}

Boolean Sp_CStringToEncodingString(const char* text, CFStringEncoding sourceEncoding,
                                   CFStringEncoding targetEncoding, UInt8 lossByte, short padCount,
                                   char** out, SInt32* charactersOut, SInt32* lengthOut) {
  if (text == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_CStringToEncodingString", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  *out = nullptr;
  if (charactersOut != nullptr) *charactersOut = 0;
  if (lengthOut != nullptr) *lengthOut = 0;

  CFStringRef str = CFStringCreateWithCString(kCFAllocatorDefault, text, sourceEncoding);
  if (str == nullptr) return false;
  CFIndex units = CFStringGetLength(str);
  Ptr scratch = units > 0 ? NewPtrClear(static_cast<Size>(units * kScratchBytesPerUnit)) : nullptr;
  if (scratch == nullptr) {
    CFRelease(str);
    return false;
  }
  CFIndex usedBytes = 0;
  CFIndex converted =
      CFStringGetBytes(str, CFRangeMake(0, units), targetEncoding, lossByte, false,
                       reinterpret_cast<UInt8*>(scratch), units * kScratchBytesPerUnit, &usedBytes);
  CFRelease(str);
  if (charactersOut != nullptr) *charactersOut = static_cast<SInt32>(converted);

  Boolean result = false;
  if (converted > 0) {
    // The length is the converted byte count itself: converted characters may well end in a
    // zero byte (every ASCII character in little-endian UTF-16), so no byte is ever taken
    // for padding. The pad is added after them as zero bytes.
    Size pad = padCount > 0 ? padCount : 0;
    Size length = static_cast<Size>(usedBytes);
    Ptr block = NewPtrClear(length + pad + 4);
    if (block != nullptr) {
      std::memcpy(block, scratch, static_cast<std::size_t>(length));
      *out = block;
      if (lengthOut != nullptr) *lengthOut = length + pad;
      result = true;
    }
  }
  DisposePtr(scratch);
  return result;
}

Boolean Sp_ShiftJISCStringToEncodingString(const char* text, CFStringEncoding targetEncoding,
                                           UInt8 lossByte, short padCount, char** out,
                                           SInt32* charactersOut, SInt32* lengthOut) {
  if (text == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_ShiftJISCStringToEncodingString", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  return Sp_CStringToEncodingString(text, kCFStringEncodingMacJapanese, targetEncoding, lossByte,
                                    padCount, out, charactersOut, lengthOut);
}

Boolean Sp_ShiftJISCStringToUnicode(const char* text, UniChar** out, SInt32* characterCountOut,
                                    SInt32* byteSizeOut) {
  if (text == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_ShiftJISCStringToUnicode", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  CFStringRef str = MakeMacJapaneseString(text);
  if (str == nullptr) return false;
  CFIndex units = CFStringGetLength(str);
  Size blockSize = static_cast<Size>(units * 2 + 4);
  Ptr block = NewPtrClear(blockSize);
  if (block == nullptr) {
    CFRelease(str);
    return false;
  }
  CFStringGetCharacters(str, CFRangeMake(0, units), reinterpret_cast<UniChar*>(block));
  CFRelease(str);
  *out = reinterpret_cast<UniChar*>(block);
  if (characterCountOut != nullptr) *characterCountOut = static_cast<SInt32>(units);
  if (byteSizeOut != nullptr) *byteSizeOut = blockSize;
  return true;
}

CFMutableStringRef Sp_CFStringCat(CFStringRef first, CFStringRef second) {
  if (first == nullptr || second == nullptr) {
    return SpReportFailure(kSource, "Sp_CFStringCat", 1, kSpMsgNullArgument,
                           CFMutableStringRef(nullptr));
  }
  CFMutableStringRef joined = CFStringCreateMutableCopy(kCFAllocatorDefault, 0, first);
  if (joined != nullptr) CFStringAppend(joined, second);
  return joined;
}

CFStringRef Sp_GetCFStringFromCFStringParts(CFStringRef str, SInt32 start, SInt32 length) {
  if (str == nullptr) {
    return SpReportFailure(kSource, "Sp_GetCFStringFromCFStringParts", 1, kSpMsgNullArgument,
                           CFStringRef(nullptr));
  }
  CFIndex total = CFStringGetLength(str);
  if (start < 0 || length < 0 || start > total || length > total - start) return nullptr;
  return CFStringCreateWithSubstring(kCFAllocatorDefault, str, CFRangeMake(start, length));
}

SInt32 Sp_GetCFStringByte(CFStringRef str, UInt32 /*unused*/) {
  if (str == nullptr) {
    return SpReportFailure(kSource, "Sp_GetCFStringByte", 1, kSpMsgNullArgument, SInt32(0));
  }
  CFIndex length = CFStringGetLength(str);
  return static_cast<SInt32>(CFStringGetBytes(str, CFRangeMake(0, length), kCFStringEncodingUnicode,
                                              0, false, nullptr, 0, nullptr));
}

CFStringRef Sp_GetTargetByteCFString(CFStringRef str, SInt32 limit) {
  if (str == nullptr) {
    return SpReportFailure(kSource, "Sp_GetTargetByteCFString", 1, kSpMsgNullArgument,
                           CFStringRef(nullptr));
  }
  CFStringRef current =
      CFStringCreateWithSubstring(kCFAllocatorDefault, str, CFRangeMake(0, CFStringGetLength(str)));
  // Half of the excess goes each round, so a long text shrinks quickly and the last rounds
  // take one unit at a time.
  while (current != nullptr) {
    SInt32 units = Sp_GetCFStringByte(current, 0);
    if (units <= limit || units <= 0) break;
    SInt32 excess = units - limit;
    SInt32 cut = excess / 2 > 0 ? excess / 2 : 1;
    SInt32 keep = static_cast<SInt32>(CFStringGetLength(current)) - cut;
    if (keep < 0) keep = 0;
    CFStringRef shorter = Sp_GetCFStringFromCFStringParts(current, 0, keep);
    CFRelease(current);
    current = shorter;
  }
  return current;
}

Boolean Sp_TextConvert(const char* source, SInt32 sourceLength, TextEncoding sourceEncoding,
                       char* destination, SInt32 destinationSize,
                       TextEncoding destinationEncoding) {
  if (source == nullptr || destination == nullptr) {
    return SpReportFailure(kSource, "Sp_TextConvert", 1, kSpMsgNullArgument, Boolean(false));
  }
  if (sourceLength < 0 || destinationSize < 1) return false;
  TECObjectRef converter = nullptr;
  if (TECCreateConverter(&converter, sourceEncoding, destinationEncoding) != noErr ||
      converter == nullptr) {
    return false;
  }
  // The converter gets one byte less than the destination holds, so the terminator always
  // fits behind what it wrote.
  ByteCount read = 0;
  ByteCount written = 0;
  OSStatus status = TECConvertText(converter, reinterpret_cast<ConstTextPtr>(source),
                                   static_cast<ByteCount>(sourceLength), &read,
                                   reinterpret_cast<TextPtr>(destination),
                                   static_cast<ByteCount>(destinationSize - 1), &written);
  TECDisposeConverter(converter);
  if (written > static_cast<ByteCount>(destinationSize - 1)) written = 0;
  destination[written] = '\0';
  return status == noErr;
}

// ---- Localised and resource strings --------------------------------------------------------

CFStringRef Sp_GetLocalizedString(const char* tableName, const char* key, const char* /*comment*/,
                                  const char* fallback) {
  if (tableName == nullptr || key == nullptr) {
    return SpReportFailure(kSource, "Sp_GetLocalizedString", 1, kSpMsgNullArgument,
                           CFStringRef(nullptr));
  }
  CFStringRef found = CopyLocalizedTextOrNull(tableName, key);
  if (found != nullptr) return found;
  // A missing key gives the caller's own text; without one, the key itself, as the bundle
  // would answer.
  return MakeMacJapaneseString(fallback != nullptr ? fallback : key);
}

void Sp_GetLocalizedStringAndAppend(CFMutableStringRef str, const char* tableName, const char* key,
                                    const char* /*comment*/, const char* fallback) {
  if (str == nullptr || tableName == nullptr || key == nullptr) {
    SpReportFailure(kSource, "Sp_GetLocalizedStringAndAppend", 1, kSpMsgNullArgument);
    return;
  }
  CFStringRef found = CopyLocalizedTextOrNull(tableName, key);
  if (found != nullptr) {
    CFStringAppend(str, found);
    CFRelease(found);
    return;
  }
  const char* text = (fallback != nullptr && fallback[0] != '\0') ? fallback : key;
  CFStringAppendCString(str, text, kCFStringEncodingMacJapanese);
}

Boolean Sp_GetResourceIndexString(char* buffer, short resourceID, short index) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "Sp_GetResourceIndexString", 1, kSpMsgPointerArg,
                           Boolean(false));
  }
  GetIndString(reinterpret_cast<StringPtr>(buffer), resourceID, index);
  if (buffer[0] == '\0') return false;
  Sp_PascalStringToCString(buffer);
  return true;
}
