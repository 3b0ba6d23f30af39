#include "SpCarbonEventHandlers.h"

#include <cstring>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "MacMemory.h"
#include "Menus.h"
#include "QuickDraw.h"
#include "SpApplicationClass.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpMainEventLoop.h"
#include "SpMenu.h"
#include "SpPortSaver.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"
#include "SpWindowHandlers.h"

EventHandlerUPP appActivatedUPP_GlV = nullptr;
EventHandlerUPP appDeactivateUPP_GllV = nullptr;
EventHandlerUPP keyRawDownEventUPP_GlV = nullptr;
EventHandlerUPP keyRawRepeatEventUPP_GlV = nullptr;
EventHandlerUPP keyRawUpEventUPP_GlV = nullptr;
EventHandlerUPP windowRedrawCommonUPP_GlV = nullptr;
EventHandlerUPP windowCloseCommonUPP_GlV = nullptr;
EventHandlerUPP menuComanndEventCatchUPP_GlV = nullptr;

unsigned char frontAppFlag_GlV = 1;
unsigned char inApplicationFontNowFlag_GlV = 1;

TECObjectRef textEditObjRefNum_GlV = nullptr;
char* unicodeConvertBuff_GlV = nullptr;
UInt32 unicodeConvertBuffSize_GlV = 0;

namespace {

const char kSource[] = "SpCarbonEventHandlers.cpp";

// Typed text arrives in a buffer of this size, at most one byte less as text.
enum { kTextInputBufferSize = 1024 };

OSStatus InstallOnTarget(EventTargetRef target, EventHandlerUPP* upp, EventHandlerProcPtr proc,
                         UInt32 eventClass, UInt32 eventKind) {
  if (*upp == nullptr) *upp = NewEventHandlerUPP(proc);
  if (*upp == nullptr) return memFullErr;
  const EventTypeSpec spec = {eventClass, eventKind};
  return InstallEventHandler(target, *upp, 1, &spec, nullptr, nullptr);
}

// The character, key code and classic modifiers of a raw key event.
struct sKeyParameters {
  char charCode = 0;
  char keyCode = 0;
  short modifiers = 0;
};

// False for a null event or when any of the three is missing.
bool ReadKeyParameters(EventRef event, sKeyParameters* key) {
  char ch = 0;
  UInt32 code = 0;
  UInt32 mods = 0;
  if (event == nullptr ||
      GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch, nullptr,
                        &ch) != noErr ||
      GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, nullptr,
                        &code) != noErr ||
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof mods, nullptr,
                        &mods) != noErr) {
    return false;
  }
  key->charCode = ch;
  key->keyCode = char(code & 0xFF);
  key->modifiers = short(mods & 0xFFFF);
  return true;
}

WindowRef ReadDirectObjectWindow(EventRef event) {
  WindowRef window = nullptr;
  if (GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                        nullptr, &window) != noErr) {
    return nullptr;
  }
  return window;
}

// The location, modifiers and window of a Carbon mouse event.
struct sMouseParameters {
  Point where = {0, 0};
  UInt32 modifiers = 0;
  WindowRef window = nullptr;
};

// False for a null event or when any of the three is missing.
bool ReadMouseParameters(EventRef event, sMouseParameters* mouse) {
  return event != nullptr &&
         GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr,
                           sizeof mouse->where, nullptr, &mouse->where) == noErr &&
         GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr,
                           sizeof mouse->modifiers, nullptr, &mouse->modifiers) == noErr &&
         GetEventParameter(event, kEventParamWindowRef, typeWindowRef, nullptr,
                           sizeof mouse->window, nullptr, &mouse->window) == noErr;
}

}  // namespace

bool Sp_GetRawKeyCharAndModifiers(EventRef event, char& key, UInt32& modifiers) {
  if (event == nullptr || GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr,
                                            sizeof key, nullptr, &key) != noErr) {
    return false;
  }
  if (GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                        nullptr, &modifiers) != noErr) {
    modifiers = 0;
  }
  return true;
}

