// The tests' own X queries (see XQueries.h).
#include "XQueries.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>

namespace desktop_test {
namespace x11 {
namespace {

Display*& Connection() {
  static Display* display = nullptr;
  return display;
}

// A window the tests ask about may be gone by the time the server reads the request (a menu
// closing, a dialog replaced): while a query runs, the server's errors make it fail instead of
// ending the tests' process, as Xlib's default handler would. The handler is set for the
// query's time only: the toolbox and SDL set and restore handlers of their own as the tests
// open and close the desktop.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* x) : x_(x), previous_(XSetErrorHandler(Ignore)) {}
  ~ErrorTrap() {
    if (x_ != nullptr) XSync(x_, False);
    XSetErrorHandler(previous_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  static int Ignore(Display*, XErrorEvent*) { return 0; }
  Display* x_;
  XErrorHandler previous_;
};

}  // namespace

bool Connect() {
  if (Connection() == nullptr) Connection() = XOpenDisplay(nullptr);
  return Connection() != nullptr;
}

void Disconnect() {
  if (Connection() != nullptr) XCloseDisplay(Connection());
  Connection() = nullptr;
}

bool CursorAtThePointer(ShownCursor* out) {
  int event = 0, error = 0;
  if (!Connect() || !XFixesQueryExtension(Connection(), &event, &error)) return false;
  XFixesCursorImage* image = XFixesGetCursorImage(Connection());
  if (image == nullptr) return false;
  out->width = image->width;
  out->height = image->height;
  out->xhot = image->xhot;
  out->yhot = image->yhot;
  out->argb.assign(image->pixels, image->pixels + std::size_t(image->width) * image->height);
  XFree(image);
  return true;
}

unsigned long ShowForeignWindow() {
  if (!Connect()) return 0;
  Display* d = Connection();
  const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 60, 60, 0, 0, 0);
  XMapWindow(d, window);
  XSync(d, False);
  return window;
}

void CloseForeignWindow(unsigned long window) {
  if (Connection() == nullptr || window == 0) return;
  XDestroyWindow(Connection(), Window(window));
  XSync(Connection(), False);
}

int ViewableChildren(unsigned long window) {
  if (!Connect() || window == 0) return -1;
  ErrorTrap trap(Connection());
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(Connection(), Window(window), &root, &parent, &children, &count) == 0) return -1;
  int viewable = 0;
  for (unsigned int i = 0; i < count; ++i) {
    if (WindowViewable(children[i])) ++viewable;
  }
  if (children != nullptr) XFree(children);
  return viewable;
}

bool WindowViewable(unsigned long window) {
  if (!Connect() || window == 0) return false;
  ErrorTrap trap(Connection());
  XWindowAttributes a;
  return XGetWindowAttributes(Connection(), Window(window), &a) != 0 && a.map_state == IsViewable;
}

bool SelectionOwned(const std::string& name) {
  return Connect() && XGetSelectionOwner(Connection(), XInternAtom(Connection(), name.c_str(), False)) != 0;
}

std::string WindowName(unsigned long window) {
  if (!Connect() || window == 0) return std::string();
  Display* x = Connection();
  ErrorTrap trap(x);
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

bool WMNameOf(unsigned long window, std::string* type, std::string* utf8) {
  if (!Connect() || window == 0) return false;
  Display* x = Connection();
  ErrorTrap trap(x);
  XTextProperty property{};
  if (XGetWMName(x, Window(window), &property) == 0 || property.value == nullptr) return false;
  char* typeName = property.encoding != 0 ? XGetAtomName(x, property.encoding) : nullptr;
  *type = typeName != nullptr ? typeName : "";
  if (typeName != nullptr) XFree(typeName);
  char** list = nullptr;
  int count = 0;
  utf8->clear();
  const bool converted =
      Xutf8TextPropertyToTextList(x, &property, &list, &count) == Success && count >= 1;
  if (converted) *utf8 = list[0];
  if (list != nullptr) XFreeStringList(list);
  XFree(property.value);
  return converted;
}

long MotifFunctions(unsigned long window) {
  if (!Connect() || window == 0) return -1;
  Display* x = Connection();
  ErrorTrap trap(x);
  const Atom motif = XInternAtom(x, "_MOTIF_WM_HINTS", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long functions = -1;
  if (XGetWindowProperty(x, Window(window), motif, 0, 5, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data != nullptr && format == 32 && count >= 2) {
    const long* hints = reinterpret_cast<const long*>(data);
    if ((hints[0] & 1) != 0) functions = hints[1];
  }
  if (data != nullptr) XFree(data);
  return functions;
}

bool LookOf(unsigned long window, WindowLook* look) {
  if (!Connect() || window == 0) return false;
  ErrorTrap trap(Connection());
  XWindowAttributes attributes;
  if (XGetWindowAttributes(Connection(), Window(window), &attributes) == 0) return false;
  Display* x = Connection();
  *look = WindowLook();
  look->overrideRedirect = attributes.override_redirect != 0;
  auto read = [x, window](const char* name, Atom kind, unsigned long want, long* values) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool got =
        XGetWindowProperty(x, Window(window), XInternAtom(x, name, False), 0, long(want), False,
                           kind, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count >= want;
    if (got) {
      for (unsigned long i = 0; i < want; ++i) values[i] = reinterpret_cast<long*>(data)[i];
    }
    if (data != nullptr) XFree(data);
    return got;
  };
  long type = 0;
  if (read("_NET_WM_WINDOW_TYPE", XA_ATOM, 1, &type)) {
    if (char* name = XGetAtomName(x, Atom(type))) {
      look->type = name;
      XFree(name);
    }
  }
  long extents[4] = {0, 0, 0, 0};
  if (read("_NET_FRAME_EXTENTS", XA_CARDINAL, 4, extents)) {
    look->left = extents[0];
    look->right = extents[1];
    look->top = extents[2];
    look->bottom = extents[3];
  }
  return true;
}

int StackingIndex(unsigned long window) {
  if (!Connect() || window == 0) return -1;
  Display* x = Connection();
  ErrorTrap trap(x);
  const Window root = DefaultRootWindow(x);
  // The window's ancestor among the root's children.
  Window top = Window(window);
  for (;;) {
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(x, top, &rootReturn, &parent, &children, &count) == 0) return -1;
    if (children != nullptr) XFree(children);
    if (parent == root || parent == 0) break;
    top = parent;
  }
  Window rootReturn = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(x, root, &rootReturn, &parent, &children, &count) == 0) return -1;
  int index = -1;
  for (unsigned int i = 0; i < count; ++i) {
    if (children[i] == top) index = int(i);
  }
  if (children != nullptr) XFree(children);
  return index;
}

bool AskThroughTheProgramsConnectionAboutAGoneWindow(unsigned sdlWindowID) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  SDL_Window* window = SDL_GetWindowFromID(sdlWindowID);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  Display* x = info.info.x11.display;
  const Window gone = 0x1fffff0;  // no client has a window of this id
  int sx = 0, sy = 0;
  Window child = 0;
  XTranslateCoordinates(x, gone, DefaultRootWindow(x), 0, 0, &sx, &sy, &child);
  XSync(x, False);
  return true;
}

bool ScreenPointOf(unsigned long window, int x, int y, int* sx, int* sy) {
  if (!Connect() || window == 0) return false;
  ErrorTrap trap(Connection());
  Window child = 0;
  return XTranslateCoordinates(Connection(), Window(window), DefaultRootWindow(Connection()), x,
                               y, sx, sy, &child) != 0;
}

bool RequestClose(unsigned long window) {
  if (!Connect() || window == 0) return false;
  Display* x = Connection();
  ErrorTrap trap(x);
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

namespace {

long MillisSince(std::chrono::steady_clock::time_point start) {
  return long(std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count());
}

// How long the probe waits on a quiet connection before it stirs the window manager again.
constexpr int kNudgeMillis = 100;

// Waits for an event that `wanted` accepts, within the time left. Openbox, just started, may
// hold a request that came before its loop ran in a queue of its own and answer it only when
// another event wakes it: while the connection is quiet, a property of the root window is
// changed now and then to wake it.
bool WaitStirring(Display* x, std::chrono::steady_clock::time_point start, int millis,
                  const std::function<bool(const XEvent&)>& wanted) {
  const Window root = DefaultRootWindow(x);
  const Atom nudge = XInternAtom(x, "_SP_TESTS_NUDGE", False);
  for (;;) {
    while (XPending(x) > 0) {
      XEvent e;
      XNextEvent(x, &e);
      if (wanted(e)) return true;
    }
    const long left = millis - MillisSince(start);
    if (left <= 0) return false;
    pollfd p = {ConnectionNumber(x), POLLIN, 0};
    if (poll(&p, 1, int(std::min<long>(left, kNudgeMillis))) > 0) continue;
    const unsigned char stir = 0;
    XChangeProperty(x, root, nudge, XA_CARDINAL, 8, PropModeReplace, &stir, 1);
    XFlush(x);
  }
}

// Maps a window, waits until the window manager has framed it, then destroys it and waits
// until the window manager has let go of its frame too (a tool that walks the windows, such
// as xdotool's search, ends with an error when one goes while it looks).
bool WaitUntilWindowsAreFramed(Display* x, std::chrono::steady_clock::time_point start,
                               int millis) {
  const Window root = DefaultRootWindow(x);
  const Window probe = XCreateSimpleWindow(x, root, 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(x, probe, StructureNotifyMask);
  XSelectInput(x, root, SubstructureNotifyMask);
  XMapWindow(x, probe);
  XFlush(x);
  Window frame = 0;
  const bool framed = WaitStirring(x, start, millis, [probe, &frame](const XEvent& e) {
    if (e.type != ReparentNotify || e.xreparent.window != probe) return false;
    frame = e.xreparent.parent;
    return true;
  });
  XDestroyWindow(x, probe);
  XFlush(x);
  const bool letGo = framed && WaitStirring(x, start, millis, [frame](const XEvent& e) {
                       return e.type == DestroyNotify && e.xdestroywindow.window == frame;
                     });
  XSelectInput(x, root, NoEventMask);
  XDeleteProperty(x, root, XInternAtom(x, "_SP_TESTS_NUDGE", False));
  XSync(x, False);
  return framed && letGo;
}

}  // namespace

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
    const long used = MillisSince(start);
    pollfd p = {ConnectionNumber(x), POLLIN, 0};
    if (used >= millis || poll(&p, 1, int(millis - used)) <= 0) break;
  }
  XSelectInput(x, root, NoEventMask);
  ready = ready && WaitUntilWindowsAreFramed(x, start, millis);
  XCloseDisplay(x);
  return ready;
}

namespace {

// The next event for the source window within the time left; false when none came.
bool NextEvent(Display* x, std::chrono::steady_clock::time_point end, XEvent* event) {
  for (;;) {
    if (XPending(x) > 0) {
      XNextEvent(x, event);
      return true;
    }
    const long left = long(std::chrono::duration_cast<std::chrono::milliseconds>(
                               end - std::chrono::steady_clock::now())
                               .count());
    pollfd p = {ConnectionNumber(x), POLLIN, 0};
    if (left <= 0 || poll(&p, 1, int(left)) <= 0) return false;
  }
}

// To `to` (the target's XDND proxy, or the target itself), naming the target as the protocol
// asks.
void SendClientMessage(Display* x, Window to, Window target, Atom type, long l0, long l1, long l2,
                       long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = target;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(x, to, False, NoEventMask, &e);
  XFlush(x);
}

// The window the target's XdndProxy names; the target itself when it names none.
Window ProxyOf(Display* x, Window target) {
  ErrorTrap trap(x);
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* bytes = nullptr;
  Window proxy = target;
  if (XGetWindowProperty(x, target, XInternAtom(x, "XdndProxy", False), 0, 1, False, XA_WINDOW,
                         &actual, &format, &count, &after, &bytes) == Success &&
      actual == XA_WINDOW && count == 1 && bytes != nullptr) {
    proxy = Window(reinterpret_cast<const long*>(bytes)[0]);
  }
  if (bytes != nullptr) XFree(bytes);
  return proxy;
}

}  // namespace

bool NamesXdndProxy(unsigned long window) {
  return Connect() && window != 0 && ProxyOf(Connection(), Window(window)) != Window(window);
}

struct XdndDrop::State {
  Display* x = nullptr;
  Window target = 0;
  Window to = 0;  // where the messages go
  Window source = 0;
  std::vector<Atom> types;
  std::string data;
  Atom status = 0, finished = 0, drop = 0, position = 0, leave = 0, copy = 0;
  bool dropOnAccept = true;
  bool holdRequests = false;
  unsigned long time = 0;  // what positions name
  bool accepted = false, dropped = false, over = false, done = false;
  int statuses = 0;
  std::vector<XSelectionRequestEvent> held;
};

namespace {

// Answers the window's request for the data: in the property it named, under the type asked
// for when the source offers it; a refusal otherwise.
void AnswerRequest(Display* x, const XSelectionRequestEvent& r, const std::vector<Atom>& types,
                   const std::string& data, bool refuse = false) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = r.requestor;
  reply.xselection.selection = r.selection;
  reply.xselection.target = r.target;
  reply.xselection.time = r.time;
  reply.xselection.property = 0;
  bool offered = false;
  for (Atom t : types) offered = offered || t == r.target;
  if (offered && r.property != 0 && !refuse) {
    XChangeProperty(x, r.requestor, r.property, r.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    reply.xselection.property = r.property;
  }
  XSendEvent(x, r.requestor, False, NoEventMask, &reply);
  XFlush(x);
}

}  // namespace

XdndDrop::XdndDrop(unsigned long window, int x0, int y0, const std::vector<std::string>& types,
                   const std::string& data, bool dropOnAccept)
    : XdndDrop(window, x0, y0, types, data, dropOnAccept, Manner()) {}

XdndDrop::XdndDrop(unsigned long window, int x0, int y0, const std::vector<std::string>& types,
                   const std::string& data, bool dropOnAccept, const Manner& manner)
    : state_(new State) {
  State& s = *state_;
  s.data = data;
  s.dropOnAccept = dropOnAccept;
  s.holdRequests = manner.holdRequests;
  s.time = manner.time;
  s.x = XOpenDisplay(nullptr);
  if (s.x == nullptr || window == 0 || types.empty()) {
    s.over = true;
    return;
  }
  Display* x = s.x;
  auto atom = [x](const char* name) { return XInternAtom(x, name, False); };
  for (const std::string& t : types) s.types.push_back(atom(t.c_str()));
  s.status = atom("XdndStatus");
  s.finished = atom("XdndFinished");
  s.drop = atom("XdndDrop");
  s.position = atom("XdndPosition");
  s.leave = atom("XdndLeave");
  s.copy = atom("XdndActionCopy");
  s.target = Window(window);
  s.to = ProxyOf(x, s.target);
  const Window root = DefaultRootWindow(x);
  s.source = XCreateSimpleWindow(x, root, 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(x, atom("XdndSelection"), s.source, CurrentTime);
  // More than three types go in the source's XdndTypeList.
  long l1 = manner.version << 24;
  long offered[3] = {0, 0, 0};
  if (s.types.size() > 3) {
    XChangeProperty(x, s.source, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(s.types.data()), int(s.types.size()));
    l1 |= 1;
  } else {
    for (std::size_t i = 0; i < s.types.size(); ++i) offered[i] = long(s.types[i]);
  }
  if (manner.enter) {
    SendClientMessage(x, s.to, s.target, atom("XdndEnter"), long(s.source), l1, offered[0],
                      offered[1], offered[2]);
  }
  MoveTo(x0, y0);
  // The server has taken the messages: those of a source made after this one reach the window
  // after them.
  XSync(x, False);
}

XdndDrop::~XdndDrop() {
  if (state_->x != nullptr) {
    if (state_->source != 0) XDestroyWindow(state_->x, state_->source);
    XCloseDisplay(state_->x);
  }
  delete state_;
}

void XdndDrop::MoveTo(int x0, int y0) {
  State& s = *state_;
  if (s.over) return;
  Display* x = s.x;
  ErrorTrap trap(x);
  const Window root = DefaultRootWindow(x);
  // The pointer where the data is.
  int rx = 0, ry = 0;
  Window child = 0;
  XTranslateCoordinates(x, s.target, root, x0, y0, &rx, &ry, &child);
  XWarpPointer(x, 0, root, 0, 0, 0, 0, rx, ry);
  XSync(x, False);
  SendClientMessage(x, s.to, s.target, s.position, long(s.source), 0, (long(rx) << 16) | long(ry),
                    long(s.time), long(s.copy));
}

void XdndDrop::Drop() {
  State& s = *state_;
  if (s.over || s.dropped) return;
  SendClientMessage(s.x, s.to, s.target, s.drop, long(s.source), 0, CurrentTime, 0, 0);
  s.dropped = true;
}

void XdndDrop::Leave() {
  State& s = *state_;
  if (s.over) return;
  SendClientMessage(s.x, s.to, s.target, s.leave, long(s.source), 0, 0, 0, 0);
  s.over = true;
}

bool XdndDrop::Finished() const {
  return state_->accepted && state_->done;
}

bool XdndDrop::Done() const {
  return state_->done;
}

int XdndDrop::HeldRequests() const {
  return int(state_->held.size());
}

void XdndDrop::AnswerHeld(const std::string& data) {
  State& s = *state_;
  for (const XSelectionRequestEvent& r : s.held) AnswerRequest(s.x, r, s.types, data);
  s.held.clear();
  XSync(s.x, False);
}

void XdndDrop::RefuseHeld() {
  State& s = *state_;
  for (const XSelectionRequestEvent& r : s.held) AnswerRequest(s.x, r, s.types, "", true);
  s.held.clear();
  XSync(s.x, False);
}

unsigned long XdndDrop::HeldTime() const {
  return state_->held.empty() ? 0 : state_->held.front().time;
}

bool XdndDrop::Accepted() const {
  return state_->accepted;
}

int XdndDrop::Statuses() const {
  return state_->statuses;
}

bool XdndDrop::Step(int waitMillis) {
  return Run(waitMillis, -1);
}

bool XdndDrop::WaitForStatus(int count, int waitMillis) {
  Run(waitMillis, count);
  return state_->statuses >= count;
}

bool XdndDrop::Run(int waitMillis, int statuses) {
  State& s = *state_;
  Display* x = s.x;
  ErrorTrap trap(x);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMillis);
  XEvent e;
  while (!s.over && (statuses < 0 || s.statuses < statuses) && NextEvent(x, end, &e)) {
    if (e.type == ClientMessage && e.xclient.message_type == s.status && !s.dropped) {
      ++s.statuses;
      s.accepted = (e.xclient.data.l[1] & 1) != 0;
      if (!s.dropOnAccept) continue;
      if (!s.accepted) {
        s.over = true;
        break;
      }
      Drop();
    } else if (e.type == SelectionRequest) {
      const XSelectionRequestEvent& r = e.xselectionrequest;
      char* name = XGetAtomName(x, r.target);
      requested_.push_back(name != nullptr ? name : "");
      if (name != nullptr) XFree(name);
      if (s.holdRequests) {
        s.held.push_back(r);
      } else {
        AnswerRequest(x, r, s.types, s.data);
      }
    } else if (e.type == ClientMessage && e.xclient.message_type == s.finished) {
      s.accepted = (e.xclient.data.l[1] & 1) != 0;
      s.done = true;
      s.over = true;
    }
  }
  return s.over;
}

namespace {

// A white top-level window of another client at (x, y), where it is asked to be, and never
// given the keyboard: the program's window keeps it. Not mapped yet.
Window OtherClientsWindow(Display* x, int x0, int y0, int width, int height) {
  const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), x0, y0, unsigned(width),
                                            unsigned(height), 0, 0, WhitePixel(x, DefaultScreen(x)));
  XSizeHints hints{};
  hints.flags = USPosition | PPosition;
  hints.x = x0;
  hints.y = y0;
  XSetWMNormalHints(x, window, &hints);
  XWMHints wm{};
  wm.flags = InputHint;
  wm.input = False;
  XSetWMHints(x, window, &wm);
  const long never = 0;
  XChangeProperty(x, window, XInternAtom(x, "_NET_WM_USER_TIME", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&never), 1);
  return window;
}

}  // namespace

