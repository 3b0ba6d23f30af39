// The text codec. Byte encodings are held as tables built once, on first use: code page 932,
// Shift-JIS, Shift-JIS X0213, MacRoman and Windows Latin 1 are read from glibc's iconv one
// code at a time, MacJapanese is made from the code page 932 table and our own data
// (MacJapaneseTable.cpp), MacRoman takes Apple's readings where iconv's differ, ISO Latin 1
// and ASCII need no data. Conversions then never call
// iconv, so they behave the same for every input length and never depend on iconv's state.
#include "SpTextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "detail/MacJapaneseTable.h"

namespace sp {
namespace text {
namespace {

// ---------------------------------------------------------------------------------------
// Tables

// What one code reads as: one or two code points (Shift-JIS X0213 has base + combining).
struct Mapping {
  char32_t first = 0;
  char32_t second = 0;
  bool valid = false;
};

struct ByteTable {
  Mapping single[256];
  bool lead[256] = {};
  std::vector<Mapping> twoByte;  // indexed by code (lead << 8 | trail) when there are leads
  std::unordered_map<char32_t, UInt16> encode;
  std::map<std::pair<char32_t, char32_t>, UInt16> encodePairs;

  const Mapping* TwoByte(UInt8 lead, UInt8 trail) const {
    if (twoByte.empty()) return nullptr;
    const Mapping& m = twoByte[(unsigned(lead) << 8) | trail];
    return m.valid ? &m : nullptr;
  }
  // The first code entered for a character wins.
  void AddEncode(char32_t c, UInt16 code) { encode.emplace(c, code); }
  void AddEncodePair(char32_t a, char32_t b, UInt16 code) {
    encodePairs.emplace(std::make_pair(a, b), code);
  }
};

// iconv, one code at a time.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (Ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in (and flushes): kDone, or why not.
  enum Result { kDone, kInvalid, kIncomplete };
  Result Run(const char* in, std::size_t inLen, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[64];
    char* src = const_cast<char*>(in);
    std::size_t srcLeft = inLen;
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
      return errno == EINVAL ? kIncomplete : kInvalid;
    }
    if (srcLeft != 0) return kInvalid;
    if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
      return kInvalid;
    }
    out.assign(buffer, sizeof buffer - dstLeft);
    return kDone;
  }

 private:
  iconv_t cd_;
};

std::vector<char32_t> Utf32LEToCodePoints(const std::string& bytes) {
  std::vector<char32_t> cps;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    const UInt8* b = reinterpret_cast<const UInt8*>(bytes.data() + i);
    cps.push_back(char32_t(b[0]) | (char32_t(b[1]) << 8) | (char32_t(b[2]) << 16) |
                  (char32_t(b[3]) << 24));
  }
  return cps;
}

std::string CodePointsToUtf32LE(const char32_t* cps, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    for (int k = 0; k < 4; ++k) s.push_back(char((cps[i] >> (8 * k)) & 0xFF));
  }
  return s;
}

