// Window control items: resolving the control, appearance and values, geometry in the dialog,
// callbacks with their intervals, containers and radio choice, the control-hit handler, and
// the item's change-output groups.
#include "SpWindowControlItemObj.h"

#include "Clock.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "SpControlChangeItemGroup.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"

namespace {

const char kSource[] = "SpWindowControlItemObj";

DialogRef DialogOf(const cSp_Window* window) {
  return (window != nullptr) ? window->GetDialogRef() : nullptr;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

cSp_ControlItem::cSp_ControlItem(cSp_Window* window, short itemNo, unsigned char deferred)
    : itemNo_(itemNo), deferredFlag_(deferred), window_(window) {
  DialogRef dialog = DialogOf(window);
  if (deferred == 0 && dialog != nullptr) {
    ControlRef control = nullptr;
    if (GetDialogItemAsControl(dialog, itemNo, &control) == noErr) control_ = control;
    DialogItemType type = 0;
    Rect rect = {0, 0, 0, 0};
    GetDialogItem(dialog, itemNo, &type, nullptr, &rect);
    itemType_ = type;
    resourceRect_ = rect;
    // The item stands where the dialog put it until it is moved.
    currentRect_ = rect;
  }
}

cSp_ControlItem::~cSp_ControlItem() {
  // The toolbox must never call into a deleted item.
  if (hitHandlerInstalled_ != 0) RemoveEventHandler(hitHandler_);
  SpDeleteList(firstChild_);
  SpDeleteList(firstGroup_);
}

void cSp_ControlItem::AppendChildItem(cSp_ControlItem* child) {
  if (child == nullptr || child == this) {
    SpReportFailure(kSource, "cSp_ControlItem::AppendChildItem", 1, kSpMsgNullArgument);
    return;
  }
  child->parent_ = this;
  if (firstChild_ == nullptr) {
    firstChild_ = child;
  } else {
    firstChild_->LinkToNext(child);
  }
}

// ---- Resolving the control ------------------------------------------------------------------

ControlRef cSp_ControlItem::LookupDialogControl() const {
  if (deferredFlag_ == 0) return control_;
  DialogRef dialog = DialogOf(window_);
  if (dialog == nullptr) return nullptr;
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, GetDialogItemNo(0), &control) != noErr) return nullptr;
  return control;
}

ControlRef cSp_ControlItem::ResolveControl(const char* method) {
  ControlRef control = LookupDialogControl();
  if (control == nullptr) SpReportFailure(kSource, method, 1, kSpMsgDataError);
  return control;
}

// ---- Item information -----------------------------------------------------------------------

short cSp_ControlItem::GetDialogItemNo(unsigned char own) const {
  if (own != 0) return itemNo_;
  return short(addResourceBase_ + itemNo_);
}

void cSp_ControlItem::GetCurrentRect(Rect* rect) const {
  if (rect != nullptr) *rect = currentRect_;
}

void cSp_ControlItem::GetResourceRect(Rect* rect) const {
  if (rect != nullptr) *rect = resourceRect_;
}

void cSp_ControlItem::SetupControlInfoFromResource() {
  DialogRef dialog = DialogOf(window_);
  if (window_ == nullptr || window_->GetWindowRef() == nullptr || dialog == nullptr ||
      itemNo_ == 0) {
    return;
  }
  const short dialogItemNo = GetDialogItemNo(0);
  DialogItemType type = 0;
  Rect rect = {0, 0, 0, 0};
  GetDialogItem(dialog, dialogItemNo, &type, nullptr, &rect);
  itemType_ = type;
  // Only control items have a control; the handle of a text item is its text.
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, dialogItemNo, &control) == noErr) control_ = control;
  currentRect_ = rect;
  resourceRect_ = rect;
}

