// Text lines: construction, text, inserting and deleting, heights and sizes.
#include "SpETOTextLineObject.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Script.h"
#include "SpETOTextInternal.h"

namespace {

const char kSource[] = "SpETOTextLineObject";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

UInt64 gLinesPlaced = 0;
SInt32 gPlacingScopes = 0;
// The first line (by number) whose height changed in the open placing scopes.
cTextLineObject* gFirstMoved = nullptr;

}  // namespace

// ---- Construction ----

void cTextLineObject::StartUpInitialize() {
  Sp_InitializeTextStyleAttribute(attributes_);
  string_ = SpSO_NewStringObject();
}

cTextLineObject::cTextLineObject(GrafPtr port, SInt16 defaultHeight, tPositionType position,
                                 unsigned char automaticHeight,
                                 const sTextStyleAttributes& attributes) {
  StartUpInitialize();
  port_ = port;
  position_ = position;
  automaticHeight_ = automaticHeight;
  attributes_ = attributes;
  defaultHeight_ = defaultHeight;
  lineHeight_ = defaultHeight;
  bottom_ = top_ + lineHeight_;
  ResetLineHeightAndEndPosition(0);
}

cTextLineObject::cTextLineObject(cTextLineObject* before) : cTextLineObject(before, true) {}

cTextLineObject::cTextLineObject(cTextLineObject* before, bool renumber) {
  StartUpInitialize();
  if (before == nullptr) {
    Fail("cTextLineObject::cTextLineObject", 1, kSpMsgNullArgument);
    return;
  }
  before->CopyLineAttributesTo(this);
  if (before->tail_ != nullptr && before->tail_->GetStyleRunDataType() == kETO_LineBreakRun) {
    for (cTextStyleRunObject* run = before->tail_->GetBeforeObjectPtr(); run != nullptr;
         run = run->GetBeforeObjectPtr()) {
      if (run->IsText()) {
        run->GetAttribute(attributes_);
        break;
      }
    }
  }
  before->InsertAfter(this);
  top_ = before->bottom_;
  bottom_ = top_ + lineHeight_;
  ResetLineHeightAndEndPosition(0);
  referenceNo_ = before->referenceNo_ + 1;
  if (renumber) SetupReferenceNo(1);
}

cTextLineObject::~cTextLineObject() {
  if (gFirstMoved == this) gFirstMoved = nullptr;
  SpETO_DeleteFreeRunList(head_);
  SpSO_DisposeStringObject(string_);
}

void cTextLineObject::CopyLineAttributesTo(cTextLineObject* other) const {
  if (other == nullptr) {
    Fail("cTextLineObject::CopyLineAttributesTo", 1, kSpMsgNullArgument);
    return;
  }
  other->defaultHeight_ = defaultHeight_;
  other->lineHeight_ = defaultHeight_;
  other->lineWidth_ = lineWidth_;
  other->variableWidth_ = variableWidth_;
  other->maxWidth_ = maxWidth_;
  other->minWidth_ = minWidth_;
  other->leftOffset_ = leftOffset_;
  other->rightOffset_ = rightOffset_;
  other->position_ = position_;
  other->automaticHeight_ = automaticHeight_;
  other->attributes_ = attributes_;
  other->port_ = port_;
  other->reservedFlag1_ = reservedFlag1_;
  other->reservedFlag2_ = reservedFlag2_;
  other->reservedShort_ = reservedShort_;
  other->tabWidth_ = tabWidth_;
  other->tabMode_ = tabMode_;
  other->spaceAbove_ = spaceAbove_;
  other->spaceBelow_ = spaceBelow_;
}

// ---- Runs and counts ----

std::vector<char> cTextLineObject::CopyText() const {
  const SInt32 length = SpSO_GetStringLen(string_);
  std::vector<char> text(std::size_t(length) + 4, 0);
  sp_eto::ReadBytes(string_, 0, length, text.data());
  return text;
}

void cTextLineObject::RenumberRuns() {
  SInt32 position = 0;
  SInt32 number = 1;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    run->SetStartCharBytePosition(position);
    run->SetReferenceNumber(number++);
    position += run->ByteLength();
  }
}

