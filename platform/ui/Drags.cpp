// Drags, their items and flavours (see Drag.h).
#include <algorithm>
#include <cstring>
#include <new>

#include "MacMemory.h"
#include "detail/DragRecord.h"
#include "ui/internal/Drags.h"

namespace sp_platform {
namespace drags {
namespace {

std::vector<OpaqueDragRef*>& LiveDrags() {
  static std::vector<OpaqueDragRef*>* drags = new std::vector<OpaqueDragRef*>;  // to the end
  return *drags;
}

DragItemRecord* FindItem(OpaqueDragRef* drag, DragItemRef ref) {
  for (DragItemRecord& item : drag->items) {
    if (item.ref == ref) return &item;
  }
  return nullptr;
}

DragFlavorRecord* FindFlavor(DragItemRecord* item, FlavorType type) {
  if (item == nullptr) return nullptr;
  for (DragFlavorRecord& flavor : item->flavors) {
    if (flavor.type == type) return &flavor;
  }
  return nullptr;
}

// The flavour of the item, or why there is none.
OSErr Locate(DragRef theDrag, DragItemRef ref, FlavorType type, OpaqueDragRef** drag,
             DragFlavorRecord** flavor) {
  *drag = LiveDrag(theDrag);
  if (*drag == nullptr) return badDragRefErr;
  DragItemRecord* item = FindItem(*drag, ref);
  if (item == nullptr) return badDragItemErr;
  *flavor = FindFlavor(item, type);
  return *flavor == nullptr ? OSErr(badDragFlavorErr) : OSErr(noErr);
}

// The flavour with its data: a promise is asked of the send-data procedure first (once at a
// time: a procedure that asks for its own promise gets cantGetFlavorErr).
OSErr Kept(DragRef theDrag, DragItemRef ref, FlavorType type, DragFlavorRecord** flavor) {
  OpaqueDragRef* drag = nullptr;
  OSErr err = Locate(theDrag, ref, type, &drag, flavor);
  if (err != noErr || !(*flavor)->promised) return err;
  if (drag->sendProc == nullptr || drag->sending) return cantGetFlavorErr;
  drag->sending = true;
  const OSErr sent = drag->sendProc(type, drag->sendRefCon, ref, theDrag);
  drag->sending = false;
  // The procedure may have added flavours: look again.
  err = Locate(theDrag, ref, type, &drag, flavor);
  if (err != noErr) return err;
  if (sent != noErr) return sent;
  return (*flavor)->promised ? OSErr(cantGetFlavorErr) : OSErr(noErr);
}

}  // namespace

OpaqueDragRef* LiveDrag(DragRef drag) {
  if (drag == nullptr) return nullptr;
  const auto& live = LiveDrags();
  return std::find(live.begin(), live.end(), drag) != live.end() ? drag : nullptr;
}

std::vector<DragRef> AllDrags() {
  return LiveDrags();
}

}  // namespace drags
}  // namespace sp_platform

using sp_platform::drags::LiveDrag;

OSErr NewDrag(DragRef* theDrag) {
  if (theDrag == nullptr) return paramErr;
  *theDrag = nullptr;
  // The record comes from the Memory Manager, so a drag that cannot be made can be tested.
  void* block = NewPtrClear(sizeof(OpaqueDragRef));
  if (block == nullptr) return memFullErr;
  OpaqueDragRef* drag = new (block) OpaqueDragRef;
  sp_platform::drags::LiveDrags().push_back(drag);
  *theDrag = drag;
  return noErr;
}

OSErr DisposeDrag(DragRef theDrag) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (drag->tracking) return paramErr;
  sp_platform::drags::HideHilite(drag);
  auto& live = sp_platform::drags::LiveDrags();
  live.erase(std::find(live.begin(), live.end(), drag));
  drag->~OpaqueDragRef();
  DisposePtr(reinterpret_cast<Ptr>(drag));
  return noErr;
}

OSErr AddDragItemFlavor(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                        const void* dataPtr, Size dataSize, FlavorFlags theFlags) {
  using namespace sp_platform::drags;
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (dataSize < 0 || (dataPtr == nullptr && dataSize > 0)) return paramErr;
  DragItemRecord* item = FindItem(drag, theItemRef);
  if (FindFlavor(item, theType) != nullptr) return duplicateFlavorErr;
  if (item == nullptr) {
    drag->items.emplace_back();
    item = &drag->items.back();
    item->ref = theItemRef;
  }
  DragFlavorRecord flavor;
  flavor.type = theType;
  flavor.promised = dataPtr == nullptr;
  flavor.flags = theFlags | (flavor.promised ? FlavorFlags(flavorDataPromised) : 0);
  if (dataPtr != nullptr) {
    const UInt8* bytes = static_cast<const UInt8*>(dataPtr);
    flavor.bytes.assign(bytes, bytes + dataSize);
  }
  item->flavors.push_back(std::move(flavor));
  return noErr;
}

OSErr SetDragItemFlavorData(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                            const void* dataPtr, Size dataSize, UInt32 dataOffset) {
  OpaqueDragRef* drag = nullptr;
  DragFlavorRecord* flavor = nullptr;
  OSErr err = sp_platform::drags::Locate(theDrag, theItemRef, theType, &drag, &flavor);
  if (err != noErr) return err;
  if (dataSize < 0 || (dataPtr == nullptr && dataSize > 0)) return paramErr;
  // A flavour is held in memory: an offset or size past 2 GB is no real request.
  const UInt64 end = UInt64(dataOffset) + UInt64(dataSize);
  if (end > UInt64(0x7FFFFFFF)) return paramErr;
  if (flavor->bytes.size() < end) flavor->bytes.resize(std::size_t(end), 0);
  if (dataSize > 0) std::memcpy(flavor->bytes.data() + dataOffset, dataPtr, std::size_t(dataSize));
  flavor->promised = false;
  flavor->flags &= ~FlavorFlags(flavorDataPromised);
  return noErr;
}