void cSp_ControlItem::SetupControlInfoFromDlgAnalizeObj(cDialogAnalyzor* analyzor,
                                                        unsigned char recurse) {
  if (analyzor == nullptr) {
    SpReportFailure(kSource, "cSp_ControlItem::SetupControlInfoFromDlgAnalizeObj", 1,
                    kSpMsgNullArgument);
    return;
  }
  short type = 0;
  Rect rect = {0, 0, 0, 0};
  if (Sp_ViewServices().GetDialogItemInfo(analyzor, itemNo_, &type, &rect) != 0) {
    itemType_ = type;
    currentRect_ = rect;
    resourceRect_ = rect;
  }
  if (recurse == 0) return;
  for (cSp_ControlItem* child = firstChild_; child != nullptr; child = child->NextObject()) {
    child->SetupControlInfoFromDlgAnalizeObj(analyzor, 1);
  }
}

void cSp_ControlItem::EmbedIntoRootControl(ControlRef root) {
  ControlRef control = ResolveControl("cSp_ControlItem::EmbedIntoRootControl");
  if (control == nullptr) return;
  if (EmbedControl(control, root) != noErr) SysBeep(19);
}

void cSp_ControlItem::ApplyContainer(unsigned char exclusive, unsigned char option) {
  containerFlag_ = 1;
  exclusiveFlag_ = exclusive;
  containerOption_ = option;
}

void cSp_ControlItem::MovePosition(short left, short top) {
  if (window_ == nullptr) {
    SpReportFailure(kSource, "cSp_ControlItem::MovePosition", 1, kSpMsgDataError);
    return;
  }
  if (currentRect_.left == left && currentRect_.top == top) return;
  Sp_ViewServices().Sp_MoveControlOnDialog(DialogOf(window_), GetDialogItemNo(0), left, top);
  OffsetRect(&currentRect_, SInt16(left - currentRect_.left), SInt16(top - currentRect_.top));
}

void cSp_ControlItem::ModifySize(short width, short height) {
  if (window_ == nullptr) {
    SpReportFailure(kSource, "cSp_ControlItem::ModifySize", 1, kSpMsgDataError);
    return;
  }
  const short nowWidth = short(currentRect_.right - currentRect_.left);
  const short nowHeight = short(currentRect_.bottom - currentRect_.top);
  if (width < 0) width = nowWidth;
  if (height < 0) height = nowHeight;
  if (width == nowWidth && height == nowHeight) return;
  Sp_ViewServices().Sp_ResizeControlOnDialog(DialogOf(window_), GetDialogItemNo(0), width, height);
  currentRect_.right = SInt16(currentRect_.left + width);
  currentRect_.bottom = SInt16(currentRect_.top + height);
}

void cSp_ControlItem::GetControlItemUserData(unsigned long* userData) const {
  if (userData != nullptr) *userData = itemUserData_;
}

// ---- Appearance and value -------------------------------------------------------------------

void cSp_ControlItem::EnableHilite() {
  if (dimmedFlag_ != 0) return;
  ControlRef control = ResolveControl("cSp_ControlItem::EnableHilite");
  if (control == nullptr) return;
  HiliteControl(control, kControlInactivePart);
  DeactivateControl(control);
  dimmedFlag_ = 1;
}

void cSp_ControlItem::DisableHilite(unsigned char force) {
  if (dimmedFlag_ == 0 && force == 0) return;
  ControlRef control = ResolveControl("cSp_ControlItem::DisableHilite");
  if (control == nullptr) return;
  HiliteControl(control, kControlNoPart);
  ActivateControl(control);
  dimmedFlag_ = 0;
}

void cSp_ControlItem::SetupMinValue(short value) {
  ControlRef control = ResolveControl("cSp_ControlItem::SetupMinValue");
  if (control != nullptr) SetControlMinimum(control, value);
}

void cSp_ControlItem::SetupMaxValue(short value) {
  ControlRef control = ResolveControl("cSp_ControlItem::SetupMaxValue");
  if (control != nullptr) SetControlMaximum(control, value);
}

void cSp_ControlItem::SetupCurrentValue(short value) {
  ControlRef control = ResolveControl("cSp_ControlItem::SetupCurrentValue");
  if (control != nullptr) SetControlValue(control, value);
}

short cSp_ControlItem::GetMinValue() {
  ControlRef control = ResolveControl("cSp_ControlItem::GetMinValue");
  return (control != nullptr) ? GetControlMinimum(control) : short(0);
}

