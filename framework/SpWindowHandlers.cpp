#include "SpWindowHandlers.h"

#include <cstddef>

#include "Events.h"
#include "Gestalt.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpMainEventLoop.h"
#include "SpMouseTraceManager.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"

EventHandlerUPP catchWindowEventUPP_GlV = nullptr;
EventHandlerUPP catchMouseEventUPP_GlV = nullptr;
EventHandlerUPP catchControlEventUPP_GlV = nullptr;
unsigned char currentEnableMouseDownTraceIdleEventFlag_GlV = 0;
EventLoopTimerUPP mouseDownTraceIdleEventUPP_GlV = nullptr;
EventLoopTimerRef mouseDownTraceIdleEventRefNum_GlV = nullptr;

namespace {

const char kSource[] = "SpWindow.cpp";

const EventTypeSpec kWindowEvents[] = {
    {kEventClassWindow, kEventWindowClosed},
    {kEventClassWindow, kEventWindowDrawContent},
    {kEventClassWindow, kEventWindowBoundsChanging},
    {kEventClassWindow, kEventWindowResizeCompleted},
    {kEventClassWindow, kEventWindowZoom},
    {kEventClassWindow, kEventWindowActivated},
    {kEventClassWindow, kEventWindowDeactivated},
    {kEventClassWindow, kEventWindowDragCompleted},
    {kEventClassWindow, kEventWindowGetClickActivation},
};
const EventTypeSpec kMouseEvents[] = {
    {kEventClassMouse, kEventMouseDown},
    {kEventClassMouse, kEventMouseDragged},
    {kEventClassMouse, kEventMouseUp},
    {kEventClassMouse, kEventMouseMoved},
};
const EventTypeSpec kControlEvents[] = {
    {kEventClassControl, kEventControlHit},
    {kEventClassControl, kEventControlTrack},
    {kEventClassControl, kEventControlIndicatorMoved},
};

template <std::size_t N>
ItemCount CountOf(const EventTypeSpec (&)[N]) {
  return ItemCount(N);
}

// Up to this system version the toolbox could leave the window order behind a modal dialog
// out of step with the framework's lists when a window was activated.
const SInt32 kLastSystemWithActivationDisorder = 0x1024;

// Repeats of the mouse-down tracking timer.
const EventTimerInterval kMouseTraceInterval = 0.1;

}  // namespace

// ---- Installers -----------------------------------------------------------------------------

void Sp_SetupWindowEventHandlerForCarbonEvent() {
  if (catchWindowEventUPP_GlV == nullptr) {
    catchWindowEventUPP_GlV = NewEventHandlerUPP(Sp_CatchWindowEventForCarbonEventProc);
  }
  if (catchMouseEventUPP_GlV == nullptr) {
    catchMouseEventUPP_GlV = NewEventHandlerUPP(Sp_CatchMouseEventForCarbonEventProc);
  }
  if (catchControlEventUPP_GlV == nullptr) {
    catchControlEventUPP_GlV = NewEventHandlerUPP(Sp_CatchControlEventForCarbonEventProc);
  }
  EventTargetRef app = GetApplicationEventTarget();
  InstallEventHandler(app, catchWindowEventUPP_GlV, CountOf(kWindowEvents), kWindowEvents, nullptr,
                      nullptr);
  InstallEventHandler(app, catchMouseEventUPP_GlV, CountOf(kMouseEvents), kMouseEvents, nullptr,
                      nullptr);
  InstallEventHandler(app, catchControlEventUPP_GlV, CountOf(kControlEvents), kControlEvents,
                      nullptr, nullptr);
}

