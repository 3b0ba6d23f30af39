// The X11 calls of the desktop backend (see detail/DesktopX11.h).
#include "display/detail/DesktopX11.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace sp_platform {
namespace display {
namespace {

bool InfoOf(SDL_Window* window, SDL_SysWMinfo* info) {
  SDL_VERSION(&info->version);
  return window != nullptr && SDL_GetWindowWMInfo(window, info) == SDL_TRUE &&
         info->subsystem == SDL_SYSWM_X11;
}

int gXError = 0;

// The server's time of the latest input of the person's.
unsigned long gLastUserTime = 0;

int NoteXError(Display*, XErrorEvent* error) {
  gXError = error->error_code;
  return 0;
}

XErrorHandler gPassedOn = nullptr;

// A window can go between a request that names it and the server's answer (a window manager
// destroys the frame of a window it lets go while SDL asks where that frame lies): the error
// that answers is no fault of the program, which goes on. Other errors take their usual road.
int SurviveGoneWindow(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  return gPassedOn != nullptr ? gPassedOn(display, error) : 0;
}

// What tells two names of one display apart from names of two: the host ("unix" and none are
// both the local socket) and the display number, without the screen.
std::string DisplayKey(const std::string& name) {
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos) return name;
  std::string host = name.substr(0, colon);
  if (host == "unix") host.clear();
  std::string number = name.substr(colon + 1);
  const std::size_t dot = number.find('.');
  if (dot != std::string::npos) number.erase(dot);
  return host + ":" + number;
}

}  // namespace

unsigned long X11WindowID(SDL_Window* window) {
  SDL_SysWMinfo info;
  return InfoOf(window, &info) ? static_cast<unsigned long>(info.info.x11.window) : 0;
}

bool X11SetOwner(SDL_Window* child, SDL_Window* owner) {
  SDL_SysWMinfo childInfo, ownerInfo;
  if (!InfoOf(child, &childInfo) || !InfoOf(owner, &ownerInfo)) return false;
  XSetTransientForHint(childInfo.info.x11.display, childInfo.info.x11.window,
                       ownerInfo.info.x11.window);
  return true;
}

int X11ConnectionFd(SDL_Window* window) {
  SDL_SysWMinfo info;
  return InfoOf(window, &info) ? ConnectionNumber(info.info.x11.display) : -1;
}

void X11SurviveGoneWindows() {
  const XErrorHandler previous = XSetErrorHandler(SurviveGoneWindow);
  if (previous != SurviveGoneWindow) gPassedOn = previous;
}

bool X11MapWithoutWaiting(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  XMapRaised(info.info.x11.display, info.info.x11.window);
  XFlush(info.info.x11.display);
  return true;
}

bool X11KeepContentInPlace(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  Display* display = info.info.x11.display;
  XSizeHints* hints = XAllocSizeHints();
  if (hints == nullptr) return false;
  long supplied = 0;
  if (XGetWMNormalHints(display, info.info.x11.window, hints, &supplied) == 0) hints->flags = 0;
  hints->flags |= PWinGravity;
  hints->win_gravity = StaticGravity;
  XSetWMNormalHints(display, info.info.x11.window, hints);
  XFree(hints);
  XFlush(display);
  return true;
}

bool X11MoveContent(SDL_Window* window, int x, int y, unsigned long* request) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  Display* display = info.info.x11.display;
  if (request != nullptr) *request = NextRequest(display);
  XMoveWindow(display, info.info.x11.window, x, y);
  XFlush(display);
  return true;
}

