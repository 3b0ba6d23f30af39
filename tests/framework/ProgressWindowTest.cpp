// Progress windows: the main bar kept within its range and drawn once per change, bars
// addressed by item number, the window's place in the framework's lists, the simple progress
// window, and a picture of a progress window with Japanese texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "Dialogs.h"
#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpProgressBarWinObject.h"
#include "SpProgressWinObj.h"
#include "SpTesting.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"
#include "TestControls.h"
#include "TestDialogs.h"
#include "TestEvents.h"
#include "TestQuickDraw.h"
#include "TestResources.h"
#include "TestWindows.h"

namespace {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;
// The test progress dialogs (app/resources/framework-tests.r), laid out like the
// application's: 9135 one item, 9136 several items (with the item bar 19).
constexpr short kOneItemDialog = 9135;
constexpr short kSeveralItemsDialog = 9136;
constexpr short kCancelItem = 1;
constexpr short kMainBarItem = 2;
constexpr short kItemBarItem = 19;

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(kTestDate);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    Sp_CarbonEvent_ModeEnable();
  }
  void TearDown() override {
    progress_.reset();
    simple_.reset();
    other_.reset();
    sp_testing::ResetWindows();
    sp_testing::ResetResources();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // The window as the application makes it: (dialog, 2, 1, maximum).
  cSp_ProgressBarWin* MakeProgress(short dialogId = kSeveralItemsDialog, short maxValue = 100) {
    progress_.reset(new cSp_ProgressBarWin(dialogId, kMainBarItem, kCancelItem, maxValue));
    return progress_.get();
  }

  static ControlRef Bar(cSp_Window* window, short item) {
    ControlRef control = nullptr;
    GetDialogItemAsControl(window->GetDialogRef(), item, &control);
    return control;
  }
  static sp_testing::ControlModel BarModel(cSp_Window* window, short item) {
    return sp_testing::ReadControl(Bar(window, item));
  }

  std::unique_ptr<cSp_ProgressBarWin> progress_;
  std::unique_ptr<cSp_SimpleProgressWindow> simple_;
  std::unique_ptr<cSp_Window> other_;
  ErrorLogCapture errors_;
};

// ---- The main bar ---------------------------------------------------------------------------

TEST_F(ProgressWindowTest, MainBarGetsTheRangeZeroToTheMaximumGiven) {
  cSp_ProgressBarWin* window = MakeProgress(kSeveralItemsDialog, 40);
  const sp_testing::ControlModel bar = BarModel(window, kMainBarItem);
  EXPECT_EQ(bar.minimum, 0);
  EXPECT_EQ(bar.maximum, 40);
  EXPECT_EQ(bar.value, 0);
  // The item bar keeps what its resource gives it.
  EXPECT_EQ(BarModel(window, kItemBarItem).maximum, 100);
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ProgressWindowTest, MainBarNeverShowsValueOutsideZeroToMaximum) {
  cSp_ProgressBarWin* window = MakeProgress();
  window->Open(1, nullptr);
  // The control itself would take a wider range: the window must keep to its own.
  window->SetupTargetProgresControlMinValue(kMainBarItem, -500);
  window->SetupTargetProgresControlMaxValue(kMainBarItem, 500);
  struct Case {
    short value;
    short shown;
  };
  const Case cases[] = {
      {40, 40}, {150, 100}, {-20, 0}, {100, 100}, {32767, 100}, {1, 1}, {-32768, 0}, {99, 99},
  };
  for (const Case& c : cases) {
    window->SetupCurrentValue(c.value);
    EXPECT_EQ(GetControlValue(Bar(window, kMainBarItem)), c.shown) << "value " << c.value;
  }
}

TEST_F(ProgressWindowTest, EachChangeOfTheMainBarIsDrawnOnceAndRepeatsAreNotDrawn) {
  cSp_ProgressBarWin* window = MakeProgress();
  window->Open(1, nullptr);
  window->SetupTargetProgresControlMinValue(kMainBarItem, -500);
  window->SetupTargetProgresControlMaxValue(kMainBarItem, 500);
  struct Case {
    short value;
    UInt32 newDraws;  // since the case before
  };
  const Case cases[] = {
      {10, 1}, {10, 0}, {11, 1}, {150, 1}, {200, 0}, {100, 0}, {-5, 1}, {-9, 0}, {0, 0}, {1, 1},
  };
  for (const Case& c : cases) {
    const UInt32 before = BarModel(window, kMainBarItem).drawCount;
    window->SetupCurrentValue(c.value);
    EXPECT_EQ(BarModel(window, kMainBarItem).drawCount - before, c.newDraws) << "value " << c.value;
  }
}

