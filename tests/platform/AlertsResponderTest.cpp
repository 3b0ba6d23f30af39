// The test API's responder: answers in order of appearance, settings before the input, a
// window still waiting after its answer taking the next one, nested modal loops, the record,
// and failing fast when no answer is left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Alerts.h"
#include "DialogsTestFixture.h"
#include "TestResponder.h"

namespace dialogs_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ResponderScope;
using sp_testing::ShownKind;
using sp_testing::ShownSoFar;

const char kFormSource[] = R"(
resource 'DLOG' 9440 {
  bounds 100, 100, 260, 500
  procID movableDBoxProc
  items 9440
  title "Name"
}
resource 'DITL' 9440 {
  button 120, 300, 140, 380 { text "OK" }
  button 120, 200, 140, 280 { text "Cancel" }
  editText 20, 20, 36, 380 { text "" }
  checkBox 50, 20, 70, 200 { text "Check" }
  staticText 80, 20, 100, 380 { text "Enter a name." }
}
)";

unsigned char* PStr(std::string* keep, const std::string& bytes) {
  *keep = std::string(1, char(bytes.size())) + bytes;
  return reinterpret_cast<unsigned char*>(&(*keep)[0]);
}

SInt16 CautionWithCancel(const std::string& message) {
  std::string m;
  AlertStdAlertParamRec p = {};
  p.defaultText = reinterpret_cast<ConstStringPtr>(kAlertDefaultOKText);
  p.cancelText = reinterpret_cast<ConstStringPtr>(kAlertDefaultCancelText);
  p.defaultButton = kAlertStdAlertOKButton;
  p.cancelButton = kAlertStdAlertCancelButton;
  SInt16 hit = 0;
  StandardAlert(kAlertCautionAlert, PStr(&m, message), nullptr, &p, &hit);
  return hit;
}

