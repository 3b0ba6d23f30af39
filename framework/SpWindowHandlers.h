// The framework's window, mouse and control handlers on the application target, and the timer
// that follows the mouse while the button is held in a window's content.
//
// The three handlers are installed once, by the first open-application or open-documents
// event, in Carbon-event mode. Each finds the framework window of the event's window or control
// and hands the event to it: drawing, size corrections while the user resizes, the end of a
// resize or move, closing, content clicks with mouse tracing, and control hits. They answer
// noErr (handled) or eventNotHandledErr (-9874), which lets the toolbox's own handling run.
#pragma once

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "MacWindows.h"

class cSp_ControlItem;

// ---- Globals --------------------------------------------------------------------------------
// The handler procedures, made by the installers (null before).
extern EventHandlerUPP catchWindowEventUPP_GlV;
extern EventHandlerUPP catchMouseEventUPP_GlV;
extern EventHandlerUPP catchControlEventUPP_GlV;
// 1 while the mouse-down tracking timer is installed.
extern unsigned char currentEnableMouseDownTraceIdleEventFlag_GlV;
// The timer's procedure, made on first use and kept.
extern EventLoopTimerUPP mouseDownTraceIdleEventUPP_GlV;
// The installed timer; null when none.
extern EventLoopTimerRef mouseDownTraceIdleEventRefNum_GlV;

// ---- Installers -----------------------------------------------------------------------------
// Installs on the application target, in this order, the window handler
// ({'wind', 73, 2, 26, 29, 75, 5, 6, 31, 7}), the mouse handler ({'mous', 1, 6, 2, 5}) and the
// control handler ({'cntl', 1, 51, 54}).
void Sp_SetupWindowEventHandlerForCarbonEvent();
// Installs the control handler on the target of the item's toolbox control.
void Sp_SetupControlEventHandlerForCarbonEvent(cSp_ControlItem* item);

// ---- Handlers -------------------------------------------------------------------------------
OSStatus Sp_CatchWindowEventForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                               void* userData);
OSStatus Sp_CatchMouseEventForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                              void* userData);
// {'mous', 1} on the target of a framework window (`userData` is its toolbox window), before
// the toolbox's own handling of the window: a click behind a modal dialog is held, a click in
// the content of a window behind others only brings it forward, and whatever the toolbox
// then does with the click, the window's list follows the screen.
OSStatus Sp_CatchWindowMouseDownForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                                   void* userData);
OSStatus Sp_CatchControlEventForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                                void* userData);

// ---- Mouse-down tracking timer --------------------------------------------------------------
// Installs the timer (at once, then every 0.1 s) unless it runs already.
void Sp_StartWindowMouseIdleEvent();
// Removes the timer when it runs.
void Sp_EndWindowMouseIdleEvent();
// The timer's procedure: follows the press of the hot-spot area that holds it.
void Sp_CatchMouseDownTraceIdleEventCB(EventLoopTimerRef timer, void* userData);
// An idle procedure with no work of its own.
unsigned char SpWindowIdleEventForCarbonEvent(unsigned long userData);

