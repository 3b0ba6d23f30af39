// The drawing functions' colours, frames and panels: colour arithmetic, colour tables,
// recolouring an area, 3D frames and the rounded panel with its shadow and bevel.
#include <cmath>

#include "ByteOrder.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"

using sp_drawing_detail::Clamp16;
using sp_drawing_detail::kSource;
using sp_drawing_detail::Within;

namespace {

constexpr UInt16 kFrameGrey = 6898;
constexpr RGBColor kWhite{65535, 65535, 65535};
constexpr RGBColor kBlack{0, 0, 0};

UInt16 PercentToComponent(float percent) {
  if (!(percent > 0.0f)) percent = 0.0f;  // NaN too
  if (percent > 100.0f) percent = 100.0f;
  // The product is rounded to single precision before it is truncated: 50 % gives 32767.
  return UInt16(static_cast<float>(double(percent) * 655.35));
}

UInt16 By255(unsigned short value) {
  return UInt16(UInt32(static_cast<float>(value * 257.0)) & 0xFFFFu);
}

// From + (to - from) x rate, truncated toward the smaller of the two, within 0 ... 65535.
UInt16 MixComponent(UInt16 from, UInt16 to, float rate) {
  if (from == to) return from;
  const bool fromSmaller = from < to;
  const float lo = fromSmaller ? from : to;
  const float hi = fromSmaller ? to : from;
  const float weight = fromSmaller ? rate : 1.0f - rate;
  const float mixed = std::fmaf(hi - lo, weight, lo);
  if (!(mixed > 0.0f)) return 0;
  if (mixed >= 65535.0f) return 65535;
  return UInt16(mixed);
}

UInt16 ClampComponent(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 65535.0f) return 65535;
  return UInt16(value);
}

Point Pt(long h, long v) {
  return Point{Clamp16(v), Clamp16(h)};
}
void MoveToL(long h, long v) {
  MoveTo(Clamp16(h), Clamp16(v));
}
void LineToL(long h, long v) {
  LineTo(Clamp16(h), Clamp16(v));
}
Rect RectL(long left, long top, long right, long bottom) {
  return Rect{Clamp16(top), Clamp16(left), Clamp16(bottom), Clamp16(right)};
}

void UseColor(const RGBColor& color) {
  RGBForeColor(&color);
}

}  // namespace

// ---- Shared with the panel painters and the colour table ----

