// Errors shown to the user through the say dialogs: the error-number messages as a dialog and
// as a sheet, and the error log's own failure, shown once even when its dialog fails too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "Folders.h"
#include "SayDialogTestSupport.h"
#include "TestFiles.h"

namespace say_dialog_test {
namespace {

const char kErrorFileName[] = "FileErrorNoData.txt";

class SayDialogErrorDisplay : public SayDialogFixture {
 protected:
  void SetUp() override {
    SayDialogFixture::SetUp();
    ASSERT_FALSE(home_.Home().empty());
    SpERORSYS_GetFailureDisplayProcs(&savedSayErrorNo_, &savedSayDialog_);
    SpSayErrorNo_GetDisplayProcs(&savedModal_, &savedSheet_);
    SpStdSayDlg_InstallErrorDisplayProcs();
    ASSERT_EQ(
        FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum_, &dirID_),
        noErr);
  }
  void TearDown() override {
    SpERORSYS_SetFailureDisplayProcs(savedSayErrorNo_, savedSayDialog_);
    SpSayErrorNo_SetDisplayProcs(savedModal_, savedSheet_);
    SayDialogFixture::TearDown();
  }

  // The error-text file in the Preferences folder, registered under reference 0.
  void WriteErrorFile(const std::string& macJapaneseLines) {
    std::ofstream(home_.Path(std::string(".config/") + kErrorFileName), std::ios::binary)
        << macJapaneseLines;
  }
  void Register(cSayErrorNoMgr& manager) {
    manager.SetupNewErrorFile(0, vRefNum_, dirID_, kErrorFileName, 520, 2);
  }

  sp_testing::HomeScope home_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  SpERORSYS_SayErrorNoProc savedSayErrorNo_ = nullptr;
  SpERORSYS_SayDialogProc savedSayDialog_ = nullptr;
  SpERORSYS_SayDialogProc savedModal_ = nullptr;
  SpSayErrorNo_SheetProc savedSheet_ = nullptr;
};

TEST_F(SayDialogErrorDisplay, ErrorNumberIsShownInTheDialogAndAsASheet) {
  const std::string kDiskFull = MJ("ディスクがいっぱいです。");
  const std::string kPrefix = "[Error No = -34] : ";
  struct Case {
    const char* why;
    bool withLine;
    int where;  // 0: the dialog, 1: a sheet, 2: a sheet without its window (the dialog)
    std::string text;
  } cases[] = {
      {"no line for the number: the prefix alone, in the dialog", false, 0, kPrefix},
      {"no line for the number: the prefix alone, in the sheet", false, 1, kPrefix},
      {"a line for the number: its text alone, in the dialog", true, 0, kDiskFull},
      {"a line for the number: its text alone, in the sheet", true, 1, kDiskFull},
      {"a sheet without its window is the dialog", false, 2, kPrefix},
  };
  WindowRef parent = NewParent();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteErrorFile(c.withLine ? "-35\tother\r-34\t" + kDiskFull + "\tnote\r" : "-35\tother\r");
    cSayErrorNoMgr manager;
    Register(manager);
    Respond(Answer::Click(1));
    if (c.where == 0) {
      EXPECT_EQ(manager.SayErrorOccured(0, -34, nullptr), 1);
    } else {
      EXPECT_EQ(manager.SayErrorOccuredBySheetWindow(0, -34, c.where == 1 ? parent : nullptr,
                                                     kSpStdSayDlgCaution, nullptr),
                1);
    }
    if (c.where == 1) {
      // "報　告" above the text, and the one button "閉じる".
      EXPECT_EQ(Last().kind, ShownKind::kSheet);
      EXPECT_EQ(Last().message, MJ("報　告"));
      EXPECT_EQ(Last().explanation, c.text);
      EXPECT_EQ(Last().buttons, std::vector<std::string>{MJ("閉じる")});
      EXPECT_EQ(Last().alertType, kSpStdSayDlgCaution);
    } else {
      EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
      EXPECT_EQ(Last().message, c.text);
      EXPECT_EQ(Last().buttons, std::vector<std::string>{"OK"});
    }
  }
}

TEST_F(SayDialogErrorDisplay, SheetTitleIsCutTo510BytesBetweenCharacters) {
  WindowRef parent = NewParent();
  cSayErrorNoMgr manager;
  Register(manager);
  struct Case {
    const char* why;
    std::string title, shown;
  } cases[] = {
      {"510 bytes stay", std::string(510, 'x'), std::string(510, 'x')},
      {"511 bytes: the first 510", std::string(511, 'x'), std::string(510, 'x')},
      {"a two-byte character across byte 510 is left out whole",
       std::string(509, 'T') + MJ("題") + std::string(89, 'U'), std::string(509, 'T')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Respond(Answer::Return());
    EXPECT_EQ(manager.SayErrorOccuredBySheetWindow(0, 5, parent, kSpStdSayDlgStop, c.title.c_str()),
              1);
    EXPECT_EQ(Last().message, c.shown);
    EXPECT_EQ(Last().explanation, "[Error No = 5] : ");
  }
}

// ---- The error log's own failure ------------------------------------------------------------

// The text the log shows when it cannot write a report, in MacJapanese.
std::string FallbackText(int error, int step) {
  return MJ("Error Message System中でもFile Errorが発生しました。（Error = ") +
         std::to_string(error) + "  Error Position = " + std::to_string(step) + MJ("） ");
}

class SayDialogErrorLogFailure : public SayDialogErrorDisplay {
 protected:
  void SetUp() override {
    SayDialogErrorDisplay::SetUp();
    // The log writes its file (the capture would take the records instead); a folder where
    // the file should be makes every report fail at its creation (step 9).
    SpERORSYS_SetRecordSink(nullptr, 0);
    ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder/Error Report").c_str(), 0700), 0);
  }
};

TEST_F(SayDialogErrorLogFailure, UnwritableLogIsShownOnceInTheSayDialog) {
  Respond(Answer::Click(1));
  EXPECT_EQ(SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 1, "x"), dupFNErr);
  ASSERT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(Last().kind, ShownKind::kModalDialog);
  EXPECT_EQ(Last().message, FallbackText(dupFNErr, 9));
}

TEST_F(SayDialogErrorLogFailure, FallbackDialogThatCannotBeMadeDoesNotStartTheReportAgain) {
  // Without its dialog resource the fallback dialog fails and reports through the log, which
  // is failing: that report is dropped instead of failing and showing again without end.
  sp_testing::ResetResources();
  const UInt32 beeps = sp_testing::BeepCount();
  SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 1, "x");
  EXPECT_TRUE(ShownSoFar().empty());
  EXPECT_EQ(sp_testing::BeepCount() - beeps, 1u);

  // Once that report is over, the next one is shown again.
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  Respond(Answer::Return());
  SpERORSYS_SaveErrorMeesage("SpTest.cpp", "Test", 2, "y");
  ASSERT_EQ(ShownSoFar().size(), 1u);
  EXPECT_EQ(Last().message, FallbackText(dupFNErr, 9));
}

}  // namespace
}  // namespace say_dialog_test
