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
//
// Drawing: every port with pixels (a window's content, a GWorld) is a buffer of 32-bit
// pixels, one word per pixel holding 0xAARRGGBB in the machine's byte order (the alpha byte
// is always 0xFF and carries nothing). Colours are the toolbox's 16-bit RGBColor; a component
// goes to its 8-bit channel as its high byte and comes back as that byte times 257. Depth 32
// everywhere: whatever depth a caller asks for, it gets 32 bits.
// - Coordinates are pixel edges: a rectangle covers the pixels [left, right) x [top, bottom).
//   Drawing is in the current port's local coordinates (SetOrigin moves them), clipped to the
//   port's clip region (local coordinates; wide open at first), its visible region (the port
//   rectangle) and its pixels.
// - The pen hangs below and to the right of its path: a line from (h1, v1) to (h2, v2) with a
//   pen of w x h covers the w x h pen rectangle at every point of the line, both ends included.
//   Framed shapes are drawn just inside their rectangles.
// - Patterns are 8 x 8 bits aligned to the port's local coordinates; a 1 bit takes the fore
//   colour, a 0 bit the back colour. Pattern modes: patCopy (fore and back colours), patOr
//   (fore colour where the bit is 1, the pixel kept elsewhere), patXor (the pixel inverted where
//   the bit is 1), patBic (back colour where the bit is 1), and the notPat... modes with the
//   pattern inverted.
// - While OpenRgn or OpenPoly records an outline on a port, the pen draws nothing there: lines
//   and framed shapes add to the outline instead (QDRegions.h).
#pragma once

#include "MacTypes.h"

// Regions and polygons (QDRegions.h has the calls). Shaped as the event headers declare them.
struct MacRegion;
typedef MacRegion* RgnPtr;
typedef RgnPtr* RgnHandle;
struct MacPolygon;
typedef MacPolygon* PolyPtr;
typedef PolyPtr* PolyHandle;

// The text face of a port (the style bits are with the text calls).
typedef unsigned char Style;

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

// ---- Bitmaps, pixel maps and the screen ----

// A bitmap: rows of `rowBytes` bytes from `baseAddr`; `bounds` gives the coordinates of its
// pixels (the pixel at (bounds.left, bounds.top) is the first). A plain bitmap has one bit per
// pixel, the leftmost pixel of a byte in its high bit, 1 meaning black. A pixel map (PixMap
// below) starts with the same fields and has the high bit of rowBytes set.
struct BitMap {
  Ptr baseAddr;
  SInt16 rowBytes;
  Rect bounds;
};
typedef BitMap* BitMapPtr;

struct ColorSpec {
  SInt16 value;
  RGBColor rgb;
};
struct ColorTable {
  SInt32 ctSeed;
  SInt16 ctFlags;
  SInt16 ctSize;  // entries - 1
  ColorSpec ctTable[1];
};
typedef ColorTable* CTabPtr;
typedef CTabPtr* CTabHandle;

// Pixel formats of a pixel map.
enum : OSType {
  k32ARGBPixelFormat = 0x00000020,
  k32BGRAPixelFormat = SpFourCC("BGRA"),
};
enum : SInt16 { RGBDirect = 16 };

// A pixel map: a bitmap (rowBytes & 0x3FFF bytes a row, high bit set) of 32-bit pixels. A
// PixMap converts to the BitMap that CopyBits takes.
struct PixMap : BitMap {
  SInt16 pmVersion;
  SInt16 packType;
  SInt32 packSize;
  Fixed hRes;  // 72 dpi
  Fixed vRes;
  SInt16 pixelType;    // RGBDirect
  SInt16 pixelSize;    // 32
  SInt16 cmpCount;     // 3
  SInt16 cmpSize;      // 8
  OSType pixelFormat;  // k32BGRAPixelFormat: 0xAARRGGBB words on this little-endian machine
  CTabHandle pmTable;  // null
  void* pmExt;
};
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;

// The widest pixel map: rowBytes keeps 14 bits.
enum : SInt16 { kSpMaxPixelWidth = 0x3FFF / 4 };

// A screen device. Only the main screen exists; its rectangle is (0, 0) to its size, its
// pixel map 32 bits deep (without pixels: baseAddr null).
struct GDevice {
  SInt16 gdRefNum;
  SInt16 gdID;
  SInt16 gdType;
  SInt16 gdFlags;
  PixMapHandle gdPMap;
  SInt32 gdRefCon;
  Rect gdRect;
  SInt32 gdMode;
  GDevice** gdNextGD;
};
typedef GDevice* GDPtr;
typedef GDPtr* GDHandle;

