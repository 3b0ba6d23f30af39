// The media manager window: construction and tear-down, CD changes, the order of the media
// items, sizes, the window state kept in the preference stock, closing and quitting.
#include "CDMediaManagerObj.h"

#include <algorithm>
#include <cstdlib>

#include "CDObjectSource.h"
#include "Folders.h"
#include "SpCDROMProgram.h"
#include "SpProgressBarWinObject.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDRomManager.h"
#include "SpDragAndDropObject.h"
#include "SpDrawingView.h"
#include "SpListClass.h"
#include "SpMenu.h"
#include "SpMouseTraceManager.h"
#include "SpMouseTraceObject.h"
#include "SpOC_IconButtonControl.h"
#include "SpOC_ScrollBarControl.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"
#include "SpStringView.h"
#include "SpTitleBarControl.h"
#include "SpViewClass.h"
#include "SpiTunesMusicInfoObject.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const char kPrefFolderName[] = "Mirrelbox Prefs";
const char kPrefFileName[] = "MirrelboxPref";
const char kErrorTextFile[] = "FileErrorNoData.txt";
constexpr UInt32 kPrefIdentifyType = SpFourCC("preF");
constexpr UInt32 kPrefCreator = SpFourCC("Zqcd");
constexpr UInt32 kPrefDataType = SpFourCC("InDt");
constexpr UInt32 kWindowGroup = SpFourCC("MMgr");
constexpr UInt32 kPositionKey = SpFourCC("WPos");
constexpr UInt32 kSizeKey = SpFourCC("WSiz");
constexpr UInt32 kListGroup = SpFourCC("MLst");
constexpr UInt32 kNameOptionKey = SpFourCC("NmOp");
constexpr UInt32 kInfoOptionKey = SpFourCC("IfOp");
const short kMaxSizeStrings = 5008;
const short kTitleStrings = 5009;
// Where the window opens, and the least size it takes when nothing was stored.
const short kOpenLeft = 10;
const short kOpenTop = 55;
const short kDefaultWidth = 460;
const short kDefaultHeight = 400;

short NumberOfString(short stringList, short index) {
  char text[256] = "";
  if (!Sp_GetResourceIndexString(text, stringList, index)) return 0;
  return short(std::strtol(text, nullptr, 10));
}

// The stock file of a folder when that folder holds "Mirrelbox Prefs" with "MirrelboxPref" in
// it: its volume and directory id. Nothing is created; a settings file that a save killed
// before its rename left only as its new file beside the name takes the name.
bool FindStockFolder(OSType folderType, short& vRefNum, SInt32& dirID) {
  SInt16 v = 0;
  SInt32 d = 0;
  if (FindFolder(kOnSystemDisk, folderType, kDontCreateFolder, &v, &d) != noErr) return false;
  SInt32 sub = 0;
  if (Sp_GetDirIdFromDirNameInDirId(v, d, kPrefFolderName, sub) != noErr) return false;
  if (!cPrefStockFileObj::TakeBackInterruptedSave(v, sub, kPrefFileName)) return false;
  vRefNum = v;
  dirID = sub;
  return true;
}

}  // namespace

// ---- Construction ----------------------------------------------------------------------------

cCDR_MediaManager::cCDR_MediaManager(short resourceID)
    : cSp_Window(resourceID, kSpNormalWindowType, kSpWindowInFrontOfAll, 0, 0) {
  InitializeObjItem();
  if (GetWindowRef() == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::cCDR_MediaManager", 1, kSpMsgNullOperator);
    return;
  }
  SetupDrawGrowIconFlag(1, 1);
  iTunesInfo_ = SpiTM_CreateITunesMusicInfo(1);
  OpenPreferenceStock();
  sCDR_SaveSetupDlgSpeedInfo speeds = speedSetup_;
  if (CDRMGRSaveSpeedSetup_LoadInitialSetup(prefStockFile_, speeds)) speedSetup_ = speeds;
  SetupSizeLimits();
  Move(kOpenLeft, kOpenTop, 1);
  InstallWindowProcedures();
  char title[256] = "";
  Sp_GetResourceIndexString(title, kTitleStrings, 1);
  SetTitle(title);
  SetupMoveToFrontWithContentMouseDownFlag(1);
  SetupErrorTextFile();
  InstallRawKeyHandler();
  InitialSetupItemObject();
  SetupMediaWindowStatusFromReference(1, 1, 1, 1, 0);
  // The column titles say what the columns show from the start, not only after a change.
  SetupMediaListInfoItem(0, 0, 0, 0, 0, 1, 1, 0);
  SetupMediaWindowStatusForMediaListSelection(1, 0);
}

