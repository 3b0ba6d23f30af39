// Inline input in a field: the input method's unconfirmed text is ordinary text of the field
// from the active input area's start for the area's length. An update removes a stretch of
// it, puts a new piece in, confirms its front (which becomes typed text with its undo step)
// and sets the clauses drawn under it. Positions for the input method (hit tests, where an
// offset is on the window, the style there) are answered here too.
#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Fonts.h"
#include "OSUtils.h"
#include "QDText.h"
#include "SpETOEditInternal.h"
#include "SpETOManagerObject.h"
#include "SpETOOperationRec.h"
#include "SpETOTextInternal.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"

namespace {

const char kSource[] = "SpETO_TextService";
const char kUpdate[] = "cEditTextObject::UpdateActiveInputArea";
const char kDataError[] = "Data Setup Error";

// Hilite styles of the input method's ranges: the caret, then raw, selected raw, converted
// and selected converted text (clause types 1 to 4).
enum : SInt16 { kHiliteCaret = 1, kHiliteRaw = 2, kHiliteSelectedConverted = 5 };

SInt32 ClauseType(SInt16 style) {
  return style >= kHiliteRaw && style <= kHiliteSelectedConverted ? style - 1 : 0;
}

// Whether byte `at` of the text falls between the two bytes of a character.
bool Splits(const char* text, SInt32 length, SInt32 at) {
  SInt32 i = 0;
  while (i < at && i < length) i += sp_eto::IsLeadByte(UInt8(text[i])) ? 2 : 1;
  return i > at;
}

}  // namespace

// ---- The area and its clauses ----

void cEditTextObject::InitializeActionInputAreaClauseList() {
  SpDeleteList(inputAreaHead_);
  inputAreaHead_ = inputAreaTail_ = nullptr;
  inputAreaCount_ = 0;
}

void cEditTextObject::SetupActionInputAreaClauseItem(cETOAreaInfo* item) {
  if (item == nullptr) return;
  SpAppendToList(inputAreaHead_, inputAreaTail_, item);
  ++inputAreaCount_;
}

void cEditTextObject::AdjustActInAreaStartPoint() {
  areaLine_ = nullptr;
  areaByte_ = 0;
  if (areaStartAbs_ < 0) return;
  if (GetCursorPositFromAbsPosit(areaStartAbs_, 0, areaLine_, areaByte_) == 0) {
    areaLine_ = nullptr;
    SpReportFailure(kSource, "cEditTextObject::AdjustActInAreaStartPoint", 1, kDataError);
  }
}

void cEditTextObject::ResetInputAreaToCaret() {
  areaStartAbs_ = -1;
  if (startLine_ != nullptr) {
    SInt32 abs = 0;
    if (LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, abs) != 0) {
      areaStartAbs_ = abs;
    }
  }
  areaLength_ = 0;
  AdjustActInAreaStartPoint();
  InitializeActionInputAreaClauseList();
}

bool cEditTextObject::InputAreaPosition(SInt32 offset, cTextLineObject*& line, SInt32& byte) {
  cTextLineObject* from = areaLine_ != nullptr ? areaLine_ : startLine_;
  const SInt32 fromByte = areaLine_ != nullptr ? areaByte_ : startByte_;
  if (from == nullptr || offset < 0) return false;
  return GetOffsetBytePosition(from, fromByte, 1, offset, 1, 1, line, byte) != 0;
}

std::string cEditTextObject::InputAreaBytes() {
  std::string out;
  for (cTextLineObject* line = areaLine_; line != nullptr && SInt32(out.size()) < areaLength_;
       line = line->GetNextObjectPtr()) {
    const std::vector<char> text = line->CopyText();
    const SInt32 from = line == areaLine_ ? areaByte_ : 0;
    const SInt32 count = line->GetNumOfTextByte(1, 1);
    if (from < count) out.append(text.data() + from, std::size_t(count - from));
  }
  if (SInt32(out.size()) > areaLength_) out.resize(std::size_t(areaLength_));
  return out;
}

