// The error-number messages of SpErrorInfoSystem.h: error-text files, their manager and the
// global manager that the error log asks first.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpTextCodec.h"

namespace {

const char kSource[] = "SpErrorInfoSystem";
// The manager's own wording of a null argument.
const char kMsgNullArgumentOfManager[] = "Required argument is Null !! ";

const char kPrefixHead[] = "[Error No = ";
const char kPrefixTail[] = "] : ";
// "報　告" (report): the sheet's message when the caller gives no title.
const char kSheetDefaultMessage[] = "\x95\xF1\x81\x40\x8D\x90";
// "閉じる" (close): the sheet's one button.
const char kSheetButtonTitle[] = "\x95\xC2\x82\xB6\x82\xE9";

constexpr std::size_t kNumberColumnSize = 64;  // the number is read from its first 63 bytes
constexpr short kSheetMessageLimit = 510;

cSayErrorNoMgr* gManager = nullptr;
SpERORSYS_SayDialogProc gModalProc = nullptr;
SpSayErrorNo_SheetProc gSheetProc = nullptr;

void WriteToStandardError(const char* text) {
  std::string line = sp::text::MacJapaneseToUTF8(text, std::strlen(text));
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// Copies the longest run of whole characters of text that fits in size - 1 bytes; size > 0.
void CopyWholeCharacters(const char* text, char* out, std::size_t size) {
  std::size_t limit = std::min<std::size_t>(size - 1, 0x7FFF);
  Sp_CutStringByByteLen(text, short(limit), out);
}

enum class LineFound { kNone, kWithoutMessage, kMessage };

// Whether the line is the number's, and when it carries a message column, that column
// copied into message. The line is changed (its columns are cut apart).
LineFound MatchLine(char* line, short errorNo, char* message, std::size_t size) {
  char* tab = std::strchr(line, '\t');
  std::size_t numberLength = tab != nullptr ? std::size_t(tab - line) : std::strlen(line);
  if (numberLength == 0) return LineFound::kNone;
  char number[kNumberColumnSize];
  numberLength = std::min(numberLength, sizeof number - 1);
  std::memcpy(number, line, numberLength);
  number[numberLength] = 0;
  SInt32 value = 0;
  Sp_StringToNumber(number, &value);
  if (value != errorNo) return LineFound::kNone;
  if (tab == nullptr) return LineFound::kWithoutMessage;
  char* column = tab + 1;
  char* nextTab = std::strchr(column, '\t');
  if (nextTab != nullptr) *nextTab = 0;
  CopyWholeCharacters(column, message, size);
  return LineFound::kMessage;
}

// Reads the file's lines until the first one for the number. A missing file, one that does
// not open and a read that fails all count as "no line": the number is then shown without a
// text, which is all a user can be told anyway.
LineFound LookUp(short vRefNum, SInt32 dirID, const char* fileName, short errorNo, char* message,
                 std::size_t size) {
  message[0] = 0;
  if (errorNo == 0 || fileName[0] == 0 || Sp_ExsitTargetFile(vRefNum, dirID, fileName) == 0) {
    return LineFound::kNone;
  }
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, fileName, 0, 0, &file) != noErr ||
      file == nullptr) {
    return LineFound::kNone;
  }
  LineFound found = LineFound::kNone;
  char line[kSpSayErrorLineSize];
  for (;;) {
    unsigned char end = 0;
    OSErr result = Sp_ReadFileSystem_ReadOneLine(file, line, sizeof line, nullptr, &end);
    // memFullErr tells that the line was longer than the buffer: its start is used and the
    // rest was skipped, so the lines after it are still read.
    if (result != noErr && result != memFullErr) break;
    found = MatchLine(line, errorNo, message, size);
    if (found != LineFound::kNone || end != 0) break;
  }
  Sp_FileSystem_Close(file, 1, 1);
  if (found != LineFound::kMessage) message[0] = 0;
  return found;
}

