// Undo records: the items (one primitive change each) and the steps that hold them.
#include "SpETOOperationRec.h"

#include <cstring>

#include "SpErrorInfoSystem.h"
#include "SpETOTextInternal.h"

namespace {

const char kSource[] = "SpETOOperationRec";

// A copy of the run set's text as a new string object and of its runs; false, reported under
// `method`, when memory ran out (nothing is kept then).
bool CopyRunSet(cSp_RunSet& runSet, sSO_StringObjectBase*& text, cTextStyleRunObject*& head,
                cTextStyleRunObject*& tail, const char* method) {
  text = SpSO_NewStringObject();
  head = tail = nullptr;
  if (text == nullptr) return SpReportFailure(kSource, method, 1, kSpMsgMemory, false);
  sSO_StringObjectBase* source = runSet.GetStringObjectPtr();
  if (source != nullptr && SpSO_GetStringLen(source) > 0) SpSO_strcat(text, source);
  const cTextStyleRunObject* runs = runSet.GetStyleRunListHeadPtr();
  head = SpETO_DuplicateRunList(runs);
  if (SpSO_GetStringLen(text) != (source != nullptr ? SpSO_GetStringLen(source) : 0) ||
      SpETO_GetRunCountFromRunList(head) != SpETO_GetRunCountFromRunList(runs)) {
    SpSO_DisposeStringObject(text);
    SpETO_DeleteFreeRunList(head);
    head = nullptr;
    return SpReportFailure(kSource, method, 1, kSpMsgMemory, false);
  }
  if (head != nullptr) {
    tail = head->GetLastObjectPtr();
    head->ResetStartCharBytePosition(1);
  }
  return true;
}

}  // namespace

// ---- Items ----

cETOOperationRecItem::cETOOperationRecItem(tETOOperationRecType type) : type_(type) {}

cETOOperationRecItem::~cETOOperationRecItem() {
  InitializeTargetStringRunList();
  SpSO_DisposeStringObject(text_);
  delete oldPositions_;
}

void cETOOperationRecItem::SetupTargetLineOldHolizontalPositionList(
    const cSp_uLongCollection* list) {
  delete oldPositions_;
  oldPositions_ = nullptr;
  if (list == nullptr) return;
  oldPositions_ = new (std::nothrow) cSp_uLongCollection();
  if (oldPositions_ == nullptr) {
    SpReportFailure(kSource, "cETOOperationRecItem::SetupTargetLineOldHolizontalPositionList", 1,
                    kSpMsgMemory);
    return;
  }
  *oldPositions_ = *list;
}

SInt16 cETOOperationRecItem::GetRecItemNumInList() {
  SInt16 n = 0;
  for (cETOOperationRecItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) ++n;
  return n;
}

SInt32 cETOOperationRecItem::GetLastCharactorPosition() const {
  switch (type_) {
    case kETOOperationTextIn:
    case kETOOperationPaste:
    case kETOOperationDrop:
      return start_ + length_;
    default:
      return start_;
  }
}

cTextStyleRunObject* cETOOperationRecItem::GetDuplicatedRunList() const {
  return SpETO_DuplicateRunList(head_);
}

void cETOOperationRecItem::GetTargetString(char* buffer, SInt32 size,
                                           unsigned char& overflow) const {
  overflow = 0;
  const SInt32 length = text_ != nullptr ? SpSO_GetStringLen(text_) : 0;
  if (buffer == nullptr || size <= 2 || length > size - 2) {
    overflow = 1;
    return;
  }
  if (length > 0) sp_eto::ReadBytes(text_, 0, length, buffer);
  buffer[length] = 0;
  buffer[length + 1] = 0;
}

void cETOOperationRecItem::GetTargetStringRunSet(cSp_RunSet& out) const {
  out.ClearRunSet();
  if (text_ != nullptr && SpSO_GetStringLen(text_) > 0) out.AppendString(text_);
  cTextStyleRunObject* copy = SpETO_DuplicateRunList(head_);
  if (copy != nullptr) out.AppendStyleRun(copy);
}

bool cETOOperationRecItem::SetupTargetStringRunSet(cSp_RunSet& runSet) {
  sSO_StringObjectBase* text = nullptr;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  if (!CopyRunSet(runSet, text, head, tail, "cETOOperationRecItem::SetupTargetStringRunSet")) return false;
  InitializeTargetStringRunList();
  SpSO_DisposeStringObject(text_);
  text_ = text;
  head_ = head;
  tail_ = tail;
  length_ = SpSO_GetStringLen(text_);
  return true;
}

