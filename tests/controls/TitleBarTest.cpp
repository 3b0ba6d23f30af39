// The title bar: the part under a point, separator drags with minimum and maximum widths and
// fixed neighbours, button presses, clicks, the hover check, and what a drag reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpMouseTraceManager.h"
#include "SpTitleBarControl.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void Note(const std::string& what, unsigned long refCon) {
  Log().push_back(what + " " + std::to_string(refCon));
}

// A bar 300 x 20 at (10, 10) of its window, so that content h is window h - 10.
class TitleBar : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    Log().clear();
    const Rect content = {100, 100, 300, 500};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    bar_.reset(new cSp_TittleBarControl(window_, Rect{10, 10, 30, 310}, nullptr, 0));
  }
  void TearDown() override {
    bar_.reset();
    Sp_EnableMouseTrace(0);
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

  // Items of the widths, neither width nor end fixed, no minimum.
  void Items(const std::vector<short>& widths, tTitleBarControlItemType type = kTBC_StringItem) {
    for (short w : widths) bar_->SetupItem(type, w, -1, 0, -1);
  }
  static Point At(short h) { return Point{20, short(h + 10)}; }
  // The items' (start, end) pairs.
  std::string Layout() const {
    std::string out;
    for (auto* i = bar_->GetFirstItem(); i; i = i->GetNextObjectPtr()) {
      out += std::to_string(i->start) + "-" + std::to_string(i->end) + " ";
    }
    return out;
  }
  // A press at content h, one tracking step at `to` and the release there.
  unsigned char Drag(short from, short to) {
    if (bar_->HotSpotMouseDonwProc(0, At(from)) == 0) return 0;
    bar_->HotSpotMouseDownTraceProc(0, At(to));
    return bar_->HotSpotMouseUpProc(0, At(to));
  }

  WindowRef window_ = nullptr;
  std::unique_ptr<cSp_TittleBarControl> bar_;
  ErrorLogCapture errors_;
  sp_testing::FixedMetricFontScope font_;
};

TEST_F(TitleBar, ThePartUnderAPointDependsOnTheSeparatorZonesAndFixedWidths) {
  Items({100, 100, 100});
  auto partAt = [&](short h) {
    for (auto* i = bar_->GetFirstItem(); i; i = i->GetNextObjectPtr()) {
      tTitleBarControlItemPartCode part = kTBC_NoPart;
      i->GetPartCode(h, part);
      if (part != kTBC_NoPart) return std::to_string(i->referenceNo) + ":" + std::to_string(part);
    }
    return std::string("none");
  };
  const struct {
    bool secondFixed;
    short h;
    const char* part;
    const char* why;
  } cases[] = {
      {false, 201, "3:2", "the start zone of item 3 is item 2's separator"},
      {false, 199, "2:3", "the end zone of item 2"},
      {false, 200, "2:3", "the boundary belongs to the item before it"},
      {false, 150, "2:1", "the middle of item 2"},
      {false, 1, "1:1", "the first item's start zone is its content"},
      {false, 301, "none", "past the last item"},
      {true, 201, "3:1", "a width-fixed item before it has no separator to drag"},
      {true, 199, "2:1", "nor at its own end"},
  };
  for (const auto& c : cases) {
    if (c.secondFixed) {
      bar_->WidthFixedMode(2);
    } else {
      bar_->WidthVariedMode(2);
    }
    EXPECT_EQ(partAt(c.h), c.part) << c.why;
  }
  // A new first item takes number 1 and moves the others on.
  EXPECT_EQ(bar_->SetupItem(kTBC_StringItem, 50, -1, 0, 0), 1);
  EXPECT_EQ(Layout(), "0-50 50-150 150-250 250-350 ");
  EXPECT_EQ(bar_->GetItem(4)->width, 100);
  EXPECT_EQ(bar_->GetTotalWidth(), 350);
}

