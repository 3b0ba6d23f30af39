// The view: a rectangle of a window that the framework draws itself.
//
// A view paints its content into an offscreen GWorld and the offscreen is copied to its
// window; nothing of a view is drawn straight on the screen. Views form a tree per window: a
// view built inside a container view gives its area in the container's content coordinates
// (the container's scrollable content, whose point (scroll h, scroll v) shows at the
// container's top-left); a root view gives its area in window coordinates. Siblings are
// layered, the first item at the bottom. The painting order of a window is the pre-order of
// its tree (a view, its items from the bottom, then its next sibling), and the window's view
// window (SpViewWindow.h) keeps the drawing list: the views that own an offscreen, in that
// order. A view may instead paint into the offscreen of its nearest container that has one
// (its holder).
//
// Each offscreen holds exactly what its view shows: the window's back colour, the images of
// the views painted before it that it overlaps, then its content. So one copy of each
// offscreen to the window, in painting order, shows the whole window. A translucent view
// blends an image over what lies under it through an 8-bit mask (the transmit rate: r percent
// lets r percent of what is under the view show through).
//
// Changes mark the parts of the views they touch (the view's clipping region is its pending
// redraw region, in its content coordinates, with its wait-redraw flag); a window update then
// redraws only the waiting views, only where they wait.
//
// Subclasses override the content operations (UpdateProc and friends) and the container and
// layer hooks. A client owns its views: it calls ExecViewObjDeleteReady (which takes the view
// out of every list of the framework) and then deletes the view.
//
// Failures (a region or offscreen that cannot be made, lists not as they must be, a null
// argument) beep once and leave one error-log record under the module of the operation
// ("SpViewClass", "SpViewClassLink", "SpViewClassDrawing", "SpViewClassOffscreen",
// "SpViewClassPosition").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpCollectionObject.h"

class cSp_View;
class cSp_ViewWindow;
class cScrollBarObj;  // the shared scroll bar of the controls library
namespace sp_view_detail {
struct Fields;
}

// How a translucent view is composed: the background blended with the content drawn opaque
// over it, or the content itself blended. Values other than 1 count as the second.
typedef UInt8 tTransmitType;
enum : tTransmitType {
  kSpTransmitBackgroundType = 1,
  kSpTransmitContentType = 2,
};

typedef void (*tSpViewNotifyProcPtr)(unsigned long refCon);

// The direction of a scroll bar.
typedef UInt8 tScrollBarType;
enum : tScrollBarType {
  kSpHorizontalScrollBar = 1,
  kSpVerticalScrollBar = 2,
};

// What views do with the shared scroll bars. The bars belong to the controls library, which
// installs these when the program starts; without them no view gets a bar.
struct sSpScrollBarServices {
  // A new bar on the window (minimum 0); null when it cannot be made.
  cScrollBarObj* (*NewScrollBar)(WindowRef window, tScrollBarType type, const Rect& rect,
                                 short maximum, short value, short arrowStep,
                                 unsigned char visible);
  // Attaches the view (once) and sets the bar's range from it.
  void (*AttachView)(cScrollBarObj* bar, cSp_View* view);
  // Sets the bar's value; with others, the other attached views follow it.
  void (*ExecuteScroll)(cScrollBarObj* bar, short value, unsigned char others,
                        cSp_View* initiator);
  // The view's size or content changed: the bar's range and value follow it.
  void (*NortificationViewModify)(cScrollBarObj* bar, cSp_View* view);
  // The view lets go of the bar: it is detached, and the bar goes when no view is left.
  void (*UnusedScrollBarObject)(cScrollBarObj* bar, cSp_View* view);
  // Shows or hides the bar's control when its visible state differs, and records the state.
  void (*SetScrollBarVisible)(cScrollBarObj* bar, unsigned char visible);
};
// Installs the bars' operations (null: none, as at start).
void Sp_SetupScrollBarServices(const sSpScrollBarServices* services);

// The bar a view keeps in one of its scroll-bar collections: null when it is empty, else its
// first item.
cScrollBarObj* SpView_GetScrollBarObject(const cSp_uLongCollection* collection);

