// The drag-and-drop manager: the Drag Manager's handlers, the window entries with their hit
// test, enter, move, leave and drop, and the start-up (see SpDragAndDropObject.h).
#include "SpDragAndDropObject.h"

#include "Gestalt.h"
#include "SpCalenderIconObject.h"
#include "SpDragAndDropInternal.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpServiceHooks.h"

namespace sp_ddo_detail {

const char kSourceDrop[] = "SpDragAndDropObject";
const char kMsgArgumentNull[] = "Argument is null !! ";
const char kMsgArgumentNullCap[] = "Argument is Null !! ";
const char kMsgDataErrorLower[] = "Data error !! ";
const char kMsgDataLinkError[] = "Data Link Error !! ";

cDropCatchObject* LastOf(cDropCatchObject* item, tLinks f) {
  if (item == nullptr) return nullptr;
  while ((item->*f).next != nullptr) item = (item->*f).next;
  return item;
}

void LinkChainAfter(cDropCatchObject* self, cDropCatchObject* chain, tLinks f) {
  if (chain == nullptr || chain == self) return;
  cDropCatchObject* last = LastOf(chain, f);
  cDropCatchObject* after = (self->*f).next;
  (self->*f).next = chain;
  (chain->*f).before = self;
  (last->*f).next = after;
  if (after != nullptr) (after->*f).before = last;
}

cDropCatchObject* CutAfter(cDropCatchObject* self, tLinks f) {
  cDropCatchObject* item = (self->*f).next;
  if (item == nullptr) return nullptr;
  (self->*f).next = nullptr;
  (item->*f).before = nullptr;
  return item;
}

bool Contains(cDropCatchObject* first, const cDropCatchObject* item, tLinks f) {
  for (cDropCatchObject* t = first; t != nullptr; t = (t->*f).next) {
    if (t == item) return true;
  }
  return false;
}

void Append(cDropCatchObject*& first, cDropCatchObject*& last, cDropCatchObject* item,
            tLinks f) {
  (item->*f) = sDDO_Links();
  if (first == nullptr) {
    first = item;
  } else {
    cDropCatchObject* tail = LastOf(last != nullptr ? last : first, f);
    (tail->*f).next = item;
    (item->*f).before = tail;
  }
  last = item;
}

bool TakeOut(cDropCatchObject*& first, cDropCatchObject*& last, cDropCatchObject* item,
             tLinks f) {
  cDropCatchObject* before = (item->*f).before;
  cDropCatchObject* after = (item->*f).next;
  bool intact = true;
  if (before != nullptr) {
    (before->*f).next = after;
  } else if (first == item) {
    first = after;
  } else {
    intact = false;
  }
  if (after != nullptr) (after->*f).before = before;
  if (last == item) last = before;
  (item->*f) = sDDO_Links();
  return intact;
}

void MoveTo(cDropCatchObject*& first, cDropCatchObject*& last, cDropCatchObject* item,
            SInt32 position) {
  const SInt32 now = item->GetDropCatchContainerItemLayerPosit();
  const SInt32 count = item->GetDropCatchContainerItemLayerMaxPosit();
  const SInt32 wanted = position < 1 ? 1 : (position > count ? count : position);
  if (wanted == now) return;
  TakeOut(first, last, item);
  if (wanted == 1) {
    (item->*Fields::layer).next = first;
    if (first != nullptr) (first->*Fields::layer).before = item;
    first = item;
    if (last == nullptr) last = item;
    return;
  }
  cDropCatchObject* previous = first;
  for (SInt32 i = 2; i < wanted && previous != nullptr; ++i) {
    previous = (previous->*Fields::layer).next;
  }
  LinkChainAfter(previous, item, Fields::layer);
  if (last == previous) last = item;
}

}  // namespace sp_ddo_detail

using namespace sp_ddo_detail;

namespace {

const char kMsgCannotAllocate[] = "can not Alocated memory";
const char kMsgRequiredNull[] = "Required argument is null !!";
const char kMsgArgumentOrData[] = "Argument or Data Error !!";

cDragAndDropManagerObj* gManager = nullptr;
DragReceiveHandlerUPP gReceiveUPP = nullptr;
DragTrackingHandlerUPP gTrackingUPP = nullptr;

// The last of a target's children, their last child, and so on: the top-most target of the
// subtree.
cDropCatchObject* Deepest(cDropCatchObject* target) {
  while (target != nullptr && target->GetDropCatchContainerItemListLast() != nullptr) {
    target = target->GetDropCatchContainerItemListLast();
  }
  return target;
}

}  // namespace

