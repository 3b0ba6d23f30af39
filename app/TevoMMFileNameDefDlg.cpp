#include "TevoMMFileNameDefDlg.h"

#include <memory>
#include <string>

#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrFileName.h"
#include "SpCDREngineAlert.h"
#include "SpErrorInfoSystem.h"
#include "SpPreferenceStockObject.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"
#include "SpStringView.h"
#include "SpWindow.h"

namespace {

const char kSource[] = "TevoMMFileNameDefDlg";
const char kMsgNullArgument[] = "Required arugment is null !! ";

enum : short {
  kBothDialogID = 152,
  kOneDialogID = 151,
  kExampleLabelStrings = 5025,
  kTextSize = 10,
};

// The kind of each popup item, from item 1; the items between groups give 0 as the no-part
// item does.
const tSaveFileNameDefType kKindOfItem[kTevo_DefDlgPopupItemCount] = {
    0, 0, 1, 2, 4, 5, 0, 6, 7, 0, 8, 9, 10, 0, 11, 12, 13, 0, 15, 14, 17, 16};

// Everything one run made, freed when the run ends whichever way it ends.
struct Run {
  sTevo_MediaMgrFileDefDlgData state{};
  std::unique_ptr<cSp_Window> window;
  cCDRDlg_HandlerSet handlers;

  ~Run() {
    CDRDlg_DisposeStringView(state.exampleView);
    CDRDlg_DisposeStringView(state.labelView);
    for (cSp_StringView*& view : state.plusViews) CDRDlg_DisposeStringView(view);
    delete state.oneFileCopy;
    delete state.eachFileCopy;
  }
};

sTevo_MediaMgrFileDefDlgData* StateOf(void* data) {
  return static_cast<sTevo_MediaMgrFileDefDlgData*>(data);
}

OSStatus EndWith(void* data, SInt16 item) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  state->itemHit = item;
  QuitAppModalLoopForWindow(GetDialogWindow(state->dialog));
  return noErr;
}

UInt32 GroupOfKind(tTevo_FileNameDefDlgType kind) {
  switch (kind) {
    case kTevo_FileNameDefBoth: return kTevo_DefDlgBothGroup;
    case kTevo_FileNameDefIntoOneFile: return kTevo_DefDlgOneFileGroup;
    case kTevo_FileNameDefIntoEachFile: return kTevo_DefDlgEachFileGroup;
    default: return 0;
  }
}

// A copy of the caller's definition, named after its file in the definitions' folder.
cTevo_SaveFileNameDefObject* CopyOf(cTevo_SaveFileNameDefObject* source, const char* fileName,
                                    short vRefNum, SInt32 dirID) {
  if (source == nullptr) return nullptr;
  auto* copy = new (std::nothrow) cTevo_SaveFileNameDefObject(vRefNum, dirID, fileName);
  if (copy == nullptr) {
    return SpReportFailure(kSource, "TevoMMFNDef_OpenAndSetupFileNameDefinition", 4, kSpMsgMemory,
                           copy);
  }
  copy->CopyFromTargetObject(source);
  return copy;
}

// Kind 1's place: the kept one, else a third of the way into the area; then at least 10 pixels
// inside the screen's left, right and bottom edges and 30 inside its top.
Point BothKindPosition(const Rect& area, Point size, const Point* stored) {
  Point at = stored != nullptr
                 ? *stored
                 : Point{short(area.top + (area.bottom - area.top) / 3),
                         short(area.left + (area.right - area.left) / 3)};
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  if (at.h < screen.left + 10) {
    at.h = short(screen.left + 10);
  } else if (at.h + size.h > screen.right - 10) {
    at.h = short(screen.right - 10 - size.h);
  }
  if (at.v < screen.top + 30) {
    at.v = short(screen.top + 30);
  } else if (at.v + size.v > screen.bottom - 10) {
    at.v = short(screen.bottom - 10 - size.v);
  }
  return at;
}

// The label and example of item 3 and the "+" between the popups.
void MakeViews(sTevo_MediaMgrFileDefDlgData* state, WindowRef window) {
  const Rect box = CDRDlg_ItemBox(state->dialog, kTevo_DefDlgExampleItem);
  char label[256] = "";
  Sp_GetResourceIndexString(label, kExampleLabelStrings, 1);
  state->labelView = CDRDlg_NewStringView(window, box, kTextSize, label, 1);
  Rect example = box;
  if (state->labelView != nullptr) {
    Rect labelBox = box;
    labelBox.right = short(box.left + state->labelView->GetCurrentStringWidth() + 2);
    state->labelView->ResizeViewArea(labelBox, 0, 0);
    example.left = labelBox.right;
  }
  state->exampleView = CDRDlg_NewStringView(window, example, kTextSize, "", 1);
  for (int i = 0; i < 6; ++i) {
    const Rect plus = CDRDlg_ItemBox(state->dialog, DialogItemIndex(kTevo_DefDlgFirstPlusItem + i));
    state->plusViews[i] = CDRDlg_NewStringView(window, plus, kTextSize, "+", 2);
    if (state->plusViews[i] != nullptr) {
      state->plusViews[i]->SetTextOutput_V_PositionType(tPositionType(2), 0);
    }
  }
}

