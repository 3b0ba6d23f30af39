// Saving each selected track into a file of its own: one file after the other into the folder
// of the set-up, each started from a timer once the engine has finished the one before, and
// what to do when a name exists.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "Qel_SaveFileNameProcTypeDlg.h"
#include "TevoSaveFileNameDefObj.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpMouseTraceManager.h"
#include "SpNavigationMgrObject.h"
#include "SpProgressBarWinObject.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const char kMsgFolderHoldsName[] = "a folder holds the file's name !! ";

// The next-track timer.
EventLoopTimerRef gNextTrackTimer = nullptr;
EventLoopTimerUPP gNextTrackTimerUPP = nullptr;
unsigned char gNextTrackPaused = 0;

// The name ends in its own extension: "." and three or four more bytes.
bool HasOwnExtension(const char* name) {
  const std::size_t length = std::strlen(name);
  return (length >= 4 && name[length - 4] == '.') || (length >= 5 && name[length - 5] == '.');
}

// The stem a number goes after and the extension that follows it: the extension the written
// name ends in when it is one (letters and digits, a letter among them: ".aif", ".aifc",
// ".mp3"), else the whole name and the file type's extension. A title's own ending such as
// "Op.125" or "._2_0" is no extension to put a number before.
void SplitName(const char* name, const char* typeExtension, std::string& stem,
               std::string& extension) {
  stem = name;
  extension = typeExtension;
  if (!HasOwnExtension(name)) return;
  const std::size_t dot = stem.size() >= 4 && stem[stem.size() - 4] == '.' ? stem.size() - 4
                                                                           : stem.size() - 5;
  bool letter = false;
  for (std::size_t i = dot + 1; i < stem.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(stem[i]);
    if (c >= 0x80 || !std::isalnum(c)) return;
    letter = letter || std::isalpha(c);
  }
  if (!letter) return;
  extension = stem.substr(dot);
  stem.resize(dot);
}

bool UsableEntry(const cCDR_SelectionMediaItem* entry) {
  const cCDR_MediaItem* media = entry->GetMediaItem();
  const cSp_CDRProgramBaseObj* program = media != nullptr ? media->GetProgram() : nullptr;
  return program != nullptr && program->GetItemCount() > 0 && entry->GetProgramItem() != nullptr;
}

bool SameFolder(const FSRef& a, const FSRef& b) {
  return FSCompareFSRefs(&a, &b) == noErr;
}

// What holds a name in a folder.
enum class Holder { kNothing, kFile, kFolder };

Holder HolderOfName(short vRefNum, SInt32 dirID, const char* name) {
  if (!Sp_ExsitTargetDirectory(vRefNum, dirID, name)) return Holder::kNothing;
  return Sp_ExsitTargetFile(vRefNum, dirID, name) ? Holder::kFile : Holder::kFolder;
}

// The sheet after which the put-file dialog comes again.
void SayNameUnusable(WindowRef parent) {
  std::vector<char> title = CDRMM_Writable("ファイルが保存できません。");
  std::vector<char> message =
      CDRMM_Writable("このファイル名では保存ができません。他のファイル名を入力してください");
  std::vector<char> again = CDRMM_Writable("再度設定");
  Sp_SayDialogByModalBySheetAlert(parent, kSpStdSayDlgCaution, title.data(), message.data(),
                                  again.data());
}

}  // namespace

// ---- The command -------------------------------------------------------------------------------

