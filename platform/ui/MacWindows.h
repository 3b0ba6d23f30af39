// Window Manager: the windows of the application, front to back.
//
// How it works here:
// - Windows are kept in one list, front to back, whether visible or not. The list has layers,
//   front to back: help and overlay windows; alerts and modal windows; floating, utility and
//   toolbar windows; every other class (documents, plain windows, sheets, drawers). A window
//   never leaves its layer: "front" and "back" in SelectWindow, BringToFront, SendBehind and
//   the `behind` argument of NewCWindow mean the front and back of the window's layer. Hiding
//   or showing a window does not move it.
// - A window's bounds are global (screen) coordinates. The content rectangle is the window's
//   port: local (0, 0) is the content's top-left corner until SetOrigin moves it. Windows of
//   the classes that have a title bar (document, floating, utility, toolbar, movable modal,
//   movable alert) have a strip of kSpWindowTitleBarHeight pixels above the content; their
//   structure is the content and that strip. Other classes have no frame: their structure is
//   their content.
// - The parts of a window (FindWindow, GetWindowRegion), in global coordinates, with C the
//   content rectangle and T the title strip {C.top - 22, C.left, C.top, C.right}:
//     close box (inGoAway)     windows with kWindowCloseBoxAttribute and a title strip: the
//                              16 x 16 square 3 pixels below T's top, 6 pixels from its left
//     zoom box (inZoomOut, or  windows with a zoom attribute and a title strip: the 16 x 16
//       inZoomIn when zoomed)  square 3 pixels below T's top, 6 pixels from its right
//     title strip (inDrag)     the rest of T
//     grow box (inGrow)        windows with kWindowResizableAttribute: the 15 x 15 square at
//                              C's bottom-right corner, inside the content
//     content (inContent)      the rest of C
//   FindWindow also knows the menu-bar strip (the top GetMBarHeight() pixels of the main
//   screen, in front of every window) and the desk; it looks at visible windows only,
//   front-most first.
// - Hiliting: the front visible window of each layer is hilited. SelectWindow hilites the
//   window and unhilites the one that was in front of its layer; ShowWindow, HideWindow,
//   SendBehind and DisposeWindow pass the hilite on when they change which window is in front
//   of a layer; BringToFront and ShowHide leave hiliting alone, and HiliteWindow sets it.
// - The active window is the front-most visible window that is neither floating (floating,
//   utility, toolbar) nor a help or overlay window (FrontNonFloatingWindow). When it changes,
//   the event loop sends {'wind', 6} (deactivated) to the window that stopped being active
//   and then {'wind', 5} (activated) to the new one, on its next pass, as the toolbox's
//   activate events came. A window disposed of gets no deactivation.
// - Every window has an event target whose parent is the application's target, so events
//   the window's handlers leave unhandled go on to the application. GetWindowEventTarget
//   (declared with the Carbon Event Manager) answers it. The window events the layer sends
//   carry the window as their direct object ('----', typeWindowRef).
// - Drawing: each window's content is a buffer of pixels that keeps its image whether the
//   window is shown, hidden or covered; nothing of the frame is drawn. A window keeps an
//   update region (see Update regions below); the event loop sends {'wind', 1} (update) to
//   a visible window whose update region is not empty, once for each change of that region.
//   A new window starts with nothing to redraw (its pixels are white). A dialog window
//   (kDialogWindowKind) that comes into sight (ShowWindow, ShowHide, ShowSheetWindow) gets
//   its whole content added to its update region, so that its items are drawn at the next
//   pass whoever made it visible; other windows show what their buffers hold.
// - Standard handling, for windows with kWindowStandardHandlerAttribute, of what their
//   handlers and the application's leave unhandled: a press in the close box is tracked and,
//   released inside, sends {'wind', 72} (close request; nothing more: the window is not
//   disposed of, and {'wind', 73} is never sent); in the zoom box {'wind', 75}, then ZoomWindow
//   when nobody took it; in the title strip the window is selected (not with Command) and
//   follows the mouse, then {'wind', 31}; in the grow box it is resized within its limits with
//   {'wind', 26} for each movement (the 'crct' its handlers leave is taken), then {'wind', 29};
//   in the content of a window behind another of its layer {'wind', 7} asks how to take the
//   click ('clac'; by default the window comes forward and the click goes on). An update
//   nobody took draws through {'wind', 2} between BeginUpdate and EndUpdate.
//
// Calls check their window first: a null window, or one that was disposed of, is refused
// (errInvalidWindowPtr for calls with a result, nothing for the others).
#pragma once

