// The window object's size and position, its size limits, growing, dragging and zooming,
// drawing its own parts on an update, and clicks in its content.
#include <algorithm>
#include <cstdlib>

#include "Controls.h"
#include "Events.h"
#include "Gestalt.h"
#include "MacWindows.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"
#include "SpMainEventLoop.h"
#include "SpMouseTraceWindowObj.h"
#include "SpPortSaver.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"
#include "SpWindowHandlers.h"

cSp_Window* mouseDownWindowObj_GlV = nullptr;

namespace {

const char kSource[] = "SpWindow";

// Growing without limits of the window's own keeps at least this size.
const short kDefaultMinHeight = 40;
const short kDefaultMinWidth = 30;

// The grow box at the content's bottom-right corner.
const short kGrowIconSize = 15;

// Live dragging moves the window only once the mouse is more than this far from the last
// point, so that a mouse held still does not keep moving it.
const short kDragSlop = 1;

// The Menu Manager's Aqua layout: a system on which windows are dragged live.
const SInt32 kAquaMenuLayoutBit = 0x2;

// A half of DragGrayRgn's answer when the release was outside the slop rectangle.
const SInt16 kDragOutsideSlop = -32768;

Rect ScreenRect() {
  Rect screen = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetScreenSize(&screen);
  return screen;
}

// A global rectangle in the current port's local coordinates.
Rect GlobalRectToLocal(const Rect& global) {
  Point topLeft = {global.top, global.left};
  Point bottomRight = {global.bottom, global.right};
  GlobalToLocal(&topLeft);
  GlobalToLocal(&bottomRight);
  Rect local;
  SetRect(&local, topLeft.h, topLeft.v, bottomRight.h, bottomRight.v);
  return local;
}

// The rectangle moved, and cut where it is larger, so that the window's content and its title
// strip above it lie on the screen below the menu bar, as the toolbox keeps zoomed windows.
Rect FitOnScreen(WindowRef window, const Rect& wanted) {
  Rect area = ScreenRect();
  Rect structure = {0, 0, 0, 0};
  Rect content = {0, 0, 0, 0};
  GetWindowBounds(window, kWindowStructureRgn, &structure);
  GetWindowBounds(window, kWindowContentRgn, &content);
  area.top = SInt16(area.top + (content.top - structure.top));
  const int width = std::min(wanted.right - wanted.left, area.right - area.left);
  const int height = std::min(wanted.bottom - wanted.top, area.bottom - area.top);
  int left = std::min<int>(wanted.left, area.right - width);
  int top = std::min<int>(wanted.top, area.bottom - height);
  left = std::max<int>(left, area.left);
  top = std::max<int>(top, area.top);
  Rect fitted;
  SetRect(&fitted, SInt16(left), SInt16(top), SInt16(left + width), SInt16(top + height));
  return fitted;
}

bool LiveDraggingWanted() {
  SInt32 menuAttributes = 0;
  if (Gestalt(gestaltMenuMgrAttr, &menuAttributes) == noErr &&
      (menuAttributes & kAquaMenuLayoutBit) != 0) {
    return true;
  }
  sSpModifiersDataStruct keys = {};
  Sp_GetModifiers(nullptr, &keys);
  return keys.optionFlag != 0;
}

}  // namespace

// ---- Size and position ----------------------------------------------------------------------

void cSp_Window::SetSize(short width, short height) {
  if (window_ == nullptr) return;
  if (width_ == width && height_ == height) return;
  height_ = height;
  width_ = width;
  SizeWindow(window_, width, height, true);
}

void cSp_Window::SetSize(Point size) {
  SetSize(size.h, size.v);
}

void cSp_Window::GetSize(short* width, short* height) {
  if (width == nullptr && height == nullptr) {
    SpReportFailure(kSource, "cSp_Window::GetSize", 1, kSpMsgNullArgument);
    return;
  }
  Rect area = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetWindowSize(window_, area);
  if (width != nullptr) *width = short(area.right - area.left);
  if (height != nullptr) *height = short(area.bottom - area.top);
}

