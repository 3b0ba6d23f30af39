#include "SpETOTextStyleRunObject.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "Fnv1a.h"
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

// A distinct character information, with the key by which runs are cut: characters of equal
// type, orientation, direction, case and byte width share a run (their classes may differ).
struct CharClass {
  sCharactorInfoStruct info;
  UInt64 runKey;
  std::size_t id;  // from 0, in the order the classes were met
};

UInt64 RunKey(const sCharactorInfoStruct& c) {
  return UInt64(c.charType) | UInt64(UInt8(c.horizontal)) << 16 |
         UInt64(UInt8(c.rightToLeft)) << 24 | UInt64(UInt8(c.upperCase)) << 32 |
         UInt64(UInt8(c.twoByte)) << 40;
}

bool SameCharacterInfo(const sCharactorInfoStruct& a, const sCharactorInfoStruct& b);

// The class of an information: each distinct one is held once, so that runs of one class can
// share what they are made of.
const CharClass* ClassOf(const sCharactorInfoStruct& info) {
  static std::deque<CharClass> classes;
  for (const CharClass& c : classes) {
    if (SameCharacterInfo(c.info, info)) return &c;
  }
  classes.push_back(CharClass{info, RunKey(info), classes.size()});
  return &classes.back();
}

// The class of the character at text[0], of which `remaining` bytes are there: a lead byte
// without its second byte is a one-byte character. The information of a character never
// changes, so it is looked up once per character code and kept.
const CharClass& CharacterClassAt(const char* text, SInt32 remaining) {
  static std::vector<const CharClass*> oneByte(256, nullptr);
  static std::vector<const CharClass*> twoByte;  // by lead byte and trail byte, made on first use
  static const CharClass* loneLead = nullptr;
  const UInt8 b = UInt8(text[0]);
  const bool lead = sp_eto::IsLeadByte(b);
  if (lead && remaining < 2) {
    if (loneLead == nullptr) {
      sCharactorInfoStruct info;
      Sp_GetCharacterInfo(' ', info);
      info.charType = smCharPunct;
      info.charClass = smPunctNormal;
      loneLead = ClassOf(info);
    }
    return *loneLead;
  }
  const CharClass** entry = nullptr;
  if (lead) {
    if (twoByte.empty()) twoByte.assign(65536, nullptr);
    entry = &twoByte[std::size_t(b) << 8 | UInt8(text[1])];
  } else {
    entry = &oneByte[b];
  }
  if (*entry == nullptr) {
    sCharactorInfoStruct info;
    Sp_GetCharacterInfo(text, 0, info);
    *entry = ClassOf(info);
  }
  return **entry;
}

// ---- Shared style records ----

bool SameAttributes(const sTextStyleAttributes& a, const sTextStyleAttributes& b) {
  if (a.fontNo != b.fontNo || a.scriptCode != b.scriptCode || a.direction != b.direction ||
      a.size != b.size || a.mode != b.mode || a.face != b.face || a.charExtra != b.charExtra ||
      a.spaceExtra != b.spaceExtra) {
    return false;
  }
  for (int i = 0; i < kSpTextStyleFlagCount; ++i) {
    if (a.flags[i] != b.flags[i]) return false;
  }
  for (int i = 0; i < kSpTextStyleColorCount; ++i) {
    const sTextStyleColor& x = a.colors[i];
    const sTextStyleColor& y = b.colors[i];
    if (x.rgb.red != y.rgb.red || x.rgb.green != y.rgb.green || x.rgb.blue != y.rgb.blue ||
        x.kind != y.kind) {
      return false;
    }
  }
  return true;
}

bool SameCharacterInfo(const sCharactorInfoStruct& a, const sCharactorInfoStruct& b) {
  return a.charType == b.charType && a.charClass == b.charClass &&
         a.horizontal == b.horizontal && a.orientationBits == b.orientationBits &&
         a.rightToLeft == b.rightToLeft && a.rightToLeftBits == b.rightToLeftBits &&
         a.upperCase == b.upperCase && a.upperCaseBits == b.upperCaseBits &&
         a.twoByte == b.twoByte && a.twoByteBits == b.twoByteBits;
}

