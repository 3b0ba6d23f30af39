// The modal dialog loop: items hit by clicks and keys, the filter first, typing, the loop
// keeping timers and updates going (also when run from a timer callback), and giving up
// instead of hanging.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogsTestFixture.h"
#include "OSUtils.h"
#include "QDRegions.h"

namespace dialogs_test {
namespace {

const char kModalSource[] = R"(
resource 'DLOG' 9400 {
  bounds 100, 100, 260, 500
  procID movableDBoxProc
  items 9400
  title "Modal"
}
resource 'DITL' 9400 {
  button 120, 300, 140, 380 { text "OK" }
  button 120, 200, 140, 280 { text "Cancel" }
  editText 20, 20, 36, 380 { text "" }
  checkBox 50, 20, 70, 200 { text "Check" }
  staticText 80, 20, 100, 380 { text "Disabled text"; disabled }
}
)";

class ModalDialogTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    UseResources(kModalSource);
    dialog_ = GetNewDialog(9400, nullptr, reinterpret_cast<WindowRef>(-1));
    ASSERT_NE(dialog_, nullptr);
    ShowWindow(GetDialogWindow(dialog_));
    SelectWindow(GetDialogWindow(dialog_));
    ASSERT_EQ(SetDialogDefaultItem(dialog_, 1), noErr);
    ASSERT_EQ(SetDialogCancelItem(dialog_, 2), noErr);
  }

  void PostClickOn(DialogItemIndex item, UInt32 modifiers = 0) {
    Point global = {0, 0};
    ASSERT_TRUE(sp_testing::DialogItemCentre(dialog_, item, &global));
    sp_testing::PostMouseDown(global, modifiers);
    sp_testing::PostMouseUp(global, modifiers);
  }

  static void PostKey(UInt8 ch, UInt32 modifiers = 0) {
    sp_testing::PostKeyDown(ch, 0, modifiers);
    sp_testing::PostKeyUp(ch, 0, modifiers);
  }

  DialogItemIndex RunOnce(ModalFilterUPP filter = nullptr) {
    DialogItemIndex item = -7;
    ModalDialog(filter, &item);
    return item;
  }

  DialogRef dialog_ = nullptr;
};

TEST_F(ModalDialogTest, ClickOnAButtonAnswersItsItem) {
  PostClickOn(2);
  EXPECT_EQ(RunOnce(), 2);
  PostClickOn(1);
  EXPECT_EQ(RunOnce(), 1);
}

