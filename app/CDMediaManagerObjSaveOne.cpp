// Saving the selection into one file, and what every save shares: the remembered places of the
// file dialogs, the progress window with its texts and bars, the cancel question and the end
// of saving.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "MacMemory.h"
#include "Dialogs.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpMouseTraceManager.h"
#include "SpNavigationMgrObject.h"
#include "SpProgressBarWinObject.h"
#include "SpQTMusicInfo.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpStdSayDialog.h"
#include "SpStringView.h"
#include "SpViewClass.h"
#include "SpiTunesMusicInfoObject.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const char kMsgFileNotSaved[] = "the file was not saved !! ";

// The progress window's text items: label item, value item and the label's string (list
// 5023), in the order of the views.
struct ProgressPair {
  short label, value, string;
};
const ProgressPair kProgressPairs[kCDR_ProgressTextPairs] = {
    {4, 3, 7}, {7, 8, 8}, {9, 10, 1}, {5, 6, 2}, {11, 12, 3}, {15, 16, 4}, {13, 14, 5}, {17, 18, 6},
};
enum : short {
  kOverallBar = 2,
  kItemBar = 19,
  kProgressOneItem = 135,
  kProgressSeveralItems = 136,
};

// Mouse tracing stays off while a save is set up, and comes back on every way out.
struct MouseTraceOff {
  MouseTraceOff() { Sp_DisableMouseTrace(); }
  ~MouseTraceOff() { Sp_EnableMouseTrace(1); }
  MouseTraceOff(const MouseTraceOff&) = delete;
  MouseTraceOff& operator=(const MouseTraceOff&) = delete;
};

std::string ResourceString(short list, short index) {
  char text[256] = "";
  if (!Sp_GetResourceIndexString(text, list, index)) text[0] = 0;
  return text;
}

bool IsMovieType(tCDRISoundFileType type) {
  return type == kSpCDRISoundFileTypeMovie || type == kSpCDRISoundFileTypeMovieNoCompress;
}

// An AIFF-C set-up the plain writer takes: uncompressed big-endian 16-bit at 44.1 kHz.
bool IsPlainAIFFC(const sCDR_SaveSetupInfo& setup) {
  return (setup.compressionType == SpFourCC("NONE") || setup.compressionType == SpFourCC("twos")) &&
         setup.sampleRate == 0xAC440000 && setup.sampleSize == 16;
}

}  // namespace

