// Date and Time Utilities: calendar records over seconds since 1904-01-01 00:00 local time.
//
// The proleptic Gregorian calendar throughout. In LongDateRec, era 0 is the common era and
// era -1 the era before it; years count from 1 in both, with no year 0. Day of week runs from
// 1 (Sunday) to 7 (Saturday).
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
enum : SInt16 { toggleUndefined = 0, toggleOK = 1, toggleBadField = 2, toggleBadDelta = 3,
                toggleBadChar = 4, toggleUnknown = 5, toggleBadNum = 6, toggleOutOfRange = 7 };

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

// Checks the date fields selected by the standard mask (and derives the fields whose bits are
// set in `fieldMask`: day of week, day of year, week of year) and gives its seconds. The
// result has the bit of every field that was out of range; 0 when the date is valid.
SInt16 ValidDate(LongDateRec* date, SInt32 fieldMask, LongDateTime* newSecs);
// Moves one field of the date given as seconds by delta, wrapping within its range (a day
// wraps within its month), and stores the new seconds.
SInt16 ToggleDate(LongDateTime* lSecs, SInt8 field, SInt8 delta, SInt16 ch,
                  const TogglePB* params);
