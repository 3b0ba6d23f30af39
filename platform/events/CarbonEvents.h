// Carbon Event Manager: events with typed parameters, event targets with handler stacks, the
// standard handlers, the event queue and loop, modal loops, event-loop timers and mouse
// tracking.
//
// How it works here:
// - Targets form a tree: every window, control and menu target has a parent, and the
//   application's target is the root. An event sent to a target runs the handlers installed
//   there, the most recently installed first; a handler answering eventNotHandledErr passes it
//   on to the next one. When every handler of a target has passed, the standard handling of
//   that kind of target runs (see below), and when that passes too the event goes on to the
//   parent target. CallNextEventHandler, called from inside a handler, runs the rest of the
//   current target's handlers and its standard handling, and answers their result; the caller
//   decides whether the event goes on to the parent by what it answers itself.
// - Handlers may install and remove handlers (themselves included) while they run; a removed
//   handler is never called again, also by a dispatch that is under way.
// - Standard handling: one table in the layer (events/StandardHandlers.cpp, with the rows of
//   the Menu, Window, Dialog and Control Managers), one row per default behaviour. On the
//   application target: the HI command 'quit' ({'cmds', 1}) sends a quit Apple event to this
//   process (dispatched on a later pass of the loop), every other command is left unhandled;
//   a raw key-down with Command that is a menu item's key equivalent sends that item's
//   command; a raw key-down or repeat nobody took goes on as typed text ({'text', 2}) to the
//   front window. Standard handling of a window runs only for windows that have
//   kWindowStandardHandlerAttribute.
// - Parameters are stored as the bytes given, with their type. Reading one with another type
//   coerces where the toolbox did: between the integer types (typeSInt16, typeUInt16,
//   typeSInt32, typeUInt32, typeSInt64, typeUInt64, typeBoolean) when the value fits, from
//   those to typeIEEE32BitFloatingPoint/typeIEEE64BitFloatingPoint, from floating point to an
//   integer type when the value is whole and fits, and between typeChar (MacJapanese) and
//   typeUnicodeText (UTF-16 in the machine's byte order). Anything else is errAECoercionFail;
//   a missing parameter is eventParameterNotFoundErr. typeWildCard reads a parameter as it is.
//   At most bufferSize bytes are copied; the full size of the (coerced) data is reported.
// - The loop (RunApplicationEventLoop, and every pass of a modal loop) first runs the File
//   Manager's queued completions, dispatches the queued Apple events and runs the pass hooks
//   of the layer (the display backend), then sends the events posted to the queue (higher
//   priority first, then in the order posted; events posted meanwhile wait for the next
//   pass), then fires the timers that are due. When nothing is left to do it waits for the
//   next timer. On the virtual clock of the tests it moves the clock on to that timer instead
//   of waiting; with no timer at all nothing can ever happen there, so
//   RunApplicationEventLoop and RunAppModalLoopForWindow return at that point (and say so on
//   the standard error) instead of hanging. On the real clock the loop waits for ever.
// - Posted events go to the target in their kEventParamPostTarget parameter when it has one;
//   else mouse events go to the window in their kEventParamWindowRef parameter (the window
//   under the mouse), keyboard and text-input events to the front window, and everything
//   else, or when there is no such window, to the application.
// - Timers: a fire delay of 0 fires on the next pass; an interval of 0 (or
//   kEventDurationForever) makes a one-shot timer, which stays installed, waiting, after it
//   fired, until SetEventLoopTimerNextFireTime schedules it again or it is removed. An
//   interval below one millisecond (the usual 1e-6 s, kEventDurationMicrosecond) means "on
//   every pass of the loop". A repeating timer that falls behind skips the firings it missed.
//   A timer never fires inside its own callback, also when the callback runs a nested loop.
//   On the virtual clock a pass takes no time, except that when the only work left is timers
//   that fire on every pass, each such pass moves the clock on by one millisecond (or less, to
//   the next timer), as real passes would take time.
// - Modal loops nest. While the innermost one runs for window W, user input for other windows
//   is not delivered to them: keyboard and text input goes to W; over another window a
//   mouse-down is dropped with a beep (as the toolbox did) and a mouse move is dropped, while a
//   drag or a release goes to W (it ends a press that began there). Mouse events over no
//   window, and every other event, are delivered as usual; timers, file completions and Apple
//   events keep running. A modal loop whose window is disposed of ends. On the real clock a
//   modal loop (and ModalDialog) whose only work is timers of every pass runs them once a tick
//   (1/60 s), sleeping between, so a dialog left open takes no processor time while the work
//   behind it still moves on; the application's loop runs such timers pass after pass.
//
// Results are the toolbox's codes. References are checked where they come in (paramErr for a
// null or unknown one); no call throws.
#pragma once