// A MacJapanese text the say dialogs may take as char*.
std::vector<char> CDRMM_Writable(const char* utf8) {
  const std::string text = SpCDR_MJ(utf8);
  std::vector<char> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

namespace {

cCDR_MediaManager* Manager(unsigned long refCon, const char* method) {
  return CDRMM_ManagerOfRefCon(refCon, method);
}

}  // namespace

// ---- Names ---------------------------------------------------------------------------------

const char* CDRMM_FileExtensionOfType(tCDRISoundFileType type) {
  if (type == kSpCDRISoundFileTypeWAVE) return ".wav";
  if (IsMovieType(type)) return ".mov";
  return ".aif";
}

void CDRMM_JoinNameAndExtension(char* base, SInt32 size, const char* extension) {
  const SInt32 extLength = SInt32(std::strlen(extension));
  // The base is cut to what a file name holds with the extension, here and as stored on
  // disk, where a Japanese title takes half as many bytes again.
  const SInt32 baseLength = SInt32(std::strlen(base));
  const SInt32 fits =
      SpFileNamePrefixThatFits(base, baseLength, kCDR_MaxFileNameBytes - extLength, extLength);
  if (fits < baseLength) {
    base[fits] = '\0';
  } else if (base[0] == 0) {
    std::snprintf(base, std::size_t(size), "%s", SpCDR_MJ("名称未設定").c_str());
  }
  const std::size_t length = std::strlen(base);
  std::snprintf(base + length, std::size_t(size) - length, "%s", extension);
}

void CDRMM_NameFromItemTitle(cSp_CDRProgramItemObj* item, char* name, SInt32 size) {
  char title[1024] = "";
  if (item->GetMusicTitleForSaveFile(title, sizeof title, nullptr) && title[0] != 0) {
    Sp_GetNotContainFileExtendFileName(title, name);
  } else {
    std::snprintf(name, std::size_t(size), "%s%d", ResourceString(kCDR_UntitledStrings, 1).c_str(),
                  int(item->GetReferenceNo()));
  }
}

// ---- Remembered places of the file dialogs ---------------------------------------------------

void CDRMM_StockFileDialogInfo(cPrefStockFileObj* stock, UInt32 folderKey, UInt32 positionKey,
                               const sCDR_SaveFileDlgInfo& info) {
  if (stock == nullptr || (info.folderValid == 0 && info.positionValid == 0)) return;
  cPrefStockData* group = stock->GetTargetStockDataItemInPrefTopDataList(kCDR_WindowGroup, 1, 1);
  cPrefStockData* places =
      group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(kCDR_FileDialogGroup, 1)
                       : nullptr;
  if (places == nullptr) return;
  if (info.folderValid != 0) {
    if (cPrefStockData* item = places->GetTargetStockDataItemInUnderDataListByIdType(folderKey, 1)) {
      sPerfFileDirInfo folder = {};
      folder.vRefNum = info.vRefNum;
      folder.dirID = info.dirID;
      std::snprintf(folder.name, sizeof folder.name, "%s", info.fileName);
      item->SetupFileDirInfoData(&folder, 1);
    }
  }
  if (info.positionValid != 0) {
    if (cPrefStockData* item = places->GetTargetStockDataItemInUnderDataListByIdType(positionKey, 1))
      item->SetupPointData(info.position, 1);
  }
  Sp_SaveModifyPreferenceStock();
}

void CDRMM_GetFileDialogStockedInfo(cPrefStockFileObj* stock, UInt32 folderKey,
                                    UInt32 positionKey, sCDR_SaveFileDlgInfo& info) {
  info.folderValid = info.positionValid = 0;
  if (stock == nullptr) return;
  cPrefStockData* group = stock->GetTargetStockDataItemInPrefTopDataList(kCDR_WindowGroup, 1, 0);
  cPrefStockData* places =
      group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(kCDR_FileDialogGroup, 0)
                       : nullptr;
  if (places == nullptr) return;
  sPerfFileDirInfo folder = {};
  cPrefStockData* item = places->GetTargetStockDataItemInUnderDataListByIdType(folderKey, 0);
  if (item != nullptr && item->GetFileDirInfoData(folder)) {
    info.folderValid = 1;
    info.vRefNum = folder.vRefNum;
    info.dirID = folder.dirID;
    std::snprintf(info.fileName, sizeof info.fileName, "%s", folder.name);
  }
  item = places->GetTargetStockDataItemInUnderDataListByIdType(positionKey, 0);
  if (item != nullptr && item->GetPointData(info.position)) info.positionValid = 1;
}

// ---- The command -------------------------------------------------------------------------------

bool cCDR_MediaManager::IsSaveRunning() const {
  return saveRunning != 0;
}

void cCDR_MediaManager::AbandonSaveProgram() {
  if (saveProgram != nullptr && ownsSaveProgram != 0) Sp_CDDisposeProgram(saveProgram);
  saveProgram = nullptr;
  ownsSaveProgram = 0;
}

Handle cCDR_MediaManager::CopyOfCodecSettings() const {
  Handle copy = saveSetup.codecSettings;
  if (copy != nullptr && HandToHand(&copy) != noErr) copy = nullptr;
  return copy;
}

void cCDR_MediaManager::DisposeCodecSettings() {
  if (saveSetup.codecSettings != nullptr) DisposeHandle(saveSetup.codecSettings);
  saveSetup.codecSettings = nullptr;
}

void cCDR_MediaManager::MarkSaveRunning(unsigned char eachFile) {
  currentSaveItem = nullptr;
  saveCancelAsks = 1;
  stopAllAnswer = 0;
  saveStopAsked = 0;
  saveItemIndex = 0;
  saveItemBase = 0;
  saveRunning = 1;
  eachFileMode = eachFile;
  SetupMediaWindowStatusForMediaListSelection(1, 1);
}

void cCDR_MediaManager::SaveFileInMultiTypeFormat() {
  static const char kMethod[] = "cCDR_MediaManager::SaveFileInMultiTypeFormat";
  if (saveRunning != 0) return;
  // A save asked for while files are being added waits until they all are, so that it takes
  // the selection they leave.
  CompletePendingAdds();
  if (firstSelection_ == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  AbandonSaveProgram();
  MouseTraceOff traceOff;
  OneFileChoice choice;
  if (!ChooseOneFileProgram(choice)) return;
  saveProgram = choice.program;
  ownsSaveProgram = choice.owned;
  if (!saveProgram->CheckAllProgramItemLoadPossibility(1, GetWindowRef())) {
    AbandonSaveProgram();
    return;
  }
  Rect area = {0, 0, 0, 0};
  GetContentAreaOnGlobal(area);
  DisposeCodecSettings();
  if (!CDRMGR_AskSaveSetup(area, prefStockFile_, speedSetup_, 0xAC440000, 16, choice.channels,
                           saveSetup, 0, short(std::min<SInt32>(choice.tracks, 32767)))) {
    AbandonSaveProgram();
    return;
  }
  // A compressed AIFF-C goes to the AIFF-C writer, which takes only what it can convert.
  if (choice.wantsTags) RefreshITunesInfo();
  char name[1024] = "";
  MakeOneFileName(choice, name, sizeof name);
  if (!AskSavePlace(name)) {
    AbandonSaveProgram();
    return;
  }
  saveProgram->ClearPlayProgramItem();
  if (choice.item != nullptr) {
    saveProgram->SetupPlayProgramItemPtr(choice.item);
  } else {
    saveProgram->SetupAllItemIntoPlayProgramItem();
  }
  const short dialog = singleItemSave != 0 ? kProgressOneItem : kProgressSeveralItems;
  if (!OpenSaveProgressWindow(dialog, choice.tracks <= 1 ? 1 : 2,
                              choice.item != nullptr ? choice.item : choice.firstItem)) {
    AbandonSaveProgram();
    return;
  }
  saveProgram->SetupSaveFileErrorManager(&errorNoMgr_);
  saveProgram->SetupSaveFileProgressCB(CDRMM_CatchSaveProgressCB, reinterpret_cast<unsigned long>(this));
  saveProgram->SetupSaveFileEndProcCB(CDRMM_CatchSaveEndProcCB, reinterpret_cast<unsigned long>(this));
  MarkSaveRunning(0);
  const SInt32 reference = choice.item != nullptr ? choice.item->GetReferenceNo() : -1;
  const SInt32 count = choice.item != nullptr ? 1 : std::max<SInt32>(saveProgram->GetItemCount(), 1);
  saveProgram->SetupiTunesMusicInfoObjPtr(iTunesInfo_);
  if (!StartEngineSave(reference, saveNameEncoding_)) {
    CatchSaveEndProcCB(saveProgram, 1);
    return;
  }
  saveItemCount = count;
  saveItemStep = 100 / count;
  saveProgram->StartSaveAndPlayEventLoop();
}

// Counts the selection and picks the program to save, its one item (null: the whole program),
// the channel default and whether the tags want the library; false when there is nothing to
// save.
bool cCDR_MediaManager::ChooseOneFileProgram(OneFileChoice& choice) {
  cCDR_SelectionMediaItem* first = nullptr;
  SInt32 entries = 0, wholeEntries = 0, wholeTracks = 0;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->GetMediaItem() == nullptr && e->GetProgramItem() == nullptr) continue;
    if (first == nullptr) first = e;
    if (e->GetMediaItem() != first->GetMediaItem()) {
      choice.spansItems = true;
      break;
    }
    if (e->GetProgramItem() != nullptr) {
      ++entries;
      ++choice.tracks;
    } else {
      cSp_CDRProgramBaseObj* program = e->GetMediaItem()->GetProgram();
      if (program == nullptr || program->GetItemCount() < 1) continue;
      ++entries;
      ++wholeEntries;
      choice.tracks += program->GetItemCount();
      wholeTracks += program->GetItemCount();
    }
  }
  if (choice.spansItems) entries = std::max<SInt32>(entries, 2);
  if (entries == 0 || (entries == wholeEntries && wholeTracks == 0)) return false;
  choice.entry = first;
  singleItemSave = 1;
  choice.channels = 2;
  if (entries > 1) {
    choice.program = CreateProgramBaseFromSelection();
    if (choice.program == nullptr) return false;
    choice.owned = 1;
    choice.firstItem = choice.program->GetFirstProgramItem();
    choice.wantsTags = true;
    singleItemSave = 0;
    choice.tracks = std::max<SInt32>(choice.tracks, choice.program->GetItemCount());
    return choice.firstItem != nullptr;
  }
  cCDR_MediaItem* media = first->GetMediaItem();
  cSp_CDRProgramBaseObj* program = media != nullptr ? media->GetProgram() : nullptr;
  if (program == nullptr) return false;
  choice.program = program;
  if (first->GetProgramItem() != nullptr || wholeTracks <= 1) {
    choice.item = first->GetProgramItem() != nullptr ? first->GetProgramItem()
                                                      : program->GetFirstProgramItem();
    if (choice.item == nullptr) return false;
    choice.firstItem = choice.item;
    if (choice.item->GetItemType() == kSpCDRProgItemCDTrack) {
      choice.wantsTags = true;
    } else {
      choice.channels = FileChannelsOf(choice.item);
    }
    return true;
  }
  choice.firstItem = program->GetFirstProgramItem();
  choice.wholeItem = true;
  if (!program->IsOneFileProgram(nullptr, nullptr)) {
    choice.wantsTags = true;
    singleItemSave = 0;
  } else {
    choice.channels = FileChannelsOf(choice.firstItem);
  }
  return choice.firstItem != nullptr;
}

