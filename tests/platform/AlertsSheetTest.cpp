// Standard alert sheets: the command of the button pressed reaches the sheet's handlers and
// then the notify target, the sheet closes, and its parent takes no input meanwhile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Alerts.h"
#include "CFString.h"
#include "DialogsTestFixture.h"
#include "OSUtils.h"
#include "TestResponder.h"

namespace dialogs_test {
namespace {

struct Heard {
  std::vector<std::string> who;  // "sheet" or "parent", in order
  std::vector<UInt32> commands;
  int parentPresses = 0;
};

std::string Name(UInt32 command) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[std::size_t(i)] = char((command >> (24 - 8 * i)) & 0xFF);
  return s;
}

OSStatus HearOnSheet(EventHandlerCallRef, EventRef event, void* data) {
  auto* heard = static_cast<Heard*>(data);
  HICommand command = {};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                    &command);
  heard->who.push_back("sheet");
  heard->commands.push_back(command.commandID);
  return eventNotHandledErr;  // the standard sheet handling closes the sheet
}

OSStatus HearOnParent(EventHandlerCallRef, EventRef event, void* data) {
  auto* heard = static_cast<Heard*>(data);
  if (GetEventClass(event) == kEventClassMouse) {
    ++heard->parentPresses;
    return noErr;
  }
  HICommand command = {};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                    &command);
  heard->who.push_back("parent");
  heard->commands.push_back(command.commandID);
  return noErr;
}

class SheetsTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    Rect bounds = {100, 50, 600, 950};
    parent_ = NewCWindow(nullptr, &bounds, reinterpret_cast<const UInt8*>("\x06Parent"), true,
                         documentProc, reinterpret_cast<WindowRef>(-1), false, 0);
    ASSERT_NE(parent_, nullptr);
    SelectWindow(parent_);
    const EventTypeSpec types[] = {{kEventClassCommand, kEventCommandProcess},
                                   {kEventClassMouse, kEventMouseDown}};
    ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(parent_), HearOnParent, 2, types, &heard_,
                                  nullptr),
              noErr);
  }

  DialogRef MakeSheet(OptionBits flags = 0) {
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
    return sheet;
  }

  // A point of the parent's content well away from the sheet.
  Point ParentPoint() const { return Pt(60, 580); }

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
    DialogRef sheet = MakeSheet();
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent_), noErr);
    if (c.click != 0) {
      ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, c.click));
    } else {
      sp_testing::PressKey(c.key, 0, c.modifiers);
    }
    sp_testing::PumpUntilIdle();
    EXPECT_EQ(heard_.who, (std::vector<std::string>{"sheet", "parent"}));
    ASSERT_EQ(heard_.commands.size(), 2u);
    EXPECT_EQ(Name(heard_.commands[0]), Name(c.command));
    EXPECT_EQ(Name(heard_.commands[1]), Name(c.command));
    EXPECT_TRUE(sp_testing::LiveDialogs().empty()) << "the sheet was not disposed of";
  }
}

TEST_F(SheetsTest, ParentTakesNoInputWhileTheSheetIsUp) {
  DialogRef sheet = MakeSheet();
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent_), noErr);
  sp_testing::PostClick(ParentPoint());
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(heard_.parentPresses, 0);
  EXPECT_EQ(sp_testing::BeepCount(), 1u);

  ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, 1));
  sp_testing::PumpUntilIdle();
  sp_testing::PostClick(ParentPoint());
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(heard_.parentPresses, 1);  // the sheet is gone: the parent hears again
}

OSStatus TakeCommand(EventHandlerCallRef, EventRef, void*) {
  return noErr;
}

TEST_F(SheetsTest, HandlerThatTakesTheCommandKeepsTheSheet) {
  DialogRef sheet = MakeSheet();
  ASSERT_NE(sheet, nullptr);
  const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(GetDialogWindow(sheet)), TakeCommand, 1, &command,
                      nullptr, nullptr);
  ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent_), noErr);
  ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, 2));
  sp_testing::PumpUntilIdle();
  EXPECT_TRUE(IsWindowVisible(GetDialogWindow(sheet)));
  EXPECT_TRUE(heard_.who.empty());
  // The program closes it itself: only the notify target hears.
  ASSERT_EQ(CloseStandardSheet(sheet, kHICommandCancel), noErr);
  EXPECT_EQ(heard_.who, std::vector<std::string>{"parent"});
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(CloseStandardSheet(sheet, kHICommandCancel), paramErr);
}

TEST_F(SheetsTest, DoNotDisposeFlagKeepsTheSheetHidden) {
  DialogRef sheet = MakeSheet(kStdAlertDoNotDisposeSheet);
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent_), noErr);
  ASSERT_TRUE(sp_testing::ClickDialogItem(sheet, 1));
  sp_testing::PumpUntilIdle();
  ASSERT_EQ(sp_testing::LiveDialogs().size(), 1u);
  EXPECT_FALSE(IsWindowVisible(GetDialogWindow(sheet)));
  DisposeDialog(sheet);
}

// As the say sheets do: a modal loop on the sheet, quit by the sheet's command handler.
struct SheetAnswer {
  WindowRef sheet = nullptr;
  int answer = 0;
};

OSStatus QuitOnCommand(EventHandlerCallRef, EventRef event, void* data) {
  auto* a = static_cast<SheetAnswer*>(data);
  HICommand command = {};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                    &command);
  a->answer = command.commandID == kHICommandOK       ? 1
              : command.commandID == kHICommandCancel ? 2
              : command.commandID == kHICommandOther  ? 3
                                                      : 0;
  if (a->answer > 0) QuitAppModalLoopForWindow(a->sheet);
  return eventNotHandledErr;
}

TEST_F(SheetsTest, ModalLoopOnTheSheetIsAnsweredByTheResponder) {
  sp_testing::ResponderScope responder;
  sp_testing::Respond(sp_testing::Answer::Click(kAlertStdAlertOtherButton));
  DialogRef sheet = MakeSheet();
  ASSERT_NE(sheet, nullptr);
  SheetAnswer a;
  a.sheet = GetDialogWindow(sheet);
  const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(a.sheet), QuitOnCommand, 1, &command, &a, nullptr);
  ASSERT_EQ(ShowSheetWindow(a.sheet, parent_), noErr);
  ASSERT_EQ(RunAppModalLoopForWindow(a.sheet), noErr);
  EXPECT_EQ(a.answer, 3);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 1u);
  const sp_testing::Shown& shown = sp_testing::ShownSoFar()[0];
  EXPECT_EQ(shown.kind, sp_testing::ShownKind::kSheet);
  EXPECT_EQ(shown.message, SJ("保存先がありません"));
  EXPECT_EQ(shown.explanation, SJ("フォルダを選んでください。"));
  EXPECT_EQ(shown.alertType, kAlertCautionAlert);
  EXPECT_EQ(shown.defaultItem, 1);
  EXPECT_EQ(shown.cancelItem, 2);
}

TEST_F(SheetsTest, SheetShownWhileTheMainLoopRunsIsAnsweredByTheResponder) {
  sp_testing::ResponderScope responder;
  sp_testing::Respond(sp_testing::Answer::Escape());
  DialogRef sheet = MakeSheet();
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent_), noErr);
  sp_testing::PumpUntilIdle();
  EXPECT_EQ(heard_.who, (std::vector<std::string>{"sheet", "parent"}));
  ASSERT_EQ(heard_.commands.size(), 2u);
  EXPECT_EQ(Name(heard_.commands[1]), Name(kHICommandCancel));
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(sp_testing::InstalledTimerCount(), 0);  // the responder left nothing behind
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
}  // namespace dialogs_test