#include "AppleEvents.h"
#include "CFBase.h"
#include "Events.h"
#include "MacTypes.h"
#include "QuickDraw.h"

// ---- References -----------------------------------------------------------------------------
typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventLoopRef* EventLoopRef;
typedef struct OpaqueEventQueueRef* EventQueueRef;
typedef struct OpaqueEventLoopTimerRef* EventLoopTimerRef;

// Controls and menus are opaque here; the Control and Menu Managers make them.
typedef struct OpaqueControlRef* ControlRef;
typedef struct OpaqueMenuRef* MenuRef;
typedef UInt16 MenuItemIndex;
typedef UInt32 MenuCommand;

// ---- Time -----------------------------------------------------------------------------------
// Seconds on the program's one clock (since the program started).
typedef double EventTime;
typedef EventTime EventTimeout;
typedef EventTime EventTimerInterval;

constexpr EventTime kEventDurationSecond = 1.0;
constexpr EventTime kEventDurationMillisecond = kEventDurationSecond / 1000;
constexpr EventTime kEventDurationMicrosecond = kEventDurationSecond / 1000000;
constexpr EventTime kEventDurationNanosecond = kEventDurationSecond / 1000000000;
constexpr EventTime kEventDurationMinute = kEventDurationSecond * 60;
constexpr EventTime kEventDurationHour = kEventDurationMinute * 60;
constexpr EventTime kEventDurationDay = kEventDurationHour * 24;
constexpr EventTime kEventDurationNoWait = 0.0;
constexpr EventTime kEventDurationForever = -1.0;

// ---- Result codes ---------------------------------------------------------------------------
// eventNotHandledErr (-9874), eventLoopTimedOutErr (-9875) and eventInternalErr (-9868) are in
// MacTypes.h.
enum : OSStatus {
  eventAlreadyPostedErr = -9860,
  eventTargetBusyErr = -9861,
  eventClassInvalidErr = -9862,
  eventClassIncorrectErr = -9864,
  eventHandlerAlreadyInstalledErr = -9866,
  eventKindIncorrectErr = -9869,
  eventParameterNotFoundErr = -9870,
  eventLoopQuitErr = -9876,
  eventNotInQueueErr = -9877,
};

// ---- Event classes and kinds ----------------------------------------------------------------
enum : UInt32 {
  kEventClassMouse = 0x6D6F7573,        // 'mous'
  kEventClassKeyboard = 0x6B657962,     // 'keyb'
  kEventClassTextInput = 0x74657874,    // 'text'
  kEventClassApplication = 0x6170706C,  // 'appl'
  kEventClassAppleEvent = 0x65707063,   // 'eppc'
  kEventClassMenu = 0x6D656E75,         // 'menu'
  kEventClassWindow = 0x77696E64,       // 'wind'
  kEventClassControl = 0x636E746C,      // 'cntl'
  kEventClassCommand = 0x636D6473,      // 'cmds'
};

// kEventClassMouse
enum : UInt32 {
  kEventMouseDown = 1,
  kEventMouseUp = 2,
  kEventMouseMoved = 5,
  kEventMouseDragged = 6,
  kEventMouseWheelMoved = 10,
};

// kEventClassKeyboard
enum : UInt32 {
  kEventRawKeyDown = 1,
  kEventRawKeyRepeat = 2,
  kEventRawKeyUp = 3,
  kEventRawKeyModifiersChanged = 4,
};

// kEventClassTextInput
enum : UInt32 {
  kEventTextInputUpdateActiveInputArea = 1,
  kEventTextInputUnicodeForKeyEvent = 2,
  kEventTextInputOffsetToPos = 3,
  kEventTextInputPosToOffset = 4,
  kEventTextInputShowHideBottomWindow = 5,
  kEventTextInputGetSelectedText = 6,
  kEventTextInputUnicodeText = 7,
};

// kEventClassApplication
enum : UInt32 {
  kEventAppActivated = 1,
  kEventAppDeactivated = 2,
  kEventAppQuit = 3,
};

// kEventClassAppleEvent
enum : UInt32 { kEventAppleEvent = 1 };

