// Shared set-up of the tests of the application's modal dialogs, run on their own without the
// program: the compiled application resources, the virtual clock, the Carbon-event mode, a
// temporary home with a settings file object, and the responder that answers every dialog.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "CarbonEvents.h"
#include "Controls.h"
#include "Dialogs.h"
#include "ErrorLogCapture.h"
#include "Folders.h"
#include "MacWindows.h"
#include "Menus.h"
#include "SpPreferenceStockObject.h"
#include "SpStdDrawingFunction.h"
#include "SpStringView.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "TestResources.h"
#include "TestResponder.h"
#include "TestWindows.h"

namespace app_test {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ShownSoFar;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    sp_testing::ResetEvents();
    sp_testing::ResetDialogs();
    sp_testing::ResetWindows();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_CarbonEvent_ModeEnable();
    ASSERT_FALSE(home_.Home().empty());
    short vRefNum = 0;
    SInt32 dirID = 0;
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID),
              noErr);
    stock_ = std::make_unique<cPrefStockFileObj>(SpFourCC("InDt"), vRefNum, dirID, "TestPref",
                                                 SpFourCC("Zqcd"), SpFourCC("preF"));
    responder_ = std::make_unique<sp_testing::ResponderScope>();
  }
  void TearDown() override {
    responder_.reset();
    stock_.reset();
    sp_testing::ResetEvents();
    sp_testing::ResetDialogs();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::UseRealClock();
  }

  // (Public: responder steps read the dialog through them.)
 public:
  static Rect Screen() {
    Rect screen = {0, 0, 0, 0};
    Sp_GetScreenSize(&screen);
    return screen;
  }
  // The value of a dialog item's control, -1 without one.
  static SInt32 Value(WindowRef window, DialogItemIndex item) {
    ControlRef control = nullptr;
    if (GetDialogItemAsControl(GetDialogFromWindow(window), item, &control) != noErr) return -1;
    return GetControl32BitValue(control);
  }
  static bool Active(WindowRef window, DialogItemIndex item) {
    ControlRef control = nullptr;
    GetDialogItemAsControl(GetDialogFromWindow(window), item, &control);
    return control != nullptr && IsControlActive(control);
  }
  static Rect Content(WindowRef window) {
    Rect content = {0, 0, 0, 0};
    GetWindowBounds(window, kWindowContentRgn, &content);
    return content;
  }
  // The texts of the window's shown string views (enabled, and starting inside the window's
  // height), in the order they were made.
  static std::vector<std::string> ViewTexts(WindowRef window) {
    std::vector<std::string> texts;
    cSp_ViewWindow* views = Sp_GetViewWindowObject(window, 0);
    if (views == nullptr) return texts;
    const Rect content = Content(window);
    for (cSp_View* view = views->GetWindowViewList(); view != nullptr;
         view = view->GetViewWindowItemNextObjectPtr()) {
      auto* text = dynamic_cast<cSp_StringView*>(view);
      Rect area = {0, 0, 0, 0};
      if (text != nullptr) text->GetDrawingAreaOnWindow(&area);
      if (text != nullptr && text->IsEnableView() && area.top < content.bottom - content.top) {
        texts.push_back(text->GetString());
      }
    }
    return texts;
  }
  // The texts of a popup's items and the selected one's.
  static std::vector<std::string> PopupTexts(WindowRef window, DialogItemIndex item) {
    std::vector<std::string> texts;
    ControlRef control = nullptr;
    GetDialogItemAsControl(GetDialogFromWindow(window), item, &control);
    MenuRef menu = control != nullptr ? GetControlPopupMenuHandle(control) : nullptr;
    for (SInt16 i = 1; menu != nullptr && i <= SInt16(CountMenuItems(menu)); ++i) {
      Str255 text;
      GetMenuItemText(menu, i, text);
      texts.emplace_back(reinterpret_cast<const char*>(text + 1), text[0]);
    }
    return texts;
  }

 protected:
  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  std::unique_ptr<cPrefStockFileObj> stock_;
  std::unique_ptr<sp_testing::ResponderScope> responder_;
};

}  // namespace app_test
