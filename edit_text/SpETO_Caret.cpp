// The caret of an edit-text object: placing, moving and adjusting it, blinking it on the
// manager's idle time, drawing and erasing it.
//
// The bar is drawn by inversion straight on the window, so each blink shows or hides it;
// erasing puts the view's image back over its band instead.
#include <algorithm>
#include <new>

#include "Clock.h"
#include "Events.h"
#include "OSUtils.h"
#include "SpETOEditInternal.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"

namespace {
const char kSource[] = "SpETO_Caret";
}  // namespace

// ---- Placing ----

void cEditTextObject::SetupCaretPoint(cTextLineObject* line, SInt32 byte) {
  startLine_ = endLine_ = line;
  startByte_ = endByte_ = byte;
  JudgeSelectionOrCaret();
}

void cEditTextObject::SetupCaretPoint(SInt32 lineReference, SInt32 byte) {
  if (cTextLineObject* line = GetLinePtr(lineReference)) SetupCaretPoint(line, byte);
}

void cEditTextObject::SetupCaretPosition(cTextLineObject* line, SInt32 byte, unsigned char notify) {
  if (line == nullptr) return;
  const unsigned char paused = blinkPaused_;
  const bool hadRange = ExistSelectionText() != 0;
  InitializeSelection();
  startLine_ = endLine_ = line;
  startByte_ = endByte_ = byte;
  caretMode_ = 1;
  selectionMode_ = 0;
  ResetInsertPointAttributeByCaretPositionAttribute();
  blinkPaused_ = paused;
  if (notify != 0 && hadRange) ExecSelectOutCB();
}

void cEditTextObject::SetupCaretPosition(SInt32 abs, unsigned char notify) {
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  unsigned char clamped = 0;
  if (AbsoluteCharByteToLineByte(abs, 0, 0, 1, line, byte, clamped) == 0) return;
  SetupCaretPosition(line, byte, notify);
}

void cEditTextObject::SetupCaretPosition(SInt32 lineReference, SInt32 byte, unsigned char notify) {
  if (cTextLineObject* line = GetLinePtr(lineReference)) SetupCaretPosition(line, byte, notify);
}

void cEditTextObject::SetupCaretOnTopPositionAndAutoScroll() {
  startLine_ = endLine_ = firstLine_;
  startByte_ = endByte_ = 0;
  JudgeSelectionOrCaret();
  ResetInsertPointAttributeByCaretPositionAttribute();
  short h = 0, v = 0;
  SetScrollValue(h, v, 1, 0, 0, 1);
}

void cEditTextObject::SetupDragCaretPosition(cTextLineObject* line, SInt32 byte) {
  if (line == nullptr) return;
  dragCaretLine_ = line;
  dragCaretByte_ = byte;
}

void cEditTextObject::CaretSetupFlagOn() {
  selectionMode_ = 0;
  caretMode_ = 1;
}

void cEditTextObject::CaretSetupFlagOff(unsigned char redraw) {
  if (caretMode_ == 0) return;
  caretMode_ = 0;
  EraseCaret(redraw);
}

// ---- Moving ----

void cEditTextObject::MoveNextCaret(SInt32 count) {
  if (startLine_ == nullptr || count <= 0) return;
  for (SInt32 i = 0; i < count; ++i) {
    SInt32 q = startByte_;
    if (startLine_->GetNextCharPosition(startByte_, q) == 0) {
      startByte_ = q;
    } else if (cTextLineObject* next = startLine_->GetNextObjectPtr()) {
      startLine_ = next;
      startByte_ = 0;
    } else {
      break;
    }
  }
  endLine_ = startLine_;
  endByte_ = startByte_;
  JudgeSelectionOrCaret();
}

void cEditTextObject::MoveBeforeCaret(SInt32 count) {
  if (startLine_ == nullptr || count <= 0) return;
  for (SInt32 i = 0; i < count; ++i) {
    SInt32 q = startByte_;
    if (startLine_->GetBeforeCharPosition(startByte_, q) == 0 && q < startByte_) {
      startByte_ = q;
    } else if (cTextLineObject* before = startLine_->GetBeforeObjectPtr()) {
      startLine_ = before;
      startByte_ = before->GetNumOfTextByte(1, 0);
    } else {
      startByte_ = 0;
      break;
    }
  }
  endLine_ = startLine_;
  endByte_ = startByte_;
  JudgeSelectionOrCaret();
}

