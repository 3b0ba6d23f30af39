#include "SpViewWindow.h"

#include <new>

#include "SpHotSpotArea.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpViewClass.h"
#include "SpViewInternal.h"
#include "SpWindow.h"

using namespace sp_view_detail;

cSp_ViewWindow* viewWindowList_GlV = nullptr;

namespace {

const char* const kSource = kSourceViewWindow;

constexpr tLinks<cSp_View> kWindowLinks = Fields::window;
constexpr tLinks<cSp_View> kSiblings = Fields::siblings;
constexpr tLinks<cSp_View> kDrawing = Fields::drawing;
constexpr tLinks<cSp_HotSpotArea> kHotSpotLinks = Fields::hotSpots;
constexpr tLinks<cSp_HotSpotArea> kHotSpotSiblings = Fields::hotSpotSiblings;

}  // namespace

// ---- The global list ------------------------------------------------------------------------

cSp_ViewWindow::cSp_ViewWindow(WindowRef window) : window_(window) {
  if (viewWindowList_GlV != nullptr) LinkToNext(viewWindowList_GlV);
  viewWindowList_GlV = this;
}

cSp_ViewWindow::~cSp_ViewWindow() {
  if (GetBeforeObjectPtr() == nullptr) {
    if (viewWindowList_GlV == this) {
      viewWindowList_GlV = GetNextObjectPtr();
    } else {
      SpReportFailure(kSource, "cSp_ViewWindow::~cSp_ViewWindow", 1, kSpMsgNoComment);
    }
  }
  UnlinkSelf();
}

cSp_ViewWindow* Sp_GetViewWindowObject(WindowRef window, unsigned char create) {
  if (window == nullptr) return nullptr;
  for (cSp_ViewWindow* v = viewWindowList_GlV; v != nullptr; v = v->GetNextObjectPtr()) {
    if (v->GetWindowRef() == window) return v;
  }
  if (create == 0) return nullptr;
  return new (std::nothrow) cSp_ViewWindow(window);
}

void Sp_CheckViewWindowStatusAndDeleteFreeViewWindow(cSp_ViewWindow* viewWindow) {
  if (viewWindow == nullptr) {
    SpReportFailure(kSource, "Sp_CheckViewWindowStatusAndDeleteFreeViewWindow", 1,
                    kSpMsgNoComment);
    return;
  }
  if (viewWindow->CheckContainItem() != 0) return;
  delete viewWindow;
}

void Sp_WindowRedrawSetupFromUpdateRgn(EventRecord* event) {
  if (event == nullptr) {
    SpReportFailure(kSource, "Sp_WindowRedrawSetupFromUpdateRgn", 1, kSpMsgNullArgument);
    return;
  }
  if (event->what != updateEvt) return;
  WindowRef window = reinterpret_cast<WindowRef>(event->message);
  cSpPortSaver port;
  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  if (viewWindow == nullptr) return;
  cScratchRgn rgn;
  if (!rgn.Ok()) {
    SpReportFailure(kSource, "Sp_WindowRedrawSetupFromUpdateRgn", 2, kSpMsgMemory);
    return;
  }
  GetWindowRegion(window, kWindowUpdateRgn, rgn);
  // An update with nothing waiting (a window shown anew) redraws the whole content.
  if (EmptyRgn(rgn)) GetWindowRegion(window, kWindowContentRgn, rgn);
  Sp_GlobalToLocalRgn(window, rgn);
  viewWindow->SetupModifyDrawingRgnAndFlag(rgn, 0);
}

void Sp_DisposeTargetWindowView(WindowRef window) {
  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  if (viewWindow == nullptr) return;
  viewWindow->ReleaseViewsAndHotSpots();
  delete viewWindow;
}