// ---- Installers -----------------------------------------------------------------------------

OSErr Sp_SetOtherEventHandlerForOSXCFM() {
  EventTargetRef app = GetApplicationEventTarget();
  InstallOnTarget(app, &appActivatedUPP_GlV, Sp_ActiveApplicationForOSXCFMHProc,
                  kEventClassApplication, kEventAppActivated);
  InstallOnTarget(app, &appDeactivateUPP_GllV, Sp_DeactiveApplicationForOSXCFMHProc,
                  kEventClassApplication, kEventAppDeactivated);
  InstallOnTarget(app, &keyRawDownEventUPP_GlV, Sp_KeyRawDownEventForCarbonEventProc,
                  kEventClassKeyboard, kEventRawKeyDown);
  InstallOnTarget(app, &keyRawRepeatEventUPP_GlV, Sp_KeyRawRepeatEventForCarbonEventProc,
                  kEventClassKeyboard, kEventRawKeyRepeat);
  return OSErr(InstallOnTarget(app, &keyRawUpEventUPP_GlV, Sp_KeyRawUpEventForCarbonEventProc,
                               kEventClassKeyboard, kEventRawKeyUp));
}

void Sp_SetupWindowEvent(WindowRef window) {
  if (window == nullptr) return;
  ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, kWindowNoAttributes);
  EventTargetRef target = GetWindowEventTarget(window);
  InstallOnTarget(target, &windowRedrawCommonUPP_GlV, Sp_WindowUpdateForOSXCFMHProc,
                  kEventClassWindow, kEventWindowUpdate);
  InstallOnTarget(target, &windowCloseCommonUPP_GlV, Sp_WindowCloseForOSXCFMHProc,
                  kEventClassWindow, kEventWindowClose);
  // Clicks meet the framework's window rules (modal dialogs, windows behind) before the
  // toolbox's handling of the window.
  static EventHandlerUPP mouseDownUPP = NewEventHandlerUPP(Sp_CatchWindowMouseDownForCarbonEventProc);
  const EventTypeSpec mouseDown = {kEventClassMouse, kEventMouseDown};
  InstallEventHandler(target, mouseDownUPP, 1, &mouseDown, window, nullptr);
}

// ---- Activation -----------------------------------------------------------------------------

// Both answer "not handled" after their work, so the toolbox's own activation handling runs.
OSStatus Sp_ActiveApplicationForOSXCFMHProc(EventHandlerCallRef, EventRef, void*) {
  Sp_ApplicationActivatedProc();
  return eventNotHandledErr;
}

OSStatus Sp_DeactiveApplicationForOSXCFMHProc(EventHandlerCallRef, EventRef, void*) {
  Sp_ApplicationDeactivatedProc();
  return eventNotHandledErr;
}

void Sp_ApplicationActivatedProc() {
  frontAppFlag_GlV = 1;
  Sp_EventToolsResumeEventProc();
  InitCursor();
  inApplicationFontNowFlag_GlV = 1;
  Sp_EditTextServices().SpTS_ResumeProcedure();
  Sp_EditTextServices().SpETO_ResumeEditManager();
  // The system may have reordered the windows while another application was in front.
  Sp_ModifyOutputWindowLayerMachToWindowDataLayout();
  Sp_RedrawOpenWindow();
}

void Sp_ApplicationDeactivatedProc() {
  frontAppFlag_GlV = 0;
  Sp_EvnetToolsSuspendEventProc();
  InitCursor();
  inApplicationFontNowFlag_GlV = 0;
  Sp_EditTextServices().SpTS_SuspendProcedure();
  Sp_EditTextServices().SpETO_SuspendEditManager();
}

unsigned char SpGetFrontApplicationFlag() {
  return frontAppFlag_GlV;
}

// ---- Raw keys -------------------------------------------------------------------------------