// ---- A window's entry: its targets ----------------------------------------------------------

void cDragAndDropWindowObj::SetupDropCatchItem(cDropCatchObject* target) {
  if (target == nullptr || Contains(flatFirst_, target, Fields::flat)) return;
  Append(flatFirst_, flatLast_, target, Fields::flat);
}

void cDragAndDropWindowObj::UnlinkDropCatchItem(cDropCatchObject* target) {
  if (target == nullptr || !Contains(flatFirst_, target, Fields::flat)) {
    SpReportFailure(kSourceDrop, "cDragAndDropWindowObj::UnlinkDropCatchItem", 1,
                    kSpMsgLinkError);
    return;
  }
  TakeOut(flatFirst_, flatLast_, target, Fields::flat);
  // A drag over the window must not reach a target that is gone.
  if (current_ == target) {
    current_ = nullptr;
    inactive_ = 0;
  }
}

void cDragAndDropWindowObj::SetupDropCatchContainerItemOnTopLayer(cDropCatchObject* target) {
  if (target == nullptr) {
    SpReportFailure(kSourceDrop, "cDragAndDropWindowObj::SetupDropCatchContainerItemOnTopLayer", 1,
                    kMsgArgumentNullCap);
    return;
  }
  target->container_ = nullptr;
  Append(topFirst_, topLast_, target);
}

void cDragAndDropWindowObj::UnSetupDropCatchContainerItem(cDropCatchObject* target,
                                                          unsigned char promoteChildren) {
  if (target == nullptr) return;
  if (promoteChildren != 0) target->MoveDropCatchContainerItemToNextLayerPosition();
  if (target->container_ != nullptr) {
    target->container_->UnSetupDropCatchContainerItem(target);
  } else if (Contains(topFirst_, target)) {
    TakeOut(topFirst_, topLast_, target);
  } else {
    SpReportFailure(kSourceDrop, "cDragAndDropWindowObj::UnSetupDropCatchContainerItem", 2,
                    kSpMsgDataError);
  }
}

void cDragAndDropWindowObj::MoveDropCatchContainerToTopLayer(cDropCatchObject* target) {
  if (target == nullptr || topLast_ == target || !Contains(topFirst_, target)) return;
  TakeOut(topFirst_, topLast_, target);
  Append(topFirst_, topLast_, target);
}

void cDragAndDropWindowObj::MoveDropCatchContainerToTargetLayerPosit(cDropCatchObject* target,
                                                                    SInt32 position) {
  if (target == nullptr || !Contains(topFirst_, target)) return;
  MoveTo(topFirst_, topLast_, target, position);
}

cDragAndDropWindowObj* cDragAndDropWindowObj::GetWindowPtrObject(WindowRef window) {
  for (cDragAndDropWindowObj* e = this; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->window_ == window) return e;
  }
  return nullptr;
}

// ---- A window's entry: the drag over it -----------------------------------------------------

Point cDragAndDropWindowObj::ToLocal(Point global) const {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window_);
  GlobalToLocal(&global);
  SetPort(saved);
  return global;
}

unsigned char cDragAndDropWindowObj::CheckDragItemsOnCatchObject(cDropCatchObject* target,
                                                                 cDragDataItem* items) {
  if (target == nullptr || items == nullptr || target->IsEnableCacheDragItem() == 0) return 0;
  for (cDragDataItem* item = items; item != nullptr; item = item->GetNextObjectPtr()) {
    for (cDragDataFlavor* f = item->GetFlavorItemListHeader(); f != nullptr;
         f = f->GetNextObjectPtr()) {
      UInt32 type = 0;
      f->GetDragDataFlavorType(type);
      if (target->IsEnableFlavorType(type) || target->IsEnableFlavorTypeByPrcedureChecker(type, f)) {
        return target->CheckDragItemsContents(items);
      }
    }
  }
  return 0;
}

