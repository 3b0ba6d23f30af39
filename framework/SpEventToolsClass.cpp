#include "SpEventToolsClass.h"

#include "SpAnimationCursor.h"
#include "SpErrorInfoSystem.h"
#include "SpMouseTraceManager.h"

namespace {
const char kSource[] = "SpEventToolsClass.cpp";

cEventInsertProcObj** ListHeadOf(tEventProcPosition position) {
  switch (position) {
    case kSpEventProcIdle:
      return &eventIdleTimeProcDef_GlV;
    case kSpEventProcResume:
      return &resumeEventProcDef_GlV;
    case kSpEventProcSuspend:
      return &suspendEventProcDef_GlV;
    case kSpEventProcDispose:
      return &quitAppProcDef_GlV;
  }
  return nullptr;
}

void Register(tEventProcPosition position, SpEventInsertProcPtr proc, SInt32 order,
              unsigned long userData, unsigned long* refNumOut) {
  if (proc == nullptr) return;
  // The entry lives in its list until it is removed or the program ends.
  cEventInsertProcObj* entry = new cEventInsertProcObj(position, order, proc, userData);
  if (refNumOut != nullptr) *refNumOut = entry->GetRefNum();
}

cEventInsertProcObj* FindIdleEntry(unsigned long refNum) {
  for (cEventInsertProcObj* e = eventIdleTimeProcDef_GlV; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->GetRefNum() == refNum) return e;
  }
  return nullptr;
}

void RunList(cEventInsertProcObj* head) {
  for (cEventInsertProcObj* e = head; e != nullptr; e = e->GetNextObjectPtr()) {
    if (e->IsEnableProcedure()) e->ExecuteProcedure();
  }
}
}  // namespace

cEventInsertProcObj* eventIdleTimeProcDef_GlV = nullptr;
cEventInsertProcObj* resumeEventProcDef_GlV = nullptr;
cEventInsertProcObj* suspendEventProcDef_GlV = nullptr;
cEventInsertProcObj* quitAppProcDef_GlV = nullptr;
UInt32 eventProcCurrentRefNum_GlV = 0;

cEventInsertProcObj::cEventInsertProcObj(tEventProcPosition position, SInt32 order,
                                         SpEventInsertProcPtr proc, unsigned long userData)
    : position_(position), order_(order), proc_(proc), userData_(userData) {
  if (cEventInsertProcObj** head = ListHeadOf(position)) {
    if (*head == nullptr || (*head)->order_ > order) {
      if (*head != nullptr) LinkToNext(*head);
      *head = this;
    } else {
      // Equal order numbers go after the entries already registered with them.
      cEventInsertProcObj* passed = *head;
      while (passed->GetNextObjectPtr() != nullptr && passed->GetNextObjectPtr()->order_ <= order) {
        passed = passed->GetNextObjectPtr();
      }
      passed->InsertAfter(this);
    }
  }
  // Zero is never handed out, also after the counter wraps.
  eventProcCurrentRefNum_GlV =
      eventProcCurrentRefNum_GlV == 0xFFFFFFFFu ? 1 : eventProcCurrentRefNum_GlV + 1;
  refNum_ = eventProcCurrentRefNum_GlV;
}

cEventInsertProcObj::~cEventInsertProcObj() {
  cEventInsertProcObj** head = ListHeadOf(position_);
  if (head == nullptr) {
    SpReportFailure(kSource, "cEventInsertProcObj::~cEventInsertProcObj", 2, kSpMsgNoComment);
    return;
  }
  if (*head == this) {
    *head = GetNextObjectPtr();
  } else if (GetBeforeObjectPtr() == nullptr) {
    SpReportFailure(kSource, "cEventInsertProcObj::~cEventInsertProcObj", 1, kSpMsgNoComment);
  }
  UnlinkSelf();
}

void cEventInsertProcObj::ExecuteProcedure() {
  if (proc_ != nullptr) proc_(userData_);
}

void Sp_SetupEventIdleTimeProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                                    unsigned long* refNumOut) {
  Register(kSpEventProcIdle, proc, order, userData, refNumOut);
}

void Sp_SetupResumeEventProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                                  unsigned long* refNumOut) {
  Register(kSpEventProcResume, proc, order, userData, refNumOut);
}

void Sp_SetupSuspendEventProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                                   unsigned long* refNumOut) {
  Register(kSpEventProcSuspend, proc, order, userData, refNumOut);
}

void Sp_SetupDisposeProcedure(SpEventInsertProcPtr proc, SInt32 order, unsigned long userData,
                              unsigned long* refNumOut) {
  Register(kSpEventProcDispose, proc, order, userData, refNumOut);
}

void Sp_EnableIdleTimeProcedure(unsigned long refNum) {
  if (cEventInsertProcObj* e = FindIdleEntry(refNum)) e->EnableProcedure();
}

void Sp_DisableIdleTimeProcedure(unsigned long refNum) {
  if (cEventInsertProcObj* e = FindIdleEntry(refNum)) e->DisableProcedure();
}

void Sp_UnsetEventIdleTimeProcedure(unsigned long refNum) {
  delete FindIdleEntry(refNum);
}

void Sp_EventToolsIdleProc(unsigned char runCursor) {
  if (runCursor != 0 && Sp_AnimationCursorEventExecute() == 0) SpMouseTraceEventProcedure();
  RunList(eventIdleTimeProcDef_GlV);
}

void Sp_EventToolsResumeEventProc() {
  RunList(resumeEventProcDef_GlV);
  Sp_EnableMouseTrace(1);
}

void Sp_EvnetToolsSuspendEventProc() {
  SpMouseTraceSuspendEventProc();
  RunList(suspendEventProcDef_GlV);
  Sp_DisableMouseTrace();
}

void Sp_EvnetToolsQuitApplicationProc() {
  SpMouseTraceQuitProc();
  RunList(quitAppProcDef_GlV);
}
