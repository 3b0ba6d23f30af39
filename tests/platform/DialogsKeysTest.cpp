// Dialog Manager: the standard handling of keys, clicks and drawing, and a snapshot of a
// dialog for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "QDRegions.h"
#include "QDText.h"
#include "TestQuickDraw.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

const char kButtonsSource[] = R"(
resource 'DLOG' 9300 { bounds 100, 100, 260, 500; procID movableDBoxProc; items 9300; title "Buttons" }
resource 'DITL' 9300 {
  button 120, 300, 140, 380 { text "OK" }
  button 120, 200, 140, 280 { text "キャンセル" }
  editText 20, 20, 36, 380 { text "" }
  staticText 60, 20, 100, 380 { text "日本語の説明文です。" }
}
)";

// Records the controls whose hit events reach their targets, with their parts.
struct HitLog {
  std::vector<ControlRef> controls;
  std::vector<ControlPartCode> parts;
};

OSStatus RecordHit(EventHandlerCallRef, EventRef event, void* data) {
  auto* log = static_cast<HitLog*>(data);
  log->controls.push_back(Param<ControlRef>(event, kEventParamDirectObject, typeControlRef));
  log->parts.push_back(Param<ControlPartCode>(event, kEventParamControlPart, typeControlPartCode));
  return noErr;
}

class KeysTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseResources(kButtonsSource);
    dialog_ = OpenDialog(9300);
    ASSERT_NE(dialog_, nullptr);
    ASSERT_EQ(SetDialogDefaultItem(dialog_, 1), noErr);
    ASSERT_EQ(SetDialogCancelItem(dialog_, 2), noErr);
    for (DialogItemIndex item : {1, 2}) {
      const EventTypeSpec hit = {kEventClassControl, kEventControlHit};
      ASSERT_EQ(InstallEventHandler(GetControlEventTarget(ItemControl(dialog_, item)), RecordHit, 1,
                                    &hit, &log_, nullptr),
                noErr);
    }
  }

  DialogRef dialog_ = nullptr;
  HitLog log_;
};

TEST_F(KeysTest, KeysPressOnlyActiveVisibleDefaultAndCancelItems) {
  struct Case {
    void (*press)();
    bool deactivateCancel;
    bool hideDefault;
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
    log_ = HitLog();
    ControlRef cancel = ItemControl(dialog_, 2);
    if (c.deactivateCancel) DeactivateControl(cancel);
    if (c.hideDefault) HideDialogItem(dialog_, 1);
    const std::size_t flashesBefore = sp_testing::DialogFlashes(dialog_).size();
    c.press();
    std::vector<DialogItemIndex> flashes = sp_testing::DialogFlashes(dialog_);
    if (c.pressed == 0) {
      EXPECT_EQ(flashes.size(), flashesBefore);
      EXPECT_TRUE(log_.controls.empty());
    } else {
      ASSERT_EQ(flashes.size(), flashesBefore + 1);
      EXPECT_EQ(flashes.back(), c.pressed);
      ASSERT_EQ(log_.controls.size(), 1u) << "one hit, on the pressed item's control";
      EXPECT_EQ(log_.controls[0], ItemControl(dialog_, c.pressed));
      EXPECT_EQ(log_.parts[0], kControlButtonPart);
      EXPECT_EQ(sp_testing::DialogItemHilite(dialog_, c.pressed), 0) << "the flash is over";
    }
    EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "") << "the keys are no text of the field";
    ActivateControl(cancel);
    ShowDialogItem(dialog_, 1);
  }
  // Without default and cancel items the keys go on, pressing nothing.
  log_ = HitLog();
  ASSERT_EQ(SetDialogDefaultItem(dialog_, 0), noErr);
  ASSERT_EQ(SetDialogCancelItem(dialog_, 0), noErr);
  sp_testing::PressReturn();
  sp_testing::PressEscape();
  EXPECT_EQ(sp_testing::DialogFlashes(dialog_).size(), 7u);
  EXPECT_TRUE(log_.controls.empty());
  EXPECT_EQ(sp_testing::DialogItemText(dialog_, 3), "");
}

