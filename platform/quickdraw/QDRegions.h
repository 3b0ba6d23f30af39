// QuickDraw regions and polygons.
//
// A region is an exact set of pixels, kept as bands: runs of rows that share the same
// horizontal spans. Coordinates are pixel edges: the rectangle (top, left, bottom, right)
// covers the pixels [left, right) x [top, bottom), and a point names the pixel below and to
// the right of it. Every region is kept in one canonical form, so two regions holding the
// same pixels hold the same bytes (EqualRgn compares them directly).
//
// A region handle is a Memory Manager handle whose block starts with MacRegion; the bands
// follow it and belong to the layer. Coordinates are 16-bit: pixels that an offset, inset or
// mapping would move beyond -32768 ... 32767 fall off the region.
//
// Failures: a call whose result cannot be stored (memory runs out, or the result would pass
// the size limit of a region) leaves its destination as it was, and QDError answers
// memFullErr or rgnOverflowErr; a call that succeeds sets QDError to noErr. A destination
// may be one of the sources. A null handle argument does nothing; the tests answer false
// for it.
//
// Outlines: between OpenRgn and CloseRgn the lines drawn into the current port (MoveTo,
// LineTo, Line, Move, and the frames of rectangles, ovals, rounded rectangles, polygons and
// regions) are recorded instead of drawn, and CloseRgn fills what they enclose. The fill
// rule, for regions and polygons alike: the outline is a set of infinitely thin segments
// between pixel corners; a pixel belongs to the region when its centre (h + 0.5, v + 0.5)
// lies inside the outline by the even-odd rule. A centre lying exactly on a slanted segment
// counts as inside when the segment is the left boundary of an inside run on that row, and
// as outside when it is the right boundary (scan lines run through pixel centres, runs are
// half-open). So a closed outline along pixel edges gives exactly the pixels it encloses:
// the outline of a rectangle gives the rectangle.
#pragma once

#include "MacTypes.h"

// ---- Regions ----

struct MacRegion {
  SInt32 rgnSize;  // bytes in the block: this header and the band data after it
  Rect rgnBBox;    // the smallest rectangle holding every pixel; (0, 0, 0, 0) when empty
};
typedef MacRegion* RgnPtr;
typedef RgnPtr* RgnHandle;

enum : OSErr {
  rgnOverflowErr = -147,    // a result larger than a region may be
  pixmapTooDeepErr = -148,  // BitMapToRegion was given a pixel map instead of a bitmap
};

// The result of the last region or polygon call that can fail (noErr when it succeeded).
OSErr QDError();

// A new empty region; null (QDError memFullErr) when memory runs out.
RgnHandle NewRgn();
// Disposes of a region made by NewRgn; null is ignored.
void DisposeRgn(RgnHandle rgn);
// Makes dstRgn hold the pixels of srcRgn.
void CopyRgn(RgnHandle srcRgn, RgnHandle dstRgn);
void SetEmptyRgn(RgnHandle rgn);
// The rectangle's pixels; an empty rectangle gives the empty region.
void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void RectRgn(RgnHandle rgn, const Rect* r);

// Moves the region by (dh, dv).
void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);
// Shrinks the region by dh pixels on its left and right boundaries and dv on its top and
// bottom ones (negative values grow it): a pixel stays when every pixel up to dh to its
// left and right, and then up to dv above and below, was in the region. For a rectangle this
// is InsetRect, and a result narrower or lower than one pixel is empty.
void InsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);
// Scales and moves the region as the rectangle srcRect maps onto dstRect. An edge at x maps to
// dstRect.left + (x - srcRect.left) * width(dstRect) / width(srcRect), rounded down; pixels
// squeezed to nothing vanish. An empty srcRect or dstRect does nothing.
void MapRgn(RgnHandle rgn, const Rect* srcRect, const Rect* dstRect);

// The pixels in both, in either, in A but not B, and in exactly one of them.
void SectRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
void UnionRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
void DiffRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
void XorRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);

// True when the region has no pixels (and for a null handle).
Boolean EmptyRgn(RgnHandle rgn);
// True when both hold the same pixels.
Boolean EqualRgn(RgnHandle rgnA, RgnHandle rgnB);
// True when the pixel below and to the right of the point is in the region.
Boolean PtInRgn(Point pt, RgnHandle rgn);
// True when the rectangle and the region share at least one pixel.
Boolean RectInRgn(const Rect* r, RgnHandle rgn);
// The region's bounding box, written to `bounds` and returned; null arguments give null.
Rect* GetRegionBounds(RgnHandle region, Rect* bounds);
// True when the region is a single rectangle or empty.
Boolean IsRegionRectangular(RgnHandle region);

// Recording an outline on the current port: OpenRgn starts (an outline already being
// recorded on the port is dropped), CloseRgn fills the recorded outline into dstRgn by the
// rule above and stops. Without an open region CloseRgn empties dstRgn.
void OpenRgn();
void CloseRgn(RgnHandle dstRgn);

// A 1-bit bitmap (a set bit is a pixel of the region; bit 7 of a byte is its leftmost pixel)
// made into a region in the bitmap's coordinates. paramErr for null arguments or a bitmap
// without bits, pixmapTooDeepErr for a pixel map (rowBytes with its top bit set).
struct BitMap;
OSErr BitMapToRegion(RgnHandle region, const BitMap* bMap);

// ---- Polygons ----

// A polygon: its points in the order they were drawn, with their bounding box. polySize is
// the bytes of the record (10 + 4 per point), so a polygon holds at most 8,189 points.
struct MacPolygon {
  SInt16 polySize;
  Rect polyBBox;
  Point polyPoints[1];
};
typedef MacPolygon* PolyPtr;
typedef PolyPtr* PolyHandle;

// Starts recording a polygon on the current port and returns it (null, QDError memFullErr,
// when memory runs out). Each line drawn until ClosePoly adds its end point; the first line
// also adds its start. Only lines are recorded (frames of shapes are not). A line beyond the
// polygon's size limit is dropped and QDError answers rgnOverflowErr.
PolyHandle OpenPoly();
// Stops recording on the current port.
void ClosePoly();
// Disposes of a polygon (one still being recorded stops being recorded); null is ignored.
void KillPoly(PolyHandle poly);
// Moves the polygon's points and bounding box by (dh, dv).
void OffsetPoly(PolyHandle poly, SInt16 dh, SInt16 dv);
