// The view tree: containers and their items, layer moves with their notifications, the place
// of a view in the drawing list, and the views' four intrusive lists.
#include "SpViewClass.h"
#include "SpViewInternal.h"
#include "SpViewWindow.h"

using namespace sp_view_detail;

namespace {

const char* const kSource = kSourceLink;

}  // namespace

// ---- Painting order -------------------------------------------------------------------------

cSp_View* cSp_View::NextInPaintingOrder() const {
  return itemHead_ != nullptr ? itemHead_ : NextAfterSubtree();
}

cSp_View* cSp_View::NextAfterSubtree() const {
  for (const cSp_View* v = this; v != nullptr; v = v->container_) {
    if (v->siblings_.next != nullptr) return v->siblings_.next;
  }
  return nullptr;
}

cSp_View* cSp_View::NextInSubtree(const cSp_View* root) const {
  if (itemHead_ != nullptr) return itemHead_;
  for (const cSp_View* v = this; v != nullptr && v != root; v = v->container_) {
    if (v->siblings_.next != nullptr) return v->siblings_.next;
  }
  return nullptr;
}

cSp_View* cSp_View::PreviousOffscreenOwner() const {
  const cSp_View* v = this;
  for (;;) {
    cSp_View* previous = v->siblings_.before;
    if (previous != nullptr) {
      while (previous->itemLast_ != nullptr) previous = previous->itemLast_;
    } else {
      previous = v->container_;
    }
    if (previous == nullptr || previous->drawsInContainerOffscreen_ == 0) return previous;
    v = previous;
  }
}

// ---- Ranks and containers -------------------------------------------------------------------

SInt32 cSp_View::GetContainerItemRankNo() const {
  SInt32 rank = 1;
  for (const cSp_View* v = siblings_.before; v != nullptr; v = v->siblings_.before) ++rank;
  return rank;
}

SInt32 cSp_View::GetContainerItemMaxRankNoInContainerItemList() const {
  SInt32 count = GetContainerItemRankNo();
  for (const cSp_View* v = siblings_.next; v != nullptr; v = v->siblings_.next) ++count;
  return count;
}

void cSp_View::PutOnTopLayerContainerItem(cSp_View* item, unsigned char drawInContainerOffscreen) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_View::PutOnTopLayerContainerItem", 1, kSpMsgNullArgument);
    return;
  }
  if (PositionIn(itemHead_, item, Fields::siblings) != 0) {
    if (item->siblings_.next != nullptr) item->MoveTopLayerInContianerItemList(0, 0, 0);
    return;
  }
  item->siblings_ = {};
  item->container_ = this;
  AppendChain(itemHead_, itemLast_, item, Fields::siblings);
  item->drawsInContainerOffscreen_ = drawInContainerOffscreen != 0 ? 1 : 0;
  if (drawInContainerOffscreen != 0) item->DisposeNormalOffscreen();
}

void cSp_View::LinkOffContainerItemList(cSp_View* item) {
  if (item == nullptr || PositionIn(itemHead_, item, Fields::siblings) == 0) {
    SpReportFailure(kSource, "cSp_View::LinkOffContainerItemList", 1, kSpMsgLinkError);
    return;
  }
  if (itemHead_->siblings_.before != nullptr) {
    SpReportFailure(kSource, "cSp_View::LinkOffContainerItemList", 2, kSpMsgLinkError);
  }
  UnlinkFrom(itemHead_, itemLast_, item, Fields::siblings);
}

// ---- Layer moves ----------------------------------------------------------------------------

