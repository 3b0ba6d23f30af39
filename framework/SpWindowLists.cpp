// The window lists: placement, searches, opening and closing, moving to the front or the back
// (with the toolbox order kept in step and the procedure lists told), the sheet conversion and
// the redraw helpers; and the routing of keys to the front window.
#include <algorithm>
#include <new>
#include <vector>

#include "Controls.h"
#include "Dialogs.h"
#include "OSUtils.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpServiceHooks.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"

cSp_Window* WindowListHead_GlV = nullptr;
cSp_Window* FloatingWindowListHead_GlV = nullptr;
cSp_Window* MessageWindowListHead_GlV = nullptr;

namespace {

const char kSource[] = "SpWindow";

cSp_Window** ListHeadOfType(tWindowType type) {
  switch (type) {
    case kSpFloatingWindowType:
      return &FloatingWindowListHead_GlV;
    case kSpMessageWindowType:
      return &MessageWindowListHead_GlV;
    default:
      return &WindowListHead_GlV;
  }
}

cSp_Window* FirstOpenWindowOf(cSp_Window* head) {
  for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) {
    if (w->IsOpen()) return w;
  }
  return nullptr;
}

SInt32 CountOpenWindowsOf(cSp_Window* head) {
  SInt32 count = 0;
  for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) {
    if (w->IsOpen()) ++count;
  }
  return count;
}

cSp_Window* SearchListFor(cSp_Window* head, WindowRef window) {
  if (window == nullptr) return nullptr;
  for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) {
    if (w->GetWindowRef() == window) return w;
  }
  return nullptr;
}

void Hilite(cSp_Window* window, Boolean on) {
  if (window != nullptr && window->GetWindowRef() != nullptr) {
    HiliteWindow(window->GetWindowRef(), on);
  }
}

}  // namespace

// ---- List helpers ---------------------------------------------------------------------------

cSp_Window** cSp_Window::ListHead() const {
  return ListHeadOfType(windowType_);
}

cSp_Window* cSp_Window::FrontOpenWindowAhead() const {
  for (cSp_Window* w = *ListHead(); w != nullptr && w != this; w = w->NextObject()) {
    if (w->IsOpen()) return w;
  }
  return nullptr;
}

cSp_Window* cSp_Window::FirstOpenWindowBehind() const {
  return FirstOpenWindowOf(underWindow_);
}

void cSp_Window::Unlink() {
  cSp_Window** head = ListHead();
  if (*head == this) *head = underWindow_;
  if (upperWindow_ != nullptr) upperWindow_->SetUnderWindow(underWindow_);
  if (underWindow_ != nullptr) underWindow_->SetUpperWindow(upperWindow_);
  upperWindow_ = underWindow_ = nullptr;
}

void cSp_Window::LinkAsHead() {
  cSp_Window** head = ListHead();
  upperWindow_ = nullptr;
  underWindow_ = *head;
  if (*head != nullptr) (*head)->SetUpperWindow(this);
  *head = this;
}

void cSp_Window::LinkAfter(cSp_Window* target) {
  cSp_Window* next = target->NextObject();
  upperWindow_ = target;
  underWindow_ = next;
  target->SetUnderWindow(this);
  if (next != nullptr) next->SetUpperWindow(this);
}

void cSp_Window::FlushWindowPort() {
  if (window_ != nullptr) QDFlushPortBuffer(GetWindowPort(window_), nullptr);
}

unsigned char cSp_Window::IsTopOnScreen() const {
  return (*ListHead() == this) ? 1 : 0;
}

unsigned char cSp_Window::IsTopOpenWindowOnScreen() const {
  return (openFlag_ != 0 && FirstOpenWindowOf(*ListHead()) == this) ? 1 : 0;
}

// ---- Opening and closing --------------------------------------------------------------------