OSErr SetDragSendProc(DragRef theDrag, DragSendDataUPP sendProc, void* dragSendRefCon) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  drag->sendProc = sendProc;
  drag->sendRefCon = dragSendRefCon;
  return noErr;
}

OSErr SetDragItemBounds(DragRef theDrag, DragItemRef theItemRef, const Rect* itemBounds) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (itemBounds == nullptr) return paramErr;
  DragItemRecord* item = sp_platform::drags::FindItem(drag, theItemRef);
  if (item == nullptr) return badDragItemErr;
  item->bounds = *itemBounds;
  return noErr;
}

OSErr GetDragItemBounds(DragRef theDrag, DragItemRef theItemRef, Rect* itemBounds) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (itemBounds == nullptr) return paramErr;
  DragItemRecord* item = sp_platform::drags::FindItem(drag, theItemRef);
  if (item == nullptr) return badDragItemErr;
  *itemBounds = item->bounds;
  return noErr;
}

OSErr SetDragImage(DragRef theDrag, PixMapHandle imagePixMap, RgnHandle imageRgn,
                   Point imageOffsetPt, DragImageFlags theImageFlags) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (imagePixMap == nullptr) return paramErr;
  drag->image = imagePixMap;
  drag->imageRgn = imageRgn;
  drag->imageOffset = imageOffsetPt;
  drag->imageFlags = theImageFlags;
  return noErr;
}

OSErr GetDragAttributes(DragRef theDrag, DragAttributes* flags) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (flags == nullptr) return paramErr;
  *flags = drag->attributes;
  return noErr;
}

OSErr CountDragItems(DragRef theDrag, UInt16* numItems) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (numItems == nullptr) return paramErr;
  *numItems = UInt16(std::min<std::size_t>(drag->items.size(), 0xFFFF));
  return noErr;
}

OSErr GetDragItemReferenceNumber(DragRef theDrag, UInt16 index, DragItemRef* theItemRef) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (theItemRef == nullptr) return paramErr;
  if (index < 1 || index > drag->items.size()) return badDragItemErr;
  *theItemRef = drag->items[index - 1u].ref;
  return noErr;
}

OSErr CountDragItemFlavors(DragRef theDrag, DragItemRef theItemRef, UInt16* numFlavors) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (numFlavors == nullptr) return paramErr;
  DragItemRecord* item = sp_platform::drags::FindItem(drag, theItemRef);
  if (item == nullptr) return badDragItemErr;
  *numFlavors = UInt16(std::min<std::size_t>(item->flavors.size(), 0xFFFF));
  return noErr;
}

OSErr GetFlavorType(DragRef theDrag, DragItemRef theItemRef, UInt16 index, FlavorType* theType) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (theType == nullptr) return paramErr;
  DragItemRecord* item = sp_platform::drags::FindItem(drag, theItemRef);
  if (item == nullptr) return badDragItemErr;
  if (index < 1 || index > item->flavors.size()) return badDragFlavorErr;
  *theType = item->flavors[index - 1u].type;
  return noErr;
}

OSErr GetFlavorFlags(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                     FlavorFlags* theFlags) {
  if (theFlags == nullptr) return paramErr;
  OpaqueDragRef* drag = nullptr;
  DragFlavorRecord* flavor = nullptr;
  OSErr err = sp_platform::drags::Locate(theDrag, theItemRef, theType, &drag, &flavor);
  if (err == noErr) *theFlags = flavor->flags;
  return err;
}

OSErr GetFlavorDataSize(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                        Size* dataSize) {
  if (dataSize == nullptr) return paramErr;
  DragFlavorRecord* flavor = nullptr;
  OSErr err = sp_platform::drags::Kept(theDrag, theItemRef, theType, &flavor);
  if (err == noErr) *dataSize = Size(flavor->bytes.size());
  return err;
}

OSErr GetFlavorData(DragRef theDrag, DragItemRef theItemRef, FlavorType theType, void* dataPtr,
                    Size* dataSize, UInt32 dataOffset) {
  if (dataSize == nullptr || *dataSize < 0 || (dataPtr == nullptr && *dataSize > 0)) {
    return paramErr;
  }
  DragFlavorRecord* flavor = nullptr;
  OSErr err = sp_platform::drags::Kept(theDrag, theItemRef, theType, &flavor);
  if (err != noErr) return err;
  const std::size_t have = flavor->bytes.size();
  const std::size_t from = std::min<std::size_t>(dataOffset, have);
  const std::size_t n = std::min<std::size_t>(have - from, std::size_t(*dataSize));
  if (n > 0) std::memcpy(dataPtr, flavor->bytes.data() + from, n);
  *dataSize = Size(n);
  return noErr;
}

OSErr GetDragMouse(DragRef theDrag, Point* mouse, Point* globalPinnedMouse) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (mouse != nullptr) *mouse = drag->mouse;
  if (globalPinnedMouse != nullptr) *globalPinnedMouse = drag->mouse;
  return noErr;
}

OSErr GetDropLocation(DragRef theDrag, AEDesc* dropLocation) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (dropLocation == nullptr) return paramErr;
  return AECreateDesc(drag->dropType, drag->dropData.data(), Size(drag->dropData.size()),
                      dropLocation);
}

OSErr GetDragDropAction(DragRef theDrag, DragActions* outAction) {
  OpaqueDragRef* drag = LiveDrag(theDrag);
  if (drag == nullptr) return badDragRefErr;
  if (outAction == nullptr) return paramErr;
  *outAction = drag->dropAction;
  return noErr;
}