OSStatus Sp_KeyRawDownEventForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  sKeyParameters key;
  if (!ReadKeyParameters(event, &key)) return eventNotHandledErr;
  tKeyDownProcType route = kSpKeyDownNobody;
  OSStatus result = eventNotHandledErr;
  if (Sp_ExecuteApplicationShortCut(key.charCode, key.modifiers) != 0) {
    route = kSpKeyDownShortCut;
    result = noErr;
  } else if (Sp_EditTextServices().SpETO_ExistTextObjectAtEextInputInProgress() != 0) {
    // Left unhandled so that the toolbox hands the key to the input method.
    route = kSpKeyDownEditTextInline;
  } else if (Sp_RowKeyDownOnWindow(key.charCode, key.keyCode, key.modifiers, 0) != 0) {
    route = kSpKeyDownFrontWindow;
    result = noErr;
  }
  // Every key-down is remembered, also one that nobody took, so that its key-up can follow it.
  SpKeyDownStack(key.charCode, key.keyCode, route);
  return result;
}

// A held key repeats to the front window only: the short-cut fires once per press and the
// stack holds one item per press.
OSStatus Sp_KeyRawRepeatEventForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  sKeyParameters key;
  if (!ReadKeyParameters(event, &key)) return eventNotHandledErr;
  return Sp_RowKeyDownOnWindow(key.charCode, key.keyCode, key.modifiers, 1) != 0
             ? OSStatus(noErr)
             : eventNotHandledErr;
}

OSStatus Sp_KeyRawUpEventForCarbonEventProc(EventHandlerCallRef, EventRef event, void*) {
  sKeyParameters key;
  if (!ReadKeyParameters(event, &key)) return eventNotHandledErr;
  cKeyDownStackItemObj* item = SpGetkeyDownStackItemByKeyCode(key.keyCode);
  if (item == nullptr) return eventNotHandledErr;
  OSStatus result = eventNotHandledErr;
  // Keys that a short-cut or the input method took give the window no key-up.
  if (item->EqualDownProcType(kSpKeyDownFrontWindow) || item->EqualDownProcType(kSpKeyDownNobody)) {
    if (Sp_RowKeyUpOnWindow(key.charCode, key.keyCode, key.modifiers) != 0) result = noErr;
  }
  SpDeleteKeyDownStackItem(item);
  return result;
}

// ---- Windows --------------------------------------------------------------------------------

OSStatus Sp_WindowUpdateForOSXCFMHProc(EventHandlerCallRef, EventRef event, void*) {
  WindowRef window = (event != nullptr) ? ReadDirectObjectWindow(event) : nullptr;
  if (window == nullptr) return eventNotHandledErr;
  Sp_WindowUpdateProc(window);
  return noErr;
}

OSStatus Sp_WindowCloseForOSXCFMHProc(EventHandlerCallRef, EventRef event, void*) {
  WindowRef window = (event != nullptr) ? ReadDirectObjectWindow(event) : nullptr;
  if (window == nullptr) return eventNotHandledErr;
  cSp_Window* windowObj = Sp_SerchWindowObject(window);
  if (windowObj == nullptr) return eventNotHandledErr;
  windowObj->GoAway(nullptr);
  return noErr;
}

OSStatus Sp_WindowDragStartForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event,
                                          void* userData) {
  return Sp_WindowCloseForOSXCFMHProc(callRef, event, userData);
}

void Sp_WindowUpdateProc(WindowRef window) {
  if (window == nullptr) return;
  // Floating and message windows are the framework's too: their controls need drawing, and
  // their update region emptying, as much as those of the normal windows.
  cSp_Window* windowObj = Sp_SerchWindowObjectInEveryList(window);
  if (windowObj == nullptr) return;
  Sp_ViewServices().Sp_RedrawViewForUpdateEvent(window);
  cSpPortSaver port(window);
  // Drawing between BeginUpdate and EndUpdate reaches only what waits, and EndUpdate marks it
  // done: without the pair the toolbox would keep asking for the same update.
  BeginUpdate(window);
  windowObj->Update();
  // A dialog's texts, icons and pictures are no controls: only the dialog draws them.
  if (DialogRef dialog = GetDialogFromWindow(window)) {
    DrawDialog(dialog);
  } else {
    DrawControls(window);
  }
  EndUpdate(window);
}

