// The open dialog on the real display: shown as a window of its own, a file chosen in its list
// and the Open button pressed with the mouse, and the reply carrying that file.
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
  NavDialogRef dialog = nullptr;
  ASSERT_EQ(
      NavCreateGetFileDialog(&options, nullptr, EventProc, nullptr, nullptr, &replied, &dialog),
      noErr);
  CFRelease(options.windowTitle);
  sp_platform::files::Location location;
  ASSERT_EQ(sp_platform::files::LocatePath(folder, location), noErr);
  FSRef ref;
  sp_platform::files::MakeFSRef(location, &ref);
  AEDesc desc = {typeNull, nullptr};
  AECreateDesc(typeFSRef, &ref, sizeof ref, &desc);
  ASSERT_EQ(NavCustomControl(dialog, kNavCtlSetLocation, &desc), noErr);
  AEDisposeDesc(&desc);

  Person person;
  person.window = NavDialogGetWindow(dialog);
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.02, NewEventLoopTimerUPP(Turn), &person, &timer);
  EXPECT_EQ(NavDialogRun(dialog), noErr);
  RemoveEventLoopTimer(timer);
  if (person.tool.pid > 0 && !person.tool.finished) {
    kill(person.tool.pid, SIGKILL);
    ToolFinished(&person.tool);
  }
  NavDialogDispose(dialog);

  EXPECT_FALSE(person.lost) << "stopped at step " << person.step;
  EXPECT_EQ(person.shownName, "曲を開く");
  EXPECT_EQ(person.selectedBeforeOpen, (std::vector<std::string>{"b.aiff"}));
  EXPECT_TRUE(replied.valid);
  EXPECT_EQ(replied.paths, (std::vector<std::string>{folder + "/b.aiff"}));
}

}  // namespace
}  // namespace desktop_test
