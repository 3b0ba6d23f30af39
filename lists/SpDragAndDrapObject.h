// The data of a drag as the drop targets see it (its items, each with its flavours), and the
// drag source, which wraps one drag the program starts.
#pragma once

#include "Drag.h"
#include "Events.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// ---- Items and flavours ---------------------------------------------------------------------

// One flavour of a drag's item. Its data is read from the Drag Manager only when asked for.
class cDragDataFlavor : public cSpListLinks<cDragDataFlavor>, public cSpMacHeapObject {
 public:
  // Reads the flavour's flags at once (0 when that fails).
  cDragDataFlavor(DragRef drag, DragItemRef itemRef, FlavorType flavorType);

  void GetDragDataFlavorType(UInt32& flavorType) const { flavorType = flavorType_; }
  void GetDragDataFlavorFlags(UInt32& flavorFlags) const { flavorFlags = flavorFlags_; }
  // The data's size; 0 when the Drag Manager cannot give it.
  SInt32 GetDragDataSize() const;
  // Reads at most bufferSize bytes from the offset; *size then holds the bytes read. The Drag
  // Manager's result (paramErr for a null size).
  OSErr GetDragData(char* buffer, SInt32 bufferSize, SInt32* size, UInt32 offset) const;
  // The first flavour from this one onward of the type, or null.
  cDragDataFlavor* GetTargetTypeFlavorItemFromList(UInt32 flavorType);

 private:
  DragRef drag_;
  DragItemRef itemRef_;
  FlavorType flavorType_;
  FlavorFlags flavorFlags_ = 0;
};

// One item of a drag, owning its flavours in the Drag Manager's order.
class cDragDataItem : public cSpListLinks<cDragDataItem>, public cSpMacHeapObject {
 public:
  cDragDataItem(DragRef drag, DragItemRef itemRef) : drag_(drag), itemRef_(itemRef) {}
  ~cDragDataItem();
  cDragDataItem(const cDragDataItem&) = delete;
  cDragDataItem& operator=(const cDragDataItem&) = delete;

  DragRef GetDragReference() const { return drag_; }
  void AddFlavor(cDragDataFlavor* flavor);
  cDragDataFlavor* GetFlavorItemListHeader() const { return flavorFirst_; }
  // The item's first flavour of the type, or null.
  cDragDataFlavor* GetTargetTypeFlavorItem(UInt32 flavorType) const;
  // The item's bounds (global); paramErr, reported, for a null rectangle.
  OSErr GetDragItemBoundRect(Rect* bounds) const;

 private:
  DragRef drag_;
  DragItemRef itemRef_;
  cDragDataFlavor* flavorFirst_ = nullptr;
  cDragDataFlavor* flavorLast_ = nullptr;
};

// ---- The drag source ------------------------------------------------------------------------

// Supplies a promised flavour (through DragUserReturnData): (item reference, flavour type,
// reference value); noErr when it did.
typedef OSErr (*tSpDDO_SendDataProcPtr)(UInt32 itemRef, UInt32 flavorType, unsigned long refCon);

// One drag the program starts: made with its drag, given items and flavours, run with
// GoDrag, then read (did a drop target of this program take it, with which location values,
// as a copy? did it go to the Trash?) and destroyed. Listed with the drag-and-drop manager
// while it lives, so that the target that takes its drop can report back.
class cSendDragDataObj : public cSpListLinks<cSendDragDataObj>, public cSpMacHeapObject {
 public:
  // Makes the drag; a drag that cannot be made is kept as the error every later call answers.
  cSendDragDataObj(tSpDDO_SendDataProcPtr sendProc, unsigned long refCon);
  ~cSendDragDataObj();
  cSendDragDataObj(const cSendDragDataObj&) = delete;
  cSendDragDataObj& operator=(const cSendDragDataObj&) = delete;

  DragRef GetDragRefNum() const { return drag_; }

  // Adds the flavour (data null with size 0 promises it), then the item's bounds when given.
  OSErr SetupDragItemFlavor(UInt32 itemRef, UInt32 flavorType, const void* data, SInt32 size,
                            UInt32 flavorFlags, const Rect* bounds);
  OSErr ModifyDragItemFlavorData(UInt32 itemRef, UInt32 flavorType, const void* data,
                                 SInt32 size);
  OSErr SetDragItemBoundRect(UInt32 itemRef, const Rect& bounds);
  OSErr GetDragItemBoundRect(UInt32 itemRef, Rect* bounds);
  // For the send-data procedure: the promised data, then the bounds when given.
  OSErr DragUserReturnData(UInt32 itemRef, UInt32 flavorType, const char* data, SInt32 size,
                           const Rect* bounds);
  OSErr SetupTranslucentImage(PixMapHandle image, RgnHandle region, short offsetH, short offsetV,
                              UInt32 flags);
  // Runs the drag from the event with the outline region (TrackDrag's result).
  OSErr GoDrag(const EventRecord* event, RgnHandle dragRegion);

  // Whether a target of this program took the drop; its location values (0 and 0 otherwise)
  // through the pointers that are given.
  unsigned char CatchInApplicationDropInfo(SInt32* value1, SInt32* value2) const;
  unsigned char GetDropExecCopyFlag() const { return copyFlag_; }
  void SetDropInfo(SInt32 value1, SInt32 value2);
  void ClearDropInfo();
  void SetDropExecCopyFlag(unsigned char flag) { copyFlag_ = flag; }
  // Whether the drop landed in the Trash; the result of the look-ups.
  OSErr CheckDropItemTransportedIntoTrash(unsigned char& inTrash);
  // A promised flavour of this source's drag asked for.
  OSErr DragUserSendDataCall(DragRef drag, UInt32 itemRef, UInt32 flavorType);

  // The manager's list of live sources.
  void LinkToDrgMgrListNext(cSendDragDataObj* chain) { LinkToNext(chain); }
  cSendDragDataObj* UnlinkDrgMgrListNext() { return UnlinkNext(); }
  cSendDragDataObj* GetBeforeDrgMgrListObjectPtr() const { return GetBeforeObjectPtr(); }
  cSendDragDataObj* GetNextDrgMgrListObjectPtr() const { return GetNextObjectPtr(); }
  cSendDragDataObj* GetLastDrgMgrListObjectPtr() { return GetLastObjectPtr(); }

 private:
  friend class cDragAndDropManagerObj;

  DragRef drag_ = nullptr;
  OSErr dragError_ = noErr;  // NewDrag's failure, answered by every drag call
  tSpDDO_SendDataProcPtr sendProc_ = nullptr;
  unsigned long refCon_ = 0;
  DragSendDataUPP sendUPP_ = nullptr;
  PixMapHandle image_ = nullptr;
  RgnHandle imageRegion_ = nullptr;
  Point imageOffset_{0, 0};
  UInt32 imageFlags_ = 0;
  unsigned char dropInfoFlag_ = 0;
  unsigned char copyFlag_ = 0;
  SInt32 location1_ = 0;
  SInt32 location2_ = 0;
};

// The Drag Manager's send-data procedure for every source (refCon: the source).
OSErr SpDDO_DragUserSendDataProc(FlavorType flavorType, void* refCon, DragItemRef itemRef,
                                 DragRef drag);
// The drop information of the source of the drag, when the drag is this program's and a
// manager exists (none is made).
void SpDDO_SetupCatchDropItemInfo(DragRef drag, SInt32 value1, SInt32 value2);
void SpDDO_SetupExecCopyFlag(DragRef drag, unsigned char flag);
void SpDDO_InitializeCatchDropItemInfo(DragRef drag);
