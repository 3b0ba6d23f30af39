// The input method over XIM (see detail/DesktopXim.h): where a field shows the preedit itself,
// the server's preedit, drawn piece by piece through the callbacks with each character's
// feedback, becomes the inline input's clauses; elsewhere the server shows it in its own
// window at the caret. Its commits and the keys it leaves alone become typed text and keys.
#include "display/detail/DesktopXim.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/detail/DesktopX11.h"
#include "display/detail/DesktopXimConnection.h"
#include "display/internal/XimCallbacks.h"
#include "ui/internal/PreeditDraft.h"

namespace sp_platform {
namespace display {
namespace {

using input_method::PreeditDraft;

struct Context {
  Window window;
  bool inlineStyle;  // the preedit drawn through the callbacks, else in the server's window
  XIC ic;
  bool spotSet = false;  // the server was told `spot` (see XimSetSpot)
  XPoint spot = {0, 0};
};

struct XimState {
  bool tried = false;    // the first window with the keyboard opened the input method
  bool waiting = false;  // for a server to come (WaitForServer)
  Atom serversAtom = 0;
  Atom serverAtom = 0;  // the selection of the server XMODIFIERS names (see ServerAlive)
  Display* display = nullptr;     // SDL's: the keys, the selection, the servers' list
  Display* connection = nullptr;  // ours, where the server is spoken to (see Guarded)
  // A server given up for not answering: the owner of its selection then, and where it was
  // left a question (see AskWithoutWaiting).
  Window silentOwner = 0;
  Display* probe = nullptr;
  Window probeWindow = 0;
  XIM im = nullptr;
  XIMStyle inlineStyle = 0;  // preedit callbacks
  XIMStyle windowStyle = 0;  // the server's own window: over the spot, else its root window
  XFontSet fontSet = nullptr;  // of the connection, for the over-the-spot window
  XPoint spot = {0, 0};
  std::vector<Context> contexts;
  Window focused = 0;  // the window whose context has the keyboard; 0: SDL's path
  bool focusedInline = false;
  bool refocus = false;
  bool wantInline = false;
  bool wantText = true;
  locale_t locale = nullptr;  // the input method's (see XimLocaleScope)
  PreeditDraft draft;
  bool clearPending = false;  // the draft went empty in this pass (see Show)
  std::bitset<256> down;  // keys pressed, by X key code, to tell repeats
  // The latest presses, each with whether it was a repeat when it came: a key the server hands
  // back after its release was read is told by the press it was, not by the keys down then.
  struct Press {
    unsigned int keycode = 0;
    Time time = 0;
    bool repeat = false;
  };
  std::array<Press, 64> presses;
  std::size_t nextPress = 0;
  std::vector<XimKey>* out = nullptr;  // where the keys read from the connection go
  // Keys the server took without a word back yet (a server that answers none of them is asked
  // after; see CheckAnswers), since when, and whether it said anything in this call.
  std::vector<XKeyEvent> unanswered;
  Uint64 askedAt = 0;
  bool heard = false;
  int askedAfter = 0;  // how often (for the tests)
  std::vector<XimKey> orphans;  // keys of a server given up, to come as SDL's would
  // The reading the program committed itself before it reset the context: a server that
  // commits its reading when reset (IBus's Hangul engine) sends it once more, as its answer to
  // the reset, and that commit is not typed again. Until a new reading is drawn, the server
  // hands a key back, or the keyboard moves to another context.
  std::string resetEcho;
  // The server started a reading in the context with the keyboard and has drawn none of it
  // yet: its drawing is on its way (see XimSetSpot).
  bool startedUndrawn = false;
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

// The reading shown inline is committed as it is shown, into the field that shows it (the
// active document, until the toolbox reads of the keyboard's move): for when its server goes
// or its window loses the keyboard, where typed text would otherwise vanish.
void CommitShown() {
  XimState& g = G();
  if (g.draft.Empty()) return;
  const bool committed = input_method::CommitDraft(g.draft);
  if (!committed) {
    XimKey typed;  // (no field shows it inline any more: it comes as typed text)
    typed.text = g.draft.UTF8();
    g.orphans.push_back(typed);
  }
  g.draft.Clear();
  g.clearPending = false;
}

// A callback of a context that no longer has the keyboard (the server was late) changes
// nothing. The tests call without a context.
bool Stale(XIC ic) {
  const XimState& g = G();
  if (ic == nullptr) return false;
  for (const Context& c : g.contexts) {
    if (c.ic == ic) return c.window != g.focused || c.inlineStyle != g.focusedInline;
  }
  return true;
}

Bool PreeditStart(XIC ic, XPointer, XPointer) {
  G().heard = true;
  if (Stale(ic)) return -1;
  G().startedUndrawn = true;
  G().draft.Clear();
  return -1;  // no limit on the preedit's length (the draft holds its own)
}

Bool PreeditDone(XIC ic, XPointer, XPointer) {
  G().heard = true;
  if (Stale(ic)) return True;
  G().startedUndrawn = false;
  if (G().draft.Empty()) return True;
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
  G().heard = true;
  if (draw == nullptr || Stale(ic)) return False;
  G().startedUndrawn = false;
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
  if (!G().draft.Empty()) G().resetEcho.clear();
  Show();
  return True;
}

Bool PreeditCaret(XIC ic, XPointer, XPointer data) {
  auto* move = reinterpret_cast<XIMPreeditCaretCallbackStruct*>(data);
  G().heard = true;
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

// ---- Calls on the server, each bounded (DesktopXimConnection.cpp) ----

void Abandon(bool silent);

// Runs `call` on our connection with its waits bounded; false when the server did not answer
// in time (the connection is then given up, and the server with it) or went meanwhile.
template <typename Call>
bool Guarded(Call call) {
  Display* connection = G().connection;
  if (connection == nullptr) return false;
  if (xim_connection::Bounded(connection, call)) return true;
  if (G().connection == connection) Abandon(true);
  return false;
}

// ---- The input method and its contexts ----

void WaitForServer(Display* display);

// The server went away (or did not answer, `silent`): its contexts and our connection with it,
// and SDL's path takes over until it is back. Neither is used again (they would wait for it).
void TakeKey(XIC ic, XKeyEvent key);
void AskWithoutWaiting();
void EndQuestion();

void Abandon(bool silent) {
  XimState& g = G();
  // The server can no longer commit or clear the reading it showed: it stays, before the keys
  // the server held.
  CommitShown();
  // The keys the server held come as if it had handed them back, before any other.
  std::vector<XimKey>* out = g.out;
  g.out = &g.orphans;
  for (XKeyEvent key : g.unanswered) {
    key.display = g.display;
    TakeKey(nullptr, key);
  }
  g.out = out;
  g.unanswered.clear();
  g.askedAt = 0;
  if (g.connection != nullptr) xim_connection::GiveUp(g.connection, g.fontSet);
  g.connection = nullptr;
  g.im = nullptr;
  g.fontSet = nullptr;
  g.contexts.clear();
  g.focused = 0;
  g.resetEcho.clear();
  g.startedUndrawn = false;
  if (silent) {
    AskWithoutWaiting();
  } else {
    EndQuestion();
  }
  if (g.clearPending) ShowClearNow();
  if (g.wantText) SDL_StartTextInput();
  WaitForServer(g.display);
}

void ServerGone(XIM im, XPointer, XPointer) {
  if (im == G().im) Abandon(false);
}

// Before a request the server is asked after through the X server, which drops the server's
// selection as soon as its connection ends: a server without it is abandoned at once.
bool ServerAlive() {
  XimState& g = G();
  if (g.im == nullptr) return false;
  if (g.serverAtom != 0 && XGetSelectionOwner(g.display, g.serverAtom) == 0) {
    Abandon(false);
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

// The server's name in XMODIFIERS ("@im=NAME"); empty when it names none to wait for.
std::string ServerName() {
  const char* modifiers = std::getenv("XMODIFIERS");
  const char* at = modifiers != nullptr ? std::strstr(modifiers, "@im=") : nullptr;
  if (at == nullptr) return std::string();
  const std::string name(at + 4, std::strcspn(at + 4, "@"));
  return name == "none" || name == "local" ? std::string() : name;
}

// The selection the server XMODIFIERS names holds while it runs ("@server=NAME").
void NoteServer(Display* display) {
  XimState& g = G();
  const std::string name = ServerName();
  if (g.serverAtom != 0 || name.empty() || display == nullptr) return;
  g.serverAtom = XInternAtom(display, ("@server=" + name).c_str(), False);
}

// Servers register in the root window's XIM_SERVERS: each change of it is a chance that the
// server came (the first time, or back after it went), which XimEvent takes.
void WaitForServer(Display* display) {
  XimState& g = G();
  if (g.waiting || display == nullptr || ServerName().empty()) return;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, root, &attributes) == 0) return;
  g.serversAtom = XInternAtom(display, "XIM_SERVERS", False);
  if ((attributes.your_event_mask & PropertyChangeMask) == 0) {
    XSelectInput(display, root, attributes.your_event_mask | PropertyChangeMask);
  }
  g.waiting = true;
}

// Our connection to the display SDL shows on, whose breaks end only the call that met them.
bool Connect() {
  XimState& g = G();
  if (g.connection == nullptr) g.connection = xim_connection::Open(g.display);
  return g.connection != nullptr;
}

// The fonts of the over-the-spot window: the server makes the same set from these names, and
// the last matches any font, so that a server finds one on any X server.
constexpr char kFontNames[] =
    "-*-*-medium-r-normal--14-*-*-*-*-*-*-*,-*-*-medium-r-normal--16-*-*-*-*-*-*-*,"
    "-*-*-*-*-*-*-*-*-*-*-*-*-*-*";

// The styles the server offers, of the two kinds the fields need; the over-the-spot window's
// fonts are made with them. Called in the input method's locale.
void ChooseStyles(XIMStyles* styles) {
  XimState& g = G();
  XIMStyle position = 0, root = 0;
  g.inlineStyle = 0;
  for (unsigned short i = 0; styles != nullptr && i < styles->count_styles; ++i) {
    const XIMStyle s = styles->supported_styles[i];
    const XIMStyle status = s & (XIMStatusNothing | XIMStatusNone);
    if (status == 0 || (s & ~(XIMStatusNothing | XIMStatusNone)) == 0) continue;
    if ((s & XIMPreeditCallbacks) != 0 && (g.inlineStyle == 0 || status == XIMStatusNothing)) {
      g.inlineStyle = s;
    }
    if ((s & XIMPreeditPosition) != 0 && (position == 0 || status == XIMStatusNothing)) {
      position = s;
    }
    if ((s & XIMPreeditNothing) != 0 && (root == 0 || status == XIMStatusNothing)) root = s;
  }
  g.windowStyle = root;
  if (position != 0) {
    char** missing = nullptr;
    int missingCount = 0;
    char* fallback = nullptr;
    g.fontSet = XCreateFontSet(g.connection, kFontNames, &missing, &missingCount, &fallback);
    if (missing != nullptr) XFreeStringList(missing);
    if (g.fontSet != nullptr) g.windowStyle = position;
  }
}

// Opens the input method on our connection (see InInputMethodLocale). Null when no server
// offers a style the fields can use, or it did not answer.
void Open() {
  XimState& g = G();
  if (!Connect()) return;
  XIM im = nullptr;
  InInputMethodLocale([&] {
    Guarded([&] {
      im = XOpenIM(g.connection, nullptr, nullptr, nullptr);
      if (im == nullptr) return;
      XIMStyles* styles = nullptr;
      if (XGetIMValues(im, XNQueryInputStyle, &styles, nullptr) != nullptr) styles = nullptr;
      ChooseStyles(styles);
      if (styles != nullptr) XFree(styles);
      if (g.inlineStyle == 0 && g.windowStyle == 0) {
        XCloseIM(im);
        im = nullptr;
        return;
      }
      static XIMCallback gone = {nullptr, ServerGone};
      XSetIMValues(im, XNDestroyCallback, &gone, nullptr);
    });
  });
  if (g.connection == nullptr) return;  // it did not answer (Abandon ran)
  g.im = im;
  if (im == nullptr) {
    if (g.fontSet != nullptr) XFreeFontSet(g.connection, g.fontSet);
    g.fontSet = nullptr;
    xim_connection::Close(g.connection);
    g.connection = nullptr;
  }
}

void TakeServer() {
  XimState& g = G();
  if (g.im == nullptr) Open();
  NoteServer(g.display);
  if (g.im != nullptr) {
    g.refocus = true;
    EndQuestion();
  }
}

// ---- A server that did not answer ----
//
// Each request to a hung server would hold the loop until the timer ends it, so a server given
// up for not answering is not asked again while it holds its selection. It is left instead a
// question that holds nothing: the conversion of its selection, which every XIM server
// answers, asked on a connection of our own to the X server, whose answer is read whenever it
// comes (the loop wakes for it). A server that goes on (it was stopped, or only slow) answers
// it and is taken again at once; another server in its place (the selection has another
// owner, or XIM_SERVERS changes) is asked at once.
void AskWithoutWaiting() {
  XimState& g = G();
  NoteServer(g.display);
  g.silentOwner = g.serverAtom != 0 ? XGetSelectionOwner(g.display, g.serverAtom) : 0;
  if (g.silentOwner == 0) {
    EndQuestion();
    return;
  }
  if (g.probe == nullptr) {
    g.probe = XOpenDisplay(DisplayString(g.display));
    if (g.probe == nullptr) return;
    g.probeWindow = XCreateWindow(g.probe, DefaultRootWindow(g.probe), 0, 0, 1, 1, 0,
                                  CopyFromParent, InputOnly, CopyFromParent, 0, nullptr);
  }
  // Servers answer only into the property of the target's name, as Xlib asks.
  const Atom transport = XInternAtom(g.probe, "TRANSPORT", False);
  XConvertSelection(g.probe, XInternAtom(g.probe, ("@server=" + ServerName()).c_str(), False),
                    transport, transport, g.probeWindow, CurrentTime);
  XFlush(g.probe);
}

void EndQuestion() {
  XimState& g = G();
  g.silentOwner = 0;
  if (g.probe != nullptr) XCloseDisplay(g.probe);
  g.probe = nullptr;
  g.probeWindow = 0;
}

// Each pass while a server is left for not answering: it is taken again once it answered, or
// when another holds its selection; one that went is waited for (WaitForServer).
void RetryServer() {
  XimState& g = G();
  if (g.im != nullptr || g.silentOwner == 0) return;
  bool answered = false;
  while (g.probe != nullptr && XPending(g.probe) > 0) {
    XEvent e;
    XNextEvent(g.probe, &e);
    if (e.type == SelectionNotify && e.xselection.requestor == g.probeWindow) answered = true;
  }
  const Window owner = XGetSelectionOwner(g.display, g.serverAtom);
  if (owner == g.silentOwner && !answered) return;
  EndQuestion();
  if (owner != 0) TakeServer();
}

Context* FindContext(Window window, bool inlineStyle) {
  for (Context& c : G().contexts) {
    if (c.window == window && c.inlineStyle == inlineStyle) return &c;
  }
  return nullptr;
}

// The window's context of the style: the preedit through the callbacks, or in the server's
// window at the caret (over the spot) or at its own place (root).
XIC ContextOf(Window window, bool inlineStyle) {
  XimState& g = G();
  if (const Context* c = FindContext(window, inlineStyle)) return c->ic;
  const XIMStyle style = inlineStyle ? g.inlineStyle : g.windowStyle;
  XVaNestedList preedit = nullptr;
  if (inlineStyle) {
    preedit = XVaCreateNestedList(0, XNPreeditStartCallback, &gStart, XNPreeditDoneCallback,
                                  &gDone, XNPreeditDrawCallback, &gDraw, XNPreeditCaretCallback,
                                  &gCaret, nullptr);
  } else if ((style & XIMPreeditPosition) != 0) {
    preedit = XVaCreateNestedList(0, XNSpotLocation, &g.spot, XNFontSet, g.fontSet, nullptr);
  }
  XIC ic = nullptr;
  Guarded([&] {
    if (preedit != nullptr) {
      ic = XCreateIC(g.im, XNInputStyle, style, XNClientWindow, window, XNFocusWindow, window,
                     XNPreeditAttributes, preedit, nullptr);
    } else if (!inlineStyle && (style & XIMPreeditNothing) != 0) {
      ic = XCreateIC(g.im, XNInputStyle, style, XNClientWindow, window, XNFocusWindow, window,
                     nullptr);
    }
  });
  if (preedit != nullptr) XFree(preedit);
  if (g.im == nullptr) return nullptr;  // the server did not answer
  // A window the server refused keeps SDL's path, without asking again each pass.
  g.contexts.push_back(Context{window, inlineStyle, ic, false, {0, 0}});
  return ic;
}

void Forget(Window window) {
  XimState& g = G();
  const bool alive = ServerAlive();  // (else the contexts went with the server)
  for (auto it = g.contexts.begin(); it != g.contexts.end();) {
    if (it->window != window) {
      ++it;
      continue;
    }
    if (g.focused == window) g.focused = 0;
    XIC ic = it->ic;
    it = g.contexts.erase(it);
    if (ic != nullptr && alive) Guarded([&] { XDestroyIC(ic); });
    if (g.im == nullptr) return;
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

// A press of the X server's, in the order they come: whether its key was down already.
void NotePress(const XKeyEvent& key) {
  XimState& g = G();
  if (key.keycode >= g.down.size()) return;
  g.presses[g.nextPress % g.presses.size()] = {key.keycode, key.time, g.down.test(key.keycode)};
  ++g.nextPress;
  g.down.set(key.keycode);
}

// Whether the press (as the server handed it back) was a repeat: the latest noted press of its
// key at its time. One the program never saw pressed is not.
bool WasRepeat(const XKeyEvent& key) {
  const XimState& g = G();
  const std::size_t count = std::min(g.nextPress, g.presses.size());
  for (std::size_t i = 1; i <= count; ++i) {
    const XimState::Press& p = g.presses[(g.nextPress - i) % g.presses.size()];
    if (p.keycode == key.keycode && p.time == key.time) return p.repeat;
  }
  return false;
}

// A key press the server left alone (or never saw), or its commit (a press without a key
// code): what it types, with its key. Called in a guarded call, in the input method's locale;
// without a context (the server was given up), what the key types without one.
void TakeKey(XIC ic, XKeyEvent key) {
  XimState& g = G();
  if (g.out == nullptr) return;
  char buffer[256];
  KeySym sym = NoSymbol;
  Status status = XLookupNone;
  int n = 0;
  if (ic != nullptr) {
    n = Xutf8LookupString(ic, &key, buffer, int(sizeof buffer), &sym, &status);
  } else {
    n = XLookupString(&key, buffer, int(sizeof buffer), &sym, nullptr);
    const bool ascii = n == 1 && static_cast<unsigned char>(buffer[0]) < 0x80;
    status = ascii ? XLookupBoth : XLookupKeySym;
  }
  std::string text;
  if ((status == XLookupChars || status == XLookupBoth) && n > 0) {
    text.assign(buffer, std::size_t(n));
  } else if (status == XBufferOverflow && n > 0) {
    std::vector<char> more(static_cast<std::size_t>(n));
    n = Xutf8LookupString(ic, &key, more.data(), n, &sym, &status);
    if ((status == XLookupChars || status == XLookupBoth) && n > 0) {
      text.assign(more.data(), std::size_t(n));
    }
  }
  XimKey out;
  if (key.keycode == 0) {  // the server's commit, of the preedit it may have cleared already
    g.clearPending = false;
    const bool echo = !g.resetEcho.empty() && text == g.resetEcho;
    if (!text.empty()) g.resetEcho.clear();
    out.text = text;
    if (!text.empty() && !echo) g.out->push_back(out);
    return;
  }
  g.resetEcho.clear();
  const bool repeat = WasRepeat(key);
  const SDL_Keycode sdlKey = KeyOf(XLookupKeysym(&key, 0));
  const SDL_Scancode scancode =
      sdlKey != SDLK_UNKNOWN ? SDL_GetScancodeFromKey(sdlKey) : SDL_SCANCODE_UNKNOWN;
  if (scancode != SDL_SCANCODE_UNKNOWN) {
    out.key = true;
    out.down.type = SDL_KEYDOWN;
    out.down.state = SDL_PRESSED;
    out.down.repeat = repeat ? 1 : 0;
    out.down.keysym.scancode = scancode;
    out.down.keysym.sym = sdlKey;
    out.down.keysym.mod = ModifiersOf(key.state);
  }
  // Control characters are keys, not text (as SDL leaves them out of its text input).
  if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F) {
    out.text = text;
  }
  if (out.key || !out.text.empty()) g.out->push_back(out);
}

// What the server sent on our connection: its protocol (Xlib's filters take it, calling the
// preedit callbacks) and the keys it hands back or commits.
void Drain() {
  XimState& g = G();
  if (g.connection == nullptr) return;
  Guarded([&] {
    while (g.connection != nullptr && XPending(g.connection) > 0) {
      XEvent e;
      XNextEvent(g.connection, &e);
      const bool filtered = XFilterEvent(&e, None) == True;
      // The server's going read here (its window destroyed) answers none of the keys it
      // held: Abandon handed them back, to come as SDL's.
      if (g.im == nullptr) break;
      g.heard = true;
      g.unanswered.clear();
      g.askedAt = 0;
      if (filtered || e.type != KeyPress) continue;
      const Context* c = FindContext(e.xkey.window, g.focusedInline);
      if (c != nullptr && c->ic != nullptr && c->window == g.focused) TakeKey(c->ic, e.xkey);
    }
  });
}

// Keys whose release went to another window are not down any more.
void ForgetReleasedKeys() {
  XimState& g = G();
  char keys[32];
  if (g.display == nullptr || !g.down.any()) return;
  XQueryKeymap(g.display, keys);
  for (std::size_t code = 0; code < g.down.size(); ++code) {
    if ((keys[code / 8] & (1 << (code % 8))) == 0) g.down.reset(code);
  }
}

// A server that took keys and said nothing of them (it may take them without an answer) is
// asked after once they waited kAnswerMillis: one that does not answer is given up, and the
// keys it held come through SDL's path.
void CheckAnswers() {
  XimState& g = G();
  if (g.unanswered.empty() || g.im == nullptr) return;
  if (SDL_GetTicks64() < g.askedAt + Uint64(xim_connection::kAnswerMillis)) return;
  const Context* c = FindContext(g.focused, g.focusedInline);
  if (c == nullptr || c->ic == nullptr || !ServerAlive()) {
    Abandon(false);
    return;
  }
  // The events the context filters: a value every server answers (clients ask it of each
  // context), and any answer will do, a refusal too. (A value the server does not keep, such
  // as the spot, makes IBus's bridge crash.)
  XIC ic = c->ic;
  unsigned long filtered = 0;
  ++g.askedAfter;
  if (Guarded([&] { XGetICValues(ic, XNFilterEvents, &filtered, nullptr); })) {
    g.unanswered.clear();
    g.askedAt = 0;
  }
}

// Gives the window's context the keyboard (none for 0, or where the server refuses the
// window: SDL's path then), with the style the field asks for. A field that shows no preedit
// of its own has it in the server's window.
void GiveKeyboardTo(Window window) {
  XimState& g = G();
  const bool inlineStyle = g.windowStyle == 0 || (g.wantInline && g.inlineStyle != 0);
  if (window == g.focused && inlineStyle == g.focusedInline && !g.refocus) return;
  if (!ServerAlive()) window = 0;
  XIC ic = window != 0 ? ContextOf(window, inlineStyle) : nullptr;
  if (ic == nullptr || g.im == nullptr) window = 0;
  if (window != g.focused || inlineStyle != g.focusedInline) {
    g.resetEcho.clear();
    g.startedUndrawn = false;
  }
  if (g.focused != 0 && (window != g.focused || inlineStyle != g.focusedInline)) {
    const Context* was = FindContext(g.focused, g.focusedInline);
    if (was != nullptr && was->ic != nullptr) {
      XIC wasIc = was->ic;
      // The server forgets the reading committed here: it neither commits it again once the
      // window lost the keyboard (to the field that has it then) nor shows it again when the
      // window has the keyboard back.
      if (!g.draft.Empty()) {
        CommitShown();
        char* rest = nullptr;
        Guarded([&] { rest = Xutf8ResetIC(wasIc); });
        if (rest != nullptr && g.connection != nullptr) XFree(rest);
      }
      if (g.im != nullptr) Guarded([&] { XUnsetICFocus(wasIc); });
    }
    if (!g.draft.Empty() || g.clearPending) ShowClearNow();
  }
  if (window != 0 && g.im != nullptr) {
    const bool same = window == g.focused && inlineStyle == g.focusedInline;
    g.focused = window;  // the server may draw at once
    g.focusedInline = inlineStyle;
    Guarded([&] {
      if (same) XUnsetICFocus(ic);
      XSetICFocus(ic);
    });
  }
  if (g.im == nullptr) window = 0;
  g.focused = window;
  g.focusedInline = inlineStyle;
  g.refocus = false;
  SyncTextInput();
  if (g.focused != 0) XimSetSpot(g.spot.x, g.spot.y);
}

}  // namespace

bool XimInCharge() {
  return G().focused != 0;
}

int XimTimedOutCalls() {
  return xim_connection::TimedOutCalls();
}

int XimAskedAfterHeldKeys() {
  return G().askedAfter;
}

int XimKeysHeld() {
  return int(G().unanswered.size());
}

std::string XimReading() {
  return G().draft.UTF8();
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
      TakeServer();
      if (g.im == nullptr) WaitForServer(g.display);
    }
  }
  RetryServer();
  CheckAnswers();
  Window window = 0;
  if (g.im != nullptr && focus != nullptr && g.wantText) window = Window(X11WindowID(focus));
  GiveKeyboardTo(window);
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

// Xlib holds back the preedit callbacks that come while it waits for the answer to a setting
// of the context, and runs them only when the server's next callback comes: a reading drawn
// then would stay unshown until the server draws again, which a pause in the typing may put
// off for good. So the spot is set only when it moved, and in a field that shows the reading
// itself only while it shows none and none is on its way: a server (uim) starts a reading in
// its answer to the key, and draws it after (the server then places its candidates where the
// reading began).
void XimSetSpot(int x, int y) {
  XimState& g = G();
  g.spot = {short(std::clamp(x, -32768, 32767)), short(std::clamp(y, -32768, 32767))};
  if (g.focused == 0) return;
  const Context* c = FindContext(g.focused, g.focusedInline);
  if (c == nullptr || c->ic == nullptr) return;
  if (!c->inlineStyle && (g.windowStyle & XIMPreeditPosition) == 0) return;
  if (c->spotSet && c->spot.x == g.spot.x && c->spot.y == g.spot.y) return;
  if (c->inlineStyle && (!g.draft.Empty() || g.clearPending || g.startedUndrawn)) return;
  if (!ServerAlive()) return;
  XimLocaleScope scope;
  XVaNestedList preedit = XVaCreateNestedList(0, XNSpotLocation, &g.spot, nullptr);
  if (preedit == nullptr) return;
  // A server that places its window otherwise may refuse the value: nothing is lost.
  XIC ic = c->ic;
  const XPoint spot = g.spot;
  if (Guarded([&] { XSetICValues(ic, XNPreeditAttributes, preedit, nullptr); })) {
    // (A server given up meanwhile took its contexts with it.)
    if (Context* set = FindContext(g.focused, g.focusedInline)) {
      set->spotSet = true;
      set->spot = spot;
    }
  }
  XFree(preedit);
}

void XimReset() {
  XimState& g = G();
  const std::string shown = g.draft.UTF8();
  g.draft.Clear();
  if (g.focused == 0 || !ServerAlive()) return;
  const Context* c = FindContext(g.focused, g.focusedInline);
  if (c == nullptr || c->ic == nullptr) return;
  XimLocaleScope scope;
  XIC ic = c->ic;
  // The reading shown was committed where it is shown, or dropped: either way, the server's
  // commit of it that answers the reset is not typed (a server may send it during the reset).
  if (!shown.empty()) g.resetEcho = shown;
  char* rest = nullptr;
  Guarded([&] { rest = XmbResetIC(ic); });
  if (rest != nullptr && g.connection != nullptr) XFree(rest);
  g.draft.Clear();
  g.clearPending = false;
}

void XimClose() {
  XimState& g = G();
  const locale_t locale = g.locale;
  if (ServerAlive()) {
    XimLocaleScope scope;
    Guarded([&] {
      for (const Context& c : g.contexts) {
        if (c.ic != nullptr) XDestroyIC(c.ic);
      }
      XCloseIM(g.im);
      if (g.fontSet != nullptr) XFreeFontSet(g.connection, g.fontSet);
    });
  }
  if (g.connection != nullptr) xim_connection::Close(g.connection);
  g.connection = nullptr;
  EndQuestion();
  g = XimState();
  if (locale != nullptr) freelocale(locale);
}

XimLocaleScope::XimLocaleScope() {
  if (G().locale != nullptr) previous_ = uselocale(G().locale);
}

XimLocaleScope::~XimLocaleScope() {
  if (previous_ != nullptr) uselocale(static_cast<locale_t>(previous_));
}

bool XimEvent(const SDL_SysWMmsg* message, std::vector<XimKey>* out) {
  XimState& g = G();
  if (out == nullptr || message == nullptr || message->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& e = message->msg.x11.event;
  if (e.type == PropertyNotify && g.waiting && g.im == nullptr &&
      e.xproperty.atom == g.serversAtom) {
    XimLocaleScope scope;
    TakeServer();
    g.waiting = g.im == nullptr;
    return false;
  }
  switch (e.type) {
    case FocusIn:
      g.refocus = true;
      ForgetReleasedKeys();
      return false;
    case FocusOut:
      g.down.reset();
      return false;
    case KeyRelease:
      if (e.xkey.keycode < g.down.size()) g.down.reset(e.xkey.keycode);
      return false;
    case DestroyNotify:
      if (g.im != nullptr) {
        XimLocaleScope scope;
        Forget(e.xdestroywindow.window);
      }
      return false;
    case KeyPress:
      NotePress(e.xkey);
      break;
    default:
      return false;
  }
  if (g.im == nullptr) return false;
  XimLocaleScope scope;
  const std::size_t before = out->size();
  // A server that held keys past its time is asked after before it is handed another: keys
  // that keep coming do not make it wait longer.
  CheckAnswers();
  // The key is its window's: one that came with the keyboard's move to its window, before the
  // pass follows the move, goes to that window's context.
  if (g.im != nullptr && g.wantText && Window(e.xkey.window) != g.focused) {
    GiveKeyboardTo(Window(e.xkey.window));
  }
  const Context* c = g.im != nullptr && g.focused != 0 && Window(e.xkey.window) == g.focused
                         ? FindContext(g.focused, g.focusedInline)
                         : nullptr;
  if (c != nullptr && c->ic != nullptr && ServerAlive()) {
    g.out = out;
    // The key goes to the server through our connection; what it hands back is read at once.
    XEvent key = e;
    key.xany.display = g.connection;
    XIC ic = c->ic;
    Bool taken = False;
    g.heard = false;
    if (Guarded([&] { taken = XFilterEvent(&key, None); })) {
      if (taken == True) {
        Drain();
        if (!g.heard && g.im != nullptr) {
          if (g.unanswered.empty()) g.askedAt = SDL_GetTicks64();
          g.unanswered.push_back(key.xkey);
        }
      } else if (g.focused != 0) {
        Guarded([&] { TakeKey(ic, key.xkey); });
      }
    }
    g.out = nullptr;
  }
  // A server given up meanwhile left SDL's path in charge, which takes this key too: the keys
  // the server held come first.
  out->insert(out->end(), g.orphans.begin(), g.orphans.end());
  g.orphans.clear();
  return out->size() > before;
}

void XimDrain(std::vector<XimKey>* out) {
  XimState& g = G();
  if (out == nullptr) return;
  out->insert(out->end(), g.orphans.begin(), g.orphans.end());
  g.orphans.clear();
  if (g.connection == nullptr) return;
  XimLocaleScope scope;
  g.out = out;
  Drain();
  g.out = nullptr;
}

int XimConnectionFd() {
  const XimState& g = G();
  if (g.connection != nullptr) return ConnectionNumber(g.connection);
  return g.probe != nullptr ? ConnectionNumber(g.probe) : -1;
}

bool XimQueued() {
  const XimState& g = G();
  return !g.orphans.empty() || (g.connection != nullptr && XQLength(g.connection) > 0) ||
         (g.probe != nullptr && XQLength(g.probe) > 0);
}

int XimWakeMillis() {
  const XimState& g = G();
  if (g.im == nullptr || g.unanswered.empty()) return -1;
  const Uint64 at = g.askedAt + Uint64(xim_connection::kAnswerMillis);
  const Uint64 now = SDL_GetTicks64();
  return now >= at ? 0 : int(std::min<Uint64>(at - now, INT_MAX));
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