void cCDR_MediaManager::SaveFileInMultiTypeFormatIntoEachFile() {
  static const char kMethod[] = "cCDR_MediaManager::SaveFileInMultiTypeFormatIntoEachFile";
  if (saveRunning != 0) return;
  // A save asked for while files are being added waits until they all are, so that it takes
  // the selection they leave.
  CompletePendingAdds();
  if (firstSelection_ == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  SInt32 tracks = 0;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = e->GetMediaItem() != nullptr ? e->GetMediaItem()->GetProgram()
                                                                  : nullptr;
    if (program == nullptr || program->GetFirstProgramItem() == nullptr) continue;
    tracks += e->IsWholeItem() ? program->GetItemCount() : 1;
  }
  if (tracks == 0) return;
  if (tracks == 1) {
    SaveFileInMultiTypeFormat();
    return;
  }
  if (saveTargetRecordHead_ != nullptr) WipeoutSaveTargetRecordSystemData();
  Sp_DisableMouseTrace();
  RefreshITunesInfo();
  Rect area = {0, 0, 0, 0};
  GetContentAreaOnGlobal(area);
  DisposeCodecSettings();
  bool go = CDRMGR_AskSaveSetup(area, prefStockFile_, speedSetup_, 0xAC440000, 16, 2, saveSetup, 1,
                                short(std::min<SInt32>(tracks, 32767))) != 0 &&
            saveSetup.folderValid != 0;
  // The run walks its own copy of the selection, one entry per track, so that nothing the
  // person does meanwhile changes what it walks.
  if (go) {
    DisposeEachRunSelection();
    eachRunFirst_ = CDRMM_CopySelectionMediaItemList(firstSelection_, 1, &eachRunLast_);
    go = eachRunFirst_ != nullptr;
  }
  if (go) {
    saveFolderRef = saveSetup.folder;
    saveItemCount = tracks;
    saveItemStep = tracks > 100 ? 1 : 100 / tracks;
    saveFileName[0] = 0;
    go = OpenSaveProgressWindow(136, 3, nullptr);
  }
  if (!go) {
    DisposeEachRunSelection();
    eachSaveItem = nullptr;
    eachSaveEntry = nullptr;
    AbandonSaveProgram();
    Sp_EnableMouseTrace(1);
    Sp_SaveModifyPreferenceStock();
    return;
  }
  MarkSaveRunning(1);
  Sp_SaveModifyPreferenceStock();
  eachStartPending_ = 0;
  existingNameAsked = 0;
  existingNameForAll = 0;
  SaveFileInMultiTypeFormatForIntoEachFile_SaveProcedure(1);
}

void cCDR_MediaManager::WipeoutSaveTargetRecordSystemData() {
  SpDeleteList(saveTargetRecordHead_);
  saveTargetRecordHead_ = saveTargetRecordTail_ = nullptr;
}

void cCDR_MediaManager::DisposeEachRunSelection() {
  SpDeleteList(eachRunFirst_);
  eachRunFirst_ = eachRunLast_ = nullptr;
  eachSaveEntry = nullptr;
  eachSaveItem = nullptr;
}

bool cCDR_MediaManager::MoreEachFilesFollow() {
  if (eachSaveEntry == nullptr) return false;
  for (cCDR_SelectionMediaItem* e = eachSaveEntry->GetNextObjectPtr(); e != nullptr;
       e = e->GetNextObjectPtr()) {
    if (UsableEntry(e)) return true;
  }
  return false;
}

void cCDR_MediaManager::SaveFileInMultiTypeFormatForIntoEachFile_SaveProcedure(unsigned char first) {
  for (;;) {
    RestoreEachRunFolder();
    cCDR_SelectionMediaItem* entry = nullptr;
    if (stopAllAnswer == 0 && eachRunFirst_ != nullptr) {
      entry = first != 0 ? eachRunFirst_
                         : (eachSaveEntry != nullptr ? eachSaveEntry->GetNextObjectPtr() : nullptr);
      while (entry != nullptr && !UsableEntry(entry)) entry = entry->GetNextObjectPtr();
    }
    first = 0;
    if (entry == nullptr) break;
    eachSaveEntry = entry;
    eachSaveItem = entry->GetProgramItem();
    const unsigned char more = MoreEachFilesFollow() ? 1 : 0;
    saveFileName[0] = 0;
    SetFileProgressOutputStringObjItemValue(eachSaveItem);
    unsigned char stop = 0;
    if (SaveFileInMultiTypeFormatForIntoEachFile_SaveEachFileProcedure(
            entry->GetMediaItem(), eachSaveItem, more, stop)) {
      return;
    }
    // A track given up counts as done.
    CatchSaveProgressCB(eachSaveItem, 100, 100);
    if (stop != 0) break;
  }
  CatchSaveEndProcCB(saveProgram, 1);
}