#include <cstdint>

#include "MacTypes.h"
#include "QuickDraw.h"

typedef std::intptr_t SRefCon;  // carries object pointers: pointer-sized

typedef UInt32 WindowClass;
enum : WindowClass {
  kAlertWindowClass = 1,
  kMovableAlertWindowClass = 2,
  kModalWindowClass = 3,
  kMovableModalWindowClass = 4,
  kFloatingWindowClass = 5,
  kDocumentWindowClass = 6,
  kUtilityWindowClass = 8,
  kHelpWindowClass = 10,
  kSheetWindowClass = 11,
  kToolbarWindowClass = 12,
  kPlainWindowClass = 13,
  kOverlayWindowClass = 14,
  kSheetAlertWindowClass = 15,
  kAltPlainWindowClass = 16,
  kDrawerWindowClass = 20,
  kAllWindowClasses = 0xFFFFFFFFu,
};

typedef UInt32 WindowAttributes;
enum : WindowAttributes {
  kWindowNoAttributes = 0,
  kWindowCloseBoxAttribute = 1u << 0,
  kWindowHorizontalZoomAttribute = 1u << 1,
  kWindowVerticalZoomAttribute = 1u << 2,
  kWindowFullZoomAttribute = kWindowHorizontalZoomAttribute | kWindowVerticalZoomAttribute,
  kWindowCollapseBoxAttribute = 1u << 3,
  kWindowResizableAttribute = 1u << 4,
  kWindowSideTitlebarAttribute = 1u << 5,
  kWindowToolbarButtonAttribute = 1u << 6,
  kWindowMetalAttribute = 1u << 8,
  kWindowNoUpdatesAttribute = 1u << 16,  // accepted and ignored: updates always come
  kWindowNoActivatesAttribute = 1u << 17,
  kWindowOpaqueForEventsAttribute = 1u << 18,
  kWindowCompositingAttribute = 1u << 19,
  kWindowNoShadowAttribute = 1u << 21,
  kWindowHideOnSuspendAttribute = 1u << 24,
  kWindowStandardHandlerAttribute = 1u << 25,
  kWindowHideOnFullScreenAttribute = 1u << 26,
  kWindowInWindowMenuAttribute = 1u << 27,
  kWindowLiveResizeAttribute = 1u << 28,  // resizing with the mouse resizes as it goes
  kWindowIgnoreClicksAttribute = 1u << 29,
  kWindowNoConstrainAttribute = 1u << 31,
  kWindowStandardDocumentAttributes = kWindowCloseBoxAttribute | kWindowFullZoomAttribute |
                                      kWindowCollapseBoxAttribute | kWindowResizableAttribute,
  kWindowStandardFloatingAttributes = kWindowCloseBoxAttribute | kWindowCollapseBoxAttribute,
};

typedef UInt16 WindowRegionCode;
enum : WindowRegionCode {
  kWindowTitleBarRgn = 0,
  kWindowTitleTextRgn = 1,
  kWindowCloseBoxRgn = 2,
  kWindowZoomBoxRgn = 3,
  kWindowDragRgn = 5,
  kWindowGrowRgn = 6,
  kWindowCollapseBoxRgn = 7,
  kWindowStructureRgn = 32,
  kWindowContentRgn = 33,
  kWindowUpdateRgn = 34,
  kWindowOpaqueRgn = 35,
  kWindowGlobalPortRgn = 40,
};

typedef SInt16 WindowPartCode;
enum : WindowPartCode {
  inDesk = 0,
  inNoWindow = 0,
  inMenuBar = 1,
  inSysWindow = 2,
  inContent = 3,
  inDrag = 4,
  inGrow = 5,
  inGoAway = 6,
  inZoomIn = 7,
  inZoomOut = 8,
  inCollapseBox = 11,
  inProxyIcon = 12,
};

