// The classic event switch and main loop, the key-down stack, the first-call procedures and
// the cursor region.
#include <new>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "Clock.h"
#include "Events.h"
#include "MacWindows.h"
#include "Menus.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "SpApplicationClass.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpListLinks.h"
#include "SpMainEventLoop.h"
#include "SpMenu.h"
#include "SpPortSaver.h"
#include "SpServiceHooks.h"
#include "SpWindow.h"

cKeyDownStackItemObj* keyDownStackItemList_GlV = nullptr;
unsigned char keyUpEventEnableFlag_GlV = 0;
cFirstCallIdleEventCBMgr* firstCallIdleEventCBMgr_GlV = nullptr;
RgnHandle cursorRgnH_GlV = nullptr;
RgnHandle backupOriginalCursorRgnH_GlV = nullptr;

namespace {

const char kSource[] = "SpMainEventLoop.cpp";

// Update, disk, activate, high-level and OS events: what a tracking loop may let through while
// the button is held (mouse and key events stay queued for the tracking itself).
const EventMask kStillDownEventMask = 0x85C0;

// The kinds a modal filter hands on to the framework. Updates of other windows must get
// through or the windows behind a modal dialog would stay blank; keys go through the
// framework's key chain; suspend/resume and Apple events keep the application answering.
// Mouse events belong to the filter's own dialog and activation to the Dialog Manager.
bool IsModalFilterPassKind(EventKind kind) {
  switch (kind) {
    case keyDown:
    case keyUp:
    case autoKey:
    case updateEvt:
    case osEvt:
    case kHighLevelEvent:
      return true;
    default:
      return false;
  }
}

// The message of an OS event: the high byte says which; 1 is suspend/resume, its bit 0 resume.
const unsigned long kSuspendResumeMessage = 1;
const unsigned long kResumeFlag = 1;

// How long the classic loop lets events go by after its ending procedures.
const UInt32 kTerminateDrainTicks = 60;

void RouteKeyDown(EventRecord* event) {
  const char charCode = char(event->message & 0xFF);
  const char keyCode = char((event->message >> 8) & 0xFF);
  const short modifiers = short(event->modifiers);
  const unsigned char isAutoKey = (event->what == autoKey) ? 1 : 0;
  tKeyDownProcType route = kSpKeyDownNobody;
  bool routed = false;
  if ((event->modifiers & cmdKey) != 0) {
    const SInt32 menuResult = MenuKey(CharParameter(static_cast<unsigned char>(charCode)));
    if (menuResult > 1) {
      const unsigned char taken =
          Sp_MenuEventProc(short(menuResult >> 16), short(menuResult & 0xFFFF), modifiers);
      HiliteMenu(0);
      if (taken != 0) {
        route = kSpKeyDownMenu;
        routed = true;
      }
    }
  }
  if (!routed) route = Sp_KeyEventProc(charCode, keyCode, modifiers, isAutoKey);
  if (keyUpEventEnableFlag_GlV != 0 && event->what == keyDown && route != kSpKeyDownNobody) {
    SpKeyDownStack(charCode, keyCode, route);
  }
}

void RouteKeyUp(EventRecord* event) {
  if (keyUpEventEnableFlag_GlV == 0) return;
  const char charCode = char(event->message & 0xFF);
  const char keyCode = char((event->message >> 8) & 0xFF);
  cKeyDownStackItemObj* item = SpGetkeyDownStackItemByKeyCode(keyCode);
  if (item == nullptr) return;
  if (item->EqualDownProcType(kSpKeyDownFrontWindow)) {
    Sp_RowKeyUpOnWindow(charCode, keyCode, short(event->modifiers));
  }
  SpDeleteKeyDownStackItem(item);
}

}  // namespace

// ---- The switch -----------------------------------------------------------------------------

void Sp_EventSwitch(EventRecord* event) {
  if (event == nullptr) {
    SpReportFailure(kSource, "Sp_EventSwitch", 1, kSpMsgNullArgument);
    return;
  }
  cSpPortSaver port;
  const short modifiers = short(event->modifiers);
  switch (event->what) {
    case mouseDown:
      Sp_MouseDownProc(event, modifiers);
      break;
    case mouseUp:
      Sp_MouseUpProc(event, modifiers);
      break;
    case keyDown:
    case autoKey:
      RouteKeyDown(event);
      break;
    case keyUp:
      RouteKeyUp(event);
      break;
    case updateEvt:
      if (event->message != 0) {
        WindowRef window = reinterpret_cast<WindowRef>(event->message);
        if (Sp_SerchWindowObjectInEveryList(window) != nullptr) {
          Sp_WindowUpdateProc(window);
        } else if (IsValidWindowPtr(window)) {
          // A window the framework does not draw: its update is answered all the same, or
          // the toolbox would hand it out again and again.
          BeginUpdate(window);
          EndUpdate(window);
        }
        port.Restore();
      }
      break;
    case osEvt:
      // Mouse-moved OS events are left alone.
      if (((event->message >> 24) & 0xFF) == kSuspendResumeMessage) {
        if ((event->message & kResumeFlag) != 0) {
          Sp_ApplicationActivatedProc();
        } else {
          Sp_ApplicationDeactivatedProc();
        }
      }
      break;
    case kHighLevelEvent:
      if (event->message == 0) {
        SpReportFailure(kSource, "Sp_EventSwitch", 1, kSpMsgNoComment);
      } else {
        port.Restore();
        AEProcessAppleEvent(event);
      }
      break;
    default:
      break;
  }
}

