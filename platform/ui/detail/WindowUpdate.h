// The windows' update regions as the Window Manager's update handling sees them (the test API
// copies them through ui/internal/Windows.h). Not for the program's own code (it calls
// InvalWindowRect and its kin).
#pragma once

#include "../MacWindows.h"
#include "ui/internal/Windows.h"

namespace sp_platform {

// Empties the window's update region (the window has been redrawn).
void ClearWindowUpdateRegion(WindowRef window);
// Drops the record of a window that is being disposed of, so a later window made at the same
// address starts with nothing to redraw.
void ForgetWindowUpdateRegion(WindowRef window);

}  // namespace sp_platform
