// What the other areas of the layer hook into the event loop: targets for their objects, pass
// hooks, raw input and the mouse state. Not for the program's own code.
#pragma once

#include <string>

#include "CarbonEvents.h"

namespace sp_platform {

// ---- Targets --------------------------------------------------------------------------------
// What a target stands for; it decides which standard handling runs at the bottom of its
// handler stack.
enum EventTargetKind : UInt8 {
  kEventTargetKindApplication = 0,
  kEventTargetKindWindow = 1,
  kEventTargetKindControl = 2,
  kEventTargetKindMenu = 3,
  kEventTargetKindOther = 4,
};

// A new target whose unhandled events go on to `parent` (null: to nobody; windows, controls and
// menus pass GetApplicationEventTarget() or their window's target). `owner` is the object it
// stands for (the WindowRef of a window target: the window's standard handling reads its
// attributes). Null when memory runs out.
EventTargetRef NewEventTarget(EventTargetRef parent, EventTargetKind kind = kEventTargetKindOther,
                              void* owner = nullptr);
// Removes the target's handlers and forgets the target. Safe while one of its handlers runs
// (the dispatch under way finishes without it). Targets whose parent it was are given its
// parent. The application's target and unknown references are ignored.
void DisposeEventTarget(EventTargetRef target);
bool IsValidEventTarget(EventTargetRef target);
// paramErr for an unknown target or parent, or a parent that would make a cycle.
OSStatus SetEventTargetParent(EventTargetRef target, EventTargetRef parent);
EventTargetRef GetEventTargetParent(EventTargetRef target);
EventTargetKind GetEventTargetKind(EventTargetRef target);
void* GetEventTargetOwner(EventTargetRef target);
// The Control and Menu Managers: the target GetControlEventTarget / GetMenuEventTarget made
// for the object is disposed of (call it when the control or menu goes).
void DisposeObjectEventTarget(const void* controlOrMenu);

// ---- Pass hooks -----------------------------------------------------------------------------
// Called on every pass of every loop and every wait of the classic calls and of mouse
// tracking (the display backend reads its input there and posts it with PostRawInput).
// Answers true when it did something (the loop then does not wait before its next pass).
typedef bool (*PassHookProc)(void* refCon);
// A number for RemovePassHook (never 0); 0 for a null procedure.
int AddPassHook(PassHookProc hook, void* refCon);
void RemovePassHook(int hookID);

// ---- Waiting --------------------------------------------------------------------------------
// How a loop with nothing to do waits on the real clock: the display backend blocks in its own
// wait for input until the timeout (microseconds; below 0: until input comes) and returns
// early when input came or a signal arrived. Without one the loop sleeps, looking at its pass
// hooks now and then. Null puts the sleeping back.
typedef void (*IdleWaitProc)(SInt64 timeoutMicros, void* refCon);
void SetIdleWaitProc(IdleWaitProc proc, void* refCon);
bool HasIdleWaitProc();

// ---- Raw input ------------------------------------------------------------------------------
enum RawInputKind : UInt8 {
  kRawMouseDown,
  kRawMouseUp,
  kRawMouseMoved,
  kRawMouseDragged,
  kRawKeyDown,
  kRawKeyRepeat,
  kRawKeyUp,
  kRawTextInput,
  kRawMouseWheel,
};

struct RawInput {
  RawInputKind kind = kRawMouseMoved;
  Point where = {0, 0};   // mouse: global location
  UInt32 modifiers = 0;   // cmdKey, shiftKey, alphaLock, optionKey, controlKey
  UInt32 clickCount = 1;  // mouse down/up
  EventMouseButton button = kEventMouseButtonPrimary;
  UInt8 charCode = 0;  // keys: Mac character code
  UInt8 keyCode = 0;   // keys: Mac virtual key code
  std::string text;    // text input: MacJapanese bytes (at most 1023 are kept)
  EventMouseWheelAxis wheelAxis = kEventMouseWheelAxisY;  // wheel
  SInt32 wheelDelta = 0;  // wheel: steps, positive up (or left)
};

// Turns raw input into the Carbon event the framework expects and posts it (standard
// priority):
// - mouse: {'mous', 1 down / 2 up / 5 moved / 6 dragged} with 'mloc' (global, typeQDPoint),
//   'kmod' (typeUInt32), 'mbtn' (typeMouseButton), 'ccnt' (typeUInt32, down and up) and,
//   when FindWindow finds a window under the point, 'wind' (typeWindowRef). The mouse
//   location and button state change now.
// - keys: {'keyb', 1 down / 2 repeat / 3 up} with 'kchr' (typeChar, one byte), 'kcod' and
//   'kmod' (typeUInt32). The key is held (GetKeys) from down to up.
// - wheel: {'mous', 10} with 'mloc', 'kmod', 'mwax' (typeMouseWheelAxis) and 'mwdv'
//   (typeSInt32: scroll-bar steps, positive up or left) and 'wind' as for the mouse; the mouse
//   location changes now. paramErr for a delta of 0.
// - text: {'text', 2} with 'tstx' (typeChar, MacJapanese), 'kmod' and 'tske', a raw key-down
//   event of the first byte.
// paramErr for an empty text; memFullErr.
OSStatus PostRawInput(const RawInput& input);

// ---- Mouse state ----------------------------------------------------------------------------
// The latest mouse input: global location and button.
Point CurrentMouseLocation();
bool CurrentMouseButtonDown();
// For the display backend when it learns of the pointer without an event.
void SetMouseState(Point globalLocation, bool buttonDown);
// Where the pointer is now, as GetMouse and GetGlobalMouse answer: the display backend asks
// its desktop (true with the global place). Without one, or when it cannot tell, the latest
// mouse input's place answers. Null takes the backend's way away.
typedef bool (*PointerProc)(Point* globalLocation, void* refCon);
void SetPointerProc(PointerProc proc, void* refCon);
Point PointerLocationNow();

// ---- Loop state -----------------------------------------------------------------------------
// True while RunApplicationEventLoop runs.
bool ApplicationEventLoopRunning();
// The number of modal loops running, and the window of the innermost (null when none).
int ModalLoopDepth();
WindowRef InnermostModalWindow();

}  // namespace sp_platform
