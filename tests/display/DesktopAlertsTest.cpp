// Alerts, sheets, say dialogs and the save dialog on the real display, as the program shows
// them: their texts reach the screen (read back with xwd) before any input, a sheet lies on
// its parent's top edge, and a dialog left open sleeps.
#include <time.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "Dialogs.h"
#include "Navigation.h"
#include "SpStdFunctionNumber.h"
#include "SpStdSayDialog.h"
#include "TestFiles.h"
#include "TestResources.h"
#include "XQueries.h"
#include "ui/internal/Alerts.h"

namespace desktop_test {
namespace {

constexpr int kEnoughDarkPixels = 20;
constexpr int kMostLooks = 50;  // a few seconds: each look reads the screen with xwd
constexpr int kParentWidth = 520;

// A text the say calls take (they want writable buffers).
std::vector<char> Text(const char* utf8) {
  const std::string bytes = MJ(utf8);
  std::vector<char> text(bytes.begin(), bytes.end());
  text.push_back(0);
  return text;
}

// The front-most visible dialog window (a sheet lies just in front of its parent).
WindowRef ShownDialog() {
  for (WindowRef w = GetWindowList(); w != nullptr; w = GetNextWindow(w)) {
    if (IsWindowVisible(w) && GetDialogFromWindow(w) != nullptr) return w;
  }
  return nullptr;
}

// Ends the loop that runs the dialog, whichever it is, as a cancel would.
void EndDialog(WindowRef window) {
  sp_platform::alerts::AbandonModalDialog(GetDialogFromWindow(window));
  QuitAppModalLoopForWindow(window);
}

// Pixels dark as text inside the dialog item's rectangle, in the image of its window.
int DarkPixelsOfItem(const ScreenImage& image, WindowRef window, DialogItemIndex item) {
  Rect r = {0, 0, 0, 0};
  GetDialogItem(GetDialogFromWindow(window), item, nullptr, nullptr, &r);
  const int strip = sp_platform::display::StripHeightOf(window);
  int dark = 0;
  for (int y = std::max(0, r.top + strip); y < std::min(image.height, r.bottom + strip); ++y) {
    for (int x = std::max(0, int(r.left)); x < std::min(image.width, int(r.right)); ++x) {
      const UInt32 p = image.At(x, y);
      if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 300) ++dark;
    }
  }
  return dark;
}

// What a person sees of the dialog, looked at on each turn of its loop (no input given) until
// every text item shows text or the looks run out; then the dialog is ended.
struct Look {
  std::function<bool(WindowRef, ScreenImage*)> read;
  std::vector<DialogItemIndex> items;
  std::vector<int> dark;
  WindowRef window = nullptr;
  int looks = 0;
  int sx = 0, sy = 0;  // the dialog's top-left corner on the screen
};

void LookAtTheDialog(EventLoopTimerRef, void* refCon) {
  Look& look = *static_cast<Look*>(refCon);
  WindowRef window = ShownDialog();
  if (window == nullptr) return;
  if (++look.looks > kMostLooks) {
    EndDialog(window);
    return;
  }
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  ScreenImage image;
  if (id == 0 || !x11::WindowViewable(id) || !look.read(window, &image)) return;
  look.window = window;
  x11::ScreenPointOf(id, 0, 0, &look.sx, &look.sy);
  look.dark.clear();
  for (DialogItemIndex item : look.items)
    look.dark.push_back(DarkPixelsOfItem(image, window, item));
  if (std::all_of(look.dark.begin(), look.dark.end(), [](int n) { return n >= kEnoughDarkPixels; }))
    EndDialog(window);
}

class DesktopAlerts : public DesktopTest {
 protected:
  Look RunLooking(std::vector<DialogItemIndex> items, const std::function<void()>& run) {
    Look look;
    look.read = [this](WindowRef window, ScreenImage* image) {
      return ReadWindowImage(window, image);
    };
    look.items = std::move(items);
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, LookAtTheDialog, &look, &timer);
    run();
    RemoveEventLoopTimer(timer);
    return look;
  }
};

// The framework's dialogs come from the program's resources while it lives.
struct AppResources {
  AppResources() { EXPECT_EQ(sp_testing::UseCompiledAppResources(), noErr); }
  ~AppResources() { sp_testing::ResetResources(); }
};

void RunSaveDialog() {
  NavDialogCreationOptions options;
  NavGetDefaultDialogCreationOptions(&options);
  options.saveFileName = CFStringCreateWithCString(nullptr, "Day Trip.aif", kCFStringEncodingUTF8);
  NavDialogRef dialog = nullptr;
  EXPECT_EQ(NavCreatePutFileDialog(&options, 0, 0, nullptr, nullptr, &dialog), noErr);
  CFRelease(options.saveFileName);
  NavDialogRun(dialog);
  NavDialogDispose(dialog);
}