cCDR_MediaManager::~cCDR_MediaManager() {
  RemoveWindowProcedures();
  EndAddsForEnd();
  SpCDRI_DisableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent();
  DisposeFileProgressOutputStringObjItem();
  delete progressWindow;
  progressWindow = nullptr;
  DisposeEachRunSelection();
  WipeoutSaveTargetRecordSystemData();
  AbandonSaveProgram();
  DisposeCodecSettings();
  ClearMediaListSelection(0);
  while (firstMediaItem_ != nullptr) DisposeMediaItem(firstMediaItem_);
  DestroyItemObjects();
  if (rawKeyHandler_ != nullptr) RemoveEventHandler(rawKeyHandler_);
  delete iTunesInfo_;
  if (mediaManagerObj_GlV == this) mediaManagerObj_GlV = nullptr;
}

void cCDR_MediaManager::InitializeObjItem() {
  mediaItemCount_ = 0;
  lastReferenceNo_ = 0;
  firstMediaItem_ = lastMediaItem_ = nullptr;
  firstSelection_ = lastSelection_ = nullptr;
  rangeSelection_ = 0;
  minWidth_ = minHeight_ = maxWidth_ = maxHeight_ = currentWidth_ = currentHeight_ = 0;
  prefStockFile_ = nullptr;
  speedSetup_ = {1.0, 5.0, 0.2};
  nameOption_ = 1;
  infoOption_ = 1;
  quitAgreed_ = 0;
  saveProgram = nullptr;
  progressWindow = nullptr;
  nextTrackTimer = nullptr;
  saveRunning = saveCancelAsks = stopAllAnswer = eachFileMode = 0;
  saveItemIndex = saveItemCount = 0;
  smallProgressFraction = 0;
  Sp_SetRGBColorByPercentage(&white_, 100, 100, 100);
  Sp_SetRGBColorByPercentage(&black_, 0, 0, 0);
  Sp_SetRGBColorByPercentage(&itemTextColor_, 0, 0, 0);
  for (RGBColor* colour : {&listTextColor_, &trackTextColor_, &trackNameColor_, &trackInfoColor_}) {
    Sp_SetRGBColorByPercentage(colour, 10, 10, 10);
  }
  Sp_SetRGBColorByPercentage(&itemBackColor_, 95, 94, 100);
  Sp_SetRGBColorByPercentage(&itemSelectedBackColor_, 68, 68, 92);
  Sp_SetRGBColorByPercentage(&trackBackColor_, 95, 94, 100);
  Sp_SetRGBColorByPercentage(&trackSelectedBackColor_, 68, 68, 92);
  Sp_SetRGBColorByPercentage(&groupBackColor_, 82, 80, 99);
  // The panel's shadow.
  listPanelColor = black_;
  errorFileFound_ = 0;
  iTunesInfo_ = nullptr;
  closeProc_ = nullptr;
  closeRefCon_ = 0;
  trianglePressing_ = triangleInside_ = 0;
  triangleCell_ = lastClickCell_ = Point{0, 0};
  triangleItem_ = nullptr;
  triangleProgramType_ = 0;
}