unsigned char cCDR_MediaManager::SaveFileInMultiTypeFormatForIntoEachFile_SaveEachFileProcedure(
    cCDR_MediaItem* item, cSp_CDRProgramItemObj* track, unsigned char moreFollow,
    unsigned char& stop) {
  static const char kMethod[] =
      "cCDR_MediaManager::SaveFileInMultiTypeFormatForIntoEachFile_SaveEachFileProcedure";
  stop = 0;
  if (item == nullptr || item->GetProgram() == nullptr || track == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  AbandonSaveProgram();
  saveProgram = item->GetProgram();
  ownsSaveProgram = 0;
  Sp_DisableMouseTrace();
  singleItemSave = 0;
  WindowRef parent = progressWindow != nullptr ? progressWindow->GetWindowRef() : GetWindowRef();
  if (!saveProgram->CheckAllProgramItemLoadPossibility(1, parent)) return 0;
  char name[1024] = "";
  if (!MakeEachFileName(item, track, name, sizeof name)) return 0;
  // The progress window names the file from now on, also while a name that exists is asked
  // about.
  std::snprintf(saveFileName, sizeof saveFileName, "%s", name);
  SetFileProgressOutputStringObjItemValue(track);
  if (!SettleExistingName(track, name, sizeof name, moreFollow, stop)) return 0;
  std::snprintf(saveFileName, sizeof saveFileName, "%s", name);
  saveStopAsked = 0;
  saveProgram->SetupSaveFileErrorManager(&errorNoMgr_);
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  saveProgram->SetupSaveFileProgressCB(CDRMM_CatchSaveProgressCB, self);
  saveProgram->SetupSaveFileEndProcCB(CDRMM_CatchSaveEndProcForMultiInEachCB, self);
  if (progressWindow != nullptr) saveProgram->SetupErrorAlertBaseWindow(progressWindow->GetWindowRef());
  saveProgram->SetupiTunesMusicInfoObjPtr(iTunesInfo_);
  SetFileProgressOutputStringObjItemValue(track);
  eachStartPending_ = 1;
  SpCDRI_EnableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent(this);
  return 1;
}

void cCDR_MediaManager::StartCheckedEachFile() {
  eachStartPending_ = 0;
  unsigned char stop = 0;
  // A stop asked for since the file was checked skips it (and ends the run when all stop).
  if (saveStopAsked == 0 && saveProgram != nullptr && eachSaveItem != nullptr) {
    if (StartEngineSave(eachSaveItem->GetReferenceNo(), kCFStringEncodingMacJapanese)) {
      saveProgram->StartSaveAndPlayEventLoop();
      return;
    }
    TellUnfinishedFile(saveProgram, 1, stop);
  }
  // A track given up counts as done.
  CatchSaveProgressCB(eachSaveItem, 100, 100);
  if (stop != 0) {
    CatchSaveEndProcCB(saveProgram, 1);
    return;
  }
  SaveFileInMultiTypeFormatForIntoEachFile_SaveProcedure(0);
}

// The name is made once, with its extension, and the very name written is the one checked.
bool cCDR_MediaManager::MakeEachFileName(cCDR_MediaItem* item, cSp_CDRProgramItemObj* track,
                                         char* base, SInt32 size) {
  cSp_CDRProgramBaseObj* program = item->GetProgram();
  base[0] = 0;
  if (!CDRMMgr_CreateFileNameFromTargetProgramItem(kTevo_FileNameDefIntoEachFile, item, program,
                                                   track, iTunesInfo_, saveSetup.speed,
                                                   &errorNoMgr_, base, size)) {
    CDRMM_NameFromItemTitle(track, base, size);
  }
  if (base[0] == 0) {
    const char* from = "";
    if (program->IsOneCDRomProgram(nullptr) && track->GetTrackData() != nullptr)
      from = track->GetTrackData()->title;
    std::string fallback = from;
    if (fallback.empty()) {
      fallback = track->GetFileName();
      fallback = fallback.substr(0, fallback.find('.'));
    }
    std::snprintf(base, std::size_t(size), "%s", fallback.c_str());
  }
  // A title or file name taken as it is gets what a definition's name gets: no ':' (a
  // separator of the program's names), control characters or leading dots (a hidden file).
  CDRMMgr_MakeNameSafeForFile(base);
  if (!HasOwnExtension(base)) {
    CDRMM_JoinNameAndExtension(base, size, CDRMM_FileExtensionOfType(saveSetup.fileType));
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  return Sp_GetDirectoryPositionInfoFromFSRef(&saveFolderRef, &vRefNum, &dirID) == noErr;
}

bool cCDR_MediaManager::SettleExistingName(cSp_CDRProgramItemObj* track, char* name, SInt32 size,
                                           unsigned char moreFollow, unsigned char& stop) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  Sp_GetDirectoryPositionInfoFromFSRef(&saveFolderRef, &vRefNum, &dirID);
  const Holder holder = HolderOfName(vRefNum, dirID, name);
  if (holder == Holder::kNothing) return true;
  // A folder is never replaced, whatever was answered for the files before it.
  if (holder == Holder::kFolder) {
    SpReportFailure(kSource, "cCDR_MediaManager::SettleExistingName", 1, kMsgFolderHoldsName);
    AskGoOnWith(SpCDR_MJ("「") + name +
                    SpCDR_MJ("」という名前のフォルダがあるため、このファイルは保存しません。"),
                stop);
    return false;
  }
  if (existingNameAsked == 0 || existingNameForAll == 0) {
    char title[1024] = "";
    GetProgressTitleOfItem(track, title, sizeof title);
    sQel_SaveFileNameProcTypeInfo answer = {};
    unsigned char goOn = 0;
    const short asked = Qel_AskFileSavingMethodForAutoFilingProcess(prefStockFile_, title, name,
                                                                    moreFollow, answer, goOn);
    // A question that could not be shown ends the run; one left without an answer skips the
    // track.
    if (asked == kQel_AskFailed) stop = 1;
    if (asked != kQel_AskAnswered || goOn == 0) return false;
    existingNameMethod = answer.choice;
    existingNameForAll = answer.afterFile;
    existingNameAsked = 1;
  }
  switch (existingNameMethod) {
    case kQel_SaveFileNameAutoNumber: {
      std::string stem, extension;
      SplitName(name, CDRMM_FileExtensionOfType(saveSetup.fileType), stem, extension);
      for (SInt32 n = 1; n < 0x7FFFFFFF; ++n) {
        const std::string digits = std::to_string(n);
        const SInt32 suffix = SInt32(1 + digits.size() + extension.size());
        const SInt32 room = kCDR_MaxFileNameBytes - 1 - suffix;
        stem.resize(std::size_t(SpFileNamePrefixThatFits(stem.c_str(), SInt32(stem.size()),
                                                         room, suffix)));
        const std::string candidate = stem + "_" + digits + extension;
        if (!Sp_ExsitTargetDirectory(vRefNum, dirID, candidate.c_str())) {
          std::snprintf(name, std::size_t(size), "%s", candidate.c_str());
          return true;
        }
      }
      return false;
    }
    case kQel_SaveFileNameDeleteOld:
      // The old file stays until the new one is complete: the engine's end moves it to the
      // Trash as it gives the new file its name, so a save that fails leaves it where it was.
      return true;
    case kQel_SaveFileNameSkipItem:
      return false;
    default:
      return AskNewName(name, size, moreFollow, stop);
  }
}

bool cCDR_MediaManager::AskNewName(char* name, SInt32 size, unsigned char moreFollow,
                                   unsigned char& stop) {
  WindowRef parent = progressWindow != nullptr ? progressWindow->GetWindowRef() : GetWindowRef();
  short vRefNum = 0;
  SInt32 dirID = 0;
  Sp_GetDirectoryPositionInfoFromFSRef(&saveFolderRef, &vRefNum, &dirID);
  const char* extension = CDRMM_FileExtensionOfType(saveSetup.fileType);
  OSType macType = 0;
  SpCDRI_GetOSFileTypeFromSoundFileType(saveSetup.fileType, macType);
  for (;;) {
    auto* dialog = new (std::nothrow) cNavMgrObject(SpFourCC("Zqcd"));
    if (dialog == nullptr) {
      AskErrorGoOn("古いファイルの削除を際にナビゲーションサービスでエラーが発生しました（No.",
                   memFullErr, stop);
      return false;
    }
    std::snprintf(dialog->windowTitle, sizeof dialog->windowTitle, "%s",
                  SpCDR_MJ("保存ファイル設定").c_str());
    std::snprintf(dialog->saveFileName, sizeof dialog->saveFileName, "%s", name);
    dialog->SetupDefaultLocation(vRefNum, dirID, nullptr);
    dialog->parentWindow = parent;
    FSRef chosenFolder = {};
    char chosen[1024] = "";
    unsigned char truncated = 0, replacing = 0;
    const unsigned char saved =
        dialog->NavigatorGetSaveFileForX(SpFourCC("TVOD"), macType, &chosenFolder, chosen,
                                         sizeof chosen, nullptr, &truncated, &replacing);
    delete dialog;
    if (saved == 0 || truncated != 0) return false;
    const std::string confirmed = chosen;
    if (!HasOwnExtension(chosen)) CDRMM_JoinNameAndExtension(chosen, sizeof chosen, extension);
    // The name the file gets must be free, or a file whose replacement the dialog confirmed;
    // a folder, or a file the dialog never asked about (its name took the extension after the
    // dialog), is asked about again.
    short chosenVRefNum = 0;
    SInt32 chosenDirID = 0;
    if (Sp_GetDirectoryPositionInfoFromFSRef(&chosenFolder, &chosenVRefNum, &chosenDirID) != noErr)
      return false;
    const Holder holder = HolderOfName(chosenVRefNum, chosenDirID, chosen);
    const bool free = holder == Holder::kNothing ||
                      (holder == Holder::kFile && replacing != 0 && confirmed == chosen);
    if (!free) {
      SayNameUnusable(parent);
      continue;
    }
    const bool folderChanged = !SameFolder(chosenFolder, saveFolderRef);
    FSRef fileFolder = saveFolderRef;
    if (folderChanged) {
      fileFolder = chosenFolder;
      if (moreFollow != 0) {
        std::vector<char> title = CDRMM_Writable("保存場所の確認");
        std::vector<char> message =
            CDRMM_Writable("保存先が変更されています。以降の保存にも使用しますか？");
        std::vector<char> keep = CDRMM_Writable("以降も使用");
        std::vector<char> cancel = CDRMM_Writable("保存を中止");
        std::vector<char> once = CDRMM_Writable("今回限り使用");
        const short answer =
            SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(),
                                               message.data(), keep.data(), cancel.data(), once.data());
        if (answer == 2 || answer == 0) {
          stop = 1;
          return false;
        }
        if (answer == 1) saveFolderRef = chosenFolder;
      }
    }
    const bool nameChanged = std::strcmp(chosen, name) != 0;
    if (nameChanged || folderChanged || replacing != 0) {
      short fileVRefNum = 0;
      SInt32 fileDirID = 0;
      if (Sp_GetDirectoryPositionInfoFromFSRef(&fileFolder, &fileVRefNum, &fileDirID) != noErr)
        return false;
      // A confirmed replacement keeps the old file until the new one is complete (the
      // engine's end moves it to the Trash).
      std::snprintf(name, std::size_t(size), "%s", chosen);
      // This file only goes to the chosen folder; the run's folder comes back for the next.
      if (!SameFolder(fileFolder, saveFolderRef)) {
        eachFileFolderOnce_ = saveFolderRef;
        eachFileFolderOnceSet_ = 1;
        saveFolderRef = fileFolder;
      }
      return true;
    }
    SayNameUnusable(parent);
  }
}

