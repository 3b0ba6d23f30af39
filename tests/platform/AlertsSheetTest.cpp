// Standard alert sheets: the command of the button pressed reaches the sheet's handlers and
// then the notify target, the sheet closes, and its parent takes no input meanwhile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Alerts.h"
#include "CFString.h"
#include "TestResponder.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

struct Heard {
  std::vector<std::string> who;  // "sheet" or "parent", in order
  std::vector<UInt32> commands;
  int parentPresses = 0;
  WindowRef quitSheet = nullptr;  // quits the modal loop of this sheet on OK, Cancel or Other
  int answer = 0;
  bool take = false;  // the sheet's handler takes the command
};

OSStatus Hear(Heard* heard, EventRef event, const char* who) {
  const HICommand command = Param<HICommand>(event, kEventParamDirectObject, typeHICommand);
  heard->who.push_back(who);
  heard->commands.push_back(command.commandID);
  return command.commandID;
}

OSStatus HearOnSheet(EventHandlerCallRef, EventRef event, void* data) {
  auto* heard = static_cast<Heard*>(data);
  const UInt32 id = UInt32(Hear(heard, event, "sheet"));
  const UInt32 ids[] = {kHICommandOK, kHICommandCancel, kHICommandOther};
  heard->answer = 0;
  for (int i = 0; i < 3; ++i) heard->answer = id == ids[i] ? i + 1 : heard->answer;
  if (heard->answer > 0 && heard->quitSheet != nullptr) QuitAppModalLoopForWindow(heard->quitSheet);
  // Not taken: the standard sheet handling closes the sheet.
  return heard->take ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
}

OSStatus HearOnParent(EventHandlerCallRef, EventRef event, void* data) {
  auto* heard = static_cast<Heard*>(data);
  if (GetEventClass(event) == kEventClassMouse) {
    ++heard->parentPresses;
  } else {
    Hear(heard, event, "parent");
  }
  return noErr;
}

class SheetsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    parent_ = MakeWindow(R(100, 50, 600, 950));
    SelectWindow(parent_);
    const EventTypeSpec types[] = {{kEventClassCommand, kEventCommandProcess},
                                   {kEventClassMouse, kEventMouseDown}};
    ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(parent_), HearOnParent, 2, types, &heard_,
                                  nullptr),
              noErr);
  }

  // A caution sheet with OK, Cancel and Other, shown on the parent.
  DialogRef ShowSheet(OptionBits flags = 0) {
    AlertStdCFStringAlertParamRec p;
    GetStandardAlertDefaultParams(&p, kStdCFStringAlertVersionOne);
    p.cancelText = reinterpret_cast<CFStringRef>(kAlertDefaultCancelText);
    p.otherText = CFSTR("後で");
    p.cancelButton = kAlertStdAlertCancelButton;
    p.flags = flags;
    DialogRef sheet = nullptr;
    EXPECT_EQ(CreateStandardSheet(kAlertCautionAlert, CFSTR("保存先がありません"),
                                  CFSTR("フォルダを選んでください。"), &p,
                                  GetWindowEventTarget(parent_), &sheet),
              noErr);
    if (sheet == nullptr) return nullptr;
    const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
    EXPECT_EQ(InstallEventHandler(GetWindowEventTarget(GetDialogWindow(sheet)), HearOnSheet, 1,
                                  &command, &heard_, nullptr),
              noErr);
    EXPECT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent_), noErr);
    return sheet;
  }

  void ClickParent() {
    sp_testing::PostClick(Pt(60, 580));  // well away from the sheet
    sp_testing::PumpUntilIdle();
  }

  WindowRef parent_ = nullptr;
  Heard heard_;
};

TEST_F(SheetsTest, EachButtonSendsItsCommandToTheSheetThenTheTargetAndCloses) {
  struct Case {
    const char* name;
    DialogItemIndex click;  // 0: the key below
    UInt8 key;
    UInt32 modifiers;
    UInt32 command;
  } cases[] = {
      {"click OK", 1, 0, 0, kHICommandOK},
      {"click cancel", 2, 0, 0, kHICommandCancel},
      {"click other", 3, 0, 0, kHICommandOther},
      {"Return", 0, 0x0D, 0, kHICommandOK},
      {"Escape", 0, 0x1B, 0, kHICommandCancel},
      {"Command-period", 0, '.', cmdKey, kHICommandCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    heard_ = Heard();
    DialogRef sheet = ShowSheet();
    ASSERT_NE(sheet, nullptr);
    if (c.click != 0) {
      ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, c.click));
    } else {
      sp_testing::PressKey(c.key, 0, c.modifiers);
    }
    sp_testing::PumpUntilIdle();
    EXPECT_EQ(heard_.who, (std::vector<std::string>{"sheet", "parent"}));
    EXPECT_EQ(heard_.commands, (std::vector<UInt32>{c.command, c.command}));
    EXPECT_TRUE(sp_testing::LiveDialogs().empty()) << "the sheet was not disposed of";
  }
}

