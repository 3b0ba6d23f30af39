// The standard handling of a dialog's keys, clicks and drawing, the modal dialog loop (the
// filter first, typing, timers and updates going on, giving up instead of hanging), and a
// snapshot of a dialog for a person to look at.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OSUtils.h"
#include "QDRegions.h"
#include "TestTextServices.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

class DialogTest : public UiTest {
 protected:
  // OK (default), Cancel (cancel), a field, a check box and a disabled static text.
  DialogRef Open(bool standardHandler) {
    UseResources(R"(
resource 'DLOG' 9400 { bounds 100, 100, 260, 500; procID movableDBoxProc; items 9400; title "Modal" }
resource 'DITL' 9400 {
  button 120, 300, 140, 380 { text "OK" }
  button 120, 200, 140, 280 { text "キャンセル" }
  editText 20, 20, 36, 380 { text "" }
  checkBox 50, 20, 70, 200 { text "Check" }
  staticText 80, 20, 100, 380 { text "日本語の説明文です。"; disabled }
}
)");
    dialog_ = OpenDialog(9400, standardHandler);
    EXPECT_EQ(SetDialogDefaultItem(dialog_, 1), noErr);
    EXPECT_EQ(SetDialogCancelItem(dialog_, 2), noErr);
    return dialog_;
  }
  void PostClickOn(DialogItemIndex item) {
    Point global = {0, 0};
    ASSERT_TRUE(sp_testing::DialogItemCentre(dialog_, item, &global));
    sp_testing::PostClick(global);
  }
  static void PostKey(UInt8 ch, UInt32 modifiers = 0) {
    sp_testing::PostKeyDown(ch, 0, modifiers);
    sp_testing::PostKeyUp(ch, 0, modifiers);
  }
  static DialogItemIndex RunOnce(ModalFilterUPP filter = nullptr) {
    DialogItemIndex item = -7;
    ModalDialog(filter, &item);
    return item;
  }
  DialogRef dialog_ = nullptr;
};

// Keys and clicks in a dialog with the standard handler: hits on the buttons' controls.
class DialogKeys : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_NE(Open(true), nullptr);
    for (DialogItemIndex item : {1, 2}) {
      Listen(GetControlEventTarget(ItemControl(dialog_, item)),
             {{kEventClassControl, kEventControlHit}}, [this](EventRef e) {
               hits_.push_back(Param<ControlRef>(e, kEventParamDirectObject, typeControlRef));
               EXPECT_EQ(Param<ControlPartCode>(e, kEventParamControlPart, typeControlPartCode),
                         kControlButtonPart);
               return OSStatus(noErr);
             });
    }
  }
  std::vector<ControlRef> hits_;
};