// kEventClassWindow
enum : UInt32 {
  kEventWindowUpdate = 1,
  kEventWindowDrawContent = 2,
  kEventWindowActivated = 5,
  kEventWindowDeactivated = 6,
  kEventWindowGetClickActivation = 7,
  kEventWindowShowing = 22,
  kEventWindowHiding = 23,
  kEventWindowShown = 24,
  kEventWindowHidden = 25,
  kEventWindowBoundsChanging = 26,
  kEventWindowBoundsChanged = 27,
  kEventWindowResizeStarted = 28,
  kEventWindowResizeCompleted = 29,
  kEventWindowDragStarted = 30,
  kEventWindowDragCompleted = 31,
  kEventWindowClickDragRgn = 32,
  kEventWindowClickResizeRgn = 33,
  kEventWindowClickCollapseRgn = 34,
  kEventWindowClickCloseRgn = 35,
  kEventWindowClickZoomRgn = 36,
  kEventWindowClickContentRgn = 37,
  kEventWindowClickProxyIconRgn = 38,
  kEventWindowCursorChange = 40,
  kEventWindowCollapse = 66,
  kEventWindowCollapsed = 67,
  kEventWindowExpand = 69,
  kEventWindowExpanded = 70,
  kEventWindowClose = 72,
  kEventWindowClosed = 73,
  kEventWindowZoom = 75,
  kEventWindowZoomed = 76,
  kEventWindowHandleContentClick = 85,
  kEventWindowFocusAcquired = 200,
  kEventWindowFocusRelinquish = 201,
};

// kEventClassControl
enum : UInt32 {
  kEventControlHit = 1,
  kEventControlSimulateHit = 2,
  kEventControlHitTest = 3,
  kEventControlDraw = 4,
  kEventControlSetFocusPart = 7,
  kEventControlGetFocusPart = 8,
  kEventControlActivate = 9,
  kEventControlDeactivate = 10,
  kEventControlClick = 13,
  kEventControlTrack = 51,
  kEventControlIndicatorMoved = 54,
  kEventControlValueFieldChanged = 151,
  kEventControlBoundsChanged = 154,
};

// kEventClassMenu
enum : UInt32 {
  kEventMenuBeginTracking = 1,
  kEventMenuEndTracking = 2,
  kEventMenuOpening = 4,
  kEventMenuClosed = 5,
  kEventMenuTargetItem = 6,
  kEventMenuMatchKey = 7,
  kEventMenuEnableItems = 8,
};

// kEventClassCommand
enum : UInt32 {
  kEventCommandProcess = 1,
  kEventCommandUpdateStatus = 2,
};

// ---- Parameter names ------------------------------------------------------------------------
typedef OSType EventParamName;
typedef OSType EventParamType;

enum : EventParamName {
  kEventParamDirectObject = 0x2D2D2D2D,                // '----'
  kEventParamPostTarget = 0x70747267,                  // 'ptrg' (typeEventTargetRef)
  kEventParamWindowRef = 0x77696E64,                   // 'wind' (typeWindowRef)
  kEventParamControlRef = 0x6374726C,                  // 'ctrl' (typeControlRef)
  kEventParamMenuRef = 0x6D656E75,                     // 'menu' (typeMenuRef)
  kEventParamMenuItemIndex = 0x6974656D,               // 'item' (typeMenuItemIndex)
  kEventParamMenuCommand = 0x6D636D64,                 // 'mcmd' (typeMenuCommand)
  kEventParamMouseLocation = 0x6D6C6F63,               // 'mloc' (typeQDPoint, global)
  kEventParamMouseButton = 0x6D62746E,                 // 'mbtn' (typeMouseButton)
  kEventParamClickCount = 0x63636E74,                  // 'ccnt' (typeUInt32)
  kEventParamMouseWheelAxis = 0x6D776178,              // 'mwax' (typeMouseWheelAxis)
  kEventParamMouseWheelDelta = 0x6D776476,             // 'mwdv' (typeSInt32)
  kEventParamKeyModifiers = 0x6B6D6F64,                // 'kmod' (typeUInt32)
  kEventParamKeyCode = 0x6B636F64,                     // 'kcod' (typeUInt32)
  kEventParamKeyMacCharCodes = 0x6B636872,             // 'kchr' (typeChar)
  kEventParamKeyUnicodes = 0x6B756E69,                 // 'kuni' (typeUnicodeText)
  kEventParamTextInputSendText = 0x74737478,           // 'tstx'
  kEventParamTextInputSendKeyboardEvent = 0x74736B65,  // 'tske' (typeEventRef)
  kEventParamCurrentBounds = 0x63726374,               // 'crct' (typeQDRectangle)
  kEventParamOriginalBounds = 0x6F726374,              // 'orct'
  kEventParamPreviousBounds = 0x70726374,              // 'prct'
  kEventParamAttributes = 0x61747472,                  // 'attr' (typeUInt32)
  kEventParamWindowPartCode = 0x77706172,              // 'wpar' (typeWindowPartCode)
  kEventParamControlPart = 0x63707274,                 // 'cprt' (typeControlPartCode)
  kEventParamClickActivation = 0x636C6163,             // 'clac'
  kEventParamEventRef = 0x65767266,                    // 'evrf' (typeEventRef)
  kEventParamAEEventClass = 0x65707331,                // 'eps1' (typeType)
  kEventParamAEEventID = 0x65767469,                   // 'evti' (typeType)
};