short cCDR_MediaManager::FileChannelsOf(cSp_CDRProgramItemObj* item) const {
  cSp_QTFileDataObj* file = item != nullptr ? item->GetQTFileMedia() : nullptr;
  if (file == nullptr) return 2;
  sSpMusicFileInfo info = {};
  file->GetMusicInfo(info);
  return info.format.numChannels > 0 ? short(info.format.numChannels) : 2;
}

void cCDR_MediaManager::RefreshITunesInfo() {
  if (iTunesInfo_ == nullptr) {
    iTunesInfo_ = SpiTM_CreateITunesMusicInfo(1);
  } else {
    iTunesInfo_->CheckITunesMusicInfoFileModifyAndReLoadData();
  }
}

void cCDR_MediaManager::MakeOneFileName(const OneFileChoice& choice, char* name, SInt32 size) {
  name[0] = 0;
  cCDR_MediaItem* media = choice.entry->GetMediaItem();
  if (choice.item != nullptr) {
    if (!CDRMMgr_CreateFileNameFromTargetProgramItem(kTevo_FileNameDefIntoOneFile, media,
                                                     choice.program, choice.item, iTunesInfo_,
                                                     saveSetup.speed, &errorNoMgr_, name, size)) {
      CDRMM_NameFromItemTitle(choice.item, name, size);
    }
  } else if (choice.wholeItem && choice.program->IsOneFileProgram(nullptr, nullptr)) {
    cSp_QTFileDataObj* file = choice.firstItem->GetQTFileMedia();
    const char* from = file != nullptr ? file->GetTitle() : "";
    if (from[0] == 0) from = choice.firstItem->GetTitle();
    if (from[0] == 0) from = choice.firstItem->GetFileName();
    char whole[1024] = "";
    std::snprintf(whole, sizeof whole, "%s", from);
    Sp_GetNotContainFileExtendFileName(whole, name);
  } else if (choice.spansItems) {
    std::snprintf(name, std::size_t(size), "%s", SpCDR_MJ("名称未設定").c_str());
  } else {
    cSp_CDRomMediaDataObj* cd = nullptr;
    if (choice.program->IsOneCDRomProgram(&cd) && cd != nullptr) cd->GetCDTitle(name, size, nullptr);
    if (name[0] == 0 && media != nullptr) std::snprintf(name, std::size_t(size), "%s", media->GetName());
  }
  CDRMMgr_MakeNameSafeForFile(name);
  CDRMM_JoinNameAndExtension(name, size, CDRMM_FileExtensionOfType(saveSetup.fileType));
}

