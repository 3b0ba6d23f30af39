#include "SpErrorInfoSystem.h"

#include <cstdio>
#include <cstring>

#include "DateTimeUtils.h"
#include "Files.h"
#include "Folders.h"
#include "OSUtils.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpTextCodec.h"

const char kSpMsgNullOperator[] = "This operator is null !! ";
const char kSpMsgNullArgument[] = "Required argument is null !! ";
const char kSpMsgMemory[] = "Cannot allocated memory !! ";
const char kSpMsgDataError[] = "Data Error !! ";
const char kSpMsgFileError[] = "File Error !! ";
const char kSpMsgTypeError[] = "Type Error !! ";
const char kSpMsgLinkError[] = "Link Error !! ";
const char kSpMsgPointerArg[] = "Pointer Arg is 0L";
const char kSpMsgNoComment[] = "no comment";

namespace {

const char kLogFolderName[] = "Zanthe Folder";
const char kLogFileName[] = "Error Report";
constexpr UInt32 kLogCreator = 0x43574945;   // 'CWIE'
constexpr UInt32 kLogFileType = 0x54455854;  // 'TEXT'

// "Error Message System中でもFile Errorが発生しました。（Error = " in MacJapanese: 62 bytes.
const char kFallbackHead[] =
    "Error Message System"
    "\x92\x86\x82\xC5\x82\xE0"
    "File Error"
    "\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\x81\x69"
    "Error = ";
const char kFallbackPosition[] = "  Error Position = ";
// "） ": a full-width right parenthesis and one space.
const char kFallbackTail[] = "\x81\x6A ";

// The steps of a report whose failure is shown to the user.
enum : SInt32 {
  kStepReadInfo = 5,
  kStepDelete = 7,
  kStepCreate = 9,
  kStepOpen = 10,
  kStepFirstPiece = 12,  // pieces 1 to 9 are steps 12, 14, ... 28
};

SpERORSYS_RecordSinkProc gSink = nullptr;
URefCon gSinkRefCon = 0;
SpERORSYS_SayErrorNoProc gSayErrorNo = nullptr;
SpERORSYS_SayDialogProc gSayDialog = nullptr;

// True while a report is being written or shown. A report made meanwhile (a display that
// fails reports through this log) is dropped, so a log that cannot be written never starts
// its round again.
bool gReportInProgress = false;

class ReportScope {
 public:
  ReportScope() : entered_(!gReportInProgress) { gReportInProgress = true; }
  ~ReportScope() {
    if (entered_) gReportInProgress = false;
  }
  ReportScope(const ReportScope&) = delete;
  ReportScope& operator=(const ReportScope&) = delete;
  // False for a report made while another one is in progress.
  bool Entered() const { return entered_; }

 private:
  bool entered_;
};

const char* TextOrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

// Appends text to the buffer, never past its end.
void AppendText(char* buffer, std::size_t size, const char* text) {
  std::size_t used = strnlen(buffer, size - 1);
  std::size_t length = strnlen(text, size - 1 - used);
  std::memcpy(buffer + used, text, length);
  buffer[used + length] = 0;
}

// Shows that the report could not be written: through the error-number messages when they
// know the number, else in the say dialog (or, while no dialog is installed, on standard
// error). Returns the first display's answer, or the error number.
OSErr ShowFailure(OSErr error, SInt32 step) {
  if (gSayErrorNo != nullptr) {
    short shown = gSayErrorNo(error, nullptr);
    if (shown != 0) return shown;
  }
  char message[1024];
  message[0] = 0;
  AppendText(message, sizeof message, kFallbackHead);
  AppendText(message, sizeof message, std::to_string(error).c_str());
  AppendText(message, sizeof message, kFallbackPosition);
  AppendText(message, sizeof message, std::to_string(step).c_str());
  AppendText(message, sizeof message, kFallbackTail);
  if (gSayDialog != nullptr) {
    gSayDialog(message, 0);
  } else {
    std::string text = sp::text::MacJapaneseToUTF8(message, std::strlen(message));
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
  }
  return error;
}

// True when the file's creation date is not today (local time).
OSErr IsMadeOnAnotherDay(short vRefNum, SInt32 dirID, const char* fileName, bool* stale) {
  Str255 pascalName;
  std::size_t length = strnlen(fileName, 255);
  pascalName[0] = UInt8(length);
  std::memcpy(pascalName + 1, fileName, length);
  HParamBlockRec block = HParamBlockRec();
  block.fileParam.ioNamePtr = pascalName;
  block.fileParam.ioVRefNum = vRefNum;
  block.fileParam.ioFDirIndex = 0;
  block.fileParam.ioDirID = dirID;
  OSErr result = PBHGetFInfoSync(&block);
  if (result != noErr) return result;
  DateTimeRec today;
  DateTimeRec made;
  GetTime(&today);
  SecondsToDate(block.fileParam.ioFlCrDat, &made);
  *stale = today.year != made.year || today.month != made.month || today.day != made.day;
  return noErr;
}

// Writes one record into the file; the caller holds the report scope.
OSErr SaveRecord(short vRefNum, SInt32 dirID, const char* fileName, unsigned char recreate,
                 const char* sourceFile, const char* methodName, SInt32 code, const char* message) {
  bool exists = Sp_ExsitTargetFile(vRefNum, dirID, fileName) != 0;
  bool stale = false;
  OSErr result = noErr;
  if (exists && !recreate) {
    result = IsMadeOnAnotherDay(vRefNum, dirID, fileName, &stale);
    if (result != noErr) return ShowFailure(result, kStepReadInfo);
  }
  if (exists && (recreate || stale)) {
    result = Sp_DeleteFileDirByDirId(vRefNum, dirID, fileName, 0);
    if (result != noErr) return ShowFailure(result, kStepDelete);
    exists = false;
  }
  if (!exists) {
    result = Sp_CreateFileByDirId(vRefNum, dirID, fileName, kLogCreator, kLogFileType, 0, 0);
    if (result != noErr) return ShowFailure(result, kStepCreate);
  }

  sSpFileSysInfo* file = nullptr;
  result = Sp_WriteFileSystem_OpenByDirId(vRefNum, dirID, fileName, -1, 0, &file, 0, 1);
  if (result != noErr) return ShowFailure(result, kStepOpen);

  std::string codeText = std::to_string(code);
  const char* pieces[9] = {sourceFile, "\t",    methodName, "\t", codeText.c_str(),
                           "\t",       message, "\t",       "\r"};
  for (int i = 0; i < 9; ++i) {
    SInt32 length = SInt32(std::strlen(pieces[i]));
    // An empty text is a piece of no bytes: the separators around it still stand.
    if (length == 0) continue;
    result = Sp_WriteFileSystem_Write(file, pieces[i], length, 1);
    if (result != noErr) {
      Sp_WriteFileSystem_Close(file, 1, 1);
      return ShowFailure(result, kStepFirstPiece + 2 * i);
    }
  }
  return Sp_WriteFileSystem_Close(file, 1, 1);
}

}  // namespace