// A frame of AnimationDrawing: draws frame `frameNo` into `port` (the offscreen, its origin set
// so that the view's content lands at its place; (dh, dv) is the offset from the offscreen's
// pixels to the content). It may set copyNow (and a region to copy, in content coordinates;
// empty: the whole view) to show the frame at once, and restoreBackground (with a region, or
// empty for all) to have the background put back before the next frame. Non-zero ends the
// animation.
typedef unsigned char (*tSpAnimationFrameProcPtr)(unsigned long refCon, SInt32& frameNo,
                                                  GrafPtr port, short dh, short dv,
                                                  unsigned char& copyNow, RgnHandle copyRgn,
                                                  unsigned char& restoreBackground,
                                                  RgnHandle restoreRgn);

// The two links of one intrusive list, kept in the listed object.
template <class T>
struct sSpLinks {
  T* before = nullptr;
  T* next = nullptr;
};

// The head of the periodic-redraw list; views are pushed at the head.
extern cSp_View* interruptViewList_GlV;

class cSp_View {
 public:
  // Builds the view on the window (making the window's view window when it has none), on top
  // of its container's items (or of the window's root views), and marks its area for redraw.
  // With periodic set it joins the periodic-redraw list with the interval. Without a
  // container, drawInContainerOffscreen counts as 0.
  cSp_View(WindowRef window, const Rect& area, unsigned char periodic, UInt32 intervalTicks,
           cSp_View* container, unsigned char drawInContainerOffscreen);
  // Runs the delete-ready step when it has not run; frees the offscreens and the region.
  virtual ~cSp_View();
  cSp_View(const cSp_View&) = delete;
  cSp_View& operator=(const cSp_View&) = delete;

  // Every field back to its construction value, with a new empty clipping region.
  void StartUpInitialize();
  // Takes the view out of every list of the framework, once: its items go to its own level at
  // its place in the layer order (those that drew in its offscreen get offscreens of their
  // own), and the view window goes when nothing is left in it. Afterwards nothing of the
  // framework reaches the view, and the operations that change or draw it do nothing.
  void ExecViewObjDeleteReady();

  // ---- Virtual operations ----
  // The content: 0 when nothing was drawn (the view then keeps the window's image).
  virtual unsigned char DrawViewBackground();
  // Paints the translucency mask for the rate; 0 leaves it to the framework (a uniform grey).
  virtual unsigned char DrawTransmitRateOffscreen(float rate);
  virtual unsigned char UpdateProc();
  // The content drawn in a periodic pass.
  virtual unsigned char InterruptDraw();
  // Told before and after a container (at any depth above) moves or changes size; a before
  // hook answering 0 cancels the container's change.
  virtual unsigned char BeforeContainerMoveExecute(cSp_View* container, short oldLeft,
                                                   short oldTop, short dh, short dv);
  virtual void AfterContainerMoveExecute(cSp_View* container, short newLeft, short newTop,
                                         short dh, short dv);
  virtual unsigned char BeforeContainerResizeExecute(cSp_View* container, short oldWidth,
                                                     short oldHeight, short dWidth,
                                                     short dHeight);
  virtual void AfterContainerResizeExecute(cSp_View* container, short newWidth, short newHeight,
                                           short dWidth, short dHeight);
  // A view painted above another removes its own shape from `region` (window coordinates);
  // a view intersects `region` with its own shape. The base views are rectangles: nothing.
  virtual unsigned char CutUnderViewImage(RgnHandle region, RgnHandle work);
  virtual unsigned char SectMyAreaViewImage(RgnHandle region, RgnHandle work);
  virtual void BeforeScrollExecute(short h, short v, short dh, short dv);
  virtual void AfterScrollExecute(short h, short v, short dh, short dv);
  virtual void BeforeContainerScrollExecute(short h, short v, short dh, short dv);
  virtual void AfterContainerScrollExecute(short h, short v, short dh, short dv);
  // The view's rank among its siblings changed (1 = bottom).
  virtual void NotifyChangedContainerItemLayerRankNo(SInt32 oldRankNo, SInt32 newRankNo);

  // The view part of an object that is a view and a hot-spot area.
  cSp_View* GetThisViewObjPtr() { return this; }

