// Shared between the source files of the event layer. Not for anyone else.
#pragma once

#include <array>
#include <functional>

#include "CarbonEvents.h"
#include "events/internal/EventLoop.h"
#include "events/internal/LoopSteps.h"
#include "events/internal/TestHooks.h"

namespace sp_platform {
namespace events {

// ---- Events (EventObjects.cpp) ----
bool IsLiveEvent(EventRef event);
// A typed read (ReadUInt32 and ReadPointer are in internal/LoopSteps.h) that leaves `out`
// alone and answers false when the parameter is missing or does not coerce.
bool ReadPoint(EventRef event, EventParamName name, Point* out);
// Seconds of the clock <-> its microseconds.
EventTime SecondsFromMicroseconds(SInt64 micros);

// ---- Targets and dispatch (EventTargets.cpp) ----
EventTargetRef ApplicationTarget();

// ---- Standard handling (StandardHandlers.cpp) ----
// Runs the rows of the table that apply to the event on a target of this kind; answers the
// first result other than eventNotHandledErr.
OSStatus RunStandardHandlers(EventRef event, EventTargetRef target);

// ---- Timers (Timers.cpp) ----
// Microseconds from seconds, kNever for kEventDurationForever; false for other negative values.
bool MicrosecondsFromInterval(EventTimerInterval seconds, SInt64* micros);
// The earliest due time of the timed timers (kNever for none); timers of every pass are not
// counted once they fired for the first time.
SInt64 NextTimedFireTime();
// True when a timer fires on every pass (and is not firing now).
bool HasEveryPassTimers();

// ---- The loop (EventLoop.cpp) ----
// Runs the pass hooks only; answers true when one did something.
bool RunPassHooks();

// ---- The keyboard state (Keyboard.cpp, EventLoop.cpp) ----
using KeyBits = std::array<UInt8, 16>;
// The keys as the display has read them.
KeyBits KeysRead();
// The keys as of the event being handled, or else as of the first input still queued; false
// (and `keys` left alone) when no input is queued or being handled.
bool KeysOfDispatch(KeyBits* keys);
// The loop looks for its next event: the one taken last has been handled.
void EndInputHandling();
// Runs `change` on every key state kept for the input queued or being handled.
void ForEachQueuedKeyState(const std::function<void(KeyBits&)>& change);

}  // namespace events
}  // namespace sp_platform
