// The parts of a window (title strip, close and zoom boxes, grow box, content), its regions,
// its zoom states and the grow icon. The geometry is described at the top of MacWindows.h.
#include <algorithm>

#include "MacWindows.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "detail/WindowRecord.h"
#include "detail/WindowUpdate.h"

namespace sp_platform {
namespace windows {
namespace {

// The square of a title-strip box at this distance from the strip's left (or right) end.
Rect TitleBox(const Rect& strip, bool atRight) {
  const SInt16 top = SInt16(strip.top + kSpWindowTitleBoxTop);
  const SInt16 left = atRight ? SInt16(strip.right - kSpWindowTitleBoxSide - kSpWindowTitleBoxSize)
                              : SInt16(strip.left + kSpWindowTitleBoxSide);
  return Rect{top, left, SInt16(top + kSpWindowTitleBoxSize), SInt16(left + kSpWindowTitleBoxSize)};
}

bool HasZoomBox(const OpaqueWindowPtr* w) {
  return (w->attributes & kWindowFullZoomAttribute) != 0;
}

}  // namespace

Rect DeskArea() {
  BitMap screen;
  GetQDGlobalsScreenBits(&screen);
  Rect r = screen.bounds;
  r.top = SInt16(std::min<int>(r.bottom, r.top + GetMBarHeight()));
  return r;
}

bool TitleStripOf(const OpaqueWindowPtr* w, Rect* strip) {
  *strip = Rect{0, 0, 0, 0};
  if (!HasTitleBar(w->windowClass)) return false;
  const Rect content = ContentOf(w);
  *strip =
      Rect{SInt16(content.top - kSpWindowTitleBarHeight), content.left, content.top, content.right};
  return true;
}

bool PartRect(const OpaqueWindowPtr* w, WindowPartCode part, Rect* r) {
  Rect strip;
  const bool hasStrip = TitleStripOf(w, &strip);
  const Rect content = ContentOf(w);
  *r = Rect{0, 0, 0, 0};
  switch (part) {
    case inGoAway:
      if (!hasStrip || (w->attributes & kWindowCloseBoxAttribute) == 0) return false;
      *r = TitleBox(strip, false);
      return true;
    case inZoomIn:
    case inZoomOut:
      if (!hasStrip || !HasZoomBox(w)) return false;
      *r = TitleBox(strip, true);
      return true;
    case inDrag:
      *r = strip;
      return hasStrip;
    case inGrow:
      if ((w->attributes & kWindowResizableAttribute) == 0) return false;
      *r = Rect{SInt16(std::max<int>(content.top, content.bottom - kSpWindowGrowBoxSize)),
                SInt16(std::max<int>(content.left, content.right - kSpWindowGrowBoxSize)),
                content.bottom, content.right};
      return true;
    case inContent:
      *r = content;
      return true;
    default:
      return false;
  }
}

WindowPartCode PartAt(const OpaqueWindowPtr* w, Point pt) {
  Rect r;
  if (PartRect(w, inDrag, &r) && PtInRect(pt, &r)) {
    if (PartRect(w, inGoAway, &r) && PtInRect(pt, &r)) return inGoAway;
    if (PartRect(w, inZoomOut, &r) && PtInRect(pt, &r)) {
      return IsZoomedOut(w) ? inZoomIn : inZoomOut;
    }
    return inDrag;
  }
  if (PartRect(w, inContent, &r) && PtInRect(pt, &r)) {
    if (PartRect(w, inGrow, &r) && PtInRect(pt, &r)) return inGrow;
    return inContent;
  }
  return inDesk;
}

Rect StandardStateOf(const OpaqueWindowPtr* w) {
  if (w->standardStateSet) return w->standardState;
  Rect r = DeskArea();
  if (HasTitleBar(w->windowClass)) r.top = SInt16(r.top + kSpWindowTitleBarHeight);
  InsetRect(&r, 4, 4);
  return r;
}

bool IsZoomedOut(const OpaqueWindowPtr* w) {
  const Rect content = ContentOf(w);
  const Rect standard = StandardStateOf(w);
  return EqualRect(&content, &standard);
}

}  // namespace windows
}  // namespace sp_platform

using sp_platform::windows::IsLive;

