// The program as the source of a drag into another program's window: the desktop's drag
// protocol (XDND, version 5 down to 3) over an X connection of its own (see detail/DesktopX11.h).
//
// The connection's own window owns XdndSelection and gets the other program's answers; the
// messages go to the top-level window under the pointer that says it takes drags (XdndAware),
// or to the proxy it names (XdndProxy). A position is sent again only once the last one was
// answered (XdndStatus), and a release waits for that answer before it drops or leaves. The
// dragged text is made when the other program asks for it (its SelectionRequest).
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <climits>

#include "display/detail/DesktopX11.h"
#include "display/detail/XdndMessage.h"

namespace sp_platform {
namespace display {
namespace {

constexpr long kOurVersion = 5;
constexpr int kMostLevels = 32;  // windows walked down from the root to the one under the pointer

enum AtomIndex {
  kAware,
  kProxy,
  kEnter,
  kPosition,
  kStatus,
  kLeave,
  kDrop,
  kFinished,
  kSelection,
  kActionCopy,
  kActionMove,
  kTargets,
  kUTF8String,
  kTextUTF8,
  kTextPlain,
  kAtomCount
};
const char* const kAtomNames[kAtomCount] = {"XdndAware",      "XdndProxy",
                                            "XdndEnter",      "XdndPosition",
                                            "XdndStatus",     "XdndLeave",
                                            "XdndDrop",       "XdndFinished",
                                            "XdndSelection",  "XdndActionCopy",
                                            "XdndActionMove", "TARGETS",
                                            "UTF8_STRING",    "text/plain;charset=utf-8",
                                            "text/plain"};
// The types the text is offered under, best first.
const AtomIndex kOffered[] = {kUTF8String, kTextUTF8, kTextPlain};

struct Source {
  Display* x = nullptr;
  Window self = 0;       // owns XdndSelection; the answers come to it
  Window edges[4] = {};  // the outline: top, bottom, left, right
  bool edgesShown = false;
  Atom atoms[kAtomCount] = {};
  X11DragTextProc text = nullptr;

