// The say sheets and the standard alert: answers by click and by key, the modal dialog that
// stands in for a sheet without a window, and the alert's default button and buffers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreFoundation.h"
#include "SayDialogTestSupport.h"

namespace say_dialog_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ShownKind;
using sp_testing::ShownSoFar;

class SayDialogSheet : public SayDialogFixture {};

struct AnswerCase {
  const char* what;
  Answer answer;
  short expected;
};

TEST_F(SayDialogSheet, OneButtonSheetShowsItsTextsOnTheParentAndCloses) {
  WindowRef parent = NewParent();
  Respond(Answer::Return());
  Text message(MJ("書き出しが終わりました。")), explanation(MJ("5 曲を保存しました。")),
      button(MJ("閉じる"));
  Sp_SayDialogByModalBySheetAlert(parent, kSpStdSayDlgNote, message.get(), explanation.get(),
                                  button.get());
  ASSERT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(Last().kind, ShownKind::kSheet);
  EXPECT_EQ(Last().alertType, kSpStdSayDlgNote);
  EXPECT_EQ(Last().message, MJ("書き出しが終わりました。"));
  EXPECT_EQ(Last().explanation, MJ("5 曲を保存しました。"));
  EXPECT_EQ(Last().buttons, std::vector<std::string>{MJ("閉じる")});
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_TRUE(IsValidWindowPtr(parent));
}

TEST_F(SayDialogSheet, TwoButtonSheetAnswersByClickAndByKey) {
  WindowRef parent = NewParent();
  const AnswerCase cases[] = {
      {"click default", Answer::Click(1), 1},
      {"click cancel", Answer::Click(2), 2},
      {"Return", Answer::Return(), 1},
      {"Escape", Answer::Escape(), 2},
      {"Command-period", Answer::CommandPeriod(), 2},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.what);
    Respond(c.answer);
    Text message("Replace?"), explanation("A file of that name exists."), ok("Replace"),
        cancel("Cancel");
    EXPECT_EQ(SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, message.get(),
                                               explanation.get(), ok.get(), cancel.get()),
              c.expected);
    EXPECT_EQ(Last().kind, ShownKind::kSheet);
    EXPECT_EQ(Last().buttons, (std::vector<std::string>{"Replace", "Cancel"}));
    EXPECT_EQ(Last().defaultButton, "Replace");
    EXPECT_EQ(Last().cancelButton, "Cancel");
    EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  }
}

TEST_F(SayDialogSheet, TwoButtonSheetWithoutCancelTitleHasOnlyTheDefaultButton) {
  WindowRef parent = NewParent();
  Respond(Answer::Return());
  Text message("m"), explanation("e"), ok("OK");
  EXPECT_EQ(SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgStop, message.get(),
                                             explanation.get(), ok.get(), nullptr),
            1);
  EXPECT_EQ(Last().buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(Last().cancelItem, 0);
}

TEST_F(SayDialogSheet, CFStringSheetAnswersAndLeavesTheStringsToTheCaller) {
  WindowRef parent = NewParent();
  CFStringRef message = CFStringCreateWithCString(nullptr, "Stop?", kCFStringEncodingMacJapanese);
  CFStringRef explanation = CFSTR("The disc is still being read.");
  CFStringRef ok = CFSTR("Stop");
  CFStringRef cancel = CFSTR("Continue");
  Respond(Answer::Click(2));
  EXPECT_EQ(SpStdSayDlgTwoButtonBySheetAlertWithCFString(parent, kSpStdSayDlgCaution, message,
                                                         explanation, ok, cancel),
            2);
  EXPECT_EQ(Last().message, "Stop?");
  EXPECT_EQ(Last().buttons, (std::vector<std::string>{"Stop", "Continue"}));
  EXPECT_EQ(CFGetRetainCount(message), 1);
  CFRelease(message);
}

TEST_F(SayDialogSheet, ThreeButtonSheetAnswersEachButton) {
  WindowRef parent = NewParent();
  const AnswerCase cases[] = {
      {"default", Answer::Click(1), 1},
      {"cancel", Answer::Click(2), 2},
      {"other", Answer::Click(3), 3},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.what);
    Respond(c.answer);
    Text message("Save changes?"), explanation("e"), ok("Save"), cancel("Cancel"),
        other("Don't Save");
    EXPECT_EQ(
        SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, message.get(),
                                           explanation.get(), ok.get(), cancel.get(), other.get()),
        c.expected);
    EXPECT_EQ(Last().buttons.size(), 3u);
  }
}

TEST_F(SayDialogSheet, SheetThatCannotBeMadeAnswersZeroAndShowsNothing) {
  WindowRef parent = NewParent();
  // The toolbox refuses a sheet without a message.
  EXPECT_EQ(SpStdSayDlgTwoButtonBySheetAlertWithCFString(parent, kSpStdSayDlgStop, nullptr,
                                                         CFSTR("e"), CFSTR("OK"), nullptr),
            0);
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_EQ(errors_.Count(), 0u);
  // A missing text of the sheets with C texts is the caller's fault: logged.
  Text message("m"), ok("OK");
  EXPECT_EQ(SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgStop, message.get(), nullptr,
                                               ok.get(), nullptr, nullptr),
            0);
  Sp_SayDialogByModalBySheetAlert(nullptr, kSpStdSayDlgStop, message.get(), message.get(),
                                  ok.get());
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_TRUE(errors_.Has("SpStdSayDlgThreeButtonBySheetAlert", 1));
  EXPECT_TRUE(errors_.Has("Sp_SayDialogByModalBySheetAlert", 1));
}

