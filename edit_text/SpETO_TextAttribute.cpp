// Text and attributes of an edit-text object: reading the text and its styles, and changing
// font, size, face, colour, letter case and line alignment over the whole text, the selection
// or a stretch between two positions, with undo steps.
//
// A stretch change walks the lines between the two positions, changes each line's runs, then
// re-wraps, puts the selection back by absolute position, marks what must be redrawn and tells
// the client (modify type 3).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"

// One kind of stretch change: how a line changes between two offsets, and what the undo step
// records.
typedef unsigned char (*tETOLineChangeProc)(cTextLineObject* line, SInt32 a, SInt32 b,
                                            const sETOAreaChange& change,
                                            unsigned char& heightChanged);
struct sETOAreaChange {
  tETOOperationRecType type;
  tETOLineChangeProc apply;
  tTextStyleAttType attribute;  // font or size
  unsigned long value;          // font, size, face or case kind
  sTextStyleInfo mask;
  sTextStyleInfo values;
  unsigned char faceSet;
  RGBColor color;
  SInt16 colorShort;
};

namespace {

const char kSource[] = "SpETO_TextAttribute";

unsigned char ApplyFontOrSize(cTextLineObject* line, SInt32 a, SInt32 b,
                              const sETOAreaChange& change, unsigned char& heightChanged) {
  return line->SetupTargetTextFontOrSize(a, b, change.attribute, change.value, heightChanged);
}

unsigned char ApplyFace(cTextLineObject* line, SInt32 a, SInt32 b, const sETOAreaChange& change,
                        unsigned char& heightChanged) {
  return line->SetupTargetTextStyle(a, b, change.mask, change.values, heightChanged);
}

unsigned char ApplyColor(cTextLineObject* line, SInt32 a, SInt32 b, const sETOAreaChange& change,
                         unsigned char& heightChanged) {
  return line->SetupTargetTextColor(a, b, change.color, change.colorShort, heightChanged);
}

unsigned char ApplyCase(cTextLineObject* line, SInt32 a, SInt32 b, const sETOAreaChange& change,
                        unsigned char& heightChanged) {
  heightChanged = 0;
  unsigned char changed = 0;
  line->ModifyTargetAreaAlphaText(tETO_ModifyTextCodeProcType(change.value), a, b, changed);
  return changed;
}

sETOAreaChange NewChange(tETOOperationRecType type, tETOLineChangeProc apply) {
  sETOAreaChange change{};
  change.type = type;
  change.apply = apply;
  return change;
}

// Every face flag selected, each given the requested face's value.
void SetFaceMask(Style face, sTextStyleInfo& mask, sTextStyleInfo& values) {
  Sp_InitalizeStyleInfo(mask, 0);
  mask.bold = mask.italic = mask.underline = mask.outline = mask.shadow = mask.condense =
      mask.extend = 1;
  Sp_TextStyleToTextStyleInfo(face, values);
}

UInt8 sTextStyleInfo::*const kFaceFlags[] = {
    &sTextStyleInfo::bold,    &sTextStyleInfo::italic,   &sTextStyleInfo::underline,
    &sTextStyleInfo::outline, &sTextStyleInfo::shadow,   &sTextStyleInfo::condense,
    &sTextStyleInfo::extend,
};

bool Equal(const RGBColor& a, const RGBColor& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

// ---- Reading ----

SInt32 cEditTextObject::GetText(char* buffer, SInt32 size, unsigned char terminate,
                                unsigned char& overflow) {
  overflow = 0;
  if (buffer == nullptr || size < 0) {
    overflow = 1;
    return 0;
  }
  SInt32 total = 0;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    const SInt32 n = l->GetNumOfTextByte(1, 1);
    if (n == 0) continue;
    const std::vector<char> text = l->CopyText();
    const SInt32 room = size - total;
    std::memcpy(buffer + total, text.data(), std::size_t(std::min(n, room)));
    if (n > room) {
      overflow = 1;
      return total + room;
    }
    total += n;
  }
  if (terminate != 0) {
    if (total < size) {
      buffer[total] = 0;
    } else {
      overflow = 1;
    }
  }
  return total;
}

void cEditTextObject::GetText(sSO_StringObjectBase* out) {
  if (out == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::GetText", 1, kSpMsgNullArgument);
    return;
  }
  SpSO_Clear(out);
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->GetLineStringWidthAppend(out);
  }
}

