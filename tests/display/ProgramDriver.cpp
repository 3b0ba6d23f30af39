#include "ProgramDriver.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "Folders.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "TOCInfoTestSupport.h"
#include "XQueries.h"

namespace desktop_test {

int MillisSince(std::chrono::steady_clock::time_point start) {
  return int(std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::steady_clock::now() - start)
                 .count());
}

bool WaitForTool(Tool* tool, int millis) {
  const auto start = std::chrono::steady_clock::now();
  while (!ToolFinished(tool)) {
    const int left = millis - MillisSince(start);
    if (left <= 0) return false;
    pollfd p = {tool->outFd, POLLIN, 0};
    poll(&p, 1, left);
  }
  return true;
}

bool ReadImage(const std::string& window, ScreenImage* image, const std::string& keepAs) {
  char scratch[] = "/tmp/sp-mm-xwd-XXXXXX";
  std::string path = keepAs;
  if (path.empty()) {
    const int fd = mkstemp(scratch);
    if (fd < 0) return false;
    close(fd);
    path = scratch;
  }
  const bool ran = RunTool({"xwd", "-id", window, "-silent", "-out", path});
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (keepAs.empty()) std::remove(path.c_str());
  return ran && ParseXwd(bytes, image);
}

bool WaitUntil(const std::function<bool()>& holds) {
  const auto start = std::chrono::steady_clock::now();
  while (MillisSince(start) < kProgramLimitMillis) {
    if (holds()) return true;
    // A breath between looks, so that on a loaded machine the looking does not take the
    // processor from the program it waits for.
    poll(nullptr, 0, 5);
  }
  return holds();
}

bool WaitForImage(const std::string& window, const std::function<bool(const ScreenImage&)>& holds) {
  return WaitUntil([&] {
    ScreenImage image;
    // A window shown but not drawn yet is black all over, which would pass for dark text
    // anywhere: the program's windows all draw something else.
    return ReadImage(window, &image) &&
           !std::all_of(image.rgb.begin(), image.rgb.end(), [](UInt32 p) { return p == 0; }) &&
           holds(image);
  });
}

int DarkPixelsIn(const ScreenImage& image, int left, int top, int right, int bottom) {
  int dark = 0;
  for (int y = std::max(0, top); y < bottom && y < image.height; ++y) {
    for (int x = std::max(0, left); x < right && x < image.width; ++x) {
      const UInt32 p = image.At(x, y);
      if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 100) ++dark;
    }
  }
  return dark;
}

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  const std::size_t newline = text.find('\n');
  return newline == std::string::npos ? text : text.substr(0, newline);
}

bool StartProgram(sp_testing::HomeScope& home, Tool* program, std::string* window) {
  // The session bus library's buffer is no leak of the program's, nor the C library's buffer
  // of the locale path it reads when it loads a locale from its files.
  const std::string suppressions = home.Path("lsan-suppressions");
  cdtest::WriteFile(suppressions, "leak:libdbus-1.so\nleak:argz_add_sep\n");
  setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
  setenv("SP_DISPLAY_SCALE", "1", 1);
  unsetenv("SP_DISPLAY");
  const bool started = StartTool({SP_MEDIAMANAGER_PROGRAM}, program);
  unsetenv("LSAN_OPTIONS");
  if (!started) return false;
  // Looked for again until it shows (a search that meets a window going away while it walks
  // the windows ends with an error and names none), while the program runs.
  std::string shown;
  const bool found = WaitUntil([&] {
    if (ToolFinished(program)) return true;
    std::string out;
    RunTool({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(program->pid)}, &out);
    shown = Trim(out);
    return !shown.empty();
  });
  if (!found || shown.empty()) {
    kill(program->pid, SIGKILL);
    WaitForTool(program, kProgramLimitMillis);
    return false;
  }
  *window = shown;
  // Points of the window are told on the screen once the window manager has framed it and
  // put it in place: a click computed before may land where the window no longer is.
  const unsigned long id = std::stoul("0" + *window);
  WaitUntil([id] {
    x11::WindowLook look;
    return x11::LookOf(id, &look) && look.top > 0;
  });
  return true;
}

bool ClickOn(const std::string& window, int x, int y, const std::vector<std::string>& keys) {
  const unsigned long id = std::stoul("0" + window);
  int sx = 0, sy = 0;
  const bool ready = WaitUntil([&] {
    if (!x11::ScreenPointOf(id, x, y, &sx, &sy)) return false;
    const x11::Leftovers now = x11::LeftOnTheDesktop();
    // Without --sync, which waits for a motion that never comes when the pointer is there.
    return !now.pointerTaken && now.buttons.empty() &&
           RunTool({"xdotool", "mousemove", std::to_string(sx), std::to_string(sy)}) &&
           x11::PointerOn(id, sx, sy);
  });
  if (!ready) return false;
  // Nothing holds the pointer and it is over the window: the click reaches the window, which
  // takes it whenever it gets to it (it is not given again: its effect may cover the point).
  std::vector<std::string> click = {"xdotool"};
  for (const std::string& key : keys) click.insert(click.end(), {"keydown", key});
  click.insert(click.end(), {"click", "1"});
  for (const std::string& key : keys) click.insert(click.end(), {"keyup", key});
  return RunTool(click);
}

bool QuitProgram(Tool* program) {
  // Keys go where the keyboard's focus is: Ctrl-Q once a window of the program has it (the
  // window manager may not yet have given it to a window just shown, or given it elsewhere).
  WaitUntil([program] {
    std::string focused;
    if (RunTool({"xdotool", "getwindowfocus", "getwindowpid"}, &focused) &&
        Trim(focused) == std::to_string(program->pid)) {
      return true;
    }
    const std::vector<std::string> shown = VisibleWindows(*program);
    if (!shown.empty()) RunTool({"xdotool", "windowactivate", shown.front()});
    return false;
  });
  const bool sent = RunTool({"xdotool", "key", "ctrl+q"});
  const bool ended = WaitForTool(program, kProgramLimitMillis);
  if (!ended) kill(program->pid, SIGKILL);
  return sent && ended && WIFEXITED(program->status) && WEXITSTATUS(program->status) == 0;
}

std::vector<std::string> VisibleWindows(const Tool& program) {
  std::string out;
  RunTool({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(program.pid)}, &out);
  std::vector<std::string> ids;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    if (end > start) ids.push_back(out.substr(start, end - start));
    start = end + 1;
  }
  return ids;
}

cPrefStockFileObj* ProgramSettings(cPrefStockMgr& manager) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, "Mirrelbox Prefs",
                                    vRefNum, dirID)) {
    return nullptr;
  }
  return manager.CreateNewStockFileObj(SpFourCC("preF"), vRefNum, dirID, "MirrelboxPref",
                                       SpFourCC("Zqcd"), SpFourCC("InDt"));
}

bool StoreSaveSetup(UInt32 fileType) {
  cPrefStockMgr manager;
  cPrefStockFileObj* file = ProgramSettings(manager);
  if (file == nullptr) return false;
  cPrefStockData* group = file->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 1);
  if (group == nullptr) return false;
  group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("Sped"), 1)->SetupDblData(1.0, 1);
  group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("FTyp"), 1)
      ->SetupLongData(SInt32(fileType), 1);
  return file->SavePrefDataInFile() == noErr;
}

}  // namespace desktop_test