// Without a window the question is asked in the two-button dialog, which shows the message
// and the explanation (not the explanation alone).
TEST_F(SayDialogSheet, SheetWithoutParentAsksInTheModalDialogWithMessageAndExplanation) {
  Respond(Answer::Click(2));
  Text message(MJ("上書きしますか？")), explanation(MJ("同じ名前のファイルがあります。")),
      ok(MJ("上書き")), cancel(MJ("キャンセル"));
  EXPECT_EQ(SpStdSayDlgTwoButtonBySheetAlert(nullptr, kSpStdSayDlgCaution, message.get(),
                                             explanation.get(), ok.get(), cancel.get()),
            2);
  EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
  EXPECT_EQ(Last().message, MJ("上書きしますか？") + "\r" + MJ("同じ名前のファイルがあります。"));
  EXPECT_EQ(Last().buttons, (std::vector<std::string>{MJ("上書き"), MJ("キャンセル")}));

  Respond(Answer::Return());
  CFStringRef cfMessage = CFSTR("上書きしますか？");
  CFStringRef cfExplanation = CFSTR("同じ名前のファイルがあります。");
  EXPECT_EQ(
      SpStdSayDlgTwoButtonBySheetAlertWithCFString(nullptr, kSpStdSayDlgCaution, cfMessage,
                                                   cfExplanation, CFSTR("OK"), CFSTR("Cancel")),
      1);
  EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
  EXPECT_EQ(Last().message, MJ("上書きしますか？") + "\r" + MJ("同じ名前のファイルがあります。"));
  EXPECT_EQ(Last().buttons, (std::vector<std::string>{"OK", "Cancel"}));
}

// ---- The standard alert ---------------------------------------------------------------------

TEST_F(SayDialogSheet, AlertAnswersTheButtonHitAndReturnPressesTheDefault) {
  struct Case {
    const char* what;
    const char* defaultText;
    const char* cancelText;
    const char* otherText;
    Answer answer;
    short expected;
    std::vector<std::string> buttons;
  } cases[] = {
      {"no texts: OK, and Return", nullptr, nullptr, nullptr, Answer::Return(), 1, {"OK"}},
      {"a default text: Return still presses it",
       "Quit",
       nullptr,
       nullptr,
       Answer::Return(),
       1,
       {"Quit"}},
      {"empty texts are no texts", "", "", "", Answer::Enter(), 1, {"OK"}},
      {"cancel clicked", "Save", "Cancel", nullptr, Answer::Click(2), 2, {"Save", "Cancel"}},
      {"other clicked",
       "Save",
       "Cancel",
       "Discard",
       Answer::Click(3),
       3,
       {"Save", "Cancel", "Discard"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    Respond(c.answer);
    Text message("The disc cannot be read."), explanation("Try cleaning it.");
    Text def(c.defaultText != nullptr ? c.defaultText : ""),
        can(c.cancelText != nullptr ? c.cancelText : ""),
        oth(c.otherText != nullptr ? c.otherText : "");
    EXPECT_EQ(Sp_SayAlertByModal(kSpStdSayDlgCaution, message.get(), explanation.get(),
                                 c.defaultText != nullptr ? def.get() : nullptr,
                                 c.cancelText != nullptr ? can.get() : nullptr,
                                 c.otherText != nullptr ? oth.get() : nullptr),
              c.expected);
    EXPECT_EQ(Last().kind, ShownKind::kAlert);
    EXPECT_EQ(Last().alertType, kSpStdSayDlgCaution);
    EXPECT_EQ(Last().message, "The disc cannot be read.");
    EXPECT_EQ(Last().explanation, "Try cleaning it.");
    EXPECT_EQ(Last().buttons, c.buttons);
    EXPECT_EQ(Last().defaultItem, 1);
    // The caller's buffers still hold their zero-terminated texts.
    EXPECT_EQ(message.str(), "The disc cannot be read.");
    EXPECT_EQ(explanation.str(), "Try cleaning it.");
    if (c.defaultText != nullptr) {
      EXPECT_EQ(def.str(), c.defaultText);
    }
  }
}

TEST_F(SayDialogSheet, AlertWithoutMessageAnswersZeroAndShowsNothing) {
  Text empty("");
  EXPECT_EQ(Sp_SayAlertByModal(kSpStdSayDlgCaution, nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(
      Sp_SayAlertByModal(kSpStdSayDlgCaution, empty.get(), nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_TRUE(errors_.Has("Sp_SayDialogByModal", 1));
  EXPECT_EQ(errors_.Beeps(), 2u);
}

}  // namespace
}  // namespace say_dialog_test
