// The drawing functions' shapes: arcs and circles, soft shadows, the caret, the default-button
// ring, dotted and dashed lines and the zoom-rect animation.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Clock.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"

using sp_drawing_detail::Clamp16;
using sp_drawing_detail::kSource;

namespace {

constexpr double kPi = 3.141593;

const char kMsgNoBufferMemory[] = "Can't allocated memory !! ";

// Angles of a whole turn or more lose their whole turns (the fraction is kept); negative
// angles are brought into 0 ... 360.
double ReduceAngle(double angle) {
  if (angle >= 360.0 || angle <= -360.0) {
    const double whole = std::trunc(angle);
    angle = std::fmod(whole, 360.0) + (angle - whole);
  }
  if (angle < 0.0) angle += 360.0;
  return angle;
}

// The offset from the centre of the point at the angle; the quarter angles exactly.
void CircleOffset(double radius, double angle, double* dh, double* dv) {
  angle = ReduceAngle(angle);
  if (angle == 0.0) {
    *dh = 0.0;
    *dv = -radius;
  } else if (angle == 90.0) {
    *dh = radius;
    *dv = 0.0;
  } else if (angle == 180.0) {
    *dh = 0.0;
    *dv = radius;
  } else if (angle == 270.0) {
    *dh = -radius;
    *dv = 0.0;
  } else {
    const double a = angle * kPi / 180.0;
    *dh = std::sin(a) * radius;
    *dv = -std::cos(a) * radius;
  }
}

const Pattern* DotPattern(SInt16 id, Pattern* fallback) {
  PatHandle pattern = GetPattern(id);
  if (pattern != nullptr && *pattern != nullptr) return *pattern;
  // Any dotted pattern serves when the application's is missing.
  return GetQDGlobalsGray(fallback);
}

void Line(long h1, long v1, long h2, long v2) {
  MoveTo(Clamp16(h1), Clamp16(v1));
  LineTo(Clamp16(h2), Clamp16(v2));
}

}  // namespace

// ---- Arcs and circles ----

void Sp_GetCerclePosition(Point center, short radius, float angle, Point& out) {
  if (radius == 0) {
    out = center;
    return;
  }
  double dh = 0, dv = 0;
  CircleOffset(radius, angle, &dh, &dv);
  out.h = Clamp16(long(center.h) + long(std::trunc(dh)));
  out.v = Clamp16(long(center.v) + long(std::trunc(dv)));
}

void Sp_GetCerclePositionByFloat(const sFloatPoint& center, float radius, float angle,
                                 sFloatPoint& out) {
  if (radius == 0.0f) {
    out = center;
    return;
  }
  double dh = 0, dv = 0;
  CircleOffset(radius, angle, &dh, &dv);
  out.h = float(center.h + dh);
  out.v = float(center.v + dv);
}

void Sp_DrawFrameArc(Point center, short radius, short startAngle, short arcAngle,
                     unsigned char moveFirst) {
  if (arcAngle == 0) return;
  long start = startAngle;
  if (start < -359 || start > 359) start %= 360;
  const double sweep = std::abs(double(arcAngle));
  // One pixel of arc length a step, but never fewer than two steps nor more than 720.
  double step = sweep;  // a radius of 0 (or less) is a point: one step
  if (radius > 0) {
    const double pixel = (360.0 / radius) * 0.5 / kPi;
    const double count = sweep / pixel;
    step = count < 2.0 ? sweep * 0.5 : count > 720.0 ? sweep / 720.0 : pixel;
  }
  if (arcAngle < 0) step = -step;

  Point last;
  Sp_GetCerclePosition(center, radius, float(start), last);
  if (moveFirst) MoveTo(last.h, last.v);
  double lastT = 0.0;
  for (long k = 1;; ++k) {
    const double t = double(k) * step;
    if (arcAngle > 0 ? t > arcAngle : t < arcAngle) break;
    Point p;
    Sp_GetCerclePosition(center, radius, float(start + t), p);
    if (!EqualPt(p, last)) {
      LineTo(p.h, p.v);
      last = p;
    }
    lastT = t;
  }
  if (lastT != double(arcAngle)) {
    Point end;
    Sp_GetCerclePosition(center, radius, float(start + arcAngle), end);
    LineTo(end.h, end.v);
  }
}

void Sp_DrawCircle(Point center, short radius) {
  const SInt16 top = Clamp16(long(center.v) - radius);
  MoveTo(center.h, top);
  Sp_DrawFrameArc(center, radius, 1, 359, 0);
  LineTo(center.h, top);
}

// ---- Shadows ----

