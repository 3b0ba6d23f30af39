#include "SpOC_ScrollBarControl.h"

#include <algorithm>

#include "Clock.h"
#include "QDRegions.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"

namespace {

const char kSource[] = "SpOC_ScrollBarControl";

const RGBColor kBlack = {0, 0, 0};
const RGBColor kWhite = {65535, 65535, 65535};

RGBColor Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

bool IsArrow(tOrigScrollBarPartType part) {
  return part == kOSB_FirstArrowPart || part == kOSB_SecondArrowPart;
}

}  // namespace

cSp_OrigScrollBarControl::cSp_OrigScrollBarControl(WindowRef window, const Rect& area,
                                                   cSp_View* target, cSp_View* container,
                                                   unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  StartUpInitialize();
  orientation_ = (area.right - area.left) < (area.bottom - area.top) ? 2 : 1;
  target_ = target;
  // Without a target the parts are laid out for the empty lengths.
  if (SetupScrollValueFromTargetView(1, 1, 0, 0) == 0) SetupAreaInfo(0, 1);
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) SetupHotSpotArea(visible);
}

cSp_OrigScrollBarControl::cSp_OrigScrollBarControl(WindowRef window, const Rect& area,
                                                   short total, short page, short value,
                                                   cSp_View* container,
                                                   unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  StartUpInitialize();
  orientation_ = (area.right - area.left) < (area.bottom - area.top) ? 2 : 1;
  total_ = total;
  page_ = page;
  value_ = value;
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) SetupHotSpotArea(visible);
  SetupAreaInfo(0, 1);
}

cSp_OrigScrollBarControl::~cSp_OrigScrollBarControl() {
  ExecViewObjDeleteReady();
  // A bar deleted while held gives the hover tracking back.
  if (IsMouseDownProcEnable() != 0 && pressedPart_ != kOSB_NoPart) Sp_EnableMouseTrace(0);
  ExecHotSpotObjDeleteReady();
  if (firstArrowRgn_ != nullptr) DisposeRgn(firstArrowRgn_);
  if (secondArrowRgn_ != nullptr) DisposeRgn(secondArrowRgn_);
}

void cSp_OrigScrollBarControl::StartUpInitialize() {
  orientation_ = 1;
  target_ = nullptr;
  inactive_ = 0;
  total_ = page_ = value_ = 0;
  repeatInterval_ = 20;
  arrowStep_ = 1;
  modifyProc_ = completeProc_ = nullptr;
  modifyRefCon_ = completeRefCon_ = 0;
  trackLength_ = thumbLength_ = unitsPerPixel_ = 0;
  firstArrow_ = secondArrow_ = track_ = thumb_ = Rect{0, 0, 0, 0};
  MakeRegions();
  Sp_SetRGBColorByPercentage(&slitFrameColour_, 60, 60, 60);
  Sp_SetRGBColorByPercentage(&bodyColour_, 100, 100, 100);
  Sp_SetRGBColorByPercentage(&arrowColour_, 80, 100, 40);
  Sp_SetRGBColorByPercentage(&pressedArrowColour_, 97, 7, 11);
  Sp_SetRGBColorByPercentage(&trackFrameColour_, 63, 77, 70);
  Sp_SetRGBColorByPercentage(&trackColour_, 63, 77, 70);
  Sp_SetRGBColorByPercentage(&thumbColour_, 46, 34.5f, 90);
  arrowPressed_ = 0;
  downPoint_ = lastPoint_ = Point{0, 0};
  valueAtDown_ = 0;
  pressedPart_ = kOSB_NoPart;
  downTick_ = 0;
}

void cSp_OrigScrollBarControl::MakeRegions() {
  if (firstArrowRgn_ == nullptr) firstArrowRgn_ = NewRgn();
  if (secondArrowRgn_ == nullptr) secondArrowRgn_ = NewRgn();
  if (firstArrowRgn_ == nullptr || secondArrowRgn_ == nullptr) {
    SpReportFailure(kSource, "cSp_OrigScrollBarControl::StartUpInitialize", 1, kSpMsgMemory);
  }
}

Rect cSp_OrigScrollBarControl::LocalArea() const {
  Rect area;
  GetImmediateDrawingArea(&area);
  return Rect{0, 0, short(area.bottom - area.top), short(area.right - area.left)};
}

