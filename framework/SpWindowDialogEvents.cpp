// Dialog event procedures: clicks, control hits, keys and updates of the framework's dialogs,
// and the tracking of a dialog's other controls.
//
// A framework dialog's buttons are followed by the framework itself, so that the window's
// control items hear of every stage of a press (down, held, out and in again, up inside or
// outside). Keys standing in for clicks (Return, Enter, Escape, Command-period) press a button
// with a double flash, the look of a click. The control items are found again by number before
// each of their callbacks: a callback may close and delete its window, or change its items.
#include "SpWindow.h"

#include <initializer_list>

#include "Clock.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "MacWindows.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "SpCarbonEventHandlers.h"
#include "SpMainEventLoop.h"
#include "SpPortSaver.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"
#include "SpWindowControlItemObj.h"

namespace {

// Character codes of the keys a dialog connects to its buttons and its fields.
const char kEnterChar = 0x03;
const char kTabChar = 0x09;
const char kReturnChar = 0x0D;
const char kEscapeChar = 0x1B;
const char kPeriodChar = '.';

// One flash of a button pressed from the keyboard lasts this many ticks, on and off.
const UInt32 kFlashTicks = 10;

// The whole text of a field, for select-all and a field reached with Tab.
const SInt16 kWholeTextEnd = 32767;

// The item kind: its type without the disabled flag (a disabled item is still what it is).
DialogItemType ItemKind(DialogItemType type) {
  return DialogItemType(type & ~kItemDisableBit);
}

// A button-like part: the button itself, a check box or radio button, a popup's menu.
bool IsButtonPart(ControlPartCode part) {
  return (part & kControlButtonPart) != 0;
}

// Whether the window object is still in one of the window lists (compared, never touched).
bool IsListedWindow(const cSp_Window* window) {
  if (window == nullptr) return false;
  for (cSp_Window* head :
       {WindowListHead_GlV, FloatingWindowListHead_GlV, MessageWindowListHead_GlV}) {
    for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) {
      if (w == window) return true;
    }
  }
  return false;
}

// The control item of a dialog item number, found again on every use.
class ItemOfWindow {
 public:
  ItemOfWindow(cSp_Window* window, short itemNo) : window_(window), itemNo_(itemNo) {}
  cSp_ControlItem* Get() const {
    if (!IsListedWindow(window_)) return nullptr;
    return window_->GetTargetDialogControlItemObjPtr(itemNo_);
  }

 private:
  cSp_Window* window_;
  short itemNo_;
};

// The control whose press the dialog's click handling has already announced to its item (a
// resource control, which the toolbox then tracks); its hit must not announce it again.
ControlRef announcedPressControl = nullptr;

// A button pressed from the keyboard: pressed, up, pressed, up.
void FlashButton(ControlRef control) {
  HiliteControl(control, kControlButtonPart);
  Delay(kFlashTicks, nullptr);
  HiliteControl(control, kControlNoPart);
  Delay(kFlashTicks, nullptr);
  HiliteControl(control, kControlButtonPart);
  Delay(kFlashTicks, nullptr);
  HiliteControl(control, kControlNoPart);
}

// The press of a button from the keyboard, told to its item as a click would be.
void PressButtonByKey(const ItemOfWindow& item, ControlRef control) {
  if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonDown(0, 0);
  FlashButton(control);
  if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonUp(0);
  if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonOperationCompleatedProc(0);
}

// The control of a button item (type 4 with its control); null for any other item.
ControlRef ButtonItemControl(DialogRef dialog, short itemNo) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  GetDialogItem(dialog, itemNo, &type, &handle, nullptr);
  if (ItemKind(type) != kButtonDialogItem || handle == nullptr) return nullptr;
  return reinterpret_cast<ControlRef>(handle);
}

bool IsEditTextItem(DialogRef dialog, short itemNo) {
  DialogItemType type = 0;
  GetDialogItem(dialog, itemNo, &type, nullptr, nullptr);
  return ItemKind(type) == kEditTextDialogItem;
}

// A hidden item (a panel switched out of view, say) reports its rectangle far to the right.
bool IsShownEditTextItem(DialogRef dialog, short itemNo) {
  const SInt16 kHiddenItemThreshold = 8192;
  DialogItemType type = 0;
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, nullptr, &box);
  return ItemKind(type) == kEditTextDialogItem && box.left < kHiddenItemThreshold;
}

