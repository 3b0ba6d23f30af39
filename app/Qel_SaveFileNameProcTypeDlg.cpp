#include "Qel_SaveFileNameProcTypeDlg.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "CDMediaMgrDialogSupport.h"
#include "OSUtils.h"
#include "SpCDREngineAlert.h"
#include "SpErrorInfoSystem.h"
#include "SpPreferenceStockObject.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"
#include "SpStringView.h"
#include "SpWindow.h"

namespace {

const char kSource[] = "Qel_SaveFileNameProcTypeDlg";

enum : short {
  kLabelStrings = 5026,
  kExplanationStrings = 5027,
  kExplanationTextSize = 9,
  kNameTextSize = 12,
  kScreenMargin = 20,
  kTextLimit = 16384,
};

// Everything one run made, freed when the run ends whichever way it ends.
struct Run {
  sQel_SaveFileNameModifyProcTypeDlgData state{};
  std::unique_ptr<cSp_Window> window;
  cCDRDlg_HandlerSet handlers;
  cSp_StringView* views[5] = {};  // explanation, two labels, two texts

  ~Run() {
    for (cSp_StringView*& view : views) CDRDlg_DisposeStringView(view);
  }
};

sQel_SaveFileNameModifyProcTypeDlgData* StateOf(void* data) {
  return static_cast<sQel_SaveFileNameModifyProcTypeDlgData*>(data);
}

OSStatus EndWith(void* data, SInt32 result) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  state->result = result;
  QuitAppModalLoopForWindow(GetDialogWindow(state->dialog));
  return noErr;
}

OSStatus Select(void* data, SInt32 item) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  QelSaveSetup_RadioButtonSelect(state, item, 0);
  return noErr;
}

ControlRef RadioControl(sQel_SaveFileNameModifyProcTypeDlgData* state, SInt32 item) {
  if (item < kQel_FirstRadioItem || item > kQel_LastRadioItem) return nullptr;
  return state->controls[item - kQel_FirstRadioItem];
}

void ReportNullStock(const char* method) {
  SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
}

// The shadowed string views of the labels and the caller's texts on the rows of items 10 and
// 11: the labels right-aligned in a column as wide as the wider of them, the texts from one
// pixel right of it, shortened to their room.
void MakeNameRows(Run& run, WindowRef window, const char* first, const char* second) {
  RGBColor shadow;
  Sp_SetRGBColorByPercentage(&shadow, 70, 70, 70);
  const DialogItemIndex rows[2] = {kQel_FirstTextItem, kQel_SecondTextItem};
  const char* texts[2] = {first, second};
  short column = 0;
  for (int i = 0; i < 2; ++i) {
    char label[256] = "";
    Sp_GetResourceIndexString(label, kLabelStrings, short(i + 1));
    cSp_StringView* view =
        CDRDlg_NewStringView(window, CDRDlg_ItemBox(run.state.dialog, rows[i]), kNameTextSize,
                             label, 3);
    run.views[1 + i] = view;
    if (view == nullptr) continue;
    view->SetupShadowStringColor(&shadow, 0);
    view->SetupShadowFlag(1, 0);
    const short width = short(view->GetCurrentStringWidth() + view->GetLeftOffsetWidth() +
                              view->GetRightOffsetWidth());
    column = std::max(column, width);
  }
  for (int i = 0; i < 2; ++i) {
    Rect box = CDRDlg_ItemBox(run.state.dialog, rows[i]);
    if (run.views[1 + i] != nullptr) {
      Rect labelBox = box;
      labelBox.right = short(box.left + column);
      run.views[1 + i]->ResizeViewArea(labelBox, 0, 0);
    }
    Rect textBox = box;
    textBox.left = short(box.left + column + 1);
    cSp_StringView* view = CDRDlg_NewStringView(window, textBox, kNameTextSize, "", 1);
    run.views[3 + i] = view;
    if (view == nullptr) continue;
    view->SetupShadowStringColor(&shadow, 0);
    view->SetupShadowFlag(1, 0);
    view->SetupModifyStringWidthParam(kTextLimit, nullptr, 0, 0);
    view->EnableModifyStringWidth(0, 0);
    view->SetString(texts[i] != nullptr ? texts[i] : "", 0);
  }
}

}  // namespace