void cTextLineObject::ResetContainCharByte() {
  byteCount_ = 0;
  tabs_ = 0;
  lineBreak_ = false;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    byteCount_ += run->ByteLength();
    if (run->GetStyleRunDataType() == kETO_TabRun) ++tabs_;
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) lineBreak_ = true;
  }
}

void cTextLineObject::ReplaceRuns(cTextStyleRunObject* head, cTextStyleRunObject* tail,
                                  bool deleteOld) {
  if (deleteOld) SpETO_DeleteFreeRunList(head_);
  head_ = head;
  tail_ = tail != nullptr ? tail : (head != nullptr ? head->GetLastObjectPtr() : nullptr);
  // One pass: places, numbers, counts, port and line height.
  SInt32 position = 0;
  SInt32 number = 1;
  tabs_ = 0;
  lineBreak_ = false;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    run->SetStartCharBytePosition(position);
    run->SetReferenceNumber(number++);
    run->SetupGrafPort(port_);
    run->SetupLineHeight(lineHeight_);
    position += run->ByteLength();
    if (run->GetStyleRunDataType() == kETO_TabRun) ++tabs_;
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) lineBreak_ = true;
  }
  byteCount_ = position;
}

void cTextLineObject::ResetRunPixelWidth() {
  const std::vector<char> text = CopyText();
  const SInt32 length = SpSO_GetStringLen(string_);
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 start = run->GetStartCharBytePosition();
    if (run->IsText() && start + run->ByteLength() <= length) {
      run->ReCalcurateRunSize(text.data() + start);
    }
  }
}

void cTextLineObject::MergeAndMeasure() {
  FinishAfterWrap();
}

// Neighbouring text runs of equal style and kind are merged, and a merged run is measured
// again at its bytes, so its width is that of its text, not a sum of rounded widths.
void cTextLineObject::FinishAfterWrap() {
  SInt32 position = 0;
  SInt32 number = 1;
  tabs_ = 0;
  lineBreak_ = false;
  std::vector<cTextStyleRunObject*> merged;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    bool grew = false;
    while (run->IsText()) {
      cTextStyleRunObject* next = run->GetNextObjectPtr();
      if (next == nullptr || !next->IsText() ||
          !(run->SharesStyleWith(next) ||
            (Sp_EqualCharacterInfo(run->CharacterInfo(), next->CharacterInfo(), 1, 0, 1) &&
             SpEqualTextStyleAttribute(run->Attributes(), next->Attributes())))) {
        break;
      }
      run->CountUpStringLen(next->ByteLength());
      if (next == tail_) tail_ = run;
      delete run->TakeOutNext();
      grew = true;
    }
    if (grew) merged.push_back(run);
    run->SetStartCharBytePosition(position);
    run->SetReferenceNumber(number++);
    run->SetupLineHeight(lineHeight_);
    position += run->ByteLength();
    if (run->GetStyleRunDataType() == kETO_TabRun) ++tabs_;
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) lineBreak_ = true;
  }
  byteCount_ = position;
  if (!merged.empty()) {
    const std::vector<char> text = CopyText();
    for (cTextStyleRunObject* run : merged) {
      run->ReCalcurateRunTextWidth(text.data() + run->GetStartCharBytePosition());
    }
  }
  if (head_ != nullptr && head_->IsText()) head_->GetAttribute(attributes_);
}

cTextStyleRunObject* cTextLineObject::RunAt(SInt32 p, SInt32* runStart) const {
  SInt32 start = 0;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (p < start + run->ByteLength()) {
      if (runStart != nullptr) *runStart = start;
      return run;
    }
    start += run->ByteLength();
  }
  return nullptr;
}

SInt32 cTextLineObject::SnapToCharacter(SInt32 p) const {
  SInt32 start = 0;
  const cTextStyleRunObject* run = RunAt(p, &start);
  if (run != nullptr && run->IsText() && run->IsTwoByte() && ((p - start) % 2) != 0) return p - 1;
  return p;
}

