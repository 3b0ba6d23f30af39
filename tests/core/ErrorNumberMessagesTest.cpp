#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpErrorInfoSystem.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

int gWindowStandIn = 0;
OpaqueWindowPtr* const kWindow = reinterpret_cast<OpaqueWindowPtr*>(&gWindowStandIn);

// "報　告" and "閉じる" in MacJapanese.
const std::string kReport = "\x95\xF1\x81\x40\x8D\x90";
const std::string kClose = "\x95\xC2\x82\xB6\x82\xE9";
// "ディスクがいっぱいです" (the disk is full) in MacJapanese.
const std::string kDiskFull =
    "\x83\x66\x83\x42\x83\x58\x83\x4E\x82\xAA\x82\xA2\x82\xC1\x82\xCF\x82\xA2\x82\xC5\x82\xB7";

std::vector<std::string> gModalShown;
std::vector<std::string> gSheetsShown;  // window, type, texts and whether a cancel button

void ModalSay(char* message, unsigned char classicLoop) {
  EXPECT_EQ(classicLoop, 0);
  gModalShown.push_back(message);
}

short SheetSay(OpaqueWindowPtr* parent, tStdSayDlgType type, char* message, char* explanation,
               char* defaultTitle, char* cancelTitle) {
  gSheetsShown.push_back(std::to_string(parent == kWindow) + std::to_string(type) + "|" + message +
                         "|" + explanation + "|" + defaultTitle + "|" +
                         (cancelTitle != nullptr ? "cancel" : ""));
  return 1;
}

class ErrorNumberMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum_, &dirID_),
              noErr);
    gModalShown.clear();
    gSheetsShown.clear();
    SpSayErrorNo_SetDisplayProcs(ModalSay, SheetSay);
  }
  void TearDown() override {
    SpSayErrorNo_SetDisplayProcs(nullptr, nullptr);
    sp_testing::FailNthAllocation(0);
    sp_testing::LimitAllocationSize(0);
  }

  // Writes the messages file and registers it with the manager as number 0.
  void WriteFile(const std::string& bytes, cSayErrorNoMgr* manager = nullptr) {
    std::ofstream(home_.Path(".config/FileErrorNoData.txt"), std::ios::binary) << bytes;
    if (manager) manager->SetupNewErrorFile(0, vRefNum_, dirID_, "FileErrorNoData.txt", 520, 2);
  }
  // What the modal dialog shows for the number, with the file holding these bytes; "<none>"
  // when nothing was shown.
  std::string Shown(const std::string& fileBytes, short errorNo) {
    cSayErrorNoMgr manager;
    WriteFile(fileBytes, &manager);
    gModalShown.clear();
    EXPECT_EQ(manager.SayErrorOccured(0, errorNo, nullptr), 1);
    if (gModalShown.empty()) return "<none>";
    EXPECT_EQ(gModalShown.size(), 1u);
    return gModalShown.back();
  }

  sp_testing::HomeScope home_;
  SInt16 vRefNum_ = 0;
  SInt32 dirID_ = 0;
};

}  // namespace

