// The raster core of the drawing calls: shapes as sets of pixel boxes, painted into a port's
// pixels through its clip and visible regions. Not for the program's own code.
#pragma once

#include <vector>

#include "Ports.h"

namespace sp_platform {
namespace raster {

// A box of pixels [left, right) x [top, bottom) in 32-bit local coordinates.
struct Box {
  SInt32 top;
  SInt32 left;
  SInt32 bottom;
  SInt32 right;
};
// Shapes are lists of disjoint boxes: painting a pixel twice would undo an inverting mode.
typedef std::vector<Box> Boxes;

inline bool IsEmpty(const Box& b) {
  return b.right <= b.left || b.bottom <= b.top;
}
inline Box ToBox(const Rect& r) {
  return Box{r.top, r.left, r.bottom, r.right};
}

// Collects runs of pixels row by row, overlapping or not, and gives them back as disjoint
// one-row boxes sorted by row and then from left to right.
class RowBuilder {
 public:
  void Add(SInt32 v, SInt32 left, SInt32 right);
  void AddBox(const Box& b);
  Boxes Finish();

 private:
  struct Run {
    SInt32 v;
    SInt32 left;
    SInt32 right;
  };
  std::vector<Run> runs_;
};

// The pixels of the one-row boxes of `a` that are not in the one-row boxes of `b` (both as
// RowBuilder gives them).
Boxes SubtractRows(const Boxes& a, const Boxes& b);

// What painting does to a pixel.
struct Ink {
  bool invert = false;    // every pixel inverted, whatever the pattern
  SInt16 mode = patCopy;  // pattern mode (0-15: its low three bits count)
  Pattern pat{};
  UInt32 fore = 0;  // pixel values of the fore and back colours
  UInt32 back = 0;
};
Ink PenInk(const GrafPort& port);
Ink BackInk(const GrafPort& port);
Ink FillInk(const GrafPort& port, const Pattern& pat);
Ink InvertInk();

// True while the pen draws nothing: hidden by HidePen, or an outline being recorded.
bool PenHidden(GrafPtr port);

// Paints disjoint boxes of local coordinates into the port, clipped to DrawableRects.
void PaintBoxes(GrafPtr port, const Boxes& boxes, const Ink& ink);

// Shapes, as one-row boxes (except RectBoxes).
Boxes RectBoxes(const Rect& r);
// The ring of a rectangle's frame with a pen of w x h, drawn inside the rectangle.
Boxes FrameRectBoxes(const Rect& r, SInt32 w, SInt32 h);
Boxes OvalBoxes(const Rect& r);
Boxes RoundRectBoxes(const Rect& r, SInt32 ovalWidth, SInt32 ovalHeight);
// The pixels of `shape` (one-row boxes) within `limit` whose centres lie in the wedge of `r`
// from startAngle through arcAngle (degrees clockwise from 12 o'clock, relative to the
// rectangle). Pixels are tested one by one, so `limit` keeps the work to what can be seen.
Boxes WedgeOf(const Boxes& shape, const Rect& r, SInt32 startAngle, SInt32 arcAngle,
              const Box& limit);
// The pen's path from one point to the other: the w x h pen at every pixel of the line.
Boxes LineBoxes(Point from, Point to, SInt32 w, SInt32 h);

// 8-bit channels of a pixel.
inline UInt32 Red(UInt32 p) {
  return (p >> 16) & 0xFF;
}
inline UInt32 Green(UInt32 p) {
  return (p >> 8) & 0xFF;
}
inline UInt32 Blue(UInt32 p) {
  return p & 0xFF;
}
inline UInt32 MakePixel(UInt32 r, UInt32 g, UInt32 b) {
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}
// a * (255 - w) + b * w, rounded, per channel (w 0..255).
inline UInt32 MixChannel(UInt32 a, UInt32 b, UInt32 w) {
  return (a * (255 - w) + b * w + 127) / 255;
}

}  // namespace raster
}  // namespace sp_platform