// Reads one- and two-byte codes of an iconv charset. Two-byte codes are tried for every
// byte that iconv reports as the start of an incomplete character.
std::unique_ptr<ByteTable> BuildFromIconv(const char* charset, bool twoByte) {
  Iconv decoder("UTF-32LE", charset);
  Iconv encoder(charset, "UTF-32LE");
  if (!decoder.Ok() || !encoder.Ok()) return nullptr;
  auto table = std::make_unique<ByteTable>();
  std::string out;
  for (unsigned b = 0; b < 256; ++b) {
    const char in[1] = {char(b)};
    const Iconv::Result result = decoder.Run(in, 1, out);
    if (result == Iconv::kDone) {
      std::vector<char32_t> cps = Utf32LEToCodePoints(out);
      if (cps.size() == 1) {
        table->single[b].first = cps[0];
        table->single[b].valid = true;
      }
    } else if (result == Iconv::kIncomplete && twoByte) {
      table->lead[b] = true;
    }
  }
  if (twoByte) {
    table->twoByte.resize(65536);
    for (unsigned lead = 0x80; lead < 256; ++lead) {
      if (!table->lead[lead]) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        const char in[2] = {char(lead), char(trail)};
        if (decoder.Run(in, 2, out) != Iconv::kDone) continue;
        std::vector<char32_t> cps = Utf32LEToCodePoints(out);
        if (cps.empty() || cps.size() > 2) continue;
        Mapping& m = table->twoByte[(lead << 8) | trail];
        m.first = cps[0];
        m.second = cps.size() == 2 ? cps[1] : 0;
        m.valid = true;
      }
    }
  }
  // The charset's own choice among codes that read as the same character.
  auto encodeOf = [&](const char32_t* cps, std::size_t n, UInt16* code) {
    std::string bytes;
    if (encoder.Run(CodePointsToUtf32LE(cps, n).data(), 4 * n, bytes) != Iconv::kDone) {
      return false;
    }
    if (bytes.size() == 1) {
      *code = UInt8(bytes[0]);
      return true;
    }
    if (bytes.size() == 2) {
      *code = UInt16((UInt8(bytes[0]) << 8) | UInt8(bytes[1]));
      return true;
    }
    return false;
  };
  auto enter = [&](const Mapping& m, UInt16 fallbackCode) {
    char32_t cps[2] = {m.first, m.second};
    const std::size_t n = m.second ? 2 : 1;
    UInt16 code = 0;
    if (!encodeOf(cps, n, &code)) code = fallbackCode;
    if (n == 2) {
      table->AddEncodePair(cps[0], cps[1], code);
    } else {
      table->AddEncode(cps[0], code);
    }
  };
  for (unsigned b = 0; b < 256; ++b) {
    if (table->single[b].valid) enter(table->single[b], UInt16(b));
  }
  for (std::size_t code = 0; code < table->twoByte.size(); ++code) {
    if (table->twoByte[code].valid) enter(table->twoByte[code], UInt16(code));
  }
  return table;
}

std::unique_ptr<ByteTable> BuildLatin1(unsigned limit) {
  auto table = std::make_unique<ByteTable>();
  for (unsigned b = 0; b < limit; ++b) {
    table->single[b].first = b;
    table->single[b].valid = true;
    table->AddEncode(b, UInt16(b));
  }
  return table;
}

const ByteTable* CodePage932();

