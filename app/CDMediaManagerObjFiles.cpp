// Adding sound files through the open dialog and removing the selected ones.
//
// The window lists at most kCDR_MediaListMaxCount sound files, as many as its saved list can
// bring back at the next start; files beyond that are not added and the report says so.
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "Clock.h"
#include "CDMediaListFile.h"
#include "CDMediaManagerObj.h"
#include "Navigation.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpDrawingView.h"
#include "SpListClass.h"
#include "SpMouseTraceManager.h"
#include "SpNavigationMgrObject.h"
#include "SpOC_ScrollBarControl.h"
#include "SpQTInterface.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpStdSayDialog.h"
#include "SpStringView.h"

unsigned char checkQuickTimeFileEnablerFlag_GlV = 0;

namespace {

const char kSource[] = "CDMediaManagerObj";
const short kNotSoundStrings = 5020;
const short kProtectedStrings = 5040;
const UInt64 kAddProgressMicroseconds = 50000;
// Many files chosen in the add dialog start going in this long after the dialog ends.
const EventTimerInterval kFirstAddDelay = 0.02;

std::string IndexString(short list, short index) {
  char text[256] = "";
  Sp_GetResourceIndexString(text, list, index);
  return text;
}

std::string MJ(const char* utf8) {
  return SpCDR_MJ(utf8);
}

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

}  // namespace

