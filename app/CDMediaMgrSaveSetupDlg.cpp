#include "CDMediaMgrSaveSetupDlg.h"

#include <cstring>
#include <memory>

#include "ByteOrder.h"
#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrFileName.h"
#include "Folders.h"
#include "Gestalt.h"
#include "QuickTimeComponents.h"
#include "Resources.h"
#include "SpCDREngineAlert.h"
#include "SpErrorInfoSystem.h"
#include "SpNavigationMgrObject.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"
#include "SpStringView.h"
#include "SpWindow.h"
#include "TevoMMFileNameDefDlg.h"
#include "TevoSaveFileNameDefObj.h"

namespace {

const char kSource[] = "CDMediaMgrSaveSetupDlg";
const char kMsgSystemFolder[] = "System Folder Definition Error !! ";

enum : short {
  kOneFileDialogID = 133,
  kEachFileDialogID = 134,
  kTitleStrings = 5014,
  kEachFileLabelStrings = 5024,
  kFolderDialogItemList = 200,
  kTextSize = 10,
};

// Everything one run made, freed when the run ends whichever way it ends.
struct Run {
  sCDRMGR_AskSaveInfoDlgData state{};
  std::unique_ptr<cSp_Window> window;
  cCDRDlg_HandlerSet handlers;

  ~Run() {
    cSp_StringView** views[] = {&state.compressorView, &state.rateView,    &state.sizeView,
                                &state.folderLabelView, &state.nameLabelView, &state.folderView,
                                &state.nameView};
    for (cSp_StringView** view : views) CDRDlg_DisposeStringView(*view);
    delete state.definition;
    if (state.info.codecSettings != nullptr) DisposeHandle(state.info.codecSettings);
  }
};

sCDRMGR_AskSaveInfoDlgData* StateOf(void* data) {
  return static_cast<sCDRMGR_AskSaveInfoDlgData*>(data);
}

OSStatus EndWith(void* data, SInt16 item) {
  return CDRDlg_EndWith<sCDRMGR_AskSaveInfoDlgData>(data, item);
}

bool HaveQuickTime6() {
  SInt32 version = 0;
  return Gestalt(gestaltQuickTimeVersion, &version) == noErr &&
         ((UInt32(version) >> 16) & 0xFFFF) > 0x05FF;
}

void SetOptionsActive(sCDRMGR_AskSaveInfoDlgData* state) {
  ControlRef options = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupOptionsItem);
  if (options == nullptr) return;
  const SInt32 item = CDRMGRFileSaveSetup_ItemOfFileType(state->info.fileType);
  if (item == 3 || item == 5) {
    ActivateControl(options);
  } else {
    DeactivateControl(options);
  }
}

// The size of item 2 of the choose-folder dialog's item list: the room it gives the message.
Point FolderDialogAreaSize() {
  Handle list = GetResource(SpFourCC("DITL"), kFolderDialogItemList);
  if (list == nullptr || *list == nullptr) return Point{0, 0};
  sp::ByteReader in(*list, std::size_t(GetHandleSize(list)));
  const SInt32 count = SInt32(in.BE16()) + 1;
  for (SInt32 n = 1; n <= count && in.Ok(); ++n) {
    in.Skip(4);
    const SInt16 top = in.SBE16(), left = in.SBE16(), bottom = in.SBE16(), right = in.SBE16();
    in.U8();
    const UInt8 length = in.U8();
    in.Skip(length + (length & 1));
    if (n == 2 && in.Ok()) return Point{SInt16(bottom - top), SInt16(right - left)};
  }
  return Point{0, 0};
}

