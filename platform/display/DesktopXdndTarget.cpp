// The X side of other programs' drags over the program's windows (see detail/DesktopXdnd.h):
// the XDND protocol from XdndEnter through every XdndPosition to XdndLeave or XdndDrop, on a
// connection of its own.
//
// Each of the program's windows names a window of this side as its XdndProxy, so the other
// program sends its messages here, out of SDL's sight (SDL answers drags on its own windows
// with a status of its own). At the first position the data is asked for in the type taken
// (a file list before text), and the answer to that position waits for it: the other program
// sends the next position only once it has its answer. From then on each position is
// answered with what the drop target under the pointer says, a drop with XdndFinished.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/detail/DesktopX11.h"
#include "display/detail/DesktopXdnd.h"
#include "display/detail/XdndMessage.h"

namespace sp_platform {
namespace display {
namespace {

constexpr long kVersion = 5;
// The properties the data of successive requests come in: each request its own, so that the
// late answer to an earlier drag's request is never read as this one's.
constexpr unsigned kDataProperties = 8;
// The most a drag's data may hold: 4 MB, in the 32-bit units Xlib counts.
constexpr long kMaxDataLongs = 1L << 20;
// The most types a source's XdndTypeList may name that are looked at.
constexpr long kMaxTypes = 256;

enum class Data { kNone, kAsked, kHave, kFailed };

struct Side {
  Display* x = nullptr;
  bool failed = false;  // the connection could not be opened: not tried again
  Window proxy = 0;
  std::vector<Window> served;  // the program's windows that name the proxy
  Atom aware = 0, proxyAtom = 0, enter = 0, position = 0, status = 0, leave = 0, drop = 0,
       finished = 0, selection = 0, typeList = 0, copy = 0, incr = 0;
  Atom properties[kDataProperties] = {};
  unsigned requests = 0;  // requests made so far: the next one's property
  Atom uriList = 0;
  std::vector<Atom> textTypes;  // in the order they are preferred
  bool busy = false;            // a drop is being taken