  // ---- Output and state ----
  // Output off: the view's area shows the back colour and the views under it, and its
  // content operations are not called. Marks the view; redraws the window when asked.
  void DisableViewOutput(unsigned char redraw);
  void EnableViewOutput(unsigned char redraw);
  unsigned char IsEnableView() const { return outputEnabled_; }
  unsigned char IsWaitRedraw() const { return waitRedraw_; }
  unsigned char IsInterruptView() const { return inPeriodicList_; }
  unsigned char IsTransmitEnableView() const { return translucent_; }
  unsigned char UsedContainerOffscreen() const { return drawsInContainerOffscreen_; }
  unsigned char IsViewDeleteReady() const { return deleteReadyDone_; }
  void SetupRedrawFlag(unsigned char waiting) { waitRedraw_ = waiting; }
  WindowRef GetTargetWindowPtr() const;
  cSp_ViewWindow* GetViewWindowObjPtr() const { return viewWindow_; }
  // The window is visible; 0 without a view window.
  unsigned char IsViewTargetWindowOpen() const;
  // The area as stored (container's content coordinates).
  void GetImmediateDrawingArea(Rect* out) const;
  // The holder: the nearest container that owns an offscreen; null when there is none.
  cSp_View* GetOffscreenView() const;
  SInt32 GetOffscreenDepth() const { return offscreenDepth_; }
  // 1 when a view of the subtree (at any depth) draws in its container's offscreen.
  unsigned char HaveUseContainerViewOffscreenContainerItem() const;
  float GetTransmitRate() const { return transmitRate_; }
  tTransmitType GetTransmitType() const { return transmitType_; }

  // ---- The clipping (pending redraw) region, content coordinates ----
  // A null region does nothing (0).
  unsigned char SetupViewClippingRgn(RgnHandle rgn);
  unsigned char GetViewClippingRgn(RgnHandle rgn) const;
  void SetupViewClippingRect(const Rect& rect);
  unsigned char AddViewClippingRgn(RgnHandle rgn);
  void AddViewClippingRect(const Rect& rect);
  void ClearViewClippingArea();
  unsigned char EmptyViewClippingArea() const;

  // ---- Invalidation ----
  // Marks the part of the view inside the window rectangle (null: the whole view), and of
  // every view painted at or above it that overlaps that part, for redraw; addToWindow also
  // adds the part to the window's update region.
  void SetupModifyDrawingRectAndFlag(const Rect* areaOnWindow, unsigned char addToWindow);
  // The same for a window region; nothing for a disabled view or a null region.
  void SetupModifyDrawingRgnAndFlag(RgnHandle regionOnWindow, unsigned char addToWindow);
  // The part of the window rectangle or region inside the view's drawing area joins (or
  // leaves) the window's update region; views are not marked.
  void SetupRedrawAreaOnWindow(const Rect& rectOnWindow);
  void SetupRedrawAreaOnWindow(RgnHandle regionOnWindow);
  void WipeOutRedrawAreaOnWindow(const Rect& rectOnWindow);
  // A rectangle or region of the content, grown by one pixel, joins the window's update
  // region where it lies inside the view.
  void SetupRedrawAreaOnView(const Rect& rectInContent);
  void SetupRedrawAreaOnView(RgnHandle regionInContent);

  // ---- Geometry ----
  // Moves and resizes the view (container hooks first, which may cancel), re-makes its
  // offscreens on a new size and marks the old and the new area. The result of the last step.
  unsigned char ResizeViewArea(const Rect& newArea, unsigned char redraw,
                               unsigned char notifyItems);
  void MoveViewArea(short left, short top, unsigned char redraw, unsigned char notifyItems);

  // ---- Periodic redraw ----
  void SetInInterruptViewList(UInt32 intervalTicks);
  void RemoveFromInterruptViewList();
  UInt32 GetInterruptInterval() const { return periodicInterval_; }

  // ---- Update notification: called after each window update while the view is visible ----
  void SetupNotifyUpdateEventCB(tSpViewNotifyProcPtr proc, unsigned long refCon);
  void ExecNotifyUpdateEvent();

  // Marks the whole view and, with drawNow and a visible window, redraws the window's
  // waiting views at once (periodic: with their InterruptDraw).
  void DrawView(unsigned char drawNow, unsigned char periodic);

