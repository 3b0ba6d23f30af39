// Where windows are on the desktop and what kind they are there: a window's content shows
// exactly where the toolbox put it (the window manager's frame goes around it), the toolbox
// learns every place the window manager gives it, a dialog made as a menu closes is a dialog
// of its own, not the menu's popup, and a dialog a modal loop's window opens stays in front.
#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "DesktopFixture.h"
#include "XQueries.h"
#include "ui/internal/Menus.h"

namespace desktop_test {
namespace {

using DesktopPlaces = DesktopTest;

std::string N(int v) {
  return std::to_string(v);
}

// The screen position of the window's content (below the strip of a document window).
bool ContentOnScreen(WindowRef window, int* x, int* y) {
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  const int strip = sp_platform::display::StripHeightOf(window);
  return x11::ScreenPointOf(id, 0, strip, x, y);
}

// The toolbox's content is where the screen shows it.
bool BoundsAreThePlaceOnTheScreen(WindowRef window) {
  Rect r;
  int x = 0, y = 0;
  return GetWindowBounds(window, kWindowContentRgn, &r) == noErr &&
         ContentOnScreen(window, &x, &y) && x == r.left && y == r.top;
}

Rect ContentOf(WindowRef window) {
  Rect r = {0, 0, 0, 0};
  GetWindowBounds(window, kWindowContentRgn, &r);
  return r;
}

// The window made anew each time at the place the program kept (as the program keeps a
// dialog's place between its showings): a window of each kind the program shows.
TEST_F(DesktopPlaces, AWindowMadeAgainAtItsKeptPlaceShowsExactlyThereEveryTime) {
  const struct {
    const char* why;
    WindowClass windowClass;
  } cases[] = {
      {"a document window: its frame and the menu strip sit above the content",
       kDocumentWindowClass},
      {"a movable dialog: a frame with a title bar", kMovableModalWindowClass},
      {"a dialog without a frame", kModalWindowClass},
  };
  const Rect kept = R(230, 170, 330, 470);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    for (int showing = 1; showing <= 3; ++showing) {
      SCOPED_TRACE("showing " + N(showing));
      WindowRef window = ShowWindowOnDesktop(kept, "場所", c.windowClass);
      ASSERT_NE(window, nullptr);
      int x = 0, y = 0;
      ASSERT_TRUE(ContentOnScreen(window, &x, &y));
      EXPECT_EQ(x, kept.left);
      EXPECT_EQ(y, kept.top);
      const Rect now = ContentOf(window);
      EXPECT_EQ(now.left, kept.left) << "the toolbox heard of no other place";
      EXPECT_EQ(now.top, kept.top);
      DisposeWindow(window);
      sp_platform::display::SyncDesktop();
    }
  }
}

// Each time a window is mapped or moved, by the window manager or by the toolbox (also before
// the window manager answered the map or the move before), the toolbox ends with the place the
// screen shows.
TEST_F(DesktopPlaces, TheToolboxLearnsEveryPlaceTheWindowManagerGivesAWindow) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "追う", kDocumentWindowClass,
                                         kWindowStandardHandlerAttribute);
  ASSERT_NE(window, nullptr);
  const std::string id = N(int(sp_platform::display::X11WindowOf(window)));
  const int strip = sp_platform::display::StripHeightOf(window);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("round " + N(round));
    const int left = 60 + 70 * round, top = 90 + 45 * round;
    // The window manager moves it (static gravity: the point asked for is the content's).
    ASSERT_TRUE(RunToolPumping({"xdotool", "windowmove", "--sync", id, N(left), N(top)}));
    PumpUntil(
        [window, left, top, strip] {
          const Rect r = ContentOf(window);
          return BoundsAreThePlaceOnTheScreen(window) && r.left == left && r.top == top + strip;
        },
        "the window manager's move to reach the toolbox");
    // Hidden and shown again, moved by the toolbox before the window manager has mapped it.
    HideWindow(window);
    sp_platform::display::SyncDesktop();
    ShowWindow(window);
    sp_platform::display::SyncDesktop();
    MoveWindow(window, SInt16(left + 25), SInt16(top + 35), false);
    sp_platform::display::SyncDesktop();
    MoveWindow(window, SInt16(left + 5), SInt16(top + 55), false);
    ASSERT_TRUE(WaitUntilShown(window));
    PumpUntil(
        [window, left, top] {
          const Rect r = ContentOf(window);
          return BoundsAreThePlaceOnTheScreen(window) && r.left == left + 5 && r.top == top + 55;
        },
        "the toolbox's last move to show on the screen");
  }
  // Moves far off the screen, which the window manager cuts back to keep a corner in sight:
  // the second lands where the first did, and the toolbox learns that too.
  for (const int far : {-2000, -3000}) {
    SCOPED_TRACE("moved to " + N(far));
    MoveWindow(window, SInt16(far), SInt16(far), false);
    sp_platform::display::SyncDesktop();
    PumpUntil(
        [window, far] {
          const Rect r = ContentOf(window);
          return BoundsAreThePlaceOnTheScreen(window) && r.left > far;
        },
        "the window manager's own place to reach the toolbox");
  }
}

