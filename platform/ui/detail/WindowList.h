// The window list as the test API and the display backend see it. Not for the program's own
// code.
#pragma once

#include <vector>

#include "../MacWindows.h"

namespace sp_platform {

// Every window, front to back, visible or not.
std::vector<WindowRef> WindowListFrontToBack();

// Disposes of every window (used between tests).
void DisposeAllWindows();

}  // namespace sp_platform
