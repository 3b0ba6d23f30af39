// The error log: the program-wide reporter of internal failures.
//
// Every failing operation sounds the beep and hands the log four facts: its source file, its
// class and method name, a code and a fixed message. The log appends them as one record
// ("source TAB method TAB code TAB message TAB CR", MacJapanese, no date, no line feed) to the
// file "Error Report" in "Zanthe Folder" of the Preferences folder. The file holds the reports
// of one day, the day of its creation date: the first report of a new day replaces it. Each
// report opens, writes, closes and flushes the file anew, so a crash loses no earlier record.
//
// When the file cannot be written, the failure is shown to the user: first through the
// error-number messages, else in the modal say dialog. Both displays are installed by the
// framework (SpERORSYS_SetFailureDisplayProcs); until then the first answers "not shown" and
// the second writes its text on standard error. A report made while another report is being
// written or shown writes nothing and shows nothing: a display that fails reports through
// this log, and would otherwise start the round again without end.
//
// Tests install a record sink: while one is installed, records go to it instead of the file.
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

// Appends one record to "Error Report" in "Zanthe Folder" of the Preferences folder (made
// when missing). 0 and nothing done when the folder cannot be had; otherwise the result of
// SpERORSYS_SaveErrorMeesageCore. With a record sink installed, the sink's result.
OSErr SpERORSYS_SaveErrorMeesage(const char* sourceFile, const char* methodName, SInt32 code,
                                 const char* message);
// The same report into a file on the desktop: the given name, or "Error Report" when it is
// null or empty; recreate replaces the file whatever its date. A failure to find the
// Desktop folder is returned and nothing is written.
OSErr SpERORSYS_SaveErrorMeesageOnDesktop(const char* fileName, unsigned char recreate,
                                          const char* sourceFile, const char* methodName,
                                          SInt32 code, const char* message);
// Appends the record to the named file of the folder: the file is made (creator 'CWIE', type
// 'TEXT') when missing, and deleted and made anew first when recreate is set or it was made
// on another day. 0 on success. On a failure the failure is shown and the result is the
// first tier's nonzero answer, or else the failing error number.
OSErr SpERORSYS_SaveErrorMeesageCore(short vRefNum, SInt32 dirID, const char* fileName,
                                     unsigned char recreate, const char* sourceFile,
                                     const char* methodName, SInt32 code, const char* message);

// The two displays of a report that could not be written. The first gets the error number
// and no placement and answers nonzero when it showed a message (SpSayErrorNoWithDefaultSetup);
// the second shows a text in the modal say dialog (Sp_SayDialogByModal, flag 0). Null
// uninstalls one.
struct sWindowOutputBehavior;
typedef short (*SpERORSYS_SayErrorNoProc)(short errorNo, sWindowOutputBehavior* placement);
typedef void (*SpERORSYS_SayDialogProc)(char* message, unsigned char classicLoop);
void SpERORSYS_SetFailureDisplayProcs(SpERORSYS_SayErrorNoProc sayErrorNo,
                                      SpERORSYS_SayDialogProc sayDialog);
void SpERORSYS_GetFailureDisplayProcs(SpERORSYS_SayErrorNoProc* sayErrorNo,
                                      SpERORSYS_SayDialogProc* sayDialog);

// The bytes of one record, as written to the log file.
std::string SpERORSYS_FormatRecord(const char* sourceFile, const char* methodName, SInt32 code,
                                   const char* message);

// The record sink: while one is installed, SpERORSYS_SaveErrorMeesage hands it the record's
// four facts instead of writing the file. Null uninstalls it (records go to the file again);
// SpERORSYS_GetRecordSink gives null when none is installed.
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
