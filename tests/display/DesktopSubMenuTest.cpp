// A sub-menu of the menu strip on the real display: the menu clicked open from its title, the
// pointer resting on a hierarchical item opens the sub-menu in a window of its own beside the
// menu, and a click on its item runs that item's command.
#include <signal.h>

#include <string>
#include <vector>

#include "CommandEvents.h"
#include "DesktopFixture.h"
#include "Menus.h"
#include "ProgramDriver.h"
#include "SpTesting.h"
#include "XQueries.h"
#include "ui/internal/Menus.h"
#include "ui/internal/Windows.h"

namespace desktop_test {
namespace {

class SubMenus : public DesktopTest {
 protected:
  // The commands the menus send from now on, in order, into commands_.
  void ListenForCommands() {
    Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
           [this](EventRef e) {
             commands_.push_back(CommandIDOf(e));
             return OSStatus(noErr);
           });
  }
  // The screen point just inside the menu's title in the window's strip.
  bool TitlePoint(WindowRef window, MenuRef menu, int* x, int* y) {
    Rect title = {0, 0, 0, 0};
    for (const auto& t : sp_platform::menus::BarTitles()) {
      if (t.menu == menu) title = t.bounds;
    }
    return title.right > title.left && ScreenPointOf(window, title.left + 4, 10, x, y);
  }

  std::vector<UInt32> commands_;
};

std::string Str(int v) {
  return std::to_string(v);
}

// The menus' windows on the screen now, front to back.
std::vector<WindowRef> MenusOnScreen() {
  std::vector<WindowRef> shown;
  for (WindowRef w : sp_platform::WindowListFrontToBack()) {
    WindowClass cls = 0;
    GetWindowClass(w, &cls);
    if (cls == kHelpWindowClass && IsWindowVisible(w) &&
        x11::WindowViewable(sp_platform::display::X11WindowOf(w))) {
      shown.push_back(w);
    }
  }
  return shown;
}

// Runs from the timers, which fire while the menus' own loop tracks the pointer: once the
// File menu is on the screen the pointer moves onto Recent, with no button held; once the
// sub-menu is on the screen too it clicks the sub-menu's first item.
struct Script {
  int step = 0;
  Tool tool;
  Rect fileMenu = {0, 0, 0, 0};
  Rect subMenu = {0, 0, 0, 0};
};

void RunScript(EventLoopTimerRef, void* refCon) {
  Script& s = *static_cast<Script*>(refCon);
  if (s.tool.pid > 0 && !ToolFinished(&s.tool)) return;
  const std::vector<WindowRef> menus = MenusOnScreen();
  int sx = 0, sy = 0;
  if (s.step == 0 && menus.size() == 1) {
    GetWindowBounds(menus[0], kWindowContentRgn, &s.fileMenu);
    // Recent, the third item (18 pixels an item), in the File menu's window.
    if (!x11::ScreenPointOf(sp_platform::display::X11WindowOf(menus[0]), 20, 36 + 9, &sx, &sy)) {
      return;
    }
    if (StartTool({"xdotool", "mousemove", "--sync", Str(sx), Str(sy)}, &s.tool)) s.step = 1;
  } else if (s.step == 1 && menus.size() == 2) {
    GetWindowBounds(menus[0], kWindowContentRgn, &s.subMenu);
    if (!x11::ScreenPointOf(sp_platform::display::X11WindowOf(menus[0]), 20, 9, &sx, &sy)) return;
    if (StartTool({"xdotool", "mousemove", "--sync", Str(sx), Str(sy), "click", "1"}, &s.tool)) {
      s.step = 2;
    }
  }
}

TEST_F(SubMenus, ThePointerRestingOnAHierarchicalItemOpensItsSubMenuWhoseItemRuns) {
  MenuRef file = NewMenu(200, PStr("File").data());
  ASSERT_NE(file, nullptr);
  for (const char* text : {"Open", "Save", "Recent"}) AppendMenuItemText(file, PStr(text).data());
  SetMenuItemCommandID(file, 1, SpFourCC("open"));
  SetMenuItemHierarchicalID(file, 3, 210);
  InsertMenu(file, 0);
  MenuRef recent = NewMenu(210, PStr("Recent").data());
  ASSERT_NE(recent, nullptr);
  AppendMenuItemText(recent, PStr("First song").data());
  SetMenuItemCommandID(recent, 1, SpFourCC("recA"));
  InsertMenu(recent, kInsertHierarchicalMenu);
  DrawMenuBar();
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "サブメニュー");
  ASSERT_NE(window, nullptr);
  ListenForCommands();
  int tx = 0, ty = 0;
  ASSERT_TRUE(TitlePoint(window, file, &tx, &ty));

