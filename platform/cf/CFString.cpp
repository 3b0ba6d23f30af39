// CFString over std::u16string. Conversions to and from bytes go through the layer's codec.
#include "CFString.h"

#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "SpTextCodec.h"
#include "detail/CFObjects.h"

namespace sp_cf {

CFStringRef NewString(std::u16string chars) {
  SpCFString* s = new (std::nothrow) SpCFString();
  if (s == nullptr) return nullptr;
  s->chars = std::move(chars);
  return s;
}

CFStringRef NewStringFromUTF8(const std::string& utf8) {
  std::u16string chars;
  if (!sp::text::DecodeToUTF16(kCFStringEncodingUTF8, utf8.data(), utf8.size(), chars)) {
    return nullptr;
  }
  return NewString(std::move(chars));
}

const std::u16string* StringChars(CFStringRef str) {
  const SpCFString* s = As<const SpCFString>(str, kTypeString);
  return s == nullptr ? nullptr : &s->chars;
}

std::string StringToUTF8(CFStringRef str) {
  const std::u16string* chars = StringChars(str);
  return chars == nullptr ? std::string() : sp::text::UTF16ToUTF8(*chars);
}

}  // namespace sp_cf

namespace {

SpCFString* String(CFStringRef str) {
  return sp_cf::As<SpCFString>(str, sp_cf::kTypeString);
}

SpCFString* MutableString(CFMutableStringRef str) {
  SpCFString* s = String(str);
  return s != nullptr && s->isMutable ? s : nullptr;
}

bool ValidRange(const std::u16string& chars, CFRange range) {
  return range.location >= 0 && range.length >= 0 &&
         CFIndex(chars.size()) - range.location >= range.length;
}

CFStringRef CreateFromBytes(const void* bytes, std::size_t length, CFStringEncoding encoding,
                            bool external) {
  std::u16string chars;
  if (!sp::text::DecodeToUTF16(encoding, bytes, length, chars, external)) return nullptr;
  return sp_cf::NewString(std::move(chars));
}

// How many of `count` units a mutable string takes before it reaches its maximum length.
std::size_t UnitsThatFit(const SpCFString* s, std::size_t count) {
  if (s->maxLength <= 0) return count;
  const std::size_t room =
      std::size_t(s->maxLength) > s->chars.size() ? std::size_t(s->maxLength) - s->chars.size() : 0;
  return count > room ? room : count;
}

// Appends to a mutable string, cut at its maximum length.
void AppendUnits(SpCFString* s, const char16_t* chars, std::size_t count) {
  s->chars.append(chars, UnitsThatFit(s, count));
}

char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - u'a' + u'A');
  if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 0xFF41 + 0xFF21);  // full-width a-z
  return c;
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

CFComparisonResult CompareUnits(const char16_t* a, std::size_t aLen, const char16_t* b,
                                std::size_t bLen, CFStringCompareFlags flags) {
  const bool fold = (flags & kCFCompareCaseInsensitive) != 0;
  const bool numeric = (flags & kCFCompareNumerically) != 0;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < aLen && j < bLen) {
    if (numeric && IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the runs of digits by value: skip leading zeros, then longer is larger.
      std::size_t ie = i;
      while (ie < aLen && IsDigit(a[ie])) ++ie;
      std::size_t je = j;
      while (je < bLen && IsDigit(b[je])) ++je;
      std::size_t is = i;
      while (is + 1 < ie && a[is] == u'0') ++is;
      std::size_t js = j;
      while (js + 1 < je && b[js] == u'0') ++js;
      if (ie - is != je - js) return ie - is < je - js ? kCFCompareLessThan : kCFCompareGreaterThan;
      for (; is < ie; ++is, ++js) {
        if (a[is] != b[js]) return a[is] < b[js] ? kCFCompareLessThan : kCFCompareGreaterThan;
      }
      i = ie;
      j = je;
      continue;
    }
    const char16_t ca = fold ? FoldCase(a[i]) : a[i];
    const char16_t cb = fold ? FoldCase(b[j]) : b[j];
    if (ca != cb) return ca < cb ? kCFCompareLessThan : kCFCompareGreaterThan;
    ++i;
    ++j;
  }
  if (i < aLen) return kCFCompareGreaterThan;
  if (j < bLen) return kCFCompareLessThan;
  return kCFCompareEqualTo;
}

bool UnitsMatch(const char16_t* a, const char16_t* b, std::size_t n, bool fold) {
  for (std::size_t k = 0; k < n; ++k) {
    if ((fold ? FoldCase(a[k]) : a[k]) != (fold ? FoldCase(b[k]) : b[k])) return false;
  }
  return true;
}