std::unique_ptr<ByteTable> BuildMacJapanese() {
  using detail::MacJapaneseRow;
  const ByteTable* cp932 = CodePage932();
  if (cp932 == nullptr) return nullptr;
  auto table = std::make_unique<ByteTable>();
  table->twoByte.resize(65536);
  for (unsigned b = 0; b < 0x80; ++b) {
    table->single[b].first = b;
    table->single[b].valid = true;
  }
  for (unsigned b = 0xA1; b <= 0xDF; ++b) table->single[b] = cp932->single[b];
  for (unsigned b = 0x81; b <= 0x9F; ++b) table->lead[b] = true;
  for (unsigned b = 0xE0; b <= 0xFC; ++b) table->lead[b] = true;
  for (unsigned code = 0x8100; code <= 0xFCFF; ++code) {
    const MacJapaneseRow row = detail::MacJapaneseRowOf(UInt16(code));
    if (row == MacJapaneseRow::kStandard || row == MacJapaneseRow::kForeign) {
      table->twoByte[code] = cp932->twoByte[code];
    }
  }
  for (std::size_t i = 0; i < detail::kMacJapaneseOverrideCount; ++i) {
    const detail::MacJapaneseOverride& o = detail::kMacJapaneseOverrides[i];
    Mapping& m = o.code < 0x100 ? table->single[o.code] : table->twoByte[o.code];
    m.first = o.character;
    m.second = 0;
    m.valid = true;
  }
  // Writing: one-byte codes, then the standard rows, then the Mac's own rows, then the
  // aliases; the first code entered for a character wins. 0xFF is left to 0x8163.
  for (unsigned b = 0; b < 256; ++b) {
    if (table->single[b].valid && b != 0xFF) table->AddEncode(table->single[b].first, UInt16(b));
  }
  for (unsigned code = 0x8100; code <= 0xFCFF; ++code) {
    const Mapping& m = table->twoByte[code];
    if (m.valid && detail::MacJapaneseRowOf(UInt16(code)) == MacJapaneseRow::kStandard) {
      table->AddEncode(m.first, UInt16(code));
    }
  }
  for (std::size_t i = 0; i < detail::kMacJapaneseExtensionCount; ++i) {
    const detail::MacJapaneseExtension& e = detail::kMacJapaneseExtensions[i];
    for (unsigned k = 0; k < e.count; ++k) {
      const UInt16 code = UInt16(e.code + k);
      Mapping& m = table->twoByte[code];
      m.valid = true;
      if (e.count > 1) {
        m.first = e.text[0] + k;
        m.second = 0;
        if (e.encodes) table->AddEncode(m.first, code);
        continue;
      }
      // A sequence: stored whole below; a pair with a combining mark is also written.
      m.first = e.text[0];
      m.second = e.text[1];
      if (e.encodes) {
        if (e.text[1] == 0) {
          table->AddEncode(e.text[0], code);
        } else if (e.text[2] == 0) {
          table->AddEncodePair(e.text[0], e.text[1], code);
        }
      }
    }
  }
  for (std::size_t i = 0; i < detail::kMacJapaneseAliasCount; ++i) {
    table->AddEncode(detail::kMacJapaneseAliases[i].character, detail::kMacJapaneseAliases[i].code);
  }
  // Last, code page 932's own characters (IBM's kanji) go back to the codes they are read
  // from, so that text holding them survives a trip through Unicode: the code code page 932
  // writes where the Mac reads it as the same character, else the code read.
  for (unsigned code = 0x8100; code <= 0xFCFF; ++code) {
    const Mapping& m = table->twoByte[code];
    if (!m.valid || detail::MacJapaneseRowOf(UInt16(code)) != MacJapaneseRow::kForeign) continue;
    UInt16 written = UInt16(code);
    auto preferred = cp932->encode.find(m.first);
    if (preferred != cp932->encode.end() && preferred->second > 0xFF) {
      const Mapping* there = table->TwoByte(UInt8(preferred->second >> 8), UInt8(preferred->second));
      if (there != nullptr && there->first == m.first && there->second == 0) {
        written = preferred->second;
      }
    }
    table->AddEncode(m.first, written);
  }
  return table;
}

// Sequences longer than two code points (the Mac's squared words and roman numerals read
// as their plain text) are looked up here when a code's mapping says so.
const char32_t* MacJapaneseLongSequence(UInt16 code) {
  static const std::unordered_map<UInt16, const char32_t*>* sequences = [] {
    auto* map = new std::unordered_map<UInt16, const char32_t*>();
    for (std::size_t i = 0; i < detail::kMacJapaneseExtensionCount; ++i) {
      const detail::MacJapaneseExtension& e = detail::kMacJapaneseExtensions[i];
      if (e.count == 1 && e.text[1] != 0 && e.text[2] != 0) map->emplace(e.code, e.text);
    }
    return map;
  }();
  auto it = sequences->find(code);
  return it == sequences->end() ? nullptr : it->second;
}

// Where Apple's MacRoman table differs from iconv's: the Mac reads 0xC6 as the increment
// sign (iconv: Greek capital delta) and 0xF0 as the Apple logo at U+F8FF (iconv: a private
// code of its own, U+E01E). Those code points are written back as these bytes.
struct MacRomanOverride {
  UInt8 code;
  char32_t character;
};
constexpr MacRomanOverride kMacRomanOverrides[] = {
    {0xC6, 0x2206},
    {0xF0, 0xF8FF},
};

std::unique_ptr<ByteTable> BuildMacRoman() {
  auto table = BuildFromIconv("MACINTOSH", false);
  if (table == nullptr) return nullptr;
  for (const MacRomanOverride& o : kMacRomanOverrides) {
    // iconv's private code is nobody else's text: it is no longer written.
    if (table->single[o.code].first >= 0xE000 && table->single[o.code].first <= 0xF8FF) {
      table->encode.erase(table->single[o.code].first);
    }
    table->single[o.code] = Mapping{o.character, 0, true};
    table->encode[o.character] = o.code;
  }
  // Greek capital delta stays written as 0xC6, as before: it is drawn as the same triangle.
  return table;
}

