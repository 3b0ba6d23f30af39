// Moving, resizing and the title-strip boxes with the mouse. Headless, a press is followed
// through the mouse events of the queue (the display's input, or the test API's posted
// clicks), so every loop of here ends when the release is taken or no more mouse input can
// come.
#include <algorithm>

#include "CarbonEvents.h"
#include "Events.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "detail/WindowRecord.h"
#include "quickdraw/internal/Ports.h"

namespace sp_platform {
namespace windows {
namespace {

// The point kept inside the rectangle, as PinRect does (the right and bottom edges are
// outside it).
Point Pin(Point pt, const Rect& r) {
  pt.h = SInt16(std::max<int>(r.left, std::min<int>(pt.h, r.right - 1)));
  pt.v = SInt16(std::max<int>(r.top, std::min<int>(pt.v, r.bottom - 1)));
  return pt;
}

// Two 16-bit halves in one long, as the classic calls answer them.
SInt32 Halves(int high, int low) {
  return SInt32((UInt32(UInt16(SInt16(high))) << 16) | UInt32(UInt16(SInt16(low))));
}

int Limit(int value, int least, int most) {
  return std::max(least, std::min(most, value));
}

// ---- Dragging ----

struct DragState {
  WindowRef window;
  Point start;
  Point origin;  // the content's top-left corner at the press
  Rect bounds;
  Point last;
};

void DragStep(Point pt, void* refCon) {
  DragState& s = *static_cast<DragState*>(refCon);
  if (!IsLive(s.window)) return;
  s.last = pt;
  pt = Pin(pt, s.bounds);
  const Rect content = ContentOf(s.window);
  const Rect structure = StructureOf(s.window);
  const int left = s.origin.h + (pt.h - s.start.h);
  int top = s.origin.v + (pt.v - s.start.v);
  // The title strip stays below the menu bar, where it can be taken again.
  top = std::max(top, DeskArea().top + (content.top - structure.top));
  MoveWindow(s.window, SInt16(Limit(left, -32768, 32767)), SInt16(Limit(top, -32768, 32767)),
             false);
}

// ---- Resizing ----

struct ResizeState {
  WindowRef window;
  Point start;
  Rect original;
  Rect previous;
  Point last;
  Rect corrected;
  UInt32 attributes;
};

void PrepareBoundsChanging(EventRef event, void* refCon) {
  ResizeState& s = *static_cast<ResizeState*>(refCon);
  SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof s.corrected,
                    &s.corrected);
  SetEventParameter(event, kEventParamOriginalBounds, typeQDRectangle, sizeof s.original,
                    &s.original);
  SetEventParameter(event, kEventParamPreviousBounds, typeQDRectangle, sizeof s.previous,
                    &s.previous);
  SetEventParameter(event, kEventParamAttributes, typeUInt32, sizeof s.attributes, &s.attributes);
}

void ReadCorrectedBounds(EventRef event, void* refCon) {
  ResizeState& s = *static_cast<ResizeState*>(refCon);
  Rect r;
  if (GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr, sizeof r,
                        nullptr, &r) == noErr) {
    s.corrected = r;
  }
}

void ResizeStep(Point pt, void* refCon) {
  ResizeState& s = *static_cast<ResizeState*>(refCon);
  if (!IsLive(s.window) || EqualPt(pt, s.last)) return;
  s.last = pt;
  const OpaqueWindowPtr* w = s.window;
  const int width =
      Limit(s.original.right - s.original.left + (pt.h - s.start.h), w->minWidth, w->maxWidth);
  const int height =
      Limit(s.original.bottom - s.original.top + (pt.v - s.start.v), w->minHeight, w->maxHeight);
  s.corrected = s.original;
  s.corrected.right = SInt16(Limit(s.original.left + width, -32768, 32767));
  s.corrected.bottom = SInt16(Limit(s.original.top + height, -32768, 32767));
  const bool sizeChanged =
      (s.corrected.right - s.corrected.left) != (s.previous.right - s.previous.left) ||
      (s.corrected.bottom - s.corrected.top) != (s.previous.bottom - s.previous.top);
  s.attributes = UInt32(kWindowBoundsChangeUserResize);
  if (sizeChanged) s.attributes |= kWindowBoundsChangeSizeChanged;
  SendWindowEvent(s.window, kEventWindowBoundsChanging, PrepareBoundsChanging, ReadCorrectedBounds,
                  &s);
  if (!IsLive(s.window)) return;
  s.previous = s.corrected;
  if ((s.window->attributes & kWindowLiveResizeAttribute) != 0) {
    ChangeContent(s.window, s.corrected, true);
  }
}

// ---- Boxes and outlines ----

bool ReleasedInPart(WindowRef window, Point start, WindowPartCode part) {
  Rect box;
  if (!IsLive(window) || !PartRect(window, part, &box)) return false;
  const Point release = FollowMouse(start, nullptr, nullptr);
  return IsLive(window) && PartRect(window, part, &box) && PtInRect(release, &box);
}

struct GrayState {
  Point start;
  Rect limit;
  SInt16 axis;
  DragGrayRgnUPP action;
};

Point Constrained(const GrayState& s, Point pt) {
  pt = Pin(pt, s.limit);
  if (s.axis == hAxisOnly) pt.v = s.start.v;
  if (s.axis == vAxisOnly) pt.h = s.start.h;
  return pt;
}

void GrayStep(Point, void* refCon) {
  const GrayState& s = *static_cast<GrayState*>(refCon);
  if (s.action != nullptr) s.action();
}

}  // namespace