// ---- Parameter types ------------------------------------------------------------------------
// (typeWildCard, typeNull, typeType, typeSInt16, typeSInt32, typeAEList and the file types are
// the Apple Event Manager's, in AppleEvents.h.)
enum : DescType {
  typeChar = 0x54455854,                    // 'TEXT': MacJapanese bytes
  typeUnicodeText = 0x75747874,             // 'utxt': UTF-16, the machine's byte order
  typeBoolean = 0x626F6F6C,                 // 'bool': one byte
  typeUInt16 = 0x75736872,                  // 'ushr'
  typeUInt32 = 0x6D61676E,                  // 'magn'
  typeSInt64 = 0x636F6D70,                  // 'comp'
  typeUInt64 = 0x75636F6D,                  // 'ucom'
  typeIEEE32BitFloatingPoint = 0x73696E67,  // 'sing'
  typeIEEE64BitFloatingPoint = 0x646F7562,  // 'doub'
  typeQDPoint = 0x51447074,                 // 'QDpt': a Point
  typeQDRectangle = 0x71647274,             // 'qdrt': a Rect
  typeWindowRef = 0x77696E64,               // 'wind'
  typeControlRef = 0x6374726C,              // 'ctrl'
  typeMenuRef = 0x6D656E75,                 // 'menu'
  typeMenuItemIndex = 0x6D696478,           // 'midx'
  typeMenuCommand = 0x6D636D64,             // 'mcmd'
  typeHICommand = 0x68636D64,               // 'hcmd': an HICommand
  typeEventRef = 0x65767266,                // 'evrf'
  typeEventTargetRef = 0x65747267,          // 'etrg'
  typeMouseButton = 0x6D62746E,             // 'mbtn': UInt16
  typeMouseWheelAxis = 0x6D776178,          // 'mwax': UInt16
  typeWindowPartCode = 0x77706172,          // 'wpar': SInt16
  typeControlPartCode = 0x63707274,         // 'cprt': SInt16
  typeClickActivationResult = 0x636C6163,   // 'clac': UInt32
  typeGrafPtr = 0x67726F70,                 // 'grop'
  typeVoidPtr = 0x766F6964,                 // 'void'
  typeRefCon = 0x72656663,                  // 'refc': pointer-sized
};
enum : DescType {
  typeLongInteger = typeSInt32,
  typeShortInteger = typeSInt16,
  typeInteger = typeSInt32,
  typeFloat = typeIEEE64BitFloatingPoint,
};

typedef UInt16 EventMouseButton;
enum : EventMouseButton {
  kEventMouseButtonPrimary = 1,
  kEventMouseButtonSecondary = 2,
  kEventMouseButtonTertiary = 3,
};

typedef UInt16 EventMouseWheelAxis;
enum : EventMouseWheelAxis {
  kEventMouseWheelAxisX = 0,
  kEventMouseWheelAxisY = 1,
};

// ---- Commands -------------------------------------------------------------------------------
struct HICommand {
  UInt32 attributes;
  UInt32 commandID;
  struct {
    MenuRef menuRef;
    MenuItemIndex menuItemIndex;
  } menu;
};

enum : UInt32 {
  kHICommandFromMenu = 1u << 0,
  kHICommandFromControl = 1u << 1,
  kHICommandFromWindow = 1u << 2,
};

