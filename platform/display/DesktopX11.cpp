// The X11 calls of the desktop backend (see detail/DesktopX11.h).
#include "display/detail/DesktopX11.h"

#include <SDL_syswm.h>
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
