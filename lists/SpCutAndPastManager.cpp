// The cut-and-paste manager (see SpCutAndPastManager.h).
#include "SpCutAndPastManager.h"

#include "Scrap.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpCutAndPastManager";

cSp_CutAndPastManager* gManager = nullptr;
unsigned char gTimerInstalled = 0;
EventLoopTimerUPP gTimerUPP = nullptr;  // made once and kept
EventLoopTimerRef gTimer = nullptr;

constexpr EventTimerInterval kScrapPollInterval = 3.0;

}  // namespace

// ---- Registered procedures ------------------------------------------------------------------

void cSp_CopyOrCutCBPItem::SetupCallbackProcPtr(tSpCPM_CallbackProcPtr proc,
                                                unsigned long refCon) {
  proc_ = proc;
  refCon_ = refCon;
}

cSp_CopyOrCutCBPItem* cSp_CopyOrCutCBPItem::SerchItemWithRefNum(SInt32 refNum) {
  for (cSp_CopyOrCutCBPItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->refNum_ == refNum) return item;
  }
  return nullptr;
}

void cSp_CopyOrCutCBPItem::ExecuteCallBack(unsigned char all) {
  for (cSp_CopyOrCutCBPItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->proc_ != nullptr) item->proc_(item->refCon_);
    if (all == 0) return;
  }
}

// ---- The manager ----------------------------------------------------------------------------

cSp_CutAndPastManager::~cSp_CutAndPastManager() {
  SpDeleteList(first_);
}

void cSp_CutAndPastManager::StartUp() {
  active_ = 1;
  if (Sp_Is_CarbonEvent_ModeEnable()) {
    Sp_EnableCutAndPastEventIdleProcedureForCarbonEvent();
  } else {
    Sp_SetupEventIdleTimeProcedure(SpCPM_CheckScrapForCutAndPast, 50, 0, &idleRefNum_);
    Sp_EnableIdleTimeProcedure(idleRefNum_);
  }
  Sp_SetupResumeEventProcedure(SpCPM_CatchResumeEventCB, 50, 0, nullptr);
  Sp_SetupSuspendEventProcedure(SpCPM_CatchSuspendEventCB, 50, 0, nullptr);
  Sp_SetupDisposeProcedure(SpCPM_DisposeCutAndPastMgr, 50, 0, nullptr);
}

SInt32 cSp_CutAndPastManager::SetupNewCallbackProc(tSpCPM_CallbackProcPtr proc,
                                                   unsigned long refCon) {
  const SInt32 refNum = ++lastRefNum_;
  cSp_CopyOrCutCBPItem* item = new (std::nothrow) cSp_CopyOrCutCBPItem(proc, refCon, refNum);
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_CutAndPastManager::SetupNewCallbackProc", 1, kSpMsgMemory);
    return 0;
  }
  SpAppendToList(first_, last_, item);
  return refNum;
}

void cSp_CutAndPastManager::DiposeCallbackProc(SInt32 refNum) {
  cSp_CopyOrCutCBPItem* item = first_ != nullptr ? first_->SerchItemWithRefNum(refNum) : nullptr;
  if (item == nullptr) return;
  cSp_CopyOrCutCBPItem* before = item->GetBeforeObjectPtr();
  cSp_CopyOrCutCBPItem* after = item->GetNextObjectPtr();
  if (before != nullptr) {
    before->TakeOutNext();
  } else {
    item->UnlinkNext();
    first_ = after;
  }
  last_ = first_ != nullptr ? first_->GetLastObjectPtr() : nullptr;
  delete item;
}

void cSp_CutAndPastManager::CheckScrapForEventLoop() {
  ScrapRef scrap = nullptr;
  UInt32 count = 0;
  if (GetCurrentScrap(&scrap) != noErr || GetScrapFlavorCount(scrap, &count) != noErr) count = 0;
  // The number of flavours alone misses a copy that keeps it (one text for another): the
  // clipboard's change count tells every change.
  bool changed = SInt16(count) != flavorCount_;
  UInt32 changeCount = 0;
  if (GetScrapChangeCount(&changeCount) == noErr) {
    if (changeKnown_ && changeCount != changeCount_) changed = true;
    changeKnown_ = true;
    changeCount_ = changeCount;
  }
  if (!changed) return;
  flavorCount_ = SInt16(count);
  if (first_ != nullptr) first_->ExecuteCallBack(1);
}

void cSp_CutAndPastManager::CatchSuspendEventCB() {
  if (active_ != 0) {
    active_ = 0;
    Sp_DisableIdleTimeProcedure(idleRefNum_);
  }
  if (Sp_Is_CarbonEvent_ModeEnable()) Sp_DisableCutAndPastEventIdleProcedureForCarbonEvent();
}

void cSp_CutAndPastManager::CatchResumeEventCB() {
  if (active_ != 0) return;
  active_ = 1;
  Sp_EnableIdleTimeProcedure(idleRefNum_);
  if (Sp_Is_CarbonEvent_ModeEnable()) Sp_EnableCutAndPastEventIdleProcedureForCarbonEvent();
}

// ---- Plain functions ------------------------------------------------------------------------

cSp_CutAndPastManager* SpCPM_GetManager(unsigned char create) {
  if (gManager != nullptr || create == 0) return gManager;
  gManager = new (std::nothrow) cSp_CutAndPastManager;
  if (gManager == nullptr) {
    SpReportFailure(kSource, "SpCPM_GetManager", 1, kSpMsgMemory);
    return nullptr;
  }
  gManager->StartUp();
  return gManager;
}

void SpCPM_DisposeCutAndPastMgr(unsigned long) {
  delete gManager;
  gManager = nullptr;
}

void SpCPM_CheckScrapForCutAndPast(unsigned long) {
  if (gManager != nullptr) gManager->CheckScrapForEventLoop();
}

void SpCPM_CatchCutAndPastCarbonIdleEventCB(EventLoopTimerRef, void*) {
  if (gManager != nullptr) gManager->CheckScrapForEventLoop();
}

void SpCPM_CatchResumeEventCB(unsigned long) {
  if (gManager != nullptr) gManager->CatchResumeEventCB();
}

void SpCPM_CatchSuspendEventCB(unsigned long) {
  if (gManager != nullptr) gManager->CatchSuspendEventCB();
}

void Sp_EnableCutAndPastEventIdleProcedureForCarbonEvent() {
  if (gTimerInstalled != 0) return;
  if (gTimerUPP == nullptr) gTimerUPP = NewEventLoopTimerUPP(SpCPM_CatchCutAndPastCarbonIdleEventCB);
  if (gTimerUPP == nullptr) return;
  if (InstallEventLoopTimer(GetMainEventLoop(), 0.0, kScrapPollInterval, gTimerUPP, nullptr,
                            &gTimer) == noErr) {
    gTimerInstalled = 1;
  }
}

void Sp_DisableCutAndPastEventIdleProcedureForCarbonEvent() {
  if (gTimerInstalled == 0) return;
  if (gTimer != nullptr) RemoveEventLoopTimer(gTimer);
  gTimer = nullptr;
  gTimerInstalled = 0;
}

namespace sp_testing {

void ResetCutAndPastManager() {
  Sp_DisableCutAndPastEventIdleProcedureForCarbonEvent();
  SpCPM_DisposeCutAndPastMgr(0);
}

}  // namespace sp_testing
