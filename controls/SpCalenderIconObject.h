// The calendar icon: a framework-drawn month page of day cells, seven columns from Sunday to
// Saturday and one row per week of the displayed month, with the neighbouring months' days in
// the leading and trailing cells.
//
// The page shows a drop shadow and colours today, Saturdays, Sundays and holidays (from the
// holiday module and from the calendar's own holiday items). The user selects a date with
// the mouse, or a range of dates with the Shift key (dragging moves the range's end, or its
// anchor when pressed beyond it); with Shift and Option held, a range whose ends fall on the
// same weekday selects only that weekday. Another month comes in with a slide animation in an
// offscreen, or, when no offscreen can be made, with a cell scroll and a zoom rectangle; the
// client hears of every month change and of a date chosen with a plain click. The page keeps
// room for six rows whatever the month.
//
// The calendar is a view, a hot-spot area and a drop target at once. Drop targets belong to a
// library above this one, which hands the calendar its target through the services below;
// without them the calendar takes no drops. An optional day-information popup is a hover
// popup over the calendar.
//
// Failures beep once and leave one error-log record (source "SpCalenderIconObject").
#pragma once

#include "DateTimeUtils.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpDrawingView.h"
#include "SpHotSpotArea.h"

class cDropCatchObject;
class cSp_CalenderIconHolidayItem;
class cSp_StringMouseTracePopup;
struct sCIO_AnimationRecord;

// Where a date lies against the selection (see IsInSelectionArea).
typedef UInt8 tCalenderMultiSelectPosit;
enum : tCalenderMultiSelectPosit {
  kCIO_Selected = 1,             // no range: the selected date
  kCIO_BeforeSelected = 2,       // no range: before it
  kCIO_AfterSelected = 3,        // no range: after it
  kCIO_BeforeAnchor = 4,         // anchor before end: before the anchor
  kCIO_InRange = 5,              // anchor before end: inside, selected
  kCIO_InRangeFiltered = 6,      // anchor before end: inside, left out by the weekday filter
  kCIO_AfterEnd = 7,             // anchor before end: after the end
  kCIO_BeforeEnd = 8,            // anchor after end: before the end
  kCIO_InRangeBack = 9,          // anchor after end: inside, selected
  kCIO_InRangeBackFiltered = 10, // anchor after end: inside, left out by the weekday filter
  kCIO_AfterAnchor = 11,         // anchor after end: after the anchor
};

// Stored with a holiday item and handed back; not interpreted.
typedef UInt8 tCalenderIconHolidaySetupType;

typedef void (*tSpCIO_ModifyViewProcPtr)(unsigned long refCon, short year, short month);
typedef void (*tSpCIO_ModifySelectionProcPtr)(unsigned long refCon, short year, short month,
                                              short day);

// What the drop-target library gives the calendar: a drop target over the area (window-local,
// location values 0 and 0, window hilite off), and its disposal.
struct sSpCalenderDropServices {
  cDropCatchObject* (*NewDropTarget)(WindowRef window, const Rect& area);
  void (*DisposeDropTarget)(cDropCatchObject* target);
};
// Installs the drop-target services (null: none, as at start). Calendars made before keep what
// they had.
void Sp_CIO_SetupDropTargetServices(const sSpCalenderDropServices* services);

// The mouse state shared by every calendar: one press at a time.
extern Point calenderMoveStartPosit;
extern short calenderMoveBeforeModifiers_GlV;
extern UInt8 calenderItemMoveType_GlV;

// The ten colours.
struct sSpCalenderColours {
  RGBColor content, otherMonth, today, line, selectionLine;
  RGBColor weekdayString, saturdayString, holidayString, shadow, shadowToContainer;
};

class cSp_CalenderIconObject : public cSp_DrawingView, public cSp_HotSpotArea {
 public:
  // A page at `area` (the container's content coordinates) showing the month of the selected
  // date (year, month, day), with cells of cellWidth x cellHeight pixels.
  cSp_CalenderIconObject(WindowRef window, const Rect& area, short year, short month, short day,
                         short cellWidth, short cellHeight, unsigned char visible,
                         cSp_View* container, unsigned char drawInContainerOffscreen);
  // Frees the holiday items, the day-information popup and the drop target.
  ~cSp_CalenderIconObject() override;

  // The drop target, for the client to give flavours and procedures; null without the
  // services.
  cDropCatchObject* GetDropCatchObject() const { return dropTarget_; }

