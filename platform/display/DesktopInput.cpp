// SDL's input as the toolbox's: mouse, wheel and keys become raw input of the event loop,
// typed and input-method text becomes MacJapanese text input, the input method's preedit
// becomes the Text Services Manager's inline input, focus becomes window
// activation and the application's suspend and resume, dropped files become drags, the
// window manager's moves, resizes and close requests reach the windows.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "Events.h"
#include "MacWindows.h"
#include "SpTextCodec.h"
#include "display/detail/Desktop.h"
#include "display/detail/DesktopX11.h"
#include "display/detail/DesktopXdnd.h"
#include "display/detail/DesktopXim.h"
#include "events/internal/AppleEventQueue.h"
#include "events/internal/EventLoop.h"
#include "events/internal/Keyboard.h"
#include "ui/internal/DialogClipboard.h"
#include "ui/internal/Drops.h"
#include "ui/internal/InputMethod.h"
#include "ui/internal/Windows.h"

namespace sp_platform {
namespace display {
namespace {

constexpr int kDoubleClickSlop = 4;  // pixels the second click may be off the first
constexpr Uint16 kLockMods = KMOD_CAPS | KMOD_NUM | KMOD_SCROLL;

// A key whose character comes with the typed text that follows it in the same batch.
struct PendingKey {
  bool active = false;
  bool repeat = false;
  MacKey key;
  SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
  SDL_Keycode keycode = 0;
  Uint16 mod = 0;
};

void PostKey(RawInputKind kind, UInt8 charCode, UInt8 keyCode, UInt32 modifiers) {
  RawInput in;
  in.kind = kind;
  in.charCode = charCode;
  in.keyCode = keyCode;
  in.modifiers = modifiers;
  PostRawInput(in);
}

void PostKeyDown(const PendingKey& k, UInt8 charCode) {
  PostKey(k.repeat ? kRawKeyRepeat : kRawKeyDown, charCode, k.key.keyCode, MacModifiersOf(k.mod));
  Desktop().charOfScancode[k.scancode] = charCode;
}

// No text came for the key (text input is off, or the key typed none): its own character.
void FlushPendingKey(PendingKey& k) {
  if (!k.active) return;
  k.active = false;
  const UInt8 ch = CharacterOfKey(k.keycode, k.mod);
  if (ch != 0) PostKeyDown(k, ch);
}

void KeyDown(const SDL_KeyboardEvent& e, PendingKey& pending) {
  const SDL_Scancode sc = e.keysym.scancode;
  Desktop().keyMods = e.keysym.mod;
  if (UInt8 code = MacModifierKeyCode(sc)) {
    ReadKeyDown(code, true);
    return;
  }
  MacKey key;
  if (!MacKeyOf(sc, e.keysym.sym, &key)) return;
  Desktop().charOfScancode[sc] = 0;  // until this press types a character
  PendingKey k;
  k.active = true;
  k.repeat = e.repeat != 0;
  k.key = key;
  k.scancode = sc;
  k.keycode = e.keysym.sym;
  k.mod = e.keysym.mod;
  const UInt32 modifiers = MacModifiersOf(e.keysym.mod);
  if (key.types && (modifiers & (cmdKey | optionKey | controlKey)) == 0) {
    pending = k;  // its character comes as text
    return;
  }
  const UInt8 ch = key.types ? CharacterOfKey(e.keysym.sym, e.keysym.mod) : key.charCode;
  if (ch != 0) PostKeyDown(k, ch);
}

void KeyUp(const SDL_KeyboardEvent& e) {
  const SDL_Scancode sc = e.keysym.scancode;
  Desktop().keyMods = e.keysym.mod;
  if (UInt8 code = MacModifierKeyCode(sc)) {
    ReadKeyDown(code, false);
    return;
  }
  MacKey key;
  if (!MacKeyOf(sc, e.keysym.sym, &key)) return;
  UInt8& typed = Desktop().charOfScancode[sc];
  const UInt8 ch = typed != 0 ? typed : key.charCode;
  typed = 0;
  PostKey(kRawKeyUp, ch, key.keyCode, MacModifiersOf(e.keysym.mod));
}

// Typed text: one MacJapanese byte after its key is that key's character; anything else (the
// input method's committed text, a character of two bytes) is text input.
void Text(const char* utf8, PendingKey& pending) {
  // Text that ends a preedit shown inline is its commit, not a key.
  if (utf8 != nullptr && input_method::Committed(utf8)) {
    pending.active = false;
    return;
  }
  std::string text;
  if (!sp::text::UTF8ToMacJapanese(utf8, text, '?') || text.empty()) {
    FlushPendingKey(pending);
    return;
  }
  if (pending.active && text.size() == 1) {
    pending.active = false;
    PostKeyDown(pending, UInt8(text[0]));
    return;
  }
  const UInt32 modifiers = MacModifiersOf(pending.active ? pending.mod : Desktop().keyMods);
  pending.active = false;
  RawInput in;
  in.kind = kRawTextInput;
  in.text = text;
  in.modifiers = modifiers;
  PostRawInput(in);
}

// Keys the XIM server left alone and text it committed, each after the one before.
void TakeXimKeys(std::vector<XimKey>& keys, PendingKey& pending) {
  for (const XimKey& k : keys) {
    FlushPendingKey(pending);
    if (k.key) KeyDown(k.down, pending);
    if (!k.text.empty()) Text(k.text.c_str(), pending);
  }
  keys.clear();
}

// The input method's preedit: its text, the caret and the marked segment, in characters.
void Editing(const char* utf8, Sint32 start, Sint32 length) {
  if (utf8 == nullptr) return;
  const std::string text = utf8;
  input_method::PreeditChanged(text, start, start, length);
}

EventMouseButton ButtonOf(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_RIGHT:
      return kEventMouseButtonSecondary;
    case SDL_BUTTON_MIDDLE:
      return kEventMouseButtonTertiary;
    default:
      return kEventMouseButtonPrimary;
  }
}

// The place the X server gave the latest button message (it comes just before SDL's event of
// the same press or release): a click is taken where it happened, not where SDL last saw the
// pointer.
struct ButtonPlace {
  bool known = false;
  X11ButtonPlace place;
};

ButtonPlace& LatestButtonPlace() {
  static ButtonPlace latest;
  return latest;
}

void MouseButton(const SDL_MouseButtonEvent& e) {
  DesktopState& d = Desktop();
  ShownWindow* shown = ShownOfID(e.windowID);
  if (shown == nullptr) return;
  int x = e.x, y = e.y;
  ButtonPlace& latest = LatestButtonPlace();
  const bool told = latest.known && !latest.place.wheel &&
                    latest.place.pressed == (e.type == SDL_MOUSEBUTTONDOWN) &&
                    latest.place.window == X11WindowID(shown->sdl);
  if (told) {
    x = latest.place.x;
    y = latest.place.y;
  }
  latest.known = false;
  const Point where = GlobalOf(*shown, x, y);
  if (e.type == SDL_MOUSEBUTTONDOWN) {
    // Two presses are as far apart as the person made them: by the server's times of the
    // presses where both are known, not by SDL's stamps, which say when the program read
    // them (two clicks read together after a long pass would make a double click, and a
    // double click read across a long pass two single ones).
    const Uint32 serverTime = told ? Uint32(latest.place.time) : 0;
    const Uint32 since = told && d.lastClickTimed ? serverTime - d.lastClickTime
                                                  : e.timestamp - d.lastClickTicks;
    const Uint32 doubleClickMillis = GetDblTime() * 1000 / 60;
    const bool again = e.button == d.lastClickButton && d.clickCount > 0 &&
                       since <= doubleClickMillis &&
                       std::abs(where.h - d.lastClickWhere.h) <= kDoubleClickSlop &&
                       std::abs(where.v - d.lastClickWhere.v) <= kDoubleClickSlop;
    d.clickCount = again ? d.clickCount + 1 : 1;
    d.lastClickTicks = e.timestamp;
    d.lastClickTime = serverTime;
    d.lastClickTimed = told;
    d.lastClickWhere = where;
    d.lastClickButton = e.button;
  }
  RawInput in;
  in.kind = e.type == SDL_MOUSEBUTTONDOWN ? kRawMouseDown : kRawMouseUp;
  in.where = where;
  in.modifiers = MacModifiersOf(d.keyMods);
  in.clickCount = d.clickCount == 0 ? 1 : d.clickCount;
  in.button = ButtonOf(e.button);
  PostRawInput(in);
}

void MouseMotion(const SDL_MouseMotionEvent& e) {
  ShownWindow* shown = ShownOfID(e.windowID);
  if (shown == nullptr) return;
  RawInput in;
  in.kind = e.state != 0 ? kRawMouseDragged : kRawMouseMoved;
  in.where = GlobalOf(*shown, e.x, e.y);
  in.modifiers = MacModifiersOf(Desktop().keyMods);
  in.button = kEventMouseButtonPrimary;
  if ((e.state & SDL_BUTTON_RMASK) != 0) in.button = kEventMouseButtonSecondary;
  if ((e.state & SDL_BUTTON_MMASK) != 0) in.button = kEventMouseButtonTertiary;
  PostRawInput(in);
}

// A notch of the wheel is one step of a scroll bar, taken where the pointer was at the notch
// as the X server told it (SDL's place is stale after a jump), else where it was last seen.
void Wheel(const SDL_MouseWheelEvent& e) {
  const SInt32 sign = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
  RawInput in;
  in.kind = kRawMouseWheel;
  in.where = CurrentMouseLocation();
  ButtonPlace& latest = LatestButtonPlace();
  ShownWindow* shown = ShownOfID(e.windowID);
  if (shown != nullptr && latest.known && latest.place.wheel && latest.place.pressed &&
      latest.place.window == X11WindowID(shown->sdl)) {
    in.where = GlobalOf(*shown, latest.place.x, latest.place.y);
  }
  latest.known = false;
  in.modifiers = MacModifiersOf(Desktop().keyMods);
  if (e.y != 0) {
    in.wheelAxis = kEventMouseWheelAxisY;
    in.wheelDelta = sign * e.y;
    PostRawInput(in);
  }
  if (e.x != 0) {
    in.wheelAxis = kEventMouseWheelAxisX;
    in.wheelDelta = -sign * e.x;
    PostRawInput(in);
  }
}

void SendActivation(WindowRef window, UInt32 kind) {
  if (window == nullptr) return;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kind, 0, kEventAttributeNone, &event) != noErr) {
    return;
  }
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  SendEventToEventTarget(event, GetWindowEventTarget(window));
  ReleaseEvent(event);
}

