// Hot-spot areas: the mouse-sensitive areas of a window, and the dispatch of the mouse to
// them.
//
// A hot-spot area is a rectangle or a region in window-local coordinates with eight virtual
// mouse procedures and, beside each, an optional client callback. Hot spots are layered per
// window (root hot spots in the view window's list, contained ones in their container's item
// list, the first at the bottom). A press in a window's content goes to the top hot spot that
// accepts it (items before their container, so a disabled container does not shield its
// items); while the button is held the framework's tracking tells it when the mouse leaves,
// comes back and moves; the release decides between a click and a double click. Controls,
// lists and the edit-text views derive from it, usually together with a view class (the view
// first).
//
// Procedures run before their callbacks. The four tracking procedures (area out, area in,
// move, trace) answer non-zero when they handled the step: their callback is not called then.
// A hot spot that its own procedures or callbacks delete ends the dispatch there.
//
// Failures beep once and leave one error-log record (source "SpHotSpotArea").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpProcEntry.h"
#include "SpViewClass.h"

class cSp_HotSpotArea;
class cSp_ViewWindow;
namespace sp_view_detail {
struct Fields;
}

typedef unsigned char (*tSpHotSpotProcPtr)(short modifiers, Point localPoint,
                                           unsigned long refCon);

// The hot spot that accepted the current press, whether the mouse was inside it at the last
// tracking step, and the point of the last tracking step that reported a move.
extern cSp_HotSpotArea* mouseDownHotSpot_GlV;
extern unsigned char mouseInAreaFlag_GlV;
extern Point beforeLocalPoint_GlV;

class cSp_HotSpotArea {
 public:
  // Joins the window's hot-spot list and the top of its root hot spots (making the window's
  // view window when it has none).
  cSp_HotSpotArea(WindowRef window, const Rect& area);
  virtual ~cSp_HotSpotArea();
  cSp_HotSpotArea(const cSp_HotSpotArea&) = delete;
  cSp_HotSpotArea& operator=(const cSp_HotSpotArea&) = delete;

  // Takes the hot spot out of every list, once: its items take its place in its container's
  // list; a press it holds is forgotten.
  void ExecHotSpotObjDeleteReady();

