// Window control items: the framework's wrapper of one control-backed dialog item.
//
// A cSp_ControlItem stands for one item of a cSp_Window's dialog that the Control Manager
// backs: a button, check box, radio button, progress bar, popup, tab or group box. The window
// keeps its items in a list and finds them by dialog item number or by control; the window's
// dialog mouse and key handling and the control-hit Carbon event call the item's callbacks,
// and the item gives one way to enable, dim, read and set values, move and size its control.
//
// Item numbers: an item counts within its own DITL. Items of a DITL appended later (a change-
// output group) carry the number of dialog items that stood before the append as their base;
// their number in the window's dialog is base + own number.
//
// Resolving the control: a deferred item looks its control up in the window's dialog (by base
// + own number) on every use, so it follows the dialog; an immediate item uses the control
// read at construction. When no control results the operation reports "Data Error !! " and
// getters answer 0.
//
// Callbacks: nine procedures, each with a pointer-sized user data value. Containers and radio
// items get none of the mouse and button callbacks (their hit does the work); every other
// item calls the procedure it has. The interval callbacks run at most once per interval while
// the button is held, the first time one interval after the press.
//
// Containers: an item made a container (ApplyContainer) holds child items. In an exclusive
// container a hit on a radio child switches the previously chosen radio child off; the hit
// then reaches every child, and the radio child that was hit switches itself on.
//
// Change-output groups: further dialog items appended from a DITL of their own and shown one
// group at a time; the item's control value names the group shown.
//
// Ownership: an item owns its child items and its change-output groups and deletes them with
// itself; its destructor also removes its control-hit handler, so the toolbox never calls into
// a deleted item. Items are made with new (std::nothrow) (a failed allocation gives null).
#pragma once

#include <new>

#include "CarbonEvents.h"  // ControlRef, EventHandlerRef
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpProcEntry.h"

class cSp_Window;
class cDialogAnalyzor;
class cSp_ControlChangeOutputItemGroup;

// Mouse down and button down: (modifiers, user data, part code).
typedef void (*tSpControlItemPartProcPtr)(short modifiers, unsigned long userData, short part);
// Every other callback: (modifiers, user data).
typedef void (*tSpControlItemProcPtr)(short modifiers, unsigned long userData);

class cSp_ControlItem : public cSpListLinks<cSp_ControlItem>, public cSpMacHeapObject {
 public:
  // `deferred` set: the control is looked up in the window's dialog on every use. Clear: the
  // control, the item type and the resource rectangle are read from the dialog now.
  cSp_ControlItem(cSp_Window* window, short itemNo, unsigned char deferred);
  ~cSp_ControlItem();
  cSp_ControlItem(const cSp_ControlItem&) = delete;
  cSp_ControlItem& operator=(const cSp_ControlItem&) = delete;

  // ---- List and hierarchy ----
  cSp_ControlItem* BeforeObject() const { return GetBeforeObjectPtr(); }
  cSp_ControlItem* NextObject() const { return GetNextObjectPtr(); }
  cSp_ControlItem* ParentObject() const { return parent_; }
  cSp_ControlItem* ChildObject() const { return firstChild_; }
  cSp_Window* GetBaseWindowObj() const { return window_; }
  unsigned char IsContainer() const { return containerFlag_; }
  // Appends `child` (which must not be in a list) to this item's children; the item takes it
  // over and deletes it with itself.
  void AppendChildItem(cSp_ControlItem* child);
  // Marks the item as a radio item: a hit switches it on, and it takes part in the exclusive
  // choice of its container; it gets no mouse or button callbacks.
  void SetupRadioItemFlag(unsigned char flag) { radioFlag_ = (flag != 0) ? 1 : 0; }
  unsigned char IsRadioItem() const { return radioFlag_; }
  // The chosen child of an exclusive container, or null.
  cSp_ControlItem* GetChosenChildItem() const { return chosenChild_; }