void cSp_OrigScrollBarControl::FollowVisibleArea() {
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) != 0) {
    EnableHotSpotArea();
    SetupHotSpotArea(visible);
  } else {
    DisableHotSpotArea();
  }
}

// ---- The target -----------------------------------------------------------------------------

void cSp_OrigScrollBarControl::SetupTargetView(cSp_View* target) {
  if (target == nullptr) {
    SpReportFailure(kSource, "cSp_OrigScrollBarControl::SetupTargetView", 1, kSpMsgNullArgument);
    return;
  }
  target_ = target;
  SetupScrollValueFromTargetView(1, 1, 0, 1);
}

unsigned char cSp_OrigScrollBarControl::SetupScrollValueFromTargetView(unsigned char force,
                                                                      unsigned char setup,
                                                                      unsigned char unused,
                                                                      unsigned char redraw) {
  if (target_ == nullptr) return 0;
  Rect area;
  target_->GetDrawingAreaOnWindow(&area);
  short scrollWidth = 0, scrollHeight = 0, h = 0, v = 0;
  target_->GetViewScrollArea(scrollWidth, scrollHeight);
  target_->GetScrollValue(h, v);
  short page, total, value;
  if (Vertical()) {
    page = short(area.bottom - area.top);
    total = std::max(scrollHeight, page);
    value = v;
  } else {
    page = short(area.right - area.left);
    total = std::max(scrollWidth, page);
    value = h;
  }
  if (force == 0 && page == page_ && total == total_ && value == value_) return 0;
  page_ = page;
  total_ = total;
  value_ = value;
  if (setup != 0) SetupAreaInfo(unused, 1);
  if (redraw != 0) SetupModifyDrawingRectAndFlag(nullptr, 1);
  return 1;
}

unsigned char cSp_OrigScrollBarControl::ReflectToTargetView() {
  if (target_ == nullptr) return 0;
  short h = 0, v = 0;
  target_->GetScrollValue(h, v);
  if ((Vertical() ? v : h) == value_) return 0;
  // A negative value leaves the other axis as it is.
  short newH = Vertical() ? short(-1) : value_;
  short newV = Vertical() ? value_ : short(-1);
  return target_->SetScrollValue(newH, newV, 1, 0, 0, 1);
}

// ---- Lengths and value ----------------------------------------------------------------------

void cSp_OrigScrollBarControl::SetLength(short& field, short length, unsigned char setup,
                                         unsigned char redrawNow) {
  field = length;
  if (setup != 0) {
    SetupAreaInfo(0, 1);
    SetupModifyDrawingRectAndFlag(nullptr, 1);
  }
  if (redrawNow != 0) DrawView(1, 0);
}

void cSp_OrigScrollBarControl::SetOrigScrollBarCntPageTotalLength(short total, unsigned char setup,
                                                                  unsigned char redrawNow) {
  SetLength(total_, total, setup, redrawNow);
}

void cSp_OrigScrollBarControl::SetOrigScrollBarCntPageOutputLength(short page, unsigned char setup,
                                                                   unsigned char redrawNow) {
  SetLength(page_, page, setup, redrawNow);
}

void cSp_OrigScrollBarControl::SetOrigScrollBarScrollValue(short value, unsigned char redrawNow) {
  value_ = value;
  SetupAreaInfo(0, 0);
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redrawNow != 0) ReDrawAreaUpdateView(0);
}

// ---- Client procedures ----------------------------------------------------------------------

void cSp_OrigScrollBarControl::SetupScrollModifyValueProc(tSpOSB_ModifyValueProcPtr proc,
                                                          unsigned long refCon) {
  modifyProc_ = proc;
  modifyRefCon_ = refCon;
}

void cSp_OrigScrollBarControl::SetupScrollModifyValueCmpleateProc(tSpOSB_ModifyValueProcPtr proc,
                                                                  unsigned long refCon) {
  completeProc_ = proc;
  completeRefCon_ = refCon;
}

void cSp_OrigScrollBarControl::ExecScrollModifyValueProc(short modifiers, unsigned char thumb) {
  if (modifyProc_ != nullptr) modifyProc_(value_, modifiers, modifyRefCon_, thumb);
}