  // ==== Drawing and compositing (SpViewClassDrawing.cpp) ====
  // Paints the pending region into the offscreen (own or holder's), then the items that draw
  // in it. 0 when nothing was drawn.
  unsigned char DrawOffscreen(unsigned char periodic);
  // Copies the own offscreen to the view's visible area on the window.
  unsigned char PutPictureOnWindowFromOffscreen();
  // The window's waiting views painted, every offscreen copied, the notifications run.
  void ReDrawAreaUpdateView(unsigned char periodic);
  // Copies this view's visible area to the window at once (redrawing first when asked),
  // then, with withUpperViews, the views painted above it where they overlap.
  void UpdateViewableDrawingArea(unsigned char redrawOffscreens, unsigned char withUpperViews,
                                 RgnHandle mask);
  // Draws the content into the current port: content point (h, v) at the area's top-left,
  // clipped to the area (and clip when given). 0 when nothing was drawn.
  unsigned char DrawOnCurrentPort(unsigned char periodic, const Rect& area,
                                  unsigned char paintBackground, short h, short v, RgnHandle clip,
                                  unsigned char unused = 0);
  // A new GWorld holding the content (of the area, or of the whole content); the caller owns
  // it. 0 when it cannot be made.
  unsigned char GetImageOffscreen(const Rect* area, unsigned char paint, const RGBColor* colour,
                                  unsigned char unused, SInt32 depth, GWorldPtr& world,
                                  Rect& bounds);
  // Builds in target what lies under the view (the back colour and the views painted before
  // it). 1 when the view owns an offscreen, 0 on the holder's path or a failure.
  unsigned char DrawBackgoundToTargetPort(GWorldPtr target, const Rect* size, RgnHandle work,
                                          RgnHandle mask);
  // Frame animation in the view's offscreen, a frame every frameTicks ticks until the frame
  // procedure answers non-zero.
  void AnimationDrawing(RgnHandle restoreArea, UInt32 frameTicks, unsigned long refCon,
                        tSpAnimationFrameProcPtr frameProc);
  // A fade: the transmit rate from `from` to `to` in steps of `step`, a frame each.
  void AnimationDrawingByTransmitRateChange(RgnHandle area, UInt32 frameTicks, float from,
                                            float to, float step,
                                            unsigned char redrawContentEachFrame,
                                            unsigned char backgroundUnderContent);
  // What an animation needs of the offscreen the view draws in. Each out-pointer but drawRgn
  // may be null.
  unsigned char GetAnimationDrawOffscreenInfo(cSp_View** holder, Rect* rectInHolder,
                                              GWorldPtr* world, RgnHandle drawRgn, Rect* bounds,
                                              Point* origin);
  // Direct drawing into the own offscreen between the two; the result reaches the window by
  // the next update.
  unsigned char BeginDraw();
  void EndDraw();
  // Paints the translucent image with the window's back colour.
  void ViewClear();

  // ==== Offscreens and translucency (SpViewClassOffscreen.cpp) ====
  void TransmitViewTurnOn(tTransmitType type, float rate, unsigned char redraw,
                          RgnHandle unused = nullptr);
  void TransmitViewTurnOnFromOff(unsigned char redraw);
  void TransmitViewTurnOff(unsigned char disposeOffscreens, unsigned char redraw);
  // 0 when the rate is unchanged.
  unsigned char SetupTransmitViewRate(float rate, unsigned char redraw);
  void SetupUnderViewImageOffFlag(unsigned char off, unsigned char redraw);
  void SetupOffscreenAreaAttribute();
  void SetupOffscreen(unsigned char force);
  void SetupNormalOffscreen(unsigned char force);
  void DisposeNormalOffscreen();
  void SetupTransmitViewOffscreen(unsigned char force);
  void SetupTransmitViewRateOnTransmitRateOffscreen();
  void DisposeTransmitViewOffscreen();
  // The offscreen the view draws in (own or holder's); null without one.
  GWorldPtr GetTargetOffscreenGWorld() const;
  // The visible content in the holder's offscreen coordinates: 0, or paramErr with
  // (0, 0, 0, 0) when nothing of it is visible.
  OSErr GetOffscreenAreaOnOffscreen(Rect& out);
  void GetOffscreenArea(Rect* out) const { *out = offscreenArea_; }