// The window goes before the objects its owner still has to delete: they are left as after
// their delete-ready steps, so that nothing reaches the registry or the window any more.
void cSp_ViewWindow::ReleaseViewsAndHotSpots() {
  while (cSp_View* view = viewHead_) {
    viewHead_ = view->windowLinks_.next;
    view->RemoveFromInterruptViewList();
    view->windowLinks_ = {};
    view->siblings_ = {};
    view->drawingLinks_ = {};
    view->container_ = nullptr;
    view->itemHead_ = nullptr;
    view->itemLast_ = nullptr;
    view->viewWindow_ = nullptr;
    view->deleteReadyDone_ = 1;
  }
  while (cSp_HotSpotArea* hotSpot = hotSpotHead_) {
    hotSpotHead_ = hotSpot->hotSpotLinks_.next;
    if (mouseDownHotSpot_GlV == hotSpot) Sp_HotspotMouseTraceCancel();
    hotSpot->hotSpotLinks_ = {};
    hotSpot->siblings_ = {};
    hotSpot->container_ = nullptr;
    hotSpot->itemHead_ = nullptr;
    hotSpot->itemLast_ = nullptr;
    hotSpot->viewWindow_ = nullptr;
    hotSpot->deleteReady_ = 1;
  }
  viewLast_ = rootHead_ = rootLast_ = drawingHead_ = drawingLast_ = nullptr;
  hotSpotLast_ = rootHotSpotHead_ = rootHotSpotLast_ = nullptr;
}

unsigned char cSp_ViewWindow::CheckContainItem() const {
  return (viewHead_ != nullptr || rootHead_ != nullptr || drawingHead_ != nullptr ||
          hotSpotHead_ != nullptr || rootHotSpotHead_ != nullptr)
             ? 1
             : 0;
}

unsigned char cSp_ViewWindow::IsViewWindowOpen() const {
  return (window_ != nullptr && IsWindowVisible(window_)) ? 1 : 0;
}

// ---- Redrawing ------------------------------------------------------------------------------

void cSp_ViewWindow::UpdateWindow(unsigned char flag) {
  if (window_ == nullptr) {
    SpReportFailure(kSource, "cSp_ViewWindow::UpdateWindow", 1, kSpMsgDataError);
    return;
  }
  RedrawViewOffscreen(1, flag);
  RedrawWindowWithViewOffscreen(nullptr);
  ExecRedrawWindowCallback();
  // The views' pictures cover the content up to its corner, where the grow box is: the window
  // draws it again on top, as its update does after the views. Without it a redraw outside an
  // update (a return to the program, the end of a save) left the window without its grow box.
  Sp_DrawGrowBoxOfWindow(window_);
}

void cSp_ViewWindow::RedrawViewOffscreen(unsigned char onlyWaiting, unsigned char flag) {
  for (cSp_View* view = drawingHead_; view != nullptr; view = view->drawingLinks_.next) {
    if (onlyWaiting == 0 || view->IsWaitRedraw() != 0) view->DrawOffscreen(flag);
  }
}

void cSp_ViewWindow::RedrawWindowWithViewOffscreen(RgnHandle area) {
  if (window_ == nullptr) {
    SpReportFailure(kSource, "cSp_ViewWindow::RedrawWindowWithViewOffscreen", 1,
                    kSpMsgDataError);
    return;
  }
  const bool all = area == nullptr || EmptyRgn(area);
  for (cSp_View* view = drawingHead_; view != nullptr; view = view->drawingLinks_.next) {
    Rect onWindow;
    view->GetDrawingAreaOnWindow(&onWindow);
    if (all || RectInRgn(&onWindow, area)) view->PutPictureOnWindowFromOffscreen();
  }
}

void cSp_ViewWindow::ExecRedrawWindowCallback() {
  cSp_View* view = viewHead_;
  while (view != nullptr) {
    cSp_View* next = view->windowLinks_.next;
    if (view->VisibleOnWindow() != 0) view->ExecNotifyUpdateEvent();
    view = next;
  }
}

void cSp_ViewWindow::SetupModifyDrawingRgnAndFlag(RgnHandle rgn, unsigned char addToWindow) {
  if (rgn == nullptr) {
    SpReportFailure(kSource, "cSp_ViewWindow::SetupModifyDrawingRgnAndFlag", 1,
                    kSpMsgNullArgument);
    return;
  }
  if (EmptyRgn(rgn)) return;
  if (addToWindow != 0) Sp_AddRedrawAreaInWindow(window_, rgn);
  cScratchRgn part;
  if (!part.Ok()) {
    SpReportFailure(kSource, "cSp_ViewWindow::SetupModifyDrawingRgnAndFlag", 2, kSpMsgMemory);
    return;
  }
  if (rootHead_ != nullptr) rootHead_->MarkViewsFrom(rgn, part);
}

