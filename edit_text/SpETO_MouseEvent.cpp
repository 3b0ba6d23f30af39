// The mouse in an edit-text object: the press decides what the held mouse does to the
// selection, tracking moves a point of it or starts a drag of the selected text, the release
// ends the press and tells the client what changed; clicks and double clicks only reach the
// client. Also the hook-up of the field's hover area and hot spot inside containers.
//
// One press is tracked at a time, so its state is kept here for every field.
#include <new>

#include "Clock.h"
#include "Events.h"
#include "Scrap.h"
#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpETOTextStyle.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpMouseTraceObject.h"

namespace {

const char kSource[] = "SpETO_MouseEvent";

// What the held mouse does, chosen at the press.
enum : unsigned char {
  kModeNothing = 1,      // selection is not allowed
  kModeDragging = 2,     // a drag of the selected text runs; no release arrives
  kModeDragOrCaret = 3,  // pressed inside the range: a move drags it, a release places the caret
  kModeEndAtRelease = 4, // shift-pressed inside the range: the end point goes to the release
  kModeEndFollows = 5,   // the end point follows the mouse
  kModeStartFollows = 6, // the start point (the anchor) follows the mouse
};

// The press being tracked.
struct sMouseDownState {
  unsigned char selectStart = 0;  // the press is tracked for the selection
  unsigned char mode = 0;
  Point startPoint{0, 0};
  unsigned char selectExist = 0;  // a range existed at the press
  cTextLineObject* startLine = nullptr;
  SInt32 startPosit = 0;
  cTextLineObject* endLine = nullptr;
  SInt32 endPosit = 0;
};

sMouseDownState& Press() {
  static sMouseDownState state;
  return state;
}

bool Inside(tETO_SelectPositType c) {
  return c == 2 || c == 5;
}

}  // namespace

bool cEditTextObject::TextPositionAt(Point localPoint, cTextLineObject*& line, SInt32& byte) {
  SInt32 lineNumber = 0;
  unsigned char charFlag = 0, outsideArea = 0, outsideText = 0;
  tETO_AreaOutType areaOut = 0, lineOut = 0, charOut = 0;
  if (PixPositToCharBytePosit(localPoint, 1, 1, 1, lineNumber, byte, charFlag, outsideArea,
                              outsideText, areaOut, lineOut, charOut) == 0) {
    return false;
  }
  line = GetLinePtr(lineNumber);
  return line != nullptr;
}

unsigned char cEditTextObject::HotSpotMouseDonwProc(short modifiers, Point localPoint) {
  sMouseDownState& press = Press();
  Sp_DisableMouseTrace();
  press.startPoint = localPoint;
  arrowPosition_ = -1;
  dragSource_ = nullptr;
  press.selectExist = ExistSelectionText() != 0 ? 1 : 0;
  press.startLine = startLine_;
  press.startPosit = startByte_;
  press.endLine = endLine_;
  press.endPosit = endByte_;
  const bool shift = (modifiers & shiftKey) != 0;
  ExecMouseDownTextCB();
  EditTextMouseDownCallProc();
  unsigned char result = 0;
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (TextPositionAt(localPoint, line, byte)) {
    result = 1;
    SpETO_PauseEventProc();
    bool goOn = true;
    if (IsActiveEditText() == 0) {
      ActivateEditText(1, 1);
      if (directActive_ == 0) {
        // The first press only gives the field the keyboard.
        press.selectStart = 0;
        goOn = false;
      }
    }
    if (goOn) {
      const bool range = ExistSelectionText() != 0;
      tETO_SelectPositType where = 0;
      if (range) IsInSelectionArea(line->GetReferenceNo(), byte, where);
      const bool caret = caretMode_ != 0 && startLine_ != nullptr;
      unsigned char mode = kModeNothing;
      if (editable_ != 0 && range && !shift && Inside(where)) {
        mode = kModeDragOrCaret;
      } else if (range && shift && Inside(where)) {
        if (selection_ != 0) mode = editable_ != 0 ? kModeEndAtRelease : kModeEndFollows;
      } else if (range && shift) {
        if (selection_ != 0) {
          if (where == 3 || where == 4) {
            mode = kModeEndFollows;
            SetupSelectionEndPoint(line, byte, 1, 0);
          } else {
            mode = kModeStartFollows;
            SetupSelectionStartPoint(line, byte, 1, 0);
          }
        }
      } else if (caret && shift && selection_ != 0) {
        mode = kModeEndFollows;
        SetupSelectionEndPoint(line, byte, 1, 0);
      } else if (selection_ != 0) {
        mode = kModeEndFollows;
        SelectionSetupFlagOff(1, 0);
        SetupSelection(line, byte, line, byte, 0, 0);
        ResetInsertPointAttributeByCaretPositionAttribute();
      }
      press.mode = mode;
      press.selectStart = 1;
    }
  }
  if (tabControlOn_ != 0 && tabControl_ != nullptr) tabControl_->ReportTabControlIn();
  // A press not taken gets no release to switch mouse tracing on again.
  if (result == 0) Sp_EnableMouseTrace(1);
  return result;
}