TEST_F(DialogKeys, KeysPressOnlyActiveVisibleDefaultAndCancelItems) {
  struct Case {
    void (*press)();
    bool deactivateCancel, hideDefault;
    DialogItemIndex pressed;  // 0: none
    const char* why;
  } cases[] = {
      {[] { sp_testing::PressReturn(); }, false, false, 1, "Return presses the default item"},
      {[] { sp_testing::PressEnter(); }, false, false, 1, "Enter too"},
      {[] { sp_testing::PressReturn(shiftKey); }, false, false, 1, "Shift does not stop Return"},
      {[] { sp_testing::PressEscape(); }, false, false, 2, "Escape presses the cancel item"},
      {[] { sp_testing::PressCommandPeriod(); }, false, false, 2, "Command-period too"},
      {[] { sp_testing::PressEscape(); }, true, false, 0, "an inactive cancel is not pressed"},
      {[] { sp_testing::PressCommandPeriod(); }, true, false, 0, "not even by Command-period"},
      {[] { sp_testing::PressReturn(); }, false, true, 0, "a hidden default is not pressed"},
      // The second pass: active and shown again, they are pressed again.
      {[] { sp_testing::PressEscape(); }, false, false, 2, "reactivated cancel is pressed"},
      {[] { sp_testing::PressReturn(); }, false, false, 1, "shown again default is pressed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    hits_.clear();
    ControlRef cancel = ItemControl(dialog_, 2);
    if (c.deactivateCancel) DeactivateControl(cancel);
    if (c.hideDefault) HideDialogItem(dialog_, 1);
    const std::size_t flashesBefore = sp_testing::DialogFlashes(dialog_).size();
    c.press();
    const std::vector<DialogItemIndex> flashes = sp_testing::DialogFlashes(dialog_);
    ASSERT_EQ(flashes.size(), flashesBefore + (c.pressed ? 1 : 0));
    ASSERT_EQ(hits_.size(), c.pressed ? 1u : 0u) << "one hit, on the pressed item's control";
    if (c.pressed) {
      EXPECT_EQ(flashes.back(), c.pressed);
      EXPECT_EQ(hits_[0], ItemControl(dialog_, c.pressed));
      EXPECT_EQ(sp_testing::DialogItemHilite(dialog_, c.pressed), 0) << "the flash is over";
    }
    ActivateControl(cancel);
    ShowDialogItem(dialog_, 1);
  }
  // Without default and cancel items the keys go on, pressing nothing.
  hits_.clear();
  SetDialogDefaultItem(dialog_, 0);
  SetDialogCancelItem(dialog_, 0);
  sp_testing::PressReturn();
  sp_testing::PressEscape();
  EXPECT_EQ(sp_testing::DialogFlashes(dialog_).size(), 7u);
  EXPECT_TRUE(hits_.empty());
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "") << "the keys are no text of the field";
}

