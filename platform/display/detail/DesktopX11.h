// What the desktop backend asks of X11 directly (SDL has no call for it). Kept apart: Xlib's
// names (Cursor, Window, ...) clash with the toolbox's, so no toolbox header meets them.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

namespace sp_platform {
namespace display {

// The X11 window showing an SDL window; 0 when it is not an X11 window.
unsigned long X11WindowID(SDL_Window* window);
// Keeps `child` above `owner` (a transient window of it). False when not on X11.
bool X11SetOwner(SDL_Window* child, SDL_Window* owner);
// The descriptor of the window's connection to the X server; -1 when not on X11.
int X11ConnectionFd(SDL_Window* window);
// From now on an X request that names a window that is gone ends nothing (Xlib's own answer
// ends the process). Other X errors are handled as before.
void X11SurviveGoneWindows();
// Asks the X server to show the window and returns at once; the window manager maps it when
// it is ready, and the map event tells SDL. (SDL's own show waits for that event without end,
// and a window manager that is slow or declines to map a window would hold the program.)
// False when not on X11.
bool X11MapWithoutWaiting(SDL_Window* window);
// Asks the window manager to keep the window's content where the program puts it (static
// gravity): its frame goes around the content, so a position asked for is the content's, as
// the positions read back are. False when not on X11.
bool X11KeepContentInPlace(SDL_Window* window);
// Moves the window's content to (x, y) on the screen; `request` gets the number of the
// request, which the window manager's answers come after. False when not on X11.
bool X11MoveContent(SDL_Window* window, int x, int y, unsigned long* request);
// What a message of the X11 event stream (SDL_SYSWMEVENT) tells of a window's place.
struct X11Place {
  unsigned long window = 0;   // the window it tells of
  unsigned long request = 0;  // the last request the server had taken when it happened
  // The window manager's word (a synthetic ConfigureNotify): (x, y) is where the window's
  // content is on the screen.
  bool fromWindowManager = false;
  // The server's own word of a change of the window (ConfigureNotify, ReparentNotify):
  // (x, y) is relative to the window's parent, which is the screen unless the window is in a
  // window manager's frame.
  bool fromServer = false;
  int x = 0, y = 0;
  int framed = -1;  // ReparentNotify: 1 into a frame, 0 back onto the screen; else -1
};
// False for a message that tells nothing of a window's place.
bool X11PlaceMessage(const SDL_SysWMmsg* message, X11Place* place);
// ---- The pointer held for an open menu: a grab on a connection of its own, so that a click
// anywhere on the screen comes to the program (SDL's own capture does no grab while it reads
// the pointer through XInput2). ----
// Holds the pointer (the display of `shown`); true when it is held now. It cannot be held
// while a button is down (the press's own grab has it): the caller tries again.
bool X11HoldPointer(SDL_Window* shown);
// Lets it go.
void X11ReleasePointer();
// Lets it go and closes the holding connection (the desktop closes): a grab left on it would
// keep every click on the screen from every other window until this process ends.
void X11ClosePointer();
// The descriptor of the holding connection for the loop's wait; -1 when not held.
int X11HeldPointerFd();
// What the held pointer did, in screen pixels.
struct X11PointerInput {
  enum Kind { kMoved, kPressed, kReleased } kind = kMoved;
  int x = 0, y = 0;
  int button = 0;           // pressed or released: 1 left, 2 middle, 3 right
  bool buttonDown = false;  // moved: a button is held
};
// The next input of the held pointer; false when none waits.
bool X11NextHeldPointerInput(X11PointerInput* input);

// Tells the window manager that the window keeps its size (it was made so already: its least
// and greatest sizes are its size): it offers neither resizing nor maximizing it (Motif's
// hints), and a dialog is shown as one (_NET_WM_WINDOW_TYPE_DIALOG). Before the window is
// mapped. False when not on X11.
bool X11MarkFixedSize(SDL_Window* window, bool dialog);
// Names the window as the desktop's conventions ask: WM_NAME as Latin-1 text (STRING) when the
// title is all Latin-1, else as COMPOUND_TEXT, and _NET_WM_NAME as UTF8_STRING. (SDL puts the
// UTF-8 bytes in WM_NAME typed as STRING, which tools that read WM_NAME show garbled.) False
// when not on X11 or the title cannot be converted.
bool X11SetTitle(SDL_Window* window, const std::string& utf8);
// Notes the server's time of a person's input (a key, a button, a move of the pointer) that a
// message of the X11 event stream tells of; other messages are passed by.
void X11NoteUserTime(const SDL_SysWMmsg* message);
// The server's time of the latest input noted; 0 (CurrentTime) before any.
unsigned long X11LastUserTime();
// Where a press or release of a button (1 to 3, or a wheel's 4 to 7) happened, in its
// window's pixels, as the X11 event stream tells it: SDL puts its button and wheel events at
// the last place it knew of the pointer, which is stale after the pointer jumped in without a
// motion SDL passed on (SDL drops the motion that comes with entering at the place the
// crossing already named). False for other messages. With it comes the server's time of the
// press or release: SDL stamps its events with when it read them, not when they happened.
struct X11ButtonPlace {
  unsigned long window = 0;
  bool pressed = false;
  bool wheel = false;  // a notch of a wheel (buttons 4 to 7)
  int x = 0, y = 0;
  unsigned long time = 0;
};
bool X11ButtonPlaceOf(const SDL_SysWMmsg* message, X11ButtonPlace* place);
// Rings the desktop's bell through the window's X display. False when not on X11.
bool X11Bell(SDL_Window* window);
// Where the pointer is now, in the window's pixels (also outside it), asked of the X server:
// SDL's own answer is what it last read. False when not on X11, or on another screen.
bool X11PointerPlace(SDL_Window* window, int* x, int* y);
// The name of the X display showing the window (as DISPLAY gave it); empty when not on X11.
std::string X11DisplayName(SDL_Window* window);

enum class X11Activation { kAsked, kOtherDisplay, kNoSuchWindow };
// Asks the window manager of this process's X display (DISPLAY) to bring the window, which may
// be another process's, to the front and give it the keyboard. kOtherDisplay when DISPLAY
// names another display than `displayName` or cannot be opened; kNoSuchWindow when that
// display has no such window.
X11Activation X11ActivateWindow(const std::string& displayName, unsigned long window);

}  // namespace display
}  // namespace sp_platform

