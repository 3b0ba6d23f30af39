// The steps of one pass of the event loop, for the loops other areas run themselves (the
// Dialog Manager's ModalDialog, the sheets' input filter) and for the test API. Not for the
// program's own code.
#pragma once

#include <functional>
#include <limits>
#include <vector>

#include "CarbonEvents.h"
#include "MacTypes.h"

namespace sp_platform {
namespace events {

// No deadline.
constexpr SInt64 kNever = std::numeric_limits<SInt64>::max();
// Typed reads of an event's parameters (a pointer: typeWindowRef, typeEventTargetRef, ...)
// that leave `out` alone and answer false when the parameter is missing or does not coerce.
bool ReadUInt32(EventRef event, EventParamName name, UInt32* out);
bool ReadPointer(EventRef event, EventParamName name, EventParamType type, void** out);
// The target a posted event goes to when it names none itself (see CarbonEvents.h).
EventTargetRef DefaultTargetFor(EventRef event);
// Runs the file completions and the pass hooks; answers true when something ran.
bool RunCompletionsAndHooks();
// The first queued event `match` accepts, in dispatch order (priority, then order of posting).
EventRef FirstQueuedEvent(const std::function<bool(EventRef)>& match);
// The queued events in dispatch order (a copy: the caller may take events meanwhile).
std::vector<EventRef> QueuedEventsInOrder();
// Takes the event from the queue; the caller owns the queue's reference. False when it is not
// queued.
bool TakeQueuedEvent(EventRef event);
// True when some loop has been asked to unwind (the test API's watchdog).
bool LoopsMustUnwind();
// True when the session is ending (SIGTERM, the desktop's logout) and the program agreed to
// quit: its application loop is told to end, and every modal loop and menu ends at once as
// if cancelled, rather than wait for a person who is gone.
bool SessionEnding();
// Counts one pass of any loop for the watchdog; answers LoopsMustUnwind().
bool CountPass();

enum class WaitOutcome {
  kContinue,  // run the next pass
  kIdle,      // nothing can ever happen (virtual clock, no timer, no deadline)
  kUnwind,    // the watchdog tripped
};

// How timers of every pass count when a loop has nothing else to do.
enum class EveryPassPace {
  kEachPass,  // they are work to do now: the loop runs its next pass at once
  // A modal loop on the real clock: they wait for the next tick (1/60 s) unless input or a
  // timer comes sooner, so a dialog left open sleeps between passes while work behind it
  // still moves on.
  kOncePerTick,
};

// Called when a loop found nothing to do now: waits for the next timer or the deadline
// (kNever: none), on the virtual clock by moving the clock on. Timers of every pass count as
// work to do as `pace` says (on the virtual clock the clock moves on by at most a millisecond).
WaitOutcome WaitForWork(SInt64 deadline, EveryPassPace pace = EveryPassPace::kEachPass);
// Fires every timer due now, once, in order of due time (timers of every pass after the timed
// ones); stops early when `stop` answers true. Answers how many fired.
int FireDueTimers(const std::function<bool()>& stop);
// Whether anything is due now: queued events, completions, Apple events, timed timers due.
bool WorkDueNow();

}  // namespace events
}  // namespace sp_platform
