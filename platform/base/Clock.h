// The one clock of the program: ticks (1/60 s since start), seconds since 1904 in local
// time, microseconds, and Delay. The application runs on real time; tests switch to a
// virtual clock that only moves when they advance it (see the test API).
#pragma once

#include "MacTypes.h"

// Ticks since the program started, 60 a second; wraps at 2^32.
UInt32 TickCount();
// Microseconds since the program started.
void Microseconds(UnsignedWide* microTickCount);
// Seconds since 1904-01-01 00:00 local time. The 32-bit form wraps on 2040-02-06.
void GetDateTime(UInt32* secs);
// The same, wide enough for every date.
SInt64 SpGetDateTime64();
// Waits the number of ticks (the virtual clock moves on instead of waiting) and gives the
// tick count at the end.
void Delay(UInt32 numTicks, UInt32* finalTicks);