  // ==== Coordinates (SpViewClassPosition.cpp) ====
  // The whole area on the window, not cut by the containers.
  void GetDrawingAreaOnWindow(Rect* out) const;
  // The part of the area visible through every container, on the window; 0 when none.
  unsigned char GetViewableDrawingAreaOnWindow(Rect& out) const;
  // The visible region on the window, optionally in the view's own shape and without what
  // the views painted above it cover.
  unsigned char GetViewableDrawingAreaRgnOnWindow(RgnHandle out, unsigned char applyOwnShape,
                                                  unsigned char cutByOverlying);
  unsigned char VisibleOnWindow() const;
  // A content rectangle cut to this view's visible content and its containers'; out in
  // window coordinates; 0 and (0, 0, 0, 0) when nothing is left.
  unsigned char CutOffscreenRectByViewArea(const Rect& rectInContent, Rect& out) const;
  // The region form: out stays in this view's content coordinates.
  unsigned char CutOffscreenRgnByViewArea(RgnHandle in, RgnHandle work, RgnHandle out) const;
  // The visible part of a content rectangle, in this view's content coordinates.
  unsigned char VisibleOffscreenRectOnWindow(const Rect& rectInContent, Rect& out) const;
  // A region of the area frame (relative to the view's top-left) cut to what is visible
  // through the containers.
  unsigned char ViewAreaRgnCutToVisibleViewAreaRgn(RgnHandle in, RgnHandle out) const;
  unsigned char OffscreenRectToUpperContainerOffscreenRect(const cSp_View* upper, const Rect& in,
                                                           Rect& inUpper, Rect& visibleInUpper,
                                                           Rect& upperContent) const;
  void OffscreenAreaToOnWindowArea(const Rect& in, Rect& out) const;
  void OffscreenPositToOnWindowPosit(Point in, Point& out) const;
  unsigned char OffscreenRgnToOnWindowRgn(RgnHandle in, RgnHandle out) const;
  void OnWindowRectToOffscreenRect(const Rect& in, Rect& out) const;
  void OnWindowPositToOffscreenPosit(Point in, Point& out) const;
  unsigned char OnWindowRgnToOffscreenRgn(RgnHandle in, RgnHandle out) const;
  void ViewAreaToWindowArea(const Rect& in, Rect& out) const;
  unsigned char ViewAreaRgnToOnWindowRgn(RgnHandle in, RgnHandle out) const;
  unsigned char OnWindowRgnToViewAreaRgn(RgnHandle in, RgnHandle out) const;
  unsigned char ViewAreaRgnToOffscreenRgn(RgnHandle in, RgnHandle out) const;
  void ImmediatePositionToOnWindowPosition(Point in, Point& out) const;
  void OnWindowPositionToImmediatePosition(Point in, Point& out) const;
  void OffscreenAreaToTopContainerOffscreenArea(const Rect& in, Rect& out) const;
  void OffscreenPositToTopContainerOffscreenPosit(Point in, Point& out) const;
  void OnWindowAreaToGlobalArea(const Rect& in, Rect& out) const;
  void OnWindowPositToGlobalPosit(Point in, Point& out) const;
  void GlobalAreaToOnWindowArea(const Rect& in, Rect& out) const;
  void GlobalPositToOnWindowPosit(Point in, Point& out) const;

  // ==== Scrolling (SpViewClassScroll.cpp) ====
  // The content is at least the view's size; the scroll value (the content point shown at the
  // view's top-left) runs from 0 to content - view on each axis. A direction scrolls only
  // while it is enabled, which it can be only while the content is larger than the view.