// Makes byte p the first byte of a run, cutting the run that holds it.
void cTextLineObject::CutRunsAt(SInt32 p, const std::vector<char>& text) {
  SInt32 start = 0;
  cTextStyleRunObject* run = RunAt(p, &start);
  if (run == nullptr || start == p || !run->IsText()) return;
  run->SetStartCharBytePosition(start);
  cTextStyleRunObject* piece = run->SplitAfter(text.data() + start, p - start,
                                               "cTextLineObject::CutRunsAt");
  if (piece != nullptr && run == tail_) tail_ = piece;
}

// ---- Text ----

void cTextLineObject::SetupText(const char* text) {
  if (text == nullptr) {
    Fail("cTextLineObject::SetupText", 1, kSpMsgNullArgument);
    return;
  }
  SetupTextBytes(text, SInt32(std::strlen(text)));
}

void cTextLineObject::SetupTextBytes(const char* text, SInt32 length) {
  if (text == nullptr) return;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  SpETO_CreateStyleRunObjectFromBytes(text, length, port_, attributes_, head, tail);
  SpSO_Clear(string_);
  if (length > 0) SpSO_strncat(string_, text, length);
  ReplaceRuns(head, tail);
  ResetLineHeightAndEndPosition(1);
}

void cTextLineObject::SetupText(const char* text, sTextStyleAttributes& attributes) {
  if (text == nullptr) {
    Fail("cTextLineObject::SetupText", 1, kSpMsgNullArgument);
    return;
  }
  attributes_ = attributes;
  SetupTextBytes(text, SInt32(std::strlen(text)));
  if (head_ != nullptr) head_->GetAttribute(attributes_);
}

void cTextLineObject::SetupText(cSp_RunSet& runSet) {
  SpSO_Clear(string_);
  if (SpSO_GetStringLen(runSet.GetStringObjectPtr()) > 0) {
    SpSO_strcat(string_, runSet.GetStringObjectPtr());
  }
  ReplaceRuns(SpETO_DuplicateRunList(runSet.GetStyleRunListHeadPtr()), nullptr);
  if (head_ != nullptr) head_->GetAttribute(attributes_);
  ResetLineHeightAndEndPosition(1);
}

void cTextLineObject::ClearString() {
  DeleteAllRun();
  ResetLineHeightAndEndPosition(1);
}

void cTextLineObject::DeleteAllRun() {
  SpETO_DeleteFreeRunList(head_);
  head_ = nullptr;
  tail_ = nullptr;
  SpSO_Clear(string_);
  byteCount_ = 0;
  tabs_ = 0;
  lineBreak_ = false;
}

unsigned char cTextLineObject::InsertString(const char* text, SInt32 position,
                                            sTextStyleAttributes& attributes, SInt32& textBytes,
                                            SInt32& tabs, SInt32& lineBreaks) {
  textBytes = tabs = lineBreaks = 0;
  if (text == nullptr) {
    Fail("cTextLineObject::InsertString", 1, kSpMsgNullArgument);
    return 0;
  }
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  SpETO_CreateStyleRunObjectFromString(text, port_, attributes, head, tail);
  if (head == nullptr) return 0;
  const unsigned char done = InsertRunList(text, head, position, textBytes, tabs, lineBreaks);
  if (!done) SpETO_DeleteFreeRunList(head);
  return done;
}

