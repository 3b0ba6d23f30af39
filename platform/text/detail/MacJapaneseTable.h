// The data that makes MacJapanese out of code page 932. See MacJapaneseTable.cpp.
#pragma once

#include <cstddef>

#include "MacTypes.h"

namespace sp {
namespace text {
namespace detail {

// `count` consecutive codes from `code` that map to consecutive characters from text[0]
// (count 1: the code maps to the character sequence in text, zero-ended). `encodes` false:
// the code is read but never written (another code or no code stands for the text).
struct MacJapaneseExtension {
  UInt16 code;
  UInt8 count;
  bool encodes;
  char32_t text[5];
};

// A code whose meaning differs from code page 932.
struct MacJapaneseOverride {
  UInt16 code;
  char32_t character;
};

// A character written with this code although the code reads back as another character.
struct MacJapaneseAlias {
  char32_t character;
  UInt16 code;
};

extern const MacJapaneseExtension kMacJapaneseExtensions[];
extern const std::size_t kMacJapaneseExtensionCount;
extern const MacJapaneseOverride kMacJapaneseOverrides[];
extern const std::size_t kMacJapaneseOverrideCount;
extern const MacJapaneseAlias kMacJapaneseAliases[];
extern const std::size_t kMacJapaneseAliasCount;

// The rows of two-byte codes, by lead byte.
enum class MacJapaneseRow {
  kUnused,     // not text in MacJapanese
  kStandard,   // JIS X 0208, as code page 932 reads it
  kExtension,  // the Mac's own characters (rows 0x85-0x88 before the kanji, 0xEB-0xED)
  kForeign,    // code page 932 only: read as code page 932, written for no Mac code's character
};
MacJapaneseRow MacJapaneseRowOf(UInt16 code);

}  // namespace detail
}  // namespace text
}  // namespace sp
