// The display backends behind SpDisplay.h, for the tests and the benchmarks of the real
// display. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "SpDisplay.h"
#include "MacWindows.h"

namespace sp_platform {
namespace display {

// The choice of SpOpenDisplay: the switch (taken out of argv when found), else the variable's
// value (null: unset), else the default. False with a message for an unknown word.
bool ChooseDisplay(int* argc, char** argv, const char* variable, SpDisplayKind defaultKind,
                   SpDisplayKind* out, std::string* message);

// The scale: the variable's value when it is 1 to 4, else from the screen's dots per inch (96
// a step, at least 1, at most 4).
int ChooseScale(const char* variable, float dotsPerInch);

// ---- The desktop backend ----
// Opens it: false with the one-sentence message when no display can be opened.
bool OpenDesktop(std::string* message);
void CloseDesktop();
bool DesktopOpen();

// Brings input in, makes the desktop's windows follow the Window Manager's and puts what
// changed on the screen, as each pass of the loop does.
void SyncDesktop();

// The X11 window that shows a toolbox window (0 when none is shown).
unsigned long X11WindowOf(WindowRef window);
// The SDL window id of the window showing a toolbox window (0 when none is shown).
unsigned SDLWindowIDOf(WindowRef window);
// How many screen pixels a window pixel takes.
int DesktopScale();
// The height of the menu strip above a window's content on the screen (0: none).
int StripHeightOf(WindowRef window);

struct PresentCounts {
  UInt64 presents = 0;        // windows presented with something changed
  UInt64 pixelsUploaded = 0;  // window pixels that went to the screen
};
PresentCounts DesktopPresentCounts();
// Forgets what is on the screen: the next present uploads every window whole.
void InvalidateDesktop();

// Where the input method's candidate window was last put, in pixels of the window that has
// the keyboard; false before the first time.
bool LastTextInputRect(int* x, int* y, int* width, int* height);

}  // namespace display
}  // namespace sp_platform
