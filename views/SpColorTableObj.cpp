// The colour table and the colour picker.
#include "SpColorTableObj.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"
#include "SpStdDrawingFunctionInternal.h"
#include "SpStdFunction.h"
#include "TextUtils.h"

namespace {

const char kSource[] = "SpColorTableObj";

// ---- The picker's grid ----

constexpr short kColumns = 30;
constexpr short kItemCount = 270;
constexpr short kGreyCount = 28;
constexpr short kCellStep = 11;  // a 10-pixel cell and the 1-pixel gap after it
constexpr short kCellSize = 10;
constexpr short kPickerWidth = 331;
constexpr short kPickerHeight = 100;

const unsigned char kPickerDataName[] =
    "\x1F"
    "Vorlo Color Picker Default Data";

RGBColor Percent(float red, float green, float blue) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, red, green, blue);
  return c;
}

// The three primaries in the order a group of ten columns mixes them: (red, green, blue),
// (green, blue, red), (blue, red, green).
void GroupColors(short group, RGBColor* first, RGBColor* second, RGBColor* third) {
  const RGBColor red = Percent(100, 0, 0);
  const RGBColor green = Percent(0, 100, 0);
  const RGBColor blue = Percent(0, 0, 100);
  const RGBColor orders[3][3] = {{red, green, blue}, {green, blue, red}, {blue, red, green}};
  *first = orders[group][0];
  *second = orders[group][1];
  *third = orders[group][2];
}

Rect CellAt(long h, long v) {
  using sp_drawing_detail::Clamp16;
  return Rect{Clamp16(v), Clamp16(h), Clamp16(v + kCellSize), Clamp16(h + kCellSize)};
}

// Paints a cell in its colour and frames it in 5 % grey.
void PaintCell(const Rect& cell, const RGBColor& color) {
  static const RGBColor frame = Percent(5, 5, 5);
  RGBForeColor(&color);
  PaintRect(&cell);
  RGBForeColor(&frame);
  FrameRect(&cell);
}

// Paints columns [fromColumn, toColumn) of a colour group for rows 1 to 8, the first of them
// at x.
void PaintGroupColumns(short x, short top, const RGBColor& first, const RGBColor& second,
                       const RGBColor& third, short fromColumn, short toColumn) {
  RGBColor saved;
  GetForeColor(&saved);
  for (short column = fromColumn; column < toColumn; ++column) {
    const long h = long(x) + long(column - fromColumn) * kCellStep;
    for (short row = 1; row <= 8; ++row) {
      RGBColor color;
      SpCPF_GetRGBColorFromTable(column, row, first, second, third, color);
      PaintCell(CellAt(h, long(top) + long(row) * kCellStep + 1), color);
    }
  }
  RGBForeColor(&saved);
}

// The port's clip limited to the cell grown by `grow` pixels for the scope.
class CellClip {
 public:
  CellClip(short item, short left, short top, short grow) {
    Rect cell;
    if (!SpCPR_GetTargetItemArea(item, left, top, cell)) return;
    const Rect area{sp_drawing_detail::Clamp16(long(cell.top) - grow),
                    sp_drawing_detail::Clamp16(long(cell.left) - grow),
                    sp_drawing_detail::Clamp16(long(cell.bottom) + grow),
                    sp_drawing_detail::Clamp16(long(cell.right) + grow)};
    ok_ = sp_drawing_detail::ClipToRect(saved_, area);
  }
  bool Ok() const { return ok_; }

 private:
  sp_drawing_detail::SavedClip saved_;
  bool ok_ = false;
};

void ReleaseIfApplications(Handle resource) {
  if (HomeResFile(resource) > kSpSystemResFile) ReleaseResource(resource);
}

}  // namespace

// ---- cSpColorTableItemObj ----

void cSpColorTableItemObj::SetupColorTitle(const char* title) {
  if (title == nullptr) {
    SpReportFailure(kSource, "cSpColorTableItemObj::SetupColorTitle", 1, kSpMsgNullArgument);
    return;
  }
  Sp_CutStringByByteLen(title, short(kSpColorTitleSize - 1), title_);
}

