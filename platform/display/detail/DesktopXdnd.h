// Drags from other programs over the desktop's drag protocol (XDND), followed while they move.
// The X side (DesktopXdndTarget.cpp) speaks the protocol through a connection and a window of
// its own, which the program's windows name as their proxy, so that SDL, which answers drags
// on its own windows, never sees these. The toolbox side (DesktopOutsideDrags.cpp) follows the
// drag with the Drag Manager. Plain types only: Xlib's names clash with the toolbox's.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

namespace sp_platform {
namespace display {

// ---- The X side ----
// Names this side's window the drag proxy of each X11 window of the list not named so far
// (others are passed by), then handles what came on this side's connection. Does nothing
// while a drop it handed on is being taken (its handlers may run the event loop).
void XdndTargetPump(const std::vector<SDL_Window*>& windows);
// The descriptor of this side's connection for the loop's wait; -1 when there is none or
// what comes on it waits for the drop being taken.
int XdndTargetFd();

// ---- The toolbox side ----
// The shown windows' drags: XdndTargetPump with the desktop's windows.
void PumpOutsideDrags();
// Starts following another program's drag of a text/uri-list (uriList) or of UTF-8 text; a
// drag under way ends first. False when it carries nothing the program can take.
bool OutsideDragBegin(bool uriList, const std::string& data);
// The drag is at the screen pixel (x, y): true when a drop target there would take it.
bool OutsideDragMove(int x, int y);
// Released at the screen pixel: true when a drop target took it.
bool OutsideDragDrop(int x, int y);
// Gone elsewhere without a drop.
void OutsideDragEnd();

}  // namespace display
}  // namespace sp_platform