TEST_F(ErrorNumberMessages, LookUpFindsTheRightLineOrShowsTheNumber) {
  struct Case {
    const char* why;
    std::string file;
    short errorNo;
    std::string shown;
  } cases[] = {
      {"message alone, prefix dropped", "-34\t" + kDiskFull + "\r", -34, kDiskFull},
      {"no line for the number", "-34\tfull\r", 5, "[Error No = 5] : "},
      {"first of two lines wins", "7\tfirst\r7\tsecond\r", 7, "first"},
      {"third column ignored", "8\tmessage\tignored\tmore\r", 8, "message"},
      {"last line without CR is read", "1\ta\r2\tb", 2, "b"},
      {"empty lines and empty number columns skipped", "\r\r\tlone\r3\tthree\r", 3, "three"},
      {"line without message column keeps the number", "9\r9\tlater\r", 9, "[Error No = 9] : "},
      {"empty message keeps the number", "6\t\r", 6, "[Error No = 6] : "},
      {"a long line does not end the search", "1\t" + std::string(600, 'a') + "\r4\tfour\r", 4,
       "four"},
      {"a long matching line is cut to the line buffer", "4\t" + std::string(600, 'b') + "\r", 4,
       std::string(509, 'b')},
      {"no 16-bit wrap of the number column", "65502\twrong\r-34\tright\r", -34, "right"},
      {"number column read from 63 bytes", std::string(63, '0') + "12\tx\r", 12,
       "[Error No = 12] : "},
      {"error 0 shows nothing", "0\tzero\r", 0, "<none>"},
      {"empty file", "", 5, "[Error No = 5] : "},
      {"line feed is no line end", "1\ta\n2\tb\n", 1, "a\n2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shown(c.file, c.errorNo), c.shown) << c.why;
  }
}

TEST_F(ErrorNumberMessages, SheetCarriesTitleTextAndCloseButtonAndNeedsAWindow) {
  cSayErrorNoMgr manager;
  WriteFile("-34\t" + kDiskFull + "\r", &manager);
  const std::string title600(600, 't');
  // A two-byte character whose first byte is the 510th byte is left out whole.
  const std::string splitTitle = std::string(509, 'u') + kReport;
  struct Case {
    const char* why;
    const char* title;
    std::string message;
  } cases[] = {
      {"no title", nullptr, kReport},
      {"empty title", "", kReport},
      {"short title", "Save", "Save"},
      {"long title cut", title600.c_str(), std::string(510, 't')},
      {"cut between characters", splitTitle.c_str(), std::string(509, 'u')},
  };
  for (const Case& c : cases) {
    gSheetsShown.clear();
    EXPECT_EQ(manager.SayErrorOccuredBySheetWindow(0, -34, kWindow, kSpStdSayDlgStop, c.title), 1);
    EXPECT_EQ(gSheetsShown,
              std::vector<std::string>{"1" + std::to_string(kSpStdSayDlgStop) + "|" + c.message +
                                       "|" + kDiskFull + "|" + kClose + "|"})
        << c.why;
  }
  EXPECT_TRUE(gModalShown.empty());

  // Without a window the modal dialog shows the text.
  EXPECT_EQ(manager.SayErrorOccuredBySheetWindow(0, -34, nullptr, kSpStdSayDlgCaution, "T"), 1);
  EXPECT_EQ(gModalShown, (std::vector<std::string>{kDiskFull}));
}

TEST_F(ErrorNumberMessages, ErrorStringRespectsBufferAndReportsNullBuffer) {
  cSayErrorNoMgr manager;
  WriteFile("-34\t" + kDiskFull + "\r1\tabcdef\r", &manager);
  char text[8];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(manager.GetTargetErrorString(0, 1, text, 4), 1);
  EXPECT_EQ(std::string(text, 5), std::string("abc\0x", 5));  // nothing past the given size
  // Seven bytes hold three two-byte characters; the fourth's first byte is left out.
  EXPECT_EQ(manager.GetTargetErrorString(0, -34, text, 8), 1);
  EXPECT_EQ(std::string(text), kDiskFull.substr(0, 6));
  EXPECT_EQ(manager.GetTargetErrorString(0, 0, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  text[0] = 'x';
  EXPECT_EQ(manager.GetTargetErrorString(0, 1, text, 0), 0);
  EXPECT_EQ(text[0], 'x');

  ErrorLogCapture log;
  EXPECT_EQ(manager.GetTargetErrorString(0, 1, nullptr, 8), 0);
  EXPECT_EQ(manager.GetFirstFileObj()->GetErrorString(1, nullptr, 8), 0);
  EXPECT_TRUE(log.Has("cSayErrorNoMgr::GetTargetErrorString", 1));
  EXPECT_TRUE(log.Has("cSayErrorNoFileObj::GetErrorString", 1));
}

namespace {

std::vector<std::string> gLogDialogShown;
void LogDialog(char* message, unsigned char /*classicLoop*/) {
  gLogDialogShown.push_back(message);
}

}  // namespace

// The global manager is made once per process, so its whole life is one test.
TEST_F(ErrorNumberMessages, GlobalManagerServesFreeFunctionsAndBecomesErrorLogFirstDisplay) {
  SpERORSYS_SayErrorNoProc savedFirst = nullptr;
  SpERORSYS_SayDialogProc savedSecond = nullptr;
  SpERORSYS_GetFailureDisplayProcs(&savedFirst, &savedSecond);
  SpERORSYS_RecordSinkProc savedSink = nullptr;
  URefCon savedRefCon = 0;
  SpERORSYS_GetRecordSink(&savedSink, &savedRefCon);
  SpERORSYS_SetRecordSink(nullptr, 0);
  SpERORSYS_SetFailureDisplayProcs(nullptr, LogDialog);

  EXPECT_EQ(SpSayErrorNo(0, -34, nullptr) + SpSayErrorNoWithDefaultSetup(-34, nullptr), 0);

  WriteFile("-34\tfull\r-48\tname taken\r");
  SpSetupSayErrorFileInfo(0, vRefNum_, dirID_, "FileErrorNoData.txt", 520, 2);
  SpERORSYS_SayErrorNoProc first = nullptr;
  SpERORSYS_SayDialogProc second = nullptr;
  SpERORSYS_GetFailureDisplayProcs(&first, &second);
  EXPECT_TRUE(first == &SpSayErrorNoWithDefaultSetup && second == &LogDialog);

  EXPECT_EQ(SpSayErrorNoWithDefaultSetup(-34, nullptr), 1);
  EXPECT_EQ(SpSayErrorNo(4, -34, nullptr), 0);
  SpSetupSayErrorFileInfo(4, vRefNum_, dirID_, "FileErrorNoData.txt", 0, 0);
  EXPECT_EQ(SpSayErrorNo(4, 7, nullptr), 1);
  EXPECT_EQ(gModalShown, (std::vector<std::string>{"full", "[Error No = 7] : "}));

  // A log that cannot be written (a folder stands where its file should be made) shows the
  // message of the failure's error number, and its own dialog stays away.
  ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder/Error Report").c_str(), 0700), 0);
  gModalShown.clear();
  EXPECT_EQ(SpERORSYS_SaveErrorMeesage("a", "m", 1, "x"), 1);
  EXPECT_EQ(gModalShown, (std::vector<std::string>{"name taken"}));
  EXPECT_TRUE(gLogDialogShown.empty());

  SpERORSYS_SetFailureDisplayProcs(savedFirst, savedSecond);
  SpERORSYS_SetRecordSink(savedSink, savedRefCon);
}