bool cDragAndDropWindowObj::Chosen(cDropCatchObject* target, Point local, cDragDataItem* items,
                                   bool askTarget) {
  return target->IsEnableCacheDragItem() != 0 && target->PtInTargetArea(local) != 0 &&
         (!askTarget || target->CheckDragEnableOnTargetPoint(local) != 0) &&
         (target->GetTransparentDiableDragItemFlag() == 0 ||
          CheckDragItemsOnCatchObject(target, items) != 0);
}

// Top-down: the children of a target before the target, later items of a list before earlier
// ones; the first chosen target ends the walk.
cDropCatchObject* cDragAndDropWindowObj::HitTarget(Point local, cDragDataItem* items,
                                                   bool askTarget) {
  cDropCatchObject* target = Deepest(topLast_);
  while (target != nullptr) {
    if (Chosen(target, local, items, askTarget)) return target;
    cDropCatchObject* below = target->GetBeforeDropCatchContainerItemObjPtr();
    target = below != nullptr ? Deepest(below) : target->GetDropCatchContainerPtr();
  }
  return nullptr;
}

unsigned char cDragAndDropWindowObj::CheckDragItems(DragRef, Point global, cDragDataItem* items) {
  if (topFirst_ == nullptr) return 0;
  return CheckDragItemsOnCatchObject(HitTarget(ToLocal(global), items, false), items);
}

void cDragAndDropWindowObj::CursorIntoWindow(DragRef drag, Point global, cDragDataItem* items,
                                             UInt32* attributes) {
  inactive_ = 1;
  current_ = nullptr;
  DragMouseTrace(drag, global, 0, items, attributes);
}

void cDragAndDropWindowObj::CursorMoveOnWindow(DragRef drag, Point global, cDragDataItem* items,
                                               UInt32* attributes) {
  DragMouseTrace(drag, global, 0, items, attributes);
}

void cDragAndDropWindowObj::CursorOutFromWindow(DragRef drag) {
  DragMouseTrace(drag, Point{0, 0}, 1, nullptr, nullptr);
  // No hilite outlives the drag's stay in the window, whatever became of its target.
  WindowHiliteOff(drag);
}

void cDragAndDropWindowObj::DragMouseTrace(DragRef drag, Point global, unsigned char leaving,
                                           cDragDataItem* items, UInt32*) {
  Point local = global;
  cDropCatchObject* found = nullptr;
  if (leaving == 0) {
    local = ToLocal(global);
    found = HitTarget(local, items, true);
  }
  const bool active = current_ != nullptr && inactive_ == 0;
  if (active && (leaving != 0 || found != current_)) current_->DragCursorOut(drag, local);
  if (found == nullptr) {
    if (active && current_->GetWindowHiliteFlag() != 0) WindowHiliteOff(drag);
    inactive_ = 0;
    current_ = nullptr;
    return;
  }
  if (found != current_) {
    if (found->IsEnableCacheDragItem() != 0 && CheckDragItemsOnCatchObject(found, items) != 0) {
      inactive_ = 0;
      if (found->GetWindowHiliteFlag() != 0) {
        if (found->GetHiliteType() == kDDO_HiliteWindowArea) {
          WindowHiliteOn(drag);
        } else if (found->GetHiliteType() == kDDO_HiliteTargetArea) {
          Rect area;
          found->GetHiliteArea(area);
          AreaHiliteOn(drag, area, 0);
        }
      }
      current_ = found;
      found->DragCursorIn(drag, local);
    } else {
      // A target that refuses the drag ends the one the drag left, so that coming back
      // enters it again and a drop there is taken.
      if (active && current_->GetWindowHiliteFlag() != 0) WindowHiliteOff(drag);
      current_ = nullptr;
      inactive_ = 1;
    }
  }
  if (inactive_ == 0 && current_ != nullptr) current_->MoveDragCursor(drag, local);
}

short cDragAndDropWindowObj::DropIntoWindow(DragRef, Point global, cDragDataItem* items,
                                            UInt32* attributes) {
  const Point local = ToLocal(global);
  cDropCatchObject* target = HitTarget(local, items, true);
  if (target == nullptr || target != current_ || inactive_ != 0) return dragNotAcceptedErr;
  return target->CatchDropItem(local, items, attributes);
}

void cDragAndDropWindowObj::WindowHiliteOn(DragRef drag) {
  Rect bounds;
  GetWindowPortBounds(window_, &bounds);
  AreaHiliteOn(drag, bounds, 1);
}

