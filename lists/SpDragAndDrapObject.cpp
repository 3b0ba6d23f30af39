// The items and flavours of a drag, and the drag source (see SpDragAndDrapObject.h).
#include "SpDragAndDrapObject.h"

#include <cstring>

#include "AppleEvents.h"
#include "Files.h"
#include "Folders.h"
#include "SpDragAndDropObject.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpDragAndDrapObject";
const char kMsgErrorOccured[] = "Error occured !! ";
const char kMsgBadOperation[] = "Bad operation !! ";

// The Trash at the root of the system volume, as the desktop names the place it drops on.
const unsigned char kTrashName[] = "\x05Trash";

}  // namespace

// ---- Flavours -------------------------------------------------------------------------------

cDragDataFlavor::cDragDataFlavor(DragRef drag, DragItemRef itemRef, FlavorType flavorType)
    : drag_(drag), itemRef_(itemRef), flavorType_(flavorType) {
  FlavorFlags flags = 0;
  if (GetFlavorFlags(drag, itemRef, flavorType, &flags) == noErr) flavorFlags_ = flags;
}

SInt32 cDragDataFlavor::GetDragDataSize() const {
  Size size = 0;
  return GetFlavorDataSize(drag_, itemRef_, flavorType_, &size) == noErr ? size : 0;
}

OSErr cDragDataFlavor::GetDragData(char* buffer, SInt32 bufferSize, SInt32* size,
                                   UInt32 offset) const {
  if (size == nullptr) {
    SpReportFailure(kSource, "cDragDataFlavor::GetDragData", 1, kSpMsgNullArgument);
    return paramErr;
  }
  *size = bufferSize;
  return GetFlavorData(drag_, itemRef_, flavorType_, buffer, size, offset);
}

cDragDataFlavor* cDragDataFlavor::GetTargetTypeFlavorItemFromList(UInt32 flavorType) {
  for (cDragDataFlavor* f = this; f != nullptr; f = f->GetNextObjectPtr()) {
    if (f->flavorType_ == flavorType) return f;
  }
  return nullptr;
}

// ---- Items ----------------------------------------------------------------------------------

cDragDataItem::~cDragDataItem() {
  SpDeleteList(flavorFirst_);
}

void cDragDataItem::AddFlavor(cDragDataFlavor* flavor) {
  if (flavor != nullptr) SpAppendToList(flavorFirst_, flavorLast_, flavor);
}

cDragDataFlavor* cDragDataItem::GetTargetTypeFlavorItem(UInt32 flavorType) const {
  return flavorFirst_ != nullptr ? flavorFirst_->GetTargetTypeFlavorItemFromList(flavorType)
                                 : nullptr;
}

OSErr cDragDataItem::GetDragItemBoundRect(Rect* bounds) const {
  if (bounds == nullptr) {
    SpReportFailure(kSource, "cDragDataItem::GetDragItemBoundRect", 1, kSpMsgNullArgument);
    return paramErr;
  }
  return GetDragItemBounds(drag_, itemRef_, bounds);
}

// ---- The drag source ------------------------------------------------------------------------

cSendDragDataObj::cSendDragDataObj(tSpDDO_SendDataProcPtr sendProc, unsigned long refCon) {
  dragError_ = NewDrag(&drag_);
  if (dragError_ != noErr) {
    drag_ = nullptr;
    SpReportFailure(kSource, "cSendDragDataObj::cSendDragDataObj", 1, kSpMsgMemory);
  }
  if (sendProc != nullptr) {
    sendUPP_ = NewDragSendDataUPP(SpDDO_DragUserSendDataProc);
    if (drag_ != nullptr) SetDragSendProc(drag_, sendUPP_, this);
    sendProc_ = sendProc;
    refCon_ = refCon;
  }
  cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(1);
  if (manager != nullptr) manager->SetupSendDragObjInMgrList(this);
}

cSendDragDataObj::~cSendDragDataObj() {
  if (drag_ != nullptr) DisposeDrag(drag_);
  if (sendUPP_ != nullptr) DisposeDragSendDataUPP(sendUPP_);
  cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(0);
  if (manager != nullptr) manager->RemoveSendDragObjInMgrList(this);
}

OSErr cSendDragDataObj::SetupDragItemFlavor(UInt32 itemRef, UInt32 flavorType, const void* data,
                                            SInt32 size, UInt32 flavorFlags,
                                            const Rect* bounds) {
  if (drag_ == nullptr) return dragError_;
  OSErr err = AddDragItemFlavor(drag_, itemRef, flavorType, data, size, flavorFlags);
  if (err == noErr && bounds != nullptr) err = SetDragItemBounds(drag_, itemRef, bounds);
  return err;
}