unsigned char cEditTextObject::GetTextAttributes(cTextAttributeList& list, unsigned char append,
                                                 unsigned char skipRepeat) {
  if (append == 0) list.ClearItem();
  if (firstLine_ == nullptr) {
    sTextStyleAttributes last;
    if (append != 0 && skipRepeat != 0 && list.GetCountItem() > 0 &&
        list.GetNumAttribute(list.GetCountItem(), last) != 0 &&
        SpEqualTextStyleAttribute(last, insertAttributes_)) {
      return 1;
    }
    list.SetupNewAttribute(insertAttributes_);
    return 1;
  }
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->GetTextAttributesList(list, 1, skipRepeat);
  }
  return 1;
}

unsigned char cEditTextObject::GetSelectionAttribute(cTextAttributeList& list) {
  if (startLine_ == nullptr) return 0;
  list.ClearItem();
  if (caretMode_ != 0) {
    list.SetupNewAttribute(insertAttributes_);
    return 1;
  }
  return GetAttributeListOnTargetArea(startLine_, startByte_, endLine_, endByte_, list);
}

namespace {

typedef void (*tStyleVisitor)(const sTextStyleAttributes& attributes, void* arg);

// Hands every style of the stretch to `visit` in text order: an empty line's own style, a line
// reached at offset 0 its style there, and each run of the stretch otherwise. False when an
// end lies past the bytes of an empty line.
unsigned char VisitStretchStyles(cTextLineObject* line1, SInt32 offset1, cTextLineObject* line2,
                                 SInt32 offset2, tStyleVisitor visit, void* arg) {
  sTextStyleAttributes a;
  if (line1 == line2 && offset1 == offset2) {
    line1->GetPositionStyleAttribute(offset1, a);
    visit(a, arg);
    return 1;
  }
  sp_eto_edit::sSpan span;
  if (!sp_eto_edit::Order(line1, offset1, line2, offset2, span)) return 0;
  unsigned char answer = 1;
  for (cTextLineObject* l = span.first; l != nullptr; l = l->GetNextObjectPtr()) {
    const SInt32 bytes = l->GetNumOfTextByte(1, 1);
    if (bytes == 0) {
      l->GetPositionStyleAttribute(-1, a);
      visit(a, arg);
      if ((l == span.first && span.firstByte > 0) || (l == span.last && span.lastByte > 0)) {
        answer = 0;
      }
    } else if (l == span.last && span.lastByte == 0) {
      l->GetPositionAttribute(0, a);
      visit(a, arg);
    } else {
      const SInt32 from = l == span.first ? span.firstByte : 0;
      const SInt32 to = l == span.last ? span.lastByte : bytes;
      SInt32 start = 0;
      for (const cTextStyleRunObject* run = l->GetStyleRunListHeadPtr();
           run != nullptr && start < to; run = run->GetNextObjectPtr()) {
        const SInt32 end = start + run->ByteLength();
        if (end > from && run->GetStyleRunDataType() != kETO_LineBreakRun) {
          visit(run->Attributes(), arg);
        }
        start = end;
      }
    }
    if (l == span.last) break;
  }
  return answer;
}

void AddToList(const sTextStyleAttributes& attributes, void* list) {
  static_cast<cTextAttributeList*>(list)->SetupNewAttribute(attributes);
}

// Which face flags every style of a stretch has, and whether there was any.
struct sFacesHeld {
  Style all = Style(0xFF);
  bool any = false;
};

void HoldFace(const sTextStyleAttributes& attributes, void* arg) {
  sFacesHeld* held = static_cast<sFacesHeld*>(arg);
  held->all = Style(held->all & attributes.face);
  held->any = true;
}

// The stretch's bytes and styles, neighbouring text runs of equal style joined whatever their
// kinds of character: what taking back a change of face, font, size or colour needs, without a
// copy of every run of a long text.
void GetStretchStyles(cSp_RunSet& out, const sETO_SelectionInfo& target) {
  out.ClearRunSet();
  std::string bytes;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  for (cTextLineObject* l = target.earlierLine; l != nullptr; l = l->GetNextObjectPtr()) {
    const bool last = l == target.laterLine;
    const SInt32 from = l == target.earlierLine ? target.earlierOffset : 0;
    const SInt32 to = last ? target.laterOffset : l->GetNumOfTextByte(1, 1);
    if (from < to) {
      const std::vector<char> text = l->CopyText();
      bytes.append(text.data() + from, std::size_t(to - from));
      SInt32 start = 0;
      for (const cTextStyleRunObject* run = l->GetStyleRunListHeadPtr();
           run != nullptr && start < to; run = run->GetNextObjectPtr()) {
        const SInt32 end = start + run->ByteLength();
        const SInt32 n = std::min(end, to) - std::max(start, from);
        start = end;
        if (n <= 0) continue;
        if (tail != nullptr && tail->IsText() && run->IsText() &&
            SpEqualTextStyleAttribute(tail->Attributes(), run->Attributes())) {
          tail->CountUpStringLen(n);
          continue;
        }
        cTextStyleRunObject* copy = run->GetCopyRun();
        if (copy == nullptr) break;
        copy->SetupStringLen(n);
        SpAppendToList(head, tail, copy);
      }
    }
    if (last) break;
  }
  if (head == nullptr) return;
  out.AppendString(bytes.data(), 0, SInt32(bytes.size()));
  out.AppendStyleRun(head);
}

}  // namespace