TEST_F(DialogKeys, DrawingCoversTheShownItemsInTheRegionOnly) {
  CGrafPtr port = GetDialogPort(dialog_);
  const Rect text = ItemRect(dialog_, 5), field = ItemRect(dialog_, 3);
  const SInt16 frameH = SInt16(field.left - 3), frameV = SInt16(field.top + 4);
  // The draw-content event draws every item; the edit field's frame lies 3 pixels outside.
  sp_testing::FillPort(port, 0xFFFFFF);
  WindowRef window = GetDialogWindow(dialog_);
  EventRef draw = NewEvent(kEventClassWindow, kEventWindowDrawContent);
  SetEventParameter(draw, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  EXPECT_EQ(SendEventToEventTarget(draw, GetWindowEventTarget(window)), noErr);
  ReleaseEvent(draw);
  EXPECT_EQ(sp_testing::ReadPixel(port, frameH, frameV), 0x000000u);
  EXPECT_GT(Inked(port, text), 0);
  EXPECT_GT(Inked(port, ItemRect(dialog_, 1)), 0) << "the controls are drawn too";
  // An update draws only the items in its region.
  sp_testing::FillPort(port, 0xFFFFFF);
  RgnHandle region = NewRgn();
  RectRgn(region, &text);
  UpdateDialog(dialog_, region);
  DisposeRgn(region);
  EXPECT_GT(Inked(port, text), 0);
  EXPECT_EQ(sp_testing::ReadPixel(port, frameH, frameV), 0xFFFFFFu) << "outside the region";
  HideDialogItem(dialog_, 5);
  sp_testing::FillPort(port, 0xFFFFFF);
  DrawDialog(dialog_);
  EXPECT_EQ(Inked(port, text), 0) << "a hidden item is not drawn";
}

// ---- The wheel ----

// A list (a user item) with a vertical scroll bar along its right edge and a horizontal one
// along its bottom, both at 5 of 0 to 10, and an OK button.
class DialogWheel : public DialogTest {
 protected:
  DialogRef OpenList(bool standardHandler) {
    UseResources(R"(
resource 'CNTL' 9411 { bounds 0, 0, 100, 16; value 5; max 10; min 0; procID scrollBarProc; title "" }
resource 'CNTL' 9412 { bounds 0, 0, 16, 180; value 5; max 10; min 0; procID scrollBarProc; title "" }
resource 'DLOG' 9410 { bounds 100, 100, 300, 500; procID movableDBoxProc; items 9410; title "Wheel" }
resource 'DITL' 9410 {
  button 160, 300, 180, 380 { text "OK" }
  userItem 20, 20, 120, 200 { disabled }
  control 20, 200, 120, 216 { id 9411 }
  control 120, 20, 136, 200 { id 9412 }
}
)");
    dialog_ = OpenDialog(9410, standardHandler);
    return dialog_;
  }
  void PostWheelOn(DialogItemIndex item, SInt32 notches, EventMouseWheelAxis axis) {
    Point global = {0, 0};
    ASSERT_TRUE(sp_testing::DialogItemCentre(dialog_, item, &global));
    sp_testing::PostWheel(global, notches, axis);
  }
};

std::vector<ControlPartCode>* gActionParts = nullptr;
void NoteAction(ControlRef, ControlPartCode part) {
  gActionParts->push_back(part);
}

constexpr DialogItemIndex kList = 2, kVertical = 3, kHorizontal = 4;

TEST_F(DialogWheel, ModalDialogMovesTheBarOfTheViewUnderThePointerAndHitsIt) {
  const auto kY = kEventMouseWheelAxisY;
  const auto kX = kEventMouseWheelAxisX;
  const struct {
    DialogItemIndex over;
    SInt32 notches;
    EventMouseWheelAxis axis;
    bool inactive, withAction;
    SInt32 vertical, horizontal;  // the values after
    DialogItemIndex hit;          // 1: nothing hit (the loop gave up with OK)
    int actions;                  // calls of the action procedure
    const char* why;
  } cases[] = {
      {kList, -1, kY, false, false, 6, 5, kVertical, 0, "towards the person: down a step"},
      {kList, 2, kY, false, false, 3, 5, kVertical, 0, "away: up a step a notch"},
      {kVertical, -1, kY, false, false, 6, 5, kVertical, 0, "over the bar itself"},
      {kList, -1, kX, false, false, 5, 6, kHorizontal, 0, "a tilt moves the bar along the bottom"},
      {kList, -20, kY, false, false, 10, 5, kVertical, 0, "the value stops at the maximum"},
      {1, -1, kY, false, false, 5, 5, 1, 0, "over the button no bar serves"},
      {kList, -1, kY, true, false, 5, 5, 1, 0, "an inactive bar does not move"},
      {kList, -2, kY, false, true, 5, 5, kVertical, 2,
       "a bar's action procedure scrolls: it runs with the down arrow once a notch"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ASSERT_NE(OpenList(false), nullptr);
    ControlRef vertical = ItemControl(dialog_, kVertical);
    ControlRef horizontal = ItemControl(dialog_, kHorizontal);
    std::vector<ControlPartCode> parts;
    gActionParts = &parts;
    if (c.withAction) SetControlAction(vertical, NoteAction);
    if (c.inactive) DeactivateControl(vertical);
    PostWheelOn(c.over, c.notches, c.axis);
    EXPECT_EQ(RunOnce(), c.hit);
    EXPECT_EQ(GetControl32BitValue(vertical), c.vertical);
    EXPECT_EQ(GetControl32BitValue(horizontal), c.horizontal);
    EXPECT_EQ(parts, std::vector<ControlPartCode>(std::size_t(c.actions), kControlDownButtonPart));
    gActionParts = nullptr;
    DisposeDialog(dialog_);
  }
}

// Outside ModalDialog (a dialog with the standard handler in the application's loop or its
// own modal loop) the standard handling moves the bar and sends its hit.
TEST_F(DialogWheel, TheStandardHandlingMovesTheBarAndSendsItsHit) {
  ASSERT_NE(OpenList(true), nullptr);
  ControlRef vertical = ItemControl(dialog_, kVertical);
  std::vector<ControlPartCode> hits;
  Listen(GetControlEventTarget(vertical), {{kEventClassControl, kEventControlHit}},
         [&hits](EventRef e) {
           hits.push_back(Param<ControlPartCode>(e, kEventParamControlPart, typeControlPartCode));
           return OSStatus(noErr);
         });
  PostWheelOn(kList, 1, kEventMouseWheelAxisY);
  sp_testing::PumpPending();
  EXPECT_EQ(GetControl32BitValue(vertical), 4);
  EXPECT_EQ(hits, std::vector<ControlPartCode>{kControlUpButtonPart});
}

// ---- ModalDialog ----

class ModalDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_NE(Open(false), nullptr);
  }
};

