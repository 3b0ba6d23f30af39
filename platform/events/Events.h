// Classic Event Manager: event records, modifier bits, the live keyboard state and the
// classic calls that take events from the one event queue of the Carbon Event Manager.
//
// How it works here:
// - The classic calls see the queued mouse-down/up and key down/repeat/up events of the Carbon
//   queue as event records (and a queued Apple event as a high-level event). They take only
//   the events that match their mask and the system event mask (SetEventMask; key-up events
//   are left out until it includes keyUpMask), and leave every other event queued for the
//   Carbon loop. They work nested inside a Carbon handler: while they wait they run timers,
//   file completions and the layer's pass hooks, but dispatch no event.
// - The mouse location and button are those of the latest mouse input that reached the layer
//   (the display backend or the test API), whether or not its event was taken from the queue
//   yet. StillDown is true while the button is down and no mouse-up waits in the queue.
// - WaitNextEvent also hands out an update event (message: the window) for the front-most
//   visible window whose update region is not empty, after every other event of the mask, and
//   again on each call until the program empties the region (BeginUpdate, EndUpdate).
// - mouseRgn of WaitNextEvent is not used (no mouse-moved OS events are made).
#pragma once

#include "MacTypes.h"

// Modifier bits of EventRecord.modifiers.
enum : UInt16 {
  activeFlag = 0x0001,
  btnState = 0x0080,
  cmdKey = 0x0100,
  shiftKey = 0x0200,
  alphaLock = 0x0400,
  optionKey = 0x0800,
  controlKey = 0x1000,
};

// Key codes of the modifier keys in a KeyMap.
enum : UInt8 {
  kVK_Command = 55,
  kVK_Shift = 56,
  kVK_CapsLock = 57,
  kVK_Option = 58,
  kVK_Control = 59,
};

// Event kinds.
enum : UInt16 {
  nullEvent = 0,
  mouseDown = 1,
  mouseUp = 2,
  keyDown = 3,
  keyUp = 4,
  autoKey = 5,
  updateEvt = 6,
  diskEvt = 7,
  activateEvt = 8,
  osEvt = 15,
  kHighLevelEvent = 23,
};

typedef UInt16 EventKind;
typedef UInt16 EventMask;
typedef UInt16 EventModifiers;

// Event masks: 1 << kind.
enum : EventMask {
  mDownMask = 1u << mouseDown,
  mUpMask = 1u << mouseUp,
  keyDownMask = 1u << keyDown,
  keyUpMask = 1u << keyUp,
  autoKeyMask = 1u << autoKey,
  updateMask = 1u << updateEvt,
  diskMask = 1u << diskEvt,
  activMask = 1u << activateEvt,
  highLevelEventMask = 0x0400,
  osMask = 1u << osEvt,
  everyEvent = 0xFFFF,
};

// The record of one event. `message` is pointer-sized: update and activate events carry the
// window in it. Mouse events: 0. Keyboard events: the character code in bits 0-7 and the key
// code in bits 8-15. High-level events: the event class (the event id is in `where`, v the
// high half, h the low half).
struct EventRecord {
  EventKind what;
  unsigned long message;
  UInt32 when;
  Point where;  // global
  EventModifiers modifiers;
};

// A region, as QuickDraw declares it.
struct MacRegion;
typedef MacRegion* RgnPtr;
typedef RgnPtr* RgnHandle;

// Sixteen bytes: key code k is bit (k & 7) of byte (k >> 3).
typedef UInt8 KeyMapByteArray[16];
typedef UInt32 KeyMap[4];

// The keys held down now (not those of an event).
void GetKeys(KeyMap theKeys);

// The next event of the mask (and the system event mask), taken from the queue; when none
// comes within `sleep` ticks, a null event (what nullEvent, the current mouse location and
// modifiers) and false. Timers and file completions run while it waits. A null record does
// nothing and answers false.
Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep, RgnHandle mouseRgn);
// WaitNextEvent without sleeping.
Boolean GetNextEvent(EventMask eventMask, EventRecord* theEvent);
// The next event of the mask without taking it from the queue (a null event and false when
// there is none). Runs nothing but the pass hooks of the layer.
Boolean EventAvail(EventMask eventMask, EventRecord* theEvent);
// Removes the queued events of whichMask (mouse, keyboard), up to the first event of
// stopMask.
void FlushEvents(EventMask whichMask, EventMask stopMask);
// The system event mask (everyEvent without keyUpMask at start).
void SetEventMask(EventMask mask);
EventMask GetEventMask();

// The button is down and no mouse-up waits in the queue.
Boolean StillDown();
// StillDown; when the button is up, the queued mouse-up (if any) is taken from the queue.
Boolean WaitMouseUp();
// The mouse button is down.
Boolean Button();
// Where the pointer is now, in the current port's local coordinates (on the desktop, asked of
// it when called; headless, where the latest mouse input left it). A null point does nothing.
void GetMouse(Point* mouseLoc);
// Where the pointer is now, in global coordinates.
void GetGlobalMouse(Point* globalMouse);

// The longest time between two clicks, in ticks, for them to count as a double click: half a
// second. The display backend counts clicks with it.
UInt32 GetDblTime();
// The time between two blinks of a text caret, in ticks: about half a second.
UInt32 GetCaretTime();
