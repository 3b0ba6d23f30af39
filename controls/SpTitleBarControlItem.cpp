// The items of a title bar: their part under a point, the moves of their separators with the
// rules of fixed widths and fixed ends, and their drawing.
#include <algorithm>
#include <vector>

#include "QDText.h"
#include "SpOC_ButtonDrawing.h"
#include "SpTitleBarControl.h"

namespace {

short ToShort(SInt32 value) {
  return short(std::clamp<SInt32>(value, -32768, 32767));
}

}  // namespace

cSp_TittleBarControlItem::cSp_TittleBarControlItem(tTitleBarControlItemType itemType,
                                                   short itemWidth, short minimum, short itemHeight,
                                                   Boolean fixed) {
  StartUpInitialize();
  type = itemType;
  width = itemWidth;
  minimumWidth = minimum;
  height = itemHeight;
  widthFixed = fixed != 0 ? 1 : 0;
  end = width;
}

cSp_TittleBarControlItem::~cSp_TittleBarControlItem() {
  if (title != nullptr) SpSO_DisposeStringObject(title);
}

void cSp_TittleBarControlItem::StartUpInitialize() {
  referenceNo = 0;
  maximumWidth = minimumWidth = -1;
  start = end = 0;
  contentOffsetLeft = contentOffsetTop = contentOffsetRight = contentOffsetBottom = 0;
  contentWidth = contentHeight = -1;
  contentLayoutType = kSpLayoutStretch;
  contentPositionType = kSpPositionCenter;
  fontNo = textSize = 0;
  textColour = {0, 0, 0};
  iconId = 0;
  iconAlignment = 5;
  iconTransform = 0;
  iconLayoutType = kSpLayoutStretch;
  iconPositionH = iconPositionV = kSpPositionCenter;
  iconOffsetLeft = iconOffsetTop = iconOffsetRight = iconOffsetBottom = 0;
  iconWidth = iconHeight = -1;
  buttonDrawingType = kTBC_StringButton;
  buttonType = 3;
  buttonDown = 0;
  Sp_SetRGBColorBy255(&upFaceColour, 204, 204, 204);
  Sp_SetRGBColorBy255(&downFaceColour, 136, 136, 136);
  Sp_SetRGBColorBy255(&frameColour, 85, 85, 85);
  endPointFixed = 0;
  separatorDrawn = 0;
  separatorWidth = 2;
  separatorTopMargin = separatorBottomMargin = 0;
  Sp_SetRGBColorByPercentage(&separatorColour, 55, 55, 55);
  separatorShadowColour = {65535, 65535, 65535};
  clickProc = dblClickProc = buttonDownProc = buttonUpProc = nullptr;
  clickRefCon = dblClickRefCon = buttonDownRefCon = buttonUpRefCon = 0;
}

// ---- Parts and moves ------------------------------------------------------------------------

void cSp_TittleBarControlItem::GetPartCode(short h, tTitleBarControlItemPartCode& part) const {
  const SInt32 s = start, e = end, w = separatorWidth;
  const cSp_TittleBarControlItem* previous = GetBeforeObjectPtr();
  if (h >= s && h <= s + w) {
    part = (previous != nullptr && previous->widthFixed == 0) ? kTBC_StartSeparatorPart
                                                              : kTBC_ContentPart;
  } else if (h > s + w && h < e - w) {
    part = kTBC_ContentPart;
  } else if (h >= e - w && h <= e) {
    part = widthFixed == 0 ? kTBC_EndSeparatorPart : kTBC_ContentPart;
  } else {
    part = kTBC_NoPart;
  }
}

unsigned char cSp_TittleBarControlItem::IsMoveingSeparator(
    tTitleBarControlItemPartCode part) const {
  const cSp_TittleBarControlItem* previous = GetBeforeObjectPtr();
  const cSp_TittleBarControlItem* next = GetNextObjectPtr();
  if (part == kTBC_StartSeparatorPart) {
    return (!(widthFixed != 0 && endPointFixed != 0) && previous != nullptr &&
            previous->endPointFixed == 0)
               ? 1
               : 0;
  }
  if (part == kTBC_EndSeparatorPart) {
    return (widthFixed == 0 && endPointFixed == 0 &&
            (next == nullptr || !(next->endPointFixed != 0 && next->widthFixed != 0)))
               ? 1
               : 0;
  }
  return 0;
}