// Window definition numbers of NewCWindow: the classic ones and the appearance ones.
enum : SInt16 {
  documentProc = 0,
  dBoxProc = 1,
  plainDBox = 2,
  altDBoxProc = 3,
  noGrowDocProc = 4,
  movableDBoxProc = 5,
  zoomDocProc = 8,
  zoomNoGrow = 12,
  floatProc = 1985,
  floatGrowProc = 1987,
  floatZoomProc = 1989,
  floatZoomGrowProc = 1991,
  floatSideProc = 1993,
  floatSideGrowProc = 1995,
  floatSideZoomProc = 1997,
  floatSideZoomGrowProc = 1999,
  kWindowDocumentProc = 1024,
  kWindowGrowDocumentProc = 1025,
  kWindowVertZoomDocumentProc = 1026,
  kWindowVertZoomGrowDocumentProc = 1027,
  kWindowHorizZoomDocumentProc = 1028,
  kWindowHorizZoomGrowDocumentProc = 1029,
  kWindowFullZoomDocumentProc = 1030,
  kWindowFullZoomGrowDocumentProc = 1031,
  kWindowPlainDialogProc = 1040,
  kWindowShadowDialogProc = 1041,
  kWindowModalDialogProc = 1042,
  kWindowMovableModalDialogProc = 1043,
  kWindowAlertProc = 1044,
  kWindowMovableAlertProc = 1045,
  kWindowMovableModalGrowProc = 1046,
  kWindowFloatProc = 1057,
  kWindowFloatGrowProc = 1059,
  kWindowFloatVertZoomProc = 1061,
  kWindowFloatVertZoomGrowProc = 1063,
  kWindowFloatHorizZoomProc = 1065,
  kWindowFloatHorizZoomGrowProc = 1067,
  kWindowFloatFullZoomProc = 1069,
  kWindowFloatFullZoomGrowProc = 1071,
  kWindowSheetProc = 1088,
  kWindowSimpleProc = 1104,
  kWindowSimpleFrameProc = 1105,
};

// Window kinds.
enum : SInt16 {
  kDialogWindowKind = 2,
  kApplicationWindowKind = 8,
  dialogKind = 2,
  userKind = 8,
};

enum : OSStatus {
  errInvalidWindowPtr = -5600,
  errInvalidWindowProperty = -5603,
  errWindowPropertyNotFound = -5604,
  errUnrecognizedWindowClass = -5605,
  errWindowRegionCodeInvalid = -30593,
};

// Height of the title strip above the content of the classes that have a title bar; the
// sizes and insets of the boxes (see the parts of a window at the top of this file).
enum : SInt16 {
  kSpWindowTitleBarHeight = 22,
  kSpWindowTitleBoxSize = 16,
  kSpWindowTitleBoxTop = 3,
  kSpWindowTitleBoxSide = 6,
  kSpWindowGrowBoxSize = 15,
};

// `behind` of NewCWindow: in front of every window of its layer.
#define kFirstWindowOfClass (reinterpret_cast<WindowRef>(-1))
#define kLastWindowOfClass (static_cast<WindowRef>(nullptr))

// A new window whose content is `boundsRect` (global coordinates), of the class its
// definition number gives, with the title (MacJapanese, at most 255 bytes), placed behind
// `behind`: (WindowRef)-1 puts it in front of its layer, null at the back of its layer.
// `goAwayFlag` gives it a close box. Its kind is kApplicationWindowKind. `wStorage` is not
// used: the layer always makes the record. Null when memory runs out or `boundsRect` is null.
WindowRef NewCWindow(void* wStorage, const Rect* boundsRect, ConstStr255Param title,
                     Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                     SRefCon refCon);
// A new hidden window of the class with these attributes, whose content is `contentBounds`,
// in front of its layer. paramErr for a null argument, errUnrecognizedWindowClass for an
// unknown class, memFullErr when memory runs out (*outWindow is then null).
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow);
// Takes the window out of the list and frees it with its port and event target. When its
// port was the current port the screen's port becomes current.
void DisposeWindow(WindowRef window);
Boolean IsValidWindowPtr(WindowRef window);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
void ShowHide(WindowRef window, Boolean showFlag);
Boolean IsWindowVisible(WindowRef window);