namespace sp_drawing_detail {

RGBColor Shade(const RGBColor& color, float factor) {
  RGBColor out;
  Sp_RGBInBetweenColor(&kBlack, &color, factor, &out);
  return out;
}

int ClutSizeField(Handle clut) {
  if (clut == nullptr || *clut == nullptr) return -1;
  sp::ByteReader reader(*clut, std::size_t(GetHandleSize(clut)));
  reader.Skip(6);  // seed, flags
  const SInt16 size = reader.SBE16();
  return reader.Ok() ? size : -1;
}

int ClutEntryCount(Handle clut) {
  const int sizeField = ClutSizeField(clut);
  if (sizeField < 0) return 0;
  const long held = (long(GetHandleSize(clut)) - 8) / 8;
  return int(std::min<long>(sizeField + 1L, held));
}

bool ClutEntryColor(Handle clut, int index, RGBColor* color) {
  if (index < 0 || index >= ClutEntryCount(clut)) return false;
  sp::ByteReader reader(*clut, std::size_t(GetHandleSize(clut)));
  reader.Seek(8 + std::size_t(index) * 8 + 2);  // past the header and the entry's value
  RGBColor c;
  c.red = reader.BE16();
  c.green = reader.BE16();
  c.blue = reader.BE16();
  if (!reader.Ok()) return false;
  *color = c;
  return true;
}

RgnHandle NewRoundedPanelRegion(const Rect& p, short radius) {
  RgnHandle region = NewRgn();
  if (region == nullptr) return nullptr;
  const long l = p.left, t = p.top, r = p.right, b = p.bottom, R = radius;
  // The arcs go on from the pen (move first 0), so the outline stays one closed line.
  OpenRgn();
  MoveToL(r - R - 1, t);
  LineToL(l + R + 1, t);
  Sp_DrawFrameArc(Pt(l + R, t + R), radius, 0, -90, 0);
  LineToL(l, t + R + 1);
  LineToL(l, b - R - 1);
  Sp_DrawFrameArc(Pt(l + R, b - R), radius, -90, -90, 0);
  LineToL(l + R + 1, b);
  LineToL(r - R - 1, b);
  Sp_DrawFrameArc(Pt(r - R, b - R), radius, -180, -90, 0);
  LineToL(r, b - R - 1);
  LineToL(r, t + R + 1);
  Sp_DrawFrameArc(Pt(r - R, t + R), radius, 90, -90, 0);
  LineToL(r - R - 1, t);
  CloseRgn(region);
  return region;
}

void PaintStackedShadow(RgnHandle region, short depth, const RGBColor& farColor,
                        const RGBColor& nearColor) {
  if (region == nullptr || depth <= 0) return;
  OffsetRgn(region, depth, depth);
  for (short i = 0; i < depth; ++i) {
    RGBColor color;
    Sp_RGBInBetweenColor(&farColor, &nearColor, float(i + 1) / float(depth), &color);
    UseColor(color);
    PaintRgn(region);
    OffsetRgn(region, -1, -1);
  }
}

void StrokeRoundedPanelBevel(const Rect& p, short radius, const RGBColor& face) {
  const long l = p.left, t = p.top, r = p.right, b = p.bottom, R = radius;
  auto shade = [&face](float factor) { UseColor(Shade(face, factor)); };
  // An eighth of the circle (-45 degrees) in one shade, from its own start point.
  auto arc = [&](long h, long v, short start, float factor) {
    shade(factor);
    Sp_DrawFrameArc(Pt(h, v), radius, start, -45, 1);
  };

  // The outer rim: light at the top, darker down the left, darkest along the bottom.
  PenSize(1, 2);
  shade(0.833f);
  MoveToL(r - R, t);
  LineToL(Within(r - R - 10, l + R, r - R), t);
  shade(0.81f);
  LineToL(Within(l + R + 30, l + R, r - R), t);
  shade(0.88f);
  LineToL(Within(l + R + 15, l + R, r - R), t);
  shade(0.926f);
  LineToL(l + R, t);
  PenSize(2, 2);
  shade(0.88f);
  Sp_DrawFrameArc(Pt(l + R, t + R), radius, 0, -90, 1);
  PenSize(2, 1);
  shade(0.694f);
  MoveToL(l, t + R);
  LineToL(l, Within(b - R - 30, t + R, b - R));
  shade(0.787f);
  LineToL(l, b - R);
  PenSize(2, 2);
  arc(l + R, b - R, -90, 0.694f);
  arc(l + R, b - R, -135, 0.602f);
  PenSize(1, 2);
  shade(0.602f);
  MoveToL(l + R + 1, b);
  LineToL(r - R - 1, b);
  PenSize(2, 2);
  arc(r - R, b - R, -180, 0.556f);
  arc(r - R, b - R, -225, 0.694f);
  PenSize(2, 1);
  shade(0.75f);
  MoveToL(r, b - R - 1);
  LineToL(r, t + R + 1);
  PenSize(2, 2);
  arc(r - R, t + R, 90, 0.787f);
  arc(r - R, t + R, 45, 0.8f);

  // The inner rim, one pixel inside: a highlight along the top and left.
  PenSize(1, 2);
  shade(1.18f);
  MoveToL(r - R, t + 1);
  LineToL(l + R, t + 1);
  PenSize(2, 2);
  arc(l + R + 1, t + R, 0, 1.25f);
  arc(l + R + 1, t + R, -45, 1.2f);
  PenSize(2, 1);
  shade(1.18f);
  MoveToL(l + 1, t + R);
  LineToL(l + 1, b - R);
  PenSize(2, 2);
  arc(l + R + 1, b - R - 1, -90, 1.05f);
  arc(l + R + 1, b - R - 1, -135, 0.97f);
  PenSize(1, 2);
  shade(0.833f);
  MoveToL(l + R, b - 1);
  LineToL(r - R, b - 1);
  PenSize(2, 2);
  arc(r - R - 1, b - R - 1, -180, 0.79f);
  arc(r - R - 1, b - R - 1, -225, 0.82f);
  PenSize(2, 1);
  shade(0.92f);
  MoveToL(r - 1, b - R);
  LineToL(r - 1, t + R);
  PenSize(2, 2);
  arc(r - R - 1, t + R, 90, 0.98f);
  arc(r - R - 1, t + R, 45, 1.05f);
}

}  // namespace sp_drawing_detail

// ---- Colour arithmetic ----

void Sp_SetRGBColor(RGBColor* color, unsigned short red, unsigned short green,
                    unsigned short blue) {
  if (color == nullptr) {
    SpReportFailure(kSource, "Sp_SetRGBColor", 1, kSpMsgPointerArg);
    return;
  }
  *color = RGBColor{red, green, blue};
}

void Sp_SetRGBColorBy255(RGBColor* color, unsigned short red, unsigned short green,
                         unsigned short blue) {
  if (color == nullptr) {
    SpReportFailure(kSource, "Sp_SetRGBColorBy255", 1, kSpMsgPointerArg);
    return;
  }
  *color = RGBColor{By255(red), By255(green), By255(blue)};
}

