#include "SpETOTextStyle.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Fonts.h"
#include "MacMemory.h"
#include "SpETOTextStyleRunObject.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpETOTextStyle";
const char kRunSource[] = "SpETOTextStyleRunObject";

// The filler byte after the face is written as 0.
constexpr UInt8 kFiller = 0;

bool SameStyle(const sETOStyleInfo& a, const sETOStyleInfo& b) {
  return a.lineHeight == b.lineHeight && a.ascent == b.ascent && a.font == b.font &&
         a.face == b.face && a.size == b.size && a.color.red == b.color.red &&
         a.color.green == b.color.green && a.color.blue == b.color.blue;
}

}  // namespace

void SpETOT_InitializeTextStyleInfo(sETOStyleInfo& info) {
  std::memset(&info, 0, sizeof info);
}

// ---- Elements ----

void cETOStyleElement::SetupFontNo(SInt16 font) {
  if (font == systemFont) {
    font_ = GetSysFont();
  } else if (font == applFont) {
    font_ = GetAppFont();
  } else {
    font_ = font;
  }
}

void cETOStyleElement::SetupTextSize(SInt16 size) {
  size_ = size < 1 ? GetDefFontSize() : size;
}

void cETOStyleElement::SetupTextColor(const RGBColor* color) {
  if (color != nullptr) color_ = *color;
}

void cETOStyleElement::GetStyleInfo(sETOStyleInfo& info) const {
  info.start = start_;
  const cETOStyleElement* next = GetNextObjectPtr();
  info.end = next != nullptr ? next->start_ - 1 : -1;
  info.lineHeight = lineHeight_;
  info.ascent = ascent_;
  info.font = font_;
  info.face = face_;
  info.filler = kFiller;
  info.size = size_;
  info.color = color_;
  if (info.end >= 0 && info.start > info.end) {
    SpReportFailure(kSource, "cETOStyleElement::GetStyleInfo", 1, kSpMsgDataError);
  }
}

// ---- Tables ----

void cETOTextStyleBase::Append(cETOStyleElement* element) {
  SpAppendToList(head_, tail_, element);
}

void cETOTextStyleBase::ClearStyleElement() {
  SpDeleteList(head_);
  head_ = nullptr;
  tail_ = nullptr;
}

unsigned char cETOTextStyleBase::SetupStyleData(const char* scrap, SInt32 size) {
  ClearStyleElement();
  if (scrap == nullptr || size < kETOStyleScrapHeaderSize) return 0;
  const UInt8* bytes = reinterpret_cast<const UInt8*>(scrap);
  const SInt32 count = SInt16(sp::LoadBE16(bytes));
  if (count <= 0) return 0;
  // Only the elements the bytes hold: a count larger than the scrap is not believed.
  const SInt32 held = (size - kETOStyleScrapHeaderSize) / kETOStyleScrapElementSize;
  const SInt32 n = std::min(count, held);
  if (n < count) {
    SpReportFailure(kSource, "cETOTextStyleBase::SetupStyleData", 3, kSpMsgDataError);
  }
  for (SInt32 k = 0; k < n; ++k) {
    const UInt8* e = bytes + kETOStyleScrapHeaderSize + k * kETOStyleScrapElementSize;
    cETOStyleElement* element = new (std::nothrow) cETOStyleElement;
    if (element == nullptr) {
      SpReportFailure(kSource, "cETOTextStyleBase::SetupStyleData", 2, kSpMsgMemory);
      return head_ != nullptr ? 1 : 0;
    }
    // A start before the text (from a damaged scrap) is taken as its first byte.
    element->SetupStartPosition(std::max<SInt32>(0, SInt32(sp::LoadBE32(e))));
    if (tail_ != nullptr) tail_->SetupEndPosition(element->GetStartPosition() - 1);
    element->SetupLineHeight(SInt16(sp::LoadBE16(e + 4)));
    element->SetupAscnt(SInt16(sp::LoadBE16(e + 6)));
    element->SetupFontNo(SInt16(sp::LoadBE16(e + 8)));
    element->SetupTextFace(e[10]);
    element->SetupTextSize(SInt16(sp::LoadBE16(e + 12)));
    const RGBColor color{sp::LoadBE16(e + 14), sp::LoadBE16(e + 16), sp::LoadBE16(e + 18)};
    element->SetupTextColor(&color);
    Append(element);
  }
  return n > 0 ? 1 : 0;
}