// SelectWindow and BringToFront move the window to the front of its layer; SendBehind puts it
// directly behind `behindWindow`, or at the back of its layer when that is null. A
// `behindWindow` of a layer in front of the window's puts it at the front of its own layer,
// one of a layer behind it at the back.
void SelectWindow(WindowRef window);
void BringToFront(WindowRef window);
void SendBehind(WindowRef window, WindowRef behindWindow);
// The front-most visible window (of any layer); null when none is visible.
WindowRef FrontWindow();
// The front-most visible window that is neither floating (floating, utility, toolbar) nor a
// help or overlay window.
WindowRef FrontNonFloatingWindow();
// The window behind this one in the list, visible or not; null at the end.
WindowRef GetNextWindow(WindowRef window);
// The first window behind this one of the class (kAllWindowClasses: any), visible when asked.
WindowRef GetNextWindowOfClass(WindowRef inWindow, WindowClass inWindowClass,
                               Boolean mustBeVisible);

// The part of the screen under a global point, and the window there (null for the desk and
// the menu bar). `window` may be null.
WindowPartCode FindWindow(Point thePoint, WindowRef* window);

// Content (kWindowContentRgn, kWindowGlobalPortRgn) or structure (kWindowStructureRgn)
// rectangle in global coordinates. Other codes: errWindowRegionCodeInvalid.
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds);
// Moves and sizes the window so that its content or structure is the rectangle; a negative
// width or height counts as 0. The strips the content gains are filled with the content
// colour and added to the update region.
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect* globalBounds);
// Puts the content's top-left corner at (hGlobal, vGlobal); `front` also selects the window.
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
// Gives the content this width and height; nothing when either is 0 or less. With `fUpdate`
// the strips the content gains are added to the update region. Either way they are filled
// with the content colour.
void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate);

SRefCon GetWRefCon(WindowRef window);
void SetWRefCon(WindowRef window, SRefCon data);
// The title, MacJapanese. GetWTitle of an invalid window gives the empty string.
void SetWTitle(WindowRef window, ConstStr255Param title);
void GetWTitle(WindowRef window, Str255 title);
// The window's kind; 0 for an invalid window.
SInt16 GetWindowKind(WindowRef window);
void SetWindowKind(WindowRef window, SInt16 kind);
OSStatus GetWindowClass(WindowRef window, WindowClass* outClass);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);
// Sets the attributes of `setTheseAttributes`, then clears those of `clearTheseAttributes`.
OSStatus ChangeWindowAttributes(WindowRef window, WindowAttributes setTheseAttributes,
                                WindowAttributes clearTheseAttributes);

// ---- Update regions ----
// Each window keeps the part of its content that waits to be redrawn. The rectangles and
// regions given here are in the window port's local coordinates (they follow its origin); the
// region is kept relative to the content's top-left corner, so it stays with the content when
// the port's origin or the window moves, and it never reaches outside the content. Results:
// errInvalidWindowPtr for a null or disposed window, paramErr for a null rectangle or region,
// memFullErr when the region cannot grow (it is then left as it was).

// Adds the rectangle (region) to the window's update region.
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds);
OSStatus InvalWindowRgn(WindowRef window, RgnHandle region);
// Takes the rectangle (region) out of the window's update region.
OSStatus ValidWindowRect(WindowRef window, const Rect* bounds);
OSStatus ValidWindowRgn(WindowRef window, RgnHandle region);

// Drawing inside an update: BeginUpdate limits the visible region of the window's port to the
// update region (so drawing reaches only what waits to be redrawn); EndUpdate gives the port
// its whole visible region back and takes out of the update region what BeginUpdate handed
// over (what was invalidated meanwhile outside that stays). The update region can still be
// read between the two (GetWindowRegion with kWindowUpdateRgn). Updates do not nest: a
// second BeginUpdate before EndUpdate does nothing, and EndUpdate without BeginUpdate does
// nothing.
void BeginUpdate(WindowRef window);
void EndUpdate(WindowRef window);

// ---- Windows from resources -----------------------------------------------------------------

// A window from the 'WIND' resource: content bounds (global), definition number, visibility,
// close box, reference value (32 bits) and title, as NewCWindow takes them, then the position
// word (see ApplyWindowPosition in detail/WindowPlacement.h). The resource's bytes are checked
// before use: null when it is missing or too short for its title. `wStorage` is not used.
WindowRef GetNewCWindow(SInt16 windowID, void* wStorage, WindowRef behind);

