#include "SpTabControlObject.h"

#include "SpErrorInfoSystem.h"

cTabControlManager* tabControlMgrPtr_GlV = nullptr;

namespace {

const char kSource[] = "SpTabControlObject";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

// Moves the focus into a stop: its procedure when set, else its virtual operation.
unsigned char AskMoveIn(cTabControlObj* stop) {
  unsigned char result = 0;
  if (stop->ExecTabCntMoveInProc(result)) return result;
  return stop->ExecTabControlMoveInProc();
}

}  // namespace

cTabControlManager* SpTabCO_GetManagerPtr(unsigned char create) {
  if (tabControlMgrPtr_GlV == nullptr && create) {
    tabControlMgrPtr_GlV = new (std::nothrow) cTabControlManager;
    if (tabControlMgrPtr_GlV == nullptr) Fail("SpTabCO_GetManagerPtr", 2, kSpMsgMemory);
  }
  return tabControlMgrPtr_GlV;
}

// ---- Stops ----

cTabControlObj::cTabControlObj(WindowRef window, SInt16 rank) : window_(window) {
  if (window == nullptr) {
    Fail("cTabControlObj::cTabControlObj", 1, kSpMsgNullArgument);
    return;
  }
  cTabControlManager* manager = SpTabCO_GetManagerPtr(1);
  if (manager == nullptr) {
    Fail("cTabControlObj::cTabControlObj", 2, kSpMsgDataError);
    return;
  }
  manager->InstallTabControlItem(window, this, rank);
}

cTabControlObj::~cTabControlObj() {
  cTabControlManager* manager = SpTabCO_GetManagerPtr(0);
  if (manager != nullptr && window_ != nullptr) manager->UnInstallTabControlItem(window_, this);
}

unsigned char cTabControlObj::ReportTabCatch() {
  cTabControlManager* manager = SpTabCO_GetManagerPtr(1);
  return manager != nullptr ? manager->ReportTabControlMoveOut(this) : 0;
}

void cTabControlObj::ReportTabControlIn() {
  cTabControlManager* manager = SpTabCO_GetManagerPtr(1);
  if (manager != nullptr) manager->ReportTabControlMoveIn(this);
}

void cTabControlObj::SetupTabCntMoveInProcPtr(tTabControlMoveInProcPtr proc,
                                              unsigned long refCon) {
  moveIn_ = proc;
  moveInRefCon_ = refCon;
}

void cTabControlObj::SetupTabCntMoveOutProcPtr(tTabControlMoveOutProcPtr proc,
                                               unsigned long refCon) {
  moveOut_ = proc;
  moveOutRefCon_ = refCon;
}

unsigned char cTabControlObj::ExecTabCntMoveInProc(unsigned char& result) {
  if (moveIn_ == nullptr) return 0;
  result = moveIn_(moveInRefCon_);
  return 1;
}

unsigned char cTabControlObj::ExecTabCntMoveOutCallbackProc() {
  if (moveOut_ == nullptr) return 0;
  moveOut_(moveOutRefCon_);
  return 1;
}

SInt16 cTabControlObj::CmpTabControlRankNo(SInt16 rank) const {
  if (rank_ == rank) return 0;
  return rank_ > rank ? -1 : 1;
}

void cTabControlObj::SetupTabControlRankNo(unsigned char following) {
  for (cTabControlObj* stop = this; stop != nullptr; stop = stop->next_) {
    stop->rank_ = stop->before_ != nullptr ? SInt16(stop->before_->rank_ + 1) : 1;
    if (!following) break;
  }
}

void cTabControlObj::LinkToTabControlNext(cTabControlObj* chain) {
  if (chain == nullptr) return;
  cTabControlObj* chainLast = chain->GetLastTabControlObjectPtr();
  cTabControlObj* after = next_;
  next_ = chain;
  chain->before_ = this;
  chainLast->next_ = after;
  if (after != nullptr) after->before_ = chainLast;
}

cTabControlObj* cTabControlObj::UnlinkTabControlNext() {
  cTabControlObj* next = next_;
  if (next == nullptr) return nullptr;
  next_ = nullptr;
  next->before_ = nullptr;
  return next;
}

cTabControlObj* cTabControlObj::GetLastTabControlObjectPtr() {
  cTabControlObj* stop = this;
  while (stop->next_ != nullptr) stop = stop->next_;
  return stop;
}

// ---- Rings ----

void cTabControlWindowGroup::InstallTabControlItem(cTabControlObj* stop, SInt16 rank) {
  if (stop == nullptr) {
    Fail("cTabControlWindowGroup::InstallTabControlItem", 1, kSpMsgNullArgument);
    return;
  }
  cTabControlObj* insertAfter = nullptr;
  for (cTabControlObj* s = first_; s != nullptr; s = s->GetNextTabControlObjectPtr()) {
    if (s == stop) {
      Fail("cTabControlWindowGroup::InstallTabControlItem", 2, kSpMsgDataError);
      return;
    }
    if (rank < 0 || s->CmpTabControlRankNo(rank) >= 0) insertAfter = s;
  }
  if (first_ == nullptr) {
    stop->SetTabControlLinks(nullptr, nullptr);
    first_ = last_ = current_ = stop;
    return;
  }
  if (rank == 0 || insertAfter == nullptr) {
    stop->SetTabControlLinks(nullptr, first_);
    first_->SetTabControlLinks(stop, first_->GetNextTabControlObjectPtr());
    first_ = stop;
    return;
  }
  if (rank < 0) insertAfter = last_;
  insertAfter->LinkToTabControlNext(stop);
  last_ = stop->GetLastTabControlObjectPtr();
}

