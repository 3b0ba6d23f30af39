#include "SpHotSpotArea.h"

#include "Clock.h"
#include "Events.h"
#include "SpPortSaver.h"
#include "SpStdFunctionNumber.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"

using namespace sp_view_detail;

cSp_HotSpotArea* mouseDownHotSpot_GlV = nullptr;
unsigned char mouseInAreaFlag_GlV = 0;
Point beforeLocalPoint_GlV = {0, 0};

namespace {

const char* const kSource = kSourceHotSpot;
constexpr tLinks<cSp_HotSpotArea> kSiblings = Fields::hotSpotSiblings;

// The hot spots whose procedures and callbacks are running, innermost first. A procedure or
// callback may delete its own hot spot (a close button closing its window, say): the hot spot
// then leaves this chain, and the dispatch stops before it touches the object again.
struct sDispatch {
  cSp_HotSpotArea* hotSpot;
  sDispatch* outer;
};
sDispatch* dispatching = nullptr;

class cDispatchScope {
 public:
  explicit cDispatchScope(cSp_HotSpotArea* hotSpot) : entry_{hotSpot, dispatching} {
    dispatching = &entry_;
  }
  ~cDispatchScope() { dispatching = entry_.outer; }
  cDispatchScope(const cDispatchScope&) = delete;
  cDispatchScope& operator=(const cDispatchScope&) = delete;
  bool Alive() const { return entry_.hotSpot != nullptr; }

 private:
  sDispatch entry_;
};

void ForgetInDispatch(const cSp_HotSpotArea* hotSpot) {
  for (sDispatch* d = dispatching; d != nullptr; d = d->outer) {
    if (d->hotSpot == hotSpot) d->hotSpot = nullptr;
  }
}

unsigned char Run(const sSpCallback<tSpHotSpotProcPtr>& callback, short modifiers, Point point,
                  unsigned char without) {
  return callback.proc != nullptr ? callback.proc(modifiers, point, callback.userData) : without;
}

}  // namespace

// ---- Construction and the delete-ready step -------------------------------------------------

cSp_HotSpotArea::cSp_HotSpotArea(WindowRef window, const Rect& area) : areaRect_(area) {
  viewWindow_ = Sp_GetViewWindowObject(window, 1);
  if (viewWindow_ == nullptr) {
    SpReportFailure(kSource, "cSp_HotSpotArea::cSp_HotSpotArea", 1, kSpMsgDataError);
    return;
  }
  viewWindow_->SetupOnTopOfHotSpotList(this);
  viewWindow_->SetupHightLayerOfHotSpotContainerList(this);
}

cSp_HotSpotArea::~cSp_HotSpotArea() {
  if (deleteReady_ == 0) ExecHotSpotObjDeleteReady();
  ForgetInDispatch(this);
  if (areaRgn_ != nullptr) DisposeRgn(areaRgn_);
  areaRgn_ = nullptr;
}

void cSp_HotSpotArea::ExecHotSpotObjDeleteReady() {
  if (deleteReady_ != 0) return;
  ForgetInDispatch(this);
  if (mouseDownHotSpot_GlV == this) {
    mouseDownHotSpot_GlV = nullptr;
    mouseInAreaFlag_GlV = 0;
  }
  deleteReady_ = 1;
  if (viewWindow_ == nullptr) {
    SpReportFailure(kSource, "cSp_HotSpotArea::ExecHotSpotObjDeleteReady", 1, kSpMsgDataError);
    return;
  }
  // The items take this hot spot's place among its siblings.
  for (cSp_HotSpotArea* item = itemHead_; item != nullptr; item = item->siblings_.next) {
    item->container_ = container_;
  }
  LinkChainAfter(this, itemHead_, kSiblings);
  itemHead_ = itemLast_ = nullptr;
  viewWindow_->LinkOffHotSpotItem(this);
  if (container_ != nullptr) {
    UnlinkFrom(container_->itemHead_, container_->itemLast_, this, kSiblings);
    container_->itemLast_ = LastOf(container_->itemHead_, kSiblings);
  } else {
    viewWindow_->LinkOffHotSpotContainerItem(this);
  }
  container_ = nullptr;
  cSp_ViewWindow* viewWindow = viewWindow_;
  viewWindow_ = nullptr;
  Sp_CheckViewWindowStatusAndDeleteFreeViewWindow(viewWindow);
}