// The stock of the Preferences folder; else the one of the Documents folder, which is saved
// into the Preferences folder from then on; else a new, empty one in the Preferences folder.
// The Documents folder is only looked at: nothing is made there.
void cCDR_MediaManager::OpenPreferenceStock() {
  short vRefNum = 0;
  SInt32 dirID = 0;
  const bool inPreferences = FindStockFolder(kPreferencesFolderType, vRefNum, dirID);
  const bool inDocuments = !inPreferences && FindStockFolder(kDocumentsFolderType, vRefNum, dirID);
  if (inPreferences || inDocuments) {
    prefStockFile_ = prefStockMgr_.CreateNewStockFileObj(
        kPrefIdentifyType, vRefNum, dirID, kPrefFileName, kPrefCreator, kPrefDataType);
    if (prefStockFile_ != nullptr) prefStockFile_->LoadPrefDataFromFile();
    if (inPreferences || prefStockFile_ == nullptr) return;
  }
  short prefVRefNum = 0;
  SInt32 prefDirID = 0;
  if (!Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType, kPrefFolderName,
                                    prefVRefNum, prefDirID)) {
    return;
  }
  if (prefStockFile_ != nullptr) {
    prefStockFile_->SetupPrefFileInfo(prefVRefNum, prefDirID);
  } else {
    prefStockFile_ = prefStockMgr_.CreateNewStockFileObj(
        kPrefIdentifyType, prefVRefNum, prefDirID, kPrefFileName, kPrefCreator, kPrefDataType);
  }
}

// The least size is the resource's; the greatest comes from string list 5008, each kept
// within the screen (less 20 pixels across and 110 down).
void cCDR_MediaManager::SetupSizeLimits() {
  GetSize(&minWidth_, &minHeight_);
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  const short widthLimit = short(screen.right - screen.left - 20);
  const short heightLimit = short(screen.bottom - screen.top - 110);
  maxWidth_ = NumberOfString(kMaxSizeStrings, 1);
  maxHeight_ = NumberOfString(kMaxSizeStrings, 2);
  if (maxWidth_ < 0 || maxWidth_ > widthLimit) maxWidth_ = widthLimit;
  if (maxHeight_ < 0 || maxHeight_ > heightLimit) maxHeight_ = heightLimit;
  SetMinSize(minWidth_, minHeight_);
  SetMaxSize(maxWidth_, maxHeight_);
  GetSize(&currentWidth_, &currentHeight_);
}

void cCDR_MediaManager::InstallWindowProcedures() {
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  SetupAfterGrowProc(CDRObj_CatchResizeWindowCB, self, procRefNos_[0]);
  SetupMoveProc(CDRObj_CatchMoveWindowCB, self, procRefNos_[1]);
  SetupAfterCloseProc(CDRObj_CatchAfterCloseWindowCB, self, procRefNos_[2]);
  SetupBeforeCloseProc(CDR_MediaWindowCloseProc, self, procRefNos_[3]);
  SetupMoveToFrontProc(CDR_MediaWindowMoveToFrontProc, self, procRefNos_[4]);
}

// The window base closes the window as it goes, after this object has gone: its procedures
// must not reach this object then.
void cCDR_MediaManager::RemoveWindowProcedures() {
  UnSetupAfterGrowProc(procRefNos_[0]);
  UnSetupAfterMoveProc(procRefNos_[1]);
  UnSetupAfterCloseProc(procRefNos_[2]);
  UnSetupBeforeCloseProc(procRefNos_[3]);
  UnSetupMoveToFrontProc(procRefNos_[4]);
}

void cCDR_MediaManager::SetupErrorTextFile() {
  short vRefNum = 0;
  SInt32 dirID = 0;
  char name[256] = "";
  if (Sp_GetResourceFileFromApplicationMainBandle(kErrorTextFile, &vRefNum, &dirID, nullptr, name,
                                                  sizeof name, nullptr) != noErr) {
    return;
  }
  errorFileFound_ = 1;
  errorNoMgr_.SetupNewErrorFile(0, vRefNum, dirID, name, 520, 2);
}

void cCDR_MediaManager::InstallRawKeyHandler() {
  if (!Sp_Is_CarbonEvent_ModeEnable()) return;
  static EventHandlerUPP handler = NewEventHandlerUPP(CDRObj_CatchRawKeyEventForOSXCarbonEventCB);
  const EventTypeSpec keys[] = {{kEventClassKeyboard, kEventRawKeyDown},
                                {kEventClassKeyboard, kEventRawKeyRepeat}};
  InstallEventHandler(GetWindowEventTarget(GetWindowRef()), handler, 2, keys, this,
                      &rawKeyHandler_);
}