TEST_F(ModalDialogTest, KeysPressTheDefaultAndCancelItemsWithAFlash) {
  struct Case {
    const char* name;
    UInt8 ch;
    UInt32 modifiers;
    DialogItemIndex expected;
  } cases[] = {
      {"Return", 0x0D, 0, 1},
      {"Enter", 0x03, 0, 1},
      {"Escape", 0x1B, 0, 2},
      {"Command-period", '.', cmdKey, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t flashesBefore = sp_testing::DialogFlashes(dialog_).size();
    PostKey(c.ch, c.modifiers);
    EXPECT_EQ(RunOnce(), c.expected);
    std::vector<DialogItemIndex> flashes = sp_testing::DialogFlashes(dialog_);
    ASSERT_EQ(flashes.size(), flashesBefore + 1);
    EXPECT_EQ(flashes.back(), c.expected);
  }
}

TEST_F(ModalDialogTest, InactiveCancelButtonIsNeverPressedByEscapeOrCommandPeriod) {
  ControlRef cancel = ItemControl(dialog_, 2);
  ASSERT_EQ(DeactivateControl(cancel), noErr);
  PostKey(0x1B);
  PostKey('.', cmdKey);
  PostKey(0x0D);  // ends the loop once the two keys did nothing
  // Keys no button takes go to the focused field (item 3), as the toolbox's did.
  DialogItemIndex item = 0;
  do {
    item = RunOnce();
  } while (item == 3);
  EXPECT_EQ(item, 1);
  EXPECT_EQ(sp_testing::DialogFlashes(dialog_), std::vector<DialogItemIndex>{1});
}

// The filter sees every event first; what it takes never reaches the standard handling.
struct FilterLog {
  std::vector<EventKind> kinds;
  std::vector<unsigned long> messages;
};
FilterLog* gFilterLog = nullptr;

Boolean SwallowReturn(DialogRef, EventRecord* event, DialogItemIndex* itemHit) {
  gFilterLog->kinds.push_back(event->what);
  gFilterLog->messages.push_back(event->message);
  if (event->what == keyDown && (event->message & 0xFF) == 0x0D) {
    *itemHit = 0;
    return true;
  }
  if (event->what == keyDown && (event->message & 0xFF) == 'x') {
    *itemHit = 42;
    return true;
  }
  return false;
}

TEST_F(ModalDialogTest, FilterTakesEventsBeforeTheStandardHandling) {
  FilterLog log;
  gFilterLog = &log;
  PostKey(0x0D);
  EXPECT_EQ(RunOnce(SwallowReturn), 0);  // the filter answered, Return pressed nothing
  EXPECT_TRUE(sp_testing::DialogFlashes(dialog_).empty());
  PostKey('x');
  EXPECT_EQ(RunOnce(SwallowReturn), 42);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");  // 'x' never typed
  PostClickOn(2);
  EXPECT_EQ(RunOnce(SwallowReturn), 2);  // left alone: the standard handling hits the item
  gFilterLog = nullptr;
}

TEST_F(ModalDialogTest, FilterGetsNullAndUpdateEventsWhileIdle) {
  FilterLog log;
  gFilterLog = &log;
  Rect bounds = {300, 50, 400, 250};
  WindowRef other = NewCWindow(nullptr, &bounds, reinterpret_cast<const UInt8*>("\x05Other"), true,
                               documentProc, nullptr, false, 0);
  ASSERT_NE(other, nullptr);
  Rect dirty = {0, 0, 10, 10};
  InvalWindowRect(other, &dirty);
  sp_testing::ScheduleInput(100000, [this] { PostClickOn(1); });
  EXPECT_EQ(RunOnce(SwallowReturn), 1);
  bool sawNull = false, sawUpdate = false;
  for (std::size_t i = 0; i < log.kinds.size(); ++i) {
    if (log.kinds[i] == nullEvent) sawNull = true;
    if (log.kinds[i] == updateEvt && log.messages[i] == reinterpret_cast<unsigned long>(other)) {
      sawUpdate = true;
    }
  }
  EXPECT_TRUE(sawNull);
  EXPECT_TRUE(sawUpdate);
  gFilterLog = nullptr;
}

TEST_F(ModalDialogTest, TypedTextGoesIntoTheFocusedFieldAndHitsIt) {
  sp_testing::PostTextInput(SJ("日本a"));
  EXPECT_EQ(RunOnce(), 3);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本a"));
  PostKey('b');
  EXPECT_EQ(RunOnce(), 3);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本ab"));
}

TEST_F(ModalDialogTest, DisabledItemsAreNotHitAndPressesElsewhereBeep) {
  Rect bounds = {500, 600, 600, 800};
  WindowRef other = NewCWindow(nullptr, &bounds, reinterpret_cast<const UInt8*>("\x05Other"), true,
                               documentProc, nullptr, false, 0);
  ASSERT_NE(other, nullptr);
  PostClickOn(5);  // the disabled static text
  Point outside = {550, 700};
  sp_testing::PostMouseDown(outside);
  sp_testing::PostMouseUp(outside);
  PostClickOn(4);
  EXPECT_EQ(RunOnce(), 4);
  EXPECT_EQ(sp_testing::BeepCount(), 1u);
}

TEST_F(ModalDialogTest, TimersFireInsideTheLoop) {
  int ticks = 0;
  EventLoopTimerRef timer = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(
                GetMainEventLoop(), 0.1, 0.1,
                [](EventLoopTimerRef, void* data) { ++*static_cast<int*>(data); }, &ticks, &timer),
            noErr);
  sp_testing::ScheduleInput(1000000, [this] { PostClickOn(1); });
  EXPECT_EQ(RunOnce(), 1);
  EXPECT_GE(ticks, 9);
  RemoveEventLoopTimer(timer);
}

