// Test API: the Control Manager. Read a control as a person would see it, and click, hold, drag
// and choose with the mouse through posted input (the window needs the standard handler,
// kWindowStandardHandlerAttribute, for a click nobody takes to reach the control; see
// Controls.h).
//
// This header is for test programs only (the clicks pump the loop, which reports through
// googletest).
#pragma once

#include <string>
#include <vector>

#include "Controls.h"
#include "TestEvents.h"

namespace sp_testing {

struct ControlModel {
  bool valid = false;
  OSType kind = 0;    // kControlKindPushButton ...
  std::string title;  // MacJapanese
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  UInt16 hilite = 0;     // GetControlHilite
  bool visible = false;  // with the controls it is embedded in
  bool active = false;   // likewise
  Rect bounds = {0, 0, 0, 0};
  bool isDefault = false;  // the window's default button
  bool isCancel = false;   // the window's cancel button
  std::string text;        // static text (MacJapanese)
  MenuRef menu = nullptr;  // popup buttons
  UInt32 drawCount = 0;    // times drawn since it was made
};
ControlModel ReadControl(ControlRef control);

// The window's controls in drawing order (embedders first), its root left out.
std::vector<ControlRef> WindowControlList(WindowRef window);

// A local point in the middle of the part of the control as it is now (kControlNoPart: the
// middle of the control); false when the control has no such part.
bool PointInControlPart(ControlRef control, ControlPartCode part, Point* local);
// A local point of the control's window as a global one.
Point ControlPointToGlobal(ControlRef control, Point local);

// Clicks the part (kControlNoPart: the middle of the control): a mouse-down and a mouse-up
// posted there, then the loop pumped until idle. Fails the test when the part is not there.
PumpResult ClickControl(ControlRef control, ControlPartCode part = kControlNoPart,
                        UInt32 modifiers = 0, const char* file = __builtin_FILE(),
                        int line = __builtin_LINE());
// Presses the part and holds the button that long on the clock before letting go there.
PumpResult HoldControlPart(ControlRef control, ControlPartCode part, SInt64 holdMicroseconds,
                           const char* file = __builtin_FILE(), int line = __builtin_LINE());
// Presses at a local point, drags through the points given (local), lets go at the last one.
PumpResult DragInControl(ControlRef control, Point from, const std::vector<Point>& path,
                         const char* file = __builtin_FILE(), int line = __builtin_LINE());
// Drags a scroll bar's thumb along the bar by `pixels` (negative: up or left), in `steps`
// drag events, and lets go.
PumpResult DragScrollBarThumb(ControlRef control, SInt16 pixels, int steps = 4,
                              const char* file = __builtin_FILE(), int line = __builtin_LINE());
// Clicks a popup button with its menu answering that item.
PumpResult ChoosePopupItem(ControlRef control, MenuItemIndex item,
                           const char* file = __builtin_FILE(), int line = __builtin_LINE());

// Between tests: every control of every window disposed of.
void ResetControls();

class ControlsScope {
 public:
  ControlsScope() { ResetControls(); }
  ~ControlsScope() { ResetControls(); }
  ControlsScope(const ControlsScope&) = delete;
  ControlsScope& operator=(const ControlsScope&) = delete;
};

// The bytes of a 'CNTL' resource in the toolbox's layout.
std::vector<UInt8> MakeControlResource(const Rect& bounds, SInt16 value, bool visible,
                                       SInt16 maximum, SInt16 minimum, SInt16 procID, SInt32 refCon,
                                       const std::string& title);

}  // namespace sp_testing
