// What the test API reads of controls and where it clicks them. Not for the program's own
// code.
#pragma once

#include <string>
#include <vector>

#include "../Controls.h"

namespace sp_platform {
namespace controls {

// True for a control that exists (and whose window does).
bool IsLiveControl(ControlRef control);

// A live control as it stands.
struct ControlFacts {
  std::string title;  // MacJapanese bytes
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  Rect bounds = {0, 0, 0, 0};  // local to the window's port
  bool isDefault = false;      // the window's default button
  bool isCancel = false;       // the window's cancel button
  std::string text;            // static text
  MenuRef menu = nullptr;      // a popup button's menu
  UInt32 drawCount = 0;
};
// False (and `out` untouched) for a control that is not live.
bool ControlFactsOf(ControlRef control, ControlFacts* out);

// The window's controls in drawing order (embedders before what they hold), its root control
// left out; empty for an invalid window.
std::vector<ControlRef> ControlsOfWindow(WindowRef window);

// The local rectangle of a part to click: a scroll bar's arrow, page area or thumb (false for
// another part, an empty one, or a control that is not live), a popup button's menu box, the
// bounds of any other control.
bool PartClickArea(ControlRef control, ControlPartCode part, Rect* area);
// The part under the local point, whatever the control's state (0 outside, part-less, or not
// live).
ControlPartCode PartAtPoint(ControlRef control, Point local);
// Whether the control's scroll-bar geometry runs vertically (false for a control that is not
// live).
bool ScrollBarIsVertical(ControlRef control);

// A point local to the window's port in global coordinates; unchanged for an invalid window.
Point ToGlobal(WindowRef window, Point local);

// Disposes of every control of every window (between tests).
void DisposeAllControls();

}  // namespace controls
}  // namespace sp_platform