unsigned char cEditTextObject::GetAttributeListOnTargetArea(cTextLineObject* line1,
                                                            SInt32 offset1,
                                                            cTextLineObject* line2,
                                                            SInt32 offset2,
                                                            cTextAttributeList& list) {
  if (line1 == nullptr || line2 == nullptr) return 0;
  list.ClearItem();
  return VisitStretchStyles(line1, offset1, line2, offset2, AddToList, &list);
}

unsigned char cEditTextObject::GetTopRunAttributeOnSelection(sTextStyleAttributes& out) {
  Sp_InitializeTextStyleAttribute(out);
  cTextAttributeList list;
  GetSelectionAttribute(list);
  return list.GetCountItem() > 0 ? list.GetNumAttribute(1, out) : 0;
}

unsigned char cEditTextObject::GetTopRunAttributeOnTargetArea(cTextLineObject* line1,
                                                              SInt32 offset1,
                                                              cTextLineObject* line2,
                                                              SInt32 offset2,
                                                              sTextStyleAttributes& out) {
  Sp_InitializeTextStyleAttribute(out);
  cTextAttributeList list;
  GetAttributeListOnTargetArea(line1, offset1, line2, offset2, list);
  return list.GetCountItem() > 0 ? list.GetNumAttribute(1, out) : 0;
}

// ---- Positions kept across a change ----

unsigned char cEditTextObject::GetSelectionInfoStock(sETO_SelectionInfo& info,
                                                     cTextLineObject* line1, SInt32 offset1,
                                                     cTextLineObject* line2,
                                                     SInt32 offset2) const {
  if (line1 == nullptr || line2 == nullptr) return 0;
  info = sETO_SelectionInfo{};
  if (GetAbsCursorPositionInfo(line1, offset1, info.abs1, info.lineStart1) == 0 ||
      GetAbsCursorPositionInfo(line2, offset2, info.abs2, info.lineStart2) == 0) {
    return 0;
  }
  info.line1 = line1;
  info.reference1 = line1->GetReferenceNo();
  info.offset1 = offset1;
  info.line2 = line2;
  info.reference2 = line2->GetReferenceNo();
  info.offset2 = offset2;
  const bool firstEarlier = info.reference1 < info.reference2 ||
                            (info.reference1 == info.reference2 && offset1 < offset2);
  info.earlierLine = firstEarlier ? line1 : line2;
  info.earlierOffset = firstEarlier ? offset1 : offset2;
  info.earlierAbs = firstEarlier ? info.abs1 : info.abs2;
  info.earlierLineStart = firstEarlier ? info.lineStart1 : info.lineStart2;
  info.laterLine = firstEarlier ? line2 : line1;
  info.laterOffset = firstEarlier ? offset2 : offset1;
  info.laterAbs = firstEarlier ? info.abs2 : info.abs1;
  info.laterLineStart = firstEarlier ? info.lineStart2 : info.lineStart1;
  return 1;
}

