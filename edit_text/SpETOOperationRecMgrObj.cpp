// The undo manager of an edit-text object: its list of steps, the current step, the maximum
// and the undo-exists and redo-exists notifications.
#include "SpETOOperationRec.h"
#include "SpErrorInfoSystem.h"

namespace {
const char kSource[] = "SpETOOperationRecMgrObj";
}  // namespace

cETOOperationRecMgr::~cETOOperationRecMgr() {
  SpDeleteList(head_);
}

void cETOOperationRecMgr::Call(const sCallBack& callback, cETOOperationRecMgr* self) {
  if (callback.proc != nullptr) callback.proc(self, callback.refCon);
}

void cETOOperationRecMgr::SetupUnDoExistInCallBack(tETOOperationRecCallBack proc,
                                                   unsigned long refCon) {
  undoIn_ = {proc, refCon};
}
void cETOOperationRecMgr::SetupUnDoExistOutCallBack(tETOOperationRecCallBack proc,
                                                    unsigned long refCon) {
  undoOut_ = {proc, refCon};
}
void cETOOperationRecMgr::SetupReDoExistInCallBack(tETOOperationRecCallBack proc,
                                                   unsigned long refCon) {
  redoIn_ = {proc, refCon};
}
void cETOOperationRecMgr::SetupReDoExistOutCallBack(tETOOperationRecCallBack proc,
                                                    unsigned long refCon) {
  redoOut_ = {proc, refCon};
}
void cETOOperationRecMgr::ExecUnDoExistInCallBack() { Call(undoIn_, this); }
void cETOOperationRecMgr::ExecUnDoExistOutCallBack() { Call(undoOut_, this); }
void cETOOperationRecMgr::ExecReDoExistInCallBack() { Call(redoIn_, this); }
void cETOOperationRecMgr::ExecReDoExistOutCallBack() { Call(redoOut_, this); }

unsigned char cETOOperationRecMgr::ExistReDoOperationRecord() const {
  if (head_ == nullptr) return 0;
  return (current_ == nullptr || current_->GetNextObjectPtr() != nullptr) ? 1 : 0;
}

SInt32 cETOOperationRecMgr::GetUnDoOperationRecordCount() const {
  SInt32 n = 0;
  for (const cETOOperationRecTerm* term = current_; term != nullptr;
       term = term->GetBeforeObjectPtr()) {
    ++n;
  }
  return n;
}

SInt32 cETOOperationRecMgr::GetReDoOperationRecordCount() const {
  SInt32 n = 0;
  for (const cETOOperationRecTerm* term = GetReDoTerm(); term != nullptr;
       term = term->GetNextObjectPtr()) {
    ++n;
  }
  return n;
}

cETOOperationRecTerm* cETOOperationRecMgr::GetReDoTerm() const {
  return current_ != nullptr ? current_->GetNextObjectPtr() : head_;
}

void cETOOperationRecMgr::DeleteTermsAfter(cETOOperationRecTerm* term) {
  cETOOperationRecTerm* gone = term != nullptr ? term->UnlinkNext() : head_;
  if (term == nullptr) head_ = nullptr;
  tail_ = term;
  for (cETOOperationRecTerm* t = gone; t != nullptr; t = t->GetNextObjectPtr()) --count_;
  SpDeleteList(gone);
  if (count_ < 0) count_ = 0;
}

void cETOOperationRecMgr::DeleteOldestTerms(SInt32 keep) {
  while (count_ > keep && head_ != nullptr) {
    cETOOperationRecTerm* oldest = head_;
    head_ = oldest->UnlinkNext();
    if (head_ == nullptr) tail_ = nullptr;
    if (current_ == oldest) current_ = nullptr;
    delete oldest;
    --count_;
  }
}

void cETOOperationRecMgr::AdjustRecTermNum() {
  const bool hadUndo = current_ != nullptr;
  const bool hadRedo = ExistReDoOperationRecord() != 0;
  if (maximum_ <= 0) {
    DeleteTermsAfter(nullptr);
    current_ = nullptr;
    count_ = 0;
    if (hadUndo) ExecUnDoExistOutCallBack();
    if (hadRedo) ExecReDoExistOutCallBack();
    return;
  }
  DeleteOldestTerms(maximum_);
  // The current step may have been among the oldest: what follows it can still be redone,
  // but nothing is left to undo.
  if (hadUndo && current_ == nullptr) ExecUnDoExistOutCallBack();
}

void cETOOperationRecMgr::SetupStockRecTermNumMax(SInt16 maximum) {
  maximum_ = maximum;
  AdjustRecTermNum();
}

cETOOperationRecTerm* cETOOperationRecMgr::CreateNewOperationTerm(tETOOperationRecType type) {
  if (maximum_ <= 0) return nullptr;
  cETOOperationRecTerm* term = new (std::nothrow) cETOOperationRecTerm(type);
  if (term == nullptr) {
    return SpReportFailure(kSource, "cETOOperationRecMgr::CreateNewOperationTerm", 1,
                           kSpMsgMemory, static_cast<cETOOperationRecTerm*>(nullptr));
  }
  const bool hadCurrent = current_ != nullptr;
  const bool hadRedo = ExistReDoOperationRecord() != 0;
  if (hadCurrent) current_->DecideOperation();
  DeleteTermsAfter(current_);
  SpAppendToList(head_, tail_, term);
  current_ = term;
  ++count_;
  DeleteOldestTerms(maximum_);
  if (!hadCurrent) ExecUnDoExistInCallBack();
  if (hadRedo) ExecReDoExistOutCallBack();
  return term;
}

cETOOperationRecTerm* cETOOperationRecMgr::GetOperationTermForTextIn(SInt32 position) {
  if (current_ != nullptr && current_->GetDecideFlag() == 0 &&
      current_->GetOperationType() == kETOOperationTextIn &&
      current_->CheckTargetPosition(position)) {
    return current_;
  }
  return CreateNewOperationTerm(kETOOperationTextIn);
}

SInt32 cETOOperationRecMgr::ExecMoveBackOperation() {
  if (current_ == nullptr) return 0;
  current_ = current_->GetBeforeObjectPtr();
  ExecReDoExistInCallBack();
  if (current_ == nullptr) ExecUnDoExistOutCallBack();
  return 1;
}

SInt32 cETOOperationRecMgr::ExecMoveFowerdOperation() {
  if (current_ == nullptr) {
    if (head_ == nullptr) return 0;
    current_ = head_;
    ExecUnDoExistInCallBack();
  } else {
    if (current_->GetNextObjectPtr() == nullptr) return 0;
    current_ = current_->GetNextObjectPtr();
  }
  if (current_ == tail_) ExecReDoExistOutCallBack();
  return 1;
}

void cETOOperationRecMgr::ClearAllOperationRecord(unsigned char callbacks) {
  const bool hadUndo = current_ != nullptr;
  const bool hadRedo = ExistReDoOperationRecord() != 0;
  DeleteTermsAfter(nullptr);
  current_ = nullptr;
  count_ = 0;
  if (callbacks == 0) return;
  if (hadUndo) ExecUnDoExistOutCallBack();
  if (hadRedo) ExecReDoExistOutCallBack();
}

SInt32 cETOOperationRecMgr::GetRecordMemorySize() const {
  SInt32 bytes = SInt32(sizeof *this);
  for (const cETOOperationRecTerm* term = head_; term != nullptr;
       term = term->GetNextObjectPtr()) {
    bytes += term->GetRecordMemorySize();
  }
  return bytes;
}