namespace {

// The report sheet's text; empty when every chosen file was added or found listed alone.
std::string AddReport(const AddCounts& c) {
  if (c.chosen == 1) {
    if (c.notSound != 1) return c.overLimit == 1 ? MJ("これ以上ファイルを登録できません。") : "";
    if (c.flagged == 1) return Quoted(c.notSoundName) + IndexString(kProtectedStrings, 1);
    return IndexString(kNotSoundStrings, 1) + c.notSoundName;
  }
  if (c.added >= c.chosen) return "";
  std::string text = std::to_string(c.chosen) + MJ("ファイルが選択されましたが、");
  const SInt32 plain = c.notSound - c.flagged;
  if (plain > 0) {
    if (plain == 1 && c.notSound == 1) {
      text += MJ("「") + c.notSoundName + MJ("」は音声ファイルとして認識できませんでした。");
    } else if (c.notSound == c.chosen) {
      text += MJ("全て音声ファイルとして認識できませんでした。");
    } else {
      text += std::to_string(plain) + MJ("ファイルが音声ファイルとして認識できませんでした。");
    }
  }
  if (c.flagged == 1) {
    text += Quoted(c.flaggedName) + IndexString(kProtectedStrings, 1);
  } else if (c.flagged > 1) {
    text += c.flagged == c.chosen ? IndexString(kProtectedStrings, 3)
                                  : std::to_string(c.flagged) + IndexString(kProtectedStrings, 2);
  }
  if (c.listed == 1) {
    text += MJ("「") + c.listedName + MJ("」は既に登録済みです。");
  } else if (c.listed > 1) {
    text += c.listed == c.chosen ? MJ("全て既に登録済みです。")
                                 : std::to_string(c.listed) + MJ("ファイルは既に登録済みです。");
  }
  if (c.overLimit > 0) {
    text += std::to_string(c.overLimit) + MJ("ファイルは登録できる数を超えるため登録しませんでした。");
  }
  return text;
}

std::vector<char> Writable(const std::string& text) {
  std::vector<char> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

// ---- Batches of new items ------------------------------------------------------------------

void CDMediaMgr_EndOfCreateNewMusicFileMediaItemProcess() {
  SpCDRomMgr_EndOfCreateSoundFileProgramProcess();
}

SInt32 cCDR_MediaManager::CountSoundFileMediaItems() const {
  SInt32 count = 0;
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (CDR_SelectionTypeOfItem(item) == kCDR_SelectionFileItem) ++count;
  }
  return count;
}

void cCDR_MediaManager::FinishNewMusicFileMediaItems(unsigned char controls, bool save) {
  CDMediaMgr_EndOfCreateNewMusicFileMediaItemProcess();
  Sp_DisableMouseTrace();
  ResetMedialistForItems();
  ModifyMediaListRowFromSelectedItem();
  ChangeMediaItemListSelectionBehaiviorForAllSelection(1, 0);
  if (controls != 0) SetupMediaWindowStatusForMediaListSelection(0, 0);
  OutputSelectionItemOnMediaItemList(1);
  Sp_EnableMouseTrace(0);
  if (save) SaveSetupQTFileInfo();
}

void cCDR_MediaManager::ResetMedialistForItems() {
  if (mediaList_ != nullptr) {
    if (firstMediaItem_ == nullptr) {
      mediaList_->DisableList(0);
    } else {
      mediaList_->EnableList(0);
    }
  }
  ResetMedialist(0);
}

// ---- Adding --------------------------------------------------------------------------------

void cCDR_MediaManager::CatchAddMusicFileButtonUpCompleatedCB() {
  if (saveRunning != 0 || IsSaveRunning() || IsAddRunning()) return;
  // The add dialog keeps a place of its own, apart from the save dialog's.
  sCDR_SaveFileDlgInfo place = {};
  CDRMM_GetFileDialogStockedInfo(prefStockFile_, kCDR_AddDialogFolderKey,
                                 kCDR_AddDialogPositionKey, place);
  SInt32 visible = 0;
  if (place.folderValid != 0 && !Sp_GetVisibleFolder(place.vRefNum, place.dirID, visible)) {
    place.folderValid = 0;
  }
  auto* dialog = new (std::nothrow) cNavMgrObject(SpFourCC("Zqcd"));
  if (dialog == nullptr) return;
  if (place.folderValid != 0) dialog->SetupDefaultLocation(place.vRefNum, place.dirID, nullptr);
  SInt32 processor = 0, clock = 0;
  checkQuickTimeFileEnablerFlag_GlV =
      Sp_GetCPUVersion(&processor, &clock) && processor >= 0x108 && clock >= 600000000 ? 1 : 0;
  dialog->SetupFilterProcedureProcPtr(CDRMM_CatchOpenFileNavigationFilterCB,
                                      reinterpret_cast<unsigned long>(this));
  SpNav_InitializeFileFilterTargetInfo();
  dialog->allowMultipleFilesFlag = 1;
  dialog->modality = 2;
  dialog->parentWindow = GetWindowRef();
  SpCDR_CopyText(dialog->actionButtonLabel, sizeof dialog->actionButtonLabel,
                 MJ("登　録").c_str());
  EnableMediaProgressOutput(1, 1);
  ShowMediaListStatus(MJ("ファイル登録中..."));
  cNavMgrFileList chosen;
  if (dialog->NavigatorGetOpenFileForX(&chosen) == 0 || chosen.GetNumberOfItem() == 0) {
    delete dialog;
    DisableMediaProgressOutput();
    return;
  }
  ShowMediaListStatus(MJ("登録ファイル分析中..."));
  SetupMediaWindowStatusForMediaListSelection(1, 1);
  if (backgroundView_ != nullptr) backgroundView_->DrawView(1, 0);
  const SInt32 count = chosen.GetNumberOfItem();
  std::vector<sCDR_PendingFile> files;
  files.reserve(std::size_t(count));
  chosen.ResetSequentialReference();
  for (SInt32 i = 1; i <= count; ++i) {
    sCDR_PendingFile file{0, 0, {}};
    char name[kSpNavFileNameSize] = "";
    if (chosen.GetFileItemBySequential(file.vRefNum, file.dirID, name, sizeof name, nullptr,
                                       nullptr, nullptr, nullptr) == 0) {
      break;
    }
    file.name = name;
    files.push_back(std::move(file));
  }
  delete dialog;
  // The dialog opens next time in the folder of the last chosen file.
  if (!files.empty()) {
    sCDR_SaveFileDlgInfo chosenPlace = {};
    chosenPlace.folderValid = 1;
    chosenPlace.vRefNum = files.back().vRefNum;
    chosenPlace.dirID = files.back().dirID;
    CDRMM_StockFileDialogInfo(prefStockFile_, kCDR_AddDialogFolderKey, kCDR_AddDialogPositionKey,
                              chosenPlace);
  }
  BeginAddingChosenFiles(std::move(files), count);
}

// ---- Adding a slice at a time -----------------------------------------------------------------

void cCDR_MediaManager::ResetAddRun(std::vector<sCDR_PendingFile> files, bool fromDialog,
                                    SInt32 chosen) {
  pendingFiles = std::move(files);
  pendingNext = 0;
  addFromDialog = fromDialog;
  addCounts = AddCounts();
  addCounts.chosen = chosen;
  addRoom = kCDR_MediaListMaxCount - CountSoundFileMediaItems();
  addSelectionCleared = 0;
  addProgressShownAt = 0;
  addListedKeys.clear();
  if (fromDialog) Sp_CollectSoundFileKeys(addListedKeys);
  addRowItem = nullptr;
}

void cCDR_MediaManager::BeginAddingChosenFiles(std::vector<sCDR_PendingFile> files,
                                               SInt32 chosen) {
  ResetAddRun(std::move(files), true, chosen);
  // The dialog has shown the progress and dimmed the window already. The first files of a run
  // of several slices go in after the pass that ended the dialog, which has had its time.
  addSpread = 1;
  const bool several = pendingFiles.size() > std::size_t(kCDR_AddFilesPerPass);
  if (!StartAddTimer(several ? kFirstAddDelay : 0)) AddPendingFiles();
}

void cCDR_MediaManager::BeginAddingDroppedFiles(std::vector<sCDR_PendingFile> files,
                                                SInt32 position) {
  const SInt32 count = SInt32(files.size());
  ResetAddRun(std::move(files), false, count);
  addPosition = position;
  // A drop that fits in one pass is added at once; a larger one is left to the timer at once,
  // the drop itself having taken this pass's time.
  if (pendingFiles.size() > std::size_t(kCDR_AddFilesPerPass) && StartAddTimer()) return;
  AddPendingFiles();
}

bool cCDR_MediaManager::StartAddTimer(EventTimerInterval delay) {
  if (addTimer != nullptr) return true;
  if (addSpread == 0) {
    addSpread = 1;
    SetupMediaWindowStatusForMediaListSelection(1, 1);
    EnableMediaProgressOutput(1, 1);
  }
  return InstallManagerTimer(delay, CDRMM_CatchAddNextFilesTimerCB, &addTimer);
}

bool cCDR_MediaManager::InstallManagerTimer(EventTimerInterval delay, EventLoopTimerProcPtr proc,
                                            EventLoopTimerRef* timer) {
  if (InstallEventLoopTimer(GetMainEventLoop(), delay, kEventDurationMicrosecond,
                            NewEventLoopTimerUPP(proc), this, timer) != noErr) {
    *timer = nullptr;
  }
  return *timer != nullptr;
}

void cCDR_MediaManager::EndAddTimer() {
  if (addTimer == nullptr) return;
  RemoveEventLoopTimer(addTimer);
  addTimer = nullptr;
}

UInt64 CDRMM_NowMicroseconds() {
  UnsignedWide now = {0, 0};
  Microseconds(&now);
  return (UInt64(now.hi) << 32) | now.lo;
}

void CDRMM_CatchListSaveTimerCB(EventLoopTimerRef, void* refCon) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(reinterpret_cast<unsigned long>(refCon),
                                               "CDRMM_CatchListSaveTimerCB");
  if (m != nullptr) m->ContinueListSave();
}