TEST_F(DesktopAlerts, EveryAlertSheetAndDialogShowsItsTextsOnTheScreenBeforeAnyInput) {
  sp_testing::HomeScope home;
  Sp_CarbonEvent_ModeEnable();  // as the program runs its say dialogs
  AppResources resources;
  WindowRef parent = ShowWindowOnDesktop(R(120, 100, 420, 100 + kParentWidth), "親");
  ASSERT_NE(parent, nullptr);
  std::vector<char> title = Text("保存の中止"), message = Text("保存の中止が指示されました。"),
                    stop = Text("中止する"), keepOn = Text("続ける"), close = Text("閉じる");
  struct Case {
    const char* why;
    std::vector<DialogItemIndex> textItems;
    std::function<void()> run;
    bool sheet;
  } cases[] = {
      {"a standard alert (the program's alert without a window): message and explanation",
       {5, 6},
       [&] {
         Sp_SayAlertByModal(kAlertCautionAlert, title.data(), message.data(), stop.data(),
                            keepOn.data(), nullptr);
       },
       false},
      {"a sheet on a window (the cancel question of a save): only its update draws it",
       {5, 6},
       [&] {
         SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(), message.data(),
                                          stop.data(), keepOn.data());
       },
       true},
      {"a sheet with one button (the error alert of an unreadable file)",
       {5, 6},
       [&] {
         SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(), message.data(),
                                          close.data(), nullptr);
       },
       true},
      {"a say dialog from the framework's resources (its message is item 3)",
       {3},
       [&] { Sp_SayDialogByModal(message.data(), 0); },
       false},
      {"the save dialog: its name field, made visible by NavDialogRun, not drawn by it",
       {kNavItemNameField},
       RunSaveDialog,
       false},
  };
  int px = 0, py = 0;
  ASSERT_TRUE(ScreenPointOf(parent, 0, sp_platform::display::StripHeightOf(parent), &px, &py));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const Look look = RunLooking(c.textItems, c.run);
    ASSERT_NE(look.window, nullptr) << "never seen on the screen";
    for (std::size_t i = 0; i < c.textItems.size(); ++i) {
      EXPECT_GE(look.dark[i], kEnoughDarkPixels) << "item " << c.textItems[i] << " shows no text";
    }
    if (!c.sheet) continue;
    // Attached: its top edge on the parent's content top, within the parent's width.
    EXPECT_EQ(look.sy, py);
    EXPECT_GE(look.sx, px);
    EXPECT_LE(look.sx, px + kParentWidth);
  }
}

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The processor time the process spends while a dialog waits on its own for two seconds.
struct Idle {
  double cpu = 0, wall = 0;
  int firings = 0;  // of the timer of every pass, while measured
};

void MeasureFrom(EventLoopTimerRef, void* refCon) {
  Idle& idle = *static_cast<Idle*>(refCon);
  idle.cpu = -Seconds(CLOCK_PROCESS_CPUTIME_ID);
  idle.wall = -Seconds(CLOCK_MONOTONIC);
  idle.firings = 0;
}

void MeasureToAndEnd(EventLoopTimerRef, void* refCon) {
  Idle& idle = *static_cast<Idle*>(refCon);
  idle.cpu += Seconds(CLOCK_PROCESS_CPUTIME_ID);
  idle.wall += Seconds(CLOCK_MONOTONIC);
  if (WindowRef window = ShownDialog()) EndDialog(window);
}

TEST_F(DesktopAlerts, ADialogLeftWaitingSleepsWhileWorkOfEveryPassGoesOnSlowly) {
  WindowRef parent = ShowWindowOnDesktop(R(120, 100, 420, 100 + kParentWidth), "待つ");
  ASSERT_NE(parent, nullptr);
  // Nothing but the dialog's own loop wakes the process: the fixture's beat stops.
  RemoveEventLoopTimer(waker_);
  waker_ = nullptr;
  std::vector<char> title = Text("待機"), message = Text("待っています。"), ok = Text("OK");
  struct Case {
    const char* why;
    std::function<void()> run;
  } cases[] = {
      {"a sheet's window-modal loop (RunAppModalLoopForWindow)",
       [&] {
         SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(), message.data(),
                                          ok.data(), nullptr);
       }},
      {"an alert's ModalDialog loop",
       [&] {
         Sp_SayAlertByModal(kAlertNoteAlert, title.data(), message.data(), ok.data(), nullptr,
                            nullptr);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Idle idle;
    // A timer of every pass with nothing to do, as the save engine's steps while a question is
    // up; the dialog has half a second to be shown, then two seconds are measured.
    EventLoopTimerRef timers[3] = {};
    InstallEventLoopTimer(
        GetMainEventLoop(), 0, kEventDurationMicrosecond,
        [](EventLoopTimerRef, void* i) { ++static_cast<Idle*>(i)->firings; }, &idle, &timers[0]);
    InstallEventLoopTimer(GetMainEventLoop(), 0.5, 0, MeasureFrom, &idle, &timers[1]);
    InstallEventLoopTimer(GetMainEventLoop(), 2.5, 0, MeasureToAndEnd, &idle, &timers[2]);
    c.run();
    for (EventLoopTimerRef t : timers) RemoveEventLoopTimer(t);
    ASSERT_GE(idle.wall, 1.9) << "the dialog ended early";
    // A loop that spun would take a whole core. A quarter leaves room for a host busy with
    // other work, where the same waiting took 11 % once (a build on the other cores).
    EXPECT_LT(idle.cpu, 0.25 * idle.wall) << idle.cpu << " s of processor time in " << idle.wall;
    EXPECT_GE(idle.firings, 20) << "the work behind the dialog stood still";
  }
}

}  // namespace
}  // namespace desktop_test
