// The input method over XIM: every text field takes its keys through an XIM server where one
// runs. A field that shows the preedit inline, and a dialog's field, has it drawn through the
// program (preedit callbacks): each clause the server marks reaches the inline input with its
// own kind, which SDL's single composition segment cannot carry, and a reading the server gives
// up is committed where it is shown. Any other field (or a server without callbacks) has the
// server show it in its own window, at the caret where the server can (over the spot). Where no
// server runs, or it stops answering, nothing here is in charge and SDL's keys and text go on as
// before. Free of Xlib's names, as DesktopX11.h is.
//
// How it fits with SDL: SDL opens no input method of its own (OpenDesktop), so that the server
// sees each key once. The server is spoken to on a connection of our own whose every wait ends
// (DesktopXimConnection.h): a key SDL reports (SDL_SYSWMEVENT) goes to the context of its
// window, handed to the server there, and what the server hands back or commits is read from
// there, its key and its text taken from X; SDL's own key-down for it (and its text input,
// which is stopped) are not used.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "display/internal/XimCallbacks.h"

namespace sp_platform {
namespace display {

// What the input context made of an X event SDL reported.
struct XimKey {
  bool key = false;           // a key pressed: `down` is SDL's form of it
  SDL_KeyboardEvent down{};
  std::string text;           // text typed with it, or committed by the server (UTF-8)
};
// Adds what the input context made of the event to `out`; false when it added nothing (the
// event is nothing for the keyboard, or nothing is in charge).
bool XimEvent(const SDL_SysWMmsg* message, std::vector<XimKey>* out);
// Reads what the server sent meanwhile (its preedit, its commits) into `out`.
void XimDrain(std::vector<XimKey>* out);
// The loop's wait: the connection to the server, or where a server given up for not answering
// answers (-1 when neither), whether something read from it already waits, and the
// milliseconds until a server that took keys and said nothing is to be asked after; -1 when
// it is not.
int XimConnectionFd();
bool XimQueued();
int XimWakeMillis();


// Each pass: opens the input method when a window first has the keyboard, and gives the
// keyboard's window its input context, or none when the preedit is not shown inline or text
// input is off (then SDL's text input runs as asked).
void XimFollowFocus();
// What the text services ask: the preedit shown inline (else the input method's own window),
// and text input on.
void XimSetInline(bool on);
void XimSetTextInput(bool on);
// The server forgets its preedit.
void XimReset();
// Closes the input method (before the display goes).
void XimClose();

// Xlib counts the characters of the preedit it hands to the callbacks in the calling thread's
// locale, which is the program's (C) and not the input method's: while X events are read
// (SDL's pump) or the input method is called, the thread takes the input method's locale.
class XimLocaleScope {
 public:
  XimLocaleScope();
  ~XimLocaleScope();
  XimLocaleScope(const XimLocaleScope&) = delete;
  XimLocaleScope& operator=(const XimLocaleScope&) = delete;

 private:
  void* previous_ = nullptr;
};

}  // namespace display
}  // namespace sp_platform
