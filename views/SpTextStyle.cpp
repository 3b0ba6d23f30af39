#include "SpTextStyle.h"

#include <cstring>

#include "Script.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"

namespace {

const char kSource[] = "SpTextStyle";

const UInt8 kDefaultFlags[kSpTextStyleFlagCount] = {5, 0, 1, 0, 1, 1};
const SInt16 kDefaultColorKind = 2;
const SInt32 kMaxTextLength = 32767;

// The eight bytes of a style info in order, the plain byte first; the style bit of byte i
// (i >= 1) is 1 << (i - 1).
UInt8* StyleBytes(sTextStyleInfo& info) {
  return &info.plain;
}
const UInt8* StyleBytes(const sTextStyleInfo& info) {
  return &info.plain;
}
constexpr int kStyleByteCount = 8;

// The plain byte is set exactly when no style byte is.
void RecomputePlain(sTextStyleInfo& info) {
  const UInt8* bytes = StyleBytes(info);
  bool any = false;
  for (int i = 1; i < kStyleByteCount; ++i) any = any || bytes[i] != 0;
  info.plain = any ? 0 : 1;
}

void MakePlain(sTextStyleInfo& info) {
  Sp_InitalizeStyleInfo(info, 1);
}

// The port's font with the aliases 0 and 1 turned into the real families' numbers.
SInt16 RealFontNumber(SInt16 font) {
  if (font == systemFont) return GetSysFont();
  if (font == applFont) return GetAppFont();
  return font;
}

template <class T>
Boolean StoreIfChanged(T& field, T value) {
  if (field == value) return 0;
  field = value;
  return 1;
}

}  // namespace

// ---- The style record -----------------------------------------------------------------------

void Sp_InitializeTextStyleAttribute(sTextStyleAttributes& attributes) {
  std::memset(&attributes, 0, sizeof attributes);
  attributes.fontNo = GetSysFont();
  attributes.scriptCode = FontToScript(attributes.fontNo);
  attributes.direction = SInt8(GetSysDirection());
  attributes.size = GetDefFontSize();
  attributes.mode = srcOr;
  attributes.face = normal;
  attributes.charExtra = 0;
  attributes.spaceExtra = 0;
  std::memcpy(attributes.flags, kDefaultFlags, sizeof kDefaultFlags);
  for (sTextStyleColor& color : attributes.colors) {
    Sp_SetRGBColorByPercentage(&color.rgb, 0, 0, 0);
    color.kind = kDefaultColorKind;
  }
}

Boolean SpEqualTextStyleAttribute(const sTextStyleAttributes& a, const sTextStyleAttributes& b) {
  if (a.fontNo != b.fontNo || a.scriptCode != b.scriptCode || a.direction != b.direction ||
      a.size != b.size || a.mode != b.mode || a.face != b.face || a.charExtra != b.charExtra ||
      a.spaceExtra != b.spaceExtra) {
    return 0;
  }
  if (std::memcmp(a.flags, b.flags, sizeof a.flags) != 0) return 0;
  for (int i = 0; i < kSpTextStyleColorCount; ++i) {
    RGBColor ca = a.colors[i].rgb;
    RGBColor cb = b.colors[i].rgb;
    if (!Sp_RGBcmp(&ca, &cb)) return 0;
  }
  return 1;
}

Boolean SpChangeTextStyleAttribute(sTextStyleAttributes& attributes, tTextStyleAttType type,
                                   unsigned long value) {
  if (type == kTextStyleAttFont) {
    return StoreIfChanged(attributes.fontNo, RealFontNumber(SInt16(value)));
  }
  if (type == kTextStyleAttSize) {
    SInt16 size = SInt16(value);
    if (size == 0) size = GetDefFontSize();
    return StoreIfChanged(attributes.size, size);
  }
  if (type == kTextStyleAttFace) return StoreIfChanged(attributes.face, Style(value & 0xFF));
  if (type >= kTextStyleAttFlag1 && type <= kTextStyleAttFlag6) {
    return StoreIfChanged(attributes.flags[type - kTextStyleAttFlag1], UInt8(value & 0xFF));
  }
  if (type >= kTextStyleAttColor1 && type <= kTextStyleAttColor5) {
    const RGBColor* color = reinterpret_cast<const RGBColor*>(value);
    if (color == nullptr) return 0;
    RGBColor& stored = attributes.colors[type - kTextStyleAttColor1].rgb;
    RGBColor given = *color;
    if (Sp_RGBcmp(&stored, &given)) return 0;
    stored = given;
    return 1;
  }
  return 0;
}

