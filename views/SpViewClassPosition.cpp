// View coordinates: between a view's area frame, its content frame, its container's content
// frame, the window and the screen, and what of a view is visible on its window.
//
// Content frame of a view -> content frame of its container: add (left - scroll h,
// top - scroll v); a root view's container frame is the window. A view shows on the window
// only where it lies in the visible content of every container up to the root.
#include "SpStdDrawingFunction.h"
#include "SpViewClass.h"
#include "SpViewInternal.h"

using namespace sp_view_detail;

namespace {

const char* const kSource = kSourcePosition;

}  // namespace

Rect cSp_View::VisibleContent() const {
  return Rect{scrollV_, scrollH_, short(scrollV_ + Height()), short(scrollH_ + Width())};
}

Point cSp_View::ContentToWindowOffset() const {
  short h = 0, v = 0;
  for (const cSp_View* view = this; view != nullptr; view = view->container_) {
    h = short(h + view->area_.left - view->scrollH_);
    v = short(v + view->area_.top - view->scrollV_);
  }
  return Point{v, h};
}

// ---- Areas of the view ----------------------------------------------------------------------

void cSp_View::GetDrawingAreaOnWindow(Rect* out) const {
  if (out == nullptr) {
    SpReportFailure(kSourceView, "cSp_View::GetDrawingAreaOnWindow", 1, kSpMsgNullArgument);
    return;
  }
  if (container_ == nullptr) {
    *out = area_;
  } else {
    container_->OffscreenAreaToOnWindowArea(area_, *out);
  }
}

unsigned char cSp_View::GetViewableDrawingAreaOnWindow(Rect& out) const {
  if (container_ == nullptr) {
    out = area_;
    return 1;
  }
  return container_->CutOffscreenRectByViewArea(area_, out);
}

unsigned char cSp_View::GetViewableDrawingAreaRgnOnWindow(RgnHandle out,
                                                          unsigned char applyOwnShape,
                                                          unsigned char cutByOverlying) {
  const char* const method = "cSp_View::GetViewableDrawingAreaRgnOnWindow";
  if (deleteReadyDone_ != 0) return 0;
  if (out == nullptr) return SpReportFailure(kSourceView, method, 1, kSpMsgNullArgument, 0);
  cScratchRgn area, work;
  if (!AllOk({&area, &work})) return SpReportFailure(kSourceView, method, 2, kSpMsgMemory, 0);
  if (container_ == nullptr) {
    RectRgn(out, &area_);
  } else {
    RectRgn(area, &area_);
    if (container_->CutOffscreenRgnByViewArea(area, work, out) == 0) return 0;
    container_->OffscreenRgnToOnWindowRgn(out, out);
  }
  if (applyOwnShape != 0) SectMyAreaViewImage(out, work);
  if (cutByOverlying != 0) {
    for (cSp_View* v = NextInPaintingOrder(); v != nullptr; v = v->NextInPaintingOrder()) {
      v->CutUnderViewImage(out, work);
      if (EmptyRgn(out)) return 0;
    }
  }
  return EmptyRgn(out) ? 0 : 1;
}

unsigned char cSp_View::VisibleOnWindow() const {
  if (container_ == nullptr) return 1;
  Rect scratch;
  return container_->VisibleOffscreenRectOnWindow(area_, scratch);
}

// ---- Cutting by the containers --------------------------------------------------------------

unsigned char cSp_View::CutOffscreenRectByViewArea(const Rect& rectInContent, Rect& out) const {
  const Rect visible = VisibleContent();
  if (!SectRect(&rectInContent, &visible, &out)) {
    out = Rect{0, 0, 0, 0};
    return 0;
  }
  OffsetRect(&out, short(area_.left - scrollH_), short(area_.top - scrollV_));
  if (container_ != nullptr) return container_->CutOffscreenRectByViewArea(out, out);
  return 1;
}