// The filter sees every event first; what it takes never reaches the standard handling.
std::vector<EventRecord>* gFiltered = nullptr;

Boolean SwallowReturn(DialogRef, EventRecord* event, DialogItemIndex* itemHit) {
  gFiltered->push_back(*event);
  const char ch = event->what == keyDown ? char(event->message & 0xFF) : 0;
  if (ch == 0x0D || ch == 'x') *itemHit = ch == 'x' ? 42 : 0;
  return ch == 0x0D || ch == 'x';
}

TEST_F(ModalDialogTest, FilterTakesEventsBeforeTheStandardHandlingAndSeesIdleOnes) {
  std::vector<EventRecord> filtered;
  gFiltered = &filtered;
  PostKey(0x0D);
  EXPECT_EQ(RunOnce(SwallowReturn), 0);  // the filter answered, Return pressed nothing
  EXPECT_TRUE(sp_testing::DialogFlashes(dialog_).empty());
  PostKey('x');
  EXPECT_EQ(RunOnce(SwallowReturn), 42);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");  // 'x' never typed

  // Left alone: the standard handling hits the item; null and update events come meanwhile.
  WindowRef other = MakeWindow(R(300, 50, 400, 250));
  Rect dirty = {0, 0, 10, 10};
  InvalWindowRect(other, &dirty);
  filtered.clear();
  sp_testing::ScheduleInput(100000, [this] { PostClickOn(1); });
  EXPECT_EQ(RunOnce(SwallowReturn), 1);
  bool sawNull = false, sawUpdate = false;
  for (const EventRecord& e : filtered) {
    sawNull |= e.what == nullEvent;
    sawUpdate |= e.what == updateEvt && e.message == reinterpret_cast<unsigned long>(other);
  }
  EXPECT_TRUE(sawNull && sawUpdate);
  gFiltered = nullptr;
}

// The program's timers (disc polling, saving) go on while a dialog waits, also when the dialog
// was opened from a timer's own callback: the loop fires every other timer due, and the input
// that answers the dialog arrives through a timer too. It runs inside a pump, so a loop that
// stops firing timers trips the pump's watchdog instead of spinning.
struct NestedRun {
  DialogItemIndex item = -1;
  int ticks = 0;
  int ticksWhenAnswered = -1;
};

void CountTick(EventLoopTimerRef, void* data) { ++static_cast<NestedRun*>(data)->ticks; }

void RunDialogFromTimer(EventLoopTimerRef timer, void* data) {
  auto* run = static_cast<NestedRun*>(data);
  RemoveEventLoopTimer(timer);
  ModalDialog(nullptr, &run->item);
  run->ticksWhenAnswered = run->ticks;
}

TEST_F(ModalDialogTest, TimersFireInsideTheLoopAlsoWhenATimerOpenedIt) {
  sp_testing::SetPumpLimits({20000, 60LL * 1000000});
  NestedRun run;
  EventLoopTimerRef ticker = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.05, 0.05, CountTick, &run, &ticker),
            noErr);
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, 0, RunDialogFromTimer, &run, nullptr),
            noErr);
  sp_testing::ScheduleInput(500000, [this] { PostClickOn(2); });
  sp_testing::PumpUntil([&run] { return run.ticksWhenAnswered != -1; });
  EXPECT_EQ(run.item, 2);
  EXPECT_GE(run.ticksWhenAnswered, 9) << "a tick every 0.05 s for the half second it waited";
  EXPECT_EQ(sp_testing::ModalLoopDepth(), 0);
  RemoveEventLoopTimer(ticker);
}

