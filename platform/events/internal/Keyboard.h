// The keyboard state behind GetKeys. The display backend (and the test API) report key
// presses and releases here by Mac key code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {
// The key is held (or not) from now on, for the input already queued as well: the test API's
// way of saying which keys are down.
void SetKeyDown(UInt8 keyCode, bool down);
void ReleaseAllKeys();
// The display read the key go down or up. GetKeys answers it once the input queued before it
// has been handled, so that a handler sees the keys as they were when its event happened.
void ReadKeyDown(UInt8 keyCode, bool down);
}  // namespace sp_platform