void cSp_OrigScrollBarControl::ExecScrollModifyValueCmpleateProc(short modifiers,
                                                                 unsigned char thumb) {
  if (completeProc_ != nullptr) completeProc_(value_, modifiers, completeRefCon_, thumb);
}

// ---- Appearance -----------------------------------------------------------------------------

void cSp_OrigScrollBarControl::MarkLocal(const Rect& r, bool now) {
  Rect grown = r;
  InsetRect(&grown, -1, -1);
  Rect onWindow;
  OffscreenAreaToOnWindowArea(grown, onWindow);
  SetupModifyDrawingRectAndFlag(&onWindow, 1);
  if (now) ReDrawAreaUpdateView(0);
}

void cSp_OrigScrollBarControl::MarkArrow(tOrigScrollBarPartType part, bool now) {
  MarkLocal(part == kOSB_FirstArrowPart ? firstArrow_ : secondArrow_, now);
}

void cSp_OrigScrollBarControl::StoreColour(RGBColor& field, const RGBColor& colour,
                                           const Rect* part, bool both, unsigned char redrawNow) {
  if (Sp_RGBcmp(&field, &colour) != 0) return;
  field = colour;
  if (part == nullptr) {
    SetupModifyDrawingRectAndFlag(nullptr, 1);
  } else {
    MarkLocal(*part, false);
    if (both) MarkLocal(secondArrow_, false);
  }
  if (redrawNow != 0) ReDrawAreaUpdateView(0);
}

void cSp_OrigScrollBarControl::SetupSlitFrameColor(const RGBColor& colour,
                                                   unsigned char redrawNow) {
  StoreColour(slitFrameColour_, colour, nullptr, false, redrawNow);
}

void cSp_OrigScrollBarControl::SetupBodyColor(const RGBColor& colour, unsigned char redrawNow) {
  StoreColour(bodyColour_, colour, nullptr, false, redrawNow);
}

void cSp_OrigScrollBarControl::SetupArrowColor(const RGBColor& colour, unsigned char redrawNow) {
  StoreColour(arrowColour_, colour, &firstArrow_, true, redrawNow);
}

void cSp_OrigScrollBarControl::SetupSliderSlitColor(const RGBColor& colour,
                                                    unsigned char redrawNow) {
  StoreColour(trackColour_, colour, &track_, false, redrawNow);
}

void cSp_OrigScrollBarControl::SetupSliderColor(const RGBColor& colour, unsigned char redrawNow) {
  StoreColour(thumbColour_, colour, &thumb_, false, redrawNow);
}

void cSp_OrigScrollBarControl::SetHiliteStatus(unsigned char inactive, unsigned char redrawNow) {
  if (inactive_ == inactive) return;
  inactive_ = inactive;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redrawNow != 0) ReDrawAreaUpdateView(0);
}

// ---- Place and output -----------------------------------------------------------------------

void cSp_OrigScrollBarControl::DisableScrollOutput(unsigned char redraw) {
  DisableViewOutput(redraw);
  DisableHotSpotArea();
}

void cSp_OrigScrollBarControl::EnableScrollOutput(unsigned char redraw) {
  EnableViewOutput(redraw);
  EnableHotSpotArea();
}

void cSp_OrigScrollBarControl::ResizeOriginalScrollBar(short width, short height,
                                                       unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  const short newWidth = width < 0 ? short(area.right - area.left) : width;
  const short newHeight = height < 0 ? short(area.bottom - area.top) : height;
  if (newWidth == area.right - area.left && newHeight == area.bottom - area.top) return;
  area.right = short(area.left + newWidth);
  area.bottom = short(area.top + newHeight);
  ResizeViewArea(area, 0, 1);
  SetupAreaInfo(0, 1);
  FollowVisibleArea();
  if (redraw != 0) DrawView(1, 0);
}

void cSp_OrigScrollBarControl::MoveOriginalScrollBar(short left, short top, unsigned char redraw) {
  Rect area;
  GetImmediateDrawingArea(&area);
  if (area.left == left && area.top == top) return;
  OffsetRect(&area, short(left - area.left), short(top - area.top));
  ResizeViewArea(area, redraw, 1);
  FollowVisibleArea();
}

// ---- Layout ---------------------------------------------------------------------------------

