// The error log: the program-wide reporter of internal failures.
//
// Every failing operation sounds the beep and hands the log four facts: its source file, its
// class and method name, a code and a fixed message. The log turns them into one record
// ("source TAB method TAB code TAB message TAB CR") and passes it to the record sink. The
// sink that writes the day's "Error Report" file is plugged in by the file library; until
// then, and in tests, records go to the sink installed here.
#pragma once

#include <string>

#include "MacTypes.h"

// The fixed messages of failure records.
extern const char kSpMsgNullOperator[];  // "This operator is null !! "
extern const char kSpMsgNullArgument[];  // "Required argument is null !! "
extern const char kSpMsgMemory[];        // "Cannot allocated memory !! "
extern const char kSpMsgDataError[];     // "Data Error !! "
extern const char kSpMsgFileError[];     // "File Error !! "
extern const char kSpMsgTypeError[];     // "Type Error !! "
extern const char kSpMsgLinkError[];     // "Link Error !! "
extern const char kSpMsgPointerArg[];    // "Pointer Arg is 0L"
extern const char kSpMsgNoComment[];     // "no comment"

// Appends one record to the error log. Returns the sink's result (0 when written).
OSErr SpERORSYS_SaveErrorMeesage(const char* sourceFile, const char* methodName, SInt32 code,
                                 const char* message);

// The bytes of one record, as written to the log file.
std::string SpERORSYS_FormatRecord(const char* sourceFile, const char* methodName, SInt32 code,
                                   const char* message);

// Where records go. The default sink writes each record as a line on standard error.
typedef OSErr (*SpERORSYS_RecordSinkProc)(const char* sourceFile, const char* methodName,
                                          SInt32 code, const char* message, URefCon refCon);
void SpERORSYS_SetRecordSink(SpERORSYS_RecordSinkProc proc, URefCon refCon);
void SpERORSYS_GetRecordSink(SpERORSYS_RecordSinkProc* proc, URefCon* refCon);

// Beep once, then log one record: the start of every failure path.
void SpReportFailure(const char* sourceFile, const char* methodName, SInt32 code,
                     const char* message);

// The same, returning the failure value so a method can end with one statement:
//   return SpReportFailure(kSource, "cSp_Window::Open", 1, kSpMsgNullArgument, paramErr);
template <class T>
T SpReportFailure(const char* sourceFile, const char* methodName, SInt32 code, const char* message,
                  T result) {
  SpReportFailure(sourceFile, methodName, code, message);
  return result;
}