void cSp_View::MarkAfterLayerMove(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

// Ranks count from 1 at the bottom, in the new order; the moved view went from p to r.
void cSp_View::NotifyLayerMove(cSp_View* head, SInt32 p, SInt32 r, unsigned char notifyOthers,
                               unsigned char notifySelf) {
  if (notifyOthers != 0) {
    SInt32 i = 1;
    for (cSp_View* v = head; v != nullptr; v = v->siblings_.next, ++i) {
      if (v == this || v->deleteReadyDone_ != 0) continue;
      if (p < r && i >= p && i < r) v->NotifyChangedContainerItemLayerRankNo(i + 1, i);
      if (p > r && i > r && i <= p) v->NotifyChangedContainerItemLayerRankNo(i - 1, i);
    }
  }
  if (notifySelf != 0) NotifyChangedContainerItemLayerRankNo(p, r);
}

unsigned char cSp_View::MoveTopLayerInContianerItemList(unsigned char redraw,
                                                        unsigned char notifyOthers,
                                                        unsigned char notifySelf) {
  if (siblings_.next == nullptr) return 1;
  return MoveTargetLayerInContainerItemList(-1, redraw, notifyOthers, notifySelf);
}

unsigned char cSp_View::MoveTargetLayerInContainerItemList(SInt32 rank, unsigned char redraw,
                                                           unsigned char notifyOthers,
                                                           unsigned char notifySelf) {
  const char* const method = "cSp_View::MoveTargetLayerInContainerItemList";
  if (container_ == nullptr) {
    if (viewWindow_ == nullptr) return SpReportFailure(kSource, method, 1, kMsgNoViewWindow, 0);
    const unsigned char done =
        viewWindow_->MoveToTargetLayerInContainerList(this, rank, notifyOthers, notifySelf);
    if (done != 0) MarkAfterLayerMove(redraw);
    return done;
  }
  cSp_View*& head = container_->itemHead_;
  cSp_View*& last = container_->itemLast_;
  const SInt32 n = CountFrom(head, Fields::siblings);
  const SInt32 p = PositionIn(head, this, Fields::siblings);
  if (p == 0) return SpReportFailure(kSource, method, 2, kSpMsgLinkError, 0);
  const bool toTop = rank < 0 || rank >= n;
  if (p == rank || (rank == 0 && p == 1) || (toTop && p == n)) return 1;
  if (last == nullptr || last->siblings_.next != nullptr) {
    SpReportFailure(kSource, method, 3, kSpMsgLinkError);
    last = LastOf(head, Fields::siblings);
  }
  const SInt32 r = rank == 0 ? 1 : toTop ? n : rank;
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  MoveToPosition(head, last, this, p, r, Fields::siblings);
  ResetSubtreeDrawingItemLink();
  NotifyLayerMove(head, p, r, notifyOthers, notifySelf);
  MarkAfterLayerMove(redraw);
  return 1;
}

void cSp_View::ExecChangedContainerItemLayerRankNoNotifyProc(SInt32 oldRankNo,
                                                             unsigned char notifyFollowing) {
  if (deleteReadyDone_ != 0) return;
  const SInt32 rank = GetContainerItemRankNo();
  NotifyChangedContainerItemLayerRankNo(oldRankNo, rank);
  if (notifyFollowing == 0) return;
  SInt32 k = 1;
  for (cSp_View* v = siblings_.next; v != nullptr; v = v->siblings_.next, ++k) {
    v->NotifyChangedContainerItemLayerRankNo(oldRankNo + k, rank + k);
  }
}

// ---- The drawing list -----------------------------------------------------------------------

void cSp_View::ResetDrawingItemLinkFromContainerViewLink(unsigned char isNew) {
  if (viewWindow_ == nullptr) return;
  const bool listed = viewWindow_->CheckTargetViewExistInDrawingViewList(this) != 0;
  if (drawsInContainerOffscreen_ != 0) {
    if (isNew == 0 && listed) viewWindow_->LinkOffFromRootViewDrawingList(this);
    return;
  }
  cSp_View* previous = PreviousOffscreenOwner();
  if (listed && drawingLinks_.before == previous) return;
  if (listed) viewWindow_->LinkOffFromRootViewDrawingList(this);
  viewWindow_->InsertInViewDrawingList(previous, this);
}

// The offscreen owners of a subtree stand together in the drawing list, in painting order: a
// layer move takes them along to the subtree's new place.
void cSp_View::ResetSubtreeDrawingItemLink() {
  if (viewWindow_ == nullptr) return;
  cSp_View* first = nullptr;
  cSp_View* last = nullptr;
  for (cSp_View* v = this; v != nullptr; v = v->NextInSubtree(this)) {
    if (v->drawsInContainerOffscreen_ != 0) continue;
    if (first == nullptr) first = v;
    last = v;
  }
  if (first == nullptr || viewWindow_->CheckTargetViewExistInDrawingViewList(first) == 0) return;
  cSp_View* previous = first->PreviousOffscreenOwner();
  if (first->drawingLinks_.before == previous) return;
  viewWindow_->MoveViewDrawingListRun(first, last, previous);
}

unsigned char cSp_View::SetupDrawingListNextOnUpperDrawingView(cSp_View* view) {
  const char* const method = "cSp_View::SetupDrawingListNextOnUpperDrawingView";
  if (view == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, 0);
  if (viewWindow_ == nullptr || viewWindow_->CheckTargetViewExistInDrawingViewList(view) != 0) {
    return SpReportFailure(kSource, method, 2, kSpMsgDataError, 0);
  }
  for (cSp_View* v = this; v != nullptr; v = v->container_) {
    if (v->drawsInContainerOffscreen_ == 0 &&
        viewWindow_->CheckTargetViewExistInDrawingViewList(v) != 0) {
      view->drawingLinks_ = {};
      viewWindow_->InsertInViewDrawingList(v, view);
      return 1;
    }
  }
  return SpReportFailure(kSource, method, 3, kSpMsgDataError, 0);
}

// ---- The four lists -------------------------------------------------------------------------

void cSp_View::LinkToInterruptItemNext(cSp_View* chain) {
  LinkChainAfter(this, chain, Fields::periodic);
}
cSp_View* cSp_View::UnlinkInterruptItemNext() {
  return UnlinkNextOf(this, Fields::periodic);
}
cSp_View* cSp_View::GetInterruptItemLastObjectPtr() {
  return LastOf(this, Fields::periodic);
}
unsigned char cSp_View::SerchTargetViewOnInterruptItemLinkList(const cSp_View* view) {
  return PositionIn(this, view, Fields::periodic) != 0 ? 1 : 0;
}

void cSp_View::LinkToViewWindowItemNext(cSp_View* chain) {
  LinkChainAfter(this, chain, Fields::window);
}
cSp_View* cSp_View::UnlinkViewWindowItemNext() {
  return UnlinkNextOf(this, Fields::window);
}
cSp_View* cSp_View::GetViewWindowItemLastObjectPtr() {
  return LastOf(this, Fields::window);
}

void cSp_View::LinkToContainerItemListItemNext(cSp_View* chain) {
  for (cSp_View* v = chain; v != nullptr; v = v->siblings_.next) v->container_ = container_;
  LinkChainAfter(this, chain, Fields::siblings);
}
cSp_View* cSp_View::UnlinkContainerItemListItemNext() {
  return UnlinkNextOf(this, Fields::siblings);
}
cSp_View* cSp_View::GetContainerItemListItemLastObjectPtr() {
  return LastOf(this, Fields::siblings);
}

void cSp_View::LinkToDrawingListItemNext(cSp_View* chain) {
  LinkChainAfter(this, chain, Fields::drawing);
}
cSp_View* cSp_View::UnlinkDrawingListNext() {
  return UnlinkNextOf(this, Fields::drawing);
}
cSp_View* cSp_View::GetDrawingListLastObjectPtr() {
  return LastOf(this, Fields::drawing);
}