struct XdndTarget::State {
  Display* x = nullptr;
  Window window = 0;
  bool accept = true;
  Window source = 0;
  Atom action = 0;
  bool received = false;
  std::string text;
  unsigned long positionTime = 0, dropTime = 0;
  Atom enter = 0, position = 0, leave = 0, drop = 0, status = 0, finished = 0, selection = 0,
       utf8 = 0, property = 0;
};

XdndTarget::XdndTarget(int x0, int y0, int width, int height, bool accept, bool viaProxy)
    : state_(new State) {
  State& s = *state_;
  s.accept = accept;
  s.x = XOpenDisplay(nullptr);
  if (s.x == nullptr) return;
  Display* x = s.x;
  auto atom = [x](const char* name) { return XInternAtom(x, name, False); };
  s.enter = atom("XdndEnter");
  s.position = atom("XdndPosition");
  s.leave = atom("XdndLeave");
  s.drop = atom("XdndDrop");
  s.status = atom("XdndStatus");
  s.finished = atom("XdndFinished");
  s.selection = atom("XdndSelection");
  s.utf8 = atom("UTF8_STRING");
  s.property = atom("SP_TESTS_DROPPED");
  s.window = OtherClientsWindow(x, x0, y0, width, height);
  const long version = 5;
  Window aware = s.window;
  if (viaProxy) {
    aware = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0);
    for (Window w : {s.window, aware}) {
      XChangeProperty(x, w, atom("XdndProxy"), XA_WINDOW, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&aware), 1);
    }
  }
  XChangeProperty(x, aware, atom("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  XMapWindow(x, s.window);
  XSync(x, False);
}

XdndTarget::~XdndTarget() {
  if (state_->x != nullptr) {
    XDestroyWindow(state_->x, state_->window);
    XCloseDisplay(state_->x);
  }
  delete state_;
}

unsigned long XdndTarget::Id() const {
  return state_->window;
}

unsigned long XdndTarget::PositionTime() const {
  return state_->positionTime;
}

unsigned long XdndTarget::DropTime() const {
  return state_->dropTime;
}

bool XdndTarget::Received(std::string* utf8) const {
  if (state_->received) *utf8 = state_->text;
  return state_->received;
}

void XdndTarget::Step() {
  State& s = *state_;
  Display* x = s.x;
  if (x == nullptr) return;
  ErrorTrap trap(x);
  auto name = [x](Atom a) {
    char* n = a != 0 ? XGetAtomName(x, a) : nullptr;
    const std::string out = n != nullptr ? n : "";
    if (n != nullptr) XFree(n);
    return out;
  };
  while (XPending(x) > 0) {
    XEvent e;
    XNextEvent(x, &e);
    if (e.type == SelectionNotify && e.xselection.property != 0) {
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(x, s.window, s.property, 0, 1 << 20, True, AnyPropertyType, &type,
                             &format, &count, &after, &data) == Success &&
          data != nullptr) {
        s.text.assign(reinterpret_cast<const char*>(data), count);
        s.received = true;
        XFree(data);
      }
      SendClientMessage(x, s.source, s.source, s.finished, long(s.window), s.received ? 1 : 0,
                        s.received ? long(s.action) : 0, 0, 0);
      continue;
    }
    if (e.type != ClientMessage) continue;
    const XClientMessageEvent& m = e.xclient;
    if (m.message_type == s.enter) {
      s.source = Window(m.data.l[0]);
      offered_.clear();
      left_ = false;
      for (int i = 2; i < 5; ++i) {
        if (m.data.l[i] != 0) offered_.push_back(name(Atom(m.data.l[i])));
      }
    } else if (m.message_type == s.position) {
      s.positionTime = static_cast<unsigned long>(m.data.l[3]);
      s.action = Atom(m.data.l[4]);
      asked_ = name(s.action);
      SendClientMessage(x, s.source, s.source, s.status, long(s.window), s.accept ? 3 : 0, 0, 0,
                        s.accept ? long(s.action) : 0);
    } else if (m.message_type == s.leave) {
      left_ = true;
    } else if (m.message_type == s.drop) {
      s.dropTime = static_cast<unsigned long>(m.data.l[2]);
      XConvertSelection(x, s.selection, s.utf8, s.property, s.window, Time(m.data.l[2]));
      XFlush(x);
    }
  }
}

