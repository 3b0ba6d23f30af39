// The calendar icon: rows per month and the dates of leading and trailing cells, selection
// with the mouse (plain, Shift ranges, the anchor moved, Shift and Option keeping one
// weekday, edge cells when dragged out), month changes reaching the client, the animation's
// frames and its fallback, the colours of Sundays, holidays and today, and what the calendar
// owns going with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "DateTimeUtils.h"
#include "Events.h"
#include "MacWindows.h"
#include "SpCalenderIconObject.h"
#include "SpMouseTraceManager.h"
#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "SpTracePopupObject.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

SInt64 Seconds(short year, short month, short day) {
  LongDateRec date = {};
  date.year = year;
  date.month = month;
  date.day = day;
  date.hour = 12;
  LongDateTime seconds = 0;
  LongDateToSeconds(&date, &seconds);
  return seconds;
}

struct Date {
  short year, month, day;
  bool operator==(const Date& o) const {
    return year == o.year && month == o.month && day == o.day;
  }
};
std::ostream& operator<<(std::ostream& out, const Date& d) {
  return out << d.year << "-" << d.month << "-" << d.day;
}

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
void NoteView(unsigned long, short year, short month) {
  Calls().push_back("view " + std::to_string(year) + "-" + std::to_string(month));
}
void NoteSelection(unsigned long, short year, short month, short day) {
  Calls().push_back("select " + std::to_string(year) + "-" + std::to_string(month) + "-" +
                    std::to_string(day));
}

RGBColor Percent(float r, float g, float b) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, r, g, b);
  return c;
}

bool Near(const RGBColor& a, const RGBColor& b) {
  auto close = [](UInt16 x, UInt16 y) { return (x > y ? x - y : y - x) <= 2 * 257; };
  return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue);
}

// A calendar of 24 x 16 cells at (10, 10) of a window whose content lies at (100, 100), showing
// March 2025 with the 5th selected; today is 12 March 2025.
class Calendar : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(Seconds(2025, 3, 12));
    sp_testing::ResetWindows();
    Calls().clear();
    const Rect content = {100, 100, 400, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    Make(2025, 3, 5);
  }
  void TearDown() override {
    calendar_.reset();
    sp_testing::ResetWindows();
    sp_testing::UseRealClock();
  }
  void Make(short year, short month, short day) {
    calendar_.reset();
    calendar_.reset(
        new cSp_CalenderIconObject(window_, Rect{10, 10, 20, 20}, year, month, day, 24, 16, 1,
                                   nullptr, 0));
    calendar_->SetupModifyViewProc(NoteView, 0);
    calendar_->SetupModifySelectionProc(NoteSelection, 0);
    // Day numbers in the test font, whichever font the calendar's font list finds.
    calendar_->SetupFontNo(0, 0);
  }
  // The middle of the cell in row and column (from 1), window coordinates.
  static Point Cell(short row, short column) {
    return Point{short(10 + 16 * (row - 1) + 8), short(10 + 24 * (column - 1) + 12)};
  }
  Date Selected() const {
    Date d{};
    calendar_->GetSelectedDate(d.year, d.month, d.day);
    return d;
  }
  Date End() const {
    Date d{};
    calendar_->GetRangeEnd(d.year, d.month, d.day);
    return d;
  }
  int SelectedDaysOfMarch() {
    int count = 0;
    for (short day = 1; day <= 31; ++day) {
      tCalenderMultiSelectPosit posit = 0;
      if (calendar_->IsInSelectionArea(2025, 3, day, posit)) ++count;
    }
    return count;
  }
  RGBColor Pixel(short h, short v) const {
    return sp_testing::ReadPixelColor(GetWindowPort(window_), h, v);
  }
  // The colour of the day number in the cell.
  RGBColor Number(short row, short column) const {
    return Pixel(short(10 + 24 * (column - 1) + 13), short(10 + 16 * (row - 1) + 8));
  }
  RGBColor CellCorner(short row, short column) const {
    return Pixel(short(10 + 24 * (column - 1) + 2), short(10 + 16 * (row - 1) + 2));
  }
  // The view's pixels on the window (172 x 100 at (10, 10)), row by row.
  std::vector<UInt32> ViewPixels() const {
    std::vector<UInt32> pixels;
    for (short v = 10; v < 110; ++v) {
      for (short h = 10; h < 182; ++h) {
        pixels.push_back(sp_testing::ReadPixel(GetWindowPort(window_), h, v));
      }
    }
    return pixels;
  }
  // The box of the view's pixels that differ from `before`, in the view's coordinates; empty
  // when none does.
  Rect Changed(const std::vector<UInt32>& before) const {
    const std::vector<UInt32> now = ViewPixels();
    Rect box = {0, 0, 0, 0};
    for (short v = 0; v < 100; ++v) {
      for (short h = 0; h < 172; ++h) {
        if (now[std::size_t(v * 172 + h)] == before[std::size_t(v * 172 + h)]) continue;
        if (EmptyRect(&box)) {
          box = Rect{v, h, short(v + 1), short(h + 1)};
        } else {
          box = Rect{std::min(box.top, v), std::min(box.left, h),
                     std::max(box.bottom, short(v + 1)), std::max(box.right, short(h + 1))};
        }
      }
    }
    return box;
  }
  // The boxes of change of every frame the month change presents on the window.
  std::vector<Rect> FramesOfChange(short year, short month) {
    calendar_->DrawView(1, 0);
    const std::vector<UInt32> before = ViewPixels();
    std::vector<Rect> boxes;
    sp_testing::FlushObserverScope watch([&](CGrafPtr port) {
      if (port == GetWindowPort(window_)) boxes.push_back(Changed(before));
    });
    calendar_->ChangeOutputMonth(year, month);
    return boxes;
  }

  sp_testing::EventsScope events_;
  sp_testing::FixedMetricFontScope font_;
  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_CalenderIconObject> calendar_;
};

