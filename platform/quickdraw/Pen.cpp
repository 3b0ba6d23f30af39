// The pen: location, size, mode and pattern, and the lines it draws.
#include "QuickDraw.h"
#include "detail/Ports.h"
#include "detail/Raster.h"
#include "detail/RegionRecording.h"

namespace {

GrafPort& Current() {
  return *sp_platform::CurrentPort();
}

}  // namespace

void MoveTo(SInt16 h, SInt16 v) {
  Current().pnLoc = Point{v, h};
}

void Move(SInt16 dh, SInt16 dv) {
  GrafPort& port = Current();
  port.pnLoc = Point{SInt16(port.pnLoc.v + dv), SInt16(port.pnLoc.h + dh)};
}

void LineTo(SInt16 h, SInt16 v) {
  GrafPtr port = sp_platform::CurrentPort();
  const Point from = port->pnLoc;
  const Point to{v, h};
  port->pnLoc = to;
  if (sp_platform::IsRecordingOutline(port)) {
    sp_platform::RecordLine(port, from, to);
    return;
  }
  if (port->pnVis < 0) return;
  sp_platform::raster::PaintBoxes(
      port, sp_platform::raster::LineBoxes(from, to, port->pnSize.h, port->pnSize.v),
      sp_platform::raster::PenInk(*port));
}

void Line(SInt16 dh, SInt16 dv) {
  const Point at = Current().pnLoc;
  LineTo(SInt16(at.h + dh), SInt16(at.v + dv));
}

void GetPen(Point* pt) {
  if (pt != nullptr) *pt = Current().pnLoc;
}

void PenSize(SInt16 width, SInt16 height) {
  Current().pnSize = Point{height, width};
}

void PenMode(SInt16 mode) {
  Current().pnMode = mode;
}

void PenPat(const Pattern* pat) {
  if (pat != nullptr) Current().pnPat = *pat;
}

void BackPat(const Pattern* pat) {
  if (pat != nullptr) Current().bkPat = *pat;
}

void PenNormal() {
  GrafPort& port = Current();
  port.pnSize = Point{1, 1};
  port.pnMode = patCopy;
  GetQDGlobalsBlack(&port.pnPat);
}

void GetPenState(PenState* pnState) {
  if (pnState == nullptr) return;
  const GrafPort& port = Current();
  pnState->pnLoc = port.pnLoc;
  pnState->pnSize = port.pnSize;
  pnState->pnMode = port.pnMode;
  pnState->pnPat = port.pnPat;
}

void SetPenState(const PenState* pnState) {
  if (pnState == nullptr) return;
  GrafPort& port = Current();
  port.pnLoc = pnState->pnLoc;
  port.pnSize = pnState->pnSize;
  port.pnMode = pnState->pnMode;
  port.pnPat = pnState->pnPat;
}

void HidePen() {
  --Current().pnVis;
}

void ShowPen() {
  ++Current().pnVis;
}