unsigned char cTextLineObject::InsertRunList(const char* text, cTextStyleRunObject* runs,
                                             SInt32 position, SInt32& textBytes, SInt32& tabs,
                                             SInt32& lineBreaks) {
  static const char kMethod[] = "cTextLineObject::InsertRunList";
  textBytes = tabs = lineBreaks = 0;
  if (text == nullptr || runs == nullptr) {
    Fail(kMethod, 1, kSpMsgNullArgument);
    return 0;
  }
  // The inserted runs are counted and measured at their own bytes.
  SInt32 length = 0;
  for (cTextStyleRunObject* run = runs; run != nullptr; run = run->GetNextObjectPtr()) {
    switch (run->GetStyleRunDataType()) {
      case kETO_TabRun:
        ++tabs;
        break;
      case kETO_LineBreakRun:
        ++lineBreaks;
        break;
      default:
        textBytes += run->ByteLength();
        run->ReCalcurateRunTextWidth(text + length);
        break;
    }
    run->SetupGrafPort(port_);
    run->SetupLineHeight(lineHeight_);
    length += run->ByteLength();
  }
  const std::string inserted(text, std::size_t(length));
  cTextStyleRunObject* runsTail = runs->GetLastObjectPtr();
  const SInt32 end = byteCount_ - (lineBreak_ ? 1 : 0);
  position = std::max<SInt32>(0, position);
  if (head_ == nullptr) {
    head_ = runs;
    tail_ = runsTail;
    SpSO_Clear(string_);
    SpSO_strncat(string_, inserted.c_str(), length);
  } else {
    if (position > end) position = end;
    position = SnapToCharacter(position);
    const std::vector<char> old = CopyText();
    CutRunsAt(position, old);
    // The run after which the new runs go (null: in front).
    cTextStyleRunObject* after = nullptr;
    SInt32 start = 0;
    for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
      if (start >= position) break;
      after = run;
      start += run->ByteLength();
    }
    if (after == nullptr) {
      runsTail->LinkToNext(head_);
      head_ = runs;
    } else {
      cTextStyleRunObject* following = after->UnlinkNext();
      after->LinkToNext(runs);
      if (following != nullptr) {
        runsTail->LinkToNext(following);
      } else {
        tail_ = runsTail;
      }
    }
    if (position >= SpSO_GetStringLen(string_)) {
      SpSO_strncat(string_, inserted.c_str(), length);
    } else {
      SpSO_InsertString(string_, position, inserted.c_str());
    }
  }
  tail_ = head_->GetLastObjectPtr();
  RenumberRuns();
  MergeAndMeasure();
  ResetContainCharByte();
  head_->GetAttribute(attributes_);
  ResetLineHeightAndEndPosition(1);
  return 1;
}

// Deletes the bytes a .. b - 1 (0 <= a < b <= byte count) with their runs.
void cTextLineObject::DeleteRange(SInt32 a, SInt32 b, const char* method) {
  a = SnapToCharacter(a);
  b = SnapToCharacter(b);
  if (a >= b) return;
  const std::vector<char> text = CopyText();
  CutRunsAt(a, text);
  CutRunsAt(b, text);
  SInt32 start = 0;
  for (cTextStyleRunObject* run = head_; run != nullptr;) {
    cTextStyleRunObject* next = run->GetNextObjectPtr();
    const SInt32 length = run->ByteLength();
    if (start >= a && start + length <= b) {
      cTextStyleRunObject* before = run->GetBeforeObjectPtr();
      if (before != nullptr) {
        before->TakeOutNext();
      } else {
        head_ = run->UnlinkNext();
      }
      if (run == tail_) tail_ = before;
      delete run;
    }
    start += length;
    run = next;
  }
  if (b - a >= SpSO_GetStringLen(string_)) {
    SpSO_Clear(string_);
  } else {
    SpSO_CutDownBetweenString(string_, a, b);
  }
  (void)method;
  RenumberRuns();
  MergeAndMeasure();
  ResetContainCharByte();
  if (head_ != nullptr) head_->GetAttribute(attributes_);
  ResetLineHeightAndEndPosition(1);
}

void cTextLineObject::DeleteCharInAfer(SInt32 position) {
  if (position > byteCount_) {
    Fail("cTextLineObject::DeleteCharInAfer", 1, sp_eto::kMsgAreaOver);
    return;
  }
  if (position < 0) return;
  DeleteRange(position, byteCount_, "cTextLineObject::DeleteCharInAfer");
}

void cTextLineObject::DeleteCharInBefore(SInt32 n) {
  if (n < 1 || n > byteCount_) {
    Fail("cTextLineObject::DeleteCharInBefore", 1, sp_eto::kMsgAreaOver);
    return;
  }
  DeleteRange(0, n, "cTextLineObject::DeleteCharInBefore");
}