TEST_F(Calendar, EachMonthHasItsWeekRowsWhileTheViewKeepsRoomForSix) {
  struct Case {
    short year, month, rows;
  };
  for (const Case& c : {Case{2015, 2, 4}, Case{2025, 1, 5}, Case{2025, 3, 6}, Case{2024, 12, 5}}) {
    Make(c.year, c.month, 1);
    Rect grid, area;
    calendar_->GetGridRect(grid);
    calendar_->GetImmediateDrawingArea(&area);
    EXPECT_EQ(calendar_->GetRowCount(), c.rows) << c.year << "-" << c.month;
    EXPECT_EQ(grid.bottom, c.rows * 16 + 1) << c.year << "-" << c.month;
    EXPECT_EQ(grid.right, 168);
    EXPECT_EQ(area.bottom - area.top, 6 * 16 + 4) << "six rows and the shadow";
    EXPECT_EQ(area.right - area.left, 168 + 4);
  }
}

TEST_F(Calendar, DayNumbersTakeTheLargestSizeThatFitsTheCellLessItsOffsets) {
  // The test font is exactly as tall as its size.
  const struct {
    short cellHeight, offset, textSize, size;
  } cases[] = {
      {16, 2, 12, 12},  // exactly the room inside the offsets
      {16, 2, 13, 12},  // one larger than the room
      {16, 2, 11, 11},
      {16, 0, 16, 16},  // no offsets: the whole cell
      {6, 2, 12, 2},    // the least room that leaves two offsets and a pixel more
      {5, 2, 12, 1},    // two offsets and one pixel: the smallest size
  };
  Make(2025, 3, 1);
  for (const auto& c : cases) {
    calendar_->SetupDayAreaSize(-1, c.cellHeight, 0);
    calendar_->SetupFontOutputOffset(c.offset, 0);
    calendar_->SetupTextSize(c.textSize, 0);
    SetPort(GetWindowPort(window_));
    EXPECT_EQ(calendar_->CellTextSize(), c.size)
        << "cell " << c.cellHeight << " offset " << c.offset << " size " << c.textSize;
  }
  // With no size set the font's size for the room is taken; a cell with no more than two
  // offsets and a pixel gives the offsets up.
  const struct {
    short cellHeight, offset, size;
  } unset[] = {{16, 2, 12}, {6, 2, 2}, {5, 2, 5}};
  for (const auto& c : unset) {
    Make(2025, 3, 1);
    calendar_->SetupDayAreaSize(-1, c.cellHeight, 0);
    calendar_->SetupFontOutputOffset(c.offset, 0);
    SetPort(GetWindowPort(window_));
    EXPECT_EQ(calendar_->CellTextSize(), c.size)
        << "cell " << c.cellHeight << " offset " << c.offset;
  }
}

