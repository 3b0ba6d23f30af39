#include "SpViewClass.h"

#include "Clock.h"
#include "MacWindows.h"
#include "SpHotSpotArea.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"
#include "SpWindow.h"

using namespace sp_view_detail;

cSp_View* interruptViewList_GlV = nullptr;

namespace sp_view_detail {

const char kSourceView[] = "SpViewClass";
const char kSourceLink[] = "SpViewClassLink";
const char kSourceDrawing[] = "SpViewClassDrawing";
const char kSourceOffscreen[] = "SpViewClassOffscreen";
const char kSourcePosition[] = "SpViewClassPosition";
const char kSourceViewWindow[] = "SpViewWindow";
const char kSourceHotSpot[] = "SpHotSpotArea";

const char kMsgLoop[] = "Loop Error !! ";
const char kMsgNoViewWindow[] = "Vew Window Pointer is null !! ";
const char kMsgNoGWorld[] = "Data Error";
const char kMsgNoHolder[] = "Offscreen serch Error !! ";
const char kMsgOffscreenData[] = "Offscreen Data Error !! ";
const char kMsgArguments[] = "Arguments Error !! ";

}  // namespace sp_view_detail

namespace {

const char* const kSource = kSourceView;

}  // namespace

// ---- Construction and the delete-ready step -------------------------------------------------

cSp_View::cSp_View(WindowRef window, const Rect& area, unsigned char periodic,
                   UInt32 intervalTicks, cSp_View* container,
                   unsigned char drawInContainerOffscreen) {
  StartUpInitialize();
  if (periodic != 0) SetInInterruptViewList(intervalTicks);
  area_ = area;
  const unsigned char drawIn = (container != nullptr && drawInContainerOffscreen != 0) ? 1 : 0;
  viewWindow_ = Sp_GetViewWindowObject(window, 1);
  if (viewWindow_ == nullptr) {
    SpReportFailure(kSource, "cSp_View::cSp_View", 1, kSpMsgMemory);
    return;
  }
  viewWindow_->SetupViewOnTop(this);
  if (container == nullptr) {
    viewWindow_->SetupOnTopLayerInContainerList(this);
  } else {
    container->PutOnTopLayerContainerItem(this, drawIn);
  }
  if (drawIn == 0) ResetDrawingItemLinkFromContainerViewLink(1);
  contentWidth_ = SInt16(area.right - area.left);
  contentHeight_ = SInt16(area.bottom - area.top);
  SetupOffscreenAreaAttribute();
  if (drawIn == 0) SetupOffscreen(0);
  drawsInContainerOffscreen_ = drawIn;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
}

cSp_View::~cSp_View() {
  if (deleteReadyDone_ == 0) ExecViewObjDeleteReady();
  // A view whose construction failed never got a view window, but may be on the periodic
  // list.
  RemoveFromInterruptViewList();
  DisposeNormalOffscreen();
  DisposeTransmitViewOffscreen();
  if (clipRgn_ != nullptr) DisposeRgn(clipRgn_);
  clipRgn_ = nullptr;
}

void cSp_View::StartUpInitialize() {
  outputEnabled_ = 1;
  waitRedraw_ = 1;
  area_ = Rect{0, 0, 0, 0};
  translucent_ = underViewImageOff_ = inPeriodicList_ = drawsInContainerOffscreen_ = 0;
  offscreenDepth_ = Sp_GetScreenDepth();
  offscreen_ = transmitOffscreen_ = transmitRateOffscreen_ = nullptr;
  transmitArea_ = offscreenArea_ = Rect{0, 0, 0, 0};
  transmitType_ = 0;
  transmitRate_ = 80.0f;
  if (clipRgn_ != nullptr) {
    SetEmptyRgn(clipRgn_);
  } else {
    clipRgn_ = NewRgn();
  }
  for (PixMapHandle& locked : lockedPixMaps_) locked = nullptr;
  viewWindow_ = nullptr;
  periodicLinks_ = windowLinks_ = siblings_ = drawingLinks_ = {};
  container_ = itemHead_ = itemLast_ = nullptr;
  hScrollEnabled_ = vScrollEnabled_ = 0;
  contentWidth_ = contentHeight_ = scrollH_ = scrollV_ = 0;
  notifyProc_ = nullptr;
  notifyRefCon_ = 0;
  deleteReadyDone_ = contentNotDrawn_ = 0;
  periodicInterval_ = lastPeriodicDraw_ = 0;
}

