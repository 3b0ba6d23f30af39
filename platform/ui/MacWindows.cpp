// The headless Window Manager: window records, their layers in the window list, bounds and
// the part of the screen under a point.
#include "MacWindows.h"
#include "ui/detail/WindowUpdate.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "CarbonEvents.h"
#include "MacMemory.h"
#include "detail/WindowList.h"
#include "events/detail/EventLoop.h"
#include "quickdraw/detail/Ports.h"

// The window record. Its port is the window's content: local coordinates start at the
// content's top-left corner, and its pixels are the content's size (white when the window is
// made; a new size keeps the old image at the top-left and whitens the rest).
struct OpaqueWindowPtr {
  GrafPort port{};
  WindowClass windowClass = kDocumentWindowClass;
  WindowAttributes attributes = kWindowNoAttributes;
  SInt16 kind = kApplicationWindowKind;
  bool visible = false;
  Str255 title{};
  SRefCon refCon = 0;
  EventTargetRef target = nullptr;

  // Records live in the Memory Manager's heap, so a failing allocation can be tested.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtrClear(Size(size));
  }
  static void operator delete(void* p) noexcept { DisposePtr(static_cast<Ptr>(p)); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept {
    DisposePtr(static_cast<Ptr>(p));
  }
};

namespace {

// Layers of the window list, front to back: a higher number lies in front.
enum Layer : int {
  kDocumentLayer = 1,
  kFloatingLayer = 2,
  kModalLayer = 3,
  kHelpLayer = 4,
};

Layer LayerOf(WindowClass windowClass) {
  switch (windowClass) {
    case kHelpWindowClass:
    case kOverlayWindowClass:
      return kHelpLayer;
    case kAlertWindowClass:
    case kMovableAlertWindowClass:
    case kModalWindowClass:
    case kMovableModalWindowClass:
      return kModalLayer;
    case kFloatingWindowClass:
    case kUtilityWindowClass:
    case kToolbarWindowClass:
      return kFloatingLayer;
    default:
      return kDocumentLayer;
  }
}

bool IsKnownClass(WindowClass windowClass) {
  switch (windowClass) {
    case kAlertWindowClass:
    case kMovableAlertWindowClass:
    case kModalWindowClass:
    case kMovableModalWindowClass:
    case kFloatingWindowClass:
    case kDocumentWindowClass:
    case kUtilityWindowClass:
    case kHelpWindowClass:
    case kSheetWindowClass:
    case kToolbarWindowClass:
    case kPlainWindowClass:
    case kOverlayWindowClass:
    case kSheetAlertWindowClass:
    case kAltPlainWindowClass:
    case kDrawerWindowClass:
      return true;
    default:
      return false;
  }
}

bool HasTitleBar(WindowClass windowClass) {
  switch (windowClass) {
    case kDocumentWindowClass:
    case kFloatingWindowClass:
    case kUtilityWindowClass:
    case kToolbarWindowClass:
    case kMovableModalWindowClass:
    case kMovableAlertWindowClass:
      return true;
    default:
      return false;
  }
}

// Front to back. Never destroyed, so windows left open at exit stay reachable.
std::vector<WindowRef>& Windows() {
  static std::vector<WindowRef>* windows = new std::vector<WindowRef>;
  return *windows;
}

bool IsLive(WindowRef window) {
  if (window == nullptr) return false;
  const auto& list = Windows();
  return std::find(list.begin(), list.end(), window) != list.end();
}

Rect ContentOf(const OpaqueWindowPtr* w) {
  const Rect& r = w->port.portRect;
  const Point& at = w->port.screenTopLeft;
  return Rect{at.v, at.h, SInt16(at.v + (r.bottom - r.top)), SInt16(at.h + (r.right - r.left))};
}

Rect StructureOf(const OpaqueWindowPtr* w) {
  Rect r = ContentOf(w);
  if (HasTitleBar(w->windowClass)) r.top = SInt16(r.top - kSpWindowTitleBarHeight);
  return r;
}

// Moves and sizes the content; the port keeps its origin and its pixels follow the size.
// When memory for new pixels runs out the old ones stay, and drawing is clipped to them.
void SetContent(OpaqueWindowPtr* w, const Rect& content) {
  const int width = std::max(0, content.right - content.left);
  const int height = std::max(0, content.bottom - content.top);
  Rect& r = w->port.portRect;
  r.right = SInt16(r.left + width);
  r.bottom = SInt16(r.top + height);
  w->port.screenTopLeft = Point{content.top, content.left};
  if (w->port.portPixMap != nullptr) sp_platform::ResizePortPixels(&w->port);
}

// Where a window of the layer goes: in front of the first window of its layer or of a layer
// behind it (front), or in front of the first window of a layer behind it (back).
std::size_t FrontOfLayer(Layer layer) {
  const auto& list = Windows();
  std::size_t i = 0;
  while (i < list.size() && LayerOf(list[i]->windowClass) > layer) ++i;
  return i;
}

std::size_t BackOfLayer(Layer layer) {
  const auto& list = Windows();
  std::size_t i = 0;
  while (i < list.size() && LayerOf(list[i]->windowClass) >= layer) ++i;
  return i;
}

// Puts a window that is not in the list behind `behind`: kFirstWindowOfClass (or a pointer
// that names no window) for the front of its layer, null for the back.
void Insert(WindowRef window, WindowRef behind) {
  auto& list = Windows();
  const Layer layer = LayerOf(window->windowClass);
  std::size_t at;
  if (behind == nullptr) {
    at = BackOfLayer(layer);
  } else if (!IsLive(behind)) {
    at = FrontOfLayer(layer);
  } else {
    const Layer behindLayer = LayerOf(behind->windowClass);
    if (behindLayer > layer) {
      at = FrontOfLayer(layer);
    } else if (behindLayer < layer) {
      at = BackOfLayer(layer);
    } else {
      at = std::size_t(std::find(list.begin(), list.end(), behind) - list.begin()) + 1;
    }
  }
  list.insert(list.begin() + std::ptrdiff_t(at), window);
}

void Remove(WindowRef window) {
  auto& list = Windows();
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

void CopyTitle(Str255 to, ConstStr255Param from) {
  if (from == nullptr) {
    to[0] = 0;
    return;
  }
  std::memcpy(to, from, std::size_t(from[0]) + 1);
}

// Makes the record, its port and its event target and puts it in the list.
WindowRef MakeWindow(WindowClass windowClass, WindowAttributes attributes, const Rect& content,
                     ConstStr255Param title, bool visible, WindowRef behind, SRefCon refCon) {
  OpaqueWindowPtr* w = new (std::nothrow) OpaqueWindowPtr;
  if (w == nullptr) return nullptr;
  w->target = sp_platform::NewEventTarget(GetApplicationEventTarget(),
                                          sp_platform::kEventTargetKindWindow, w);
  if (w->target == nullptr) {
    delete w;
    return nullptr;
  }
  w->windowClass = windowClass;
  w->attributes = attributes;
  w->visible = visible;
  w->refCon = refCon;
  CopyTitle(w->title, title);
  w->port.window = w;
  w->port.portRect = Rect{0, 0, 0, 0};
  SetContent(w, content);
  if (sp_platform::OpenPortDrawing(&w->port, w->port.portRect, true) != noErr) {
    sp_platform::DisposeEventTarget(w->target);
    delete w;
    return nullptr;
  }
  sp_platform::RegisterPort(&w->port);
  Insert(w, behind);
  return w;
}

// Class and attributes of a window definition number: the classic definitions (0 to 15 and
// the floating ones from 1984) and the appearance definitions from 1024.
void DescribeProcID(SInt16 procID, WindowClass* windowClass, WindowAttributes* attributes) {
  const int definition = procID >> 4;
  const int variation = procID & 15;
  WindowAttributes a = kWindowNoAttributes;
  WindowClass c = kDocumentWindowClass;
  switch (definition) {
    case 0:  // classic documents and dialogs
      if (variation == dBoxProc) {
        c = kModalWindowClass;
      } else if (variation == plainDBox || variation == altDBoxProc) {
        c = kPlainWindowClass;
      } else if (variation == movableDBoxProc) {
        c = kMovableModalWindowClass;
      } else {
        if ((variation & 4) == 0) a |= kWindowResizableAttribute;
        if ((variation & 8) != 0) a |= kWindowFullZoomAttribute;
      }
      break;
    case 124:  // classic floating windows
      c = kFloatingWindowClass;
      if ((variation & 2) != 0) a |= kWindowResizableAttribute;
      if ((variation & 4) != 0) a |= kWindowFullZoomAttribute;
      if ((variation & 8) != 0) a |= kWindowSideTitlebarAttribute;
      break;
    case 64:  // documents
      if ((variation & 1) != 0) a |= kWindowResizableAttribute;
      if ((variation & 2) != 0) a |= kWindowVerticalZoomAttribute;
      if ((variation & 4) != 0) a |= kWindowHorizontalZoomAttribute;
      break;
    case 65:  // dialogs
      switch (procID) {
        case kWindowModalDialogProc:
          c = kModalWindowClass;
          break;
        case kWindowMovableModalDialogProc:
          c = kMovableModalWindowClass;
          break;
        case kWindowMovableModalGrowProc:
          c = kMovableModalWindowClass;
          a |= kWindowResizableAttribute;
          break;
        case kWindowAlertProc:
          c = kAlertWindowClass;
          break;
        case kWindowMovableAlertProc:
          c = kMovableAlertWindowClass;
          break;
        default:
          c = kPlainWindowClass;
          break;
      }
      break;
    case 66:  // floating windows
    case 67:  // floating windows with the title bar at the side
      c = kFloatingWindowClass;
      if ((variation & 2) != 0) a |= kWindowResizableAttribute;
      if ((variation & 4) != 0) a |= kWindowVerticalZoomAttribute;
      if ((variation & 8) != 0) a |= kWindowHorizontalZoomAttribute;
      if (definition == 67) a |= kWindowSideTitlebarAttribute;
      break;
    case 68:
      c = kSheetWindowClass;
      break;
    case 69:
      c = kPlainWindowClass;
      break;
    default:
      break;
  }
  *windowClass = c;
  *attributes = a;
}

}  // namespace

namespace sp_platform {

std::vector<WindowRef> WindowListFrontToBack() {
  return Windows();
}

void DisposeAllWindows() {
  while (!Windows().empty()) DisposeWindow(Windows().front());
}

}  // namespace sp_platform

WindowRef NewCWindow(void* /*wStorage*/, const Rect* boundsRect, ConstStr255Param title,
                     Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                     SRefCon refCon) {
  if (boundsRect == nullptr) return nullptr;
  WindowClass windowClass;
  WindowAttributes attributes;
  DescribeProcID(procID, &windowClass, &attributes);
  if (goAwayFlag) attributes |= kWindowCloseBoxAttribute;
  return MakeWindow(windowClass, attributes, *boundsRect, title, visible != 0, behind, refCon);
}

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow) {
  if (outWindow == nullptr) return paramErr;
  *outWindow = nullptr;
  if (contentBounds == nullptr) return paramErr;
  if (!IsKnownClass(windowClass)) return errUnrecognizedWindowClass;
  WindowRef w =
      MakeWindow(windowClass, attributes, *contentBounds, nullptr, false, kFirstWindowOfClass, 0);
  if (w == nullptr) return memFullErr;
  *outWindow = w;
  return noErr;
}

