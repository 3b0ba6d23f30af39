// What the desktop backend's source files share. Not for anyone else.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "MacWindows.h"
#include "QuickDraw.h"
#include "display/internal/DesktopKeys.h"
#include "quickdraw/internal/Cursors.h"
#include "ui/internal/WindowStates.h"

namespace sp_platform {
namespace display {

// ---- Windows (DesktopWindows.cpp) ----
struct ShownWindow {
  WindowRef window = nullptr;
  SDL_Window* sdl = nullptr;
  Uint32 id = 0;
  unsigned long xwindow = 0;      // its X11 window; 0 when not on X11
  unsigned long moveRequest = 0;  // the X request of the last move the toolbox asked for
  bool framed = false;            // in a window manager's frame
  WindowClass windowClass = 0;
  int strip = 0;  // menu strip height above the content (logical pixels)
  bool shown = false;
  Rect content = {0, 0, 0, 0};  // the toolbox's content when last synced (global, logical)
  std::string title;            // UTF-8
  bool resizable = false;
  // What the screen holds: the logical frame (strip and content), row by row.
  std::vector<UInt32> shadow;
  int shadowWidth = 0;
  int shadowHeight = 0;
  bool wholeUpload = true;  // the next present uploads everything
  UInt32 stripStamp = 0;    // the bar's look when the strip was drawn
  bool stripHadBar = false;
};

struct DesktopState {
  bool open = false;
  int scale = 1;
  int passHook = 0;
  WindowStates<ShownWindow> windows;
  UInt64 lastFront = 0;  // the serial of the front window when the stacking was last made so
  // Input.
  bool appActive = true;
  bool hadFocus = false;
  Uint32 lastClickTicks = 0;
  // The server's time of the last click's press, when the server told it (lastClickTimed).
  Uint32 lastClickTime = 0;
  bool lastClickTimed = false;
  Point lastClickWhere = {0, 0};
  Uint8 lastClickButton = 0;
  UInt32 clickCount = 0;
  std::vector<std::string> dropped;  // files of a drop under way
  std::vector<std::string> droppedText;  // lines of text of a drop under way
  UInt8 charOfScancode[SDL_NUM_SCANCODES] = {};  // what each held key typed (for its release)
  // SDL's modifiers as of the last key event taken: the mouse and the wheel take theirs from
  // it, in the order of the events, not from SDL's state after everything it read ahead.
  Uint16 keyMods = 0;
  SDL_Rect inputRect = {0, 0, 0, 0};  // where the input method's candidates go (last set)
  bool inputRectSet = false;
  // The strip's drawing.
  GWorldPtr stripWorld = nullptr;
  int stripWorldWidth = 0;
  // The cursor shown.
  SDL_Cursor* cursor = nullptr;
  CursorImage shownCursor;
  UInt32 cursorChanges = 0xFFFFFFFFu;
  bool cursorHidden = false;
  // The pointer is held for an open menu (X11HoldPointer).
  bool pointerHeld = false;
  // Counts.
  UInt64 presents = 0;
  UInt64 pixelsUploaded = 0;
};

DesktopState& Desktop();
ShownWindow* ShownOf(WindowRef window);
ShownWindow* ShownOfID(Uint32 id);
// The global point of a position in an SDL window (its pixels).
Point GlobalOf(const ShownWindow& shown, int x, int y);
// Alerts and dialogs: windows that hold the person until they are answered.
bool IsModalClass(WindowClass c);

// Makes the desktop's windows follow the toolbox's (create, show, hide, move, size, title,
// stacking) and forgets those whose toolbox window is gone.
void SyncWindows();
// Puts what changed in every shown window on the screen.
void PresentWindows();
void DestroyWindows();
// The WM moved or resized a window, or asked to close it: the toolbox hears of it.
void WindowMovedByDesktop(ShownWindow& shown, int x, int y);
// A message of the X11 event stream, taken in the order the server sent it: when it tells of
// a new place of a shown window on the screen, the toolbox hears of it (unless it is older
// than a move the toolbox asked for since). SDL's own moves are not used on X11: it reads a
// place in a frame against the parent the window has when SDL looks, not the one it had, and
// it drops a place equal to the last one it told, though the toolbox asked for another since.
void WindowPlaceMessage(const SDL_SysWMmsg* message);
void WindowResizedByDesktop(ShownWindow& shown, int width, int height);
void WindowCloseRequested(ShownWindow& shown);

// ---- Input (DesktopInput.cpp) ----
// Takes every waiting SDL event and hands it to the toolbox; true when there was any.
bool PumpInput();
// Hands the toolbox what the pointer held for an open menu did (X11HoldPointer); true when
// there was anything.
bool PumpHeldPointer();

// ---- The rest of the desktop (DesktopServices.cpp) ----
void InstallServices();
void RemoveServices();

// ---- Drags out to other programs (DesktopDragOut.cpp) ----
void InstallDragOut();
void RemoveDragOut();
void SyncCursor();

}  // namespace display
}  // namespace sp_platform