void ShowModal(char* text) {
  if (gModalProc != nullptr) {
    gModalProc(text, 0);
  } else {
    WriteToStandardError(text);
  }
}

void ShowSheet(OpaqueWindowPtr* window, tStdSayDlgType alertType, const char* title, char* text) {
  char message[kSpSayErrorLineSize];
  if (title != nullptr && title[0] != 0) {
    Sp_CutStringByByteLen(title, kSheetMessageLimit, message);
  } else {
    std::strcpy(message, kSheetDefaultMessage);
  }
  char button[sizeof kSheetButtonTitle];
  std::memcpy(button, kSheetButtonTitle, sizeof button);
  if (gSheetProc != nullptr) {
    gSheetProc(window, alertType, message, text, button, nullptr);
  } else {
    WriteToStandardError(message);
    WriteToStandardError(text);
  }
}

}  // namespace

void SpSayErrorNo_SetDisplayProcs(SpERORSYS_SayDialogProc modal, SpSayErrorNo_SheetProc sheet) {
  gModalProc = modal;
  gSheetProc = sheet;
}

void SpSayErrorNo_GetDisplayProcs(SpERORSYS_SayDialogProc* modal, SpSayErrorNo_SheetProc* sheet) {
  if (modal != nullptr) *modal = gModalProc;
  if (sheet != nullptr) *sheet = gSheetProc;
}

// ---- cSayErrorNoFileObj ---------------------------------------------------------------------

cSayErrorNoFileObj::cSayErrorNoFileObj(short userRefNum, short vRefNum, SInt32 dirID,
                                       const char* fileName, short value1, short value2) {
  StartUpInitialize();
  userRefNum_ = userRefNum;
  vRefNum_ = vRefNum;
  dirID_ = dirID;
  if (fileName != nullptr) {
    std::size_t length = strnlen(fileName, sizeof fileName_ - 1);
    std::memcpy(fileName_, fileName, length);
    fileName_[length] = 0;
  }
  value1_ = value1;
  value2_ = value2;
}

void cSayErrorNoFileObj::StartUpInitialize() {
  userRefNum_ = 0;
  vRefNum_ = 0;
  dirID_ = 0;
  std::memset(fileName_, 0, sizeof fileName_);
  value1_ = 0;
  value2_ = 0;
}

void cSayErrorNoFileObj::SayErrorOccur(short errorNo, sWindowOutputBehavior* /*placement*/,
                                       unsigned char asSheet, OpaqueWindowPtr* window,
                                       tStdSayDlgType alertType, const char* title) {
  if (errorNo == 0) return;
  char number[kSpNumberTextSize];
  Sp_NumberToString(errorNo, number);
  char text[kSpSayErrorLineSize];
  std::snprintf(text, sizeof text, "%s%s%s", kPrefixHead, number, kPrefixTail);
  char message[kSpSayErrorLineSize];
  // A line for the number with an empty message would leave nothing to show (and the dialog
  // refuses an empty text), so the number stays in view then.
  if (LookUp(vRefNum_, dirID_, fileName_, errorNo, message, sizeof message) ==
          LineFound::kMessage &&
      message[0] != 0) {
    std::memcpy(text, message, sizeof text);
  }
  if (asSheet == 0 || window == nullptr) {
    ShowModal(text);
  } else {
    ShowSheet(window, alertType, title, text);
  }
}

unsigned char cSayErrorNoFileObj::GetErrorString(short errorNo, char* text, unsigned long size) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "cSayErrorNoFileObj::GetErrorString", 1, kSpMsgNullArgument,
                           (unsigned char)0);
  }
  if (size == 0) return 0;
  return LookUp(vRefNum_, dirID_, fileName_, errorNo, text, size) == LineFound::kMessage ? 1 : 0;
}

// ---- cSayErrorNoMgr -------------------------------------------------------------------------

cSayErrorNoMgr::~cSayErrorNoMgr() {
  StartUpInitialize();
}