OSStatus GetWindowRegion(WindowRef window, WindowRegionCode inRegionCode, RgnHandle ioWinRgn) {
  using namespace sp_platform::windows;
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (ioWinRgn == nullptr) return paramErr;
  Rect r{0, 0, 0, 0};
  Rect strip;
  const bool hasStrip = TitleStripOf(window, &strip);
  switch (inRegionCode) {
    case kWindowStructureRgn:
    case kWindowOpaqueRgn:
      r = StructureOf(window);
      break;
    case kWindowContentRgn:
    case kWindowGlobalPortRgn:
      r = ContentOf(window);
      break;
    case kWindowUpdateRgn: {
      const OSStatus err = sp_platform::CopyWindowUpdateRegion(window, ioWinRgn);
      return err;
    }
    case kWindowTitleBarRgn:
      r = strip;
      break;
    case kWindowTitleTextRgn:
      if (hasStrip) {
        const SInt16 inset = kSpWindowTitleBoxSide * 2 + kSpWindowTitleBoxSize;
        r = Rect{strip.top, SInt16(strip.left + inset), strip.bottom, SInt16(strip.right - inset)};
        if (r.right < r.left) r = Rect{0, 0, 0, 0};
      }
      break;
    case kWindowDragRgn: {
      RectRgn(ioWinRgn, &strip);
      for (WindowPartCode box : {inGoAway, inZoomOut}) {
        Rect b;
        if (!PartRect(window, box, &b)) continue;
        RgnHandle boxRgn = NewRgn();
        if (boxRgn == nullptr) return memFullErr;
        RectRgn(boxRgn, &b);
        DiffRgn(ioWinRgn, boxRgn, ioWinRgn);
        DisposeRgn(boxRgn);
      }
      return QDError() == noErr ? OSStatus(noErr) : OSStatus(memFullErr);
    }
    case kWindowCloseBoxRgn:
      PartRect(window, inGoAway, &r);
      break;
    case kWindowZoomBoxRgn:
      PartRect(window, inZoomOut, &r);
      break;
    case kWindowGrowRgn:
      PartRect(window, inGrow, &r);
      break;
    case kWindowCollapseBoxRgn:
      break;  // no collapse box is shown
    default:
      return errWindowRegionCodeInvalid;
  }
  RectRgn(ioWinRgn, &r);
  return QDError() == noErr ? OSStatus(noErr) : OSStatus(memFullErr);
}

OSStatus SetWindowUserState(WindowRef window, const Rect* inUserState) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (inUserState == nullptr) return paramErr;
  window->userState = *inUserState;
  return noErr;
}

OSStatus GetWindowUserState(WindowRef window, Rect* outUserState) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (outUserState == nullptr) return paramErr;
  *outUserState = window->userState;
  return noErr;
}

OSStatus SetWindowStandardState(WindowRef window, const Rect* inStandardState) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (inStandardState == nullptr) return paramErr;
  window->standardState = *inStandardState;
  window->standardStateSet = true;
  return noErr;
}

OSStatus GetWindowStandardState(WindowRef window, Rect* outStandardState) {
  if (!IsLive(window)) return errInvalidWindowPtr;
  if (outStandardState == nullptr) return paramErr;
  *outStandardState = sp_platform::windows::StandardStateOf(window);
  return noErr;
}

void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front) {
  if (!IsLive(window)) return;
  if (partCode == inZoomOut) {
    window->userState = sp_platform::windows::ContentOf(window);
    sp_platform::windows::ChangeContent(window, sp_platform::windows::StandardStateOf(window),
                                        true);
  } else if (partCode == inZoomIn) {
    sp_platform::windows::ChangeContent(window, window->userState, true);
  } else {
    return;
  }
  if (front) SelectWindow(window);
}

void DrawGrowIcon(WindowRef window) {
  if (!IsLive(window) || (window->attributes & kWindowResizableAttribute) == 0) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  Rect port{0, 0, 0, 0};
  GetWindowPortBounds(window, &port);
  Rect box{SInt16(std::max<int>(port.top, port.bottom - kSpWindowGrowBoxSize)),
           SInt16(std::max<int>(port.left, port.right - kSpWindowGrowBoxSize)), port.bottom,
           port.right};
  PenState pen;
  GetPenState(&pen);
  PenNormal();
  RGBColor fore;
  RGBColor back;
  GetForeColor(&fore);
  GetBackColor(&back);
  const RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
  const RGBColor grey = {0x8000, 0x8000, 0x8000};
  RGBBackColor(&white);
  EraseRect(&box);
  RGBForeColor(&grey);
  FrameRect(&box);
  // The grip: three short diagonals towards the bottom-right corner.
  for (int i = 0; i < 3; ++i) {
    const SInt16 d = SInt16(4 + 3 * i);
    MoveTo(SInt16(box.right - 3), SInt16(box.bottom - 3 - d));
    LineTo(SInt16(box.right - 3 - d), SInt16(box.bottom - 3));
  }
  RGBForeColor(&fore);
  RGBBackColor(&back);
  SetPenState(&pen);
  SetPort(saved);
}
