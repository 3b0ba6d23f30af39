// Drag and drop: drop targets on windows, the drag-and-drop manager that connects them to
// the Drag Manager, and its start-up.
//
// A drop target is a rectangle of a window that takes drags of the flavours it names (or that
// its check procedure accepts), tells its client procedures when a drag enters it, moves in
// it, leaves it and is dropped on it, and may have the window or its rectangle hilited. The
// manager keeps each window's targets twice: in a flat list, and in a layer tree in which the
// last item of a list is the top layer and a target's children lie over it. While a drag
// moves over a window the top-most target under the mouse that takes the drag is the current
// one; a drop goes to it.
#pragma once

#include "Drag.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpDragAndDrapObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cDragAndDropWindowObj;
namespace sp_ddo_detail {
struct Fields;
}

enum tDDO_HiliteAreaType : unsigned char {
  kDDO_HiliteWindowArea = 1,  // the window's whole port
  kDDO_HiliteTargetArea = 2,  // the target's rectangle
};

// Client procedures of a target: (drag, mouse in the window's local coordinates, reference
// value); the drop procedure gets (local mouse, reference value, the drag's first item, the
// drag's attributes) and answers 0 when it took the drop; the flavour check answers non-zero
// for a flavour the target takes.
typedef void (*tSpDDO_DragCursorProcPtr)(DragRef drag, Point localPoint, unsigned long refCon);
typedef short (*tSpDDO_CatchDropItemsProcPtr)(Point localPoint, unsigned long refCon,
                                              cDragDataItem* items, UInt32* dragAttributes);
typedef unsigned char (*tSpDDO_CheckFlavorTypeProcPtr)(UInt32 flavorType, cDragDataFlavor* flavor,
                                                       unsigned long refCon);

// One accepted flavour type of a target.
class cEnableFlavorTypeItem : public cSpListLinks<cEnableFlavorTypeItem>,
                              public cSpMacHeapObject {
 public:
  explicit cEnableFlavorTypeItem(UInt32 flavorType) : flavorType_(flavorType) {}
  void StartUpInitialize();
  UInt32 GetFlavorType() const { return flavorType_; }
  // The first item from this one onward of the type, or null.
  cEnableFlavorTypeItem* GetFlavorTypeObject(UInt32 flavorType);

 private:
  UInt32 flavorType_ = 0;
};

class cDropCatchObject;

// Links of one of a target's two lists.
struct sDDO_Links {
  cDropCatchObject* before = nullptr;
  cDropCatchObject* next = nullptr;
};

class cDropCatchObject : public cSpMacHeapObject {
 public:
  // Registers the target with the manager (made when missing): last in its window's flat
  // list and on top of its window's top-level layers. The media window passes location
  // values 1 and 1, the edit-text object 0 and 0.
  cDropCatchObject(WindowRef window, const Rect& area, SInt32 locationValue1,
                   SInt32 locationValue2);
  virtual ~cDropCatchObject();
  cDropCatchObject(const cDropCatchObject&) = delete;
  cDropCatchObject& operator=(const cDropCatchObject&) = delete;

  // Whether the target takes drags at this point (window-local); subclasses narrow the area.
  virtual unsigned char CheckDragEnableOnTargetPoint(Point localPoint);
  // Whether the target takes what a drag of a flavour it takes carries (a field that takes
  // only some text looks at it), so that it refuses the drag before the drop; 1 here.
  virtual unsigned char CheckDragItemsContents(cDragDataItem*) { return 1; }

  // Takes the target out of the manager, its children taking its place, and forgets its
  // procedures; runs once (the destructor runs it when nobody did).
  void ExecDropCatchObjDeleteReady();

  // ---- Flavours ----
  void SetupEnableFlavorType(UInt32 flavorType);
  unsigned char IsEnableFlavorType(UInt32 flavorType) const;
  void SetupCheckEnableFlavorTypeProc(tSpDDO_CheckFlavorTypeProcPtr proc, unsigned long refCon);
  unsigned char IsEnableFlavorTypeByPrcedureChecker(UInt32 flavorType, cDragDataFlavor* flavor);