TEST_F(Calendar, CellsShowTheirDatesIncludingTheNeighbouringMonths) {
  struct Case {
    short year, month, row, column;
    bool found;
    Date date;
    const char* why;
  };
  const Case cases[] = {
      {2025, 3, 1, 1, true, {2025, 2, 23}, "March 2025 starts on a Saturday"},
      {2025, 3, 1, 7, true, {2025, 3, 1}, ""},
      {2025, 3, 6, 2, true, {2025, 3, 31}, ""},
      {2025, 3, 6, 3, true, {2025, 4, 1}, "trailing cells run into April"},
      {2025, 3, 6, 7, true, {2025, 4, 5}, "the grid's last cell"},
      {2025, 3, 6, 8, false, {0, 0, 0}, "one cell past the grid's last"},
      {2025, 3, 7, 1, false, {0, 0, 0}, "past the last row"},
      {2025, 3, 0, 3, false, {0, 0, 0}, "rows count from 1"},
      {2024, 12, 5, 3, true, {2024, 12, 31}, ""},
      {2024, 12, 5, 4, true, {2025, 1, 1}, "December runs into January of the next year"},
      {2024, 12, 5, 7, true, {2025, 1, 4}, "the last cell of a five-row month"},
      {2015, 2, 4, 7, true, {2015, 2, 28}, "a month that fills its four rows exactly"},
      {2015, 2, 5, 1, false, {0, 0, 0}, "the row below a four-row month"},
      {2025, 1, 1, 1, true, {2024, 12, 29}, "January starts in December of the year before"},
  };
  for (const Case& c : cases) {
    Make(c.year, c.month, 1);
    Date d{0, 0, 0};
    EXPECT_EQ(calendar_->GetDateFromCalenderCellPosit(c.row, c.column, d.year, d.month, d.day) !=
                  0,
              c.found)
        << c.why;
    if (c.found) {
      EXPECT_EQ(d, c.date) << c.why;
    }
    short row = 0, column = 0;
    Date hit{0, 0, 0};
    const bool onCell = calendar_->GetPositionItem(Cell(c.row, c.column), row, column, hit.year,
                                                   hit.month, hit.day) != 0;
    if (c.found) {
      EXPECT_TRUE(onCell) << c.why;
      EXPECT_EQ(hit, c.date) << c.why;
      EXPECT_EQ(row, c.row);
      EXPECT_EQ(column, c.column);
    }
  }
  // Trailing cells reach one pixel lower, onto the grid's frame.
  Make(2025, 1, 1);
  short row = 0, column = 0;
  Date hit{0, 0, 0};
  EXPECT_TRUE(calendar_->GetPositionItem(Point{10 + 80, 10 + 24 * 6 + 3}, row, column, hit.year,
                                         hit.month, hit.day));
  EXPECT_EQ(hit, (Date{2025, 2, 1}));
  EXPECT_FALSE(calendar_->GetPositionItem(Point{10 + 80, 10 + 3}, row, column, hit.year,
                                          hit.month, hit.day))
      << "a day of the month does not";
}

