// The speed set-up dialog (dialog 150): the start, end and interval of the save set-up's speed
// popup, kept under 'SDlg' ('StSp', 'EdSp', 'Itvl', 'WPos').
#include <memory>

#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "Menus.h"
#include "SpErrorInfoSystem.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpWindow.h"

namespace {

const char kSource[] = "CDMediaMgrSpeedSetupDlg";

enum : short { kSpeedDialogID = 150, kTitleStrings = 5022 };

struct Run {
  sCDRMGR_AskSaveSpeedDlgData state{};
  std::unique_ptr<cSp_Window> window;
  cCDRDlg_HandlerSet handlers;
};

sCDRMGR_AskSaveSpeedDlgData* StateOf(void* data) {
  return static_cast<sCDRMGR_AskSaveSpeedDlgData*>(data);
}

OSStatus EndWith(void* data, SInt16 item) {
  return CDRDlg_EndWith<sCDRMGR_AskSaveSpeedDlgData>(data, item);
}

// The value of a popup's item; false when its text is no number.
bool ItemValue(ControlRef popup, SInt32 item, double& value) {
  char text[256] = "";
  CDRDlg_PopupItemText(popup, item, text);
  double read = 0;
  if (text[0] == 0 || !Sp_StringToDouble(text, &read)) return false;
  value = CDRMGRFileSaveSetup_RoundSpeed(read, 3);
  return true;
}

// Selects the first item of that value; without one, item 1, whose value the speed takes.
void SelectValue(ControlRef popup, double& value) {
  if (popup == nullptr) return;
  const SInt32 count = CDRDlg_PopupItemCount(popup);
  for (SInt32 item = 1; item <= count; ++item) {
    double itemValue = 0;
    if (ItemValue(popup, item, itemValue) &&
        CDRMGRFileSaveSetup_RoundSpeed(itemValue, 3) == CDRMGRFileSaveSetup_RoundSpeed(value, 3)) {
      SetControl32BitValue(popup, item);
      return;
    }
  }
  SetControl32BitValue(popup, 1);
  ItemValue(popup, 1, value);
}

void ReadSelected(ControlRef popup, double& value) {
  if (popup != nullptr) ItemValue(popup, GetControl32BitValue(popup), value);
}

}  // namespace

// ---- Items ----------------------------------------------------------------------------------

void CDRMGRSaveSpeedSetup_InitialSetupDlgItem(sCDRMGR_AskSaveSpeedDlgData* state) {
  if (state == nullptr) return;
  SelectValue(state->startPopup, state->speeds.startSpeed);
  SelectValue(state->endPopup, state->speeds.endSpeed);
  CDRMGRSaveSpeedSetup_ModifyEndSpeedMenuItemFromStartSpeed(state);
  SelectValue(state->intervalPopup, state->speeds.interval);
}

void CDRMGRSaveSpeedSetup_ModifyEndSpeedMenuItemFromStartSpeed(
    sCDRMGR_AskSaveSpeedDlgData* state) {
  if (state == nullptr || state->endPopup == nullptr) return;
  MenuRef menu = GetControlPopupMenuHandle(state->endPopup);
  if (menu == nullptr) return;
  SInt32 firstEnabled = 0;
  const SInt32 count = CDRDlg_PopupItemCount(state->endPopup);
  for (SInt32 item = 1; item <= count; ++item) {
    double value = 0;
    if (ItemValue(state->endPopup, item, value) && value > state->speeds.startSpeed) {
      EnableMenuItem(menu, MenuItemIndex(item));
      if (firstEnabled == 0) firstEnabled = item;
    } else {
      DisableMenuItem(menu, MenuItemIndex(item));
    }
  }
  if (state->speeds.endSpeed > state->speeds.startSpeed || firstEnabled == 0) return;
  SetControl32BitValue(state->endPopup, firstEnabled);
  ItemValue(state->endPopup, firstEnabled, state->speeds.endSpeed);
  DrawMenuBar();
}

void CDRMGRSaveSpeedSetup_GetDialogItemStatus(sCDRMGR_AskSaveSpeedDlgData* state) {
  if (state == nullptr) return;
  ReadSelected(state->startPopup, state->speeds.startSpeed);
  ReadSelected(state->endPopup, state->speeds.endSpeed);
  ReadSelected(state->intervalPopup, state->speeds.interval);
}

// ---- Stock ----------------------------------------------------------------------------------

void CDRMGRSaveSpeedSetup_StockInitialSetup(cPrefStockFileObj* stock,
                                            const sCDR_SaveSetupDlgSpeedInfo& speeds) {
  static const char kMethod[] = "CDRMGRSaveSpeedSetup_StockInitialSetup";
  if (stock == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
  if (stock->GetTargetStockDataItemInPrefTopDataList(kCDR_SpeedGroup, 1, 1) == nullptr) return;
  const struct {
    UInt32 key;
    double value;
  } fields[] = {{kCDR_StartSpeedKey, speeds.startSpeed},
                {kCDR_EndSpeedKey, speeds.endSpeed},
                {kCDR_IntervalKey, speeds.interval}};
  SInt32 code = 2;
  for (const auto& field : fields) {
    if (!CDRDlg_StoreDouble(stock, kCDR_SpeedGroup, field.key, field.value)) {
      SpReportFailure(kSource, kMethod, code, kSpMsgMemory);
    }
    ++code;
  }
}

void CDRMGRSaveSpeedSetup_StockWindowPosit(cSp_Window* window, cPrefStockFileObj* stock) {
  static const char kMethod[] = "CDRMGRSaveSpeedSetup_StockWindowPosit";
  if (window == nullptr || stock == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument);
  }
  if (!CDRDlg_StorePoint(stock, kCDR_SpeedGroup, kCDR_DialogPositionKey,
                         CDRDlg_WindowTopLeft(window))) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
  }
}

