// What the tests ask the X server themselves, through a connection of their own. Kept apart:
// Xlib's macros and names (None, Bool, Cursor, ...) clash with GoogleTest's and the toolbox's.
#pragma once

#include <string>
#include <vector>

namespace desktop_test {
namespace x11 {

// Opens the connection to $DISPLAY (once); false when it cannot.
bool Connect();
void Disconnect();

bool WindowViewable(unsigned long window);
// How many of the window's children are viewable (-1 when it cannot be asked).
int ViewableChildren(unsigned long window);
// A plain window of the tests' own connection, as another program's is (0 when none could be
// shown), and its end.
unsigned long ShowForeignWindow();
void CloseForeignWindow(unsigned long window);
// Whether some client owns the selection of that name (an XIM server owns "@server=NAME").
bool SelectionOwned(const std::string& name);
// The window's _NET_WM_NAME (UTF-8); empty when it has none.
std::string WindowName(unsigned long window);
// The window's WM_NAME as the conventions read it: the name of its type (STRING,
// COMPOUND_TEXT, ...) and its text converted to UTF-8 by Xlib; false when it has none.
bool WMNameOf(unsigned long window, std::string* type, std::string* utf8);
// The functions the window's Motif hints (_MOTIF_WM_HINTS) offer the window manager's menu
// and buttons (1 all, 2 resize, 4 move, 8 minimize, 16 maximize, 32 close); -1 when the hints
// name none.
long MotifFunctions(unsigned long window);
// How the window manager shows a window: the first of its _NET_WM_WINDOW_TYPE atoms (empty when
// it names none), whether the window manager leaves it alone (override-redirect, as popup menus
// are), and the frame's borders around it (_NET_FRAME_EXTENTS; all 0 without a frame).
struct WindowLook {
  std::string type;
  bool overrideRedirect = false;
  long left = 0, right = 0, top = 0, bottom = 0;
};
bool LookOf(unsigned long window, WindowLook* look);
// Where the window (its window manager's frame, when it has one) lies in the stacking of the
// screen's windows: higher is in front. -1 when it cannot be told.
int StackingIndex(unsigned long window);
// Asks the X server, over the connection the SDL window of that id is shown through, where a
// window lies that does not exist, and waits for the answer, which is an error. True when this
// process is still here afterwards.
bool AskThroughTheProgramsConnectionAboutAGoneWindow(unsigned sdlWindowID);
// The screen position of a point of the window.
bool ScreenPointOf(unsigned long window, int x, int y, int* sx, int* sy);
// Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
bool RequestClose(unsigned long window);
// Drops the file on the window from another X client, as a file manager does (the XDND
// protocol, offering the file as text/uri-list), with the pointer at the window's point (x, y):
// enters, moves there, drops, hands over the file's URI when asked, and waits for the end.
// False when the window does not take drops or does not finish within the time.
bool DropFileOnWindow(unsigned long window, int x, int y, const std::string& path, int millis);

// Whether the window names a window that takes its drags (XdndProxy), as the program's do
// once the display has seen them.
bool NamesXdndProxy(unsigned long window);

// A drag from another X client over the XDND protocol, taken in steps so that a window of this
// very process can go on handling its events meanwhile. The source offers the data under each of
// the types (MIME names or atoms such as UTF8_STRING; more than three go in its XdndTypeList)
// and hands it over under whichever the window asks for. It sends its messages to the window's
// XdndProxy when it names one, as the protocol asks. Made, it warps the pointer to the window's
// point (x, y), enters and moves there; with dropOnAccept it drops once the window accepts
// (and ends when it refuses), else the test moves, drops or leaves itself.
class XdndDrop {
 public:
  // How the source speaks: the protocol's version it announces, whether it enters at all
  // (without, its first message is a position), whether it holds the window's requests for
  // the data until the test answers them (AnswerHeld, RefuseHeld), and the server time its
  // positions name (0: CurrentTime).
  struct Manner {
    long version = 5;
    bool enter = true;
    bool holdRequests = false;
    unsigned long time = 0;
  };
  XdndDrop(unsigned long window, int x, int y, const std::vector<std::string>& types,
           const std::string& data, bool dropOnAccept = true);
  XdndDrop(unsigned long window, int x, int y, const std::vector<std::string>& types,
           const std::string& data, bool dropOnAccept, const Manner& manner);
  ~XdndDrop();
  XdndDrop(const XdndDrop&) = delete;
  XdndDrop& operator=(const XdndDrop&) = delete;

