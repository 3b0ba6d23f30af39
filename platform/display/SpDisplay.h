// How the program reaches a person: the display it shows its windows on.
//
// - Two displays: "desktop" (real windows on an X11 desktop through SDL2; a Wayland desktop
//   runs them through XWayland) and "headless" (windows only in memory, as the tests run).
// - The program chooses with the command-line switch "--display=desktop" or
//   "--display=headless" (taken out of argv), else the environment variable SP_DISPLAY with
//   the same words, else the default it gives.
// - SP_DISPLAY_SCALE (1 to 4) sets how many screen pixels a window's pixel takes; by default
//   the screen's density decides (2 from 192 dots per inch on, and so on).
// - The desktop display shows every visible window of the Window Manager as a window of its
//   own, the menu bar as a strip at the top of the front document window, and brings the
//   mouse, keys, typed text, focus, dropped files, the clipboard, cursors and the bell to
//   the toolbox. The loop sleeps in its wait until the next timer or the next input.
// - A window's place on the desktop is its content's (with the strip above a document
//   window's): the window manager puts its frame around the content where the toolbox asks,
//   and each place the window manager gives a window reaches the toolbox (a move the toolbox
//   asked for since is not undone by an older one).
#pragma once

#include <string>

#include "MacTypes.h"
#include "QuickDraw.h"

enum SpDisplayKind : UInt8 {
  kSpDisplayHeadless = 0,
  kSpDisplayDesktop = 1,
};

// Chooses the display and opens it. noErr when it is open (the headless one always opens);
// otherwise an error and a one-sentence message for the person: paramErr for a switch or
// variable of an unknown value, ioErr when there is no desktop display to open.
OSStatus SpOpenDisplay(int* argc, char** argv, SpDisplayKind defaultKind, std::string* message);

// The display open now (headless before SpOpenDisplay and after SpCloseDisplay).
SpDisplayKind SpCurrentDisplay();

// Closes the desktop's windows and gives the loop back its own waiting.
void SpCloseDisplay();

// Where a window shows on the desktop, as text that another process of the user can give to
// SpActivateDesktopWindow: "x11 <display> <window id>". A visible window not on the desktop
// yet is put there now. Empty on the headless display and for a window that is not shown.
std::string SpDesktopWindowAddress(WindowRef window);

// Brings the window at that address (another process's, as a rule) to the front of the
// desktop and gives it the keyboard, through the window manager (EWMH _NET_ACTIVE_WINDOW on
// the X display DISPLAY names). noErr when asked; paramErr for text that is no address; nsvErr
// when the window is on another display, or there is none to open; fnfErr when the display
// has no such window.
OSStatus SpActivateDesktopWindow(const std::string& address);
