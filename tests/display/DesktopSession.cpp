// The tests' X server and window manager (see DesktopSession.h).
#include "DesktopSession.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "XQueries.h"

namespace desktop_test {
namespace {

constexpr int kStartLimitMillis = 40000;

struct Session {
  pid_t server = -1;
  pid_t windowManager = -1;
  bool ready = false;
  std::string problem;
};

Session& TheSession() {
  static Session session;
  return session;
}

// Starts the program; it ends with this process (the server and the window manager must not
// outlive a test that crashed). What the tools print besides their answer goes nowhere: a
// process left behind must not hold the output of whoever ran the tests.
pid_t Spawn(const std::vector<std::string>& argv, int stdinFd, int stdoutFd) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  const int null = open("/dev/null", O_RDWR);
  dup2(stdinFd >= 0 ? stdinFd : null, 0);
  dup2(stdoutFd >= 0 ? stdoutFd : null, 1);
  dup2(null, 2);
  execvp(args[0], args.data());
  _exit(127);
}

// Milliseconds left before the start limit; the start counts from the first call.
int MillisLeft(std::chrono::steady_clock::time_point start, int limit = kStartLimitMillis) {
  const auto used = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  return int(std::max<long long>(0, limit - used));
}

// True when no X server holds the display number: no lock file here, and no socket of that
// number in the abstract namespace, which servers of other file-system roots share with us
// (a client would reach such a server first).
bool DisplayNumberFree(int number) {
  const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
  if (access(lock.c_str(), F_OK) == 0) return false;
  std::ifstream sockets("/proc/net/unix");
  const std::string abstract = "@/tmp/.X11-unix/X" + std::to_string(number);
  std::string line;
  while (std::getline(sockets, line)) {
    if (line.size() >= abstract.size() &&
        line.compare(line.size() - abstract.size(), abstract.size(), abstract) == 0) {
      return false;
    }
  }
  return true;
}

// Starts Xvfb on the display number; it writes the number to the descriptor once it accepts
// clients. False when it ends first (another server took the number meanwhile).
bool StartServerOn(Session& s, int number, std::chrono::steady_clock::time_point start) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  const std::string fd = std::to_string(pipeFds[1]);
  s.server = Spawn({"Xvfb", ":" + std::to_string(number), "-displayfd", fd, "-screen", "0",
                    "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                   -1, -1);
  close(pipeFds[1]);
  if (s.server < 0) {
    close(pipeFds[0]);
    return false;
  }
  std::string told;
  for (;;) {
    pollfd p = {pipeFds[0], POLLIN, 0};
    const int left = MillisLeft(start);
    if (left == 0 || poll(&p, 1, left) <= 0) break;
    char buffer[16];
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    told.append(buffer, std::size_t(n));
    if (told.find('\n') != std::string::npos) break;
  }
  close(pipeFds[0]);
  if (told.empty()) {
    kill(s.server, SIGTERM);
    waitpid(s.server, nullptr, 0);
    s.server = -1;
    return false;
  }
  setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
  return true;
}

bool StartServer(Session& s, std::chrono::steady_clock::time_point start) {
  const int first = 20 + int(getpid() % 200);
  for (int i = 0; i < 400 && MillisLeft(start) > 0; ++i) {
    const int number = 20 + (first - 20 + i) % 400;
    if (DisplayNumberFree(number) && StartServerOn(s, number, start)) return true;
  }
  s.problem = "Xvfb cannot be started on a free display (is the xvfb package installed?)";
  return false;
}

// The window manager has started once the root window names its check window.
bool StartWindowManager(Session& s, std::chrono::steady_clock::time_point start) {
  s.windowManager = Spawn({"openbox", "--sm-disable"}, -1, -1);
  const bool ready = s.windowManager > 0 && x11::WaitForWindowManager(MillisLeft(start));
  if (!ready) s.problem = "openbox did not start on the tests' X server";
  return ready;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

// However slowly the desktop comes to rest after a test (the window manager lets go of the
// frames of windows gone, a program ends), well within this.
constexpr int kRestLimitMillis = 40000;

// Looks until nothing is left on the desktop, at most the limit; what is left then.
x11::Leftovers WaitForRest() {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    x11::Leftovers left = x11::LeftOnTheDesktop();
    if (left.Empty() || MillisLeft(start, kRestLimitMillis) == 0) return left;
    // A breath between looks, so that the looking does not take the processor from the
    // clients it waits for.
    poll(nullptr, 0, 10);
  }
}

// Every test of a process shares its desktop, so each starts from one at rest and leaves it
// so. At the start, keys and buttons held down are let go and the windows of programs a
// failed test left running are ended; what a test leaves that would trip the next one up (a
// grab above all: every click and key would go to its client) fails that test.
class DesktopAtRest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    x11::Leftovers left = x11::LeftOnTheDesktop();
    if (left.Empty()) return;
    for (int button : left.buttons) RunTool({"xdotool", "mouseup", std::to_string(button)});
    for (const std::string& key : left.keys) RunTool({"xdotool", "keyup", key});
    x11::EndClientsOf(left.windows);
    left = WaitForRest();
    EXPECT_TRUE(left.Empty()) << "the desktop is not at rest at the test's start:" << left.Say();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    const x11::Leftovers left = WaitForRest();
    EXPECT_TRUE(left.Empty()) << "the test left on the desktop:" << left.Say();
  }
};

class DesktopEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Session& s = TheSession();
    signal(SIGPIPE, SIG_IGN);
    // The tests need no session bus; without one, libdbus would try to start one for the
    // display's clients (the screen saver, input methods), which can wait without end.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    const auto start = std::chrono::steady_clock::now();
    s.ready = StartServer(s, start) && StartWindowManager(s, start);
    if (s.ready) ::testing::UnitTest::GetInstance()->listeners().Append(new DesktopAtRest);
  }
  void TearDown() override {
    Session& s = TheSession();
    x11::Disconnect();
    Stop(s.windowManager);
    Stop(s.server);
  }
};

const ::testing::Environment* const kDesktop =
    ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

}  // namespace

bool DesktopReady() {
  return TheSession().ready;
}

const std::string& DesktopProblem() {
  return TheSession().problem;
}

bool StartTool(const std::vector<std::string>& argv, Tool* tool, const std::string& input) {
  int outFds[2], inFds[2];
  if (pipe2(outFds, O_CLOEXEC) != 0) return false;
  if (pipe2(inFds, O_CLOEXEC) != 0) {
    close(outFds[0]);
    close(outFds[1]);
    return false;
  }
  tool->pid = Spawn(argv, inFds[0], outFds[1]);
  close(outFds[1]);
  close(inFds[0]);
  if (!input.empty()) {
    const ssize_t ignored = write(inFds[1], input.data(), input.size());
    (void)ignored;
  }
  close(inFds[1]);
  tool->outFd = outFds[0];
  fcntl(tool->outFd, F_SETFL, O_NONBLOCK);
  tool->finished = false;
  tool->out.clear();
  if (tool->pid < 0) {
    close(tool->outFd);
    tool->outFd = -1;
    return false;
  }
  return true;
}

bool ToolFinished(Tool* tool) {
  if (tool->finished) return true;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(tool->outFd, buffer, sizeof buffer);
    if (n <= 0) break;
    tool->out.append(buffer, std::size_t(n));
  }
  int status = 0;
  if (waitpid(tool->pid, &status, WNOHANG) != tool->pid) return false;
  // Whatever it wrote last.
  fcntl(tool->outFd, F_SETFL, 0);
  for (;;) {
    const ssize_t n = read(tool->outFd, buffer, sizeof buffer);
    if (n <= 0) break;
    tool->out.append(buffer, std::size_t(n));
  }
  close(tool->outFd);
  tool->outFd = -1;
  tool->status = status;
  tool->finished = true;
  return true;
}

bool RunTool(const std::vector<std::string>& argv, std::string* out, const std::string& input) {
  if (out == nullptr) {
    // Its output is not read: a tool that leaves a process behind (xclip serving the
    // selection) must not hold a pipe this process waits on.
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    int inFds[2];
    if (null < 0 || pipe2(inFds, O_CLOEXEC) != 0) return false;
    const pid_t pid = Spawn(argv, inFds[0], null);
    close(null);
    close(inFds[0]);
    if (!input.empty()) {
      const ssize_t ignored = write(inFds[1], input.data(), input.size());
      (void)ignored;
    }
    close(inFds[1]);
    if (pid < 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  Tool tool;
  if (!StartTool(argv, &tool, input)) return false;
  fcntl(tool.outFd, F_SETFL, 0);
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(tool.outFd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    tool.out.append(buffer, std::size_t(n));
  }
  close(tool.outFd);
  int status = 0;
  while (waitpid(tool.pid, &status, 0) < 0 && errno == EINTR) {
  }
  *out = tool.out;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace desktop_test