void cDragAndDropWindowObj::AreaHiliteOn(DragRef drag, const Rect& area, unsigned char inside) {
  RgnHandle region = NewRgn();
  if (region == nullptr) {
    SpReportFailure(kSourceDrop, "cDragAndDropWindowObj::AreaHiliteOn", 1, kSpMsgMemory);
    return;
  }
  RectRgn(region, &area);
  WindowHiliteAreaTurnOn(drag, region, inside);
  DisposeRgn(region);
}

void cDragAndDropWindowObj::WindowHiliteAreaTurnOn(DragRef drag, RgnHandle region,
                                                   unsigned char inside) {
  if (hiliteShown_ != 0) return;
  ShowDragHilite(drag, region, inside);
  hiliteShown_ = 1;
}

void cDragAndDropWindowObj::WindowHiliteOff(DragRef drag) {
  if (hiliteShown_ == 0) return;
  HideDragHilite(drag);
  hiliteShown_ = 0;
}

// ---- The manager ----------------------------------------------------------------------------

cDragAndDropManagerObj::~cDragAndDropManagerObj() {
  DisposeAnalyzeItemList();
  SpDeleteList(windows_);
}

cDragAndDropWindowObj* cDragAndDropManagerObj::GetTargetDragDropWinObj(WindowRef window) const {
  return windows_ != nullptr ? windows_->GetWindowPtrObject(window) : nullptr;
}

void cDragAndDropManagerObj::SetupDropCatchItem(WindowRef window, cDropCatchObject* target) {
  cDragAndDropWindowObj* entry = GetTargetDragDropWinObj(window);
  if (entry == nullptr) {
    entry = new (std::nothrow) cDragAndDropWindowObj(window);
    if (entry == nullptr) {
      SpReportFailure(kSourceDrop, "cDragAndDropManagerObj::SetupDropCatchItem", 1,
                      kMsgCannotAllocate);
      return;
    }
    if (windows_ != nullptr) entry->LinkToNext(windows_);
    windows_ = entry;
  }
  entry->SetupDropCatchItem(target);
}

cDragAndDropWindowObj* cDragAndDropManagerObj::TargetEntry(cDropCatchObject* target,
                                                           const char* method) const {
  if (windows_ == nullptr) {
    SpReportFailure(kSourceDrop, method, 2, kSpMsgDataError);
    return nullptr;
  }
  return GetTargetDragDropWinObj(target->GetDropCatchObjectTargetWindowPtr());
}

void cDragAndDropManagerObj::UnlinkDropCatchItem(cDropCatchObject* target) {
  cDragAndDropWindowObj* entry = TargetEntry(target, "cDragAndDropManagerObj::UnlinkDropCatchItem");
  if (entry != nullptr) entry->UnlinkDropCatchItem(target);
}

void cDragAndDropManagerObj::SetupDropCatchContainerItemOnTopLayer(WindowRef,
                                                                   cDropCatchObject* target) {
  cDragAndDropWindowObj* entry =
      TargetEntry(target, "cDragAndDropManagerObj::SetupDropCatchContainerItemOnTopLayer");
  if (entry != nullptr) entry->SetupDropCatchContainerItemOnTopLayer(target);
}

void cDragAndDropManagerObj::UnSetupDropCatchContainerItem(cDropCatchObject* target,
                                                           unsigned char promoteChildren) {
  cDragAndDropWindowObj* entry =
      TargetEntry(target, "cDragAndDropManagerObj::UnSetupDropCatchContainerItem");
  if (entry != nullptr) entry->UnSetupDropCatchContainerItem(target, promoteChildren);
}

void cDragAndDropManagerObj::DragTrackingAnalizer(short message, WindowRef window, DragRef drag) {
  Point mouse = {0, 0};
  GetDragMouse(drag, &mouse, nullptr);
  switch (message) {
    case kDragTrackingEnterHandler:
      AnalyzeDragData(drag);
      break;
    case kDragTrackingEnterWindow:
      currentWindow_ = GetTargetDragDropWinObj(window);
      if (currentWindow_ != nullptr) {
        currentWindow_->CursorIntoWindow(drag, mouse, itemFirst_, &attributes_);
      }
      break;
    case kDragTrackingInWindow:
      if (currentWindow_ != nullptr) {
        currentWindow_->CursorMoveOnWindow(drag, mouse, itemFirst_, &attributes_);
      }
      break;
    case kDragTrackingLeaveWindow:
      if (currentWindow_ != nullptr) currentWindow_->CursorOutFromWindow(drag);
      currentWindow_ = nullptr;
      break;
    case kDragTrackingLeaveHandler:
      DisposeAnalyzeItemList();
      currentWindow_ = nullptr;
      break;
    default:
      break;
  }
}