void Sp_EventProcInterface(EventRecord* event, short mask) {
  Sp_ViewServices().Sp_WindowRedrawSetupFromUpdateRgn(event);
  if (event != nullptr && mask != 0 && event->what != nullEvent &&
      IsModalFilterPassKind(event->what)) {
    Sp_EventSwitch(event);
  } else {
    Sp_OptionEventProc(0);
  }
}

void Sp_EventProcInterface() {
  Sp_OptionEventProc(0);
}

unsigned char Sp_StillDown(short* modifiersOut) {
  EventRecord event = {};
  const Boolean got = WaitNextEvent(kStillDownEventMask, &event, 0, cursorRgnH_GlV);
  if (modifiersOut != nullptr) *modifiersOut = short(event.modifiers);
  if (got) {
    Sp_EventSwitch(&event);
  } else {
    Sp_OptionEventProc(0);
  }
  return StillDown() ? 1 : 0;
}

tKeyDownProcType Sp_KeyEventProc(char charCode, char keyCode, short modifiers,
                                 unsigned char autoKey) {
  if (Sp_ExecuteApplicationShortCut(charCode, modifiers) != 0) return kSpKeyDownShortCut;
  if (Sp_EditTextServices().SpETO_EventKeyInProcedure(charCode, modifiers) != 0) return kSpKeyDownEditTextInline;
  if (Sp_KeyInWindow(charCode, keyCode, modifiers, autoKey) != 0) return kSpKeyDownFrontWindow;
  return kSpKeyDownNobody;
}

void Sp_MouseDownProc(EventRecord* event, short modifiers) {
  if (event == nullptr) {
    SpReportFailure(kSource, "Sp_MouseDownProc", 1, kSpMsgNullArgument);
    return;
  }
  cSpPortSaver port;
  WindowRef window = nullptr;
  const WindowPartCode part = FindWindow(event->where, &window);
  if (part == inMenuBar) {
    const SInt32 choice = MenuSelect(event->where);
    Sp_MenuEventProc(short(choice >> 16), short(choice & 0xFFFF), modifiers);
    HiliteMenu(0);
    return;
  }
  if (part == inCollapseBox) {
    // Collapsing is the system's business; a click that gets here is a fault.
    SysBeep(10);
    SysBeep(10);
    SpReportFailure(kSource, "Sp_MouseDownProc", 1, kSpMsgNoComment);
    return;
  }
  // Behind a modal dialog no window takes a click, whatever its part.
  if (Sp_ModalDialogHoldsClick(window) != 0) return;
  cSp_Window* windowObj = Sp_SerchWindowObject(window);
  if (windowObj == nullptr) return;
  Point where = event->where;
  switch (part) {
    case inContent:
      Sp_EditTextServices().SpTS_MouseDownProcedure(window, where);
      windowObj->ContentMouseDown(where, modifiers);
      break;
    case inDrag:
      windowObj->Drag(where);
      break;
    case inGrow:
      windowObj->Grow(where);
      break;
    case inGoAway:
      windowObj->GoAway(&where);
      break;
    case inZoomIn:
    case inZoomOut:
      windowObj->ZoomInOutWindow(where, part);
      break;
    default:
      break;
  }
}

void Sp_MouseUpProc(EventRecord* event, short modifiers) {
  if (event == nullptr) {
    SpReportFailure(kSource, "Sp_MouseUpProc", 1, kSpMsgNullArgument);
    return;
  }
  cSpPortSaver port;
  Sp_WindowMouseUpTerminate(event->where, modifiers);
}

// ---- The classic loop -----------------------------------------------------------------------

