// What the tests ask the X server themselves, through a connection of their own. Kept apart:
// Xlib's macros and names (None, Bool, Cursor, ...) clash with GoogleTest's and the toolbox's.
#pragma once

#include <string>

namespace desktop_test {
namespace x11 {

// Opens the connection to $DISPLAY (once); false when it cannot.
bool Connect();
void Disconnect();

bool WindowViewable(unsigned long window);
// The window's _NET_WM_NAME (UTF-8); empty when it has none.
std::string WindowName(unsigned long window);
// The screen position of a point of the window.
bool ScreenPointOf(unsigned long window, int x, int y, int* sx, int* sy);
// Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
bool RequestClose(unsigned long window);
// Drops the file on the window from another X client, as a file manager does (the XDND
// protocol, offering the file as text/uri-list), with the pointer at the window's point (x, y):
// enters, moves there, drops, hands over the file's URI when asked, and waits for the end.
// False when the window does not take drops or does not finish within the time.
bool DropFileOnWindow(unsigned long window, int x, int y, const std::string& path, int millis);
// Waits (on the connection, no sleeping) until a window manager names its check window on the
// root window, or the time is up.
bool WaitForWindowManager(int millis);

}  // namespace x11
}  // namespace desktop_test