  // The drag under way (source 0: none).
  Window source = 0;
  Window target = 0;  // the program's window the messages name
  long version = 0;   // the version both speak
  Atom type = 0;      // the type asked for; 0: nothing the program takes
  Data data = Data::kNone;
  Atom asked = 0;     // the property the data was asked into
  Time askedAt = 0;   // the time the request named
  bool accepting = false;  // the last status sent accepted the drag
  // A source of a newer protocol than this side's: its messages are passed by, as the
  // protocol asks, until its drag ends.
  Window ignored = 0;
  bool begun = false;  // the toolbox follows it
  int atX = 0, atY = 0;  // the last position, on the screen
  bool statusOwed = false;
  bool dropOwed = false;
};

Side& TheSide() {
  static Side* side = new Side;  // lives to the end of the program
  return *side;
}

bool Open(Side& s, SDL_Window* window) {
  if (s.x != nullptr) return true;
  if (s.failed) return false;
  const std::string name = X11DisplayName(window);
  if (name.empty()) return false;
  s.x = XOpenDisplay(name.c_str());
  if (s.x == nullptr) {
    s.failed = true;
    return false;
  }
  // A source that goes away mid-drag answers with BadWindow, which must not end the program.
  X11SurviveGoneWindows();
  Display* x = s.x;
  auto atom = [x](const char* n) { return XInternAtom(x, n, False); };
  s.aware = atom("XdndAware");
  s.proxyAtom = atom("XdndProxy");
  s.enter = atom("XdndEnter");
  s.position = atom("XdndPosition");
  s.status = atom("XdndStatus");
  s.leave = atom("XdndLeave");
  s.drop = atom("XdndDrop");
  s.finished = atom("XdndFinished");
  s.selection = atom("XdndSelection");
  s.typeList = atom("XdndTypeList");
  s.copy = atom("XdndActionCopy");
  for (unsigned i = 0; i < kDataProperties; ++i) {
    s.properties[i] = atom(("SP_XDND_DATA_" + std::to_string(i)).c_str());
  }
  s.incr = atom("INCR");
  s.uriList = atom("text/uri-list");
  s.textTypes = {atom("text/plain;charset=utf-8"), atom("UTF8_STRING"), atom("text/plain")};
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  s.proxy = XCreateWindow(x, DefaultRootWindow(x), -10, -10, 1, 1, 0, 0, InputOnly,
                          CopyFromParent, CWOverrideRedirect, &attributes);
  const long version = kVersion;
  XChangeProperty(x, s.proxy, s.aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  const long self = long(s.proxy);
  XChangeProperty(x, s.proxy, s.proxyAtom, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&self), 1);
  XFlush(x);
  return true;
}

void Serve(Side& s, const std::vector<SDL_Window*>& windows) {
  std::vector<Window> now;
  for (SDL_Window* w : windows) {
    const Window id = Window(X11WindowID(w));
    if (id == 0 || !Open(s, w)) continue;
    now.push_back(id);
    if (std::find(s.served.begin(), s.served.end(), id) != s.served.end()) continue;
    const long version = kVersion;
    const long proxy = long(s.proxy);
    XChangeProperty(s.x, id, s.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XChangeProperty(s.x, id, s.proxyAtom, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&proxy), 1);
    XFlush(s.x);
  }
  s.served.swap(now);
}

void Send(Side& s, Atom type, long l1, long l2, long l3, long l4) {
  SendXdndMessage(s.x, s.source, s.source, type, s.target, l1, l2, l3, l4);
}

// Accepted or refused; bit 1 asks for every position, however little the pointer moved.
void SendStatus(Side& s, bool accepted) {
  s.accepting = accepted;
  Send(s, s.status, (accepted ? 1 : 0) | 2, 0, 0, accepted ? long(s.copy) : 0);
}

// No drag under way any more (the toolbox lets go of one it follows).
void Forget(Side& s) {
  if (s.begun) OutsideDragEnd();
  if (s.source != 0) XSelectInput(s.x, s.source, NoEventMask);
  s.source = 0;
  s.target = 0;
  s.version = 0;
  s.type = 0;
  s.data = Data::kNone;
  s.asked = 0;
  s.askedAt = 0;
  s.accepting = false;
  s.begun = false;
  s.statusOwed = false;
  s.dropOwed = false;
}

// The type asked for among those offered: a file list first, then text.
Atom Chosen(const Side& s, const std::vector<Atom>& offered) {
  auto has = [&offered](Atom a) {
    return std::find(offered.begin(), offered.end(), a) != offered.end();
  };
  if (has(s.uriList)) return s.uriList;
  for (Atom t : s.textTypes) {
    if (has(t)) return t;
  }
  return 0;
}

std::vector<Atom> TypeListOf(Side& s, Window source) {
  std::vector<Atom> types;
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* bytes = nullptr;
  if (XGetWindowProperty(s.x, source, s.typeList, 0, kMaxTypes, False, XA_ATOM, &actual, &format,
                         &count, &after, &bytes) == Success &&
      actual == XA_ATOM && format == 32 && bytes != nullptr) {
    const long* atoms = reinterpret_cast<const long*>(bytes);
    for (unsigned long i = 0; i < count; ++i) types.push_back(Atom(atoms[i]));
  }
  if (bytes != nullptr) XFree(bytes);
  return types;
}

void Enter(Side& s, const XClientMessageEvent& e) {
  Forget(s);
  if (s.ignored != 0) XSelectInput(s.x, s.ignored, NoEventMask);
  s.ignored = 0;
  const long theirs = (e.data.l[1] >> 24) & 0xFF;
  if (theirs > kVersion) {
    s.ignored = Window(e.data.l[0]);
    // Passed by until it leaves or ends (its window's number may serve another program then).
    XSelectInput(s.x, s.ignored, StructureNotifyMask);
    return;
  }
  s.source = Window(e.data.l[0]);
  s.target = e.window;
  s.version = theirs;
  // A source that ends without a leave (it crashed) must not leave the drag followed.
  XSelectInput(s.x, s.source, StructureNotifyMask);
  std::vector<Atom> offered;
  if ((e.data.l[1] & 1) != 0) {
    offered = TypeListOf(s, s.source);
  } else {
    for (int i = 2; i < 5; ++i) {
      if (e.data.l[i] != 0) offered.push_back(Atom(e.data.l[i]));
    }
  }
  s.type = Chosen(s, offered);
}

// Where the drag is now: the toolbox follows it, and the source hears what it says.
void Answer(Side& s) {
  s.statusOwed = false;
  SendStatus(s, s.begun && OutsideDragMove(s.atX, s.atY));
}

// The other program hears that the drop is over before the program takes it: what it does
// with the drop may wait (an alert, a question), and the other program must not wait with
// it. The drop counts as taken when the last status accepted it there.
void Finish(Side& s) {
  s.dropOwed = false;
  const bool taken = s.begun && s.accepting;
  // Before version 5 the finish carries nothing more.
  const bool says = s.version >= 5 && taken;
  Send(s, s.finished, says ? 1 : 0, says ? long(s.copy) : 0, 0, 0);
  const bool hand = s.begun;
  s.begun = false;
  const int atX = s.atX, atY = s.atY;
  Forget(s);
  if (hand) {
    s.busy = true;
    OutsideDragDrop(atX, atY);
    s.busy = false;
  }
}

// A position from a source that never entered is refused, so that it does not wait for an
// answer; one that entered with a newer protocol is passed by.
void RefuseStranger(Side& s, const XClientMessageEvent& e) {
  const Window stranger = Window(e.data.l[0]);
  if (stranger == 0 || stranger == s.ignored) return;
  SendXdndMessage(s.x, stranger, stranger, s.status, e.window, 0, 0, 0, 0);
}

void Position(Side& s, const XClientMessageEvent& e) {
  if (s.source == 0 || Window(e.data.l[0]) != s.source) {
    RefuseStranger(s, e);
    return;
  }
  s.atX = int((e.data.l[2] >> 16) & 0xFFFF);
  s.atY = int(e.data.l[2] & 0xFFFF);
  s.target = e.window;
  switch (s.data) {
    case Data::kNone:
      if (s.type == 0) {
        SendStatus(s, false);
        return;
      }
      s.asked = s.properties[s.requests++ % kDataProperties];
      s.askedAt = Time(e.data.l[3]);
      XDeleteProperty(s.x, s.proxy, s.asked);
      XConvertSelection(s.x, s.selection, s.type, s.asked, s.proxy, s.askedAt);
      XFlush(s.x);
      s.data = Data::kAsked;
      s.statusOwed = true;
      return;
    case Data::kAsked:
      s.statusOwed = true;
      return;
    case Data::kHave:
    case Data::kFailed:
      Answer(s);
      return;
  }
}

void Dropped(Side& s, const XClientMessageEvent& e) {
  if (s.source == 0 || Window(e.data.l[0]) != s.source) return;
  s.target = e.window;
  if (s.data == Data::kAsked) {
    s.dropOwed = true;  // taken once the data is here
    return;
  }
  Finish(s);
}

// The data the source put on the proxy window, at most kMaxDataLongs; false when there is
// none or it comes in pieces (INCR), which a drag's list of files or text does not need.
bool ReadData(Side& s, Atom property, std::string* data) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* bytes = nullptr;
  const bool read = XGetWindowProperty(s.x, s.proxy, property, 0, kMaxDataLongs, True,
                                       AnyPropertyType, &actual, &format, &count, &after,
                                       &bytes) == Success;
  const bool whole = read && bytes != nullptr && format == 8 && actual != s.incr && after == 0;
  if (whole) data->assign(reinterpret_cast<const char*>(bytes), count);
  if (bytes != nullptr) XFree(bytes);
  if (read && after != 0) XDeleteProperty(s.x, s.proxy, property);
  return whole;
}

// Whether the answer is to the request under way: its data in the property that request
// named, or a refusal (no property) of that request's time. The answer to an earlier request
// is passed by, its data thrown away.
bool AnswersTheRequest(const Side& s, const XSelectionEvent& e) {
  if (e.requestor != s.proxy || e.selection != s.selection) return false;
  if (s.data != Data::kAsked || e.target != s.type) return false;
  if (e.property != 0) return e.property == s.asked;
  return e.time == s.askedAt;
}

void DataCame(Side& s, const XSelectionEvent& e) {
  if (!AnswersTheRequest(s, e)) {
    if (e.requestor == s.proxy && e.property != 0 && e.property != s.asked) {
      XDeleteProperty(s.x, s.proxy, e.property);
    }
    return;
  }
  std::string data;
  if (e.property != 0 && ReadData(s, e.property, &data)) {
    s.data = Data::kHave;
    s.begun = OutsideDragBegin(s.type == s.uriList, data);
  } else {
    s.data = Data::kFailed;
  }
  if (s.statusOwed) Answer(s);
  if (s.dropOwed) Finish(s);
}

void Handle(Side& s, XEvent& e) {
  if (e.type == SelectionNotify) {
    DataCame(s, e.xselection);
    return;
  }
  if (e.type == DestroyNotify) {
    if (s.source != 0 && e.xdestroywindow.window == s.source) Forget(s);
    if (e.xdestroywindow.window == s.ignored) s.ignored = 0;
    return;
  }
  if (e.type != ClientMessage || e.xclient.format != 32) return;
  const XClientMessageEvent& m = e.xclient;
  if (m.message_type == s.enter) {
    Enter(s, m);
  } else if (m.message_type == s.position) {
    Position(s, m);
  } else if (m.message_type == s.leave) {
    if (s.source != 0 && Window(m.data.l[0]) == s.source) Forget(s);
    if (s.ignored != 0 && Window(m.data.l[0]) == s.ignored) {
      XSelectInput(s.x, s.ignored, NoEventMask);
      s.ignored = 0;
    }
  } else if (m.message_type == s.drop) {
    Dropped(s, m);
  }
}

}  // namespace

void XdndTargetPump(const std::vector<SDL_Window*>& windows) {
  Side& s = TheSide();
  if (s.busy) return;
  Serve(s, windows);
  if (s.x == nullptr) return;
  while (!s.busy && XPending(s.x) > 0) {
    XEvent e;
    XNextEvent(s.x, &e);
    Handle(s, e);
  }
}

int XdndTargetFd() {
  const Side& s = TheSide();
  return s.x != nullptr && !s.busy ? ConnectionNumber(s.x) : -1;
}

}  // namespace display
}  // namespace sp_platform
