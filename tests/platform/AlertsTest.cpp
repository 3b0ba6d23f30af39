// Standard alerts and sheets (buttons, default and cancel keys, layout), alerts from 'ALRT'
// resources, AutoSizeDialog, and the test API's responder that answers them.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Alerts.h"
#include "CFString.h"
#include "TestFonts.h"
#include "TestResponder.h"
#include "UiFixture.h"

namespace ui_test {
namespace {

using sp_testing::Answer;
using sp_testing::Respond;
using sp_testing::ResponderScope;
using sp_testing::ShownSoFar;
using Strings = std::vector<std::string>;

const std::string kCancel = "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B";    // キャンセル
const std::string kDontSave = "\x95\xDB\x91\xB6\x82\xB5\x82\xC8\x82\xA2";  // 保存しない

// What was shown, on one line: kind, title, message, explanation, alert type, buttons, default
// and cancel items and titles.
std::string Summary(const sp_testing::Shown& s) {
  std::string out = std::string(sp_testing::ShownKindName(s.kind)) + "|" + s.title + "|" +
                    s.message + "|" + s.explanation + "|" + std::to_string(s.alertType) + "|";
  for (const std::string& b : s.buttons) out += b + ",";
  return out + "|" + std::to_string(s.defaultItem) + s.defaultButton + "|" +
         std::to_string(s.cancelItem) + s.cancelButton;
}

class AlertsTest : public UiTest {
 protected:
  // OK as the default; Cancel and Other (standard texts) when asked.
  static AlertStdAlertParamRec Params(bool three = false) {
    const auto standard = reinterpret_cast<ConstStringPtr>(kAlertDefaultOKText);
    AlertStdAlertParamRec p = {};
    p.movable = true;
    p.defaultText = standard;
    p.defaultButton = kAlertStdAlertOKButton;
    if (three) p.cancelText = p.otherText = standard, p.cancelButton = kAlertStdAlertCancelButton;
    return p;
  }
  // A length-prefixed copy kept for the length of the test.
  ConstStr255Param P(const std::string& bytes) { return kept_.emplace_back(bytes); }
  SInt16 Run(AlertType type, const std::string& message, AlertStdAlertParamRec* p) {
    SInt16 hit = 0;
    EXPECT_EQ(StandardAlert(type, P(message), nullptr, p, &hit), noErr);
    return hit;
  }
  void SetUp() override {
    UiTest::SetUp();
    responder_ = std::make_unique<ResponderScope>();
  }
  void TearDown() override {
    responder_.reset();
    UiTest::TearDown();
  }
  std::deque<PStr> kept_;
  std::unique_ptr<ResponderScope> responder_;
};

TEST_F(AlertsTest, ShowsItsTextsAndButtonsAndAnswersTheButtonClicked) {
  AlertStdAlertParamRec p = Params(true);
  for (SInt16 item :
       {kAlertStdAlertOKButton, kAlertStdAlertCancelButton, kAlertStdAlertOtherButton}) {
    Respond(Answer::Click(item));
    SInt16 hit = 0;
    ASSERT_EQ(StandardAlert(kAlertCautionAlert, P(SJ("保存しますか？")),
                            P(SJ("変更が失われます。")), &p, &hit),
              noErr);
    EXPECT_EQ(hit, item);
  }
  EXPECT_EQ(Summary(ShownSoFar().at(0)), "alert||" + SJ("保存しますか？") + "|" +
                                             SJ("変更が失われます。") + "|2|OK," + kCancel + "," +
                                             kDontSave + ",|1OK|2" + kCancel);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());  // each alert disposed of
}

TEST_F(AlertsTest, ReturnAndEscapeFollowTheDefaultAndCancelButtons) {
  const SInt16 ok = kAlertStdAlertOKButton, cancel = kAlertStdAlertCancelButton;
  struct Case {
    const char* name;
    SInt16 defaultButton, cancelButton;
    Answer answer;
    SInt16 expected;
  } cases[] = {
      // With a default text, Return answers even when no default button is named.
      {"Return, default 1", ok, 0, Answer::Return(), 1},
      {"Return, default 0", 0, 0, Answer::Return(), 1},
      {"Enter, default other", kAlertStdAlertOtherButton, 0, Answer::Enter(), 3},
      {"Escape, cancel 2", ok, cancel, Answer::Escape(), 2},
      {"Command-period, cancel 2", ok, cancel, Answer::CommandPeriod(), 2},
      // No cancel button: Escape does nothing, the Return after it answers.
      {"Escape, no cancel", ok, 0, Answer().PressEscape().PressReturn(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AlertStdAlertParamRec p = Params();
    p.defaultText = P("Yes"), p.cancelText = P("No"), p.otherText = P("Later");
    p.defaultButton = c.defaultButton, p.cancelButton = c.cancelButton;
    Respond(c.answer);
    EXPECT_EQ(Run(kAlertNoteAlert, "Message", &p), c.expected);
  }
  // Without parameters there is only an OK button.
  Respond(Answer::Return());
  EXPECT_EQ(Run(kAlertStopAlert, "Stop", nullptr), kAlertStdAlertOKButton);
  EXPECT_EQ(ShownSoFar().back().buttons, Strings{"OK"});
  SInt16 hit = 0;
  EXPECT_EQ(StandardAlert(kAlertStopAlert, nullptr, nullptr, nullptr, &hit), paramErr);
  EXPECT_EQ(StandardAlert(kAlertStopAlert, P("x"), nullptr, nullptr, nullptr), paramErr);
}

TEST_F(AlertsTest, AutoSizeDialogFitsStaticTextsAndMovesWhatIsBelow) {
  sp_testing::FixedMetricFontScope font;
  UseResources(R"(
resource 'DLOG' 9430 { bounds 50, 50, 130, 250; items 9430 }
resource 'DITL' 9430 {
  staticText 10, 10, 22, 110 { text "" }
  button 40, 10, 60, 80 { text "OK" }
  staticText 10, 120, 22, 190 { text "one" }
}
)");
  DialogRef dialog = GetNewDialog(9430, nullptr, reinterpret_cast<WindowRef>(-1));
  ASSERT_NE(dialog, nullptr);
  Handle text = nullptr;
  GetDialogItem(dialog, 1, nullptr, &text, nullptr);
  SetDialogItemText(text, P(std::string(40, 'a')));  // 240 pixels: 3 lines of 100
  ASSERT_EQ(AutoSizeDialog(dialog), noErr);
  Rect button;
  GetControlBounds(ItemControl(dialog, 2), &button);
  // Item 1 grew by 24, the button below it moved down as much, item 3 beside it stays.
  EXPECT_EQ(std::vector<int>({ItemRect(dialog, 1).bottom, ItemRect(dialog, 2).top, button.top,
                              ItemRect(dialog, 3).top}),
            std::vector<int>({10 + 3 * 12, 64, 64, 10}));
  const Rect content = Bounds(GetDialogWindow(dialog));
  EXPECT_EQ(content.bottom - content.top, 80 + 24);
  EXPECT_EQ(AutoSizeDialog(nullptr), paramErr);
}

// ---- Sheets ----

struct Heard {
  Strings who;  // "sheet" or "parent", in order
  std::vector<UInt32> commands;
  int parentPresses = 0;
  WindowRef quitSheet = nullptr;  // quits the modal loop of this sheet on OK, Cancel or Other
  int answer = 0;
  bool take = false;  // the sheet's handler takes the command
};

class SheetsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    parent_ = MakeWindow(R(100, 50, 600, 950));
    SelectWindow(parent_);
    Listen(GetWindowEventTarget(parent_),
           {{kEventClassCommand, kEventCommandProcess}, {kEventClassMouse, kEventMouseDown}},
           [this](EventRef e) {
             if (GetEventClass(e) == kEventClassMouse) {
               ++heard_.parentPresses;
             } else {
               Hear(e, "parent");
             }
             return OSStatus(noErr);
           });
  }
  UInt32 Hear(EventRef e, const char* who) {
    const UInt32 id = Param<HICommand>(e, kEventParamDirectObject, typeHICommand).commandID;
    heard_.who.push_back(who);
    heard_.commands.push_back(id);
    return id;
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
    Listen(GetWindowEventTarget(GetDialogWindow(sheet)),
           {{kEventClassCommand, kEventCommandProcess}}, [this](EventRef e) {
             const UInt32 id = Hear(e, "sheet");
             heard_.answer = id == kHICommandOK       ? 1
                             : id == kHICommandCancel ? 2
                             : id == kHICommandOther  ? 3
                                                      : 0;
             if (heard_.answer > 0 && heard_.quitSheet) QuitAppModalLoopForWindow(heard_.quitSheet);
             // Not taken: the standard sheet handling closes the sheet.
             return heard_.take ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
           });
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
    EXPECT_EQ(heard_.who, (Strings{"sheet", "parent"}));
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
  EXPECT_EQ(heard_.who, Strings{"sheet"});
  // The program closes it itself: only the notify target hears.
  ASSERT_EQ(CloseStandardSheet(sheet, kHICommandCancel), noErr);
  EXPECT_EQ(heard_.who, (Strings{"sheet", "parent"}));
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(CloseStandardSheet(sheet, kHICommandCancel), paramErr);
}

TEST_F(SheetsTest, ModalLoopOnTheSheetIsAnsweredByTheResponder) {
  ResponderScope responder;
  Respond(Answer::Click(kAlertStdAlertOtherButton));
  DialogRef sheet = ShowSheet();
  ASSERT_NE(sheet, nullptr);
  heard_.quitSheet = GetDialogWindow(sheet);
  ASSERT_EQ(RunAppModalLoopForWindow(heard_.quitSheet), noErr);
  EXPECT_EQ(heard_.answer, 3);
  EXPECT_TRUE(sp_testing::LiveDialogs().empty());
  EXPECT_EQ(Summary(ShownSoFar().at(0)), "sheet||" + SJ("保存先がありません") + "|" +
                                             SJ("フォルダを選んでください。") + "|2|OK," + kCancel +
                                             "," + SJ("後で") + ",|1OK|2" + kCancel);
}

}  // namespace
}  // namespace ui_test