// FNV-1a over the fields (never over padding, which holds anything).
class cFieldHash {
 public:
  void Add(UInt32 v) {
    const UInt8 bytes[4] = {UInt8(v), UInt8(v >> 8), UInt8(v >> 16), UInt8(v >> 24)};
    h_ = sp::Fnv1a32(bytes, sizeof bytes, h_);
  }
  UInt32 Value() const { return h_; }

 private:
  UInt32 h_ = sp::kFnv1a32Basis;
};

UInt32 HashStyle(const sTextStyleAttributes& a, const sCharactorInfoStruct& c) {
  cFieldHash h;
  h.Add(UInt16(a.fontNo) | UInt32(UInt16(a.scriptCode)) << 16);
  h.Add(UInt8(a.direction) | UInt32(UInt16(a.size)) << 8 | UInt32(a.face) << 24);
  h.Add(UInt16(a.mode) | UInt32(UInt16(a.charExtra)) << 16);
  h.Add(UInt32(a.spaceExtra));
  for (int i = 0; i < kSpTextStyleFlagCount; ++i) h.Add(a.flags[i]);
  for (const sTextStyleColor& color : a.colors) {
    h.Add(color.rgb.red | UInt32(color.rgb.green) << 16);
    h.Add(color.rgb.blue | UInt32(UInt16(color.kind)) << 16);
  }
  h.Add(c.charType | UInt32(c.charClass) << 16);
  h.Add(c.orientationBits | UInt32(c.rightToLeftBits) << 16);
  h.Add(c.upperCaseBits | UInt32(c.twoByteBits) << 16);
  h.Add(UInt32(c.horizontal) | UInt32(c.rightToLeft) << 8 | UInt32(c.upperCase) << 16 |
        UInt32(c.twoByte) << 24);
  return h.Value();
}

// The records in use, found by their fields. Single-threaded, as the whole text model is.
class cRunStyleTable {
 public:
  // The record of these fields, counted as taken once more; the permanent record (reported)
  // when a new one cannot be had.
  const sETORunStyle* Take(const sTextStyleAttributes& a, const sCharactorInfoStruct& c) {
    const UInt32 hash = HashStyle(a, c);
    if (!buckets_.empty()) {
      for (sETORunStyle* e = buckets_[hash & (buckets_.size() - 1)]; e != nullptr;
           e = e->nextInBucket) {
        if (e->hash == hash && SameAttributes(e->attributes, a) &&
            SameCharacterInfo(e->charInfo, c)) {
          ++e->references;
          return e;
        }
      }
    }
    static UInt64 serials = 0;
    sETORunStyle* e = new (std::nothrow) sETORunStyle{a, c, hash, 1, nullptr, ++serials};
    if (e == nullptr) {
      Fail("cTextStyleRunObject::SetStyle", 1, kSpMsgMemory);
      return Permanent();
    }
    if (count_ >= buckets_.size()) Grow();
    Link(e);
    ++count_;
    return e;
  }

  static const sETORunStyle* Again(const sETORunStyle* style) {
    if (style->references >= 0) ++const_cast<sETORunStyle*>(style)->references;
    return style;
  }

  void Release(const sETORunStyle* style) {
    if (style == nullptr || style->references < 0) return;
    sETORunStyle* e = const_cast<sETORunStyle*>(style);
    if (--e->references > 0) return;
    sETORunStyle** link = &buckets_[e->hash & (buckets_.size() - 1)];
    while (*link != e) link = &(*link)->nextInBucket;
    *link = e->nextInBucket;
    --count_;
    delete e;
  }

