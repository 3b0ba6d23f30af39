// The classic Event Manager calls over the Carbon queue: event records, the system event mask,
// the mouse button and location, and the modifier keys.
#include <cmath>

#include "CarbonEvents.h"
#include "Clock.h"
#include "Events.h"
#include "MacWindows.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "base/internal/Clock.h"
#include "events/detail/AppleEventQueue.h"
#include "events/detail/EventInternal.h"
#include "events/internal/EventLoop.h"
#include "files/internal/Completions.h"

namespace {

using namespace sp_platform::events;

// Key-up events are left out until a program asks for them, as on the original system.
constexpr EventMask kDefaultSystemMask = EventMask(everyEvent & ~keyUpMask);

EventMask gSystemMask = kDefaultSystemMask;

// The classic kind of a queued event; false for events that have none.
bool ClassicKind(EventRef event, EventKind* what) {
  UInt32 cls = GetEventClass(event);
  UInt32 kind = GetEventKind(event);
  if (cls == kEventClassMouse) {
    if (kind == kEventMouseDown)
      *what = mouseDown;
    else if (kind == kEventMouseUp)
      *what = mouseUp;
    else
      return false;
    return true;
  }
  if (cls == kEventClassKeyboard) {
    if (kind == kEventRawKeyDown)
      *what = keyDown;
    else if (kind == kEventRawKeyRepeat)
      *what = autoKey;
    else if (kind == kEventRawKeyUp)
      *what = keyUp;
    else
      return false;
    return true;
  }
  return false;
}

bool MatchesMask(EventRef event, EventMask mask) {
  EventKind what = nullEvent;
  return ClassicKind(event, &what) && ((1u << what) & mask) != 0;
}

UInt32 TicksOf(EventTime seconds) {
  SInt64 micros = SInt64(std::llround(seconds * 1e6));
  // 60 ticks a second, as TickCount counts them on the same clock.
  SInt64 ticks = (micros >= 0) ? micros * 3 / 50000 : -((-micros * 3 + 49999) / 50000);
  return UInt32(ticks);
}

EventModifiers ButtonBit(bool down) {
  return down ? EventModifiers(0) : EventModifiers(btnState);
}

void FillNullEvent(EventRecord* record) {
  record->what = nullEvent;
  record->message = 0;
  record->when = TickCount();
  record->where = sp_platform::CurrentMouseLocation();
  record->modifiers =
      EventModifiers(GetCurrentKeyModifiers()) | ButtonBit(sp_platform::CurrentMouseButtonDown());
}

// Takes the first queued event of the mask into the record.
bool TakeMatching(EventMask mask, EventRecord* record) {
  EventRef event = FirstQueuedEvent([mask](EventRef e) { return MatchesMask(e, mask); });
  if (event == nullptr) return false;
  TakeQueuedEvent(event);
  ConvertEventRefToEventRecord(event, record);
  ReleaseEvent(event);
  return true;
}

// The update event of the front-most visible window that waits to be redrawn. As on the
// original system it comes after every other event, and again on each call until the program
// redraws the window (BeginUpdate, EndUpdate).
bool TakeUpdate(EventRecord* record) {
  RgnHandle waiting = NewRgn();
  if (waiting == nullptr) return false;
  WindowRef found = nullptr;
  for (WindowRef w = FrontWindow(); w != nullptr && found == nullptr; w = GetNextWindow(w)) {
    if (IsWindowVisible(w) && GetWindowRegion(w, kWindowUpdateRgn, waiting) == noErr &&
        !EmptyRgn(waiting)) {
      found = w;
    }
  }
  DisposeRgn(waiting);
  if (found == nullptr) return false;
  FillNullEvent(record);
  record->what = updateEvt;
  record->message = reinterpret_cast<unsigned long>(found);
  return true;
}

bool MouseUpQueued() {
  return FirstQueuedEvent([](EventRef e) {
           return GetEventClass(e) == kEventClassMouse && GetEventKind(e) == kEventMouseUp;
         }) != nullptr;
}

}  // namespace

namespace sp_platform {
namespace events {

void ResetClassicEvents() {
  gSystemMask = kDefaultSystemMask;
}

}  // namespace events
}  // namespace sp_platform

Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep, RgnHandle) {
  if (theEvent == nullptr) return false;
  EndInputHandling();
  EventMask mask = EventMask(eventMask & gSystemMask);
  SInt64 now = sp_platform::ClockNowMicroseconds();
  SInt64 deadline = (sleep == 0xFFFFFFFFu) ? kNever : now + SInt64(sleep) * 50000 / 3;
  for (;;) {
    if (CountPass()) break;
    RunCompletionsAndHooks();
    FireDueTimers([] { return LoopsMustUnwind(); });
    if (TakeMatching(mask, theEvent)) return true;
    if ((mask & highLevelEventMask) != 0 && sp_platform::PeekQueuedAppleEvent(theEvent)) {
      return true;
    }
    if ((mask & updateMask) != 0 && TakeUpdate(theEvent)) return true;
    now = sp_platform::ClockNowMicroseconds();
    if (now >= deadline) break;
    if (sp_platform::files::PendingFileCompletions() > 0 || NextTimedFireTime() <= now) continue;
    WaitOutcome w = WaitForWork(deadline);
    if (w == WaitOutcome::kUnwind) break;
    if (w == WaitOutcome::kIdle) {
      if (sp_platform::ClockIsVirtual()) break;
      WaitForWork(now + 10000);  // a real wait for ever: look at the hooks again soon
    }
  }
  FillNullEvent(theEvent);
  return false;
}

