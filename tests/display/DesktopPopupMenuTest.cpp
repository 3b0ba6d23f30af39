// The framework's popup menu on the real display: pressed with the pointer, it opens in a
// window of its own over its button, follows the pointer while the button is held, and the
// item released on becomes the button's title on the screen.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "DesktopFixture.h"
#include "Events.h"
#include "SpHotSpotArea.h"
#include "SpOriginalControlPopupButton.h"
#include "TestQuickDraw.h"
#include "XQueries.h"

namespace desktop_test {
namespace {

using DesktopPopupMenu = DesktopTest;

std::string Str(int v) {
  return std::to_string(v);
}

// The event's point in the window's local coordinates.
Point LocalPoint(WindowRef window, EventRef event) {
  Point where = {0, 0};
  GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr,
                    &where);
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  return Point{short(where.v - content.top), short(where.h - content.left)};
}

// What the script sees while the menu is open.
struct Seen {
  int step = 0;
  UInt32 openedTick = 0;
  Rect menu = {0, 0, 0, 0};          // global, as the toolbox has it
  int menuX = 0, menuY = 0;          // the menu's top-left on the screen
  Rect target = {0, 0, 0, 0};        // the third item's band, global
  UInt32 trackedOnScreen = 0;        // the screen's pixel in that band while tracked
};

void RunScript(EventLoopTimerRef, void* refCon);

struct Script {
  cSp_PopupMenuButtonObj* button = nullptr;
  std::function<bool(WindowRef, ScreenImage*)> readImage;
  Seen seen;
};

bool MenuShown(WindowRef menu) {
  return menu != nullptr && IsWindowVisible(menu) &&
         x11::WindowViewable(sp_platform::display::X11WindowOf(menu));
}

// Runs from the event loop's timers, which keep firing while the menu's own loop tracks the
// pointer: moves onto the third item with the button held, then releases there once the
// pointer has been seen on it after the quick-click time.
void RunScript(EventLoopTimerRef, void* refCon) {
  Script& s = *static_cast<Script*>(refCon);
  WindowRef menu = s.button->GetPopupWindow();
  if (s.seen.step == 0 && MenuShown(menu)) {
    s.seen.openedTick = TickCount();
    s.button->GetPopupWindowBounds(s.seen.menu);
    x11::ScreenPointOf(sp_platform::display::X11WindowOf(menu), 0, 0, &s.seen.menuX,
                       &s.seen.menuY);
    const cSp_PopupItemObj* third =
        s.button->GetFirstMenuItem()->SerchTargetNameItemOnLinkWithRefNum(3);
    short top = 0, bottom = 0;
    third->GetNormalPosition(top, bottom);
    s.seen.target = Rect{short(s.seen.menu.top + top), s.seen.menu.left,
                         short(s.seen.menu.top + bottom), s.seen.menu.right};
    int sx = 0, sy = 0;
    x11::ScreenPointOf(sp_platform::display::X11WindowOf(menu), 20, (top + bottom) / 2, &sx, &sy);
    RunTool({"xdotool", "mousemove", "--sync", Str(sx), Str(sy)});
    s.seen.step = 1;
  } else if (s.seen.step == 1) {
    Point pointer;
    GetGlobalMouse(&pointer);
    if (!PtInRect(pointer, &s.seen.target) || TickCount() - s.seen.openedTick <= 20) return;
    ScreenImage image;
    if (s.readImage(menu, &image)) {
      s.seen.trackedOnScreen = image.At(3, (s.seen.target.top + s.seen.target.bottom) / 2 -
                                               s.seen.menu.top);
    }
    RunTool({"xdotool", "mouseup", "1"});
    s.seen.step = 2;
  }
}

}  // namespace

