// The screen, coordinate conversions, window sizes and places, redraw areas, and the failure
// records of null arguments.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ErrorLogCapture.h"
#include "QDRegions.h"
#include "SpStdDrawingFunction.h"
#include "StdDrawingFunctionTestSupport.h"
#include "TestWindows.h"

namespace {

using drawing_test::R;

class DrawingWindows : public ::testing::Test {
 protected:
  void SetUp() override { sp_testing::ResetWindows(); }
  void TearDown() override { sp_testing::ResetWindows(); }

  // A document window whose content is (top 100, left 50) to (300, 350): 300 x 200.
  static WindowRef NewWindow(const Rect& content = R(100, 50, 300, 350)) {
    return NewCWindow(nullptr, &content, reinterpret_cast<ConstStr255Param>("\x01W"), true,
                      documentProc, kFirstWindowOfClass, false, 0);
  }

  static Rect Content(WindowRef window) {
    Rect r{};
    GetWindowBounds(window, kWindowContentRgn, &r);
    return r;
  }

  // The window's update region in global coordinates.
  static RgnHandle UpdateRegion(WindowRef window) {
    RgnHandle rgn = NewRgn();
    EXPECT_TRUE(sp_testing::CopyUpdateRegion(window, rgn));
    return rgn;
  }
};

TEST_F(DrawingWindows, RedrawAreasAreAddedAndTakenOutOfTheUpdateRegion) {
  WindowRef w = NewWindow();
  const Rect a = R(10, 10, 30, 40);
  Sp_AddRedrawAreaInWindow(w, &a);
  RgnHandle region = UpdateRegion(w);
  Rect bounds{};
  GetRegionBounds(region, &bounds);
  const Rect global = R(110, 60, 130, 90);
  EXPECT_TRUE(EqualRect(&bounds, &global));

  const Rect part = R(10, 10, 30, 25);
  Sp_SubRedrawAreaOnWindow(w, &part);
  RgnHandle after = UpdateRegion(w);
  GetRegionBounds(after, &bounds);
  const Rect rest = R(110, 75, 130, 90);
  EXPECT_TRUE(EqualRect(&bounds, &rest));

  RgnHandle more = NewRgn();
  SetRectRgn(more, 0, 0, 5, 5);
  Sp_AddRedrawAreaInWindow(w, more);
  RgnHandle both = UpdateRegion(w);
  EXPECT_TRUE(PtInRgn(Point{100, 50}, both));
  EXPECT_TRUE(PtInRgn(Point{120, 80}, both));
  EXPECT_FALSE(PtInRgn(Point{120, 70}, both));
  for (RgnHandle r : {region, after, more, both}) DisposeRgn(r);
}

TEST_F(DrawingWindows, RedrawAreasFollowTheOriginAndStayInsideTheContent) {
  WindowRef w = NewWindow();
  GrafPtr saved;
  GetPort(&saved);
  SetPortWindowPort(w);
  SetOrigin(100, 200);
  SetPort(saved);
  // Local (100, 200) is now the content's top-left corner; this rectangle also reaches past
  // the content's right and bottom edges.
  const Rect a = R(190, 90, 450, 450);
  Sp_AddRedrawAreaInWindow(w, &a);
  RgnHandle region = UpdateRegion(w);
  Rect bounds{};
  GetRegionBounds(region, &bounds);
  const Rect expected = R(100, 50, 300, 350);
  EXPECT_TRUE(EqualRect(&bounds, &expected));
  DisposeRgn(region);
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
      {[&] {
         Sp_GetLayoutArea(nullptr, kSpLayoutKeepSize, kSpPositionLeft, kSpPositionTop, 0, 0, 0, 0,
                          1, 1, r);
       },
       "Sp_GetLayoutArea", 1},
      {[&] {
         Sp_DrawStringInRect(nullptr, &r, kSpPositionLeft, kSpPositionTop, 0, 0, 0, 0, 0, 0, 0, 0,
                             nullptr);
       },
       "Sp_DrawStringInRect", 1},
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