void cSayErrorNoMgr::StartUpInitialize() {
  cSayErrorNoFileObj* item = first_;
  while (item != nullptr) {
    cSayErrorNoFileObj* next = item->GetNextObjectPtr();
    delete item;
    item = next;
  }
  first_ = nullptr;
  last_ = nullptr;
}

void cSayErrorNoMgr::SetupNewErrorFile(short userRefNum, short vRefNum, SInt32 dirID,
                                       const char* fileName, short value1, short value2) {
  cSayErrorNoFileObj* item =
      new (std::nothrow) cSayErrorNoFileObj(userRefNum, vRefNum, dirID, fileName, value1, value2);
  if (item == nullptr) {
    SpReportFailure(kSource, "cSayErrorNoMgr::SetupNewErrorFile", 1, kSpMsgMemory);
    return;
  }
  SpAppendToList(first_, last_, item);
}

cSayErrorNoFileObj* cSayErrorNoMgr::FindFileObj(short userRefNum) const {
  for (cSayErrorNoFileObj* item = first_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetUserRefNum() == userRefNum) return item;
  }
  return nullptr;
}

unsigned char cSayErrorNoMgr::SayErrorOccured(short userRefNum, short errorNo,
                                              sWindowOutputBehavior* placement) {
  cSayErrorNoFileObj* item = FindFileObj(userRefNum);
  if (item == nullptr) return 0;
  item->SayErrorOccur(errorNo, placement, 0, nullptr, kSpStdSayDlgCaution, nullptr);
  return 1;
}

unsigned char cSayErrorNoMgr::SayErrorOccuredBySheetWindow(short userRefNum, short errorNo,
                                                           OpaqueWindowPtr* window,
                                                           tStdSayDlgType alertType,
                                                           const char* title) {
  cSayErrorNoFileObj* item = FindFileObj(userRefNum);
  if (item == nullptr) return 0;
  item->SayErrorOccur(errorNo, nullptr, 1, window, alertType, title);
  return 1;
}

unsigned char cSayErrorNoMgr::GetTargetErrorString(short userRefNum, short errorNo, char* text,
                                                   unsigned long size) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "cSayErrorNoMgr::GetTargetErrorString", 1,
                           kMsgNullArgumentOfManager, (unsigned char)0);
  }
  if (size == 0) return 0;
  text[0] = 0;
  cSayErrorNoFileObj* item = FindFileObj(userRefNum);
  if (item == nullptr) return 0;
  return item->GetErrorString(errorNo, text, size);
}

// ---- The global manager ---------------------------------------------------------------------

void SpSetupSayErrorFileInfo(short userRefNum, short vRefNum, SInt32 dirID, const char* fileName,
                             short value1, short value2) {
  if (gManager == nullptr) {
    gManager = new (std::nothrow) cSayErrorNoMgr();
    if (gManager == nullptr) {
      SpReportFailure(kSource, "SpSetupSayErrorFileInfo", 1, kSpMsgMemory);
      return;
    }
    // From now on a report the error log cannot write is shown through the messages first;
    // its second display stays as it was.
    SpERORSYS_SayDialogProc dialog = nullptr;
    SpERORSYS_GetFailureDisplayProcs(nullptr, &dialog);
    SpERORSYS_SetFailureDisplayProcs(SpSayErrorNoWithDefaultSetup, dialog);
  }
  gManager->SetupNewErrorFile(userRefNum, vRefNum, dirID, fileName, value1, value2);
}

short SpSayErrorNo(short userRefNum, short errorNo, sWindowOutputBehavior* placement) {
  if (gManager == nullptr) return 0;
  return gManager->SayErrorOccured(userRefNum, errorNo, placement);
}

short SpSayErrorNoWithDefaultSetup(short errorNo, sWindowOutputBehavior* placement) {
  return SpSayErrorNo(0, errorNo, placement);
}