TEST_F(Calendar, APointOutsideMapsToTheEdgeCellItLinesUpWith) {
  struct Case {
    Point where;
    bool found;
    Date date;
    const char* why;
  };
  const Case cases[] = {
      {{5, 10 + 48 + 5}, true, {2025, 2, 25}, "above the third column: row 1, column 3"},
      {{10 + 100 + 5, 10 + 96 + 5}, true, {2025, 4, 3}, "below the fifth column: the last row"},
      {{10 + 16 + 5, 3}, true, {2025, 3, 2}, "left of the second row: column 1"},
      {{10 + 48 + 5, 10 + 172 + 3}, true, {2025, 3, 22}, "right of the fourth row: column 7"},
      {{-50, -50}, true, {2025, 2, 23}, "far above and left: the first cell"},
      {{-50, 900}, true, {2025, 3, 1}, "far above and right: the last column"},
      {{30, 30}, false, {0, 0, 0}, "a point inside the view has no edge cell"},
  };
  for (const Case& c : cases) {
    Date d{0, 0, 0};
    EXPECT_EQ(calendar_->GetSideSelectionItemWhenCoursorOut(c.where, d.year, d.month, d.day) != 0,
              c.found)
        << c.why;
    if (c.found) {
      EXPECT_EQ(d, c.date) << c.why;
    }
  }
}

TEST_F(Calendar, APlainPressSelectsADateAndTellsTheClient) {
  calendar_->HotSpotMouseDonwProc(0, Cell(3, 4));
  calendar_->HotSpotMouseUpProc(0, Cell(3, 4));
  EXPECT_EQ(Selected(), (Date{2025, 3, 12}));
  calendar_->HotSpotMouseDonwProc(0, Cell(3, 4));
  calendar_->HotSpotMouseUpProc(0, Cell(3, 4));
  calendar_->HotSpotMouseDonwProc(0, Cell(1, 2));
  calendar_->HotSpotMouseUpProc(0, Cell(1, 2));
  EXPECT_EQ(Selected(), (Date{2025, 2, 24})) << "a leading cell's date";
  short year = 0, month = 0;
  calendar_->GetOutputYearMonth(year, month);
  EXPECT_EQ(month, 3) << "the month shown stays";
  EXPECT_EQ(Calls(), (std::vector<std::string>{"select 2025-3-12", "select 2025-2-24"}))
      << "pressing the selected date again tells nothing";
  // A plain drag makes a range from the date pressed.
  calendar_->HotSpotMouseDonwProc(0, Cell(2, 2));
  calendar_->HotSpotMouseMoveProc(0, Cell(2, 4));
  calendar_->HotSpotMouseUpProc(0, Cell(2, 4));
  EXPECT_EQ(Selected(), (Date{2025, 3, 3}));
  EXPECT_EQ(End(), (Date{2025, 3, 5}));
  EXPECT_EQ(SelectedDaysOfMarch(), 3);
}

TEST_F(Calendar, ShiftExtendsTheRangeAndBeyondTheAnchorMovesIt) {
  calendar_->HotSpotMouseDonwProc(0, Cell(3, 4));  // the 12th
  calendar_->HotSpotMouseUpProc(0, Cell(3, 4));
  calendar_->HotSpotMouseDonwProc(shiftKey, Cell(4, 5));  // the 20th
  calendar_->HotSpotMouseMoveProc(shiftKey, Cell(5, 3));  // the 25th
  calendar_->HotSpotMouseUpProc(shiftKey, Cell(5, 3));
  EXPECT_EQ(Selected(), (Date{2025, 3, 12}));
  EXPECT_EQ(End(), (Date{2025, 3, 25}));
  EXPECT_EQ(SelectedDaysOfMarch(), 14);
  struct Case {
    short day;
    tCalenderMultiSelectPosit posit;
  };
  for (const Case& c : {Case{11, kCIO_BeforeAnchor}, Case{14, kCIO_InRange},
                        Case{26, kCIO_AfterEnd}}) {
    tCalenderMultiSelectPosit posit = 0;
    calendar_->IsInSelectionArea(2025, 3, c.day, posit);
    EXPECT_EQ(posit, c.posit) << c.day;
  }
  calendar_->HotSpotMouseDonwProc(shiftKey, Cell(2, 4));  // the 5th, before the anchor
  EXPECT_EQ(Selected(), (Date{2025, 3, 5})) << "pressed beyond the anchor, the anchor moves";
  calendar_->HotSpotMouseMoveProc(shiftKey, Cell(2, 6));  // the 7th
  calendar_->HotSpotMouseUpProc(shiftKey, Cell(2, 6));
  EXPECT_EQ(Selected(), (Date{2025, 3, 7})) << "the anchor follows";
  EXPECT_EQ(End(), (Date{2025, 3, 25})) << "the end stays";
  // Pressed past the end and dragged out above the grid over the third column, the end takes
  // that edge cell.
  calendar_->HotSpotMouseDonwProc(shiftKey, Cell(5, 6));
  EXPECT_EQ(End(), (Date{2025, 3, 28}));
  calendar_->HotSpotMouseAreaOutProc(shiftKey, Point{5, 10 + 48 + 5});
  EXPECT_EQ(End(), (Date{2025, 2, 25}));
  calendar_->HotSpotMouseUpProc(shiftKey, Point{5, 10 + 48 + 5});
  // A plain press inside the range leaves it to the release.
  calendar_->HotSpotMouseDonwProc(0, Cell(1, 7));
  EXPECT_EQ(End(), (Date{2025, 2, 25}));
  calendar_->HotSpotMouseUpProc(0, Cell(3, 2));
  EXPECT_EQ(Selected(), (Date{2025, 3, 10}));
  EXPECT_EQ(SelectedDaysOfMarch(), 1);
  EXPECT_EQ(Calls().size(), 1u) << "only the plain press told the client";
}