void cSp_OrigScrollBarControl::SetupAreaInfo(unsigned char, unsigned char recompute) {
  const Rect a = LocalArea();
  const short w = short(a.right - a.left), h = short(a.bottom - a.top);
  if (recompute != 0) {
    cSpPortSaver port(GetTargetWindowPtr());
    // The arrows' hit regions are the triangles they show, a little enlarged.
    auto triangle = [](RgnHandle rgn, short h1, short v1, short h2, short v2, short h3,
                       short v3) {
      if (rgn == nullptr) return;
      OpenRgn();
      MoveTo(h1, v1);
      LineTo(h2, v2);
      LineTo(h3, v3);
      LineTo(h1, v1);
      CloseRgn(rgn);
    };
    if (Vertical()) {
      firstArrow_ = Rect{0, 0, w, w};
      secondArrow_ = Rect{short(h - w), 0, h, w};
      track_ = Rect{short(w + 2), 0, short(std::max<int>(w + 2, h - w - 2)), w};
      const Rect& f = firstArrow_;
      const Rect& s = secondArrow_;
      triangle(firstArrowRgn_, f.left, short(f.bottom + 1), short(f.right + 1),
               short(f.bottom + 1), short(f.left + w / 2 + 1), f.top);
      triangle(secondArrowRgn_, s.left, s.top, short(s.right + 2), s.top,
               short(s.left + w / 2 + 1), short(s.bottom + 2));
      trackLength_ = float(track_.bottom - track_.top);
    } else {
      firstArrow_ = Rect{0, 0, h, h};
      secondArrow_ = Rect{0, short(w - h), h, w};
      track_ = Rect{0, h, h, short(std::max<int>(h, w - h))};
      const Rect& f = firstArrow_;
      const Rect& s = secondArrow_;
      triangle(firstArrowRgn_, f.right, f.top, f.right, f.bottom, f.left,
               short(f.top + h / 2));
      triangle(secondArrowRgn_, s.left, s.top, s.left, s.bottom, s.right,
               short(s.top + h / 2));
      trackLength_ = float(track_.right - track_.left);
    }
  }

  // With nothing to scroll (the page covers the whole length, or there is no length at all)
  // the thumb fills the track; a track too short for the thumb to move leaves it at the start.
  const bool full = total_ <= 0 || page_ >= total_;
  float offset = 0;
  if (full) {
    thumbLength_ = trackLength_;
    unitsPerPixel_ = 0;
  } else {
    const float page = float(std::max<short>(page_, 0));
    const float range = float(total_) - page;
    thumbLength_ = trackLength_ * page / float(total_);
    const float room = trackLength_ - thumbLength_;
    unitsPerPixel_ = room > 0 ? range / room : 0;
    if (value_ <= 0 || room <= 0) {
      offset = 0;
    } else if (value_ < range) {
      offset = float(int(room * float(value_) / range));
    } else {
      offset = float(int(trackLength_) - int(thumbLength_));
    }
  }
  const short start = Vertical() ? track_.top : track_.left;
  const short thumbStart = short(start + int(offset));
  const short thumbEnd = short(thumbStart + int(thumbLength_));
  if (Vertical()) {
    thumb_ = Rect{thumbStart, short(track_.left + 3), thumbEnd, short(track_.right - 3)};
  } else {
    thumb_ = Rect{short(track_.top + 3), thumbStart, short(track_.bottom - 3), thumbEnd};
  }
  if (full) value_ = 0;
  SetHiliteStatus(full ? 1 : 0, 0);
}

tOrigScrollBarPartType cSp_OrigScrollBarControl::GetPartsTypeByMousePosit(Point localPoint) const {
  Point p;
  OnWindowPositToOffscreenPosit(localPoint, p);
  const Rect area = LocalArea();
  if (PtInRect(p, &area) == 0) return kOSB_NoPart;
  if (firstArrowRgn_ != nullptr ? PtInRgn(p, firstArrowRgn_) : PtInRect(p, &firstArrow_)) {
    return kOSB_FirstArrowPart;
  }
  if (secondArrowRgn_ != nullptr ? PtInRgn(p, secondArrowRgn_) : PtInRect(p, &secondArrow_)) {
    return kOSB_SecondArrowPart;
  }
  Rect across = thumb_;
  if (Vertical()) {
    across.left = track_.left;
    across.right = track_.right;
  } else {
    across.top = track_.top;
    across.bottom = track_.bottom;
  }
  if (PtInRect(p, &across)) return kOSB_ThumbPart;
  if (PtInRect(p, &track_) == 0) return kOSB_NoPart;
  const bool before = Vertical() ? p.v < thumb_.top : p.h < thumb_.left;
  return before ? kOSB_PageBeforePart : kOSB_PageAfterPart;
}