// The folder row and the file-name row of the each-file dialog: the labels right-aligned in a
// column as wide as the wider of them plus two pixels, the outputs from one pixel right of it.
void MakeEachFileRows(sCDRMGR_AskSaveInfoDlgData* state) {
  const DialogItemIndex rows[2] = {kCDR_SaveSetupFolderRowItem, kCDR_SaveSetupNameRowItem};
  cSp_StringView** labels[2] = {&state->folderLabelView, &state->nameLabelView};
  cSp_StringView** outputs[2] = {&state->folderView, &state->nameView};
  short column = 0;
  for (int i = 0; i < 2; ++i) {
    char text[256] = "";
    Sp_GetResourceIndexString(text, kEachFileLabelStrings, short(i + 1));
    *labels[i] = CDRDlg_NewStringView(state->window, CDRDlg_ItemBox(state->dialog, rows[i]),
                                      kTextSize, text, 3);
    if (*labels[i] != nullptr && (*labels[i])->GetCurrentStringWidth() + 2 > column) {
      column = short((*labels[i])->GetCurrentStringWidth() + 2);
    }
  }
  for (int i = 0; i < 2; ++i) {
    Rect box = CDRDlg_ItemBox(state->dialog, rows[i]);
    Rect label = box;
    label.right = short(box.left + column);
    if (*labels[i] != nullptr) (*labels[i])->ResizeViewArea(label, 0, 0);
    Rect output = box;
    output.left = short(label.right + 1);
    *outputs[i] = CDRDlg_NewStringView(state->window, output, kTextSize, "", 1);
    if (*outputs[i] != nullptr) {
      (*outputs[i])->SetupModifyStringWidthParam(16384, nullptr, 0, 0);
      (*outputs[i])->EnableModifyStringWidth(0, 0);
    }
  }
}

// The each-file part of the opening: the rows, the folder (kept, else Documents), the
// definition of the each-file names. False when no folder can be had at all.
bool SetupEachFile(sCDRMGR_AskSaveInfoDlgData* state, FSRef& startFolder) {
  MakeEachFileRows(state);
  sCDR_SaveSetupInfo& info = state->info;
  if (CDRMM_GetDefaultStockPositionForMultiFileIntoEachFile(state->stock, info.folder)) {
    info.folderValid = 1;
  } else if (FSFindFolder(kOnSystemDisk, kDocumentsFolderType, true, &info.folder) == noErr) {
    info.folderValid = 1;
  } else {
    return false;
  }
  startFolder = info.folder;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (CDRMMgr_GetFileNameDefFolder(vRefNum, dirID)) {
    state->definition = new (std::nothrow)
        cTevo_SaveFileNameDefObject(vRefNum, dirID, kTevo_FileNameDefIntoEachFileName);
  }
  if (state->definition == nullptr) {
    SpReportFailure(kSource, "CDRMGR_AskSaveSetup", 3, kSpMsgMemory);
  } else if (!state->definition->LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() ||
             !state->definition->CheckExistAbalableItem()) {
    state->definition->DefaultSetup();
  }
  CDRMGRFileSaveSetup_LoadInitialSetupForSavingMultiFileIntoEachFile(state);
  CDRMGRSaveSpeedSetup_SetupSaveTargetDirOutputItem(state);
  CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem(state);
  return true;
}

void InstallHandlers(Run& run) {
  sCDRMGR_AskSaveInfoDlgData* state = &run.state;
  cCDRDlg_HandlerSet& on = run.handlers;
  on.OnItemHit(state->windowObj, kCDR_SaveSetupOKItem,
               CDMedia_CatchSaveSetupDialogOKButtonForOSXCFMHProc, state);
  on.OnItemHit(state->windowObj, kCDR_SaveSetupCancelItem,
               CDMedia_CatchSaveSetupDialogCancelButtonForOSXCFMHProc, state);
  on.OnItemHit(state->windowObj, kCDR_SaveSetupOptionsItem,
               CDMedia_CatchSaveSetupDialogOptionButtonForOSXCFMHProc, state);
  on.OnItemValueChanged(state->dialog, kCDR_SaveSetupSpeedItem,
                        CDMedia_CatchSaveSetupDialogSpeedValueChangedForOSXCFMHProc, state);
  on.OnItemValueChanged(state->dialog, kCDR_SaveSetupTypeItem,
                        CDMedia_CatchSaveSetupDialogFileTypeChangedForOSXCFMHProc, state);
  on.OnRawKeyDown(state->window, CDMedia_CatchSaveSetupDialogKeyRowDownForOSXCFMHProc, state);
  if (state->eachFile != 0) {
    on.OnItemHit(state->windowObj, kCDR_SaveSetupFolderButtonItem,
                 CDMedia_CatchSaveDirSetupButtonForOSXCFMHProc, state);
    on.OnItemHit(state->windowObj, kCDR_SaveSetupDefinitionButtonItem,
                 CDMedia_CatchSaveFileNameDefinisionSetupButtonForOSXCFMHProc, state);
  }
  SetWindowDefaultButton(state->window, CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupOKItem));
  SetWindowCancelButton(state->window,
                        CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupCancelItem));
}

