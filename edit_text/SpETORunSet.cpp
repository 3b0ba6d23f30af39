// Run sets: a string object with the runs that describe it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "SpETOTextInternal.h"
#include "SpETOTextStyleRunObject.h"

namespace {

const char kSource[] = "SpETOTextStyleRunObject";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

std::vector<char> TextOf(const sSO_StringObjectBase* string) {
  const SInt32 length = SpSO_GetStringLen(string);
  std::vector<char> bytes(std::size_t(length) + 4, 0);
  sp_eto::ReadBytes(string, 0, length, bytes.data());
  return bytes;
}

}  // namespace

cSp_RunSet::cSp_RunSet() : string_(SpSO_NewStringObject()) {}

cSp_RunSet::~cSp_RunSet() {
  SpSO_DisposeStringObject(string_);
}

void cSp_RunSet::ClearRunSet() {
  if (string_ != nullptr) SpSO_Clear(string_);
  length_ = 0;
  SpETO_DeleteFreeRunList(head_);
  head_ = nullptr;
  tail_ = nullptr;
}

void cSp_RunSet::ResetStarts(cTextStyleRunObject* from) {
  if (from != nullptr) from->ResetStartCharBytePosition(1);
}

void cSp_RunSet::AppendStyleRun(cTextStyleRunObject* run) {
  if (run == nullptr) {
    Fail("cSp_RunSet::AppendStyleRun", 1, kSpMsgNullArgument);
    return;
  }
  SpAppendToList(head_, tail_, run);
  tail_ = run->GetLastObjectPtr();
  ResetStarts(run);
}

void cSp_RunSet::CopyString(const char* text) {
  if (text == nullptr || string_ == nullptr) {
    Fail("cSp_RunSet::CopyString", 1, sp_eto::kMsgArgumentError);
    return;
  }
  SpSO_strcopy(string_, text);
  length_ = SInt32(std::strlen(text));
}

void cSp_RunSet::AppendString(const char* text) {
  if (text == nullptr || string_ == nullptr) {
    Fail("cSp_RunSet::AppendString(one string argument type)", 1, sp_eto::kMsgArgumentError);
    return;
  }
  SpSO_strcat(string_, text);
  length_ = SpSO_GetStringLen(string_);
}

void cSp_RunSet::AppendString(const char* text, SInt32 offset, SInt32 count) {
  if (text == nullptr || string_ == nullptr || count < 0 || offset < 0) {
    Fail("cSp_RunSet::AppendString(string argument type)", 1, sp_eto::kMsgArgumentError);
    return;
  }
  SpSO_strncat(string_, text + offset, count);
  length_ = SpSO_GetStringLen(string_);
}

void cSp_RunSet::AppendString(sSO_StringObjectBase* source) {
  if (source == nullptr || string_ == nullptr) {
    Fail("cSp_RunSet::AppendString(one string object argument type)", 1,
         sp_eto::kMsgArgumentError);
    return;
  }
  if (SpSO_GetStringLen(source) > 0) SpSO_strcat(string_, source);
  length_ = SpSO_GetStringLen(string_);
}

void cSp_RunSet::AppendString(sSO_StringObjectBase* source, SInt32 offset, SInt32 count) {
  if (source == nullptr || string_ == nullptr) {
    Fail("cSp_RunSet::AppendString(string object type)", 1, sp_eto::kMsgArgumentError);
    return;
  }
  if (count <= 0 || offset < 0 || offset >= SpSO_GetStringLen(source)) return;
  SpSO_strncat(string_, source, offset, count);
  length_ = SpSO_GetStringLen(string_);
}

void cSp_RunSet::AppendRunSet(cSp_RunSet& other) {
  AppendString(other.string_);
  cTextStyleRunObject* copy = SpETO_DuplicateRunList(other.head_);
  if (copy != nullptr) AppendStyleRun(copy);
}

void cSp_RunSet::InsertRunSetOnTop(cSp_RunSet& other) {
  if (other.head_ == nullptr && SpSO_GetStringLen(other.string_) == 0) return;
  if (string_ == nullptr) return;
  std::vector<char> mine = TextOf(string_);
  SpSO_Clear(string_);
  if (SpSO_GetStringLen(other.string_) > 0) SpSO_strcat(string_, other.string_);
  SpSO_strncat(string_, mine.data(), SInt32(mine.size()));
  length_ = SpSO_GetStringLen(string_);
  cTextStyleRunObject* copy = SpETO_DuplicateRunList(other.head_);
  if (copy == nullptr) return;
  cTextStyleRunObject* copyTail = copy->GetLastObjectPtr();
  if (head_ != nullptr) copyTail->LinkToNext(head_);
  if (tail_ == nullptr) tail_ = copyTail;
  head_ = copy;
  ResetStarts(head_);
}