// ---- Procedures and callbacks ---------------------------------------------------------------

unsigned char cSp_HotSpotArea::HotSpotMouseDonwProc(short, Point) {
  return 1;
}
unsigned char cSp_HotSpotArea::HotSpotMouseAreaOutProc(short, Point) {
  return 1;
}
unsigned char cSp_HotSpotArea::HotSpotMouseAreaInProc(short, Point) {
  return 0;
}
unsigned char cSp_HotSpotArea::HotSpotMouseUpProc(short, Point) {
  return 1;
}
void cSp_HotSpotArea::HotSpotClickProc(short, Point) {}
unsigned char cSp_HotSpotArea::HotSpotDblClickProc(short, Point) {
  return 0;
}
unsigned char cSp_HotSpotArea::HotSpotMouseMoveProc(short, Point) {
  return 1;
}
unsigned char cSp_HotSpotArea::HotSpotMouseDownTraceProc(short, Point) {
  return 0;
}

void cSp_HotSpotArea::SetupHotspotMouseDownCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  mouseDownCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotMouseAreaOutCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  areaOutCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotMouseAreaInCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  areaInCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotMouseUpCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  mouseUpCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotClickCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  clickCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotDblClickCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  dblClickCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotMouseMoveCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  mouseMoveCB_ = {proc, refCon};
}
void cSp_HotSpotArea::SetupHotSpotMouseDownTraceCB(tSpHotSpotProcPtr proc, unsigned long refCon) {
  traceCB_ = {proc, refCon};
}

unsigned char cSp_HotSpotArea::ExecHotspotMouseDownCB(short modifiers, Point point) {
  return Run(mouseDownCB_, modifiers, point, 1);
}
unsigned char cSp_HotSpotArea::ExecHotSpotMouseAreaOutCB(short modifiers, Point point) {
  return Run(areaOutCB_, modifiers, point, 0);
}
unsigned char cSp_HotSpotArea::ExecHotSpotMouseAreaInCB(short modifiers, Point point) {
  return Run(areaInCB_, modifiers, point, 0);
}
unsigned char cSp_HotSpotArea::ExecHotSpotMouseUpCB(short modifiers, Point point) {
  return Run(mouseUpCB_, modifiers, point, 1);
}
unsigned char cSp_HotSpotArea::ExecHotSpotClickCB(short modifiers, Point point) {
  return Run(clickCB_, modifiers, point, 0);
}
unsigned char cSp_HotSpotArea::ExecHotSpotDblClickCB(short modifiers, Point point) {
  return Run(dblClickCB_, modifiers, point, 0);
}
unsigned char cSp_HotSpotArea::ExecHotSpotMouseMoveCB(short modifiers, Point point) {
  return Run(mouseMoveCB_, modifiers, point, 0);
}
unsigned char cSp_HotSpotArea::ExecHotSpotMouseDownTraceCB(short modifiers, Point point) {
  return Run(traceCB_, modifiers, point, 0);
}

// ---- The press, the tracking and the release ------------------------------------------------

unsigned char cSp_HotSpotArea::MouseDownOnHotSpotArea(short modifiers, Point point) {
  if (PtInHotSpotArea(point) == 0) {
    clickState_ = 0;
    return 0;
  }
  mouseDown_ = 1;
  cDispatchScope scope(this);
  const unsigned char byProc = HotSpotMouseDonwProc(modifiers, point);
  if (!scope.Alive()) return 0;
  const unsigned char byCallback = ExecHotspotMouseDownCB(modifiers, point);
  if (!scope.Alive()) return 0;
  return (byProc != 0 && byCallback != 0) ? 1 : 0;
}

