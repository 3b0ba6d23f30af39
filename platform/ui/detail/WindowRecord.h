// The window record and what the Window Manager's source files share about it. Not for the
// program's own code (it goes through MacWindows.h).
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "../MacWindows.h"
#include "CarbonEvents.h"
#include "MacMemory.h"
#include "quickdraw/internal/Ports.h"
#include "ui/internal/Windows.h"

// A property kept with a window (SetWindowProperty).
struct SpWindowProperty {
  PropertyCreator creator;
  PropertyTag tag;
  std::vector<UInt8> bytes;
};

// The window record. Its port is the window's content: local coordinates start at the
// content's top-left corner, and its pixels are the content's size (white when the window is
// made; a new size keeps the old image at the top-left and fills the rest with the content
// colour).
struct OpaqueWindowPtr {
  GrafPort port{};
  WindowClass windowClass = kDocumentWindowClass;
  WindowAttributes attributes = kWindowNoAttributes;
  SInt16 kind = kApplicationWindowKind;
  bool visible = false;
  bool hilited = false;
  Str255 title{};
  SRefCon refCon = 0;
  EventTargetRef target = nullptr;
  RGBColor contentColor{0xFFFF, 0xFFFF, 0xFFFF};
  SInt16 minWidth = 32, minHeight = 32;
  SInt16 maxWidth = 32767, maxHeight = 32767;
  Rect userState{0, 0, 0, 0};
  Rect standardState{0, 0, 0, 0};
  bool standardStateSet = false;  // else it follows the screen
  WindowRef sheetParent = nullptr;
  std::vector<SpWindowProperty>* properties = nullptr;  // made on first use
  // Never given to another window (see WindowSerial).
  UInt64 serial = 0;

  // Records live in the Memory Manager's heap, so a failing allocation can be tested.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return NewPtrClear(Size(size));
  }
  static void operator delete(void* p) noexcept { DisposePtr(static_cast<Ptr>(p)); }
  static void operator delete(void* p, const std::nothrow_t&) noexcept {
    DisposePtr(static_cast<Ptr>(p));
  }
};

namespace sp_platform {
namespace windows {

// True for a window of the list (not null, not disposed of).
bool IsLive(WindowRef window);

bool HasTitleBar(WindowClass windowClass);
// True when the window is the front-most visible window of its layer.
bool IsFrontOfItsLayer(WindowRef window);
// Global rectangles of the content and the structure.
Rect ContentOf(const OpaqueWindowPtr* w);
Rect StructureOf(const OpaqueWindowPtr* w);
// The title strip; false (and an empty rectangle) for a window without one.
bool TitleStripOf(const OpaqueWindowPtr* w, Rect* strip);
// Which part of this window a global point is in: inGoAway, inZoomIn/inZoomOut, inDrag,
// inGrow, inContent, or inDesk when it is outside the structure.
WindowPartCode PartAt(const OpaqueWindowPtr* w, Point pt);
// True when the window's content equals its standard state (the zoom box then zooms in).
bool IsZoomedOut(const OpaqueWindowPtr* w);

// The standard state the window would zoom out to.
Rect StandardStateOf(const OpaqueWindowPtr* w);
// The main screen below the menu bar (global).
Rect DeskArea();

// Moves and sizes the content as SetWindowBounds does: the strips it gains are filled with
// the content colour and, with `invalidate`, added to the update region.
void ChangeContent(OpaqueWindowPtr* w, const Rect& content, bool invalidate);

// Sends a window event of this kind to the window's target with the window as its direct
// object; `prepare` (may be null) adds parameters first, `inspect` (may be null) reads the
// event afterwards. Answers the result of the dispatch (memFullErr when the event cannot be
// made).
OSStatus SendWindowEvent(WindowRef window, UInt32 kind, void (*prepare)(EventRef, void*),
                         void (*inspect)(EventRef, void*), void* refCon);

// The window events of the loop's pass hook (WindowEvents.cpp): installs the hook once.
void EnsureWindowPassHook();
// The window is going: it gets no activation or deactivation any more.
void ForgetActiveWindow(WindowRef window);

// The window update records (WindowUpdate.cpp): true when the window has an update region that
// changed since the last update event sent for it; marks it as sent.
bool TakeUpdateToSend(WindowRef window);

// Follows the mouse from a press until its release (WindowTracking.cpp): `step` (may be null)
// gets each new global location while the button is held. Answers the release location.
Point FollowMouse(Point start, void (*step)(Point, void*), void* refCon);
// Moves the window with the mouse from a press at `start` (DragWindow); it is selected first
// unless `modifiers` hold cmdKey. `bounds` null: the desk area.
void DragWithMouse(WindowRef window, Point start, const Rect* bounds, UInt32 modifiers);
// Resizes the window with the mouse from a press in its grow box: for each movement the
// proposed content (within the resize limits) goes out in {'wind', 26} ('crct', with 'orct',
// 'prct' and 'attr'), and what the handlers leave in 'crct' is taken; with
// kWindowLiveResizeAttribute the window follows at once, else it takes the last rectangle at
// the release. Then {'wind', 29}.
void ResizeWithMouse(WindowRef window, Point start);

}  // namespace windows
}  // namespace sp_platform
