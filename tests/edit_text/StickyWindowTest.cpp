// The sticky note of the test window driven through the framework's event handling: presses,
// drags and releases posted as the display posts them reach the note's hot spot, which grows
// the note (Shift keeping one axis), minimizes it from its box and from a double click on its
// title, and the window's pixels follow.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "EditTestWindow.h"
#include "EditTextTestSupport.h"
#include "SpCarbonEventHandlers.h"
#include "SpServiceHooks.h"
#include "SpViewServices.h"
#include "SpWindowHandlers.h"

namespace edit_test {
namespace {

std::string Str(const Rect& r) {
  return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + ")";
}

class StickyWindowTest : public EditTextFixture {
 protected:
  void SetUp() override {
    EditTextFixture::SetUp();
    Sp_InstallViewServices();
    SpETO_InstallEditTextServices();
    Sp_SetupWindowEventHandlerForCarbonEvent();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
    SpTextServiceInitialize();
    // Later than the clock's first ticks, as a program runs: double clicks are told by time.
    sp_testing::PumpFor(2000000);
    window_.reset(new sp_test_support::EditTestWindow(100, 100));
    sp_testing::PumpPending();
  }
  void TearDown() override {
    sp_testing::SetModifierKeys(0);
    window_.reset();
    Sp_SetupEditTextServices(nullptr);
    Sp_SetupViewServices(nullptr);
    EditTextFixture::TearDown();
  }
  Rect Base() const {
    Rect r;
    window_->Note()->GetStickyBaseViewImmeditArea(r);
    return r;
  }
  Point At(short h, short v) const { return window_->Global(h, v); }

  std::unique_ptr<sp_test_support::EditTestWindow> window_;
};

TEST_F(StickyWindowTest, AShiftDragOfTheGrowBoxChangesOneAxisAndTheNoteBlendsAgainAfter) {
  cStickyObject* note = window_->Note();
  EXPECT_EQ(Str(Base()), "(60, 40, 143, 188)");
  note->StickyFrameActive(1);
  sp_testing::SetModifierKeys(shiftKey);
  sp_testing::PostClick(At(181, 135), {At(186, 137), At(191, 139)}, shiftKey);
  sp_testing::PumpPending();
  sp_testing::SetModifierKeys(0);
  EXPECT_EQ(Str(Base()), "(60, 40, 143, 198)");
  EXPECT_EQ(note->GetStickyBaseView()->IsTransmitEnableView(), 1);
  // Without Shift both axes follow.
  sp_testing::PostClick(At(191, 135), {At(201, 145)});
  sp_testing::PumpPending();
  EXPECT_EQ(Str(Base()), "(60, 40, 153, 208)");
  const UInt32 bar = sp_testing::ReadPixel(GetWindowPort(window_->Window()), 100, 65);
  EXPECT_NE(bar, 0xFFFFFFu) << "the title bar shows";
}

TEST_F(StickyWindowTest, TheMinimizeBoxAndADoubleClickOnTheTitleSwitchTheNote) {
  cStickyObject* note = window_->Note();
  note->StickyFrameActive(1);
  sp_testing::PostClick(At(100, 136));
  sp_testing::PumpPending();
  ASSERT_EQ(note->GetCurrentMinimize(), 1);
  EXPECT_EQ(Str(Base()), "(60, 40, 78, 188)");
  // A release off the box leaves the minimized note as it is.
  sp_testing::PostClick(At(168, 68), {At(100, 68)});
  sp_testing::PumpPending();
  EXPECT_EQ(note->GetCurrentMinimize(), 1);
  sp_testing::PumpFor(1000000);
  sp_testing::PostClick(At(100, 65));
  sp_testing::PostClick(At(100, 65));
  sp_testing::PumpPending();
  EXPECT_EQ(note->GetCurrentMinimize(), 0);
  EXPECT_EQ(Str(Base()), "(60, 40, 143, 188)");
}

TEST_F(StickyWindowTest, TheFieldsOfTheWindowTakeTheTabKeyInTurn) {
  window_->First()->ActivateEditText(1, 1);
  sp_testing::PostKeyDown('\t', 0);
  sp_testing::PostKeyUp('\t', 0);
  sp_testing::PumpPending();
  EXPECT_TRUE(window_->Second()->IsActiveEditText());
  EXPECT_FALSE(window_->First()->IsActiveEditText());
}

}  // namespace
}  // namespace edit_test