  Script script;
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.02, NewEventLoopTimerUPP(RunScript), &script,
                        &timer);
  // A click on the title leaves the menu open; the script does the rest.
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(tx), Str(ty), "click", "1"}));
  PumpUntil([this] { return !commands_.empty(); }, "the command of the sub-menu's item");
  RemoveEventLoopTimer(timer);
  if (script.tool.pid > 0 && !script.tool.finished) {
    kill(script.tool.pid, SIGKILL);
    ToolFinished(&script.tool);
  }
  EXPECT_EQ(script.step, 2);
  EXPECT_EQ(commands_, std::vector<UInt32>{SpFourCC("recA")});
  EXPECT_EQ(script.subMenu.left, script.fileMenu.right) << "beside the menu";
  EXPECT_EQ(script.subMenu.top, script.fileMenu.top + 36) << "level with its item";
  EXPECT_TRUE(MenusOnScreen().empty()) << "both menus closed";
}

// While a menu is open the pointer is the program's, as desktop menus hold it: a click on
// another program's window closes the menu, chooses nothing and never reaches that window.
// Armed, the script clicks there once a menu shows, noting where that menu stood.
struct ClickElsewhere {
  bool armed = false;
  int step = 0;
  Tool tool;
  int sx = 0, sy = 0;
  Rect opened = {0, 0, 0, 0};
};

void ClickElsewhereOnceOpen(EventLoopTimerRef, void* refCon) {
  ClickElsewhere& s = *static_cast<ClickElsewhere*>(refCon);
  if (!s.armed || MenusOnScreen().size() != 1) return;
  GetWindowBounds(MenusOnScreen()[0], kWindowStructureRgn, &s.opened);
  if (StartTool({"xdotool", "mousemove", "--sync", Str(s.sx), Str(s.sy), "click", "1"}, &s.tool)) {
    s.armed = false;
    ++s.step;
  }
}

TEST_F(SubMenus, AClickOnAnotherProgramsWindowClosesTheOpenMenuAndStaysWithTheMenu) {
  MenuRef file = NewMenu(200, PStr("File").data());
  MenuRef setup = NewMenu(201, PStr("Setup").data());
  ASSERT_NE(file, nullptr);
  ASSERT_NE(setup, nullptr);
  for (const char* text : {"Open", "Save"}) AppendMenuItemText(file, PStr(text).data());
  AppendMenuItemText(setup, PStr("Speed").data());
  SetMenuItemCommandID(file, 1, SpFourCC("open"));
  InsertMenu(file, 0);
  InsertMenu(setup, 0);
  DrawMenuBar();
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "メニュー");
  ASSERT_NE(window, nullptr);
  x11::OtherWindow other(700, 450, 200, 150);
  ASSERT_TRUE(PumpUntil([&] { return x11::WindowViewable(other.Id()); }, "the other window"));
  ListenForCommands();
  ClickElsewhere script;
  ASSERT_TRUE(x11::ScreenPointOf(other.Id(), 100, 75, &script.sx, &script.sy));
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.02, NewEventLoopTimerUPP(ClickElsewhereOnceOpen),
                        &script, &timer);
  // Each title in turn: the pointer jumps from the other window straight onto the second title
  // (no motion the program sees in between), and that click is taken where it happened.
  Rect opened[2];
  int step = 0;
  for (MenuRef menu : {file, setup}) {
    int tx = 0, ty = 0;
    ASSERT_TRUE(TitlePoint(window, menu, &tx, &ty));
    script.armed = true;
    ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(tx), Str(ty), "click", "1"}));
    ++step;
    EXPECT_TRUE(PumpUntil(
        [&] {
          return script.step == step && ToolFinished(&script.tool) && MenusOnScreen().empty() &&
                 !sp_platform::menus::MenusOpen();
        },
        "the menu to close at the click elsewhere"));
    opened[step - 1] = script.opened;
  }
  RemoveEventLoopTimer(timer);
  if (script.tool.pid > 0 && !script.tool.finished) {
    kill(script.tool.pid, SIGKILL);
    ToolFinished(&script.tool);
  }
  EXPECT_EQ(script.step, 2);
  EXPECT_TRUE(commands_.empty()) << "nothing chosen";
  EXPECT_EQ(other.Presses(), 0) << "the clicks stayed with the menus";
  Rect titles[2] = {};
  for (const auto& t : sp_platform::menus::BarTitles()) {
    if (t.menu == file) titles[0] = t.bounds;
    if (t.menu == setup) titles[1] = t.bounds;
  }
  EXPECT_EQ(opened[1].left - opened[0].left, titles[1].left - titles[0].left)
      << "the second click opened the menu of the title it hit";

  // From the other window straight into this one's content, a notch of the wheel: it is taken
  // where the pointer jumped to, as the click was.
  std::vector<Point> notches;
  Listen(GetWindowEventTarget(window), {{kEventClassMouse, kEventMouseWheelMoved}},
         [&notches](EventRef e) {
           Point where = {0, 0};
           GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                             nullptr, &where);
           notches.push_back(where);
           return OSStatus(noErr);
         });
  const int strip = sp_platform::display::StripHeightOf(window);
  int wx = 0, wy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 120, strip + 150, &wx, &wy));
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(wx), Str(wy), "click", "5"}));
  ASSERT_TRUE(PumpUntil([&notches] { return !notches.empty(); }, "the wheel notch"));
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  EXPECT_EQ(notches[0].h, content.left + 120);
  EXPECT_EQ(notches[0].v, content.top + 150);
}