const ByteTable* CodePage932() {
  static std::unique_ptr<ByteTable> table = BuildFromIconv("CP932", true);
  return table.get();
}
const ByteTable* ShiftJIS() {
  static std::unique_ptr<ByteTable> table = BuildFromIconv("SHIFT_JIS", true);
  return table.get();
}
const ByteTable* ShiftJISX0213() {
  static std::unique_ptr<ByteTable> table = BuildFromIconv("SHIFT_JISX0213", true);
  return table.get();
}
const ByteTable* MacJapanese() {
  static std::unique_ptr<ByteTable> table = BuildMacJapanese();
  return table.get();
}
const ByteTable* MacRoman() {
  static std::unique_ptr<ByteTable> table = BuildMacRoman();
  return table.get();
}
const ByteTable* WindowsLatin1() {
  static std::unique_ptr<ByteTable> table = BuildFromIconv("CP1252", false);
  return table.get();
}
const ByteTable* ISOLatin1() {
  static std::unique_ptr<ByteTable> table = BuildLatin1(256);
  return table.get();
}
const ByteTable* ASCII() {
  static std::unique_ptr<ByteTable> table = BuildLatin1(128);
  return table.get();
}

// ---------------------------------------------------------------------------------------
// Encodings

enum class Kind { kTable, kUTF8, kUTF16, kUTF32 };

struct Encoding {
  Kind kind = Kind::kTable;
  const ByteTable* table = nullptr;  // kTable
  bool bigEndian = false;            // kUTF16, kUTF32
  bool byteOrderMark = false;        // host-order forms: a mark may choose the order
  bool macJapanese = false;
};

constexpr bool kHostBigEndian = false;  // x86-64 and arm64 Linux

// The Unicode forms, by format; the host-order ones may take a byte-order mark.
struct UnicodeForm {
  TextEncodingFormat format;
  Kind kind;
  bool bigEndian;
  bool byteOrderMark;
};
constexpr UnicodeForm kUnicodeForms[] = {
    {kUnicode16BitFormat, Kind::kUTF16, kHostBigEndian, true},
    {kUnicodeUTF8Format, Kind::kUTF8, false, false},
    {kUnicode32BitFormat, Kind::kUTF32, kHostBigEndian, true},
    {kUnicodeUTF16BEFormat, Kind::kUTF16, true, false},
    {kUnicodeUTF16LEFormat, Kind::kUTF16, false, false},
    {kUnicodeUTF32BEFormat, Kind::kUTF32, true, false},
    {kUnicodeUTF32LEFormat, Kind::kUTF32, false, false},
};

// The byte encodings, by base, and their tables.
struct TableForm {
  TextEncodingBase base;
  const ByteTable* (*table)();
};
constexpr TableForm kTableForms[] = {
    {kTextEncodingMacRoman, MacRoman},
    {kTextEncodingMacJapanese, MacJapanese},
    {kTextEncodingISOLatin1, ISOLatin1},
    {kTextEncodingDOSJapanese, CodePage932},
    {kTextEncodingWindowsLatin1, WindowsLatin1},
    {kTextEncodingASCII, ASCII},
    {kTextEncodingShiftJIS_X0213, ShiftJISX0213},
    {kTextEncodingShiftJIS, ShiftJIS},
};