void cTextLineObject::DeleteCharInBetween(SInt32 a, SInt32 b) {
  if (a < 0 || b < 0 || a > byteCount_ || b > byteCount_ || std::max(a, b) < 1) {
    Fail("cTextLineObject::DeleteCharInBetween", 1, sp_eto::kMsgAreaOver);
    return;
  }
  const SInt32 end = byteCount_ - (lineBreak_ ? 1 : 0);
  DeleteRange(std::min(a, b), std::min(std::max(a, b), end), "cTextLineObject::DeleteCharInBetween");
}

unsigned char cTextLineObject::BackSpaceCharacter(SInt32 position, SInt32& deleted,
                                                  unsigned char& atLineStart, SInt16& handled,
                                                  SInt16& added, SInt16& removed,
                                                  cSp_RunSet* saved,
                                                  unsigned char& widthChanged) {
  static const char kMethod[] = "cTextLineObject::BackSpaceCharacter";
  deleted = 0;
  atLineStart = 0;
  const SInt32 end = byteCount_ - (lineBreak_ ? 1 : 0);
  if (position > end) {
    Fail(kMethod, 1, sp_eto::kMsgAreaOver);
    position = end;
  }
  if (position > 0) {
    SInt32 q = position;
    if (GetBeforeCharPosition(position, q) != 0 || q >= position) return 0;
    if (saved != nullptr) {
      SInt32 count = 0;
      GetRunStringByRunSet(q, position - 1, 0, *saved, count);
    }
    DeleteRange(q, position, kMethod);
    deleted = position - q;
    atLineStart = q == 0 ? 1 : 0;
    return 1;
  }
  cTextLineObject* before = GetBeforeObjectPtr();
  if (before == nullptr || before->head_ == nullptr) return 0;
  SInt32 q = before->byteCount_ - 1;
  if (!before->lineBreak_) {
    if (before->GetBeforeCharPosition(before->byteCount_, q) != 0) return 0;
  }
  if (saved != nullptr) {
    SInt32 count = 0;
    before->GetRunStringByRunSet(q, before->byteCount_ - 1, 1, *saved, count);
  }
  deleted = before->byteCount_ - q;
  before->DeleteRange(q, before->byteCount_, kMethod);
  atLineStart = before->byteCount_ == 0 ? 1 : 0;
  before->ResetBreakLine(handled, added, removed, widthChanged);
  return 1;
}

void cTextLineObject::ModifyTargetAreaAlphaText(tETO_ModifyTextCodeProcType type, SInt32 a,
                                                SInt32 b, unsigned char& changed) {
  changed = 0;
  if (type != kETO_ToUpperCase && type != kETO_ToLowerCase) {
    Fail("cTextLineObject::ModifyTargetAreaAlphaText", 1, kSpMsgTypeError);
    return;
  }
  const bool upper = type == kETO_ToUpperCase;
  const SInt32 lo = SnapToCharacter(std::max<SInt32>(0, std::min(a, b)));
  const SInt32 hi = SnapToCharacter(std::min(std::max(a, b), byteCount_));
  if (lo >= hi) return;
  std::vector<char> text = CopyText();
  CutRunsAt(lo, text);
  CutRunsAt(hi, text);
  SInt32 start = 0;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 length = run->ByteLength();
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) break;
    sCharactorInfoStruct info = run->CharacterInfo();
    if (start >= lo && start + length <= hi && run->IsText() && !info.twoByte &&
        info.charType == smCharAscii && info.upperCase != upper) {
      if (upper) {
        SpSO_UpperText(string_, start, start + length);
      } else {
        SpSO_LowerText(string_, start, start + length);
      }
      info.upperCase = upper;
      info.upperCaseBits = upper ? 0x4000 : 0;
      run->SetCharacterInfo(info);
      changed = 1;
    }
    start += length;
  }
  if (!changed) return;
  text = CopyText();
  RenumberRuns();
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (run->IsText()) run->ReCalcurateRunTextWidth(text.data() + run->GetStartCharBytePosition());
  }
  MergeAndMeasure();
}