TEST_F(DesktopPopupMenu, AMenuOpensOverItsButtonAndTheItemChosenWithThePointerShowsOnIt) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "ポップアップ");
  ASSERT_NE(window, nullptr);
  auto button = std::make_unique<cSp_PopupMenuButtonObj>(window, R(40, 30, 62, 190), 0, 0,
                                                         nullptr, 0);
  for (const char* name : {"one", "two", "three", "four"}) button->AddMenuItem(-1, name);
  std::vector<std::pair<short, short>> changes;
  button->SetupChangeSelectionProc(
      [](cSp_PopupMenuButtonObj*, short oldNo, short newNo, unsigned long refCon) {
        reinterpret_cast<std::vector<std::pair<short, short>>*>(refCon)->push_back({oldNo, newNo});
      },
      reinterpret_cast<unsigned long>(&changes));
  button->DrawView(1, 0);
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseDown}},
         [window](EventRef e) {
           Sp_MouseDownHotSpot(window, LocalPoint(window, e), 0);
           return OSStatus(noErr);
         });
  // The release comes over the menu's window, gone by the time it is handled: the press it
  // ends is the hot spot's, whatever window the event names.
  Listen(GetApplicationEventTarget(), {{kEventClassMouse, kEventMouseUp}}, [window](EventRef e) {
    Sp_MouseUpHotSpot(window, LocalPoint(window, e), 0);
    return OSStatus(noErr);
  });
  std::vector<UInt32> titleBefore;
  for (short h = 36; h < 160; ++h) {
    titleBefore.push_back(sp_testing::ReadPixel(GetWindowPort(window), h, 51));
  }

  Script script;
  script.button = button.get();
  script.readImage = [this](WindowRef w, ScreenImage* image) { return ReadWindowImage(w, image); };
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, NewEventLoopTimerUPP(RunScript),
                                  &script, &timer),
            noErr);
  const int strip = sp_platform::display::StripHeightOf(window);
  int bx = 0, by = 0;
  ASSERT_TRUE(ScreenPointOf(window, 30, strip + 40, &bx, &by));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(bx + 40), Str(by + 11),
                              "mousedown", "1"}));
  PumpUntil([&] { return !changes.empty() && button->IsPressed() == 0; },
            "the item chosen and the button up again");
  RemoveEventLoopTimer(timer);

  ASSERT_EQ(script.seen.step, 2) << "the script ran through while the menu was open";
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], (std::pair<short, short>{1, 3}));
  EXPECT_EQ(button->GetSelectionMenuItemNo(), 3);
  // Over the button: its left edge at the button's, the first (selected) item over its middle,
  // on the screen as in the toolbox.
  EXPECT_EQ(script.seen.menuX, bx) << "left edges meet on the screen";
  const int itemHeight = button->GetItemHeight();
  EXPECT_EQ(script.seen.menuY, by + (22 - itemHeight) / 2) << "the item over the button's middle";
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  EXPECT_EQ(script.seen.menu.left, content.left + 30);
  EXPECT_EQ(script.seen.trackedOnScreen, 0x52527Bu) << "the tracked item shown on the screen";
  EXPECT_EQ(button->GetPopupWindow(), nullptr) << "the menu's window is gone";

  // The button shows the new title, on the screen exactly as drawn (once the server has told
  // the window what the menu's window uncovered: until then the menu's pixels may stay there).
  ScreenImage shown;
  PumpUntil(
      [&] {
        if (!ReadWindowImage(window, &shown)) return false;
        for (short h = 36; h < 160; ++h) {
          if (shown.At(h, strip + 51) != sp_testing::ReadPixel(GetWindowPort(window), h, 51)) {
            return false;
          }
        }
        return true;
      },
      "the button's new title on the screen");
  bool changed = false;
  for (short h = 36; h < 160; ++h) {
    const UInt32 drawn = sp_testing::ReadPixel(GetWindowPort(window), h, 51);
    EXPECT_EQ(shown.At(h, strip + 51), drawn) << "column " << h;
    if (drawn != titleBefore[std::size_t(h - 36)]) changed = true;
  }
  EXPECT_TRUE(changed) << "the title changed";
}

}  // namespace desktop_test