// Pixels of the strip over the title's width in the hilite colour.
int HilitedPixels(const ScreenImage& strip, const Rect& title) {
  int hilited = 0;
  for (int y = 0; y < GetMBarHeight() && y < strip.height; ++y) {
    for (int x = title.left; x < title.right && x < strip.width; ++x) {
      if (strip.At(x, y) == 0x2F5EB5) ++hilited;
    }
  }
  return hilited;
}

// The menu's popup window is disposed of as the menu closes, and the chosen command makes a
// dialog at once (it may get the popup's address) and keeps running while the dialog shows:
// the dialog is a normal, framed window that the window manager moves, and the menu's title
// is not hilited meanwhile.
TEST_F(DesktopPlaces, ADialogMadeAsAMenuClosesIsAFramedMovableWindowAndTheTitleIsUnhilited) {
  MenuRef menu = NewMenu(200, reinterpret_cast<ConstStr255Param>("\x04"
                                                                 "File"));
  ASSERT_NE(menu, nullptr);
  AppendMenuItemText(menu, reinterpret_cast<ConstStr255Param>("\x0B"
                                                              "Settings..."));
  SetMenuItemCommandID(menu, 1, SpFourCC("setu"));
  InsertMenu(menu, 0);
  DrawMenuBar();
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "メニュー");
  ASSERT_NE(window, nullptr);
  Rect title = {0, 0, 0, 0};
  for (const auto& t : sp_platform::menus::BarTitles()) {
    if (t.menu == menu) title = t.bounds;
  }
  ASSERT_GT(title.right, title.left);
  WindowRef dialog = nullptr;
  int hilitedWhileCommandRuns = -1;
  Listen(GetApplicationEventTarget(), {{kEventClassCommand, kEventCommandProcess}},
         [this, window, title, &dialog, &hilitedWhileCommandRuns](EventRef) {
           const Rect bounds = R(260, 200, 360, 440);
           CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute, &bounds,
                           &dialog);
           if (dialog != nullptr) ShowWindow(dialog);
           ScreenImage shot;
           if (ReadWindowImage(window, &shot)) hilitedWhileCommandRuns = HilitedPixels(shot, title);
           return OSStatus(noErr);
         });
  int tx = 0, ty = 0;
  ASSERT_TRUE(ScreenPointOf(window, title.left + 4, 10, &tx, &ty));
  const Rect bar = sp_platform::menus::MenuBarBounds();
  const int ix = bar.left + title.left + 30, iy = bar.bottom + 9;
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", N(tx), N(ty), "mousedown", "1",
                              "mousemove", "--sync", N(ix), N(iy), "mouseup", "1"}));
  PumpUntil([&dialog] { return dialog != nullptr; }, "the dialog of the item chosen");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(hilitedWhileCommandRuns, 0) << "the title is unhilited while the command runs";
  ASSERT_TRUE(WaitUntilShown(dialog));

  const unsigned long id = sp_platform::display::X11WindowOf(dialog);
  x11::WindowLook look;
  ASSERT_TRUE(x11::LookOf(id, &look));
  EXPECT_FALSE(look.overrideRedirect) << "the window manager looks after it";
  EXPECT_TRUE(look.type == "_NET_WM_WINDOW_TYPE_NORMAL" ||
              look.type == "_NET_WM_WINDOW_TYPE_DIALOG")
      << look.type;
  PumpUntil(
      [id] {
        x11::WindowLook now;
        return x11::LookOf(id, &now) && now.top > 0;
      },
      "the dialog's frame");
  ASSERT_TRUE(RunToolPumping({"xdotool", "windowmove", "--sync", N(int(id)), "330", "290"}));
  PumpUntil(
      [dialog] {
        const Rect r = ContentOf(dialog);
        return BoundsAreThePlaceOnTheScreen(dialog) && r.left == 330 && r.top == 290;
      },
      "the dialog to move");
}

