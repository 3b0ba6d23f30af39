// The progress window: construction, the bars and the cancel paths.
#include "SpProgressBarWinObject.h"

#include "Dialogs.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunction.h"
#include "SpWindowControlItemObj.h"

namespace {

const char kSource[] = "SpProgressBarWinObject.cpp";

const char kEscapeKey = 27;
const char kPeriodKey = '.';

// The control of a dialog item of the window, or null (no dialog, or no control there).
ControlRef ItemControl(cSp_Window* window, short item) {
  DialogRef dialog = window->GetDialogRef();
  if (dialog == nullptr) return nullptr;
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, item, &control) != noErr) return nullptr;
  return control;
}

}  // namespace

cSp_ProgressBarWin::cSp_ProgressBarWin(short dialogId, short progressItem, short cancelItem,
                                       short maxValue)
    : cSp_Window(dialogId, kSpDialogWindowType, kSpWindowInFrontOfAll, 0, 0) {
  StartUpInitialize();
  dialogId_ = dialogId;
  minValue_ = 0;
  maxValue_ = maxValue;
  progressItemNo_ = progressItem;

  progressControl_ = ItemControl(this, progressItem);
  if (progressControl_ != nullptr) {
    SetControlMinimum(progressControl_, 0);
    SetControlMaximum(progressControl_, maxValue);
    // The bar starts where the current-value field says it stands, so that a later value is
    // never skipped as "shown already" while the bar shows the resource's value.
    SetControlValue(progressControl_, currentValue_);
  }

  if (cancelItem > 0) {
    cancelItemNo_ = cancelItem;
    cancelControlItem_ = SetupDialogContorlItem(cancelItem, 0);
    if (cancelControlItem_ != nullptr) {
      cancelControlItem_->SetButtonOperationCompleatedProc(SpProgWin_CatchCancelButtonExecCB,
                                                           reinterpret_cast<unsigned long>(this));
    }
  }

  // Escape and Command-period reach the window as raw keys only in the Carbon-event mode.
  if (Sp_Is_CarbonEvent_ModeEnable() && GetWindowRef() != nullptr) {
    static const EventTypeSpec kRawKeyDown[] = {{kEventClassKeyboard, kEventRawKeyDown}};
    if (InstallEventHandler(GetWindowEventTarget(GetWindowRef()),
                            SpProgWin_CatchRawKeyEventForOSXCarbonEventCB, 1, kRawKeyDown, this,
                            &keyHandler_) != noErr) {
      keyHandler_ = nullptr;
      SpReportFailure(kSource, "cSp_ProgressBarWin::cSp_ProgressBarWin", 2, kSpMsgLinkError);
    }
  }
}

cSp_ProgressBarWin::~cSp_ProgressBarWin() {
  // The handler's user data is this object: it must not outlive it, even for the moment the
  // base destructor still holds the window.
  if (keyHandler_ != nullptr) RemoveEventHandler(keyHandler_);
  keyHandler_ = nullptr;
}

void cSp_ProgressBarWin::StartUpInitialize() {
  dialogId_ = 0;
  minValue_ = maxValue_ = currentValue_ = 0;
  cancelItemNo_ = progressItemNo_ = 0;
  progressControl_ = nullptr;
  cancelControlItem_ = nullptr;
  cancelProc_ = nullptr;
  cancelUserData_ = 0;
  keyHandler_ = nullptr;
}

// ---- Bars -----------------------------------------------------------------------------------

void cSp_ProgressBarWin::SetupCurrentValue(short value) {
  if (progressControl_ == nullptr) {
    SpReportFailure(kSource, "cSp_ProgressBarWin::SetupCurrentValue", 1, kSpMsgDataError);
    return;
  }
  short shown = value;
  if (maxValue_ < value) {
    shown = maxValue_;
  } else if (minValue_ > value) {
    shown = minValue_;
  }
  // Progress is reported far more often than it visibly moves: only a change is drawn.
  if (shown == currentValue_) return;
  SetControlValue(progressControl_, shown);
  currentValue_ = shown;
}

void cSp_ProgressBarWin::SetupTargetProgresControlMinValue(short item, short value) {
  ControlRef control = ItemControl(this, item);
  if (control != nullptr) SetControlMinimum(control, value);
}

void cSp_ProgressBarWin::SetupTargetProgresControlMaxValue(short item, short value) {
  ControlRef control = ItemControl(this, item);
  if (control != nullptr) SetControlMaximum(control, value);
}

void cSp_ProgressBarWin::SetupTargetProgresControlCurrentValue(short item, short value) {
  ControlRef control = ItemControl(this, item);
  if (control != nullptr && GetControlValue(control) != value) SetControlValue(control, value);
}

// ---- Cancel ---------------------------------------------------------------------------------

void cSp_ProgressBarWin::SetupCancelButtonProc(tSpProgWinCancelProcPtr proc,
                                               unsigned long userData) {
  cancelProc_ = proc;
  cancelUserData_ = userData;
}

void cSp_ProgressBarWin::CatchCancelButtonCB() {
  // The owner may delete the window from its procedure: nothing of the object is used after
  // the call.
  tSpProgWinCancelProcPtr proc = cancelProc_;
  if (proc != nullptr) proc(this, cancelUserData_);
}

unsigned char cSp_ProgressBarWin::CatchRawKeyEventForOSXCarbonEventCB(char key, SInt32 modifiers) {
  sSpModifiersDataStruct flags = {};
  Sp_ModifiersValueToModifiersDataInfo(static_cast<short>(modifiers & 0xFFFF), flags);
  const bool cancelKey = (key == kEscapeKey) || (key == kPeriodKey && flags.commandFlag != 0);
  if (!cancelKey) return 0;
  CatchCancelButtonCB();
  return 1;
}

// ---- Callbacks ------------------------------------------------------------------------------

void SpProgWin_CatchCancelButtonExecCB(short, unsigned long userData) {
  cSp_ProgressBarWin* window = reinterpret_cast<cSp_ProgressBarWin*>(userData);
  if (window == nullptr) {
    SpReportFailure(kSource, "SpProgWin_CatchCancelButtonExecCB", 1, kSpMsgNullArgument);
    return;
  }
  window->CatchCancelButtonCB();
}

OSStatus SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(EventHandlerCallRef, EventRef event,
                                                       void* userData) {
  cSp_ProgressBarWin* window = static_cast<cSp_ProgressBarWin*>(userData);
  if (window == nullptr) return eventNotHandledErr;
  char key = 0;
  UInt32 modifiers = 0;
  if (!Sp_GetRawKeyCharAndModifiers(event, key, modifiers)) return eventNotHandledErr;
  return (window->CatchRawKeyEventForOSXCarbonEventCB(key, static_cast<SInt32>(modifiers)) != 0)
             ? OSStatus(noErr)
             : OSStatus(eventNotHandledErr);
}