  // ---- The mouse procedures, all with the event's modifiers and a window-local point ----
  virtual unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint);
  virtual unsigned char HotSpotMouseAreaOutProc(short modifiers, Point localPoint);
  virtual unsigned char HotSpotMouseAreaInProc(short modifiers, Point localPoint);
  virtual unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint);
  virtual void HotSpotClickProc(short modifiers, Point localPoint);
  virtual unsigned char HotSpotDblClickProc(short modifiers, Point localPoint);
  virtual unsigned char HotSpotMouseMoveProc(short modifiers, Point localPoint);
  virtual unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint);

  // ---- Client callbacks ----
  void SetupHotspotMouseDownCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotMouseAreaOutCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotMouseAreaInCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotMouseUpCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotClickCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotDblClickCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotMouseMoveCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  void SetupHotSpotMouseDownTraceCB(tSpHotSpotProcPtr proc, unsigned long refCon);
  // Without a callback: 1 for mouse down and up, 0 for the others.
  unsigned char ExecHotspotMouseDownCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotMouseAreaOutCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotMouseAreaInCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotMouseUpCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotClickCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotDblClickCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotMouseMoveCB(short modifiers, Point localPoint);
  unsigned char ExecHotSpotMouseDownTraceCB(short modifiers, Point localPoint);

  // ---- The press ----
  // A point outside the area resets the click state (0); inside, the mouse-down procedure
  // and callback both run, and the hot spot accepts when both answered non-zero.
  unsigned char MouseDownOnHotSpotArea(short modifiers, Point localPoint);
  // The release: mouse-up procedure and callback, then (when both answered non-zero) a double
  // click when the last click lies within the double-click time, else a click.
  void MouseUpTerminateOnHotSpotArea(short modifiers, Point localPoint);
  // One tracking step of the pressed hot spot (Sp_MouseDownMouseTrace).
  void TraceStep();
  // Whether this tracking step runs the trace: the first step of a press does, later ones
  // once the trace interval has passed since the last trace.
  bool TraceDue();

  // The ticks between two calls of the trace procedure while the area is held. At first 0:
  // the dragging controls (sliders, scroll bars, lists, fields) follow the mouse at every
  // tracking step.
  void SetupHotSpotTraceInterval(SInt32 ticks) { traceInterval_ = ticks; }
  void EnableHotSpotArea() { enabled_ = 1; }
  void DisableHotSpotArea() { enabled_ = 0; }
  unsigned char IsHotSpotEnable() const { return enabled_; }
  unsigned char IsMouseDownProcEnable() const { return mouseDown_; }
  short GetClickState() const { return clickState_; }

  // ---- The area, window-local ----
  void SetupHotSpotArea(const Rect& area);
  // Null is a failure (the area stays).
  void SetupHotSpotArea(RgnHandle area);
  void GetHotSpotArea(RgnHandle out) const;
  unsigned char GetHotSpotArea(Rect& out) const;
  unsigned char PtInHotSpotArea(Point localPoint) const;

  WindowRef GetHotSpotWindowPtr() const;
  unsigned char IsHotSpotTargetWindowOpen() const;
  cSp_HotSpotArea* GetThisHotSpotObjPtr() { return this; }
  cSp_ViewWindow* GetHotSpotViewWindowPtr() const { return viewWindow_; }

  // ---- The window's hot-spot list and the layers ----
  void LinkToHotSpotItemNext(cSp_HotSpotArea* chain);
  cSp_HotSpotArea* UnlinkHotSpotItemNext();
  cSp_HotSpotArea* GetHotSpotItemBeforeObjectPtr() const { return hotSpotLinks_.before; }
  cSp_HotSpotArea* GetHotSpotItemNextObjectPtr() const { return hotSpotLinks_.next; }
  cSp_HotSpotArea* GetHotSpotItemLastObjectPtr();
  // Every hot spot of the inserted chain takes this one's container.
  void LinkToHotSpotContainerItemNext(cSp_HotSpotArea* chain);
  cSp_HotSpotArea* UnlinkHotSpotContainerItemNext();
  cSp_HotSpotArea* GetHotSpotContainerItemBefore() const { return siblings_.before; }
  cSp_HotSpotArea* GetHotSpotContainerItemNext() const { return siblings_.next; }
  cSp_HotSpotArea* GetHotSpotContainerItemLast();
  cSp_HotSpotArea* GetHotSpotContainerItemListHead() const { return itemHead_; }
  cSp_HotSpotArea* GetHotSpotContainerItemListLast() const { return itemLast_; }
  cSp_HotSpotArea* GetHotSpotContainerPtr() const { return container_; }
  // 1 + the siblings below it; the number of siblings with itself.
  SInt32 GetHotSpotContainerItemLayerPosit() const;
  SInt32 GetHotSpotContanerItemMaxLayerPosit() const;
  // Makes a root hot spot a contained one of this hot spot, on top.
  void SetupHotSpotContainerItemOnHightLayer(cSp_HotSpotArea* item);
  // Inserts an item (taken out of the root list first with unlinkFromRoot) at the position.
  void SetupHotSpotContainerItemOnTargetLayer(cSp_HotSpotArea* item, unsigned char unlinkFromRoot,
                                              SInt32 posit);
  // Takes the item out of this one's list; with toRoot it becomes a root hot spot just above
  // the root hot spot that holds this one.
  void UnlinkHotSpotContaierItem(cSp_HotSpotArea* item, unsigned char toRoot);
  void MoveToTopLayerInHotSpotContanerItemList();
  // Position 1 or less is the bottom; nothing when it stands there or posit is past the top.
  void MoveToTargetLayerInHotSpotContanerItemList(SInt32 posit);

 private:
  friend class cSp_ViewWindow;
  friend struct sp_view_detail::Fields;

  unsigned char enabled_ = 1;
  unsigned char regionMode_ = 0;
  RgnHandle areaRgn_ = nullptr;
  Rect areaRect_{0, 0, 0, 0};
  unsigned char mouseDown_ = 0;
  unsigned char dblClickTaken_ = 0;
  UInt32 lastClickTick_ = 0;
  short clickState_ = 0;
  cSp_ViewWindow* viewWindow_ = nullptr;
  sSpLinks<cSp_HotSpotArea> hotSpotLinks_;
  cSp_HotSpotArea* container_ = nullptr;
  cSp_HotSpotArea* itemHead_ = nullptr;
  cSp_HotSpotArea* itemLast_ = nullptr;
  sSpLinks<cSp_HotSpotArea> siblings_;
  sSpCallback<tSpHotSpotProcPtr> mouseDownCB_;
  sSpCallback<tSpHotSpotProcPtr> areaOutCB_;
  sSpCallback<tSpHotSpotProcPtr> areaInCB_;
  sSpCallback<tSpHotSpotProcPtr> mouseUpCB_;
  sSpCallback<tSpHotSpotProcPtr> clickCB_;
  sSpCallback<tSpHotSpotProcPtr> dblClickCB_;
  sSpCallback<tSpHotSpotProcPtr> mouseMoveCB_;
  sSpCallback<tSpHotSpotProcPtr> traceCB_;
  unsigned char deleteReady_ = 0;
  SInt32 traceInterval_ = 0;
  UInt32 lastTraceTick_ = 0;
  unsigned char tracedSincePress_ = 0;
};

// The framework's entries.
// A press at the window-local point: the window's hot spots, top layer first. Non-zero when
// one accepted (it then holds the press until the release).
unsigned char Sp_MouseDownHotSpot(WindowRef window, Point localPoint, short modifiers);
// While a hot spot holds a press: tells it when the mouse leaves or enters it, moves and
// stays down.
void Sp_MouseDownMouseTrace();
// Ends the press of the hot spot that holds it (the window is not consulted).
void Sp_MouseUpHotSpot(WindowRef window, Point localPoint, short modifiers);
// Forgets the press: tracking and the release then do nothing.
void Sp_HotspotMouseTraceCancel();