struct OtherWindow::State {
  Display* x = nullptr;
  Window window = 0;
  int presses = 0;
};

OtherWindow::OtherWindow(int x0, int y0, int width, int height) : state_(new State) {
  State& s = *state_;
  s.x = XOpenDisplay(nullptr);
  if (s.x == nullptr) return;
  Display* x = s.x;
  s.window = OtherClientsWindow(x, x0, y0, width, height);
  XSelectInput(x, s.window, ButtonPressMask);
  XMapWindow(x, s.window);
  XSync(x, False);
}

OtherWindow::~OtherWindow() {
  if (state_->x != nullptr) {
    XDestroyWindow(state_->x, state_->window);
    XCloseDisplay(state_->x);
  }
  delete state_;
}

unsigned long OtherWindow::Id() const {
  return state_->window;
}

int OtherWindow::Presses() {
  State& s = *state_;
  while (s.x != nullptr && XPending(s.x) > 0) {
    XEvent e;
    XNextEvent(s.x, &e);
    if (e.type == ButtonPress) ++s.presses;
  }
  return s.presses;
}

std::vector<Box> OverrideRedirectWindows() {
  std::vector<Box> out;
  if (!Connect()) return out;
  Display* x = Connection();
  ErrorTrap trap(x);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count) == 0) return out;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(x, children[i], &a) == 0 || a.map_state != IsViewable ||
        !a.override_redirect) {
      continue;
    }
    out.push_back(Box{a.x, a.y, a.width, a.height});
  }
  if (children != nullptr) XFree(children);
  return out;
}

