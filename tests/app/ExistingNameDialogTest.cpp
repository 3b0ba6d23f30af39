// The existing-name dialog: what it shows first and where, what it keeps, and how the caller
// tells an answer from a cancel and from a dialog that could not be shown.
#include "CDMediaMgrDialogSupport.h"
#include "DialogTestSupport.h"
#include "Qel_SaveFileNameProcTypeDlg.h"
#include "SpCDREngineAlert.h"

namespace app_test {
namespace {

struct Seen {
  SInt32 radios[4] = {};
  SInt32 afterFile = -1;
  bool afterFileActive = false;
  Rect content = {0, 0, 0, 0};
};

// Reads what the dialog shows, then does the rest of the answer.
Answer Look(Seen* seen) {
  return Answer().Do(
      [seen](WindowRef window) {
        for (int i = 0; i < 4; ++i) seen->radios[i] = DialogTest::Value(window, 5 + i);
        seen->afterFile = DialogTest::Value(window, 9);
        seen->afterFileActive = DialogTest::Active(window, 9);
        seen->content = DialogTest::Content(window);
      },
      "look");
}

class ExistingNameDialog : public DialogTest {
 protected:
  short Ask(unsigned char following) {
    result_ = {9, 9};
    goOn_ = 7;
    return Qel_AskFileSavingMethodForAutoFilingProcess(stock_.get(), "Track 1", "Track 1.aif",
                                                       following, result_, goOn_);
  }
  bool Stored(UInt32 key) const {
    return CDRDlg_StockItem(stock_.get(), kQel_ExistingNameGroup, key, false) != nullptr;
  }
  SInt32 StoredChoice() const {
    SInt32 item = -1;
    CDRDlg_LoadLong(stock_.get(), kQel_ExistingNameGroup, kQel_ChoiceKey, item);
    return item;
  }
  void Store(SInt32 radio, bool afterFile) {
    unsigned char flag = afterFile ? 1 : 0;
    QelSaveSetup_SaveDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(stock_.get(), &radio,
                                                                        &flag);
  }