unsigned char cSp_View::CutOffscreenRgnByViewArea(RgnHandle in, RgnHandle work,
                                                  RgnHandle out) const {
  if (in == nullptr || work == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "cSp_View::CutOffscreenRgnByViewArea", 1, kSpMsgNullArgument,
                           0);
  }
  const Rect visible = VisibleContent();
  RectRgn(work, &visible);
  SectRgn(in, work, out);
  if (EmptyRgn(out)) return 0;
  if (container_ == nullptr) return 1;
  const short dh = short(area_.left - scrollH_), dv = short(area_.top - scrollV_);
  OffsetRgn(out, dh, dv);
  const unsigned char result = container_->CutOffscreenRgnByViewArea(out, work, out);
  OffsetRgn(out, short(-dh), short(-dv));
  return result;
}

unsigned char cSp_View::VisibleOffscreenRectOnWindow(const Rect& rectInContent, Rect& out) const {
  const Rect visible = VisibleContent();
  Rect s;
  if (!SectRect(&rectInContent, &visible, &s)) return 0;
  if (container_ == nullptr) {
    out = s;
    return 1;
  }
  const short dh = short(area_.left - scrollH_), dv = short(area_.top - scrollV_);
  OffsetRect(&s, dh, dv);
  Rect inContainer;
  if (container_->VisibleOffscreenRectOnWindow(s, inContainer) == 0) return 0;
  out = Offset(inContainer, short(-dh), short(-dv));
  return 1;
}

unsigned char cSp_View::ViewAreaRgnCutToVisibleViewAreaRgn(RgnHandle in, RgnHandle out) const {
  const char* const method = "cSp_View::ViewAreaRgnCutToVisibleViewAreaRgn";
  if (in == nullptr || out == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, 0);
  }
  cScratchRgn bounds;
  if (!bounds.Ok()) return SpReportFailure(kSource, method, 2, kSpMsgMemory, 0);
  const Rect own{0, 0, Height(), Width()};
  RectRgn(bounds, &own);
  SectRgn(in, bounds, out);
  if (EmptyRgn(out)) return 0;
  if (container_ == nullptr) return 1;
  const short dh = short(area_.left - container_->scrollH_);
  const short dv = short(area_.top - container_->scrollV_);
  OffsetRgn(out, dh, dv);
  container_->ViewAreaRgnCutToVisibleViewAreaRgn(out, out);
  OffsetRgn(out, short(-dh), short(-dv));
  return EmptyRgn(out) ? 0 : 1;
}

unsigned char cSp_View::OffscreenRectToUpperContainerOffscreenRect(const cSp_View* upper,
                                                                   const Rect& in, Rect& inUpper,
                                                                   Rect& visibleInUpper,
                                                                   Rect& upperContent) const {
  Rect moved = in;
  const cSp_View* v = this;
  for (; v != nullptr && v != upper; v = v->container_) {
    OffsetRect(&moved, short(v->area_.left - v->scrollH_), short(v->area_.top - v->scrollV_));
  }
  if (v == nullptr || upper == nullptr) return 0;
  inUpper = moved;
  Rect visible;
  OffscreenAreaToOnWindowArea(in, visible);
  for (v = this;; v = v->container_) {
    Rect viewable;
    if (v->GetViewableDrawingAreaOnWindow(viewable) == 0 ||
        !SectRect(&visible, &viewable, &visible)) {
      return 0;
    }
    if (v == upper) break;
  }
  upper->OnWindowRectToOffscreenRect(visible, visibleInUpper);
  upperContent = upper->VisibleContent();
  return 1;
}

// ---- Conversions ----------------------------------------------------------------------------

void cSp_View::OffscreenAreaToOnWindowArea(const Rect& in, Rect& out) const {
  const Point d = ContentToWindowOffset();
  out = Offset(in, d.h, d.v);
}

void cSp_View::OffscreenPositToOnWindowPosit(Point in, Point& out) const {
  const Point d = ContentToWindowOffset();
  out = Point{short(in.v + d.v), short(in.h + d.h)};
}

unsigned char cSp_View::OffscreenRgnToOnWindowRgn(RgnHandle in, RgnHandle out) const {
  if (in == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "cSp_View::OffscreenRgnToOnWindowRgn", 1, kSpMsgNullArgument,
                           0);
  }
  if (in != out) CopyRgn(in, out);
  const Point d = ContentToWindowOffset();
  OffsetRgn(out, d.h, d.v);
  return 1;
}

