// Helpers shared by the Dialog Manager's tests: a clean state on the virtual clock, dialogs
// made from resource source text, and MacJapanese text from UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacWindows.h"
#include "SpTesting.h"
#include "SpTextCodec.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace dialogs_test {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    Reset();
    sp_testing::ResetBeepCount();
  }
  void TearDown() override {
    Reset();
    sp_testing::UseRealClock();
  }

  static void Reset() {
    sp_testing::ResetDialogs();
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
  }

  // Compiles resource source text (app/resources/README.txt) into the application's file.
  static void UseResources(const std::string& source) {
    std::vector<UInt8> bytes;
    std::string error;
    ASSERT_TRUE(sp_testing::CompileResourceSource(source, ".", &bytes, &error)) << error;
    ASSERT_EQ(sp_testing::UseInMemoryAppResources(bytes), noErr);
  }

  // The dialog of the 'DLOG', shown in front with the standard handler on.
  static DialogRef OpenDialog(SInt16 id) {
    DialogRef dialog = GetNewDialog(id, nullptr, reinterpret_cast<WindowRef>(-1));
    EXPECT_NE(dialog, nullptr);
    if (dialog == nullptr) return nullptr;
    WindowRef window = GetDialogWindow(dialog);
    ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, 0);
    ShowWindow(window);
    SelectWindow(window);
    return dialog;
  }

  static Rect ItemRect(DialogRef dialog, DialogItemIndex item) {
    DialogItemType type = 0;
    Handle handle = nullptr;
    Rect box = {0, 0, 0, 0};
    GetDialogItem(dialog, item, &type, &handle, &box);
    return box;
  }

  static ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
    ControlRef control = nullptr;
    GetDialogItemAsControl(dialog, item, &control);
    return control;
  }
};

// MacJapanese bytes of a UTF-8 text (converted once, where the test states it).
inline std::string SJ(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese(utf8, out));
  return out;
}

inline Point Pt(SInt16 h, SInt16 v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}

}  // namespace dialogs_test
