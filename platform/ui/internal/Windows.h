// The window list, the windows' update regions and their parts as the test API and the display
// backend see them. Not for the program's own code.
#pragma once

#include <vector>

#include "../MacWindows.h"

namespace sp_platform {

// Every window, front to back, visible or not.
std::vector<WindowRef> WindowListFrontToBack();

// Disposes of every window (used between tests).
void DisposeAllWindows();

// The window's serial number: given when the window is made, counting from 1, and never given
// again, where a disposed window's address comes back for a later window. 0 for null and for a
// window that is gone.
UInt64 WindowSerial(WindowRef window);

// Copies the window's update region into `region` in global coordinates (empty when nothing
// waits). errInvalidWindowPtr for a null or disposed window, paramErr for a null region,
// memFullErr when the copy cannot be made.
OSStatus CopyWindowUpdateRegion(WindowRef window, RgnHandle region);

namespace windows {

// The global rectangle of a part (inGoAway, inZoomIn/inZoomOut, inGrow, inDrag: the whole
// title strip, inContent); false when the window does not have it.
bool PartRect(const OpaqueWindowPtr* w, WindowPartCode part, Rect* r);

}  // namespace windows
}  // namespace sp_platform
