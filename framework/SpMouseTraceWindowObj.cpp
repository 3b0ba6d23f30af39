#include "SpMouseTraceWindowObj.h"

#include "MacMemory.h"
#include "MacWindows.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"

namespace {
const char kSource[] = "SpMouseTraceWindowObj.cpp";
const char kMsgNotLinked[] = "Target object was not linked !! ";
const char kMsgDataLinkError[] = "Data Link Error !! ";
const char kMsgLinkErrorTight[] = "Link error!! ";
const char kMsgSearchLogic[] = "Serch Logic Error !! ";
const char kMsgPosition[] = "Position Error !! ";

bool IsHit(cMouseTraceObject* area, Point localPoint, unsigned char windowIsFront) {
  return area->IsMouseTraceEnable() && area->IsInMouseTraceArea(localPoint, windowIsFront);
}
}  // namespace

Point Sp_MTM_GlobalToWindowLocal(WindowRef window, Point globalPoint) {
  Point local = globalPoint;
  if (window == nullptr) return local;
  cSpPortSaver port(window);
  GlobalToLocal(&local);
  return local;
}

cMouseTraceWindowObj::cMouseTraceWindowObj(WindowRef window) {
  StartUpInitialize();
  window_ = window;
}

void cMouseTraceWindowObj::StartUpInitialize() {
  window_ = nullptr;
  items_.head = items_.tail = nullptr;
  top_.head = top_.tail = nullptr;
}

cMouseTraceObject* cMouseTraceWindowObj::GetTargetTraceObject(Point globalPoint) {
  if (window_ == nullptr || top_.head == nullptr || top_.tail == nullptr) return nullptr;
  const Point local = Sp_MTM_GlobalToWindowLocal(window_, globalPoint);
  // The front document or dialog counts as in front also with a floating palette over it.
  const unsigned char windowIsFront =
      (FrontWindow() == window_ || FrontNonFloatingWindow() == window_) ? 1 : 0;

  // Depth first from the top layer down: nested areas are tested before their container,
  // and a container only after every area nested in it.
  cMouseTraceObject* area = top_.tail;
  for (;;) {
    while (cMouseTraceObject* nested = area->GetMTraceContainerItemHeadPtr()) {
      area = nested->GetLastTraceContainerItemPtr();
    }
    if (IsHit(area, local, windowIsFront)) return area;
    while (area->GetBeforeTraceContainerItemPtr() == nullptr) {
      area = area->GetMTraceContainerObjPtr();
      if (area == nullptr) return nullptr;
      if (IsHit(area, local, windowIsFront)) return area;
    }
    area = area->GetBeforeTraceContainerItemPtr();
  }
}

void cMouseTraceWindowObj::SetupItemOnHightLayer(cMouseTraceObject* item) {
  if (item == nullptr) return;
  items_.Append(item);
}

void cMouseTraceWindowObj::UnlinkItemFromMouseTraceList(cMouseTraceObject* item) {
  static const char kMethod[] = "cMouseTraceWindowObj::UnlinkItemFromMouseTraceList";
  if (item == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  // An area missing from the item list is still taken out of its layers, so that no list
  // keeps a pointer to it once it is gone.
  if (!items_.Unlink(item)) SpReportFailure(kSource, kMethod, 2, kMsgNotLinked);

  cMouseTraceObject* container = item->GetMTraceContainerObjPtr();
  bool held = false;
  if (container != nullptr) {
    for (cMouseTraceObject* x = container->GetMTraceContainerItemHeadPtr(); x != nullptr && !held;
         x = x->GetNextTraceContainerItemPtr()) {
      held = x == item;
    }
  } else {
    held = top_.Contains(item);
  }
  // The nested areas take the item's place in the list that holds it, in their order.
  if (cMouseTraceObject* nested = item->GetMTraceContainerItemHeadPtr()) {
    item->SetupMTraceContainerItemListHeadPtr(nullptr);
    if (held) {
      item->LinkTraceContainerItemToNext(nested);
      if (container != nullptr) {
        container->SetupMTraceContainerItemListLast();
      } else {
        top_.RecomputeTail();
      }
    } else {
      SpReportFailure(kSource, kMethod, 2, kSpMsgLinkError);
    }
  }

  if (container != nullptr) {
    container->UnlinkMTraceContaierItem(item, 0, 0);
  } else if (!top_.Unlink(item)) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgLinkError);
  }
}

void cMouseTraceWindowObj::SetupItemOnContainerListHightPosit(cMouseTraceObject* item) {
  if (item == nullptr) return;
  top_.Append(item);
}

Boolean cMouseTraceWindowObj::UnlinkItemFromTopContainerList(cMouseTraceObject* item) {
  if (top_.Unlink(item)) return 1;
  SpReportFailure(kSource, "cMouseTraceWindowObj::UnlinkItemFromTopContainerList", 2,
                  kMsgLinkErrorTight);
  return 0;
}

void cMouseTraceWindowObj::MoveToTopLayerInMTraceContainerItemList(cMouseTraceObject* item) {
  if (item == nullptr || item == top_.tail) return;
  if (!top_.Unlink(item)) {
    SpReportFailure(kSource, "cMouseTraceWindowObj::MoveToTopLayerInMTraceContainerItemList", 2,
                    kMsgDataLinkError);
    return;
  }
  top_.Append(item);
}

void cMouseTraceWindowObj::MoveToTargetLayerInMTraceContainerItemList(cMouseTraceObject* item,
                                                                      SInt32 target) {
  static const char kMethod[] = "cMouseTraceWindowObj::MoveToTargetLayerInMTraceContainerItemList";
  const SInt32 position = top_.PositionOf(item);
  if (position == 0) {
    SpReportFailure(kSource, kMethod, 2, kMsgDataLinkError);
    return;
  }
  if (target > top_.Length() && item != top_.tail) {
    SpReportFailure(kSource, kMethod, 2, kMsgPosition);
  }
  if (Sp_MTM_MoveLayerToTarget(top_, item, target) == kMTraceLayerNoPredecessor) {
    SpReportFailure(kSource, kMethod, 2, kMsgSearchLogic);
  }
}

void cMouseTraceWindowObj::InsertChainInTopContainerList(cMouseTraceObject* at,
                                                         cMouseTraceObject* chain) {
  if (chain == nullptr) return;
  if (at != nullptr && !top_.Contains(at)) {
    SpReportFailure(kSource, "cMouseTraceWindowObj::InsertChainInTopContainerList", 2,
                    kMsgDataLinkError);
    return;
  }
  cMouseTraceObject* end = chain->GetLastTraceContainerItemPtr();
  top_.InsertChainAfter(at, chain);
  for (cMouseTraceObject* x = chain;; x = x->GetNextTraceContainerItemPtr()) {
    x->SetupMTraceContainerObjPtr(nullptr);
    if (x == end) break;
  }
}