// Follows a press on a button-like part of an item's control until the release: the control
// shows itself pressed while the mouse is over the item. 1 when released over it.
unsigned char FollowButtonPress(DialogRef dialog, ControlRef control, ControlPartCode part,
                                const Rect& box, const ItemOfWindow& item, short& modifiers) {
  HiliteControl(control, kControlButtonPart);
  bool inside = true;
  if (cSp_ControlItem* q = item.Get()) q->ExecuteMouseDownOnControl(modifiers, part);
  if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonDown(modifiers, part);
  while (Sp_StillDown(&modifiers) != 0) {
    // Events handled meanwhile may have moved the port, or taken the dialog away.
    CGrafPtr port = GetDialogPort(dialog);
    if (port == nullptr) return 0;
    SetPort(port);
    Point mouse = {0, 0};
    GetMouse(&mouse);
    const bool over = PtInRect(mouse, &box);
    if (over && !inside) {
      HiliteControl(control, kControlButtonPart);
      inside = true;
      if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonDown(modifiers, part);
    } else if (!over && inside) {
      HiliteControl(control, kControlNoPart);
      inside = false;
      if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonUp(modifiers);
    }
    if (inside) {
      if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonDownIntervalProc(modifiers);
    }
    if (cSp_ControlItem* q = item.Get()) q->ExecuteMousePressIntervalProc(modifiers);
  }
  if (!inside) {
    if (cSp_ControlItem* q = item.Get()) q->ExecuteMouseUpIncompleatedProc(modifiers);
    return 0;
  }
  HiliteControl(control, kControlNoPart);
  if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonUp(modifiers);
  if (cSp_ControlItem* q = item.Get()) q->ExecuteMouseUpCompleatedProc(modifiers);
  if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonOperationCompleatedProc(modifiers);
  return 1;
}

// Return, Enter or Escape without Command: presses the item the window connects to the key,
// when the key (or, with other modifiers held, the key with modifiers) is connected and the
// item is an active button with a control item.
unsigned char PressConnectedButton(DialogRef dialog, cSp_Window* window, char ch,
                                   const sSpModifiersDataStruct& modifiers, bool anyModifier,
                                   short* itemHit) {
  if (window == nullptr) return 0;
  short itemNo = 0;
  unsigned char keyFlag = 0;
  unsigned char withModifiersFlag = 0;
  sSpModifiersDataStruct except = {};
  if (ch == kReturnChar) {
    itemNo = window->GetReturnKeyConnectItemNoValue();
    keyFlag = window->GetReturnKeyConnectToButtonDownFlag();
    withModifiersFlag = window->GetReturnKeyConnectToButtonDownWithModifiersFlag();
    window->GetReturnKeyExceptModifiersValue(except);
  } else if (ch == kEnterChar) {
    itemNo = window->GetEnterKeyConnectItemNoValue();
    keyFlag = window->GetEnterKeyConnectToButtonDownFlag();
    withModifiersFlag = window->GetEnterKeyConnectToButtonDownWithModifiersFlag();
    window->GetEnterKeyExceptModifiersValue(except);
  } else {
    itemNo = window->GetEscKeyConnectItemNoValue();
    keyFlag = window->GetEscKeyConnectToButtonDownFlag();
    withModifiersFlag = window->GetEscKeyConnectToButtonDownWithModifiersFlag();
    window->GetEscKeyExceptModifiersValue(except);
  }
  ControlRef control = ButtonItemControl(dialog, itemNo);
  if (control == nullptr) return 0;
  if (anyModifier) {
    // A modifier the window does not except must be held, and the key must work with them.
    if (withModifiersFlag == 0 ||
        !Sp_CheckEnableModifierKeyOnDisableFlag(&modifiers, &except, nullptr)) {
      return 0;
    }
  } else if (keyFlag == 0) {
    return 0;
  }
  const ItemOfWindow item(window, itemNo);
  if (item.Get() == nullptr || GetControlHilite(control) == kControlInactivePart) return 0;
  PressButtonByKey(item, control);
  *itemHit = itemNo;
  return 1;
}

