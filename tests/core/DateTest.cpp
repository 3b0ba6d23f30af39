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

TEST(DateArithmetic, LastDayOfMonthsOutsideTheYearMovesIntoTheYearsAround) {
  // Month 14 of 2003 is February 2004, 0 December 2002, -10 of 2005 February 2004.
  const short cases[][3] = {{2003, 2, 28},   {2003, 14, 29}, {2003, 24, 31}, {2003, 0, 31},
                            {2005, -10, 29}, {1900, 2, 28},  {2000, 2, 29}};
  for (const auto& c : cases) {
    EXPECT_EQ(Sp_GetLastDayOnTargetMonth(c[0], c[1]), c[2]) << c[0] << "-" << c[1];
  }
}

TEST(DateArithmetic, AddingAndSubtractingDaysCrossMonthsYearsAndEras) {
  struct Case {
    bool add;
    Ymd from;
    short n;
    Ymd to;
    const char* why;
  } cases[] = {
      {true, {0, 2004, 2, 28}, 2, {0, 2004, 3, 1}, "over a leap day"},
      {false, {0, 2004, 3, 1}, 1, {0, 2004, 2, 29}, "back onto a leap day"},
      {true, {0, 2004, 3, 1}, -1, {0, 2004, 2, 29}, "a negative count subtracts"},
      {false, {0, 2004, 2, 29}, -1, {0, 2004, 3, 1}, "and the other way"},
      {true, {0, 2003, 12, 31}, 1, {0, 2004, 1, 1}, "into the next year"},
      {true, {0, 2003, 1, 1}, 365, {0, 2004, 1, 1}, "a whole common year"},
      {true, {0, 2004, 1, 1}, 366, {0, 2005, 1, 1}, "a whole leap year"},
      {false, {0, 1, 1, 1}, 1, {-1, 1, 12, 31}, "back over the start of the common era"},
      {true, {-1, 1, 12, 31}, 1, {0, 1, 1, 1}, "forward into it"},
      {true, {0, 2004, 3, 0}, 0, {0, 2004, 2, 29}, "day 0 is the last of the month before"},
      {true, {0, 2004, 0, 15}, 0, {0, 2003, 12, 15}, "month 0 is December before"},
      {true, {0, 0, 5, 5}, 0, {-1, 1, 5, 5}, "year 0 is year 1 of the era before"},
      {false, {0, 2004, 1, 10}, 40, {0, 2003, 12, 1}, "back over a month"},
  };
  for (const Case& c : cases) {
    Ymd got{};
    (c.add ? Sp_AddDay : Sp_SubDay)(c.from.era, c.from.year, c.from.month, c.from.day, c.n,
                                    got.era, got.year, got.month, got.day);
    EXPECT_EQ(got, c.to) << c.why;
  }
}

TEST(DateArithmetic, AddingAndSubtractingMonthsCrossYearsAndEras) {
  struct Case {
    bool add;
    Ymd from;  // day unused
    short n;
    Ymd to;
    const char* why;
  } cases[] = {
      {true, {0, 2003, 11, 0}, 2, {0, 2004, 1, 0}, "into the next year"},
      {true, {0, 2003, 11, 0}, 13, {0, 2004, 12, 0}, "a multiple of 12 lands on December"},
      {true, {0, 2003, 12, 0}, 12, {0, 2004, 12, 0}, "a whole year"},
      {false, {0, 2004, 1, 0}, 1, {0, 2003, 12, 0}, "back into the year before"},
      {false, {0, 1, 1, 0}, 1, {-1, 1, 12, 0}, "back over the start of the common era"},
      {false, {0, 2, 3, 0}, 27, {-1, 2, 12, 0}, "further back over it"},
      {true, {-1, 1, 12, 0}, 1, {0, 1, 1, 0}, "forward into the common era"},
      {true, {-1, 3, 6, 0}, 12, {-1, 2, 6, 0}, "years count down before the era"},
      {false, {-1, 2, 6, 0}, 12, {-1, 3, 6, 0}, "and up going back"},
      {true, {0, 2004, 5, 0}, -5, {0, 2003, 12, 0}, "a negative count subtracts"},
      {false, {0, 2004, 0, 0}, 0, {0, 2003, 12, 0}, "month 0 is December before"},
  };
  for (const Case& c : cases) {
    Ymd got{};
    (c.add ? Sp_AddMonth : Sp_SubMonth)(c.from.era, c.from.year, c.from.month, c.n, got.era,
                                        got.year, got.month);
    EXPECT_EQ(got, c.to) << c.why;
  }
  Ymd next{}, before{};
  Sp_GetNextMonth(0, 2003, 12, next.era, next.year, next.month);
  Sp_GetBeforeMonth(0, 2003, 1, before.era, before.year, before.month);
  EXPECT_EQ(next, (Ymd{0, 2004, 1, 0}));
  EXPECT_EQ(before, (Ymd{0, 2002, 12, 0}));
}