enum : UInt32 {
  kHICommandOK = 0x6F6B2020,              // 'ok  '
  kHICommandCancel = 0x6E6F7421,          // 'not!'
  kHICommandQuit = 0x71756974,            // 'quit'
  kHICommandUndo = 0x756E646F,            // 'undo'
  kHICommandRedo = 0x7265646F,            // 'redo'
  kHICommandCut = 0x63757420,             // 'cut '
  kHICommandCopy = 0x636F7079,            // 'copy'
  kHICommandPaste = 0x70617374,           // 'past'
  kHICommandClear = 0x636C6561,           // 'clea'
  kHICommandSelectAll = 0x73616C6C,       // 'sall'
  kHICommandHide = 0x68696465,            // 'hide'
  kHICommandPreferences = 0x70726566,     // 'pref'
  kHICommandZoomWindow = 0x7A6F6F6D,      // 'zoom'
  kHICommandMinimizeWindow = 0x6D696E69,  // 'mini'
  kHICommandClose = 0x636C6F73,           // 'clos'
  kHICommandNew = 0x6E657720,             // 'new '
  kHICommandOpen = 0x6F70656E,            // 'open'
  kHICommandSave = 0x73617665,            // 'save'
  kHICommandAbout = 0x61626F75,           // 'abou'
  kHICommandOther = 0x6F746872,           // 'othr'
};

// ---- Handlers -------------------------------------------------------------------------------
struct EventTypeSpec {
  UInt32 eventClass;
  UInt32 eventKind;
};

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                        void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;

// UPPs are the plain procedures; Dispose has nothing to free.
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
void DisposeEventHandlerUPP(EventHandlerUPP userUPP);
OSStatus InvokeEventHandlerUPP(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                               void* inUserData, EventHandlerUPP userUPP);

// Installs a handler of these event types on the target, in front of the handlers there.
// paramErr for a null target or procedure, or a list with no types; *outRef (when given)
// receives the handler's reference.
OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec* inList, void* inUserData,
                             EventHandlerRef* outRef);
// Removes the handler (also from inside a handler, itself included). paramErr for a handler
// that is not installed.
OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef);
// Inside a handler: runs the handlers after the current one on the same target, and then the
// target's standard handling; answers the first result other than eventNotHandledErr, or
// eventNotHandledErr. paramErr outside a handler's call.
OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent);

// ---- Targets --------------------------------------------------------------------------------
EventTargetRef GetApplicationEventTarget();
// The window's target, made with the window (Window Manager); null for an invalid window.
EventTargetRef GetWindowEventTarget(WindowRef inWindow);
// A control's and a menu's target, made on first request (its parent is the application's
// target until the Control or Menu Manager attaches it to its window); null for null.
EventTargetRef GetControlEventTarget(ControlRef inControl);
EventTargetRef GetMenuEventTarget(MenuRef inMenu);

// Sends the event to the target now (see the top of this file) and answers the result.
OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget);

// ---- Events ---------------------------------------------------------------------------------
typedef UInt32 EventAttributes;
enum : EventAttributes {
  kEventAttributeNone = 0,
  kEventAttributeUserEvent = 1u << 0,
};

// A new event with a retain count of 1. `inWhen` 0 takes the current event time. The
// allocator is not used.
OSStatus CreateEvent(CFAllocatorRef inAllocator, UInt32 inClassID, UInt32 inKind, EventTime inWhen,
                     EventAttributes inAttributes, EventRef* outEvent);
// A new event with the same class, kind, time, attributes and parameters.
EventRef CopyEvent(EventRef inOther);
EventRef RetainEvent(EventRef inEvent);
// The last release frees the event (and releases the events stored in its parameters).
void ReleaseEvent(EventRef inEvent);
ItemCount GetEventRetainCount(EventRef inEvent);

UInt32 GetEventClass(EventRef inEvent);
UInt32 GetEventKind(EventRef inEvent);
EventTime GetEventTime(EventRef inEvent);
OSStatus SetEventTime(EventRef inEvent, EventTime inTime);
// Now, on the program's clock.
EventTime GetCurrentEventTime();

// See the top of this file for types and coercions. outActualType, outActualSize and outData
// may be null (outData when inBufferSize is 0).
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, ByteCount inBufferSize,
                           ByteCount* outActualSize, void* outData);
// Stores a copy of the bytes (replacing a parameter of that name). An event stored with
// typeEventRef is retained while the parameter holds it.
OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType,
                           ByteCount inSize, const void* inDataPtr);