// Tab: the focus goes to the next shown edit-text item after the focused one, after the last
// back to the first. 1 when it moved.
unsigned char MoveFocusToNextField(DialogRef dialog, short focus, short* itemHit) {
  const DialogItemIndex count = CountDITL(dialog);
  short first = 0;
  short next = 0;
  for (short i = 1; i <= count; ++i) {
    if (!IsShownEditTextItem(dialog, i)) continue;
    if (first == 0) first = i;
    if (i > focus) {
      next = i;
      break;
    }
  }
  const short target = (next != 0) ? next : first;
  if (target == 0 || target == focus) return 0;
  SelectDialogItemText(dialog, target, 0, kWholeTextEnd);
  *itemHit = target;
  return 1;
}

}  // namespace

// ---- Tracking the dialog's other controls ---------------------------------------------------

unsigned char cSp_Window::TrackControlOnDialog(short, Point localPoint, short itemNo, short,
                                               ControlRef control) {
  if (control == nullptr) return 0;
  // A control that shows a pressed part is being tracked already.
  if (IsControlHilited(control)) return 1;
  const SInt32 before = GetControl32BitValue(control);
  TrackControl(control, localPoint, kControlUseOwnActionProc);
  // The control's action procedure may have done anything: find the item afresh.
  const ItemOfWindow item(this, itemNo);
  cSp_ControlItem* q = item.Get();
  if (q != nullptr && IsValidControlHandle(control) && GetControl32BitValue(control) != before) {
    q->ExecuteButtonOperationCompleatedProc(0);
  }
  return 1;
}

// ---- Dialog event procedures ----------------------------------------------------------------

unsigned char Sp_DialogIdleProc(EventRecord* event) {
  if (event == nullptr) return 0;
  cSpPortSaver port;
  if (!IsDialogEvent(event)) return 0;
  DialogRef dialog = nullptr;
  short itemHit = 0;
  short modifiers = 0;
  unsigned char updated = 0;
  const unsigned char taken = Sp_DialogSelect(event, &dialog, &itemHit, &modifiers, updated);
  return (taken != 0 || updated != 0) ? 1 : 0;
}

unsigned char Sp_DialogSelect(EventRecord* event, DialogRef* dialogOut, short* itemHit,
                              short* modifiers, unsigned char& updated) {
  cSpPortSaver port;
  updated = 0;
  if (itemHit != nullptr) *itemHit = 0;
  if (modifiers != nullptr) *modifiers = 0;
  if (event == nullptr) return 0;
  // Keys, the caret and clicks belong to the active window: a floating palette in front of it
  // never takes them, and a click counts only in the active window itself.
  WindowRef front = FrontNonFloatingWindow();
  if (event->what == mouseDown) {
    WindowRef hit = nullptr;
    FindWindow(event->where, &hit);
    if (hit != front) front = nullptr;
  }
  if (front == nullptr) return 0;
  DialogRef dialog = GetDialogFromWindow(front);
  if (dialogOut != nullptr) *dialogOut = dialog;
  if (dialog == nullptr) return 0;

  unsigned char result = 0;
  switch (event->what) {
    case nullEvent: {
      // The caret of the focused field blinks while the application is in front.
      TEHandle te = GetDialogTextEditHandle(dialog);
      if (SpGetFrontApplicationFlag() != 0 && te != nullptr &&
          GetDialogKeyboardFocusItem(dialog) > 0) {
        TEIdle(te);
      }
      break;
    }
    case mouseDown:
      result = Sp_DialogMouseDownProc(dialog, event, itemHit, modifiers);
      break;
    case keyDown:
    case autoKey:
      result = Sp_DialogKeyDownProc(dialog, event, itemHit);
      break;
    case updateEvt: {
      WindowRef window = reinterpret_cast<WindowRef>(event->message);
      if (window == nullptr || !IsValidWindowPtr(window)) break;
      RgnHandle region = NewRgn();
      if (region == nullptr) break;
      GetWindowRegion(window, kWindowUpdateRgn, region);
      if (EmptyRgn(region)) {
        // Nothing waits: the whole content is redrawn. The window's regions are global and
        // its update region is kept in the window's own coordinates.
        GetWindowRegion(window, kWindowContentRgn, region);
        Sp_ViewServices().Sp_GlobalToLocalRgn(window, region);
        InvalWindowRgn(window, region);
      }
      BeginUpdate(window);
      if (cSp_Window* object = Sp_SerchWindowObject(window)) object->Update();
      // Texts, fields, icons and pictures are no controls: only the dialog draws them.
      if (DialogRef updated = GetDialogFromWindow(window)) DrawDialog(updated);
      Sp_ViewServices().Sp_RedrawViewForUpdateEvent(window);
      EndUpdate(window);
      DisposeRgn(region);
      updated = 1;
      break;
    }
    case activateEvt:
      Sp_DialogActivateProc(dialog, event);
      break;
    default:
      break;
  }
  return result;
}