TEST_F(ProgressWindowTest, MainBarWithoutControlReportsDataError) {
  struct Case {
    const char* what;
    short dialogId;
    short progressItem;
  };
  const Case cases[] = {
      {"progress item is a text", kSeveralItemsDialog, 3},
      {"no such dialog", 9199, kMainBarItem},
  };
  for (const Case& c : cases) {
    progress_.reset(new cSp_ProgressBarWin(c.dialogId, c.progressItem, kCancelItem, 100));
    errors_.Clear();
    const UInt32 beeps = errors_.Beeps();
    progress_->SetupCurrentValue(5);
    EXPECT_TRUE(errors_.Has("cSp_ProgressBarWin::SetupCurrentValue", 1)) << c.what;
    EXPECT_EQ(errors_.Records().back().message, "Data Error !! ") << c.what;
    EXPECT_EQ(errors_.Beeps() - beeps, 1u) << c.what;
    // The bars by item number have nothing to set either.
    progress_->SetupTargetProgresControlCurrentValue(kItemBarItem, 5);
    progress_.reset();
  }
}

// ---- Bars by item number --------------------------------------------------------------------

TEST_F(ProgressWindowTest, ItemBarsAreAddressedByTheirItemNumberAlone) {
  cSp_ProgressBarWin* window = MakeProgress();
  window->Open(1, nullptr);
  window->SetupCurrentValue(25);
  window->SetupTargetProgresControlMinValue(kItemBarItem, 10);
  window->SetupTargetProgresControlMaxValue(kItemBarItem, 50);
  window->SetupTargetProgresControlCurrentValue(kItemBarItem, 30);

  const sp_testing::ControlModel item = BarModel(window, kItemBarItem);
  EXPECT_EQ(item.minimum, 10);
  EXPECT_EQ(item.maximum, 50);
  EXPECT_EQ(item.value, 30);
  const sp_testing::ControlModel main = BarModel(window, kMainBarItem);
  EXPECT_EQ(main.minimum, 0);
  EXPECT_EQ(main.maximum, 100);
  EXPECT_EQ(main.value, 25);

  // An item value is not kept within the main bar's range: only the control's own applies.
  window->SetupTargetProgresControlMaxValue(kItemBarItem, 1000);
  window->SetupTargetProgresControlCurrentValue(kItemBarItem, 700);
  EXPECT_EQ(GetControlValue(Bar(window, kItemBarItem)), 700);
}

TEST_F(ProgressWindowTest, ItemSettersIgnoreItemsWithoutControl) {
  cSp_ProgressBarWin* window = MakeProgress();
  for (short item : {short(0), short(3), short(4), short(99), short(-1)}) {
    window->SetupTargetProgresControlMinValue(item, 5);
    window->SetupTargetProgresControlMaxValue(item, 5);
    window->SetupTargetProgresControlCurrentValue(item, 5);
  }
  EXPECT_EQ(errors_.Count(), 0u);
  EXPECT_EQ(errors_.Beeps(), 0u);
}

// ---- The framework's lists ------------------------------------------------------------------

TEST_F(ProgressWindowTest, WindowIsMadeHiddenInFrontAndLeavesTheListWhenDeleted) {
  other_.reset(new cSp_Window(nullptr));
  other_->Open(1, nullptr);

  cSp_ProgressBarWin* window = MakeProgress();
  WindowRef ref = window->GetWindowRef();
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(WindowListHead_GlV, window) << "in front of the other windows of its list";
  EXPECT_EQ(window->GetWindowType(), kSpDialogWindowType);
  EXPECT_EQ(window->IsOpen(), 0);
  EXPECT_FALSE(IsWindowVisible(ref));
  EXPECT_EQ(Sp_CountOpenWindow(), 1);
  EXPECT_EQ(Sp_SerchWindowObject(ref), window);

  window->Open(1, nullptr);
  EXPECT_TRUE(IsWindowVisible(ref));
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), window);
  EXPECT_EQ(Sp_CountOpenWindow(), 2);

  progress_.reset();
  EXPECT_EQ(WindowListHead_GlV, other_.get());
  EXPECT_EQ(other_->BeforeObject(), nullptr);
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), other_.get());
  EXPECT_EQ(Sp_CountOpenWindow(), 1);
  EXPECT_EQ(Sp_SerchWindowObject(ref), nullptr);
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- The simple progress window -------------------------------------------------------------

