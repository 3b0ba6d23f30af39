// The save set-up dialog on the real display: shown as a window of its own, read back from the
// screen and kept as a picture in the test output (test-output/save-setup-dialog.png beside the
// test binary) for a person to look at, and confirmed with a click on its OK button.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CDMediaMgrSaveSetupDlg.h"
#include "DesktopFixture.h"
#include "Dialogs.h"
#include "Folders.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFunctionNumber.h"
#include "QuickDraw.h"
#include "TestFiles.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "XQueries.h"
#include "ui/internal/Alerts.h"

namespace desktop_test {
namespace {

using DesktopSaveSetup = DesktopTest;

// The folder of the test binary, where the test output is kept.
std::string OutputFolder() {
  char path[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string self(path, length > 0 ? std::size_t(length) : 0);
  return self.substr(0, self.rfind('/') + 1) + "test-output";
}

// What the person does, one step at each turn of the dialog's loop.
struct Person {
  std::function<bool(WindowRef, ScreenImage*)> read;
  WindowRef window = nullptr;
  int step = 0;
  int turns = 0;
  Tool tool;
  ScreenImage image;
  int colours = 0;
  std::string saved;
};

int CountColours(const ScreenImage& image) {
  std::vector<UInt32> seen;
  for (UInt32 pixel : image.rgb) {
    bool known = false;
    for (UInt32 s : seen) known = known || s == pixel;
    if (!known) seen.push_back(pixel);
    if (seen.size() > 16) break;
  }
  return int(seen.size());
}

// Puts the screen's pixels into a GWorld and writes that as a PNG file.
bool SavePng(const ScreenImage& image, const std::string& path) {
  const Rect bounds = R(0, 0, image.height, image.width);
  GWorldPtr world = nullptr;
  if (NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0) != noErr || world == nullptr) {
    return false;
  }
  PixMapHandle pixels = GetGWorldPixMap(world);
  LockPixels(pixels);
  char* base = GetPixBaseAddr(pixels);
  const SInt32 rowBytes = GetPixRowBytes(pixels);
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<UInt32*>(base + std::size_t(y) * std::size_t(rowBytes));
    for (int x = 0; x < image.width; ++x) row[x] = 0xFF000000u | image.At(x, y);
  }
  const bool saved = sp_testing::SnapshotPort(world, path);
  DisposeGWorld(world);
  return saved;
}

void Turn(EventLoopTimerRef, void* refCon) {
  Person& p = *static_cast<Person*>(refCon);
  if (++p.turns > 1000 && p.window != nullptr) {
    sp_platform::alerts::AbandonModalDialog(GetDialogFromWindow(p.window));
    return;
  }
  if (p.window == nullptr) p.window = FrontWindow();
  const unsigned long x = p.window != nullptr ? sp_platform::display::X11WindowOf(p.window) : 0;
  if (x == 0 || !x11::WindowViewable(x)) return;
  switch (p.step) {
    case 0: {
      ScreenImage image;
      if (!p.read(p.window, &image) || CountColours(image) < 3) return;
      p.image = image;
      p.colours = CountColours(image);
      mkdir(OutputFolder().c_str(), 0755);
      const std::string path = OutputFolder() + "/save-setup-dialog.png";
      if (SavePng(image, path)) p.saved = path;
      Rect ok;
      GetDialogItem(GetDialogFromWindow(p.window), kCDR_SaveSetupOKItem, nullptr, nullptr, &ok);
      int sx = 0, sy = 0;
      const int strip = sp_platform::display::StripHeightOf(p.window);
      if (!x11::ScreenPointOf(x, (ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2 + strip, &sx,
                              &sy)) {
        return;
      }
      if (StartTool({"xdotool", "mousemove", "--sync", std::to_string(sx), std::to_string(sy),
                     "click", "1"},
                    &p.tool)) {
        p.step = 1;
      }
      return;
    }
    default:
      ToolFinished(&p.tool);
      return;
  }
}

TEST_F(DesktopSaveSetup, TheSaveSetupIsShownOnTheDesktopKeptAsAPictureAndConfirmedByAClick) {
  sp_testing::HomeScope home;
  Sp_CarbonEvent_ModeEnable();
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  short vRefNum = 0;
  SInt32 dirID = 0;
  ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID),
            noErr);
  cPrefStockFileObj stock(SpFourCC("InDt"), vRefNum, dirID, "TestPref", SpFourCC("Zqcd"),
                          SpFourCC("preF"));

  Person person;
  person.read = [this](WindowRef window, ScreenImage* image) {
    return ReadWindowImage(window, image);
  };
  EventLoopTimerRef timer = nullptr;
  EventLoopTimerUPP upp = NewEventLoopTimerUPP(Turn);
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.02, upp, &person, &timer);
  Rect area = {100, 100, 500, 700};
  sCDR_SaveSetupInfo result{};
  const unsigned char ok =
      CDRMGR_AskSaveSetup(area, &stock, {1.0, 5.0, 0.2}, 0xAC440000, 16, 2, result, 0, 1);
  RemoveEventLoopTimer(timer);
  DisposeEventLoopTimerUPP(upp);
  if (person.tool.pid > 0 && !person.tool.finished) {
    kill(person.tool.pid, SIGKILL);
    ToolFinished(&person.tool);
  }
  sp_testing::ResetResources();

  EXPECT_EQ(ok, 1) << "stopped at step " << person.step;
  EXPECT_EQ(result.fileType, SpFourCC("AIFF"));
  EXPECT_GE(person.colours, 3) << "the dialog's items were drawn";
  EXPECT_FALSE(person.saved.empty()) << "the picture was kept";
}

}  // namespace
}  // namespace desktop_test
