// The view window: the registry of one window's views and hot-spot areas, and the redraw of
// the window from the views' offscreens.
//
// Every window that carries views or hot-spot areas has exactly one view window, made when
// its first view or hot-spot area is built; it goes when its last view and hot-spot area have
// left it, or when the framework window is disposed. It keeps the heads and lasts of the
// window's lists (the links live in the views and hot spots): every view in construction
// order, the root views in layer order (head = bottom), the drawing list (the painting order
// of the views that own an offscreen), every hot-spot area, and the root hot-spot areas in
// layer order. It owns none of them. All view windows are chained in one global list, the
// newest at the head.
//
// A window without a view window: the update paths leave it alone, a redraw request still
// flushes its port, and no hot-spot area takes a press in it.
//
// Failures beep once and leave one error-log record (source "SpViewWindow").
#pragma once

#include "Events.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSp_View;
class cSp_HotSpotArea;
class cSp_ViewWindow;

// The head of the global list of view windows.
extern cSp_ViewWindow* viewWindowList_GlV;

class cSp_ViewWindow : public cSpListLinks<cSp_ViewWindow>, public cSpMacHeapObject {
 public:
  // Inserts itself at the head of the global list.
  explicit cSp_ViewWindow(WindowRef window);
  // Leaves the global list.
  ~cSp_ViewWindow();
  cSp_ViewWindow(const cSp_ViewWindow&) = delete;
  cSp_ViewWindow& operator=(const cSp_ViewWindow&) = delete;

  WindowRef GetWindowRef() const { return window_; }
  // 1 while any of its lists holds something.
  unsigned char CheckContainItem() const;
  // The window is visible.
  unsigned char IsViewWindowOpen() const;
  cSp_View* GetWindowViewList() const { return viewHead_; }
  cSp_View* GetViewDrawingListHead() const { return drawingHead_; }
  cSp_View* GetViewDrawingListLast() const { return drawingLast_; }
  cSp_View* GetViewContainerListHead() const { return rootHead_; }
  cSp_View* GetViewContainerListLast() const { return rootLast_; }
  cSp_HotSpotArea* GetHotSpotListHead() const { return hotSpotHead_; }
  cSp_HotSpotArea* GetHotSpotContainerListHead() const { return rootHotSpotHead_; }
  cSp_HotSpotArea* GetHotSpotContainerListLast() const { return rootHotSpotLast_; }
  // The window is going before its views and hot spots: each is left as after its
  // delete-ready step, and every list is emptied.
  void ReleaseViewsAndHotSpots();

  // ---- Redrawing ----
  // Paints the waiting views, copies every offscreen to the window, runs the notifications.
  void UpdateWindow(unsigned char flag);
  // DrawOffscreen on the views of the drawing list in painting order (only the waiting ones
  // when asked).
  void RedrawViewOffscreen(unsigned char onlyWaiting, unsigned char flag);
  // Copies the offscreens to the window: all with a null or empty area, else those whose
  // area meets it.
  void RedrawWindowWithViewOffscreen(RgnHandle area);
  // The update notification of every view visible on the window.
  void ExecRedrawWindowCallback();
  // Marks every view (hidden and disabled ones too) under a window region for redraw;
  // addToWindow also adds the region to the window's update region.
  void SetupModifyDrawingRgnAndFlag(RgnHandle rgn, unsigned char addToWindow);
  // The same for a rectangle over the enabled, visible views (a skipped view's items too).
  void SetupViewModifyFlagForArea(const Rect& area, unsigned char setRedraw);
  void ClearAllViewClippingArea(unsigned char clearRedraw);

  // ---- The window view list ----
  void SetupViewOnTop(cSp_View* view);
  void SetupViewOnBottom(cSp_View* view);
  void LinkOffViewListItemList(cSp_View* view);

