#include "SpETOTextStyleRunObject.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Script.h"
#include "SpETOTextInternal.h"
#include "SpETOTextStyle.h"

namespace {

const char kSource[] = "SpETOTextStyleRunObject";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

bool EqualRunCharacterInfo(const sCharactorInfoStruct& a, const sCharactorInfoStruct& b) {
  return Sp_EqualCharacterInfo(a, b, 1, 0, 1) != 0;
}

// The character information of the character at text[0], of which `remaining` bytes are
// there: a lead byte without its second byte is a one-byte character. The information of a
// character never changes, so it is looked up once per character code and kept.
sCharactorInfoStruct CharacterInfoAt(const char* text, SInt32 remaining) {
  struct Entry {
    bool known = false;
    sCharactorInfoStruct info;
  };
  static std::vector<Entry> oneByte(256);
  static std::vector<Entry> twoByte;  // by lead byte and trail byte, made on first use
  const UInt8 b = UInt8(text[0]);
  const bool lead = sp_eto::IsLeadByte(b);
  if (lead && remaining < 2) {
    sCharactorInfoStruct info;
    Sp_GetCharacterInfo(' ', info);
    info.charType = smCharPunct;
    info.charClass = smPunctNormal;
    return info;
  }
  Entry* entry = nullptr;
  if (lead) {
    if (twoByte.empty()) twoByte.resize(65536);
    entry = &twoByte[std::size_t(b) << 8 | UInt8(text[1])];
  } else {
    entry = &oneByte[b];
  }
  if (!entry->known) {
    Sp_GetCharacterInfo(text, 0, entry->info);
    entry->known = true;
  }
  return entry->info;
}

}  // namespace

// ---- Construction ----

void cTextStyleRunObject::Clear() {
  referenceNo_ = 0;
  runType_ = kETO_TextRun;
  port_ = nullptr;
  startByte_ = 0;
  byteLength_ = 0;
  Sp_InitializeTextStyleAttribute(attributes_);
  std::memset(&charInfo_, 0, sizeof charInfo_);
  pixelWidth_ = 0;
  fontInfo_ = FontInfo{0, 0, 0, 0};
  lineHeight_ = 0;
}

cTextStyleRunObject::cTextStyleRunObject(tETO_StyleRunDataType type, GrafPtr port) {
  Clear();
  runType_ = type;
  port_ = port;
  if (type != kETO_TextRun) byteLength_ = 1;
  ResetFontVerticalSize();
}

cTextStyleRunObject::cTextStyleRunObject(const cTextStyleRunObject* other) {
  if (other == nullptr) {
    Clear();
    Fail("cTextStyleRunObject::cTextStyleRunObject", 1, kSpMsgNullArgument);
    return;
  }
  CopyRun(other);
}

cTextStyleRunObject::cTextStyleRunObject(const sSp_StyleRunInfo& info, GrafPtr port) {
  Clear();
  runType_ = info.runType;
  port_ = port;
  startByte_ = info.startByte;
  byteLength_ = info.byteLength;
  attributes_ = info.attributes;
  charInfo_ = info.charInfo;
  pixelWidth_ = info.pixelWidth;
  fontInfo_ = info.fontInfo;
}

void cTextStyleRunObject::CopyRun(const cTextStyleRunObject* other) {
  if (other == nullptr) {
    Fail("cTextStyleRunObject::CopyRun", 1, kSpMsgNullArgument);
    return;
  }
  runType_ = other->runType_;
  port_ = other->port_;
  startByte_ = other->startByte_;
  byteLength_ = other->byteLength_;
  attributes_ = other->attributes_;
  charInfo_ = other->charInfo_;
  pixelWidth_ = other->pixelWidth_;
  fontInfo_ = other->fontInfo_;
}

void cTextStyleRunObject::GetRunInformation(sSp_StyleRunInfo& info) const {
  info.runType = runType_;
  info.startByte = startByte_;
  info.byteLength = byteLength_;
  info.attributes = attributes_;
  info.charInfo = charInfo_;
  info.pixelWidth = pixelWidth_;
  info.fontInfo = fontInfo_;
}

