// A desktop of the tests' own: an Xvfb server on a free display with a small window manager
// (openbox), started once per test process, and the external X tools the tests drive it with
// (xdotool, xwd, xclip). Nothing here sleeps: each wait is for a condition (a process ends,
// the server or the window manager says it is ready), bounded by a limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace desktop_test {

// True once the server and the window manager run; the reason when they could not start.
bool DesktopReady();
const std::string& DesktopProblem();

// A process started from the tests, its standard output collected.
struct Tool {
  pid_t pid = -1;
  int outFd = -1;
  std::string out;
  int status = -1;
  bool finished = false;
};
// Starts the program with its arguments (searched in PATH); input (may be empty) is written
// to its standard input. False when it cannot be started.
bool StartTool(const std::vector<std::string>& argv, Tool* tool, const std::string& input = "");
// Reads what it printed and answers whether it has ended (without waiting).
bool ToolFinished(Tool* tool);
// Runs it to its end (the tool ends by itself: it must not need this process to answer).
bool RunTool(const std::vector<std::string>& argv, std::string* out = nullptr,
             const std::string& input = "");

}  // namespace desktop_test