unsigned char cEditTextObject::HotSpotMouseAreaOutProc(short, Point) {
  return 0;
}

unsigned char cEditTextObject::HotSpotMouseAreaInProc(short, Point) {
  return 0;
}

unsigned char cEditTextObject::HotSpotMouseMoveProc(short, Point) {
  return 0;
}

unsigned char cEditTextObject::HotSpotMouseDownTraceProc(short modifiers, Point localPoint) {
  sMouseDownState& press = Press();
  if (press.selectStart == 0) return 1;
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (!TextPositionAt(localPoint, line, byte)) return 1;
  if (press.mode == kModeStartFollows) {
    if (startLine_ != line || startByte_ != byte) SetupSelectionStartPoint(line, byte, 1, 0);
    JudgeSelectionOrCaret();
  } else if (press.mode == kModeEndFollows) {
    if (endLine_ != line || endByte_ != byte) SetupSelectionEndPoint(line, byte, 1, 0);
    JudgeSelectionOrCaret();
  } else if (press.mode == kModeDragOrCaret && (localPoint.h != press.startPoint.h ||
                                                localPoint.v != press.startPoint.v)) {
    press.mode = kModeDragging;
    StartSelectionDrag(modifiers, localPoint);
  }
  return 1;
}

void cEditTextObject::StartSelectionDrag(short modifiers, Point localPoint) {
  static const char kMethod[] = "cEditTextObject::HotSpotMouseDownTraceProc";
  cSendDragDataObj* source = new (std::nothrow)
      cSendDragDataObj(SpETO_DragAndDropSendDataProc, reinterpret_cast<unsigned long>(this));
  if (source == nullptr) {
    SpReportFailure(kSource, kMethod, 1, "Cannot allocated memory !! ");
    return;
  }
  SInt32 start = 0;
  if (startLine_ == nullptr ||
      LineByteToAbsoluteCharBytePosition(startLine_, startByte_, 1, start) == 0) {
    delete source;
    return;
  }
  sp_eto_edit::cRegion outline;
  unsigned char caretOnly = 0;
  if (!outline || GetSelectionOffscreenArea(startLine_, startByte_, endLine_, endByte_, nullptr,
                                            outline, caretOnly) == 0) {
    delete source;
    SpReportFailure(kSource, kMethod, 2, "Cannot allocated memory !! ");
    return;
  }
  dragSource_ = source;
  // The text and its styles are promised: they are made only when a target asks.
  source->SetupDragItemFlavor(1, kScrapFlavorTypeText, nullptr, 0, 0, nullptr);
  source->SetupDragItemFlavor(1, kScrapFlavorTypeTextStyle, nullptr, 0, 0, nullptr);
  EditorOffscreenAreaToOnWindowArea(outline);
  WindowAreaToOnScreen(outline);
  EventRecord event{};
  event.what = mouseDown;
  event.message = 0;
  event.when = TickCount();
  Point global = localPoint;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(GetHotSpotWindowPtr());
  LocalToGlobal(&global);
  SetPort(saved);
  event.where = global;
  event.modifiers = EventModifiers(modifiers);
  dragSourceFlag_ = 1;
  droppedOnItself_ = 0;
  const OSErr dragged = source->GoDrag(&event, outline);
  DragActions action = kDragActionNothing;
  if (dragged == noErr && droppedOnItself_ == 0 &&
      GetDragDropAction(source->GetDragRefNum(), &action) == noErr && action == kDragActionMove) {
    // Another program took the text as a move: it leaves this field, as a move inside it
    // would, in one step that undo puts back.
    OpenUndoStep(kETOOperationDragMove);
    if (DeleteCurrentSelection(1, 1, 1, 0, 1, 1) == 0) {
      SpReportFailure(kSource, kMethod, 3, "Position Error");
    }
  }
  delete source;
  dragSourceFlag_ = 0;
  dragSource_ = nullptr;
  // The drag took the release, so what the release would do for the press is done here: the
  // caret blinks again and the mouse is traced again.
  Sp_HotspotMouseTraceCancel();
  SpETO_PauseOutEventProc();
  Sp_EnableMouseTrace(1);
}