short cSp_ControlItem::GetMaxValue() {
  ControlRef control = ResolveControl("cSp_ControlItem::GetMaxValue");
  return (control != nullptr) ? GetControlMaximum(control) : short(0);
}

short cSp_ControlItem::GetCurrentValue() {
  ControlRef control = ResolveControl("cSp_ControlItem::GetCurrentValue");
  return (control != nullptr) ? GetControlValue(control) : short(0);
}

ControlRef cSp_ControlItem::GetMacOSControlHandle() {
  return ResolveControl("cSp_ControlItem::GetMacOSControlHandle");
}

unsigned char cSp_ControlItem::EqualMacOSControlReference(ControlRef control) {
  ControlRef own = LookupDialogControl();
  if (own == nullptr) return 0;
  return (own == control) ? 1 : 0;
}

cSp_ControlItem* cSp_ControlItem::SerchTargetMacOSControlRefNumItemFromUnderItemList(
    ControlRef control) {
  if (cSp_ControlItem* found = SerchControlItemChain(firstChild_, control)) return found;
  for (cSp_ControlChangeOutputItemGroup* group = firstGroup_; group != nullptr;
       group = group->GetNextObjectPtr()) {
    cSp_ControlItem* found = group->SerchTargetMacOSControlRefNumItemFromItemList(control);
    if (found != nullptr) return found;
  }
  return nullptr;
}

cSp_ControlItem* cSp_ControlItem::SerchControlItemChain(cSp_ControlItem* first,
                                                        ControlRef control) {
  for (cSp_ControlItem* item = first; item != nullptr; item = item->NextObject()) {
    if (item->EqualMacOSControlReference(control) != 0) return item;
    cSp_ControlItem* found = item->SerchTargetMacOSControlRefNumItemFromUnderItemList(control);
    if (found != nullptr) return found;
  }
  return nullptr;
}

// ---- Change-output groups -------------------------------------------------------------------

cSp_ControlChangeOutputItemGroup* cSp_ControlItem::SetupChangeOutputItemDITL(short groupNo,
                                                                             short ditlId,
                                                                             unsigned char embed) {
  if (firstGroup_ != nullptr) {
    cSp_ControlChangeOutputItemGroup* found = firstGroup_->SerchTargetGroupNoItem(groupNo);
    if (found != nullptr) return found;
  }
  cSp_ControlChangeOutputItemGroup* group = new (std::nothrow)
      cSp_ControlChangeOutputItemGroup(window_, LookupDialogControl(), groupNo, ditlId, embed);
  if (group == nullptr) {
    return SpReportFailure(kSource, "cSp_ControlItem::SetupChangeOutputItemDITL", 2, kSpMsgMemory,
                           static_cast<cSp_ControlChangeOutputItemGroup*>(nullptr));
  }
  SpAppendToList(firstGroup_, lastGroup_, group);
  return group;
}

cSp_ControlChangeOutputItemGroup* cSp_ControlItem::GetChangeOutputItemDITLByGroupNo(
    short groupNo, short ditlId, unsigned char create, unsigned char embed) {
  cSp_ControlChangeOutputItemGroup* found =
      (firstGroup_ != nullptr) ? firstGroup_->SerchTargetGroupNoItem(groupNo) : nullptr;
  if (found != nullptr) return found;
  if (create == 0) return nullptr;
  return SetupChangeOutputItemDITL(groupNo, ditlId, embed);
}

unsigned char cSp_ControlItem::EnableTargetOutputItem(short groupNo, unsigned char) {
  cSp_ControlChangeOutputItemGroup* group =
      (firstGroup_ != nullptr) ? firstGroup_->SerchTargetGroupNoItem(groupNo) : nullptr;
  if (group == nullptr) return 0;
  if (group != currentGroup_) {
    // One panel at a time: the old one goes before the new one comes.
    if (currentGroup_ != nullptr) currentGroup_->DisableOutputItem();
    currentGroup_ = group;
  }
  SetupCurrentValue(groupNo);
  currentGroup_->EnableOutputItem();
  return 1;
}

cSp_ControlItem* cSp_ControlItem::GetChangeOutputItemFromRefNum(short itemNo) {
  if (currentGroup_ == nullptr) return nullptr;
  return currentGroup_->SerchDialogContorlItem(itemNo, 0);
}