void cSp_View::OnWindowRectToOffscreenRect(const Rect& in, Rect& out) const {
  const Point d = ContentToWindowOffset();
  out = Offset(in, short(-d.h), short(-d.v));
}

void cSp_View::OnWindowPositToOffscreenPosit(Point in, Point& out) const {
  const Point d = ContentToWindowOffset();
  out = Point{short(in.v - d.v), short(in.h - d.h)};
}

unsigned char cSp_View::OnWindowRgnToOffscreenRgn(RgnHandle in, RgnHandle out) const {
  if (in == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "cSp_View::OnWindowRgnToOffscreenRgn", 1, kSpMsgNullArgument,
                           0);
  }
  if (in != out) CopyRgn(in, out);
  const Point d = ContentToWindowOffset();
  OffsetRgn(out, short(-d.h), short(-d.v));
  return 1;
}

void cSp_View::ViewAreaToWindowArea(const Rect& in, Rect& out) const {
  OffscreenAreaToOnWindowArea(Offset(in, scrollH_, scrollV_), out);
}

unsigned char cSp_View::ViewAreaRgnToOnWindowRgn(RgnHandle in, RgnHandle out) const {
  if (ViewAreaRgnToOffscreenRgn(in, out) == 0) return 0;
  return OffscreenRgnToOnWindowRgn(out, out);
}

unsigned char cSp_View::OnWindowRgnToViewAreaRgn(RgnHandle in, RgnHandle out) const {
  if (OnWindowRgnToOffscreenRgn(in, out) == 0) return 0;
  OffsetRgn(out, short(-scrollH_), short(-scrollV_));
  return 1;
}

unsigned char cSp_View::ViewAreaRgnToOffscreenRgn(RgnHandle in, RgnHandle out) const {
  if (in == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "cSp_View::ViewAreaRgnToOffscreenRgn", 1, kSpMsgNullArgument,
                           0);
  }
  if (in != out) CopyRgn(in, out);
  OffsetRgn(out, scrollH_, scrollV_);
  return 1;
}

void cSp_View::ImmediatePositionToOnWindowPosition(Point in, Point& out) const {
  if (container_ == nullptr) {
    out = in;
  } else {
    container_->OffscreenPositToOnWindowPosit(in, out);
  }
}

void cSp_View::OnWindowPositionToImmediatePosition(Point in, Point& out) const {
  if (container_ == nullptr) {
    out = in;
  } else {
    container_->OnWindowPositToOffscreenPosit(in, out);
  }
}

void cSp_View::OffscreenAreaToTopContainerOffscreenArea(const Rect& in, Rect& out) const {
  Point p{0, 0};
  OffscreenPositToTopContainerOffscreenPosit(p, p);
  out = Offset(in, p.h, p.v);
}

void cSp_View::OffscreenPositToTopContainerOffscreenPosit(Point in, Point& out) const {
  Point p = in;
  for (const cSp_View* v = this; v->container_ != nullptr; v = v->container_) {
    p.h = short(p.h + v->area_.left);
    p.v = short(p.v + v->area_.top);
  }
  out = p;
}

void cSp_View::OnWindowAreaToGlobalArea(const Rect& in, Rect& out) const {
  out = in;
  Sp_LocalToGlobalRect(GetTargetWindowPtr(), &out);
}

void cSp_View::OnWindowPositToGlobalPosit(Point in, Point& out) const {
  out = in;
  Sp_LocalToGlobalPt(GetTargetWindowPtr(), out);
}

void cSp_View::GlobalAreaToOnWindowArea(const Rect& in, Rect& out) const {
  out = in;
  Sp_GlobalToLocalRect(GetTargetWindowPtr(), &out);
}

void cSp_View::GlobalPositToOnWindowPosit(Point in, Point& out) const {
  out = in;
  Sp_GlobalToLocalPt(GetTargetWindowPtr(), out);
}