short cDragAndDropManagerObj::DropReceve(WindowRef window, DragRef drag) {
  Point pinned = {0, 0};
  GetDragMouse(drag, nullptr, &pinned);
  cDragAndDropWindowObj* entry = GetTargetDragDropWinObj(window);
  if (entry == nullptr) return dragNotAcceptedErr;
  return entry->DropIntoWindow(drag, pinned, itemFirst_, &attributes_);
}

void cDragAndDropManagerObj::AnalyzeDragData(DragRef drag) {
  DisposeAnalyzeItemList();
  if (GetDragAttributes(drag, &attributes_) != noErr) return;
  UInt16 items = 0;
  if (CountDragItems(drag, &items) != noErr) return;
  for (UInt16 i = 1; i <= items; ++i) {
    DragItemRef ref = 0;
    if (GetDragItemReferenceNumber(drag, i, &ref) != noErr) continue;
    cDragDataItem* item = new (std::nothrow) cDragDataItem(drag, ref);
    if (item == nullptr) {
      SpReportFailure(kSourceDrop, "cDragAndDropManagerObj::AnalyzeDragData", 1, kSpMsgMemory);
      return;
    }
    AddAnalyzeItem(item);
    UInt16 flavors = 0;
    if (CountDragItemFlavors(drag, ref, &flavors) != noErr) continue;
    for (UInt16 j = 1; j <= flavors; ++j) {
      FlavorType type = 0;
      if (GetFlavorType(drag, ref, j, &type) != noErr) continue;
      item->AddFlavor(new (std::nothrow) cDragDataFlavor(drag, ref, type));
    }
  }
}

void cDragAndDropManagerObj::DisposeAnalyzeItemList() {
  SpDeleteList(itemFirst_);
  itemFirst_ = itemLast_ = nullptr;
}

void cDragAndDropManagerObj::AddAnalyzeItem(cDragDataItem* item) {
  if (item != nullptr) SpAppendToList(itemFirst_, itemLast_, item);
}

// ---- Plain functions ------------------------------------------------------------------------

void SpDDO_InitializeDragAndDrop() {
  SInt32 answer = 0;
  if (Gestalt(gestaltDragMgrAttr, &answer) != noErr || (answer & 0x1) == 0) return;
  if (!SpDDO_CreateDragAndDropManager()) return;
  SpDDO_InstallHandler();
  Sp_SetupDisposeProcedure(SpDDO_TerminateDragAndDrop, 50, 0, nullptr);
}

void SpDDO_InstallHandler() {
  if (gManager == nullptr) return;
  gReceiveUPP = NewDragReceiveHandlerUPP(SpDDO_DragReceiceHandler);
  gTrackingUPP = NewDragTrackingHandlerUPP(SpDDO_TrackingHandler);
  if (gReceiveUPP != nullptr) InstallReceiveHandler(gReceiveUPP, nullptr, gManager);
  if (gTrackingUPP != nullptr) InstallTrackingHandler(gTrackingUPP, nullptr, gManager);
}

void SpDDO_TerminateDragAndDrop(unsigned long) {
  if (gReceiveUPP != nullptr) {
    RemoveReceiveHandler(gReceiveUPP, nullptr);
    DisposeDragReceiveHandlerUPP(gReceiveUPP);
    gReceiveUPP = nullptr;
  }
  if (gTrackingUPP != nullptr) {
    RemoveTrackingHandler(gTrackingUPP, nullptr);
    DisposeDragTrackingHandlerUPP(gTrackingUPP);
    gTrackingUPP = nullptr;
  }
}