Point FollowMouse(Point start, void (*step)(Point, void*), void* refCon) {
  Point last = start;
  for (;;) {
    Point pt = last;
    MouseTrackingResult result = kMouseTrackingMouseUp;
    // The screen's port: its local coordinates are global ones.
    if (TrackMouseLocation(ScreenPort(), &pt, &result) != noErr) return last;
    if (result == kMouseTrackingMouseUp) return pt;
    if (!EqualPt(pt, last)) {
      last = pt;
      if (step != nullptr) step(pt, refCon);
    }
  }
}

void DragWithMouse(WindowRef window, Point start, const Rect* bounds, UInt32 modifiers) {
  if (!IsLive(window)) return;
  if ((modifiers & cmdKey) == 0) SelectWindow(window);
  const Rect content = ContentOf(window);
  DragState state{window, start, Point{content.top, content.left},
                  bounds != nullptr ? *bounds : DeskArea(), start};
  const Point release = FollowMouse(start, DragStep, &state);
  if (!EqualPt(release, state.last)) DragStep(release, &state);
}

void ResizeWithMouse(WindowRef window, Point start) {
  if (!IsLive(window)) return;
  const Rect content = ContentOf(window);
  ResizeState state{window, start, content, content, start, content, 0};
  const Point release = FollowMouse(start, ResizeStep, &state);
  ResizeStep(release, &state);
  if (!IsLive(window)) return;
  const Rect now = ContentOf(window);
  if (!EqualRect(&now, &state.previous)) ChangeContent(window, state.previous, true);
  SendWindowEvent(window, kEventWindowResizeCompleted, nullptr, nullptr, nullptr);
}

}  // namespace windows
}  // namespace sp_platform

using sp_platform::windows::IsLive;

SInt32 GrowWindow(WindowRef window, Point startPt, const Rect* bBox) {
  using sp_platform::windows::Limit;
  if (!IsLive(window)) return 0;
  int minWidth = window->minWidth, minHeight = window->minHeight;
  int maxWidth = window->maxWidth, maxHeight = window->maxHeight;
  if (bBox != nullptr) {
    minHeight = bBox->top;
    minWidth = bBox->left;
    maxHeight = bBox->bottom;
    maxWidth = bBox->right;
  }
  const Rect content = sp_platform::windows::ContentOf(window);
  const Point release = sp_platform::windows::FollowMouse(startPt, nullptr, nullptr);
  if (!IsLive(window)) return 0;
  const int oldWidth = content.right - content.left;
  const int oldHeight = content.bottom - content.top;
  const int width = Limit(oldWidth + (release.h - startPt.h), minWidth, maxWidth);
  const int height = Limit(oldHeight + (release.v - startPt.v), minHeight, maxHeight);
  if (width == oldWidth && height == oldHeight) return 0;
  return sp_platform::windows::Halves(height, width);
}

void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect) {
  sp_platform::windows::DragWithMouse(window, startPt, boundsRect, GetCurrentKeyModifiers());
}

Boolean TrackGoAway(WindowRef window, Point thePt) {
  return sp_platform::windows::ReleasedInPart(window, thePt, inGoAway);
}

Boolean TrackBox(WindowRef window, Point thePt, WindowPartCode partCode) {
  if (partCode != inZoomIn && partCode != inZoomOut) return false;
  return sp_platform::windows::ReleasedInPart(window, thePt, inZoomOut);
}

SInt32 DragGrayRgn(RgnHandle, Point startPt, const Rect* limitRect, const Rect* slopRect,
                   SInt16 axis, DragGrayRgnUPP actionProc) {
  using namespace sp_platform::windows;
  GrayState state{startPt, limitRect != nullptr ? *limitRect : DeskArea(), axis, actionProc};
  const Rect slop = slopRect != nullptr ? *slopRect : state.limit;
  const Point release = FollowMouse(startPt, GrayStep, &state);
  if (!PtInRect(release, &slop)) return SInt32(0x80008000u);
  const Point end = Constrained(state, release);
  return Halves(end.v - startPt.v, end.h - startPt.h);
}
