// The hover areas of one window: every registered area in order of registration (the item
// list) and the window's top-level layer list (bottom layer first, top layer last). The trace
// manager keeps one such object for every window that has at least one area.
#pragma once

#include <cstddef>
#include <new>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpMouseTraceObject.h"

// The point in the local coordinates of the window, through its port; the current port is
// kept.
Point Sp_MTM_GlobalToWindowLocal(WindowRef window, Point globalPoint);

class cMouseTraceWindowObj : public cSpListLinks<cMouseTraceWindowObj>, public cSpMacHeapObject {
 public:
  explicit cMouseTraceWindowObj(WindowRef window);
  ~cMouseTraceWindowObj() = default;
  cMouseTraceWindowObj(const cMouseTraceWindowObj&) = delete;
  cMouseTraceWindowObj& operator=(const cMouseTraceWindowObj&) = delete;

  void StartUpInitialize();
  // Takes this object out of the manager's list, joining its neighbours; the manager mends
  // its own ends.
  void UnlinkFromManagerList() { UnlinkSelf(); }

  Boolean IsMyWindowTarget(WindowRef window) const { return window == window_; }
  WindowRef GetTargetWindowPtr() const { return window_; }
  SInt32 NumOfContaineItem() const { return items_.Length(); }

  // The area under the global point: the highest layer wins, nested areas before their
  // container. Null when no enabled area takes the point.
  cMouseTraceObject* GetTargetTraceObject(Point globalPoint);

  // Item list.
  void SetupItemOnHightLayer(cMouseTraceObject* item);
  void UnlinkItemFromMouseTraceList(cMouseTraceObject* item);
  cMouseTraceObject* GetTraceItemListHead() const { return items_.head; }

  // Top list.
  void SetupItemOnContainerListHightPosit(cMouseTraceObject* item);
  // False (and a report) when the item is not in the top list.
  Boolean UnlinkItemFromTopContainerList(cMouseTraceObject* item);
  void SetupLastContainerListItem() { top_.RecomputeTail(); }
  void MoveToTopLayerInMTraceContainerItemList(cMouseTraceObject* item);
  void MoveToTargetLayerInMTraceContainerItemList(cMouseTraceObject* item, SInt32 target);
  cMouseTraceObject* GetTopContainerListHead() const { return top_.head; }
  cMouseTraceObject* GetTopContainerListLast() const { return top_.tail; }
  // Inserts the chain that starts at `chain` after `at` in the top list (`at` must be in it);
  // the inserted areas leave any container.
  void InsertChainInTopContainerList(cMouseTraceObject* at, cMouseTraceObject* chain);

 private:
  WindowRef window_ = nullptr;
  sMouseTraceList items_{kMTraceItemLinks};
  sMouseTraceList top_{kMTraceLayerLinks};
};