// The main screen (1024 x 768 unless the test API sets another size); null only when its
// record could not be allocated.
GDHandle GetMainDevice();
// The current device: always the main screen.
GDHandle GetGDevice();
// Records the current device. Only the main screen exists, so GetGDevice still answers it;
// a null device is ignored.
void SetGDevice(GDHandle gd);
// The deepest device over the global rectangle: the main screen (null rectangle: the main
// screen too).
GDHandle GetMaxDevice(const Rect* globalRect);
// Replaces *foreGround with the colour halfway between *backGround and *foreGround (each
// component the truncated average) and answers true: a 32-bit device always has that grey.
// False, nothing changed, for a null argument.
Boolean GetGray(GDHandle device, const RGBColor* backGround, RGBColor* foreGround);
// The screen as a bitmap: no pixels yet (baseAddr null), the bounds the main screen's.
BitMap* GetQDGlobalsScreenBits(BitMap* screenBits);
// Height of the menu bar strip at the top of the main screen: 20.
SInt16 GetMBarHeight();

// ---- Ports: clip and visible regions, pixels, flushing ----

// True for every port (a colour port and a plain port are the same record here); false for
// an invalid port.
Boolean IsPortColor(CGrafPtr port);
// The port's pixel map (its bounds are the port's local coordinates); null for an invalid
// port. The screen's port has a pixel map without pixels.
PixMapHandle GetPortPixMap(CGrafPtr port);
// The port's pixel map as the bitmap CopyBits takes; null for an invalid port.
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);
// Copies the port's clip (visible) region into `clipRgn` (`visRgn`) and returns it; nothing
// (and the argument returned) for an invalid port or a null region.
RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle clipRgn);
RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);
// Sets the port's clip (visible) region to a copy of the region.
void SetPortClipRegion(CGrafPtr port, RgnHandle clipRgn);
void SetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);
// The current port's clip region: set to the rectangle (local coordinates), copied from or
// copied into a region. Null arguments do nothing.
void ClipRect(const Rect* r);
void GetClip(RgnHandle rgn);
void SetClip(RgnHandle rgn);

// The port's pixels are ready for the screen: counted per port (the display backend presents
// them). `region` (the part that changed) may be null.
void QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

// The colour of the current port's pixel at local (h, v): black outside its pixels. SetCPixel
// sets it, within the clip and visible regions. Null colours do nothing.
void GetCPixel(SInt16 h, SInt16 v, RGBColor* cPix);
void SetCPixel(SInt16 h, SInt16 v, const RGBColor* cPix);

// ---- GWorlds ----

typedef CGrafPtr GWorldPtr;
typedef UInt32 GWorldFlags;
enum : GWorldFlags {
  pixPurge = 1u << 0,
  noNewDevice = 1u << 1,
  useTempMem = 1u << 2,
  keepLocal = 1u << 3,
  useDistantHdwrMem = 1u << 4,
  useLocalHdwrMem = 1u << 5,
  pixelsPurgeable = 1u << 6,
  pixelsLocked = 1u << 7,
  mapPix = 1u << 16,
  newDepth = 1u << 17,
  alignPix = 1u << 18,
  newRowBytes = 1u << 19,
  reallocPix = 1u << 20,
  clipPix = 1u << 28,
  stretchPix = 1u << 29,
  ditherPix = 1u << 30,
  gwFlagErr = 1u << 31,
};
typedef OSErr QDErr;

// A new offscreen port whose port rectangle and pixel bounds are `boundsRect` (so its local
// coordinates are those of the rectangle), 32 bits deep whatever the depth asked, attached to
// the main screen. The pixels are not cleared: erase them before use. The clip region is wide
// open, the visible region the rectangle, the pen and colours as a new port's (black on
// white). Flags, colour table and device are not used. paramErr (and *offscreenGWorld null)
// for a null argument, an empty rectangle or one wider than kSpMaxPixelWidth; memFullErr
// when memory runs out.
QDErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
// Frees the GWorld; when it was the current port the screen's port becomes current. Anything
// that is not a live GWorld is ignored.
void DisposeGWorld(GWorldPtr offscreenGWorld);
// Gives the GWorld the new rectangle: a new size reallocates the pixels, keeping the old image
// at the top-left (stretchPix: scaled to the new size), and answers reallocPix; a rectangle of
// the same size only moves the coordinates (0). gwFlagErr for an invalid GWorld or rectangle,
// or when memory runs out (the GWorld then stays as it was).
GWorldFlags UpdateGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                         CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
// The current port and device; either pointer may be null.
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
// Makes the port current (as SetPort) and the device current.
void SetGWorld(CGrafPtr port, GDHandle gdh);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
// Pixels never move or get purged here: LockPixels answers true for a pixel map with pixels.
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
Ptr GetPixBaseAddr(PixMapHandle pm);
// Bytes per row, without the flag bits.
SInt32 GetPixRowBytes(PixMapHandle pm);

