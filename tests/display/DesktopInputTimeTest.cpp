// Input as of its own time: the modifiers a click or a wheel notch had when it happened, the
// character a key's release carries, and where the pointer is when the program asks for it
// (at scale 2, left of and above a window too). The input is queued as SDL's, all of it before
// the program takes any, as when the program is busy while a person types and clicks.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "DesktopFixture.h"
#include "Events.h"
#include "XQueries.h"

namespace desktop_test {
namespace {

namespace display = sp_platform::display;
using InputTime = DesktopTest;

std::string Str(int v) {
  return std::to_string(v);
}

SDL_Event KeyEvent(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod,
                   bool repeat = false) {
  SDL_Event e{};
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.scancode = scancode;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  return e;
}

SDL_Event TextEvent(const char* utf8) {
  SDL_Event e{};
  e.text.type = SDL_TEXTINPUT;
  std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
  return e;
}

SDL_Event MouseEvent(Uint32 type, Uint32 window, int x, int y) {
  SDL_Event e{};
  if (type == SDL_MOUSEWHEEL) {
    e.wheel.type = type;
    e.wheel.windowID = window;
    e.wheel.y = 1;
    return e;
  }
  if (type == SDL_MOUSEMOTION) {
    e.motion.type = type;
    e.motion.windowID = window;
    e.motion.x = x;
    e.motion.y = y;
    return e;
  }
  e.button.type = type;
  e.button.windowID = window;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  return e;
}

SDL_Event FocusEvent(Uint32 window) {
  SDL_Event e{};
  e.window.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  e.window.windowID = window;
  return e;
}

bool PushAll(std::vector<SDL_Event> events) {
  for (SDL_Event& e : events) {
    if (SDL_PushEvent(&e) != 1) return false;
  }
  return true;
}

// SDL has read all of it ahead: its own modifier state is what holds after the last key (Shift
// here, pressed later than anything queued), which none of the queued input had. Only the locks,
// which SDL reads afresh without an event when a window takes the focus, come from it then.
TEST_F(InputTime, ClicksAndWheelNotchesCarryTheModifiersHeldWhenTheyHappened) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "修飾");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", "5", "5"}));  // off the window
  struct Seen {
    UInt32 kind;
    UInt32 modifiers;
  };
  std::vector<Seen> seen;
  Listen(GetWindowEventTarget(window),
         {{kEventClassMouse, kEventMouseDown},
          {kEventClassMouse, kEventMouseUp},
          {kEventClassMouse, kEventMouseMoved},
          {kEventClassMouse, kEventMouseWheelMoved}},
         [&seen](EventRef e) {
           Seen s{GetEventKind(e), 0};
           GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof s.modifiers,
                             nullptr, &s.modifiers);
           seen.push_back(s);
           return OSStatus(noErr);
         });
  const Uint32 id = display::SDLWindowIDOf(window);
  const int y = display::StripHeightOf(window) + 30;
  ASSERT_TRUE(PushAll({KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL),
                       MouseEvent(SDL_MOUSEBUTTONDOWN, id, 40, y),
                       MouseEvent(SDL_MOUSEBUTTONUP, id, 40, y),
                       KeyEvent(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NONE),
                       KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT),
                       MouseEvent(SDL_MOUSEWHEEL, id, 40, y),
                       KeyEvent(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE),
                       MouseEvent(SDL_MOUSEMOTION, id, 45, y), FocusEvent(id),
                       MouseEvent(SDL_MOUSEMOTION, id, 46, y)}));
  SDL_SetModState(SDL_Keymod(KMOD_LSHIFT | KMOD_CAPS));
  PumpUntil([&seen] { return seen.size() >= 5; }, "the mouse input");
  SDL_SetModState(KMOD_NONE);
  const struct {
    UInt32 kind;
    UInt32 modifiers;
    const char* why;
  } expected[] = {
      {kEventMouseDown, cmdKey, "Ctrl was down when the button went down"},
      {kEventMouseUp, cmdKey, "and when it came up"},
      {kEventMouseWheelMoved, optionKey, "Alt alone was down at the notch"},
      {kEventMouseMoved, 0, "nothing was down when the pointer moved"},
      {kEventMouseMoved, alphaLock,
       "Caps Lock, turned on in another program, is read again when the window takes the focus"},
  };
  ASSERT_EQ(seen.size(), std::size(expected));
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].kind, expected[i].kind) << expected[i].why;
    EXPECT_EQ(seen[i].modifiers, expected[i].modifiers) << expected[i].why;
  }
}

// A press is the next of a double click by when the person pressed (the server's time of the
// press, told just before it), not by when the program read it: here every click is read at
// once, as after a long pass, each pair's presses that far apart. At the double-click time,
// and just past it.
TEST_F(InputTime, ADoubleClickIsTwoPressesCloseInTheServersTimeHoweverLateTheyAreRead) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "ダブル");
  ASSERT_NE(window, nullptr);
  std::vector<UInt32> counts;
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseDown}},
         [&counts](EventRef e) {
           UInt32 count = 0;
           GetEventParameter(e, kEventParamClickCount, typeUInt32, nullptr, sizeof count, nullptr,
                             &count);
           counts.push_back(count);
           return OSStatus(noErr);
         });
  const Uint32 id = display::SDLWindowIDOf(window);
  const int y = display::StripHeightOf(window) + 30;
  const unsigned long limit = GetDblTime() * 1000 / 60;
  const unsigned long gaps[] = {100, limit, limit + 1, 5000};
  std::vector<UInt32> expected;
  unsigned long time = 1000;
  for (const unsigned long gap : gaps) {
    for (const unsigned long press : {time, time + gap}) {
      ASSERT_TRUE(x11::QueuePressMessage(display::X11WindowOf(window), 40, y, press));
      ASSERT_TRUE(PushAll(
          {MouseEvent(SDL_MOUSEBUTTONDOWN, id, 40, y), MouseEvent(SDL_MOUSEBUTTONUP, id, 40, y)}));
    }
    expected.push_back(1);
    expected.push_back(gap <= limit ? 2 : 1);
    time += gap + 10 * limit;  // the next pair starts afresh
  }
  PumpUntil([&] { return counts.size() >= expected.size(); }, "the clicks");
  EXPECT_EQ(counts, expected);
}