bool Resolve(TextEncoding encoding, Encoding& e) {
  const TextEncodingBase base = GetTextEncodingBase(encoding);
  const TextEncodingFormat format = GetTextEncodingFormat(encoding);
  if (base >= 0x0100 && base <= 0x010F) {
    for (const UnicodeForm& form : kUnicodeForms) {
      if (form.format != format) continue;
      e = {form.kind, nullptr, form.bigEndian, form.byteOrderMark, false};
      return true;
    }
    return false;
  }
  if (format != kTextEncodingDefaultFormat) return false;
  for (const TableForm& form : kTableForms) {
    if (form.base != base) continue;
    const ByteTable* table = form.table();
    if (table == nullptr) return false;
    e = Encoding{};
    e.kind = Kind::kTable;
    e.table = table;
    e.macJapanese = base == kTextEncodingMacJapanese;
    return true;
  }
  return false;
}

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

void AppendCodePoint(char32_t c, std::u16string& out) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(char16_t(0xD800 + (c >> 10)));
    out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(char16_t(c));
  }
}

// The code point at chars[index] and the units it takes; an unpaired surrogate is itself.
char32_t CodePointAt(const char16_t* chars, std::size_t count, std::size_t index,
                     std::size_t* units) {
  const char16_t c = chars[index];
  if (c >= 0xD800 && c <= 0xDBFF && index + 1 < count && chars[index + 1] >= 0xDC00 &&
      chars[index + 1] <= 0xDFFF) {
    *units = 2;
    return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(chars[index + 1]) - 0xDC00);
  }
  *units = 1;
  return c;
}

UInt32 LoadUnit(const UInt8* p, int size, bool bigEndian) {
  UInt32 v = 0;
  for (int i = 0; i < size; ++i) {
    const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
    v |= UInt32(p[i]) << shift;
  }
  return v;
}

void StoreUnit(UInt32 v, int size, bool bigEndian, std::string& out) {
  for (int i = 0; i < size; ++i) {
    const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
    out.push_back(char((v >> shift) & 0xFF));
  }
}

// A byte-order mark at the start of a host-order form's bytes: sets the order it names and
// returns the bytes it takes (0 when there is none).
std::size_t TakeByteOrderMark(Encoding& e, const UInt8* p, std::size_t length) {
  if (!e.byteOrderMark) return 0;
  const int size = e.kind == Kind::kUTF16 ? 2 : 4;
  if (length < std::size_t(size)) return 0;
  for (const bool bigEndian : {true, false}) {
    if (LoadUnit(p, size, bigEndian) == 0xFEFF) {
      e.bigEndian = bigEndian;
      return std::size_t(size);
    }
  }
  return 0;
}

int DecodeTableStep(const Encoding& e, const UInt8* bytes, std::size_t length,
                    std::u16string& out) {
  const ByteTable& t = *e.table;
  const UInt8 b = bytes[0];
  if (t.lead[b]) {
    if (length < 2) return -1;
    const Mapping* m = t.TwoByte(b, bytes[1]);
    if (m == nullptr) return 0;
    if (e.macJapanese) {
      if (const char32_t* seq = MacJapaneseLongSequence(UInt16((b << 8) | bytes[1]))) {
        for (; *seq != 0; ++seq) AppendCodePoint(*seq, out);
        return 2;
      }
    }
    AppendCodePoint(m->first, out);
    if (m->second != 0) AppendCodePoint(m->second, out);
    return 2;
  }
  if (!t.single[b].valid) return 0;
  AppendCodePoint(t.single[b].first, out);
  return 1;
}