// The application comes to the front (resume) or goes behind another program's windows
// (suspend): {'appl', 1 or 2}, and the active window is activated or deactivated with it.
void SetApplicationActive(bool active) {
  DesktopState& d = Desktop();
  if (d.appActive == active) return;
  d.appActive = active;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassApplication,
                  active ? kEventAppActivated : kEventAppDeactivated, 0, kEventAttributeNone,
                  &event) == noErr) {
    SendEventToEventTarget(event, GetApplicationEventTarget());
    ReleaseEvent(event);
  }
  SendActivation(FrontNonFloatingWindow(),
                 active ? kEventWindowActivated : kEventWindowDeactivated);
}

bool IsPopup(const ShownWindow& shown) {
  return shown.windowClass == kHelpWindowClass || shown.windowClass == kOverlayWindowClass;
}

// True when the toolbox has `window` in front of `other`.
bool InFrontOf(WindowRef window, WindowRef other) {
  for (WindowRef w : WindowListFrontToBack()) {
    if (w == window) return true;
    if (w == other) return false;
  }
  return false;
}

// The window to keep in front when the desktop focuses `window` while a modal loop runs: the
// loop's window when `window` lies behind it, else the toolbox's front dialog when `window`
// lies behind that (a dialog the loop's window opened, such as a folder choice, and the loop's
// window itself when the window manager hands it the focus as a dialog of that one closes);
// null for none.
WindowRef HeldInFrontOf(WindowRef window) {
  WindowRef modal = InnermostModalWindow();
  if (modal == nullptr || !IsValidWindowPtr(modal)) return nullptr;
  if (modal != window && !InFrontOf(window, modal)) return modal;
  WindowRef front = FrontNonFloatingWindow();
  WindowClass c = 0;
  if (front == nullptr || front == window || GetWindowClass(front, &c) != noErr ||
      !IsModalClass(c) || !InFrontOf(front, window)) {
    return nullptr;
  }
  return front;
}

