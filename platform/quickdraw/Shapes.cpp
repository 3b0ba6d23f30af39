// Rectangles, rounded rectangles, ovals, arcs, regions and polygons: framed, painted, erased,
// inverted and filled in the current port.
#include <algorithm>

#include "MacMemory.h"
#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/Raster.h"
#include "detail/RegionRecording.h"
#include "detail/RegionTools.h"

namespace {

using sp_platform::raster::Box;
using sp_platform::raster::Boxes;

enum class Verb { kPaint, kErase, kInvert, kFill };

GrafPtr Port() {
  return sp_platform::CurrentPort();
}

// Paints, erases, inverts or fills the pixels of a shape.
void Apply(const Boxes& boxes, Verb verb, const Pattern* pat = nullptr) {
  GrafPtr port = Port();
  if (sp_platform::raster::PenHidden(port)) return;
  sp_platform::raster::Ink ink;
  switch (verb) {
    case Verb::kPaint:
      ink = sp_platform::raster::PenInk(*port);
      break;
    case Verb::kErase:
      ink = sp_platform::raster::BackInk(*port);
      break;
    case Verb::kInvert:
      ink = sp_platform::raster::InvertInk();
      break;
    case Verb::kFill:
      if (pat == nullptr) return;
      ink = sp_platform::raster::FillInk(*port, *pat);
      break;
  }
  sp_platform::raster::PaintBoxes(port, boxes, ink);
}

// Draws a frame's pixels with the pen.
void Frame(const Boxes& ring) {
  GrafPtr port = Port();
  if (sp_platform::raster::PenHidden(port)) return;
  sp_platform::raster::PaintBoxes(port, ring, sp_platform::raster::PenInk(*port));
}

// The rectangle inside a frame drawn with the current pen; false when the frame fills the
// whole shape or the pen draws nothing.
bool InnerRect(const Rect& r, Rect* inner) {
  const GrafPort& port = *Port();
  const SInt32 top = r.top + port.pnSize.v, left = r.left + port.pnSize.h;
  const SInt32 bottom = r.bottom - port.pnSize.v, right = r.right - port.pnSize.h;
  if (bottom <= top || right <= left) return false;
  *inner = Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
  return true;
}

bool PenDraws() {
  const GrafPort& port = *Port();
  return port.pnSize.h > 0 && port.pnSize.v > 0;
}

// While an outline is recorded, a framed shape adds the area it would paint.
bool RecordedArea(const Boxes& area) {
  GrafPtr port = Port();
  if (!sp_platform::IsRecordingOutline(port)) return false;
  std::vector<Rect> rects;
  rects.reserve(area.size());
  for (const Box& b : area) {
    rects.push_back(Rect{SInt16(b.top), SInt16(b.left), SInt16(b.bottom), SInt16(b.right)});
  }
  RgnHandle rgn = NewRgn();
  if (rgn == nullptr) return true;
  if (sp_platform::RectsToRgn(rects, rgn) == noErr) sp_platform::RecordFrameArea(port, rgn);
  DisposeRgn(rgn);
  return true;
}

Boxes FrameOvalBoxes(const Rect& r) {
  if (!PenDraws()) return {};
  Rect inner;
  if (!InnerRect(r, &inner)) return sp_platform::raster::OvalBoxes(r);
  return sp_platform::raster::SubtractRows(sp_platform::raster::OvalBoxes(r),
                                           sp_platform::raster::OvalBoxes(inner));
}

// The current port's pixels as a box (empty without pixels).
Box PixelLimit() {
  sp_platform::PixelAccess px;
  if (!sp_platform::GetPortPixels(Port(), &px)) return Box{0, 0, 0, 0};
  return sp_platform::raster::ToBox(px.bounds);
}

Boxes ArcBoxes(const Rect& r, SInt16 startAngle, SInt16 arcAngle) {
  return sp_platform::raster::WedgeOf(sp_platform::raster::OvalBoxes(r), r, startAngle, arcAngle,
                                      PixelLimit());
}

Boxes RegionBoxes(RgnHandle rgn) {
  Boxes out;
  for (const Rect& r : sp_platform::RegionRects(rgn)) out.push_back(sp_platform::raster::ToBox(r));
  return out;
}

Boxes PolyBoxes(PolyHandle poly) {
  RgnHandle rgn = NewRgn();
  if (rgn == nullptr) return {};
  Boxes out;
  if (sp_platform::PolyToRgn(poly, rgn) == noErr) out = RegionBoxes(rgn);
  DisposeRgn(rgn);
  return out;
}

// The points of a well-formed polygon; empty otherwise.
std::vector<Point> PolyPoints(PolyHandle poly) {
  if (poly == nullptr || *poly == nullptr) return {};
  const SInt32 size = (**poly).polySize;
  if (size < 10 || GetHandleSize(reinterpret_cast<Handle>(poly)) < size) return {};
  const SInt32 count = (size - 10) / 4;
  const Point* points = (**poly).polyPoints;
  return std::vector<Point>(points, points + count);
}

}  // namespace

