// The tests' own X queries (see XQueries.h).
#include "XQueries.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

namespace desktop_test {
namespace x11 {
namespace {

Display*& Connection() {
  static Display* display = nullptr;
  return display;
}

}  // namespace

bool Connect() {
  if (Connection() == nullptr) Connection() = XOpenDisplay(nullptr);
  return Connection() != nullptr;
}

void Disconnect() {
  if (Connection() != nullptr) XCloseDisplay(Connection());
  Connection() = nullptr;
}

bool WindowViewable(unsigned long window) {
  XWindowAttributes a;
  return Connect() && window != 0 && XGetWindowAttributes(Connection(), Window(window), &a) != 0 &&
         a.map_state == IsViewable;
}

std::string WindowName(unsigned long window) {
  if (!Connect() || window == 0) return std::string();
  Display* x = Connection();
  const Atom name = XInternAtom(x, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(x, Window(window), name, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    out.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return out;
}

bool ScreenPointOf(unsigned long window, int x, int y, int* sx, int* sy) {
  Window child = 0;
  return Connect() && window != 0 &&
         XTranslateCoordinates(Connection(), Window(window), DefaultRootWindow(Connection()), x, y,
                               sx, sy, &child) != 0;
}

bool RequestClose(unsigned long window) {
  if (!Connect() || window == 0) return false;
  Display* x = Connection();
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = Window(window);
  e.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(x, Window(window), False, NoEventMask, &e) != 0;
  XFlush(x);
  return sent;
}

bool WaitForWindowManager(int millis) {
  Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) return false;
  const Window root = DefaultRootWindow(x);
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  XSelectInput(x, root, PropertyChangeMask);
  XSync(x, False);
  const auto start = std::chrono::steady_clock::now();
  bool ready = false;
  for (;;) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, root, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
      XFree(data);
      ready = count == 1;
    }
    if (ready) break;
    while (XPending(x) > 0) {
      XEvent e;
      XNextEvent(x, &e);
    }
    const long used = long(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count());
    pollfd p = {ConnectionNumber(x), POLLIN, 0};
    if (used >= millis || poll(&p, 1, int(millis - used)) <= 0) break;
  }
  XCloseDisplay(x);
  return ready;
}

}  // namespace x11
}  // namespace desktop_test