void cCDR_MediaManager::DestroyItemObjects() {
  delete button16_;
  delete button17_;
  delete button18_;
  delete button14_;
  delete button15_;
  delete removeButton_;
  delete addButton_;
  delete saveButton_;
  button16_ = button17_ = button18_ = button14_ = button15_ = nullptr;
  removeButton_ = addButton_ = saveButton_ = nullptr;
  delete titleBar_;
  titleBar_ = nullptr;
  delete nameTitleTrace_;
  delete infoTitleTrace_;
  nameTitleTrace_ = infoTitleTrace_ = nullptr;
  delete scrollBar_;
  scrollBar_ = nullptr;
  delete mediaList_;
  mediaList_ = nullptr;
  delete dropCatcher_;
  dropCatcher_ = nullptr;
  delete dragFrameView_;
  delete progressBarView_;
  delete statusTextView_;
  dragFrameView_ = progressBarView_ = nullptr;
  statusTextView_ = nullptr;
  delete listPanelView_;
  delete backgroundView_;
  listPanelView_ = backgroundView_ = nullptr;
  RemoveAutoScrollTimer();
  EndAddTimer();
  if (autoScrollTimerUPP_ != nullptr) DisposeEventLoopTimerUPP(autoScrollTimerUPP_);
  autoScrollTimerUPP_ = nullptr;
}

// ---- Media items -----------------------------------------------------------------------------

unsigned char cCDR_MediaManager::ModifyMediaData() {
  static const char kMethod[] = "cCDR_MediaManager::ModifyMediaData";
  // A running save walks the media items and their selection entries, and files being added
  // go at ranks counted before: CDs that came or went are taken in when either ends.
  if (saveRunning != 0 || IsAddRunning()) {
    mediaChangeDeferred_ = 1;
    return 0;
  }
  bool changed = false;
  bool lookOff = false;
  auto switchLookOff = [&] {
    if (lookOff) return;
    ChangeMediaItemListSelectionBehaiviorForAllSelection(0, 0);
    lookOff = true;
  };
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    item->SetupPresentMark(0);
  }
  const SInt32 count = Sp_CDRomCountCDDA();
  for (SInt32 i = 0; i < count; ++i) {
    cSp_CDRomMediaDataObj* cd = Sp_CDRomGetCDObjectByCounter(i);
    if (cd == nullptr) break;
    if (cCDR_MediaItem* known = SerchMediaByCDObject(cd)) {
      known->SetupPresentMark(1);
      continue;
    }
    const SInt32 referenceNo = GetNewMediaItemReferenceNo();
    char volume[256] = "";
    cd->GetVolumeName(volume);
    char title[256] = "";
    if (!cd->GetCDTitle(title, sizeof title, nullptr)) title[0] = 0;
    switchLookOff();
    auto* item = new (std::nothrow) cCDR_MediaItem(referenceNo, volume, title, nullptr);
    if (item == nullptr) {
      SpReportFailure("CDObjectSource", kMethod, 1,
                      "cannot memory allocated for media item object !! ");
      continue;
    }
    const unsigned long self = reinterpret_cast<unsigned long>(this);
    item->SetupBeforePlayStartCB(CDRObj_CatchMediaItemBefPlayCB, self);
    item->SetupAfterPlayStartCB(CDRObj_CatchMediaItemAfterPlayCB, self);
    item->SetupPlayStopCB(CDRObj_CatchMediaItemStopPlayCB, self);
    LinkToMeidaItemList(item, referenceNo, 1);
    item->SetupPresentMark(1);
    cSp_CDRProgramBaseObj* program = nullptr;
    if (Sp_CDRomCreateCDAudioProgram(cd, 1, &program) && program != nullptr) {
      item->SetupProgram(program);
      program->SetupStopProc(CDRO_EndOfPlay_CounterProc, reinterpret_cast<unsigned long>(item));
    }
    item->SetAmpValue(short(cd->GetAmpVolume()), 0, 1);
    item->ChangeMediaItemTitleOutputType(nameOption_ == 0 ? 1 : 0);
    changed = true;
  }
  mediaItemCount_ = 0;
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr;) {
    cCDR_MediaItem* next = item->GetNextObjectPtr();
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    if (item->GetPresentMark() == 0 && program != nullptr &&
        program->GetProgramType() == kSpProgramTypeCD) {
      switchLookOff();
      DisposeMediaItem(item);
      changed = true;
    } else {
      ++mediaItemCount_;
    }
    item = next;
  }
  if (!changed) return 0;
  Sp_DisableMouseTrace();
  ResetMedialistForItems();
  ModifyMediaListRowFromSelectedItem();
  if (lookOff) ChangeMediaItemListSelectionBehaiviorForAllSelection(1, 0);
  SetupMediaWindowStatusForMediaListSelection(1, saveRunning);
  Sp_EnableMouseTrace(1);
  return 1;
}

