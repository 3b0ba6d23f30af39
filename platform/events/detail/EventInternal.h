// Shared between the source files of the event layer. Not for anyone else.
#pragma once

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "events/detail/EventLoop.h"

namespace sp_platform {
namespace events {

constexpr SInt64 kNever = std::numeric_limits<SInt64>::max();

// ---- Events (EventObjects.cpp) ----
bool IsLiveEvent(EventRef event);
// Typed reads that leave `out` alone and answer false when the parameter is missing or does not
// coerce.
bool ReadUInt32(EventRef event, EventParamName name, UInt32* out);
bool ReadPoint(EventRef event, EventParamName name, Point* out);
bool ReadPointer(EventRef event, EventParamName name, EventParamType type, void** out);
// Seconds of the clock <-> its microseconds.
EventTime SecondsFromMicroseconds(SInt64 micros);
// Forgets nothing: events are owned by whoever retains them.

// ---- Targets and dispatch (EventTargets.cpp) ----
EventTargetRef ApplicationTarget();
// The target a posted event goes to when it names none itself (see CarbonEvents.h).
EventTargetRef DefaultTargetFor(EventRef event);
// Removes every handler of every target; forgets the targets made for controls and menus.
void ResetTargets();
int InstalledHandlerCount();

// ---- Standard handling (StandardHandlers.cpp) ----
// Runs the rows of the table that apply to the event on a target of this kind; answers the
// first result other than eventNotHandledErr.
OSStatus RunStandardHandlers(EventRef event, EventTargetRef target);

// ---- Timers (Timers.cpp) ----
// Microseconds from seconds, kNever for kEventDurationForever; false for other negative values.
bool MicrosecondsFromInterval(EventTimerInterval seconds, SInt64* micros);
// Fires every timer due now, once, in order of due time (timers of every pass after the timed
// ones); stops early when `stop` answers true. Answers how many fired.
int FireDueTimers(const std::function<bool()>& stop);
// The earliest due time of the timed timers (kNever for none); timers of every pass are not
// counted once they fired for the first time.
SInt64 NextTimedFireTime();
// True when a timer fires on every pass (and is not firing now).
bool HasEveryPassTimers();
int TimerCount();
void ResetTimers();

// ---- The loop (EventLoop.cpp) ----
// Runs the file completions and the pass hooks; answers true when something ran.
bool RunCompletionsAndHooks();
// Runs the pass hooks only; answers true when one did something.
bool RunPassHooks();
// The queue, in dispatch order (priority, then order of posting).
EventRef FirstQueuedEvent(const std::function<bool(EventRef)>& match);
// The queued events in dispatch order (a copy: the caller may take events meanwhile).
std::vector<EventRef> QueuedEventsInOrder();
// Takes the event from the queue; the caller owns the queue's reference. False when it is not
// queued.
bool TakeQueuedEvent(EventRef event);
ItemCount QueuedEventCount();
// True when some loop has been asked to unwind (the test API's watchdog).
bool LoopsMustUnwind();
// Counts one pass of any loop for the watchdog; answers LoopsMustUnwind().
bool CountPass();

enum class WaitOutcome {
  kContinue,  // run the next pass
  kIdle,      // nothing can ever happen (virtual clock, no timer, no deadline)
  kUnwind,    // the watchdog tripped
};
// Called when a loop found nothing to do now: waits for the next timer or the deadline
// (kNever: none), on the virtual clock by moving the clock on. Timers of every pass count as
// work to do (on the virtual clock the clock moves on by at most a millisecond).
WaitOutcome WaitForWork(SInt64 deadline);

// ---- Test API support (EventLoop.cpp) ----
struct PumpLimitsInternal {
  UInt64 maxPasses;
  SInt64 maxMicroseconds;
};
// Arms the watchdog for a pump; Disarm answers the trip message ("" when it did not trip).
void ArmWatchdog(const PumpLimitsInternal& limits, const std::string& what);
std::string DisarmWatchdog();
UInt64 WatchdogPasses();
// One full pass as RunApplicationEventLoop runs it; answers true when it did any work other
// than timers of every pass.
bool RunApplicationPass();
// Whether anything is due now: queued events, completions, Apple events, timed timers due.
bool WorkDueNow();
void ResetLoop();
UInt32 IdleLoopReturnCount();

// ---- Classic events (ClassicEvents.cpp) ----
void ResetClassicEvents();

}  // namespace events
}  // namespace sp_platform