void cSp_View::ExecViewObjDeleteReady() {
  if (deleteReadyDone_ != 0) return;
  RemoveFromInterruptViewList();
  // A bar that scrolled the view must not reach it any more.
  ReleaseScrollBar(kSpHorizontalScrollBar);
  ReleaseScrollBar(kSpVerticalScrollBar);
  if (viewWindow_ == nullptr) {
    SpReportFailure(kSource, "cSp_View::ExecViewObjDeleteReady", 1, kSpMsgDataError);
    return;
  }
  viewWindow_->LinkOffViewListItemList(this);
  if (itemHead_ != nullptr) HandItemsOver();
  LeaveSiblingList();
  if (drawsInContainerOffscreen_ == 0) {
    viewWindow_->LinkOffFromRootViewDrawingList(this);
  } else if (viewWindow_->CheckTargetViewExistInDrawingViewList(this) != 0) {
    SpReportFailure(kSource, "cSp_View::ExecViewObjDeleteReady", 4, kSpMsgNullOperator);
    viewWindow_->LinkOffFromRootViewDrawingList(this);
  }
  drawingLinks_ = {};
  cSp_ViewWindow* viewWindow = viewWindow_;
  viewWindow_ = nullptr;
  deleteReadyDone_ = 1;
  Sp_CheckViewWindowStatusAndDeleteFreeViewWindow(viewWindow);
}

// The items go to this view's own level, at its place in the layer order. Those that drew in
// its offscreen get offscreens of their own, so that they still show.
void cSp_View::HandItemsOver() {
  cSp_View* holder = ImageHolder();
  const bool holderListed =
      holder != nullptr && viewWindow_->CheckTargetViewExistInDrawingViewList(holder) != 0;
  if (!holderListed) SpReportFailure(kSource, "cSp_View::ExecViewObjDeleteReady", 2, kSpMsgDataError);

  cSp_View* first = itemHead_;
  cSp_View* last = itemLast_;
  for (cSp_View* v = first; v != nullptr; v = v->siblings_.next) v->container_ = container_;
  LinkChainAfter(this, first, Fields::siblings);
  if (container_ != nullptr) {
    container_->itemLast_ = LastOf(container_->itemHead_, Fields::siblings);
  } else {
    viewWindow_->ModifyContainerListLastItem();
  }
  itemHead_ = itemLast_ = nullptr;
  if (!holderListed) return;

  for (cSp_View* v = first; v != nullptr; v = (v == last) ? nullptr : v->siblings_.next) {
    if (v->drawsInContainerOffscreen_ == 0) continue;
    if (viewWindow_->CheckTargetViewExistInDrawingViewList(v) != 0) {
      SpReportFailure(kSource, "cSp_View::ExecViewObjDeleteReady", 3, kSpMsgDataError);
      return;
    }
    v->drawsInContainerOffscreen_ = 0;
    v->drawingLinks_ = {};
    v->ResetDrawingItemLinkFromContainerViewLink(0);
    v->SetupOffscreen(0);
  }
}

void cSp_View::LeaveSiblingList() {
  if (container_ != nullptr) {
    container_->LinkOffContainerItemList(this);
  } else {
    viewWindow_->LinkOffFromRootContainerList(this);
  }
  siblings_ = {};
  container_ = nullptr;
}

// ---- Virtual operations: the base view draws nothing and lets everything happen ------------