bool cETOOperationRecItem::AppendTargetStringRunSet(cSp_RunSet& runSet) {
  if (text_ == nullptr) return SetupTargetStringRunSet(runSet);
  sSO_StringObjectBase* text = nullptr;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  if (!CopyRunSet(runSet, text, head, tail, "cETOOperationRecItem::AppendTargetStringRunSet")) return false;
  if (SpSO_GetStringLen(text) > 0) SpSO_strcat(text_, text);
  SpSO_DisposeStringObject(text);
  if (head != nullptr) {
    cTextStyleRunObject* seam = tail_;
    SpAppendToList(head_, tail_, head);
    tail_ = tail;
    if (seam != nullptr) {
      // A word typed key by key stays one run when its style does not change.
      seam->MargeNextStyleRun(0);
      seam->ResetStartCharBytePosition(1);
      tail_ = seam->GetLastObjectPtr();
    } else {
      head_->ResetStartCharBytePosition(1);
    }
  }
  length_ = SpSO_GetStringLen(text_);
  return true;
}

bool cETOOperationRecItem::InsertTargetStringRunListOnTop(cSp_RunSet& runSet) {
  if (text_ == nullptr) return SetupTargetStringRunSet(runSet);
  sSO_StringObjectBase* text = nullptr;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  if (!CopyRunSet(runSet, text, head, tail, "cETOOperationRecItem::InsertTargetStringRunListOnTop")) return false;
  if (SpSO_GetStringLen(text_) > 0) SpSO_strcat(text, text_);
  SpSO_DisposeStringObject(text_);
  text_ = text;
  if (head != nullptr) {
    if (head_ != nullptr) {
      tail->LinkToNext(head_);
    } else {
      tail_ = tail;
    }
    head_ = head;
    tail->MargeNextStyleRun(0);
    head_->ResetStartCharBytePosition(1);
    tail_ = head_->GetLastObjectPtr();
  }
  length_ = SpSO_GetStringLen(text_);
  return true;
}

void cETOOperationRecItem::InitializeTargetStringRunList() {
  SpETO_DeleteFreeRunList(head_);
  head_ = tail_ = nullptr;
}

void cETOOperationRecItem::JoinRunsOfEqualStyle() {
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    cTextStyleRunObject* next = run->GetNextObjectPtr();
    while (next != nullptr && run->IsText() && next->IsText() &&
           SpEqualTextStyleAttribute(run->Attributes(), next->Attributes())) {
      run->CountUpStringLen(next->ByteLength());
      delete run->TakeOutNext();
      next = run->GetNextObjectPtr();
    }
  }
  if (head_ != nullptr) head_->ResetStartCharBytePosition(1);
  tail_ = head_ != nullptr ? head_->GetLastObjectPtr() : nullptr;
}

SInt32 cETOOperationRecItem::GetRecordMemorySize() const {
  SInt32 bytes = SInt32(sizeof *this);
  if (text_ != nullptr) {
    bytes += SInt32(sizeof *text_) + text_->itemCount * SInt32(sizeof(sSO_StringItemObject));
  }
  bytes += SpETO_GetRunCountFromRunList(head_) * SInt32(sizeof(cTextStyleRunObject));
  if (oldPositions_ != nullptr) {
    bytes += oldPositions_->GetNumberOfItem() * SInt32(sizeof(unsigned long) * 3);
  }
  return bytes;
}

// ---- Steps ----

cETOOperationRecTerm::~cETOOperationRecTerm() {
  SpDeleteList(head_);
}

SInt32 cETOOperationRecTerm::GetOperationTermNumInList() {
  SInt32 n = 0;
  for (cETOOperationRecTerm* term = this; term != nullptr; term = term->GetNextObjectPtr()) ++n;
  return n;
}

SInt32 cETOOperationRecTerm::GetContainRecItemNum() const {
  return head_ != nullptr ? head_->GetRecItemNumInList() : 0;
}

cETOOperationRecItem* cETOOperationRecTerm::CreateNewOperationItem(tETOOperationRecType type) {
  cETOOperationRecItem* item = new (std::nothrow) cETOOperationRecItem(type);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cETOOperationRecTerm::CreateNewOperationItem", 1,
                           kSpMsgMemory, static_cast<cETOOperationRecItem*>(nullptr));
  }
  SpAppendToList(head_, tail_, item);
  return item;
}