  // ---- Item information ----
  // own non-zero: the number within the item's DITL; zero: the number in the window's dialog.
  short GetDialogItemNo(unsigned char own) const;
  void SetupAddResourceItemNo(short base) { addResourceBase_ = base; }
  void ResetItemType(short type) { itemType_ = type; }
  short GetItemType() const { return itemType_; }
  // The rectangle the item stands at now, and the one read from the dialog or the snapshot.
  void GetCurrentRect(Rect* rect) const;
  void GetResourceRect(Rect* rect) const;
  unsigned char IsDeferredItem() const { return deferredFlag_; }
  // Reads type, control and rectangle of the item from the window's dialog.
  void SetupControlInfoFromResource();
  // Takes type and rectangle from a layout snapshot; `recurse` does the same for every
  // descendant.
  void SetupControlInfoFromDlgAnalizeObj(cDialogAnalyzor* analyzor, unsigned char recurse);
  void EmbedIntoRootControl(ControlRef root);
  void ApplyContainer(unsigned char exclusive, unsigned char option);
  // Moves the control's top-left corner to (left, top) in the dialog (the dialog's item list
  // follows); nothing when it stands there already.
  void MovePosition(short left, short top);
  // A negative width or height keeps the present one.
  void ModifySize(short width, short height);
  void SetControlItemUserData(unsigned long userData) { itemUserData_ = userData; }
  void GetControlItemUserData(unsigned long* userData) const;

  // ---- Appearance and value ----
  // Dims the control (inactive, hilite 255) once.
  void EnableHilite();
  // Undims it (hilite 0, active) when dimmed, or always with `force`.
  void DisableHilite(unsigned char force);
  unsigned char GetHiliteStatusFlag() const { return dimmedFlag_; }
  void SetupMinValue(short value);
  void SetupMaxValue(short value);
  void SetupCurrentValue(short value);
  short GetMinValue();
  short GetMaxValue();
  short GetCurrentValue();
  void SetupButtonCheckOnOrDown() { SetupCurrentValue(1); }
  void SetupButtonCheckOffOrUp() { SetupCurrentValue(0); }
  // The resolved control, or null (reported).
  ControlRef GetMacOSControlHandle();
  // 1 when the resolved control is `control`; 0 without a report when there is none.
  unsigned char EqualMacOSControlReference(ControlRef control);
  // The item below this one (children first, depth first, then the items of the change-output
  // groups) whose control is `control`, or null.
  cSp_ControlItem* SerchTargetMacOSControlRefNumItemFromUnderItemList(ControlRef control);
  // The item of the chain from `first` on whose control is `control`, each item asked before
  // the items below it; null when none.
  static cSp_ControlItem* SerchControlItemChain(cSp_ControlItem* first, ControlRef control);

  // ---- Change-output groups ----
  // The group with that number, made (and appended) when the item has none.
  cSp_ControlChangeOutputItemGroup* SetupChangeOutputItemDITL(short groupNo, short ditlId,
                                                              unsigned char embed);
  cSp_ControlChangeOutputItemGroup* GetChangeOutputItemDITLByGroupNo(short groupNo, short ditlId,
                                                                     unsigned char create,
                                                                     unsigned char embed);
  // Shows the group with that number (hiding the one shown before) and sets the control's
  // value to the group number; 0 when the item has no such group. The second argument is not
  // used.
  unsigned char EnableTargetOutputItem(short groupNo, unsigned char unused);
  unsigned char IsChangeOutputItemContainer() const { return (firstGroup_ != nullptr) ? 1 : 0; }
  cSp_ControlChangeOutputItemGroup* GetFirstChangeOutputGroup() const { return firstGroup_; }
  cSp_ControlChangeOutputItemGroup* GetCurrentChangeOutputGroup() const { return currentGroup_; }
  // The control item of the group shown now whose number in the dialog is `itemNo`, or null.
  cSp_ControlItem* GetChangeOutputItemFromRefNum(short itemNo);

  // ---- Callbacks (a later setter replaces the procedure and its user data) ----
  void SetMouseDownProc(tSpControlItemPartProcPtr proc, unsigned long userData);
  void SetMousePressIntervalProc(tSpControlItemProcPtr proc, unsigned long userData,
                                 UInt32 intervalTicks);
  void SetButtonDownProc(tSpControlItemPartProcPtr proc, unsigned long userData);
  void SetButtonDownIntervalProc(tSpControlItemProcPtr proc, unsigned long userData,
                                 UInt32 intervalTicks);
  void SetButtonUpProc(tSpControlItemProcPtr proc, unsigned long userData);
  void SetMouseUpIncompleatedProc(tSpControlItemProcPtr proc, unsigned long userData);
  void SetMouseUpCompleatedProc(tSpControlItemProcPtr proc, unsigned long userData);
  // In the Carbon-event mode this also installs the control-hit handler (once).
  void SetButtonOperationCompleatedProc(tSpControlItemProcPtr proc, unsigned long userData);
  void SetHitItemProc(tSpControlItemProcPtr proc, unsigned long userData);

