// Drop targets: flavours, client procedures, the drop and the layers (see
// SpDragAndDropObject.h).
#include "SpDragAndDropObject.h"
#include "SpDragAndDropInternal.h"
#include "SpErrorInfoSystem.h"

using namespace sp_ddo_detail;

// ---- Accepted flavours ----------------------------------------------------------------------

void cEnableFlavorTypeItem::StartUpInitialize() {
  flavorType_ = 0;
  UnlinkNext();
  if (GetBeforeObjectPtr() != nullptr) GetBeforeObjectPtr()->UnlinkNext();
}

cEnableFlavorTypeItem* cEnableFlavorTypeItem::GetFlavorTypeObject(UInt32 flavorType) {
  for (cEnableFlavorTypeItem* f = this; f != nullptr; f = f->GetNextObjectPtr()) {
    if (f->flavorType_ == flavorType) return f;
  }
  return nullptr;
}

// ---- Life -----------------------------------------------------------------------------------

cDropCatchObject::cDropCatchObject(WindowRef window, const Rect& area, SInt32 locationValue1,
                                   SInt32 locationValue2)
    : window_(window), area_(area), location1_(locationValue1), location2_(locationValue2) {
  SpDDO_SetupDropItemIntoManager(window, this);
  SpDDO_SetupContainerDropItemIntoManager(window, this);
  inProc_ = moveProc_ = outProc_ = nullptr;
  inRefCon_ = moveRefCon_ = outRefCon_ = 0;
}

cDropCatchObject::~cDropCatchObject() {
  if (deleted_ == 0) ExecDropCatchObjDeleteReady();
  SpDeleteList(flavorFirst_);
}

void cDropCatchObject::ExecDropCatchObjDeleteReady() {
  if (deleted_ != 0) return;
  SpDDO_UnlinkDropItemFromManager(this);
  SpDDO_UnlinkDropContainerItemFromManager(this, 1);
  deleted_ = 1;
  dropProc_ = nullptr;
  inProc_ = moveProc_ = outProc_ = nullptr;
}

unsigned char cDropCatchObject::CheckDragEnableOnTargetPoint(Point) {
  return 1;
}

// ---- Flavours -------------------------------------------------------------------------------

void cDropCatchObject::SetupEnableFlavorType(UInt32 flavorType) {
  if (flavorFirst_ != nullptr && flavorFirst_->GetFlavorTypeObject(flavorType) != nullptr) return;
  cEnableFlavorTypeItem* item = new (std::nothrow) cEnableFlavorTypeItem(flavorType);
  if (item == nullptr) {
    SpReportFailure(kSourceDrop, "cDropCatchObject::SetupEnableFlavorType", 1, kSpMsgMemory);
    return;
  }
  SpAppendToList(flavorFirst_, flavorLast_, item);
}

unsigned char cDropCatchObject::IsEnableFlavorType(UInt32 flavorType) const {
  return takeDrags_ != 0 && flavorFirst_ != nullptr &&
         flavorFirst_->GetFlavorTypeObject(flavorType) != nullptr;
}

void cDropCatchObject::SetupCheckEnableFlavorTypeProc(tSpDDO_CheckFlavorTypeProcPtr proc,
                                                      unsigned long refCon) {
  checkProc_ = proc;
  checkRefCon_ = refCon;
}

unsigned char cDropCatchObject::IsEnableFlavorTypeByPrcedureChecker(UInt32 flavorType,
                                                                     cDragDataFlavor* flavor) {
  return takeDrags_ != 0 && checkProc_ != nullptr && checkProc_(flavorType, flavor, checkRefCon_);
}

// ---- Area -----------------------------------------------------------------------------------

unsigned char cDropCatchObject::PtInTargetArea(Point localPoint) const {
  return PtInRect(localPoint, &area_);
}

void cDropCatchObject::SetHiliteArea(const Rect& area) {
  area_ = area;
  hiliteType_ = kDDO_HiliteTargetArea;
}

// ---- Client procedures ----------------------------------------------------------------------

void cDropCatchObject::SetupDragCursorInProc(tSpDDO_DragCursorProcPtr proc, unsigned long refCon) {
  inProc_ = proc;
  inRefCon_ = refCon;
}

void cDropCatchObject::SetupDragCursorMoveProc(tSpDDO_DragCursorProcPtr proc,
                                               unsigned long refCon) {
  moveProc_ = proc;
  moveRefCon_ = refCon;
}