bool cCDR_MediaManager::AskSavePlace(const char* defaultName) {
  static const char kMethod[] = "cCDR_MediaManager::AskSavePlace";
  sCDR_SaveFileDlgInfo place = {};
  CDRMM_GetFileDialogStockedInfo(prefStockFile_, kCDR_SaveDialogFolderKey,
                                 kCDR_SaveDialogPositionKey, place);
  SInt32 visible = 0;
  if (place.folderValid != 0 && !Sp_GetVisibleFolder(place.vRefNum, place.dirID, visible))
    place.folderValid = 0;
  if (place.positionValid == 0) place.position = Point{-1, -1};
  auto* dialog = new (std::nothrow) cNavMgrObject(SpFourCC("Zqcd"));
  if (dialog == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgMemory);
    SpCDR_ShowAlert(GetWindowRef(),
                    SpCDR_MJ("ナビゲーション・サービスが利用できません。処理を中止します"));
    return false;
  }
  std::snprintf(dialog->saveFileName, sizeof dialog->saveFileName, "%s", defaultName);
  std::snprintf(dialog->windowTitle, sizeof dialog->windowTitle, "%s",
                SpCDR_MJ("保存ファイル設定").c_str());
  if (place.folderValid != 0) dialog->SetupDefaultLocation(place.vRefNum, place.dirID, nullptr);
  if (place.positionValid != 0) dialog->SetupWindowPosition(place.position.h, place.position.v);
  dialog->parentWindow = GetWindowRef();
  OSType macType = 0;
  SpCDRI_GetOSFileTypeFromSoundFileType(saveSetup.fileType, macType);
  unsigned char truncated = 0;
  saveFileName[0] = 0;
  saveNameEncoding_ = 0;
  const unsigned char chosen =
      dialog->NavigatorGetSaveFileForX(SpFourCC("TVOD"), macType, &saveFolderRef, saveFileName,
                                       sizeof saveFileName, &saveNameEncoding_, &truncated, nullptr);
  if (chosen == 0 || truncated != 0) {
    CDRMM_StockFileDialogInfo(prefStockFile_, kCDR_SaveDialogFolderKey, kCDR_SaveDialogPositionKey,
                              place);
    delete dialog;
    return false;
  }
  delete dialog;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (Sp_GetDirectoryPositionInfoFromFSRef(&saveFolderRef, &vRefNum, &dirID) == noErr) {
    place.folderValid = 1;
    place.vRefNum = vRefNum;
    place.dirID = dirID;
    const bool fits = std::strlen(saveFileName) <= 255;
    place.fileName[0] = 0;
    if (fits) std::memcpy(place.fileName, saveFileName, std::strlen(saveFileName) + 1);
    CDRMM_StockFileDialogInfo(prefStockFile_, kCDR_SaveDialogFolderKey, kCDR_SaveDialogPositionKey,
                              place);
  }
  return true;
}

