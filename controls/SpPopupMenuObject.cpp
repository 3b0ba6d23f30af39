// The popup menu's items and the operations of its item list: inserting, numbering,
// searching and selecting, and the menu's settings.
#include "SpPopupMenuObject.h"

#include <cstring>
#include <new>

#include "Fonts.h"
#include "QDText.h"
#include "SpErrorInfoSystem.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpPopupMenuObject";

bool IsSeparatorName(const char* name) {
  return name[0] == '-' && name[1] == '\0';
}

}  // namespace

// ---- cSp_PopupItemObj -----------------------------------------------------------------------

cSp_PopupItemObj::cSp_PopupItemObj(const char* name) {
  if (name == nullptr) return;
  // Cut on a character boundary, so a long Japanese name never ends in half a character.
  Sp_CutStringByByteLen(name, short(nameCapacity_ - 1), name_);
  separator_ = IsSeparatorName(name_) ? 1 : 0;
}

void cSp_PopupItemObj::GetItemName(char* buffer, SInt32 size, unsigned char* truncated) const {
  if (buffer == nullptr || size <= 0) {
    SpReportFailure(kSource, "cSp_PopupItemObj::GetItemName", 1, kSpMsgNullArgument);
    return;
  }
  const SInt32 room = size - 2;
  const SInt32 length = SInt32(std::strlen(name_));
  if (length > room) {
    if (room > 0) {
      Sp_CutStringByByteLen(name_, short(room), buffer);
    } else {
      buffer[0] = '\0';
    }
    if (truncated != nullptr) *truncated = 1;
    return;
  }
  std::memcpy(buffer, name_, std::size_t(length) + 1);
  if (truncated != nullptr) *truncated = 0;
}

short cSp_PopupItemObj::CmpItemName(const char* name) const {
  if (name == nullptr) return -1;
  const int c = std::strcmp(name, name_);
  return short(c < 0 ? -1 : (c > 0 ? 1 : 0));
}

void cSp_PopupItemObj::SetupNormalPosition(short top, short bottom) {
  listTop_ = top;
  listBottom_ = bottom;
}

void cSp_PopupItemObj::GetNormalPosition(short& top, short& bottom) const {
  top = listTop_;
  bottom = listBottom_;
}

void cSp_PopupItemObj::SetupItemNo(unsigned char onward) {
  for (cSp_PopupItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    const cSp_PopupItemObj* before = item->GetBeforeObjectPtr();
    item->itemNo_ = short(before != nullptr ? before->itemNo_ + 1 : 1);
    if (onward == 0) break;
  }
}

short cSp_PopupItemObj::CalculateTextWidthOnCurrentPort(WindowRef window, short size) {
  return CalculateTextWidthOnCurrentPort(window, 0, size);
}

short cSp_PopupItemObj::CalculateTextWidthOnCurrentPort(WindowRef window, short font,
                                                        short size) {
  if (window == nullptr) {
    SpReportFailure(kSource, "cSp_PopupItemObj::CalculateTextWidthOnCurrentPort", 1,
                    kSpMsgNullArgument);
    return 1;
  }
  cSpPortSaver port(window);
  GrafPtr current = nullptr;
  GetPort(&current);
  const SInt16 savedFont = GetPortTextFont(current);
  const SInt16 savedSize = GetPortTextSize(current);
  const Style savedFace = GetPortTextFace(current);
  TextFont(font);
  TextSize(size);
  TextFace(normal);
  const SInt32 length = SInt32(std::strlen(name_));
  measuredSize_ = size;
  measuredWidth_ = length == 0 ? 0 : TextWidth(name_, 0, SInt16(length));
  TextFont(savedFont);
  TextSize(savedSize);
  TextFace(savedFace);
  return measuredWidth_;
}

cSp_PopupItemObj* cSp_PopupItemObj::SerchTargetNameItemOnLink(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    SpReportFailure(kSource, "cSp_PopupItemObj::SerchTargetNameItemOnLink", 1,
                    kSpMsgNullArgument);
    return nullptr;
  }
  for (cSp_PopupItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (std::strcmp(item->name_, name) == 0) return item;
  }
  return nullptr;
}

cSp_PopupItemObj* cSp_PopupItemObj::SerchTargetNameItemOnLinkWithRefNum(short number) {
  for (cSp_PopupItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->itemNo_ == number) return item;
  }
  return nullptr;
}

void cSp_PopupItemObj::DrawingMenuItemString(const Rect& rect, tPositionType position,
                                             unsigned char clip) const {
  if (name_[0] == '\0') return;
  Sp_DrawStringInRect(name_, &rect, position, kSpPositionCenter, 0, 0, 0, 0, clip, 0, 0, 0,
                      nullptr);
}