void cSpColorTableItemObj::GetColorTitle(char* buffer, std::size_t bufferSize) const {
  if (buffer == nullptr || bufferSize == 0) {
    SpReportFailure(kSource, "cSpColorTableItemObj::GetColorTitle", 1, kSpMsgNullArgument);
    return;
  }
  const std::size_t limit = std::min(bufferSize, kSpColorTitleSize) - 1;
  Sp_CutStringByByteLen(title_, short(limit), buffer);
}

void cSpColorTableItemObj::SetupRefNum(unsigned char renumberFollowing) {
  cSpColorTableItemObj* before = GetBeforeObjectPtr();
  refNum_ = before != nullptr ? short(before->refNum_ + 1) : 1;
  if (!renumberFollowing) return;
  for (cSpColorTableItemObj* item = GetNextObjectPtr(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    item->refNum_ = short(item->GetBeforeObjectPtr()->refNum_ + 1);
  }
}

cSpColorTableItemObj* cSpColorTableItemObj::SerchTargetRefNumItem(short refNum) {
  for (cSpColorTableItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->refNum_ == refNum) return item;
  }
  return nullptr;
}

cSpColorTableItemObj* cSpColorTableItemObj::SerchTargetColorItem(const RGBColor& color) {
  for (cSpColorTableItemObj* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (Sp_RGBcmp(&item->color_, &color)) return item;
  }
  return nullptr;
}

// ---- cSpColorTableObj ----

cSpColorTableObj::cSpColorTableObj(short colorTableId, short titleListId, short startupListId)
    : colorTableId_(colorTableId), titleListId_(titleListId), startupListId_(startupListId) {
  LoadColorData();
}

cSpColorTableObj::~cSpColorTableObj() {
  while (first_ != nullptr) {
    cSpColorTableItemObj* next = first_->GetNextObjectPtr();
    delete first_;
    first_ = next;
  }
}

void cSpColorTableObj::AppendItem(cSpColorTableItemObj* item) {
  SpAppendToList(first_, last_, item);
  ++itemCount_;
}

void cSpColorTableObj::LoadColorData() {
  if (colorTableId_ == 0) {
    SpReportFailure(kSource, "cSpColorTableObj::LoadColorData", 1, kSpMsgDataError);
    return;
  }
  SInt32 startupNo = 1;
  if (startupListId_ != 0) {
    Str255 text;
    GetIndString(text, startupListId_, 1);
    startupNo = 0;
    if (text[0] != 0) StringToNum(text, &startupNo);
  }

  Handle clut = GetResource(sp_drawing_detail::kClutType, colorTableId_);
  if (clut != nullptr) {
    HLock(clut);
    // Item numbers are shorts: a table never holds more colours than they can number.
    const int count = std::min(sp_drawing_detail::ClutEntryCount(clut), 32767);
    for (int index = 0; index < count; ++index) {
      cSpColorTableItemObj* item = new (std::nothrow) cSpColorTableItemObj;
      if (item == nullptr) {
        SpReportFailure(kSource, "cSpColorTableObj::LoadColorData", 2, kSpMsgMemory);
        break;
      }
      RGBColor color;
      if (sp_drawing_detail::ClutEntryColor(clut, index, &color)) item->SetupColorValue(color);
      if (titleListId_ != 0) {
        Str255 title;
        GetIndString(title, titleListId_, SInt16(index + 1));
        char text[256];
        if (title[0] == 0) {
          // A colour without its title gets a made-up one, and the gap is logged.
          SpReportFailure(kSource, "cSpColorTableObj::LoadColorData", 2, kSpMsgMemory);
          Str255 number;
          NumToString(index + 1, number);
          std::memcpy(text, "Color ", 6);
          std::memcpy(text + 6, number + 1, number[0]);
          text[6 + number[0]] = '\0';
        } else {
          std::memcpy(text, title + 1, title[0]);
          text[title[0]] = '\0';
        }
        item->SetupColorTitle(text);
      }
      AppendItem(item);
      if (index + 1 == startupNo) startup_ = item;
    }
    HUnlock(clut);
    ReleaseIfApplications(clut);
  }
  if (first_ != nullptr) first_->SetupRefNum(1);
  if (startup_ == nullptr) startup_ = first_;
  current_ = startup_;
}