TEST_F(Calendar, ShiftAndOptionKeepOnlyTheWeekdayOfBothEnds) {
  struct Case {
    UInt32 keys;
    Point end;
    int selected;
    const char* why;
  };
  const Case cases[] = {
      {shiftKey | optionKey, Cell(5, 2), 4, "Monday to Monday: the four Mondays"},
      {shiftKey | optionKey, Cell(5, 3), 23, "Monday to Tuesday: every day"},
      {shiftKey, Cell(5, 2), 22, "Shift alone: every day"},
      {shiftKey | optionKey | cmdKey, Cell(5, 2), 22, "only exactly Shift and Option filter"},
  };
  for (const Case& c : cases) {
    Make(2025, 3, 3);
    sp_testing::SetModifierKeys(c.keys);
    calendar_->HotSpotMouseDonwProc(short(c.keys), Cell(5, 2));
    calendar_->HotSpotMouseMoveProc(short(c.keys), c.end);
    calendar_->HotSpotMouseUpProc(short(c.keys), c.end);
    EXPECT_EQ(SelectedDaysOfMarch(), c.selected) << c.why;
    sp_testing::SetModifierKeys(0);
    calendar_->HotSpotMouseDownTraceProc(0, c.end);
    EXPECT_EQ(calendar_->GetSelectionMethod(), 0) << c.why << ": letting go ends the filter";
  }
}

TEST_F(Calendar, EveryMonthChangeReachesTheClient) {
  Make(2024, 12, 1);
  calendar_->OpenNextMonth();
  calendar_->OpenBeforeMonth();
  calendar_->OpenNextYear();
  calendar_->OpenBeforeYear();
  EXPECT_FALSE(calendar_->ChangeOutputMonth(2024, 12)) << "the month shown already";
  calendar_->SelectionTargetDate(2025, 3, 9, 1);
  calendar_->OpenBeforeYear();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"view 2025-1", "view 2024-12", "view 2025-12",
                                               "view 2024-12", "view 2025-3", "view 2024-3"}));
  EXPECT_EQ(Selected(), (Date{2025, 3, 9}));
}