  // ---- Area and hilite (window-local) ----
  void SetupDropTargetArea(const Rect& area) { area_ = area; }
  void GetDropTargetArea(Rect& area) const { area = area_; }
  unsigned char PtInTargetArea(Point localPoint) const;
  // The target area, hilited itself from now on.
  void SetHiliteArea(const Rect& area);
  void GetHiliteArea(Rect& area) const { area = area_; }
  void SetHiliteType(tDDO_HiliteAreaType type) { hiliteType_ = type; }
  tDDO_HiliteAreaType GetHiliteType() const { return hiliteType_; }
  void SetupWindowHiliteFlag(unsigned char flag) { windowHilite_ = flag; }
  unsigned char GetWindowHiliteFlag() const { return windowHilite_; }
  void SetupTransparentDiableDragItemFlag(unsigned char flag) { transparent_ = flag; }
  unsigned char GetTransparentDiableDragItemFlag() const { return transparent_; }
  void EnableCatchDragItem() { takeDrags_ = 1; }
  void DisableCatchDragItem() { takeDrags_ = 0; }
  unsigned char IsEnableCacheDragItem() const { return takeDrags_; }

  // ---- Client procedures ----
  void SetupDragCursorInProc(tSpDDO_DragCursorProcPtr proc, unsigned long refCon);
  void SetupDragCursorMoveProc(tSpDDO_DragCursorProcPtr proc, unsigned long refCon);
  void SetupDragCursorOutProc(tSpDDO_DragCursorProcPtr proc, unsigned long refCon);
  void SetupCatchDropItemsProc(tSpDDO_CatchDropItemsProcPtr proc, unsigned long refCon);
  void DragCursorIn(DragRef drag, Point localPoint);
  void MoveDragCursor(DragRef drag, Point localPoint);
  void DragCursorOut(DragRef drag, Point localPoint);
  // The drop: the drop procedure's answer (dragNotAcceptedErr without one); a drop taken is
  // reported to the drag's source when the drag is this program's.
  short CatchDropItem(Point localPoint, cDragDataItem* items, UInt32* dragAttributes);
  // For the drop procedure: the drop is a copy; other location values for this drop.
  void SetupExecuCopyFlag() { copyFlag_ = 1; }
  void SetupDropLocationIdOnProc(SInt32 value1, SInt32 value2);

  // ---- Layers ----
  // Puts the child on top of this target's children (out of any list it was in first).
  void SetupDropCatchContainerItemOnTopLayer(cDropCatchObject* child);
  void UnSetupDropCatchContainerItem(cDropCatchObject* child);
  // This target's children, in order, into its own list right after it.
  void MoveDropCatchContainerItemToNextLayerPosition();
  // On top of the new container's children; out of its present list first.
  void MoveIntoTargetDropCatchContainerItem(cDropCatchObject* newContainer, unsigned char detach);
  void MoveToTopDropCatchLayer();
  // Position 1 is the bottom; past the end is the top.
  void MoveToTargetDropCatchLayerPosit(SInt32 position);
  SInt32 GetDropCatchContainerItemLayerPosit() const;
  SInt32 GetDropCatchContainerItemLayerMaxPosit() const;

  cDropCatchObject* GetDropCatchContainerPtr() const { return container_; }
  cDropCatchObject* GetDropCatchContainerItemListHead() const { return childFirst_; }
  cDropCatchObject* GetDropCatchContainerItemListLast() const { return childLast_; }
  WindowRef GetDropCatchObjectTargetWindowPtr() const { return window_; }
  cDropCatchObject* GetDropCatchObjectPtr() { return this; }

  // The window's flat list.
  void LinkToNextDropCatchObj(cDropCatchObject* chain);
  cDropCatchObject* UnlinkNextDropCatchObj();
  cDropCatchObject* GetBeforeDropCatchObjPtr() const { return flat_.before; }
  cDropCatchObject* GetNextDropCatchObjPtr() const { return flat_.next; }
  cDropCatchObject* GetLastDropCatchObjPtr();
  // A layer list; the inserted chain takes this target's container.
  void LinkToNextDropCatchObjContainerItem(cDropCatchObject* chain);
  cDropCatchObject* UnlinkNextDropCatchContainerItemObj();
  cDropCatchObject* GetBeforeDropCatchContainerItemObjPtr() const { return layer_.before; }
  cDropCatchObject* GetNextDropCatchContainerItemObjPtr() const { return layer_.next; }
  cDropCatchObject* GetLastDropCatchContainerItemObjPtr();

 private:
  friend class cDragAndDropWindowObj;
  friend struct sp_ddo_detail::Fields;

  // The list that holds this target: its container's children or its window's top level;
  // false when it lies in none.
  bool HoldingList(cDropCatchObject**& first, cDropCatchObject**& last) const;
  // Takes it out of that list.
  void DetachFromLayers();