void DisposeWindow(WindowRef window) {
  if (!IsLive(window)) return;
  Remove(window);
  sp_platform::UnregisterPort(&window->port);
  sp_platform::ClosePortDrawing(&window->port);
  sp_platform::ForgetWindowUpdateRegion(window);
  sp_platform::DisposeEventTarget(window->target);
  delete window;
}

Boolean IsValidWindowPtr(WindowRef window) {
  return IsLive(window);
}

CGrafPtr GetWindowPort(WindowRef window) {
  if (!IsLive(window)) return nullptr;
  return &window->port;
}

void SetPortWindowPort(WindowRef window) {
  if (!IsLive(window)) return;
  SetPort(&window->port);
}

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds) {
  if (!IsLive(window)) return nullptr;
  return GetPortBounds(&window->port, bounds);
}

void ShowWindow(WindowRef window) {
  ShowHide(window, true);
}

void HideWindow(WindowRef window) {
  ShowHide(window, false);
}

void ShowHide(WindowRef window, Boolean showFlag) {
  if (!IsLive(window)) return;
  window->visible = showFlag != 0;
}

Boolean IsWindowVisible(WindowRef window) {
  return IsLive(window) && window->visible;
}

void SelectWindow(WindowRef window) {
  BringToFront(window);
}