// ---- Queries ----

SInt32 cTextLineObject::GetNumOfTextByte(unsigned char withTab,
                                         unsigned char withLineBreak) const {
  return byteCount_ - (withTab ? 0 : tabs_) - ((withLineBreak || !lineBreak_) ? 0 : 1);
}

void cTextLineObject::GetTextRunSize(SInt32& runs, SInt32& bytes, unsigned char withTab,
                                     unsigned char withLineBreak) const {
  runs = SpETO_GetRunCountFromRunList(head_);
  bytes = GetNumOfTextByte(withTab, withLineBreak);
}

unsigned char cTextLineObject::EqualLineText(const char* text, unsigned char withLineBreak,
                                             SInt32& length) {
  length = 0;
  if (text == nullptr) {
    Fail("cTextLineObject::EqualLineText", 1, kSpMsgNullArgument);
    return 0;
  }
  const std::vector<char> mine = CopyText();
  length = byteCount_ - ((withLineBreak || !lineBreak_) ? 0 : 1);
  return (SInt32(std::strlen(text)) == length &&
          std::memcmp(text, mine.data(), std::size_t(length)) == 0)
             ? 1
             : 0;
}

unsigned char cTextLineObject::SerchTargetCharactor(char c, SInt32 from, SInt32* found) {
  if (found == nullptr) {
    Fail("cTextLineObject::SerchTargetCharactor", 1, kSpMsgNullArgument);
    return 0;
  }
  SInt32 start = 0;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 end = start + run->ByteLength();
    if (!run->IsTwoByte() && end > from) {
      SInt32 hit = 0;
      if (SpSO_SerchTargetCharactor(string_, c, std::max(start, from), end, &hit)) {
        *found = hit;
        return 1;
      }
    }
    start = end;
  }
  return 0;
}

unsigned char cTextLineObject::GetNextCharPosition(SInt32 p, SInt32& q) const {
  const SInt32 end = byteCount_ - (lineBreak_ ? 1 : 0);
  if (p >= end) return 1;
  SInt32 start = 0;
  const cTextStyleRunObject* run = RunAt(p, &start);
  q = p + ((run != nullptr && run->IsText() && run->IsTwoByte()) ? 2 : 1);
  return 0;
}

unsigned char cTextLineObject::GetBeforeCharPosition(SInt32 p, SInt32& q) const {
  if (p < 1) return 1;
  q = p;
  SInt32 start = 0;
  const cTextStyleRunObject* run = RunAt(p - 1, &start);
  if (run == nullptr) {
    Fail("cTextLineObject::GetBeforeCharPosition", 1, "Serch Error");
    return 1;
  }
  if (run->IsText() && run->IsTwoByte()) {
    // Characters of a two-byte run are two bytes from its start.
    q = start + ((p - 1 - start) / 2) * 2;
  } else {
    q = p - 1;
  }
  return 0;
}

void cTextLineObject::GetPositionStyleAttribute(SInt32 p, sTextStyleAttributes& attributes) const {
  GetPositionAttribute(p, attributes);
}

void cTextLineObject::GetPositionAttribute(SInt32 p, sTextStyleAttributes& attributes) const {
  attributes = attributes_;
  if (p <= 0 || head_ == nullptr) return;
  const cTextStyleRunObject* run = RunAt(p - 1, nullptr);
  if (run == nullptr) run = tail_;
  if (run->GetStyleRunDataType() == kETO_LineBreakRun && run->GetBeforeObjectPtr() != nullptr) {
    run = run->GetBeforeObjectPtr();
  }
  run->GetAttribute(attributes);
}

void cTextLineObject::GetPositionCharacterInfo(SInt32 p, sCharactorInfoStruct& info) const {
  std::memset(&info, 0, sizeof info);
  if (head_ == nullptr) return;
  const cTextStyleRunObject* run = p <= 0 ? head_ : RunAt(p - 1, nullptr);
  if (run == nullptr) run = tail_;
  run->GetCharacterInfo(info);
}

