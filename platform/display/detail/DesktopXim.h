// The input method over XIM with preedit callbacks: where an XIM server draws its preedit
// through the program, each clause it marks reaches the inline input with its own kind, which
// SDL's single composition segment cannot carry. Where no server offers that, nothing here is
// in charge and SDL's input-method path goes on as before. Free of Xlib's names, as
// DesktopX11.h is.
//
// How it fits with SDL: SDL hands each X event to Xlib's filters (XFilterEvent) before it
// reports it (SDL_SYSWMEVENT); our input context's filter is put ahead of SDL's for the window
// with the keyboard, so the server sees each key once, through SDL's call. A key the server
// leaves alone is reported and comes to us here: its key and its text are taken from X, and
// SDL's own key-down for it (and its text input, which is stopped) are not used. Text the
// server commits comes the same way, as a key event without a key.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

namespace sp_platform {
namespace display {

// What the input context made of an X event SDL reported.
struct XimKey {
  bool key = false;           // a key pressed: `down` is SDL's form of it
  SDL_KeyboardEvent down{};
  std::string text;           // text typed with it, or committed by the server (UTF-8)
};
// False when the event is nothing for the keyboard (or nothing is in charge).
bool XimEvent(const SDL_SysWMmsg* message, XimKey* out);

// True while our input context has the keyboard's window: SDL's key-downs are then left out
// (but for modifier keys, which the server does not report back).
bool XimInCharge();

// Each pass: opens the input method when a window first has the keyboard, and gives the
// keyboard's window its input context, or none when the preedit is not shown inline or text
// input is off (then SDL's text input runs as asked).
void XimFollowFocus();
// What the text services ask: the preedit shown inline (else the input method's own window,
// which only SDL's path has), and text input on.
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