void cSp_Window::Open(unsigned char front, cSp_Window* behind) {
  if (window_ == nullptr) return;
  // "In front of all" is opening in front; behind itself is no place.
  if (behind == kSpWindowInFrontOfAll) {
    front = 1;
    behind = nullptr;
  }
  if (behind == this) behind = nullptr;
  if (ExecBeforeOpenProc() == 0) return;
  openFlag_ = 1;

  // Only a modal dialog opens in front of a modal dialog. Any other window opens directly
  // behind it, unselected, in the list and on the screen, so that the dialog keeps every
  // click and key.
  if (IsModalDialog() == 0) {
    cSp_Window* modal = FirstOpenWindowOf(*ListHead());
    if (modal == this) modal = FirstOpenWindowOf(underWindow_);
    if (modal != nullptr && modal->IsModalDialog() != 0) {
      if (FrontOpenWindowAhead() == nullptr) {
        MoveToBehindWindowOfTargetWindow(modal);
        if (modal->GetWindowRef() != nullptr) SendBehind(window_, modal->GetWindowRef());
      }
      front = 0;
      behind = nullptr;
    }
  }

  cSp_Window* frontOpen = FrontOpenWindowAhead();
  if (frontOpen == nullptr) {
    // This window becomes the front open window: the one that was loses the hilite.
    cSp_Window* nextOpen = FirstOpenWindowBehind();
    if (nextOpen != nullptr && nextOpen != behind) {
      Hilite(nextOpen, false);
      nextOpen->ExecMoveToBackProc();
    }
  }
  cSp_Window* openAbove = nullptr;
  if (front != 0) {
    // Bringing the window forward already tells the window in front that it goes back.
    bool frontOpenTold = false;
    if (upperWindow_ != nullptr) {
      // Nothing forbids it here: a modal dialog in front of any other window was dealt with
      // above, and a modal dialog comes in front of another one.
      MoveToListHead();
      frontOpenTold = true;
    }
    if (front != 0 && frontOpen != nullptr && !frontOpenTold) {
      frontOpen->ExecMoveToBackProc();
      Hilite(frontOpen, false);
    }
  } else if (behind != nullptr) {
    for (cSp_Window* w = behind; w != nullptr; w = w->BeforeObject()) {
      if (w != this && w->IsOpen()) {
        openAbove = w;
        break;
      }
    }
  }

  if (sheetFlag_ != 0 && sheetParent_ != nullptr) {
    ShowSheetWindow(window_, sheetParent_);
  } else if (frontOpen == nullptr || front != 0) {
    ShowHide(window_, true);
    SelectWindow(window_);
    HiliteWindow(window_, true);
  } else if (behind == nullptr) {
    // Shown behind the window that is in front, which keeps the user's attention.
    ShowHide(window_, true);
  } else if (openAbove != nullptr) {
    MoveToBehindWindowOfTargetWindow(behind);
    if (behind->GetWindowRef() != nullptr) SendBehind(window_, behind->GetWindowRef());
    ShowHide(window_, true);
    HiliteWindow(window_, false);
  } else {
    ShowHide(window_, true);
    SelectWindow(window_);
    HiliteWindow(window_, true);
  }

  RedrawWholeWindow();
  ExecAfterOpenProc();
}

// The whole content waits for a redraw; the dialog's items and the controls are drawn now.
void cSp_Window::RedrawWholeWindow() {
  Rect content = {0, 0, 0, 0};
  GetWindowPortBounds(window_, &content);
  Sp_ViewServices().Sp_AddRedrawAreaInWindow(window_, &content);
  if (dialog_ != nullptr) DrawDialog(dialog_);
  DrawControls(window_);
  FlushWindowPort();
}

void cSp_Window::Close() {
  if (window_ == nullptr || openFlag_ == 0) return;
  cSp_Window* nextOpen = IsTopOpenWindowOnScreen() ? FirstOpenWindowBehind() : nullptr;
  if (ExecBeforeCloseProc() == 0) return;
  if (sheetFlag_ != 0 && sheetParent_ != nullptr) {
    HideSheetWindow(window_);
  } else {
    ShowHide(window_, false);
  }
  openFlag_ = 0;
  if (nextOpen != nullptr) {
    nextOpen->ExecMoveToFrontProc();
    SelectWindow(nextOpen->GetWindowRef());
  }
  MoveTopOpenWindowToTopWindowList();
  ExecAfterCloseProc();
  FlushWindowPort();
}

void cSp_Window::GoAway(Point* where) {
  if (window_ == nullptr) return;
  // A click on the close box closes only when the button is released inside it.
  if (where != nullptr && !TrackGoAway(window_, *where)) return;
  Close();
}

// ---- Moving within the list -----------------------------------------------------------------

unsigned char cSp_Window::MoveToFrontInWindowList() {
  if (*ListHead() == this) {
    if (window_ != nullptr) HiliteWindow(window_, true);
    return 1;
  }
  if (upperWindow_ == nullptr) return 1;  // not linked
  cSp_Window* modal = nullptr;
  if (Sp_HaveModalDialog(this, &modal) != 0) {
    if (modal->GetModalDialogBackgroundMouseDownBeepFlag() != 0) SysBeep(10);
    return 0;
  }
  MoveToListHead();
  return 1;
}