void cDropCatchObject::SetupDragCursorOutProc(tSpDDO_DragCursorProcPtr proc,
                                              unsigned long refCon) {
  outProc_ = proc;
  outRefCon_ = refCon;
}

void cDropCatchObject::SetupCatchDropItemsProc(tSpDDO_CatchDropItemsProcPtr proc,
                                               unsigned long refCon) {
  dropProc_ = proc;
  dropRefCon_ = refCon;
}

void cDropCatchObject::DragCursorIn(DragRef drag, Point localPoint) {
  if (inProc_ != nullptr) inProc_(drag, localPoint, inRefCon_);
}

void cDropCatchObject::MoveDragCursor(DragRef drag, Point localPoint) {
  if (moveProc_ != nullptr) moveProc_(drag, localPoint, moveRefCon_);
}

void cDropCatchObject::DragCursorOut(DragRef drag, Point localPoint) {
  if (outProc_ != nullptr) outProc_(drag, localPoint, outRefCon_);
}

void cDropCatchObject::SetupDropLocationIdOnProc(SInt32 value1, SInt32 value2) {
  perDropLocation_ = 1;
  perDrop1_ = value1;
  perDrop2_ = value2;
}

short cDropCatchObject::CatchDropItem(Point localPoint, cDragDataItem* items,
                                      UInt32* dragAttributes) {
  if (dropProc_ == nullptr) return dragNotAcceptedErr;
  copyFlag_ = 0;
  perDropLocation_ = 0;
  const short result = dropProc_(localPoint, dropRefCon_, items, dragAttributes);
  if (result != 0) return result;
  DragRef drag = items != nullptr ? items->GetDragReference() : nullptr;
  if (perDropLocation_ != 0) {
    SpDDO_SetupCatchDropItemInfo(drag, perDrop1_, perDrop2_);
  } else {
    SpDDO_SetupCatchDropItemInfo(drag, location1_, location2_);
  }
  if (copyFlag_ != 0) SpDDO_SetupExecCopyFlag(drag, 1);
  return 0;
}

// ---- Layers ---------------------------------------------------------------------------------

bool cDropCatchObject::HoldingList(cDropCatchObject**& first, cDropCatchObject**& last) const {
  if (container_ != nullptr) {
    first = &container_->childFirst_;
    last = &container_->childLast_;
    return true;
  }
  cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(0);
  cDragAndDropWindowObj* entry =
      manager != nullptr ? manager->GetTargetDragDropWinObj(window_) : nullptr;
  if (entry == nullptr || !Contains(entry->topFirst_, this)) return false;
  first = &entry->topFirst_;
  last = &entry->topLast_;
  return true;
}

void cDropCatchObject::DetachFromLayers() {
  cDropCatchObject** first = nullptr;
  cDropCatchObject** last = nullptr;
  if (HoldingList(first, last)) TakeOut(*first, *last, this);
  container_ = nullptr;
}

void cDropCatchObject::SetupDropCatchContainerItemOnTopLayer(cDropCatchObject* child) {
  const char* const method = "cDropCatchObject::SetupDropCatchContainerItemOnTopLayer";
  if (child == nullptr) {
    SpReportFailure(kSourceDrop, method, 1, kMsgArgumentNull);
    return;
  }
  // A target cannot lie over itself or over one of its own children.
  for (const cDropCatchObject* c = this; c != nullptr; c = c->container_) {
    if (c == child) {
      SpReportFailure(kSourceDrop, method, 2, kMsgDataErrorLower);
      return;
    }
  }
  // Linked twice, the lists would cross: out of its present list first.
  child->DetachFromLayers();
  Append(childFirst_, childLast_, child);
  child->container_ = this;
}

void cDropCatchObject::UnSetupDropCatchContainerItem(cDropCatchObject* child) {
  const char* const method = "cDropCatchObject::UnSetupDropCatchContainerItem";
  if (child == nullptr) {
    SpReportFailure(kSourceDrop, method, 1, kMsgArgumentNull);
    return;
  }
  if (!Contains(childFirst_, child)) {
    SpReportFailure(kSourceDrop, method, 2, kMsgDataErrorLower);
    return;
  }
  if (!TakeOut(childFirst_, childLast_, child)) {
    SpReportFailure(kSourceDrop, method, 3, kMsgDataErrorLower);
  }
  child->container_ = nullptr;
}

