// The simple progress window: a dialog with one control item (dialog item 2) whose value shows
// the progress, and no way to cancel.
//
// It is made from a 'DLOG' resource, shown in front at once, and drawn; its owner sets the
// value as the work goes on and deletes the window at the end. It overrides none of
// cSp_Window's virtual operations.
#pragma once

#include "MacTypes.h"
#include "SpWindow.h"

class cSp_ControlItem;

class cSp_SimpleProgressWindow : public cSp_Window {
 public:
  // The window from dialog `dialogId`, its item 2 a control item of type `itemType` with the
  // range `minValue`..`maxValue` and the value `value`; shown in front and drawn.
  cSp_SimpleProgressWindow(short dialogId, short itemType, short minValue, short maxValue,
                           short value);
  // Closes the window when it is open; the control item goes with the window's list.
  ~cSp_SimpleProgressWindow() override;
  cSp_SimpleProgressWindow(const cSp_SimpleProgressWindow&) = delete;
  cSp_SimpleProgressWindow& operator=(const cSp_SimpleProgressWindow&) = delete;

  // Gives every field of this class its start value (the base window's are its own).
  void StartUpInitialize();

  // The control item's value, as given (the Control Manager keeps it within the range).
  void SetupControlValue(short value);

 private:
  short dialogId_ = 0;
  short itemType_ = 0;
  // Owned by the window's control-item list; null when it could not be made.
  cSp_ControlItem* controlItem_ = nullptr;
};