void cSp_Window::MoveToListHead() {
  if (openFlag_ != 0) {
    cSp_Window* frontOpen = FrontOpenWindowAhead();
    if (frontOpen != nullptr) {
      Hilite(frontOpen, false);
      frontOpen->ExecMoveToBackProc();
    }
  }
  Unlink();
  LinkAsHead();
  if (window_ != nullptr) {
    BringToFront(window_);
    if (openFlag_ != 0) HiliteWindow(window_, true);
  }
  ExecMoveToFrontProc();
}

unsigned char cSp_Window::MoveToBottomInWindowList() {
  if (underWindow_ == nullptr) return 1;
  // Only when this window was the front open one does another come to the front.
  cSp_Window* newFront =
      (openFlag_ != 0 && FrontOpenWindowAhead() == nullptr) ? FirstOpenWindowBehind() : nullptr;
  cSp_Window* last = underWindow_;
  while (last->NextObject() != nullptr) last = last->NextObject();
  Unlink();
  LinkAfter(last);
  if (window_ != nullptr) SendBehind(window_, last->GetWindowRef());
  ExecMoveToBackProc();
  if (newFront != nullptr) {
    Hilite(newFront, true);
    newFront->ExecMoveToFrontProc();
  }
  return 1;
}

void cSp_Window::MoveTopOpenWindowToTopWindowList() {
  cSp_Window** head = ListHead();
  cSp_Window* frontOpen = FirstOpenWindowOf(*head);
  if (frontOpen == nullptr || frontOpen == this || frontOpen == *head) return;
  frontOpen->Unlink();
  frontOpen->LinkAsHead();
  if (frontOpen->GetWindowRef() != nullptr) BringToFront(frontOpen->GetWindowRef());
}

void cSp_Window::MoveToBehindWindowOfTargetWindow(cSp_Window* target) {
  static const char kMethod[] = "cSp_Window::MoveToBehindWindowOfTargetWindow";
  if (target == nullptr) {
    SpReportFailure(kSource, kMethod, 2, "Required arugment is null !! ");
    return;
  }
  bool selfFound = false;
  bool targetFound = false;
  for (cSp_Window* w = *ListHead(); w != nullptr; w = w->NextObject()) {
    if (w == this) selfFound = true;
    if (w == target) targetFound = true;
  }
  if (!selfFound || !targetFound || target == this) {
    SpReportFailure(kSource, kMethod, 4, kSpMsgDataError);
    return;
  }
  Unlink();
  LinkAfter(target);
}

// ---- Sheets ---------------------------------------------------------------------------------

void cSp_Window::SetSheetWindowType(WindowRef parent) {
  if (window_ == nullptr) return;
  Rect bounds = {0, 0, 0, 0};
  GetWindowPortBounds(window_, &bounds);
  const short width = SInt16(bounds.right - bounds.left);
  const short height = SInt16(bounds.bottom - bounds.top);
  WindowRef sheet = nullptr;
  DialogRef sheetDialog = nullptr;

  if (windowType_ == kSpDialogWindowType && dialog_ != nullptr) {
    // The sheet is a dialog of its own (a sheet-class window), and the dialog's items are
    // appended to it, so that its item numbers are those of the old dialog.
    static const unsigned char kNoTitle[1] = {0};
    sheetDialog = NewDialog(nullptr, &bounds, kNoTitle, false, kWindowSheetProc,
                            kFirstWindowOfClass, false, 0, nullptr);
    if (sheetDialog == nullptr) return;
    sheet = GetDialogWindow(sheetDialog);
    ChangeWindowAttributes(sheet, kWindowStandardHandlerAttribute, kWindowNoAttributes);
  } else if (CreateNewWindow(kSheetWindowClass, kWindowStandardHandlerAttribute, &bounds, &sheet) !=
             noErr) {
    return;
  }
  SizeWindow(sheet, width, height, true);

  if (sheetDialog != nullptr) {
    sheetItemList_ = GetResource(SpFourCC("DITL"), resourceId_);
    if (sheetItemList_ != nullptr) AppendDITL(sheetDialog, sheetItemList_, overlayDITL);
    SetupDialogDefaultAndCancelItems(sheetDialog);
  }
  // The old window's views and controls go with it: the control items read theirs again
  // from the sheet's dialog.
  Sp_ViewServices().Sp_DisposeTargetWindowView(window_);
  if (dialog_ != nullptr) {
    DisposeDialog(dialog_);
  } else {
    DisposeWindow(window_);
  }
  dialog_ = sheetDialog;
  window_ = sheet;
  rootControl_ = nullptr;
  for (cSp_ControlItem* item = firstControlItem_; item != nullptr; item = item->NextObject()) {
    item->SetupControlInfoFromResource();
  }
  if (Sp_Is_CarbonEvent_ModeEnable()) Sp_SetupWindowEvent(window_);
  sheetParent_ = parent;
  sheetFlag_ = 1;
  openFlag_ = 0;
}