bool cCDR_MediaManager::AskErrorGoOn(const char* text, OSErr err, unsigned char& stop) {
  std::string message = SpCDR_MJ(text) + std::to_string(err);
  if (message.size() < 1020) {
    char detail[1024] = "";
    errorNoMgr_.GetTargetErrorString(0, err, detail, sizeof detail);
    message += SpCDR_MJ("）") + "\r" + detail;
  } else {
    message += SpCDR_MJ("）");
  }
  return AskGoOnWith(message, stop);
}

bool cCDR_MediaManager::AskGoOnWith(const std::string& explanation, unsigned char& stop) {
  WindowRef parent = progressWindow != nullptr ? progressWindow->GetWindowRef() : GetWindowRef();
  // With no file to follow there is nothing to go on with: the reason is told as a single
  // file's is.
  if (!MoreEachFilesFollow()) {
    SpCDR_ShowAlert(parent, explanation);
    stop = 0;
    return false;
  }
  std::vector<char> body(explanation.begin(), explanation.end());
  body.push_back(0);
  std::vector<char> title = CDRMM_Writable("エラーが発生");
  std::vector<char> next = CDRMM_Writable("次の保存を行う");
  std::vector<char> stopAll = CDRMM_Writable("保存を中止する");
  const short answer = SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(),
                                                        body.data(), next.data(), stopAll.data());
  stop = answer == 1 ? 0 : 1;
  return stop == 0;
}

