// Dates: month lengths and day and month steps across February, year ends and the era's start,
// comparisons, the compact date text, the clock past the 32-bit seconds count, the date list.
#include <gtest/gtest.h>

#include <vector>

#include "SpStdFunctionDate.h"
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

LongDateRec Rec(short era, short year, short month, short day, short hour = 0) {
  return LongDateRec{era, year, month, day, hour, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

TEST(DateArithmetic, MonthZeroIsDecemberBeforeAndStepsCrossFebruaryYearEndsAndTheEra) {
  // Month 14 of 2003 is February 2004, 0 December 2002 (not a February), -10 of 2005
  // February 2004.
  const short lastDays[][3] = {{2003, 2, 28},   {2003, 14, 29}, {2003, 24, 31}, {2003, 0, 31},
                               {2005, -10, 29}, {1900, 2, 28},  {2000, 2, 29}};
  for (const auto& c : lastDays) {
    EXPECT_EQ(Sp_GetLastDayOnTargetMonth(c[0], c[1]), c[2]) << c[0] << "-" << c[1];
  }
  // Month steps leave the day at 0; the next and the month before ignore the count.
  enum Kind { kAddDay, kSubDay, kAddMonth, kSubMonth, kNextMonth, kBeforeMonth };
  struct Case {
    Kind kind;
    Ymd from;
    short n;
    Ymd to;
  } cases[] = {
      {kAddDay, {0, 2004, 2, 28}, 2, {0, 2004, 3, 1}},   // over a leap day
      {kAddDay, {0, 2003, 2, 28}, 1, {0, 2003, 3, 1}},   // a common February
      {kSubDay, {0, 2004, 3, 1}, 1, {0, 2004, 2, 29}},   // back onto the leap day
      {kAddDay, {0, 2004, 3, 1}, -1, {0, 2004, 2, 29}},  // a negative count subtracts
      {kSubDay, {0, 2004, 2, 29}, -1, {0, 2004, 3, 1}},
      {kAddDay, {0, 2003, 12, 31}, 1, {0, 2004, 1, 1}},   // into the next year
      {kSubDay, {0, 2004, 1, 10}, 40, {0, 2003, 12, 1}},  // back over the year end
      {kAddDay, {0, 2003, 1, 1}, 365, {0, 2004, 1, 1}},
      {kAddDay, {0, 2004, 1, 1}, 366, {0, 2005, 1, 1}},  // a whole leap year
      {kSubDay, {0, 1, 1, 1}, 1, {-1, 1, 12, 31}},       // back over the start of the era
      {kAddDay, {-1, 1, 12, 31}, 1, {0, 1, 1, 1}},
      {kAddDay, {0, 2004, 3, 0}, 0, {0, 2004, 2, 29}},    // day 0 is the last of the month before
      {kAddDay, {0, 2004, 0, 15}, 0, {0, 2003, 12, 15}},  // month 0 is December before
      {kAddDay, {0, 0, 5, 5}, 0, {-1, 1, 5, 5}},          // year 0 is year 1 of the era before
      {kAddMonth, {0, 2003, 11, 0}, 2, {0, 2004, 1, 0}},
      {kAddMonth, {0, 2003, 11, 0}, 13, {0, 2004, 12, 0}},  // a multiple of 12 lands on December
      {kAddMonth, {0, 2003, 12, 0}, 12, {0, 2004, 12, 0}},
      {kSubMonth, {0, 2004, 1, 0}, 1, {0, 2003, 12, 0}},
      {kSubMonth, {0, 1, 1, 0}, 1, {-1, 1, 12, 0}},  // back over the start of the era
      {kSubMonth, {0, 2, 3, 0}, 27, {-1, 2, 12, 0}},
      {kAddMonth, {-1, 1, 12, 0}, 1, {0, 1, 1, 0}},
      {kAddMonth, {-1, 3, 6, 0}, 12, {-1, 2, 6, 0}},  // years count down before the era
      {kSubMonth, {-1, 2, 6, 0}, 12, {-1, 3, 6, 0}},
      {kAddMonth, {0, 2004, 5, 0}, -5, {0, 2003, 12, 0}},
      {kSubMonth, {0, 2004, 0, 0}, 0, {0, 2003, 12, 0}},  // month 0 is December before
      {kNextMonth, {0, 2003, 12, 0}, 0, {0, 2004, 1, 0}},
      {kBeforeMonth, {0, 2003, 1, 0}, 0, {0, 2002, 12, 0}},
  };
  for (const Case& c : cases) {
    const Ymd& f = c.from;
    Ymd got{};
    if (c.kind == kAddDay || c.kind == kSubDay) {
      (c.kind == kAddDay ? Sp_AddDay : Sp_SubDay)(f.era, f.year, f.month, f.day, c.n, got.era,
                                                  got.year, got.month, got.day);
    } else if (c.kind == kAddMonth || c.kind == kSubMonth) {
      (c.kind == kAddMonth ? Sp_AddMonth : Sp_SubMonth)(f.era, f.year, f.month, c.n, got.era,
                                                        got.year, got.month);
    } else {
      (c.kind == kNextMonth ? Sp_GetNextMonth : Sp_GetBeforeMonth)(f.era, f.year, f.month, got.era,
                                                                   got.year, got.month);
    }
    EXPECT_EQ(got, c.to) << f << " kind " << c.kind << " n " << c.n;
  }
}

TEST(DateArithmetic, WeekRowsAndWeekdayRanksOfAMonth) {
  const struct {
    short year, month, weeks;
    const char* why;
  } cases[] = {
      {2004, 5, 6, "31 days starting on a Saturday span six rows"},
      {2009, 2, 4, "28 days starting on a Sunday span four"},
      {2004, 2, 5, "29 days starting on a Sunday span five"},
      {2003, 12, 5, "an ordinary month"},
  };
  for (const auto& c : cases) {
    short weeks = 0;
    Sp_GetWeekInMonth(0, c.year, c.month, weeks);
    EXPECT_EQ(weeks, c.weeks) << c.why;
  }
  const short ranks[][2] = {{1, 1}, {7, 1}, {8, 2}, {14, 2}, {15, 3}, {31, 5}};
  for (const auto& r : ranks) EXPECT_EQ(Sp_GetRankOfDayOfWeekInMonth(r[0]), r[1]) << r[0];
}

TEST(DateCompare, LaterErasAndSmallerYearsBeforeTheEraCountAsLater) {
  struct Case {
    LongDateRec a, b;
    short day, full;
  } cases[] = {
      {Rec(0, 2004, 1, 1), Rec(0, 2003, 12, 31), 1, 1},
      {Rec(0, 1, 1, 1), Rec(-1, 1, 12, 31), 1, 1},            // the common era is later
      {Rec(-1, 1, 1, 1), Rec(-1, 2, 1, 1), 1, 1},             // before it a smaller year is later
      {Rec(0, 2004, 3, 1, 5), Rec(0, 2004, 3, 1, 9), 0, -1},  // the same day, an earlier hour
      {Rec(0, 2004, 3, 1), Rec(0, 2004, 3, 2), -1, -1},
  };
  for (const Case& c : cases) {
    LongDateRec a = c.a, b = c.b;
    EXPECT_EQ(Sp_DateTimeRecDayCmp(&a, &b), c.day) << a.era << " " << a.year;
    EXPECT_EQ(Sp_DateTimeRecCmp(&a, &b), c.full) << a.era << " " << a.year;
    EXPECT_EQ(Sp_DateTimeRecCmp(&b, &a), -c.full) << a.era << " " << a.year;
  }
  EXPECT_EQ(Sp_DayCmp(2004, 1, 2, 2004, 1, 1), 1);
  EXPECT_EQ(Sp_DayCmp(2004, 1, 1, 2004, 2, 1), -1);
}

TEST(DateText, CompactTextReadsOnlyWholeFieldsAndGivesTheWeekday) {
  struct Case {
    const char* text;
    short hour, minute;
  } cases[] = {{"200312241830", 18, 30},
               {"20031224", 0, 0},
               {"2003122418", 18, 0},
               {"200312241", 0, 0}};  // half an hour field is no hour
  for (const Case& c : cases) {
    LongDateRec d{};
    d.second = 42;
    Sp_DateTimeStringToLongDateTime(c.text, d);
    EXPECT_EQ((std::vector<short>{d.era, d.year, d.month, d.day, d.hour, d.minute, d.second,
                                  d.dayOfWeek}),
              (std::vector<short>{0, 2003, 12, 24, c.hour, c.minute, 0, 4}))
        << c.text;
  }
}

// A text that ends with a field reads that field; one that ends inside a field reads as if
// zeros followed its last whole field.
TEST(DateText, CompactTextOfEveryLengthReadsItsWholeFields) {
  const struct {
    const char* text;
    const char* same;  // the full-length text it reads as
  } cases[] = {
      {"2003", "200300000000"},         {"20031", "200300000000"},
      {"200312", "200312000000"},       {"2003122", "200312000000"},
      {"20031224", "200312240000"},     {"200312241", "200312240000"},
      {"2003122418", "200312241800"},   {"20031224183", "200312241800"},
      {"200312241830", "200312241830"},
  };
  for (const auto& c : cases) {
    LongDateRec read{}, expected{};
    Sp_DateTimeStringToLongDateTime(c.text, read);
    Sp_DateTimeStringToLongDateTime(c.same, expected);
    EXPECT_EQ(
        (std::vector<short>{read.era, read.year, read.month, read.day, read.hour, read.minute}),
        (std::vector<short>{expected.era, expected.year, expected.month, expected.day,
                            expected.hour, expected.minute}))
        << c.text;
  }
}

TEST(DateConversions, TimesPastThe32BitSecondsCountStayRight) {
  // The clock's seconds are 64 bits wide inside: 2^32 seconds after 1904 is 2040-02-06.
  const SInt64 after2040 = 4294967296LL + 86400;  // 2040-02-07 06:28:16
  sp_testing::VirtualClockScope clock(after2040);
  SInt64 now = 0;
  Sp_GetNowLongDateTimeSec(&now);
  EXPECT_EQ(now, after2040);
  LongDateRec d{};
  Sp_GetNowLongDateTimeRec(&d);
  EXPECT_EQ((Ymd{d.era, d.year, d.month, d.day}), (Ymd{0, 2040, 2, 7}));
  EXPECT_EQ(d.hour * 60 + d.minute, 6 * 60 + 28);
  EXPECT_EQ(Sp_DateTimeRectToSecs(d), 86400) << "the 32-bit form wraps, as documented";
  DateTimeRec shortDate{2050, 6, 1, 12, 0, 5, 0};  // must not wrap to 1914
  Sp_DateTimeRecToLongDateTimeRec(&shortDate, &d);
  EXPECT_EQ((std::vector<short>{d.year, d.month, d.day, d.second, d.dayOfWeek}),
            (std::vector<short>{2050, 6, 1, 5, 4}));
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
    Ymd date;
  } cases[] = {{0, 0, {}},
               {1, 1, {0, 2003, 12, 24}},
               {2, 1, {0, 2004, 1, 31}},
               {3, 1, {0, 2004, 3, 1}},
               {4, 0, {}},
               {-1, 0, {}}};
  for (const Case& c : cases) {
    Ymd got{};
    EXPECT_EQ(list.GetDateItemData(c.n, got.year, got.month, got.day), c.ok) << c.n;
    EXPECT_EQ(got, c.date) << c.n;
  }
}

}  // namespace
