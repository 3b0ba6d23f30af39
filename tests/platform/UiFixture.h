// One clean state for the tests of the user-interface managers (events, windows, menus,
// controls, dialogs, Apple events) on the virtual clock, and the helpers they share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacWindows.h"
#include "Menus.h"
#include "QuickDraw.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestAppleEvents.h"
#include "TestControls.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestMenus.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace ui_test {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

inline Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}

inline Point Pt(SInt16 h, SInt16 v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}

// A length-prefixed copy of MacJapanese bytes (at most 255); converts to the string pointers.
struct PStr {
  explicit PStr(const std::string& s) : bytes(1 + std::min<std::size_t>(s.size(), 255)) {
    bytes[0] = UInt8(bytes.size() - 1);
    std::copy(s.begin(), s.begin() + bytes[0], bytes.begin() + 1);
  }
  operator const unsigned char*() const { return bytes.data(); }
  std::vector<unsigned char> bytes;
};

inline std::string PText(ConstStr255Param s) {
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

inline bool Same(const Rect& a, const Rect& b) {
  return EqualRect(&a, &b);
}

// Pixels of the port inside the rectangle that are not the background colour.
inline int Inked(CGrafPtr port, const Rect& r, UInt32 background = 0xFFFFFF) {
  int n = 0;
  for (SInt16 v = r.top; v < r.bottom; ++v) {
    for (SInt16 h = r.left; h < r.right; ++h) n += sp_testing::ReadPixel(port, h, v) != background;
  }
  return n;
}

// MacJapanese bytes of a UTF-8 text.
inline std::string SJ(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese(utf8, out));
  return out;
}

// A parameter of the event read as the type (a value-initialised T when it is missing).
template <typename T>
T Param(EventRef event, EventParamName name, EventParamType type) {
  T value{};
  GetEventParameter(event, name, type, nullptr, sizeof value, nullptr, &value);
  return value;
}

inline EventRef NewEvent(UInt32 cls, UInt32 kind) {
  EventRef event = nullptr;
  EXPECT_EQ(CreateEvent(nullptr, cls, kind, 0, kEventAttributeNone, &event), noErr);
  return event;
}

// Sends a new event of the type (with the command, if any) to the target and answers the result.
inline OSStatus Send(UInt32 cls, UInt32 kind, EventTargetRef target, UInt32 commandID = 0) {
  EventRef event = NewEvent(cls, kind);
  if (commandID != 0) {
    HICommand command = {};
    command.commandID = commandID;
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  }
  OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

inline OSStatus SendCommand(UInt32 commandID, EventTargetRef target) {
  return Send(kEventClassCommand, kEventCommandProcess, target, commandID);
}

// A visible window of the class whose content is the rectangle (global coordinates).
inline WindowRef MakeWindow(const Rect& content, WindowAttributes attributes = 0,
                            WindowClass windowClass = kDocumentWindowClass) {
  WindowRef window = nullptr;
  EXPECT_EQ(CreateNewWindow(windowClass, attributes, &content, &window), noErr);
  ShowWindow(window);
  return window;
}

inline Rect Bounds(WindowRef w, WindowRegionCode code = kWindowContentRgn) {
  Rect r{};
  GetWindowBounds(w, code, &r);
  return r;
}

// Microseconds of the virtual clock.
inline SInt64 Now() {
  return SInt64(GetCurrentEventTime() * 1e6 + 0.5);
}

// Compiles resource source text (app/resources/README.txt) into the application's file.
inline void UseResources(const std::string& source) {
  std::vector<UInt8> bytes;
  std::string error;
  ASSERT_TRUE(sp_testing::CompileResourceSource(source, ".", &bytes, &error)) << error;
  ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
}

// The dialog of the 'DLOG', shown in front (with the standard handler, if asked).
inline DialogRef OpenDialog(SInt16 id, bool standardHandler = true) {
  DialogRef dialog = GetNewDialog(id, nullptr, reinterpret_cast<WindowRef>(-1));
  EXPECT_NE(dialog, nullptr);
  if (dialog == nullptr) return nullptr;
  WindowRef window = GetDialogWindow(dialog);
  if (standardHandler) ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, 0);
  ShowWindow(window);
  SelectWindow(window);
  return dialog;
}

inline Rect ItemRect(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, item, &type, &handle, &box);
  return box;
}

inline ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
  ControlRef control = nullptr;
  GetDialogItemAsControl(dialog, item, &control);
  return control;
}

using Fn = std::function<OSStatus(EventRef)>;
inline OSStatus CallFn(EventHandlerCallRef, EventRef event, void* fn) {
  return (*static_cast<Fn*>(fn))(event);
}

class UiTest : public ::testing::Test {
 protected:
  // Installs the function as the target's handler of the event types, kept for the test.
  EventHandlerRef Listen(EventTargetRef target, std::vector<EventTypeSpec> types, Fn fn) {
    fns_.push_back(std::move(fn));
    EventHandlerRef ref = nullptr;
    EXPECT_EQ(InstallEventHandler(target, CallFn, ItemCount(types.size()), types.data(),
                                  &fns_.back(), &ref),
              noErr);
    return ref;
  }
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    Reset();
    sp_testing::ResetBeepCount();
    sp_testing::SetModifierKeys(0);
  }
  void TearDown() override {
    Reset();
    sp_testing::UseRealClock();
  }

  static void Reset() {
    sp_testing::ResetDialogs();
    sp_testing::ResetControls();
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetMenus();
    sp_testing::ResetResources();
    sp_testing::ResetAppleEvents();
    sp_testing::ResetGestalt();
  }
  std::deque<Fn> fns_;
};

// A window with the standard handler, and controls made in one line.
class ControlsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window_ = MakeWindow(R(100, 100, 400, 500), kWindowStandardHandlerAttribute);
  }

  ControlRef Make(SInt16 procID, const Rect& bounds, SInt16 value = 0, SInt16 minimum = 0,
                  SInt16 maximum = 1, const std::string& title = "OK", WindowRef window = nullptr) {
    ControlRef c = NewControl(window != nullptr ? window : window_, &bounds, PStr(title), true,
                              value, minimum, maximum, procID, 0);
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

}  // namespace ui_test
