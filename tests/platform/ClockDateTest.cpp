#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "Clock.h"
#include "DateTimeUtils.h"
#include "Processes.h"
#include "TestClock.h"

namespace {

// 2003-12-24 18:30:00 local time.
constexpr SInt64 kChristmasEve2003 = 3155135400LL;
// The first second the 32-bit count cannot hold: 2040-02-06 06:28:16.
constexpr SInt64 k32BitWrap = 4294967296LL;

LongDateTime SecondsOf(LongDateRec d) {
  LongDateTime secs = 0;
  LongDateToSeconds(&d, &secs);
  return secs;
}

// A record from its first fields (era, year, month, day, hour, minute, second, day of week,
// day of year, week of year, pm), the rest zero; and the first n fields of a record.
LongDateRec D(const std::vector<SInt16>& fields) {
  LongDateRec d{};
  std::memcpy(&d, fields.data(), fields.size() * sizeof(SInt16));
  return d;
}

LongDateTime S(SInt16 era, SInt16 year, SInt16 month, SInt16 day, SInt16 hour = 0) {
  return SecondsOf(D({era, year, month, day, hour}));
}

LongDateRec DateOf(LongDateTime secs) {
  LongDateRec d{};
  LongSecondsToDate(&secs, &d);
  return d;
}

std::vector<SInt16> Fields(const LongDateRec& d, std::size_t n) {
  SInt16 f[14];
  std::memcpy(f, &d, sizeof f);
  return std::vector<SInt16>(f, f + n);
}

TEST(Dates, SecondsAndRecordsConvertBothWaysAcross1904AndTheEras) {
  const struct {
    SInt64 seconds;
    std::vector<SInt16> date;  // era to day of year
    const char* why;
  } cases[] = {
      {0, {0, 1904, 1, 1, 0, 0, 0, 6, 1}, "the first second of the count, a Friday"},
      {-1, {0, 1903, 12, 31, 23, 59, 59, 5, 365}, "one second before 1904 is negative"},
      {-121132800, {0, 1900, 2, 28, 0, 0, 0, 4, 59}, "1900 is no leap year"},
      {-121046400, {0, 1900, 3, 1, 0, 0, 0, 5, 60}, "so March 1 follows February 28"},
      {3034670400LL, {0, 2000, 2, 29, 12, 0, 0, 3, 60}, "2000 is a leap year (divisible by 400)"},
      {3160857600LL, {0, 2004, 2, 29, 0, 0, 0, 1, 60}, "2004 is a leap year"},
      {kChristmasEve2003, {0, 2003, 12, 24, 18, 30, 0, 4, 358}, "an ordinary date"},
      {k32BitWrap, {0, 2040, 2, 6, 6, 28, 16, 2, 37}, "past the end of the 32-bit count"},
      {-60052752000LL, {0, 1, 1, 1, 0, 0, 0, 2, 1}, "the first day of the common era"},
      {-60052752000LL - 86400,
       {-1, 1, 12, 31, 0, 0, 0, 1, 366},
       "the day before is the last of year 1 of the era before, a leap year"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const LongDateRec d = DateOf(c.seconds);
    EXPECT_EQ(Fields(d, 9), c.date);
    EXPECT_EQ(d.pm, d.hour >= 12);
    EXPECT_EQ(SecondsOf(d), c.seconds);
  }
}

TEST(Dates, OutOfRangeFieldsRollOverIntoTheNextField) {
  const struct {
    std::vector<SInt16> in, out;  // era to day
    const char* why;
  } cases[] = {
      {{0, 2003, 13, 1}, {0, 2004, 1, 1}, "month 13 is January of the next year"},
      {{0, 2004, 0, 1}, {0, 2003, 12, 1}, "month 0 is December of the year before"},
      {{0, 2004, 3, 0}, {0, 2004, 2, 29}, "day 0 is the last day of the month before"},
      {{0, 2003, 2, 30}, {0, 2003, 3, 2}, "February 30 of a common year is March 2"},
      {{0, 2003, 12, 31, 24}, {0, 2004, 1, 1}, "hour 24 is midnight of the next day"},
      {{0, 1, 1, 0}, {-1, 1, 12, 31}, "the day before year 1 lies in the era before"},
      {{0, 0, 6, 1}, {-1, 1, 6, 1}, "year 0 of the common era is year 1 before it"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Fields(DateOf(SecondsOf(D(c.in))), 5), Fields(D(c.out), 5)) << c.why;
}

TEST(Dates, WeekOneIsTheSundayWeekHoldingJanuaryFirst) {
  const struct {
    SInt16 year, month, day, week;
    const char* why;
  } cases[] = {
      {2005, 1, 1, 1, "a Saturday: January 1 alone makes week 1"},
      {2005, 1, 2, 2, "the next day is a Sunday and starts week 2"},
      {2006, 1, 1, 1, "a year starting on Sunday"},
      {2006, 1, 7, 1, "its first Saturday is still week 1"},
      {2006, 1, 8, 2, "its second Sunday starts week 2"},
      {2005, 12, 31, 53, "the last day of 2005 is in week 53"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateOf(S(0, c.year, c.month, c.day)).weekOfYear, c.week) << c.why;
}

TEST(Dates, ValidDateFlagsEveryBadFieldAndDerivesOnlyWhatIsAsked) {
  const struct {
    std::vector<SInt16> date;  // era to second
    SInt16 bad;
    const char* why;
  } cases[] = {
      {{0, 2000, 2, 29, 23, 59, 59}, 0, "the leap day of 2000 is valid"},
      {{0, 1900, 2, 29}, dayMask, "1900 has no leap day"},
      {{-1, 1, 2, 29}, 0, "year 1 before the era is a leap year"},
      {{0, 2003, 13, 1}, monthMask, "month 13"},
      {{0, 2003, 4, 31}, dayMask, "April has 30 days"},
      {{0, 2003, 1, 0}, dayMask, "day 0"},
      {{1, 2003, 1, 1}, eraMask, "era 1 does not exist"},
      {{0, 0, 1, 1}, yearMask, "there is no year 0"},
      {{0, 2003, 1, 1, 24, 60, 60}, hourMask | minuteMask | secondMask, "time past its range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    LongDateRec d = D(c.date);
    LongDateTime secs = -7;
    EXPECT_EQ(ValidDate(&d, dayOfWeekMask | dayOfYearMask | weekOfYearMask, &secs), c.bad);
    if (c.bad == 0) {
      EXPECT_EQ(Fields(d, 10), Fields(DateOf(secs), 10)) << "seconds and derived fields";
    }
  }
  LongDateRec d = D({0, 2003, 12, 24});
  d.dayOfWeek = 99;
  LongDateTime secs = 0;
  EXPECT_EQ(ValidDate(&d, dayOfYearMask, &secs), 0);
  EXPECT_EQ(d.dayOfWeek, 99) << "a field whose bit is clear stays as it was";
  EXPECT_EQ(d.dayOfYear, 358);
}

TEST(Dates, ToggleDateWrapsEachFieldWithinItsOwnRange) {
  const struct {
    LongDateTime from;
    SInt8 field, delta;
    SInt16 result;
    LongDateTime to;
    const char* why;
  } cases[] = {
      {S(0, 2000, 2, 1), dayField, -1, toggleOK, S(0, 2000, 2, 29),
       "day 1 back by one is the last day of the same month (leap February)"},
      {S(0, 1900, 2, 1), dayField, -1, toggleOK, S(0, 1900, 2, 28), "a February of 28 days"},
      {S(0, 2003, 1, 31), dayField, 1, toggleOK, S(0, 2003, 1, 1), "the last day forward"},
      {S(0, 2003, 12, 5), monthField, 1, toggleOK, S(0, 2003, 1, 5), "December forward"},
      {S(0, 2003, 1, 31), monthField, 1, toggleOK, S(0, 2003, 2, 28),
       "a day past the new month's end becomes its last day"},
      {S(0, 2003, 5, 5, 23), hourField, 1, toggleOK, S(0, 2003, 5, 5, 0), "hour 23 forward"},
      {S(0, 2004, 2, 29), yearField, 1, toggleOK, S(0, 2005, 2, 28), "a year from a leap day"},
      {S(0, 5, 3, 1), eraField, 1, toggleOK, S(-1, 5, 3, 1), "the era switches, the year stays"},
      {S(0, 1, 3, 1), yearField, -1, toggleOutOfRange, S(0, 1, 3, 1), "years do not wrap"},
      {S(0, 32766, 3, 1), yearField, 1, toggleOK, S(0, 32767, 3, 1), "up to the largest year"},
      {S(0, 32767, 3, 1), yearField, 1, toggleOutOfRange, S(0, 32767, 3, 1), "and not past it"},
      {S(0, 2003, 3, 1), dayOfWeekField, 1, toggleBadField, S(0, 2003, 3, 1), "derived field"},
      {S(0, 2003, 3, 1), dayField, 0, toggleBadDelta, S(0, 2003, 3, 1), "a zero step"},
  };
  TogglePB params{};
  params.togFlags = dateStdMask;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    LongDateTime secs = c.from;
    EXPECT_EQ(ToggleDate(&secs, c.field, c.delta, 1, &params), c.result);
    EXPECT_EQ(secs, c.to);
  }
}

TEST(Dates, ThirtyTwoBitFormsWrapIn2040ButTheWideFormsDoNot) {
  sp_testing::VirtualClockScope clock(k32BitWrap + 5);
  UInt32 narrow = 99;
  GetDateTime(&narrow);
  EXPECT_EQ(narrow, 5u);
  EXPECT_EQ(SpGetDateTime64(), k32BitWrap + 5);
  DateTimeRec now{};
  GetTime(&now);
  EXPECT_EQ((std::vector<SInt16>{now.year, now.month, now.day, now.second}),
            (std::vector<SInt16>{2040, 2, 6, 21}));
  DateTimeRec d{2003, 12, 24, 18, 30, 0, 0};
  UInt32 secs = 0;
  DateToSeconds(&d, &secs);
  EXPECT_EQ(secs, UInt32(kChristmasEve2003));
  DateTimeRec back{};
  SecondsToDate(secs, &back);
  EXPECT_EQ(back.dayOfWeek, 4);
  EXPECT_EQ(back.hour, 18);
}

UInt64 Micros() {
  UnsignedWide w{};
  Microseconds(&w);
  return (UInt64(w.hi) << 32) | w.lo;
}

TEST(Clock, VirtualTimeMovesExactlyAsFarAsAdvancedAndNeverBackWhenSwitchingClocks) {
  sp_testing::UseVirtualClock(kChristmasEve2003);
  const UInt32 start = TickCount();
  const UInt64 micros = Micros();
  sp_testing::AdvanceClockTicks(1);
  EXPECT_EQ(TickCount(), start + 1);
  sp_testing::AdvanceClockTicks(59);
  EXPECT_EQ(SpGetDateTime64(), kChristmasEve2003 + 1) << "sixty ticks are a second";
  sp_testing::AdvanceClockMicroseconds(1500000);
  EXPECT_EQ(SpGetDateTime64(), kChristmasEve2003 + 2) << "the fraction of a second is kept";
  EXPECT_EQ(Micros() - micros, 2500000u);
  UInt32 final = 0;
  Delay(30, &final);
  EXPECT_EQ(final, start + 180) << "Delay moves the virtual clock instead of sleeping";
  EXPECT_EQ(TickCount(), start + 180);
  sp_testing::AdvanceClockTicks(0xFFFFFFFFu);
  EXPECT_EQ(TickCount(), start + 179) << "the tick count wraps at 32 bits";
  const UInt64 virtualMicros = Micros();
  sp_testing::UseRealClock();
  EXPECT_FALSE(sp_testing::IsVirtualClock());
  EXPECT_GE(Micros(), virtualMicros);
  EXPECT_LT(TickCount() - (start + 179), 60u) << "the tick count went on, not back";
}

TEST(Clock, RealDatesAreLocalTimeSince1904) {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  const SInt64 expected = SInt64(now) + local.tm_gmtoff + 2082844800LL;
  EXPECT_NEAR(double(SpGetDateTime64()), double(expected), 2.0);
  UInt32 before = TickCount(), final = 0;
  Delay(2, &final);
  EXPECT_GE(final - before, 2u) << "a real Delay waits";
}

TEST(Processes, CurrentProcessReportsItsNameAndLocation) {
  ProcessSerialNumber psn{};
  ASSERT_EQ(GetCurrentProcess(&psn), noErr);
  Str255 name{};
  ProcessInfoRec info{};
  info.processInfoLength = sizeof info;
  info.processName = name;
  EXPECT_EQ(GetProcessInformation(&psn, &info), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "platform_tests");
  EXPECT_EQ(info.processFreeMem, UInt32(16 * 1024 * 1024));
  EXPECT_GT(info.processSize, info.processFreeMem);
  ProcessSerialNumber other{0, 77};
  EXPECT_EQ(GetProcessInformation(&other, &info), procNotFound);
  EXPECT_EQ(GetProcessInformation(&psn, nullptr), paramErr);
}

}  // namespace
