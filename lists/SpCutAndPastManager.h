// The cut-and-paste manager: watches the clipboard and calls every procedure registered with
// it when the clipboard changed.
//
// It looks at the clipboard from an event-loop timer (at once, then every 3 seconds) in
// Carbon-event mode, else from the framework's idle procedures, and not while the program is
// in the background. A change is a new clipboard change count (any copy, here or in another
// program) or a new number of clipboard flavours; the first look counts a clipboard that holds
// anything as a change.
#pragma once

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

typedef void (*tSpCPM_CallbackProcPtr)(unsigned long refCon);

// One registered procedure.
class cSp_CopyOrCutCBPItem : public cSpListLinks<cSp_CopyOrCutCBPItem>, public cSpMacHeapObject {
 public:
  cSp_CopyOrCutCBPItem(tSpCPM_CallbackProcPtr proc, unsigned long refCon, SInt32 refNum)
      : refNum_(refNum), proc_(proc), refCon_(refCon) {}

  SInt32 GetReferenceNumber() const { return refNum_; }
  void SetupCallbackProcPtr(tSpCPM_CallbackProcPtr proc, unsigned long refCon);
  // The first item from this one onward with the number, or null.
  cSp_CopyOrCutCBPItem* SerchItemWithRefNum(SInt32 refNum);
  // This item's procedure; with `all`, this item's and every following one's, in order.
  void ExecuteCallBack(unsigned char all);

 private:
  SInt32 refNum_;
  tSpCPM_CallbackProcPtr proc_;
  unsigned long refCon_;
};

class cSp_CutAndPastManager : public cSpMacHeapObject {
 public:
  cSp_CutAndPastManager() = default;
  ~cSp_CutAndPastManager();
  cSp_CutAndPastManager(const cSp_CutAndPastManager&) = delete;
  cSp_CutAndPastManager& operator=(const cSp_CutAndPastManager&) = delete;

  // Registers the procedure; its number (from 1), or 0 when it cannot be kept (the number is
  // spent all the same).
  SInt32 SetupNewCallbackProc(tSpCPM_CallbackProcPtr proc, unsigned long refCon);
  // A number not registered changes nothing.
  void DiposeCallbackProc(SInt32 refNum);
  // One look at the clipboard.
  void CheckScrapForEventLoop();
  void CatchResumeEventCB();
  void CatchSuspendEventCB();

  // Start-up: the polling and the registrations of the resume, suspend and dispose
  // procedures.
  void StartUp();
  unsigned char IsActive() const { return active_; }

 private:
  cSp_CopyOrCutCBPItem* first_ = nullptr;
  cSp_CopyOrCutCBPItem* last_ = nullptr;
  SInt32 lastRefNum_ = 0;
  SInt16 flavorCount_ = 0;
  unsigned long idleRefNum_ = 0;
  unsigned char active_ = 1;
  bool changeKnown_ = false;  // a change count was read before
  UInt32 changeCount_ = 0;
};

cSp_CutAndPastManager* SpCPM_GetManager(unsigned char create);
void SpCPM_DisposeCutAndPastMgr(unsigned long refCon);

// Entry procedures for the framework and the toolbox; nothing without a manager.
void SpCPM_CheckScrapForCutAndPast(unsigned long refCon);
void SpCPM_CatchCutAndPastCarbonIdleEventCB(EventLoopTimerRef timer, void* userData);
void SpCPM_CatchResumeEventCB(unsigned long refCon);
void SpCPM_CatchSuspendEventCB(unsigned long refCon);

// The 3-second clipboard timer on the main event loop (first at once), installed once.
void Sp_EnableCutAndPastEventIdleProcedureForCarbonEvent();
void Sp_DisableCutAndPastEventIdleProcedureForCarbonEvent();

namespace sp_testing {
// Test hook: removes the timer and frees the manager, so that the next use starts afresh.
void ResetCutAndPastManager();
}  // namespace sp_testing