void CDRMM_CatchAddNextFilesTimerCB(EventLoopTimerRef, void* refCon) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(reinterpret_cast<unsigned long>(refCon),
                                               "CDRMM_CatchAddNextFilesTimerCB");
  if (m != nullptr) m->AddPendingFiles();
}

// Each file is read when its item is made: a pass adds files until it has used its time or
// made its number, so the loop turns between slices however many files wait.
void cCDR_MediaManager::AddPendingFiles() {
  const std::size_t total = pendingFiles.size();
  const std::size_t end = std::min(total, pendingNext + std::size_t(kCDR_AddFilesPerPass));
  const UInt64 started = CDRMM_NowMicroseconds();
  const std::size_t first = pendingNext;
  // Rows are found anew in each pass: the list may have been laid out between.
  addRowItem = nullptr;
  for (; pendingNext < end; ++pendingNext) {
    if (pendingNext > first &&
        CDRMM_NowMicroseconds() - started > UInt64(kCDR_AddPassMicroseconds)) {
      break;
    }
    AddPendingFile(pendingFiles[pendingNext]);
  }
  // The end of a run of several slices (the list laid out anew, the selection numbered)
  // takes a pass of its own after the last slice.
  const bool endLater = pendingNext == total && pendingNext > first && addSpread != 0 &&
                        total > std::size_t(kCDR_AddFilesPerPass);
  if (pendingNext < total || endLater) {
    const bool timer = StartAddTimer();
    if (!timer && endLater) {
      EndAdding();
      return;
    }
    smallProgressFraction = float(pendingNext) / float(total);
    // The bar and the count are drawn a twentieth of a second apart at most: passes of files
    // read from their headers take a few milliseconds, and drawing them after each took a
    // tenth of the add.
    const UInt64 now = CDRMM_NowMicroseconds();
    if (addProgressShownAt == 0 || now - addProgressShownAt >= kAddProgressMicroseconds) {
      addProgressShownAt = now;
      if (progressBarView_ != nullptr) progressBarView_->DrawView(1, 0);
      ShowMediaListStatus(MJ("ファイル登録中...（") + std::to_string(pendingNext) + "/" +
                          std::to_string(total) + MJ("）"));
    }
    // Without a timer the rest is added now rather than lost.
    if (!timer) AddPendingFiles();
    return;
  }
  EndAdding();
}