// ---- Order, hiliting, lists -----------------------------------------------------------------

void HiliteWindow(WindowRef window, Boolean fHilite);
Boolean IsWindowHilited(WindowRef window);
// The first window of the list (front-most, visible or not); null when there is none.
WindowRef GetWindowList();

// ---- Regions --------------------------------------------------------------------------------

// Makes `ioWinRgn` the region of the window (global coordinates): kWindowStructureRgn,
// kWindowOpaqueRgn (the structure), kWindowContentRgn, kWindowGlobalPortRgn (the content),
// kWindowUpdateRgn, kWindowTitleBarRgn (the title strip), kWindowTitleTextRgn (the strip less
// 28 pixels at each end, where boxes go), kWindowDragRgn (the strip less its boxes),
// kWindowCloseBoxRgn,
// kWindowZoomBoxRgn, kWindowGrowRgn, kWindowCollapseBoxRgn; a part the window does not have
// is the empty region. errInvalidWindowPtr, paramErr for a null region,
// errWindowRegionCodeInvalid for another code, memFullErr.
OSStatus GetWindowRegion(WindowRef window, WindowRegionCode inRegionCode, RgnHandle ioWinRgn);

// ---- Size limits and resizing by the user ---------------------------------------------------

typedef double CGFloat;
struct CGSize {
  CGFloat width;
  CGFloat height;
};
typedef CGSize HISize;

// The smallest and largest content the user may give the window with the mouse (the grow box,
// GrowWindow without a limits rectangle). Either pointer may be null to keep that limit.
// Values are rounded to whole pixels and kept between 1 and 32767; a maximum below the
// minimum is raised to it. Start: 32 x 32 to 32767 x 32767. SizeWindow and SetWindowBounds
// are not limited. errInvalidWindowPtr.
OSStatus SetWindowResizeLimits(WindowRef window, const HISize* inMinLimits,
                               const HISize* inMaxLimits);
OSStatus GetWindowResizeLimits(WindowRef window, HISize* outMinLimits, HISize* outMaxLimits);

// Attributes of {'wind', 26} bounds changing ('attr', typeUInt32).
enum : UInt32 {
  kWindowBoundsChangeUserDrag = 1u << 0,
  kWindowBoundsChangeUserResize = 1u << 1,
  kWindowBoundsChangeSizeChanged = 1u << 2,
  kWindowBoundsChangeOriginChanged = 1u << 3,
  kWindowBoundsChangeZoom = 1u << 4,
};

// ---- Interactive calls ----------------------------------------------------------------------
// Each follows the mouse from a press at `startPt` (global) until its release, taking the
// mouse events from the queue (TrackMouseLocation: timers keep running meanwhile); with no
// mouse input left to come it ends at the last known location.

// The content size the user chose by dragging from startPt: the current size plus the mouse's
// travel, kept within `bBox` (top: the least height, left: the least width, bottom and right:
// the greatest) or, when it is null, the window's resize limits. Answers the new height in the
// high 16 bits and the new width in the low 16 bits, or 0 when the size would not change. The
// window is not resized (SizeWindow does that).
SInt32 GrowWindow(WindowRef window, Point startPt, const Rect* bBox);
// Moves the window with the mouse: it follows each drag at once. The window is selected first
// unless the Command key is held (in the press's modifiers, else the live ones). The mouse
// is pinned to `boundsRect` (null: the main screen below the menu bar), and the title strip
// never goes above the menu bar.
void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect);
// True when the mouse is released inside the window's close box (zoom box for TrackBox).
Boolean TrackGoAway(WindowRef window, Point thePt);
Boolean TrackBox(WindowRef window, Point thePt, WindowPartCode partCode);
// inZoomOut: the content becomes the standard state, after the current content was kept as
// the user state; inZoomIn: the content becomes the user state. `front` also selects the
// window. Other part codes do nothing.
void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front);
// The content rectangles (global) of zooming in and out. Start: the user state is the content
// the window was made with; the standard state is the main screen below the menu bar, less
// the title strip and an inset of 4 pixels. paramErr for a null rectangle.
OSStatus SetWindowUserState(WindowRef window, const Rect* inUserState);
OSStatus GetWindowUserState(WindowRef window, Rect* outUserState);
OSStatus SetWindowStandardState(WindowRef window, const Rect* inStandardState);
OSStatus GetWindowStandardState(WindowRef window, Rect* outStandardState);

