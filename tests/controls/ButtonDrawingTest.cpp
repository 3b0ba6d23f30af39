// The framework's button look: the bevel runs of raised and pressed, normal and mini buttons at
// chosen pixels, the face, the title's place and clip, and the pixel filters.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MacWindows.h"
#include "QDText.h"
#include "SpOC_ButtonDrawing.h"
#include "TestClock.h"
#include "TestFonts.h"
#include "TestQuickDraw.h"
#include "TestWindows.h"

namespace {

RGBColor Grey(UInt16 level) {
  return RGBColor{UInt16(level * 257), UInt16(level * 257), UInt16(level * 257)};
}

class ButtonDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetWindows();
    const Rect content = {100, 100, 300, 400};
    window_ =
        NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
    port_ = GetWindowPort(window_);
    SetPort(port_);
    sp_testing::FillPort(port_, 0xFFFFFF);
    const RGBColor red = {65535, 0, 0};
    RGBForeColor(&red);
  }
  void TearDown() override { sp_testing::ResetWindows(); }

  // The red (grey) level of a pixel.
  int Level(short h, short v) const { return int(sp_testing::ReadPixel(port_, h, v) >> 16); }
  void ExpectForeColourKept() const {
    RGBColor now;
    GetForeColor(&now);
    EXPECT_EQ(now.red, 65535);
    EXPECT_EQ(now.green, 0);
  }

  WindowRef window_ = nullptr;
  CGrafPtr port_ = nullptr;
  sp_testing::FixedMetricFontScope font_;
};

// The level `rate` of the way from a to b (0 white's 255 ... black's 0).
double Mix(double a, double b, double rate) {
  return a + (b - a) * rate;
}

