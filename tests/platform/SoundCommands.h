// Sound Manager commands sent as the channel tests send them.
#pragma once

#include "Sound.h"
#include "TestClock.h"
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

// SDL's disk driver plays in real time: a test that hears sound through it runs the event loop
// on the real clock too, so that the loop waits for the device as a program would. On the
// virtual clock the loop leaps to each next timer while the device has played next to
// nothing, and the faster the machine, the sooner the watchdog's hour of clock time is gone
// before a second of sound has played. On the real clock the loop's waits bound its passes,
// and a minute bounds a pump that waits for a sound that never ends.
inline void PumpOnTheDevicesTime() {
  UseRealClock();
  PumpLimits limits;
  limits.maxMicroseconds = 60LL * 1000000;
  SetPumpLimits(limits);
}

}  // namespace sp_testing