// ---- Handlers -------------------------------------------------------------------------------

OSStatus CDMedia_CatchSpeedMenuSetupDialogOKButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                 void* data) {
  return EndWith(data, kCDR_SpeedSetupOKItem);
}

OSStatus CDMedia_CatchSpeedMenuSetupDialogCancelButtonForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                                     void* data) {
  return EndWith(data, kCDR_SpeedSetupCancelItem);
}

OSStatus CDMedia_CatchSpeedMenuSetupDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef,
                                                                   EventRef event, void* data) {
  if (data == nullptr) return paramErr;
  const short answer = CDRDlg_AnswerOfKey(event);
  return answer != 0 ? EndWith(data, answer) : OSStatus(eventNotHandledErr);
}

OSStatus CDMedia_CatchSpeedMenuSetupDialogStartSpeedChangedForOSXCFMHProc(EventHandlerCallRef,
                                                                          EventRef, void* data) {
  auto* state = StateOf(data);
  if (state == nullptr) return paramErr;
  CDRMGRSaveSpeedSetup_GetDialogItemStatus(state);
  CDRMGRSaveSpeedSetup_ModifyEndSpeedMenuItemFromStartSpeed(state);
  return noErr;
}

// ---- The dialog -----------------------------------------------------------------------------

unsigned char CDRMGR_AskSpeedMenuSetup(Rect& area, cPrefStockFileObj* stock,
                                       sCDR_SaveSetupDlgSpeedInfo& speeds, WindowRef) {
  static const char kMethod[] = "CDRMGR_AskSpeedMenuSetup";
  const unsigned char failed = 0;
  if (stock == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, failed);
  std::unique_ptr<Run> run(new (std::nothrow) Run);
  if (run == nullptr) return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, failed);
  run->window.reset(Sp_NewDialogObject(kSpeedDialogID, 1));
  if (run->window == nullptr || run->window->GetDialogRef() == nullptr) {
    CDRDlg_ReportDialogOpenFailure(kSource, kMethod, 3);
    return failed;
  }
  sCDRMGR_AskSaveSpeedDlgData* state = &run->state;
  DialogRef dialog = run->window->GetDialogRef();
  state->window = GetDialogWindow(dialog);
  char title[256] = "";
  Sp_GetResourceIndexString(title, kTitleStrings, 1);
  run->window->SetTitle(title);
  state->startPopup = CDRDlg_ItemControl(dialog, kCDR_SpeedSetupStartItem);
  state->endPopup = CDRDlg_ItemControl(dialog, kCDR_SpeedSetupEndItem);
  state->intervalPopup = CDRDlg_ItemControl(dialog, kCDR_SpeedSetupIntervalItem);
  if (state->startPopup == nullptr || state->endPopup == nullptr ||
      state->intervalPopup == nullptr) {
    return SpReportFailure(kSource, kMethod, 4, kSpMsgDataError, failed);
  }
  state->speeds = speeds;
  CDRMGRSaveSpeedSetup_InitialSetupDlgItem(state);

  const Point size = CDRDlg_WindowSize(run->window.get());
  Point at = CDRDlg_CentreIn(area, size);
  CDRDlg_LoadPoint(stock, kCDR_SpeedGroup, kCDR_DialogPositionKey, at);
  at = CDRDlg_KeepInScreen(at, size, 10);
  run->window->Move(at.h, at.v, 0);
  run->window->Open(1, nullptr);

  cCDRDlg_HandlerSet& on = run->handlers;
  on.OnItemHit(run->window.get(), kCDR_SpeedSetupOKItem, CDMedia_CatchSpeedMenuSetupDialogOKButtonForOSXCFMHProc,
               state);
  on.OnItemHit(run->window.get(), kCDR_SpeedSetupCancelItem,
               CDMedia_CatchSpeedMenuSetupDialogCancelButtonForOSXCFMHProc, state);
  on.OnItemValueChanged(dialog, kCDR_SpeedSetupStartItem,
                        CDMedia_CatchSpeedMenuSetupDialogStartSpeedChangedForOSXCFMHProc, state);
  on.OnRawKeyDown(state->window, CDMedia_CatchSpeedMenuSetupDialogKeyRowDownForOSXCFMHProc, state);
  SetWindowDefaultButton(state->window, CDRDlg_ItemControl(dialog, kCDR_SpeedSetupOKItem));
  SetWindowCancelButton(state->window, CDRDlg_ItemControl(dialog, kCDR_SpeedSetupCancelItem));
  DrawDialog(dialog);
  RunAppModalLoopForWindow(state->window);

  run->window->Close();
  const bool ok = state->itemHit == kCDR_SpeedSetupOKItem;
  if (ok) {
    CDRMGRSaveSpeedSetup_GetDialogItemStatus(state);
    speeds = state->speeds;
    CDRMGRSaveSpeedSetup_StockInitialSetup(stock, speeds);
  }
  CDRMGRSaveSpeedSetup_StockWindowPosit(run->window.get(), stock);
  Sp_SaveModifyPreferenceStock();
  return ok ? 1 : 0;
}