// ---- Window lists ---------------------------------------------------------------------------

SInt32 Sp_CountOpenWindow() {
  return CountOpenWindowsOf(WindowListHead_GlV);
}

SInt32 Sp_CountOpenFloatingWindow() {
  return CountOpenWindowsOf(FloatingWindowListHead_GlV);
}

SInt32 Sp_CountOpenMessageWindow() {
  return CountOpenWindowsOf(MessageWindowListHead_GlV);
}

cSp_Window* Sp_GetFrontOpenWindowObject() {
  return FirstOpenWindowOf(WindowListHead_GlV);
}

cSp_Window* Sp_SerchWindowObject(WindowRef window) {
  return SearchListFor(WindowListHead_GlV, window);
}

cSp_Window* Sp_SerchFloatingWindowObject(WindowRef window) {
  return SearchListFor(FloatingWindowListHead_GlV, window);
}

cSp_Window* Sp_SerchMessageWindowObject(WindowRef window) {
  return SearchListFor(MessageWindowListHead_GlV, window);
}

cSp_Window* Sp_SerchWindowFromMacOSControlRef(ControlRef control) {
  if (control == nullptr) return nullptr;
  cSp_Window* const heads[] = {WindowListHead_GlV, FloatingWindowListHead_GlV,
                               MessageWindowListHead_GlV};
  for (cSp_Window* head : heads) {
    for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) {
      if (w->SerchTargetItemForMacOSControlRef(control) != nullptr) return w;
    }
  }
  return nullptr;
}

unsigned char Sp_HaveModalDialog(cSp_Window* except, cSp_Window** found) {
  cSp_Window* front = Sp_GetFrontOpenWindowObject();
  if (front == nullptr || front->IsModalDialog() == 0 || front == except) return 0;
  if (found != nullptr) *found = front;
  return 1;
}

cSp_Window* Sp_SerchWindowObjectInEveryList(WindowRef window) {
  for (cSp_Window* head : {WindowListHead_GlV, FloatingWindowListHead_GlV,
                           MessageWindowListHead_GlV}) {
    if (cSp_Window* found = SearchListFor(head, window)) return found;
  }
  return nullptr;
}

unsigned char Sp_ModalDialogHoldsClick(WindowRef window) {
  cSp_Window* modal = nullptr;
  if (Sp_HaveModalDialog(nullptr, &modal) == 0 || window == nullptr ||
      window == modal->GetWindowRef()) {
    return 0;
  }
  if (modal->GetModalDialogBackgroundMouseDownBeepFlag() != 0) SysBeep(10);
  return 1;
}

void Sp_FollowToolboxFrontWindow(cSp_Window* window) {
  if (window == nullptr) return;
  cSp_Window* head = *ListHeadOfType(window->GetWindowType());
  // The open window of the list that the screen shows in front of the others.
  cSp_Window* shown = nullptr;
  for (WindowRef w = FrontWindow(); w != nullptr && shown == nullptr; w = GetNextWindow(w)) {
    if (!IsWindowVisible(w)) continue;
    cSp_Window* object = SearchListFor(head, w);
    if (object != nullptr && object->IsOpen()) shown = object;
  }
  if (shown != nullptr && shown->IsTopOpenWindowOnScreen() == 0) shown->MoveToFrontInWindowList();
}

void Sp_CloseFrontWindow() {
  // The front document or dialog: a floating palette in front is no window to close.
  cSp_Window* window = Sp_SerchWindowObject(FrontNonFloatingWindow());
  if (window != nullptr) window->GoAway(nullptr);
}

void Sp_CloseAllMessageWindow() {
  // Closing the front window brings the next open one to the head of the list, so no place
  // in the list can be kept across a close: the walk starts again from the head each time.
  // A window whose before-close procedure refuses stays open and is asked only once.
  std::vector<cSp_Window*> asked;
  for (;;) {
    cSp_Window* window = MessageWindowListHead_GlV;
    while (window != nullptr &&
           (!window->IsOpen() ||
            std::find(asked.begin(), asked.end(), window) != asked.end())) {
      window = window->NextObject();
    }
    if (window == nullptr) return;
    asked.push_back(window);
    window->GoAway(nullptr);
  }
}