Boolean GetNextEvent(EventMask eventMask, EventRecord* theEvent) {
  return WaitNextEvent(eventMask, theEvent, 0, nullptr);
}

Boolean EventAvail(EventMask eventMask, EventRecord* theEvent) {
  if (theEvent == nullptr) return false;
  RunPassHooks();
  EventMask mask = EventMask(eventMask & gSystemMask);
  EventRef event = FirstQueuedEvent([mask](EventRef e) { return MatchesMask(e, mask); });
  if (event != nullptr) {
    ConvertEventRefToEventRecord(event, theEvent);
    return true;
  }
  if ((mask & highLevelEventMask) != 0 && sp_platform::PeekQueuedAppleEvent(theEvent)) {
    return true;
  }
  FillNullEvent(theEvent);
  return false;
}

void FlushEvents(EventMask whichMask, EventMask stopMask) {
  for (EventRef event : QueuedEventsInOrder()) {
    if (MatchesMask(event, stopMask)) break;
    if (MatchesMask(event, whichMask) && TakeQueuedEvent(event)) ReleaseEvent(event);
  }
}

void SetEventMask(EventMask mask) {
  gSystemMask = mask;
}

EventMask GetEventMask() {
  return gSystemMask;
}

Boolean StillDown() {
  RunPassHooks();
  return sp_platform::CurrentMouseButtonDown() && !MouseUpQueued();
}

Boolean WaitMouseUp() {
  if (StillDown()) return true;
  EventRef up = FirstQueuedEvent([](EventRef e) {
    return GetEventClass(e) == kEventClassMouse && GetEventKind(e) == kEventMouseUp;
  });
  if (up != nullptr) {
    TakeQueuedEvent(up);
    ReleaseEvent(up);
  }
  return false;
}

Boolean Button() {
  RunPassHooks();
  return sp_platform::CurrentMouseButtonDown();
}

void GetMouse(Point* mouseLoc) {
  if (mouseLoc == nullptr) return;
  RunPassHooks();
  *mouseLoc = sp_platform::PointerLocationNow();
  GlobalToLocal(mouseLoc);
}

void GetGlobalMouse(Point* globalMouse) {
  if (globalMouse == nullptr) return;
  RunPassHooks();
  *globalMouse = sp_platform::PointerLocationNow();
}

UInt32 GetDblTime() {
  return 30;
}

UInt32 GetCaretTime() {
  return 32;
}

UInt32 GetCurrentKeyModifiers() {
  KeyMap keys;
  GetKeys(keys);
  const UInt8* bytes = reinterpret_cast<const UInt8*>(keys);
  auto held = [bytes](UInt8 code) { return (bytes[code >> 3] & (1u << (code & 7))) != 0; };
  UInt32 modifiers = 0;
  if (held(kVK_Command)) modifiers |= cmdKey;
  if (held(kVK_Shift)) modifiers |= shiftKey;
  if (held(kVK_CapsLock)) modifiers |= alphaLock;
  if (held(kVK_Option)) modifiers |= optionKey;
  if (held(kVK_Control)) modifiers |= controlKey;
  return modifiers;
}

Boolean ConvertEventRefToEventRecord(EventRef inEvent, EventRecord* outEvent) {
  if (outEvent == nullptr) return false;
  if (!IsLiveEvent(inEvent)) {
    FillNullEvent(outEvent);
    return false;
  }
  EventKind what = nullEvent;
  bool classic = ClassicKind(inEvent, &what);
  outEvent->what = classic ? what : EventKind(nullEvent);
  outEvent->message = 0;
  outEvent->when = TicksOf(GetEventTime(inEvent));
  Point where = sp_platform::CurrentMouseLocation();
  ReadPoint(inEvent, kEventParamMouseLocation, &where);
  outEvent->where = where;
  UInt32 modifiers = GetCurrentKeyModifiers();
  ReadUInt32(inEvent, kEventParamKeyModifiers, &modifiers);
  bool down = sp_platform::CurrentMouseButtonDown();
  if (classic && what == mouseDown) down = true;
  if (classic && what == mouseUp) down = false;
  outEvent->modifiers = EventModifiers((modifiers & 0xFF00u) | ButtonBit(down));
  if (GetEventClass(inEvent) == kEventClassKeyboard) {
    UInt8 charCode = 0;
    UInt32 keyCode = 0;
    GetEventParameter(inEvent, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr,
                      &charCode);
    ReadUInt32(inEvent, kEventParamKeyCode, &keyCode);
    outEvent->message = (unsigned long)charCode | ((unsigned long)(keyCode & 0xFF) << 8);
  }
  return classic;
}
