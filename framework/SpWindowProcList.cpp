// A window's procedure lists: the records, and the window's registration, removal and runs.
#include "SpWindowProcList.h"

#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"

namespace {

const char kSource[] = "SpWindow";
const char kMsgUnmatch[] = "Unmatch Error !! ";

// Registration shared by both record kinds: numbers rise per list and are never reused, and
// a failed allocation leaves the list (and its counter) as it was.
template <class R, class P>
void Register(sSpWinProcList<R>& list, P proc, unsigned long userData, SInt32& refNo) {
  refNo = 0;
  if (proc == nullptr) return;
  R* record = new (std::nothrow) R(proc, userData, list.refNoCounter + 1);
  if (record == nullptr) return;
  list.refNoCounter += 1;
  refNo = list.refNoCounter;
  SpAppendToList(list.head, list.tail, record);
}

// Removal shared by both record kinds.
template <class R>
void Unregister(const char* method, SInt32 refNo, R*& head, R*& tail) {
  R* record = head;
  while (record != nullptr && record->EqualRefNum(refNo) == 0) {
    record = record->GetNextObjectPtr();
  }
  if (record == nullptr) {
    SpReportFailure(kSource, method, 1, kMsgUnmatch);
    return;
  }
  if (record->GetBeforeObjectPtr() == nullptr && head != record) {
    // A first record that is not the head: the list is broken; leave it alone.
    SpReportFailure(kSource, method, 2, kSpMsgLinkError);
    return;
  }
  if (head == record) head = record->GetNextObjectPtr();
  record->UnlinkFromList();  // its neighbours are joined
  delete record;
  tail = (head != nullptr) ? head->GetLastObjectPtr() : nullptr;
}

short ModifiersNow() {
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  return modifiers;
}

}  // namespace

// ---- Records ------------------------------------------------------------------------------

unsigned char cSpWin_BeforeProcData::ExecuteCallbackProc(cSp_Window* window, short modifiers) {
  if (proc_ == nullptr) return 1;
  return proc_(window, modifiers, userData_);
}

unsigned char cSpWin_AfterProcData::ExecuteCallbackProc(cSp_Window* window, short modifiers) {
  if (proc_ != nullptr) proc_(window, modifiers, userData_);
  return 0;
}

// ---- Runs -----------------------------------------------------------------------------------

namespace {

// The next record is read after the procedure returns, so records appended meanwhile run too.
unsigned char RunBefore(cSp_Window* window, cSpWin_BeforeProcData* record) {
  const short modifiers = ModifiersNow();
  for (; record != nullptr; record = record->GetNextObjectPtr()) {
    if (record->ExecuteCallbackProc(window, modifiers) == 0) return 0;
  }
  return 1;
}

void RunAfter(cSp_Window* window, cSpWin_AfterProcData* record) {
  const short modifiers = ModifiersNow();
  for (; record != nullptr; record = record->GetNextObjectPtr()) {
    record->ExecuteCallbackProc(window, modifiers);
  }
}

}  // namespace

// ---- The window's lists ---------------------------------------------------------------------

void cSp_Window::SetupBeforeOpenProc(tSpWinBeforeProcPtr proc, unsigned long userData,
                                     SInt32& refNo) {
  Register(beforeOpenProcList_, proc, userData, refNo);
}
void cSp_Window::SetupAfterOpenProc(tSpWinAfterProcPtr proc, unsigned long userData,
                                    SInt32& refNo) {
  Register(afterOpenProcList_, proc, userData, refNo);
}
void cSp_Window::SetupBeforeCloseProc(tSpWinBeforeProcPtr proc, unsigned long userData,
                                      SInt32& refNo) {
  Register(beforeCloseProcList_, proc, userData, refNo);
}
void cSp_Window::SetupAfterCloseProc(tSpWinAfterProcPtr proc, unsigned long userData,
                                     SInt32& refNo) {
  Register(afterCloseProcList_, proc, userData, refNo);
}
void cSp_Window::SetupMoveToFrontProc(tSpWinAfterProcPtr proc, unsigned long userData,
                                      SInt32& refNo) {
  Register(moveToFrontProcList_, proc, userData, refNo);
}
void cSp_Window::SetupMoveToBackProc(tSpWinAfterProcPtr proc, unsigned long userData,
                                     SInt32& refNo) {
  Register(moveToBackProcList_, proc, userData, refNo);
}
void cSp_Window::SetupBeforeGrowProc(tSpWinBeforeProcPtr proc, unsigned long userData,
                                     SInt32& refNo) {
  Register(beforeGrowProcList_, proc, userData, refNo);
}
void cSp_Window::SetupAfterGrowProc(tSpWinAfterProcPtr proc, unsigned long userData,
                                    SInt32& refNo) {
  Register(afterGrowProcList_, proc, userData, refNo);
}
void cSp_Window::SetupMoveProc(tSpWinAfterProcPtr proc, unsigned long userData, SInt32& refNo) {
  Register(afterMoveProcList_, proc, userData, refNo);
}