void Sp_ModifyOutputWindowLayerMachToWindowDataLayout() {
  cSp_Window* head = WindowListHead_GlV;
  if (head == nullptr) return;
  if (head->GetWindowRef() != nullptr && FrontWindow() != head->GetWindowRef()) {
    BringToFront(head->GetWindowRef());
    if (head->IsOpen()) SelectWindow(head->GetWindowRef());
  }
  for (cSp_Window* w = head; w != nullptr; w = w->NextObject()) {
    cSp_Window* x = w->NextObject();
    if (x == nullptr || w->GetWindowRef() == nullptr || x->GetWindowRef() == nullptr) continue;
    WindowRef next = GetNextWindow(w->GetWindowRef());
    if (next != nullptr && next != x->GetWindowRef()) {
      SendBehind(x->GetWindowRef(), w->GetWindowRef());
    }
  }
}

void Sp_SetupRedrawAreaToOpenWindow(Rect globalArea) {
  RgnHandle area = NewRgn();
  RgnHandle part = NewRgn();
  if (area == nullptr || part == nullptr) {
    if (area != nullptr) DisposeRgn(area);
    if (part != nullptr) DisposeRgn(part);
    return;
  }
  RectRgn(area, &globalArea);
  for (cSp_Window* w = WindowListHead_GlV; w != nullptr && !EmptyRgn(area); w = w->NextObject()) {
    WindowRef window = w->GetWindowRef();
    if (!w->IsOpen() || window == nullptr) continue;
    Rect bounds = {0, 0, 0, 0};
    GetWindowPortBounds(window, &bounds);
    RectRgn(part, &bounds);
    Sp_ViewServices().Sp_GlobalToLocalRgn(window, area);
    SectRgn(area, part, part);
    if (!EmptyRgn(part)) {
      InvalWindowRgn(window, part);
      // What this window shows is not asked of the windows behind it.
      DiffRgn(area, part, area);
    }
    // Back to global coordinates for the next window, whatever this one took.
    Sp_ViewServices().Sp_LocalToGlobalRgn(window, area);
  }
  DisposeRgn(area);
  DisposeRgn(part);
}

void Sp_RedrawOpenWindow() {
  for (cSp_Window* w = WindowListHead_GlV; w != nullptr; w = w->NextObject()) {
    if (w->IsOpen()) Sp_ViewServices().Sp_RedrawViewWindow(w->GetWindowRef(), 0);
  }
}

// ---- Keys to the front window ---------------------------------------------------------------

namespace {

// The window that keys go to: the first open window of the normal list, unless a window the
// framework does not own is the active one (a sheet, an alert or a modal dialog that the
// toolbox runs itself), whose keys are not the framework windows'.
cSp_Window* KeyWindow() {
  WindowRef active = FrontNonFloatingWindow();
  if (active != nullptr && Sp_SerchWindowObjectInEveryList(active) == nullptr) return nullptr;
  return Sp_GetFrontOpenWindowObject();
}

}  // namespace

unsigned char Sp_KeyInWindow(char charCode, char keyCode, short modifiers, unsigned char autoKey) {
  cSp_Window* window = KeyWindow();
  if (window == nullptr) return 0;
  const unsigned char taken = window->KeyIntoWindow(charCode, keyCode, modifiers, autoKey);
  if (taken != 0) return taken;
  return window->ExecKeyInIntoWindowCallback(charCode, keyCode, modifiers, autoKey);
}

unsigned char Sp_RowKeyDownOnWindow(char charCode, char keyCode, short modifiers,
                                    unsigned char autoKey) {
  cSp_Window* window = KeyWindow();
  if (window == nullptr) return 0;
  const unsigned char taken = window->RowKeyDownIntoWindow(charCode, keyCode, modifiers, autoKey);
  if (taken != 0) return taken;
  return window->ExecRowKeyDownIntoWindowCallback(charCode, keyCode, modifiers, autoKey);
}

unsigned char Sp_RowKeyUpOnWindow(char charCode, char keyCode, short modifiers) {
  cSp_Window* window = KeyWindow();
  if (window == nullptr) return 0;
  const unsigned char taken = window->RowKeyUpOnWindow(charCode, keyCode, modifiers);
  if (taken != 0) return taken;
  return window->ExecRowKeyUpOnWindowCallback(charCode, keyCode, modifiers);
}
