// The 3D panel painters.
#include "SpPanelPainter.h"

#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"

using sp_drawing_detail::Clamp16;
using sp_drawing_detail::Shade;
using sp_drawing_detail::Within;

namespace {

const char kSource[] = "SpStdDrawingFunction.cpp";

Point Pt(long h, long v) {
  return Point{Clamp16(v), Clamp16(h)};
}
void MoveToL(long h, long v) {
  MoveTo(Clamp16(h), Clamp16(v));
}
void LineToL(long h, long v) {
  LineTo(Clamp16(h), Clamp16(v));
}
void UseColor(const RGBColor& color) {
  RGBForeColor(&color);
}

// The tab panel's outline, clockwise from the top edge; the arcs go on from the pen so the
// outline stays one closed line.
struct TabPanelGeometry {
  long l, t, r, b;  // the panel's rectangle
  long R, R2;       // corner radius and notch corner radius
  long notch, tabHeight, tabWidth;
};

void RecordTabPanelOutline(const TabPanelGeometry& g) {
  const long l = g.l, t = g.t, r = g.r, b = g.b, R = g.R, R2 = g.R2;
  const long tabBottom = t + g.tabHeight;
  const long bodyLeft = l + g.tabWidth;
  const long notchLeft = r - g.notch;
  const long notchTop = b - g.notch;
  const short radius = short(R);
  const short notchRadius = short(R2);
  MoveToL(r - R - 1, t);
  LineToL(l + R + 1, t);
  Sp_DrawFrameArc(Pt(l + R, t + R), radius, 0, -90, 0);
  LineToL(l, t + R + 1);
  LineToL(l, tabBottom - R - 1);
  Sp_DrawFrameArc(Pt(l + R, tabBottom - R), radius, -90, -90, 0);
  LineToL(l + R - 1, tabBottom);
  LineToL(bodyLeft - R + 1, tabBottom);
  // The concave corner where the tab's bottom meets the body's left edge.
  Sp_DrawFrameArc(Pt(bodyLeft - R, tabBottom + R), radius, 0, 90, 0);
  LineToL(bodyLeft, tabBottom + R + 1);
  LineToL(bodyLeft, b - R - 1);
  Sp_DrawFrameArc(Pt(bodyLeft + R, b - R), radius, -90, -90, 0);
  LineToL(bodyLeft + R - 1, b);
  LineToL(notchLeft - R2 + 1, b);
  Sp_DrawFrameArc(Pt(notchLeft - R2, b - R2), notchRadius, -180, -90, 0);
  LineToL(notchLeft, notchTop + R2);
  Sp_DrawFrameArc(Pt(notchLeft + R2, notchTop + R2), notchRadius, -90, 90, 0);
  LineToL(r - R2, notchTop);
  Sp_DrawFrameArc(Pt(r - R2, notchTop - R2), notchRadius, 180, -90, 0);
  LineToL(r, notchTop - R2 - 1);
  LineToL(r, t + R + 1);
  Sp_DrawFrameArc(Pt(r - R, t + R), radius, 90, -90, 0);
  LineToL(r - R - 1, t);
}

void StrokeTabPanelRim(const TabPanelGeometry& g, const RGBColor& face, short shadowDepth) {
  const long l = g.l, t = g.t, b = g.b, r = g.r, R = g.R, R2 = g.R2;
  const long tabBottom = t + g.tabHeight;
  const long bodyLeft = l + g.tabWidth;
  const short radius = short(R);
  auto shade = [&face](float factor) { UseColor(Shade(face, factor)); };
  auto arc = [&](long h, long v, short start, short sweep, float factor) {
    shade(factor);
    Sp_DrawFrameArc(Pt(h, v), radius, start, sweep, 1);
  };

  // The outer rim.
  PenSize(1, 1);
  shade(0.833f);
  MoveToL(r - R, t);
  LineToL(Within(r - R - 10, l + R, r - R), t);
  shade(0.81f);
  LineToL(Within(l + R + 30, l + R, r - R), t);
  shade(0.88f);
  LineToL(Within(l + R + 15, l + R, r - R), t);
  shade(0.926f);
  LineToL(l + R, t);
  arc(l + R, t + R, 0, -90, 0.88f);
  shade(0.694f);
  MoveToL(l, t + R);
  LineToL(l, Within(tabBottom - R - 30, t + R, tabBottom - R));
  shade(0.787f);
  LineToL(l, tabBottom - R);
  arc(l + R, tabBottom - R, -90, -45, 0.694f);
  arc(l + R, tabBottom - R, -135, -45, 0.556f);
  shade(0.602f);
  MoveToL(l + R, tabBottom);
  LineToL(bodyLeft - R, tabBottom);
  arc(bodyLeft - R, tabBottom + R, 0, 45, 0.602f);
  shade(0.694f);
  MoveToL(bodyLeft, tabBottom + R);
  LineToL(bodyLeft, Within(b - R - 30, tabBottom + R, b - R));
  shade(0.787f);
  LineToL(bodyLeft, b - R);
  arc(bodyLeft + R, b - R, -90, -45, 0.694f);
  arc(bodyLeft + R, b - R, -135, -45, 0.556f);
  shade(0.602f);
  MoveToL(bodyLeft + R, b);
  LineToL(r - shadowDepth - g.notch - R2, b);

  // The inner rim, one pixel inside.
  PenSize(1, 2);
  shade(1.065f);
  MoveToL(l + R, t + 1);
  LineToL(r - R, t + 1);
  arc(l + R + 1, t + R, 0, -45, 1.18f);
  arc(l + R + 1, t + R, -45, -45, 1.065f);
  shade(1.18f);
  MoveToL(l + 1, t + R);
  LineToL(l + 1, tabBottom - R);
  arc(l + R + 1, tabBottom - R - 1, -90, -45, 1.111f);
  arc(l + R + 1, tabBottom - R - 1, -135, -45, 1.065f);
  shade(0.833f);
  MoveToL(l + R, tabBottom - 1);
  LineToL(bodyLeft - R, tabBottom - 1);
  shade(1.18f);
  MoveToL(bodyLeft + 1, tabBottom + R);
  LineToL(bodyLeft + 1, b - R);
  arc(bodyLeft + R + 1, b - R - 1, -90, -45, 1.111f);
  arc(bodyLeft + R + 1, b - R - 1, -135, -45, 1.065f);
  shade(0.833f);
  MoveToL(bodyLeft + R + 1, b - 1);
  LineToL(r - g.notch - R2, b - 1);
  PenSize(1, 1);
}

}  // namespace

