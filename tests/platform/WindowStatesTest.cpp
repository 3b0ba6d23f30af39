// What other layers keep for each window (the display's window on the desktop) is keyed by the
// window's serial number, never by its address: a window made where a disposed one lay gets
// none of the old one's state, and the old state is dropped.
#include <map>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "ui/internal/WindowStates.h"
#include "ui/internal/Windows.h"

namespace ui_test {
namespace {

using sp_platform::WindowSerial;
using sp_platform::WindowStates;
using Names = std::vector<std::string>;

// Serial numbers as the test hands them out: one address can be one window, then another.
std::map<WindowRef, UInt64>& FakeSerials() {
  static std::map<WindowRef, UInt64> serials;
  return serials;
}

UInt64 FakeSerialOf(WindowRef window) {
  const auto it = FakeSerials().find(window);
  return it != FakeSerials().end() ? it->second : 0;
}

TEST(WindowStates, AWindowMadeAtADisposedWindowsAddressGetsNoneOfItsState) {
  // A menu's popup window (serial 7) is disposed of and a dialog (serial 8) is made at its very
  // address: forced here, where the allocator only may do it.
  int storage = 0;
  const WindowRef address = reinterpret_cast<WindowRef>(&storage);
  FakeSerials() = {{address, 7}};
  WindowStates<std::string> states(FakeSerialOf);
  ASSERT_NE(states.Add(address, "popup"), nullptr);
  ASSERT_NE(states.Find(address), nullptr);
  EXPECT_EQ(*states.Find(address), "popup");

  FakeSerials()[address] = 8;
  EXPECT_EQ(states.Find(address), nullptr) << "the dialog takes over no popup window";
  Names dropped;
  const auto drop = [&dropped](std::string& state) { dropped.push_back(state); };
  states.ForgetGone(drop);
  EXPECT_EQ(dropped, Names{"popup"}) << "the popup's state goes, once";
  ASSERT_NE(states.Add(address, "dialog"), nullptr);
  EXPECT_EQ(*states.Find(address), "dialog");
  states.ForgetGone(drop);
  EXPECT_EQ(dropped, Names{"popup"}) << "a live window keeps its state";

  FakeSerials().clear();  // the dialog is gone too
  EXPECT_EQ(states.Find(address), nullptr);
  EXPECT_EQ(states.Add(address, "late"), nullptr) << "nothing is kept for a window that is gone";
  states.ForgetGone(drop);
  EXPECT_EQ(dropped, (Names{"popup", "dialog"}));
  EXPECT_EQ(states.size(), 0u);
}

using WindowSerials = UiTest;

TEST_F(WindowSerials, NoWindowGetsTheSerialNumberOrTheStateOfOneMadeBefore) {
  // Windows made and disposed of in turn, of the classes a menu and its dialog have, their
  // states left in the table: the allocator may hand an address back (a sanitizer's rarely
  // does), a serial number never.
  WindowStates<int> states;
  UInt64 last = 0;
  for (int i = 0; i < 64; ++i) {
    const WindowClass windowClass = i % 2 == 0 ? kHelpWindowClass : kMovableModalWindowClass;
    WindowRef window = MakeWindow(R(100, 100, 200, 300), 0, windowClass);
    ASSERT_NE(window, nullptr);
    const UInt64 serial = WindowSerial(window);
    EXPECT_GT(serial, last) << "window " << i;
    EXPECT_EQ(states.Find(window), nullptr) << "window " << i << " has a state of one before";
    ASSERT_NE(states.Add(window, i), nullptr);
    last = serial;
    DisposeWindow(window);
    EXPECT_EQ(WindowSerial(window), 0u) << "a disposed window has none";
    EXPECT_EQ(states.Find(window), nullptr);
  }
  EXPECT_EQ(WindowSerial(nullptr), 0u);
  int dropped = 0;
  states.ForgetGone([&dropped](int&) { ++dropped; });
  EXPECT_EQ(dropped, 64);
}

}  // namespace
}  // namespace ui_test