namespace {

// A new item holding the run set at position, taken off the step again when its text could
// not be copied.
cETOOperationRecItem* NewTextItem(cETOOperationRecTerm* term, cETOOperationRecItem*& head,
                                  cETOOperationRecItem*& tail, tETOOperationRecType type,
                                  SInt32 position, cSp_RunSet& runSet) {
  cETOOperationRecItem* item = term->CreateNewOperationItem(type);
  if (item == nullptr) return nullptr;
  item->SetupStartPosition(position);
  if (item->SetupTargetStringRunSet(runSet)) return item;
  cETOOperationRecItem* before = item->GetBeforeObjectPtr();
  if (before != nullptr) {
    delete before->TakeOutNext();
  } else {
    delete item;
    head = nullptr;
  }
  tail = before;
  return nullptr;
}

}  // namespace

bool cETOOperationRecTerm::RecordWithTextIn(SInt32 position, cSp_RunSet& runSet) {
  if (tail_ != nullptr && tail_->GetOperationType() == kETOOperationTextIn &&
      tail_->GetStartCharBytePosition() + tail_->GetTargetCharByteLength() == position) {
    return tail_->AppendTargetStringRunSet(runSet);
  }
  return NewTextItem(this, head_, tail_, kETOOperationTextIn, position, runSet) != nullptr;
}

bool cETOOperationRecTerm::RecordWithDelete(SInt32 position, cSp_RunSet& runSet) {
  const SInt32 n = runSet.GetStringLen(1, 1);
  if (tail_ != nullptr && tail_->GetOperationType() == kETOOperationDelete &&
      tail_->GetStartCharBytePosition() == position + n) {
    if (!tail_->InsertTargetStringRunListOnTop(runSet)) return false;
    tail_->SetupStartPosition(position);
    return true;
  }
  return NewTextItem(this, head_, tail_, kETOOperationDelete, position, runSet) != nullptr;
}

bool cETOOperationRecTerm::RecordWithForwardDelete(SInt32 position, cSp_RunSet& runSet) {
  if (tail_ != nullptr && tail_->GetOperationType() == kETOOperationDelete &&
      tail_->GetStartCharBytePosition() == position) {
    return tail_->AppendTargetStringRunSet(runSet);
  }
  return NewTextItem(this, head_, tail_, kETOOperationDelete, position, runSet) != nullptr;
}

cETOOperationRecItem* cETOOperationRecTerm::NewAttributeItem(tETOOperationRecType type,
                                                             SInt32 position,
                                                             cSp_RunSet& oldText) {
  cETOOperationRecItem* item = NewTextItem(this, head_, tail_, type, position, oldText);
  // A case change puts its text back with its runs; the others need only styles and lengths.
  if (item != nullptr && type != kETOOperationCase) item->JoinRunsOfEqualStyle();
  return item;
}

bool cETOOperationRecTerm::RecordWithModeFontId(SInt32 position, cSp_RunSet& oldText,
                                                SInt16 font) {
  cETOOperationRecItem* item = NewAttributeItem(kETOOperationFont, position, oldText);
  if (item != nullptr) item->SetupFontID(font);
  return item != nullptr;
}

bool cETOOperationRecTerm::RecordWithModeSize(SInt32 position, cSp_RunSet& oldText,
                                              SInt16 size) {
  cETOOperationRecItem* item = NewAttributeItem(kETOOperationSize, position, oldText);
  if (item != nullptr) item->SetupTextSize(size);
  return item != nullptr;
}

bool cETOOperationRecTerm::RecordWithStyle(SInt32 position, cSp_RunSet& oldText,
                                           unsigned char style) {
  cETOOperationRecItem* item = NewAttributeItem(kETOOperationStyle, position, oldText);
  if (item != nullptr) item->SetupStyleInfo(style);
  return item != nullptr;
}

bool cETOOperationRecTerm::RecordWithModTextProc(SInt32 position, cSp_RunSet& oldText,
                                                 tETO_ModifyTextCodeProcType kind) {
  cETOOperationRecItem* item = NewAttributeItem(kETOOperationCase, position, oldText);
  if (item != nullptr) item->SetupModifyTextCodeProcType(kind);
  return item != nullptr;
}

bool cETOOperationRecTerm::RecordWithTextColor(SInt32 position, cSp_RunSet& oldText,
                                               const RGBColor& color, SInt16 colorShort) {
  cETOOperationRecItem* item = NewAttributeItem(kETOOperationColor, position, oldText);
  if (item != nullptr) item->SetupModifyColor(color, colorShort);
  return item != nullptr;
}

