// The edit-text manager: the one registry of edit-text objects, and the engine's entry points
// for the framework.
//
// The manager knows every edit-text object and which one is active (has the keyboard). It
// hands the active object whole characters (holding the first byte of a two-byte character
// until its second byte comes), blinks its caret from an event-loop timer that runs only while
// an object is active and the program is in front, and pauses, suspends and resumes editing.
//
// The manager is made when the first edit-text object registers. Until then every entry point
// answers as for "no manager": nothing is taken (0) and nothing runs.
//
// Failures beep and leave one error-log record with the source "SpETOManagerObject".
#pragma once

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "SpMacHeapObject.h"

class cEditTextObject;
namespace sp_testing {
void ResetEditTextManager();
}  // namespace sp_testing

class cEditTextManager : public cSpMacHeapObject {
 public:
  cEditTextManager() = default;
  cEditTextManager(const cEditTextManager&) = delete;
  cEditTextManager& operator=(const cEditTextManager&) = delete;

  // Puts the object at the head of the list; null is ignored.
  void SetupEditObjectItem(cEditTextObject* object);
  void RemoveEditObjectItem(cEditTextObject* object);
  cEditTextObject* GetFirstEditObjectItem() const { return first_; }
  // The object becomes active, the one active before losing its activation first. Nothing for
  // null, the active object, or an object not registered.
  void SetupActiveEditObjectItem(cEditTextObject* object, unsigned char redraw);
  // Only for the active object.
  void CancelActiveEditObjectItem(cEditTextObject* object, unsigned char redraw);
  void CancelCurrentActiveEditObjectItem(unsigned char redraw);
  // The active object; null while the program is in the background.
  cEditTextObject* GetActiveEditItem() const;
  unsigned char ExistActiveEditObject() const;
  unsigned char ExistTextEditObjectAtTextInputInProgress() const;
  void PauseTextEditService(unsigned char pause);
  unsigned char IsTextEditServiceEnable() const { return serviceEnabled_; }
  unsigned char IsSuspended() const { return suspended_; }
  SInt32 IdleProc();
  // One key: 0 while it is the first byte of a two-byte character (held until the next).
  SInt32 KeyIn(char key, short modifiers);
  SInt32 KeyStringIn(const char* text);
  void Resume();
  void Suspend();

 private:
  friend void sp_testing::ResetEditTextManager();
  bool Registered(const cEditTextObject* object) const;

  unsigned char serviceEnabled_ = 1;
  unsigned char suspended_ = 0;
  cEditTextObject* first_ = nullptr;
  cEditTextObject* active_ = nullptr;
  unsigned char leadBytePending_ = 0;
  char heldLeadByte_ = 0;
};

extern cEditTextManager* editTextManagerPtr_GlV;
extern unsigned char exitTextManagerInitFlag_GlV;
extern unsigned char carbonIdleTimerEnableFlag_GlV;
extern unsigned char currentIdleTimeProcedureEnableFlag_GlV;
extern unsigned char currentEditTextIdleEventOnCarbonEventFlag_GlV;
extern EventLoopTimerUPP editTextIdleEventUPP_GlV;
extern EventLoopTimerRef editTextIdleEventRefNum_GlV;

// The manager; made (when create is set) on first demand.
cEditTextManager* SpETO_GetEditTextManager(unsigned char create);

// The caret's timer: first at once, then every 0.1 s.
void SpETO_EnableIdleEventProcedureForCarbonEvent(cEditTextManager* manager);
void SpETO_DisableIdleEventProcedureForCarbonEvent(cEditTextManager* manager);
void SpETO_CatchIdleEventCB(EventLoopTimerRef timer, void* manager);

// ---- Hooks of the edit-text objects ----
void SpETO_SetupEditTextObjectIntoManager(cEditTextObject* object);
void SpETO_RemoveEditTextObjectFromManager(cEditTextObject* object);
void SpETO_SetupAcitiveEditItemIntoManager(cEditTextObject* object, unsigned char redraw);
void SpETO_CancelActiveEditItemFromManager(cEditTextObject* object, unsigned char redraw);
void SpETO_CancelCurrnetActiveEditItem(unsigned char redraw);
unsigned char SpETO_IsActiveEditItem(const cEditTextObject* object);
void SpETO_PauseEventProc();
void SpETO_PauseOutEventProc();

// ---- Hooks of the framework's event handling ----
// The manager's idle work (the caret), when the manager exists.
void SpETO_EventIdleProcedure();
// Non-zero when the active edit-text object took the key.
unsigned char SpETO_EventKeyInProcedure(char key, short modifiers);
// Non-zero when the active object took the zero-terminated MacJapanese text.
unsigned char SpETO_EventKeyStringInProcedure(const char* text);
// 1 when there is an active edit-text object whose view is enabled and it has inline input in
// progress (its keys then belong to the input method).
unsigned char SpETO_ExistTextObjectAtEextInputInProgress();
void SpETO_ResumeEditManager();
// 0 when there is no manager.
unsigned char SpETO_SuspendEditManager();

// Hands the framework the engine's and the text services' entry points above. Called once
// when the program starts, before the framework's start-up.
void SpETO_InstallEditTextServices();

namespace sp_testing {
// Makes the framework's key routing see inline input in progress (or not), whatever the
// edit-text objects say.
void SetInlineInputInProgress(bool inProgress);
// The manager back to its first state: no active object, nothing held or paused, in front, no
// timer (the registered objects stay).
void ResetEditTextManager();
}  // namespace sp_testing
