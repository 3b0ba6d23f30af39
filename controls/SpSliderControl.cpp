#include "SpSliderControl.h"

#include <algorithm>
#include <cmath>

#include "QDRegions.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpOC_Drawing.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpSliderControl";

// The largest knob across the track.
const short kKnobThickness = 14;

// A knob position far past the view stays a 16-bit coordinate.
short ClampCoordinate(double p) {
  return short(std::max(-16000.0, std::min(16000.0, p)));
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_OrigSliderControl::cSp_OrigSliderControl(WindowRef window, const Rect& area,
                                             tDirectionType direction, SInt32 minimum,
                                             SInt32 maximum, SInt32 value, cSp_View* container,
                                             unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  backgroundColour_ = SpOC_Grey(100);
  slitFrameColour_ = SpOC_Grey(60);
  slitHoleColour_ = SpOC_Grey(10);
  sliderFrameColour_ = SpOC_Grey(0);
  sliderContentColour_ = SpOC_Grey(80);
  direction_ = direction;
  SetOrigSliderCntMaxMinValue(minimum, maximum);
  value_ = value;
  const short width = short(area.right - area.left), height = short(area.bottom - area.top);
  orientation_ = width >= height ? kHorizontal : kVertical;
  const short across = orientation_ == kHorizontal ? height : width;
  knobThickness_ = std::min(kKnobThickness, across);
  // The area is in the container's coordinates; the hot spot takes its place on the window.
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) SetupHotSpotArea(visible);
  SetupAreaInfo(1);
}

cSp_OrigSliderControl::~cSp_OrigSliderControl() {
  // A slider deleted while held gives the hover tracking back.
  if (mouseDownHotSpot_GlV == static_cast<cSp_HotSpotArea*>(this)) Sp_EnableMouseTrace(0);
  ExecViewObjDeleteReady();
  ExecHotSpotObjDeleteReady();
}

// ---- Range, value and procedures ------------------------------------------------------------

void cSp_OrigSliderControl::SetOrigSliderCntMaxMinValue(SInt32 minimum, SInt32 maximum) {
  if (minimum > maximum) {
    SpReportFailure(kSource, "cSp_OrigSliderControl::SetOrigSliderCntMaxMinValue", 1,
                    kSpMsgDataError);
    return;
  }
  minimum_ = minimum;
  maximum_ = maximum;
}

void cSp_OrigSliderControl::GetOrgSliderCntMaxMinValue(SInt32& minimum, SInt32& maximum,
                                                       unsigned char relayout,
                                                       unsigned char redraw) {
  if (minimum == minimum_ && maximum == maximum_) return;
  minimum = minimum_;
  maximum = maximum_;
  if (relayout != 0) SetupAreaInfo(0);
  Mark(redraw);
}