// A window the person brought forward: the toolbox's order follows, but not past a modal
// loop's window or a dialog in front, which comes back in front instead.
void FocusGained(ShownWindow& shown) {
  if (IsPopup(shown)) return;
  if (WindowRef held = HeldInFrontOf(shown.window)) {
    if (ShownWindow* m = ShownOf(held)) SDL_RaiseWindow(m->sdl);
    return;
  }
  WindowClass c = 0;
  GetWindowClass(shown.window, &c);
  if (c == kFloatingWindowClass || c == kUtilityWindowClass || c == kToolbarWindowClass) return;
  if (FrontNonFloatingWindow() != shown.window) {
    SelectWindow(shown.window);
    Desktop().lastFront = WindowSerial(shown.window);  // in front on the desktop already
  }
}

void WindowEvent(const SDL_WindowEvent& e) {
  ShownWindow* shown = ShownOfID(e.windowID);
  if (shown == nullptr) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_MOVED:
      // On X11 the place comes from the server itself (WindowPlaceMessage).
      if (shown->xwindow == 0) WindowMovedByDesktop(*shown, e.data1, e.data2);
      break;
    case SDL_WINDOWEVENT_RESIZED:
      WindowResizedByDesktop(*shown, e.data1, e.data2);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
      shown->wholeUpload = true;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      WindowCloseRequested(*shown);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: {
      // The locks may have changed in another program: SDL read them afresh, without events.
      Uint16& mods = Desktop().keyMods;
      mods = Uint16((mods & ~kLockMods) | (SDL_GetModState() & kLockMods));
      FocusGained(*shown);
      break;
    }
    default:
      break;
  }
}