cTextStyleRunObject* cTextStyleRunObject::GetCopyRun() const {
  cTextStyleRunObject* copy = new (std::nothrow) cTextStyleRunObject(this);
  if (copy == nullptr) Fail("cTextStyleRunObject::GetCopyRun", 1, kSpMsgMemory);
  return copy;
}

// ---- Attributes and style ----

void cTextStyleRunObject::GetAttribute(sTextStyleAttributes& attributes) const {
  attributes = attributes_;
}

void cTextStyleRunObject::SetupAttribute(sTextStyleAttributes& attributes,
                                         tETO_AttributeFontSetupType setupType) {
  if (FontToScript(attributes.fontNo) == smRoman && charInfo_.twoByte) {
    switch (setupType) {
      case kETO_FontJapaneseSystem:
        attributes.fontNo = SInt16(GetScriptVariable(smJapanese, smScriptSysFond));
        break;
      case kETO_FontJapaneseApplication:
        attributes.fontNo = SInt16(GetScriptVariable(smJapanese, smScriptAppFond));
        break;
      case kETO_FontKeepCurrent:
        attributes.fontNo = attributes_.fontNo;
        break;
      default:
        break;
    }
  }
  attributes_ = attributes;
  ResetFontVerticalSize();
}

unsigned char cTextStyleRunObject::ChangeAttribute(tTextStyleAttType type, unsigned long value) {
  if (type == kTextStyleAttFont && charInfo_.twoByte && FontToScript(SInt16(value)) == smRoman) {
    return 0;
  }
  if (!SpChangeTextStyleAttribute(attributes_, type, value)) return 0;
  ResetFontVerticalSize();
  return 1;
}

void cTextStyleRunObject::SetupTextColor(const RGBColor& color, SInt16 kind) {
  attributes_.colors[0].rgb = color;
  attributes_.colors[0].kind = kind;
}

void cTextStyleRunObject::GetTextColor(RGBColor& color, SInt16& kind) const {
  color = attributes_.colors[0].rgb;
  kind = attributes_.colors[0].kind;
}

void cTextStyleRunObject::GetStyleInfo(sETOStyleInfo& info) const {
  info.lineHeight = lineHeight_;
  info.ascent = fontInfo_.ascent;
  info.font = attributes_.fontNo;
  info.face = attributes_.face;
  info.size = attributes_.size;
  info.color = attributes_.colors[0].rgb;
}

void cTextStyleRunObject::SetupStyleInfo(const sETOStyleInfo& info) {
  attributes_.fontNo = info.font;
  attributes_.face = info.face;
  attributes_.size = info.size;
  attributes_.colors[0].rgb = info.color;
  ResetFontVerticalSize();
}

unsigned char cTextStyleRunObject::CompStyleInfoStyleAttribute(const sETOStyleInfo& info) const {
  sETOStyleInfo mine = info;
  GetStyleInfo(mine);
  return (mine.lineHeight == info.lineHeight && mine.ascent == info.ascent &&
          mine.font == info.font && mine.face == info.face && mine.size == info.size &&
          mine.color.red == info.color.red && mine.color.green == info.color.green &&
          mine.color.blue == info.color.blue)
             ? 1
             : 0;
}

void cTextStyleRunObject::SetCharacterInfo(const sCharactorInfoStruct& info) {
  charInfo_ = info;
  attributes_.direction = SInt8(info.rightToLeft ? 1 : 0);
}

// ---- Lengths and positions ----

SInt32 cTextStyleRunObject::GetTextByteLength(unsigned char withTab,
                                              unsigned char withLineBreak) const {
  switch (runType_) {
    case kETO_TabRun:
      return withTab ? 1 : 0;
    case kETO_LineBreakRun:
      return withLineBreak ? 1 : 0;
    default:
      return byteLength_;
  }
}

void cTextStyleRunObject::CountDownStringLen(SInt32 n) {
  if (byteLength_ <= n) {
    Fail("cTextStyleRunObject::CountDownStringLen", 1, sp_eto::kMsgBadArea);
    return;
  }
  byteLength_ -= n;
}