class ResponderTest : public DialogsTest {
 protected:
  DialogRef OpenForm() {
    UseResources(kFormSource);
    DialogRef dialog = GetNewDialog(9440, nullptr, reinterpret_cast<WindowRef>(-1));
    EXPECT_NE(dialog, nullptr);
    if (dialog == nullptr) return nullptr;
    ShowWindow(GetDialogWindow(dialog));
    SelectWindow(GetDialogWindow(dialog));
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
};

TEST_F(ResponderTest, AnswersAppearancesInOrder) {
  ResponderScope responder;
  Respond(Answer::Click(2));
  Respond(Answer::Return());
  EXPECT_EQ(CautionWithCancel("first"), 2);
  EXPECT_EQ(CautionWithCancel("second"), 1);
  ASSERT_EQ(ShownSoFar().size(), 2u);
  EXPECT_EQ(ShownSoFar()[0].message, "first");
  EXPECT_EQ(ShownSoFar()[0].answer, "click item 2");
  EXPECT_EQ(ShownSoFar()[1].message, "second");
  EXPECT_EQ(ShownSoFar()[1].answer, "press Return");
  EXPECT_TRUE(sp_testing::ResponderFailures().empty());
}

TEST_F(ResponderTest, SettingsAreMadeBeforeTheInput) {
  DialogRef dialog = OpenForm();
  ASSERT_NE(dialog, nullptr);
  ResponderScope responder;
  Respond(Answer().SetEditTextUTF8(3, "曲名").SetControlValue(4, 1).ClickItem(1));
  EXPECT_EQ(RunForm(dialog), 1);
  EXPECT_EQ(sp_testing::DialogItemTextUTF8(dialog, 3), "曲名");
  EXPECT_EQ(sp_testing::DialogItemValue(dialog, 4), 1);
  ASSERT_EQ(ShownSoFar().size(), 1u);
  const sp_testing::Shown& shown = ShownSoFar()[0];
  EXPECT_EQ(shown.kind, ShownKind::kModalDialog);
  EXPECT_EQ(shown.title, "Name");
  EXPECT_EQ(shown.message, "Enter a name.");
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_EQ(shown.buttonItems, (std::vector<DialogItemIndex>{1, 2}));
  EXPECT_EQ(shown.defaultButton, "OK");
  EXPECT_EQ(shown.cancelButton, "Cancel");
}

TEST_F(ResponderTest, DialogStillWaitingAfterItsAnswerTakesTheNextOne) {
  DialogRef dialog = OpenForm();
  ASSERT_NE(dialog, nullptr);
  ResponderScope responder;
  Respond(Answer::Click(4));  // the check box: the dialog stays
  Respond(Answer::Escape());
  EXPECT_EQ(RunForm(dialog), 2);
  EXPECT_EQ(sp_testing::DialogItemValue(dialog, 4), 1);
  ASSERT_EQ(ShownSoFar().size(), 2u);
  EXPECT_FALSE(ShownSoFar()[0].again);
  EXPECT_TRUE(ShownSoFar()[1].again);
  EXPECT_EQ(ShownSoFar()[1].window, GetDialogWindow(dialog));
}

TEST_F(ResponderTest, MissingAnswerFailsFastAndEndsTheAlert) {
  ResponderScope responder(ResponderScope::Report::kRecordOnly);
  // A timer of every pass: the loop never goes idle, only the responder can end it.
  EventLoopTimerRef busy = nullptr;
  InstallEventLoopTimer(
      GetMainEventLoop(), 0, kEventDurationMicrosecond, [](EventLoopTimerRef, void*) {}, nullptr,
      &busy);
  EXPECT_EQ(CautionWithCancel("Nobody answers"), kAlertStdAlertCancelButton);
  RemoveEventLoopTimer(busy);
  ASSERT_EQ(sp_testing::ResponderFailures().size(), 1u);
  const std::string& failure = sp_testing::ResponderFailures()[0];
  EXPECT_NE(failure.find("no answer prepared"), std::string::npos) << failure;
  EXPECT_NE(failure.find("alert"), std::string::npos) << failure;
  EXPECT_NE(failure.find("Nobody answers"), std::string::npos) << failure;
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
}

OSStatus QuitModalWindow(EventHandlerCallRef, EventRef, void* data) {
  QuitAppModalLoopForWindow(static_cast<WindowRef>(data));
  return noErr;
}

WindowRef MakeModalWindow() {
  Rect bounds = {200, 200, 300, 500};
  WindowRef window = nullptr;
  CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute, &bounds, &window);
  if (window == nullptr) return nullptr;
  Rect go = {60, 200, 80, 280};
  Rect stop = {60, 100, 80, 180};
  ControlRef goButton = NewControl(window, &go, reinterpret_cast<const UInt8*>("\x02Go"), true, 0,
                                   0, 1, pushButProc, 0);
  NewControl(window, &stop, reinterpret_cast<const UInt8*>("\x04Stop"), true, 0, 0, 1, pushButProc,
             0);
  SetWindowDefaultButton(window, goButton);
  SetWTitle(window, reinterpret_cast<const UInt8*>("\x07Working"));
  ShowWindow(window);
  SelectWindow(window);
  const EventTypeSpec hit = {kEventClassControl, kEventControlHit};
  InstallEventHandler(GetWindowEventTarget(window), QuitModalWindow, 1, &hit, window, nullptr);
  return window;
}

TEST_F(ResponderTest, ModalWindowIsRecordedAndAnsweredByButtonTitle) {
  WindowRef window = MakeModalWindow();
  ASSERT_NE(window, nullptr);
  ResponderScope responder;
  Respond(Answer().ClickButton("Go"));
  ASSERT_EQ(RunAppModalLoopForWindow(window), noErr);
  ASSERT_EQ(ShownSoFar().size(), 1u);
  const sp_testing::Shown& shown = ShownSoFar()[0];
  EXPECT_EQ(shown.kind, ShownKind::kModalWindow);
  EXPECT_EQ(shown.title, "Working");
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Go", "Stop"}));
  EXPECT_EQ(shown.defaultButton, "Go");
  EXPECT_EQ(sp_testing::IdleLoopReturns(), 0u);  // quit by its handler, not by going idle
}

