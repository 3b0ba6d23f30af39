// Drags of text: the field as a drop target (the drag caret that follows a drag over the text,
// taking dropped text from elsewhere, moving or copying its own selection dropped on itself)
// and as the source of a drag of its selection (the promised 'TEXT' and 'styl' flavours, made
// from the selection when a target asks for them).
#include <algorithm>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "OSUtils.h"
#include "Scrap.h"
#include "SpDragAndDrapObject.h"
#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpETOTextStyle.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpTextStyle.h"

namespace {

const char kSource[] = "SpETO_DragAndDrop";

// The runs from `head` on hold a two-byte character.
bool HoldsTwoByte(const cTextStyleRunObject* head) {
  for (const cTextStyleRunObject* r = head; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->IsTwoByte()) return true;
  }
  return false;
}

}  // namespace

// ---- Switching drops on and off ----

void cEditTextObject::EnableEditTextCatchDragItem() {
  if (dropCatchOn_ != 0) return;
  dropCatchOn_ = 1;
  EnableCatchDragItem();
}

void cEditTextObject::DisableEditTextCatchDragItem() {
  if (dropCatchOn_ == 0) return;
  dropCatchOn_ = 0;
  DisableCatchDragItem();
}

// ---- The drag caret ----

bool cEditTextObject::DragCaretPixel(SInt16& x, SInt32& top, SInt32& bottom) {
  if (dragCaretLine_ == nullptr) return false;
  std::vector<char> work(std::size_t(dragCaretLine_->GetNumOfTextByte(1, 1)) + 4, '\0');
  if (dragCaretLine_->CharBytePositToPixPosit(work.data(), SInt32(work.size()), dragCaretByte_,
                                              x) == 0) {
    return false;
  }
  dragCaretLine_->GetLinePosition(top, bottom);
  return true;
}

void cEditTextObject::TraceDragCaretDraw() {
  SInt16 x = 0;
  SInt32 top = 0, bottom = 0;
  if (!DragCaretPixel(x, top, bottom)) return;
  Rect clip;
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr || GetViewableDrawingAreaOnWindow(clip) == 0) return;
  Point from, to;
  EditorOffscreenPositToOnWindowPosit(Point{sp_eto_edit::Clamp16(top), x}, from);
  EditorOffscreenPositToOnWindowPosit(Point{sp_eto_edit::Clamp16(bottom), x}, to);
  {
    cSpPortSaver port(window);
    Sp_DrawCaret(&clip, from, to, 1);
  }
  dragCaretDrawn_ = 1;
}

void cEditTextObject::TraceDragCaretErase() {
  SInt16 x = 0;
  SInt32 top = 0, bottom = 0;
  if (DragCaretPixel(x, top, bottom)) {
    MarkOffscreenBand(top - 1, bottom + 1, SInt32(x) - 2, SInt32(x) + 2);
    ReDrawAreaUpdateView(0);
  }
  dragCaretDrawn_ = 0;
}

// ---- A drag over the field ----

void cEditTextObject::TraceDragCursorIn(DragRef, Point) {
  if (dropCatchOn_ == 0) return;
  dragInside_ = 1;
  dragCaretDrawn_ = 0;
  dragCaretLine_ = nullptr;
  dragCaretByte_ = 0;
  wasActiveOnDrag_ = SpETO_IsActiveEditItem(this);
  SpETO_PauseEventProc();
}

void cEditTextObject::TraceMoveDragCursor(DragRef, Point localPoint) {
  if (dropCatchOn_ == 0) return;
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (!TextPositionAt(localPoint, line, byte)) return;
  if (line != dragCaretLine_ || byte != dragCaretByte_) {
    if (dragCaretDrawn_ != 0) TraceDragCaretErase();
    SetupDragCaretPosition(line, byte);
  }
  if (dragCaretDrawn_ != 0) return;
  // Over its own selection or at one of its ends a drop changes nothing: no caret shows.
  if (dragSourceFlag_ != 0 && ExistSelectionText() != 0) {
    Point offscreen;
    OnWindowPositToEditorOffscreenPosit(localPoint, offscreen);
    if (PtInSelectedArea(offscreen) != 0 || (line == startLine_ && byte == startByte_) ||
        (line == endLine_ && byte == endByte_)) {
      return;
    }
  }
  TraceDragCaretDraw();
}

