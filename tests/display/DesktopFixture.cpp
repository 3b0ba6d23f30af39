// The real display's test fixture (see DesktopFixture.h).
#include "DesktopFixture.h"
#include <SDL.h>
#include <execinfo.h>
#include <unistd.h>
#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "AppleEvents.h"
#include "ByteOrder.h"
#include "SpTextCodec.h"
#include "TestAppleEvents.h"
#include "SpTesting.h"
#include "TestDialogs.h"
#include "XQueries.h"

namespace desktop_test {
namespace {

OSStatus CallFn(EventHandlerCallRef, EventRef event, void* fn) {
  return (*static_cast<Fn*>(fn))(event);
}

// Wakes the loop so that the pumps look at conditions on other processes, and lets their
// watchdog end a wait that nothing else ends.
void Wake(EventLoopTimerRef, void*) {}

void ResetAll() {
  sp_testing::ResetEvents();
  sp_testing::ResetWindows();
  sp_testing::ResetMenus();
  sp_testing::ResetAppleEvents();
  sp_testing::ResetDialogs();
  sp_testing::ResetBeepCount();
}

}  // namespace

// XWD files: a big-endian header of 25 words, the window's name, the colour map, then the
// pixels in ZPixmap form, of 4 bytes each (xwd may call them 24 bits a pixel, but for the
// screen's depth; 3 bytes each when the lines hold no more).
bool ParseXwd(const std::string& bytes, ScreenImage* image) {
  sp::ByteReader in(reinterpret_cast<const UInt8*>(bytes.data()), bytes.size());
  UInt32 h[25];
  for (UInt32& word : h) word = in.BE32();
  if (!in.Ok()) return false;
  const UInt32 headerSize = h[0], format = h[2], width = h[4], height = h[5], byteOrder = h[7];
  const UInt32 bitsPerPixel = h[11], bytesPerLine = h[12], colours = h[19];
  if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) || width == 0 || height == 0) {
    return false;
  }
  const UInt32 step = bitsPerPixel == 32 || bytesPerLine >= width * 4 ? 4 : 3;
  const std::size_t start = std::size_t(headerSize) + std::size_t(colours) * 12;
  if (bytesPerLine < width * step || start + std::size_t(bytesPerLine) * height > bytes.size()) {
    return false;
  }
  image->width = int(width);
  image->height = int(height);
  image->rgb.resize(std::size_t(width) * height);
  for (UInt32 y = 0; y < height; ++y) {
    const UInt8* row = reinterpret_cast<const UInt8*>(bytes.data()) + start + y * bytesPerLine;
    for (UInt32 x = 0; x < width; ++x) {
      const UInt8* p = row + x * step;
      const UInt32 v =
          byteOrder == 0
              ? (UInt32(p[0]) | UInt32(p[1]) << 8 | UInt32(p[2]) << 16)
              : (UInt32(p[step - 1]) | UInt32(p[step - 2]) << 8 | UInt32(p[step - 3]) << 16);
      image->rgb[std::size_t(y) * width + x] = v & 0xFFFFFF;
    }
  }
  return true;
}


namespace {

// Far beyond what a test takes on two loaded cores under the sanitizers: only a hang meets it.
constexpr unsigned kMostSecondsATestTakes = 240;

// A desktop test that stops making progress (a wait on the X server or a tool that never ends)
// ends its process with the stack where it stood, rather than holding the run until the test
// runner's limit with nothing said.
void SayWhereTheTestStands(int) {
  static const char kSay[] = "\ndesktop test: no end after 240 seconds; it stood here:\n";
  const ssize_t ignored = write(2, kSay, sizeof kSay - 1);
  (void)ignored;
  void* frames[64];
  backtrace_symbols_fd(frames, backtrace(frames, 64), 2);
  _exit(3);
}

void WatchForAHang() {
  void* frames[1];
  backtrace(frames, 1);  // loads the unwinder now, not inside the signal handler
  signal(SIGALRM, SayWhereTheTestStands);
  alarm(kMostSecondsATestTakes);
}

}  // namespace