bool X11PlaceMessage(const SDL_SysWMmsg* message, X11Place* place) {
  if (message == nullptr || message->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& e = message->msg.x11.event;
  *place = X11Place();
  place->request = e.xany.serial;
  switch (e.type) {
    case ConfigureNotify:
      place->window = e.xconfigure.window;
      place->fromWindowManager = e.xconfigure.send_event != 0;
      place->fromServer = !place->fromWindowManager;
      place->x = e.xconfigure.x;
      place->y = e.xconfigure.y;
      return true;
    case ReparentNotify:
      place->window = e.xreparent.window;
      place->fromServer = true;
      place->x = e.xreparent.x;
      place->y = e.xreparent.y;
      place->framed = e.xreparent.parent != DefaultRootWindow(e.xreparent.display) ? 1 : 0;
      return true;
    default:
      return false;
  }
}

namespace {

struct HeldPointer {
  Display* x = nullptr;
  bool failed = false;  // the connection could not be opened: not tried again
  bool held = false;
};

HeldPointer& Held() {
  static HeldPointer held;
  return held;
}

}  // namespace

bool X11HoldPointer(SDL_Window* shown) {
  HeldPointer& h = Held();
  if (h.held) return true;
  if (h.x == nullptr && !h.failed) {
    const std::string name = X11DisplayName(shown);
    h.x = name.empty() ? nullptr : XOpenDisplay(name.c_str());
    h.failed = h.x == nullptr;
  }
  if (h.x == nullptr) return false;
  const unsigned int mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  h.held = XGrabPointer(h.x, DefaultRootWindow(h.x), False, mask, GrabModeAsync, GrabModeAsync,
                        0, 0, CurrentTime) == GrabSuccess;
  XFlush(h.x);
  return h.held;
}

void X11ReleasePointer() {
  HeldPointer& h = Held();
  if (!h.held) return;
  XUngrabPointer(h.x, CurrentTime);
  XFlush(h.x);
  // What came before the release is no longer the menu's.
  while (XPending(h.x) > 0) {
    XEvent e;
    XNextEvent(h.x, &e);
  }
  h.held = false;
}

void X11ClosePointer() {
  X11ReleasePointer();
  HeldPointer& h = Held();
  if (h.x != nullptr) XCloseDisplay(h.x);
  h = HeldPointer();
}

int X11HeldPointerFd() {
  const HeldPointer& h = Held();
  return h.held ? ConnectionNumber(h.x) : -1;
}

bool X11NextHeldPointerInput(X11PointerInput* input) {
  HeldPointer& h = Held();
  while (h.held && XPending(h.x) > 0) {
    XEvent e;
    XNextEvent(h.x, &e);
    *input = X11PointerInput();
    switch (e.type) {
      case MotionNotify:
        input->kind = X11PointerInput::kMoved;
        input->x = e.xmotion.x_root;
        input->y = e.xmotion.y_root;
        input->buttonDown = (e.xmotion.state & (Button1Mask | Button2Mask | Button3Mask)) != 0;
        gLastUserTime = e.xmotion.time;
        return true;
      case ButtonPress:
      case ButtonRelease:
        // The wheel's notches are no clicks.
        if (e.xbutton.button < Button1 || e.xbutton.button > Button3) continue;
        input->kind = e.type == ButtonPress ? X11PointerInput::kPressed : X11PointerInput::kReleased;
        input->x = e.xbutton.x_root;
        input->y = e.xbutton.y_root;
        input->button = int(e.xbutton.button);
        gLastUserTime = e.xbutton.time;
        return true;
      default:
        continue;
    }
  }
  return false;
}

bool X11MarkFixedSize(SDL_Window* window, bool dialog) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  Display* display = info.info.x11.display;
  const ::Window xwindow = info.info.x11.window;
  // Motif's window manager hints: flags, functions, decorations, input mode, status.
  constexpr long kFunctions = 1, kDecorations = 2;
  constexpr long kFuncMove = 4, kFuncMinimize = 8, kFuncClose = 32;
  constexpr long kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimize = 32;
  const long hints[5] = {kFunctions | kDecorations,
                         kFuncMove | kFuncClose | (dialog ? 0L : kFuncMinimize),
                         kDecorBorder | kDecorTitle | kDecorMenu | (dialog ? 0L : kDecorMinimize),
                         0, 0};
  const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display, xwindow, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  if (dialog) {
    const long type = long(XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False));
    XChangeProperty(display, xwindow, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
  }
  XFlush(display);
  return true;
}

bool X11SetTitle(SDL_Window* window, const std::string& utf8) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  Display* display = info.info.x11.display;
  const ::Window xwindow = info.info.x11.window;
  std::string text = utf8;
  char* list[1] = {&text[0]};
  XTextProperty property{};
  const int converted = Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property);
  if (converted >= 0 && property.value != nullptr) {
    XSetWMName(display, xwindow, &property);
  }
  if (property.value != nullptr) XFree(property.value);
  const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, xwindow, XInternAtom(display, "_NET_WM_NAME", False), utf8String, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(utf8.data()),
                  int(utf8.size()));
  XFlush(display);
  return converted >= 0;
}


void X11NoteUserTime(const SDL_SysWMmsg* message) {
  if (message == nullptr || message->subsystem != SDL_SYSWM_X11) return;
  const XEvent& e = message->msg.x11.event;
  switch (e.type) {
    case KeyPress:
    case KeyRelease:
      gLastUserTime = e.xkey.time;
      break;
    case ButtonPress:
    case ButtonRelease:
      gLastUserTime = e.xbutton.time;
      break;
    case MotionNotify:
      gLastUserTime = e.xmotion.time;
      break;
    default:
      break;
  }
}

unsigned long X11LastUserTime() {
  return gLastUserTime;
}

bool X11ButtonPlaceOf(const SDL_SysWMmsg* message, X11ButtonPlace* place) {
  if (message == nullptr || message->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& e = message->msg.x11.event;
  if (e.type != ButtonPress && e.type != ButtonRelease) return false;
  // The wheel's notches are buttons 4 to 7 (up, down, left, right).
  if (e.xbutton.button < Button1 || e.xbutton.button > 7) return false;
  place->window = e.xbutton.window;
  place->pressed = e.type == ButtonPress;
  place->wheel = e.xbutton.button > Button3;
  place->x = e.xbutton.x;
  place->y = e.xbutton.y;
  place->time = e.xbutton.time;
  return true;
}

bool X11Bell(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  XBell(info.info.x11.display, 0);
  XFlush(info.info.x11.display);
  return true;
}

bool X11PointerPlace(SDL_Window* window, int* x, int* y) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return false;
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0;
  unsigned int mask = 0;
  return XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX,
                       &rootY, x, y, &mask) == True;
}

std::string X11DisplayName(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!InfoOf(window, &info)) return std::string();
  const char* name = XDisplayString(info.info.x11.display);
  return name != nullptr ? name : "";
}

X11Activation X11ActivateWindow(const std::string& displayName, unsigned long window) {
  const char* ours = std::getenv("DISPLAY");
  if (ours == nullptr || DisplayKey(ours) != DisplayKey(displayName))
    return X11Activation::kOtherDisplay;
  Display* display = XOpenDisplay(ours);
  if (display == nullptr) return X11Activation::kOtherDisplay;
  // A window that is gone answers with an error, which must not end this process as Xlib's
  // own handler would.
  gXError = 0;
  XErrorHandler previous = XSetErrorHandler(NoteXError);
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0 && gXError == 0;
  if (exists) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    // As from a task bar: the person asked for the window, so no focus-stealing rule holds it
    // back.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, attributes.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XSync(display, False);
  }
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return exists ? X11Activation::kAsked : X11Activation::kNoSuchWindow;
}

}  // namespace display
}  // namespace sp_platform