void cSp_ViewWindow::SetupViewModifyFlagForArea(const Rect& area, unsigned char setRedraw) {
  cSp_View* view = rootHead_;
  while (view != nullptr) {
    if (view->IsEnableView() == 0 || view->VisibleOnWindow() == 0) {
      view = view->NextAfterSubtree();
      continue;
    }
    Rect onWindow, part;
    view->GetDrawingAreaOnWindow(&onWindow);
    if (SectRect(&onWindow, &area, &part)) {
      Sp_AddRedrawAreaInWindow(window_, &part);
      Rect inContent;
      view->OnWindowRectToOffscreenRect(part, inContent);
      view->AddViewClippingRect(inContent);
      if (setRedraw != 0) view->SetupRedrawFlag(1);
    }
    view = view->NextInPaintingOrder();
  }
}

void cSp_ViewWindow::ClearAllViewClippingArea(unsigned char clearRedraw) {
  for (cSp_View* view = viewHead_; view != nullptr; view = view->windowLinks_.next) {
    view->ClearViewClippingArea();
    if (clearRedraw != 0) view->SetupRedrawFlag(0);
  }
}

// ---- The window view list -------------------------------------------------------------------

void cSp_ViewWindow::SetupViewOnTop(cSp_View* view) {
  if (view == nullptr) return;
  AppendChain(viewHead_, viewLast_, view, kWindowLinks);
}

void cSp_ViewWindow::SetupViewOnBottom(cSp_View* view) {
  if (view == nullptr) return;
  InsertAfterIn(viewHead_, viewLast_, static_cast<cSp_View*>(nullptr), view, kWindowLinks);
}

void cSp_ViewWindow::LinkOffViewListItemList(cSp_View* view) {
  if (view == nullptr || PositionIn(viewHead_, view, kWindowLinks) == 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::LinkOffViewListItemList", 1, kSpMsgLinkError);
    return;
  }
  UnlinkFrom(viewHead_, viewLast_, view, kWindowLinks);
}

// ---- The root views -------------------------------------------------------------------------

void cSp_ViewWindow::SetupOnTopLayerInContainerList(cSp_View* view) {
  if (view == nullptr) return;
  if (PositionIn(rootHead_, view, kSiblings) == 0) {
    for (cSp_View* v = view; v != nullptr; v = v->siblings_.next) v->container_ = nullptr;
    AppendChain(rootHead_, rootLast_, view, kSiblings);
  } else if (view->siblings_.next != nullptr) {
    MoveToTargetLayerInContainerList(view, -1, 0, 0);
  }
}

void cSp_ViewWindow::SetupOnBottomLayerInContainerList(cSp_View* view, unsigned char notifyOthers,
                                                       unsigned char notifySelf) {
  if (view == nullptr || PositionIn(rootHead_, view, kSiblings) != 0) return;
  cSp_View* last = LastOf(view, kSiblings);
  PrependChain(rootHead_, rootLast_, view, kSiblings);
  SInt32 rank = 1;
  bool inserted = true;
  for (cSp_View* v = rootHead_; v != nullptr; v = v->siblings_.next, ++rank) {
    v->container_ = inserted ? nullptr : v->container_;
    if ((inserted ? notifySelf : notifyOthers) != 0) v->NotifyChangedContainerItemLayerRankNo(0, rank);
    if (v == last) inserted = false;
  }
}

void cSp_ViewWindow::LinkOffFromRootContainerList(cSp_View* view) {
  if (view == nullptr || PositionIn(rootHead_, view, kSiblings) == 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::LinkOffFromRootContainerList", 1,
                    kSpMsgLinkError);
    return;
  }
  UnlinkFrom(rootHead_, rootLast_, view, kSiblings);
}