  // Makes a bar of its own for each rectangle given (letting go of the bar it had in that
  // direction), attaches to it and enables the direction. Both null: a failure.
  void SetupViewScrollAtAutoSetup(const Rect* hBar, const Rect* vBar);
  // Attaches to a bar that other views may share (type 1 horizontal, any other vertical),
  // letting go of another bar it had there. A null bar does nothing.
  void SetupViewScrollBar(tScrollBarType type, cScrollBarObj* scrollBar);
  cScrollBarObj* GetViewScrollBarPtr(tScrollBarType type) const;
  // Sets the content size (a negative value leaves that side) and brings the scroll value
  // into range; the bars of the changed sides follow.
  void SetupViewScrollArea(short width, short height, unsigned char redraw,
                           unsigned char notify);
  void NotificationModifyToScrollBar(tScrollBarType type);
  void GetViewScrollArea(short& width, short& height) const;
  // Either pointer may be null.
  void GetViewMaxScrollValue(short* h, short* v) const;
  // Scrolls by (dh, dv); a step past an end is cut to it with clamp set, else nothing
  // scrolls. The steps taken come back in dh and dv; 1 when it scrolled. A step of up to two
  // thirds of the view shifts the image and redraws the strips it uncovered; a longer one,
  // and a translucent view or one showing the views under it, redraws the whole view.
  unsigned char ScrollView(short& dh, short& dv, unsigned char clamp, unsigned char syncBars,
                           unsigned char redrawNow, unsigned char notify);
  // Scrolls to (h, v); a negative value or a disabled direction leaves that axis, and a value
  // past the maximum too unless clampPastMax (then it ends at the maximum).
  unsigned char SetScrollValue(short& h, short& v, unsigned char clampPastMax,
                               unsigned char syncBars, unsigned char redrawNow,
                               unsigned char notify);
  void GetScrollValue(short& h, short& v) const {
    h = scrollH_;
    v = scrollV_;
  }
  // The image of the content rows [top, bottom) moves down by dv (up when negative) in the
  // view's own offscreen, as when the content there moved without changing; the rows the move
  // uncovers are marked, and so is what was marked already and moved with it. False, with
  // nothing done, when the image cannot simply move (the view is translucent or shows views
  // under it there, draws in a container's offscreen or holds views): the caller then marks
  // the rows.
  bool ShiftContentRows(short top, short bottom, short dv);
  // Re-derives the enabled directions and brings the scroll value back into range; 1 when it
  // had to move.
  unsigned char ModifyScrollValue(unsigned char syncBars, unsigned char unused,
                                  unsigned char redrawNow, unsigned char notify);
  unsigned char IsEnableViewScroll(tScrollBarType type) const;
  void EnableViewScroll(tScrollBarType type);
  void DisableViewScroll(tScrollBarType type);
  void VisibleViewScrollBar(tScrollBarType type);
  void InvisibleViewScrollBar(tScrollBarType type);
  // Scrolls the least that shows the target (content coordinates), then has the containers
  // scroll until it shows on the window. `target` comes back in the coordinates of the last
  // container asked; scrolled is set when any view scrolled.
  void ScrollForToShowTargetPosition(Rect& target, unsigned char& scrolled,
                                     unsigned char redraw);

  // ==== The tree, the layers and the lists (SpViewClassLink.cpp) ====
  unsigned char IsTopLayerInContainerItemList() const { return siblings_.next == nullptr; }
  // 1 + the siblings below it.
  SInt32 GetContainerItemRankNo() const;
  SInt32 GetContainerItemMaxRankNoInContainerItemList() const;
  cSp_View* GetContainerView() const { return container_; }
  cSp_View* GetContainerItemListHead() const { return itemHead_; }
  cSp_View* GetContainerItemListLast() const { return itemLast_; }
  // Makes item a contained view of this one, on top (an item already here moves to the top).
  void PutOnTopLayerContainerItem(cSp_View* item, unsigned char drawInContainerOffscreen);
  unsigned char MoveTopLayerInContianerItemList(unsigned char redraw, unsigned char notifyOthers,
                                                unsigned char notifySelf);
  // Rank 0 is the bottom, a negative rank or one past the count the top.
  unsigned char MoveTargetLayerInContainerItemList(SInt32 rank, unsigned char redraw,
                                                   unsigned char notifyOthers,
                                                   unsigned char notifySelf);
  void ExecChangedContainerItemLayerRankNoNotifyProc(SInt32 oldRankNo,
                                                     unsigned char notifyFollowing);
  void LinkOffContainerItemList(cSp_View* item);
  // Places the view in the drawing list after the view painted before it that owns an
  // offscreen.
  void ResetDrawingItemLinkFromContainerViewLink(unsigned char isNew);
  unsigned char SetupDrawingListNextOnUpperDrawingView(cSp_View* view);
  // Moves the run of the subtree's offscreen owners in the drawing list to the place the
  // subtree now has in the painting order.
  void ResetSubtreeDrawingItemLink();