void Sp_SetRGBColorByPercentage(RGBColor* color, float red, float green, float blue) {
  if (color == nullptr) {
    SpReportFailure(kSource, "Sp_SetRGBColorByPercentage", 0, kSpMsgPointerArg);
    return;
  }
  *color = RGBColor{PercentToComponent(red), PercentToComponent(green), PercentToComponent(blue)};
}

unsigned char Sp_RGBcmp(const RGBColor* color1, const RGBColor* color2) {
  if (color1 == nullptr || color2 == nullptr) {
    return SpReportFailure(kSource, "Sp_RGBcmp", 1, kSpMsgPointerArg,
                           static_cast<unsigned char>(0));
  }
  return color1->red == color2->red && color1->green == color2->green &&
                 color1->blue == color2->blue
             ? 1
             : 0;
}

void Sp_RGBInBetweenColor(const RGBColor* from, const RGBColor* to, float rate, RGBColor* out) {
  if (from == nullptr || to == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_RGBInBetweenColor", 1, kSpMsgPointerArg);
    return;
  }
  if (!(rate > 0.0f)) rate = 0.0f;
  const RGBColor a = *from;
  const RGBColor b = *to;
  *out = RGBColor{MixComponent(a.red, b.red, rate), MixComponent(a.green, b.green, rate),
                  MixComponent(a.blue, b.blue, rate)};
}

unsigned char Sp_GetColorLoolupTableColorValue(short clutID, short index, RGBColor& out) {
  Handle clut = GetResource(sp_drawing_detail::kClutType, clutID);
  if (clut == nullptr) return 0;
  HLock(clut);
  RGBColor color;
  // The index is checked against the table's own size field as well as against its bytes.
  const bool found = index <= sp_drawing_detail::ClutSizeField(clut) &&
                     sp_drawing_detail::ClutEntryColor(clut, index, &color);
  HUnlock(clut);
  if (HomeResFile(clut) >= kSpApplicationResFile) ReleaseResource(clut);
  if (!found) return 0;
  out = color;
  return 1;
}

// ---- Recolouring an area ----

void Sp_ModifyAreaColor(unsigned char mode, const Rect* rect, float rate) {
  if (rect == nullptr) {
    SpReportFailure(kSource, "Sp_ModifyAreaColor", 1, kSpMsgPointerArg);
    return;
  }
  RGBColor savedFore;
  GetForeColor(&savedFore);
  for (int x = rect->left; x < rect->right; ++x) {
    for (int y = rect->top; y < rect->bottom; ++y) {
      RGBColor c;
      GetCPixel(SInt16(x), SInt16(y), &c);
      UInt16* components[] = {&c.red, &c.green, &c.blue};
      for (UInt16* component : components) {
        const float value = *component;
        *component = mode == 0 ? ClampComponent(value + std::trunc((65535.0f - value) * rate))
                               : ClampComponent(std::trunc(value * rate));
      }
      SetCPixel(SInt16(x), SInt16(y), &c);
    }
  }
  RGBForeColor(&savedFore);
}

// ---- 3D frames ----

void Sp_Draw3DFrame(GrafPtr port, const Rect* rect, t3DRectDrowType type) {
  if (rect == nullptr) {
    SpReportFailure(kSource, "Sp_Draw3DFrame", 1, kSpMsgPointerArg);
    return;
  }
  sp_drawing_detail::SavedGWorld savedWorld;
  if (port != nullptr) SetGWorld(port, GetMainDevice());
  sp_drawing_detail::SavedPenAndColor savedPen;
  PenSize(1, 1);

  const RGBColor frameGrey{kFrameGrey, kFrameGrey, kFrameGrey};
  RGBColor back;
  GetBackColor(&back);
  const RGBColor shade{UInt16(UInt32(back.red) * 3 / 10), UInt16(UInt32(back.green) * 3 / 10),
                       UInt16(UInt32(back.blue) * 3 / 10)};
  RGBColor mid = frameGrey;
  GetGray(GetMainDevice(), &back, &mid);

  const long l = long(rect->left) - 1, t = long(rect->top) - 1;
  const long r = long(rect->right) + 1, b = long(rect->bottom) + 1;
  if (type == kSp3DFrameSunken) {
    PenSize(2, 2);
    UseColor(shade);
    MoveToL(l - 1, b - 2);
    LineToL(l - 1, t - 1);
    UseColor(mid);
    LineToL(r, t - 1);
    PenSize(1, 1);
    UseColor(kWhite);
    MoveToL(l - 1, b + 1);
    LineToL(r + 1, b + 1);
    LineToL(r + 1, t);
  } else {
    PenSize(2, 2);
    UseColor(kWhite);
    MoveToL(l + 1, b - 2);
    LineToL(l + 1, t + 1);
    LineToL(r - 2, t + 1);
    UseColor(mid);
    MoveToL(l, b - 2);
    LineToL(r - 2, b - 2);
    UseColor(shade);
    LineToL(r - 2, t + 2);
  }
  PenSize(1, 1);
  UseColor(frameGrey);
  const Rect frame = RectL(l, t, r, b);
  FrameRect(&frame);
}

