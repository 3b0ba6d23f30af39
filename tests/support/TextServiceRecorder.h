// An inline-input target of the text services that keeps every update record it is given, as
// plain values, for the tests of the edit-text engine and of the real display's input method.
// Only binaries that link the edit-text library include it.
#pragma once

#include <string>
#include <vector>

#include "SpTextService.h"

namespace sp_test_support {

struct RecordedUpdate {
  std::string text;  // MacJapanese
  SInt32 fixed = 0;
  std::vector<TextRange> hilites;
  TextRange oldRange{0, 0, 0};
  TextRange newRange{0, 0, 0};
  std::vector<SInt32> clauses;
};

// "(start,end,style)" for each range.
inline std::string Ranges(const std::vector<TextRange>& ranges) {
  std::string out;
  for (const TextRange& r : ranges) {
    out += "(" + std::to_string(r.fStart) + "," + std::to_string(r.fEnd) + "," +
           std::to_string(r.fHiliteStyle) + ")";
  }
  return out;
}

// "(start,end)".
inline std::string Range(const TextRange& r) {
  return "(" + std::to_string(r.fStart) + "," + std::to_string(r.fEnd) + ")";
}

class RecordingTarget : public cTextServiceObject {
 public:
  RecordingTarget(WindowRef window, const Rect& area) : cTextServiceObject(window, area) {}

  unsigned char UpdateActiveInputArea(cTSO_UpdateData* data) override {
    RecordedUpdate u;
    std::vector<char> text(std::size_t(data->GetEditStringSize()) + 4, 0);
    unsigned char overflow = 0;
    data->GetEditString(text.data(), SInt32(text.size()), overflow);
    u.text = text.data();
    u.fixed = data->GetFixStringLength();
    for (SInt32 i = 1; i <= data->GetNumOfHiliteRangeItem(); ++i) {
      TextRange r;
      data->GetHiliteRangeListItem(i, r);
      u.hilites.push_back(r);
    }
    data->GetUpdateOldPosit(u.oldRange);
    data->GetUpdatenewPosit(u.newRange);
    cSp_uLongCollection clauses;
    data->GetClsuseOffsetsCollection(&clauses);
    for (SInt32 i = 1; i <= clauses.GetNumberOfItem(); ++i) {
      unsigned long v = 0;
      clauses.GetValue(i, v);
      u.clauses.push_back(SInt32(UInt32(v)));
    }
    updates.push_back(u);
    return 1;
  }
  unsigned char AmIEnableActiveInputAreaNow() override { return composing ? 1 : 0; }
  unsigned char PositionToByteChar(Point, SInt16, SInt32& offset) override {
    offset = 7;
    return 1;
  }
  // The caret of the input area, window-local, where the test says; no point at all when the
  // test says the offset lies outside.
  unsigned char ByteCharToPositon(SInt32, Point& point) override {
    point = caretPoint;
    return offsetShown ? 1 : 0;
  }
  unsigned char GetPositionLineHeight(SInt32, SInt16& height) override {
    height = 14;
    return 1;
  }

  bool composing = true;
  bool offsetShown = true;
  Point caretPoint = {0, 0};
  std::vector<RecordedUpdate> updates;
};

}  // namespace sp_test_support