void Sp_MainEventLoop() {
  RgnHandle region = NewRgn();
  if (region == nullptr) return;
  cursorRgnH_GlV = region;
  backupOriginalCursorRgnH_GlV = region;

  EventRecord event = {};
  mainLoopFlag_GlV = 1;
  while (mainLoopFlag_GlV != 0) {
    // Key-up events are delivered only while the system event mask asks for them.
    if (keyUpEventEnableFlag_GlV != 0) SetEventMask(everyEvent);
    const Boolean got = WaitNextEvent(everyEvent, &event, 0, cursorRgnH_GlV);
    if (got && Sp_ExecFirstCallProc(&event) != 0) continue;
    // A framework dialog in front takes its own clicks, keys and updates (and blinks its caret
    // when nothing came) before the general dispatch sees them. Only this loop offers them:
    // modal filters and tracking loops look after their dialogs themselves.
    if (Sp_DialogIdleProc(&event) != 0) continue;
    if (got) {
      Sp_EventSwitch(&event);
    } else if (frontAppFlag_GlV != 0) {
      Sp_OptionEventProc(1);
    }
    Sp_EditTextServices().SpETO_EventIdleProcedure();
  }

  if (executeMainEventTerminateProcedureFlag_GlV != 0) {
    Sp_RemoveAppleEventHandler();
    Sp_EvnetToolsQuitApplicationProc();
    InitCursor();
    // Events that were on their way when the loop ended are let go by, not handled.
    const UInt32 start = TickCount();
    while (TickCount() - start < kTerminateDrainTicks) {
      WaitNextEvent(everyEvent, &event, 20, cursorRgnH_GlV);
    }
  }

  if (cursorRgnH_GlV != backupOriginalCursorRgnH_GlV && backupOriginalCursorRgnH_GlV != nullptr) {
    DisposeRgn(backupOriginalCursorRgnH_GlV);
  }
  DisposeRgn(cursorRgnH_GlV);
  cursorRgnH_GlV = nullptr;
  backupOriginalCursorRgnH_GlV = nullptr;
}

// ---- Cursor region --------------------------------------------------------------------------

void Sp_SetMouseRgn(RgnHandle region) {
  if (cursorRgnH_GlV != nullptr && cursorRgnH_GlV != backupOriginalCursorRgnH_GlV) {
    DisposeRgn(cursorRgnH_GlV);
  }
  cursorRgnH_GlV = region;
}

void Sp_ResetMouseRgn() {
  if (cursorRgnH_GlV != nullptr && cursorRgnH_GlV != backupOriginalCursorRgnH_GlV) {
    DisposeRgn(cursorRgnH_GlV);
  }
  cursorRgnH_GlV = backupOriginalCursorRgnH_GlV;
}

// ---- Key-down stack -------------------------------------------------------------------------

void SpKeyDownStack(char keyChar, char keyCode, tKeyDownProcType route) {
  cKeyDownStackItemObj* item = new (std::nothrow) cKeyDownStackItemObj(keyChar, keyCode, route);
  if (item == nullptr) return;
  if (keyDownStackItemList_GlV != nullptr) item->LinkToNext(keyDownStackItemList_GlV);
  keyDownStackItemList_GlV = item;
}

cKeyDownStackItemObj* SpGetkeyDownStackItemByKeyCode(char keyCode) {
  for (cKeyDownStackItemObj* item = keyDownStackItemList_GlV; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->EqualKeyCode(keyCode)) return item;
  }
  return nullptr;
}

void SpDeleteKeyDownStackItem(cKeyDownStackItemObj* item) {
  static const char kMethod[] = "SpDeleteKeyDownStackItem";
  if (item == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
    return;
  }
  bool found = false;
  for (cKeyDownStackItemObj* i = keyDownStackItemList_GlV; i != nullptr;
       i = i->GetNextObjectPtr()) {
    if (i == item) {
      found = true;
      break;
    }
  }
  if (!found) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  if (item->GetBeforeObjectPtr() == nullptr && item != keyDownStackItemList_GlV) {
    SpReportFailure(kSource, kMethod, 3, kSpMsgLinkError);
    return;
  }
  if (item == keyDownStackItemList_GlV) keyDownStackItemList_GlV = item->GetNextObjectPtr();
  item->UnlinkFromStack();
  delete item;
}

void SpKeyUpEventEnable() {
  keyUpEventEnableFlag_GlV = 1;
}

void SpKeyUpEventDisable() {
  keyUpEventEnableFlag_GlV = 0;
  cKeyDownStackItemObj* items = keyDownStackItemList_GlV;
  keyDownStackItemList_GlV = nullptr;
  SpDeleteList(items);
}

// ---- First-call procedures ------------------------------------------------------------------

unsigned char cFirstCallIdleEventCBItem::ExecuteProc(EventRecord* event) {
  if (proc_ == nullptr) return 0;
  return proc_(event, userData_);
}

