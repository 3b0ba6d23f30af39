// Progress windows: the main bar kept within its range and drawn once per change, bars
// addressed by item number, the window's place in the framework's lists, the simple progress
// window, cancelling by the cancel button and by keys, and a picture with Japanese texts.
#include <gtest/gtest.h>

#include <cstdio>

#include "FrameworkTestSupport.h"
#include "SpProgressBarWinObject.h"
#include "SpProgressWinObj.h"

namespace {

using framework_test::ItemControl;

// The test progress dialogs (app/resources/framework-tests.r), laid out like the
// application's: 9135 one item, 9136 several items (with the item bar 19).
constexpr short kOneItemDialog = 9135;
constexpr short kSeveralItemsDialog = 9136;
constexpr short kCancelItem = 1;
constexpr short kMainBarItem = 2;
constexpr short kItemBarItem = 19;

// What the cancel procedures were told: "<user data>", the window in `gCancelled`.
cSp_ProgressBarWin* gCancelled = nullptr;
void RecordCancel(cSp_ProgressBarWin* window, unsigned long userData) {
  gCancelled = window;
  framework_test::Log().push_back(std::to_string(userData));
}
// The owner that ends the work by deleting the window from its cancel procedure.
void DeleteOnCancel(cSp_ProgressBarWin* window, unsigned long userData) {
  RecordCancel(window, userData);
  delete window;
}

// Raw key-downs that got past the window to the application's target.
int gKeysReachingApplication = 0;
OSStatus CountApplicationKey(EventHandlerCallRef, EventRef, void*) {
  ++gKeysReachingApplication;
  return eventNotHandledErr;
}

// A raw key-down event as the keyboard sends it; without `withChar` it lacks its character,
// without `withModifiers` its modifiers.
EventRef RawKey(char key, UInt32 modifiers, bool withChar = true, bool withModifiers = true) {
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, kEventAttributeNone, &event);
  if (withChar) SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &key);
  if (withModifiers) {
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  }
  return event;
}

class ProgressWindowTest : public framework_test::FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    gCancelled = nullptr;
    gKeysReachingApplication = 0;
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  }
  void TearDown() override {
    progress_.reset();
    FrameworkFixture::TearDown();
  }

  // The window as the application makes it: (dialog, 2, 1, maximum).
  cSp_ProgressBarWin* MakeProgress(short maxValue = 100, short cancelItem = kCancelItem) {
    Sp_CarbonEvent_ModeEnable();
    progress_.reset(
        new cSp_ProgressBarWin(kSeveralItemsDialog, kMainBarItem, cancelItem, maxValue));
    return progress_.get();
  }
  // As the save makes it: modal, open, with the cancel procedure.
  cSp_ProgressBarWin* MakeOpenWindow(short cancelItem = kCancelItem) {
    MakeProgress(100, cancelItem);
    progress_->SetupModalDialogFlag(1);
    progress_->SetupCancelButtonProc(RecordCancel, 77);
    progress_->Open(1, nullptr);
    return progress_.get();
  }
  static ControlRef Bar(cSp_Window* window, short item) {
    return ItemControl(window->GetDialogRef(), item);
  }
  static sp_testing::ControlModel BarModel(cSp_Window* window, short item) {
    return sp_testing::ReadControl(Bar(window, item));
  }
  // "minimum-maximum:value" of a bar.
  static std::string Range(cSp_Window* window, short item) {
    const sp_testing::ControlModel bar = BarModel(window, item);
    return std::to_string(bar.minimum) + "-" + std::to_string(bar.maximum) + ":" +
           std::to_string(bar.value);
  }

  std::unique_ptr<cSp_ProgressBarWin> progress_;
};

using Log = std::vector<std::string>;

// ---- The bars -------------------------------------------------------------------------------