// ---- Between files -----------------------------------------------------------------------------

void cCDR_MediaManager::RestoreEachRunFolder() {
  if (eachFileFolderOnceSet_ == 0) return;
  saveFolderRef = eachFileFolderOnce_;
  eachFileFolderOnceSet_ = 0;
}

void cCDR_MediaManager::CatchSaveEndProcForMultiInEachCB(cSp_CDRProgramBaseObj* program,
                                                         unsigned char stopped) {
  RestoreEachRunFolder();
  unsigned char stop = 0;
  if (TellUnfinishedFile(program, stopped, stop) && stop != 0) stopAllAnswer = 1;
  NoteSavedFile(program, stopped);
  SpCDRI_EnableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent(this);
}

void cCDR_MediaManager::CatchSaveMultiFileInEach_EventLoopCB() {
  if (eachStartPending_ != 0) return StartCheckedEachFile();
  // A track that ended without reaching its last report still counts as done.
  if (eachSaveItem != nullptr && currentSaveItem == eachSaveItem) CatchSaveProgressCB(eachSaveItem, 100, 100);
  SaveFileInMultiTypeFormatForIntoEachFile_SaveProcedure(0);
}

void CDRMM_CatchSaveEndProcForMultiInEachCB(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                                            unsigned long refCon) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchSaveEndProcForMultiInEachCB"))
    m->CatchSaveEndProcForMultiInEachCB(program, stopped);
}