namespace {

// The black and the grey mask a shadow is copied through. Both are of one colour all over, so
// one pair serves every shadow that fits it: a note redrawn while it is dragged or grown does
// not make, clear and paint two offscreens of its whole size at every redraw. The pair grows
// to the largest shadow asked for and is painted again only when the grey or the depth changes.
class ShadowInk {
 public:
  ShadowInk() = default;
  ShadowInk(const ShadowInk&) = delete;
  ShadowInk& operator=(const ShadowInk&) = delete;

  // Fits the pair to the size, depth and grey; false when memory ran out (the pair is gone).
  bool Fit(const Rect& bounds, SInt16 depth, float through) {
    const SInt16 width = SInt16(bounds.right - bounds.left);
    const SInt16 height = SInt16(bounds.bottom - bounds.top);
    if (colour_ == nullptr || width > width_ || height > height_ || depth != depth_) {
      Drop();
      width_ = std::max(width, width_);
      height_ = std::max(height, height_);
      depth_ = depth;
      const Rect whole{0, 0, height_, width_};
      if (NewGWorld(&colour_, depth, &whole, nullptr, nullptr, 0) != noErr ||
          NewGWorld(&mask_, 8, &whole, nullptr, nullptr, 0) != noErr) {
        Drop();
        return false;
      }
      const RGBColor black{0, 0, 0};
      SetGWorld(colour_, nullptr);
      RGBForeColor(&black);
      PaintRect(&whole);
      painted_ = false;
    }
    if (!painted_ || through != through_) {
      const Rect whole{0, 0, height_, width_};
      SetGWorld(mask_, nullptr);
      RGBColor grey;
      Sp_SetRGBColorByPercentage(&grey, through, through, through);
      RGBForeColor(&grey);
      PaintRect(&whole);
      through_ = through;
      painted_ = true;
    }
    return true;
  }
  bool Ready() const { return colour_ != nullptr && mask_ != nullptr; }
  GWorldPtr Colour() const { return colour_; }
  GWorldPtr Mask() const { return mask_; }

 private:
  void Drop() {
    if (mask_ != nullptr) DisposeGWorld(mask_);
    if (colour_ != nullptr) DisposeGWorld(colour_);
    mask_ = colour_ = nullptr;
    width_ = height_ = 0;
    painted_ = false;
  }

  GWorldPtr colour_ = nullptr;
  GWorldPtr mask_ = nullptr;
  SInt16 width_ = 0;
  SInt16 height_ = 0;
  SInt16 depth_ = 0;
  float through_ = 0;
  bool painted_ = false;
};

// Made once and kept to the end: offscreens are not disposed of after the toolbox is gone.
ShadowInk& ShadowInkFor(const Rect& bounds, SInt16 depth, float through) {
  static ShadowInk* ink = new ShadowInk;
  ink->Fit(bounds, depth, through);
  return *ink;
}

}  // namespace

void Sp_DrawShadowRect(GrafPtr port, const Rect& rect, float darkness, short softness,
                       RgnHandle mask, unsigned char usePortClip) {
  if (port == nullptr) {
    SpReportFailure(kSource, "Sp_DrawShadowRect", 1, kSpMsgPointerArg);
    return;
  }
  if (EmptyRect(&rect) || (mask != nullptr && EmptyRgn(mask))) return;

  // The mask's grey is the share of the port's pixels that shows through one pass; passes
  // stack, each one pixel further in, so a soft shadow lets more through at each pass.
  float through = darkness >= 100.0f ? 0.0f : darkness <= 0.0f ? 100.0f : 100.0f - darkness;
  short passes = 1;
  if (softness > 0) {
    through = through + (100.0f - through) * float(softness) / float(softness + 1);
    passes = short(softness + 1);
  }

  sp_drawing_detail::SavedGWorld savedWorld;
  const Rect bounds{0, 0, Clamp16(long(rect.bottom) - rect.top),
                    Clamp16(long(rect.right) - rect.left)};
  ShadowInk& ink = ShadowInkFor(bounds, Sp_GetScreenDepth(), through);
  if (!ink.Ready()) {
    SpReportFailure(kSource, "Sp_DrawShadowRect", 2, kSpMsgMemory);
    return;
  }
  GWorldPtr colorWorld = ink.Colour();
  GWorldPtr maskWorld = ink.Mask();
  const RGBColor black{0, 0, 0};

  RgnHandle clipCopy = nullptr;
  RgnHandle maskRgn = mask;
  if (usePortClip) {
    clipCopy = NewRgn();
    if (clipCopy != nullptr) {
      GetPortClipRegion(port, clipCopy);
      if (mask != nullptr) SectRgn(clipCopy, mask, clipCopy);
      maskRgn = clipCopy;
    }
  }

  SetGWorld(port, GetMainDevice());
  RGBColor savedFore;
  GetForeColor(&savedFore);
  RGBForeColor(&black);
  Rect destination = rect;
  for (short pass = 0; pass < passes; ++pass) {
    CopyDeepMask(GetPortBitMapForCopyBits(colorWorld), GetPortBitMapForCopyBits(maskWorld),
                 GetPortBitMapForCopyBits(port), &bounds, &bounds, &destination, srcCopy, maskRgn);
    InsetRect(&destination, 1, 1);
  }
  RGBForeColor(&savedFore);

  DisposeRgn(clipCopy);
}

