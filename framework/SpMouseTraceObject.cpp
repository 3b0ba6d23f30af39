#include "SpMouseTraceObject.h"

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"
#include "SpMouseTraceWindowObj.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"

namespace {
const char kSource[] = "SpMouseTraceObject.cpp";
const char kMsgManagerNull[] = "Mouse trace manager is null !! ";
const char kMsgWindowObjNull[] = "Window Object is null !! ";
const char kMsgLinkErrorLower[] = "Link error !! ";
const char kMsgSearchLogic[] = "Serch Logic Error !! ";

// The held modifier keys in event-record form.
short CurrentModifiers() {
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  return modifiers;
}

// The trace manager's object of the window; null when there is no manager or none for it.
cMouseTraceWindowObj* TraceWindowObjOf(WindowRef window) {
  cMouseTraceManager* manager = SpGetMouseTraceManager();
  return manager != nullptr ? manager->GetMouseTraceWindowObj(window) : nullptr;
}
}  // namespace

// ---- Chains ---------------------------------------------------------------------------------

bool sMouseTraceList::Contains(const cMouseTraceObject* item) const {
  return PositionOf(item) != 0;
}

SInt32 sMouseTraceList::Length() const {
  SInt32 count = 0;
  for (cMouseTraceObject* x = head; x != nullptr; x = x->links_[family].next) ++count;
  return count;
}

SInt32 sMouseTraceList::PositionOf(const cMouseTraceObject* item) const {
  if (item == nullptr) return 0;
  SInt32 count = 1;
  for (cMouseTraceObject* x = head; x != nullptr; x = x->links_[family].next, ++count) {
    if (x == item) return count;
  }
  return 0;
}

void sMouseTraceList::Append(cMouseTraceObject* item) {
  InsertChainAfter(tail, item);
}

void sMouseTraceList::InsertChainAfter(cMouseTraceObject* at, cMouseTraceObject* chain) {
  if (chain == nullptr) return;
  if (at != nullptr) {
    at->LinkChainAfter(family, chain);
  } else {
    // Detached from whatever chain held it before, the chain goes in front of the head.
    cMouseTraceObject* before = chain->links_[family].before;
    if (before != nullptr) before->links_[family].next = nullptr;
    chain->links_[family].before = nullptr;
    if (head != nullptr && head != chain) {
      cMouseTraceObject* end = chain->LastOf(family);
      end->links_[family].next = head;
      head->links_[family].before = end;
    }
    head = chain;
  }
  RecomputeTail();
}

bool sMouseTraceList::Unlink(cMouseTraceObject* item) {
  if (!Contains(item)) return false;
  cMouseTraceObject::sLinks& links = item->links_[family];
  if (links.before != nullptr) links.before->links_[family].next = links.next;
  if (links.next != nullptr) links.next->links_[family].before = links.before;
  if (head == item) head = links.next;
  if (tail == item) tail = links.before;
  links.before = nullptr;
  links.next = nullptr;
  return true;
}

void sMouseTraceList::RecomputeTail() {
  tail = head != nullptr ? head->LastOf(family) : nullptr;
}

tMouseTraceLayerMove Sp_MTM_MoveLayerToTarget(sMouseTraceList& list, cMouseTraceObject* item,
                                              SInt32 target) {
  const SInt32 position = list.PositionOf(item);
  if (position == 0) return kMTraceLayerNotFound;
  const SInt32 length = list.Length();
  if (target == position || (target > length && position >= length)) return kMTraceLayerUnchanged;
  // Counted in the list as it stands, with the area still in it.
  const SInt32 limit = position < target ? target + 1 : target;
  cMouseTraceObject* predecessor = nullptr;
  SInt32 count = 1;
  for (cMouseTraceObject* x = list.head; x != nullptr && count < limit; ++count) {
    predecessor = x;
    x = list.family == kMTraceItemLinks ? x->GetNextTraceObjectPtr()
                                        : x->GetNextTraceContainerItemPtr();
  }
  if (predecessor == item) return kMTraceLayerNoPredecessor;
  list.Unlink(item);
  list.InsertChainAfter(predecessor, item);
  return kMTraceLayerMoved;
}

void cMouseTraceObject::LinkChainAfter(tMouseTraceLinkFamily family, cMouseTraceObject* chain) {
  if (chain == nullptr) return;
  // A chain that holds this element cannot go after it.
  for (cMouseTraceObject* x = chain; x != nullptr; x = x->links_[family].next) {
    if (x == this) return;
  }
  sLinks& first = chain->links_[family];
  if (first.before != nullptr) first.before->links_[family].next = nullptr;
  cMouseTraceObject* end = chain->LastOf(family);
  cMouseTraceObject* former = links_[family].next;
  links_[family].next = chain;
  first.before = this;
  end->links_[family].next = former;
  if (former != nullptr) former->links_[family].before = end;
}

