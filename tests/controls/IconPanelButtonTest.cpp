// The icon panel button: the frame rings by its flags, the icon by its kind moved while
// pressed, and the hot spot and hover area following the button's place.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ErrorLogCapture.h"
#include "Icons.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpOC_IconButtonControl.h"
#include "SpResourceManager.h"
#include "SpViewWindow.h"
#include "TestClock.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

// A 16 x 16 colour icon whose red square covers (4, 4)-(12, 12), and a 32 x 32 one-bit icon
// with a black square in the middle.
enum : short { kRedSquareIcon = 9072, kBlackSquareIcon = 9073 };

const RGBColor kBlue = {0, 0, 0xFFFF}, kGreen = {0, 0xFFFF, 0}, kRed = {0xFFFF, 0, 0};

// A button of 32 x 32 at (20, 20) of its window, its icon in (8, 8)-(24, 24) of the button: the
// red square of the colour icon lies at (32, 32)-(40, 40) of the window.
class IconPanelButton : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetWindows();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_InitializeResourceManager();
    const Rect content = {100, 100, 300, 400};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    button_.reset(new cSp_OriginalMouseTraceIconPanelButtonControl(
        window_, Rect{20, 20, 52, 52}, Rect{8, 8, 24, 24}, 0, 0, kOrgB_PushButton, kOrgB_ColourIcon,
        nullptr, 0, 0, 0, nullptr));
    button_->SetupIconPanelIconId(kRedSquareIcon);
  }
  void TearDown() override {
    button_.reset();
    Sp_EnableMouseTrace(0);
    Sp_InitializeResourceManager();
    sp_testing::ResetResources();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }

  void Update() { Sp_RedrawViewForUpdateEvent(window_); }
  UInt32 Pixel(short h, short v) const {
    return sp_testing::ReadPixel(GetWindowPort(window_), h, v);
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_OriginalMouseTraceIconPanelButtonControl> button_;
  ErrorLogCapture errors_;
};

TEST_F(IconPanelButton, TheFrameTakesTheColourItsFlagsChooseOrNone) {
  button_->activeFrameColour = kBlue;
  button_->idleFrameColour = kGreen;
  button_->pressedFrameColour = kRed;
  const struct {
    unsigned char state, pressed, activeOn, idleOn, pressedOn;
    UInt32 ring;
    const char* why;
  } cases[] = {
      {0, 0, 1, 0, 0, 0xFFFFFF, "idle, and the idle frame is off: none"},
      {0, 0, 1, 1, 0, 0x00FF00, "idle frame"},
      {1, 0, 1, 0, 0, 0x0000FF, "active frame"},
      {1, 1, 1, 0, 1, 0xFF0000, "pressed frame"},
      {1, 1, 1, 0, 0, 0x0000FF, "pressed but that frame is off: the active one"},
      {1, 0, 0, 1, 1, 0xFFFFFF, "active, and the active frame is off: none"},
  };
  for (const auto& c : cases) {
    button_->frameState = c.state;
    button_->framePressed = c.pressed;
    button_->activeFrameEnable = c.activeOn;
    button_->idleFrameEnable = c.idleOn;
    button_->pressedFrameEnable = c.pressedOn;
    button_->GetFrameView()->SetupModifyDrawingRectAndFlag(nullptr, 1);
    Update();
    EXPECT_EQ(Pixel(20, 20), c.ring) << c.why;
    EXPECT_EQ(Pixel(21, 30), c.ring) << "the second ring: " << c.why;
    EXPECT_EQ(Pixel(22, 30), 0xFFFFFFu) << "two rings only: " << c.why;
    EXPECT_EQ(Pixel(51, 51), c.ring) << c.why;
  }
}