TEST_F(KeysTest, ClickedButtonSendsItsHitOnlyWhenReleasedInside) {
  ASSERT_TRUE(sp_testing::ClickDialogItem(dialog_, 2));
  ASSERT_EQ(log_.controls.size(), 1u);
  EXPECT_EQ(log_.controls[0], ItemControl(dialog_, 2));

  log_ = HitLog();
  const Rect button = ItemRect(dialog_, 1);
  sp_testing::DragInDialog(dialog_, Pt(SInt16(button.left + 5), SInt16(button.top + 5)),
                           Pt(SInt16(button.left - 50), SInt16(button.top - 50)));
  EXPECT_TRUE(log_.controls.empty()) << "released outside: no hit";

  DeactivateControl(ItemControl(dialog_, 1));
  ASSERT_TRUE(sp_testing::ClickDialogItem(dialog_, 1));
  EXPECT_TRUE(log_.controls.empty()) << "an inactive button takes no click";

  ActivateControl(ItemControl(dialog_, 1));
  HideDialogItem(dialog_, 1);
  sp_testing::ClickDialogPoint(dialog_, Pt(SInt16(button.left + 5), SInt16(button.top + 5)));
  EXPECT_TRUE(log_.controls.empty()) << "a hidden button takes no click";
}

// Counts the pixels of the port inside the rectangle that are not the background (white).
int InkIn(CGrafPtr port, const Rect& r) {
  int ink = 0;
  for (SInt16 v = r.top; v < r.bottom; ++v) {
    for (SInt16 h = r.left; h < r.right; ++h) {
      if (sp_testing::ReadPixel(port, h, v) != 0xFFFFFF) ++ink;
    }
  }
  return ink;
}

TEST_F(KeysTest, DrawingCoversTheShownItemsInTheRegionOnly) {
  CGrafPtr port = GetDialogPort(dialog_);
  const Rect text = ItemRect(dialog_, 4);
  const Rect field = ItemRect(dialog_, 3);
  // The draw-content event draws every item; the edit field's frame lies 3 pixels outside.
  sp_testing::FillPort(port, 0xFFFFFF);
  WindowRef window = GetDialogWindow(dialog_);
  EventRef draw = NewEvent(kEventClassWindow, kEventWindowDrawContent);
  SetEventParameter(draw, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  EXPECT_EQ(SendEventToEventTarget(draw, GetWindowEventTarget(window)), noErr);
  ReleaseEvent(draw);
  EXPECT_EQ(sp_testing::ReadPixel(port, SInt16(field.left - 3), SInt16(field.top + 4)), 0x000000u);
  EXPECT_GT(InkIn(port, text), 0);
  EXPECT_GT(InkIn(port, ItemRect(dialog_, 1)), 0) << "the controls are drawn too";

  // An update draws only the items in its region.
  sp_testing::FillPort(port, 0xFFFFFF);
  RgnHandle region = NewRgn();
  RectRgn(region, &text);
  UpdateDialog(dialog_, region);
  DisposeRgn(region);
  EXPECT_GT(InkIn(port, text), 0);
  EXPECT_EQ(sp_testing::ReadPixel(port, SInt16(field.left - 3), SInt16(field.top + 4)), 0xFFFFFFu)
      << "the field outside the region is left alone";

  HideDialogItem(dialog_, 4);
  sp_testing::FillPort(port, 0xFFFFFF);
  DrawDialog(dialog_);
  EXPECT_EQ(InkIn(port, text), 0) << "a hidden item is not drawn";
}

TEST_F(KeysTest, SnapshotOfAJapaneseDialogForAPersonToLookAt) {
  sp_testing::TypeTextUTF8("入力された文字");
  SelectDialogItemText(dialog_, 3, 0, 4);
  const std::string path = ::testing::TempDir() + "dialog-japanese.png";
  ASSERT_TRUE(sp_testing::SnapshotDialog(dialog_, path));
  EXPECT_GT(InkIn(GetDialogPort(dialog_), ItemRect(dialog_, 3)), 0);
  std::printf("Dialog snapshot: %s\n", path.c_str());

  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  DialogRef say = OpenDialog(6130);
  ASSERT_NE(say, nullptr);
  Handle message = nullptr;
  GetDialogItem(say, 3, nullptr, &message, nullptr);
  SetDialogItemText(message,
                    PStr(SJ("保存できませんでした。ディスクの空き容量を確かめてください。")));
  const std::string sayPath = ::testing::TempDir() + "dialog-say-6130.png";
  ASSERT_TRUE(sp_testing::SnapshotDialog(say, sayPath));
  EXPECT_GT(InkIn(GetDialogPort(say), ItemRect(say, 3)), 0);
  std::printf("Say dialog snapshot: %s\n", sayPath.c_str());
}

}  // namespace
}  // namespace ui_test