void cCDR_MediaManager::DisposeMediaItem(cCDR_MediaItem* item) {
  DeleteTargetMediaItemSelection(item);
  if (triangleItem_ == item) {
    trianglePressing_ = triangleInside_ = 0;
    triangleItem_ = nullptr;
  }
  UnlinkFromMediaItemList(item);
  if (saveProgram == item->GetProgram()) saveProgram = nullptr;
  if (item->GetProgram() != nullptr) Sp_CDDisposeProgram(item->GetProgram());
  item->SetupProgram(nullptr);
  delete item;
}

unsigned char cCDR_MediaManager::ApplyDeferredMediaChanges() {
  if (mediaChangeDeferred_ == 0 || saveRunning != 0 || IsAddRunning()) return 0;
  mediaChangeDeferred_ = 0;
  return ModifyMediaData();
}

SInt32 cCDR_MediaManager::GetNewMediaItemReferenceNo() {
  return ++lastReferenceNo_;
}

void cCDR_MediaManager::LinkToMeidaItemList(cCDR_MediaItem* item, SInt32 position,
                                            unsigned char cdFlag) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::LinkToMeidaItemList", 1, kSpMsgNullArgument);
    return;
  }
  ++mediaListChanges_;
  // A sound file after the last item: no CD can stand below it, so no walk is needed (the
  // saved list appends thousands of items this way).
  if (cdFlag == 0 && lastMediaItem_ != nullptr && position >= mediaItemCount_) {
    lastMediaItem_->InsertItemAfter(item);
    lastMediaItem_ = item;
    ++mediaItemCount_;
    return;
  }
  cCDR_MediaItem* after = nullptr;
  cCDR_MediaItem* lastCD = nullptr;
  SInt32 lastCDPosition = 0;
  SInt32 n = 0;
  for (cCDR_MediaItem* i = firstMediaItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    ++n;
    if (n == position) after = i;
    cSp_CDRProgramBaseObj* program = i->GetProgram();
    if (program != nullptr && program->IsOneCDRomProgram(nullptr)) {
      lastCD = i;
      lastCDPosition = n;
    }
  }
  if (position < 0 || position > n) after = lastMediaItem_;
  if ((cdFlag != 0 && lastCDPosition < position) || (cdFlag == 0 && lastCDPosition > position)) {
    after = lastCD;
  }
  if (after == nullptr) {
    if (firstMediaItem_ != nullptr) firstMediaItem_->InsertItemBefore(item);
    firstMediaItem_ = item;
    if (lastMediaItem_ == nullptr) lastMediaItem_ = item;
  } else {
    after->InsertItemAfter(item);
    if (after == lastMediaItem_) lastMediaItem_ = item;
  }
  ++mediaItemCount_;
}

void cCDR_MediaManager::UnlinkFromMediaItemList(cCDR_MediaItem* item) {
  if (item == nullptr) return;
  ++mediaListChanges_;
  if (firstMediaItem_ == item) firstMediaItem_ = item->GetNextObjectPtr();
  if (lastMediaItem_ == item) lastMediaItem_ = item->GetBeforeObjectPtr();
  item->UnlinkFromList();
  if (mediaItemCount_ > 0) --mediaItemCount_;
}