void cEditTextObject::TraceDragCursorOut(DragRef, Point) {
  if (dropCatchOn_ == 0) return;
  if (droppedOnItself_ == 0 && dragCaretDrawn_ != 0) TraceDragCaretErase();
  dragCaretDrawn_ = 0;
  if (dragSourceFlag_ == 0) {
    if (ExistSelectionText() == 0 && dragCaretLine_ != nullptr) {
      SetupCaretPosition(dragCaretLine_, dragCaretByte_, 1);
    }
    SpETO_PauseOutEventProc();
  }
  if (wasActiveOnDrag_ != 0 && SpETO_IsActiveEditItem(this) == 0) ActivateEditText(0, 1);
  dragInside_ = 0;
}

// ---- Taking a drop ----

bool cEditTextObject::GatherDroppedItems(cDragDataItem* items,
                                         const sTextStyleAttributes& attributes, std::string& text,
                                         cTextStyleRunObject*& head) {
  GrafPtr port = GetWindowPort(GetTargetWindowPtr());
  for (cDragDataItem* item = items; item != nullptr; item = item->GetNextObjectPtr()) {
    cDragDataFlavor* flavor = item->GetTargetTypeFlavorItem(kScrapFlavorTypeText);
    const SInt32 size = flavor != nullptr ? flavor->GetDragDataSize() : 0;
    if (size <= 0) continue;
    std::vector<char> bytes(std::size_t(size) + 4, '\0');
    SInt32 got = 0;
    if (flavor->GetDragData(bytes.data(), size, &got, 0) != noErr || got <= 0) continue;
    got = std::min(got, size);
    sTextStyleAttributes style = attributes;
    cTextStyleRunObject* itemHead = nullptr;
    cTextStyleRunObject* itemTail = nullptr;
    SpETO_CreateStyleRunObjectFromBytes(bytes.data(), got, port, style, itemHead, itemTail);
    if (itemHead == nullptr) continue;
    // An alphabet-only field takes no part of a drop that holds Japanese.
    if (onlyAlpha_ != 0 && HoldsTwoByte(itemHead)) {
      SpETO_DeleteFreeRunList(itemHead);
      if (head != nullptr) SpETO_DeleteFreeRunList(head);
      head = nullptr;
      text.clear();
      return false;
    }
    cDragDataFlavor* styleFlavor = item->GetTargetTypeFlavorItem(kScrapFlavorTypeTextStyle);
    const SInt32 styleSize = styleFlavor != nullptr ? styleFlavor->GetDragDataSize() : 0;
    if (styleSize > 0) {
      std::vector<char> style(static_cast<std::size_t>(styleSize));
      SInt32 styleGot = 0;
      cETOTextStyleBase table;
      // The table comes from anywhere: it is read only as far as the bytes that arrived.
      if (styleFlavor->GetDragData(style.data(), styleSize, &styleGot, 0) == noErr &&
          styleGot > 0 && table.SetupStyleData(style.data(), std::min(styleGot, styleSize)) != 0) {
        SpETO_MargeStyleDataIntoRunList(bytes.data(), itemHead, &table);
      }
    }
    text.append(bytes.data(), std::size_t(got));
    if (head == nullptr) {
      head = itemHead;
    } else {
      head->GetLastObjectPtr()->LinkToNext(itemHead);
    }
  }
  if (head != nullptr && !NumberFilterPasses(text.data(), SInt32(text.size()))) {
    SpETO_DeleteFreeRunList(head);
    head = nullptr;
  }
  return head != nullptr;
}

