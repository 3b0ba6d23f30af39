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
// - FindWindow knows the menu-bar strip (the top GetMBarHeight() pixels of the main screen),
//   the content (inContent) and the title strip (inDrag) of visible windows, front-most
//   first, and the desk.
// - Every window has an event target whose parent is the application's target, so events
//   the window's handlers leave unhandled go on to the application. GetWindowEventTarget
//   (declared with the Carbon Event Manager) answers it.
// - Nothing is drawn; each window keeps an update region (see Update regions below).
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
  kWindowNoUpdatesAttribute = 1u << 16,
  kWindowNoActivatesAttribute = 1u << 17,
  kWindowOpaqueForEventsAttribute = 1u << 18,
  kWindowCompositingAttribute = 1u << 19,
  kWindowNoShadowAttribute = 1u << 21,
  kWindowHideOnSuspendAttribute = 1u << 24,
  kWindowStandardHandlerAttribute = 1u << 25,
  kWindowHideOnFullScreenAttribute = 1u << 26,
  kWindowInWindowMenuAttribute = 1u << 27,
  kWindowLiveResizeAttribute = 1u << 28,
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
  errUnrecognizedWindowClass = -5604,
  errWindowRegionCodeInvalid = -30593,
};

// Height of the title strip above the content of the classes that have a title bar.
enum : SInt16 { kSpWindowTitleBarHeight = 22 };

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
// width or height counts as 0.
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect* globalBounds);
// Puts the content's top-left corner at (hGlobal, vGlobal); `front` also selects the window.
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
// Gives the content this width and height; nothing when either is 0 or less.
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