cCDR_MediaItem* cCDR_MediaManager::SerchMediaByCDObject(cSp_CDRomMediaDataObj* cd) {
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    cSp_CDRomMediaDataObj* held = nullptr;
    if (program != nullptr && program->IsOneCDRomProgram(&held) && held == cd) return item;
  }
  return nullptr;
}

void cCDR_MediaManager::StopPlayMediaItem(cCDR_MediaItem* item) {
  for (cCDR_MediaItem* other = firstMediaItem_; other != nullptr;
       other = other->GetNextObjectPtr()) {
    if (other == item || !other->IsPlaying()) continue;
    if (other->GetProgram() != nullptr) other->GetProgram()->StopTheMusic();
    other->StopButtonOn();
  }
}

// ---- Window procedures -----------------------------------------------------------------------

void cCDR_MediaManager::CatchResizeWindowCB(unsigned char store) {
  short width = 0, height = 0;
  GetSize(&width, &height);
  currentWidth_ = width;
  currentHeight_ = height;
  ResizeControls(width, height);
  if (store != 0) StoreMediaWindowStatus(0, 1, 0, 0, 1);
}

void cCDR_MediaManager::CatchMoveWindowCB() {
  StoreMediaWindowStatus(1, 0, 0, 0, 1);
}

void cCDR_MediaManager::CatchAfterCloseWindowCB() {
  SendQuitApplication();
  if (closeProc_ != nullptr) closeProc_(closeRefCon_);
}

void cCDR_MediaManager::SetupCloseCB(void (*proc)(unsigned long), unsigned long refCon) {
  closeProc_ = proc;
  closeRefCon_ = refCon;
}

void cCDR_MediaManager::EndAddsForEnd() {
  if (!IsAddRunning()) return;
  EndAddTimer();
  const bool listUnsaved = listSaveTimer != nullptr;
  if (listSaveTimer != nullptr) RemoveEventLoopTimer(listSaveTimer);
  listSaveTimer = nullptr;
  AbandonListSave();
  if (addCounts.added > 0 || listUnsaved) SaveSetupQTFileInfo();
}

unsigned char cCDR_MediaManager::SendQuitApplication() {
  // The person answered for this quit already (closing the window leads here three times).
  if (quitAgreed_ != 0) return 1;
  if (saveRunning != 0 && saveCancelAsks != 0 && CatchProgressBarDlgCancelButtonCB() == 0) {
    return 0;
  }
  prefStockMgr_.SaveModifyFileModule();
  // The program's objects are left to the process's end: what the window still has to write
  // is written now.
  EndAddsForEnd();
  Sp_CDRomEventProcedure(0);
  quitAgreed_ = 1;
  return 1;
}

unsigned char cCDR_MediaManager::MayCloseWindow() {
  return SendQuitApplication();
}

void cCDR_MediaManager::MediaListUpScroll(short) {
  if (mediaList_ != nullptr) mediaList_->CellScroll(0, 1, -1, 1, 1, 1, 1);
}

void cCDR_MediaManager::MediaListDownScroll(short) {
  if (mediaList_ != nullptr) mediaList_->CellScroll(0, 1, 1, 1, 1, 1, 1);
}

// ---- Window state in the stock ---------------------------------------------------------------