cETOAreaInfo* cEditTextObject::ClauseAt(SInt32 type, SInt32 start, SInt32 end) {
  cTextLineObject* l1 = nullptr;
  cTextLineObject* l2 = nullptr;
  SInt32 b1 = 0, b2 = 0;
  if (!InputAreaPosition(start, l1, b1) || !InputAreaPosition(end, l2, b2)) return nullptr;
  cETOAreaInfo* clause = new (std::nothrow) cETOAreaInfo(type);
  if (clause == nullptr) return nullptr;
  clause->SetupStartPoint(l1, b1);
  clause->SetupEndPoint(l2, b2);
  return clause;
}

unsigned char cEditTextObject::SetupDrawingAreaOnActionInputAreaCancelAndNewClauseItem(
    cETOAreaInfo* newList) {
  sp_eto_edit::cRegion clip, area;
  if (!clip || !area) return 0;
  VisibleClip(clip);
  bool marked = false;
  auto mark = [&](cETOAreaInfo* c) {
    cTextLineObject* l1 = nullptr;
    cTextLineObject* l2 = nullptr;
    SInt32 b1 = 0, b2 = 0;
    c->GetStartPoint(l1, b1);
    c->GetEndPoint(l2, b2);
    unsigned char caretOnly = 0;
    SetEmptyRgn(area);
    if (l1 != nullptr && l2 != nullptr &&
        GetSelectionOffscreenArea(l1, b1, l2, b2, clip, area, caretOnly) != 0) {
      marked = MarkSelectionChange(area) || marked;
    }
  };
  for (cETOAreaInfo* c = newList; c != nullptr; c = c->GetNextObjectPtr()) {
    c->SetupNewRedrawFlag(0);
  }
  for (cETOAreaInfo* old = inputAreaHead_; old != nullptr; old = old->GetNextObjectPtr()) {
    cTextLineObject *ol1 = nullptr, *ol2 = nullptr;
    SInt32 ob1 = 0, ob2 = 0;
    old->GetStartPoint(ol1, ob1);
    old->GetEndPoint(ol2, ob2);
    cETOAreaInfo* same = nullptr;
    for (cETOAreaInfo* c = newList; c != nullptr && same == nullptr; c = c->GetNextObjectPtr()) {
      cTextLineObject *l1 = nullptr, *l2 = nullptr;
      SInt32 b1 = 0, b2 = 0;
      c->GetStartPoint(l1, b1);
      c->GetEndPoint(l2, b2);
      if (c->GetRedrawFlag() == 0 && c->GetAreaType() == old->GetAreaType() && l1 == ol1 &&
          b1 == ob1 && l2 == ol2 && b2 == ob2) {
        same = c;
      }
    }
    if (same != nullptr) {
      same->SetupNewRedrawFlag(1);
    } else {
      mark(old);
    }
  }
  for (cETOAreaInfo* c = newList; c != nullptr; c = c->GetNextObjectPtr()) {
    if (c->GetRedrawFlag() == 0) mark(c);
  }
  return marked ? 1 : 0;
}

// ---- Updates from the input method ----