void Sp_GetCurrentPortTextStyleAttribute(sTextStyleAttributes& attributes) {
  GrafPtr port = nullptr;
  GetPort(&port);
  attributes.fontNo = RealFontNumber(GetPortTextFont(port));
  attributes.face = GetPortTextFace(port);
  attributes.mode = GetPortTextMode(port);
  attributes.size = GetPortTextSize(port);
  if (attributes.size == 0) attributes.size = GetDefFontSize();
  attributes.charExtra = GetPortChExtra(port);
  attributes.spaceExtra = GetPortSpExtra(port);
  RGBColor fore = {0, 0, 0};
  GetPortForeColor(port, &fore);
  attributes.colors[0].rgb = fore;
}

void Sp_GetTargetPortTextStyleAttribute(GrafPtr port, sTextStyleAttributes& attributes) {
  if (port == nullptr) {
    SpReportFailure(kSource, "Sp_GetTargetPortTextStyleAttribute", 1, kSpMsgPointerArg);
    return;
  }
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(port);
  Sp_GetCurrentPortTextStyleAttribute(attributes);
  SetPort(saved);
}

void Sp_SetCurrentPortTextStyleAttribute(const sTextStyleAttributes& attributes) {
  GrafPtr port = nullptr;
  GetPort(&port);
  TextFont(attributes.fontNo);
  TextFace(attributes.face);
  TextMode(attributes.mode);
  TextSize(attributes.size);
  SpaceExtra(attributes.spaceExtra);
  if (IsPortColor(port)) CharExtra(Fixed(SInt32(attributes.charExtra) * 0x10000));
}

// ---- Cutting a string to a width ------------------------------------------------------------

void Sp_CutStringByWidth(const char* src, SInt16 width, SInt16 truncWhere, char* out,
                         SInt16& srcLength, SInt16& newLength, SInt16& newWidth) {
  if (src == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_CutStringByWidth", 1, kSpMsgPointerArg);
    return;
  }
  std::size_t length = std::strlen(src);
  if (length > std::size_t(kMaxTextLength)) length = kMaxTextLength;
  // The source and the buffer may be the same bytes.
  std::memmove(out, src, length);
  out[length] = '\0';
  srcLength = SInt16(length);
  newLength = SInt16(length);
  TruncText(width, out, &newLength, TruncCode(truncWhere));
  if (newLength < 0) newLength = 0;
  out[newLength] = '\0';
  newWidth = newLength > 0 ? TextWidth(out, 0, newLength) : SInt16(0);
}

void Sp_CutStringByWidth(const char* src, SInt16 width, SInt16 truncWhere, char* out) {
  SInt16 srcLength = 0, newLength = 0, newWidth = 0;
  Sp_CutStringByWidth(src, width, truncWhere, out, srcLength, newLength, newWidth);
}

void Sp_CutStringByWidthOnTargetPort(GrafPtr port, const sTextStyleAttributes* style,
                                     const char* src, SInt16 width, SInt16 truncWhere, char* out,
                                     SInt16* srcLength, SInt16* newLength, SInt16* newWidth) {
  if (port == nullptr || src == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_CutStringByWidthOnTargetPort", 1, kSpMsgPointerArg);
    return;
  }
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  SetPort(port);
  sTextStyleAttributes savedStyle;
  Sp_InitializeTextStyleAttribute(savedStyle);
  Sp_GetCurrentPortTextStyleAttribute(savedStyle);
  if (style != nullptr) Sp_SetCurrentPortTextStyleAttribute(*style);
  SInt16 length = 0, cutLength = 0, cutWidth = 0;
  Sp_CutStringByWidth(src, width, truncWhere, out, length, cutLength, cutWidth);
  if (srcLength != nullptr) *srcLength = length;
  if (newLength != nullptr) *newLength = cutLength;
  if (newWidth != nullptr) *newWidth = cutWidth;
  Sp_SetCurrentPortTextStyleAttribute(savedStyle);
  SetPort(savedPort);
}

// ---- The eight-flag form of a face ----------------------------------------------------------

void Sp_InitalizeStyleInfo(sTextStyleInfo& info, unsigned char plain) {
  std::memset(&info, 0, sizeof info);
  info.plain = plain;
}