TEST_F(ProgressWindowTest, MainBarShowsOnlyZeroToItsMaximumAndDrawsEachChangeOnce) {
  cSp_ProgressBarWin* window = MakeProgress(40);
  EXPECT_EQ(BarModel(window, kMainBarItem).maximum, 40);
  EXPECT_EQ(BarModel(window, kItemBarItem).maximum, 100) << "the item bar keeps its resource's";
  MakeProgress();
  window = progress_.get();
  window->Open(1, nullptr);
  // The control itself would take a wider range: the window must keep to its own.
  window->SetupTargetProgresControlMinValue(kMainBarItem, -500);
  window->SetupTargetProgresControlMaxValue(kMainBarItem, 500);
  struct Case {
    short value, shown;
    UInt32 newDraws;  // since the case before
  } cases[] = {
      {10, 10, 1}, {10, 10, 0}, {11, 11, 1}, {100, 100, 1}, {101, 100, 0},  {32767, 100, 0},
      {99, 99, 1}, {-1, 0, 1},  {0, 0, 0},   {1, 1, 1},     {-32768, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const UInt32 before = BarModel(window, kMainBarItem).drawCount;
    window->SetupCurrentValue(c.value);
    EXPECT_EQ(GetControlValue(Bar(window, kMainBarItem)), c.shown);
    EXPECT_EQ(BarModel(window, kMainBarItem).drawCount - before, c.newDraws);
  }
  EXPECT_EQ(errors_.Count(), 0u);
}

TEST_F(ProgressWindowTest, ItemBarsAreAddressedByTheirItemNumberAloneAndOthersIgnored) {
  cSp_ProgressBarWin* window = MakeProgress();
  window->Open(1, nullptr);
  window->SetupCurrentValue(25);
  window->SetupTargetProgresControlMinValue(kItemBarItem, 10);
  window->SetupTargetProgresControlMaxValue(kItemBarItem, 1000);
  // An item value is not kept within the main bar's range: only the control's own applies.
  window->SetupTargetProgresControlCurrentValue(kItemBarItem, 700);
  for (short item : {short(0), short(3), short(99), short(-1)}) {
    window->SetupTargetProgresControlMaxValue(item, 5);
    window->SetupTargetProgresControlCurrentValue(item, 5);
  }
  EXPECT_EQ(Range(window, kItemBarItem) + " " + Range(window, kMainBarItem),
            "10-1000:700 0-100:25");
  EXPECT_EQ(errors_.Count() + errors_.Beeps(), 0u);

  // A main bar that is no control is a data error.
  for (short dialogId : {kSeveralItemsDialog, short(9199)}) {
    SCOPED_TRACE(dialogId);
    progress_.reset(
        new cSp_ProgressBarWin(dialogId, dialogId == 9199 ? kMainBarItem : 3, kCancelItem, 100));
    errors_.Clear();
    progress_->SetupCurrentValue(5);
    EXPECT_TRUE(errors_.Has("cSp_ProgressBarWin::SetupCurrentValue", 1));
    EXPECT_EQ(errors_.Beeps(), 1u);
    progress_->SetupTargetProgresControlCurrentValue(kItemBarItem, 5);
  }
}

// ---- The framework's lists ------------------------------------------------------------------

TEST_F(ProgressWindowTest, WindowsAreMadeInFrontAndLeaveTheListWhenDeleted) {
  cSp_Window* other = Keep(new cSp_Window(nullptr));
  other->Open(1, nullptr);
  cSp_ProgressBarWin* window = MakeProgress();
  WindowRef ref = window->GetWindowRef();
  EXPECT_EQ(WindowListHead_GlV, window) << "in front of the other windows of its list";
  EXPECT_FALSE(IsWindowVisible(ref)) << "made hidden";
  progress_.reset();
  EXPECT_EQ(WindowListHead_GlV, other);
  EXPECT_EQ(other->BeforeObject(), nullptr);
  EXPECT_EQ(Sp_SerchWindowObject(ref), nullptr);

  // The simple window shows at once, in front; its range excludes the resource's, so the
  // value is right only when it is set last.
  std::unique_ptr<cSp_SimpleProgressWindow> simple(
      new cSp_SimpleProgressWindow(kOneItemDialog, 0, 120, 150, 130));
  EXPECT_EQ(Sp_GetFrontOpenWindowObject(), simple.get());
  EXPECT_TRUE(IsWindowVisible(simple->GetWindowRef()));
  EXPECT_EQ(Range(simple.get(), kMainBarItem), "120-150:130");
  EXPECT_GT(BarModel(simple.get(), kMainBarItem).drawCount, 0u) << "drawn at once";
  simple->SetupControlValue(140);
  EXPECT_EQ(GetControlValue(Bar(simple.get(), kMainBarItem)), 140);
  simple.reset();
  EXPECT_EQ(WindowListHead_GlV, other);
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- Cancelling -----------------------------------------------------------------------------

TEST_F(ProgressWindowTest, CancelButtonRunsTheLatestCancelProcedureOnce) {
  // The program's set-up: the framework's mouse and control handlers on the application
  // target see the click (and a hit) before and after the cancel button's own handler.
  Sp_SetupWindowEventHandlerForCarbonEvent();
  cSp_ProgressBarWin* window = MakeOpenWindow();
  ControlRef cancel = Bar(window, kCancelItem);
  sp_testing::ClickControl(cancel);
  EXPECT_EQ(framework_test::Log(), Log{"77"});
  EXPECT_EQ(gCancelled, window);
  EXPECT_EQ(window->IsOpen(), 1) << "the window leaves closing to its owner";
  window->SetupCancelButtonProc(RecordCancel, 5);
  sp_testing::ClickControl(cancel);
  window->SetupCancelButtonProc(nullptr, 0);
  sp_testing::ClickControl(cancel);
  EXPECT_EQ(framework_test::Log(), (Log{"77", "5"}));

  SpProgWin_CatchCancelButtonExecCB(0, 0);
  EXPECT_TRUE(errors_.Has("SpProgWin_CatchCancelButtonExecCB", 1));
  EXPECT_EQ(errors_.Beeps(), 1u);
}

TEST_F(ProgressWindowTest, CancelKeysThroughTheLoopRunTheProcedureOnceAndAreConsumed) {
  // Mac virtual key codes: Escape 53, period 47, A 0.
  struct Case {
    const char* why;
    UInt8 charCode, keyCode;
    UInt32 modifiers;
    bool cancels;
  } cases[] = {
      {"Escape", 0x1B, 53, 0, true}, {"Command-period", '.', 47, cmdKey, true},
      {"period", '.', 47, 0, false}, {"Option-period", '.', 47, optionKey, false},
      {"a", 'a', 0, 0, false},
  };
  MakeOpenWindow();
  static const EventTypeSpec kRawKeyDown[] = {{kEventClassKeyboard, kEventRawKeyDown}};
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), CountApplicationKey, 1, kRawKeyDown,
                                nullptr, nullptr),
            noErr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    framework_test::Log().clear();
    gKeysReachingApplication = 0;
    sp_testing::PressKey(c.charCode, c.keyCode, c.modifiers);
    EXPECT_EQ(framework_test::Log().size(), c.cancels ? 1u : 0u);
    EXPECT_EQ(gKeysReachingApplication, c.cancels ? 0 : 1);
  }
  // Without a cancel button Escape still cancels; the owner may delete the window then, and
  // nothing of it hears keys any more.
  MakeOpenWindow(0);
  EXPECT_EQ(progress_->GetControlItemList(), nullptr) << "no control item for a cancel button";
  progress_->SetupCancelButtonProc(DeleteOnCancel, 1);
  cSp_ProgressBarWin* released = progress_.release();
  framework_test::Log().clear();
  sp_testing::PressEscape();
  sp_testing::PressEscape();
  EXPECT_EQ(framework_test::Log(), Log{"1"});
  EXPECT_EQ(gCancelled, released);
  EXPECT_EQ(WindowListHead_GlV, nullptr);
}