unsigned char cEditTextObject::SetupRedrawAreaAndCursor(const sETO_SelectionInfo* saved,
                                                        const sETO_SelectionInfo& target, SInt16,
                                                        SInt16, unsigned char heightsChanged,
                                                        unsigned char selectionFlag,
                                                        unsigned char redraw) {
  if (saved != nullptr) {
    // The lines were rebuilt: the selection is found again by its absolute positions.
    startLine_ = endLine_ = nullptr;
    caretMode_ = selectionMode_ = 0;
    SetupSelectionPosition(saved->abs1, saved->lineStart1, saved->abs2, saved->lineStart2, 0,
                           selectionFlag);
    if (startLine_ == nullptr) SetupCaretPosition(saved->abs1, 0);
  }
  const Rect visible = VisibleOffscreen();
  if (visible.bottom <= visible.top || visible.right <= visible.left) return 0;
  cTextLineObject* earlier = nullptr;
  cTextLineObject* later = nullptr;
  SInt32 byte = 0;
  if (GetCursorPositFromAbsPosit(target.earlierAbs, 1, earlier, byte) == 0) earlier = firstLine_;
  if (GetCursorPositFromAbsPosit(target.laterAbs, 0, later, byte) == 0) later = lastLine_;
  if (earlier == nullptr || later == nullptr) return 1;
  SInt32 top = 0, bottom = 0, laterTop = 0, laterBottom = 0;
  earlier->GetLinePosition(top, bottom);
  later->GetLinePosition(laterTop, laterBottom);
  bottom = heightsChanged != 0 ? SInt32(visible.bottom) : std::max(bottom, laterBottom);
  top = std::max<SInt32>(top, visible.top);
  bottom = std::min<SInt32>(bottom, visible.bottom);
  if (top < bottom) MarkOffscreenBand(top, bottom, visible.left, visible.right);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::RewrapFrom(cTextLineObject* from, cTextLineObject* last,
                                 SInt32 oldHeight) {
  if (from == nullptr) return;
  // Attribute changes move no line break, so the wrap ends with the paragraph that holds
  // `last`: the lines after it keep theirs and are set aside meanwhile. Widths changed where
  // bytes did not, so the wrapper's early stop over unchanged-looking lines cannot be trusted:
  // it runs to the end of what is left.
  cTextLineObject* end = last != nullptr ? last : from;
  while (end->GetContainLineBrakeFlag() == 0 && end->GetNextObjectPtr() != nullptr) {
    end = end->GetNextObjectPtr();
  }
  cTextLineObject* rest = end->UnlinkNext();
  SInt16 handled = 0, added = 0, removed = 0;
  unsigned char widthChanged = 1;
  from->ResetBreakLine(handled, added, removed, widthChanged);
  cTextLineObject* tail = from->GetLastObjectPtr();
  if (rest != nullptr) {
    // The wrap gives a text that ends with a line break an empty last line: the lines set
    // aside follow instead.
    cTextLineObject* before = tail->GetBeforeObjectPtr();
    if (tail->GetNumOfTextByte(1, 1) == 0 && before != nullptr &&
        before->GetContainLineBrakeFlag() != 0) {
      delete before->TakeOutNext();
      tail = before;
    }
    tail->LinkToNext(rest);
  }
  UpdateLastLine();
  from->SetupReferenceNo(1);
  SInt32 top = 0, bottom = 0;
  from->GetLinePosition(top, bottom);
  from->SetupLineVerticalPosition(top, 1);
  FitWidthForAutoLineChange(0);
  SetupRedrawAreaForAfterModifyLineBreake(from, handled, added, removed, oldHeight);
  ResetupOffscreenAreaSize();
}

// ---- Recording ----

void cEditTextObject::RecordOperationDataForModFontOrSize(tTextStyleAttType type,
                                                          unsigned long value, SInt32 start,
                                                          cSp_RunSet& oldText) {
  if (undoManager_ == nullptr) return;
  if (type != kTextStyleAttFont && type != kTextStyleAttSize) return;
  cETOOperationRecTerm* term = undoManager_->CreateNewOperationTerm(
      type == kTextStyleAttFont ? kETOOperationFont : kETOOperationSize);
  if (term == nullptr) return;
  if (type == kTextStyleAttFont) {
    term->RecordWithModeFontId(start, oldText, SInt16(value));
  } else {
    term->RecordWithModeSize(start, oldText, SInt16(value));
  }
}

void cEditTextObject::RecordAreaChange(const sETOAreaChange& change, SInt32 start,
                                       cSp_RunSet& oldText) {
  if (undoManager_ == nullptr) return;
  if (change.type == kETOOperationFont || change.type == kETOOperationSize) {
    RecordOperationDataForModFontOrSize(change.attribute, change.value, start, oldText);
    return;
  }
  cETOOperationRecTerm* term = undoManager_->CreateNewOperationTerm(change.type);
  if (term == nullptr) return;
  switch (change.type) {
    case kETOOperationStyle:
      if (term->RecordWithStyle(start, oldText, Style(change.value))) {
        term->GetOperationItemListLast()->SetupStyleSetFlag(change.faceSet);
      }
      break;
    case kETOOperationCase:
      term->RecordWithModTextProc(start, oldText, tETO_ModifyTextCodeProcType(change.value));
      break;
    case kETOOperationColor:
      term->RecordWithTextColor(start, oldText, change.color, change.colorShort);
      break;
    default:
      break;
  }
}

// ---- Stretch changes ----

unsigned char cEditTextObject::ChangeTargetArea(cTextLineObject* line1, SInt32 offset1,
                                                cTextLineObject* line2, SInt32 offset2,
                                                const sETOAreaChange& change,
                                                unsigned char redraw, unsigned char record,
                                                unsigned char selectionFlag) {
  if (line1 == nullptr || line2 == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::ChangeTargetArea", 1, kSpMsgNullArgument,
                           0);
  }
  if (line1 == line2 && offset1 == offset2) return 0;
  sETO_SelectionInfo target;
  if (GetSelectionInfoStock(target, line1, offset1, line2, offset2) == 0) return 0;
  sETO_SelectionInfo saved;
  const bool keep = (caretMode_ != 0 || selectionMode_ != 0) &&
                    GetSelectionInfoStock(saved, startLine_, startByte_, endLine_, endByte_) != 0;
  cSp_RunSet oldText;
  if (record != 0 && undoManager_ != nullptr) {
    if (change.type == kETOOperationCase) {
      GetTargetString(oldText, target.earlierLine, target.earlierOffset, target.laterLine,
                      target.laterOffset, 1);
    } else {
      GetStretchStyles(oldText, target);
    }
    if (oldText.GetStyleRunListHeadPtr() == nullptr) record = 0;
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  unsigned char any = 0, heights = 0;
  cTextLineObject* firstChanged = nullptr;
  cTextLineObject* lastChanged = nullptr;
  {
    // The lines of the stretch take the same few changes of style one after the other, and
    // the lines after them are placed once at the end.
    cETORestyleScope restyles;
    cETOLinePlacingScope placing;
    for (cTextLineObject* l = target.earlierLine; l != nullptr; l = l->GetNextObjectPtr()) {
      const bool last = l == target.laterLine;
      const SInt32 a = l == target.earlierLine ? target.earlierOffset : 0;
      const SInt32 b = last ? target.laterOffset : l->GetNumOfTextByte(1, 1);
      // A stretch that ends at a line's start leaves that line alone.
      if (a < b) {
        unsigned char heightChanged = 0;
        if (change.apply(l, a, b, change, heightChanged) != 0) {
          any = 1;
          if (firstChanged == nullptr) firstChanged = l;
          lastChanged = l;
        }
        if (heightChanged != 0) heights = 1;
      }
      if (last) break;
    }
  }
  if (any == 0) return 0;
  if (record != 0) RecordAreaChange(change, target.earlierAbs, oldText);
  if (keep) startLine_ = endLine_ = nullptr;
  RewrapFrom(firstChanged->GetBeforeObjectPtr() != nullptr ? firstChanged->GetBeforeObjectPtr()
                                                           : firstChanged,
             lastChanged, oldHeight);
  if (GetTotalLineHeight() != oldHeight) heights = 1;
  SetupRedrawAreaAndCursor(keep ? &saved : nullptr, target, 0, 0, heights, selectionFlag, redraw);
  ExecModifyTextCB(kETO_AttributeChanged);
  return 1;
}

unsigned char cEditTextObject::ChangeFaceOfEmptyLine(cTextLineObject* line,
                                                     const sTextStyleInfo& mask,
                                                     const sTextStyleInfo& values) {
  sTextStyleAttributes a;
  line->GetPositionStyleAttribute(0, a);
  sTextStyleInfo info;
  Sp_TextStyleToTextStyleInfo(a.face, info);
  Sp_ChangeStyleInfoByChangeBitItem(info, mask, values);
  Sp_TextStyleInfoToStyle(info, a.face);
  unsigned char changed = 0;
  line->SetupTextAttributeAtAll(a, changed);
  insertAttributes_ = a;
  return 1;
}

unsigned char cEditTextObject::SetupTargetAreaTextFontOrSize(
    cTextLineObject* line1, SInt32 offset1, cTextLineObject* line2, SInt32 offset2,
    tTextStyleAttType type, unsigned long value, unsigned char redraw, unsigned char record,
    unsigned char selectionFlag) {
  if (type != kTextStyleAttFont && type != kTextStyleAttSize) return 0;
  sETOAreaChange change = NewChange(
      type == kTextStyleAttFont ? kETOOperationFont : kETOOperationSize, ApplyFontOrSize);
  change.attribute = type;
  change.value = value;
  return ChangeTargetArea(line1, offset1, line2, offset2, change, redraw, record, selectionFlag);
}

unsigned char cEditTextObject::SetupTargetAreaTextColor(cTextLineObject* line1, SInt32 offset1,
                                                        cTextLineObject* line2, SInt32 offset2,
                                                        const RGBColor& color,
                                                        SInt16 colorShort, unsigned char redraw,
                                                        unsigned char record,
                                                        unsigned char selectionFlag) {
  sETOAreaChange change = NewChange(kETOOperationColor, ApplyColor);
  change.color = color;
  change.colorShort = colorShort;
  return ChangeTargetArea(line1, offset1, line2, offset2, change, redraw, record, selectionFlag);
}

unsigned char cEditTextObject::SetupTargetAreaTextStyle(cTextLineObject* line1, SInt32 offset1,
                                                        cTextLineObject* line2, SInt32 offset2,
                                                        Style face, unsigned char redraw,
                                                        unsigned char record,
                                                        unsigned char selectionFlag) {
  sETOAreaChange change = NewChange(kETOOperationStyle, ApplyFace);
  SetFaceMask(face, change.mask, change.values);
  change.value = face;
  change.faceSet = 1;
  if (line1 != nullptr && line1 == line2 && offset1 == 0 && offset2 == 0 &&
      line1->GetNumOfTextByte(1, 1) == 0) {
    return ChangeFaceOfEmptyLine(line1, change.mask, change.values);
  }
  return ChangeTargetArea(line1, offset1, line2, offset2, change, redraw, record, selectionFlag);
}

unsigned char cEditTextObject::ModifyTargetAreaTextStyleRevolve(
    cTextLineObject* line1, SInt32 offset1, cTextLineObject* line2, SInt32 offset2, Style face,
    unsigned char redraw, unsigned char record, unsigned char selectionFlag) {
  sETOAreaChange change = NewChange(kETOOperationStyle, ApplyFace);
  change.value = face;
  if (face == 0) {
    // Plain clears every flag.
    Sp_InitalizeStyleInfo(change.mask, 1);
    Sp_InitalizeStyleInfo(change.values, 1);
  } else {
    // Each requested flag goes on where any of the stretch lacks it, off where all have it.
    Sp_TextStyleToTextStyleInfo(face, change.mask);
    Sp_InitalizeStyleInfo(change.values, 0);
    sFacesHeld held;
    if (line1 != nullptr && line2 != nullptr) {
      VisitStretchStyles(line1, offset1, line2, offset2, HoldFace, &held);
    }
    sTextStyleInfo all;
    Sp_TextStyleToTextStyleInfo(held.any ? held.all : Style(0), all);
    for (UInt8 sTextStyleInfo::*flag : kFaceFlags) {
      if (change.mask.*flag != 0) change.values.*flag = all.*flag != 0 ? 0 : 1;
    }
    Style resulting = 0;
    Sp_TextStyleInfoToStyle(change.values, resulting);
    change.values.plain = resulting == 0 ? 1 : 0;
  }
  if (line1 != nullptr && line1 == line2 && offset1 == 0 && offset2 == 0 &&
      line1->GetNumOfTextByte(1, 1) == 0) {
    return ChangeFaceOfEmptyLine(line1, change.mask, change.values);
  }
  return ChangeTargetArea(line1, offset1, line2, offset2, change, redraw, record, selectionFlag);
}

unsigned char cEditTextObject::ModifyTargetAreaAlphaText(
    cTextLineObject* line1, SInt32 offset1, cTextLineObject* line2, SInt32 offset2,
    tETO_ModifyTextCodeProcType kind, unsigned char redraw, unsigned char record,
    unsigned char selectionFlag) {
  if (kind != kETO_ToUpperCase && kind != kETO_ToLowerCase) return 0;
  sETOAreaChange change = NewChange(kETOOperationCase, ApplyCase);
  change.value = UInt16(kind);
  return ChangeTargetArea(line1, offset1, line2, offset2, change, redraw, record, selectionFlag);
}

unsigned char cEditTextObject::SetupTargetLineHolizontalPosition(
    tPositionType type, cTextLineObject* firstLine, cTextLineObject* lastLine,
    unsigned char redraw, unsigned char record, unsigned char selectionFlag) {
  if (firstLine == nullptr || lastLine == nullptr) return 0;
  if (firstLine->GetReferenceNo() > lastLine->GetReferenceNo()) std::swap(firstLine, lastLine);
  sETO_SelectionInfo target;
  if (GetSelectionInfoStock(target, firstLine, 0, lastLine, lastLine->GetNumOfTextByte(1, 0)) ==
      0) {
    return 0;
  }
  cSp_uLongCollection old;
  bool any = false;
  for (cTextLineObject* l = firstLine; l != nullptr; l = l->GetNextObjectPtr()) {
    const tPositionType before = l->GetHorizontalPositionType();
    if (record != 0) old.SetValue(-1, before);
    if (l->SetupHorizontalPositionType(type) != 0 && before != type) any = true;
    if (l == lastLine) break;
  }
  if (!any) return 0;
  if (record != 0 && undoManager_ != nullptr) {
    cETOOperationRecTerm* term = undoManager_->CreateNewOperationTerm(
        kETOOperationHorizontalPosition);
    if (term == nullptr ||
        !term->RecordWithLineHolizontalPosit(target.earlierAbs, &old, type)) {
      SpReportFailure(kSource, "cEditTextObject::SetupTargetLineHolizontalPosition", 2,
                      kSpMsgMemory);
    } else {
      // The lines' stretch, so that redo finds the same lines again.
      term->GetOperationItemListLast()->SetupLength(target.laterAbs - target.earlierAbs);
    }
  }
  SetupRedrawAreaAndCursor(nullptr, target, 0, 0, 0, selectionFlag, redraw);
  ExecModifyTextCB(kETO_AttributeChanged);
  return 1;
}

// ---- The selection, or the insert point ----

unsigned char cEditTextObject::SetupSelectionTextFontOrSize(tTextStyleAttType type,
                                                            unsigned long value,
                                                            unsigned char redraw,
                                                            unsigned char record) {
  if (selectionMode_ != 0) {
    return SetupTargetAreaTextFontOrSize(startLine_, startByte_, endLine_, endByte_, type, value,
                                         redraw, record, 1);
  }
  if (caretMode_ != 0) return SpChangeTextStyleAttribute(insertAttributes_, type, value);
  return 0;
}

unsigned char cEditTextObject::SetupSelectionTextColor(const RGBColor& color, SInt16 colorShort,
                                                       unsigned char redraw,
                                                       unsigned char record) {
  if (selectionMode_ != 0) {
    return SetupTargetAreaTextColor(startLine_, startByte_, endLine_, endByte_, color,
                                    colorShort, redraw, record, 1);
  }
  if (caretMode_ == 0) return 0;
  sTextStyleColor& first = insertAttributes_.colors[0];
  if (Equal(first.rgb, color) && first.kind == colorShort) return 0;
  first.rgb = color;
  first.kind = colorShort;
  return 1;
}

unsigned char cEditTextObject::SetupSelectionTextStyle(Style face, unsigned char redraw) {
  if (selectionMode_ != 0) {
    return SetupTargetAreaTextStyle(startLine_, startByte_, endLine_, endByte_, face, redraw, 1,
                                    1);
  }
  if (caretMode_ == 0 || insertAttributes_.face == face) return 0;
  insertAttributes_.face = face;
  return 1;
}

unsigned char cEditTextObject::ModifySelectionTextStyleRevolve(Style face, unsigned char redraw) {
  if (selectionMode_ != 0) {
    return ModifyTargetAreaTextStyleRevolve(startLine_, startByte_, endLine_, endByte_, face,
                                            redraw, 1, 1);
  }
  if (caretMode_ == 0 || face == 0) return 0;
  insertAttributes_.face = Style(insertAttributes_.face ^ face);
  return 1;
}

unsigned char cEditTextObject::ModifySelectionAlphaText(tETO_ModifyTextCodeProcType kind,
                                                        unsigned char redraw) {
  if (selectionMode_ == 0) return 0;
  return ModifyTargetAreaAlphaText(startLine_, startByte_, endLine_, endByte_, kind, redraw, 1,
                                   1);
}

// ---- The whole text ----

unsigned char cEditTextObject::ChangeWholeText(tTextStyleAttType type, unsigned long value,
                                               unsigned char redraw) {
  SpChangeTextStyleAttribute(insertAttributes_, type, value);
  if (firstLine_ == nullptr) return 0;
  sETO_SelectionInfo saved;
  const bool keep = (caretMode_ != 0 || selectionMode_ != 0) &&
                    GetSelectionInfoStock(saved, startLine_, startByte_, endLine_, endByte_) != 0;
  const SInt32 oldHeight = GetTotalLineHeight();
  cTextLineObject* firstChanged = nullptr;
  {
    cETORestyleScope restyles;
    cETOLinePlacingScope placing;
    for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
      unsigned char heightChanged = 0;
      if (l->ChangeTextAttributeAtAll(type, value, heightChanged) != 0 &&
          firstChanged == nullptr) {
        firstChanged = l;
      }
    }
  }
  if (firstChanged == nullptr) return 0;
  if (keep) startLine_ = endLine_ = nullptr;
  RewrapFrom(firstChanged, lastLine_, oldHeight);
  if (keep) {
    SetupSelectionPosition(saved.abs1, saved.lineStart1, saved.abs2, saved.lineStart2, 0, 0);
    if (startLine_ == nullptr) SetupCaretPosition(saved.abs1, 0);
  }
  const Rect visible = VisibleOffscreen();
  MarkOffscreenBand(visible.top, visible.bottom, visible.left, visible.right);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::SetupTextFontOrSize(tTextStyleAttType type, unsigned long value,
                                          unsigned char redraw) {
  if (type != kTextStyleAttFont && type != kTextStyleAttSize) return;
  ChangeWholeText(type, value, redraw);
}

void cEditTextObject::SetupTextSize(SInt16 size, unsigned char redraw) {
  // Below 1: the default size.
  ChangeWholeText(kTextStyleAttSize, size < 1 ? 0 : UInt16(size), redraw);
}

void cEditTextObject::SetupFontNo(SInt16 font, unsigned char redraw) {
  // Below 1: the system font; 1 the application font.
  ChangeWholeText(kTextStyleAttFont, font < 1 ? 0 : UInt16(font), redraw);
}

void cEditTextObject::SetupAttributeIntoAllText(const sTextStyleAttributes& attributes,
                                                unsigned char redraw) {
  insertAttributes_ = attributes;
  bool any = false;
  {
    cETOLinePlacingScope placing;
    for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
      sTextStyleAttributes copy = attributes;
      unsigned char heightChanged = 0;
      if (l->SetupTextAttributeAtAll(copy, heightChanged) != 0) any = true;
    }
  }
  if (!any || redraw == 0) return;
  const Rect visible = VisibleOffscreen();
  MarkOffscreenBand(visible.top, visible.bottom, visible.left, visible.right);
  ReDrawAreaUpdateView(0);
}

