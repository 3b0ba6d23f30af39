// The framework's Carbon event handlers on the application target (activation, raw keys,
// menu commands), the two handlers every framework window gets (update and close), the
// text-input handler that turns typed text into key calls, and the shared procedures that run
// when the application is activated or deactivated or a window needs redrawing.
//
// Every handler answers the toolbox with noErr (handled) or eventNotHandledErr (-9874), which
// lets the next handler and finally the toolbox's standard handling run. Some do their work
// and still answer -9874 so that the toolbox's own handling runs as well.
#pragma once

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "TextEncodingConverter.h"

// ---- Globals --------------------------------------------------------------------------------
// Handler procedures, set when the handler is first installed (null before).
extern EventHandlerUPP appActivatedUPP_GlV;
extern EventHandlerUPP appDeactivateUPP_GllV;
extern EventHandlerUPP keyRawDownEventUPP_GlV;
extern EventHandlerUPP keyRawRepeatEventUPP_GlV;
extern EventHandlerUPP keyRawUpEventUPP_GlV;
extern EventHandlerUPP windowRedrawCommonUPP_GlV;
extern EventHandlerUPP windowCloseCommonUPP_GlV;
// Made by the menu manager's start-up when it installs Sp_CatchMenuCommandEventProc.
extern EventHandlerUPP menuComanndEventCatchUPP_GlV;

// 1 while the application is active (1 at launch).
extern unsigned char frontAppFlag_GlV;
// Follows the activation as well (1 at launch); while it is 0 the views' mouse-move work is
// left out of the idle work.
extern unsigned char inApplicationFontNowFlag_GlV;

// The converter of typed Unicode text to MacJapanese, made on first use and kept, and its
// work buffer with its size in bytes.
extern TECObjectRef textEditObjRefNum_GlV;
extern char* unicodeConvertBuff_GlV;
extern UInt32 unicodeConvertBuffSize_GlV;

// ---- Installers -----------------------------------------------------------------------------
// Installs the activation and raw-key handlers on the application target, each as its own
// handler: {'appl',1}, {'appl',2}, {'keyb',1}, {'keyb',2}, {'keyb',3}. Answers the last
// installation's result. Called once, by the first open-application or open-documents event.
OSErr Sp_SetOtherEventHandlerForOSXCFM();

// Gives a framework window the standard-handler attribute and installs the update
// {'wind',1} and close {'wind',72} handlers on its target. Nothing for a null window.
void Sp_SetupWindowEvent(WindowRef window);

// The character code of a raw key event and its modifiers (0 when they cannot be read), as a
// window's own key handler reads them; false when the character code cannot be read.
bool Sp_GetRawKeyCharAndModifiers(EventRef event, char& key, UInt32& modifiers);

// ---- Handlers -------------------------------------------------------------------------------
OSStatus Sp_ActiveApplicationForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event,
                                            void* userData);
OSStatus Sp_DeactiveApplicationForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event,
                                              void* userData);
OSStatus Sp_KeyRawDownEventForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                              void* userData);
OSStatus Sp_KeyRawRepeatEventForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                                void* userData);
OSStatus Sp_KeyRawUpEventForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                            void* userData);
OSStatus Sp_WindowUpdateForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event, void* userData);
OSStatus Sp_WindowCloseForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event, void* userData);
// {'cmds',1} on the application target: the command's menu and item first
// (Sp_MenuEventProc), then its command id (Sp_MenuEventCommandProc); -9874 when nobody takes it.
OSStatus Sp_CatchMenuCommandEventProc(EventHandlerCallRef callRef, EventRef event, void* userData);
// {'text',2}, installed by the text services (SpTSMSetupEventHandlerForCarbonEvent).
OSStatus Sp_TextInputKeyEventHandlerProc(EventHandlerCallRef callRef, EventRef event,
                                         void* userData);

// Handlers kept for callers that want them; the framework installs none of them.
OSStatus Sp_WindowDragStartForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event,
                                          void* userData);
OSStatus Sp_MenuSelectedForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event, void* userData);
OSStatus Sp_MouseDownForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event, void* userData);
OSStatus Sp_MouseUpForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event, void* userData);
// The idle work with the animated cursor and the edit-text idle work as a timer procedure.
// There is no main idle timer: no code installs it, so in the Carbon loop the idle work runs
// only from modal filters and tracking loops.
void Sp_MainTimerActionForOSXCFMProc(EventLoopTimerRef timer, void* userData);

// ---- Shared procedures ----------------------------------------------------------------------
// The application came to the front: resume registry, mouse tracing on, text services and the
// edit-text engine resumed, the window order matched to the window list, open windows redrawn.
void Sp_ApplicationActivatedProc();
// The application went to the back: suspend registry (mouse tracing off), text services and
// the edit-text engine suspended.
void Sp_ApplicationDeactivatedProc();
// Redraws a framework window (of any of the three lists): its views, then, between BeginUpdate and
// EndUpdate, the window itself and its controls (a dialog: all its items). Nothing for a null
// window or one that is no framework window.
void Sp_WindowUpdateProc(WindowRef window);
// The framework's idle work: interrupt-drawn views, the views' mouse-move work while the
// application is active, then the idle registry (with the animated cursor and the mouse-trace
// pass when runCursor is non-zero).
void Sp_OptionEventProc(unsigned char runCursor);
// 1 while the application is active.
unsigned char SpGetFrontApplicationFlag();

// Converts `lengthInBytes` bytes of UTF-16 text (machine byte order) to MacJapanese into
// `out`, which holds outMax bytes. No terminating zero is added. 1 on success; 0 when the
// converter or its buffer cannot be made, the text cannot be converted, or the result is
// longer than outMax (out is then untouched).
unsigned char Sp_UnicodeToShiftJIS(const unsigned short* text, unsigned long lengthInBytes,
                                   char* out, long outMax);