void Sp_Draw3DFrameVer2(GrafPtr port, const Rect* rect, const RGBColor* baseColor, float darkRate,
                        float lightRate, t3DRectDrowType type, unsigned char outside) {
  if (rect == nullptr || baseColor == nullptr) {
    SpReportFailure(kSource, "Sp_Draw3DFrameVer2", 1, kSpMsgPointerArg);
    return;
  }
  sp_drawing_detail::SavedGWorld savedWorld;
  if (port != nullptr) SetGWorld(port, GetMainDevice());
  sp_drawing_detail::SavedPenAndColor savedPen;
  PenSize(1, 1);

  RGBColor dark, light;
  Sp_RGBInBetweenColor(baseColor, &kBlack, darkRate, &dark);
  Sp_RGBInBetweenColor(baseColor, &kWhite, lightRate, &light);
  const long inset = outside ? 0 : 2;
  const long l = rect->left + inset, t = rect->top + inset;
  const long r = rect->right - inset, b = rect->bottom - inset;
  const bool sunken = type == kSp3DFrameSunken;

  UseColor(sunken ? dark : light);
  MoveToL(l - 1, b);
  LineToL(l - 1, t - 1);
  LineToL(r, t - 1);
  MoveToL(l - 2, b + 1);
  LineToL(l - 2, t - 2);
  LineToL(r + 1, t - 2);

  UseColor(sunken ? light : dark);
  MoveToL(l, b);
  LineToL(r, b);
  LineToL(r, t);
  MoveToL(l - 1, b + 1);
  LineToL(r + 1, b + 1);
  LineToL(r + 1, t - 1);
}

void Sp_Delete3DFrame(GrafPtr port, const Rect* rect, t3DRectDrowType type) {
  if (port == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_Delete3DFrame", 1, kSpMsgPointerArg);
    return;
  }
  // Exactly the pixels Sp_Draw3DFrame draws: the sunken frame lies outside the rectangle (two
  // pixels above and left of it, three below and right), the raised one on the rectangle's
  // outer pixels and the ring just outside it.
  const long l = long(rect->left) - 1, t = long(rect->top) - 1;
  const long r = long(rect->right) + 1, b = long(rect->bottom) + 1;
  Rect outer, inner;
  if (type == kSp3DFrameSunken) {
    outer = RectL(l - 1, t - 1, r + 2, b + 2);
    inner = RectL(l + 1, t + 1, r - 1, b - 1);
  } else {
    outer = RectL(l, t, r, b);
    inner = RectL(l + 3, t + 3, r - 2, b - 2);
  }
  RgnHandle outerRgn = NewRgn();
  RgnHandle innerRgn = NewRgn();
  RgnHandle ring = NewRgn();
  if (outerRgn == nullptr || innerRgn == nullptr || ring == nullptr) {
    SpReportFailure(kSource, "Sp_Delete3DFrame", 2, sp_drawing_detail::kMsgNoRegionMemory);
  } else {
    RectRgn(outerRgn, &outer);
    RectRgn(innerRgn, &inner);
    DiffRgn(outerRgn, innerRgn, ring);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(port);
    EraseRgn(ring);
    SetPort(saved);
  }
  DisposeRgn(outerRgn);
  DisposeRgn(innerRgn);
  DisposeRgn(ring);
}

// ---- The rounded panel ----

void Sp_Draw3DSmoothPanel(const Rect& rect, short radius, short shadowWidth,
                          const RGBColor& panelColor, const RGBColor& shadowColor) {
  Rect p = rect;
  p.bottom = Clamp16(long(p.bottom) - shadowWidth);
  p.right = Clamp16(long(p.right) - shadowWidth);
  RgnHandle region = sp_drawing_detail::NewRoundedPanelRegion(p, radius);
  if (region == nullptr) {
    SpReportFailure(kSource, "Sp_Draw3DSmoothPanel", 2, kSpMsgMemory);
    return;
  }
  sp_drawing_detail::PaintStackedShadow(region, shadowWidth,
                                        sp_drawing_detail::Shade(shadowColor, 0.98f),
                                        sp_drawing_detail::Shade(shadowColor, 0.4f));
  UseColor(panelColor);
  PaintRgn(region);
  sp_drawing_detail::StrokeRoundedPanelBevel(p, radius, panelColor);
  DisposeRgn(region);
}
