// The input method over XIM with preedit callbacks (see detail/DesktopXim.h): the server's
// preedit, drawn piece by piece with each character's feedback, becomes the inline input's
// clauses; its commits and the keys it leaves alone become typed text and keys.
#include "display/detail/DesktopXim.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <bitset>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/detail/DesktopX11.h"
#include "display/internal/XimCallbacks.h"
#include "ui/internal/PreeditDraft.h"

namespace sp_platform {
namespace display {
namespace {

using input_method::PreeditDraft;

struct Context {
  Window window;
  XIC ic;
};

struct XimState {
  bool tried = false;    // the first window with the keyboard opened the input method
  bool waiting = false;  // for a server to come (WaitForServer)
  Atom serversAtom = 0;
  Atom serverAtom = 0;  // the selection of the server XMODIFIERS names (see ServerAlive)
  Display* display = nullptr;
  XIM im = nullptr;
  XIMStyle style = 0;
  std::vector<Context> contexts;
  Window focused = 0;  // the window whose context has the keyboard; 0: SDL's path
  bool refocus = false;
  bool wantInline = false;
  bool wantText = true;
  locale_t locale = nullptr;  // the input method's (see XimLocaleScope)
  PreeditDraft draft;
  bool clearPending = false;  // the draft went empty in this pass (see Show)
  std::bitset<256> down;  // keys pressed, by X key code, to tell repeats
};

XimState& G() {
  static XimState state;
  return state;
}

// ---- The preedit callbacks ----

// A preedit the server empties is shown empty at the end of the pass, not at once: a server
// that clears its preedit before it commits (uim does) has its commit, read in the same pass,
// replace the preedit as the commit of it, rather than come as typed text after it went.
void Show() {
  XimState& g = G();
  g.clearPending = g.draft.Empty();
  if (!g.clearPending) input_method::ShowDraft(g.draft);
}

void ShowClearNow() {
  XimState& g = G();
  g.draft.Clear();
  g.clearPending = false;
  input_method::ShowDraft(g.draft);
}

void EndOfPass() {
  if (G().clearPending) ShowClearNow();
}

// A callback of a context that no longer has the keyboard (the server was late) changes
// nothing. The tests call without a context.
bool Stale(XIC ic) {
  const XimState& g = G();
  if (ic == nullptr) return false;
  for (const Context& c : g.contexts) {
    if (c.ic == ic) return c.window != g.focused;
  }
  return true;
}

Bool PreeditStart(XIC ic, XPointer, XPointer) {
  if (Stale(ic)) return -1;
  G().draft.Clear();
  return -1;  // no limit on the preedit's length (the draft holds its own)
}

Bool PreeditDone(XIC ic, XPointer, XPointer) {
  if (Stale(ic) || G().draft.Empty()) return True;
  G().draft.Clear();
  Show();
  return True;
}

// The characters of a draw's text: wide characters are code points (glibc's wchar_t); the
// multi-byte form is UTF-8, the locale the input method was opened in, ended by a zero byte.
std::u32string CharactersOf(const XIMText& text) {
  std::u32string out;
  if (text.encoding_is_wchar) {
    if (text.string.wide_char == nullptr) return out;
    for (unsigned short i = 0; i < text.length && text.string.wide_char[i] != 0; ++i) {
      out.push_back(char32_t(text.string.wide_char[i]));
    }
    return out;
  }
  if (text.string.multi_byte == nullptr) return out;
  constexpr std::size_t kMaxBytes = PreeditDraft::kMaxCharacters * 4;
  return input_method::CodePointsOf(
      std::string(text.string.multi_byte, strnlen(text.string.multi_byte, kMaxBytes)));
}

Bool PreeditDraw(XIC ic, XPointer, XPointer data) {
  const auto* draw = reinterpret_cast<const XIMPreeditDrawCallbackStruct*>(data);
  if (draw == nullptr || Stale(ic)) return False;
  std::u32string characters;
  std::vector<unsigned long> feedback;
  bool feedbackOnly = false;
  if (const XIMText* text = draw->text) {
    const bool hasString = text->encoding_is_wchar ? text->string.wide_char != nullptr
                                                   : text->string.multi_byte != nullptr;
    characters = CharactersOf(*text);
    // Xlib's array has `length` entries: one per character (or per character changed).
    if (text->feedback != nullptr) feedback.assign(text->feedback, text->feedback + text->length);
    feedbackOnly = !hasString;
  }
  G().draft.Draw(draw->caret, draw->chg_first, draw->chg_length, characters, feedback,
                 feedbackOnly);
  Show();
  return True;
}

Bool PreeditCaret(XIC ic, XPointer, XPointer data) {
  auto* move = reinterpret_cast<XIMPreeditCaretCallbackStruct*>(data);
  if (move == nullptr || Stale(ic)) return False;
  PreeditDraft& draft = G().draft;
  int to = draft.Caret();
  switch (move->direction) {
    case XIMAbsolutePosition:
      to = move->position;
      break;
    case XIMForwardChar:
      to = draft.Caret() + 1;
      break;
    case XIMBackwardChar:
      to = draft.Caret() - 1;
      break;
    case XIMLineStart:
      to = 0;
      break;
    case XIMLineEnd:
      to = draft.Length();
      break;
    default:
      break;
  }
  draft.MoveCaret(to);
  move->position = draft.Caret();
  Show();
  return True;
}

XICCallback gStart = {nullptr, PreeditStart};
XICCallback gDone = {nullptr, PreeditDone};
XICCallback gDraw = {nullptr, PreeditDraw};
XICCallback gCaret = {nullptr, PreeditCaret};

// ---- The input method and its contexts ----

void WaitForServer(Display* display);
void TakeServer(Display* display);

// The server went away: its contexts with it, and SDL's path takes over until one comes back.
// The input method and its contexts are not called again (they would wait for the server).
void Abandon() {
  XimState& g = G();
  g.im = nullptr;
  g.contexts.clear();
  g.focused = 0;
  if (!g.draft.Empty() || g.clearPending) ShowClearNow();
  if (g.wantText) SDL_StartTextInput();
  WaitForServer(g.display);
}

void ServerGone(XIM im, XPointer, XPointer) {
  if (im == G().im) Abandon();
}

// Each request to the server that needs its answer waits for it without end: a server that
// died before Xlib read of its going would hold the program. So before one, the server is
// asked after through the X server, which drops the server's selection as soon as its
// connection ends; a server without it is abandoned.
bool ServerAlive() {
  XimState& g = G();
  if (g.im == nullptr) return false;
  if (g.serverAtom != 0 && XGetSelectionOwner(g.display, g.serverAtom) == 0) {
    Abandon();
    return false;
  }
  return true;
}

// Runs `call` in a UTF-8 locale (the user's when it is one), where Xlib finds the input method
// XMODIFIERS names; the preedit's text comes in that locale's encoding, which is kept in
// g.locale. The program's locale is back afterwards. False when no UTF-8 locale is there.
template <typename Call>
bool InInputMethodLocale(Call call) {
  XimState& g = G();
  const char* was = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = was != nullptr ? was : "C";
  const char* name = std::setlocale(LC_CTYPE, "");
  if (name == nullptr || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
    name = std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  bool ran = false;
  if (name != nullptr && XSupportsLocale() && XSetLocaleModifiers("") != nullptr) {
    if (g.locale == nullptr) g.locale = newlocale(LC_CTYPE_MASK, name, nullptr);
    if (g.locale != nullptr) {
      call();
      ran = true;
    }
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  return ran;
}

// Whether XMODIFIERS names a server ("@im=NAME"); without one there is nothing to wait for.
bool NamesAServer() {
  const char* modifiers = std::getenv("XMODIFIERS");
  const char* at = modifiers != nullptr ? std::strstr(modifiers, "@im=") : nullptr;
  if (at == nullptr) return false;
  const std::string name(at + 4, std::strcspn(at + 4, "@"));
  return !name.empty() && name != "none" && name != "local";
}

// The selection the server XMODIFIERS names holds while it runs ("@server=NAME").
void NoteServer(Display* display) {
  XimState& g = G();
  if (g.serverAtom != 0 || !NamesAServer()) return;
  const char* at = std::strstr(std::getenv("XMODIFIERS"), "@im=") + 4;
  const std::string name(at, std::strcspn(at, "@"));
  g.serverAtom = XInternAtom(display, ("@server=" + name).c_str(), False);
}

// Servers register in the root window's XIM_SERVERS: each change of it is a chance that the
// server came (the first time, or back after it went), which XimEvent takes.
void WaitForServer(Display* display) {
  XimState& g = G();
  if (g.waiting || display == nullptr || !NamesAServer()) return;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, root, &attributes) == 0) return;
  g.serversAtom = XInternAtom(display, "XIM_SERVERS", False);
  if ((attributes.your_event_mask & PropertyChangeMask) == 0) {
    XSelectInput(display, root, attributes.your_event_mask | PropertyChangeMask);
  }
  g.waiting = true;
}

// The input method of the display (see InInputMethodLocale). Null when no server offers
// preedit callbacks.
XIM Open(Display* display, XIMStyle* style) {
  XIM im = nullptr;
  InInputMethodLocale([&im, display] { im = XOpenIM(display, nullptr, nullptr, nullptr); });
  if (im == nullptr) return nullptr;
  XIMStyles* styles = nullptr;
  *style = 0;
  if (XGetIMValues(im, XNQueryInputStyle, &styles, nullptr) == nullptr && styles != nullptr) {
    for (unsigned short i = 0; i < styles->count_styles; ++i) {
      const XIMStyle s = styles->supported_styles[i];
      if (s == (XIMPreeditCallbacks | XIMStatusNothing)) *style = s;
      if (s == (XIMPreeditCallbacks | XIMStatusNone) && *style == 0) *style = s;
    }
  }
  if (styles != nullptr) XFree(styles);
  if (*style == 0) {
    XCloseIM(im);
    return nullptr;
  }
  static XIMCallback gone = {nullptr, ServerGone};
  XSetIMValues(im, XNDestroyCallback, &gone, nullptr);
  return im;
}

void TakeServer(Display* display) {
  XimState& g = G();
  if (g.im == nullptr) g.im = Open(display, &g.style);
  NoteServer(display);
  if (g.im != nullptr) g.refocus = true;
}

XIC ContextOf(Window window) {
  XimState& g = G();
  for (const Context& c : g.contexts) {
    if (c.window == window) return c.ic;
  }
  XVaNestedList preedit =
      XVaCreateNestedList(0, XNPreeditStartCallback, &gStart, XNPreeditDoneCallback, &gDone,
                          XNPreeditDrawCallback, &gDraw, XNPreeditCaretCallback, &gCaret, nullptr);
  if (preedit == nullptr) return nullptr;
  XIC ic = XCreateIC(g.im, XNInputStyle, g.style, XNClientWindow, window, XNFocusWindow, window,
                     XNPreeditAttributes, preedit, nullptr);
  XFree(preedit);
  // A window the server refused keeps SDL's path, without asking again each pass.
  g.contexts.push_back(Context{window, ic});
  if (ic == nullptr) return nullptr;
  // The window selects what the server wants to see (key presses, which SDL selects too).
  long wanted = 0;
  XWindowAttributes attributes;
  if (XGetICValues(ic, XNFilterEvents, &wanted, nullptr) == nullptr &&
      XGetWindowAttributes(g.display, window, &attributes) != 0 &&
      (attributes.your_event_mask & wanted) != wanted) {
    XSelectInput(g.display, window, attributes.your_event_mask | wanted);
  }
  return ic;
}

void Forget(Window window) {
  XimState& g = G();
  const bool alive = ServerAlive();  // (else the contexts went with the server)
  for (auto it = g.contexts.begin(); it != g.contexts.end(); ++it) {
    if (it->window != window) continue;
    if (g.focused == window) g.focused = 0;
    if (it->ic != nullptr && alive) XDestroyIC(it->ic);
    g.contexts.erase(it);
    return;
  }
}

// SDL's text input runs only where our context does not have the keys: else SDL's own text
// for a key would come beside ours.
void SyncTextInput() {
  const XimState& g = G();
  if (g.focused == 0 && g.wantText) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
  }
}

// The SDL key of an X key (unshifted), for the keys the toolbox knows; modifier keys are
// SDL's to report.
SDL_Keycode KeyOf(KeySym sym) {
  if (sym >= 0x20 && sym <= 0x7E) return SDL_Keycode(sym >= 'A' && sym <= 'Z' ? sym + 32 : sym);
  if (sym >= XK_F1 && sym <= XK_F12) return SDL_Keycode(SDLK_F1 + SDL_Keycode(sym - XK_F1));
  static const struct {
    KeySym sym;
    SDL_Keycode key;
  } kKeys[] = {
      {XK_BackSpace, SDLK_BACKSPACE}, {XK_Tab, SDLK_TAB},        {XK_ISO_Left_Tab, SDLK_TAB},
      {XK_Return, SDLK_RETURN},       {XK_KP_Enter, SDLK_KP_ENTER}, {XK_Escape, SDLK_ESCAPE},
      {XK_Delete, SDLK_DELETE},       {XK_Home, SDLK_HOME},      {XK_End, SDLK_END},
      {XK_Page_Up, SDLK_PAGEUP},      {XK_Page_Down, SDLK_PAGEDOWN}, {XK_Left, SDLK_LEFT},
      {XK_Right, SDLK_RIGHT},         {XK_Up, SDLK_UP},          {XK_Down, SDLK_DOWN},
      {XK_Help, SDLK_HELP},           {XK_Insert, SDLK_INSERT},
  };
  for (const auto& k : kKeys) {
    if (k.sym == sym) return k.key;
  }
  return SDLK_UNKNOWN;
}

// SDL's modifiers of an X key event's state, as they were when the key went down.
Uint16 ModifiersOf(unsigned int state) {
  Uint16 mod = KMOD_NONE;
  if ((state & ShiftMask) != 0) mod |= KMOD_LSHIFT;
  if ((state & LockMask) != 0) mod |= KMOD_CAPS;
  if ((state & ControlMask) != 0) mod |= KMOD_LCTRL;
  if ((state & Mod1Mask) != 0) mod |= KMOD_LALT;
  if ((state & Mod4Mask) != 0) mod |= KMOD_LGUI;
  return mod;
}

}  // namespace

bool XimInCharge() {
  return G().focused != 0;
}

void XimFollowFocus() {
  XimState& g = G();
  XimLocaleScope scope;
  EndOfPass();
  SDL_Window* focus = SDL_GetKeyboardFocus();
  if (!g.tried && focus != nullptr) {
    g.tried = true;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(focus, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
      g.display = info.info.x11.display;
      g.im = Open(g.display, &g.style);
      NoteServer(g.display);
      if (g.im == nullptr) WaitForServer(g.display);
    }
  }
  Window window = 0;
  if (g.im != nullptr && focus != nullptr && g.wantInline && g.wantText) {
    window = Window(X11WindowID(focus));
  }
  if (window == g.focused && !g.refocus) return;
  if (!ServerAlive()) window = 0;
  if (window != 0 && ContextOf(window) == nullptr) window = 0;
  if (window == g.focused && !g.refocus) {
    SyncTextInput();
    return;
  }
  if (g.focused != 0 && window != g.focused) {
    XUnsetICFocus(ContextOf(g.focused));
    if (!g.draft.Empty() || g.clearPending) ShowClearNow();
  }
  // Setting the focus again puts our context's filter first for the window, ahead of SDL's,
  // which SDL's own focus handling may have put back in front.
  if (window != 0) {
    XIC ic = ContextOf(window);
    if (window == g.focused) XUnsetICFocus(ic);
    g.focused = window;  // the server may draw at once
    XSetICFocus(ic);
  }
  g.focused = window;
  g.refocus = false;
  SyncTextInput();
}

void XimSetInline(bool on) {
  G().wantInline = on;
  XimFollowFocus();
}

void XimSetTextInput(bool on) {
  G().wantText = on;
  XimFollowFocus();
  SyncTextInput();
}

void XimSetSpot(int x, int y) {
  XimState& g = G();
  if (g.focused == 0 || !ServerAlive()) return;
  XimLocaleScope scope;
  XPoint spot = {short(std::clamp(x, -32768, 32767)), short(std::clamp(y, -32768, 32767))};
  XVaNestedList preedit = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
  if (preedit == nullptr) return;
  // A server that places its window otherwise may refuse the value: nothing is lost.
  XSetICValues(ContextOf(g.focused), XNPreeditAttributes, preedit, nullptr);
  XFree(preedit);
}

void XimReset() {
  XimState& g = G();
  g.draft.Clear();
  if (g.focused == 0 || !ServerAlive()) return;
  XimLocaleScope scope;
  if (char* rest = XmbResetIC(ContextOf(g.focused))) XFree(rest);
  g.draft.Clear();
  g.clearPending = false;
}

void XimClose() {
  XimState& g = G();
  const locale_t locale = g.locale;
  if (ServerAlive()) {
    XimLocaleScope scope;
    for (const Context& c : g.contexts) {
      if (c.ic != nullptr) XDestroyIC(c.ic);
    }
    if (g.im != nullptr) XCloseIM(g.im);
  }
  g = XimState();
  if (locale != nullptr) freelocale(locale);
}

XimLocaleScope::XimLocaleScope() {
  if (G().locale != nullptr) previous_ = uselocale(G().locale);
}

XimLocaleScope::~XimLocaleScope() {
  if (previous_ != nullptr) uselocale(static_cast<locale_t>(previous_));
}

bool XimEvent(const SDL_SysWMmsg* message, XimKey* out) {
  XimState& g = G();
  if (out == nullptr || message == nullptr || message->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& e = message->msg.x11.event;
  if (e.type == PropertyNotify && g.waiting && g.im == nullptr &&
      e.xproperty.atom == g.serversAtom) {
    XimLocaleScope scope;
    TakeServer(e.xproperty.display);
    g.waiting = g.im == nullptr;
    return false;
  }
  if (g.im == nullptr) return false;
  switch (e.type) {
    case FocusIn:
      g.refocus = true;
      return false;
    case DestroyNotify: {
      XimLocaleScope scope;
      Forget(e.xdestroywindow.window);
      return false;
    }
    case KeyRelease:
      if (e.xkey.keycode < g.down.size()) g.down.reset(e.xkey.keycode);
      return false;
    case KeyPress:
      break;
    default:
      return false;
  }
  if (g.focused == 0 || e.xkey.window != g.focused) return false;
  XimLocaleScope scope;
  XIC ic = ContextOf(g.focused);
  XKeyEvent key = e.xkey;
  std::vector<char> buffer(64);
  KeySym sym = NoSymbol;
  Status status = XLookupNone;
  int n = Xutf8LookupString(ic, &key, buffer.data(), int(buffer.size()), &sym, &status);
  if (status == XBufferOverflow && n > 0) {
    buffer.resize(std::size_t(n));
    n = Xutf8LookupString(ic, &key, buffer.data(), int(buffer.size()), &sym, &status);
  }
  std::string text;
  if ((status == XLookupChars || status == XLookupBoth) && n > 0) {
    text.assign(buffer.data(), std::size_t(n));
  }
  *out = XimKey();
  if (key.keycode == 0) {  // the server's commit, of the preedit it may have cleared already
    g.clearPending = false;
    out->text = text;
    return !text.empty();
  }
  bool repeat = false;
  if (key.keycode < g.down.size()) {
    repeat = g.down.test(key.keycode);
    g.down.set(key.keycode);
  }
  const SDL_Keycode sdlKey = KeyOf(XLookupKeysym(&key, 0));
  const SDL_Scancode scancode =
      sdlKey != SDLK_UNKNOWN ? SDL_GetScancodeFromKey(sdlKey) : SDL_SCANCODE_UNKNOWN;
  if (scancode != SDL_SCANCODE_UNKNOWN) {
    out->key = true;
    out->down.type = SDL_KEYDOWN;
    out->down.state = SDL_PRESSED;
    out->down.repeat = repeat ? 1 : 0;
    out->down.keysym.scancode = scancode;
    out->down.keysym.sym = sdlKey;
    out->down.keysym.mod = ModifiersOf(key.state);
  }
  // Control characters are keys, not text (as SDL leaves them out of its text input).
  if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F) {
    out->text = text;
  }
  return out->key || !out->text.empty();
}

void XimPreeditDrawForTests(int caret, int first, int length, const std::string* utf8,
                            const std::vector<unsigned long>& feedback) {
  std::vector<XIMFeedback> marks(feedback.begin(), feedback.end());
  XIMText text = {};
  text.encoding_is_wchar = False;
  text.string.multi_byte = utf8 != nullptr ? const_cast<char*>(utf8->c_str()) : nullptr;
  text.length = static_cast<unsigned short>(
      utf8 != nullptr ? input_method::CodePointsOf(*utf8).size() : marks.size());
  text.feedback = marks.empty() ? nullptr : marks.data();
  XIMPreeditDrawCallbackStruct draw = {caret, first, length,
                                       utf8 != nullptr || !marks.empty() ? &text : nullptr};
  PreeditDraw(nullptr, nullptr, reinterpret_cast<XPointer>(&draw));
  EndOfPass();
}

void XimPreeditDoneForTests() {
  PreeditDone(nullptr, nullptr, nullptr);
  EndOfPass();
}

}  // namespace display
}  // namespace sp_platform

