// The windows' update regions as the Window Manager's update handling and the test API see
// them. Not for the program's own code (it calls InvalWindowRect and its kin).
#pragma once

#include "../MacWindows.h"

namespace sp_platform {

// Copies the window's update region into `region` in global coordinates (empty when nothing
// waits). errInvalidWindowPtr for a null or disposed window, paramErr for a null region,
// memFullErr when the copy cannot be made.
OSStatus CopyWindowUpdateRegion(WindowRef window, RgnHandle region);
// Empties the window's update region (the window has been redrawn).
void ClearWindowUpdateRegion(WindowRef window);
// Drops the record of a window that is being disposed of, so a later window made at the same
// address starts with nothing to redraw.
void ForgetWindowUpdateRegion(WindowRef window);

}  // namespace sp_platform