void Sp_DrawShadowRectOnCurrentPort(const Rect& rect, float darkness, short softness,
                                    RgnHandle mask, unsigned char usePortClip) {
  GrafPtr port = nullptr;
  GetPort(&port);
  Sp_DrawShadowRect(port, rect, darkness, softness, mask, usePortClip);
}

void Sp_DrawShadowRegion(GrafPtr port, RgnHandle rgn, float darkness, short softness,
                         unsigned char usePortClip) {
  if (port == nullptr) {
    SpReportFailure(kSource, "Sp_DrawShadowRegion", 1, kSpMsgPointerArg);
    return;
  }
  if (rgn == nullptr || EmptyRgn(rgn)) return;
  Rect bounds;
  GetRegionBounds(rgn, &bounds);
  Sp_DrawShadowRect(port, bounds, darkness, softness, rgn, usePortClip);
}

void Sp_DrawShadowRegionOnCurrentPort(RgnHandle rgn, float darkness, short softness,
                                      unsigned char usePortClip) {
  GrafPtr port = nullptr;
  GetPort(&port);
  Sp_DrawShadowRegion(port, rgn, darkness, softness, usePortClip);
}

// ---- Caret and rings ----

void Sp_DrawCaret(const Rect* clip, Point start, Point end, short width) {
  if (clip == nullptr) {
    SpReportFailure(kSource, "Sp_DrawCaret", 1, kSpMsgPointerArg);
    return;
  }
  sp_drawing_detail::SavedClip savedClip;
  if (!sp_drawing_detail::ClipToRect(savedClip, *clip)) {
    SpReportFailure(kSource, "Sp_DrawCaret", 2, sp_drawing_detail::kMsgNoRegionMemory);
    return;
  }
  {
    sp_drawing_detail::SavedPenAndColor savedPen;
    const RGBColor black{0, 0, 0};
    PenMode(patXor);
    PenSize(width > 1 ? width : 1, 1);
    RGBForeColor(&black);
    MoveTo(start.h, start.v);
    LineTo(end.h, end.v);
  }
  PenNormal();
}

void Sp_DrawDialogDefaultButtonFrame(CGrafPtr dialogPort, const Rect* itemRect) {
  if (dialogPort == nullptr || itemRect == nullptr) {
    SpReportFailure(kSource, "Sp_DrawDialogDefaultButtonFrame", 1, kSpMsgPointerArg);
    return;
  }
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  SetPort(dialogPort);
  PenState savedPen;
  GetPenState(&savedPen);
  PenSize(3, 3);
  const Rect ring{Clamp16(long(itemRect->top) - 4), Clamp16(long(itemRect->left) - 4),
                  Clamp16(long(itemRect->bottom) + 4), Clamp16(long(itemRect->right) + 4)};
  FrameRoundRect(&ring, 18, 18);
  SetPenState(&savedPen);
  SetPort(savedPort);
}

// ---- Dotted and dashed lines ----

void Sp_DrawDotRect(const Rect* clip, const Rect* rect) {
  if (clip == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_DrawDotRect", 1, kSpMsgPointerArg);
    return;
  }
  const bool hasWidth = rect->right != rect->left;
  const bool hasHeight = rect->bottom != rect->top;
  if (!hasWidth && !hasHeight) return;
  sp_drawing_detail::SavedClip savedClip;
  if (!savedClip.Ok()) {
    SpReportFailure(kSource, "Sp_DrawDotRect", 2, sp_drawing_detail::kMsgNoRegionMemory);
    return;
  }
  Rect inner = *clip;
  InsetRect(&inner, 1, 1);
  ClipRect(&inner);
  {
    sp_drawing_detail::SavedPenAndColor savedPen;
    const RGBColor black{0, 0, 0};
    PenMode(patXor);
    PenSize(1, 1);
    RGBForeColor(&black);
    Pattern fallback;
    const Rect& r = *rect;
    if (hasWidth) {
      PenPat(DotPattern(kSpDotPatternHorizontalID, &fallback));
      Line(r.left, r.top, r.right, r.top);
      if (hasHeight) Line(r.left, r.bottom, r.right, r.bottom);
    }
    if (hasHeight) {
      PenPat(DotPattern(kSpDotPatternVerticalID, &fallback));
      Line(r.left, r.top, r.left, r.bottom);
      if (hasWidth) Line(r.right, r.top, r.right, r.bottom);
    }
  }
  PenNormal();
}