// The keys as SDL reads them, whenever the window takes the keyboard: an X input method (Xlib's
// own takes charge without a server) would take the keys from X once it has, leaving SDL's key
// events only their modifiers. Here the only input method named is one that is not there.
class NoInputMethod {
 public:
  NoInputMethod() { setenv("XMODIFIERS", "@im=sp-tests-none", 1); }
  ~NoInputMethod() { unsetenv("XMODIFIERS"); }
};

// A release carries the character its own press typed, and none when that press typed no key
// character (its text came as text input, two bytes here), whatever an earlier press typed.
TEST_F(InputTime, AKeysReleaseCarriesOnlyTheCharacterItsOwnPressTyped) {
  const NoInputMethod noInputMethod;
  display::CloseDesktop();
  std::string message;
  ASSERT_TRUE(display::OpenDesktop(&message)) << message;
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "キー");
  ASSERT_NE(window, nullptr);
  // The keys come after the window took the keyboard, as a person's do.
  ASSERT_TRUE(WaitForKeyboard());
  std::vector<std::pair<UInt32, UInt8>> keys;  // kind, character
  Listen(GetApplicationEventTarget(),
         {{kEventClassKeyboard, kEventRawKeyDown},
          {kEventClassKeyboard, kEventRawKeyRepeat},
          {kEventClassKeyboard, kEventRawKeyUp}},
         [&keys](EventRef e) {
           UInt8 ch = 0xFF;
           GetEventParameter(e, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
           keys.push_back({GetEventKind(e), ch});
           return OSStatus(noErr);
         });
  const SDL_Scancode a = SDL_SCANCODE_A, b = SDL_SCANCODE_B;
  ASSERT_TRUE(PushAll({KeyEvent(SDL_KEYDOWN, a, SDLK_a, KMOD_NONE), TextEvent("a"),
                       KeyEvent(SDL_KEYDOWN, a, SDLK_a, KMOD_NONE, true), TextEvent("あ"),
                       KeyEvent(SDL_KEYUP, a, SDLK_a, KMOD_NONE),
                       KeyEvent(SDL_KEYDOWN, b, SDLK_b, KMOD_NONE), TextEvent("b"),
                       KeyEvent(SDL_KEYUP, b, SDLK_b, KMOD_NONE)}));
  PumpUntil([&keys] { return keys.size() >= 4; }, "the keys");
  const std::vector<std::pair<UInt32, UInt8>> expected = {
      {kEventRawKeyDown, 'a'},
      {kEventRawKeyUp, 0},  // the repeat before it typed "あ" as text
      {kEventRawKeyDown, 'b'},
      {kEventRawKeyUp, 'b'},
  };
  EXPECT_EQ(keys, expected);
}

// GetMouse answers where the pointer is when it is called, in the port's coordinates, also
// where no motion reaches the program (off its windows); at scale 2, left of and above the
// window, a screen pixel's place rounds down.
TEST_F(InputTime, GetMouseAnswersWhereThePointerIsWhenAsked) {
  display::CloseDesktop();
  setenv("SP_DISPLAY_SCALE", "2", 1);
  std::string message;
  ASSERT_TRUE(display::OpenDesktop(&message)) << message;
  WindowRef window = ShowWindowOnDesktop(R(100, 100, 180, 200), "ポインタ");
  ASSERT_NE(window, nullptr);
  const int strip = display::StripHeightOf(window);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 40, (strip + 20) * 2, &sx, &sy));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(sx), Str(sy)}));
  SetPortWindowPort(window);
  Point local = {0, 0};
  GetMouse(&local);
  EXPECT_EQ(local.h, 20);
  EXPECT_EQ(local.v, 20);
  const struct {
    int x, y;  // pixels of the window on the screen, from its content's corner
    SInt16 h, v;
    const char* why;
  } rows[] = {
      {-5, -7, -3, -4, "left of and above the content: rounded down, not towards 0"},
      {-1, -1, -1, -1, "one screen pixel off the corner is the pixel before it"},
      {2 * 100 + 9, 2 * 80 + 3, 104, 81, "right of and below the window"},
  };
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  for (const auto& row : rows) {
    ASSERT_TRUE(ScreenPointOf(window, row.x, strip * 2 + row.y, &sx, &sy));
    // The tool moves the pointer without the loop running: nothing told the program of it.
    ASSERT_TRUE(RunTool({"xdotool", "mousemove", "--sync", Str(sx), Str(sy)}));
    GetMouse(&local);
    EXPECT_EQ(local.h, row.h) << row.why;
    EXPECT_EQ(local.v, row.v) << row.why;
    Point global = {0, 0};
    GetGlobalMouse(&global);
    EXPECT_EQ(global.h, content.left + row.h) << row.why;
    EXPECT_EQ(global.v, content.top + row.v) << row.why;
  }
}

}  // namespace
}  // namespace desktop_test