cMouseTraceObject* cMouseTraceObject::UnlinkNextOf(tMouseTraceLinkFamily family) {
  cMouseTraceObject* next = links_[family].next;
  if (next == nullptr) return nullptr;
  links_[family].next = nullptr;
  next->links_[family].before = nullptr;
  return next;
}

cMouseTraceObject* cMouseTraceObject::LastOf(tMouseTraceLinkFamily family) {
  cMouseTraceObject* x = this;
  while (x->links_[family].next != nullptr) x = x->links_[family].next;
  return x;
}

void cMouseTraceObject::LinkTraceObjectToNext(cMouseTraceObject* chain) {
  LinkChainAfter(kMTraceItemLinks, chain);
}

cMouseTraceObject* cMouseTraceObject::UnlinkNextTraceObject() {
  return UnlinkNextOf(kMTraceItemLinks);
}

cMouseTraceObject* cMouseTraceObject::GetLastTraceObjectPtr() {
  return LastOf(kMTraceItemLinks);
}

void cMouseTraceObject::LinkTraceContainerItemToNext(cMouseTraceObject* chain) {
  if (chain == nullptr) return;
  cMouseTraceObject* end = chain->LastOf(kMTraceLayerLinks);
  LinkChainAfter(kMTraceLayerLinks, chain);
  if (chain->links_[kMTraceLayerLinks].before != this) return;  // refused
  for (cMouseTraceObject* x = chain;; x = x->links_[kMTraceLayerLinks].next) {
    x->container_ = container_;
    if (x == end) break;
  }
}

cMouseTraceObject* cMouseTraceObject::UnlinkNextTraceContainerItem() {
  return UnlinkNextOf(kMTraceLayerLinks);
}

cMouseTraceObject* cMouseTraceObject::GetLastTraceContainerItemPtr() {
  return LastOf(kMTraceLayerLinks);
}

// ---- Construction ---------------------------------------------------------------------------

cMouseTraceObject::cMouseTraceObject(WindowRef window, const Rect& area, unsigned char colourCursor,
                                     short cursorId, cMouseTraceObject* container)
    : window_(window) {
  ModifyMouseTraceArea(area, 1);
  if (cursorId != 0) SetupMouseTaraceCursor(colourCursor, cursorId);
  Sp_MTM_SetItemInItemList(this);
  Sp_MTM_SetItemInContainerListHighPosit(this);
  if (container != nullptr) container->SetupMTraceContainerItemOnHightLayer(this);
}

cMouseTraceObject::~cMouseTraceObject() {
  if (!deleteReady_) ExecMouseTraceObjDeleteReady();
  ReleaseMouseCursor();
}

void cMouseTraceObject::ExecMouseTraceObjDeleteReady() {
  if (deleteReady_) return;
  if (cMouseTraceManager* manager = SpGetMouseTraceManager()) manager->UnlinkItem(this);
  deleteReady_ = 1;
  container_ = nullptr;
  layers_.head = nullptr;
  layers_.tail = nullptr;
  links_[kMTraceLayerLinks] = sLinks{};
  mouseTraceInProc = nullptr;
  mouseTraceOutProc = nullptr;
  mouseInPlaceTraceProc = nullptr;
  mouseTraceCursorProc = nullptr;
  mouseTraceLeaveProc = nullptr;
  verifyPositionProc = nullptr;
  verifyPositionRefCon = 0;
}

// ---- Cursor ---------------------------------------------------------------------------------

unsigned char cMouseTraceObject::SetupMouseTaraceCursor(unsigned char colour, short cursorId) {
  const bool loaded = colour != 0 ? colourCursor_ != nullptr : cursor_ != nullptr;
  if (loaded && cursorId_ == cursorId) return 1;
  ReleaseMouseCursor();
  cursorId_ = cursorId;
  if (colour != 0) return Sp_ViewServices().Sp_ResM_GetCCursorHandle(cursorId, &colourCursor_, &cursorRef_);
  return Sp_ViewServices().Sp_ResM_GetCursorHandle(cursorId, &cursor_, &cursorRef_);
}

void cMouseTraceObject::ReleaseMouseCursor() {
  if (colourCursor_ != nullptr) {
    Sp_ViewServices().Sp_ResM_ReleaseCCursor(cursorId_, cursorRef_);
    colourCursor_ = nullptr;
  } else if (cursor_ != nullptr) {
    Sp_ViewServices().Sp_ResM_ReleaseCursor(cursorId_, cursorRef_);
    cursor_ = nullptr;
  }
  cursorRef_ = 0;
  cursorId_ = 0;
}