// ---- Menu commands --------------------------------------------------------------------------

OSStatus Sp_CatchMenuCommandEventProc(EventHandlerCallRef, EventRef event, void*) {
  if (event == nullptr || Sp_GetMenuManager(1) == nullptr) return eventNotHandledErr;
  HICommand command = {};
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                        nullptr, &command) != noErr) {
    return eventNotHandledErr;
  }
  if (command.menu.menuItemIndex != 0) {
    // A menu choice is shown to the first-call procedures as a key-down; they cannot stop it.
    EventRecord record = {};
    ConvertEventRefToEventRecord(event, &record);
    record.what = keyDown;
    Sp_ExecFirstCallProc(&record);
  }
  const short menuId = (command.menu.menuRef != nullptr) ? GetMenuID(command.menu.menuRef) : 0;
  if (Sp_MenuEventProc(menuId, short(command.menu.menuItemIndex), 0) != 0) return noErr;
  if (Sp_MenuEventCommandProc(command.commandID, 0) != 0) return noErr;
  return eventNotHandledErr;
}

OSStatus Sp_MenuSelectedForOSXCFMHProc(EventHandlerCallRef, EventRef event, void*) {
  if (event == nullptr) return eventNotHandledErr;
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  if (GetEventParameter(event, kEventParamDirectObject, typeMenuRef, nullptr, sizeof menu, nullptr,
                        &menu) != noErr ||
      GetEventParameter(event, kEventParamMenuItemIndex, typeMenuItemIndex, nullptr, sizeof item,
                        nullptr, &item) != noErr) {
    return eventNotHandledErr;
  }
  const short menuId = (menu != nullptr) ? GetMenuID(menu) : 0;
  Sp_MenuEventProc(menuId, short(item), short(GetCurrentKeyModifiers() & 0xFFFF));
  return noErr;
}

// ---- Mouse (not installed by the framework) -------------------------------------------------

OSStatus Sp_MouseDownForOSXCFMHProc(EventHandlerCallRef, EventRef event, void*) {
  sMouseParameters mouse;
  if (!ReadMouseParameters(event, &mouse)) return eventNotHandledErr;
  if (Sp_ExecFirstCallProcForCarbonMouseEvent(mouseDown, mouse.where, mouse.modifiers) != 0) {
    return noErr;
  }
  cSp_Window* windowObj = Sp_SerchWindowObject(mouse.window);
  if (windowObj == nullptr) return eventNotHandledErr;
  Sp_EditTextServices().SpTS_MouseDownProcedure(mouse.window, mouse.where);
  windowObj->ContentMouseDown(mouse.where, short(mouse.modifiers & 0xFFFF));
  return noErr;
}

OSStatus Sp_MouseUpForOSXCFMHProc(EventHandlerCallRef, EventRef event, void*) {
  sMouseParameters mouse;
  if (!ReadMouseParameters(event, &mouse)) return eventNotHandledErr;
  if (Sp_ExecFirstCallProcForCarbonMouseEvent(mouseUp, mouse.where, mouse.modifiers) == 0) {
    Sp_WindowMouseUpTerminate(mouse.where, short(mouse.modifiers & 0xFFFF));
  }
  return noErr;
}

void Sp_MainTimerActionForOSXCFMProc(EventLoopTimerRef, void*) {
  Sp_OptionEventProc(1);
  Sp_EditTextServices().SpETO_EventIdleProcedure();
}

// ---- Typed text -----------------------------------------------------------------------------