void cEditTextObject::SetupTextColor(const RGBColor& color, SInt16 colorShort, unsigned char,
                                     unsigned char) {
  insertAttributes_.colors[0].rgb = color;
  insertAttributes_.colors[0].kind = colorShort;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->ChangeTextColorAtAll(color, colorShort);
    SInt32 top = 0, bottom = 0;
    l->GetLinePosition(top, bottom);
    MarkOffscreenBand(top, bottom, 0, l->GetRealLineWidth(1, 1));
  }
}

unsigned char cEditTextObject::ModifyTextStyle(Style face, unsigned char redraw) {
  if (firstLine_ == nullptr) {
    insertAttributes_.face = face;
    return 1;
  }
  UpdateLastLine();
  return SetupTargetAreaTextStyle(firstLine_, 0, lastLine_, lastLine_->GetNumOfTextByte(1, 1),
                                  face, redraw, 1, 0);
}

unsigned char cEditTextObject::ModifyTextStyleRevolve(Style face, unsigned char redraw) {
  if (firstLine_ == nullptr) {
    insertAttributes_.face = Style(insertAttributes_.face ^ face);
    return 1;
  }
  UpdateLastLine();
  return ModifyTargetAreaTextStyleRevolve(firstLine_, 0, lastLine_,
                                          lastLine_->GetNumOfTextByte(1, 1), face, redraw, 1, 0);
}

unsigned char cEditTextObject::ModifyAlphaText(tETO_ModifyTextCodeProcType kind,
                                               unsigned char redraw) {
  if (firstLine_ == nullptr) return 0;
  UpdateLastLine();
  return ModifyTargetAreaAlphaText(firstLine_, 0, lastLine_, lastLine_->GetNumOfTextByte(1, 1),
                                   kind, redraw, 1, 0);
}

unsigned char cEditTextObject::SetupHolizontalPosition(tPositionType type, unsigned char redraw,
                                                       unsigned char record) {
  // Lines take left, centre and right; the vertical types mean nothing to a line.
  if (type == 4 || type == 5 || firstLine_ == nullptr) return 0;
  UpdateLastLine();
  return SetupTargetLineHolizontalPosition(type, firstLine_, lastLine_, redraw, record, 0);
}