unsigned char cEditTextObject::UpdateActiveInputArea(cTSO_UpdateData* data) {
  if (data == nullptr || editable_ == 0) return 0;
  PauseBrinkCaret(1);
  const SInt32 editLength = std::max<SInt32>(0, data->GetEditStringSize());
  TextRange oldRange{}, newRange{};
  data->GetUpdateOldPosit(oldRange);
  data->GetUpdatenewPosit(newRange);
  data->GetClsuseOffsetsCollection(&clauseOffsets_);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[std::size_t(editLength) + 4]());
  if (buffer == nullptr) {
    SysBeep(10);
    PauseOutBrinkCaret();
    return SpReportFailure(kSource, kUpdate, 1, "Cannot allocated memory !! ", 0);
  }
  if (editLength > 0) {
    unsigned char overflow = 0;
    data->GetEditString(buffer.get(), editLength + 4, overflow);
  }
  bool opened = false, selectionDeleted = false;
  if (textInputInProgress_ == 0) {
    if (startLine_ == nullptr) {
      PauseOutBrinkCaret();
      return 0;
    }
    textInputInProgress_ = 1;
    opened = true;
    if (ExistSelectionText() != 0) {
      // The replaced text goes into the typing step the confirmed text will join, so that
      // undo brings it back.
      OpenUndoStep(kETOOperationTextIn);
      selectionDeleted = DeleteCurrentSelection(1, 0, 1, 0, 1, 0) != 0;
    }
    ResetInputAreaToCaret();
  } else {
    AdjustActInAreaStartPoint();
    if (areaLine_ == nullptr) {
      PauseOutBrinkCaret();
      return SpReportFailure(kSource, kUpdate, 2, kDataError, 0);
    }
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  SInt32 firstChange = -1, caretTarget = -1;
  bool removed = false, inserted = false;
  // The input method's ranges are held to the area and to the text it sent.
  SInt32 oldStart = std::clamp<SInt32>(oldRange.fStart, 0, areaLength_);
  SInt32 oldEnd = std::clamp<SInt32>(oldRange.fEnd, oldStart, areaLength_);
  // Nor do they split a two-byte character: its whole goes or stays.
  if (oldStart < oldEnd) {
    const std::string area = InputAreaBytes();
    if (Splits(area.data(), SInt32(area.size()), oldStart)) --oldStart;
    if (Splits(area.data(), SInt32(area.size()), oldEnd))
      oldEnd = std::min(oldEnd + 1, areaLength_);
  }
  if (oldStart < oldEnd) {
    cTextLineObject *l1 = nullptr, *l2 = nullptr;
    SInt32 b1 = 0, b2 = 0, abs = 0;
    if (InputAreaPosition(oldStart, l1, b1) && InputAreaPosition(oldEnd, l2, b2) &&
        LineByteToAbsoluteCharBytePosition(l1, b1, 1, abs) != 0) {
      sTextStyleAttributes attributes = insertAttributes_;
      if (GetTopRunAttributeOnTargetArea(l1, b1, l2, b2, attributes) == 0) {
        attributes = insertAttributes_;
      }
      firstChange = caretTarget = abs;
      startLine_ = endLine_ = nullptr;
      caretMode_ = selectionMode_ = 0;
      DeleteTargetArea(l1, b1, l2, b2, 0, 0, 0, 0, 0);
      insertAttributes_ = attributes;
      removed = true;
      AdjustActInAreaStartPoint();
    } else {
      SpReportFailure(kSource, kUpdate, 3, kDataError);
    }
    areaLength_ -= oldEnd - oldStart;
  }
  SInt32 newStart = std::clamp<SInt32>(newRange.fStart, 0, editLength);
  SInt32 newEnd = std::clamp<SInt32>(newRange.fEnd, newStart, editLength);
  if (Splits(buffer.get(), editLength, newStart)) --newStart;
  if (Splits(buffer.get(), editLength, newEnd)) newEnd = std::min(newEnd + 1, editLength);
  if (newStart < newEnd) {
    if (!opened && !removed && oldRange.fStart == 0) ResetInputAreaToCaret();
    // The piece goes in at its place in the area, or at the area's end when it lies past it.
    const SInt32 at = std::min(newStart, areaLength_);
    cTextLineObject* line = nullptr;
    SInt32 byte = 0;
    if (areaStartAbs_ >= 0 && InputAreaPosition(at, line, byte)) {
      buffer[std::size_t(newEnd)] = '\0';
      SInt32 textBytes = 0, tabs = 0, breaks = 0;
      startLine_ = endLine_ = nullptr;
      caretMode_ = selectionMode_ = 0;
      line->InsertString(buffer.get() + newStart, byte, insertAttributes_, textBytes, tabs, breaks);
      const SInt32 n = textBytes + tabs + breaks;
      caretTarget = areaStartAbs_ + at + n;
      firstChange =
          firstChange < 0 ? areaStartAbs_ + at : std::min(firstChange, areaStartAbs_ + at);
      areaLength_ += n;
      inserted = n > 0;
    } else {
      SpReportFailure(kSource, kUpdate, 4, kDataError);
    }
  }
  areaLength_ = std::max<SInt32>(areaLength_, 0);
  if (removed || inserted) {
    cTextLineObject* line = nullptr;
    SInt32 byte = 0;
    if (GetCursorPositFromAbsPosit(firstChange, 0, line, byte) == 0) line = firstLine_;
    cTextLineObject* from =
        line->GetBeforeObjectPtr() != nullptr ? line->GetBeforeObjectPtr() : line;
    unsigned char widthChanged = 0;
    SInt32 top = 0, bottom = 0;
    from->GetLinePosition(top, bottom);
    TragetLineResetBreakLine(from, oldHeight, widthChanged, 0);
    MarkOffscreenBand(top, std::max(oldHeight, GetTotalLineHeight()), 0, currentWidth_);
    SetupCaretPosition(caretTarget, 0);
    AdjustActInAreaStartPoint();
  }
  // Confirming the front of the area: it becomes typed text.
  SInt32 fixed = std::clamp<SInt32>(data->GetFixStringLength(), 0, areaLength_);
  if (fixed > 0) {
    const std::string area = InputAreaBytes();
    if (Splits(area.data(), SInt32(area.size()), fixed)) fixed = std::min(fixed + 1, areaLength_);
  }
  bool confirmed = false;
  if (fixed > 0 && areaStartAbs_ >= 0) {
    cTextLineObject* oldLine = areaLine_;
    const SInt32 confirmedAt = areaStartAbs_;
    areaStartAbs_ += fixed;
    areaLength_ -= fixed;
    AdjustActInAreaStartPoint();
    if (oldLine != nullptr && areaLine_ != nullptr) {
      SInt32 top = 0, bottom = 0, top2 = 0, bottom2 = 0;
      oldLine->GetLinePosition(top, bottom);
      areaLine_->GetLinePosition(top2, bottom2);
      MarkOffscreenBand(top, bottom2, 0, currentWidth_);
    }
    if (undoManager_ != nullptr) {
      UndoStepForTextIn(confirmedAt);
      RecordUndoTextIn(confirmedAt, fixed);
    }
    confirmed = true;
  }
  if (fixed > 0 && fixed >= editLength) {
    textInputInProgress_ = 0;
    areaLength_ = 0;
    InitializeActionInputAreaClauseList();
  }
  // The clauses, and the caret the input method places.
  bool caretMoved = false;
  cETOAreaInfo* newHead = nullptr;
  cETOAreaInfo* newTail = nullptr;
  if (textInputInProgress_ != 0) {
    const std::string area = InputAreaBytes();
    for (cTSO_Range* r = data->GetHiliteRangeListHeadItemPtr(); r != nullptr;
         r = r->GetNextObjectPtr()) {
      TextRange h{};
      r->GetValue(h);
      SInt32 start = std::clamp<SInt32>(h.fStart, 0, areaLength_);
      SInt32 end = std::clamp<SInt32>(h.fEnd, start, areaLength_);
      if (Splits(area.data(), SInt32(area.size()), start)) --start;
      if (Splits(area.data(), SInt32(area.size()), end)) end = std::min(end + 1, areaLength_);
      if (h.fHiliteStyle == kHiliteCaret) {
        cTextLineObject* line = nullptr;
        SInt32 byte = 0;
        if (InputAreaPosition(start, line, byte) &&
            !(caretMode_ != 0 && line == startLine_ && byte == startByte_)) {
          SetupCaretPosition(line, byte, 0);
          caretMoved = true;
        }
      } else if (ClauseType(h.fHiliteStyle) != 0) {
        if (cETOAreaInfo* clause = ClauseAt(ClauseType(h.fHiliteStyle), start, end)) {
          SpAppendToList(newHead, newTail, clause);
        }
      } else if (h.fHiliteStyle >= 6 && h.fHiliteStyle <= 8) {
        SpReportFailure(kSource, kUpdate, SInt32(h.fHiliteStyle) + 6, kDataError);
      }
    }
  }
  if (!removed && !inserted && !confirmed) {
    SetupDrawingAreaOnActionInputAreaCancelAndNewClauseItem(newHead);
  }
  InitializeActionInputAreaClauseList();
  inputAreaHead_ = newHead;
  inputAreaTail_ = newTail;
  for (cETOAreaInfo* c = newHead; c != nullptr; c = c->GetNextObjectPtr()) ++inputAreaCount_;
  ResetupOffscreenAreaSize();
  unsigned char scrolled = 0;
  if (startLine_ != nullptr) {
    ShowTargetPosition(startLine_, std::max<SInt32>(0, startByte_ - 1), scrolled, 0);
  }
  if (removed || inserted || confirmed || caretMoved || scrolled != 0 || selectionDeleted) {
    ExecModifyTextCB(kETO_TextInserted);
  }
  ReDrawAreaUpdateView(0);
  PauseOutBrinkCaret();
  return 1;
}

