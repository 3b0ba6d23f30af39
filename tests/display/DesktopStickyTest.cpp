// The edit-text test window on the real display: xdotool's Shift-drag of the note's grow box
// reaches the note through SDL and the framework and changes one axis, and the screen shows
// exactly the window's buffer, the translucent note blended over the window included.
#include <string>

#include "DesktopFixture.h"
#include "EditTestWindow.h"
#include "SpCarbonEventHandlers.h"
#include "SpServiceHooks.h"
#include "SpStdFunctionNumber.h"
#include "SpViewServices.h"
#include "SpWindowHandlers.h"
#include "TestQuickDraw.h"

namespace desktop_test {
namespace {

std::string Str(int v) {
  return std::to_string(v);
}

class DesktopSticky : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    Sp_CarbonEvent_ModeEnable();
    Sp_InstallViewServices();
    SpETO_InstallEditTextServices();
    Sp_SetupWindowEventHandlerForCarbonEvent();
    ASSERT_EQ(Sp_SetOtherEventHandlerForOSXCFM(), noErr);
  }
  void TearDown() override {
    window_.reset();
    Sp_SetupEditTextServices(nullptr);
    Sp_SetupViewServices(nullptr);
    DesktopTest::TearDown();
  }
  Rect Base() const {
    Rect r;
    window_->Note()->GetStickyBaseViewImmeditArea(r);
    return r;
  }
  // The first pixel where the screen differs from the window's buffer, or "" when none does.
  std::string ScreenAgainstBuffer(WindowRef window) {
    ScreenImage shot;
    if (!ReadWindowImage(window, &shot)) return "no screen image";
    const int strip = sp_platform::display::StripHeightOf(window);
    Rect bounds;
    GetPortBounds(GetWindowPort(window), &bounds);
    for (int v = 0; v < bounds.bottom - bounds.top; ++v) {
      for (int h = 0; h < bounds.right - bounds.left; ++h) {
        if (h >= shot.width || v + strip >= shot.height) return "the screen image is too small";
        const UInt32 buffer = sp_testing::ReadPixel(GetWindowPort(window), SInt16(h), SInt16(v));
        if (shot.At(h, v + strip) != buffer) {
          return "(" + Str(h) + ", " + Str(v) + ")";
        }
      }
    }
    return "";
  }

  std::unique_ptr<sp_test_support::EditTestWindow> window_;
};

TEST_F(DesktopSticky, AShiftDragOfTheGrowBoxChangesOneAxisAndTheScreenShowsTheTranslucentNote) {
  window_.reset(new sp_test_support::EditTestWindow(150, 120));
  WindowRef window = window_->Window();
  SelectWindow(window);
  ASSERT_TRUE(WaitUntilShown(window));
  // Shift reaches the window that has the keyboard.
  ASSERT_TRUE(WaitForKeyboard());
  cStickyObject* note = window_->Note();
  note->StickyFrameActive(1);
  const int strip = sp_platform::display::StripHeightOf(window);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 181, strip + 135, &sx, &sy));
  // Shift is let go only once the note has grown: the keyboard's state is read live, and a
  // release in the same burst could overtake the queued mouse events.
  ASSERT_TRUE(RunToolPumping({"xdotool", "mousemove", "--sync", Str(sx), Str(sy), "keydown",
                              "shift", "mousedown", "1", "mousemove", "--sync", Str(sx + 5),
                              Str(sy + 2), "mousemove", "--sync", Str(sx + 10), Str(sy + 4),
                              "mouseup", "1"}));
  PumpUntil([this] { return Base().right == 198; }, "the note to grow");
  ASSERT_TRUE(RunToolPumping({"xdotool", "keyup", "shift"}));
  EXPECT_EQ(Base().bottom, 143) << "Shift keeps the height";
  EXPECT_EQ(Base().right, 198);

  // Inactive, the note is blended over the window; the screen shows the buffer exactly.
  note->StickyFrameDeActive(1);
  ASSERT_EQ(note->GetStickyBaseView()->IsTransmitEnableView(), 1);
  std::string difference = "not compared";
  PumpUntil(
      [&] {
        difference = ScreenAgainstBuffer(window);
        return difference.empty();
      },
      "the screen to show the window's buffer");
  EXPECT_EQ(difference, "");
  // The title bar there is blended: neither the opaque bar nor the white window.
  const UInt32 bar = sp_testing::ReadPixel(GetWindowPort(window), 100, 65);
  EXPECT_NE(bar, 0xB3B3B3u);
  EXPECT_NE(bar, 0xFFFFFFu);
}

}  // namespace
}  // namespace desktop_test
