// The clock's one time line, for the parts of the layer that schedule work on it (event-loop
// timers, sound channels). Not for the program's own code: they use TickCount, Microseconds and
// Delay.
#pragma once

#include "MacTypes.h"

namespace sp_platform {

// Microseconds since the program started. Never goes back, also when tests switch between
// the real and the virtual clock.
SInt64 ClockNowMicroseconds();

// True while the virtual clock runs: time then moves only when the tests advance it, so a
// loop waiting for a deadline must advance the clock instead of sleeping.
bool ClockIsVirtual();

// Local seconds since 1904-01-01 00:00 now, in full width.
SInt64 ClockLocalSecondsSince1904();

// Moves the virtual clock forward by this many microseconds (nothing for a negative amount
// or while the real clock runs). Event loops waiting on the virtual clock use it too.
void AdvanceVirtualClock(SInt64 microseconds);

// For the test API (platform/testing/TestClock.h) only.
// Switches to the virtual clock, or re-sets its date while it runs; the time line goes on
// from where it stands.
void UseVirtualClockAt(SInt64 localSecondsSince1904);
// Back to real time, the time line going on from where the virtual clock stood.
void UseRealClockAgain();
// Moves the virtual clock on by exactly this many ticks.
void AdvanceVirtualClockTicks(UInt32 ticks);

}  // namespace sp_platform