void cEditTextObject::EmergencyFixAllString() {
  PauseBrinkCaret(1);
  textInputInProgress_ = 0;
  ResetInputAreaToCaret();
  MarkOffscreenBand(0, std::max<SInt32>(GetTotalLineHeight(), 1) + 32767, 0, currentWidth_);
  ReDrawAreaUpdateView(0);
  PauseOutBrinkCaret();
}

// ---- Positions for the input method ----

SInt16 cEditTextObject::PixPositToActiveInputAreaCharBytePosi(Point point, cTextLineObject*& line,
                                                              SInt32& lineByte,
                                                              SInt32& areaOffset) {
  line = nullptr;
  lineByte = areaOffset = 0;
  Rect area;
  if (GetViewableDrawingAreaOnWindow(area) == 0 || !PtInRect(point, &area)) return 1;
  SInt32 lineNumber = 0;
  unsigned char charFlag = 0, outsideArea = 0, outsideText = 0;
  tETO_AreaOutType areaOut = 0, lineOut = 0, charOut = 0;
  if (PixPositToCharBytePosit(point, 0, 1, 1, lineNumber, lineByte, charFlag, outsideArea,
                              outsideText, areaOut, lineOut, charOut) == 0 ||
      outsideText != 0) {
    return 1;
  }
  line = GetLinePtr(lineNumber);
  if (line == nullptr || textInputInProgress_ == 0 || areaLine_ == nullptr || areaLength_ < 1) {
    return 1;
  }
  cTextLineObject* endLine = nullptr;
  SInt32 endByte = 0;
  if (GetOffsetBytePosition(areaLine_, areaByte_, 1, areaLength_, 1, 1, endLine, endByte) == 0) {
    return 1;
  }
  const SInt32 s = areaLine_->GetReferenceNo();
  const SInt32 t = endLine->GetReferenceNo();
  const SInt32 at = line->GetReferenceNo();
  bool inside = false;
  if (s == t) {
    inside = at == s && lineByte >= areaByte_ && lineByte <= endByte;
    areaOffset = lineByte - areaByte_;
  } else {
    inside = (at == s && lineByte >= areaByte_) || (at > s && at < t) ||
             (at == t && lineByte <= endByte);
    if (inside) {
      SInt32 sum = 0;
      for (cTextLineObject* l = areaLine_; l != nullptr && l != line; l = l->GetNextObjectPtr()) {
        sum += l->GetNumOfTextByte(1, 1) - (l == areaLine_ ? areaByte_ : 0);
      }
      areaOffset = sum + lineByte - (line == areaLine_ ? areaByte_ : 0);
    }
  }
  return inside ? 3 : 1;
}

