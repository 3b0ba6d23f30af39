// The edit-text manager: registration, the active object, whole characters from single keys,
// the caret's idle timer, pause, suspend and resume; and the entry points of the framework.
#include "SpETOManagerObject.h"

#include "OSUtils.h"
#include "Script.h"
#include "SpCarbonEventHandlers.h"
#include "SpEditTextObject.h"
#include "SpErrorInfoSystem.h"
#include "SpServiceHooks.h"
#include "SpStdFunctionNumber.h"
#include "SpTextService.h"

namespace {

const char kSource[] = "SpETOManagerObject";

// Set only by the test hook.
bool gInlineInputInProgress = false;

// The caret's timer is wanted while an object is active and the program is in front.
void WantIdleTimer(cEditTextManager* manager, bool want) {
  if (carbonIdleTimerEnableFlag_GlV == 0) return;
  if (want && currentIdleTimeProcedureEnableFlag_GlV == 0) {
    currentIdleTimeProcedureEnableFlag_GlV = 1;
    SpETO_EnableIdleEventProcedureForCarbonEvent(manager);
  } else if (!want && currentIdleTimeProcedureEnableFlag_GlV != 0) {
    currentIdleTimeProcedureEnableFlag_GlV = 0;
    SpETO_DisableIdleEventProcedureForCarbonEvent(manager);
  }
}

}  // namespace

cEditTextManager* editTextManagerPtr_GlV = nullptr;
unsigned char exitTextManagerInitFlag_GlV = 0;
unsigned char carbonIdleTimerEnableFlag_GlV = 0;
unsigned char currentIdleTimeProcedureEnableFlag_GlV = 0;
unsigned char currentEditTextIdleEventOnCarbonEventFlag_GlV = 0;
EventLoopTimerUPP editTextIdleEventUPP_GlV = nullptr;
EventLoopTimerRef editTextIdleEventRefNum_GlV = nullptr;

cEditTextManager* SpETO_GetEditTextManager(unsigned char create) {
  if (editTextManagerPtr_GlV == nullptr && create != 0) {
    editTextManagerPtr_GlV = new (std::nothrow) cEditTextManager();
    if (editTextManagerPtr_GlV != nullptr) {
      exitTextManagerInitFlag_GlV = 1;
      if (Sp_Is_CarbonEvent_ModeEnable()) carbonIdleTimerEnableFlag_GlV = 1;
    }
  }
  return editTextManagerPtr_GlV;
}

// ---- Registration and activation ----

void cEditTextManager::SetupEditObjectItem(cEditTextObject* object) {
  if (object == nullptr || Registered(object)) return;
  if (first_ != nullptr) object->LinkToEditTextNext(first_);
  first_ = object;
}

void cEditTextManager::RemoveEditObjectItem(cEditTextObject* object) {
  if (object == nullptr) {
    SpReportFailure(kSource, "cEditTextManager::RemoveEditObjectItem", 1, kSpMsgNullArgument);
    return;
  }
  if (!Registered(object)) {
    SpReportFailure(kSource, "cEditTextManager::RemoveEditObjectItem", 2, kSpMsgLinkError);
    return;
  }
  cEditTextObject* before = object->GetEditTextBeforeObjectPtr();
  if ((before == nullptr) != (first_ == object)) {
    SpReportFailure(kSource, "cEditTextManager::RemoveEditObjectItem", 3, kSpMsgLinkError);
    return;
  }
  cEditTextObject* after = object->UnlinkEditTextNext();
  if (before != nullptr) {
    before->UnlinkEditTextNext();
    before->LinkToEditTextNext(after);
  } else {
    first_ = after;
  }
  if (active_ == object) {
    active_ = nullptr;
    WantIdleTimer(this, false);
  }
}

bool cEditTextManager::Registered(const cEditTextObject* object) const {
  for (cEditTextObject* o = first_; o != nullptr; o = o->GetEditTextNextObjectPtr()) {
    if (o == object) return true;
  }
  return false;
}

void cEditTextManager::SetupActiveEditObjectItem(cEditTextObject* object, unsigned char redraw) {
  if (object == nullptr || object == active_ || !Registered(object)) return;
  // The field that had the keyboard lets go of it before the new one takes it.
  if (active_ != nullptr) {
    cEditTextObject* previous = active_;
    active_ = nullptr;
    previous->CancelActivation(redraw);
  }
  active_ = object;
  // Blinking waits for the program to come to the front.
  if (suspended_ == 0) WantIdleTimer(this, true);
}

void cEditTextManager::CancelActiveEditObjectItem(cEditTextObject* object, unsigned char redraw) {
  if (object == nullptr || object != active_) return;
  object->DisableTextInput();
  active_ = nullptr;
  object->CancelActivation(redraw);
  WantIdleTimer(this, false);
}

void cEditTextManager::CancelCurrentActiveEditObjectItem(unsigned char redraw) {
  if (active_ != nullptr) CancelActiveEditObjectItem(active_, redraw);
}