// The window manager destroys the frame of a window it lets go while the display's library
// may still ask where that frame lies: the server's "no such window" ends nothing.
TEST_F(DesktopPlaces, AnAnswerThatAWindowIsGoneEndsNothing) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "残る");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(x11::AskThroughTheProgramsConnectionAboutAGoneWindow(
      sp_platform::display::SDLWindowIDOf(window)));
  MoveWindow(window, 200, 210, false);
  PumpUntil(
      [window] { return BoundsAreThePlaceOnTheScreen(window) && ContentOf(window).top == 210; },
      "the window to go on");
}

// The steps a timer takes while a modal loop runs, one per firing, each when its condition
// holds.
struct Steps {
  std::vector<std::function<bool()>> steps;
  std::size_t next = 0;
};

void TakeStep(EventLoopTimerRef, void* refCon) {
  Steps& s = *static_cast<Steps*>(refCon);
  if (s.next < s.steps.size() && s.steps[s.next]()) ++s.next;
}

unsigned long ActiveWindow() {
  std::string out;
  return RunTool({"xdotool", "getactivewindow"}, &out) ? std::stoul("0" + out) : 0;
}

// A modal loop runs for the set-up's window, and that window opens another dialog (as it opens
// the folder choice) that runs no loop of its own: the new dialog takes the focus and stays in
// front of the set-up, which the window manager is not asked to bring back over it. When the
// window manager then hands the set-up the focus (as it may when a dialog over the folder
// choice closes), the folder choice is brought back over it and keeps the toolbox's front.
TEST_F(DesktopPlaces, ADialogThatAModalLoopsWindowOpensStaysInFrontOfIt) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 450, 620), "親");
  ASSERT_NE(window, nullptr);
  WindowRef setup = ShowWindowOnDesktop(R(200, 150, 360, 450), "設定", kMovableModalWindowClass);
  ASSERT_NE(setup, nullptr);
  WindowRef child = nullptr;
  bool childInFront = false, keptInFront = false;
  unsigned long active = 0;
  UInt32 until = 0;
  Steps script;
  // Moves the window manager answers after it took every request made before: the focus it
  // gave the new dialog has reached the toolbox after the first, and whatever the toolbox
  // asked of the window manager then has been done after the second.
  const auto moveTo = [&child](int left, int top) {
    return [&child, left, top] {
      MoveWindow(child, SInt16(left), SInt16(top), false);
      return true;
    };
  };
  const auto movedTo = [&child](int left, int top) {
    return [&child, left, top] {
      const Rect r = ContentOf(child);
      return BoundsAreThePlaceOnTheScreen(child) && r.left == left && r.top == top;
    };
  };
  script.steps = {
      [&child] {
        const Rect bounds = R(260, 260, 420, 560);
        CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute, &bounds, &child);
        ShowWindow(child);
        SelectWindow(child);
        return true;
      },
      [&child] { return x11::WindowViewable(sp_platform::display::X11WindowOf(child)); },
      moveTo(270, 280),
      movedTo(270, 280),
      moveTo(280, 290),
      movedTo(280, 290),
      [&child, &childInFront, &active, setup] {
        childInFront = x11::StackingIndex(sp_platform::display::X11WindowOf(child)) >
                       x11::StackingIndex(sp_platform::display::X11WindowOf(setup));
        active = ActiveWindow();
        return true;
      },
      [setup] {
        std::string out;
        return RunTool({"xdotool", "windowactivate",
                        std::to_string(sp_platform::display::X11WindowOf(setup))},
                       &out);
      },
      moveTo(290, 300),
      movedTo(290, 300),
      moveTo(300, 310),
      movedTo(300, 310),
      [&child, &keptInFront, &until, setup] {
        if (until == 0) until = TickCount() + 20 * 60;
        keptInFront = FrontNonFloatingWindow() == child &&
                      x11::StackingIndex(sp_platform::display::X11WindowOf(child)) >
                          x11::StackingIndex(sp_platform::display::X11WindowOf(setup));
        if (!keptInFront && TickCount() < until) return false;
        QuitAppModalLoopForWindow(setup);
        return true;
      },
  };
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, NewEventLoopTimerUPP(TakeStep),
                                  &script, &timer),
            noErr);
  RunAppModalLoopForWindow(setup);
  RemoveEventLoopTimer(timer);
  ASSERT_EQ(script.next, script.steps.size()) << "the steps ran through";
  EXPECT_TRUE(childInFront) << "the dialog lies over the set-up";
  EXPECT_EQ(active, sp_platform::display::X11WindowOf(child)) << "the dialog has the focus";
  EXPECT_TRUE(keptInFront) << "the focus given to the set-up brought the dialog back over it";
}

}  // namespace
}  // namespace desktop_test
