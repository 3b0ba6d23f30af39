// The port record and the state behind QuickDraw that the Window Manager, the text drawing
// and the test API share. Not for the program's own code.
#pragma once

#include <cstddef>
#include <vector>

#include "../QuickDraw.h"

// A port: its rectangle in local coordinates (the top-left corner is the origin SetOrigin
// moves) and where that corner lies on the screen, its pixels, regions, pen, colours and text
// settings. The record is zero-initialised by its owner and made ready by
// sp_platform::OpenPortDrawing.
struct GrafPort {
  Rect portRect;
  Point screenTopLeft;  // global position of portRect's top-left corner
  WindowRef window;     // the window that owns the port; null for the screen's port and GWorlds

  // Pixels: a handle to the pixel map whose bounds are the port's local coordinates (they
  // move with SetOrigin). baseAddr is null when the port has no pixels (the screen's port, a
  // window of no area).
  PixMapHandle portPixMap;
  RgnHandle clipRgn;  // local coordinates; wide open in a new port
  RgnHandle visRgn;   // local coordinates; the port rectangle

  // The pen.
  Point pnLoc;
  Point pnSize;
  SInt16 pnMode;
  Pattern pnPat;
  SInt16 pnVis;  // 0 shown; below 0 hidden by that many HidePen calls

  Pattern bkPat;
  RGBColor rgbFgColor;
  RGBColor rgbBkColor;
  RGBColor rgbOpColor;

  // Text settings (the text calls read and write them). txSize 0 is the default size.
  SInt16 txFont;
  Style txFace;
  SInt16 txMode;
  SInt16 txSize;
  Fixed spExtra;
  Fixed chExtra;

  GDHandle device;    // the device a GWorld is attached to (the main screen)
  bool isGWorld;      // made by NewGWorld
  UInt32 flushCount;  // QDFlushPortBuffer calls
};

namespace sp_platform {

// ---- Registry and regions (Ports.cpp) ----

// Ports that SetPort accepts. A window's port is registered while the window lives;
// unregistering the current port makes the screen's port current.
void RegisterPort(GrafPtr port);
void UnregisterPort(GrafPtr port);

// The screen's port: the main screen's rectangle, at (0, 0).
GrafPtr ScreenPort();

// The current port (never null).
GrafPtr CurrentPort();

// The port's regions, made when missing (the screen's port makes them on first use); null
// only when memory runs out.
RgnHandle PortClipRegion(GrafPtr port);
RgnHandle PortVisibleRegion(GrafPtr port);

// The main screen's size (the screen's port follows it).
void SetMainScreenSize(SInt16 width, SInt16 height);

// Back to the start: a 1024 x 768 screen whose port is current with a new port's pen,
// colours, clip and text settings. Window ports and GWorlds stay registered (the Window
// Manager disposes of its windows first).
void ResetPorts();

// The number of QDFlushPortBuffer calls on the port since it was made (0 for an invalid port).
UInt32 PortFlushCount(GrafPtr port);

// ---- Port records (GWorlds.cpp) ----

// Gives the port a new port's pen (1 x 1 at (0, 0), patCopy, black, shown), colours (black on
// white, operation colour 50 % grey, back pattern white) and text settings (font 0, plain,
// srcOr, size 0, no extras). Allocates nothing.
void InitPortSettings(GrafPtr port);
// Makes a zeroed record a drawing port: the rectangle (its top-left corner is the origin), a
// pixel map of the rectangle's size (clamped to kSpMaxPixelWidth wide; no pixels for an empty
// rectangle), the wide-open clip region, the rectangle as visible region, and a new port's
// settings (InitPortSettings). The pixels are white with `clearToWhite`, else not cleared
// (GWorlds: callers erase). memFullErr when memory runs out: the record then holds nothing to
// release.
OSErr OpenPortDrawing(GrafPtr port, const Rect& portRect, bool clearToWhite = false);
// The pixel format of every port's pixel map: 32-bit direct colour, BGRA, 72 dpi.
void SetDirectPixelFormat(PixMap& pm);
// Frees what OpenPortDrawing made; the record keeps its rectangle.
void ClosePortDrawing(GrafPtr port);
// Gives the port pixels of its port rectangle's size (after the owner changed the rectangle)
// and makes the rectangle its visible region. The old image stays at the top-left; new pixels
// are white. memFullErr keeps the old pixels (drawing is then clipped to them).
OSErr ResizePortPixels(GrafPtr port);
// Moves the pixel bounds and the visible region with the port rectangle's top-left corner
// (SetOrigin).
void FollowOrigin(GrafPtr port, SInt16 dh, SInt16 dv);

// ---- Pixels (Raster.cpp) ----

// A port's pixels in its local coordinates: the pixel at local (h, v) is
// base[(v - bounds.top) * rowWords + (h - bounds.left)].
struct PixelAccess {
  UInt32* base = nullptr;
  std::ptrdiff_t rowWords = 0;
  Rect bounds{0, 0, 0, 0};
};
// False (and `out` untouched) when the port is invalid or has no pixels.
bool GetPortPixels(GrafPtr port, PixelAccess* out);

// The rectangles (local coordinates, disjoint) where drawing may change the port's pixels: the
// pixel bounds within the clip and visible regions.
std::vector<Rect> DrawableRects(GrafPtr port);

// 16-bit colours and 32-bit pixels.
UInt32 PixelFromRGB(const RGBColor& c);
RGBColor RGBFromPixel(UInt32 pixel);

// Draws a coverage mask (one byte per pixel, 0 nothing to 255 full) whose first byte is the
// pixel at local (box.left, box.top), `rowBytes` bytes a row, in a text transfer mode with the
// port's colours: srcOr (the fore colour laid over the pixels as much as the coverage says),
// srcCopy (fore colour over the back colour in the whole box), srcBic (the back colour laid
// over), srcXor (pixels of coverage 128 or more inverted); notSrc... with the coverage
// inverted; pattern modes as the source mode of the same number - 8; anything else as srcOr.
// Clipped to DrawableRects.
void DrawCoverageMask(GrafPtr port, const Rect& box, const UInt8* coverage, std::size_t rowBytes,
                      SInt16 mode);

// ---- Snapshots (Snapshot.cpp) ----

// Writes the port's pixels as an RGB PNG file at `path` (UTF-8). paramErr for an invalid
// port or one without pixels, ioErr when the file cannot be written.
OSErr WritePortPNG(GrafPtr port, const char* path);

}  // namespace sp_platform
