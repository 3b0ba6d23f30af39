// The fixture of the real display's tests: the desktop display opened on the tests' X server
// (DesktopSession.h), the real clock, and helpers that look at the screen and drive it with
// the X tools.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "DesktopSession.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpTextCodec.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestMenus.h"
#include "TestWindows.h"
#include "display/internal/Backends.h"

namespace desktop_test {

// The MacJapanese bytes of a UTF-8 text, as the program holds it.
inline std::string MJ(const char* utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out, '?');
  return out;
}

// A rectangle in the toolbox's order.
inline Rect R(int top, int left, int bottom, int right) {
  return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

// A length-prefixed copy of the text (at most 255 bytes of it).
inline std::vector<UInt8> PStr(const std::string& text) {
  std::vector<UInt8> out(1 + std::min<std::size_t>(text.size(), 255));
  out[0] = UInt8(out.size() - 1);
  std::copy(text.begin(), text.begin() + out[0], out.begin() + 1);
  return out;
}

inline std::string P(ConstStr255Param s) {
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

// An image read back from the screen.
struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<UInt32> rgb;  // 0x00RRGGBB, row by row
  UInt32 At(int x, int y) const { return rgb[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The pixels of an XWD file of a 24-bit screen (as xwd writes a window); false for another file.
bool ParseXwd(const std::string& bytes, ScreenImage* image);

using Fn = std::function<OSStatus(EventRef)>;

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Pumps the loop until the condition holds (the fixture's timer wakes it now and then, so
  // that conditions on other processes are seen); fails the test after a bounded time.
  bool PumpUntil(const std::function<bool()>& condition, const char* what);
  // Runs the tool while the loop runs (it may need this process to answer it), until it ends.
  bool RunToolPumping(const std::vector<std::string>& argv, std::string* out = nullptr);

  // A visible window of the class (document by default) with the title, its content at the
  // rectangle, shown on the desktop.
  WindowRef ShowWindowOnDesktop(const Rect& content, const std::string& titleUTF8,
                                WindowClass windowClass = kDocumentWindowClass,
                                WindowAttributes attributes = kWindowStandardHandlerAttribute);
  // Pumps until the window is viewable and the toolbox knows where the window manager put it.
  bool WaitUntilShown(WindowRef window);
  // Pumps until a window of the program has the keyboard (keys and modifiers reach only it).
  bool WaitForKeyboard(const char* what = "the keyboard");
  // The screen position of a point of the window's SDL window (x, y in its pixels).
  bool ScreenPointOf(WindowRef window, int x, int y, int* sx, int* sy);
  // The X window's pixels as xwd reads them.
  bool ReadWindowImage(WindowRef window, ScreenImage* image);

  EventHandlerRef Listen(EventTargetRef target, std::vector<EventTypeSpec> types, Fn fn);

  std::deque<Fn> fns_;
  EventLoopTimerRef waker_ = nullptr;
};

}  // namespace desktop_test