TEST_F(ResponderTest, MissingAnswerQuitsAModalLoopThatWouldNeverEnd) {
  WindowRef window = MakeModalWindow();
  ASSERT_NE(window, nullptr);
  ResponderScope responder(ResponderScope::Report::kRecordOnly);
  EventLoopTimerRef busy = nullptr;
  InstallEventLoopTimer(
      GetMainEventLoop(), 0, kEventDurationMicrosecond, [](EventLoopTimerRef, void*) {}, nullptr,
      &busy);
  ASSERT_EQ(RunAppModalLoopForWindow(window), noErr);
  RemoveEventLoopTimer(busy);
  ASSERT_EQ(sp_testing::ResponderFailures().size(), 1u);
  EXPECT_NE(sp_testing::ResponderFailures()[0].find("modal window \"Working\""), std::string::npos)
      << sp_testing::ResponderFailures()[0];
}

// A window-modal loop left open while a timer shows an alert inside it, then ends the loop.
struct Nested {
  WindowRef window = nullptr;
  SInt16 alertAnswer = 0;
};

void AlertFromTimer(EventLoopTimerRef timer, void* data) {
  auto* n = static_cast<Nested*>(data);
  RemoveEventLoopTimer(timer);
  n->alertAnswer = CautionWithCancel("From a timer");
  QuitAppModalLoopForWindow(n->window);
}

TEST_F(ResponderTest, AlertFromATimerInsideAModalLoopIsAnsweredToo) {
  Nested n;
  n.window = MakeModalWindow();
  ASSERT_NE(n.window, nullptr);
  ResponderScope responder;
  Respond(Answer::LeaveOpen());
  Respond(Answer::Click(kAlertStdAlertCancelButton));
  InstallEventLoopTimer(GetMainEventLoop(), 0.5, 0, AlertFromTimer, &n, nullptr);
  ASSERT_EQ(RunAppModalLoopForWindow(n.window), noErr);
  EXPECT_EQ(n.alertAnswer, kAlertStdAlertCancelButton);
  ASSERT_EQ(ShownSoFar().size(), 2u);
  EXPECT_EQ(ShownSoFar()[0].kind, ShownKind::kModalWindow);
  EXPECT_EQ(ShownSoFar()[0].answer, "leave it open");
  EXPECT_EQ(ShownSoFar()[1].kind, ShownKind::kAlert);
  EXPECT_EQ(ShownSoFar()[1].message, "From a timer");
}

TEST_F(ResponderTest, UnusedAnswersAreFailuresAtTheEnd) {
  {
    ResponderScope responder(ResponderScope::Report::kRecordOnly);
    Respond(Answer::Click(1));
    Respond(Answer::Escape());
    EXPECT_EQ(sp_testing::PendingAnswerCount(), 2);
  }
  ASSERT_EQ(sp_testing::ResponderFailures().size(), 1u);
  EXPECT_NE(sp_testing::ResponderFailures()[0].find("2 prepared answer(s) were never used"),
            std::string::npos);
  EXPECT_EQ(sp_testing::PendingAnswerCount(), 0);
}

TEST_F(ResponderTest, AnswerThatCannotBeGivenFailsAndEndsTheDialog) {
  DialogRef dialog = OpenForm();
  ASSERT_NE(dialog, nullptr);
  ResponderScope responder(ResponderScope::Report::kRecordOnly);
  Respond(Answer::Click(42));
  EXPECT_EQ(RunForm(dialog), 2);  // the loop gave up with the cancel item
  ASSERT_EQ(sp_testing::ResponderFailures().size(), 1u);
  EXPECT_NE(sp_testing::ResponderFailures()[0].find("click item 42"), std::string::npos);
}

}  // namespace
}  // namespace dialogs_test