unsigned char cSpColorTableObj::GetCurrentTargetColor(RGBColor& color) {
  if (current_ == nullptr) current_ = first_;
  if (current_ == nullptr) return 0;
  current_->GetColorValue(color);
  return 1;
}

unsigned char cSpColorTableObj::GetCurrentTargetColorRefNum(short& refNum) {
  if (current_ == nullptr) current_ = first_;
  if (current_ == nullptr) return 0;
  refNum = current_->GetRefNum();
  return 1;
}

unsigned char cSpColorTableObj::GetTargetColor(short refNum, RGBColor& color) {
  if (refNum < 1 || first_ == nullptr) return 0;
  cSpColorTableItemObj* item = first_->SerchTargetRefNumItem(refNum);
  if (item == nullptr) return 0;
  item->GetColorValue(color);
  return 1;
}

unsigned char cSpColorTableObj::SerchTargetColorNo(const RGBColor& color, short& refNum) {
  cSpColorTableItemObj* item = first_ != nullptr ? first_->SerchTargetColorItem(color) : nullptr;
  refNum = item != nullptr ? item->GetRefNum() : 0;
  return item != nullptr ? 1 : 0;
}

void cSpColorTableObj::SetupTargetItem(short n) {
  if (n < 1) return;
  cSpColorTableItemObj* item = first_;
  for (short i = 1; item != nullptr && i < n; ++i) item = item->GetNextObjectPtr();
  if (item != nullptr) current_ = item;
}

short cSpColorTableObj::GetStartupColorItemNo() const {
  return startup_ != nullptr ? startup_->GetRefNum() : 0;
}

// ---- Picker colours ----

void SpCPF_GetColorPickerMenuSize(short& width, short& height) {
  width = kPickerWidth;
  height = kPickerHeight;
}

short SpCPF_GetColorItemNum() {
  return kItemCount;
}

unsigned char SpCPF_GetGrayscaleColor(short n, RGBColor& color) {
  if (n < 1 || n > kGreyCount) return 0;
  const RGBColor white{65535, 65535, 65535};
  const RGBColor black{0, 0, 0};
  Sp_RGBInBetweenColor(&white, &black, 0.2f + float(n - 1) * 0.027777778f, &color);
  return 1;
}

unsigned char SpCPF_GetGrayscaleColorNo(RGBColor color, short& n) {
  if (color.red != color.green || color.green != color.blue) return 0;
  for (short grey = 1; grey <= kGreyCount; ++grey) {
    RGBColor candidate;
    SpCPF_GetGrayscaleColor(grey, candidate);
    if (Sp_RGBcmp(&candidate, &color)) {
      n = grey;
      return 1;
    }
  }
  return 0;
}

void SpCPR_ModifyColorByPercent(RGBColor& color, float redPercent, float greenPercent,
                                float bluePercent) {
  auto scale = [](UInt16 component, float percent) -> UInt16 {
    if (component == 0) return 0;
    const float scaled = float(component) * percent / 100.0f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 65535.0f ? UInt16(65535) : UInt16(scaled);
  };
  color.red = scale(color.red, redPercent);
  color.green = scale(color.green, greenPercent);
  color.blue = scale(color.blue, bluePercent);
}

unsigned char SpCPF_GetRGBColorFromTable(short column, short row, RGBColor first, RGBColor second,
                                         RGBColor third, RGBColor& out) {
  if (row < 1 || row > 8 || column < 0) return 0;
  const int c = column % 10;
  int levels[3];
  if (row <= 3) {
    const int full = 20 * row + 20;
    const int unit = 4 * row + 4;
    if (c <= 5) {
      levels[0] = full, levels[1] = unit * c, levels[2] = 0;
    } else {
      levels[0] = unit * (10 - c), levels[1] = full, levels[2] = 0;
    }
  } else {
    const int base = 20 * (row - 4);
    const int unit = (100 - base) / 5;
    if (c <= 5) {
      levels[0] = 100, levels[1] = base + unit * c, levels[2] = base;
    } else {
      levels[0] = base + unit * (10 - c), levels[1] = 100, levels[2] = base;
    }
  }
  RGBColor parts[3] = {first, second, third};
  UInt32 red = 0, green = 0, blue = 0;
  for (int i = 0; i < 3; ++i) {
    const float level = float(levels[i]);
    SpCPR_ModifyColorByPercent(parts[i], level, level, level);
    red += parts[i].red;
    green += parts[i].green;
    blue += parts[i].blue;
  }
  out = RGBColor{UInt16(std::min<UInt32>(red, 65535)), UInt16(std::min<UInt32>(green, 65535)),
                 UInt16(std::min<UInt32>(blue, 65535))};
  return 1;
}

