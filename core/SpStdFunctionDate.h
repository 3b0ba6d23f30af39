// Calendar arithmetic of the framework: the current date, conversions between second counts
// and date records, month facts, moving by days and months across month, year and era
// boundaries, comparisons, a compact date-time text, and an ordered list of dates.
//
// A date is era, year, month and day. Era 0 is the common era and era -1 the era before it;
// years count from 1 in both, with no year 0. Seconds count from 1904-01-01 00:00 local time
// and are kept 64 bits wide; only the functions that hand out a 32-bit count wrap (in 2040).
#pragma once

#include <cstddef>
#include <new>

#include "DateTimeUtils.h"
#include "MacMemory.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// Current date and conversions. The functions do nothing for a null out-record.
// The current seconds, in full width (the same value as the 32-bit count until it wraps in
// February 2040, correct after it).
void Sp_GetNowLongDateTimeSec(SInt64* seconds);
void Sp_GetNowLongDateTimeRec(LongDateRec* date);
void Sp_DateTimeSecToLongDateTimeSec(UInt32 seconds, SInt64* longSeconds);
void Sp_DateTimeSecToLongDateTimeRec(UInt32 seconds, LongDateRec* date);
void Sp_DateTimeRecToLongDateTimeRec(DateTimeRec* shortDate, LongDateRec* date);
// The date in the common era, normalised: out-of-range days and months roll over, and the
// day of week, day of year and week of year are filled in.
void Sp_TargetDateToLongDateTimeRec(short year, short month, short day, LongDateRec* date);
// Sets the date and time (seconds 0) and fills in the derived fields.
void SetLongDateTime(LongDateRec* date, short era, short year, short month, short day, short hour,
                     short minute);
// The date's seconds as a 32-bit count: the low 32 bits of the full count. Read as unsigned,
// the value is right from 1904 until 2040-02-06 06:28:15 and wraps after it; read as signed
// it turns negative from 1972-01-20 on. Callers that need any date use LongDateToSeconds.
SInt32 Sp_DateTimeRectToSecs(LongDateRec& date);
// Reads "YYYYMMDDhhmm" (fixed-width decimal fields; the fields the text is too short for
// are 0) into the record, seconds 0.
void Sp_DateTimeStringToLongDateTime(const char* text, LongDateRec& date);

// Month facts.
void Sp_GetNumOfDayInMonth(short era, short year, short month, short& days);
// The number of week rows (Sunday to Saturday) the month's days span.
void Sp_GetWeekInMonth(short era, short year, short month, short& weeks);
// Which occurrence of its weekday in the month the day is: 1 for days 1 to 7, 2 for 8 to 14.
short Sp_GetRankOfDayOfWeekInMonth(short day);
// Gregorian length of the month; months outside 1 to 12 move into the years around it
// (month 0 is December of the year before, 14 February of the year after).
short Sp_GetLastDayOnTargetMonth(short year, short month);

// Arithmetic: moves the date by n days or months (a negative n moves the other way). A day,
// month or year below 1 in the input is first moved back into the months, years or era
// before it.
void Sp_AddDay(short era, short year, short month, short day, short n, short& outEra,
               short& outYear, short& outMonth, short& outDay);
void Sp_SubDay(short era, short year, short month, short day, short n, short& outEra,
               short& outYear, short& outMonth, short& outDay);
void Sp_AddMonth(short era, short year, short month, short n, short& outEra, short& outYear,
                 short& outMonth);
void Sp_SubMonth(short era, short year, short month, short n, short& outEra, short& outYear,
                 short& outMonth);
void Sp_GetNextMonth(short era, short year, short month, short& outEra, short& outYear,
                     short& outMonth);
void Sp_GetBeforeMonth(short era, short year, short month, short& outEra, short& outYear,
                       short& outMonth);

// Comparisons: 1 when the first date is later, 0 when equal, -1 when earlier.
short Sp_DayCmp(short year1, short month1, short day1, short year2, short month2, short day2);
// Era, year, month and day; in the era before the common era a smaller year is later. A null
// record gives 0.
short Sp_DateTimeRecDayCmp(LongDateRec* date1, LongDateRec* date2);
// The same, continuing with hour, minute and second.
short Sp_DateTimeRecCmp(LongDateRec* date1, LongDateRec* date2);

// One date of a cDateList.
class cDateListItem : public cSpListLinks<cDateListItem>, public cSpMacHeapObject {
 public:
  explicit cDateListItem(const LongDateRec& date) : date_(date) {}

  void GetDate(LongDateRec& date) const { date = date_; }

 private:
  LongDateRec date_{};
};

// An ordered list of dates that owns its items, with a sequential reader.
class cDateList {
 public:
  cDateList() = default;
  ~cDateList() { ClearItem(); }
  cDateList(const cDateList&) = delete;
  cDateList& operator=(const cDateList&) = delete;

  // Appends a copy of the date.
  void SetupDateItem(LongDateRec& date);
  // Appends the normalised date of the common era (Sp_TargetDateToLongDateTimeRec).
  void SetupDateItem(short year, short month, short day);
  SInt32 GetDateItemNum() const { return count_; }
  // The n-th date, from 1; 0 when there is none.
  Boolean GetDateItemData(SInt32 n, LongDateRec& date);
  Boolean GetDateItemData(SInt32 n, short& year, short& month, short& day);
  // Starts the sequential reading at the first date.
  void InitializeSeqReferece();
  // The next date of the sequential reading; 0 at the end.
  Boolean GetDateItemDataWithSeq(LongDateRec& date);
  Boolean GetDateItemDataWithSeq(short& year, short& month, short& day);
  void ClearItem();

 private:
  void Append(const LongDateRec& date);
  cDateListItem* ItemAt(SInt32 n) const;

  SInt32 count_ = 0;
  cDateListItem* first_ = nullptr;
  cDateListItem* last_ = nullptr;
  cDateListItem* cursor_ = nullptr;
};
