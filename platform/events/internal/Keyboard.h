// The live keyboard state behind GetKeys. The display backend (and the test API) report key
// presses and releases here by Mac key code.
#pragma once

#include "MacTypes.h"

namespace sp_platform {
void SetKeyDown(UInt8 keyCode, bool down);
void ReleaseAllKeys();
}  // namespace sp_platform