void Sp_SetupControlEventHandlerForCarbonEvent(cSp_ControlItem* item) {
  static const char kMethod[] = "Sp_SetupControlEventHandlerForCarbonEvent";
  if (item == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  ControlRef control = item->GetMacOSControlHandle();
  if (control == nullptr) {
    SpReportFailure(kSource, kMethod, 5, kSpMsgDataError);
    return;
  }
  if (catchControlEventUPP_GlV == nullptr) {
    catchControlEventUPP_GlV = NewEventHandlerUPP(Sp_CatchControlEventForCarbonEventProc);
  }
  InstallEventHandler(GetControlEventTarget(control), catchControlEventUPP_GlV,
                      CountOf(kControlEvents), kControlEvents, nullptr, nullptr);
}

// ---- Window events --------------------------------------------------------------------------

OSStatus Sp_CatchWindowEventForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  if (event == nullptr) return eventNotHandledErr;
  WindowRef window = nullptr;
  if (GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                        nullptr, &window) != noErr ||
      window == nullptr) {
    return eventNotHandledErr;
  }
  // Only a window the framework lists as a normal window; a window on its way out of the
  // toolbox is no longer valid and is left alone, whatever the lists still say.
  if (!IsValidWindowPtr(window)) return eventNotHandledErr;
  cSp_Window* windowObj = Sp_SerchWindowObject(window);
  if (windowObj == nullptr) return eventNotHandledErr;
  EventRecord record = {};
  ConvertEventRefToEventRecord(event, &record);
  if (GetEventClass(event) != kEventClassWindow) return eventNotHandledErr;

  switch (GetEventKind(event)) {
    case kEventWindowDrawContent:
      Sp_WindowUpdateProc(window);
      return noErr;
    case kEventWindowActivated: {
      SInt32 version = 0;
      if (Gestalt(gestaltSystemVersion, &version) == noErr &&
          version <= kLastSystemWithActivationDisorder && Sp_HaveModalDialog(nullptr, nullptr)) {
        Sp_ModifyOutputWindowLayerMachToWindowDataLayout();
      }
      return eventNotHandledErr;
    }
    case kEventWindowBoundsChanging: {
      Rect bounds = {0, 0, 0, 0};
      if (GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr,
                            sizeof bounds, nullptr, &bounds) != noErr) {
        return eventNotHandledErr;
      }
      if (windowObj->CheckBoundsChangingSizeForCarbonEvent(bounds) == 0) {
        SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof bounds, &bounds);
      }
      return noErr;
    }
    case kEventWindowResizeCompleted:
      windowObj->AfterGrowForCarbonEvent();
      return noErr;
    case kEventWindowDragCompleted:
      // Dragging the title strip of a window behind brought it to the toolbox's front: the
      // framework's list follows, so that both name the same front window.
      Sp_FollowToolboxFrontWindow(windowObj);
      windowObj->ExecAfterMoveProc();
      return eventNotHandledErr;
    case kEventWindowZoom: {
      // The toolbox tracked the box; the window zooms within its own limits and tells its
      // grow procedures, instead of the toolbox's zoom to the whole screen.
      WindowPartCode part = 0;
      if (GetEventParameter(event, kEventParamWindowPartCode, typeWindowPartCode, nullptr,
                            sizeof part, nullptr, &part) != noErr ||
          (part != inZoomIn && part != inZoomOut)) {
        return eventNotHandledErr;
      }
      windowObj->ZoomInOutWindowForCarbonEvent(part);
      return noErr;
    }
    case kEventWindowClosed: {
      Point where = record.where;
      windowObj->GoAway(&where);
      return noErr;
    }
    default:
      // Deactivation and click activation are the toolbox's.
      return eventNotHandledErr;
  }
}

// ---- Mouse events ---------------------------------------------------------------------------

OSStatus Sp_CatchWindowMouseDownForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                                   void* userData) {
  WindowRef window = static_cast<WindowRef>(userData);
  Point where = {0, 0};
  if (event == nullptr || !IsValidWindowPtr(window) ||
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr) {
    return eventNotHandledErr;
  }
  UInt32 modifiers = 0;
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                    &modifiers);
  cSp_Window* windowObj = Sp_SerchWindowObjectInEveryList(window);
  WindowRef hit = nullptr;
  const WindowPartCode part = FindWindow(where, &hit);
  if (windowObj == nullptr || hit != window) return eventNotHandledErr;
  // Behind a modal dialog no part of the window takes a click: not its items, its title strip,
  // its boxes nor the toolbox's activation.
  if (Sp_ModalDialogHoldsClick(window) != 0) return noErr;
  // A click in a window behind others only brings it forward (while its content-click flag
  // asks for that), in the framework's list and on the screen alike, before the toolbox or a
  // dialog item could take it.
  if (part == inContent && windowObj->IsTopOnScreen() == 0 &&
      windowObj->GetMoveToFrontWithContentMouseDownFlag() != 0) {
    windowObj->ContentMouseDown(where, short(modifiers & 0xFFFF));
    return noErr;
  }
  // Anything else is the toolbox's first (the title strip, the boxes, the items of a dialog in
  // front), which may bring the window forward on its own: the list follows it.
  const OSStatus status = CallNextEventHandler(callRef, event);
  if (Sp_SerchWindowObjectInEveryList(window) == windowObj) Sp_FollowToolboxFrontWindow(windowObj);
  return status;
}