// ---- Colours ----

// Classic colour numbers of ForeColor and BackColor.
enum : SInt32 {
  whiteColor = 30,
  blackColor = 33,
  yellowColor = 69,
  magentaColor = 137,
  redColor = 205,
  cyanColor = 273,
  greenColor = 341,
  blueColor = 409,
};

// The current port's fore, back and operation colour (the weight of `blend`: 50 % grey in a
// new port). Null arguments do nothing.
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void OpColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
// Sets the colour by its classic number; an unknown number gives black.
void ForeColor(SInt32 color);
void BackColor(SInt32 color);
// The port's colours, written to `color` and returned; null for an invalid port.
RGBColor* GetPortForeColor(CGrafPtr port, RGBColor* color);
RGBColor* GetPortBackColor(CGrafPtr port, RGBColor* color);
// The system's highlight colour for selected text: a pale blue, (0xCCCC, 0xCCCC, 0xFFFF).
// Null does nothing.
void LMGetHiliteRGB(RGBColor* hiliteRGBValue);

// ---- Patterns and transfer modes ----

struct Pattern {
  UInt8 pat[8];  // rows top to bottom; bit 7 is the leftmost pixel
};
typedef Pattern* PatPtr;
typedef PatPtr* PatHandle;
typedef const Pattern* ConstPatternParam;

// The standard patterns, written to `pat` and returned (null stays null).
Pattern* GetQDGlobalsBlack(Pattern* pat);
Pattern* GetQDGlobalsWhite(Pattern* pat);
Pattern* GetQDGlobalsGray(Pattern* pat);
Pattern* GetQDGlobalsLightGray(Pattern* pat);
Pattern* GetQDGlobalsDarkGray(Pattern* pat);
// The 'PAT ' resource `patternID` (its first 8 bytes); null when there is none or it is
// shorter. The handle is the resource's.
PatHandle GetPattern(SInt16 patternID);

enum : SInt16 {
  srcCopy = 0,
  srcOr = 1,
  srcXor = 2,
  srcBic = 3,
  notSrcCopy = 4,
  notSrcOr = 5,
  notSrcXor = 6,
  notSrcBic = 7,
  patCopy = 8,
  patOr = 9,
  patXor = 10,
  patBic = 11,
  notPatCopy = 12,
  notPatOr = 13,
  notPatXor = 14,
  notPatBic = 15,
  blend = 32,
  transparent = 36,
  ditherCopy = 64,  // a flag added to a mode; no dithering is needed at 32 bits
};

// ---- The pen ----

struct PenState {
  Point pnLoc;
  Point pnSize;
  SInt16 pnMode;
  Pattern pnPat;
};

// Pen location in local coordinates; Move and Line are relative. LineTo and Line draw from
// the pen to the point with the pen's size, mode and pattern and leave the pen there.
void MoveTo(SInt16 h, SInt16 v);
void Move(SInt16 dh, SInt16 dv);
void LineTo(SInt16 h, SInt16 v);
void Line(SInt16 dh, SInt16 dv);
void GetPen(Point* pt);
// Width and height of the pen (negative values count as 0: nothing is drawn).
void PenSize(SInt16 width, SInt16 height);
// A pattern mode (patCopy ... notPatBic). A source mode (srcCopy ... notSrcBic) draws as the
// pattern mode of the same effect, any other mode as patCopy; GetPenState gives back the
// mode as it was set.
void PenMode(SInt16 mode);
void PenPat(const Pattern* pat);
void BackPat(const Pattern* pat);
// Pen size 1 x 1, patCopy, black pattern; the location and visibility stay.
void PenNormal();
void GetPenState(PenState* pnState);
void SetPenState(const PenState* pnState);
// HidePen stops lines and shapes from drawing until a matching ShowPen (they nest: the pen
// draws while ShowPen calls have made up for every HidePen); the pen still moves and outlines
// are still recorded.
void HidePen();
void ShowPen();