void cTextStyleRunObject::SetupStringLen(SInt32 length) {
  if (length < 0) {
    Fail("cTextStyleRunObject::SetupStringLen", 1, sp_eto::kMsgArgumentError);
    return;
  }
  byteLength_ = length;
}

void cTextStyleRunObject::ResetStartCharBytePosition(unsigned char all) {
  for (cTextStyleRunObject* run = this; run != nullptr; run = run->GetNextObjectPtr()) {
    const cTextStyleRunObject* before = run->GetBeforeObjectPtr();
    run->startByte_ = before != nullptr ? before->startByte_ + before->byteLength_ : 0;
    if (!all) break;
  }
}

void cTextStyleRunObject::SetupReferenceNo(unsigned char all) {
  for (cTextStyleRunObject* run = this; run != nullptr; run = run->GetNextObjectPtr()) {
    const cTextStyleRunObject* before = run->GetBeforeObjectPtr();
    run->referenceNo_ = before != nullptr ? before->referenceNo_ + 1 : 1;
    if (!all) break;
  }
}

// ---- Measuring ----

SInt32 cTextStyleRunObject::GetTargetStringWidth(const char* text, SInt32 offset,
                                                 SInt32 count) const {
  if (text == nullptr || count <= 0) return 0;
  sp_eto::cPortTextScope scope(port_, attributes_);
  return SpTextWidthLong(text, offset, count);
}

void cTextStyleRunObject::ReCalcurateRunTextWidth(const char* text) {
  pixelWidth_ = runType_ == kETO_TextRun ? GetTargetStringWidth(text, 0, byteLength_) : 0;
}

void cTextStyleRunObject::ResetFontVerticalSize() {
  GetFontInfomation(&fontInfo_);
}

void cTextStyleRunObject::GetFontInfomation(FontInfo* info) const {
  if (info == nullptr) return;
  sp_eto::cPortTextScope scope(port_, attributes_);
  GetFontInfo(info);
}

void cTextStyleRunObject::ReCalcurateRunSize(const char* text) {
  ReCalcurateRunTextWidth(text);
  ResetFontVerticalSize();
}

// ---- Splitting and merging ----

cTextStyleRunObject* cTextStyleRunObject::SplitAfter(const char* text, SInt32 n,
                                                     const char* method) {
  if (n <= 0) {
    Fail(method, 1, sp_eto::kMsgBadAddress);
    return nullptr;
  }
  if (n >= byteLength_) {
    Fail(method, 2, sp_eto::kMsgBadAddress);
    return nullptr;
  }
  if (charInfo_.twoByte && (n % 2) != 0) --n;
  if (n < 1) return nullptr;
  cTextStyleRunObject* piece = new (std::nothrow) cTextStyleRunObject(this);
  if (piece == nullptr) {
    Fail(method, 4, "Not Allocated memory");
    return nullptr;
  }
  piece->byteLength_ = byteLength_ - n;
  piece->startByte_ = startByte_ + n;
  piece->lineHeight_ = lineHeight_;
  byteLength_ = n;
  InsertAfter(piece);
  if (text != nullptr) {
    ReCalcurateRunTextWidth(text);
    piece->ReCalcurateRunTextWidth(text + n);
  }
  return piece;
}

void cTextStyleRunObject::DivideMe(const char* text, SInt32 n) {
  cTextStyleRunObject* piece = SplitAfter(text, n, "cTextStyleRunObject::DivideMe");
  if (piece == nullptr) return;
  piece->SetupReferenceNo(1);
  ResetStartCharBytePosition(1);
}

