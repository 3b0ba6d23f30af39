// The drawing functions for dialog items: moving and sizing an item's control together with
// the item's rectangle in the dialog's item list.
#include "Controls.h"
#include "Dialogs.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"

using sp_drawing_detail::kSource;

namespace {

// The item's control, or null for an item without one.
ControlRef ItemControl(DialogRef dialog, short itemNo) {
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, itemNo, &control) != noErr) return nullptr;
  return control;
}

}  // namespace

void Sp_MoveControlOnDialog(DialogRef dialog, short itemNo, short left, short top) {
  if (dialog == nullptr) {
    SpReportFailure(kSource, "Sp_MoveControlOnDialog", 1, kSpMsgPointerArg);
    return;
  }
  ControlRef control = ItemControl(dialog, itemNo);
  if (control == nullptr) return;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect rect = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, &handle, &rect);
  if (rect.left == left && rect.top == top) return;
  MoveControl(control, left, top);
  const Rect moved = {top, left, SInt16(top + (rect.bottom - rect.top)),
                      SInt16(left + (rect.right - rect.left))};
  SetDialogItem(dialog, itemNo, type, handle, &moved);
}

void Sp_ResizeControlOnDialog(DialogRef dialog, short itemNo, short width, short height) {
  if (dialog == nullptr) {
    SpReportFailure(kSource, "Sp_ResizeControlOnDialog", 1, kSpMsgPointerArg);
    return;
  }
  ControlRef control = ItemControl(dialog, itemNo);
  if (control == nullptr) return;
  SizeControl(control, width, height);
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect rect = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, &handle, &rect);
  const Rect sized = {rect.top, rect.left, SInt16(rect.top + height), SInt16(rect.left + width)};
  SetDialogItem(dialog, itemNo, type, handle, &sized);
}

void Sp_SetDialogItemAreaOnDialogDITL(DialogRef dialog, short itemNo, const Rect& rect) {
  if (dialog == nullptr) {
    SpReportFailure(kSource, "Sp_SetDialogItemAreaOnDialogDITL", 1, kSpMsgPointerArg);
    return;
  }
  if (itemNo < 1 || itemNo > CountDITL(dialog)) return;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect old = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, &handle, &old);
  SetDialogItem(dialog, itemNo, type, handle, &rect);
}