void cCDR_MediaManager::StoreMediaWindowStatus(unsigned char position, unsigned char size,
                                               unsigned char nameOption, unsigned char infoOption,
                                               unsigned char saveNow) {
  static const char kMethod[] = "StoreMediaWindowStatus";
  if (prefStockFile_ == nullptr) return;
  cPrefStockData* group =
      prefStockFile_->GetTargetStockDataItemInPrefTopDataList(kWindowGroup, 1, 1);
  if (group == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgDataError);
    return;
  }
  bool stored = false;
  auto item = [&](cPrefStockData* in, UInt32 key, SInt32 step) -> cPrefStockData* {
    cPrefStockData* found = in->GetTargetStockDataItemInUnderDataListByIdType(key, 1);
    if (found == nullptr) SpReportFailure(kSource, kMethod, step, kSpMsgDataError);
    return found;
  };
  if (position != 0) {
    cPrefStockData* key = item(group, kPositionKey, 2);
    if (key == nullptr) return;
    short left = 0, top = 0;
    GetLeftTopPositOnGlobal(&left, &top);
    key->SetupPointData(Point{top, left}, 1);
    stored = true;
  }
  if (size != 0) {
    cPrefStockData* key = item(group, kSizeKey, 3);
    if (key == nullptr) return;
    short width = 0, height = 0;
    GetSize(&width, &height);
    key->SetupPointData(Point{height, width}, 1);
    stored = true;
  }
  if (nameOption != 0 || infoOption != 0) {
    cPrefStockData* list = item(group, kListGroup, 4);
    if (list == nullptr) return;
    if (nameOption != 0) {
      cPrefStockData* key = item(list, kNameOptionKey, 5);
      if (key == nullptr) return;
      key->SetupLongData(nameOption_, 1);
      stored = true;
    }
    if (infoOption != 0) {
      cPrefStockData* key = item(list, kInfoOptionKey, 6);
      if (key == nullptr) return;
      key->SetupLongData(infoOption_, 1);
      stored = true;
    }
  }
  if (saveNow != 0 && stored) prefStockFile_->SavePrefDataInFile();
}

void cCDR_MediaManager::SetupMediaWindowStatusFromReference(unsigned char position,
                                                            unsigned char size,
                                                            unsigned char nameOption,
                                                            unsigned char infoOption,
                                                            unsigned char redraw) {
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  Rect target = screen;
  InsetRect(&target, kOpenLeft, kOpenTop);
  const short screenWidth = short(screen.right - screen.left);
  const short screenHeight = short(screen.bottom - screen.top);
  short width = 0, height = 0;
  GetSize(&width, &height);
  bool anyChanged = false;
  unsigned char newName = 1, newInfo = 1;
  cPrefStockData* group =
      prefStockFile_ != nullptr
          ? prefStockFile_->GetTargetStockDataItemInPrefTopDataList(kWindowGroup, 1, 0)
          : nullptr;
  auto key = [](cPrefStockData* in, UInt32 id) {
    return in != nullptr ? in->GetTargetStockDataItemInUnderDataListByIdType(id, 0) : nullptr;
  };
  short newWidth = width, newHeight = height;
  Point stored = {0, 0};
  cPrefStockData* sizeKey = key(group, kSizeKey);
  if (sizeKey != nullptr && sizeKey->GetPointData(stored)) {
    newWidth = stored.h;
    newHeight = stored.v;
  } else if (group == nullptr) {
    newWidth = std::max(width, kDefaultWidth);
    newHeight = std::max(height, kDefaultHeight);
  } else if (width < kDefaultWidth || height < kDefaultHeight) {
    newWidth = kDefaultWidth;
    newHeight = kDefaultHeight;
  }
  // A stored size comes from a file, and may be of a larger screen: it is kept between the
  // window's least and greatest size (which the desktop holds the window to) and the screen.
  const short widest = std::min(screenWidth, std::max(maxWidth_, minWidth_));
  const short tallest = std::min(screenHeight, std::max(maxHeight_, minHeight_));
  newWidth = std::min(std::max(newWidth, minWidth_), widest);
  newHeight = std::min(std::max(newHeight, minHeight_), tallest);
  if (size != 0 && (newWidth != width || newHeight != height)) {
    SetSize(newWidth, newHeight);
    CatchResizeWindowCB(0);
    anyChanged = true;
  }
  cPrefStockData* positionKey = key(group, kPositionKey);
  if (position != 0 && positionKey != nullptr && positionKey->GetPointData(stored)) {
    GetSize(&width, &height);
    const Rect wanted = {stored.v, stored.h, short(stored.v + height), short(stored.h + width)};
    Rect placed = wanted;
    Sp_MoveAreaInTargetArea(target, wanted, placed, kSpPositionLeft, kSpPositionCenter);
    short left = 0, top = 0;
    GetLeftTopPositOnGlobal(&left, &top);
    if (placed.left != left || placed.top != top) {
      Move(placed.left, placed.top, 0);
      anyChanged = true;
    }
  }
  cPrefStockData* list = key(group, kListGroup);
  if (group != nullptr && list == nullptr) {
    if (anyChanged && redraw != 0) Sp_RedrawViewWindow(GetWindowRef(), 0);
    return;
  }
  SInt32 value = 0;
  cPrefStockData* nameKey = key(list, kNameOptionKey);
  if (nameKey != nullptr && nameKey->GetLongData(value)) newName = value != 0 ? 1 : 0;
  cPrefStockData* infoKey = key(list, kInfoOptionKey);
  // A stored option that names no column content (a damaged file) leaves the column as it is.
  if (infoKey != nullptr && infoKey->GetLongData(value) && value >= kCDR_InfoCount &&
      value <= kCDR_InfoSize) {
    newInfo = (unsigned char)value;
  }
  const unsigned char nameChanged = nameOption != 0 && newName != nameOption_;
  const unsigned char infoChanged = infoOption != 0 && newInfo != infoOption_;
  if (nameOption != 0) nameOption_ = newName;
  if (infoOption != 0) infoOption_ = newInfo;
  ApplyListOptions(nameChanged, infoChanged, anyChanged, redraw);
}