TEST_F(ButtonDrawing, RaisedAndPressedBevelsLightAndDarkenTheirOwnEdges) {
  const double W = 255, K = 0, Fr = 85, Fa = 204;
  const Rect area = {10, 10, 30, 50};  // l 10, t 10, r 50, b 30
  struct Probe {
    short h, v;
    double level;
  };
  const struct {
    unsigned char pressed, mini;
    std::vector<Probe> probes;
    const char* why;
  } cases[] = {
      {0,
       0,
       {{10, 15, Mix(W, Fr, 0.78)},
        {48, 10, Mix(W, Fr, 0.87)},
        {49, 15, Mix(Fr, K, 0.05)},
        {11, 15, Mix(W, Fa, 0.65)},
        {48, 15, Mix(Fa, K, 0.3)},
        {12, 15, Mix(W, Fa, 0.3)},
        {47, 15, Mix(Fa, K, 0.25)},
        {13, 15, Fa},
        {12, 27, Mix(W, Fa, 0.5)}},
       "raised: light top and left, dark bottom and right"},
      {0,
       1,
       {{10, 15, Mix(W, Fr, 0.78)},
        {11, 15, Mix(W, Fa, 0.5)},
        {48, 15, Mix(Fa, K, 0.25)},
        {48, 11, Mix(Fa, K, 0.15)},
        {12, 15, Fa}},
       "a mini button has one inner ring and a face inset by 2"},
      {1,
       0,
       {{10, 15, Mix(Fr, K, 0.8)},
        {10, 30, Mix(Fr, K, 0.8)},
        {49, 10, Mix(Fr, K, 0.6)},
        {49, 15, Mix(Fr, K, 0.2)},
        {11, 15, Mix(Fa, K, 0.5)},
        {48, 15, Mix(Fa, W, 0.5)},
        {12, 15, Mix(Fa, K, 0.25)},
        {47, 15, Mix(Fa, W, 0.14)},
        {13, 15, Fa}},
       "pressed: dark top and left, light bottom and right"},
      {1,
       1,
       {{11, 15, Mix(Fa, K, 0.25)}, {48, 15, Mix(Fa, W, 0.5)}, {11, 28, Fa}, {12, 15, Fa}},
       "pressed mini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    sp_testing::FillPort(port_, 0xFFFFFF);
    Sp_OCnt_DrawButtonDefaultFrame(c.pressed, c.mini, area, Grey(204), Grey(85));
    Sp_OCnt_DrawButtonDefaultContent(c.mini, area, Grey(204));
    for (const Probe& p : c.probes) {
      EXPECT_NEAR(Level(p.h, p.v), p.level, 1.0) << "at (" << p.h << ", " << p.v << ")";
    }
    ExpectForeColourKept();
  }
}

TEST_F(ButtonDrawing, ATitleIsPlacedByItsAlignmentAndCutToItsArea) {
  // At size 12 each letter is a 6-pixel cell with a 5-pixel box from 9 rows above the
  // baseline; the baseline of a 20-pixel area is (0 + 20 + 9) / 2 - 1 = 13.
  const RGBColor black = Grey(0);
  const struct {
    Rect area;
    tPositionType position;
    short firstInk;  // the first column drawn
    short pastInk;   // the first column after the text that stays white
    const char* why;
  } cases[] = {
      {{0, 10, 20, 110}, kSpPositionCenter, 48, 72, "centred: (10 + 110 - 24) / 2"},
      {{0, 30, 20, 110}, kSpPositionLeft, 30, 54, "left: at the area's own left edge"},
      {{0, 10, 20, 110}, kSpPositionRight, 86, 110, "right: ending at the right edge"},
      {{0, 10, 20, 20}, kSpPositionCenter, 10, 20, "cut to an area narrower than the text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    sp_testing::FillPort(port_, 0xFFFFFF);
    Sp_OCnt_DrawButtonString("ABCD", c.area, sp_testing::kFixedMetricFont, 12, c.position, black, 0,
                             nullptr, 0, 0);
    EXPECT_EQ(Level(short(c.firstInk - 1), 8), 255);
    EXPECT_EQ(Level(c.firstInk, 8), 0);
    EXPECT_EQ(Level(short(c.pastInk - 2), 8), 0);
    EXPECT_EQ(Level(c.pastInk, 8), 255);
    EXPECT_EQ(Level(c.firstInk, 3), 255) << "nothing above the ascent";
    EXPECT_EQ(Level(c.firstInk, 4), 0) << "the top row of the letters";
    EXPECT_EQ(Level(c.firstInk, 12), 0) << "the last row above the baseline";
    EXPECT_EQ(Level(c.firstInk, 13), 255) << "the baseline row";
    ExpectForeColourKept();
  }
  // Drawing outside the area afterwards is not clipped by it.
  const Rect wide = {0, 0, 40, 200};
  PaintRect(&wide);
  EXPECT_EQ(sp_testing::ReadPixel(port_, 150, 30), 0xFF0000u);
}

TEST_F(ButtonDrawing, FiltersChangeOnlyTheirPixels) {
  const Rect area = {10, 10, 30, 50};
  auto fill = [&](UInt16 level) {
    sp_testing::FillPort(port_, 0xFFFFFF);
    const RGBColor c = Grey(level);
    RGBForeColor(&c);
    const Rect all = {0, 0, 60, 80};
    PaintRect(&all);
  };
  // The face (inside the 3-pixel bevel) darkens; the bevel does not.
  fill(200);
  Sp_OCnt_ModifyButtonContentToDark(0, area, 0.5f);
  EXPECT_NEAR(Level(13, 13), 100, 1);
  EXPECT_NEAR(Level(46, 26), 100, 1) << "right and bottom face pixels included";
  EXPECT_EQ(Level(47, 20), 200);
  EXPECT_EQ(Level(12, 20), 200);
  fill(200);
  Sp_OCnt_ModifyButtonContentToDark(1, area, 0.5f);
  EXPECT_NEAR(Level(12, 12), 100, 1) << "a mini face starts 2 inside";
  EXPECT_EQ(Level(48, 20), 200);
  fill(200);
  Sp_OCnt_ModifyButtonContentToDark(0, area, 1.0f);
  EXPECT_EQ(Level(20, 20), 200) << "rate 1 keeps the pixels";

  // Without the key colour: every other pixel of the area, its right and bottom edges too.
  fill(200);
  const RGBColor key = Grey(0), dotColour = Grey(100);
  const Rect dot = {20, 20, 21, 21};
  RGBForeColor(&dotColour);
  PaintRect(&dot);
  Sp_OCnt_ModifyButtonContentToDarkWithOutBG(area, Grey(200), 50.0f);
  EXPECT_NEAR(Level(20, 20), 50, 1);
  EXPECT_EQ(Level(25, 25), 200) << "key-coloured pixels stay";
  fill(100);
  Sp_OCnt_ModifyButtonContentToDarkWithOutBG(area, key, 50.0f);
  EXPECT_NEAR(Level(50, 30), 50, 1) << "the corner at right and bottom";
  EXPECT_EQ(Level(51, 30), 100);
  fill(100);
  Sp_OCnt_ModifyButtonContentToDarkWithOutBG(area, key, 100.0f);
  EXPECT_EQ(Level(20, 20), 100) << "100 percent keeps the pixels";

  fill(100);
  Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(area, nullptr, 0.5f);
  EXPECT_NEAR(Level(50, 30), 177, 1);
  EXPECT_EQ(Level(9, 20), 100);
  const RGBColor grey100 = Grey(100);
  fill(100);
  Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(area, &grey100, 0.5f);
  EXPECT_EQ(Level(20, 20), 100) << "the key colour is left alone";
  fill(255);
  Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(area, nullptr, 0.5f);
  EXPECT_EQ(Level(20, 20), 255) << "white stays white";
}

TEST_F(ButtonDrawing, TheKeyColourMatchesByTheHighByteOfEachComponent) {
  const Rect area = {10, 10, 30, 50};
  // The pixels hold 8 bits a component: a key given with any low byte still names them, and
  // a key one step off in any one component does not.
  const struct {
    RGBColor key;
    bool kept;
  } cases[] = {
      {{0xC800, 0xC800, 0xC800}, true},  {{0xC8FF, 0xC812, 0xC8C8}, true},
      {{0xC900, 0xC800, 0xC800}, false}, {{0xC800, 0xC700, 0xC800}, false},
      {{0xC800, 0xC800, 0xC9C8}, false},
  };
  for (const auto& c : cases) {
    sp_testing::FillPort(port_, 0xFFFFFF);
    const RGBColor grey = Grey(200);
    RGBForeColor(&grey);
    const Rect all = {0, 0, 60, 80};
    PaintRect(&all);
    Sp_OCnt_ModifyButtonContentToDarkWithOutBG(area, c.key, 50.0f);
    Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(area, &c.key, 0.5f);
    if (c.kept) {
      EXPECT_EQ(Level(20, 20), 200) << std::hex << c.key.red << " " << c.key.green;
    } else {
      EXPECT_NE(Level(20, 20), 200) << std::hex << c.key.red << " " << c.key.green;
    }
  }
}

}  // namespace