// The end of a run: what is kept, and what the caller gets on OK.
unsigned char Close(Run& run, const FSRef& startFolder, sCDR_SaveSetupInfo& result) {
  sCDRMGR_AskSaveInfoDlgData* state = &run.state;
  const bool ok = state->itemHit == kCDR_SaveSetupOKItem;
  CDRMGRFileSaveSetup_StockWindowPosit(state);
  run.window->Close();
  if (ok) CDRMGRFileSaveSetup_GetDialogItemStatus(state);
  sCDR_SaveSetupInfo& info = state->info;
  if (state->eachFile != 0) {
    CDRMGRFileSaveSetup_StockInitialSetupForSavingMultiFileIntoEachFile(state);
    if (ok && state->definition != nullptr) {
      state->definition->SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder();
    }
    if (ok && info.folderValid != 0 && FSCompareFSRefs(&info.folder, &startFolder) != noErr) {
      CDRMM_SaveDefaultStockPositionForMultiFileIntoEachFile(state->stock, info.folder);
    }
  }
  const bool keepsCodec =
      ok && (info.fileType == SpFourCC("MooV") || info.fileType == SpFourCC("AIFC"));
  if (!keepsCodec && info.codecSettings != nullptr) {
    DisposeHandle(info.codecSettings);
    info.codecSettings = nullptr;
  }
  info.movieFlag = info.fileType == SpFourCC("MooV") ? 1 : 0;
  if (ok) {
    CDRMGRFileSaveSetup_FitCompressionToType(info);
    if (info.compressionType == SpFourCC("NONE") && info.sampleSize == 16) {
      info.compressionType = SpFourCC("twos");
    }
    result = info;
    info.codecSettings = nullptr;  // the caller's now
    CDRMGRFileSaveSetup_StockInitialSetup(state);
  }
  Sp_SaveModifyPreferenceStock();
  return ok ? 1 : 0;
}

}  // namespace

unsigned char CDRMGR_AskSaveSetup(Rect& area, cPrefStockFileObj* stock,
                                  sCDR_SaveSetupDlgSpeedInfo speeds, UInt32 sampleRate,
                                  short sampleSize, short channels, sCDR_SaveSetupInfo& result,
                                  unsigned char eachFile, short itemCount) {
  static const char kMethod[] = "CDRMGR_AskSaveSetup";
  std::unique_ptr<Run> run(new (std::nothrow) Run);
  if (run == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  sCDRMGR_AskSaveInfoDlgData* state = &run->state;
  state->eachFile = eachFile != 0 ? 1 : 0;
  state->stock = stock;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!CDRMMgr_GetFileNameDefFolder(vRefNum, dirID)) {
    return SpReportFailure(kSource, kMethod, 3, kMsgSystemFolder, static_cast<unsigned char>(0));
  }
  run->window.reset(
      Sp_NewDialogObject(state->eachFile != 0 ? kEachFileDialogID : kOneFileDialogID, 1));
  if (run->window == nullptr || run->window->GetDialogRef() == nullptr) {
    CDRDlg_ReportDialogOpenFailure(kSource, kMethod, 2);
    return 0;
  }
  state->windowObj = run->window.get();
  state->dialog = run->window->GetDialogRef();
  state->window = GetDialogWindow(state->dialog);
  char title[256] = "";
  Sp_GetResourceIndexString(title, kTitleStrings,
                            state->eachFile != 0 ? 3 : (itemCount < 2 ? 1 : 2));
  run->window->SetTitle(title);

  CDRMGRFileSaveSetup_LoadInitialSetup(state, area);
  state->quickTime6 = HaveQuickTime6() ? 1 : 0;
  sCDR_SaveSetupInfo& info = state->info;
  if (info.movieFlag == 0) {
    info.compressionType = state->quickTime6 != 0 ? SpFourCC("mp4a") : SpFourCC("twos");
  } else if (info.compressionType == SpFourCC("mp4a") && state->quickTime6 == 0) {
    info.compressionType = SpFourCC("twos");
  }
  info.sampleRate = sampleRate;
  info.sampleSize = sampleSize;
  info.channels = channels;
  CDRMGRFileSaveSetup_FitSampleSizeToCompression(info);

  state->speedPopup = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupSpeedItem);
  CDRMGRFileSaveSetup_InitialSetupDlgItem(state, speeds);
  state->shrunkHeight = CDRDlg_ItemBox(state->dialog, kCDR_SaveSetupShrinkItem).bottom;
  state->fullHeight = CDRDlg_WindowSize(state->windowObj).v;
  state->compressorView = CDRDlg_NewStringView(
      state->window, CDRDlg_ItemBox(state->dialog, kCDR_SaveSetupCompressorItem), kTextSize, "", 1);
  state->rateView = CDRDlg_NewStringView(
      state->window, CDRDlg_ItemBox(state->dialog, kCDR_SaveSetupRateItem), kTextSize, "", 1);
  state->sizeView = CDRDlg_NewStringView(
      state->window, CDRDlg_ItemBox(state->dialog, kCDR_SaveSetupSizeItem), kTextSize, "", 1);
  CDRMGRFileSaveSetup_ModifyWindowSizeAndCompressInfo(state);

  FSRef startFolder;
  std::memset(&startFolder, 0, sizeof startFolder);
  if (state->eachFile != 0 && !SetupEachFile(state, startFolder)) return 0;

  run->window->Open(1, nullptr);
  InstallHandlers(*run);
  DrawDialog(state->dialog);
  RunAppModalLoopForWindow(state->window);
  return Close(*run, startFolder, result);
}