// The pointer held for a menu is let go with the desktop, however soon after the menu that
// closes: here from the command of the item chosen, before the loop has seen the menu close.
void ClickTheFirstItemOnceOpen(EventLoopTimerRef, void* refCon) {
  ClickElsewhere& s = *static_cast<ClickElsewhere*>(refCon);
  const std::vector<WindowRef> menus = MenusOnScreen();
  if (s.step != 0 || menus.size() != 1 ||
      !x11::ScreenPointOf(sp_platform::display::X11WindowOf(menus[0]), 20, 9, &s.sx, &s.sy)) {
    return;
  }
  if (StartTool({"xdotool", "mousemove", "--sync", Str(s.sx), Str(s.sy), "click", "1"}, &s.tool)) {
    s.step = 1;
  }
}

TEST_F(SubMenus, TheDesktopClosedRightAfterAMenusCommandLetsThePointerGo) {
  MenuRef file = NewMenu(200, PStr("File").data());
  ASSERT_NE(file, nullptr);
  AppendMenuItemText(file, PStr("Open").data());
  SetMenuItemCommandID(file, 1, SpFourCC("open"));
  InsertMenu(file, 0);
  DrawMenuBar();
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "メニュー");
  ASSERT_NE(window, nullptr);
  bool heldAtTheCommand = false;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [this, &heldAtTheCommand](EventRef e) {
           commands_.push_back(CommandIDOf(e));
           heldAtTheCommand = x11::LeftOnTheDesktop().pointerTaken;
           sp_platform::display::CloseDesktop();
           return OSStatus(noErr);
         });
  int tx = 0, ty = 0;
  ASSERT_TRUE(TitlePoint(window, file, &tx, &ty));
  ClickElsewhere script;
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.02,
                        NewEventLoopTimerUPP(ClickTheFirstItemOnceOpen), &script, &timer);
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(tx), Str(ty), "click", "1"}));
  PumpUntil([this] { return !commands_.empty(); }, "the command of the menu's item");
  RemoveEventLoopTimer(timer);
  if (script.tool.pid > 0 && !WaitForTool(&script.tool, kProgramLimitMillis)) {
    kill(script.tool.pid, SIGKILL);
    ToolFinished(&script.tool);
  }
  EXPECT_EQ(commands_, std::vector<UInt32>{SpFourCC("open")});
  EXPECT_TRUE(heldAtTheCommand) << "the menu's pointer was let go before the command came";
  const x11::Leftovers left = x11::LeftOnTheDesktop();
  EXPECT_FALSE(left.pointerTaken) << "the desktop closed with the pointer held:" << left.Say();
}

}  // namespace
}  // namespace desktop_test
