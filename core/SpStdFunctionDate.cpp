#include "SpStdFunctionDate.h"

#include <cstring>

#include "Clock.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpStdFunction";

// The date being moved, wide enough that intermediate values do not overflow.
struct Date {
  int era;
  int year;
  int month;
  int day;
};

void Out(const Date& d, short& era, short& year, short& month) {
  era = short(d.era);
  year = short(d.year);
  month = short(d.month);
}

void Out(const Date& d, short& era, short& year, short& month, short& day) {
  Out(d, era, year, month);
  day = short(d.day);
}

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int DaysInMonth(const Date& d) {
  short days = 0;
  Sp_GetNumOfDayInMonth(short(d.era), short(d.year), short(d.month), days);
  return days;
}

Date AddMonths(Date d, int n);
Date SubMonths(Date d, int n);

// A month below 1 moves back into the years before, then a year below 1 into the other era.
Date NormaliseMonthAndYear(Date d) {
  if (d.month < 1) {
    Date first = d;
    first.month = 1;
    const int day = d.day;
    d = SubMonths(first, 1 - d.month);
    d.day = day;
  }
  if (d.year < 1) {
    if (d.era == 0) {
      d.era = -1;
    } else if (d.era == -1) {
      d.era = 0;
    }
    d.year = 1 - d.year;
  }
  return d;
}

Date SubDays(Date d, int n);

// A day below 1 moves back into the months before; then the month and year as above.
Date Normalise(Date d) {
  if (d.day < 1) {
    Date first = d;
    first.day = 1;
    return SubDays(first, 1 - d.day);
  }
  return NormaliseMonthAndYear(d);
}

Date AddMonths(Date d, int n) {
  if (n < 0) return SubMonths(d, -n);
  d = NormaliseMonthAndYear(d);
  const int m = d.month + n;
  if (m <= 12) {
    d.month = m;
    return d;
  }
  int k = m / 12;
  d.month = m % 12;
  if (d.month == 0) {
    d.month = 12;
    k -= 1;
  }
  if (d.era == -1) {
    if (d.year <= k) {
      d.era = 0;
      d.year = k - d.year + 1;
    } else {
      d.year -= k;
    }
  } else {
    d.year += k;
  }
  return d;
}

Date SubMonths(Date d, int n) {
  if (n < 0) return AddMonths(d, -n);
  d = NormaliseMonthAndYear(d);
  if (d.month > n) {
    d.month -= n;
    return d;
  }
  int k = n / 12;
  const int r = n % 12;
  if (d.month <= r) {
    k += 1;
    d.month = d.month - r + 12;
  } else {
    d.month -= r;
  }
  if (d.era == -1) {
    d.year += k;
  } else if (d.year <= k) {
    d.era = -1;
    d.year = k - d.year + 1;
  } else {
    d.year -= k;
  }
  return d;
}

Date AddDays(Date d, int n);

Date SubDays(Date d, int n) {
  if (n < 0) return AddDays(d, -n);
  d = Normalise(d);
  while (n > 0) {
    if (d.day > n) {
      d.day -= n;
      break;
    }
    n -= d.day;
    d = SubMonths(d, 1);
    d.day = DaysInMonth(d);
  }
  return d;
}

Date AddDays(Date d, int n) {
  if (n < 0) return SubDays(d, -n);
  d = Normalise(d);
  while (n > 0) {
    const int days = DaysInMonth(d);
    if (d.day + n <= days) {
      d.day += n;
      break;
    }
    n = n - (days - d.day) - 1;
    d = AddMonths(d, 1);
    d.day = 1;
  }
  return d;
}

short Compare(int a, int b) {
  return a > b ? 1 : (a < b ? -1 : 0);
}

// Era, year, month, day; in the era before the common era a smaller year is later.
short CompareDays(const LongDateRec& a, const LongDateRec& b) {
  if (short c = Compare(a.era, b.era)) return c;
  if (short c = Compare(a.year, b.year)) return a.era == -1 ? short(-c) : c;
  if (short c = Compare(a.month, b.month)) return c;
  return Compare(a.day, b.day);
}

// The record of the month's first day, its other fields 0.
LongDateRec FirstOfMonth(short era, short year, short month) {
  LongDateRec first{};
  first.era = era;
  first.year = year;
  first.month = month;
  first.day = 1;
  return first;
}

// The number of the text's fixed-width field at [offset, offset + width).
SInt32 Field(const char* text, std::size_t offset, std::size_t width) {
  char buffer[8] = {};
  std::memcpy(buffer, text + offset, width);
  SInt32 value = 0;
  Sp_StringToNumber(buffer, &value);
  return value;
}

}  // namespace