TEST(DateCompare, LaterErasAndSmallerYearsBeforeTheEraCountAsLater) {
  auto rec = [](short era, short year, short month, short day, short hour = 0) {
    return LongDateRec{era, year, month, day, hour, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  };
  struct Case {
    LongDateRec a, b;
    short day, full;
    const char* why;
  } cases[] = {
      {rec(0, 2004, 1, 1), rec(0, 2003, 12, 31), 1, 1, "a later year"},
      {rec(0, 1, 1, 1), rec(-1, 1, 12, 31), 1, 1, "the common era is later"},
      {rec(-1, 1, 1, 1), rec(-1, 2, 1, 1), 1, 1, "before the era a smaller year is later"},
      {rec(0, 2004, 3, 1, 5), rec(0, 2004, 3, 1, 9), 0, -1, "the same day, an earlier hour"},
      {rec(0, 2004, 3, 1), rec(0, 2004, 3, 2), -1, -1, "an earlier day"},
  };
  for (const Case& c : cases) {
    LongDateRec a = c.a, b = c.b;
    EXPECT_EQ(Sp_DateTimeRecDayCmp(&a, &b), c.day) << c.why;
    EXPECT_EQ(Sp_DateTimeRecCmp(&a, &b), c.full) << c.why;
    EXPECT_EQ(Sp_DateTimeRecCmp(&b, &a), -c.full) << c.why;
  }
  LongDateRec a = rec(0, 2004, 1, 1);
  EXPECT_EQ(Sp_DateTimeRecCmp(&a, nullptr), 0);
  EXPECT_EQ(Sp_DayCmp(2004, 1, 2, 2004, 1, 1), 1);
  EXPECT_EQ(Sp_DayCmp(2004, 1, 1, 2004, 2, 1), -1);
}

TEST(DateText, CompactTextGivesTheDateWithItsWeekday) {
  struct Case {
    const char* text;
    short year, month, day, hour, minute, dayOfWeek;
  } cases[] = {
      {"200312241830", 2003, 12, 24, 18, 30, 4},
      {"20031224", 2003, 12, 24, 0, 0, 4},
      {"2003122418", 2003, 12, 24, 18, 0, 4},
      {"200312241", 2003, 12, 24, 0, 0, 4},  // half an hour field is no hour
  };
  for (const Case& c : cases) {
    LongDateRec d{};
    d.second = 42;
    Sp_DateTimeStringToLongDateTime(c.text, d);
    const std::vector<short> got = {d.era,  d.year,   d.month,  d.day,
                                    d.hour, d.minute, d.second, d.dayOfWeek};
    EXPECT_EQ(got,
              (std::vector<short>{0, c.year, c.month, c.day, c.hour, c.minute, 0, c.dayOfWeek}))
        << c.text;
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

TEST(DateList, SequentialReadingRunsOnceThroughAndStartsAgain) {
  cDateList list;
  list.SetupDateItem(2003, 1, 1);
  list.SetupDateItem(2003, 1, 2);
  short y, m, d;
  LongDateRec rec{};
  for (int pass = 0; pass < 2; ++pass) {
    list.InitializeSeqReferece();
    ASSERT_TRUE(list.GetDateItemDataWithSeq(y, m, d));
    EXPECT_EQ(d, 1);
    ASSERT_TRUE(list.GetDateItemDataWithSeq(rec));
    EXPECT_EQ(rec.day, 2);
    EXPECT_FALSE(list.GetDateItemDataWithSeq(rec));
  }
  list.InitializeSeqReferece();
  list.ClearItem();
  EXPECT_EQ(list.GetDateItemNum(), 0);
  EXPECT_FALSE(list.GetDateItemDataWithSeq(rec)) << "clearing also clears the cursor";
}

}  // namespace
