// The calendar icon: construction, settings, the displayed month and the selection, holiday
// items, the day-information popup, hit testing and the mouse.
#include "SpCalenderIconObject.h"

#include <new>

#include "Events.h"
#include "Fonts.h"
#include "SpCalenderIconHolidayItem.h"
#include "SpErrorInfoSystem.h"
#include "SpFontManager.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpTracePopupObject.h"

Point calenderMoveStartPosit = {0, 0};
short calenderMoveBeforeModifiers_GlV = 0;
UInt8 calenderItemMoveType_GlV = 0;

namespace {

const char kSource[] = "SpCalenderIconObject";
// The string list naming the fonts the calendar prefers, the first installed one wins.
constexpr SInt16 kFontListId = 5100;

// Drag modes of a press.
enum : UInt8 {
  kMovedAwayInRange = 2,
  kReleaseDecides = 3,
  kPressedInRange = 4,
  kEndFollows = 5,
  kAnchorFollows = 6,
  kPlainPress = 7,
};

sSpCalenderDropServices gDropServices = {};

RGBColor Percent(float r, float g, float b) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, r, g, b);
  return c;
}

short WeekdayOf(short year, short month, short day) {
  LongDateRec date = {};
  Sp_TargetDateToLongDateTimeRec(year, month, day, &date);
  return date.dayOfWeek;
}

void MonthBefore(short year, short month, short& outYear, short& outMonth) {
  outYear = month == 1 ? short(year - 1) : year;
  outMonth = month == 1 ? short(12) : short(month - 1);
}

void MonthAfter(short year, short month, short& outYear, short& outMonth) {
  outYear = month == 12 ? short(year + 1) : year;
  outMonth = month == 12 ? short(1) : short(month + 1);
}

short Clamp(short value, short low, short high) {
  return value < low ? low : (value > high ? high : value);
}

}  // namespace

void Sp_CIO_SetupDropTargetServices(const sSpCalenderDropServices* services) {
  gDropServices = services != nullptr ? *services : sSpCalenderDropServices{};
}

// ---- Construction ---------------------------------------------------------------------------

cSp_CalenderIconObject::cSp_CalenderIconObject(WindowRef window, const Rect& area, short year,
                                               short month, short day, short cellWidth,
                                               short cellHeight, unsigned char visible,
                                               cSp_View* container,
                                               unsigned char drawInContainerOffscreen)
    : cSp_DrawingView(window, area, Sp_CIO_DrawingProc, reinterpret_cast<unsigned long>(this),
                      container, drawInContainerOffscreen),
      cSp_HotSpotArea(window, area) {
  if (gDropServices.NewDropTarget != nullptr) {
    dropTarget_ = gDropServices.NewDropTarget(window, area);
    disposeDropTarget_ = gDropServices.DisposeDropTarget;
  }
  colours_.content = Percent(100, 100, 100);
  colours_.otherMonth = Percent(90, 90, 90);
  colours_.today = Percent(67, 91, 56);
  colours_.line = Percent(0, 0, 0);
  colours_.selectionLine = Percent(46, 46, 100);
  colours_.weekdayString = Percent(0, 0, 0);
  colours_.saturdayString = Percent(0, 0, 100);
  colours_.holidayString = Percent(100, 0, 0);
  colours_.shadow = Percent(70, 70, 70);
  colours_.shadowToContainer = Percent(0, 0, 0);
  frame_ = area;
  selYear_ = year;
  selMonth_ = month;
  selDay_ = day;
  displayYear_ = year;
  displayMonth_ = month;
  cellWidth_ = cellWidth;
  cellHeight_ = cellHeight;
  ResetCalenderViewSize(1, 0);
  fontNo_ = Sp_GetFontNoFromIndString(kFontListId, nullptr);
  SetSizeParameter();
  if (visible != 0) {
    EnableViewOutput(0);
  } else {
    DisableViewOutput(0);
  }
}

