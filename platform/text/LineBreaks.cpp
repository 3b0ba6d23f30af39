// Line and word breaks of MacJapanese text over ICU's break iterators: the text is decoded to
// UTF-16 with a table back to byte offsets, and each iterator is opened once and reused.
#include <unicode/ubrk.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Fonts.h"
#include "Script.h"
#include "SpTextCodec.h"
#include "TextCommon.h"
#include "quickdraw/internal/TextMeasure.h"

namespace {

// A window of MacJapanese text as UTF-16, with the byte offset of every UTF-16 unit (and of
// the end) and the unit of every byte offset that starts a character.
struct Utf16Window {
  std::u16string units;
  std::vector<SInt32> byteOfUnit;  // units.size() + 1 entries
  std::vector<SInt32> unitOfByte;  // length + 1 entries; -1 inside a character
};

bool IsLeadByte(UInt8 b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

SInt32 CharLengthAt(const UInt8* text, SInt32 pos, SInt32 length) {
  return (IsLeadByte(text[pos]) && pos + 1 < length) ? 2 : 1;
}

// The UTF-16 units of one MacJapanese character of `len` bytes, as the window holds them: what
// the codec gives, or U+FFFD for bytes that do not decode. The mapping of a character never
// changes, so it is decoded once per character code and kept; the rare character of more
// than two units is decoded each time.
class UnitCache {
 public:
  void Append(const UInt8* bytes, SInt32 len, std::u16string& out) {
    Entry& e = len == 2 ? TwoByte(bytes[0], bytes[1]) : oneByte_[bytes[0]];
    if (e.count == kUnknown) e = DecodeEntry(bytes, len);
    if (e.count == kLong) {
      DecodeInto(bytes, len, out);
      return;
    }
    out.append(e.units, e.count);
  }

 private:
  static constexpr UInt8 kUnknown = 0;
  static constexpr UInt8 kLong = 3;
  struct Entry {
    UInt8 count = kUnknown;  // 1 or 2 units held, kLong, or kUnknown
    char16_t units[2] = {0, 0};
  };

  static void DecodeInto(const UInt8* bytes, SInt32 len, std::u16string& out) {
    const std::size_t before = out.size();
    const int used = sp::text::DecodeStep(kTextEncodingMacJapanese, bytes, std::size_t(len), out);
    // A byte that does not decode stands as one letter-like unit, so it neither breaks nor
    // joins anything unusual.
    if (used != len || out.size() == before) {
      out.resize(before);
      out.push_back(u'\xFFFD');
    }
  }

  static Entry DecodeEntry(const UInt8* bytes, SInt32 len) {
    std::u16string units;
    DecodeInto(bytes, len, units);
    Entry e;
    if (units.size() > 2) {
      e.count = kLong;
      return e;
    }
    e.count = UInt8(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) e.units[i] = units[i];
    return e;
  }

  Entry& TwoByte(UInt8 lead, UInt8 trail) {
    if (twoByte_.empty()) twoByte_.resize(65536);
    return twoByte_[std::size_t(lead) << 8 | trail];
  }

  Entry oneByte_[256];
  std::vector<Entry> twoByte_;  // by lead and trail byte, made on first use
};

// The window of the text being broken, decoded into buffers that are kept from call to call.
const Utf16Window& Decode(const UInt8* text, SInt32 length) {
  static UnitCache cache;
  static Utf16Window w;
  w.units.clear();
  w.byteOfUnit.clear();
  w.unitOfByte.assign(std::size_t(length) + 1, -1);
  for (SInt32 pos = 0; pos < length;) {
    const SInt32 len = CharLengthAt(text, pos, length);
    w.unitOfByte[std::size_t(pos)] = SInt32(w.units.size());
    cache.Append(text + pos, len, w.units);
    while (w.byteOfUnit.size() < w.units.size()) w.byteOfUnit.push_back(pos);
    pos += len;
  }
  w.unitOfByte[std::size_t(length)] = SInt32(w.units.size());
  w.byteOfUnit.push_back(length);
  return w;
}

// One iterator of a kind for the process, opened on first use (null when ICU cannot open it).
UBreakIterator* Iterator(UBreakIteratorType type) {
  static UBreakIterator* line = nullptr;
  static UBreakIterator* word = nullptr;
  static bool tried[2] = {false, false};
  UBreakIterator*& it = type == UBRK_LINE ? line : word;
  bool& done = tried[type == UBRK_LINE ? 0 : 1];
  if (!done) {
    done = true;
    UErrorCode status = U_ZERO_ERROR;
    it = ubrk_open(type, "ja", nullptr, 0, &status);
    if (U_FAILURE(status)) it = nullptr;
  }
  return it;
}

bool SetText(UBreakIterator* it, const Utf16Window& w) {
  UErrorCode status = U_ZERO_ERROR;
  ubrk_setText(it, reinterpret_cast<const UChar*>(w.units.data()), int32_t(w.units.size()),
               &status);
  return U_SUCCESS(status);
}

// The last line-break opportunity b with 0 < b <= limit (bytes), or 0 when there is none.
// Without ICU every character boundary is one.
SInt32 LastBreakOpportunity(const Utf16Window& w, SInt32 limit) {
  UBreakIterator* it = Iterator(UBRK_LINE);
  const SInt32 unit = w.unitOfByte[std::size_t(limit)];
  if (it == nullptr || !SetText(it, w)) return limit;
  const int32_t b = ubrk_isBoundary(it, unit) ? unit : ubrk_preceding(it, unit);
  if (b == UBRK_DONE || b <= 0) return 0;
  return w.byteOfUnit[std::size_t(b)];
}

bool IsLineBreakOpportunity(const Utf16Window& w, SInt32 byte) {
  UBreakIterator* it = Iterator(UBRK_LINE);
  if (it == nullptr || !SetText(it, w)) return true;
  return ubrk_isBoundary(it, w.unitOfByte[std::size_t(byte)]) != 0;
}

}  // namespace

SInt32 GetScriptVariable(ScriptCode /*script*/, SInt16 selector) {
  if (selector == smScriptSysFond) return GetSysFont();
  if (selector == smScriptAppFond) return GetAppFont();
  return 0;
}

StyledLineBreakCode StyledLineBreak(Ptr textPtr, SInt32 textLen, SInt32 textStart,
                                    SInt32 textEnd, SInt32 /*flags*/, Fixed* textWidth,
                                    SInt32* textOffset) {
  if (textPtr == nullptr || textWidth == nullptr || textOffset == nullptr || textLen < 0 ||
      textStart < 0 || textEnd > textLen || textStart > textEnd) {
    return smBreakOverflow;
  }
  const UInt8* text = reinterpret_cast<const UInt8*>(textPtr);
  const std::vector<sp_platform::MeasuredChar> chars =
      sp_platform::MeasureInCurrentPort(text + textStart, textEnd - textStart);
  // The run fits while its width, rounded as TextWidth rounds it, is within the room.
  SInt64 sum = 0;
  SInt32 overflow = -1;
  for (const sp_platform::MeasuredChar& c : chars) {
    sum += c.advance;
    if (SInt64(sp_platform::RoundAdvanceSum(sum)) << 16 > SInt64(*textWidth)) {
      overflow = textStart + c.offset;
      break;
    }
  }
  if (overflow < 0) {
    *textWidth -= Fixed(SInt64(sp_platform::RoundAdvanceSum(sum)) << 16);
    *textOffset = textEnd;
    return smBreakOverflow;
  }
  const bool firstRun = *textOffset != 0;
  const Utf16Window& window = Decode(text, textLen);

  // Spaces that overflow hang past the room when a break may follow them.
  if (text[overflow] == ' ') {
    SInt32 after = overflow;
    while (after < textEnd && text[after] == ' ') ++after;
    if (after == textLen || IsLineBreakOpportunity(window, after)) {
      *textOffset = after;
      return smBreakWord;
    }
  }
  const SInt32 b = LastBreakOpportunity(window, overflow);
  if (b > 0) {
    *textOffset = b;
    return smBreakWord;
  }
  if (firstRun) {
    *textOffset = overflow > textStart ? overflow
                                       : textStart + CharLengthAt(text, textStart, textLen);
    return smBreakChar;
  }
  *textOffset = 0;
  return smBreakWord;
}

void FindWordBreaks(Ptr textPtr, SInt32 textLength, SInt32 offset, Boolean leadingEdge,
                    NBreakTablePtr /*breaks*/, OffsetTable offsets, ScriptCode /*script*/) {
  if (offsets == nullptr) return;
  for (int i = 0; i < 3; ++i) offsets[i] = {0, 0};
  if (textPtr == nullptr || textLength < 1) return;
  const UInt8* text = reinterpret_cast<const UInt8*>(textPtr);
  offset = std::clamp<SInt32>(offset, 0, textLength);
  const Utf16Window& w = Decode(text, textLength);
  // The character the offset names: at it (leading edge) or before it; an offset inside a
  // two-byte character means that character.
  SInt32 at = offset;
  while (at > 0 && w.unitOfByte[std::size_t(at)] < 0) --at;
  if (!leadingEdge && at > 0) {
    SInt32 before = at - 1;
    while (before > 0 && w.unitOfByte[std::size_t(before)] < 0) --before;
    at = before;
  }
  if (at >= textLength) {
    SInt32 last = textLength - 1;
    while (last > 0 && w.unitOfByte[std::size_t(last)] < 0) --last;
    at = last;
  }
  const SInt32 unit = w.unitOfByte[std::size_t(at)];
  UBreakIterator* it = Iterator(UBRK_WORD);
  SInt32 first = at;
  SInt32 end = at + CharLengthAt(text, at, textLength);
  if (it != nullptr && SetText(it, w)) {
    const int32_t s = ubrk_isBoundary(it, unit) ? unit : ubrk_preceding(it, unit);
    const int32_t e = ubrk_following(it, unit);
    if (s != UBRK_DONE) first = w.byteOfUnit[std::size_t(s)];
    if (e != UBRK_DONE) end = w.byteOfUnit[std::size_t(e)];
  }
  offsets[0] = {first, end};
}