// ---- Choices --------------------------------------------------------------------------------

tSaveFileNameModifyProcType QelSaveSetup_GetModifyTypeFromModifyTypeRadioButtonItemNo(SInt32 item) {
  if (item < kQel_FirstRadioItem || item > kQel_LastRadioItem) return kQel_SaveFileNameNoChoice;
  return tSaveFileNameModifyProcType(item - kQel_FirstRadioItem + 1);
}

SInt32 QelSaveSetup_GetModifyTypeRadioButtonItemNoFromModifyType(tSaveFileNameModifyProcType type) {
  if (type < kQel_SaveFileNameNewName || type > kQel_SaveFileNameSkipItem) return 0;
  return SInt32(type) + kQel_FirstRadioItem - 1;
}

// ---- The stock ------------------------------------------------------------------------------

void QelSaveSetup_LoadWindowInfoForSaveFileNameModiTypeSetupDlg(cPrefStockFileObj* stock,
                                                                Point* position,
                                                                unsigned char* found) {
  if (stock == nullptr || position == nullptr || found == nullptr) {
    return ReportNullStock("QelSaveSetup_LoadWindowInfoForSaveFileNameModiTypeSetupDlg");
  }
  *found = CDRDlg_LoadPoint(stock, kQel_ExistingNameGroup, kCDR_DialogPositionKey, *position);
}

void QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg(cPrefStockFileObj* stock,
                                                                Point* position) {
  static const char kMethod[] = "QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg";
  if (stock == nullptr || position == nullptr) return ReportNullStock(kMethod);
  if (!CDRDlg_StorePoint(stock, kQel_ExistingNameGroup, kCDR_DialogPositionKey, *position)) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
  }
}

void QelSaveSetup_LoadDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(
    cPrefStockFileObj* stock, SInt32* radioItem, unsigned char* radioFound,
    unsigned char* afterFile, unsigned char* afterFileFound) {
  if (stock == nullptr || radioItem == nullptr || radioFound == nullptr || afterFile == nullptr ||
      afterFileFound == nullptr) {
    return ReportNullStock("QelSaveSetup_LoadDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg");
  }
  *radioFound = CDRDlg_LoadLong(stock, kQel_ExistingNameGroup, kQel_ChoiceKey, *radioItem);
  cPrefStockData* item = CDRDlg_StockItem(stock, kQel_ExistingNameGroup, kQel_AfterFileKey, false);
  unsigned char flag = 0;
  *afterFileFound = item != nullptr && item->GetBooleanData(flag) != 0;
  if (*afterFileFound) *afterFile = flag != 0 ? 1 : 0;
}

void QelSaveSetup_SaveDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(cPrefStockFileObj* stock,
                                                                         SInt32* radioItem,
                                                                         unsigned char* afterFile) {
  static const char kMethod[] =
      "QelSaveSetup_SaveDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg";
  if (stock == nullptr || radioItem == nullptr || afterFile == nullptr) {
    return ReportNullStock(kMethod);
  }
  if (!CDRDlg_StoreLong(stock, kQel_ExistingNameGroup, kQel_ChoiceKey, *radioItem)) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
  }
  cPrefStockData* item = CDRDlg_StockItem(stock, kQel_ExistingNameGroup, kQel_AfterFileKey, true);
  if (item == nullptr || !item->SetupBooleanData(*afterFile != 0 ? 1 : 0, 1)) {
    SpReportFailure(kSource, kMethod, 3, kSpMsgMemory);
  }
}

// ---- Place and radio buttons ----------------------------------------------------------------

