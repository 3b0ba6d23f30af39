// The port record and the state behind QuickDraw that the Window Manager and the test API
// share. Not for the program's own code.
#pragma once

#include <vector>

#include "../QuickDraw.h"

// A port: its rectangle in local coordinates (the top-left corner is the origin SetOrigin
// moves) and where that corner lies on the screen. The later drawing layer adds the pixels,
// clip, pen, colours and text settings here.
struct GrafPort {
  Rect portRect;
  Point screenTopLeft;  // global position of portRect's top-left corner
  WindowRef window;     // the window that owns the port; null for the screen's port
};

namespace sp_platform {

// Ports that SetPort accepts. A window's port is registered while the window lives;
// unregistering the current port makes the screen's port current.
void RegisterPort(GrafPtr port);
void UnregisterPort(GrafPtr port);

// The screen's port: the main screen's rectangle, at (0, 0).
GrafPtr ScreenPort();

// The main screen's size (the screen's port follows it).
void SetMainScreenSize(SInt16 width, SInt16 height);

// Back to the start: a 1024 x 768 screen whose port is current. Window ports stay registered
// (the Window Manager disposes of its windows first).
void ResetPorts();

}  // namespace sp_platform