TEST_F(ProgressWindowTest, KeyHandlerAnswersByKeyModifiersAndParameters) {
  struct Case {
    const char* why;
    char key;
    UInt32 modifiers;
    bool withChar, withModifiers;
    bool cancels;
  } cases[] = {
      {"Escape", 27, 0, true, true, true}, {"Command-period", '.', cmdKey, true, true, true},
      {"period", '.', 0, true, true, false}, {"no character", 27, 0, false, true, false},
      {"period without modifiers parameter", '.', 0, true, false, false},
      // Only the low 16 bits are modifier bits.
      {"period with Command above 16 bits", '.', UInt32(cmdKey) << 16, true, true, false},
      {"Command-period with high bits", '.', 0xFFFF0000u | cmdKey, true, true, true},
  };
  cSp_ProgressBarWin* window = MakeOpenWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    framework_test::Log().clear();
    EventRef event = RawKey(c.key, c.modifiers, c.withChar, c.withModifiers);
    EXPECT_EQ(SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(nullptr, event, window),
              c.cancels ? OSStatus(noErr) : OSStatus(eventNotHandledErr));
    EXPECT_EQ(framework_test::Log().size(), c.cancels ? 1u : 0u);
    ReleaseEvent(event);
  }
  // A cancel key without a procedure is still consumed; without a window it is passed on.
  window->SetupCancelButtonProc(nullptr, 0);
  EventRef event = RawKey(27, 0);
  EXPECT_EQ(SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(nullptr, event, window), noErr);
  EXPECT_EQ(SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(nullptr, event, nullptr),
            eventNotHandledErr);
  ReleaseEvent(event);
  EXPECT_EQ(errors_.Count(), 0u);
}