void cDropCatchObject::MoveDropCatchContainerItemToNextLayerPosition() {
  cDropCatchObject* chain = childFirst_;
  if (chain == nullptr) return;
  childFirst_ = childLast_ = nullptr;
  cDropCatchObject** first = nullptr;
  cDropCatchObject** last = nullptr;
  if (!HoldingList(first, last)) {
    // Lying in no list itself, it leaves its children in none.
    while (chain != nullptr) {
      cDropCatchObject* next = chain->layer_.next;
      chain->layer_ = sDDO_Links();
      chain->container_ = nullptr;
      chain = next;
    }
    return;
  }
  cDropCatchObject* chainLast = LastOf(chain, Fields::layer);
  LinkToNextDropCatchObjContainerItem(chain);
  if (*last == this) *last = chainLast;
}

void cDropCatchObject::MoveIntoTargetDropCatchContainerItem(cDropCatchObject* newContainer,
                                                            unsigned char detach) {
  if (newContainer == nullptr) {
    SpReportFailure(kSourceDrop, "cDropCatchObject::MoveIntoTargetDropCatchContainerItem", 1,
                    kMsgArgumentNull);
    return;
  }
  (void)detach;  // a target still in a list always leaves it first (see the setup)
  newContainer->SetupDropCatchContainerItemOnTopLayer(this);
}

void cDropCatchObject::MoveToTopDropCatchLayer() {
  const char* const method = "cDropCatchObject::MoveToTopDropCatchLayer";
  if (container_ != nullptr) {
    if (container_->childLast_ == this) return;
    if (!TakeOut(container_->childFirst_, container_->childLast_, this)) {
      SpReportFailure(kSourceDrop, method, 3, kMsgDataLinkError);
    }
    Append(container_->childFirst_, container_->childLast_, this);
    return;
  }
  cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(0);
  if (manager == nullptr) {
    SpReportFailure(kSourceDrop, method, 1, kSpMsgDataError);
    return;
  }
  cDragAndDropWindowObj* entry = manager->GetTargetDragDropWinObj(window_);
  if (entry == nullptr) {
    SpReportFailure(kSourceDrop, method, 2, kSpMsgDataError);
    return;
  }
  entry->MoveDropCatchContainerToTopLayer(this);
}

void cDropCatchObject::MoveToTargetDropCatchLayerPosit(SInt32 position) {
  cDropCatchObject** first = nullptr;
  cDropCatchObject** last = nullptr;
  if (!HoldingList(first, last)) return;
  MoveTo(*first, *last, this, position);
}

SInt32 cDropCatchObject::GetDropCatchContainerItemLayerPosit() const {
  SInt32 position = 1;
  for (const cDropCatchObject* t = layer_.before; t != nullptr; t = t->layer_.before) ++position;
  return position;
}

SInt32 cDropCatchObject::GetDropCatchContainerItemLayerMaxPosit() const {
  SInt32 count = GetDropCatchContainerItemLayerPosit();
  for (const cDropCatchObject* t = layer_.next; t != nullptr; t = t->layer_.next) ++count;
  return count;
}

// ---- The two lists' links -------------------------------------------------------------------

void cDropCatchObject::LinkToNextDropCatchObj(cDropCatchObject* chain) {
  LinkChainAfter(this, chain, &cDropCatchObject::flat_);
}

cDropCatchObject* cDropCatchObject::UnlinkNextDropCatchObj() {
  return CutAfter(this, &cDropCatchObject::flat_);
}

cDropCatchObject* cDropCatchObject::GetLastDropCatchObjPtr() {
  return LastOf(this, &cDropCatchObject::flat_);
}

void cDropCatchObject::LinkToNextDropCatchObjContainerItem(cDropCatchObject* chain) {
  for (cDropCatchObject* c = chain; c != nullptr; c = c->layer_.next) c->container_ = container_;
  LinkChainAfter(this, chain, &cDropCatchObject::layer_);
}

cDropCatchObject* cDropCatchObject::UnlinkNextDropCatchContainerItemObj() {
  return CutAfter(this, &cDropCatchObject::layer_);
}

cDropCatchObject* cDropCatchObject::GetLastDropCatchContainerItemObjPtr() {
  return LastOf(this, &cDropCatchObject::layer_);
}
