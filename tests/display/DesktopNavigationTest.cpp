// The open dialog on the real display: shown as a window of its own, a file chosen in its list
// and the Open button pressed with the mouse, and the reply carrying that file; notches of the
// mouse's wheel over the list scroll it a row each, down and back up.
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "Dialogs.h"
#include "Navigation.h"
#include "SpTextCodec.h"
#include "TestFiles.h"
#include "TestNavigation.h"
#include "XQueries.h"
#include "files/internal/FileLocations.h"
#include "ui/internal/Alerts.h"

namespace desktop_test {
namespace {

using Navigation = DesktopTest;

struct Replied {
  std::vector<std::string> paths;
  bool valid = false;
};

void EventProc(NavEventCallbackMessage message, NavCBRecPtr parms, void* ud) {
  if (message != kNavCBUserAction) return;
  Replied* replied = static_cast<Replied*>(ud);
  NavReplyRecord reply;
  if (NavDialogGetReply(parms->context, &reply) != noErr) return;
  replied->valid = reply.validRecord;
  SInt32 count = 0;
  AECountItems(&reply.selection, &count);
  for (SInt32 i = 1; i <= count; ++i) {
    FSRef ref;
    sp_platform::files::Location location;
    if (AEGetNthPtr(&reply.selection, i, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr) ==
            noErr &&
        sp_platform::files::LocateRef(&ref, location) == noErr) {
      replied->paths.push_back(location.path);
    }
  }
  NavDisposeReply(&reply);
}

// The steps a person takes, one at each turn of the dialog's loop that finds the last done.
struct Person {
  WindowRef window = nullptr;
  int step = 0;
  int turns = 0;
  Tool tool;
  std::string shownName;
  std::vector<std::string> selectedBeforeOpen;
  bool lost = false;
};

std::string Str(int v) {
  return std::to_string(v);
}

// Starts xdotool clicking at the local point of the dialog; false when it is not on screen.
bool ClickAt(Person& p, int x, int y) {
  int sx = 0, sy = 0;
  const int strip = sp_platform::display::StripHeightOf(p.window);
  if (!x11::ScreenPointOf(sp_platform::display::X11WindowOf(p.window), x, y + strip, &sx, &sy)) {
    return false;
  }
  return StartTool({"xdotool", "mousemove", "--sync", Str(sx), Str(sy), "click", "1"}, &p.tool);
}

void Turn(EventLoopTimerRef, void* refCon) {
  Person& p = *static_cast<Person*>(refCon);
  if (++p.turns > 1000) {
    // Nothing came of the clicks: the dialog is cancelled so that the test ends.
    p.lost = true;
    sp_platform::alerts::AbandonModalDialog(GetDialogFromWindow(p.window));
    return;
  }
  const unsigned long x = sp_platform::display::X11WindowOf(p.window);
  switch (p.step) {
    case 0: {
      Rect row;
      if (x == 0 || !x11::WindowViewable(x) ||
          !sp_testing::NavEntryRect(p.window, "b.aiff", &row)) {
        return;
      }
      p.shownName = x11::WindowName(x);
      if (ClickAt(p, (row.left + row.right) / 2, (row.top + row.bottom) / 2)) p.step = 1;
      return;
    }
    case 1: {
      if (!ToolFinished(&p.tool)) return;
      p.selectedBeforeOpen = sp_testing::NavSelectedNames(p.window);
      if (p.selectedBeforeOpen.empty()) return;  // the click is still on its way
      Rect button;
      GetDialogItem(GetDialogFromWindow(p.window), kNavItemDefaultButton, nullptr, nullptr,
                    &button);
      if (ClickAt(p, (button.left + button.right) / 2, (button.top + button.bottom) / 2)) {
        p.step = 2;
      }
      return;
    }
    default:
      ToolFinished(&p.tool);
      return;
  }
}

// Two notches towards the person, then one away, over the list's first row; the top row is
// noted after each.
struct Scroller {
  WindowRef window = nullptr;
  int step = 0;
  int turns = 0;
  Tool tool;
  std::vector<std::string> tops;
  bool lost = false;
};

void ScrollTurn(EventLoopTimerRef, void* refCon) {
  static const char* const kButtons[] = {"5", "5", "4"};  // down, down, up
  Scroller& p = *static_cast<Scroller*>(refCon);
  if (p.tool.pid > 0 && !ToolFinished(&p.tool)) return;
  if (++p.turns > 1000 || p.step > 3) {
    // Done, or nothing came of the wheel: the dialog ends so that the test does.
    p.lost = p.step <= 3;
    sp_platform::alerts::AbandonModalDialog(GetDialogFromWindow(p.window));
    return;
  }
  const unsigned long x = sp_platform::display::X11WindowOf(p.window);
  if (p.step == 0) {
    Rect row;
    if (x == 0 || !x11::WindowViewable(x) || !sp_testing::NavEntryRect(p.window, "f00.aiff", &row)) {
      return;
    }
    p.tops.push_back(sp_testing::NavTopShownName(p.window));
  } else {
    // The notch is handled once the top row changed.
    const std::string top = sp_testing::NavTopShownName(p.window);
    if (top == p.tops.back()) return;
    p.tops.push_back(top);
  }
  if (p.step == 3) {
    p.step = 4;
    return;
  }
  Rect list;
  GetDialogItem(GetDialogFromWindow(p.window), kNavItemList, nullptr, nullptr, &list);
  int sx = 0, sy = 0;
  const int strip = sp_platform::display::StripHeightOf(p.window);
  if (!x11::ScreenPointOf(x, list.left + 40, list.top + 10 + strip, &sx, &sy)) return;
  // The pointer moves once: a move with --sync to where it is already would wait for nothing.
  const std::vector<std::string> move = {"mousemove", "--sync", Str(sx), Str(sy)};
  std::vector<std::string> argv = {"xdotool"};
  if (p.step == 0) argv.insert(argv.end(), move.begin(), move.end());
  argv.insert(argv.end(), {"click", kButtons[p.step]});
  if (StartTool(argv, &p.tool)) ++p.step;
}

// Runs an open dialog on the folder while `turn` is called every 20 ms with `person`, whose
// window is the dialog's; a tool the turns left running is ended.
template <class Someone>
void RunOpenDialog(const std::string& folder, const NavDialogCreationOptions& options,
                   NavEventProcPtr eventProc, void* userData, EventLoopTimerProcPtr turn,
                   Someone* person) {
  NavDialogRef dialog = nullptr;
  ASSERT_EQ(
      NavCreateGetFileDialog(&options, nullptr, eventProc, nullptr, nullptr, userData, &dialog),
      noErr);
  sp_platform::files::Location location;
  ASSERT_EQ(sp_platform::files::LocatePath(folder, location), noErr);
  FSRef ref;
  sp_platform::files::MakeFSRef(location, &ref);
  AEDesc desc = {typeNull, nullptr};
  AECreateDesc(typeFSRef, &ref, sizeof ref, &desc);
  EXPECT_EQ(NavCustomControl(dialog, kNavCtlSetLocation, &desc), noErr);
  AEDisposeDesc(&desc);
  person->window = NavDialogGetWindow(dialog);
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.02, NewEventLoopTimerUPP(turn), person, &timer);
  EXPECT_EQ(NavDialogRun(dialog), noErr);
  RemoveEventLoopTimer(timer);
  if (person->tool.pid > 0 && !person->tool.finished) {
    kill(person->tool.pid, SIGKILL);
    ToolFinished(&person->tool);
  }
  NavDialogDispose(dialog);
}

TEST_F(Navigation, AFileChosenWithTheMouseInTheOpenDialogComesBackInTheReply) {
  sp_testing::HomeScope home;
  sp_testing::ResetNavigation();
  const std::string folder = home.Path("songs");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  for (const char* name : {"a.aiff", "b.aiff", "c.aiff"}) std::ofstream(folder + "/" + name) << "x";

  NavDialogCreationOptions options;
  NavGetDefaultDialogCreationOptions(&options);
  options.windowTitle = CFStringCreateWithCString(nullptr, "曲を開く", kCFStringEncodingUTF8);
  Replied replied;
  Person person;
  RunOpenDialog(folder, options, EventProc, &replied, Turn, &person);
  CFRelease(options.windowTitle);

  EXPECT_FALSE(person.lost) << "stopped at step " << person.step;
  EXPECT_EQ(person.shownName, "曲を開く");
  EXPECT_EQ(person.selectedBeforeOpen, (std::vector<std::string>{"b.aiff"}));
  EXPECT_TRUE(replied.valid);
  EXPECT_EQ(replied.paths, (std::vector<std::string>{folder + "/b.aiff"}));
}

TEST_F(Navigation, NotchesOfTheWheelOverTheOpenDialogsListScrollItARowEach) {
  sp_testing::HomeScope home;
  sp_testing::ResetNavigation();
  const std::string folder = home.Path("songs");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  for (int i = 0; i < 30; ++i) {
    std::ofstream(folder + "/f" + (i < 10 ? "0" : "") + std::to_string(i) + ".aiff") << "x";
  }
  NavDialogCreationOptions options;
  NavGetDefaultDialogCreationOptions(&options);
  Scroller person;
  RunOpenDialog(folder, options, nullptr, nullptr, ScrollTurn, &person);
  EXPECT_FALSE(person.lost) << "stopped at step " << person.step;
  EXPECT_EQ(person.tops,
            (std::vector<std::string>{"f00.aiff", "f01.aiff", "f02.aiff", "f01.aiff"}));
}

}  // namespace
}  // namespace desktop_test
