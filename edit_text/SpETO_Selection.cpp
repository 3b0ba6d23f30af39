// The selection of an edit-text object: two points in the text that form a caret or a range,
// the questions asked of them, their changes with the client's callbacks, and the region
// arithmetic that marks exactly the changed part of the highlight for redraw.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "Events.h"
#include "SpETOEditInternal.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpETO_Selection";

using sp_eto_edit::cRegion;
using sp_eto_edit::RectOf;

// Adds a rectangle to a region.
void AddRect(RgnHandle to, const Rect& r) {
  if (r.bottom <= r.top || r.right <= r.left) return;
  cRegion piece;
  if (!piece) return;
  RectRgn(piece, &r);
  UnionRgn(to, piece, to);
}

}  // namespace

// ---- Spans of text ----

namespace sp_eto_edit {

bool Order(cTextLineObject* a, SInt32 aByte, cTextLineObject* b, SInt32 bByte, sSpan& out) {
  if (a == nullptr || b == nullptr) return false;
  if (After(a, aByte, b, bByte)) {
    std::swap(a, b);
    std::swap(aByte, bByte);
  }
  out = sSpan{a, aByte, b, bByte};
  return !(a == b && aByte == bByte);
}

std::string LineText(const cTextLineObject* line) {
  const std::vector<char> bytes = line->CopyText();
  const SInt32 n = line->GetNumOfTextByte(1, 1);
  return std::string(bytes.data(), std::size_t(std::clamp<SInt32>(n, 0, SInt32(bytes.size()))));
}

std::string TextBetween(cTextLineObject* a, SInt32 aByte, cTextLineObject* b, SInt32 bByte,
                        unsigned char withLineBreak) {
  sSpan span;
  if (!Order(a, aByte, b, bByte, span)) return std::string();
  std::string out;
  for (cTextLineObject* l = span.first; l != nullptr; l = l->GetNextObjectPtr()) {
    const std::string text = LineText(l);
    const SInt32 full = l->GetNumOfTextByte(1, withLineBreak);
    const SInt32 from = std::clamp<SInt32>(l == span.first ? span.firstByte : 0, 0, full);
    const SInt32 to = std::clamp<SInt32>(l == span.last ? span.lastByte : full, from, full);
    out.append(text, std::size_t(from), std::size_t(to - from));
    if (l == span.last) break;
  }
  return out;
}

}  // namespace sp_eto_edit

// ---- Questions ----

SInt32 cEditTextObject::ExistSelectionText() const {
  return (startLine_ != nullptr && endLine_ != nullptr &&
          (startLine_ != endLine_ || startByte_ != endByte_))
             ? 1
             : 0;
}

void cEditTextObject::JudgeSelectionOrCaret() {
  if (startLine_ == nullptr || endLine_ == nullptr) {
    startLine_ = endLine_ = nullptr;
    startByte_ = endByte_ = 0;
    caretMode_ = selectionMode_ = 0;
    return;
  }
  const bool equal = startLine_ == endLine_ && startByte_ == endByte_;
  caretMode_ = equal ? 1 : 0;
  selectionMode_ = equal ? 0 : 1;
}

SInt32 cEditTextObject::GetSelectionStartPoint(SInt32& lineNo, SInt32& offset) const {
  if (startLine_ == nullptr) return 0;
  lineNo = startLine_->GetReferenceNo();
  offset = startByte_;
  return 1;
}

SInt32 cEditTextObject::GetSelectionEndPoint(SInt32& lineNo, SInt32& offset) const {
  if (endLine_ == nullptr) return 0;
  lineNo = endLine_->GetReferenceNo();
  offset = endByte_;
  return 1;
}

SInt32 cEditTextObject::GetSelectionStartPoint(cTextLineObject*& line, SInt32& offset) const {
  if (startLine_ == nullptr) return 0;
  line = startLine_;
  offset = startByte_;
  return 1;
}

SInt32 cEditTextObject::GetSelectionEndPoint(cTextLineObject*& line, SInt32& offset) const {
  if (endLine_ == nullptr) return 0;
  line = endLine_;
  offset = endByte_;
  return 1;
}