void cTextLineObject::GetLastRunAttribute(sTextStyleAttributes& attributes) const {
  attributes = attributes_;
  if (tail_ != nullptr) tail_->GetAttribute(attributes);
}

void cTextLineObject::CopyTopPositAttributeFrom(const cTextLineObject* other) {
  if (other == nullptr) {
    Fail("cTextLineObject::CopyTopPositAttributeFrom", 1, kSpMsgNullArgument);
    return;
  }
  attributes_ = other->attributes_;
}

void cTextLineObject::GetTextAttributesList(cTextAttributeList& list, unsigned char append,
                                            unsigned char distinct) const {
  if (!append) list.ClearItem();
  sTextStyleAttributes last;
  bool haveLast = false;
  if (append && distinct && list.GetCountItem() > 0) {
    haveLast = list.GetNumAttribute(list.GetCountItem(), last) != 0;
  }
  auto add = [&](const sTextStyleAttributes& a) {
    if (append && distinct && haveLast && SpEqualTextStyleAttribute(a, last)) return;
    list.SetupNewAttribute(a);
    last = a;
    haveLast = true;
  };
  if (head_ == nullptr) {
    add(attributes_);
    return;
  }
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (run->GetStyleRunDataType() != kETO_LineBreakRun) add(run->Attributes());
  }
}

// ---- Sizes and positions ----

void cTextLineObject::SetupLineHeight(SInt16 height) {
  lineHeight_ = height;
  defaultHeight_ = height;
  bottom_ = top_ + lineHeight_;
}

void cTextLineObject::SetupGrafPort(GrafPtr port) {
  port_ = port;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    run->SetupGrafPort(port);
  }
}

SInt16 cTextLineObject::GetLineHeight(unsigned char withAbove, unsigned char withBelow) const {
  return SInt16(lineHeight_ - (withAbove ? 0 : spaceAbove_) - (withBelow ? 0 : spaceBelow_));
}

void cTextLineObject::SetupSpaceAboveBelow(SInt16 above, SInt16 below) {
  spaceAbove_ = above;
  spaceBelow_ = below;
}

unsigned char cTextLineObject::SetupLineMaxWidth(SInt16 width, unsigned char apply,
                                                 unsigned char& widthChanged) {
  unsigned char stored = 0;
  if (width != maxWidth_) {
    maxWidth_ = width;
    stored = 1;
  }
  if (width >= 1 && apply && lineWidth_ > width) {
    lineWidth_ = width;
    widthChanged = 1;
  }
  return stored;
}

unsigned char cTextLineObject::SetupLineMinWidth(SInt16 width, unsigned char apply,
                                                 unsigned char& widthChanged) {
  unsigned char stored = 0;
  if (width != minWidth_) {
    minWidth_ = width;
    stored = 1;
  }
  if (width >= 1 && apply && lineWidth_ < width) {
    lineWidth_ = width;
    widthChanged = 1;
  }
  return stored;
}

SInt32 cTextLineObject::GetRealLineWidth(unsigned char withLeft, unsigned char withRight) const {
  SInt32 width = 0;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    width += run->GetTextWidthPixel();
  }
  return width + (withLeft ? leftOffset_ : 0) + (withRight ? rightOffset_ : 0);
}

SInt32 cTextLineObject::GetTotalLineHeightOnLink() const {
  SInt32 total = 0;
  for (const cTextLineObject* line = this; line != nullptr; line = line->GetNextObjectPtr()) {
    total += line->lineHeight_;
  }
  return total;
}

void cTextLineObject::GetLinePosition(SInt32& top, SInt32& bottom) const {
  top = top_;
  bottom = bottom_;
}

UInt64 cTextLineObject::LinesPlaced() { return gLinesPlaced; }

cETOLinePlacingScope::cETOLinePlacingScope() { ++gPlacingScopes; }

cETOLinePlacingScope::~cETOLinePlacingScope() {
  if (--gPlacingScopes > 0 || gFirstMoved == nullptr) return;
  cTextLineObject* first = gFirstMoved;
  gFirstMoved = nullptr;
  first->PlaceFollowingLines();
}