void cCDR_MediaManager::CompletePendingAdds() {
  while (!pendingFiles.empty()) AddPendingFiles();
  SaveListNow();
}

namespace {
const EventTimerInterval kListSaveDelay = 0.02;
}  // namespace

bool cCDR_MediaManager::StartListSaveTimer() {
  if (listSaveTimer != nullptr) return true;
  // After the pass that draws the list as the run left it.
  return InstallManagerTimer(kListSaveDelay, CDRMM_CatchListSaveTimerCB, &listSaveTimer);
}

void cCDR_MediaManager::SaveListNow() {
  if (listSaveTimer == nullptr) return;
  SaveSetupQTFileInfo();
  EndListSave();
}

void cCDR_MediaManager::EndListSave() {
  if (listSaveTimer != nullptr) RemoveEventLoopTimer(listSaveTimer);
  listSaveTimer = nullptr;
  AbandonListSave();
  SetupMediaWindowStatusForMediaListSelection(1, 0);
  ApplyDeferredMediaChanges();
}

void cCDR_MediaManager::AddPendingFile(const sCDR_PendingFile& file) {
  const char* name = file.name.c_str();
  if (addFromDialog) {
    // A chosen file listed already is selected with the new ones.
    cSp_CDRProgramBaseObj* program =
        addListedKeys.count(Sp_SoundFileKey(file.vRefNum, file.dirID, name)) != 0
            ? Sp_GetTargetFileProgram(file.vRefNum, file.dirID, name)
            : nullptr;
    if (program != nullptr) {
      if (addSelectionCleared == 0) ClearMediaListSelection(1);
      addSelectionCleared = 1;
      SelectListedFile(program);
      ++addCounts.listed;
      addCounts.listedName = LongNameOf(file.vRefNum, file.dirID, name);
      return;
    }
  } else if (CheckExistTargetFileOnOneFileMediaItem(file.vRefNum, file.dirID, name) != 0) {
    // A file dropped twice in one drop is made once.
    return;
  }
  if (addRoom <= 0) {
    ++addCounts.overLimit;
    return;
  }
  cCDR_MediaItem* made = nullptr;
  unsigned char cleared = 0, flag = 0;
  const short position = addFromDialog ? short(-1) : short(addPosition);
  const unsigned char selectMade = addFromDialog ? 0 : 1;
  if (CreateNewMusicFileMediaItem(file.vRefNum, file.dirID, name, nullptr, selectMade, 0, nullptr,
                                  position, addSelectionCleared == 0 ? 1 : 0, nullptr, &cleared,
                                  &made, &flag) == 0) {
    ++addCounts.notSound;
    addCounts.notSoundName = LongNameOf(file.vRefNum, file.dirID, name);
    if (flag != 0) {
      ++addCounts.flagged;
      addCounts.flaggedName = addCounts.notSoundName;
    }
    return;
  }
  if (cleared != 0) addSelectionCleared = 1;
  ++addCounts.added;
  --addRoom;
  if (addFromDialog) {
    addListedKeys.insert(Sp_SoundFileKey(file.vRefNum, file.dirID, name));
    SelectAddedFile(made);
  } else {
    ++addPosition;
    dropMediaItem = made;
  }
}