unsigned char cSp_ViewWindow::MouseDownHotSpot(Point localPoint, short modifiers) {
  cSp_HotSpotArea* h = rootHotSpotLast_;
  while (h != nullptr) {
    while (h->itemLast_ != nullptr) h = h->itemLast_;
    for (;;) {
      cDispatchScope scope(h);
      const bool accepted =
          h->enabled_ != 0 && h->MouseDownOnHotSpotArea(modifiers, localPoint) != 0;
      if (!scope.Alive()) return 0;
      if (accepted) {
        h->tracedSincePress_ = 0;
        mouseDownHotSpot_GlV = h;
        mouseInAreaFlag_GlV = 1;
        beforeLocalPoint_GlV = localPoint;
        return 1;
      }
      if (h->siblings_.before != nullptr) {
        h = h->siblings_.before;
        break;
      }
      h = h->container_;
      if (h == nullptr) return 0;
    }
  }
  return 0;
}

void cSp_HotSpotArea::TraceStep() {
  WindowRef window = GetHotSpotWindowPtr();
  if (window == nullptr) return;
  Point point = {0, 0};
  {
    cSpPortSaver port(window);
    GetMouse(&point);
  }
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  cDispatchScope scope(this);
  // The step ends where a procedure or callback deleted the hot spot or cancelled the press.
  auto still = [&] { return scope.Alive() && mouseDownHotSpot_GlV == this; };

  bool handled = false;
  const bool inside = PtInHotSpotArea(point) != 0;
  if (inside != (mouseInAreaFlag_GlV != 0)) {
    mouseInAreaFlag_GlV = inside ? 1 : 0;
    const unsigned char byProc = inside ? HotSpotMouseAreaInProc(modifiers, point)
                                        : HotSpotMouseAreaOutProc(modifiers, point);
    if (!still()) return;
    handled = byProc != 0;
    if (!handled) {
      handled = (inside ? ExecHotSpotMouseAreaInCB(modifiers, point)
                        : ExecHotSpotMouseAreaOutCB(modifiers, point)) != 0;
      if (!still()) return;
    }
  }
  if (!handled && !EqualPt(point, beforeLocalPoint_GlV)) {
    if (HotSpotMouseMoveProc(modifiers, point) == 0) {
      if (!still()) return;
      ExecHotSpotMouseMoveCB(modifiers, point);
    }
    if (!still()) return;
    beforeLocalPoint_GlV = point;
  }
  if (TraceDue()) {
    if (HotSpotMouseDownTraceProc(modifiers, point) == 0 && still()) {
      ExecHotSpotMouseDownTraceCB(modifiers, point);
    }
  }
}

bool cSp_HotSpotArea::TraceDue() {
  const UInt32 now = TickCount();
  const UInt32 interval = traceInterval_ > 0 ? UInt32(traceInterval_) : 0;
  if (tracedSincePress_ != 0 && UInt32(now - lastTraceTick_) < interval) return false;
  tracedSincePress_ = 1;
  lastTraceTick_ = now;
  return true;
}

void cSp_HotSpotArea::MouseUpTerminateOnHotSpotArea(short modifiers, Point point) {
  mouseDown_ = 0;
  cDispatchScope scope(this);
  const unsigned char byProc = HotSpotMouseUpProc(modifiers, point);
  if (!scope.Alive()) return;
  const unsigned char byCallback = ExecHotSpotMouseUpCB(modifiers, point);
  if (!scope.Alive() || byProc == 0 || byCallback == 0) return;

  const UInt32 now = TickCount();
  const UInt32 interval = GetDblTime();
  dblClickTaken_ = 0;
  if (clickState_ == 1 && lastClickTick_ <= now && now <= lastClickTick_ + interval) {
    const unsigned char taken = HotSpotDblClickProc(modifiers, point);
    if (!scope.Alive()) return;
    const unsigned char takenByCallback =
        dblClickCB_.proc != nullptr ? ExecHotSpotDblClickCB(modifiers, point) : 0;
    if (!scope.Alive()) return;
    if (taken != 0 || takenByCallback != 0) {
      dblClickTaken_ = 1;
      clickState_ = 2;
      lastClickTick_ = now;
      return;
    }
  }
  // The state first: the click procedures may delete the hot spot.
  lastClickTick_ = now;
  clickState_ = 1;
  HotSpotClickProc(modifiers, point);
  if (!scope.Alive()) return;
  if (clickCB_.proc != nullptr) ExecHotSpotClickCB(modifiers, point);
}

