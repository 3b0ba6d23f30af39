// Test API: windows, ports and the cursor.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"

namespace sp_testing {

enum class CursorKind {
  kArrow,        // InitCursor, or SetCursor with the arrow's image
  kCursor,       // a 'CURS' cursor; id is its resource id
  kColorCursor,  // a 'crsr' cursor; id is its resource id
  kOther,        // SetCursor with an image that is no loaded 'CURS' nor the arrow
};

struct CursorState {
  CursorKind kind;
  SInt16 id;           // 0 for the arrow and kOther
  bool visible;        // not hidden (HideCursor) nor obscured (ObscureCursor)
  SInt32 hideLevel;    // 0 when shown, -n after n more HideCursor than ShowCursor calls
  UInt32 changeCount;  // InitCursor, SetCursor and SetCCursor calls since the last reset
};

// The cursor last set and whether it shows.
CursorState CurrentCursor();

// Every window, front to back, hidden ones included.
std::vector<WindowRef> WindowList();
// The visible windows, front to back.
std::vector<WindowRef> VisibleWindows();

// What a person would see of a window.
struct WindowState {
  WindowRef window;
  std::string title;  // MacJapanese bytes
  WindowClass windowClass;
  bool visible;
  bool hilited;
  Rect content;  // global
};
// Every window, front to back, hidden ones included.
std::vector<WindowState> WindowStates();

// The window's update region in global coordinates, into `region` (empty when nothing waits).
// False for an invalid window or when the region cannot be copied.
bool CopyUpdateRegion(WindowRef window, RgnHandle region);
// Its bounding rectangle (global; all zero when nothing waits).
Rect UpdateRegionBounds(WindowRef window);

// A global point inside a part of the window (see the parts at the top of MacWindows.h): the
// middle of its close box (inGoAway), zoom box (inZoomIn, inZoomOut), grow box (inGrow),
// title strip between the boxes (inDrag) or content (inContent). (-32768, -32768) for a part
// the window does not have.
Point WindowPartPoint(WindowRef window, WindowPartCode part);

// Posts a click as the display would: a press at `down`, a drag to each point of `path` in
// turn, and the release at the last point of the path (at `down` when there is none), with
// these modifiers (cmdKey, shiftKey, optionKey, controlKey). The event loop delivers them
// when it next runs (pump it); the mouse location and button change at once.
void PostClick(Point down, const std::vector<Point>& path = {}, UInt32 modifiers = 0);

// The main screen's size (1024 x 768 at start).
void SetScreenSize(SInt16 width, SInt16 height);

// Between tests: disposes of every window (no activation is then pending), restores the
// 1024 x 768 screen, makes the screen's port current with its origin at (0, 0), and sets the
// shown arrow with no changes counted.
void ResetWindows();

// The bytes of a 'CURS' resource holding this cursor, and of a 'crsr' resource whose header
// holds it (crsrType 0x8001, no colour image).
std::vector<UInt8> MakeCursorResource(const Cursor& cursor);
std::vector<UInt8> MakeColorCursorResource(const Cursor& cursor);

}  // namespace sp_testing