void InstallHandlers(Run& run, WindowRef window) {
  sTevo_MediaMgrFileDefDlgData* state = &run.state;
  cCDRDlg_HandlerSet& on = run.handlers;
  on.OnItemHit(state->windowObj, kTevo_DefDlgOKItem,
               CDMedia_CatchFileNameDefinisionDialogOKButtonProc, state);
  on.OnItemHit(state->windowObj, kTevo_DefDlgCancelItem,
               CDMedia_CatchFileNameDefinisionDialogCancelButtonProc, state);
  SetWindowDefaultButton(window, CDRDlg_ItemControl(state->dialog, kTevo_DefDlgOKItem));
  SetWindowCancelButton(window, CDRDlg_ItemControl(state->dialog, kTevo_DefDlgCancelItem));
  for (DialogItemIndex item = kTevo_DefDlgFirstPartItem; item <= kTevo_DefDlgLastPartItem;
       ++item) {
    on.OnItemValueChanged(state->dialog, item,
                          CDMedia_CatchFileNameDefinisionDialogNameDefPopupModifyProc, state);
  }
  on.OnRawKeyDown(window, CDMedia_CatchFileNameDefinisionDialogKeyRowDownForOSXCFMHProc, state);
}

}  // namespace

// ---- Popup items ----------------------------------------------------------------------------

SInt32 TevoMMFNDef_NameDefinitionNoToNameDefinitionPopupItemNo(tSaveFileNameDefType kind) {
  if (kind == kTevo_NameDefNone) return 1;
  for (SInt32 i = 0; i < kTevo_DefDlgPopupItemCount; ++i) {
    if (kKindOfItem[i] == kind) return i + 1;
  }
  return 0;
}

tSaveFileNameDefType TevoMMFNDef_NameDefinitionPopupItemNoToNameDefinitionNo(SInt32 item) {
  if (item < 1 || item > kTevo_DefDlgPopupItemCount) return kTevo_NameDefNone;
  return kKindOfItem[item - 1];
}

// ---- Stock ----------------------------------------------------------------------------------

Boolean TevoMMFNDef_GetFileNameSetupDlgPreference(cPrefStockFileObj* stock,
                                                  tTevo_FileNameDefDlgType kind, Point* position,
                                                  tTevo_FileNameDefDlgType* outputType) {
  const UInt32 group = GroupOfKind(kind);
  if (stock == nullptr || group == 0) return 0;
  bool found = false;
  if (position != nullptr) found = CDRDlg_LoadPoint(stock, group, kCDR_DialogPositionKey, *position);
  SInt32 type = 0;
  if (CDRDlg_LoadLong(stock, group, kTevo_DefDlgOutputTypeKey, type)) {
    found = true;
    if (outputType != nullptr) {
      *outputType = type == kTevo_FileNameDefIntoOneFile ? kTevo_FileNameDefIntoOneFile
                                                         : kTevo_FileNameDefIntoEachFile;
    }
  }
  return found ? 1 : 0;
}

void TevoMMFNDef_SaveFileNameSetupDlgPreference(cPrefStockFileObj* stock,
                                                tTevo_FileNameDefDlgType kind, Point* position,
                                                tTevo_FileNameDefDlgType* outputType) {
  static const char kMethod[] = "TevoMMFNDef_SaveFileNameSetupDlgPreference";
  const UInt32 group = GroupOfKind(kind);
  if (stock == nullptr || group == 0) return;
  if (position != nullptr && !CDRDlg_StorePoint(stock, group, kCDR_DialogPositionKey, *position)) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
  }
  if (outputType != nullptr) {
    const SInt32 stored = *outputType == kTevo_FileNameDefIntoOneFile ||
                                  *outputType == kTevo_FileNameDefIntoEachFile
                              ? *outputType
                              : 0;
    if (!CDRDlg_StoreLong(stock, group, kTevo_DefDlgOutputTypeKey, stored)) {
      SpReportFailure(kSource, kMethod, 3, kSpMsgMemory);
    }
  }
}

// ---- Showing and changing -------------------------------------------------------------------