unsigned char cSp_View::DrawViewBackground() {
  return 0;
}
unsigned char cSp_View::DrawTransmitRateOffscreen(float) {
  return 0;
}
unsigned char cSp_View::UpdateProc() {
  return 0;
}
unsigned char cSp_View::InterruptDraw() {
  return 0;
}
unsigned char cSp_View::BeforeContainerMoveExecute(cSp_View*, short, short, short, short) {
  return 1;
}
void cSp_View::AfterContainerMoveExecute(cSp_View*, short, short, short, short) {}
unsigned char cSp_View::BeforeContainerResizeExecute(cSp_View*, short, short, short, short) {
  return 1;
}
void cSp_View::AfterContainerResizeExecute(cSp_View*, short, short, short, short) {}
unsigned char cSp_View::CutUnderViewImage(RgnHandle, RgnHandle) {
  return 0;
}
unsigned char cSp_View::SectMyAreaViewImage(RgnHandle, RgnHandle) {
  return 0;
}
void cSp_View::BeforeScrollExecute(short, short, short, short) {}
void cSp_View::AfterScrollExecute(short, short, short, short) {}
void cSp_View::BeforeContainerScrollExecute(short, short, short, short) {}
void cSp_View::AfterContainerScrollExecute(short, short, short, short) {}
void cSp_View::NotifyChangedContainerItemLayerRankNo(SInt32, SInt32) {}

// ---- Output and state -----------------------------------------------------------------------

void cSp_View::DisableViewOutput(unsigned char redraw) {
  if (outputEnabled_ == 0) return;
  outputEnabled_ = 0;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  InvisibleViewScrollBar(kSpHorizontalScrollBar);
  InvisibleViewScrollBar(kSpVerticalScrollBar);
}

void cSp_View::EnableViewOutput(unsigned char redraw) {
  if (outputEnabled_ != 0) return;
  outputEnabled_ = 1;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  VisibleViewScrollBar(kSpHorizontalScrollBar);
  VisibleViewScrollBar(kSpVerticalScrollBar);
}

WindowRef cSp_View::GetTargetWindowPtr() const {
  return viewWindow_ != nullptr ? viewWindow_->GetWindowRef() : nullptr;
}

unsigned char cSp_View::IsViewTargetWindowOpen() const {
  return viewWindow_ != nullptr ? viewWindow_->IsViewWindowOpen() : 0;
}

void cSp_View::GetImmediateDrawingArea(Rect* out) const {
  if (out == nullptr) {
    SpReportFailure(kSource, "cSp_View::GetImmediateDrawingArea", 1, kSpMsgNullArgument);
    return;
  }
  *out = area_;
}

cSp_View* cSp_View::GetOffscreenView() const {
  for (cSp_View* c = container_; c != nullptr; c = c->container_) {
    if (c->drawsInContainerOffscreen_ == 0) return c;
  }
  return nullptr;
}

cSp_View* cSp_View::ImageHolder() const {
  if (drawsInContainerOffscreen_ == 0) return const_cast<cSp_View*>(this);
  return GetOffscreenView();
}

unsigned char cSp_View::HaveUseContainerViewOffscreenContainerItem() const {
  int steps = 0;
  for (const cSp_View* v = itemHead_; v != nullptr; v = v->NextInSubtree(this)) {
    if (++steps > 3000) {
      return SpReportFailure(kSource, "cSp_View::HaveUseContainerViewOffscreenContainerItem", 1,
                             kMsgLoop, 0);
    }
    if (v->drawsInContainerOffscreen_ != 0) return 1;
  }
  return 0;
}

// ---- The clipping region --------------------------------------------------------------------

unsigned char cSp_View::SetupViewClippingRgn(RgnHandle rgn) {
  if (rgn == nullptr || clipRgn_ == nullptr) return 0;
  CopyRgn(rgn, clipRgn_);
  return 1;
}

unsigned char cSp_View::GetViewClippingRgn(RgnHandle rgn) const {
  if (rgn == nullptr || clipRgn_ == nullptr) return 0;
  CopyRgn(clipRgn_, rgn);
  return 1;
}

void cSp_View::SetupViewClippingRect(const Rect& rect) {
  if (clipRgn_ != nullptr) RectRgn(clipRgn_, &rect);
}