unsigned char cEditTextObject::PtInActiveInputArea(Point point) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0, offset = 0;
  return PixPositToActiveInputAreaCharBytePosi(point, line, byte, offset) == 3 ? 1 : 0;
}

unsigned char cEditTextObject::AmIEnableActiveInputAreaNow() {
  return textInputInProgress_ != 0 && areaLine_ != nullptr && areaByte_ > 0 ? 1 : 0;
}

SInt16 cEditTextObject::PositionToPartsTypeNo(Point point) {
  Rect area;
  if (GetViewableDrawingAreaOnWindow(area) == 0 || !PtInRect(point, &area)) return 1;
  return PtInActiveInputArea(point) != 0 ? 3 : 2;
}

unsigned char cEditTextObject::PositionToByteChar(Point point, SInt16 regionClass, SInt32& offset) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0, areaOffset = 0;
  const SInt16 r = PixPositToActiveInputAreaCharBytePosi(point, line, byte, areaOffset);
  if (regionClass == 2 && (r == 2 || r == 3)) {
    offset = byte;
    return 1;
  }
  if (regionClass == 3 && r == 3) {
    offset = areaOffset;
    return 1;
  }
  return 0;
}

unsigned char cEditTextObject::ByteCharToPositon(SInt32 offset, Point& point) {
  if (textInputInProgress_ != 0 && areaLine_ != nullptr && areaLength_ < 1) return 0;
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (!InputAreaPosition(offset, line, byte)) return 0;
  std::vector<char> work(std::size_t(line->GetNumOfTextByte(1, 1)) + 4, '\0');
  SInt16 x = 0;
  if (line->CharBytePositToPixPosit(work.data(), SInt32(work.size()), byte, x) == 0) return 0;
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  EditorOffscreenPositToOnWindowPosit(Point{sp_eto_edit::Clamp16(bottom), x}, point);
  return 1;
}