int DecodeUTF8Step(const UInt8* s, std::size_t length, std::u16string& out) {
  const UInt8 b = s[0];
  if (b < 0x80) {
    out.push_back(b);
    return 1;
  }
  int need;
  char32_t c;
  char32_t min;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1, c = b & 0x1F, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2, c = b & 0x0F, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3, c = b & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  for (int i = 1; i <= need; ++i) {
    if (std::size_t(i) >= length) return -1;
    if ((s[i] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (s[i] & 0x3F);
  }
  if (c < min || c > 0x10FFFF || IsSurrogate(c)) return 0;
  AppendCodePoint(c, out);
  return need + 1;
}

int DecodeStepResolved(const Encoding& e, const UInt8* bytes, std::size_t length,
                       std::u16string& out) {
  if (length == 0) return -1;
  switch (e.kind) {
    case Kind::kTable:
      return DecodeTableStep(e, bytes, length, out);
    case Kind::kUTF8:
      return DecodeUTF8Step(bytes, length, out);
    case Kind::kUTF16: {
      if (length < 2) return -1;
      out.push_back(char16_t(LoadUnit(bytes, 2, e.bigEndian)));
      return 2;
    }
    case Kind::kUTF32: {
      if (length < 4) return -1;
      const char32_t c = LoadUnit(bytes, 4, e.bigEndian);
      if (c > 0x10FFFF || IsSurrogate(c)) return 0;
      AppendCodePoint(c, out);
      return 4;
    }
  }
  return 0;
}

std::size_t EncodeTableStep(const Encoding& e, const char16_t* chars, std::size_t count,
                            std::size_t index, std::string& out) {
  const ByteTable& t = *e.table;
  std::size_t units = 0;
  const char32_t c = CodePointAt(chars, count, index, &units);
  if (IsSurrogate(c)) return 0;
  if (!t.encodePairs.empty() && index + units < count) {
    std::size_t nextUnits = 0;
    const char32_t next = CodePointAt(chars, count, index + units, &nextUnits);
    auto it = t.encodePairs.find(std::make_pair(c, next));
    if (it != t.encodePairs.end()) {
      if (it->second > 0xFF) out.push_back(char(it->second >> 8));
      out.push_back(char(it->second & 0xFF));
      return units + nextUnits;
    }
  }
  auto it = t.encode.find(c);
  if (it == t.encode.end()) return 0;
  if (it->second > 0xFF) out.push_back(char(it->second >> 8));
  out.push_back(char(it->second & 0xFF));
  return units;
}

std::size_t EncodeStepResolved(const Encoding& e, const char16_t* chars, std::size_t count,
                               std::size_t index, std::string& out) {
  if (index >= count) return 0;
  switch (e.kind) {
    case Kind::kTable:
      return EncodeTableStep(e, chars, count, index, out);
    case Kind::kUTF16:
      // Unpaired surrogates pass through: UTF-16 text holds whatever units it was given.
      StoreUnit(chars[index], 2, e.bigEndian, out);
      return 1;
    case Kind::kUTF8: {
      std::size_t units = 0;
      const char32_t c = CodePointAt(chars, count, index, &units);
      if (IsSurrogate(c)) return 0;
      if (c < 0x80) {
        out.push_back(char(c));
      } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
      } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
      } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
      }
      return units;
    }
    case Kind::kUTF32: {
      std::size_t units = 0;
      const char32_t c = CodePointAt(chars, count, index, &units);
      if (IsSurrogate(c)) return 0;
      StoreUnit(c, 4, e.bigEndian, out);
      return units;
    }
  }
  return 0;
}

// The Latin-1 Supplement and Latin Extended-A letters (U+00C0..U+017F) as plain Latin
// letters, for text shown in an encoding that lacks them; null for the two signs among them.
constexpr char32_t kFirstLatinLetter = 0xC0;
// clang-format off
const char* const kPlainLatinLetters[] = {
    // U+00C0
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "O", nullptr, "O", "U", "U", "U", "U", "Y", "TH", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100
    "A", "a", "A", "a", "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    "D", "d", "E", "e", "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    "G", "g", "G", "g", "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    "l", "L", "l", "N", "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    "S", "s", "T", "t", "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    "U", "u", "U", "u", "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s",
};
// clang-format on
static_assert(sizeof kPlainLatinLetters / sizeof kPlainLatinLetters[0] == 0x180 - 0xC0,
              "one entry for each code point U+00C0..U+017F");

const char* PlainLatinLetter(char32_t c) {
  if (c < kFirstLatinLetter || c >= 0x180) return nullptr;
  return kPlainLatinLetters[c - kFirstLatinLetter];
}

// Combining diacritical marks: the accent of a letter written decomposed.
bool IsCombiningAccent(char32_t c) {
  return c >= 0x300 && c <= 0x36F;
}

}  // namespace

bool IsSupportedEncoding(TextEncoding encoding) {
  Encoding e;
  return Resolve(encoding, e);
}