TEST_F(ProgressWindowTest, SimpleWindowShowsItsRangeAndValueInFrontAtOnce) {
  other_.reset(new cSp_Window(nullptr));
  other_->Open(1, nullptr);
  // A range that excludes the resource's: the value is right only when it is set last.
  simple_.reset(new cSp_SimpleProgressWindow(kOneItemDialog, 0, 120, 150, 130));

  EXPECT_EQ(simple_->IsOpen(), 1);
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), simple_.get());
  EXPECT_TRUE(IsWindowVisible(simple_->GetWindowRef()));
  const sp_testing::ControlModel bar = BarModel(simple_.get(), kMainBarItem);
  EXPECT_EQ(bar.minimum, 120);
  EXPECT_EQ(bar.maximum, 150);
  EXPECT_EQ(bar.value, 130);
  EXPECT_GT(bar.drawCount, 0u) << "drawn at once";
  ASSERT_NE(simple_->GetTargetDialogControlItemObjPtr(kMainBarItem), nullptr);

  simple_->SetupControlValue(140);
  EXPECT_EQ(GetControlValue(Bar(simple_.get(), kMainBarItem)), 140);

  simple_.reset();
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), other_.get());
  EXPECT_EQ(WindowListHead_GlV, other_.get());
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- Picture --------------------------------------------------------------------------------

// Pixels of the rectangle that are not the background (white).
int Inked(CGrafPtr port, const Rect& r) {
  int count = 0;
  for (SInt16 v = r.top; v < r.bottom; ++v) {
    for (SInt16 h = r.left; h < r.right; ++h) {
      if (sp_testing::ReadPixel(port, h, v) != 0xFFFFFF) ++count;
    }
  }
  return count;
}

TEST_F(ProgressWindowTest, SnapshotOfProgressWindowWithJapaneseTexts) {
  cSp_ProgressBarWin* window = MakeProgress();
  DialogRef dialog = window->GetDialogRef();
  // The values beside their labels, as the save fills them (MacJapanese).
  struct Pair {
    short label;
    short value;
    const char* text;
  };
  const Pair pairs[] = {
      {4, 3, "\x8F\x74\x82\xCC\x95\x97"},            // 春の風
      {7, 8, "01 \x8F\x74\x82\xCC\x95\x97.aiff"},    // file name
      {9, 10, "AIFF"},                               // format
      {5, 6, "2.0 \x94\x7B\x91\xAC"},                // 2.0 倍速
      {11, 12, "\x83\x58\x83\x65\x83\x8C\x83\x49"},  // ステレオ
      {15, 16, "44.100 kHz"},                        // rate
      {13, 14, "16"},                                // size
      {17, 18, "\x82\xC8\x82\xB5"},                  // なし
  };
  for (const Pair& p : pairs) {
    DialogItemType type = 0;
    Handle handle = nullptr;
    Rect box;
    GetDialogItem(dialog, p.value, &type, &handle, &box);
    Str255 text;
    text[0] = static_cast<unsigned char>(std::strlen(p.text));
    std::memcpy(text + 1, p.text, text[0]);
    SetDialogItemText(handle, text);
  }
  window->Open(1, nullptr);
  window->SetupCurrentValue(40);
  window->SetupTargetProgresControlCurrentValue(kItemBarItem, 75);

  for (const Pair& p : pairs) {
    EXPECT_FALSE(sp_testing::DialogItemText(dialog, p.label).empty()) << "label " << p.label;
    EXPECT_EQ(sp_testing::DialogItemText(dialog, p.value), p.text) << "value " << p.value;
  }
  const std::string path = ::testing::TempDir() + "progress-window-japanese.png";
  ASSERT_TRUE(sp_testing::SnapshotDialog(dialog, path));
  std::printf("Progress window snapshot: %s\n", path.c_str());

  CGrafPtr port = GetDialogPort(dialog);
  const Rect titleLabel = {40, 15, 56, 125};
  const Rect titleValue = {40, 130, 56, 405};
  EXPECT_GT(Inked(port, titleLabel), 20);
  EXPECT_GT(Inked(port, titleValue), 20);
  // The main bar is filled 40 % of its way: its fill ends between 35 % and 45 % of the bar.
  const SInt16 mid = 23;
  const UInt32 filled = sp_testing::ReadPixel(port, 40, mid);
  const UInt32 empty = sp_testing::ReadPixel(port, 380, mid);
  EXPECT_NE(filled, empty);
  EXPECT_EQ(sp_testing::ReadPixel(port, 15 + 390 * 35 / 100, mid), filled);
  EXPECT_EQ(sp_testing::ReadPixel(port, 15 + 390 * 45 / 100, mid), empty);
}

}  // namespace