 private:
  static const sETORunStyle* Permanent() {
    static sETORunStyle permanent = [] {
      sETORunStyle p{};
      Sp_InitializeTextStyleAttribute(p.attributes);
      p.references = -1;
      return p;
    }();
    return &permanent;
  }

  void Link(sETORunStyle* e) {
    sETORunStyle*& head = buckets_[e->hash & (buckets_.size() - 1)];
    e->nextInBucket = head;
    head = e;
  }

  void Grow() {
    std::vector<sETORunStyle*> old;
    old.swap(buckets_);
    buckets_.assign(old.empty() ? 64 : old.size() * 2, nullptr);
    for (sETORunStyle* chain : old) {
      while (chain != nullptr) {
        sETORunStyle* next = chain->nextInBucket;
        Link(chain);
        chain = next;
      }
    }
  }

  std::vector<sETORunStyle*> buckets_;  // a power of two of chains
  std::size_t count_ = 0;
};

// Made once and never destroyed, so a run that outlives the program's static objects can
// still let go of its record.
cRunStyleTable& RunStyles() {
  static cRunStyleTable* table = new cRunStyleTable;
  return *table;
}

// The changes of attribute remembered while restyle scopes last: from which record, by which
// change, to which record, with that record's font heights. Each entry holds a reference to
// both records, so neither goes (and no other record takes its address) while it is known.
class cRestyleMemo {
 public:
  struct Entry {
    const sETORunStyle* from;
    tTextStyleAttType type;
    unsigned long value;
    const sETORunStyle* to;
    FontInfo heights;
  };

  void Open() { ++depth_; }
  void Close() {
    if (depth_ > 0 && --depth_ == 0) {
      for (std::size_t i = 0; i < used_; ++i) Forget(entries_[i]);
      used_ = 0;
      next_ = 0;
    }
  }

  const Entry* Find(const sETORunStyle* from, tTextStyleAttType type, unsigned long value) const {
    for (std::size_t i = 0; i < used_; ++i) {
      const Entry& e = entries_[i];
      if (e.from == from && e.type == type && e.value == value) return &e;
    }
    return nullptr;
  }

  // Keeps the change while a scope is open (true); `from` comes with a reference of its own,
  // which the memo then holds. False, and nothing kept, without an open scope.
  bool Remember(const sETORunStyle* from, tTextStyleAttType type, unsigned long value,
                const sETORunStyle* to, const FontInfo& heights) {
    if (depth_ == 0) return false;
    Entry& e = entries_[next_];
    if (next_ < used_) Forget(e);
    e = Entry{from, type, value, cRunStyleTable::Again(to), heights};
    next_ = (next_ + 1) % kEntries;
    used_ = std::max(used_, next_ == 0 ? kEntries : next_);
    return true;
  }

 private:
  static void Forget(const Entry& e) {
    RunStyles().Release(e.from);
    RunStyles().Release(e.to);
  }

  static constexpr std::size_t kEntries = 16;
  Entry entries_[kEntries] = {};
  std::size_t used_ = 0;
  std::size_t next_ = 0;
  int depth_ = 0;
};

cRestyleMemo& Restyles() {
  static cRestyleMemo* memo = new cRestyleMemo;
  return *memo;
}

}  // namespace

cETORestyleScope::cETORestyleScope() {
  Restyles().Open();
}

cETORestyleScope::~cETORestyleScope() {
  Restyles().Close();
}

// ---- Construction ----

static_assert(sizeof(cTextStyleRunObject) <= sp_eto::kRunSlotBytes, "a run fits one slot");

void* cTextStyleRunObject::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return sp_eto::TakeRunSlot(size);
}

void cTextStyleRunObject::operator delete(void* p) noexcept {
  sp_eto::GiveRunSlot(p);
}

void cTextStyleRunObject::operator delete(void* p, const std::nothrow_t&) noexcept {
  sp_eto::GiveRunSlot(p);
}