void BringToFront(WindowRef window) {
  if (!IsLive(window)) return;
  Remove(window);
  Insert(window, kFirstWindowOfClass);
}

void SendBehind(WindowRef window, WindowRef behindWindow) {
  if (!IsLive(window) || window == behindWindow) return;
  // A stale `behindWindow` is not taken for "front": it sends nothing anywhere.
  if (behindWindow != nullptr && !IsLive(behindWindow)) return;
  Remove(window);
  Insert(window, behindWindow);
}

WindowRef FrontWindow() {
  for (WindowRef w : Windows()) {
    if (w->visible) return w;
  }
  return nullptr;
}

WindowRef FrontNonFloatingWindow() {
  for (WindowRef w : Windows()) {
    if (!w->visible) continue;
    const Layer layer = LayerOf(w->windowClass);
    if (layer == kDocumentLayer || layer == kModalLayer) return w;
  }
  return nullptr;
}

WindowRef GetNextWindow(WindowRef window) {
  if (!IsLive(window)) return nullptr;
  const auto& list = Windows();
  auto it = std::find(list.begin(), list.end(), window) + 1;
  return it == list.end() ? nullptr : *it;
}

WindowRef GetNextWindowOfClass(WindowRef inWindow, WindowClass inWindowClass,
                               Boolean mustBeVisible) {
  for (WindowRef w = GetNextWindow(inWindow); w != nullptr; w = GetNextWindow(w)) {
    if (inWindowClass != kAllWindowClasses && w->windowClass != inWindowClass) continue;
    if (mustBeVisible && !w->visible) continue;
    return w;
  }
  return nullptr;
}