unsigned char cEditTextObject::HotSpotMouseUpProc(short, Point localPoint) {
  sMouseDownState& press = Press();
  Rect area;
  const unsigned char result =
      GetViewableDrawingAreaOnWindow(area) != 0 && PtInRect(localPoint, &area) ? 1 : 0;
  cTextLineObject* line = nullptr;
  SInt32 byte = 0;
  if (press.selectStart != 0 && TextPositionAt(localPoint, line, byte)) {
    switch (press.mode) {
      case kModeStartFollows:
        SetupSelectionStartPoint(line, byte, 1, 0);
        break;
      case kModeEndAtRelease:
      case kModeEndFollows:
        SetupSelectionEndPoint(line, byte, 1, 0);
        break;
      case kModeDragOrCaret:
        SelectionSetupFlagOff(1, 0);
        SetupCaretPoint(line, byte);
        ResetInsertPointAttributeByCaretPositionAttribute();
        break;
      default:
        break;
    }
    JudgeSelectionOrCaret();
  }
  PauseBrinkCaret(0);
  ExecMouseUpTextCB();
  EditTextMouseUpCallProc();
  PauseOutBrinkCaret();
  if (ExistSelectionText() == 0) {
    if (press.selectExist != 0) ExecSelectOutCB();
    if (caretMode_ != 0 && startLine_ != nullptr &&
        ((startLine_ != press.startLine || startByte_ != press.startPosit) ||
         (startLine_ != press.endLine || startByte_ != press.endPosit))) {
      ExecCaretModifyCB();
    }
  } else if (press.selectExist == 0) {
    ExecSelectInCB();
  } else if (startLine_ != press.startLine || startByte_ != press.startPosit ||
             endLine_ != press.endLine || endByte_ != press.endPosit) {
    ExecSelectionModifyCB();
  }
  SpETO_PauseOutEventProc();
  Sp_EnableMouseTrace(1);
  return result;
}

void cEditTextObject::HotSpotClickProc(short, Point) {
  if (IsActiveEditText() == 0 && (editable_ != 0 || selection_ != 0)) ActivateEditText(1, 0);
  PauseBrinkCaret(0);
  ExecClickTextCB();
  EditTextClickCallProc();
  PauseOutBrinkCaret();
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  ReDrawAreaUpdateView(0);
}

unsigned char cEditTextObject::HotSpotDblClickProc(short, Point) {
  // A double click selects nothing of itself: the client decides.
  PauseBrinkCaret(0);
  ExecDblClickTextCB();
  EditTextDblClickCallProc();
  PauseOutBrinkCaret();
  return 1;
}

// ---- Containers ----

void cEditTextObject::SetupEditMouseTraceOnContainer(cMouseTraceObject* container) {
  if (container == nullptr || mouseTrace_ == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::SetupEditMouseTraceOnContainer", 1,
                    kSpMsgNullArgument);
    return;
  }
  container->SetupMTraceContainerItemOnHightLayer(mouseTrace_);
}

void cEditTextObject::SetupEditHotSpotOnContainer(cSp_HotSpotArea* container) {
  if (container == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::SetupEditHotSpotOnContainer", 1,
                    kSpMsgNullArgument);
    return;
  }
  // Refused (with a beep) when it is already one of the container's items or the container
  // has no view window.
  container->SetupHotSpotContainerItemOnHightLayer(GetThisHotSpotObjPtr());
}