void cSp_Window::GetLeftTopPositOnGlobal(short* left, short* top) {
  if (left == nullptr && top == nullptr) {
    SpReportFailure(kSource, "cSp_Window::GetLeftTopPositOnGlobal", 1, kSpMsgNullArgument);
    return;
  }
  Rect area = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetWindowSize(window_, area);
  if (left != nullptr) *left = area.left;
  if (top != nullptr) *top = area.top;
}

void cSp_Window::GetContentAreaOnGlobal(Rect& area) {
  Sp_ViewServices().Sp_GetWindowSize(window_, area);
}

void cSp_Window::SetMinSize(short width, short height) {
  // Systems before 10.2 cannot limit a window's size while the user resizes it.
  short major = 0;
  short minor = 0;
  Sp_GetSystemVersion(&major, &minor, nullptr);
  if (major <= 9 || (major == 10 && minor <= 1)) return;
  minSizeLimitFlag_ = 1;
  minWidth_ = width;
  minHeight_ = height;
  if (window_ != nullptr && width > 0 && height > 0) {
    const HISize minimum = {double(width), double(height)};
    SetWindowResizeLimits(window_, &minimum, nullptr);
  }
}

void cSp_Window::GetMinSize(short& width, short& height) const {
  width = minWidth_;
  height = minHeight_;
}

void cSp_Window::SetMaxSize(short width, short height) {
  maxWidth_ = width;
  maxHeight_ = height;
  if (window_ != nullptr) {
    // Each dimension is cut to its own limit; the other keeps its size.
    Rect area = {0, 0, 0, 0};
    Sp_ViewServices().Sp_GetWindowSize(window_, area);
    short newWidth = short(area.right - area.left);
    short newHeight = short(area.bottom - area.top);
    bool cut = false;
    if (width > 0 && newWidth > width) {
      newWidth = width;
      cut = true;
    }
    if (height > 0 && newHeight > height) {
      newHeight = height;
      cut = true;
    }
    if (cut) {
      SizeWindow(window_, newWidth, newHeight, true);
      width_ = newWidth;
      height_ = newHeight;
    }
  }
  maxSizeLimitFlag_ = 1;
  if (window_ != nullptr && width > 0 && height > 0) {
    const HISize maximum = {double(width), double(height)};
    SetWindowResizeLimits(window_, nullptr, &maximum);
  }
}

void cSp_Window::GetMaxSize(short& width, short& height) const {
  width = maxWidth_;
  height = maxHeight_;
}

void cSp_Window::Move(short left, short top, unsigned char front) {
  if (window_ == nullptr) return;
  cSpPortSaver port;
  top_ = top;
  left_ = left;
  MoveWindow(window_, left, top, front != 0);
}

// ---- Growing --------------------------------------------------------------------------------

void cSp_Window::Grow(Point where) {
  if (window_ == nullptr) return;
  if (moveToFrontBeforeGrowFlag_ != 0 && MoveToFrontInWindowList() == 0) return;
  if (ExecBeforeGrowProc() == 0) return;

  // GrowWindow's limits: top and left the least height and width, bottom and right the
  // greatest.
  Rect limits;
  limits.top = kDefaultMinHeight;
  limits.left = kDefaultMinWidth;
  if (minSizeLimitFlag_ != 0) {
    if (minHeight_ > 0) limits.top = minHeight_;
    if (minWidth_ > 0) limits.left = minWidth_;
  }
  // Without a limit of its own (a stored maximum of 0 or less limits nothing) the window may
  // grow up to the screen's bottom-right corner.
  Point origin = {0, 0};
  {
    cSpPortSaver port(window_);
    LocalToGlobal(&origin);
  }
  const Rect screen = ScreenRect();
  limits.bottom = SInt16(screen.bottom - origin.v);
  limits.right = SInt16(screen.right - origin.h);
  if (maxSizeLimitFlag_ != 0) {
    if (maxHeight_ > 0) limits.bottom = maxHeight_;
    if (maxWidth_ > 0) limits.right = maxWidth_;
  }

  const SInt32 newSize = GrowWindow(window_, where, &limits);
  if (newSize != 0) {
    SetSize(short(newSize & 0xFFFF), short((newSize >> 16) & 0xFFFF));
  }
  ExecAfterGrowProc();
}