unsigned char Sp_DialogMouseDownProc(DialogRef dialog, EventRecord* event, short* itemHit,
                                     short* modifiers) {
  short hit = 0;
  short mods = 0;
  if (itemHit != nullptr) *itemHit = 0;
  if (modifiers != nullptr) *modifiers = 0;
  // A new press: whatever an earlier one announced is over.
  announcedPressControl = nullptr;
  if (dialog == nullptr || event == nullptr) return 0;
  WindowRef window = GetDialogWindow(dialog);
  CGrafPtr dialogPort = GetDialogPort(dialog);
  if (window == nullptr || dialogPort == nullptr) return 0;

  cSpPortSaver port;
  SetPort(dialogPort);
  Point local = event->where;
  GlobalToLocal(&local);
  // Only a click in this dialog's own content: another window's content at the same local
  // point is no click on its items.
  WindowRef found = nullptr;
  if (FindWindow(event->where, &found) != inContent || found != window) return 0;

  ControlRef control = nullptr;
  const ControlPartCode part = FindControl(local, window, &control);
  const short itemNo = short(FindDialogItem(dialog, local) + 1);
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, itemNo, &type, &handle, &box);
  const DialogItemType kind = ItemKind(type);
  cSp_Window* object = Sp_SerchWindowObject(window);
  const ItemOfWindow item(object, itemNo);
  const bool itemsControl = control != nullptr && reinterpret_cast<ControlRef>(handle) == control;

  unsigned char result = 0;
  if (kind == kResourceControlDialogItem && itemsControl &&
      (IsButtonPart(part) || (part & kControlLabelPart) != 0)) {
    // A resource control tracks itself; its item hears of the press now.
    if (cSp_ControlItem* q = item.Get()) q->ExecuteMouseDownOnControl(mods, part);
    if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonDown(mods, part);
    announcedPressControl = control;
  } else if (itemsControl && IsButtonPart(part)) {
    if (GetControlHilite(control) != kControlInactivePart &&
        FollowButtonPress(dialog, control, part, box, item, mods) != 0) {
      hit = itemNo;
      result = 1;
    }
  } else if (kind == kEditTextDialogItem && GetDialogTextEditHandle(dialog) != nullptr) {
    TEHandle te = GetDialogTextEditHandle(dialog);
    if (TEFeatureFlag(teFUseInlineInput, teBitTest, te) == teBitClear) TEActivate(te);
    if (GetDialogKeyboardFocusItem(dialog) != itemNo) SelectDialogItemText(dialog, itemNo, 1, 1);
    TEClick(local, (event->modifiers & shiftKey) != 0, te);
    hit = itemNo;
    result = 1;
  } else if (object != nullptr && !Sp_Is_CarbonEvent_ModeEnable()) {
    // In the Carbon-event mode the toolbox tracks such a control itself, and its hit comes
    // back through the control handler; tracking it here as well would run it twice.
    object->TrackControlOnDialog(part, local, itemNo, type, control);
  }
  if (itemHit != nullptr) *itemHit = hit;
  if (modifiers != nullptr) *modifiers = mods;
  return result;
}