// Follows the mouse as DragWindow does, for an outline of `theRgn` (not drawn): the mouse is
// pinned to `limitRect` and moves only along the axis asked. Answers the travel, vertical in
// the high 16 bits and horizontal in the low 16 bits, or 0x80008000 when the release is
// outside `slopRect`. `actionProc` (may be null) runs after each movement.
typedef void (*DragGrayRgnProcPtr)();
typedef DragGrayRgnProcPtr DragGrayRgnUPP;
inline DragGrayRgnUPP NewDragGrayRgnUPP(DragGrayRgnProcPtr userRoutine) {
  return userRoutine;
}
inline void DisposeDragGrayRgnUPP(DragGrayRgnUPP) {}
enum : SInt16 { noConstraint = 0, hAxisOnly = 1, vAxisOnly = 2 };
SInt32 DragGrayRgn(RgnHandle theRgn, Point startPt, const Rect* limitRect, const Rect* slopRect,
                   SInt16 axis, DragGrayRgnUPP actionProc);

// Draws the grow box (the 15 x 15 square at the content's bottom-right corner) in the window's
// port, in the port's local coordinates and within its clip; nothing for a window that is
// not resizable. The current port is kept.
void DrawGrowIcon(WindowRef window);

// ---- Click activation ({'wind', 7}: 'clac', typeClickActivationResult) ----------------------
typedef UInt32 ClickActivationResult;
enum : ClickActivationResult {
  kDoNotActivateAndIgnoreClick = 0,
  kActivateAndIgnoreClick = 1,
  kDoNotActivateAndHandleClick = 2,
  kActivateAndHandleClick = 3,
};

// ---- Properties and content colour ----------------------------------------------------------

typedef OSType PropertyCreator;
typedef OSType PropertyTag;

// A copy of the bytes, kept with the window under (creator, tag) until it is removed or the
// window goes. paramErr for a null buffer with a size other than 0; memFullErr.
OSStatus SetWindowProperty(WindowRef window, PropertyCreator propertyCreator,
                           PropertyTag propertyTag, ByteCount propertySize,
                           const void* propertyBuffer);
// Copies at most bufferSize bytes of the property (actualSize, when given, gets its whole
// size). errWindowPropertyNotFound; paramErr for a null buffer with a size other than 0.
OSStatus GetWindowProperty(WindowRef window, PropertyCreator propertyCreator,
                           PropertyTag propertyTag, ByteCount bufferSize, ByteCount* actualSize,
                           void* propertyBuffer);
OSStatus GetWindowPropertySize(WindowRef window, PropertyCreator creator, PropertyTag tag,
                               ByteCount* size);
OSStatus RemoveWindowProperty(WindowRef window, PropertyCreator propertyCreator,
                              PropertyTag propertyTag);

// The colour of content the Window Manager uncovers: the new strips of a window whose content
// grows are filled with it (white at first). paramErr for a null colour.
OSStatus SetWindowContentColor(WindowRef window, const RGBColor* color);
OSStatus GetWindowContentColor(WindowRef window, RGBColor* color);

// ---- Sheets ---------------------------------------------------------------------------------
// A sheet (class kSheetWindowClass or kSheetAlertWindowClass) shown on its parent: placed with
// its top at the top of the parent's content, centred across it, put directly in front of the
// parent (in front of its layer when the parent is of another layer) and shown; it takes the
// hilite when that puts it in front of its layer. HideSheetWindow hides it (the hilite goes
// back to the window then in front) and detaches it from the parent; disposing of the parent
// detaches it too. errInvalidWindowPtr for an invalid sheet; paramErr for a window that is not
// a sheet or a parent that is not a window.
OSStatus ShowSheetWindow(WindowRef inSheet, WindowRef inParentWindow);
OSStatus HideSheetWindow(WindowRef inSheet);
// The parent of a shown sheet; null when it is not shown on one.
OSStatus GetSheetWindowParent(WindowRef inSheet, WindowRef* outParentWindow);