// ---- cSp_PopupObj: life and settings --------------------------------------------------------

cSp_PopupObj::cSp_PopupObj(tPopupSelectionItemType type) {
  StartUpInitialize();
  selectionType_ = type;
}

cSp_PopupObj::~cSp_PopupObj() {
  WipeOutAllPopupMenuItem();
  CloseWindowAndOffscreen();
}

void cSp_PopupObj::StartUpInitialize() {
  selectionType_ = 0;
  itemCount_ = normalCount_ = separatorCount_ = 0;
  first_ = last_ = selected_ = nullptr;
  hPlacement_ = kSpPositionLeft;
  outputAreaType_ = 1;
  fixedWidthFlag_ = 0;
  fixedWidth_ = 0;
  minWidth_ = maxWidth_ = -1;
  leftOffset_ = rightOffset_ = 0;
  screenTopMargin_ = 10;
  screenBottomMargin_ = 5;
  fixedItemHeightFlag_ = 0;
  itemHeight_ = 0;
  itemMargin_ = 2;
  separatorHeight_ = 5;
  arrowZoneHeight_ = 12;
  changeProc_ = nullptr;
  changeRefCon_ = 0;
  textFont_ = GetSysFont();
  textSize_ = GetDefFontSize();
  itemAlignment_ = kSpPositionLeft;
  windowBounds_ = content_ = anchor_ = Rect{0, 0, 0, 0};
  window_ = parent_ = nullptr;
  offscreen_ = nullptr;
  triangleWidth_ = 10;
  triangleHeight_ = 6;
  Sp_SetRGBColorByPercentage(&background_, 100, 100, 100);
  Sp_SetRGBColorBy255(&trackedBackground_, 82, 82, 123);
  Sp_SetRGBColorByPercentage(&separatorColour_, 40, 40, 40);
  Sp_SetRGBColorByPercentage(&itemColour_, 0, 0, 0);
  Sp_SetRGBColorByPercentage(&trackedColour_, 100, 100, 100);
  Sp_SetRGBColorByPercentage(&hiliteColour_, 80, 80, 80);
  Sp_SetRGBColorByPercentage(&scrollMarkColour_, 0, 0, 0);
  upArrow_ = downArrow_ = 0;
  textLeft_ = textWidth_ = firstItemTop_ = 0;
  firstVisible_ = lastVisible_ = tracked_ = nullptr;
  mouseOutside_ = inUpArrow_ = inDownArrow_ = 0;
  lastScrollTick_ = 0;
}

void cSp_PopupObj::SetupFixMenuWidth(short width) {
  if (width <= 0) return;
  fixedWidth_ = width;
  fixedWidthFlag_ = 1;
}

void cSp_PopupObj::SetupMenuTextFont(short font) {
  textFont_ = font == 0 ? GetSysFont() : font;
}

void cSp_PopupObj::SetupMenuTextSize(short size) {
  textSize_ = size == 0 ? GetDefFontSize() : size;
}

void cSp_PopupObj::SetupHOffset(short left, short right) {
  if (left >= 0) leftOffset_ = left;
  if (right >= 0) rightOffset_ = right;
}

void cSp_PopupObj::GetHOffset(short& left, short& right) const {
  left = leftOffset_;
  right = rightOffset_;
}

void cSp_PopupObj::SetupChangeSelectedItemCB(tSpPopupChangeSelectedItemProcPtr proc,
                                             unsigned long refCon) {
  changeProc_ = proc;
  changeRefCon_ = refCon;
}

void cSp_PopupObj::ExecChangeSelectedItemCB() {
  if (changeProc_ == nullptr || selected_ == nullptr) return;
  changeProc_(this, selected_->GetItemNo(), changeRefCon_);
}

void cSp_PopupObj::GetTextBand(short& left, short& width) const {
  left = textLeft_;
  width = textWidth_;
}

// ---- cSp_PopupObj: the item list ------------------------------------------------------------

void cSp_PopupObj::AddMenuItem(short number, const char* name) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cSp_PopupObj::AddMenuItem", 1, kSpMsgNullArgument);
    return;
  }
  cSp_PopupItemObj* item = new (std::nothrow) cSp_PopupItemObj(name);
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_PopupObj::AddMenuItem", 1, kSpMsgMemory);
    return;
  }
  if (item->IsSepareter() != 0 && number == -2) number = -1;
  if (first_ == nullptr) {
    first_ = last_ = selected_ = item;
  } else {
    InsertItem(number, item);
    last_ = last_->GetLastObjectPtr();
  }
  ++itemCount_;
  item->SetupItemNo(1);
  if (item->IsSepareter() != 0) {
    ++separatorCount_;
  } else {
    ++normalCount_;
  }
}