// ---- Steps ----------------------------------------------------------------------------------

unsigned char cSp_OrigScrollBarControl::StepBy(short step, unsigned char forward) {
  // Toward the end (forward) or the start, kept within 0 ... total - page.
  const int max = std::max(0, total_ - page_);
  const int value = forward != 0 ? std::min(value_ + step, max) : std::max(value_ - step, 0);
  if (value == value_) return 0;
  value_ = short(value);
  ReflectToTargetView();
  return 1;
}

unsigned char cSp_OrigScrollBarControl::ExecScrollValue(unsigned char forward) {
  return StepBy(arrowStep_, forward);
}

unsigned char cSp_OrigScrollBarControl::ExecPageScrollValue(unsigned char forward) {
  return StepBy(page_, forward);
}

unsigned char cSp_OrigScrollBarControl::StepPressedPart() {
  switch (pressedPart_) {
    case kOSB_FirstArrowPart:
      return ExecScrollValue(0);
    case kOSB_SecondArrowPart:
      return ExecScrollValue(1);
    case kOSB_PageBeforePart:
      return ExecPageScrollValue(0);
    case kOSB_PageAfterPart:
      return ExecPageScrollValue(1);
    default:
      return 0;
  }
}

// ---- The mouse ------------------------------------------------------------------------------

void cSp_OrigScrollBarControl::AfterValueChange(short modifiers, unsigned char thumb) {
  const Rect oldThumb = thumb_;
  SetupAreaInfo(0, 0);
  ExecScrollModifyValueProc(modifiers, thumb);
  MarkLocal(oldThumb, false);
  MarkLocal(thumb_, true);
}

void cSp_OrigScrollBarControl::ReleaseArrow() {
  if (arrowPressed_ == 0) return;
  arrowPressed_ = 0;
  MarkArrow(pressedPart_, true);
}

unsigned char cSp_OrigScrollBarControl::HotSpotMouseDonwProc(short modifiers, Point localPoint) {
  if (inactive_ != 0) return 0;
  Sp_DisableMouseTrace();
  const tOrigScrollBarPartType part = GetPartsTypeByMousePosit(localPoint);
  if (part == kOSB_NoPart) {
    Sp_EnableMouseTrace(1);
    return 0;
  }
  pressedPart_ = part;
  valueAtDown_ = value_;
  if (IsArrow(part)) {
    arrowPressed_ = 1;
    const unsigned char changed = StepPressedPart();
    MarkArrow(part, true);
    if (changed != 0) AfterValueChange(modifiers, 0);
  } else if (part != kOSB_ThumbPart && StepPressedPart() != 0) {
    AfterValueChange(modifiers, 0);
  }
  downTick_ = TickCount();
  downPoint_ = lastPoint_ = localPoint;
  return 1;
}

unsigned char cSp_OrigScrollBarControl::HotSpotMouseDownTraceProc(short modifiers,
                                                                  Point localPoint) {
  if (pressedPart_ == kOSB_NoPart) return 0;
  if (pressedPart_ == kOSB_ThumbPart) {
    if (EqualPt(localPoint, downPoint_)) return 1;
    lastPoint_ = localPoint;
    const int moved = Vertical() ? localPoint.v - downPoint_.v : localPoint.h - downPoint_.h;
    const int max = std::max(0, total_ - page_);
    const int value =
        std::min(max, std::max(0, valueAtDown_ + int(float(moved) * unitsPerPixel_)));
    if (value == value_) return 1;
    const Rect oldThumb = thumb_;
    value_ = short(value);
    SetupAreaInfo(0, 0);
    ReflectToTargetView();
    ExecScrollModifyValueProc(modifiers, 1);
    MarkLocal(oldThumb, false);
    MarkLocal(thumb_, true);
    return 1;
  }
  if (GetPartsTypeByMousePosit(localPoint) != pressedPart_) {
    ReleaseArrow();
    return 0;
  }
  if (IsArrow(pressedPart_) && arrowPressed_ == 0) {
    arrowPressed_ = 1;
    MarkArrow(pressedPart_, true);
  }
  // The repeat starts once the interval has passed since the press, then steps on every
  // tracking step.
  if (TickCount() - downTick_ < repeatInterval_) return 1;
  if (StepPressedPart() != 0) AfterValueChange(modifiers, 0);
  return 0;
}

