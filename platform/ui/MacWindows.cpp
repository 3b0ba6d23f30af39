// The headless Window Manager: window records, their layers in the window list, hiliting,
// bounds, the part of the screen under a point, properties and sheets.
#include "MacWindows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "CarbonEvents.h"
#include "MacMemory.h"
#include "QDRegions.h"
#include "detail/ControlRecord.h"
#include "detail/StandardRows.h"
#include "detail/WindowRecord.h"
#include "detail/WindowUpdate.h"
#include "events/internal/EventLoop.h"
#include "quickdraw/internal/Ports.h"
#include "ui/internal/Menus.h"
#include "ui/internal/Windows.h"

using sp_platform::windows::ContentOf;
using sp_platform::windows::HasTitleBar;
using sp_platform::windows::IsLive;
using sp_platform::windows::StructureOf;

namespace {

// The user-interface managers' standard handling joins the event layer's table when the
// program starts. It is installed from here because the event layer always links this file
// (it asks FrontWindow and FindWindow where events go), so a program never runs without it.
[[maybe_unused]] const bool kStandardRowsInstalled =
    (sp_platform::ui::InstallStandardHandlerRows(), true);

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

// A shown sheet lies in its parent's layer, directly in front of the parent, whatever its own
// class: a sheet on a modal dialog stays in front of that dialog.
Layer LayerOfWindow(WindowRef window) {
  if (window->sheetParent != nullptr && IsLive(window->sheetParent)) {
    return LayerOfWindow(window->sheetParent);
  }
  return LayerOf(window->windowClass);
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

bool IsSheetClass(WindowClass windowClass) {
  return windowClass == kSheetWindowClass || windowClass == kSheetAlertWindowClass;
}

// Front to back. Never destroyed, so windows left open at exit stay reachable.
std::vector<WindowRef>& Windows() {
  static std::vector<WindowRef>* windows = new std::vector<WindowRef>;
  return *windows;
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

// Fills a rectangle of the port (local coordinates) with the content colour, directly in the
// pixels: the port's clip and pen have nothing to do with what the Window Manager uncovers.
void FillWithContentColor(OpaqueWindowPtr* w, const Rect& local) {
  sp_platform::PixelAccess pixels;
  if (!sp_platform::GetPortPixels(&w->port, &pixels)) return;
  Rect r;
  if (!SectRect(&local, &pixels.bounds, &r)) return;
  const UInt32 value = sp_platform::PixelFromRGB(w->contentColor);
  for (int v = r.top; v < r.bottom; ++v) {
    UInt32* row = pixels.base + std::ptrdiff_t(v - pixels.bounds.top) * pixels.rowWords;
    std::fill(row + (r.left - pixels.bounds.left), row + (r.right - pixels.bounds.left), value);
  }
}

// A dialog that comes into sight has all its content to draw: the update that follows draws
// its items (the standard handling, or ModalDialog's DialogSelect), whatever was drawn while it
// was hidden. Other windows show what their ports hold.
void Uncover(OpaqueWindowPtr* w) {
  w->visible = true;
  if (w->kind != kDialogWindowKind) return;
  const Rect all = w->port.portRect;
  InvalWindowRect(w, &all);
}

// Where a window of the layer goes: in front of the first window of its layer or of a layer
// behind it (front), or in front of the first window of a layer behind it (back).
std::size_t FrontOfLayer(Layer layer) {
  const auto& list = Windows();
  std::size_t i = 0;
  while (i < list.size() && LayerOfWindow(list[i]) > layer) ++i;
  return i;
}

std::size_t BackOfLayer(Layer layer) {
  const auto& list = Windows();
  std::size_t i = 0;
  while (i < list.size() && LayerOfWindow(list[i]) >= layer) ++i;
  return i;
}

// The front-most visible window of the layer; null when none is visible.
WindowRef FrontVisibleOfLayer(Layer layer) {
  for (WindowRef w : Windows()) {
    if (w->visible && LayerOfWindow(w) == layer) return w;
  }
  return nullptr;
}

// After a change of order or visibility: when another window now lies in front of the layer
// than `before` (the front visible window of the layer before the change), the hilite goes
// from that one to the new one.
void PassHilite(Layer layer, WindowRef before) {
  WindowRef after = FrontVisibleOfLayer(layer);
  if (after == before) return;
  if (IsLive(before)) before->hilited = false;
  if (after != nullptr) after->hilited = true;
}

// Puts a window that is not in the list behind `behind`: kFirstWindowOfClass (or a pointer
// that names no window) for the front of its layer, null for the back.
void Insert(WindowRef window, WindowRef behind) {
  auto& list = Windows();
  const Layer layer = LayerOfWindow(window);
  std::size_t at;
  if (behind == nullptr) {
    at = BackOfLayer(layer);
  } else if (!IsLive(behind)) {
    at = FrontOfLayer(layer);
  } else {
    const Layer behindLayer = LayerOfWindow(behind);
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

// A sheet that leaves its parent goes back to the front of its own layer.
void DetachSheet(WindowRef sheet) {
  sheet->sheetParent = nullptr;
  Remove(sheet);
  Insert(sheet, kFirstWindowOfClass);
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
  static UInt64 lastSerial = 0;
  w->serial = ++lastSerial;
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
  w->userState = ContentOf(w);
  sp_platform::RegisterPort(&w->port);
  const Layer layer = LayerOf(windowClass);
  WindowRef front = FrontVisibleOfLayer(layer);
  Insert(w, behind);
  PassHilite(layer, front);
  sp_platform::windows::EnsureWindowPassHook();
  return w;
}

SpWindowProperty* FindProperty(WindowRef window, PropertyCreator creator, PropertyTag tag) {
  if (window->properties == nullptr) return nullptr;
  for (SpWindowProperty& p : *window->properties) {
    if (p.creator == creator && p.tag == tag) return &p;
  }
  return nullptr;
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

UInt64 WindowSerial(WindowRef window) {
  return IsLive(window) ? window->serial : 0;
}

namespace windows {

bool IsLive(WindowRef window) {
  if (window == nullptr) return false;
  const auto& list = Windows();
  return std::find(list.begin(), list.end(), window) != list.end();
}

bool IsFrontOfItsLayer(WindowRef window) {
  return IsLive(window) && FrontVisibleOfLayer(LayerOfWindow(window)) == window;
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

void ChangeContent(OpaqueWindowPtr* w, const Rect& content, bool invalidate) {
  const Rect& port = w->port.portRect;
  const SInt16 oldWidth = SInt16(port.right - port.left);
  const SInt16 oldHeight = SInt16(port.bottom - port.top);
  SetContent(w, content);
  const SInt16 width = SInt16(port.right - port.left);
  const SInt16 height = SInt16(port.bottom - port.top);
  // The strips gained, in local coordinates: at the right (full height) and at the bottom.
  Rect gained[2] = {
      {port.top, SInt16(port.left + oldWidth), port.bottom, port.right},
      {SInt16(port.top + oldHeight), port.left, port.bottom,
       SInt16(port.left + std::min(oldWidth, width))},
  };
  if (width <= oldWidth) gained[0] = Rect{0, 0, 0, 0};
  if (height <= oldHeight) gained[1] = Rect{0, 0, 0, 0};
  for (const Rect& r : gained) {
    if (EmptyRect(&r)) continue;
    FillWithContentColor(w, r);
    if (invalidate) InvalWindowRect(w, &r);
  }
}

}  // namespace windows
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
  // The window's controls go with it (a dialog has disposed of its own already).
  sp_platform::controls::DisposeWindowControls(window);
  const Layer layer = LayerOfWindow(window);
  WindowRef front = FrontVisibleOfLayer(layer);
  Remove(window);
  PassHilite(layer, front);
  std::vector<WindowRef> sheets;
  for (WindowRef w : Windows()) {
    if (w->sheetParent == window) sheets.push_back(w);
  }
  for (WindowRef w : sheets) DetachSheet(w);
  sp_platform::windows::ForgetActiveWindow(window);
  sp_platform::UnregisterPort(&window->port);
  sp_platform::ClosePortDrawing(&window->port);
  sp_platform::ForgetWindowUpdateRegion(window);
  sp_platform::DisposeEventTarget(window->target);
  delete window->properties;
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
  if (!IsLive(window) || window->visible) return;
  const Layer layer = LayerOfWindow(window);
  WindowRef front = FrontVisibleOfLayer(layer);
  Uncover(window);
  PassHilite(layer, front);
}

void HideWindow(WindowRef window) {
  if (!IsLive(window) || !window->visible) return;
  const Layer layer = LayerOfWindow(window);
  WindowRef front = FrontVisibleOfLayer(layer);
  window->visible = false;
  PassHilite(layer, front);
}

void ShowHide(WindowRef window, Boolean showFlag) {
  if (!IsLive(window)) return;
  if (showFlag != 0 && !window->visible) {
    Uncover(window);
    return;
  }
  window->visible = showFlag != 0;
}

Boolean IsWindowVisible(WindowRef window) {
  return IsLive(window) && window->visible;
}

void SelectWindow(WindowRef window) {
  if (!IsLive(window)) return;
  const Layer layer = LayerOfWindow(window);
  WindowRef front = FrontVisibleOfLayer(layer);
  BringToFront(window);
  if (window->visible && front != nullptr && front != window) front->hilited = false;
  window->hilited = true;
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
  const Layer layer = LayerOfWindow(window);
  WindowRef front = FrontVisibleOfLayer(layer);
  Remove(window);
  Insert(window, behindWindow);
  PassHilite(layer, front);
}

void HiliteWindow(WindowRef window, Boolean fHilite) {
  if (IsLive(window)) window->hilited = fHilite != 0;
}

Boolean IsWindowHilited(WindowRef window) {
  return IsLive(window) && window->hilited;
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
    const Layer layer = LayerOfWindow(w);
    if (layer == kDocumentLayer || layer == kModalLayer) return w;
  }
  return nullptr;
}

WindowRef GetWindowList() {
  return Windows().empty() ? nullptr : Windows().front();
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
  const Rect menuBar = sp_platform::menus::MenuBarBounds();
  if (PtInRect(thePoint, &menuBar)) return inMenuBar;
  for (WindowRef w : Windows()) {
    if (!w->visible) continue;
    const WindowPartCode part = sp_platform::windows::PartAt(w, thePoint);
    if (part == inDesk) continue;
    if (window != nullptr) *window = w;
    return part;
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
  sp_platform::windows::ChangeContent(window, content, true);
  return noErr;
}

void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front) {
  if (!IsLive(window)) return;
  window->port.screenTopLeft = Point{vGlobal, hGlobal};
  if (front) SelectWindow(window);
}

void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate) {
  if (!IsLive(window) || w <= 0 || h <= 0) return;
  Rect content = ContentOf(window);
  content.right = SInt16(content.left + w);
  content.bottom = SInt16(content.top + h);
  sp_platform::windows::ChangeContent(window, content, fUpdate != 0);
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

// ---- Size limits ----

namespace {

SInt16 LimitFromFloat(CGFloat value) {
  if (!(value >= 1)) return 1;  // also NaN
  if (value >= 32767) return 32767;
  return SInt16(std::lround(value));
}

}  // namespace

OSStatus SetWindowResizeLimits(WindowRef window, const HISize* inMinLimits,
                               const HISize* inMaxLimits) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (inMinLimits != nullptr) {
    window->minWidth = LimitFromFloat(inMinLimits->width);
    window->minHeight = LimitFromFloat(inMinLimits->height);
  }
  if (inMaxLimits != nullptr) {
    window->maxWidth = LimitFromFloat(inMaxLimits->width);
    window->maxHeight = LimitFromFloat(inMaxLimits->height);
  }
  window->maxWidth = std::max(window->maxWidth, window->minWidth);
  window->maxHeight = std::max(window->maxHeight, window->minHeight);
  return noErr;
}

OSStatus GetWindowResizeLimits(WindowRef window, HISize* outMinLimits, HISize* outMaxLimits) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (outMinLimits != nullptr)
    *outMinLimits = HISize{CGFloat(window->minWidth), CGFloat(window->minHeight)};
  if (outMaxLimits != nullptr)
    *outMaxLimits = HISize{CGFloat(window->maxWidth), CGFloat(window->maxHeight)};
  return noErr;
}

// ---- Properties ----

OSStatus SetWindowProperty(WindowRef window, PropertyCreator propertyCreator,
                           PropertyTag propertyTag, ByteCount propertySize,
                           const void* propertyBuffer) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (propertyBuffer == nullptr && propertySize != 0) return paramErr;
  try {
    if (window->properties == nullptr) window->properties = new std::vector<SpWindowProperty>;
    const UInt8* bytes = static_cast<const UInt8*>(propertyBuffer);
    std::vector<UInt8> copy(bytes, bytes + propertySize);
    if (SpWindowProperty* p = FindProperty(window, propertyCreator, propertyTag)) {
      p->bytes.swap(copy);
    } else {
      window->properties->push_back(
          SpWindowProperty{propertyCreator, propertyTag, std::move(copy)});
    }
  } catch (const std::bad_alloc&) {
    return memFullErr;
  }
  return noErr;
}

OSStatus GetWindowProperty(WindowRef window, PropertyCreator propertyCreator,
                           PropertyTag propertyTag, ByteCount bufferSize, ByteCount* actualSize,
                           void* propertyBuffer) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (propertyBuffer == nullptr && bufferSize != 0) return paramErr;
  const SpWindowProperty* p = FindProperty(window, propertyCreator, propertyTag);
  if (p == nullptr) return errWindowPropertyNotFound;
  const std::size_t n = std::min<std::size_t>(bufferSize, p->bytes.size());
  if (n > 0) std::memcpy(propertyBuffer, p->bytes.data(), n);
  if (actualSize != nullptr) *actualSize = ByteCount(p->bytes.size());
  return noErr;
}

OSStatus GetWindowPropertySize(WindowRef window, PropertyCreator creator, PropertyTag tag,
                               ByteCount* size) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (size == nullptr) return paramErr;
  const SpWindowProperty* p = FindProperty(window, creator, tag);
  if (p == nullptr) return errWindowPropertyNotFound;
  *size = ByteCount(p->bytes.size());
  return noErr;
}

