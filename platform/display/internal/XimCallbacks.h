// The XIM side of the desktop backend that its tests reach: the preedit callbacks as the
// server would call them (no XIM server needed), and the requests the backend makes of the
// server. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

namespace sp_platform {
namespace display {

// A draw: `length` characters at `first` become the text (UTF-8) with its characters'
// feedback (XIMFeedback bits); a null text removes them, or with feedback changes only the
// feedback of the characters there.
void XimPreeditDrawForTests(int caret, int first, int length, const std::string* utf8,
                            const std::vector<unsigned long>& feedback);
// The server ends its preedit.
void XimPreeditDoneForTests();

// Where the server may put its candidate window: the caret's foot, in pixels of the window
// with the keyboard (the backend tells it when the caret moves). A request the server answers:
// made only while the server is there, only when the spot moved, and in a field that shows
// the reading itself only while it shows none.
void XimSetSpot(int x, int y);

// True while our input context has the keyboard's window: SDL's key-downs are then left out
// (but for modifier keys, which the server does not report back).
bool XimInCharge();

// How many calls on the server were ended for want of an answer: a server that hangs holds
// the loop once, not at each key or each time it is asked after.
int XimTimedOutCalls();
// How often the server was asked after keys it took without a word back, and how many such
// keys it holds now.
int XimAskedAfterHeldKeys();
int XimKeysHeld();
// The reading the server shows through the program (UTF-8): empty when it shows none.
std::string XimReading();
// The connection the server's messages come on (-1 without one).
int XimConnectionFd();

}  // namespace display
}  // namespace sp_platform