// The whole string's bytes in the encoding; false for no string or a character the encoding
// lacks.
bool EncodeWhole(CFStringRef str, CFStringEncoding encoding, std::string& bytes) {
  const SpCFString* s = String(str);
  return s != nullptr &&
         sp::text::EncodeFromUTF16(encoding, s->chars.data(), s->chars.size(), 0, bytes);
}

std::size_t TerminatorSize(CFStringEncoding encoding) {
  if (!sp::text::IsWideUnicodeEncoding(encoding)) return 1;
  return sp::text::MaxBytesPerUnit(encoding);
}

}  // namespace

bool SpCFString::Equal(const Object& other) const {
  return chars == static_cast<const SpCFString&>(other).chars;
}

CFHashCode SpCFString::Hash() const {
  return sp_cf::HashUnits(chars);
}

CFTypeID CFStringGetTypeID() {
  return sp_cf::kTypeString;
}

CFStringRef SpCFConstantString(const char* utf8Literal) {
  // Kept for the life of the program, reachable from this map.
  static auto* constants = new std::unordered_map<std::string, SpCFString*>();
  if (utf8Literal == nullptr) return nullptr;
  auto it = constants->find(utf8Literal);
  if (it != constants->end()) return it->second;
  SpCFString* s = new SpCFString();
  s->chars = sp::text::UTF8ToUTF16(utf8Literal);
  s->immortal = true;
  constants->emplace(utf8Literal, s);
  return s;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (cStr == nullptr) return nullptr;
  return CreateFromBytes(cStr, std::strlen(cStr), encoding, false);
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr,
                                           CFStringEncoding encoding) {
  if (pStr == nullptr) return nullptr;
  return CreateFromBytes(pStr + 1, pStr[0], encoding, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (chars == nullptr && numChars > 0)) return nullptr;
  std::u16string units;
  if (numChars > 0) units.assign(reinterpret_cast<const char16_t*>(chars), std::size_t(numChars));
  return sp_cf::NewString(std::move(units));
}