// ---- Picture --------------------------------------------------------------------------------

TEST_F(ProgressWindowTest, SnapshotOfProgressWindowWithJapaneseTexts) {
  cSp_ProgressBarWin* window = MakeProgress();
  DialogRef dialog = window->GetDialogRef();
  // The values beside their labels, as the save fills them (MacJapanese).
  struct Pair {
    short value;
    const char* text;
  } pairs[] = {
      {3, "\x8F\x74\x82\xCC\x95\x97"},              // 春の風
      {8, "01 \x8F\x74\x82\xCC\x95\x97.aiff"},      // file name
      {10, "AIFF"}, {6, "2.0 \x94\x7B\x91\xAC"},      // 2.0 倍速
      {12, "\x83\x58\x83\x65\x83\x8C\x83\x49"},  // ステレオ
      {16, "44.100 kHz"}, {14, "16"}, {18, "\x82\xC8\x82\xB5"},  // なし
  };
  for (const Pair& p : pairs) {
    Handle handle = nullptr;
    GetDialogItem(dialog, p.value, nullptr, &handle, nullptr);
    Str255 text;
    Sp_CopyCStringToStr255(p.text, text);
    SetDialogItemText(handle, text);
  }
  window->Open(1, nullptr);
  window->SetupCurrentValue(40);
  window->SetupTargetProgresControlCurrentValue(kItemBarItem, 75);
  for (const Pair& p : pairs) EXPECT_EQ(sp_testing::DialogItemText(dialog, p.value), p.text);
  const std::string path = ::testing::TempDir() + "progress-window-japanese.png";
  ASSERT_TRUE(sp_testing::SnapshotDialog(dialog, path));
  std::printf("Progress window snapshot: %s\n", path.c_str());

  // Chosen pixels: the title's label and value inked, the main bar filled 40 % of its way
  // (its fill ends between 35 % and 45 % of the bar).
  CGrafPtr port = GetDialogPort(dialog);
  int inked = 0;
  for (SInt16 h = 15; h < 405; ++h) inked += sp_testing::ReadPixel(port, h, 48) != 0xFFFFFF;
  EXPECT_GT(inked, 20);
  const UInt32 filled = sp_testing::ReadPixel(port, 40, 23);
  const UInt32 empty = sp_testing::ReadPixel(port, 380, 23);
  EXPECT_NE(filled, empty);
  EXPECT_EQ(sp_testing::ReadPixel(port, 15 + 390 * 35 / 100, 23), filled);
  EXPECT_EQ(sp_testing::ReadPixel(port, 15 + 390 * 45 / 100, 23), empty);
}

}  // namespace
