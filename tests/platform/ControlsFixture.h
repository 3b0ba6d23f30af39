// Helpers shared by the Control Manager's tests: a clean state on the virtual clock, a window
// with the standard handler, and controls made in one line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "Controls.h"
#include "MacWindows.h"
#include "Menus.h"
#include "QuickDraw.h"
#include "SpTesting.h"
#include "TestControls.h"
#include "TestEvents.h"
#include "TestMenus.h"
#include "TestWindows.h"

namespace controls_test {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

inline Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}

inline Point P(SInt16 h, SInt16 v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}

// A length-prefixed copy of MacJapanese bytes (at most 255).
inline std::vector<unsigned char> PStr(const std::string& bytes) {
  std::vector<unsigned char> s(1, UInt8(std::min<std::size_t>(bytes.size(), 255)));
  s.insert(s.end(), bytes.begin(), bytes.begin() + s[0]);
  return s;
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    Reset();
    window_ = MakeWindow(R(100, 100, 400, 500));
  }
  void TearDown() override {
    Reset();
    sp_testing::UseRealClock();
  }

  static void Reset() {
    sp_testing::ResetControls();
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetMenus();
    sp_testing::ResetResources();
  }

  // A visible document window with the standard handler whose content is the rectangle.
  static WindowRef MakeWindow(const Rect& content,
                              WindowAttributes attributes = kWindowStandardHandlerAttribute) {
    WindowRef window = nullptr;
    EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &content, &window), noErr);
    ShowWindow(window);
    return window;
  }

  ControlRef Make(SInt16 procID, const Rect& bounds, SInt16 value = 0, SInt16 minimum = 0,
                  SInt16 maximum = 1, const std::string& title = "OK", WindowRef window = nullptr) {
    std::vector<unsigned char> t = PStr(title);
    ControlRef c = NewControl(window != nullptr ? window : window_, &bounds, t.data(), true, value,
                              minimum, maximum, procID, 0);
    EXPECT_NE(c, nullptr);
    return c;
  }

  ControlRef Button(const Rect& bounds = R(20, 20, 40, 100)) { return Make(pushButProc, bounds); }
  ControlRef ScrollBar(const Rect& bounds = R(20, 300, 220, 316), SInt16 value = 0,
                       SInt16 maximum = 100, SInt16 procID = scrollBarProc) {
    return Make(procID, bounds, value, 0, maximum, "");
  }

  // The menu of a popup: 'MENU' resource `id` with these items.
  static void AddMenuResource(MenuID id, const std::vector<std::string>& items) {
    std::vector<sp_testing::MenuResourceItem> list;
    for (const std::string& text : items) {
      sp_testing::MenuResourceItem item;
      item.text = text;
      list.push_back(item);
    }
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("MENU"), id,
                                         sp_testing::MakeMenuResource(id, "Popup", list)),
              noErr);
  }

  WindowRef window_ = nullptr;
};

// Records the events a handler sees: class, kind, the control and part parameters.
struct Seen {
  UInt32 kind = 0;
  ControlRef control = nullptr;
  ControlPartCode part = 0;
  Point where = {0, 0};
  const char* who = "";
};

}  // namespace controls_test