SInt32 cSp_RunSet::GetStringLen(unsigned char withTab, unsigned char withLineBreak) const {
  return SpETO_GetStringLenFromRunList(head_, withTab, withLineBreak);
}

unsigned char cSp_RunSet::GetLineStringLen(SInt32 line, unsigned char withTab,
                                           unsigned char withLineBreak, SInt32& length) const {
  length = 0;
  SInt32 current = 1;
  for (const cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    if (current == line) length += run->GetTextByteLength(withTab, withLineBreak);
    if (run->GetStyleRunDataType() == kETO_LineBreakRun) ++current;
    if (current > line) break;
  }
  return (line == 1 || (line > 1 && current >= line)) ? 1 : 0;
}

void cSp_RunSet::GetLineString(SInt32 line, unsigned char, unsigned char, char* buffer,
                               SInt32 size, unsigned char& overflow, SInt32& length) {
  length = 0;
  overflow = 0;
  if (buffer == nullptr) {
    overflow = 1;
    Fail("cSp_RunSet::GetLineString", 1, kSpMsgNullArgument);
    return;
  }
  SpSO_GetLineString(string_, line, 1, buffer, size, overflow);
  length = SInt32(std::strlen(buffer));
}

void cSp_RunSet::GetString(char* buffer, SInt32 size, unsigned char& overflow) {
  if (buffer == nullptr) {
    overflow = 1;
    Fail("cSp_RunSet::GetString", 1, kSpMsgNullArgument);
    return;
  }
  SpSO_GetString(string_, buffer, size, overflow);
}

void cSp_RunSet::GetString(sSO_StringObjectBase* out) {
  if (out == nullptr) {
    Fail("cSp_RunSet::GetString", 1, kSpMsgNullArgument);
    return;
  }
  SpSO_Clear(out);
  GetStringByAppend(out);
}

void cSp_RunSet::GetStringByAppend(sSO_StringObjectBase* out) {
  if (out == nullptr) {
    Fail("cSp_RunSet::GetStringByAppend", 1, kSpMsgNullArgument);
    return;
  }
  if (SpSO_GetStringLen(string_) > 0) SpSO_strcat(out, string_);
}

void cSp_RunSet::GetCopyRunList(sSO_StringObjectBase* text, cTextStyleRunObject*& head) {
  head = nullptr;
  if (text == nullptr) {
    Fail("cSp_RunSet::GetCopyRunList", 1, sp_eto::kMsgArgumentError);
    return;
  }
  GetString(text);
  head = SpETO_DuplicateRunList(head_);
  if (SpETO_GetRunCountFromRunList(head) != SpETO_GetRunCountFromRunList(head_)) {
    Fail("cSp_RunSet::GetCopyRunList", 2, "cannot allocated memory !! ");
  }
}

void cSp_RunSet::ResetRunPixSize() {
  const SInt32 length = SpSO_GetStringLen(string_);
  if (length < 1) return;
  std::vector<char> text = TextOf(string_);
  SInt32 position = 0;
  for (cTextStyleRunObject* run = head_; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 n = run->GetTextByteLength(1, 1);
    if (position + n > length) {
      Fail("cSp_RunSet::ResetRunPixSize", 3, sp_eto::kMsgProcessError);
      return;
    }
    if (run->IsText()) run->ReCalcurateRunSize(text.data() + position);
    position += n;
  }
}

unsigned char cSp_RunSet::CmpOtherRunSet(cSp_RunSet* other, unsigned char string,
                                         unsigned char runs, unsigned char attributes,
                                         unsigned char characterInfo) {
  if (other == nullptr) {
    Fail("cSp_RunSet::CmpOtherRunSet", 1, kSpMsgNullArgument);
    return 0;
  }
  if (string && SpSO_strcmp(string_, other->string_) != 0) return 0;
  if (!runs) return 1;
  const cTextStyleRunObject* a = head_;
  const cTextStyleRunObject* b = other->head_;
  for (; a != nullptr && b != nullptr; a = a->GetNextObjectPtr(), b = b->GetNextObjectPtr()) {
    if (attributes && !SpEqualTextStyleAttribute(a->Attributes(), b->Attributes())) return 0;
    if (characterInfo) {
      const sCharactorInfoStruct& x = a->CharacterInfo();
      const sCharactorInfoStruct& y = b->CharacterInfo();
      if (x.charType != y.charType || x.upperCase != y.upperCase ||
          !Sp_EqualCharacterInfo(x, y, 0, 0, 0)) {
        return 0;
      }
    }
    if (a->GetStyleRunDataType() != b->GetStyleRunDataType() ||
        a->GetStartCharBytePosition() != b->GetStartCharBytePosition() ||
        a->GetTextByteLength(1, 1) != b->GetTextByteLength(1, 1)) {
      return 0;
    }
  }
  return (a == nullptr && b == nullptr) ? 1 : 0;
}
