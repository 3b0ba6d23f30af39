// The two preference commands through the running program's menu: the speed set-up, whose
// speeds the next save set-up offers, and the file-name rules of both ways of saving, written
// into their files on OK.
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "AppTestSupport.h"
#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "DialogTestSupport.h"
#include "SpCDREngineAlert.h"
#include "TestMenus.h"
#include "TevoMMFileNameDefDlg.h"

namespace app_test {
namespace {

constexpr MenuID kPreferencesMenu = 200;

class PreferenceFlow : public ProgramTest {
 protected:
  void Choose(MenuItemIndex item) {
    EXPECT_TRUE(sp_testing::ChooseMenuItem(kPreferencesMenu, item).chosen);
  }
  double StoredSpeed(UInt32 key) const {
    double value = -1;
    CDRDlg_LoadDouble(M()->GetPrefStockFile(), kCDR_SpeedGroup, key, value);
    return value;
  }
  std::string DefinitionFile(const char* name) const {
    std::ifstream in(home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName + "/" + name),
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::string Bytes(const std::vector<int>& kinds) {
    std::string bytes = "0100";
    auto be32 = [&bytes](UInt32 v) {
      for (int shift = 24; shift >= 0; shift -= 8) bytes += char(v >> shift);
    };
    be32(UInt32(kinds.size()));
    for (int kind : kinds) be32(UInt32(kind));
    return bytes;
  }

  void SetUp() override {
    ProgramTest::SetUp();
    responder_ = std::make_unique<sp_testing::ResponderScope>();
  }
  void TearDown() override {
    responder_.reset();
    ProgramTest::TearDown();
  }

  std::unique_ptr<sp_testing::ResponderScope> responder_;
};

struct SpeedSeen {
  SInt32 start = 0, end = 0, interval = 0;
  std::vector<bool> endEnabled;
};

Answer LookAtSpeeds(SpeedSeen* seen) {
  return Answer().Do(
      [seen](WindowRef window) {
        seen->start = DialogTest::Value(window, kCDR_SpeedSetupStartItem);
        seen->end = DialogTest::Value(window, kCDR_SpeedSetupEndItem);
        seen->interval = DialogTest::Value(window, kCDR_SpeedSetupIntervalItem);
        ControlRef end = nullptr;
        GetDialogItemAsControl(GetDialogFromWindow(window), kCDR_SpeedSetupEndItem, &end);
        MenuRef menu = GetControlPopupMenuHandle(end);
        seen->endEnabled.clear();
        for (SInt16 i = 1; i <= SInt16(CountMenuItems(menu)); ++i) {
          seen->endEnabled.push_back(IsMenuItemEnabled(menu, MenuItemIndex(i)));
        }
      },
      "look");
}

// Speed menus of the resources: start 0.5 1.0 1.5 2.0 2.5 3.0 4.0 5.0; end 1.0 1.5 2.0 2.5 3.0
// 4.0 5.0 6.0 8.0 10.0; interval 0.1 0.2 0.5 1.0.
TEST_F(PreferenceFlow, TheSpeedsChosenAreKeptAndOfferedByTheNextSaveSetup) {
  SpeedSeen first, moved, again, cancelled, atEnd;
  std::vector<std::string> offered;
  Run({
      Do("choose the speeds",
         [&] {
           Respond(LookAtSpeeds(&first)
                       .SetControlValue(kCDR_SpeedSetupStartItem, 1)
                       .SetControlValue(kCDR_SpeedSetupEndItem, 5)
                       .SetControlValue(kCDR_SpeedSetupIntervalItem, 3)
                       .ClickItem(kCDR_SpeedSetupOKItem));
           Choose(1);
           EXPECT_EQ(StoredSpeed(kCDR_StartSpeedKey), 0.5);
           EXPECT_EQ(StoredSpeed(kCDR_EndSpeedKey), 3.0);
           EXPECT_EQ(StoredSpeed(kCDR_IntervalKey), 0.5);
         }),
      Do("the save set-up offers them",
         [&] {
           Respond(Answer()
                       .Do([&offered](WindowRef window) {
                             offered = DialogTest::PopupTexts(window, kCDR_SaveSetupSpeedItem);
                           },
                           "look")
                       .ClickItem(kCDR_SaveSetupCancelItem));
           Rect area = {100, 100, 400, 500};
           sCDR_SaveSetupInfo info{};
           CDRMGR_AskSaveSetup(area, M()->GetPrefStockFile(), M()->GetSpeedSetup(), 0xAC440000,
                               16, 2, info, 0, 1);
         }),
      Do("a start chosen at or above the end moves the end",
         [&] {
           Respond(LookAtSpeeds(&again)
                       .SetControlValue(kCDR_SpeedSetupStartItem, 7)
                       .Do([&moved](WindowRef w) { LookAtSpeeds(&moved).Steps()[0].custom(w); },
                           "look")
                       .ClickItem(kCDR_SpeedSetupOKItem));
           Choose(1);
           EXPECT_EQ(StoredSpeed(kCDR_StartSpeedKey), 4.0);
           EXPECT_EQ(StoredSpeed(kCDR_EndSpeedKey), 5.0);
         }),
      Do("cancel keeps the speeds",
         [&] {
           Respond(LookAtSpeeds(&cancelled).PressEscape());
           Choose(1);
           EXPECT_EQ(StoredSpeed(kCDR_EndSpeedKey), 5.0);
           EXPECT_EQ(M()->GetSpeedSetup().startSpeed, 4.0);
         }),
      Do("a start chosen equal to the end moves the end too",
         [&] {
           Respond(Answer()
                       .SetControlValue(kCDR_SpeedSetupStartItem, 8)
                       .Do([&atEnd](WindowRef w) { LookAtSpeeds(&atEnd).Steps()[0].custom(w); },
                           "look")
                       .ClickItem(kCDR_SpeedSetupOKItem));
           Choose(1);
           EXPECT_EQ(StoredSpeed(kCDR_StartSpeedKey), 5.0);
           EXPECT_EQ(StoredSpeed(kCDR_EndSpeedKey), 6.0);
         }),
      Quit(),
  });
  // The window's defaults 1.0, 5.0 and 0.2; the end items at or below the start disabled.
  EXPECT_EQ(first.start, 2);
  EXPECT_EQ(first.end, 7);
  EXPECT_EQ(first.interval, 2);
  EXPECT_EQ(first.endEnabled,
            (std::vector<bool>{false, true, true, true, true, true, true, true, true, true}));
  EXPECT_EQ(offered, (std::vector<std::string>{"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"}));
  EXPECT_EQ(again.start, 1);
  EXPECT_EQ(moved.start, 7);
  EXPECT_EQ(moved.end, 7) << "the first end above 4.0";
  EXPECT_EQ(moved.endEnabled,
            (std::vector<bool>{false, false, false, false, false, false, true, true, true, true}));
  EXPECT_EQ(cancelled.start, 7);
  EXPECT_EQ(atEnd.start, 8);
  EXPECT_EQ(atEnd.end, 8) << "6.0, the first end above 5.0";
  EXPECT_EQ(atEnd.endEnabled,
            (std::vector<bool>{false, false, false, false, false, false, false, true, true, true}));
  EXPECT_FALSE(forcedEnd_);
}

struct RuleSeen {
  std::vector<SInt32> parts;
  SInt32 outputType = 0;
  std::string example;
};

Answer LookAtRule(RuleSeen* seen) {
  return Answer().Do(
      [seen](WindowRef window) {
        seen->parts.clear();
        for (DialogItemIndex item = 4; item <= 10; ++item) {
          seen->parts.push_back(DialogTest::Value(window, item));
        }
        seen->outputType = DialogTest::Value(window, kTevo_DefDlgOutputTypeItem);
        const auto texts = DialogTest::ViewTexts(window);
        seen->example = texts.size() > 1 ? texts[1] : "";
      },
      "look");
}

void LookAgain(Answer& answer, RuleSeen* seen) {
  answer.Do([seen](WindowRef w) { LookAtRule(seen).Steps()[0].custom(w); }, "look");
}

TEST_F(PreferenceFlow, TheNameRulesAreEditedPartByPartAndWrittenOnOK) {
  RuleSeen opened, removed, each, edited;
  Run({
      Do("remove the second part of the one-file rule",
         [&] {
           Answer answer = LookAtRule(&opened).SetControlValue(5, 1);
           LookAgain(answer, &removed);
           answer.SetControlValue(kTevo_DefDlgOutputTypeItem, 2);
           LookAgain(answer, &each);
           answer.SetControlValue(4, 5);  // the artist first
           LookAgain(answer, &edited);
           Respond(answer.ClickItem(kTevo_DefDlgOKItem));
           Choose(2);
         }),
      Quit(),
  });
  EXPECT_EQ(opened.parts, (std::vector<SInt32>{4, 9, 19, 9, 21, 1, 1}));
  EXPECT_EQ(opened.outputType, 1);
  EXPECT_EQ(opened.example, SpCDR_MJ("トラック名_2_0"));
  EXPECT_EQ(removed.parts, (std::vector<SInt32>{4, 1, 19, 9, 21, 1, 1}))
      << "the popups keep what the user chose";
  EXPECT_EQ(removed.example, SpCDR_MJ("トラック名2_0"));
  EXPECT_EQ(each.outputType, 2);
  EXPECT_EQ(each.parts, (std::vector<SInt32>{4, 9, 19, 9, 21, 1, 1}));
  EXPECT_EQ(edited.example, SpCDR_MJ("アーティスト名_2_0"));
  EXPECT_EQ(DefinitionFile(kTevo_FileNameDefIntoOneFileName), Bytes({2, 15, 7, 17}));
  EXPECT_EQ(DefinitionFile(kTevo_FileNameDefIntoEachFileName), Bytes({4, 7, 15, 7, 17}));
}

TEST_F(PreferenceFlow, CancelWritesNoRuleButKeepsThePlaceAndTheRuleShown) {
  RuleSeen reopened, longRule, cut;
  Point kept = {0, 0};
  SInt32 outputType = 0;
  Run({
      Do("cancel on the each-file rule",
         [&] {
           Respond(Answer()
                       .SetControlValue(kTevo_DefDlgOutputTypeItem, 2)
                       .SetControlValue(4, 3)
                       .ClickItem(kTevo_DefDlgCancelItem));
           Choose(2);
           CDRDlg_LoadPoint(M()->GetPrefStockFile(), kTevo_DefDlgBothGroup,
                            kCDR_DialogPositionKey, kept);
           CDRDlg_LoadLong(M()->GetPrefStockFile(), kTevo_DefDlgBothGroup,
                           kTevo_DefDlgOutputTypeKey, outputType);
         }),
      Do("an unknown kept rule shown reads as the each-file one",
         [&] {
           CDRDlg_StoreLong(M()->GetPrefStockFile(), kTevo_DefDlgBothGroup,
                            kTevo_DefDlgOutputTypeKey, 5);
           Respond(LookAtRule(&reopened).ClickItem(kTevo_DefDlgCancelItem));
           Choose(2);
         }),
      Quit(),
  });
  EXPECT_EQ(DefinitionFile(kTevo_FileNameDefIntoEachFileName), "");
  EXPECT_EQ(DefinitionFile(kTevo_FileNameDefIntoOneFileName), "");
  EXPECT_NE(kept.h, 0);
  EXPECT_EQ(outputType, 3);
  EXPECT_EQ(reopened.outputType, 2);
  EXPECT_FALSE(forcedEnd_);
}

TEST_F(PreferenceFlow, ARuleOfMoreThanSevenPartsShowsSevenAndAChangeCutsItToThem) {
  const std::string folder = home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName);
  mkdir(folder.c_str(), 0700);
  std::ofstream(folder + "/" + kTevo_FileNameDefIntoOneFileName, std::ios::binary)
      << Bytes({1, 6, 2, 6, 4, 6, 5, 7, 8});
  RuleSeen seen;
  Run({
      Do("change the last popup",
         [&] {
           Respond(LookAtRule(&seen).SetControlValue(10, 11).ClickItem(kTevo_DefDlgOKItem));
           Choose(2);
         }),
      Quit(),
  });
  EXPECT_EQ(seen.parts, (std::vector<SInt32>{3, 8, 4, 8, 5, 8, 6}));
  EXPECT_EQ(DefinitionFile(kTevo_FileNameDefIntoOneFileName), Bytes({1, 6, 2, 6, 4, 6, 8}));
}

}  // namespace
}  // namespace app_test