void Sp_TextStyleToTextStyleInfo(Style style, sTextStyleInfo& info) {
  Sp_InitalizeStyleInfo(info, 0);
  if (style == normal) {
    info.plain = 1;
    return;
  }
  UInt8* bytes = StyleBytes(info);
  for (int i = 1; i < kStyleByteCount; ++i) {
    if (style & (1 << (i - 1))) bytes[i] = 1;
  }
}

void Sp_TextStyleInfoToStyle(const sTextStyleInfo& info, Style& style) {
  style = normal;
  if (info.plain) return;
  const UInt8* bytes = StyleBytes(info);
  for (int i = 1; i < kStyleByteCount; ++i) {
    if (bytes[i] != 0) style = Style(style | (1 << (i - 1)));
  }
}

void Sp_ChangeStyleInfoByChangeBitItem(sTextStyleInfo& target, const sTextStyleInfo& mask,
                                       const sTextStyleInfo& values) {
  if (mask.plain && values.plain) {
    MakePlain(target);
    return;
  }
  UInt8* bytes = StyleBytes(target);
  const UInt8* selected = StyleBytes(mask);
  const UInt8* given = StyleBytes(values);
  for (int i = 1; i < kStyleByteCount; ++i) {
    if (selected[i]) bytes[i] = given[i];
  }
  RecomputePlain(target);
}

void Sp_RevolveStyleInfo(sTextStyleInfo& target, const sTextStyleInfo& mask) {
  if (mask.plain) {
    MakePlain(target);
    return;
  }
  UInt8* bytes = StyleBytes(target);
  const UInt8* selected = StyleBytes(mask);
  for (int i = 1; i < kStyleByteCount; ++i) {
    if (selected[i]) bytes[i] = bytes[i] ? 0 : 1;
  }
  RecomputePlain(target);
}

Boolean Sp_EqualTextStyleInfo(const sTextStyleInfo& a, const sTextStyleInfo& b) {
  return std::memcmp(&a, &b, sizeof a) == 0 ? 1 : 0;
}

// ---- An owning list of style records --------------------------------------------------------

namespace {

UInt64 gAttributeListSteps = 0;

}  // namespace

UInt64 cTextAttributeList::StepsTaken() { return gAttributeListSteps; }

void cTextAttributeList::SetupNewAttribute(const sTextStyleAttributes& attributes) {
  sTextStyleAttributes* copy =
      reinterpret_cast<sTextStyleAttributes*>(NewPtrClear(Size(sizeof(sTextStyleAttributes))));
  if (copy == nullptr) {
    SpReportFailure(kSource, "cTextAttributeList::SetupNewAttribute", 1, kSpMsgMemory);
    return;
  }
  *copy = attributes;
  const SInt32 before = records_.GetNumberOfItem();
  records_.SetValue(-1, reinterpret_cast<unsigned long>(copy));
  if (records_.GetNumberOfItem() == before) {
    DisposePtr(reinterpret_cast<Ptr>(copy));
    SpReportFailure(kSource, "cTextAttributeList::SetupNewAttribute", 2, kSpMsgMemory);
    return;
  }
  last_ = copy;
  // The first record of an empty list becomes the collection's reading position.
  if (before == 0) readIndex_ = 1;
}

const sTextStyleAttributes* cTextAttributeList::Record(SInt32 index) const {
  if (index == records_.GetNumberOfItem()) return last_;
  if (readIndex_ < 1 || index < readIndex_) {
    records_.InitialSetupSequentialReference();
    readIndex_ = 1;
  }
  unsigned long value = 0;
  for (; readIndex_ < index; ++readIndex_) {
    ++gAttributeListSteps;
    records_.GetCurrentItemOnSequentialRef(value, 1);
  }
  if (!records_.GetCurrentItemOnSequentialRef(value, 0)) return nullptr;
  return reinterpret_cast<const sTextStyleAttributes*>(value);
}

Boolean cTextAttributeList::GetNumAttribute(SInt32 index, sTextStyleAttributes& attributes) const {
  const sTextStyleAttributes* record =
      index >= 1 && index <= records_.GetNumberOfItem() ? Record(index) : nullptr;
  if (record == nullptr) {
    Sp_InitializeTextStyleAttribute(attributes);
    return 0;
  }
  attributes = *record;
  return 1;
}