void cMouseTraceObject::ApplyCursor() {
  Sp_MTM_ShowLoanedCursor(colourCursor_, cursor_);
}

void cMouseTraceObject::ChangeMouseTraceCursorNow() {
  ApplyCursor();
}

// ---- Area and state -------------------------------------------------------------------------

void cMouseTraceObject::ModifyMouseTraceArea(const Rect& area, unsigned char quiet) {
  if (quiet != 0) {
    area_ = area;
    return;
  }
  if (EqualRect(&area_, &area)) return;
  area_ = area;
  SpExecuteMouseTrace(1);
}

void cMouseTraceObject::DisableMouseTrace() {
  if (!enabled_) return;
  enabled_ = 0;
  if (SpGetBeforeInPlaceMouseTraceItem() == this) {
    InitCursor();
    SpSetBeforeInPlaceMouseTraceItem(nullptr);
  }
}

unsigned char cMouseTraceObject::IsInMouseTraceArea(Point localPoint, unsigned char windowIsFront) {
  if (!enabled_) return 0;
  if (!PtInRect(localPoint, &area_)) return 0;
  if (frontWindowOnly_ && !windowIsFront) return 0;
  // The hit test keeps its answer to itself: the area code field stays that of the last
  // inside step, which compares it with the new code to notice the pointer moving into
  // another part of the area.
  short code = areaCode_;
  if (verifyPositionProc != nullptr &&
      verifyPositionProc(localPoint, CurrentModifiers(), verifyPositionRefCon, code) == 0) {
    return 0;
  }
  return 1;
}

// ---- The steps of a pass --------------------------------------------------------------------

void cMouseTraceObject::MouseTraceArea_In_Execute(Point localPoint) {
  const short modifiers = CurrentModifiers();
  if (mouseTraceInProc != nullptr) mouseTraceInProc(localPoint, modifiers, mouseTraceInRefCon);
  inside_ = 0;
  MouseTraceArea_On_Area(localPoint);
}

void cMouseTraceObject::MouseTraceArea_On_Area(Point localPoint) {
  const short modifiers = CurrentModifiers();
  short code = 0;
  if (verifyPositionProc != nullptr &&
      verifyPositionProc(localPoint, modifiers, verifyPositionRefCon, code) == 0) {
    inside_ = 0;
    InitCursor();
  } else if (!inside_ || code != areaCode_) {
    // The cursor is applied once on entering and again only when the verify procedure moves
    // the pointer into another part of the area.
    areaCode_ = code;
    if (mouseTraceCursorProc != nullptr) {
      mouseTraceCursorProc(localPoint, modifiers, mouseTraceCursorRefCon);
    }
    ApplyCursor();
    inside_ = 1;
  }
  if (mouseInPlaceTraceProc != nullptr) {
    mouseInPlaceTraceProc(localPoint, CurrentModifiers(), mouseInPlaceTraceRefCon);
  }
}

void cMouseTraceObject::MouceTraceArea_Out_Execute(Point localPoint) {
  const short modifiers = CurrentModifiers();
  if (inside_ && mouseTraceLeaveProc != nullptr) {
    mouseTraceLeaveProc(localPoint, modifiers, mouseTraceLeaveRefCon);
    inside_ = 0;
  }
  if (mouseTraceOutProc != nullptr) mouseTraceOutProc(CurrentModifiers(), mouseTraceOutRefCon);
  inside_ = 0;
}

// ---- Containers and layers ------------------------------------------------------------------

void cMouseTraceObject::SetupMTraceContainerItemListHeadPtr(cMouseTraceObject* head) {
  layers_.head = head;
  // A list without a head has no tail either.
  layers_.RecomputeTail();
}

void cMouseTraceObject::SetupMTraceContainerItemOnHightLayer(cMouseTraceObject* child) {
  static const char kMethod[] = "cMouseTraceObject::SetupMTraceContainerItemOnHightLayer";
  if (child == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  // An area cannot hold itself or one of its own containers, nor an area of another window.
  for (cMouseTraceObject* x = this; x != nullptr; x = x->container_) {
    if (x == child) {
      SpReportFailure(kSource, kMethod, 2, kSpMsgLinkError);
      return;
    }
  }
  if (child->window_ != window_) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  cMouseTraceManager* manager = SpGetMouseTraceManager();
  if (manager == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kMsgManagerNull);
    return;
  }
  cMouseTraceWindowObj* windowObj = manager->GetMouseTraceWindowObj(window_);
  if (windowObj == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kMsgWindowObjNull);
    return;
  }
  // The child leaves the list that holds it (after construction: the top list) before it
  // becomes the top of this area's layers.
  if (child->container_ != nullptr) {
    child->container_->UnlinkMTraceContaierItem(child, 0, 0);
  } else if (!windowObj->UnlinkItemFromTopContainerList(child)) {
    return;
  }
  layers_.Append(child);
  child->container_ = this;
}

