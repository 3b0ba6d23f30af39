// The views' side of a window's life: redrawing a window's views on an update or on request,
// forgetting them when the window goes, the interrupt-drawn views of the idle work, and the
// hot-spot areas that take the mouse in a window's content.
//
// A window draws its views through its view window. No window has one yet: the calls below
// then do what they do for a window without views (the update paths leave the window alone,
// a redraw request still flushes the window's port, and no hot-spot area takes a press).
#pragma once

#include "Events.h"
#include "MacTypes.h"
#include "MacWindows.h"

// Redraws the views of the window that wait for a redraw and flushes the window's port.
// Nothing for a null window.
void Sp_RedrawViewWindow(WindowRef window, unsigned char flag);
// Redraws every view of the window into its offscreen and copies it to the window, when the
// window has an open view window.
void Sp_RedrawViewForUpdateEvent(WindowRef window);
// For an update event of a window with views: hands the window's update region (or its content
// when nothing waits) to the view window as the region to redraw. A null record is a failure.
void Sp_WindowRedrawSetupFromUpdateRgn(EventRecord* event);
// Deletes the window's view window with its views, when it has one.
void Sp_DisposeTargetWindowView(WindowRef window);
// Redraws the interrupt-drawn views whose interval has passed.
void Sp_InterruptDrawView();
// The views' share of the mouse-move work: Sp_MouseDownMouseTrace.
void Sp_ViewManagerMouseMoveEventProcedure();
// While a hot-spot area holds a press: tells it when the mouse enters or leaves it and lets it
// follow the mouse inside.
void Sp_MouseDownMouseTrace();
// Offers a press at the local point to the window's hot-spot areas, top layer first; the
// first that accepts holds the press. Non-zero when one accepted.
unsigned char Sp_MouseDownHotSpot(WindowRef window, Point localPoint, short modifiers);
// Ends the press of the area that holds it (mouse-up, then click or double-click) and forgets
// it.
void Sp_MouseUpHotSpot(WindowRef window, Point localPoint, short modifiers);
