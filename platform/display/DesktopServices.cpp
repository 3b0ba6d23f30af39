// Opening and closing the desktop display, its place in each pass of the loop and in the
// loop's wait, and what it lends the toolbox: the clipboard, the bell and the cursor.
#include <poll.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "OSUtils.h"
#include "QuickDraw.h"
#include "base/internal/Beep.h"
#include "display/detail/Desktop.h"
#include "display/detail/DesktopX11.h"
#include "display/detail/DesktopXdnd.h"
#include "display/detail/DesktopXim.h"
#include "display/internal/XimCallbacks.h"
#include "display/internal/Backends.h"
#include "events/internal/EventLoop.h"
#include "quickdraw/internal/Cursors.h"
#include "quickdraw/internal/TestHooks.h"
#include "ui/internal/DialogClipboard.h"
#include "ui/internal/InputMethod.h"
#include "ui/internal/Menus.h"

namespace sp_platform {
namespace display {
namespace {

// While a menu is open the pointer is the program's, as desktop menus hold it: a click on
// another program's window comes to the menu, which closes, rather than to that program.
void SyncPointerGrab() {
  DesktopState& d = Desktop();
  if (!menus::MenusOpen()) {
    if (d.pointerHeld) X11ReleasePointer();
    d.pointerHeld = false;
    return;
  }
  if (d.pointerHeld) return;
  for (const ShownWindow& w : d.windows) {
    if (w.sdl == nullptr) continue;
    d.pointerHeld = X11HoldPointer(w.sdl);
    break;
  }
}

bool Pass(void*) {
  bool did = PumpInput();
  if (PumpHeldPointer()) did = true;
  input_method::FollowFront();
  XimFollowFocus();
  SyncWindows();
  PresentWindows();
  SyncCursor();
  SyncPointerGrab();
  return did;
}

// The input method's candidate window goes under the caret of the inline preedit, placed in
// the window that has the keyboard.
void FollowCaret() {
  DesktopState& d = Desktop();
  Rect caret;
  if (!input_method::CaretRect(&caret)) return;
  SDL_Window* focus = SDL_GetKeyboardFocus();
  ShownWindow* shown = focus != nullptr ? ShownOfID(SDL_GetWindowID(focus)) : nullptr;
  if (shown == nullptr) return;
  const int scale = d.scale;
  SDL_Rect r;
  r.x = (caret.left - shown->content.left) * scale;
  r.y = (caret.top - shown->content.top + shown->strip) * scale;
  r.w = std::max(1, (caret.right - caret.left) * scale);
  r.h = std::max(1, (caret.bottom - caret.top) * scale);
  if (d.inputRectSet && r.x == d.inputRect.x && r.y == d.inputRect.y && r.w == d.inputRect.w &&
      r.h == d.inputRect.h) {
    return;
  }
  SDL_SetTextInputRect(&r);
  XimSetSpot(r.x, r.y + r.h);
  d.inputRect = r;
  d.inputRectSet = true;
}

// An XIM server draws the preedit through the program where it is shown inline or in a
// dialog's field, else in its own window (DesktopXim.h); SDL's own input method (where SDL has one:
// not on X11, see InitVideoWithoutInputMethod) is told the same.
void SetInternalEditing(bool on) {
  SDL_SetHint(SDL_HINT_IME_INTERNAL_EDITING, on ? "1" : "0");
  XimSetInline(!on);
}

void ClearComposition() {
  SDL_ClearComposition();
  XimReset();
}

const input_method::BackendHooks kInputMethod = {SetInternalEditing, XimSetTextInput,
                                                 ClearComposition};

// Without a window to learn the X connection from, a wait looks at SDL's queue this often.
constexpr int kWindowlessWaitMillis = 250;

// The loop has nothing to do: what it drew goes to the screen, then it sleeps until input
// comes on the X connection or the timeout ends. A signal (SIGTERM) ends the sleep too: the
// loop's handler interrupts the wait, where SDL's own wait would carry on.
void Wait(SInt64 timeoutMicros, void*) {
  FollowCaret();
  SyncWindows();
  PresentWindows();
  SyncCursor();
  SyncPointerGrab();
  if (timeoutMicros == 0) return;
  {
    XimLocaleScope scope;
    SDL_PumpEvents();
  }
  if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return;
  if (XimQueued()) return;
  int millis = timeoutMicros < 0 ? -1 : int(std::min<SInt64>((timeoutMicros + 999) / 1000, INT_MAX));
  const int wake = XimWakeMillis();
  if (wake >= 0 && (millis < 0 || wake < millis)) millis = wake;
  int fd = -1;
  for (const ShownWindow& w : Desktop().windows) {
    fd = X11ConnectionFd(w.sdl);
    if (fd >= 0) break;
  }
  if (fd < 0) {
    if (millis < 0 || millis > kWindowlessWaitMillis) millis = kWindowlessWaitMillis;
    poll(nullptr, 0, millis);
    return;
  }
  // Other programs' drags, the pointer held for a menu and the input method's server come on
  // connections of their own.
  pollfd connections[4] = {{fd, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLIN, 0}};
  nfds_t count = 1;
  for (int other : {XdndTargetFd(), X11HeldPointerFd(), XimConnectionFd()}) {
    if (other >= 0) connections[count++].fd = other;
  }
  poll(connections, count, millis);
}

void PutClipboard(const std::string& utf8, void*) {
  SDL_SetClipboardText(utf8.c_str());
}

bool GetClipboard(std::string* utf8, void*) {
  if (!SDL_HasClipboardText()) return false;
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return false;
  *utf8 = text;
  SDL_free(text);
  return !utf8->empty();
}

// Where the pointer is now: the place the X server tells (GetMouse answers the pointer's place
// when it is called, also outside the program's windows, where no motion reaches them). It is
// read against the window the mouse's events come from, so that it agrees with their places.
// Without a window to ask through, the latest mouse input answers.
bool PointerNow(Point* global, void*) {
  SDL_Window* focus = SDL_GetMouseFocus();
  const ShownWindow* asked = focus != nullptr ? ShownOfID(SDL_GetWindowID(focus)) : nullptr;
  for (const ShownWindow& w : Desktop().windows) {
    if (asked != nullptr) break;
    if (w.shown) asked = &w;
  }
  int x = 0, y = 0;
  if (asked == nullptr || !X11PointerPlace(asked->sdl, &x, &y)) return false;
  *global = GlobalOf(*asked, x, y);
  return true;
}

const dialogs::DesktopClipboard kClipboard = {PutClipboard, GetClipboard, nullptr};

// The desktop's bell on X11; elsewhere the front window flashes.
void Beep(void*) {
  DesktopState& d = Desktop();
  ShownWindow* front = nullptr;
  for (ShownWindow& w : d.windows) {
    if (w.shown && (front == nullptr || w.window == FrontNonFloatingWindow())) front = &w;
  }
  if (front == nullptr) return;
  if (!X11Bell(front->sdl)) SDL_FlashWindow(front->sdl, SDL_FLASH_BRIEFLY);
}

std::string NoDisplayMessage() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((display == nullptr || display[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) {
    return "No display: DISPLAY is not set, so there is no desktop to show the program's windows "
           "on.";
  }
  return std::string("No display: the desktop display \"") +
         (display != nullptr ? display : wayland) + "\" cannot be opened (" + SDL_GetError() + ").";
}

// The environment variable set to `value` while the object lives, as it was afterwards.
class EnvironmentFor {
 public:
  EnvironmentFor(const char* name, const char* value) : name_(name) {
    const char* was = std::getenv(name);
    had_ = was != nullptr;
    if (had_) was_ = was;
    setenv(name, value, 1);
  }
  ~EnvironmentFor() {
    if (had_) {
      setenv(name_, was_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentFor(const EnvironmentFor&) = delete;
  EnvironmentFor& operator=(const EnvironmentFor&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string was_;
};

// SDL opens an input method of its own where XMODIFIERS names an XIM server, and speaks to
// IBus or fcitx over D-Bus where XMODIFIERS or SDL_IM_MODULE names them: each key would reach
// the server twice (once for SDL, once for DesktopXim.cpp), and SDL's waits on the server have
// no end. SDL chooses its input method once, when video starts: it starts here without any (no
// XIM server, IBus rather than fcitx, and an IBus address file that names no bus), so that only
// DesktopXim.cpp speaks to the input method.
bool InitVideoWithoutInputMethod() {
  const EnvironmentFor modifiers("XMODIFIERS", "@im=none");
  const EnvironmentFor module("SDL_IM_MODULE", "ibus");
  const EnvironmentFor ibus("IBUS_ADDRESS", "/dev/null");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace

void InstallServices() {
  DesktopState& d = Desktop();
  d.passHook = AddPassHook(Pass, nullptr);
  SetIdleWaitProc(Wait, nullptr);
  SetPointerProc(PointerNow, nullptr);
  SetBeepProc(Beep, nullptr);
  dialogs::SetDesktopClipboard(&kClipboard);
  menus::SetLiveMenuTracking(true);
  input_method::SetBackendHooks(&kInputMethod);
  InstallDragOut();
}

void RemoveServices() {
  DesktopState& d = Desktop();
  RemovePassHook(d.passHook);
  d.passHook = 0;
  SetIdleWaitProc(nullptr, nullptr);
  SetPointerProc(nullptr, nullptr);
  SetBeepProc(nullptr, nullptr);
  dialogs::SetDesktopClipboard(nullptr);
  RemoveDragOut();
  menus::SetLiveMenuTracking(false);
  input_method::SetBackendHooks(nullptr);
}

// Shows the cursor last set: the desktop's arrow for the arrow, else its image (scaled).
void SyncCursor() {
  DesktopState& d = Desktop();
  const CursorSummary summary = CurrentCursorSummary();
  const bool hidden = summary.hideLevel < 0 || summary.obscured;
  if (hidden != d.cursorHidden) {
    SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
    d.cursorHidden = hidden;
  }
  if (summary.changes == d.cursorChanges) return;
  d.cursorChanges = summary.changes;
  const CursorImage image = CurrentCursorImage();
  const CursorImage& shown = d.shownCursor;
  if (d.cursor != nullptr && image.arrow == shown.arrow && image.argb == shown.argb &&
      image.hotSpot.h == shown.hotSpot.h && image.hotSpot.v == shown.hotSpot.v) {
    return;
  }
  SDL_Cursor* cursor = nullptr;
  if (image.arrow || image.argb.empty()) {
    cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  } else {
    const int scale = d.scale;
    const int width = int(image.width) * scale, height = int(image.height) * scale;
    std::vector<UInt32> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        pixels[std::size_t(y * width + x)] =
            image.argb[std::size_t((y / scale) * int(image.width) + x / scale)];
      }
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface != nullptr) {
      cursor = SDL_CreateColorCursor(surface, image.hotSpot.h * scale, image.hotSpot.v * scale);
      SDL_FreeSurface(surface);
    }
  }
  if (cursor == nullptr) return;
  SDL_SetCursor(cursor);
  if (d.cursor != nullptr) SDL_FreeCursor(d.cursor);
  d.cursor = cursor;
  d.shownCursor = image;
}

bool OpenDesktop(std::string* message) {
  DesktopState& d = Desktop();
  if (d.open) return true;
  // The loop's own SIGTERM handling stays; popups need global positions, which X11 gives
  // (XWayland on a Wayland desktop), unless SDL_VIDEODRIVER says otherwise.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_DEFAULT);
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The window the toolbox brings to the front takes the keyboard too.
  SDL_SetHint(SDL_HINT_FORCE_RAISEWINDOW, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Window surfaces are the X server's own shared-memory images, not OpenGL textures: the
  // pixels are copied once, and no GL driver is loaded for nothing.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // A long preedit arrives whole (SDL_TEXTEDITING_EXT), not cut at 32 bytes.
  SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
  if (!InitVideoWithoutInputMethod()) {
    if (message != nullptr) *message = NoDisplayMessage();
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "x11") == 0) X11SurviveGoneWindows();
  float dotsPerInch = 0;
  if (SDL_GetDisplayDPI(0, nullptr, &dotsPerInch, nullptr) != 0) dotsPerInch = 0;
  d.scale = ChooseScale(std::getenv("SP_DISPLAY_SCALE"), dotsPerInch);
  d.keyMods = Uint16(SDL_GetModState());
  SDL_Rect screen;
  if (SDL_GetDisplayBounds(0, &screen) == 0) {
    SetMainScreenSize(SInt16(std::min(screen.w / d.scale, 32767)),
                      SInt16(std::min(screen.h / d.scale, 32767)));
  }
  // Files dropped from file managers arrive (SDL leaves drops off until asked).
  for (Uint32 type : {SDL_DROPFILE, SDL_DROPTEXT, SDL_DROPBEGIN, SDL_DROPCOMPLETE}) {
    SDL_EventState(type, SDL_ENABLE);
  }
  // The X11 event stream, where the windows' moves are told (WindowPlaceMessage).
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_StartTextInput();
  InstallServices();  // the input method's hooks may stop text input again
  d.open = true;
  return true;
}

void CloseDesktop() {
  DesktopState& d = Desktop();
  if (!d.open) return;
  RemoveServices();
  XimClose();
  // A menu may still be open (or its close not yet seen by a pass): the pointer is let go
  // with the desktop.
  X11ClosePointer();
  DestroyWindows();
  if (d.cursor != nullptr) SDL_FreeCursor(d.cursor);
  if (d.stripWorld != nullptr) DisposeGWorld(d.stripWorld);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  d.~DesktopState();
  new (&d) DesktopState();
}

bool DesktopOpen() {
  return Desktop().open;
}

void SyncDesktop() {
  if (Desktop().open) Pass(nullptr);
}

bool LastTextInputRect(int* x, int* y, int* width, int* height) {
  const DesktopState& d = Desktop();
  if (!d.inputRectSet) return false;
  *x = d.inputRect.x;
  *y = d.inputRect.y;
  *width = d.inputRect.w;
  *height = d.inputRect.h;
  return true;
}

int DesktopScale() {
  return Desktop().scale;
}

PresentCounts DesktopPresentCounts() {
  PresentCounts counts;
  counts.presents = Desktop().presents;
  counts.pixelsUploaded = Desktop().pixelsUploaded;
  return counts;
}

}  // namespace display
}  // namespace sp_platform