bool IsWideUnicodeEncoding(TextEncoding encoding) {
  Encoding e;
  return Resolve(encoding, e) && (e.kind == Kind::kUTF16 || e.kind == Kind::kUTF32);
}

std::size_t MaxBytesPerUnit(TextEncoding encoding) {
  Encoding e;
  if (!Resolve(encoding, e)) return 0;
  switch (e.kind) {
    case Kind::kTable:
      return e.table->twoByte.empty() ? 1 : 2;
    case Kind::kUTF8:
      return 3;
    case Kind::kUTF16:
      return 2;
    case Kind::kUTF32:
      return 4;
  }
  return 0;
}

std::size_t ReadByteOrderMark(TextEncoding encoding, const void* bytes, std::size_t length,
                              TextEncoding* ordered) {
  if (ordered != nullptr) *ordered = encoding;
  Encoding e;
  if (ordered == nullptr || bytes == nullptr || !Resolve(encoding, e)) return 0;
  const std::size_t mark = TakeByteOrderMark(e, static_cast<const UInt8*>(bytes), length);
  if (mark == 0) return 0;
  const bool utf16 = e.kind == Kind::kUTF16;
  const TextEncodingFormat format =
      e.bigEndian ? (utf16 ? kUnicodeUTF16BEFormat : kUnicodeUTF32BEFormat)
                  : (utf16 ? kUnicodeUTF16LEFormat : kUnicodeUTF32LEFormat);
  *ordered = CreateTextEncoding(GetTextEncodingBase(encoding), GetTextEncodingVariant(encoding),
                                format);
  return mark;
}

bool DecodeToUTF16(TextEncoding encoding, const void* bytes, std::size_t length,
                   std::u16string& out, bool externalRepresentation) {
  out.clear();
  Encoding e;
  if (!Resolve(encoding, e)) return false;
  if (length == 0) return true;
  if (bytes == nullptr) return false;
  const UInt8* p = static_cast<const UInt8*>(bytes);
  const std::size_t mark = TakeByteOrderMark(e, p, length);
  if (mark != 0) {
    p += mark;
    length -= mark;
  } else if (externalRepresentation && e.byteOrderMark) {
    e.bigEndian = true;
  }
  std::size_t pos = 0;
  while (pos < length) {
    const int n = DecodeStepResolved(e, p + pos, length - pos, out);
    if (n <= 0) {
      out.clear();
      return false;
    }
    pos += std::size_t(n);
  }
  return true;
}

int DecodeStep(TextEncoding encoding, const UInt8* bytes, std::size_t length, std::u16string& out) {
  Encoding e;
  if (!Resolve(encoding, e) || bytes == nullptr) return 0;
  return DecodeStepResolved(e, bytes, length, out);
}

std::size_t EncodeStep(TextEncoding encoding, const char16_t* chars, std::size_t count,
                       std::size_t index, std::string& out) {
  Encoding e;
  if (!Resolve(encoding, e) || chars == nullptr) return 0;
  return EncodeStepResolved(e, chars, count, index, out);
}

bool EncodeFromUTF16(TextEncoding encoding, const char16_t* chars, std::size_t count,
                     UInt8 lossByte, std::string& out, bool externalRepresentation) {
  out.clear();
  Encoding e;
  if (!Resolve(encoding, e)) return false;
  if (count > 0 && chars == nullptr) return false;
  if (externalRepresentation && e.byteOrderMark) {
    StoreUnit(0xFEFF, e.kind == Kind::kUTF16 ? 2 : 4, e.bigEndian, out);
  }
  std::size_t i = 0;
  while (i < count) {
    const std::size_t n = EncodeStepResolved(e, chars, count, i, out);
    if (n == 0) {
      if (lossByte == 0) return false;
      out.push_back(char(lossByte));
      std::size_t units = 0;
      CodePointAt(chars, count, i, &units);
      i += units;
    } else {
      i += n;
    }
  }
  return true;
}