unsigned char Sp_DialogKeyDownProc(DialogRef dialog, EventRecord* event, short* itemHit) {
  short hit = 0;
  if (itemHit == nullptr) itemHit = &hit;
  *itemHit = 0;
  if (dialog == nullptr || event == nullptr) return 0;
  const char ch = static_cast<char>(event->message & 0xFF);
  sSpModifiersDataStruct modifiers = {};
  Sp_ModifiersValueToModifiersDataInfo(short(event->modifiers), modifiers);
  const bool anyModifier = modifiers.commandFlag || modifiers.shiftFlag || modifiers.capsLockFlag ||
                           modifiers.optionFlag || modifiers.controlFlag;
  cSp_Window* window = Sp_SerchWindowObject(GetDialogWindow(dialog));
  const short focus = GetDialogKeyboardFocusItem(dialog);
  // The text-edit record acts on the focused field: without a focus there is nothing to edit.
  TEHandle te = (focus > 0) ? GetDialogTextEditHandle(dialog) : nullptr;

  if (modifiers.commandFlag) {
    if (te != nullptr && IsEditTextItem(dialog, focus)) {
      switch (ch) {
        case 'x':
        case 'X':
          DialogCut(dialog);
          *itemHit = focus;
          return 1;
        case 'c':
        case 'C':
          DialogCopy(dialog);
          *itemHit = focus;
          return 1;
        case 'v':
        case 'V':
          DialogPaste(dialog);
          *itemHit = focus;
          return 1;
        case 'a':
        case 'A':
          SelectDialogItemText(dialog, focus, 0, kWholeTextEnd);
          *itemHit = focus;
          return 1;
        default:
          break;
      }
    }
    if (ch == kPeriodChar && window != nullptr &&
        window->GetCntPeriodKeyConnectToButtonDownFlag() != 0) {
      const short escapeItemNo = window->GetEscKeyConnectItemNoValue();
      ControlRef control = ButtonItemControl(dialog, escapeItemNo);
      // Like Escape, Command-period never presses a dimmed button.
      if (control == nullptr || GetControlHilite(control) == kControlInactivePart) return 0;
      PressButtonByKey(ItemOfWindow(window, escapeItemNo), control);
      *itemHit = escapeItemNo;
      return 1;
    }
    return 0;
  }

  if (ch == kReturnChar || ch == kEnterChar || ch == kEscapeChar) {
    return PressConnectedButton(dialog, window, ch, modifiers, anyModifier, itemHit);
  }

  if (te == nullptr) return 0;
  if (ch == kTabChar) return MoveFocusToNextField(dialog, focus, itemHit);
  // In the Carbon-event mode the dialog's standard handling types the key.
  if (Sp_Is_CarbonEvent_ModeEnable()) return 0;
  TEKey(ch, te);
  return 1;
}

void Sp_DialogActivateProc(DialogRef, EventRecord*) {}

unsigned char Sp_MouseHitProcForCarbonEventManager(cSp_Window* window, ControlRef control,
                                                   EventRecord* event) {
  if (window == nullptr || event == nullptr) return 0;
  ControlKind controlKind = {0, 0};
  if (GetControlKind(control, &controlKind) != noErr) return 0;
  // Only the press announced by the dialog's click handling is spared a second announcement.
  const bool announced = (control == announcedPressControl);
  announcedPressControl = nullptr;

  WindowRef macWindow = window->GetWindowRef();
  if (macWindow == nullptr) return 0;
  Point local = event->where;
  {
    cSpPortSaver port;
    SetPortWindowPort(macWindow);
    GlobalToLocal(&local);
  }
  const ControlPartCode part = TestControl(control, local);
  DialogRef dialog = window->GetDialogRef();
  if (dialog == nullptr) return 0;
  const short itemNo = short(FindDialogItem(dialog, local) + 1);
  if (itemNo < 1) return 0;
  ControlRef itemControl = nullptr;
  GetDialogItemAsControl(dialog, itemNo, &itemControl);
  DialogItemType type = 0;
  GetDialogItem(dialog, itemNo, &type, nullptr, nullptr);
  if (itemControl == nullptr || GetControlHilite(itemControl) == kControlInactivePart) return 0;
  const ItemOfWindow item(window, itemNo);
  if (item.Get() == nullptr) return 0;

  const short modifiers = short(event->modifiers);
  if (ItemKind(type) == kResourceControlDialogItem && control == itemControl &&
      (IsButtonPart(part) || (part & kControlLabelPart) != 0)) {
    if (!announced) {
      if (cSp_ControlItem* q = item.Get()) q->ExecuteMouseDownOnControl(modifiers, part);
      if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonDown(modifiers, part);
    }
    return 0;
  }
  if (control == itemControl && IsButtonPart(part)) {
    if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonUp(modifiers);
    if (cSp_ControlItem* q = item.Get()) q->ExecuteMouseUpCompleatedProc(modifiers);
    if (cSp_ControlItem* q = item.Get()) q->ExecuteButtonOperationCompleatedProc(modifiers);
    return 1;
  }
  return 0;
}