void cCDR_MediaManager::ApplyListOptions(unsigned char nameChanged, unsigned char infoChanged,
                                         unsigned char anyChanged, unsigned char redraw) {
  if (nameChanged != 0) ChangeMediaItemListNameWithSetupStatus();
  // The titles follow either option, so that a stored info option shows its own title too.
  if (nameChanged != 0 || infoChanged != 0) {
    SetupMediaListInfoItem(0, 0, nameChanged, 1, infoChanged, nameChanged, infoChanged, 0);
  }
  if ((anyChanged != 0 || nameChanged != 0 || infoChanged != 0) && redraw != 0) {
    Sp_RedrawViewWindow(GetWindowRef(), 0);
  }
}

// ---- Static procedures -------------------------------------------------------------------------

cCDR_MediaManager* CDRMM_ManagerOfRefCon(unsigned long refCon, const char* method) {
  if (refCon == 0) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, (cCDR_MediaManager*)nullptr);
  }
  return reinterpret_cast<cCDR_MediaManager*>(refCon);
}

void CDRObj_CatchResizeWindowCB(cSp_Window*, short, unsigned long refCon) {
  if (auto* m = CDRMM_ManagerOfRefCon(refCon, "CDRObj_CatchResizeWindowCB")) {
    m->CatchResizeWindowCB(1);
  }
}

void CDRObj_CatchMoveWindowCB(cSp_Window*, short, unsigned long refCon) {
  if (auto* m = CDRMM_ManagerOfRefCon(refCon, "CDRObj_CatchMoveWindowCB")) {
    m->CatchMoveWindowCB();
  }
}

void CDRObj_CatchAfterCloseWindowCB(cSp_Window*, short, unsigned long refCon) {
  if (auto* m = CDRMM_ManagerOfRefCon(refCon, "CDRObj_CatchAfterCloseWindowCB")) {
    m->CatchAfterCloseWindowCB();
  }
}

unsigned char CDR_MediaWindowCloseProc(cSp_Window*, short, unsigned long refCon) {
  cCDR_MediaManager* manager =
      refCon != 0 ? reinterpret_cast<cCDR_MediaManager*>(refCon) : CDR_GetMediaManagerPtr();
  // While a save goes on at the person's word, the window stays.
  return manager == nullptr ? 1 : manager->MayCloseWindow();
}

void CDR_MediaWindowMoveToFrontProc(cSp_Window*, short, unsigned long refCon) {
  Sp_DisableMenuItem(CDR_CurrentMenuBarID(), CDR_CurrentFileMenuID(), kCDR_FileEjectItem, 0);
  // A CD still selected keeps its eject item when the window comes to the front again.
  if (refCon != 0) {
    cCDR_MediaManager* manager = reinterpret_cast<cCDR_MediaManager*>(refCon);
    manager->SetupMediaWindowStatusForMediaListSelection(0, manager->IsSaveRunning() ? 1 : 0);
  }
  if (cSpMenuManager* manager = Sp_GetMenuManager(0)) manager->ReDrawMenu();
}