unsigned char cSp_TittleBarControlItem::MoveEndSeparator(short& position, short limit,
                                                         Boolean keepWidth) {
  cSp_TittleBarControlItem* next = GetNextObjectPtr();
  if (widthFixed != 0 || endPointFixed != 0 ||
      (next != nullptr && next->endPointFixed != 0 && next->widthFixed != 0)) {
    return 0;
  }
  SInt32 e = position;
  if (minimumWidth <= 0 && position <= start) {
    e = start + 1;
  } else if (minimumWidth > 0 && position < start + minimumWidth) {
    e = start + minimumWidth;
  } else if (maximumWidth == 0 && position > start) {
    e = start + 1;
  } else if (maximumWidth > 0 && position > start + maximumWidth) {
    e = start + maximumWidth;
  }
  // The last item always reaches the bar's right edge, as far as its maximum lets it.
  if (next == nullptr && e < limit) {
    e = limit;
    if (maximumWidth > 0) e = std::min<SInt32>(e, start + maximumWidth);
  }
  if (e == end) return 0;
  short newEnd = ToShort(e);
  if (next != nullptr) next->MoveStartSeparator(newEnd, keepWidth);
  position = newEnd;
  if (newEnd == end) return 0;
  end = newEnd;
  width = ToShort(SInt32(end) - start);
  return 1;
}

unsigned char cSp_TittleBarControlItem::MoveStartSeparator(short& position, Boolean keepWidth) {
  if (position == start) return 0;
  if (widthFixed != 0 && endPointFixed != 0) {
    position = start;
    return 1;
  }
  cSp_TittleBarControlItem* next = GetNextObjectPtr();
  // The whole item moves by the shift with its width; the next one takes the same shift,
  // and what it cannot take comes back off this one's.
  auto shiftWhole = [&](SInt32 newStart, SInt32 newWidth) -> unsigned char {
    unsigned char corrected = 0;
    if (next != nullptr) {
      short nextStart = ToShort(newStart + newWidth);
      if (next->MoveStartSeparator(nextStart, 1) != 0) {
        newStart = SInt32(nextStart) - newWidth;
        corrected = 1;
      }
    }
    start = ToShort(newStart);
    width = ToShort(newWidth);
    end = ToShort(newStart + newWidth);
    if (start != position) corrected = 1;
    position = start;
    return corrected;
  };
  if (endPointFixed == 0 && (keepWidth != 0 || widthFixed != 0)) {
    return shiftWhole(position, width);
  }
  // The start moves and the end stays, within the item's minimum and maximum width.
  const SInt32 newWidth = SInt32(end) - position;
  SInt32 limitWidth = -1;
  if (position > start) {
    const SInt32 least = minimumWidth > 0 ? minimumWidth : 1;
    if (newWidth < least) limitWidth = least;
  } else if (maximumWidth > 0 && newWidth > maximumWidth) {
    limitWidth = maximumWidth;
  }
  if (limitWidth < 0) {
    start = position;
    width = ToShort(newWidth);
    return 0;
  }
  if (endPointFixed != 0) {
    start = ToShort(SInt32(end) - limitWidth);
    width = ToShort(limitWidth);
    position = start;
    return 1;
  }
  // Held at its limit width, the item moves as a whole and pushes the next one along.
  const short asked = position;
  const unsigned char corrected = shiftWhole(position, limitWidth);
  return (corrected != 0 || position != asked) ? 1 : 0;
}

void cSp_TittleBarControlItem::GetPossibleModifyWidth(short& grow, short& shrink) const {
  if (maximumWidth < 0) {
    grow = -1;
  } else {
    grow = ToShort(std::max<SInt32>(0, SInt32(maximumWidth) - width));
  }
  if (minimumWidth < 0) {
    shrink = width;
  } else {
    shrink = ToShort(std::max<SInt32>(0, SInt32(width) - minimumWidth));
  }
}

unsigned char cSp_TittleBarControlItem::ResetWidth(tDirectionType direction, short& amount) {
  short grow = 0, shrink = 0;
  GetPossibleModifyWidth(grow, shrink);
  const short room = direction == 1 ? grow : shrink;
  unsigned char whole = 1;
  if (room >= 0 && amount > room) {
    amount = room;
    whole = 0;
  }
  width = ToShort(direction == 1 ? SInt32(width) + amount : SInt32(width) - amount);
  end = ToShort(SInt32(start) + width);
  return whole;
}

void cSp_TittleBarControlItem::ResetPosition(Boolean allFollowing) {
  for (cSp_TittleBarControlItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    const cSp_TittleBarControlItem* previous = item->GetBeforeObjectPtr();
    item->start = previous != nullptr ? previous->end : 0;
    item->end = ToShort(SInt32(item->start) + item->width);
    if (allFollowing == 0) break;
  }
}