bool cETOOperationRecTerm::RecordWithLineHolizontalPosit(SInt32 position,
                                                         const cSp_uLongCollection* oldPositions,
                                                         tPositionType type) {
  cETOOperationRecItem* item = CreateNewOperationItem(kETOOperationHorizontalPosition);
  if (item == nullptr) return false;
  item->SetupStartPosition(position);
  item->SetupLineHolizontalPosition(type);
  item->SetupTargetLineOldHolizontalPositionList(oldPositions);
  return true;
}

SInt32 cETOOperationRecTerm::GetTotalProcLastCursorPosition() const {
  return tail_ != nullptr ? tail_->GetLastCharactorPosition() : 0;
}

bool cETOOperationRecTerm::CheckTargetPosition(SInt32 position) const {
  return tail_ == nullptr || tail_->GetLastCharactorPosition() == position;
}

bool cETOOperationRecTerm::MoveSelection(SInt32& start, SInt32& end) const {
  const cETOOperationRecItem* in = head_;
  const cETOOperationRecItem* out = in != nullptr ? in->GetNextObjectPtr() : nullptr;
  if (in == nullptr || out == nullptr || in->GetOperationType() != kETOOperationTextIn ||
      out->GetOperationType() != kETOOperationDelete) {
    return SpReportFailure(kSource, "cETOOperationRecTerm::MoveSelection", 1, kSpMsgDataError,
                           false);
  }
  const SInt32 length = in->GetTargetCharByteLength();
  start = out->GetStartCharBytePosition();
  if (in->GetStartCharBytePosition() < out->GetStartCharBytePosition()) start -= length;
  end = start + length;
  return true;
}

bool cETOOperationRecTerm::GetUnDoSelectionPosition(SInt32& start, SInt32& end) const {
  if (head_ == nullptr) return false;
  const SInt32 first = head_->GetStartCharBytePosition();
  switch (type_) {
    case kETOOperationDelete:
    case kETOOperationCut:
      start = first;
      end = first + head_->GetTargetCharByteLength();
      return true;
    case kETOOperationTextIn:
      start = end = first;
      // Typing that replaced a range gives the range back selected.
      if (head_->GetOperationType() == kETOOperationDelete) {
        end = first + head_->GetTargetCharByteLength();
      }
      return true;
    case kETOOperationPaste:
    case kETOOperationDrop:
      start = end = first;
      return true;
    case kETOOperationDragMove:
      return MoveSelection(start, end);
    default:
      return false;
  }
}

bool cETOOperationRecTerm::GetReDoSelectionPosition(SInt32& start, SInt32& end) const {
  if (head_ == nullptr) return false;
  switch (type_) {
    case kETOOperationDelete:
    case kETOOperationCut:
      start = end = head_->GetStartCharBytePosition();
      return true;
    case kETOOperationTextIn: {
      bool first = true;
      bool textIn = false;
      for (const cETOOperationRecItem* item = head_; item != nullptr;
           item = item->GetNextObjectPtr()) {
        const SInt32 at = item->GetStartCharBytePosition();
        if (item->GetOperationType() == kETOOperationDelete) {
          end = at;
          if (first || at < start) start = at;
        } else if (!textIn) {
          start = at;
          end = at + item->GetTargetCharByteLength();
          textIn = true;
        } else {
          end = at + item->GetTargetCharByteLength();
        }
        first = false;
      }
      if (!textIn) {
        return SpReportFailure(kSource, "cETOOperationRecTerm::GetReDoSelectionPosition", 1,
                               kSpMsgDataError, false);
      }
      return true;
    }
    case kETOOperationPaste:
    case kETOOperationDrop: {
      // The text put in comes back selected; a replaced range recorded before it is not it.
      const cETOOperationRecItem* item = head_;
      while (item != nullptr && item->GetOperationType() != kETOOperationTextIn) {
        item = item->GetNextObjectPtr();
      }
      if (item == nullptr) item = head_;
      start = item->GetStartCharBytePosition();
      end = start + item->GetTargetCharByteLength();
      return true;
    }
    case kETOOperationDragMove: {
      // The moved text, at its new place, comes back selected.
      if (!MoveSelection(start, end)) return false;
      const SInt32 length = end - start;
      start = head_->GetStartCharBytePosition();
      if (start > head_->GetNextObjectPtr()->GetStartCharBytePosition()) start -= length;
      end = start + length;
      return true;
    }
    default:
      return false;
  }
}

SInt32 cETOOperationRecTerm::GetRecordMemorySize() const {
  SInt32 bytes = SInt32(sizeof *this);
  for (const cETOOperationRecItem* item = head_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    bytes += item->GetRecordMemorySize();
  }
  return bytes;
}