OSStatus RemoveWindowProperty(WindowRef window, PropertyCreator propertyCreator,
                              PropertyTag propertyTag) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (FindProperty(window, propertyCreator, propertyTag) == nullptr) {
    return errWindowPropertyNotFound;
  }
  auto& list = *window->properties;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const SpWindowProperty& p) {
                              return p.creator == propertyCreator && p.tag == propertyTag;
                            }),
             list.end());
  return noErr;
}

// ---- Content colour ----

OSStatus SetWindowContentColor(WindowRef window, const RGBColor* color) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (color == nullptr) return paramErr;
  window->contentColor = *color;
  return noErr;
}

OSStatus GetWindowContentColor(WindowRef window, RGBColor* color) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (color == nullptr) return paramErr;
  *color = window->contentColor;
  return noErr;
}

// ---- Sheets ----

OSStatus ShowSheetWindow(WindowRef inSheet, WindowRef inParentWindow) {
  if (!IsLive(inSheet)) return errInvalidWindowPtr;
  if (!IsSheetClass(inSheet->windowClass) || !IsLive(inParentWindow) || inParentWindow == inSheet) {
    return paramErr;
  }
  const Rect parent = ContentOf(inParentWindow);
  const Rect sheet = ContentOf(inSheet);
  const int left = parent.left + ((parent.right - parent.left) - (sheet.right - sheet.left)) / 2;
  MoveWindow(inSheet, SInt16(left), parent.top, false);
  const Layer layer = LayerOfWindow(inParentWindow);
  WindowRef front = FrontVisibleOfLayer(layer);
  Remove(inSheet);
  inSheet->sheetParent = inParentWindow;
  auto& list = Windows();
  list.insert(std::find(list.begin(), list.end(), inParentWindow), inSheet);
  if (!inSheet->visible) Uncover(inSheet);
  PassHilite(layer, front);
  return noErr;
}

OSStatus HideSheetWindow(WindowRef inSheet) {
  if (!IsLive(inSheet)) return errInvalidWindowPtr;
  if (!IsSheetClass(inSheet->windowClass)) return paramErr;
  HideWindow(inSheet);
  if (inSheet->sheetParent != nullptr) DetachSheet(inSheet);
  return noErr;
}

OSStatus GetSheetWindowParent(WindowRef inSheet, WindowRef* outParentWindow) {
  if (!IsLive(inSheet)) return errInvalidWindowPtr;
  if (outParentWindow == nullptr) return paramErr;
  *outParentWindow = inSheet->sheetParent;
  return noErr;
}