  sQel_SaveFileNameProcTypeInfo result_{};
  unsigned char goOn_ = 0;
};

TEST_F(ExistingNameDialog, FirstUseOffersANewNameAloneAndOpensCentredHighOnTheScreen) {
  Seen seen;
  Respond(Look(&seen).ClickItem(kQel_NextStepItem));
  ASSERT_EQ(Ask(1), kQel_AskAnswered);
  EXPECT_EQ(std::vector<SInt32>(seen.radios, seen.radios + 4), (std::vector<SInt32>{1, 0, 0, 0}));
  EXPECT_EQ(seen.afterFile, 0);
  EXPECT_TRUE(seen.afterFileActive);
  const Rect screen = Screen();
  const short width = short(seen.content.right - seen.content.left);
  const short height = short(seen.content.bottom - seen.content.top);
  EXPECT_EQ(seen.content.left, (screen.left + screen.right - width) / 2);
  EXPECT_EQ(seen.content.top, (screen.top + screen.bottom) / 2 - height * 2 / 3);
  EXPECT_EQ(result_.choice, kQel_SaveFileNameNewName);
  EXPECT_EQ(result_.afterFile, 0);
  EXPECT_EQ(goOn_, 1);
  EXPECT_EQ(StoredChoice(), 5);
  EXPECT_EQ(ShownSoFar().at(0).title, SpCDR_MJ("保存するファイルの名前について"));
}

TEST_F(ExistingNameDialog, TheStoredChoiceComesBackAndAnUnknownOneIsANewName) {
  const struct {
    SInt32 stored;
    bool afterFile;
    unsigned char following;
    std::vector<SInt32> radios;
    DialogItemIndex click;  // 0: none, else a radio or the check box before going on
    tSaveFileNameModifyProcType choice;
    UInt8 resultAfterFile;
  } cases[] = {
      {7, false, 1, {0, 0, 1, 0}, 0, kQel_SaveFileNameDeleteOld, 0},
      {9, false, 1, {1, 0, 0, 0}, 0, kQel_SaveFileNameNewName, 0},
      {4, false, 1, {1, 0, 0, 0}, 0, kQel_SaveFileNameNewName, 0},
      {5, false, 1, {1, 0, 0, 0}, 6, kQel_SaveFileNameAutoNumber, 0},
      {8, false, 1, {0, 0, 0, 1}, 9, kQel_SaveFileNameSkipItem, 1},
      // Without following items the box cannot change, yet the kept flag shows and returns.
      {6, true, 0, {0, 1, 0, 0}, 9, kQel_SaveFileNameAutoNumber, 1},
  };
  for (const auto& c : cases) {
    Store(c.stored, c.afterFile);
    Seen seen;
    Answer answer = Look(&seen);
    if (c.click != 0) answer.ClickItem(c.click);
    Respond(answer.ClickItem(kQel_NextStepItem));
    ASSERT_EQ(Ask(c.following), kQel_AskAnswered) << c.stored;
    EXPECT_EQ(std::vector<SInt32>(seen.radios, seen.radios + 4), c.radios) << c.stored;
    EXPECT_EQ(seen.afterFile, c.afterFile ? 1 : 0) << c.stored;
    EXPECT_EQ(seen.afterFileActive, c.following != 0) << c.stored;
    EXPECT_EQ(result_.choice, c.choice) << c.stored;
    EXPECT_EQ(result_.afterFile, c.resultAfterFile) << c.stored;
    EXPECT_EQ(StoredChoice(), QelSaveSetup_GetModifyTypeRadioButtonItemNoFromModifyType(c.choice));
  }
}

TEST_F(ExistingNameDialog, CancelLeavesTheResultAndTheChoiceButKeepsThePlace) {
  const Answer cancels[] = {Answer::Click(6).ClickItem(kQel_CancelItem),
                            Answer::Click(6).PressEscape(), Answer::Click(6).PressCommandPeriod()};
  for (const Answer& cancel : cancels) {
    Respond(cancel);
    EXPECT_EQ(Ask(1), kQel_AskCancelled) << cancel.Describe();
    EXPECT_EQ(result_.choice, 9) << "untouched";
    EXPECT_EQ(result_.afterFile, 9) << "untouched";
    EXPECT_EQ(goOn_, 0);
    EXPECT_FALSE(Stored(kQel_ChoiceKey));
    EXPECT_FALSE(Stored(kQel_AfterFileKey));
    EXPECT_TRUE(Stored(kCDR_DialogPositionKey));
  }
  Respond(Answer::Return());
  EXPECT_EQ(Ask(1), kQel_AskAnswered) << "Return goes on";
}

TEST_F(ExistingNameDialog, AWindowKeptOffTheScreenOpens20PixelsInsideTheNearerEdge) {
  const Rect screen = Screen();
  Seen first;
  Respond(Look(&first).ClickItem(kQel_CancelItem));
  Ask(1);
  const short width = short(first.content.right - first.content.left);
  const short height = short(first.content.bottom - first.content.top);
  const struct {
    Point stored;
    short left, top;
  } cases[] = {
      {{short(screen.top + 40), short(screen.left - 30)}, short(screen.left + 20),
       short(screen.top + 40)},
      {{short(screen.top + 40), short(screen.right - width + 5)}, short(screen.right - 20 - width),
       short(screen.top + 40)},
      {{short(screen.top - 3), short(screen.left + 50)}, short(screen.left + 50),
       short(screen.top + 20)},
      {{short(screen.bottom - height + 1), short(screen.left + 50)}, short(screen.left + 50),
       short(screen.bottom - 20 - height)},
      {{short(screen.top + 60), short(screen.left + 70)}, short(screen.left + 70),
       short(screen.top + 60)},
  };
  for (const auto& c : cases) {
    Point stored = c.stored;
    QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg(stock_.get(), &stored);
    Seen seen;
    Respond(Look(&seen).ClickItem(kQel_CancelItem));
    Ask(1);
    EXPECT_EQ(seen.content.left, c.left) << c.stored.h << "," << c.stored.v;
    EXPECT_EQ(seen.content.top, c.top) << c.stored.h << "," << c.stored.v;
  }
}

TEST_F(ExistingNameDialog, ADialogThatCannotBeShownIsAFailureNotACancel) {
  sp_testing::ResetResources();
  EXPECT_EQ(Ask(1), kQel_AskFailed);
  EXPECT_EQ(goOn_, 0);
  EXPECT_EQ(result_.choice, 9);
  EXPECT_TRUE(log_.Has("Qel_AskFileSavingMethodForAutoFilingProcess", 2));
}

TEST_F(ExistingNameDialog, ChoicesAndRadioItemsMapOnlyWithinTheirRanges) {
  for (SInt32 item = 3; item <= 10; ++item) {
    const tSaveFileNameModifyProcType type =
        QelSaveSetup_GetModifyTypeFromModifyTypeRadioButtonItemNo(item);
    EXPECT_EQ(type, item >= 5 && item <= 8 ? item - 4 : 0) << item;
    EXPECT_EQ(QelSaveSetup_GetModifyTypeRadioButtonItemNoFromModifyType(type),
              type == 0 ? 0 : item);
  }
  EXPECT_EQ(QelSaveSetup_GetModifyTypeRadioButtonItemNoFromModifyType(5), 0);
  QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg(nullptr, nullptr);
  EXPECT_TRUE(log_.Has("QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg", 1));
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

// In the running program the framework tracks the dialog's buttons itself: the radio buttons,
// the check box and the next-step button answer there too.
class ExistingNameInProgram : public ProgramTest {};

TEST_F(ExistingNameInProgram, TheButtonsAnswerWhenTheProgramRuns) {
  sp_testing::ResponderScope responder;
  sQel_SaveFileNameProcTypeInfo result{};
  unsigned char goOn = 0;
  short answer = -9;
  Run({
      Do("ask",
         [&] {
           Respond(Answer::Click(7).ClickItem(kQel_AfterFileItem).ClickItem(kQel_NextStepItem));
           answer = Qel_AskFileSavingMethodForAutoFilingProcess(M()->GetPrefStockFile(), "A",
                                                                "A.aif", 1, result, goOn);
         }),
      Quit(),
  });
  EXPECT_EQ(answer, kQel_AskAnswered);
  EXPECT_EQ(result.choice, kQel_SaveFileNameDeleteOld);
  EXPECT_EQ(result.afterFile, 1);
  EXPECT_EQ(goOn, 1);
}

}  // namespace
}  // namespace app_test