void cSp_TittleBarControlItem::GetTotalWidth(short& total, short index) const {
  SInt32 sum = total;
  for (const cSp_TittleBarControlItem* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    sum += item->width;
    if (index >= 0 && item->referenceNo >= index) break;
  }
  total = ToShort(sum);
}

void cSp_TittleBarControlItem::SetupReferenceNo(short first, Boolean allFollowing) {
  SInt32 n = first;
  for (cSp_TittleBarControlItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    item->referenceNo = n++;
    if (allFollowing == 0) break;
  }
}

// ---- Drawing --------------------------------------------------------------------------------

const char* cSp_TittleBarControlItem::TitleText(char* buffer, SInt32 size) const {
  buffer[0] = 0;
  if (title == nullptr) return buffer;
  unsigned char cut = 0;
  SpSO_GetString(title, buffer, size, cut);
  return buffer;
}

namespace {

// The item's text in a buffer of its own size.
std::vector<char> TextOf(const cSp_TittleBarControlItem& item) {
  const SInt32 length = item.title != nullptr ? SpSO_GetStringLen(item.title) : 0;
  std::vector<char> text(size_t(length) + 2, 0);
  item.TitleText(text.data(), SInt32(text.size()));
  return text;
}

void UseFont(short fontNo, short size) {
  TextFont(std::max<short>(0, fontNo));
  TextSize(size);
}

}  // namespace

void cSp_TittleBarControlItem::DrawStringItem(const Rect& area) const {
  Rect box;
  Sp_GetLayoutArea(&area, contentLayoutType, contentPositionType, contentPositionType,
                   contentOffsetLeft, contentOffsetTop, contentOffsetRight, contentOffsetBottom,
                   contentWidth, contentHeight, box);
  const std::vector<char> text = TextOf(*this);
  if (text[0] == 0) return;
  UseFont(fontNo, textSize);
  RGBForeColor(&textColour);
  Sp_DrawStringInRect(text.data(), &box, contentPositionType, contentPositionType, 0, 0, 0, 0, 1, 0,
                      0, 0, nullptr);
}

void cSp_TittleBarControlItem::DrawIconItem(const Rect& area) const {
  Rect box;
  Sp_GetLayoutArea(&area, contentLayoutType, contentPositionType, contentPositionType,
                   contentOffsetLeft, contentOffsetTop, contentOffsetRight, contentOffsetBottom,
                   contentWidth, contentHeight, box);
  Sp_OCnt_DrawButtonIcon(iconId, box, iconAlignment, iconTransform);
}

void cSp_TittleBarControlItem::DrawButtonItem(const Rect& area) const {
  const unsigned char mini = type == kTBC_SmallButtonItem ? 1 : 0;
  const RGBColor& face = buttonDown != 0 ? downFaceColour : upFaceColour;
  Sp_OCnt_DrawButtonDefaultFrame(buttonDown, mini, area, face, frameColour);
  Sp_OCnt_DrawButtonDefaultContent(mini, area, face);
  if (buttonDrawingType == kTBC_IconButton) {
    Rect box;
    Sp_GetLayoutArea(&area, iconLayoutType, iconPositionH, iconPositionV, iconOffsetLeft,
                     iconOffsetTop, iconOffsetRight, iconOffsetBottom, iconWidth, iconHeight, box);
    Sp_OCnt_DrawButtonIcon(iconId, box, iconAlignment, iconTransform);
    if (buttonDown != 0) Sp_OCnt_ModifyButtonContentToDark(mini, area, 0.5f);
  } else if (buttonDrawingType == kTBC_StringButton) {
    const std::vector<char> text = TextOf(*this);
    Sp_OCnt_DrawButtonString(text.data(), area, std::max<short>(0, fontNo), textSize,
                             contentPositionType, textColour, 0, nullptr, 0, 0);
  }
}

void cSp_TittleBarControlItem::DrawSeparator(const Rect& area) const {
  if (separatorDrawn == 0 || GetNextObjectPtr() == nullptr) return;
  const short x = end;
  RGBForeColor(&separatorColour);
  MoveTo(short(x - 1), short(area.top + separatorTopMargin + 3));
  LineTo(short(x - 1), short(area.bottom - separatorBottomMargin - 4));
  RGBForeColor(&separatorShadowColour);
  MoveTo(x, short(area.top + separatorTopMargin + 4));
  LineTo(x, short(area.bottom - separatorBottomMargin - 3));
}