  // The four intrusive lists: link-to-next inserts a chain (to its last) right after this
  // view; unlink-next cuts the next one out and returns it.
  void LinkToInterruptItemNext(cSp_View* chain);
  cSp_View* UnlinkInterruptItemNext();
  cSp_View* GetInterruptItemBeforeObjectPtr() const { return periodicLinks_.before; }
  cSp_View* GetInterruptItemNextObjectPtr() const { return periodicLinks_.next; }
  cSp_View* GetInterruptItemLastObjectPtr();
  unsigned char SerchTargetViewOnInterruptItemLinkList(const cSp_View* view);
  void LinkToViewWindowItemNext(cSp_View* chain);
  cSp_View* UnlinkViewWindowItemNext();
  cSp_View* GetViewWindowItemBeforeObjectPtr() const { return windowLinks_.before; }
  cSp_View* GetViewWindowItemNextObjectPtr() const { return windowLinks_.next; }
  cSp_View* GetViewWindowItemLastObjectPtr();
  // Every view of the inserted chain takes this view's container.
  void LinkToContainerItemListItemNext(cSp_View* chain);
  cSp_View* UnlinkContainerItemListItemNext();
  cSp_View* GetContainerItemListItemBeforeObjectPtr() const { return siblings_.before; }
  cSp_View* GetContainerItemListItemNextObjectPtr() const { return siblings_.next; }
  cSp_View* GetContainerItemListItemLastObjectPtr();
  void LinkToDrawingListItemNext(cSp_View* chain);
  cSp_View* UnlinkDrawingListNext();
  cSp_View* GetDrawingListBeforeObjectPtr() const { return drawingLinks_.before; }
  cSp_View* GetDrawingListNextObjectPtr() const { return drawingLinks_.next; }
  cSp_View* GetDrawingListLastObjectPtr();

 protected:
  // The scroll value: the content point shown at the view's top-left.
  short scrollH_ = 0;
  short scrollV_ = 0;
  // The scrollable content size; the view's own size at construction.
  short contentWidth_ = 0;
  short contentHeight_ = 0;
  unsigned char hScrollEnabled_ = 0;
  unsigned char vScrollEnabled_ = 0;
  // Each holds at most one attached scroll bar.
  cSp_uLongCollection hScrollBars_;
  cSp_uLongCollection vScrollBars_;

 private:
  friend class cSp_ViewWindow;
  friend struct sp_view_detail::Fields;
  friend void Sp_InterruptDrawView();

  // Painting order: the next view, or (skipping this subtree) the next after the subtree.
  cSp_View* NextInPaintingOrder() const;
  cSp_View* NextAfterSubtree() const;
  // The next view of the subtree of `root` after this one; null past its end.
  cSp_View* NextInSubtree(const cSp_View* root) const;
  // The nearest view before this one in painting order that owns an offscreen.
  cSp_View* PreviousOffscreenOwner() const;
  // The view itself when it owns an offscreen, else its holder.
  cSp_View* ImageHolder() const;
  // The content shown: the scroll value and the view's size.
  Rect VisibleContent() const;
  // What content coordinates add to become window coordinates.
  Point ContentToWindowOffset() const;
  // The width and height of the area.
  short Width() const { return short(area_.right - area_.left); }
  short Height() const { return short(area_.bottom - area_.top); }
  // Marks the whole view and redraws the window when asked (after a layer move).
  void MarkAfterLayerMove(unsigned char redraw);
  // Marks, in every view painted at or above this one's image holder, the part of `r` (window
  // coordinates) that it shows.
  void MarkViewsAbove(const Rect& r);
  void MarkViewsAbove(RgnHandle rgn, RgnHandle scratch);
  // The same for a region, over every view painted from this one on.
  void MarkViewsFrom(RgnHandle rgn, RgnHandle scratch);
  // Takes this view (and the chain after it) out of the sibling list it is in.
  void LeaveSiblingList();
  // Tells every contained view of the subtree of the container change.
  unsigned char TellItemsBefore(short dh, short dv, short dWidth, short dHeight, bool moved,
                                bool resized);
  void TellItemsAfter(short dh, short dv, short dWidth, short dHeight, bool moved, bool resized);
  void HandItemsOver();
  void NotifyLayerMove(cSp_View* head, SInt32 from, SInt32 to, unsigned char notifyOthers,
                       unsigned char notifySelf);

  // Drawing helpers (SpViewClassDrawing.cpp).
  enum class PaintKind { kContent, kInterrupt, kBackground };
  // The pending region in content coordinates, cut to what the containers show, and the
  // origin that puts the content at its place in the offscreen it draws in. False when
  // nothing is left to draw.
  bool PendingRegion(RgnHandle r, Point* origin) const;
  // Scrolling helpers (SpViewClassScroll.cpp).
  cSp_uLongCollection& ScrollBars(tScrollBarType type) {
    return type == kSpHorizontalScrollBar ? hScrollBars_ : vScrollBars_;
  }
  // Lets go of the bar kept for the direction (when there is one) and empties the collection.
  void ReleaseScrollBar(tScrollBarType type);
  // Shifts the image by (dh, dv) and marks what the shift uncovered.
  void ShiftImage(short dh, short dv);
  // Whether the image of the views painted under this one (or a translucent blend) goes into
  // its pixels in `onWindow`: then they cannot move without being painted again.
  bool ImageUnderShowsIn(const Rect& onWindow) const;
  // Marks, in every view painted after this one, the part of `onWindow` that it shows.
  void MarkViewsPaintedAbove(const Rect& onWindow);
  // Every contained view, at any depth in painting order, is told of a scroll.
  void TellItemsOfScroll(bool after, short dh, short dv);