void cSp_PopupObj::InsertItem(short number, cSp_PopupItemObj* item) {
  cSp_PopupItemObj* passed = nullptr;
  if (number == -1) {
    passed = last_;
  } else if (number == -2) {
    // Sorted: past separators and every name that does not sort after the new one.
    for (cSp_PopupItemObj* at = first_; at != nullptr; at = at->GetNextObjectPtr()) {
      if (at->IsSepareter() == 0 && at->CmpItemName(item->ItemName()) < 0) break;
      passed = at;
    }
  } else if (number != 0) {
    for (cSp_PopupItemObj* at = first_; at != nullptr; at = at->GetNextObjectPtr()) {
      if (number < at->GetItemNo()) break;
      passed = at;
    }
  }
  if (passed == nullptr) {
    InsertBeforeFirst(item);
  } else {
    InsertAfterItem(passed, item);
  }
}

void cSp_PopupObj::InsertBeforeFirst(cSp_PopupItemObj* item) {
  item->LinkToNext(first_);
  first_ = item;
}

void cSp_PopupObj::InsertAfterItem(cSp_PopupItemObj* at, cSp_PopupItemObj* item) {
  cSp_PopupItemObj* rest = at->UnlinkNext();
  at->LinkToNext(item);
  if (rest != nullptr) item->LinkToNext(rest);
}

void cSp_PopupObj::WipeOutAllPopupMenuItem() {
  SpDeleteList(first_);
  first_ = last_ = selected_ = nullptr;
  firstVisible_ = lastVisible_ = tracked_ = nullptr;
  itemCount_ = normalCount_ = separatorCount_ = 0;
}

short cSp_PopupObj::GetMenuItemNum() const {
  short count = 0;
  for (const cSp_PopupItemObj* item = first_; item != nullptr; item = item->GetNextObjectPtr()) {
    ++count;
  }
  return count;
}

cSp_PopupItemObj* cSp_PopupObj::ItemWithNumber(short number) const {
  return first_ == nullptr ? nullptr : first_->SerchTargetNameItemOnLinkWithRefNum(number);
}

void cSp_PopupObj::SetSelectionMenuItem(short number) {
  if (first_ == nullptr) return;
  if (number <= 0) {
    selected_ = nullptr;
    return;
  }
  cSp_PopupItemObj* item = ItemWithNumber(number);
  if (item != nullptr) selected_ = item;
}

short cSp_PopupObj::GetSelectionMenuItemNo() const {
  return selected_ != nullptr ? selected_->GetItemNo() : 0;
}

unsigned char cSp_PopupObj::GetSelectionMenuItemTitle(char* buffer, SInt32 size,
                                                      unsigned char* truncated) const {
  if (selected_ == nullptr) return 0;
  selected_->GetItemName(buffer, size, truncated);
  return 1;
}

short cSp_PopupObj::SerchTargetNameMenuItem(const char* name, cSp_PopupItemObj** found) const {
  if (found != nullptr) *found = nullptr;
  if (name == nullptr) {
    SpReportFailure(kSource, "cSp_PopupObj::SerchTargetNameMenuItem", 1, kSpMsgNullArgument);
    return 0;
  }
  for (cSp_PopupItemObj* item = first_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (std::strcmp(item->ItemName(), name) == 0) {
      if (found != nullptr) *found = item;
      return item->GetItemNo();
    }
  }
  return 0;
}

unsigned char cSp_PopupObj::GetTargetItemName(short number, char* buffer, SInt32 size,
                                              unsigned char* truncated) const {
  const cSp_PopupItemObj* item = ItemWithNumber(number);
  if (item == nullptr) return 0;
  item->GetItemName(buffer, size, truncated);
  return 1;
}

void cSp_PopupObj::SetupHiliteFlag(short number, unsigned char flag) {
  cSp_PopupItemObj* item = ItemWithNumber(number);
  if (item != nullptr) item->SetupHiliteFlag(flag);
}

short cSp_PopupObj::GetListHeight() const {
  return short(normalCount_ * itemHeight_ + separatorCount_ * separatorHeight_);
}

cSp_PopupObj* SpNewPopupMenu(tPopupSelectionItemType type) {
  return new (std::nothrow) cSp_PopupObj(type);
}
