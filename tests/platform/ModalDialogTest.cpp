// The modal dialog loop: items hit by clicks and keys, the filter first, typing, the loop
// keeping timers and updates going (also when run from a timer callback), and giving up
// instead of hanging.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OSUtils.h"
#include "QDRegions.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

class ModalDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseResources(R"(
resource 'DLOG' 9400 { bounds 100, 100, 260, 500; procID movableDBoxProc; items 9400; title "Modal" }
resource 'DITL' 9400 {
  button 120, 300, 140, 380 { text "OK" }
  button 120, 200, 140, 280 { text "Cancel" }
  editText 20, 20, 36, 380 { text "" }
  checkBox 50, 20, 70, 200 { text "Check" }
  staticText 80, 20, 100, 380 { text "Disabled text"; disabled }
}
)");
    dialog_ = OpenDialog(9400, false);
    ASSERT_NE(dialog_, nullptr);
    ASSERT_EQ(SetDialogDefaultItem(dialog_, 1), noErr);
    ASSERT_EQ(SetDialogCancelItem(dialog_, 2), noErr);
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

TEST_F(ModalDialogTest, ClicksAndKeysPressTheirItemsWithAFlash) {
  struct Case {
    const char* name;
    UInt8 ch;  // 0: a click on the item expected
    UInt32 modifiers;
    DialogItemIndex expected;
  } cases[] = {
      {"click Cancel", 0, 0, 2}, {"click OK", 0, 0, 1},  {"Return", 0x0D, 0, 1},
      {"Enter", 0x03, 0, 1},     {"Escape", 0x1B, 0, 2}, {"Command-period", '.', cmdKey, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
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

// The filter sees every event first; what it takes never reaches the standard handling.
std::vector<EventRecord>* gFiltered = nullptr;

Boolean SwallowReturn(DialogRef, EventRecord* event, DialogItemIndex* itemHit) {
  gFiltered->push_back(*event);
  const bool key = event->what == keyDown;
  if (key && (event->message & 0xFF) == 0x0D) *itemHit = 0;
  if (key && (event->message & 0xFF) == 'x') *itemHit = 42;
  return key && ((event->message & 0xFF) == 0x0D || (event->message & 0xFF) == 'x');
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
  EXPECT_TRUE(sawNull);
  EXPECT_TRUE(sawUpdate);
  gFiltered = nullptr;
}

TEST_F(ModalDialogTest, TypedTextGoesIntoTheFocusedFieldAndDisabledItemsAreNotHit) {
  sp_testing::PostTextInput(SJ("日本a"));
  EXPECT_EQ(RunOnce(), 3);
  PostKey('b');
  EXPECT_EQ(RunOnce(), 3);
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), SJ("日本ab"));

  MakeWindow(R(500, 600, 600, 800));
  PostClickOn(5);                       // the disabled static text
  sp_testing::PostClick(Pt(700, 550));  // another window: a beep
  PostClickOn(4);
  EXPECT_EQ(RunOnce(), 4);
  EXPECT_EQ(sp_testing::BeepCount(), 1u);
}

TEST_F(ModalDialogTest, GivesUpWithTheCancelItemWhenNothingCanHappen) {
  // Nothing posted, no timer: on the virtual clock the loop can never end otherwise.
  EXPECT_EQ(RunOnce(), 2);
  SetDialogCancelItem(dialog_, 0);
  EXPECT_EQ(RunOnce(), 1);
  HideWindow(GetDialogWindow(dialog_));
  EXPECT_EQ(RunOnce(), 0);  // no front dialog
}

TEST_F(ModalDialogTest, ProgramThatKeepsCallingAfterGivingUpEndsInsteadOfHanging) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  SetDialogCancelItem(dialog_, 0);
  SetDialogDefaultItem(dialog_, 0);
  // Waits for item 4, which nothing will ever hit: every call gives up with item 1.
  auto waitForItem4 = [] {
    while (RunOnce() != 4) {
    }
  };
  EXPECT_DEATH(waitForItem4(), "gave up 1000 times in a row");
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
  EXPECT_EQ(sp_testing::DialogSelection(dialog_).start, 0);
  EXPECT_EQ(sp_testing::DialogSelection(dialog_).end, 1);
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