cSp_CalenderIconObject::~cSp_CalenderIconObject() {
  FreeHolidayItems();
  delete dayInfoPopup_;
  dayInfoPopup_ = nullptr;
  if (dropTarget_ != nullptr && disposeDropTarget_ != nullptr) disposeDropTarget_(dropTarget_);
  dropTarget_ = nullptr;
}

void cSp_CalenderIconObject::FreeHolidayItems() {
  SpDeleteList(firstHoliday_);
  firstHoliday_ = lastHoliday_ = nullptr;
}

// ---- Appearance -----------------------------------------------------------------------------

void cSp_CalenderIconObject::Mark(unsigned char redraw) {
  SetupModifyDrawingRectAndFlag(nullptr, 1);
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_CalenderIconObject::SetColour(RGBColor& slot, const RGBColor* colour,
                                       unsigned char redraw) {
  if (colour == nullptr) {
    SpReportFailure(kSource, "cSp_CalenderIconObject::SetColour", 1, kSpMsgNullArgument);
    return;
  }
  slot = *colour;
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupFontNo(short font, unsigned char redraw) {
  fontNo_ = font <= 0 ? GetSysFont() : (font == 1 ? GetAppFont() : font);
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupTextSize(short size, unsigned char redraw) {
  textSize_ = size < 1 ? GetDefFontSize() : size;
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupFontOutputOffset(short offset, unsigned char redraw) {
  fontOutputOffset_ = offset;
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupLineWidth(short width, unsigned char redraw) {
  lineWidth_ = width;
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupSelectionLineWidth(short width, unsigned char redraw) {
  selectionLineWidth_ = width;
  Mark(redraw);
}

void cSp_CalenderIconObject::ShowShadow(unsigned char show, unsigned char redraw) {
  showShadow_ = show;
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupShadowWidth(short width, unsigned char redraw) {
  if (width == shadowWidth_) return;
  shadowWidth_ = width;
  ResetCalenderViewSize(0, 0);
  Mark(redraw);
}

void cSp_CalenderIconObject::SetupContentColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.content, c, redraw);
}
void cSp_CalenderIconObject::SetupOtherMonthAreaContentColor(const RGBColor* c,
                                                             unsigned char redraw) {
  SetColour(colours_.otherMonth, c, redraw);
}
void cSp_CalenderIconObject::SetupTodayContentColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.today, c, redraw);
}
void cSp_CalenderIconObject::SetupLineColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.line, c, redraw);
}
void cSp_CalenderIconObject::SetupSelectionLineColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.selectionLine, c, redraw);
}
void cSp_CalenderIconObject::SetupWeekdayStirngColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.weekdayString, c, redraw);
}
void cSp_CalenderIconObject::SetupSaturdayStringColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.saturdayString, c, redraw);
}
void cSp_CalenderIconObject::SetupHolidayStringColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.holidayString, c, redraw);
}
void cSp_CalenderIconObject::SetupShadowColor(const RGBColor* c, unsigned char redraw) {
  SetColour(colours_.shadow, c, redraw);
}
void cSp_CalenderIconObject::SetupShadowToContainerContentColor(const RGBColor* c,
                                                                unsigned char redraw) {
  SetColour(colours_.shadowToContainer, c, redraw);
}

void cSp_CalenderIconObject::SetupDayAreaSize(short cellWidth, short cellHeight,
                                              unsigned char redraw) {
  if (cellWidth >= 0) cellWidth_ = cellWidth;
  if (cellHeight >= 0) cellHeight_ = cellHeight;
  if (cellWidth < 0 && cellHeight < 0) return;
  SetSizeParameter();
  ResetCalenderViewSize(0, redraw);
}

void cSp_CalenderIconObject::SetupModifyViewProc(tSpCIO_ModifyViewProcPtr proc,
                                                 unsigned long refCon) {
  modifyViewProc_ = proc;
  modifyViewRefCon_ = refCon;
}

void cSp_CalenderIconObject::SetupModifySelectionProc(tSpCIO_ModifySelectionProcPtr proc,
                                                      unsigned long refCon) {
  modifySelectionProc_ = proc;
  modifySelectionRefCon_ = refCon;
}