// ---- Rectangles ----

void FrameRect(const Rect* r) {
  if (r == nullptr) return;
  if (sp_platform::IsRecordingOutline(Port())) {
    sp_platform::RecordFrameRect(Port(), *r);
    return;
  }
  const GrafPort& port = *Port();
  Frame(sp_platform::raster::FrameRectBoxes(*r, port.pnSize.h, port.pnSize.v));
}

void PaintRect(const Rect* r) {
  if (r != nullptr) Apply(sp_platform::raster::RectBoxes(*r), Verb::kPaint);
}

void EraseRect(const Rect* r) {
  if (r != nullptr) Apply(sp_platform::raster::RectBoxes(*r), Verb::kErase);
}

void InvertRect(const Rect* r) {
  if (r != nullptr) Apply(sp_platform::raster::RectBoxes(*r), Verb::kInvert);
}

void FillRect(const Rect* r, const Pattern* pat) {
  if (r != nullptr) Apply(sp_platform::raster::RectBoxes(*r), Verb::kFill, pat);
}

// ---- Rounded rectangles ----

void FrameRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) {
  if (r == nullptr) return;
  const Boxes outer = sp_platform::raster::RoundRectBoxes(*r, ovalWidth, ovalHeight);
  if (RecordedArea(outer) || !PenDraws()) return;
  Rect inner;
  if (!InnerRect(*r, &inner)) return Frame(outer);
  const GrafPort& port = *Port();
  Frame(sp_platform::raster::SubtractRows(
      outer, sp_platform::raster::RoundRectBoxes(inner, ovalWidth - 2 * port.pnSize.h,
                                                 ovalHeight - 2 * port.pnSize.v)));
}

void PaintRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) {
  if (r != nullptr)
    Apply(sp_platform::raster::RoundRectBoxes(*r, ovalWidth, ovalHeight), Verb::kPaint);
}

void EraseRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) {
  if (r != nullptr)
    Apply(sp_platform::raster::RoundRectBoxes(*r, ovalWidth, ovalHeight), Verb::kErase);
}

void InvertRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) {
  if (r != nullptr) {
    Apply(sp_platform::raster::RoundRectBoxes(*r, ovalWidth, ovalHeight), Verb::kInvert);
  }
}

void FillRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight, const Pattern* pat) {
  if (r != nullptr) {
    Apply(sp_platform::raster::RoundRectBoxes(*r, ovalWidth, ovalHeight), Verb::kFill, pat);
  }
}

// ---- Ovals ----

void FrameOval(const Rect* r) {
  if (r == nullptr) return;
  if (sp_platform::IsRecordingOutline(Port())) {
    RecordedArea(sp_platform::raster::OvalBoxes(*r));
    return;
  }
  Frame(FrameOvalBoxes(*r));
}

void PaintOval(const Rect* r) {
  if (r != nullptr) Apply(sp_platform::raster::OvalBoxes(*r), Verb::kPaint);
}

void EraseOval(const Rect* r) {
  if (r != nullptr) Apply(sp_platform::raster::OvalBoxes(*r), Verb::kErase);
}

void InvertOval(const Rect* r) {
  if (r != nullptr) Apply(sp_platform::raster::OvalBoxes(*r), Verb::kInvert);
}