// ---- Shapes ----
// Frame: the outline just inside the shape with the pen. Paint: the shape with the pen's
// pattern and mode. Erase: with the back pattern (patCopy). Invert: every pixel's colour
// inverted. Fill: with the given pattern (patCopy). Null arguments do nothing.

void FrameRect(const Rect* r);
void PaintRect(const Rect* r);
void EraseRect(const Rect* r);
void InvertRect(const Rect* r);
void FillRect(const Rect* r, const Pattern* pat);

// Corners are quarter ovals `ovalWidth` x `ovalHeight` (at most the rectangle's size).
void FrameRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void PaintRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void EraseRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void InvertRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void FillRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight, const Pattern* pat);

// The oval inscribed in the rectangle: the pixels whose centres lie inside it.
void FrameOval(const Rect* r);
void PaintOval(const Rect* r);
void EraseOval(const Rect* r);
void InvertOval(const Rect* r);
void FillOval(const Rect* r, const Pattern* pat);

// The part of the oval (FrameArc: of its outline) between the angles, in degrees clockwise
// from 12 o'clock, from `startAngle` through `arcAngle` (negative: anticlockwise). Angles are
// relative to the rectangle: 45 degrees points at its top-right corner.
void FrameArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void PaintArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void EraseArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void InvertArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void FillArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle, const Pattern* pat);

// Regions in local coordinates. FrameRgn draws the pixels of the region that lie within the
// pen's size of its outside.
void FrameRgn(RgnHandle rgn);
void PaintRgn(RgnHandle rgn);
void EraseRgn(RgnHandle rgn);
void InvertRgn(RgnHandle rgn);
void FillRgn(RgnHandle rgn, const Pattern* pat);

// Polygons: FramePoly draws lines from point to point with the pen; the others fill the
// polygon's region.
void FramePoly(PolyHandle poly);
void PaintPoly(PolyHandle poly);
void ErasePoly(PolyHandle poly);
void InvertPoly(PolyHandle poly);
void FillPoly(PolyHandle poly, const Pattern* pat);

// ---- Copying pixels ----

// Copies `srcRect` of the source to `dstRect` of the destination (each in its bitmap's bounds
// coordinates), scaled to the nearest pixel when the sizes differ; only pixels inside the
// destination's bounds, inside `maskRgn` (destination coordinates; null: no mask) and, when
// the destination is the current port's pixels, inside its clip and visible regions change.
// Sources: 32-bit pixel maps and one-bit bitmaps (a 1 bit is black, a 0 bit white). Modes:
// - srcCopy: the source, colourised by the port's colours (black becomes the fore colour,
//   white the back colour, the levels between mixed); with a black fore colour and white back
//   colour the source is copied unchanged;
// - srcOr: the fore colour laid over the destination as much as the source is dark (white
//   leaves it); srcBic: the back colour likewise; srcXor: the destination inverted where the
//   source is dark (black inverts, white keeps: twice restores it);
// - notSrc...: the same with the source inverted;
// - transparent: the source, except where it is the back colour;
// - blend: source and destination mixed by the operation colour (OpColor).
// Other modes copy as srcCopy. The source and destination may be the same pixels.
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);
// srcCopy through a mask: where the mask (a one-bit bitmap, or a pixel map whose non-white
// pixels count as 1) is 1 the source is copied, elsewhere the destination stays. The mask
// is scaled to `dstRect` as the source is.
void CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
              const Rect* srcRect, const Rect* maskRect, const Rect* dstRect);
// CopyBits through a deep mask: for each colour channel, black in the mask takes the result
// of the mode, white keeps the destination, and greys mix the two in proportion (a mask of
// r % grey lets r % of the destination through). A one-bit mask acts as in CopyMask.
void CopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
                  const Rect* srcRect, const Rect* maskRect, const Rect* dstRect, SInt16 mode,
                  RgnHandle maskRgn);
// Moves the pixels of the rectangle of the current port (within its clip and visible
// regions) by (dh, dv); what moves out of the rectangle is lost, and the part left uncovered
// is erased with the back pattern and, when `updateRgn` is not null, written to it.
void ScrollRect(const Rect* r, SInt16 dh, SInt16 dv, RgnHandle updateRgn);

// ---- Regions and text ----
#include "Fonts.h"
#include "QDRegions.h"
#include "QDText.h"
#include "QDPictures.h"