WindowPartCode FindWindow(Point thePoint, WindowRef* window) {
  if (window != nullptr) *window = nullptr;
  BitMap screen;
  GetQDGlobalsScreenBits(&screen);
  Rect menuBar = screen.bounds;
  menuBar.bottom = SInt16(menuBar.top + GetMBarHeight());
  if (PtInRect(thePoint, &menuBar)) return inMenuBar;
  for (WindowRef w : Windows()) {
    if (!w->visible) continue;
    const Rect content = ContentOf(w);
    const Rect structure = StructureOf(w);
    if (!PtInRect(thePoint, &structure)) continue;
    if (window != nullptr) *window = w;
    return PtInRect(thePoint, &content) ? inContent : inDrag;
  }
  return inDesk;
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (globalBounds == nullptr) return paramErr;
  switch (regionCode) {
    case kWindowContentRgn:
    case kWindowGlobalPortRgn:
      *globalBounds = ContentOf(window);
      return noErr;
    case kWindowStructureRgn:
      *globalBounds = StructureOf(window);
      return noErr;
    default:
      return errWindowRegionCodeInvalid;
  }
}

OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect* globalBounds) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (globalBounds == nullptr) return paramErr;
  Rect content = *globalBounds;
  switch (regionCode) {
    case kWindowContentRgn:
    case kWindowGlobalPortRgn:
      break;
    case kWindowStructureRgn:
      if (HasTitleBar(window->windowClass)) {
        content.top = SInt16(content.top + kSpWindowTitleBarHeight);
        content.bottom = std::max(content.bottom, content.top);
      }
      break;
    default:
      return errWindowRegionCodeInvalid;
  }
  SetContent(window, content);
  return noErr;
}

void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front) {
  if (!IsLive(window)) return;
  window->port.screenTopLeft = Point{vGlobal, hGlobal};
  if (front) SelectWindow(window);
}

void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean /*fUpdate*/) {
  if (!IsLive(window) || w <= 0 || h <= 0) return;
  Rect content = ContentOf(window);
  content.right = SInt16(content.left + w);
  content.bottom = SInt16(content.top + h);
  SetContent(window, content);
}

SRefCon GetWRefCon(WindowRef window) {
  return IsLive(window) ? window->refCon : 0;
}

void SetWRefCon(WindowRef window, SRefCon data) {
  if (IsLive(window)) window->refCon = data;
}

void SetWTitle(WindowRef window, ConstStr255Param title) {
  if (IsLive(window)) CopyTitle(window->title, title);
}

void GetWTitle(WindowRef window, Str255 title) {
  if (title == nullptr) return;
  if (!IsLive(window)) {
    title[0] = 0;
    return;
  }
  std::memcpy(title, window->title, std::size_t(window->title[0]) + 1);
}

SInt16 GetWindowKind(WindowRef window) {
  return IsLive(window) ? window->kind : 0;
}

void SetWindowKind(WindowRef window, SInt16 kind) {
  if (IsLive(window)) window->kind = kind;
}

OSStatus GetWindowClass(WindowRef window, WindowClass* outClass) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (outClass == nullptr) return paramErr;
  *outClass = window->windowClass;
  return noErr;
}

OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (outAttributes == nullptr) return paramErr;
  *outAttributes = window->attributes;
  return noErr;
}

OSStatus ChangeWindowAttributes(WindowRef window, WindowAttributes setTheseAttributes,
                                WindowAttributes clearTheseAttributes) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  window->attributes = (window->attributes | setTheseAttributes) & ~clearTheseAttributes;
  return noErr;
}

EventTargetRef GetWindowEventTarget(WindowRef window) {
  return IsLive(window) ? window->target : nullptr;
}