void FillOval(const Rect* r, const Pattern* pat) {
  if (r != nullptr) Apply(sp_platform::raster::OvalBoxes(*r), Verb::kFill, pat);
}

// ---- Arcs ----
// A framed arc adds nothing to a recorded outline (as in QuickDraw); the pen is hidden then,
// so nothing is drawn either.

void FrameArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle) {
  if (r == nullptr) return;
  Frame(sp_platform::raster::WedgeOf(FrameOvalBoxes(*r), *r, startAngle, arcAngle, PixelLimit()));
}

void PaintArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle) {
  if (r == nullptr) return;
  Apply(ArcBoxes(*r, startAngle, arcAngle), Verb::kPaint);
}

void EraseArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle) {
  if (r == nullptr) return;
  Apply(ArcBoxes(*r, startAngle, arcAngle), Verb::kErase);
}

void InvertArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle) {
  if (r == nullptr) return;
  Apply(ArcBoxes(*r, startAngle, arcAngle), Verb::kInvert);
}

void FillArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle, const Pattern* pat) {
  if (r == nullptr) return;
  Apply(ArcBoxes(*r, startAngle, arcAngle), Verb::kFill, pat);
}

// ---- Regions ----

void FrameRgn(RgnHandle rgn) {
  if (rgn == nullptr) return;
  GrafPtr port = Port();
  if (sp_platform::IsRecordingOutline(port)) {
    sp_platform::RecordFrameArea(port, rgn);
    return;
  }
  if (sp_platform::raster::PenHidden(port) || !PenDraws()) return;
  RgnHandle ring = NewRgn();
  if (ring == nullptr) return;
  CopyRgn(rgn, ring);
  InsetRgn(ring, port->pnSize.h, port->pnSize.v);
  DiffRgn(rgn, ring, ring);
  if (QDError() == noErr) Frame(RegionBoxes(ring));
  DisposeRgn(ring);
}

void PaintRgn(RgnHandle rgn) {
  Apply(RegionBoxes(rgn), Verb::kPaint);
}

void EraseRgn(RgnHandle rgn) {
  Apply(RegionBoxes(rgn), Verb::kErase);
}

void InvertRgn(RgnHandle rgn) {
  Apply(RegionBoxes(rgn), Verb::kInvert);
}

void FillRgn(RgnHandle rgn, const Pattern* pat) {
  Apply(RegionBoxes(rgn), Verb::kFill, pat);
}

// ---- Polygons ----

void FramePoly(PolyHandle poly) {
  const std::vector<Point> points = PolyPoints(poly);
  if (points.size() < 2) return;
  GrafPtr port = Port();
  if (sp_platform::IsRecordingOutline(port)) {
    for (std::size_t i = 1; i < points.size(); ++i) {
      sp_platform::RecordLine(port, points[i - 1], points[i]);
    }
    return;
  }
  if (sp_platform::raster::PenHidden(port)) return;
  // One shape for every side, so that a corner is drawn once even in an inverting mode.
  sp_platform::raster::RowBuilder rows;
  for (std::size_t i = 1; i < points.size(); ++i) {
    for (const Box& b :
         sp_platform::raster::LineBoxes(points[i - 1], points[i], port->pnSize.h, port->pnSize.v)) {
      rows.AddBox(b);
    }
  }
  Frame(rows.Finish());
}

void PaintPoly(PolyHandle poly) {
  if (!sp_platform::raster::PenHidden(Port())) Apply(PolyBoxes(poly), Verb::kPaint);
}

void ErasePoly(PolyHandle poly) {
  if (!sp_platform::raster::PenHidden(Port())) Apply(PolyBoxes(poly), Verb::kErase);
}

void InvertPoly(PolyHandle poly) {
  if (!sp_platform::raster::PenHidden(Port())) Apply(PolyBoxes(poly), Verb::kInvert);
}

void FillPoly(PolyHandle poly, const Pattern* pat) {
  if (pat != nullptr && !sp_platform::raster::PenHidden(Port())) {
    Apply(PolyBoxes(poly), Verb::kFill, pat);
  }
}