bool Convert(TextEncoding from, TextEncoding to, const void* bytes, std::size_t length,
             UInt8 lossByte, std::string& out) {
  out.clear();
  std::u16string utf16;
  if (!DecodeToUTF16(from, bytes, length, utf16)) return false;
  return EncodeFromUTF16(to, utf16.data(), utf16.size(), lossByte, out);
}

std::u16string UTF8ToUTF16(const std::string& utf8) {
  std::u16string out;
  const UInt8* p = reinterpret_cast<const UInt8*>(utf8.data());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const int n = DecodeUTF8Step(p + pos, utf8.size() - pos, out);
    if (n <= 0) {
      out.push_back(u'\xFFFD');
      ++pos;
    } else {
      pos += std::size_t(n);
    }
  }
  return out;
}

std::string UTF16ToUTF8(const std::u16string& utf16) {
  std::string out;
  const Encoding e{Kind::kUTF8, nullptr, false, false, false};
  std::size_t i = 0;
  while (i < utf16.size()) {
    const std::size_t n = EncodeStepResolved(e, utf16.data(), utf16.size(), i, out);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      i += n;
    }
  }
  return out;
}

std::u16string FileNameToUTF16(const std::string& bytes) {
  std::u16string out;
  const UInt8* p = reinterpret_cast<const UInt8*>(bytes.data());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const int n = DecodeUTF8Step(p + pos, bytes.size() - pos, out);
    if (n <= 0) {
      out.push_back(char16_t(0xDC00 | p[pos]));
      ++pos;
    } else {
      pos += std::size_t(n);
    }
  }
  return out;
}

std::string FileNameFromUTF16(const std::u16string& text) {
  std::string out;
  std::size_t runStart = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    // An escaped byte is a low surrogate in U+DC80..U+DCFF that does not end a pair.
    const bool escaped = i < text.size() && text[i] >= 0xDC80 && text[i] <= 0xDCFF &&
                         !(i > 0 && text[i - 1] >= 0xD800 && text[i - 1] < 0xDC00);
    if (!escaped && i < text.size()) continue;
    out += UTF16ToUTF8(text.substr(runStart, i - runStart));
    if (escaped) out.push_back(char(text[i] & 0xFF));
    runStart = i + 1;
  }
  return out;
}

std::string MacJapaneseToUTF8(const char* bytes, std::size_t length) {
  std::u16string utf16;
  Encoding e;
  if (bytes == nullptr || !Resolve(kTextEncodingMacJapanese, e)) return std::string();
  const UInt8* p = reinterpret_cast<const UInt8*>(bytes);
  std::size_t pos = 0;
  while (pos < length) {
    const int n = DecodeStepResolved(e, p + pos, length - pos, utf16);
    if (n <= 0) {
      utf16.push_back(u'\xFFFD');
      ++pos;
    } else {
      pos += std::size_t(n);
    }
  }
  return UTF16ToUTF8(utf16);
}

std::string MacJapaneseToUTF8(const std::string& bytes) {
  return MacJapaneseToUTF8(bytes.data(), bytes.size());
}

bool UTF8ToMacJapanese(const std::string& utf8, std::string& out, UInt8 lossByte) {
  const std::u16string utf16 = UTF8ToUTF16(utf8);
  return EncodeFromUTF16(kTextEncodingMacJapanese, utf16.data(), utf16.size(), lossByte, out);
}

std::string UTF16ToMacJapaneseNearest(const char16_t* chars, std::size_t count) {
  std::string out;
  Encoding mac;
  if (chars == nullptr || !Resolve(kTextEncodingMacJapanese, mac)) return out;
  std::size_t i = 0;
  while (i < count) {
    const std::size_t n = EncodeStepResolved(mac, chars, count, i, out);
    if (n != 0) {
      i += n;
      continue;
    }
    std::size_t units = 0;
    const char32_t c = CodePointAt(chars, count, i, &units);
    if (const char* plain = PlainLatinLetter(c)) {
      out += plain;
    } else if (!(IsCombiningAccent(c) && !out.empty())) {
      out.push_back('?');
    }
    i += units;
  }
  return out;
}

}  // namespace text
}  // namespace sp