void Sp_GetNowLongDateTimeSec(SInt64* seconds) {
  if (seconds != nullptr) *seconds = SpGetDateTime64();
}

void Sp_GetNowLongDateTimeRec(LongDateRec* date) {
  if (date == nullptr) return;
  LongDateTime now = SpGetDateTime64();
  LongSecondsToDate(&now, date);
}

void Sp_DateTimeSecToLongDateTimeSec(UInt32 seconds, SInt64* longSeconds) {
  if (longSeconds != nullptr) *longSeconds = SInt64(seconds);
}

void Sp_DateTimeSecToLongDateTimeRec(UInt32 seconds, LongDateRec* date) {
  if (date == nullptr) return;
  LongDateTime wide = SInt64(seconds);
  LongSecondsToDate(&wide, date);
}

void Sp_DateTimeRecToLongDateTimeRec(DateTimeRec* shortDate, LongDateRec* date) {
  if (shortDate == nullptr || date == nullptr) return;
  // Through the wide count, so dates outside the 32-bit range convert too.
  LongDateRec full{};
  full.year = shortDate->year;
  full.month = shortDate->month;
  full.day = shortDate->day;
  full.hour = shortDate->hour;
  full.minute = shortDate->minute;
  full.second = shortDate->second;
  LongDateTime seconds = 0;
  LongDateToSeconds(&full, &seconds);
  LongSecondsToDate(&seconds, date);
}

void Sp_TargetDateToLongDateTimeRec(short year, short month, short day, LongDateRec* date) {
  if (date == nullptr) return;
  *date = LongDateRec{};
  date->year = year;
  date->month = month;
  date->day = day;
  LongDateTime seconds = 0;
  LongDateToSeconds(date, &seconds);
  LongSecondsToDate(&seconds, date);
}

void SetLongDateTime(LongDateRec* date, short era, short year, short month, short day, short hour,
                     short minute) {
  if (date == nullptr) return;
  date->era = era;
  date->year = year;
  date->month = month;
  date->day = day;
  date->hour = hour;
  date->minute = minute;
  date->second = 0;
  LongDateTime seconds = 0;
  ValidDate(date, dayOfWeekMask | dayOfYearMask | weekOfYearMask, &seconds);
  LongSecondsToDate(&seconds, date);
}

SInt32 Sp_DateTimeRectToSecs(LongDateRec& date) {
  LongDateTime seconds = 0;
  LongDateToSeconds(&date, &seconds);
  return SInt32(UInt32(UInt64(seconds)));
}

void Sp_DateTimeStringToLongDateTime(const char* text, LongDateRec& date) {
  if (text == nullptr) return;
  const std::size_t length = std::strlen(text);
  // Each field is read only when the text holds all of its digits.
  const SInt32 year = length >= 4 ? Field(text, 0, 4) : 0;
  const SInt32 month = length >= 6 ? Field(text, 4, 2) : 0;
  const SInt32 day = length >= 8 ? Field(text, 6, 2) : 0;
  const SInt32 hour = length >= 10 ? Field(text, 8, 2) : 0;
  const SInt32 minute = length >= 12 ? Field(text, 10, 2) : 0;
  SetLongDateTime(&date, 0, short(year), short(month), short(day), short(hour), short(minute));
}

void Sp_GetNumOfDayInMonth(short era, short year, short month, short& days) {
  LongDateRec first = FirstOfMonth(era, year, month);
  LongDateTime seconds = 0;
  ValidDate(&first, dayOfWeekMask | dayOfYearMask | weekOfYearMask, &seconds);
  // Day 1 stepped back by one wraps within its month, to the month's last day.
  TogglePB params{};
  params.togFlags = dateStdMask;
  ToggleDate(&seconds, dayField, -1, 1, &params);
  LongDateRec last{};
  LongSecondsToDate(&seconds, &last);
  days = last.day;
}

void Sp_GetWeekInMonth(short era, short year, short month, short& weeks) {
  short days = 0;
  Sp_GetNumOfDayInMonth(era, year, month, days);
  LongDateRec first = FirstOfMonth(era, year, month);
  LongDateTime seconds = 0;
  LongDateToSeconds(&first, &seconds);
  LongSecondsToDate(&seconds, &first);
  const int w = first.dayOfWeek + days - 1;
  weeks = short(w > 0 ? (w + 6) / 7 : 0);
}

short Sp_GetRankOfDayOfWeekInMonth(short day) {
  return short(day > 0 ? (day + 6) / 7 : -((-day) / 7));
}