bool PointerOn(unsigned long window, int sx, int sy) {
  if (!Connect()) return false;
  Display* x = Connection();
  ErrorTrap trap(x);
  Window under = DefaultRootWindow(x), root = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(x, under, &root, &child, &rx, &ry, &wx, &wy, &mask)) return false;
  while (child != 0) {
    under = child;
    if (!XQueryPointer(x, under, &root, &child, &rx, &ry, &wx, &wy, &mask)) return false;
  }
  return rx == sx && ry == sy && under == Window(window);
}

bool QueuePressMessage(unsigned long window, int x, int y, unsigned long serverTime) {
  SDL_SysWMmsg message;
  SDL_zero(message);
  SDL_VERSION(&message.version);
  message.subsystem = SDL_SYSWM_X11;
  message.msg.x11.event.type = ButtonPress;
  message.msg.x11.event.xbutton.window = Window(window);
  message.msg.x11.event.xbutton.x = x;
  message.msg.x11.event.xbutton.y = y;
  message.msg.x11.event.xbutton.button = Button1;
  message.msg.x11.event.xbutton.time = Time(serverTime);
  SDL_Event e;
  SDL_zero(e);
  e.type = SDL_SYSWMEVENT;
  e.syswm.msg = &message;  // SDL's queue keeps a copy of the message
  return SDL_PushEvent(&e) == 1;
}