void cSp_ViewWindow::ModifyContainerListLastItem() {
  rootLast_ = LastOf(rootHead_, kSiblings);
}

unsigned char cSp_ViewWindow::MoveToTargetLayerInContainerList(cSp_View* view, SInt32 rank,
                                                               unsigned char notifyOthers,
                                                               unsigned char notifySelf) {
  const char* const method = "cSp_ViewWindow::MoveToTargetLayerInContainerList";
  if (view == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, 0);
  if (rootHead_ != nullptr && rootHead_->siblings_.before != nullptr) {
    return SpReportFailure(kSource, method, 2, kSpMsgLinkError, 0);
  }
  const SInt32 n = CountFrom(rootHead_, kSiblings);
  const SInt32 p = PositionIn(rootHead_, view, kSiblings);
  if (p == 0) return SpReportFailure(kSource, method, 3, kSpMsgLinkError, 0);
  if (rootLast_ != LastOf(rootHead_, kSiblings)) {
    SpReportFailure(kSource, method, 4, kSpMsgDataError);
    ModifyContainerListLastItem();
  }
  const bool toTop = rank < 0 || rank > n;
  if (p == rank || (rank == 0 && p == 1) || (toTop && p == n)) return 1;
  const SInt32 r = rank == 0 ? 1 : toTop ? n : rank;
  MoveToPosition(rootHead_, rootLast_, view, p, r, kSiblings);
  view->ResetSubtreeDrawingItemLink();
  view->NotifyLayerMove(rootHead_, p, r, notifyOthers, notifySelf);
  return 1;
}

// ---- The drawing list -----------------------------------------------------------------------

void cSp_ViewWindow::SetupOnTopLayerInViewDrawingList(cSp_View* view) {
  if (view == nullptr || CheckTargetViewExistInDrawingViewList(view) != 0) return;
  AppendChain(drawingHead_, drawingLast_, view, kDrawing);
}

void cSp_ViewWindow::SetupOnBottomLayerInViewDrawingList(cSp_View* view) {
  if (view == nullptr) return;
  if (CheckTargetViewExistInDrawingViewList(view) != 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::SetupOnBottomLayerInViewDrawingList", 1,
                    kSpMsgDataError);
    return;
  }
  InsertInViewDrawingList(nullptr, view);
}

unsigned char cSp_ViewWindow::LinkOffFromRootViewDrawingList(cSp_View* view) {
  if (view == nullptr || CheckTargetViewExistInDrawingViewList(view) == 0) return 0;
  UnlinkFrom(drawingHead_, drawingLast_, view, kDrawing);
  return 1;
}

void cSp_ViewWindow::ModifyViewDrawingListLastItem() {
  drawingLast_ = LastOf(drawingHead_, kDrawing);
}

unsigned char cSp_ViewWindow::CheckTargetViewExistInDrawingViewList(const cSp_View* view) const {
  return PositionIn(drawingHead_, view, kDrawing) != 0 ? 1 : 0;
}

void cSp_ViewWindow::InsertInViewDrawingList(cSp_View* previous, cSp_View* view) {
  InsertAfterIn(drawingHead_, drawingLast_, previous, view, kDrawing);
  ModifyViewDrawingListLastItem();
}

void cSp_ViewWindow::MoveViewDrawingListRun(cSp_View* first, cSp_View* last,
                                           cSp_View* previous) {
  cSp_View* before = first->drawingLinks_.before;
  cSp_View* after = last->drawingLinks_.next;
  if (before != nullptr) before->drawingLinks_.next = after;
  if (after != nullptr) after->drawingLinks_.before = before;
  if (drawingHead_ == first) drawingHead_ = after;
  first->drawingLinks_.before = nullptr;
  last->drawingLinks_.next = nullptr;
  if (previous == nullptr) {
    last->drawingLinks_.next = drawingHead_;
    if (drawingHead_ != nullptr) drawingHead_->drawingLinks_.before = last;
    drawingHead_ = first;
  } else {
    LinkChainAfter(previous, first, kDrawing);
  }
  ModifyViewDrawingListLastItem();
}

