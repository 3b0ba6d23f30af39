// The port record, and what the Window Manager (whose window records hold their ports) and
// the test API do with ports: registering them, giving them pixels, reading the pixels. Not
// for the program's own code.
#pragma once

#include <cstddef>

#include "QuickDraw.h"

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

// Ports that SetPort accepts. A window's port is registered while the window lives;

// unregistering the current port makes the screen's port current.
void RegisterPort(GrafPtr port);
void UnregisterPort(GrafPtr port);

// The screen's port: the main screen's rectangle, at (0, 0).
GrafPtr ScreenPort();

// The port's visible region, made when missing (the screen's port makes it on first use);

// null only when memory runs out.
RgnHandle PortVisibleRegion(GrafPtr port);

// Makes a zeroed record a drawing port: the rectangle (its top-left corner is the origin), a
// pixel map of the rectangle's size (clamped to kSpMaxPixelWidth wide; no pixels for an empty
// rectangle), the wide-open clip region, the rectangle as visible region, and a new port's
// settings (InitPortSettings). The pixels are white with `clearToWhite`, else not cleared
// (GWorlds: callers erase). memFullErr when memory runs out: the record then holds nothing to
// release.
OSErr OpenPortDrawing(GrafPtr port, const Rect& portRect, bool clearToWhite = false);

// Frees what OpenPortDrawing made; the record keeps its rectangle.
void ClosePortDrawing(GrafPtr port);

// Gives the port pixels of its port rectangle's size (after the owner changed the rectangle)
// and makes the rectangle its visible region. The old image stays at the top-left; new pixels
// are white. memFullErr keeps the old pixels (drawing is then clipped to them).
OSErr ResizePortPixels(GrafPtr port);

// A port's pixels in its local coordinates: the pixel at local (h, v) is
// base[(v - bounds.top) * rowWords + (h - bounds.left)].
struct PixelAccess {
  UInt32* base = nullptr;
  std::ptrdiff_t rowWords = 0;
  Rect bounds{0, 0, 0, 0};
};

// False (and `out` untouched) when the port is invalid or has no pixels.
bool GetPortPixels(GrafPtr port, PixelAccess* out);

// 16-bit colours and 32-bit pixels.
UInt32 PixelFromRGB(const RGBColor& c);
RGBColor RGBFromPixel(UInt32 pixel);

}  // namespace sp_platform