// The files or the text of a drop, at the pointer's place (where they were let go).
// The drop's handlers may run the event loop (a field tracks the mouse while it takes the
// text): the drop is taken off the lists before it is handed over, so that no inner pass hands
// it over again, and a drop that completes meanwhile waits until this one was handled.
void DeliverDrop() {
  static bool delivering = false;
  DesktopState& d = Desktop();
  if (delivering || (d.dropped.empty() && d.droppedText.empty())) return;
  delivering = true;
  const auto files = std::move(d.dropped);
  const auto text = std::move(d.droppedText);
  d.dropped.clear();
  d.droppedText.clear();
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  const int scale = d.scale;
  const Point where = {SInt16(y / scale), SInt16(x / scale)};
  if (!files.empty()) drops::DeliverFileDrop(where, files);
  if (!text.empty()) drops::DeliverTextDrop(where, text);
  delivering = false;
}

}  // namespace

bool PumpHeldPointer() {
  DesktopState& d = Desktop();
  const int scale = d.scale > 0 ? d.scale : 1;
  bool any = false;
  X11PointerInput pointer;
  while (X11NextHeldPointerInput(&pointer)) {
    any = true;
    RawInput in;
    in.where = Point{SInt16(pointer.y / scale), SInt16(pointer.x / scale)};
    in.modifiers = MacModifiersOf(d.keyMods);
    in.button = pointer.button == 3   ? kEventMouseButtonSecondary
                : pointer.button == 2 ? kEventMouseButtonTertiary
                                      : kEventMouseButtonPrimary;
    in.clickCount = 1;
    switch (pointer.kind) {
      case X11PointerInput::kMoved:
        in.kind = pointer.buttonDown ? kRawMouseDragged : kRawMouseMoved;
        break;
      case X11PointerInput::kPressed:
        in.kind = kRawMouseDown;
        break;
      case X11PointerInput::kReleased:
        in.kind = kRawMouseUp;
        break;
    }
    PostRawInput(in);
  }
  return any;
}