bool cCDR_MediaManager::OpenSaveProgressWindow(short dialog, short titleIndex,
                                               cSp_CDRProgramItemObj* firstItem) {
  auto* window = new (std::nothrow) cSp_ProgressBarWin(dialog, kOverallBar, 1, 100);
  if (window == nullptr || window->GetWindowRef() == nullptr) {
    delete window;
    return false;
  }
  progressWindow = window;
  InitialSetupFileProgressOutputStringObjItem();
  if (saveProgram != nullptr) saveProgram->SetupErrorAlertBaseWindow(window->GetWindowRef());
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  SInt32 moveRef = 0;
  window->SetupMoveProc(CDRMM_CatchMoveProgressWindowCB, self, moveRef);
  window->SetupCancelButtonProc(CDRMM_CatchProgressBarDlgCancelButtonCB, self);
  PlaceProgressWindow();
  window->SetupModalDialogFlag(1);
  window->SetupTargetProgresControlMinValue(kOverallBar, 0);
  if (dialog == kProgressSeveralItems) {
    window->SetupTargetProgresControlMinValue(kItemBar, 0);
    window->SetupTargetProgresControlMaxValue(kItemBar, 100);
    window->SetupTargetProgresControlCurrentValue(kItemBar, 0);
  }
  itemBarValue = 0;
  totalBarValue = 0;
  SetFileProgressOutputStringObjItemValue(firstItem);
  window->Open(1, nullptr);
  window->SetTitle(ResourceString(kCDR_ProgressTitleStrings, titleIndex).c_str());
  return true;
}

void cCDR_MediaManager::PlaceProgressWindow() {
  if (prefStockFile_ == nullptr || progressWindow == nullptr) return;
  cPrefStockData* group =
      prefStockFile_->GetTargetStockDataItemInPrefTopDataList(kCDR_ProgressGroup, 1, 0);
  cPrefStockData* item =
      group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(kCDR_PositionKey, 0)
                       : nullptr;
  Point stored = {0, 0};
  if (item == nullptr || !item->GetPointData(stored)) return;
  short width = 0, height = 0;
  progressWindow->GetSize(&width, &height);
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  const Rect target = {short(screen.top + 55), short(screen.left + 10), short(screen.bottom - 55),
                       short(screen.right - 10)};
  const Rect wanted = {stored.v, stored.h, short(stored.v + height), short(stored.h + width)};
  Rect placed = wanted;
  Sp_MoveAreaInTargetArea(target, wanted, placed, kSpPositionLeft, kSpPositionCenter);
  progressWindow->Move(placed.left, placed.top, 0);
}

bool cCDR_MediaManager::StartEngineSave(SInt32 reference, UInt32 nameEncoding) {
  const sCDR_SaveSetupInfo& s = saveSetup;
  if (IsMovieType(s.fileType)) {
    SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseEnd();
    SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    return saveProgram->SaveTargetProgItemIntoQuickTimeFile(
        reference, &saveFolderRef, saveFileName, nameEncoding, s.fileType, s.compressionType,
        s.sampleRate, s.sampleSize, s.channels, CopyOfCodecSettings(), s.speed, nullptr, 0);
  }
  if (s.fileType == kSpCDRISoundFileTypeAIFC && !IsPlainAIFFC(s)) {
    short vRefNum = 0;
    SInt32 dirID = 0;
    if (Sp_GetDirectoryPositionInfoFromFSRef(&saveFolderRef, &vRefNum, &dirID) != noErr) return false;
    SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseEnd();
    SpCDRI_EnableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
    return saveProgram->SaveTargetProgItemIntoAIFFC_File(
        reference, vRefNum, dirID, saveFileName, SpFourCC("TVOD"), s.fileType, s.compressionType,
        s.sampleRate, s.sampleSize, s.channels, CopyOfCodecSettings(), s.speed, nullptr, 0);
  }
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
  SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
  return saveProgram->SaveTargetProgItem(reference, &saveFolderRef, saveFileName, nameEncoding,
                                         SpFourCC("TVOD"), s.fileType, s.speed, s.channels,
                                         nullptr, 0);
}

// ---- Progress texts ----------------------------------------------------------------------------

