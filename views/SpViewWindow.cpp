#include "SpViewWindow.h"

#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"

namespace {
const char kSource[] = "SpViewWindow.cpp";
}  // namespace

void Sp_RedrawViewWindow(WindowRef window, unsigned char) {
  if (window == nullptr) return;
  // Whatever was drawn into the window since the last flush reaches the screen now, views or
  // not.
  QDFlushPortBuffer(GetWindowPort(window), nullptr);
}

void Sp_RedrawViewForUpdateEvent(WindowRef) {}

void Sp_WindowRedrawSetupFromUpdateRgn(EventRecord* event) {
  if (event == nullptr) {
    SpReportFailure(kSource, "Sp_WindowRedrawSetupFromUpdateRgn", 1, kSpMsgNullArgument);
    return;
  }
  // Only a window with views needs its update region handed on; no window has views yet.
}

void Sp_DisposeTargetWindowView(WindowRef) {}

void Sp_InterruptDrawView() {}

void Sp_ViewManagerMouseMoveEventProcedure() {
  Sp_MouseDownMouseTrace();
}

void Sp_MouseDownMouseTrace() {}

unsigned char Sp_MouseDownHotSpot(WindowRef, Point, short) {
  return 0;
}

void Sp_MouseUpHotSpot(WindowRef, Point, short) {}