// ---- Month and date -------------------------------------------------------------------------

void cSp_CalenderIconObject::GetOutputYearMonth(short& year, short& month) const {
  year = displayYear_;
  month = displayMonth_;
}

void cSp_CalenderIconObject::ShowMonth(short year, short month) {
  displayYear_ = year;
  displayMonth_ = month;
  SetSizeParameter();
}

void cSp_CalenderIconObject::TellMonthChanged() {
  if (modifyViewProc_ != nullptr) modifyViewProc_(modifyViewRefCon_, displayYear_, displayMonth_);
}

Boolean cSp_CalenderIconObject::ChangeOutputMonth(short year, short month) {
  if (year == displayYear_ && month == displayMonth_) return false;
  // The fallback tells the client itself.
  if (AnimateMonthChange(year, month)) {
    TellMonthChanged();
  } else {
    ChangeOutputMonthOldVer(year, month);
  }
  return true;
}

void cSp_CalenderIconObject::OpenBeforeMonth() {
  short year = 0, month = 0;
  MonthBefore(displayYear_, displayMonth_, year, month);
  ChangeOutputMonth(year, month);
}

void cSp_CalenderIconObject::OpenNextMonth() {
  short year = 0, month = 0;
  MonthAfter(displayYear_, displayMonth_, year, month);
  ChangeOutputMonth(year, month);
}

void cSp_CalenderIconObject::OpenBeforeYear() {
  ChangeOutputMonth(short(displayYear_ - 1), displayMonth_);
}

void cSp_CalenderIconObject::OpenNextYear() {
  ChangeOutputMonth(short(displayYear_ + 1), displayMonth_);
}

void cSp_CalenderIconObject::SelectionTargetDate(short year, short month, short day,
                                                 unsigned char show) {
  if (SameAsSelected(year, month, day)) return;
  selYear_ = year;
  selMonth_ = month;
  selDay_ = day;
  rangeActive_ = 0;
  if (show == 0) return;
  if (year != displayYear_ || month != displayMonth_) {
    ChangeOutputMonth(year, month);
  } else {
    UpdateViewableDrawingArea(1, 1, nullptr);
  }
}

void cSp_CalenderIconObject::GetSelectedDate(short& year, short& month, short& day) const {
  year = selYear_;
  month = selMonth_;
  day = selDay_;
}

Boolean cSp_CalenderIconObject::GetRangeEnd(short& year, short& month, short& day) const {
  year = endYear_;
  month = endMonth_;
  day = endDay_;
  return RangeInForce();
}

// ---- Holiday items and the day-information popup --------------------------------------------

void cSp_CalenderIconObject::SetupHoliday(short year, short month, short day, const char* name,
                                          tCalenderIconHolidaySetupType type) {
  cSp_CalenderIconHolidayItem* item =
      new (std::nothrow) cSp_CalenderIconHolidayItem(year, month, day, name, type);
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_CalenderIconObject::SetupHoliday", 1, kSpMsgMemory);
    return;
  }
  SpAppendToList(firstHoliday_, lastHoliday_, item);
}

Boolean cSp_CalenderIconObject::IsHoliday(short year, short month, short day, char* name,
                                          short length, unsigned char* cut,
                                          tCalenderIconHolidaySetupType* type) {
  if (cut != nullptr) *cut = 0;
  for (cSp_CalenderIconHolidayItem* item = firstHoliday_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (!item->IsDate(year, month, day)) continue;
    if (name != nullptr && length >= 1) {
      unsigned char nameCut = 0;
      item->GetName(name, length, nameCut);
      if (cut != nullptr) *cut = nameCut;
    }
    if (type != nullptr) *type = item->GetSetupType();
    return true;
  }
  return false;
}

