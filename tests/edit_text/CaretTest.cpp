// The caret: blinking on the virtual clock, drawing by inversion, erasing its band, moving it
// at the ends of lines and of the text, and what placing it tells the client.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTextTestSupport.h"

namespace edit_test {
namespace {

class CaretTest : public EditTextFixture {};

std::vector<UInt32> Column(CGrafPtr port, short h, short top, short bottom) {
  std::vector<UInt32> out;
  for (short v = top; v < bottom; ++v) out.push_back(sp_testing::ReadPixel(port, h, v));
  return out;
}

TEST_F(CaretTest, TheCaretBlinksEveryCaretTimeOnTheClockAndTwoBlinksRestoreThePixels) {
  cEditTextObject* f = Field(R(10, 10, 40, 200));
  f->SetupText("abc", 0);
  f->SetupCaretPosition(SInt32(3), 0);
  f->ActivateEditText(1, 1);
  Redraw();
  // The caret after "abc": one-byte characters are 6 pixels, the line starts 1 pixel in.
  const short x = 10 + 1 + 18;
  const std::vector<UInt32> before = Column(GetWindowPort(window_), x, 13, 25);
  sp_testing::PumpFor(10000);
  EXPECT_EQ(f->IsCaretVisible(), 1);
  EXPECT_NE(Column(GetWindowPort(window_), x, 13, 25), before);
  // GetCaretTime is 32 ticks; the manager looks every 0.1 s.
  sp_testing::PumpFor(500000);
  EXPECT_EQ(f->IsCaretVisible(), 1);
  sp_testing::PumpFor(100000);
  EXPECT_EQ(f->IsCaretVisible(), 0);
  EXPECT_EQ(Column(GetWindowPort(window_), x, 13, 25), before);
  // Paused, it stays off.
  f->PauseBrinkCaret(0);
  sp_testing::PumpFor(2000000);
  EXPECT_EQ(f->IsCaretVisible(), 0);
}

TEST_F(CaretTest, ErasingMarksForRedrawEveryPixelTheBarCoveredHoweverWideItWasDrawn) {
  struct Case {
    SInt32 byte;  // the caret after this many letters of 6 pixels
    SInt16 leftOffset;
    unsigned char wide;
    const char* why;
  } cases[] = {
      {3, 1, 0, "a thin bar inside the line"},
      {3, 1, 1, "a wide bar reaches two pixels right of its place"},
      {0, 0, 1, "a wide bar at the view's left edge"},
      {0, 1, 1, "a wide bar one pixel in"},
      {5, 1, 1, "a wide bar after the last letter"},
  };
  const short kLeft = 10, kTop = 10;  // the field's place in the window
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fields_.clear();
    sp_testing::FillPort(GetWindowPort(window_), 0xFFFFFF);
    cEditTextObject* f = Field(R(kTop, kLeft, 40, 200));
    f->SetupText("abcde", 0);
    f->SetupLeftOffset(c.leftOffset, -1, 1, 0);
    f->SetupCaretPosition(c.byte, 0);
    Redraw();
    const short x = short(kLeft + c.leftOffset + 6 * c.byte);
    std::vector<std::vector<UInt32>> before;
    for (short h = x - 4; h <= x + 4; ++h) {
      before.push_back(Column(GetWindowPort(window_), h, kTop, 40));
    }
    f->BrinkCaret(c.wide);
    f->EraseCaret(0);
    RgnHandle pending = NewRgn();
    f->GetViewClippingRgn(pending);
    int covered = 0;
    for (short h = x - 4; h <= x + 4; ++h) {
      const std::vector<UInt32> now = Column(GetWindowPort(window_), h, kTop, 40);
      for (short v = kTop; v < 40; ++v) {
        if (now[std::size_t(v - kTop)] == before[std::size_t(h - (x - 4))][std::size_t(v - kTop)]) {
          continue;
        }
        ++covered;
        EXPECT_TRUE(PtInRgn(Point{short(v - kTop), short(h - kLeft)}, pending))
            << "column " << h - x << " row " << v;
      }
    }
    EXPECT_GT(covered, 0) << "the bar was drawn";
    DisposeRgn(pending);
  }
}

TEST_F(CaretTest, ErasingACaretOnAnEmptyLineMarksTheBandFromMinusOneToThree) {
  cEditTextObject* f = Field(R(10, 10, 40, 200));
  f->SetupLeftOffset(0, -1, 1, 0);
  f->SetupCaretPosition(f->GetFirstLinePtr(), 0, 0);
  Redraw();
  f->EraseCaret(0);
  RgnHandle pending = NewRgn();
  f->GetViewClippingRgn(pending);
  Rect box;
  GetRegionBounds(pending, &box);
  DisposeRgn(pending);
  // Left of the view's edge is cut; the line lies from 2 (the top offset) to 16.
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 3);
  EXPECT_EQ(box.top, 2);
  EXPECT_EQ(box.bottom, 16);
}

TEST_F(CaretTest, AReadOnlyFieldNeverShowsACaret) {
  fields_.emplace_back(new (std::nothrow) cEditTextObject(window_, R(10, 10, 40, 200), 12, 1, 0, 1, nullptr, 0));
  cEditTextObject* f = fields_.back().get();
  f->SetupCaretPosition(f->GetFirstLinePtr(), 0, 0);
  f->BrinkCaret(0);
  EXPECT_EQ(f->IsCaretVisible(), 0);
}

TEST_F(CaretTest, MovesStopAtTheEndsOfTheTextAndCrossLinesAtTheirEnds) {
  struct Case {
    const char* why;
    SInt32 line, byte;
    bool forward;
    SInt32 count;
    SInt32 toLine, toByte;
  } cases[] = {
      {"forward at the end of the text stays", 3, 3, true, 3, 3, 3},
      {"back at the start of the text stays at 0", 1, 0, false, 2, 1, 0},
      {"back one at the start of the second line is the first line's end", 2, 0, false, 1, 1, 3},
      {"forward over a line break reaches the next line's start", 1, 2, true, 2, 2, 0},
      {"forward over a two-byte character takes both bytes", 3, 0, true, 1, 3, 2},
  };
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abc\rde\r\x82\xA0x", 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    f->SetupCaretPosition(c.line, c.byte, 0);
    if (c.forward) {
      f->MoveNextCaret(c.count);
    } else {
      f->MoveBeforeCaret(c.count);
    }
    EXPECT_EQ(Caret(f), std::make_pair(c.toLine, c.toByte));
  }
}

void SelectOut(cEditTextObject*, unsigned long) {
  Log().push_back("out");
}

TEST_F(CaretTest, PlacingTheCaretTellsOfALostRangeOnlyAndKeepsTheBlinkPaused) {
  cEditTextObject* f = Field(R(10, 10, 100, 200));
  f->SetupText("abcdef", 0);
  f->SetupSelectOutCB(SelectOut, 0);
  f->SetupCaretPosition(SInt32(1), 1);
  EXPECT_TRUE(Log().empty());
  f->SetupSelection(f->GetFirstLinePtr(), 1, f->GetFirstLinePtr(), 4, 0, 0);
  f->PauseBrinkCaret(0);
  f->SetupCaretPosition(SInt32(2), 1);
  EXPECT_EQ(Log(), std::vector<std::string>{"out"});
  EXPECT_EQ(f->IsBlinkPaused(), 1);
  // An offset past the last line's end is left on the last line.
  cTextLineObject* line = f->GetFirstLinePtr();
  SInt32 byte = 40;
  f->AdjustPosition(line, byte);
  EXPECT_EQ(line, f->GetLastLinePtr());
}

}  // namespace
}  // namespace edit_test