OSStatus Sp_TextInputKeyEventHandlerProc(EventHandlerCallRef, EventRef event, void*) {
  if (event == nullptr) return eventNotHandledErr;
  char text[kTextInputBufferSize] = {};
  ByteCount size = 0;
  if (GetEventParameter(event, kEventParamTextInputSendText, typeChar, nullptr,
                        kTextInputBufferSize - 1, &size, text) != noErr) {
    return eventNotHandledErr;
  }
  if (size > kTextInputBufferSize - 1) size = kTextInputBufferSize - 1;
  text[size] = '\0';
  unsigned char taken = 0;
  if (size < 2) {
    // One byte is one key: it goes the way of every key, short-cuts first.
    short modifiers = 0;
    Sp_GetModifiers(&modifiers, nullptr);
    taken = (Sp_KeyEventProc(text[0], 0, modifiers, 0) != kSpKeyDownNobody) ? 1 : 0;
  } else {
    // A two-byte character or a whole string is text for the edit-text engine only.
    taken = Sp_EditTextServices().SpETO_EventKeyStringInProcedure(text);
  }
  return taken != 0 ? OSStatus(noErr) : eventNotHandledErr;
}

unsigned char Sp_UnicodeToShiftJIS(const unsigned short* text, unsigned long lengthInBytes,
                                   char* out, long outMax) {
  if ((text == nullptr && lengthInBytes > 0) || out == nullptr) {
    return SpReportFailure(kSource, "Sp_UnicodeToShiftJIS", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  if (outMax < 0) return 0;
  if (textEditObjRefNum_GlV == nullptr &&
      TECCreateConverter(&textEditObjRefNum_GlV, kTextEncodingUnicodeDefault,
                         kTextEncodingMacJapanese) != noErr) {
    textEditObjRefNum_GlV = nullptr;
    return 0;
  }
  // Two bytes of UTF-16 never give more than two bytes of MacJapanese, so a buffer of twice
  // the input always holds the result.
  if (lengthInBytes > 0x3FFFFFFFUL) return 0;
  const UInt32 needed = UInt32(lengthInBytes) * 2;
  if (unicodeConvertBuff_GlV == nullptr || unicodeConvertBuffSize_GlV < needed) {
    if (unicodeConvertBuff_GlV != nullptr) DisposePtr(unicodeConvertBuff_GlV);
    unicodeConvertBuffSize_GlV = 0;
    const UInt32 size = (needed / 128) * 128 + 128;
    unicodeConvertBuff_GlV = NewPtrClear(Size(size));
    if (unicodeConvertBuff_GlV == nullptr) return 0;
    unicodeConvertBuffSize_GlV = size;
  }
  ByteCount inLength = 0;
  ByteCount outLength = 0;
  const OSStatus status =
      TECConvertText(textEditObjRefNum_GlV, reinterpret_cast<ConstTextPtr>(text), lengthInBytes,
                     &inLength, reinterpret_cast<TextPtr>(unicodeConvertBuff_GlV),
                     unicodeConvertBuffSize_GlV, &outLength);
  // Each text is a conversion of its own, so a byte-order mark opening one never decides the
  // byte order of the texts after it.
  ByteCount flushed = 0;
  TECFlushText(textEditObjRefNum_GlV, nullptr, 0, &flushed);
  if (status != noErr) return 0;
  if (outLength > ByteCount(outMax)) return 0;
  if (outLength > 0) std::memcpy(out, unicodeConvertBuff_GlV, outLength);
  return 1;
}

// ---- Idle work ------------------------------------------------------------------------------

void Sp_OptionEventProc(unsigned char runCursor) {
  Sp_ViewServices().Sp_InterruptDrawView();
  if (inApplicationFontNowFlag_GlV != 0) Sp_ViewServices().Sp_ViewManagerMouseMoveEventProcedure();
  Sp_EventToolsIdleProc(runCursor);
}