void Sp_DrawPatternDotLine(Point a, Point b) {
  const long dh = std::labs(long(a.h) - b.h);
  const long dv = std::labs(long(a.v) - b.v);
  if (dh == 0 && dv == 0) return;
  const bool steep = dh == 0 || dv / dh >= 1;
  PenState savedPen;
  GetPenState(&savedPen);
  Pattern fallback;
  PenPat(DotPattern(steep ? kSpDotPatternVerticalID : kSpDotPatternHorizontalID, &fallback));
  MoveTo(a.h, a.v);
  LineTo(b.h, b.v);
  SetPenState(&savedPen);
}

void Sp_DrawDottLine(Point a, Point b, short dash, short gap) {
  if (dash <= 0) return;
  if (gap < 0) gap = 0;
  const double dx = double(b.h) - a.h;
  const double dy = double(b.v) - a.v;
  const double length = std::hypot(dx, dy);
  if (length == 0.0) {
    Line(a.h, a.v, a.h, a.v);
    return;
  }
  const double ux = dx / length;
  const double uy = dy / length;
  // Each stroke covers `dash` pixels along the line (the pen covers both its ends).
  for (double s = 0.0; s <= length; s += double(dash) + gap) {
    const double e = std::min(s + dash - 1, length);
    Line(std::lround(a.h + ux * s), std::lround(a.v + uy * s), std::lround(a.h + ux * e),
         std::lround(a.v + uy * e));
  }
}

// ---- Zoom-rect animation ----

void Sp_RectMoveAnimation(const Rect* from, const Rect* to, short steps, const Rect* clip,
                          short trail) {
  if (from == nullptr || to == nullptr || clip == nullptr) {
    SpReportFailure(kSource, "Sp_RectMoveAnimation", 1, kSpMsgPointerArg);
    return;
  }
  if (steps <= 0) return;
  SInt32 menuAttributes = 0;
  const bool flush =
      Gestalt(gestaltMenuMgrAttr, &menuAttributes) == noErr && (menuAttributes & 0x02) != 0;
  if (trail < 1) trail = 1;
  Rect* buffer = reinterpret_cast<Rect*>(NewPtrClear(Size(trail) * Size(sizeof(Rect))));
  if (buffer == nullptr) {
    SpReportFailure(kSource, "Sp_RectMoveAnimation", 2, kMsgNoBufferMemory);
    return;
  }
  const long divisor = long(steps) + 1;
  const long dLeft = (long(to->left) - from->left) / divisor;
  const long dTop = (long(to->top) - from->top) / divisor;
  const long dRight = (long(to->right) - from->right) / divisor;
  const long dBottom = (long(to->bottom) - from->bottom) / divisor;

  GrafPtr port = nullptr;
  GetPort(&port);
  // Every frame is flushed, so the animation shows on a buffered window as it runs.
  auto show = [&]() {
    if (flush) QDFlushPortBuffer(port, nullptr);
  };
  UInt32 ticks = 0;
  Rect r = *from;
  short count = 0;
  for (short i = 0; i < steps; ++i) {
    r = Rect{Clamp16(r.top + dTop), Clamp16(r.left + dLeft), Clamp16(r.bottom + dBottom),
             Clamp16(r.right + dRight)};
    if (i > 0) Delay(2, &ticks);
    Sp_DrawDotRect(clip, &r);
    if (count < trail) {
      buffer[count++] = r;
    } else {
      // The oldest rectangle of the trail is drawn again, which takes it off the screen.
      Sp_DrawDotRect(clip, &buffer[0]);
      std::memmove(buffer, buffer + 1, std::size_t(trail - 1) * sizeof(Rect));
      buffer[trail - 1] = r;
    }
    show();
  }
  for (short k = 0; k < count; ++k) {
    Delay(2, &ticks);
    Sp_DrawDotRect(clip, &buffer[k]);
    show();
  }
  DisposePtr(reinterpret_cast<Ptr>(buffer));
}

void Sp_DrawGradation(const Rect* /*rect*/, const sGradationColorItem* /*items*/, short /*count*/,
                      tGradationType /*type*/) {
  // No gradation is painted yet: nothing in the program asks for one.
}
