// The progress window: a dialog that shows how far a long operation has come.
//
// The window is made hidden from a 'DLOG' resource whose progress item is a control (a
// progress bar); its owner opens it, drives its bars while the work goes on and deletes it
// when the work ends. The main bar runs from 0 to the maximum given at construction and never
// shows a value outside that range; further bars of the same dialog are addressed by their
// item number. Texts of the dialog are the owner's to fill (through the Dialog Manager, or
// views on its items).
//
// The owner hears of a cancel through its cancel procedure: it runs when the user clicks the
// cancel button, and, in the Carbon-event mode, when the user presses Escape (with any
// modifier keys) or Command-period while the window is in front. The window neither closes
// itself nor stops the work: that is the owner's decision. A cancel key is consumed even when
// no cancel procedure is set; any other key goes on to the standard handling.
//
// The window overrides none of cSp_Window's virtual operations: opening, closing, moving, the
// procedure lists and the modal flag are the base window's.
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"
#include "MacTypes.h"
#include "SpWindow.h"

class cSp_ProgressBarWin;
class cSp_ControlItem;

// The cancel procedure: (the window, the user data given with it).
typedef void (*tSpProgWinCancelProcPtr)(cSp_ProgressBarWin* window, unsigned long userData);

class cSp_ProgressBarWin : public cSp_Window {
 public:
  // The window from dialog `dialogId`, hidden. `progressItem` is the main bar's item, whose
  // range becomes 0..`maxValue`; `cancelItem` the cancel button's item (0 or less: none).
  cSp_ProgressBarWin(short dialogId, short progressItem, short cancelItem, short maxValue);
  // Takes the key handler off the window before the base window goes; the base destructor
  // closes and disposes of the window and deletes its control items.
  ~cSp_ProgressBarWin() override;
  cSp_ProgressBarWin(const cSp_ProgressBarWin&) = delete;
  cSp_ProgressBarWin& operator=(const cSp_ProgressBarWin&) = delete;

  // Gives every field of this class its start value (the base window's are its own).
  void StartUpInitialize();

  // The main bar shows `value`, kept within 0..maximum. A value the bar shows already costs
  // nothing (no redraw).
  void SetupCurrentValue(short value);
  // The minimum, maximum or value of the control of dialog item `item` (any bar of the
  // dialog). Nothing for an item without a control. The value is set only when it differs
  // from the control's; it is neither kept within a range here nor remembered as the main
  // bar's value.
  void SetupTargetProgresControlMinValue(short item, short value);
  void SetupTargetProgresControlMaxValue(short item, short value);
  void SetupTargetProgresControlCurrentValue(short item, short value);

  // The procedure to run on cancel and its user data; replaces the pair set before. A null
  // procedure: a cancel does nothing.
  void SetupCancelButtonProc(tSpProgWinCancelProcPtr proc, unsigned long userData);
  // Runs the cancel procedure when one is set.
  void CatchCancelButtonCB();
  // A raw key `key` with event modifier bits `modifiers` (the low 16 bits count): 1 when it
  // is a cancel key, Escape with any modifiers or '.' with Command, after running the cancel
  // procedure; 0 for any other key.
  unsigned char CatchRawKeyEventForOSXCarbonEventCB(char key, SInt32 modifiers);

 private:
  short dialogId_ = 0;
  short minValue_ = 0;
  short maxValue_ = 0;
  short currentValue_ = 0;
  short cancelItemNo_ = 0;
  short progressItemNo_ = 0;
  ControlRef progressControl_ = nullptr;
  // Owned by the window's control-item list.
  cSp_ControlItem* cancelControlItem_ = nullptr;
  tSpProgWinCancelProcPtr cancelProc_ = nullptr;
  unsigned long cancelUserData_ = 0;
  // The raw key-down handler on the window's target (Carbon-event mode only).
  EventHandlerRef keyHandler_ = nullptr;
};

// The cancel button's completed-operation procedure: `userData` is the window. A null window
// is reported.
void SpProgWin_CatchCancelButtonExecCB(short modifiers, unsigned long userData);

// The raw key-down handler of the window ({'keyb', 1}); `userData` is the window. noErr for a
// cancel key (consumed), eventNotHandledErr for any other key, an event without its
// character, or a null window.
OSStatus SpProgWin_CatchRawKeyEventForOSXCarbonEventCB(EventHandlerCallRef callRef, EventRef event,
                                                       void* userData);