unsigned char Sp_MouseDownHotSpot(WindowRef window, Point localPoint, short modifiers) {
  mouseDownHotSpot_GlV = nullptr;
  mouseInAreaFlag_GlV = 0;
  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  return viewWindow != nullptr ? viewWindow->MouseDownHotSpot(localPoint, modifiers) : 0;
}

void Sp_MouseDownMouseTrace() {
  cSp_HotSpotArea* hotSpot = mouseDownHotSpot_GlV;
  if (hotSpot == nullptr || hotSpot->IsMouseDownProcEnable() == 0) return;
  hotSpot->TraceStep();
}

void Sp_MouseUpHotSpot(WindowRef, Point localPoint, short modifiers) {
  cSp_HotSpotArea* hotSpot = mouseDownHotSpot_GlV;
  mouseDownHotSpot_GlV = nullptr;
  if (hotSpot != nullptr) hotSpot->MouseUpTerminateOnHotSpotArea(modifiers, localPoint);
}

void Sp_HotspotMouseTraceCancel() {
  mouseDownHotSpot_GlV = nullptr;
}

// ---- The area -------------------------------------------------------------------------------

void cSp_HotSpotArea::SetupHotSpotArea(const Rect& area) {
  areaRect_ = area;
  regionMode_ = 0;
  if (areaRgn_ != nullptr) DisposeRgn(areaRgn_);
  areaRgn_ = nullptr;
}

void cSp_HotSpotArea::SetupHotSpotArea(RgnHandle area) {
  if (area == nullptr) {
    SpReportFailure(kSource, "cSp_HotSpotArea::SetupHotSpotArea", 1, kSpMsgNullArgument);
    return;
  }
  if (areaRgn_ == nullptr) areaRgn_ = NewRgn();
  if (areaRgn_ == nullptr) {
    SpReportFailure(kSource, "cSp_HotSpotArea::SetupHotSpotArea", 2, kSpMsgMemory);
    return;
  }
  CopyRgn(area, areaRgn_);
  regionMode_ = 1;
}

void cSp_HotSpotArea::GetHotSpotArea(RgnHandle out) const {
  if (out == nullptr) return;
  if (regionMode_ == 0) {
    RectRgn(out, &areaRect_);
  } else if (areaRgn_ != nullptr) {
    CopyRgn(areaRgn_, out);
  } else {
    SetEmptyRgn(out);
  }
}

unsigned char cSp_HotSpotArea::GetHotSpotArea(Rect& out) const {
  if (regionMode_ == 0) {
    out = areaRect_;
    return 1;
  }
  if (areaRgn_ == nullptr) return 0;
  GetRegionBounds(areaRgn_, &out);
  return 1;
}

unsigned char cSp_HotSpotArea::PtInHotSpotArea(Point localPoint) const {
  if (regionMode_ == 0) return PtInRect(localPoint, &areaRect_) ? 1 : 0;
  return (areaRgn_ != nullptr && PtInRgn(localPoint, areaRgn_)) ? 1 : 0;
}

WindowRef cSp_HotSpotArea::GetHotSpotWindowPtr() const {
  return viewWindow_ != nullptr ? viewWindow_->GetWindowRef() : nullptr;
}

unsigned char cSp_HotSpotArea::IsHotSpotTargetWindowOpen() const {
  return viewWindow_ != nullptr ? viewWindow_->IsViewWindowOpen() : 0;
}

// ---- Lists and layers -----------------------------------------------------------------------

void cSp_HotSpotArea::LinkToHotSpotItemNext(cSp_HotSpotArea* chain) {
  LinkChainAfter(this, chain, Fields::hotSpots);
}
cSp_HotSpotArea* cSp_HotSpotArea::UnlinkHotSpotItemNext() {
  return UnlinkNextOf(this, Fields::hotSpots);
}
cSp_HotSpotArea* cSp_HotSpotArea::GetHotSpotItemLastObjectPtr() {
  return LastOf(this, Fields::hotSpots);
}
void cSp_HotSpotArea::LinkToHotSpotContainerItemNext(cSp_HotSpotArea* chain) {
  for (cSp_HotSpotArea* h = chain; h != nullptr; h = h->siblings_.next) h->container_ = container_;
  LinkChainAfter(this, chain, kSiblings);
}
cSp_HotSpotArea* cSp_HotSpotArea::UnlinkHotSpotContainerItemNext() {
  return UnlinkNextOf(this, kSiblings);
}
cSp_HotSpotArea* cSp_HotSpotArea::GetHotSpotContainerItemLast() {
  return LastOf(this, kSiblings);
}

