// Undo and redo in an edit-text object: the replay of the undo manager's steps.
//
// A step's items are taken back from the last to the first, or done again from the first to
// the last; each item names absolute positions in the text as it stood when the item was
// recorded, so a replay in order meets the text each item expects. A step that fails part way
// leaves a text that no record matches any more: the history is cleared then.
#include <algorithm>
#include <optional>
#include <vector>

#include "OSUtils.h"
#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpETOTextInternal.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpETO_UndoRedo";
const char kMsgOperation[] = "Operation error !! ";
const char kMsgPosition[] = "Position Error !! ";

std::vector<char> ItemBytes(const cETOOperationRecItem* item) {
  const sSO_StringObjectBase* text = item->GetTargetStringObjectPtr();
  const SInt32 length = text != nullptr ? SpSO_GetStringLen(text) : 0;
  std::vector<char> bytes(std::size_t(length) + 4, 0);
  if (length > 0) sp_eto::ReadBytes(text, 0, length, bytes.data());
  return bytes;
}

bool IsAttributeType(tETOOperationRecType type) {
  return type == kETOOperationStyle || type == kETOOperationFont ||
         type == kETOOperationSize || type == kETOOperationColor;
}

}  // namespace

// ---- The manager's answers ----

unsigned char cEditTextObject::ExistUnDoOperationRecord() const {
  return undoManager_ != nullptr ? undoManager_->ExistUnDoOperationRecord() : 0;
}

unsigned char cEditTextObject::ExistReDoOperationRecord() const {
  return undoManager_ != nullptr ? undoManager_->ExistReDoOperationRecord() : 0;
}

SInt32 cEditTextObject::GetUnDoOperationRecordCount() const {
  return undoManager_ != nullptr ? undoManager_->GetUnDoOperationRecordCount() : 0;
}

SInt32 cEditTextObject::GetReDoOperationRecordCount() const {
  return undoManager_ != nullptr ? undoManager_->GetReDoOperationRecordCount() : 0;
}

void cEditTextObject::ClearUndoRedoOperationRecord(unsigned char callbacks) {
  if (undoManager_ != nullptr) undoManager_->ClearAllOperationRecord(callbacks);
}

cETOOperationRecTerm* cEditTextObject::GetRecordTerm(tETOOperationRecType type,
                                                     unsigned char newTerm) {
  if (undoManager_ == nullptr) return nullptr;
  cETOOperationRecTerm* term = undoManager_->GetCurrentTerm();
  // A closed step, or one with steps after it that redo would replay, takes nothing more: an
  // item added there would no longer match the steps around it.
  if (newTerm != 0 || term == nullptr || term->GetDecideFlag() != 0 ||
      term->GetNextObjectPtr() != nullptr) {
    term = undoManager_->CreateNewOperationTerm(type);
  }
  return term;
}

// ---- Replaying a step ----

SInt32 cEditTextObject::AbandonReplay(const char* method) {
  SpReportFailure(kSource, method, 1, kMsgOperation);
  ClearUndoRedoOperationRecord(1);
  return 0;
}