bool PumpInput() {
  DesktopState& d = Desktop();
  PendingKey pending;
  bool any = false;
  SDL_Event e;
  // What the input method sent since the last pass comes first.
  std::vector<XimKey> xim;
  XimDrain(&xim);
  any = !xim.empty();
  TakeXimKeys(xim, pending);
  // Everything waiting now, taken in order (events that come meanwhile wait for the next pass).
  {
    XimLocaleScope scope;
    SDL_PumpEvents();
  }
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    any = true;
    if (e.type != SDL_TEXTINPUT) FlushPendingKey(pending);
    switch (e.type) {
      case SDL_KEYDOWN:
        // While the XIM input context has the keys they come from X (below), but modifiers.
        if (!XimInCharge() || MacModifierKeyCode(e.key.keysym.scancode) != 0) {
          KeyDown(e.key, pending);
        }
        break;
      case SDL_KEYUP:
        KeyUp(e.key);
        break;
      case SDL_TEXTINPUT:
        Text(e.text.text, pending);
        break;
      case SDL_TEXTEDITING:
        Editing(e.edit.text, e.edit.start, e.edit.length);
        break;
      case SDL_TEXTEDITING_EXT:
        Editing(e.editExt.text, e.editExt.start, e.editExt.length);
        SDL_free(e.editExt.text);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        MouseButton(e.button);
        break;
      case SDL_MOUSEMOTION:
        MouseMotion(e.motion);
        break;
      case SDL_MOUSEWHEEL:
        Wheel(e.wheel);
        break;
      case SDL_WINDOWEVENT:
        WindowEvent(e.window);
        break;
      case SDL_SYSWMEVENT: {
        X11NoteUserTime(e.syswm.msg);
        LatestButtonPlace().known = X11ButtonPlaceOf(e.syswm.msg, &LatestButtonPlace().place);
        WindowPlaceMessage(e.syswm.msg);
        if (XimEvent(e.syswm.msg, &xim)) TakeXimKeys(xim, pending);
        break;
      }
      case SDL_DROPBEGIN:
        d.dropped.clear();
        d.droppedText.clear();
        break;
      case SDL_DROPFILE:
        if (e.drop.file != nullptr) d.dropped.emplace_back(e.drop.file);
        SDL_free(e.drop.file);
        break;
      case SDL_DROPTEXT:
        // Text from another program comes line by line until the drop completes.
        if (e.drop.file != nullptr) d.droppedText.emplace_back(e.drop.file);
        SDL_free(e.drop.file);
        break;
      case SDL_DROPCOMPLETE:
        DeliverDrop();
        break;
      case SDL_CLIPBOARDUPDATE:
        // Sent when another program takes the clipboard (not for this process's own copies).
        dialogs::DesktopClipboardTaken();
        break;
      case SDL_QUIT:
        RequestQuitFromSession();
        break;
      default:
        break;
    }
  }
  FlushPendingKey(pending);
  DeliverDrop();  // files dropped without the end of the drop being told
  PumpOutsideDrags();
  const bool focused = SDL_GetKeyboardFocus() != nullptr;
  if (focused) d.hadFocus = true;
  if (d.hadFocus) SetApplicationActive(focused);
  return any;
}

}  // namespace display
}  // namespace sp_platform