void cSp_Window::AfterGrowForCarbonEvent() {
  Rect bounds = {0, 0, 0, 0};
  GetPortBounds(GetWindowPort(window_), &bounds);
  const short height = short(bounds.bottom - bounds.top);
  const short width = short(bounds.right - bounds.left);
  if (height == height_ && width == width_) return;
  height_ = height;
  width_ = width;
  ExecAfterGrowProc();
}

unsigned char cSp_Window::CheckBoundsChangingSizeForCarbonEvent(Rect& bounds) {
  // Measured once: each correction keeps the proposed top-left corner.
  const short width = short(bounds.right - bounds.left);
  const short height = short(bounds.bottom - bounds.top);
  unsigned char unchanged = 1;
  if (minWidth_ > 0 && minWidth_ > width) {
    bounds.right = SInt16(bounds.left + minWidth_);
    unchanged = 0;
  }
  if (maxWidth_ > 0 && maxWidth_ < width) {
    bounds.right = SInt16(bounds.left + maxWidth_);
    unchanged = 0;
  }
  if (minHeight_ > 0 && minHeight_ > height) {
    bounds.bottom = SInt16(bounds.top + minHeight_);
    unchanged = 0;
  }
  if (maxHeight_ > 0 && maxHeight_ < height) {
    bounds.bottom = SInt16(bounds.top + maxHeight_);
    unchanged = 0;
  }
  return unchanged;
}

// ---- Dragging -------------------------------------------------------------------------------

void cSp_Window::Drag(Point where) {
  if (window_ == nullptr) return;
  const bool live = LiveDraggingWanted();
  if (moveToFrontBeforeDragFlag_ != 0 && MoveToFrontInWindowList() == 0) return;
  Rect start = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetWindowSize(window_, start);

  if (live) {
    // The window follows the mouse while the button is held; other windows keep being
    // updated meanwhile (Sp_StillDown handles their events).
    Point last = where;
    bool moved = false;
    short modifiers = 0;
    while (Sp_StillDown(&modifiers) != 0) {
      if ((modifiers & shiftKey) != 0) {
        // Shift puts the window back where the drag began.
        if (moved) Move(start.left, start.top, 1);
        moved = false;
        last = where;
        continue;
      }
      Point mouse;
      GetMouse(&mouse);
      LocalToGlobal(&mouse);
      if (std::abs(mouse.h - last.h) > kDragSlop || std::abs(mouse.v - last.v) > kDragSlop) {
        Move(short(start.left + mouse.h - where.h), short(start.top + mouse.v - where.v), 1);
        last = mouse;
        moved = true;
      }
    }
  } else {
    RgnHandle outline = NewRgn();
    RgnHandle savedClip = NewRgn();
    if (outline == nullptr || savedClip == nullptr) {
      SpReportFailure(kSource, "cSp_Window::Drag", 1, kSpMsgMemory);
    } else {
      GetWindowRegion(window_, kWindowStructureRgn, outline);
      const Rect screen = ScreenRect();
      GetClip(savedClip);
      ClipRect(&screen);
      DragGrayRgnUPP action = NewDragGrayRgnUPP(Sp_DrawWindowEventLoopAction);
      const SInt32 travel = DragGrayRgn(outline, where, &screen, &screen, noConstraint, action);
      DisposeDragGrayRgnUPP(action);
      SetClip(savedClip);
      const SInt16 dv = SInt16((travel >> 16) & 0xFFFF);
      const SInt16 dh = SInt16(travel & 0xFFFF);
      // A release outside the slop rectangle leaves the window where it was.
      if (dv != kDragOutsideSlop && dh != kDragOutsideSlop) {
        OffsetRect(&start, dh, dv);
        Move(start.left, start.top, 0);
      }
    }
    if (outline != nullptr) DisposeRgn(outline);
    if (savedClip != nullptr) DisposeRgn(savedClip);
  }
  ExecAfterMoveProc();
}

