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

// ---- Error-number messages ------------------------------------------------------------------
//
// Turn a numeric error (a File Manager result, an engine's own code) into a text for the user.
// The texts live in plain MacJapanese files, one line per number, ended by a carriage return:
//   number TAB message [TAB anything else]
// A manager holds the files, each registered under a user reference number; asked for a
// number, it reads the first file registered under the reference number, and the first line
// with that number gives the message. The user sees the message alone, or, when there is no
// line for the number (or no file, or it cannot be read), "[Error No = n] : " with nothing
// after it. The file is opened anew for every look-up, so it may be edited while the program
// runs.
//
// A global manager, made by the first SpSetupSayErrorFileInfo, serves SpSayErrorNo and
// SpSayErrorNoWithDefaultSetup; making it installs SpSayErrorNoWithDefaultSetup as the error
// log's first display.

#include <new>

#include "SpListLinks.h"
#include "SpMacHeapObject.h"

struct OpaqueWindowPtr;

// The kind of a say dialog: for a sheet the alert type, for a modal dialog the choice of its
// dialog resource. Other values are allowed (they pick the modal dialogs' default layout).
enum tStdSayDlgType : short {
  kSpStdSayDlgStop = 0,
  kSpStdSayDlgNote = 1,
  kSpStdSayDlgCaution = 2,
};

// The two displays of the messages, installed by the say dialogs: the modal one-button dialog
// (Sp_SayDialogByModal) and the two-button sheet on a window (SpStdSayDlgTwoButtonBySheetAlert,
// answering the button pressed). While one is not installed, what it would show is written,
// as UTF-8, to standard error. Null uninstalls one.
typedef short (*SpSayErrorNo_SheetProc)(OpaqueWindowPtr* parent, tStdSayDlgType type, char* message,
                                        char* explanation, char* defaultTitle, char* cancelTitle);
void SpSayErrorNo_SetDisplayProcs(SpERORSYS_SayDialogProc modal, SpSayErrorNo_SheetProc sheet);
void SpSayErrorNo_GetDisplayProcs(SpERORSYS_SayDialogProc* modal, SpSayErrorNo_SheetProc* sheet);

enum : SInt32 {
  kSpSayErrorLineSize = 512,      // a line of an error-text file: 511 bytes are used
  kSpSayErrorFileNameSize = 256,  // a registered file name with its terminator
};

// One registered error-text file.
class cSayErrorNoFileObj : public cSpListLinks<cSayErrorNoFileObj>, public cSpMacHeapObject {
 public:
  cSayErrorNoFileObj() { StartUpInitialize(); }
  // The name is copied (at most 255 bytes); null registers no name. value1 and value2 are
  // kept for the registering code and not used here.
  cSayErrorNoFileObj(short userRefNum, short vRefNum, SInt32 dirID, const char* fileName,
                     short value1, short value2);
  ~cSayErrorNoFileObj() = default;
  cSayErrorNoFileObj(const cSayErrorNoFileObj&) = delete;
  cSayErrorNoFileObj& operator=(const cSayErrorNoFileObj&) = delete;

  void StartUpInitialize();

  // Shows the text for the number: a modal dialog when asSheet is 0 or there is no window,
  // else a sheet on the window whose message is the title (at most 510 bytes, cut between
  // characters), or "報　告" when no title is given, with the text below it and one button
  // "閉じる". Error 0 shows nothing. The placement is accepted for the callers' sake.
  void SayErrorOccur(short errorNo, sWindowOutputBehavior* placement, unsigned char asSheet,
                     OpaqueWindowPtr* window, tStdSayDlgType alertType, const char* title);
  // 1 with the message of the number in text (at most size - 1 bytes, cut between
  // characters); 0 with text empty when error 0, no file, no line for the number or a line
  // without a message column.
  unsigned char GetErrorString(short errorNo, char* text, unsigned long size);

  short GetUserRefNum() const { return userRefNum_; }

 private:
  short userRefNum_;
  short vRefNum_;
  SInt32 dirID_;
  char fileName_[kSpSayErrorFileNameSize];
  short value1_;
  short value2_;
};

// The registered files, in the order of registration; the manager owns them.
class cSayErrorNoMgr : public cSpMacHeapObject {
 public:
  cSayErrorNoMgr() = default;
  ~cSayErrorNoMgr();
  cSayErrorNoMgr(const cSayErrorNoMgr&) = delete;
  cSayErrorNoMgr& operator=(const cSayErrorNoMgr&) = delete;

  // Frees the registered files and empties the list.
  void StartUpInitialize();

  // Registers a file after the others. Several may share a reference number: the first one
  // registered serves it.
  void SetupNewErrorFile(short userRefNum, short vRefNum, SInt32 dirID, const char* fileName,
                         short value1, short value2);
  // Shows the number's text in the modal dialog: 1 when a file is registered under the
  // reference number (also when error 0 showed nothing), else 0 and nothing shown.
  unsigned char SayErrorOccured(short userRefNum, short errorNo, sWindowOutputBehavior* placement);
  // The same as a sheet on the window (the modal dialog when the window is null).
  unsigned char SayErrorOccuredBySheetWindow(short userRefNum, short errorNo,
                                             OpaqueWindowPtr* window, tStdSayDlgType alertType,
                                             const char* title);
  // The number's message in text, as cSayErrorNoFileObj::GetErrorString; 0 and text empty when
  // no file is registered under the reference number.
  unsigned char GetTargetErrorString(short userRefNum, short errorNo, char* text,
                                     unsigned long size);

  cSayErrorNoFileObj* GetFirstFileObj() const { return first_; }

 private:
  cSayErrorNoFileObj* FindFileObj(short userRefNum) const;

  cSayErrorNoFileObj* first_ = nullptr;
  cSayErrorNoFileObj* last_ = nullptr;
};

// Makes the global manager on first use (it lives until the program ends), then registers the
// file with it.
void SpSetupSayErrorFileInfo(short userRefNum, short vRefNum, SInt32 dirID, const char* fileName,
                             short value1, short value2);
// 0 when there is no global manager, else its SayErrorOccured.
short SpSayErrorNo(short userRefNum, short errorNo, sWindowOutputBehavior* placement);
// SpSayErrorNo with reference number 0: the error log's first display.
short SpSayErrorNoWithDefaultSetup(short errorNo, sWindowOutputBehavior* placement);