TEST_F(SheetsTest, ParentTakesNoInputWhileTheSheetIsUp) {
  DialogRef sheet = ShowSheet();
  ASSERT_NE(sheet, nullptr);
  ClickParent();
  EXPECT_EQ(heard_.parentPresses, 0);
  EXPECT_EQ(sp_testing::BeepCount(), 1u);
  ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, 1));
  sp_testing::PumpUntilIdle();
  ClickParent();
  EXPECT_EQ(heard_.parentPresses, 1);  // the sheet is gone: the parent hears again
}

TEST_F(SheetsTest, HandlerThatTakesTheCommandKeepsTheSheet) {
  heard_.take = true;
  DialogRef sheet = ShowSheet();
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, 2));
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(IsWindowVisible(GetDialogWindow(sheet)));
  EXPECT_EQ(heard_.who, std::vector<std::string>{"sheet"});
  // The program closes it itself: only the notify target hears.
  ASSERT_EQ(CloseStandardSheet(sheet, kHICommandCancel), noErr);
  EXPECT_EQ(heard_.who, (std::vector<std::string>{"sheet", "parent"}));
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(CloseStandardSheet(sheet, kHICommandCancel), paramErr);
}

TEST_F(SheetsTest, DoNotDisposeFlagKeepsTheSheetHidden) {
  DialogRef sheet = ShowSheet(kStdAlertDoNotDisposeSheet);
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, 1));
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(sp_testing::LiveDialogs().size(), 1u);
  EXPECT_FALSE(IsWindowVisible(GetDialogWindow(sheet)));
  DisposeDialog(sheet);
}

TEST_F(SheetsTest, ModalLoopOnTheSheetIsAnsweredByTheResponder) {
  sp_testing::ResponderScope responder;
  sp_testing::Respond(sp_testing::Answer::Click(kAlertStdAlertOtherButton));
  DialogRef sheet = ShowSheet();
  ASSERT_NE(sheet, nullptr);
  heard_.quitSheet = GetDialogWindow(sheet);
  ASSERT_EQ(RunAppModalLoopForWindow(heard_.quitSheet), noErr);
  EXPECT_EQ(heard_.answer, 3);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  const sp_testing::Shown& shown = sp_testing::ShownSoFar().at(0);
  EXPECT_EQ(shown.kind, sp_testing::ShownKind::kSheet);
  EXPECT_EQ(shown.message, SJ("保存先がありません"));
  EXPECT_EQ(shown.explanation, SJ("フォルダを選んでください。"));
  EXPECT_EQ(shown.alertType, kAlertCautionAlert);
  EXPECT_EQ(shown.defaultItem, 1);
  EXPECT_EQ(shown.cancelItem, 2);

  // Shown while the main loop runs: answered too, leaving no timer behind.
  sp_testing::Respond(sp_testing::Answer::Escape());
  heard_ = Heard();
  ASSERT_NE(ShowSheet(), nullptr);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(heard_.who, (std::vector<std::string>{"sheet", "parent"}));
  EXPECT_EQ(heard_.commands.back(), kHICommandCancel);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);
}

TEST_F(SheetsTest, RefusesMissingArguments) {
  DialogRef sheet = nullptr;
  EXPECT_EQ(CreateStandardSheet(kAlertStopAlert, nullptr, nullptr, nullptr, nullptr, &sheet),
            paramErr);
  EXPECT_EQ(CreateStandardSheet(kAlertStopAlert, CFSTR("x"), nullptr, nullptr, nullptr, nullptr),
            paramErr);
  EXPECT_EQ(CloseStandardSheet(nullptr, kHICommandOK), paramErr);
}

}  // namespace
}  // namespace ui_test