// ---- Zooming --------------------------------------------------------------------------------

void cSp_Window::ZoomInOutWindow(Point where, short part) {
  if (window_ == nullptr) return;
  if (!TrackBox(window_, where, part)) return;
  ZoomInOutWindowForCarbonEvent(part);
}

void cSp_Window::ZoomInOutWindowForCarbonEvent(short part) {
  if (window_ == nullptr) return;
  if (part != inZoomIn && part != inZoomOut) return;
  // A zoomed-out window zooms back in, whatever part the toolbox names: once the user has
  // dragged it, it no longer stands where it was zoomed to, and the toolbox would call the
  // click another zoom out.
  part = (currentZoomOutFlag_ != 0) ? inZoomIn : inZoomOut;
  // Where the window is now: a drag or a resize the toolbox did on its own may have left the
  // stored position behind.
  Rect userState = {0, 0, 0, 0};
  GetWindowBounds(window_, kWindowContentRgn, &userState);

  Rect standardState = userState;
  if (zoomOutSizeFlag_ != 0) {
    standardState = FitOnScreen(window_, zoomOutRect_);
  } else if (maxSizeLimitFlag_ != 0) {
    // The greatest size at the window's place (a maximum of 0 or less keeps that dimension).
    const short width = (maxWidth_ > 0) ? maxWidth_ : short(userState.right - userState.left);
    const short height = (maxHeight_ > 0) ? maxHeight_ : short(userState.bottom - userState.top);
    SetRect(&standardState, userState.left, userState.top, SInt16(userState.left + width),
            SInt16(userState.top + height));
    standardState = FitOnScreen(window_, standardState);
  }

  if (ExecBeforeGrowProc() == 0) return;
  // Zooming in goes back to the state from before zooming out; only zooming out records it,
  // so a drag of the zoomed window does not overwrite it.
  if (part == inZoomOut) SetWindowUserState(window_, &userState);
  SetWindowStandardState(window_, &standardState);
  ZoomWindow(window_, part, window_ == FrontWindow());
  currentZoomOutFlag_ = (part == inZoomOut) ? 1 : 0;

  // The stored size is what SetSize compares with: it must be the zoomed one.
  Rect now = {0, 0, 0, 0};
  GetWindowBounds(window_, kWindowContentRgn, &now);
  left_ = now.left;
  top_ = now.top;
  width_ = short(now.right - now.left);
  height_ = short(now.bottom - now.top);
  ExecAfterGrowProc();
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_Window::Update() {
  if (window_ == nullptr) return;
  cSpPortSaver port;
  DrawControls(window_);
  DrawGrowBox();
}

void cSp_Window::DrawGrowBox() {
  if (window_ == nullptr || drawGrowIconFlag_ == 0) return;
  cSpPortSaver port;
  SetPortWindowPort(window_);
  RgnHandle savedClip = NewRgn();
  if (savedClip == nullptr) {
    SpReportFailure(kSource, "cSp_Window::DrawGrowBox", 1, kSpMsgMemory);
    return;
  }
  GetClip(savedClip);
  Rect clip = GlobalRectToLocal(ScreenRect());
  if (eraseScrollBarLineFlag_ != 0) {
    // Only the grow box itself is drawn, not the lines along the scroll bars.
    Rect structure = {0, 0, 0, 0};
    RgnHandle structureRgn = NewRgn();
    if (structureRgn != nullptr) {
      GetWindowRegion(window_, kWindowStructureRgn, structureRgn);
      GetRegionBounds(structureRgn, &structure);
      DisposeRgn(structureRgn);
    }
    Rect box;
    SetRect(&box, SInt16(structure.right - kGrowIconSize), SInt16(structure.bottom - kGrowIconSize),
            structure.right, structure.bottom);
    clip = GlobalRectToLocal(box);
  }
  ClipRect(&clip);
  DrawGrowIcon(window_);
  SetClip(savedClip);
  DisposeRgn(savedClip);
}

void Sp_DrawGrowBoxOfWindow(WindowRef window) {
  if (cSp_Window* windowObj = Sp_SerchWindowObjectInEveryList(window)) windowObj->DrawGrowBox();
}

void cSp_Window::EraseContent() {
  cSpPortSaver port(window_);
  Rect area = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetWindowSize(window_, area);
  const Rect local = GlobalRectToLocal(area);
  EraseRect(&local);
}

// ---- Content clicks -------------------------------------------------------------------------

unsigned char cSp_Window::ContentMouseDown(Point where, short modifiers) {
  if (window_ == nullptr) return 0;
  if (IsTopOnScreen() == 0 && moveToFrontWithContentClickFlag_ != 0) {
    // A click in a window behind only brings it forward.
    if (MoveToFrontInWindowList() == 0) return 0;
    mouseDownWindowObj_GlV = this;
    return 1;
  }
  const Point local = Sp_MTM_GlobalToWindowLocal(window_, where);

  const unsigned char byControl = Sp_ControlServices().Sp_OCnt_BasicWinControlMouseDown(window_, local);
  if (byControl != 0) {
    mouseDownWindowObj_GlV = this;
    return byControl;
  }

  const sSpViewServices& views = Sp_ViewServices();
  const unsigned char taken = views.Sp_MouseDownHotSpot(window_, local, modifiers);
  if (taken == 0) {
    mouseDownWindowObj_GlV = this;
    return 0;
  }
  if (!Sp_Is_CarbonEvent_ModeEnable()) {
    // The release comes later, through Sp_WindowMouseUpTerminate.
    mouseDownWindowObj_GlV = this;
    return taken;
  }

  // The area follows the mouse until the button is released; the tracking timer lets it
  // follow a mouse that stands still as well.
  WindowRef window = window_;
  Sp_StartWindowMouseIdleEvent();
  Point last = local;
  for (;;) {
    Point point = last;
    MouseTrackingResult result = kMouseTrackingMouseUp;
    if (TrackMouseLocation(GetWindowPort(window), &point, &result) != noErr) break;
    if (result == kMouseTrackingMouseDragged) last = point;
    if (result == kMouseTrackingMouseUp) break;
  }
  Sp_EndWindowMouseIdleEvent();
  short upModifiers = 0;
  Sp_GetModifiers(&upModifiers, nullptr);
  views.Sp_MouseUpHotSpot(window, last, upModifiers);
  mouseDownWindowObj_GlV = nullptr;
  return taken;
}

void cSp_Window::MouseUpTerminate(Point where, short modifiers) {
  if (window_ == nullptr) return;
  const Point local = Sp_MTM_GlobalToWindowLocal(window_, where);
  Sp_ViewServices().Sp_MouseUpHotSpot(window_, local, modifiers);
}

unsigned char Sp_WindowMouseUpTerminate(Point where, short modifiers) {
  cSp_Window* window = mouseDownWindowObj_GlV;
  mouseDownWindowObj_GlV = nullptr;
  if (window == nullptr) return 0;
  window->MouseUpTerminate(where, modifiers);
  return 1;
}

void Sp_DrawWindowEventLoopAction() {
  Sp_EventProcInterface();
}