void cTextStyleRunObject::MargeNextStyleRun(unsigned char all) {
  for (cTextStyleRunObject* run = this; run != nullptr; run = run->GetNextObjectPtr()) {
    bool merged = false;
    while (run->runType_ == kETO_TextRun) {
      cTextStyleRunObject* next = run->GetNextObjectPtr();
      if (next == nullptr || next->runType_ != kETO_TextRun ||
          !SpEqualTextStyleAttribute(run->attributes_, next->attributes_) ||
          !EqualRunCharacterInfo(run->charInfo_, next->charInfo_)) {
        break;
      }
      run->byteLength_ += next->byteLength_;
      run->pixelWidth_ += next->pixelWidth_;
      delete run->TakeOutNext();
      merged = true;
    }
    if (merged) {
      run->SetupReferenceNo(1);
      run->ResetStartCharBytePosition(1);
    }
    if (!all) break;
  }
}

// ---- Run lists ----

cTextStyleRunObject* SpETO_NewTextStyleRunObject(tETO_StyleRunDataType type,
                                                 sTextStyleAttributes* attributes,
                                                 const sCharactorInfoStruct* charInfo,
                                                 GrafPtr port) {
  cTextStyleRunObject* run = new (std::nothrow) cTextStyleRunObject(type, port);
  if (run == nullptr) {
    Fail("SpETO_NewTextStyleRunObject", 1, kSpMsgMemory);
    return nullptr;
  }
  if (charInfo != nullptr) run->SetCharacterInfo(*charInfo);
  if (attributes != nullptr) run->SetupAttribute(*attributes, kETO_FontJapaneseSystem);
  return run;
}

void SpETO_CreateStyleRunObjectFromString(const char* text, GrafPtr port,
                                          sTextStyleAttributes& attributes,
                                          cTextStyleRunObject*& head, cTextStyleRunObject*& tail) {
  head = nullptr;
  tail = nullptr;
  if (text == nullptr) {
    Fail("SpETO_CreateStyleRunObjectFromString", 1, kSpMsgNullArgument);
    return;
  }
  SpETO_CreateStyleRunObjectFromBytes(text, SInt32(std::strlen(text)), port, attributes, head,
                                      tail);
}

void SpETO_CreateStyleRunObjectFromBytes(const char* text, SInt32 length, GrafPtr port,
                                         sTextStyleAttributes& attributes,
                                         cTextStyleRunObject*& head, cTextStyleRunObject*& tail) {
  static const char kMethod[] = "SpETO_CreateStyleRunObjectFromString";
  head = nullptr;
  tail = nullptr;
  if (text == nullptr || length <= 0) return;
  SetFractEnable(true);
  // Runs of one kind share their attributes and heights: they are copied from a prototype
  // made once per kind, so the font rule and the measuring of heights run once, not per run.
  cTextStyleRunObject* prototypes[3] = {nullptr, nullptr, nullptr};  // one-byte, two-byte, tab
  auto makeRun = [&](int kind, const sCharactorInfoStruct& info) -> cTextStyleRunObject* {
    if (prototypes[kind] == nullptr) {
      prototypes[kind] = SpETO_NewTextStyleRunObject(kind == 2 ? kETO_TabRun : kETO_TextRun,
                                                      &attributes, &info, port);
      if (prototypes[kind] == nullptr) return nullptr;
    }
    cTextStyleRunObject* run = new (std::nothrow) cTextStyleRunObject(prototypes[kind]);
    if (run == nullptr) return nullptr;
    run->SetCharacterInfo(info);
    return run;
  };
  cTextStyleRunObject* current = nullptr;  // the text run that grows
  bool afterTabOrBreak = false;
  bool failed = false;
  for (SInt32 i = 0; i < length && !failed;) {
    const UInt8 b = UInt8(text[i]);
    cTextStyleRunObject* run = nullptr;
    if (b == 13 || b == 10 || b == 3) {
      run = SpETO_NewTextStyleRunObject(kETO_LineBreakRun, nullptr, nullptr, port);
      afterTabOrBreak = true;
      ++i;
      failed = run == nullptr;
    } else if (b == 9) {
      run = makeRun(2, CharacterInfoAt(text + i, length - i));
      afterTabOrBreak = true;
      ++i;
      failed = run == nullptr;
    } else {
      const sCharactorInfoStruct info = CharacterInfoAt(text + i, length - i);
      const SInt32 step = info.twoByte ? 2 : 1;
      if (current != nullptr && tail == current && !afterTabOrBreak &&
          EqualRunCharacterInfo(info, current->CharacterInfo())) {
        current->CountUpStringLen(step);
      } else {
        run = makeRun(info.twoByte ? 1 : 0, info);
        failed = run == nullptr;
        if (run != nullptr) run->SetupStringLen(step);
        current = run;
      }
      afterTabOrBreak = false;
      i += step;
    }
    if (run != nullptr) SpAppendToList(head, tail, run);
  }
  for (cTextStyleRunObject* prototype : prototypes) delete prototype;
  if (failed) Fail(kMethod, 2, kSpMsgMemory);
  // Every text run has the attributes of one of the two prototypes, so the port takes a
  // style only when it changes from one run to the next.
  SInt32 position = 0;
  SInt32 number = 1;
  sp_eto::cPortTextScope scope(port, attributes);
  const sTextStyleAttributes* applied = nullptr;
  for (cTextStyleRunObject* run = head; run != nullptr; run = run->GetNextObjectPtr()) {
    run->SetStartCharBytePosition(position);
    run->SetReferenceNumber(number++);
    if (run->IsText()) {
      if (applied == nullptr || !SpEqualTextStyleAttribute(*applied, run->Attributes())) {
        scope.Apply(run->Attributes());
        applied = &run->Attributes();
      }
      run->SetStringWidth(SpTextWidthLong(text, position, run->ByteLength()));
    }
    position += run->ByteLength();
  }
}

