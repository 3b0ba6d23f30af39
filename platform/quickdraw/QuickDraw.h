// QuickDraw: graphics ports and their coordinates, rectangles and points, cursors and the
// main screen.
//
// A port has a port rectangle in its own local coordinates (its top-left corner is the
// origin that SetOrigin moves) and a place on the screen: the global position of the port
// rectangle's top-left corner. For a window's port that place is the global top-left of the
// window's content, so local (0, 0) is the content's top-left corner until the origin moves.
// One port is current at a time; until a window is made current it is the screen's port,
// whose rectangle is the main screen's.
//
// Cursors are recorded, not shown: the layer remembers which cursor was set last and whether
// it is visible, and the display backend shows that record.
#pragma once

#include "MacTypes.h"

// ---- Ports and windows ----

// The port record belongs to the layer; programs hold pointers to it. A colour port and a
// plain port are the same record here.
struct GrafPort;
typedef GrafPort CGrafPort;
typedef GrafPort* GrafPtr;
typedef GrafPtr CGrafPtr;

// Windows are opaque; the Window Manager (MacWindows.h) makes them.
struct OpaqueWindowPtr;
typedef OpaqueWindowPtr* WindowPtr;
typedef WindowPtr WindowRef;

// The current port. GetPort with a null pointer does nothing.
void GetPort(GrafPtr* port);
// Makes the port current. A null pointer, or a pointer that is not a live port (a disposed
// window's, for instance), leaves the current port as it is.
void SetPort(GrafPtr port);
// True for the screen's port and the port of every live window.
Boolean IsValidPort(CGrafPtr port);

// The window's port; null for a null or disposed window.
CGrafPtr GetWindowPort(WindowRef window);
// The window that owns the port; null for the screen's port and for anything else.
WindowRef GetWindowFromPort(CGrafPtr port);
// SetPort(GetWindowPort(window)).
void SetPortWindowPort(WindowRef window);

// The port rectangle in the port's local coordinates, written to `rect` and returned. An
// invalid port or a null rectangle gives null (the rectangle is untouched).
Rect* GetPortBounds(CGrafPtr port, Rect* rect);
// GetPortBounds of the window's port.
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);

// Moves the current port's local coordinates so that the top-left corner of its port
// rectangle becomes (h, v). The port stays where it is on the screen.
void SetOrigin(SInt16 h, SInt16 v);
// Converts a point between the current port's local coordinates and global (screen)
// coordinates. A null point does nothing.
void LocalToGlobal(Point* pt);
void GlobalToLocal(Point* pt);

// ---- Rectangles and points ----
// A rectangle covers the pixels [left, right) x [top, bottom); it is empty when its bottom is
// at or above its top or its right at or left of its left. Arithmetic is on 16-bit
// coordinates. A null rectangle or point argument does nothing, and the tests answer false
// for it (EmptyRect: true).

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void OffsetRect(Rect* r, SInt16 dh, SInt16 dv);
// Moves the left and right sides in by dh and the top and bottom in by dv (out for negative
// values). A result narrower or lower than one pixel becomes (0, 0, 0, 0).
void InsetRect(Rect* r, SInt16 dh, SInt16 dv);
// The intersection; false and (0, 0, 0, 0) when the rectangles do not overlap or either is
// empty. The destination may be one of the sources.
Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect);
// The smallest rectangle holding both (coordinates compared as they are; an empty source is
// not skipped). The destination may be one of the sources.
void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect);
// True when the pixel below and to the right of the point lies in the rectangle.
Boolean PtInRect(Point pt, const Rect* r);
Boolean EqualRect(const Rect* rect1, const Rect* rect2);
Boolean EmptyRect(const Rect* r);

void SetPt(Point* pt, SInt16 h, SInt16 v);
Boolean EqualPt(Point pt1, Point pt2);
// dst = dst + src and dst = dst - src.
void AddPt(Point src, Point* dst);
void SubPt(Point src, Point* dst);

// ---- Cursors ----

typedef UInt16 Bits16[16];

// A black-and-white cursor: 16 rows of 16 pixels (bit 15 of a row is its leftmost pixel),
// the mask and the hot spot, in the machine's byte order. 'CURS' resources hold the same
// fields big-endian (68 bytes).
struct Cursor {
  Bits16 data;
  Bits16 mask;
  Point hotSpot;
};
typedef Cursor* CursPtr;
typedef CursPtr* CursHandle;

// A colour cursor, made from a 'crsr' resource. The black-and-white image, mask and hot spot
// come from the resource's header; the colour image stays in the resource's bytes, which the
// layer keeps with the cursor until the display backend draws it. The handles of the colour
// image are null for now.
struct CCrsr {
  SInt16 crsrType;  // 0x8001 for a colour cursor
  Handle crsrMap;
  Handle crsrData;
  Handle crsrXData;
  SInt16 crsrXValid;
  Handle crsrXHandle;
  Bits16 crsr1Data;
  Bits16 crsrMask;
  Point crsrHotSpot;
  SInt32 crsrXTable;
  SInt32 crsrID;
};
typedef CCrsr* CCrsrPtr;
typedef CCrsrPtr* CCrsrHandle;

enum : SInt16 { kSpColorCursorType = SInt16(0x8001) };

// The 'CURS' resource `cursorID` as a cursor in the machine's byte order; null when there is
// none (ResError resNotFound), its data are shorter than a cursor or memory runs out. The
// handle belongs to the layer, one per id, like a loaded resource: callers never dispose of
// it, and later calls for the id give the same handle.
CursHandle GetCursor(SInt16 cursorID);
// A new colour cursor from the 'crsr' resource `crsrID`; null when there is none, its data are
// shorter than a colour cursor's header, or memory runs out. Dispose of it with
// DisposeCCursor.
CCrsrHandle GetCCursor(SInt16 crsrID);
// Disposes of a colour cursor made by GetCCursor; anything else is ignored.
void DisposeCCursor(CCrsrHandle cCrsr);

// The standard arrow.
Cursor* GetQDGlobalsArrow(Cursor* arrow);
// Sets the arrow and makes the cursor visible (the hide level back to 0).
void InitCursor();
// Sets a black-and-white cursor (its data are copied); a null cursor is ignored.
void SetCursor(const Cursor* crsr);
// Sets a colour cursor made by GetCCursor; anything else is ignored.
void SetCCursor(CCrsrHandle cCrsr);
// HideCursor lowers the hide level, ShowCursor raises it again (never above 0); the cursor is
// visible at level 0. ObscureCursor hides it until the mouse next moves.
void HideCursor();
void ShowCursor();
void ObscureCursor();

// ---- The screen ----

struct BitMap {
  Ptr baseAddr;
  SInt16 rowBytes;
  Rect bounds;
};
typedef BitMap* BitMapPtr;

// A screen device. Only the main screen exists; its rectangle is (0, 0) to its size.
struct GDevice {
  SInt16 gdRefNum;
  SInt16 gdID;
  SInt16 gdType;
  SInt16 gdFlags;
  Rect gdRect;
  GDevice** gdNextGD;
};
typedef GDevice* GDPtr;
typedef GDPtr* GDHandle;

// The main screen (1024 x 768 unless the test API sets another size); null only when its
// record could not be allocated.
GDHandle GetMainDevice();
// The current device: always the main screen.
GDHandle GetGDevice();
// The screen as a bitmap: no pixels yet (baseAddr null), the bounds the main screen's.
BitMap* GetQDGlobalsScreenBits(BitMap* screenBits);
// Height of the menu bar strip at the top of the main screen: 20.
SInt16 GetMBarHeight();