void cCDR_MediaManager::EndAdding() {
  const bool spread = addSpread != 0;
  const bool severalSlices = pendingFiles.size() > std::size_t(kCDR_AddFilesPerPass);
  addSpread = 0;
  EndAddTimer();
  pendingFiles.clear();
  pendingNext = 0;
  if (addFromDialog) OutputSelectionItemOnMediaItemList(1);
  if (spread) DisableMediaProgressOutput();
  const std::string report = addFromDialog ? AddReport(addCounts) : std::string();
  if (!report.empty()) {
    SysBeep(1);
    std::vector<char> title = Writable(MJ("報　告")), text = Writable(report),
                      close = Writable(MJ("閉じる"));
    Sp_SayDialogByModalBySheetAlert(GetWindowRef(), kSpStdSayDlgNote, title.data(), text.data(),
                                    close.data());
  }
  // A run of several slices writes the saved list in a pass of its own, the window busy until
  // then: its wait starts once the list is laid out, so that it is not already due when this
  // pass ends.
  bool saveLater = addCounts.added > 0 && spread && severalSlices;
  if (addCounts.added > 0) FinishNewMusicFileMediaItems(addFromDialog ? 0 : 1, !saveLater);
  if (saveLater && !StartListSaveTimer()) {
    saveLater = false;
    SaveSetupQTFileInfo();
  }
  if (spread && !saveLater) SetupMediaWindowStatusForMediaListSelection(1, 0);
  // CDs that came or went meanwhile.
  ApplyDeferredMediaChanges();
}

void cCDR_MediaManager::SelectListedFile(cSp_CDRProgramBaseObj* program) {
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->GetProgram() != program) continue;
    const short row = GetMediaItemListTargetItemRowNo(item, 0);
    if (row > 0) AddTargetMediaItemSelection(item, nullptr, row, 0, 1, 0, 0);
    return;
  }
  SpReportFailure(kSource, "cCDR_MediaManager::CatchAddMusicFileButtonUpCompleatedCB", 3,
                  kSpMsgDataError);
}

void cCDR_MediaManager::SelectAddedFile(cCDR_MediaItem* item) {
  if (item == nullptr) return;
  // Right below the file made before it in this pass (a file, which shows no track rows): its
  // row is the next one, and no walk of the list is needed.
  const bool below = addRowItem != nullptr && item == lastMediaItem_ &&
                     item->GetBeforeObjectPtr() == addRowItem && addRow > 0;
  const short row = below ? short(addRow + 1) : GetMediaItemListTargetItemRowNo(item, 0);
  addRowItem = item;
  addRow = row;
  // The run's selection holds only files it chose, all in rows above this new one: nothing
  // there to look for before the file is added to it.
  if (row > 0) AddTargetMediaItemSelection(item, nullptr, row, 0, 0, 0, 0);
}

std::string cCDR_MediaManager::LongNameOf(short vRefNum, SInt32 dirID, const char* name) {
  char text[512] = "";
  if (Sp_GetOSXUnicodeFileNameChangedFileName(vRefNum, dirID, name, text, sizeof text) != noErr) {
    return name;
  }
  return text;
}

// ---- The open dialog's filter --------------------------------------------------------------

OSErr CDRMM_GetFSSpecFromAEDesc(FSSpec* spec, AEDesc* desc) {
  if (spec == nullptr || desc == nullptr) return paramErr;
  if (desc->descriptorType == typeFSS) return AEGetDescData(desc, spec, sizeof(FSSpec));
  AEDesc coerced = {typeNull, nullptr};
  OSErr err = AECoerceDesc(desc, typeFSS, &coerced);
  if (err == noErr) err = AEGetDescData(&coerced, spec, sizeof(FSSpec));
  AEDisposeDesc(&coerced);
  return err;
}