unsigned char SpCPF_GetItemColor(short item, RGBColor& color) {
  if (item < 1 || item > kItemCount) return 0;
  if (item == 1) {
    color = Percent(100, 100, 100);
    return 1;
  }
  if (item == 2) {
    color = Percent(0, 0, 0);
    return 1;
  }
  if (item <= kColumns) return SpCPF_GetGrayscaleColor(short(item - 2), color);
  const short row = short((item - 1) / kColumns);
  const short column = short((item - 1) % kColumns);
  RGBColor first, second, third;
  GroupColors(short(column / 10), &first, &second, &third);
  return SpCPF_GetRGBColorFromTable(short(column % 10), row, first, second, third, color);
}

unsigned char SpCPF_GetItemNo(const RGBColor& color, short& item) {
  for (short candidate = 1; candidate <= kItemCount; ++candidate) {
    RGBColor c;
    if (SpCPF_GetItemColor(candidate, c) && Sp_RGBcmp(&c, &color)) {
      item = candidate;
      return 1;
    }
  }
  return 0;
}

// ---- Picker geometry ----

unsigned char SpCPR_GetTargetItemArea(short item, short left, short top, Rect& area) {
  if (item < 1 || item > kItemCount) return 0;
  const long row = (item - 1) / kColumns;
  const long column = (item - 1) % kColumns;
  area = CellAt(long(left) + kCellStep * column + 1, long(top) + kCellStep * row + 1);
  return 1;
}

unsigned char SpCPR_SerchTargetItem(short left, short top, Point pt, short& item) {
  item = 0;
  using sp_drawing_detail::Clamp16;
  const Rect grid{Clamp16(long(top) + 1), Clamp16(long(left) + 1),
                  Clamp16(long(top) + 1 + (kPickerHeight - 2)),
                  Clamp16(long(left) + 1 + (kPickerWidth - 2))};
  if (!PtInRect(pt, &grid)) return 0;
  const long column = (long(pt.h) - left - 1) / kCellStep;
  const long row = (long(pt.v) - top - 1) / kCellStep;
  item = short(row * kColumns + column + 1);
  return 1;
}

// ---- Picker drawing ----

void SpCPR_PaintGrayScaleColorCellRight(short left, short top) {
  RGBColor saved;
  GetForeColor(&saved);
  for (short item = 1; item <= kColumns; ++item) {
    RGBColor color;
    Rect cell;
    SpCPF_GetItemColor(item, color);
    SpCPR_GetTargetItemArea(item, left, top, cell);
    PaintCell(cell, color);
  }
  RGBForeColor(&saved);
}

void SpCPR_PaintEachColorCellLeft(short x, short top, RGBColor first, RGBColor second,
                                  RGBColor third, short& nextX) {
  PaintGroupColumns(x, top, first, second, third, 0, 6);
  nextX = sp_drawing_detail::Clamp16(long(x) + 6 * kCellStep);
}

void SpCPR_PaintEachColorCellRight(short x, short top, RGBColor first, RGBColor second,
                                   RGBColor third, short& nextX) {
  PaintGroupColumns(x, top, first, second, third, 6, 10);
  nextX = sp_drawing_detail::Clamp16(long(x) + 4 * kCellStep);
}