  // The window the drag is over, and what it said.
  Window target = 0;  // named in the messages
  Window sendTo = 0;  // where they go (the target or its proxy)
  long version = 0;
  bool awaitingStatus = false;
  bool positionPending = false;  // a place came while the last one waited for its answer
  int px = 0, py = 0;            // the pointer
  Atom asked = 0;                // the action asked for
  bool accepted = false;
  Atom answeredAction = 0;
  bool releasePending = false;  // released before the last position was answered
  bool dropped = false;
  bool over = false;  // the drop is done with: finished, or refused
  bool finishedOk = false;
  Atom finishedAction = 0;
};

Source& TheSource() {
  static Source source;
  return source;
}

void Send(Source& s, Atom type, long l1, long l2, long l3, long l4) {
  SendXdndMessage(s.x, s.sendTo, s.target, type, s.self, l1, l2, l3, l4);
}

// The connection, its window and the outline's windows, made once.
bool Open(Source& s, SDL_Window* shown) {
  if (s.x != nullptr) return true;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (shown == nullptr || SDL_GetWindowWMInfo(shown, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  s.x = XOpenDisplay(XDisplayString(info.info.x11.display));
  if (s.x == nullptr) return false;
  XInternAtoms(s.x, const_cast<char**>(kAtomNames), kAtomCount, False, s.atoms);
  const Window root = DefaultRootWindow(s.x);
  s.self = XCreateWindow(s.x, root, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
  XColor gray{};
  gray.red = gray.green = gray.blue = 0x8080;
  const int screen = DefaultScreen(s.x);
  XSetWindowAttributes a{};
  a.override_redirect = True;
  a.background_pixel = XAllocColor(s.x, DefaultColormap(s.x, screen), &gray) != 0
                           ? gray.pixel
                           : BlackPixel(s.x, screen);
  for (Window& edge : s.edges) {
    edge = XCreateWindow(s.x, root, 0, 0, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWOverrideRedirect | CWBackPixel, &a);
  }
  return true;
}

bool Ours(const Source& s, const std::vector<unsigned long>& own, Window w) {
  if (std::find(own.begin(), own.end(), w) != own.end()) return true;
  return std::find(std::begin(s.edges), std::end(s.edges), w) != std::end(s.edges);
}

// A property of one value of the type, or 0.
long OneValue(const Source& s, Window w, Atom property, Atom type) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long value = 0;
  if (XGetWindowProperty(s.x, w, property, 0, 1, False, type, &actual, &format, &count, &after,
                         &data) == Success &&
      data != nullptr && actual == type && format == 32 && count == 1) {
    value = reinterpret_cast<long*>(data)[0];
  }
  if (data != nullptr) XFree(data);
  return value;
}

// The window under the screen point that takes drags (walking down from the root), with where
// its messages go and the protocol's version both speak; 0 when there is none, or when the
// point is over one of the program's own windows.
Window AwareUnder(const Source& s, const std::vector<unsigned long>& own, int x, int y,
                  Window* sendTo, long* version) {
  const Window root = DefaultRootWindow(s.x);
  Window w = root;
  for (int level = 0; level < kMostLevels; ++level) {
    int cx = 0, cy = 0;
    Window child = 0;
    if (!XTranslateCoordinates(s.x, root, w, x, y, &cx, &cy, &child) || child == 0) return 0;
    w = child;
    if (Ours(s, own, w)) return 0;
    // A proxy counts only when it names itself as well.
    Window proxy = Window(OneValue(s, w, s.atoms[kProxy], XA_WINDOW));
    if (proxy != 0 && Window(OneValue(s, proxy, s.atoms[kProxy], XA_WINDOW)) != proxy) proxy = 0;
    const Window asked = proxy != 0 ? proxy : w;
    const long theirs = OneValue(s, asked, s.atoms[kAware], XA_ATOM);
    if (theirs >= 3) {
      *sendTo = asked;
      *version = std::min(theirs, kOurVersion);
      return w;
    }
  }
  return 0;
}

// The time of the person's input the drag follows (the protocol asks for it, not CurrentTime,
// so that the other program's request for the data names a time the selection was owned).
long UserTime() {
  return long(X11LastUserTime());
}

void SendPosition(Source& s) {
  Send(s, s.atoms[kPosition], 0, (long(s.px) << 16) | (long(s.py) & 0xFFFF), UserTime(),
       long(s.asked));
  s.awaitingStatus = true;
  s.positionPending = false;
}

void Leave(Source& s) {
  if (s.target != 0 && !s.dropped) Send(s, s.atoms[kLeave], 0, 0, 0, 0);
  s.target = s.sendTo = 0;
  s.awaitingStatus = s.positionPending = s.accepted = false;
  s.answeredAction = 0;
}

void Enter(Source& s, Window target, Window sendTo, long version) {
  s.target = target;
  s.sendTo = sendTo;
  s.version = version;
  XSetSelectionOwner(s.x, s.atoms[kSelection], s.self, Time(UserTime()));
  Send(s, s.atoms[kEnter], version << 24, long(s.atoms[kOffered[0]]), long(s.atoms[kOffered[1]]),
       long(s.atoms[kOffered[2]]));
}

void DropNow(Source& s) {
  if (s.accepted) {
    Send(s, s.atoms[kDrop], 0, UserTime(), 0, 0);
    s.dropped = true;
  } else {
    Leave(s);
    s.over = true;
  }
}

void ShowOutline(Source& s, const X11DragPlace& p) {
  const bool show = p.outside && p.outlineWidth > 0 && p.outlineHeight > 0;
  if (!show) {
    if (s.edgesShown) {
      for (Window edge : s.edges) XUnmapWindow(s.x, edge);
    }
    s.edgesShown = false;
    return;
  }
  const int x = p.outlineX, y = p.outlineY, w = p.outlineWidth, h = p.outlineHeight;
  XMoveResizeWindow(s.x, s.edges[0], x, y, unsigned(w), 1);
  XMoveResizeWindow(s.x, s.edges[1], x, y + h - 1, unsigned(w), 1);
  XMoveResizeWindow(s.x, s.edges[2], x, y, 1, unsigned(h));
  XMoveResizeWindow(s.x, s.edges[3], x + w - 1, y, 1, unsigned(h));
  if (!s.edgesShown) {
    for (Window edge : s.edges) XMapRaised(s.x, edge);
  }
  s.edgesShown = true;
}

// The other program asks for the dragged text under one of the types offered (or for the
// list of them).
void AnswerRequest(Source& s, const XSelectionRequestEvent& r) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = r.requestor;
  reply.xselection.selection = r.selection;
  reply.xselection.target = r.target;
  reply.xselection.time = r.time;
  reply.xselection.property = 0;
  // Old requestors name no property: the target's name serves.
  const Atom property = r.property != 0 ? r.property : r.target;
  bool offered = false;
  for (AtomIndex i : kOffered) offered = offered || r.target == s.atoms[i];
  std::string utf8;
  // What one request can carry (no transfer in pieces).
  long most = XExtendedMaxRequestSize(s.x);
  if (most == 0) most = XMaxRequestSize(s.x);
  const std::size_t mostBytes = std::size_t(std::max(most, 64L) - 64) * 4;
  if (r.selection != s.atoms[kSelection] || r.owner != s.self) {
    // Not a request of this drag's.
  } else if (r.target == s.atoms[kTargets]) {
    Atom list[4] = {s.atoms[kTargets]};
    for (int i = 0; i < 3; ++i) list[i + 1] = s.atoms[kOffered[i]];
    XChangeProperty(s.x, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(list), 4);
    reply.xselection.property = property;
  } else if (offered && s.text != nullptr && s.text(&utf8) && utf8.size() <= mostBytes &&
             utf8.size() <= std::size_t(INT_MAX)) {
    XChangeProperty(s.x, r.requestor, property, r.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
    reply.xselection.property = property;
  }
  XSendEvent(s.x, r.requestor, False, NoEventMask, &reply);
}

void TakeStatus(Source& s, const XClientMessageEvent& m) {
  if (Window(m.data.l[0]) != s.target || !s.awaitingStatus) return;
  s.awaitingStatus = false;
  s.accepted = (m.data.l[1] & 1) != 0;
  s.answeredAction = s.accepted ? Atom(m.data.l[4]) : 0;
  if (s.releasePending) {
    s.releasePending = false;
    DropNow(s);
  } else if (s.positionPending) {
    SendPosition(s);
  }
}

void TakeFinished(Source& s, const XClientMessageEvent& m) {
  if (Window(m.data.l[0]) != s.target || !s.dropped) return;
  // Before version 5 the answer says nothing more: what the last status said holds.
  s.finishedOk = s.version >= 5 ? (m.data.l[1] & 1) != 0 : true;
  s.finishedAction = s.version >= 5 ? Atom(m.data.l[2]) : s.answeredAction;
  s.over = true;
}

// Everything the connection brought, in order.
void Pump(Source& s) {
  while (XPending(s.x) > 0) {
    XEvent e;
    XNextEvent(s.x, &e);
    if (e.type == SelectionRequest) {
      AnswerRequest(s, e.xselectionrequest);
    } else if (e.type == ClientMessage && e.xclient.message_type == s.atoms[kStatus]) {
      TakeStatus(s, e.xclient);
    } else if (e.type == ClientMessage && e.xclient.message_type == s.atoms[kFinished]) {
      TakeFinished(s, e.xclient);
    }
  }
  XFlush(s.x);
}

}  // namespace

void X11DragSetTextProc(X11DragTextProc proc) {
  TheSource().text = proc;
}

void X11DragFollow(SDL_Window* shown, const std::vector<unsigned long>& own,
                   const X11DragPlace& place) {
  Source& s = TheSource();
  if (!Open(s, shown)) return;
  Pump(s);
  Window sendTo = 0;
  long version = 0;
  const Window under = place.outside ? AwareUnder(s, own, place.x, place.y, &sendTo, &version) : 0;
  if (under != s.target) {
    Leave(s);
    if (under != 0) Enter(s, under, sendTo, version);
  }
  ShowOutline(s, place);
  s.px = place.x;
  s.py = place.y;
  s.asked = s.atoms[place.copy ? kActionCopy : kActionMove];
  if (s.target != 0) {
    if (s.awaitingStatus) {
      s.positionPending = true;
    } else {
      SendPosition(s);
    }
  }
  XFlush(s.x);
}

bool X11DragDrop() {
  Source& s = TheSource();
  if (s.x == nullptr) return false;
  Pump(s);
  if (s.target == 0) return false;
  if (s.awaitingStatus) {
    s.releasePending = true;
  } else {
    DropNow(s);
  }
  XFlush(s.x);
  return true;
}

bool X11DragAnswered(int* action) {
  Source& s = TheSource();
  *action = 0;
  if (s.x == nullptr) return true;
  Pump(s);
  if (!s.over) return false;
  if (s.dropped && s.finishedOk && s.finishedAction != 0) {
    *action = s.finishedAction == s.atoms[kActionMove] ? 2 : 1;
  }
  return true;
}

void X11DragEnd() {
  Source& s = TheSource();
  if (s.x == nullptr) return;
  Pump(s);
  Leave(s);
  ShowOutline(s, X11DragPlace());
  if (XGetSelectionOwner(s.x, s.atoms[kSelection]) == s.self) {
    XSetSelectionOwner(s.x, s.atoms[kSelection], 0, Time(UserTime()));
  }
  s.releasePending = s.dropped = s.over = s.finishedOk = false;
  s.finishedAction = 0;
  XFlush(s.x);
}

void X11DragClose() {
  Source& s = TheSource();
  if (s.x != nullptr) XCloseDisplay(s.x);
  const X11DragTextProc text = s.text;
  s = Source();
  s.text = text;
}

}  // namespace display
}  // namespace sp_platform
