// Test API: the virtual clock. While it runs, TickCount, Microseconds, GetDateTime and the
// event loop's timers move only when a test advances it, and Delay advances it instead of
// sleeping.
#pragma once

#include "MacTypes.h"

namespace sp_testing {

// Switches to the virtual clock with the given date (local seconds since 1904-01-01 00:00;
// negative before 1904). Called again while the virtual clock runs, it sets a new date and
// leaves ticks and microseconds where they are.
void UseVirtualClock(SInt64 localSecondsSince1904);
// Back to real time. Ticks and microseconds go on from where the virtual clock stood.
void UseRealClock();
bool IsVirtualClock();

// Moves the virtual clock on (nothing on the real clock).
void AdvanceClockMicroseconds(SInt64 microseconds);
// Moves it on by exactly this many ticks: TickCount grows by `ticks`.
void AdvanceClockTicks(UInt32 ticks);

// Runs a test scope on the virtual clock and goes back to real time at its end.
class VirtualClockScope {
 public:
  explicit VirtualClockScope(SInt64 localSecondsSince1904) {
    UseVirtualClock(localSecondsSince1904);
  }
  ~VirtualClockScope() { UseRealClock(); }
  VirtualClockScope(const VirtualClockScope&) = delete;
  VirtualClockScope& operator=(const VirtualClockScope&) = delete;
};

}  // namespace sp_testing