TEST_F(Calendar, TheSlideTakesOneFrameATickAndTheHeightFollowsTwoPixelsAFrame) {
  struct Case {
    short fromMonth, toMonth;
    UInt32 ticks;
    const char* why;
  };
  const Case cases[] = {
      {1, 2, 29, "5 rows to 5: 28 steps of the slide, then the settle"},
      {2, 3, 38, "5 rows to 6: nine frames reveal the extra row"},
      {3, 4, 37, "6 rows to 5: eight frames move the bottom band up"},
      {4, 1, 29, "backwards, the same count"},
  };
  for (const Case& c : cases) {
    Make(2025, c.fromMonth, 1);
    Calls().clear();
    const UInt32 start = TickCount();
    EXPECT_TRUE(calendar_->ChangeOutputMonth(2025, c.toMonth)) << c.why;
    EXPECT_EQ(TickCount() - start, c.ticks) << c.why;
    EXPECT_EQ(Calls(), std::vector<std::string>{"view 2025-" + std::to_string(c.toMonth)});
  }
  // Now showing January: five rows, the sixth row's place shows the window.
  EXPECT_TRUE(Near(Pixel(60, 10 + 5 * 16 + 8), Percent(100, 100, 100)));
  EXPECT_TRUE(Near(Pixel(60, 10 + 4 * 16), Percent(0, 0, 0))) << "the last grid line";
}

TEST_F(Calendar, TheNewPageSlidesInFromTheSideOfTheChange) {
  // Cells of 24 x 16 and five rows on both sides: the common part Q is 168 x 80 and the slide
  // takes 28 frames, the new page entering through a 4-pixel strip or corner.
  struct Case {
    short y0, m0, y, m;
    Rect entry;
    const char* why;
  };
  const Case cases[] = {
      {2025, 1, 2025, 2, {0, 164, 80, 168}, "the next month from the right"},
      {2024, 12, 2025, 1, {0, 164, 80, 168}, "December to January is the next month"},
      {2025, 2, 2025, 1, {0, 0, 80, 4}, "the month before from the left"},
      {2025, 1, 2026, 1, {76, 0, 80, 168}, "the next year from the bottom"},
      {2026, 1, 2025, 1, {0, 0, 4, 168}, "the year before from the top"},
      {2025, 1, 2026, 4, {76, 164, 80, 168}, "a later month of a later year from bottom right"},
      {2025, 4, 2024, 1, {0, 0, 4, 4}, "an earlier month of an earlier year from top left"},
  };
  const Rect q = {0, 0, 80, 168};
  for (const Case& c : cases) {
    Make(c.y0, c.m0, 1);
    const std::vector<Rect> boxes = FramesOfChange(c.y, c.m);
    ASSERT_GE(boxes.size(), 28u) << c.why;
    // What has changed at frame k is where the new page has come so far (within the pixels
    // that the two pages share at the edges).
    for (int k : {0, 14, 27}) {
      auto at = [&](short from, short to) { return int(from + float(k) * (to - from) / 28); };
      const Rect& box = boxes[std::size_t(k)];
      EXPECT_NEAR(box.top, at(c.entry.top, q.top), 2) << c.why << ", frame " << k;
      EXPECT_NEAR(box.left, at(c.entry.left, q.left), 2) << c.why << ", frame " << k;
      EXPECT_NEAR(box.bottom, at(c.entry.bottom, q.bottom), 2) << c.why << ", frame " << k;
      EXPECT_NEAR(box.right, at(c.entry.right, q.right), 2) << c.why << ", frame " << k;
    }
  }
}

TEST_F(Calendar, AChangeOfRowsMovesThePagesBottomTwoPixelsAFrame) {
  // Five rows to six: after the slide the extra row and the shadow below it come down.
  Make(2025, 2, 1);
  std::vector<Rect> boxes = FramesOfChange(2025, 3);
  ASSERT_GE(boxes.size(), 8u);
  for (std::size_t i = boxes.size() - 7; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].bottom - boxes[i - 1].bottom, 2) << "frame " << i;
  }
  EXPECT_EQ(boxes.back().bottom, 100) << "down to the sixth row's shadow";
  // Six rows to five: the bottom band (the last grid line and the shadow) goes up.
  Make(2025, 3, 1);
  calendar_->DrawView(1, 0);
  std::vector<int> lowest;
  {
    sp_testing::FlushObserverScope watch([&](CGrafPtr port) {
      if (port != GetWindowPort(window_)) return;
      int v = 109;
      while (v > 10 && sp_testing::ReadPixel(port, 90, short(v)) == 0xFFFFFFu) --v;
      lowest.push_back(v - 10);
    });
    calendar_->ChangeOutputMonth(2025, 4);
  }
  ASSERT_GE(lowest.size(), 8u);
  for (std::size_t i = lowest.size() - 7; i < lowest.size(); ++i) {
    EXPECT_EQ(lowest[i - 1] - lowest[i], 2) << "frame " << i;
  }
  EXPECT_EQ(lowest.back(), 5 * 16 + 1 + 4 - 1)
      << "up to the fifth row's shadow, nothing left below";
}