cETOStyleElement* cETOTextStyleBase::SetupNewStyleData(const sETOStyleInfo& info) {
  cETOStyleElement* element = new (std::nothrow) cETOStyleElement;
  if (element == nullptr) {
    return SpReportFailure(kSource, "cETOTextStyleBase::SetupNewStyleData", 1, kSpMsgMemory,
                           static_cast<cETOStyleElement*>(nullptr));
  }
  element->SetupStartPosition(info.start);
  element->SetupEndPosition(info.end);
  element->SetupLineHeight(info.lineHeight);
  element->SetupAscnt(info.ascent);
  element->SetupFontNo(info.font);
  element->SetupTextFace(info.face);
  element->SetupTextSize(info.size);
  element->SetupTextColor(&info.color);
  Append(element);
  return element;
}

SInt32 cETOTextStyleBase::GetStyleScrapDataSize() const {
  SInt32 n = 0;
  for (const cETOStyleElement* e = head_; e != nullptr; e = e->GetNextObjectPtr()) ++n;
  return n == 0 ? 0 : kETOStyleScrapHeaderSize + kETOStyleScrapElementSize * n;
}

unsigned char cETOTextStyleBase::SaveStyleScrapData(char* buffer, SInt32 size,
                                                    unsigned char& overflow) const {
  static const char kMethod[] = "cETOTextStyleBase::SaveStyleScrapData";
  overflow = 0;
  if (buffer == nullptr || size < kETOStyleScrapHeaderSize) {
    overflow = 1;
    SpReportFailure(kSource, kMethod, 1, "Required argument is nulll or Buffer overflow !! ");
    return 0;
  }
  UInt8* out = reinterpret_cast<UInt8*>(buffer);
  SInt32 room = size - kETOStyleScrapHeaderSize;
  SInt32 written = 0;
  for (const cETOStyleElement* e = head_; e != nullptr; e = e->GetNextObjectPtr()) {
    if (room < kETOStyleScrapElementSize) {
      overflow = 1;
      SpReportFailure(kSource, kMethod, 2, "Over flow !! ");
      return 0;
    }
    sETOStyleInfo info;
    e->GetStyleInfo(info);
    UInt8* p = out + kETOStyleScrapHeaderSize + written * kETOStyleScrapElementSize;
    sp::StoreBE32(p, UInt32(info.start));
    sp::StoreBE16(p + 4, UInt16(info.lineHeight));
    sp::StoreBE16(p + 6, UInt16(info.ascent));
    sp::StoreBE16(p + 8, UInt16(info.font));
    p[10] = info.face;
    p[11] = kFiller;
    sp::StoreBE16(p + 12, UInt16(info.size));
    sp::StoreBE16(p + 14, info.color.red);
    sp::StoreBE16(p + 16, info.color.green);
    sp::StoreBE16(p + 18, info.color.blue);
    room -= kETOStyleScrapElementSize;
    ++written;
  }
  sp::StoreBE16(out, UInt16(written));
  return 1;
}

char* cETOTextStyleBase::CreateStyleScrapData(SInt32& size) const {
  size = GetStyleScrapDataSize();
  if (size == 0) return nullptr;
  Ptr block = NewPtrClear(size);
  if (block == nullptr) {
    SpReportFailure(kSource, "cETOTextStyleBase::CreateStyleScrapData", 1, kSpMsgMemory);
    size = 0;
    return nullptr;
  }
  unsigned char overflow = 0;
  if (!SaveStyleScrapData(block, size, overflow)) {
    DisposePtr(block);
    size = 0;
    return nullptr;
  }
  return block;
}