void cSp_Window::UnSetupBeforeOpenProc(SInt32 refNo) {
  UnSetupBeforeExecuteGeneralProc(refNo, beforeOpenProcList_.head, beforeOpenProcList_.tail);
}
void cSp_Window::UnSetupAfterOpenProc(SInt32 refNo) {
  UnSetupAfterExecuteGeneralProc(refNo, afterOpenProcList_.head, afterOpenProcList_.tail);
}
void cSp_Window::UnSetupBeforeCloseProc(SInt32 refNo) {
  UnSetupBeforeExecuteGeneralProc(refNo, beforeCloseProcList_.head, beforeCloseProcList_.tail);
}
void cSp_Window::UnSetupAfterCloseProc(SInt32 refNo) {
  UnSetupAfterExecuteGeneralProc(refNo, afterCloseProcList_.head, afterCloseProcList_.tail);
}
void cSp_Window::UnSetupMoveToFrontProc(SInt32 refNo) {
  UnSetupAfterExecuteGeneralProc(refNo, moveToFrontProcList_.head, moveToFrontProcList_.tail);
}
void cSp_Window::UnSetupMoveToBackProc(SInt32 refNo) {
  UnSetupAfterExecuteGeneralProc(refNo, moveToBackProcList_.head, moveToBackProcList_.tail);
}
void cSp_Window::UnSetupBeforeGrowProc(SInt32 refNo) {
  UnSetupBeforeExecuteGeneralProc(refNo, beforeGrowProcList_.head, beforeGrowProcList_.tail);
}
void cSp_Window::UnSetupAfterGrowProc(SInt32 refNo) {
  UnSetupAfterExecuteGeneralProc(refNo, afterGrowProcList_.head, afterGrowProcList_.tail);
}
void cSp_Window::UnSetupAfterMoveProc(SInt32 refNo) {
  UnSetupAfterExecuteGeneralProc(refNo, afterMoveProcList_.head, afterMoveProcList_.tail);
}

void cSp_Window::UnSetupBeforeExecuteGeneralProc(SInt32 refNo, cSpWin_BeforeProcData*& head,
                                                 cSpWin_BeforeProcData*& tail) {
  Unregister("cSp_Window::UnSetupBeforeExecuteGeneralProc", refNo, head, tail);
}
void cSp_Window::UnSetupAfterExecuteGeneralProc(SInt32 refNo, cSpWin_AfterProcData*& head,
                                                cSpWin_AfterProcData*& tail) {
  Unregister("cSp_Window::UnSetupAfterExecuteGeneralProc", refNo, head, tail);
}

unsigned char cSp_Window::ExecBeforeOpenProc() {
  return RunBefore(this, beforeOpenProcList_.head);
}
void cSp_Window::ExecAfterOpenProc() {
  RunAfter(this, afterOpenProcList_.head);
}
unsigned char cSp_Window::ExecBeforeCloseProc() {
  return RunBefore(this, beforeCloseProcList_.head);
}
void cSp_Window::ExecAfterCloseProc() {
  RunAfter(this, afterCloseProcList_.head);
}
void cSp_Window::ExecMoveToFrontProc() {
  RunAfter(this, moveToFrontProcList_.head);
}
void cSp_Window::ExecMoveToBackProc() {
  RunAfter(this, moveToBackProcList_.head);
}
unsigned char cSp_Window::ExecBeforeGrowProc() {
  return RunBefore(this, beforeGrowProcList_.head);
}
void cSp_Window::ExecAfterGrowProc() {
  RunAfter(this, afterGrowProcList_.head);
}
void cSp_Window::ExecAfterMoveProc() {
  RunAfter(this, afterMoveProcList_.head);
}

void cSp_Window::WipeOutBeforeExecuteList(cSpWin_BeforeProcData* head) {
  SpDeleteList(head);
}
void cSp_Window::WipeOutAfterExecuteList(cSpWin_AfterProcData* head) {
  SpDeleteList(head);
}