void SpCPR_DrawColorPickerMenu(short left, short top, short selectedItem) {
  PenState savedPen;
  GetPenState(&savedPen);
  PenSize(1, 1);
  SpCPR_PaintGrayScaleColorCellRight(left, top);
  short x = sp_drawing_detail::Clamp16(long(left) + 1);
  for (short group = 0; group < 3; ++group) {
    RGBColor first, second, third;
    GroupColors(group, &first, &second, &third);
    SpCPR_PaintEachColorCellLeft(x, top, first, second, third, x);
    SpCPR_PaintEachColorCellRight(x, top, first, second, third, x);
  }
  SetPenState(&savedPen);
  SpCPR_DrawSelectionFrame(selectedItem, left, top);
}

void SpCPR_DrawSelectionFrame(short item, short left, short top) {
  Rect cell;
  if (!SpCPR_GetTargetItemArea(item, left, top, cell)) return;
  RGBColor savedFore;
  GetForeColor(&savedFore);
  PenState savedPen;
  GetPenState(&savedPen);
  PenSize(1, 1);
  const RGBColor light = Percent(95, 95, 95);
  const RGBColor black{0, 0, 0};
  RGBForeColor(&light);
  FrameRect(&cell);
  const Rect ring{SInt16(cell.top - 1), SInt16(cell.left - 1), SInt16(cell.bottom + 1),
                  SInt16(cell.right + 1)};
  RGBForeColor(&black);
  FrameRect(&ring);
  SetPenState(&savedPen);
  RGBForeColor(&savedFore);
}

void SpCPR_EraseArea(short left, short top, short item) {
  Rect cell;
  if (!SpCPR_GetTargetItemArea(item, left, top, cell)) return;
  CellClip clip(item, left, top, 5);
  if (!clip.Ok()) return;
  const SInt16 l = cell.left, t = cell.top, r = cell.right, b = cell.bottom;
  const Rect strips[] = {
      {SInt16(t - 1), SInt16(l - 1), t, SInt16(r + 1)},  // above
      {b, SInt16(l - 1), SInt16(b + 1), SInt16(r + 1)},  // below
      {t, SInt16(l - 1), b, l},                          // left
      {t, r, b, SInt16(r + 1)},                          // right
  };
  for (const Rect& strip : strips) EraseRect(&strip);
  SpCPR_DrawColorPickerMenu(left, top, 0);
}

void SpCPR_SetupSelection(short menuId, short left, short top, short item) {
  {
    CellClip clip(item, left, top, 3);
    if (clip.Ok()) SpCPR_DrawColorPickerMenu(left, top, item);
  }
  SpCPR_SaveSelection(menuId, item);
}

void SpCPR_CancelSelection(short menuId, short left, short top, short item) {
  short saved = 0;
  if (SpCPR_GetSaveSelection(menuId, saved) && saved > 0 && saved != item) {
    SpCPR_EraseArea(left, top, saved);
  }
  SpCPR_EraseArea(left, top, item);
  SpCPR_SaveSelection(menuId, 0);
}

// ---- The saved selection ----

void SpCPR_SaveSelection(short menuId, short item) {
  Handle data = GetResource(kSpColorPickerDataType, menuId);
  if (data == nullptr) {
    data = NewHandleClear(4);
    if (data == nullptr) return;
    AddResource(data, kSpColorPickerDataType, menuId, kPickerDataName);
    if (ResError() != noErr) {
      DisposeHandle(data);
      return;
    }
  }
  if (GetHandleSize(data) < 4) {
    SetHandleSize(data, 4);
    if (MemError() != noErr) return;
  }
  sp::StoreBE32(*data, UInt32(SInt32(item)));
  ChangedResource(data);
  WriteResource(data);
  ReleaseIfApplications(data);
}

unsigned char SpCPR_GetSaveSelection(short menuId, short& item) {
  Handle data = GetResource(kSpColorPickerDataType, menuId);
  if (data == nullptr) return 0;
  item = GetHandleSize(data) >= 4 ? short(sp::LoadBE32(*data) & 0xFFFF) : 0;
  ReleaseIfApplications(data);
  return 1;
}

void SpCPR_SetInitialSelection(short menuId, short item) {
  SpCPR_SaveSelection(menuId, item);
}

unsigned char SpCPR_GetInitialSelection(short menuId, short& item) {
  return SpCPR_GetSaveSelection(menuId, item);
}
