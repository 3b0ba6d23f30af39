// Placing a window by the position word of its resource ('WIND', 'DLOG', 'ALRT'), for the
// Window Manager and the Dialog Manager. Not for the program's own code.
#pragma once

#include "../MacWindows.h"

namespace sp_platform {

// The position words of the resources.
enum : UInt16 {
  kWindowNoAutoCenter = 0x0000,
  kWindowCenterMainScreen = 0x280A,
  kWindowAlertPositionMainScreen = 0x300A,
  kWindowStaggerMainScreen = 0x380A,
  kWindowCenterParentWindow = 0xA80A,
  kWindowAlertPositionParentWindow = 0xB00A,
  kWindowStaggerParentWindow = 0xB80A,
  kWindowCenterParentWindowScreen = 0x680A,
  kWindowAlertPositionParentWindowScreen = 0x700A,
  kWindowStaggerParentWindowScreen = 0x780A,
};

// Moves the window (without selecting it) as the position word asks, on the main screen
// below the menu bar (the only screen): "center" puts the window's structure in the middle;
// "alert position" centres it across and leaves a third of the free height above it and two
// thirds below; the "parent window" forms do the same over the content of the active window
// (FrontNonFloatingWindow, other than this one) and fall back to the screen when there is
// none; the "parent window screen" forms use the screen. The stagger forms and every other
// word leave the window where it is. A window larger than the area keeps its top-left corner
// in the area.
void ApplyWindowPosition(WindowRef window, UInt16 position);

}  // namespace sp_platform