SInt32 cSp_HotSpotArea::GetHotSpotContainerItemLayerPosit() const {
  SInt32 posit = 1;
  for (const cSp_HotSpotArea* h = siblings_.before; h != nullptr; h = h->siblings_.before) ++posit;
  return posit;
}

SInt32 cSp_HotSpotArea::GetHotSpotContanerItemMaxLayerPosit() const {
  SInt32 count = GetHotSpotContainerItemLayerPosit();
  for (const cSp_HotSpotArea* h = siblings_.next; h != nullptr; h = h->siblings_.next) ++count;
  return count;
}

void cSp_HotSpotArea::SetupHotSpotContainerItemOnHightLayer(cSp_HotSpotArea* item) {
  const char* const method = "cSp_HotSpotArea::SetupHotSpotContainerItemOnHightLayer";
  if (item == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return;
  }
  if (PositionIn(itemHead_, item, kSiblings) != 0 || viewWindow_ == nullptr) {
    SpReportFailure(kSource, method, 2, kSpMsgLinkError);
    return;
  }
  if (item->container_ == nullptr) {
    viewWindow_->LinkOffHotSpotContainerItem(item);
  } else {
    item->container_->UnlinkHotSpotContaierItem(item, 0);
  }
  item->siblings_ = {};
  item->container_ = this;
  AppendChain(itemHead_, itemLast_, item, kSiblings);
}

void cSp_HotSpotArea::SetupHotSpotContainerItemOnTargetLayer(cSp_HotSpotArea* item,
                                                             unsigned char unlinkFromRoot,
                                                             SInt32 posit) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_HotSpotArea::SetupHotSpotContainerItemOnTargetLayer", 1,
                    kSpMsgNullArgument);
    return;
  }
  if (PositionIn(itemHead_, item, kSiblings) != 0) return;
  if (unlinkFromRoot != 0 && viewWindow_ != nullptr) viewWindow_->LinkOffHotSpotContainerItem(item);
  item->siblings_ = {};
  item->container_ = this;
  InsertAfterIn(itemHead_, itemLast_, ItemAt(itemHead_, posit - 1, kSiblings), item, kSiblings);
  itemLast_ = LastOf(itemHead_, kSiblings);
}

void cSp_HotSpotArea::UnlinkHotSpotContaierItem(cSp_HotSpotArea* item, unsigned char toRoot) {
  if (item == nullptr || PositionIn(itemHead_, item, kSiblings) == 0) {
    SpReportFailure(kSource, "cSp_HotSpotArea::UnlinkHotSpotContaierItem", 1, kSpMsgLinkError);
    return;
  }
  UnlinkFrom(itemHead_, itemLast_, item, kSiblings);
  item->container_ = nullptr;
  if (toRoot == 0 || viewWindow_ == nullptr) return;
  cSp_HotSpotArea* root = this;
  while (root->container_ != nullptr) root = root->container_;
  viewWindow_->InsertHotSpotInContainerList(root, item);
}

void cSp_HotSpotArea::MoveToTopLayerInHotSpotContanerItemList() {
  if (siblings_.next == nullptr) return;
  MoveToTargetLayerInHotSpotContanerItemList(GetHotSpotContanerItemMaxLayerPosit());
}

void cSp_HotSpotArea::MoveToTargetLayerInHotSpotContanerItemList(SInt32 posit) {
  const SInt32 n = GetHotSpotContanerItemMaxLayerPosit();
  const SInt32 p = GetHotSpotContainerItemLayerPosit();
  if (p == posit || posit > n) return;
  if (container_ == nullptr) {
    if (viewWindow_ != nullptr) viewWindow_->MoveHotSpotOnTargetContainerListPosit(this, posit);
    return;
  }
  MoveToPosition(container_->itemHead_, container_->itemLast_, this, p, posit <= 1 ? 1 : posit,
                 kSiblings);
}