void SpCDRI_EnableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent(cCDR_MediaManager* manager) {
  if (gNextTrackTimer != nullptr || manager == nullptr) return;
  if (gNextTrackTimerUPP == nullptr)
    gNextTrackTimerUPP = NewEventLoopTimerUPP(SpCDRI_CatchSaveMultiFileInEachLinkCarbonEventIdleEventCB);
  InstallEventLoopTimer(GetMainEventLoop(), 0, kEventDurationMicrosecond, gNextTrackTimerUPP,
                        manager, &gNextTrackTimer);
  manager->nextTrackTimer = gNextTrackTimer;
}

void SpCDRI_DisableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent() {
  if (gNextTrackTimer == nullptr) return;
  RemoveEventLoopTimer(gNextTrackTimer);
  gNextTrackTimer = nullptr;
  if (cCDR_MediaManager* m = CDR_GetMediaManagerPtr()) m->nextTrackTimer = nullptr;
}

void SpCDRI_SaveMultiFileInEachLinkIdleProcedure_PauseStart() {
  gNextTrackPaused = 1;
  SpCDR_HoldStepTimer(gNextTrackTimer, true);
}

void SpCDRI_SaveMultiFileInEachLinkIdleProcedure_PauseEnd() {
  gNextTrackPaused = 0;
  SpCDR_HoldStepTimer(gNextTrackTimer, false);
}

void SpCDRI_CatchSaveMultiFileInEachLinkCarbonEventIdleEventCB(EventLoopTimerRef, void* userData) {
  if (userData == nullptr) return;
  if (gNextTrackPaused != 0) {
    SpCDR_HoldStepTimer(gNextTrackTimer, true);
    return;
  }
  SpCDRI_DisableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent();
  static_cast<cCDR_MediaManager*>(userData)->CatchSaveMultiFileInEach_EventLoopCB();
}