SInt32 cEditTextObject::ExecUnDoOneOperation(unsigned char redraw) {
  if (undoManager_ == nullptr) return 0;
  cETOOperationRecTerm* term = undoManager_->GetCurrentTerm();
  if (term == nullptr) return 0;
  if (textInputInProgress_ != 0 && IsActiveEditText() != 0) SpTS_FixActiveInputArea();
  // Fixing the input may have recorded a step of its own: that one is taken back.
  term = undoManager_->GetCurrentTerm();
  if (term == nullptr) return 0;
  for (cETOOperationRecItem* item = term->GetOperationItemListLast(); item != nullptr;
       item = item->GetBeforeObjectPtr()) {
    if (ExecUnDoOperationItem(item, 0, 0) == 0) {
      return AbandonReplay("cEditTextObject::ExecUnDoOneOperation");
    }
  }
  SInt32 start = 0, end = 0;
  if (term->GetUnDoSelectionPosition(start, end)) SelectAbsoluteRange(start, end, 1);
  undoManager_->ExecMoveBackOperation();
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

SInt32 cEditTextObject::ExecReDoOneOperation(unsigned char redraw) {
  if (undoManager_ == nullptr) return 0;
  if (textInputInProgress_ != 0 && IsActiveEditText() != 0) SpTS_FixActiveInputArea();
  cETOOperationRecTerm* term = undoManager_->GetReDoTerm();
  if (term == nullptr) return 0;
  for (cETOOperationRecItem* item = term->GetOperationItemListHead(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (ExecOperationItem(item, 0, 0) == 0) {
      return AbandonReplay("cEditTextObject::ExecReDoOneOperation");
    }
  }
  SInt32 start = 0, end = 0;
  if (term->GetReDoSelectionPosition(start, end)) {
    // A single Return put in shows as a caret after it, not as a selected line break.
    if (end - start == 1) {
      cTextLineObject* line = nullptr;
      SInt32 byte = 0;
      if (GetCursorPositFromAbsPosit(start, 1, line, byte) != 0 &&
          byte < line->GetNumOfTextByte(1, 1) && line->CopyText()[std::size_t(byte)] == 13) {
        start = end;
      }
    }
    SelectAbsoluteRange(start, end, 1);
  }
  undoManager_->ExecMoveFowerdOperation();
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

// ---- One item ----

bool cEditTextObject::InsertItemText(const cETOOperationRecItem* item) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (GetCursorPositFromAbsPosit(item->GetStartCharBytePosition(), 1, line, byte) == 0) {
    return SpReportFailure(kSource, "cEditTextObject::InsertItemText", 1, kMsgPosition, false);
  }
  cTextStyleRunObject* runs = item->GetDuplicatedRunList();
  if (runs == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::InsertItemText", 2, kSpMsgMemory, false);
  }
  const bool active = IsActiveEditText() != 0;
  if (active) PauseBrinkCaret(0);
  const SInt32 oldHeight = GetTotalLineHeight();
  ReleaseSelectionForEdit();
  const std::vector<char> text = ItemBytes(item);
  SInt32 textBytes = 0, tabs = 0, breaks = 0;
  if (line->InsertRunList(text.data(), runs, byte, textBytes, tabs, breaks) == 0) {
    SpETO_DeleteFreeRunList(runs);
    if (active) PauseOutBrinkCaret();
    return false;
  }
  cTextLineObject* from = line->GetBeforeObjectPtr() != nullptr ? line->GetBeforeObjectPtr()
                                                                 : line;
  unsigned char widthChanged = 0;
  TragetLineResetBreakLine(from, oldHeight, widthChanged, 0);
  RenumberAndPlaceLines();
  FitWidthForAutoLineChange(0);
  if (active) PauseOutBrinkCaret();
  return true;
}

bool cEditTextObject::DeleteItemRange(const cETOOperationRecItem* item) {
  const SInt32 start = item->GetStartCharBytePosition();
  cTextLineObject* first = nullptr;
  cTextLineObject* last = nullptr;
  SInt32 firstByte = 0, lastByte = 0;
  if (GetCursorPositFromAbsPosit(start, 1, first, firstByte) == 0 ||
      GetCursorPositFromAbsPosit(start + item->GetTargetCharByteLength(), 0, last, lastByte) ==
          0) {
    return SpReportFailure(kSource, "cEditTextObject::DeleteItemRange", 1, kMsgPosition, false);
  }
  ReleaseSelectionForEdit();
  DeleteTargetArea(first, firstByte, last, lastByte, 0, 0, 0, 1, 0);
  DeleteUnUsedLine();
  return true;
}

void cEditTextObject::ReleaseSelectionForEdit() {
  // The lines the selection names may go in the edit; the replay places it again.
  if (selectionMode_ != 0) {
    SelectionSetupFlagOff(0, 1);
  } else {
    InitializeSelection();
  }
}

SInt32 cEditTextObject::ExecUnDoOperationItem(cETOOperationRecItem* item, unsigned char setCaret,
                                              unsigned char redraw) {
  if (item == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::ExecUnDoOperationItem", 1,
                           kSpMsgNullArgument, 0);
  }
  const tETOOperationRecType type = item->GetOperationType();
  // An alignment item names lines, which an empty text has too; every other item names bytes.
  if (item->GetTargetCharByteLength() <= 0 && type != kETOOperationHorizontalPosition) return 0;
  bool done = false;
  switch (type) {
    case kETOOperationDelete:
      done = InsertItemText(item);
      if (done) ExecModifyTextCB(kETO_TextInserted);
      break;
    case kETOOperationTextIn:
      done = DeleteItemRange(item);
      if (done) {
        ExecModifyTextCB(kETO_TextDeleted);
        SetupCaretPosition(item->GetStartCharBytePosition(), setCaret);
      }
      break;
    case kETOOperationCase:
      done = ExecUndoModTextCodeProc(item) != 0;
      break;
    case kETOOperationHorizontalPosition:
      done = ExecUndoModLineHorizontalPositProc(item) != 0;
      break;
    default:
      if (IsAttributeType(type)) done = RestoreItemAttributes(item);
      break;
  }
  if (!done) return 0;
  if (startLine_ == nullptr) SetupCaretPosition(item->GetStartCharBytePosition(), 0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

SInt32 cEditTextObject::ExecOperationItem(cETOOperationRecItem* item, unsigned char setCaret,
                                          unsigned char redraw) {
  if (item == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::ExecOperationItem", 1, kSpMsgNullArgument,
                           0);
  }
  const tETOOperationRecType type = item->GetOperationType();
  const SInt32 start = item->GetStartCharBytePosition();
  const SInt32 length = item->GetTargetCharByteLength();
  if (length <= 0 && type != kETOOperationHorizontalPosition) return 0;
  bool done = false;
  if (type == kETOOperationDelete) {
    done = DeleteItemRange(item);
    if (done) {
      ExecModifyTextCB(kETO_TextDeleted);
      SetupCaretPosition(start, setCaret);
    }
  } else if (type == kETOOperationTextIn) {
    done = InsertItemText(item);
    if (done) {
      ExecModifyTextCB(kETO_TextInserted);
      SetupCaretPosition(start + length, setCaret);
    }
  } else {
    done = RedoItemAttributes(item);
  }
  if (!done) return 0;
  if (startLine_ == nullptr) SetupCaretPosition(start, 0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

void cEditTextObject::SelectAbsoluteRange(SInt32 start, SInt32 end, unsigned char callbacks) {
  cTextLineObject* startLine = nullptr;
  cTextLineObject* endLine = nullptr;
  SInt32 startByte = 0, endByte = 0;
  // A caret stands at the start of a wrapped line; a range's end at the end of the line.
  if (GetCursorPositFromAbsPosit(start, 1, startLine, startByte) == 0 ||
      GetCursorPositFromAbsPosit(end, start == end ? 1 : 0, endLine, endByte) == 0) {
    return;
  }
  SetupSelection(startLine, startByte, endLine, endByte, 0, callbacks);
}

// ---- Attribute items ----

bool cEditTextObject::RestoreItemAttributes(const cETOOperationRecItem* item) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (GetCursorPositFromAbsPosit(item->GetStartCharBytePosition(), 1, line, byte) == 0) {
    return SpReportFailure(kSource, "cEditTextObject::RestoreItemAttributes", 1, kMsgPosition,
                           false);
  }
  const tETOOperationRecType type = item->GetOperationType();
  const SInt32 oldHeight = GetTotalLineHeight();
  // A selected range collapses to a caret at the stretch; a caret stays where it is.
  SInt32 caret = item->GetStartCharBytePosition(), end = 0;
  unsigned char caretFlag = 1, endFlag = 0;
  if (selectionMode_ == 0 && GetSelectionInfoStock(caret, caretFlag, end, endFlag) == 0) {
    caret = item->GetStartCharBytePosition();
    caretFlag = 1;
  }
  ReleaseSelectionForEdit();
  cTextLineObject* firstChanged = nullptr;
  cTextLineObject* lastTouched = line;
  // The stored stretches give back the same few styles one after the other, and the lines
  // after them are placed once when the scope ends, before their places are read.
  cETORestyleScope restyles;
  std::optional<cETOLinePlacingScope> placing;
  placing.emplace();
  sTextStyleInfo mask;
  Sp_InitalizeStyleInfo(mask, 0);
  mask.bold = mask.italic = mask.underline = mask.outline = mask.shadow = mask.condense =
      mask.extend = 1;
  // Each stored run gives its own stretch back its own value, line by line: a run may now
  // straddle a wrap.
  for (const cTextStyleRunObject* run = item->GetStyleRunListHeadPtr();
       run != nullptr && line != nullptr; run = run->GetNextObjectPtr()) {
    SInt32 left = run->ByteLength();
    while (left > 0 && line != nullptr) {
      const SInt32 room = line->GetNumOfTextByte(1, 1) - byte;
      if (room <= 0) {
        line = line->GetNextObjectPtr();
        byte = 0;
        continue;
      }
      const SInt32 n = std::min(left, room);
      const sTextStyleAttributes& a = run->Attributes();
      unsigned char heightChanged = 0, any = 0;
      if (run->GetStyleRunDataType() != kETO_LineBreakRun) {
        switch (type) {
          case kETOOperationStyle: {
            sTextStyleInfo values;
            Sp_TextStyleToTextStyleInfo(a.face, values);
            any = line->SetupTargetTextStyle(byte, byte + n, mask, values, heightChanged);
            break;
          }
          case kETOOperationFont:
            any = line->SetupTargetTextFontOrSize(byte, byte + n, kTextStyleAttFont,
                                                  UInt16(a.fontNo), heightChanged);
            break;
          case kETOOperationSize:
            any = line->SetupTargetTextFontOrSize(byte, byte + n, kTextStyleAttSize,
                                                  UInt16(a.size), heightChanged);
            break;
          default:
            any = line->SetupTargetTextColor(byte, byte + n, a.colors[0].rgb, a.colors[0].kind,
                                             heightChanged);
            break;
        }
      }
      if (any != 0 && firstChanged == nullptr) firstChanged = line;
      lastTouched = line;
      byte += n;
      left -= n;
    }
  }
  placing.reset();
  if (firstChanged != nullptr) {
    SInt32 top = 0, bottom = 0, lastTop = 0, lastBottom = 0;
    firstChanged->GetLinePosition(top, bottom);
    lastTouched->GetLinePosition(lastTop, lastBottom);
    MarkOffscreenBand(top, lastBottom, 0, currentWidth_);
    RewrapFrom(firstChanged->GetBeforeObjectPtr() != nullptr ? firstChanged->GetBeforeObjectPtr()
                                                             : firstChanged,
               lastTouched, oldHeight);
    ExecModifyTextCB(kETO_AttributeChanged);
  }
  SelectAbsoluteRange(caret, caret, 0);
  if (startLine_ == nullptr) SetupCaretPosition(item->GetStartCharBytePosition(), 0);
  return true;
}

bool cEditTextObject::RedoItemAttributes(const cETOOperationRecItem* item) {
  const SInt32 start = item->GetStartCharBytePosition();
  const SInt32 end = start + item->GetTargetCharByteLength();
  cTextLineObject* first = nullptr;
  cTextLineObject* last = nullptr;
  SInt32 firstByte = 0, lastByte = 0;
  if (GetCursorPositFromAbsPosit(start, 1, first, firstByte) == 0 ||
      GetCursorPositFromAbsPosit(end, 0, last, lastByte) == 0) {
    return SpReportFailure(kSource, "cEditTextObject::RedoItemAttributes", 1, kMsgPosition,
                           false);
  }
  if (selectionMode_ != 0) {
    SetupCaretPosition(first, firstByte, 0);
    first = nullptr;
    if (GetCursorPositFromAbsPosit(start, 1, first, firstByte) == 0) return false;
  }
  RGBColor color;
  SInt16 colorShort = 0;
  switch (item->GetOperationType()) {
    case kETOOperationStyle:
      if (item->GetStyleSetFlag() != 0) {
        SetupTargetAreaTextStyle(first, firstByte, last, lastByte, item->GetModifyStyleInfo(), 0,
                                 0, 0);
      } else {
        ModifyTargetAreaTextStyleRevolve(first, firstByte, last, lastByte,
                                         item->GetModifyStyleInfo(), 0, 0, 0);
      }
      return true;
    case kETOOperationFont:
      SetupTargetAreaTextFontOrSize(first, firstByte, last, lastByte, kTextStyleAttFont,
                                    UInt16(item->GetFontID()), 0, 0, 0);
      return true;
    case kETOOperationSize:
      SetupTargetAreaTextFontOrSize(first, firstByte, last, lastByte, kTextStyleAttSize,
                                    UInt16(item->GetTextSize()), 0, 0, 0);
      return true;
    case kETOOperationCase:
      ModifyTargetAreaAlphaText(first, firstByte, last, lastByte,
                                item->GetModifyTextCodeProcType(), 0, 0, 0);
      return true;
    case kETOOperationColor:
      item->GetModifyColor(color, colorShort);
      SetupTargetAreaTextColor(first, firstByte, last, lastByte, color, colorShort, 0, 0, 0);
      return true;
    case kETOOperationHorizontalPosition:
      SetupTargetLineHolizontalPosition(item->GetLineHolizontalPosit(), first, last, 0, 0, 0);
      return true;
    default:
      return false;
  }
}

SInt32 cEditTextObject::ExecUndoModTextCodeProc(cETOOperationRecItem* item) {
  if (item == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::ExecUndoModTextCodeProc", 1,
                           kSpMsgNullArgument, 0);
  }
  // The converted letters go and the stored ones come back with their runs.
  if (!DeleteItemRange(item) || !InsertItemText(item)) {
    return SpReportFailure(kSource, "cEditTextObject::ExecUndoModTextCodeProc", 2, kMsgPosition,
                           0);
  }
  UpdateLastLine();
  ExecModifyTextCB(kETO_AttributeChanged);
  const SInt32 start = item->GetStartCharBytePosition();
  SelectAbsoluteRange(start, start + item->GetTargetCharByteLength(), 1);
  return 1;
}

SInt32 cEditTextObject::ExecUndoModLineHorizontalPositProc(cETOOperationRecItem* item) {
  if (item == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::ExecUndoModLineHorizontalPositProc", 1,
                           kSpMsgNullArgument, 0);
  }
  cTextLineObject* first = nullptr;
  SInt32 byte = 0;
  cSp_uLongCollection* old = item->GetTargetLineOldHolizontalPositionList();
  if (old == nullptr ||
      GetCursorPositFromAbsPosit(item->GetStartCharBytePosition(), 1, first, byte) == 0) {
    return SpReportFailure(kSource, "cEditTextObject::ExecUndoModLineHorizontalPositProc", 2,
                           kMsgPosition, 0);
  }
  cTextLineObject* last = first;
  cTextLineObject* line = first;
  for (SInt32 i = 1; i <= old->GetNumberOfItem() && line != nullptr; ++i) {
    unsigned long value = 0;
    old->GetValue(i, value);
    line->SetupHorizontalPositionType(tPositionType(value));
    last = line;
    line = line->GetNextObjectPtr();
  }
  SInt32 top = 0, bottom = 0, lastTop = 0, lastBottom = 0;
  first->GetLinePosition(top, bottom);
  last->GetLinePosition(lastTop, lastBottom);
  MarkOffscreenBand(top, lastBottom, 0, currentWidth_);
  ReleaseSelectionForEdit();
  SetupSelection(first, 0, last, last->GetNumOfTextByte(1, 0), 0, 1);
  ExecModifyTextCB(kETO_AttributeChanged);
  return 1;
}
