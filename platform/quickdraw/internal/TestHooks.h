// QuickDraw's state that only the test API sets, reads or resets. Not for the program's own
// code.
#pragma once

#include <functional>
#include <vector>

#include "QuickDraw.h"

namespace sp_platform {

// The main screen's size (the screen's port follows it).
void SetMainScreenSize(SInt16 width, SInt16 height);

// Back to the start: a 1024 x 768 screen whose port is current with a new port's pen,
// colours, clip and text settings. Window ports and GWorlds stay registered (the Window
// Manager disposes of its windows first).
void ResetPorts();

// The number of QDFlushPortBuffer calls on the port since it was made (0 for an invalid port).
UInt32 PortFlushCount(GrafPtr port);
// Called after every QDFlushPortBuffer on a live port, with that port (empty: none).
void SetFlushObserver(std::function<void(GrafPtr)> observer);

// Writes the port's pixels as an RGB PNG file at `path` (UTF-8). paramErr for an invalid
// port or one without pixels, ioErr when the file cannot be written.
OSErr WritePortPNG(GrafPtr port, const char* path);

// Reads a PNG file at `path` (UTF-8) into rows of 0xRRGGBB pixels. paramErr for a file that
// is no PNG or is damaged, ioErr when it cannot be read.
OSErr ReadPNGFile(const char* path, std::vector<UInt32>* pixels, UInt32* width, UInt32* height);

}  // namespace sp_platform
