// Box layout, moving an area into a target, one line of aligned text, redraw areas of windows,
// and the failure records of null arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "ErrorLogCapture.h"
#include "SpStdDrawingFunction.h"
#include "SpTesting.h"
#include "StdDrawingFunctionTestSupport.h"
#include "TestFonts.h"

namespace {

using drawing_test::DrawingPortTest;
using drawing_test::R;

std::string Str(const Rect& r) {
  return "(t" + std::to_string(r.top) + " l" + std::to_string(r.left) + " b" +
         std::to_string(r.bottom) + " r" + std::to_string(r.right) + ")";
}

TEST(StdDrawingFunctionLayout, BoxesAreKeptOrStretchedAndAlignedAsTheCodesSay) {
  const Rect base = R(0, 0, 100, 100);
  const struct {
    Rect base;
    tObjectLayoutType type;
    SInt32 h, v;
    short width, height;
    Rect expected;
    const char* why;
  } cases[] = {
      {base, kSpLayoutKeepSize, 2, 2, 11, 20, R(40, 44, 60, 55), "centred: (0+100-11)/2 = 44"},
      {base, kSpLayoutKeepSize, 1, 4, 11, 20, R(0, 0, 20, 11), "left and top ignore margins"},
      {base, kSpLayoutKeepSize, 3, 5, 11, 20, R(80, 89, 100, 100), "right and bottom"},
      {base, kSpLayoutKeepSize, 7, 9, 11, 20, R(40, 44, 60, 55), "unknown codes centre"},
      {base, kSpLayoutKeepWidth, 1, 4, 11, 20, R(2, 0, 96, 11), "keeps the width only"},
      {base, kSpLayoutKeepHeight, 1, 4, 11, 20, R(0, 1, 20, 97), "keeps the height only"},
      {base, kSpLayoutKeepHeight, 1, 4, 11, -5, R(2, 1, 96, 97), "a negative height stretches"},
      {base, kSpLayoutStretch, 1, 4, 11, 20, R(2, 1, 96, 97), "stretches both with margins"},
      {R(-1, -10, 0, -1), kSpLayoutKeepSize, 2, 2, 4, 1, R(-1, -7, 0, -3),
       "halving truncates toward zero: -15/2 = -7, -7/2 = -3"},
  };
  for (const auto& c : cases) {
    Rect out{};
    Sp_GetLayoutArea(&c.base, c.type, tPositionType(c.h), tPositionType(c.v), 1, 2, 3, 4, c.width,
                     c.height, out);
    EXPECT_TRUE(EqualRect(&out, &c.expected)) << c.why << ": " << Str(out);
  }
}

TEST(StdDrawingFunctionLayout, AreasArePushedIntoTheTargetOrAlignedWhenTooLarge) {
  const Rect screen = R(20, 0, 768, 1024);
  const Rect small = R(0, 0, 100, 100);
  const struct {
    Rect target, area;
    SInt32 h, v;
    Rect expected;
    const char* why;
  } cases[] = {
      {screen, R(700, 100, 800, 300), 1, 2, R(668, 100, 768, 300),
       "sticking out below: moved up, size kept"},
      {screen, R(-50, -40, 50, 60), 1, 2, R(20, 0, 120, 100), "above and left: moved in"},
      {screen, R(100, 924, 200, 1025), 1, 2, R(100, 923, 200, 1024), "one past the right"},
      {screen, R(100, 100, 200, 300), 1, 2, R(100, 100, 200, 300), "inside: unchanged"},
      {small, R(10, 50, 40, 250), 1, 4, R(10, 0, 40, 200), "too wide, left: sticks out right"},
      {small, R(10, 50, 40, 250), 3, 4, R(10, -100, 40, 100), "too wide, right"},
      {small, R(10, 50, 40, 250), 2, 4, R(10, -50, 40, 150), "too wide, centred"},
      {small, R(-20, 10, 180, 20), 1, 5, R(-100, 10, 100, 20), "too high, bottom"},
  };
  for (const auto& c : cases) {
    Rect out = c.area;  // the result may be written over the area
    Sp_MoveAreaInTargetArea(c.target, out, out, tPositionType(c.h), tPositionType(c.v));
    EXPECT_TRUE(EqualRect(&out, &c.expected)) << c.why << ": " << Str(out);
  }
}

// ---- Aligned text, with the fixed-metric font: at size 16 a one-byte character is 8 pixels
// wide, the ascent 12 and the descent 4 ----

class Layout : public DrawingPortTest {
 protected:
  // Draws the text and answers where it started: the pen ends after it on the baseline.
  Point StartOf(const char* text, const Rect& rect, SInt32 h, SInt32 v, short left = 0,
                short right = 0, short top = 0, short bottom = 0) {
    Sp_DrawStringInRect(text, &rect, tPositionType(h), tPositionType(v), left, right, top, bottom,
                        0, 0, 0, 0, nullptr);
    Point pen{};
    GetPen(&pen);
    pen.h = SInt16(pen.h - TextWidth(text, 0, SInt16(std::strlen(text))));
    return pen;
  }