unsigned char cEditTextObject::CheckDragItemsContents(cDragDataItem* items) {
  // Its own selection passed the filters when it was typed.
  if ((onlyAlpha_ == 0 && onlyNumber_ == 0) || dragSourceFlag_ != 0) return 1;
  std::string text;
  cTextStyleRunObject* head = nullptr;
  const bool taken = GatherDroppedItems(items, insertAttributes_, text, head);
  if (head != nullptr) SpETO_DeleteFreeRunList(head);
  return taken ? 1 : 0;
}

bool cEditTextObject::GatherOwnSelection(std::string& text, cTextStyleRunObject*& head) {
  cTextStyleRunObject* tail = nullptr;
  GetCopyStyleRunListFromSelectionArea(head, tail);
  const SInt32 size = GetSelectionStringSize(1);
  std::vector<char> bytes(std::size_t(std::max<SInt32>(size, 0)) + 4, '\0');
  unsigned char overflow = 0;
  const SInt32 got = GetSelectionString(1, bytes.data(), SInt32(bytes.size()), overflow);
  if (overflow != 0 || got < 0) {
    SysBeep(10);
    if (head != nullptr) SpETO_DeleteFreeRunList(head);
    head = nullptr;
    return false;
  }
  text.assign(bytes.data(), std::size_t(got));
  return head != nullptr;
}

