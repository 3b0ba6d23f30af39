#include "SpWindow.h"

#include <cstdlib>
#include <cstring>

#include "Events.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpMainEventLoop.h"
#include "SpViewWindow.h"

cSp_Window* WindowListHead_GlV = nullptr;
cSp_Window* FloatingWindowListHead_GlV = nullptr;
cSp_Window* MessageWindowListHead_GlV = nullptr;
SInt32 CreatedWindowCount = 0;
cSp_Window* mouseDownWindowObj_GlV = nullptr;

namespace {

const char kSource[] = "SpWindow";

// "Untitled" in MacJapanese.
const char kDefaultTitle[] = "\x96\xBC\x8F\xCC\x96\xA2\x90\xDD\x92\xE8";

// A plain window made without size.
const short kPlainWindowWidth = 300;
const short kPlainWindowHeight = 200;

// Live dragging moves the window only once the mouse is more than this far from the last
// point, so that a mouse held still does not keep moving it.
const short kDragSlop = 1;

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

// The main screen less the menu bar, in global coordinates.
Rect ScreenBelowMenuBar() {
  BitMap screen;
  GetQDGlobalsScreenBits(&screen);
  Rect r = screen.bounds;
  r.top = SInt16(r.top + GetMBarHeight());
  return r;
}

Point CentredPosition(short width, short height) {
  const Rect screen = ScreenBelowMenuBar();
  Point position;
  // Integer division truncates toward zero, also for a window larger than the screen.
  position.h = SInt16((screen.left + screen.right - width) / 2);
  position.v = SInt16((screen.top + screen.bottom - height) / 2);
  return position;
}

Point MakePoint(short v, short h) {
  Point p;
  p.v = v;
  p.h = h;
  return p;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_Window::cSp_Window(Point position, Point size, unsigned char openNow, short windowKind,
                       tWindowType type, cSp_Window* behind) {
  StartUpInitialize();
  windowType_ = type;
  windowKind_ = windowKind;
  SetupNewWindow(position, size, openNow, 0, behind);
}

cSp_Window::cSp_Window(short width, short height, unsigned char openNow, short windowKind,
                       tWindowType type, cSp_Window* behind) {
  StartUpInitialize();
  windowType_ = type;
  windowKind_ = windowKind;
  SetupNewWindow(CentredPosition(width, height), MakePoint(height, width), openNow, 0, behind);
}

cSp_Window::cSp_Window(cSp_Window* behind) {
  StartUpInitialize();
  SetupNewWindow(CentredPosition(kPlainWindowWidth, kPlainWindowHeight),
                 MakePoint(kPlainWindowHeight, kPlainWindowWidth), 0, 0, behind);
}

void cSp_Window::StartUpInitialize() {
  // The members' initialisers hold the start values; a second call puts them back.
  windowType_ = kSpNormalWindowType;
  top_ = left_ = height_ = width_ = 0;
  openFlag_ = dialogFlag_ = 0;
  upperWindow_ = underWindow_ = nullptr;
  resourceId_ = windowKind_ = 0;
  std::memset(title_, 0, sizeof title_);
  minSizeLimitFlag_ = maxSizeLimitFlag_ = zoomOutSizeFlag_ = currentZoomOutFlag_ = 0;
  moveToFrontBeforeGrowFlag_ = moveToFrontBeforeDragFlag_ = moveToFrontWithContentClickFlag_ = 1;
  drawGrowIconFlag_ = eraseScrollBarLineFlag_ = 1;
  modalDialogFlag_ = modalDialogBackgroundBeepFlag_ = 0;
  closeBoxFlag_ = liveResizeFlag_ = 1;
  noShadowFlag_ = 0;
  returnKeyFlag_ = returnKeyWithModifiersFlag_ = enterKeyFlag_ = enterKeyWithModifiersFlag_ = 1;
  escKeyFlag_ = escKeyWithModifiersFlag_ = cmdPeriodKeyFlag_ = 1;
  returnKeyItemNo_ = enterKeyItemNo_ = 1;
  escKeyItemNo_ = 2;
  returnKeyExceptModifiers_ = enterKeyExceptModifiers_ = escKeyExceptModifiers_ = {};
  keyInCallback_ = {};
  rowKeyDownCallback_ = {};
  rowKeyUpCallback_ = {};
  window_ = nullptr;
}

void cSp_Window::MakeDefaultTitle() {
  std::strcpy(title_, kDefaultTitle);
  ++CreatedWindowCount;
  // Every window after the first gets its number, so that windows made alike can be told
  // apart.
  if (CreatedWindowCount > 1) {
    char number[kSpNumberTextSize];
    Sp_NumberToString(CreatedWindowCount, number);
    std::strcat(title_, " ");
    std::strcat(title_, number);
  }
}

void cSp_Window::SetupNewWindow(Point position, Point size, unsigned char openNow, short resourceId,
                                cSp_Window* behind) {
  MakeDefaultTitle();

  // Into the list, finding the toolbox window that the new one goes behind.
  cSp_Window** head = ListHead();
  WindowRef behindWindow = kFirstWindowOfClass;
  if (behind == kSpWindowInFrontOfAll || *head == nullptr) {
    LinkAsHead();
  } else {
    cSp_Window* after = nullptr;
    if (behind != nullptr) {
      for (cSp_Window* w = *head; w != nullptr; w = w->NextObject()) {
        if (w == behind) {
          after = w;
          break;
        }
      }
    }
    if (after == nullptr) {
      after = *head;
      while (after->NextObject() != nullptr) after = after->NextObject();
    }
    cSp_Window* next = after->NextObject();
    upperWindow_ = after;
    underWindow_ = next;
    after->SetUnderWindow(this);
    if (next != nullptr) next->SetUpperWindow(this);
    behindWindow = after->GetWindowRef();
    if (behindWindow == nullptr) behindWindow = kLastWindowOfClass;
  }

  resourceId_ = resourceId;
  top_ = position.v;
  left_ = position.h;
  height_ = size.v;
  width_ = size.h;
  Rect bounds;
  SetRect(&bounds, left_, top_, SInt16(left_ + width_), SInt16(top_ + height_));
  Str255 title;
  std::memcpy(title + 1, title_, std::strlen(title_));
  title[0] = static_cast<unsigned char>(std::strlen(title_));
  window_ =
      NewCWindow(nullptr, &bounds, title, false, windowKind_, behindWindow, closeBoxFlag_ != 0, 0);

  if (Sp_Is_CarbonEvent_ModeEnable()) Sp_SetupWindowEvent(window_);

  if (window_ == nullptr) return;
  if (openNow != 0) {
    if (!IsWindowVisible(window_)) Open(0, nullptr);
  } else if (IsWindowVisible(window_)) {
    ShowHide(window_, false);
    openFlag_ = 0;
  }
}

cSp_Window::~cSp_Window() {
  if (openFlag_ != 0) Close();
  if (mouseDownWindowObj_GlV == this) mouseDownWindowObj_GlV = nullptr;
  if (window_ != nullptr) {
    Sp_DisposeTargetWindowView(window_);
    DisposeWindow(window_);
    window_ = nullptr;
  }
  cSp_Window** head = ListHead();
  if (upperWindow_ != nullptr) {
    upperWindow_->SetUnderWindow(underWindow_);
  } else if (*head == this) {
    *head = underWindow_;
  } else {
    SpReportFailure(kSource, "cSp_Window::~cSp_Window", 1, kSpMsgLinkError);
  }
  if (underWindow_ != nullptr) underWindow_->SetUpperWindow(upperWindow_);
  upperWindow_ = underWindow_ = nullptr;
}

void cSp_Window::SetTitle(const char* title) {
  if (window_ == nullptr || title == nullptr) return;
  // Cut to what a title holds, on a character boundary.
  char buffer[1024];
  std::strncpy(buffer, title, sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  CtoPstr(buffer);
  SetWTitle(window_, reinterpret_cast<ConstStr255Param>(buffer));
}

// ---- Virtual operations: the base window takes nothing --------------------------------------

unsigned char cSp_Window::KeyIntoWindow(char, char, short, unsigned char) {
  return 0;
}
unsigned char cSp_Window::RowKeyDownIntoWindow(char, char, short, unsigned char) {
  return 0;
}
unsigned char cSp_Window::RowKeyUpOnWindow(char, char, short) {
  return 0;
}
unsigned char cSp_Window::ExecuteUndo(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteRedo(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteCut(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteCopy(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecutePast(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteDelete(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteDuplicate(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteSelectAll(sSpModifiersDataStruct&) {
  return 0;
}
unsigned char cSp_Window::ExecuteOtherMenuItem(short, short, sSpModifiersDataStruct&) {
  return 0;
}

// ---- Key callbacks --------------------------------------------------------------------------

void cSp_Window::SetupKeyInIntoWindowCallback(tSpWindowKeyInCallback proc, unsigned long userData) {
  keyInCallback_.proc = proc;
  keyInCallback_.userData = (proc != nullptr) ? userData : 0;
}

void cSp_Window::SetupRowKeyDownIntoWindowCallback(tSpWindowKeyInCallback proc,
                                                   unsigned long userData) {
  rowKeyDownCallback_.proc = proc;
  rowKeyDownCallback_.userData = (proc != nullptr) ? userData : 0;
}

void cSp_Window::SetupRowKeyUpOnWindowCallbackPtr(tSpWindowRowKeyUpCallback proc,
                                                  unsigned long userData) {
  rowKeyUpCallback_.proc = proc;
  rowKeyUpCallback_.userData = (proc != nullptr) ? userData : 0;
}

unsigned char cSp_Window::ExecKeyInIntoWindowCallback(char charCode, char keyCode, short modifiers,
                                                      unsigned char autoKey) {
  if (keyInCallback_.proc == nullptr) return 0;
  return keyInCallback_.proc(charCode, keyCode, autoKey, modifiers, keyInCallback_.userData);
}

unsigned char cSp_Window::ExecRowKeyDownIntoWindowCallback(char charCode, char keyCode,
                                                           short modifiers, unsigned char autoKey) {
  if (rowKeyDownCallback_.proc == nullptr) return 0;
  return rowKeyDownCallback_.proc(charCode, keyCode, autoKey, modifiers,
                                  rowKeyDownCallback_.userData);
}

unsigned char cSp_Window::ExecRowKeyUpOnWindowCallback(char charCode, char keyCode,
                                                       short modifiers) {
  if (rowKeyUpCallback_.proc == nullptr) return 0;
  return rowKeyUpCallback_.proc(charCode, keyCode, modifiers, rowKeyUpCallback_.userData);
}

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
  for (cSp_Window* w = underWindow_; w != nullptr; w = w->NextObject()) {
    if (w->IsOpen()) return w;
  }
  return nullptr;
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

// No procedure can be registered on a window's lists yet: with none registered every
// operation goes ahead and nobody is told.
unsigned char cSp_Window::ExecuteBeforeProcedures(tSpWindowProcList) {
  return 1;
}

void cSp_Window::ExecuteAfterProcedures(tSpWindowProcList) {}

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
  if (ExecuteBeforeProcedures(kSpWinBeforeOpenList) == 0) return;
  openFlag_ = 1;

  cSp_Window* frontOpen = FrontOpenWindowAhead();
  if (frontOpen == nullptr) {
    cSp_Window* nextOpen = FirstOpenWindowBehind();
    if (nextOpen != nullptr && nextOpen != behind) {
      nextOpen->ExecuteAfterProcedures(kSpWinMoveToBackList);
    }
  }
  cSp_Window* openAbove = nullptr;
  if (front != 0) {
    if (upperWindow_ != nullptr) MoveToFrontInWindowList();
    if (frontOpen != nullptr) frontOpen->ExecuteAfterProcedures(kSpWinMoveToBackList);
  } else if (behind != nullptr) {
    for (cSp_Window* w = behind; w != nullptr; w = w->BeforeObject()) {
      if (w != this && w->IsOpen()) {
        openAbove = w;
        break;
      }
    }
  }

  if (frontOpen == nullptr || front != 0) {
    ShowHide(window_, true);
    SelectWindow(window_);
  } else if (behind == nullptr) {
    // Shown behind the window that is in front, which keeps the user's attention.
    ShowHide(window_, true);
  } else if (openAbove != nullptr) {
    MoveToBehindWindowOfTargetWindow(behind);
    SendBehind(window_, behind->GetWindowRef());
    ShowHide(window_, true);
  } else {
    ShowHide(window_, true);
    SelectWindow(window_);
  }

  FlushWindowPort();
  ExecuteAfterProcedures(kSpWinAfterOpenList);
}

void cSp_Window::Close() {
  if (window_ == nullptr || openFlag_ == 0) return;
  cSp_Window* nextOpen = IsTopOpenWindowOnScreen() ? FirstOpenWindowBehind() : nullptr;
  if (ExecuteBeforeProcedures(kSpWinBeforeCloseList) == 0) return;
  ShowHide(window_, false);
  openFlag_ = 0;
  if (nextOpen != nullptr) {
    nextOpen->ExecuteAfterProcedures(kSpWinMoveToFrontList);
    SelectWindow(nextOpen->GetWindowRef());
  }
  MoveTopOpenWindowToTopWindowList();
  ExecuteAfterProcedures(kSpWinAfterCloseList);
  FlushWindowPort();
}

void cSp_Window::GoAway(Point* where) {
  if (window_ == nullptr) return;
  // A click on the close box closes only when the button is released inside it. This window
  // manager reports no close-box part, so such a click never reaches here; the close request
  // of the window's standard handling comes without a point.
  if (where != nullptr) return;
  Close();
}

unsigned char cSp_Window::MoveToFrontInWindowList() {
  if (*ListHead() == this) return 1;
  if (upperWindow_ == nullptr) return 1;
  cSp_Window* modal = nullptr;
  if (Sp_HaveModalDialog(this, &modal) != 0) {
    if (modal->GetModalDialogBackgroundMouseDownBeepFlag() != 0) SysBeep(10);
    return 0;
  }
  if (openFlag_ != 0) {
    cSp_Window* frontOpen = FrontOpenWindowAhead();
    if (frontOpen != nullptr) frontOpen->ExecuteAfterProcedures(kSpWinMoveToBackList);
  }
  Unlink();
  LinkAsHead();
  BringToFront(window_);
  ExecuteAfterProcedures(kSpWinMoveToFrontList);
  return 1;
}

unsigned char cSp_Window::MoveToBottomInWindowList() {
  if (underWindow_ == nullptr) return 1;
  cSp_Window* newFront = (FrontOpenWindowAhead() == nullptr) ? FirstOpenWindowBehind() : nullptr;
  cSp_Window* last = underWindow_;
  while (last->NextObject() != nullptr) last = last->NextObject();
  Unlink();
  last->SetUnderWindow(this);
  upperWindow_ = last;
  SendBehind(window_, last->GetWindowRef());
  ExecuteAfterProcedures(kSpWinMoveToBackList);
  if (newFront != nullptr) newFront->ExecuteAfterProcedures(kSpWinMoveToFrontList);
  return 1;
}

void cSp_Window::MoveTopOpenWindowToTopWindowList() {
  cSp_Window** head = ListHead();
  cSp_Window* frontOpen = FirstOpenWindowOf(*head);
  if (frontOpen == nullptr || frontOpen == this || frontOpen == *head) return;
  frontOpen->Unlink();
  frontOpen->LinkAsHead();
  BringToFront(frontOpen->GetWindowRef());
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
  cSp_Window* next = target->NextObject();
  upperWindow_ = target;
  underWindow_ = next;
  target->SetUnderWindow(this);
  if (next != nullptr) next->SetUpperWindow(this);
}

// ---- Geometry and clicks --------------------------------------------------------------------

void cSp_Window::Move(short left, short top, unsigned char front) {
  if (window_ == nullptr) return;
  GrafPtr port = nullptr;
  GetPort(&port);
  top_ = top;
  left_ = left;
  MoveWindow(window_, left, top, front != 0);
  SetPort(port);
}

void cSp_Window::Drag(Point where) {
  if (window_ == nullptr) return;
  if (moveToFrontBeforeDragFlag_ != 0 && MoveToFrontInWindowList() == 0) return;
  Rect start;
  GetWindowBounds(window_, kWindowContentRgn, &start);
  // The window follows the mouse (live dragging, the Aqua way); the outline dragging of the
  // old layouts needs a region drag that this window manager does not have, so it is live too.
  Point last = where;
  bool moved = false;
  short modifiers = 0;
  while (Sp_StillDown(&modifiers) != 0) {
    if ((modifiers & shiftKey) != 0) {
      // Shift puts the window back where the drag began.
      if (moved) Move(start.left, start.top, 1);
      moved = false;
      last = where;
      continue;
    }
    Point mouse;
    GetGlobalMouse(&mouse);
    if (std::abs(mouse.h - last.h) > kDragSlop || std::abs(mouse.v - last.v) > kDragSlop) {
      Move(short(start.left + mouse.h - where.h), short(start.top + mouse.v - where.v), 1);
      last = mouse;
      moved = true;
    }
  }
  ExecuteAfterProcedures(kSpWinMoveList);
}

void cSp_Window::Update() {
  if (window_ == nullptr) return;
  // The window's own parts (controls and the grow box) are drawn here once windows draw.
}

unsigned char cSp_Window::ContentMouseDown(Point where, short modifiers) {
  if (window_ == nullptr) return 0;
  if (IsTopOnScreen() == 0 && moveToFrontWithContentClickFlag_ != 0) {
    // The click only brings the window forward.
    if (MoveToFrontInWindowList() == 0) return 0;
    mouseDownWindowObj_GlV = this;
    return 1;
  }
  GrafPtr port = nullptr;
  GetPort(&port);
  SetPortWindowPort(window_);
  Point local = where;
  GlobalToLocal(&local);
  SetPort(port);

  const unsigned char taken = Sp_MouseDownHotSpot(window_, local, modifiers);
  if (taken == 0) {
    mouseDownWindowObj_GlV = this;
    return 0;
  }
  if (!Sp_Is_CarbonEvent_ModeEnable()) {
    // The release comes later, through Sp_WindowMouseUpTerminate.
    mouseDownWindowObj_GlV = this;
    return taken;
  }
  // The area follows the mouse until the button is released.
  Point last = local;
  for (;;) {
    Point point = last;
    MouseTrackingResult result = kMouseTrackingMouseUp;
    if (TrackMouseLocation(GetWindowPort(window_), &point, &result) != noErr) break;
    if (result == kMouseTrackingMouseDragged) last = point;
    if (result == kMouseTrackingMouseUp) break;
  }
  short upModifiers = 0;
  Sp_GetModifiers(&upModifiers, nullptr);
  Sp_MouseUpHotSpot(window_, last, upModifiers);
  mouseDownWindowObj_GlV = nullptr;
  return taken;
}

void cSp_Window::MouseUpTerminate(Point where, short modifiers) {
  if (window_ == nullptr) return;
  GrafPtr port = nullptr;
  GetPort(&port);
  SetPortWindowPort(window_);
  Point local = where;
  GlobalToLocal(&local);
  SetPort(port);
  Sp_MouseUpHotSpot(window_, local, modifiers);
}

unsigned char Sp_WindowMouseUpTerminate(Point where, short modifiers) {
  cSp_Window* window = mouseDownWindowObj_GlV;
  mouseDownWindowObj_GlV = nullptr;
  if (window == nullptr) return 0;
  window->MouseUpTerminate(where, modifiers);
  return 1;
}

void Sp_DrawWindowEventLoopAction() {
  Sp_EventProcInterface();
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

unsigned char Sp_HaveModalDialog(cSp_Window* except, cSp_Window** found) {
  cSp_Window* front = Sp_GetFrontOpenWindowObject();
  if (front == nullptr || front->IsModalDialog() == 0 || front == except) return 0;
  if (found != nullptr) *found = front;
  return 1;
}

void Sp_CloseFrontWindow() {
  cSp_Window* window = Sp_SerchWindowObject(FrontWindow());
  if (window != nullptr) window->GoAway(nullptr);
}

void Sp_CloseAllMessageWindow() {
  cSp_Window* window = MessageWindowListHead_GlV;
  while (window != nullptr) {
    // Closing may reorder the list: take the next window first.
    cSp_Window* next = window->NextObject();
    if (window->IsOpen()) window->GoAway(nullptr);
    window = next;
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

void Sp_RedrawOpenWindow() {
  for (cSp_Window* w = WindowListHead_GlV; w != nullptr; w = w->NextObject()) {
    if (w->IsOpen()) Sp_RedrawViewWindow(w->GetWindowRef(), 0);
  }
}

// ---- Keys to the front window ---------------------------------------------------------------

unsigned char Sp_KeyInWindow(char charCode, char keyCode, short modifiers, unsigned char autoKey) {
  cSp_Window* window = Sp_GetFrontOpenWindowObject();
  if (window == nullptr) return 0;
  const unsigned char taken = window->KeyIntoWindow(charCode, keyCode, modifiers, autoKey);
  if (taken != 0) return taken;
  return window->ExecKeyInIntoWindowCallback(charCode, keyCode, modifiers, autoKey);
}

unsigned char Sp_RowKeyDownOnWindow(char charCode, char keyCode, short modifiers,
                                    unsigned char autoKey) {
  cSp_Window* window = Sp_GetFrontOpenWindowObject();
  if (window == nullptr) return 0;
  const unsigned char taken = window->RowKeyDownIntoWindow(charCode, keyCode, modifiers, autoKey);
  if (taken != 0) return taken;
  return window->ExecRowKeyDownIntoWindowCallback(charCode, keyCode, modifiers, autoKey);
}

unsigned char Sp_RowKeyUpOnWindow(char charCode, char keyCode, short modifiers) {
  cSp_Window* window = Sp_GetFrontOpenWindowObject();
  if (window == nullptr) return 0;
  const unsigned char taken = window->RowKeyUpOnWindow(charCode, keyCode, modifiers);
  if (taken != 0) return taken;
  return window->ExecRowKeyUpOnWindowCallback(charCode, keyCode, modifiers);
}