TEST_F(Calendar, WithoutAnOffscreenTheMonthStillChangesAndTheClientHearsOfIt) {
  bool fellBack = false;
  for (UInt32 n = 1; n <= 4; ++n) {
    Make(2025, 3, 1);
    Calls().clear();
    const UInt32 start = TickCount();
    sp_testing::FailNthAllocation(n);
    const bool changed = calendar_->ChangeOutputMonth(2025, 1) != 0;
    sp_testing::FailNthAllocation(0);
    EXPECT_TRUE(changed) << "failing allocation " << n;
    short year = 0, month = 0;
    calendar_->GetOutputYearMonth(year, month);
    EXPECT_EQ(month, 1) << "failing allocation " << n;
    EXPECT_EQ(Calls(), std::vector<std::string>{"view 2025-1"}) << "failing allocation " << n;
    // The fallback scrolls seven cells four ticks apart, then zooms.
    if (TickCount() - start >= 50) fellBack = true;
    if (n == 1) {
      EXPECT_TRUE(fellBack) << "no animation record";
    }
  }
  EXPECT_EQ(calendar_->GetRowCount(), 5);
}

TEST_F(Calendar, SundaysHolidaysSaturdaysAndTodayHaveTheirColours) {
  const RGBColor red = Percent(100, 0, 0), blue = Percent(0, 0, 100), black = Percent(0, 0, 0);
  const RGBColor today = Percent(67, 91, 56), white = Percent(100, 100, 100);
  calendar_->SetupHoliday(2025, 3, 8, "\x8f\x6a", 0);
  calendar_->SetupHoliday(2025, 3, 20, nullptr, 0);
  calendar_->DrawView(1, 0);
  struct Case {
    short row, column;
    RGBColor colour;
    const char* why;
  };
  const Case cases[] = {
      {2, 1, red, "a Sunday"},
      {2, 2, black, "a Monday"},
      {1, 7, blue, "a Saturday"},
      {2, 7, red, "a Saturday that is a holiday"},
      {4, 5, red, "a weekday that is a holiday"},
  };
  for (const Case& c : cases) EXPECT_TRUE(Near(Number(c.row, c.column), c.colour)) << c.why;
  EXPECT_TRUE(Near(CellCorner(3, 4), today)) << "today's cell";
  EXPECT_TRUE(Near(CellCorner(1, 5), Percent(95, 95, 95))) << "leading cells lightened";

  sp_testing::UseVirtualClock(Seconds(2025, 2, 28));
  calendar_->DrawView(1, 0);
  RGBColor lightToday;
  Sp_RGBInBetweenColor(&today, &white, 0.5f, &lightToday);
  EXPECT_TRUE(Near(CellCorner(1, 6), lightToday)) << "today in a leading cell, lightened too";

  Make(2025, 6, 10);
  calendar_->DrawView(1, 0);
  EXPECT_TRUE(Near(CellCorner(1, 1), white)) << "a month starting on Sunday leads with nothing";
  EXPECT_FALSE(Near(Pixel(10 + 168 + 1, 40), white)) << "the shadow right of the grid";
  calendar_->ShowShadow(0, 1);
  EXPECT_TRUE(Near(Pixel(10 + 168 + 1, 40), white)) << "no shadow";
  Rect area;
  calendar_->GetImmediateDrawingArea(&area);
  EXPECT_EQ(area.right - area.left, 172) << "the view keeps its size";
}