Point QelSaveSetup_WindowPosition(Point stored, bool haveStored, Point size) {
  Rect screen = {0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  if (!haveStored) {
    return Point{short((screen.top + screen.bottom) / 2 - size.v * 2 / 3),
                 short((screen.left + screen.right - size.h) / 2)};
  }
  Point at = stored;
  if (at.h < screen.left) {
    at.h = short(screen.left + kScreenMargin);
  } else if (at.h + size.h > screen.right) {
    at.h = short(screen.right - kScreenMargin - size.h);
  }
  if (at.v < screen.top) {
    at.v = short(screen.top + kScreenMargin);
  } else if (at.v + size.v > screen.bottom) {
    at.v = short(screen.bottom - kScreenMargin - size.v);
  }
  return at;
}

void QelSaveSetup_RadioButtonSelect(sQel_SaveFileNameModifyProcTypeDlgData* state, SInt32 item,
                                    unsigned char force) {
  if (state == nullptr) return;
  if (force == 0 && item == state->radioItem) return;
  if (ControlRef old = RadioControl(state, state->radioItem)) SetControl32BitValue(old, 0);
  if (ControlRef chosen = RadioControl(state, item)) {
    SetControl32BitValue(chosen, 1);
    state->radioItem = item;
  }
}

// ---- Handlers -------------------------------------------------------------------------------

OSStatus QelSaveSetup_CatchExecuteNextStepButtonProc(EventHandlerCallRef, EventRef, void* state) {
  return EndWith(state, 1);
}

OSStatus QelSaveSetup_CatchCancelButtonProc(EventHandlerCallRef, EventRef, void* state) {
  return EndWith(state, 2);
}

OSStatus QelSaveSetup_CatchSetupNewNameTypeRadioButtonProc(EventHandlerCallRef, EventRef,
                                                           void* state) {
  return Select(state, 5);
}

OSStatus QelSaveSetup_CatchAutoSetNoInNameTypeRadioButtonProc(EventHandlerCallRef, EventRef,
                                                              void* state) {
  return Select(state, 6);
}

OSStatus QelSaveSetup_CatchDeleteOldFileTypeRadioButtonProc(EventHandlerCallRef, EventRef,
                                                            void* state) {
  return Select(state, 7);
}

OSStatus QelSaveSetup_CatchNonSaveNewFileOnExistAlreadyTypeRadioButtonProc(EventHandlerCallRef,
                                                                           EventRef, void* state) {
  return Select(state, 8);
}

OSStatus QelSaveSetup_CatchAfterFileEnableCheckBoxProc(EventHandlerCallRef, EventRef,
                                                       void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  state->afterFile = state->afterFile != 0 ? 0 : 1;
  if (ControlRef box = state->controls[4]) SetControl32BitValue(box, state->afterFile);
  return noErr;
}

OSStatus QelSaveSetup_CatchKeyRowDownProc(EventHandlerCallRef, EventRef event, void* state) {
  if (state == nullptr) return paramErr;
  const short answer = CDRDlg_AnswerOfKey(event);
  return answer != 0 ? EndWith(state, answer) : OSStatus(eventNotHandledErr);
}

// ---- The dialog -----------------------------------------------------------------------------

short Qel_AskFileSavingMethodForAutoFilingProcess(cPrefStockFileObj* stock, const char* first,
                                                  const char* second, unsigned char following,
                                                  sQel_SaveFileNameProcTypeInfo& result,
                                                  unsigned char& goOn) {
  static const char kMethod[] = "Qel_AskFileSavingMethodForAutoFilingProcess";
  goOn = 0;
  std::unique_ptr<Run> run(new (std::nothrow) Run);
  if (run == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, kQel_AskFailed);
  sQel_SaveFileNameModifyProcTypeDlgData& state = run->state;
  run->window.reset(Sp_NewDialogObject(kQel_ExistingNameDialogID, 1));
  if (run->window == nullptr || run->window->GetDialogRef() == nullptr) {
    CDRDlg_ReportDialogOpenFailure(kSource, kMethod, 2);
    return kQel_AskFailed;
  }
  state.windowObj = run->window.get();
  state.dialog = run->window->GetDialogRef();
  WindowRef window = GetDialogWindow(state.dialog);
  run->window->SetTitle(SpCDR_MJ("保存するファイルの名前について").c_str());
  for (int i = 0; i < 5; ++i) {
    state.controls[i] = CDRDlg_ItemControl(state.dialog, DialogItemIndex(kQel_FirstRadioItem + i));
  }

  Point stored = {0, 0};
  unsigned char haveStored = 0;
  if (stock != nullptr) {
    QelSaveSetup_LoadWindowInfoForSaveFileNameModiTypeSetupDlg(stock, &stored, &haveStored);
  }
  const Point at =
      QelSaveSetup_WindowPosition(stored, haveStored != 0, CDRDlg_WindowSize(run->window.get()));
  run->window->Move(at.h, at.v, 0);

  cCDRDlg_HandlerSet& handlers = run->handlers;
  handlers.OnItemHit(state.windowObj, kQel_NextStepItem, QelSaveSetup_CatchExecuteNextStepButtonProc,
                     &state);
  handlers.OnItemHit(state.windowObj, kQel_CancelItem, QelSaveSetup_CatchCancelButtonProc, &state);
  const EventHandlerProcPtr radios[4] = {
      QelSaveSetup_CatchSetupNewNameTypeRadioButtonProc,
      QelSaveSetup_CatchAutoSetNoInNameTypeRadioButtonProc,
      QelSaveSetup_CatchDeleteOldFileTypeRadioButtonProc,
      QelSaveSetup_CatchNonSaveNewFileOnExistAlreadyTypeRadioButtonProc};
  for (int i = 0; i < 4; ++i) {
    handlers.OnItemHit(state.windowObj, DialogItemIndex(kQel_FirstRadioItem + i), radios[i], &state);
  }
  if (following != 0) {
    handlers.OnItemHit(state.windowObj, kQel_AfterFileItem,
                       QelSaveSetup_CatchAfterFileEnableCheckBoxProc, &state);
  } else if (state.controls[4] != nullptr) {
    DeactivateControl(state.controls[4]);
  }
  handlers.OnRawKeyDown(window, QelSaveSetup_CatchKeyRowDownProc, &state);

  char explanation[256] = "";
  Sp_GetResourceIndexString(explanation, kExplanationStrings, following != 0 ? 1 : 2);
  run->views[0] = CDRDlg_NewStringView(
      window, CDRDlg_ItemBox(state.dialog, kQel_ExplanationItem), kExplanationTextSize,
      explanation, 1);

  SInt32 radioItem = kQel_FirstRadioItem;
  unsigned char radioFound = 0, afterFile = 0, afterFileFound = 0;
  if (stock != nullptr) {
    QelSaveSetup_LoadDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(
        stock, &radioItem, &radioFound, &afterFile, &afterFileFound);
  }
  if (radioFound == 0 || radioItem < kQel_FirstRadioItem || radioItem > kQel_LastRadioItem) {
    radioItem = kQel_FirstRadioItem;
  }
  QelSaveSetup_RadioButtonSelect(&state, radioItem, 1);
  state.afterFile = afterFileFound != 0 ? afterFile : 0;
  if (state.controls[4] != nullptr) SetControl32BitValue(state.controls[4], state.afterFile);

  MakeNameRows(*run, window, first, second);

  run->window->Open(1, nullptr);
  DrawDialog(state.dialog);
  RunAppModalLoopForWindow(window);

  Point where = CDRDlg_WindowTopLeft(run->window.get());
  if (stock != nullptr) QelSaveSetup_SaveWindowInfoForSaveFileNameModiTypeSetupDlg(stock, &where);
  run->window->Close();
  if (state.result != 1) return kQel_AskCancelled;
  if (stock != nullptr) {
    QelSaveSetup_SaveDialogItemSetupInfoForSaveFileNameModiTypeSetupDlg(stock, &state.radioItem,
                                                                        &state.afterFile);
  }
  result.choice = QelSaveSetup_GetModifyTypeFromModifyTypeRadioButtonItemNo(state.radioItem);
  result.afterFile = state.afterFile;
  goOn = 1;
  return kQel_AskAnswered;
}