void cMouseTraceObject::UnlinkMTraceContaierItem(cMouseTraceObject* item, unsigned char rejoinTop,
                                                 unsigned char releaseNested) {
  static const char kMethod[] = "cMouseTraceObject::UnlinkMTraceContaierItem";
  if (item == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  if (!layers_.Contains(item)) {
    SpReportFailure(kSource, kMethod, 2, kMsgLinkErrorLower);
    return;
  }
  if (releaseNested != 0 && item->layers_.head != nullptr) {
    cMouseTraceObject* nested = item->layers_.head;
    for (cMouseTraceObject* x = nested; x != nullptr; x = x->links_[kMTraceLayerLinks].next) {
      x->container_ = this;
    }
    item->layers_.head = nullptr;
    item->layers_.tail = nullptr;
    layers_.InsertChainAfter(item, nested);
  }
  layers_.Unlink(item);
  item->container_ = nullptr;
  if (rejoinTop != 0) {
    cMouseTraceObject* ancestor = this;
    while (ancestor->container_ != nullptr) ancestor = ancestor->container_;
    cMouseTraceWindowObj* windowObj = TraceWindowObjOf(window_);
    if (windowObj == nullptr) {
      SpReportFailure(kSource, kMethod, 2, kMsgWindowObjNull);
      return;
    }
    windowObj->InsertChainInTopContainerList(ancestor, item);
  }
}

void cMouseTraceObject::MoveToTopLayerInMTraceContanerItemList() {
  if (GetNextTraceContainerItemPtr() == nullptr) return;
  if (container_ != nullptr) {
    container_->layers_.Unlink(this);
    container_->layers_.Append(this);
    return;
  }
  cMouseTraceWindowObj* windowObj = TraceWindowObjOf(window_);
  if (windowObj == nullptr) {
    SpReportFailure(kSource, "cMouseTraceObject::MoveToTopLayerInMTraceContanerItemList", 2,
                    kMsgWindowObjNull);
    return;
  }
  windowObj->MoveToTopLayerInMTraceContainerItemList(this);
}

void cMouseTraceObject::MoveToTergetLayerInMTraceContanerItemList(SInt32 target) {
  static const char kMethod[] = "cMouseTraceObject::MoveToTergetLayerInMTraceContanerItemList";
  if (container_ == nullptr) {
    cMouseTraceWindowObj* windowObj = TraceWindowObjOf(window_);
    if (windowObj == nullptr) {
      SpReportFailure(kSource, kMethod, 2, kMsgWindowObjNull);
      return;
    }
    windowObj->MoveToTargetLayerInMTraceContainerItemList(this, target);
    return;
  }
  switch (Sp_MTM_MoveLayerToTarget(container_->layers_, this, target)) {
    case kMTraceLayerNotFound:
      SpReportFailure(kSource, kMethod, 2, kMsgLinkErrorLower);
      break;
    case kMTraceLayerNoPredecessor:
      SpReportFailure(kSource, kMethod, 2, kMsgSearchLogic);
      break;
    case kMTraceLayerMoved:
    case kMTraceLayerUnchanged:
      break;
  }
}

SInt32 cMouseTraceObject::GetMouseTraceContainerLayerPosit() const {
  SInt32 position = 1;
  for (cMouseTraceObject* x = links_[kMTraceLayerLinks].before; x != nullptr;
       x = x->links_[kMTraceLayerLinks].before) {
    ++position;
  }
  return position;
}

SInt32 cMouseTraceObject::GetMouseTraceContainerLayerMaxPosit() const {
  SInt32 length = GetMouseTraceContainerLayerPosit();
  for (cMouseTraceObject* x = links_[kMTraceLayerLinks].next; x != nullptr;
       x = x->links_[kMTraceLayerLinks].next) {
    ++length;
  }
  return length;
}

void Sp_MTM_ShowLoanedCursor(CCrsrHandle colourCursor, CursHandle cursor) {
  if (colourCursor != nullptr) {
    SetCCursor(colourCursor);
  } else if (cursor != nullptr) {
    // The black-and-white cursor is read through its handle: keep it where it is meanwhile.
    HLock(reinterpret_cast<Handle>(cursor));
    SetCursor(*cursor);
    HUnlock(reinterpret_cast<Handle>(cursor));
  }
}