OSStatus Sp_CatchMouseEventForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  if (event == nullptr) return eventNotHandledErr;
  EventRecord record = {};
  ConvertEventRefToEventRecord(event, &record);
  const UInt32 eventClass = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  const Point where = record.where;
  const short modifiers = short(record.modifiers);

  // First-call procedures see every press, also one outside the windows.
  if (eventClass == kEventClassMouse && kind == kEventMouseDown &&
      Sp_ExecFirstCallProcForCarbonMouseEvent(mouseDown, where, record.modifiers) != 0) {
    return noErr;
  }
  // Every move runs the trace pass, wherever the pointer went: the pass itself finds the area
  // under it, and a move onto a title strip, the desk or another window has to leave the
  // area that was current.
  if (eventClass == kEventClassMouse && kind == kEventMouseMoved) {
    SpMouseTraceEventProcedure();
    return eventNotHandledErr;
  }
  WindowRef window = nullptr;
  if (FindWindow(where, &window) != inContent) return eventNotHandledErr;
  cSp_Window* windowObj = Sp_SerchWindowObject(window);
  if (windowObj == nullptr) return eventNotHandledErr;
  if (eventClass != kEventClassMouse) return eventNotHandledErr;

  switch (kind) {
    case kEventMouseDown: {
      // A click in a window behind others only brings it forward (while its content-click
      // flag asks for that): no button or item of it is pressed, also when a modal dialog
      // keeps it where it is.
      if (windowObj->IsTopOnScreen() == 0 &&
          windowObj->GetMoveToFrontWithContentMouseDownFlag() != 0) {
        windowObj->ContentMouseDown(where, modifiers);
        return noErr;
      }
      // Dialog items take their clicks through the dialog's own handling before the window
      // sees them.
      short itemHit = 0;
      short itemModifiers = 0;
      if (Sp_DialogMouseDownProc(windowObj->GetDialogRef(), &record, &itemHit, &itemModifiers) !=
          0) {
        return noErr;
      }
      Sp_EditTextServices().SpTS_MouseDownProcedure(window, where);
      return windowObj->ContentMouseDown(where, modifiers) != 0 ? OSStatus(noErr)
                                                                : eventNotHandledErr;
    }
    case kEventMouseUp:
      return Sp_WindowMouseUpTerminate(where, modifiers) != 0 ? OSStatus(noErr)
                                                              : eventNotHandledErr;
    case kEventMouseDragged:
      Sp_ViewServices().Sp_MouseDownMouseTrace();
      return eventNotHandledErr;
    default:
      return eventNotHandledErr;
  }
}

// ---- Control events -------------------------------------------------------------------------

OSStatus Sp_CatchControlEventForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  if (event == nullptr) return eventNotHandledErr;
  ControlRef control = nullptr;
  if (GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                        nullptr, &control) != noErr) {
    return eventNotHandledErr;
  }
  cSp_Window* windowObj = Sp_SerchWindowFromMacOSControlRef(control);
  if (windowObj == nullptr) return eventNotHandledErr;
  if (GetEventClass(event) != kEventClassControl) return eventNotHandledErr;

  switch (GetEventKind(event)) {
    case kEventControlHit: {
      // A hit that the item's own handler on the control left comes here: the dialog's item
      // hears of the release.
      EventRecord record = {};
      ConvertEventRefToEventRecord(event, &record);
      return Sp_MouseHitProcForCarbonEventManager(windowObj, control, &record) != 0
                 ? OSStatus(noErr)
                 : eventNotHandledErr;
    }
    case kEventControlTrack:
      // The toolbox tracks the control itself.
      return eventNotHandledErr;
    case kEventControlIndicatorMoved:
      return noErr;
    default:
      return eventNotHandledErr;
  }
}

// ---- Mouse-down tracking timer --------------------------------------------------------------

void Sp_StartWindowMouseIdleEvent() {
  if (currentEnableMouseDownTraceIdleEventFlag_GlV != 0) return;
  if (mouseDownTraceIdleEventUPP_GlV == nullptr) {
    mouseDownTraceIdleEventUPP_GlV = NewEventLoopTimerUPP(Sp_CatchMouseDownTraceIdleEventCB);
    if (mouseDownTraceIdleEventUPP_GlV == nullptr) return;
  }
  EventLoopTimerRef timer = nullptr;
  if (InstallEventLoopTimer(GetMainEventLoop(), 0.0, kMouseTraceInterval,
                            mouseDownTraceIdleEventUPP_GlV, nullptr, &timer) != noErr) {
    return;
  }
  mouseDownTraceIdleEventRefNum_GlV = timer;
  currentEnableMouseDownTraceIdleEventFlag_GlV = 1;
}

void Sp_EndWindowMouseIdleEvent() {
  if (currentEnableMouseDownTraceIdleEventFlag_GlV == 0) return;
  if (mouseDownTraceIdleEventRefNum_GlV != nullptr) {
    RemoveEventLoopTimer(mouseDownTraceIdleEventRefNum_GlV);
  }
  mouseDownTraceIdleEventRefNum_GlV = nullptr;
  currentEnableMouseDownTraceIdleEventFlag_GlV = 0;
}

void Sp_CatchMouseDownTraceIdleEventCB(EventLoopTimerRef, void*) {
  Sp_ViewServices().Sp_MouseDownMouseTrace();
}

unsigned char SpWindowIdleEventForCarbonEvent(unsigned long) {
  return 0;
}