  // Answers what the window sent so far, waiting up to waitMillis for the first of it; true
  // once the drop is over (the window refused it or said it finished).
  bool Step(int waitMillis);
  // Answers what the window sends until it has sent `count` statuses in all, at most
  // waitMillis; true when it has.
  bool WaitForStatus(int count, int waitMillis);
  // The pointer moves to the window's point: a new position.
  void MoveTo(int x, int y);
  void Drop();
  void Leave();
  // The window's last status accepted the drag (its finish, once it came, took the drop).
  bool Accepted() const;
  int Statuses() const;
  // The window accepted the drop and said it finished.
  bool Finished() const;
  // The types the window asked for the data under, in order.
  const std::vector<std::string>& Requested() const { return requested_; }
  // The window said it finished (whether or not it took the drop).
  bool Done() const;
  // Requests for the data held so far and not answered.
  int HeldRequests() const;
  // Answers the held requests with this data (in the property each named), and waits until
  // the X server has sent the answers on.
  void AnswerHeld(const std::string& data);
  // Refuses the held requests (no property), and waits until the X server has sent the
  // refusals on.
  void RefuseHeld();
  // The time the first held request named; 0 when none is held.
  unsigned long HeldTime() const;

 private:
  bool Run(int waitMillis, int statuses);
  struct State;
  State* state_;
  std::vector<std::string> requested_;
};
// Another X client's top-level window that takes dropped text over the XDND protocol (version
// 5), placed on the screen at (x, y). It answers each position as told (accepting the action
// asked for, or refusing), asks for the text as UTF8_STRING at the drop and says it finished
// with the action. With `viaProxy` another window of its takes the messages for it (XdndProxy),
// and only that one says it takes drops. Step answers what came, without waiting.
class XdndTarget {
 public:
  XdndTarget(int x, int y, int width, int height, bool accept, bool viaProxy = false);
  ~XdndTarget();
  XdndTarget(const XdndTarget&) = delete;
  XdndTarget& operator=(const XdndTarget&) = delete;

  unsigned long Id() const;
  void Step();
  // The types the last drag that came offered (XdndEnter), in order.
  const std::vector<std::string>& Offered() const { return offered_; }
  // The action the last position asked for; empty before one came.
  const std::string& Asked() const { return asked_; }
  bool SawPosition() const { return !asked_.empty(); }
  // The text the drop brought (UTF-8); true once it came.
  bool Received(std::string* utf8) const;
  // The server times the source named in its last position and in its drop (0: CurrentTime,
  // or none came).
  unsigned long PositionTime() const;
  unsigned long DropTime() const;
  // The drag left without a drop.
  bool Left() const { return left_; }

 private:
  struct State;
  State* state_;
  std::vector<std::string> offered_;
  std::string asked_;
  bool left_ = false;
};

// Another X client's plain top-level window at (x, y) that never takes the keyboard, and
// counts the presses of a mouse button it gets.
class OtherWindow {
 public:
  OtherWindow(int x, int y, int width, int height);
  ~OtherWindow();
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;

  unsigned long Id() const;
  // The presses it got so far (reads what came, without waiting).
  int Presses();

 private:
  struct State;
  State* state_;
};

// The screen's viewable top-level windows that the window manager leaves alone
// (override-redirect, as popups and drag images are): where each lies, and its background
// pixel as the server holds it (0x00RRGGBB on the tests' screen).
struct Box {
  int x = 0, y = 0, width = 0, height = 0;
};
std::vector<Box> OverrideRedirectWindows();

// The cursor the server shows at the pointer now (the XFixes extension): its size, hot spot and
// ARGB pixels, row by row. False when the server cannot say.
struct ShownCursor {
  int width = 0, height = 0, xhot = 0, yhot = 0;
  std::vector<unsigned long> argb;
};
bool CursorAtThePointer(ShownCursor* out);

// Whether the pointer is at the screen point over the window itself (the deepest window there).
bool PointerOn(unsigned long window, int sx, int sy);

// Queues, as SDL queues the messages of the X event stream, the message of a press of the
// left button on the window at its point (x, y) at that server time: what SDL tells just
// before its own event of a press.
bool QueuePressMessage(unsigned long window, int x, int y, unsigned long serverTime);

// What a test may leave on the desktop that trips the next one up: the pointer or the
// keyboard taken by a client (a grab: every click or key then goes to that client), buttons
// or keys held down, windows still shown (the window manager's clients, and override-redirect
// windows such as menus). Empty when the desktop is at rest.
struct Leftovers {
  bool pointerTaken = false;
  bool keyboardTaken = false;
  std::vector<int> buttons;              // 1 left, 2 middle, 3 right, ...
  std::vector<std::string> keys;         // their keysyms' names
  std::vector<unsigned long> windows;    // client windows, as the window manager lists them
  std::vector<unsigned long> overrides;  // override-redirect windows shown
  bool Empty() const;
  // What is left, for a person.
  std::string Say() const;
};
Leftovers LeftOnTheDesktop();
// Ends the clients of other processes that show the windows (as xkill does, for a window
// that names its process): what a test that failed before it could end them left.
void EndClientsOf(const std::vector<unsigned long>& windows);

// Starts (forked) an XIM server named `name` that announces a TCP transport and stops itself
// (SIGSTOP) as soon as a client connects there: a client's wait for its answer on that socket
// ends only if the client ends it. -1 when it could not be started; the caller ends it.
int StartServerStoppedOnItsTransport(const std::string& name);

// Waits (on the connection, no sleeping) until a window manager names its check window on the
// root window and has framed a window mapped after that, or the time is up.
bool WaitForWindowManager(int millis);

}  // namespace x11
}  // namespace desktop_test
