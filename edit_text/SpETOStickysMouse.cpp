// Sticky notes: which part of a note lies under a point, the hover cursors, and the press on a
// note (the grow box, Shift keeping one axis; the minimize box; the frame procedures; the title
// bar's double click).
#include <cstdlib>

#include "SpETOEditInternal.h"
#include "SpETOManagerObject.h"
#include "SpETOStickysObject.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpMouseTraceObject.h"

namespace {

const char kSource[] = "SpETOStickysMouse";

constexpr short kShiftKey = 0x200;

bool In(Point p, const Rect& r) {
  return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom;
}

bool SamePoint(Point a, Point b) {
  return a.h == b.h && a.v == b.v;
}

}  // namespace

tETOS_PartsType onStickyBaseStartupMousePosit_GlV = kETOS_OutSide;
tETOS_PartsType onStickyBaseMousePosit_GlV = kETOS_OutSide;
Point growStartPoint_GlV = {0, 0};
Point beforeMousePoint_GlV = {0, 0};
Rect growBaseViewStartArea_GlV = {0, 0, 0, 0};
Rect growMimizeStartArea_GlV = {0, 0, 0, 0};

// ---- The hot spot ----

cStickyHotSpot::cStickyHotSpot(WindowRef window, const Rect& area, cStickyObject* owner)
    : cSp_HotSpotArea(window, area), owner_(owner) {}

unsigned char cStickyHotSpot::HotSpotMouseDonwProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotMouseDonwProc(m, p) : 0;
}
unsigned char cStickyHotSpot::HotSpotMouseAreaOutProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotMouseAreaOutProc(m, p) : 0;
}
unsigned char cStickyHotSpot::HotSpotMouseAreaInProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotMouseAreaInProc(m, p) : 0;
}
unsigned char cStickyHotSpot::HotSpotMouseUpProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotMouseUpProc(m, p) : 0;
}
void cStickyHotSpot::HotSpotClickProc(short m, Point p) {
  if (owner_ != nullptr) owner_->StickyHotSpotClickProc(m, p);
}
unsigned char cStickyHotSpot::HotSpotDblClickProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotDblClickProc(m, p) : 0;
}
unsigned char cStickyHotSpot::HotSpotMouseMoveProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotMouseMoveProc(m, p) : 0;
}
unsigned char cStickyHotSpot::HotSpotMouseDownTraceProc(short m, Point p) {
  return owner_ != nullptr ? owner_->StickyHotSpotMouseDownTraceProc(m, p) : 0;
}

// ---- Hover procedures ----

unsigned char Sp_ETOS_MouseTraceVerifyPositionProc(Point localPoint, short modifiers,
                                                   unsigned long refCon, short&) {
  if (refCon == 0) return 0;
  return reinterpret_cast<cStickyObject*>(refCon)->MouseTraceVerifyPositionForSticky(localPoint,
                                                                                    modifiers);
}

void Sp_ETOS_MouseTraceAreaInProc(Point, short, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cStickyObject*>(refCon)->SetupMouseTraceCurrentPartsType(0);
}

void Sp_ETOS_MouseTraceAreaOutProc(short, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cStickyObject*>(refCon)->SetupMouseTraceCurrentPartsType(0);
}

// ---- The part under a point ----

unsigned char cStickyObject::OnWindowPositToPartsType(Point localPoint, tETOS_PartsType& part) {
  part = kETOS_OutSide;
  Rect visible;
  if (base_ == nullptr || base_->GetViewableDrawingAreaOnWindow(visible) == 0 ||
      !In(localPoint, visible)) {
    return 0;
  }
  Point p;
  base_->OnWindowPositToOffscreenPosit(localPoint, p);
  const Rect r = CurrentFrame();
  const Rect title{r.top, r.left, SInt16(r.top + titleHeight_), r.right};
  if (minimized_ != 0) {
    const SInt16 t = SInt16((r.top + r.bottom - 8) / 2);
    const Rect box{t, SInt16(r.right - 17), SInt16(t + 8), SInt16(r.right - 12)};
    const Rect grip{r.top, SInt16(r.right - 4), r.bottom, r.right};
    if (minimizeIcon_ != 0 && In(p, box)) {
      part = kETOS_MinimizeBox;
    } else if (minimizedGrow_ != 0 && In(p, grip)) {
      part = kETOS_GrowArea;
    } else if (titleOutput_ != 0 && In(p, title)) {
      part = kETOS_TitleBar;
    } else {
      part = In(p, r) ? kETOS_Frame : kETOS_Shadow;
    }
    return 1;
  }
  // An inactive translucent note shows only its frame and title: nothing else of it takes
  // the mouse.
  if (frameActive_ != 0 || translucent_ == 0) {
    sp_eto_edit::cRegion grow;
    if (!grow) {
      return SpReportFailure(kSource, "cStickyObject::OnWindowPositToPartsType", 1, kSpMsgMemory,
                             0);
    }
    GetGrowIconRegion(r, grow);
    Rect edit;
    GetImmediateDrawingArea(&edit);
    const Rect strip{SInt16(r.bottom - 6), r.left, r.bottom, r.right};
    if (growIcon_ != 0 && PtInRgn(p, grow)) {
      part = kETOS_GrowArea;
      return 1;
    }
    if (minimizeIcon_ != 0 && In(p, strip)) {
      part = kETOS_MinimizeBox;
      return 1;
    }
    if (In(p, edit)) {
      part = kETOS_EditArea;
      return 1;
    }
  }
  if (titleOutput_ != 0 && In(p, title)) {
    part = kETOS_TitleBar;
  } else {
    part = In(p, r) ? kETOS_Frame : kETOS_Shadow;
  }
  return 1;
}