bool Leftovers::Empty() const {
  return !pointerTaken && !keyboardTaken && buttons.empty() && keys.empty() && windows.empty() &&
         overrides.empty();
}

std::string Leftovers::Say() const {
  std::string said;
  if (pointerTaken) said += " the pointer taken by a client;";
  if (keyboardTaken) said += " the keyboard taken by a client;";
  for (int b : buttons) said += " button " + std::to_string(b) + " held;";
  for (const std::string& k : keys) said += " key " + k + " held;";
  for (unsigned long w : windows) said += " window " + std::to_string(w) + " \"" + WindowName(w) + "\";";
  for (unsigned long w : overrides) said += " override-redirect window " + std::to_string(w) + ";";
  return said;
}

Leftovers LeftOnTheDesktop() {
  Leftovers left;
  if (!Connect()) return left;
  Display* x = Connection();
  ErrorTrap trap(x);
  const Window root = DefaultRootWindow(x);
  // A grab of this connection's succeeds only when no other client holds the device (a button
  // held down holds the pointer too, for the client its press went to).
  const int pointer = XGrabPointer(x, root, False, 0, GrabModeAsync, GrabModeAsync, 0, 0,
                                   CurrentTime);
  if (pointer == GrabSuccess) XUngrabPointer(x, CurrentTime);
  left.pointerTaken = pointer == AlreadyGrabbed || pointer == GrabFrozen;
  const int keyboard = XGrabKeyboard(x, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  if (keyboard == GrabSuccess) XUngrabKeyboard(x, CurrentTime);
  left.keyboardTaken = keyboard == AlreadyGrabbed || keyboard == GrabFrozen;
  Window rootBack = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned int mask = 0;
  if (XQueryPointer(x, root, &rootBack, &child, &rx, &ry, &wx, &wy, &mask)) {
    const unsigned int masks[] = {Button1Mask, Button2Mask, Button3Mask, Button4Mask, Button5Mask};
    for (int b = 0; b < 5; ++b) {
      if ((mask & masks[b]) != 0) left.buttons.push_back(b + 1);
    }
  }
  char keymap[32] = {};
  XQueryKeymap(x, keymap);
  for (int code = 8; code < 256; ++code) {
    if ((keymap[code / 8] & (1 << (code % 8))) == 0) continue;
    const KeySym sym = XkbKeycodeToKeysym(x, KeyCode(code), 0, 0);
    const char* name = sym != 0 ? XKeysymToString(sym) : nullptr;
    left.keys.push_back(name != nullptr ? name : std::to_string(code));
  }
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x, root, XInternAtom(x, "_NET_CLIENT_LIST", False), 0, 1024, False,
                         XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
      data != nullptr) {
    if (format == 32) {
      const long* ids = reinterpret_cast<const long*>(data);
      for (unsigned long i = 0; i < count; ++i) left.windows.push_back(static_cast<unsigned long>(ids[i]));
    }
    XFree(data);
  }
  Window parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (XQueryTree(x, root, &rootBack, &parent, &children, &n) != 0) {
    for (unsigned int i = 0; i < n; ++i) {
      XWindowAttributes a;
      // Windows wholly off the screen (the window manager's check window) take no input.
      if (XGetWindowAttributes(x, children[i], &a) != 0 && a.map_state == IsViewable &&
          a.override_redirect && a.x + a.width > 0 && a.y + a.height > 0 &&
          a.x < WidthOfScreen(a.screen) && a.y < HeightOfScreen(a.screen)) {
        left.overrides.push_back(children[i]);
      }
    }
    if (children != nullptr) XFree(children);
  }
  return left;
}