  // ---- Appearance: the value is stored, the view marked, and redrawn at once when asked ----
  // 0 or less: the system font; 1: the application font.
  void SetupFontNo(short font, unsigned char redraw);
  // Below 1: the default size. 0 at construction: fitted to the cell.
  void SetupTextSize(short size, unsigned char redraw);
  void SetupFontOutputOffset(short offset, unsigned char redraw);
  void SetupLineWidth(short width, unsigned char redraw);
  void SetupSelectionLineWidth(short width, unsigned char redraw);
  void ShowShadow(unsigned char show, unsigned char redraw);
  void SetupShadowWidth(short width, unsigned char redraw);
  void SetupContentColor(const RGBColor* colour, unsigned char redraw);
  void SetupOtherMonthAreaContentColor(const RGBColor* colour, unsigned char redraw);
  void SetupTodayContentColor(const RGBColor* colour, unsigned char redraw);
  void SetupLineColor(const RGBColor* colour, unsigned char redraw);
  void SetupSelectionLineColor(const RGBColor* colour, unsigned char redraw);
  void SetupWeekdayStirngColor(const RGBColor* colour, unsigned char redraw);
  void SetupSaturdayStringColor(const RGBColor* colour, unsigned char redraw);
  void SetupHolidayStringColor(const RGBColor* colour, unsigned char redraw);
  void SetupShadowColor(const RGBColor* colour, unsigned char redraw);
  void SetupShadowToContainerContentColor(const RGBColor* colour, unsigned char redraw);
  // A negative size leaves that side.
  void SetupDayAreaSize(short cellWidth, short cellHeight, unsigned char redraw);
  void ShowScrollAnimation(unsigned char show) { showScrollAnimation_ = show; }
  void SetupModifyViewProc(tSpCIO_ModifyViewProcPtr proc, unsigned long refCon);
  void SetupModifySelectionProc(tSpCIO_ModifySelectionProcPtr proc, unsigned long refCon);

  // ---- Month and date ----
  void GetOutputYearMonth(short& year, short& month) const;
  // Another month, animated; false when it is shown already. Every change reaches the
  // modify-view procedure.
  Boolean ChangeOutputMonth(short year, short month);
  // The month change without the offscreen: a cell scroll and a zoom rectangle.
  void ChangeOutputMonthOldVer(short year, short month);
  void OpenBeforeMonth();
  void OpenNextMonth();
  void OpenBeforeYear();
  void OpenNextYear();
  void SelectionTargetDate(short year, short month, short day, unsigned char show);
  void GetSelectedDate(short& year, short& month, short& day) const;
  // The range's end; false when no range is in force.
  Boolean GetRangeEnd(short& year, short& month, short& day) const;
  unsigned char GetSelectionMethod() const { return selectionMethod_; }

  // ---- Holiday items ----
  void SetupHoliday(short year, short month, short day, const char* name,
                    tCalenderIconHolidaySetupType type);
  // The first item of the date: its name into the buffer (when given, length at least 1), the
  // cut flag and its type.
  Boolean IsHoliday(short year, short month, short day, char* name, short length,
                    unsigned char* cut, tCalenderIconHolidaySetupType* type);

  // ---- Day-information popup ----
  void EnableDayInfoPopup();
  void DisableDayInfoPopup(unsigned char dispose);
  cSp_StringMouseTracePopup* GetDayInfoPopup() const { return dayInfoPopup_; }
  unsigned char IsDayInfoPopupEnable() const { return dayInfoEnabled_; }

  // ---- Geometry and hit testing (window coordinates) ----
  void SetSizeParameter();
  void ResetCalenderViewSize(unsigned char noErase, unsigned char redraw);
  void ModifyHotSpotArea();
  short GetRowCount() const { return rows_; }
  void GetGridRect(Rect& rect) const { rect = grid_; }
  void GetFrameRect(Rect& rect) const { rect = frame_; }
  // The day cell under the point: row and column from 1 (Sunday), and its date.
  Boolean GetPositionItem(Point where, short& row, short& column, short& year, short& month,
                          short& day);
  Boolean GetDateFromCalenderCellPosit(short row, short column, short& year, short& month,
                                       short& day);
  // The date of the edge cell nearest to a point outside the view.
  Boolean GetSideSelectionItemWhenCoursorOut(Point where, short& year, short& month, short& day);
  // True when the date is drawn as selected.
  Boolean IsInSelectionArea(short year, short month, short day, tCalenderMultiSelectPosit& posit);
  // The weekday filter's method follows the keys held now; true when it changed.
  Boolean ModifySelectionMethos();
  void ModifyMultiSelectCalenderCell(unsigned char unused, short year, short month, short day);