unsigned char cEditTextObject::MoveNextCaretByCharByte(SInt32 bytes) {
  if (bytes <= 0) return 1;
  if (startLine_ == nullptr) return 0;
  SInt32 passed = 0;
  bool reached = true;
  while (passed < bytes) {
    SInt32 q = startByte_;
    if (startLine_->GetNextCharPosition(startByte_, q) == 0) {
      passed += q - startByte_;
      startByte_ = q;
    } else if (cTextLineObject* next = startLine_->GetNextObjectPtr()) {
      passed += startLine_->GetContainLineBrakeFlag() != 0 ? 1 : 0;
      startLine_ = next;
      startByte_ = 0;
    } else {
      reached = false;
      break;
    }
  }
  endLine_ = startLine_;
  endByte_ = startByte_;
  JudgeSelectionOrCaret();
  return reached ? 1 : 0;
}

void cEditTextObject::AdjustPosition(cTextLineObject*& line, SInt32& byte) {
  if (line == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::AdjustPosition", 1, "Requaierd Arg is null !! ");
    return;
  }
  while (byte > line->GetNumOfTextByte(1, 1) && line->GetNextObjectPtr() != nullptr) {
    byte -= line->GetNumOfTextByte(1, 1);
    line = line->GetNextObjectPtr();
  }
}

void cEditTextObject::AdjustCaretPosition() {
  if (caretMode_ == 0 || startLine_ == nullptr) return;
  AdjustPosition(startLine_, startByte_);
  endLine_ = startLine_;
  endByte_ = startByte_;
}

// ---- Blinking and drawing ----

void cEditTextObject::IdleProcedure() {
  if (caretMode_ == 0 || blinkPaused_ != 0 || startLine_ == nullptr) return;
  const UInt32 now = TickCount();
  if (now - lastBlink_ < GetCaretTime()) return;
  BrinkCaret(0);
  lastBlink_ = now;
}

bool cEditTextObject::CaretBuffer(cTextLineObject* line) {
  // The buffer follows the caret line's length, so blinking does not allocate on every tick.
  const SInt32 needed = line->GetNumOfTextByte(1, 1) + 4;
  if (caretText_ != nullptr && caretTextSize_ == needed) return true;
  delete[] caretText_;
  caretText_ = new (std::nothrow) char[std::size_t(needed)]();
  caretTextSize_ = caretText_ != nullptr ? needed : 0;
  return caretText_ != nullptr;
}

void cEditTextObject::BrinkCaret(unsigned char wide) {
  if (editable_ == 0 || startLine_ == nullptr) return;
  if (!CaretBuffer(startLine_)) {
    SpReportFailure(kSource, "cEditTextObject::BrinkCaret", 1, kSpMsgMemory);
    return;
  }
  SInt16 x = 0;
  if (startLine_->CharBytePositToPixPosit(caretText_, caretTextSize_, startByte_, x) == 0) return;
  SInt32 top = 0, bottom = 0;
  startLine_->GetLinePosition(top, bottom);
  Point from, to;
  EditorOffscreenPositToOnWindowPosit(Point{sp_eto_edit::Clamp16(top + 1), x}, from);
  EditorOffscreenPositToOnWindowPosit(Point{sp_eto_edit::Clamp16(bottom - 1), x}, to);
  Rect visible;
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr || GetViewableDrawingAreaOnWindow(visible) == 0) return;
  const SInt16 width = wide != 0 ? 3 : 1;
  {
    cSpPortSaver port(window);
    Sp_DrawCaret(&visible, from, to, width);
  }
  caretDrawnWidth_ = std::max(caretDrawnWidth_, width);
  caretVisible_ = caretVisible_ != 0 ? 0 : 1;
}

void cEditTextObject::EraseCaret(unsigned char redraw) {
  if (startLine_ == nullptr) return;
  SInt16 x = 0;
  if (!CaretBuffer(startLine_) ||
      startLine_->CharBytePositToPixPosit(caretText_, caretTextSize_, startByte_, x) == 0) {
    SpReportFailure(kSource, "cEditTextObject::EraseCaret", 1, "Position Error !! ");
    return;
  }
  // The band reaches three pixels left of the bar and past its right edge: a wide bar runs
  // from x to x + 2.
  const SInt32 right = SInt32(x) + caretDrawnWidth_;
  if (x >= 2) {
    --x;
  } else if (x == 0) {
    x = 1;
  }
  SInt32 top = 0, bottom = 0;
  startLine_->GetLinePosition(top, bottom);
  Rect band;
  EditorOffscreenAreaToOnWindowArea(
      sp_eto_edit::RectOf(top, SInt32(x) - 2, bottom, std::max(SInt32(x) + 2, right)), band);
  SetupModifyDrawingRectAndFlag(&band, 1);
  caretVisible_ = 0;
  caretDrawnWidth_ = 1;
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::PauseBrinkCaret(unsigned char redraw) {
  if (caretMode_ != 0 && caretVisible_ != 0) {
    EraseCaret(redraw);
    caretVisible_ = 0;
  }
  blinkPaused_ = 1;
}