unsigned char cSp_OrigScrollBarControl::HotSpotMouseUpProc(short modifiers, Point) {
  if (value_ != valueAtDown_) ExecScrollModifyValueCmpleateProc(modifiers, 0);
  ReleaseArrow();
  pressedPart_ = kOSB_NoPart;
  valueAtDown_ = value_;
  Sp_EnableMouseTrace(1);
  return 1;
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_OrigScrollBarControl::Line(short across1, short along1, short across2,
                                    short along2) const {
  if (Vertical()) {
    MoveTo(across1, along1);
    LineTo(across2, along2);
  } else {
    MoveTo(along1, across1);
    LineTo(along2, across2);
  }
}

void cSp_OrigScrollBarControl::DrawArrow(const Rect& square, bool first,
                                         const RGBColor& base) const {
  // Across and along the bar: h and v on a vertical bar, v and h on a horizontal one.
  const short a0 = Vertical() ? square.left : square.top;
  const short a1 = Vertical() ? square.right : square.bottom;
  const short l0 = Vertical() ? square.top : square.left;
  const short l1 = Vertical() ? square.bottom : square.right;
  if (a1 <= a0 || l1 <= l0) return;
  const short mid = short(a0 + (a1 - a0) / 2);

  RgnHandle fill = NewRgn();
  if (fill != nullptr) {
    OpenRgn();
    const short apex = first ? l0 : l1;
    const short baseLine = first ? l1 : l0;
    Line(mid, apex, a1, baseLine);
    Line(a1, baseLine, a0, baseLine);
    Line(a0, baseLine, mid, apex);
    CloseRgn(fill);
    RGBForeColor(&base);
    PaintRgn(fill);
    DisposeRgn(fill);
  }

  // Three outlines, each a pixel further in: lit on one side, shaded on the other.
  struct Shade {
    bool toWhite;
    float rate;
  };
  static const Shade kFirst[3][3] = {
      {{false, 0.4f}, {false, 0.5f}, {false, 0.2f}},
      {{false, 0.3f}, {false, 0.4f}, {true, 0.4f}},
      {{false, 0.2f}, {false, 0.3f}, {true, 0.5f}},
  };
  static const Shade kSecond[3][3] = {
      {{false, 0.2f}, {false, 0.5f}, {false, 0.4f}},
      {{true, 0.4f}, {false, 0.4f}, {false, 0.3f}},
      {{true, 0.4f}, {false, 0.3f}, {false, 0.2f}},
  };
  auto colour = [&](const Shade& s) {
    const RGBColor c = Mix(base, s.toWhite ? kWhite : kBlack, s.rate);
    RGBForeColor(&c);
  };
  for (short k = 0; k < 3; ++k) {
    const short left = short(a0 + k), right = short(a1 - 1 - k);
    if (first) {
      const short apex = short(l0 + k), baseLine = short(l1 - 1 - k);
      colour(kFirst[k][0]);
      Line(mid, apex, right, baseLine);
      colour(kFirst[k][1]);
      Line(right, baseLine, left, baseLine);
      colour(kFirst[k][2]);
      Line(left, baseLine, mid, apex);
    } else {
      const short apex = short(l1 - 1 - k), baseLine = short(l0 + k);
      colour(kSecond[k][0]);
      Line(left, baseLine, right, baseLine);
      colour(kSecond[k][1]);
      Line(right, baseLine, mid, apex);
      colour(kSecond[k][2]);
      Line(mid, apex, left, baseLine);
    }
  }
}

void cSp_OrigScrollBarControl::DrawTrack(const RGBColor& frame, const RGBColor& frameLight,
                                         const RGBColor& slit) const {
  const short a0 = Vertical() ? track_.left : track_.top;
  const short a1 = Vertical() ? track_.right : track_.bottom;
  const short l0 = Vertical() ? track_.top : track_.left;
  const short l1 = Vertical() ? track_.bottom : track_.right;
  if (l1 <= l0 || a1 <= a0) return;
  const short right = short(a1 - 1), end = short(l1 - 1);
  RGBForeColor(&frame);
  for (short x : {a0, short(a0 + 2), right, short(right - 2)}) Line(x, l0, x, end);
  RGBForeColor(&frameLight);
  for (short x : {short(a0 + 1), short(right - 1)}) Line(x, l0, x, end);

  // A rounded look: dark at both sides, the track colour in the middle.
  const short half = short(a0 + (a1 - a0) / 2);
  const float step = (half - a0 - 3) > 0 ? 0.5f / float(half - a0 - 3) : 0;
  float t = 0.5f;
  for (short x = short(a0 + 3); x <= half; ++x, t += step) {
    const RGBColor c = Mix(kBlack, slit, t);
    RGBForeColor(&c);
    Line(x, l0, x, end);
  }
  t = 0;
  for (short x = short(half + 1); x <= right - 3; ++x, t += step) {
    const RGBColor c = Mix(slit, kBlack, t);
    RGBForeColor(&c);
    Line(x, l0, x, end);
  }
}

void cSp_OrigScrollBarControl::DrawThumb(const RGBColor& colour) const {
  const short a0 = Vertical() ? thumb_.left : thumb_.top;
  const short a1 = Vertical() ? thumb_.right : thumb_.bottom;
  const short l0 = Vertical() ? thumb_.top : thumb_.left;
  const short l1 = Vertical() ? thumb_.bottom : thumb_.right;
  if (l1 <= l0 || a1 <= a0) return;
  const short right = short(a1 - 1), end = short(l1 - 1);
  const short trackStart = Vertical() ? track_.left : track_.top;
  const short trackEnd = Vertical() ? track_.right : track_.bottom;
  const short half = short(trackStart + (trackEnd - trackStart) / 2);
  const float step = (half - a0 + 1) > 0 ? 0.5f / float(half - a0 + 1) : 0;

  RGBColor c = Mix(colour, kBlack, 0.3f);
  RGBForeColor(&c);
  Line(a0, l0, a0, end);
  float t = 0.5f;
  for (short x = short(a0 + 1); x <= half && x <= right; ++x, t += step) {
    c = Mix(kWhite, colour, t);
    RGBForeColor(&c);
    Line(x, l0, x, end);
  }
  t = 0;
  for (short x = short(half + 1); x <= right; ++x, t += step) {
    c = Mix(colour, kBlack, t);
    RGBForeColor(&c);
    Line(x, l0, x, end);
  }
  c = Mix(colour, kBlack, 0.5f);
  RGBForeColor(&c);
  Line(a0, l0, right, l0);
  Line(a0, end, right, end);
}

unsigned char cSp_OrigScrollBarControl::UpdateProc() {
  PenState pen;
  GetPenState(&pen);
  PenNormal();
  const Rect area = LocalArea();
  RGBForeColor(&bodyColour_);
  PaintRect(&area);

  const bool dim = inactive_ != 0;
  auto base = [dim](const RGBColor& c) { return dim ? Mix(c, kWhite, 0.5f) : c; };
  const bool firstHeld = arrowPressed_ != 0 && pressedPart_ == kOSB_FirstArrowPart;
  const bool secondHeld = arrowPressed_ != 0 && pressedPart_ == kOSB_SecondArrowPart;
  DrawArrow(firstArrow_, true, base(firstHeld ? pressedArrowColour_ : arrowColour_));
  DrawArrow(secondArrow_, false, base(secondHeld ? pressedArrowColour_ : arrowColour_));
  const RGBColor frame = dim ? trackFrameColour_ : Mix(trackFrameColour_, kBlack, 0.6f);
  const RGBColor frameLight = dim ? Mix(trackFrameColour_, kWhite, 0.5f) : trackFrameColour_;
  DrawTrack(frame, frameLight, base(trackColour_));
  DrawThumb(base(thumbColour_));
  SetPenState(&pen);
  return 1;
}