OSErr cSendDragDataObj::ModifyDragItemFlavorData(UInt32 itemRef, UInt32 flavorType,
                                                 const void* data, SInt32 size) {
  if (drag_ == nullptr) return dragError_;
  return SetDragItemFlavorData(drag_, itemRef, flavorType, data, size, 0);
}

OSErr cSendDragDataObj::SetDragItemBoundRect(UInt32 itemRef, const Rect& bounds) {
  if (drag_ == nullptr) return dragError_;
  return SetDragItemBounds(drag_, itemRef, &bounds);
}

OSErr cSendDragDataObj::GetDragItemBoundRect(UInt32 itemRef, Rect* bounds) {
  if (drag_ == nullptr) return dragError_;
  return GetDragItemBounds(drag_, itemRef, bounds);
}

OSErr cSendDragDataObj::DragUserReturnData(UInt32 itemRef, UInt32 flavorType, const char* data,
                                           SInt32 size, const Rect* bounds) {
  const OSErr err = ModifyDragItemFlavorData(itemRef, flavorType, data, size);
  if (bounds != nullptr) SetDragItemBoundRect(itemRef, *bounds);
  return err;
}

OSErr cSendDragDataObj::SetupTranslucentImage(PixMapHandle image, RgnHandle region,
                                              short offsetH, short offsetV, UInt32 flags) {
  const char* const method = "cSendDragDataObj::SetupTranslucentImage";
  if (image == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return paramErr;
  }
  image_ = image;
  imageRegion_ = region;
  imageOffset_ = Point{offsetV, offsetH};
  imageFlags_ = flags;
  const OSErr err =
      drag_ != nullptr ? SetDragImage(drag_, image, region, imageOffset_, flags) : dragError_;
  if (err != noErr) SpReportFailure(kSource, method, 2, kMsgErrorOccured);
  return err;
}

OSErr cSendDragDataObj::GoDrag(const EventRecord* event, RgnHandle dragRegion) {
  if (dragRegion == nullptr) {
    SpReportFailure(kSource, "cSendDragDataObj::GoDrag", 1, kSpMsgNullArgument);
    return paramErr;
  }
  if (drag_ == nullptr) return dragError_;
  return TrackDrag(drag_, event, dragRegion);
}

unsigned char cSendDragDataObj::CatchInApplicationDropInfo(SInt32* value1, SInt32* value2) const {
  if (value1 != nullptr) *value1 = dropInfoFlag_ != 0 ? location1_ : 0;
  if (value2 != nullptr) *value2 = dropInfoFlag_ != 0 ? location2_ : 0;
  return dropInfoFlag_;
}

void cSendDragDataObj::SetDropInfo(SInt32 value1, SInt32 value2) {
  dropInfoFlag_ = 1;
  location1_ = value1;
  location2_ = value2;
}

void cSendDragDataObj::ClearDropInfo() {
  dropInfoFlag_ = 0;
  location1_ = 0;
  location2_ = 0;
}

namespace {

// Whether the place is the Trash: the "Trash" folder at the root of the system volume (case
// and accents counting), or the volume's own Trash folder where this desktop keeps it.
bool IsTrash(const FSSpec& place, short systemVRefNum) {
  if (place.vRefNum == systemVRefNum && place.parID == 2 &&
      std::memcmp(place.name, kTrashName, sizeof kTrashName - 1) == 0) {
    return true;
  }
  FSRef placeRef, trashRef;
  return FSpMakeFSRef(&place, &placeRef) == noErr &&
         FSFindFolder(place.vRefNum, kTrashFolderType, kDontCreateFolder, &trashRef) == noErr &&
         FSCompareFSRefs(&placeRef, &trashRef) == noErr;
}

}  // namespace