unsigned char CDRMM_CatchOpenFileNavigationFilterCB(AEDesc* item, void* info, short filterMode,
                                                    unsigned long refCon) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchOpenFileNavigationFilterCB");
  if (m == nullptr || item == nullptr || filterMode != kNavFilteringBrowserList) return 0;
  auto* fileInfo = static_cast<NavFileOrFolderInfo*>(info);
  if (fileInfo != nullptr && fileInfo->isFolder) return 1;
  if (item->descriptorType != typeFSS && item->descriptorType != typeFSRef) return 0;
  FSSpec spec;
  if (CDRMM_GetFSSpecFromAEDesc(&spec, item) != noErr) return 0;
  char name[64] = "";
  std::memcpy(name, spec.name + 1, std::min<std::size_t>(spec.name[0], sizeof name - 1));
  cFileFilterInfoTargetFolder* folder = SpNav_GetFilterInfoFolderObject(spec.vRefNum, spec.parID);
  unsigned char show = 0;
  if (folder != nullptr && folder->GetTargetFileInfo(name, show) != 0) return show;
  if (m->CheckExistTargetFileOnOneFileMediaItem(spec.vRefNum, spec.parID, name) != 0) {
    show = 0;
  } else {
    const UInt32 type = fileInfo != nullptr ? fileInfo->fileAndFolder.fileInfo.finderInfo.fdType : 0;
    show = checkQuickTimeFileEnablerFlag_GlV == 0 ||
                   Sp_CheckQuickTimeSoundFile(spec.vRefNum, spec.parID, name, type, 1) != 0
               ? 1
               : 0;
  }
  if (folder != nullptr) folder->SetTargetFileInfo(name, show);
  return show;
}

// ---- Removing ------------------------------------------------------------------------------

void cCDR_MediaManager::CatchSubMusicFileButtonUpCompleatedCB() {
  // The items of a running save are in use until it ends; a drop being added goes first.
  if (saveRunning != 0 || IsSaveRunning() || IsAddRunning()) return;
  bool any = false;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    if (CDR_SelectionTypeOfItem(e->GetMediaItem()) == kCDR_SelectionFileItem) any = true;
  }
  if (!any) return;
  ChangeMediaItemListSelectionBehaiviorForAllSelection(0, 0);
  // The files selected whole go; every entry of a file leaves the selection first, in one walk
  // (the rows' look was cleared just now), so that disposing of an item does not walk the
  // selection for its entries again.
  std::vector<cCDR_MediaItem*> doomed;
  std::unordered_set<const cCDR_MediaItem*> seen;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr;) {
    cCDR_SelectionMediaItem* next = e->GetNextObjectPtr();
    cCDR_MediaItem* item = e->GetMediaItem();
    if (CDR_SelectionTypeOfItem(item) == kCDR_SelectionFileItem) {
      if (e->IsWholeItem() && seen.insert(item).second) doomed.push_back(item);
      UnlinkSelectionEntry(e);
      delete e;
    }
    e = next;
  }
  for (cCDR_MediaItem* item : doomed) DisposeMediaItem(item);
  Sp_DisableMouseTrace();
  ResetMedialistForItems();
  SetupMediaWindowStatusForMediaListSelection(0, 0);
  ModifyMediaListRowFromSelectedItem();
  ChangeMediaItemListSelectionBehaiviorForAllSelection(1, 0);
  OutputSelectionItemOnMediaItemList(0);
  if (scrollBar_ != nullptr) scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
  Sp_EnableMouseTrace(0);
  SetupMediaWindowStatusForMediaListSelection(1, 0);
  // A long list is saved over passes, as after adds: collecting thousands of records would hold
  // the window for a large part of a second.
  if (CountSoundFileMediaItems() <= kCDR_ListRecordsPerPass || !StartListSaveTimer()) {
    SaveSetupQTFileInfo();
  }
}