void DesktopTest::SetUp() {
  WatchForAHang();
  ASSERT_TRUE(DesktopReady()) << DesktopProblem();
  setenv("SP_DISPLAY_SCALE", "1", 1);
  sp_testing::UseRealClock();
  ResetAll();
  std::string message;
  ASSERT_TRUE(sp_platform::display::OpenDesktop(&message)) << message;
  ASSERT_TRUE(x11::Connect());
  sp_testing::PumpLimits limits;
  limits.maxMicroseconds = 40LL * 1000000;
  limits.maxPasses = 10000000;
  sp_testing::SetPumpLimits(limits);
  InstallEventLoopTimer(GetMainEventLoop(), 0.02, 0.02, NewEventLoopTimerUPP(Wake), nullptr,
                        &waker_);
}

void DesktopTest::TearDown() {
  alarm(0);
  if (waker_ != nullptr) RemoveEventLoopTimer(waker_);
  waker_ = nullptr;
  ResetAll();
  sp_platform::display::CloseDesktop();
}

bool DesktopTest::PumpUntil(const std::function<bool()>& condition, const char* what) {
  const sp_testing::PumpResult result = sp_testing::PumpUntil(condition);
  EXPECT_TRUE(result.ok) << "waiting for " << what;
  return result.ok;
}

bool DesktopTest::RunToolPumping(const std::vector<std::string>& argv, std::string* out) {
  Tool tool;
  if (!StartTool(argv, &tool)) {
    ADD_FAILURE() << argv[0] << " cannot be started";
    return false;
  }
  const bool ended = PumpUntil([&tool] { return ToolFinished(&tool); }, argv[0].c_str());
  if (!ended) {
    kill(tool.pid, SIGKILL);
    ToolFinished(&tool);
    return false;
  }
  if (out != nullptr) *out = tool.out;
  return WIFEXITED(tool.status) && WEXITSTATUS(tool.status) == 0;
}

WindowRef DesktopTest::ShowWindowOnDesktop(const Rect& content, const std::string& titleUTF8,
                                           WindowClass windowClass, WindowAttributes attributes) {
  WindowRef window = nullptr;
  EXPECT_EQ(CreateNewWindow(windowClass, attributes, &content, &window), noErr);
  if (window == nullptr) return nullptr;
  std::string title;
  sp::text::UTF8ToMacJapanese(titleUTF8, title, '?');
  Str255 pascal;
  pascal[0] = UInt8(std::min<std::size_t>(title.size(), 255));
  std::copy(title.begin(), title.begin() + pascal[0], pascal + 1);
  SetWTitle(window, pascal);
  ShowWindow(window);
  SelectWindow(window);
  WaitUntilShown(window);
  return window;
}

bool DesktopTest::WaitUntilShown(WindowRef window) {
  return PumpUntil(
      [this, window] {
        // Shown, and where the window manager put it known to the toolbox.
        const int strip = sp_platform::display::StripHeightOf(window);
        const int scale = sp_platform::display::DesktopScale();
        Rect r;
        int sx = 0, sy = 0;
        return x11::WindowViewable(sp_platform::display::X11WindowOf(window)) &&
               GetWindowBounds(window, kWindowContentRgn, &r) == noErr &&
               ScreenPointOf(window, 0, strip * scale, &sx, &sy) && sx / scale == r.left &&
               sy / scale == r.top;
      },
      "the window to be shown");
}

bool DesktopTest::WaitForKeyboard(const char* what) {
  return PumpUntil([] { return SDL_GetKeyboardFocus() != nullptr; }, what);
}

bool DesktopTest::ScreenPointOf(WindowRef window, int x, int y, int* sx, int* sy) {
  return x11::ScreenPointOf(sp_platform::display::X11WindowOf(window), x, y, sx, sy);
}

bool DesktopTest::ReadWindowImage(WindowRef window, ScreenImage* image) {
  sp_platform::display::SyncDesktop();
  const unsigned long id = sp_platform::display::X11WindowOf(window);
  if (id == 0) return false;
  char path[] = "/tmp/sp-xwd-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return false;
  close(fd);
  const bool ran = RunTool({"xwd", "-id", std::to_string(id), "-silent", "-out", path});
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::remove(path);
  return ran && ParseXwd(bytes, image);
}

EventHandlerRef DesktopTest::Listen(EventTargetRef target, std::vector<EventTypeSpec> types,
                                    Fn fn) {
  fns_.push_back(std::move(fn));
  EventHandlerRef ref = nullptr;
  EXPECT_EQ(InstallEventHandler(target, NewEventHandlerUPP(CallFn), ItemCount(types.size()),
                                types.data(), &fns_.back(), &ref),
            noErr);
  return ref;
}

}  // namespace desktop_test