unsigned char cSp_View::AddViewClippingRgn(RgnHandle rgn) {
  if (rgn == nullptr || clipRgn_ == nullptr) return 0;
  UnionRgn(clipRgn_, rgn, clipRgn_);
  return 1;
}

void cSp_View::AddViewClippingRect(const Rect& rect) {
  cScratchRgn r;
  if (!r.Ok()) {
    SpReportFailure(kSource, "cSp_View::AddViewClippingRect", 1, kSpMsgMemory);
    return;
  }
  RectRgn(r, &rect);
  AddViewClippingRgn(r);
}

void cSp_View::ClearViewClippingArea() {
  if (clipRgn_ != nullptr) SetEmptyRgn(clipRgn_);
}

unsigned char cSp_View::EmptyViewClippingArea() const {
  return (clipRgn_ == nullptr || EmptyRgn(clipRgn_)) ? 1 : 0;
}

// ---- Invalidation ---------------------------------------------------------------------------

void cSp_View::SetupModifyDrawingRectAndFlag(const Rect* areaOnWindow, unsigned char addToWindow) {
  if (viewWindow_ == nullptr) return;
  Rect r;
  GetDrawingAreaOnWindow(&r);
  if (areaOnWindow != nullptr && !SectRect(&r, areaOnWindow, &r)) return;
  if (EmptyRect(&r)) return;
  if (addToWindow != 0) SetupRedrawAreaOnWindow(r);
  MarkViewsAbove(r);
}

// Every view painted at or above the image holder keeps a copy of what lies under it in its
// offscreen, so each of them that shows part of the change has to be painted again.
void cSp_View::MarkViewsAbove(const Rect& r) {
  cSp_View* start = ImageHolder();
  for (cSp_View* v = start != nullptr ? start : this; v != nullptr; v = v->NextInPaintingOrder()) {
    Rect visible, part;
    if (v->GetViewableDrawingAreaOnWindow(visible) == 0 || !SectRect(&visible, &r, &part)) {
      continue;
    }
    Rect inContent;
    v->OnWindowRectToOffscreenRect(part, inContent);
    v->AddViewClippingRect(inContent);
    v->waitRedraw_ = 1;
  }
}

void cSp_View::MarkViewsAbove(RgnHandle rgn, RgnHandle scratch) {
  cSp_View* start = ImageHolder();
  (start != nullptr ? start : this)->MarkViewsFrom(rgn, scratch);
}

void cSp_View::MarkViewsFrom(RgnHandle rgn, RgnHandle scratch) {
  for (cSp_View* v = this; v != nullptr; v = v->NextInPaintingOrder()) {
    Rect visible;
    if (v->GetViewableDrawingAreaOnWindow(visible) == 0) continue;
    RectRgn(scratch, &visible);
    SectRgn(scratch, rgn, scratch);
    if (EmptyRgn(scratch)) continue;
    v->OnWindowRgnToOffscreenRgn(scratch, scratch);
    v->AddViewClippingRgn(scratch);
    v->waitRedraw_ = 1;
  }
}

void cSp_View::SetupModifyDrawingRgnAndFlag(RgnHandle regionOnWindow, unsigned char addToWindow) {
  if (outputEnabled_ == 0 || regionOnWindow == nullptr || viewWindow_ == nullptr) return;
  if (addToWindow != 0) SetupRedrawAreaOnWindow(regionOnWindow);
  cScratchRgn scratch;
  if (!scratch.Ok()) {
    SpReportFailure(kSource, "cSp_View::SetupModifyDrawingRgnAndFlag", 2, kSpMsgMemory);
    return;
  }
  MarkViewsAbove(regionOnWindow, scratch);
}

void cSp_View::SetupRedrawAreaOnWindow(const Rect& rectOnWindow) {
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  if (SectRect(&onWindow, &rectOnWindow, &onWindow)) {
    Sp_AddRedrawAreaInWindow(GetTargetWindowPtr(), &onWindow);
  }
}

