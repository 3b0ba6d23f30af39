// Drawing steps the popup menu and the popup menu button share. Not for other code.
#pragma once

#include "QDRegions.h"
#include "QuickDraw.h"

namespace sp_popup_detail {

// A one-pixel line from (h1, v1) to (h2, v2), both ends included, in the colour.
inline void DrawRun(short h1, short v1, short h2, short v2, const RGBColor& colour) {
  RGBForeColor(&colour);
  MoveTo(h1, v1);
  LineTo(h2, v2);
}

// Fills the triangle through the three points (h, v) in the colour, using `rgn` for its
// outline. False when there is no region.
inline bool FillTriangle(RgnHandle rgn, const Point (&corner)[3], const RGBColor& colour) {
  if (rgn == nullptr) return false;
  OpenRgn();
  MoveTo(corner[0].h, corner[0].v);
  LineTo(corner[1].h, corner[1].v);
  LineTo(corner[2].h, corner[2].v);
  LineTo(corner[0].h, corner[0].v);
  CloseRgn(rgn);
  RGBForeColor(&colour);
  PaintRgn(rgn);
  return true;
}

inline RGBColor Rgb255(unsigned short r, unsigned short g, unsigned short b) {
  return RGBColor{UInt16(r * 257), UInt16(g * 257), UInt16(b * 257)};
}

inline Point Pt(int h, int v) {
  return Point{short(v), short(h)};
}

}  // namespace sp_popup_detail
