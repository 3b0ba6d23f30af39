// The input method's connection whose every wait ends (see detail/DesktopXimConnection.h).
#include "display/detail/DesktopXimConnection.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace sp_platform {
namespace display {
namespace xim_connection {
namespace {

sigjmp_buf gJump;
volatile sig_atomic_t gGuarding = 0;
volatile sig_atomic_t gGuardedFd = -1;
// The sockets Xlib opened beside the guarded connection (see Known::sockets), for the timer.
constexpr int kMaxSockets = 8;
volatile sig_atomic_t gGuardedSockets[kMaxSockets];
volatile sig_atomic_t gGuardedSocketCount = 0;
volatile sig_atomic_t gTimedOut = 0;
Display* gGuarded = nullptr;
timer_t gTimer;
bool gTimerMade = false;
XIOErrorHandler gOtherIOErrors = nullptr;
bool gIOHandlerSet = false;
int gTimedOutCalls = 0;

// Every connection opened here: those in use, and those given up with their fonts, kept
// (unreachable memory would be a leak) and never used again. A given-up connection's socket
// waits in `toClose` while a call on it runs.
struct Known {
  Display* display;
  XFontSet fontSet;
  bool givenUp;
  // The sockets Xlib opened beside it: a server on a local or TCP transport is spoken to on
  // one, where a call may wait as well.
  std::vector<int> sockets;
};
std::vector<Known>& Connections() {
  static auto* known = new std::vector<Known>();
  return *known;
}
std::vector<int>& ToClose() {
  static auto* fds = new std::vector<int>();
  return *fds;
}

Known* Find(Display* display) {
  for (Known& k : Connections()) {
    if (k.display == display) return &k;
  }
  return nullptr;
}

void TimeUp(int) {
  if (gGuarding == 0 || gGuardedFd < 0) return;
  gTimedOut = 1;
  shutdown(gGuardedFd, SHUT_RDWR);
  for (int i = 0; i < gGuardedSocketCount && i < kMaxSockets; ++i) {
    shutdown(gGuardedSockets[i], SHUT_RDWR);
  }
}

// The guarded connection's sockets, where the timer sees them (more than it holds: the first).
void GuardSockets(const Known* known) {
  gGuardedSocketCount = 0;
  if (known == nullptr) return;
  const int count = int(std::min<std::size_t>(known->sockets.size(), kMaxSockets));
  for (int i = 0; i < count; ++i) gGuardedSockets[i] = known->sockets[std::size_t(i)];
  gGuardedSocketCount = count;
}

// Xlib opens (or closes) a socket beside the connection: an input method's transport.
void WatchSockets(Display* display, XPointer, int fd, Bool opening, XPointer*) {
  Known* known = Find(display);
  if (known == nullptr) return;
  std::vector<int>& sockets = known->sockets;
  sockets.erase(std::remove(sockets.begin(), sockets.end(), fd), sockets.end());
  if (opening == True) sockets.push_back(fd);
  if (gGuarding != 0 && display == gGuarded) GuardSockets(known);
}

// Xlib's default ends the process on any broken connection; ours ends only the call.
int ConnectionBroke(Display* display) {
  if (Find(display) == nullptr) return gOtherIOErrors != nullptr ? gOtherIOErrors(display) : 0;
  if (gGuarding != 0 && display == gGuarded) siglongjmp(gJump, 1);
  return 0;
}

void StayAfterBreak(Display*, void*) {}

void SetTimer(long millis) {
  itimerspec when = {};
  when.it_value.tv_sec = millis / 1000;
  when.it_value.tv_nsec = (millis % 1000) * 1000000;
  timer_settime(gTimer, 0, &when, nullptr);
}

bool MakeTimer() {
  if (gTimerMade) return true;
  const int signal = SIGRTMIN + 3;
  struct sigaction action = {};
  action.sa_handler = TimeUp;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (sigaction(signal, &action, nullptr) != 0) return false;
  sigevent event = {};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = signal;
  gTimerMade = timer_create(CLOCK_MONOTONIC, &event, &gTimer) == 0;
  return gTimerMade;
}

// What Xlib allocated in a call the timer ended is lost with the call's frames: the leak
// checks of a sanitized build leave what Xlib takes in bounded calls alone.
void LeakChecks(bool on) {
  if (on && __lsan_enable != nullptr) __lsan_enable();
  if (!on && __lsan_disable != nullptr) __lsan_disable();
}

void CloseGivenUpSockets() {
  for (int fd : ToClose()) close(fd);
  ToClose().clear();
}

// The end of an outer bounded call, however it ended.
void EndCall() {
  LeakChecks(true);
  gGuarding = 0;
  SetTimer(0);
  gGuarded = nullptr;
  gGuardedFd = -1;
  gGuardedSocketCount = 0;
  CloseGivenUpSockets();
}

}  // namespace

Display* Open(Display* sdlDisplay) {
  if (sdlDisplay == nullptr) return nullptr;
  Display* connection = XOpenDisplay(DisplayString(sdlDisplay));
  if (connection == nullptr) return nullptr;
  if (!gIOHandlerSet) {
    gOtherIOErrors = XSetIOErrorHandler(ConnectionBroke);
    gIOHandlerSet = true;
  }
  XSetIOErrorExitHandler(connection, StayAfterBreak, nullptr);
  Connections().push_back(Known{connection, nullptr, false, {}});
  XAddConnectionWatch(connection, WatchSockets, nullptr);
  return connection;
}

void Close(Display* connection) {
  auto& known = Connections();
  known.erase(std::remove_if(known.begin(), known.end(),
                             [connection](const Known& k) { return k.display == connection; }),
              known.end());
  XCloseDisplay(connection);
}

bool InBoundedCall() {
  return gGuarding != 0;
}

bool RunBounded(Display* connection, void (*call)(void*), void* data) {
  const Known* known = Find(connection);
  if (known == nullptr || known->givenUp) return false;
  if (gGuarding != 0) {
    call(data);
    known = Find(connection);
    return known != nullptr && !known->givenUp;
  }
  if (!MakeTimer()) return false;
  if (sigsetjmp(gJump, 1) != 0) {
    ++gTimedOutCalls;
    GiveUp(connection, nullptr);
    EndCall();
    return false;
  }
  gGuarded = connection;
  GuardSockets(known);
  gGuardedFd = ConnectionNumber(connection);
  gTimedOut = 0;
  gGuarding = 1;
  SetTimer(kAnswerMillis);
  LeakChecks(false);
  call(data);
  SetTimer(0);
  // The timer may have shut the socket just as the call ended: the connection is gone then.
  const bool late = gTimedOut != 0;
  if (late) {
    ++gTimedOutCalls;
    GiveUp(connection, nullptr);
  }
  EndCall();
  known = Find(connection);
  return known != nullptr && !known->givenUp;
}

void GiveUp(Display* connection, XFontSet fontSet) {
  Known* known = Find(connection);
  if (known == nullptr) return;
  if (fontSet != nullptr) known->fontSet = fontSet;
  if (known->givenUp) return;
  known->givenUp = true;
  std::vector<int> fds = known->sockets;
  fds.push_back(ConnectionNumber(connection));
  known->sockets.clear();
  for (int fd : fds) {
    shutdown(fd, SHUT_RDWR);
    // A call on it that runs now still reads the socket: it is closed when the call ends.
    if (gGuarding != 0) {
      ToClose().push_back(fd);
    } else {
      close(fd);
    }
  }
}

int TimedOutCalls() {
  return gTimedOutCalls;
}

}  // namespace xim_connection
}  // namespace display
}  // namespace sp_platform
