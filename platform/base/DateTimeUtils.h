// Date and Time Utilities: calendar records over seconds since 1904-01-01 00:00 local time.
//
// The proleptic Gregorian calendar throughout. In LongDateRec, era 0 is the common era and
// era -1 the era before it; years count from 1 in both, with no year 0 (year 1 of the era
// before is the year before year 1 of the common era). Day of week runs from 1 (Sunday) to
// 7 (Saturday). Weeks of the year start on Sunday, and week 1 is the week that holds
// January 1, however few of its days fall in the year; so a year has 53 or 54 weeks. pm is
// 1 from noon on.
//
// Records given to LongDateToSeconds and DateToSeconds may hold fields out of range: they
// roll over into the next field (month 13 is January of the next year, day 0 the last day of
// the month before). The 32-bit forms (SecondsToDate, DateToSeconds) cover 1904-01-01 to
// 2040-02-06 06:28:15; DateToSeconds gives the low 32 bits outside that range.
#pragma once

#include "MacTypes.h"

struct DateTimeRec {
  SInt16 year;
  SInt16 month;
  SInt16 day;
  SInt16 hour;
  SInt16 minute;
  SInt16 second;
  SInt16 dayOfWeek;
};

// Fourteen signed 16-bit fields, 28 bytes.
struct LongDateRec {
  SInt16 era;
  SInt16 year;
  SInt16 month;
  SInt16 day;
  SInt16 hour;
  SInt16 minute;
  SInt16 second;
  SInt16 dayOfWeek;
  SInt16 dayOfYear;
  SInt16 weekOfYear;
  SInt16 pm;
  SInt16 res1;
  SInt16 res2;
  SInt16 res3;
};

// Field numbers (LongDateField) and their bit masks for ValidDate and ToggleDate.
enum : SInt8 {
  eraField = 0,
  yearField = 1,
  monthField = 2,
  dayField = 3,
  hourField = 4,
  minuteField = 5,
  secondField = 6,
  dayOfWeekField = 7,
  dayOfYearField = 8,
  weekOfYearField = 9,
  pmField = 10,
};
enum : SInt16 {
  eraMask = 0x0001,
  yearMask = 0x0002,
  monthMask = 0x0004,
  dayMask = 0x0008,
  hourMask = 0x0010,
  minuteMask = 0x0020,
  secondMask = 0x0040,
  dayOfWeekMask = 0x0080,
  dayOfYearMask = 0x0100,
  weekOfYearMask = 0x0200,
  pmMask = 0x0400,
  dateStdMask = 0x007F,
};

// Results of ToggleDate.
enum : SInt16 {
  toggleUndefined = 0,
  toggleOK = 1,
  toggleBadField = 2,
  toggleBadDelta = 3,
  toggleBadChar = 4,
  toggleUnknown = 5,
  toggleBadNum = 6,
  toggleOutOfRange = 7
};

void GetTime(DateTimeRec* d);
void SecondsToDate(UInt32 secs, DateTimeRec* d);
void DateToSeconds(const DateTimeRec* d, UInt32* secs);
void LongSecondsToDate(const LongDateTime* lSecs, LongDateRec* lDate);
void LongDateToSeconds(const LongDateRec* lDate, LongDateTime* lSecs);

struct TogglePB {
  SInt32 togFlags;
  ResType amChars;
  ResType pmChars;
  SInt32 reserved[4];
};

// Checks the fields of the standard mask (era 0 or -1, year from 1, month, day within its
// month, hour, minute, second) and gives the date's seconds (rolled over when a field is out
// of range). The result has the bit of every field that was out of range; 0 when the date is
// valid, and then the fields whose bits are set in `fieldMask` (day of week, day of year,
// week of year, pm) are derived and stored in the record.
SInt16 ValidDate(LongDateRec* date, SInt32 fieldMask, LongDateTime* newSecs);
// Moves one field of the date given as seconds by delta, wrapping within its range and
// leaving the other fields alone (day 1 stepped back is the last day of the same month;
// December forward is January of the same year), and stores the new seconds. A day past the
// end of a new month becomes its last day. The era switches; the year does not wrap (a step
// out of 1 .. 32767 is toggleOutOfRange). Only stepping is supported: delta 0 (typing a
// value with `ch`) is toggleBadDelta; derived fields are toggleBadField. The flags in
// `params` select no extra checks.
SInt16 ToggleDate(LongDateTime* lSecs, SInt8 field, SInt8 delta, SInt16 ch, const TogglePB* params);
