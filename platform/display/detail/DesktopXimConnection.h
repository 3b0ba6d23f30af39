// The input method's connection to the display, on which every wait ends (DesktopXim.cpp).
//
// Xlib waits for an XIM server's answer to a request (and, for a server that asks for it, to
// each key handed over) without end: a server that is stopped, hangs, or died before Xlib read
// of its going would hold the program. So the server is spoken to on a connection of our own,
// and each call on it runs bounded: when the server has not answered in time, a timer shuts
// the connection's socket and those Xlib opened beside it (a server's local or TCP transport),
// Xlib's wait ends in an I/O error (or a failed read), and the call is left by a jump out of
// Xlib's I/O error handler (or returns). Such a connection is given up: its socket is closed and it is
// never used again. Free of the input method's state, as DesktopXim.cpp keeps it.
#pragma once

#include <X11/Xlib.h>

namespace sp_platform {
namespace display {
namespace xim_connection {

// How long a call waits for the server.
constexpr long kAnswerMillis = 800;

// A connection of our own to the display SDL shows on, whose breaks end only the call that met
// them (nothing else of the program). Null when it cannot be opened.
Display* Open(Display* sdlDisplay);
// Closes a connection that never met a break (its calls all ended in time).
void Close(Display* connection);

// Runs `call(data)` (Xlib calls on `connection`, holding nothing that needs destroying) with its
// waits bounded; false when the server did not answer in time: the connection is then given
// up (GiveUp) and the caller must not use it again. A bounded call inside another runs under
// the outer one's timer.
bool RunBounded(Display* connection, void (*call)(void* data), void* data);
template <typename Call>
bool Bounded(Display* connection, Call call) {
  return RunBounded(
      connection, [](void* data) { (*static_cast<Call*>(data))(); }, &call);
}
// True while a bounded call runs.
bool InBoundedCall();

// Gives the connection up: its socket is shut at once and closed as soon as no call on it runs
// (at once outside a bounded call); the rest of it (Xlib's memory, which a call left in the
// middle may hold half-changed) is kept, never used again. `fontSet` (of the connection) is
// kept with it.
void GiveUp(Display* connection, XFontSet fontSet);

// How many bounded calls the timer ended, for the tests: a pass of the loop waits on the
// server at most once.
int TimedOutCalls();

}  // namespace xim_connection
}  // namespace display
}  // namespace sp_platform
