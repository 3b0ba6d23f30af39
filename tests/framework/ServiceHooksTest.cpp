#include <gtest/gtest.h>

#include "SpDragAndDropObject.h"
#include "SpEditTextObject.h"
#include "SpOriginalControl.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"

namespace {

void FixedScreen(Rect* screen) {
  *screen = {22, 0, 600, 800};
}

class ServiceHooks : public ::testing::Test {
 protected:
  void TearDown() override {
    Sp_InstallViewServices();
    Sp_OCnt_InstallControlServices();
    SpDDO_InstallDragServices();
    SpETO_InstallEditTextServices();
  }
};

TEST_F(ServiceHooks, MembersLeftNullAnswerAsAProgramWithoutThatLibrary) {
  sSpViewServices partial = {};
  partial.Sp_GetScreenSize = FixedScreen;
  Sp_SetupViewServices(&partial);
  const sSpViewServices& views = Sp_ViewServices();

  Rect screen = {};
  views.Sp_GetScreenSize(&screen);
  EXPECT_EQ(screen.bottom, 600);
  Rect untouched = {1, 2, 3, 4};
  views.Sp_GetWindowSize(nullptr, untouched);
  EXPECT_EQ(untouched.right, 4);
  EXPECT_EQ(views.Sp_MouseDownHotSpot(nullptr, Point{0, 0}, 0), 0);
  CCrsrHandle cursor = reinterpret_cast<CCrsrHandle>(&screen);
  SInt32 reference = 7;
  EXPECT_EQ(views.Sp_ResM_GetCCursorHandle(128, &cursor, &reference), 0);
  EXPECT_EQ(cursor, nullptr);
  EXPECT_EQ(reference, 0);
  EXPECT_EQ(views.EachInstalledFontName(nullptr, 0), 0);

  Sp_SetupControlServices(nullptr);
  Sp_SetupEditTextServices(nullptr);
  EXPECT_EQ(Sp_ControlServices().Sp_OCnt_BasicWinControlMouseDown(nullptr, Point{0, 0}), 0);
  EXPECT_EQ(Sp_EditTextServices().SpETO_EventKeyInProcedure('a', 0), 0);
  EXPECT_EQ(Sp_EditTextServices().SpETO_ExistTextObjectAtEextInputInProgress(), 0);
}

TEST_F(ServiceHooks, InstalledViewsListTheFontsForTheFontMenu) {
  int fonts = 0;
  ASSERT_EQ(Sp_ViewServices().EachInstalledFontName(
                [](const char*, unsigned long refCon) { ++*reinterpret_cast<int*>(refCon); },
                reinterpret_cast<unsigned long>(&fonts)),
            1);
  EXPECT_GT(fonts, 0);
}

}  // namespace