// ---- Handlers -------------------------------------------------------------------------------

namespace {

// The each-file folder is there: a folder chosen on an earlier run may have been removed since,
// or lie on a disc that was taken out.
bool FolderThere(sCDRMGR_AskSaveInfoDlgData* state) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  return state->info.folderValid != 0 && Sp_ExsitTargetFileOrDirByFSRef(&state->info.folder) != 0 &&
         Sp_GetDirectoryPositionInfoFromFSRef(&state->info.folder, &vRefNum, &dirID) == noErr;
}

// OK in each-file mode without a folder to save into: the person is told (a sheet on the
// set-up) and asked for a folder with the folder button's dialog. True when there is one now.
bool AskForMissingFolder(EventHandlerCallRef call, EventRef event,
                         sCDRMGR_AskSaveInfoDlgData* state) {
  state->info.folderValid = 0;
  CDRMGRSaveSpeedSetup_SetupSaveTargetDirOutputItem(state);
  std::string title = SpCDR_MJ("フォルダが見つかりません。");
  std::string text = SpCDR_MJ(
      "保存場所のフォルダがありません（削除されたか、取り外されたディスクにあります）。"
      "ファイルを保存するフォルダを選んでください。");
  std::string button = SpCDR_MJ("フォルダを選ぶ");
  Sp_SayDialogByModalBySheetAlert(state->window, kSpStdSayDlgCaution, &title[0], &text[0],
                                  &button[0]);
  CDMedia_CatchSaveDirSetupButtonForOSXCFMHProc(call, event, state);
  return FolderThere(state);
}

}  // namespace

// In each-file mode OK needs a folder that is there: without one the set-up stays open, so
// that nothing looks done that is not.
OSStatus CDMedia_CatchSaveSetupDialogOKButtonForOSXCFMHProc(EventHandlerCallRef call,
                                                            EventRef event, void* data) {
  auto* state = StateOf(data);
  if (state != nullptr && state->eachFile != 0 && !FolderThere(state) &&
      !AskForMissingFolder(call, event, state)) {
    return noErr;
  }
  return EndWith(data, kCDR_SaveSetupOKItem);
}

OSStatus CDMedia_CatchSaveSetupDialogCancelButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                void* data) {
  return EndWith(data, kCDR_SaveSetupCancelItem);
}

OSStatus CDMedia_CatchSaveSetupDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef, EventRef event,
                                                              void* data) {
  if (data == nullptr) return paramErr;
  const short answer = CDRDlg_AnswerOfKey(event);
  if (answer == kCDR_SaveSetupOKItem) {
    return CDMedia_CatchSaveSetupDialogOKButtonForOSXCFMHProc(nullptr, event, data);
  }
  return answer != 0 ? EndWith(data, answer) : OSStatus(eventNotHandledErr);
}