short Sp_GetLastDayOnTargetMonth(short year, short month) {
  static const short kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  // Months outside 1 to 12 move into the years around, both ways.
  const int y = year + FloorDiv(month - 1, 12);
  const int m = month - 1 - FloorDiv(month - 1, 12) * 12 + 1;
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return kDays[m - 1];
}

void Sp_AddDay(short era, short year, short month, short day, short n, short& outEra,
               short& outYear, short& outMonth, short& outDay) {
  Out(AddDays(Date{era, year, month, day}, n), outEra, outYear, outMonth, outDay);
}

void Sp_SubDay(short era, short year, short month, short day, short n, short& outEra,
               short& outYear, short& outMonth, short& outDay) {
  Out(SubDays(Date{era, year, month, day}, n), outEra, outYear, outMonth, outDay);
}

void Sp_AddMonth(short era, short year, short month, short n, short& outEra, short& outYear,
                 short& outMonth) {
  Out(AddMonths(Date{era, year, month, 1}, n), outEra, outYear, outMonth);
}

void Sp_SubMonth(short era, short year, short month, short n, short& outEra, short& outYear,
                 short& outMonth) {
  Out(SubMonths(Date{era, year, month, 1}, n), outEra, outYear, outMonth);
}

void Sp_GetNextMonth(short era, short year, short month, short& outEra, short& outYear,
                     short& outMonth) {
  Sp_AddMonth(era, year, month, 1, outEra, outYear, outMonth);
}

void Sp_GetBeforeMonth(short era, short year, short month, short& outEra, short& outYear,
                       short& outMonth) {
  Sp_SubMonth(era, year, month, 1, outEra, outYear, outMonth);
}

short Sp_DayCmp(short year1, short month1, short day1, short year2, short month2, short day2) {
  if (short c = Compare(year1, year2)) return c;
  if (short c = Compare(month1, month2)) return c;
  return Compare(day1, day2);
}

short Sp_DateTimeRecDayCmp(LongDateRec* date1, LongDateRec* date2) {
  if (date1 == nullptr || date2 == nullptr) return 0;
  return CompareDays(*date1, *date2);
}

short Sp_DateTimeRecCmp(LongDateRec* date1, LongDateRec* date2) {
  if (date1 == nullptr || date2 == nullptr) return 0;
  if (short c = CompareDays(*date1, *date2)) return c;
  if (short c = Compare(date1->hour, date2->hour)) return c;
  if (short c = Compare(date1->minute, date2->minute)) return c;
  return Compare(date1->second, date2->second);
}

// ---------------------------------------------------------------------------------------
// cDateList

void cDateList::Append(const LongDateRec& date) {
  cDateListItem* item = new (std::nothrow) cDateListItem(date);
  if (item == nullptr) {
    SpReportFailure(kSource, "cDateList::SetupDateItem", 1, kSpMsgMemory);
    return;
  }
  SpAppendToList(first_, last_, item);
  ++count_;
}

void cDateList::SetupDateItem(LongDateRec& date) {
  Append(date);
}

void cDateList::SetupDateItem(short year, short month, short day) {
  LongDateRec date{};
  Sp_TargetDateToLongDateTimeRec(year, month, day, &date);
  Append(date);
}

cDateListItem* cDateList::ItemAt(SInt32 n) const {
  if (n < 1 || n > count_) return nullptr;
  cDateListItem* item = first_;
  for (SInt32 i = 1; i < n && item != nullptr; ++i) item = item->GetNextObjectPtr();
  return item;
}

Boolean cDateList::GetDateItemData(SInt32 n, LongDateRec& date) {
  cDateListItem* item = ItemAt(n);
  if (item == nullptr) return 0;
  item->GetDate(date);
  return 1;
}

Boolean cDateList::GetDateItemData(SInt32 n, short& year, short& month, short& day) {
  LongDateRec date{};
  if (!GetDateItemData(n, date)) return 0;
  year = date.year;
  month = date.month;
  day = date.day;
  return 1;
}

void cDateList::InitializeSeqReferece() {
  cursor_ = first_;
}

Boolean cDateList::GetDateItemDataWithSeq(LongDateRec& date) {
  if (cursor_ == nullptr) return 0;
  cursor_->GetDate(date);
  cursor_ = cursor_->GetNextObjectPtr();
  return 1;
}

Boolean cDateList::GetDateItemDataWithSeq(short& year, short& month, short& day) {
  LongDateRec date{};
  if (!GetDateItemDataWithSeq(date)) return 0;
  year = date.year;
  month = date.month;
  day = date.day;
  return 1;
}

void cDateList::ClearItem() {
  SpDeleteList(first_);
  first_ = nullptr;
  count_ = 0;
  last_ = nullptr;
  cursor_ = nullptr;
}