  void ExecuteMouseDownOnControl(short modifiers, short part);
  void ExecuteMousePressIntervalProc(short modifiers);
  void ExecuteButtonDown(short modifiers, short part);
  void ExecuteButtonDownIntervalProc(short modifiers);
  void ExecuteButtonUp(short modifiers);
  void ExecuteMouseUpIncompleatedProc(short modifiers);
  void ExecuteMouseUpCompleatedProc(short modifiers);
  void ExecuteButtonOperationCompleatedProc(short modifiers);
  // A hit at `where` (window coordinates): a radio item inside whose control it lies switches
  // on, the hit procedure runs, and an exclusive container chooses the radio child hit; every
  // child then gets the hit. Always 0.
  unsigned char ExecHitItem(Point where);

  // ---- Control-hit handler ({'cntl', 1} on the control's target) ----
  // Installs it on the control of (base + own number) in the window's dialog; noErr when it
  // is (or already was) installed.
  OSStatus EnableCarbonEventHandle();
  // Removes it; noErr also when none was installed (nothing to remove is no failure).
  OSStatus DisableCarbonEventHandle();
  unsigned char IsCarbonEventHandleInstalled() const { return hitHandlerInstalled_; }

 private:
  friend class cSp_ControlChangeOutputItemGroup;

  ControlRef ResolveControl(const char* method);
  ControlRef LookupDialogControl() const;
  OSStatus InstallHitHandler(ControlRef control);
  void RunPartProc(const sSpCallback<tSpControlItemPartProcPtr>& callback, short modifiers,
                   short part);
  void RunProc(const sSpCallback<tSpControlItemProcPtr>& callback, short modifiers);
  void RunIntervalProc(const sSpCallback<tSpControlItemProcPtr>& callback, UInt32& start,
                       UInt32 interval, short modifiers);
  unsigned char GetsCallbacks() const { return (containerFlag_ == 0 && radioFlag_ == 0); }

  short itemType_ = 0;
  Rect currentRect_ = {0, 0, 0, 0};
  Rect resourceRect_ = {0, 0, 0, 0};
  short addResourceBase_ = 0;
  short itemNo_ = 0;
  unsigned char deferredFlag_ = 0;
  ControlRef control_ = nullptr;
  unsigned char dimmedFlag_ = 0;
  unsigned char containerFlag_ = 0;
  unsigned char exclusiveFlag_ = 0;
  unsigned char containerOption_ = 0;
  unsigned char hitHandlerInstalled_ = 0;
  EventHandlerRef hitHandler_ = nullptr;
  cSp_ControlItem* parent_ = nullptr;
  cSp_ControlItem* firstChild_ = nullptr;
  cSp_ControlItem* chosenChild_ = nullptr;
  cSp_Window* window_ = nullptr;
  unsigned char radioFlag_ = 0;

  sSpCallback<tSpControlItemPartProcPtr> mouseDown_;
  sSpCallback<tSpControlItemProcPtr> mousePressInterval_;
  sSpCallback<tSpControlItemPartProcPtr> buttonDown_;
  sSpCallback<tSpControlItemProcPtr> buttonDownInterval_;
  sSpCallback<tSpControlItemProcPtr> buttonUp_;
  sSpCallback<tSpControlItemProcPtr> mouseUpIncompleated_;
  sSpCallback<tSpControlItemProcPtr> mouseUpCompleated_;
  sSpCallback<tSpControlItemProcPtr> buttonOperationCompleated_;
  sSpCallback<tSpControlItemProcPtr> hitItem_;

  UInt32 pressStart_ = 0;
  UInt32 pressInterval_ = 0;
  UInt32 buttonStart_ = 0;
  UInt32 buttonInterval_ = 0;

  cSp_ControlChangeOutputItemGroup* firstGroup_ = nullptr;
  cSp_ControlChangeOutputItemGroup* lastGroup_ = nullptr;
  cSp_ControlChangeOutputItemGroup* currentGroup_ = nullptr;

  unsigned long itemUserData_ = 0;
};

// The control-hit handler: runs the item's completed-operation callback and consumes the hit
// (noErr); eventNotHandledErr without an item.
OSStatus SpWindowCntrol_CatchControlHitEventHProc(EventHandlerCallRef callRef, EventRef event,
                                                  void* item);