void cSp_View::SetupRedrawAreaOnWindow(RgnHandle regionOnWindow) {
  cScratchRgn area, part;
  if (!AllOk({&area, &part})) {
    SpReportFailure(kSource, "cSp_View::SetupRedrawAreaOnWindow", 1, kSpMsgMemory);
    return;
  }
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  RectRgn(area, &onWindow);
  SectRgn(regionOnWindow, area, part);
  if (!EmptyRgn(part)) Sp_AddRedrawAreaInWindow(GetTargetWindowPtr(), part);
}

void cSp_View::WipeOutRedrawAreaOnWindow(const Rect& rectOnWindow) {
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  if (SectRect(&onWindow, &rectOnWindow, &onWindow)) {
    Sp_SubRedrawAreaOnWindow(GetTargetWindowPtr(), &onWindow);
  }
}

void cSp_View::SetupRedrawAreaOnView(const Rect& rectInContent) {
  Rect grown = rectInContent;
  InsetRect(&grown, -1, -1);
  Rect onWindow;
  OffscreenAreaToOnWindowArea(grown, onWindow);
  SetupRedrawAreaOnWindow(onWindow);
}

void cSp_View::SetupRedrawAreaOnView(RgnHandle regionInContent) {
  cScratchRgn grown;
  if (regionInContent == nullptr || !grown.Ok()) return;
  CopyRgn(regionInContent, grown);
  InsetRgn(grown, -1, -1);
  OffscreenRgnToOnWindowRgn(grown, grown);
  SetupRedrawAreaOnWindow(grown);
}

// ---- Move and resize ------------------------------------------------------------------------

unsigned char cSp_View::ResizeViewArea(const Rect& newArea, unsigned char redraw,
                                       unsigned char notifyItems) {
  if (deleteReadyDone_ != 0 || EqualRect(&newArea, &area_)) return 0;
  const Rect old = area_;
  const short dh = short(newArea.left - old.left), dv = short(newArea.top - old.top);
  const short dWidth = short((newArea.right - newArea.left) - (old.right - old.left));
  const short dHeight = short((newArea.bottom - newArea.top) - (old.bottom - old.top));
  const bool moved = dh != 0 || dv != 0;
  const bool resized = dWidth != 0 || dHeight != 0;
  const bool tell = notifyItems != 0 && itemHead_ != nullptr;
  if (tell && !TellItemsBefore(dh, dv, dWidth, dHeight, moved, resized)) return 0;

  Rect oldVisible;
  if (GetViewableDrawingAreaOnWindow(oldVisible) != 0) {
    SetupModifyDrawingRectAndFlag(&oldVisible, 1);
  }
  area_ = newArea;
  if (resized) {
    SetupOffscreenAreaAttribute();
    if (drawsInContainerOffscreen_ == 0) {
      SetupOffscreen(1);
    } else if (translucent_ != 0 && transmitOffscreen_ != nullptr) {
      SetupTransmitViewOffscreen(1);
    }
  }
  if (tell) TellItemsAfter(dh, dv, dWidth, dHeight, moved, resized);
  if (resized) {
    NotificationModifyToScrollBar(kSpHorizontalScrollBar);
    NotificationModifyToScrollBar(kSpVerticalScrollBar);
    ModifyScrollValue(1, 1, 0, notifyItems);
  }
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  return 1;
}

unsigned char cSp_View::TellItemsBefore(short dh, short dv, short dWidth, short dHeight,
                                        bool moved, bool resized) {
  const short width = short(area_.right - area_.left), height = short(area_.bottom - area_.top);
  for (cSp_View* v = itemHead_; v != nullptr; v = v->NextInSubtree(this)) {
    if (moved && v->BeforeContainerMoveExecute(this, area_.left, area_.top, dh, dv) == 0) {
      return false;
    }
    if (resized && v->BeforeContainerResizeExecute(this, width, height, dWidth, dHeight) == 0) {
      return false;
    }
  }
  return true;
}