  // Calls the content operation in the port (null: the current one) with the origin and clip
  // set, the text style, colour and origin restored afterwards.
  unsigned char PaintInPort(CGrafPtr port, Point origin, RgnHandle clip, PaintKind kind);
  PaintKind ContentKind(bool periodic) const {
    return periodic ? PaintKind::kInterrupt : PaintKind::kContent;
  }
  void DrawContent(GWorldPtr destination, Point origin, RgnHandle r, bool periodic);
  void BlendTranslucent(GWorldPtr destination, Point origin, RgnHandle r, bool periodic);
  void DrawItemsInOffscreen(RgnHandle windowRgn, bool periodic);
  // The rectangle the view's pixels take in the offscreen it draws in, for that origin.
  Rect PixelsAt(Point origin) const;
  // A region of the content cut to what the containers show; false when nothing is left.
  bool CutContentRgnToVisible(RgnHandle r) const;
  // The offscreen an animation draws in, its origin and the visible part to draw; false when
  // nothing of the view can be drawn.
  bool AnimationTarget(RgnHandle drawRgn, GWorldPtr* world, Point* origin);
  // What lies under the view, in a new GWorld as large as `world`'s pixels; null when it
  // cannot be made.
  GWorldPtr NewBackgroundSnapshot(GWorldPtr world, Point origin);
  // Copies the visible part of the view from the offscreen it draws in to the window.
  void CopyVisibleToWindow(GWorldPtr world, Point origin, RgnHandle maskInContent);

  unsigned char outputEnabled_ = 1;
  unsigned char waitRedraw_ = 1;
  Rect area_{0, 0, 0, 0};
  unsigned char translucent_ = 0;
  unsigned char underViewImageOff_ = 0;
  unsigned char inPeriodicList_ = 0;
  unsigned char drawsInContainerOffscreen_ = 0;
  SInt32 offscreenDepth_ = 32;
  GWorldPtr offscreen_ = nullptr;
  GWorldPtr transmitOffscreen_ = nullptr;
  GWorldPtr transmitRateOffscreen_ = nullptr;
  Rect transmitArea_{0, 0, 0, 0};
  tTransmitType transmitType_ = 0;
  float transmitRate_ = 80.0f;
  RgnHandle clipRgn_ = nullptr;
  PixMapHandle lockedPixMaps_[3] = {nullptr, nullptr, nullptr};
  cSp_ViewWindow* viewWindow_ = nullptr;
  sSpLinks<cSp_View> periodicLinks_;
  sSpLinks<cSp_View> windowLinks_;
  cSp_View* container_ = nullptr;
  sSpLinks<cSp_View> siblings_;
  cSp_View* itemHead_ = nullptr;
  cSp_View* itemLast_ = nullptr;
  sSpLinks<cSp_View> drawingLinks_;
  tSpViewNotifyProcPtr notifyProc_ = nullptr;
  unsigned long notifyRefCon_ = 0;
  unsigned char deleteReadyDone_ = 0;
  Rect offscreenArea_{0, 0, 0, 0};
  unsigned char contentNotDrawn_ = 0;
  UInt32 periodicInterval_ = 0;
  UInt32 lastPeriodicDraw_ = 0;
};

// ---- The views' share of the event loop ----

// The update of a window with views: its waiting views are painted and every offscreen is
// copied to it. Nothing for a null window or one without an open view window.
void Sp_RedrawViewForUpdateEvent(WindowRef window);
// The immediate redraw after the program's own changes (UpdateWindow of the view window when
// there is one), then the window's port is flushed. Nothing for a null window.
void Sp_RedrawViewWindow(WindowRef window, unsigned char flag);
// The periodic pass: every periodic view of a visible window whose interval has passed is
// redrawn with its InterruptDraw.
void Sp_InterruptDrawView();
// The views' share of the mouse-move work: Sp_MouseDownMouseTrace.
void Sp_ViewManagerMouseMoveEventProcedure();
