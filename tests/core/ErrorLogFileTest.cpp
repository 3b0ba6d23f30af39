#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DateTimeUtils.h"
#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "SpErrorInfoSystem.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

constexpr SInt64 kOneHour = 3600ll * 1000 * 1000;

// What the two failure displays were asked to show.
struct Shown {
  std::vector<short> errorNumbers;
  std::vector<std::string> dialogTexts;
  short errorNoAnswer = 0;
  bool dialogReportsAgain = false;
};
Shown* gShown = nullptr;

short SayErrorNo(short errorNo, sWindowOutputBehavior* placement) {
  EXPECT_EQ(placement, nullptr);
  gShown->errorNumbers.push_back(errorNo);
  return gShown->errorNoAnswer;
}

void SayDialog(char* message, unsigned char classicLoop) {
  EXPECT_EQ(classicLoop, 0);
  gShown->dialogTexts.push_back(message);
  // As a dialog that cannot be made does: it reports through the log that is failing.
  if (gShown->dialogReportsAgain) {
    SpReportFailure("SpStdSayDialog", "Sp_SayDialogByModal", 2, "Resoure Error !! ");
  }
}

class ErrorLogFileTest : public ::testing::Test {
 protected:
  ErrorLogFileTest() : clock_(StartOfDay()) {}
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    SpERORSYS_GetRecordSink(&savedSink_, &savedRefCon_);
    SpERORSYS_SetRecordSink(nullptr, 0);
    gShown = &shown_;
    SpERORSYS_SetFailureDisplayProcs(SayErrorNo, SayDialog);
  }
  void TearDown() override {
    SpERORSYS_SetFailureDisplayProcs(nullptr, nullptr);
    gShown = nullptr;
    SpERORSYS_SetRecordSink(savedSink_, savedRefCon_);
  }

  static SInt64 StartOfDay() {
    DateTimeRec date = {2024, 5, 10, 9, 30, 0, 0};
    UInt32 seconds = 0;
    DateToSeconds(&date, &seconds);
    return seconds;
  }
  std::string LogPath() const { return home_.Path(".config/Zanthe Folder/Error Report"); }
  static std::string ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // A folder named "Error Report" cannot be made into the log file: creating it fails.
  void BlockLog() const {
    ASSERT_EQ(mkdir(home_.Path(".config/Zanthe Folder").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(LogPath().c_str(), 0700), 0);
  }

  sp_testing::HomeScope home_;
  sp_testing::VirtualClockScope clock_;
  Shown shown_;
  SpERORSYS_RecordSinkProc savedSink_ = nullptr;
  URefCon savedRefCon_ = 0;
};

// The fallback text for an error number and a step, in MacJapanese.
std::string FallbackText(int error, int step) {
  return std::string(
             "Error Message System\x92\x86\x82\xC5\x82\xE0"
             "File Error\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\x81\x69"
             "Error = ") +
         std::to_string(error) + "  Error Position = " + std::to_string(step) + "\x81\x6A ";
}

TEST(ErrorLog, FailureReportGivesItsResultBeepsOnceAndLogsOnce) {
  ErrorLogCapture log;
  EXPECT_EQ(SpReportFailure("src", "cX::Run", 2, kSpMsgDataError, -50), -50);
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Records()[0].message, "Data Error !! ");
  EXPECT_EQ(log.Beeps(), 1u);
}

TEST_F(ErrorLogFileTest, RecordsAreAppendedByteForByte) {
  struct Case {
    const char* source;
    const char* method;
    SInt32 code;
    const char* message;
    const char* bytes;
  } cases[] = {
      {"SpStdFunction", "Sp_pStrcpy", 1, "Pointer Arg is 0L",
       "SpStdFunction\tSp_pStrcpy\t1\tPointer Arg is 0L\t\r"},
      {"a.cpp", "", -50, "", "a.cpp\t\t-50\t\t\r"},
      {"", "cX::Run", 2147483647, "Data Error !! ", "\tcX::Run\t2147483647\tData Error !! \t\r"},
  };
  std::string expected;
  for (const Case& c : cases) {
    EXPECT_EQ(SpERORSYS_FormatRecord(c.source, c.method, c.code, c.message), c.bytes);
    EXPECT_EQ(SpERORSYS_SaveErrorMeesage(c.source, c.method, c.code, c.message), noErr);
    expected += c.bytes;
  }
  EXPECT_EQ(ReadHostFile(LogPath()), expected);
  EXPECT_TRUE(shown_.errorNumbers.empty() && shown_.dialogTexts.empty());
  short vRefNum = 0;
  SInt32 dirID = 0;
  FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID);
  FInfo info{};
  HGetFInfo(vRefNum, dirID, (ConstStr255Param) "\x1B:Zanthe Folder:Error Report", &info);
  EXPECT_EQ(info.fdCreator, SpFourCC("CWIE"));
  EXPECT_EQ(info.fdType, SpFourCC("TEXT"));
}

TEST_F(ErrorLogFileTest, FirstReportOfANewDayReplacesTheFile) {
  SpERORSYS_SaveErrorMeesage("a", "m", 1, "first");
  sp_testing::AdvanceClockMicroseconds(10 * kOneHour);  // 19:30 the same day
  SpERORSYS_SaveErrorMeesage("a", "m", 2, "second");
  EXPECT_EQ(ReadHostFile(LogPath()), "a\tm\t1\tfirst\t\ra\tm\t2\tsecond\t\r");
  sp_testing::AdvanceClockMicroseconds(5 * kOneHour);  // 00:30 the next day
  SpERORSYS_SaveErrorMeesage("a", "m", 3, "third");
  EXPECT_EQ(ReadHostFile(LogPath()), "a\tm\t3\tthird\t\r");
  EXPECT_TRUE(shown_.dialogTexts.empty());
}

TEST_F(ErrorLogFileTest, UnwritableLogIsShownWithErrorAndStepOnceAndTakesReportsAgain) {
  BlockLog();
  struct Case {
    const char* why;
    short errorNoAnswer;
    bool dialogReportsAgain;
    OSErr result;
    std::size_t dialogs;
  } cases[] = {
      {"no error-number message: the say dialog", 0, false, dupFNErr, 1},
      {"the error-number message shown: no dialog", 7, false, 7, 0},
      {"a failing dialog does not start the report again", 0, true, dupFNErr, 1},
      {"once that report is over, the log takes reports again", 0, false, dupFNErr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    shown_ = Shown{{}, {}, c.errorNoAnswer, c.dialogReportsAgain};
    const UInt32 beeps = sp_testing::BeepCount();
    EXPECT_EQ(SpERORSYS_SaveErrorMeesage("a", "m", 1, "x"), c.result);
    EXPECT_EQ(shown_.errorNumbers, std::vector<short>{dupFNErr});
    EXPECT_EQ(shown_.dialogTexts, std::vector<std::string>(c.dialogs, FallbackText(dupFNErr, 9)));
    EXPECT_LE(sp_testing::BeepCount() - beeps, 1u);
  }
  SpERORSYS_SetFailureDisplayProcs(nullptr, nullptr);  // without displays: standard error
  testing::internal::CaptureStderr();
  EXPECT_EQ(SpERORSYS_SaveErrorMeesage("a", "m", 1, "x"), dupFNErr);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Error Message System中でもFile Errorが発生しました。（Error = -48  "
                     "Error Position = 9） "),
            std::string::npos)
      << err;
}

}  // namespace
