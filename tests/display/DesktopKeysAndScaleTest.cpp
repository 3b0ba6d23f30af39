// The keyboard's keys as Mac key and character codes, the screen scale of high-density
// screens, and what opening the display says where there is none.
#include <SDL.h>

#include <cstdlib>

#include "DesktopFixture.h"
#include "Events.h"
#include "QuickDraw.h"
#include "XQueries.h"
#include "display/internal/DesktopKeys.h"
#include "quickdraw/internal/Ports.h"

namespace desktop_test {
namespace {

namespace display = sp_platform::display;

TEST(DesktopKeys, KeysThatTypeNothingHaveTheirMacCharacterCodes) {
  struct Row {
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    UInt8 keyCode;
    UInt8 charCode;
    bool types;
  } const rows[] = {
      {SDL_SCANCODE_A, SDLK_a, 0, 0, true},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, 36, 0x0D, false},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 76, 0x03, false},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 53, 0x1B, false},
      {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 51, 0x08, false},
      {SDL_SCANCODE_DELETE, SDLK_DELETE, 117, 0x7F, false},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, 123, 0x1C, false},
      {SDL_SCANCODE_RIGHT, SDLK_RIGHT, 124, 0x1D, false},
      {SDL_SCANCODE_UP, SDLK_UP, 126, 0x1E, false},
      {SDL_SCANCODE_DOWN, SDLK_DOWN, 125, 0x1F, false},
      {SDL_SCANCODE_HOME, SDLK_HOME, 115, 0x01, false},
      {SDL_SCANCODE_END, SDLK_END, 119, 0x04, false},
      {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 116, 0x0B, false},
      {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 121, 0x0C, false},
      {SDL_SCANCODE_F1, SDLK_F1, 122, 0x10, false},
      {SDL_SCANCODE_F12, SDLK_F12, 111, 0x10, false},
      {SDL_SCANCODE_TAB, SDLK_TAB, 48, 0x09, false},
  };
  for (const Row& r : rows) {
    display::MacKey key;
    ASSERT_TRUE(display::MacKeyOf(r.scancode, r.keycode, &key)) << SDL_GetScancodeName(r.scancode);
    EXPECT_EQ(key.keyCode, r.keyCode) << SDL_GetScancodeName(r.scancode);
    EXPECT_EQ(key.charCode, r.charCode) << SDL_GetScancodeName(r.scancode);
    EXPECT_EQ(key.types, r.types) << SDL_GetScancodeName(r.scancode);
  }
  display::MacKey key;
  EXPECT_FALSE(display::MacKeyOf(SDL_SCANCODE_MUTE, SDLK_MUTE, &key));
}

TEST(DesktopKeys, CtrlIsCommandAltIsOptionAndLettersFollowShiftAndCapsLock) {
  EXPECT_EQ(display::MacModifiersOf(KMOD_LCTRL | KMOD_RSHIFT), UInt32(cmdKey | shiftKey));
  EXPECT_EQ(display::MacModifiersOf(KMOD_RALT | KMOD_CAPS | KMOD_LGUI),
            UInt32(optionKey | alphaLock | controlKey));
  EXPECT_EQ(display::MacModifierKeyCode(SDL_SCANCODE_LCTRL), kVK_Command);
  EXPECT_EQ(display::MacModifierKeyCode(SDL_SCANCODE_LALT), kVK_Option);
  EXPECT_EQ(display::MacModifierKeyCode(SDL_SCANCODE_A), 0);
  EXPECT_EQ(display::CharacterOfKey(SDLK_q, KMOD_CTRL), 'q');
  EXPECT_EQ(display::CharacterOfKey(SDLK_q, KMOD_CTRL | KMOD_SHIFT), 'Q');
  EXPECT_EQ(display::CharacterOfKey(SDLK_q, KMOD_CAPS | KMOD_SHIFT), 'q');
  EXPECT_EQ(display::CharacterOfKey(SDLK_PERIOD, KMOD_CTRL), '.');
  EXPECT_EQ(display::CharacterOfKey(SDLK_F1, KMOD_CTRL), 0);
}

TEST(DesktopChoice, WithNoDisplayOpeningSaysSoInOneSentence) {
  const std::string saved = getenv("DISPLAY") != nullptr ? getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  std::string message;
  EXPECT_FALSE(display::OpenDesktop(&message));
  EXPECT_FALSE(display::DesktopOpen());
  EXPECT_EQ(message.rfind("No display: ", 0), 0u) << message;
  EXPECT_EQ(message.back(), '.');
  EXPECT_EQ(message.find(". "), std::string::npos) << "one sentence: " << message;
  setenv("DISPLAY", ":99999", 1);
  EXPECT_FALSE(display::OpenDesktop(&message));
  EXPECT_NE(message.find("\":99999\""), std::string::npos) << message;
  setenv("DISPLAY", saved.c_str(), 1);
}