void EndClientsOf(const std::vector<unsigned long>& windows) {
  if (!Connect()) return;
  Display* x = Connection();
  ErrorTrap trap(x);
  for (unsigned long w : windows) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(x, Window(w), XInternAtom(x, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
      if (format == 32 && count == 1) pid = *reinterpret_cast<const long*>(data);
      XFree(data);
    }
    if (pid > 0 && pid != long(getpid())) XKillClient(x, Window(w));
  }
}

bool DropFileOnWindow(unsigned long window, int x0, int y0, const std::string& path, int millis) {
  XdndDrop drop(window, x0, y0, {"text/uri-list"}, "file://" + path + "\r\n");
  drop.Step(millis);
  return drop.Finished();
}

namespace {

// The forked server's life: its selection and XIM_SERVERS entry, the answers to the
// conversions Xlib asks of a server (its locales, its transport), and the stop at a client's
// connection on the transport.
[[noreturn]] void ServeStoppedOnTransport(const std::string& name, int listener, int port) {
  Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) _exit(1);
  const Window root = DefaultRootWindow(x);
  const Window owner = XCreateSimpleWindow(x, root, 0, 0, 1, 1, 0, 0, 0);
  const Atom server = XInternAtom(x, ("@server=" + name).c_str(), False);
  const Atom locales = XInternAtom(x, "LOCALES", False);
  const Atom transport = XInternAtom(x, "TRANSPORT", False);
  XSetSelectionOwner(x, server, owner, CurrentTime);
  XChangeProperty(x, root, XInternAtom(x, "XIM_SERVERS", False), XA_ATOM, 32, PropModePrepend,
                  reinterpret_cast<const unsigned char*>(&server), 1);
  XFlush(x);
  std::vector<int> clients;
  for (;;) {
    pollfd fds[2] = {{ConnectionNumber(x), POLLIN, 0}, {listener, POLLIN, 0}};
    if (XPending(x) == 0 && poll(fds, 2, -1) < 0) continue;
    if ((fds[1].revents & POLLIN) != 0) {
      const int client = accept(listener, nullptr, nullptr);
      if (client >= 0) clients.push_back(client);  // held open, never answered
      raise(SIGSTOP);
    }
    while (XPending(x) > 0) {
      XEvent e;
      XNextEvent(x, &e);
      if (e.type != SelectionRequest) continue;
      const XSelectionRequestEvent& r = e.xselectionrequest;
      std::string value;
      if (r.target == locales) value = "@locale=ja_JP.UTF-8,ja_JP.utf8,ja_JP,ja,C";
      if (r.target == transport) value = "@transport=tcp/127.0.0.1:" + std::to_string(port);
      XSelectionEvent told = {};
      told.type = SelectionNotify;
      told.requestor = r.requestor;
      told.selection = r.selection;
      told.target = r.target;
      told.property = value.empty() ? 0 : r.property;
      told.time = r.time;
      if (!value.empty()) {
        XChangeProperty(x, r.requestor, r.property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(value.data()), int(value.size()));
      }
      XSendEvent(x, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&told));
      XFlush(x);
    }
  }
}

}  // namespace

int StartServerStoppedOnItsTransport(const std::string& name) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return -1;
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof at;
  if (bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(listener, 4) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
    close(listener);
    return -1;
  }
  const pid_t pid = fork();
  if (pid == 0) ServeStoppedOnTransport(name, listener, ntohs(at.sin_port));
  close(listener);
  return pid;
}

}  // namespace x11
}  // namespace desktop_test