void cSp_CalenderIconObject::EnableDayInfoPopup() {
  if (dayInfoPopup_ == nullptr) {
    Rect area;
    GetDrawingAreaOnWindow(&area);
    dayInfoPopup_ = new (std::nothrow) cSp_StringMouseTracePopup(GetTargetWindowPtr(), area,
                                                                 nullptr);
    if (dayInfoPopup_ == nullptr) {
      SpReportFailure(kSource, "cSp_CalenderIconObject::EnableDayInfoPopup", 1, kSpMsgMemory);
      return;
    }
  } else if (dayInfoEnabled_ != 0) {
    return;
  }
  dayInfoPopup_->MouseTracePopupEnable();
  dayInfoEnabled_ = 1;
}

void cSp_CalenderIconObject::DisableDayInfoPopup(unsigned char dispose) {
  if (dayInfoPopup_ != nullptr) {
    dayInfoPopup_->MouseTracePopupDisable();
    if (dispose != 0) {
      delete dayInfoPopup_;
      dayInfoPopup_ = nullptr;
    }
  }
  dayInfoEnabled_ = 0;
}

// ---- Geometry -------------------------------------------------------------------------------

void cSp_CalenderIconObject::MonthFacts(short year, short month, short& rows, short& days,
                                        short& firstWeekday) const {
  Sp_GetWeekInMonth(0, year, month, rows);
  if (rows < 1) rows = 5;
  Sp_GetNumOfDayInMonth(0, year, month, days);
  firstWeekday = WeekdayOf(year, month, 1);
}

void cSp_CalenderIconObject::SetSizeParameter() {
  short firstWeekday = 1;
  MonthFacts(displayYear_, displayMonth_, rows_, days_, firstWeekday);
  grid_ = Rect{0, 0, short(rows_ * cellHeight_ + 1), short(7 * cellWidth_)};
  frame_.bottom = short(frame_.top + grid_.bottom - grid_.top + shadowWidth_);
  frame_.right = short(frame_.left + grid_.right - grid_.left + shadowWidth_);
}