struct NestedRun {
  DialogItemIndex item = -1;
  int outerTicks = 0;
  int ticksWhenDialogAnswered = -1;
};

void RunDialogFromTimer(EventLoopTimerRef timer, void* data) {
  auto* run = static_cast<NestedRun*>(data);
  RemoveEventLoopTimer(timer);
  ModalDialog(nullptr, &run->item);
  run->ticksWhenDialogAnswered = run->outerTicks;
}

TEST_F(ModalDialogTest, RunsFromATimerCallbackWithOtherTimersGoingOn) {
  NestedRun run;
  EventLoopTimerRef ticker = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(
                GetMainEventLoop(), 0.05, 0.05,
                [](EventLoopTimerRef, void* data) { ++static_cast<NestedRun*>(data)->outerTicks; },
                &run, &ticker),
            noErr);
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.0, 0, RunDialogFromTimer, &run, nullptr),
            noErr);
  sp_testing::ScheduleInput(500000, [this] { PostClickOn(2); });
  sp_testing::PumpUntil([&run] { return run.item != -1; });
  EXPECT_EQ(run.item, 2);
  EXPECT_GE(run.ticksWhenDialogAnswered, 5);  // the other timer ran inside the nested loop
  RemoveEventLoopTimer(ticker);
}

TEST_F(ModalDialogTest, GivesUpWithTheCancelItemWhenNothingCanHappen) {
  // Nothing posted, no timer: on the virtual clock the loop can never end otherwise.
  EXPECT_EQ(RunOnce(), 2);
  SetDialogCancelItem(dialog_, 0);
  EXPECT_EQ(RunOnce(), 1);
}

TEST_F(ModalDialogTest, ProgramThatKeepsCallingAfterGivingUpEndsInsteadOfHanging) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  SetDialogCancelItem(dialog_, 0);
  SetDialogDefaultItem(dialog_, 0);
  // Waits for item 4, which nothing will ever hit: every call gives up with item 1.
  auto waitForItem4 = [] {
    DialogItemIndex item = 0;
    do {
      ModalDialog(nullptr, &item);
    } while (item != 4);
  };
  EXPECT_DEATH(waitForItem4(), "gave up 1000 times in a row");
}

TEST_F(ModalDialogTest, NoFrontDialogAnswersZero) {
  HideWindow(GetDialogWindow(dialog_));
  EXPECT_EQ(RunOnce(), 0);
}

TEST_F(ModalDialogTest, DialogSelectAndStdFilterOnRecords) {
  EventRecord record = {};
  record.what = keyDown;
  record.message = 0x0D;
  DialogItemIndex item = 0;
  EXPECT_TRUE(StdFilterProc(dialog_, &record, &item));
  EXPECT_EQ(item, 1);
  record.what = autoKey;  // a held Return does not press again
  item = 0;
  EXPECT_FALSE(StdFilterProc(dialog_, &record, &item));
  ModalFilterUPP standard = nullptr;
  ASSERT_EQ(GetStdFilterProc(&standard), noErr);
  EXPECT_EQ(standard, &StdFilterProc);

  // A key types into the focused field and hits it; Command-A selects the field's text.
  record.what = keyDown;
  record.message = 'q';
  DialogRef which = nullptr;
  EXPECT_TRUE(DialogSelect(&record, &which, &item));
  EXPECT_EQ(which, dialog_);
  EXPECT_EQ(item, 3);
  record.message = 'a';
  record.modifiers = cmdKey;
  EXPECT_FALSE(DialogSelect(&record, &which, &item));
  sp_testing::TextSelection selection = sp_testing::DialogSelection(dialog_);
  EXPECT_EQ(selection.start, 0);
  EXPECT_EQ(selection.end, 1);
}

TEST_F(ModalDialogTest, IsDialogEventFollowsTheFrontWindowAndTheEventsWindow) {
  WindowRef window = GetDialogWindow(dialog_);
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
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
}  // namespace dialogs_test
