#include <gtest/gtest.h>

#include "ErrorLogCapture.h"
#include "SpErrorInfoSystem.h"

TEST(ErrorLog, RecordHasFourTabsAndEndsInCarriageReturn) {
  struct Case {
    const char* source;
    const char* method;
    SInt32 code;
    const char* message;
    const char* expected;
  } cases[] = {
      {"SpStdFunction", "Sp_pStrcpy", 1, "Pointer Arg is 0L",
       "SpStdFunction\tSp_pStrcpy\t1\tPointer Arg is 0L\t\r"},
      {"a.cpp", "", -50, "", "a.cpp\t\t-50\t\t\r"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpERORSYS_FormatRecord(c.source, c.method, c.code, c.message), c.expected);
  }
}

TEST(ErrorLog, FailureReportBeepsOnceAndLogsOnce) {
  ErrorLogCapture log;
  int result = SpReportFailure("src", "cX::Run", 2, kSpMsgDataError, -50);
  EXPECT_EQ(result, -50);
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Records()[0].message, "Data Error !! ");
  EXPECT_EQ(log.Beeps(), 1u);
}