cTextStyleRunObject* SpETO_DuplicateRunList(const cTextStyleRunObject* head) {
  cTextStyleRunObject* copyHead = nullptr;
  cTextStyleRunObject* copyTail = nullptr;
  for (const cTextStyleRunObject* run = head; run != nullptr; run = run->GetNextObjectPtr()) {
    cTextStyleRunObject* copy = run->GetCopyRun();
    if (copy == nullptr) break;
    copy->SetReferenceNumber(run->GetReferenceNo());
    copy->SetupLineHeight(run->GetLineHeight());
    SpAppendToList(copyHead, copyTail, copy);
  }
  return copyHead;
}

void SpETO_DeleteFreeRunList(cTextStyleRunObject* head) {
  SpDeleteList(head);
}

SInt32 SpETO_GetStringLenFromRunList(const cTextStyleRunObject* head, unsigned char withTab,
                                     unsigned char withLineBreak) {
  SInt32 n = 0;
  for (; head != nullptr; head = head->GetNextObjectPtr()) {
    n += head->GetTextByteLength(withTab, withLineBreak);
  }
  return n;
}

SInt32 SpETO_GetRunCountFromRunList(const cTextStyleRunObject* head) {
  SInt32 n = 0;
  for (; head != nullptr; head = head->GetNextObjectPtr()) ++n;
  return n;
}

SInt32 SpETO_GetTabCountInRunList(const cTextStyleRunObject* head) {
  SInt32 n = 0;
  for (; head != nullptr; head = head->GetNextObjectPtr()) {
    if (head->GetStyleRunDataType() == kETO_TabRun) ++n;
  }
  return n;
}

SInt32 SpETO_ExistLineBreakInRunList(const cTextStyleRunObject* head) {
  SInt32 n = 0;
  for (; head != nullptr; head = head->GetNextObjectPtr()) {
    if (head->GetStyleRunDataType() == kETO_LineBreakRun) ++n;
  }
  return n;
}

SInt32 SpETO_GetMaxByteLenInRunList(const cTextStyleRunObject* head) {
  SInt32 n = 0;
  for (; head != nullptr; head = head->GetNextObjectPtr()) {
    n = std::max(n, head->GetTextByteLength(1, 1));
  }
  return n;
}

void SpETO_SetupPixWidthInRunList(const char* text, cTextStyleRunObject* head) {
  if (text == nullptr) return;
  SInt32 position = 0;
  for (cTextStyleRunObject* run = head; run != nullptr; run = run->GetNextObjectPtr()) {
    if (run->IsText()) run->ReCalcurateRunSize(text + position);
    position += run->GetTextByteLength(1, 1);
  }
}
