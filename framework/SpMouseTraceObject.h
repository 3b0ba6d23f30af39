// A hover area of a window: a rectangle that reacts to the pointer without a click.
//
// An area may carry a cursor (a colour 'crsr' or a black-and-white 'CURS', borrowed from the
// resource manager by id) that shows while the pointer is inside, and calls optional
// procedures of its owner when the pointer enters it, moves inside it and leaves it. Areas
// can be nested: an area may hold a layer list of inner areas, which are hit before it.
//
// The owner creates and destroys its areas with new and delete and fills in the procedure
// fields directly after construction. Construction registers the area with the trace manager
// as the top layer of its window; destruction unregisters it. Areas never own each other:
// the lists only link them.
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"

class cMouseTraceObject;

// Procedures of an area's owner. Points are in the local coordinates of the area's window;
// modifiers are the held modifier keys in event-record form, read at the moment of the call.
typedef void (*SpMouseTracePointProcPtr)(Point localPoint, short modifiers, unsigned long refCon);
typedef void (*SpMouseTraceOutProcPtr)(short modifiers, unsigned long refCon);
// Non-zero when the point counts as inside; it may write an area code.
typedef unsigned char (*SpMouseTraceVerifyProcPtr)(Point localPoint, short modifiers,
                                                   unsigned long refCon, short& areaCode);

// An area sits in two chains at once: its window's item list (every registered area, in order
// of registration) and one layer list (the window's top list or a container's nested list).
enum tMouseTraceLinkFamily : UInt8 {
  kMTraceItemLinks = 0,
  kMTraceLayerLinks = 1,
};

// The ends of one chain of areas. In a layer list the head is the bottom layer and the tail
// the top layer. Only the links are touched: who contains whom is the caller's business.
struct sMouseTraceList {
  explicit sMouseTraceList(tMouseTraceLinkFamily linkFamily) : family(linkFamily) {}

  bool Contains(const cMouseTraceObject* item) const;
  SInt32 Length() const;
  // 1-based position from the head; 0 when the item is not in the list.
  SInt32 PositionOf(const cMouseTraceObject* item) const;
  // Appends the item at the tail.
  void Append(cMouseTraceObject* item);
  // Inserts the chain that starts at `chain` (to its end) after `at`, or at the head when `at`
  // is null.
  void InsertChainAfter(cMouseTraceObject* at, cMouseTraceObject* chain);
  // Takes the item out; false when it is not in the list.
  bool Unlink(cMouseTraceObject* item);
  // The tail becomes the last element from the head, or null.
  void RecomputeTail();

  tMouseTraceLinkFamily family;
  cMouseTraceObject* head = nullptr;
  cMouseTraceObject* tail = nullptr;
};

// The outcome of moving an area to a layer position.
enum tMouseTraceLayerMove : UInt8 {
  kMTraceLayerMoved,
  kMTraceLayerUnchanged,
  kMTraceLayerNotFound,
  kMTraceLayerNoPredecessor,  // the search found the area itself as its own predecessor
};
// Moves `item` of the layer list to position `target` (1 the bottom); a target beyond the
// length moves it to the top.
tMouseTraceLayerMove Sp_MTM_MoveLayerToTarget(sMouseTraceList& list, cMouseTraceObject* item,
                                              SInt32 target);

class cMouseTraceObject {
 public:
  cMouseTraceObject(WindowRef window, const Rect& area, unsigned char colourCursor, short cursorId,
                    cMouseTraceObject* container);
  ~cMouseTraceObject();
  cMouseTraceObject(const cMouseTraceObject&) = delete;
  cMouseTraceObject& operator=(const cMouseTraceObject&) = delete;

  // Unregisters the area from the trace manager, once. The area keeps its rectangle and
  // cursor until it is destroyed.
  void ExecMouseTraceObjDeleteReady();

  // Cursor: non-zero when the area now holds the requested cursor.
  unsigned char SetupMouseTaraceCursor(unsigned char colour, short cursorId);
  void ReleaseMouseCursor();
  void ChangeMouseTraceCursorNow();
  CCrsrHandle GetTraceCCrsrHandle() const { return colourCursor_; }
  CursHandle GetTraceCrsrHandle() const { return cursor_; }

  // With quiet non-zero the rectangle is only stored; otherwise a changed rectangle runs a
  // forced trace pass at once.
  void ModifyMouseTraceArea(const Rect& area, unsigned char quiet);

  void DisableMouseTrace();
  void EnableMouseTrace() { enabled_ = 1; }
  unsigned char IsMouseTraceEnable() const { return enabled_; }
  void SetupEnableMouseTraceOnTopWindowInWindowListOnlyFlag(unsigned char frontOnly) {
    frontWindowOnly_ = frontOnly;
  }