// ---- Callbacks ------------------------------------------------------------------------------

void cSp_ControlItem::SetMouseDownProc(tSpControlItemPartProcPtr proc, unsigned long userData) {
  mouseDown_ = {proc, userData};
}

void cSp_ControlItem::SetMousePressIntervalProc(tSpControlItemProcPtr proc, unsigned long userData,
                                                UInt32 intervalTicks) {
  mousePressInterval_ = {proc, userData};
  pressInterval_ = intervalTicks;
}

void cSp_ControlItem::SetButtonDownProc(tSpControlItemPartProcPtr proc, unsigned long userData) {
  buttonDown_ = {proc, userData};
}

void cSp_ControlItem::SetButtonDownIntervalProc(tSpControlItemProcPtr proc, unsigned long userData,
                                                UInt32 intervalTicks) {
  buttonDownInterval_ = {proc, userData};
  buttonInterval_ = intervalTicks;
}

void cSp_ControlItem::SetButtonUpProc(tSpControlItemProcPtr proc, unsigned long userData) {
  buttonUp_ = {proc, userData};
}

void cSp_ControlItem::SetMouseUpIncompleatedProc(tSpControlItemProcPtr proc,
                                                 unsigned long userData) {
  mouseUpIncompleated_ = {proc, userData};
}

void cSp_ControlItem::SetMouseUpCompleatedProc(tSpControlItemProcPtr proc, unsigned long userData) {
  mouseUpCompleated_ = {proc, userData};
}

void cSp_ControlItem::SetButtonOperationCompleatedProc(tSpControlItemProcPtr proc,
                                                       unsigned long userData) {
  buttonOperationCompleated_ = {proc, userData};
  // In the Carbon-event mode the control's hit event is what completes a button operation.
  if (Sp_Is_CarbonEvent_ModeEnable() && control_ != nullptr && hitHandlerInstalled_ == 0) {
    InstallHitHandler(control_);
  }
}

void cSp_ControlItem::SetHitItemProc(tSpControlItemProcPtr proc, unsigned long userData) {
  hitItem_ = {proc, userData};
}

void cSp_ControlItem::RunPartProc(const sSpCallback<tSpControlItemPartProcPtr>& callback,
                                  short modifiers, short part) {
  if (GetsCallbacks() && callback.proc != nullptr)
    callback.proc(modifiers, callback.userData, part);
}

void cSp_ControlItem::RunProc(const sSpCallback<tSpControlItemProcPtr>& callback, short modifiers) {
  if (GetsCallbacks() && callback.proc != nullptr) callback.proc(modifiers, callback.userData);
}

// At most once per interval: the first run comes one full interval after the press, and each
// run starts the next interval afresh.
void cSp_ControlItem::RunIntervalProc(const sSpCallback<tSpControlItemProcPtr>& callback,
                                      UInt32& start, UInt32 interval, short modifiers) {
  if (!GetsCallbacks()) return;
  const UInt32 now = TickCount();
  if (callback.proc == nullptr || !(start + interval < now)) return;
  callback.proc(modifiers, callback.userData);
  start = TickCount();
}

void cSp_ControlItem::ExecuteMouseDownOnControl(short modifiers, short part) {
  if (!GetsCallbacks()) return;
  pressStart_ = TickCount();
  RunPartProc(mouseDown_, modifiers, part);
}

void cSp_ControlItem::ExecuteMousePressIntervalProc(short modifiers) {
  RunIntervalProc(mousePressInterval_, pressStart_, pressInterval_, modifiers);
}

void cSp_ControlItem::ExecuteButtonDown(short modifiers, short part) {
  buttonStart_ = TickCount();
  RunPartProc(buttonDown_, modifiers, part);
}

void cSp_ControlItem::ExecuteButtonDownIntervalProc(short modifiers) {
  RunIntervalProc(buttonDownInterval_, buttonStart_, buttonInterval_, modifiers);
}

void cSp_ControlItem::ExecuteButtonUp(short modifiers) {
  RunProc(buttonUp_, modifiers);
}

void cSp_ControlItem::ExecuteMouseUpIncompleatedProc(short modifiers) {
  RunProc(mouseUpIncompleated_, modifiers);
}

