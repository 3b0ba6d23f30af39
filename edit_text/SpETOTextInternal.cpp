#include "SpETOTextInternal.h"

#include <algorithm>

#include "QDText.h"
#include "SpETOTextStyleRunObject.h"

namespace sp_eto {

const char kMsgArgumentError[] = "Argument error !! ";
const char kMsgBadArea[] = "Bad area !! ";
const char kMsgBadAddress[] = "Bad address !! ";
const char kMsgAreaOver[] = "Area over error !! ";
const char kMsgOverflow[] = "overflow !! ";
const char kMsgProcessError[] = "Process Error !! ";

cPortTextScope::cPortTextScope(GrafPtr port, const sTextStyleAttributes& attributes) {
  GetPort(&savedPort_);
  port_ = (port != nullptr && IsValidPort(port)) ? port : savedPort_;
  SetPort(port_);
  font_ = GetPortTextFont(port_);
  size_ = GetPortTextSize(port_);
  mode_ = GetPortTextMode(port_);
  face_ = GetPortTextFace(port_);
  spExtra_ = GetPortSpExtra(port_);
  chExtra_ = Fixed(SInt32(GetPortChExtra(port_)) * 0x10000);
  SetFractEnable(true);
  Sp_SetCurrentPortTextStyleAttribute(attributes);
}

cPortTextScope::~cPortTextScope() {
  TextFont(font_);
  TextSize(size_);
  TextMode(mode_);
  TextFace(face_);
  SpaceExtra(spExtra_);
  CharExtra(chExtra_);
  SetPort(savedPort_);
}

void cPortTextScope::Apply(const sTextStyleAttributes& attributes) {
  Sp_SetCurrentPortTextStyleAttribute(attributes);
}

void cRunWidths::Measure(cTextStyleRunObject* run, const char* text) {
  if (run == nullptr) return;
  if (!run->IsText()) {
    run->SetStringWidth(0);
    return;
  }
  const sTextStyleAttributes& style = run->Attributes();
  if (!scope_ || run->GetGrafPort() != port_) {
    scope_.reset();
    scope_.emplace(run->GetGrafPort(), style);
    port_ = run->GetGrafPort();
    applied_ = style;
  } else if (!SpEqualTextStyleAttribute(applied_, style)) {
    scope_->Apply(style);
    applied_ = style;
  }
  run->SetStringWidth(text != nullptr ? SpTextWidthLong(text, 0, run->ByteLength()) : 0);
}

SInt32 ReadBytes(const sSO_StringObjectBase* text, SInt32 start, SInt32 count, char* out) {
  if (text == nullptr || out == nullptr || count <= 0 || start < 0) return 0;
  SInt32 position = 0;
  SInt32 copied = 0;
  for (sSO_StringItemObject* item = text->firstItem; item != nullptr && copied < count;
       item = item->next) {
    const SInt32 itemEnd = position + item->used;
    if (itemEnd > start + copied) {
      const SInt32 from = start + copied - position;
      const SInt32 k = std::min(item->used - from, count - copied);
      std::memcpy(out + copied, item->text + from, std::size_t(k));
      copied += k;
    }
    position = itemEnd;
  }
  return copied;
}

namespace {

void SetUsed(sSO_StringItemObject* item, SInt32 used) {
  item->used = used;
  item->text[used] = 0;
}

}  // namespace

bool MoveTailToFront(sSO_StringObjectBase* from, SInt32 at, sSO_StringObjectBase* to) {
  if (from == nullptr || to == nullptr || at < 0 || at >= from->length) return true;
  // Find the item holding byte `at`, counting the items kept before it.
  SInt32 position = 0;
  SInt32 keptItems = 0;
  sSO_StringItemObject* previous = nullptr;
  sSO_StringItemObject* item = from->firstItem;
  while (item != nullptr && position + item->used <= at) {
    position += item->used;
    ++keptItems;
    previous = item;
    item = item->next;
  }
  if (item == nullptr) return true;
  sSO_StringItemObject* first = item;
  sSO_StringItemObject* keptLast = previous;
  if (at > position) {
    // The item is split: its tail moves into a new item.
    sSO_StringItemObject* tail = SpSO_NewStringItemObjPtr();
    if (tail == nullptr) return false;
    const SInt32 offset = at - position;
    std::memcpy(tail->text, item->text + offset, std::size_t(item->used - offset));
    SetUsed(tail, item->used - offset);
    SetUsed(item, offset);
    tail->next = item->next;
    if (tail->next != nullptr) tail->next->previous = tail;
    if (from->lastItem == item) from->lastItem = tail;
    ++from->itemCount;
    ++keptItems;
    first = tail;
    keptLast = item;
  }
  sSO_StringItemObject* last = from->lastItem;
  const SInt32 movedItems = from->itemCount - keptItems;
  const SInt32 movedBytes = from->length - at;
  if (keptLast != nullptr) {
    keptLast->next = nullptr;
  } else {
    from->firstItem = nullptr;
  }
  from->lastItem = keptLast;
  from->itemCount = keptItems;
  from->length = at;
  // The moved chain goes in front of `to`.
  first->previous = nullptr;
  last->next = to->firstItem;
  if (to->firstItem != nullptr) {
    to->firstItem->previous = last;
  } else {
    to->lastItem = last;
  }
  to->firstItem = first;
  to->itemCount += movedItems;
  to->length += movedBytes;
  return true;
}

void MoveAllToEnd(sSO_StringObjectBase* from, sSO_StringObjectBase* to) {
  if (from == nullptr || to == nullptr || from->firstItem == nullptr) return;
  if (to->lastItem != nullptr) {
    to->lastItem->next = from->firstItem;
    from->firstItem->previous = to->lastItem;
  } else {
    to->firstItem = from->firstItem;
  }
  to->lastItem = from->lastItem;
  to->itemCount += from->itemCount;
  to->length += from->length;
  from->firstItem = nullptr;
  from->lastItem = nullptr;
  from->itemCount = 0;
  from->length = 0;
}

}  // namespace sp_eto
