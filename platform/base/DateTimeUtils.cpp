#include "DateTimeUtils.h"

#include "Clock.h"

namespace {

constexpr SInt64 kSecondsPerDay = 86400;
// Days from 0000-03-01 (astronomical years) to 1904-01-01, the day the seconds count from.
constexpr SInt64 kDaysTo1904 = 695361;

SInt64 FloorDiv(SInt64 a, SInt64 b) {
  SInt64 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

SInt64 FloorMod(SInt64 a, SInt64 b) {
  return a - FloorDiv(a, b) * b;
}

// Years on one line with a year 0: era 0 year y is y, era -1 year y is 1 - y (so the year
// before the common era's year 1 is 0). Any era below 0 counts as the era before.
SInt64 AstronomicalYear(SInt64 era, SInt64 year) {
  return era < 0 ? 1 - year : year;
}

bool IsLeapYear(SInt64 astronomicalYear) {
  return (FloorMod(astronomicalYear, 4) == 0 && FloorMod(astronomicalYear, 100) != 0) ||
         FloorMod(astronomicalYear, 400) == 0;
}

int DaysInMonth(SInt64 astronomicalYear, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(astronomicalYear)) return 29;
  return kDays[month - 1];
}

// Days since 1904-01-01 of a proleptic Gregorian date (month 1 to 12, any day).
SInt64 DaysFromCivil(SInt64 y, SInt64 m, SInt64 d) {
  y -= m <= 2 ? 1 : 0;
  const SInt64 era = FloorDiv(y, 400);
  const SInt64 yoe = y - era * 400;
  const SInt64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const SInt64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - kDaysTo1904;
}

void CivilFromDays(SInt64 days, SInt64& y, int& m, int& d) {
  const SInt64 z = days + kDaysTo1904;
  const SInt64 era = FloorDiv(z, 146097);
  const SInt64 doe = z - era * 146097;
  const SInt64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const SInt64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const SInt64 mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

// The calendar fields of one moment, on the astronomical year line.
struct Fields {
  SInt64 year;
  int month, day, hour, minute, second;
  int dayOfWeek;  // 1 Sunday .. 7 Saturday
  int dayOfYear;  // from 1
  int weekOfYear;
};

Fields FieldsOf(SInt64 seconds) {
  Fields f{};
  const SInt64 days = FloorDiv(seconds, kSecondsPerDay);
  const SInt64 rest = seconds - days * kSecondsPerDay;
  CivilFromDays(days, f.year, f.month, f.day);
  f.hour = int(rest / 3600);
  f.minute = int(rest / 60 % 60);
  f.second = int(rest % 60);
  // 1904-01-01 was a Friday.
  f.dayOfWeek = int(FloorMod(days + 5, 7)) + 1;
  const SInt64 january1 = DaysFromCivil(f.year, 1, 1);
  f.dayOfYear = int(days - january1) + 1;
  // Weeks start on Sunday and week 1 is the one that holds January 1, however few of its
  // days belong to the year.
  const int january1Weekday = int(FloorMod(january1 + 5, 7));
  f.weekOfYear = (f.dayOfYear - 1 + january1Weekday) / 7 + 1;
  return f;
}

// Seconds of a record's date and time; every field may be out of its range and rolls over
// into the next larger one (month 13 is January of the next year, day 0 the last day of the
// month before, hour -1 the last hour of the day before).
SInt64 SecondsOf(SInt64 astronomicalYear, SInt64 month, SInt64 day, SInt64 hour, SInt64 minute,
                 SInt64 second) {
  const SInt64 year = astronomicalYear + FloorDiv(month - 1, 12);
  const SInt64 m = FloorMod(month - 1, 12) + 1;
  const SInt64 days = DaysFromCivil(year, m, 1) + day - 1;
  return days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

void FillLongDate(const Fields& f, LongDateRec* d) {
  if (f.year >= 1) {
    d->era = 0;
    d->year = SInt16(f.year);
  } else {
    d->era = -1;
    d->year = SInt16(1 - f.year);
  }
  d->month = SInt16(f.month);
  d->day = SInt16(f.day);
  d->hour = SInt16(f.hour);
  d->minute = SInt16(f.minute);
  d->second = SInt16(f.second);
  d->dayOfWeek = SInt16(f.dayOfWeek);
  d->dayOfYear = SInt16(f.dayOfYear);
  d->weekOfYear = SInt16(f.weekOfYear);
  d->pm = f.hour >= 12 ? 1 : 0;
  d->res1 = 0;
  d->res2 = 0;
  d->res3 = 0;
}

SInt64 LongSecondsOf(const LongDateRec& d) {
  return SecondsOf(AstronomicalYear(d.era, d.year), d.month, d.day, d.hour, d.minute, d.second);
}

}  // namespace

void GetTime(DateTimeRec* d) {
  if (d == nullptr) return;
  // From the full-width count, so the date stays right after the 32-bit count wraps.
  LongDateTime now = SpGetDateTime64();
  LongDateRec full{};
  LongSecondsToDate(&now, &full);
  *d = DateTimeRec{full.year,   full.month,  full.day,      full.hour,
                   full.minute, full.second, full.dayOfWeek};
}

void SecondsToDate(UInt32 secs, DateTimeRec* d) {
  if (d == nullptr) return;
  const Fields f = FieldsOf(SInt64(secs));
  *d = DateTimeRec{SInt16(f.year),   SInt16(f.month),  SInt16(f.day),      SInt16(f.hour),
                   SInt16(f.minute), SInt16(f.second), SInt16(f.dayOfWeek)};
}

void DateToSeconds(const DateTimeRec* d, UInt32* secs) {
  if (d == nullptr || secs == nullptr) return;
  // The 32-bit count holds 1904-01-01 to 2040-02-06; outside that the low 32 bits wrap.
  const SInt64 s = SecondsOf(d->year, d->month, d->day, d->hour, d->minute, d->second);
  *secs = UInt32(UInt64(s));
}

void LongSecondsToDate(const LongDateTime* lSecs, LongDateRec* lDate) {
  if (lSecs == nullptr || lDate == nullptr) return;
  FillLongDate(FieldsOf(*lSecs), lDate);
}

void LongDateToSeconds(const LongDateRec* lDate, LongDateTime* lSecs) {
  if (lDate == nullptr || lSecs == nullptr) return;
  *lSecs = LongSecondsOf(*lDate);
}

SInt16 ValidDate(LongDateRec* date, SInt32 fieldMask, LongDateTime* newSecs) {
  if (date == nullptr) return dateStdMask;
  SInt16 bad = 0;
  if (date->era != 0 && date->era != -1) bad |= eraMask;
  if (date->year < 1) bad |= yearMask;
  if (date->month < 1 || date->month > 12) bad |= monthMask;
  const bool monthKnown = (bad & (eraMask | yearMask | monthMask)) == 0;
  const int lastDay =
      monthKnown ? DaysInMonth(AstronomicalYear(date->era, date->year), date->month) : 31;
  if (date->day < 1 || date->day > lastDay) bad |= dayMask;
  if (date->hour < 0 || date->hour > 23) bad |= hourMask;
  if (date->minute < 0 || date->minute > 59) bad |= minuteMask;
  if (date->second < 0 || date->second > 59) bad |= secondMask;

  const SInt64 seconds = LongSecondsOf(*date);
  if (newSecs != nullptr) *newSecs = seconds;
  if (bad == 0) {
    const Fields f = FieldsOf(seconds);
    if (fieldMask & dayOfWeekMask) date->dayOfWeek = SInt16(f.dayOfWeek);
    if (fieldMask & dayOfYearMask) date->dayOfYear = SInt16(f.dayOfYear);
    if (fieldMask & weekOfYearMask) date->weekOfYear = SInt16(f.weekOfYear);
    if (fieldMask & pmMask) date->pm = f.hour >= 12 ? 1 : 0;
  }
  return bad;
}

namespace {

// `value` moved by delta within first .. last, wrapping at both ends.
SInt64 Wrap(SInt64 value, SInt64 delta, SInt64 first, SInt64 last) {
  return first + FloorMod(value - first + delta, last - first + 1);
}

}  // namespace

SInt16 ToggleDate(LongDateTime* lSecs, SInt8 field, SInt8 delta, SInt16 /*ch*/,
                  const TogglePB* /*params*/) {
  if (lSecs == nullptr) return toggleUnknown;
  if (field < eraField || field > pmField || field == dayOfWeekField || field == dayOfYearField ||
      field == weekOfYearField) {
    return toggleBadField;
  }
  if (delta == 0) return toggleBadDelta;

  const Fields f = FieldsOf(*lSecs);
  SInt64 year = f.year;  // astronomical
  SInt64 month = f.month, day = f.day, hour = f.hour, minute = f.minute, second = f.second;
  switch (field) {
    case eraField:
      // The same year number in the other era; an even step lands where it started.
      if (delta % 2 != 0) year = 1 - year;
      break;
    case yearField: {
      const SInt64 era = year >= 1 ? 0 : -1;
      const SInt64 number = (era == 0 ? year : 1 - year) + delta;
      if (number < 1 || number > 32767) return toggleOutOfRange;
      year = AstronomicalYear(era, number);
      break;
    }
    case monthField:
      month = Wrap(month, delta, 1, 12);
      break;
    case dayField:
      day = Wrap(day, delta, 1, DaysInMonth(year, int(month)));
      break;
    case hourField:
      hour = Wrap(hour, delta, 0, 23);
      break;
    case minuteField:
      minute = Wrap(minute, delta, 0, 59);
      break;
    case secondField:
      second = Wrap(second, delta, 0, 59);
      break;
    case pmField:
      if (delta % 2 != 0) hour = (hour + 12) % 24;
      break;
    default:
      return toggleBadField;
  }
  const SInt64 lastDay = DaysInMonth(year, int(month));
  if (day > lastDay) day = lastDay;
  *lSecs = SecondsOf(year, month, day, hour, minute, second);
  return toggleOK;
}