cTevo_SaveFileNameDefObject* CDMedia_GetCurrentTargetFileNameDefObjPtr(
    sTevo_MediaMgrFileDefDlgData* state) {
  if (state == nullptr) return nullptr;
  tTevo_FileNameDefDlgType shown = state->kind;
  if (shown == kTevo_FileNameDefBoth) shown = state->outputType;
  if (shown == kTevo_FileNameDefIntoOneFile) return state->oneFileCopy;
  if (shown == kTevo_FileNameDefIntoEachFile) return state->eachFileCopy;
  return nullptr;
}

void TevoMMFNDef_SetupFileNameExpString(sTevo_MediaMgrFileDefDlgData* state,
                                        cTevo_SaveFileNameDefObject* definition) {
  if (state == nullptr || state->exampleView == nullptr) return;
  char example[1024] = "";
  if (definition != nullptr) {
    definition->CreateExampleStringForOutput(example, sizeof example, state->speed);
  }
  state->exampleView->SetString(example, 1);
}

void TevoMMFNDef_ChangeOutputType(sTevo_MediaMgrFileDefDlgData* state,
                                  tTevo_FileNameDefDlgType outputType, unsigned char force) {
  if (state == nullptr) return;
  if (force == 0 && outputType == state->outputType) return;
  state->outputType = outputType;
  cTevo_SaveFileNameDefObject* shown = nullptr;
  if (state->kind == kTevo_FileNameDefBoth) {
    const bool oneFile = outputType == kTevo_FileNameDefIntoOneFile;
    state->updating = 1;
    if (state->outputTypePopup != nullptr) {
      SetControl32BitValue(state->outputTypePopup, oneFile ? 1 : 2);
    }
    shown = oneFile ? state->oneFileCopy : state->eachFileCopy;
  } else if (state->kind == kTevo_FileNameDefIntoOneFile) {
    shown = state->oneFileCopy;
  } else if (state->kind == kTevo_FileNameDefIntoEachFile) {
    shown = state->eachFileCopy;
  } else {
    return;
  }
  state->updating = 1;
  const cTevo_SaveFileNameDefItemObject* part =
      shown != nullptr ? shown->FileNameDefItemListHeadPtr() : nullptr;
  for (ControlRef popup : state->partPopups) {
    SInt32 item = 1;
    if (part != nullptr) {
      item = TevoMMFNDef_NameDefinitionNoToNameDefinitionPopupItemNo(part->GetDefinitionType());
      part = part->GetNextObjectPtr();
    }
    if (popup != nullptr) SetControl32BitValue(popup, item);
  }
  state->updating = 0;
  TevoMMFNDef_SetupFileNameExpString(state, shown);
}

unsigned char TevoMMFNDef_ModifyFileNameDefFromDialogStatus(
    sTevo_MediaMgrFileDefDlgData* state, cTevo_SaveFileNameDefObject* definition) {
  if (state == nullptr || definition == nullptr) return 0;
  definition->StartSequentialModify();
  for (ControlRef popup : state->partPopups) {
    if (popup == nullptr) continue;
    const tSaveFileNameDefType kind =
        TevoMMFNDef_NameDefinitionPopupItemNoToNameDefinitionNo(GetControl32BitValue(popup));
    if (kind != kTevo_NameDefNone) definition->SetupDefinitionTypeOnSequentialModify(kind);
  }
  return definition->EndOfSequentialModify();
}

// ---- Handlers -------------------------------------------------------------------------------

OSStatus CDMedia_CatchFileNameDefinisionDialogOKButtonProc(EventHandlerCallRef, EventRef,
                                                           void* data) {
  return EndWith(data, kTevo_DefDlgOKItem);
}

OSStatus CDMedia_CatchFileNameDefinisionDialogCancelButtonProc(EventHandlerCallRef, EventRef,
                                                               void* data) {
  return EndWith(data, kTevo_DefDlgCancelItem);
}

OSStatus CDMedia_CatchFileNameDefinisionDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef,
                                                                       EventRef event,
                                                                       void* data) {
  if (data == nullptr) return paramErr;
  const short answer = CDRDlg_AnswerOfKey(event);
  return answer != 0 ? EndWith(data, answer) : OSStatus(eventNotHandledErr);
}

OSStatus CDMedia_CatchFileNameDefinisionDialogNameDefPopupModifyProc(EventHandlerCallRef, EventRef,
                                                                     void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  if (state->updating != 0) return noErr;
  cTevo_SaveFileNameDefObject* current = CDMedia_GetCurrentTargetFileNameDefObjPtr(state);
  if (current == nullptr) return paramErr;
  if (TevoMMFNDef_ModifyFileNameDefFromDialogStatus(state, current)) {
    current->SetupModifyFlag(1);
    (current == state->oneFileCopy ? state->oneFileModified : state->eachFileModified) = 1;
    TevoMMFNDef_SetupFileNameExpString(state, current);
  }
  return noErr;
}