void cSp_CalenderIconObject::ResetCalenderViewSize(unsigned char noErase, unsigned char redraw) {
  Rect current;
  GetImmediateDrawingArea(&current);
  const Rect area = {current.top, current.left,
                     short(current.top + 6 * cellHeight_ + shadowWidth_),
                     short(current.left + 7 * cellWidth_ + shadowWidth_)};
  if (EqualRect(&area, &current)) return;
  frame_ = area;
  if (noErase == 0) {
    // Drawn once with nothing of its own, so only what lies beneath shows there.
    drawingSuspended_ = 1;
    DrawView(1, 0);
    drawingSuspended_ = 0;
  }
  ResizeViewArea(area, 0, 1);
  ModifyHotSpotArea();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cSp_CalenderIconObject::ModifyHotSpotArea() {
  Rect onWindow;
  GetDrawingAreaOnWindow(&onWindow);
  SetupHotSpotArea(onWindow);
}

Rect cSp_CalenderIconObject::CellOnWindow(const Rect& area, short row, short column,
                                          bool toGridBottom) const {
  Rect cell;
  cell.top = short(area.top + grid_.top + row * cellHeight_);
  cell.bottom = toGridBottom ? short(area.top + grid_.bottom) : short(cell.top + cellHeight_);
  cell.left = short(area.left + grid_.left + column * cellWidth_);
  cell.right = short(cell.left + cellWidth_);
  return cell;
}

Boolean cSp_CalenderIconObject::GetPositionItem(Point where, short& row, short& column,
                                                short& year, short& month, short& day) {
  Rect area;
  GetDrawingAreaOnWindow(&area);
  short rows = 0, days = 0, first = 1;
  MonthFacts(displayYear_, displayMonth_, rows, days, first);
  for (short d = 1; d <= days; ++d) {
    const short index = short(first - 1 + d - 1);
    const Rect cell = CellOnWindow(area, short(index / 7), short(index % 7), false);
    if (PtInRect(where, &cell)) {
      row = short(index / 7 + 1);
      column = short(index % 7 + 1);
      year = displayYear_;
      month = displayMonth_;
      day = d;
      return true;
    }
  }
  if (otherMonthBefore_ == 0 && otherMonthAfter_ == 0) return false;
  short beforeYear = 0, beforeMonth = 0, beforeDays = 0;
  MonthBefore(displayYear_, displayMonth_, beforeYear, beforeMonth);
  Sp_GetNumOfDayInMonth(0, beforeYear, beforeMonth, beforeDays);
  for (short c = 0; c < first - 1; ++c) {
    const Rect cell = CellOnWindow(area, 0, c, false);
    if (PtInRect(where, &cell)) {
      row = 1;
      column = short(c + 1);
      year = beforeYear;
      month = beforeMonth;
      day = short(beforeDays - first + 2 + c);
      return true;
    }
  }
  const short last = short(first - 1 + days - 1);
  for (short c = short(last % 7 + 1); c < 7; ++c) {
    const Rect cell = CellOnWindow(area, short(last / 7), c, true);
    if (PtInRect(where, &cell)) {
      row = rows;
      column = short(c + 1);
      MonthAfter(displayYear_, displayMonth_, year, month);
      day = short(c - last % 7);
      return true;
    }
  }
  return false;
}

Boolean cSp_CalenderIconObject::GetDateFromCalenderCellPosit(short row, short column,
                                                             short& year, short& month,
                                                             short& day) {
  if (row < 1 || column < 1) return false;
  short rows = 0, days = 0, first = 1;
  MonthFacts(displayYear_, displayMonth_, rows, days, first);
  const short p = short(column + 7 * row - 7);
  if (p < first) {
    short beforeDays = 0;
    MonthBefore(displayYear_, displayMonth_, year, month);
    Sp_GetNumOfDayInMonth(0, year, month, beforeDays);
    day = short(beforeDays - first + p + 1);
    return true;
  }
  if (p < first + days) {
    year = displayYear_;
    month = displayMonth_;
    day = short(p - first + 1);
    return true;
  }
  if (p > rows * 7) return false;
  MonthAfter(displayYear_, displayMonth_, year, month);
  day = short(p - first - days + 1);
  return true;
}

Boolean cSp_CalenderIconObject::GetSideSelectionItemWhenCoursorOut(Point where, short& year,
                                                                   short& month, short& day) {
  Rect area;
  GetDrawingAreaOnWindow(&area);
  if (PtInRect(where, &area)) return false;
  // The cell the point lines up with: whole cells from the grid's edge, counted from 1.
  const short row = Clamp(short((where.v - (area.top + grid_.top)) / cellHeight_ + 1), 1, rows_);
  const short column = Clamp(short((where.h - (area.left + grid_.left)) / cellWidth_ + 1), 1, 7);
  if (where.v < area.top) return GetDateFromCalenderCellPosit(1, column, year, month, day);
  if (where.v >= area.bottom) return GetDateFromCalenderCellPosit(rows_, column, year, month, day);
  if (where.h < area.left) return GetDateFromCalenderCellPosit(row, 1, year, month, day);
  return GetDateFromCalenderCellPosit(row, 7, year, month, day);
}

// ---- Selection ------------------------------------------------------------------------------

bool cSp_CalenderIconObject::SameAsSelected(short year, short month, short day) const {
  return year == selYear_ && month == selMonth_ && day == selDay_;
}

bool cSp_CalenderIconObject::RangeInForce() const {
  return multiSelection_ != 0 && rangeActive_ != 0 &&
         !(endYear_ == selYear_ && endMonth_ == selMonth_ && endDay_ == selDay_);
}

void cSp_CalenderIconObject::SetRangeEnd(short year, short month, short day) {
  endYear_ = year;
  endMonth_ = month;
  endDay_ = day;
  rangeActive_ = 1;
}

Boolean cSp_CalenderIconObject::IsInSelectionArea(short year, short month, short day,
                                                  tCalenderMultiSelectPosit& posit) {
  if (!RangeInForce()) {
    const short c = Sp_DayCmp(year, month, day, selYear_, selMonth_, selDay_);
    posit = c == 0 ? kCIO_Selected : (c < 0 ? kCIO_BeforeSelected : kCIO_AfterSelected);
    return c == 0;
  }
  const bool anchorFirst = Sp_DayCmp(selYear_, selMonth_, selDay_, endYear_, endMonth_, endDay_) < 0;
  const short toAnchor = Sp_DayCmp(year, month, day, selYear_, selMonth_, selDay_);
  const short toEnd = Sp_DayCmp(year, month, day, endYear_, endMonth_, endDay_);
  if (anchorFirst && toAnchor < 0) {
    posit = kCIO_BeforeAnchor;
    return false;
  }
  if (anchorFirst && toEnd > 0) {
    posit = kCIO_AfterEnd;
    return false;
  }
  if (!anchorFirst && toEnd < 0) {
    posit = kCIO_BeforeEnd;
    return false;
  }
  if (!anchorFirst && toAnchor > 0) {
    posit = kCIO_AfterAnchor;
    return false;
  }
  const short weekday = WeekdayOf(selYear_, selMonth_, selDay_);
  const bool filtered = selectionMethod_ == 1 &&
                        weekday == WeekdayOf(endYear_, endMonth_, endDay_) &&
                        WeekdayOf(year, month, day) != weekday;
  if (anchorFirst) {
    posit = filtered ? kCIO_InRangeFiltered : kCIO_InRange;
  } else {
    posit = filtered ? kCIO_InRangeBackFiltered : kCIO_InRangeBack;
  }
  return !filtered;
}

Boolean cSp_CalenderIconObject::ModifySelectionMethos() {
  short modifiers = 0;
  Sp_GetModifiers(&modifiers, nullptr);
  const unsigned char method = (multiSelection_ != 0 && rangeActive_ != 0 &&
                                weekdayFilter_ != 0 && modifiers == weekdayFilterKeys_)
                                   ? 1
                                   : 0;
  const bool changed = method != selectionMethod_;
  selectionMethod_ = method;
  return changed;
}

void cSp_CalenderIconObject::ModifyMultiSelectCalenderCell(unsigned char, short year, short month,
                                                           short day) {
  if (multiSelection_ == 0) return;
  const bool selected = SameAsSelected(year, month, day);
  const bool isEnd = year == endYear_ && month == endMonth_ && day == endDay_;
  const bool foreign = (year != selYear_ || month != selMonth_) && otherMonthBefore_ == 0 &&
                       otherMonthAfter_ == 0;
  if (rangeActive_ == 0 && (selected || foreign)) return;
  if (rangeActive_ != 0 && isEnd) return;
  if (rangeActive_ != 0 && (selected || foreign)) {
    rangeActive_ = 0;
    endYear_ = endMonth_ = endDay_ = 0;
  } else {
    SetRangeEnd(year, month, day);
  }
  RedrawNow();
}

bool cSp_CalenderIconObject::FollowDate(short year, short month, short day) {
  const UInt8 mode = calenderItemMoveType_GlV;
  if (mode == kAnchorFollows) {
    if (SameAsSelected(year, month, day)) return false;
    selYear_ = year;
    selMonth_ = month;
    selDay_ = day;
    return true;
  }
  if (mode != kEndFollows && mode != kPlainPress) return false;
  if (SameAsSelected(year, month, day)) {
    const bool changed = rangeActive_ != 0;
    rangeActive_ = 0;
    return changed;
  }
  const bool changed = rangeActive_ == 0 || year != endYear_ || month != endMonth_ ||
                       day != endDay_;
  SetRangeEnd(year, month, day);
  return changed;
}

// ---- The mouse ------------------------------------------------------------------------------

unsigned char cSp_CalenderIconObject::HotSpotMouseDonwProc(short modifiers, Point where) {
  calenderMoveStartPosit = where;
  calenderMoveBeforeModifiers_GlV = modifiers;
  short row = 0, column = 0, year = 0, month = 0, day = 0;
  if (!GetPositionItem(where, row, column, year, month, day)) return 0;
  tCalenderMultiSelectPosit posit = 0;
  IsInSelectionArea(year, month, day, posit);
  const bool shift = (modifiers & shiftKey) != 0;
  const bool inRange = posit == kCIO_InRange || posit == kCIO_InRangeBack;
  if (posit == kCIO_Selected || (!shift && inRange)) {
    calenderItemMoveType_GlV = kReleaseDecides;
  } else if (multiSelection_ == 0 || !shift) {
    calenderItemMoveType_GlV = kPlainPress;
    const bool changed = !SameAsSelected(year, month, day);
    selYear_ = year;
    selMonth_ = month;
    selDay_ = day;
    rangeActive_ = 0;
    RedrawNow();
    if (changed && modifySelectionProc_ != nullptr) {
      modifySelectionProc_(modifySelectionRefCon_, year, month, day);
    }
  } else if (inRange) {
    calenderItemMoveType_GlV = kPressedInRange;
  } else if (posit == kCIO_BeforeAnchor || posit == kCIO_AfterAnchor) {
    // Beyond the anchor's side: the anchor moves and the range keeps its end.
    if (rangeActive_ == 0) SetRangeEnd(selYear_, selMonth_, selDay_);
    selYear_ = year;
    selMonth_ = month;
    selDay_ = day;
    calenderItemMoveType_GlV = kAnchorFollows;
    ModifySelectionMethos();
    RedrawNow();
  } else {
    SetRangeEnd(year, month, day);
    calenderItemMoveType_GlV = kEndFollows;
    ModifySelectionMethos();
    RedrawNow();
  }
  return 1;
}

unsigned char cSp_CalenderIconObject::HotSpotMouseAreaInProc(short, Point where) {
  short row = 0, column = 0, year = 0, month = 0, day = 0;
  if (!GetPositionItem(where, row, column, year, month, day)) return 1;
  const bool changed = FollowDate(year, month, day);
  if (ModifySelectionMethos() || changed) RedrawNow();
  return 1;
}

unsigned char cSp_CalenderIconObject::HotSpotMouseMoveProc(short modifiers, Point where) {
  return HotSpotMouseAreaInProc(modifiers, where);
}

unsigned char cSp_CalenderIconObject::HotSpotMouseAreaOutProc(short, Point where) {
  const UInt8 mode = calenderItemMoveType_GlV;
  if (mode == kPressedInRange) {
    if (!EqualPt(where, calenderMoveStartPosit)) calenderItemMoveType_GlV = kMovedAwayInRange;
    return 1;
  }
  if (mode != kEndFollows && mode != kPlainPress && mode != kAnchorFollows) return 1;
  short year = 0, month = 0, day = 0;
  if (!GetSideSelectionItemWhenCoursorOut(where, year, month, day)) return 1;
  const bool changed = FollowDate(year, month, day);
  const bool methodChanged = mode != kAnchorFollows && ModifySelectionMethos();
  if (changed || methodChanged) RedrawNow();
  return 1;
}

unsigned char cSp_CalenderIconObject::HotSpotMouseUpProc(short, Point where) {
  short row = 0, column = 0, year = 0, month = 0, day = 0;
  if (!GetPositionItem(where, row, column, year, month, day)) return 1;
  tCalenderMultiSelectPosit posit = 0;
  switch (calenderItemMoveType_GlV) {
    case kPressedInRange:
      if (IsInSelectionArea(year, month, day, posit)) SetRangeEnd(year, month, day);
      break;
    case kEndFollows:
    case kPlainPress:
    case kAnchorFollows:
      FollowDate(year, month, day);
      break;
    case kReleaseDecides:
      selYear_ = year;
      selMonth_ = month;
      selDay_ = day;
      rangeActive_ = 0;
      break;
    default:
      break;
  }
  ModifySelectionMethos();
  RedrawNow();
  return 1;
}

void cSp_CalenderIconObject::HotSpotClickProc(short, Point) {}

unsigned char cSp_CalenderIconObject::HotSpotDblClickProc(short, Point) {
  return 0;
}

unsigned char cSp_CalenderIconObject::HotSpotMouseDownTraceProc(short modifiers, Point) {
  if (modifiers == calenderMoveBeforeModifiers_GlV) return 1;
  calenderMoveBeforeModifiers_GlV = modifiers;
  if (ModifySelectionMethos()) RedrawNow();
  return 1;
}