OSErr cSendDragDataObj::CheckDropItemTransportedIntoTrash(unsigned char& inTrash) {
  inTrash = 0;
  if (drag_ == nullptr) return dragError_;
  AEDesc location = {typeNull, nullptr};
  OSErr err = GetDropLocation(drag_, &location);
  if (err != noErr) return err;
  if (location.descriptorType == typeNull) {
    AEDisposeDesc(&location);
    return noErr;
  }
  AEDesc coerced = {typeNull, nullptr};
  err = AECoerceDesc(&location, typeFSS, &coerced);
  if (err != noErr) {
    AEDisposeDesc(&location);
    return err;
  }
  short systemVRefNum = 0;
  SInt32 desktopDirID = 0;
  err = FindFolder(kOnSystemDisk, kDesktopFolderType, kDontCreateFolder, &systemVRefNum,
                   &desktopDirID);
  FSSpec place;
  std::memset(&place, 0, sizeof place);
  if (AEGetDescDataSize(&coerced) == Size(sizeof place)) {
    std::memcpy(&place, *coerced.dataHandle, sizeof place);
    inTrash = IsTrash(place, systemVRefNum) ? 1 : 0;
  }
  AEDisposeDesc(&coerced);
  AEDisposeDesc(&location);
  return err;
}

OSErr cSendDragDataObj::DragUserSendDataCall(DragRef drag, UInt32 itemRef, UInt32 flavorType) {
  if (sendProc_ == nullptr || drag == nullptr || drag != drag_) return paramErr;
  return sendProc_(itemRef, flavorType, refCon_);
}

// ---- The manager's list of sources ----------------------------------------------------------

void cDragAndDropManagerObj::SetupSendDragObjInMgrList(cSendDragDataObj* source) {
  for (cSendDragDataObj* s = sourceFirst_; s != nullptr; s = s->GetNextDrgMgrListObjectPtr()) {
    if (s == source) {
      SpReportFailure(kSource, "cDragAndDropManagerObj::SetupSendDragObjInMgrList", 1,
                      kMsgBadOperation);
      return;
    }
  }
  SpAppendToList(sourceFirst_, sourceLast_, source);
}

void cDragAndDropManagerObj::RemoveSendDragObjInMgrList(cSendDragDataObj* source) {
  for (cSendDragDataObj* s = sourceFirst_; s != nullptr; s = s->GetNextDrgMgrListObjectPtr()) {
    if (s != source) continue;
    if (sourceFirst_ == s) sourceFirst_ = s->GetNextDrgMgrListObjectPtr();
    if (sourceLast_ == s) sourceLast_ = s->GetBeforeDrgMgrListObjectPtr();
    s->UnlinkSelf();
    return;
  }
  SpReportFailure(kSource, "cDragAndDropManagerObj::RemoveSendDragObjInMgrList", 1,
                  kMsgBadOperation);
}

cSendDragDataObj* cDragAndDropManagerObj::SourceOf(DragRef drag) const {
  // A source whose drag could not be made has none, and no drag is its.
  if (drag == nullptr) return nullptr;
  for (cSendDragDataObj* s = sourceFirst_; s != nullptr; s = s->GetNextDrgMgrListObjectPtr()) {
    if (s->GetDragRefNum() == drag) return s;
  }
  return nullptr;
}

void cDragAndDropManagerObj::SetupCatchDropItemInfo(DragRef drag, SInt32 value1, SInt32 value2) {
  if (cSendDragDataObj* s = SourceOf(drag)) s->SetDropInfo(value1, value2);
}

void cDragAndDropManagerObj::SetupCatchDropItemExecCopyFlag(DragRef drag, unsigned char flag) {
  if (cSendDragDataObj* s = SourceOf(drag)) s->SetDropExecCopyFlag(flag);
}

void cDragAndDropManagerObj::InitializeCatchDropItemInfo(DragRef drag) {
  if (cSendDragDataObj* s = SourceOf(drag)) s->ClearDropInfo();
}

// ---- Plain functions ------------------------------------------------------------------------

OSErr SpDDO_DragUserSendDataProc(FlavorType flavorType, void* refCon, DragItemRef itemRef,
                                 DragRef drag) {
  if (refCon == nullptr) return paramErr;
  return static_cast<cSendDragDataObj*>(refCon)->DragUserSendDataCall(drag, itemRef, flavorType);
}

void SpDDO_SetupCatchDropItemInfo(DragRef drag, SInt32 value1, SInt32 value2) {
  if (cDragAndDropManagerObj* m = SpDDO_GetDragADropMgr(0)) {
    m->SetupCatchDropItemInfo(drag, value1, value2);
  }
}

void SpDDO_SetupExecCopyFlag(DragRef drag, unsigned char flag) {
  if (cDragAndDropManagerObj* m = SpDDO_GetDragADropMgr(0)) {
    m->SetupCatchDropItemExecCopyFlag(drag, flag);
  }
}

void SpDDO_InitializeCatchDropItemInfo(DragRef drag) {
  if (cDragAndDropManagerObj* m = SpDDO_GetDragADropMgr(0)) m->InitializeCatchDropItemInfo(drag);
}