void cSp_OrigSliderControl::SetOrigSliderCntValue(SInt32 value, unsigned char redraw,
                                                  unsigned char notify) {
  if (value == value_) return;
  value_ = value;
  SetupSliderAreaOnOffscreen(0, 1);
  if (notify != 0) {
    ExecSliderModifyValueProc();
    ExecSliderModifyValueCmpleateProc(0);
  }
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrigSliderControl::SetupSliderModifyValueProc(tSpSliderValueProcPtr proc,
                                                       unsigned long refCon) {
  modifyProc_ = proc;
  modifyRefCon_ = refCon;
}

void cSp_OrigSliderControl::ExecSliderModifyValueProc() {
  if (modifyProc_ == nullptr) return;
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  modifyProc_(value_, modifiers, modifyRefCon_);
}

void cSp_OrigSliderControl::SetupSliderModifyValueCmpleateProc(tSpSliderValueProcPtr proc,
                                                               unsigned long refCon) {
  completionProc_ = proc;
  completionRefCon_ = refCon;
}

void cSp_OrigSliderControl::ExecSliderModifyValueCmpleateProc(short modifiers) {
  if (completionProc_ != nullptr) completionProc_(value_, modifiers, completionRefCon_);
}

// ---- Appearance -----------------------------------------------------------------------------

void cSp_OrigSliderControl::Mark(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrigSliderControl::ChangeColour(RGBColor& field, const RGBColor& colour,
                                         unsigned char redraw) {
  if (Sp_RGBcmp(&field, &colour) != 0) return;
  field = colour;
  Mark(redraw);
}

void cSp_OrigSliderControl::SetupBackgroundColor(const RGBColor& colour, unsigned char redraw) {
  ChangeColour(backgroundColour_, colour, redraw);
}

void cSp_OrigSliderControl::SetupSlitFrameColor(const RGBColor& colour, unsigned char redraw) {
  ChangeColour(slitFrameColour_, colour, redraw);
}

void cSp_OrigSliderControl::SetupSlitHoleColor(const RGBColor& colour, unsigned char redraw) {
  ChangeColour(slitHoleColour_, colour, redraw);
}

void cSp_OrigSliderControl::SetupSliderFrameColor(const RGBColor& colour, unsigned char redraw) {
  ChangeColour(sliderFrameColour_, colour, redraw);
}

void cSp_OrigSliderControl::SetupSliderContentColor(const RGBColor& colour, unsigned char redraw) {
  ChangeColour(sliderContentColour_, colour, redraw);
}

void cSp_OrigSliderControl::DisableSliderOutput(unsigned char redraw) {
  DisableViewOutput(redraw);
  DisableHotSpotArea();
}

void cSp_OrigSliderControl::EnableSliderOutput(unsigned char redraw) {
  EnableViewOutput(redraw);
  EnableHotSpotArea();
}

// ---- Geometry -------------------------------------------------------------------------------

short cSp_OrigSliderControl::TrackStart() const {
  return orientation_ == kHorizontal ? slitRect_.left : slitRect_.top;
}

short cSp_OrigSliderControl::TrackEnd() const {
  return orientation_ == kHorizontal ? slitRect_.right : slitRect_.bottom;
}

void cSp_OrigSliderControl::SetupAreaInfo(unsigned char force) {
  Rect area;
  GetImmediateDrawingArea(&area);
  const short w = short(area.right - area.left), h = short(area.bottom - area.top);
  const short a = trackEndInset_, s = slitThickness_, k = knobHalfLength_, t = knobThickness_;
  if (orientation_ == kHorizontal) {
    slitRect_.top = short((h - s) / 2);
    slitRect_.bottom = short(slitRect_.top + s);
    slitRect_.left = short(k + a);
    slitRect_.right = short(w - k - a);
    travelRect_.top = short((h - t) / 2);
    travelRect_.bottom = short(travelRect_.top + t);
    travelRect_.left = short(slitRect_.left - k);
    travelRect_.right = short(slitRect_.right + k);
  } else {
    slitRect_.left = short((w - s) / 2);
    slitRect_.right = short(slitRect_.left + s);
    slitRect_.top = short(k + a);
    slitRect_.bottom = short(h - k - a);
    travelRect_.left = short((w - t) / 2);
    travelRect_.right = short(travelRect_.left + t);
    travelRect_.top = short(slitRect_.top - k);
    travelRect_.bottom = short(slitRect_.bottom + k);
  }
  SetupSliderAreaOnOffscreen(force, 0);
}

void cSp_OrigSliderControl::SetupSliderAreaOnOffscreen(unsigned char force, unsigned char mark) {
  const short start = TrackStart(), end = TrackEnd();
  short p;
  if (direction_ == 1 && value_ <= minimum_) {
    p = start;
  } else if (direction_ == 1 && value_ >= maximum_) {
    p = end;
  } else if (direction_ == -1 && value_ >= maximum_) {
    p = start;
  } else if (direction_ == -1 && value_ <= minimum_) {
    p = end;
  } else {
    // Single precision, as the knob has always been placed; a one-value range has no scale.
    const double range = double(maximum_) - double(minimum_);
    const float scale = range > 0 ? float(end - start) / float(range) : 0.0f;
    const double offset = std::trunc(double(scale * float(double(value_) - double(minimum_))));
    p = ClampCoordinate(direction_ == 1 ? start + offset : end - offset);
  }
  const short k = knobHalfLength_, t = knobThickness_;
  Rect knob;
  if (orientation_ == kHorizontal) {
    knob.left = short(p - k);
    knob.right = short(p + k);
    knob.top = short((slitRect_.top + slitRect_.bottom - t) / 2);
    knob.bottom = short(knob.top + t);
  } else {
    knob.top = short(p - k);
    knob.bottom = short(p + k);
    knob.left = short((slitRect_.left + slitRect_.right - t) / 2);
    knob.right = short(knob.left + t);
  }
  if (force == 0 && EqualRect(&knob, &knobRect_)) return;
  if (mark != 0) {
    if (force == 0) MarkKnob();
    knobRect_ = knob;
    MarkKnob();
  }
  knobRect_ = knob;
}

void cSp_OrigSliderControl::MarkKnob() {
  Rect onWindow;
  OffscreenAreaToOnWindowArea(knobRect_, onWindow);
  SetupModifyDrawingRectAndFlag(&onWindow, 1);
}

unsigned char cSp_OrigSliderControl::ChangeValueByMousePosit(unsigned char force,
                                                             Point windowPoint) {
  if (force == 0 && EqualPt(windowPoint, lastMousePoint_)) return 0;
  lastMousePoint_ = windowPoint;
  Point p;
  OnWindowPositToOffscreenPosit(windowPoint, p);
  const short c = orientation_ == kHorizontal ? p.h : p.v;
  const short start = TrackStart(), end = TrackEnd();
  const double range = double(maximum_) - double(minimum_);
  double next = minimum_;
  // A single value, or a track with no length, has nothing to divide by.
  if (range > 0 && end > start) {
    const bool forward = direction_ == 1;
    if (c <= start) {
      next = forward ? minimum_ : maximum_;
    } else if (c >= end) {
      next = forward ? maximum_ : minimum_;
    } else {
      const float ppu = float(end - start) / float(range);
      float units;
      if (forward) {
        units = (float(c - start) + ppu / 2) / ppu;
      } else if (orientation_ == kHorizontal) {
        // Reversed horizontally the half unit is taken off where the others add it: a point
        // must pass the middle of a unit by a whole pixel more before the value steps.
        units = (float(end - c) - ppu / 2) / ppu;
      } else {
        units = (float(end - c) + ppu / 2) / ppu;
      }
      next = std::min(double(maximum_), double(minimum_) + std::trunc(double(units)));
    }
  }
  const SInt32 value = SInt32(next);
  if (value == value_) return 0;
  value_ = value;
  SetupSliderAreaOnOffscreen(0, 1);
  ExecSliderModifyValueProc();
  ReDrawAreaUpdateView(0);
  return 1;
}

// ---- The drag -------------------------------------------------------------------------------

unsigned char cSp_OrigSliderControl::HotSpotMouseDonwProc(short, Point localPoint) {
  Point p;
  OnWindowPositToOffscreenPosit(localPoint, p);
  if (PtInRect(p, &travelRect_) == 0) return 0;
  Sp_DisableMouseTrace();
  valueAtPress_ = value_;
  lastMousePoint_ = localPoint;
  // Held before the knob moves, so that it is drawn darker from the press on.
  tracking_ = 1;
  MarkKnob();
  ChangeValueByMousePosit(1, localPoint);
  return 1;
}

unsigned char cSp_OrigSliderControl::HotSpotMouseDownTraceProc(short, Point localPoint) {
  ChangeValueByMousePosit(0, localPoint);
  return 1;
}

unsigned char cSp_OrigSliderControl::HotSpotMouseUpProc(short modifiers, Point) {
  if (value_ != valueAtPress_) ExecSliderModifyValueCmpleateProc(modifiers);
  MarkKnob();
  Sp_EnableMouseTrace(1);
  tracking_ = 0;
  return 1;
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_OrigSliderControl::TraceSlit(short r) const {
  const short t = slitRect_.top, l = slitRect_.left, b = slitRect_.bottom, rt = slitRect_.right;
  if (orientation_ == kHorizontal) {
    MoveTo(short(rt - r - 1), t);
    LineTo(short(l + r + 1), t);
    Sp_DrawFrameArc(Point{short(t + r), short(l + r)}, r, 0, -90, 0);
    Sp_DrawFrameArc(Point{short(b - r), short(l + r)}, r, 270, -90, 0);
    LineTo(short(l + r + 1), b);
    LineTo(short(rt - r - 1), b);
    Sp_DrawFrameArc(Point{short(b - r), short(rt - r)}, r, 180, -90, 0);
    Sp_DrawFrameArc(Point{short(t + r), short(rt - r)}, r, 90, -90, 0);
    LineTo(short(rt - r - 1), t);
  } else {
    MoveTo(l, short(t + r + 1));
    LineTo(l, short(b - r - 1));
    Sp_DrawFrameArc(Point{short(b - r), short(l + r)}, r, 270, -90, 0);
    Sp_DrawFrameArc(Point{short(b - r), short(rt - r)}, r, 180, -90, 0);
    LineTo(rt, short(b - r - 1));
    LineTo(rt, short(t + r + 1));
    Sp_DrawFrameArc(Point{short(t + r), short(rt - r)}, r, 90, -90, 0);
    Sp_DrawFrameArc(Point{short(t + r), short(l + r)}, r, 0, -90, 0);
    LineTo(l, short(t + r + 1));
  }
}

unsigned char cSp_OrigSliderControl::UpdateProc() {
  RgnHandle rgn = NewRgn();
  if (rgn == nullptr) {
    return SpReportFailure(kSource, "cSp_OrigSliderControl::UpdateProc", 1, kSpMsgMemory,
                           static_cast<unsigned char>(0));
  }
  PenState pen;
  GetPenState(&pen);
  RGBColor foreground;
  GetForeColor(&foreground);
  const RGBColor black = SpOC_Grey(0), white = SpOC_Grey(100);
  const RGBColor fill =
      tracking_ != 0 ? SpOC_Mix(sliderContentColour_, black, 0.2f) : sliderContentColour_;
  PenSize(1, 1);

  // The slit: the hole, rings fading toward the background, and its outline.
  OpenRgn();
  TraceSlit(short(slitThickness_ / 2));
  CloseRgn(rgn);
  const short rim = short(slitThickness_ - slitCore_);
  const short n = short(rim / 2);
  const bool horizontal = orientation_ == kHorizontal;
  RGBForeColor(&slitHoleColour_);
  if (n <= 0 || (n == 1 && rim % 2 == 0)) {
    PaintRgn(rgn);
  } else {
    InsetRgn(rgn, horizontal ? 0 : n, horizontal ? n : 0);
    PaintRgn(rgn);
    const float step = 0.6f / float(n);
    for (short i = 1; i <= n; ++i) {
      InsetRgn(rgn, horizontal ? 0 : -1, horizontal ? -1 : 0);
      const RGBColor ring = SpOC_Mix(slitHoleColour_, backgroundColour_, float(i) * step);
      RGBForeColor(&ring);
      FrameRgn(rgn);
    }
  }
  InsetRgn(rgn, -1, -1);
  RGBForeColor(&slitFrameColour_);
  FrameRgn(rgn);
  SetEmptyRgn(rgn);

  // The knob: an octagon, lit along its left and shaded along its right.
  const short t = knobRect_.top, l = knobRect_.left, b = knobRect_.bottom, r = knobRect_.right;
  OpenRgn();
  MoveTo(short(r - 3), t);
  LineTo(short(l + 2), t);
  LineTo(l, short(t + 2));
  LineTo(l, short(b - 2));
  LineTo(short(l + 2), b);
  LineTo(short(r - 3), b);
  LineTo(r, short(b - 3));
  LineTo(r, short(t + 3));
  LineTo(short(r - 3), t);
  CloseRgn(rgn);
  RGBForeColor(&fill);
  PaintRgn(rgn);
  RGBColor c = SpOC_Mix(white, sliderContentColour_, 0.9f);
  RGBForeColor(&c);
  MoveTo(short(l + 3), short(t + 1));
  LineTo(short(l + 1), short(t + 2));
  PenSize(2, 2);
  LineTo(short(l + 1), short(b - 3));
  c = SpOC_Mix(black, sliderContentColour_, 0.9f);
  RGBForeColor(&c);
  PenSize(1, 1);
  MoveTo(short(r - 4), short(b - 2));
  LineTo(short(r - 2), short(b - 3));
  PenSize(2, 2);
  LineTo(short(r - 2), short(t + 3));
  PenSize(1, 1);
  LineTo(short(r - 4), short(t + 1));
  RGBForeColor(&sliderFrameColour_);
  FrameRgn(rgn);
  DisposeRgn(rgn);

  RGBForeColor(&foreground);
  SetPenState(&pen);
  return 1;
}