void cSp_View::TellItemsAfter(short dh, short dv, short dWidth, short dHeight, bool moved,
                              bool resized) {
  const short width = short(area_.right - area_.left), height = short(area_.bottom - area_.top);
  for (cSp_View* v = itemHead_; v != nullptr; v = v->NextInSubtree(this)) {
    if (moved) v->AfterContainerMoveExecute(this, area_.left, area_.top, dh, dv);
    if (resized) v->AfterContainerResizeExecute(this, width, height, dWidth, dHeight);
  }
}

void cSp_View::MoveViewArea(short left, short top, unsigned char redraw,
                            unsigned char notifyItems) {
  if (area_.left == left && area_.top == top) return;
  ResizeViewArea(Offset(area_, short(left - area_.left), short(top - area_.top)), redraw,
                 notifyItems);
}

// ---- Periodic redraw ------------------------------------------------------------------------

void cSp_View::SetInInterruptViewList(UInt32 intervalTicks) {
  if (inPeriodicList_ != 0) return;
  periodicInterval_ = intervalTicks;
  inPeriodicList_ = 1;
  periodicLinks_ = {};
  if (interruptViewList_GlV != nullptr) LinkChainAfter(this, interruptViewList_GlV, Fields::periodic);
  interruptViewList_GlV = this;
}

void cSp_View::RemoveFromInterruptViewList() {
  if (inPeriodicList_ == 0) return;
  if (PositionIn(interruptViewList_GlV, this, Fields::periodic) == 0) {
    SpReportFailure(kSource, "cSp_View::RemoveFromInterruptViewList", 2, kSpMsgDataError);
    return;
  }
  cSp_View* last = nullptr;
  UnlinkFrom(interruptViewList_GlV, last, this, Fields::periodic);
  inPeriodicList_ = 0;
}

void Sp_InterruptDrawView() {
  const UInt32 now = TickCount();
  cSp_View* view = interruptViewList_GlV;
  while (view != nullptr) {
    cSp_View* next = view->periodicLinks_.next;
    if (view->IsViewTargetWindowOpen() != 0 &&
        now > UInt32(view->lastPeriodicDraw_ + view->periodicInterval_)) {
      view->DrawView(1, 1);
      view->lastPeriodicDraw_ = now;
      QDFlushPortBuffer(GetWindowPort(view->GetTargetWindowPtr()), nullptr);
    }
    view = next;
  }
}

// ---- Notification and the event-loop entries ------------------------------------------------

void cSp_View::SetupNotifyUpdateEventCB(tSpViewNotifyProcPtr proc, unsigned long refCon) {
  notifyProc_ = proc;
  notifyRefCon_ = refCon;
}

void cSp_View::ExecNotifyUpdateEvent() {
  if (notifyProc_ != nullptr) notifyProc_(notifyRefCon_);
}

void cSp_View::DrawView(unsigned char drawNow, unsigned char periodic) {
  cSpPortSaver port;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  WindowRef window = GetTargetWindowPtr();
  if (drawNow != 0 && window != nullptr && IsWindowVisible(window)) ReDrawAreaUpdateView(periodic);
}

void Sp_RedrawViewForUpdateEvent(WindowRef window) {
  if (window == nullptr) return;
  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  if (viewWindow == nullptr || viewWindow->IsViewWindowOpen() == 0) return;
  viewWindow->RedrawViewOffscreen(1, 0);
  viewWindow->RedrawWindowWithViewOffscreen(nullptr);
  // The pictures were put on the whole content, not only on what the update waits for, where
  // the window's own drawing of its grow box is kept.
  Sp_DrawGrowBoxOfWindow(window);
}

void Sp_RedrawViewWindow(WindowRef window, unsigned char flag) {
  if (window == nullptr) return;
  if (cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0)) {
    viewWindow->UpdateWindow(flag);
  }
  QDFlushPortBuffer(GetWindowPort(window), nullptr);
}

void Sp_ViewManagerMouseMoveEventProcedure() {
  Sp_MouseDownMouseTrace();
}