void cCDR_MediaManager::InitialSetupFileProgressOutputStringObjItem() {
  if (progressWindow == nullptr) return;
  DialogRef dialog = progressWindow->GetDialogRef();
  WindowRef window = progressWindow->GetWindowRef();
  if (dialog == nullptr) return;
  const RGBColor shadow = {0xCCCC, 0xCCCC, 0xCCCC};
  for (short pair = 0; pair < kCDR_ProgressTextPairs; ++pair) {
    const bool large = pair < 2;
    Rect labelRect = {0, 0, 0, 0}, valueRect = {0, 0, 0, 0};
    DialogItemType type = 0;
    Handle handle = nullptr;
    GetDialogItem(dialog, kProgressPairs[pair].label, &type, &handle, &labelRect);
    GetDialogItem(dialog, kProgressPairs[pair].value, &type, &handle, &valueRect);
    const std::string label = ResourceString(kCDR_ProgressLabelStrings, kProgressPairs[pair].string);
    auto* labelView = new (std::nothrow) cSp_StringView(window, labelRect, nullptr,
                                                        large ? 12 : 10, nullptr, 0);
    auto* valueView = new (std::nothrow) cSp_StringView(window, valueRect, nullptr,
                                                        large ? 12 : 10, nullptr, 0);
    progressTexts[2 * pair] = labelView;
    progressTexts[2 * pair + 1] = valueView;
    if (labelView == nullptr || valueView == nullptr) continue;
    labelView->SetString(label.c_str(), 0);
    valueView->SetTextOutput_H_PositionType(kSpPositionLeft, 0);
    if (large) {
      for (cSp_StringView* view : {labelView, valueView}) {
        view->SetNewTextStyle(bold, 0);
        view->SetupShadowStringColor(&shadow, 0);
        view->SetupShadowFlag(1, 0);
      }
      labelView->SetTextOutput_H_PositionType(kSpPositionLeft, 0);
      // The value starts where its label's text ends.
      const short labelEnd = short(labelRect.left + labelView->GetCurrentStringWidth() + 4);
      const Rect valueArea = {labelRect.top, labelEnd, labelRect.bottom,
                              std::max<short>(valueRect.right, short(labelEnd + 1))};
      valueView->ResizeViewArea(valueArea, 0, 0);
      valueView->SetString(ResourceString(kCDR_ProgressLabelStrings, 1).c_str(), 0);
      valueView->SetupModifyStringWidthParam(0x4000, nullptr, 1, 0);
    } else {
      labelView->SetTextOutput_H_PositionType(kSpPositionRight, 0);
    }
  }
}

void cCDR_MediaManager::GetProgressTitleOfItem(cSp_CDRProgramItemObj* item, char* text,
                                               SInt32 size) const {
  text[0] = 0;
  if (item == nullptr) return;
  if (item->GetItemType() == kSpCDRProgItemCDTrack) {
    if (item->GetCDMedia() != nullptr && item->GetCDDBTrackSongTitle(text, size, nullptr) &&
        text[0] != 0) {
      return;
    }
    std::snprintf(text, std::size_t(size), "%s%d", ResourceString(kCDR_UntitledStrings, 1).c_str(),
                  int(item->GetReferenceNo()));
    return;
  }
  const char* name = item->GetTitle()[0] != 0 ? item->GetTitle() : item->GetFileName();
  std::snprintf(text, std::size_t(size), "%s", name);
}

void cCDR_MediaManager::SetFileProgressOutputStringObjItemValue(cSp_CDRProgramItemObj* item) {
  auto set = [&](short pair, const std::string& text) {
    if (cSp_StringView* view = progressTexts[2 * pair + 1]) view->SetString(text.c_str(), 1);
  };
  const sCDR_SaveSetupInfo& s = saveSetup;
  if (item != nullptr) {
    char title[1024] = "";
    GetProgressTitleOfItem(item, title, sizeof title);
    set(0, title);
  }
  set(1, saveFileName);
  set(2, CDRMM_FormatLabelOfType(s.fileType));
  char number[64] = "";
  Sp_FloatToString2(s.speed, number, 1, 2);
  set(3, std::string(number) + SpCDR_MJ(" 倍速"));
  set(4, SpCDR_MJ(s.channels == 1 ? "モノラル" : s.channels == 2 ? "ステレオ" : "マルチトラック"));
  float khz = float(s.sampleRate) / 65536.0f;
  if (khz != 0) khz /= 1000.0f;
  Sp_FloatToString2(khz, number, 3, 3);
  set(5, std::string(number) + " kHz");
  set(6, std::to_string(s.sampleSize));
  const bool plain = s.fileType == kSpCDRISoundFileTypeAIFF || s.fileType == kSpCDRISoundFileTypeWAVE ||
                     s.fileType == kSpCDRISoundFileTypeMovieNoCompress ||
                     s.compressionType == SpFourCC("NONE") || s.compressionType == SpFourCC("twos");
  std::string compression = SpCDR_MJ("なし");
  if (!plain) {
    Str255 pname = {0};
    if (GetCompressionName(s.compressionType, pname) == noErr && pname[0] != 0) {
      compression.assign(reinterpret_cast<const char*>(pname + 1), pname[0]);
    } else {
      compression = SpCDR_MJ("未知のタイプ");
    }
  }
  set(7, compression);
}

void cCDR_MediaManager::DisposeFileProgressOutputStringObjItem() {
  for (cSp_StringView*& view : progressTexts) {
    delete view;
    view = nullptr;
  }
}

const char* CDRMM_FormatLabelOfType(tCDRISoundFileType type) {
  if (type == kSpCDRISoundFileTypeAIFF) return "AIFF";
  if (type == kSpCDRISoundFileTypeWAVE) return "WAVE";
  if (type == kSpCDRISoundFileTypeAIFC) return "AIFF-C";
  if (IsMovieType(type)) return "QuickTime";
  return "Undefine";
}

// ---- Progress, cancel, end ---------------------------------------------------------------------

