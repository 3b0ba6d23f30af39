// Hover popups: a framework window tied to a hover rectangle of another window.
//
// A cSp_MouseTracePopup owns a hover area (cMouseTraceObject) over a rectangle of its target
// window and receives the area's enter, inside and leave callbacks; its own window's
// before-close and after-close procedure lists lead to two virtual operations that a subclass
// may replace. The popup window itself stays hidden: nothing here shows, moves or fills it,
// and the hover callbacks do nothing. cSp_StringMouseTracePopup is the kind the calendar makes
// for its day information.
//
// The popup releases its hover area when it goes, so the area stops calling it.
//
// Failures beep once and leave one error-log record (source "SpTracePopupObject").
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpWindow.h"

class cMouseTraceObject;

class cSp_MouseTracePopup : public cSp_Window {
 public:
  // A hidden window of 300 x 200 centred on the main screen, in front of every window, and a
  // hover area over `rect` (local coordinates of `target`) inside `container` (null: on top of
  // the window's areas).
  cSp_MouseTracePopup(WindowRef target, const Rect& rect, cMouseTraceObject* container);
  ~cSp_MouseTracePopup() override;

  // Whether the close of the popup window may go on (1), and what follows it.
  virtual unsigned char CloseMouseTracePopupWindowBeforeProc();
  virtual void CloseMouseTracePopupWindowAfterProc();

  void MouseTracePopupEnable();
  void MouseTracePopupDisable();
  unsigned char IsMouseTracePopupEnable() const { return enabled_; }

  // The member ends of the hover callbacks (nothing to do in this frame).
  void CatchMouseTraceInCB(Point localPoint);
  void CatchMouseTraceOutCB();
  void CatchMouseInPlaceTraceCB(Point localPoint);

  WindowRef GetTracedWindow() const { return target_; }
  void GetTracedRect(Rect& rect) const { rect = rect_; }
  cMouseTraceObject* GetMouseTraceObject() const { return trace_; }

 private:
  WindowRef target_ = nullptr;
  Rect rect_ = {0, 0, 0, 0};
  unsigned char enabled_ = 0;
  SInt32 beforeCloseRefNo_ = 0;
  SInt32 afterCloseRefNo_ = 0;
  cMouseTraceObject* trace_ = nullptr;
};

class cSp_StringMouseTracePopup : public cSp_MouseTracePopup {
 public:
  cSp_StringMouseTracePopup(WindowRef target, const Rect& rect, cMouseTraceObject* container)
      : cSp_MouseTracePopup(target, rect, container) {}
};

// The hover callbacks (reference value: the popup).
void SpTPO_CatchMouseTraceInCB(Point localPoint, short modifiers, unsigned long refCon);
void SpTPO_CatchMouseTraceOutCB(short modifiers, unsigned long refCon);
void SpTPO_CatchMouseInPlaceTraceCB(Point localPoint, short modifiers, unsigned long refCon);
// The close procedures of the popup window (reference value: the popup). Without a popup the
// close may go on.
unsigned char SpTPO_PopupWindowCloseBeforeProc(cSp_Window* window, short modifiers,
                                               unsigned long refCon);
void SpTPO_PopupWindowCloseAfterProc(cSp_Window* window, short modifiers, unsigned long refCon);
// The rectangle's top-left corner, and its size as (height, width).
Point SpTPO_GetLeftTopPositFromRect(const Rect& rect);
Point SpTPO_GetSizeFromRect(const Rect& rect);