// ---- Hot-spot areas -------------------------------------------------------------------------

void cSp_ViewWindow::SetupOnTopOfHotSpotList(cSp_HotSpotArea* hotSpot) {
  if (hotSpot == nullptr) return;
  AppendChain(hotSpotHead_, hotSpotLast_, hotSpot, kHotSpotLinks);
}

void cSp_ViewWindow::SetupOnBottomOfHotSpotList(cSp_HotSpotArea* hotSpot) {
  if (hotSpot == nullptr) return;
  PrependChain(hotSpotHead_, hotSpotLast_, hotSpot, kHotSpotLinks);
}

void cSp_ViewWindow::LinkOffHotSpotItem(cSp_HotSpotArea* hotSpot) {
  if (hotSpot == nullptr || PositionIn(hotSpotHead_, hotSpot, kHotSpotLinks) == 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::LinkOffHotSpotItem", 1, kSpMsgDataError);
    return;
  }
  UnlinkFrom(hotSpotHead_, hotSpotLast_, hotSpot, kHotSpotLinks);
}

void cSp_ViewWindow::SetupHightLayerOfHotSpotContainerList(cSp_HotSpotArea* hotSpot) {
  if (hotSpot == nullptr || PositionIn(rootHotSpotHead_, hotSpot, kHotSpotSiblings) != 0) return;
  hotSpot->container_ = nullptr;
  AppendChain(rootHotSpotHead_, rootHotSpotLast_, hotSpot, kHotSpotSiblings);
}

void cSp_ViewWindow::LinkOffHotSpotContainerItem(cSp_HotSpotArea* hotSpot) {
  if (hotSpot == nullptr || PositionIn(rootHotSpotHead_, hotSpot, kHotSpotSiblings) == 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::LinkOffHotSpotContainerItem", 1, kSpMsgLinkError);
    return;
  }
  UnlinkFrom(rootHotSpotHead_, rootHotSpotLast_, hotSpot, kHotSpotSiblings);
  SetupHotSpotLastContainerListItem();
}

void cSp_ViewWindow::SetupHotSpotLastContainerListItem() {
  rootHotSpotLast_ = LastOf(rootHotSpotHead_, kHotSpotSiblings);
}

void cSp_ViewWindow::SetupHotSpotOnTargetContainerListPosit(cSp_HotSpotArea* hotSpot,
                                                            SInt32 posit) {
  if (hotSpot == nullptr) return;
  if (PositionIn(rootHotSpotHead_, hotSpot, kHotSpotSiblings) != 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::SetupHotSpotOnTargetContainerListPosit", 1,
                    kSpMsgLinkError);
    return;
  }
  InsertHotSpotInContainerList(ItemAt(rootHotSpotHead_, posit - 1, kHotSpotSiblings), hotSpot);
}

void cSp_ViewWindow::InsertHotSpotInContainerList(cSp_HotSpotArea* previous,
                                                  cSp_HotSpotArea* item) {
  item->container_ = nullptr;
  InsertAfterIn(rootHotSpotHead_, rootHotSpotLast_, previous, item, kHotSpotSiblings);
  SetupHotSpotLastContainerListItem();
}

void cSp_ViewWindow::MoveHotSpotOnTargetContainerListPosit(cSp_HotSpotArea* hotSpot,
                                                           SInt32 posit) {
  if (hotSpot == nullptr) return;
  const SInt32 n = CountFrom(rootHotSpotHead_, kHotSpotSiblings);
  const SInt32 p = PositionIn(rootHotSpotHead_, hotSpot, kHotSpotSiblings);
  if (p == 0) {
    SpReportFailure(kSource, "cSp_ViewWindow::MoveHotSpotOnTargetContainerListPosit", 1,
                    kSpMsgLinkError);
    return;
  }
  if (p == posit || (posit > n && p == n)) return;
  const SInt32 r = posit <= 1 ? 1 : posit > n ? n : posit;
  MoveToPosition(rootHotSpotHead_, rootHotSpotLast_, hotSpot, p, r, kHotSpotSiblings);
}
