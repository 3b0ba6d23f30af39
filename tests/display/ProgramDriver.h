// The built program on the tests' desktop, driven from outside as a person would: started as
// tools/run-app starts it, looked at with xdotool and xwd, ended with Ctrl-Q. Each wait is for
// a condition, bounded by a limit.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "SpPreferenceStockObject.h"
#include "TestFiles.h"

namespace desktop_test {

// Each wait's limit: what the program does in well under a second takes many on two cores
// loaded by other work, under the sanitizers.
constexpr int kProgramLimitMillis = 40000;

int MillisSince(std::chrono::steady_clock::time_point start);
// Waits for the tool to end (on its output pipe, which closes with it), at most `millis`.
bool WaitForTool(Tool* tool, int millis);
// The window's pixels, read by xwd; kept in the file `keepAs` when one is named.
bool ReadImage(const std::string& window, ScreenImage* image, const std::string& keepAs = "");
// Looks until the condition holds, at most the limit.
bool WaitUntil(const std::function<bool()>& holds);
// Reads the window until the condition holds of its pixels, at most the limit.
bool WaitForImage(const std::string& window, const std::function<bool(const ScreenImage&)>& holds);
// Pixels of the image's rectangle darker than mid grey.
int DarkPixelsIn(const ScreenImage& image, int left, int top, int right, int bottom);
// The first line of a tool's output.
std::string Trim(std::string text);

// The program started in the home as tools/run-app starts it, and its media window once it
// shows; false (the program ended) when it does not appear.
bool StartProgram(sp_testing::HomeScope& home, Tool* program, std::string* window);
// A click of the left button at the point of the window (its pixels; with keys held down
// around it, by xdotool's names) that reaches the window: given once, when nothing holds the
// pointer (no client's grab, no button down) and the pointer is over the window there. What
// the click does, the caller waits for. False when it could not be given within the limit.
bool ClickOn(const std::string& window, int x, int y, const std::vector<std::string>& keys = {});
// Ctrl-Q, and whether the program then ended by itself with status 0.
bool QuitProgram(Tool* program);
// The program's visible windows (xdotool's ids), front or back.
std::vector<std::string> VisibleWindows(const Tool& program);
// The program's settings file (not read yet), made through the manager; null when its folder
// cannot be had.
cPrefStockFileObj* ProgramSettings(cPrefStockMgr& manager);
// The save set-up kept as the program keeps it: that file type at normal speed.
bool StoreSaveSetup(UInt32 fileType);

}  // namespace desktop_test