cEditTextObject* cEditTextManager::GetActiveEditItem() const {
  return suspended_ != 0 ? nullptr : active_;
}

unsigned char cEditTextManager::ExistActiveEditObject() const {
  return (active_ != nullptr && active_->IsEnableView() != 0) ? 1 : 0;
}

unsigned char cEditTextManager::ExistTextEditObjectAtTextInputInProgress() const {
  return (active_ != nullptr && active_->IsTextInputInProgress() != 0) ? 1 : 0;
}

// ---- Pause, idle, suspend ----

void cEditTextManager::PauseTextEditService(unsigned char pause) {
  const bool enabled = serviceEnabled_ != 0;
  if ((pause != 0) != enabled) return;
  if (pause != 0 && active_ != nullptr) active_->PauseActivation(1);
  serviceEnabled_ = pause != 0 ? 0 : 1;
}

SInt32 cEditTextManager::IdleProc() {
  if (serviceEnabled_ == 0 || suspended_ != 0 || active_ == nullptr) return 0;
  active_->IdleProcedure();
  return 1;
}

void cEditTextManager::Resume() {
  suspended_ = 0;
  if (active_ == nullptr) return;
  active_->ResumeEdit();
  WantIdleTimer(this, true);
}

void cEditTextManager::Suspend() {
  suspended_ = 1;
  if (active_ == nullptr) return;
  active_->SuspendEdit();
  WantIdleTimer(this, false);
}

// ---- Keys ----

SInt32 cEditTextManager::KeyIn(char key, short modifiers) {
  sSpModifiersDataStruct info;
  Sp_ModifiersValueToModifiersDataInfo(modifiers, info);
  char buffer[3] = {0, 0, 0};
  SInt16 at = 0;
  if (leadBytePending_ != 0) {
    buffer[0] = heldLeadByte_;
    buffer[1] = key;
    at = 1;
  } else {
    buffer[0] = key;
  }
  const SInt16 kind = CharacterByteType(buffer, at, smCurrentScript);
  // A key that cannot be a second byte (a digit, a control key) never joins the held byte.
  const UInt8 k = UInt8(key);
  const bool canFollow = (k >= 0x40 && k <= 0x7E) || (k >= 0x80 && k <= 0xFC);
  if (heldLeadByte_ != 0 && kind == smLastByte && canFollow) {
    // The held first byte and this one are one character.
    heldLeadByte_ = 0;
  } else if (kind == smFirstByte) {
    heldLeadByte_ = key;
    leadBytePending_ = 1;
  } else {
    buffer[0] = key;
    buffer[1] = 0;
    heldLeadByte_ = 0;
  }
  if (heldLeadByte_ != 0 || serviceEnabled_ == 0) return 0;
  cEditTextObject* target = GetActiveEditItem();
  return target != nullptr ? target->KyeInProcedure(buffer) : 0;
}

SInt32 cEditTextManager::KeyStringIn(const char* text) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "cEditTextManager::KeyStringIn", 1, kSpMsgNullArgument, 0);
  }
  if (text[0] == '\0') return 1;
  cEditTextObject* target = GetActiveEditItem();
  return target != nullptr ? target->KyeInProcedure(text) : 0;
}

// ---- The idle timer ----

void SpETO_CatchIdleEventCB(EventLoopTimerRef, void* manager) {
  if (manager != nullptr) static_cast<cEditTextManager*>(manager)->IdleProc();
}

void SpETO_EnableIdleEventProcedureForCarbonEvent(cEditTextManager* manager) {
  if (manager == nullptr || currentEditTextIdleEventOnCarbonEventFlag_GlV != 0) return;
  if (editTextIdleEventUPP_GlV == nullptr) {
    editTextIdleEventUPP_GlV = NewEventLoopTimerUPP(SpETO_CatchIdleEventCB);
  }
  if (InstallEventLoopTimer(GetMainEventLoop(), 0.0, 0.1 * kEventDurationSecond,
                            editTextIdleEventUPP_GlV, manager,
                            &editTextIdleEventRefNum_GlV) == noErr) {
    currentEditTextIdleEventOnCarbonEventFlag_GlV = 1;
  }
}

void SpETO_DisableIdleEventProcedureForCarbonEvent(cEditTextManager*) {
  if (currentEditTextIdleEventOnCarbonEventFlag_GlV == 0) return;
  RemoveEventLoopTimer(editTextIdleEventRefNum_GlV);
  editTextIdleEventRefNum_GlV = nullptr;
  currentEditTextIdleEventOnCarbonEventFlag_GlV = 0;
}

// ---- Hooks of the edit-text objects ----

void SpETO_SetupEditTextObjectIntoManager(cEditTextObject* object) {
  if (cEditTextManager* m = SpETO_GetEditTextManager(1)) m->SetupEditObjectItem(object);
}