  WindowRef window_;
  Rect area_;
  unsigned char takeDrags_ = 1;
  unsigned char transparent_ = 0;
  tDDO_HiliteAreaType hiliteType_ = kDDO_HiliteWindowArea;
  unsigned char windowHilite_ = 0;
  cEnableFlavorTypeItem* flavorFirst_ = nullptr;
  cEnableFlavorTypeItem* flavorLast_ = nullptr;
  unsigned char copyFlag_ = 0;
  SInt32 location1_;
  SInt32 location2_;
  unsigned char perDropLocation_ = 0;
  SInt32 perDrop1_ = 0;
  SInt32 perDrop2_ = 0;
  tSpDDO_DragCursorProcPtr inProc_ = nullptr;
  tSpDDO_DragCursorProcPtr moveProc_ = nullptr;
  tSpDDO_DragCursorProcPtr outProc_ = nullptr;
  tSpDDO_CatchDropItemsProcPtr dropProc_ = nullptr;
  unsigned long inRefCon_ = 0;
  unsigned long moveRefCon_ = 0;
  unsigned long outRefCon_ = 0;
  unsigned long dropRefCon_ = 0;
  tSpDDO_CheckFlavorTypeProcPtr checkProc_ = nullptr;
  unsigned long checkRefCon_ = 0;
  sDDO_Links flat_;
  cDropCatchObject* container_ = nullptr;
  cDropCatchObject* childFirst_ = nullptr;
  cDropCatchObject* childLast_ = nullptr;
  sDDO_Links layer_;
  unsigned char deleted_ = 0;
};

// ---- The manager ----------------------------------------------------------------------------

// A window's share of the manager: its targets and the state of the drag over it.
class cDragAndDropWindowObj : public cSpListLinks<cDragAndDropWindowObj>, public cSpMacHeapObject {
 public:
  explicit cDragAndDropWindowObj(WindowRef window) : window_(window) {}

  WindowRef GetWindow() const { return window_; }
  void SetupDropCatchItem(cDropCatchObject* target);
  void UnlinkDropCatchItem(cDropCatchObject* target);
  void SetupDropCatchContainerItemOnTopLayer(cDropCatchObject* target);
  void UnSetupDropCatchContainerItem(cDropCatchObject* target, unsigned char promoteChildren);
  void MoveDropCatchContainerToTopLayer(cDropCatchObject* target);
  void MoveDropCatchContainerToTargetLayerPosit(cDropCatchObject* target, SInt32 position);
  // The first entry from this one onward of the window, or null.
  cDragAndDropWindowObj* GetWindowPtrObject(WindowRef window);

  cDropCatchObject* GetDropCatchListHead() const { return flatFirst_; }
  cDropCatchObject* GetTopLayerListHead() const { return topFirst_; }
  cDropCatchObject* GetTopLayerListLast() const { return topLast_; }
  cDropCatchObject* GetCurrentTarget() const { return current_; }
  unsigned char IsInactive() const { return inactive_; }

  // The drag over the window (global mouse).
  void CursorIntoWindow(DragRef drag, Point global, cDragDataItem* items, UInt32* attributes);
  void CursorMoveOnWindow(DragRef drag, Point global, cDragDataItem* items, UInt32* attributes);
  void CursorOutFromWindow(DragRef drag);
  void DragMouseTrace(DragRef drag, Point global, unsigned char leaving, cDragDataItem* items,
                      UInt32* attributes);
  short DropIntoWindow(DragRef drag, Point global, cDragDataItem* items, UInt32* attributes);
  // Whether the target under the point (without the targets' own point check) takes the drag.
  unsigned char CheckDragItems(DragRef drag, Point global, cDragDataItem* items);
  unsigned char CheckDragItemsOnCatchObject(cDropCatchObject* target, cDragDataItem* items);

  void WindowHiliteOn(DragRef drag);
  void AreaHiliteOn(DragRef drag, const Rect& area, unsigned char inside);
  void WindowHiliteAreaTurnOn(DragRef drag, RgnHandle region, unsigned char inside);
  void WindowHiliteOff(DragRef drag);

 private:
  friend class cDropCatchObject;
  friend class cDragAndDropManagerObj;

  Point ToLocal(Point global) const;
  // The top-most target under the local point that is chosen for the drag.
  cDropCatchObject* HitTarget(Point local, cDragDataItem* items, bool askTarget);
  bool Chosen(cDropCatchObject* target, Point local, cDragDataItem* items, bool askTarget);

