// A menu object made from a popup-button control wraps the control's own menu: items built
// from it, changes made through the object reaching the popup.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"

namespace {

class MenuControlPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    Reset();
    std::vector<sp_testing::MenuResourceItem> items;
    for (const char* text : {"AIFF", "WAVE", "MooV"}) {
      sp_testing::MenuResourceItem item;
      item.text = text;
      items.push_back(item);
    }
    ASSERT_EQ(sp_testing::AddAppResource(SpFourCC("MENU"), 129,
                                         sp_testing::MakeMenuResource(129, "Type", items)),
              noErr);
    Rect content = {100, 100, 300, 400};
    ASSERT_EQ(
        CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &content, &window_),
        noErr);
    ShowWindow(window_);
    Rect bounds = {20, 20, 40, 220};
    const unsigned char title[] = {5, 'T', 'y', 'p', 'e', ':'};
    popup_ = NewControl(window_, &bounds, title, true, 0, 129, 50, popupMenuProc, 0);
    ASSERT_NE(popup_, nullptr);
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
  static std::vector<std::string> Texts(cSpMenu& menu) {
    std::vector<std::string> texts;
    for (cSpMenuItem* item = menu.GetMenuItemListHead(); item != nullptr;
         item = item->GetNextObjectPtr()) {
      texts.push_back(item->GetItemNamePtr());
    }
    return texts;
  }

  WindowRef window_ = nullptr;
  ControlRef popup_ = nullptr;
};

TEST_F(MenuControlPopupTest, WrapsThePopupsMenuAndBuildsItsItems) {
  cSpMenu menu(popup_, 1);
  EXPECT_EQ(menu.GetMenuKind(), kSpMenuKindControl);
  EXPECT_EQ(menu.GetMacOSMenuHandle(), GetControlPopupMenuHandle(popup_));
  EXPECT_EQ(menu.GetResourceID(), 129);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"AIFF", "WAVE", "MooV"}));
}

TEST_F(MenuControlPopupTest, ItemsAddedThroughTheObjectCanBeChosenInThePopup) {
  cSpMenu menu(popup_, 1);
  ASSERT_NE(menu.CreateMenuItemAndSetupToMenuMgr(-1, "AIFC", 0), nullptr);
  sp_testing::ChoosePopupItem(popup_, 4);
  EXPECT_EQ(GetControlValue(popup_), 4);
  EXPECT_EQ(GetControlMaximum(popup_), 4);
}

TEST_F(MenuControlPopupTest, WithoutItemsFlagTheObjectListIsLeftEmpty) {
  cSpMenu menu(popup_, 0);
  EXPECT_EQ(menu.GetMenuItemListHead(), nullptr);
  EXPECT_NE(menu.GetMacOSMenuHandle(), nullptr);
}

TEST_F(MenuControlPopupTest, NullControlOrOneWithoutAMenuGivesNoSystemMenu) {
  ErrorLogCapture log;
  cSpMenu none(static_cast<ControlRef>(nullptr), 0);
  EXPECT_EQ(none.GetMacOSMenuHandle(), nullptr);
  EXPECT_EQ(none.GetMenuKind(), kSpMenuKindControl);
  Rect bounds = {60, 20, 80, 120};
  ControlRef button = NewControl(window_, &bounds, nullptr, true, 0, 0, 1, pushButProc, 0);
  cSpMenu notPopup(button, 1);
  EXPECT_EQ(notPopup.GetMacOSMenuHandle(), nullptr);
  EXPECT_EQ(log.Count(), 1u) << "asking for items of no menu is reported once";
}

}  // namespace