void cCDR_MediaManager::CatchSaveProgressCB(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done) {
  if (progressWindow == nullptr) return;
  const bool several = singleItemSave == 0;
  bool changed = false;
  if (item != currentSaveItem) {
    if (currentSaveItem != nullptr) {
      ++saveItemIndex;
      saveItemBase += saveItemStep;
    }
    SetFileProgressOutputStringObjItemValue(item);
    currentSaveItem = item;
    if (several) {
      progressWindow->SetupTargetProgresControlCurrentValue(kItemBar, 0);
      itemBarValue = 0;
    }
    changed = true;
  }
  SInt32 overall = 0;
  if (total <= 0 || done >= total) {
    overall = saveItemBase + saveItemStep;
  } else {
    overall = SInt32(float(done) / float(total) * float(saveItemStep)) + saveItemBase;
  }
  overall = std::clamp<SInt32>(overall, 0, 100);
  if (several) {
    SInt32 itemValue = 0;
    if (done > 0) itemValue = total > 0 ? SInt32(float(done) / float(total) * 100.0f) : 100;
    itemValue = std::clamp<SInt32>(itemValue, 0, 100);
    if (itemValue != itemBarValue) {
      itemBarValue = short(itemValue);
      progressWindow->SetupTargetProgresControlCurrentValue(kItemBar, itemBarValue);
      changed = true;
    }
    if (overall < 100 && itemValue == 100 && saveItemCount <= saveItemIndex + 1) overall = 100;
  }
  if (overall != totalBarValue) {
    totalBarValue = short(overall);
    progressWindow->SetupCurrentValue(totalBarValue);
    changed = true;
  }
  if (changed) Sp_RedrawViewWindow(progressWindow->GetWindowRef(), 0);
}

// The writing pauses while the question is up, so that no step runs meanwhile.
unsigned char cCDR_MediaManager::CatchProgressBarDlgCancelButtonCB() {
  if (saveProgram == nullptr) {
    return SpReportFailure(kSource, "cCDR_MediaManager::CatchProgressBarDlgCancelButtonCB", 1,
                           kSpMsgDataError, (unsigned char)1);
  }
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseStart();
  SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseStart();
  SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseStart();
  if (eachFileMode != 0) SpCDRI_SaveMultiFileInEachLinkIdleProcedure_PauseStart();
  WindowRef parent = progressWindow != nullptr ? progressWindow->GetWindowRef() : GetWindowRef();
  std::vector<char> title = CDRMM_Writable("保存の中止");
  std::vector<char> message = CDRMM_Writable("保存の中止が指示されました。中止してよろしいですか？");
  std::vector<char> keepOn = CDRMM_Writable("そのまま続ける");
  short answer = 0;
  if (eachFileMode != 0 && saveItemIndex + 1 < saveItemCount) {
    std::vector<char> stopAll = CDRMM_Writable("全ての保存を中止する");
    std::vector<char> next = CDRMM_Writable("次の保存を実行");
    answer = SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(),
                                                message.data(), stopAll.data(), keepOn.data(),
                                                next.data());
  } else {
    std::vector<char> stop = CDRMM_Writable("保存を中止する");
    answer = SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgCaution, title.data(),
                                              message.data(), stop.data(), keepOn.data());
  }
  unsigned char result = 0;
  if (answer == 1 || answer == 3) {
    stopAllAnswer = answer == 1 ? 1 : 0;
    saveStopAsked = 1;
    // Between the files of a run into each file the request is dropped by the next file's
    // start; the run itself ends at the next track.
    saveProgram->StopSaveProgram();
    result = 1;
  }
  SpCDRI_PlayAndWriteIntoPureFileEventIdleProcedure_PauseEnd();
  SpCDRI_WriteIntoQuickTimeFileEventIdleProcedure_PauseEnd();
  SpCDRI_WriteIntoAIFFC_EventIdleProcedure_PauseEnd();
  if (eachFileMode != 0) SpCDRI_SaveMultiFileInEachLinkIdleProcedure_PauseEnd();
  return result;
}

void cCDR_MediaManager::CatchSaveEndProcCB(cSp_CDRProgramBaseObj* program, unsigned char stopped) {
  // The end of a run into each file told (and noted) each of its files already.
  unsigned char stop = 0;
  if (eachFileMode == 0) {
    TellUnfinishedFile(program, stopped, stop);
    NoteSavedFile(program, stopped);
  }
  DisposeFileProgressOutputStringObjItem();
  delete progressWindow;
  progressWindow = nullptr;
  saveRunning = 0;
  eachFileMode = 0;
  SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
  SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
  SpCDRI_DisableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
  SpCDRI_DisableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent();
  DisposeEachRunSelection();
  RenewSavedListedFiles();
  // CDs that came or went while the save ran are taken in now that nothing of theirs is in use.
  ApplyDeferredMediaChanges();
  SetupMediaWindowStatusForMediaListSelection(1, 0);
  Sp_EnableMouseTrace(1);
}

