// One message of the desktop's drag protocol (XDND) between the two programs of a drag, as the
// drag's source and its target both send them. Only the display's XDND files include it: it
// brings Xlib's names, which clash with the toolbox's.
#pragma once

#include <X11/Xlib.h>

namespace sp_platform {
namespace display {

// Sends `type` to `to` (the other side's window, or the XDND proxy it named) about `named`
// (the window the protocol says the message is for), from `self`, with four more values.
inline void SendXdndMessage(Display* x, Window to, Window named, Atom type, Window self, long l1,
                            long l2, long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = named;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(self);
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(x, to, False, NoEventMask, &e);
  XFlush(x);
}

}  // namespace display
}  // namespace sp_platform