  // ---- The root views, layered ----
  void SetupOnTopLayerInContainerList(cSp_View* view);
  void SetupOnBottomLayerInContainerList(cSp_View* view, unsigned char notifyOthers,
                                         unsigned char notifySelf);
  void LinkOffFromRootContainerList(cSp_View* view);
  void ModifyContainerListLastItem();
  // Rank 0 is the bottom, a negative rank or one past the count the top. 1 when done (or
  // nothing to do), 0 when the view is not a root view of this window.
  unsigned char MoveToTargetLayerInContainerList(cSp_View* view, SInt32 rank,
                                                 unsigned char notifyOthers,
                                                 unsigned char notifySelf);

  // ---- The drawing list ----
  void SetupOnTopLayerInViewDrawingList(cSp_View* view);
  void SetupOnBottomLayerInViewDrawingList(cSp_View* view);
  // 0 when the view is not in it.
  unsigned char LinkOffFromRootViewDrawingList(cSp_View* view);
  void ModifyViewDrawingListLastItem();
  unsigned char CheckTargetViewExistInDrawingViewList(const cSp_View* view) const;
  // Links an unlinked view right after `previous` (null: at the head) and repairs the last.
  void InsertInViewDrawingList(cSp_View* previous, cSp_View* view);
  // Moves the run of the drawing list from first to last (linked) right after `previous`
  // (null: to the head).
  void MoveViewDrawingListRun(cSp_View* first, cSp_View* last, cSp_View* previous);

  // ---- Hot-spot areas ----
  void SetupOnTopOfHotSpotList(cSp_HotSpotArea* hotSpot);
  void SetupOnBottomOfHotSpotList(cSp_HotSpotArea* hotSpot);
  void LinkOffHotSpotItem(cSp_HotSpotArea* hotSpot);
  void SetupHightLayerOfHotSpotContainerList(cSp_HotSpotArea* hotSpot);
  void LinkOffHotSpotContainerItem(cSp_HotSpotArea* hotSpot);
  void SetupHotSpotLastContainerListItem();
  void SetupHotSpotOnTargetContainerListPosit(cSp_HotSpotArea* hotSpot, SInt32 posit);
  void MoveHotSpotOnTargetContainerListPosit(cSp_HotSpotArea* hotSpot, SInt32 posit);
  // Puts `item` into the root list right after `previous` (null: at the bottom).
  void InsertHotSpotInContainerList(cSp_HotSpotArea* previous, cSp_HotSpotArea* item);
  // Offers a press to the hot spots, top layer first, items before their container; the
  // first that accepts becomes the pressed hot spot. 1 when one accepted.
  unsigned char MouseDownHotSpot(Point localPoint, short modifiers);

 private:
  WindowRef window_ = nullptr;
  cSp_View* viewHead_ = nullptr;
  cSp_View* viewLast_ = nullptr;
  cSp_View* rootHead_ = nullptr;
  cSp_View* rootLast_ = nullptr;
  cSp_View* drawingHead_ = nullptr;
  cSp_View* drawingLast_ = nullptr;
  cSp_HotSpotArea* hotSpotHead_ = nullptr;
  cSp_HotSpotArea* hotSpotLast_ = nullptr;
  cSp_HotSpotArea* rootHotSpotHead_ = nullptr;
  cSp_HotSpotArea* rootHotSpotLast_ = nullptr;
};

// The window's view window; with create, made when it has none. Null for a null window, or
// when none exists and none is to be (or can be) made.
cSp_ViewWindow* Sp_GetViewWindowObject(WindowRef window, unsigned char create);
// Deletes the view window when nothing is left in it.
void Sp_CheckViewWindowStatusAndDeleteFreeViewWindow(cSp_ViewWindow* viewWindow);
// For an update event of a window with views: the window's update region (or its content
// when nothing waits) marks the views under it. A null record is a failure.
void Sp_WindowRedrawSetupFromUpdateRgn(EventRecord* event);
// Deletes the window's view window; its views and hot spots are their owners' to delete.
void Sp_DisposeTargetWindowView(WindowRef window);
