#include <gtest/gtest.h>

#include <vector>

#include "ErrorLogCapture.h"
#include "SpStdFunctionDate.h"
#include "SpTesting.h"
#include "TestClock.h"

namespace {

struct Ymd {
  short era, year, month, day;
};

bool operator==(const Ymd& a, const Ymd& b) {
  return a.era == b.era && a.year == b.year && a.month == b.month && a.day == b.day;
}

std::ostream& operator<<(std::ostream& os, const Ymd& d) {
  return os << "era " << d.era << " " << d.year << "-" << d.month << "-" << d.day;
}

TEST(DateArithmetic, AddingAndSubtractingDaysAndMonthsCrossYearsAndEras) {
  enum Kind { kAddDay, kSubDay, kAddMonth, kSubMonth };  // months leave the day at 0
  struct Case {
    Kind kind;
    Ymd from;
    short n;
    Ymd to;
  } cases[] = {
      {kAddDay, {0, 2004, 2, 28}, 2, {0, 2004, 3, 1}},   // over a leap day
      {kSubDay, {0, 2004, 3, 1}, 1, {0, 2004, 2, 29}},   // back onto it
      {kAddDay, {0, 2004, 3, 1}, -1, {0, 2004, 2, 29}},  // a negative count subtracts
      {kSubDay, {0, 2004, 2, 29}, -1, {0, 2004, 3, 1}},
      {kAddDay, {0, 2004, 1, 1}, 366, {0, 2005, 1, 1}},  // a whole leap year
      {kSubDay, {0, 1, 1, 1}, 1, {-1, 1, 12, 31}},       // back over the start of the era
      {kAddDay, {-1, 1, 12, 31}, 1, {0, 1, 1, 1}},
      {kAddDay, {0, 2004, 3, 0}, 0, {0, 2004, 2, 29}},      // day 0 is the last of the month before
      {kAddDay, {0, 0, 5, 5}, 0, {-1, 1, 5, 5}},            // year 0 is year 1 of the era before
      {kAddMonth, {0, 2003, 11, 0}, 13, {0, 2004, 12, 0}},  // a multiple of 12 lands on December
      {kAddMonth, {0, 2003, 12, 0}, 12, {0, 2004, 12, 0}},
      {kSubMonth, {0, 2004, 1, 0}, 1, {0, 2003, 12, 0}},
      {kSubMonth, {0, 2, 3, 0}, 27, {-1, 2, 12, 0}},  // back over the start of the era
      {kAddMonth, {-1, 1, 12, 0}, 1, {0, 1, 1, 0}},
      {kAddMonth, {-1, 3, 6, 0}, 12, {-1, 2, 6, 0}},  // years count down before the era
      {kAddMonth, {0, 2004, 5, 0}, -5, {0, 2003, 12, 0}},
      {kSubMonth, {0, 2004, 0, 0}, 0, {0, 2003, 12, 0}},  // month 0 is December before
  };
  for (const Case& c : cases) {
    Ymd got{};
    if (c.kind <= kSubDay) {
      (c.kind == kAddDay ? Sp_AddDay : Sp_SubDay)(c.from.era, c.from.year, c.from.month, c.from.day,
                                                  c.n, got.era, got.year, got.month, got.day);
    } else {
      (c.kind == kAddMonth ? Sp_AddMonth : Sp_SubMonth)(c.from.era, c.from.year, c.from.month, c.n,
                                                        got.era, got.year, got.month);
    }
    EXPECT_EQ(got, c.to) << c.from << " " << c.kind << " " << c.n;
  }
}

TEST(DateConversions, NowStaysRightAfterThe32BitCountWraps) {
  const SInt64 after2040 = 4294967296LL + 86400;  // 2040-02-07 06:28:16
  sp_testing::VirtualClockScope clock(after2040);
  SInt64 now = 0;
  Sp_GetNowLongDateTimeSec(&now);
  EXPECT_EQ(now, after2040);
  LongDateRec d{};
  Sp_GetNowLongDateTimeRec(&d);
  EXPECT_EQ((Ymd{0, d.year, d.month, d.day}), (Ymd{0, 2040, 2, 7}));
  EXPECT_EQ(Sp_DateTimeRectToSecs(d), 86400) << "the 32-bit form wraps, as documented";
}

TEST(DateList, ReadsByIndexOnlyWithinItsBounds) {
  cDateList list;
  list.SetupDateItem(2003, 12, 24);
  LongDateRec rec{};
  Sp_TargetDateToLongDateTimeRec(2004, 1, 31, &rec);
  list.SetupDateItem(rec);
  list.SetupDateItem(2004, 2, 30);  // rolls over to March 1
  ASSERT_EQ(list.GetDateItemNum(), 3);

  struct Case {
    SInt32 n;
    Boolean ok;
    short year, month, day;
  } cases[] = {{0, 0, 0, 0, 0},    {1, 1, 2003, 12, 24}, {2, 1, 2004, 1, 31},
               {3, 1, 2004, 3, 1}, {4, 0, 0, 0, 0},      {-1, 0, 0, 0, 0}};
  for (const Case& c : cases) {
    short y = 0, m = 0, d = 0;
    EXPECT_EQ(list.GetDateItemData(c.n, y, m, d), c.ok) << c.n;
    EXPECT_EQ((Ymd{0, y, m, d}), (Ymd{0, c.year, c.month, c.day})) << c.n;
  }
}

}  // namespace
