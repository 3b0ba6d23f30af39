// The state behind QuickDraw that its source files share (the port record and what other
// areas do with ports are in quickdraw/internal/Ports.h). Not for anyone else.
#pragma once

#include <cstddef>
#include <vector>

#include "../QuickDraw.h"
#include "quickdraw/internal/Ports.h"
#include "quickdraw/internal/TestHooks.h"

namespace sp_platform {

// ---- Registry and regions (Ports.cpp) ----

// The current port (never null).
GrafPtr CurrentPort();

// The port's clip region, made when missing (the screen's port makes it on first use); null
// only when memory runs out.
RgnHandle PortClipRegion(GrafPtr port);

// ---- Port records (GWorlds.cpp) ----

// Gives the port a new port's pen (1 x 1 at (0, 0), patCopy, black, shown), colours (black on
// white, operation colour 50 % grey, back pattern white) and text settings (font 0, plain,
// srcOr, size 0, no extras). Allocates nothing.
void InitPortSettings(GrafPtr port);
// The pixel format of every port's pixel map: 32-bit direct colour, BGRA, 72 dpi.
void SetDirectPixelFormat(PixMap& pm);
// Moves the pixel bounds and the visible region with the port rectangle's top-left corner
// (SetOrigin).
void FollowOrigin(GrafPtr port, SInt16 dh, SInt16 dv);

// ---- Pixels (Raster.cpp) ----

// The rectangles (local coordinates, disjoint) where drawing may change the port's pixels: the
// pixel bounds within the clip and visible regions.
std::vector<Rect> DrawableRects(GrafPtr port);

// Draws a coverage mask (one byte per pixel, 0 nothing to 255 full) whose first byte is the
// pixel at local (box.left, box.top), `rowBytes` bytes a row, in a text transfer mode with the
// port's colours: srcOr (the fore colour laid over the pixels as much as the coverage says),
// srcCopy (fore colour over the back colour in the whole box), srcBic (the back colour laid
// over), srcXor (pixels of coverage 128 or more inverted); notSrc... with the coverage
// inverted; pattern modes as the source mode of the same number - 8; anything else as srcOr.
// Clipped to DrawableRects.
void DrawCoverageMask(GrafPtr port, const Rect& box, const UInt8* coverage, std::size_t rowBytes,
                      SInt16 mode);

}  // namespace sp_platform