void SpETO_RemoveEditTextObjectFromManager(cEditTextObject* object) {
  if (cEditTextManager* m = SpETO_GetEditTextManager(1)) m->RemoveEditObjectItem(object);
}

void SpETO_SetupAcitiveEditItemIntoManager(cEditTextObject* object, unsigned char redraw) {
  if (editTextManagerPtr_GlV != nullptr) {
    editTextManagerPtr_GlV->SetupActiveEditObjectItem(object, redraw);
  }
}

void SpETO_CancelActiveEditItemFromManager(cEditTextObject* object, unsigned char redraw) {
  if (editTextManagerPtr_GlV != nullptr) {
    editTextManagerPtr_GlV->CancelActiveEditObjectItem(object, redraw);
  }
}

void SpETO_CancelCurrnetActiveEditItem(unsigned char redraw) {
  if (editTextManagerPtr_GlV != nullptr) {
    editTextManagerPtr_GlV->CancelCurrentActiveEditObjectItem(redraw);
  }
}

unsigned char SpETO_IsActiveEditItem(const cEditTextObject* object) {
  return (editTextManagerPtr_GlV != nullptr && object != nullptr &&
          editTextManagerPtr_GlV->GetActiveEditItem() == object)
             ? 1
             : 0;
}

void SpETO_PauseEventProc() {
  if (editTextManagerPtr_GlV != nullptr) editTextManagerPtr_GlV->PauseTextEditService(1);
}

void SpETO_PauseOutEventProc() {
  if (editTextManagerPtr_GlV != nullptr) editTextManagerPtr_GlV->PauseTextEditService(0);
}

// ---- Hooks of the framework ----

void SpETO_EventIdleProcedure() {
  if (editTextManagerPtr_GlV != nullptr) editTextManagerPtr_GlV->IdleProc();
}

unsigned char SpETO_EventKeyInProcedure(char key, short modifiers) {
  if (editTextManagerPtr_GlV == nullptr) return 0;
  return editTextManagerPtr_GlV->KeyIn(key, modifiers) != 0 ? 1 : 0;
}

unsigned char SpETO_EventKeyStringInProcedure(const char* text) {
  if (editTextManagerPtr_GlV == nullptr) return 0;
  return editTextManagerPtr_GlV->KeyStringIn(text) != 0 ? 1 : 0;
}

unsigned char SpETO_ExistTextObjectAtEextInputInProgress() {
  if (gInlineInputInProgress) return 1;
  return (editTextManagerPtr_GlV != nullptr && editTextManagerPtr_GlV->ExistActiveEditObject() &&
          editTextManagerPtr_GlV->ExistTextEditObjectAtTextInputInProgress())
             ? 1
             : 0;
}

void SpETO_ResumeEditManager() {
  if (editTextManagerPtr_GlV != nullptr) editTextManagerPtr_GlV->Resume();
}

unsigned char SpETO_SuspendEditManager() {
  if (editTextManagerPtr_GlV == nullptr) return 0;
  editTextManagerPtr_GlV->Suspend();
  return 1;
}

void SpETO_InstallEditTextServices() {
  sSpEditTextServices services = {};
  services.SpETO_EventIdleProcedure = SpETO_EventIdleProcedure;
  services.SpETO_EventKeyInProcedure = SpETO_EventKeyInProcedure;
  services.SpETO_EventKeyStringInProcedure = SpETO_EventKeyStringInProcedure;
  services.SpETO_ExistTextObjectAtEextInputInProgress = SpETO_ExistTextObjectAtEextInputInProgress;
  services.SpETO_ResumeEditManager = SpETO_ResumeEditManager;
  services.SpETO_SuspendEditManager = SpETO_SuspendEditManager;
  services.SpTS_EnableCursorChange = SpTS_EnableCursorChange;
  services.SpTS_MouseDownProcedure = SpTS_MouseDownProcedure;
  services.SpTS_ResumeProcedure = SpTS_ResumeProcedure;
  services.SpTS_SuspendProcedure = SpTS_SuspendProcedure;
  Sp_SetupEditTextServices(&services);
}

namespace sp_testing {

void SetInlineInputInProgress(bool inProgress) {
  gInlineInputInProgress = inProgress;
}

void ResetEditTextManager() {
  cEditTextManager* m = editTextManagerPtr_GlV;
  if (m != nullptr) {
    m->serviceEnabled_ = 1;
    m->suspended_ = 0;
    m->active_ = nullptr;
    m->leadBytePending_ = 0;
    m->heldLeadByte_ = 0;
  }
  // The events' reset forgets the timer itself.
  currentIdleTimeProcedureEnableFlag_GlV = 0;
  currentEditTextIdleEventOnCarbonEventFlag_GlV = 0;
  editTextIdleEventRefNum_GlV = nullptr;
  if (Sp_Is_CarbonEvent_ModeEnable() && m != nullptr) carbonIdleTimerEnableFlag_GlV = 1;
}

}  // namespace sp_testing
