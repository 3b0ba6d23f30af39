// Inline input in a field: the bytes are a run of update records handed straight to a field,
// as the text services hand them, with ranges, confirmed lengths and hilites that may lie.
// The text stays whole: no record may split a two-byte character or reach outside the text.
// Each record is read as:
//   text length (1 byte), then that many bytes, each made a character: below 0x80 a letter,
//   else one of a few two-byte characters
//   fixed length, old start, old end, new start, new end (2 bytes each, signed)
//   hilite count (1 byte, at most 8), then per hilite start, end (2 bytes each) and style (1)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzProgramHome.h"
#include "MacWindows.h"
#include "SpEditTextObject.h"
#include "SpTextService.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool Byte(uint8_t& out) {
    if (at >= size) return false;
    out = data[at++];
    return true;
  }
  bool Short(SInt32& out) {
    if (size - at < 2) return false;
    int16_t v = 0;
    std::memcpy(&v, data + at, 2);
    at += 2;
    out = v;
    return true;
  }
};

const char* const kTwoByte[] = {"\x82\xA0", "\x88\x9F", "\x83\x41", "\x81\x40"};

// Every line of the field holds whole characters of those given (a piece of one would show as
// a byte of no character or a pair that is none), and the area lies inside the text.
void Check(const cEditTextObject& field) {
  SInt32 total = 0;
  for (cTextLineObject* l = field.GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
    const std::vector<char> bytes = l->CopyText();
    const SInt32 n = l->GetNumOfTextByte(1, 1);
    for (SInt32 i = 0; i < n;) {
      const char c = bytes[std::size_t(i)];
      if ((c >= 'a' && c <= 'z') || c == '\r') {
        ++i;
        continue;
      }
      bool pair = false;
      for (const char* two : kTwoByte) {
        pair = pair || (i + 1 < n && std::memcmp(&bytes[std::size_t(i)], two, 2) == 0);
      }
      if (!pair) std::abort();
      i += 2;
    }
    total += n;
  }
  if (field.GetActiveInputAreaLength() < 0 || field.GetActiveInputAreaLength() > total) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (sp_fuzz::ProgramHome().empty()) return 0;
  const Rect content{100, 100, 300, 400};
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  if (window == nullptr) return 0;
  {
    cEditTextObject field(window, Rect{10, 10, 100, 200}, 12, 1, 1, 1, nullptr, 0);
    field.SetupText("abc\rdef", 0);
    field.SetupCaretPosition(2, 0);
    Reader in{data, size};
    for (int record = 0; record < 32 && in.at < in.size; ++record) {
      uint8_t length = 0, count = 0;
      if (!in.Byte(length)) break;
      std::string text;
      for (uint8_t i = 0; i < length; ++i) {
        uint8_t b = 0;
        if (!in.Byte(b)) break;
        text += b < 0x80 ? std::string(1, char('a' + b % 26)) : std::string(kTwoByte[b % 4]);
      }
      SInt32 fixed = 0, os = 0, oe = 0, ns = 0, ne = 0;
      if (!in.Short(fixed) || !in.Short(os) || !in.Short(oe) || !in.Short(ns) || !in.Short(ne) ||
          !in.Byte(count)) {
        break;
      }
      cTSO_UpdateData update;
      if (!text.empty()) update.SetupEditString(text.c_str(), SInt32(text.size()));
      update.SetupFixStrigLength(fixed);
      update.SetupUpdateOldPoist(TextRange{os, oe, 0});
      update.SetupUpdateNewPosit(TextRange{ns, ne, 0});
      for (uint8_t i = 0; i < count && i < 8; ++i) {
        SInt32 hs = 0, he = 0;
        uint8_t style = 0;
        if (!in.Short(hs) || !in.Short(he) || !in.Byte(style)) break;
        update.AddHiliteRange(TextRange{hs, he, SInt16(style % 10)});
      }
      field.UpdateActiveInputArea(&update);
      Check(field);
      if (record % 7 == 6) {
        Point p{0, 0};
        field.ByteCharToPositon(ns, p);
        field.PtInActiveInputArea(Point{SInt16(20 + os % 100), SInt16(20 + oe % 100)});
      }
    }
    field.EmergencyFixAllString();
    Check(field);
  }
  DisposeWindow(window);
  return 0;
}