OSStatus CDMedia_CatchSaveSetupDialogFileTypeChangedForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                   void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  ControlRef type = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupTypeItem);
  if (type != nullptr) {
    state->info.fileType = CDRMGRFileSaveSetup_FileTypeOfItem(GetControl32BitValue(type));
  }
  SetOptionsActive(state);
  CDRMGRFileSaveSetup_ModifyWindowSizeAndCompressInfo(state);
  if (state->eachFile != 0) CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem(state);
  return noErr;
}

OSStatus CDMedia_CatchSaveSetupDialogSpeedValueChangedForOSXCFMHProc(EventHandlerCallRef,
                                                                     EventRef, void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  CDRMGRFileSaveSetup_GetDialogItemStatus(state);
  if (state->eachFile != 0) CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem(state);
  return noErr;
}

OSStatus CDMedia_CatchSaveSetupDialogOptionButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  ComponentInstance component =
      OpenDefaultComponent(StandardCompressionType, StandardCompressionSubTypeSound);
  if (component == nullptr) return noErr;
  if (ControlRef channels = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupChannelsItem)) {
    state->info.channels = GetControl32BitValue(channels) == 1 ? 1 : 2;
  }
  CDRMGR_SetupSaveSetupDlgOptionDlgComponentInfo(state, component);
  if (SCRequestImageSettings(component) == userCanceledErr) {
    CloseComponent(component);
    return noErr;
  }
  CDRMGR_GetSaveSetupDlgOptionDlgComponentInfo(state, component);
  CloseComponent(component);
  state->optionsChanged = 1;
  if (ControlRef channels = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupChannelsItem)) {
    SetControl32BitValue(channels, state->info.channels == 1 ? 1 : 2);
  }
  CDRMGRFileSaveSetup_ModifyWindowSizeAndCompressInfo(state);
  return noErr;
}

OSStatus CDMedia_CatchSaveDirSetupButtonForOSXCFMHProc(EventHandlerCallRef, EventRef, void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  cNavMgrObject navigator(SpFourCC("Zqcd"));
  const Point area = FolderDialogAreaSize();
  navigator.SetupCustomizeControlArea(area.h, area.v);
  const std::string message = SpCDR_MJ("保存場所の設定");
  std::strncpy(navigator.message, message.c_str(), sizeof navigator.message - 1);
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (state->info.folderValid != 0 &&
      Sp_GetDirectoryPositionInfoFromFSRef(&state->info.folder, &vRefNum, &dirID) == noErr) {
    navigator.SetupDefaultLocation(vRefNum, dirID, nullptr);
  }
  FSRef chosen;
  if (navigator.NavigatorGetChooseFolderForX(&chosen)) {
    state->info.folder = chosen;
    state->info.folderValid = 1;
    CDRMGRSaveSpeedSetup_SetupSaveTargetDirOutputItem(state);
  }
  return noErr;
}

OSStatus CDMedia_CatchSaveFileNameDefinisionSetupButtonForOSXCFMHProc(EventHandlerCallRef,
                                                                      EventRef, void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  if (state->definition == nullptr) return noErr;
  Rect content = {0, 0, 0, 0};
  state->windowObj->GetContentAreaOnGlobal(content);
  if (TevoMMFNDef_OpenAndSetupFileNameDefinition(content, state->stock, state->info.speed,
                                                 kTevo_FileNameDefIntoEachFile, nullptr,
                                                 state->definition)) {
    CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem(state);
  }
  return noErr;
}

// ---- The speeds -----------------------------------------------------------------------------

unsigned char CDRMGRSaveSpeedSetup_LoadInitialSetup(cPrefStockFileObj* stock,
                                                    sCDR_SaveSetupDlgSpeedInfo& speeds) {
  const struct {
    UInt32 key;
    double* value;
  } fields[] = {{kCDR_StartSpeedKey, &speeds.startSpeed},
                {kCDR_EndSpeedKey, &speeds.endSpeed},
                {kCDR_IntervalKey, &speeds.interval}};
  int found = 0;
  for (const auto& field : fields) {
    double value = 0;
    if (CDRDlg_LoadDouble(stock, kCDR_SpeedGroup, field.key, value)) {
      *field.value = value;
      ++found;
    }
  }
  return found == 3 ? 1 : 0;
}
