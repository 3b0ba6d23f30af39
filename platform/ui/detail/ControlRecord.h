// The Control Manager's records and the calls its source files share; the hooks the Window and
// Dialog Managers and the test API use. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "../Controls.h"
#include "ui/internal/Controls.h"

namespace sp_platform {
namespace controls {

enum class Variety : UInt8 {
  kPushButton,
  kCheckBox,
  kRadioButton,
  kScrollBar,
  kProgressBar,
  kPopupButton,
  kStaticText,
  kUserPane,
  kRoot,
};

struct ControlRecord {
  WindowRef window = nullptr;
  // The window's event target when the control was made: a window disposed of (and maybe
  // another made at the same address) no longer has it.
  EventTargetRef windowTarget = nullptr;
  Variety variety = Variety::kUserPane;
  SInt16 procID = 0;
  Rect bounds = {0, 0, 0, 0};
  unsigned char title[256] = {0};
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  bool visible = true;  // its own flag; see IsShown for the embedding's
  bool active = true;   // its own flag; see IsLive for the embedding's
  UInt8 hilite = 0;     // the hilited part, 0 none
  SRefCon refCon = 0;
  ControlActionUPP action = nullptr;
  ControlRecord* super = nullptr;    // the control it is embedded in
  std::vector<ControlRecord*> subs;  // what is embedded in it, back to front

  // Check boxes and radio buttons.
  bool autoToggle = false;
  // Scroll bars.
  bool liveTracking = false;
  SInt32 viewSize = 0;
  // Popup buttons.
  MenuRef menu = nullptr;
  SInt16 menuID = 0;
  bool menuInsertedHere = false;  // put into the menu list by this control
  bool menuOwned = false;         // disposed of with the control
  SInt16 titleWidth = 0;
  SInt16 titleJustification = 0;
  Style titleStyle = 0;
  // Progress bars.
  bool indeterminate = false;
  bool animating = true;
  // Static text.
  std::string text;
  // User panes.
  UInt32 features = 0;
  ControlUserPaneDrawProcPtr drawProc = nullptr;
  ControlUserPaneHitTestProcPtr hitTestProc = nullptr;
  ControlUserPaneTrackingProcPtr trackingProc = nullptr;
  ControlUserPaneActivateProcPtr activateProc = nullptr;
  // How often it was drawn (for the tests).
  UInt32 drawCount = 0;
};

inline ControlRef RefOf(ControlRecord* record) {
  return reinterpret_cast<ControlRef>(record);
}

// ---- Registry (Controls.cpp) ----
// The live record of a reference, or null (also for a control whose window is gone: it is
// disposed of then).
ControlRecord* Live(ControlRef control);
// The controls of the window in drawing order (embedders before what they hold); empty for an
// invalid window.
std::vector<ControlRecord*> ControlsOf(WindowRef window);
// The window's default and cancel buttons (null when none).
ControlRecord* DefaultButtonOf(WindowRef window);
ControlRecord* CancelButtonOf(WindowRef window);
// Disposes of every control of the window without drawing (the window is going). The Window
// Manager calls it from DisposeWindow.
void DisposeWindowControls(WindowRef window);

// Visible with every control it is embedded in; active likewise.
bool IsShown(const ControlRecord* record);
bool IsLive(const ControlRecord* record);
// The control's event target, linked to its embedder's (the root's to the window's).
EventTargetRef TargetOf(ControlRecord* record);
// Sends {'cntl', kind} with the control as direct object to its target; answers the result.
OSStatus SendControlEvent(ControlRecord* record, UInt32 kind);
// Sets the value (clamped), redraws and sends the value-changed event when it changed.
// Answers false when the control went away meanwhile.
bool SetValue(ControlRecord* record, SInt32 value);
// Sets the hilited part (0 none) of an active control and redraws when it changed.
void SetHilite(ControlRecord* record, UInt8 part);

// ---- Geometry (ControlGeometry.cpp) ----
struct ScrollBarGeometry {
  bool vertical = true;
  bool hasThumb = false;
  Rect upArrow = {0, 0, 0, 0};    // up or left
  Rect downArrow = {0, 0, 0, 0};  // down or right
  Rect track = {0, 0, 0, 0};      // between the arrows
  Rect thumb = {0, 0, 0, 0};
  Rect pageUp = {0, 0, 0, 0};
  Rect pageDown = {0, 0, 0, 0};
  SInt32 trackStart = 0;  // along the bar
  SInt32 slide = 0;       // how far the thumb's leading edge can move
  SInt32 thumbLength = 0;
};
ScrollBarGeometry ScrollBarGeometryOf(const ControlRecord* record);
// The value a thumb whose leading edge is at `position` (along the bar) stands for.
SInt32 ScrollBarValueAt(const ControlRecord* record, const ScrollBarGeometry& g, SInt32 position);
// The part under the local point, whatever the control's state (0 outside or part-less).
ControlPartCode PartAt(ControlRecord* record, Point local);
// The menu box of a popup button (its bounds without the title area).
Rect PopupMenuBox(const ControlRecord* record);

// ---- Drawing (ControlDrawing.cpp) ----
// Draws the control (and what is embedded in it) when shown; the port and its settings are
// restored.
void DrawRecord(ControlRecord* record);
// Erases the rectangle of the window with the port's background and adds it to the update
// region.
void EraseArea(WindowRef window, const Rect& area);
// The width of a title in the controls' font, measured in the window's port.
SInt16 TitleWidth(WindowRef window, ConstStr255Param title);

// ---- Tracking (ControlTracking.cpp) ----
// TrackControl and HandleControlClick.
ControlPartCode Track(ControlRecord* record, Point start, UInt32 modifiers,
                      ControlActionUPP action);
// Sends the hit event for a part at a local point.
void SendHit(ControlRecord* record, ControlPartCode part, UInt32 modifiers, Point local);

}  // namespace controls
}  // namespace sp_platform