std::string SpERORSYS_FormatRecord(const char* sourceFile, const char* methodName, SInt32 code,
                                   const char* message) {
  std::string record;
  record += TextOrEmpty(sourceFile);
  record += '\t';
  record += TextOrEmpty(methodName);
  record += '\t';
  record += std::to_string(code);
  record += '\t';
  record += TextOrEmpty(message);
  record += '\t';
  record += '\r';
  return record;
}

OSErr SpERORSYS_SaveErrorMeesage(const char* sourceFile, const char* methodName, SInt32 code,
                                 const char* message) {
  if (gSink != nullptr) {
    return gSink(TextOrEmpty(sourceFile), TextOrEmpty(methodName), code, TextOrEmpty(message),
                 gSinkRefCon);
  }
  ReportScope scope;
  if (!scope.Entered()) return noErr;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, kLogFolderName, vRefNum,
                                    dirID)) {
    return noErr;
  }
  return SaveRecord(vRefNum, dirID, kLogFileName, 0, TextOrEmpty(sourceFile),
                    TextOrEmpty(methodName), code, TextOrEmpty(message));
}

OSErr SpERORSYS_SaveErrorMeesageOnDesktop(const char* fileName, unsigned char recreate,
                                          const char* sourceFile, const char* methodName,
                                          SInt32 code, const char* message) {
  ReportScope scope;
  if (!scope.Entered()) return noErr;
  short vRefNum = 0;
  SInt32 dirID = 0;
  OSErr result = FindFolder(kOnSystemDisk, kDesktopFolderType, kCreateFolder, &vRefNum, &dirID);
  if (result != noErr) return result;
  const char* name = fileName != nullptr && fileName[0] != 0 ? fileName : kLogFileName;
  return SaveRecord(vRefNum, dirID, name, recreate, TextOrEmpty(sourceFile),
                    TextOrEmpty(methodName), code, TextOrEmpty(message));
}

OSErr SpERORSYS_SaveErrorMeesageCore(short vRefNum, SInt32 dirID, const char* fileName,
                                     unsigned char recreate, const char* sourceFile,
                                     const char* methodName, SInt32 code, const char* message) {
  ReportScope scope;
  if (!scope.Entered() || fileName == nullptr || fileName[0] == 0) return noErr;
  return SaveRecord(vRefNum, dirID, fileName, recreate, TextOrEmpty(sourceFile),
                    TextOrEmpty(methodName), code, TextOrEmpty(message));
}

void SpERORSYS_SetFailureDisplayProcs(SpERORSYS_SayErrorNoProc sayErrorNo,
                                      SpERORSYS_SayDialogProc sayDialog) {
  gSayErrorNo = sayErrorNo;
  gSayDialog = sayDialog;
}

void SpERORSYS_GetFailureDisplayProcs(SpERORSYS_SayErrorNoProc* sayErrorNo,
                                      SpERORSYS_SayDialogProc* sayDialog) {
  if (sayErrorNo != nullptr) *sayErrorNo = gSayErrorNo;
  if (sayDialog != nullptr) *sayDialog = gSayDialog;
}

void SpERORSYS_SetRecordSink(SpERORSYS_RecordSinkProc proc, URefCon refCon) {
  gSink = proc;
  gSinkRefCon = proc != nullptr ? refCon : 0;
}

void SpERORSYS_GetRecordSink(SpERORSYS_RecordSinkProc* proc, URefCon* refCon) {
  if (proc != nullptr) *proc = gSink;
  if (refCon != nullptr) *refCon = gSinkRefCon;
}

void SpReportFailure(const char* sourceFile, const char* methodName, SInt32 code,
                     const char* message) {
  SysBeep(10);
  SpERORSYS_SaveErrorMeesage(sourceFile, methodName, code, message);
}
