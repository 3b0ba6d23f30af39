// The band form of a region, as the region code computes with it. Not for other code: the
// rest of QuickDraw goes through RegionTools.h.
//
// A region is a list of bands sorted from top to bottom. A band covers the rows
// [top, bottom) and holds the edges of its spans: xs = {l0, r0, l1, r1, ...}, each span
// [l, r) non-empty, spans sorted and apart (r0 < l1). Bands do not overlap, none is empty,
// and two bands that touch never hold the same spans. That canonical form is what the
// region handle stores, 16-bit, so equal pixel sets have equal bytes.
//
// Coordinates are 32-bit here, so intermediate results may leave the 16-bit plane; storing
// cuts them back to it.
#pragma once

#include <vector>

#include "../QDRegions.h"

namespace sp_platform {
namespace rgn {

struct Band {
  SInt32 top;
  SInt32 bottom;
  std::vector<SInt32> xs;
};
typedef std::vector<Band> Bands;

// A segment of an outline, between pixel corners.
struct Segment {
  SInt32 h0, v0, h1, v1;
};

// True for a usable region handle.
bool IsRegion(RgnHandle rgn);

// The bands of a region (empty for a null handle).
Bands Read(RgnHandle rgn);

// Stores canonical bands into the region, cut to the 16-bit plane. noErr, memFullErr or
// rgnOverflowErr; on failure the region is unchanged. Does not set QDError.
OSErr Write(RgnHandle rgn, const Bands& bands);

// Appends the rows [top, bottom) holding `xs` (sorted, non-decreasing; empty and touching
// spans allowed) below the last band, keeping the form canonical. top must not be above the
// last band's bottom.
void Append(Bands& out, SInt32 top, SInt32 bottom, const std::vector<SInt32>& xs);

// Makes bands canonical when they are sorted and apart but may be empty, hold empty or
// touching spans, or touch with equal spans.
Bands Normalize(const Bands& in);

enum class Op { kUnion, kSect, kDiff, kXor };
Bands Combine(const Bands& a, const Bands& b, Op op);

// A rectangle as 32-bit edges; empty when right <= left or bottom <= top.
struct Box {
  SInt32 top, left, bottom, right;
};
// The union of any rectangles.
Bands FromBoxes(std::vector<Box> boxes);
// The pixels whose centres lie inside the outline by the even-odd rule (QDRegions.h).
Bands FillOutline(const std::vector<Segment>& segments);

}  // namespace rgn
}  // namespace sp_platform