bool cEditTextObject::InputAttributesAt(SInt32 offset, cTextLineObject*& line, SInt32& byte,
                                        sTextStyleAttributes& attributes) {
  if (textInputInProgress_ != 0 && areaLine_ != nullptr && areaLength_ > 0) return false;
  if (!InputAreaPosition(offset, line, byte)) return false;
  attributes = insertAttributes_;
  line->GetPositionAttribute(byte, attributes);
  return true;
}

unsigned char cEditTextObject::GetPositionFont(SInt32 offset, SInt16& font) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  sTextStyleAttributes a;
  if (!InputAttributesAt(offset, line, byte, a)) return 0;
  font = a.fontNo;
  return 1;
}

unsigned char cEditTextObject::GetPositionTextSize(SInt32 offset, SInt16& size) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  sTextStyleAttributes a;
  if (!InputAttributesAt(offset, line, byte, a)) return 0;
  size = a.size;
  return 1;
}

unsigned char cEditTextObject::GetPositionLineHeight(SInt32 offset, SInt16& height) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  sTextStyleAttributes a;
  if (!InputAttributesAt(offset, line, byte, a)) return 0;
  SInt32 top = 0, bottom = 0;
  line->GetLinePosition(top, bottom);
  height = sp_eto_edit::Clamp16(bottom - top);
  return 1;
}

unsigned char cEditTextObject::GetPositionLineAscent(SInt32 offset, SInt16& ascent) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  sTextStyleAttributes a;
  if (!InputAttributesAt(offset, line, byte, a)) return 0;
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr) return 0;
  cSpPortSaver port(window);
  const SInt16 savedFont = GetPortTextFont(GetWindowPort(window));
  const SInt16 savedSize = GetPortTextSize(GetWindowPort(window));
  TextFont(a.fontNo);
  TextSize(a.size);
  FontInfo info;
  GetFontInfo(&info);
  TextFont(savedFont);
  TextSize(savedSize);
  ascent = info.ascent;
  return 1;
}

unsigned char cEditTextObject::GetPositionAngle(SInt32 offset, SInt16& angle) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  sTextStyleAttributes a;
  if (!InputAttributesAt(offset, line, byte, a)) return 0;
  sCharactorInfoStruct info{};
  line->GetPositionCharacterInfo(byte, info);
  angle = info.horizontal ? 90 : 180;
  return 1;
}