CFStringRef CFStringCreateWithCharactersNoCopy(CFAllocatorRef alloc, const UniChar* chars,
                                               CFIndex numChars, CFAllocatorRef) {
  return CFStringCreateWithCharacters(alloc, chars, numChars);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
  if (numBytes < 0 || (bytes == nullptr && numBytes > 0)) return nullptr;
  return CreateFromBytes(bytes, std::size_t(numBytes), encoding, isExternalRepresentation != 0);
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef, CFStringRef str, CFRange range) {
  const SpCFString* s = String(str);
  if (s == nullptr || !ValidRange(s->chars, range)) return nullptr;
  return sp_cf::NewString(s->chars.substr(std::size_t(range.location), std::size_t(range.length)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString) {
  const SpCFString* s = String(theString);
  if (s == nullptr) return nullptr;
  if (!s->isMutable) return static_cast<CFStringRef>(CFRetain(theString));
  return sp_cf::NewString(s->chars);
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex maxLength) {
  SpCFString* s = new (std::nothrow) SpCFString();
  if (s == nullptr) return nullptr;
  s->isMutable = true;
  s->maxLength = maxLength > 0 ? maxLength : 0;
  return s;
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength,
                                             CFStringRef theString) {
  const SpCFString* source = String(theString);
  if (source == nullptr) return nullptr;
  CFMutableStringRef copy = CFStringCreateMutable(alloc, maxLength);
  if (copy != nullptr) AppendUnits(copy, source->chars.data(), source->chars.size());
  return copy;
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString) {
  SpCFString* s = MutableString(theString);
  const SpCFString* a = String(appendedString);
  if (s == nullptr || a == nullptr) return;
  const std::u16string units = a->chars;  // the string may be appended to itself
  AppendUnits(s, units.data(), units.size());
}

void CFStringAppendCString(CFMutableStringRef theString, const char* cStr,
                           CFStringEncoding encoding) {
  SpCFString* s = MutableString(theString);
  if (s == nullptr || cStr == nullptr) return;
  std::u16string units;
  if (!sp::text::DecodeToUTF16(encoding, cStr, std::strlen(cStr), units)) return;
  AppendUnits(s, units.data(), units.size());
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars,
                              CFIndex numChars) {
  SpCFString* s = MutableString(theString);
  if (s == nullptr || chars == nullptr || numChars <= 0) return;
  AppendUnits(s, reinterpret_cast<const char16_t*>(chars), std::size_t(numChars));
}

void CFStringAppendPascalString(CFMutableStringRef theString, ConstStr255Param pStr,
                                CFStringEncoding encoding) {
  SpCFString* s = MutableString(theString);
  if (s == nullptr || pStr == nullptr) return;
  std::u16string units;
  if (!sp::text::DecodeToUTF16(encoding, pStr + 1, pStr[0], units)) return;
  AppendUnits(s, units.data(), units.size());
}

void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr) {
  SpCFString* s = MutableString(str);
  const SpCFString* a = String(insertedStr);
  if (s == nullptr || a == nullptr || idx < 0 || std::size_t(idx) > s->chars.size()) return;
  std::u16string units = a->chars;
  units.resize(UnitsThatFit(s, units.size()));
  s->chars.insert(std::size_t(idx), units);
}

void CFStringDelete(CFMutableStringRef theString, CFRange range) {
  SpCFString* s = MutableString(theString);
  if (s == nullptr || !ValidRange(s->chars, range)) return;
  s->chars.erase(std::size_t(range.location), std::size_t(range.length));
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement) {
  SpCFString* s = MutableString(theString);
  const SpCFString* r = String(replacement);
  if (s == nullptr || r == nullptr) return;
  const std::u16string units = r->chars;
  s->chars.clear();
  AppendUnits(s, units.data(), units.size());
}

CFIndex CFStringGetLength(CFStringRef theString) {
  const SpCFString* s = String(theString);
  return s == nullptr ? 0 : CFIndex(s->chars.size());
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
  const SpCFString* s = String(theString);
  if (s == nullptr || idx < 0 || std::size_t(idx) >= s->chars.size()) return 0;
  return s->chars[std::size_t(idx)];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
  const SpCFString* s = String(theString);
  if (s == nullptr || buffer == nullptr || !ValidRange(s->chars, range)) return;
  if (range.length > 0) {
    std::memcpy(buffer, s->chars.data() + range.location, std::size_t(range.length) * 2);
  }
}

const UniChar* CFStringGetCharactersPtr(CFStringRef theString) {
  const SpCFString* s = String(theString);
  if (s == nullptr || s->chars.empty()) return nullptr;
  return reinterpret_cast<const UniChar*>(s->chars.data());
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  if (buffer == nullptr || bufferSize <= 0) return false;
  buffer[0] = 0;
  std::string bytes;
  if (!EncodeWhole(theString, encoding, bytes)) return false;
  const std::size_t terminator = TerminatorSize(encoding);
  if (bytes.size() + terminator > std::size_t(bufferSize)) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  std::memset(buffer + bytes.size(), 0, terminator);
  return true;
}

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
  if (buffer == nullptr || bufferSize <= 0) return false;
  buffer[0] = 0;
  std::string bytes;
  if (!EncodeWhole(theString, encoding, bytes)) return false;
  if (bytes.size() > 255 || bytes.size() + 1 > std::size_t(bufferSize)) return false;
  buffer[0] = UInt8(bytes.size());
  std::memcpy(buffer + 1, bytes.data(), bytes.size());
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
  SpCFString* s = String(theString);
  if (s == nullptr || s->isMutable || sp::text::IsWideUnicodeEncoding(encoding)) return nullptr;
  if (s->cStringValid && s->cStringEncoding == encoding) return s->cString.c_str();
  std::string bytes;
  if (!sp::text::EncodeFromUTF16(encoding, s->chars.data(), s->chars.size(), 0, bytes) ||
      bytes.find('\0') != std::string::npos) {
    return nullptr;
  }
  s->cString = std::move(bytes);
  s->cStringEncoding = encoding;
  s->cStringValid = true;
  return s->cString.c_str();
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen) {
  if (usedBufLen != nullptr) *usedBufLen = 0;
  const SpCFString* s = String(theString);
  if (s == nullptr || !ValidRange(s->chars, range) || !sp::text::IsSupportedEncoding(encoding)) {
    return 0;
  }
  if (maxBufLen < 0) maxBufLen = 0;
  CFIndex used = 0;
  std::string chunk;
  if (isExternalRepresentation && range.length > 0) {
    // The byte-order mark, for the encodings that have one.
    const char16_t none = 0;
    sp::text::EncodeFromUTF16(encoding, &none, 0, 0, chunk, true);
    if (!chunk.empty()) {
      if (buffer != nullptr) {
        if (CFIndex(chunk.size()) > maxBufLen) return 0;
        std::memcpy(buffer, chunk.data(), chunk.size());
      }
      used = CFIndex(chunk.size());
    }
  }
  const char16_t* chars = s->chars.data();
  const std::size_t end = std::size_t(range.location + range.length);
  std::size_t i = std::size_t(range.location);
  CFIndex converted = 0;
  while (i < end) {
    chunk.clear();
    std::size_t taken = sp::text::EncodeStep(encoding, chars, end, i, chunk);
    if (taken == 0) {
      if (lossByte == 0) break;
      chunk.assign(1, char(lossByte));
      const char16_t c = chars[i];
      taken = (c >= 0xD800 && c <= 0xDBFF && i + 1 < end && chars[i + 1] >= 0xDC00 &&
               chars[i + 1] <= 0xDFFF)
                  ? 2
                  : 1;
    }
    if (buffer != nullptr) {
      if (used + CFIndex(chunk.size()) > maxBufLen) break;
      std::memcpy(buffer + used, chunk.data(), chunk.size());
    }
    used += CFIndex(chunk.size());
    converted += CFIndex(taken);
    i += taken;
  }
  if (usedBufLen != nullptr) *usedBufLen = used;
  return converted;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  const std::size_t perUnit = sp::text::MaxBytesPerUnit(encoding);
  if (perUnit == 0 || length < 0 ||
      length > std::numeric_limits<CFIndex>::max() / CFIndex(perUnit)) {
    return kCFNotFound;
  }
  return length * CFIndex(perUnit);
}

Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding) {
  return sp::text::IsSupportedEncoding(encoding);
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
  const SpCFString* a = String(theString1);
  const SpCFString* b = String(theString2);
  if (a == nullptr || b == nullptr) {
    if (a == b) return kCFCompareEqualTo;
    return a == nullptr ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  return CompareUnits(a->chars.data(), a->chars.size(), b->chars.data(), b->chars.size(),
                      compareOptions);
}

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2,
                                              CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions) {
  const SpCFString* a = String(theString1);
  const SpCFString* b = String(theString2);
  if (a == nullptr || b == nullptr || !ValidRange(a->chars, rangeToCompare)) {
    return CFStringCompare(theString1, theString2, compareOptions);
  }
  return CompareUnits(a->chars.data() + rangeToCompare.location, std::size_t(rangeToCompare.length),
                      b->chars.data(), b->chars.size(), compareOptions);
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind,
                     CFStringCompareFlags compareOptions) {
  const CFRange notFound = CFRangeMake(kCFNotFound, 0);
  const SpCFString* s = String(theString);
  const SpCFString* f = String(stringToFind);
  if (s == nullptr || f == nullptr || f->chars.empty() || f->chars.size() > s->chars.size()) {
    return notFound;
  }
  const bool fold = (compareOptions & kCFCompareCaseInsensitive) != 0;
  const bool backwards = (compareOptions & kCFCompareBackwards) != 0;
  const bool anchored = (compareOptions & kCFCompareAnchored) != 0;
  const std::size_t n = f->chars.size();
  const std::size_t last = s->chars.size() - n;
  if (anchored) {
    const std::size_t at = backwards ? last : 0;
    if (UnitsMatch(s->chars.data() + at, f->chars.data(), n, fold)) {
      return CFRangeMake(CFIndex(at), CFIndex(n));
    }
    return notFound;
  }
  for (std::size_t k = 0; k <= last; ++k) {
    const std::size_t at = backwards ? last - k : k;
    if (UnitsMatch(s->chars.data() + at, f->chars.data(), n, fold)) {
      return CFRangeMake(CFIndex(at), CFIndex(n));
    }
  }
  return notFound;
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix) {
  return CFStringFind(theString, prefix, kCFCompareAnchored).location == 0;
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix) {
  return CFStringFind(theString, suffix, kCFCompareAnchored | kCFCompareBackwards).location !=
         kCFNotFound;
}

SInt32 CFStringGetIntValue(CFStringRef str) {
  const SpCFString* s = String(str);
  if (s == nullptr) return 0;
  const std::u16string& c = s->chars;
  std::size_t i = 0;
  while (i < c.size() && (c[i] == u' ' || c[i] == u'\t' || c[i] == u'\n' || c[i] == u'\r')) ++i;
  bool negative = false;
  if (i < c.size() && (c[i] == u'-' || c[i] == u'+')) negative = c[i++] == u'-';
  SInt64 value = 0;
  for (; i < c.size() && IsDigit(c[i]); ++i) {
    value = value * 10 + (c[i] - u'0');
    if (value > SInt64(1) << 32) value = SInt64(1) << 32;  // stays clamped from here on
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<SInt32>::max()) return std::numeric_limits<SInt32>::max();
  if (value < std::numeric_limits<SInt32>::min()) return std::numeric_limits<SInt32>::min();
  return SInt32(value);
}