// ---- The queue and the loop -----------------------------------------------------------------
typedef SInt16 EventPriority;
enum : EventPriority {
  kEventPriorityLow = 0,
  kEventPriorityStandard = 1,
  kEventPriorityHigh = 2,
};

// The one loop and queue of this single-threaded program.
EventLoopRef GetMainEventLoop();
EventLoopRef GetCurrentEventLoop();
EventQueueRef GetMainEventQueue();
EventQueueRef GetCurrentEventQueue();

// Retains the event and queues it for a later pass of the loop. eventAlreadyPostedErr when
// it is queued already.
OSStatus PostEventToQueue(EventQueueRef inQueue, EventRef inEvent, EventPriority inPriority);
// Removes a queued event (and releases it). eventNotInQueueErr when it is not queued.
OSStatus RemoveEventFromQueue(EventQueueRef inQueue, EventRef inEvent);
ItemCount GetNumEventsInQueue(EventQueueRef inQueue);

// Runs the loop until QuitApplicationEventLoop. When it starts, the open-application Apple
// event is queued (once per run of the program). A call while it runs already returns at once.
void RunApplicationEventLoop();
// Makes RunApplicationEventLoop return once the modal loops running inside it have ended. Asked
// while no RunApplicationEventLoop runs, it makes the next one return at once.
void QuitApplicationEventLoop();

// Runs a modal loop for the window until QuitAppModalLoopForWindow (see the top of this
// file). paramErr for an invalid window.
OSStatus RunAppModalLoopForWindow(WindowRef inWindow);
// Ends the innermost modal loop running for the window (once it gets control back). paramErr
// when no modal loop runs for it.
OSStatus QuitAppModalLoopForWindow(WindowRef inWindow);

// ---- Timers ---------------------------------------------------------------------------------
typedef void (*EventLoopTimerProcPtr)(EventLoopTimerRef inTimer, void* inUserData);
typedef EventLoopTimerProcPtr EventLoopTimerUPP;

EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr userRoutine);
void DisposeEventLoopTimerUPP(EventLoopTimerUPP userUPP);

// Installs a timer on the main loop (see the top of this file). paramErr for another loop, a
// null procedure, or a negative delay or interval other than kEventDurationForever.
OSStatus InstallEventLoopTimer(EventLoopRef inEventLoop, EventTimerInterval inFireDelay,
                               EventTimerInterval inInterval, EventLoopTimerUPP inTimerProc,
                               void* inTimerData, EventLoopTimerRef* outTimer);
// Removes the timer (also from inside a timer's callback, its own included). paramErr for a
// timer that is not installed.
OSStatus RemoveEventLoopTimer(EventLoopTimerRef inTimer);
// The timer next fires this long from now; kEventDurationForever lets it wait until it is
// scheduled again.
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef inTimer, EventTimerInterval inNextFire);

// ---- Mouse tracking -------------------------------------------------------------------------
typedef UInt16 MouseTrackingResult;
enum : MouseTrackingResult {
  kMouseTrackingMouseDown = 1,
  kMouseTrackingMouseUp = 2,
  kMouseTrackingMouseExited = 3,
  kMouseTrackingMouseEntered = 4,
  kMouseTrackingMouseDragged = 5,
  kMouseTrackingKeyModifiersChanged = 6,
  kMouseTrackingUserCancelled = 7,
  kMouseTrackingTimedOut = 8,
  kMouseTrackingMouseMoved = 9,
};

// Waits for the next mouse event, running timers and file completions meanwhile, and takes it
// from the queue: a drag gives kMouseTrackingMouseDragged, a release kMouseTrackingMouseUp, a
// press kMouseTrackingMouseDown and a move kMouseTrackingMouseMoved, with the event's point in
// the port's local coordinates (a null port: the current port). Other events stay queued.
// When no mouse event can come any more (the virtual clock with nothing scheduled, or the
// loop unwinding) it answers kMouseTrackingMouseUp at the last known mouse location.
OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult);

// ---- Modifiers and classic records ----------------------------------------------------------
// The modifier keys held now (cmdKey, shiftKey, alphaLock, optionKey, controlKey), from the
// live keyboard state.
UInt32 GetCurrentKeyModifiers();
// Fills a classic event record: mouse down/up, key down/repeat/up have their classic kinds;
// other events give a null event (answer false) with the event's time, its mouse location
// (else the current one) and its modifiers (else the current ones).
Boolean ConvertEventRefToEventRecord(EventRef inEvent, EventRecord* outEvent);