OSErr SpDDO_TrackingHandler(DragTrackingMessage message, WindowRef window, void* refCon,
                            DragRef drag) {
  if (refCon == nullptr) return paramErr;
  cDragAndDropManagerObj* manager = static_cast<cDragAndDropManagerObj*>(refCon);
  manager->DragTrackingAnalizer(message, window, drag);
  // Over a window, the answer says whether a target there takes the drag: another program
  // dragging over the window learns from it whether a drop would be taken.
  if (message != kDragTrackingEnterWindow && message != kDragTrackingInWindow) return noErr;
  const cDragAndDropWindowObj* entry = manager->GetCurrentWindow();
  const bool taken =
      entry != nullptr && entry->GetCurrentTarget() != nullptr && entry->IsInactive() == 0;
  return taken ? OSErr(noErr) : OSErr(dragNotAcceptedErr);
}

OSErr SpDDO_DragReceiceHandler(WindowRef window, void* refCon, DragRef drag) {
  if (refCon == nullptr) return paramErr;
  return static_cast<cDragAndDropManagerObj*>(refCon)->DropReceve(window, drag);
}

Boolean SpDDO_CreateDragAndDropManager() {
  if (gManager != nullptr) return true;
  gManager = new (std::nothrow) cDragAndDropManagerObj;
  if (gManager == nullptr) {
    SpReportFailure(kSourceDrop, "SpDDO_CreateDragAndDropManager", 1, kMsgCannotAllocate);
    return false;
  }
  return true;
}

cDragAndDropManagerObj* SpDDO_GetDragADropMgr(unsigned char create) {
  if (gManager == nullptr && create != 0) SpDDO_CreateDragAndDropManager();
  return gManager;
}

void SpDDO_SetupDropItemIntoManager(WindowRef window, cDropCatchObject* target) {
  if (target == nullptr) {
    SpReportFailure(kSourceDrop, "SpDDO_SetupDropItemIntoManager", 1, kMsgRequiredNull);
    return;
  }
  if (cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(1)) {
    manager->SetupDropCatchItem(window, target);
  }
}

void SpDDO_SetupContainerDropItemIntoManager(WindowRef window, cDropCatchObject* target) {
  if (target == nullptr) {
    SpReportFailure(kSourceDrop, "SpDDO_SetupContainerDropItemIntoManager", 1, kMsgRequiredNull);
    return;
  }
  if (cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(1)) {
    manager->SetupDropCatchContainerItemOnTopLayer(window, target);
  }
}

void SpDDO_UnlinkDropItemFromManager(cDropCatchObject* target) {
  if (target == nullptr || gManager == nullptr) {
    SpReportFailure(kSourceDrop, "SpDDO_UnlinkDropItemFromManager", 1, kMsgArgumentOrData);
    return;
  }
  gManager->UnlinkDropCatchItem(target);
}

void SpDDO_UnlinkDropContainerItemFromManager(cDropCatchObject* target,
                                              unsigned char promoteChildren) {
  if (target == nullptr || gManager == nullptr) {
    SpReportFailure(kSourceDrop, "SpDDO_UnlinkDropContainerItemFromManager", 1,
                    kMsgArgumentOrData);
    return;
  }
  gManager->UnSetupDropCatchContainerItem(target, promoteChildren);
}

namespace {

// The calendars of the controls library are drop targets too; they take no flavours until
// their client gives them some, and do not hilite their window.
cDropCatchObject* NewCalenderDropTarget(WindowRef window, const Rect& area) {
  cDropCatchObject* target = new (std::nothrow) cDropCatchObject(window, area, 0, 0);
  if (target != nullptr) target->SetupWindowHiliteFlag(0);
  return target;
}

void DisposeCalenderDropTarget(cDropCatchObject* target) {
  delete target;
}

}  // namespace

void SpDDO_InstallDragServices() {
  sSpDragServices services = {};
  services.SpDDO_InitializeDragAndDrop = SpDDO_InitializeDragAndDrop;
  Sp_SetupDragServices(&services);
  static const sSpCalenderDropServices calendars = {NewCalenderDropTarget,
                                                    DisposeCalenderDropTarget};
  Sp_CIO_SetupDropTargetServices(&calendars);
}

namespace sp_testing {

void ResetDragAndDropManager() {
  SpDDO_TerminateDragAndDrop(0);
  delete gManager;
  gManager = nullptr;
}

}  // namespace sp_testing