unsigned char cStickyObject::MouseTraceVerifyPositionForSticky(Point localPoint, short) {
  tETOS_PartsType part = kETOS_OutSide;
  OnWindowPositToPartsType(localPoint, part);
  const tETOS_PartsType before = hoverPart_;
  hoverPart_ = part;
  if (part == kETOS_OutSide || part == kETOS_EditArea) return 0;
  short cursor = 0;
  if (part == kETOS_GrowArea && before != kETOS_GrowArea) {
    cursor = minimized_ != 0 ? 6551 : 6550;
  } else if (part >= kETOS_MinimizeBox && before <= kETOS_GrowArea) {
    cursor = 2000;
  }
  if (cursor != 0 && stickyTrace_ != nullptr) {
    stickyTrace_->SetupMouseTaraceCursor(0, cursor);
    stickyTrace_->ChangeMouseTraceCursorNow();
  }
  return 1;
}

// ---- The press ----

unsigned char cStickyObject::StickyHotSpotMouseDonwProc(short, Point localPoint) {
  onStickyBaseStartupMousePosit_GlV = kETOS_OutSide;
  if (OnWindowPositToPartsType(localPoint, onStickyBaseMousePosit_GlV) == 0) return 1;
  const tETOS_PartsType part = onStickyBaseMousePosit_GlV;
  onStickyBaseStartupMousePosit_GlV = part;
  Sp_DisableMouseTrace();
  switch (part) {
    case kETOS_OutSide:
    case kETOS_EditArea:
      Sp_EnableMouseTrace(1);
      return 0;
    case kETOS_GrowArea:
      growStartPoint_GlV = beforeMousePoint_GlV = localPoint;
      GetStickyBaseViewImmeditArea(growBaseViewStartArea_GlV);
      growMimizeStartArea_GlV = minimizedArea_;
      SpETO_PauseEventProc();
      // The blend is redone on every step of a drag: the note is drawn opaque until the
      // release.
      if (translucent_ != 0 && base_ != nullptr) base_->TransmitViewTurnOff(0, 0);
      return 1;
    case kETOS_MinimizeBox:
      if (ExecuteStickyFrameMouseDownProc(localPoint, part) == 0) {
        Sp_EnableMouseTrace(1);
        return 0;
      }
      minimizeBoxPressed_ = 1;
      DrawMimizeBox();
      return 1;
    case kETOS_Reserved:
      return 1;
    default: {
      const unsigned char go = ExecuteStickyFrameMouseDownProc(localPoint, part);
      if (go == 0) Sp_EnableMouseTrace(1);
      return go;
    }
  }
}

void cStickyObject::GrowTrace(short modifiers, Point point) {
  if (base_ == nullptr) return;
  if (minimized_ != 0) {
    if (point.h == beforeMousePoint_GlV.h) return;
    Rect next = growMimizeStartArea_GlV;
    next.right = SInt16(growMimizeStartArea_GlV.right + (point.h - growStartPoint_GlV.h));
    minimizedSizeSet_ = 1;
    ClampMinimizedStickyArea(next);
    Rect current;
    base_->GetImmediateDrawingArea(&current);
    ExecuteStickyResizeBeforeProc(current, next);
    minimizedArea_ = next;
    base_->ResizeViewArea(next, 0, 1);
    SetupStickyAreaParameter(0);
    ExecuteStickyResizeAfterProc(current, next);
    MarkBase(1);
    beforeMousePoint_GlV = point;
    return;
  }
  int dh = point.h - growStartPoint_GlV.h;
  int dv = point.v - growStartPoint_GlV.v;
  if ((modifiers & kShiftKey) != 0 && dh != 0 && dv != 0) {
    if (std::abs(dv) >= std::abs(dh)) {
      point.h = growStartPoint_GlV.h;
      dh = 0;
    } else {
      point.v = growStartPoint_GlV.v;
      dv = 0;
    }
  }
  if (SamePoint(point, beforeMousePoint_GlV)) return;
  beforeMousePoint_GlV = point;
  Rect current;
  base_->GetImmediateDrawingArea(&current);
  const Rect& start = growBaseViewStartArea_GlV;
  Rect next{current.top, current.left,
            SInt16(current.top + (start.bottom - start.top) + dv),
            SInt16(current.left + (start.right - start.left) + dh)};
  ClampNormalStickyArea(next);
  ExecuteStickyResizeBeforeProc(current, next);
  SetupVariableLineWidthFlag(0);
  SetupNewStickySize(next, 0, 1, 1);
  ExecuteStickyResizeAfterProc(current, next);
  MarkBase(1);
}