TEST_F(Calendar, HolidayItemsGiveTheirNameAndType) {
  calendar_->SetupHoliday(2025, 3, 20, "\x8f\x74\x95\xaa\x82\xcc\x93\xfa", 7);
  calendar_->SetupHoliday(2025, 3, 20, "second", 8);
  char name[16] = "x";
  unsigned char cut = 9;
  tCalenderIconHolidaySetupType type = 0;
  EXPECT_TRUE(calendar_->IsHoliday(2025, 3, 20, name, sizeof name, &cut, &type));
  EXPECT_STREQ(name, "\x8f\x74\x95\xaa\x82\xcc\x93\xfa") << "the first item of the date";
  EXPECT_EQ(cut, 0);
  EXPECT_EQ(type, 7);
  EXPECT_TRUE(calendar_->IsHoliday(2025, 3, 20, name, 6, &cut, nullptr));
  EXPECT_EQ(cut, 1) << "a short buffer";
  EXPECT_FALSE(calendar_->IsHoliday(2025, 3, 21, name, sizeof name, &cut, &type));
  EXPECT_EQ(cut, 0);
  // The name takes the buffer less its two closing zeros; even a one-byte buffer is emptied
  // and the cut told, and no buffer at all is left alone.
  const struct {
    short length;
    const char* name;
    unsigned char cut;
  } lengths[] = {{10, "\x8f\x74\x95\xaa\x82\xcc\x93\xfa", 0}, {1, "", 1}, {0, "x", 0}};
  for (const auto& l : lengths) {
    std::strcpy(name, "x");
    cut = 9;
    EXPECT_TRUE(calendar_->IsHoliday(2025, 3, 20, name, l.length, &cut, nullptr));
    EXPECT_STREQ(name, l.name) << "a buffer of " << l.length;
    EXPECT_EQ(cut, l.cut) << "a buffer of " << l.length;
  }
}

std::vector<std::string>& DropLog() {
  static std::vector<std::string> log;
  return log;
}
cDropCatchObject* FakeDropTarget(WindowRef, const Rect& area) {
  DropLog().push_back("new " + std::to_string(area.left) + "," + std::to_string(area.top));
  return reinterpret_cast<cDropCatchObject*>(&DropLog());
}
void FakeDisposeDropTarget(cDropCatchObject* target) {
  DropLog().push_back(target == reinterpret_cast<cDropCatchObject*>(&DropLog()) ? "dispose"
                                                                               : "wrong");
}

TEST_F(Calendar, WhatTheCalendarOwnsGoesWithIt) {
  const sSpCalenderDropServices services = {FakeDropTarget, FakeDisposeDropTarget};
  Sp_CIO_SetupDropTargetServices(&services);
  DropLog().clear();
  Make(2025, 3, 1);
  Sp_CIO_SetupDropTargetServices(nullptr);
  EXPECT_NE(calendar_->GetDropCatchObject(), nullptr);
  calendar_->EnableDayInfoPopup();
  calendar_->EnableDayInfoPopup();
  ASSERT_NE(calendar_->GetDayInfoPopup(), nullptr);
  EXPECT_EQ(calendar_->IsDayInfoPopupEnable(), 1);
  EXPECT_FALSE(IsWindowVisible(calendar_->GetDayInfoPopup()->GetWindowRef()));
  calendar_->DisableDayInfoPopup(0);
  EXPECT_NE(calendar_->GetDayInfoPopup(), nullptr) << "kept unless disposed";
  calendar_->EnableDayInfoPopup();
  calendar_->SetupHoliday(2025, 3, 20, "name", 0);
  EXPECT_NE(SpGetMouseTraceManager()->GetMouseTraceWindowObj(window_), nullptr);
  calendar_.reset();
  EXPECT_EQ(DropLog(), (std::vector<std::string>{"new 10,10", "dispose"}));
  EXPECT_EQ(SpGetMouseTraceManager()->GetMouseTraceWindowObj(window_), nullptr)
      << "the popup's hover area went with it";
  EXPECT_EQ(sp_testing::WindowList().size(), 1u) << "and its window";
}

}  // namespace