namespace sp_platform {
namespace display {

// ---- Drags out to other programs: the desktop's drag protocol (XDND) as its source
// (DesktopXdndSource.cpp), over a connection of its own, so that the other program's requests
// for the dragged text reach this code and not SDL's. ----

// Where a drag of the program's is (screen pixels).
struct X11DragPlace {
  bool outside = false;  // over none of the program's windows
  int x = 0, y = 0;      // the pointer
  int outlineX = 0, outlineY = 0, outlineWidth = 0, outlineHeight = 0;
  bool copy = false;  // a copy is asked for, else a move
};
// Gives the dragged text (UTF-8) when another program asks for it; false when there is none.
typedef bool (*X11DragTextProc)(std::string* utf8);
void X11DragSetTextProc(X11DragTextProc proc);
// The drag at its new place: outside the program's windows (`own`: their X windows) it goes to
// the window under the pointer that takes drags (its enter and position messages) and the gray
// outline shows there; inside, the other program's window it was over is left and the outline
// hidden. `shown` names the display (any window of the program).
void X11DragFollow(SDL_Window* shown, const std::vector<unsigned long>& own,
                   const X11DragPlace& place);
// Released: drops on the window the drag is over. False when there is none.
bool X11DragDrop();
// Reads the other program's answers; true once the drop is over, *action then 0 (refused),
// 1 (copied) or 2 (moved).
bool X11DragAnswered(int* action);
// The drag is over: a window still waiting is left, the outline hidden, the dragged text no
// longer offered.
void X11DragEnd();
// Closes the connection (the desktop closes).
void X11DragClose();

}  // namespace display
}  // namespace sp_platform