unsigned char cStickyObject::StickyHotSpotMouseDownTraceProc(short modifiers, Point localPoint) {
  tETOS_PartsType now = kETOS_OutSide;
  OnWindowPositToPartsType(localPoint, now);
  switch (onStickyBaseStartupMousePosit_GlV) {
    case kETOS_GrowArea:
      GrowTrace(modifiers, localPoint);
      break;
    case kETOS_MinimizeBox: {
      const unsigned char inside = now == kETOS_MinimizeBox ? 1 : 0;
      if (inside != minimizeBoxPressed_) {
        minimizeBoxPressed_ = inside;
        DrawMimizeBox();
      }
      break;
    }
    case kETOS_TitleBar:
    case kETOS_Frame:
    case kETOS_Shadow:
      ExecuteStickyFrameMouseTraceProc(localPoint, onStickyBaseMousePosit_GlV);
      break;
    default:
      break;
  }
  onStickyBaseMousePosit_GlV = now;
  return 1;
}

unsigned char cStickyObject::StickyHotSpotMouseUpProc(short modifiers, Point localPoint) {
  unsigned char answer = 1;
  switch (onStickyBaseStartupMousePosit_GlV) {
    case kETOS_GrowArea: {
      // A quick drag can end before any tracking step saw where it went: the note takes the
      // size of the release point.
      GrowTrace(modifiers, localPoint);
      SpETO_PauseOutEventProc();
      Rect now;
      GetStickyBaseViewImmeditArea(now);
      if (!EqualRect(&now, &growBaseViewStartArea_GlV)) {
        if (minimized_ == 0) SetupVariableLineWidthFlag(0);
        Rect start = growBaseViewStartArea_GlV;
        ExecuteStickyResizeCompleteProc(start, now);
      }
      if (translucent_ != 0 && base_ != nullptr) {
        base_->TransmitViewTurnOn(kSpTransmitBackgroundType, translucencyRate_, 0);
      }
      break;
    }
    case kETOS_MinimizeBox: {
      minimizeBoxPressed_ = 0;
      answer = ExecuteStickyFrameMouseUpProc(localPoint, kETOS_MinimizeBox);
      tETOS_PartsType now = kETOS_OutSide;
      OnWindowPositToPartsType(localPoint, now);
      if (answer != 0 && now == kETOS_MinimizeBox) {
        DrawMimizeBox();
        ChangeMinimize(0, 1, 1);
      }
      break;
    }
    case kETOS_TitleBar:
    case kETOS_Frame:
    case kETOS_Shadow:
      answer = ExecuteStickyFrameMouseUpProc(localPoint, onStickyBaseMousePosit_GlV);
      break;
    default:
      break;
  }
  Sp_EnableMouseTrace(1);
  return answer;
}

namespace {

// Clicks count only for a press that began on the title bar, the frame or the shadow.
bool ClickCounts() {
  const tETOS_PartsType start = onStickyBaseStartupMousePosit_GlV;
  return onStickyBaseMousePosit_GlV != kETOS_OutSide &&
         (start == kETOS_EditArea || start == kETOS_TitleBar || start == kETOS_Frame ||
          start == kETOS_Shadow);
}

}  // namespace

void cStickyObject::StickyHotSpotClickProc(short, Point localPoint) {
  if (!ClickCounts()) return;
  ExecuteStickyFrameClickProc(localPoint, onStickyBaseMousePosit_GlV);
}

unsigned char cStickyObject::StickyHotSpotDblClickProc(short, Point localPoint) {
  if (!ClickCounts()) return 1;
  const unsigned char go = ExecuteStickyFrameDblClickProc(localPoint, onStickyBaseMousePosit_GlV);
  if (titleDblClickMinimize_ != 0 && onStickyBaseStartupMousePosit_GlV == kETOS_TitleBar) {
    ChangeMinimize(1, 1, 1);
  }
  if (go == 0) Sp_EnableMouseTrace(1);
  return go;
}
