// Sound Manager commands sent as the channel tests send them.
#pragma once

#include "Sound.h"
#include "TestEvents.h"

namespace sp_testing {

inline OSErr QueueSound(SndChannelPtr chan, UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
  SndCommand c{cmd, param1, param2};
  return SndDoCommand(chan, &c, false);
}

inline OSErr SoundNow(SndChannelPtr chan, UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
  SndCommand c{cmd, param1, param2};
  return SndDoImmediate(chan, &c);
}

// SDL's disk driver plays in real time while the virtual clock leaps to each next timer: the
// loop turns over many times for each block the device takes, and an optimized build turns it
// over so fast that the watchdog's count of passes would trip before a second of sound has
// played. The watchdog then counts far more passes (still a bound: seconds, not forever).
inline void PumpAsLongAsTheDevicePlays() {
  PumpLimits limits;
  limits.maxPasses = 100000000;
  SetPumpLimits(limits);
}

}  // namespace sp_testing