short cEditTextObject::CatchDragItems(Point localPoint, cDragDataItem* items, UInt32*) {
  static const char kMethod[] = "cEditTextObject::CatchDragItems";
  if (dropCatchOn_ == 0) return paramErr;
  if (dragCaretLine_ == nullptr) {
    SysBeep(10);
    SpReportFailure(kSource, kMethod, 1, "Drag Caret Position (Line)  is null !! ");
    return paramErr;
  }
  sSpModifiersDataStruct mods{};
  short modifierBits = 0;
  Sp_GetModifiers(&modifierBits, &mods);
  const bool copy = mods.optionFlag != 0;
  const bool own = dragSourceFlag_ != 0;
  const bool hadRange = ExistSelectionText() != 0;
  cTextLineObject* dropLine = nullptr;
  SInt32 dropByte = 0, p = 0;
  if (!TextPositionAt(localPoint, dropLine, dropByte) ||
      LineByteToAbsoluteCharBytePosition(dropLine, dropByte, 1, p) == 0) {
    return paramErr;
  }
  SetupDragCaretPosition(dropLine, dropByte);
  SInt32 selStart = 0, selEnd = 0;
  unsigned char startFlag = 0, endFlag = 0;
  const bool known = hadRange && GetSelectionInfoStock(selStart, startFlag, selEnd, endFlag) != 0;
  if (selEnd < selStart) std::swap(selStart, selEnd);
  if (own) {
    // Its own selection dropped on itself or at its ends would not change the text.
    Point offscreen;
    OnWindowPositToEditorOffscreenPosit(localPoint, offscreen);
    if (!known || PtInSelectedArea(offscreen) != 0 || (p >= selStart && p <= selEnd)) {
      return paramErr;
    }
  }
  sTextStyleAttributes attributes = insertAttributes_;
  dropLine->GetPositionAttribute(dropByte, attributes);
  std::string text;
  cTextStyleRunObject* head = nullptr;
  const bool gathered =
      own ? GatherOwnSelection(text, head) : GatherDroppedItems(items, attributes, text, head);
  // Nothing to take: the text, the selection and the undo history stay as they were.
  if (!gathered || head == nullptr) return paramErr;
  if (dragCaretDrawn_ != 0) TraceDragCaretErase();
  if (!own && hadRange) SelectionSetupFlagOff(0, 0);
  OpenUndoStep(own && !copy ? kETOOperationDragMove : kETOOperationDrop);
  const SInt32 oldHeight = GetTotalLineHeight();
  SInt32 textBytes = 0, tabs = 0, breaks = 0;
  // The caret leaves the lines while they change; it is put back by position.
  startLine_ = endLine_ = nullptr;
  caretMode_ = selectionMode_ = 0;
  if (dropLine->InsertRunList(text.data(), head, dropByte, textBytes, tabs, breaks) == 0) {
    SpETO_DeleteFreeRunList(head);
    SetupCaretPosition(p, 0);
    return paramErr;
  }
  const SInt32 n = textBytes + tabs + breaks;
  RecordUndoTextIn(p, n);
  cTextLineObject* from =
      dropLine->GetBeforeObjectPtr() != nullptr ? dropLine->GetBeforeObjectPtr() : dropLine;
  dragCaretLine_ = nullptr;
  unsigned char widthChanged = 0;
  TragetLineResetBreakLine(from, oldHeight, widthChanged, 0);
  SInt32 droppedAt = p;
  if (own && !copy) {
    // The moved text leaves its old place; a place before the drop shifts the drop back.
    const SInt32 length = selEnd - selStart;
    const SInt32 a = selStart < p ? selStart : selStart + n;
    if (SetupSelectionPosition(a, 0, a + length, 0, 0, 0) != 0 &&
        DeleteCurrentSelection(0, 0, 1, 0, 1, 0) != 0) {
      if (selStart < p) droppedAt = p - length;
    } else {
      SysBeep(10);
      SpReportFailure(kSource, kMethod, 2, "Position Error");
    }
  }
  ExecModifyTextCB(kETO_TextInserted);
  SetupSelectionPosition(droppedAt, 0, droppedAt + n, 0, 0, 0);
  const bool range = ExistSelectionText() != 0;
  if (!range && hadRange) {
    ExecSelectOutCB();
  } else if (range) {
    if (hadRange) {
      ExecSelectionModifyCB();
    } else {
      ExecSelectInCB();
    }
  }
  cTextLineObject* endLine = nullptr;
  SInt32 endByte = 0;
  if (GetCursorPositFromAbsPosit(droppedAt + n, 0, endLine, endByte) != 0) {
    unsigned char changed = 0;
    ShowTargetPosition(endLine, endByte, changed, 0);
  }
  ReDrawAreaUpdateView(0);
  droppedOnItself_ = own ? 1 : 0;
  if (!own) {
    ExecImportDropCatchCB(p, n, SInt16(std::min<SInt32>(breaks, 0x7FFF)));
  } else if (copy) {
    SetupExecuCopyFlag();
  }
  return noErr;
}

// ---- The data of this field's drag ----

short cEditTextObject::DragSendFlavorData(unsigned long itemRef, unsigned long flavor) {
  if (dragSource_ == nullptr) return paramErr;
  if (flavor != kScrapFlavorTypeText && flavor != kScrapFlavorTypeTextStyle) return paramErr;
  std::string text;
  char* style = nullptr;
  SInt32 styleSize = 0;
  OSErr result = paramErr;
  if (SelectionScrapData(text, style, styleSize)) {
    if (flavor == kScrapFlavorTypeText) {
      result = dragSource_->DragUserReturnData(UInt32(itemRef), UInt32(flavor), text.data(),
                                               SInt32(text.size()), nullptr);
    } else if (style != nullptr && styleSize > 0) {
      result = dragSource_->DragUserReturnData(UInt32(itemRef), UInt32(flavor), style, styleSize,
                                               nullptr);
    }
  }
  if (style != nullptr) DisposePtr(style);
  return result == noErr ? noErr : paramErr;
}

OSErr SpETO_DragAndDropSendDataProc(UInt32 itemRef, UInt32 flavorType, unsigned long refCon) {
  if (refCon == 0) return paramErr;
  return reinterpret_cast<cEditTextObject*>(refCon)->DragSendFlavorData(itemRef, flavorType);
}
