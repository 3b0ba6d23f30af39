// Region helpers for the rest of QuickDraw (clipped drawing, copying, shapes). Not for the
// program's own code.
#pragma once

#include <functional>
#include <vector>

#include "../QDRegions.h"

namespace sp_platform {

// Sets what QDError answers (every QuickDraw call that reports through QDError uses it).
void SetQDError(OSErr err);

// The region's pixels as disjoint rectangles: bands from top to bottom, and in each band
// from left to right (rectangles of one band share top and bottom). Empty for an empty or
// null region.
std::vector<Rect> RegionRects(RgnHandle rgn);
// The same, cut to `clip` (rectangles outside it left out).
std::vector<Rect> RegionRectsInRect(RgnHandle rgn, const Rect& clip);

// dstRgn = srcRgn cut to the rectangle (dstRgn may be srcRgn). noErr, paramErr for a null
// handle, memFullErr or rgnOverflowErr (dstRgn unchanged). Sets QDError.
OSErr SectRgnWithRect(RgnHandle srcRgn, const Rect& r, RgnHandle dstRgn);

// dstRgn = the union of the rectangles (they may overlap; empty ones are skipped). Results
// and QDError as SectRgnWithRect.
OSErr RectsToRgn(const std::vector<Rect>& rects, RgnHandle dstRgn);

// dstRgn = the pixels of `bounds` for which inside(h, v) is true, asked row by row from the
// top, left to right. Results and QDError as SectRgnWithRect.
OSErr MaskToRgn(const Rect& bounds, const std::function<bool(SInt16 h, SInt16 v)>& inside,
                RgnHandle dstRgn);

// dstRgn = the pixels a polygon paints: its points joined in order and closed from the last
// back to the first, filled by the even-odd rule at pixel centres (QDRegions.h). Fewer than
// three distinct points paint nothing. paramErr for a null or malformed polygon; otherwise as
// SectRgnWithRect.
OSErr PolyToRgn(PolyHandle poly, RgnHandle dstRgn);

// The largest region block, in bytes, before a result fails with rgnOverflowErr (default
// 64 MiB). Tests lower it; 0 restores the default.
void SetRegionByteLimit(SInt32 bytes);

}  // namespace sp_platform