TEST_F(TitleBar, ADraggedSeparatorMovesWithinTheLimitsOfTheItemsBesideIt) {
  const struct {
    short from, to;
    short min1, max2;
    bool fixed2, endFixed2, endFixed3;
    const char* layout;
    const char* why;
  } cases[] = {
      {99, 60, -1, -1, false, false, false, "0-60 60-200 200-300 ", "item 2 takes what 1 gives"},
      {99, -50, -1, -1, false, false, false, "0-1 1-200 200-300 ",
       "past its start an item keeps one pixel"},
      {99, 60, -1, -1, true, false, false, "0-60 60-160 160-260 ",
       "a width-fixed neighbour moves with the items after it"},
      {99, 10, 40, -1, false, false, false, "0-40 40-200 200-300 ", "the minimum width holds"},
      {99, 50, -1, 120, false, false, false, "0-50 50-170 170-270 ",
       "at its maximum the neighbour moves on as a whole"},
      {99, 50, -1, 120, false, true, false, "0-80 80-200 200-300 ",
       "an end-fixed neighbour at its maximum stops the drag"},
      {299, 250, -1, -1, false, false, false, "0-100 100-200 200-300 ",
       "the last item never ends left of the bar's edge"},
      {199, 230, -1, -1, false, false, true, "0-100 100-230 230-300 ",
       "an end-fixed last item keeps its end and narrows"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    bar_.reset(new cSp_TittleBarControl(window_, Rect{10, 10, 30, 310}, nullptr, 0));
    Items({100, 100, 100});
    bar_->EnableSeparatorMove();
    bar_->SetupItemMinimumWidth(1, c.min1);
    bar_->SetupItemMuximumWidth(2, c.max2);
    if (c.fixed2) bar_->WidthFixedMode(2);
    if (c.endFixed2) bar_->EndPointFixMode(2);
    if (c.endFixed3) bar_->EndPointFixMode(3);
    Log().clear();
    bar_->SetupSeparatorMoveingProcedure([](short n, unsigned long) { Note("moving", n); }, 0);
    bar_->SetupSeparatorMoveEndProcedure([](short n, unsigned long) { Note("end", n); }, 0);
    EXPECT_EQ(Drag(c.from, c.to), 0) << "a drag is no click";
    EXPECT_EQ(Layout(), c.layout);
    const bool moved = std::string(c.layout) != "0-100 100-200 200-300 ";
    const std::string item = c.from < 100 ? "1" : (c.from < 200 ? "2" : "3");
    std::vector<std::string> heard;
    if (moved) heard.push_back("moving " + item);
    heard.push_back("end " + item);
    EXPECT_EQ(Log(), heard) << "the end of every drag is reported";
    EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  }
  // The last item reaches the bar's edge only as far as its maximum lets it.
  for (const short maximum : {60, 100, 120}) {
    SCOPED_TRACE(maximum);
    bar_.reset(new cSp_TittleBarControl(window_, Rect{10, 10, 30, 310}, nullptr, 0));
    Items({100, 100, 100});
    bar_->EnableSeparatorMove();
    bar_->SetupItemMuximumWidth(3, maximum);
    Drag(299, 250);
    EXPECT_EQ(Layout(), "0-100 100-200 200-" + std::to_string(200 + std::min<int>(maximum, 100)) +
                            " ");
  }
  // A neighbour fixed both ways cannot be pushed: the separator does not move.
  bar_.reset(new cSp_TittleBarControl(window_, Rect{10, 10, 30, 310}, nullptr, 0));
  Items({100, 100, 100});
  bar_->EnableSeparatorMove();
  bar_->WidthFixedMode(2);
  bar_->EndPointFixMode(2);
  Drag(99, 60);
  EXPECT_EQ(Layout(), "0-100 100-200 200-300 ");
}

TEST_F(TitleBar, AButtonIsPressedWhileTheMouseIsOnItAndClickedOnRelease) {
  Items({100, 60}, kTBC_ButtonItem);
  bar_->SetupItemButtonDownProcedure(
      1, [](unsigned long r) { Note("down", r); }, 1);
  bar_->SetupItemButtonUpProcedure(
      1, [](unsigned long r) { Note("up", r); }, 1);
  bar_->SetupItemClickProcedure(
      -1, [](unsigned long r) { Note("click", r); }, 7);
  bar_->SetupItemDblClickProcedure(
      2, [](unsigned long r) { Note("double", r); }, 2);
  ASSERT_EQ(bar_->IsButtonDownEnable(), 1) << "button items switch presses on";
  cSp_TittleBarControlItem* first = bar_->GetItem(1);

  EXPECT_EQ(bar_->HotSpotMouseDonwProc(0, At(50)), 1);
  EXPECT_EQ(first->IsButtonDown(), 1);
  EXPECT_TRUE(Sp_IsMouseTraceDisabled()) << "hover tracking rests while the button is held";
  bar_->HotSpotMouseDownTraceProc(0, At(150));  // off the item
  EXPECT_EQ(first->IsButtonDown(), 0);
  bar_->HotSpotMouseDownTraceProc(0, At(60));  // back on it
  EXPECT_EQ(first->IsButtonDown(), 1);
  EXPECT_EQ(bar_->HotSpotMouseUpProc(0, At(60)), 1) << "released on the item: a click follows";
  bar_->HotSpotClickProc(0, At(60));
  EXPECT_EQ(first->IsButtonDown(), 0);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  EXPECT_EQ(Log(), (std::vector<std::string>{"down 1", "up 1", "down 1", "up 1", "click 7"}));

  Log().clear();
  EXPECT_EQ(bar_->HotSpotMouseDonwProc(0, At(50)), 1);
  EXPECT_EQ(bar_->HotSpotMouseUpProc(0, At(130)), 0) << "released on another item";
  EXPECT_EQ(bar_->HotSpotDblClickProc(0, At(50)), 0) << "item 1 has no double-click procedure";
  EXPECT_EQ(bar_->HotSpotDblClickProc(0, At(130)), 1);
  bar_->HotSpotClickProc(0, At(99));  // item 1's separator zone
  EXPECT_EQ(Log(), (std::vector<std::string>{"down 1", "up 1", "double 2"}));

  // A press where no item lies is not the bar's, and leaves hover tracking running.
  EXPECT_EQ(bar_->HotSpotMouseDonwProc(0, At(250)), 0);
  EXPECT_FALSE(Sp_IsMouseTraceDisabled());
  // Without presses or separators the bar takes nothing.
  bar_->DisableButtonDown();
  EXPECT_EQ(bar_->HotSpotMouseDonwProc(0, At(50)), 0);
}

TEST_F(TitleBar, TheHoverCheckAnswersOnlyOverSeparatorsThatCanMove) {
  Items({100, 100, 100});
  short code = 0;
  EXPECT_EQ(bar_->MouseTraceVerifyPositionProc(At(99), 0, code), 0) << "moving is off";
  bar_->EnableSeparatorMouseTrace(0);
  bar_->SeparatorFlexOn();
  ASSERT_NE(bar_->GetSeparatorMouseTrace(), nullptr);
  EXPECT_EQ(bar_->GetSeparatorMouseTrace()->verifyPositionProc,
            &SpTBC_MouseTraceVerifyPositionProc);
  const struct {
    short h;
    Boolean verdict;
    const char* why;
  } cases[] = {
      {99, 1, "item 1's end"},    {101, 1, "item 2's start, which is item 1's separator"},
      {150, 0, "inside an item"}, {299, 1, "the last item's end"},
      {-5, 0, "left of the bar"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpTBC_MouseTraceVerifyPositionProc(At(c.h), 0,
                                                 reinterpret_cast<unsigned long>(bar_.get()), code),
              c.verdict)
        << c.why;
  }
  bar_->EndPointFixMode(2);
  EXPECT_EQ(bar_->MouseTraceVerifyPositionProc(At(199), 0, code), 0)
      << "an end-fixed item's end does not move";
  EXPECT_EQ(SpTBC_MouseTraceVerifyPositionProc(At(99), 0, 0, code), 0);
  bar_->DisableSeparatorMouseTrace(1);
  EXPECT_EQ(bar_->GetSeparatorMouseTrace(), nullptr);
}

TEST_F(TitleBar, FaceColoursAreStoredAndDrawnWithTitlesAndSeparators) {
  Items({100}, kTBC_ButtonItem);
  Items({100, 100});
  bar_->SetupOutputString(2, "AB");
  // An empty title draws nothing, and is no failure.
  bar_->SetupOutputString(3, "");
  bar_->SeparatorDrawOn(-1);
  const RGBColor red = {65535, 0, 0}, blue = {0, 0, 65535};
  bar_->SetupUpButtonContentColor(1, red, 1);
  bar_->SetupDownButtonContentColor(1, blue, 0);
  EXPECT_EQ(bar_->GetItem(1)->upFaceColour.red, 65535);
  EXPECT_EQ(bar_->GetItem(1)->downFaceColour.blue, 65535);
  Sp_RedrawViewWindow(window_, 0);
  const CGrafPtr port = GetWindowPort(window_);
  EXPECT_EQ(sp_testing::ReadPixel(port, 60, 20), 0xFF0000u) << "the raised face";
  // The separator after item 2: a grey line one pixel left of the item's end, three pixels
  // short of the bar's top; none after the last item.
  EXPECT_EQ(sp_testing::ReadPixel(port, 10 + 199, 20), 0x8C8C8Cu);
  EXPECT_EQ(sp_testing::ReadPixel(port, 10 + 199, 12), 0xFFFFFFu);
  EXPECT_EQ(sp_testing::ReadPixel(port, 10 + 199, 13), 0x8C8C8Cu);
  EXPECT_EQ(sp_testing::ReadPixel(port, 10 + 299, 20), 0xFFFFFFu);
  // "AB" (12 pixels) centred in item 2, 100 to 200: from 145, one right of the middle.
  EXPECT_EQ(sp_testing::ReadPixel(port, 10 + 145, 20), 0x000000u);
  EXPECT_EQ(sp_testing::ReadPixel(port, 10 + 144, 20), 0xFFFFFFu);

  bar_->HotSpotMouseDonwProc(0, At(50));
  EXPECT_EQ(sp_testing::ReadPixel(port, 60, 20), 0x0000FFu) << "pressed, drawn at once";
  bar_->HotSpotMouseUpProc(0, At(50));
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