OSStatus CDMedia_CatchFileNameDefinisionDialogOutputTypePopupModifyProc(EventHandlerCallRef,
                                                                        EventRef, void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  if (state->updating != 0) return noErr;
  const SInt32 value =
      state->outputTypePopup != nullptr ? GetControl32BitValue(state->outputTypePopup) : 0;
  if (value != 1 && value != 2) return paramErr;
  TevoMMFNDef_ChangeOutputType(
      state, value == 1 ? kTevo_FileNameDefIntoOneFile : kTevo_FileNameDefIntoEachFile, 0);
  return noErr;
}

// ---- The dialog -----------------------------------------------------------------------------

Boolean TevoMMFNDef_OpenAndSetupFileNameDefinition(Rect& area, cPrefStockFileObj* stock,
                                                   float speed, tTevo_FileNameDefDlgType kind,
                                                   cTevo_SaveFileNameDefObject* oneFile,
                                                   cTevo_SaveFileNameDefObject* eachFile) {
  static const char kMethod[] = "TevoMMFNDef_OpenAndSetupFileNameDefinition";
  if (oneFile == nullptr && eachFile == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kMsgNullArgument, Boolean(0));
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!CDRMMgr_GetFileNameDefFolder(vRefNum, dirID)) return 0;
  std::unique_ptr<Run> run(new (std::nothrow) Run);
  if (run == nullptr) return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, Boolean(0));
  sTevo_MediaMgrFileDefDlgData* state = &run->state;
  run->window.reset(
      Sp_NewDialogObject(kind == kTevo_FileNameDefBoth ? kBothDialogID : kOneDialogID, 1));
  if (run->window == nullptr || run->window->GetDialogRef() == nullptr) {
    CDRDlg_ReportDialogOpenFailure(kSource, kMethod, 3);
    return 0;
  }
  state->windowObj = run->window.get();
  state->dialog = run->window->GetDialogRef();
  WindowRef window = GetDialogWindow(state->dialog);
  state->kind = kind;
  state->speed = speed;
  state->oneFileCopy = CopyOf(oneFile, kTevo_FileNameDefIntoOneFileName, vRefNum, dirID);
  state->eachFileCopy = CopyOf(eachFile, kTevo_FileNameDefIntoEachFileName, vRefNum, dirID);
  for (SInt32 i = 0; i < kTevo_DefDlgPartCount; ++i) {
    state->partPopups[i] =
        CDRDlg_ItemControl(state->dialog, DialogItemIndex(kTevo_DefDlgFirstPartItem + i));
  }

  const Point size = CDRDlg_WindowSize(state->windowObj);
  Point at = CDRDlg_CentreIn(area, size);
  tTevo_FileNameDefDlgType outputType = kind;
  // Every kind is titled: a window object is otherwise called "名称未設定" and a number.
  run->window->SetTitle(SpCDR_MJ("ファイル名ルールの設定").c_str());
  if (kind == kTevo_FileNameDefBoth) {
    state->outputTypePopup = CDRDlg_ItemControl(state->dialog, kTevo_DefDlgOutputTypeItem);
    run->handlers.OnItemValueChanged(state->dialog, kTevo_DefDlgOutputTypeItem,
                                     CDMedia_CatchFileNameDefinisionDialogOutputTypePopupModifyProc,
                                     state);
    outputType = kTevo_FileNameDefIntoOneFile;
    Point stored = {0, 0};
    const bool havePosition =
        CDRDlg_LoadPoint(stock, kTevo_DefDlgBothGroup, kCDR_DialogPositionKey, stored);
    TevoMMFNDef_GetFileNameSetupDlgPreference(stock, kind, nullptr, &outputType);
    at = BothKindPosition(area, size, havePosition ? &stored : nullptr);
  }
  run->window->Move(at.h, at.v, 0);

  MakeViews(state, window);
  TevoMMFNDef_ChangeOutputType(state, outputType, 1);
  run->window->Open(1, nullptr);
  InstallHandlers(*run, window);
  DrawDialog(state->dialog);
  RunAppModalLoopForWindow(window);

  const bool ok = state->itemHit == kTevo_DefDlgOKItem;
  if (ok) {
    if (oneFile != nullptr && state->oneFileModified != 0 && state->oneFileCopy != nullptr) {
      oneFile->CopyFromTargetObject(state->oneFileCopy);
    }
    if (eachFile != nullptr && state->eachFileModified != 0 && state->eachFileCopy != nullptr) {
      eachFile->CopyFromTargetObject(state->eachFileCopy);
    }
  }
  if (kind == kTevo_FileNameDefBoth) {
    Point where = CDRDlg_WindowTopLeft(state->windowObj);
    TevoMMFNDef_SaveFileNameSetupDlgPreference(stock, kind, &where, &state->outputType);
  }
  run->window->Close();
  return ok ? 1 : 0;
}
