// The test API's responder: answers in order of appearance, settings before the input, a
// window still waiting after its answer taking the next one, nested modal loops, the record,
// and failing fast when no answer is left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Alerts.h"
#include "TestResponder.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ResponderFailures;
using sp_testing::ResponderScope;
using sp_testing::ShownKind;
using sp_testing::ShownSoFar;

SInt16 CautionWithCancel(const std::string& message) {
  AlertStdAlertParamRec p = {};
  p.defaultText = reinterpret_cast<ConstStringPtr>(kAlertDefaultOKText);
  p.cancelText = reinterpret_cast<ConstStringPtr>(kAlertDefaultCancelText);
  p.defaultButton = kAlertStdAlertOKButton;
  p.cancelButton = kAlertStdAlertCancelButton;
  SInt16 hit = 0;
  StandardAlert(kAlertCautionAlert, PStr(message), nullptr, &p, &hit);
  return hit;
}

OSStatus QuitModalWindow(EventHandlerCallRef, EventRef, void* data) {
  QuitAppModalLoopForWindow(static_cast<WindowRef>(data));
  return noErr;
}

void Idle(EventLoopTimerRef, void*) {}

class ResponderTest : public UiTest {
 protected:
  DialogRef OpenForm() {
    UseResources(R"(
resource 'DLOG' 9440 { bounds 100, 100, 260, 500; procID movableDBoxProc; items 9440; title "Name" }
resource 'DITL' 9440 {
  button 120, 300, 140, 380 { text "OK" }
  button 120, 200, 140, 280 { text "Cancel" }
  editText 20, 20, 36, 380 { text "" }
  checkBox 50, 20, 70, 200 { text "Check" }
  staticText 80, 20, 100, 380 { text "Enter a name." }
}
)");
    DialogRef dialog = OpenDialog(9440, false);
    SetDialogDefaultItem(dialog, 1);
    SetDialogCancelItem(dialog, 2);
    return dialog;
  }

  // The classic way: ModalDialog until OK or Cancel, toggling the check box on the way.
  static DialogItemIndex RunForm(DialogRef dialog) {
    DialogItemIndex item = 0;
    do {
      ModalDialog(nullptr, &item);
      if (item == 4) {
        ControlRef check = ItemControl(dialog, 4);
        SetControlValue(check, SInt16(1 - GetControlValue(check)));
      }
    } while (item != 1 && item != 2);
    return item;
  }

  // A movable modal window with Go (default) and Stop, quit by any button.
  static WindowRef MakeModalWindow() {
    WindowRef window = MakeWindow(R(200, 200, 300, 500), kWindowStandardHandlerAttribute,
                                  kMovableModalWindowClass);
    Rect go = R(60, 200, 80, 280), stop = R(60, 100, 80, 180);
    SetWindowDefaultButton(window,
                           NewControl(window, &go, PStr("Go"), true, 0, 0, 1, pushButProc, 0));
    NewControl(window, &stop, PStr("Stop"), true, 0, 0, 1, pushButProc, 0);
    SetWTitle(window, PStr("Working"));
    SelectWindow(window);
    const EventTypeSpec hit = {kEventClassControl, kEventControlHit};
    InstallEventHandler(GetWindowEventTarget(window), QuitModalWindow, 1, &hit, window, nullptr);
    return window;
  }
};

TEST_F(ResponderTest, SettingsAreMadeBeforeTheInputAndAWaitingDialogTakesTheNextAnswer) {
  DialogRef dialog = OpenForm();
  ASSERT_NE(dialog, nullptr);
  ResponderScope responder;
  Respond(Answer().SetEditTextUTF8(3, "曲名").SetControlValue(4, 1).ClickItem(1));
  EXPECT_EQ(RunForm(dialog), 1);
  EXPECT_EQ(sp_testing::DialogItemTextUTF8(dialog, 3), "曲名");
  EXPECT_EQ(sp_testing::DialogItemValue(dialog, 4), 1);
  const sp_testing::Shown& shown = ShownSoFar().at(0);
  EXPECT_EQ(shown.kind, ShownKind::kModalDialog);
  EXPECT_EQ(shown.title, "Name");
  EXPECT_EQ(shown.message, "Enter a name.");
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_EQ(shown.buttonItems, (std::vector<DialogItemIndex>{1, 2}));
  EXPECT_EQ(shown.defaultButton, "OK");
  EXPECT_EQ(shown.cancelButton, "Cancel");

  Respond(Answer::Click(4));  // the check box: the dialog stays
  Respond(Answer::Escape());
  EXPECT_EQ(RunForm(dialog), 2);
  EXPECT_EQ(sp_testing::DialogItemValue(dialog, 4), 0);
  ASSERT_EQ(ShownSoFar().size(), 3u);
  EXPECT_FALSE(ShownSoFar()[0].again);
  EXPECT_TRUE(ShownSoFar()[1].again);
  EXPECT_TRUE(ShownSoFar()[2].again);
  EXPECT_EQ(ShownSoFar()[2].window, GetDialogWindow(dialog));
}

TEST_F(ResponderTest, MissingAnswerFailsFastAndEndsTheAlertOrModalLoop) {
  ResponderScope responder(ResponderScope::Report::kRecordOnly);
  // A timer of every pass: the loop never goes idle, only the responder can end it.
  EventLoopTimerRef busy = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, kEventDurationMicrosecond, Idle, nullptr, &busy);
  EXPECT_EQ(CautionWithCancel("Nobody answers"), kAlertStdAlertCancelButton);
  ASSERT_EQ(ResponderFailures().size(), 1u);
  EXPECT_NE(ResponderFailures()[0].find("no answer prepared"), std::string::npos);
  EXPECT_NE(ResponderFailures()[0].find("alert"), std::string::npos);
  EXPECT_NE(ResponderFailures()[0].find("Nobody answers"), std::string::npos);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());

  ASSERT_EQ(RunAppModalLoopForWindow(MakeModalWindow()), noErr);
  RemoveEventLoopTimer(busy);
  ASSERT_EQ(ResponderFailures().size(), 2u);
  EXPECT_NE(ResponderFailures()[1].find("modal window \"Working\""), std::string::npos)
      << ResponderFailures()[1];
}

TEST_F(ResponderTest, UnusedOrImpossibleAnswersAreFailures) {
  {
    ResponderScope responder(ResponderScope::Report::kRecordOnly);
    Respond(Answer::Click(1));
    Respond(Answer::Escape());
    EXPECT_EQ(sp_testing::PendingAnswerCount(), 2);
  }
  ASSERT_EQ(ResponderFailures().size(), 1u);
  EXPECT_NE(ResponderFailures()[0].find("2 prepared answer(s) were never used"), std::string::npos);
  EXPECT_EQ(sp_testing::PendingAnswerCount(), 0);

  DialogRef dialog = OpenForm();
  ASSERT_NE(dialog, nullptr);
  ResponderScope responder(ResponderScope::Report::kRecordOnly);
  Respond(Answer::Click(42));
  EXPECT_EQ(RunForm(dialog), 2);  // the loop gave up with the cancel item
  ASSERT_EQ(ResponderFailures().size(), 1u);
  EXPECT_NE(ResponderFailures()[0].find("click item 42"), std::string::npos);
}

}  // namespace
}  // namespace ui_test
