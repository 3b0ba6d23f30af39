// The simple progress window.
#include "SpProgressWinObj.h"

#include "Dialogs.h"
#include "SpErrorInfoSystem.h"
#include "SpWindowControlItemObj.h"

namespace {

const char kSource[] = "SpProgressWinObj.cpp";

// The dialog item that shows the progress.
const short kProgressItemNo = 2;

}  // namespace

cSp_SimpleProgressWindow::cSp_SimpleProgressWindow(short dialogId, short itemType, short minValue,
                                                   short maxValue, short value)
    : cSp_Window(dialogId, kSpDialogWindowType, kSpWindowInFrontOfAll, 0, 0) {
  StartUpInitialize();
  dialogId_ = dialogId;
  itemType_ = itemType;

  controlItem_ = SetupDialogContorlItem(kProgressItemNo, itemType);
  if (controlItem_ != nullptr) {
    controlItem_->SetupControlInfoFromResource();
    // Minimum and maximum first, so that the value is taken within the new range.
    controlItem_->SetupMinValue(minValue);
    controlItem_->SetupMaxValue(maxValue);
    controlItem_->SetupCurrentValue(value);
  }

  Open(1, nullptr);
  if (GetDialogRef() != nullptr) DrawDialog(GetDialogRef());
}

cSp_SimpleProgressWindow::~cSp_SimpleProgressWindow() {
  if (IsOpen() != 0) Close();
  // The control item is deleted with the window's list by the base destructor.
  controlItem_ = nullptr;
}

void cSp_SimpleProgressWindow::StartUpInitialize() {
  dialogId_ = 0;
  itemType_ = 0;
  controlItem_ = nullptr;
}

void cSp_SimpleProgressWindow::SetupControlValue(short value) {
  if (controlItem_ == nullptr) {
    SpReportFailure(kSource, "cSp_SimpleProgressWindow::SetupControlValue", 1, kSpMsgDataError);
    return;
  }
  controlItem_->SetupCurrentValue(value);
}
