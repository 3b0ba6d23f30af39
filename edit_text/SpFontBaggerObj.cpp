#include "SpFontBaggerObj.h"

#include <cstring>

#include "Fonts.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpFontBaggerObj";

void Fail(const char* method, SInt32 code, const char* message) {
  SpReportFailure(kSource, method, code, message);
}

}  // namespace

cFontBaggerItem::cFontBaggerItem(SInt32 fontId) : fontId_(fontId), currentId_(fontId) {
  NameFromSystem(fontId);
}

cFontBaggerItem::cFontBaggerItem(SInt32 fontId, const char* fontName)
    : fontId_(fontId), currentId_(fontId) {
  if (fontName == nullptr) {
    Fail("cFontBaggerItem::cFontBaggerItem", 1, kSpMsgNullArgument);
    NameFromSystem(fontId);
    return;
  }
  const std::size_t n = strnlen(fontName, kFontBaggerNameSize - 1);
  std::memcpy(name_, fontName, n);
  name_[n] = 0;
  Str255 pascal;
  const std::size_t k = n > 255 ? 255 : n;
  pascal[0] = UInt8(k);
  std::memcpy(pascal + 1, fontName, k);
  SInt16 number = 0;
  GetFNum(pascal, &number);
  currentId_ = number;
}

void cFontBaggerItem::NameFromSystem(SInt32 fontId) {
  Str255 pascal;
  SInt16 number = SInt16(fontId);
  if (fontId == systemFont) number = GetSysFont();
  if (fontId == applFont) number = GetAppFont();
  GetFontName(number, pascal);
  std::memcpy(name_, pascal + 1, pascal[0]);
  name_[pascal[0]] = 0;
}

void cFontBaggerItem::GetInfo(SInt32& fontId, char* nameOut) const {
  fontId = fontId_;
  if (nameOut == nullptr) {
    Fail("cFontBaggerItem::GetInfo", 1, kSpMsgNullArgument);
    return;
  }
  std::memcpy(nameOut, name_, sizeof name_);
}

cFontBagger::~cFontBagger() {
  SpDeleteList(first_);
  first_ = nullptr;
  last_ = nullptr;
  count_ = 0;
}

void cFontBagger::Insert(cFontBaggerItem* item) {
  cFontBaggerItem* smaller = nullptr;
  for (cFontBaggerItem* i = first_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i->GetFontId() == item->GetFontId()) {
      delete item;
      return;
    }
    if (i->GetFontId() < item->GetFontId()) smaller = i;
  }
  if (first_ == nullptr) {
    first_ = last_ = item;
  } else if (smaller != nullptr) {
    cFontBaggerItem* after = smaller->UnlinkNext();
    smaller->LinkToNext(item);
    if (after != nullptr) item->LinkToNext(after);
    last_ = first_->GetLastObjectPtr();
  } else {
    item->LinkToNext(first_);
    first_ = item;
  }
  ++count_;
}

void cFontBagger::RegisterFontId(SInt32 fontId) {
  for (cFontBaggerItem* i = first_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i->IsEquralFontId(fontId)) return;
  }
  cFontBaggerItem* item = new (std::nothrow) cFontBaggerItem(fontId);
  if (item == nullptr) {
    Fail("cFontBagger::RegisterFontId", 1, kSpMsgMemory);
    return;
  }
  Insert(item);
}

void cFontBagger::RegisterFontIdAndName(SInt32 fontId, const char* fontName) {
  if (fontName == nullptr) {
    Fail("cFontBagger::RegisterFontIdAndName", 1, kSpMsgNullArgument);
    return;
  }
  for (cFontBaggerItem* i = first_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i->IsEquralFontId(fontId)) return;
  }
  cFontBaggerItem* item = new (std::nothrow) cFontBaggerItem(fontId, fontName);
  if (item == nullptr) {
    Fail("cFontBagger::RegisterFontIdAndName", 2, kSpMsgMemory);
    return;
  }
  Insert(item);
}

unsigned char cFontBagger::ChangeTargeFontIdToCurrentSysId(SInt32 recordedId,
                                                           SInt32& currentId) const {
  for (const cFontBaggerItem* i = first_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i->IsEquralFontId(recordedId)) {
      currentId = i->GetCurrentSysFontId();
      return 1;
    }
  }
  return 0;
}
