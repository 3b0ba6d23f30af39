// The Control Manager's popup button on the real display, clicked with xdotool as a desktop
// user does: a click (press and release) on the button opens its menu and leaves it open; the
// next click chooses the item under it or, outside the menu, closes it with no choice; a press
// dragged to an item and released there still chooses it.
#include <string>

#include "Controls.h"
#include "DesktopFixture.h"
#include "Events.h"
#include "XQueries.h"

namespace desktop_test {
namespace {

std::string Str(int v) {
  return std::to_string(v);
}

// A length-prefixed copy of the text.
std::string Pascal(const std::string& text) {
  return std::string(1, char(text.size())) + text;
}

ConstStr255Param P255(const std::string& pascal) {
  return reinterpret_cast<ConstStr255Param>(pascal.data());
}

// The menu's window: the visible window of the help class; null when none.
WindowRef MenuWindow() {
  for (WindowRef w = GetWindowList(); w != nullptr; w = GetNextWindow(w)) {
    WindowClass windowClass = 0;
    if (GetWindowClass(w, &windowClass) == noErr && windowClass == kHelpWindowClass &&
        IsWindowVisible(w)) {
      return w;
    }
  }
  return nullptr;
}

bool Viewable(WindowRef window) {
  return window != nullptr && x11::WindowViewable(sp_platform::display::X11WindowOf(window));
}

enum class Target { kFourthItem, kWindowOutsideTheMenu };

struct Case {
  const char* what;
  bool dragged;  // pressed, dragged to the target and released there; else two clicks
  Target target;
  SInt32 value;  // the button's value after
};

// What the person does, a step at each firing of a timer (timers keep firing while the menu's
// own loop tracks the pointer).
struct Person {
  const Case* c = nullptr;
  WindowRef window = nullptr;
  ControlRef popup = nullptr;
  int buttonX = 0, buttonY = 0;  // on the screen
  int presses = 0;               // presses that reached the window
  int step = 0;
  bool openAfterRelease = false;
  bool done = false;
};

bool TargetPoint(const Person& p, WindowRef menu, int* x, int* y) {
  if (p.c->target == Target::kFourthItem) {
    // The items are 18 pixels high; the fourth's middle.
    return x11::ScreenPointOf(sp_platform::display::X11WindowOf(menu), 20, 3 * 18 + 9, x, y);
  }
  const int strip = sp_platform::display::StripHeightOf(p.window);
  return x11::ScreenPointOf(sp_platform::display::X11WindowOf(p.window), 250, strip + 150, x, y);
}

void Act(EventLoopTimerRef, void* refCon) {
  Person& p = *static_cast<Person*>(refCon);
  int x = 0, y = 0;
  switch (p.step) {
    case 0:
      // Moved off first: a synchronous move to where the pointer already is would wait.
      RunTool({"xdotool", "mousemove", Str(p.buttonX + 5), Str(p.buttonY + 3), "mousemove",
               "--sync", Str(p.buttonX), Str(p.buttonY), p.c->dragged ? "mousedown" : "click",
               "1"});
      p.step = p.c->dragged ? 3 : 1;
      break;
    case 1:
      // The release was queued; by the next firing the loop has taken it.
      if (p.presses == 1 && !Button()) p.step = 2;
      break;
    case 2: {
      WindowRef menu = MenuWindow();
      if (menu == nullptr) {
        p.done = true;  // the release closed the menu
      } else if (Viewable(menu) && TargetPoint(p, menu, &x, &y)) {
        p.openAfterRelease = true;
        RunTool({"xdotool", "mousemove", "--sync", Str(x), Str(y), "click", "1"});
        p.step = 4;
      }
      break;
    }
    case 3: {
      WindowRef menu = MenuWindow();
      if (Viewable(menu) && TargetPoint(p, menu, &x, &y)) {
        RunTool({"xdotool", "mousemove", "--sync", Str(x), Str(y), "mouseup", "1"});
        p.step = 4;
      }
      break;
    }
    case 4:
      if (MenuWindow() == nullptr && GetControlHilite(p.popup) == 0 && !Button()) p.done = true;
      break;
    default:
      break;
  }
}

const Case kCases[] = {
    {"a click opens the menu, a click on an item chooses it", false, Target::kFourthItem, 4},
    {"a click opens the menu, a click outside it closes it with no choice", false,
     Target::kWindowOutsideTheMenu, 2},
    {"pressed, dragged to an item and released there: chosen", true, Target::kFourthItem, 4},
};

class DesktopPopupButton : public DesktopTest, public ::testing::WithParamInterface<int> {};

TEST_P(DesktopPopupButton, ChoosesAsADesktopUserExpects) {
  const Case& c = kCases[GetParam()];
  SCOPED_TRACE(c.what);
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "ポップアップ");
  ASSERT_NE(window, nullptr);
  const Rect bounds = R(40, 30, 60, 230);
  const std::string none = Pascal("");
  ControlRef popup =
      NewControl(window, &bounds, P255(none), true, 0, -12345, 0, kControlPopupButtonProc, 0);
  ASSERT_NE(popup, nullptr);
  MenuRef menu = NewMenu(300, P255(none));
  for (const char* text : {"One", "Two", "Three", "Four"}) {
    AppendMenuItemText(menu, P255(Pascal(text)));
  }
  SetControlPopupMenuHandle(popup, menu);
  SetControl32BitValue(popup, 2);
  Draw1Control(popup);

  Person person;
  person.c = &c;
  person.window = window;
  person.popup = popup;
  const int strip = sp_platform::display::StripHeightOf(window);
  ASSERT_TRUE(ScreenPointOf(window, 60, strip + 50, &person.buttonX, &person.buttonY));
  // Counts the presses that reach the window; the standard handling tracks the control after.
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseDown}}, [&person](EventRef) {
    ++person.presses;
    return OSStatus(eventNotHandledErr);
  });
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, NewEventLoopTimerUPP(Act),
                                  &person, &timer),
            noErr);
  PumpUntil([&person] { return person.done; }, "the person's steps");
  RemoveEventLoopTimer(timer);

  EXPECT_EQ(person.openAfterRelease, !c.dragged) << "a click's release leaves it open";
  EXPECT_EQ(GetControl32BitValue(popup), c.value);
  EXPECT_EQ(person.presses, 1) << "the second press was the menu's";
  EXPECT_EQ(MenuWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(All, DesktopPopupButton,
                         ::testing::Range(0, int(sizeof kCases / sizeof kCases[0])));

}  // namespace
}  // namespace desktop_test