SInt32 cEditTextObject::GetSelectionPosition(SInt32& start, unsigned char& startFlag, SInt32& end,
                                             unsigned char& endFlag) const {
  if (ExistSelectionText() == 0) return 0;
  return GetSelectionInfoStock(start, startFlag, end, endFlag);
}

unsigned char cEditTextObject::GetSelectionInfoStock(SInt32& start, unsigned char& startFlag,
                                                     SInt32& end, unsigned char& endFlag) const {
  if (startLine_ == nullptr || endLine_ == nullptr) return 0;
  return (GetAbsCursorPositionInfo(startLine_, startByte_, start, startFlag) != 0 &&
          GetAbsCursorPositionInfo(endLine_, endByte_, end, endFlag) != 0)
             ? 1
             : 0;
}

SInt32 cEditTextObject::IsInSelectionArea(SInt32 lineNo, SInt32 offset,
                                          tETO_SelectPositType& out) const {
  if (ExistSelectionText() == 0) return 0;
  auto before = [](SInt32 l1, SInt32 o1, SInt32 l2, SInt32 o2) {
    return l1 < l2 || (l1 == l2 && o1 < o2);
  };
  const SInt32 sl = startLine_->GetReferenceNo(), el = endLine_->GetReferenceNo();
  if (!before(el, endByte_, sl, startByte_)) {
    out = before(lineNo, offset, sl, startByte_) ? 1 : (before(el, endByte_, lineNo, offset) ? 3 : 2);
  } else {
    out = before(lineNo, offset, el, endByte_) ? 4 : (before(sl, startByte_, lineNo, offset) ? 6 : 5);
  }
  return 1;
}

SInt32 cEditTextObject::PtInSelectedArea(Point p) {
  sp_eto_edit::sSpan span;
  if (!sp_eto_edit::Order(startLine_, startByte_, endLine_, endByte_, span)) return 0;
  SInt16 x1 = 0, x2 = 0;
  if (span.first->CharBytePositToPixPosit(nullptr, 0, span.firstByte, x1) == 0 ||
      span.last->CharBytePositToPixPosit(nullptr, 0, span.lastByte, x2) == 0) {
    return 0;
  }
  if (span.first == span.last) {
    if (span.first->HeightInLine(p.v, 0, nullptr, nullptr) == 0) return 0;
    return (p.h >= std::min(x1, x2) && p.h <= std::max(x1, x2)) ? 1 : 0;
  }
  for (cTextLineObject* l = span.first; l != nullptr; l = l->GetNextObjectPtr()) {
    if (l->HeightInLine(p.v, 0, nullptr, nullptr) != 0) {
      if (l == span.first) return (p.h >= x1 && p.h <= currentWidth_) ? 1 : 0;
      if (l == span.last) return (p.h >= 0 && p.h <= x2) ? 1 : 0;
      return (p.h >= 0 && p.h <= currentWidth_) ? 1 : 0;
    }
    if (l == span.last) break;
  }
  return 0;
}

SInt32 cEditTextObject::GetSelectionStringSize(unsigned char withLineBreak) const {
  sp_eto_edit::sSpan span;
  cTextLineObject* s = startLine_;
  cTextLineObject* e = endLine_;
  if (!sp_eto_edit::Order(s, startByte_, e, endByte_, span)) return 0;
  if (span.first == span.last) return span.lastByte - span.firstByte;
  SInt32 total = span.first->GetNumOfTextByte(1, withLineBreak) - span.firstByte;
  for (const cTextLineObject* l = span.first->GetNextObjectPtr(); l != nullptr && l != span.last;
       l = l->GetNextObjectPtr()) {
    total += l->GetNumOfTextByte(1, withLineBreak);
  }
  return total + span.lastByte;
}