void cTabControlWindowGroup::UnInstallTabControlItem(cTabControlObj* stop) {
  static const char kMethod[] = "cTabControlWindowGroup::UnInstallTabControlItem";
  if (stop == nullptr) {
    Fail(kMethod, 1, kSpMsgNullArgument);
    return;
  }
  cTabControlObj* found = first_;
  while (found != nullptr && found != stop) found = found->GetNextTabControlObjectPtr();
  if (found == nullptr) {
    Fail(kMethod, 2, kSpMsgDataError);
    return;
  }
  cTabControlObj* before = stop->GetBeforeTabControlObjectPtr();
  cTabControlObj* next = stop->GetNextTabControlObjectPtr();
  if (before != nullptr) {
    before->SetTabControlLinks(before->GetBeforeTabControlObjectPtr(), next);
  } else {
    if (stop != first_) Fail(kMethod, 3, kSpMsgDataError);
    first_ = next;
  }
  if (next != nullptr) next->SetTabControlLinks(before, next->GetNextTabControlObjectPtr());
  stop->SetTabControlLinks(nullptr, nullptr);
  last_ = first_ != nullptr ? first_->GetLastTabControlObjectPtr() : nullptr;
  if (current_ == stop) {
    current_ = next != nullptr ? next : before;
    if (current_ != nullptr) AskMoveIn(current_);
  }
}

unsigned char cTabControlWindowGroup::ReportTabControlMoveOut(cTabControlObj* stop) {
  if (stop == nullptr || stop != current_) return 0;
  cTabControlObj* candidate = stop->GetNextTabControlObjectPtr();
  if (candidate == nullptr) candidate = first_;
  if (candidate == nullptr || candidate == stop) return 0;
  // The candidate is current while it is asked, so a field that activates itself meanwhile
  // already finds itself current.
  current_ = candidate;
  if (AskMoveIn(candidate)) return 1;
  current_ = stop;
  return 0;
}

void cTabControlWindowGroup::ReportTabControlMoveIn(cTabControlObj* stop) {
  if (stop == nullptr) {
    Fail("cTabControlWindowGroup::ReportTabControlMoveIn", 1, kSpMsgNullArgument);
    return;
  }
  if (current_ == stop) return;
  if (current_ != nullptr && !current_->ExecTabCntMoveOutCallbackProc()) {
    current_->ExecTabControlMoveOutProc();
  }
  current_ = stop;
}

void cTabControlWindowGroup::LinkToNext(cTabControlWindowGroup* group) {
  if (group == nullptr) return;
  cTabControlWindowGroup* last = GetLastObjectPtr();
  last->next_ = group;
  group->before_ = last;
}

cTabControlWindowGroup* cTabControlWindowGroup::UnlinkNext() {
  cTabControlWindowGroup* next = next_;
  if (next == nullptr) return nullptr;
  next_ = next->next_;
  if (next_ != nullptr) next_->before_ = this;
  next->before_ = nullptr;
  next->next_ = nullptr;
  return next;
}

cTabControlWindowGroup* cTabControlWindowGroup::GetLastObjectPtr() {
  cTabControlWindowGroup* group = this;
  while (group->next_ != nullptr) group = group->next_;
  return group;
}

// ---- The manager ----

cTabControlWindowGroup* cTabControlManager::FindGroup(WindowRef window) const {
  for (cTabControlWindowGroup* g = first_; g != nullptr; g = g->GetNextObjectPtr()) {
    if (g->EqualWindowPtr(window)) return g;
  }
  return nullptr;
}

void cTabControlManager::InstallTabControlItem(WindowRef window, cTabControlObj* stop,
                                               SInt16 rank) {
  if (window == nullptr || stop == nullptr) {
    Fail("cTabControlManager::InstallTabControlItem", 1, kSpMsgNullArgument);
    return;
  }
  cTabControlWindowGroup* group = FindGroup(window);
  if (group == nullptr) {
    group = new (std::nothrow) cTabControlWindowGroup(window);
    if (group == nullptr) {
      Fail("cTabControlManager::InstallTabControlItem", 2, kSpMsgMemory);
      return;
    }
    if (last_ != nullptr) {
      last_->LinkToNext(group);
    } else {
      first_ = group;
    }
    last_ = group;
  }
  group->InstallTabControlItem(stop, rank);
}

void cTabControlManager::UnInstallTabControlItem(WindowRef window, cTabControlObj* stop) {
  cTabControlWindowGroup* group = FindGroup(window);
  if (group == nullptr) {
    Fail("cTabControlManager::UnInstallTabControlItem", 2, kSpMsgDataError);
    return;
  }
  group->UnInstallTabControlItem(stop);
}

unsigned char cTabControlManager::ReportTabControlMoveOut(cTabControlObj* stop) {
  if (stop == nullptr) {
    Fail("cTabControlManager::ReportTabControlMoveOut", 1, kSpMsgNullArgument);
    return 0;
  }
  cTabControlWindowGroup* group = FindGroup(stop->TagetWindowPtr());
  if (group == nullptr) {
    Fail("cTabControlManager::ReportTabControlMoveOut", 2, kSpMsgDataError);
    return 0;
  }
  return group->ReportTabControlMoveOut(stop);
}

void cTabControlManager::ReportTabControlMoveIn(cTabControlObj* stop) {
  if (stop == nullptr) {
    Fail("cTabControlManager::ReportTabControlMoveIn", 1, kSpMsgNullArgument);
    return;
  }
  cTabControlWindowGroup* group = FindGroup(stop->TagetWindowPtr());
  if (group == nullptr) {
    Fail("cTabControlManager::ReportTabControlMoveIn", 2, kSpMsgDataError);
    return;
  }
  group->ReportTabControlMoveIn(stop);
}