  // ---- Drawing (SpCalenderIconObjDraw.cpp) ----
  void DrawCalender();
  void DrawDayStringToRect(Rect cell, short year, short month, short day, short weekday,
                           LongDateRec& today);
  // The text size the cells use now.
  short CellTextSize();

  // ---- The hot spot ----
  unsigned char HotSpotMouseDonwProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaOutProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseAreaInProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseUpProc(short modifiers, Point localPoint) override;
  void HotSpotClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotDblClickProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseMoveProc(short modifiers, Point localPoint) override;
  unsigned char HotSpotMouseDownTraceProc(short modifiers, Point localPoint) override;

  // The animation's frame procedure reaches these.
  friend unsigned char Sp_CIO_AnimationDrawingCallProc(unsigned long refCon, SInt32& frameNo,
                                                       GrafPtr port, short dh, short dv,
                                                       unsigned char& copyNow, RgnHandle copyRgn,
                                                       unsigned char& restoreBackground,
                                                       RgnHandle restoreRgn);

 private:
  void Mark(unsigned char redraw);
  void SetColour(RGBColor& slot, const RGBColor* colour, unsigned char redraw);
  void RedrawNow() { DrawView(1, 0); }
  void ShowMonth(short year, short month);
  void TellMonthChanged();
  bool SameAsSelected(short year, short month, short day) const;
  bool RangeInForce() const;
  void SetRangeEnd(short year, short month, short day);
  // The range end (modes 5 and 7) or the anchor (mode 6) follows a date.
  bool FollowDate(short year, short month, short day);
  void MonthFacts(short year, short month, short& rows, short& days, short& firstWeekday) const;
  Rect CellOnWindow(const Rect& area, short row, short column, bool toGridBottom) const;
  // The animated change; false when the offscreen could not be had.
  bool AnimateMonthChange(short year, short month);
  void FreeHolidayItems();

  short displayYear_ = 0;
  short displayMonth_ = 0;
  short selYear_ = 0, selMonth_ = 0, selDay_ = 0;
  unsigned char multiSelection_ = 1;
  unsigned char rangeActive_ = 0;
  short endYear_ = 0, endMonth_ = 0, endDay_ = 0;
  unsigned char otherMonthBefore_ = 1;
  unsigned char otherMonthAfter_ = 1;
  unsigned char weekdayFilter_ = 1;
  short weekdayFilterKeys_ = 2560;
  unsigned char selectionMethod_ = 0;
  short rows_ = 5;
  short days_ = 0;
  short cellHeight_ = 0;
  short cellWidth_ = 0;
  Rect grid_ = {0, 0, 0, 0};
  Rect frame_ = {0, 0, 0, 0};
  short lineWidth_ = 1;
  short selectionLineWidth_ = 4;
  short fontNo_ = 0;
  short textSize_ = 0;
  short fontOutputOffset_ = 1;
  unsigned char showShadow_ = 1;
  short shadowWidth_ = 4;
  sSpCalenderColours colours_ = {};
  unsigned char showScrollAnimation_ = 1;
  unsigned char drawingSuspended_ = 0;
  short hScrollOffset_ = 0;
  short vScrollOffset_ = 0;
  unsigned char dayInfoEnabled_ = 0;
  cSp_StringMouseTracePopup* dayInfoPopup_ = nullptr;
  cSp_CalenderIconHolidayItem* firstHoliday_ = nullptr;
  cSp_CalenderIconHolidayItem* lastHoliday_ = nullptr;
  tSpCIO_ModifyViewProcPtr modifyViewProc_ = nullptr;
  unsigned long modifyViewRefCon_ = 0;
  tSpCIO_ModifySelectionProcPtr modifySelectionProc_ = nullptr;
  unsigned long modifySelectionRefCon_ = 0;
  cDropCatchObject* dropTarget_ = nullptr;
  void (*disposeDropTarget_)(cDropCatchObject*) = nullptr;
};

// The calendar's drawing procedure (reference value: the calendar).
void Sp_CIO_DrawingProc(unsigned long refCon, Rect* area);
