// Deleting text from an edit-text object: a stretch between two positions, the selection, and
// the empty wrap lines editing leaves behind.
#include <algorithm>
#include <string>

#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"

namespace {
const char kSource[] = "SpEditTextObject";
}  // namespace

void cEditTextObject::DeleteTargetArea(cTextLineObject* startLine, SInt32 startByte,
                                       cTextLineObject* endLine, SInt32 endByte,
                                       unsigned char redraw, unsigned char record,
                                       unsigned char newTerm, unsigned char rebreak,
                                       unsigned char notify) {
  if (startLine == nullptr || endLine == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::DeleteTargetArea", 1, kSpMsgNullArgument);
    return;
  }
  const SInt32 oldHeight = GetTotalLineHeight();
  sp_eto_edit::sSpan span;
  if (!sp_eto_edit::Order(startLine, startByte, endLine, endByte, span)) return;
  const SInt32 length = SInt32(
      sp_eto_edit::TextBetween(span.first, span.firstByte, span.last, span.lastByte, 1).size());
  if (length == 0) return;
  if (record != 0) RecordDeletion(span, newTerm);
  // A caret or selection the caller left in place may name lines that are about to go: it is
  // kept by position instead, moved back over the deleted bytes.
  SInt32 keptStart = 0, keptEnd = 0, deletedAt = 0;
  unsigned char keptStartFlag = 0, keptEndFlag = 0;
  const bool keep = startLine_ != nullptr && endLine_ != nullptr &&
                    GetSelectionInfoStock(keptStart, keptStartFlag, keptEnd, keptEndFlag) != 0 &&
                    LineByteToAbsoluteCharBytePosition(span.first, span.firstByte, 1,
                                                       deletedAt) != 0;
  startLine_ = endLine_ = nullptr;
  const SInt16 distance = sp_eto_edit::Clamp16(span.last->GetReferenceNo() -
                                               span.first->GetReferenceNo());
  cTextLineObject* first = span.first;
  if (first == span.last) {
    first->DeleteCharInBetween(span.firstByte, span.lastByte);
  } else {
    if (span.firstByte == 0) {
      first->DeleteAllRun();
    } else {
      first->DeleteCharInAfer(span.firstByte);
    }
    // The lines after the first up to the last go; the last keeps what lies after the end.
    while (first->GetNextObjectPtr() != nullptr && first->GetNextObjectPtr() != span.last) {
      delete first->TakeOutNext();
    }
    cTextLineObject* last = span.last;
    if (span.lastByte < last->GetNumOfTextByte(1, 1)) {
      if (span.lastByte > 0) last->DeleteCharInBefore(span.lastByte);
    } else {
      delete first->TakeOutNext();
    }
  }
  UpdateLastLine();
  if (rebreak != 0) {
    cTextLineObject* from = first->GetBeforeObjectPtr() != nullptr ? first->GetBeforeObjectPtr()
                                                                    : first;
    unsigned char widthChanged = 0;
    TragetLineResetBreakLine(from, oldHeight, widthChanged, 0);
  } else {
    SetupRedrawAreaForAfterModifyLineBreake(first, distance, 0, 0, oldHeight);
  }
  RenumberAndPlaceLines();
  if (keep) {
    auto moved = [&](SInt32 p) {
      return p <= deletedAt ? p : (p >= deletedAt + length ? p - length : deletedAt);
    };
    caretMode_ = selectionMode_ = 0;
    SetupSelectionPosition(moved(keptStart), keptStartFlag, moved(keptEnd), keptEndFlag, 0, 0);
  }
  if (notify != 0) ExecModifyTextCB(kETO_TextDeleted);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::RecordDeletion(const sp_eto_edit::sSpan& span, unsigned char newTerm) {
  // Without a valid start the item would put the text back in the wrong place on undo: the
  // deletion goes ahead unrecorded instead.
  SInt32 start = 0;
  if (LineByteToAbsoluteCharBytePosition(span.first, span.firstByte, 1, start) == 0) {
    SpReportFailure(kSource, "cEditTextObject::DeleteTargetArea", 2, "Position Error !! ");
    return;
  }
  cETOOperationRecTerm* term = GetRecordTerm(kETOOperationDelete, newTerm);
  if (term == nullptr) return;
  cSp_RunSet removed;
  GetTargetString(removed, span.first, span.firstByte, span.last, span.lastByte, 1);
  term->RecordWithForwardDelete(start, removed);
}

unsigned char cEditTextObject::DeleteCurrentSelection(unsigned char redraw, unsigned char off2,
                                                      unsigned char record,
                                                      unsigned char newTerm,
                                                      unsigned char rebreak,
                                                      unsigned char notify) {
  if (selectionMode_ == 0 || ExistSelectionText() == 0) return 0;
  SInt32 start = 0, end = 0;
  unsigned char startFlag = 0, endFlag = 0;
  if (GetSelectionInfoStock(start, startFlag, end, endFlag) == 0) return 0;
  cTextLineObject* a = startLine_;
  cTextLineObject* b = endLine_;
  SInt32 aByte = startByte_, bByte = endByte_;
  if (end < start) {
    std::swap(start, end);
    std::swap(startFlag, endFlag);
  }
  sp_eto_edit::sSpan span;
  sp_eto_edit::Order(a, aByte, b, bByte, span);
  sTextStyleAttributes firstRun = insertAttributes_;
  span.first->GetPositionAttribute(
      std::min(span.firstByte + 1, span.first->GetNumOfTextByte(1, 1)), firstRun);
  SelectionSetupFlagOff(redraw, off2);
  DeleteTargetArea(a, aByte, b, bByte, 0, record, newTerm, rebreak, notify);
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (GetCursorPositFromAbsPosit(start, startFlag, line, byte) != 0) {
    SetupCaretPosition(line, byte, 1);
  } else {
    SpReportFailure(kSource, "cEditTextObject::DeleteCurrentSelection", 2, "Position Error !! ");
  }
  // Typing goes on in the style of the text it replaces.
  insertAttributes_ = firstRun;
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::ClearAllText(unsigned char redraw, unsigned char record,
                                   unsigned char newTerm, unsigned char rebreak) {
  if (firstLine_ == nullptr) return;
  UpdateLastLine();
  ReleaseSelectionForEdit();
  DeleteTargetArea(firstLine_, 0, lastLine_, lastLine_->GetNumOfTextByte(1, 1), 0, record,
                   newTerm, rebreak, 1);
  SetupCaretPosition(firstLine_, 0, 0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::DeleteUnUsedLine() {
  if (firstLine_ == nullptr) return;
  bool removed = false;
  cTextLineObject* line = firstLine_;
  while (line->GetNextObjectPtr() != nullptr) {
    cTextLineObject* next = line->GetNextObjectPtr();
    if (next->GetNumOfTextByte(1, 1) == 0 && line->GetContainLineBrakeFlag() == 0) {
      if (startLine_ == next || endLine_ == next) {
        // The caret on an empty wrap line belongs at the end of the line before it.
        const SInt32 end = line->GetNumOfTextByte(1, 0);
        if (startLine_ == next) {
          startLine_ = line;
          startByte_ = end;
        }
        if (endLine_ == next) {
          endLine_ = line;
          endByte_ = end;
        }
      }
      delete line->TakeOutNext();
      removed = true;
      continue;
    }
    line = next;
  }
  if (!removed) return;
  UpdateLastLine();
  firstLine_->SetupReferenceNo(1);
  // From the top offset, as every other placing of the lines, so the text does not jump.
  SInt32 top = topOffset_;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->SetupLineVerticalPosition(top, 0);
    l->ResetLineHeightAndEndPosition(0);
    SInt32 t = 0, bottom = 0;
    l->GetLinePosition(t, bottom);
    top = bottom;
  }
}
