// What the edit-text object's source files share: a region that frees itself, spans of text
// between two line positions, and holding 32-bit positions to the views' 16-bit plane.
#pragma once

#include <algorithm>
#include <string>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpETOTextLineObject.h"

namespace sp_eto_edit {

// A region for the length of a scope; false when it could not be made.
class cRegion {
 public:
  cRegion() : rgn_(NewRgn()) {}
  ~cRegion() {
    if (rgn_ != nullptr) DisposeRgn(rgn_);
  }
  cRegion(const cRegion&) = delete;
  cRegion& operator=(const cRegion&) = delete;
  explicit operator bool() const { return rgn_ != nullptr; }
  operator RgnHandle() const { return rgn_; }

 private:
  RgnHandle rgn_;
};

inline SInt16 Clamp16(SInt32 v) {
  return SInt16(std::clamp<SInt32>(v, -32768, 32767));
}

// A rectangle of 32-bit edges held to the 16-bit plane.
inline Rect RectOf(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) {
  return Rect{Clamp16(top), Clamp16(left), Clamp16(bottom), Clamp16(right)};
}

// True when (a, aByte) comes after (b, bByte) in the text: by the lines' numbers, then by the
// offsets.
inline bool After(const cTextLineObject* a, SInt32 aByte, const cTextLineObject* b, SInt32 bByte) {
  if (a->GetReferenceNo() != b->GetReferenceNo()) return a->GetReferenceNo() > b->GetReferenceNo();
  return aByte > bByte;
}

// Two line positions in text order.
struct sSpan {
  cTextLineObject* first = nullptr;
  SInt32 firstByte = 0;
  cTextLineObject* last = nullptr;
  SInt32 lastByte = 0;
};
// False when a line is missing or the span is empty.
bool Order(cTextLineObject* a, SInt32 aByte, cTextLineObject* b, SInt32 bByte, sSpan& out);

// The bytes of one line (with its line break when it has one).
std::string LineText(const cTextLineObject* line);
// The text between two line positions (either order); the line breaks of the lines before
// the last only with withLineBreak.
std::string TextBetween(cTextLineObject* a, SInt32 aByte, cTextLineObject* b, SInt32 bByte,
                        unsigned char withLineBreak);

}  // namespace sp_eto_edit