void cTextStyleRunObject::SetStyle(const sTextStyleAttributes& attributes,
                                   const sCharactorInfoStruct& charInfo) {
  const sETORunStyle* old = style_;
  style_ = RunStyles().Take(attributes, charInfo);
  RunStyles().Release(old);
}

void cTextStyleRunObject::Clear() {
  referenceNo_ = 0;
  runType_ = kETO_TextRun;
  port_ = nullptr;
  startByte_ = 0;
  byteLength_ = 0;
  sTextStyleAttributes attributes;
  Sp_InitializeTextStyleAttribute(attributes);
  sCharactorInfoStruct charInfo;
  std::memset(&charInfo, 0, sizeof charInfo);
  SetStyle(attributes, charInfo);
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

cTextStyleRunObject::~cTextStyleRunObject() {
  RunStyles().Release(style_);
}

cTextStyleRunObject::cTextStyleRunObject(const sSp_StyleRunInfo& info, GrafPtr port) {
  Clear();
  runType_ = info.runType;
  port_ = port;
  startByte_ = info.startByte;
  byteLength_ = info.byteLength;
  SetStyle(info.attributes, info.charInfo);
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
  if (style_ != other->style_) {
    const sETORunStyle* old = style_;
    style_ = cRunStyleTable::Again(other->style_);
    RunStyles().Release(old);
  }
  pixelWidth_ = other->pixelWidth_;
  fontInfo_ = other->fontInfo_;
}

void cTextStyleRunObject::GetRunInformation(sSp_StyleRunInfo& info) const {
  info.runType = runType_;
  info.startByte = startByte_;
  info.byteLength = byteLength_;
  info.attributes = style_->attributes;
  info.charInfo = style_->charInfo;
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
  attributes = style_->attributes;
}

void cTextStyleRunObject::SetupAttribute(sTextStyleAttributes& attributes,
                                         tETO_AttributeFontSetupType setupType) {
  if (FontToScript(attributes.fontNo) == smRoman && style_->charInfo.twoByte) {
    switch (setupType) {
      case kETO_FontJapaneseSystem:
        attributes.fontNo = SInt16(GetScriptVariable(smJapanese, smScriptSysFond));
        break;
      case kETO_FontJapaneseApplication:
        attributes.fontNo = SInt16(GetScriptVariable(smJapanese, smScriptAppFond));
        break;
      case kETO_FontKeepCurrent:
        attributes.fontNo = style_->attributes.fontNo;
        break;
      default:
        break;
    }
  }
  SetStyle(attributes, style_->charInfo);
  ResetFontVerticalSize();
}

unsigned char cTextStyleRunObject::ChangeAttribute(tTextStyleAttType type, unsigned long value) {
  if (type == kTextStyleAttFont && style_->charInfo.twoByte &&
      FontToScript(SInt16(value)) == smRoman) {
    return 0;
  }
  if (const cRestyleMemo::Entry* known = Restyles().Find(style_, type, value)) {
    if (known->to == style_) return 0;
    const sETORunStyle* old = style_;
    style_ = cRunStyleTable::Again(known->to);
    RunStyles().Release(old);
    fontInfo_ = known->heights;
    return 1;
  }
  const sETORunStyle* from = cRunStyleTable::Again(style_);
  sTextStyleAttributes attributes = style_->attributes;
  const bool changes = SpChangeTextStyleAttribute(attributes, type, value) != 0;
  if (changes) {
    SetStyle(attributes, style_->charInfo);
    ResetFontVerticalSize();
  }
  if (!Restyles().Remember(from, type, value, style_, fontInfo_)) RunStyles().Release(from);
  return changes ? 1 : 0;
}

void cTextStyleRunObject::SetupTextColor(const RGBColor& color, SInt16 kind) {
  sTextStyleAttributes attributes = style_->attributes;
  attributes.colors[0].rgb = color;
  attributes.colors[0].kind = kind;
  SetStyle(attributes, style_->charInfo);
}

void cTextStyleRunObject::GetTextColor(RGBColor& color, SInt16& kind) const {
  color = style_->attributes.colors[0].rgb;
  kind = style_->attributes.colors[0].kind;
}

void cTextStyleRunObject::GetStyleInfo(sETOStyleInfo& info) const {
  info.lineHeight = lineHeight_;
  info.ascent = fontInfo_.ascent;
  info.font = style_->attributes.fontNo;
  info.face = style_->attributes.face;
  info.size = style_->attributes.size;
  info.color = style_->attributes.colors[0].rgb;
}

void cTextStyleRunObject::SetupStyleInfo(const sETOStyleInfo& info) {
  sTextStyleAttributes attributes = style_->attributes;
  attributes.fontNo = info.font;
  attributes.face = info.face;
  attributes.size = info.size;
  attributes.colors[0].rgb = info.color;
  SetStyle(attributes, style_->charInfo);
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
  sTextStyleAttributes attributes = style_->attributes;
  attributes.direction = SInt8(info.rightToLeft ? 1 : 0);
  SetStyle(attributes, info);
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
  sp_eto::cPortTextScope scope(port_, style_->attributes);
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
  sp_eto::cPortTextScope scope(port_, style_->attributes);
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
  if (style_->charInfo.twoByte && (n % 2) != 0) --n;
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
  if (text != nullptr && runType_ == kETO_TextRun) {
    // Both pieces in one style: the port takes it once.
    sp_eto::cPortTextScope scope(port_, style_->attributes);
    pixelWidth_ = SpTextWidthLong(text, 0, byteLength_);
    piece->pixelWidth_ = SpTextWidthLong(text + n, 0, piece->byteLength_);
  } else if (text != nullptr) {
    pixelWidth_ = 0;
    piece->pixelWidth_ = 0;
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
          !(run->SharesStyleWith(next) ||
            (SpEqualTextStyleAttribute(run->Attributes(), next->Attributes()) &&
             EqualRunCharacterInfo(run->CharacterInfo(), next->CharacterInfo())))) {
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

namespace {

// Makes the runs of one text in one style. Runs of one kind share their attributes and
// heights, so each kind's first run is copied from a prototype on which the font rule and the
// measuring of heights ran once; the first run of each character class is such a copy given
// the class, and later runs of the class are copies of that first run, taking its shared
// style record as it is.
class cRunMaker {
 public:
  cRunMaker(GrafPtr port, sTextStyleAttributes& attributes)
      : port_(port), attributes_(attributes) {}
  ~cRunMaker() {
    for (cTextStyleRunObject* prototype : prototypes_) delete prototype;
  }
  cRunMaker(const cRunMaker&) = delete;
  cRunMaker& operator=(const cRunMaker&) = delete;

  cTextStyleRunObject* Text(const CharClass& c) { return Make(c.info.twoByte ? 1 : 0, c); }
  cTextStyleRunObject* Tab(const CharClass& c) { return Make(2, c); }

  // A line-break run in the default style; the first one is made and measured, the others are
  // copies of it.
  cTextStyleRunObject* LineBreak() {
    if (lineBreak_ == nullptr) {
      lineBreak_ = SpETO_NewTextStyleRunObject(kETO_LineBreakRun, nullptr, nullptr, port_);
      return lineBreak_;
    }
    cTextStyleRunObject* run = new (std::nothrow) cTextStyleRunObject(lineBreak_);
    if (run == nullptr) Fail("SpETO_NewTextStyleRunObject", 1, kSpMsgMemory);
    return run;
  }

 private:
  // kind: 0 one-byte text, 1 two-byte text, 2 tab.
  cTextStyleRunObject* Make(int kind, const CharClass& c) {
    std::vector<cTextStyleRunObject*>& firsts = firstOfClass_[kind];
    if (c.id < firsts.size() && firsts[c.id] != nullptr) {
      return new (std::nothrow) cTextStyleRunObject(firsts[c.id]);
    }
    if (prototypes_[kind] == nullptr) {
      prototypes_[kind] = SpETO_NewTextStyleRunObject(kind == 2 ? kETO_TabRun : kETO_TextRun,
                                                      &attributes_, &c.info, port_);
      if (prototypes_[kind] == nullptr) return nullptr;
    }
    cTextStyleRunObject* run = new (std::nothrow) cTextStyleRunObject(prototypes_[kind]);
    if (run == nullptr) return nullptr;
    run->SetCharacterInfo(c.info);
    if (firsts.size() <= c.id) firsts.resize(c.id + 1, nullptr);
    firsts[c.id] = run;
    return run;
  }

  GrafPtr port_;
  sTextStyleAttributes& attributes_;
  cTextStyleRunObject* prototypes_[3] = {nullptr, nullptr, nullptr};
  std::vector<cTextStyleRunObject*> firstOfClass_[3];  // runs of the list, by class
  cTextStyleRunObject* lineBreak_ = nullptr;            // a run of the list
};

}  // namespace

void SpETO_CreateStyleRunObjectFromBytes(const char* text, SInt32 length, GrafPtr port,
                                         sTextStyleAttributes& attributes,
                                         cTextStyleRunObject*& head, cTextStyleRunObject*& tail) {
  static const char kMethod[] = "SpETO_CreateStyleRunObjectFromString";
  head = nullptr;
  tail = nullptr;
  if (text == nullptr || length <= 0) return;
  SetFractEnable(true);
  cRunMaker maker(port, attributes);
  // A text run is measured when it stops growing, in one walk over the text; the port takes
  // a style only when it changes from one text run to the next (runs of one kind share it).
  // Runs of different kinds hold different records of equal attributes: the records found
  // equal to the applied style are remembered, so each is compared once.
  sp_eto::cPortTextScope scope(port, attributes);
  const sTextStyleAttributes* applied = nullptr;
  std::vector<const sTextStyleAttributes*> equalToApplied;
  cTextStyleRunObject* current = nullptr;  // the text run that grows
  UInt64 currentKey = 0;
  auto measureCurrent = [&] {
    if (current == nullptr) return;
    const sTextStyleAttributes& style = current->Attributes();
    if (applied == nullptr ||
        std::find(equalToApplied.begin(), equalToApplied.end(), &style) == equalToApplied.end()) {
      if (applied == nullptr || !SpEqualTextStyleAttribute(*applied, style)) {
        scope.Apply(style);
        applied = &style;
        equalToApplied.clear();
      }
      equalToApplied.push_back(&style);
    }
    current->SetStringWidth(
        SpTextWidthLong(text, current->GetStartCharBytePosition(), current->ByteLength()));
    current = nullptr;
  };
  SInt32 number = 1;
  bool failed = false;
  for (SInt32 i = 0; i < length;) {
    const UInt8 b = UInt8(text[i]);
    const SInt32 start = i;
    cTextStyleRunObject* run = nullptr;
    if (b == 13 || b == 10 || b == 3) {
      measureCurrent();
      run = maker.LineBreak();
      ++i;
    } else if (b == 9) {
      measureCurrent();
      run = maker.Tab(CharacterClassAt(text + i, length - i));
      ++i;
    } else {
      const CharClass& c = CharacterClassAt(text + i, length - i);
      const SInt32 step = c.info.twoByte ? 2 : 1;
      i += step;
      if (current != nullptr && c.runKey == currentKey) {
        current->CountUpStringLen(step);
        continue;
      }
      measureCurrent();
      run = maker.Text(c);
      if (run != nullptr) {
        run->SetupStringLen(step);
        current = run;
        currentKey = c.runKey;
      }
    }
    if (run == nullptr) {
      failed = true;
      break;
    }
    run->SetStartCharBytePosition(start);
    run->SetReferenceNumber(number++);
    SpAppendToList(head, tail, run);
  }
  measureCurrent();
  if (failed) Fail(kMethod, 2, kSpMsgMemory);
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