// ---- Tables and runs ----

void SpETO_SetupStyleDataFromRunList(cETOTextStyleBase* table, cTextStyleRunObject* head) {
  if (table == nullptr || head == nullptr) {
    SpReportFailure(kRunSource, "SpETO_SetupStyleDataFromRunList", 0, kSpMsgNullArgument);
    return;
  }
  SInt32 position = 0;
  cETOStyleElement* current = nullptr;
  sETOStyleInfo currentInfo;
  SpETOT_InitializeTextStyleInfo(currentInfo);
  for (cTextStyleRunObject* run = head; run != nullptr; run = run->GetNextObjectPtr()) {
    const SInt32 length = run->GetTextByteLength(1, 1);
    if (length == 0) continue;
    sETOStyleInfo info;
    SpETOT_InitializeTextStyleInfo(info);
    run->GetStyleInfo(info);
    info.start = position;
    info.end = position + length - 1;
    if (current != nullptr && SameStyle(info, currentInfo)) {
      currentInfo.end += length;
      current->SetupEndPosition(currentInfo.end);
    } else {
      current = table->SetupNewStyleData(info);
      currentInfo = info;
    }
    position += length;
  }
}

void SpETO_MargeStyleDataIntoRunList(const char* text, cTextStyleRunObject* head,
                                     cETOTextStyleBase* table) {
  static const char kMethod[] = "SpETO_MargeStyleDataIntoRunList";
  if (text == nullptr || head == nullptr || table == nullptr) {
    SpReportFailure(kRunSource, kMethod, 0, kSpMsgNullArgument);
    return;
  }
  const SInt32 textLength = SpETO_GetStringLenFromRunList(head, 1, 1);
  // Every byte takes the style of the element covering it: the runs are walked once, each cut
  // where an element ends inside it, and each piece takes the style of the element holding its
  // first byte. Element starts past the text are pinned to its end (a damaged or foreign
  // scrap), and bytes before the first element keep their style.
  cTextStyleRunObject* run = head;
  SInt32 position = 0;
  for (cETOStyleElement* element = table->GetStyleElementListHeadPtr(); element != nullptr;
       element = element->GetNextObjectPtr()) {
    sETOStyleInfo info;
    element->GetStyleInfo(info);
    if (info.end >= 0 && info.start > info.end) {
      SpReportFailure(kRunSource, kMethod, 1, kSpMsgDataError);
      break;
    }
    const SInt32 start = std::clamp<SInt32>(info.start, 0, textLength);
    const SInt32 end = info.end < 0 ? textLength - 1 : std::min(info.end, textLength - 1);
    while (run != nullptr && position <= end) {
      const SInt32 length = run->GetTextByteLength(1, 1);
      const SInt32 runEnd = position + length - 1;
      if (length > 0 && runEnd >= start && position < start) {
        // The run begins before the element: its first part keeps its style.
        if (run->IsText()) {
          cTextStyleRunObject* piece = run->SplitAfter(text + position, start - position, kMethod);
          if (piece != nullptr) {
            position += run->ByteLength();
            run = piece;
            continue;
          }
        }
        position += length;
        run = run->GetNextObjectPtr();
        continue;
      }
      if (length > 0 && run->IsText() && runEnd > end) {
        run->SplitAfter(text + position, end - position + 1, kMethod);
      }
      if (length > 0 && !run->CompStyleInfoStyleAttribute(info)) run->SetupStyleInfo(info);
      position += run->GetTextByteLength(1, 1);
      run = run->GetNextObjectPtr();
    }
  }
  SInt32 number = 1;
  position = 0;
  for (cTextStyleRunObject* r = head; r != nullptr; r = r->GetNextObjectPtr()) {
    r->SetReferenceNumber(number++);
    r->SetStartCharBytePosition(position);
    position += r->ByteLength();
  }
  SpETO_SetupPixWidthInRunList(text, head);
}