void cSp_ControlItem::ExecuteMouseUpCompleatedProc(short modifiers) {
  RunProc(mouseUpCompleated_, modifiers);
}

void cSp_ControlItem::ExecuteButtonOperationCompleatedProc(short modifiers) {
  RunProc(buttonOperationCompleated_, modifiers);
}

unsigned char cSp_ControlItem::ExecHitItem(Point where) {
  if (containerFlag_ == 0) {
    // A radio item switches on only when the hit is its own: its container passes every hit
    // on to all its children, and the others must stay off.
    if (radioFlag_ != 0) {
      ControlRef control = LookupDialogControl();
      Rect bounds = {0, 0, 0, 0};
      if (control != nullptr && GetControlBounds(control, &bounds) != nullptr &&
          PtInRect(where, &bounds)) {
        SetControlValue(control, 1);
      }
    }
    if (hitItem_.proc != nullptr) hitItem_.proc(0, hitItem_.userData);
  } else if (exclusiveFlag_ != 0) {
    for (cSp_ControlItem* child = firstChild_; child != nullptr; child = child->NextObject()) {
      Rect bounds = {-10, -10, -10, -10};
      ControlRef control = child->LookupDialogControl();
      if (control != nullptr) {
        GetControlBounds(control, &bounds);
      } else {
        SpReportFailure(kSource, "cSp_ControlItem::ExecHitItem", 1, kSpMsgNoComment);
      }
      if (!PtInRect(where, &bounds)) continue;
      if (child != chosenChild_ && child->radioFlag_ != 0) {
        if (chosenChild_ != nullptr) chosenChild_->SetupCurrentValue(0);
        chosenChild_ = child;
      }
      break;
    }
  }
  for (cSp_ControlItem* child = firstChild_; child != nullptr; child = child->NextObject()) {
    child->ExecHitItem(where);
  }
  return 0;
}

// ---- Control-hit handler --------------------------------------------------------------------

OSStatus cSp_ControlItem::InstallHitHandler(ControlRef control) {
  // One procedure pointer serves every item; the item rides along as the user data.
  static EventHandlerUPP handlerUPP = NewEventHandlerUPP(SpWindowCntrol_CatchControlHitEventHProc);
  static const EventTypeSpec kHitEvent = {kEventClassControl, kEventControlHit};
  EventHandlerRef handler = nullptr;
  OSStatus err = InstallEventHandler(GetControlEventTarget(control), handlerUPP, 1, &kHitEvent,
                                     this, &handler);
  if (err != noErr) return err;
  hitHandler_ = handler;
  hitHandlerInstalled_ = 1;
  return noErr;
}

OSStatus cSp_ControlItem::EnableCarbonEventHandle() {
  if (hitHandlerInstalled_ != 0) return noErr;
  DialogRef dialog = DialogOf(window_);
  if (dialog == nullptr) {
    return SpReportFailure(kSource, "cSp_ControlItem::EnableCarbonEventHandle", 3, kSpMsgDataError,
                           OSStatus(paramErr));
  }
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, GetDialogItemNo(0), &control) != noErr || control == nullptr) {
    return SpReportFailure(kSource, "cSp_ControlItem::EnableCarbonEventHandle", 5, kSpMsgDataError,
                           OSStatus(errItemNotControl));
  }
  return InstallHitHandler(control);
}

OSStatus cSp_ControlItem::DisableCarbonEventHandle() {
  // Nothing installed is nothing to remove: hiding a panel whose items never had a handler
  // is an ordinary case, not a failure.
  if (hitHandlerInstalled_ == 0) return noErr;
  OSStatus err = RemoveEventHandler(hitHandler_);
  if (err != noErr) return err;
  hitHandler_ = nullptr;
  hitHandlerInstalled_ = 0;
  return noErr;
}

OSStatus SpWindowCntrol_CatchControlHitEventHProc(EventHandlerCallRef, EventRef, void* item) {
  if (item == nullptr) return eventNotHandledErr;
  static_cast<cSp_ControlItem*>(item)->ExecuteButtonOperationCompleatedProc(0);
  return noErr;
}
