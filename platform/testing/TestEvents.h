// Test API: input, the event loop and its watchdog.
//
// Input posted here enters the layer as the display backend's would (see PostRawInput in
// events/internal/EventLoop.h): it becomes Carbon events in the queue, and the mouse location and
// button change at once. ScheduleInput posts input later, when the clock reaches a time, so
// that a loop that tracks the mouse (StillDown, GetMouse, TrackMouseLocation) sees it arrive
// while it runs.
//
// The pumps run passes of the event loop, as RunApplicationEventLoop would, from the test. Each
// has a watchdog: a limit on passes and on clock time. When the watchdog trips, every loop
// running (modal loops, mouse tracking and WaitNextEvent inside handlers included) returns,
// and the pump fails the test with a message. A pump that ends otherwise than asked (the loop
// going idle before the condition held, say) fails the test too. Each pump also answers a
// PumpResult for tests that want to look at it.
//
// This header is for test programs only (it uses googletest to report failures).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CarbonEvents.h"
#include "MacTypes.h"

namespace sp_testing {

// ---- Input ----------------------------------------------------------------------------------
// Global points; modifiers are cmdKey, shiftKey, alphaLock, optionKey, controlKey.
void PostMouseDown(Point global, UInt32 modifiers = 0, UInt32 clickCount = 1);
void PostMouseUp(Point global, UInt32 modifiers = 0, UInt32 clickCount = 1);
void PostMouseMoved(Point global, UInt32 modifiers = 0);
void PostMouseDragged(Point global, UInt32 modifiers = 0);
// A turn of the wheel by `notches` (positive: away from the person, up, or left) at the point.
void PostWheel(Point global, SInt32 notches, EventMouseWheelAxis axis = kEventMouseWheelAxisY);
// Mac character code and key code.
void PostKeyDown(UInt8 charCode, UInt8 keyCode, UInt32 modifiers = 0);
void PostKeyRepeat(UInt8 charCode, UInt8 keyCode, UInt32 modifiers = 0);
void PostKeyUp(UInt8 charCode, UInt8 keyCode, UInt32 modifiers = 0);
// Typed text: MacJapanese bytes, or UTF-8 converted to MacJapanese (characters it cannot hold
// become '?').
void PostTextInput(const std::string& macJapanese, UInt32 modifiers = 0);
void PostTextInputUTF8(const std::string& utf8, UInt32 modifiers = 0);

// Runs `post` (which posts input, usually) from the loop once the clock has moved on this many
// microseconds from now: a one-shot timer that waiting loops wait for like any other.
void ScheduleInput(SInt64 afterMicroseconds, std::function<void()> post);

// Holds exactly these modifier keys in the live keyboard state (GetKeys,
// GetCurrentKeyModifiers): cmdKey, shiftKey, alphaLock, optionKey, controlKey.
void SetModifierKeys(UInt32 modifiers);

// ---- Pumps ----------------------------------------------------------------------------------
struct PumpLimits {
  UInt64 maxPasses = 200000;
  SInt64 maxMicroseconds = 3600LL * 1000000;  // of clock time, virtual or real
};
// The limits of the following pumps (ResetEvents restores the defaults).
void SetPumpLimits(const PumpLimits& limits);

enum class PumpEnd {
  kSettled,    // nothing was due any more now (PumpPending)
  kIdle,       // nothing could ever happen any more: no work and no timer
  kCondition,  // the condition held
  kTimeUp,     // the clock reached the end of PumpFor
  kLoopQuit,   // RunApplicationEventLoop returned
  kWatchdog,   // the watchdog tripped
};

struct PumpResult {
  bool ok = false;
  PumpEnd end = PumpEnd::kWatchdog;
  UInt64 passes = 0;
  std::string message;  // why it failed
  explicit operator bool() const { return ok; }
};

namespace detail {
PumpResult PumpPendingImpl();
PumpResult PumpUntilIdleImpl();
PumpResult PumpUntilImpl(const std::function<bool()>& condition);
PumpResult PumpForImpl(SInt64 microseconds);
PumpResult RunApplicationEventLoopUntilImpl(const std::function<bool()>& condition);
inline PumpResult Check(PumpResult result, const char* file, int line) {
  if (!result.ok) ADD_FAILURE_AT(file, line) << result.message;
  return result;
}
}  // namespace detail

// Runs passes without moving the clock until nothing is due now (events, completions, Apple
// events, timers due now; timers of every pass fire once). Fails only by the watchdog.
inline PumpResult PumpPending(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return detail::Check(detail::PumpPendingImpl(), file, line);
}
// Runs the loop, moving the virtual clock on to each next timer, until nothing can happen any
// more. A repeating timer keeps it from ever going idle: use PumpFor or PumpUntil then.
inline PumpResult PumpUntilIdle(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return detail::Check(detail::PumpUntilIdleImpl(), file, line);
}
// Runs the loop until the condition holds (checked before the first pass and after every
// pass). Fails when the loop goes idle first.
inline PumpResult PumpUntil(const std::function<bool()>& condition,
                            const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return detail::Check(detail::PumpUntilImpl(condition), file, line);
}
// Runs the loop until the clock has moved on by this many microseconds and nothing is due at
// that time any more (on the real clock it waits that long).
inline PumpResult PumpFor(SInt64 microseconds, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE()) {
  return detail::Check(detail::PumpForImpl(microseconds), file, line);
}
// Runs RunApplicationEventLoop itself, calling QuitApplicationEventLoop once the condition holds
// (checked on every pass). Fails when the loop returns for another reason first.
inline PumpResult RunApplicationEventLoopUntil(const std::function<bool()>& condition,
                                               const char* file = __builtin_FILE(),
                                               int line = __builtin_LINE()) {
  return detail::Check(detail::RunApplicationEventLoopUntilImpl(condition), file, line);
}

// ---- State ----------------------------------------------------------------------------------
// Forgets every handler (the targets stay), timer and queued event, ends the bookkeeping of
// modal loops, releases the mouse button and the keys, restores the event mask and the pump
// limits. Call it between tests.
void ResetEvents();

ItemCount QueuedEventCount();
int InstalledTimerCount();
// Whether a timer is due at some time (a timer firing on every pass, or one waiting for ever,
// is not counted).
bool TimedTimerWaiting();
// Handlers installed on every target together.
int InstalledEventHandlerCount();
int ModalLoopDepth();
// How often RunApplicationEventLoop or a modal loop returned because nothing could happen
// any more on the virtual clock.
UInt32 IdleLoopReturns();

// RAII: ResetEvents at the start and at the end of a test.
class EventsScope {
 public:
  EventsScope() { ResetEvents(); }
  ~EventsScope() { ResetEvents(); }
  EventsScope(const EventsScope&) = delete;
  EventsScope& operator=(const EventsScope&) = delete;
};

}  // namespace sp_testing