// Clicks answer their item without a flash; Return, Enter, Escape and Command-period press the
// default or cancel item with one.
TEST_F(ModalDialogTest, ClicksAndKeysPressTheirItemsWithAFlash) {
  struct Case {
    UInt8 ch;  // 0: a click on the item expected
    UInt32 modifiers;
    DialogItemIndex expected;
  } cases[] = {{0, 0, 2}, {0, 0, 1}, {0x0D, 0, 1}, {0x03, 0, 1}, {0x1B, 0, 2}, {'.', cmdKey, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ch);
    const std::size_t flashesBefore = sp_testing::DialogFlashes(dialog_).size();
    if (c.ch == 0) {
      PostClickOn(c.expected);
    } else {
      PostKey(c.ch, c.modifiers);
    }
    EXPECT_EQ(RunOnce(), c.expected);
    const std::vector<DialogItemIndex> flashes = sp_testing::DialogFlashes(dialog_);
    ASSERT_EQ(flashes.size(), flashesBefore + (c.ch == 0 ? 0 : 1));
    EXPECT_TRUE(c.ch == 0 || flashes.back() == c.expected);
  }
}

TEST_F(ModalDialogTest, TypedTextGoesIntoTheFocusedFieldAndDisabledItemsAreNotHit) {
  sp_testing::PostTextInput(SJ("日本a"));
  EXPECT_EQ(RunOnce(), 3);
  PostKey('b');
  EXPECT_EQ(RunOnce(), 3);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本ab"));
  // Shift with an arrow key extends the selection, which typing then replaces.
  for (int i = 0; i < 2; ++i) {
    PostKey(0x1C, shiftKey);
    EXPECT_EQ(RunOnce(), 3);
  }
  PostKey('c');
  EXPECT_EQ(RunOnce(), 3);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本c"));
  MakeWindow(R(500, 600, 600, 800));
  PostClickOn(5);                       // the disabled static text
  sp_testing::PostClick(Pt(700, 550));  // another window: a beep
  PostClickOn(4);
  EXPECT_EQ(RunOnce(), 4);
  EXPECT_EQ(sp_testing::BeepCount(), 1u);
}

// The input method's reading shown in the field is committed there before a click acts: the
// program that reads the field once the button ended the loop finds it.
TEST_F(ModalDialogTest, AClickOnAButtonFindsTheReadingCommittedInTheField) {
  sp_testing::PostTextInput("a");
  EXPECT_EQ(RunOnce(), 3);
  sp_testing::PostPreedit("ゆき", 2);
  PostClickOn(1);
  EXPECT_EQ(RunOnce(), 1);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "a" + SJ("ゆき"));
}

TEST_F(ModalDialogTest, GivesUpWhenNothingCanHappenAndEndsAProgramThatKeepsCalling) {
  // Nothing posted, no timer: on the virtual clock the loop can never end otherwise.
  EXPECT_EQ(RunOnce(), 2);
  SetDialogCancelItem(dialog_, 0);
  EXPECT_EQ(RunOnce(), 1);
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  SetDialogDefaultItem(dialog_, 0);
  // Waits for item 4, which nothing will ever hit: every call gives up with item 1.
  EXPECT_DEATH(
      [] {
        while (RunOnce() != 4) {
        }
      }(),
      "gave up 1000 times in a row");
  HideWindow(GetDialogWindow(dialog_));
  EXPECT_EQ(RunOnce(), 0);  // no front dialog
}

TEST_F(ModalDialogTest, IsDialogEventFollowsTheFrontWindowAndTheEventsWindow) {
  WindowRef window = GetDialogWindow(dialog_);
  const Rect content = Bounds(window);
  EventRecord record = {};
  record.what = mouseDown;
  record.where = {SInt16(content.top + 5), SInt16(content.left + 5)};
  EXPECT_TRUE(IsDialogEvent(&record));
  record.where = {5, 5};  // the menu bar
  EXPECT_FALSE(IsDialogEvent(&record));
  record.what = updateEvt;
  record.message = reinterpret_cast<unsigned long>(window);
  EXPECT_TRUE(IsDialogEvent(&record));
  record.what = nullEvent;
  EXPECT_TRUE(IsDialogEvent(&record));
  HideWindow(window);
  EXPECT_FALSE(IsDialogEvent(&record));
  EXPECT_FALSE(IsDialogEvent(nullptr));
}

}  // namespace
}  // namespace ui_test