cFirstCallIdleEventCBMgr::~cFirstCallIdleEventCBMgr() {
  SpDeleteList(firstItem_);
  firstItem_ = lastItem_ = nullptr;
}

SInt32 cFirstCallIdleEventCBMgr::SetupNewCBProcPtr(tFirstCallIdleEventCBProcPtr proc,
                                                   unsigned long userData) {
  static const char kMethod[] = "cFirstCallIdleEventCBMgr::SetupNewCBProcPtr";
  if (proc == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, SInt32(0));
  const SInt32 refNum = lastRefNum_ + 1;
  cFirstCallIdleEventCBItem* item =
      new (std::nothrow) cFirstCallIdleEventCBItem(refNum, proc, userData);
  if (item == nullptr) {
    return SpReportFailure(kSource, kMethod, 2, "Cannot allocated memory !!", SInt32(0));
  }
  lastRefNum_ = refNum;
  SpAppendToList(firstItem_, lastItem_, item);
  return refNum;
}

unsigned char cFirstCallIdleEventCBMgr::DisposeTargetCBProc(SInt32 refNum) {
  static const char kMethod[] = "cFirstCallIdleEventCBMgr::DisposeTargetCBProc";
  cFirstCallIdleEventCBItem* item = firstItem_;
  while (item != nullptr && item->GetRefNum() != refNum) item = item->GetNextObjectPtr();
  if (item == nullptr) {
    SysBeep(10);
    return 0;
  }
  if (item->GetBeforeObjectPtr() == nullptr && item != firstItem_) {
    return SpReportFailure(kSource, kMethod, 2, "Data Error !!", static_cast<unsigned char>(0));
  }
  if (item == firstItem_) firstItem_ = item->GetNextObjectPtr();
  if (item == lastItem_) lastItem_ = item->GetBeforeObjectPtr();
  item->UnlinkFromList();
  delete item;
  return 1;
}

unsigned char cFirstCallIdleEventCBMgr::ExecuteCBProc(EventRecord* event) {
  for (cFirstCallIdleEventCBItem* item = firstItem_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->ExecuteProc(event) != 0) return 1;
  }
  return 0;
}

cFirstCallIdleEventCBMgr* Sp_GetFirstCallProcMgr(unsigned char create) {
  if (firstCallIdleEventCBMgr_GlV == nullptr && create != 0) {
    firstCallIdleEventCBMgr_GlV = new (std::nothrow) cFirstCallIdleEventCBMgr();
  }
  return firstCallIdleEventCBMgr_GlV;
}

unsigned char Sp_SetupFirstCallProcPtr(tFirstCallIdleEventCBProcPtr proc, unsigned long userData,
                                       SInt32* refNumOut) {
  cFirstCallIdleEventCBMgr* manager = Sp_GetFirstCallProcMgr(1);
  if (manager == nullptr) return 0;
  const SInt32 refNum = manager->SetupNewCBProcPtr(proc, userData);
  if (refNum == 0) return 0;
  if (refNumOut != nullptr) *refNumOut = refNum;
  return 1;
}

unsigned char Sp_DeleteFirstCallProcPtr(SInt32 refNum) {
  cFirstCallIdleEventCBMgr* manager = Sp_GetFirstCallProcMgr(0);
  if (manager == nullptr) return 0;
  return manager->DisposeTargetCBProc(refNum);
}

unsigned char Sp_ExecFirstCallProc(EventRecord* event) {
  if (event == nullptr) {
    return SpReportFailure(kSource, "Sp_ExecFirstCallProc", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  cFirstCallIdleEventCBMgr* manager = Sp_GetFirstCallProcMgr(0);
  if (manager == nullptr) return 0;
  return manager->ExecuteCBProc(event);
}

unsigned char Sp_ExecFirstCallProcForCarbonMouseEvent(short kind, Point where,
                                                      unsigned long modifiers) {
  EventRecord event = {};
  event.what = EventKind(kind);
  event.message = 0;
  event.when = TickCount();
  event.where = where;
  event.modifiers = EventModifiers(modifiers & 0xFFFF);
  return Sp_ExecFirstCallProc(&event);
}

unsigned char Sp_ExecFirstCallProcForCarbonKeyEvent(short kind, short charCode, short keyCode,
                                                    unsigned long modifiers) {
  EventRecord event = {};
  event.what = EventKind(kind);
  event.message = static_cast<unsigned long>(static_cast<long>(charCode) + 256L * keyCode);
  event.when = TickCount();
  event.modifiers = EventModifiers(modifiers & 0xFFFF);
  return Sp_ExecFirstCallProc(&event);
}