void cTextLineObject::PlaceFollowingLines() {
  if (gPlacingScopes > 0) {
    if (gFirstMoved == nullptr || referenceNo_ < gFirstMoved->referenceNo_) gFirstMoved = this;
    return;
  }
  if (GetNextObjectPtr() != nullptr) GetNextObjectPtr()->SetupLineVerticalPosition(bottom_, 1);
}

void cTextLineObject::SetupLineVerticalPosition(SInt32 top, unsigned char following) {
  for (cTextLineObject* line = this; line != nullptr; line = line->GetNextObjectPtr()) {
    ++gLinesPlaced;
    const SInt32 delta = top - line->top_;
    line->top_ += delta;
    line->bottom_ = line->top_ + line->lineHeight_;
    line->textTop_ += delta;
    line->baseline_ += delta;
    line->textBottom_ += delta;
    if (!following) break;
    top = line->bottom_;
  }
}

unsigned char cTextLineObject::HeightInLine(SInt32 v, unsigned char outside, unsigned char* above,
                                            unsigned char* below) const {
  if (above != nullptr) *above = 0;
  if (below != nullptr) *below = 0;
  if (top_ <= v && v < bottom_) return 1;
  if (!outside) return 0;
  if (GetBeforeObjectPtr() == nullptr && v < top_) {
    if (above != nullptr) *above = 1;
    return 1;
  }
  if (GetNextObjectPtr() == nullptr && v >= bottom_) {
    if (below != nullptr) *below = 1;
    return 1;
  }
  return 0;
}

unsigned char cTextLineObject::SetupHorizontalPositionType(tPositionType type) {
  if (type < kSpPositionLeft || type > kSpPositionRight) return 0;
  position_ = type;
  return 1;
}

unsigned char cTextLineObject::ResetLineHeightAndEndPosition(unsigned char following) {
  FontInfo tallest{0, 0, 0, 0};
  bool found = false;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (run->GetStyleRunDataType() == kETO_LineBreakRun || run->ByteLength() < 1) continue;
    FontInfo info;
    run->GetFontVerticalSize(info);
    if (!found || info.ascent + info.descent + info.leading >
                      tallest.ascent + tallest.descent + tallest.leading) {
      tallest = info;
      found = true;
    }
  }
  if (!found) {
    sp_eto::cPortTextScope scope(port_, attributes_);
    GetFontInfo(&tallest);
  }
  const SInt32 needed =
      spaceAbove_ + spaceBelow_ + tallest.ascent + tallest.descent + tallest.leading;
  unsigned char result = 0;
  if (automaticHeight_ && needed != lineHeight_) {
    const SInt32 height = needed < 1 ? defaultHeight_ : needed;
    if (height != lineHeight_) {
      lineHeight_ = SInt16(height);
      bottom_ = top_ + lineHeight_;
      result = 1;
      if (following) PlaceFollowingLines();
    }
  }
  const SInt32 halfLeading = tallest.leading < 1 ? 0 : tallest.leading / 2;
  if (lineHeight_ - spaceAbove_ - spaceBelow_ < tallest.ascent + tallest.descent) {
    textTop_ = top_;
    textBottom_ = bottom_ - halfLeading - spaceBelow_;
    baseline_ = textBottom_ - tallest.descent;
  } else {
    textTop_ = (top_ + spaceAbove_ + bottom_ - spaceBelow_ - tallest.ascent - tallest.descent) / 2;
    baseline_ = textTop_ + tallest.ascent;
    textBottom_ = baseline_ + tallest.descent;
  }
  return result;
}

void cTextLineObject::SetupReferenceNo(unsigned char all) {
  for (cTextLineObject* line = this; line != nullptr; line = line->GetNextObjectPtr()) {
    const cTextLineObject* before = line->GetBeforeObjectPtr();
    line->referenceNo_ = before != nullptr ? before->referenceNo_ + 1 : 1;
    if (!all) break;
  }
}