  SInt32 GetMouseTraceReferenceNo() const { return referenceNo_; }
  cMouseTraceObject* GetThisMouseTraceObjectPtr() { return this; }
  WindowRef GetMouseTraceTargetWindowPtr() const { return window_; }

  unsigned char IsInMouseTraceArea(Point localPoint, unsigned char windowIsFront);

  // The three steps of a trace pass.
  void MouseTraceArea_In_Execute(Point localPoint);
  void MouseTraceArea_On_Area(Point localPoint);
  void MouceTraceArea_Out_Execute(Point localPoint);

  // Container and nested layers.
  cMouseTraceObject* GetMTraceContainerObjPtr() const { return container_; }
  void SetupMTraceContainerObjPtr(cMouseTraceObject* container) { container_ = container; }
  cMouseTraceObject* GetMTraceContainerItemHeadPtr() const { return layers_.head; }
  void SetupMTraceContainerItemListHeadPtr(cMouseTraceObject* head);
  void SetupMTraceContainerItemListLast() { layers_.RecomputeTail(); }
  void SetupMTraceContainerItemOnHightLayer(cMouseTraceObject* child);
  void UnlinkMTraceContaierItem(cMouseTraceObject* item, unsigned char rejoinTop,
                                unsigned char releaseNested);
  void MoveToTopLayerInMTraceContanerItemList();
  void MoveToTergetLayerInMTraceContanerItemList(SInt32 target);
  SInt32 GetMouseTraceContainerLayerPosit() const;
  SInt32 GetMouseTraceContainerLayerMaxPosit() const;

  // Item-list links.
  void LinkTraceObjectToNext(cMouseTraceObject* chain);
  cMouseTraceObject* UnlinkNextTraceObject();
  cMouseTraceObject* GetBeforeTraceObjectPtr() const { return links_[kMTraceItemLinks].before; }
  cMouseTraceObject* GetNextTraceObjectPtr() const { return links_[kMTraceItemLinks].next; }
  cMouseTraceObject* GetLastTraceObjectPtr();

  // Layer links; linking also makes every inserted area share this area's container.
  void LinkTraceContainerItemToNext(cMouseTraceObject* chain);
  cMouseTraceObject* UnlinkNextTraceContainerItem();
  cMouseTraceObject* GetBeforeTraceContainerItemPtr() const {
    return links_[kMTraceLayerLinks].before;
  }
  cMouseTraceObject* GetNextTraceContainerItemPtr() const { return links_[kMTraceLayerLinks].next; }
  cMouseTraceObject* GetLastTraceContainerItemPtr();

  // The owner's procedures and their reference values; null for none.
  SpMouseTracePointProcPtr mouseTraceInProc = nullptr;
  SpMouseTraceOutProcPtr mouseTraceOutProc = nullptr;
  SpMouseTracePointProcPtr mouseInPlaceTraceProc = nullptr;
  SpMouseTracePointProcPtr mouseTraceCursorProc = nullptr;
  SpMouseTracePointProcPtr mouseTraceLeaveProc = nullptr;
  unsigned long mouseTraceInRefCon = 0;
  unsigned long mouseTraceOutRefCon = 0;
  unsigned long mouseInPlaceTraceRefCon = 0;
  unsigned long mouseTraceCursorRefCon = 0;
  unsigned long mouseTraceLeaveRefCon = 0;
  SpMouseTraceVerifyProcPtr verifyPositionProc = nullptr;
  unsigned long verifyPositionRefCon = 0;

 private:
  friend struct sMouseTraceList;
  struct sLinks {
    cMouseTraceObject* before = nullptr;
    cMouseTraceObject* next = nullptr;
  };

  void ApplyCursor();
  void LinkChainAfter(tMouseTraceLinkFamily family, cMouseTraceObject* chain);
  cMouseTraceObject* UnlinkNextOf(tMouseTraceLinkFamily family);
  cMouseTraceObject* LastOf(tMouseTraceLinkFamily family);

  SInt32 referenceNo_ = 0;
  WindowRef window_ = nullptr;
  Rect area_{};
  unsigned char enabled_ = 1;
  unsigned char frontWindowOnly_ = 1;
  short cursorId_ = 0;
  SInt32 cursorRef_ = 0;
  CCrsrHandle colourCursor_ = nullptr;
  CursHandle cursor_ = nullptr;
  unsigned char inside_ = 0;
  short areaCode_ = 0;
  cMouseTraceObject* container_ = nullptr;
  sMouseTraceList layers_{kMTraceLayerLinks};
  sLinks links_[2];
  unsigned char deleteReady_ = 0;
};

// Shows a cursor lent by the resource manager: the colour one when there is one, else the
// black-and-white one; nothing when neither is set.
void Sp_MTM_ShowLoanedCursor(CCrsrHandle colourCursor, CursHandle cursor);