  // A document window whose content is (top 100, left 50) to (300, 350), scrolled so that
  // local (100, 200) is its top-left corner.
  static WindowRef NewWindow() {
    const Rect content = R(100, 50, 300, 350);
    WindowRef w = NewCWindow(nullptr, &content, reinterpret_cast<ConstStr255Param>("\001W"), true,
                             documentProc, kFirstWindowOfClass, false, 0);
    GrafPtr saved;
    GetPort(&saved);
    SetPortWindowPort(w);
    SetOrigin(200, 100);
    SetPort(saved);
    return w;
  }

  // The bounds of the window's update region in global coordinates, and whether it holds pt.
  static std::string UpdateRegion(WindowRef window, Point pt = {0, 0}) {
    RgnHandle rgn = NewRgn();
    EXPECT_TRUE(sp_testing::CopyUpdateRegion(window, rgn));
    Rect r{};
    GetRegionBounds(rgn, &r);
    const bool in = PtInRgn(pt, rgn);
    DisposeRgn(rgn);
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
           "," + std::to_string(r.right) + (in ? " holds" : "");
  }
  sp_testing::FixedMetricFontScope font_;
};

TEST_F(Layout, PenAndBaselineFollowTheAlignmentCodes) {
  const std::string abcde = "abcde", longText(300, 'a');
  const struct {
    const std::string& text;
    SInt16 size;
    Rect rect;
    SInt32 h, v;
    short li, ri, ti, bi;
    SInt16 penH, penV;
    const char* why;
  } cases[] = {
      {abcde, 16, R(0, 0, 40, 100), 2, 2, 0, 0, 0, 0, 31, 26,
       "centred: (0+100-40)/2+1, (0+40+12)/2"},
      {abcde, 16, R(0, 0, 40, 40), 2, 2, 0, 0, 0, 0, 0, 26, "as wide as the room: at its left"},
      {abcde, 16, R(0, 10, 40, 50), 2, 2, 0, 0, 0, 0, 10, 26, "as wide anywhere: at its left"},
      {abcde, 16, R(10, 10, 50, 110), 1, 4, 5, 0, 3, 0, 15, 25, "left and top: top + ascent"},
      {abcde, 16, R(10, 10, 50, 110), 3, 5, 0, 7, 0, 2, 63, 44, "right, bottom: bottom - descent"},
      {longText, 2, R(0, 0, 20, 200), 1, 5, 0, 0, 0, 0, 0, 20, "past 255 bytes: drawn whole"},
  };
  for (const auto& c : cases) {
    TextSize(c.size);
    const Point start = StartOf(c.text.c_str(), c.rect, c.h, c.v, c.li, c.ri, c.ti, c.bi);
    EXPECT_EQ(start.h, c.penH) << c.why;
    EXPECT_EQ(start.v, c.penV) << c.why;
  }
}

TEST_F(Layout, RedrawAreasFollowTheOriginStayInsideTheContentAndCanBeTakenOut) {
  WindowRef w = NewWindow();
  const Rect a = R(110, 210, 130, 240);
  Sp_AddRedrawAreaInWindow(w, &a);
  EXPECT_EQ(UpdateRegion(w), "110,60,130,90");
  const Rect part = R(110, 210, 130, 225);
  Sp_SubRedrawAreaOnWindow(w, &part);
  EXPECT_EQ(UpdateRegion(w, Point{120, 70}), "110,75,130,90") << "the left part is out";
  RgnHandle more = NewRgn();
  SetRectRgn(more, 200, 100, 205, 105);
  Sp_AddRedrawAreaInWindow(w, more);
  DisposeRgn(more);
  EXPECT_EQ(UpdateRegion(w, Point{100, 50}), "100,50,130,90 holds") << "a region adds too";

  // Reaching past the content's edges: cut to the content.
  WindowRef other = NewWindow();
  const Rect past = R(90, 190, 350, 550);
  Sp_AddRedrawAreaInWindow(other, &past);
  EXPECT_EQ(UpdateRegion(other), "100,50,300,350");
}

// The window's port is used and the current port put back; the content lies at (100, 50).
TEST_F(Layout, ConversionsUseTheWindowsPortAndPutTheCurrentPortBack) {
  const Rect content = R(100, 50, 300, 350);
  WindowRef w = NewCWindow(nullptr, &content, reinterpret_cast<ConstStr255Param>("\001W"), true,
                           documentProc, kFirstWindowOfClass, false, 0);
  const auto Same = [](const Rect& a, const Rect& b) { return EqualRect(&a, &b) != 0; };
  GrafPtr saved;
  GetPort(&saved);
  Rect r = R(0, 0, 10, 20);
  Sp_LocalToGlobalRect(w, &r);
  EXPECT_TRUE(Same(r, R(100, 50, 110, 70)));
  Sp_GlobalToLocalRect(w, &r);
  EXPECT_TRUE(Same(r, R(0, 0, 10, 20)));

  Point pt{5, 6};
  Sp_LocalToGlobalPt(w, pt);
  EXPECT_EQ(pt.h, 56);
  EXPECT_EQ(pt.v, 105);
  Sp_GlobalToLocalPt(w, pt);
  EXPECT_EQ(pt.h, 6);
  EXPECT_EQ(pt.v, 5);

  RgnHandle rgn = NewRgn();
  SetRectRgn(rgn, 0, 0, 10, 10);
  Sp_LocalToGlobalRgn(w, rgn);
  Rect bounds{};
  GetRegionBounds(rgn, &bounds);
  EXPECT_TRUE(Same(bounds, R(100, 50, 110, 60)));
  Sp_GlobalToLocalRgn(w, rgn);
  GetRegionBounds(rgn, &bounds);
  EXPECT_TRUE(Same(bounds, R(0, 0, 10, 10)));
  DisposeRgn(rgn);

  GrafPtr now;
  GetPort(&now);
  EXPECT_EQ(now, saved);
  EXPECT_EQ(Sp_GetScreenDepth(), 32) << "offscreens are made as deep as the screen";
}

// ---- Failure records ----

TEST(StdDrawingFunctionFailures, NullArgumentsAreRecordedOnceAndDoNothing) {
  sp_testing::ResetWindows();
  Rect r = R(0, 0, 10, 10);
  Point pt{0, 0};
  const struct {
    std::function<void()> call;
    const char* method;
    SInt32 code;
  } cases[] = {
      {[] { Sp_GetScreenSize(nullptr); }, "Sp_GetScreenSize", 1},
      {[&] { Sp_LocalToGlobalPt(nullptr, pt); }, "Sp_LocalToGlobalPt", 1},
      {[] { Sp_GlobalToLocalRgn(nullptr, nullptr); }, "Sp_GlobalToLocalRgn", 1},
      {[] { Sp_LocalToGlobalRect(nullptr); }, "Sp_LocalToGlobalRect", 1},
      {[&] { Sp_GetWindowSize(nullptr, r); }, "Sp_GetWindowSize", 1},
      {[] { Sp_MoveWindowOutputPosition(nullptr, nullptr, 0); }, "Sp_MoveWindowOutputPosition", 1},
      {[&] { Sp_AddRedrawAreaInWindow(nullptr, &r); }, "Sp_AddRedrawAreaInWindow", 1},
      {[] { Sp_SetRGBColorByPercentage(nullptr, 1, 2, 3); }, "Sp_SetRGBColorByPercentage", 0},
      {[] { Sp_Draw3DFrame(nullptr, nullptr, kSp3DFrameRaised); }, "Sp_Draw3DFrame", 1},
      {[&] { Sp_Delete3DFrame(nullptr, &r, kSp3DFrameRaised); }, "Sp_Delete3DFrame", 1},
      {[&] { Sp_DrawShadowRect(nullptr, r, 50, 0, nullptr, 0); }, "Sp_DrawShadowRect", 1},
      {[&] { Sp_RectMoveAnimation(&r, &r, 3, nullptr, 1); }, "Sp_RectMoveAnimation", 1},
  };
  for (const auto& c : cases) {
    ErrorLogCapture log;
    c.call();
    EXPECT_EQ(log.Count(), 1u) << c.method;
    EXPECT_TRUE(log.Has(c.method, c.code)) << c.method;
  }
}

}  // namespace