TEST_F(IconPanelButton, TheIconIsPlottedByItsKindAndMovesWhilePressed) {
  Update();
  EXPECT_EQ(Pixel(32, 32), 0xFF0000u);
  EXPECT_EQ(Pixel(40, 40), 0xFFFFFFu);
  button_->HotSpotMouseDonwProc(0, Point{36, 36});
  EXPECT_EQ(Pixel(32, 32), 0xFFFFFFu) << "pressed: one pixel right and down";
  EXPECT_EQ(Pixel(40, 40), 0xFF0000u);
  button_->HotSpotMouseUpProc(0, Point{36, 36});
  EXPECT_EQ(Pixel(32, 32), 0xFF0000u);

  // An icon suite: nothing while there is none, then the suite's icon.
  button_->SetupIconPanelIconType(kOrgB_IconSuiteIcon);
  Update();
  EXPECT_EQ(Pixel(36, 36), 0xFFFFFFu);
  IconSuiteRef first = nullptr, second = nullptr;
  ASSERT_EQ(NewIconSuite(&first), noErr);
  ASSERT_EQ(GetIconSuite(&second, kBlackSquareIcon, kSelectorLarge1Bit), noErr);
  button_->SetupIconPanelIconSuiteHandle(first);
  button_->SetupIconPanelIconSuiteHandle(second);  // the first is disposed of
  Update();
  EXPECT_EQ(Pixel(36, 36), 0x000000u);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(IconPanelButton, TheHotSpotAndHoverAreaFollowTheButtonsPlace) {
  Rect hotSpot;
  button_->GetHotSpotArea(hotSpot);
  EXPECT_EQ((std::vector<short>{hotSpot.left, hotSpot.top, hotSpot.right, hotSpot.bottom}),
            (std::vector<short>{20, 20, 52, 52}));
  cMouseTraceObject* hover = button_->GetMouseTraceArea();
  ASSERT_NE(hover, nullptr);
  EXPECT_EQ(hover->IsInMouseTraceArea(Point{30, 30}, 1), 1);

  button_->MoveOriginalMouseTraceIconButtonCnt(100, 50, 0);
  button_->GetHotSpotArea(hotSpot);
  EXPECT_EQ((std::vector<short>{hotSpot.left, hotSpot.top, hotSpot.right, hotSpot.bottom}),
            (std::vector<short>{100, 50, 132, 82}));
  EXPECT_EQ(hover->IsInMouseTraceArea(Point{30, 30}, 1), 0);
  EXPECT_EQ(hover->IsInMouseTraceArea(Point{60, 110}, 1), 1);

  button_->ResizeOriginalMouseTraceIconButtonCnt(40, 20, 0);
  button_->GetHotSpotArea(hotSpot);
  EXPECT_EQ((std::vector<short>{hotSpot.left, hotSpot.top, hotSpot.right, hotSpot.bottom}),
            (std::vector<short>{100, 50, 140, 70}));
  EXPECT_EQ(hover->IsInMouseTraceArea(Point{75, 110}, 1), 0);
  Update();
  EXPECT_EQ(Pixel(112, 62), 0xFF0000u) << "the icon moved with the button";

  // Inside a container that moves, both follow the button's place on the window.
  cSp_View outer(window_, Rect{150, 150, 200, 250}, 0, 0, nullptr, 0);
  cSp_OriginalMouseTraceIconPanelButtonControl inner(window_, Rect{10, 10, 30, 30},
                                                     Rect{0, 0, 20, 20}, 0, 0, kOrgB_PushButton,
                                                     kOrgB_ColourIcon, &outer, 0, 0, 0, nullptr);
  outer.MoveViewArea(200, 160, 0, 1);
  inner.GetHotSpotArea(hotSpot);
  EXPECT_EQ((std::vector<short>{hotSpot.left, hotSpot.top, hotSpot.right, hotSpot.bottom}),
            (std::vector<short>{210, 170, 230, 190}));
  EXPECT_EQ(inner.GetMouseTraceArea()->IsInMouseTraceArea(Point{165, 165}, 1), 0);
  EXPECT_EQ(inner.GetMouseTraceArea()->IsInMouseTraceArea(Point{175, 215}, 1), 1);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
