// Sound Manager commands sent as the channel tests send them.
#pragma once

#include "Sound.h"

namespace sp_testing {

inline OSErr QueueSound(SndChannelPtr chan, UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
  SndCommand c{cmd, param1, param2};
  return SndDoCommand(chan, &c, false);
}

inline OSErr SoundNow(SndChannelPtr chan, UInt16 cmd, SInt16 param1 = 0, intptr_t param2 = 0) {
  SndCommand c{cmd, param1, param2};
  return SndDoImmediate(chan, &c);
}

}  // namespace sp_testing