void cCDR_MediaManager::NoteSavedFile(cSp_CDRProgramBaseObj* program, unsigned char stopped) {
  if (program == nullptr || stopped != 0) return;
  // The file as the add dialog would name it, which is how its listed row knows it.
  const sSpCDRSaveTarget& target = program->GetSaveTarget();
  FSRef file;
  FSSpec spec;
  if (Sp_GetFSRefFromDirectoryFSRefAndLongFileName(&target.folder, target.finalName,
                                                   target.nameEncoding, &file) != noErr ||
      FSGetCatalogInfo(&file, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr) {
    return;
  }
  savedFiles_.insert(FileKey(
      spec.vRefNum, spec.parID,
      std::string(reinterpret_cast<const char*>(spec.name + 1), spec.name[0])));
}

void cCDR_MediaManager::RenewSavedListedFiles() {
  std::unordered_set<std::string> keys;
  keys.swap(savedFiles_);
  if (keys.empty()) return;
  bool renewed = false;
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    if (program == nullptr || !program->IsOneFileProgram(nullptr, nullptr)) continue;
    cSp_CDRProgramItemObj* first = program->GetFirstProgramItem();
    if (first == nullptr ||
        keys.count(FileKey(first->GetVolumeRefNum(), first->GetDirID(), first->GetFileName())) ==
            0) {
      continue;
    }
    // A file that can no longer be read keeps its row as it was.
    unsigned char error = 0;
    renewed = first->RenewSoundFile(&error) || renewed;
  }
  if (!renewed) return;
  SetupMediaListInfoItem(0, 1, 1, 0, 1, 0, 0, 1);
  if (!StartListSaveTimer()) SaveSetupQTFileInfo();
}

bool cCDR_MediaManager::TellUnfinishedFile(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                                           unsigned char& stop) {
  static const char kMethod[] = "cCDR_MediaManager::TellUnfinishedFile";
  stop = 0;
  if (stopped == 0 || saveStopAsked != 0) return false;
  const std::string text = SpCDR_MJ("「") + saveFileName +
                           SpCDR_MJ("」は保存できませんでした。ファイルはできていません。");
  // The engine beeped and told its reason already: only the record is left to write. In a run
  // into each file that report ended this file only, and a reason such as a folder that cannot
  // be written would end every file after it too: whether they go on is asked.
  if (program != nullptr && program->GetSaveTarget().failureTold != 0) {
    SpERORSYS_SaveErrorMeesage(kSource, kMethod, 1, kMsgFileNotSaved);
    if (eachFileMode != 0 && MoreEachFilesFollow()) AskGoOnWith(text, stop);
    return true;
  }
  SpReportFailure(kSource, kMethod, 2, kMsgFileNotSaved);
  if (eachFileMode != 0) {
    AskGoOnWith(text, stop);
  } else {
    SpCDR_ShowAlert(progressWindow != nullptr ? progressWindow->GetWindowRef() : GetWindowRef(),
                    text);
  }
  return true;
}

void cCDR_MediaManager::CatchMoveProgressWindowCB() {
  static const char kMethod[] = "cCDR_MediaManager::CatchMoveProgressWindowCB";
  if (prefStockFile_ == nullptr || progressWindow == nullptr) return;
  cPrefStockData* group =
      prefStockFile_->GetTargetStockDataItemInPrefTopDataList(kCDR_ProgressGroup, 1, 1);
  if (group == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  cPrefStockData* item = group->GetTargetStockDataItemInUnderDataListByIdType(kCDR_PositionKey, 1);
  if (item == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  Point where = {0, 0};
  progressWindow->GetLeftTopPositOnGlobal(&where.h, &where.v);
  item->SetupPointData(where, 1);
}

// ---- Static procedures -------------------------------------------------------------------------

void CDRMM_CatchSaveProgressCB(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done,
                               unsigned long refCon) {
  if (cCDR_MediaManager* m = Manager(refCon, "CDRMM_CatchSaveProgressCB"))
    m->CatchSaveProgressCB(item, total, done);
}

void CDRMM_CatchProgressBarDlgCancelButtonCB(cSp_ProgressBarWin*, unsigned long refCon) {
  if (cCDR_MediaManager* m = Manager(refCon, "CDRMM_CatchProgressBarDlgCancelButtonCB"))
    m->CatchProgressBarDlgCancelButtonCB();
}

void CDRMM_CatchSaveEndProcCB(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                              unsigned long refCon) {
  if (cCDR_MediaManager* m = Manager(refCon, "CDRMM_CatchSaveEndProcCB"))
    m->CatchSaveEndProcCB(program, stopped);
}

void CDRMM_CatchMoveProgressWindowCB(cSp_Window*, short, unsigned long refCon) {
  if (cCDR_MediaManager* m = Manager(refCon, "CDRMM_CatchMoveProgressWindowCB"))
    m->CatchMoveProgressWindowCB();
}