void SpDraw3DPanel(const Rect* r, short cornerDiameter, short depth, const RGBColor* face) {
  if (r == nullptr || face == nullptr) {
    SpReportFailure(kSource, "SpDraw3DPanel", 1, kSpMsgNullArgument);
    return;
  }
  const short radius = short(cornerDiameter / 2);
  sp_drawing_detail::SavedPenAndColor savedPen;
  RgnHandle region = sp_drawing_detail::NewRoundedPanelRegion(*r, radius);
  if (region == nullptr) {
    SpReportFailure(kSource, "SpDraw3DPanel", 2, kSpMsgMemory);
    return;
  }
  RGBColor light, dark;
  Sp_SetRGBColorByPercentage(&light, 98, 98, 98);
  Sp_SetRGBColorByPercentage(&dark, 40, 40, 40);
  sp_drawing_detail::PaintStackedShadow(region, depth, light, dark);
  UseColor(*face);
  PaintRgn(region);
  sp_drawing_detail::StrokeRoundedPanelBevel(*r, radius, *face);
  DisposeRgn(region);
}

void Sp_DrawingLeftTab3DPanelOnCurrentPort(const Rect& r, short cornerDiameter,
                                           short notchCornerDiameter, short notch, short tabHeight,
                                           short tabWidth, const RGBColor& shadowColor,
                                           const RGBColor& face, unsigned char withShadow,
                                           short shadowDepth) {
  RgnHandle outline = NewRgn();
  if (outline == nullptr) {
    SpReportFailure(kSource, "Sp_DrawingLeftTab3DPanel", 2, kSpMsgMemory);
    return;
  }
  RGBColor savedFore;
  GetForeColor(&savedFore);
  const TabPanelGeometry g{
      r.left, r.top,     r.right, r.bottom, cornerDiameter / 2, notchCornerDiameter / 2,
      notch,  tabHeight, tabWidth};
  OpenRgn();
  RecordTabPanelOutline(g);
  CloseRgn(outline);

  if (withShadow) {
    RgnHandle shadow = NewRgn();
    if (shadow != nullptr) {
      // Only the rim below and right of the face shows: the rest of the shadow is cut away
      // before the face covers it.
      const long right = notch > 0 ? g.r - notch - cornerDiameter : g.r - g.R;
      const long bottom = notch > 0 ? g.b - notch - cornerDiameter : g.b - g.R;
      const Rect cut{Clamp16(g.t - 10), Clamp16(g.l - 10), Clamp16(bottom - shadowDepth),
                     Clamp16(right - shadowDepth)};
      RectRgn(shadow, &cut);
      DiffRgn(outline, shadow, shadow);
      const RGBColor black{0, 0, 0};
      sp_drawing_detail::PaintStackedShadow(shadow, shadowDepth, shadowColor, black);
      DisposeRgn(shadow);
    }
  }
  UseColor(face);
  PaintRgn(outline);
  StrokeTabPanelRim(g, face, shadowDepth);
  DisposeRgn(outline);
  RGBForeColor(&savedFore);
}