class Scaled : public DesktopTest {};

TEST_F(Scaled, AtScaleTwoEachWindowPixelTakesFourScreenPixelsAndClicksMapBack) {
  display::CloseDesktop();
  setenv("SP_DISPLAY_SCALE", "2", 1);
  std::string message;
  ASSERT_TRUE(display::OpenDesktop(&message)) << message;
  WindowRef window = ShowWindowOnDesktop(R(100, 100, 180, 200), "二倍");
  ASSERT_NE(window, nullptr);
  SetPortWindowPort(window);
  const Rect dot = R(10, 20, 11, 21);
  PaintRect(&dot);
  ScreenImage shot;
  ASSERT_TRUE(ReadWindowImage(window, &shot));
  const int strip = display::StripHeightOf(window);
  ASSERT_EQ(shot.width, 200);
  ASSERT_EQ(shot.height, (80 + strip) * 2);
  for (int dy = 0; dy < 2; ++dy) {
    for (int dx = 0; dx < 2; ++dx) EXPECT_EQ(shot.At(40 + dx, (10 + strip) * 2 + dy), 0u);
  }
  EXPECT_EQ(shot.At(42, (10 + strip) * 2), 0xFFFFFFu);
  Point where = {0, 0};
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseDown}}, [&where](EventRef e) {
    GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr,
                      &where);
    return OSStatus(noErr);
  });
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 41, (10 + strip) * 2 + 1, &sx, &sy));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", std::to_string(sx),
                              std::to_string(sy), "click", "1"}));
  PumpUntil([&where] { return where.h != 0; }, "the click");
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  EXPECT_EQ(where.h, content.left + 20);
  EXPECT_EQ(where.v, content.top + 10);
}

// The toolbox's cursor on the desktop: shown until hidden, and back when every hide is undone;
// a one-bit cursor at scale 2 takes four screen pixels a pixel, with its hot spot scaled too.
TEST_F(Scaled, CursorsShowAtTheScaleWithTheirHotSpotAndHideAsTheToolboxSays) {
  display::CloseDesktop();
  setenv("SP_DISPLAY_SCALE", "2", 1);
  std::string message;
  ASSERT_TRUE(display::OpenDesktop(&message)) << message;
  WindowRef window = ShowWindowOnDesktop(R(100, 100, 180, 200), "カーソル");
  ASSERT_NE(window, nullptr);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 60, (display::StripHeightOf(window) + 40) * 2, &sx, &sy));
  ASSERT_TRUE(
      RunToolPumping({"xdotool", "mousemove", "--sync", std::to_string(sx), std::to_string(sy)}));

  // A 4 x 4 block in the top left corner; the hot spot 5 across and 3 down.
  Cursor block{};
  for (int row = 0; row < 4; ++row) block.data[row] = block.mask[row] = SInt16(0xF000);
  block.hotSpot = {3, 5};
  SetCursor(&block);
  x11::ShownCursor shown;
  PumpUntil([&shown] { return x11::CursorAtThePointer(&shown) && shown.width == 32; },
            "the scaled cursor");
  ASSERT_EQ(shown.width, 32);
  ASSERT_EQ(shown.height, 32);
  EXPECT_EQ(shown.xhot, 10);
  EXPECT_EQ(shown.yhot, 6);
  auto alpha = [&shown](int x, int y) {
    return (shown.argb[std::size_t(y * shown.width + x)] >> 24) & 0xFF;
  };
  const struct {
    int x, y;
    unsigned long alpha;
  } pixels[] = {{0, 0, 0xFF}, {7, 7, 0xFF}, {8, 0, 0}, {0, 8, 0}, {8, 8, 0}, {31, 31, 0}};
  for (const auto& p : pixels) EXPECT_EQ(alpha(p.x, p.y), p.alpha) << p.x << "," << p.y;

  const struct {
    void (*change)();
    int shown;  // SDL_ENABLE or SDL_DISABLE after it
    const char* what;
  } steps[] = {{[] {}, SDL_ENABLE, "shown at the start"},
               {HideCursor, SDL_DISABLE, "hidden"},
               {HideCursor, SDL_DISABLE, "hidden twice"},
               {ShowCursor, SDL_DISABLE, "one show of two hides"},
               {ShowCursor, SDL_ENABLE, "every hide undone"},
               {ShowCursor, SDL_ENABLE, "a show too many changes nothing"}};
  for (const auto& step : steps) {
    step.change();
    ASSERT_TRUE(
        PumpUntil([&step] { return SDL_ShowCursor(SDL_QUERY) == step.shown; }, step.what));
  }
}

}  // namespace
}  // namespace desktop_test