SInt32 cEditTextObject::GetSelectionString(unsigned char withLineBreak, char* buffer, SInt32 size,
                                           unsigned char& overflow) {
  overflow = 0;
  if (buffer == nullptr || size < 2) {
    overflow = 1;
    return 0;
  }
  const std::string text =
      sp_eto_edit::TextBetween(startLine_, startByte_, endLine_, endByte_, withLineBreak);
  const std::size_t n = std::min(text.size(), std::size_t(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  overflow = n < text.size() ? 1 : 0;
  return SInt32(n);
}

SInt32 cEditTextObject::GetSelectionString(sSO_StringObjectBase* out,
                                           unsigned char withLineBreak) {
  if (out == nullptr) return 0;
  return GetTargetString(out, startLine_, startByte_, endLine_, endByte_, withLineBreak);
}

SInt32 cEditTextObject::GetCopyRunSetFromSelectionArea(cSp_RunSet& out, SInt32& length,
                                                       SInt32& breaks) {
  GetTargetString(out, startLine_, startByte_, endLine_, endByte_, 1);
  length = out.GetStringLen(1, 1);
  breaks = length - out.GetStringLen(1, 0);
  if (length <= 0 || breaks < 0) {
    return SpReportFailure(kSource, "cEditTextObject::GetCopyRunSetFromSelectionArea", 1,
                           "Operation error !! ", 0);
  }
  return 1;
}

SInt32 cEditTextObject::GetCopyStyleRunListFromSelectionArea(cTextStyleRunObject*& head,
                                                             cTextStyleRunObject*& tail) {
  head = tail = nullptr;
  sp_eto_edit::sSpan span;
  if (!sp_eto_edit::Order(startLine_, startByte_, endLine_, endByte_, span)) return 0;
  for (cTextLineObject* l = span.first; l != nullptr; l = l->GetNextObjectPtr()) {
    const SInt32 from = l == span.first ? span.firstByte : 0;
    const SInt32 to = l == span.last ? span.lastByte - 1 : -1;
    if (to < 0 && l == span.last) break;
    if (to >= 0 && to < from) break;
    cTextStyleRunObject* h = nullptr;
    cTextStyleRunObject* t = nullptr;
    SInt32 count = 0;
    l->GetTargetAreaRun(from, to, 1, h, t, count);
    if (h != nullptr) SpAppendToList(head, tail, h);
    if (t != nullptr) tail = t;
    if (l == span.last) break;
  }
  return head != nullptr ? 1 : 0;
}

SInt32 cEditTextObject::GetCopyStyleRunList(cTextStyleRunObject*& head,
                                            cTextStyleRunObject*& tail) {
  head = tail = nullptr;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    if (l->GetNumOfTextByte(1, 1) == 0) continue;
    cTextStyleRunObject* h = nullptr;
    cTextStyleRunObject* t = nullptr;
    SInt32 count = 0;
    l->GetTargetAreaRun(0, -1, 1, h, t, count);
    if (h != nullptr) SpAppendToList(head, tail, h);
    if (t != nullptr) tail = t;
  }
  return head != nullptr ? 1 : 0;
}

// ---- Regions (editor offscreen coordinates) ----

unsigned char cEditTextObject::GetTargetLineArea(cTextLineObject* line, RgnHandle clip,
                                                 RgnHandle out) {
  if (out == nullptr) return 0;
  SetEmptyRgn(out);
  if (line == nullptr) return 0;
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  AddRect(out, RectOf(top, 0, bottom, currentWidth_));
  if (clip != nullptr) SectRgn(out, clip, out);
  return EmptyRgn(out) ? 0 : 1;
}

unsigned char cEditTextObject::GetSelectionLineArea(RgnHandle clip, RgnHandle out,
                                                    unsigned char& caretOnly) {
  if (out == nullptr) return 0;
  SetEmptyRgn(out);
  caretOnly = 0;
  if (startLine_ == nullptr || endLine_ == nullptr) return 0;
  caretOnly = (startLine_ == endLine_ && startByte_ == endByte_) ? 1 : 0;
  const cTextLineObject* first = startLine_;
  const cTextLineObject* last = endLine_;
  if (first->GetReferenceNo() > last->GetReferenceNo()) std::swap(first, last);
  SInt32 top = 0, bottom = 0, ignored = 0;
  first->GetLinePosition(top, ignored);
  last->GetLinePosition(ignored, bottom);
  AddRect(out, RectOf(top, 0, bottom, currentWidth_));
  if (clip != nullptr) SectRgn(out, clip, out);
  return EmptyRgn(out) ? 0 : 1;
}

unsigned char cEditTextObject::GetSelectionOffscreenArea(cTextLineObject* line1, SInt32 offset1,
                                                         cTextLineObject* line2, SInt32 offset2,
                                                         RgnHandle clip, RgnHandle out,
                                                         unsigned char& caretOnly) {
  if (out == nullptr) return 0;
  SetEmptyRgn(out);
  caretOnly = 0;
  if (line1 == nullptr || line2 == nullptr) return 0;
  if (sp_eto_edit::After(line1, offset1, line2, offset2)) {
    std::swap(line1, line2);
    std::swap(offset1, offset2);
  }
  SInt16 x1 = 0, x2 = 0;
  if (line1->CharBytePositToPixPosit(nullptr, 0, offset1, x1) == 0 ||
      line2->CharBytePositToPixPosit(nullptr, 0, offset2, x2) == 0) {
    return 0;
  }
  SInt32 top = 0, bottom = 0;
  if (line1 == line2) {
    line1->GetLinePosition(top, bottom);
    if (x1 == x2) caretOnly = 1;
    AddRect(out, RectOf(top, std::min(x1, x2), bottom, std::max(x1, x2)));
  } else {
    line1->GetLinePosition(top, bottom);
    AddRect(out, RectOf(top, offset1 == 0 ? 0 : x1, bottom, currentWidth_));
    for (cTextLineObject* l = line1->GetNextObjectPtr(); l != nullptr && l != line2;
         l = l->GetNextObjectPtr()) {
      l->GetLinePosition(top, bottom);
      AddRect(out, RectOf(top, 0, bottom, currentWidth_));
    }
    if (offset2 > 0) {
      line2->GetLinePosition(top, bottom);
      AddRect(out, RectOf(top, 0, bottom, x2));
    }
  }
  if (clip != nullptr) SectRgn(out, clip, out);
  return EmptyRgn(out) ? 0 : 1;
}

unsigned char cEditTextObject::GetAreaForTargetLineFromSelectedArea(
    cTextLineObject* line, cTextLineObject* line1, SInt32 offset1, cTextLineObject* line2,
    SInt32 offset2, RgnHandle clip, RgnHandle out, unsigned char& caretOnly) {
  if (out == nullptr || line == nullptr) return 0;
  if (GetSelectionOffscreenArea(line1, offset1, line2, offset2, clip, out, caretOnly) == 0) {
    return 0;
  }
  cRegion band;
  if (!band) return 0;
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  const Rect r = RectOf(top, -32768, bottom, 32767);
  RectRgn(band, &r);
  SectRgn(out, band, out);
  return EmptyRgn(out) ? 0 : 1;
}

// ---- Changing the selection ----

void cEditTextObject::InitializeSelection() {
  // A bar left on the window would outlive the caret it showed.
  if (caretMode_ != 0 && caretVisible_ != 0 && startLine_ != nullptr) EraseCaret(0);
  startLine_ = endLine_ = nullptr;
  startByte_ = endByte_ = 0;
  caretMode_ = selectionMode_ = 0;
  blinkPaused_ = 0;
  caretVisible_ = 0;
  // The next idle time shows the caret at once.
  lastBlink_ = TickCount() - GetCaretTime();
  arrowPosition_ = -1;
}

void cEditTextObject::VisibleClip(RgnHandle clip) const {
  Rect visible;
  OnWindowAreaToEditorOffscreenArea(DrawingAreaOnWindow(), visible);
  RectRgn(clip, &visible);
}

bool cEditTextObject::MarkSelectionChange(RgnHandle region) {
  if (region == nullptr || EmptyRgn(region)) return false;
  EditorOffscreenAreaToOnWindowArea(region);
  SetupModifyDrawingRgnAndFlag(region, 1);
  return true;
}

void cEditTextObject::SetupSelectionStartPoint(cTextLineObject* line, SInt32 offset,
                                               unsigned char redraw, unsigned char callbacks) {
  MoveSelectionPoint(true, line, offset, redraw, callbacks);
}

void cEditTextObject::SetupSelectionEndPoint(cTextLineObject* line, SInt32 offset,
                                             unsigned char redraw, unsigned char callbacks) {
  MoveSelectionPoint(false, line, offset, redraw, callbacks);
}

void cEditTextObject::SetupSelectionStartPoint(SInt32 lineNo, SInt32 offset, unsigned char redraw,
                                               unsigned char callbacks) {
  if (cTextLineObject* line = GetLinePtr(lineNo)) {
    SetupSelectionStartPoint(line, offset, redraw, callbacks);
  }
}

void cEditTextObject::SetupSelectionEndPoint(SInt32 lineNo, SInt32 offset, unsigned char redraw,
                                             unsigned char callbacks) {
  if (cTextLineObject* line = GetLinePtr(lineNo)) {
    SetupSelectionEndPoint(line, offset, redraw, callbacks);
  }
}

// One point moves, the other stays: exactly the changed part of the highlight is marked.
void cEditTextObject::MoveSelectionPoint(bool start, cTextLineObject* line, SInt32 offset,
                                         unsigned char redraw, unsigned char callbacks) {
  cTextLineObject*& moved = start ? startLine_ : endLine_;
  SInt32& movedByte = start ? startByte_ : endByte_;
  cTextLineObject*& other = start ? endLine_ : startLine_;
  SInt32& otherByte = start ? endByte_ : startByte_;
  if (other == nullptr) {
    // The other point takes this one's old place; with no selection at all, its new place,
    // so that the first point set makes a caret.
    other = moved != nullptr ? moved : line;
    otherByte = moved != nullptr ? movedByte : offset;
    ResetInsertPointAttributeByCaretPositionAttribute();
  }
  if (moved == line && movedByte == offset) return;
  const bool hadRange = ExistSelectionText() != 0;
  cRegion clip, oldArea, newArea, mark;
  if (!clip || !oldArea || !newArea || !mark) return;
  VisibleClip(clip);
  bool marked = false;
  if (moved != nullptr && moved != line && GetTargetLineArea(moved, clip, mark) != 0) {
    marked = MarkSelectionChange(mark);
  }
  unsigned char caretOnly = 0;
  if (hadRange) GetSelectionLineArea(clip, oldArea, caretOnly);
  moved = line;
  movedByte = offset;
  JudgeSelectionOrCaret();
  const bool range = ExistSelectionText() != 0;
  if (!range) {
    marked |= MarkSelectionChange(oldArea);
  } else {
    GetSelectionLineArea(clip, newArea, caretOnly);
    DiffRgn(oldArea, newArea, mark);
    marked |= MarkSelectionChange(mark);
    if (startLine_ == endLine_) {
      marked |= MarkSelectionChange(newArea);
    } else {
      SectRgn(newArea, oldArea, mark);
      DiffRgn(newArea, mark, mark);
      marked |= MarkSelectionChange(mark);
      GetTargetLineArea(line, clip, mark);
      marked |= MarkSelectionChange(mark);
    }
  }
  if (redraw != 0 && marked) ReDrawAreaUpdateView(0);
  if (callbacks == 0) return;
  if (!range) {
    if (hadRange) {
      ExecSelectOutCB();
    } else {
      ExecSelectionModifyCB();
    }
  } else if (!hadRange) {
    ExecSelectInCB();
  } else {
    ExecSelectionModifyCB();
  }
}

SInt32 cEditTextObject::SetupSelection(cTextLineObject* startLine, SInt32 startOffset,
                                       cTextLineObject* endLine, SInt32 endOffset,
                                       unsigned char, unsigned char callbacks) {
  if (startLine == nullptr || endLine == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::SetupSelection", 1, kSpMsgNullArgument, 0);
  }
  if (startLine_ == startLine && startByte_ == startOffset && endLine_ == endLine &&
      endByte_ == endOffset) {
    return 0;
  }
  if (startLine_ == endLine && startByte_ == endOffset && endLine_ == startLine &&
      endByte_ == startOffset) {
    startLine_ = startLine;
    startByte_ = startOffset;
    endLine_ = endLine;
    endByte_ = endOffset;
    return 0;
  }
  cRegion clip, oldArea, newArea, both, mark, scratch;
  if (!clip || !oldArea || !newArea || !both || !mark || !scratch) return 1;
  VisibleClip(clip);
  const bool hadRange = ExistSelectionText() != 0;
  const bool equal = startLine == endLine && startOffset == endOffset;
  unsigned char caretOnly = 0;
  if (!hadRange) {
    if (equal) {
      SetupCaretPosition(startLine, startOffset, 0);
    } else {
      startLine_ = startLine;
      startByte_ = startOffset;
      endLine_ = endLine;
      endByte_ = endOffset;
      JudgeSelectionOrCaret();
      GetSelectionLineArea(clip, newArea, caretOnly);
      MarkSelectionChange(newArea);
    }
  } else if (equal) {
    GetSelectionLineArea(clip, oldArea, caretOnly);
    MarkSelectionChange(oldArea);
    SetupCaretPosition(startLine, startOffset, 0);
  } else {
    GetSelectionLineArea(clip, oldArea, caretOnly);
    startLine_ = startLine;
    startByte_ = startOffset;
    endLine_ = endLine;
    endByte_ = endOffset;
    JudgeSelectionOrCaret();
    GetSelectionLineArea(clip, newArea, caretOnly);
    XorRgn(oldArea, newArea, mark);
    MarkSelectionChange(mark);
  }
  if (callbacks != 0) {
    if (ExistSelectionText() != 0) {
      ExecSelectInCB();
    } else if (caretMode_ != 0) {
      startLine_->GetPositionAttribute(startByte_, insertAttributes_);
      ExecCaretModifyCB();
    }
  }
  return 1;
}

SInt32 cEditTextObject::SetupSelectionPosition(SInt32 start, unsigned char startFlag, SInt32 end,
                                               unsigned char endFlag, unsigned char unused,
                                               unsigned char callbacks) {
  cTextLineObject* startLine = nullptr;
  cTextLineObject* endLine = nullptr;
  SInt32 startByte = 0, endByte = 0;
  if (GetCursorPositFromAbsPosit(start, startFlag, startLine, startByte) == 0 ||
      GetCursorPositFromAbsPosit(end, endFlag, endLine, endByte) == 0) {
    return 0;
  }
  return SetupSelection(startLine, startByte, endLine, endByte, unused, callbacks);
}

void cEditTextObject::NotifyRangeChange(bool hadRange, cTextLineObject* oldStart,
                                        SInt32 oldStartByte, cTextLineObject* oldEnd,
                                        SInt32 oldEndByte) {
  const bool range = ExistSelectionText() != 0;
  if (!range && hadRange) {
    ExecSelectOutCB();
  } else if (range && hadRange) {
    if (oldStart != startLine_ || oldStartByte != startByte_ || oldEnd != endLine_ ||
        oldEndByte != endByte_) {
      ExecSelectionModifyCB();
    }
  } else if (range) {
    ExecSelectInCB();
  }
}

SInt32 cEditTextObject::SelectionAll(unsigned char redraw, unsigned char callbacks) {
  if (firstLine_ == nullptr) return 0;
  UpdateLastLine();
  const bool hadRange = selectionMode_ != 0 && ExistSelectionText() != 0;
  cTextLineObject* oldStart = startLine_;
  cTextLineObject* oldEnd = endLine_;
  const SInt32 oldStartByte = startByte_, oldEndByte = endByte_;
  SetupSelection(firstLine_, 0, lastLine_, lastLine_->GetNumOfTextByte(1, 0), 0, 0);
  if (callbacks != 0) NotifyRangeChange(hadRange, oldStart, oldStartByte, oldEnd, oldEndByte);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

SInt32 cEditTextObject::SelectionLineAll(SInt32 lineNo, unsigned char redraw,
                                         unsigned char callbacks) {
  cTextLineObject* line = GetLinePtr(lineNo);
  if (line == nullptr) return 0;
  const bool hadRange = selectionMode_ != 0 && ExistSelectionText() != 0;
  cTextLineObject* oldStart = startLine_;
  cTextLineObject* oldEnd = endLine_;
  const SInt32 oldStartByte = startByte_, oldEndByte = endByte_;
  SetupSelectionStartPoint(line, 0, 0, 0);
  SetupSelectionEndPoint(line, line->GetNumOfTextByte(1, 0), 0, 0);
  if (callbacks != 0) NotifyRangeChange(hadRange, oldStart, oldStartByte, oldEnd, oldEndByte);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::SelectionSetupFlagOn() {
  selectionMode_ = 1;
  caretMode_ = 0;
}

void cEditTextObject::SelectionSetupFlagOff(unsigned char redraw, unsigned char callbacks) {
  if (selectionMode_ == 0) return;
  const bool differ = ExistSelectionText() != 0;
  if (differ) {
    cRegion clip, band;
    if (clip && band) {
      VisibleClip(clip);
      unsigned char caretOnly = 0;
      GetSelectionLineArea(clip, band, caretOnly);
      MarkSelectionChange(band);
    }
  }
  InitializeSelection();
  if (callbacks != 0 && differ) ExecSelectOutCB();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::SelectionOutputOn() {
  showSelection_ = 1;
  if (selectionMode_ == 0 || startLine_ == nullptr || endLine_ == nullptr) return;
  cRegion clip, band;
  if (!clip || !band) return;
  VisibleClip(clip);
  unsigned char caretOnly = 0;
  if (GetSelectionLineArea(clip, band, caretOnly) != 0) MarkSelectionChange(band);
}

void cEditTextObject::SelectionOutputOff(unsigned char redraw) {
  if (showSelection_ == 0) return;
  if (selectionMode_ != 0 && startLine_ != nullptr && endLine_ != nullptr) {
    cRegion clip, band;
    if (clip && band) {
      VisibleClip(clip);
      unsigned char caretOnly = 0;
      if (GetSelectionLineArea(clip, band, caretOnly) != 0) {
        MarkSelectionChange(band);
        if (redraw != 0) ReDrawAreaUpdateView(0);
      }
    }
  }
  showSelection_ = 0;
}

void cEditTextObject::RedrawSelectionArea(unsigned char redraw) {
  if (ExistSelectionText() == 0) return;
  cRegion clip, area;
  if (!clip || !area) return;
  VisibleClip(clip);
  unsigned char caretOnly = 0;
  if (GetSelectionOffscreenArea(startLine_, startByte_, endLine_, endByte_, clip, area,
                                caretOnly) == 0) {
    return;
  }
  MarkSelectionChange(area);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::ResetInsertPointAttributeByCaretPositionAttribute() {
  if (caretMode_ == 0 || startLine_ == nullptr) return;
  // Typing continues the text before the caret: at a run's start the run before it gives the
  // style, inside a run that run; at the line's end its last text.
  SInt32 start = 0;
  const cTextStyleRunObject* lastText = nullptr;
  for (const cTextStyleRunObject* run = startLine_->GetStyleRunListHeadPtr(); run != nullptr;
       run = run->GetNextObjectPtr()) {
    const SInt32 end = start + run->ByteLength();
    if (startByte_ < end) {
      const cTextStyleRunObject* before = run->GetBeforeObjectPtr();
      if (startByte_ == start && before != nullptr) {
        before->GetAttribute(insertAttributes_);
      } else if (run->GetStyleRunDataType() == kETO_LineBreakRun) {
        startLine_->GetTopPositAttribute(insertAttributes_);
      } else {
        run->GetAttribute(insertAttributes_);
      }
      return;
    }
    if (run->GetStyleRunDataType() != kETO_LineBreakRun) lastText = run;
    start = end;
  }
  if (lastText != nullptr) {
    lastText->GetAttribute(insertAttributes_);
  } else {
    startLine_->GetTopPositAttribute(insertAttributes_);
  }
}