void cTextAttributeList::ClearItem() {
  records_.InitialSetupSequentialReference();
  unsigned long value = 0;
  while (records_.GetCurrentItemOnSequentialRef(value, 1)) {
    ++gAttributeListSteps;
    if (value != 0) DisposePtr(reinterpret_cast<Ptr>(value));
  }
  records_.ClearAllListItem();
  readIndex_ = 0;
  last_ = nullptr;
}

// ---- The tallest line over several styles ---------------------------------------------------

cTextMaxHeightAnalizeItemObject::cTextMaxHeightAnalizeItemObject(
    GrafPtr port, const sTextStyleAttributes& attributes)
    : port_(port), attributes_(attributes), fontInfo_{0, 0, 0, 0} {}

void cTextMaxHeightAnalizeItemObject::MeasureFontInfo() {
  if (port_ == nullptr) {
    SpReportFailure(kSource, "cTextMaxHeightAnalizeItemObject::MeasureFontInfo", 1,
                    kSpMsgDataError);
    return;
  }
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  SetPort(port_);
  sTextStyleAttributes savedStyle;
  Sp_InitializeTextStyleAttribute(savedStyle);
  Sp_GetCurrentPortTextStyleAttribute(savedStyle);
  Sp_SetCurrentPortTextStyleAttribute(attributes_);
  ::GetFontInfo(&fontInfo_);
  Sp_SetCurrentPortTextStyleAttribute(savedStyle);
  SetPort(savedPort);
}

SInt16 cTextMaxHeightAnalizeItemObject::GetHeight(unsigned char ascent, unsigned char descent,
                                                  unsigned char leading) const {
  SInt32 height = 0;
  if (ascent) height += fontInfo_.ascent;
  if (descent) height += fontInfo_.descent;
  if (leading) height += fontInfo_.leading;
  return SInt16(height);
}

void cTextMaxHeightAnalizeObject::SetupNewItemAttribute(const sTextStyleAttributes& attributes) {
  cTextMaxHeightAnalizeItemObject* item =
      new (std::nothrow) cTextMaxHeightAnalizeItemObject(port_, attributes);
  if (item == nullptr) {
    SpReportFailure(kSource, "cTextMaxHeightAnalizeObject::SetupNewItemAttribute", 1, kSpMsgMemory);
    return;
  }
  item->MeasureFontInfo();
  if (tail_ == nullptr) {
    head_ = item;
  } else {
    tail_->LinkToNext(item);
  }
  tail_ = item;
}

SInt16 cTextMaxHeightAnalizeObject::GetMaxHeight(unsigned char ascent, unsigned char descent,
                                                 unsigned char leading, SInt16* index) const {
  SInt16 best = 0;
  SInt16 bestIndex = 0;
  SInt16 position = 0;
  for (cTextMaxHeightAnalizeItemObject* item = head_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    ++position;
    const SInt16 height = item->GetHeight(ascent, descent, leading);
    if (bestIndex == 0 || height > best) {
      best = height;
      bestIndex = position;
    }
  }
  if (index != nullptr) *index = bestIndex;
  return best;
}

Boolean cTextMaxHeightAnalizeObject::GetTargetItemHeight(SInt16 position, SInt16& height,
                                                         unsigned char ascent,
                                                         unsigned char descent,
                                                         unsigned char leading) const {
  height = 0;
  if (position < 1) return 0;
  SInt16 at = 1;
  for (cTextMaxHeightAnalizeItemObject* item = head_; item != nullptr;
       item = item->GetNextObjectPtr(), ++at) {
    if (at == position) {
      height = item->GetHeight(ascent, descent, leading);
      return 1;
    }
  }
  return 0;
}

Boolean cTextMaxHeightAnalizeObject::GetCurrentIndexItemHeight(SInt16& height, unsigned char ascent,
                                                               unsigned char descent,
                                                               unsigned char leading) {
  if (cursor_ == nullptr) {
    height = 0;
    return 0;
  }
  height = cursor_->GetHeight(ascent, descent, leading);
  cursor_ = cursor_->GetNextObjectPtr();
  return 1;
}

void cTextMaxHeightAnalizeObject::WipeoutItem() {
  while (head_ != nullptr) {
    cTextMaxHeightAnalizeItemObject* next = head_->GetNextObjectPtr();
    head_->UnlinkFromList();
    delete head_;
    head_ = next;
  }
  tail_ = nullptr;
  // The reading position went with its item.
  cursor_ = nullptr;
}