  WindowRef window_;
  cDropCatchObject* flatFirst_ = nullptr;
  cDropCatchObject* flatLast_ = nullptr;
  cDropCatchObject* topFirst_ = nullptr;
  cDropCatchObject* topLast_ = nullptr;
  cDropCatchObject* current_ = nullptr;
  unsigned char inactive_ = 1;
  unsigned char hiliteShown_ = 0;
};

class cDragAndDropManagerObj : public cSpMacHeapObject {
 public:
  cDragAndDropManagerObj() = default;
  ~cDragAndDropManagerObj();
  cDragAndDropManagerObj(const cDragAndDropManagerObj&) = delete;
  cDragAndDropManagerObj& operator=(const cDragAndDropManagerObj&) = delete;

  cDragAndDropWindowObj* GetTargetDragDropWinObj(WindowRef window) const;
  void SetupDropCatchItem(WindowRef window, cDropCatchObject* target);
  void UnlinkDropCatchItem(cDropCatchObject* target);
  void SetupDropCatchContainerItemOnTopLayer(WindowRef window, cDropCatchObject* target);
  void UnSetupDropCatchContainerItem(cDropCatchObject* target, unsigned char promoteChildren);

  void DragTrackingAnalizer(short message, WindowRef window, DragRef drag);
  short DropReceve(WindowRef window, DragRef drag);
  void AnalyzeDragData(DragRef drag);
  void DisposeAnalyzeItemList();
  void AddAnalyzeItem(cDragDataItem* item);
  cDragDataItem* GetAnalyzeItemListHead() const { return itemFirst_; }
  cDragAndDropWindowObj* GetCurrentWindow() const { return currentWindow_; }

  void SetupDragStartGlobalPosition(Point global) { dragStart_ = global; }
  void GetDragStartGlobalPosition(Point& global) const { global = dragStart_; }

  // The program's live drag sources.
  void SetupSendDragObjInMgrList(cSendDragDataObj* source);
  void RemoveSendDragObjInMgrList(cSendDragDataObj* source);
  void SetupCatchDropItemInfo(DragRef drag, SInt32 value1, SInt32 value2);
  void SetupCatchDropItemExecCopyFlag(DragRef drag, unsigned char flag);
  void InitializeCatchDropItemInfo(DragRef drag);

 private:
  cDragAndDropWindowObj* TargetEntry(cDropCatchObject* target, const char* method) const;
  cSendDragDataObj* SourceOf(DragRef drag) const;

  cDragAndDropWindowObj* windows_ = nullptr;
  cSendDragDataObj* sourceFirst_ = nullptr;
  cSendDragDataObj* sourceLast_ = nullptr;
  cDragAndDropWindowObj* currentWindow_ = nullptr;
  UInt32 attributes_ = 0;
  cDragDataItem* itemFirst_ = nullptr;
  cDragDataItem* itemLast_ = nullptr;
  Point dragStart_{0, 0};
};

// ---- Plain functions ------------------------------------------------------------------------

// Starts drag and drop for the program: when the Drag Manager is there (Gestalt 'drag', bit 0)
// and the manager can be made, installs the handlers and registers the end of drag and drop
// as a dispose procedure.
void SpDDO_InitializeDragAndDrop();
void SpDDO_InstallHandler();
void SpDDO_TerminateDragAndDrop(unsigned long refCon);
OSErr SpDDO_TrackingHandler(DragTrackingMessage message, WindowRef window, void* refCon,
                            DragRef drag);
OSErr SpDDO_DragReceiceHandler(WindowRef window, void* refCon, DragRef drag);
Boolean SpDDO_CreateDragAndDropManager();
cDragAndDropManagerObj* SpDDO_GetDragADropMgr(unsigned char create);
void SpDDO_SetupDropItemIntoManager(WindowRef window, cDropCatchObject* target);
void SpDDO_SetupContainerDropItemIntoManager(WindowRef window, cDropCatchObject* target);
void SpDDO_UnlinkDropItemFromManager(cDropCatchObject* target);
void SpDDO_UnlinkDropContainerItemFromManager(cDropCatchObject* target,
                                              unsigned char promoteChildren);

// Hands the framework the start of drag and drop, which its start-up runs. Called once when
// the program starts, before the framework's start-up.
void SpDDO_InstallDragServices();

namespace sp_testing {
// Test hook: removes the handlers and frees the manager with its window entries, so that
// the next use starts afresh. Every target must be gone first.
void ResetDragAndDropManager();
}  // namespace sp_testing
